// Quorel — SPDX-License-Identifier: MIT
// The clean-up levels against exact ink truth: photos from three independent
// generators (bench/photos/, made into the build folder at each run) in every
// case class, and the real scans of ../shared/corpora/dibco2019. For each case
// the ink F-measure of the two-level reduction after none, trim and photo, and
// of Sauvola's local threshold (window 31, k 0.2) as the plain baseline; then
// mean and worst per class and generator. Last the photo clean-up of a 12 MP
// photo against its JPEG decode in CPU time, and its peak heap.
#include <sys/resource.h>
#include <time.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <new>
#include <sstream>
#include <string>
#include <vector>

#include "BenchTiming.h"
#include "Sauvola.h"
#include "codec/jpeg/JpegReader.h"
#include "image/DibLayout.h"
#include "image/TwoLevel.h"
#include "image/cleanup/Cleanup.h"
#include "image/cleanup/PhotoCleanup.h"
#include "image/cleanup/TrimMargins.h"

// The heap's current and peak bytes, for the clean-up's peak.
namespace {
std::atomic<int64_t> g_heap{0};
std::atomic<int64_t> g_peak{0};
}  // namespace

void* operator new(size_t size) {
  void* p = std::malloc(size + 16);
  if (p == nullptr) throw std::bad_alloc();
  *static_cast<size_t*>(p) = size;
  const int64_t now = g_heap += static_cast<int64_t>(size);
  int64_t peak = g_peak.load();
  while (now > peak && !g_peak.compare_exchange_weak(peak, now)) {
  }
  return static_cast<char*>(p) + 16;
}
void operator delete(void* p) noexcept {
  if (p == nullptr) return;
  char* block = static_cast<char*>(p) - 16;
  g_heap -= static_cast<int64_t>(*reinterpret_cast<size_t*>(block));
  std::free(block);
}
void operator delete(void* p, size_t) noexcept { operator delete(p); }
void* operator new[](size_t size) { return operator new(size); }
void operator delete[](void* p) noexcept { operator delete(p); }
void operator delete[](void* p, size_t) noexcept { operator delete(p); }

