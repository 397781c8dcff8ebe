// Quorel — SPDX-License-Identifier: MIT
// NOTE: the window's texts (src/app/WindowMessages.cpp) without what a page
// cannot know: a browser hands over a file's bytes, so a file that is missing
// or not readable never gets this far.
#include "web/WebMessages.h"

#include "codec/PictureRefusal.h"
#include "common/Messages.h"

namespace quorel {
namespace {

std::string Quoted(std::string_view name) { return "「" + std::string(name) + "」"; }

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
  const RefusalKind kind = RefusalKindOf(status);
  RefusalText refusal = RefusalTextOf(kind);
  if (kind == RefusalKind::kSize) {
    refusal.advice = "このページで読み込める画像は " + std::to_string(kPagePixels / 10000) + " 万画素までです．" +
                     refusal.advice;
  }
  return Quoted(name) + " を読み込めません．\n" + refusal.reason + "\n" + refusal.advice +
         "\nパネルの画像はそのままです．";
}

}  // namespace quorel
