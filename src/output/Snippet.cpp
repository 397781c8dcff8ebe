// Quorel — SPDX-License-Identifier: MIT
#include "output/Snippet.h"

#include <new>

#include "codec/Base64.h"
#include "codec/FileBlock.h"
#include "codec/gif/GifEncoder.h"
#include "image/DibPrimitives.h"
#include "image/Resample.h"
#include "image/TwoLevel.h"
#include "panel/ImagePanel.h"
#include "settings/OptionBits.h"
#include "settings/SettingsFolder.h"

namespace quorel {
namespace {

constexpr int32_t kBackgroundIndex = 1;  // colour-table entry 1 of a two-level picture

// The picture at its output size: resampled when a scale setting applies,
// otherwise a plain copy.
std::optional<PackedDib> OutputCopy(const ImagePanel& panel) {
  const OutputSizeResult size = OutputSize(panel);
  if (size.scaling_applies) return Resample(*panel.picture, size.width, size.height);
  return DuplicateDib(*panel.picture);
}

std::optional<std::string> PanelTag(const ImagePanel* panel, Colour ink,
                                    const std::filesystem::path& gif_folder) {
  if (panel == nullptr || !panel->picture) return std::nullopt;
  const auto copy = OutputCopy(*panel);
  if (!copy) return std::nullopt;
  return MakeImageTag(*copy, ink, ChooseBackground(ink), gif_folder);
}

}  // namespace

std::string_view DivOpen(int32_t option_bits) {
  switch (AlignmentOf(option_bits)) {
    case Alignment::kRight: return "<div align=right style=\"width:100%\">";
    case Alignment::kCentre: return "<div align=center style=\"width:100%\">";
    case Alignment::kLeft: break;
  }
  return "<div align=left style=\"width:100%\">";
}

void AppendText(std::string& text, std::string_view piece) {
  try {
    text.append(piece);
  } catch (const std::bad_alloc&) {
    // The piece is left out; the text stays as it was.
  }
}

std::optional<ByteBuffer> ReadWholeFile(const std::filesystem::path& path) {
  // The importers' loader: only a regular file of a size a picture could have.
  auto file = LoadFileBlock(path);
  if (!file || file->size == 0) return std::nullopt;
  file->block.resize(file->size);  // drops the zero slack behind the data
  return std::move(file->block);
}

std::optional<std::string> MakeImageTag(const PackedDib& picture, Colour ink, Colour background,
                                        const std::filesystem::path& gif_folder) {
  const auto two_level = ReduceToTwoLevels(picture, ink, background);
  if (!two_level) return std::nullopt;
  const std::filesystem::path path = gif_folder / kImageGifName;
  // NOTE: the previous file is removed rather than truncated by the encoder:
  // on ext4, truncating a file that holds data makes its next close wait for
  // the disk (the replace-by-truncate safeguard), several milliseconds a tag.
  std::error_code ec;
  std::filesystem::remove(path, ec);
  GifEncodeRequest request;
  request.transparent_index = kBackgroundIndex;
  request.frames.push_back({&*two_level, 0});
  if (EncodeGifFile(request, path) != Status::kOk) return std::nullopt;
  const auto bytes = ReadWholeFile(path);
  if (!bytes) return std::nullopt;
  const auto base64 = EncodeBase64(*bytes);
  if (!base64) return std::nullopt;
  std::string tag;
  AppendText(tag, kImageTagStart);
  AppendText(tag, *base64);
  AppendText(tag, kImageTagEnd);
  return tag;
}

SnippetResult BuildSnippet(const SnippetRequest& request) {
  std::optional<std::string> signature_tag;
  if (request.option_bits & option_bit::kSignature) {
    signature_tag = PanelTag(request.signature, request.signature_colour, request.gif_folder);
    if (!signature_tag) return {std::nullopt, MessageCode::kSignatureFailed};
  }
  std::optional<std::string> seal_tag;
  if (request.option_bits & option_bit::kSeal) {
    seal_tag = PanelTag(request.seal, request.seal_colour, request.gif_folder);
    if (!seal_tag) return {std::nullopt, MessageCode::kSealFailed};
  }
  std::string snippet;
  AppendText(snippet, DivOpen(request.option_bits));
  if (signature_tag) AppendText(snippet, *signature_tag);
  if (seal_tag) AppendText(snippet, *seal_tag);
  AppendText(snippet, kDivClose);
  return {std::move(snippet), MessageCode::kSystemFault};
}

}  // namespace quorel
