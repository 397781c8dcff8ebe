// Quorel — SPDX-License-Identifier: MIT
// The page's way into the core: the worker (web/worker.js) keeps each panel's
// picture file as bytes here, sets the choices, and has the core make the
// mark from one MarkRequest, as the tool and the window do; every output of
// the mark is then written from it on demand. No file system is involved.
//
// Texts and bytes handed back stay valid until the next call of the same kind.
#include <emscripten/emscripten.h>

#include <array>
#include <cstdint>
#include <ctime>
#include <optional>
#include <string>

#include "cli/CliOptions.h"
#include "codec/ImportPicture.h"
#include "codec/PictureRows.h"
#include "common/Buffer.h"
#include "common/Messages.h"
#include "image/RgbaPicture.h"
#include "output/ExportFiles.h"
#include "output/Mark.h"
#include "output/MarkPicture.h"
#include "output/MimeMessage.h"
#include "output/Snippet.h"
#include "panel/CleanupSettings.h"
#include "panel/ImagePanel.h"
#include "web/WebMessages.h"

namespace quorel {
namespace {

// One panel as the page left it: the picture file's bytes (or, for a format
// only the browser decodes, the picture itself) and the panel that gives its
// readout.
struct WebPanel {
  ByteBuffer bytes;
  PictureKind kind = PictureKind::kNone;
  std::optional<PackedDib> decoded;  // a picture the browser decoded into RGBA rows
  bool complete = true;              // the file held the whole picture
  ImagePanel panel;
  std::array<int32_t, 2> area{};  // the preview area the panel was last shown in
};

// The outputs QuorelOutput writes; the numbers are the worker's.
enum class WebOutput : int {
  kSnippet = 0,        // the inline snippet
  kHostedSnippet = 1,  // snippet.html: the pictures named after a base URL
  kSignaturePicture = 2,
  kSealPicture = 3,
  kMessage = 4,        // the .eml
  kMarkPicture = 5,    // both pictures as one PNG
};

struct WebState {
  std::array<WebPanel, 2> panels{WebPanel{{}, PictureKind::kNone, {}, true, ImagePanel(PanelIndex::kSignature)},
                                 WebPanel{{}, PictureKind::kNone, {}, true, ImagePanel(PanelIndex::kSeal)}};
  ByteBuffer incoming;  // the bytes of a picture not yet taken
  MarkRequest request;
  std::optional<Mark> mark;
  std::string text;     // the last text handed out
  // The last output handed out: made as text, as bytes, or a picture of the mark.
  Text output_text;
  ByteBuffer output_bytes;
  std::span<const uint8_t> output;
};

WebState& State() {
  static WebState state;
  return state;
}

WebPanel& PanelAt(int index) { return State().panels[index == 0 ? 0 : 1]; }

const char* Hand(std::string text) {
  State().text = std::move(text);
  return State().text.c_str();
}

// Stops a row reader at the picture's size, before a row is decoded.
class SizeProbe final : public RowSink {
 public:
  Result<void> Begin(int32_t width, int32_t height, RowOrder) override {
    pixels_ = int64_t{width} * height;
    return Status::kUnsupported;  // enough: nothing more is wanted
  }
  std::span<uint8_t> Row(int32_t) override { return {}; }
  int64_t pixels() const { return pixels_; }

