// Quorel — SPDX-License-Identifier: MIT
#include "output/ExportFiles.h"

#include <algorithm>
#include <cctype>

#include "common/FileIo.h"
#include "output/HtmlText.h"
#include "output/Snippet.h"

namespace quorel {
namespace {

std::span<const uint8_t> AsBytes(std::string_view text) {
  return {reinterpret_cast<const uint8_t*>(text.data()), text.size()};
}

bool StartsWithCaseless(std::string_view text, std::string_view prefix) {
  return text.size() >= prefix.size() &&
         std::equal(prefix.begin(), prefix.end(), text.begin(), [](char a, char b) { return a == std::tolower(b); });
}

}  // namespace

std::string PictureFileName(PanelIndex index, OutputFormat format) {
  return std::string(index == PanelIndex::kSignature ? "signature" : "seal") +
         (format == OutputFormat::kPng ? ".png" : ".gif");
}

std::optional<std::string> WebBaseUrl(std::string_view url) {
  size_t scheme = 0;
  if (StartsWithCaseless(url, "https://")) scheme = 8;
  else if (StartsWithCaseless(url, "http://")) scheme = 7;
  if (scheme == 0 || url.size() == scheme || url[scheme] == '/') return std::nullopt;
  const bool plain = std::all_of(url.begin(), url.end(), [](char c) {
    return c > ' ' && c < 0x7F && c != '"' && c != '<' && c != '>' && c != '\\';
  });
  if (!plain) return std::nullopt;
  std::string base(url);
  if (base.back() != '/') base += '/';
  return base;
}

Result<Text> HostedSnippet(const Mark& mark, std::string_view base) {
  return SnippetWith(mark, [base](PanelIndex index, const MarkImage& image, Text& html) -> Result<void> {
    return html.Append(HtmlAttributeText(std::string(base) + PictureFileName(index, image.format)));
  });
}

Result<void> ExportMark(const Mark& mark, const std::filesystem::path& folder, std::string_view base) {
  for (const PanelIndex index : kPanelIndexes) {
    const auto& image = mark.images[static_cast<size_t>(index)];
    if (image) QUOREL_TRY(WriteFileAtomically(folder / PictureFileName(index, image->format), image->bytes));
  }
  const Text html = QUOREL_TRY(HostedSnippet(mark, base));
  return WriteFileAtomically(folder / kExportedSnippetName, AsBytes(html));
}

}  // namespace quorel
