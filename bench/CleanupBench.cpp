// Quorel — SPDX-License-Identifier: MIT
// The photo clean-up on synthetic phone photos (bench/make_photos.py): the
// ink F-measure of today's two-level reduction and of the reduction after the
// clean-up (untrimmed, so the masks line up), against the drawn ink masks;
// and the panel's photo clean-up (trimmed) of a 12-megapixel photo against
// that photo's JPEG decode, in the same run.
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "BenchTiming.h"
#include "codec/jpeg/JpegReader.h"
#include "codec/png/PngReader.h"
#include "image/DibLayout.h"
#include "image/TwoLevel.h"
#include "image/cleanup/Cleanup.h"
#include "image/cleanup/PhotoCleanup.h"

namespace {

using quorel::PackedDib;

constexpr int kPhotos = 12;

PackedDib Must(quorel::Result<PackedDib> result, const std::string& what) {
  if (!result) {
    std::fprintf(stderr, "bench_cleanup: %s failed (%d)\n", what.c_str(), result.code());
    std::exit(1);
  }
  return std::move(result).value();
}

void Generate(const std::filesystem::path& folder, const std::string& options) {
  const std::string command = std::string("/usr/bin/python3 ") + QUOREL_SOURCE_DIR +
                              "/bench/make_photos.py " + folder.string() + " " + options;
  if (std::system(command.c_str()) != 0) {
    std::fprintf(stderr, "bench_cleanup: cannot make photos (python3-pil missing?)\n");
    std::exit(1);
  }
}

// F-measure of the two-level picture's ink (bit 0) against the mask (white = ink).
double FMeasure(const PackedDib& two_level, const PackedDib& mask) {
  const auto bits = quorel::ConstDibRows::Of(two_level).value();
  const auto truth = quorel::ConstDibRows::Of(mask).value();
  int64_t both = 0, found = 0, drawn = 0;
  for (int32_t y = 0; y < bits.height(); ++y) {
    const auto b = bits.StoredRow(y);
    const auto t = truth.StoredRow(y);
    for (int32_t x = 0; x < bits.width(); ++x) {
      const bool ink = (b[static_cast<size_t>(x) >> 3] & (0x80 >> (x & 7))) == 0;
      const bool real = t[3 * static_cast<size_t>(x)] >= 128;
      both += ink && real;
      found += ink;
      drawn += real;
    }
  }
  return found + drawn == 0 ? 1.0 : 2.0 * static_cast<double>(both) / static_cast<double>(found + drawn);
}

}  // namespace

int main() {
  const auto folder = std::filesystem::temp_directory_path() / "quorel-bench-photos";
  std::filesystem::remove_all(folder);
  Generate(folder, "--count " + std::to_string(kPhotos));
  const quorel::Colour black = 0;
  const quorel::Colour white = 0xFFFFFF;
  double sum[2] = {0, 0};
  double worst[2] = {1, 1};
  for (int i = 0; i < kPhotos; ++i) {
    char name[32];
    std::snprintf(name, sizeof name, "photo-%02d", i);
    const PackedDib photo = Must(quorel::ReadJpegFile(folder / (std::string(name) + ".jpg")).value().picture, name);
    const PackedDib mask = Must(quorel::ReadPngFile(folder / (std::string(name) + "-mask.png")).value().picture, name);
    const PackedDib even = Must(quorel::EvenOutPhoto(photo), "clean-up");
    const double f[2] = {FMeasure(Must(quorel::ReduceToTwoLevels(photo, black, white), "none"), mask),
                         FMeasure(Must(quorel::ReduceToTwoLevels(even, black, white), "photo"), mask)};
    std::printf("FMEASURE %s none=%.3f photo=%.3f\n", name, f[0], f[1]);
    for (int k = 0; k < 2; ++k) {
      sum[k] += f[k];
      worst[k] = std::min(worst[k], f[k]);
    }
  }
  std::printf("FMEASURE summary photos=%d none_mean=%.3f none_worst=%.3f photo_mean=%.3f photo_worst=%.3f\n",
              kPhotos, sum[0] / kPhotos, worst[0], sum[1] / kPhotos, worst[1]);

  // A 12-megapixel photo: decode against clean-up, ratio goal at most 0.5.
  const auto big = folder / "big";
  Generate(big, "--count 1 --size 4032x3024");
  const auto jpeg = big / "photo-00.jpg";
  const PackedDib picture = Must(quorel::ReadJpegFile(jpeg).value().picture, "12 MP decode");
  const double decode_ms = quorel::bench::MedianMs(5, [&] { (void)quorel::ReadJpegFile(jpeg); });
  const double cleanup_ms = quorel::bench::MedianMs(
      5, [&] { (void)quorel::ApplyCleanup(picture, quorel::CleanupLevel::kPhoto); });
  quorel::bench::PrintBench("photo_cleanup_12mp_vs_jpeg_decode", cleanup_ms, decode_ms);
  std::filesystem::remove_all(folder);
  return 0;
}
