// Quorel — SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include <tuple>

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

// A 100 × 80 sheet with 30 × 30 pixels of ink: trimmed to 34 × 34.
TEST(CleanupPanelTest, PanelShowsAndSizesTheCleanedPictureAndKeepsTheLevel) {
  const test::TempDir dir;
  const IniStore store(dir / "wq.ini");
  ImagePanel panel;
  std::tie(panel.preview_width, panel.preview_height, panel.preview) = std::tuple(200, 100, CreateDib(200, 100, 24).value());
  const auto sheet = [](int x, int y) { return test::Grey(x >= 30 && x < 60 && y >= 20 && y < 50 ? 0 : 255); };
  panel.picture = test::MakePicture24(100, 80, sheet);
  ASSERT_TRUE(NormaliseNewPicture(panel).ok());
  ASSERT_TRUE(ApplyCleanupLevel(panel, CleanupLevel::kTrim, store).ok());
  EXPECT_EQ(store.ReadString(kQuorelSection, "clean_type"), "1");
  panel.scale = {kScaleFitHeight, 68, 48, 100};
  RefreshPreview(panel);
  UpdateTargetReadout(panel);
  EXPECT_EQ(panel.readout, "34x34 (100.0%)\xE2\x87\x92" "68x68");
  EXPECT_EQ(test::PixelAt(*panel.preview, 100, 50), test::Grey(0));  // the ink fills the middle
  EXPECT_EQ(panel.picture->Width(), 100);  // the working picture stays as imported

  panel.picture = test::MakePicture24(100, 80, sheet);  // a new picture keeps the level
  ASSERT_TRUE(NormaliseNewPicture(panel).ok());
  EXPECT_EQ(OutputSize(panel), (OutputSizeResult{34, 34, false}));

  ASSERT_TRUE(ApplyCleanupLevel(panel, CleanupLevel::kNone, store).ok());
  EXPECT_EQ(OutputPicture(panel), &*panel.picture);
  EXPECT_EQ(OutputSize(panel), (OutputSizeResult{100, 80, false}));
}

}  // namespace
}  // namespace quorel
