// Quorel — SPDX-License-Identifier: MIT
// The external editor round trip with stand-in editor scripts, the file
// stamp that tells a save, and the settings dialog that picks the editor.
#include <QApplication>
#include <QDir>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QToolButton>

#include "GuiTestSupport.h"
#include "app/ControlIds.h"
#include "app/MainWindow.h"
#include "app/dialogs/SettingsDialog.h"
#include "app/hint/HintController.h"
#include "app/platform/ExternalEditor.h"
#include "app/platform/FileDialogs.h"

namespace quorel {

using test::TestSettings;

namespace {

// A stand-in editor: a shell script in a folder whose name has a blank.
QString WriteEditor(const QTemporaryDir& dir, const QByteArray& body) {
  QDir(dir.path()).mkpath(QStringLiteral("my editor"));
  const QString path = dir.filePath(QStringLiteral("my editor/edit picture.sh"));
  // Detached like a real editor, it must not hold the test's output open.
  test::WriteAll(path, "#!/bin/sh\nexec >/dev/null 2>&1\n" + body);
  QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
  return path;
}

void SetEditor(const TestSettings& settings, const QString& editor) {
  const QByteArray utf8 = editor.toUtf8();
  settings.Store().WriteString("Option", "GraphicEditor", utf8.toStdString());
}

}  // namespace

class EditorTest : public QObject {
  Q_OBJECT

 private slots:
  void savedPictureIsTakenBackAndTheModeReset() {
    TestSettings settings;
    QTemporaryDir tools;
    settings.PutSample(0, QStringLiteral("signature.bmp"));
    settings.WriteIni("[Quorel]\nrate_type=2\n");
    // Saves the seal picture over the file it was given, once the test has
    // looked at the window (the ".go" file is the signal).
    SetEditor(settings, WriteEditor(tools, "while [ ! -e \"$1.go\" ] && [ -e \"$1\" ]; do\n"
                                           "  sleep 0.01\n"
                                           "done\n"
                                           "cp '" + QFile::encodeName(test::SamplePath(QStringLiteral("seal.bmp"))) +
                                           "' \"$1\"\n"));
    MainWindow window(settings.Folder(), 14);
    window.show();
    bool minimised_while_editing = false;
    const QString transfer = settings.FilePath(QStringLiteral("$image.bmp"));
    QTimer::singleShot(0, [&] {
      minimised_while_editing = window.isMinimized();
      test::WriteAll(transfer + QStringLiteral(".go"), "");
    });
    test::Click(window.Control(control::kSignatureEdit));
    QVERIFY(minimised_while_editing);
    QVERIFY(!window.isMinimized());
    QCOMPARE(window.Panel(0).picture->Width(), 64);  // the picture the editor saved
    QCOMPARE(window.Panel(0).scale.mode, 0);
    QCOMPARE(settings.Store().ReadInt("rate_type", -1), 0);
  }

  void editorClosedWithoutSavingChangesNothing() {
    TestSettings settings;
    QTemporaryDir tools;
    settings.PutSample(1, QStringLiteral("seal.bmp"));
    settings.WriteIni("[Quorel]\nrate2_type=3\n");
    SetEditor(settings, WriteEditor(tools, "exit 0\n"));
    MainWindow window(settings.Folder(), 14);
    window.show();
    bool minimised = true;
    QTimer::singleShot(0, [&] { minimised = window.isMinimized(); });
    test::Click(window.Control(control::kSealEdit));
    QTest::qWait(0);
    QVERIFY(!minimised);  // the seal's edit leaves the window as it is
    QCOMPARE(window.Panel(1).scale.mode, 3);
    QCOMPARE(window.Panel(1).picture->Width(), 64);
    QVERIFY(QFile::exists(settings.FilePath(QStringLiteral("$image.bmp"))));
  }

  void missingEditorOrPictureDoesNothing() {
    TestSettings settings;
    settings.PutSample(0, QStringLiteral("signature.bmp"));
    SetEditor(settings, QStringLiteral("/nonexistent/editor"));
    MainWindow window(settings.Folder(), 14);
    window.show();
    test::Click(window.Control(control::kSignatureEdit));
    QVERIFY(!window.isMinimized());
    QVERIFY(window.Panel(0).picture.has_value());
    // No picture in the seal panel: not even the transfer file is written.
    QFile::remove(settings.FilePath(QStringLiteral("$image.bmp")));
    test::Click(window.Control(control::kSealEdit));
    QVERIFY(!QFile::exists(settings.FilePath(QStringLiteral("$image.bmp"))));
  }

