// Quorel — SPDX-License-Identifier: MIT
#include "cli/SnippetTool.h"

#include <cerrno>
#include <cstring>
#include <cstdio>
#include <system_error>

#include "cli/CliOptions.h"
#include "common/Messages.h"
#include "common/FileIo.h"
#include "output/ExportFiles.h"
#include "output/MarkPicture.h"
#include "output/MimeMessage.h"
#include "output/OutputState.h"
#include "output/PreviewPage.h"
#include "output/Snippet.h"
#include "settings/SettingsFolder.h"

namespace quorel::cli {
namespace {

constexpr std::string_view kProgram = "quorel-snippet";

ToolOutcome Fail(int code, std::string message) {
  return {code, {}, std::string(kProgram) + ": " + std::move(message) + "\n"};
}

std::span<const uint8_t> AsBytes(std::string_view text) {
  return {reinterpret_cast<const uint8_t*>(text.data()), text.size()};
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

// What the command line changes in one panel's part of the stored request.
void ApplyPanelOverride(const PanelOverride& o, PanelRequest& panel) {
  if (o.picture) {
    // A picture named for this run takes part, is normalised as a new
    // picture (whose scale mode starts at none) and is never stored.
    panel.enabled = true;
    panel.picture = PictureFile{*o.picture, Arrival::kNew};
    panel.scale.mode = kScaleNone;
    panel.wanted_ink.reset();  // a stored shared photo's ink belongs to the stored picture
  }
  if (o.disabled) panel.enabled = false;
  if (o.colour) panel.ink = *o.colour;
  if (o.scale) ApplyScaleOverride(*o.scale, panel.scale);
  if (o.cleanup) panel.cleanup = *o.cleanup;
  if (o.alt) panel.alt = *o.alt;
}

// --from-photo: both panels take the one photo, each its own ink, cleaned as
// a photo and cut to that ink. The panels' own options then apply as usual.
void ApplyPhotoForBoth(const std::filesystem::path& photo, MarkRequest& request) {
  for (const PanelIndex index : kPanelIndexes) {
    PanelRequest& panel = request.Panel(index);
    panel.enabled = true;
    panel.picture = PictureFile{photo, Arrival::kNew};
    panel.scale.mode = kScaleNone;
    panel.cleanup = CleanupLevel::kPhoto;
    panel.wanted_ink = index == PanelIndex::kSeal ? InkWanted::kSeal : InkWanted::kPen;
  }
}

// What a failed import says about the file.
std::string ImportError(const std::filesystem::path& file, Status status) {
  std::error_code ec;
  if (!std::filesystem::exists(file, ec)) return "no such file";
  return std::string(ToString(status));
}

// The --verbose lines: the snippet's size, marked when common editors refuse
// it, and each picture whose file was cut short.
std::string VerboseLines(const Mark& mark, size_t characters) {
  std::string line = std::string(kProgram) + ": snippet of " + std::to_string(characters) + " characters";
  if (ExceedsSnippetBudget(characters)) {
    line += " (over " + std::to_string(kSnippetCharacterBudget) + ": some editors refuse it)";
  }
  line += "\n";
  for (const PanelIndex index : kPanelIndexes) {
    const auto& image = mark.images[static_cast<size_t>(index)];
    if (!image || image->complete) continue;
    line += std::string(kProgram) + ": the " + (index == PanelIndex::kSignature ? "signature" : "seal") +
            " picture's file is cut short: only the rows it holds are used\n";
  }
  return line;
}

// The outputs to files beside the text: the exported folder, the message,
// the picture. The failure to report, or none.
std::optional<ToolOutcome> WriteFileOutputs(const CliOptions& options, const Mark& mark,
                                            const MarkRequest& request, const std::string& base) {
  const auto cannot = [](const std::filesystem::path& path) {
    return Fail(kExitNoSnippet, path.string() + ": cannot be written");
  };
  if (options.export_to && !ExportMark(mark, *options.export_to, base)) return cannot(*options.export_to);
  if (options.eml) {
    const auto message = MimeMessage(mark, options.subject.value_or(std::string(kDefaultSubject)), NewMessageStamp());
    if (!message || !WriteFileAtomically(*options.eml, AsBytes(*message))) return cannot(*options.eml);
  }
  if (options.picture) {
    const auto png = MarkPicture(mark, request.style.density);
    if (!png) return Fail(kExitNoSnippet, options.picture->string() + ": " + std::string(ToString(png.status())));
    if (!WriteFileAtomically(*options.picture, *png)) return cannot(*options.picture);
  }
  return std::nullopt;
}

// A short text for standard output: the usage, the version.
ToolOutcome Print(std::string_view text) {
  ToolOutcome outcome;
  if (!outcome.output.Append(text)) return {kExitNoSnippet, {}, std::string(MessageText(MessageCode::kSystemFault)) + "\n"};
  return outcome;
}

}  // namespace

ToolOutcome RunSnippetTool(std::span<const std::string_view> args, std::string_view version) {
  const ParsedCommandLine parsed = ParseCommandLine(args);
  if (!parsed.options) return UsageError(parsed.error);
  const CliOptions& options = *parsed.options;
  if (options.help) return Print(UsageText());
  if (options.version) return Print(std::string(kProgram) + " " + std::string(version) + "\n");

  if (options.settings) {
    std::error_code ec;
    if (!std::filesystem::is_directory(*options.settings, ec)) {
      return Fail(kExitUsage, options.settings->string() + ": no such settings folder");
    }
  }
  // The stored state, with its pictures read only where they are used.
  // Without any settings folder (no HOME) the state of an empty folder applies.
  MarkRequest request;
  if (const auto folder = ChooseSettingsFolder(options.settings)) request = LoadMarkRequest(*folder);
  if (options.from_photo) {
    if (options.signature.picture || options.seal.picture) {
      return UsageError("--from-photo takes the place of --signature and --seal");
    }
    ApplyPhotoForBoth(*options.from_photo, request);
  }
  ApplyPanelOverride(options.signature, request.Panel(PanelIndex::kSignature));
  ApplyPanelOverride(options.seal, request.Panel(PanelIndex::kSeal));
  if (options.align) request.align = *options.align;
  if (options.format) request.style.format = *options.format;
  if (options.density) request.style.density = *options.density;

  // The stored base URL applies to exports unless the command line names one.
  std::string base;
  if (options.base_url && !options.export_to) return UsageError("--base-url needs --export");
  if (const std::string url_text = options.base_url.value_or(request.base_url);
      options.export_to && !url_text.empty()) {
    const auto url = WebBaseUrl(url_text);
    if (!url && options.base_url) {
      return UsageError("--base-url needs an http:// or https:// URL without blanks or quotes");
    }
    if (!url) return Fail(kExitUsage, "the stored BaseUrl is not an http:// or https:// URL: " + url_text);
    base = *url;
  }

  MarkFailure failure;
  const auto mark = MakeMark(request, &failure);
  if (!mark) {
    // A picture named on the command line that cannot be used is the
    // caller's mistake: named with its reason, as a usage error.
    const PanelOverride& named = failure.panel == PanelIndex::kSignature ? options.signature : options.seal;
    const auto& file = named.picture ? named.picture : options.from_photo;
    if (failure.unreadable && file) return Fail(kExitUsage, file->string() + ": " + ImportError(*file, failure.cause));
    return {kExitNoSnippet, {}, std::string(MessageText(MessageForStatus(mark.status()))) + "\n"};
  }
  auto snippet = InlineSnippet(*mark);
  if (!snippet) return {kExitNoSnippet, {}, std::string(MessageText(MessageCode::kSystemFault)) + "\n"};
  std::string size_line = options.verbose ? VerboseLines(*mark, snippet->size()) : std::string();
  for (const PanelIndex index : kPanelIndexes) {
    const auto& image = mark->images[static_cast<size_t>(index)];
    if (image && !image->ink_found) {
      size_line += std::string(kProgram) + ": no ink found in the " +
                   (index == PanelIndex::kSignature ? "signature" : "seal") +
                   " picture: it is left transparent\n";
    }
  }
  if (auto failed = WriteFileOutputs(options, *mark, request, base)) return std::move(*failed);
  const bool files_only = (options.export_to || options.eml || options.picture) && !options.output && !options.page;
  const int32_t bits = StoreOutputChoices(0, request.Panel(PanelIndex::kSignature).enabled,
                                          request.Panel(PanelIndex::kSeal).enabled, request.align);
  auto text = options.page
                  ? MakePreviewPage(*snippet, bits, request.Panel(PanelIndex::kSignature).ink, request.style)
                  : std::move(snippet);
  if (files_only) return {kExitOk, {}, size_line};
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
