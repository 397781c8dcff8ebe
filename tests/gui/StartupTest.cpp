// Quorel — SPDX-License-Identifier: MIT
// The whole run from start to end: the single-instance lock, the first-run
// defaults, and the option bits written when the window ends.
#include <QDialogButtonBox>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>

#include "GuiTestSupport.h"
#include "app/Startup.h"
#include "app/platform/MessageBox.h"
#include "app/platform/SingleInstance.h"

namespace quorel {

using namespace test;

class StartupTest : public QObject {
  Q_OBJECT

 private slots:
  // The first run writes the default editor and sets bit 0; a later run
  // keeps both.
  void runKeepsOrWritesTheEditorAndTheFlags() {
    for (const auto& [ini, flags] : {std::pair{QByteArray(), 15}, {QByteArray("[Quorel]\nflags=1\n"), 1}}) {
      TestSettings settings;
      QTemporaryDir lock_folder;
      settings.WriteIni(ini + "[Option]\nGraphicEditor=/my editor/paint\n");
      const MessageLog messages;
      WhenShown<MainWindow>([](MainWindow& window) { window.reject(); });
      QCOMPARE(RunQuorel({lock_folder.path(), settings.Path()}), 0);
      QVERIFY(messages.texts->isEmpty());
      QCOMPARE(settings.Store().ReadInt("flags", -1), flags);
      QCOMPARE(settings.Store().ReadString("Option", "GraphicEditor") == "/my editor/paint", flags == 1);
      QVERIFY(!settings.Store().ReadRaw("Quorel", "Rect")->empty());
    }
  }

  void secondInstanceIsRefused() {
    TestSettings settings;
    QTemporaryDir lock_folder;
    settings.WriteIni("[Quorel]\nflags=7\n");
    SingleInstance running(lock_folder.path());
    QCOMPARE(running.Acquire(), SingleInstance::Outcome::kAcquired);
    const MessageLog messages;
    QCOMPARE(RunQuorel({lock_folder.path(), settings.Path()}), 0);
    QCOMPARE(*messages.texts, QStringList{Text(MessageCode::kAlreadyRunning)});
    QCOMPARE(ReadAll(settings.FilePath("wq.ini")), QByteArray("[Quorel]\nflags=7\n"));
  }

  void lockLeftByACrashDoesNotBlock() {
    QTemporaryDir lock_folder;
    SingleInstance first(lock_folder.path());
    // What a crashed copy leaves behind: a lock file naming a process that is gone.
    WriteAll(first.LockPath(), "2147483646\nquorel\n" + QSysInfo::machineHostName().toUtf8() + "\n");
    QCOMPARE(first.Acquire(), SingleInstance::Outcome::kAcquired);
  }

  void unusableLockFolderIsASystemFault() {
    TestSettings settings;
    const MessageLog messages;
    QCOMPARE(RunQuorel({QStringLiteral("/nonexistent/quorel/lock"), settings.Path()}), 0);
    QCOMPARE(*messages.texts, QStringList{Text(MessageCode::kSystemFault)});
  }

  void qtDialogsSpeakJapanese() {
    QVERIFY(LoadQtTranslation(*qApp));
    const QDialogButtonBox box(QDialogButtonBox::Cancel);
    QCOMPARE(box.button(QDialogButtonBox::Cancel)->text(), QStringLiteral("キャンセル"));
  }

  // The shortest message, whatever fonts draw it: the title bar holds the
  // window icon, the caption and three buttons of about a line's height.
  void messageBoxShowsTheWholeCaption() {
    int width = 0;
    int needed = 1;
    WhenShown<QMessageBox>([&](QMessageBox& box) {
      const QFontMetrics metrics(box.font());
      needed = metrics.horizontalAdvance(box.windowTitle()) + 6 * metrics.height();
      width = box.width();
      box.accept();
    });
    MessageBox::ShowMessage(nullptr, MessageCode::kAlreadyRunning);
    QVERIFY2(width >= needed, qPrintable(QStringLiteral("%1 < %2").arg(width).arg(needed)));
  }
};

}  // namespace quorel

QTEST_MAIN(quorel::StartupTest)
#include "StartupTest.moc"
