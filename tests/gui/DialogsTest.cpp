// Quorel — SPDX-License-Identifier: MIT
// The scale dialog and what the main window shows after it; the external
// editor round trip with stand-in scripts, and the settings dialog.
#include <QRadioButton>
#include <QComboBox>
#include <QDir>
#include <QLineEdit>
#include <QToolButton>

#include "GuiTestSupport.h"
#include "app/Icons.h"
#include "app/dialogs/ScaleDialog.h"
#include "app/WindowMessages.h"
#include "app/dialogs/SettingsDialog.h"

namespace quorel::test {

namespace {

bool ShowsIcon(const MainWindow& window, int id, Icon icon) {
  const QIcon shown = qobject_cast<QToolButton*>(window.Control(id))->icon();
  return shown.pixmap(16, 16).toImage() == IconOf(icon).pixmap(16, 16).toImage();
}

QString Readout(const MainWindow& window) {
  return qobject_cast<QLineEdit*>(window.Control(control::kSignatureReadout))->text();
}

void Type(QLineEdit* edit, const QString& text) {
  edit->clear();
  QTest::keyClicks(edit, text);
}

// A stand-in editor's line that waits until the test opens "<file>.go" for writing: a named pipe
// holds each side until the other comes; a plain file the test made first lets it go at once.
const QByteArray kWaitForGo = "mkfifo \"$1.go\" 2>/dev/null; read go < \"$1.go\"\n";

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

class DialogsTest : public QObject {
  Q_OBJECT

