// Quorel — SPDX-License-Identifier: MIT
// The hint window over the main window, driven tick by tick with a scripted
// clock and cursor: timing, hit test, placement and measurement.
#include <QFontMetrics>
#include <QTest>

#include "FakeHintEnvironment.h"
#include "GuiTestSupport.h"
#include "app/ControlIds.h"
#include "app/MainWindow.h"
#include "app/hint/HintController.h"
#include "app/hint/HintLayout.h"
#include "app/hint/HintWindow.h"

namespace quorel {

using test::FakeHintEnvironment;
using test::TestSettings;

class HintWindowTest : public QObject {
  Q_OBJECT

 private:
  struct Rig {
    TestSettings settings;
    FakeHintEnvironment* env = nullptr;
    std::unique_ptr<MainWindow> window;

    Rig() {
      auto fake = std::make_unique<FakeHintEnvironment>();
      env = fake.get();
      window = std::make_unique<MainWindow>(settings.Folder(), 14, nullptr, std::move(fake));
      window->move(100, 100);
      window->show();
      window->Hints().Timer().stop();  // the test ticks by hand
      env->widget_at = window.get();
    }
    HintController& Hints() { return window->Hints(); }
    QRect ControlOnScreen(int id) const {
      QWidget* control = window->Control(id);
      return QRect(control->mapToGlobal(QPoint(0, 0)), control->size());
    }
    void MoveTo(int id, QPoint offset = QPoint()) {
      env->cursor = ControlOnScreen(id).center() + offset;
    }
    // Ticks every 100 ms up to and including `until_ms`.
    void TickUntil(uint32_t until_ms) {
      while (env->now_ms + 100 <= until_ms) {
        env->now_ms += 100;
        Hints().HintTimerTick();
      }
    }
    void Tick() {
      env->now_ms += 100;
      Hints().HintTimerTick();
    }
    void Ticks(int count) {
      for (int i = 0; i < count; ++i) Tick();
    }
    int CurrentId() {
      const int current = Hints().CurrentEntry();
      return current < 0 ? 0 : Hints().Entries()[static_cast<size_t>(current)].control_id;
    }
  };

 private slots:
  void tableHoldsTheEighteenHints() {
    QCOMPARE(kHintTable.size(), size_t{18});
    QCOMPARE(kHintTable[0].control_id, 1017);
    QCOMPARE(kHintTable[7].text, std::string_view("変換したデータをテキストファイル\".txt\"に出力する"));
    QCOMPARE(kHintTable[4].text, std::string_view("印影名画像の幅と高さ、拡大率を表示する"));
    for (const HintText& hint : kHintTable) {
      QVERIFY(hint.control_id != control::kSettings && hint.control_id != control::kHelp);
    }
    Rig rig;
    for (const HintEntry& entry : rig.Hints().Entries()) {
      QVERIFY2(entry.control != nullptr, qPrintable(QString::number(entry.control_id)));
      QCOMPARE(entry.rect, rig.window->Control(entry.control_id)->geometry());
    }
  }

  void restOfOnePointTwoSecondsShowsTheHintBelow() {
    Rig rig;
    rig.MoveTo(control::kCopy);
    rig.Tick();  // the cursor arrived: the wait starts now (t = 100)
    rig.TickUntil(1200);
    QCOMPARE(rig.Hints().CurrentEntry(), -1);  // 1.1 s of rest
    rig.Tick();                                // 1.2 s
    QCOMPARE(rig.CurrentId(), control::kCopy);
    const HintWindow* hint = rig.Hints().Window();
    QVERIFY(hint && hint->isVisible());
    const QRect control = rig.ControlOnScreen(control::kCopy);
    const QRect shown = hint->geometry();
    QCOMPARE(shown.x(), control.x() + control.width() / 2 - shown.width() / 2);
    QCOMPARE(shown.y(), control.y() + control.height() / 2 * 2 + 6);
    QCOMPARE(shown.height(), hint->Lines().line_height + 6);
  }

  void jitterOfTwoPixelsKeepsWaitingThreeRestarts() {
    Rig rig;
    rig.MoveTo(control::kSaveText);
    rig.Tick();
    rig.TickUntil(700);
    rig.MoveTo(control::kSaveText, QPoint(2, -2));
    rig.TickUntil(1300);
    QCOMPARE(rig.CurrentId(), control::kSaveText);

    Rig other;
    other.MoveTo(control::kSaveText);
    other.Tick();
    other.TickUntil(700);
    other.MoveTo(control::kSaveText, QPoint(3, 0));
    other.TickUntil(1300);
    QCOMPARE(other.Hints().CurrentEntry(), -1);
    other.TickUntil(2000);  // 1.2 s after the move at 800
    QCOMPARE(other.CurrentId(), control::kSaveText);
  }

