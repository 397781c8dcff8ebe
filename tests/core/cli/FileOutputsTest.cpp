// Quorel — SPDX-License-Identifier: MIT
// The tool's outputs to files (--export, --eml, --picture) against its inline
// snippet: the same pictures byte for byte, the same block, one laid-out PNG.

#include <gtest/gtest.h>

#include <regex>

#include "cli/SnippetTool.h"
#include "codec/Base64.h"
#include "support/TagPixels.h"
#include "support/TempDir.h"
#include "support/TestData.h"

namespace quorel::cli {
namespace {

using Args = std::vector<std::string_view>;

struct Tag { std::string src; int width = 0, height = 0; };  // a size of 0: the picture's own
std::vector<Tag> TagsOf(const std::string& html) {
  static const std::regex kTag(R"re(<img (?:width=(\d+) height=(\d+) )?(?:alt="[^"]*" )?src="([^"]*)">)re");
  std::vector<Tag> tags;
  for (std::sregex_iterator m(html.begin(), html.end(), kTag), end; m != end; ++m) {
    tags.push_back({(*m)[3], (*m)[1].matched ? std::stoi((*m)[1]) : 0, (*m)[2].matched ? std::stoi((*m)[2]) : 0});
  }
  return tags;
}

class FileOutputsTest : public ::testing::Test {
 protected:
  ToolOutcome Run(Args args) {
    const Args base{"--settings", settings_, "--signature", signature_, "--seal", seal_, "--signature-color", "b41e3c",
                    "--alt-signature", kAlt, "--alt-seal", long_alt_};
    args.insert(args.begin(), base.begin(), base.end());
    return RunSnippetTool(args, "test");
  }
  static constexpr std::string_view kAlt = "\"Yamada\" <b> & 山田";
  const std::string long_alt_ = std::string(300 * 3, 'x').replace(0, 3, "印");  // 598 characters
  test::TempDir dir_;
  const std::string settings_ = dir_.path().string(), samples_ = (test::SourceDir() / "resources/samples/").string();
  const std::string signature_ = samples_ + "signature.bmp", seal_ = samples_ + "seal.bmp";
};

TEST_F(FileOutputsTest, FilesMessageAndPictureCarryTheInlinePictures) {
  for (const Args& style : {Args{}, Args{"--format", "png", "--density", "2", "--signature-scale", "height:48"}}) {
    const int density = style.empty() ? 1 : 2;
    const std::string inline_snippet(Run(style).output.view());
    const auto out = dir_ / "out", eml = dir_ / "m.eml", png = dir_ / "p.png";
    Args args = style;
    args.insert(args.end(), {"--export", out.c_str(), "--eml", eml.c_str(), "--picture", png.c_str(), "--subject", "印 ©"});
    ASSERT_EQ(Run(args).exit_code, kExitOk);
    EXPECT_NE(inline_snippet.find("alt=\"&quot;Yamada&quot; &lt;b&gt; &amp; &#23665;&#30000;\""), std::string::npos);
    EXPECT_NE(inline_snippet.find("alt=\"&#21360;" + std::string(199, 'x') + "\""), std::string::npos);

    // snippet.html is the inline block with each data URL replaced by its file's name.
    std::string hosted = inline_snippet;
    const std::vector<Tag> tags = TagsOf(inline_snippet);
    ASSERT_EQ(tags.size(), 2u);
    const std::string ext = density == 1 ? ".gif" : ".png";
    for (const char* name : {"signature", "seal"}) {
      const std::string& src = tags[name[1] == 'e' ? 1 : 0].src;
      hosted.replace(hosted.find(src), src.size(), name + ext);
      EXPECT_EQ(test::DecodeBase64(src.substr(src.find(',') + 1)), test::ReadFileBytes(out / (name + ext))) << name;
    }
    EXPECT_EQ(test::ReadFileText(out / "snippet.html"), hosted);

    // The picture: both tags' pictures in slots of their layout size × density, bottoms aligned.
    const test::RgbaPicture picture = test::DecodePng(test::ReadFileBytes(png));
    int left = 0;
    for (const Tag& tag : tags) {
      const test::RgbaPicture made = test::DecodeTag("src=\"" + tag.src);
      const int w = (tag.width ? tag.width : made.width) * density, h = (tag.height ? tag.height : made.height) * density;
      for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
          const uint8_t* want = made.At(x * made.width / w, y * made.height / h);
          const uint8_t* got = picture.At(left + x, picture.height - h + y);
          ASSERT_TRUE(got[3] == want[3] && (want[3] == 0 || std::equal(got, got + 3, want))) << x << "," << y;
        }
      }
      left += w;
    }
    EXPECT_EQ(picture.width, left);  // the signature, as the taller, sets the height

    const std::string check = "python3 '" + (test::SourceDir() / "tests/core/cli/check_eml.py").string() + "' '" +
                              eml.string() + "' '" + out.string() + "' '印 ©'";
    EXPECT_EQ(std::system(check.c_str()), 0);
  }
}

TEST_F(FileOutputsTest, UnwritablePlacesAndOtherSchemesAreRefused) {
  test::WriteFileText(dir_ / "file", "x");
  const std::string under_file = (dir_ / "file" / "out").string(), folder = settings_;
  const struct {
    Args args;
    int exit_code;
  } kCases[] = {
      {{"--export", under_file}, kExitNoSnippet},
      {{"--eml", folder}, kExitNoSnippet},
      {{"--picture", folder}, kExitNoSnippet},
      {{"--export", folder, "--base-url", "ftp://example.org/"}, kExitUsage},
      {{"--export", folder, "--base-url", "javascript:alert(1)//"}, kExitUsage},
      {{"--export", folder, "--base-url", "https://example.org/a b"}, kExitUsage},
      {{"--export", folder, "--base-url", "https://"}, kExitUsage},
      {{"--base-url", "https://example.org"}, kExitUsage},
      {{"--export", folder, "--base-url", "HTTPS://example.org/m?a&b"}, kExitOk},
  };
  for (const auto& c : kCases) {
    const ToolOutcome outcome = Run(c.args);
    EXPECT_EQ(outcome.exit_code, c.exit_code) << c.args[1] << " " << outcome.error;
    EXPECT_TRUE(outcome.output.empty());
  }
  EXPECT_NE(test::ReadFileText(dir_ / "snippet.html").find(" src=\"HTTPS://example.org/m?a&amp;b/seal.gif\">"),
            std::string::npos);
  EXPECT_FALSE(std::filesystem::exists(dir_ / "file" / "out"));

  // A stored base URL serves exports unless --base-url names another; a stored one of another scheme is refused.
  for (const auto& [stored, args, exit_code, src] : {
           std::tuple{"https://stored.example/m", Args{"--export", folder}, kExitOk, "https://stored.example/m/seal.gif"},
           std::tuple{"https://stored.example", Args{"--export", folder, "--base-url", "http://cli.example"}, kExitOk,
                      "http://cli.example/seal.gif"},
           std::tuple{"ftp://stored.example", Args{"--export", folder}, kExitUsage, "http://cli.example/seal.gif"}}) {
    test::WriteFileText(dir_ / "wq.ini", std::string("[Quorel]\nBaseUrl=") + stored + "\n");
    EXPECT_EQ(Run(args).exit_code, exit_code) << stored;
    EXPECT_NE(test::ReadFileText(dir_ / "snippet.html").find(std::string(" src=\"") + src + "\">"), std::string::npos);
  }
}

}  // namespace
}  // namespace quorel::cli
