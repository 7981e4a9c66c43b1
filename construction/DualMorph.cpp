#include "construction/DualMorph.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <memory>
#include <unordered_set>
#include <vector>

#include "construction/DerivedModels.h"
#include "core/Messages.h"
#include "core/PolygonRing.h"
#include "core/Progress.h"
#include "core/RainbowColor.h"
#include "core/Tolerances.h"
#include "core/VectorMath.h"
#include "model/Edge.h"
#include "model/ElementFlags.h"
#include "model/FaceOutline.h"
#include "model/Face.h"
#include "model/FaceType.h"
#include "model/FaceTypeBlock.h"
#include "model/Poly.h"
#include "model/PolyElement.h"
#include "model/PolyTemplate.h"
#include "symmetry/SimplePoly.h"
#include "symmetry/ValidityCheck.h"

namespace corvia {

namespace detail_DualMorph {

// A face point within this of the centre has no direction: its type counts with this
// ratio in the truncation scale.
constexpr double kCentralTruncationRatio = 5.0;
// The flags every morph model carries: its orientation, size and colours are the
// model's own.
constexpr uint32_t kMorphModelFlags = kSimpleKeepOrientation | kSimpleKeepLengthUnits | kSimpleKeepColors;

const double* FacePoint(const PolyElement* x) { return x->mCentre; }
const double* VertexPoint(const PolyElement* x) { return x->mDualVert; }

double Length(const double* v) { return std::sqrt(Dot(v, v)); }

// |F| / |V| of an element; 0 for a hemi element, whose dual point is a direction.
double PointRatio(const PolyElement* x) {
  if (!x || x->HasFlag(kElementHemi)) return 0.0;
  const double v = Length(VertexPoint(x));
  return v > kPointTolerance ? Length(FacePoint(x)) / v : 0.0;
}

// The representative element of the first face type of a block.
const PolyElement* FirstTypeElement(const FaceTypeBlock* block) {
  return block && block->mFirstFaceType ? block->mFirstFaceType->mFirstFace : nullptr;
}

// The element at side i's far end: the face across side i of a face, the vertex at
// the other end of the edge of a vertex.
PolyElement* Across(const PolyElement* x, int i) { return x->GetAdjacent(i); }

PolyElement* Corner(const PolyElement* x, int i) {
  const int n = x->mNumSides;
  return x->mNeighbours[static_cast<size_t>(((i % n) + n) % n)];
}

// Corner i of a face with its neighbours: the corners before and after it, and the
// faces across the sides before and after it.
struct CornerRound {
  CornerRound(const PolyElement* x, int i)
      : previous(Corner(x, i - 1)),
        corner(Corner(x, i)),
        next(Corner(x, i + 1)),
        before(Across(x, i - 1)),
        after(Across(x, i)),
        complete(previous && corner && next && before && after) {}
  const PolyElement* previous;
  const PolyElement* corner;
  const PolyElement* next;
  const PolyElement* before;
  const PolyElement* after;
  bool complete;
};

// The pole of a point in the mid-sphere of radius m; false for the centre.
bool Pole(double* out, const double* p, double m) {
  const double q = Dot(p, p);
  if (q <= kSquaredPointTolerance) return false;
  Scale(out, p, m * m / q);
  return true;
}

// a + (b - a) s.
void Lerp(double* out, const double* a, const double* b, double s) {
  double d[3];
  Subtract(d, b, a);
  for (int k = 0; k < 3; ++k) out[k] = a[k] + d[k] * s;
}

// The point where the plane through the side from a to b, turned to face along the
// dual edge from p to q as well, meets the polar line of Q: pole(n (n . Q)) with n the
// unit normal of both directions. False when the side and the dual edge are parallel.
bool SidePoint(double* out, const double* a, const double* b, const double* p, const double* q, const double* Q,
               double m) {
  double side[3], dualEdge[3], n[3];
  Subtract(side, b, a);
  Subtract(dualEdge, q, p);
  Cross(n, side, dualEdge);
  const double length = Length(n);
  if (length <= kPointTolerance) return false;
  Divide(n, n, length);
  double foot[3];
  Scale(foot, n, Dot(n, Q));
  return Pole(out, foot, m);
}

// The colour and fourth word of a piece, blended between two elements' values.
struct PieceColour {
  float rgb[3] = {0.0f, 0.0f, 0.0f};
  float alpha = 1.0f;
};

// From a towards b by w: a below 0, b above 1.
PieceColour Blend(const float* a, float alphaA, const float* b, float alphaB, double w) {
  PieceColour out;
  if (w <= 0.0) {
    CopyFloat3(out.rgb, a);
    out.alpha = alphaA;
  } else if (w >= 1.0) {
    CopyFloat3(out.rgb, b);
    out.alpha = alphaB;
  } else {
    LerpFloat3(out.rgb, a, b, w);
    out.alpha = static_cast<float>(alphaA + (alphaB - alphaA) * w);
  }
  return out;
}

// The mean of the colours of four elements.
PieceColour Mean(const PolyElement* a, const PolyElement* b, const PolyElement* c, const PolyElement* d) {
  PieceColour out;
  const PolyElement* four[4] = {a, b, c, d};
  for (const PolyElement* e : four) {
    for (int k = 0; k < 3; ++k) out.rgb[k] += e->mColor[k] * 0.25f;
  }
  out.alpha = (a->mOpacity + b->mOpacity + c->mOpacity + d->mOpacity) * 0.25f;
  return out;
}

// A plain model filled piece by piece: vertices shared by position, faces turned to
// face away from the model's centre.
class MorphBuilder {
 public:
  MorphBuilder(int numVerts, int numFaces) : mModel(std::make_unique<SimplePoly>(0, 0)) {
    // The counts are what the morph needs at most in the regular case; a model of
    // less regular shape may need more. The records are made as they are used.
    mModel->flags |= kSimpleGrowable;
    mModel->Reserve(numVerts, numFaces);
  }

