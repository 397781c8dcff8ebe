// Quorel — SPDX-License-Identifier: MIT
#include "output/Snippet.h"

#include "codec/Base64.h"
#include "codec/FileBlock.h"
#include "codec/gif/GifEncoder.h"
#include "common/Allocation.h"
#include "image/Resample.h"
#include "image/TwoLevel.h"
#include "output/OutputState.h"
#include "output/StyledTag.h"
#include "settings/SettingsFolder.h"

namespace quorel {
namespace {

constexpr int32_t kBackgroundIndex = 1;  // colour-table entry 1 of a two-level picture

// The GIF file's bytes: only a regular file of a size a picture could have.
Result<FileBlock> ReadBack(const std::filesystem::path& path) {
  FileBlock file = QUOREL_TRY(LoadFileBlock(path));
  if (file.size == 0) return Status::kCannotOpen;
  return file;
}

Result<std::string> PanelTag(const ImagePanel& panel, Colour ink, const OutputStyle& style,
                             const std::filesystem::path& gif_folder) {
  // The cleaned picture (the picture itself without a clean-up) at its output
  // size; without a scale setting as it is.
  const PackedDib* picture = OutputPicture(panel);
  if (!picture) return Status::kBadInput;
  const OutputSizeResult size = OutputSize(panel);
  // Another format or density takes its own road; the default's stays as it was.
  if (style != OutputStyle{}) return MakeStyledTag(*picture, size, ink, style, gif_folder);
  if (!size.scaling_applies) return MakeImageTag(*picture, ink, ChooseBackground(ink), gif_folder);
  const PackedDib scaled = QUOREL_TRY(Resample(*picture, size.width, size.height));
  return MakeImageTag(scaled, ink, ChooseBackground(ink), gif_folder);
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

Result<std::string> MakeImageTag(const PackedDib& picture, Colour ink, Colour background,
                                 const std::filesystem::path& gif_folder) {
  const PackedDib two_level = QUOREL_TRY(ReduceToTwoLevels(picture, ink, background));
  const std::filesystem::path path = gif_folder / kImageGifName;
  // NOTE: the previous file is removed rather than truncated by the encoder:
  // on ext4, truncating a file that holds data makes its next close wait for
  // the disk (the replace-by-truncate safeguard), several milliseconds a tag.
  std::error_code ec;
  std::filesystem::remove(path, ec);
  GifEncodeRequest request;
  request.transparent_index = kBackgroundIndex;
  request.frames.push_back({&two_level, 0});
  QUOREL_TRY(EncodeGifFile(request, path));
  const FileBlock gif = QUOREL_TRY(ReadBack(path));
  const std::string base64 = QUOREL_TRY(EncodeBase64(gif.Data()));
  return GuardAllocation([&] { return std::string(kImageTagStart) + base64 + std::string(kImageTagEnd); });
}

Result<std::string> BuildSnippet(const OutputState& state, const std::filesystem::path& gif_folder) {
  std::string tags[2];
  for (const PanelIndex index : {PanelIndex::kSignature, PanelIndex::kSeal}) {
    const int32_t bit = index == PanelIndex::kSignature ? option_bit::kSignature : option_bit::kSeal;
    if ((state.option_bits & bit) == 0) continue;
    auto tag = PanelTag(state.Panel(index), state.inks[static_cast<size_t>(index)], state.style,
                        gif_folder);
    if (!tag) return index == PanelIndex::kSignature ? Status::kSignatureFailed : Status::kSealFailed;
    tags[static_cast<size_t>(index)] = std::move(*tag);
  }
  return GuardAllocation(
      [&] { return std::string(DivOpen(state.option_bits)) + tags[0] + tags[1] + std::string(kDivClose); });
}

}  // namespace quorel