  void movingOntoAnotherControlReplacesTheHintAtOnce() {
    Rig rig;
    rig.MoveTo(control::kSignaturePicture);
    rig.Tick();
    rig.TickUntil(1300);
    QCOMPARE(rig.CurrentId(), control::kSignaturePicture);
    QCOMPARE(rig.Hints().Window()->Lines().lines.size(), size_t{3});
    rig.MoveTo(control::kSignatureReadout);
    rig.Tick();
    QCOMPARE(rig.CurrentId(), control::kSignatureReadout);
    // Off every control: hidden on the same tick, and a new wait begins.
    rig.env->cursor = rig.window->mapToGlobal(QPoint(2, rig.window->height() - 2));
    rig.Tick();
    QCOMPARE(rig.Hints().CurrentEntry(), -1);
    QVERIFY(rig.Hints().Window() == nullptr);
  }

  void pressedButtonHidesAndRestartsTheWait() {
    Rig rig;
    rig.MoveTo(control::kPreview);
    rig.Tick();
    rig.TickUntil(1300);
    QCOMPARE(rig.CurrentId(), control::kPreview);
    rig.env->button_down = true;
    rig.Tick();
    QCOMPARE(rig.Hints().CurrentEntry(), -1);
    rig.env->button_down = false;
    const uint32_t released = rig.env->now_ms;
    rig.TickUntil(released + 1100);
    QCOMPARE(rig.Hints().CurrentEntry(), -1);
    rig.TickUntil(released + 1200);
    QCOMPARE(rig.CurrentId(), control::kPreview);
  }

  void noHintWhileDisabledOrOverHelpOrWhenCovered() {
    Rig rig;
    rig.Hints().SetHintsEnabled(false);
    rig.MoveTo(control::kCopy);
    rig.TickUntil(3000);
    QCOMPARE(rig.Hints().CurrentEntry(), -1);
    rig.Hints().SetHintsEnabled(true);

    rig.MoveTo(control::kHelp);
    rig.TickUntil(6000);
    QCOMPARE(rig.Hints().CurrentEntry(), -1);

    QWidget cover;  // some other window lies over the control
    rig.env->widget_at = &cover;
    rig.MoveTo(control::kCopy);
    rig.TickUntil(9000);
    QCOMPARE(rig.Hints().CurrentEntry(), -1);
  }

  void tickCountWrapDoesNotShowEarly() {
    Rig rig;
    rig.env->now_ms = 0xFFFFFF00u;
    rig.MoveTo(control::kCopy);
    rig.Tick();       // the wait starts just before the wrap
    rig.Ticks(11);    // 1.1 s, past zero
    QCOMPARE(rig.Hints().CurrentEntry(), -1);
    rig.Tick();
    QCOMPARE(rig.CurrentId(), control::kCopy);
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
    QFETCH(QPoint, expected);
    QCOMPARE(PlaceHint(control, size, QRect(0, 0, 1024, 768), 6), expected);
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
    if (lines == 3) QCOMPARE(measured.lines[1].width, 0);
    if (lines > 0) {
      QCOMPARE(measured.WindowSize(3).height(), lines * metrics.height() + 6);
    } else {
      QVERIFY(measured.Empty());
    }
  }

  void hintIsDrawnInItsColours() {
    HintLines lines = MeasureHint(QStringLiteral("左端に配置する"),
                                  QFontMetrics(HintFont(ToolHintInfo())), 40);
    HintWindow window(lines, ToolHintInfo(), nullptr);
    const QImage image = window.grab().toImage();
    QCOMPARE(image.size(), lines.WindowSize(3));
    QCOMPARE(image.pixelColor(0, 0), QColor(0, 0, 0));           // frame
    QCOMPARE(image.pixelColor(1, 1), QColor(255, 255, 128));     // fill
    bool has_text = false;
    for (int x = 3; x < image.width() - 3 && !has_text; ++x) {
      for (int y = 3; y < image.height() - 3; ++y) {
        if (image.pixelColor(x, y) != QColor(255, 255, 128)) has_text = true;
      }
    }
    QVERIFY(has_text);
  }
};

}  // namespace quorel

QTEST_MAIN(quorel::HintWindowTest)
#include "HintWindowTest.moc"
