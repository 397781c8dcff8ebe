// Quorel — SPDX-License-Identifier: MIT
#include "cli/SnippetTool.h"

#include <stdlib.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <system_error>

#include "cli/CliOptions.h"
#include "codec/ImportPicture.h"
#include "codec/ScaledImport.h"
#include "common/Messages.h"
#include "output/OutputState.h"
#include "output/PreviewPage.h"
#include "output/Snippet.h"
#include "settings/SettingsFolder.h"

namespace quorel::cli {
namespace {

constexpr std::string_view kProgram = "quorel-snippet";

// A private folder below the system's temporary folder, removed with its
// content when the tool ends.
class PrivateTempFolder {
 public:
  PrivateTempFolder() {
    const char* tmp = std::getenv("TMPDIR");
    std::string pattern = (std::filesystem::path(tmp && *tmp ? tmp : "/tmp") /
                           "quorel-snippet-XXXXXX").string();
    if (::mkdtemp(pattern.data()) != nullptr) path_ = pattern;
  }
  ~PrivateTempFolder() {
    std::error_code ec;
    if (!path_.empty()) std::filesystem::remove_all(path_, ec);
  }
  PrivateTempFolder(const PrivateTempFolder&) = delete;
  PrivateTempFolder& operator=(const PrivateTempFolder&) = delete;

  bool ok() const { return !path_.empty(); }
  const std::filesystem::path& path() const { return path_; }

