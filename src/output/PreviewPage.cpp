// Quorel — SPDX-License-Identifier: MIT
#include "output/PreviewPage.h"

#include <span>

#include "common/Allocation.h"
#include "common/FileIo.h"
#include "settings/OptionBits.h"

namespace quorel {

bool NeedsBlackPage(int32_t option_bits, Colour signature_colour) {
  return (option_bits & option_bit::kSignature) != 0 && BrightnessSum(signature_colour) > 128;
}

Result<std::string> MakePreviewPage(std::string_view snippet, int32_t option_bits,
                                    Colour signature_colour, const OutputStyle& style) {
  return GuardAllocation([&] {
    if (style != OutputStyle{}) {
      std::string page(kTwoBackgroundsStart);
      page.append(snippet).append(kTwoBackgroundsMiddle).append(snippet).append(kTwoBackgroundsEnd);
      return page;
    }
    if (!NeedsBlackPage(option_bits, signature_colour)) return std::string(snippet);
    return std::string(kBlackPageStart) + std::string(snippet) + std::string(kBlackPageEnd);
  });
}

Result<void> WriteTextFile(std::string_view text, const std::filesystem::path& path) {
  return WriteFileAtomically(path, std::span(reinterpret_cast<const uint8_t*>(text.data()), text.size()));
}

}  // namespace quorel
