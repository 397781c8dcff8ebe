// Quorel — SPDX-License-Identifier: MIT
// The main window driven headless: settings it opens with, pictures and
// colours from the clipboard, the three outputs, and what it saves on close.
#include <QBuffer>
#include <QCheckBox>
#include <QClipboard>
#include <QGuiApplication>
#include <QImage>
#include <QLineEdit>
#include <QMimeData>
#include <QProcess>
#include <QTest>
#include <QToolButton>

#include "GuiTestSupport.h"
#include "app/ControlIds.h"
#include "app/DialogUnits.h"
#include "app/MainWindow.h"
#include "app/PictureButton.h"
#include "app/platform/Browser.h"
#include "app/platform/Clipboard.h"
#include "app/platform/ColourDialog.h"
#include "app/platform/FileDialogs.h"
#include "image/DibPrimitives.h"
#include "output/Snippet.h"

namespace quorel {

using test::Click;
using test::MessageLog;
using test::ReadAll;
using test::TestSettings;

namespace {

bool IsChecked(const MainWindow& window, int id) {
  if (auto* box = qobject_cast<QCheckBox*>(window.Control(id))) return box->isChecked();
  if (auto* button = qobject_cast<QToolButton*>(window.Control(id))) return button->isChecked();
  return false;
}

bool ClipboardHas(const QString& format) {
  const QMimeData* data = QGuiApplication::clipboard()->mimeData();
  return data && data->hasFormat(format);
}

QString ClipboardText() { return QGuiApplication::clipboard()->text(); }

void PutClipboardText(const QString& text) { QGuiApplication::clipboard()->setText(text); }

// The snippet the core builds for the window's present state.
std::string ExpectedSnippet(const MainWindow& window) {
  SnippetRequest request;
  request.option_bits = window.OptionBits();
  request.signature = &window.Panel(0);
  request.seal = &window.Panel(1);
  request.signature_colour = window.PanelColour(0);
  request.seal_colour = window.PanelColour(1);
  request.gif_folder = window.Folder().Path();
  return BuildSnippet(request).text.value_or("<none>");
}

}  // namespace

class MainWindowTest : public QObject {
  Q_OBJECT

 private slots:
  void init() {
    QGuiApplication::clipboard()->clear();
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
    QFETCH(bool, signature);
    QFETCH(bool, seal);
    QFETCH(int, align);
    TestSettings settings;
    settings.WriteIni("[Quorel]\nQuorelColor=33023\nIneiColor=16711680\n");
    MainWindow window(settings.Folder(), flags);
    QCOMPARE(IsChecked(window, control::kSignatureEnabled), signature);
    QCOMPARE(IsChecked(window, control::kSealEnabled), seal);
    for (int id : {control::kAlignLeft, control::kAlignCentre, control::kAlignRight}) {
      QCOMPARE(IsChecked(window, id), id == align);
    }
    QCOMPARE(window.PanelColour(0), Colour{33023});
    QCOMPARE(window.PanelColour(1), Colour{16711680});
    QCOMPARE(window.windowTitle(), QStringLiteral("Quorel Ver1.0"));
  }

  void controlsSitAtTheirDialogUnitPlaces() {
    TestSettings settings;
    MainWindow window(settings.Folder(), 14);
    const DialogUnits units = DialogUnits::ForFont(window.font());
    QCOMPARE(window.size(), QSize(units.X(309), units.Y(134)));
    QCOMPARE(window.Control(control::kSignaturePicture)->geometry(), units.ToPixels(15, 15, 158, 61));
    QCOMPARE(window.Control(control::kSealPicture)->geometry(), units.ToPixels(196, 16, 64, 61));
    QCOMPARE(window.Control(control::kSealReadout)->geometry(), units.ToPixels(197, 78, 106, 12));
    QCOMPARE(window.Control(control::kHelp)->geometry(), units.ToPixels(288, 115, 15, 15));
    // The preview is as large as its button.
    QCOMPARE(window.Panel(0).preview_width, window.Control(control::kSignaturePicture)->width());
    QVERIFY(qobject_cast<QLineEdit*>(window.Control(control::kSignatureReadout))->isReadOnly());
  }

  void panelsComeBackFromTheirWorkingFiles() {
    TestSettings settings;
    settings.PutSample(0, QStringLiteral("signature.bmp"));
    settings.PutSample(1, QStringLiteral("seal.bmp"));
    settings.WriteIni("[Quorel]\nrate2_type=3\nrate2_v=50\n");
    MainWindow window(settings.Folder(), 14);
    QVERIFY(window.Panel(0).picture.has_value());
    QVERIFY(window.Panel(1).picture.has_value());
    const QString seal_readout =
        qobject_cast<QLineEdit*>(window.Control(control::kSealReadout))->text();
    QVERIFY2(seal_readout.contains(QStringLiteral("⇒")), qPrintable(seal_readout));
  }

