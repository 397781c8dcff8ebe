// Quorel — SPDX-License-Identifier: MIT
#include "codec/PictureRefusal.h"

#include "codec/ImportPicture.h"

namespace quorel {

RefusalKind RefusalKindOf(Status status) {
  switch (status) {
    case Status::kNoPictureExtension:
    case Status::kUnsupported:
    case Status::kJpegColourSpace:
    case Status::kJpegCoding: return RefusalKind::kFormat;
    case Status::kTooLarge:
    case Status::kOutOfMemory: return RefusalKind::kSize;
    default: return RefusalKind::kUnreadable;
  }
}

RefusalText RefusalTextOf(RefusalKind kind) {
  switch (kind) {
    case RefusalKind::kFormat: {
      std::string formats = "BMP・GIF・JPEG・PNG";
      if (ReadsHeif()) formats += "・HEIC";
      if (ReadsWebp()) formats += "・WebP";
      return {"この種類の画像には対応していません．", formats + " のどれかで保存した画像を選んでください．"};
    }
    case RefusalKind::kSize:
      return {"画像が大きすぎます．", "画像編集ソフトで縦横を小さくしてから選んでください．"};
    case RefusalKind::kUnreadable: break;
  }
  return {"画像として読めません（壊れているか、画像ではないファイルです）．",
          "別のファイルを選ぶか、画像編集ソフトで保存し直してください．"};
}

}  // namespace quorel
