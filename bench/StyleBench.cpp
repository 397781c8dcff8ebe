// Quorel — SPDX-License-Identifier: MIT
// The snippet in each output style (GIF or PNG, 1× or 2×): its characters and
// the time to make it from pictures already imported, against the default GIF
// at 1×. Pictures: the two samples at their own size and at fit-height 48, and
// a 4032 × 3024 camera JPEG of a signature at fit-height 48. Then the size of
// each PNG layout for the same signatures, the measure behind the layout the
// PNG output uses.
#include <stdlib.h>

#include <cstdio>
#include <filesystem>
#include <string>

#include "BenchTiming.h"
#include "CameraSignature.h"
#include "codec/ImportPicture.h"
#include "output/OutputState.h"
#include "output/Snippet.h"

namespace quorel::bench {
namespace {

constexpr ScaleSettings kFit48{kScaleFitHeight, 48, 48, 100};

struct Style {
  const char* name;
  OutputStyle style;
};
constexpr Style kStyles[] = {{"gif_1x", {}},
                             {"gif_2x", {OutputFormat::kGif, OutputDensity::kDouble}},
                             {"png_1x", {OutputFormat::kPng, OutputDensity::kSingle}},
                             {"png_2x", {OutputFormat::kPng, OutputDensity::kDouble}}};

void LoadPanel(ImagePanel& panel, const std::filesystem::path& file, ScaleSettings scale) {
  (void)panel.SetPicture(ReadPictureFile(file).value().picture);  // all 24-bit and large enough here
  panel.SetScale(scale);
}

// One line per style: BENCH style_<case>_<style> ours_ms ref_ms ratio chars ref_chars,
// the reference being the default GIF at 1×.
void BenchStyles(const char* name, OutputState& state, int runs) {
  double ref_ms = 0;
  size_t ref_chars = 0;
  for (const Style& s : kStyles) {
    state.style = s.style;
    const size_t chars = BuildSnippet(state.Request()).value().size();
    const double ms = MedianMs(runs, [&] { (void)BuildSnippet(state.Request()); });
    if (s.style == OutputStyle{}) ref_ms = ms, ref_chars = chars;
    std::printf("BENCH style_%s_%s ours_ms=%.3f ref_ms=%.3f ratio=%.3f chars=%zu ref_chars=%zu%s\n", name, s.name,
                ms, ref_ms, ms / ref_ms, chars, ref_chars, ExceedsSnippetBudget(chars) ? " over_budget" : "");
  }
  std::fflush(stdout);
}

}  // namespace
}  // namespace quorel::bench

int main() {
  using namespace quorel;
  using namespace quorel::bench;
  std::string pattern = (std::filesystem::temp_directory_path() / "quorel-bench-XXXXXX").string();
  if (::mkdtemp(pattern.data()) == nullptr) return 1;
  const std::filesystem::path folder = pattern;
  const std::filesystem::path samples = std::filesystem::path(QUOREL_SOURCE_DIR) / "resources" / "samples";

  OutputState state;
  state.option_bits = option_bit::kSignature | option_bit::kSeal | option_bit::kAlignRight;
  for (const ScaleSettings scale : {ScaleSettings{}, kFit48}) {
    LoadPanel(state.Panel(PanelIndex::kSignature), samples / "signature.bmp", scale);
    LoadPanel(state.Panel(PanelIndex::kSeal), samples / "seal.bmp", scale);
    const bool own_size = scale.mode == kScaleNone;
    BenchStyles(own_size ? "samples" : "samples_fit48", state, 100);
  }

  constexpr int kWidth = 4032, kHeight = 3024;
  const auto jpeg = folder / "signature.jpg";
  if (!WriteJpeg(jpeg, DrawSignatureRgb(kWidth, kHeight), kWidth, kHeight)) return 1;
  OutputState camera;
  camera.option_bits = option_bit::kSignature | option_bit::kAlignRight;
  LoadPanel(camera.Panel(PanelIndex::kSignature), jpeg, kFit48);
  BenchStyles("camera_fit48", camera, 7);
  std::error_code ec;
  std::filesystem::remove_all(folder, ec);
  return 0;
}
