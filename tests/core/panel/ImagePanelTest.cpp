// Quorel — SPDX-License-Identifier: MIT
#include "panel/ImagePanel.h"

#include <gtest/gtest.h>

#include "codec/bmp/BmpFile.h"
#include "settings/IniStore.h"
#include "settings/SettingsFolder.h"
#include "support/TempDir.h"
#include "support/TestPictures.h"

namespace quorel {
namespace {

using test::Grey;
using test::PixelAt;

const Bgr kRed{0, 0, 255};

class ImagePanelTest : public ::testing::Test {
 protected:
  // A panel whose preview is 160 × 80, set up from the folder.
  ImagePanel NewPanel(PanelIndex index = PanelIndex::kSignature, double ratio = 1.0) {
    ImagePanel panel = ImagePanel::Load(index, folder_, store_);
    panel.ShowIn(160, 80, ratio);
    return panel;
  }
  Result<void> Give(ImagePanel& panel, PackedDib picture) { return panel.TakeNewPicture(std::move(picture), store_); }
  // The first and last preview rows, from the top, that show the picture.
  std::pair<int, int> ShownRows(const ImagePanel& panel) {
    int first = -1, last = -1;
    for (int y = 0; y < 80; ++y) {
      if (PixelAt(*panel.preview(), 80, y) == kPreviewBackground) continue;
      if (first < 0) first = y;
      last = y;
    }
    return {first, last};
  }

  test::TempDir dir_;
  SettingsFolder folder_{dir_.path()};
  IniStore store_{folder_.IniPath()};
};

TEST_F(ImagePanelTest, ReadoutAndCentredPreviewByFit) {
  struct Case {
    int32_t width, height;
    const char* readout;
    int first_row, last_row;  // -1: nothing shown
  };
  const Case cases[] = {
      {300, 120, "300x120 (53.33%)", 8, 71},  // shown 160 × 64
      {300, 123, "300x123 (53.33%)", 7, 71},  // shown 160 × 65: the odd row goes below
      {160, 80, "160x80 (100.0%)", 0, 79},    // exactly the preview: no resampling
      {40, 21, "40x21 (100.0%)", 29, 49},     // never enlarged; odd leftover 59
      {5000, 16, "", -1, -1},                 // the display height truncates to 0
      {15, 200, "", -1, -1},                  // too narrow to show
  };
  for (const Case& c : cases) {
    ImagePanel panel = NewPanel();
    (void)Give(panel, test::MakeUniform24(c.width, c.height, kRed));
    EXPECT_EQ(panel.Readout(), c.readout) << c.width << "x" << c.height;
    EXPECT_EQ(ShownRows(panel), std::make_pair(c.first_row, c.last_row)) << c.width << "x" << c.height;
  }
  // At twice the device pixels the picture fills the same place, 320 × 128 in
  // the 320 × 160 block (rows 16–143); the readout still counts logical pixels.
  ImagePanel hidpi = NewPanel(PanelIndex::kSignature, 2.0);
  (void)Give(hidpi, test::MakeUniform24(300, 120, kRed));
  EXPECT_EQ(hidpi.Readout(), "300x120 (53.33%)");
  EXPECT_EQ(std::pair(PixelAt(*hidpi.preview(), 160, 15), PixelAt(*hidpi.preview(), 160, 16)),
            std::pair(kPreviewBackground, kRed));
  ImagePanel panel = NewPanel();
  (void)Give(panel, test::MakeUniform24(300, 120, kRed));
  panel.SetScale({kScaleFitHeight, 48, 48, 100});
  EXPECT_EQ(panel.Readout(), "300x120 (53.33%)⇒120x48");
}

TEST_F(ImagePanelTest, StoredPicturesAreShownAsTheyAre) {
  // A working file replaced by another program: 24 bits behind a colour table.
  auto tabled = test::MakeIndexed(24, 16, 16, {Grey(1), Grey(2)}, [](int x, int) { return x * 10; }, 2);
  ASSERT_TRUE(WriteBmpFile(tabled, folder_.WorkingBmpPath(0)));
  ImagePanel panel = NewPanel();
  EXPECT_EQ(panel.Readout(), "16x16 (100.0%)");
  for (int x = 0; x < 16; ++x) EXPECT_EQ(PixelAt(*panel.preview(), 72 + x, 40), (Bgr{static_cast<uint8_t>(x * 10), 0, 0}));
  // Taken by the other panel as its new picture, it is converted, not shared as it is.
  const auto seal = NewPanel(PanelIndex::kSeal).WithNewPicture(panel.shared_picture(), CleanupLevel::kNone,
                                                               InkWanted::kAny, ImagePanel::ScaleOnNew::kKeep);
  EXPECT_EQ(std::pair(seal->picture()->ClrUsed(), seal->picture()->BlockSize()), std::pair(0u, size_t{40 + 48 * 16}));
}

TEST_F(ImagePanelTest, NewPicturesResetTheScaleModeAndAreStoredInTwentyFourBits) {
  (void)store_.WriteInt("rate2_type", 2);
  (void)store_.WriteInt("rate2_w", 100);
  ImagePanel panel = NewPanel(PanelIndex::kSeal);
  EXPECT_EQ(panel.scale().mode, kScaleFitWidth);
  const std::vector<Bgr> palette = {{10, 20, 30}, {200, 100, 50}};
  ASSERT_TRUE(Give(panel, test::MakeIndexed(8, 16, 16, palette, [](int x, int) { return x % 2; })));
  EXPECT_EQ(panel.scale().mode, kScaleNone);
  EXPECT_EQ(store_.ReadInt("rate2_type", -1), 0);
  EXPECT_EQ(store_.ReadInt("rate2_w", -1), 100);  // the other settings stay
  const Result<PackedDib> stored = ReadBmpFile(folder_.WorkingBmpPath(1)).value().picture;
  EXPECT_EQ(stored->BitCount(), 24);
  EXPECT_EQ(PixelAt(*stored, 1, 15), palette[1]);
  // Replaced atomically: no temporary file is left beside it.
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir_.path()), {}), 2);

  // A small picture is kept, but neither stored nor shown; a restart brings
  // back the stored one.
  ASSERT_TRUE(Give(panel, test::MakeUniform24(15, 200, Grey(0))));
  EXPECT_EQ(panel.picture()->Width(), 15);
  EXPECT_EQ(panel.Readout(), "");
  EXPECT_EQ(NewPanel(PanelIndex::kSeal).picture()->Width(), 16);
  // One that cannot become 24 bits leaves the panel as it was.
  auto sixteen = test::MakeIndexed(8, 16, 16, {}, [](int, int) { return 0; });
  sixteen.SetField16(DibField::kBitCount, 16);
  EXPECT_EQ(Give(panel, std::move(sixteen)).status(), Status::kUnsupported);
  EXPECT_EQ(panel.picture()->Width(), 15);
}

}  // namespace
}  // namespace quorel
