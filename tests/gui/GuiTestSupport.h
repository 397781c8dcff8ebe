// Quorel — SPDX-License-Identifier: MIT
#pragma once

#include <QApplication>
#include <QByteArray>
#include <QString>
#include <QTemporaryDir>
#include <QTimer>
#include <QUrl>
#include <functional>
#include <initializer_list>
#include <memory>
#include <vector>

#include "app/MainWindow.h"
#include "common/Messages.h"
#include "settings/IniStore.h"
#include "settings/SettingsFolder.h"

class QWidget;

namespace quorel::test {

// A settings folder of its own in a temporary folder, removed afterwards.
class TestSettings {
 public:
  TestSettings();

  QString Path() const { return dir_.path(); }
  QString FilePath(const QString& name) const { return dir_.filePath(name); }
  SettingsFolder Folder() const;
  IniStore Store() const { return IniStore(Folder().IniPath()); }

  // Replaces wq.ini by the given text.
  void WriteIni(const QByteArray& text) const;
  // The bytes of wq.ini.
  QByteArray Ini() const;
  // Copies a sample picture into a panel's working file (0 signature, 1 seal);
  // by default the panel's own sample.
  void PutSample(int panel, const QString& sample_name = QString()) const;

 private:
  QTemporaryDir dir_;
};

// A settings folder of its own, prepared with wq.ini text (unless empty) and
// the panels' own samples.
struct PreparedSettings {
  PreparedSettings(const QByteArray& ini, std::initializer_list<int> samples);
  TestSettings settings;
};

// The main window over a prepared settings folder of its own.
class TestWindow : public PreparedSettings, public MainWindow {
 public:
  explicit TestWindow(int flags = 14, const QByteArray& ini = QByteArray(),
                      std::initializer_list<int> samples = {},
                      std::unique_ptr<HintEnvironment> environment = nullptr);
};

// Records the message boxes shown while it lives, instead of showing them.
class MessageLog {
 public:
  MessageLog();
  ~MessageLog();
  const std::vector<MessageCode>& Codes() const { return codes_; }

 private:
  std::shared_ptr<std::vector<MessageCode>> shared_;
  std::vector<MessageCode>& codes_;
};

// Records the last page handed to the browser while it lives, instead of
// opening it.
class BrowserSpy {
 public:
  BrowserSpy();
  ~BrowserSpy();
  QUrl Opened() const { return *opened_; }

 private:
  std::shared_ptr<QUrl> opened_ = std::make_shared<QUrl>();
};

QString SamplePath(const QString& name);
QByteArray ReadAll(const QString& path);
void WriteAll(const QString& path, const QByteArray& bytes);

// Clicks a control of a window with the left button.
void Click(QWidget* control);

// A check box or tool button of the main window is checked; a line edit's text.
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
