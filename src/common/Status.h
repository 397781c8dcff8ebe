// Quorel — SPDX-License-Identifier: MIT
#pragma once

#include <string_view>

namespace quorel {

// Result codes of the readers and the GIF encoder. The numbers are part of the
// design and never renumbered; new codes go at the end with a comment.
enum class Status : int {
  kOk = 0,
  kCannotOpen = -1,        // file cannot be opened, sized or read, or ends early
  kUnsupported = -3,       // layout not supported, or not the format's signature
  kBadInput = -4,          // the encoder was given pictures it cannot write
  kOutOfMemory = -6,       // a block could not be allocated
  kFrameMismatch = -7,     // a later GIF frame differs from the first
  kGifExtensionRunsOut = -20,
  kGifTrailerBeforeImage = -21,
  kGifUnknownBlock = -22,
  kGifNoTableExponent = -24,
  kGifNoColourTable = -25,
  kGifZeroWidth = -26,
  kGifZeroHeight = -27,
  kGifBadCodeSize = -28,
  kGifBadCodeAfterClear = -29,
  kGifBadPrefixKnown = -30,
  kGifBadPrefixUnknown = -31,
  kJpegColourSpace = -50,  // neither grey nor three-component colour
  kJpegLibrary = -51,      // added: an error raised inside libjpeg
  kJpegCoding = -52,       // added: arithmetic, lossless or hierarchical coding
  kTooLarge = -60,         // added: beyond the pixel or memory limit of a picture
  kPngLibrary = -70,       // added: an error raised inside libpng
  kSignatureFailed = -80,  // added: the signature takes part but its tag cannot be made
  kSealFailed = -81,       // added: the same for the seal
  kNoPictureExtension = -82,  // added: the path names no picture format after its last "."
  kHeifLibrary = -90,      // added: an error raised inside libheif
  kWebpLibrary = -91,      // added: an error raised inside libwebp
};

std::string_view ToString(Status status);

constexpr int ToCode(Status status) { return static_cast<int>(status); }

}  // namespace quorel