namespace {

using quorel::PackedDib;
using quorel::PixelRect;

template <class T>
T Must(quorel::Result<T> result, const std::string& what) {
  if (!result) {
    std::fprintf(stderr, "bench_cleanup: %s failed (%d)\n", what.c_str(), result.code());
    std::exit(1);
  }
  return std::move(result).value();
}

// A binary PGM (P5, 8-bit) as written by make_set.py: 255 = ink.
struct Truth {
  int32_t width = 0, height = 0;
  std::vector<uint8_t> ink;
  bool At(int32_t x, int32_t y) const { return ink[static_cast<size_t>(y) * width + x] != 0; }
};

Truth ReadPgm(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::string magic;
  int max = 0;
  Truth t;
  in >> magic >> t.width >> t.height >> max;
  in.get();
  t.ink.resize(static_cast<size_t>(t.width) * t.height);
  in.read(reinterpret_cast<char*>(t.ink.data()), static_cast<std::streamsize>(t.ink.size()));
  if (magic != "P5" || !in) {
    std::fprintf(stderr, "bench_cleanup: bad truth %s\n", path.c_str());
    std::exit(1);
  }
  return t;
}

// Ink found per pixel of the photo, as a function (x, y) -> bool.
struct Counts {
  int64_t both = 0, found = 0, drawn = 0;
  // No ink drawn: 1 when none is found either, else 0.
  double F() const {
    if (drawn == 0) return found == 0 ? 1.0 : 0.0;
    return 2.0 * static_cast<double>(both) / static_cast<double>(found + drawn);
  }
};

Counts g_last;  // the last comparison's counts, for the photo's precision and recall

template <class Found>
double FMeasure(const Truth& truth, int32_t width, int32_t height, Found found) {
  Counts c;
  // A cropped truth is compared over its own area.
  const int32_t w = std::min(width, truth.width);
  const int32_t h = std::min(height, truth.height);
  for (int32_t y = 0; y < h; ++y) {
    for (int32_t x = 0; x < w; ++x) {
      const bool ink = found(x, y);
      const bool real = truth.At(x, y);
      c.both += ink && real;
      c.found += ink;
      c.drawn += real;
    }
  }
  g_last = c;
  return c.F();
}

// The two-level reduction's ink of `picture` placed at `rect` of the photo;
// with QUOREL_BENCH_DUMP=FOLDER also written there as `dump` (PGM: ink
// black, missed ink grey, paper white; bench/photos/make_figure.py makes the
// README's figure from these).
double TwoLevelF(const PackedDib& picture, const PixelRect& rect, const Truth& truth, int32_t w, int32_t h,
                 const std::string& dump = {}) {
  const PackedDib bits = Must(quorel::ReduceToTwoLevels(picture, 0, 0xFFFFFF), "two levels");
  const auto rows = quorel::ConstDibRows::Of(bits).value();
  const auto found = [&](int32_t x, int32_t y) {
    if (x < rect.left || x >= rect.right || y < rect.top || y >= rect.bottom) return false;
    const auto row = rows.TopDownRow(y - rect.top);
    const int32_t bx = x - rect.left;
    return (row[static_cast<size_t>(bx) >> 3] & (0x80 >> (bx & 7))) == 0;
  };
  const char* folder = std::getenv("QUOREL_BENCH_DUMP");
  if (folder != nullptr && !dump.empty()) {
    std::ofstream out(std::filesystem::path(folder) / dump, std::ios::binary);
    out << "P5\n" << truth.width << " " << truth.height << "\n255\n";
    for (int32_t y = 0; y < truth.height; ++y) {
      for (int32_t x = 0; x < truth.width; ++x) {
        const bool ink = x < w && y < h && found(x, y);
        out.put(static_cast<char>(ink ? 0 : truth.At(x, y) ? 160 : 255));
      }
    }
  }
  return FMeasure(truth, w, h, found);
}

struct Case {
  std::string photo, truth, generator, kind_class, kind;
};

constexpr int kMethods = 4;
const char* const kMethodNames[kMethods] = {"none", "trim", "photo", "sauvola"};

struct Score {
  double sum[kMethods] = {};
  double worst[kMethods] = {1, 1, 1, 1};
  int count = 0;
  void Add(const double* f) {
    for (int m = 0; m < kMethods; ++m) {
      sum[m] += f[m];
      worst[m] = std::min(worst[m], f[m]);
    }
    ++count;
  }
};

void PrintRow(const std::string& label, const Score& s) {
  std::printf("FMEASURE %-34s", label.c_str());
  for (int m = 0; m < kMethods; ++m) {
    std::printf(" %s=%.3f/%.3f", kMethodNames[m], s.sum[m] / s.count, s.worst[m]);
  }
  std::printf("\n");
}

double CpuMs(int runs, const std::function<void()>& work) {
  work();
  std::vector<double> times;
  for (int i = 0; i < runs; ++i) {
    timespec a{}, b{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &a);
    work();
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &b);
    times.push_back((b.tv_sec - a.tv_sec) * 1e3 + (b.tv_nsec - a.tv_nsec) / 1e6);
  }
  std::sort(times.begin(), times.end());
  return times[times.size() / 2];
}

quorel::InkWanted WantedFor(const std::string& kind) {
  if (std::getenv("QUOREL_BENCH_ANY")) return quorel::InkWanted::kAny;
  if (kind == "seal") return quorel::InkWanted::kSeal;
  if (kind == "signature") return quorel::InkWanted::kPen;
  return quorel::InkWanted::kAny;
}

}  // namespace

