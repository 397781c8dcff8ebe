// Quorel — SPDX-License-Identifier: MIT
#include "cli/CliOptions.h"

#include <gtest/gtest.h>

#include <vector>

#include "support/TestData.h"

namespace quorel::cli {
namespace {

ParsedCommandLine Parse(std::vector<std::string_view> args) { return ParseCommandLine(args); }

// Every row of the option table reaches its own field, by every spelling and both value forms.
TEST(CliOptionsTest, EverySpellingSetsItsField) {
  const auto parsed = Parse({"--signature=a.bmp", "--no-seal", "--signature-colour", "#0000ff", "--seal-color=00ff00",
                             "--align", "centre", "--signature-scale", "width:60", "--seal-scale=ratio:50",
                             "--signature-cleanup", "trim", "--seal-cleanup=photo", "--format", "png",
                             "--density=2", "--verbose", "--page", "--output", "out.txt", "--settings", "/cfg",
                             "-h", "--version"});
  ASSERT_TRUE(parsed.options) << parsed.error;
  const CliOptions& o = *parsed.options;
  EXPECT_EQ(o.signature.picture, std::filesystem::path("a.bmp"));
  EXPECT_TRUE(o.seal.disabled && !o.signature.disabled && !o.seal.picture);
  EXPECT_EQ(o.signature.colour, MakeColour(0, 0, 255));
  EXPECT_EQ(o.seal.colour, MakeColour(0, 255, 0));
  EXPECT_EQ(o.align, Alignment::kCentre);
  EXPECT_EQ(o.signature.scale, (ScaleSettings{kScaleFitWidth, 48, 60, 100}));
  EXPECT_EQ(o.seal.scale, (ScaleSettings{kScaleRatio, 48, 48, 50}));
  EXPECT_EQ(o.signature.cleanup, CleanupLevel::kTrim);
  EXPECT_EQ(o.seal.cleanup, CleanupLevel::kPhoto);
  EXPECT_EQ(o.format, OutputFormat::kPng);
  EXPECT_EQ(o.density, OutputDensity::kDouble);
  EXPECT_TRUE(o.verbose && o.page && o.help && o.version);
  EXPECT_EQ(o.output, std::filesystem::path("out.txt"));
  EXPECT_EQ(o.settings, std::filesystem::path("/cfg"));
  const auto other = Parse({"-o", "x", "--seal", "s.png", "--no-signature", "--help", "--align=left"});
  ASSERT_TRUE(other.options) << other.error;
  EXPECT_TRUE(other.options->help && other.options->signature.disabled);
  EXPECT_EQ(other.options->output, std::filesystem::path("x"));
  EXPECT_EQ(other.options->seal.picture, std::filesystem::path("s.png"));
  EXPECT_EQ(other.options->align, Alignment::kLeft);
}

TEST(CliOptionsTest, UsageErrors) {
  const std::pair<std::vector<std::string_view>, std::string_view> cases[] = {
      {{"--bogus=1"}, "unknown argument '--bogus'"},
      {{"picture.bmp"}, "unknown argument 'picture.bmp'"},
      {{"-o=x"}, "unknown argument '-o=x'"},  // "=" only after a long name
      {{"--signature"}, "option --signature needs a file name"},
      {{"-o", ""}, "option -o needs a file name"},
      {{"--signature", "a.bmp", "--no-signature"}, "--signature and --no-signature exclude each other"},
      {{"--seal=b.bmp", "--no-seal"}, "--seal and --no-seal exclude each other"},
      {{"--page=1"}, "option --page takes no value"},
      {{"--seal-colour", "ff800"}, "option --seal-colour needs six hex digits RRGGBB"},
      {{"--align", "middle"}, "option --align needs left, center or right"},
      {{"--signature-scale", "height:-5"}, "option --signature-scale needs none, height:N, width:N or ratio:N"},
      {{"--seal-scale", "48"}, "option --seal-scale needs none, height:N, width:N or ratio:N"},
      {{"--seal-cleanup", "all"}, "option --seal-cleanup needs none, trim or photo"},
      {{"--format", "jpeg"}, "option --format needs gif or png"},
      {{"--density=3"}, "option --density needs 1 or 2"},
  };
  for (const auto& [args, error] : cases) {
    const auto parsed = Parse(args);
    EXPECT_FALSE(parsed.options) << error;
    EXPECT_EQ(parsed.error, error);
  }
}

// The ranges are LimitScaleSettings's (ScaleSettingsTest reads them limited); here what
// the text adds: N past int's range is limited like any large N, "none" keeps the values.
TEST(CliOptionsTest, ScaleTexts) {
  EXPECT_EQ(ParseScale("ratio:99999999999999"), (ScaleSettings{kScaleRatio, 48, 48, 300}));
  EXPECT_EQ(ParseScale("height:5"), (ScaleSettings{kScaleFitHeight, 16, 48, 100}));
  EXPECT_EQ(ParseScale("none", {kScaleRatio, 20, 30, 40}), (ScaleSettings{kScaleNone, 20, 30, 40}));
  EXPECT_FALSE(ParseScale("height:abc") || ParseScale("depth:5") || ParseScale("height"));
}

// The usage block of README.md is `quorel-snippet --help`, byte for byte.
TEST(CliOptionsTest, ReadmeShowsTheHelpText) {
  const std::string readme = test::ReadFileText(test::SourceDir() / "README.md");
  const std::string begin = "<!-- quorel-snippet --help -->\n```\n", end = "```\n<!-- end of --help -->";
  const size_t from = readme.find(begin), to = readme.find(end);
  ASSERT_TRUE(from != std::string::npos && to != std::string::npos && from < to) << "markers missing";
  EXPECT_EQ(readme.substr(from + begin.size(), to - from - begin.size()), UsageText())
      << "paste `quorel-snippet --help` into README.md";
}

}  // namespace
}  // namespace quorel::cli
