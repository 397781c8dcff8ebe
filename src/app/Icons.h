// Quorel — SPDX-License-Identifier: MIT
#pragma once

#include <QIcon>

namespace quorel {

// The program's icons, named for what they show; the values are their
// resource numbers (the file names under resources/icons).
enum class Icon {
  kWindow = 101,  // a round red seal
  kBrowse = 103,
  kCopy = 105,
  kSave = 106,
  kScaleNone = 108,
  kScaleSet = 109,
  kAlignRight = 111,
  kAlignCentre = 112,
  kAlignLeft = 113,
  kEdit = 114,
  kHelp = 115,
  kSettings = 116,
  kExport = 117,   // a folder with an arrow out of it
  kMail = 118,     // an envelope
  kPicture = 119,  // a framed picture
  kView = 222,
};

// The icon with its 2× and 3× drawings, for high-density screens.
QIcon IconOf(Icon icon);

}  // namespace quorel
