// Quorel — SPDX-License-Identifier: MIT
#include "image/RowSink.h"

namespace quorel {

Result<void> PictureSink::Begin(int32_t width, int32_t height, RowOrder) {
  // NOTE: not zero-filled: the reader writes every pixel of every row.
  picture_ = QUOREL_TRY(CreateDib(width, height, 24, 0, PixelFill::kNone));
  rows_ = QUOREL_TRY(DibRows::Of(*picture_));
  return {};
}

}  // namespace quorel
