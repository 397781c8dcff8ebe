// Quorel — SPDX-License-Identifier: MIT
#pragma once

#include <QDialog>
#include <array>
#include <functional>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>

#include "app/NotifyDismissGuard.h"
#include "app/hint/HintEnvironment.h"
#include "app/platform/ColourDialog.h"
#include "common/Colour.h"
#include "common/Text.h"
#include "output/Mark.h"
#include "output/OutputState.h"
#include "output/WhereItShows.h"
#include "panel/ImagePanel.h"
#include "settings/IniStore.h"
#include "settings/SettingsFolder.h"

class QCheckBox;
class QLabel;
class QLineEdit;
class QMimeData;
class QToolButton;

namespace quorel {

class ColourSwatch;
class HintController;
class PictureButton;
class SiblingLink;

// The program's one long-lived window: both panels side by side with their
// readouts, swatches, scale and edit buttons, the output check boxes, the
// alignment buttons and the output, settings and help buttons. Esc and the
// close box end it; the rectangle is saved as "Rect" when it ends.
class MainWindow : public QDialog {
  Q_OBJECT

 public:
  // `environment`: the clock, cursor and mouse the hints and the sibling's
  // notifications look at (none: the real ones).
  MainWindow(SettingsFolder folder, int32_t option_bits, QWidget* parent = nullptr,
             std::unique_ptr<HintEnvironment> environment = nullptr);
  ~MainWindow() override;

  // The option bits as the output commands last stored them.
  int32_t OptionBits() const { return state_.option_bits; }
  // A control by its dialog item id; null for an unknown id.
  QWidget* Control(int id) const;
  const ImagePanel& Panel(PanelIndex index) const { return state_.Panel(index); }
  Colour PanelColour(PanelIndex index) const { return state_.inks[static_cast<size_t>(index)]; }
  // What the outputs are made from.
  const OutputState& State() const { return state_; }
  const SettingsFolder& Folder() const { return folder_; }

  // The three outputs, each after storing the check boxes and the alignment
  // buttons into the option bits and writing the ink colours.
  void CopySnippet();
  void SaveSnippet();
  void PreviewSnippet();
  // The outputs for places that do not show data: pictures (MarkOutputs.cpp):
  // the pictures and snippet.html into a folder, an e-mail message, and both
  // pictures as one PNG on the clipboard.
  void ExportMarkFiles();
  void SaveMailMessage();
  void CopyMarkPicture();

  // Puts a picture file into a panel the way every road in does: the scale
  // mode returns to 0, the picture is normalised and stored, the preview and
  // readout are rebuilt and the scale button shows "no scaling". A file that
  // cannot be read is refused with a message naming it and the reason, and
  // the panel keeps its picture. True when the panel took the picture.
  bool ImportIntoPanel(PanelIndex index, const QString& path);

  // The sibling's notification that a picture waits in the transfer file.
  void OnPicturePushed();
  // A second start asked for the window: shown, raised and focused.
  void BringForward();

  HintController& Hints() { return *hints_; }
  SiblingLink& Sibling() { return *sibling_; }
  const NotifyDismissGuard& Guard() const { return guard_; }

  void done(int result) override;

 private:
  void BuildControls();
  void PlaceWindow();
  void LoadPicture(PanelIndex index);
  // Nothing when `data` offers no picture, else whether the panel took it.
  std::optional<bool> TakeOffered(PanelIndex index, const QMimeData& data);
  // `source` names where the picture came from in a message.
  bool TakeNewPicture(PanelIndex index, std::optional<PackedDib> picture, const QString& source);
  // A picture comes into a panel as its own (cleaned as the panel cleans, by
  // its colour's ink) or as one mark of a photo both panels take theirs from.
  enum class ImportRole { kOwnPicture, kSharedPhoto };
  // The import behind both: `read` runs on the worker.
  bool ImportInBackground(PanelIndex index, const QString& source,
                          std::function<Result<std::shared_ptr<const PackedDib>>()> read,
                          ImportRole role = ImportRole::kOwnPicture);
  // Once a photo is in `index` (a picture cleaned as a photo): asks, once per
  // picture, whether the other panel takes its mark from the same photo, and
  // does it when the answer is yes.
  void OfferSharedPhoto(PanelIndex index);
  // The other panel takes its mark from the photo in `index` (as a photo, for
  // its own ink), then `index` is cleaned again for its own ink alone.
  void TakeSharedPhoto(PanelIndex index);
  // Held and stored, so a restart cleans the stored picture for the same ink.
  void SetPhotoInk(PanelIndex index, std::optional<InkWanted> ink);
  void StorePicture(PanelIndex index);
  // `write` run on the worker; false when it was cancelled or failed (then
  // the message names `target` and says why).
  bool WriteOnWorker(const QString& label, const std::filesystem::path& target,
                     std::function<Result<void>()> write);
  // The panel cleaned anew on the worker; false when cancelled or refused.
  bool Reclean(PanelIndex index, CleanupLevel level, InkWanted wanted);
  // The no-ink message, when the panel had ink before a change and has none now.
  void SayIfInkLost(PanelIndex index, bool had_ink);
  void SetColour(PanelIndex index);
  void SelectAlignment(int id);
  void StoreOptionBits();
  void ShowPanel(PanelIndex index);
  void SetScaleIcon(PanelIndex index);
  void RunScaleDialog(PanelIndex index);
  void RunSettingsDialog();
  void EditPanelPicture(PanelIndex index);
  void OpenHelp();
  void Shutdown();
  // False, after saying so, while a background job runs.
  bool Idle();
  // The mark of the window's state, made off the GUI thread; `also` runs on
  // that thread too, with the mark made (it must own what it writes). None,
  // after saying why, when it could not be made or the user cancelled.
  std::optional<Mark> MakeOutputMark(const QString& label, std::function<void(const Mark&)> also = {});
  std::optional<Text> MakeSnippet();
  // The bottom row: the size of the last output (HTML in characters, a
  // message or picture in bytes) and, in its tooltip, where it will not show.
  void ShowOutputSize(OutputRoad road, size_t size);
  void ShowWhereItShows();
  // Reads what the settings dialog stores for the outputs.
  void ReadOutputSettings();
  void ShowOutputFailure(Status status);

  SettingsFolder folder_;
  IniStore store_;
  OutputState state_;
  CustomColours custom_colours_{};
  std::map<int, QWidget*> controls_;
  std::array<PictureButton*, 2> pictures_{};
  std::array<QLineEdit*, 2> readouts_{};
  std::array<ColourSwatch*, 2> swatches_{};
  std::array<QToolButton*, 2> scale_buttons_{};
  std::array<QCheckBox*, 2> enabled_{};
  std::array<QToolButton*, 3> align_{};  // left, centre, right
  QLabel* snippet_size_ = nullptr;       // characters of the last output
  OutputRoad last_road_ = OutputRoad::kInline;
  bool last_too_large_ = false;
  std::unique_ptr<HintController> hints_;
  std::unique_ptr<SiblingLink> sibling_;
  NotifyDismissGuard guard_;
  std::array<bool, 2> offered_{};  // the shared photo offered for the panel's picture
  bool menu_open_ = false;
  bool shut_down_ = false;
};

}  // namespace quorel