  void alignmentButtonsStayExclusive() {
    TestSettings settings;
    MainWindow window(settings.Folder(), 14);
    for (int id : {control::kAlignCentre, control::kAlignLeft, control::kAlignLeft,
                   control::kAlignRight}) {
      Click(window.Control(id));
      int checked = 0;
      for (int other : {control::kAlignLeft, control::kAlignCentre, control::kAlignRight}) {
        checked += IsChecked(window, other) ? 1 : 0;
      }
      QCOMPARE(checked, 1);
      QVERIFY(IsChecked(window, id));
    }
  }

  void clipboardBitmapIsTakenAndTheClipboardEmptied() {
    TestSettings settings;
    MainWindow window(settings.Folder(), 14);
    // image/bmp: a BMP file whose bytes after the 14-byte header are the DIB.
    auto mime = std::make_unique<QMimeData>();
    mime->setData(QStringLiteral("image/bmp"), ReadAll(test::SamplePath(QStringLiteral("seal.bmp"))));
    QGuiApplication::clipboard()->setMimeData(mime.release());
    FileDialog::SetNextFileName(QStringLiteral("/must/not/be/asked.bmp"));
    Click(window.Control(control::kSealPicture));
    QVERIFY(window.Panel(1).picture.has_value());
    QCOMPARE(window.Panel(1).picture->Width(), 64);
    QVERIFY(!ClipboardHas(QStringLiteral("image/bmp")));
    QVERIFY(QFile::exists(settings.FilePath(QStringLiteral("$quorel_i.bmp"))));
    FileDialog::ClearNextFileName();
  }

  void clipboardImageBecomesA24BitPicture() {
    TestSettings settings;
    MainWindow window(settings.Folder(), 14);
    QImage image(40, 20, QImage::Format_ARGB32);
    image.fill(QColor(10, 20, 30));
    image.setPixelColor(0, 0, QColor(255, 0, 0));  // top-left red
    QGuiApplication::clipboard()->setImage(image);
    Click(window.Control(control::kSignaturePicture));
    const PackedDib& picture = *window.Panel(0).picture;
    QCOMPARE(picture.BitCount(), uint16_t{24});
    QCOMPARE(picture.Width(), 40);
    QCOMPARE(picture.Height(), 20);
    // Top-left pixel is the last stored row's first pixel: blue, green, red.
    const size_t stride = 40 * 3;
    const auto top_left = picture.Bytes().subspan(40 + stride * 19, 3);
    QCOMPARE(int(top_left[0]), 0);
    QCOMPARE(int(top_left[2]), 255);
    QVERIFY(!ClipboardHas(QStringLiteral("application/x-qt-image")));
  }

  void newPictureResetsTheScaleMode() {
    TestSettings settings;
    settings.WriteIni("[Quorel]\nrate_type=2\n");
    MainWindow window(settings.Folder(), 14);
    QCOMPARE(window.Panel(0).scale.mode, 2);
    window.ImportIntoPanel(0, test::SamplePath(QStringLiteral("signature.bmp")));
    QCOMPARE(window.Panel(0).scale.mode, 0);
    QCOMPARE(settings.Store().ReadInt("rate_type", 9), 0);
  }

  void failedImportLeavesThePanelEmpty() {
    TestSettings settings;
    settings.PutSample(0, QStringLiteral("signature.bmp"));
    MainWindow window(settings.Folder(), 14);
    QVERIFY(window.Panel(0).picture.has_value());
    const QString broken = settings.FilePath(QStringLiteral("broken.bmp"));
    test::WriteAll(broken, "BMnot a picture");
    FileDialog::SetNextFileName(broken);
    Click(window.Control(control::kSignaturePicture));
    QVERIFY(!window.Panel(0).picture.has_value());
    QVERIFY(qobject_cast<QLineEdit*>(window.Control(control::kSignatureReadout))->text().isEmpty());
    QCOMPARE(FileDialog::LastRequest().title, QStringLiteral("Quorelの画像を読み込む"));
    QVERIFY(FileDialog::LastRequest().owner == nullptr);
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
    TestSettings settings;
    MainWindow window(settings.Folder(), 14);
    PutClipboardText(text);
    const int asked_before = ColourDialog::TimesAsked();
    ColourDialog::SetNextAnswer(std::nullopt);  // cancel, if it is asked
    Click(window.Control(control::kSignatureSwatch));
    if (taken) {
      QCOMPARE(window.PanelColour(0), Colour{33023});
      QCOMPARE(ColourDialog::TimesAsked(), asked_before);
      QVERIFY(ClipboardText().isEmpty());
      ColourDialog::ClearNextAnswer();
    } else {
      QCOMPARE(window.PanelColour(0), Colour{0});
      QCOMPARE(ColourDialog::TimesAsked(), asked_before + 1);
      QCOMPARE(ClipboardText(), text);
    }
  }

