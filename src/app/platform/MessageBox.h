// Quorel — SPDX-License-Identifier: MIT
#pragma once

#include <QString>
#include <functional>

#include "common/Messages.h"

class QWidget;

namespace quorel {

// Messages only the desktop program shows.
inline constexpr const char* kCannotSaveText = "ファイルに保存できません．";
inline constexpr const char* kNoEditorText =
    "画像編集ソフトが設定されていません．\n設定ボタン（スパナ）で設定してください．";
inline constexpr const char* kEditorFailedText =
    "画像編集ソフトを起動できません．\n設定ボタン（スパナ）で設定を確かめてください．";

// The program's message boxes: a beep, then the message with the caption
// "BASE64変換" and a warning icon, wide enough for the whole caption. A test
// replaces the box by a recorder, so nothing waits for a click.
class MessageBox {
 public:
  using Recorder = std::function<void(const QString&)>;

  // Shows the message owned by `owner` (none: no owner) and returns when the
  // user has closed it.
  static void ShowMessage(QWidget* owner, MessageCode code);
  static void ShowText(QWidget* owner, const QString& text);
  // A question with Yes and No (No is the default button); true for Yes.
  // Under a recorder the text is recorded and the answer set beforehand
  // (Yes unless SetNextAnswer said otherwise) is given.
  // With `never_again`, the box also offers `never_again_text` as a check
  // box and stores whether it was ticked there (never under a recorder).
  static bool Ask(QWidget* owner, const QString& text, bool* never_again = nullptr,
                  const QString& never_again_text = {});

  // While a recorder is set, messages go to it instead of the screen.
  static void SetRecorder(Recorder recorder);
  static void SetNextAnswer(bool yes);
};

}  // namespace quorel