  // The vertex at p (a new one takes the element's colour); -1 when none can be had.
  int Vert(const double* p, const PolyElement* element = nullptr) {
    const int before = mUsedVerts;
    SimpleVert* v = mModel->FindOrCreateVert(p, mUsedVerts);
    if (!v) {
      mFailed = true;
      return -1;
    }
    if (element && mUsedVerts != before) {
      v->color = v->color2 = PackRainbowColor(element->mColor);
      v->SetAlpha(element->mOpacity);
    }
    return v->GetIndex();
  }

  // A face through the points, turned so that it faces along `outward`; repeated
  // corners are dropped, and fewer than three distinct corners give no face.
  SimpleFace* Face(const std::vector<const double*>& points, const double* outward, const PieceColour& colour,
                   int rotations = 1) {
    std::vector<int32_t> corners;
    for (const double* p : points) {
      const int v = Vert(p);
      if (v < 0) return nullptr;
      if (!corners.empty() && (corners.back() == v || corners.front() == v)) continue;
      corners.push_back(v);
    }
    if (corners.size() < 3) return nullptr;
    double area[3] = {0.0, 0.0, 0.0};
    const size_t n = corners.size();
    for (size_t k = 0; k < n; ++k) {
      double c[3];
      Cross(c, mModel->VertAt(corners[k]).pos, mModel->VertAt(corners[(k + 1) % n]).pos);
      AddTo(area, c);
    }
    if (outward && Dot(area, outward) < 0.0) std::reverse(corners.begin() + 1, corners.end());
    SimpleFace* face = mModel->GetFace(mUsedFaces);
    if (!face) {
      mFailed = true;
      return nullptr;
    }
    ++mUsedFaces;
    face->SetNumVerts(static_cast<int>(n));
    for (size_t k = 0; k < n; ++k) face->SetVertIndex(static_cast<int>(k), corners[k]);
    face->color = face->color2 = PackRainbowColor(colour.rgb);
    face->SetAlpha(colour.alpha);
    face->rots = rotations;
    return face;
  }

  // A piece of an element: its corners' vertices take their elements' colours.
  void Piece(const MorphPiece& piece) {
    std::vector<const double*> points;
    for (int k = 0; k < piece.Count(); ++k) {
      const double* p = &piece.corners[3 * static_cast<size_t>(k)];
      if (static_cast<size_t>(k) < piece.cornerElements.size() && piece.cornerElements[static_cast<size_t>(k)]) {
        Vert(p, piece.cornerElements[static_cast<size_t>(k)]);
      }
      points.push_back(p);
    }
    PieceColour colour;
    CopyFloat3(colour.rgb, piece.rgb);
    colour.alpha = piece.alpha;
    Face(points, piece.outward, colour, piece.rotations);
  }

  // The common finish: the counts used, the name, the model flags and the check of
  // its edges (the check may offer the convex hull). Null when it fails or the work
  // was cancelled.
  SimplePoly* Finish(double t, Outcome* why) {
    if (mFailed || !ProgressTick() || !mModel->Truncate(mUsedVerts, mUsedFaces) || !ProgressTick()) return nullptr;
    mModel->SetName(DualMorphName(t).c_str());
    mModel->flags |= kMorphModelFlags;
    // The check reports as it goes: a cancel met there gives no model either.
    const Outcome valid = mModel->CheckModelValidity(kValidityOfferHull);
    if (!valid && why) *why = valid;
    if (!valid || !ProgressTick()) return nullptr;
    return mModel.release();
  }

