// Quorel — SPDX-License-Identifier: MIT
#include "output/OutputStyle.h"

#include "settings/IniStore.h"

namespace quorel {

OutputStyle ReadOutputStyle(const IniStore& store) {
  OutputStyle style;
  if (store.ReadInt(kOutputFormatKey, 0) == 1) style.format = OutputFormat::kPng;
  if (store.ReadInt(kOutputDensityKey, 1) == 2) style.density = OutputDensity::kDouble;
  return style;
}

Result<void> WriteOutputStyle(const IniStore& store, const OutputStyle& style) {
  QUOREL_TRY(store.WriteInt(kOutputFormatKey, static_cast<int32_t>(style.format)));
  return store.WriteInt(kOutputDensityKey, static_cast<int32_t>(style.density));
}

std::optional<OutputFormat> ParseOutputFormat(std::string_view text) {
  if (text == "gif") return OutputFormat::kGif;
  if (text == "png") return OutputFormat::kPng;
  return std::nullopt;
}

std::optional<OutputDensity> ParseOutputDensity(std::string_view text) {
  if (text == "1") return OutputDensity::kSingle;
  if (text == "2") return OutputDensity::kDouble;
  return std::nullopt;
}

}  // namespace quorel
