// Quorel — SPDX-License-Identifier: MIT
#include "codec/gif/GifEncoderBlocks.h"

#include <algorithm>
#include <initializer_list>
#include <string_view>

namespace quorel {
namespace {

constexpr size_t kMaxSubBlock = 255;

void Append(ByteBuffer& out, std::string_view text) {
  out.AppendInRoom(std::span(reinterpret_cast<const uint8_t*>(text.data()), text.size()));
}

void Put(ByteBuffer& out, std::initializer_list<uint8_t> bytes) {
  out.AppendInRoom(std::span(bytes.begin(), bytes.size()));
}

void Append16(ByteBuffer& out, uint32_t value) {
  out.PushInRoom(static_cast<uint8_t>(value));
  out.PushInRoom(static_cast<uint8_t>(value >> 8));
}

}  // namespace

GifCodeSizes ChooseCodeSizes(uint32_t colour_count, int32_t transparent_index) {
  GifCodeSizes sizes;
  sizes.colour_count = colour_count;
  uint64_t needed = colour_count;
  if (transparent_index >= 0 && static_cast<uint64_t>(transparent_index) >= needed) {
    needed = static_cast<uint64_t>(transparent_index) + 1;
  }
  int n = 2;
  while (n < 8 && needed > (uint64_t{1} << n)) ++n;
  sizes.min_code_size = n;
  sizes.table_exponent = (n == 2 && colour_count == 2) ? 1 : n;
  return sizes;
}

void AppendHeader(ByteBuffer& out) {
  // Stays 87a although the file carries extension blocks; readers accept it.
  Append(out, "GIF87a");
}

void AppendScreenDescriptor(ByteBuffer& out, int32_t width, int32_t height,
                            int table_exponent) {
  Append16(out, static_cast<uint32_t>(width));   // logical screen width
  Append16(out, static_cast<uint32_t>(height));  // logical screen height
  // Global table present, colour resolution 7, not sorted, table size field.
  out.PushInRoom(static_cast<uint8_t>(0xF0 | (table_exponent - 1)));
  out.PushInRoom(0);  // background colour index
  out.PushInRoom(0);  // pixel aspect ratio: none given
}

void AppendColourTable(ByteBuffer& out, const PackedDib& picture,
                       const GifCodeSizes& sizes) {
  const auto block = picture.Bytes();
  const uint64_t table_offset = picture.HeaderSize();
  const uint32_t entries = 1u << sizes.table_exponent;
  for (uint32_t i = 0; i < entries; ++i) {
    const uint64_t at = table_offset + uint64_t{4} * i;
    if (i < sizes.colour_count && at + 3 <= block.size()) {
      out.PushInRoom(block[at + 2]);  // red
      out.PushInRoom(block[at + 1]);  // green
      out.PushInRoom(block[at]);      // blue
    } else {
      Put(out, {0, 0, 0});
    }
  }
}

void AppendComment(ByteBuffer& out) {
  Put(out, {0x21, 0xFE, 0x03});  // comment extension, one block of 3
  Append(out, "KVT");
  out.PushInRoom(0x00);  // block terminator
}

void AppendLoopExtension(ByteBuffer& out) {
  Put(out, {0x21, 0xFF, 0x0B});  // application extension, 11-byte identifier
  Append(out, "NETSCAPE2.0");
  Put(out, {0x03, 0x01});  // sub-block of 3: loop sub-block id
  Append16(out, 0);                     // loop count: for ever
  out.PushInRoom(0x00);                  // block terminator
}

void AppendGraphicControl(ByteBuffer& out, uint16_t delay, int32_t transparent_index) {
  const bool transparent = transparent_index >= 0;
  Put(out, {0x21, 0xF9, 0x04});  // graphic control extension, 4 bytes
  // Disposal 2 (restore to background), no user input, transparency flag.
  out.PushInRoom(transparent ? 0x09 : 0x08);
  Append16(out, delay);  // hundredths of a second
  out.PushInRoom(transparent ? static_cast<uint8_t>(transparent_index) : 0);
  out.PushInRoom(0x00);  // block terminator
}

void AppendImageDescriptor(ByteBuffer& out, int32_t width, int32_t height) {
  out.PushInRoom(0x2C);
  Append16(out, 0);  // left
  Append16(out, 0);  // top
  Append16(out, static_cast<uint32_t>(width));
  Append16(out, static_cast<uint32_t>(height));
  out.PushInRoom(0);  // no local colour table, not interlaced
}

size_t ImageDataBytes(size_t compressed) {
  return 1 + compressed + (compressed + kMaxSubBlock - 1) / kMaxSubBlock + 1;
}

void AppendImageData(ByteBuffer& out, int min_code_size,
                     std::span<const uint8_t> compressed) {
  out.PushInRoom(static_cast<uint8_t>(min_code_size));
  while (!compressed.empty()) {
    const size_t n = std::min(compressed.size(), kMaxSubBlock);
    out.PushInRoom(static_cast<uint8_t>(n));
    out.AppendInRoom(compressed.first(n));
    compressed = compressed.subspan(n);
  }
  out.PushInRoom(0x00);  // block terminator
}

void AppendTrailer(ByteBuffer& out) { out.PushInRoom(0x3B); }

}  // namespace quorel
