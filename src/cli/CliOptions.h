// Quorel — SPDX-License-Identifier: MIT
#pragma once

#include <filesystem>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "common/Colour.h"
#include "image/cleanup/Cleanup.h"
#include "output/OutputStyle.h"
#include "panel/ScaleSettings.h"
#include "settings/OptionBits.h"

namespace quorel::cli {

// What the command line asks of one panel; unset fields keep the stored state.
struct PanelOverride {
  std::optional<std::filesystem::path> picture;  // import this file instead
  bool disabled = false;                          // --no-signature / --no-seal
  std::optional<Colour> colour;
  std::optional<ScaleSettings> scale;             // mode and the one value it uses
  std::optional<CleanupLevel> cleanup;
  std::optional<std::string> alt;                 // --alt-signature / --alt-seal
};

struct CliOptions {
  PanelOverride signature;
  PanelOverride seal;
  std::optional<std::filesystem::path> from_photo; // --from-photo FILE: both panels from one photo
  std::optional<Alignment> align;
  std::optional<OutputFormat> format;             // --format gif|png
  std::optional<OutputDensity> density;           // --density 1|2
  bool page = false;
  bool verbose = false;                           // the snippet's size on standard error
  std::optional<std::filesystem::path> output;    // -o FILE
  std::optional<std::filesystem::path> settings;  // --settings DIR
  std::optional<std::filesystem::path> export_to; // --export DIR
  std::optional<std::string> base_url;            // --base-url URL
  std::optional<std::filesystem::path> eml;       // --eml FILE
  std::optional<std::string> subject;             // --subject TEXT
  std::optional<std::filesystem::path> picture;   // --picture FILE
  bool help = false;
  bool version = false;
};

// The options, or the usage error to show.
struct ParsedCommandLine {
  std::optional<CliOptions> options;
  std::string error;
};

// Parses the arguments after the program name against the option table
// (cli/OptionTable.h). "--name VALUE" and "--name=VALUE" are both accepted.
ParsedCommandLine ParseCommandLine(std::span<const std::string_view> args);

// "none", "height:N", "width:N" or "ratio:N", applied over `base` with N
// limited to the scale dialog's ranges; none when the text is not of that form.
std::optional<ScaleSettings> ParseScale(std::string_view text, ScaleSettings base = {});

// Six hex digits red-green-blue, with or without a leading "#".
std::optional<Colour> ParseColourOption(std::string_view text);

// The --help text, made from the option table.
std::string_view UsageText();

}  // namespace quorel::cli
