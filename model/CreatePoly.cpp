// The one road from a plain model to the full model the document shows: find the
// symmetry, replace the old model, create one Vertex per live vertex and one Face
// per live face with their dual points and in-plane frames, run the set-up pipeline
// and hand names, scale and flags over.
//
// Everything that can make the build fail is settled before the old model is
// destroyed, so a model that cannot be built leaves the current model as it was.

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <functional>
#include <map>
#include <type_traits>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "core/FaceImageRef.h"
#include "core/Messages.h"
#include "core/Progress.h"
#include "core/RainbowColor.h"
#include "core/TimeFormat.h"
#include "core/Tolerances.h"
#include "core/Units.h"
#include "core/VectorMath.h"
#include "model/ColorSchemes.h"
#include "model/CreatePoly.h"
#include "model/Edge.h"
#include "model/ElementFlags.h"
#include "model/Face.h"
#include "model/FaceImageAttach.h"
#include "model/FaceTypeBlock.h"
#include "model/Globals.h"
#include "model/ModelBusy.h"
#include "model/Poly.h"
#include "model/Vertex.h"
#include "platform/Services.h"
#include "symmetry/FindSymmetries.h"
#include "symmetry/SimplePoly.h"
#include "symmetry/SymGroup.h"

namespace corvia {

namespace detail_CreatePoly {

// A plain edge's hidden flag becomes the model edge's, bit for bit.
static_assert(kSimpleEdgeHidden == kEdgeHidden);

constexpr double kStageFraction = 0.5;
constexpr const char* kInvalidModel = "The polyhedron you want to create\ndoes not appear to be valid.";
constexpr const char* kVertNull = "%s\nCreatePoly: vert NULL";
constexpr int kMinFaceCorners = 3;

bool IsZero(const double* v) {
  return std::fabs(v[0]) <= kPointTolerance && std::fabs(v[1]) <= kPointTolerance && std::fabs(v[2]) <= kPointTolerance;
}

// The attributes every element takes from its plain record.
void CopyAttributes(const SimpleElement& from, PolyElement* to) {
  to->mIdFlags = static_cast<uint32_t>(from.typeId);
  if (from.flags & kSimpleHidden) to->mFlags |= kElementHidden;
  if (from.flags & kSimpleMarked) to->mFlags |= kElementTemplateCategory;
  UnpackRainbowColor(from.color, to->mColor);
  UnpackRainbowColor(from.color2, to->mBackColor);
  to->SetOpacity(from.Alpha());
  // One copy per source image for the whole model (the copy links were cleared).
  if (from.Image()) CopyFaceImage(to, from.Image());
  to->SetLabel(from.Label().c_str());
}

// The coordinate axis along the least component of n, crossed with n.
void AxisFromNormal(double* x, const double* n) {
  const double ax = std::fabs(n[0]), ay = std::fabs(n[1]), az = std::fabs(n[2]);
  int axis;
  if (ay <= ax) {
    axis = az <= ay ? 2 : 1;
  } else {
    axis = az <= ax ? 2 : 0;
  }
  double e[3] = {0, 0, 0};
  e[axis] = 1.0;
  Cross(x, n, e);
}

// What makes a plain model from outside (a file, a user's faces) unusable as given,
// in words for the user; empty when nothing does. Checked before any pass reads it.
std::string DescribeInputFault(const SimplePoly& simple) {
  char text[160];
  int32_t corner = 0;
  const int bad = simple.FindFaceWithUnknownCorner(false, &corner);
  if (bad >= 0) {
    std::snprintf(text, sizeof text, "Face %d refers to vertex %d, which the model does not have.", bad, corner);
    return text;
  }
  int liveFaces = 0;
  for (int i = 0; i < simple.NumFaces(); ++i) {
    const SimpleFace& face = simple.FaceAt(i);
    if (face.IsTemp()) continue;
    ++liveFaces;
    const int n = face.Count();
    if (n < kMinFaceCorners) {
      std::snprintf(text, sizeof text, "Face %d has %d corner%s: every face needs at least %d.", i, n,
                    n == 1 ? "" : "s", kMinFaceCorners);
      return text;
    }
  }
  int32_t repeated = 0;
  const int twice = simple.FindFaceWithRepeatedCorner(&repeated);
  if (twice >= 0) {
    std::snprintf(text, sizeof text, "Face %d passes vertex %d twice.", twice, repeated);
    return text;
  }
  for (int i = 0; i < simple.NumVerts(); ++i) {
    const SimpleVert& v = simple.VertAt(i);
    if (v.IsTemp()) continue;
    if (!std::isfinite(v.pos[0]) || !std::isfinite(v.pos[1]) || !std::isfinite(v.pos[2])) {
      std::snprintf(text, sizeof text, "Vertex %d has no finite position.", i);
      return text;
    }
  }
  if (liveFaces == 0) return "The model has no faces.";
  return {};
}

CreatePolyStageHook& StageHook() {
  static CreatePolyStageHook hook;
  return hook;
}

// Once the old model is gone a cancel can no longer give it back, and a half-built
// model is of no use: the rest of the build runs to its end, unless the caller keeps
// the old model elsewhere and drops the half-built one (false then: stop here).
bool ReportStage(const char* name, bool stopOnCancel) {
  if (const CreatePolyStageHook& hook = StageHook()) hook(name);
  return UpdateProgress(kStageFraction, "%s", name) || !stopOnCancel;
}

// Models of more vertices than this may be numbered anew (RenumberScatteredVerts).
constexpr int kRenumberFrom = 16384;

// What the window says while a model is made, in the user's words.
constexpr const char* kStageSymmetries = "Finding the symmetries of the new model...";
constexpr const char* kStageClear = "Making room for the new model...";
constexpr const char* kStageVertices = "Making the vertices of the new model...";
constexpr const char* kStageFaces = "Making the faces of the new model...";
constexpr const char* kStageFaceTypes = "Sorting the faces of the new model into types...";
constexpr const char* kStageColours = "Colouring the new model...";

void CreateVertices(const SimplePoly& simple, Poly* poly, double r2, std::vector<Vertex*>& map) {
  map.assign(static_cast<size_t>(simple.NumVerts()), nullptr);
  ProgressTicker tick;
  for (int i = 0; i < simple.NumVerts(); ++i) {
    (void)tick();
    const SimpleVert& sv = simple.VertAt(i);
    if (sv.IsTemp()) continue;
    double position[3] = {sv.pos[0], sv.pos[1], sv.pos[2]};
    Vertex* v = new Vertex(poly, position, sv.CountLiveFaces());
    map[static_cast<size_t>(i)] = v;
    // The pole of the vertex: the foot point of its plane in the dual.
    const double q = Dot(v->mDualVert, v->mDualVert);
    if (std::fabs(q) > kPointTolerance) {
      Scale(v->mCentre, v->mDualVert, r2 / q);
      SnapNearZero(v->mCentre, kRoundingTolerance);
    } else {
      v->mCentre[0] = v->mCentre[1] = v->mCentre[2] = 0.0;
    }
    CopyAttributes(sv, v);
  }
}

void SetFaceFrame(Face* f, const SimpleVert* corner, const SimplePoly& simple, const SimpleFace& sf) {
  const double* n = f->mZAxis;
  double x[3] = {0, 0, 0};
  bool found = false;
  if (corner) {
    // The remembered corner, or (when it lies on the plane point) the first corner
    // that does not.
    Subtract(x, corner->pos, f->mCentre);
    found = !IsZero(x);
    for (int i = 0; !found && i < sf.Count(); ++i) {
      Subtract(x, simple.VertAt(sf.items[static_cast<size_t>(i)]).pos, f->mCentre);
      found = !IsZero(x);
    }
  }
  if (!found) AxisFromNormal(x, n);
  // A face whose corners are not quite in one plane: the axis is laid in its plane.
  if (!sf.LiesInPlane(n)) {
    double along[3];
    Scale(along, n, Dot(x, n));
    Subtract(x, x, along);
  }
  const double length = std::sqrt(Dot(x, x));
  if (length > 0.0) Divide(x, x, length);
  SnapNearZero(x, kRoundingTolerance);
  CopyVector(f->mXAxis, x);
  Cross(f->mYAxis, n, f->mXAxis);
  SnapNearZero(f->mYAxis, kRoundingTolerance);
}

// The element of the new model that stands for the plain element at `owner`, null
// when the owner is no live element of this plain model.
PolyElement* MapImageOwner(const SimplePoly& simple, const void* owner, const std::vector<Vertex*>& vmap,
                           const std::vector<Face*>& fmap) {
  // The plain elements lie in two arrays: the owner is found by its place in one.
  auto indexIn = [owner](const auto* first, int count) -> int {
    using Element = std::remove_cv_t<std::remove_pointer_t<decltype(first)>>;
    if (!owner || count <= 0) return -1;
    const std::less<const void*> before;
    if (before(owner, first) || !before(owner, first + count)) return -1;
    const auto offset = static_cast<const char*>(owner) - reinterpret_cast<const char*>(first);
    if (offset % static_cast<std::ptrdiff_t>(sizeof(Element)) != 0) return -1;
    return static_cast<int>(offset / static_cast<std::ptrdiff_t>(sizeof(Element)));
  };
  if (simple.NumVerts() > 0) {
    const int i = indexIn(&simple.VertAt(0), simple.NumVerts());
    if (i >= 0) return vmap[static_cast<size_t>(i)];
  }
  if (simple.NumFaces() > 0) {
    const int i = indexIn(&simple.FaceAt(0), simple.NumFaces());
    if (i >= 0) return fmap[static_cast<size_t>(i)];
  }
  return nullptr;
}

// The copied images are owned by the new elements that match the plain owners; an
// owner outside this plain model (the elements of the model just destroyed) is not
// kept, so no image points at a deleted element.
void MapImageOwners(const SimplePoly& simple, const std::vector<Vertex*>& vmap, const std::vector<Face*>& fmap) {
  auto mapOwner = [&](const SimpleElement& element) {
    FaceImage* source = element.Image();
    if (!source || !source->mCopy || (source->mFlags & kFaceImageOwnerFacelet)) return;
    source->mCopy->mOwner = MapImageOwner(simple, source->mOwner, vmap, fmap);
  };
  for (int i = 0; i < simple.NumVerts(); ++i) mapOwner(simple.VertAt(i));
  for (int i = 0; i < simple.NumFaces(); ++i) mapOwner(simple.FaceAt(i));
}

Face* CreateFaces(const SimplePoly& simple, Poly* poly, double r2, const std::vector<Vertex*>& vmap,
                  std::vector<Face*>& map) {
  Face* current = nullptr;
  map.assign(static_cast<size_t>(simple.NumFaces()), nullptr);
  ProgressTicker tick;
  for (int i = 0; i < simple.NumFaces(); ++i) {
    (void)tick();
    const SimpleFace& sf = simple.FaceAt(i);
    if (sf.IsTemp()) continue;
    const int count = sf.Count();
    Face* f = new Face(poly, nullptr, count);
    map[static_cast<size_t>(i)] = f;
    CopyAttributes(sf, f);
    // A file's model grown from its configuration gives its faces' densities too.
    if (!simple.faceTypeOrder.empty()) f->mDensity = std::max(sf.winding, 1);
    if (simple.currentFace == i) current = f;
    const bool central = (sf.flags & kSimpleCentralPlane) != 0;
    double n[3] = {sf.normal[0], sf.normal[1], sf.normal[2]};
    double d = 0.0;
    if (count < 1 && !central) {
      d = std::sqrt(Dot(n, n));
      if (d > 0.0) Divide(n, n, d);
    }
    SnapNearZero(n, kRoundingTolerance);

    const SimpleVert* corner = nullptr;
    for (int k = 0; k < count; ++k) {
      const int32_t vi = sf.items[static_cast<size_t>(k)];
      Vertex* v = vmap[static_cast<size_t>(vi)];
      f->SetNeighbour(k, v);
      const SimpleVert& sv = simple.VertAt(vi);
      int live = 0;
      for (int p = 0; p < sv.Count(); ++p) {
        const int32_t fi = sv.items[static_cast<size_t>(p)];
        if (fi == i) v->SetFace(live, f);
        if (fi >= 0 && fi < simple.NumFaces() && !simple.FaceAt(fi).IsTemp()) ++live;
      }
      if (!corner || sv.typeId < corner->typeId) corner = &sv;
    }

    double plane[3] = {0, 0, 0};
    if (!central && count == 0) {
      CopyVector(plane, sf.normal);
    } else if (!central) {
      double through[3];
      sf.GetPlanePoint(through);
      d = Dot(through, n);
      Scale(plane, n, d);
    }
    SnapNearZero(plane, kRoundingTolerance);
    CopyVector(f->mZAxis, n);
    if (std::fabs(d) > kCentralPlaneTolerance) {
      CopyVector(f->mCentre, plane);
      Scale(f->mDualVert, n, r2 / d);
    } else {
      // The plane passes through the centre: its pole is the direction n at infinity.
      poly->mHasCentralFace = 1;
      f->mFlags |= kElementHemi;
      f->mCentre[0] = f->mCentre[1] = f->mCentre[2] = 0.0;
      CopyVector(f->mDualVert, n);
    }
    SetFaceFrame(f, corner, simple, sf);
  }
  return current;
}

// The edge between ends a and b and sides fa and fb among the edges round a, null when
// none of them is (a search of the whole edge array for each of the plain model's
// edges would grow with the square of the model).
Edge* FindEdgeAround(const PolyElement* a, const PolyElement* b, const PolyElement* fa, const PolyElement* fb) {
  if (!a->mEdges) return nullptr;
  for (int k = 0; k < a->mNumSides; ++k) {
    Edge* e = a->mEdges[k];
    if (e && ((e->mVert1 == a && e->mVert2 == b) || (e->mVert1 == b && e->mVert2 == a)) &&
        ((e->mFace1 == fa && e->mFace2 == fb) || (e->mFace1 == fb && e->mFace2 == fa)))
      return e;
  }
  return nullptr;
}

// Carries the plain model's edge attributes over to the edges just found. When the
// plain model lists each of them once (a file does), they keep its order, the way it
// runs them and the side it names first.
void CopyEdgeAttributes(const SimplePoly& simple, Poly* poly, const std::vector<Vertex*>& vmap,
                        const std::vector<Face*>& fmap) {
  std::vector<Edge*> order;
  std::vector<uint8_t> swaps;
  auto mapped = [](const auto& map, int32_t i) -> PolyElement* {
    return i >= 0 && static_cast<size_t>(i) < map.size() ? map[static_cast<size_t>(i)] : nullptr;
  };
  ProgressTicker tick;
  for (int i = 0; i < simple.NumEdges(); ++i) {
    (void)tick();
    const SimpleEdge& se = simple.EdgeAt(i);
    PolyElement* a = mapped(vmap, se.endA);
    PolyElement* b = mapped(vmap, se.endB);
    PolyElement* fa = mapped(fmap, se.faceA);
    PolyElement* fb = mapped(fmap, se.faceB);
    if (!a || !b || !fa || !fb) continue;
    Edge* e = i < poly->mNumEdges ? poly->GetEdge(i) : nullptr;
    const bool same = e && ((e->mVert1 == a && e->mVert2 == b) || (e->mVert1 == b && e->mVert2 == a)) &&
                      ((e->mFace1 == fa && e->mFace2 == fb) || (e->mFace1 == fb && e->mFace2 == fa));
    if (!same) e = FindEdgeAround(a, b, fa, fb);
    if (!e) e = poly->FindEdge(a, b, fa, fb);
    if (!e) continue;
    order.push_back(e);
    swaps.push_back(
        static_cast<uint8_t>((e->mVert1 == b ? Poly::kSwapEnds : 0) | (e->mFace1 == fb ? Poly::kSwapSides : 0)));
    e->mEdgeFlags = (e->mEdgeFlags & ~kEdgeHidden) | (se.flags & kSimpleEdgeHidden);
    float rgb[3];
    UnpackRainbowColor(se.color, rgb);
    e->SetColour(rgb);
    e->SetLabel(se.label.c_str());
  }
  poly->TakeEdgeOrder(order, swaps);
}

// The place of each face (by its number in the new model) in the order the plain model
// gives its faces by type (that of the grown model a file holds); empty when it gives
// none, or none that holds each face of the new model once.
std::vector<int32_t> FaceTypeRanks(const SimplePoly& simple, const std::vector<Face*>& faceMap, int numFaces) {
  const std::vector<int32_t>& order = simple.faceTypeOrder;
  if (order.empty()) return {};
  std::vector<int32_t> ranks(static_cast<size_t>(numFaces), -1);
  int32_t rank = 0;
  for (int32_t i : order) {
    const Face* f = i >= 0 && static_cast<size_t>(i) < faceMap.size() ? faceMap[static_cast<size_t>(i)] : nullptr;
    if (!f) continue;
    int32_t& slot = ranks[static_cast<size_t>(f->mIndex)];
    if (slot >= 0) return {};
    slot = rank++;
  }
  if (rank != numFaces) return {};
  // The order holds the faces of each type of the saved model together. A model whose
  // analysis finds other types (its corners were moved since) takes its list's order.
  struct Span {
    int32_t least, most, count;
  };
  std::map<int32_t, Span> spans;  // by type id
  for (size_t i = 0; i < faceMap.size(); ++i) {
    if (!faceMap[i]) continue;
    const int32_t r = ranks[static_cast<size_t>(faceMap[i]->mIndex)];
    Span& span = spans.try_emplace(simple.FaceAt(static_cast<int>(i)).typeId, Span{r, r, 0}).first->second;
    span.least = std::min(span.least, r);
    span.most = std::max(span.most, r);
    ++span.count;
  }
  for (const auto& [id, span] : spans) {
    if (span.most - span.least + 1 != span.count) return {};
  }
  return ranks;
}

}  // namespace detail_CreatePoly

namespace detail_CreatePoly {

Outcome BuildPoly(SimplePoly& simple, Poly* poly, bool keepColors, bool keepDualColors, bool stopOnCancel,
                  bool* cleared) {
  namespace d = detail_CreatePoly;
  if (!poly) return Outcome::Failed("There is no model to build into.");
  // Work that needs a finished model waits while the new one is made: from the start
  // when it is made in an empty record (a transition's), else from when the old one
  // is cleared.
  ModelBusyScope busy;
  if (poly->mFaces.mCount == 0) busy.Set();
  const int cancels = GetProgressCancelCount();
  ProgressScope progress{TimeSpan()};
  TraceFlagScope trace;

  if (!UpdateProgress(d::kStageFraction, "%s", d::kStageSymmetries)) return Outcome::Cancelled();
  // Input that is merely bad is the user's error, told in words; a corner index
  // outside the vertex array would also send every pass out of bounds.
  const std::string fault = d::DescribeInputFault(simple);
  if (!fault.empty()) {
    return Outcome::RefusedF("%s\n\n%s", d::kInvalidModel, fault.c_str());
  }
  // A large model listed in no order of its own (a file from another program) is
  // numbered as its faces use the vertices: every pass over it then runs through
  // memory in step with its faces. Smaller models keep their numbering.
  if (simple.NumVerts() > d::kRenumberFrom) simple.RenumberScatteredVerts();
  const int numVerts = simple.NumVerts();
  bool hasReflection = false;
  std::string refusal;
  std::unique_ptr<SymGroup> group = corvia::FindSymmetries(simple, hasReflection, &refusal);
  if (simple.NumVerts() != numVerts) {
    // Vertices were split: analyse the model as it now stands.
    group.reset();
    hasReflection = false;
    group = corvia::FindSymmetries(simple, hasReflection, &refusal);
  }
  // Cancelled while the symmetries were searched: the model stays as it was.
  if (!ProgressTick()) return Outcome::Cancelled();
  if (!group) {
    if (refusal.empty()) return Outcome::Refused(d::kInvalidModel);
    return Outcome::RefusedF("%s\n\n%s", d::kInvalidModel, refusal.c_str());
  }
  if (simple.FindFaceWithUnknownCorner(true) >= 0) {
    // The input check above lets no such face through: a broken invariant.
    ShowInternalError(d::kVertNull, d::kInvalidModel);
    return Outcome::Refused(d::kInvalidModel);
  }

  if (!UpdateProgress(d::kStageFraction, "%s", d::kStageClear)) return Outcome::Cancelled();
  busy.Set();
  poly->Clear(false);
  if (cleared) *cleared = true;
  const double r = simple.GetMidRadius();
  poly->mDualScale = r;
  const double r2 = r * r;

  if (!d::ReportStage(d::kStageVertices, stopOnCancel)) return Outcome::Cancelled();
  ClearFaceImageCopies();
  std::vector<Vertex*> vertexMap;
  d::CreateVertices(simple, poly, r2, vertexMap);
  if (!d::ReportStage(d::kStageFaces, stopOnCancel)) return Outcome::Cancelled();
  std::vector<Face*> faceMap;
  Face* current = d::CreateFaces(simple, poly, r2, vertexMap, faceMap);
  d::MapImageOwners(simple, vertexMap, faceMap);
  if (!d::ReportStage(d::kStageFaceTypes, stopOnCancel)) return Outcome::Cancelled();

  poly->mBuildState = 1;
  poly->mReflexible = hasReflection ? 1 : 0;
  poly->mTemplate = simple.polyTemplate;
  if (simple.flags & kSimpleWantNewColors) keepColors = false;
  if (simple.flags & kSimpleKeepColors) {
    keepColors = true;
    keepDualColors = false;
  }
  if (simple.flags & kSimpleKeepDualColors) keepDualColors = true;

  // The set-up keeps the corners a file gives where the symmetry lets it.
  if (simple.flags & kSimpleFileCorners) poly->mPolyFlags |= kPolyFlagFileCorners;
  if (simple.flags & kSimpleDecimalCorners) poly->mPolyFlags |= kPolyFlagDecimalCorners;
  const std::vector<int32_t> ranks = d::FaceTypeRanks(simple, faceMap, poly->mFaces.mCount);
  // Only the plain model's edges are read from here on.
  if (simple.flags & kSimpleBuiltOnce) simple.ReleaseElements();
  poly->SetFaceTypes(std::move(group), !keepColors, !keepDualColors, ranks.empty() ? nullptr : &ranks,
                    stopOnCancel);
  if (simple.NumEdges() > 0) d::CopyEdgeAttributes(simple, poly, vertexMap, faceMap);
  vertexMap.clear();
  faceMap.clear();
  if (stopOnCancel && GetProgressCancelCount() != cancels) return Outcome::Cancelled();
  if (keepColors && !d::ReportStage(d::kStageColours, stopOnCancel)) return Outcome::Cancelled();

  if (!(poly->mPolyFlags & (kPolyFlagOneSidedFace | kPolyFlagReversedFace))) {
    if (simple.flags & kSimpleConvex) poly->mPolyFlags |= kPolyFlagConvex;
    if (simple.flags & kSimpleDensityOne) poly->mPolyFlags |= kPolyFlagDensityOne;
    if (simple.flags & kSimplePlainSurface) poly->mPolyFlags |= kPolyFlagPlainSurface;
  }
  if (current) poly->mBaseBlock->SetCurrentFace(current);
  if (simple.flags & kSimpleInherited) poly->mPolyFlags |= kPolyFlagInherited;
  GetUnitSettings().SetLengthScale(simple.scale, false);
  poly->SetName(simple.name.c_str());
  poly->SetDualName(simple.dualName.c_str());
  poly->SetName3(simple.description.c_str());
  poly->SetWebLink(simple.webLink.c_str());
  // The model is finished (unless a caller is still building around this); the program
  // has the panes give the construction toy's verdict on the model it shows.
  busy.Restore();
  if (stopOnCancel && GetProgressCancelCount() != cancels) return Outcome::Cancelled();
  return Outcome::Done();
}

}  // namespace detail_CreatePoly

CreatePolyStageHook SetCreatePolyStageHook(CreatePolyStageHook hook) {
  std::swap(hook, detail_CreatePoly::StageHook());
  return hook;
}

Outcome CreatePoly(SimplePoly& simple, Poly* poly, bool keepColors, bool keepDualColors, bool stopOnCancel,
                   bool* cleared) {
  Outcome outcome = detail_CreatePoly::BuildPoly(simple, poly, keepColors, keepDualColors, stopOnCancel, cleared);
  if (poly) poly->mBuildOutcome = outcome;
  return outcome;
}

uint32_t CarriedSimpleFlags(const Poly& poly) {
  return ((poly.mPolyFlags & kPolyFlagInherited) ? kSimpleInherited : 0u) |
         ((poly.mPolyFlags & kPolyFlagFileCorners) ? kSimpleFileCorners : 0u) |
         ((poly.mPolyFlags & kPolyFlagDecimalCorners) ? kSimpleDecimalCorners : 0u);
}

}  // namespace corvia