int main(int argc, char** argv) {
  // Options: --seeds N (per class and generator), --case NAME, --generator NAME, --no-timing.
  std::string extra;
  bool timing = true;
  for (int i = 1; i < argc; ++i) {
    const std::string a = argv[i];
    if (a == "--no-timing") {
      timing = false;
    } else {
      extra += " '" + a + "'";
    }
  }
  // QUOREL_BENCH_PHOTOS=FOLDER reuses a set made before (by make_set.py), so
  // a change to the clean-up is measured in seconds rather than minutes.
  const char* reuse = std::getenv("QUOREL_BENCH_PHOTOS");
  const std::filesystem::path folder =
      reuse != nullptr ? std::filesystem::path(reuse) : std::filesystem::path(QUOREL_BINARY_DIR) / "bench-photos";
  if (reuse == nullptr) std::filesystem::remove_all(folder);
  const std::string command = std::string("/usr/bin/python3 ") + QUOREL_SOURCE_DIR + "/bench/photos/make_set.py " +
                              folder.string() + " --dibco " + QUOREL_SOURCE_DIR + "/../shared/corpora/dibco2019" + extra;
  if (reuse == nullptr && std::system(command.c_str()) != 0) {
    std::fprintf(stderr, "bench_cleanup: cannot make photos (python3-pil, python3-numpy missing?)\n");
    return 1;
  }
  std::vector<Case> cases;
  std::ifstream list(folder / "cases.txt");
  for (std::string line; std::getline(list, line);) {
    std::istringstream fields(line);
    Case c;
    if (fields >> c.photo >> c.truth >> c.generator >> c.kind_class >> c.kind) cases.push_back(c);
  }
  std::map<std::string, Score> by_class_generator, by_class, by_generator;
  std::vector<std::string> class_order;
  for (const Case& c : cases) {
    const PackedDib photo = Must(quorel::ReadJpegFile(folder / c.photo), c.photo).picture;
    const Truth truth = ReadPgm(folder / c.truth);
    const int32_t w = photo.Width();
    const int32_t h = photo.Height();
    double f[kMethods];
    const std::string stem = c.truth.substr(0, c.truth.size() - 4);
    f[0] = TwoLevelF(photo, {0, 0, w, h}, truth, w, h, stem + "-none.pgm");
    const PixelRect trim_rect = Must(quorel::FindInkRect(photo), "trim");
    f[1] = TwoLevelF(Must(quorel::TrimMargins(photo), "trim"), trim_rect, truth, w, h, stem + "-trim.pgm");
    const quorel::CleanedPhoto cleaned = Must(quorel::CleanPhoto(photo, WantedFor(c.kind)), "photo");
    f[2] = cleaned.ink_found ? TwoLevelF(cleaned.picture, cleaned.rect, truth, w, h, stem + "-photo.pgm")
                             : FMeasure(truth, w, h, [](int32_t, int32_t) { return false; });
    const Counts photo_counts = g_last;
    const quorel::bench::SauvolaInk sauvola(photo);
    f[3] = FMeasure(truth, w, h, [&](int32_t x, int32_t y) { return sauvola.Ink(x, y); });
    std::printf("CASE %-44s none=%.3f trim=%.3f photo=%.3f sauvola=%.3f (photo precision %.3f recall %.3f)%s\n",
                c.photo.c_str(), f[0], f[1], f[2], f[3],
                static_cast<double>(photo_counts.both) / static_cast<double>(std::max<int64_t>(1, photo_counts.found)),
                static_cast<double>(photo_counts.both) / static_cast<double>(std::max<int64_t>(1, photo_counts.drawn)),
                cleaned.ink_found ? "" : " (photo: no ink)");
    if (c.generator == "dibco") continue;
    if (!by_class.contains(c.kind_class)) class_order.push_back(c.kind_class);
    by_class_generator[c.kind_class + " " + c.generator].Add(f);
    by_class[c.kind_class].Add(f);
    by_generator[c.generator].Add(f);
    by_generator["all"].Add(f);
  }
  std::printf("FMEASURE per class and generator: mean/worst\n");
  for (const std::string& name : class_order) {
    for (const auto& [key, score] : by_class_generator) {
      if (key.substr(0, key.find(' ')) == name) PrintRow(key, score);
    }
    PrintRow(name + " (all)", by_class[name]);
  }
  for (const auto& [key, score] : by_generator) PrintRow("generator " + key, score);
  if (!timing) return 0;

  // A 12-megapixel photo: clean-up against decode in CPU time, and the clean-up's peak heap.
  const auto big = folder / "big";
  std::filesystem::create_directories(big);
  const std::string make_big = std::string("/usr/bin/python3 ") + QUOREL_SOURCE_DIR + "/bench/make_photos.py " +
                               big.string() + " --count 1 --size 4032x3024";
  if (std::system(make_big.c_str()) != 0) return 1;
  const auto jpeg = big / "photo-00.jpg";
  const PackedDib picture = Must(quorel::ReadJpegFile(jpeg), "12 MP decode").picture;
  const double decode_ms = CpuMs(5, [&] { (void)quorel::ReadJpegFile(jpeg); });
  const double cleanup_ms = CpuMs(5, [&] { (void)quorel::CleanPhoto(picture); });
  quorel::bench::PrintBench("photo_cleanup_12mp_vs_jpeg_decode_cpu", cleanup_ms, decode_ms);
  const int64_t before = g_heap.load();
  g_peak = before;
  (void)quorel::CleanPhoto(picture);
  std::printf("BENCH photo_cleanup_12mp_peak_heap_mb=%.1f (the input picture aside)\n",
              static_cast<double>(g_peak.load() - before) / (1 << 20));
  std::filesystem::remove_all(big);
  return 0;
}
