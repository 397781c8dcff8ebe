// Quorel — SPDX-License-Identifier: MIT
#pragma once

#include <filesystem>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <variant>

#include "cli/CliOptions.h"

namespace quorel::cli {

// The field of CliOptions an option sets. Its type says how the value is read
// (ParseCommandLine): bool is a switch that takes no value; a path, any text
// but empty; the others through their own parser.
template <typename T>
using OptionField = T& (*)(CliOptions&);
using OptionTarget =
    std::variant<OptionField<bool>, OptionField<std::optional<std::filesystem::path>>,
                 OptionField<std::optional<std::string>>, OptionField<std::optional<Colour>>,
                 OptionField<std::optional<ScaleSettings>>, OptionField<std::optional<CleanupLevel>>,
                 OptionField<std::optional<Alignment>>, OptionField<std::optional<OutputFormat>>,
                 OptionField<std::optional<OutputDensity>>>;

// One row of the option table, from which the parser, --help and README.md's
// usage block all come.
struct CliOption {
  std::string_view names;  // every accepted spelling, blank-separated; --help shows the first
  std::string_view value;  // the value as --help names it ("FILE"); empty for a switch
  std::string_view help;   // what it does; a '\n' starts another line
  OptionTarget target;
};

std::span<const CliOption> CliOptionTable();

// The row that accepts this spelling; null for an unknown option.
const CliOption* FindCliOption(std::string_view name);

// The --help text: the table between a head and a foot.
std::string FormatUsage();

}  // namespace quorel::cli
