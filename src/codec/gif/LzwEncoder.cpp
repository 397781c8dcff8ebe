// Quorel — SPDX-License-Identifier: MIT
#include "codec/gif/LzwEncoder.h"

#include <algorithm>
#include <cassert>

namespace quorel {
namespace {

constexpr int kPairCodeSize = 2;  // the alphabet whose pixel pairs get their own table

}  // namespace

Result<LzwEncoder> LzwEncoder::Make(int min_code_size) {
  assert(min_code_size >= 2 && min_code_size <= 8);
  LzwEncoder lzw(min_code_size);
  lzw.children_ = QUOREL_TRY(Buffer<uint16_t>::Filled(size_t{kCodeLimit} << min_code_size));
  lzw.slot_of_ = QUOREL_TRY(Buffer<uint32_t>::Filled(kCodeLimit, kNoSlot));
  if (min_code_size == kPairCodeSize) {
    lzw.pairs_ = QUOREL_TRY(Buffer<uint16_t>::Filled(size_t{kCodeLimit} << (2 * kPairCodeSize)));
    lzw.pair_slot_of_ = QUOREL_TRY(Buffer<uint32_t>::Filled(kCodeLimit, kNoSlot));
  }
  return lzw;
}

LzwEncoder::LzwEncoder(int min_code_size)
    : min_code_size_(min_code_size),
      clear_code_(1u << min_code_size),
      end_code_(clear_code_ + 1),
      first_free_(clear_code_ + 2) {}

Result<void> LzwEncoder::Begin(ByteBuffer* out) {
  out_ = out;
  QUOREL_TRY(out_->MakeRoom(kBytesPerCode));
  bit_buffer_ = 0;
  bit_count_ = 0;
  has_current_ = false;
  // A previous stream may have left entries behind.
  next_free_ = kCodeLimit;
  ResetTable();
  Emit(clear_code_);
  return {};
}

void LzwEncoder::ResetTable() {
  for (uint32_t code = first_free_; code < next_free_; ++code) {
    if (slot_of_[code] != kNoSlot) children_[slot_of_[code]] = 0;
    slot_of_[code] = kNoSlot;
    if (!pairs_.empty() && pair_slot_of_[code] != kNoSlot) {
      pairs_[pair_slot_of_[code]] = 0;
      pair_slot_of_[code] = kNoSlot;
    }
  }
  next_free_ = first_free_;
  width_ = min_code_size_ + 1;
  width_limit_ = 1u << width_;
}

void LzwEncoder::Emit(uint32_t code) {
  bit_buffer_ |= static_cast<uint64_t>(code) << bit_count_;
  bit_count_ += width_;
  // At most 7 + 12 bits are pending here; hand over whole bytes.
  while (bit_count_ >= 8) {
    out_->PushInRoom(static_cast<uint8_t>(bit_buffer_));
    bit_buffer_ >>= 8;
    bit_count_ -= 8;
  }
}

void LzwEncoder::EndString(uint32_t current, uint32_t slot, uint32_t pixel) {
  Emit(current);
  if (next_free_ >= kCodeLimit) {
    // The table is full: the clear goes out at the widest width, and the next
    // code at the narrowest again.
    Emit(clear_code_);
    ResetTable();
    return;
  }
  const uint32_t code = next_free_;
  children_[slot] = static_cast<uint16_t>(code);
  slot_of_[code] = slot;
  if (!pairs_.empty() && current >= first_free_) {
    // current = parent + last pixel, so the new string is parent + last + pixel:
    // its pair slot is current's child slot followed by the pixel.
    const uint32_t pair_slot = (slot_of_[current] << kPairCodeSize) | pixel;
    pairs_[pair_slot] = static_cast<uint16_t>(code);
    pair_slot_of_[code] = pair_slot;
  }
  if (code >= width_limit_) {
    ++width_;
    width_limit_ <<= 1;
  }
  ++next_free_;
}

Result<void> LzwEncoder::Add(std::span<const uint8_t> pixels) {
  if (pixels.empty()) return {};
  if (*std::max_element(pixels.begin(), pixels.end()) >= clear_code_) return Status::kBadInput;
  // A pixel ends at most one string, and a clear comes after thousands of
  // codes: two codes a pixel are more than enough.
  if (pixels.size() > SIZE_MAX / (2 * kBytesPerCode)) return Status::kOutOfMemory;
  QUOREL_TRY(out_->MakeRoom(2 * kBytesPerCode * pixels.size()));
  size_t i = 0;
  if (!has_current_) {
    current_ = pixels[0];
    has_current_ = true;
    i = 1;
  }
  // Locals, so that the hot loops keep them in registers across the stores
  // of EndString.
  const uint16_t* const children = children_.data();
  const int shift = min_code_size_;
  uint32_t current = current_;
  auto step = [&](uint32_t pixel) {
    const uint32_t slot = (current << shift) | pixel;
    const uint32_t child = children[slot];
    if (child != 0) {
      current = child;
    } else {
      EndString(current, slot, pixel);
      current = pixel;
    }
  };
  if (!pairs_.empty()) {
    const uint16_t* const pairs = pairs_.data();
    while (i + 1 < pixels.size()) {
      const uint32_t pair = (uint32_t{pixels[i]} << kPairCodeSize) | pixels[i + 1];
      const uint32_t grandchild = pairs[(current << (2 * kPairCodeSize)) | pair];
      if (grandchild != 0) {
        current = grandchild;
        i += 2;
      } else {
        step(pixels[i]);
        i += 1;
      }
    }
  }
  for (; i < pixels.size(); ++i) step(pixels[i]);
  current_ = current;
  return {};
}

Result<void> LzwEncoder::Finish() {
  if (!has_current_) return Status::kBadInput;
  QUOREL_TRY(out_->MakeRoom(3 * kBytesPerCode));
  Emit(current_);
  Emit(end_code_);
  if (bit_count_ > 0) out_->PushInRoom(static_cast<uint8_t>(bit_buffer_));
  bit_buffer_ = 0;
  bit_count_ = 0;
  has_current_ = false;
  return {};
}

}  // namespace quorel
