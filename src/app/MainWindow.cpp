// Quorel — SPDX-License-Identifier: MIT
#include "app/MainWindow.h"

#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QFile>
#include <QFileInfo>
#include <QGroupBox>
#include <QLabel>
#include <QLocale>
#include <QLineEdit>
#include <QMimeData>
#include <QShortcut>
#include <QToolButton>
#include <cerrno>
#include <utility>

#include "app/BackgroundJob.h"
#include "app/ColourSwatch.h"
#include "app/ControlIds.h"
#include "app/DialogUnits.h"
#include "app/WindowMessages.h"
#include "app/Icons.h"
#include "app/PictureButton.h"
#include "app/dialogs/ScaleDialog.h"
#include "app/dialogs/SettingsDialog.h"
#include "app/hint/HintController.h"
#include "app/hint/HintTable.h"
#include "app/platform/Browser.h"
#include "app/platform/Clipboard.h"
#include "app/platform/FileDialogs.h"
#include "app/platform/MessageBox.h"
#include "app/platform/ExternalEditor.h"
#include "app/platform/Placement.h"
#include "app/platform/PopupMenu.h"
#include "app/platform/SiblingLink.h"
#include "codec/bmp/BmpFile.h"
#include "output/OutputStyle.h"
#include "output/PreviewPage.h"
#include "output/Mark.h"
#include "output/Snippet.h"
#include "panel/CleanupSettings.h"
#include "panel/NewPicture.h"
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

// A panel's place in the window's per-panel arrays.
constexpr size_t Slot(PanelIndex index) { return static_cast<size_t>(index); }

constexpr PanelIndex OtherPanel(PanelIndex index) {
  return index == PanelIndex::kSignature ? PanelIndex::kSeal : PanelIndex::kSignature;
}

