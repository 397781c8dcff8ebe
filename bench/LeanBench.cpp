// Quorel — SPDX-License-Identifier: MIT
// Every output style (GIF or PNG, 1× or 2×) with every clean-up (none, trim,
// photo) of a 4000 × 3000 camera JPEG fitted to height 48, each run as a
// whole process of the tool: its processor time (user and kernel, the median
// of the runs) against djpeg decoding the same file, run by run in turn, its peak
// resident memory (the child's ru_maxrss), and the PNG bytes in its snippet.
// One line per case:
// BENCH lean_<style>_<cleanup> cpu_ms=… djpeg_cpu_ms=… ratio=… peak_mib=… png_bytes=…
// and last the photo clean-up of an 8000 × 6000 JPEG (GIF 1×), whose peak
// shows that memory grows with the width, not the area.

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <string>
#include <vector>

#include "CameraSignature.h"
#include "ChildUsage.h"

namespace {

namespace fs = std::filesystem;
using quorel::bench::ChildUsage;
using quorel::bench::RunChild;
constexpr int kRuns = 5;
constexpr int kWidth = 4000, kHeight = 3000;

// The median processor time and the largest peak of kRuns runs of the tool
// and of its reference (djpeg), their runs taken in turn, so that a change in
// the machine's load while they run moves both.
struct Pair {
  ChildUsage tool, reference;
};
std::optional<Pair> Measure(const std::vector<std::string>& tool, const std::vector<std::string>& reference,
                            const fs::path& out) {
  std::vector<double> times[2];
  Pair result;
  for (int i = 0; i < kRuns; ++i) {
    const auto ref = RunChild(reference, "/dev/null");
    const auto run = RunChild(tool, out);
    if (!ref || !run) return std::nullopt;
    times[0].push_back(run->cpu_ms);
    times[1].push_back(ref->cpu_ms);
    result.tool.peak_mib = std::max(result.tool.peak_mib, run->peak_mib);
  }
  for (auto& t : times) std::nth_element(t.begin(), t.begin() + kRuns / 2, t.end());
  result.tool.cpu_ms = times[0][kRuns / 2];
  result.reference.cpu_ms = times[1][kRuns / 2];
  return result;
}

// The decoded bytes of every PNG data URL in a snippet.
size_t PngBytes(const fs::path& snippet) {
  std::ifstream in(snippet, std::ios::binary);
  const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  const std::string start = "data:image/png;base64,";
  size_t bytes = 0;
  for (size_t at = text.find(start); at != std::string::npos; at = text.find(start, at)) {
    at += start.size();
    const size_t end = text.find('"', at);
    if (end == std::string::npos) break;
    const size_t chars = end - at;
    const size_t padding = (chars > 0 && text[end - 1] == '=') + (chars > 1 && text[end - 2] == '=');
    bytes += chars / 4 * 3 - padding;
  }
  return bytes;
}

}  // namespace

int main() {
  using namespace quorel::bench;
  std::string pattern = (fs::temp_directory_path() / "quorel-lean-XXXXXX").string();
  if (::mkdtemp(pattern.data()) == nullptr) return 1;
  const fs::path folder = pattern;
  const fs::path jpeg = folder / "phone.jpg";
  const fs::path out = folder / "out.txt";
  fs::create_directories(folder / "settings");
  if (!WriteJpeg(jpeg, DrawSignatureRgb(kWidth, kHeight), kWidth, kHeight)) return 1;
  const std::string djpeg = "/usr/bin/djpeg";
  if (!fs::exists(djpeg)) {
    std::puts("BENCH lean skipped: djpeg (libjpeg-turbo-progs) is not installed");
    return 0;
  }
  const std::vector<std::string> reference = {djpeg, "-outfile", "/dev/null", jpeg.string()};
  struct Style {
    const char* name;
    std::vector<std::string> args;
  };
  const Style styles[] = {{"gif_1x", {}},
                          {"gif_2x", {"--density", "2"}},
                          {"png_1x", {"--format", "png"}},
                          {"png_2x", {"--format", "png", "--density", "2"}}};
  int failed = 0;
  for (const Style& style : styles) {
    for (const char* cleanup : {"none", "trim", "photo"}) {
      std::vector<std::string> args = {QUOREL_SNIPPET_PATH, "--settings", (folder / "settings").string(),
                                       "--signature", jpeg.string(), "--no-seal", "--signature-scale",
                                       "height:48", "--signature-cleanup", cleanup};
      args.insert(args.end(), style.args.begin(), style.args.end());
      const auto pair = Measure(args, reference, out);
      if (!pair) {
        std::printf("BENCH lean_%s_%s failed\n", style.name, cleanup);
        ++failed;
        continue;
      }
      const auto& [tool, djpeg_run] = *pair;
      std::printf("BENCH lean_%s_%s cpu_ms=%.1f djpeg_cpu_ms=%.1f ratio=%.2f peak_mib=%.1f png_bytes=%zu\n",
                  style.name, cleanup, tool.cpu_ms, djpeg_run.cpu_ms, tool.cpu_ms / djpeg_run.cpu_ms, tool.peak_mib,
                  PngBytes(out));
      std::fflush(stdout);
    }
  }
  // One photo of a signed and sealed page for both panels, each cleaned as a
  // photo for its own ink: the photo is decoded once.
  const fs::path sealed_jpeg = folder / "sealed.jpg";
  auto sealed = DrawSignatureRgb(kWidth, kHeight);
  StampSealRgb(sealed, kWidth, kHeight);
  if (!WriteJpeg(sealed_jpeg, sealed, kWidth, kHeight)) return 1;
  if (const auto both = Measure({QUOREL_SNIPPET_PATH, "--settings", (folder / "settings").string(), "--from-photo",
                                 sealed_jpeg.string(), "--signature-scale", "height:48", "--seal-scale", "height:48"},
                                {djpeg, "-outfile", "/dev/null", sealed_jpeg.string()}, out)) {
    std::printf("BENCH lean_from_photo_gif_1x cpu_ms=%.1f djpeg_cpu_ms=%.1f ratio=%.2f peak_mib=%.1f\n",
                both->tool.cpu_ms, both->reference.cpu_ms, both->tool.cpu_ms / both->reference.cpu_ms,
                both->tool.peak_mib);
  } else {
    std::printf("BENCH lean_from_photo_gif_1x failed\n");
    ++failed;
  }
  // Memory grows with the width, not the area: a 48 MP photo cleaned as a photo.
  const fs::path large_jpeg = folder / "large.jpg";
  if (!WriteJpeg(large_jpeg, DrawSignatureRgb(2 * kWidth, 2 * kHeight), 2 * kWidth, 2 * kHeight)) return 1;
  const auto large = Measure({QUOREL_SNIPPET_PATH, "--settings", (folder / "settings").string(), "--signature",
                              large_jpeg.string(), "--no-seal", "--signature-scale", "height:48",
                              "--signature-cleanup", "photo"},
                             {djpeg, "-outfile", "/dev/null", large_jpeg.string()}, out);
  if (large) {
    std::printf("BENCH lean_48mp_gif_1x_photo cpu_ms=%.1f djpeg_cpu_ms=%.1f ratio=%.2f peak_mib=%.1f\n",
                large->tool.cpu_ms, large->reference.cpu_ms, large->tool.cpu_ms / large->reference.cpu_ms,
                large->tool.peak_mib);
  } else {
    std::printf("BENCH lean_48mp_gif_1x_photo failed\n");
    ++failed;
  }
  std::error_code ec;
  fs::remove_all(folder, ec);
  return failed == 0 ? 0 : 1;
}
