// Quorel — SPDX-License-Identifier: MIT
#include "GuiTestSupport.h"

#include <QCheckBox>
#include <QFile>
#include <QLineEdit>
#include <QLocalSocket>
#include <QStyleOptionButton>
#include <QTest>
#include <QToolButton>

#include "app/hint/HintController.h"
#include "app/platform/Browser.h"
#include "app/platform/MessageBox.h"
#include "app/platform/SiblingLink.h"

namespace quorel::test {

SettingsFolder TestSettings::Folder() const {
  return SettingsFolder(QFile::encodeName(dir_.path()).toStdString());
}

void TestSettings::WriteIni(const QByteArray& text) const {
  WriteAll(FilePath(QStringLiteral("wq.ini")), text);
}

QByteArray TestSettings::Ini() const { return ReadAll(FilePath(QStringLiteral("wq.ini"))); }

void TestSettings::PutSample(int panel) const {
  QFile::copy(SamplePath(panel == 0 ? QStringLiteral("signature.bmp") : QStringLiteral("seal.bmp")),
              FilePath(panel == 0 ? QStringLiteral("$quorel_s.bmp") : QStringLiteral("$quorel_i.bmp")));
}

PreparedSettings::PreparedSettings(const QByteArray& ini, std::initializer_list<int> samples) {
  if (!ini.isEmpty()) settings.WriteIni(ini);
  for (int panel : samples) settings.PutSample(panel);
}

namespace {

std::unique_ptr<HintEnvironment> MakeEnvironment(bool fake, FakeHintEnvironment*& env) {
  if (!fake) return nullptr;
  auto made = std::make_unique<FakeHintEnvironment>();
  env = made.get();
  return made;
}

}  // namespace

TestWindow::TestWindow(int flags, const QByteArray& ini, std::initializer_list<int> samples,
                       bool fake_environment)
    : PreparedSettings(ini, samples),
      MainWindow(settings.Folder(), flags, nullptr, MakeEnvironment(fake_environment, env)) {
  if (fake_environment) Hints().Timer().stop();
}

MessageLog::MessageLog() {
  MessageBox::SetRecorder([texts = texts_](const QString& text) { texts->append(text); });
}
MessageLog::~MessageLog() { MessageBox::SetRecorder(nullptr); }

QString Text(MessageCode code) {
  const std::string_view text = MessageText(code);
  return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

BrowserSpy::BrowserSpy() {
  Browser::SetOpener([opened = opened_](const QUrl& url) { *opened = url; });
}
BrowserSpy::~BrowserSpy() { Browser::SetOpener(nullptr); }

TestSibling::TestSibling() {
  const QString name = QString::fromLatin1(kSiblingServerName);
  QLocalServer::removeServer(name);
  server_.listen(name);
  QObject::connect(&server_, &QLocalServer::newConnection, &server_, [this] {
    while (QLocalSocket* socket = server_.nextPendingConnection()) {
      auto read_lines = [lines = lines_, socket] {
        while (socket->canReadLine()) lines->push_back(socket->readLine().chopped(1));
      };
      QObject::connect(socket, &QLocalSocket::readyRead, socket, read_lines);
      read_lines();
    }
  });
}

bool TestSibling::Notify(const QString& program_server) {
  QLocalSocket socket;
  socket.connectToServer(program_server);
  if (!socket.waitForConnected(5000)) return false;
  socket.write("1098\n");
  return socket.waitForBytesWritten(5000);
}

QString SamplePath(const QString& name) {
  return QStringLiteral(QUOREL_SOURCE_DIR "/resources/samples/") + name;
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
