// Quorel — SPDX-License-Identifier: MIT
// The main window driven headless: settings it opens with, pictures from the
// clipboard and from drops, colours, the three outputs and their failures,
// focus marks, and what it saves on close.
#include <QBuffer>
#include <QClipboard>
#include <QFileDialog>
#include <QGuiApplication>
#include <QImage>
#include <QMimeData>
#include <QProcess>
#include <QScreen>
#include <QTest>

#include "GuiTestSupport.h"
#include "app/ControlIds.h"
#include "app/PictureButton.h"
#include "app/platform/Clipboard.h"
#include "app/platform/ColourDialog.h"
#include "app/platform/FileDialogs.h"
#include "app/platform/MessageBox.h"
#include "image/DibLayout.h"
#include "image/DibPrimitives.h"
#include "output/Snippet.h"

namespace quorel {

using namespace test;

namespace {

QClipboard& Board() { return *QGuiApplication::clipboard(); }

QByteArray ExpectedSnippet(const MainWindow& window) {
  const auto snippet = BuildSnippet(window.State(), window.Folder().Path());
  return QByteArray::fromStdString(snippet ? *snippet : "<none>");
}

// The seal picture's second pixel of the top row; black when there is none.
QColor SecondPixel(const MainWindow& window) {
  if (!window.Panel(1).picture) return Qt::black;
  const auto row = ConstDibRows::Of(*window.Panel(1).picture)->TopDownRow(0);
  return QColor(row[5], row[4], row[3]);
}

// Picture data as another program offers it: a transparent picture with one
// red pixel, the seal sample, or text.
QMimeData* Offer(const QString& format) {
  auto* mime = new QMimeData;
  QImage image(20, 20, QImage::Format_ARGB32);
  image.fill(Qt::transparent);
  image.setPixelColor(0, 0, Qt::red);
  QBuffer png;
  png.open(QIODevice::WriteOnly);
  image.save(&png, "PNG");
  if (format == QLatin1String("image/png")) mime->setData(format, png.data());
  if (format == QLatin1String("image")) mime->setImageData(image);
  if (format == QLatin1String("image/bmp")) mime->setData(format, ReadAll(SamplePath("seal.bmp")));
  if (format == QLatin1String("text/uri-list")) mime->setUrls({QUrl::fromLocalFile(SamplePath("seal.bmp"))});
  if (format == QLatin1String("text/plain")) mime->setText(QStringLiteral("seal.bmp"));
  return mime;
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

  // Each offer taken by the seal's picture button from the clipboard and by a
  // drop on it: taken as the file road takes it, or refused untouched.
  void picturesFromTheClipboardAndDrops_data() {
    QTest::addColumn<QString>("format");
    QTest::addColumn<int>("width");  // 0: refused
    QTest::addColumn<QColor>("second");  // transparent in the pictures with alpha
    QTest::newRow("image/bmp") << "image/bmp" << 64 << QColor(Qt::white);
    QTest::newRow("file of a file manager") << "text/uri-list" << 64 << QColor(Qt::white);
    QTest::newRow("transparent image/png over white") << "image/png" << 20 << QColor(Qt::white);
    QTest::newRow("transparent image over white") << "image" << 20 << QColor(Qt::white);
    QTest::newRow("text refused") << "text/plain" << 0 << QColor(Qt::black);
  }
  void picturesFromTheClipboardAndDrops() {
    QFETCH(QString, format);
    QFETCH(int, width);
    QFETCH(QColor, second);
    for (const bool drop : {false, true}) {
      TestWindow window;
      QWidget* button = window.Control(control::kSealPicture);
      std::unique_ptr<QMimeData> dropped(Offer(format));
      if (drop) {
        QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction, dropped.get(), Qt::LeftButton, {});
        QApplication::sendEvent(button, &enter);
        QCOMPARE(enter.isAccepted(), width > 0);  // no drop cursor for refused data
        QDropEvent event(QPointF(5, 5), Qt::CopyAction, dropped.get(), Qt::LeftButton, {});
        QApplication::sendEvent(button, &event);
      } else {
        Board().setMimeData(dropped.release());
        FileDialog::SetNextFileName(QString());  // refused: the dialog is cancelled
        Click(button);
        QCOMPARE(!Board().mimeData() || Board().mimeData()->formats().isEmpty(), width > 0);
      }
      QCOMPARE(window.Panel(1).picture ? window.Panel(1).picture->Width() : 0, width);
      QCOMPARE(SecondPixel(window), second);
    }
  }

