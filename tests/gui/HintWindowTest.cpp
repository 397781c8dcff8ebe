// Quorel — SPDX-License-Identifier: MIT
// The hint window over the main window, driven tick by tick with a scripted
// clock and cursor: timing, hit test and placement below the control.

#include "GuiTestSupport.h"
#include "app/hint/HintWindow.h"

namespace quorel::test {

namespace {

struct Rig {
  Rig() {
    window.move(100, 100);
    window.show();
    env->widget_at = &window;
  }
  TestWindow window{14, {}, {}, true};
  FakeHintEnvironment* env = window.env;
  HintController& Hints() { return window.Hints(); }
  QRect ControlOnScreen(int id) const {
    QWidget* control = window.Control(id);
    return QRect(control->mapToGlobal(QPoint(0, 0)), control->size());
  }
  void MoveTo(int id, QPoint offset = QPoint()) { env->cursor = ControlOnScreen(id).center() + offset; }
  // Ticks every 100 ms up to and including `until_ms`.
  void TickUntil(uint32_t until_ms) {
    while (env->now_ms != until_ms) {
      env->now_ms += 100;
      Hints().HintTimerTick();
    }
  }
  int CurrentId() {
    const int current = Hints().CurrentEntry();
    return current < 0 ? 0 : Hints().Entries()[static_cast<size_t>(current)].control_id;
  }
};

}  // namespace

class HintWindowTest : public QObject {
  Q_OBJECT

 private slots:
  // The wait starts on the tick that sees the cursor arrive; 1.2 s of rest
  // then show the hint below the control, also across the tick count's wrap.
  void restOfOnePointTwoSecondsShowsTheHintBelow() {
    for (const uint32_t start : {0u, 0xFFFFFF00u}) {
      Rig rig;
      rig.env->now_ms = start;
      rig.MoveTo(control::kCopy);
      rig.TickUntil(start + 1200);
      QCOMPARE(rig.Hints().CurrentEntry(), -1);
      rig.TickUntil(start + 1300);
      QCOMPARE(rig.CurrentId(), control::kCopy);
      const HintWindow* hint = rig.Hints().Window();
      QVERIFY(hint && hint->isVisible());
      const QRect control = rig.ControlOnScreen(control::kCopy);
      const QRect shown = hint->geometry();
      QCOMPARE(shown.x(), control.x() + control.width() / 2 - shown.width() / 2);
      QCOMPARE(shown.y(), control.y() + control.height() / 2 * 2 + 6);
      QCOMPARE(shown.height(), hint->Lines().line_height + 6);
    }
  }
  // Moving two pixels keeps the wait; three restart it.
  void jitterRestartsTheWaitFromThreePixels() {
    for (const auto& [offset, shown_at] : {std::pair{QPoint(2, -2), 1300u}, {QPoint(3, 0), 2000u}}) {
      Rig rig;
      rig.MoveTo(control::kSaveText);
      rig.TickUntil(700);
      rig.MoveTo(control::kSaveText, offset);  // seen at 800
      rig.TickUntil(shown_at - 100);
      QCOMPARE(rig.Hints().CurrentEntry(), -1);
      rig.TickUntil(shown_at);
      QCOMPARE(rig.CurrentId(), control::kSaveText);
    }
  }
  // Another control replaces the hint at once; off every control or with a
  // button pressed it hides on the same tick, and the wait starts again.
  void movingOrPressingReplacesOrHidesTheHint() {
    Rig rig;
    rig.MoveTo(control::kSignaturePicture);
    rig.TickUntil(1300);
    QCOMPARE(rig.Hints().Window()->Lines().lines.size(), size_t{3});
    rig.MoveTo(control::kSignatureReadout);
    rig.TickUntil(1400);
    QCOMPARE(rig.CurrentId(), control::kSignatureReadout);
    rig.env->button_down = true;
    rig.TickUntil(1500);
    QVERIFY(rig.Hints().Window() == nullptr);
    rig.env->button_down = false;
    rig.TickUntil(2700);  // 1.2 s from the first tick without the button
    QCOMPARE(rig.Hints().CurrentEntry(), -1);
    rig.TickUntil(2800);
    QCOMPARE(rig.CurrentId(), control::kSignatureReadout);
    rig.env->cursor = rig.window.mapToGlobal(QPoint(2, rig.window.height() - 2));
    rig.TickUntil(2900);
    QVERIFY(rig.Hints().Window() == nullptr);
  }
};

}  // namespace quorel::test

QTEST_MAIN(quorel::test::HintWindowTest)
#include "HintWindowTest.moc"
