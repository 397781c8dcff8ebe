// Quorel — SPDX-License-Identifier: MIT
#pragma once

#include <array>
#include <cstddef>
#include <ostream>
#include <span>
#include <string_view>

#include "common/Buffer.h"
#include "common/Result.h"

namespace quorel {

// Text that may grow as large as a picture (Base64 of it, a snippet, a
// message), put together without exceptions: each append returns
// kOutOfMemory when memory runs out. It reads as a std::string_view.
class Text {
 public:
  Text() = default;
  static Result<Text> Of(std::string_view text) {
    Text made;
    QUOREL_TRY(made.Append(text));
    return made;
  }

  // The parts one after the other, room made for all of them at once.
  template <class... Parts>
  Result<void> Append(const Parts&... parts) {
    const std::array<std::string_view, sizeof...(Parts)> views{std::string_view(parts)...};
    size_t total = 0;
    for (const std::string_view view : views) total += view.size();
    QUOREL_TRY(chars_.MakeRoom(total));
    for (const std::string_view view : views) chars_.AppendInRoom(std::span(view.data(), view.size()));
    return {};
  }
  // `count` characters made by `write` into the span it is given.
  template <class Write>
  Result<void> AppendWritten(size_t count, Write write) {
    const size_t at = chars_.size();
    QUOREL_TRY(chars_.MakeRoom(count));
    QUOREL_TRY(chars_.Resize(at + count));
    write(std::span<char>(chars_.data() + at, count));
    return {};
  }

  // Room for `more` characters, so that appending them allocates no more.
  Result<void> MakeRoom(size_t more) { return chars_.MakeRoom(more); }

  std::string_view view() const { return {chars_.data(), chars_.size()}; }
  operator std::string_view() const { return view(); }
  const char* data() const { return chars_.data(); }
  size_t size() const { return chars_.size(); }
  bool empty() const { return chars_.empty(); }

  friend bool operator==(const Text& a, std::string_view b) { return a.view() == b; }
  friend std::ostream& operator<<(std::ostream& out, const Text& text) { return out << text.view(); }

 private:
  Buffer<char> chars_;
};

}  // namespace quorel
