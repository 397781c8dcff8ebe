// Quorel — SPDX-License-Identifier: MIT
#include "codec/gif/GifEncoder.h"

#include "codec/gif/GifEncoderBlocks.h"
#include "codec/gif/LzwEncoder.h"
#include "codec/gif/PixelReader.h"
#include "image/DibLayout.h"

namespace quorel {
namespace {

// GIF sizes and indexes are 16 and 8 bits wide.
constexpr int32_t kMaxGifSide = 65535;
constexpr int32_t kMaxTransparentIndex = 255;

bool HasSupportedLayout(const PackedDib& picture) {
  const int depth = picture.BitCount();
  return picture.Field16(DibField::kPlanes) == 1 && (depth == 1 || depth == 4 || depth == 8);
}

bool SameShape(const PackedDib& a, const PackedDib& b) {
  return a.Width() == b.Width() && a.Height() == b.Height() && a.Field16(DibField::kPlanes) == b.Field16(DibField::kPlanes) &&
         a.BitCount() == b.BitCount();
}

// Compresses one picture into `compressed`. kBadInput when the picture yields
// no pixel, its rows do not lie inside its block, or an index does not fit the
// code size.
Result<void> CompressFrame(const PackedDib& picture, LzwEncoder& lzw,
                           ByteBuffer& compressed) {
  const PixelReader reader(QUOREL_TRY(ConstDibRows::Of(picture)));
  ByteBuffer row = QUOREL_TRY(ByteBuffer::Filled(static_cast<size_t>(reader.width())));
  compressed.Clear();
  QUOREL_TRY(lzw.Begin(&compressed));
  for (int32_t y = 0; y < reader.height(); ++y) {
    reader.ReadRow(y, row);
    QUOREL_TRY(lzw.Add(row));
  }
  return lzw.Finish();
}

Result<void> AppendGif(const GifEncodeRequest& request, ByteBuffer& bytes) {
  const PackedDib* first = request.frames.front().picture;
  if (!first) return Status::kBadInput;
  if (!HasSupportedLayout(*first)) return Status::kBadInput;
  // NOTE: sides and indexes that GIF cannot hold are refused rather than
  // written truncated into a file that claims success.
  if (first->Width() > kMaxGifSide || first->Height() > kMaxGifSide ||
      request.transparent_index > kMaxTransparentIndex) {
    return Status::kBadInput;
  }

  const int32_t width = first->Width();
  const int32_t height = first->Height();
  const GifCodeSizes sizes = ChooseCodeSizes(PaletteEntries(*first), request.transparent_index);
  LzwEncoder lzw = QUOREL_TRY(LzwEncoder::Make(sizes.min_code_size));

  QUOREL_TRY(bytes.MakeRoom(kMostBlockBytes));
  AppendHeader(bytes);
  AppendScreenDescriptor(bytes, width, height, sizes.table_exponent);
  AppendColourTable(bytes, *first, sizes);
  AppendComment(bytes);
  if (request.frames.size() > 1) AppendLoopExtension(bytes);

  ByteBuffer compressed;
  for (size_t i = 0; i < request.frames.size(); ++i) {
    const GifFrame& frame = request.frames[i];
    if (!frame.picture) return Status::kBadInput;
    if (i > 0 && !SameShape(*frame.picture, *first)) return Status::kFrameMismatch;
    QUOREL_TRY(CompressFrame(*frame.picture, lzw, compressed));
    QUOREL_TRY(bytes.MakeRoom(kMostBlockBytes + ImageDataBytes(compressed.size())));
    AppendGraphicControl(bytes, frame.delay, request.transparent_index);
    AppendImageDescriptor(bytes, width, height);
    AppendImageData(bytes, sizes.min_code_size, compressed);
  }
  AppendTrailer(bytes);
  return {};
}

}  // namespace

Result<ByteBuffer> EncodeGif(const GifEncodeRequest& request) {
  if (request.frames.empty()) return Status::kBadInput;
  ByteBuffer bytes;
  QUOREL_TRY(AppendGif(request, bytes));
  return bytes;
}

}  // namespace quorel
