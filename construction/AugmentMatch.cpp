// Augmentation: the matching faces of the added model and its orientations on the
// targets, the placement on every augmented face, the preview's faces and the
// augmented model.

#include <cmath>
#include <memory>
#include <unordered_set>
#include <vector>

#include "construction/Augmentation.h"
#include "construction/FaceOrientation.h"
#include "core/BigUInt.h"
#include "core/MergeSort.h"
#include "core/Messages.h"
#include "core/PointGrid.h"
#include "core/Progress.h"
#include "core/RainbowColor.h"
#include "core/Tolerances.h"
#include "model/CreatePoly.h"
#include "model/ElementFlags.h"
#include "model/FaceType.h"
#include "model/FaceTypeBlock.h"
#include "model/Globals.h"
#include "model/Poly.h"
#include "model/PolyElement.h"
#include "platform/Services.h"
#include "symmetry/BlendFaces.h"
#include "symmetry/CoincidentFaces.h"
#include "symmetry/SimplePoly.h"
#include "symmetry/SymOperations.h"

namespace corvia {

namespace detail_AugmentMatch {

// A mark no pass reads: coincident faces are found (and their vertices joined) but kept.
constexpr uint32_t kCoincidentKept = 0x40;
// The model flags of the augmented model: orientation and size are the model's own.
constexpr uint32_t kAugmentedModelFlags = kSimpleKeepOrientation | kSimpleKeepLengthUnits;

// Sum of the cross products of successive corners: twice the vector area.
void AreaVector(const std::vector<const double*>& corners, double* out) {
  out[0] = out[1] = out[2] = 0.0;
  const size_t n = corners.size();
  for (size_t k = 0; k < n; ++k) {
    double c[3];
    Cross(c, corners[k], corners[(k + 1) % n]);
    AddTo(out, c);
  }
}

// +1 when the element's corners turn counter-clockwise about its normal, else -1: the
// winding convention the augmented faces follow.
int Winding(const PolyElement& face) {
  std::vector<const double*> corners;
  for (int i = 0; i < face.mNumSides; ++i) corners.push_back(face.GetCorner(i)->mDualVert);
  double area[3], normal[3];
  AreaVector(corners, area);
  face.GetNormal(normal);
  return Dot(area, normal) < 0.0 ? -1 : 1;
}

// The order of the matching faces: the added model's current face first, then higher
// rotation order, lower face type, lower index.
int CompareMatching(const SimplePoly& model, int a, int b) {
  const bool currentA = a == model.currentFace;
  const bool currentB = b == model.currentFace;
  if (currentA != currentB) return currentA ? -1 : 1;
  const SimpleFace& fa = model.FaceAt(a);
  const SimpleFace& fb = model.FaceAt(b);
  if (fa.rots != fb.rots) return fa.rots > fb.rots ? -1 : 1;
  if (fa.typeId != fb.typeId) return fa.typeId < fb.typeId ? -1 : 1;
  return a < b ? -1 : (a > b ? 1 : 0);
}

const char* SourceName(uint32_t options) {
  if (options & kAugmentBuiltIn) return "built-in model";
  if (options & kAugmentFile) return "file";
  return "model in memory";
}

std::list<RingNode>::iterator Next(std::list<RingNode>& ring, std::list<RingNode>::iterator it) {
  ++it;
  return it == ring.end() ? ring.begin() : it;
}

std::list<RingNode>::iterator Previous(std::list<RingNode>& ring, std::list<RingNode>::iterator it) {
  if (it == ring.begin()) it = ring.end();
  return --it;
}

// Whether two vertices that faces use lie at one point.
bool HasVertsAtOnePoint(const SimplePoly& poly) {
  const auto positionOf = [&poly](int32_t i) { return static_cast<const double*>(poly.VertAt(i).pos); };
  PointGrid grid(10 * kCoincidentVertexTolerance, positionOf);
  std::vector<int32_t> used;
  for (int i = 0; i < poly.NumVerts(); ++i) {
    if (poly.VertAt(i).IsTemp() || poly.VertAt(i).Count() == 0) continue;
    used.push_back(i);
    grid.Add(i);
  }
  grid.Finish();
  bool found = false;
  for (size_t k = 0; k < used.size() && !found; ++k) {
    grid.ForEachWithin(positionOf(used[k]), kCoincidentVertexTolerance, [&](int32_t j) { found = found || j != used[k]; });
  }
  return found;
}

}  // namespace detail_AugmentMatch

// ---- Preparing ----------------------------------------------------------------------------

Outcome PrepareAugmentation(Poly* poly, uint32_t options, Augmentation* augmentation) {
  namespace d = detail_AugmentMatch;
  // The commands are offered only with a current face of three sides or more.
  if (!augmentation) return Outcome::Cancelled();
  FaceTypeBlock* block = poly->GetShownBlock();
  PolyElement* target = block ? block->mCurrentFace : nullptr;
  if (!target || target->mNumSides < 3) return Outcome::Cancelled();
  const Outcome height = GetAugmentationHeight(options, target, augmentation);
  if (!height) return height;
  SimplePoly& added = *augmentation->mAddedModel;
  added.CalcFaceNormals(false);
  augmentation->ClearMatching();
  options = augmentation->mOptions;
  const int sides = target->mNumSides;

  augmentation->mTargets.push_back(std::make_unique<AugmentTarget>(target));
  const uint32_t faces = options & kAugmentFacesMask;
  if (faces == kAugmentSameShapeAndSize || faces == kAugmentSameShape) {
    for (FaceType* type = block->mFirstFaceType; type; type = type->mNext) {
      PolyElement* representative = type->mFirstFace;
      if (!representative || type == target->mType || representative->mNumSides != sides) continue;
      if (representative->IsCongruentTo(target, faces == kAugmentSameShape)) {
        augmentation->mTargets.push_back(std::make_unique<AugmentTarget>(representative));
      }
    }
  }

  if (options & kAugmentSolidMask) {
    // A solid is attached by its base.
    augmentation->mRing.push_back(RingNode{added.currentFace});
  } else {
    std::vector<int> candidates;
    for (int f = 0; f < added.NumFaces(); ++f) {
      const SimpleFace& face = added.FaceAt(f);
      if (!(face.flags & (kSimpleTemp | kSimpleHidden)) && face.Count() == sides) candidates.push_back(f);
    }
    MergeSort(candidates, [&added](int a, int b) { return d::CompareMatching(added, a, b); });
    // One face of each type: the others fit the same way.
    std::unordered_set<int32_t> types;
    for (int f : candidates) {
      const int32_t type = added.FaceAt(f).typeId;
      if (type != kNoIndex && !types.insert(type).second) continue;
      augmentation->mRing.push_back(RingNode{f});
    }
  }
  augmentation->mCurrentMatch = augmentation->mRing.begin();
  // The warnings of the added model come first.
  Outcome prepared = height;
  if (!augmentation->StepMatchingFace(0)) {
    prepared.Then(Outcome::RefusedF("Can't augment using %s: model\ndoesn't have any matching %d-sided faces",
                                    d::SourceName(options), sides));
    return prepared;
  }
  if (!augmentation->KeepsSymmetry()) {
    prepared.Warn("Warning: this augmentation will result in a\npolyhedron with less symmetry than the original.");
  }
  return prepared;
}

// ---- Matching faces and orientations ---------------------------------------------------------

bool Augmentation::KeepsSymmetry() const {
  if (!(mOptions & kAugmentFacesMask) || mCurrentMatch == mRing.end() || !mAddedModel) return true;
  const int rotations = mAddedModel->FaceAt(mCurrentMatch->face).rots;
  for (const auto& target : mTargets) {
    const int order = target->mFace->GetRotationOrder();
    if (order > 0 && rotations % order != 0) return false;
  }
  return true;
}

RingNode* Augmentation::StepMatchingFace(int direction) {
  namespace d = detail_AugmentMatch;
  if (mRing.empty() || mTargets.empty() || !mAddedModel) return nullptr;
  auto start = mCurrentMatch == mRing.end() ? mRing.begin() : mCurrentMatch;
  const RingNode* startNode = &*start;
  auto candidate = direction > 0 ? d::Next(mRing, start) : direction < 0 ? d::Previous(mRing, start) : start;
  // The search goes on the way it was asked; from the current face, forwards.
  const bool forwards = direction >= 0;
  FaceOrientation* orientations = nullptr;
  while (!mRing.empty()) {
    orientations = FindOrientations(mAddedModel->FaceAt(candidate->face), mTargets.front()->mFace, mOptions);
    if (orientations) break;
    // A face that fits nowhere leaves the ring.
    const auto after = forwards ? d::Next(mRing, candidate) : d::Previous(mRing, candidate);
    const bool last = after == candidate;
    mRing.erase(candidate);
    if (last) break;
    candidate = after;
  }
  if (!orientations) {
    mCurrentMatch = mRing.end();
    return nullptr;
  }
  // The target owns the list before anything else can fail.
  mCurrentMatch = candidate;
  mTargets.front()->SetOrientations(orientations);
  if (direction != 0 && &*candidate == startNode) {
    platform::Services().views->SetPaneMessage("There is only one matching face\nin the model being added");
  }
  for (size_t k = 1; k < mTargets.size();) {
    FaceOrientation* list = FindOrientations(mAddedModel->FaceAt(candidate->face), mTargets[k]->mFace, mOptions);
    if (!list) {
      mTargets.erase(mTargets.begin() + static_cast<std::ptrdiff_t>(k));
      continue;
    }
    mTargets[k]->SetOrientations(list);
    ++k;
  }
  platform::Services().views->RedrawAllViews(false);
  return &*mCurrentMatch;
}

void Augmentation::StepOrientations(bool forwards) {
  // An odometer: the first target counts fastest.
  bool changed = false;
  for (auto& target : mTargets) {
    FaceOrientation* current = target->mCurrent;
    ListNode* step = current ? (forwards ? current->mNext : current->mPrev) : nullptr;
    if (step) {
      target->mCurrent = static_cast<FaceOrientation*>(step);
      changed = true;
      break;
    }
    FaceOrientation* wrapped = forwards ? target->mFirstOrientation : target->mLastOrientation;
    if (wrapped != current) changed = true;
    target->mCurrent = wrapped;
  }
  if (!changed) platform::Services().views->SetPaneMessage("There is only one orientation");
  platform::Services().views->RedrawAllViews(false);
}

void Augmentation::NextOrientation() { StepOrientations(true); }

void Augmentation::PreviousOrientation() { StepOrientations(false); }

void Augmentation::GetOrientationCounts(BigUInt& out) const {
  out = 1u;
  for (const auto& target : mTargets) out *= static_cast<uint32_t>(target->CountOrientations());
}

int Augmentation::GetOrientationIndices(BigUInt& out) const {
  out = 0u;
  for (auto it = mTargets.rbegin(); it != mTargets.rend(); ++it) {
    const int index = (*it)->GetCurrentIndex();
    if (index < 0) {
      out = 0u;
      return index;
    }
    out *= static_cast<uint32_t>((*it)->CountOrientations());
    out += static_cast<uint32_t>(index);
  }
  return 0;
}

Outcome Augmentation::Refresh() {
  ClearMatching();
  if (!mPoly) return Outcome();
  // The added model and its matching faces were found when the preview began.
  const Outcome prepared = PrepareAugmentation(mPoly, mOptions, this);
  if (prepared.told()) ShowInternalError("Augmentation::Refresh: %s", prepared.text().c_str());
  if (!prepared) Reset();
  return prepared.WarningsOnly();
}

// ---- Placement ----------------------------------------------------------------------------

void AugmentPlacement::Place(const FaceOrientation& orientation, const double* point, double* out) const {
  double q[3];
  TransformPoint(orientation.toTargetFrame, q, point);
  q[2] = q[2] * heightRatio + explodeOffset;
  TransformPoint(frame, out, q);
}

std::vector<AugmentPlacement> Augmentation::GetPlacements() const {
  std::vector<AugmentPlacement> placements;
  if (mCurrentMatch == mRing.end() || !mTargetFace) return placements;
  const bool allOfType = (mOptions & kAugmentFacesMask) != 0;
  const bool reflexible = (StellationOptions & kStellationMaintainReflexibility) != 0;
  const uint32_t pickedColour = PackRainbowColor(mTargetFace->mColor);
  const double ratio = std::fabs(mMadeHeight) > 0.0 ? mHeight / mMadeHeight : 1.0;
  const double explode = (mOptions & kAugmentExcavate) ? -mExplode : mExplode;
  for (const auto& target : mTargets) {
    if (!target->mCurrent) continue;
    std::vector<const PolyElement*> faces;
    const FaceType* type = target->mFace->mType;
    if (!allOfType || !type) {
      faces.push_back(target->mFace);
    } else {
      for (const PolyElement* g = type->mFirstFace; g; g = g->mNextOfType) faces.push_back(g);
      const FaceType* partner = type->mMirrorPartner;
      if (reflexible && partner && partner != type && !(partner->mFlags & kFaceTypeAugmentTarget)) {
        for (const PolyElement* g = partner->mFirstFace; g; g = g->mNextOfType) faces.push_back(g);
      }
    }
    for (const PolyElement* g : faces) {
      if ((mOptions & kAugmentSameColourOnly) && PackRainbowColor(g->mColor) != pickedColour) continue;
      AugmentPlacement placement;
      placement.target = target.get();
      placement.face = g;
      g->GetFaceToWorld(placement.frame, false);
      placement.heightRatio = ratio;
      placement.explodeOffset = explode;
      placement.newFaceColour =
          (mOptions & (kAugmentGivenColour | kAugmentUnusedColour)) ? mNewFaceColour : PackRainbowColor(g->mColor);
      placements.push_back(placement);
    }
  }
  return placements;
}

void Augmentation::GetPreviewFaces(std::vector<AugmentPreviewFace>& out) const {
  out.clear();
  if (mCurrentMatch == mRing.end() || !mAddedModel) return;
  const SimplePoly& added = *mAddedModel;
  const int matching = mCurrentMatch->face;
  const bool showMatching = (mOptions & kAugmentKeepCoincident) || std::fabs(mExplode) > kPointTolerance;
  // Each face is cut into triangles once, in the added model's own space.
  std::vector<std::vector<double>> triangles(static_cast<size_t>(added.NumFaces()));
  std::vector<int32_t> indices;
  std::vector<double> points;
  for (int f = 0; f < added.NumFaces(); ++f) {
    const int count = added.FaceAt(f).Triangulate(indices, points);
    for (int i = 0; i < 3 * count; ++i) {
      const double* p = &points[3 * static_cast<size_t>(indices[static_cast<size_t>(i)])];
      triangles[static_cast<size_t>(f)].insert(triangles[static_cast<size_t>(f)].end(), p, p + 3);
    }
  }
  for (const AugmentPlacement& placement : GetPlacements()) {
    for (int f = 0; f < added.NumFaces(); ++f) {
      const SimpleFace& face = added.FaceAt(f);
      if (face.IsTemp() || face.Count() < 3 || (f == matching && !showMatching)) continue;
      AugmentPreviewFace preview;
      preview.matchingFace = f == matching;
      for (int i = 0; i < face.Count(); ++i) {
        double p[3];
        placement.Place(*placement.target->mCurrent, face.VertAt(i).pos, p);
        preview.corners.insert(preview.corners.end(), p, p + 3);
      }
      const std::vector<double>& cut = triangles[static_cast<size_t>(f)];
      for (size_t k = 0; k + 2 < cut.size(); k += 3) {
        double p[3];
        placement.Place(*placement.target->mCurrent, &cut[k], p);
        preview.triangles.insert(preview.triangles.end(), p, p + 3);
      }
      if (mOptions & kAugmentInheritColour) {
        preview.colour = PackRainbowColor(placement.face->mColor);
        preview.alpha = placement.face->mOpacity;
      } else if (mOptions & kAugmentKeepColours) {
        preview.colour = face.color;
        preview.alpha = face.Alpha();
      } else {
        preview.colour = placement.newFaceColour;
      }
      out.push_back(std::move(preview));
    }
  }
}

// ---- The augmented model ------------------------------------------------------------------

bool AugmentationKeepsColours(uint32_t options) { return (options & kAugmentColourMask) != 0; }

namespace detail_AugmentMatch {

// The model's shown side as a plain model that can grow: its vertices and faces in list
// order, with their colours and opacities.
std::unique_ptr<SimplePoly> CopyShownSide(Poly* poly) {
  ElementList* faces = nullptr;
  ElementList* verts = nullptr;
  poly->GetParts(poly->mShowDual != 0, &faces, &verts, nullptr, nullptr);
  auto result = std::make_unique<SimplePoly>(verts->mCount, faces->mCount);
  result->flags |= kSimpleGrowable;
  int v = 0;
  for (PolyElement* element = verts->mHead; element; element = element->mNext, ++v) {
    SimpleVert& out = result->VertAt(v);
    out.SetPos(element->mDualVert);
    out.color = out.color2 = PackRainbowColor(element->mColor);
    out.SetAlpha(element->mOpacity);
  }
  int f = 0;
  for (PolyElement* element = faces->mHead; element; element = element->mNext, ++f) {
    SimpleFace& out = result->FaceAt(f);
    out.SetNumVerts(element->mNumSides);
    for (int i = 0; i < element->mNumSides; ++i) out.SetVertIndex(i, element->GetCorner(i)->mIndex);
    out.color = out.color2 = PackRainbowColor(element->mColor);
    out.SetAlpha(element->mOpacity);
  }
  result->CalcFaceNormals(true);
  return result;
}

// One placement of the added model being joined to the result.
struct PlacedAddition {
  const SimplePoly& added;
  const AugmentPlacement& placement;
  const FaceOrientation& orientation;
  bool keepColours;
};

// The result's vertex of each vertex of the added model at the placement: the matching
// face's corners are the augmented face's own unless the addition stands off it, the
// others found or made. False after an internal error or when the model cannot grow.
bool MapAddedVerts(SimplePoly& result, const PlacedAddition& at, const SimpleFace& matchingFace, bool exploded,
                   int& usedVerts, std::vector<int32_t>& map) {
  map.assign(static_cast<size_t>(at.added.NumVerts()), kNoIndex);
  if (!exploded) {
    for (int32_t corner : matchingFace.items) {
      double p[3];
      at.placement.Place(at.orientation, at.added.VertAt(corner).pos, p);
      const PolyElement* own = at.placement.face->FindCornerAt(p);
      if (!own) {
        ShowInternalError("%s", "CreateAugmentedPoly: Can't find neighbour vert");
        return false;
      }
      map[static_cast<size_t>(corner)] = own->mIndex;
    }
  }
  for (int i = 0; i < at.added.NumVerts(); ++i) {
    const SimpleVert& source = at.added.VertAt(i);
    if (source.IsTemp() || map[static_cast<size_t>(i)] != kNoIndex) continue;
    double p[3];
    at.placement.Place(at.orientation, source.pos, p);
    const int before = usedVerts;
    SimpleVert* vert = result.FindOrCreateVert(p, usedVerts);
    if (!vert) return false;
    map[static_cast<size_t>(i)] = vert->GetIndex();
    if (usedVerts != before) {
      vert->color = vert->color2 = at.keepColours ? source.color : at.placement.newFaceColour;
      vert->SetAlpha(at.keepColours ? source.Alpha() : 1.0f);
    }
  }
  return true;
}

// The added model's faces at the placement, on the mapped vertices, each wound by
// winding about its outward normal.
void AddPlacedFaces(SimplePoly& result, const PlacedAddition& at, const std::vector<int32_t>& map, int winding) {
  for (int fi = 0; fi < at.added.NumFaces(); ++fi) {
    const SimpleFace& source = at.added.FaceAt(fi);
    if (source.IsTemp() || source.Count() < 3) continue;
    std::vector<int32_t> corners;
    std::vector<const double*> points;
    for (int32_t corner : source.items) {
      corners.push_back(map[static_cast<size_t>(corner)]);
      points.push_back(result.VertAt(corners.back()).pos);
    }
    double area[3], centroid[3], tip[3], c[3], n[3];
    AreaVector(points, area);
    source.GetCentroid(c);
    Add(tip, c, source.normal);
    at.placement.Place(at.orientation, c, centroid);
    at.placement.Place(at.orientation, tip, n);
    Subtract(n, n, centroid);
    const bool turn = (Dot(area, n) < 0.0) == (winding > 0);
    SimpleFace& out = result.AddFace();
    out.SetNumVerts(static_cast<int>(corners.size()));
    const int count = static_cast<int>(corners.size());
    for (int i = 0; i < count; ++i) out.SetVertIndex(i, corners[static_cast<size_t>(turn ? (count - i) % count : i)]);
    out.color = out.color2 = at.keepColours ? source.color : at.placement.newFaceColour;
    out.SetAlpha(at.keepColours ? source.Alpha() : 1.0f);
  }
}

}  // namespace detail_AugmentMatch

std::unique_ptr<SimplePoly> CreateAugmentedPoly(uint32_t options, Augmentation& augmentation, Outcome& outcome) {
  namespace d = detail_AugmentMatch;
  Poly* poly = augmentation.mPoly;
  if (!poly) return nullptr;
  // Prepared once: a second preparation could flip a pyramid to the other side again.
  // The warnings of a preparation here are told with whatever comes of the model.
  Outcome prepared;
  if (!augmentation.GetCurrentMatch() || !augmentation.HasTargets() || !augmentation.mAddedModel) {
    prepared = PrepareAugmentation(poly, options, &augmentation);
    if (!prepared) {
      outcome = prepared;
      return nullptr;
    }
  }
  options = augmentation.mOptions;
  platform::WaitCursorScope wait;
  ProgressScope progress;
  // Stopped from here on only by the user or after an internal error: nothing more to
  // tell.
  outcome = prepared.WarningsOnly();
  outcome.Then(Outcome::Cancelled());

  std::unique_ptr<SimplePoly> result = d::CopyShownSide(poly);
  const int originalFaces = result->NumFaces();
  int usedVerts = result->NumVerts();

  const SimplePoly& added = *augmentation.mAddedModel;
  const int matching = augmentation.GetCurrentMatch()->face;
  const SimpleFace& matchingFace = added.FaceAt(matching);
  const bool exploded = std::fabs(augmentation.mExplode) > kPointTolerance;
  const bool excavate = (options & kAugmentExcavate) != 0;
  const bool keepColours = (options & kAugmentKeepColours) != 0;
  const std::vector<AugmentPlacement> placements = augmentation.GetPlacements();
  const int total = static_cast<int>(placements.size());
  std::vector<int32_t> map;
  for (int k = 0; k < total; ++k) {
    const AugmentPlacement& placement = placements[static_cast<size_t>(k)];
    if (!UpdateProgress(static_cast<double>(k) / total, "Augmented %d of %d faces", k, total)) return nullptr;
    const FaceOrientation& orientation = *placement.target->mCurrent;
    const int firstFace = result->NumFaces();
    const int firstVert = usedVerts;
    const d::PlacedAddition at{added, placement, orientation, keepColours};
    if (!d::MapAddedVerts(*result, at, matchingFace, exploded, usedVerts, map)) return nullptr;
    // The added faces wind as the model's faces do about their outward normals
    // (inward ones for an excavation, which faces into the hole).
    const int winding = d::Winding(*placement.face) * (excavate ? -1 : 1);
    d::AddPlacedFaces(*result, at, map, winding);
    result->CalcFaceNormals(true, firstFace);
    // The matching face and the augmented face lie on each other: both go, in pairs,
    // unless coincident faces are kept.
    RemoveCoincidentFacePairs(*result, firstFace, firstVert, originalFaces, false,
                              (options & kAugmentKeepCoincident) ? d::kCoincidentKept : kSimpleTemp);
  }
  if (!UpdateProgress(1.0, "Augmented %d of %d faces", total, total)) return nullptr;
  BlendCoplanarFaces(*result, kBlendAskUser | kBlendMergeVerts);
  // Vertices the model keeps apart at one point (a surface folded back onto itself)
  // stay apart: the faces round each vertex in order tell them apart when the model
  // is built, where merging them by position would join sheets that do not meet.
  result->CreateVertexFaceLists(true);
  int32_t oddA = 0, oddB = 0;
  int oddSides = 0;
  if (d::HasVertsAtOnePoint(*result) && !result->FindOddEdge(oddA, oddB, oddSides)) result->SimpleSortVertFaces();
  result->flags |= d::kAugmentedModelFlags;
  result->flags |= CarriedSimpleFlags(*poly);
  result->SetName(poly->GetPartName(false), "Augmented ");
  outcome = prepared.WarningsOnly();
  return result;
}

}  // namespace corvia
