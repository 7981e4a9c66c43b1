#pragma once
// The morphs between a model and its dual: families of plain models that pass from
// the model (ratio t = 0) to its dual (t = 1) by sizing, truncation, augmentation,
// expansion and tilting. The builders are members of Poly (declared with it, defined
// in DualMorph.cpp); the scale rules here are shared with the drawing of the morph
// panes, so that a pane and a model built at the same ratio agree.

#include <string>

namespace corvia {

// The ratio of the dual-morph panes: 0 shows the model, 1 its dual. 0.5 until a pane
// sets it; the factory builds the morph models at this ratio.
double& DualMorphRatio();

// A pair of morph scales, of the base model's points and of the dual's.
struct MorphScales {
  double base = 1.0;
  double dual = 1.0;
};

// Written by Poly::SetTruncationMorphScale and Poly::SetAugmentationMorphScale (both
// 1.0 until first set), read by the builders and by the morph drawing.
MorphScales& TruncationMorphScales();
MorphScales& AugmentationMorphScales();

// The name of a morph model at ratio t: "Dual Morph 25.0%".
std::string DualMorphName(double t);

// Weights of the tilting morphs at ratio t: how far each face and each vertex of the
// model has turned from its plane to its dual point (0 flat, 1 at the dual point).
struct TiltingWeights {
  double face = 0.0;
  double vertex = 0.0;
};
// toCompound: the morph through the compound of model and dual, else the morph
// through the rectified model.
TiltingWeights GetTiltingWeights(double t, bool toCompound);

// What one side of an element gives in the augmentation morph. The element's piece
// at the side is the triangle of the side's corners and its apex; when the apex of
// the element across the side lies beyond that triangle's plane (seen from outside,
// along the element's outward direction) the neighbour's piece covers the side and
// this one gives nothing; when it lies in the plane the two make one quadrilateral.
enum class AugmentationMorphPiece { kNone, kTriangle, kQuadrilateral };
AugmentationMorphPiece ClassifyAugmentationMorphSide(const double* cornerA, const double* cornerB, const double* apex,
                                                     const double* otherApex, const double* outward);

}  // namespace corvia
