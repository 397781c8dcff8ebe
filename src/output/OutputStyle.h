// Quorel — SPDX-License-Identifier: MIT
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>

#include "common/Result.h"

namespace quorel {

class IniStore;

enum class OutputFormat : int32_t {
  kGif = 0,  // two colours, the background transparent: the output of old
  kPng = 1,  // the ink colour with its coverage as transparency: smooth edges
};

// Picture pixels per output pixel.
enum class OutputDensity : int32_t { kSingle = 1, kDouble = 2 };

// How each picture of the snippet is made. The default is the output of old,
// byte for byte.
struct OutputStyle {
  OutputFormat format = OutputFormat::kGif;
  OutputDensity density = OutputDensity::kSingle;
  bool operator==(const OutputStyle&) const = default;
};

// Keys of section "Quorel" in wq.ini: the format as 0 (GIF) or 1 (PNG), the
// density as 1 or 2. A missing or other value reads as the default.
inline constexpr std::string_view kOutputFormatKey = "OutputFormat";
inline constexpr std::string_view kOutputDensityKey = "OutputDensity";

OutputStyle ReadOutputStyle(const IniStore& store);
// Writes both keys; kCannotOpen as for any INI write.
Result<void> WriteOutputStyle(const IniStore& store, const OutputStyle& style);

// The command-line forms "gif" / "png" and "1" / "2"; none for anything else.
std::optional<OutputFormat> ParseOutputFormat(std::string_view text);
std::optional<OutputDensity> ParseOutputDensity(std::string_view text);

// NOTE: the largest snippet, in characters, that common editors take in one
// piece: Gmail refuses a signature of more than 10,000 characters of HTML
// (images as data URLs included), the strictest documented limit among the
// mail and blog editors checked; a larger snippet is marked as too large.
inline constexpr size_t kSnippetCharacterBudget = 10000;
constexpr bool ExceedsSnippetBudget(size_t characters) { return characters > kSnippetCharacterBudget; }

}  // namespace quorel
