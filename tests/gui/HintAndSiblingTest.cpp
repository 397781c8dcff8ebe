// Quorel — SPDX-License-Identifier: MIT
// The main window with a scripted clock and cursor: the hint window, driven
// tick by tick, and the exchange with the sibling program, played by a
// stand-in (registration, withdrawal, the "a picture waits" notification).
#include <QLocalServer>
#include <QLocalSocket>
#include <QMenu>

#include "GuiTestSupport.h"
#include "app/hint/HintWindow.h"
#include "app/platform/PopupMenu.h"
#include "app/platform/SiblingLink.h"

namespace quorel::test {

namespace {

// The sibling program's stand-in: it listens under the sibling's name and
// records every line a program writes to it.
struct TestSibling {
  TestSibling() {
    QLocalServer::removeServer(QString::fromLatin1(kSiblingServerName));
    server.listen(QString::fromLatin1(kSiblingServerName));
    QObject::connect(&server, &QLocalServer::newConnection, &server, [this] {
      while (QLocalSocket* socket = server.nextPendingConnection()) {
        QObject::connect(socket, &QLocalSocket::readyRead, socket, [this, socket] {
          while (socket->canReadLine()) lines.push_back(socket->readLine().chopped(1));
        });
      }
    });
  }
  QLocalServer server;
  std::vector<QByteArray> lines;
};

// Writes one line to the program's server; true when it was delivered.
bool Send(const QString& program_server, const QByteArray& line) {
  QLocalSocket socket;
  socket.connectToServer(program_server);
  return socket.waitForConnected(5000) && socket.write(line) > 0 && socket.waitForBytesWritten(5000);
}

// The sibling is there before the window starts.
struct Rig {
  Rig() {
    window.move(100, 100);
    window.show();
    env->widget_at = &window;
  }
  TestSibling sibling;
  TestWindow window{14, {}, {}, true};
  FakeHintEnvironment* env = window.env;
  HintController& Hints() { return window.Hints(); }
  QRect ControlOnScreen(int id) const {
    QWidget* control = window.Control(id);
    return QRect(control->mapToGlobal(QPoint(0, 0)), control->size());
  }
  // Ticks every 100 ms up to and including `until_ms`.
  void TickUntil(uint32_t until_ms) {
    while (env->now_ms != until_ms) {
      env->now_ms += 100;
      Hints().HintTimerTick();
    }
  }
};

}  // namespace

class HintAndSiblingTest : public QObject {
  Q_OBJECT

 private:
  // Local socket names live in the temporary folder: give the tests their own.
  QTemporaryDir socket_dir_;

 private slots:
  void initTestCase() { qputenv("TMPDIR", QFile::encodeName(socket_dir_.path())); }

  // The wait starts on the tick that sees the cursor arrive; 1.2 s of rest
  // then show the hint below the control, also across the tick count's wrap.
  // Off every control it hides on the same tick.
  void restOfOnePointTwoSecondsShowsTheHintBelow() {
    for (const uint32_t start : {0u, 0xFFFFFF00u}) {
      Rig rig;
      rig.env->now_ms = start;
      const QRect control = rig.ControlOnScreen(control::kCopy);
      rig.env->cursor = control.center();
      rig.TickUntil(start + 1200);
      QCOMPARE(rig.Hints().CurrentEntry(), -1);
      rig.TickUntil(start + 1300);
      const int entry = rig.Hints().CurrentEntry();
      QVERIFY(entry >= 0);
      QCOMPARE(rig.Hints().Entries()[static_cast<size_t>(entry)].control_id, control::kCopy);
      const HintWindow* hint = rig.Hints().Window();
      QVERIFY(hint && hint->isVisible());
      const QRect shown = hint->geometry();
      QCOMPARE(shown.x(), control.x() + control.width() / 2 - shown.width() / 2);
      QCOMPARE(shown.y(), control.y() + control.height() / 2 * 2 + 6);
      QCOMPARE(shown.height(), hint->Lines().line_height + 6);
      rig.env->cursor = rig.window.mapToGlobal(QPoint(2, rig.window.height() - 2));
      rig.TickUntil(start + 1400);
      QVERIFY(rig.Hints().Window() == nullptr);
    }
  }
  // No hint before the mouse has moved since the start, nor while another window of the program shows.
  void noHintBeforeAMoveNorOverAnotherWindow() {
    Rig rig;
    rig.env->cursor = rig.ControlOnScreen(control::kCopy).center();
    rig.Hints().StartHints(rig.window);
    QDialog other;
    for (const int step : {0, 1, 2}) {  // not moved; moved, a dialog shown; the dialog closed
      rig.env->cursor += QPoint(step == 1 ? 5 : 0, 0);
      other.setVisible(step == 1);
      rig.TickUntil(rig.env->now_ms + 1500);
      QCOMPARE(rig.Hints().CurrentEntry() >= 0, step == 2);
    }
  }
  // Registered at the start; a notification imports the waiting file into
  // the panel chosen from the menu; withdrawn at the end.
  void registersImportsAndWithdraws() {
    Rig rig;
    const QByteArray own = rig.window.Sibling().OwnName().toUtf8();
    QTRY_COMPARE(rig.sibling.lines.size(), size_t{1});
    QCOMPARE(rig.sibling.lines.front(), "1103 " + own + " 1098");
    QFile::copy(SamplePath("seal.bmp"), rig.window.settings.FilePath("$image.bmp"));
    PictureMenu::SetNextOutcome(PictureMenuOutcome{PictureMenuChoice::kSeal, false});
    QVERIFY(Send(rig.window.Sibling().OwnName(), "1098\n"));
    QTRY_VERIFY(rig.window.Panel(PanelIndex::kSeal).picture());
    QVERIFY(!rig.window.Panel(PanelIndex::kSignature).picture());
    rig.window.showMinimized();  // a second start's request brings the window forward
    QVERIFY(Send(rig.window.Sibling().OwnName(), "raise\n"));
    QTRY_VERIFY(!rig.window.isMinimized());
    rig.window.reject();
    QTRY_COMPARE(rig.sibling.lines.size(), size_t{2});
    QCOMPARE(rig.sibling.lines.back(), "1103 " + own + " 0");
  }
  // The real menu: a press outside it (never released, as Qt may believe
  // after a click outside) and then Esc on the next menu. The press goes
  // through the window system, so Qt's idea of the held buttons follows it.
  void realMenuTellsAClickOutsideFromEsc() {
    Rig rig;
    std::vector<bool> by_click;
    for (const bool click : {true, false}) {
      QTimer::singleShot(0, [&, click] {
        QMenu* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
        QVERIFY(menu);
        rig.window.OnPicturePushed();  // one arriving meanwhile stacks no second menu
        QCOMPARE(QApplication::activePopupWidget(), menu);
        if (click) {
          QTest::mousePress(menu->windowHandle(), Qt::LeftButton, {}, QPoint(-20, -20));
        } else {
          QTest::keyClick(menu, Qt::Key_Escape);
        }
      });
      const int shown = PictureMenu::TimesShown();
      rig.window.OnPicturePushed();
      QCOMPARE(PictureMenu::TimesShown(), shown + 1);
      by_click.push_back(rig.window.Guard().Armed());
      rig.window.env->now_ms += 5000;  // the next one is let through either way
    }
    QCOMPARE(by_click, (std::vector<bool>{true, false}));
  }
};

}  // namespace quorel::test

QTEST_MAIN(quorel::test::HintAndSiblingTest)
#include "HintAndSiblingTest.moc"
