// Quorel — SPDX-License-Identifier: MIT
// Any bytes through the Png reader: it must refuse or return a sound picture.
#include <cstddef>
#include <cstdint>

#include "codec/png/PngReader.h"
#include "FuzzCheck.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  quorel::fuzz::CheckPicture(quorel::ReadPngBytes({data, size}));
  return 0;
}
