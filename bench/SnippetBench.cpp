// Quorel — SPDX-License-Identifier: MIT
// The whole snippet, stage by stage: (a) the samples' sizes, a 300 × 120
// signature with a 64 × 64 seal; (b) a 4032 × 3024 camera JPEG of a signature
// at fit-height 48, against the JPEG decode alone with libjpeg, and the desktop
// program's import of it. Then the tool against djpeg (time and peak memory)
// and against ImageMagick's equivalent pipeline, as whole processes.
#include <fcntl.h>
#include <stdlib.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

// jpeglib.h needs size_t and FILE declared first.
#include <jpeglib.h>

#include "BenchTiming.h"
#include "CameraSignature.h"
#include "ChildUsage.h"
#include "codec/Base64.h"
#include "codec/ImportPicture.h"
#include "codec/gif/GifEncoder.h"
#include "image/DibPrimitives.h"
#include "image/Resample.h"
#include "image/TwoLevel.h"
#include "output/OutputState.h"
#include "output/Snippet.h"
#include "codec/FileBlock.h"
#include "panel/ImagePanel.h"
#include "settings/IniStore.h"
#include "settings/OptionBits.h"
#include "settings/SettingsFolder.h"

namespace quorel::bench {
namespace {

using Bytes = std::vector<uint8_t>;

// A fresh folder for the bench's files, removed at the end.
class BenchFolder {
 public:
  BenchFolder() {
    std::string pattern = (std::filesystem::temp_directory_path() / "quorel-bench-XXXXXX").string();
    if (::mkdtemp(pattern.data())) path_ = pattern;
  }
  ~BenchFolder() {
    std::error_code ec;
    std::filesystem::remove_all(path_, ec);
  }
  const std::filesystem::path& path() const { return path_; }

