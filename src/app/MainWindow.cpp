// Quorel — SPDX-License-Identifier: MIT
#include "app/MainWindow.h"

#include <QApplication>
#include <QCheckBox>
#include <QFile>
#include <QGroupBox>
#include <QLineEdit>
#include <QToolButton>

#include "app/ColourSwatch.h"
#include "app/ControlIds.h"
#include "app/DialogUnits.h"
#include "app/Icons.h"
#include "app/PictureButton.h"
#include "app/dialogs/ScaleDialog.h"
#include "app/dialogs/SettingsDialog.h"
#include "app/hint/HintController.h"
#include "app/platform/Browser.h"
#include "app/platform/Clipboard.h"
#include "app/platform/FileDialogs.h"
#include "app/platform/MessageBox.h"
#include "app/platform/ExternalEditor.h"
#include "app/platform/Placement.h"
#include "app/platform/PopupMenu.h"
#include "app/platform/SiblingLink.h"
#include "codec/bmp/BmpFile.h"
#include "codec/ImportPicture.h"
#include "output/PreviewPage.h"
#include "output/Snippet.h"
#include "settings/InkColours.h"
#include "settings/OptionBits.h"

namespace quorel {
namespace {

constexpr int kWidthUnits = 309;
constexpr int kHeightUnits = 134;

std::filesystem::path ToPath(const QString& path) {
  return std::filesystem::path(QFile::encodeName(path).toStdString());
}

QString FromUtf8(const std::string& text) {
  return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

// The font the window is laid out with: the desktop's face at 8 points.
QFont DialogFont() {
  QFont font = QApplication::font();
  font.setPointSize(8);
  return font;
}

// The message shown for an output that cannot be made.
MessageCode MessageForStatus(Status status) {
  if (status == Status::kSignatureFailed) return MessageCode::kSignatureFailed;
  if (status == Status::kSealFailed) return MessageCode::kSealFailed;
  return MessageCode::kSystemFault;
}

}  // namespace

MainWindow::MainWindow(SettingsFolder folder, int32_t option_bits, QWidget* parent,
                       std::unique_ptr<HintEnvironment> environment)
    : QDialog(parent),
      folder_(std::move(folder)),
      store_(folder_.IniPath()),
      hints_(std::make_unique<HintController>(std::move(environment))) {
  state_.option_bits = option_bits;
  setWindowTitle(QStringLiteral("Quorel Ver1.0"));
  setWindowIcon(IconResource(101));
  setFont(DialogFont());
  BuildControls();
  PlaceWindow();

  hints_->RecordHintRects(*this, [this](int id) { return Control(id); });
  hints_->StartHints(*this);

  sibling_ = std::make_unique<SiblingLink>();
  connect(sibling_.get(), &SiblingLink::PicturePushed, this, &MainWindow::OnPicturePushed,
          Qt::QueuedConnection);
  sibling_->RegisterWithSibling();

  for (int i = 0; i < 2; ++i) {
    PictureButton* button = pictures_[static_cast<size_t>(i)];
    SetUpPanel(state_.panels[static_cast<size_t>(i)], static_cast<PanelIndex>(i), button->width(),
               button->height(), folder_, store_);
    ShowPanel(i);
  }
  for (int i = 0; i < 2; ++i) {
    UpdateTargetReadout(state_.panels[static_cast<size_t>(i)]);
    ShowPanel(i);
  }

  state_.inks = ReadInkColours(store_);
  swatches_[0]->SetColour(state_.inks[0]);
  swatches_[1]->SetColour(state_.inks[1]);

  enabled_[0]->setChecked(option_bits & option_bit::kSignature);
  enabled_[1]->setChecked(option_bits & option_bit::kSeal);
  switch (AlignmentOf(option_bits)) {
    case Alignment::kRight: align_[2]->setChecked(true); break;
    case Alignment::kCentre: align_[1]->setChecked(true); break;
    case Alignment::kLeft: align_[0]->setChecked(true); break;
  }
}

MainWindow::~MainWindow() { hints_->HideHint(); }

void MainWindow::BuildControls() {
  const DialogUnits units = DialogUnits::ForFont(font());
  setFixedSize(units.X(kWidthUnits), units.Y(kHeightUnits));

  auto place = [&](QWidget* widget, int id, int x, int y, int w, int h) {
    widget->setGeometry(units.ToPixels(x, y, w, h));
    if (id != 0) {
      widget->setObjectName(QStringLiteral("c%1").arg(id));
      controls_[id] = widget;
    }
  };
  auto icon_button = [&](int id, int icon, int x, int y, int w, int h) {
    auto* button = new QToolButton(this);
    button->setIcon(IconResource(icon));
    button->setIconSize(QSize(16, 16));
    place(button, id, x, y, w, h);
    connect(button, &QToolButton::clicked, this, [this, id] { RunCommand(id); });
    return button;
  };

  place(new QGroupBox(this), 0, 5, 3, 178, 108);
  place(new QGroupBox(this), 0, 186, 3, 118, 108);

  const std::array<int, 2> picture_ids{control::kSignaturePicture, control::kSealPicture};
  const std::array<int, 2> readout_ids{control::kSignatureReadout, control::kSealReadout};
  const std::array<int, 2> swatch_ids{control::kSignatureSwatch, control::kSealSwatch};
  const std::array<int, 2> enable_ids{control::kSignatureEnabled, control::kSealEnabled};
  const std::array<QRect, 2> picture_units{QRect(15, 15, 158, 61), QRect(196, 16, 64, 61)};
  const std::array<QRect, 2> readout_units{QRect(16, 78, 167, 12), QRect(197, 78, 106, 12)};
  const std::array<int, 2> swatch_x{15, 196};
  const std::array<int, 2> enable_x{12, 192};
  const std::array<QString, 2> enable_text{QStringLiteral("Quorel"), QStringLiteral("印影")};

  for (size_t i = 0; i < 2; ++i) {
    auto* picture = new PictureButton(this);
    const QRect& p = picture_units[i];
    place(picture, picture_ids[i], p.x(), p.y(), p.width(), p.height());
    connect(picture, &PictureButton::clicked, this, [this, id = picture_ids[i]] { RunCommand(id); });
    pictures_[i] = picture;

    auto* readout = new QLineEdit(this);
    readout->setReadOnly(true);
    const QRect& r = readout_units[i];
    place(readout, readout_ids[i], r.x(), r.y(), r.width(), r.height());
    readouts_[i] = readout;

    auto* swatch = new ColourSwatch(this);
    place(swatch, swatch_ids[i], swatch_x[i], 91, 26, 14);
    connect(swatch, &ColourSwatch::clicked, this, [this, id = swatch_ids[i]] { RunCommand(id); });
    swatches_[i] = swatch;

    // The check boxes sit on the frames' top edges, so they come after them.
    auto* enabled = new QCheckBox(enable_text[i], this);
    enabled->setAutoFillBackground(true);
    place(enabled, enable_ids[i], enable_x[i], 2, 32, 10);
    enabled_[i] = enabled;
  }

  scale_buttons_[0] = icon_button(control::kSignatureScale, 108, 46, 91, 15, 14);
  scale_buttons_[1] = icon_button(control::kSealScale, 108, 227, 91, 15, 14);
  icon_button(control::kSignatureEdit, 114, 63, 91, 15, 14);
  icon_button(control::kSealEdit, 114, 244, 91, 15, 14);

  const std::array<int, 3> align_ids{control::kAlignLeft, control::kAlignCentre,
                                     control::kAlignRight};
  const std::array<int, 3> align_icons{113, 112, 111};
  for (size_t i = 0; i < 3; ++i) {
    align_[i] = icon_button(align_ids[i], align_icons[i], 8 + 16 * static_cast<int>(i), 113, 15, 14);
    align_[i]->setCheckable(true);
  }

  icon_button(control::kPreview, 222, 65, 115, 32, 15);
  icon_button(control::kCopy, 105, 101, 115, 32, 15);
  icon_button(control::kSaveText, 106, 136, 115, 33, 15);
  icon_button(control::kSettings, 116, 269, 115, 15, 15);
  icon_button(control::kHelp, 115, 288, 115, 15, 15);
}

void MainWindow::PlaceWindow() {
  const WindowRect saved = store_.ReadRect();
  const int width = saved.right - saved.left;
  const int height = saved.bottom - saved.top;
  if (width <= 0 || height <= 0) {
    PlaceAtCursor(*this);
    return;
  }
  const QRect monitor = MonitorRectOf(QRect(saved.left, saved.top, width, height));
  move(FitIntoMonitor(QPoint(saved.left, saved.top), frameGeometry().size(), monitor));
}

QWidget* MainWindow::Control(int id) const {
  const auto found = controls_.find(id);
  return found == controls_.end() ? nullptr : found->second;
}

void MainWindow::RunCommand(int id) {
  switch (id) {
    case control::kCancel: reject(); break;
    case control::kAlignLeft:
    case control::kAlignCentre:
    case control::kAlignRight: SelectAlignment(id); break;
    case control::kSignatureSwatch: SetColour(0); break;
    case control::kSealSwatch: SetColour(1); break;
    case control::kSignaturePicture: LoadPicture(0); break;
    case control::kSealPicture: LoadPicture(1); break;
    case control::kCopy:
      StoreOptionBits();
      CopySnippetToClipboard();
      break;
    case control::kSaveText:
      StoreOptionBits();
      SaveSnippetAsText();
      break;
    case control::kPreview:
      StoreOptionBits();
      ShowBrowserPreview();
      break;
    case control::kSignatureScale: RunScaleDialog(0); break;
    case control::kSealScale: RunScaleDialog(1); break;
    case control::kSignatureEdit: EditPanelPicture(0); break;
    case control::kSealEdit: EditPanelPicture(1); break;
    case control::kSettings: RunSettingsDialog(); break;
    case control::kHelp: Browser::Open(HelpPageUrl()); break;
    default: break;
  }
}

void MainWindow::SelectAlignment(int id) {
  for (QToolButton* button : align_) button->setChecked(button == Control(id));
}

void MainWindow::StoreOptionBits() {
  Alignment align = Alignment::kRight;
  if (align_[0]->isChecked()) {
    align = Alignment::kLeft;
  } else if (align_[1]->isChecked()) {
    align = Alignment::kCentre;
  }
  state_.option_bits = StoreOutputChoices(state_.option_bits, enabled_[0]->isChecked(),
                                    enabled_[1]->isChecked(), align);
}

void MainWindow::SetColour(int index) {
  const size_t i = static_cast<size_t>(index);
  std::optional<Colour> colour = Clipboard::TakeColourText();
  if (!colour) colour = ChooseColour(this, state_.inks[i], custom_colours_);
  if (!colour) return;
  state_.inks[i] = *colour;
  swatches_[i]->SetColour(*colour);
}

void MainWindow::LoadPicture(int index) {
  if (std::optional<PackedDib> picture = Clipboard::TakePicture()) {
    TakeNewPicture(index, std::move(picture));
    return;
  }
  QString path;
  const QString title = index == 0 ? QStringLiteral("Quorelの画像を読み込む")
                                   : QStringLiteral("印影の画像を読み込む");
  const FileFilter filter{QStringLiteral("画像ファイル"), QStringLiteral("*.jpg;*.gif;*.bmp;*.png")};
  if (!ChooseOpenFile(filter, path, nullptr, title)) return;
  ImportIntoPanel(index, path);
}

void MainWindow::TakeNewPicture(int index, std::optional<PackedDib> picture) {
  ImagePanel& panel = state_.panels[static_cast<size_t>(index)];
  panel.picture = std::move(picture);
  (void)ApplyNewPicture(panel, store_);  // a picture that cannot be used leaves the panel empty
  RefreshPreview(panel);
  ShowPanel(index);
}

void MainWindow::ImportIntoPanel(int index, const QString& path) {
  ImagePanel& panel = state_.panels[static_cast<size_t>(index)];
  // NOTE: a file that cannot be read leaves the panel empty, without a word.
  (void)ImportPictureFile(panel.picture, ToPath(path));
  (void)ApplyNewPicture(panel, store_);  // a picture that cannot be used leaves the panel empty
  RefreshPreview(panel);
  ShowPanel(index);
}

void MainWindow::ShowPanel(int index) {
  const size_t i = static_cast<size_t>(index);
  const ImagePanel& panel = state_.panels[i];
  readouts_[i]->setText(FromUtf8(panel.readout));
  pictures_[i]->SetPreview(panel.preview ? &*panel.preview : nullptr);
  SetScaleIcon(index);
}

void MainWindow::SetScaleIcon(int index) {
  const size_t i = static_cast<size_t>(index);
  scale_buttons_[i]->setIcon(IconResource(state_.panels[i].scale.mode == kScaleNone ? 108 : 109));
}

void MainWindow::RunScaleDialog(int index) {
  ImagePanel& panel = state_.panels[static_cast<size_t>(index)];
  hints_->SetHintsEnabled(false);
  const bool confirmed = OpenScaleDialog(panel, store_, this);
  hints_->SetHintsEnabled(true);
  if (!confirmed) return;
  SetScaleIcon(index);
  // Only the readout's suffix changes; the preview is not redrawn.
  UpdateTargetReadout(panel);
  readouts_[static_cast<size_t>(index)]->setText(FromUtf8(panel.readout));
}

void MainWindow::RunSettingsDialog() {
  hints_->SetHintsEnabled(false);
  SettingsDialog dialog(store_, this);
  dialog.exec();
  hints_->SetHintsEnabled(true);
}

void MainWindow::EditPanelPicture(int index) {
  ImagePanel& panel = state_.panels[static_cast<size_t>(index)];
  if (!panel.picture) return;
  const std::filesystem::path transfer = folder_.TransferBmpPath();
  if (!WriteBmpFile(*panel.picture, transfer)) return;
  if (index == 0) showMinimized();
  const QString editor = FromUtf8(store_.ReadString(kOptionSection, kGraphicEditorKey));
  if (RunEditor(editor, transfer, this)) {
    ImportIntoPanel(index, QFile::decodeName(transfer.c_str()));
  }
  if (index == 0) showNormal();
}

void MainWindow::OnPicturePushed() {
  const HintEnvironment& environment = hints_->Environment();
  if (guard_.Drop(environment.NowMs())) return;
  const PictureMenuOutcome outcome = RunPictureMenu(this, environment.CursorPos());
  switch (outcome.choice) {
    case PictureMenuChoice::kSignature:
    case PictureMenuChoice::kSeal:
      ImportIntoPanel(outcome.choice == PictureMenuChoice::kSignature ? 0 : 1,
                      QFile::decodeName(folder_.TransferBmpPath().c_str()));
      break;
    case PictureMenuChoice::kClose:
      if (outcome.mouse_button_down) guard_.Arm(environment.NowMs());
      break;
  }
}

std::optional<std::string> MainWindow::MakeSnippet() {
  auto snippet = BuildSnippet(state_, folder_.Path());
  if (!snippet) {
    MessageBox::ShowMessage(this, MessageForStatus(snippet.status()));
    return std::nullopt;
  }
  return std::move(*snippet);
}

bool MainWindow::CopySnippetToClipboard() {
  const std::optional<std::string> snippet = MakeSnippet();
  if (!snippet) return false;
  if (!Clipboard::PutText(*snippet)) {
    MessageBox::ShowMessage(this, MessageCode::kClipboardBusy);
    return false;
  }
  return true;
}

void MainWindow::SaveSnippetAsText() {
  const std::optional<std::string> snippet = MakeSnippet();
  if (!snippet) return;
  QString path = FromUtf8(store_.ReadString(kQuorelSection, kOutputFileKey));
  if (!ChooseTextOutputFile(path, this)) return;
  const QByteArray utf8 = path.toUtf8();
  (void)store_.WriteString(kQuorelSection, kOutputFileKey,
                           std::string_view(utf8.constData(), static_cast<size_t>(utf8.size())));
  // NOTE: a file that cannot be written is not reported, as before.
  (void)WriteTextFile(*snippet, ToPath(path));
}

void MainWindow::ShowBrowserPreview() {
  const std::optional<std::string> snippet = MakeSnippet();
  if (!snippet) return;
  const std::filesystem::path page_path = folder_.PreviewPagePath();
  const auto page = MakePreviewPage(*snippet, state_.option_bits, state_.inks[0]);
  if (!page) {
    MessageBox::ShowMessage(this, MessageForStatus(page.status()));
    return;
  }
  (void)WriteTextFile(*page, page_path);
  Browser::Open(QUrl::fromLocalFile(QFile::decodeName(page_path.c_str())));
}

void MainWindow::done(int result) {
  Shutdown();
  QDialog::done(result);
}

void MainWindow::Shutdown() {
  if (shut_down_) return;
  shut_down_ = true;
  const QRect frame = frameGeometry();
  (void)store_.WriteRect(WindowRect{frame.x(), frame.y(), frame.x() + frame.width(),
                              frame.y() + frame.height()});
  hints_->HideHint();
  sibling_->UnregisterFromSibling();
}

}  // namespace quorel
