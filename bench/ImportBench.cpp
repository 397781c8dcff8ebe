// Quorel — SPDX-License-Identifier: MIT
// Import of a 12-megapixel photo: the JPEG loader against libjpeg-turbo's own
// decode of the same file into a plain buffer, and the BMP reader against a
// plain read of the file. Then the window's import of the photo into a panel
// (read, made 24-bit, cleaned, previewed, stored as the working BMP), upright
// and Exif-turned, and a photo taken for both panels, each as a whole process
// of this program: its processor time and peak resident memory against the
// same process reading the file whole (ReadPictureFile, which turns a turned
// photo upright as a second picture).
// BENCH panel_import_<case> cpu_ms=… decode_cpu_ms=… peak_mib=… decode_peak_mib=…
#include <fcntl.h>
#include <stdlib.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <optional>
#include <utility>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include <jpeglib.h>

#include "BenchTiming.h"
#include "ChildUsage.h"
#include "codec/ImportPicture.h"
#include "codec/bmp/BmpFile.h"
#include "codec/jpeg/JpegReader.h"
#include "image/DibPrimitives.h"
#include "panel/ImagePanel.h"
#include "panel/NewPicture.h"
#include "settings/IniStore.h"
#include "settings/SettingsFolder.h"

namespace {

constexpr int kWidth = 4032;
constexpr int kHeight = 3024;

// A synthetic photo: smooth gradients with some texture, so the coder has
// work like a real picture's.
std::vector<uint8_t> SyntheticRgb() {
  std::vector<uint8_t> rgb(static_cast<size_t>(kWidth) * kHeight * 3);
  size_t at = 0;
  for (int y = 0; y < kHeight; ++y) {
    for (int x = 0; x < kWidth; ++x) {
      const unsigned noise = (static_cast<unsigned>(x) * 2654435761u ^ static_cast<unsigned>(y) * 40503u) >> 28;
      rgb[at++] = static_cast<uint8_t>((x * 255 / kWidth + noise) & 0xFF);
      rgb[at++] = static_cast<uint8_t>((y * 255 / kHeight + 2 * noise) & 0xFF);
      rgb[at++] = static_cast<uint8_t>(((x + y) / 32 % 2 ? 200 : 60) + noise);
    }
  }
  return rgb;
}

// An Exif block that turns the picture by `orientation`: a big-endian TIFF
// header and one entry, behind the "Exif" name.
constexpr uint8_t kTurnedExif[] = {
    'E', 'x', 'i', 'f', 0, 0, 'M', 'M', 0, 42, 0, 0, 0, 8,
    0, 1, 0x01, 0x12, 0, 3, 0, 0, 0, 1, 0, 6, 0, 0,  // orientation 6: a quarter clockwise
    0, 0, 0, 0};

enum class Exif { kNone, kTurned };

void WriteJpeg(const std::filesystem::path& path, const std::vector<uint8_t>& rgb, Exif exif = Exif::kNone) {
  FILE* out = std::fopen(path.c_str(), "wb");
  if (!out) std::abort();
  jpeg_compress_struct cinfo;
  jpeg_error_mgr errors;
  cinfo.err = jpeg_std_error(&errors);
  jpeg_create_compress(&cinfo);
  jpeg_stdio_dest(&cinfo, out);
  cinfo.image_width = kWidth;
  cinfo.image_height = kHeight;
  cinfo.input_components = 3;
  cinfo.in_color_space = JCS_RGB;
  jpeg_set_defaults(&cinfo);
  jpeg_set_quality(&cinfo, 90, TRUE);  // baseline, 4:2:0
  jpeg_start_compress(&cinfo, TRUE);
  if (exif == Exif::kTurned) jpeg_write_marker(&cinfo, JPEG_APP0 + 1, kTurnedExif, sizeof kTurnedExif);
  while (cinfo.next_scanline < cinfo.image_height) {
    JSAMPROW row = const_cast<JSAMPLE*>(rgb.data()) + static_cast<size_t>(cinfo.next_scanline) * kWidth * 3;
    jpeg_write_scanlines(&cinfo, &row, 1);
  }
  jpeg_finish_compress(&cinfo);
  jpeg_destroy_compress(&cinfo);
  std::fclose(out);
}

std::vector<uint8_t> ReadWholeFile(const std::filesystem::path& path) {
  const int fd = ::open(path.c_str(), O_RDONLY);
  if (fd < 0) std::abort();
  std::vector<uint8_t> bytes(std::filesystem::file_size(path));
  size_t done = 0;
  while (done < bytes.size()) {
    const ssize_t n = ::read(fd, bytes.data() + done, bytes.size() - done);
    if (n <= 0) std::abort();
    done += static_cast<size_t>(n);
  }
  ::close(fd);
  return bytes;
}

// libjpeg-turbo's own decode: the file into memory, then RGB rows into one
// plain buffer, several lines per call.
size_t ReferenceJpegDecode(const std::filesystem::path& path) {
  const auto file = ReadWholeFile(path);
  jpeg_decompress_struct cinfo;
  jpeg_error_mgr errors;
  cinfo.err = jpeg_std_error(&errors);
  jpeg_create_decompress(&cinfo);
  jpeg_mem_src(&cinfo, file.data(), file.size());
  jpeg_read_header(&cinfo, TRUE);
  jpeg_start_decompress(&cinfo);
  const size_t row_bytes = static_cast<size_t>(cinfo.output_width) * cinfo.output_components;
  std::vector<uint8_t> pixels(row_bytes * cinfo.output_height);
  while (cinfo.output_scanline < cinfo.output_height) {
    JSAMPROW rows[16];
    for (int i = 0; i < 16; ++i) {
      rows[i] = pixels.data() + std::min<size_t>(cinfo.output_scanline + i, cinfo.output_height - 1) * row_bytes;
    }
    jpeg_read_scanlines(&cinfo, rows, 16);
  }
  jpeg_finish_decompress(&cinfo);
  jpeg_destroy_decompress(&cinfo);
  return pixels.size();
}

// Medians of ours and of the reference taken in alternating rounds, so a
// busy machine slows both alike.
std::pair<double, double> AlternatingMedians(int rounds, const std::function<void()>& ours,
                                             const std::function<void()>& reference) {
  std::vector<double> ours_ms, reference_ms;
  for (int i = 0; i < rounds; ++i) {
    ours_ms.push_back(quorel::bench::MedianMs(3, ours));
    reference_ms.push_back(quorel::bench::MedianMs(3, reference));
  }
  std::sort(ours_ms.begin(), ours_ms.end());
  std::sort(reference_ms.begin(), reference_ms.end());
  return {ours_ms[ours_ms.size() / 2], reference_ms[reference_ms.size() / 2]};
}

// The window's import of a picture file into the signature panel of a fresh
// settings folder, as its worker does it: read into a 24-bit picture, cleaned into
// the panel's successor, drawn into a preview of the window's size, stored.
// With `both`, the photo then gives the seal panel its mark too, as the
// window's one-photo-for-both-panels does: the seal panel takes the picture
// and keeps the seal's ink, the signature is cleaned again for the pen.
int PanelImport(const std::filesystem::path& file, const std::filesystem::path& folder, quorel::CleanupLevel level,
                bool both) {
  using namespace quorel;
  const SettingsFolder settings(folder);
  const IniStore store(settings.IniPath());
  ImagePanel live = ImagePanel::Load(PanelIndex::kSignature, settings, store);
  live.ShowIn(240, 100);
  auto picture = ReadNewPicture(file);
  if (!picture) return 1;
  auto next = live.WithNewPicture(std::move(picture->picture), level, InkWanted::kAny, ImagePanel::ScaleOnNew::kReset);
  if (!next || !next->WritePicture()) return 1;
  if (!both) return 0;
  ImagePanel seal = ImagePanel::Load(PanelIndex::kSeal, settings, store);
  seal.ShowIn(100, 100);
  auto seal_next = seal.WithNewPicture(next->shared_picture(), level, InkWanted::kSeal, ImagePanel::ScaleOnNew::kKeep);
  if (!seal_next || !seal_next->WritePicture()) return 1;
  (void)next->TakeCleaning(next->CleanedAt(level, InkWanted::kPen));
  return 0;
}

// What an import is measured against: the same process reading the file whole.
int DecodeOnly(const std::filesystem::path& file) { return quorel::ReadPictureFile(file) ? 0 : 1; }

// The median processor time and the largest peak of five runs of this
// program with `args`, each after `before`.
std::optional<quorel::bench::ChildUsage> MeasureChild(const std::vector<std::string>& args,
                                                      const std::filesystem::path& out,
                                                      const std::function<void()>& before = [] {}) {
  std::vector<std::string> argv{std::filesystem::read_symlink("/proc/self/exe").string()};
  argv.insert(argv.end(), args.begin(), args.end());
  std::vector<double> times;
  quorel::bench::ChildUsage result;
  for (int i = 0; i < 5; ++i) {
    before();
    const auto run = quorel::bench::RunChild(argv, out);
    if (!run) return std::nullopt;
    times.push_back(run->cpu_ms);
    result.peak_mib = std::max(result.peak_mib, run->peak_mib);
  }
  std::sort(times.begin(), times.end());
  result.cpu_ms = times[times.size() / 2];
  return result;
}

// NOTE: run with no large block of this process alive: a forked child
// counts the parent's resident pages in its peak until it executes.
bool BenchPanelImports(const std::filesystem::path& folder) {
  const auto turned_path = folder / "turned.jpg";
  struct Case {
    const char* name;
    std::filesystem::path file;
    const char* level;
  };
  const Case cases[] = {
      {"jpeg_none", folder / "photo.jpg", "0"},
      {"jpeg_turned_none", turned_path, "0"},
      {"jpeg_photo", folder / "photo.jpg", "2"},
      {"jpeg_turned_photo", turned_path, "2"},
      {"jpeg_photo_both_panels", folder / "photo.jpg", "2b"},
  };
  const auto out = folder / "out.txt";
  for (const Case& c : cases) {
    // Each import into an empty panel: a picture stored by the run before
    // would be loaded first (the window holds its old picture while it
    // imports, but that is the old picture's cost, not the import's).
    const auto settings = folder / c.name;
    const auto import = MeasureChild({"--panel-import", c.file.string(), settings.string(), c.level}, out, [&] {
      std::filesystem::remove_all(settings);
      std::filesystem::create_directories(settings);
    });
    const auto decode = MeasureChild({"--decode-only", c.file.string()}, out);
    if (!import || !decode) return false;
    std::printf("BENCH panel_import_%s cpu_ms=%.1f decode_cpu_ms=%.1f peak_mib=%.1f decode_peak_mib=%.1f\n", c.name,
                import->cpu_ms, decode->cpu_ms, import->peak_mib, decode->peak_mib);
    std::fflush(stdout);
  }
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 5 && std::string(argv[1]) == "--panel-import") {
    const std::string level = argv[4];  // "0" to "2", "b" behind it for both panels
    return PanelImport(argv[2], argv[3], static_cast<quorel::CleanupLevel>(std::atoi(level.c_str())),
                       level.ends_with('b'));
  }
  if (argc == 3 && std::string(argv[1]) == "--decode-only") return DecodeOnly(argv[2]);

