// Quorel — SPDX-License-Identifier: MIT
#include "settings/InkColours.h"

#include "settings/IniStore.h"

namespace quorel {

std::array<Colour, 2> ReadInkColours(const IniStore& store) {
  return {static_cast<Colour>(store.ReadInt(kSignatureColourKey, kDefaultSignatureColour)),
          static_cast<Colour>(store.ReadInt(kSealColourKey, kDefaultSealColour))};
}

}  // namespace quorel
