// Quorel — SPDX-License-Identifier: MIT
#pragma once

#include <optional>

#include "codec/Decoded.h"
#include "common/Result.h"
#include "image/PackedDib.h"
#include "image/RowScaler.h"
#include "image/cleanup/PhotoCleanup.h"
#include "output/MarkRequest.h"

namespace quorel {

// The size a picture is made at for an output size: at 2× twice the output
// size, but each side no larger than the source's, nor smaller than the
// output's (an enlarged picture stays at 1×).
PictureSize MadeSize(const OutputSizeResult& output, int32_t source_width, int32_t source_height,
                     OutputDensity density);

// One panel's picture on its way to its tag: as read (and cleaned), then at
// the size the tag is made at.
class MadePicture {
 public:
  MadePicture(PackedDib picture, bool complete) : owned_(std::move(picture)), complete_(complete) {}
  explicit MadePicture(const PackedDib& borrowed) : borrowed_(&borrowed) {}
  // A picture the caller keeps, read from a file that held `complete` of it.
  static MadePicture Borrowed(const PackedDib& picture, bool complete) {
    MadePicture made(picture);
    made.complete_ = complete;
    return made;
  }
  // A picture already at its made size, laid out at `layout`.
  MadePicture(PackedDib picture, OutputSizeResult layout, bool complete)
      : owned_(std::move(picture)), layout_(layout), sized_(true), complete_(complete) {}

  const PackedDib& picture() const { return owned_ ? *owned_ : *borrowed_; }
  // Whether the picture is at its made size, and the size the page lays it
  // out at (scaling_applies: a scale setting chose it).
  bool sized() const { return sized_; }
  const OutputSizeResult& layout() const { return layout_; }
  // Made at more pixels than it is laid out at: the tag carries the layout size.
  bool dense() const {
    return picture().Width() != layout_.width || picture().Height() != layout_.height;
  }
  // The source held all of its picture (a cut file keeps the rows it had).
  bool complete() const { return complete_; }
  // False when a clean-up found no ink at all: the picture is then output
  // as a transparent one, never made all ink by the two-level rule.
  bool ink_found() const { return ink_found_; }
  void SetNoInk() { ink_found_ = false; }

  // The picture at its made size by the scale settings.
  Result<MadePicture> Sized(const ScaleSettings& scale, OutputDensity density) &&;

 private:
  std::optional<PackedDib> owned_;
  const PackedDib* borrowed_ = nullptr;
  OutputSizeResult layout_;
  bool sized_ = false;
  bool complete_ = true;
  bool ink_found_ = true;
};

// The panel's picture read, normalised and cleaned. NOTE: where nothing but
// scaling lies between a picture file and its tag, the file is decoded
// straight into the scaler, and the picture comes back already sized: the
// same bytes, without the whole picture in memory. A large picture that is
// cleaned and scaled down is decoded into the scaler at a working size, and
// comes back cleaned and sized (WorkingPicture.h). The photo clean-up keeps
// the `wanted` ink. kBadInput without a picture; the reader's, the
// clean-up's or the scaler's status.
Result<MadePicture> ReadPanelPicture(const PanelRequest& panel, OutputDensity density,
                                     InkWanted wanted = InkWanted::kAny);

// The steps ReadPanelPicture takes, for a reader that decodes one new picture
// for both panels (SharedPicture.h).
//
// The size a panel's new picture is scaled to while it is decoded, for its
// (upright) size: its made size when it is only scaled, its working size when
// it is cleaned and large; none when the panel takes the whole picture.
std::optional<PictureSize> ScaledSize(const PanelRequest& panel, OutputDensity density, PictureSize source);
// The panel's picture from its new picture of size `source` scaled to
// ScaledSize: as it is, or cleaned at its working size and then made.
Result<MadePicture> MadeFromScaled(const PanelRequest& panel, OutputDensity density, InkWanted wanted,
                                   Decoded scaled, PictureSize source);
// A new picture's rows, from its file or its bytes, into `sink`.
Result<DecodedRows> ReadNewPictureRows(const PictureSource& source, RowSink& sink);
// A picture file or file's bytes read whole; a new picture made 24-bit from
// 16 × 16 on.
Result<Decoded> ReadWholePicture(const PictureSource& source);
// The panel's picture from its whole picture (owned or borrowed), cleaned
// when the panel asks for it and the picture can be.
Result<MadePicture> MadeFromWhole(const PanelRequest& panel, InkWanted wanted, MadePicture whole);

}  // namespace quorel
