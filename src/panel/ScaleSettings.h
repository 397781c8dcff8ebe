// Quorel — SPDX-License-Identifier: MIT
#pragma once

#include <array>
#include <cstdint>
#include <string_view>

#include "common/Result.h"

namespace quorel {

class IniStore;

enum class PanelIndex : int { kSignature = 0, kSeal = 1 };
// Both panels in output order: signature first.
inline constexpr std::array kPanelIndexes{PanelIndex::kSignature, PanelIndex::kSeal};

// Scale modes: 0 none, 1 fit height, 2 fit width, 3 ratio.
enum ScaleMode : int32_t { kScaleNone = 0, kScaleFitHeight = 1, kScaleFitWidth = 2, kScaleRatio = 3 };

inline constexpr int32_t kMinTargetSide = 16;
inline constexpr int32_t kMaxTargetSide = 640;
inline constexpr int32_t kMinRatio = 10;
inline constexpr int32_t kMaxRatio = 300;
// The largest side a scaled picture is made with: what a GIF can hold.
inline constexpr int32_t kMaxOutputSide = 65535;

// One panel's scale settings; the defaults are those of an empty wq.ini.
struct ScaleSettings {
  int32_t mode = kScaleNone;
  int32_t target_height = 48;  // pixels, mode 1
  int32_t target_width = 48;   // pixels, mode 2
  int32_t ratio = 100;         // percent, mode 3
  bool operator==(const ScaleSettings&) const = default;
};

// The INI keys of a panel (section "Quorel"); the seal's carry a 2.
struct ScaleKeys {
  std::string_view mode;
  std::string_view target_height;
  std::string_view target_width;
  std::string_view ratio;
};
ScaleKeys ScaleKeysFor(PanelIndex index);

// Each value brought into its range: mode 0–3, sides 16–640, ratio 10–300.
ScaleSettings LimitScaleSettings(ScaleSettings settings);

// Read and limited, as at panel set-up.
ScaleSettings ReadScaleSettings(const IniStore& store, PanelIndex index);
// All four keys, as the scale dialog stores them on OK.
Result<void> WriteScaleSettings(const IniStore& store, PanelIndex index, const ScaleSettings& settings);

struct OutputSizeResult {
  int32_t width = 0;
  int32_t height = 0;
  bool scaling_applies = false;
  bool operator==(const OutputSizeResult&) const = default;
};

// The output size of a picture of width × height under the settings, in
// double precision, each rounding adding 0.5 and truncating, a computed side
// limited to 1…kMaxOutputSide. Mode 0 keeps the size without scaling; an
// unknown mode gives 0 × 0 without scaling.
OutputSizeResult ComputeOutputSize(const ScaleSettings& settings, int32_t width, int32_t height);

}  // namespace quorel