 private slots:
  // Typed in full, 3000000000 and 99999999999 wrapped to the minimum; now
  // the boxes keep as many digits as the upper limits have.
  void okLimitsWhatWasTyped() {
    struct Case { QString height, width, ratio; ScaleSettings chosen; };
    for (const Case& c : {Case{"5", "700", "50", {3, 16, 640, 50}}, Case{"", "48", "0", {3, 16, 48, 10}},
                          Case{"640", "16", "301", {3, 640, 16, 300}},
                          Case{"3000000000", "99999999999", "-5", {3, 300, 640, 10}}}) {
      ScaleDialog dialog(ScaleSettings{kScaleRatio, 0, 0, 0});
      Type(dialog.HeightEdit(), c.height);
      Type(dialog.WidthEdit(), c.width);
      Type(dialog.RatioEdit(), c.ratio);
      QCOMPARE(dialog.Chosen(), c.chosen);
      emit dialog.RatioEdit()->editingFinished();  // leaving a box shows the numbers used
      QCOMPARE(dialog.HeightEdit()->text().toInt(), c.chosen.target_height);
      Click(dialog.ModeButton(0));  // "no scaling" uses none of them
      QVERIFY(!dialog.RatioEdit()->isEnabled());
    }
  }
  void okStoresTheSettingsAndUpdatesTheWindow() {
    TestWindow window(14, {}, {0});  // the signature is 300 × 120 before trimming
    bool hints_were_enabled = true;
    WhenShown<ScaleDialog>([&](ScaleDialog& dialog) {
      hints_were_enabled = window.Hints().HintsEnabled();
      Click(dialog.ModeButton(1));
      Type(dialog.HeightEdit(), QStringLiteral("5"));
      Type(dialog.WidthEdit(), QStringLiteral("700"));
      auto* cleanup = dialog.findChild<QComboBox*>(QStringLiteral("cleanup"));
      cleanup->setCurrentIndex(cleanup->findText(QStringLiteral("余白を切り取る")));
      QTest::keyClick(&dialog, Qt::Key_Return);  // OK is the default button
    });
    Click(window.Control(control::kSignatureScale));
    QVERIFY(!hints_were_enabled);
    QVERIFY(window.Hints().HintsEnabled());
    QCOMPARE(window.Panel(PanelIndex::kSignature).scale(), (ScaleSettings{kScaleFitHeight, 16, 640, 100}));
    const IniStore store = window.settings.Store();
    QCOMPARE(QList<int>({store.ReadInt("rate_type", -1), store.ReadInt("rate_h", -1),
                         store.ReadInt("rate_w", -1), store.ReadInt("clean_type", -1)}),
             QList<int>({1, 16, 640, 1}));
    QCOMPARE(Readout(window), QStringLiteral("254x94 (100.0%)⇒43x16"));  // the trimmed picture, redrawn
    QVERIFY(ShowsIcon(window, control::kSignatureScale, Icon::kScaleSet));
    window.ImportIntoPanel(PanelIndex::kSignature, SamplePath("signature.bmp"));  // a new picture: mode 0, no suffix
    QVERIFY(!Readout(window).contains(QStringLiteral("⇒")));
    QVERIFY(ShowsIcon(window, control::kSignatureScale, Icon::kScaleNone));
  }
  void cancelOrClosingTheWindowTouchesNothing() {
    TestWindow window(14, "[Quorel]\nrate2_type=7\nrate2_h=5\n");
    window.show();
    bool ratio_checked = false;
    WhenShown<ScaleDialog>([&](ScaleDialog& dialog) {
      ratio_checked = dialog.ModeButton(3)->isChecked();  // 7 was read as 3
      Click(dialog.ModeButton(1));
      ratio_checked = ratio_checked && !dialog.ModeButton(3)->isChecked();  // one at a time
      dialog.reject();
    });
    Click(window.Control(control::kSealScale));
    QVERIFY(ratio_checked);
    WhenShown<ScaleDialog>([&](ScaleDialog&) { window.reject(); });
    Click(window.Control(control::kSealScale));
    QVERIFY(ShownWindow<ScaleDialog>() == nullptr);
    QCOMPARE(window.Panel(PanelIndex::kSeal).scale().mode, 3);
    QCOMPARE(window.settings.Store().ReadInt("rate2_type", -1), 7);
  }
  // The signature's editor saves the seal sample (64 pixels wide, the
  // signature's 300): taken back, scale mode 0. The seal's runs on until the
  // main window closes, which ends the wait with nothing taken.
  void editorRun() {
    const QByteArray save_seal = "cp '" + QFile::encodeName(SamplePath("seal.bmp")) + "' \"$1\"\n";
    for (const int panel : {0, 1}) {
      QTemporaryDir tools;
      TestWindow window(14, WriteEditor(tools, panel == 0 ? kWaitForGo + save_seal : kWaitForGo), {panel});
      window.show();
      bool minimised_while_editing = false;
      const QString transfer = window.settings.FilePath("$image.bmp");
      std::function<void()> when_editing = [&] {  // its pipe is there once the picture was written and it runs
        if (!QFile::exists(transfer + ".go")) return QTimer::singleShot(0, &window, when_editing);
        minimised_while_editing = window.isMinimized();
        panel == 0 ? WriteAll(transfer + ".go", "") : window.reject();  // the editor may go on
      };
      QTimer::singleShot(0, &window, when_editing);
      Click(window.Control(panel == 0 ? control::kSignatureEdit : control::kSealEdit));
      QTest::qWait(0);
      QVERIFY(minimised_while_editing == (panel == 0) && window.isVisible() == (panel == 0) && !window.isMinimized());
      QCOMPARE(window.Panel(PanelIndex(panel)).picture()->Width(), 64);
      QCOMPARE(window.Panel(PanelIndex(panel)).scale().mode, panel == 0 ? 0 : 3);
      if (panel == 1) WriteAll(transfer + ".go", "");  // the seal's editor still waits
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
      Click(window.Control(control::kSealEdit));  // no picture: nothing at all happens
      QCOMPARE(messages.texts->size(), 1);
      QTest::qWait(0);  // an unused WhenShown lapses here, not in a later test
    }
  }
  // OK stores the editor box as it is, even empty, the output style, the
  // base URL and the alt texts (bounded), but not a base URL of another
  // scheme; Cancel stores nothing.
  void settingsButtonRunsTheDialogWithoutHints() {
    for (const bool ok : {true, false}) {
      TestWindow window(14, "[Option]\nGraphicEditor=/usr/bin/old\n");
      const MessageLog messages;
      bool hints_enabled = true, refused_kept_open = false;
      QString shown;
      WhenShown<SettingsDialog>([&](SettingsDialog& dialog) {
        hints_enabled = window.Hints().HintsEnabled();
        shown = dialog.PathEdit()->text();
        dialog.PathEdit()->clear();
        dialog.FormatBox()->setCurrentIndex(1);  // PNG
        dialog.DensityBox()->setCurrentIndex(1);  // double
        dialog.BaseUrlEdit()->setText(QStringLiteral("ftp://example.org/"));
        dialog.AltEdit(0)->setText(QStringLiteral("\"山田\" <b>"));
        dialog.AltEdit(1)->setText(QString(300, QChar(0x5370)));  // 印: 3 bytes each
        dialog.accept();
        refused_kept_open = dialog.isVisible() && messages.texts->size() == 1 &&
                            messages.texts->front() == BaseUrlRefusedText(QStringLiteral("ftp://example.org/"));
        dialog.BaseUrlEdit()->setText(QStringLiteral(" https://example.org/i "));
        ok ? dialog.accept() : dialog.reject();
      });
      Click(window.Control(control::kSettings));
      QVERIFY(!hints_enabled);
      QVERIFY(window.Hints().HintsEnabled());
      QCOMPARE(shown, QStringLiteral("/usr/bin/old"));
      const IniStore store = window.settings.Store();
      QCOMPARE(store.ReadString("Option", "GraphicEditor").empty(), ok);
      QCOMPARE(QList<int>({store.ReadInt("OutputFormat", 0), store.ReadInt("OutputDensity", 1)}),
               ok ? QList<int>({1, 2}) : QList<int>({0, 1}));
      QVERIFY(refused_kept_open);
      const std::string alt = ok ? "\"山田\" <b>" : "";
      QCOMPARE(store.ReadString("Quorel", "BaseUrl"), ok ? "https://example.org/i" : "");
      QVERIFY(store.ReadString("Quorel", "AltText") == alt && window.State().alts[0] == alt);
      QCOMPARE(store.ReadString("Quorel", "AltText2").size(), ok ? 255u : 0u);  // whole characters that fit
    }
  }
};

}  // namespace quorel::test

QTEST_MAIN(quorel::test::DialogsTest)
#include "DialogsTest.moc"
