// Quorel — SPDX-License-Identifier: MIT
#include "GuiTestSupport.h"

#include <QCheckBox>
#include <QFile>
#include <QLineEdit>
#include <QTest>
#include <QToolButton>
#include <QWidget>

#include "app/MainWindow.h"
#include "app/platform/Browser.h"
#include "app/platform/MessageBox.h"

namespace quorel::test {

TestSettings::TestSettings() { dir_.setAutoRemove(true); }

SettingsFolder TestSettings::Folder() const {
  return SettingsFolder(QFile::encodeName(dir_.path()).toStdString());
}

void TestSettings::WriteIni(const QByteArray& text) const {
  WriteAll(FilePath(QStringLiteral("wq.ini")), text);
}

QByteArray TestSettings::Ini() const { return ReadAll(FilePath(QStringLiteral("wq.ini"))); }

void TestSettings::PutSample(int panel, const QString& sample_name) const {
  const QString target = FilePath(panel == 0 ? QStringLiteral("$quorel_s.bmp")
                                             : QStringLiteral("$quorel_i.bmp"));
  const QString sample = !sample_name.isEmpty() ? sample_name
                         : panel == 0           ? QStringLiteral("signature.bmp")
                                                : QStringLiteral("seal.bmp");
  QFile::remove(target);
  QFile::copy(SamplePath(sample), target);
}

PreparedSettings::PreparedSettings(const QByteArray& ini, std::initializer_list<int> samples) {
  if (!ini.isEmpty()) settings.WriteIni(ini);
  for (int panel : samples) settings.PutSample(panel);
}

TestWindow::TestWindow(int flags, const QByteArray& ini, std::initializer_list<int> samples,
                       std::unique_ptr<HintEnvironment> environment)
    : PreparedSettings(ini, samples),
      MainWindow(settings.Folder(), flags, nullptr, std::move(environment)) {}

MessageLog::MessageLog()
    : shared_(std::make_shared<std::vector<MessageCode>>()), codes_(*shared_) {
  MessageBox::SetRecorder([codes = shared_](MessageCode code) { codes->push_back(code); });
}

MessageLog::~MessageLog() { MessageBox::SetRecorder(nullptr); }

BrowserSpy::BrowserSpy() {
  Browser::SetOpener([opened = opened_](const QUrl& url) { *opened = url; });
}

BrowserSpy::~BrowserSpy() { Browser::SetOpener(nullptr); }

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

bool IsChecked(const MainWindow& window, int id) {
  if (auto* box = qobject_cast<QCheckBox*>(window.Control(id))) return box->isChecked();
  if (auto* button = qobject_cast<QToolButton*>(window.Control(id))) return button->isChecked();
  return false;
}

QString ControlText(const MainWindow& window, int id) {
  auto* edit = qobject_cast<QLineEdit*>(window.Control(id));
  return edit ? edit->text() : QStringLiteral("<not a line edit>");
}

}  // namespace quorel::test
