// Quorel — SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>

#include "common/Result.h"
#include "image/PackedDib.h"
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
  std::optional<PackedDib> preview;     // 24 bits
  int32_t picture_width = 0;            // from the header when the picture arrived
  int32_t picture_height = 0;
  ScaleSettings scale;
  std::string readout;                  // UTF-8, e.g. "300x120 (53.33%)⇒120x48"
};

// The stored state alone (no preview): scale settings and the working file's
// picture, read with the BMP reader and used unchanged (neither converted nor
// size-checked).
void LoadPanelState(ImagePanel& panel, PanelIndex index, const SettingsFolder& folder,
                    const IniStore& store);

// Set-up at start: the stored state, a preview of the given size, the preview
// and readout drawn.
void SetUpPanel(ImagePanel& panel, PanelIndex index, int32_t preview_width,
                int32_t preview_height, const SettingsFolder& folder, const IniStore& store);

// The normalisation of a new picture put into panel.picture, in memory only:
// the scale mode returns to 0, the size is recorded, and a picture of at
// least 16 × 16 is converted to 24 bits. The status of a failed conversion
// (the panel then has no picture); kBadInput when there is no picture at all.
Result<void> NormaliseNewPicture(ImagePanel& panel);

// The same, with the scale mode's 0 written to "rate_type"/"rate2_type" and a
// converted picture stored as the working BMP (replaced atomically; a failed
// write is not reported). The caller refreshes the preview after.
Result<void> ApplyNewPicture(ImagePanel& panel, const IniStore& store);

// Repaints the preview and rewrites the readout from scratch: "%dx%d (" and
// "%.2f%%)" or "100.0%)"; an empty readout and a background-only preview when
// there is nothing to show.
void RefreshPreview(ImagePanel& panel);

// Cuts the readout at its first "⇒" and appends "⇒%dx%d" when a scale setting
// applies.
void UpdateTargetReadout(ImagePanel& panel);

// The panel's output size by its scale settings and recorded picture size.
OutputSizeResult OutputSize(const ImagePanel& panel);

}  // namespace quorel
