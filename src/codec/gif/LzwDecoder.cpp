// Quorel — SPDX-License-Identifier: MIT
#include "codec/gif/LzwDecoder.h"

#include <bit>
#include <utility>

namespace quorel {

LzwDecoder::LzwDecoder(int min_code_size) : clear_(1 << min_code_size) {
  for (int i = 0; i < clear_; ++i) {
    table_[static_cast<size_t>(i)] = {-1, static_cast<uint8_t>(i), static_cast<uint8_t>(i)};
  }
  Clear();
}

void LzwDecoder::Clear() {
  width_ = std::bit_width(static_cast<unsigned>(clear_));  // min_code_size + 1
  next_ = clear_ + 2;
  after_clear_ = true;
}

Result<std::span<const uint8_t>> LzwDecoder::Expand(int code) {
  if (after_clear_ && code > clear_) return Status::kGifBadCodeAfterClear;
  code_ = code;
  known_ = after_clear_ || code < next_;
  size_t start = string_.size();
  int chain = known_ ? code : previous_;
  if (!known_) string_[--start] = table_[static_cast<size_t>(previous_)].first;
  // Every entry's prefix is a smaller code, so a chain ends at a root; the
  // checks only guard against a table that could say otherwise.
  for (;;) {
    if (chain < 0 || chain >= kMaxCodes || start == 0) return Status::kGifBadPrefixKnown;
    const Entry& entry = table_[static_cast<size_t>(chain)];
    string_[--start] = entry.last;
    if (entry.prefix < 0) break;
    if (entry.prefix == chain) return Status::kGifBadPrefixKnown;
    chain = entry.prefix;
  }
  return std::span<const uint8_t>(string_).subspan(start);
}

Result<void> LzwDecoder::Remember() {
  const bool was_known = known_;
  const int code = code_;
  if (std::exchange(after_clear_, false)) {
    previous_ = code;
    return {};
  }
  if (next_ < kMaxCodes) {
    if (previous_ >= next_) {
      return was_known ? Status::kGifBadPrefixKnown : Status::kGifBadPrefixUnknown;
    }
    const Entry& before = table_[static_cast<size_t>(previous_)];
    const uint8_t last = was_known ? table_[static_cast<size_t>(code)].first : before.first;
    table_[static_cast<size_t>(next_)] = {previous_, before.first, last};
    ++next_;
    if (next_ >= (1 << width_) && width_ < kMaxCodeWidth) ++width_;
  }
  previous_ = code;
  return {};
}

}  // namespace quorel
