// Quorel — SPDX-License-Identifier: MIT
// Any bytes through the Webp reader: it must refuse or return a sound picture.
#include <cstddef>
#include <cstdint>

#include "codec/webp/WebpReader.h"
#include "FuzzCheck.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  quorel::fuzz::CheckPicture(quorel::ReadWebpBytes({data, size}));
  return 0;
}
