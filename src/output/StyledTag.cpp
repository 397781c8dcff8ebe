// Quorel — SPDX-License-Identifier: MIT
#include "output/StyledTag.h"

#include <algorithm>

#include "codec/Base64.h"
#include "codec/png/PngWriter.h"
#include "common/Allocation.h"
#include "image/Coverage.h"
#include "image/Resample.h"
#include "image/TwoLevel.h"
#include "output/Snippet.h"

namespace quorel {
namespace {

constexpr std::string_view kImgOpen = "<img ";

// The tag with the layout size as attributes before its source.
Result<std::string> WithLayoutSize(std::string tag, const OutputSizeResult& output) {
  return GuardAllocation([&] {
    tag.insert(kImgOpen.size(), "width=" + std::to_string(output.width) + " height=" +
                                    std::to_string(output.height) + " ");
    return std::move(tag);
  });
}

Result<std::string> PngTagOf(const PackedDib& coverage, Colour ink) {
  const std::vector<uint8_t> png = QUOREL_TRY(EncodeCoveragePng(coverage, ink));
  const std::string base64 = QUOREL_TRY(EncodeBase64(png));
  return GuardAllocation([&] { return std::string(kPngTagStart) + base64 + std::string(kImageTagEnd); });
}

Result<std::string> TagOf(const PackedDib& picture, Colour ink, OutputFormat format,
                          const std::filesystem::path& gif_folder) {
  if (format == OutputFormat::kGif) return MakeImageTag(picture, ink, ChooseBackground(ink), gif_folder);
  return MakePngImageTag(picture, ink);
}

}  // namespace

PictureSize MadeSize(const OutputSizeResult& output, int32_t source_width, int32_t source_height,
                     OutputDensity density) {
  const int32_t factor = static_cast<int32_t>(density);
  // Clamp by hand: the source may be smaller than the output.
  auto side = [&](int32_t out, int32_t source) { return std::max(out, std::min(out * factor, source)); };
  return {side(output.width, source_width), side(output.height, source_height)};
}

Result<std::string> MakePngImageTag(const PackedDib& picture, Colour ink) {
  return PngTagOf(QUOREL_TRY(MeasureCoverage(picture)), ink);
}

Result<std::string> MakeStyledTag(const PackedDib& picture, const OutputSizeResult& output, Colour ink,
                                  const OutputStyle& style, const std::filesystem::path& gif_folder) {
  if (!output.scaling_applies) return TagOf(picture, ink, style.format, gif_folder);
  // NOTE: the PNG goes through the same picture scaler as the GIF, so that
  // its alpha of 128 or more falls exactly on the GIF's ink.
  const PictureSize made = MadeSize(output, picture.Width(), picture.Height(), style.density);
  const PackedDib scaled = QUOREL_TRY(Resample(picture, made.width, made.height));
  std::string tag = QUOREL_TRY(TagOf(scaled, ink, style.format, gif_folder));
  if (made == PictureSize{output.width, output.height}) return tag;
  return WithLayoutSize(std::move(tag), output);
}

}  // namespace quorel
