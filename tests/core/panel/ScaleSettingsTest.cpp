// Quorel — SPDX-License-Identifier: MIT
#include "panel/ScaleSettings.h"

#include <gtest/gtest.h>

#include "settings/IniStore.h"
#include "support/TempDir.h"

namespace quorel {
namespace {

TEST(ScaleSettingsTest, OutputSizeByMode) {
  struct Case {
    const char* what;
    ScaleSettings settings;
    int32_t width, height;
    OutputSizeResult expected;
  };
  const Case cases[] = {
      {"no scaling keeps the size", {0, 48, 48, 100}, 300, 120, {300, 120, false}},
      {"fit height", {1, 48, 48, 100}, 300, 120, {120, 48, true}},
      {"fit width", {2, 48, 100, 100}, 300, 120, {100, 40, true}},
      {"ratio 10 of 16 rounds 1.6 up", {3, 48, 48, 10}, 16, 16, {2, 2, true}},
      {"ratio 100 still scales", {3, 48, 48, 100}, 300, 120, {300, 120, true}},
      {"fit height rounds half up", {1, 16, 48, 100}, 33, 32, {17, 16, true}},  // 16.5
      {"unknown mode", {7, 48, 48, 100}, 300, 120, {0, 0, false}},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(ComputeOutputSize(c.settings, c.width, c.height), c.expected) << c.what;
  }
}

TEST(ScaleSettingsTest, NoPictureSizeGivesADefinedResult) {
  // Division by a zero side must not reach an undefined conversion.
  const auto wide = ComputeOutputSize({1, 48, 48, 100}, 300, 0);
  EXPECT_TRUE(wide.scaling_applies);
  EXPECT_EQ(wide.height, 48);
  const auto none = ComputeOutputSize({2, 48, 48, 100}, 0, 0);
  EXPECT_EQ(none.height, 0);
}

TEST(ScaleSettingsTest, StoredValuesAreLimitedPerPanel) {
  test::TempDir dir;
  const IniStore store(dir / "wq.ini");
  store.WriteInt("rate_type", 7);
  store.WriteInt("rate_h", 5);
  store.WriteInt("rate_w", 641);
  store.WriteInt("rate_v", 1000);
  store.WriteInt("rate2_type", -1);
  store.WriteInt("rate2_v", 9);
  EXPECT_EQ(ReadScaleSettings(store, PanelIndex::kSignature), (ScaleSettings{3, 16, 640, 300}));
  EXPECT_EQ(ReadScaleSettings(store, PanelIndex::kSeal), (ScaleSettings{0, 48, 48, 10}));

  ASSERT_TRUE(WriteScaleSettings(store, PanelIndex::kSeal, {2, 20, 30, 40}));
  EXPECT_EQ(ReadScaleSettings(store, PanelIndex::kSeal), (ScaleSettings{2, 20, 30, 40}));
  EXPECT_EQ(store.ReadInt("rate2_w", 0), 30);
}

}  // namespace
}  // namespace quorel
