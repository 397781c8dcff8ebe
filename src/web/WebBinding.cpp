// Quorel — SPDX-License-Identifier: MIT
// The page's way into the core: the only file that knows how the worker
// reaches it, so that it changes in one place when the core takes a request
// held in memory. Until then the worker writes the pictures into the module's
// in-memory file system and runs the command-line tool's logic over an
// argument list, with an empty settings folder: the same code and the same
// bytes as the tool.
#include <emscripten/emscripten.h>

#include <string>
#include <string_view>
#include <vector>

#include "cli/CliOptions.h"
#include "cli/SnippetTool.h"
#include "codec/ImportPicture.h"
#include "panel/ImagePanel.h"

namespace {

quorel::cli::ToolOutcome last_outcome;
std::string last_readout;

}  // namespace

extern "C" {

// Runs the tool over `size` bytes of NUL-separated arguments; the exit
// status. The output and error texts stay until the next call.
EMSCRIPTEN_KEEPALIVE int QuorelRunTool(const char* args, size_t size) {
  std::vector<std::string_view> list;
  for (std::string_view rest(args, size); !rest.empty();) {
    const size_t end = rest.find('\0');
    list.push_back(rest.substr(0, end));
    rest = end == std::string_view::npos ? std::string_view() : rest.substr(end + 1);
  }
  last_outcome = quorel::cli::RunSnippetTool(list, QUOREL_VERSION);
  return last_outcome.exit_code;
}

EMSCRIPTEN_KEEPALIVE const char* QuorelOutput() { return last_outcome.output.data(); }
EMSCRIPTEN_KEEPALIVE size_t QuorelOutputSize() { return last_outcome.output.size(); }
EMSCRIPTEN_KEEPALIVE const char* QuorelError() { return last_outcome.error.c_str(); }

// The panel's readout (UTF-8, "300x120 (53.33%)⇒120x48") for a picture file
// shown in a preview of the given size, with a scale as the tool writes it
// ("height:48") and a clean-up level (0 none, 1 trim, 2 photo); empty when the
// picture cannot be used.
EMSCRIPTEN_KEEPALIVE const char* QuorelReadout(const char* file, const char* scale, int cleanup,
                                               int preview_width, int preview_height) {
  quorel::ImagePanel panel;
  last_readout.clear();
  auto read = quorel::ReadPictureFile(file);
  if (!read) return last_readout.c_str();
  (void)panel.SetCleanup(static_cast<quorel::CleanupLevel>(cleanup));  // applied to the picture below
  if (!panel.SetPicture(std::move(read->picture))) return last_readout.c_str();
  if (const auto settings = quorel::cli::ParseScale(scale)) panel.SetScale(*settings);
  panel.ShowIn(preview_width, preview_height);
  last_readout = panel.Readout();
  return last_readout.c_str();
}

}  // extern "C"
