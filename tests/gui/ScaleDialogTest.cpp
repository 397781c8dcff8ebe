// Quorel — SPDX-License-Identifier: MIT
// The scale dialog: limits on OK, exclusive mode buttons, Cancel touching
// nothing, and what the main window shows afterwards.
#include <QCheckBox>
#include <QLineEdit>
#include <QTest>
#include <QToolButton>

#include "GuiTestSupport.h"
#include "app/ControlIds.h"
#include "app/Icons.h"
#include "app/MainWindow.h"
#include "app/dialogs/ScaleDialog.h"
#include "app/hint/HintController.h"

namespace quorel {

using test::ControlText;
using test::TestWindow;
using test::WhenShown;

namespace {

// The scale button shows icon `number`.
bool ShowsIcon(const MainWindow& window, int id, int number) {
  const QIcon shown = qobject_cast<QToolButton*>(window.Control(id))->icon();
  return shown.pixmap(16, 16).toImage() == IconResource(number).pixmap(16, 16).toImage();
}

}  // namespace

class ScaleDialogTest : public QObject {
  Q_OBJECT

 private slots:
  void okLimitsTheNumbers_data() {
    QTest::addColumn<QString>("height");
    QTest::addColumn<QString>("width");
    QTest::addColumn<QString>("ratio");
    QTest::addColumn<ScaleSettings>("chosen");
    QTest::newRow("5 and 700") << "5" << "700" << "50" << ScaleSettings{0, 16, 640, 50};
    QTest::newRow("empty and 0") << "" << "48" << "0" << ScaleSettings{0, 16, 48, 10};
    QTest::newRow("301") << "640" << "16" << "301" << ScaleSettings{0, 640, 16, 300};
    QTest::newRow("beyond 32 bits")
        << "99999999999" << "4294967295" << "100" << ScaleSettings{0, 16, 16, 100};
  }
  void okLimitsTheNumbers() {
    QFETCH(QString, height);
    QFETCH(QString, width);
    QFETCH(QString, ratio);
    ScaleDialog dialog(ScaleSettings{});
    dialog.HeightEdit()->setText(height);
    dialog.WidthEdit()->setText(width);
    dialog.RatioEdit()->setText(ratio);
    QTEST(dialog.Chosen(), "chosen");
  }

  void modeButtonsStayExclusive() {
    ScaleDialog dialog(ScaleSettings{kScaleFitWidth, 48, 48, 100});
    QVERIFY(dialog.ModeButton(2)->isChecked());
    for (int mode : {1, 3, 3, 0}) {
      QTest::mouseClick(dialog.ModeButton(mode), Qt::LeftButton);
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
      QTest::mouseClick(dialog.ModeButton(1), Qt::LeftButton);
      dialog.HeightEdit()->setText(QStringLiteral("5"));
      dialog.WidthEdit()->setText(QStringLiteral("700"));
      dialog.accept();
    });
    test::Click(window.Control(control::kSignatureScale));
    QVERIFY(!hints_were_enabled);
    QVERIFY(window.Hints().HintsEnabled());
    QCOMPARE(window.Panel(0).scale, (ScaleSettings{kScaleFitHeight, 16, 640, 100}));
    const IniStore store = window.settings.Store();
    QCOMPARE(QList<int>({store.ReadInt("rate_type", -1), store.ReadInt("rate_h", -1),
                         store.ReadInt("rate_w", -1), store.ReadInt("rate_v", -1)}),
             QList<int>({1, 16, 640, 100}));
    QVERIFY(!store.ReadRaw("Quorel", "rate2_type"));
    const QString readout = ControlText(window, control::kSignatureReadout);
    QVERIFY2(readout.endsWith(QStringLiteral("⇒40x16")), qPrintable(readout));
    QVERIFY(ShowsIcon(window, control::kSignatureScale, 109));

    // Back to mode 0: the numbers are still written.
    WhenShown<ScaleDialog>([](ScaleDialog& dialog) {
      QTest::mouseClick(dialog.ModeButton(0), Qt::LeftButton);
      dialog.RatioEdit()->setText(QStringLiteral("30"));
      dialog.accept();
    });
    test::Click(window.Control(control::kSignatureScale));
    QCOMPARE(store.ReadInt("rate_type", -1), 0);
    QCOMPARE(store.ReadInt("rate_v", -1), 30);
  }

  void cancelTouchesNothing() {
    TestWindow window(14, "[Quorel]\nrate2_type=7\nrate2_h=5\n");
    const QByteArray before = window.settings.Ini();
    const ScaleSettings panel_before = window.Panel(1).scale;
    bool ratio_checked = false;
    WhenShown<ScaleDialog>([&](ScaleDialog& dialog) {
      ratio_checked = dialog.ModeButton(3)->isChecked();  // 7 was read as 3
      QTest::mouseClick(dialog.ModeButton(1), Qt::LeftButton);
      dialog.HeightEdit()->setText(QStringLiteral("100"));
      dialog.reject();
    });
    test::Click(window.Control(control::kSealScale));
    QVERIFY(ratio_checked);
    QCOMPARE(window.Panel(1).scale, panel_before);
    QCOMPARE(window.settings.Ini(), before);
  }

  void newPictureResetsTheModeAndTheSuffix() {
    TestWindow window(14, "[Quorel]\nrate2_type=3\nrate2_v=50\n", {1});
    QVERIFY(ControlText(window, control::kSealReadout).contains(QStringLiteral("⇒32x32")));
    QVERIFY(ShowsIcon(window, control::kSealScale, 109));
    window.ImportIntoPanel(1, test::SamplePath(QStringLiteral("seal.bmp")));
    QCOMPARE(window.Panel(1).scale, (ScaleSettings{0, 48, 48, 50}));  // the numbers stay
    QVERIFY(!ControlText(window, control::kSealReadout).contains(QStringLiteral("⇒")));
    QVERIFY(ShowsIcon(window, control::kSealScale, 108));
    QCOMPARE(window.settings.Store().ReadInt("rate2_type", -1), 0);
  }

  void closingTheMainWindowEndsTheDialog() {
    TestWindow window;
    window.show();
    WhenShown<ScaleDialog>([&](ScaleDialog&) { window.reject(); });
    test::Click(window.Control(control::kSignatureScale));
    QVERIFY(test::ShownWindow<ScaleDialog>() == nullptr);
    QCOMPARE(window.settings.Store().ReadInt("rate_type", -1), -1);
  }
};

}  // namespace quorel

QTEST_MAIN(quorel::ScaleDialogTest)
#include "ScaleDialogTest.moc"
