// Quorel — SPDX-License-Identifier: MIT
// Runs a fuzz target's entry point over every file in the given folders (or
// the given files), so seeds and past crash files are replayed by ctest in
// every build, sanitizers included, without libFuzzer.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);

namespace {

void Collect(const std::filesystem::path& path, std::vector<std::filesystem::path>& files) {
  if (std::filesystem::is_regular_file(path)) {
    files.push_back(path);
    return;
  }
  if (!std::filesystem::is_directory(path)) return;  // a target may have no regressions yet
  for (const auto& entry : std::filesystem::directory_iterator(path)) {
    // Dot files and notes are not inputs.
    const auto name = entry.path().filename().string();
    if (entry.is_regular_file() && name[0] != '.' && entry.path().extension() != ".md") {
      files.push_back(entry.path());
    }
  }
}

}  // namespace

int main(int argc, char** argv) {
  std::vector<std::filesystem::path> files;
  for (int i = 1; i < argc; ++i) Collect(argv[i], files);
  std::sort(files.begin(), files.end());
  for (const auto& file : files) {
    std::ifstream in(file, std::ios::binary);
    const std::vector<uint8_t> bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    std::printf("replay %s (%zu bytes)\n", file.c_str(), bytes.size());
    std::fflush(stdout);
    LLVMFuzzerTestOneInput(bytes.data(), bytes.size());
  }
  std::printf("replayed %zu files\n", files.size());
  return files.empty() ? 1 : 0;
}
