// Quorel — SPDX-License-Identifier: MIT
// The whole run from start to end: the single-instance lock, the first-run
// defaults, and the option bits written when the window ends.
#include <QApplication>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include "GuiTestSupport.h"
#include "app/MainWindow.h"
#include "app/Startup.h"
#include "app/platform/SingleInstance.h"

namespace quorel {

using test::MessageLog;
using test::TestSettings;

namespace {

// Ends the main window as soon as the run has opened it.
void CloseMainWindowSoon() {
  QTimer::singleShot(0, [] {
    for (QWidget* widget : QApplication::topLevelWidgets()) {
      if (auto* window = qobject_cast<MainWindow*>(widget)) window->reject();
    }
  });
}

}  // namespace

class StartupTest : public QObject {
  Q_OBJECT

 private slots:
  void firstRunWritesTheEditorAndTheFlags() {
    TestSettings settings;
    QTemporaryDir lock_folder;
    settings.WriteIni("[Option]\nGraphicEditor=/old/editor\n");
    MessageLog messages;
    CloseMainWindowSoon();
    QCOMPARE(RunQuorel({lock_folder.path(), settings.Path()}), 0);
    QVERIFY(messages.Codes().empty());
    QCOMPARE(settings.Store().ReadInt("flags", -1), 15);
    QVERIFY(settings.Store().ReadString("Option", "GraphicEditor") != "/old/editor");
    QVERIFY(!settings.Store().ReadRaw("Quorel", "Rect")->empty());
  }

  void laterRunKeepsTheEditorAndTheFlags() {
    TestSettings settings;
    QTemporaryDir lock_folder;
    settings.WriteIni("[Quorel]\nflags=1\n[Option]\nGraphicEditor=/my editor/paint\n");
    CloseMainWindowSoon();
    RunQuorel({lock_folder.path(), settings.Path()});
    QCOMPARE(settings.Store().ReadInt("flags", -1), 1);
    QCOMPARE(settings.Store().ReadString("Option", "GraphicEditor"), std::string("/my editor/paint"));
  }

  void secondInstanceIsRefused() {
    TestSettings settings;
    QTemporaryDir lock_folder;
    settings.WriteIni("[Quorel]\nflags=7\n");
    SingleInstance running(lock_folder.path());
    QCOMPARE(running.Acquire(), SingleInstance::Outcome::kAcquired);
    const QByteArray before = test::ReadAll(settings.FilePath(QStringLiteral("wq.ini")));
    MessageLog messages;
    QCOMPARE(RunQuorel({lock_folder.path(), settings.Path()}), 0);
    QCOMPARE(messages.Codes(), std::vector<MessageCode>{MessageCode::kAlreadyRunning});
    QCOMPARE(test::ReadAll(settings.FilePath(QStringLiteral("wq.ini"))), before);
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
    MessageLog messages;
    QCOMPARE(RunQuorel({QStringLiteral("/nonexistent/quorel/lock"), settings.Path()}), 0);
    QCOMPARE(messages.Codes(), std::vector<MessageCode>{MessageCode::kSystemFault});
  }
};

}  // namespace quorel

QTEST_MAIN(quorel::StartupTest)
#include "StartupTest.moc"
