// Quorel — SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include "panel/CleanupSettings.h"
#include "panel/ImagePanel.h"
#include "settings/IniStore.h"
#include "support/TempDir.h"
#include "support/TestPictures.h"

namespace quorel {
namespace {

TEST(CleanupPanelTest, StoredLevelsReadAndWrittenPerPanel) {
  const test::TempDir dir;
  const IniStore store(dir / "wq.ini");
  for (const auto& [text, level] : {std::pair{"1", CleanupLevel::kTrim}, {"2", CleanupLevel::kPhoto},
                                     {"0", CleanupLevel::kNone}, {"3", CleanupLevel::kNone},
                                     {"-1", CleanupLevel::kNone}, {"photo", CleanupLevel::kNone}}) {
    ASSERT_TRUE(store.WriteString(kQuorelSection, "clean2_type", text).ok());
    EXPECT_EQ(ReadCleanupLevel(store, PanelIndex::kSeal), level) << text;
  }
  ASSERT_TRUE(WriteCleanupLevel(store, PanelIndex::kSignature, CleanupLevel::kPhoto).ok());
  EXPECT_EQ(store.ReadString(kQuorelSection, "clean_type"), "2");
  EXPECT_EQ(ReadCleanupLevel(store, PanelIndex::kSeal), CleanupLevel::kNone);  // keys kept apart
}

// The signature panel keeps every hue (a red pen stays) but takes out what
// is no writing; a seal inked in red keeps its hue only; a shared photo's
// stored ink decides over the colour.
TEST(CleanupPanelTest, EachPanelCleansForItsOwnInk) {
  constexpr Colour kRed = 0x1020D0, kBlack = 0x000000;  // 0xBBGGRR
  EXPECT_EQ(WantedInk(PanelIndex::kSignature, kBlack), InkWanted::kWriting);
  EXPECT_EQ(WantedInk(PanelIndex::kSignature, kRed), InkWanted::kWriting);
  EXPECT_EQ(WantedInk(PanelIndex::kSeal, kRed), InkWanted::kSeal);
  EXPECT_EQ(WantedInk(PanelIndex::kSeal, kBlack), InkWanted::kAny);
  EXPECT_EQ(WantedInk(PanelIndex::kSignature, kBlack, InkWanted::kPen), InkWanted::kPen);
  EXPECT_EQ(WantedInk(PanelIndex::kSeal, kBlack, InkWanted::kSeal), InkWanted::kSeal);
}

// A 100 × 80 sheet with 30 × 30 pixels of ink: trimmed to 34 × 34. Every
// change to the picture, the level or the scale shows at once.
TEST(CleanupPanelTest, PanelShowsAndSizesTheCleanedPictureAndKeepsTheLevel) {
  ImagePanel panel;
  panel.ShowIn(200, 100);
  const auto sheet = [](int x, int y) { return test::Grey(x >= 30 && x < 60 && y >= 20 && y < 50 ? 0 : 255); };
  ASSERT_TRUE(panel.SetPicture(test::MakePicture24(100, 80, sheet)).ok());
  EXPECT_EQ(panel.Readout(), "100x80 (100.0%)");
  ASSERT_TRUE(panel.SetCleanup(CleanupLevel::kTrim).ok());
  panel.SetScale({kScaleFitHeight, 68, 48, 100});
  EXPECT_EQ(panel.Readout(), "34x34 (100.0%)\xE2\x87\x92" "68x68");
  EXPECT_EQ(test::PixelAt(*panel.preview(), 100, 50), test::Grey(0));  // the ink fills the middle
  EXPECT_EQ(panel.picture()->Width(), 100);  // the working picture stays as imported

  ASSERT_TRUE(panel.SetPicture(test::MakePicture24(100, 80, sheet)).ok());  // a new picture keeps the level
  EXPECT_EQ(panel.OutputSize(), (OutputSizeResult{34, 34, false}));
  EXPECT_EQ(panel.Readout(), "34x34 (100.0%)");

  ASSERT_TRUE(panel.SetCleanup(CleanupLevel::kNone).ok());
  EXPECT_EQ(panel.OutputPicture(), panel.picture());
  EXPECT_EQ(panel.OutputSize(), (OutputSizeResult{100, 80, false}));
  EXPECT_EQ(panel.Readout(), "100x80 (100.0%)");
  // Bare paper: the readout says no ink, and the sheet's place is shown transparent (checkered).
  ASSERT_TRUE(panel.SetCleanup(CleanupLevel::kPhoto).ok() && panel.SetPicture(test::MakeUniform24(100, 80, test::Grey(230))).ok());
  EXPECT_EQ(panel.Readout(), "\xE3\x82\xA4\xE3\x83\xB3\xE3\x82\xAF\xE3\x81\xAA\xE3\x81\x97");  // "インクなし"
  EXPECT_EQ(std::tuple(test::PixelAt(*panel.preview(), 49, 10), test::PixelAt(*panel.preview(), 50, 10), test::PixelAt(*panel.preview(), 58, 10)),
            std::tuple(kPreviewBackground, test::Grey(255), test::Grey(204)));
}

}  // namespace
}  // namespace quorel
