// Quorel — SPDX-License-Identifier: MIT
// The scale dialog: what typing leaves in the boxes and OK makes of it,
// exclusive mode buttons, Cancel touching nothing, and what the main window
// shows afterwards.
#include <QCheckBox>
#include <QLineEdit>
#include <QToolButton>

#include "GuiTestSupport.h"
#include "app/Icons.h"
#include "app/dialogs/ScaleDialog.h"

namespace quorel {

using namespace test;

namespace {

bool ShowsIcon(const MainWindow& window, int id, Icon icon) {
  const QIcon shown = qobject_cast<QToolButton*>(window.Control(id))->icon();
  return shown.pixmap(16, 16).toImage() == IconOf(icon).pixmap(16, 16).toImage();
}

void Type(QLineEdit* edit, const QString& text) {
  edit->clear();
  QTest::keyClicks(edit, text);
}

}  // namespace

class ScaleDialogTest : public QObject {
  Q_OBJECT

 private slots:
  // Typed in full, 3000000000 and 99999999999 wrapped to the minimum; now
  // the boxes keep as many digits as the upper limits have.
  void okLimitsWhatWasTyped() {
    struct Case { QString height, width, ratio; ScaleSettings chosen; };
    for (const Case& c : {Case{"5", "700", "50", {0, 16, 640, 50}}, Case{"", "48", "0", {0, 16, 48, 10}},
                          Case{"640", "16", "301", {0, 640, 16, 300}},
                          Case{"3000000000", "99999999999", "-5", {0, 300, 640, 10}}}) {
      ScaleDialog dialog(ScaleSettings{kScaleNone, 0, 0, 0});
      Type(dialog.HeightEdit(), c.height);
      Type(dialog.WidthEdit(), c.width);
      Type(dialog.RatioEdit(), c.ratio);
      QCOMPARE(dialog.Chosen(), c.chosen);
    }
  }

  void modeButtonsStayExclusive() {
    ScaleDialog dialog(ScaleSettings{kScaleFitWidth, 48, 48, 100});
    QVERIFY(dialog.ModeButton(2)->isChecked());
    for (int mode : {1, 3, 3, 0}) {
      Click(dialog.ModeButton(mode));
      for (int other = 0; other < 4; ++other) {
        QCOMPARE(dialog.ModeButton(other)->isChecked(), other == mode);
      }
      QCOMPARE(dialog.Chosen().mode, mode);
    }
    dialog.ModeButton(0)->setChecked(false);
    QCOMPARE(dialog.Chosen().mode, 3);  // none checked counts as the ratio
  }

  void okStoresTheSettingsAndUpdatesTheWindow() {
    TestWindow window(14, {}, {0});  // the signature is 300 × 120
    bool hints_were_enabled = true;
    WhenShown<ScaleDialog>([&](ScaleDialog& dialog) {
      hints_were_enabled = window.Hints().HintsEnabled();
      Click(dialog.ModeButton(1));
      Type(dialog.HeightEdit(), QStringLiteral("5"));
      Type(dialog.WidthEdit(), QStringLiteral("700"));
      QTest::keyClick(&dialog, Qt::Key_Return);  // OK is the default button
    });
    Click(window.Control(control::kSignatureScale));
    QVERIFY(!hints_were_enabled);
    QVERIFY(window.Hints().HintsEnabled());
    QCOMPARE(window.Panel(0).scale, (ScaleSettings{kScaleFitHeight, 16, 640, 100}));
    const IniStore store = window.settings.Store();
    QCOMPARE(QList<int>({store.ReadInt("rate_type", -1), store.ReadInt("rate_h", -1),
                         store.ReadInt("rate_w", -1), store.ReadInt("rate_v", -1)}),
             QList<int>({1, 16, 640, 100}));
    QVERIFY(!store.ReadRaw("Quorel", "rate2_type"));
    QVERIFY(ControlText(window, control::kSignatureReadout).endsWith(QStringLiteral("⇒40x16")));
    QVERIFY(ShowsIcon(window, control::kSignatureScale, Icon::kScaleSet));

    // A new picture returns to mode 0; the numbers stay.
    window.ImportIntoPanel(0, SamplePath("signature.bmp"));
    QCOMPARE(window.Panel(0).scale, (ScaleSettings{0, 16, 640, 100}));
    QVERIFY(!ControlText(window, control::kSignatureReadout).contains(QStringLiteral("⇒")));
    QVERIFY(ShowsIcon(window, control::kSignatureScale, Icon::kScaleNone));
    QCOMPARE(store.ReadInt("rate_type", -1), 0);
  }

  void cancelOrClosingTheWindowTouchesNothing() {
    TestWindow window(14, "[Quorel]\nrate2_type=7\nrate2_h=5\n");
    window.show();
    const ScaleSettings panel_before = window.Panel(1).scale;
    bool ratio_checked = false;
    WhenShown<ScaleDialog>([&](ScaleDialog& dialog) {
      ratio_checked = dialog.ModeButton(3)->isChecked();  // 7 was read as 3
      Click(dialog.ModeButton(1));
      dialog.reject();
    });
    Click(window.Control(control::kSealScale));
    QVERIFY(ratio_checked);
    WhenShown<ScaleDialog>([&](ScaleDialog&) { window.reject(); });
    Click(window.Control(control::kSealScale));
    QVERIFY(ShownWindow<ScaleDialog>() == nullptr);
    QCOMPARE(window.Panel(1).scale, panel_before);
    const IniStore store = window.settings.Store();
    QCOMPARE(QList<int>({store.ReadInt("rate2_type", -1), store.ReadInt("rate2_h", -1)}),
             QList<int>({7, 5}));
  }
};

}  // namespace quorel

QTEST_MAIN(quorel::ScaleDialogTest)
#include "ScaleDialogTest.moc"
