// Quorel — SPDX-License-Identifier: MIT
#include "output/Mark.h"

#include <gtest/gtest.h>

#include <cmath>
#include <set>

#include "codec/ImportPicture.h"
#include "codec/bmp/BmpFile.h"
#include "codec/png/PngWriter.h"
#include "image/Coverage.h"
#include "output/PanelPicture.h"
#include "output/PreviewPage.h"
#include "panel/CleanupSettings.h"
#include "output/Snippet.h"
#include "settings/IniStore.h"
#include "support/TagPixels.h"
#include "support/TempDir.h"
#include "support/TestData.h"
#include "support/TestPictures.h"

namespace quorel {
namespace {

constexpr Colour kInk = MakeColour(20, 40, 160);
constexpr OutputStyle kGif1{}, kPng1{OutputFormat::kPng}, kGif2{OutputFormat::kGif, OutputDensity::kDouble};

// Fits a picture to a height (0: keeps its size).
ScaleSettings FitHeight(int32_t height) { return {height ? kScaleFitHeight : kScaleNone, height, 48, 100}; }

class MarkTest : public ::testing::Test {
 protected:
  // The one tag of a signature-only mark.
  std::string Tag(const PackedDib& picture, ScaleSettings scale, OutputStyle style) {
    MarkRequest request;
    request.Panel(PanelIndex::kSeal).enabled = false;
    request.Panel(PanelIndex::kSignature) = {true, &picture, kInk, scale, CleanupLevel::kNone};
    request.style = style;
    const std::string html(BuildSnippet(request).value().view());
    return html.substr(html.find("<img"), html.rfind("</div>") - html.find("<img"));
  }
  test::TempDir dir_;
  const std::filesystem::path samples_ = test::SourceDir() / "resources" / "samples";
  const PackedDib signature_ = ReadPictureFile(samples_ / "signature.bmp").value().picture;
};

// The PNG against the GIF: alpha ≥ 128 agrees with GIF ink on 95 % of their union, colour
// is the ink wherever alpha > 0, paper (the top row) has alpha 0, and a signature shrunk
// by more than half (the scaler then averages) has at least 8 levels along its edges.
TEST_F(MarkTest, PngCoverageAgreesWithTheGif) {
  const PackedDib camera = test::MakePicture24(600, 240, [](int x, int y) {  // a wavy stroke on grainy paper
    return std::abs(y - 120 - 60 * std::sin(x / 40.0)) < 7 ? Bgr{50, 35, 30} : test::Grey(228 + (x * 7919 + y * 104729) % 23);
  });
  const PackedDib seal = ReadPictureFile(samples_ / "seal.bmp").value().picture;
  for (const auto& [picture, height, min_levels] :
       {std::tuple{&signature_, 0, 0u}, {&seal, 0, 0u}, {&signature_, 48, 8u}, {&signature_, 80, 0u},
        {&camera, 48, 8u}, {&camera, 100, 8u}}) {
    SCOPED_TRACE(std::to_string(height));
    const test::RgbaPicture gif = test::DecodeTag(Tag(*picture, FitHeight(height), kGif1));
    const test::RgbaPicture png = test::DecodeTag(Tag(*picture, FitHeight(height), kPng1));
    const OutputSizeResult output = ComputeOutputSize(FitHeight(height), picture->Width(), picture->Height());
    ASSERT_EQ(png.width * png.height, output.width * output.height);
    int either = 0, both = 0, off_colour = 0, stray = 0;
    std::set<int> edge_levels;
    for (int y = 0; y < png.height; ++y) {
      for (int x = 0; x < png.width; ++x) {
        const uint8_t* p = png.At(x, y);
        either += gif.At(x, y)[3] != 0 || p[3] >= 128;
        both += gif.At(x, y)[3] != 0 && p[3] >= 128;
        if (p[3] == 0) continue;
        off_colour += MakeColour(p[0], p[1], p[2]) != kInk;
        stray += y == 0;  // bare paper in every picture
        if (p[3] < 255) edge_levels.insert(p[3]);
      }
    }
    EXPECT_GE(both, 0.95 * either);
    EXPECT_EQ(off_colour + stray, 0);
    EXPECT_GE(edge_levels.size(), min_levels);
  }
}

// 2×: twice the output size within the source's (the tag's layout size is checked by the
// browser tests); without a scale setting, exactly the 1× tag.
TEST_F(MarkTest, DoubleDensityAndStoredStyle) {
  EXPECT_EQ(MadeSize({120, 48, true}, 300, 120, OutputDensity::kDouble), (PictureSize{240, 96}));
  EXPECT_EQ(MadeSize({250, 100, true}, 300, 120, OutputDensity::kDouble), (PictureSize{300, 120}));
  EXPECT_EQ(MadeSize({900, 360, true}, 300, 120, OutputDensity::kDouble), (PictureSize{900, 360}));
  EXPECT_EQ(MadeSize({40000, 100, true}, 90000, 300, OutputDensity::kDouble), (PictureSize{65535, 200}));
  EXPECT_EQ(Tag(signature_, FitHeight(0), kGif2), Tag(signature_, FitHeight(0), kGif1));
  EXPECT_TRUE(Tag(signature_, FitHeight(48), kGif2).starts_with("<img width=120 height=48 src="));
  // Only exact stored values choose a style; a new style's preview is white, then black.
  const IniStore store(dir_ / "wq.ini");
  const OutputStyle png2{OutputFormat::kPng, OutputDensity::kDouble};
  for (const auto& [text, style] : {std::pair<std::string, OutputStyle>{"[Quorel]\nOutputFormat=1\nOutputDensity=2\n", png2},
                                    {"[Quorel]\nOutputFormat=png\nOutputDensity=3\n", {}},
                                    {"[Quorel]\nOutputFormat=2\nOutputDensity=2\n", kGif2}}) {
    test::WriteFileBytes(store.Path(), std::vector<uint8_t>(text.begin(), text.end()));
    EXPECT_EQ(ReadOutputStyle(store), style) << text;
  }
  const std::string page(MakePreviewPage("<i>", 1, 0, png2).value().view());
  EXPECT_LT(page.find("bgcolor=#ffffff><i>"), page.find("bgcolor=#000000><i>"));
}

// One photo for both panels: the seal panel keeps the red seal's ring cut to it, the signature panel the dark
// stroke without the seal (a panel keeping every ink would span both; one keeping only the seal, the ring).
TEST_F(MarkTest, OnePhotoGivesItsSealAndItsSignature) {
  const PackedDib photo = test::MakePicture24(480, 200, [](int x, int y) {
    const double from_seal = std::hypot(x - 380, y - 100);
    if (from_seal > 30 && from_seal < 40) return Bgr{50, 45, 190};
    if (x > 30 && x < 230 && std::abs(y - 100 - 40 * std::sin(x / 25.0)) < 3) return Bgr{40, 35, 30};
    return test::Grey(225 + (x * 7919 + y * 104729) % 17);
  });
  ASSERT_TRUE(WriteBmpFile(photo, dir_ / "photo.bmp"));
  MarkRequest request;
  for (const PanelIndex index : kPanelIndexes) {
    PanelRequest& panel = request.Panel(index);
    panel.picture = PictureFile{dir_ / "photo.bmp"};
    panel.cleanup = CleanupLevel::kPhoto;
    panel.wanted_ink = index == PanelIndex::kSeal ? InkWanted::kSeal : InkWanted::kPen;
  }
  const Mark mark = MakeMark(request).value();
  EXPECT_TRUE(mark.images[0]->width >= 190 && mark.images[0]->width < 280) << mark.images[0]->width;
  EXPECT_TRUE(mark.images[1]->width >= 78 && mark.images[1]->width < 130) << mark.images[1]->width;
}

// Both panels naming one large photo read it once and make what each makes alone: each panel's rows scaled to its
// own size in one decode (two working sizes; a working and a made size; one size for both), or, when a panel takes
// the whole picture, the other panel's working picture made of the whole one.
TEST_F(MarkTest, OnePhotoForBothPanelsMakesWhatEachMakesAlone) {
  const PackedDib photo = test::MakePicture24(1600, 1560, [](int x, int y) {  // > 2 × 768
    if (std::hypot(x - 1200, y - 800) < 150 && std::hypot(x - 1200, y - 800) > 120) return Bgr{50, 45, 190};
    if (x > 200 && x < 900 && std::abs(y - 800 - 90 * std::sin(x / 45.0)) < 6) return Bgr{40, 35, 30};
    return test::Grey(static_cast<uint8_t>(224 + (x / 64 + y / 48) % 7));
  });
  ASSERT_TRUE(WriteBmpFile(photo, dir_ / "photo.bmp"));
  using Panel = std::pair<CleanupLevel, ScaleSettings>;
  const std::pair<Panel, Panel> cases[] = {
      {{CleanupLevel::kPhoto, FitHeight(48)}, {CleanupLevel::kTrim, FitHeight(194)}},  // 768 and 776 rows
      {{CleanupLevel::kTrim, FitHeight(64)}, {CleanupLevel::kNone, {kScaleRatio, 48, 48, 10}}},
      {{CleanupLevel::kPhoto, FitHeight(40)}, {CleanupLevel::kNone, FitHeight(0)}},
      {{CleanupLevel::kTrim, FitHeight(48)}, {CleanupLevel::kTrim, FitHeight(32)}},  // one working size: one scaler
  };
  for (const auto& [signature, seal] : cases) {
    MarkRequest both;
    for (const PanelIndex index : kPanelIndexes) {
      const Panel& panel = index == PanelIndex::kSignature ? signature : seal;
      both.Panel(index) = {true, PictureFile{dir_ / "photo.bmp"}, kInk, panel.second, panel.first};
      both.Panel(index).wanted_ink = SharedPhotoInk(index);
    }
    const Mark shared = MakeMark(both).value();
    for (const PanelIndex index : kPanelIndexes) {
      MarkRequest alone = both;
      alone.Panel(index == PanelIndex::kSeal ? PanelIndex::kSignature : PanelIndex::kSeal).enabled = false;
      const auto i = static_cast<size_t>(index);
      const MarkImage image = std::move(*MakeMark(alone).value().images[i]);
      EXPECT_TRUE(shared.images[i]->bytes == image.bytes) << static_cast<int>(signature.first) << " " << i;
    }
  }
}

// A large photo cleaned and scaled down is cleaned at a working size: trimmed, laid out as the whole picture (kept,
// so cleaned whole) within two pixels, a ratio taken of the source's pixels; as a photo, its ink found if any.
TEST_F(MarkTest, ALargePhotoIsCleanedAtAWorkingSize) {
  const std::tuple<CleanupLevel, ScaleSettings, bool> cases[] = {
      {CleanupLevel::kTrim, FitHeight(48), true}, {CleanupLevel::kTrim, {kScaleRatio, 48, 48, 10}, true},
      {CleanupLevel::kPhoto, FitHeight(48), true}, {CleanupLevel::kPhoto, FitHeight(48), false}};
  for (const auto& [cleanup, scale, ink] : cases) {
    const PackedDib picture = test::MakePicture24(2100, 2100, [ink = ink](int x, int y) {  // > 2 × 768
      if (ink && x > 700 && x < 1300 && std::abs(y - 900 - 80 * std::sin(x / 40.0)) < 5) return Bgr{40, 35, 30};
      return test::Grey(static_cast<uint8_t>(226 + (x / 64 + y / 64) % 5));
    });
    ASSERT_TRUE(WriteBmpFile(picture, dir_ / "photo.bmp"));
    std::array<MarkImage, 2> made;  // from the file, streamed; from the picture kept (a whole photo: too slow here)
    for (const int road : {0, 1}) {
      if (road == 1 && cleanup == CleanupLevel::kPhoto) continue;
      MarkRequest request;
      request.Panel(PanelIndex::kSeal).enabled = false;
      request.Panel(PanelIndex::kSignature) = {true, {}, kInk, scale, cleanup};
      request.Panel(PanelIndex::kSignature).picture =
          road == 0 ? PictureSource(PictureFile{dir_ / "photo.bmp"}) : PictureSource(&picture);
      made[road] = std::move(*MakeMark(request).value().images[0]);
    }
    EXPECT_EQ(made[0].ink_found, ink);
    EXPECT_TRUE(cleanup != CleanupLevel::kTrim || (std::abs(made[0].width - made[1].width) <= 2 &&
                                                   std::abs(made[0].height - made[1].height) <= 2));
  }
}

// Too large to compose: no pixels kept, and the coverage made a row at a time gives the same PNG.
TEST_F(MarkTest, PictureBeyondTheComposedOneKeepsNoPixelsAndTheSamePng) {
  const PackedDib picture = test::MakePicture24(
      2049, 2049, [](int x, int y) { return test::Grey(static_cast<uint8_t>(y < 1500 && x > y / 3 ? 250 : x % 200)); });
  MarkRequest request;
  request.Panel(PanelIndex::kSeal).enabled = false;
  request.Panel(PanelIndex::kSignature) = {true, &picture, kInk, FitHeight(0), CleanupLevel::kNone};
  request.style = {OutputFormat::kPng, OutputDensity::kDouble};
  const MarkImage image = std::move(*MakeMark(request).value().images[0]);
  EXPECT_TRUE(!image.pixels && image.bytes == EncodeCoveragePng(MeasureCoverage(picture).value(), kInk).value());
}

// A picture file's bytes in memory make the mark its file makes, on both roads (straight into the
// scaler, and whole for a clean-up), a cut file included; bytes that cannot be read fail as the file does.
TEST_F(MarkTest, AFilesBytesMakeTheMarkItsFileMakes) {
  const std::tuple<std::filesystem::path, int32_t, CleanupLevel, OutputStyle> cases[] = {
      {samples_ / "seal.bmp", 0, CleanupLevel::kNone, kGif1},
      {test::DataPath("jpeg/truncated.jpg"), 12, CleanupLevel::kNone, kPng1},
      {test::DataPath("png/interlaced.png"), 20, CleanupLevel::kNone, kGif2},
      {samples_ / "signature.bmp", 30, CleanupLevel::kTrim, kGif2},
      {test::DataPath("gif/interlaced.gif"), 0, CleanupLevel::kPhoto, kPng1},
      {samples_ / "signature.bmp", 0, CleanupLevel::kNone, kGif1},  // read as a JPEG below: unreadable
  };
  for (const auto& [source, height, cleanup, style] : cases) {
    SCOPED_TRACE(source.string() + " " + std::to_string(height));
    const std::vector<uint8_t> bytes = test::ReadFileBytes(source);
    const bool last = &source == &std::get<0>(cases[std::size(cases) - 1]);
    const std::filesystem::path path = last ? dir_ / "signature.jpg" : source;
    if (last) test::WriteFileBytes(path, bytes);
    std::array<std::string, 2> made;
    std::array<MarkFailure, 2> failures;
    for (const int road : {0, 1}) {
      MarkRequest request;
      request.Panel(PanelIndex::kSeal).enabled = false;
      request.Panel(PanelIndex::kSignature) = {true, {}, kInk, FitHeight(height), cleanup};
      request.Panel(PanelIndex::kSignature).picture =
          road == 0 ? PictureSource(PictureFile{path}) : PictureSource(PictureBytes{bytes, PictureKindOf(path)});
      request.style = style;
      const auto mark = MakeMark(request, &failures[road]);
      made[road] = mark ? std::string(InlineSnippet(*mark).value().view()) + (mark->images[0]->complete ? "" : " cut") : "failed";
    }
    EXPECT_EQ(made[1], made[0]);
    EXPECT_EQ(failures[1].unreadable, last);
    EXPECT_EQ(failures[1].cause, failures[0].cause);
  }
}

}  // namespace
}  // namespace quorel
