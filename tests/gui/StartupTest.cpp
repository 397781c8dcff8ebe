// Quorel — SPDX-License-Identifier: MIT
// The whole run (single instance, first-run defaults, the option bits written
// at the end), Qt's translation, and the services every window uses:
// message boxes, the file dialogs' starting names and filters.
#include <QDialogButtonBox>
#include <QMessageBox>
#include <QPushButton>

#include "GuiTestSupport.h"
#include "app/Startup.h"
#include "app/platform/SingleInstance.h"

namespace quorel::test {

class StartupTest : public QObject {
  Q_OBJECT

 private slots:
  // The first run writes the default editor and sets bit 0; later runs keep
  // both. A second copy is refused; a lock a crashed copy left (naming a
  // process that is gone) does not block; a folder where no lock can be made
  // is a system fault.
  void runsOnceAtATimeAndKeepsTheEditorAndTheFlags() {
    for (const auto& [ini, flags] : {std::pair{QByteArray(), 15}, {QByteArray("[Quorel]\nflags=1\n"), 1}}) {
      TestSettings settings;
      QTemporaryDir lock_folder;
      WriteAll(settings.FilePath("wq.ini"), ini + "[Option]\nGraphicEditor=/my editor/paint\n");
      const MessageLog messages;
      WhenShown<MainWindow>([](MainWindow& window) { window.reject(); });
      QCOMPARE(RunQuorel({lock_folder.path(), settings.Path()}), 0);
      QCOMPARE(settings.Store().ReadInt("flags", -1), flags);
      QCOMPARE(settings.Store().ReadString("Option", "GraphicEditor") == "/my editor/paint", flags == 1);
      SingleInstance running(lock_folder.path());
      WriteAll(running.LockPath(), "2147483646\nquorel\n" + QSysInfo::machineHostName().toUtf8() + "\n");
      QCOMPARE(running.Acquire(), SingleInstance::Outcome::kAcquired);
      QCOMPARE(RunQuorel({lock_folder.path(), settings.Path()}), 0);
      QCOMPARE(RunQuorel({QStringLiteral("/nonexistent/quorel/lock"), settings.Path()}), 0);
      QCOMPARE(*messages.texts,
               QStringList({Text(MessageCode::kAlreadyRunning), Text(MessageCode::kSystemFault)}));
    }
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
  void openDialog() {
    struct Case { QString path, answer, chosen, start; };  // chosen empty: refused
    const QString self = QCoreApplication::applicationFilePath();
    for (const Case& c : {Case{"", "", "", PictureFolder() + QLatin1Char('/')},  // cancelled; no name
                          Case{"/tmp/", self, self, "/tmp/"},
                          Case{"no-folder-here", self, "", ""}}) {  // refused without a dialog
      QString path = c.path;
      FileDialog::SetNextFileName(c.answer);
      const bool taken = ChooseOpenFile(PictureFilters(), path, nullptr, QStringLiteral("t"));
      FileDialog::ClearNextFileName();
      QCOMPARE(path, taken ? c.chosen : c.path);
      if (!c.start.isEmpty()) QCOMPARE(FileDialog::LastRequest().start_path, c.start);
    }
    // Every name the import takes is listed, after the first entry as it was, and selected.
    const QStringList filters = FileDialog::LastRequest().filter.split(QStringLiteral(";;"));
    QCOMPARE(FileDialog::LastRequest().selected_filter, filters.value(1));
    QCOMPARE(filters.value(0), QStringLiteral("画像ファイル (*.jpg *.gif *.bmp *.png)"));
    const QStringList names = filters.value(1).section(QLatin1Char('('), 1).chopped(1).split(' ');
    for (const char* name : {"*.jpeg", "*.jpe", "*.jfif", "*.JPG", "*.PNG", "*.heic", "*.WEBP"}) {
      QVERIFY(names.contains(name));
    }
    QCOMPARE(filters.value(2), QStringLiteral("全ファイル (*)"));
  }
};

}  // namespace quorel::test

QTEST_MAIN(quorel::test::StartupTest)
#include "StartupTest.moc"
