// Quorel — SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>
#include <span>

#include "common/Buffer.h"
#include "common/Result.h"

namespace quorel {

// The GIF flavour of LZW: variable-width codes from min_code_size + 1 up to 12
// bits, packed least significant bit first. Codes up to 4094 are assigned;
// when the next free code would be 4095 the coder emits a clear code and
// starts a fresh table. The stream is that of plain greedy LZW: every string is
// extended as far as the table allows before its code is emitted.
//
// The lookup is a direct child table indexed by (code, pixel), so finding a
// string's extension costs one load whatever the table holds. For the smallest
// alphabet (two-colour pictures) a second table indexed by (code, two pixels)
// lets the coder take two pixels per load while both extensions exist; it only
// shortcuts steps the child table would take, so the stream stays the same.
class LzwEncoder {
 public:
  static constexpr int kMaxCodeWidth = 12;
  static constexpr uint32_t kCodeLimit = 4095;  // never assigned

  // min_code_size 2 to 8. kOutOfMemory when its tables cannot be allocated.
  static Result<LzwEncoder> Make(int min_code_size);

  // Starts a new stream in `out` (appending to it): a fresh table and the
  // clear code. Every step that writes to `out` grows it first, so out of
  // memory is kOutOfMemory from Begin, Add or Finish.
  Result<void> Begin(ByteBuffer* out);
  // Feeds pixels in order. kBadInput (and nothing of them is coded) when a
  // pixel does not fit the alphabet of 2^min_code_size indexes.
  Result<void> Add(std::span<const uint8_t> pixels);
  // Emits the pending string and the end code and completes the last byte.
  // kBadInput when no pixel was added: a stream needs at least one.
  Result<void> Finish();

 private:
  explicit LzwEncoder(int min_code_size);

  static constexpr uint32_t kNoSlot = UINT32_MAX;
  // The bytes one code of at most 12 bits can complete.
  static constexpr size_t kBytesPerCode = 2;

  // The string `current` has no extension by `pixel` (its child slot is
  // `slot`): emit it and enter the extension, or clear a full table.
  void EndString(uint32_t current, uint32_t slot, uint32_t pixel);
  void Emit(uint32_t code);
  void ResetTable();

  int min_code_size_;
  uint32_t clear_code_;
  uint32_t end_code_;
  uint32_t first_free_;

  // children_[(code << min_code_size) | pixel]: the code of that string's
  // extension by pixel, or 0 (no string extends to a code below first_free_).
  Buffer<uint16_t> children_;
  // The children_ slot that each assigned code fills, so that a clear empties
  // exactly those slots instead of the whole table. It is also the code's
  // parent and last pixel.
  Buffer<uint32_t> slot_of_;
  // Only for min_code_size 2: pairs_[(code << 4) | (p1 << 2) | p2], the code of
  // the string extended by p1 and p2, or 0; and the pairs_ slot each code fills.
  Buffer<uint16_t> pairs_;
  Buffer<uint32_t> pair_slot_of_;

  uint32_t next_free_ = 0;
  int width_ = 0;
  uint32_t width_limit_ = 0;
  uint32_t current_ = 0;
  bool has_current_ = false;

  ByteBuffer* out_ = nullptr;
  uint64_t bit_buffer_ = 0;  // pending bits, the oldest in the low end
  int bit_count_ = 0;
};

}  // namespace quorel
