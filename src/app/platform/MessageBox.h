// Quorel — SPDX-License-Identifier: MIT
#pragma once

#include <functional>

#include "common/Messages.h"

class QWidget;

namespace quorel {

// The program's message boxes: a beep, then the message of the table with the
// caption "BASE64変換" and a warning icon. A test replaces the box by a
// recorder, so nothing waits for a click.
class MessageBox {
 public:
  using Recorder = std::function<void(MessageCode)>;

  // Shows the message owned by `owner` (none: no owner) and returns when the
  // user has closed it.
  static void ShowMessage(QWidget* owner, MessageCode code);

  // While a recorder is set, messages go to it instead of the screen.
  static void SetRecorder(Recorder recorder);
};

}  // namespace quorel
