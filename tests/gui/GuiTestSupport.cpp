// Quorel — SPDX-License-Identifier: MIT
#include "GuiTestSupport.h"

#include <QCheckBox>
#include <QStyleOptionButton>

namespace quorel::test {

PreparedSettings::PreparedSettings(const QByteArray& ini, std::initializer_list<int> samples) {
  if (!ini.isEmpty()) WriteAll(settings.FilePath("wq.ini"), ini);
  for (int panel : samples) {
    QFile::copy(SamplePath(panel == 0 ? "signature.bmp" : "seal.bmp"),
                settings.FilePath(panel == 0 ? "$quorel_s.bmp" : "$quorel_i.bmp"));
  }
}

static std::unique_ptr<HintEnvironment> MakeEnvironment(bool fake, FakeHintEnvironment*& env) {
  if (!fake) return nullptr;
  auto made = std::make_unique<FakeHintEnvironment>();
  env = made.get();
  return made;
}

TestWindow::TestWindow(int flags, const QByteArray& ini, std::initializer_list<int> samples,
                       bool fake_environment)
    : PreparedSettings(ini, samples),
      MainWindow(settings.Folder(), flags, nullptr, MakeEnvironment(fake_environment, env)) {
  if (fake_environment) Hints().Timer().stop();
}

QString Text(MessageCode code) {
  const std::string_view text = MessageText(code);
  return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

QString SamplePath(const char* name) {
  return QStringLiteral(QUOREL_SOURCE_DIR "/resources/samples/") + QLatin1String(name);
}

QByteArray ReadAll(const QString& path) {
  QFile file(path);
  return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void WriteAll(const QString& path, const QByteArray& bytes) {
  QFile file(path);
  if (file.open(QIODevice::WriteOnly | QIODevice::Truncate)) file.write(bytes);
}

void Click(QWidget* control) {
  QVERIFY(control != nullptr);
  QPoint at = control->rect().center();
  if (auto* box = qobject_cast<QCheckBox*>(control)) {
    QStyleOptionButton option;
    option.initFrom(box);
    at = box->style()->subElementRect(QStyle::SE_CheckBoxIndicator, &option, box).center();
  }
  QTest::mouseClick(control, Qt::LeftButton, Qt::NoModifier, at);
}

}  // namespace quorel::test
