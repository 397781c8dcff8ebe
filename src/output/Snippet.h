// Quorel — SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

#include "common/ByteBuffer.h"
#include "common/Colour.h"
#include "common/Messages.h"
#include "image/PackedDib.h"

namespace quorel {

struct ImagePanel;

inline constexpr std::string_view kImageTagStart = "<img src=\"data:image/gif;base64,";
inline constexpr std::string_view kImageTagEnd = "\">";
inline constexpr std::string_view kDivClose = "</div>";
std::string_view DivOpen(int32_t option_bits);  // by the alignment bits, right winning

// Appends `piece` to `text`; when memory runs out the piece is left out and the
// text stays as it was.
void AppendText(std::string& text, std::string_view piece);

// The whole file, or none when it cannot be opened or read, or is empty.
std::optional<ByteBuffer> ReadWholeFile(const std::filesystem::path& path);

// The picture (owned by the caller, not changed) reduced to two levels in the
// given colours, written as "$image.gif" in `gif_folder` with the background
// transparent, read back and wrapped as an image tag. None on any failure.
std::optional<std::string> MakeImageTag(const PackedDib& picture, Colour ink, Colour background,
                                        const std::filesystem::path& gif_folder);

struct SnippetRequest {
  int32_t option_bits = 0;
  const ImagePanel* signature = nullptr;  // panel 0
  const ImagePanel* seal = nullptr;       // panel 1
  Colour signature_colour = kDefaultSignatureColour;
  Colour seal_colour = kDefaultSealColour;
  std::filesystem::path gif_folder;       // where "$image.gif" is written
};

// The snippet, or the message the caller shows: kSignatureFailed (8) or
// kSealFailed (9).
struct SnippetResult {
  std::optional<std::string> text;
  MessageCode message = MessageCode::kSystemFault;  // meaningful only without text
  bool ok() const { return text.has_value(); }
};

// Signature tag first (when bit 1 is set), then the seal tag (bit 2), inside
// one alignment block. A panel that takes part without a picture, or whose tag
// cannot be made, fails the whole snippet; the seal is not tried after a
// signature failure.
SnippetResult BuildSnippet(const SnippetRequest& request);

}  // namespace quorel
