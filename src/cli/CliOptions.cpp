// Quorel — SPDX-License-Identifier: MIT
#include "cli/CliOptions.h"

#include <algorithm>
#include <charconv>
#include <cstdint>

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
    // The option's value: the text after "=", or the next argument.
    auto value = [&]() -> std::optional<std::string_view> {
      if (inline_value) return inline_value;
      if (i + 1 < args.size()) return args[++i];
      return std::nullopt;
    };
    auto takes_no_value = [&]() { return !inline_value.has_value(); };

    if (name == "--help" || name == "-h") {
      if (!takes_no_value()) return fail("option " + std::string(name) + " takes no value");
      o.help = true;
    } else if (name == "--version") {
      if (!takes_no_value()) return fail("option --version takes no value");
      o.version = true;
    } else if (name == "--page" || name == "--verbose") {
      if (!takes_no_value()) return fail("option " + std::string(name) + " takes no value");
      (name == "--page" ? o.page : o.verbose) = true;
    } else if (name == "--no-signature" || name == "--no-seal") {
      if (!takes_no_value()) return fail("option " + std::string(name) + " takes no value");
      (name == "--no-signature" ? o.signature : o.seal).disabled = true;
    } else if (name == "--signature" || name == "--seal" || name == "-o" || name == "--output" ||
               name == "--settings") {
      const auto v = value();
      if (!v || v->empty()) return fail("option " + std::string(name) + " needs a file name");
      if (name == "--signature") o.signature.picture = std::filesystem::path(*v);
      else if (name == "--seal") o.seal.picture = std::filesystem::path(*v);
      else if (name == "--settings") o.settings = std::filesystem::path(*v);
      else o.output = std::filesystem::path(*v);
    } else if (name == "--signature-color" || name == "--seal-color" ||
               name == "--signature-colour" || name == "--seal-colour") {
      const auto v = value();
      const auto colour = v ? ParseColourOption(*v) : std::nullopt;
      if (!colour) return fail("option " + std::string(name) + " needs six hex digits RRGGBB");
      (name.starts_with("--signature") ? o.signature : o.seal).colour = colour;
    } else if (name == "--signature-scale" || name == "--seal-scale") {
      const auto v = value();
      const auto scale = v ? ParseScale(*v) : std::nullopt;
      if (!scale) return fail("option " + std::string(name) + " needs none, height:N, width:N or ratio:N");
      (name == "--signature-scale" ? o.signature : o.seal).scale = scale;
    } else if (name == "--signature-cleanup" || name == "--seal-cleanup") {
      const auto v = value();
      const auto level = v ? ParseCleanupLevel(*v) : std::nullopt;
      if (!level) return fail("option " + std::string(name) + " needs none, trim or photo");
      (name == "--signature-cleanup" ? o.signature : o.seal).cleanup = level;
    } else if (name == "--align") {
      const auto v = value();
      const auto align = v ? ParseAlign(*v) : std::nullopt;
      if (!align) return fail("option --align needs left, center or right");
      o.align = align;
    } else if (name == "--format") {
      const auto v = value();
      o.format = v ? ParseOutputFormat(*v) : std::nullopt;
      if (!o.format) return fail("option --format needs gif or png");
    } else if (name == "--density") {
      const auto v = value();
      o.density = v ? ParseOutputDensity(*v) : std::nullopt;
      if (!o.density) return fail("option --density needs 1 or 2");
    } else {
      return fail("unknown argument '" + std::string(name) + "'");
    }
  }
  if (o.signature.disabled && o.signature.picture) {
    return fail("--signature and --no-signature exclude each other");
  }
  if (o.seal.disabled && o.seal.picture) return fail("--seal and --no-seal exclude each other");
  return {std::move(o), {}};
}

std::string_view UsageText() {
  return R"(Usage: quorel-snippet [OPTION]...
Builds the HTML snippet (both pictures as data URLs inside one <div>) from
the stored state in the settings folder, with the options overriding it for
this run only. The settings folder and its files are never changed.

  --signature FILE         take the signature picture from FILE (BMP, GIF, JPEG, PNG)
  --no-signature           leave the signature out
  --seal FILE              take the seal picture from FILE
  --no-seal                leave the seal out
  --signature-color RRGGBB ink colour of the signature (a leading # is accepted)
  --seal-color RRGGBB      ink colour of the seal
  --align left|center|right
  --signature-scale none|height:N|width:N|ratio:N
  --seal-scale none|height:N|width:N|ratio:N
                           output size: N pixels (16-640) or N percent (10-300)
  --signature-cleanup none|trim|photo
  --seal-cleanup none|trim|photo
                           before scaling: nothing, cut the white margins, or
                           even out a photo's light, keep the ink and cut to it
  --format gif|png         two-colour GIF, or PNG with smooth edges
  --density 1|2            picture pixels per output pixel (2: sharp on HiDPI screens)
  --verbose                print the snippet's size in characters to standard error
  --page                   write the preview page instead of the bare snippet
  -o FILE                  write to FILE instead of standard output
  --settings DIR           read the stored state from DIR instead of the user's
                           settings folder ($XDG_CONFIG_HOME/Wq or ~/.config/Wq)
  --help                   show this text
  --version                show the version

Exit status: 0 success; 1 the snippet cannot be built; 2 usage error, or a
picture file that is missing, unsupported or damaged.
)";
}

}  // namespace quorel::cli
