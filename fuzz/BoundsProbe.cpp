// Quorel — SPDX-License-Identifier: MIT
// Reads each file under the given folders in a child process of its own and
// holds the child to the import's bounds: at most 2 s of processor time and
// 256 MiB above the picture it returns; a file beyond the caps ("over-cap-*")
// refused as too large before anything is allocated; a named pipe refused at
// once. Built optimised and without sanitizers in every build, so the figures
// are those of a release. NOTE: the time is the child's user time, not wall
// time, so that other work on the two cores does not change the outcome; the
// kernel's time (faulting in the picture's pages) and 8 ns a pixel returned
// are the picture's own cost, not the file's: a 2^28-pixel picture, the
// largest, takes 1.7–2.8 s of user time on a busy machine. A child that runs
// away is stopped by a limit on its processor time (RLIMIT_CPU), never by the
// clock, so a loaded machine cannot turn a slow start into a fault. A file
// that declares a 16384-pixel side is also made into a PNG snippet by the
// whole tool, as both panels fitted to height 48 (at most 3 s of processor
// time, user and kernel, a panel), the same with the photo clean-up (cleaned
// at a working size the picture is decoded to), and as both panels at their
// own size: each
// at most the declared picture in 24 bits and 256 MiB beside it, since the
// panels are made and encoded one after the other (at its own size, a picture
// read in fewer bits is also held while it is converted to 24).
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <span>
#include <string>
#include <vector>

#include "codec/ImportPicture.h"
#include "codec/bmp/BmpFile.h"
#include "codec/gif/GifDecoder.h"
#include "codec/jpeg/JpegReader.h"
#include "codec/png/PngReader.h"
#include "cli/SnippetTool.h"

