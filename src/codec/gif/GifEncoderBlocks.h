// Quorel — SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>
#include <span>

#include "common/Buffer.h"
#include "image/PackedDib.h"

namespace quorel {

// The byte layout of the files the GIF encoder writes, one function per block.
// Every function appends to `out`, within room the caller made: at most
// kMostBlockBytes for all blocks but the image data together, and
// ImageDataBytes for the image data; 16-bit numbers are little-endian.
inline constexpr size_t kMostBlockBytes = 1024;
size_t ImageDataBytes(size_t compressed);

struct GifCodeSizes {
  uint32_t colour_count = 0;  // entries of the picture's colour table
  int min_code_size = 2;      // LZW minimum code size, 2 to 8
  int table_exponent = 1;     // the global colour table holds 2^table_exponent entries
};

// From the first picture's colour count and the transparent index: enough
// code bits for every colour and the transparent index, at least 2 (the GIF
// minimum); a two-colour picture keeps a two-entry table.
GifCodeSizes ChooseCodeSizes(uint32_t colour_count, int32_t transparent_index);

void AppendHeader(ByteBuffer& out);
void AppendScreenDescriptor(ByteBuffer& out, int32_t width, int32_t height,
                            int table_exponent);
// 2^table_exponent entries from the picture's colour table (blue, green, red,
// reserved there; red, green, blue here). Entries beyond the picture's table,
// or outside its block, are written black.
void AppendColourTable(ByteBuffer& out, const PackedDib& picture,
                       const GifCodeSizes& sizes);
void AppendComment(ByteBuffer& out);
// NETSCAPE2.0 application extension: loop for ever.
void AppendLoopExtension(ByteBuffer& out);
void AppendGraphicControl(ByteBuffer& out, uint16_t delay, int32_t transparent_index);
void AppendImageDescriptor(ByteBuffer& out, int32_t width, int32_t height);
// The minimum code size byte, the data in sub-blocks of at most 255 bytes, and
// the block terminator.
void AppendImageData(ByteBuffer& out, int min_code_size,
                     std::span<const uint8_t> compressed);
void AppendTrailer(ByteBuffer& out);

}  // namespace quorel