 private:
  int64_t pixels_ = 0;
};

// The page's pixel cap, judged from the header where a row reader tells the
// size (JPEG, PNG: a phone's photos) and on the picture otherwise.
bool OverPageCap(std::span<const uint8_t> bytes, PictureKind kind) {
  SizeProbe probe;
  (void)ReadPictureBytesRows(bytes, kind, probe);
  return probe.pixels() > kPagePixels;
}
bool OverPageCap(const PackedDib& picture) { return int64_t{picture.Width()} * picture.Height() > kPagePixels; }

// A picture the panel takes: shown in its preview for the readout; its
// source in the request follows it.
Status Take(int index, WebPanel& panel, PackedDib picture) {
  const CleanupLevel level = panel.panel.cleanup();
  panel.panel = ImagePanel(index == 0 ? PanelIndex::kSignature : PanelIndex::kSeal);
  (void)panel.panel.SetCleanup(level);  // the picture below is cleaned at it
  const Result<void> set = panel.panel.SetPicture(std::move(picture));
  panel.area = {};
  return set ? Status::kOk : set.status();
}

// The panel's picture as the mark's source, as the window's panels give theirs
// (OutputState::Request): the file read once, when it was taken, is the very
// picture the mark would read from its bytes. Its cleaned copy stands in for
// the clean-up when it was made with the ink the mark wants.
void UsePanelPicture(const ImagePanel& panel, PanelIndex index, PanelRequest& request) {
  if (request.cleanup != CleanupLevel::kNone && panel.cleanup() == request.cleanup &&
      panel.wanted_ink() == WantedInk(index, request.ink) && panel.OutputPicture() != panel.picture()) {
    request.picture = panel.OutputPicture();
    request.cleanup = CleanupLevel::kNone;
    request.ink_found = panel.ink_found();
  } else {
    request.picture = panel.picture();
  }
}

}  // namespace
}  // namespace quorel

using namespace quorel;

