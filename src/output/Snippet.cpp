// Quorel — SPDX-License-Identifier: MIT
#include "output/Snippet.h"

#include "codec/Base64.h"
#include "output/HtmlText.h"

namespace quorel {
namespace {

// A dense picture's tag carries its layout size; an alt text comes before the
// source, so a tag without one is the tag of old. The tag up to its source.
std::string TagStart(const MarkImage& image) {
  std::string tag = "<img ";
  if (image.dense) {
    tag += "width=" + std::to_string(image.width) + " height=" + std::to_string(image.height) + " ";
  }
  if (!image.alt.empty()) tag += "alt=\"" + HtmlAttributeText(image.alt, kMaxAltCharacters) + "\" ";
  tag += "src=\"";
  return tag;
}

// About the room a tag's text takes around its source, alt text included.
constexpr size_t kTagRoom = 64 + 6 * kMaxAltCharacters;

}  // namespace

std::string_view DivOpen(Alignment align) {
  switch (align) {
    case Alignment::kRight: return "<div align=right style=\"width:100%\">";
    case Alignment::kCentre: return "<div align=center style=\"width:100%\">";
    case Alignment::kLeft: break;
  }
  return "<div align=left style=\"width:100%\">";
}

Result<Text> SnippetWith(const Mark& mark, const ImageSource& source, size_t source_room) {
  Text html;
  QUOREL_TRY(html.MakeRoom(DivOpen(mark.align).size() + 2 * kTagRoom + source_room + kDivClose.size()));
  QUOREL_TRY(html.Append(DivOpen(mark.align)));
  for (const PanelIndex index : kPanelIndexes) {
    const auto& image = mark.images[static_cast<size_t>(index)];
    if (!image) continue;
    QUOREL_TRY(html.Append(TagStart(*image)));
    QUOREL_TRY(source(index, *image, html));
    QUOREL_TRY(html.Append(kImageTagEnd));
  }
  QUOREL_TRY(html.Append(kDivClose));
  return html;
}

Result<Text> InlineSnippet(const Mark& mark) {
  // The data URLs' room is made at once: a photo's Base64 is megabytes.
  size_t room = 0;
  for (const auto& image : mark.images) {
    if (image) room += kImageTagStart.size() + (image->bytes.size() + 2) / 3 * 4;
  }
  const auto data_url = [](PanelIndex, const MarkImage& image, Text& html) -> Result<void> {
    const std::string_view start = image.format == OutputFormat::kPng ? kPngTagStart : kImageTagStart;
    QUOREL_TRY(html.Append(start.substr(start.find('"') + 1)));
    return AppendBase64(image.bytes, html);
  };
  return SnippetWith(mark, data_url, room);
}

Result<Text> BuildSnippet(const MarkRequest& request, MarkFailure* failure) {
  return InlineSnippet(QUOREL_TRY(MakeMark(request, failure)));
}

}  // namespace quorel
