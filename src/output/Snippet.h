// Quorel — SPDX-License-Identifier: MIT
#pragma once

#include <functional>
#include <string>
#include <string_view>

#include "common/Result.h"
#include "common/Text.h"
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
Result<Text> InlineSnippet(const Mark& mark);

// Appends to `html` what a picture's tag names as its source (a data URL, a
// file, a cid: URL), already fit for a double-quoted attribute.
using ImageSource = std::function<Result<void>(PanelIndex, const MarkImage&, Text& html)>;

// The mark as one line of HTML, each picture's source from `source`: the
// block every form of output shares. `source_room`: the sources' length, or
// more, so that the text is allocated once.
Result<Text> SnippetWith(const Mark& mark, const ImageSource& source, size_t source_room = 0);

// MakeMark, then InlineSnippet: the snippet every output of old delivers.
Result<Text> BuildSnippet(const MarkRequest& request, MarkFailure* failure = nullptr);

}  // namespace quorel
