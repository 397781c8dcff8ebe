// Quorel — SPDX-License-Identifier: MIT
#include "output/WhereItShows.h"

#include <array>
#include <optional>

namespace quorel {
namespace {

struct Gap {
  OutputRoad road;
  std::optional<OutputFormat> only;  // none: either format
  std::string_view text;
};

constexpr std::array kGaps{
    Gap{OutputRoad::kInline, std::nullopt, "Gmail（ウェブ版とアプリ）では表示されません"},
    Gap{OutputRoad::kInline, std::nullopt, "Outlook 2007–2016（Windows 版）と Windows メールでは表示されません"},
    Gap{OutputRoad::kInline, std::nullopt, "WordPress では、unfiltered_html の権限がない投稿者だと画像が取り除かれます"},
    Gap{OutputRoad::kInline, OutputFormat::kGif, "Outlook 2019 では GIF が表示されません（PNG なら表示されます）"},
    Gap{OutputRoad::kInline, OutputFormat::kGif, "GMX と web.de では GIF が表示されません（PNG のみ）"},
    Gap{OutputRoad::kHosted, std::nullopt,
        "画像ファイルを snippet.html と同じ場所（またはベースURLの場所）に置くまで、どこにも表示されません"},
};

}  // namespace

std::vector<std::string_view> PlacesNotShowing(OutputRoad road, OutputFormat format) {
  std::vector<std::string_view> places;
  for (const Gap& gap : kGaps) {
    if (gap.road == road && (!gap.only || *gap.only == format)) places.push_back(gap.text);
  }
  return places;
}

}  // namespace quorel
