// Quorel — SPDX-License-Identifier: MIT
#pragma once

#include <utility>

#include "common/Result.h"
#include "image/PackedDib.h"
#include "image/RowSink.h"

namespace quorel {

// What a picture reader made: the picture, and whether the file held all of
// it. A file cut short keeps the rows decoded before the cut (the rest as the
// reader leaves them) and says so here, so a caller can tell the user.
struct Decoded {
  PackedDib picture;
  bool complete = true;
};

// What a reader that decodes into a RowSink tells once its rows are there.
struct DecodedRows {
  bool complete = true;
};

// A whole picture from a reader over rows: `read_rows(sink)` decodes into a
// PictureSink and returns Result<DecodedRows>.
template <class ReadRows>
Result<Decoded> DecodeIntoPicture(ReadRows&& read_rows) {
  PictureSink sink;
  const DecodedRows rows = QUOREL_TRY(std::forward<ReadRows>(read_rows)(sink));
  return Decoded{std::move(*sink.Picture()), rows.complete};
}

}  // namespace quorel
