// Browsing the faceting: the keys step through facetings, edges, planes or facets of
// the shown block; a faceting is shown as the model's drawn polygons, and drawn
// polygons are matched with planes and facets and can start the search.

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "core/DrawnPolygon.h"
#include "core/PolygonRing.h"
#include "core/Progress.h"
#include "core/Tolerances.h"
#include "core/VectorMath.h"
#include "model/ElementFlags.h"
#include "model/FaceType.h"
#include "model/FaceTypeBlock.h"
#include "model/Poly.h"
#include "model/PolyElement.h"
#include "platform/Services.h"
#include "stellation/Faceting.h"
#include "symmetry/SymGroup.h"
#include "symmetry/SymOperations.h"

namespace corvia {

namespace detail_FacetingBrowse {

// Names the model of a faceting's drawn facets (installed from above).
FacetingNameFinder gNameFinder = nullptr;

// Starts a new polygon in the model's open drawn polygon through the points.
void DrawPolygonThrough(Poly* poly, const std::vector<const double*>& points) {
  if (!poly->mCurrentDrawnPolygon)
    poly->mCurrentDrawnPolygon = new DrawnPolygon(poly->mDrawnPolygons, poly->mLastDrawnPolygon);
  DrawnPolygon* polygon = poly->mCurrentDrawnPolygon;
  polygon->Clear();
  for (const double* p : points) NewPolygonVertex(0.0, 0.0, nullptr, p, polygon->ring);
}

bool MaintainReflexibility() {
  return (StellationOptions & kStellationMaintainReflexibility) != 0;
}

// The model's drawn polygons that have two corners or more.
std::vector<const DrawnPolygon*> DrawnFacets(const Poly* poly) {
  std::vector<const DrawnPolygon*> drawn;
  for (const DrawnPolygon* polygon = poly->mDrawnPolygons; polygon; polygon = polygon->next) {
    if (polygon->ring && polygon->ring->next != polygon->ring) drawn.push_back(polygon);
  }
  return drawn;
}

}  // namespace detail_FacetingBrowse

// ---- Showing facetings as drawn polygons ------------------------------------------------------

std::vector<const double*> GetDrawnPolygonPoints(const DrawnPolygon* polygon) {
  std::vector<const double*> points;
  const PolygonVertex* v = polygon ? polygon->ring : nullptr;
  if (!v) return points;
  do {
    points.push_back(v->point);
    v = v->next;
  } while (v != polygon->ring);
  return points;
}

void ShowCurrentFaceting(Faceting* faceting) {
  if (!faceting) faceting = GetCurrentFaceting();
  if (!faceting || GetFacetingSettings().browseMode != kBrowseFacetings) return;
  Poly* poly = faceting->GetModel();
  if (!poly) return;
  poly->ClearDrawnPolygons(false);
  for (const Facet* facet = faceting->GetFirstFacetInFaceting(); facet; facet = facet->GetNextInFaceting()) {
    std::vector<const double*> points;
    for (int i = 0; i < facet->mNumVerts; ++i) points.push_back(facet->GetVertexPosition(i));
    detail_FacetingBrowse::DrawPolygonThrough(poly, points);
    poly->mCurrentDrawnPolygon->Triangulate();
    poly->FinishDrawnPolygon(false, false);
  }
  platform::Services().views->RedrawAllViews(false);
}

FacetingNameFinder SetFacetingNameFinder(FacetingNameFinder finder) {
  const FacetingNameFinder previous = detail_FacetingBrowse::gNameFinder;
  detail_FacetingBrowse::gNameFinder = finder;
  return previous;
}

void ShowOriginalAsFaceting(Poly* poly) {
  if (!poly) return;
  poly->ClearDrawnPolygons(true);
  for (const FaceType* type = poly->GetShownBlock()->mFirstFaceType; type; type = type->mNext) {
    const PolyElement* face = type->mFirstFace;
    if (!face || face->mNumSides < 3) continue;
    std::vector<const double*> points;
    for (int i = 0; i < face->mNumSides; ++i) {
      const PolyElement* corner = face->GetCorner(i);
      if (!corner || corner->HasFlag(kElementHemi) || corner->HasFlag(kElementInf)) break;
      points.push_back(corner->mDualVert);
    }
    if (int(points.size()) != face->mNumSides) continue;
    detail_FacetingBrowse::DrawPolygonThrough(poly, points);
    poly->mCurrentDrawnPolygon->Triangulate();
    poly->FinishDrawnPolygon(false, false);
  }
  platform::Services().views->RedrawAllViews(false);
}

void SetFacetingBrowseMode(int mode) {
  FacetingSettings& settings = GetFacetingSettings();
  if (mode < kBrowseFacetings || mode > kBrowseFacets || mode == settings.browseMode) return;
  settings.browseMode = mode;
  if (Faceting* faceting = GetCurrentFaceting()) faceting->ShowInfoText();
}

void Faceting::ShowInfoText() const {
  std::string text;
  switch (GetFacetingSettings().browseMode) {
    case kBrowseEdges:
      if (mCurrentEdge) text = mCurrentEdge->GetInfoText();
      break;
    case kBrowsePlanes:
      text = FacetPlane::GetInfoText(mCurrentFacet ? mCurrentFacet->mPlane : nullptr);
      break;
    case kBrowseFacets:
      text = Facet::GetInfoText(mCurrentFacet);
      break;
    default:
      return;
  }
  platform::Services().views->SetStatusText(text);
}

// ---- Matching drawn polygons -------------------------------------------------------------------

FacetPlane* Faceting::FindPlaneOfPolygon(const DrawnPolygon* polygon, bool* exact, double* rotation) const {
  if (exact) *exact = false;
  const std::vector<const double*> points = GetDrawnPolygonPoints(polygon);
  if (points.size() < 3) return nullptr;
  double ab[3], ac[3];
  Subtract(ab, points[1], points[0]);
  Subtract(ac, points[2], points[0]);
  if (AreParallel(ab, ac, kPointTolerance)) return nullptr;
  double normal[3];
  TriangleNormal(normal, points[0], points[1], points[2]);
  Divide(normal, normal, std::sqrt(Dot(normal, normal)));
  double d = -Dot(normal, points[0]);
  if (d > 0.0) {
    Negate(normal);
    d = -d;
  }
  const double height = GetRelativeHeight(normal, d);
  std::vector<FacetPlane*> matches;
  FacetPlane* below = nullptr;
  for (FacetPlane* plane = static_cast<FacetPlane*>(mPlaneHead); plane; plane = plane->GetNext()) {
    if (plane->mRelativeHeight < height - kPointTolerance) {
      below = plane;
      break;
    }
    if (std::fabs(plane->mRelativeHeight - height) <= kPointTolerance && std::fabs(plane->mD - d) <= kPointTolerance) {
      matches.push_back(plane);
    }
  }
  if (matches.empty()) return below;
  if (matches.size() == 1 && !rotation) {
    if (exact) *exact = true;
    return matches.front();
  }
  const size_t numRotations = mRotations.size() / 9;
  for (size_t r = 0; r < numRotations; ++r) {
    double image[3];
    MatrixTimesVector(&mRotations[9 * r], image, normal);
    for (FacetPlane* plane : matches) {
      const bool central = (plane->mFlags & kPlaneThroughCentre) != 0;
      if (NearlyEqual(image, plane->mNormal, kPointTolerance) ||
          (central && NearlyOpposite(image, plane->mNormal, kPointTolerance))) {
        if (exact) *exact = true;
        if (rotation) {
          for (int k = 0; k < 9; ++k) rotation[k] = mRotations[9 * r + size_t(k)];
        }
        return plane;
      }
    }
  }
  return matches.front();
}

Facet* Faceting::FindFacetOfPolygon(const DrawnPolygon* polygon, bool* exact) const {
  if (exact) *exact = false;
  double rotation[9] = {1, 0, 0, 0, 1, 0, 0, 0, 1};
  bool planeExact = false;
  FacetPlane* plane = FindPlaneOfPolygon(polygon, &planeExact, rotation);
  if (!plane) return nullptr;
  const std::vector<const double*> points = GetDrawnPolygonPoints(polygon);
  if (planeExact) {
    std::vector<int32_t> cycle;
    for (const double* p : points) {
      double image[3], q[2];
      MatrixTimesVector(rotation, image, p);
      plane->ToPlane2D(image, q);
      const FacetPlaneVert* v = plane->FindVertAt(q[0], q[1]);
      if (!v) break;
      cycle.push_back(v->mIndex);
    }
    if (cycle.size() == points.size()) {
      auto found = plane->mFacetsByCode.find(plane->GetCode(cycle));
      if (found != plane->mFacetsByCode.end()) {
        if (exact) *exact = true;
        return found->second;
      }
    }
  }
  for (Facet* facet = plane->mFacetHead; facet; facet = facet->mNextInPlane) {
    if (facet->mNumVerts == int(points.size())) return facet;
  }
  return plane->mFacetHead;
}

// ---- Starting from drawn polygons ----------------------------------------------------------------

void Faceting::BuildFromMarked(Facet* root, bool compound) {
  const bool mirrorPairs = detail_FacetingBrowse::MaintainReflexibility();
  FacetingSearchLevel level;
  level.marksStart = mMarks.size();
  mStack.push_back(level);
  // The facets before the root count as tried roots.
  for (Facet* facet = GetFirstFacet(); facet && facet != root; facet = facet->GetNext()) {
    if (facet->mDepth < 0) MarkTried(facet, 0);
    if (facet->IsChiral() && facet->mMirror->mDepth < 0 && facet->mMirror != root) MarkTried(facet->mMirror, 0);
  }
  mStack.back().cursor = root;
  MarkTried(root, 0);
  if (mirrorPairs && root->IsChiral() && root->mMirror->mDepth < 0) MarkTried(root->mMirror, 0);
  if (compound && root->IsChiral() && root->mMirror->mDepth < 0) MarkTried(root->mMirror, 0);
  if (!root->IsAcceptableWithMirror(0)) return;
  UnitingFace = -1;
  AddFacetWithMirror(root);
  mStack.back().added = root;
  if (mirrorPairs && root->IsChiral()) mStack.back().addedMirror = root->mMirror;
  ProgressScope progress;
  mOnlyMarked = true;
  bool found = false;
  const SearchStep step = AfterAdd(root, false, &found);
  if (!found && RunSearch(step) < 0) mSearchCancelled = true;
  mOnlyMarked = false;
}

bool Faceting::StartFromDrawnFaces() {
  mSearchCancelled = false;
  if (!Prepare()) return false;
  const std::vector<const DrawnPolygon*> drawn = detail_FacetingBrowse::DrawnFacets(GetModel());
  if (drawn.empty()) {
    FindNextFaceting();
    return true;
  }
  Reset(true, true);
  // A faceting grown from drawn facets stands nowhere in the order of the steps.
  SetShownNumber(-1);
  bool mismatch = false;
  int matched = 0;
  std::vector<Facet*> collected;
  for (const DrawnPolygon* polygon : drawn) {
    bool exact = false;
    Facet* facet = FindFacetOfPolygon(polygon, &exact);
    if (!facet || !exact) {
      mismatch = true;
      continue;
    }
    ++matched;
    if (!(facet->mFlags & kFacetMarked)) {
      facet->mFlags |= kFacetMarked;
      collected.push_back(facet);
    }
  }
  const bool mirrorPairs = detail_FacetingBrowse::MaintainReflexibility();
  std::stable_sort(collected.begin(), collected.end(),
                   [](const Facet* a, const Facet* b) { return a->GetGlobalIndex() < b->GetGlobalIndex(); });
  if (!collected.empty() && GetFacetingSettings().criteria == kFacetingIsohedral) {
    Facet* candidate = collected.front();
    if (drawn.size() == 1 && (candidate->mFlags & kFacetSecondOfPair)) candidate = candidate->mMirror;
    if (candidate->IsAcceptableWithMirror(0)) {
      AddFacetWithMirror(candidate);
      mPosition = candidate;
      Facet* partner = candidate->mMirror;
      if (!mirrorPairs && candidate->IsChiral() && (partner->mFlags & kFacetMarked) && partner->IsAcceptable(0)) {
        AddFacet(partner);
        if (partner->mFlags & kFacetSecondOfPair) mPosition = partner;
      }
    }
  } else if (!collected.empty()) {
    // A chiral faceting drawn together with its mirror image: the part connected to
    // the first facet is searched alone and shown as a compound.
    bool compound = !mirrorPairs && collected.size() % 2 == 0;
    for (const Facet* facet : collected) {
      compound = compound && facet->IsChiral() && (facet->mMirror->mFlags & kFacetMarked);
    }
    if (compound) {
      std::vector<Facet*> part = {collected.front()};
      for (size_t i = 0; i < part.size() && compound; ++i) {
        for (Facet* other : collected) {
          if (std::find(part.begin(), part.end(), other) != part.end()) continue;
          bool shares = false;
          for (const FacetEdgeRecord& a : part[i]->mEdgeRecords) {
            for (const FacetEdgeRecord& b : other->mEdgeRecords) shares = shares || a.edge == b.edge;
          }
          if (!shares) continue;
          if (other == collected.front()->mMirror) compound = false;
          part.push_back(other);
        }
      }
    }
    BuildFromMarked(collected.front(), compound);
    if (compound && mNumOpenEdges == 0 && mFacetsInFaceting > 0 && mNumUnmatchedChirals == mFacetsInFaceting) {
      MakeChiralCompound();
    }
  }
  for (Facet* facet : collected) {
    if (!(facet->mFlags & kFacetInFaceting)) mismatch = true;
    facet->mFlags &= ~kFacetMarked;
  }
  // A search cancelled ends the step that asked for it: no other search begins.
  if (mSearchCancelled) return mismatch;
  if (mFacetsInFaceting != matched) mismatch = true;
  if (mNumOpenEdges > 0 || mFacetsInFaceting == 0 ||
      (GetFacetingSettings().criteria != kFacetingIsohedral && !isChiralCompound && IsAcceptableFaceting() == 0)) {
    FindNextFaceting();
  }
  return mismatch;
}

// ---- Where the faceting shown stands ----------------------------------------------------------

Faceting::CountKey Faceting::CurrentCountKey() {
  const FacetingSettings& settings = GetFacetingSettings();
  return {settings.criteria, settings.minFacetTypes, settings.maxFacetTypes, settings.options,
          detail_FacetingBrowse::MaintainReflexibility()};
}

void Faceting::SetShownNumber(int64_t number) {
  mShownNumber = number;
  mNumberKey = CurrentCountKey();
}

int64_t Faceting::GetShownNumber() const {
  if (mNumberKey == CurrentCountKey()) return mShownNumber;
  // Under other settings only a search at its start knows where it is.
  const bool atStart = !mFacetingHead && mStack.empty() && !mPosition && !mResumeByBacktracking;
  return atStart ? 0 : -1;
}

int64_t Faceting::GetKnownTotal() const {
  return mTotalKey == CurrentCountKey() ? mKnownTotal : -1;
}

std::string Faceting::DescribeShownFaceting() const {
  if (!mFacetingHead) return {};
  std::string text = "Faceting";
  const int64_t number = GetShownNumber();
  const int64_t total = GetKnownTotal();
  if (number > 0) text += " " + std::to_string(number);
  if (number > 0 && total >= number) text += " of " + std::to_string(total);
  char facets[kFacetsTextSize];
  GetCurrentFacetsText(facets, sizeof facets);
  std::string list = facets;
  if (!list.empty() && list.back() == ',') list.pop_back();
  text += ": facet" + std::string(mFacetsInFaceting == 1 ? "" : "s") + list;
  const FacetingNameFinder finder = detail_FacetingBrowse::gNameFinder;
  const std::string name = finder ? finder(GetModel()) : std::string();
  return name.empty() ? text : text + " (" + name + ")";
}

void Faceting::NoteStep(bool found, int64_t before, bool forwards) {
  // A cancelled search stands where it stopped, after the faceting it showed.
  if (mSearchCancelled) {
    SetShownNumber(before);
    return;
  }
  if (!found) {
    // The search went through them all and starts again: a count from the start knows
    // how many there are.
    if (forwards && before >= 0) {
      mKnownTotal = before;
      mTotalKey = CurrentCountKey();
    }
    SetShownNumber(0);
  } else if (forwards) {
    SetShownNumber(before >= 0 ? before + 1 : -1);
  } else {
    // Back from the start is the last faceting.
    const int64_t total = GetKnownTotal();
    SetShownNumber(before > 1 ? before - 1 : before == 0 && total > 0 ? total : -1);
  }
  TellShownFaceting(forwards);
}

void Faceting::TellShownFaceting(bool forwards) {
  // The words name the model of the faceting's drawn facets.
  if (mFacetingHead) ShowCurrentFaceting(this);
  std::string text = DescribeShownFaceting();
  if (text.empty()) {
    const int64_t total = GetKnownTotal();
    if (total == 0) {
      text = "There is no faceting under these criteria and limits.";
    } else if (forwards) {
      text = "That was the last faceting" + (total > 0 ? " (" + std::to_string(total) + " in all)" : std::string()) +
             ": the next step starts again from the first.";
    } else {
      text = "That was the first faceting: the next step back goes to the last.";
    }
  }
  platform::Services().views->SetPaneMessage(text);
}

// ---- Browse steps --------------------------------------------------------------------------------

bool Faceting::PrepareStep() {
  if (!Prepare() || !IsPrepared()) return false;
  const int mode = GetFacetingSettings().browseMode;
  if (mode == kBrowseFacetings) {
    // With nothing drawn the step's own search runs: forwards the first faceting,
    // backwards the last.
    if (mFacetingHead || detail_FacetingBrowse::DrawnFacets(GetModel()).empty()) return true;
    return !StartFromDrawnFaces();
  }
  if ((mode == kBrowsePlanes || mode == kBrowseFacets) && !mCurrentFacet) {
    const Poly* poly = GetModel();
    const DrawnPolygon* polygon = poly->mCurrentDrawnPolygon;
    // Without a polygon to match the step starts at the first plane or facet.
    if (GetDrawnPolygonPoints(polygon).size() < 3) return true;
    bool exact = false;
    if (mode == kBrowseFacets) {
      mCurrentFacet = FindFacetOfPolygon(polygon, &exact);
    } else {
      FacetPlane* plane = FindPlaneOfPolygon(polygon, &exact, nullptr);
      mCurrentFacet = plane ? plane->mFacetHead : nullptr;
    }
    return exact;
  }
  return true;
}

bool Faceting::SelectEdge(FacetingEdge* edge) {
  Poly* poly = GetModel();
  if (poly->mCurrentDrawnPolygon) poly->mCurrentDrawnPolygon->Clear();
  platform::Services().views->RedrawAllViews(false);
  mCurrentEdge = edge;
  if (!edge) return false;
  detail_FacetingBrowse::DrawPolygonThrough(poly, {edge->mVert1->mDualVert, edge->mVert2->mDualVert});
  ShowInfoText();
  return true;
}

bool Faceting::SelectFacet(Facet* facet) {
  Poly* poly = GetModel();
  if (poly->mCurrentDrawnPolygon) poly->mCurrentDrawnPolygon->Clear();
  platform::Services().views->RedrawAllViews(false);
  mCurrentFacet = facet;
  if (!facet) return false;
  std::vector<const double*> points;
  for (int i = 0; i < facet->mNumVerts; ++i) points.push_back(facet->GetVertexPosition(i));
  detail_FacetingBrowse::DrawPolygonThrough(poly, points);
  poly->mCurrentDrawnPolygon->Triangulate();
  ShowInfoText();
  return true;
}

void Faceting::StepForward() {
  mNumFound = BigUInt(0);
  mSearchCancelled = false;
  const bool prepared = PrepareStep();
  // A search cancelled on the way ends the step where it stopped.
  if (mSearchCancelled) return;
  if (GetFacetingSettings().browseMode == kBrowseFacetings) {
    // A step that stopped at a faceting grown from drawn facets shows that one.
    if (prepared) {
      const int64_t before = GetShownNumber();
      NoteStep(FindNextFaceting(), before, true);
    } else if (mFacetingHead) {
      TellShownFaceting(true);
    }
    return;
  }
  if (!prepared) return;
  switch (GetFacetingSettings().browseMode) {
    case kBrowseEdges:
      SelectEdge(mCurrentEdge ? mCurrentEdge->mNextEdge : mEdgeHead);
      break;
    case kBrowsePlanes: {
      FacetPlane* plane = mCurrentFacet ? mCurrentFacet->mPlane->GetNext() : static_cast<FacetPlane*>(mPlaneHead);
      SelectFacet(plane ? plane->mFacetHead : nullptr);
      break;
    }
    default:
      SelectFacet(mCurrentFacet ? mCurrentFacet->GetNext() : GetFirstFacet());
      break;
  }
}

void Faceting::StepBack() {
  mNumFound = BigUInt(0);
  mSearchCancelled = false;
  const bool prepared = PrepareStep();
  if (mSearchCancelled) return;
  if (GetFacetingSettings().browseMode == kBrowseFacetings) {
    if (prepared) {
      // Back under the other criteria is refused in words of its own, but from the
      // mirror-image compound to the chiral faceting it stands beside.
      const bool refused = GetFacetingSettings().criteria != kFacetingIsohedral && !isChiralCompound;
      const int64_t before = GetShownNumber();
      const bool found = FindPrevFaceting();
      if (!refused) NoteStep(found, before, false);
    } else if (mFacetingHead) {
      TellShownFaceting(false);
    }
    return;
  }
  if (!prepared) return;
  switch (GetFacetingSettings().browseMode) {
    case kBrowseEdges:
      SelectEdge(mCurrentEdge ? mCurrentEdge->mPrevEdge : mEdgeTail);
      break;
    case kBrowsePlanes: {
      FacetPlane* plane = mCurrentFacet ? mCurrentFacet->mPlane->GetPrev() : static_cast<FacetPlane*>(mPlaneTail);
      SelectFacet(plane ? plane->mFacetHead : nullptr);
      break;
    }
    default:
      SelectFacet(mCurrentFacet ? mCurrentFacet->GetPrev() : GetLastFacet());
      break;
  }
}

void Faceting::GoToFirst() {
  mNumFound = BigUInt(0);
  mSearchCancelled = false;
  const int mode = GetFacetingSettings().browseMode;
  if (mode == kBrowseFacetings) {
    if (!Prepare()) return;
    // The search starts again; the facets drawn stay until it shows what it found, and
    // stay as they are when it is cancelled.
    ResetFacetingsOf(GetModel());
    const int64_t before = GetShownNumber();
    NoteStep(FindNextFaceting(), before, true);
    return;
  }
  if (!PrepareStep()) return;
  if (mode == kBrowseEdges) {
    SelectEdge(mEdgeHead);
  } else {
    SelectFacet(GetFirstFacet());
  }
}

void Faceting::GoToLast() {
  mNumFound = BigUInt(0);
  mSearchCancelled = false;
  const int mode = GetFacetingSettings().browseMode;
  if (mode == kBrowseFacetings) {
    if (!Prepare()) return;
    // Stepping back is refused under the other criteria: the faceting shown stays.
    if (GetFacetingSettings().criteria != kFacetingIsohedral) {
      ShowRefusal();
      return;
    }
    Reset(false, false);
    const int64_t before = GetShownNumber();
    NoteStep(FindPrevFaceting(), before, false);
    return;
  }
  if (!PrepareStep()) return;
  if (mode == kBrowseEdges) {
    SelectEdge(mEdgeTail);
  } else if (mode == kBrowsePlanes) {
    FacetPlane* plane = static_cast<FacetPlane*>(mPlaneTail);
    SelectFacet(plane ? plane->mFacetHead : nullptr);
  } else {
    SelectFacet(GetLastFacet());
  }
}

}  // namespace corvia
