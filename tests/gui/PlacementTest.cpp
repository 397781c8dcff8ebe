// Quorel — SPDX-License-Identifier: MIT
// Window placement, the text-output name forcing, dialog units and the file
// dialogs' starting names: the small services every window relies on.
#include <QCoreApplication>
#include <QTemporaryDir>
#include <QTest>

#include "app/DialogUnits.h"
#include "app/platform/FileDialogs.h"
#include "app/platform/Placement.h"

namespace quorel {

class PlacementTest : public QObject {
  Q_OBJECT

 private slots:
  void centreOnCursor_data() {
    QTest::addColumn<QSize>("size");
    QTest::addColumn<QPoint>("cursor");
    QTest::addColumn<QRect>("monitor");
    QTest::addColumn<QPoint>("expected");
    const QRect screen(0, 0, 1024, 768);
    QTest::newRow("odd size halves truncate")
        << QSize(201, 101) << QPoint(500, 400) << screen << QPoint(400, 350);
    QTest::newRow("near right edge")
        << QSize(200, 100) << QPoint(1000, 400) << screen << QPoint(824, 350);
    QTest::newRow("near top-left") << QSize(200, 100) << QPoint(10, 5) << screen << QPoint(0, 0);
    QTest::newRow("wider than the monitor starts at its left edge")
        << QSize(2000, 100) << QPoint(500, 400) << screen << QPoint(0, 350);
    QTest::newRow("taller than the monitor ends on its bottom edge")
        << QSize(200, 1000) << QPoint(500, 400) << screen << QPoint(400, -232);
    QTest::newRow("secondary monitor")
        << QSize(200, 100) << QPoint(1100, 50) << QRect(1024, 0, 800, 600) << QPoint(1024, 0);
  }
  void centreOnCursor() {
    QFETCH(QSize, size);
    QFETCH(QPoint, cursor);
    QFETCH(QRect, monitor);
    QTEST(CentreOnCursor(size, cursor, monitor), "expected");
  }

  void fitIntoMonitor_data() {
    QTest::addColumn<QPoint>("saved");
    QTest::addColumn<QSize>("size");
    QTest::addColumn<QPoint>("expected");
    QTest::newRow("inside stays") << QPoint(100, 100) << QSize(300, 200) << QPoint(100, 100);
    QTest::newRow("partly outside right and bottom")
        << QPoint(900, 700) << QSize(300, 200) << QPoint(724, 568);
    QTest::newRow("partly outside left and top")
        << QPoint(-50, -20) << QSize(300, 200) << QPoint(0, 0);
    QTest::newRow("wider than the monitor") << QPoint(500, 10) << QSize(1500, 200) << QPoint(0, 10);
    QTest::newRow("taller than the monitor ends at its top")
        << QPoint(10, 500) << QSize(300, 900) << QPoint(10, 0);
  }
  void fitIntoMonitor() {
    QFETCH(QPoint, saved);
    QFETCH(QSize, size);
    QTEST(FitIntoMonitor(saved, size, QRect(0, 0, 1024, 768)), "expected");
  }

  void monitorRectOfFallsBackToPrimary() {
    // Far away from every screen: the primary monitor's rectangle.
    const QRect far(100000, 100000, 10, 10);
    QVERIFY(!MonitorRectOf(far).isEmpty());
    QCOMPARE(MonitorRectOf(far), MonitorRectOf(QRect(0, 0, 10, 10)));
  }

  void forceTxtExtension_data() {
    QTest::addColumn<QString>("chosen");
    QTest::addColumn<QString>("expected");
    QTest::newRow("html") << "/home/u/report.html" << "/home/u/report.txt";
    QTest::newRow("no extension") << "/home/u/report" << "/home/u/report.txt";
    QTest::newRow("last dot wins") << "/home/u/a.b.c" << "/home/u/a.b.txt";
    QTest::newRow("dot in folder only") << "/home/u.v/report" << "/home/u.v/report.txt";
    QTest::newRow("already txt") << "/tmp/無題.txt" << "/tmp/無題.txt";
    QTest::newRow("trailing dot") << "/tmp/x." << "/tmp/x.txt";
    QTest::newRow("no folder: refused") << "x.html" << "<none>";
  }
  void forceTxtExtension() {
    QFETCH(QString, chosen);
    QTEST(ForceTxtExtension(chosen).value_or(QStringLiteral("<none>")), "expected");
  }

  void openDialog_data() {
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("answer");  // empty: cancelled
    QTest::addColumn<QString>("chosen");  // the path afterwards; empty: refused
    QTest::addColumn<QString>("start");   // where the dialog started; empty: not shown
    const QString self = QCoreApplication::applicationFilePath();
    const QString untitled = PictureFolder() + QStringLiteral("/無題");
    QTest::newRow("cancelled") << "" << "" << "" << untitled;
    QTest::newRow("folder: untitled in it") << "/tmp/" << self << self << "/tmp/無題";
    QTest::newRow("a name without a folder") << "no-folder-here" << self << "" << "";
    QTest::newRow("vanished file") << "" << "/nonexistent/quorel/picture.bmp" << "" << untitled;
  }
  void openDialog() {
    QFETCH(QString, path);
    QFETCH(QString, answer);
    QFETCH(QString, chosen);
    QFETCH(QString, start);
    const QString before = path;
    FileDialog::SetNextFileName(answer);
    const bool taken = ChooseOpenFile(PictureFilters(), path, nullptr, QStringLiteral("t"));
    FileDialog::ClearNextFileName();
    QCOMPARE(taken, !chosen.isEmpty());
    QCOMPARE(path, taken ? chosen : before);
    if (!start.isEmpty()) QCOMPARE(FileDialog::LastRequest().start_path, start);
  }

  // Every name the import takes is listed, the first entry as it always was.
  void openDialogListsEveryPictureName() {
    const QStringList filters = FileDialog::LastRequest().filter.split(QStringLiteral(";;"));
    QCOMPARE(filters.value(0), QStringLiteral("画像ファイル (*.jpg *.gif *.bmp *.png)"));
    for (const char* name : {"*.jpeg", "*.jpe", "*.jfif", "*.JPG", "*.PNG"}) {
      QVERIFY2(filters.value(1).contains(QLatin1String(name) + QLatin1Char(' ')) ||
                   filters.value(1).endsWith(QLatin1String(name) + QLatin1Char(')')), name);
    }
    QCOMPARE(filters.value(2), QStringLiteral("全ファイル (*)"));
    // No Pictures folder: the home folder.
    const QByteArray home = qgetenv("HOME");
    QTemporaryDir fake_home;
    qputenv("HOME", QFile::encodeName(fake_home.path()));
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(fake_home.path()));
    QCOMPARE(PictureFolder(), fake_home.path());
    qputenv("HOME", home);
  }

  void saveDialogProposesUntitledTxtInAFolder() {
    QString path = QStringLiteral("/tmp/out/");
    FileDialog::SetNextFileName(QString());
    QVERIFY(!ChooseTextOutputFile(path, nullptr));
    QCOMPARE(FileDialog::LastRequest().start_path, QStringLiteral("/tmp/out/無題.txt"));
    QCOMPARE(path, QStringLiteral("/tmp/out/"));  // cancelled: unchanged
  }

  void dialogUnitsTruncate() {
    const DialogUnits units(6, 13);
    QCOMPARE(units.ToPixels(15, 15, 158, 61), QRect(22, 24, 237, 99));
  }
};

}  // namespace quorel

QTEST_MAIN(quorel::PlacementTest)
#include "PlacementTest.moc"
