// Quorel — SPDX-License-Identifier: MIT
#include "cli/CliOptions.h"

#include <gtest/gtest.h>

#include <vector>

namespace quorel::cli {
namespace {

ParsedCommandLine Parse(std::vector<std::string_view> args) { return ParseCommandLine(args); }

// Both value forms; the values themselves are checked through the tool.
TEST(CliOptionsTest, ReadsOptionsWithTheirValues) {
  const auto parsed = Parse({"--seal-color=00ff00", "--align", "center", "--seal-scale=ratio:50",
                             "--page", "-o", "out.txt", "--settings", "/cfg"});
  ASSERT_TRUE(parsed.options) << parsed.error;
  const CliOptions& o = *parsed.options;
  EXPECT_EQ(o.seal.colour, MakeColour(0, 255, 0));
  EXPECT_EQ(o.align, Alignment::kCentre);
  EXPECT_EQ(o.seal.scale, (ScaleSettings{kScaleRatio, 48, 48, 50}));
  EXPECT_TRUE(o.page);
  EXPECT_EQ(o.output, std::filesystem::path("out.txt"));
  EXPECT_EQ(o.settings, std::filesystem::path("/cfg"));
}

TEST(CliOptionsTest, UsageErrors) {
  const std::vector<std::vector<std::string_view>> cases = {
      {"--bogus"},
      {"picture.bmp"},
      {"--signature"},                       // value missing
      {"--signature", "a.bmp", "--no-signature"},
      {"--seal-color", "ff800"},
      {"--align", "middle"},
      {"--signature-scale", "height:abc"},
      {"--signature-scale", "height:-5"},
      {"--seal-scale", "48"},
      {"-o", ""},
  };
  for (const auto& args : cases) {
    const auto parsed = Parse(args);
    EXPECT_FALSE(parsed.options) << args[0];
    EXPECT_FALSE(parsed.error.empty()) << args[0];
  }
}

TEST(CliOptionsTest, ScaleValuesAreLimitedToTheDialogsRanges) {
  struct Case {
    std::string_view text;
    ScaleSettings expected;
  };
  const Case cases[] = {
      {"none", {0, 48, 48, 100}},
      {"height:5", {1, 16, 48, 100}},
      {"height:640", {1, 640, 48, 100}},
      {"width:9999", {2, 48, 640, 100}},
      {"ratio:1", {3, 48, 48, 10}},
      {"ratio:99999999999999", {3, 48, 48, 300}},
  };
  for (const Case& c : cases) EXPECT_EQ(ParseScale(c.text), c.expected) << c.text;
}

}  // namespace
}  // namespace quorel::cli
