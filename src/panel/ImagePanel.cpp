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
#include "panel/CleanupSettings.h"
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

}  // namespace

void LoadPanelState(ImagePanel& panel, PanelIndex index, const SettingsFolder& folder,
                    const IniStore& store) {
  panel = ImagePanel{};
  panel.index = index;
  panel.working_file = folder.WorkingBmpPath(static_cast<int>(index));
  panel.scale = ReadScaleSettings(store, index);
  panel.cleanup = ReadCleanupLevel(store, index);
  if (auto picture = ReadBmpFile(panel.working_file)) {
    panel.picture = std::move(picture).value();
    panel.picture_width = panel.picture->Width();
    panel.picture_height = panel.picture->Height();
  }
  (void)UpdateCleanedPicture(panel);  // a picture that cannot be cleaned is output as it is
}

void SetUpPanel(ImagePanel& panel, PanelIndex index, int32_t preview_width,
                int32_t preview_height, const SettingsFolder& folder, const IniStore& store,
                double preview_ratio) {
  LoadPanelState(panel, index, folder, store);
  panel.preview_width = preview_width;
  panel.preview_height = preview_height;
  panel.preview_ratio = std::clamp(preview_ratio, 1.0, 4.0);
  const auto device = [&](int32_t side) { return static_cast<int32_t>(side * panel.preview_ratio + 0.5); };
  if (auto preview = CreateDib(device(preview_width), device(preview_height), 24)) {
    panel.preview = std::move(*preview);
  }
  RefreshPreview(panel);
}

Result<void> NormaliseNewPicture(ImagePanel& panel) {
  // A scale setting belongs to the picture it was chosen for.
  panel.scale.mode = kScaleNone;
  if (!panel.picture) return Status::kBadInput;
  panel.picture_width = panel.picture->Width();
  panel.picture_height = panel.picture->Height();
  // Small (and top-down) pictures stay as they came: the output can still use
  // them, but they are neither converted nor stored nor previewed.
  if (panel.picture_width < kMinPictureSide || panel.picture_height < kMinPictureSide) return {};
  auto converted = ConvertTo24(std::move(*panel.picture));
  panel.picture.reset();
  panel.picture = QUOREL_TRY(std::move(converted));
  return UpdateCleanedPicture(panel);
}

Result<void> UpdateCleanedPicture(ImagePanel& panel) {
  panel.cleaned.reset();
  if (panel.cleanup == CleanupLevel::kNone || !panel.picture) return {};
  // Small pictures and old working files that are not 24-bit are output as they are.
  if (panel.picture_width < kMinPictureSide || panel.picture_height < kMinPictureSide ||
      panel.picture->BitCount() != 24) {
    return {};
  }
  panel.cleaned = QUOREL_TRY(ApplyCleanup(*panel.picture, panel.cleanup));
  return {};
}

Result<void> ApplyCleanupLevel(ImagePanel& panel, CleanupLevel level, const IniStore& store) {
  panel.cleanup = level;
  const Result<void> stored = WriteCleanupLevel(store, panel.index, level);
  QUOREL_TRY(UpdateCleanedPicture(panel));
  return stored;
}

const PackedDib* OutputPicture(const ImagePanel& panel) {
  if (panel.cleaned) return &*panel.cleaned;
  return panel.picture ? &*panel.picture : nullptr;
}

Result<void> ApplyNewPicture(ImagePanel& panel, const IniStore& store) {
  (void)store.WriteString(kQuorelSection, ScaleKeysFor(panel.index).mode, "0");
  QUOREL_TRY(NormaliseNewPicture(panel));
  if (panel.picture_width < kMinPictureSide || panel.picture_height < kMinPictureSide) return {};
  // NOTE: replaced atomically, so a crash while storing keeps the previous
  // working picture intact. A failed write is not reported.
  (void)WriteBmpFile(*panel.picture, panel.working_file);
  return {};
}

void RefreshPreview(ImagePanel& panel) {
  panel.readout.clear();
  if (panel.preview) FillDib(*panel.preview, kPreviewBackground);
  const int32_t bw = panel.preview_width;
  const int32_t bh = panel.preview_height;
  if (!panel.picture || panel.picture_width < kMinPictureSide ||
      panel.picture_height < kMinPictureSide) {
    return;
  }
  if (bw < 1 || bh < 1) return;
  const PackedDib& picture = *OutputPicture(panel);
  const int32_t width = panel.cleaned ? picture.Width() : panel.picture_width;
  const int32_t height = panel.cleaned ? picture.Height() : panel.picture_height;

  // A picture larger than the preview is shown reduced; a smaller one as it
  // is. Sizes and the readout count the preview's own pixels.
  const double f = std::max(static_cast<double>(width) / bw, static_cast<double>(height) / bh);
  const int32_t shown_width = f > 1 ? std::min<int32_t>(bw, static_cast<int32_t>(width / f)) : width;
  const int32_t shown_height = f > 1 ? std::min<int32_t>(bh, static_cast<int32_t>(height / f)) : height;
  if (shown_width < 1 || shown_height < 1) return;
  // Drawn in device pixels at the same place and size, so a HiDPI screen
  // shows the picture's own detail.
  const double ratio = panel.preview_ratio;
  const auto device = [ratio](int32_t side) { return static_cast<int32_t>(side * ratio + 0.5); };
  const int32_t w = ratio == 1.0 ? shown_width : device(shown_width);
  const int32_t h = ratio == 1.0 ? shown_height : device(shown_height);
  std::optional<PackedDib> resized;
  if (w != picture.Width() || h != picture.Height()) {
    auto resampled = Resample(picture, w, h);
    if (!resampled) return;
    resized = std::move(*resampled);
  }
  const PackedDib& shown = resized ? *resized : picture;
  const int32_t dw = panel.preview ? panel.preview->Width() : bw;
  const int32_t dh = panel.preview ? panel.preview->Height() : bh;
  panel.readout = SizeText(width, height) + " (" + (f > 1 ? PercentText(100 / f) : "100.0%)");
  if (panel.preview) {
    const int32_t left = (dw - w) / 2;
    const int32_t top = (dh - h) / 2;
    // Pictures that are not 24-bit (an old working file) leave the background.
    CopyIntoRect(*panel.preview, {left, top, left + w, top + h}, shown);
  }
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
  if (panel.cleaned) return ComputeOutputSize(panel.scale, panel.cleaned->Width(), panel.cleaned->Height());
  return ComputeOutputSize(panel.scale, panel.picture_width, panel.picture_height);
}

}  // namespace quorel