 private:
  std::unique_ptr<SimplePoly> mModel;
  int mUsedVerts = 0;
  int mUsedFaces = 0;
  bool mFailed = false;
};

// A piece of the given corners, facing along `outward`, in the colour.
MorphPiece MakePiece(std::initializer_list<const double*> corners, const double* outward, const PieceColour& colour,
                     int rotations = 1) {
  MorphPiece piece;
  for (const double* p : corners) piece.corners.insert(piece.corners.end(), p, p + 3);
  CopyVector(piece.outward, outward);
  CopyFloat3(piece.rgb, colour.rgb);
  piece.alpha = colour.alpha;
  piece.rotations = rotations;
  return piece;
}

// Element colour as a piece colour.
PieceColour Own(const PolyElement* x) {
  PieceColour out;
  CopyFloat3(out.rgb, x->mColor);
  out.alpha = x->mOpacity;
  return out;
}

// Marks the edge at side i of an element as done; false when it was done already.
class EdgeOnce {
 public:
  bool First(const PolyElement* x, int i) {
    const Edge* edge = x->mEdges ? x->mEdges[static_cast<size_t>(i)] : nullptr;
    if (edge) return mDone.insert(edge).second;
    // Without edge records the lower-numbered element of the two makes it.
    const PolyElement* y = Across(x, i);
    return !y || x->mIndex <= y->mIndex;
  }