 private:
  std::filesystem::path path_;
};

ToolOutcome Fail(int code, std::string message) {
  return {code, {}, std::string(kProgram) + ": " + std::move(message) + "\n"};
}

ToolOutcome UsageError(const std::string& message) {
  return Fail(kExitUsage, message + "\nTry '" + std::string(kProgram) + " --help'.");
}

// Only the mode and the value it names change; the others stay stored.
void ApplyScaleOverride(const ScaleSettings& s, ScaleSettings& scale) {
  scale.mode = s.mode;
  if (s.mode == kScaleFitHeight) scale.target_height = s.target_height;
  if (s.mode == kScaleFitWidth) scale.target_width = s.target_width;
  if (s.mode == kScaleRatio) scale.ratio = s.ratio;
}

// A named picture with a scale for this run is decoded straight into the
// scaler when its reader can: the panel then holds the picture at its output
// size, with no scale left to apply, and the whole picture is never in
// memory. The result is the same bytes as scaling the whole picture. False
// when the stream cannot do it: pictures under 16 pixels (kept unscaled by
// the normalisation), other formats, interlaced PNGs, sizes below 1.
std::optional<Result<void>> ImportScaledPicture(ImagePanel& panel, const std::filesystem::path& file,
                                                ScaleSettings scale) {
  const auto choose = [&scale](PictureSize source) -> std::optional<PictureSize> {
    if (source.width < kMinPictureSide || source.height < kMinPictureSide) return std::nullopt;
    const OutputSizeResult size = ComputeOutputSize(scale, source.width, source.height);
    if (!size.scaling_applies) return std::nullopt;
    return PictureSize{size.width, size.height};
  };
  auto scaled = ReadPictureFileScaled(file, choose);
  if (!scaled) return std::nullopt;
  if (!*scaled) return Result<void>(scaled->status());
  panel.picture = std::move(**scaled);
  panel.picture_width = panel.picture->Width();
  panel.picture_height = panel.picture->Height();
  return Result<void>();
}

// Imports a picture named on the command line into the panel with the desktop
// program's normalisation, without storing it.
Result<void> ImportNamedPicture(ImagePanel& panel, const std::filesystem::path& file) {
  panel.picture = QUOREL_TRY(ReadPictureFile(file));
  // Pictures under 16 pixels stay as they are (as in the desktop program); a
  // picture that cannot become 24 bits is refused.
  return NormaliseNewPicture(panel);
}

// What a failed import says about the file.
std::string ImportError(const std::filesystem::path& file, Status status) {
  std::error_code ec;
  if (!std::filesystem::exists(file, ec)) return "no such file";
  return std::string(ToString(status));
}

// The message the desktop program shows for a snippet that cannot be made.
MessageCode SnippetMessage(Status status) {
  if (status == Status::kSignatureFailed) return MessageCode::kSignatureFailed;
  if (status == Status::kSealFailed) return MessageCode::kSealFailed;
  return MessageCode::kSystemFault;
}

void ApplyPanelOverride(const PanelOverride& o, int32_t bit, int32_t& bits, Colour& colour,
                        ImagePanel& panel) {
  if (o.picture) bits |= bit;  // a picture named for this run takes part
  if (o.disabled) bits &= ~bit;
  if (o.colour) colour = *o.colour;
  if (o.scale) ApplyScaleOverride(*o.scale, panel.scale);
}

// The --verbose line; it marks a snippet that common editors refuse.
std::string SizeLine(size_t characters) {
  std::string line = std::string(kProgram) + ": snippet of " + std::to_string(characters) + " characters";
  if (ExceedsSnippetBudget(characters)) {
    line += " (over " + std::to_string(kSnippetCharacterBudget) + ": some editors refuse it)";
  }
  return line + "\n";
}

}  // namespace

ToolOutcome RunSnippetTool(std::span<const std::string_view> args, std::string_view version) {
  const ParsedCommandLine parsed = ParseCommandLine(args);
  if (!parsed.options) return UsageError(parsed.error);
  const CliOptions& options = *parsed.options;
  if (options.help) return {kExitOk, std::string(UsageText()), {}};
  if (options.version) return {kExitOk, std::string(kProgram) + " " + std::string(version) + "\n", {}};

  if (options.settings) {
    std::error_code ec;
    if (!std::filesystem::is_directory(*options.settings, ec)) {
      return Fail(kExitUsage, options.settings->string() + ": no such settings folder");
    }
  }
  // The stored state, read into memory. Without any settings folder (no HOME)
  // the state of an empty folder applies.
  OutputState state;
  if (const auto folder = ChooseSettingsFolder(options.settings)) state = LoadOutputState(*folder);
  ImagePanel& signature = state.Panel(PanelIndex::kSignature);
  ImagePanel& seal = state.Panel(PanelIndex::kSeal);
  seal.index = PanelIndex::kSeal;

  OutputStyle style = state.style;
  if (options.format) style.format = *options.format;
  if (options.density) style.density = *options.density;
  bool prescaled[2] = {false, false};
  for (auto [o, panel] : {std::pair{&options.signature, &signature}, std::pair{&options.seal, &seal}}) {
    // A clean-up named for this run applies to the picture named with it.
    if (o->cleanup) panel->cleanup = *o->cleanup;
    if (!o->picture) {
      if (o->cleanup && !UpdateCleanedPicture(*panel)) {
        return Fail(kExitNoSnippet, "the stored picture cannot be cleaned");
      }
      continue;
    }
    std::optional<Result<void>> imported;
    // Streamed only where the default output scales the picture itself: no
    // clean-up (which works on the whole picture) and the default style.
    if (o->scale && o->scale->mode != kScaleNone && panel->cleanup == CleanupLevel::kNone &&
        style == OutputStyle{}) {
      ScaleSettings scale = panel->scale;
      ApplyScaleOverride(*o->scale, scale);
      imported = ImportScaledPicture(*panel, *o->picture, scale);
      prescaled[static_cast<size_t>(panel->index)] = imported && *imported;
    }
    if (!imported) imported = ImportNamedPicture(*panel, *o->picture);
    if (!*imported) {
      return Fail(kExitUsage, o->picture->string() + ": " + ImportError(*o->picture, imported->status()));
    }
  }
  int32_t& bits = state.option_bits;
  ApplyPanelOverride(options.signature, option_bit::kSignature, bits, state.inks[0], signature);
  ApplyPanelOverride(options.seal, option_bit::kSeal, bits, state.inks[1], seal);
  // A picture scaled while it was read keeps no scale of its own.
  for (ImagePanel* panel : {&signature, &seal}) {
    if (prescaled[static_cast<size_t>(panel->index)]) panel->scale.mode = kScaleNone;
  }
  if (options.align) {
    bits = StoreOutputChoices(bits, bits & option_bit::kSignature, bits & option_bit::kSeal,
                              *options.align);
  }

  state.style = style;

  const PrivateTempFolder temp;
  if (!temp.ok()) return Fail(kExitNoSnippet, "cannot create a temporary folder");
  auto snippet = BuildSnippet(state, temp.path());
  if (!snippet) {
    return {kExitNoSnippet, {}, std::string(MessageText(SnippetMessage(snippet.status()))) + "\n"};
  }
  const std::string size_line = options.verbose ? SizeLine(snippet->size()) : std::string();
  auto text = options.page ? MakePreviewPage(*snippet, bits, state.inks[0], state.style) : std::move(snippet);
  if (!text) return {kExitNoSnippet, {}, std::string(MessageText(MessageCode::kSystemFault)) + "\n"};
  if (options.output) {
    if (!WriteTextFile(*text, *options.output)) {
      // The old file, if any, is left as it was.
      return Fail(kExitNoSnippet, options.output->string() + ": cannot be written (" +
                                      std::strerror(errno) + ")");
    }
    return {kExitOk, {}, size_line};
  }
  return {kExitOk, std::move(*text), size_line};
}

}  // namespace quorel::cli
