// Quorel — SPDX-License-Identifier: MIT
// NOTE: the window's texts (src/app/WindowMessages.cpp) without what a page
// cannot know: a browser hands over a file's bytes, so a file that is missing
// or not readable never gets this far.
#include "web/WebMessages.h"

#include "common/Messages.h"

namespace quorel {
namespace {

std::string Quoted(std::string_view name) { return "「" + std::string(name) + "」"; }

// Why a picture was refused, and what to do instead.
std::pair<std::string_view, std::string> RefusalReason(Status status) {
  switch (status) {
    case Status::kNoPictureExtension:
    case Status::kUnsupported:
    case Status::kJpegColourSpace:
    case Status::kJpegCoding:
      return {"この種類の画像には対応していません．",
              "BMP・GIF・JPEG・PNG のどれかで保存した画像を選んでください．"};
    case Status::kTooLarge:
    case Status::kOutOfMemory:
      return {"画像が大きすぎます．",
              "このページで読み込める画像は " + std::to_string(kPagePixels / 10000) +
                  " 万画素までです．画像編集ソフトで縦横を小さくしてから選んでください．"};
    default:
      return {"画像として読めません（壊れているか、画像ではないファイルです）．",
              "別のファイルを選ぶか、画像編集ソフトで保存し直してください．"};
  }
}

}  // namespace

std::string WebStatusText(Status status, std::string_view name) {
  if (status == Status::kSignatureFailed || status == Status::kSealFailed) {
    const bool signature = status == Status::kSignatureFailed;
    std::string text(MessageText(signature ? MessageCode::kSignatureFailed : MessageCode::kSealFailed));
    const std::string panel = signature ? "Quorel" : "印影";
    if (name.empty()) {
      return text + "\n「" + panel + "」に画像がありません．\n画像を読み込むか、「" + panel +
             "」のチェックを外してください．";
    }
    return text + "\nメモリーが足りません．画像を小さくしてから、もう一度お試しください．";
  }
  const auto [reason, advice] = RefusalReason(status);
  return Quoted(name) + " を読み込めません．\n" + std::string(reason) + "\n" + advice +
         "\nパネルの画像はそのままです．";
}

}  // namespace quorel