 private:
  std::unordered_set<const void*> mDone;
};

// The vertex and face lists of the model in the order the builders walk them: faces
// first, then the vertices as faces of the dual. A large model takes a while: the
// progress window keeps answering, and a cancel ends the walk (Finish then gives no
// model).
template <typename Visit>
void ForEachElement(const ElementList& list, Visit visit) {
  ProgressTicker tick;
  for (PolyElement* x = list.mHead; x; x = x->mNext) {
    if (!tick()) return;
    if (x->mNumSides > 0 && x->mNeighbours) visit(x);
  }
}

// A morph of a model whose dual has points at infinity would put vertices there.
bool HasInfinitePoints(const Poly& poly) {
  if (poly.mHasCentralFace) return true;
  for (const PolyElement* x = poly.mVertices.mHead; x; x = x->mNext) {
    if (x->HasFlag(kElementHemi | kElementInf)) return true;
  }
  for (const PolyElement* x = poly.mFaces.mHead; x; x = x->mNext) {
    if (x->HasFlag(kElementHemi | kElementInf)) return true;
  }
  return false;
}

// What every builder does first: at its ends a morph is the model or its dual, and a
// model whose dual has points at infinity has no morph. True when that settles the
// result (null with the refusal in *why).
bool Settled(Poly& poly, double t, uint32_t flags, SimplePoly*& result, Outcome* why) {
  result = nullptr;
  if (GetMorphEndModel(&poly, t, result, flags, why)) return true;
  if (!HasInfinitePoints(poly)) return false;
  if (why) *why = Outcome::Refused("This operation may not be performed on a model with infinite vertices");
  return true;
}

// The flat parameter of an element: the ratio at which its dual point lies in its
// plane, found by inverting the augmentation scale rules.
double FlatParameter(const PolyElement* x, double rb, double rd) {
  const double* n = x->mZAxis;
  const double f = Dot(FacePoint(x), n);
  const double v = Dot(VertexPoint(x), n);
  if (f >= v) {
    if (std::fabs(f) <= kPointTolerance || std::fabs(rd - 1.0) <= kPointTolerance) return 0.5;
    return ((v / f - 1.0) / (rd - 1.0) + 1.0) / 2.0;
  }
  if (std::fabs(v) <= kPointTolerance || std::fabs(1.0 - rb) <= kPointTolerance) return 0.5;
  return ((f / v - rb) / (1.0 - rb)) / 2.0;
}

}  // namespace detail_DualMorph

double& DualMorphRatio() {
  static double ratio = 0.5;
  return ratio;
}

std::string DualMorphName(double t) {
  char buffer[64];
  std::snprintf(buffer, sizeof buffer, "Dual Morph %.1f%%", 100.0 * t);
  return buffer;
}

TiltingWeights GetTiltingWeights(double t, bool toCompound) {
  TiltingWeights w;
  if (toCompound) {
    w.face = t < 0.5 ? 2.0 * t : 1.0;
    w.vertex = t < 0.5 ? 1.0 : 2.0 - 2.0 * t;
  } else {
    w.face = t < 0.5 ? 0.0 : 2.0 * t - 1.0;
    w.vertex = t < 0.5 ? 1.0 - 2.0 * t : 0.0;
  }
  return w;
}

// ---- Scales ---------------------------------------------------------------------------

bool GetMorphEndModel(Poly* poly, double t, SimplePoly*& model, uint32_t flags, Outcome* why) {
  constexpr uint32_t kKept = kDeriveMorphFinish1 | kDeriveMorphFinish2;
  if (t == 0.0) {
    model = CreateSimplePoly(poly, (flags & kKept) | kDeriveBase, nullptr, nullptr, why);
    return true;
  }
  if (t == 1.0) {
    model = CreateSimplePoly(poly, (flags & kKept) | kDeriveDual, nullptr, nullptr, why);
    return true;
  }
  return false;
}

void GetSizingMorphScales(const Poly* poly, double t, double* baseScale, double* dualScale) {
  namespace d = detail_DualMorph;
  double base = 1.0;
  double dual = 1.0;
  if (poly->mPolyFlags & kPolyFlagConvex) {
    if (t >= 0.5) {
      const double r = d::PointRatio(d::FirstTypeElement(poly->mDualBlock.get()));
      base = (r - 1.0) * (2.0 * t - 1.0) + 1.0;
    } else {
      const double r = d::PointRatio(d::FirstTypeElement(poly->mBaseBlock.get()));
      dual = r + 2.0 * t * (1.0 - r);
    }
  } else if (!poly->mTemplate) {
    if (t >= 0.5) {
      base = 2.0 - 2.0 * t;
    } else {
      dual = 2.0 * t;
    }
  } else if (t >= 0.5) {
    const double ratio =
        poly->mTemplate->mRadius > 0.0 ? poly->mTemplate->mMidRadiusSqOverRadius / poly->mTemplate->mRadius : 1.0;
    base = (ratio - 1.0) * (2.0 * t - 1.0) + 1.0;
  } else {
    double q = 1.0;
    const PolyElement* first = poly->mVertices.mHead;
    if (first && first->mNeighbours) {
      const int count = std::min(poly->mTemplate->mValence, first->mNumSides);
      for (int i = 0; i < count; ++i) {
        const PolyElement* face = first->mNeighbours[static_cast<size_t>(i)];
        if (!face) continue;
        const double v2 = Dot(d::VertexPoint(face), d::VertexPoint(face));
        if (v2 > kSquaredPointTolerance) q = std::min(q, Dot(d::FacePoint(face), d::FacePoint(face)) / v2);
      }
    }
    const double r = std::sqrt(q);
    dual = r + 2.0 * t * (1.0 - r);
  }
  if (baseScale) *baseScale = base;
  if (dualScale) *dualScale = dual;
}

void SetTruncationMorphScale(Poly* poly, double t) {
  namespace d = detail_DualMorph;
  MorphScales& scales = TruncationMorphScales();
  scales = MorphScales();
  const FaceTypeBlock* block = t < 0.5 ? poly->mDualBlock.get() : poly->mBaseBlock.get();
  double largest = 0.0;
  for (const FaceType* type = block ? block->mFirstFaceType : nullptr; type; type = type->mNext) {
    const PolyElement* x = type->mFirstFace;
    if (!x) continue;
    const double f2 = Dot(d::FacePoint(x), d::FacePoint(x));
    const double q = f2 <= kPointTolerance ? d::kCentralTruncationRatio : Dot(d::VertexPoint(x), d::VertexPoint(x)) / f2;
    largest = std::max(largest, q);
  }
  const double s = std::sqrt(largest);
  if (t < 0.5) {
    scales.dual = s + 2.0 * t * (1.0 - s);
  } else {
    scales.base = (s - 1.0) * (2.0 * t - 1.0) + 1.0;
  }
}

void SetAugmentationMorphScale(Poly* poly, double t) {
  namespace d = detail_DualMorph;
  MorphScales& scales = AugmentationMorphScales();
  scales = MorphScales();
  if (t >= 0.5) {
    const double r = d::PointRatio(d::FirstTypeElement(poly->mDualBlock.get()));
    scales.base = (r - 1.0) * (2.0 * t - 1.0) + 1.0;
  } else {
    const double r = d::PointRatio(d::FirstTypeElement(poly->mBaseBlock.get()));
    scales.dual = r + 2.0 * t * (1.0 - r);
  }
}

AugmentationMorphPiece ClassifyAugmentationMorphSide(const double* cornerA, const double* cornerB, const double* apex,
                                                     const double* otherApex, const double* outward) {
  double normal[3];
  TriangleNormal(normal, cornerA, cornerB, apex);
  const double length = detail_DualMorph::Length(normal);
  if (length > kPointTolerance) Divide(normal, normal, length);
  // Facing away from the model along the element: then "beyond" means outside.
  if (Dot(normal, outward) < 0.0) Negate(normal);
  const double beyond = Dot(normal, otherApex) - Dot(normal, cornerA);
  if (beyond > kPointTolerance) return AugmentationMorphPiece::kNone;
  if (beyond >= -kPointTolerance) return AugmentationMorphPiece::kQuadrilateral;
  return AugmentationMorphPiece::kTriangle;
}

// ---- Builders -------------------------------------------------------------------------

SimplePoly* CreateSizingMorph(Poly* poly, double t, uint32_t flags, Outcome* why) {
  SimplePoly* settled = nullptr;
  if (detail_DualMorph::Settled(*poly, t, flags, settled, why)) return settled;
  double baseScale = 1.0;
  double dualScale = 1.0;
  GetSizingMorphScales(poly, t, &baseScale, &dualScale);
  const uint32_t sideless = flags & ~(kDeriveBase | kDeriveDual);
  std::unique_ptr<SimplePoly> dual(CreateModel(poly, sideless | kDeriveDual, nullptr, nullptr, kViewNone, why));
  if (!dual) return nullptr;
  std::unique_ptr<SimplePoly> base(CreateModel(poly, sideless | kDeriveBase, nullptr, nullptr, kViewNone, why));
  if (!base) return nullptr;
  base->Scale(baseScale);
  dual->Scale(dualScale);
  std::unique_ptr<SimplePoly> both = base->Combine(*dual);
  both->SetName(DualMorphName(t).c_str());
  both->flags |= detail_DualMorph::kMorphModelFlags;
  const Outcome valid = both->CheckModelValidity(kValidityOfferHull);
  if (!valid && why) *why = valid;
  if (!valid) return nullptr;
  return both.release();
}

SimplePoly* CreateTruncationMorph(Poly* poly, double t, uint32_t flags, Outcome* why) {
  namespace d = detail_DualMorph;
  SimplePoly* settled = nullptr;
  if (d::Settled(*poly, t, flags, settled, why)) return settled;
  SetTruncationMorphScale(poly, t);
  const MorphScales scales = TruncationMorphScales();
  d::MorphBuilder builder(2 * poly->mNumEdges, poly->mVertices.mCount + poly->mFaces.mCount);
  // A large model takes a while: the progress window keeps answering, and a cancel
  // ends the walk.
  ProgressTicker tick;
  for (int pass = 0; pass < 2; ++pass) {
    const FaceTypeBlock* block = pass == 0 ? poly->mBaseBlock.get() : poly->mDualBlock.get();
    const double own = pass == 0 ? scales.base : scales.dual;
    const double other = pass == 0 ? scales.dual : scales.base;
    for (const FaceType* type = block ? block->mFirstFaceType : nullptr; type; type = type->mNext) {
      const PolyElement* representative = type->mFirstFace;
      if (!representative) continue;
      PolygonVertex* ring = CreateMorphPolygon(representative, own, other);
      if (!ring) continue;
      std::vector<double> ring2D;
      const PolygonVertex* v = ring;
      do {
        ring2D.push_back(v->x);
        ring2D.push_back(v->y);
        v = v->next;
      } while (v && v != ring);
      FreePolygonRing(ring);
      const size_t n = ring2D.size() / 2;
      std::vector<double> points(3 * n);
      std::vector<const double*> corners(n);
      for (const PolyElement* x = type->mFirstFace; x; x = x->mNextOfType) {
        if (!tick()) return nullptr;
        // The element's frame, moved out along its face point to the plane at its scale.
        Transform3D frame;
        x->GetFaceToWorld(frame, false);
        double shift[3];
        Scale(shift, d::FacePoint(x), own - 1.0);
        AddTo(frame.Translation(), shift);
        for (size_t k = 0; k < n; ++k) {
          const double local[3] = {ring2D[2 * k], ring2D[2 * k + 1], 0.0};
          TransformPoint(frame, &points[3 * k], local);
          corners[k] = &points[3 * k];
        }
        builder.Face(corners, d::FacePoint(x), d::Own(x), x->GetRotationOrder());
      }
    }
  }
  return builder.Finish(t, why);
}

void MakeAugmentationMorphPieces(const Poly& poly, const PolyElement* x, bool vertexElement, double t,
                                 const MorphPieceSink& sink) {
  namespace d = detail_DualMorph;
  if (!x || x->mNumSides <= 0 || !x->mNeighbours) return;
  const MorphScales scales = AugmentationMorphScales();
  const double rb = d::PointRatio(d::FirstTypeElement(poly.mBaseBlock.get()));
  const double rd = d::PointRatio(d::FirstTypeElement(poly.mDualBlock.get()));
  // Points of the model's vertices go with the base scale, those of its faces (the
  // dual's vertices) with the dual scale, whichever element is drawn.
  const double apexScale = vertexElement ? scales.base : scales.dual;
  const double cornerScale = vertexElement ? scales.dual : scales.base;
  const double s = vertexElement ? 1.0 - t : t;
  const double rOwnB = vertexElement ? rd : rb;
  const int n = x->mNumSides;
  double apex[3];
  Scale(apex, d::VertexPoint(x), apexScale);
  const double ux = d::FlatParameter(x, rOwnB, rd);
  for (int i = 0; i < n; ++i) {
    const PolyElement* a = d::Corner(x, i);
    const PolyElement* b = d::Corner(x, i + 1);
    const PolyElement* y = d::Across(x, i);
    if (!a || !b || !y) continue;
    double ca[3], cb[3], other[3];
    Scale(ca, d::VertexPoint(a), cornerScale);
    Scale(cb, d::VertexPoint(b), cornerScale);
    Scale(other, d::VertexPoint(y), apexScale);
    const AugmentationMorphPiece kind = ClassifyAugmentationMorphSide(ca, cb, apex, other, d::FacePoint(x));
    if (kind == AugmentationMorphPiece::kNone) continue;
    const bool flat = kind == AugmentationMorphPiece::kQuadrilateral;
    // The quadrilateral of two coplanar triangles is given once, by the face of lower
    // index.
    if (flat && (vertexElement || y->mIndex < x->mIndex)) continue;
    // The piece's colour moves from the element's towards the mean round the edge as
    // the ratio passes from the element's flat point to its neighbour's.
    const double uy = d::FlatParameter(y, rOwnB, rd);
    const d::PieceColour mean = d::Mean(x, y, a, b);
    double lambda;
    if (std::fabs(uy - ux) < kPointTolerance) {
      lambda = s < ux ? 0.0 : 1.0;
    } else {
      lambda = (s - ux) / (uy - ux);
    }
    const d::PieceColour colour = d::Blend(x->mColor, x->mOpacity, mean.rgb, mean.alpha, lambda);
    if (flat) {
      double outward[3];
      Add(outward, d::FacePoint(x), d::FacePoint(y));
      MorphPiece piece = d::MakePiece({ca, apex, cb, other}, outward, colour);
      piece.cornerElements = {a, x, b, y};
      sink(piece);
    } else {
      MorphPiece piece = d::MakePiece({ca, cb, apex}, d::FacePoint(x), colour);
      piece.cornerElements = {a, b, x};
      sink(piece);
    }
  }
}

SimplePoly* CreateAugmentationMorph(Poly* poly, double t, uint32_t flags, Outcome* why) {
  namespace d = detail_DualMorph;
  SimplePoly* settled = nullptr;
  if (d::Settled(*poly, t, flags, settled, why)) return settled;
  SetAugmentationMorphScale(poly, t);
  d::MorphBuilder builder(poly->mVertices.mCount + poly->mFaces.mCount, 2 * poly->mNumEdges);
  auto sink = [&builder](const MorphPiece& piece) { builder.Piece(piece); };
  d::ForEachElement(poly->mFaces, [&](PolyElement* x) { MakeAugmentationMorphPieces(*poly, x, false, t, sink); });
  d::ForEachElement(poly->mVertices, [&](PolyElement* x) { MakeAugmentationMorphPieces(*poly, x, true, t, sink); });
  return builder.Finish(t, why);
}

SimplePoly* CreateExpansionMorph(Poly* poly, double t, uint32_t flags, Outcome* why) {
  namespace d = detail_DualMorph;
  SimplePoly* settled = nullptr;
  if (d::Settled(*poly, t, flags, settled, why)) return settled;
  d::MorphBuilder builder(2 * poly->mNumEdges, poly->mVertices.mCount + poly->mNumEdges + poly->mFaces.mCount);
  // Corner i of element x at parameter s: the corner moved towards x's dual point.
  auto cornerPoint = [](double* out, const PolyElement* x, const PolyElement* corner, double s) {
    d::Lerp(out, d::VertexPoint(corner), d::VertexPoint(x), s);
  };
  d::EdgeOnce quads;
  for (int pass = 0; pass < 2; ++pass) {
    const ElementList& list = pass == 0 ? static_cast<const ElementList&>(poly->mFaces) : poly->mVertices;
    const double s = pass == 0 ? t : 1.0 - t;
    d::ForEachElement(list, [&](PolyElement* x) {
      const int n = x->mNumSides;
      std::vector<double> points(3 * static_cast<size_t>(n));
      std::vector<const double*> corners;
      for (int i = 0; i < n; ++i) {
        const PolyElement* c = d::Corner(x, i);
        if (!c) continue;
        cornerPoint(&points[3 * static_cast<size_t>(i)], x, c, s);
        corners.push_back(&points[3 * static_cast<size_t>(i)]);
      }
      builder.Face(corners, d::FacePoint(x), d::Own(x), x->GetRotationOrder());
      if (pass != 0) return;
      for (int i = 0; i < n; ++i) {
        const PolyElement* a = d::Corner(x, i);
        const PolyElement* b = d::Corner(x, i + 1);
        const PolyElement* y = d::Across(x, i);
        if (!a || !b || !y || !quads.First(x, i)) continue;
        double xa[3], ya[3], yb[3], xb[3];
        cornerPoint(xa, x, a, s);
        cornerPoint(ya, y, a, s);
        cornerPoint(yb, y, b, s);
        cornerPoint(xb, x, b, s);
        double outward[3];
        Add(outward, d::VertexPoint(a), d::VertexPoint(b));
        builder.Face({xa, ya, yb, xb}, outward, d::Mean(x, y, a, b));
      }
    });
  }
  return builder.Finish(t, why);
}

void MakeTiltingQuadsMorphPieces(const Poly& poly, const PolyElement* x, double t, const MorphPieceSink& sink) {
  namespace d = detail_DualMorph;
  if (!x || x->mNumSides <= 0 || !x->mNeighbours) return;
  const double m = poly.mDualScale;
  const double w = 1.0 - t;
  const int n = x->mNumSides;
  double facePoint[3], p[3];
  d::Lerp(p, d::FacePoint(x), d::VertexPoint(x), w);
  if (!d::Pole(facePoint, p, m)) return;
  for (int i = 0; i < n; ++i) {
    const auto [previous, corner, next, before, after, complete] = d::CornerRound(x, i);
    if (!complete) continue;
    double cornerPoint[3], q[3], sideBefore[3], sideAfter[3];
    d::Lerp(p, d::VertexPoint(corner), d::FacePoint(corner), w);
    if (!d::Pole(cornerPoint, p, m)) continue;
    d::Lerp(q, d::VertexPoint(corner), d::VertexPoint(x), w);
    if (!d::SidePoint(sideBefore, d::VertexPoint(previous), d::VertexPoint(corner), d::VertexPoint(x),
                      d::VertexPoint(before), q, m)) {
      continue;
    }
    d::Lerp(q, d::VertexPoint(next), d::VertexPoint(x), w);
    if (!d::SidePoint(sideAfter, d::VertexPoint(corner), d::VertexPoint(next), d::VertexPoint(x),
                      d::VertexPoint(after), q, m)) {
      continue;
    }
    const d::PieceColour colour = d::Blend(corner->mColor, corner->mOpacity, x->mColor, x->mOpacity, w);
    double outward[3];
    Add(outward, d::FacePoint(x), d::VertexPoint(corner));
    sink(d::MakePiece({facePoint, sideBefore, cornerPoint, sideAfter}, outward, colour));
  }
}

SimplePoly* CreateTiltingQuadsMorph(Poly* poly, double t, uint32_t flags, Outcome* why) {
  namespace d = detail_DualMorph;
  SimplePoly* settled = nullptr;
  if (d::Settled(*poly, t, flags, settled, why)) return settled;
  d::MorphBuilder builder(poly->mVertices.mCount + poly->mFaces.mCount + poly->mNumEdges, 2 * poly->mNumEdges);
  d::ForEachElement(poly->mFaces, [&](PolyElement* x) {
    MakeTiltingQuadsMorphPieces(*poly, x, t, [&builder](const MorphPiece& piece) { builder.Piece(piece); });
  });
  return builder.Finish(t, why);
}

void MakeTiltingTrianglesMorphPieces(const Poly&, const PolyElement* x, double t, const MorphPieceSink& sink) {
  namespace d = detail_DualMorph;
  if (!x || x->mNumSides <= 0 || !x->mNeighbours) return;
  // The side point between the edge's midpoint and the dual edge's midpoint.
  auto sidePoint = [t](double* out, const PolyElement* a, const PolyElement* b, const PolyElement* f,
                       const PolyElement* g) {
    double edgeMid[3], dualMid[3];
    d::Lerp(edgeMid, d::VertexPoint(a), d::VertexPoint(b), 0.5);
    d::Lerp(dualMid, d::VertexPoint(f), d::VertexPoint(g), 0.5);
    d::Lerp(out, edgeMid, dualMid, t);
  };
  const int n = x->mNumSides;
  double p[3];
  d::Lerp(p, d::FacePoint(x), d::VertexPoint(x), t);
  for (int i = 0; i < n; ++i) {
    const auto [previous, corner, next, before, after, complete] = d::CornerRound(x, i);
    if (!complete) continue;
    double s1[3], s2[3], k[3];
    sidePoint(s1, previous, corner, x, before);
    sidePoint(s2, corner, next, x, after);
    d::Lerp(k, d::VertexPoint(corner), d::FacePoint(corner), t);
    const d::PieceColour colour = d::Blend(x->mColor, x->mOpacity, corner->mColor, corner->mOpacity, t);
    double n1[3], n2[3];
    TriangleNormal(n1, p, s1, k);
    TriangleNormal(n2, p, k, s2);
    // One plane when the two normals are in proportion, measured on the first's
    // largest component.
    const int axis = LargestAxis(n1);
    bool parallel = std::fabs(n1[axis]) > kPointTolerance;
    if (parallel) {
      const double ratio = n2[axis] / n1[axis];
      for (int c = 0; c < 3 && parallel; ++c) parallel = std::fabs(n2[c] - ratio * n1[c]) <= kPointTolerance;
      parallel = parallel && ratio > 0.0;
    }
    if (parallel) {
      sink(d::MakePiece({p, s1, k, s2}, d::FacePoint(x), colour));
    } else {
      sink(d::MakePiece({p, s1, k}, d::FacePoint(x), colour));
      sink(d::MakePiece({p, k, s2}, d::FacePoint(x), colour));
    }
  }
}

SimplePoly* CreateTiltingTrianglesMorph(Poly* poly, double t, uint32_t flags, Outcome* why) {
  namespace d = detail_DualMorph;
  SimplePoly* settled = nullptr;
  if (d::Settled(*poly, t, flags, settled, why)) return settled;
  d::MorphBuilder builder(poly->mVertices.mCount + poly->mFaces.mCount + poly->mNumEdges, 4 * poly->mNumEdges);
  d::ForEachElement(poly->mFaces, [&](PolyElement* x) {
    MakeTiltingTrianglesMorphPieces(*poly, x, t, [&builder](const MorphPiece& piece) { builder.Piece(piece); });
  });
  return builder.Finish(t, why);
}

void MakeTiltingMorphPieces(const Poly& poly, const PolyElement* x, bool vertexElement, double t, bool toCompound,
                            const MorphPieceSink& sink) {
  namespace d = detail_DualMorph;
  if (!x || x->mNumSides <= 0 || !x->mNeighbours) return;
  const TiltingWeights weights = GetTiltingWeights(t, toCompound);
  const double m = poly.mDualScale;
  const double w = vertexElement ? weights.vertex : weights.face;
  const int n = x->mNumSides;
  double apex[3];
  d::Lerp(apex, d::FacePoint(x), d::VertexPoint(x), w);
  // Side point i lies on side i (from corner i to corner i + 1).
  std::vector<double> sides(3 * static_cast<size_t>(n));
  std::vector<char> have(static_cast<size_t>(n), 0);
  for (int i = 0; i < n; ++i) {
    const PolyElement* a = d::Corner(x, i);
    const PolyElement* b = d::Corner(x, i + 1);
    const PolyElement* y = d::Across(x, i);
    if (!a || !b || !y) continue;
    double q[3];
    d::Lerp(q, d::VertexPoint(x), d::VertexPoint(b), t);
    have[static_cast<size_t>(i)] = d::SidePoint(&sides[3 * static_cast<size_t>(i)], d::VertexPoint(a),
                                                d::VertexPoint(b), d::VertexPoint(x), d::VertexPoint(y), q, m);
  }
  if (w == 0.0) {
    MorphPiece polygon;
    for (int i = 0; i < n; ++i) {
      if (!have[static_cast<size_t>(i)]) continue;
      const double* p = &sides[3 * static_cast<size_t>(i)];
      polygon.corners.insert(polygon.corners.end(), p, p + 3);
    }
    CopyVector(polygon.outward, d::FacePoint(x));
    CopyFloat3(polygon.rgb, x->mColor);
    polygon.alpha = x->mOpacity;
    polygon.rotations = x->GetRotationOrder();
    sink(polygon);
    return;
  }
  for (int i = 0; i < n; ++i) {
    const size_t before = static_cast<size_t>((i + n - 1) % n);
    const PolyElement* corner = d::Corner(x, i);
    if (!corner || !have[before] || !have[static_cast<size_t>(i)]) continue;
    const d::PieceColour colour = d::Blend(x->mColor, x->mOpacity, corner->mColor, corner->mOpacity, w);
    sink(d::MakePiece({apex, &sides[3 * before], &sides[3 * static_cast<size_t>(i)]}, d::FacePoint(x), colour));
  }
}

SimplePoly* CreateTiltingMorph(Poly* poly, double t, uint32_t flags, uint32_t viewType, Outcome* why) {
  namespace d = detail_DualMorph;
  SimplePoly* settled = nullptr;
  if (d::Settled(*poly, t, flags, settled, why)) return settled;
  const bool toCompound = viewType == kViewMorphTiltingCompound;
  d::MorphBuilder builder(poly->mVertices.mCount + poly->mFaces.mCount + poly->mNumEdges, 4 * poly->mNumEdges);
  auto sink = [&builder](const MorphPiece& piece) { builder.Piece(piece); };
  d::ForEachElement(poly->mFaces,
                    [&](PolyElement* x) { MakeTiltingMorphPieces(*poly, x, false, t, toCompound, sink); });
  d::ForEachElement(poly->mVertices,
                    [&](PolyElement* x) { MakeTiltingMorphPieces(*poly, x, true, t, toCompound, sink); });
  return builder.Finish(t, why);
}

SimplePoly* CreateSnubMorph(Poly* poly, double t, uint32_t flags, Outcome* why) {
  SimplePoly* end = nullptr;
  if (GetMorphEndModel(poly, t, end, flags, why)) return end;
  // Between its two ends this morph has no model of its own.
  if (why) {
    *why = Outcome::Refused("The snub morph gives a model only at its two ends:\nthe model itself (0%) and its dual (100%).");
  }
  return nullptr;
}

}  // namespace corvia
