// Quorel — SPDX-License-Identifier: MIT
// The clean-up levels against exact ink truth: photos from four independent
// generators (bench/photos/, made into the build folder at each run) in every
// case class, and the real scans of ../shared/corpora/dibco2019. For each case
// the ink F-measure of the two-level reduction after none, trim and photo, and
// of Sauvola's local threshold (window 31, k 0.2) as the plain baseline; then
// mean and worst per class and generator, the classes whose photo mean is
// under 0.95 and the cases more than 0.02 under Sauvola. Last the photo clean-up of a 12 MP
// photo against its JPEG decode in CPU time, and its peak heap.
#include <sys/resource.h>
#include <malloc.h>
#include <time.h>

#include <algorithm>
#include <array>
#include <cstdio>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "BenchTiming.h"
#include "Sauvola.h"
#include "codec/jpeg/JpegReader.h"
#include "image/DibLayout.h"
#include "image/Resample.h"
#include "image/TwoLevel.h"
#include "image/cleanup/Cleanup.h"
#include "image/cleanup/PhotoCleanup.h"
#include "image/cleanup/TrimMargins.h"
#include "output/PanelPicture.h"
#include "output/WorkingPicture.h"

namespace {

using quorel::PackedDib;
using quorel::PixelRect;

// A figure of /proc/self/status in KiB ("VmRSS:", "VmHWM:"), 0 when it is not there.
long ResidentKib(const std::string& field) {
  std::ifstream status("/proc/self/status");
  for (std::string line; std::getline(status, line);) {
    if (line.starts_with(field)) return std::strtol(line.c_str() + field.size(), nullptr, 10);
  }
  return 0;
}

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

// The goals the report is read against: a class's mean, and how far under
// the plain baseline a case may lie.
constexpr double kGoodMean = 0.95;
constexpr double kSauvolaSlack = 0.02;

std::string Fixed(double f) {
  char text[16];
  std::snprintf(text, sizeof text, "%.3f", f);
  return text;
}

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

// The ink each photo is cleaned for, as the program's panels choose it: a
// seal the seal's hue, a signature beside a seal the pen's (one photo for
// both panels), any other the signature panel's (every hue, less what is no
// writing; blank pages too).
quorel::InkWanted WantedFor(const Case& c) {
  if (std::getenv("QUOREL_BENCH_ANY")) return quorel::InkWanted::kAny;
  if (c.kind == "seal") return quorel::InkWanted::kSeal;
  if (c.kind_class == "signed-and-sealed") return quorel::InkWanted::kPen;
  return quorel::InkWanted::kWriting;
}


// --- Ink at the output size: the picture as the tag is made of it, against
// the truth brought to the same pixels (a made pixel is ink when at least half
// the truth under it is). Truth outside the cleaned part counts as missed, at
// the made picture's scale.
struct SourceRect {
  double left = 0, top = 0, right = 0, bottom = 0;
};

double OutputF(const PackedDib& made, const SourceRect& r, const Truth& truth, int32_t w, int32_t h) {
  const PackedDib bits = Must(quorel::ReduceToTwoLevels(made, 0, 0xFFFFFF), "two levels");
  const auto rows = quorel::ConstDibRows::Of(bits).value();
  const int32_t mw = made.Width();
  const int32_t mh = made.Height();
  const int32_t tw = std::min(w, truth.width);
  const int32_t th = std::min(h, truth.height);
  const double sx = (r.right - r.left) / mw;
  const double sy = (r.bottom - r.top) / mh;
  // The source pixels whose centres fall in [from, to).
  const auto first = [](double from) { return static_cast<int32_t>(std::ceil(from - 0.5)); };
  Counts c;
  int64_t inside = 0;
  for (int32_t oy = 0; oy < mh; ++oy) {
    const int32_t y0 = std::max(0, first(r.top + oy * sy));
    const int32_t y1 = std::min(th, first(r.top + (oy + 1) * sy));
    for (int32_t ox = 0; ox < mw; ++ox) {
      const int32_t x0 = std::max(0, first(r.left + ox * sx));
      const int32_t x1 = std::min(tw, first(r.left + (ox + 1) * sx));
      if (x0 >= x1 || y0 >= y1) continue;
      int64_t ink = 0;
      for (int32_t y = y0; y < y1; ++y) {
        for (int32_t x = x0; x < x1; ++x) ink += truth.At(x, y);
      }
      inside += ink;
      const bool real = 2 * ink >= int64_t{x1 - x0} * (y1 - y0) && ink > 0;
      const bool found = (rows.TopDownRow(oy)[static_cast<size_t>(ox) >> 3] & (0x80 >> (ox & 7))) == 0;
      c.both += found && real;
      c.found += found;
      c.drawn += real;
    }
  }
  int64_t all = 0;
  for (int32_t y = 0; y < th; ++y) {
    for (int32_t x = 0; x < tw; ++x) all += truth.At(x, y);
  }
  c.drawn += std::llround(static_cast<double>(all - inside) / (sx * sy));
  return c.F();
}

// Everything missed: the picture had ink and none was found.
double NothingFoundF(const Truth& truth) {
  return std::find(truth.ink.begin(), truth.ink.end(), uint8_t{255}) == truth.ink.end() ? 1.0 : 0.0;
}

// Trim or photo of `photo` made at each of kOutputHeights: cleaned whole and
// then scaled (`working` empty), or cleaned at `working` and then scaled.
constexpr int32_t kOutputHeights[] = {48, 96};
std::array<double, 2> MadeF(const PackedDib& photo, quorel::CleanupLevel level, quorel::InkWanted wanted,
                            std::optional<quorel::PictureSize> working, const Truth& truth) {
  const quorel::PictureSize source{photo.Width(), photo.Height()};
  const PackedDib work = working ? Must(quorel::Resample(photo, working->width, working->height), "working")
                                 : PackedDib::FromBytes(photo.Bytes()).value();
  PixelRect rect;
  const auto clean = [&]() -> quorel::Cleaned {
    if (level == quorel::CleanupLevel::kTrim) {
      rect = Must(quorel::FindInkRect(work), "trim");
      return {Must(quorel::TrimMargins(work), "trim"), true};
    }
    quorel::CleanedPhoto cleaned = Must(quorel::CleanPhoto(work, wanted), "photo");
    rect = cleaned.rect;
    return {std::move(cleaned.picture), cleaned.ink_found};
  };
  const quorel::Cleaned cleaned = clean();
  if (!cleaned.ink_found) return {NothingFoundF(truth), NothingFoundF(truth)};
  const double fx = working ? static_cast<double>(source.width) / working->width : 1.0;
  const double fy = working ? static_cast<double>(source.height) / working->height : 1.0;
  std::array<double, 2> f{};
  for (size_t i = 0; i < f.size(); ++i) {
    const quorel::ScaleSettings scale{quorel::kScaleFitHeight, kOutputHeights[i]};
    quorel::Cleaned copy{PackedDib::FromBytes(cleaned.picture.Bytes()).value(), true};
    const quorel::MadePicture made =
        working ? Must(quorel::MadeFromWorking(std::move(copy), source, *working, scale,
                                               quorel::OutputDensity::kSingle, true), "made")
                : Must(quorel::MadePicture(std::move(copy.picture), true).Sized(scale, quorel::OutputDensity::kSingle),
                       "made");
    f[i] = OutputF(made.picture(), {rect.left * fx, rect.top * fy, rect.right * fx, rect.bottom * fy}, truth,
                   photo.Width(), photo.Height());
  }
  return f;
}

// The working size: the tool's own (none for a photo it cleans whole), or,
// with a share set, that share of each side.
std::optional<quorel::PictureSize> WorkingFor(const PackedDib& photo, double share) {
  if (share > 0) {
    const auto side = [&](int32_t s) { return std::max<int32_t>(1, static_cast<int32_t>(std::lround(s * share))); };
    return quorel::PictureSize{side(photo.Width()), side(photo.Height())};
  }
  const quorel::ScaleSettings scale{quorel::kScaleFitHeight, kOutputHeights[0]};
  const quorel::OutputSizeResult layout = quorel::ComputeOutputSize(scale, photo.Width(), photo.Height());
  return quorel::WorkingSize({photo.Width(), photo.Height()},
                             quorel::MadeSize(layout, photo.Width(), photo.Height(), quorel::OutputDensity::kSingle));
}

// A photo and its truth `factor` times larger each way (the same scene taken
// at more pixels): the photo interpolated, the truth by nearest pixel.
void Enlarge(PackedDib& photo, Truth& truth, double factor) {
  const auto w = static_cast<int32_t>(std::lround(photo.Width() * factor));
  const auto h = static_cast<int32_t>(std::lround(photo.Height() * factor));
  photo = Must(quorel::Resample(photo, w, h), "enlarge");
  Truth big;
  big.width = static_cast<int32_t>(std::lround(truth.width * factor));
  big.height = static_cast<int32_t>(std::lround(truth.height * factor));
  big.ink.resize(static_cast<size_t>(big.width) * big.height);
  for (int32_t y = 0; y < big.height; ++y) {
    const auto ty = std::min(truth.height - 1, static_cast<int32_t>(y / factor));
    for (int32_t x = 0; x < big.width; ++x) {
      big.ink[static_cast<size_t>(y) * big.width + x] =
          truth.ink[static_cast<size_t>(ty) * truth.width + std::min(truth.width - 1, static_cast<int32_t>(x / factor))];
    }
  }
  truth = std::move(big);
}

// Output-size F per road: [trim, photo] × heights × [whole, working].
constexpr int kOutputColumns = 8;
struct OutputScore {
  double sum[kOutputColumns] = {};
  double worst[kOutputColumns] = {1, 1, 1, 1, 1, 1, 1, 1};
  int count = 0;
  void Add(const double* f) {
    for (int i = 0; i < kOutputColumns; ++i) {
      sum[i] += f[i];
      worst[i] = std::min(worst[i], f[i]);
    }
    ++count;
  }
};

void PrintOutputRow(const std::string& label, const OutputScore& s) {
  std::printf("OUTPUT_F %-28s", label.c_str());
  int i = 0;
  for (const char* level : {"trim", "photo"}) {
    for (const int32_t height : kOutputHeights) {
      std::printf(" %s%d whole=%.3f/%.3f working=%.3f/%.3f", level, height, s.sum[i] / s.count, s.worst[i],
                  s.sum[i + 1] / s.count, s.worst[i + 1]);
      i += 2;
    }
  }
  std::printf("\n");
}
}  // namespace

