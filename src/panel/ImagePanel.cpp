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
#include "image/DibLayout.h"
#include "image/DibPrimitives.h"
#include "image/Resample.h"
#include "panel/CleanupSettings.h"
#include "settings/IniStore.h"
#include "settings/InkColours.h"
#include "settings/SettingsFolder.h"

namespace quorel {
namespace {

constexpr std::string_view kTargetArrow = "\xE2\x87\x92";  // "⇒"
constexpr std::string_view kNoInkReadout = "\xE3\x82\xA4\xE3\x83\xB3\xE3\x82\xAF\xE3\x81\xAA\xE3\x81\x97";  // "インクなし"
// A transparent picture is shown as the usual checkerboard, in squares of
// this many logical pixels.
constexpr int32_t kCheckerSquare = 8;
constexpr Bgr kCheckerLight{255, 255, 255};
constexpr Bgr kCheckerDark{204, 204, 204};

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
  panel.wanted_ =
      WantedInk(index, ReadInkColours(store)[static_cast<size_t>(index)], ReadPhotoInk(store, index));
  if (auto picture = ReadBmpFile(panel.working_file_)) {
    panel.picture_ = std::make_shared<const PackedDib>(std::move(picture->picture));
  }
  panel.Adopt(panel.CleanedAt(panel.cleanup_, panel.wanted_));
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

Result<PackedDib> AsPanelPicture(PackedDib picture) {
  if (IsSmallPicture(picture)) return picture;
  return ConvertTo24(std::move(picture));
}

Result<ImagePanel> ImagePanel::WithNewPicture(PackedDib picture) const {
  return WithNewPicture(std::move(picture), cleanup_, wanted_, ScaleOnNew::kReset);
}

Result<ImagePanel> ImagePanel::WithNewPicture(PackedDib picture, CleanupLevel level, InkWanted wanted,
                                              ScaleOnNew scale) const {
  // Small (and top-down) pictures stay as they came: the output can still use
  // them, but they are neither converted nor stored nor previewed.
  return Successor(std::make_shared<const PackedDib>(QUOREL_TRY(AsPanelPicture(std::move(picture)))), level, wanted,
                   scale);
}

Result<ImagePanel> ImagePanel::WithNewPicture(std::shared_ptr<const PackedDib> picture, CleanupLevel level,
                                              InkWanted wanted, ScaleOnNew scale) const {
  if (!picture) return Status::kBadInput;
  if (IsSmallPicture(*picture) || ConvertsAsItself(*picture)) {
    return Successor(std::move(picture), level, wanted, scale);
  }
  return WithNewPicture(QUOREL_TRY(PackedDib::FromBytes(picture->Bytes())), level, wanted, scale);
}

Result<ImagePanel> ImagePanel::Successor(std::shared_ptr<const PackedDib> picture, CleanupLevel level,
                                         InkWanted wanted, ScaleOnNew scale) const {
  ImagePanel next(index_, working_file_);
  next.cleanup_ = level;
  next.wanted_ = wanted;
  // A scale setting belongs to the picture it was chosen for.
  next.scale_ = scale_;
  if (scale == ScaleOnNew::kReset) next.scale_.mode = kScaleNone;
  next.area_width_ = area_width_;
  next.area_height_ = area_height_;
  next.device_ratio_ = device_ratio_;
  if (preview_) next.preview_ = QUOREL_TRY(CreateDib(preview_->Width(), preview_->Height(), 24));
  next.picture_ = std::move(picture);
  if (!IsSmallPicture(*next.picture_)) next.Adopt(next.CleanedAt(level, wanted));
  next.Redraw();
  return next;
}

Result<void> ImagePanel::SetPicture(PackedDib picture) {
  *this = QUOREL_TRY(WithNewPicture(std::move(picture)));
  return cleanup_status_;
}

Result<void> ImagePanel::TakeNewPicture(PackedDib picture, const IniStore& store) {
  QUOREL_TRY(SetPicture(std::move(picture)));
  (void)store.WriteString(kQuorelSection, ScaleKeysFor(index_).mode, "0");
  return WritePicture();
}

Result<void> ImagePanel::WritePicture() const {
  if (!picture_ || IsSmallPicture(*picture_)) return {};
  // NOTE: replaced atomically, so a crash while storing keeps the previous
  // working picture intact.
  return WriteBmpFile(*picture_, working_file_);
}

void ImagePanel::SetScale(const ScaleSettings& scale) { scale_ = scale; }

Result<void> ImagePanel::SetCleanup(CleanupLevel level) { return TakeCleaning(CleanedAt(level, wanted_)); }

Result<void> ImagePanel::SetInk(Colour ink) {
  const InkWanted wanted = WantedInk(index_, ink);
  if (wanted == wanted_) return cleanup_status_;
  return TakeCleaning(CleanedAt(cleanup_, wanted));
}

ImagePanel::Cleaning ImagePanel::CleanedAt(CleanupLevel level, InkWanted wanted) const {
  Cleaning cleaning;
  cleaning.level = level;
  cleaning.wanted = wanted;
  // Small pictures and old working files that are not 24-bit are output as they are.
  if (level == CleanupLevel::kNone || !picture_ || IsSmallPicture(*picture_) || picture_->BitCount() != 24) {
    return cleaning;
  }
  Result<Cleaned> cleaned = CleanPicture(*picture_, level, wanted);
  if (!cleaned) {
    cleaning.status = cleaned.status();
  } else {
    cleaning.cleaned = std::move(cleaned->picture);
    cleaning.ink_found = cleaned->ink_found;
  }
  return cleaning;
}

Result<void> ImagePanel::TakeCleaning(Cleaning cleaning) {
  Adopt(std::move(cleaning));
  Redraw();
  return cleanup_status_;
}

void ImagePanel::Adopt(Cleaning cleaning) {
  cleanup_ = cleaning.level;
  wanted_ = cleaning.wanted;
  cleaned_ = std::move(cleaning.cleaned);
  ink_found_ = cleaning.ink_found;
  cleanup_status_ = cleaning.status;
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
  // Without ink the output is transparent: the picture's own place shows it.
  const PackedDib& picture = ink_found_ ? *OutputPicture() : *picture_;
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
  const int32_t left = preview_ ? (preview_->Width() - w) / 2 : 0;
  const int32_t top = preview_ ? (preview_->Height() - h) / 2 : 0;
  if (!ink_found_) {
    readout_ = kNoInkReadout;
    DrawNoInk(left, top, w, h);
    return;
  }
  std::optional<PackedDib> resized;
  if (w != width || h != height) {
    auto resampled = Resample(picture, w, h);
    if (!resampled) return;
    resized = std::move(*resampled);
  }
  readout_ = SizeText(width, height) + " (" + (f > 1 ? PercentText(100 / f) : "100.0%)");
  // Pictures that are not 24-bit (an old working file) leave the background.
  if (preview_) CopyIntoRect(*preview_, {left, top, left + w, top + h}, resized ? *resized : picture);
}

void ImagePanel::DrawNoInk(int32_t left, int32_t top, int32_t width, int32_t height) {
  if (!preview_) return;
  const auto rows = DibRows::Of(*preview_);
  if (!rows) return;
  const int32_t square = static_cast<int32_t>(kCheckerSquare * device_ratio_ + 0.5);  // the same size at any scale
  for (int32_t y = std::max(top, 0); y < std::min(top + height, rows->height()); ++y) {
    const auto row = rows->TopDownRow(y);
    for (int32_t x = std::max(left, 0); x < std::min(left + width, rows->width()); ++x) {
      const bool light = ((x - left) / square + (y - top) / square) % 2 == 0;
      const Bgr colour = light ? kCheckerLight : kCheckerDark;
      row[3 * x] = colour.blue;
      row[3 * x + 1] = colour.green;
      row[3 * x + 2] = colour.red;
    }
  }
}

}  // namespace quorel
