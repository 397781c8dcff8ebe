// Quorel — SPDX-License-Identifier: MIT
// ReadHeifFile: libheif parses the boxes and decodes (rotation and mirror
// included); this file bounds it and lays the rows out.
#include "codec/heif/HeifReader.h"

#include <libheif/heif.h>

#include <memory>

#include "codec/PhotoBounds.h"
#include "codec/PhotoHead.h"
#include "codec/ReadFromFile.h"
#include "codec/heif/HeifLibrary.h"
#include "image/RowSink.h"

namespace quorel {
namespace {

// NOTE: libheif refuses any picture (and any grid of tiles) wider or taller
// than this before decoding: no side of a picture within our cap is longer.
constexpr int kMaxHeifSide = 16384;

// libheif's registry of decoders, held for one read (the calls nest: the
// library counts them).
class HeifDecoders {
 public:
  explicit HeifDecoders(const HeifLibrary& heif) : heif_(heif), ready_(heif.init(nullptr).code == heif_error_Ok) {}
  ~HeifDecoders() {
    if (ready_) heif_.deinit();
  }
  HeifDecoders(const HeifDecoders&) = delete;
  HeifDecoders& operator=(const HeifDecoders&) = delete;
  bool Ready() const { return ready_; }

 private:
  const HeifLibrary& heif_;
  bool ready_;
};

// Frees a libheif object with the loaded library's function for it.
template <auto kFree>
struct HeifFree {
  const HeifLibrary* heif;
  template <class T>
  void operator()(T* object) const {
    (heif->*kFree)(object);
  }
};
using ContextPtr = std::unique_ptr<heif_context, HeifFree<&HeifLibrary::context_free>>;
using HandlePtr = std::unique_ptr<heif_image_handle, HeifFree<&HeifLibrary::image_handle_release>>;
using ImagePtr = std::unique_ptr<heif_image, HeifFree<&HeifLibrary::image_release>>;
using OptionsPtr = std::unique_ptr<heif_decoding_options, HeifFree<&HeifLibrary::decoding_options_free>>;

Status StatusOf(const heif_error& error) {
  switch (error.code) {
    case heif_error_Ok: return Status::kOk;
    case heif_error_Memory_allocation_error: return Status::kOutOfMemory;
    case heif_error_Unsupported_filetype:
    case heif_error_Unsupported_feature: return Status::kUnsupported;
    default: break;
  }
  return error.subcode == heif_suberror_Security_limit_exceeded ? Status::kTooLarge : Status::kHeifLibrary;
}

Result<void> Check(const heif_error& error) {
  const Status status = StatusOf(error);
  if (status == Status::kOk) return {};
  return status;
}

Result<void> CheckHeifHead(std::span<const uint8_t> head) {
  return IsHeifHead(head) ? Result<void>() : Result<void>(Status::kHeifLibrary);
}

// The decoded picture's interleaved plane, row by row into a whole picture.
Result<Decoded> CopyOut(const HeifLibrary& heif, const heif_image& image, bool has_alpha) {
  const int width = heif.image_get_width(&image, heif_channel_interleaved);
  const int height = heif.image_get_height(&image, heif_channel_interleaved);
  int stride = 0;
  const uint8_t* plane = heif.image_get_plane_readonly(&image, heif_channel_interleaved, &stride);
  const int channels = has_alpha ? 4 : 3;
  if (plane == nullptr || width <= 0 || height <= 0 || stride < width * channels) return Status::kHeifLibrary;
  return DecodeIntoPicture([&](RowSink& sink) -> Result<DecodedRows> {
    QUOREL_TRY(sink.Begin(width, height, RowOrder::kTopDown));
    for (int y = 0; y < height; ++y) {
      PutRowOverWhite(plane + static_cast<size_t>(y) * static_cast<size_t>(stride), width, channels, ChannelOrder::kRgb,
                      sink.Row(y));
    }
    return DecodedRows{true};
  });
}

Result<Decoded> ReadHeif(std::span<const uint8_t> bytes) {
  QUOREL_TRY(CheckHeifHead(bytes));
  const Result<HeifLibrary>& installed = HeifLibrary::Installed();
  if (!installed) return installed.status();
  const HeifLibrary& heif = *installed;
  const HeifDecoders decoders(heif);
  if (!decoders.Ready()) return Status::kHeifLibrary;
  const ContextPtr context(heif.context_alloc(), {&heif});
  if (!context) return Status::kOutOfMemory;
  heif.context_set_maximum_image_size_limit(context.get(), kMaxHeifSide);
  // The bytes outlive the context: no copy of the file.
  QUOREL_TRY(Check(heif.context_read_from_memory_without_copy(context.get(), bytes.data(), bytes.size(), nullptr)));
  heif_image_handle* primary = nullptr;
  QUOREL_TRY(Check(heif.context_get_primary_image_handle(context.get(), &primary)));
  const HandlePtr handle(primary, {&heif});
  // The size after rotation, which is what is decoded; checked before any
  // pixel exists.
  QUOREL_TRY(CheckDeclaredPhotoSize(heif.image_handle_get_width(primary), heif.image_handle_get_height(primary),
                                    bytes.size()));
  const bool has_alpha = heif.image_handle_has_alpha_channel(primary) != 0;

  const OptionsPtr options(heif.decoding_options_alloc(), {&heif});
  if (!options) return Status::kOutOfMemory;
  // NOTE: ignore_transformations stays 0 (libheif's default): the picture
  // comes out turned and mirrored as its irot and imir boxes say, which is how
  // a phone records its orientation. The Exif orientation inside an HEIF file
  // only repeats that, so it is not applied a second time.
  options->convert_hdr_to_8bit = 1;
  heif_image* decoded = nullptr;
  QUOREL_TRY(Check(heif.decode_image(primary, &decoded, heif_colorspace_RGB,
                                     has_alpha ? heif_chroma_interleaved_RGBA : heif_chroma_interleaved_RGB,
                                     options.get())));
  const ImagePtr image(decoded, {&heif});
  return CopyOut(heif, *image, has_alpha);
}

}  // namespace

Result<Decoded> ReadHeifFile(const std::filesystem::path& path) {
  return ReadFromFile(path, CheckHeifHead, ReadHeif);
}

Result<Decoded> ReadHeifBytes(std::span<const uint8_t> bytes) { return ReadHeif(bytes); }

}  // namespace quorel
