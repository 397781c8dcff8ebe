// Quorel — SPDX-License-Identifier: MIT
#include "panel/ImagePanel.h"

#include <algorithm>
#include <cstdio>
#include <iomanip>
#include <locale>
#include <sstream>

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
  std::ostringstream text;
  text.imbue(std::locale::classic());
  text << std::fixed << std::setprecision(2) << percent << "%)";
  return text.str();
}

}  // namespace

ImagePanel::ImagePanel(PanelIndex index, std::filesystem::path working_file)
    : index_(index), working_file_(std::move(working_file)) {}

ImagePanel ImagePanel::Load(PanelIndex index, const SettingsFolder& folder, const IniStore& store) {
  ImagePanel panel(index, folder.WorkingBmpPath(static_cast<int>(index)));
  panel.scale_ = ReadScaleSettings(store, index);
  panel.cleanup_ = ReadCleanupLevel(store, index);
  if (auto picture = ReadBmpFile(panel.working_file_)) panel.picture_ = std::move(picture->picture);
  (void)panel.Clean();  // a picture that cannot be cleaned is output as it is
  return panel;
}

void ImagePanel::ShowIn(int32_t width, int32_t height, double device_ratio) {
  area_width_ = width;
  area_height_ = height;
  device_ratio_ = std::clamp(device_ratio, 1.0, 4.0);
  const auto device = [this](int32_t side) { return static_cast<int32_t>(side * device_ratio_ + 0.5); };
  preview_.reset();
  if (auto preview = CreateDib(device(width), device(height), 24)) preview_ = std::move(*preview);
  Redraw();
}

Result<void> ImagePanel::SetPicture(PackedDib picture) {
  // A scale setting belongs to the picture it was chosen for.
  scale_.mode = kScaleNone;
  picture_.reset();
  cleaned_.reset();
  Result<void> status;
  // Small (and top-down) pictures stay as they came: the output can still use
  // them, but they are neither converted nor stored nor previewed.
  if (IsSmallPicture(picture)) {
    picture_ = std::move(picture);
  } else if (auto converted = ConvertTo24(std::move(picture))) {
    picture_ = std::move(converted).value();
    status = Clean();
  } else {
    status = converted.status();
  }
  Redraw();
  return status;
}

Result<void> ImagePanel::TakeNewPicture(PackedDib picture, const IniStore& store) {
  (void)store.WriteString(kQuorelSection, ScaleKeysFor(index_).mode, "0");
  const Result<void> applied = SetPicture(std::move(picture));
  if (!picture_ || IsSmallPicture(*picture_)) return applied;
  // NOTE: replaced atomically, so a crash while storing keeps the previous
  // working picture intact.
  QUOREL_TRY(WriteBmpFile(*picture_, working_file_));
  return applied;
}

void ImagePanel::SetScale(const ScaleSettings& scale) { scale_ = scale; }

Result<void> ImagePanel::SetCleanup(CleanupLevel level) {
  cleanup_ = level;
  const Result<void> cleaned = Clean();
  Redraw();
  return cleaned;
}

Result<void> ImagePanel::Clean() {
  cleaned_.reset();
  // Small pictures and old working files that are not 24-bit are output as they are.
  if (cleanup_ == CleanupLevel::kNone || !picture_ || IsSmallPicture(*picture_) || picture_->BitCount() != 24) {
    return {};
  }
  cleaned_ = QUOREL_TRY(ApplyCleanup(*picture_, cleanup_));
  return {};
}

const PackedDib* ImagePanel::OutputPicture() const {
  if (cleaned_) return &*cleaned_;
  return picture();
}

OutputSizeResult ImagePanel::OutputSize() const {
  const PackedDib* picture = OutputPicture();
  if (!picture) return ComputeOutputSize(scale_, 0, 0);
  return ComputeOutputSize(scale_, picture->Width(), picture->Height());
}

std::string ImagePanel::TargetText() const {
  const OutputSizeResult size = OutputSize();
  if (!size.scaling_applies) return {};
  return std::string(kTargetArrow) + SizeText(size.width, size.height);
}

void ImagePanel::Redraw() {
  readout_.clear();
  if (preview_) FillDib(*preview_, kPreviewBackground);
  const int32_t bw = area_width_;
  const int32_t bh = area_height_;
  if (!picture_ || IsSmallPicture(*picture_) || bw < 1 || bh < 1) return;
  const PackedDib& picture = *OutputPicture();
  const int32_t width = picture.Width();
  const int32_t height = picture.Height();

  // A picture larger than the preview is shown reduced; a smaller one as it
  // is. Sizes and the readout count the preview's own pixels.
  const double f = std::max(static_cast<double>(width) / bw, static_cast<double>(height) / bh);
  const int32_t shown_width = f > 1 ? std::min<int32_t>(bw, static_cast<int32_t>(width / f)) : width;
  const int32_t shown_height = f > 1 ? std::min<int32_t>(bh, static_cast<int32_t>(height / f)) : height;
  if (shown_width < 1 || shown_height < 1) return;
  // Drawn in device pixels at the same place and size, so a HiDPI screen
  // shows the picture's own detail.
  const double ratio = device_ratio_;
  const auto device = [ratio](int32_t side) { return static_cast<int32_t>(side * ratio + 0.5); };
  const int32_t w = ratio == 1.0 ? shown_width : device(shown_width);
  const int32_t h = ratio == 1.0 ? shown_height : device(shown_height);
  std::optional<PackedDib> resized;
  if (w != width || h != height) {
    auto resampled = Resample(picture, w, h);
    if (!resampled) return;
    resized = std::move(*resampled);
  }
  readout_ = SizeText(width, height) + " (" + (f > 1 ? PercentText(100 / f) : "100.0%)");
  if (preview_) {
    const int32_t left = (preview_->Width() - w) / 2;
    const int32_t top = (preview_->Height() - h) / 2;
    // Pictures that are not 24-bit (an old working file) leave the background.
    CopyIntoRect(*preview_, {left, top, left + w, top + h}, resized ? *resized : picture);
  }
}

}  // namespace quorel
