// Quorel — SPDX-License-Identifier: MIT
// The exchange with the sibling program, played by a stand-in: registration,
// withdrawal, and the "a picture waits" notification with its menu.
#include <QLocalServer>
#include <QLocalSocket>
#include <QMenu>

#include "GuiTestSupport.h"
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
  TestSibling sibling;
  TestWindow window{14, {}, {}, true};
};

}  // namespace

class SiblingLinkTest : public QObject {
  Q_OBJECT

 private:
  // Local socket names live in the temporary folder: give the tests their own.
  QTemporaryDir socket_dir_;

 private slots:
  void initTestCase() { qputenv("TMPDIR", QFile::encodeName(socket_dir_.path())); }

  void registersAtStartAndWithdrawsAtTheEnd() {
    Rig rig;
    const QByteArray own = rig.window.Sibling().OwnName().toUtf8();
    QTRY_COMPARE(rig.sibling.lines.size(), size_t{1});
    QCOMPARE(rig.sibling.lines.front(), "1103 " + own + " 1098");
    rig.window.reject();
    QTRY_COMPARE(rig.sibling.lines.size(), size_t{2});
    QCOMPARE(rig.sibling.lines.back(), "1103 " + own + " 0");
  }
  // The seal is chosen while a file waits; the signature is chosen when no
  // file waits, and a failed import empties its panel.
  void notificationImportsTheTransferFileIntoTheChosenPanel() {
    for (const int panel : {1, 0}) {
      Rig rig;
      rig.window.ImportIntoPanel(0, SamplePath("signature.bmp"));
      if (panel == 1) QFile::copy(SamplePath("seal.bmp"), rig.window.settings.FilePath("$image.bmp"));
      PictureMenu::SetNextOutcome(PictureMenuOutcome{
          panel == 0 ? PictureMenuChoice::kSignature : PictureMenuChoice::kSeal, false});
      const int shown = PictureMenu::TimesShown();
      QVERIFY(Send(rig.window.Sibling().OwnName(), "1098\n"));
      QTRY_VERIFY(PictureMenu::TimesShown() > shown);
      QCOMPARE(rig.window.Panel(0).picture.has_value(), panel == 1);
      QCOMPARE(rig.window.Panel(1).picture.has_value(), panel == 1);
    }
  }
  // After a menu dismissed by a click outside, the next notification within
  // a second is dropped, across the tick count's wrap too; only one is.
  void dismissGuardDropsOneNotificationWithinASecond() {
    struct Case { uint32_t at_ms, next_ms; bool dropped; };
    for (const Case& c : {Case{10000, 10500, true}, Case{10000, 12000, false},
                          Case{0xFFFFFE00u, 0x100, true}}) {
      NotifyDismissGuard guard;
      guard.Arm(c.at_ms);
      QCOMPARE(guard.Drop(c.next_ms), c.dropped);
      QVERIFY(!guard.Drop(c.next_ms + 100));
    }
  }
  // The real menu: a press outside it (never released, as Qt may believe
  // after a click outside) and then Esc on the next menu. The press goes
  // through the window system, so Qt's idea of the held buttons follows it.
  void realMenuTellsAClickOutsideFromEsc() {
    Rig rig;
    rig.window.show();
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

QTEST_MAIN(quorel::test::SiblingLinkTest)
#include "SiblingLinkTest.moc"
