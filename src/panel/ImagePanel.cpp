// Quorel — SPDX-License-Identifier: MIT
#include "panel/ImagePanel.h"

#include <algorithm>
#include <charconv>
#include <cstdio>

#include "codec/bmp/BmpFile.h"
#include "image/ConvertTo24.h"
#include "image/CopyIntoRect.h"
#include "image/DibPrimitives.h"
#include "image/Resample.h"
#include "settings/IniStore.h"
#include "settings/SettingsFolder.h"

namespace quorel {
namespace {

constexpr std::string_view kTargetArrow = "\xE2\x87\x92";  // "⇒"

std::string SizeText(int32_t width, int32_t height) {
  char text[32];
  std::snprintf(text, sizeof text, "%dx%d", width, height);
  return text;
}

// "53.33%)": two decimals whatever the process locale (a GUI toolkit may have
// switched the C locale to one with a decimal comma).
std::string PercentText(double percent) {
  char text[64];
  const auto result = std::to_chars(text, text + sizeof text - 2, percent,
                                    std::chars_format::fixed, 2);
  if (result.ec != std::errc()) return "%)";
  return std::string(text, result.ptr) + "%)";
}

// Empties the readout; the preview keeps only its background.
bool ClearReadout(ImagePanel& panel) {
  panel.readout.clear();
  return false;
}

}  // namespace

void LoadPanelState(ImagePanel& panel, PanelIndex index, const SettingsFolder& folder,
                    const IniStore& store) {
  panel = ImagePanel{};
  panel.index = index;
  panel.working_file = folder.WorkingBmpPath(static_cast<int>(index));
  panel.scale = ReadScaleSettings(store, index);
  // The stored picture is used as it is: neither converted nor size-checked.
  auto picture = ReadBmpFile(panel.working_file);
  if (picture.ok()) {
    panel.picture = std::move(picture).value();
    panel.picture_width = panel.picture->Width();
    panel.picture_height = panel.picture->Height();
  }
}

bool SetUpPanel(ImagePanel& panel, PanelIndex index, int32_t preview_width,
                int32_t preview_height, const SettingsFolder& folder, const IniStore& store) {
  LoadPanelState(panel, index, folder, store);
  panel.preview_width = preview_width;
  panel.preview_height = preview_height;
  panel.preview = CreateDib24(preview_width, preview_height);
  return RefreshPreview(panel);
}

bool NormaliseNewPicture(ImagePanel& panel) {
  // A scale setting belongs to the picture it was chosen for.
  panel.scale.mode = kScaleNone;
  if (!panel.picture) return false;
  panel.picture_width = panel.picture->Width();
  panel.picture_height = panel.picture->Height();
  // Small (and top-down) pictures stay as they came: the output can still use
  // them, but they are neither converted nor stored nor previewed.
  if (panel.picture_width < kMinPictureSide || panel.picture_height < kMinPictureSide) return false;
  panel.picture = ConvertTo24(std::move(*panel.picture));
  return panel.picture.has_value();
}

bool ApplyNewPicture(ImagePanel& panel, const IniStore& store) {
  store.WriteString(kQuorelSection, ScaleKeysFor(panel.index).mode, "0");
  if (!NormaliseNewPicture(panel)) return false;
  // NOTE: replaced atomically, so a crash while storing keeps the previous
  // working picture intact. A failed write is not reported.
  WriteBmpFile(*panel.picture, panel.working_file, FileReplace::kAtomically);
  return true;
}

bool RefreshPreview(ImagePanel& panel) {
  if (panel.preview) FillDib(*panel.preview, {kPreviewBackgroundBgr[0], kPreviewBackgroundBgr[1],
                                              kPreviewBackgroundBgr[2]});
  const int32_t width = panel.picture_width;
  const int32_t height = panel.picture_height;
  const int32_t bw = panel.preview_width;
  const int32_t bh = panel.preview_height;
  if (!panel.picture || width < kMinPictureSide || height < kMinPictureSide) {
    return ClearReadout(panel);
  }
  if (bw < 1 || bh < 1) return ClearReadout(panel);

  std::string text = SizeText(width, height) + " (";
  const double f = std::max(static_cast<double>(width) / bw, static_cast<double>(height) / bh);
  std::optional<PackedDib> display;
  if (f > 1) {
    const auto w = std::min<int32_t>(bw, static_cast<int32_t>(width / f));
    const auto h = std::min<int32_t>(bh, static_cast<int32_t>(height / f));
    display = Resample(*panel.picture, w, h);
    if (!display) return ClearReadout(panel);
    text += PercentText(100 / f);
  } else {
    display = DuplicateDib(*panel.picture);
    if (!display) return ClearReadout(panel);
    text += "100.0%)";
  }
  const int32_t w = display->Width();
  const int32_t h = display->Height();
  if (w < 1 || h < 1) return ClearReadout(panel);
  panel.readout = std::move(text);
  if (panel.preview) {
    const int32_t left = (bw - w) / 2;
    const int32_t top = (bh - h) / 2;
    // Pictures that are not 24-bit (an old working file) leave the background.
    CopyIntoRect(*panel.preview, {left, top, left + w, top + h}, *display);
  }
  return true;
}

void UpdateTargetReadout(ImagePanel& panel) {
  const size_t arrow = panel.readout.find(kTargetArrow);
  if (arrow != std::string::npos) panel.readout.resize(arrow);
  const OutputSizeResult size = OutputSize(panel);
  if (size.scaling_applies) {
    panel.readout += std::string(kTargetArrow) + SizeText(size.width, size.height);
  }
}

OutputSizeResult OutputSize(const ImagePanel& panel) {
  return ComputeOutputSize(panel.scale, panel.picture_width, panel.picture_height);
}

}  // namespace quorel
