// Quorel — SPDX-License-Identifier: MIT
// Any bytes through the Heif reader: it must refuse or return a sound picture.
#include <cstddef>
#include <cstdint>

#include "codec/heif/HeifReader.h"
#include "FuzzCheck.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  quorel::fuzz::CheckPicture(quorel::ReadHeifBytes({data, size}));
  return 0;
}
