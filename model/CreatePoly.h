#pragma once
// The road from a plain model to the full model: a SimplePoly becomes a Poly.

#include <cstdint>
#include <functional>

#include "core/Outcome.h"

namespace corvia {

class Poly;
class SimplePoly;

// Builds poly from the plain model (which may be changed on the way: vertices split,
// coincidence rings reset). With keepColors (keepDualColors) the faces (the dual's
// faces) keep the colours the plain model gives them, else the colour scheme colours
// them; the plain model's flags can override both. Refused, with the user's words,
// when the plain model is no valid polyhedron; cancelled when the user stopped it;
// poly is then left as it was, unless stopOnCancel: for a caller that can give the
// old model back, a cancel then stops the build at any stage, also after poly was
// cleared (*cleared tells). The outcome is also kept in poly->mBuildOutcome.
Outcome CreatePoly(SimplePoly& simple, Poly* poly, bool keepColors, bool keepDualColors, bool stopOnCancel = false,
                   bool* cleared = nullptr);

// Called with the words of each stage of the build that comes after the old model was
// cleared, as the build reaches it: a test's way to meet an internal error (or a
// cancel) at a chosen stage of a command's road. None by default. Returns the hook it
// replaces.
using CreatePolyStageHook = std::function<void(const char* stage)>;
CreatePolyStageHook SetCreatePolyStageHook(CreatePolyStageHook hook);

// The model flags (SimplePoly::flags) that a plain model made from the model takes
// over from it (kSimpleCarriedFlags, from the marks CreatePoly gave it).
uint32_t CarriedSimpleFlags(const Poly& poly);

}  // namespace corvia
