// Quorel — SPDX-License-Identifier: MIT
#include "codec/PhotoHead.h"

#include <algorithm>
#include <array>
#include <string_view>

namespace quorel {
namespace {

bool HasText(std::span<const uint8_t> bytes, size_t at, std::string_view text) {
  return bytes.size() >= at + text.size() && std::equal(text.begin(), text.end(), bytes.begin() + at);
}

}  // namespace

bool IsHeifHead(std::span<const uint8_t> head) {
  // Brands of still pictures and sequences of HEVC (heic, heix, heim, heis,
  // hevc, hevx), of any coding (mif1, msf1) and of AV1 (avif, avis).
  constexpr std::array<std::string_view, 10> kBrands{"heic", "heix", "heim", "heis", "hevc",
                                                     "hevx", "mif1", "msf1", "avif", "avis"};
  if (!HasText(head, 4, "ftyp")) return false;  // the box's 32-bit size, then its type
  return std::any_of(kBrands.begin(), kBrands.end(), [&](std::string_view brand) { return HasText(head, 8, brand); });
}

bool IsWebpHead(std::span<const uint8_t> head) { return HasText(head, 0, "RIFF") && HasText(head, 8, "WEBP"); }

}  // namespace quorel
