// Quorel — SPDX-License-Identifier: MIT
#include "cli/SnippetTool.h"

#include <stdlib.h>

#include <cstdlib>
#include <system_error>

#include "cli/CliOptions.h"
#include "codec/ImportPicture.h"
#include "common/Messages.h"
#include "output/PreviewPage.h"
#include "output/Snippet.h"
#include "panel/ImagePanel.h"
#include "settings/IniStore.h"
#include "settings/SettingsFolder.h"

namespace quorel::cli {
namespace {

constexpr std::string_view kProgram = "quorel-snippet";
constexpr std::string_view kSignatureColourKey = "QuorelColor";
constexpr std::string_view kSealColourKey = "IneiColor";

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

// Imports a picture named on the command line into the panel with the desktop
// program's normalisation, without storing it. Returns the error text, empty
// on success.
std::string ImportNamedPicture(ImagePanel& panel, const std::filesystem::path& file) {
  auto picture = ReadPictureFile(file);
  if (!picture.ok()) {
    std::error_code ec;
    if (!std::filesystem::exists(file, ec)) return "no such file";
    return std::string(ToString(picture.status()));
  }
  panel.picture = std::move(picture).value();
  NormaliseNewPicture(panel);
  // Pictures under 16 pixels stay as they are (as in the desktop program); a
  // picture that cannot become 24 bits is refused.
  if (!panel.picture) return "picture depth not supported";
  return {};
}

void ApplyPanelOverride(const PanelOverride& o, int32_t bit, int32_t& bits, Colour& colour,
                        ImagePanel& panel) {
  if (o.picture) bits |= bit;  // a picture named for this run takes part
  if (o.disabled) bits &= ~bit;
  if (o.colour) colour = *o.colour;
  if (o.scale) {
    // Only the mode and the value it names change; the others stay stored.
    const ScaleSettings& s = *o.scale;
    panel.scale.mode = s.mode;
    if (s.mode == kScaleFitHeight) panel.scale.target_height = s.target_height;
    if (s.mode == kScaleFitWidth) panel.scale.target_width = s.target_width;
    if (s.mode == kScaleRatio) panel.scale.ratio = s.ratio;
  }
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
  int32_t bits = kDefaultOptionBits;
  Colour signature_colour = kDefaultSignatureColour;
  Colour seal_colour = kDefaultSealColour;
  ImagePanel signature;
  ImagePanel seal;
  seal.index = PanelIndex::kSeal;
  if (const auto folder = ChooseSettingsFolder(options.settings)) {
    const IniStore store(folder->IniPath());
    bits = ReadOptionBits(store);
    signature_colour = static_cast<Colour>(store.ReadInt(kSignatureColourKey, kDefaultSignatureColour));
    seal_colour = static_cast<Colour>(store.ReadInt(kSealColourKey, kDefaultSealColour));
    LoadPanelState(signature, PanelIndex::kSignature, *folder, store);
    LoadPanelState(seal, PanelIndex::kSeal, *folder, store);
  }

  for (auto [o, panel] : {std::pair{&options.signature, &signature}, std::pair{&options.seal, &seal}}) {
    if (!o->picture) continue;
    const std::string error = ImportNamedPicture(*panel, *o->picture);
    if (!error.empty()) return Fail(kExitUsage, o->picture->string() + ": " + error);
  }
  ApplyPanelOverride(options.signature, option_bit::kSignature, bits, signature_colour, signature);
  ApplyPanelOverride(options.seal, option_bit::kSeal, bits, seal_colour, seal);
  if (options.align) {
    bits = StoreOutputChoices(bits, bits & option_bit::kSignature, bits & option_bit::kSeal,
                              *options.align);
  }

  const PrivateTempFolder temp;
  if (!temp.ok()) return Fail(kExitNoSnippet, "cannot create a temporary folder");
  SnippetRequest request;
  request.option_bits = bits;
  request.signature = &signature;
  request.seal = &seal;
  request.signature_colour = signature_colour;
  request.seal_colour = seal_colour;
  request.gif_folder = temp.path();
  SnippetResult snippet = BuildSnippet(request);
  if (!snippet.ok()) return {kExitNoSnippet, {}, std::string(MessageText(snippet.message)) + "\n"};

  std::string text = options.page ? MakePreviewPage(*snippet.text, bits, signature_colour)
                                  : std::move(*snippet.text);
  if (options.output) {
    if (!WriteTextFile(text, *options.output)) {
      return Fail(kExitNoSnippet, options.output->string() + ": cannot be written");
    }
    return {};
  }
  return {kExitOk, std::move(text), {}};
}

}  // namespace quorel::cli
