// Quorel — SPDX-License-Identifier: MIT
#pragma once

#include <optional>
#include <string_view>

#include "common/Colour.h"
#include "image/PackedDib.h"

class QImage;

namespace quorel {

// The program's uses of the clipboard. Every "take" empties the clipboard
// when it took something and leaves it untouched otherwise.
class Clipboard {
 public:
  // A picture on the clipboard as a packed DIB: the raw DIB of an image/bmp
  // item (a BMP file less its 14-byte file header), else the image Qt offers
  // converted to a 32-bit DIB. None when the clipboard holds no picture.
  static std::optional<PackedDib> TakePicture();

  // A colour sample: text of exactly six hexadecimal digits, red, green, blue.
  static std::optional<Colour> TakeColourText();

  // Replaces the whole content by one plain-text item. False when the
  // clipboard could not be taken (the old content then stays).
  static bool PutText(std::string_view text);

  // Test hook: while busy, PutText fails as if another program held the
  // clipboard.
  static void SetBusyForTest(bool busy);
};

// A QImage as a bottom-up 32-bit packed DIB (blue, green, red, unused).
std::optional<PackedDib> DibFromImage(const QImage& image);

}  // namespace quorel
