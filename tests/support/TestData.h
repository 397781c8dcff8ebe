// Quorel — SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace quorel::test {

// The project's root folder (for tests/data and resources/samples).
std::filesystem::path SourceDir();
// tests/data/<relative>
std::filesystem::path DataPath(const std::filesystem::path& relative);
// ../shared/corpora/<name> beside the project, or none when a clone has no such folder.
std::optional<std::filesystem::path> CorpusPath(const std::filesystem::path& name);

std::vector<uint8_t> ReadFileBytes(const std::filesystem::path& path);
std::string ReadFileText(const std::filesystem::path& path);
void WriteFileBytes(const std::filesystem::path& path, const std::vector<uint8_t>& bytes);
void WriteFileText(const std::filesystem::path& path, std::string_view text);

}  // namespace quorel::test
