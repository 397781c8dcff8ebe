// Quorel — SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include "cli/SnippetTool.h"
#include "codec/bmp/BmpFile.h"
#include "image/cleanup/TrimMargins.h"
#include "settings/IniStore.h"
#include "support/DataUrl.h"
#include "support/GiflibDecode.h"
#include "support/TempDir.h"
#include "support/TestData.h"

namespace quorel {
namespace {

// The signature sample through the tool in-process; the GIF's size, or the exit code.
std::pair<int, int> SignatureGifSize(const test::TempDir& settings, std::vector<std::string_view> more) {
  const std::string sample = (test::SourceDir() / "resources/samples/signature.bmp").string();
  std::vector<std::string_view> args = {"--settings", settings.path().c_str(), "--signature", sample, "--no-seal"};
  args.insert(args.end(), more.begin(), more.end());
  const cli::ToolOutcome run = cli::RunSnippetTool(args, "test");
  if (run.exit_code != cli::kExitOk) return {-run.exit_code, 0};
  const auto gifs = test::GifsOfSnippet(run.output);
  const auto image = gifs.size() == 1 ? test::DecodeWithGiflib(gifs[0]) : std::nullopt;
  return image ? std::pair{image->width, image->height} : std::pair{0, 0};
}

TEST(CleanupOptionTest, OptionsOverrideTheStoredLevel) {
  const test::TempDir settings;
  const PixelRect ink = FindInkRect(ReadBmpFile(test::SourceDir() / "resources/samples/signature.bmp").value().picture).value();
  const std::pair trimmed{ink.right - ink.left, ink.bottom - ink.top};
  EXPECT_EQ(SignatureGifSize(settings, {}), (std::pair{300, 120}));
  EXPECT_EQ(SignatureGifSize(settings, {"--signature-cleanup", "trim"}), trimmed);
  EXPECT_EQ(SignatureGifSize(settings, {"--signature-cleanup=photo"}), trimmed);
  EXPECT_EQ(SignatureGifSize(settings, {"--signature-cleanup", "photo", "--signature-scale", "height:48"}).second, 48);
  ASSERT_TRUE(IniStore(settings / "wq.ini").WriteString(kQuorelSection, "clean_type", "1").ok());
  EXPECT_EQ(SignatureGifSize(settings, {}), trimmed);
  EXPECT_EQ(SignatureGifSize(settings, {"--signature-cleanup", "none"}), (std::pair{300, 120}));
  EXPECT_EQ(SignatureGifSize(settings, {"--seal-cleanup", "scan"}).first, -cli::kExitUsage);
}

}  // namespace
}  // namespace quorel
