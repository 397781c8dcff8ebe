// Quorel — SPDX-License-Identifier: MIT
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "common/Buffer.h"
#include "common/Result.h"
#include "output/MarkRequest.h"

namespace quorel {

// One panel's picture as a file: a two-level GIF with the background
// transparent, or a PNG with the ink's coverage as transparency.
struct MarkImage {
  OutputFormat format = OutputFormat::kGif;
  ByteBuffer bytes;
  int32_t width = 0;    // the size the page lays it out at
  int32_t height = 0;
  bool dense = false;   // made at more pixels: its tag carries width and height
  bool complete = true; // its source held all of its picture
  bool ink_found = true; // false: a clean-up found no ink, and the picture is transparent
  std::string alt;      // UTF-8 as asked; escaped where it is written
  // The picture the bytes encode, for outputs that compose the pictures: a
  // GIF's two-level picture (1 bit, entry 0 the ink, 1 the transparent
  // background), or a PNG's coverage (8 bits, the ink's alpha; MeasureCoverage).
  // None for a picture too large for the composed picture (MarkPicture).
  std::optional<PackedDib> pixels;
  Colour ink = 0;
};

// The pictures of one output, signature first, and how the block is aligned;
// what every form of output (the inline snippet, files, a message) is written from.
struct Mark {
  Alignment align = Alignment::kRight;
  std::array<std::optional<MarkImage>, 2> images;  // only the panels that take part
};

// Why a mark could not be made.
struct MarkFailure {
  PanelIndex panel = PanelIndex::kSignature;
  bool unreadable = false;  // its picture could not be read, normalised or cleaned
  Status cause = Status::kOk;
};

// Each panel that takes part, signature first: its picture made (read,
// normalised, cleaned, scaled) and encoded in the request's style. A panel
// that takes part without a picture, or whose picture cannot be made whole,
// fails the mark with kSignatureFailed or kSealFailed; `failure`, when given,
// then says why. A new picture file that cannot be read is reported before
// any other failure; otherwise the signature's failure comes first.
Result<Mark> MakeMark(const MarkRequest& request, MarkFailure* failure = nullptr);

}  // namespace quorel
