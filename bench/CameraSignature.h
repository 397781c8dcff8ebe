// Quorel — SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>
#include <filesystem>
#include <vector>

namespace quorel::bench {

// Grey paper with a few pen loops across it, as a phone photo of a signature:
// width × height red-green-blue triples, top row first.
std::vector<uint8_t> DrawSignatureRgb(int width, int height);

// A round vermilion seal (a ring round a cross) pressed at the top right of
// such a picture, beside the signature, as on a signed and sealed page.
void StampSealRgb(std::vector<uint8_t>& rgb, int width, int height);

// The pixels as a baseline JPEG of quality 90; false when it cannot be written.
bool WriteJpeg(const std::filesystem::path& path, const std::vector<uint8_t>& rgb, int width, int height);

}  // namespace quorel::bench
