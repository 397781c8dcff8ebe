// Quorel — SPDX-License-Identifier: MIT
#pragma once

#include <array>
#include <cstdint>
#include <span>

#include "common/Result.h"

namespace quorel {

// The string table of GIF's LZW: codes in, strings of colour indexes out. The
// caller reads codes of CodeWidth() bits, handles the clear and end codes, and
// for every other code first expands it, then (once the string has been put
// to use) remembers it, so a stream that ends the picture mid-table never
// reaches a table error.
class LzwDecoder {
 public:
  static constexpr int kMaxCodes = 4096;
  static constexpr int kMaxCodeWidth = 12;

  // min_code_size 2 to 11, checked by the caller.
  explicit LzwDecoder(int min_code_size);

  int CodeWidth() const { return width_; }
  int ClearCode() const { return clear_; }
  int EndCode() const { return clear_ + 1; }

  // Forgets every string learnt; codes are min_code_size + 1 bits again.
  void Clear();
  // The string of a code that is neither clear nor end: a known code's own
  // string, or for a code the table does not hold yet the previous string
  // followed by its own first index. kGifBadCodeAfterClear for a code above
  // the roots right after a clear; kGifBadPrefixKnown for a chain that does
  // not end at a root (which the table's own rules rule out).
  Result<std::span<const uint8_t>> Expand(int code);
  // Learns the string after the last expanded one, as the encoder did: the
  // previous string plus the first index of the expanded one. Nothing to learn
  // right after a clear, and nothing once the table is full (codes stay 12
  // bits wide). kGifBadPrefixKnown / kGifBadPrefixUnknown when the previous
  // code lies beyond the table (a corrupt stream).
  Result<void> Remember();

 private:
  struct Entry {
    int32_t prefix = 0;  // -1 for a root
    uint8_t first = 0;
    uint8_t last = 0;
  };

  int clear_;
  int width_ = 0;
  int next_ = 0;
  int previous_ = 0;
  int code_ = 0;            // the last expanded code
  bool after_clear_ = true; // NOTE: a stream that does not begin with a clear code is read as if it did
  bool known_ = false;      // the last expanded code was in the table
  std::array<Entry, kMaxCodes> table_{};
  // Strings are unwound from their last index, so they fill this from its end.
  std::array<uint8_t, kMaxCodes + 1> string_{};
};

}  // namespace quorel
