// Quorel — SPDX-License-Identifier: MIT
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

#include "common/Result.h"
#include "common/Text.h"
#include "output/Mark.h"

namespace quorel {

// The file name of a panel's picture: "signature.gif", "seal.png".
std::string PictureFileName(PanelIndex index, OutputFormat format);
inline constexpr std::string_view kExportedSnippetName = "snippet.html";

// An http or https URL that pictures uploaded to a site are found under, made
// ready to have a file name appended (a '/' added where it has none); none for
// another scheme, no host, or blanks, quotes, angle brackets, control or
// non-ASCII characters (a URL must arrive percent-encoded).
std::optional<std::string> WebBaseUrl(std::string_view url);

// The block with each picture named by its file name, after `base` (empty, or
// a WebBaseUrl).
Result<Text> HostedSnippet(const Mark& mark, std::string_view base);

// Writes each picture of the mark to `folder` under its PictureFileName and
// the HostedSnippet to snippet.html; the folder is made when missing. Each
// file is replaced whole or not at all; kCannotOpen for the first file that
// cannot be written (the files before it are written).
Result<void> ExportMark(const Mark& mark, const std::filesystem::path& folder, std::string_view base);

}  // namespace quorel
