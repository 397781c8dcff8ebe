// Quorel — SPDX-License-Identifier: MIT
// The hint window over the main window, driven tick by tick with a scripted
// clock and cursor: timing, hit test, placement and measurement.
#include <QFontMetrics>
#include <QTest>

#include "GuiTestSupport.h"
#include "app/ControlIds.h"
#include "app/hint/HintController.h"
#include "app/hint/HintLayout.h"
#include "app/hint/HintTable.h"
#include "app/hint/HintWindow.h"

namespace quorel {

class HintWindowTest : public QObject {
  Q_OBJECT

 private:
  struct Rig {
    Rig() {
      window.move(100, 100);
      window.show();
      env->widget_at = &window;
    }
    test::TestWindow window{14, {}, {}, true};
    test::FakeHintEnvironment* env = window.env;
    HintController& Hints() { return window.Hints(); }
    QRect ControlOnScreen(int id) const {
      QWidget* control = window.Control(id);
      return QRect(control->mapToGlobal(QPoint(0, 0)), control->size());
    }
    void MoveTo(int id, QPoint offset = QPoint()) { env->cursor = ControlOnScreen(id).center() + offset; }
    // One tick every 100 ms.
    void Ticks(int count = 1) {
      for (int i = 0; i < count; ++i) {
        env->now_ms += 100;
        Hints().HintTimerTick();
      }
    }
    // Ticks up to and including `until_ms`.
    void TickUntil(uint32_t until_ms) { Ticks(static_cast<int>((until_ms - env->now_ms) / 100)); }
    int CurrentId() {
      const int current = Hints().CurrentEntry();
      return current < 0 ? 0 : Hints().Entries()[static_cast<size_t>(current)].control_id;
    }
  };

 private slots:
  void everyHintBelongsToAControl() {
    Rig rig;
    QCOMPARE(rig.Hints().Entries().size(), kHintTable.size());
    for (const HintEntry& entry : rig.Hints().Entries()) {
      QVERIFY2(entry.control != nullptr, qPrintable(QString::number(entry.control_id)));
      QCOMPARE(entry.rect, rig.window.Control(entry.control_id)->geometry());
      // The settings and help buttons have no hint.
      QVERIFY(entry.control_id != control::kSettings && entry.control_id != control::kHelp);
    }
  }

  void restOfOnePointTwoSecondsShowsTheHintBelow_data() {
    QTest::addColumn<uint32_t>("start");
    QTest::newRow("from zero") << 0u;
    QTest::newRow("across the tick count's wrap") << 0xFFFFFF00u;
  }
  void restOfOnePointTwoSecondsShowsTheHintBelow() {
    Rig rig;
    QFETCH(uint32_t, start);
    rig.env->now_ms = start;
    rig.MoveTo(control::kCopy);
    rig.Ticks();    // the cursor arrived: the wait starts now
    rig.Ticks(11);  // 1.1 s of rest
    QCOMPARE(rig.Hints().CurrentEntry(), -1);
    rig.Ticks();  // 1.2 s
    QCOMPARE(rig.CurrentId(), control::kCopy);
    const HintWindow* hint = rig.Hints().Window();
    QVERIFY(hint && hint->isVisible());
    const QRect control = rig.ControlOnScreen(control::kCopy);
    const QRect shown = hint->geometry();
    QCOMPARE(shown.x(), control.x() + control.width() / 2 - shown.width() / 2);
    QCOMPARE(shown.y(), control.y() + control.height() / 2 * 2 + 6);
    QCOMPARE(shown.height(), hint->Lines().line_height + 6);
  }

  void jitterRestartsTheWaitFromThreePixels_data() {
    QTest::addColumn<QPoint>("offset");
    QTest::addColumn<uint32_t>("shown_at");
    QTest::newRow("two pixels: keeps waiting") << QPoint(2, -2) << 1300u;
    QTest::newRow("three pixels: 1.2 s after the move") << QPoint(3, 0) << 2000u;
  }
  void jitterRestartsTheWaitFromThreePixels() {
    QFETCH(QPoint, offset);
    QFETCH(uint32_t, shown_at);
    Rig rig;
    rig.MoveTo(control::kSaveText);
    rig.Ticks();  // the wait starts at 100
    rig.TickUntil(700);
    rig.MoveTo(control::kSaveText, offset);  // seen at 800
    rig.TickUntil(shown_at - 100);
    QCOMPARE(rig.Hints().CurrentEntry(), -1);
    rig.Ticks();
    QCOMPARE(rig.CurrentId(), control::kSaveText);
  }

