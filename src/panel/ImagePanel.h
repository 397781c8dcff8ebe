// Quorel — SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>

#include "common/Result.h"
#include "image/PackedDib.h"
#include "image/cleanup/Cleanup.h"
#include "panel/ScaleSettings.h"

namespace quorel {

class IniStore;
class SettingsFolder;

// Preview background, red 186, green 186, blue 128.
inline constexpr Bgr kPreviewBackground{128, 186, 186};
// Pictures narrower or lower than this are kept but neither converted, stored
// nor previewed.
inline constexpr int32_t kMinPictureSide = 16;

// One of the two picture panels. No window: the front end gives the preview
// size, shows `preview` one to one and `readout` as text, and repaints after
// each call below.
struct ImagePanel {
  PanelIndex index = PanelIndex::kSignature;
  std::optional<PackedDib> picture;     // 24 bits once applied (unless under 16 pixels)
  std::filesystem::path working_file;  // "$quorel_s.bmp" / "$quorel_i.bmp" in the settings folder
  int32_t preview_width = 0;
  int32_t preview_height = 0;
  double preview_ratio = 1.0;           // device pixels per preview pixel (2 on a HiDPI screen)
  std::optional<PackedDib> preview;     // 24 bits, preview size × preview_ratio
  int32_t picture_width = 0;            // from the header when the picture arrived
  int32_t picture_height = 0;
  ScaleSettings scale;
  std::string readout;                  // UTF-8, e.g. "300x120 (53.33%)⇒120x48"
  CleanupLevel cleanup = CleanupLevel::kNone;
  // The picture after the clean-up, derived from `picture` (which stays as
  // imported); empty for none and for pictures under 16 pixels or not
  // 24-bit, which are output as they are.
  std::optional<PackedDib> cleaned;
};

// The stored state alone (no preview): scale settings, clean-up level, the
// cleaned picture, and the working file's
// picture, read with the BMP reader and used unchanged (neither converted nor
// size-checked).
void LoadPanelState(ImagePanel& panel, PanelIndex index, const SettingsFolder& folder,
                    const IniStore& store);

// Set-up at start: the stored state, a preview of the given size, the preview
// and readout drawn.
void SetUpPanel(ImagePanel& panel, PanelIndex index, int32_t preview_width,
                int32_t preview_height, const SettingsFolder& folder, const IniStore& store,
                double preview_ratio = 1.0);

// The normalisation of a new picture put into panel.picture, in memory only:
// the scale mode returns to 0, the size is recorded, and a picture of at
// least 16 × 16 is converted to 24 bits and cleaned at the panel's level
// (which a new picture keeps). The status of a failed conversion
// (the panel then has no picture); kBadInput when there is no picture at all.
Result<void> NormaliseNewPicture(ImagePanel& panel);

// The same, with the scale mode's 0 written to "rate_type"/"rate2_type" and a
// converted picture stored as the working BMP (replaced atomically; a failed
// write is not reported). The caller refreshes the preview after.
Result<void> ApplyNewPicture(ImagePanel& panel, const IniStore& store);

// Derives panel.cleaned from the picture at panel.cleanup. On failure the
// panel has no cleaned picture and the status is returned.
Result<void> UpdateCleanedPicture(ImagePanel& panel);

// A new clean-up level, as the processing dialog applies it on OK: stored
// under the panel's key, the cleaned picture derived again. The caller
// refreshes the preview and the readout after.
Result<void> ApplyCleanupLevel(ImagePanel& panel, CleanupLevel level, const IniStore& store);

// What the output and the preview show: the cleaned picture when there is
// one, else the picture; none without a picture.
const PackedDib* OutputPicture(const ImagePanel& panel);

// Repaints the preview (of the output picture) and rewrites the readout from scratch: "%dx%d (" and
// "%.2f%%)" or "100.0%)"; an empty readout and a background-only preview when
// there is nothing to show.
void RefreshPreview(ImagePanel& panel);

// Cuts the readout at its first "⇒" and appends "⇒%dx%d" when a scale setting
// applies.
void UpdateTargetReadout(ImagePanel& panel);

// The panel's output size by its scale settings and the recorded picture size,
// or the cleaned picture's size when there is one.
OutputSizeResult OutputSize(const ImagePanel& panel);

}  // namespace quorel
