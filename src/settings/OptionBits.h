// Quorel — SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>

#include "common/Result.h"

namespace quorel {

class IniStore;

// The option bits, stored as "flags" in section "Quorel". Bits not named here
// keep whatever value was read.
namespace option_bit {
inline constexpr int32_t kDefaultsWritten = 1;  // the first-run defaults are in the file
inline constexpr int32_t kSignature = 2;        // the signature takes part in the output
inline constexpr int32_t kSeal = 4;             // the seal takes part in the output
inline constexpr int32_t kAlignRight = 8;
inline constexpr int32_t kAlignCentre = 16;     // neither alignment bit: left
}  // namespace option_bit

inline constexpr int32_t kDefaultOptionBits = 14;  // both pictures, right alignment
inline constexpr const char* kFlagsKey = "flags";

enum class Alignment { kLeft, kCentre, kRight };

// Right wins over centre; neither is left.
constexpr Alignment AlignmentOf(int32_t bits) {
  if (bits & option_bit::kAlignRight) return Alignment::kRight;
  if (bits & option_bit::kAlignCentre) return Alignment::kCentre;
  return Alignment::kLeft;
}

// Bits 1 to 4 from the output choices, the way the main window stores its
// check boxes and alignment buttons before every output command.
constexpr int32_t StoreOutputChoices(int32_t bits, bool signature, bool seal, Alignment align) {
  bits &= ~(option_bit::kSignature | option_bit::kSeal | option_bit::kAlignRight |
            option_bit::kAlignCentre);
  if (signature) bits |= option_bit::kSignature;
  if (seal) bits |= option_bit::kSeal;
  if (align == Alignment::kRight) bits |= option_bit::kAlignRight;
  if (align == Alignment::kCentre) bits |= option_bit::kAlignCentre;
  return bits;
}

int32_t ReadOptionBits(const IniStore& store);
Result<void> WriteOptionBits(const IniStore& store, int32_t bits);

}  // namespace quorel