 private:
  std::filesystem::path path_;
};

// The reference: the file read and decoded with libjpeg alone, the settings
// our reader uses (islow DCT, fancy upsampling), one line at a time.
size_t DecodeWithLibjpeg(const std::filesystem::path& path) {
  FILE* file = std::fopen(path.c_str(), "rb");
  if (!file) return 0;
  jpeg_decompress_struct cinfo;
  jpeg_error_mgr jerr;
  cinfo.err = jpeg_std_error(&jerr);
  jpeg_create_decompress(&cinfo);
  jpeg_stdio_src(&cinfo, file);
  jpeg_read_header(&cinfo, TRUE);
  cinfo.dct_method = JDCT_ISLOW;
  cinfo.do_fancy_upsampling = TRUE;
  jpeg_start_decompress(&cinfo);
  const size_t stride = static_cast<size_t>(cinfo.output_width) * cinfo.output_components;
  Bytes pixels(stride * cinfo.output_height);
  while (cinfo.output_scanline < cinfo.output_height) {
    JSAMPROW row = &pixels[stride * cinfo.output_scanline];
    jpeg_read_scanlines(&cinfo, &row, 1);
  }
  jpeg_finish_decompress(&cinfo);
  jpeg_destroy_decompress(&cinfo);
  std::fclose(file);
  return pixels.size();
}

struct Stages {
  double import_ms, resample_ms, reduce_ms, gif_ms, base64_ms, total_ms;
};

// One panel's road through the stages, each timed on its own.
Stages TimeStages(const std::filesystem::path& picture_file, ScaleSettings scale, Colour ink, int runs) {
  Stages s{};
  ImagePanel panel;
  auto import = [&] {
    panel = ImagePanel{};
    (void)panel.SetPicture(ReadPictureFile(picture_file).value().picture);
    panel.SetScale(scale);
  };
  s.import_ms = MedianMs(runs, import);
  const OutputSizeResult size = panel.OutputSize();
  std::optional<PackedDib> scaled;
  // Scaled when a setting applies, else the picture itself, as the snippet does.
  s.resample_ms = MedianMs(runs, [&] {
    if (size.scaling_applies) scaled = Resample(*panel.picture(), size.width, size.height).value();
  });
  const PackedDib& copy = scaled ? *scaled : *panel.picture();
  std::optional<PackedDib> two_level;
  s.reduce_ms = MedianMs(runs, [&] { two_level = ReduceToTwoLevels(copy, ink, ChooseBackground(ink)).value(); });
  ByteBuffer gif;
  s.gif_ms = MedianMs(runs, [&] { gif = EncodeGif({1, {{&*two_level, 0}}}).value(); });
  s.base64_ms = MedianMs(runs, [&] { (void)EncodeBase64(gif); });
  return s;
}

double TimeWholeSnippet(const std::filesystem::path& signature_file, ScaleSettings signature_scale,
                        const std::filesystem::path* seal_file, int runs) {
  return MedianMs(runs, [&] {
    OutputState state;
    ImagePanel& signature = state.Panel(PanelIndex::kSignature);
    (void)signature.SetPicture(ReadPictureFile(signature_file).value().picture);
    signature.SetScale(signature_scale);
    state.option_bits = option_bit::kSignature | option_bit::kAlignRight;
    if (seal_file) {
      (void)state.Panel(PanelIndex::kSeal).SetPicture(ReadPictureFile(*seal_file).value().picture);
      state.option_bits |= option_bit::kSeal;
    }
    if (!BuildSnippet(state.Request()).ok()) std::fputs("snippet failed\n", stderr);
  });
}

void PrintStages(const char* prefix, const Stages& s, double total_ms) {
  // Each stage against the whole snippet: the ratio is its share of the time.
  const std::string p(prefix);
  PrintBench(p + "_import", s.import_ms, total_ms);
  PrintBench(p + "_resample", s.resample_ms, total_ms);
  PrintBench(p + "_reduce", s.reduce_ms, total_ms);
  PrintBench(p + "_gif", s.gif_ms, total_ms);
  PrintBench(p + "_base64", s.base64_ms, total_ms);
}

Stages Add(const Stages& a, const Stages& b) {
  return {a.import_ms + b.import_ms, a.resample_ms + b.resample_ms, a.reduce_ms + b.reduce_ms,
          a.gif_ms + b.gif_ms, a.base64_ms + b.base64_ms, 0};
}

// The peak resident memory of one run of a program, in MiB, or none when it
// fails. The output goes to /dev/null.
std::optional<double> PeakMiB(const std::vector<std::string>& args) {
  const auto usage = RunChild(args, "/dev/null");
  if (!usage) return std::nullopt;
  return usage->peak_mib;
}

// The desktop program's import of a picture file: the picture read and
// normalised, stored as the working file, the preview drawn.
double TimeDesktopImport(const std::filesystem::path& picture_file, const std::filesystem::path& folder,
                         int runs) {
  const IniStore store(folder / "quorel.ini");
  return MedianMs(runs, [&] {
    ImagePanel panel(PanelIndex::kSignature, folder / "$quorel_s.bmp");
    panel.ShowIn(240, 90);
    auto picture = ReadPictureFile(picture_file);
    if (!picture || !panel.TakeNewPicture(std::move(picture->picture), store).ok()) {
      std::fputs("import failed\n", stderr);
    }
  });
}

// Median milliseconds of a shell command, or none when any run fails.
std::optional<double> TimeCommand(const std::string& command, int runs) {
  bool failed = false;
  const double ms = MedianMs(runs, [&] { failed |= std::system(command.c_str()) != 0; });
  if (failed) {
    std::fprintf(stderr, "failed: %s\n", command.c_str());
    return std::nullopt;
  }
  return ms;
}

}  // namespace
}  // namespace quorel::bench

