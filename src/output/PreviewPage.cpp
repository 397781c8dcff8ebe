// Quorel — SPDX-License-Identifier: MIT
#include "output/PreviewPage.h"

#include <span>

#include "common/FileIo.h"
#include "output/Snippet.h"
#include "settings/OptionBits.h"

namespace quorel {

bool NeedsBlackPage(int32_t option_bits, Colour signature_colour) {
  return (option_bits & option_bit::kSignature) != 0 && BrightnessSum(signature_colour) > 128;
}

std::string MakePreviewPage(std::string_view snippet, int32_t option_bits,
                            Colour signature_colour) {
  if (!NeedsBlackPage(option_bits, signature_colour)) return std::string(snippet);
  std::string page;
  AppendText(page, kBlackPageStart);
  AppendText(page, snippet);
  AppendText(page, kBlackPageEnd);
  return page;
}

bool WriteTextFile(std::string_view text, const std::filesystem::path& path) {
  return WriteFileInPlace(path, std::span(reinterpret_cast<const uint8_t*>(text.data()), text.size()));
}

}  // namespace quorel
