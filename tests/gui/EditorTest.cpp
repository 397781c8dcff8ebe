// Quorel — SPDX-License-Identifier: MIT
// The external editor round trip with stand-in editor scripts, what is said
// when there is no editor, the file stamp that tells a save, and the settings
// dialog that picks the editor.
#include <QDir>
#include <QLineEdit>
#include <QToolButton>

#include "GuiTestSupport.h"
#include "app/dialogs/SettingsDialog.h"
#include "app/platform/ExternalEditor.h"

namespace quorel {

using namespace test;

namespace {

// A stand-in editor's lines that wait until the test writes "<file>.go" (or
// the file goes away).
const QByteArray kWaitForGo = "while [ ! -e \"$1.go\" ] && [ -e \"$1\" ]; do sleep 0.01; done\n";

// A stand-in editor: a shell script in a folder whose name has a blank. Run
// detached like a real editor, it must not hold the test's output open.
QByteArray WriteEditor(const QTemporaryDir& dir, const QByteArray& body) {
  QDir(dir.path()).mkpath(QStringLiteral("my editor"));
  const QString path = dir.filePath(QStringLiteral("my editor/edit picture.sh"));
  WriteAll(path, "#!/bin/sh\nexec >/dev/null 2>&1\n" + body);
  QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
  return "[Quorel]\nrate_type=3\nrate2_type=3\n[Option]\nGraphicEditor=" + path.toUtf8() + "\n";
}

}  // namespace

class EditorTest : public QObject {
  Q_OBJECT

 private slots:
  // The signature sample is 300 pixels wide, the seal's 64; the scale mode is
  // 3 before and 0 after a picture is taken back.
  void editorRun() {
    const QByteArray save_seal = "cp '" + QFile::encodeName(SamplePath("seal.bmp")) + "' \"$1\"\n";
    for (const int panel : {0, 1}) {  // the signature's editor saves, the seal's does not
      QTemporaryDir tools;
      TestWindow window(14, WriteEditor(tools, panel == 0 ? kWaitForGo + save_seal : "exit 0\n"), {panel});
      window.show();
      bool minimised_while_editing = false;
      const QString transfer = window.settings.FilePath("$image.bmp");
      QTimer::singleShot(0, [&] {
        minimised_while_editing = window.isMinimized();
        WriteAll(transfer + ".go", "");  // the editor may go on
      });
      Click(window.Control(panel == 0 ? control::kSignatureEdit : control::kSealEdit));
      QTest::qWait(0);
      QCOMPARE(minimised_while_editing, panel == 0);
      QVERIFY(!window.isMinimized());
      QVERIFY(QFile::exists(transfer));
      QCOMPARE(window.Panel(panel).picture->Width(), 64);
      QCOMPARE(window.Panel(panel).scale.mode, panel == 0 ? 0 : 3);
      QCOMPARE(window.settings.Store().ReadInt(panel == 0 ? "rate_type" : "rate2_type", -1),
               panel == 0 ? 0 : 3);
    }
  }

  void missingOrBrokenEditorIsReported() {
    for (const auto& [editor, message] : {std::pair{QByteArray(), kNoEditorText},
                                          {QByteArray("/nonexistent/editor"), kEditorFailedText}}) {
      TestWindow window(14, "[Option]\nGraphicEditor=" + editor + "\n", {0});
      window.show();
      const MessageLog messages;
      bool settings_opened = false;
      WhenShown<SettingsDialog>([&](SettingsDialog& dialog) {
        settings_opened = true;
        dialog.reject();
      });
      Click(window.Control(control::kSignatureEdit));
      QCOMPARE(*messages.texts, QStringList{QString::fromUtf8(message)});
      QCOMPARE(settings_opened, editor.isEmpty());  // none found on the first run
      QVERIFY(!window.isMinimized());
      QVERIFY(window.Panel(0).picture.has_value());
      Click(window.Control(control::kSealEdit));  // no picture: nothing at all happens
      QCOMPARE(messages.texts->size(), 1);
    }
  }

  void closingTheMainWindowEndsTheWait() {
    QTemporaryDir tools;  // the editor runs until the test lets it go
    TestWindow window(14, WriteEditor(tools, kWaitForGo), {1});
    window.show();
    QTimer::singleShot(0, &window, [&] { window.reject(); });
    Click(window.Control(control::kSealEdit));  // returns although the editor runs
    QVERIFY(!window.isVisible());
    WriteAll(window.settings.FilePath("$image.bmp.go"), "");
  }

  void stampSeesSubSecondChanges() {
    QTemporaryDir dir;
    WriteAll(dir.filePath("x.bmp"), "abc");
    const std::filesystem::path file(QFile::encodeName(dir.filePath("x.bmp")).toStdString());
    const auto base = std::filesystem::last_write_time(file);
    const std::optional<FileStamp> before = StampOf(file);
    std::filesystem::last_write_time(file, base + std::chrono::milliseconds(1));
    QVERIFY(StampOf(file) != before);
    WriteAll(dir.filePath("x.bmp"), "abcd");  // a different size counts even at the same time
    std::filesystem::last_write_time(file, base);
    QVERIFY(StampOf(file) != before);
  }

  void settingsButtonRunsTheDialogWithoutHints() {
    for (const auto& [typed, ok] : {std::pair{QStringLiteral("/usr/bin/new editor"), true},
                                    {QString(), true}, {QStringLiteral("/opt/paint"), false}}) {
      TestWindow window(14, "[Option]\nGraphicEditor=/usr/bin/old\n");
      bool hints_enabled = true;
      QString shown;
      WhenShown<SettingsDialog>([&](SettingsDialog& dialog) {
        hints_enabled = window.Hints().HintsEnabled();
        shown = dialog.PathEdit()->text();
        dialog.PathEdit()->setText(typed);
        ok ? dialog.accept() : dialog.reject();
      });
      Click(window.Control(control::kSettings));
      QVERIFY(!hints_enabled);
      QVERIFY(window.Hints().HintsEnabled());
      QCOMPARE(shown, QStringLiteral("/usr/bin/old"));
      QCOMPARE(QString::fromStdString(window.settings.Store().ReadString("Option", "GraphicEditor")),
               ok ? typed : shown);
    }
    const TestSettings settings;
    SettingsDialog dialog(settings.Store(), nullptr);
    FileDialog::SetNextFileName(QStringLiteral("/bin/sh"));
    Click(dialog.BrowseButton());
    QCOMPARE(dialog.PathEdit()->text(), QStringLiteral("/bin/sh"));
  }
};

}  // namespace quorel

QTEST_MAIN(quorel::EditorTest)
#include "EditorTest.moc"
