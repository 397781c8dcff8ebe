// Quorel — SPDX-License-Identifier: MIT
#include "output/Snippet.h"

#include "codec/Base64.h"
#include "common/Allocation.h"

namespace quorel {
namespace {

Result<void> AppendTag(std::string& html, const MarkImage& image) {
  const std::string base64 = QUOREL_TRY(EncodeBase64(image.bytes));
  std::string_view start = image.format == OutputFormat::kPng ? kPngTagStart : kImageTagStart;
  constexpr std::string_view kImgOpen = "<img ";
  html += kImgOpen;
  if (image.dense) {
    html += "width=" + std::to_string(image.width) + " height=" + std::to_string(image.height) + " ";
  }
  start.remove_prefix(kImgOpen.size());
  html += start;
  html += base64;
  html += kImageTagEnd;
  return {};
}

}  // namespace

std::string_view DivOpen(Alignment align) {
  switch (align) {
    case Alignment::kRight: return "<div align=right style=\"width:100%\">";
    case Alignment::kCentre: return "<div align=center style=\"width:100%\">";
    case Alignment::kLeft: break;
  }
  return "<div align=left style=\"width:100%\">";
}

Result<std::string> InlineSnippet(const Mark& mark) {
  return GuardAllocation([&]() -> Result<std::string> {
    std::string html(DivOpen(mark.align));
    for (const auto& image : mark.images) {
      if (image) QUOREL_TRY(AppendTag(html, *image));
    }
    html += kDivClose;
    return html;
  });
}

Result<std::string> BuildSnippet(const MarkRequest& request, MarkFailure* failure) {
  return InlineSnippet(QUOREL_TRY(MakeMark(request, failure)));
}

}  // namespace quorel
