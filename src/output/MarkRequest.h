// Quorel — SPDX-License-Identifier: MIT
#pragma once

#include <array>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <span>
#include <string>
#include <variant>

#include "codec/ImportPicture.h"
#include "common/Colour.h"
#include "image/PackedDib.h"
#include "image/cleanup/Cleanup.h"
#include "output/OutputStyle.h"
#include "panel/ScaleSettings.h"
#include "settings/OptionBits.h"

namespace quorel {

// How a picture file is taken.
enum class Arrival {
  kNew,       // a picture brought in now: normalised as a new picture (24 bits from 16 × 16 on)
  kAsStored,  // a panel's working file: used as the panel stored it
};

struct PictureFile {
  std::filesystem::path path;
  Arrival arrival = Arrival::kNew;
};

// A picture file's bytes that the caller keeps in memory (a file a page was
// given; they must outlive the request), read as `kind` and taken as a new
// picture, exactly as the file would be.
struct PictureBytes {
  std::span<const uint8_t> bytes;
  PictureKind kind = PictureKind::kNone;
};

// Where a panel's picture comes from: nowhere, a file (read only when the
// panel takes part), a picture the caller keeps (a window's panel; it
// must outlive the request), or a file's bytes.
using PictureSource = std::variant<std::monostate, PictureFile, const PackedDib*, PictureBytes>;

// A picture brought in now, read from a file or its bytes: normalised as new,
// and a failure to read it is the caller's mistake.
inline bool IsNewPicture(const PictureSource& source) {
  const auto* file = std::get_if<PictureFile>(&source);
  return (file && file->arrival == Arrival::kNew) || std::holds_alternative<PictureBytes>(source);
}

// One panel's part of an output.
struct PanelRequest {
  bool enabled = false;
  PictureSource picture;
  Colour ink = 0;
  ScaleSettings scale;
  // Applied before the picture is scaled.
  CleanupLevel cleanup = CleanupLevel::kNone;
  // False for a kept picture the caller has cleaned (with the panel's wanted
  // ink, `cleanup` none) and found no ink in: it is output transparent.
  bool ink_found = true;
  // The picture's alt text in UTF-8; empty: the tag has no alt attribute.
  std::string alt{};
  // Which ink the photo clean-up keeps; unset: the panel's own rule (a seal
  // inked in red keeps the red seal, anything else every ink). Set when both
  // panels share one photo: its seal for one, the other ink for the other.
  std::optional<InkWanted> wanted_ink{};
};

// Everything one output is made from: both panels (signature, seal), the
// block's alignment and how each picture is made. The defaults are those of an
// empty settings folder: both panels on, without pictures, right-aligned.
struct MarkRequest {
  std::array<PanelRequest, 2> panels{PanelRequest{true, {}, kDefaultSignatureColour, {}, {}},
                                     PanelRequest{true, {}, kDefaultSealColour, {}, {}}};
  Alignment align = Alignment::kRight;
  OutputStyle style;
  // Where exported pictures are uploaded to, as stored (checked by WebBaseUrl
  // where it is used); empty: the snippet names the files alone.
  std::string base_url{};

  PanelRequest& Panel(PanelIndex index) { return panels[static_cast<size_t>(index)]; }
  const PanelRequest& Panel(PanelIndex index) const { return panels[static_cast<size_t>(index)]; }
};

}  // namespace quorel
