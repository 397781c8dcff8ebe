// Quorel — SPDX-License-Identifier: MIT
#include "settings/IniText.h"

#include <vector>

namespace quorel {
namespace {

constexpr std::string_view kBlanks = " \t";

std::string_view Trim(std::string_view s) {
  const size_t first = s.find_first_not_of(kBlanks);
  if (first == std::string_view::npos) return {};
  const size_t last = s.find_last_not_of(kBlanks);
  return s.substr(first, last - first + 1);
}

char Lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

bool SameName(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    if (Lower(a[i]) != Lower(b[i])) return false;
  }
  return true;
}

// One line of the text: where its content lies and where its terminator ends.
struct Line {
  size_t begin = 0;
  size_t content_end = 0;  // before "\r\n" or "\n"
  size_t end = 0;          // after the terminator
};

enum class LineKind { kOther, kSection, kKey };

struct ParsedLine {
  LineKind kind = LineKind::kOther;
  std::string_view name;   // section or key name, trimmed
  size_t value_begin = 0;  // kKey: text offset right after "=" and its blanks
};

std::vector<Line> SplitLines(const std::string& text) {
  std::vector<Line> lines;
  size_t at = 0;
  while (at < text.size()) {
    Line line;
    line.begin = at;
    const size_t nl = text.find('\n', at);
    line.end = nl == std::string::npos ? text.size() : nl + 1;
    line.content_end = nl == std::string::npos ? text.size() : nl;
    if (line.content_end > line.begin && text[line.content_end - 1] == '\r') --line.content_end;
    lines.push_back(line);
    at = line.end;
  }
  return lines;
}

constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";

ParsedLine Parse(const std::string& text, const Line& line) {
  std::string_view content(text.data() + line.begin, line.content_end - line.begin);
  // An editor may have put a byte-order mark in front of the first line; it
  // is no part of a name (and stays in the file).
  if (line.begin == 0 && content.starts_with(kUtf8Bom)) content.remove_prefix(kUtf8Bom.size());
  const std::string_view trimmed = Trim(content);
  ParsedLine parsed;
  if (trimmed.empty() || trimmed[0] == ';' || trimmed[0] == '#') return parsed;
  if (trimmed[0] == '[') {
    const size_t close = trimmed.find(']');
    parsed.kind = LineKind::kSection;
    parsed.name = Trim(trimmed.substr(1, close == std::string_view::npos ? close : close - 1));
    return parsed;
  }
  const size_t eq = content.find('=');
  if (eq == std::string_view::npos) return parsed;
  parsed.kind = LineKind::kKey;
  parsed.name = Trim(content.substr(0, eq));
  size_t value = eq + 1;
  while (value < content.size() && kBlanks.find(content[value]) != std::string_view::npos) ++value;
  parsed.value_begin = static_cast<size_t>(content.data() - text.data()) + value;
  return parsed;
}

// The value as the profile functions return it: trimmed, and without a pair of
// enclosing quotes.
std::string CleanValue(std::string_view raw) {
  std::string_view v = Trim(raw);
  if (v.size() >= 2 && (v.front() == '"' || v.front() == '\'') && v.back() == v.front()) {
    v = v.substr(1, v.size() - 2);
  }
  return std::string(v);
}

// A value never spans lines: a line break would start a new key in the file.
std::string_view OneLine(std::string_view value) {
  return value.substr(0, value.find_first_of("\r\n"));
}

}  // namespace

std::optional<std::string> IniText::Find(std::string_view section, std::string_view key) const {
  bool in_section = false;
  bool seen_section = false;
  for (const Line& line : SplitLines(text_)) {
    const ParsedLine parsed = Parse(text_, line);
    if (parsed.kind == LineKind::kSection) {
      // Only the first section of that name is searched.
      if (seen_section) return std::nullopt;
      in_section = SameName(parsed.name, section);
      seen_section = in_section;
    } else if (in_section && parsed.kind == LineKind::kKey && SameName(parsed.name, key)) {
      return CleanValue(std::string_view(text_).substr(
          parsed.value_begin, line.content_end - parsed.value_begin));
    }
  }
  return std::nullopt;
}

void IniText::Set(std::string_view section, std::string_view key, std::string_view value) {
  value = OneLine(value);
  const std::vector<Line> lines = SplitLines(text_);
  const size_t crlf = text_.find("\r\n");
  const size_t lf = text_.find('\n');
  const std::string eol = (lf == std::string::npos || crlf != std::string::npos) ? "\r\n" : "\n";

  bool in_section = false;
  bool found_section = false;
  size_t insert_at = std::string::npos;  // after the section's last non-blank line
  for (const Line& line : lines) {
    const ParsedLine parsed = Parse(text_, line);
    if (parsed.kind == LineKind::kSection) {
      if (found_section) break;
      in_section = SameName(parsed.name, section);
      if (in_section) {
        found_section = true;
        insert_at = line.end;
      }
      continue;
    }
    if (!in_section) continue;
    if (parsed.kind == LineKind::kKey && SameName(parsed.name, key)) {
      text_.replace(parsed.value_begin, line.content_end - parsed.value_begin, value);
      return;
    }
    if (!Trim(std::string_view(text_).substr(line.begin, line.content_end - line.begin)).empty()) {
      insert_at = line.end;
    }
  }

  const std::string entry = std::string(key) + "=" + std::string(value) + eol;
  if (found_section) {
    // The section's last line may be the file's last, without a line end.
    std::string prefix;
    if (insert_at > 0 && text_[insert_at - 1] != '\n') prefix = eol;
    text_.insert(insert_at, prefix + entry);
    return;
  }
  if (!text_.empty() && text_.back() != '\n') text_ += eol;
  text_ += "[" + std::string(section) + "]" + eol + entry;
}

}  // namespace quorel
