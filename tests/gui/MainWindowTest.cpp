// Quorel — SPDX-License-Identifier: MIT
// The main window driven headless: settings it opens with, pictures and
// colours from the clipboard, the three outputs, and what it saves on close.
#include <QClipboard>
#include <QGuiApplication>
#include <QImage>
#include <QMimeData>
#include <QProcess>
#include <QScreen>
#include <QTest>

#include "GuiTestSupport.h"
#include "app/ControlIds.h"
#include "app/MainWindow.h"
#include "app/PictureButton.h"
#include "app/platform/Clipboard.h"
#include "app/platform/ColourDialog.h"
#include "app/platform/FileDialogs.h"
#include "image/DibPrimitives.h"
#include "output/Snippet.h"

namespace quorel {

using test::BrowserSpy;
using test::Click;
using test::IsChecked;
using test::MessageLog;
using test::ReadAll;
using test::TestSettings;
using test::TestWindow;

namespace {

QClipboard& Board() { return *QGuiApplication::clipboard(); }

bool BoardHas(const QString& format) {
  const QMimeData* data = Board().mimeData();
  return data && data->hasFormat(format);
}

// The snippet the core builds for the window's present state.
QByteArray ExpectedSnippet(const MainWindow& window) {
  const auto snippet = BuildSnippet(window.State(), window.Folder().Path());
  return QByteArray::fromStdString(snippet ? *snippet : "<none>");
}

}  // namespace

class MainWindowTest : public QObject {
  Q_OBJECT

 private slots:
  void init() {
    Board().clear();
    Clipboard::SetBusyForTest(false);
    FileDialog::ClearNextFileName();
  }

  void opensWithTheStoredFlagsAndColours_data() {
    QTest::addColumn<int>("flags");
    QTest::addColumn<bool>("signature");
    QTest::addColumn<bool>("seal");
    QTest::addColumn<int>("align");
    QTest::newRow("default 14") << 14 << true << true << control::kAlignRight;
    QTest::newRow("1: nothing, left") << 1 << false << false << control::kAlignLeft;
    QTest::newRow("centre") << (1 | 4 | 16) << false << true << control::kAlignCentre;
    QTest::newRow("right wins over centre") << (2 | 8 | 16) << true << false << control::kAlignRight;
  }
  void opensWithTheStoredFlagsAndColours() {
    QFETCH(int, flags);
    QFETCH(int, align);
    const TestWindow window(flags, "[Quorel]\nQuorelColor=33023\nIneiColor=16711680\n");
    QTEST(IsChecked(window, control::kSignatureEnabled), "signature");
    QTEST(IsChecked(window, control::kSealEnabled), "seal");
    for (int id : {control::kAlignLeft, control::kAlignCentre, control::kAlignRight}) {
      QCOMPARE(IsChecked(window, id), id == align);
    }
    QCOMPARE(window.PanelColour(0), 33023u);
    QCOMPARE(window.PanelColour(1), 16711680u);
  }

  void clipboardBitmapIsTakenAndTheClipboardEmptied() {
    TestWindow window;
    // image/bmp: a BMP file whose bytes after the 14-byte header are the DIB.
    auto mime = std::make_unique<QMimeData>();
    mime->setData(QStringLiteral("image/bmp"), ReadAll(test::SamplePath(QStringLiteral("seal.bmp"))));
    Board().setMimeData(mime.release());
    FileDialog::SetNextFileName(QStringLiteral("/must/not/be/asked.bmp"));
    Click(window.Control(control::kSealPicture));
    QCOMPARE(window.Panel(1).picture->Width(), 64);
    QVERIFY(!BoardHas(QStringLiteral("image/bmp")));
    QVERIFY(QFile::exists(window.settings.FilePath(QStringLiteral("$quorel_i.bmp"))));
  }

  void clipboardImageBecomesA24BitPicture() {
    TestWindow window;
    QImage image(40, 20, QImage::Format_ARGB32);
    image.fill(QColor(10, 20, 30));
    image.setPixelColor(0, 0, QColor(255, 0, 0));  // top-left red
    Board().setImage(image);
    Click(window.Control(control::kSignaturePicture));
    const PackedDib& picture = *window.Panel(0).picture;
    QCOMPARE(picture.BitCount(), uint16_t{24});
    QCOMPARE(QSize(picture.Width(), picture.Height()), QSize(40, 20));
    // Top-left pixel is the last stored row's first pixel: blue, green, red.
    const auto top_left = picture.Bytes().subspan(40 + 40 * 3 * 19, 3);
    QCOMPARE(int(top_left[0]), 0);
    QCOMPARE(int(top_left[2]), 255);
    QVERIFY(!BoardHas(QStringLiteral("application/x-qt-image")));
  }

