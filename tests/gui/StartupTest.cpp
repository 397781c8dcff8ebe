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
    WhenShown<MainWindow>([](MainWindow& window) { window.reject(); });
    QCOMPARE(RunQuorel({lock_folder.path(), settings.Path()}), 0);
    QVERIFY(messages.Texts().isEmpty());
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
    QCOMPARE(messages.Texts(), QStringList{Text(MessageCode::kAlreadyRunning)});
    QCOMPARE(settings.Ini(), before);
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
    QCOMPARE(messages.Texts(), QStringList{Text(MessageCode::kSystemFault)});
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
