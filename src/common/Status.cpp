// Quorel — SPDX-License-Identifier: MIT
#include "common/Status.h"

namespace quorel {

std::string_view ToString(Status status) {
  switch (status) {
    case Status::kOk: return "success";
    case Status::kCannotOpen: return "cannot be opened or ends early";
    case Status::kUnsupported: return "layout not supported";
    case Status::kBadInput: return "bad input";
    case Status::kOutOfMemory: return "out of memory";
    case Status::kFrameMismatch: return "frames differ in size or depth";
    case Status::kGifExtensionRunsOut: return "GIF extension runs past the data";
    case Status::kGifTrailerBeforeImage: return "GIF trailer before any image";
    case Status::kGifUnknownBlock: return "unknown GIF block";
    case Status::kGifNoTableExponent: return "GIF without colour table size";
    case Status::kGifNoColourTable: return "GIF without colour table";
    case Status::kGifZeroWidth: return "GIF image width 0";
    case Status::kGifZeroHeight: return "GIF image height 0";
    case Status::kGifBadCodeSize: return "GIF minimum code size out of range";
    case Status::kGifBadCodeAfterClear: return "GIF code after clear out of range";
    case Status::kGifBadPrefixKnown:
    case Status::kGifBadPrefixUnknown: return "damaged GIF code stream";
    case Status::kJpegColourSpace: return "JPEG colour space not supported";
    case Status::kJpegLibrary: return "damaged or unsupported JPEG data";
    case Status::kJpegCoding: return "JPEG coding not supported";
    case Status::kTooLarge: return "picture too large";
    case Status::kPngLibrary: return "damaged or unsupported PNG data";
    case Status::kSignatureFailed: return "the signature's image tag cannot be made";
    case Status::kSealFailed: return "the seal's image tag cannot be made";
    case Status::kNoPictureExtension: return "no picture extension";
    case Status::kHeifLibrary: return "damaged or unsupported HEIF data";
    case Status::kWebpLibrary: return "damaged or unsupported WebP data";
  }
  return "unknown result";
}

}  // namespace quorel
