// Quorel — SPDX-License-Identifier: MIT
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace quorel {

// The text of an INI file and the two edits the store makes on it, with the
// file-level rules of IniStore (case-insensitive names, first match wins,
// trimmed blanks, everything else kept byte for byte). No file access here.
class IniText {
 public:
  explicit IniText(std::string text) : text_(std::move(text)) {}

  const std::string& Text() const { return text_; }

  // The trimmed (and unquoted) value, or none when absent.
  std::optional<std::string> Find(std::string_view section, std::string_view key) const;
  // Replaces the value of the first matching key, or adds the key at the end of
  // the first matching section, or adds the section at the end of the text.
  void Set(std::string_view section, std::string_view key, std::string_view value);

 private:
  std::string text_;
};

}  // namespace quorel
