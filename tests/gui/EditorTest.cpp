// Quorel — SPDX-License-Identifier: MIT
// The external editor round trip with stand-in editor scripts, the file
// stamp that tells a save, and the settings dialog that picks the editor.
#include <QDir>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>

#include "GuiTestSupport.h"
#include "app/ControlIds.h"
#include "app/platform/MessageBox.h"
#include "app/dialogs/SettingsDialog.h"
#include "app/hint/HintController.h"
#include "app/platform/ExternalEditor.h"
#include "app/platform/FileDialogs.h"

namespace quorel {

using namespace test;

namespace {

// A stand-in editor's lines that wait until the test writes "<file>.go" (or
// the file goes away).
const QByteArray kWaitForGo = "while [ ! -e \"$1.go\" ] && [ -e \"$1\" ]; do sleep 0.01; done\n";

// A stand-in editor: a shell script in a folder whose name has a blank.
QString WriteEditor(const QTemporaryDir& dir, const QByteArray& body) {
  QDir(dir.path()).mkpath(QStringLiteral("my editor"));
  const QString path = dir.filePath(QStringLiteral("my editor/edit picture.sh"));
  // Detached like a real editor, it must not hold the test's output open.
  WriteAll(path, "#!/bin/sh\nexec >/dev/null 2>&1\n" + body);
  QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
  return path;
}

int EditButton(int panel) { return panel == 0 ? control::kSignatureEdit : control::kSealEdit; }

}  // namespace

class EditorTest : public QObject {
  Q_OBJECT

 private slots:
  void editorRun_data() {
    QTest::addColumn<int>("panel");
    QTest::addColumn<QByteArray>("script");
    QTest::addColumn<bool>("minimised");  // while the editor runs
    QTest::addColumn<int>("width");       // of the panel's picture afterwards
    QTest::addColumn<int>("mode");        // the scale mode afterwards, 3 before
    const QByteArray save_seal =
        "cp '" + QFile::encodeName(SamplePath(QStringLiteral("seal.bmp"))) + "' \"$1\"\n";
    // The signature sample is 300 pixels wide, the seal's 64.
    QTest::newRow("signature, saved: taken back") << 0 << kWaitForGo + save_seal << true << 64 << 0;
    QTest::newRow("seal, not saved: unchanged") << 1 << QByteArray("exit 0\n") << false << 64 << 3;
  }
  void editorRun() {
    QFETCH(int, panel);
    QFETCH(QByteArray, script);
    QFETCH(bool, minimised);
    QTemporaryDir tools;
    TestWindow window(14, "[Quorel]\nrate_type=3\nrate2_type=3\n[Option]\nGraphicEditor=" +
                              WriteEditor(tools, script).toUtf8() + "\n", {panel});
    window.show();
    bool minimised_while_editing = !minimised;
    const QString transfer = window.settings.FilePath(QStringLiteral("$image.bmp"));
    QTimer::singleShot(0, [&] {
      minimised_while_editing = window.isMinimized();
      WriteAll(transfer + QStringLiteral(".go"), "");  // the editor may go on
    });
    Click(window.Control(EditButton(panel)));
    QTest::qWait(0);
    QCOMPARE(minimised_while_editing, minimised);
    QVERIFY(!window.isMinimized());
    QVERIFY(QFile::exists(transfer));
    QTEST(window.Panel(panel).picture->Width(), "width");
    QTEST(window.Panel(panel).scale.mode, "mode");
    QTEST(window.settings.Store().ReadInt(panel == 0 ? "rate_type" : "rate2_type", -1), "mode");
  }

  void missingOrBrokenEditorIsReported_data() {
    QTest::addColumn<QByteArray>("editor");
    QTest::addColumn<QString>("message");
    QTest::addColumn<bool>("settings_opened");
    QTest::newRow("none found on the first run") << QByteArray() << kNoEditorText << true;
    QTest::newRow("cannot be started") << QByteArray("/nonexistent/editor") << kEditorFailedText << false;
  }
  void missingOrBrokenEditorIsReported() {
    QFETCH(QByteArray, editor);
    QFETCH(QString, message);
    TestWindow window(14, "[Option]\nGraphicEditor=" + editor + "\n", {0});
    window.show();
    const MessageLog messages;
    bool settings_opened = false;
    WhenShown<SettingsDialog>([&](SettingsDialog& dialog) {
      settings_opened = true;
      dialog.reject();
    });
    Click(window.Control(control::kSignatureEdit));
    QCOMPARE(messages.Texts(), QStringList{message});
    QTEST(settings_opened, "settings_opened");
    QVERIFY(!window.isMinimized());
    QVERIFY(window.Panel(0).picture.has_value());
    // No picture in the seal panel: nothing at all happens.
    Click(window.Control(control::kSealEdit));
    QCOMPARE(messages.Texts().size(), 1);
  }

  void closingTheMainWindowEndsTheWait() {
    QTemporaryDir tools;  // the editor runs until the test lets it go
    TestWindow window(14, "[Option]\nGraphicEditor=" + WriteEditor(tools, kWaitForGo).toUtf8(), {1});
    window.show();
    QTimer::singleShot(0, &window, [&] { window.reject(); });
    Click(window.Control(control::kSealEdit));  // returns although the editor runs
    QVERIFY(!window.isVisible());
    QVERIFY(window.Panel(1).picture.has_value());
    WriteAll(window.settings.FilePath(QStringLiteral("$image.bmp.go")), "");
  }

  void stampSeesSubSecondChanges() {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("x.bmp"));
    WriteAll(path, "abc");
    const std::filesystem::path file(QFile::encodeName(path).toStdString());
    const auto base = std::filesystem::last_write_time(file);
    const std::optional<FileStamp> before = StampOf(file);
    std::filesystem::last_write_time(file, base + std::chrono::milliseconds(1));
    QVERIFY(StampOf(file) != before);
    std::filesystem::last_write_time(file, base);
    QCOMPARE(StampOf(file), before);
    WriteAll(path, "abcd");  // a different size counts even at the same time
    std::filesystem::last_write_time(file, base);
    QVERIFY(StampOf(file) != before);
    QVERIFY(!StampOf(file.parent_path() / "missing"));
  }

  void settingsButtonRunsTheDialogWithoutHints_data() {
    QTest::addColumn<QString>("typed");
    QTest::addColumn<bool>("ok");
    QTest::addColumn<QString>("stored");
    QTest::newRow("OK") << "/usr/bin/new editor" << true << "/usr/bin/new editor";
    QTest::newRow("OK with an empty box") << "" << true << "";
    QTest::newRow("Cancel") << "/opt/paint" << false << "/usr/bin/old";
  }
  void settingsButtonRunsTheDialogWithoutHints() {
    QFETCH(QString, typed);
    QFETCH(bool, ok);
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
    const std::optional<std::string> stored = window.settings.Store().ReadRaw("Option", "GraphicEditor");
    QTEST(QString::fromStdString(stored.value_or("<none>")), "stored");
  }

  void browseFillsTheBox() {
    const TestSettings settings;
    SettingsDialog dialog(settings.Store(), nullptr);
    FileDialog::SetNextFileName(QStringLiteral("/bin/sh"));
    QTest::mouseClick(dialog.BrowseButton(), Qt::LeftButton);
    QCOMPARE(dialog.PathEdit()->text(), QStringLiteral("/bin/sh"));
    QCOMPARE(FileDialog::LastRequest().owner, static_cast<QWidget*>(&dialog));
  }
};

}  // namespace quorel

QTEST_MAIN(quorel::EditorTest)
#include "EditorTest.moc"
