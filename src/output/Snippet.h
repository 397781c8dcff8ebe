// Quorel — SPDX-License-Identifier: MIT
#pragma once

#include <functional>
#include <string>
#include <string_view>

#include "common/Result.h"
#include "output/Mark.h"

namespace quorel {

inline constexpr std::string_view kImageTagStart = "<img src=\"data:image/gif;base64,";
inline constexpr std::string_view kPngTagStart = "<img src=\"data:image/png;base64,";
inline constexpr std::string_view kImageTagEnd = "\">";
inline constexpr std::string_view kDivClose = "</div>";
std::string_view DivOpen(Alignment align);

// The mark as one line of HTML: its pictures as data URLs, signature first,
// inside one alignment block; a dense picture's tag carries its layout size
// (`<img width=120 height=48 src="data:…">`). kOutOfMemory when it cannot be
// put together whole.
Result<std::string> InlineSnippet(const Mark& mark);

// What a picture's tag names as its source (a data URL, a file, a cid: URL),
// already fit for a double-quoted attribute.
using ImageSource = std::function<Result<std::string>(PanelIndex, const MarkImage&)>;

// The mark as one line of HTML, each picture's source from `source`: the
// block every form of output shares.
Result<std::string> SnippetWith(const Mark& mark, const ImageSource& source);

// MakeMark, then InlineSnippet: the snippet every output of old delivers.
Result<std::string> BuildSnippet(const MarkRequest& request, MarkFailure* failure = nullptr);

}  // namespace quorel
