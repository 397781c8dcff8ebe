// Quorel — SPDX-License-Identifier: MIT
// The tool's snippets of the sample signature rendered by headless Chromium on a
// white and a black half of a page, against their pictures composited there.

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>

#include "cli/SnippetTool.h"
#include "support/TagPixels.h"
#include "support/TempDir.h"
#include "support/TestData.h"

namespace quorel::cli {
namespace {

using Args = std::vector<std::string_view>;
constexpr int kHalf = 320;  // CSS pixels: white left, black right, 140 high

class BrowserRenderTest : public ::testing::Test {
 protected:
  // Left aligned, so the picture sits at each half's top left; --verbose gives the exact size.
  std::string Snippet(const Args& extra) {
    Args args{"--settings", settings_, "--signature", picture_, "--no-seal", "--align", "left",
              "--signature-color", "b41e3c", "--verbose"};
    args.insert(args.end(), extra.begin(), extra.end());
    const ToolOutcome outcome = RunSnippetTool(args, "test");
    EXPECT_EQ(outcome.error, "quorel-snippet: snippet of " + std::to_string(outcome.output.size()) + " characters\n");
    return std::string(outcome.output.view());
  }
  // Each device pixel against the picture over its half's colour, within `tolerance`.
  void ExpectRendered(const std::string& snippet, int scale, int tolerance, const test::RgbaPicture* shown = nullptr) {
    if (std::system("command -v chromium-headless-shell >/dev/null") != 0) {
      GTEST_SKIP() << "no chromium-headless-shell (scripts/install-deps.sh installs it)";
    }
    const std::string half = "<div style=\"position:absolute;top:0;width:320px;height:140px;background:#";
    std::ofstream(dir_ / "page.html") << "<body style=\"margin:0;font-size:0\">" << half << "fff;left:0\">" << snippet
                                       << "</div>" << half << "000;left:320px\">" << snippet << "</div>";
    // Bounded by processor time, not the clock: a loaded machine only makes it slower.
    ASSERT_EQ(std::system(("cd '" + settings_ + "' && ulimit -t 120 && chromium-headless-shell --no-sandbox "
        "--disable-gpu --no-first-run --disable-background-networking --disable-component-update --disable-sync "
        "--hide-scrollbars --force-color-profile=srgb --user-data-dir=profile --screenshot=shot.png "
        "--window-size=640,140 --force-device-scale-factor=" + std::to_string(scale) + " file://$PWD/page.html 2>/dev/null").c_str()), 0);
    const test::RgbaPicture shot = test::DecodePng(test::ReadFileBytes(dir_ / "shot.png"));
    const test::RgbaPicture picture = shown ? *shown : test::DecodeTag(snippet);
    ASSERT_EQ(shot.width, 2 * kHalf * scale);
    int wrong = 0;
    for (int y = 0; y < shot.height; ++y) {
      for (int x = 0; x < shot.width; ++x) {
        const int page = x < kHalf * scale ? 255 : 0, px = x % (kHalf * scale);
        const uint8_t* p = px < picture.width && y < picture.height ? picture.At(px, y) : nullptr;
        for (int c = 0; c < 3; ++c) {
          const int expected = p ? (p[c] * p[3] + page * (255 - p[3]) + 127) / 255 : page;
          wrong += std::abs(shot.At(x, y)[c] - expected) > tolerance;
        }
      }
    }
    EXPECT_EQ(wrong, 0);
  }
  test::TempDir dir_;
  const std::string settings_ = dir_.path().string();
  const std::string picture_ = (test::SourceDir() / "resources" / "samples" / "signature.bmp").string();
};

TEST_F(BrowserRenderTest, DefaultGifShowsItsPixelsExactly) { ExpectRendered(Snippet({}), 1, 0); }

// The 2× picture (240 × 96, laid out at 120 × 48) pixel for pixel at scale 2.
TEST_F(BrowserRenderTest, DoubleDensityShowsEachPicturePixelAtScale2) {
  for (const std::string_view format : {"gif", "png"}) {
    const std::string snippet = Snippet({"--signature-scale", "height:48", "--density", "2", "--format", format});
    EXPECT_NE(snippet.find("<img width=120 height=48 src=\"data:image/" + std::string(format)), std::string::npos);
    EXPECT_EQ(test::DecodeTag(snippet).height, 96);
    ExpectRendered(snippet, 2, format == "gif" ? 0 : 2);
  }
}

// The exported block, with an alt text, shows its picture files beside the page as the inline block does.
TEST_F(BrowserRenderTest, ExportedSnippetShowsLikeTheInlineOne) {
  for (const std::string_view format : {"gif", "png"}) {
    const Args style{"--format", format, "--alt-signature", "\"Yamada\" <b> & 山田"};
    const test::RgbaPicture inline_picture = test::DecodeTag(Snippet(style));
    Args args = style;
    args.insert(args.end(), {"--settings", settings_, "--signature", picture_, "--no-seal", "--align", "left",
                             "--signature-color", "b41e3c", "--export", settings_});
    ASSERT_EQ(RunSnippetTool(args, "test").exit_code, kExitOk);
    ExpectRendered(test::ReadFileText(dir_ / "snippet.html"), 1, format == "gif" ? 0 : 2, &inline_picture);
  }
}

TEST_F(BrowserRenderTest, PngBlendsOverWhiteAndBlack) {
  ExpectRendered(Snippet({"--signature-scale", "height:48", "--format", "png"}), 1, 2);
}

}  // namespace
}  // namespace quorel::cli
