#pragma once
// The road from a plain model to the full model: a SimplePoly becomes a Poly.

namespace corvia {

class Poly;
class SimplePoly;

// Builds poly from the plain model (which may be changed on the way: vertices split,
// coincidence rings reset). With keepColors (keepDualColors) the faces (the dual's
// faces) keep the colours the plain model gives them, else the colour scheme colours
// them; the plain model's flags can override both. False (after a message, unless
// cancelled) when the plain model cannot be built; poly is then left as it was.
bool CreatePoly(SimplePoly& simple, Poly* poly, bool keepColors, bool keepDualColors);
// CreatePoly into the document's model as one undo step of the given type (none when
// negative), with the transition that the type calls for; a failed build takes the
// step back.
bool CreatePolyWithUndo(SimplePoly& simple, int undoType, bool keepColors, bool keepDualColors);

}  // namespace corvia
