// Quorel — SPDX-License-Identifier: MIT
#pragma once

#include <string_view>
#include <vector>

#include "output/OutputStyle.h"

namespace quorel {

// The forms in which an output reaches the place it is pasted or opened.
enum class OutputRoad {
  kInline,   // the block with its pictures as data: URLs (copy, text file, preview)
  kHosted,   // snippet.html naming exported picture files
  kMessage,  // an e-mail message with its pictures as cid: parts
  kPicture,  // one composed PNG
};

// The places known not to show an output of this road and format, one
// sentence each in the window's language; empty where every place checked
// shows it. NOTE: from the public e-mail client support tables (base64
// images) and the blog editors' HTML filters, as of this release.
std::vector<std::string_view> PlacesNotShowing(OutputRoad road, OutputFormat format);

}  // namespace quorel
