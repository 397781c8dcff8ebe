// Quorel — SPDX-License-Identifier: MIT
#include "codec/gif/LzwEncoder.h"

#include <cassert>

namespace quorel {

LzwEncoder::LzwEncoder(int min_code_size)
    : min_code_size_(min_code_size),
      clear_code_(1u << min_code_size),
      end_code_(clear_code_ + 1),
      first_free_(clear_code_ + 2),
      children_(size_t{kCodeLimit} << min_code_size, 0),
      slot_of_(kCodeLimit, 0) {
  assert(min_code_size >= 2 && min_code_size <= 8);
}

void LzwEncoder::Begin(std::vector<uint8_t>* out) {
  out_ = out;
  bit_buffer_ = 0;
  bit_count_ = 0;
  has_current_ = false;
  // A previous stream may have left entries behind.
  next_free_ = kCodeLimit;
  ResetTable();
  Emit(clear_code_);
}

void LzwEncoder::ResetTable() {
  for (uint32_t code = first_free_; code < next_free_; ++code) children_[slot_of_[code]] = 0;
  next_free_ = first_free_;
  width_ = min_code_size_ + 1;
  width_limit_ = 1u << width_;
}

void LzwEncoder::Emit(uint32_t code) {
  bit_buffer_ |= static_cast<uint64_t>(code) << bit_count_;
  bit_count_ += width_;
  // At most 7 + 12 bits are pending here; hand over whole bytes.
  while (bit_count_ >= 8) {
    out_->push_back(static_cast<uint8_t>(bit_buffer_));
    bit_buffer_ >>= 8;
    bit_count_ -= 8;
  }
}

bool LzwEncoder::Add(std::span<const uint8_t> pixels) {
  if (pixels.empty()) return true;
  const uint32_t alphabet = clear_code_;
  size_t i = 0;
  if (!has_current_) {
    if (pixels[0] >= alphabet) return false;
    current_ = pixels[0];
    has_current_ = true;
    i = 1;
  }
  uint32_t current = current_;
  for (; i < pixels.size(); ++i) {
    const uint32_t pixel = pixels[i];
    if (pixel >= alphabet) {
      current_ = current;
      return false;
    }
    const uint32_t slot = (current << min_code_size_) | pixel;
    const uint32_t child = children_[slot];
    if (child != 0) {
      current = child;
      continue;
    }
    Emit(current);
    if (next_free_ >= kCodeLimit) {
      // The table is full: the clear goes out at the widest width, and the
      // next code at the narrowest again.
      Emit(clear_code_);
      ResetTable();
    } else {
      children_[slot] = static_cast<uint16_t>(next_free_);
      slot_of_[next_free_] = slot;
      if (next_free_ >= width_limit_) {
        ++width_;
        width_limit_ <<= 1;
      }
      ++next_free_;
    }
    current = pixel;
  }
  current_ = current;
  return true;
}

bool LzwEncoder::Finish() {
  if (!has_current_) return false;
  Emit(current_);
  Emit(end_code_);
  if (bit_count_ > 0) out_->push_back(static_cast<uint8_t>(bit_buffer_));
  bit_buffer_ = 0;
  bit_count_ = 0;
  has_current_ = false;
  return true;
}

}  // namespace quorel