namespace {

namespace fs = std::filesystem;
constexpr double kMaxSeconds = 2.0;
constexpr double kSecondsPerPixel = 8e-9;
constexpr double kMaxExtraMiB = 256;
constexpr double kMaxRefusedMiB = 16;  // a refusal allocates nothing picture-sized
constexpr rlim_t kCpuLimitSeconds = 20;  // well beyond the largest picture's allowance (4.1 s)
constexpr double kMaxToolSecondsPerPanel = 3.0;

struct Outcome {
  int code = 0;               // the reader's status code
  uint64_t picture_bytes = 0;
  uint64_t pixels = 0;
};

// By extension, else by the folder (seeds without one, such as a bare DIB).
quorel::Result<quorel::Decoded> Read(const fs::path& file) {
  const std::string folder = file.parent_path().filename().string();
  if (!file.has_extension() && folder == "bmp") return quorel::ReadBmpFile(file);
  if (!file.has_extension() && folder == "gif") return quorel::ReadGifFile(file);
  if (!file.has_extension() && folder == "jpeg") return quorel::ReadJpegFile(file);
  if (!file.has_extension() && folder == "png") return quorel::ReadPngFile(file);
  return quorel::ReadPictureFile(file);
}

// The tool's run over the file as both panels, fitted to height 48 (cleaned
// as photos or not) or at their own size, in PNG, with an empty settings
// folder; its exit code.
enum class Run { kRead, kToolScaled, kToolScaledPhoto, kToolOwnSize };
int RunTool(const fs::path& file, Run run) {
  const fs::path settings = fs::temp_directory_path() / ("quorel-bounds-tool-" + std::to_string(::getpid()));
  fs::create_directories(settings);
  const std::string folder = settings.string(), picture = file.string();
  const std::string_view args[] = {"--settings", folder, "--signature", picture, "--seal", picture,
                                   "--format", "png", "--signature-scale", "height:48", "--seal-scale", "height:48",
                                   "--signature-cleanup", "photo", "--seal-cleanup", "photo"};
  const size_t count = run == Run::kToolOwnSize ? 8 : run == Run::kToolScaled ? 12 : 16;
  const int code = quorel::cli::RunSnippetTool(std::span(args).first(count), "probe").exit_code;
  fs::remove_all(settings);
  return code;
}

// Runs the read (or the tool's run) in a child; false when the child did not
// report (crashed, or killed after kCpuLimitSeconds of processor time).
bool Probe(const fs::path& file, Outcome* outcome, rusage* usage, Run run = Run::kRead) {
  int fds[2];
  if (::pipe(fds) != 0) return false;
  const pid_t child = ::fork();
  if (child == 0) {
    ::close(fds[0]);
    const rlimit cpu{kCpuLimitSeconds, kCpuLimitSeconds + 1};  // SIGXCPU, then SIGKILL
    const rlimit no_core{0, 0};
    if (::setrlimit(RLIMIT_CPU, &cpu) != 0 || ::setrlimit(RLIMIT_CORE, &no_core) != 0) ::_exit(1);
    Outcome result;
    if (run != Run::kRead) {
      result.code = RunTool(file, run);
    } else if (!file.empty()) {
      const auto picture = Read(file);
      result = {picture.code(), picture ? picture->picture.BlockSize() : 0,
                picture ? uint64_t(picture->picture.Width()) * uint64_t(picture->picture.Height()) : 0};
    }
    const bool sent = ::write(fds[1], &result, sizeof result) == sizeof result;
    ::_exit(sent ? 0 : 1);
  }
  ::close(fds[1]);
  const bool read = child > 0 && ::read(fds[0], outcome, sizeof *outcome) == sizeof *outcome;
  ::close(fds[0]);
  int status = 0;
  if (child <= 0 || ::wait4(child, &status, 0, usage) != child) return false;
  return read && WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

double Seconds(const timeval& t) { return static_cast<double>(t.tv_sec) + t.tv_usec / 1e6; }

}  // namespace

int main(int argc, char** argv) {
  std::vector<fs::path> files;
  for (int i = 1; i < argc; ++i) {
    for (const auto& entry : fs::recursive_directory_iterator(argv[i])) {
      if (entry.is_regular_file() && entry.path().extension() != ".md") files.push_back(entry.path());
    }
  }
  std::sort(files.begin(), files.end());
  // A named pipe with a picture's name: nobody ever writes to it.
  const fs::path fifo = fs::temp_directory_path() / ("quorel-bounds-" + std::to_string(::getpid()) + ".png");
  if (::mkfifo(fifo.c_str(), 0600) == 0) files.push_back(fifo);

  Outcome none;
  rusage base{};
  if (!Probe({}, &none, &base)) return 1;
  int passed = 0, failed = 0;
  for (const auto& file : files) {
    Outcome got;
    rusage usage{};
    const bool reported = Probe(file, &got, &usage);
    const double seconds = Seconds(usage.ru_utime);
    const double kernel_seconds = Seconds(usage.ru_stime);
    const double extra_mib = (usage.ru_maxrss - base.ru_maxrss) / 1024.0 - got.picture_bytes / 1048576.0;
    const std::string name = file.filename().string();
    const bool over_cap = name.rfind("over-cap-", 0) == 0;
    std::string fault;
    if (!reported) fault = "no answer (crashed, or out of processor time)";
    else if (seconds > kMaxSeconds + kSecondsPerPixel * got.picture_bytes / 3) fault = "too slow";
    else if (extra_mib > kMaxExtraMiB) fault = "too much memory";
    else if (over_cap && (got.code != quorel::ToCode(quorel::Status::kTooLarge) || extra_mib > kMaxRefusedMiB)) {
      fault = "not refused before allocating";
    } else if (file == fifo && got.code == 0) {
      fault = "pipe accepted";
    }
    std::printf("%s %s: status %d, %.2f s (kernel %.2f s), picture %.0f MiB, %+.1f MiB beside it%s%s\n",
                fault.empty() ? "ok  " : "FAIL", file.c_str(), got.code, seconds, kernel_seconds,
                got.picture_bytes / 1048576.0, extra_mib, fault.empty() ? "" : ": ", fault.c_str());
    ++(fault.empty() ? passed : failed);
    if (name.find("16384") == std::string::npos) continue;
    for (const Run run : {Run::kToolScaled, Run::kToolScaledPhoto, Run::kToolOwnSize}) {
      Outcome tool;
      rusage tool_usage{};
      const bool tool_reported = Probe(file, &tool, &tool_usage, run);
      const double tool_seconds = Seconds(tool_usage.ru_utime) + Seconds(tool_usage.ru_stime);
      // At its own size a picture read in fewer bits is converted to 24 whole,
      // beside itself (only a scaled one streams).
      const double converted = run == Run::kToolOwnSize && got.picture_bytes < 3 * got.pixels ? got.picture_bytes : 0;
      const double tool_extra_mib =
          (tool_usage.ru_maxrss - base.ru_maxrss) / 1024.0 - (3.0 * got.pixels + converted) / 1048576.0;
      // At its own size the picture's encoding is the work: only the CPU limit holds it.
      const bool fast = run == Run::kToolOwnSize || tool_seconds <= 2 * kMaxToolSecondsPerPanel;
      const bool tool_ok = tool_reported && fast && tool_extra_mib <= kMaxExtraMiB;
      std::printf("%s %s as both panels through the tool %s: exit %d, %.2f s, %+.1f MiB beside the picture\n",
                  tool_ok ? "ok  " : "FAIL", file.c_str(),
                  run == Run::kToolScaled        ? "at height 48"
                  : run == Run::kToolScaledPhoto ? "at height 48 cleaned as photos"
                                                 : "at their size",
                  tool.code, tool_seconds, tool_extra_mib);
      ++(tool_ok ? passed : failed);
    }
  }
  fs::remove(fifo);
  std::printf("%d passed, %d failed\n", passed, failed);
  return failed == 0 && passed > 0 ? 0 : 1;
}
