// Quorel — SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>
#include <span>

namespace quorel {

// Whether a file's first bytes are those of an HEIF file (HEIC from a phone,
// or AVIF): an "ftyp" box whose major brand is one of the image brands.
bool IsHeifHead(std::span<const uint8_t> head);

// Whether a file's first bytes are those of a WebP file: "RIFF", a length,
// "WEBP".
bool IsWebpHead(std::span<const uint8_t> head);

}  // namespace quorel
