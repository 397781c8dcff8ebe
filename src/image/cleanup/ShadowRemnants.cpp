// Quorel — SPDX-License-Identifier: MIT
#include "image/cleanup/ShadowRemnants.h"

namespace quorel {

Result<void> RemoveShadowRemnants(InkBits& ink, const InkBits& beside, int cut, int32_t near,
                                  const DarknessRows& darkness) {
  const int32_t w = ink.width();
  InkBits cores = QUOREL_TRY(InkBits::Create(w, ink.height()));
  for (int32_t y = 0; y < ink.height(); ++y) {
    if (!ink.RowHasInk(y)) continue;
    const uint8_t* dark = darkness(y, 0, w);
    for (int32_t x = 0; x < w; ++x) {
      if (ink.Get(x, y) && dark[x] >= cut) cores.Set(x, y);
    }
  }
  // The light ink away from the cores, and of it the part that is wide,
  // beside the shadow.
  InkBits far = QUOREL_TRY(ink.Copy());
  Subtract(far, QUOREL_TRY(Grown(cores, near)));
  InkBits narrow = QUOREL_TRY(far.Copy());
  QUOREL_TRY(RemoveWide(narrow, near));
  Subtract(far, narrow);
  Intersect(far, beside);
  Subtract(ink, far);
  return {};
}

}  // namespace quorel
