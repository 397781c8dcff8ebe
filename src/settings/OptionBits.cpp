// Quorel — SPDX-License-Identifier: MIT
#include "settings/OptionBits.h"

#include "settings/IniStore.h"

namespace quorel {

int32_t ReadOptionBits(const IniStore& store) { return store.ReadInt(kFlagsKey, kDefaultOptionBits); }

Result<void> WriteOptionBits(const IniStore& store, int32_t bits) { return store.WriteInt(kFlagsKey, bits); }

}  // namespace quorel
