// Quorel — SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>
#include <span>

#include "image/Orientation.h"

namespace quorel {

// The orientation tag (0x0112) of an APP1 segment's payload ("Exif\0\0" and a
// TIFF block). Anything else, a damaged block or a value outside 1–8 reads as
// kTopLeft: a photo is never refused for its Exif block.
Orientation ReadExifOrientation(std::span<const uint8_t> app1);
// Whether an APP1 payload is an Exif block at all (an XMP packet is not).
bool IsExifBlock(std::span<const uint8_t> app1);

}  // namespace quorel
