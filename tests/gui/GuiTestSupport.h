// Quorel — SPDX-License-Identifier: MIT
#pragma once

#include <QApplication>
#include <QLocalServer>
#include <QStringList>
#include <QTemporaryDir>
#include <QTimer>
#include <QUrl>
#include <functional>
#include <memory>
#include <vector>

#include "app/MainWindow.h"
#include "app/hint/HintEnvironment.h"
#include "common/Messages.h"
#include "settings/IniStore.h"
#include "settings/SettingsFolder.h"

namespace quorel::test {

// A settings folder of its own in a temporary folder, removed afterwards.
class TestSettings {
 public:
  QString Path() const { return dir_.path(); }
  QString FilePath(const QString& name) const { return dir_.filePath(name); }
  SettingsFolder Folder() const;
  IniStore Store() const { return IniStore(Folder().IniPath()); }
  void WriteIni(const QByteArray& text) const;
  QByteArray Ini() const;
  // Copies the panel's sample (0 signature, 1 seal) into its working file.
  void PutSample(int panel) const;

 private:
  QTemporaryDir dir_;
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

// The main window over a settings folder of its own prepared with wq.ini
// text (unless empty) and the panels' samples. With `fake_environment` its
// hints see `env` and their timer is stopped, so a test ticks by hand.
class TestWindow : public PreparedSettings, public MainWindow {
 public:
  explicit TestWindow(int flags = 14, const QByteArray& ini = {},
                      std::initializer_list<int> samples = {}, bool fake_environment = false);
};

// Records the message boxes' texts while it lives, instead of showing them.
class MessageLog {
 public:
  MessageLog();
  ~MessageLog();
  QStringList Texts() const { return *texts_; }

 private:
  std::shared_ptr<QStringList> texts_ = std::make_shared<QStringList>();
};
QString Text(MessageCode code);

// Records the last page handed to the browser while it lives.
class BrowserSpy {
 public:
  BrowserSpy();
  ~BrowserSpy();
  QUrl Opened() const { return *opened_; }

 private:
  std::shared_ptr<QUrl> opened_ = std::make_shared<QUrl>();
};

// A stand-in for the sibling program: it listens under the sibling's name and
// records every line a program writes to it.
class TestSibling {
 public:
  TestSibling();
  const std::vector<QByteArray>& Lines() const { return *lines_; }
  // Writes "1098\n" to the program's server; true when it was delivered.
  static bool Notify(const QString& program_server);

 private:
  QLocalServer server_;
  std::shared_ptr<std::vector<QByteArray>> lines_ = std::make_shared<std::vector<QByteArray>>();
};

QString SamplePath(const QString& name);
QByteArray ReadAll(const QString& path);
void WriteAll(const QString& path, const QByteArray& bytes);

// Clicks a control with the left button; a check box on its indicator, which
// is inside the hit area whatever fonts draw the label.
void Click(QWidget* control);
bool IsChecked(const MainWindow& window, int id);
QString ControlText(const MainWindow& window, int id);

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
