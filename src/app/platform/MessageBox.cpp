// Quorel — SPDX-License-Identifier: MIT
#include "app/platform/MessageBox.h"

#include <QApplication>
#include <QMessageBox>
#include <QString>

namespace quorel {
namespace {

MessageBox::Recorder& ActiveRecorder() {
  static MessageBox::Recorder recorder;
  return recorder;
}

QString FromUtf8(std::string_view text) {
  return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

}  // namespace

void MessageBox::ShowMessage(QWidget* owner, MessageCode code) {
  if (ActiveRecorder()) {
    ActiveRecorder()(code);
    return;
  }
  QApplication::beep();
  QMessageBox box(QMessageBox::Warning, FromUtf8(kMessageCaption), FromUtf8(MessageText(code)),
                  QMessageBox::Ok, owner);
  box.exec();
}

void MessageBox::SetRecorder(Recorder recorder) { ActiveRecorder() = std::move(recorder); }

}  // namespace quorel
