// Quorel — SPDX-License-Identifier: MIT
#include "GuiTestSupport.h"

#include <QFile>
#include <QTest>
#include <QWidget>

#include "app/platform/MessageBox.h"

namespace quorel::test {

TestSettings::TestSettings() { dir_.setAutoRemove(true); }

SettingsFolder TestSettings::Folder() const {
  return SettingsFolder(QFile::encodeName(dir_.path()).toStdString());
}

void TestSettings::WriteIni(const QByteArray& text) const {
  WriteAll(FilePath(QStringLiteral("wq.ini")), text);
}

void TestSettings::PutSample(int panel, const QString& sample_name) const {
  const QString target = FilePath(panel == 0 ? QStringLiteral("$quorel_s.bmp")
                                             : QStringLiteral("$quorel_i.bmp"));
  QFile::remove(target);
  QFile::copy(SamplePath(sample_name), target);
}

MessageLog::MessageLog()
    : shared_(std::make_shared<std::vector<MessageCode>>()), codes_(*shared_) {
  MessageBox::SetRecorder([codes = shared_](MessageCode code) { codes->push_back(code); });
}

MessageLog::~MessageLog() { MessageBox::SetRecorder(nullptr); }

QString SamplePath(const QString& name) {
  return QStringLiteral(QUOREL_SOURCE_DIR "/resources/samples/") + name;
}

QByteArray ReadAll(const QString& path) {
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) return QByteArray();
  return file.readAll();
}

void WriteAll(const QString& path, const QByteArray& bytes) {
  QFile file(path);
  if (file.open(QIODevice::WriteOnly | QIODevice::Truncate)) file.write(bytes);
}

void Click(QWidget* control) {
  QVERIFY(control != nullptr);
  QTest::mouseClick(control, Qt::LeftButton, Qt::NoModifier, control->rect().center());
}

}  // namespace quorel::test
