// Quorel — SPDX-License-Identifier: MIT
#include "codec/ImportPicture.h"

#include <cctype>
#include <string>

#include "codec/bmp/BmpFile.h"
#include "codec/gif/GifDecoder.h"
#include "codec/jpeg/JpegReader.h"
#include "codec/png/PngReader.h"

namespace quorel {

PictureKind PictureKindOf(const std::filesystem::path& path) {
  const std::string text = path.string();
  const auto dot = text.rfind('.');
  if (dot == std::string::npos || dot + 1 >= text.size()) return PictureKind::kNone;
  switch (std::tolower(static_cast<unsigned char>(text[dot + 1]))) {
    case 'b': return PictureKind::kBmp;
    case 'g': return PictureKind::kGif;
    case 'j': return PictureKind::kJpeg;
    case 'p': return PictureKind::kPng;
    default: return PictureKind::kNone;
  }
}

Result<Decoded> ReadPictureFile(const std::filesystem::path& path) {
  switch (PictureKindOf(path)) {
    case PictureKind::kBmp: return ReadBmpFile(path);
    case PictureKind::kGif: return ReadGifFile(path);
    case PictureKind::kJpeg: return ReadJpegFile(path);
    case PictureKind::kPng: return ReadPngFile(path);
    case PictureKind::kNone: break;
  }
  return Status::kNoPictureExtension;
}

Result<Decoded> ReadPictureBytes(std::span<const uint8_t> bytes, PictureKind kind) {
  if (kind == PictureKind::kNone) return Status::kNoPictureExtension;
  if (bytes.size() > kMaxBlockBytes) return Status::kTooLarge;  // as LoadFileBlock refuses the file
  switch (kind) {
    case PictureKind::kBmp: return ReadBmpBytes(bytes);
    case PictureKind::kGif: return ReadGifBytes(bytes);
    case PictureKind::kJpeg: return ReadJpegBytes(bytes);
    case PictureKind::kPng: return ReadPngBytes(bytes);
    case PictureKind::kNone: break;
  }
  return Status::kNoPictureExtension;
}

}  // namespace quorel
