// Quorel — SPDX-License-Identifier: MIT
// The exchange with the sibling program, played by the test sibling:
// registration, the "a picture waits" notification with its popup menu and
// dismiss guard, and the withdrawal when the window ends.
#include <QLocalSocket>
#include <QTemporaryDir>
#include <QTest>

#include "FakeHintEnvironment.h"
#include "GuiTestSupport.h"
#include "TestSibling.h"
#include "app/MainWindow.h"
#include "app/hint/HintController.h"
#include "app/NotifyDismissGuard.h"
#include "app/platform/PopupMenu.h"
#include "app/platform/SiblingLink.h"

namespace quorel {

using test::FakeHintEnvironment;
using test::TestSettings;
using test::TestSibling;

class SiblingLinkTest : public QObject {
  Q_OBJECT

 private:
  // Local socket names live in the temporary folder: give the tests their own.
  QTemporaryDir socket_dir_;

  struct Rig {
    TestSettings settings;
    TestSibling sibling;
    FakeHintEnvironment* env = nullptr;
    std::unique_ptr<MainWindow> window;

    Rig() {
      auto fake = std::make_unique<FakeHintEnvironment>();
      env = fake.get();
      window = std::make_unique<MainWindow>(settings.Folder(), 14, nullptr, std::move(fake));
      window->Hints().Timer().stop();
    }
    // Sends one notification and lets the window handle it; true when the
    // menu was shown for it.
    bool Notify(uint32_t at_ms) {
      env->now_ms = at_ms;
      const int shown = PictureMenu::TimesShown();
      const bool was_armed = window->Guard().Armed();
      if (!TestSibling::Notify(window->Sibling().OwnName())) return false;
      // Handled once the menu ran, or the armed guard disarmed itself.
      if (!QTest::qWaitFor([&] {
            return PictureMenu::TimesShown() > shown || (was_armed && !window->Guard().Armed());
          })) {
        return false;
      }
      return PictureMenu::TimesShown() > shown;
    }
  };

 private slots:
  void initTestCase() { qputenv("TMPDIR", QFile::encodeName(socket_dir_.path())); }

  void registersAtStartAndWithdrawsAtTheEnd() {
    Rig rig;
    const QString own = rig.window->Sibling().OwnName();
    QVERIFY(rig.window->Sibling().Listening());
    QTRY_COMPARE(rig.sibling.RegisteredName(), own);
    QCOMPARE(rig.sibling.Lines().front(), "1103 " + own.toUtf8() + " 1098");
    rig.window->reject();
    QTRY_COMPARE(rig.sibling.Lines().size(), size_t{2});
    QCOMPARE(rig.sibling.Lines().back(), "1103 " + own.toUtf8() + " 0");
  }

  void withoutASiblingNothingIsSent() {
    SiblingLink link(QStringLiteral("quorel-test-alone"), QStringLiteral("no sibling here"));
    QVERIFY(!link.RegisterWithSibling());
    QVERIFY(!link.UnregisterFromSibling());
  }

  void notificationImportsTheTransferFileIntoTheChosenPanel() {
    Rig rig;
    QFile::copy(test::SamplePath(QStringLiteral("seal.bmp")),
                rig.settings.FilePath(QStringLiteral("$image.bmp")));
    PictureMenu::SetNextOutcome(PictureMenuOutcome{PictureMenuChoice::kSeal, false});
    QVERIFY(rig.Notify(0));
    QVERIFY(rig.window->Panel(1).picture.has_value());
    QCOMPARE(rig.window->Panel(1).picture->Width(), 64);
    QVERIFY(!rig.window->Panel(0).picture.has_value());
  }

  void pickingAPanelWithoutATransferFileEmptiesIt() {
    Rig rig;
    rig.window->ImportIntoPanel(0, test::SamplePath(QStringLiteral("signature.bmp")));
    QVERIFY(rig.window->Panel(0).picture.has_value());
    PictureMenu::SetNextOutcome(PictureMenuOutcome{PictureMenuChoice::kSignature, false});
    QVERIFY(rig.Notify(0));
    QVERIFY(!rig.window->Panel(0).picture.has_value());
  }

  void menuDismissedByAClickDropsTheNextNotificationWithinASecond() {
    Rig rig;
    PictureMenu::SetNextOutcome(PictureMenuOutcome{PictureMenuChoice::kClose, true});
    QVERIFY(rig.Notify(10000));
    QVERIFY(rig.window->Guard().Armed());
    QVERIFY(!rig.Notify(10500));  // dropped, and the guard is disarmed
    QVERIFY(!rig.window->Guard().Armed());
    PictureMenu::SetNextOutcome(PictureMenuOutcome{PictureMenuChoice::kClose, false});
    QVERIFY(rig.Notify(10600));  // however soon: shown again
  }

  void menuDismissedByAClickAllowsANotificationTwoSecondsLater() {
    Rig rig;
    PictureMenu::SetNextOutcome(PictureMenuOutcome{PictureMenuChoice::kClose, true});
    QVERIFY(rig.Notify(10000));
    PictureMenu::SetNextOutcome(PictureMenuOutcome{PictureMenuChoice::kClose, false});
    QVERIFY(rig.Notify(12000));
  }

  void menuClosedWithEscDoesNotArmTheGuard() {
    Rig rig;
    PictureMenu::SetNextOutcome(PictureMenuOutcome{PictureMenuChoice::kClose, false});
    QVERIFY(rig.Notify(10000));
    QVERIFY(!rig.window->Guard().Armed());
    PictureMenu::SetNextOutcome(PictureMenuOutcome{PictureMenuChoice::kClose, false});
    QVERIFY(rig.Notify(10001));
  }

  void otherLinesAreIgnored() {
    Rig rig;
    const int shown = PictureMenu::TimesShown();
    QLocalSocket socket;
    socket.connectToServer(rig.window->Sibling().OwnName());
    QVERIFY(socket.waitForConnected(5000));
    socket.write("1099\nhello\n" + QByteArray(200, 'x'));
    QVERIFY(socket.waitForBytesWritten(5000));
    QTRY_VERIFY(socket.state() == QLocalSocket::UnconnectedState ||
                socket.bytesToWrite() == 0);
    QCoreApplication::processEvents();
    QCOMPARE(PictureMenu::TimesShown(), shown);
  }

  void guardWindowIsOneSecondAcrossTheWrap() {
    NotifyDismissGuard guard;
    QVERIFY(!guard.Drop(5));
    guard.Arm(0xFFFFFE00u);
    QVERIFY(guard.Drop(0x100u));  // 0x300 ms later, past the wrap
    guard.Arm(0xFFFFFE00u);
    QVERIFY(!guard.Drop(0x200u + 1000));
  }
};

}  // namespace quorel

QTEST_MAIN(quorel::SiblingLinkTest)
#include "SiblingLinkTest.moc"
