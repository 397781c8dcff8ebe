// Quorel — SPDX-License-Identifier: MIT
// Any bytes through the Jpeg reader: it must refuse or return a sound picture.
#include <cstddef>
#include <cstdint>

#include "codec/jpeg/JpegReader.h"
#include "FuzzCheck.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  quorel::fuzz::CheckPicture(quorel::ReadJpegBytes({data, size}));
  return 0;
}
