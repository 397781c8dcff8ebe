// Quorel — SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>

#include "image/PackedDib.h"
#include "panel/ScaleSettings.h"

namespace quorel {

class IniStore;
class SettingsFolder;

// Preview background, red 186, green 186, blue 128.
inline constexpr uint8_t kPreviewBackgroundBgr[3] = {128, 186, 186};
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
  std::optional<PackedDib> preview;     // 24 bits, rows right after the header
  int32_t picture_width = 0;            // from the header when the picture arrived
  int32_t picture_height = 0;
  ScaleSettings scale;
  std::string readout;                  // UTF-8, e.g. "300x120 (53.33%)⇒120x48"
};

// Set-up at start: preview of the given size (background colour), the scale
// settings read and limited, the working file read with the BMP reader and
// used unchanged. Returns RefreshPreview's result.
bool SetUpPanel(ImagePanel& panel, PanelIndex index, int32_t preview_width,
                int32_t preview_height, const SettingsFolder& folder, const IniStore& store);

// The stored state alone (no preview): scale settings and the working file's
// picture, for front ends that show nothing (the command-line tool).
void LoadPanelState(ImagePanel& panel, PanelIndex index, const SettingsFolder& folder,
                    const IniStore& store);

// After a new picture has been put into panel.picture: the scale mode returns
// to 0 (in memory and in "rate_type"/"rate2_type"), the size is recorded, and a
// picture of at least 16 × 16 is converted to 24 bits and stored as the working
// BMP (replaced atomically). True when the picture reached the store step,
// whether or not the write worked. The caller refreshes the preview after.
bool ApplyNewPicture(ImagePanel& panel, const IniStore& store);

// The same normalisation in memory only (scale mode 0, size recorded, 24
// bits); nothing is written. False when the picture was too small to convert,
// or when conversion failed (the panel then has no picture).
bool NormaliseNewPicture(ImagePanel& panel);

// Repaints the preview and rewrites the readout from scratch: "%dx%d (" and
// "%.2f%%)" or "100.0%)". True when the readout shows the picture's size; an
// empty readout and a background-only preview otherwise.
bool RefreshPreview(ImagePanel& panel);

// Cuts the readout at its first "⇒" and appends "⇒%dx%d" when a scale setting
// applies.
void UpdateTargetReadout(ImagePanel& panel);

// The panel's output size by its scale settings and recorded picture size.
OutputSizeResult OutputSize(const ImagePanel& panel);

}  // namespace quorel
