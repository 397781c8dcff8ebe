// Quorel — SPDX-License-Identifier: MIT
#include "cli/OptionTable.h"

#include <algorithm>

namespace quorel::cli {
namespace {

// A new option is one row here (and its field in CliOptions). NOTE: after a
// change, paste `quorel-snippet --help` into README.md; cli_test compares them.
constexpr CliOption kOptions[] = {
    {"--signature", "FILE", "take the signature picture from FILE (BMP, GIF,\n"
     "JPEG, PNG, HEIC or WebP)",
     [](CliOptions& o) -> auto& { return o.signature.picture; }},
    {"--no-signature", "", "leave the signature out",
     [](CliOptions& o) -> auto& { return o.signature.disabled; }},
    {"--seal", "FILE", "take the seal picture from FILE",
     [](CliOptions& o) -> auto& { return o.seal.picture; }},
    {"--no-seal", "", "leave the seal out",
     [](CliOptions& o) -> auto& { return o.seal.disabled; }},
    {"--from-photo", "FILE", "take both pictures from one photo of a signed and\n"
     "sealed page: the seal's red ink for the seal, the\n"
     "other ink for the signature (both cleaned as photos)",
     [](CliOptions& o) -> auto& { return o.from_photo; }},
    {"--signature-color --signature-colour", "RRGGBB", "ink colour of the signature (a leading # is accepted)",
     [](CliOptions& o) -> auto& { return o.signature.colour; }},
    {"--seal-color --seal-colour", "RRGGBB", "ink colour of the seal",
     [](CliOptions& o) -> auto& { return o.seal.colour; }},
    {"--align", "left|center|right", "where the block sits (centre is accepted too)",
     [](CliOptions& o) -> auto& { return o.align; }},
    {"--signature-scale", "none|height:N|width:N|ratio:N",
     "output size: N pixels (16-640) or N percent (10-300)",
     [](CliOptions& o) -> auto& { return o.signature.scale; }},
    {"--seal-scale", "none|height:N|width:N|ratio:N", "the same for the seal",
     [](CliOptions& o) -> auto& { return o.seal.scale; }},
    {"--signature-cleanup", "none|trim|photo",
     "before scaling: nothing, cut the white margins, or\n"
     "even out a photo's light, keep the ink and cut to it",
     [](CliOptions& o) -> auto& { return o.signature.cleanup; }},
    {"--seal-cleanup", "none|trim|photo", "the same for the seal",
     [](CliOptions& o) -> auto& { return o.seal.cleanup; }},
    {"--format", "gif|png", "two-colour GIF, or PNG with smooth edges",
     [](CliOptions& o) -> auto& { return o.format; }},
    {"--density", "1|2", "picture pixels per output pixel (2: sharp on HiDPI screens)",
     [](CliOptions& o) -> auto& { return o.density; }},
    {"--alt-signature", "TEXT", "the signature's alt text (what shows or is read out\n"
     "where the picture does not show)",
     [](CliOptions& o) -> auto& { return o.signature.alt; }},
    {"--alt-seal", "TEXT", "the seal's alt text",
     [](CliOptions& o) -> auto& { return o.seal.alt; }},
    {"--export", "DIR", "also write the pictures as DIR/signature.gif and\n"
     "DIR/seal.gif (.png with --format png) and the snippet\n"
     "naming them as DIR/snippet.html",
     [](CliOptions& o) -> auto& { return o.export_to; }},
    {"--base-url", "URL", "with --export: name the pictures as URL/signature.gif\n"
     "and so on (http or https), where you upload them",
     [](CliOptions& o) -> auto& { return o.base_url; }},
    {"--eml", "FILE", "also write an e-mail message with the pictures\n"
     "attached (cid:), to open, forward or copy from",
     [](CliOptions& o) -> auto& { return o.eml; }},
    {"--subject", "TEXT", "the message's subject (default: Quorel)",
     [](CliOptions& o) -> auto& { return o.subject; }},
    {"--picture", "FILE", "also write both pictures side by side as one\n"
     "transparent PNG (for signing PDFs and documents)",
     [](CliOptions& o) -> auto& { return o.picture; }},
    {"--verbose", "", "print the snippet's size in characters to standard error",
     [](CliOptions& o) -> auto& { return o.verbose; }},
    {"--page", "", "write the preview page instead of the bare snippet",
     [](CliOptions& o) -> auto& { return o.page; }},
    {"-o --output", "FILE", "write to FILE instead of standard output",
     [](CliOptions& o) -> auto& { return o.output; }},
    {"--settings", "DIR",
     "read the stored state from DIR instead of the user's\n"
     "settings folder ($XDG_CONFIG_HOME/Wq or ~/.config/Wq)",
     [](CliOptions& o) -> auto& { return o.settings; }},
    {"--help -h", "", "show this text", [](CliOptions& o) -> auto& { return o.help; }},
    {"--version", "", "show the version", [](CliOptions& o) -> auto& { return o.version; }},
};

constexpr std::string_view kUsageHead =
    "Usage: quorel-snippet [OPTION]...\n"
    "Builds the HTML snippet (both pictures as data URLs inside one <div>) from\n"
    "the stored state in the settings folder, with the options overriding it for\n"
    "this run only. The settings folder and its files are never changed.\n"
    "\n";
constexpr std::string_view kUsageFoot =
    "\n"
    "With --export, --eml or --picture, the snippet itself is written only when\n"
    "-o or --page asks for it.\n"
    "\n"
    "Exit status: 0 success; 1 the snippet cannot be built; 2 usage error, or a\n"
    "picture file that is missing, unsupported or damaged.\n";

// The help of each option starts in this column, or on a line of its own when
// the option and its value reach it.
constexpr size_t kHelpColumn = 27;

std::string_view FirstName(std::string_view names) { return names.substr(0, names.find(' ')); }

}  // namespace

std::span<const CliOption> CliOptionTable() { return kOptions; }

const CliOption* FindCliOption(std::string_view name) {
  for (const CliOption& option : kOptions) {
    for (std::string_view names = option.names; !names.empty();) {
      const size_t blank = std::min(names.find(' '), names.size());
      if (names.substr(0, blank) == name) return &option;
      names.remove_prefix(std::min(blank + 1, names.size()));
    }
  }
  return nullptr;
}

std::string FormatUsage() {
  std::string text(kUsageHead);
  for (const CliOption& option : kOptions) {
    std::string line = "  " + std::string(FirstName(option.names));
    if (!option.value.empty()) line += " " + std::string(option.value);
    line += line.size() < kHelpColumn ? std::string(kHelpColumn - line.size(), ' ')
                                      : "\n" + std::string(kHelpColumn, ' ');
    for (const char c : option.help) line += c == '\n' ? "\n" + std::string(kHelpColumn, ' ') : std::string(1, c);
    text += line + "\n";
  }
  return text + std::string(kUsageFoot);
}

}  // namespace quorel::cli