  void colourDialogAnswerSetsTheSwatch() {
    TestSettings settings;
    MainWindow window(settings.Folder(), 14);
    ColourDialog::SetNextAnswer(Colour{0x00123456});
    Click(window.Control(control::kSealSwatch));
    QCOMPARE(window.PanelColour(1), Colour{0x00123456});
    QCOMPARE(window.PanelColour(0), Colour{0});
  }

  void copyPutsExactlyTheSnippetOnTheClipboard() {
    TestSettings settings;
    settings.PutSample(0, QStringLiteral("signature.bmp"));
    settings.PutSample(1, QStringLiteral("seal.bmp"));
    settings.WriteIni("[Quorel]\nflags=15\nQuorelColor=0\nIneiColor=255\n");
    MainWindow window(settings.Folder(), 15);
    PutClipboardText(QStringLiteral("old content"));
    MessageLog messages;
    Click(window.Control(control::kCopy));
    QVERIFY(messages.Codes().empty());
    const QByteArray copied = ClipboardText().toUtf8();
    QCOMPARE(copied.toStdString(), ExpectedSnippet(window));
    QVERIFY(copied.startsWith("<div align=right"));
#ifdef QUOREL_SNIPPET_TOOL
    // The command-line tool over the same settings folder prints the same bytes.
    QProcess tool;
    tool.start(QStringLiteral(QUOREL_SNIPPET_TOOL), {QStringLiteral("--settings"), settings.Path()});
    QVERIFY(tool.waitForFinished(30000));
    QCOMPARE(tool.exitCode(), 0);
    QCOMPARE(tool.readAllStandardOutput(), copied);
#endif
  }

  void copyWhileTheClipboardIsBusyShowsMessage5() {
    TestSettings settings;
    settings.PutSample(0, QStringLiteral("signature.bmp"));
    MainWindow window(settings.Folder(), 2 | 1);
    PutClipboardText(QStringLiteral("kept"));
    Clipboard::SetBusyForTest(true);
    MessageLog messages;
    Click(window.Control(control::kCopy));
    Clipboard::SetBusyForTest(false);
    QCOMPARE(messages.Codes(), std::vector<MessageCode>{MessageCode::kClipboardBusy});
    QCOMPARE(ClipboardText(), QStringLiteral("kept"));
  }

  void outputWithoutAPictureShowsItsMessage_data() {
    QTest::addColumn<int>("flags");
    QTest::addColumn<int>("message");
    QTest::newRow("signature") << (1 | 2 | 4) << int(MessageCode::kSignatureFailed);
    QTest::newRow("seal") << (1 | 4) << int(MessageCode::kSealFailed);
  }
  void outputWithoutAPictureShowsItsMessage() {
    QFETCH(int, flags);
    QFETCH(int, message);
    TestSettings settings;
    MainWindow window(settings.Folder(), flags);
    PutClipboardText(QStringLiteral("kept"));
    QUrl opened;
    Browser::SetOpener([&](const QUrl& url) { opened = url; });
    MessageLog messages;
    for (int id : {control::kCopy, control::kPreview, control::kSaveText}) {
      FileDialog::SetNextFileName(settings.FilePath(QStringLiteral("never.txt")));
      Click(window.Control(id));
    }
    Browser::SetOpener(nullptr);
    FileDialog::ClearNextFileName();
    QCOMPARE(messages.Codes(), std::vector<MessageCode>(3, static_cast<MessageCode>(message)));
    QCOMPARE(ClipboardText(), QStringLiteral("kept"));
    QVERIFY(opened.isEmpty());
    QVERIFY(!QFile::exists(settings.FilePath(QStringLiteral("$quorel_view.html"))));
    QVERIFY(!QFile::exists(settings.FilePath(QStringLiteral("never.txt"))));
  }