// A panel holds a photo when it cleans its picture as one. NOTE: not judged
// by size: a large scan or a screenshot is no photo of a signed page, and
// the offer comes when the level is set to photo later too.
bool HoldsPhoto(const ImagePanel& panel) {
  const PackedDib* picture = panel.picture();
  return picture && !IsSmallPicture(*picture) && picture->BitCount() == 24 &&
         panel.cleanup() == CleanupLevel::kPhoto;
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
  setWindowIcon(IconOf(Icon::kWindow));
  UseDialogFont(*this);
  BuildControls();
  PlaceWindow();

  hints_->RecordHintRects(*this, [this](int id) { return Control(id); });
  hints_->StartHints(*this);

  sibling_ = std::make_unique<SiblingLink>();
  connect(sibling_.get(), &SiblingLink::PicturePushed, this, &MainWindow::OnPicturePushed,
          Qt::QueuedConnection);
  connect(sibling_.get(), &SiblingLink::RaiseRequested, this, &MainWindow::BringForward);
  sibling_->RegisterWithSibling();

  for (const PanelIndex index : kPanelIndexes) {
    const PictureButton* button = pictures_[Slot(index)];
    ImagePanel& panel = state_.Panel(index);
    panel = ImagePanel::Load(index, folder_, store_);
    state_.photo_inks[Slot(index)] = ReadPhotoInk(store_, index);
    // Previews in device pixels: a HiDPI screen shows twice the detail.
    panel.ShowIn(button->width(), button->height(), button->devicePixelRatioF());
    ShowPanel(index);
  }

  state_.inks = ReadInkColours(store_);
  ReadOutputSettings();
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

MainWindow::~MainWindow() {
  BackgroundJob::WaitForEnd();  // a cancelled job may still read the panels
  hints_->HideHint();
}

namespace {

// One panel's controls: their ids and where they sit, in dialog units.
struct PanelLayout {
  int picture_id, readout_id, swatch_id, enabled_id, scale_id, edit_id;
  QRect picture, readout;
  int swatch_x, enabled_x, scale_x, edit_x;
  const char* enabled_text;
  const char* open_title;
};

const std::array<PanelLayout, 2> kPanelLayouts{{
    {control::kSignaturePicture, control::kSignatureReadout, control::kSignatureSwatch,
     control::kSignatureEnabled, control::kSignatureScale, control::kSignatureEdit,
     QRect(15, 15, 158, 61), QRect(16, 78, 167, 12), 15, 12, 46, 63, "Quorel",
     "Quorelの画像を読み込む"},
    {control::kSealPicture, control::kSealReadout, control::kSealSwatch, control::kSealEnabled,
     control::kSealScale, control::kSealEdit, QRect(196, 16, 64, 61), QRect(197, 78, 106, 12),
     196, 192, 227, 244, "印影", "印影の画像を読み込む"},
}};

// The alignment buttons from left to right.
constexpr std::array<std::pair<int, Icon>, 3> kAlignButtons{{
    {control::kAlignLeft, Icon::kAlignLeft},
    {control::kAlignCentre, Icon::kAlignCentre},
    {control::kAlignRight, Icon::kAlignRight},
}};

}  // namespace

void MainWindow::BuildControls() {
  const DialogUnits units = DialogUnits::ForFont(font());
  setFixedSize(units.X(kWidthUnits), units.Y(kHeightUnits));

  auto place = [&](QWidget* widget, int id, const QRect& rect) {
    widget->setGeometry(units.ToPixels(rect.x(), rect.y(), rect.width(), rect.height()));
    if (id != 0) {
      widget->setObjectName(QStringLiteral("c%1").arg(id));
      controls_[id] = widget;
    }
  };
  auto icon_button = [&](int id, Icon icon, const QRect& rect) {
    auto* button = new QToolButton(this);
    button->setIcon(IconOf(icon));
    button->setIconSize(QSize(16, 16));
    place(button, id, rect);
    return button;
  };

  place(new QGroupBox(this), 0, QRect(5, 3, 178, 108));
  place(new QGroupBox(this), 0, QRect(186, 3, 118, 108));

  for (const PanelIndex index : kPanelIndexes) {
    const size_t i = Slot(index);
    const PanelLayout& layout = kPanelLayouts[i];
    pictures_[i] = new PictureButton(this);
    place(pictures_[i], layout.picture_id, layout.picture);
    connect(pictures_[i], &PictureButton::clicked, this, [this, index] { LoadPicture(index); });
    connect(pictures_[i], &PictureButton::PictureDropped, this,
            [this, index](const QMimeData& data) { (void)TakeOffered(index, data); });

    readouts_[i] = new QLineEdit(this);
    readouts_[i]->setReadOnly(true);
    // Not a tab stop, and never the holder of Ctrl+C: the keys mean the outputs.
    readouts_[i]->setFocusPolicy(Qt::NoFocus);
    place(readouts_[i], layout.readout_id, layout.readout);

    swatches_[i] = new ColourSwatch(this);
    place(swatches_[i], layout.swatch_id, QRect(layout.swatch_x, 91, 26, 14));
    connect(swatches_[i], &ColourSwatch::clicked, this, [this, index] { SetColour(index); });

    // The check boxes sit on the frames' top edges, so they come after them.
    enabled_[i] = new QCheckBox(QString::fromUtf8(layout.enabled_text), this);
    enabled_[i]->setAutoFillBackground(true);
    // Wide enough for "Quorel" whole at any scale.
    place(enabled_[i], layout.enabled_id, QRect(layout.enabled_x, 2, 40, 10));

    scale_buttons_[i] =
        icon_button(layout.scale_id, Icon::kScaleNone, QRect(layout.scale_x, 91, 15, 14));
    connect(scale_buttons_[i], &QToolButton::clicked, this,
            [this, index] { RunScaleDialog(index); });
    QToolButton* edit = icon_button(layout.edit_id, Icon::kEdit, QRect(layout.edit_x, 91, 15, 14));
    connect(edit, &QToolButton::clicked, this, [this, index] { EditPanelPicture(index); });
  }

  // The alignment buttons: one group for screen readers, one choice.
  auto* align_group = new QWidget(this);
  align_group->setAccessibleName(QStringLiteral("配置"));
  place(align_group, 0, QRect(8, 113, 47, 14));
  auto* exclusive = new QButtonGroup(align_group);
  for (size_t i = 0; i < kAlignButtons.size(); ++i) {
    const auto [id, icon] = kAlignButtons[i];
    align_[i] = icon_button(id, icon, QRect(8 + 16 * static_cast<int>(i), 113, 15, 14));
    align_[i]->setParent(align_group);
    align_[i]->move(align_group->mapFromParent(align_[i]->pos()));
    align_[i]->setCheckable(true);
    exclusive->addButton(align_[i]);
    connect(align_[i], &QToolButton::clicked, this, [this, id] { SelectAlignment(id); });
  }

  struct CommandButton {
    int id;
    Icon icon;
    QRect rect;
    void (MainWindow::*slot)();
    const char* name;  // for screen readers where no hint says it
  };
  // In tab order: the outputs of old, the three for places without data:
  // pictures, then settings and help.
  const std::array<CommandButton, 8> commands{{
      {control::kPreview, Icon::kView, QRect(59, 115, 23, 15), &MainWindow::PreviewSnippet, nullptr},
      {control::kCopy, Icon::kCopy, QRect(83, 115, 23, 15), &MainWindow::CopySnippet, nullptr},
      {control::kSaveText, Icon::kSave, QRect(107, 115, 23, 15), &MainWindow::SaveSnippet, nullptr},
      {control::kExport, Icon::kExport, QRect(131, 115, 23, 15), &MainWindow::ExportMarkFiles, nullptr},
      {control::kSaveMail, Icon::kMail, QRect(155, 115, 23, 15), &MainWindow::SaveMailMessage, nullptr},
      {control::kCopyPicture, Icon::kPicture, QRect(179, 115, 23, 15), &MainWindow::CopyMarkPicture, nullptr},
      {control::kSettings, Icon::kSettings, QRect(269, 115, 15, 15), &MainWindow::RunSettingsDialog,
       "設定"},
      {control::kHelp, Icon::kHelp, QRect(288, 115, 15, 15), &MainWindow::OpenHelp, "ヘルプ"},
  }};
  for (const CommandButton& command : commands) {
    QToolButton* button = icon_button(command.id, command.icon, command.rect);
    connect(button, &QToolButton::clicked, this, command.slot);
    if (command.name) button->setAccessibleName(QString::fromUtf8(command.name));
  }
  // The size of the last output, in the free space of the bottom row.
  snippet_size_ = new QLabel(this);
  snippet_size_->setObjectName(QStringLiteral("snippetSize"));
  snippet_size_->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
  place(snippet_size_, 0, QRect(204, 116, 62, 12));  // clear of the wrench
  ShowWhereItShows();

  // Screen readers say the first line of a control's hint, or what a click
  // does where that line says something else.
  for (const HintText& hint : kHintTable) {
    const QString text =
        QString::fromUtf8(hint.text.data(), static_cast<qsizetype>(hint.text.size()));
    Control(hint.control_id)->setAccessibleName(text.section(QLatin1Char('\n'), 0, 0));
  }
  for (const auto& [id, name] : {std::pair{control::kSignaturePicture, "Quorelの画像を読み込む"},
                                 std::pair{control::kSealPicture, "印影の画像を読み込む"},
                                 std::pair{control::kSealReadout, "印影画像の幅と高さ、拡大率"},
                                 std::pair{control::kSaveText, "変換したデータをテキストファイルに出力する"},
                                 std::pair{control::kExport, "画像ファイルとHTMLをフォルダーに書き出す"},
                                 std::pair{control::kCopyPicture, "Quorelと印影を1枚の透明なPNG画像としてコピーする"}}) {
    Control(id)->setAccessibleName(QString::fromUtf8(name));
  }

  // The output shortcuts, unless an editable text field has the keys.
  using Slot = void (MainWindow::*)();
  for (const auto& [keys, slot] : {std::pair<QKeyCombination, Slot>{Qt::CTRL | Qt::Key_C, &MainWindow::CopySnippet},
                                   {Qt::CTRL | Qt::Key_S, &MainWindow::SaveSnippet},
                                   {Qt::CTRL | Qt::Key_P, &MainWindow::PreviewSnippet},
                                   {Qt::CTRL | Qt::Key_E, &MainWindow::ExportMarkFiles},
                                   {Qt::CTRL | Qt::Key_M, &MainWindow::SaveMailMessage},
                                   {Qt::CTRL | Qt::SHIFT | Qt::Key_C, &MainWindow::CopyMarkPicture}}) {
    auto* shortcut = new QShortcut(QKeySequence(keys), this);
    connect(shortcut, &QShortcut::activated, this, [this, slot = slot] {
      const auto* field = qobject_cast<QLineEdit*>(focusWidget());
      if (!field || field->isReadOnly()) (this->*slot)();
    });
  }
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
  // The colours too, so the next start (and the tool) uses them.
  (void)WriteInkColours(store_, state_.inks);
}

void MainWindow::SetColour(PanelIndex index) {
  if (!Idle()) return;
  const size_t i = Slot(index);
  std::optional<Colour> colour = Clipboard::TakeColourText();
  if (!colour) colour = ChooseColour(this, state_.inks[i], custom_colours_);
  if (!colour) return;
  state_.inks[i] = *colour;
  swatches_[i]->SetColour(*colour);
  // The colour says which ink a seal's photo clean-up keeps. NOTE: a cancelled
  // clean-up leaves the panel's; the outputs then clean for the new colour.
  (void)Reclean(index, state_.Panel(index).cleanup(), WantedInk(index, *colour, state_.photo_inks[i]));
}

void MainWindow::LoadPicture(PanelIndex index) {
  if (!Idle()) return;
  // A picture, or a file copied in a file manager, on the clipboard.
  // The clipboard is emptied only once the panel holds its picture: a
  // refusal or a cancel leaves it there.
  if (const QMimeData* data = Clipboard::Content()) {
    if (const std::optional<bool> taken = TakeOffered(index, *data)) {
      if (*taken) Clipboard::Clear();
      return;
    }
  }
  QString path;
  const QString title = QString::fromUtf8(kPanelLayouts[Slot(index)].open_title);
  // Without an owner every window stays usable; closing this one cancels it.
  if (!ChooseOpenFile(PictureFilters(), path, nullptr, title, QDir::Filters(), this)) return;
  ImportIntoPanel(index, path);
}

std::optional<bool> MainWindow::TakeOffered(PanelIndex index, const QMimeData& data) {
  if (!Idle()) return false;  // said why not
  if (const std::optional<QString> file = PictureFileOf(data)) return ImportIntoPanel(index, *file);
  std::optional<PackedDib> picture = PictureOf(data);
  if (!picture) return std::nullopt;
  return TakeNewPicture(index, std::move(picture), QStringLiteral("クリップボードの画像"));
}

bool MainWindow::TakeNewPicture(PanelIndex index, std::optional<PackedDib> picture, const QString& source) {
  if (!picture) return false;
  auto taken = std::make_shared<const PackedDib>(std::move(*picture));
  return ImportInBackground(index, source, [taken]() -> Result<std::shared_ptr<const PackedDib>> { return taken; });
}

bool MainWindow::ImportIntoPanel(PanelIndex index, const QString& path) {
  const std::filesystem::path file = ToPath(path);
  // Read straight into the panel's 24-bit picture: one whole picture.
  return ImportInBackground(index, path, [file]() -> Result<std::shared_ptr<const PackedDib>> {
    return std::make_shared<const PackedDib>(std::move(QUOREL_TRY(ReadNewPicture(file)).picture));
  });
}

bool MainWindow::ImportInBackground(PanelIndex index, const QString& source,
                                    std::function<Result<std::shared_ptr<const PackedDib>>()> read,
                                    ImportRole role) {
  if (!Idle()) return false;
  // A picture of its own is the panel's: a shared photo's ink no longer applies.
  const bool shared = role == ImportRole::kSharedPhoto;
  const CleanupLevel level = shared ? CleanupLevel::kPhoto : state_.Panel(index).cleanup();
  const InkWanted wanted = shared ? SharedPhotoInk(index) : WantedInk(index, state_.inks[Slot(index)]);
  // A shared photo's mark keeps the panel's scale: the seal is sized as it was.
  const auto scale = shared ? ImagePanel::ScaleOnNew::kKeep : ImagePanel::ScaleOnNew::kReset;
  // Read, converted, cleaned and drawn off the GUI thread: a large photo
  // takes seconds. The job only reads the live panel (painted meanwhile; the
  // commands that change it wait for Idle()) and builds its successor, which
  // is swapped in here: a refusal, a failed conversion or a cancel leaves
  // the panel as it was.
  auto made = std::make_shared<Result<ImagePanel>>(Status::kCannotOpen);
  const ImagePanel& live = state_.Panel(index);
  if (!BackgroundJob::Run(this, QStringLiteral("画像を読み込んでいます…"), [made, read = std::move(read), &live, level, wanted, scale] {
        Result<std::shared_ptr<const PackedDib>> picture = read();
        *made = picture ? live.WithNewPicture(std::move(*picture), level, wanted, scale) : Result<ImagePanel>(picture.status());
      })) {
    return false;  // cancelled
  }
  if (!*made) {
    MessageBox::ShowText(this, PictureRefusedText(source, made->status()));
    return false;
  }
  state_.Panel(index) = std::move(**made);
  if (shared) {
    (void)WriteCleanupLevel(store_, index, level);
  } else {
    (void)store_.WriteString(kQuorelSection, ScaleKeysFor(index).mode, "0");
  }
  SetPhotoInk(index, shared ? std::optional(wanted) : std::nullopt);
  ShowPanel(index);
  StorePicture(index);
  SayIfInkLost(index, true);
  offered_[Slot(index)] = false;
  if (!shared) OfferSharedPhoto(index);
  return true;
}

void MainWindow::OfferSharedPhoto(PanelIndex index) {
  // Once per picture, and never for one that came as a shared photo's mark.
  if (state_.photo_inks[Slot(index)] || !HoldsPhoto(state_.Panel(index)) ||
      store_.ReadInt(kOfferSharedPhotoKey, 1) == 0 || std::exchange(offered_[Slot(index)], true)) {
    return;
  }
  bool never_again = false;
  const bool replaces = state_.Panel(OtherPanel(index)).picture() != nullptr;
  const bool yes = MessageBox::Ask(this, SharedPhotoQuestion(index == PanelIndex::kSignature, replaces), &never_again,
                                   QString::fromUtf8(kNeverAskAgainText));
  if (never_again) (void)store_.WriteInt(kOfferSharedPhotoKey, 0);
  if (yes) TakeSharedPhoto(index);
}

void MainWindow::TakeSharedPhoto(PanelIndex index) {
  // NOTE: the photo is not decoded again: the panel holds it as decoded,
  // turned upright and made 24-bit, which is what a second read of the file
  // would give (and a picture from the clipboard has no file to read). Both
  // panels hold the one picture, which neither changes.
  std::shared_ptr<const PackedDib> photo = state_.Panel(index).shared_picture();
  if (!photo) return;
  if (!ImportInBackground(OtherPanel(index), QStringLiteral("同じ写真"),
                          [photo]() -> Result<std::shared_ptr<const PackedDib>> { return photo; },
                          ImportRole::kSharedPhoto)) {
    return;  // cancelled: the other panel is as it was, and so is this one
  }
  // Both marks were asked for: both take part in the outputs.
  for (QCheckBox* enabled : enabled_) enabled->setChecked(true);
  // This panel keeps its own mark only: a signature drops the seal's ink.
  const InkWanted wanted = SharedPhotoInk(index);
  if (!Reclean(index, CleanupLevel::kPhoto, wanted)) return;
  (void)WriteCleanupLevel(store_, index, CleanupLevel::kPhoto);
  SetPhotoInk(index, wanted);
}

void MainWindow::SetPhotoInk(PanelIndex index, std::optional<InkWanted> ink) {
  if (state_.photo_inks[Slot(index)] == ink) return;  // every import comes here: no write for nothing
  state_.photo_inks[Slot(index)] = ink;
  (void)WritePhotoInk(store_, index, ink);
}

void MainWindow::StorePicture(PanelIndex index) {
  // A photo's working BMP is tens of megabytes: written off the GUI thread
  // too, once the panel holds the picture, so a cancel here only hides the
  // outcome of a write that goes on.
  const ImagePanel& panel = state_.Panel(index);
  (void)WriteOnWorker(QStringLiteral("画像を保存しています…"), panel.working_file(),
                      [&panel] { return panel.WritePicture(); });
}

bool MainWindow::WriteOnWorker(const QString& label, const std::filesystem::path& target,
                               std::function<Result<void>()> write) {
  struct Written {
    Result<void> result;
    int error_number = 0;
  };
  auto written = std::make_shared<Written>();
  if (!BackgroundJob::Run(this, label, [written, write = std::move(write)] {
        written->result = write();
        written->error_number = errno;  // the worker's own
      })) {
    return false;  // cancelled
  }
  if (!written->result) {
    MessageBox::ShowText(this, FileNotWrittenText(QFile::decodeName(target.c_str()), written->error_number));
    return false;
  }
  return true;
}

bool MainWindow::Reclean(PanelIndex index, CleanupLevel level, InkWanted wanted) {
  ImagePanel& panel = state_.Panel(index);
  if (level == panel.cleanup() && wanted == panel.wanted_ink()) return true;
  if (!Idle()) return false;  // an import began while the scale dialog was open
  // A photo's clean-up takes seconds: made on the worker, which only reads the
  // panel, and taken here. NOTE: a clean-up that fails leaves the picture as it is.
  auto made = std::make_shared<ImagePanel::Cleaning>();
  if (!BackgroundJob::Run(this, QStringLiteral("画像を補正しています…"),
                          [made, &panel, level, wanted] { *made = panel.CleanedAt(level, wanted); })) {
    return false;  // cancelled
  }
  const bool had_ink = panel.ink_found();
  (void)panel.TakeCleaning(std::move(*made));
  ShowPanel(index);
  SayIfInkLost(index, had_ink);
  return true;
}

void MainWindow::SayIfInkLost(PanelIndex index, bool had_ink) {
  if (had_ink && !state_.Panel(index).ink_found()) {
    MessageBox::ShowText(this, NoInkText(index == PanelIndex::kSignature));
  }
}

void MainWindow::ShowPanel(PanelIndex index) {
  const size_t i = Slot(index);
  const ImagePanel& panel = state_.Panel(index);
  readouts_[i]->setText(FromUtf8(panel.Readout()));
  pictures_[i]->SetPreview(panel.preview(), panel.device_ratio());
  SetScaleIcon(index);
}

void MainWindow::SetScaleIcon(PanelIndex index) {
  scale_buttons_[Slot(index)]->setIcon(
      IconOf(state_.Panel(index).scale().mode == kScaleNone ? Icon::kScaleNone : Icon::kScaleSet));
}

void MainWindow::RunScaleDialog(PanelIndex index) {
  if (!Idle()) return;
  hints_->SetHintsEnabled(false);
  const std::optional<CleanupLevel> level = OpenScaleDialog(state_.Panel(index), store_, this);
  hints_->SetHintsEnabled(true);
  if (!level) return;
  ShowPanel(index);
  // Stored once the panel has it, so a cancel changes nothing.
  const bool becomes_photo = *level == CleanupLevel::kPhoto && state_.Panel(index).cleanup() != *level;
  if (!Reclean(index, *level, state_.Panel(index).wanted_ink())) return;
  (void)WriteCleanupLevel(store_, index, *level);
  if (becomes_photo) OfferSharedPhoto(index);
}

void MainWindow::RunSettingsDialog() {
  if (!Idle()) return;
  hints_->SetHintsEnabled(false);
  SettingsDialog dialog(store_, this);
  if (dialog.exec() == QDialog::Accepted) ReadOutputSettings();
  hints_->SetHintsEnabled(true);
}

void MainWindow::EditPanelPicture(PanelIndex index) {
  if (!Idle()) return;
  const PackedDib* picture = state_.Panel(index).picture();
  if (!picture) return;
  const QString editor = FromUtf8(store_.ReadString(kOptionSection, kGraphicEditorKey));
  if (editor.isEmpty()) {  // none was found on the first run
    MessageBox::ShowText(this, QString::fromUtf8(kNoEditorText));
    RunSettingsDialog();
    return;
  }
  // A photo is tens of megabytes as a BMP. The job reads the panel's picture,
  // which no command changes while it runs; a cancel starts no editor.
  const std::filesystem::path transfer = folder_.TransferBmpPath();
  if (!WriteOnWorker(QStringLiteral("画像を書き出しています…"), transfer,
                     [picture, transfer] { return WriteBmpFile(*picture, transfer); })) {
    return;
  }
  if (index == PanelIndex::kSignature) showMinimized();
  const EditorOutcome outcome = RunEditor(editor, transfer, this);
  if (outcome == EditorOutcome::kSaved) ImportIntoPanel(index, QFile::decodeName(transfer.c_str()));
  if (index == PanelIndex::kSignature) showNormal();
  if (outcome == EditorOutcome::kNotStarted) {
    MessageBox::ShowText(this, QString::fromUtf8(kEditorFailedText));
  }
}

void MainWindow::OpenHelp() { Browser::Open(HelpPageUrl()); }

void MainWindow::OnPicturePushed() {
  // The menu's own loop delivers notifications too: one menu at a time.
  if (menu_open_) return;
  const HintEnvironment& environment = hints_->Environment();
  if (guard_.Drop(environment.NowMs())) return;
  menu_open_ = true;
  const PictureMenuOutcome outcome = RunPictureMenu(this, environment.CursorPos());
  menu_open_ = false;
  switch (outcome.choice) {
    case PictureMenuChoice::kSignature:
    case PictureMenuChoice::kSeal:
      ImportIntoPanel(outcome.choice == PictureMenuChoice::kSignature ? PanelIndex::kSignature
                                                                       : PanelIndex::kSeal,
                      QFile::decodeName(folder_.TransferBmpPath().c_str()));
      break;
    case PictureMenuChoice::kClose:
      if (outcome.dismissed_by_click) guard_.Arm(environment.NowMs());
      break;
  }
}

bool MainWindow::Idle() {
  if (!BackgroundJob::Busy()) return true;
  MessageBox::ShowText(this, QStringLiteral("前の処理がまだ終わっていません．\n"
                                            "終わってから、もう一度お試しください．"));
  return false;
}

std::optional<Mark> MainWindow::MakeOutputMark(const QString& label, std::function<void(const Mark&)> also) {
  if (!Idle()) return std::nullopt;
  // Made off the GUI thread: a large picture at 2× takes seconds, and the
  // window must not freeze meanwhile. NOTE: the job's request borrows the
  // panels' pictures; every command that changes them waits for Idle(), which
  // holds until the job's thread has ended, a cancelled one included.
  auto mark_made = std::make_shared<Result<Mark>>(Status::kOutOfMemory);
  if (!BackgroundJob::Run(this, label, [mark_made, request = state_.Request(), also = std::move(also)] {
        *mark_made = MakeMark(request);
        if (*mark_made && also) also(**mark_made);
      })) {
    return std::nullopt;  // cancelled
  }
  Result<Mark>& mark = *mark_made;
  if (!mark) {
    ShowOutputFailure(mark.status());
    return std::nullopt;
  }
  for (const PanelIndex index : kPanelIndexes) {
    const auto& image = mark->images[Slot(index)];
    if (image && !image->ink_found) {
      MessageBox::ShowText(this, NoInkText(index == PanelIndex::kSignature));
    }
  }
  return std::move(*mark);
}

std::optional<Text> MainWindow::MakeSnippet() {
  const std::optional<Mark> mark = MakeOutputMark(QStringLiteral("HTMLを作っています…"));
  if (!mark) return std::nullopt;
  auto snippet = InlineSnippet(*mark);
  if (!snippet) {
    ShowOutputFailure(snippet.status());
    return std::nullopt;
  }
  ShowOutputSize(OutputRoad::kInline, snippet->size());
  return std::move(*snippet);
}

void MainWindow::ShowOutputFailure(Status status) {
  if (status != Status::kSignatureFailed && status != Status::kSealFailed) {
    MessageBox::ShowMessage(this, MessageCode::kSystemFault);  // memory
    return;
  }
  const ImagePanel& panel =
      state_.Panel(status == Status::kSignatureFailed ? PanelIndex::kSignature : PanelIndex::kSeal);
  MessageBox::ShowText(this, TagFailedText(status, panel.OutputPicture() != nullptr,
                                           QFile::decodeName(folder_.Path().c_str())));
}

void MainWindow::ShowOutputSize(OutputRoad road, size_t size) {
  const bool html = road == OutputRoad::kInline || road == OutputRoad::kHosted;
  last_road_ = road;
  last_too_large_ = html && ExceedsSnippetBudget(size);
  QLocale grouped = QLocale::c();
  grouped.setNumberOptions(QLocale::DefaultNumberOptions);  // "12,345": the C locale omits the commas
  snippet_size_->setText(grouped.toString(static_cast<qulonglong>(size)) +
                         (html ? QStringLiteral(" 文字") : QStringLiteral(" バイト")) +
                         (last_too_large_ ? QStringLiteral(" ⚠") : QString()));
  // Marked in red past what common blog and mail editors take in one piece.
  snippet_size_->setStyleSheet(last_too_large_ ? QStringLiteral("color: #c00000;") : QString());
  ShowWhereItShows();
}

void MainWindow::ShowWhereItShows() {
  QStringList lines;
  if (last_too_large_) {
    lines << QStringLiteral("%1 文字を超えるHTMLは、多くのブログやメールの編集画面で受け付けられません．")
                 .arg(kSnippetCharacterBudget);
  }
  const std::vector<std::string_view> places = PlacesNotShowing(last_road_, state_.style.format);
  if (!places.empty()) lines << QStringLiteral("この出力が表示されない場所：");
  for (const std::string_view place : places) {
    lines << QStringLiteral("・") + QString::fromUtf8(place.data(), static_cast<qsizetype>(place.size()));
  }
  if (lines.isEmpty()) lines << QStringLiteral("調べた主なブログとメールでは、どこでも表示されます．");
  snippet_size_->setToolTip(lines.join(QLatin1Char('\n')));
}

void MainWindow::ReadOutputSettings() {
  state_.style = ReadOutputStyle(store_);
  state_.alts = ReadAltTexts(store_);
  if (snippet_size_) ShowWhereItShows();  // the format may have changed
}

void MainWindow::CopySnippet() {
  StoreOptionBits();
  const std::optional<Text> snippet = MakeSnippet();
  if (!snippet) return;
  if (snippet->size() > kLargeClipboardBytes &&
      !MessageBox::Ask(this, LargeClipboardQuestion(snippet->size()))) {
    return;
  }
  if (!Clipboard::PutText(*snippet)) MessageBox::ShowMessage(this, MessageCode::kClipboardBusy);
}

void MainWindow::SaveSnippet() {
  StoreOptionBits();
  const std::optional<Text> snippet = MakeSnippet();
  if (!snippet) return;
  QString path = FromUtf8(store_.ReadString(kQuorelSection, kOutputFileKey));
  if (!ChooseTextOutputFile(path, this)) return;
  // Asked here, after ".txt" was forced: the name typed may be another file's.
  if (QFileInfo::exists(path) && !MessageBox::Ask(this, ReplaceFileQuestion(path))) return;
  if (!WriteTextFile(*snippet, ToPath(path))) {
    MessageBox::ShowText(this, FileNotWrittenText(path, errno));
    return;  // the next dialog starts from the last file that was written
  }
  const QByteArray utf8 = path.toUtf8();
  (void)store_.WriteString(kQuorelSection, kOutputFileKey,
                           std::string_view(utf8.constData(), static_cast<size_t>(utf8.size())));
}

void MainWindow::PreviewSnippet() {
  StoreOptionBits();
  const std::optional<Text> snippet = MakeSnippet();
  if (!snippet) return;
  const std::filesystem::path page_path = folder_.PreviewPagePath();
  const auto page = MakePreviewPage(*snippet, state_.option_bits, state_.inks[0], state_.style);
  if (!page) {
    ShowOutputFailure(page.status());
    return;
  }
  if (!WriteTextFile(*page, page_path)) {  // the browser would show an old page
    MessageBox::ShowText(this, FileNotWrittenText(QFile::decodeName(page_path.c_str()), errno));
    return;
  }
  Browser::Open(QUrl::fromLocalFile(QFile::decodeName(page_path.c_str())));
}

void MainWindow::BringForward() {
  if (isMinimized()) showNormal();
  raise();
  activateWindow();
}

void MainWindow::done(int result) {
  if (BackgroundJob::Busy()) return;  // the job's own dialog ends it first
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
