// Quorel — SPDX-License-Identifier: MIT
#pragma once

// What most GUI tests use, included once here.
#include <QApplication>
#include <QFile>
#include <QStringList>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <functional>
#include <memory>

#include "app/ControlIds.h"
#include "app/MainWindow.h"
#include "app/hint/HintController.h"
#include "app/platform/Browser.h"
#include "app/platform/FileDialogs.h"
#include "app/platform/MessageBox.h"

namespace quorel::test {

// A settings folder of its own in a temporary folder, removed afterwards.
struct TestSettings {
  QString Path() const { return dir.path(); }
  QString FilePath(const QString& name) const { return dir.filePath(name); }
  SettingsFolder Folder() const { return SettingsFolder(QFile::encodeName(dir.path()).toStdString()); }
  IniStore Store() const { return IniStore(Folder().IniPath()); }
  QTemporaryDir dir;
};

// A clock, cursor and mouse that the test sets by hand.
struct FakeHintEnvironment : HintEnvironment {
  uint32_t NowMs() const override { return now_ms; }
  QPoint CursorPos() const override { return cursor; }
  bool MouseButtonDown() const override { return button_down; }
  QWidget* WidgetAt(QPoint) const override { return widget_at; }
  uint32_t now_ms = 0;
  QPoint cursor{-1000, -1000};
  bool button_down = false;
  QWidget* widget_at = nullptr;
};

struct PreparedSettings {
  PreparedSettings(const QByteArray& ini, std::initializer_list<int> samples);
  TestSettings settings;
  FakeHintEnvironment* env = nullptr;  // the window's, when it has a fake one
};

// The main window over its own settings folder, prepared with wq.ini text and
// the samples of the panels listed (0 signature, 1 seal). With a fake
// environment its hint timer is stopped, so a test ticks by hand.
struct TestWindow : PreparedSettings, MainWindow {
  explicit TestWindow(int flags = 14, const QByteArray& ini = {},
                      std::initializer_list<int> samples = {}, bool fake_environment = false);
};

// Records the message boxes' texts while it lives, instead of showing them.
struct MessageLog {
  MessageLog() { MessageBox::SetRecorder([t = texts](const QString& text) { t->append(text); }); }
  ~MessageLog() { MessageBox::SetRecorder(nullptr); }
  std::shared_ptr<QStringList> texts = std::make_shared<QStringList>();
};
QString Text(MessageCode code);

// Records the last page handed to the browser while it lives.
struct BrowserSpy {
  BrowserSpy() { Browser::SetOpener([o = opened](const QUrl& url) { *o = url; }); }
  ~BrowserSpy() { Browser::SetOpener(nullptr); }
  std::shared_ptr<QUrl> opened = std::make_shared<QUrl>();
};

QString SamplePath(const char* name);
QByteArray ReadAll(const QString& path);
void WriteAll(const QString& path, const QByteArray& bytes);

// Clicks a control with the left button; a check box on its indicator, which
// is inside the hit area whatever fonts draw the label.
void Click(QWidget* control);

// The visible top-level window of a type, if any.
template <class Window>
Window* ShownWindow() {
  for (QWidget* widget : QApplication::topLevelWidgets()) {
    if (auto* window = qobject_cast<Window*>(widget); window && window->isVisible()) return window;
  }
  return nullptr;
}

// Runs `drive` on the window of that type once the event loop that shows it
// has started (a modal dialog opened by the next click, say).
template <class Window>
void WhenShown(std::function<void(Window&)> drive) {
  QTimer::singleShot(0, [drive = std::move(drive)] {
    if (Window* window = ShownWindow<Window>()) drive(*window);
  });
}

}  // namespace quorel::test
