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

const Bgr kBackground{128, 186, 186};
const Bgr kRed{0, 0, 255};

class ImagePanelTest : public ::testing::Test {
 protected:
  // A panel whose preview is 160 × 80, set up from the (empty) folder.
  ImagePanel NewPanel(PanelIndex index = PanelIndex::kSignature) {
    ImagePanel panel;
    SetUpPanel(panel, index, 160, 80, folder_, store_);
    return panel;
  }
  bool Give(ImagePanel& panel, PackedDib picture) {
    panel.picture = std::move(picture);
    const bool stored = ApplyNewPicture(panel, store_);
    RefreshPreview(panel);
    return stored;
  }

  test::TempDir dir_;
  SettingsFolder folder_{dir_.path()};
  IniStore store_{folder_.IniPath()};
};

TEST_F(ImagePanelTest, ReadoutShowsSizePercentAndTarget) {
  ImagePanel panel = NewPanel();
  EXPECT_EQ(panel.readout, "");
  ASSERT_TRUE(Give(panel, test::MakeUniform24(300, 120, kRed)));
  EXPECT_EQ(panel.readout, "300x120 (53.33%)");
  panel.scale.mode = kScaleFitHeight;
  UpdateTargetReadout(panel);
  EXPECT_EQ(panel.readout, "300x120 (53.33%)⇒120x48");
  UpdateTargetReadout(panel);  // the suffix is replaced, not repeated
  EXPECT_EQ(panel.readout, "300x120 (53.33%)⇒120x48");
  panel.scale.mode = kScaleNone;
  UpdateTargetReadout(panel);
  EXPECT_EQ(panel.readout, "300x120 (53.33%)");
}

TEST_F(ImagePanelTest, PreviewIsCentredOnTheBackground) {
  ImagePanel panel = NewPanel();
  ASSERT_TRUE(panel.preview);
  EXPECT_EQ(PixelAt(*panel.preview, 0, 0), kBackground);
  Give(panel, test::MakeUniform24(300, 120, kRed));  // shown at 160 × 64, 8 rows free above
  EXPECT_EQ(PixelAt(*panel.preview, 80, 7), kBackground);
  EXPECT_EQ(PixelAt(*panel.preview, 0, 8), kRed);
  EXPECT_EQ(PixelAt(*panel.preview, 159, 71), kRed);
  EXPECT_EQ(PixelAt(*panel.preview, 80, 72), kBackground);
}

TEST_F(ImagePanelTest, ReadoutPercentByFit) {
  struct Case {
    int32_t width, height;
    const char* readout;
  };
  const Case cases[] = {
      {160, 80, "160x80 (100.0%)"},   // exactly the preview: no resampling
      {161, 80, "161x80 (99.38%)"},   // one pixel wider: resampled
      {40, 20, "40x20 (100.0%)"},     // never enlarged
      {5000, 16, ""},                 // the display height truncates to 0
      {15, 200, ""},                  // too narrow to show
  };
  for (const Case& c : cases) {
    ImagePanel panel = NewPanel();
    Give(panel, test::MakeUniform24(c.width, c.height, kRed));
    EXPECT_EQ(panel.readout, c.readout) << c.width << "x" << c.height;
  }
}

TEST_F(ImagePanelTest, SmallPictureIsKeptButNeitherStoredNorShown) {
  ImagePanel panel = NewPanel();
  ASSERT_TRUE(Give(panel, test::MakeUniform24(20, 20, kRed)));
  ASSERT_TRUE(std::filesystem::exists(panel.working_file));

  EXPECT_FALSE(Give(panel, test::MakeUniform24(15, 200, Grey(0))));
  ASSERT_TRUE(panel.picture);
  EXPECT_EQ(panel.picture_width, 15);
  EXPECT_EQ(panel.picture_height, 200);
  EXPECT_EQ(panel.readout, "");
  EXPECT_EQ(PixelAt(*panel.preview, 80, 40), kBackground);

  // After a restart the previous picture is back.
  ImagePanel restarted = NewPanel();
  ASSERT_TRUE(restarted.picture);
  EXPECT_EQ(restarted.picture_width, 20);
  EXPECT_EQ(restarted.readout, "20x20 (100.0%)");
}

TEST_F(ImagePanelTest, NewPictureResetsTheScaleModeAndStoresTwentyFourBits) {
  store_.WriteInt("rate2_type", 2);
  store_.WriteInt("rate2_w", 100);
  ImagePanel panel = NewPanel(PanelIndex::kSeal);
  EXPECT_EQ(panel.scale.mode, kScaleFitWidth);
  const std::vector<Bgr> palette = {{10, 20, 30}, {200, 100, 50}};
  auto eight_bit = test::MakeIndexed(8, 16, 16, palette, [](int x, int) { return x % 2; });
  ASSERT_TRUE(Give(panel, std::move(eight_bit)));
  EXPECT_EQ(panel.scale.mode, kScaleNone);
  EXPECT_EQ(store_.ReadInt("rate2_type", -1), 0);
  EXPECT_EQ(store_.ReadInt("rate2_w", -1), 100);  // the other settings stay
  EXPECT_EQ(panel.working_file.filename(), "$quorel_i.bmp");

  auto stored = ReadBmpFile(panel.working_file);
  ASSERT_TRUE(stored.ok());
  EXPECT_EQ(stored->BitCount(), 24);
  EXPECT_EQ(PixelAt(*stored, 0, 0), palette[0]);
  EXPECT_EQ(PixelAt(*stored, 1, 15), palette[1]);
  // Replaced atomically: no temporary file is left beside it.
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir_.path()), {}), 2);  // wq.ini and it
}

TEST_F(ImagePanelTest, UnconvertiblePictureLeavesThePanelEmpty) {
  ImagePanel panel = NewPanel();
  auto sixteen = test::MakeIndexed(8, 16, 16, {}, [](int, int) { return 0; });
  sixteen.SetField16(DibField::kBitCount, 16);
  EXPECT_FALSE(Give(panel, std::move(sixteen)));
  EXPECT_FALSE(panel.picture);
  EXPECT_FALSE(std::filesystem::exists(panel.working_file));
}

TEST_F(ImagePanelTest, EightBitWorkingFileIsUsedUnchanged) {
  // Replaced while the program was closed.
  auto eight_bit = test::MakeIndexed(8, 16, 16, {kRed}, [](int, int) { return 0; });
  ASSERT_TRUE(WriteBmpFile(eight_bit, folder_.WorkingBmpPath(0)));
  ImagePanel panel = NewPanel();
  ASSERT_TRUE(panel.picture);
  EXPECT_EQ(panel.picture->BitCount(), 8);
  EXPECT_EQ(panel.readout, "16x16 (100.0%)");
  EXPECT_EQ(PixelAt(*panel.preview, 80, 40), kBackground);  // the copy needs 24 bits
}

TEST_F(ImagePanelTest, NormalisingInMemoryWritesNothing) {
  ImagePanel panel = NewPanel();
  panel.scale.mode = kScaleRatio;
  panel.picture = test::MakeIndexed(1, 30, 20, {Grey(0), Grey(255)}, [](int x, int) { return x & 1; });
  EXPECT_TRUE(NormaliseNewPicture(panel));
  EXPECT_EQ(panel.scale.mode, kScaleNone);
  EXPECT_EQ(panel.picture->BitCount(), 24);
  EXPECT_EQ(PixelAt(*panel.picture, 1, 0), Grey(255));
  EXPECT_TRUE(std::filesystem::is_empty(dir_.path()));
}

}  // namespace
}  // namespace quorel
