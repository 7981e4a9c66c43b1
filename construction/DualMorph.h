#pragma once
// The morphs between a model and its dual: families of plain models that pass from
// the model (ratio t = 0) to its dual (t = 1) by sizing, truncation, augmentation,
// expansion and tilting. The builders take the model; the scale rules here are shared
// with the drawing of the morph panes, so that a pane and a model built at the same
// ratio agree.

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "model/FaceOutline.h"

namespace corvia {

class Outcome;
class Poly;
class PolyElement;
class SimplePoly;

// The ratio of the dual-morph panes: 0 shows the model, 1 its dual. 0.5 until a pane
// sets it; the factory builds the morph models at this ratio.
double& DualMorphRatio();

// The morph scales (MorphScales, TruncationMorphScales, AugmentationMorphScales) live
// beside the morph diagrams that read them: model/FaceOutline.h.

// The name of a morph model at ratio t: "Dual Morph 25.0%".
std::string DualMorphName(double t);

// At ratio 0 the base copy, at 1 the dual copy (true: the model is settled, and may
// be null with the refusal in *why); false for any other ratio.
bool GetMorphEndModel(Poly* poly, double t, SimplePoly*& model, uint32_t flags, Outcome* why = nullptr);
// The scales of the sizing morph at ratio t (either pointer may be null).
void GetSizingMorphScales(const Poly* poly, double t, double* baseScale, double* dualScale);
// Set the truncation and the augmentation morph scales for ratio t.
void SetTruncationMorphScale(Poly* poly, double t);
void SetAugmentationMorphScale(Poly* poly, double t);

// The morph models at ratio t: new plain models owned by the caller; null when refused
// (the user's words in *why when given) or cancelled.
SimplePoly* CreateSizingMorph(Poly* poly, double t, uint32_t flags, Outcome* why = nullptr);
SimplePoly* CreateTruncationMorph(Poly* poly, double t, uint32_t flags, Outcome* why = nullptr);
SimplePoly* CreateAugmentationMorph(Poly* poly, double t, uint32_t flags, Outcome* why = nullptr);
SimplePoly* CreateExpansionMorph(Poly* poly, double t, uint32_t flags, Outcome* why = nullptr);
SimplePoly* CreateTiltingQuadsMorph(Poly* poly, double t, uint32_t flags, Outcome* why = nullptr);
SimplePoly* CreateTiltingTrianglesMorph(Poly* poly, double t, uint32_t flags, Outcome* why = nullptr);
// viewType: the morph to the compound or the morph to the rectified model.
SimplePoly* CreateTiltingMorph(Poly* poly, double t, uint32_t flags, uint32_t viewType, Outcome* why = nullptr);
SimplePoly* CreateSnubMorph(Poly* poly, double t, uint32_t flags, Outcome* why = nullptr);

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

// One piece of a morph model as one element makes it: its corners in order (three
// coordinates each), the direction it faces, its colour and alpha, and its rotation
// order. The builders put the pieces into the morph model; the morph panes draw the
// same pieces, so that a pane and a model built at the same ratio agree.
struct MorphPiece {
  std::vector<double> corners;
  // The element each corner stands for, when it is one (its colour goes to the vertex).
  std::vector<const PolyElement*> cornerElements;
  double outward[3] = {0.0, 0.0, 0.0};
  float rgb[3] = {0.0f, 0.0f, 0.0f};
  float alpha = 1.0f;
  int rotations = 1;
  int Count() const { return static_cast<int>(corners.size() / 3); }
};
using MorphPieceSink = std::function<void(const MorphPiece&)>;

// The pieces of element x at ratio t. x is one of the model's faces (vertexElement
// false) or one of its vertices taken as a face of the dual.
// Augmentation: the triangle from each side to the raised apex, or the quadrilateral
// that two neighbours' coplanar triangles make (given once, by the face of lower
// index); the scales are those SetAugmentationMorphScale set for t.
void MakeAugmentationMorphPieces(const Poly& poly, const PolyElement* x, bool vertexElement, double t,
                                 const MorphPieceSink& sink);
// Tilting quads and tilting triangles: the pieces of a face at each of its corners
// (a vertex element gives none; its pieces are the faces' at it).
void MakeTiltingQuadsMorphPieces(const Poly& poly, const PolyElement* face, double t, const MorphPieceSink& sink);
void MakeTiltingTrianglesMorphPieces(const Poly& poly, const PolyElement* face, double t,
                                     const MorphPieceSink& sink);
// Tilting to the compound or to the rectified model: the fan of triangles from the
// element's apex, or, at weight 0, its polygon of edge midpoints.
void MakeTiltingMorphPieces(const Poly& poly, const PolyElement* x, bool vertexElement, double t, bool toCompound,
                            const MorphPieceSink& sink);

}  // namespace corvia
