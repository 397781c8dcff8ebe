// Quorel — SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

#include "common/Result.h"
#include "settings/IniText.h"

namespace quorel {

inline constexpr std::string_view kQuorelSection = "Quorel";
inline constexpr std::string_view kOptionSection = "Option";
inline constexpr std::string_view kOutputFileKey = "OutputFile";        // section "Quorel"
inline constexpr std::string_view kGraphicEditorKey = "GraphicEditor";  // section "Option"

// The main window's rectangle as stored under "Rect": left, top, right, bottom.
struct WindowRect {
  int32_t left = 0;
  int32_t top = 0;
  int32_t right = 0;
  int32_t bottom = 0;
  bool operator==(const WindowRect&) const = default;
};

// When the store reads the file: at every read (a window that lives while the
// sibling program may change the file), or once when it is made (a run of the
// tool, which reads a dozen keys and writes none).
enum class IniReading { kEveryRead, kOnce };

// The settings store over one INI file shared with the sibling program. It
// keeps the path and, read once, the text: every other read goes to the file,
// and every write rewrites it at once (and the kept text with it).
//
// The file is read the way the Windows profile functions read it: section and
// key names compare case-insensitively (ASCII), the first matching section and
// the first matching key in it win, blanks around names and values are
// trimmed, a value wholly enclosed in a pair of quotes loses them, and lines
// starting with ';' or '#' are comments. A write changes only the one value
// (or adds the key at the end of its section, or the section at the end of the
// file); every other byte — other sections and keys, comments, order, blank
// lines, CRLF line ends — stays. The new file replaces the old one atomically,
// and a file that exists but cannot be read is never overwritten.
class IniStore {
 public:
  explicit IniStore(std::filesystem::path path, IniReading reading = IniReading::kEveryRead);

  const std::filesystem::path& Path() const { return path_; }

  // Section "Quorel". At most 15 characters of the stored text count; they are
  // converted like atoi (leading blanks, optional sign, digits up to the first
  // other character, 0 without digits). An absent key gives the default; a
  // present but empty or non-numeric one gives 0.
  int32_t ReadInt(std::string_view key, int32_t default_value) const;
  Result<void> WriteInt(std::string_view key, int32_t value) const;

  // "Rect" of section "Quorel": "%d,%d,%d,%d". Empty, or fewer than three
  // commas, gives all four zero; text after a fourth comma is ignored.
  WindowRect ReadRect() const;
  Result<void> WriteRect(const WindowRect& rect) const;

  // A string key with an empty default; at most 255 characters are returned.
  std::string ReadString(std::string_view section, std::string_view key) const;
  // Writes the value unchanged. kCannotOpen when the file could not be written
  // (or exists but could not be read); the old file then stays as it was.
  Result<void> WriteString(std::string_view section, std::string_view key, std::string_view value) const;

  // The trimmed value, or none when the section or key is absent.
  std::optional<std::string> ReadRaw(std::string_view section, std::string_view key) const;

 private:
  std::filesystem::path path_;
  // The text read once; none when the file was missing or unreadable then,
  // which reads as an empty file.
  mutable std::optional<IniText> kept_;
  IniReading reading_;
};

// atoi over at most `max_chars` characters of `text`.
int32_t ProfileAtoi(std::string_view text, size_t max_chars = 15);

}  // namespace quorel