  void textOutputForcesTxtAndRemembersTheFile() {
    TestSettings settings;
    settings.PutSample(1, QStringLiteral("seal.bmp"));
    MainWindow window(settings.Folder(), 1 | 4);
    const QString existing = settings.FilePath(QStringLiteral("out.txt"));
    test::WriteAll(existing, QByteArray(200000, 'x'));  // longer than the snippet
    FileDialog::SetNextFileName(settings.FilePath(QStringLiteral("out.html")));
    Click(window.Control(control::kSaveText));
    QCOMPARE(ReadAll(existing).toStdString(), ExpectedSnippet(window));
    QVERIFY(!QFile::exists(settings.FilePath(QStringLiteral("out.html"))));
    QCOMPARE(QString::fromStdString(settings.Store().ReadString("Quorel", "OutputFile")), existing);
    QCOMPARE(FileDialog::LastRequest().owner, static_cast<QWidget*>(&window));

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
    QFETCH(bool, black_page);
    TestSettings settings;
    settings.PutSample(0, QStringLiteral("signature.bmp"));
    settings.PutSample(1, QStringLiteral("seal.bmp"));
    settings.WriteIni("[Quorel]\nQuorelColor=" + signature_colour + "\nIneiColor=16777215\n");
    MainWindow window(settings.Folder(), flags);
    QUrl opened;
    Browser::SetOpener([&](const QUrl& url) { opened = url; });
    Click(window.Control(control::kPreview));
    Browser::SetOpener(nullptr);
    const QString page_path = settings.FilePath(QStringLiteral("$quorel_view.html"));
    QCOMPARE(opened, QUrl::fromLocalFile(page_path));
    const QByteArray page = ReadAll(page_path);
    const QByteArray snippet = QByteArray::fromStdString(ExpectedSnippet(window));
    if (black_page) {
      QCOMPARE(page, "<html><body bgcolor=#000000>" + snippet + "</body></html>");
    } else {
      QCOMPARE(page, snippet);
    }
  }

  void optionBitsAreStoredOnlyBeforeAnOutput() {
    TestSettings settings;
    settings.PutSample(0, QStringLiteral("signature.bmp"));
    MainWindow window(settings.Folder(), 1 | 2 | 4 | 8);
    Click(window.Control(control::kSealEnabled));
    Click(window.Control(control::kAlignCentre));
    QCOMPARE(window.OptionBits(), 1 | 2 | 4 | 8);  // no output yet
    Click(window.Control(control::kCopy));
    QCOMPARE(window.OptionBits(), 1 | 2 | 16);
  }

  void closingSavesTheRectangle() {
    TestSettings settings;
    MainWindow window(settings.Folder(), 14);
    window.show();
    window.move(40, 30);
    QTest::keyClick(&window, Qt::Key_Escape);
    QVERIFY(!window.isVisible());
    const WindowRect rect = settings.Store().ReadRect();
    const QRect frame = window.frameGeometry();
    QCOMPARE(rect.left, frame.x());
    QCOMPARE(rect.top, frame.y());
    QCOMPARE(rect.right - rect.left, frame.width());
    QCOMPARE(rect.bottom - rect.top, frame.height());
  }

  void savedRectangleIsRestoredInsideItsMonitor() {
    TestSettings settings;
    const QRect monitor = QGuiApplication::primaryScreen()->geometry();
    const int left = monitor.x() + monitor.width() - 50;  // mostly off the right edge
    settings.WriteIni(QStringLiteral("[Quorel]\nRect=%1,%2,%3,%4\n")
                          .arg(left).arg(monitor.y() + 10).arg(left + 400).arg(monitor.y() + 210)
                          .toUtf8());
    MainWindow window(settings.Folder(), 14);
    const QRect frame = window.frameGeometry();
    QCOMPARE(frame.x() + frame.width(), monitor.x() + monitor.width());
    QCOMPARE(frame.y(), monitor.y() + 10);
  }

  void helpOpensTheHelpPage() {
    TestSettings settings;
    MainWindow window(settings.Folder(), 14);
    QUrl opened;
    Browser::SetOpener([&](const QUrl& url) { opened = url; });
    Click(window.Control(control::kHelp));
    Browser::SetOpener(nullptr);
    QVERIFY2(opened.toString().endsWith(QStringLiteral("/quorel/help/man.html")),
             qPrintable(opened.toString()));
  }

  void pictureButtonIsNotRedrawnWhileHeldDown() {
    PictureButton button;
    button.resize(20, 20);
    std::optional<PackedDib> first = CreateDib24(20, 20);
    std::optional<PackedDib> second = CreateDib24(20, 20);
    FillDib(*first, Bgr{0, 0, 255});
    FillDib(*second, Bgr{255, 0, 0});
    button.SetPreview(&*first);
    const QImage before = button.grab().toImage();
    QCOMPARE(before.pixelColor(5, 5), QColor(255, 0, 0));
    button.setDown(true);
    button.SetPreview(&*second);
    QCOMPARE(button.grab().toImage().pixelColor(5, 5), QColor(255, 0, 0));
    button.setDown(false);
    QCOMPARE(button.grab().toImage().pixelColor(5, 5), QColor(0, 0, 255));
  }
};

}  // namespace quorel

QTEST_MAIN(quorel::MainWindowTest)
#include "MainWindowTest.moc"
