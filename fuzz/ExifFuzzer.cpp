// Quorel — SPDX-License-Identifier: MIT
// Any bytes as an APP1 payload through the Exif orientation reader: it must
// stay inside the bytes and give one of the eight orientations.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "codec/jpeg/ExifOrientation.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const auto value = static_cast<int>(quorel::ReadExifOrientation({data, size}));
  if (value < 1 || value > 8) std::abort();
  return 0;
}
