// Quorel — SPDX-License-Identifier: MIT
#pragma once

#include <QByteArray>
#include <QString>
#include <QTemporaryDir>
#include <memory>
#include <vector>

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
  // Copies a sample picture into a panel's working file (0 signature, 1 seal).
  void PutSample(int panel, const QString& sample_name) const;

 private:
  QTemporaryDir dir_;
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

QString SamplePath(const QString& name);
QByteArray ReadAll(const QString& path);
void WriteAll(const QString& path, const QByteArray& bytes);

// Clicks a control of a window with the left button.
void Click(QWidget* control);

}  // namespace quorel::test