extern "C" {

// Room for `size` bytes of a picture file (or RGBA rows) that the page copies
// in before QuorelTakePicture or QuorelTakeRgba; null when memory is short.
EMSCRIPTEN_KEEPALIVE uint8_t* QuorelPictureBuffer(size_t size) {
  ByteBuffer& incoming = State().incoming;
  incoming = {};
  auto room = ByteBuffer::Filled(size);
  if (!room) return nullptr;
  incoming = std::move(*room);
  return incoming.data();
}

// The buffer's bytes as the panel's new picture file, its format judged by the
// file's name as a path's is. 0 when taken; else the reader's status, and the
// panel keeps the picture it had, as in the window.
EMSCRIPTEN_KEEPALIVE int QuorelTakePicture(int index, const char* name) {
  WebState& state = State();
  const PictureKind kind = PictureKindOf(name);
  if (OverPageCap(state.incoming, kind)) return static_cast<int>(Status::kTooLarge);
  Result<Decoded> read = ReadPictureBytes(state.incoming, kind);
  if (!read) return static_cast<int>(read.status());
  if (OverPageCap(read->picture)) return static_cast<int>(Status::kTooLarge);
  WebPanel& panel = PanelAt(index);
  const Status taken = Take(index, panel, std::move(read->picture));
  if (taken != Status::kOk) return static_cast<int>(taken);
  panel.bytes = std::move(state.incoming);
  state.incoming = {};
  panel.kind = kind;
  panel.decoded.reset();
  panel.complete = read->complete;
  return 0;
}

// The buffer's RGBA rows (width × height × 4 bytes, top row first) as the
// panel's new picture: a format the browser decodes and the core does not.
EMSCRIPTEN_KEEPALIVE int QuorelTakeRgba(int index, int32_t width, int32_t height) {
  WebState& state = State();
  if (int64_t{width} * height > kPagePixels) return static_cast<int>(Status::kTooLarge);
  Result<PackedDib> picture = PictureFromRgba(state.incoming, width, height);
  state.incoming = {};
  if (!picture) return static_cast<int>(picture.status());
  Result<PackedDib> shown = PackedDib::FromBytes(picture->Bytes());
  if (!shown) return static_cast<int>(shown.status());
  WebPanel& panel = PanelAt(index);
  const Status taken = Take(index, panel, std::move(*shown));
  if (taken != Status::kOk) return static_cast<int>(taken);
  panel.decoded = std::move(*picture);
  panel.complete = true;
  panel.bytes = {};
  panel.kind = PictureKind::kNone;
  return 0;
}

// The panel without a picture.
EMSCRIPTEN_KEEPALIVE void QuorelClearPicture(int index) {
  WebPanel& panel = PanelAt(index);
  panel = WebPanel{{}, PictureKind::kNone, {}, true, ImagePanel(panel.panel.index())};
}

// One panel's choices: whether it takes part, its ink (0xRRGGBB), its scale
// as the tool writes it ("none", "height:48"), its clean-up (0 none, 1 trim,
// 2 photo) and its alt text (UTF-8). 0, or kBadInput for a scale it cannot read.
EMSCRIPTEN_KEEPALIVE int QuorelSetPanel(int index, int enabled, uint32_t rgb, const char* scale,
                                        int cleanup, const char* alt) {
  const auto settings = cli::ParseScale(scale);
  if (!settings || cleanup < 0 || cleanup > 2) return static_cast<int>(Status::kBadInput);
  WebPanel& panel = PanelAt(index);
  PanelRequest& request = State().request.panels[index == 0 ? 0 : 1];
  request.enabled = enabled != 0;
  request.ink = MakeColour(static_cast<uint8_t>(rgb >> 16), static_cast<uint8_t>(rgb >> 8), static_cast<uint8_t>(rgb));
  request.scale = *settings;
  request.cleanup = static_cast<CleanupLevel>(cleanup);
  request.alt = alt;
  // The panel's readout follows the same choices; a clean-up is done again
  // only when its level changes.
  if (panel.panel.cleanup() != request.cleanup) (void)panel.panel.SetCleanup(request.cleanup);
  panel.panel.SetScale(*settings);
  return 0;
}

// The block's alignment (0 left, 1 centre, 2 right), format (0 GIF, 1 PNG) and
// density (1 or 2).
EMSCRIPTEN_KEEPALIVE void QuorelSetLayout(int align, int format, int density) {
  MarkRequest& request = State().request;
  request.align = align == 0 ? Alignment::kLeft : align == 1 ? Alignment::kCentre : Alignment::kRight;
  request.style.format = format == 1 ? OutputFormat::kPng : OutputFormat::kGif;
  request.style.density = density == 2 ? OutputDensity::kDouble : OutputDensity::kSingle;
}

// The panel's size readout (UTF-8, "300x120 (53.33%)⇒120x48") in a preview
// area of the given size; empty without a usable picture.
EMSCRIPTEN_KEEPALIVE const char* QuorelReadout(int index, int32_t preview_width, int32_t preview_height) {
  WebPanel& panel = PanelAt(index);
  if (panel.panel.picture() == nullptr) return Hand({});
  // The preview is drawn again only for another area: a large photo's takes a while.
  if (panel.area != std::array{preview_width, preview_height}) panel.panel.ShowIn(preview_width, preview_height);
  panel.area = {preview_width, preview_height};
  return Hand(panel.panel.Readout());
}

// The mark made from the panels and choices: 0, or the status the tool would
// fail with (kSignatureFailed, kSealFailed).
EMSCRIPTEN_KEEPALIVE int QuorelMakeMark() {
  WebState& state = State();
  state.output = {};  // it may show the old mark's picture
  state.mark.reset();
  MarkRequest request = state.request;
  for (size_t i = 0; i < state.panels.size(); ++i) {
    const WebPanel& panel = state.panels[i];
    PanelRequest& wanted = request.panels[i];
    if (panel.decoded) {
      wanted.picture = &*panel.decoded;
    } else if (panel.kind != PictureKind::kNone && panel.panel.picture() != nullptr) {
      UsePanelPicture(panel.panel, panel.panel.index(), wanted);
    } else if (panel.kind != PictureKind::kNone) {
      wanted.picture = PictureBytes{panel.bytes, panel.kind};
    } else {
      wanted.picture = std::monostate{};
    }
  }
  Result<Mark> mark = MakeMark(request);
  if (!mark) return static_cast<int>(mark.status());
  // A file cut short still says so, though its picture came from the panel.
  for (size_t i = 0; i < state.panels.size(); ++i) {
    if (mark->images[i] && !state.panels[i].complete) mark->images[i]->complete = false;
  }
  state.mark = std::move(*mark);
  return 0;
}

// Whether the mark's picture of a panel is complete (bit 0: its file was cut
// short) and has ink (bit 1: a clean-up found none); 0 without the picture.
EMSCRIPTEN_KEEPALIVE int QuorelImageNotes(int index) {
  const auto& mark = State().mark;
  if (!mark || !mark->images[index == 0 ? 0 : 1]) return 0;
  const MarkImage& image = *mark->images[index == 0 ? 0 : 1];
  return (image.complete ? 0 : 1) | (image.ink_found ? 0 : 2);
}

// One output of the mark made last (WebOutput), its bytes then at
// QuorelOutputData. `text` is the base URL for the hosted snippet (empty: the
// pictures' bare names); `time` and `token` stamp a message. 0, or a status:
// kBadInput without a mark, for a base URL that is not an http(s) URL, or for
// a panel without a picture.
EMSCRIPTEN_KEEPALIVE int QuorelOutput(int kind, const char* text, double time, const char* token) {
  WebState& state = State();
  state.output = {};
  state.output_text = {};
  state.output_bytes = {};
  if (!state.mark) return static_cast<int>(Status::kBadInput);
  if (text == nullptr) text = "";
  if (token == nullptr) token = "";
  const Mark& mark = *state.mark;
  const auto bytes_of = [&](Result<Text> made) -> Result<void> {
    if (!made) return made.status();
    state.output_text = std::move(*made);
    state.output = {reinterpret_cast<const uint8_t*>(state.output_text.data()), state.output_text.size()};
    return {};
  };
  Result<void> done = Status::kBadInput;
  switch (static_cast<WebOutput>(kind)) {
    case WebOutput::kSnippet: done = bytes_of(InlineSnippet(mark)); break;
    case WebOutput::kHostedSnippet: {
      const std::string_view url(text);
      const std::optional<std::string> base = url.empty() ? std::optional<std::string>("") : WebBaseUrl(url);
      if (base) done = bytes_of(HostedSnippet(mark, *base));
      break;
    }
    case WebOutput::kSignaturePicture:
    case WebOutput::kSealPicture: {
      const auto& image = mark.images[kind == static_cast<int>(WebOutput::kSignaturePicture) ? 0 : 1];
      if (image) {
        state.output = image->bytes;
        done = {};
      }
      break;
    }
    case WebOutput::kMessage:
      done = bytes_of(MimeMessage(mark, kDefaultSubject, MessageStamp{static_cast<std::time_t>(time), token}));
      break;
    case WebOutput::kMarkPicture: {
      Result<ByteBuffer> png = MarkPicture(mark, state.request.style.density);
      if (png) {
        state.output_bytes = std::move(*png);
        state.output = state.output_bytes;
      }
      done = png ? Result<void>() : Result<void>(png.status());
      break;
    }
  }
  return done ? 0 : static_cast<int>(done.status());
}

EMSCRIPTEN_KEEPALIVE const uint8_t* QuorelOutputData() { return State().output.data(); }
EMSCRIPTEN_KEEPALIVE size_t QuorelOutputSize() { return State().output.size(); }

// The snippet's character budget when `characters` is over it (some editors
// refuse such a snippet), else 0.
EMSCRIPTEN_KEEPALIVE size_t QuorelOverBudget(size_t characters) {
  return ExceedsSnippetBudget(characters) ? kSnippetCharacterBudget : 0;
}

// What the window says for a status (UTF-8): a picture refused by its reader
// (`name`: the file's name) or a mark that could not be made.
EMSCRIPTEN_KEEPALIVE const char* QuorelMessage(int status, const char* name) {
  return Hand(WebStatusText(static_cast<Status>(status), name));
}

}  // extern "C"
