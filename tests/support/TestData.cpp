// Quorel — SPDX-License-Identifier: MIT
#include "support/TestData.h"

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <stdexcept>

namespace quorel::test {

std::filesystem::path SourceDir() {
  if (const char* dir = std::getenv("QUOREL_SOURCE_DIR")) return dir;
  return QUOREL_SOURCE_DIR_DEFAULT;
}

std::filesystem::path DataPath(const std::filesystem::path& relative) {
  return SourceDir() / "tests" / "data" / relative;
}

std::optional<std::filesystem::path> CorpusPath(const std::filesystem::path& name) {
  auto path = SourceDir().parent_path() / "shared" / "corpora" / name;
  if (std::filesystem::is_directory(path)) return path;
  return std::nullopt;
}

std::vector<uint8_t> ReadFileBytes(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) throw std::runtime_error("cannot read " + path.string());
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::string ReadFileText(const std::filesystem::path& path) {
  const auto bytes = ReadFileBytes(path);
  return {bytes.begin(), bytes.end()};
}

void WriteFileBytes(const std::filesystem::path& path, const std::vector<uint8_t>& bytes) {
  WriteFileText(path, {reinterpret_cast<const char*>(bytes.data()), bytes.size()});
}

void WriteFileText(const std::filesystem::path& path, std::string_view text) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(text.data(), static_cast<std::streamsize>(text.size()));
  if (!out) throw std::runtime_error("cannot write " + path.string());
}

}  // namespace quorel::test
