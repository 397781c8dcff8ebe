// Quorel — SPDX-License-Identifier: MIT
// The command-line tool run as a process on the sample pictures.

#include <gtest/gtest.h>

#include <sys/wait.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <sstream>

#include "codec/bmp/BmpFile.h"
#include "output/OutputState.h"
#include "output/Snippet.h"
#include "settings/IniStore.h"
#include "settings/InkColours.h"
#include "settings/OptionBits.h"
#include "settings/SettingsFolder.h"
#include "support/DataUrl.h"
#include "support/GiflibDecode.h"
#include "support/TempDir.h"
#include "support/TestData.h"
#include "support/TestPictures.h"

namespace quorel {
namespace {

using test::GiflibImage;
using test::TempDir;

std::string ReadText(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

std::filesystem::path Sample(const char* name) {
  return test::SourceDir() / "resources" / "samples" / name;
}

struct ToolRun {
  int exit_code = -1;
  std::string out;
  std::string err;
};

class SnippetToolTest : public ::testing::Test {
 protected:
  // Runs the tool with the settings folder `settings_` unless the arguments
  // name another one, and a temporary folder of its own.
  ToolRun Tool(const std::vector<std::string>& args, bool with_settings = true) {
    const char* exe = std::getenv("QUOREL_SNIPPET");
    EXPECT_NE(exe, nullptr) << "QUOREL_SNIPPET is not set";
    std::string command = "TMPDIR='" + tmp_.path().string() + "' '" + (exe ? exe : "false") + "'";
    if (with_settings) command += " --settings '" + settings_.path().string() + "'";
    for (const std::string& a : args) command += " '" + a + "'";
    command += " >'" + (io_ / "out").string() + "' 2>'" + (io_ / "err").string() + "'";
    const int status = std::system(command.c_str());
    ToolRun run;
    run.exit_code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    run.out = ReadText(io_ / "out");
    run.err = ReadText(io_ / "err");
    return run;
  }
  static GiflibImage Decode(const std::vector<uint8_t>& gif) {
    std::string error;
    const auto image = test::DecodeWithGiflib(gif, &error);
    EXPECT_TRUE(image) << error;
    return image.value_or(GiflibImage{});
  }

  TempDir settings_;
  TempDir tmp_;
  TempDir io_;
};

// Every GIF pixel is ink (index 0) exactly where the sample's brightness sum
// is at or below the halfway threshold of its darkest and brightest pixels.
void ExpectTwoLevelsOf(const std::filesystem::path& sample, const GiflibImage& gif) {
  const Result<PackedDib> picture = ReadBmpFile(sample).value().picture;
  ASSERT_EQ(gif.width, picture->Width());
  ASSERT_EQ(gif.height, picture->Height());
  ASSERT_EQ(gif.frames.size(), 1u);
  std::vector<int> sums;  // top row first, like the GIF's indexes
  for (int y = 0; y < gif.height; ++y) {
    for (int x = 0; x < gif.width; ++x) {
      const Bgr c = test::PixelAt(*picture, x, y);
      sums.push_back(c.blue + c.green + c.red);
    }
  }
  const auto [lowest, highest] = std::minmax_element(sums.begin(), sums.end());
  const int threshold = *lowest + (*highest - *lowest) / 2;
  int ink = 0;
  for (size_t i = 0; i < sums.size(); ++i) {
    const int expected = sums[i] > threshold ? 1 : 0;
    ASSERT_EQ(gif.frames[0].indexes[i], expected) << "pixel " << i;
    ink += expected == 0;
  }
  EXPECT_GT(ink, 100);  // the sample really has strokes
}

TEST_F(SnippetToolTest, SamplesBecomeTwoTagsWithTheSamplesPixels) {
  const ToolRun run = Tool({"--signature", Sample("signature.bmp").string(), "--seal",
                        Sample("seal.bmp").string(), "--align", "center"});
  ASSERT_EQ(run.exit_code, 0) << run.err;
  EXPECT_EQ(run.err, "");
  EXPECT_TRUE(run.out.starts_with("<div align=center style=\"width:100%\"><img src=\"data:image/gif;base64,R0lGODdh"));
  EXPECT_TRUE(run.out.ends_with("\"></div>"));  // no line end added
  const auto gifs = test::GifsOfSnippet(run.out);
  ASSERT_EQ(gifs.size(), 2u);
  ExpectTwoLevelsOf(Sample("signature.bmp"), Decode(gifs[0]));
  ExpectTwoLevelsOf(Sample("seal.bmp"), Decode(gifs[1]));
  // Nothing is written into the settings folder, nor any temporary file.
  EXPECT_TRUE(std::filesystem::is_empty(settings_.path()));
  EXPECT_TRUE(std::filesystem::is_empty(tmp_.path()));
}

// Scale and colour options are the browser and clean-up tests' business; here
// the page: a light signature's is black, and -o writes exactly it over a longer file.
TEST_F(SnippetToolTest, PageIntoAFile) {
  const std::filesystem::path out = io_ / "snippet.txt";
  test::WriteFileBytes(out, std::vector<uint8_t>(1 << 20, 'z'));
  const ToolRun run = Tool({"--signature", Sample("signature.bmp").string(), "--no-seal",
                            "--signature-color", "c8c8c8", "--page", "-o", out.string()});
  ASSERT_EQ(run.exit_code, 0) << run.err;
  EXPECT_EQ(run.out, "");
  const std::string text = ReadText(out);
  EXPECT_TRUE(text.starts_with("<html><body bgcolor=#000000><div align=right"));
  EXPECT_TRUE(text.ends_with("</div></body></html>"));
}

TEST_F(SnippetToolTest, StoredStateGivesWhatTheDesktopProgramWouldCopy) {
  const SettingsFolder folder(settings_.path());
  const IniStore store(folder.IniPath());
  for (auto [key, value] : {std::pair<const char*, int32_t>{"flags", option_bit::kDefaultsWritten |
                                                              option_bit::kSeal | option_bit::kAlignCentre},
                            {"IneiColor", MakeColour(0, 128, 0)}, {"rate2_type", kScaleFitHeight},
                            {"rate2_h", 32}}) {
    ASSERT_TRUE(store.WriteInt(key, value));
  }
  ASSERT_TRUE(store.WriteString("Quorel", kAltTextKeys[1], "印").ok());
  std::filesystem::copy_file(Sample("seal.bmp"), folder.WorkingBmpPath(1));
  std::filesystem::copy_file(Sample("signature.bmp"), folder.WorkingBmpPath(0));
  const std::string ini_before = ReadText(folder.IniPath());

  const ToolRun run = Tool({});
  ASSERT_EQ(run.exit_code, 0) << run.err;

  // The desktop program's copy command makes the same snippet of the same folder.
  OutputState window;
  window.option_bits = ReadOptionBits(store);
  window.inks = ReadInkColours(store);
  window.alts[1] = "印";
  for (const PanelIndex index : {PanelIndex::kSignature, PanelIndex::kSeal}) {
    window.Panel(index) = ImagePanel::Load(index, folder, store);
  }
  EXPECT_EQ(run.out, BuildSnippet(window.Request()).value());

  const GiflibImage gif = Decode(test::GifsOfSnippet(run.out).at(0));
  EXPECT_EQ(gif.height, 32);
  EXPECT_EQ(gif.colours[0], (test::GifRgb{0, 128, 0}));
  EXPECT_TRUE(run.out.starts_with("<div align=center style=\"width:100%\"><img alt=\"&#21360;\" src="));
  // Read only: wq.ini unchanged and no GIF left in the folder.
  EXPECT_EQ(ReadText(folder.IniPath()), ini_before);
  EXPECT_FALSE(std::filesystem::exists(folder.Path() / kImageGifName));
}

TEST_F(SnippetToolTest, ExitCodesAndMessages) {
  test::WriteFileBytes(io_ / "text.bmp", {'h', 'e', 'l', 'l', 'o'});
  test::WriteFileBytes(io_ / "notes.txt", {'h', 'i'});
  struct Case {
    std::vector<std::string> args;
    int exit_code;
    std::string err_contains;
  };
  const Case cases[] = {
      {{"--no-seal"}, 1, "Quorel(手書きの名前)が作成できません．\n"},  // no signature stored
      {{"--no-signature"}, 1, "印影が作成できません．\n"},
      {{"--no-signature", "--no-seal", "--align", "left"}, 0, ""},
      {{"--signature", (io_ / "missing.bmp").string()}, 2, "missing.bmp: no such file"},
      {{"--seal", (io_ / "text.bmp").string()}, 2, "text.bmp: "},
      {{"--seal", (io_ / "notes.txt").string()}, 2, "notes.txt: no picture extension"},
      {{"--signature-scale", "tall"}, 2, "--signature-scale"},
      {{"--bogus"}, 2, "unknown argument '--bogus'"},
      {{"--settings", (io_ / "nowhere").string()}, 2, "nowhere: no such settings folder"},
  };
  for (const Case& c : cases) {
    const ToolRun run = Tool(c.args);
    EXPECT_EQ(run.exit_code, c.exit_code) << c.args[0] << ": " << run.err;
    EXPECT_NE(run.err.find(c.err_contains), std::string::npos) << run.err;
    if (c.exit_code != 0) {
      EXPECT_EQ(run.out, "");
    }
    // A message or a named picture's error is one line; option errors add a hint.
    if (c.exit_code == 1 || c.err_contains.find(".bmp") != std::string::npos) {
      EXPECT_EQ(run.err.find('\n'), run.err.size() - 1) << "one line: " << run.err;
    }
  }
  EXPECT_EQ(Tool({"--no-signature", "--no-seal", "--align", "left"}).out,
            "<div align=left style=\"width:100%\"></div>");
}

}  // namespace
}  // namespace quorel