int main(int argc, char** argv) {
  // Options: --seeds N (per class and generator), --case NAME, --generator NAME, --no-timing.
  std::string extra;
  bool timing = true;
  // --working-share S: the working picture's side as a share of the photo's
  // in the output-size comparison (default: the tool's own working size);
  // --enlarge F: every photo F times larger each way first.
  double share = 0;
  double enlarge = 1;
  for (int i = 1; i < argc; ++i) {
    const std::string a = argv[i];
    if (a == "--no-timing") {
      timing = false;
    } else if (a == "--working-share" && i + 1 < argc) {
      share = std::atof(argv[++i]);
    } else if (a == "--enlarge" && i + 1 < argc) {
      enlarge = std::atof(argv[++i]);
    } else {
      extra += " '" + a + "'";
    }
  }
  // QUOREL_BENCH_PHOTOS=FOLDER reuses a set made before (by make_set.py), so
  // a change to the clean-up is measured in seconds rather than minutes.
  // make_set.py itself keeps the default set while its generators, options
  // and libraries are the same.
  const char* reuse = std::getenv("QUOREL_BENCH_PHOTOS");
  const std::filesystem::path folder =
      reuse != nullptr ? std::filesystem::path(reuse) : std::filesystem::path(QUOREL_BINARY_DIR) / "bench-photos";
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
  std::map<std::string, OutputScore> output_by_class;
  std::vector<std::string> class_order;
  std::vector<std::string> behind_sauvola;
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
    const quorel::CleanedPhoto cleaned = Must(quorel::CleanPhoto(photo, WantedFor(c)), "photo");
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
    double out_f[kOutputColumns];
    int column = 0;
    PackedDib big = PackedDib::FromBytes(photo.Bytes()).value();
    Truth big_truth = truth;
    if (enlarge != 1) Enlarge(big, big_truth, enlarge);
    for (const auto level : {quorel::CleanupLevel::kTrim, quorel::CleanupLevel::kPhoto}) {
      const auto whole = MadeF(big, level, WantedFor(c), std::nullopt, big_truth);
      const auto working = MadeF(big, level, WantedFor(c), WorkingFor(big, share), big_truth);
      for (size_t i = 0; i < whole.size(); ++i) {
        out_f[column++] = whole[i];
        out_f[column++] = working[i];
      }
    }
    std::printf("OUTPUT_CASE %-40s trim48 %.3f %.3f trim96 %.3f %.3f photo48 %.3f %.3f photo96 %.3f %.3f\n",
                c.photo.c_str(), out_f[0], out_f[1], out_f[2], out_f[3], out_f[4], out_f[5], out_f[6], out_f[7]);
    if (f[2] < f[3] - kSauvolaSlack) behind_sauvola.push_back(c.photo + " " + Fixed(f[2]) + " < " + Fixed(f[3]));
    output_by_class[c.generator == "dibco" ? "dibco" : c.kind_class].Add(out_f);
    if (c.generator != "dibco") output_by_class["all (no dibco)"].Add(out_f);
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
  // What the photo level has still to reach: each class's mean and each case against Sauvola.
  std::printf("BELOW photo mean under %.2f (all generators):", kGoodMean);
  for (const std::string& name : class_order) {
    const Score& s = by_class[name];
    if (s.sum[2] / s.count < kGoodMean) std::printf(" %s %.3f", name.c_str(), s.sum[2] / s.count);
  }
  std::printf("\nBEHIND_SAUVOLA photo more than %.2f under Sauvola: %zu case(s)\n", kSauvolaSlack,
              behind_sauvola.size());
  for (const std::string& line : behind_sauvola) std::printf("BEHIND_SAUVOLA %s\n", line.c_str());
  std::printf("OUTPUT_F at made height, cleaned whole then scaled against at a working size (share %.3f, 0: the "
              "tool's), photos enlarged %.2f times: mean/worst\n", share, enlarge);
  for (const auto& [key, score] : output_by_class) PrintOutputRow(key, score);
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
  // The clean-up's peak memory: how far the resident size rises above what it
  // is just before (the input picture in it), with free heap given back and
  // the kernel's high-water mark reset first. Blocks come from malloc as well
  // as new, so a count of new and delete would miss most of them.
  malloc_trim(0);
  if (std::ofstream("/proc/self/clear_refs") << "5" << std::flush) {
    const long before_kib = ResidentKib("VmRSS:");
    (void)quorel::CleanPhoto(picture);
    std::printf("BENCH photo_cleanup_12mp_peak_mb=%.1f (above the input picture)\n",
                static_cast<double>(ResidentKib("VmHWM:") - before_kib) / 1024);
  }
  std::filesystem::remove_all(big);
  return 0;
}
