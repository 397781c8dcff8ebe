// Quorel — SPDX-License-Identifier: MIT
#include "output/PreviewPage.h"

#include <span>

#include "common/FileIo.h"
#include "settings/OptionBits.h"

namespace quorel {

bool NeedsBlackPage(int32_t option_bits, Colour signature_colour) {
  return (option_bits & option_bit::kSignature) != 0 && BrightnessSum(signature_colour) > 128;
}

Result<Text> MakePreviewPage(std::string_view snippet, int32_t option_bits,
                             Colour signature_colour, const OutputStyle& style) {
  Text page;
  if (style != OutputStyle{}) {
    QUOREL_TRY(page.Append(kTwoBackgroundsStart, snippet, kTwoBackgroundsMiddle, snippet, kTwoBackgroundsEnd));
  } else if (NeedsBlackPage(option_bits, signature_colour)) {
    QUOREL_TRY(page.Append(kBlackPageStart, snippet, kBlackPageEnd));
  } else {
    QUOREL_TRY(page.Append(snippet));
  }
  return page;
}

Result<void> WriteTextFile(std::string_view text, const std::filesystem::path& path) {
  return WriteFileAtomically(path, std::span(reinterpret_cast<const uint8_t*>(text.data()), text.size()));
}

}  // namespace quorel