  void failedImportLeavesThePanelEmpty() {
    TestWindow window(14, {}, {0});
    QVERIFY(window.Panel(0).picture.has_value());
    const QString broken = window.settings.FilePath(QStringLiteral("broken.bmp"));
    test::WriteAll(broken, "BMnot a picture");
    FileDialog::SetNextFileName(broken);
    Click(window.Control(control::kSignaturePicture));
    QVERIFY(!window.Panel(0).picture.has_value());
    QVERIFY(test::ControlText(window, control::kSignatureReadout).isEmpty());
  }

  void colourTextOnTheClipboard_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("taken");
    QTest::newRow("six digits") << "ff8000" << true;
    QTest::newRow("upper case") << "FF8000" << true;
    QTest::newRow("number sign") << "#ff8000" << false;
    QTest::newRow("five digits") << "ff800" << false;
    QTest::newRow("trailing blank") << "ff8000 " << false;
    QTest::newRow("not hex") << "ff80g0" << false;
  }
  void colourTextOnTheClipboard() {
    QFETCH(QString, text);
    QFETCH(bool, taken);
    TestWindow window;
    Board().setText(text);
    const int asked_before = ColourDialog::TimesAsked();
    ColourDialog::SetNextAnswer(Colour{0x00123456});  // the dialog's answer, if it is asked
    Click(window.Control(control::kSealSwatch));
    ColourDialog::ClearNextAnswer();
    QCOMPARE(window.PanelColour(1), taken ? 33023u : 0x00123456u);
    QCOMPARE(window.PanelColour(0), 0u);
    QCOMPARE(ColourDialog::TimesAsked(), asked_before + (taken ? 0 : 1));
    QCOMPARE(Board().text(), taken ? QString() : text);
  }

  void copyPutsExactlyTheSnippetOnTheClipboard() {
    TestWindow window(15, "[Quorel]\nflags=15\nQuorelColor=0\nIneiColor=255\n", {0, 1});
    Board().setText(QStringLiteral("old content"));
    MessageLog messages;
    Click(window.Control(control::kCopy));
    QVERIFY(messages.Codes().empty());
    const QByteArray copied = Board().text().toUtf8();
    QCOMPARE(copied, ExpectedSnippet(window));
    QVERIFY(copied.startsWith("<div align=right"));
#ifdef QUOREL_SNIPPET_TOOL
    // The command-line tool over the same settings folder prints the same bytes.
    QProcess tool;
    tool.start(QStringLiteral(QUOREL_SNIPPET_TOOL), {QStringLiteral("--settings"), window.settings.Path()});
    QVERIFY(tool.waitForFinished(30000));
    QCOMPARE(tool.exitCode(), 0);
    QCOMPARE(tool.readAllStandardOutput(), copied);
#endif
  }

  void copyWhileTheClipboardIsBusyShowsMessage5() {
    TestWindow window(2 | 1, {}, {0});
    Board().setText(QStringLiteral("kept"));
    Clipboard::SetBusyForTest(true);
    MessageLog messages;
    Click(window.Control(control::kCopy));
    QCOMPARE(messages.Codes(), std::vector<MessageCode>{MessageCode::kClipboardBusy});
    QCOMPARE(Board().text(), QStringLiteral("kept"));
  }

  void outputWithoutAPictureShowsItsMessage_data() {
    QTest::addColumn<int>("flags");
    QTest::addColumn<MessageCode>("message");
    QTest::newRow("signature") << (1 | 2 | 4) << MessageCode::kSignatureFailed;
    QTest::newRow("seal") << (1 | 4) << MessageCode::kSealFailed;
  }
  void outputWithoutAPictureShowsItsMessage() {
    QFETCH(int, flags);
    QFETCH(MessageCode, message);
    const TestWindow window(flags);
    const TestSettings& settings = window.settings;
    Board().setText(QStringLiteral("kept"));
    const BrowserSpy browser;
    const MessageLog messages;
    for (int id : {control::kCopy, control::kPreview, control::kSaveText}) {
      FileDialog::SetNextFileName(settings.FilePath(QStringLiteral("never.txt")));
      Click(window.Control(id));
    }
    QCOMPARE(messages.Codes(), std::vector<MessageCode>(3, message));
    QCOMPARE(Board().text(), QStringLiteral("kept"));
    QVERIFY(browser.Opened().isEmpty());
    QVERIFY(!QFile::exists(settings.FilePath(QStringLiteral("$quorel_view.html"))));
    QVERIFY(!QFile::exists(settings.FilePath(QStringLiteral("never.txt"))));
  }

