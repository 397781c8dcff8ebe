// Quorel — SPDX-License-Identifier: MIT
#include "output/Snippet.h"

#include "codec/Base64.h"
#include "common/Allocation.h"
#include "output/HtmlText.h"

namespace quorel {
namespace {

// A dense picture's tag carries its layout size; an alt text comes before the
// source, so a tag without one is the tag of old.
void AppendTag(std::string& html, const MarkImage& image, std::string_view source) {
  html += "<img ";
  if (image.dense) {
    html += "width=" + std::to_string(image.width) + " height=" + std::to_string(image.height) + " ";
  }
  if (!image.alt.empty()) html += "alt=\"" + HtmlAttributeText(image.alt, kMaxAltCharacters) + "\" ";
  html += "src=\"";
  html += source;
  html += kImageTagEnd;
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

Result<std::string> SnippetWith(const Mark& mark, const ImageSource& source) {
  return GuardAllocation([&]() -> Result<std::string> {
    std::string html(DivOpen(mark.align));
    for (const PanelIndex index : kPanelIndexes) {
      const auto& image = mark.images[static_cast<size_t>(index)];
      if (image) AppendTag(html, *image, QUOREL_TRY(source(index, *image)));
    }
    html += kDivClose;
    return html;
  });
}

Result<std::string> InlineSnippet(const Mark& mark) {
  return SnippetWith(mark, [](PanelIndex, const MarkImage& image) -> Result<std::string> {
    const std::string_view start = image.format == OutputFormat::kPng ? kPngTagStart : kImageTagStart;
    return std::string(start.substr(start.find('"') + 1)) + QUOREL_TRY(EncodeBase64(image.bytes));
  });
}

Result<std::string> BuildSnippet(const MarkRequest& request, MarkFailure* failure) {
  return InlineSnippet(QUOREL_TRY(MakeMark(request, failure)));
}

}  // namespace quorel
