// Quorel — SPDX-License-Identifier: MIT
#pragma once

#include <QString>
#include <cstdint>
#include <optional>
#include <span>
#include <string_view>

#include "common/Colour.h"
#include "image/PackedDib.h"

class QImage;
class QMimeData;

namespace quorel {

// The names the open dialog lists and a dropped file may carry.
inline constexpr const char* kPictureSuffixes[] = {"jpg", "jpeg", "jpe", "jfif", "gif",
                                                   "bmp", "png",  "heic", "heif", "webp"};

// The program's uses of the clipboard. Every "take" empties the clipboard
// when it took something and leaves it untouched otherwise.
class Clipboard {
 public:
  // What the clipboard holds now; null when nothing.
  static const QMimeData* Content();
  static void Clear();

  // A colour sample: text of exactly six hexadecimal digits, red, green, blue.
  static std::optional<Colour> TakeColourText();

  // Replaces the whole content by one plain-text item. False when the
  // clipboard could not be taken (the old content then stays).
  static bool PutText(std::string_view text);

  // Replaces the whole content by a picture (PNG bytes, offered as
  // image/png) with its HTML beside it (text/html), for editors that take
  // either. False as for PutText.
  static bool PutPicture(std::span<const uint8_t> png, std::string_view html);

  // Test hook: while busy, PutText fails as if another program held the
  // clipboard.
  static void SetBusyForTest(bool busy);
};

// The first local picture file of a file list (a file manager's copy or
// drag); none when the data names no such file.
std::optional<QString> PictureFileOf(const QMimeData& data);

// Picture data as a packed DIB: the raw DIB of an image/bmp item (a BMP file
// less its 14-byte file header) unless its header gives an alpha mask, else
// the image Qt reads from the data, composited over white when it has an
// alpha channel. None when the data holds no picture.
std::optional<PackedDib> PictureOf(const QMimeData& data);

// True when a drop of the data would be taken: a picture file or picture data.
bool OffersPicture(const QMimeData& data);

// A QImage as a bottom-up 32-bit packed DIB (blue, green, red, unused);
// transparency is composited over white, as the file readers do.
std::optional<PackedDib> DibFromImage(const QImage& image);

}  // namespace quorel
