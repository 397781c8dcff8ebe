// Quorel — SPDX-License-Identifier: MIT
#include "codec/gif/GifEncoderBlocks.h"

#include <algorithm>
#include <string_view>

namespace quorel {
namespace {

constexpr size_t kMaxSubBlock = 255;

void Append(std::vector<uint8_t>& out, std::string_view text) {
  out.insert(out.end(), text.begin(), text.end());
}

void Append16(std::vector<uint8_t>& out, uint32_t value) {
  out.push_back(static_cast<uint8_t>(value));
  out.push_back(static_cast<uint8_t>(value >> 8));
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

void AppendHeader(std::vector<uint8_t>& out) {
  // Stays 87a although the file carries extension blocks; readers accept it.
  Append(out, "GIF87a");
}

void AppendScreenDescriptor(std::vector<uint8_t>& out, int32_t width, int32_t height,
                            int table_exponent) {
  Append16(out, static_cast<uint32_t>(width));   // logical screen width
  Append16(out, static_cast<uint32_t>(height));  // logical screen height
  // Global table present, colour resolution 7, not sorted, table size field.
  out.push_back(static_cast<uint8_t>(0xF0 | (table_exponent - 1)));
  out.push_back(0);  // background colour index
  out.push_back(0);  // pixel aspect ratio: none given
}

void AppendColourTable(std::vector<uint8_t>& out, const PackedDib& picture,
                       const GifCodeSizes& sizes) {
  const auto block = picture.Bytes();
  const uint64_t table_offset = picture.HeaderSize();
  const uint32_t entries = 1u << sizes.table_exponent;
  for (uint32_t i = 0; i < entries; ++i) {
    const uint64_t at = table_offset + uint64_t{4} * i;
    if (i < sizes.colour_count && at + 3 <= block.size()) {
      out.push_back(block[at + 2]);  // red
      out.push_back(block[at + 1]);  // green
      out.push_back(block[at]);      // blue
    } else {
      out.insert(out.end(), 3, 0);
    }
  }
}

void AppendComment(std::vector<uint8_t>& out) {
  out.insert(out.end(), {0x21, 0xFE, 0x03});  // comment extension, one block of 3
  Append(out, "KVT");
  out.push_back(0x00);  // block terminator
}

void AppendLoopExtension(std::vector<uint8_t>& out) {
  out.insert(out.end(), {0x21, 0xFF, 0x0B});  // application extension, 11-byte identifier
  Append(out, "NETSCAPE2.0");
  out.insert(out.end(), {0x03, 0x01});  // sub-block of 3: loop sub-block id
  Append16(out, 0);                     // loop count: for ever
  out.push_back(0x00);                  // block terminator
}

void AppendGraphicControl(std::vector<uint8_t>& out, uint16_t delay, int32_t transparent_index) {
  const bool transparent = transparent_index >= 0;
  out.insert(out.end(), {0x21, 0xF9, 0x04});  // graphic control extension, 4 bytes
  // Disposal 2 (restore to background), no user input, transparency flag.
  out.push_back(transparent ? 0x09 : 0x08);
  Append16(out, delay);  // hundredths of a second
  out.push_back(transparent ? static_cast<uint8_t>(transparent_index) : 0);
  out.push_back(0x00);  // block terminator
}

void AppendImageDescriptor(std::vector<uint8_t>& out, int32_t width, int32_t height) {
  out.push_back(0x2C);
  Append16(out, 0);  // left
  Append16(out, 0);  // top
  Append16(out, static_cast<uint32_t>(width));
  Append16(out, static_cast<uint32_t>(height));
  out.push_back(0);  // no local colour table, not interlaced
}

void AppendImageData(std::vector<uint8_t>& out, int min_code_size,
                     std::span<const uint8_t> compressed) {
  out.push_back(static_cast<uint8_t>(min_code_size));
  while (!compressed.empty()) {
    const size_t n = std::min(compressed.size(), kMaxSubBlock);
    out.push_back(static_cast<uint8_t>(n));
    out.insert(out.end(), compressed.begin(), compressed.begin() + static_cast<ptrdiff_t>(n));
    compressed = compressed.subspan(n);
  }
  out.push_back(0x00);  // block terminator
}

void AppendTrailer(std::vector<uint8_t>& out) { out.push_back(0x3B); }

}  // namespace quorel
