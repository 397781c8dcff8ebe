// Quorel — SPDX-License-Identifier: MIT
#include "settings/InkColours.h"

#include "settings/IniStore.h"

namespace quorel {

std::array<Colour, 2> ReadInkColours(const IniStore& store) {
  return {static_cast<Colour>(store.ReadInt(kSignatureColourKey, kDefaultSignatureColour)),
          static_cast<Colour>(store.ReadInt(kSealColourKey, kDefaultSealColour))};
}

Result<void> WriteInkColours(const IniStore& store, const std::array<Colour, 2>& inks) {
  QUOREL_TRY(store.WriteInt(kSignatureColourKey, static_cast<int32_t>(inks[0])));
  return store.WriteInt(kSealColourKey, static_cast<int32_t>(inks[1]));
}

}  // namespace quorel
