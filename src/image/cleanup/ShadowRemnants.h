// Quorel — SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>

#include "common/Result.h"
#include "image/cleanup/DarknessRows.h"
#include "image/cleanup/InkBits.h"

namespace quorel {

// What is left of a hard shadow lighter than the pen once its wide part is
// gone: where it meets a stroke, the opening that took the shadow leaves its
// corners (wedges between the shadow's edge and the stroke) joined to the
// stroke. Such ink lies in `beside` (near the shadow taken), is lighter than
// `cut` (halfway between the shadow and the strokes' cores), lies further
// than `near` pixels from any darker ink and is wide: a square of side
// 2 × `near` + 1 fits in it. A pen's hairline is as light but thinner, and a
// stroke's blurred edge lies beside its core; both stay, as does ink lightened by
// a glare away from any shadow. Memory: three masks. kOutOfMemory.
Result<void> RemoveShadowRemnants(InkBits& ink, const InkBits& beside, int cut, int32_t near,
                                  const DarknessRows& darkness);

}  // namespace quorel
