// Quorel — SPDX-License-Identifier: MIT
// The whole run from start to end: the single-instance lock, the first-run
// defaults, and the option bits written when the window ends.
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include "GuiTestSupport.h"
#include "app/MainWindow.h"
#include "app/Startup.h"
#include "app/platform/SingleInstance.h"

namespace quorel {

using test::MessageLog;
using test::TestSettings;

class StartupTest : public QObject {
  Q_OBJECT

 private slots:
  void runKeepsOrWritesTheEditorAndTheFlags_data() {
    QTest::addColumn<QByteArray>("ini");
    QTest::addColumn<int>("flags");
    QTest::addColumn<bool>("editor_kept");
    QTest::newRow("first run: defaults") << QByteArray("[Option]\nGraphicEditor=/my editor/paint\n")
                                         << 15 << false;
    QTest::newRow("later run: kept")
        << QByteArray("[Quorel]\nflags=1\n[Option]\nGraphicEditor=/my editor/paint\n") << 1 << true;
  }
  void runKeepsOrWritesTheEditorAndTheFlags() {
    QFETCH(QByteArray, ini);
    QFETCH(bool, editor_kept);
    TestSettings settings;
    QTemporaryDir lock_folder;
    settings.WriteIni(ini);
    const MessageLog messages;
    test::WhenShown<MainWindow>([](MainWindow& window) { window.reject(); });
    QCOMPARE(RunQuorel({lock_folder.path(), settings.Path()}), 0);
    QVERIFY(messages.Codes().empty());
    QTEST(settings.Store().ReadInt("flags", -1), "flags");
    QCOMPARE(settings.Store().ReadString("Option", "GraphicEditor") == "/my editor/paint", editor_kept);
    QVERIFY(!settings.Store().ReadRaw("Quorel", "Rect")->empty());
  }

  void secondInstanceIsRefused() {
    TestSettings settings;
    QTemporaryDir lock_folder;
    settings.WriteIni("[Quorel]\nflags=7\n");
    SingleInstance running(lock_folder.path());
    QCOMPARE(running.Acquire(), SingleInstance::Outcome::kAcquired);
    const QByteArray before = settings.Ini();
    const MessageLog messages;
    QCOMPARE(RunQuorel({lock_folder.path(), settings.Path()}), 0);
    QCOMPARE(messages.Codes(), std::vector<MessageCode>{MessageCode::kAlreadyRunning});
    QCOMPARE(settings.Ini(), before);
  }

  void lockLeftByACrashDoesNotBlock() {
    QTemporaryDir lock_folder;
    SingleInstance first(lock_folder.path());
    // What a crashed copy leaves behind: a lock file naming a process that is gone.
    test::WriteAll(first.LockPath(), "2147483646\nquorel\n" + QSysInfo::machineHostName().toUtf8() + "\n");
    QCOMPARE(first.Acquire(), SingleInstance::Outcome::kAcquired);
  }

  void unusableLockFolderIsASystemFault() {
    TestSettings settings;
    const MessageLog messages;
    QCOMPARE(RunQuorel({QStringLiteral("/nonexistent/quorel/lock"), settings.Path()}), 0);
    QCOMPARE(messages.Codes(), std::vector<MessageCode>{MessageCode::kSystemFault});
  }
};

}  // namespace quorel

QTEST_MAIN(quorel::StartupTest)
#include "StartupTest.moc"
