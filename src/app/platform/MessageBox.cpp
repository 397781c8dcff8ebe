// Quorel — SPDX-License-Identifier: MIT
#include "app/platform/MessageBox.h"

#include <QApplication>
#include <QCheckBox>
#include <QGridLayout>
#include <QMessageBox>
#include <QPushButton>
#include <QSpacerItem>
#include <utility>

namespace quorel {
namespace {

MessageBox::Recorder& ActiveRecorder() {
  static MessageBox::Recorder recorder;
  return recorder;
}

QString FromUtf8(std::string_view text) {
  return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

bool& NextAnswer() {
  static bool yes = true;
  return yes;
}

}  // namespace

void MessageBox::ShowMessage(QWidget* owner, MessageCode code) {
  ShowText(owner, FromUtf8(MessageText(code)));
}

void MessageBox::ShowText(QWidget* owner, const QString& text) {
  if (ActiveRecorder()) {
    ActiveRecorder()(text);
    return;
  }
  QApplication::beep();
  const QString caption = FromUtf8(kMessageCaption);
  QMessageBox box(QMessageBox::Warning, caption, text, QMessageBox::Ok, owner);
  // QMessageBox sizes itself to its text alone; the title bar also holds the
  // window icon and three buttons of about a line's height each. A spacer is
  // the one width the box's own sizing keeps.
  const QFontMetrics metrics(box.font());
  const int caption_width = metrics.horizontalAdvance(caption) + 8 * metrics.height();
  if (auto* grid = qobject_cast<QGridLayout*>(box.layout())) {
    grid->addItem(new QSpacerItem(caption_width, 0, QSizePolicy::Fixed, QSizePolicy::Minimum),
                  grid->rowCount(), 0, 1, grid->columnCount());  // the layout owns it
  }
  box.exec();
}

bool MessageBox::Ask(QWidget* owner, const QString& text, bool* never_again, const QString& never_again_text) {
  if (never_again) *never_again = false;
  if (ActiveRecorder()) {
    ActiveRecorder()(text);
    return std::exchange(NextAnswer(), true);
  }
  QMessageBox box(QMessageBox::Question, FromUtf8(kMessageCaption), text,
                  QMessageBox::Yes | QMessageBox::No, owner);
  box.setDefaultButton(QMessageBox::No);
  box.button(QMessageBox::Yes)->setText(QStringLiteral("はい"));
  box.button(QMessageBox::No)->setText(QStringLiteral("いいえ"));
  if (never_again) box.setCheckBox(new QCheckBox(never_again_text, &box));  // the box owns it
  const bool yes = box.exec() == QMessageBox::Yes;
  if (never_again) *never_again = box.checkBox()->isChecked();
  return yes;
}

void MessageBox::SetRecorder(Recorder recorder) { ActiveRecorder() = std::move(recorder); }

void MessageBox::SetNextAnswer(bool yes) { NextAnswer() = yes; }

}  // namespace quorel
