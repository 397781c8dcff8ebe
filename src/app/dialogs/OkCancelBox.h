// Quorel — SPDX-License-Identifier: MIT
#pragma once

#include <QRect>

class QDialog;
class QDialogButtonBox;

namespace quorel {

// The OK / キャンセル pair of a dialog at `geometry`, wired to accept and
// reject; OK is the default. Their texts are set here, so they stay Japanese
// when Qt's translation is missing.
QDialogButtonBox* AddOkCancel(QDialog& dialog, const QRect& geometry);

}  // namespace quorel
