// Quorel — SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>

#include "common/Colour.h"
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
inline bool IsSmallPicture(const PackedDib& picture) {
  return picture.Width() < kMinPictureSide || picture.Height() < kMinPictureSide;
}
// A new picture as a panel keeps it: in 24 bits, unless small (as it came).
Result<PackedDib> AsPanelPicture(PackedDib picture);

// One of the two picture panels. No window: the front end gives the preview
// area, shows `preview()` one to one and `readout()` as text. Everything that
// follows from the picture, the clean-up level, the scale and the preview
// area (the cleaned picture, the preview, the readout) is derived again by
// the call that changes them, so it can never be stale.
class ImagePanel {
 public:
  explicit ImagePanel(PanelIndex index = PanelIndex::kSignature, std::filesystem::path working_file = {});

  // The stored state: scale settings, clean-up level, ink colour (or a shared
  // photo's ink, ReadPhotoInk), and the working file's picture as stored
  // (neither converted nor size-checked), cleaned at its level.
  static ImagePanel Load(PanelIndex index, const SettingsFolder& folder, const IniStore& store);

  // The area the preview fills, in logical pixels, and the device pixels per
  // logical pixel (1 to 4); the preview and the readout are drawn anew.
  void ShowIn(int32_t width, int32_t height, double device_ratio = 1.0);

  // A panel with this one's settings (clean-up level, ink, preview area) and
  // a new picture: the scale mode is 0, and a picture of at least 16 × 16 is
  // converted to 24 bits, cleaned and drawn. This panel is only read, so a
  // worker thread may build the new one while this one is shown. The
  // conversion's status when the picture cannot become 24 bits.
  Result<ImagePanel> WithNewPicture(PackedDib picture) const;
  // The same, cleaned at another level for another ink; kKeep keeps the
  // scale setting (the picture holds the same mark as before, newly taken).
  enum class ScaleOnNew { kReset, kKeep };
  Result<ImagePanel> WithNewPicture(PackedDib picture, CleanupLevel level, InkWanted wanted, ScaleOnNew scale) const;
  // The same for a picture another panel holds too (one photo for both
  // panels): shared, not copied, when it needs no conversion.
  Result<ImagePanel> WithNewPicture(std::shared_ptr<const PackedDib> picture, CleanupLevel level, InkWanted wanted,
                                    ScaleOnNew scale) const;
  // The same in place. A picture that cannot become 24 bits leaves the panel
  // as it was with the conversion's status; else the clean-up's status when
  // it fails (the picture is then output as it is).
  Result<void> SetPicture(PackedDib picture);
  // The same, with the scale mode's 0 written to "rate_type"/"rate2_type" and
  // the picture stored by WritePicture.
  Result<void> TakeNewPicture(PackedDib picture, const IniStore& store);
  // Stores a converted picture as the working BMP (replaced atomically);
  // nothing without one or for a small one. Only reads the panel.
  Result<void> WritePicture() const;
  // Scale settings as the processing dialog chose them (the readout's "⇒" part follows).
  void SetScale(const ScaleSettings& scale);
  // A new clean-up level; the cleaned picture, preview and readout follow. The
  // clean-up's status when it fails (the picture is then output as it is).
  Result<void> SetCleanup(CleanupLevel level);
  // The panel's ink colour, which says what ink the photo clean-up keeps
  // (WantedInk); the picture is cleaned again when that changes.
  Result<void> SetInk(Colour ink);

  // The picture cleaned at a level for a wanted ink, made apart from the
  // panel: a worker thread may make it while the panel is shown, and the
  // panel then takes it (what SetCleanup and SetInk do in one).
  struct Cleaning {
    CleanupLevel level = CleanupLevel::kNone;
    InkWanted wanted = InkWanted::kAny;
    std::optional<PackedDib> cleaned;  // none: the picture is output as it is
    bool ink_found = true;
    Status status = Status::kOk;  // why there is no cleaned picture
  };
  Cleaning CleanedAt(CleanupLevel level, InkWanted wanted) const;
  // A cleaning of the panel's current picture; the preview and readout
  // follow. Its status.
  Result<void> TakeCleaning(Cleaning cleaning);

  PanelIndex index() const { return index_; }
  const std::filesystem::path& working_file() const { return working_file_; }
  // The picture as applied (24 bits unless under 16 pixels); null without one.
  const PackedDib* picture() const { return picture_.get(); }
  // The same picture, for another panel to share.
  std::shared_ptr<const PackedDib> shared_picture() const { return picture_; }
  // What the output and the preview show: the cleaned picture when there is
  // one, else the picture; null without a picture.
  const PackedDib* OutputPicture() const;
  const ScaleSettings& scale() const { return scale_; }
  CleanupLevel cleanup() const { return cleanup_; }
  InkWanted wanted_ink() const { return wanted_; }
  // False when the clean-up found no ink: the output is then a transparent
  // picture, and the preview shows the picture's place as transparent.
  bool ink_found() const { return ink_found_; }
  // The output size by the scale settings and the output picture's size.
  OutputSizeResult OutputSize() const;
  // UTF-8, "%dx%d (%.2f%%)" or "…(100.0%)", and "⇒%dx%d" when a scale setting
  // applies; empty parts when there is nothing to show.
  std::string Readout() const { return readout_ + TargetText(); }
  // 24 bits, the preview area × the device ratio; null before ShowIn.
  const PackedDib* preview() const { return preview_ ? &*preview_ : nullptr; }
  double device_ratio() const { return device_ratio_; }

 private:
  // A new panel with this one's settings, holding `picture` as it is.
  Result<ImagePanel> Successor(std::shared_ptr<const PackedDib> picture, CleanupLevel level, InkWanted wanted,
                               ScaleOnNew scale) const;
  void Adopt(Cleaning cleaning);  // without drawing
  void Redraw();         // preview_ and readout_ from the output picture
  void DrawNoInk(int32_t left, int32_t top, int32_t width, int32_t height);
  std::string TargetText() const;

  PanelIndex index_;
  std::filesystem::path working_file_;  // "$quorel_s.bmp" / "$quorel_i.bmp"
  // Never changed once held, so a shared photo's two panels hold one picture.
  std::shared_ptr<const PackedDib> picture_;
  CleanupLevel cleanup_ = CleanupLevel::kNone;
  InkWanted wanted_ = InkWanted::kAny;
  // The picture after the clean-up; empty for none and for pictures under 16
  // pixels or not 24-bit, which are output as they are.
  std::optional<PackedDib> cleaned_;
  bool ink_found_ = true;
  Status cleanup_status_ = Status::kOk;  // why the picture is output uncleaned
  ScaleSettings scale_;
  int32_t area_width_ = 0;
  int32_t area_height_ = 0;
  double device_ratio_ = 1.0;
  std::optional<PackedDib> preview_;
  std::string readout_;  // the size part; the target part is derived when asked
};

}  // namespace quorel