  void failedImportLeavesThePanelEmpty() {
    TestWindow window(14, {}, {0});
    const QString broken = window.settings.FilePath(QStringLiteral("broken.bmp"));
    WriteAll(broken, "BMnot a picture");
    FileDialog::SetNextFileName(broken);
    Click(window.Control(control::kSignaturePicture));
    QVERIFY(!window.Panel(0).picture.has_value());
    QVERIFY(ControlText(window, control::kSignatureReadout).isEmpty());
  }

  void closingTheWindowCancelsTheOpenDialog() {
    TestWindow window;
    window.show();
    QTimer::singleShot(0, &window, [&] {
      window.reject();
      // Before the mend the dialog outlived the window, and a file picked then
      // replaced the picture.
      QTimer::singleShot(0, [] {
        if (auto* dialog = ShownWindow<QFileDialog>()) {
          dialog->selectFile(SamplePath("seal.bmp"));
          static_cast<QDialog*>(dialog)->accept();
        }
      });
    });
    Click(window.Control(control::kSignaturePicture));
    QVERIFY(ShownWindow<QFileDialog>() == nullptr);
    QVERIFY(!window.Panel(0).picture.has_value());
  }

  void colourTextOnTheClipboard_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("taken");
    QTest::newRow("six digits") << "FF8000" << true;
    QTest::newRow("number sign") << "#ff8000" << false;
    QTest::newRow("five digits") << "ff800" << false;
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
    const MessageLog messages;
    window.show();
    QVERIFY(QTest::qWaitForWindowActive(&window));
    QTest::keyClick(&window, Qt::Key_C, Qt::ControlModifier);
    QVERIFY(messages.Texts().isEmpty());
    const QByteArray copied = Board().text().toUtf8();
    QCOMPARE(copied, ExpectedSnippet(window));
    QVERIFY(copied.startsWith("<div align=right"));
#ifdef QUOREL_SNIPPET_TOOL
    // The command-line tool over the same settings folder prints the same bytes.
    QProcess tool;
    tool.start(QStringLiteral(QUOREL_SNIPPET_TOOL), {QStringLiteral("--settings"), window.settings.Path()});
    QVERIFY(tool.waitForFinished(30000));
    QCOMPARE(tool.readAllStandardOutput(), copied);
#endif
    Board().setText(QStringLiteral("kept"));
    Clipboard::SetBusyForTest(true);
    Click(window.Control(control::kCopy));
    QCOMPARE(messages.Texts(), QStringList{Text(MessageCode::kClipboardBusy)});
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
    Board().setText(QStringLiteral("kept"));
    const BrowserSpy browser;
    const MessageLog messages;
    for (int id : {control::kCopy, control::kPreview, control::kSaveText}) {
      FileDialog::SetNextFileName(window.settings.FilePath(QStringLiteral("never.txt")));
      Click(window.Control(id));
    }
    QCOMPARE(messages.Texts(), QStringList(3, Text(message)));
    QCOMPARE(Board().text(), QStringLiteral("kept"));
    QVERIFY(browser.Opened().isEmpty());
    QVERIFY(!QFile::exists(window.settings.FilePath(QStringLiteral("$quorel_view.html"))));
    QVERIFY(!QFile::exists(window.settings.FilePath(QStringLiteral("never.txt"))));
  }