  void closingTheMainWindowEndsTheWait() {
    TestSettings settings;
    QTemporaryDir tools;
    settings.PutSample(1, QStringLiteral("seal.bmp"));
    // An editor that keeps running until the test lets it go (or its file goes).
    SetEditor(settings, WriteEditor(tools, "while [ ! -e \"$1.go\" ] && [ -e \"$1\" ]; do\n"
                                           "  sleep 0.01\n"
                                           "done\n"));
    MainWindow window(settings.Folder(), 14);
    window.show();
    QTimer::singleShot(0, &window, [&] { window.reject(); });
    test::Click(window.Control(control::kSealEdit));  // returns although the editor runs
    QVERIFY(!window.isVisible());
    QVERIFY(window.Panel(1).picture.has_value());
    test::WriteAll(settings.FilePath(QStringLiteral("$image.bmp.go")), "");
  }

  void pumpRunsEventsUntilItsTimeIsUp() {
    bool ran = false;
    QTimer::singleShot(0, [&] { ran = true; });
    QVERIFY(!PumpPendingMessages(20));  // waited out: no quit request
    QVERIFY(ran);
    QDialog main;
    main.show();
    QTimer::singleShot(0, &main, [&] { main.reject(); });
    QVERIFY(PumpPendingMessages(60000, &main));  // ended early by the window
  }

  void stampSeesSubSecondChanges() {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("x.bmp"));
    test::WriteAll(path, "abc");
    const std::filesystem::path file(QFile::encodeName(path).toStdString());
    const auto base = std::filesystem::last_write_time(file);
    const std::optional<FileStamp> before = StampOf(file);
    std::filesystem::last_write_time(file, base + std::chrono::milliseconds(1));
    QVERIFY(StampOf(file) != before);
    std::filesystem::last_write_time(file, base);
    QCOMPARE(StampOf(file), before);
    test::WriteAll(path, "abcd");  // a different size counts even at the same time
    std::filesystem::last_write_time(file, base);
    QVERIFY(StampOf(file) != before);
    QVERIFY(!StampOf(file.parent_path() / "missing"));
  }

  void settingsDialogOkStoresCancelDoesNot() {
    TestSettings settings;
    SetEditor(settings, QStringLiteral("/usr/bin/old"));
    {
      SettingsDialog dialog(settings.Store(), nullptr);
      QCOMPARE(dialog.windowTitle(), QStringLiteral("Quorel - 設定"));
      QCOMPARE(dialog.PathEdit()->text(), QStringLiteral("/usr/bin/old"));
      dialog.PathEdit()->setText(QStringLiteral("/opt/paint program/bin/paint"));
      dialog.reject();
    }
    QCOMPARE(settings.Store().ReadString("Option", "GraphicEditor"), std::string("/usr/bin/old"));
    {
      SettingsDialog dialog(settings.Store(), nullptr);
      dialog.PathEdit()->setText(QString());
      dialog.accept();
    }
    QCOMPARE(settings.Store().ReadRaw("Option", "GraphicEditor"), std::optional<std::string>(""));
  }

  void browseStartsFromTheBoxAndFillsIt() {
    TestSettings settings;
    SettingsDialog dialog(settings.Store(), nullptr);
    // A name without any folder: the browse button does nothing.
    dialog.PathEdit()->setText(QStringLiteral("paint"));
    FileDialog::SetNextFileName(QStringLiteral("/bin/sh"));
    QTest::mouseClick(dialog.BrowseButton(), Qt::LeftButton);
    QCOMPARE(dialog.PathEdit()->text(), QStringLiteral("paint"));
    FileDialog::ClearNextFileName();

    dialog.PathEdit()->setText(QString());
    FileDialog::SetNextFileName(QStringLiteral("/bin/sh"));
    QTest::mouseClick(dialog.BrowseButton(), Qt::LeftButton);
    QCOMPARE(dialog.PathEdit()->text(), QStringLiteral("/bin/sh"));
    QCOMPARE(FileDialog::LastRequest().title, QStringLiteral("画像編集ソフトを設定する"));
    QCOMPARE(FileDialog::LastRequest().start_path, PictureFolder() + QStringLiteral("/無題"));
    QCOMPARE(FileDialog::LastRequest().owner, static_cast<QWidget*>(&dialog));
  }

  void settingsButtonRunsTheDialogWithoutHints() {
    TestSettings settings;
    MainWindow window(settings.Folder(), 14);
    bool hints_enabled = true;
    QTimer::singleShot(0, [&] {
      for (QWidget* widget : QApplication::topLevelWidgets()) {
        if (auto* dialog = qobject_cast<SettingsDialog*>(widget); dialog && dialog->isVisible()) {
          hints_enabled = window.Hints().HintsEnabled();
          dialog->PathEdit()->setText(QStringLiteral("/usr/bin/new editor"));
          dialog->accept();
        }
      }
    });
    test::Click(window.Control(control::kSettings));
    QVERIFY(!hints_enabled);
    QVERIFY(window.Hints().HintsEnabled());
    QCOMPARE(settings.Store().ReadString("Option", "GraphicEditor"),
             std::string("/usr/bin/new editor"));
  }
};

}  // namespace quorel

QTEST_MAIN(quorel::EditorTest)
#include "EditorTest.moc"
