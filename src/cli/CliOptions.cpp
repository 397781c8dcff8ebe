// Quorel — SPDX-License-Identifier: MIT
#include "cli/CliOptions.h"

#include <algorithm>
#include <charconv>
#include <cstdint>
#include <type_traits>
#include <variant>

#include "cli/OptionTable.h"
#include "output/ColourText.h"

namespace quorel::cli {
namespace {

// Digits only; a value beyond int's range is limited like any other too-large
// value.
std::optional<int32_t> ParseCount(std::string_view text) {
  if (text.empty() || !std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; })) {
    return std::nullopt;
  }
  if (text.size() > 9) return INT32_MAX;
  int32_t value = 0;
  std::from_chars(text.data(), text.data() + text.size(), value);
  return value;
}

std::optional<Alignment> ParseAlign(std::string_view text) {
  if (text == "left") return Alignment::kLeft;
  if (text == "center" || text == "centre") return Alignment::kCentre;
  if (text == "right") return Alignment::kRight;
  return std::nullopt;
}

// How a value of each field type is read, and what a usage error says it needs.
template <typename T>
struct ValueReader;
template <>
struct ValueReader<std::filesystem::path> {
  static constexpr std::string_view kNeeds = "a file name";
  static std::optional<std::filesystem::path> Read(std::string_view v) {
    return v.empty() ? std::nullopt : std::optional<std::filesystem::path>(v);
  }
};
template <>
struct ValueReader<std::string> {
  static constexpr std::string_view kNeeds = "a text";
  static std::optional<std::string> Read(std::string_view v) { return std::string(v); }
};
template <>
struct ValueReader<Colour> {
  static constexpr std::string_view kNeeds = "six hex digits RRGGBB";
  static std::optional<Colour> Read(std::string_view v) { return ParseColourOption(v); }
};
template <>
struct ValueReader<ScaleSettings> {
  static constexpr std::string_view kNeeds = "none, height:N, width:N or ratio:N";
  static std::optional<ScaleSettings> Read(std::string_view v) { return ParseScale(v); }
};
template <>
struct ValueReader<CleanupLevel> {
  static constexpr std::string_view kNeeds = "none, trim or photo";
  static std::optional<CleanupLevel> Read(std::string_view v) { return ParseCleanupLevel(v); }
};
template <>
struct ValueReader<Alignment> {
  static constexpr std::string_view kNeeds = "left, center or right";
  static std::optional<Alignment> Read(std::string_view v) { return ParseAlign(v); }
};
template <>
struct ValueReader<OutputFormat> {
  static constexpr std::string_view kNeeds = "gif or png";
  static std::optional<OutputFormat> Read(std::string_view v) { return ParseOutputFormat(v); }
};
template <>
struct ValueReader<OutputDensity> {
  static constexpr std::string_view kNeeds = "1 or 2";
  static std::optional<OutputDensity> Read(std::string_view v) { return ParseOutputDensity(v); }
};

}  // namespace

std::optional<ScaleSettings> ParseScale(std::string_view text, ScaleSettings base) {
  if (text == "none") {
    base.mode = kScaleNone;
    return base;
  }
  const size_t colon = text.find(':');
  if (colon == std::string_view::npos) return std::nullopt;
  const std::string_view kind = text.substr(0, colon);
  const auto value = ParseCount(text.substr(colon + 1));
  if (!value) return std::nullopt;
  if (kind == "height") {
    base.mode = kScaleFitHeight;
    base.target_height = *value;
  } else if (kind == "width") {
    base.mode = kScaleFitWidth;
    base.target_width = *value;
  } else if (kind == "ratio") {
    base.mode = kScaleRatio;
    base.ratio = *value;
  } else {
    return std::nullopt;
  }
  return LimitScaleSettings(base);
}

std::optional<Colour> ParseColourOption(std::string_view text) {
  if (!text.empty() && text.front() == '#') text.remove_prefix(1);
  return ParseColourText(text);
}

ParsedCommandLine ParseCommandLine(std::span<const std::string_view> args) {
  CliOptions o;
  auto fail = [](std::string message) { return ParsedCommandLine{std::nullopt, std::move(message)}; };
  for (size_t i = 0; i < args.size(); ++i) {
    std::string_view name = args[i];
    std::optional<std::string_view> inline_value;
    if (name.starts_with("--")) {
      const size_t eq = name.find('=');
      if (eq != std::string_view::npos) {
        inline_value = name.substr(eq + 1);
        name = name.substr(0, eq);
      }
    }
    const CliOption* option = FindCliOption(name);
    if (!option) return fail("unknown argument '" + std::string(name) + "'");
    // Sets the option's field; the usage error when it cannot.
    auto set = [&](auto field) -> std::string {
      auto& target = field(o);
      using Target = std::remove_reference_t<decltype(target)>;
      if constexpr (std::is_same_v<Target, bool>) {
        if (inline_value) return "option " + std::string(name) + " takes no value";
        target = true;
      } else {
        using Reader = ValueReader<typename Target::value_type>;
        // The text after "=", or the next argument.
        std::optional<std::string_view> value = inline_value;
        if (!value && i + 1 < args.size()) value = args[++i];
        target = value ? Reader::Read(*value) : std::nullopt;
        if (!target) return "option " + std::string(name) + " needs " + std::string(Reader::kNeeds);
      }
      return {};
    };
    if (std::string error = std::visit(set, option->target); !error.empty()) return fail(std::move(error));
  }
  if (o.signature.disabled && o.signature.picture) {
    return fail("--signature and --no-signature exclude each other");
  }
  if (o.seal.disabled && o.seal.picture) return fail("--seal and --no-seal exclude each other");
  return {std::move(o), {}};
}

std::string_view UsageText() {
  static const std::string text = FormatUsage();
  return text;
}

}  // namespace quorel::cli
