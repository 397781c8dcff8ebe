// Quorel — SPDX-License-Identifier: MIT
#include "panel/ScaleSettings.h"

#include <gtest/gtest.h>

#include "settings/IniStore.h"
#include "support/TempDir.h"

namespace quorel {
namespace {

TEST(ScaleSettingsTest, OutputSizeByMode) {
  struct Case {
    ScaleSettings settings;
    int32_t width, height;
    OutputSizeResult expected;
  };
  const Case cases[] = {
      {{0, 48, 48, 100}, 300, 120, {300, 120, false}},  // no scaling keeps the size
      {{1, 48, 48, 100}, 300, 120, {120, 48, true}},
      {{2, 48, 100, 100}, 300, 120, {100, 40, true}},
      {{3, 48, 48, 10}, 16, 16, {2, 2, true}},          // 1.6 rounds up
      {{1, 16, 48, 100}, 33, 32, {17, 16, true}},       // 16.5 rounds up
      {{7, 48, 48, 100}, 300, 120, {0, 0, false}},      // unknown mode
      {{1, 48, 48, 100}, 300, 0, {65535, 48, true}},    // sides stay within what a GIF holds
      {{2, 48, 16, 100}, 4000, 16, {16, 1, true}},      // a side that rounds to 0 is 1
  };
  for (const Case& c : cases) {
    EXPECT_EQ(ComputeOutputSize(c.settings, c.width, c.height), c.expected) << c.settings.mode;
  }
}

TEST(ScaleSettingsTest, StoredValuesAreLimitedPerPanel) {
  test::TempDir dir;
  const IniStore store(dir / "wq.ini");
  for (auto [key, value] : {std::pair{"rate_type", 7}, {"rate_h", 5}, {"rate_w", 641}, {"rate_v", 1000},
                            {"rate2_type", -1}, {"rate2_v", 9}}) {
    ASSERT_TRUE(store.WriteInt(key, value));
  }
  EXPECT_EQ(ReadScaleSettings(store, PanelIndex::kSignature), (ScaleSettings{3, 16, 640, 300}));
  EXPECT_EQ(ReadScaleSettings(store, PanelIndex::kSeal), (ScaleSettings{0, 48, 48, 10}));
  ASSERT_TRUE(WriteScaleSettings(store, PanelIndex::kSeal, {2, 20, 30, 40}));
  EXPECT_EQ(ReadScaleSettings(store, PanelIndex::kSeal), (ScaleSettings{2, 20, 30, 40}));
  EXPECT_EQ(store.ReadInt("rate2_w", 0), 30);
}

}  // namespace
}  // namespace quorel