  void textOutputForcesTxtAndRemembersTheFile() {
    TestWindow window(1 | 4, {}, {1});
    const TestSettings& settings = window.settings;
    const QString existing = settings.FilePath(QStringLiteral("out.txt"));
    WriteAll(existing, QByteArray(200000, 'x'));  // longer than the snippet
    FileDialog::SetNextFileName(settings.FilePath(QStringLiteral("out.html")));
    Click(window.Control(control::kSaveText));
    QCOMPARE(ReadAll(existing), ExpectedSnippet(window));
    QVERIFY(!QFile::exists(settings.FilePath(QStringLiteral("out.html"))));
    QCOMPARE(QString::fromStdString(settings.Store().ReadString("Quorel", "OutputFile")), existing);
    // The next dialog starts from the remembered file; cancelling keeps it.
    FileDialog::SetNextFileName(QString());
    Click(window.Control(control::kSaveText));
    QCOMPARE(FileDialog::LastRequest().start_path, existing);
  }

  // A folder in the way of the text file or of the preview page.
  void unwritableOutputIsReported_data() {
    QTest::addColumn<int>("command");
    QTest::addColumn<QString>("blocked");
    QTest::newRow("text file") << control::kSaveText << "in the way.txt";
    QTest::newRow("preview page") << control::kPreview << "$quorel_view.html";
  }
  void unwritableOutputIsReported() {
    QFETCH(int, command);
    QFETCH(QString, blocked);
    TestWindow window(1 | 4, "[Quorel]\nOutputFile=/kept.txt\n", {1});
    QDir(window.settings.Path()).mkdir(blocked);
    const MessageLog messages;
    const BrowserSpy browser;
    FileDialog::SetNextFileName(window.settings.FilePath(blocked));
    Click(window.Control(command));
    QCOMPARE(messages.Texts(), QStringList{QString::fromUtf8(kCannotSaveText)});
    QVERIFY(browser.Opened().isEmpty());
    QCOMPARE(window.settings.Store().ReadString("Quorel", "OutputFile"), "/kept.txt");
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
    QFETCH(bool, black_page);
    TestWindow window(flags, "[Quorel]\nQuorelColor=" + signature_colour + "\nIneiColor=16777215\n",
                      {0, 1});
    const BrowserSpy browser;
    Click(window.Control(control::kPreview));
    const QString page_path = window.settings.FilePath(QStringLiteral("$quorel_view.html"));
    QCOMPARE(browser.Opened(), QUrl::fromLocalFile(page_path));
    const QByteArray snippet = ExpectedSnippet(window);
    QCOMPARE(ReadAll(page_path),
             black_page ? "<html><body bgcolor=#000000>" + snippet + "</body></html>" : snippet);
    Click(window.Control(control::kHelp));
    QVERIFY(browser.Opened().toString().endsWith(QStringLiteral("/quorel/help/man.html")));
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
    QCOMPARE(window.frameGeometry().right() + 1, monitor.x() + monitor.width());
    QCOMPARE(window.frameGeometry().y(), monitor.y() + 10);
    window.show();
    window.move(40, 30);
    QTest::keyClick(&window, Qt::Key_Escape);
    QVERIFY(!window.isVisible());
    const WindowRect rect = window.settings.Store().ReadRect();
    QCOMPARE(QRect(QPoint(rect.left, rect.top), QPoint(rect.right - 1, rect.bottom - 1)),
             window.frameGeometry());
  }

  // The owner-drawn controls show where the keyboard focus is.
  void focusIsMarked() {
    TestWindow window;
    window.show();
    QVERIFY(QTest::qWaitForWindowActive(&window));
    for (int id : {control::kSignaturePicture, control::kSealPicture, control::kSignatureSwatch,
                   control::kSealSwatch}) {
      QWidget* control = window.Control(id);
      window.Control(control::kCopy)->setFocus();
      const QImage without = control->grab().toImage();
      control->setFocus();
      QVERIFY2(control->grab().toImage() != without, qPrintable(QString::number(id)));
    }
  }

  void pictureButtonIsNotRedrawnWhileHeldDown() {
    PictureButton button;
    button.resize(20, 20);
    auto red = CreateDib(20, 20, 24);
    auto blue = CreateDib(20, 20, 24);
    FillDib(*red, Bgr{0, 0, 255});
    FillDib(*blue, Bgr{255, 0, 0});
    const auto centre = [&] { return button.grab().toImage().pixelColor(10, 10); };
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
