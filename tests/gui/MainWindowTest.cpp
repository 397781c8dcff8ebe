// Quorel — SPDX-License-Identifier: MIT
// The main window driven headless: pictures from the clipboard and drops,
// the outputs and their failures, focus marks, what it saves.
#include <QAbstractButton>
#include <QBuffer>
#include <QCheckBox>
#include <QClipboard>
#include <QDir>
#include <QFileDialog>
#include <QLabel>
#include <QMessageBox>
#include <QMimeData>
#include <QPainter>
#include <QProcess>
#include <QProgressDialog>
#include <QScreen>
#include <QTemporaryFile>
#include <QtEndian>
#include <algorithm>
#include <atomic>

#include "GuiTestSupport.h"
#include "app/BackgroundJob.h"
#include "app/PictureButton.h"
#include "app/WindowMessages.h"
#include "app/dialogs/SettingsDialog.h"
#include "app/platform/Clipboard.h"
#include "image/DibLayout.h"
#include "output/ExportFiles.h"
#include "output/MarkPicture.h"
#include "output/Snippet.h"

namespace quorel::test {

namespace {

QClipboard& Board() { return *QGuiApplication::clipboard(); }

QByteArray ExpectedSnippet(const MainWindow& window) {
  const auto snippet = BuildSnippet(window.State().Request());
  return QByteArray::fromStdString(std::string(snippet ? snippet->view() : "<none>"));
}

// The seal picture's second pixel of the top row (white in every offer);
// black when there is none.
QColor SecondPixel(const MainWindow& window) {
  if (!window.Panel(PanelIndex::kSeal).picture()) return Qt::black;
  const auto row = ConstDibRows::Of(*window.Panel(PanelIndex::kSeal).picture())->TopDownRow(0);
  return QColor(row[5], row[4], row[3]);
}

// What another program offers: a transparent picture (as PNG bytes or as an
// image), the seal sample (as a BMP or a file), or text.
std::unique_ptr<QMimeData> Offer(const QString& format) {
  auto mime = std::make_unique<QMimeData>();
  QImage image(20, 20, QImage::Format_ARGB32);
  image.fill(Qt::transparent);
  QBuffer png;
  png.open(QIODevice::WriteOnly);
  image.save(&png, "PNG");
  if (format == "image/png") mime->setData(format, png.data());
  if (format == "image") mime->setImageData(image);
  if (format == "image/bmp") mime->setData(format, ReadAll(SamplePath("seal.bmp")));
  if (format == "text/uri-list") mime->setUrls({QUrl::fromLocalFile(SamplePath("seal.bmp"))});
  if (format == "text/plain") mime->setText(QStringLiteral("seal.bmp"));
  if (format == "broken file") {  // a picture file that cannot be read
    static QTemporaryFile broken(QDir::tempPath() + QStringLiteral("/XXXXXX.bmp"));
    if (broken.open() && broken.size() == 0) {
      broken.write("BM not a picture");
      broken.flush();
    }
    mime->setUrls({QUrl::fromLocalFile(broken.fileName())});
  }
  return mime;
}

// The output pixels of a panel that are red ink, and dark ink of no hue.
std::pair<int, int> RedAndBlack(const ImagePanel& panel) {
  const QImage image = ImageOfPreview(*panel.OutputPicture());
  std::pair<int, int> count;
  for (int i = 0; i < image.width() * image.height(); ++i) {
    const QColor c = image.pixelColor(i % image.width(), i / image.width());
    count.first += c.red() > c.green() + 50 && c.red() > c.blue() + 50;
    count.second += c.value() < 90;
  }
  return count;
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
  // Each offer from the clipboard (the picture button) and dropped on the
  // picture: taken as the file road takes it, with transparency over white, or
  // refused untouched (a drop without a drop cursor).
  void picturesFromTheClipboardAndDrops() {
    struct Case { QString format; int width; };  // width 0: refused
    for (const Case& c : {Case{"image/bmp", 64}, Case{"text/uri-list", 64}, Case{"image/png", 20},
                          Case{"image", 20}, Case{"text/plain", 0}, Case{"broken file", 0}}) {
      for (const bool drop : {false, true}) {
        if (drop && c.format == "broken file") continue;  // refused with a message below
        const MessageLog messages;
        TestWindow window;
        QWidget* button = window.Control(control::kSealPicture);
        std::unique_ptr<QMimeData> offer = Offer(c.format);
        if (drop) {
          // Taken as a copy even where the sender would move it (and delete the user's file).
          const Qt::DropActions actions = Qt::CopyAction | Qt::MoveAction;
          QDragEnterEvent enter(QPoint(5, 5), actions, offer.get(), Qt::LeftButton, {});
          QApplication::sendEvent(button, &enter);
          QCOMPARE(enter.isAccepted(), c.width > 0);
          QDragEnterEvent move_only(QPoint(5, 5), Qt::MoveAction, offer.get(), Qt::LeftButton, {});
          QApplication::sendEvent(button, &move_only);
          QVERIFY(!move_only.isAccepted());
          QDropEvent event(QPointF(5, 5), actions, offer.get(), Qt::LeftButton, {});
          QApplication::sendEvent(button, &event);
        } else {
          Board().setMimeData(offer.release());
          FileDialog::SetNextFileName(QString());  // refused: the dialog is cancelled
          Click(button);
          // Emptied only once taken: a picture refused stays on the clipboard.
          QCOMPARE(!Board().mimeData() || Board().mimeData()->formats().isEmpty(), c.width > 0);
        }
        QCOMPARE(window.Panel(PanelIndex::kSeal).picture() ? window.Panel(PanelIndex::kSeal).picture()->Width() : 0, c.width);
        QCOMPARE(SecondPixel(window), c.width ? QColor(Qt::white) : QColor(Qt::black));
      }
    }
  }
  // The open dialog fits its screen (at 2× on 1280 × 800 under Xvfb too) and closes with the window.
  void openDialogFitsTheScreenAndClosesWithTheWindow() {
    TestWindow window;
    window.show();
    bool left_open = false;
    QRect shown, area;
    QTimer::singleShot(0, &window, [&] {
      QTimer::singleShot(0, [&] {  // once the window has fitted it
        shown = ShownWindow<QFileDialog>()->frameGeometry();
        area = ShownWindow<QFileDialog>()->screen()->availableGeometry();
        window.reject();
        QTimer::singleShot(0, [&] {
          if (QDialog* dialog = ShownWindow<QFileDialog>()) {
            left_open = true;  // a file picked in it now would replace the picture
            dialog->reject();
          }
        });
      });
    });
    Click(window.Control(control::kSignaturePicture));
    QCoreApplication::processEvents();
    QVERIFY(!left_open);
    QVERIFY2(area.contains(shown), qPrintable(QStringLiteral("%1x%2").arg(shown.width()).arg(shown.height())));
  }
  // The option buttons show the stored bits, which change only with an
  // output; a copy puts exactly the snippet on the clipboard and shows its
  // size, or leaves a busy clipboard as it was and says so.
  void copyPutsExactlyTheSnippetOnTheClipboard() {
    TestWindow window(1 | 2 | 4 | 8, "[Quorel]\nQuorelColor=0\n", {0, 1});  // both outputs, right
    const MessageLog messages;
    Board().setText(QStringLiteral("ff8000"));  // an ink colour, stored with the output
    Click(window.Control(control::kSignatureSwatch));
    window.show();
    QVERIFY(QTest::qWaitForWindowActive(&window));
    for (int id : {control::kSignatureEnabled, control::kSealEnabled, control::kAlignRight}) {
      QVERIFY(qobject_cast<QAbstractButton*>(window.Control(id))->isChecked());
    }
    Click(window.Control(control::kSealEnabled));
    Click(window.Control(control::kAlignCentre));
    QCOMPARE(window.OptionBits(), 1 | 2 | 4 | 8);  // no output yet
    QTest::keyClick(&window, Qt::Key_C, Qt::ControlModifier);
    QCOMPARE(window.OptionBits(), 1 | 2 | 16);
    QCOMPARE(window.settings.Store().ReadInt("QuorelColor", -1), 0x0080FF);
    const QByteArray copied = Board().text().toUtf8();
    QCOMPARE(copied, ExpectedSnippet(window));
    const auto* size = window.findChild<QLabel*>(QStringLiteral("snippetSize"));
    QVERIFY(size && size->text().contains(','));  // "12,345 文字"
    QVERIFY(QString(size->text()).remove(',').startsWith(QString::number(copied.size()) + " "));
    Board().setText(QStringLiteral("kept"));
    Clipboard::SetBusyForTest(true);
    Click(window.Control(control::kCopy));
    QCOMPARE(*messages.texts, QStringList{Text(MessageCode::kClipboardBusy)});
    QCOMPARE(Board().text(), QStringLiteral("kept"));
  }
  // Past 1 MB a copy asks first (a noise picture as PNG is that big); "no" leaves the clipboard as it was.
  void largeCopyAsksFirst() {
    TestWindow window(1 | 2, "[Quorel]\nOutputFormat=1\n");
    QImage noise(1400, 1400, QImage::Format_Grayscale8);
    std::generate_n(noise.bits(), noise.sizeInBytes(), [] { return std::rand(); });  // the low byte of each
    QVERIFY(noise.save(window.settings.FilePath("noise.bmp"), "BMP"));
    window.ImportIntoPanel(PanelIndex::kSignature, window.settings.FilePath("noise.bmp"));
    const MessageLog messages;
    for (const bool yes : {false, true}) {
      Board().setText(QStringLiteral("kept"));
      MessageBox::SetNextAnswer(yes);
      Click(window.Control(control::kCopy));
      QCOMPARE(Board().text() == QStringLiteral("kept"), !yes);
    }
    QCOMPARE(*messages.texts, QStringList(2, LargeClipboardQuestion(Board().text().size())));
  }
  // Without a signature each output says so and writes nothing.
  void outputWithoutAPictureShowsItsMessage() {
    const TestWindow window(1 | 2 | 4);
    const MessageLog messages;
    for (int id : {control::kCopy, control::kPreview, control::kSaveText}) {
      FileDialog::SetNextFileName(window.settings.FilePath("never.txt"));
      Click(window.Control(id));
    }
    // Each says what to do about it.
    QCOMPARE(messages.texts->filter(Text(MessageCode::kSignatureFailed)).filter("外して").size(), 3);
    QVERIFY(!QFile::exists(window.settings.FilePath("never.txt")));
  }
  // A version 5 BMP (the 40-byte one widened as common tools write it) is read like the 40-byte one; a
  // file that is no picture is refused with its name and the reason, and the panel keeps its picture.
  void picturesFromFilesOrARefusalThatSaysWhy() {
    TestWindow window(1 | 2 | 4, {}, {1});
    const MessageLog messages;
    const QByteArray b = ReadAll(SamplePath("signature.bmp"));
    QByteArray bmp = b.left(14) + QByteArray("\x7c\0\0\0", 4) + b.mid(18, 36) + QByteArray(84, 0) + b.mid(54);
    qToLittleEndian<quint32>(quint32(bmp.size()), bmp.data() + 2);
    qToLittleEndian<quint32>(54 + 84, bmp.data() + 10);
    WriteAll(window.settings.FilePath("v5 copy.bmp"), bmp);
    window.ImportIntoPanel(PanelIndex::kSignature, window.settings.FilePath("v5 copy.bmp"));
    window.ImportIntoPanel(PanelIndex::kSeal, SamplePath("signature.bmp"));
    QVERIFY(window.Panel(PanelIndex::kSignature).picture() &&
            std::ranges::equal(window.Panel(PanelIndex::kSignature).picture()->Bytes(), window.Panel(PanelIndex::kSeal).picture()->Bytes()));
    const QString fake = window.settings.FilePath("notes.png");
    WriteAll(fake, "not a picture");
    window.ImportIntoPanel(PanelIndex::kSignature, fake);
    QCOMPARE(messages.texts->size(), 1);
    QVERIFY(messages.texts->front().contains(fake) && messages.texts->front().contains("画像として読めません"));
    QCOMPARE(window.Panel(PanelIndex::kSignature).picture()->Width(), 300);
  }
  // The text file and the preview page are written; a folder in the way of
  // either is reported, and nothing is remembered or opened.
  void outputsAreWrittenOrReported() {
    TestWindow window(1 | 2 | 4, "[Quorel]\nQuorelColor=13158600\n", {0, 1});
    const MessageLog messages;
    const BrowserSpy browser;
    Click(window.Control(control::kPreview));
    const QString page = window.settings.FilePath("$quorel_view.html");
    QCOMPARE(*browser.opened, QUrl::fromLocalFile(page));
    // A light signature is shown on black.
    QCOMPARE(ReadAll(page), "<html><body bgcolor=#000000>" + ExpectedSnippet(window) + "</body></html>");
    Click(window.Control(control::kHelp));
    QVERIFY(browser.opened->toString().endsWith(QStringLiteral("/quorel/help/man.html")));
    const QString existing = window.settings.FilePath("out.txt");
    WriteAll(existing, QByteArray(200000, 'x'));  // longer than the snippet
    for (const bool replace : {false, true}) {  // out.txt is written: asked first
      MessageBox::SetNextAnswer(replace);
      FileDialog::SetNextFileName(window.settings.FilePath("out.html"));
      Click(window.Control(control::kSaveText));
      QCOMPARE(ReadAll(existing) == ExpectedSnippet(window), replace);
    }
    QVERIFY(!QFile::exists(window.settings.FilePath("out.html")));
    QDir(window.settings.Path()).mkdir("in the way.txt");
    FileDialog::SetNextFileName(window.settings.FilePath("in the way.txt"));
    Click(window.Control(control::kSaveText));
    FileDialog::SetNextFileName(QString());
    Click(window.Control(control::kSaveText));
    QCOMPARE(FileDialog::LastRequest().start_path, existing);
    QFile::remove(page);
    QDir(window.settings.Path()).mkdir("$quorel_view.html");
    *browser.opened = QUrl();
    Click(window.Control(control::kPreview));
    QVERIFY(browser.opened->isEmpty());
    // Each says which file, what happened and that the old one stays.
    const QStringList& texts = *messages.texts;
    QVERIFY(texts.size() == 5 && texts[0] == ReplaceFileQuestion(existing) && texts[1] == texts[0]);
    QVERIFY(texts[3].startsWith(kCannotSaveText) && texts[3].contains("in the way.txt"));
    QVERIFY(texts[4].contains("$quorel_view.html") && texts[4].contains("フォルダー"));
  }
  // The outputs for places without data: pictures: the exported files are the mark's pictures and its
  // hosted block (asked before replacing), the message is read back by Python's email package with every
  // cid: found, the clipboard holds the composed PNG beside the inline block; the size readout's tooltip
  // follows the road of the last output.
  void markAsFilesMessageAndPicture() {
    TestWindow window(1 | 2 | 4, "[Quorel]\nBaseUrl=https://example.org/i\nAltText=\"山田\" <b>\n", {0, 1});
    const MessageLog messages;
    const auto mark = MakeMark(window.State().Request());
    QVERIFY(mark && window.State().alts[0] == "\"山田\" <b>");
    window.show();
    QVERIFY(QTest::qWaitForWindowActive(&window));
    const QString folder = window.settings.FilePath("out");
    for (const bool replace : {true, false}) {  // the second export finds the files and asks
      MessageBox::SetNextAnswer(replace);
      FileDialog::SetNextFileName(folder);
      QTest::keyClick(&window, Qt::Key_E, Qt::ControlModifier);
    }
    QCOMPARE(*messages.texts, QStringList{ReplaceFilesQuestion(folder, {"signature.gif", "seal.gif", "snippet.html"})});
    QCOMPARE(ReadAll(folder + "/snippet.html").toStdString(),
             std::string(HostedSnippet(*mark, "https://example.org/i/")->view()));
    QVERIFY(ReadAll(folder + "/seal.gif") == QByteArray(reinterpret_cast<const char*>(mark->images[1]->bytes.data()),
                                                        qsizetype(mark->images[1]->bytes.size())));
    const QLabel* size = window.findChild<QLabel*>(QStringLiteral("snippetSize"));
    QVERIFY(!size->toolTip().contains("Gmail"));

    FileDialog::SetNextFileName(window.settings.FilePath("mark"));
    Click(window.Control(control::kSaveMail));
    const QString check = QStringLiteral(QUOREL_SOURCE_DIR "/tests/core/cli/check_eml.py");
    QCOMPARE(QProcess::execute("python3", {check, window.settings.FilePath("mark.eml"), folder, "Quorel"}), 0);

    QTest::keyClick(&window, Qt::Key_C, Qt::ControlModifier);
    QVERIFY(size->toolTip().contains("Gmail") && size->toolTip().contains("GIF"));
    QTest::keyClick(&window, Qt::Key_C, Qt::ControlModifier | Qt::ShiftModifier);
    const QMimeData* copied = Board().mimeData();
    const auto png = MarkPicture(*mark, OutputDensity::kSingle);
    QCOMPARE(copied->data("image/png"), QByteArray(reinterpret_cast<const char*>(png->data()), qsizetype(png->size())));
    QCOMPARE(copied->html().toStdString(), std::string(InlineSnippet(*mark)->view()));
    QVERIFY(!size->toolTip().contains("Gmail") && size->text().endsWith("バイト"));
    QCOMPARE(messages.texts->size(), 1);
  }
  // Slow work runs off the window: past the delay a progress dialog whose Cancel returns at once; every command
  // is refused politely until the cancelled job's thread has ended, and a cancelled import leaves the panel as it was.
  void slowWorkRunsOffTheWindowAndCanBeCancelled() {
    TestWindow window(1 | 2 | 4, {}, {0, 1});
    const MessageLog messages;
    const auto seal = [&, &panel = window.Panel(PanelIndex::kSeal)] {  // the picture, its readout and its stored file
      return std::tuple(panel.picture()->Width(), window.Control(control::kSealReadout)->property("text"),
                        ReadAll(QFile::decodeName(panel.working_file().c_str())));
    };
    const auto before = seal();
    BackgroundJob::SetDialogDelayMs(0);
    std::atomic<bool> release = false;
    BackgroundJob::SetWorkGateForTest([&release] { while (!release) {} });  // held until Cancel was pressed
    std::function<void()> cancel_when_shown = [&] {
      QProgressDialog* progress = ShownWindow<QProgressDialog>();
      progress ? emit progress->canceled() : QTimer::singleShot(0, cancel_when_shown);
    };
    QTimer::singleShot(0, cancel_when_shown);
    window.ImportIntoPanel(PanelIndex::kSeal, SamplePath("signature.bmp"));
    QVERIFY(BackgroundJob::Busy() && !BackgroundJob::Run(&window, {}, [] {}));
    Click(window.Control(control::kCopy));
    release = true;
    BackgroundJob::WaitForEnd();
    QVERIFY(seal() == before && messages.texts->size() == 1);  // only the copy's refusal
  }
  // A photo cleaned as one offers the seal from it: yes fills the seal panel with the red seal and keeps the
  // pen's ink alone in the signature (after a restart too); no, or a cancel, leaves the seal panel as it was.
  void onePhotoGivesBothMarks() {
    QImage page(360, 200, QImage::Format_RGB32);  // a signed and sealed page: dark pen strokes, a red seal
    page.fill(QColor(232, 226, 212));
    QPainter paint(&page);
    paint.setPen(QPen(QColor(30, 30, 40), 4));
    paint.drawPolyline(QPolygon(QList<QPoint>{{20, 150}, {50, 60}, {80, 140}, {110, 70}, {180, 90}}));
    paint.setPen(QPen(QColor(210, 40, 35), 5));
    paint.drawEllipse(QPoint(280, 100), 45, 45);
    for (const auto& [yes, cancel] : {std::pair{true, false}, {false, false}, {true, true}}) {
      TestWindow window(1 | 2 | 4, "[Quorel]\nclean_type=2\n", {1});
      const QByteArray seal = ReadAll(window.settings.FilePath("$quorel_i.bmp"));
      std::atomic<bool> release = false;
      MessageBox::SetRecorder([&](const QString&) {  // at the question: the seal's import is held, then cancelled
        if (cancel) BackgroundJob::SetWorkGateForTest([&release] { while (!release) {} });
        if (cancel) QTimer::singleShot(0, [&] { emit window.findChild<QProgressDialog*>()->canceled(); });
      });
      MessageBox::SetNextAnswer(yes);
      QVERIFY(page.save(window.settings.FilePath("page.png")));
      window.ImportIntoPanel(PanelIndex::kSignature, window.settings.FilePath("page.png"));
      release = true;
      BackgroundJob::WaitForEnd();
      MessageBox::SetRecorder(nullptr);
      QCOMPARE(ImagePanel::Load(PanelIndex::kSignature, window.Folder(), window.settings.Store()).wanted_ink(), window.Panel(PanelIndex::kSignature).wanted_ink());
      QCOMPARE(RedAndBlack(window.Panel(PanelIndex::kSignature)).first == 0, yes && !cancel);
      const auto [red, black] = RedAndBlack(window.Panel(PanelIndex::kSeal));
      QVERIFY(yes && !cancel ? red > 100 && black == 0 : ReadAll(window.settings.FilePath("$quorel_i.bmp")) == seal);
      // Both panels hold the one photo, not a copy each.
      QCOMPARE(window.Panel(PanelIndex::kSeal).picture() == window.Panel(PanelIndex::kSignature).picture(),
               yes && !cancel);
    }
    // The real box: "don't ask again" ticked with No is kept, and the next photo is taken without a question.
    TestWindow window(1 | 2 | 4, "[Quorel]\nclean_type=2\n", {1});
    QVERIFY(page.save(window.settings.FilePath("page.png")));
    QTimer answer;  // the question comes after the import's own event loop
    QObject::connect(&answer, &QTimer::timeout, [] {
      if (auto* box = ShownWindow<QMessageBox>()) {
        box->checkBox()->setChecked(true);
        box->button(QMessageBox::No)->click();
      }
    });
    answer.start(0);
    window.ImportIntoPanel(PanelIndex::kSignature, window.settings.FilePath("page.png"));
    BackgroundJob::WaitForEnd();
    answer.stop();
    QCOMPARE(window.settings.Store().ReadInt(kOfferSharedPhotoKey, 1), 0);
    int questions = 0;
    MessageBox::SetRecorder([&](const QString&) { ++questions; });
    window.ImportIntoPanel(PanelIndex::kSeal, window.settings.FilePath("page.png"));
    BackgroundJob::WaitForEnd();
    MessageBox::SetRecorder(nullptr);
    QCOMPARE(questions, 0);
  }
  // A saved rectangle mostly off the right edge is fitted into its monitor;
  // the owner-drawn controls show where the keyboard focus is; Esc closes and
  // saves where the window is.
  void focusIsMarkedAndTheRectangleKept() {
    const QRect monitor = QGuiApplication::primaryScreen()->geometry();
    TestWindow window(14, QStringLiteral("[Quorel]\nRect=%1,10,%2,210\n")
                              .arg(monitor.right() - 50).arg(monitor.right() + 350).toUtf8());
    QCOMPARE(window.frameGeometry().right(), monitor.right());
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
    window.move(40, 30);
    QTest::keyClick(&window, Qt::Key_Escape);
    const WindowRect rect = window.settings.Store().ReadRect();
    QCOMPARE(QRect(QPoint(rect.left, rect.top), QPoint(rect.right - 1, rect.bottom - 1)),
             window.frameGeometry());
  }
};

}  // namespace quorel::test

QTEST_MAIN(quorel::test::MainWindowTest)
#include "MainWindowTest.moc"
