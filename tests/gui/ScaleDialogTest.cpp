// Quorel — SPDX-License-Identifier: MIT
// The scale dialog: limits on OK, exclusive mode buttons, Cancel touching
// nothing, and what the main window shows afterwards.
#include <QApplication>
#include <QCheckBox>
#include <QLineEdit>
#include <QTest>
#include <QTimer>
#include <QToolButton>

#include "FakeHintEnvironment.h"
#include "GuiTestSupport.h"
#include "app/ControlIds.h"
#include "app/Icons.h"
#include "app/MainWindow.h"
#include "app/dialogs/ScaleDialog.h"
#include "app/hint/HintController.h"

namespace quorel {

using test::TestSettings;

namespace {

ScaleDialog* OpenDialog() {
  for (QWidget* widget : QApplication::topLevelWidgets()) {
    if (auto* dialog = qobject_cast<ScaleDialog*>(widget); dialog && dialog->isVisible()) {
      return dialog;
    }
  }
  return nullptr;
}

// Runs `drive` on the scale dialog as soon as the main window has opened it.
void WhenOpen(std::function<void(ScaleDialog&)> drive) {
  QTimer::singleShot(0, [drive = std::move(drive)] {
    if (ScaleDialog* dialog = OpenDialog()) drive(*dialog);
  });
}

// The icon a scale button shows, as pixels.
QImage ScaleIcon(const MainWindow& window, int id) {
  return qobject_cast<QToolButton*>(window.Control(id))->icon().pixmap(16, 16).toImage();
}
QImage Icon(int number) { return IconResource(number).pixmap(16, 16).toImage(); }

QString Readout(const MainWindow& window, int index) {
  return qobject_cast<QLineEdit*>(window.Control(index == 0 ? control::kSignatureReadout
                                                            : control::kSealReadout))
      ->text();
}

}  // namespace

class ScaleDialogTest : public QObject {
  Q_OBJECT

 private slots:
  void okLimitsTheNumbers_data() {
    QTest::addColumn<QString>("height");
    QTest::addColumn<QString>("width");
    QTest::addColumn<QString>("ratio");
    QTest::addColumn<int>("want_height");
    QTest::addColumn<int>("want_width");
    QTest::addColumn<int>("want_ratio");
    QTest::newRow("5 and 700") << "5" << "700" << "50" << 16 << 640 << 50;
    QTest::newRow("empty and 0") << "" << "48" << "0" << 16 << 48 << 10;
    QTest::newRow("301") << "640" << "16" << "301" << 640 << 16 << 300;
    QTest::newRow("beyond 32 bits") << "99999999999" << "4294967295" << "100" << 16 << 16 << 100;
  }
  void okLimitsTheNumbers() {
    QFETCH(QString, height);
    QFETCH(QString, width);
    QFETCH(QString, ratio);
    ScaleDialog dialog(ScaleSettings{});
    dialog.HeightEdit()->setText(height);
    dialog.WidthEdit()->setText(width);
    dialog.RatioEdit()->setText(ratio);
    const ScaleSettings chosen = dialog.Chosen();
    QTEST(chosen.target_height, "want_height");
    QTEST(chosen.target_width, "want_width");
    QTEST(chosen.ratio, "want_ratio");
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
    TestSettings settings;
    settings.PutSample(0, QStringLiteral("signature.bmp"));  // 300 × 120
    MainWindow window(settings.Folder(), 14);
    bool hints_were_enabled = true;
    WhenOpen([&](ScaleDialog& dialog) {
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
    const IniStore store = settings.Store();
    QCOMPARE(store.ReadInt("rate_type", -1), 1);
    QCOMPARE(store.ReadInt("rate_h", -1), 16);
    QCOMPARE(store.ReadInt("rate_w", -1), 640);
    QCOMPARE(store.ReadInt("rate_v", -1), 100);
    QVERIFY(!store.ReadRaw("Quorel", "rate2_type"));
    QVERIFY2(Readout(window, 0).endsWith(QStringLiteral("⇒40x16")), qPrintable(Readout(window, 0)));
    QCOMPARE(ScaleIcon(window, control::kSignatureScale), Icon(109));

    // Back to mode 0: the numbers are still written and the suffix goes.
    WhenOpen([](ScaleDialog& dialog) {
      QTest::mouseClick(dialog.ModeButton(0), Qt::LeftButton);
      dialog.RatioEdit()->setText(QStringLiteral("1000"));
      dialog.accept();
    });
    test::Click(window.Control(control::kSignatureScale));
    QCOMPARE(store.ReadInt("rate_type", -1), 0);
    QCOMPARE(store.ReadInt("rate_v", -1), 300);
    QVERIFY(!Readout(window, 0).contains(QStringLiteral("⇒")));
    QCOMPARE(ScaleIcon(window, control::kSignatureScale), Icon(108));
  }

  void cancelTouchesNothing() {
    TestSettings settings;
    settings.WriteIni("[Quorel]\nrate2_type=7\nrate2_h=5\n");
    MainWindow window(settings.Folder(), 14);
    const QByteArray before = test::ReadAll(settings.FilePath(QStringLiteral("wq.ini")));
    const ScaleSettings panel_before = window.Panel(1).scale;
    bool ratio_checked = false;
    WhenOpen([&](ScaleDialog& dialog) {
      ratio_checked = dialog.ModeButton(3)->isChecked();  // 7 was read as 3
      QTest::mouseClick(dialog.ModeButton(1), Qt::LeftButton);
      dialog.HeightEdit()->setText(QStringLiteral("100"));
      dialog.reject();
    });
    test::Click(window.Control(control::kSealScale));
    QVERIFY(ratio_checked);
    QCOMPARE(window.Panel(1).scale, panel_before);
    QCOMPARE(test::ReadAll(settings.FilePath(QStringLiteral("wq.ini"))), before);
  }

  void newPictureResetsTheModeAndTheSuffix() {
    TestSettings settings;
    settings.PutSample(1, QStringLiteral("seal.bmp"));
    settings.WriteIni("[Quorel]\nrate2_type=3\nrate2_v=50\n");
    MainWindow window(settings.Folder(), 14);
    QVERIFY(Readout(window, 1).contains(QStringLiteral("⇒32x32")));
    QCOMPARE(ScaleIcon(window, control::kSealScale), Icon(109));
    window.ImportIntoPanel(1, test::SamplePath(QStringLiteral("seal.bmp")));
    QCOMPARE(window.Panel(1).scale.mode, 0);
    QCOMPARE(window.Panel(1).scale.ratio, 50);  // the numbers stay
    QVERIFY(!Readout(window, 1).contains(QStringLiteral("⇒")));
    QCOMPARE(ScaleIcon(window, control::kSealScale), Icon(108));
    QCOMPARE(settings.Store().ReadInt("rate2_type", -1), 0);
  }

  void closingTheMainWindowEndsTheDialog() {
    TestSettings settings;
    MainWindow window(settings.Folder(), 14);
    window.show();
    WhenOpen([&](ScaleDialog&) { window.reject(); });
    test::Click(window.Control(control::kSignatureScale));
    QVERIFY(OpenDialog() == nullptr);
    QCOMPARE(settings.Store().ReadInt("rate_type", -1), -1);
  }
};

}  // namespace quorel

QTEST_MAIN(quorel::ScaleDialogTest)
#include "ScaleDialogTest.moc"
