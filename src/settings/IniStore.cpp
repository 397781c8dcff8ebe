// Quorel — SPDX-License-Identifier: MIT
#include "settings/IniStore.h"

#include <algorithm>
#include <climits>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <span>
#include <system_error>

#include "common/FileIo.h"
#include "settings/IniText.h"

namespace quorel {
namespace {

constexpr std::string_view kRectKey = "Rect";
// Buffer sizes of the reads, terminator included.
constexpr size_t kIntChars = 15;
constexpr size_t kRectChars = 63;
constexpr size_t kStringChars = 255;

enum class FileState { kRead, kMissing, kUnreadable };

FileState ReadText(const std::filesystem::path& path, std::string& text) {
  std::error_code ec;
  if (!std::filesystem::exists(path, ec)) return ec ? FileState::kUnreadable : FileState::kMissing;
  if (!std::filesystem::is_regular_file(path, ec)) return FileState::kUnreadable;
  std::ifstream in(path, std::ios::binary);
  if (!in) return FileState::kUnreadable;
  text.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  return in.bad() ? FileState::kUnreadable : FileState::kRead;
}

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r'; }

}  // namespace

int32_t ProfileAtoi(std::string_view text, size_t max_chars) {
  text = text.substr(0, max_chars);
  size_t i = 0;
  while (i < text.size() && IsBlank(text[i])) ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
  int64_t value = 0;
  for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
    // Out-of-range values stop at the limits of int, as the runtime's atoi does.
    value = std::min<int64_t>(value * 10 + (text[i] - '0'), int64_t{INT_MAX} + 1);
  }
  if (negative) return static_cast<int32_t>(-value);
  return static_cast<int32_t>(std::min<int64_t>(value, INT_MAX));
}

IniStore::IniStore(std::filesystem::path path, IniReading reading) : path_(std::move(path)), reading_(reading) {
  std::string text;
  if (reading_ == IniReading::kOnce && ReadText(path_, text) == FileState::kRead) kept_.emplace(std::move(text));
}

std::optional<std::string> IniStore::ReadRaw(std::string_view section, std::string_view key) const {
  if (reading_ == IniReading::kOnce) return kept_ ? kept_->Find(section, key) : std::nullopt;
  std::string text;
  if (ReadText(path_, text) != FileState::kRead) return std::nullopt;
  return IniText(std::move(text)).Find(section, key);
}

int32_t IniStore::ReadInt(std::string_view key, int32_t default_value) const {
  const auto raw = ReadRaw(kQuorelSection, key);
  if (!raw) return default_value;
  return ProfileAtoi(*raw, kIntChars);
}

Result<void> IniStore::WriteInt(std::string_view key, int32_t value) const {
  return WriteString(kQuorelSection, key, std::to_string(value));
}

WindowRect IniStore::ReadRect() const {
  const std::string text = ReadRaw(kQuorelSection, kRectKey).value_or("").substr(0, kRectChars);
  if (text.empty()) return {};
  int32_t values[4] = {ProfileAtoi(text, text.size()), 0, 0, 0};
  size_t at = 0;
  for (int i = 1; i < 4; ++i) {
    at = text.find(',', at);
    if (at == std::string::npos) return {};  // any missing comma voids all four
    ++at;
    values[i] = ProfileAtoi(std::string_view(text).substr(at), text.size());
  }
  return {values[0], values[1], values[2], values[3]};
}

Result<void> IniStore::WriteRect(const WindowRect& rect) const {
  char text[64];
  std::snprintf(text, sizeof text, "%d,%d,%d,%d", rect.left, rect.top, rect.right, rect.bottom);
  return WriteString(kQuorelSection, kRectKey, text);
}

std::string IniStore::ReadString(std::string_view section, std::string_view key) const {
  return ReadRaw(section, key).value_or("").substr(0, kStringChars);
}

Result<void> IniStore::WriteString(std::string_view section, std::string_view key,
                           std::string_view value) const {
  // A link (the folder shared through a link, say) stays a link: its target is
  // what gets replaced.
  std::error_code ec;
  std::filesystem::path target = path_;
  if (std::filesystem::is_symlink(path_, ec)) {
    target = std::filesystem::weakly_canonical(path_, ec);
    if (ec) return Status::kCannotOpen;
  }
  std::string text;
  // A file that is there but cannot be read is never overwritten: the sibling's
  // settings would be lost.
  if (ReadText(target, text) == FileState::kUnreadable) return Status::kCannotOpen;
  IniText ini(std::move(text));
  ini.Set(section, key, value);
  const std::string& out = ini.Text();
  QUOREL_TRY(WriteFileAtomically(target, std::span(reinterpret_cast<const uint8_t*>(out.data()), out.size())));
  if (reading_ == IniReading::kOnce) kept_ = std::move(ini);
  return {};
}

}  // namespace quorel
