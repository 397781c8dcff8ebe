// Quorel — SPDX-License-Identifier: MIT
#pragma once

class QDialog;
class QWidget;

namespace quorel {

// Shows a dialog without making it modal and waits for it in a local event
// loop, so every other window stays usable meanwhile. The dialog is rejected
// when `main_window` (if given) is hidden or destroyed first. Returns the
// dialog's result.
int RunModeless(QDialog& dialog, QWidget* main_window);

}  // namespace quorel