  void textOutputForcesTxtAndRemembersTheFile() {
    TestWindow window(1 | 4, {}, {1});
    const TestSettings& settings = window.settings;
    const QString existing = settings.FilePath(QStringLiteral("out.txt"));
    test::WriteAll(existing, QByteArray(200000, 'x'));  // longer than the snippet
    FileDialog::SetNextFileName(settings.FilePath(QStringLiteral("out.html")));
    Click(window.Control(control::kSaveText));
    QCOMPARE(ReadAll(existing), ExpectedSnippet(window));
    QVERIFY(!QFile::exists(settings.FilePath(QStringLiteral("out.html"))));
    QCOMPARE(QString::fromStdString(settings.Store().ReadString("Quorel", "OutputFile")), existing);

    // The next dialog starts from the remembered file; cancelling keeps it.
    FileDialog::SetNextFileName(QString());
    Click(window.Control(control::kSaveText));
    QCOMPARE(FileDialog::LastRequest().start_path, existing);
    QCOMPARE(QString::fromStdString(settings.Store().ReadString("Quorel", "OutputFile")), existing);
  }

  void previewWritesThePageAndOpensIt_data() {
    QTest::addColumn<int>("flags");
    QTest::addColumn<QByteArray>("signature_colour");
    QTest::addColumn<bool>("black_page");
    QTest::newRow("light signature") << (1 | 2 | 4) << QByteArray("13158600") << true;
    QTest::newRow("black signature") << (1 | 2 | 4) << QByteArray("0") << false;
    QTest::newRow("light but signature off") << (1 | 4) << QByteArray("13158600") << false;
  }
  void previewWritesThePageAndOpensIt() {
    QFETCH(int, flags);
    QFETCH(QByteArray, signature_colour);
    TestWindow window(flags, "[Quorel]\nQuorelColor=" + signature_colour + "\nIneiColor=16777215\n",
                      {0, 1});
    const BrowserSpy browser;
    Click(window.Control(control::kPreview));
    const QString page_path = window.settings.FilePath(QStringLiteral("$quorel_view.html"));
    QCOMPARE(browser.Opened(), QUrl::fromLocalFile(page_path));
    const QByteArray snippet = ExpectedSnippet(window);
    QFETCH(bool, black_page);
    QCOMPARE(ReadAll(page_path),
             black_page ? "<html><body bgcolor=#000000>" + snippet + "</body></html>" : snippet);
  }

  void optionBitsAreStoredOnlyBeforeAnOutput() {
    TestWindow window(1 | 2 | 4 | 8, {}, {0});
    Click(window.Control(control::kSealEnabled));
    Click(window.Control(control::kAlignCentre));
    QCOMPARE(window.OptionBits(), 1 | 2 | 4 | 8);  // no output yet
    Click(window.Control(control::kCopy));
    QCOMPARE(window.OptionBits(), 1 | 2 | 16);
  }

  void rectangleIsFittedIntoItsMonitorAndSavedOnClose() {
    const QRect monitor = QGuiApplication::primaryScreen()->geometry();
    const int left = monitor.x() + monitor.width() - 50;  // mostly off the right edge
    TestWindow window(14, QStringLiteral("[Quorel]\nRect=%1,%2,%3,%4\n")
                              .arg(left).arg(monitor.y() + 10).arg(left + 400).arg(monitor.y() + 210)
                              .toUtf8());
    QCOMPARE(window.frameGeometry().x() + window.frameGeometry().width(),
             monitor.x() + monitor.width());
    QCOMPARE(window.frameGeometry().y(), monitor.y() + 10);

    window.show();
    window.move(40, 30);
    QTest::keyClick(&window, Qt::Key_Escape);
    QVERIFY(!window.isVisible());
    const WindowRect rect = window.settings.Store().ReadRect();
    QCOMPARE(QRect(rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top),
             window.frameGeometry());
  }

  void helpOpensTheHelpPage() {
    TestWindow window;
    const BrowserSpy browser;
    Click(window.Control(control::kHelp));
    QVERIFY2(browser.Opened().toString().endsWith(QStringLiteral("/quorel/help/man.html")),
             qPrintable(browser.Opened().toString()));
  }

  void pictureButtonIsNotRedrawnWhileHeldDown() {
    PictureButton button;
    button.resize(20, 20);
    auto red = CreateDib(20, 20, 24);
    auto blue = CreateDib(20, 20, 24);
    FillDib(*red, Bgr{0, 0, 255});
    FillDib(*blue, Bgr{255, 0, 0});
    const auto centre = [&] { return button.grab().toImage().pixelColor(5, 5); };
    button.SetPreview(&*red);
    QCOMPARE(centre(), QColor(Qt::red));
    button.setDown(true);
    button.SetPreview(&*blue);
    QCOMPARE(centre(), QColor(Qt::red));
    button.setDown(false);
    QCOMPARE(centre(), QColor(Qt::blue));
  }
};

}  // namespace quorel

QTEST_MAIN(quorel::MainWindowTest)
#include "MainWindowTest.moc"
