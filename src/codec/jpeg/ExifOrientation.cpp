// Quorel — SPDX-License-Identifier: MIT
// A bounded reader for the one Exif field the importer needs.
//
// NOTE: only the first directory (IFD0) is read and no link is ever followed,
// so offsets that loop cannot make it walk twice; every offset and count is
// checked against the block before it is used.
#include "codec/jpeg/ExifOrientation.h"

#include <algorithm>
#include <iterator>
#include <optional>

namespace quorel {
namespace {

constexpr uint8_t kExifHeader[] = {'E', 'x', 'i', 'f', 0, 0};
constexpr uint16_t kOrientationTag = 0x0112;
constexpr uint16_t kTypeShort = 3;
constexpr size_t kEntrySize = 12;  // tag, type, count, value or offset

// Reads 16- and 32-bit fields of a TIFF block in its byte order.
class TiffBlock {
 public:
  explicit TiffBlock(std::span<const uint8_t> bytes) : bytes_(bytes) {}

  bool ReadOrder() {
    if (bytes_.size() < 8) return false;
    if (bytes_[0] == 'I' && bytes_[1] == 'I') big_endian_ = false;
    else if (bytes_[0] == 'M' && bytes_[1] == 'M') big_endian_ = true;
    else return false;
    return U16(2) == 42;  // the TIFF magic number
  }
  // A field wholly inside the block, or none.
  std::optional<uint16_t> Field16(size_t at) const {
    if (at > bytes_.size() || bytes_.size() - at < 2) return std::nullopt;
    return U16(at);
  }
  std::optional<uint32_t> Field32(size_t at) const {
    if (at > bytes_.size() || bytes_.size() - at < 4) return std::nullopt;
    return big_endian_ ? (uint32_t{U16(at)} << 16) | U16(at + 2)
                       : (uint32_t{U16(at + 2)} << 16) | U16(at);
  }
  size_t size() const { return bytes_.size(); }

 private:
  uint16_t U16(size_t at) const {
    return big_endian_ ? static_cast<uint16_t>(bytes_[at] << 8 | bytes_[at + 1])
                       : static_cast<uint16_t>(bytes_[at + 1] << 8 | bytes_[at]);
  }
  std::span<const uint8_t> bytes_;
  bool big_endian_ = false;
};

std::optional<uint16_t> FindOrientation(const TiffBlock& tiff) {
  const std::optional<uint32_t> ifd = tiff.Field32(4);  // offset of IFD0
  if (!ifd) return std::nullopt;
  const std::optional<uint16_t> count = tiff.Field16(*ifd);
  if (!count) return std::nullopt;
  // A directory that claims more entries than the block holds is damaged.
  const size_t first = size_t{*ifd} + 2;
  if (first > tiff.size() || (tiff.size() - first) / kEntrySize < *count) return std::nullopt;
  for (size_t i = 0; i < *count; ++i) {
    const size_t at = first + i * kEntrySize;
    if (tiff.Field16(at) != kOrientationTag) continue;
    // One SHORT, held in the first two bytes of the value field.
    if (tiff.Field16(at + 2) != kTypeShort || tiff.Field32(at + 4) != 1u) return std::nullopt;
    return tiff.Field16(at + 8);
  }
  return std::nullopt;
}

}  // namespace

bool IsExifBlock(std::span<const uint8_t> app1) {
  return app1.size() >= sizeof kExifHeader &&
         std::equal(std::begin(kExifHeader), std::end(kExifHeader), app1.begin());
}

Orientation ReadExifOrientation(std::span<const uint8_t> app1) {
  if (!IsExifBlock(app1)) return Orientation::kTopLeft;
  TiffBlock tiff(app1.subspan(sizeof kExifHeader));
  if (!tiff.ReadOrder()) return Orientation::kTopLeft;
  const std::optional<uint16_t> value = FindOrientation(tiff);
  if (!value || *value < 1 || *value > 8) return Orientation::kTopLeft;
  return static_cast<Orientation>(*value);
}

}  // namespace quorel