int main() {
  using namespace quorel;
  using namespace quorel::bench;
  const BenchFolder folder;
  const std::filesystem::path samples = std::filesystem::path(QUOREL_SOURCE_DIR) / "resources" / "samples";
  const auto signature_bmp = samples / "signature.bmp";
  const auto seal_bmp = samples / "seal.bmp";

  // (a) the sample sizes, no scaling.
  const Stages small = Add(TimeStages(signature_bmp, {}, kDefaultSignatureColour, 200),
                           TimeStages(seal_bmp, {}, kDefaultSealColour, 200));
  const double small_total = TimeWholeSnippet(signature_bmp, {}, &seal_bmp, 200);
  PrintStages("snippet_small", small, small_total);
  // The whole snippet against the sum of its stages timed alone.
  PrintBench("snippet_small_total_vs_stages", small_total,
             small.import_ms + small.resample_ms + small.reduce_ms + small.gif_ms + small.base64_ms);

  // (b) a camera picture at fit-height 48.
  constexpr int kWidth = 4032, kHeight = 3024;
  const auto jpeg = folder.path() / "signature.jpg";
  if (!WriteJpeg(jpeg, DrawSignatureRgb(kWidth, kHeight), kWidth, kHeight)) {
    std::fputs("cannot write the JPEG\n", stderr);
    return 1;
  }
  const ScaleSettings fit48{kScaleFitHeight, 48, 48, 100};
  const Stages large = TimeStages(jpeg, fit48, kDefaultSignatureColour, 7);
  const double large_total = TimeWholeSnippet(jpeg, fit48, nullptr, 7);
  const double libjpeg_ms = MedianMs(7, [&] { DecodeWithLibjpeg(jpeg); });
  PrintStages("snippet_jpeg4032", large, large_total);
  PrintBench("snippet_jpeg4032_total_vs_libjpeg_decode", large_total, libjpeg_ms);

  // The desktop program keeps the picture: import, working file, preview.
  PrintBench("desktop_import_jpeg4032_vs_libjpeg_decode", TimeDesktopImport(jpeg, folder.path(), 7),
             libjpeg_ms);

  // The tool as a whole process against djpeg decoding the same file, and the
  // tool's peak resident memory (goals: 1.3 × djpeg, 16 MiB).
  std::filesystem::create_directories(folder.path() / "settings");
  const std::vector<std::string> tool_args = {QUOREL_SNIPPET_PATH, "--settings", (folder.path() / "settings").string(),
                                              "--signature", jpeg.string(), "--no-seal", "--signature-scale", "height:48"};
  std::string tool = "'" + tool_args[0] + "'";
  for (size_t i = 1; i < tool_args.size(); ++i) tool += " '" + tool_args[i] + "'";
  tool += " >/dev/null";
  const auto djpeg_path = std::string("/usr/bin/djpeg");
  if (std::filesystem::exists(djpeg_path)) {
    const auto tool_ms = TimeCommand(tool, 9);
    const auto djpeg_ms = TimeCommand(djpeg_path + " -outfile /dev/null '" + jpeg.string() + "'", 9);
    if (!tool_ms || !djpeg_ms) return 1;
    PrintBench("snippet_tool_jpeg4032_vs_djpeg", *tool_ms, *djpeg_ms);
  } else {
    std::puts("BENCH snippet_tool_jpeg4032_vs_djpeg skipped: djpeg is not installed");
  }
  const auto tool_mib = PeakMiB(tool_args);
  const auto djpeg_mib = PeakMiB({djpeg_path, "-outfile", "/dev/null", jpeg.string()});
  if (tool_mib) {
    std::printf("BENCH snippet_tool_jpeg4032_peak_rss tool_mib=%.1f djpeg_mib=%.1f goal_mib=16\n", *tool_mib,
                djpeg_mib.value_or(0));
  }
  const std::string magick = "convert '" + jpeg.string() +
                             "' -resize x48 -threshold 50% -transparent white gif:- | base64 -w0 >/dev/null";
  if (std::system("command -v convert >/dev/null 2>&1") != 0) {
    std::puts("BENCH snippet_tool_vs_imagemagick skipped: ImageMagick's convert is not installed");
    return 0;
  }
  const auto tool_ms = TimeCommand(tool, 5);
  const auto magick_ms = TimeCommand(magick, 5);
  if (!tool_ms || !magick_ms) return 1;
  PrintBench("snippet_tool_vs_imagemagick", *tool_ms, *magick_ms);
  return 0;
}
