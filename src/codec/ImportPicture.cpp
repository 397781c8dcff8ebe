// Quorel — SPDX-License-Identifier: MIT
#include "codec/ImportPicture.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <string>

#include "codec/PhotoHead.h"
#include "codec/RandomAccessInput.h"
#include "codec/bmp/BmpFile.h"
#include "codec/gif/GifDecoder.h"
#include "codec/jpeg/JpegReader.h"
#include "codec/png/PngReader.h"
#if QUOREL_HAVE_HEIF
#include "codec/heif/HeifReader.h"
#endif
#if QUOREL_HAVE_WEBP
#include "codec/webp/WebpReader.h"
#endif

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

PictureKind PhotoKindOf(std::span<const uint8_t> head) {
  if (IsHeifHead(head)) return PictureKind::kHeif;
  if (IsWebpHead(head)) return PictureKind::kWebp;
  return PictureKind::kNone;
}

PictureKind PictureKindOfFile(const std::filesystem::path& path) {
  // A file that cannot be opened is judged by its name: its reader then says
  // why it cannot be read.
  if (auto input = FileInput::Open(path)) {
    std::array<uint8_t, 16> head{};
    const auto taken = std::span(head).first(static_cast<size_t>(std::min<uint64_t>(input->Size(), head.size())));
    if (input->ReadAt(0, taken)) {
      if (const PictureKind photo = PhotoKindOf(taken); photo != PictureKind::kNone) return photo;
    }
  }
  return PictureKindOf(path);
}

bool ReadsHeif() { return QUOREL_HAVE_HEIF != 0; }
bool ReadsWebp() { return QUOREL_HAVE_WEBP != 0; }

Result<Decoded> ReadPictureFile(const std::filesystem::path& path) {
  switch (PictureKindOfFile(path)) {
    case PictureKind::kBmp: return ReadBmpFile(path);
    case PictureKind::kGif: return ReadGifFile(path);
    case PictureKind::kJpeg: return ReadJpegFile(path);
    case PictureKind::kPng: return ReadPngFile(path);
#if QUOREL_HAVE_HEIF
    case PictureKind::kHeif: return ReadHeifFile(path);
#else
    case PictureKind::kHeif: return Status::kUnsupported;
#endif
#if QUOREL_HAVE_WEBP
    case PictureKind::kWebp: return ReadWebpFile(path);
#else
    case PictureKind::kWebp: return Status::kUnsupported;
#endif
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
#if QUOREL_HAVE_HEIF
    case PictureKind::kHeif: return ReadHeifBytes(bytes);
#else
    case PictureKind::kHeif: return Status::kUnsupported;
#endif
#if QUOREL_HAVE_WEBP
    case PictureKind::kWebp: return ReadWebpBytes(bytes);
#else
    case PictureKind::kWebp: return Status::kUnsupported;
#endif
    case PictureKind::kNone: break;
  }
  return Status::kNoPictureExtension;
}

}  // namespace quorel