  std::string folder_template = (std::filesystem::temp_directory_path() / "quorel-bench-XXXXXX").string();
  if (!::mkdtemp(folder_template.data())) return 1;
  const std::filesystem::path folder = folder_template;
  const auto jpeg_path = folder / "photo.jpg";
  const auto bmp_path = folder / "photo.bmp";
  {
    const auto rgb = SyntheticRgb();
    WriteJpeg(jpeg_path, rgb);
    WriteJpeg(folder / "turned.jpg", rgb, Exif::kTurned);
  }
  {
    auto picture = quorel::ReadJpegFile(jpeg_path);
    if (!picture || !quorel::WriteBmpFile(picture->picture, bmp_path)) return 1;
  }

  const auto [jpeg_ours, jpeg_ref] = AlternatingMedians(
      5,
      [&] {
        if (!quorel::ReadJpegFile(jpeg_path)) std::abort();
      },
      [&] { ReferenceJpegDecode(jpeg_path); });
  quorel::bench::PrintBench("import_jpeg_4032x3024", jpeg_ours, jpeg_ref);

  const auto [bmp_ours, bmp_ref] = AlternatingMedians(
      7,
      [&] {
        if (!quorel::ReadBmpFile(bmp_path)) std::abort();
      },
      [&] { ReadWholeFile(bmp_path); });
  quorel::bench::PrintBench("import_bmp24_4032x3024", bmp_ours, bmp_ref);
  if (!BenchPanelImports(folder)) return 1;

  std::filesystem::remove_all(folder);
  return 0;
}
