// Quorel — SPDX-License-Identifier: MIT
#include "panel/ScaleSettings.h"

#include <algorithm>
#include <cmath>
#include <string>

#include "settings/IniStore.h"

namespace quorel {
namespace {

// Every rounding of the scale rules: add 0.5 and truncate toward zero. A side
// that rounds to nothing or beyond what a GIF can hold is limited to
// 1…65535, so every scaled picture can be made (the first design failed the
// whole snippet there).
int32_t RoundSize(double v) {
  v += 0.5;
  if (!(v >= 1)) return 1;  // below 1, or not a number
  if (v >= kMaxOutputSide) return kMaxOutputSide;
  return static_cast<int32_t>(v);
}

}  // namespace

ScaleKeys ScaleKeysFor(PanelIndex index) {
  if (index == PanelIndex::kSeal) return {"rate2_type", "rate2_h", "rate2_w", "rate2_v"};
  return {"rate_type", "rate_h", "rate_w", "rate_v"};
}

ScaleSettings LimitScaleSettings(ScaleSettings s) {
  s.mode = std::clamp<int32_t>(s.mode, kScaleNone, kScaleRatio);
  s.target_height = std::clamp(s.target_height, kMinTargetSide, kMaxTargetSide);
  s.target_width = std::clamp(s.target_width, kMinTargetSide, kMaxTargetSide);
  s.ratio = std::clamp(s.ratio, kMinRatio, kMaxRatio);
  return s;
}

ScaleSettings ReadScaleSettings(const IniStore& store, PanelIndex index) {
  const ScaleKeys keys = ScaleKeysFor(index);
  const ScaleSettings defaults;
  ScaleSettings s;
  s.mode = store.ReadInt(keys.mode, defaults.mode);
  s.target_height = store.ReadInt(keys.target_height, defaults.target_height);
  s.target_width = store.ReadInt(keys.target_width, defaults.target_width);
  s.ratio = store.ReadInt(keys.ratio, defaults.ratio);
  return LimitScaleSettings(s);
}

Result<void> WriteScaleSettings(const IniStore& store, PanelIndex index, const ScaleSettings& s) {
  const ScaleKeys keys = ScaleKeysFor(index);
  // Every key is tried, so one failure does not leave the others unwritten.
  Result<void> results[] = {store.WriteInt(keys.mode, s.mode),
                            store.WriteInt(keys.target_height, s.target_height),
                            store.WriteInt(keys.target_width, s.target_width),
                            store.WriteInt(keys.ratio, s.ratio)};
  for (const Result<void>& r : results) QUOREL_TRY(r);
  return {};
}

OutputSizeResult ComputeOutputSize(const ScaleSettings& s, int32_t width, int32_t height) {
  const double w = width;
  const double h = height;
  switch (s.mode) {
    case kScaleNone: return {width, height, false};
    case kScaleFitHeight: return {RoundSize(w / (h / s.target_height)), s.target_height, true};
    case kScaleFitWidth: return {s.target_width, RoundSize(h / (w / s.target_width)), true};
    case kScaleRatio:
      return {RoundSize(s.ratio * w / 100.0), RoundSize(s.ratio * h / 100.0), true};
    default: return {0, 0, false};
  }
}

}  // namespace quorel
