// Quorel — SPDX-License-Identifier: MIT
// The exchange with the sibling program, played by a stand-in: registration,
// the "a picture waits" notification with its menu and dismiss guard, and the
// withdrawal when the window ends.
#include <QLocalSocket>
#include <QMenu>
#include <QTest>

#include "GuiTestSupport.h"
#include "app/platform/PopupMenu.h"
#include "app/platform/SiblingLink.h"

namespace quorel {

using namespace test;

namespace {

// The sibling is there before the window starts.
struct Rig {
  TestSibling sibling;
  TestWindow window{14, {}, {}, true};

  // Sends one notification at `at_ms` and lets the window handle it; true
  // when the menu was shown for it.
  bool Notify(uint32_t at_ms) {
    window.env->now_ms = at_ms;
    const int shown = PictureMenu::TimesShown();
    const bool was_armed = window.Guard().Armed();
    if (!TestSibling::Notify(window.Sibling().OwnName())) return false;
    // Handled once the menu ran, or the armed guard disarmed itself.
    return QTest::qWaitFor([&] {
             return PictureMenu::TimesShown() > shown || (was_armed && !window.Guard().Armed());
           }) &&
           PictureMenu::TimesShown() > shown;
  }
};

PictureMenuOutcome Closed(bool by_click) { return {PictureMenuChoice::kClose, by_click}; }

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
    QTRY_COMPARE(rig.sibling.Lines().size(), size_t{1});
    QCOMPARE(rig.sibling.Lines().front(), "1103 " + own + " 1098");
    rig.window.reject();
    QTRY_COMPARE(rig.sibling.Lines().size(), size_t{2});
    QCOMPARE(rig.sibling.Lines().back(), "1103 " + own + " 0");
    SiblingLink alone(QStringLiteral("quorel-test-alone"), QStringLiteral("no sibling here"));
    QVERIFY(!alone.RegisterWithSibling());
  }

  void notificationImportsTheTransferFileIntoTheChosenPanel_data() {
    QTest::addColumn<bool>("transfer_file");
    QTest::addColumn<int>("panel");
    QTest::newRow("seal, a file waits") << true << 1;
    QTest::newRow("signature, no file: emptied") << false << 0;
  }
  void notificationImportsTheTransferFileIntoTheChosenPanel() {
    QFETCH(bool, transfer_file);
    QFETCH(int, panel);
    Rig rig;
    rig.window.ImportIntoPanel(0, SamplePath(QStringLiteral("signature.bmp")));
    if (transfer_file) {
      QFile::copy(SamplePath(QStringLiteral("seal.bmp")),
                  rig.window.settings.FilePath(QStringLiteral("$image.bmp")));
    }
    const bool other_before = rig.window.Panel(1 - panel).picture.has_value();
    PictureMenu::SetNextOutcome(PictureMenuOutcome{
        panel == 0 ? PictureMenuChoice::kSignature : PictureMenuChoice::kSeal, false});
    QVERIFY(rig.Notify(0));
    QCOMPARE(rig.window.Panel(panel).picture.has_value(), transfer_file);
    if (transfer_file) QCOMPARE(rig.window.Panel(panel).picture->Width(), 64);
    QCOMPARE(rig.window.Panel(1 - panel).picture.has_value(), other_before);
  }

  void menuDismissedByAClickDropsTheNextNotificationWithinASecond_data() {
    QTest::addColumn<bool>("by_click");  // how the first menu ended
    QTest::addColumn<uint32_t>("first_ms");
    QTest::addColumn<uint32_t>("next_ms");
    QTest::addColumn<bool>("shown");
    QTest::newRow("click, half a second later: dropped") << true << 10000u << 10500u << false;
    QTest::newRow("click, two seconds later") << true << 10000u << 12000u << true;
    QTest::newRow("Esc, at once") << false << 10000u << 10001u << true;
    QTest::newRow("click, across the tick count's wrap: dropped")
        << true << 0xFFFFFE00u << 0x100u << false;
  }
  void menuDismissedByAClickDropsTheNextNotificationWithinASecond() {
    QFETCH(bool, by_click);
    QFETCH(uint32_t, first_ms);
    QFETCH(uint32_t, next_ms);
    Rig rig;
    PictureMenu::SetNextOutcome(Closed(by_click));
    QVERIFY(rig.Notify(first_ms));
    QCOMPARE(rig.window.Guard().Armed(), by_click);
    PictureMenu::SetNextOutcome(Closed(false));
    QTEST(rig.Notify(next_ms), "shown");
    QVERIFY(!rig.window.Guard().Armed());  // one notification is dropped at most
    PictureMenu::SetNextOutcome(Closed(false));
    QVERIFY(rig.Notify(next_ms + 100));
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

  void otherLinesAreIgnored() {
    Rig rig;
    const int shown = PictureMenu::TimesShown();
    QLocalSocket socket;
    socket.connectToServer(rig.window.Sibling().OwnName());
    QVERIFY(socket.waitForConnected(5000));
    socket.write("1099\nhello\n" + QByteArray(200, 'x'));
    QVERIFY(socket.waitForBytesWritten(5000));
    QTest::qWait(50);
    QCOMPARE(PictureMenu::TimesShown(), shown);
  }
};

}  // namespace quorel

QTEST_MAIN(quorel::SiblingLinkTest)
#include "SiblingLinkTest.moc"
