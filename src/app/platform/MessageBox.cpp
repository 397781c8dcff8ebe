// Quorel — SPDX-License-Identifier: MIT
#include "app/platform/MessageBox.h"

#include <QApplication>
#include <QGridLayout>
#include <QMessageBox>
#include <QSpacerItem>

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

void MessageBox::SetRecorder(Recorder recorder) { ActiveRecorder() = std::move(recorder); }

}  // namespace quorel
