// Quorel — SPDX-License-Identifier: MIT
// The output style on the command line: --format, --density and --verbose.

#include <gtest/gtest.h>

#include <vector>

#include "cli/CliOptions.h"
#include "cli/SnippetTool.h"
#include "support/TagPixels.h"
#include "support/TempDir.h"
#include "support/TestData.h"

namespace quorel::cli {
namespace {

ParsedCommandLine Parse(std::vector<std::string_view> args) { return ParseCommandLine(args); }

TEST(StyleOptionsTest, FormatAndDensityTakeOnlyTheirValues) {
  const auto parsed = Parse({"--format", "png", "--density=2", "--verbose"});
  ASSERT_TRUE(parsed.options) << parsed.error;
  EXPECT_EQ(parsed.options->format, OutputFormat::kPng);
  EXPECT_EQ(parsed.options->density, OutputDensity::kDouble);
  EXPECT_TRUE(parsed.options->verbose);
  for (const auto& bad : {std::vector<std::string_view>{"--format", "jpeg"}, {"--format"}, {"--density", "3"},
                          {"--density=2x"}, {"--verbose=1"}}) {
    EXPECT_FALSE(Parse(bad).options) << bad[0];
  }
}

// The options override the stored style for one run; --verbose gives the
// snippet's exact size on standard error.
TEST(StyleOptionsTest, ToolMakesThePngAtTwiceTheSize) {
  const test::TempDir settings;
  const std::string folder = settings.path().string();
  const std::string picture = (test::SourceDir() / "resources" / "samples" / "signature.bmp").string();
  const std::vector<std::string_view> args{"--settings", folder, "--signature", picture, "--no-seal",
                                           "--signature-scale", "height:48", "--format", "png",
                                           "--density", "2", "--verbose"};
  const ToolOutcome outcome = RunSnippetTool(args, "test");
  ASSERT_EQ(outcome.exit_code, kExitOk) << outcome.error;
  EXPECT_NE(outcome.output.find("<img width=120 height=48 src=\"data:image/png;base64,"), std::string::npos);
  EXPECT_EQ(test::DecodeTag(outcome.output).height, 96);
  EXPECT_EQ(outcome.error, "quorel-snippet: snippet of " + std::to_string(outcome.output.size()) + " characters\n");
}

}  // namespace
}  // namespace quorel::cli