  void movingOntoAnotherControlReplacesTheHintAtOnce() {
    Rig rig;
    rig.MoveTo(control::kSignaturePicture);
    rig.TickUntil(1300);
    QCOMPARE(rig.CurrentId(), control::kSignaturePicture);
    QCOMPARE(rig.Hints().Window()->Lines().lines.size(), size_t{3});
    rig.MoveTo(control::kSignatureReadout);
    rig.Ticks();
    QCOMPARE(rig.CurrentId(), control::kSignatureReadout);
    // Off every control: hidden on the same tick, and a new wait begins.
    rig.env->cursor = rig.window.mapToGlobal(QPoint(2, rig.window.height() - 2));
    rig.Ticks();
    QCOMPARE(rig.Hints().CurrentEntry(), -1);
    QVERIFY(rig.Hints().Window() == nullptr);
  }

  void pressedButtonHidesAndRestartsTheWait() {
    Rig rig;
    rig.MoveTo(control::kPreview);
    rig.TickUntil(1300);
    QCOMPARE(rig.CurrentId(), control::kPreview);
    rig.env->button_down = true;
    rig.Ticks();
    QCOMPARE(rig.Hints().CurrentEntry(), -1);
    rig.env->button_down = false;
    rig.Ticks(11);
    QCOMPARE(rig.Hints().CurrentEntry(), -1);
    rig.Ticks();
    QCOMPARE(rig.CurrentId(), control::kPreview);
  }

  void noHintWhileDisabledOrWhenCovered() {
    Rig rig;
    rig.Hints().SetHintsEnabled(false);
    rig.MoveTo(control::kCopy);
    rig.TickUntil(3000);
    QCOMPARE(rig.Hints().CurrentEntry(), -1);
    rig.Hints().SetHintsEnabled(true);

    QWidget cover;  // some other window lies over the control
    rig.env->widget_at = &cover;
    rig.MoveTo(control::kCopy);
    rig.TickUntil(6000);
    QCOMPARE(rig.Hints().CurrentEntry(), -1);
  }

  void placement_data() {
    QTest::addColumn<QRect>("control");
    QTest::addColumn<QSize>("size");
    QTest::addColumn<QPoint>("expected");
    const QSize hint(100, 20);
    QTest::newRow("below, even height") << QRect(200, 100, 40, 20) << hint << QPoint(170, 126);
    QTest::newRow("below, odd height: 5 pixels")
        << QRect(200, 100, 40, 21) << hint << QPoint(170, 126);
    QTest::newRow("above near the bottom: 6 pixels over the top")
        << QRect(200, 740, 40, 20) << hint << QPoint(170, 714);
    QTest::newRow("right edge") << QRect(1000, 100, 20, 20) << hint << QPoint(924, 126);
    QTest::newRow("wider than the monitor")
        << QRect(10, 100, 20, 20) << QSize(1500, 20) << QPoint(0, 126);
  }
  void placement() {
    QFETCH(QRect, control);
    QFETCH(QSize, size);
    QTEST(PlaceHint(control, size, QRect(0, 0, 1024, 768), 6), "expected");
  }

  void measurement_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("lines");
    QTest::newRow("one") << "a" << 1;
    QTest::newRow("empty line inside counts") << "a\n\nb" << 3;
    QTest::newRow("final line feed adds nothing") << "a\n" << 1;
    QTest::newRow("empty") << "" << 0;
    QTest::newRow("capped at 40") << QString(QStringLiteral("x\n")).repeated(45) << 40;
  }
  void measurement() {
    QFETCH(QString, text);
    QFETCH(int, lines);
    const QFontMetrics metrics(HintFont(ToolHintInfo()));
    const HintLines measured = MeasureHint(text, metrics, 40);
    QCOMPARE(static_cast<int>(measured.lines.size()), lines);
    QCOMPARE(measured.Empty(), lines == 0);
    if (lines == 3) QCOMPARE(measured.lines[1].width, 0);
    if (lines > 0) QCOMPARE(measured.WindowSize(3).height(), lines * metrics.height() + 6);
  }

  void hintIsDrawnInItsColours() {
    HintLines lines = MeasureHint(QStringLiteral("左端に配置する"),
                                  QFontMetrics(HintFont(ToolHintInfo())), 40);
    HintWindow window(lines, ToolHintInfo(), nullptr);
    const QImage image = window.grab().toImage();
    QCOMPARE(image.size(), lines.WindowSize(3));
    QCOMPARE(image.pixelColor(0, 0), QColor(0, 0, 0));        // frame
    QCOMPARE(image.pixelColor(1, 1), QColor(255, 255, 128));  // fill
    const QImage inside = image.copy(image.rect().adjusted(3, 3, -3, -3));
    QImage blank(inside.size(), inside.format());
    blank.fill(QColor(255, 255, 128));
    QVERIFY(inside != blank);  // the text was drawn
  }
};

}  // namespace quorel

QTEST_MAIN(quorel::HintWindowTest)
#include "HintWindowTest.moc"
