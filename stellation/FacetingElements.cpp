// The faceting elements: settings, records and their lists, identifiers and status
// texts, the tests that a facet may join the current faceting, and adding and
// removing facets.

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "core/DrawnPolygon.h"
#include "core/Messages.h"
#include "core/PolygonRing.h"
#include "core/Tolerances.h"
#include "core/Units.h"
#include "core/VectorMath.h"
#include "model/ElementServices.h"
#include "model/FaceType.h"
#include "model/FaceTypeBlock.h"
#include "model/Globals.h"
#include "model/Poly.h"
#include "model/PolyElement.h"
#include "platform/Services.h"
#include "stellation/Faceting.h"
#include "symmetry/SymOperations.h"

namespace corvia {

namespace detail_FacetingElements {

constexpr int kIdBuffers = 4;
constexpr int kIdBufferSize = 32;

FacetingSettings gSettings;

bool CriteriaForbidSharedVertices() {
  return gSettings.criteria == kFacetingTidyAndDuals || gSettings.criteria == kFacetingTidy;
}

// Whether the facets can join the current faceting together: no edge used more than
// twice, facets that meet at an edge never in one plane, and under the tidy criteria
// no two facets of one plane at one vertex class.
bool CanAddTogether(Facet* const* facets, int count, uint32_t mask) {
  const FacetingSettings& settings = gSettings;
  for (int i = 0; i < count; ++i) {
    const Facet* facet = facets[i];
    if (facet->mFlags & mask) return false;
    if ((settings.options & kFacetingOnlySpiky) && (facet->mFlags & kFacetTouchesHull)) return false;
  }
  // Records of this batch that already use an edge, found through the edge's mark (the
  // search asks this for every candidate: the list is kept between calls).
  static std::vector<const FacetEdgeRecord*> marked;
  marked.clear();
  bool ok = true;
  for (int i = 0; ok && i < count; ++i) {
    for (const FacetEdgeRecord& record : facets[i]->mEdgeRecords) {
      FacetingEdge* edge = record.edge;
      const FacetEdgeRecord* earlier = nullptr;
      if (edge->mFlags & kFacetingEdgeMark) {
        for (const FacetEdgeRecord* other : marked) {
          if (other->edge == edge) earlier = other;
        }
      }
      if (edge->IsClosed()) {
        ok = false;
      } else if (edge->IsOpen()) {
        ok = !earlier && record.multiplicity == 1 && !MeetInOnePlane(edge->mFirstUse, &record);
      } else if (earlier) {
        ok = record.multiplicity == 1 && earlier->multiplicity == 1 && !MeetInOnePlane(earlier, &record);
      }
      if (!ok) break;
      edge->mFlags |= kFacetingEdgeMark;
      marked.push_back(&record);
    }
  }
  for (const FacetEdgeRecord* record : marked) record->edge->mFlags &= ~kFacetingEdgeMark;
  if (!ok) return false;
  if (CriteriaForbidSharedVertices()) {
    for (int i = 0; i < count; ++i) {
      for (const FacetPlaneVert* leader : facets[i]->mClassLeaders) {
        if (leader->mUseCount > 0) return false;
        for (int j = 0; j < i; ++j) {
          if (facets[j]->mPlane != facets[i]->mPlane) continue;
          for (const FacetPlaneVert* other : facets[j]->mClassLeaders) {
            if (other == leader) return false;
          }
        }
      }
    }
  }
  return true;
}

}  // namespace detail_FacetingElements

// Vertex points of faceting previews: inside when the point is a corner of the
// polygon being drawn.
FacetPreviewPoint PreviewPointOf(const PolyElement* element) {
  if (!HasCurrentFaceting()) return FacetPreviewPoint::kNoPreview;
  const DrawnPolygon* polygon = GetCurrentPoly()->mCurrentDrawnPolygon;
  const PolygonVertex* v = polygon->ring;
  do {
    if (NearlyEqual(v->point, element->mDualVert, kPointTolerance)) return FacetPreviewPoint::kInside;
    v = v->next;
  } while (v != polygon->ring);
  return FacetPreviewPoint::kOutside;
}

bool MeetInOnePlane(const FacetEdgeRecord* a, const FacetEdgeRecord* b) {
  if (!a || !b || a->facet->mPlane != b->facet->mPlane) return false;
  const FacetPlaneEdge* p = a->planeEdge->mOrbitHead;
  const FacetPlaneEdge* q = b->planeEdge->mOrbitHead;
  return p == q || p->mFlippedOrbit == q || q->mFlippedOrbit == p;
}

// ---- Settings -----------------------------------------------------------------------------

FacetingSettings& GetFacetingSettings() {
  return detail_FacetingElements::gSettings;
}

void SetFacetingCriteria(int criteria) {
  FacetingSettings& settings = GetFacetingSettings();
  if (criteria < 0 || criteria >= kNumFacetingCriteria || criteria == settings.criteria) return;
  settings.criteria = criteria;
  if (Poly* poly = GetCurrentPoly()) {
    for (FaceTypeBlock* block : {poly->mBaseBlock.get(), poly->mDualBlock.get()}) {
      if (block->mFaceting) block->mFaceting->Clear();
    }
  }
}

void SetFacetingOptions(uint32_t bits, bool noReset) {
  FacetingSettings& settings = GetFacetingSettings();
  if (bits == settings.options) return;
  settings.options = bits;
  if (!noReset) ResetAllFacetings();
}

void ToggleFacetingOptions(uint32_t bits) {
  SetFacetingOptions(GetFacetingSettings().options ^ bits, false);
}

void SetMinFacetTypes(int n) {
  GetFacetingSettings().minFacetTypes = n < 1 ? 1 : n;
}

void SetMaxFacetTypes(int n) {
  GetFacetingSettings().maxFacetTypes = n <= 0 ? kFacetingNoLimit : n;
}

namespace detail_FacetingElements {

bool PromptNumber(const char* prompt, int current, int* out) {
  char buffer[80];
  std::snprintf(buffer, sizeof buffer, "%d", current);
  if (!AskText(prompt, buffer, sizeof buffer, 0)) return false;
  char* end = nullptr;
  const long value = std::strtol(buffer, &end, 10);
  if (end == buffer) return false;
  *out = value > kFacetingNoLimit ? kFacetingNoLimit : value < -kFacetingNoLimit ? -kFacetingNoLimit : int(value);
  return true;
}

}  // namespace detail_FacetingElements

bool PromptMinFacetTypes() {
  int n = 0;
  if (!detail_FacetingElements::PromptNumber("Enter minimum number of facet types for\nacceptable facetings",
                                             GetFacetingSettings().minFacetTypes, &n)) {
    return false;
  }
  SetMinFacetTypes(n);
  return true;
}

bool PromptMaxFacetTypes() {
  const int current = GetFacetingSettings().maxFacetTypes;
  int n = 0;
  if (!detail_FacetingElements::PromptNumber(
          "Enter maximum number of facet types for\nacceptable facetings\n(Enter 0 for no limit)",
          current == kFacetingNoLimit ? 0 : current, &n)) {
    return false;
  }
  SetMaxFacetTypes(n);
  return true;
}

void ResetFacetingsOf(Poly* poly) {
  if (!poly) return;
  for (FaceTypeBlock* block : {poly->mBaseBlock.get(), poly->mDualBlock.get()}) {
    if (block->mFaceting) block->mFaceting->Reset(false, false);
  }
}

Faceting* GetFaceting(FaceTypeBlock* block) {
  if (!block) return nullptr;
  if (!block->mFaceting) block->mFaceting = MakePart<Faceting>(block);
  return block->mFaceting.get();
}

void ResetAllFacetings() {
  ResetFacetingsOf(GetCurrentPoly());
}

Faceting* GetCurrentFaceting() {
  Poly* poly = GetCurrentPoly();
  return poly ? GetFaceting(poly->GetShownBlock()) : nullptr;
}

void ClearFacetingSelectionOf(Poly* poly) {
  if (!poly) return;
  if (Faceting* faceting = poly->GetShownBlock()->mFaceting.get()) faceting->SelectionCleared();
}

void ClearFacetingSelection() {
  ClearFacetingSelectionOf(GetCurrentPoly());
}

namespace detail_FacetingElements {
bool gFacetingModeOn = false;
}  // namespace detail_FacetingElements

void SetFacetingModeOn(bool on) { detail_FacetingElements::gFacetingModeOn = on; }

bool HasCurrentFaceting() {
  if (!detail_FacetingElements::gFacetingModeOn && GetFacetingSettings().browseMode == kBrowseFacetings) {
    return false;
  }
  const Poly* poly = GetCurrentPoly();
  return poly && poly->mCurrentDrawnPolygon && poly->mCurrentDrawnPolygon->ring;
}

bool PlanesEqual(const double* a, const double* b, double tol) {
  for (int i = 0; i < 4; ++i) {
    if (std::fabs(a[i] - b[i]) > tol) return false;
  }
  return true;
}

bool PlanesOpposite(const double* a, const double* b, double tol) {
  for (int i = 0; i < 4; ++i) {
    if (std::fabs(a[i] + b[i]) > tol) return false;
  }
  return true;
}

void Vec2Add(double* out, const double* a, const double* b) {
  out[0] = a[0] + b[0];
  out[1] = a[1] + b[1];
}

void Vec2Subtract(double* out, const double* a, const double* b) {
  out[0] = a[0] - b[0];
  out[1] = a[1] - b[1];
}

// ---- Model file ---------------------------------------------------------------------------

const char* const kFacetingCriteriaNames[kNumFacetingCriteria] = {"Isohedral", "DualTidy", "Tidy", "CoplanarVerts"};
const char* const kFacetingKeyCriteria = "FacetingCriteria";
const char* const kFacetingKeyMinFacets = "MinFacets";
const char* const kFacetingKeyMaxFacets = "MaxFacets";
const char* const kFacetingKeyPartialOK = "PartialFacetingOK";
const char* const kFacetingKeySpiky = "SpikyFaceting";
const char* const kFacetingKeyTotalNum = "FacetingTotalNum";
const char* const kFacetingKeyNumChirals = "FacetingNumChirals";
const char* const kFacetingKeyNumCompounds = "FacetingNumCompounds";
const char* const kFacetingKeyTime = "FacetingTime";

int FindFacetingCriteriaByName(const char* name) {
  if (!name) return -1;
  for (int i = 0; i < kNumFacetingCriteria; ++i) {
    if (std::strcmp(name, kFacetingCriteriaNames[i]) == 0) return i;
  }
  return -1;
}

FacetingCriteria GetFacetingCriteria(const Faceting* faceting) {
  const FacetingSettings& settings = GetFacetingSettings();
  FacetingCriteria stored;
  stored.criteria = settings.criteria;
  stored.minFacets = settings.minFacetTypes;
  stored.maxFacets = settings.maxFacetTypes;
  stored.partialFacetingOK = (settings.options & kFacetingAcceptPartial) != 0;
  stored.spikyFaceting = (settings.options & kFacetingOnlySpiky) != 0;
  if (faceting) {
    stored.totalNum = faceting->mNumFound;
    stored.numChirals = faceting->mNumChirals;
    stored.numCompounds = faceting->mNumCompounds;
    stored.time = faceting->mElapsed;
  }
  return stored;
}

void RestoreFacetingCriteria(const FacetingCriteria& stored, Faceting* faceting) {
  SetFacetingCriteria(stored.criteria);
  SetMinFacetTypes(stored.minFacets);
  SetMaxFacetTypes(stored.maxFacets);
  SetFacetingOptions(
      (stored.partialFacetingOK ? kFacetingAcceptPartial : 0) | (stored.spikyFaceting ? kFacetingOnlySpiky : 0), true);
  if (!faceting) return;
  faceting->Reset(true, false);
  // Neither the preparation nor a search starts here: a model opened or restored by
  // undo may have more possible facets than fit in memory, and settings read from a
  // file may ask for facetings that no search finds before it has tried them all. The
  // next browse step prepares the faceting and starts it, from the drawn facets where
  // there are any, under the progress window. The counts go in last and outlive that
  // preparation, so that an interrupted enumeration resumes from them.
  faceting->mNumFound = stored.totalNum;
  faceting->mNumChirals = stored.numChirals;
  faceting->mNumCompounds = stored.numCompounds;
  faceting->mElapsed = stored.time;
}

// ---- Plane vertices ------------------------------------------------------------------------

FacetPlaneVert::FacetPlaneVert(FacetPlane* plane, PolyElement* vertex)
    : mVertex(vertex), mGroupLeader(this), mNextInGroup(this), mClassLeader(this) {
  ListNode::Append(this, plane->mVertHead, plane->mVertTail);
  mIndex = plane->mNumVerts++;
  double p[2];
  plane->ToPlane2D(vertex->mDualVert, p);
  x = p[0];
  y = p[1];
}

const double* FacetPlaneVert::GetPosition() const {
  return mVertex->mDualVert;
}

FacetPlaneEdge* FacetPlaneVert::FindEdgeTo(const FacetPlaneVert* b, const FacetPlaneEdge* except) const {
  for (FacetPlaneEdge* edge = mEdgeListHead; edge; edge = edge->GetNextAt(this)) {
    if (edge != except && edge->GetOtherEnd(this) == b) return edge;
  }
  return nullptr;
}

// ---- Edges ---------------------------------------------------------------------------------

FacetingEdge::FacetingEdge(Faceting* faceting, PolyElement* first, PolyElement* second)
    : mVert1(first), mVert2(second) {
  mPrevEdge = faceting->mEdgeTail;
  if (faceting->mEdgeTail) {
    faceting->mEdgeTail->mNextEdge = this;
  } else {
    faceting->mEdgeHead = this;
  }
  faceting->mEdgeTail = this;
  ++faceting->mNumEdges;
  mCreationIndex = faceting->mNumEdgesCreated++;
  double d[3];
  Subtract(d, first->mDualVert, second->mDualVert);
  mSquaredLength = Dot(d, d);
}

FacetingEdge* FacetingEdge::GetMirror() {
  if ((mFlags & kFacetingEdgeMirrorNext) && mNextEdge) return mNextEdge;
  if ((mFlags & kFacetingEdgeMirrorPrev) && mPrevEdge) return mPrevEdge;
  return this;
}

int FacetingEdge::CountCandidates() const {
  int count = 0;
  for (const FacetEdgeRecord* record = mUseList; record; record = record->nextUse) {
    if (record->facet->mDepth < 0 && !MeetInOnePlane(mFirstUse, record)) ++count;
  }
  return count;
}

const char* FacetingEdge::GetInfoText() const {
  static char buffer[kMessageBufferSize];
  const double scale = GetUnitSettings().mLengthScale;
  FacetingEdge* self = const_cast<FacetingEdge*>(this);
  std::snprintf(buffer, sizeof buffer, "Faceting edge %d: Length %g, mirror %d", mIndex,
                std::sqrt(mSquaredLength) * scale, self->GetMirror()->mIndex);
  return buffer;
}

FacetPlaneEdge::FacetPlaneEdge(FacetPlane* plane, FacetPlaneVert* first, FacetPlaneVert* second, FacetingEdge* edge)
    : mEnd1(first), mEnd2(second), mEdge(edge), mOrbitHead(this), mNextInOrbit(this) {
  ListNode::Append(this, plane->mEdgeHead, plane->mEdgeTail);
  ++plane->mNumEdges;
  mNextAtEnd1 = first->mEdgeListHead;
  first->mEdgeListHead = this;
  mNextAtEnd2 = second->mEdgeListHead;
  second->mEdgeListHead = this;
}

// ---- Facets --------------------------------------------------------------------------------

Facet::Facet(FacetPlane* plane) : mPlane(plane) {
  Faceting* faceting = plane->mFaceting;
  ++faceting->mNumFacets;
  mCreationIndex = faceting->mNumFacetsCreated++;
}

Facet::~Facet() {
  if (mPrevInPlane || mPlane->mFacetHead == this) mPlane->RemoveFacet(this);
  --mPlane->mFaceting->mNumFacets;
}

int Facet::GetIndexInPlane() const {
  int i = 0;
  for (const Facet* f = mPlane->mFacetHead; f; f = f->mNextInPlane, ++i) {
    if (f == this) return i;
  }
  return -1;
}

int Facet::GetGlobalIndex() const {
  int index = GetIndexInPlane();
  for (const FacetPlane* plane = mPlane->GetPrev(); plane; plane = plane->GetPrev()) index += plane->mNumFacets;
  return index;
}

Facet* Facet::GetNext() const {
  if (mNextInPlane) return mNextInPlane;
  for (FacetPlane* plane = mPlane->GetNext(); plane; plane = plane->GetNext()) {
    if (plane->mFacetHead) return plane->mFacetHead;
  }
  return nullptr;
}

Facet* Facet::GetPrev() const {
  if (mPrevInPlane) return mPrevInPlane;
  for (FacetPlane* plane = mPlane->GetPrev(); plane; plane = plane->GetPrev()) {
    if (plane->mFacetTail) return plane->mFacetTail;
  }
  return nullptr;
}

const char* Facet::GetIdText(const Facet* facet) {
  static char buffers[detail_FacetingElements::kIdBuffers][detail_FacetingElements::kIdBufferSize];
  static int next = 0;
  char* buffer = buffers[next];
  next = (next + 1) % detail_FacetingElements::kIdBuffers;
  if (!facet) {
    std::snprintf(buffer, detail_FacetingElements::kIdBufferSize, "NULL");
  } else {
    std::snprintf(buffer, detail_FacetingElements::kIdBufferSize, "%d-%d", facet->mPlane->mIndex,
                  facet->GetIndexInPlane());
  }
  return buffer;
}

const double* Facet::GetVertexPosition(int i) const {
  return mVerts[size_t(i)]->GetPosition();
}

void Facet::SumVertexPositions(double* out) const {
  out[0] = out[1] = out[2] = 0.0;
  for (const FacetPlaneVert* v : mVerts) AddTo(out, v->GetPosition());
}

bool Facet::MatchesUnder(const double* m) const {
  const int n = mNumVerts;
  if (n <= 0) return false;
  double image[3];
  MatrixTimesVector(m, image, GetVertexPosition(0));
  int start = -1;
  for (int i = 0; i < n && start < 0; ++i) {
    if (NearlyEqual(image, GetVertexPosition(i), kPointTolerance)) start = i;
  }
  if (start < 0) return false;
  for (int direction : {1, -1}) {
    bool all = true;
    for (int k = 1; k < n && all; ++k) {
      MatrixTimesVector(m, image, GetVertexPosition(k));
      all = NearlyEqual(image, GetVertexPosition(((start + direction * k) % n + n) % n), kPointTolerance);
    }
    if (all) return true;
  }
  return false;
}

bool Facet::IsSymmetricUnderHalfTurn(const double* axis) const {
  const double length = std::sqrt(Dot(axis, axis));
  if (length <= 0.0) return false;
  double z[3];
  Divide(z, axis, length);
  // The half-turn about z: 2 z z^T - I.
  double m[9];
  for (int c = 0; c < 3; ++c) {
    for (int r = 0; r < 3; ++r) m[3 * c + r] = 2.0 * z[r] * z[c] - (r == c ? 1.0 : 0.0);
  }
  return MatchesUnder(m);
}

bool Facet::IsAcceptable(uint32_t mask) const {
  Facet* self = const_cast<Facet*>(this);
  return detail_FacetingElements::CanAddTogether(&self, 1, mask);
}

bool Facet::IsAcceptableWithMirror(uint32_t mask) const {
  if ((StellationOptions & kStellationMaintainReflexibility) && IsChiral()) {
    Facet* pair[2] = {const_cast<Facet*>(this), mMirror};
    return detail_FacetingElements::CanAddTogether(pair, 2, mask | kFacetExcluded);
  }
  return IsAcceptable(mask);
}

std::string Facet::GetInfoText(const Facet* facet) {
  if (!facet) return std::string();
  const double scale = GetUnitSettings().mLengthScale;
  const double area = facet->mSquaredArea > 0.0 ? std::sqrt(facet->mSquaredArea) * scale * scale : 0.0;
  std::string text = FormatLimited(kMessageBufferSize, "Plane %d, Facet %d: area %g, %d sides, ", facet->mPlane->mIndex,
                                   facet->GetIndexInPlane(), area, facet->mNumVerts);
  if (facet->mRotationalOrder >= 2) {
    text += FormatLimited(kMessageBufferSize, "%d-fold symmetry, ", facet->mRotationalOrder);
  } else {
    text += "no rotational symmetry, ";
  }
  text += facet->mMirror == facet ? "reflexible" : "chiral";
  if (facet->IsChiral()) text += FormatLimited(kMessageBufferSize, ", mirrors %s", GetIdText(facet->mMirror));
  if (facet->mFlags & kFacetBowTie) text += ", BowTie";
  return text;
}

// ---- Planes ----------------------------------------------------------------------------------

FacetPlane::FacetPlane(Faceting* faceting, const double* normal, double d, int numRots)
    : mFaceting(faceting), mD(d), mNumRots(numRots) {
  CopyVector(mNormal, normal);
  double e[3] = {0.0, 0.0, 0.0};
  e[SmallestAxis(normal)] = 1.0;
  Cross(mU, normal, e);
  Divide(mU, mU, std::sqrt(Dot(mU, mU)));
  Cross(mW, normal, mU);
  ListNode::Append(this, faceting->mPlaneHead, faceting->mPlaneTail);
  ++faceting->mNumPlanes;
  mCreationIndex = faceting->mNumPlanesCreated++;
}

FacetPlane::~FacetPlane() {
  while (mFacetHead) delete mFacetHead;
  for (ListNode* node = mEdgeHead; node;) {
    ListNode* next = node->mNext;
    delete node;
    node = next;
  }
  for (ListNode* node = mVertHead; node;) {
    ListNode* next = node->mNext;
    delete node;
    node = next;
  }
  --mFaceting->mNumPlanes;
}

FacetPlane* FacetPlane::GetMirrorPlane() {
  if ((mFlags & kPlaneMirrorNext) && GetNext()) return GetNext();
  if ((mFlags & kPlaneMirrorPrev) && GetPrev()) return GetPrev();
  return this;
}

void FacetPlane::AppendFacet(Facet* facet) {
  facet->mNextInPlane = nullptr;
  facet->mPrevInPlane = mFacetTail;
  if (mFacetTail) {
    mFacetTail->mNextInPlane = facet;
  } else {
    mFacetHead = facet;
  }
  mFacetTail = facet;
  ++mNumFacets;
}

void FacetPlane::RemoveFacet(Facet* facet) {
  if (!facet->mPrevInPlane && mFacetHead != facet) return;
  if (facet->mPrevInPlane) {
    facet->mPrevInPlane->mNextInPlane = facet->mNextInPlane;
  } else {
    mFacetHead = facet->mNextInPlane;
  }
  if (facet->mNextInPlane) {
    facet->mNextInPlane->mPrevInPlane = facet->mPrevInPlane;
  } else {
    mFacetTail = facet->mPrevInPlane;
  }
  facet->mNextInPlane = facet->mPrevInPlane = nullptr;
  --mNumFacets;
}

void FacetPlane::ToPlane2D(const double* p, double* out) const {
  out[0] = Dot(p, mU);
  out[1] = Dot(p, mW);
}

FacetPlaneVert* FacetPlane::FindVertAt(double x, double y) const {
  for (ListNode* node = mVertHead; node; node = node->mNext) {
    FacetPlaneVert* v = static_cast<FacetPlaneVert*>(node);
    if (std::fabs(v->x - x) <= kPointTolerance && std::fabs(v->y - y) <= kPointTolerance) {
      return v;
    }
  }
  return nullptr;
}

std::string FacetPlane::GetInfoText(const FacetPlane* plane) {
  if (!plane) return std::string();
  const double scale = GetUnitSettings().mLengthScale;
  std::string symmetry = plane->mNumRots >= 2 ? FormatLimited(64, "%d-fold symmetry", plane->mNumRots)
                                              : std::string("no rotational symmetry");
  return FormatLimited(kMessageBufferSize, "Plane %d: Height %g, %d vertices, %d faces, %s, %s", plane->mIndex,
                       -plane->mD * scale, plane->mNumVerts, plane->mNumFacets, symmetry.c_str(),
                       (plane->mFlags & kPlaneReflexible) ? "reflexible" : "chiral");
}

// ---- The engine: life cycle --------------------------------------------------------------

Faceting::Faceting(FaceTypeBlock* block) : mBlock(block) {
  Init();
}

Faceting::~Faceting() {
  Clear();
}

Poly* Faceting::GetModel() const {
  return mBlock ? mBlock->mOwner : nullptr;
}

void Faceting::Init() {
  mModel = nullptr;
  mVertexTypes = nullptr;
  mNumVertexTypes = mUsedVertexTypes = 0;
  mVertexTypeUseCounts.clear();
  mNumEdges = mNumOpenEdges = mNumPlanes = mNumFacets = mFacetsInFaceting = 0;
  mNumUnmatchedChirals = 0;
  UnitingFace = -1;
  isChiralCompound = 0;
  mEdgeHead = mEdgeTail = nullptr;
  mOpenHead = mOpenTail = nullptr;
  mCurrentEdge = nullptr;
  mPlaneHead = mPlaneTail = nullptr;
  mFacetingHead = mFacetingTail = nullptr;
  mCurrentFacet = nullptr;
  mStack.clear();
  // Zero with no words: the engine's end (its destructor among them) allocates nothing.
  mNumFound = BigUInt();
  mNumChirals = BigUInt();
  mNumCompounds = BigUInt();
  mElapsed = TimeSpan();
  mPreparedCriteria = -1;
  mRotations.clear();
  mMarks.clear();
  mResumeByBacktracking = false;
  mSearchCancelled = false;
  mSearchPasses = 0;
  mPosition = nullptr;
  mOnlyMarked = false;
  mNumPlanesCreated = mNumEdgesCreated = mNumFacetsCreated = 0;
  mBytesHeld = mBytesAllowed = 0.0;
  mWalkUnits = 0.0;
  mRefusal.clear();
  mRefusedCriteria = -1;
  mPrepared = Outcome();
  SetShownNumber(0);
  mKnownTotal = -1;
}

void Faceting::Clear() {
  mVertexTypeUseCounts.clear();
  mStack.clear();
  mMarks.clear();
  mFacetingHead = mFacetingTail = nullptr;
  for (ListNode* node = mPlaneHead; node;) {
    ListNode* next = node->mNext;
    delete node;
    node = next;
  }
  mPlaneHead = mPlaneTail = nullptr;
  for (FacetingEdge* edge = mEdgeHead; edge;) {
    FacetingEdge* next = edge->mNextEdge;
    delete edge;
    edge = next;
  }
  Init();
}

void Faceting::Reset(bool keepIfEmpty, bool keepCounts) {
  const bool hadFaceting = mFacetingHead != nullptr;
  while (mFacetingHead) RemoveFacet(GetFirstFacetInFaceting());
  if (!hadFaceting && !keepIfEmpty) return;
  if (!keepCounts) {
    mNumFound = BigUInt(0);
    mNumChirals = BigUInt(0);
    mNumCompounds = BigUInt(0);
    mElapsed = TimeSpan();
  }
  mFacetsInFaceting = mNumUnmatchedChirals = mUsedVertexTypes = 0;
  isChiralCompound = 0;
  UnitingFace = -1;
  for (ListNode* node = mOpenHead; node;) {
    ListNode* next = node->mNext;
    ReleaseEdge(static_cast<FacetingEdge*>(node));
    node = next;
  }
  mOpenHead = mOpenTail = nullptr;
  mNumOpenEdges = 0;
  mFacetingHead = mFacetingTail = nullptr;
  mStack.clear();
  mMarks.clear();
  mResumeByBacktracking = false;
  mSearchPasses = 0;
  mPosition = nullptr;
  // The search starts again from the first faceting.
  SetShownNumber(0);
  if (mPlaneHead) {
    for (int32_t& count : mVertexTypeUseCounts) count = 0;
    for (FacetPlane* plane = static_cast<FacetPlane*>(mPlaneHead); plane; plane = plane->GetNext()) {
      for (ListNode* node = plane->mVertHead; node; node = node->mNext)
        static_cast<FacetPlaneVert*>(node)->mUseCount = 0;
      for (Facet* facet = plane->mFacetHead; facet; facet = facet->mNextInPlane) {
        facet->mDepth = -1;
        facet->mFlags &= ~(kFacetInFaceting | kFacetUnreached);
      }
    }
  }
}

Facet* Faceting::GetFirstFacet() const {
  for (FacetPlane* plane = static_cast<FacetPlane*>(mPlaneHead); plane; plane = plane->GetNext()) {
    if (plane->mFacetHead) return plane->mFacetHead;
  }
  return nullptr;
}

Facet* Faceting::GetLastFacet() const {
  for (FacetPlane* plane = static_cast<FacetPlane*>(mPlaneTail); plane; plane = plane->GetPrev()) {
    if (plane->mFacetTail) return plane->mFacetTail;
  }
  return nullptr;
}

// ---- Adding and removing facets ----------------------------------------------------------

void Faceting::OpenEdge(FacetingEdge* edge, FacetEdgeRecord* record) {
  if (!edge->IsOpen()) {
    ListNode::Append(edge, mOpenHead, mOpenTail);
    ++mNumOpenEdges;
  }
  edge->mFlags = (edge->mFlags | kFacetingEdgeOpen) & ~kFacetingEdgeClosed;
  if (record) edge->mFirstUse = record;
  edge->mSecondUse = nullptr;
}

void Faceting::CloseEdge(FacetingEdge* edge, FacetEdgeRecord* record, bool both) {
  if (edge->IsOpen()) {
    ListNode::Unlink(edge, mOpenHead, mOpenTail);
    --mNumOpenEdges;
  }
  edge->mFlags = (edge->mFlags | kFacetingEdgeClosed) & ~kFacetingEdgeOpen;
  if (both) edge->mFirstUse = record;
  edge->mSecondUse = record;
}

void Faceting::ReleaseEdge(FacetingEdge* edge) {
  if (edge->IsOpen()) {
    ListNode::Unlink(edge, mOpenHead, mOpenTail);
    --mNumOpenEdges;
  }
  edge->mFlags &= ~(kFacetingEdgeOpen | kFacetingEdgeClosed);
  edge->mFirstUse = edge->mSecondUse = nullptr;
}

namespace detail_FacetingElements {

int TypeIndexOf(const PolyElement* vertex) {
  return vertex->mType ? vertex->mType->mIndex : -1;
}

}  // namespace detail_FacetingElements

void Faceting::AddFacet(Facet* facet) {
  for (FacetEdgeRecord& record : facet->mEdgeRecords) {
    for (const PolyElement* end : {record.edge->mVert1, record.edge->mVert2}) {
      const int type = detail_FacetingElements::TypeIndexOf(end);
      if (type < 0 || type >= int(mVertexTypeUseCounts.size())) continue;
      if (mVertexTypeUseCounts[size_t(type)]++ == 0) ++mUsedVertexTypes;
    }
    FacetingEdge* edge = record.edge;
    if (!edge->IsOpen() && record.multiplicity < 2) {
      OpenEdge(edge, &record);
    } else {
      CloseEdge(edge, &record, !edge->IsOpen());
    }
  }
  for (FacetPlaneVert* leader : facet->mClassLeaders) ++leader->mUseCount;
  ListNode::Append(facet, mFacetingHead, mFacetingTail);
  ++mFacetsInFaceting;
  if (Poly* poly = GetModel()) poly->mFacetPreviewDirty = true;
  facet->mFlags |= kFacetInFaceting;
  if (facet->IsChiral()) {
    if (facet->mMirror->mFlags & kFacetInFaceting) {
      --mNumUnmatchedChirals;
    } else {
      ++mNumUnmatchedChirals;
    }
  }
}

void Faceting::AddFacetWithMirror(Facet* facet) {
  AddFacet(facet);
  if ((StellationOptions & kStellationMaintainReflexibility) && facet->IsChiral()) AddFacet(facet->mMirror);
}

void Faceting::RemoveFacet(Facet* facet) {
  if (!(facet->mFlags & kFacetInFaceting)) return;
  for (FacetEdgeRecord& record : facet->mEdgeRecords) {
    for (const PolyElement* end : {record.edge->mVert1, record.edge->mVert2}) {
      const int type = detail_FacetingElements::TypeIndexOf(end);
      if (type < 0 || type >= int(mVertexTypeUseCounts.size())) continue;
      if (--mVertexTypeUseCounts[size_t(type)] == 0) --mUsedVertexTypes;
    }
    FacetingEdge* edge = record.edge;
    if (edge->IsClosed() && record.multiplicity == 1) {
      // The other user keeps the edge open.
      FacetEdgeRecord* other = edge->mFirstUse == &record ? edge->mSecondUse : edge->mFirstUse;
      OpenEdge(edge, other);
    } else {
      ReleaseEdge(edge);
    }
  }
  for (FacetPlaneVert* leader : facet->mClassLeaders) --leader->mUseCount;
  facet->mFlags &= ~kFacetUnreached;
  if (mFacetsInFaceting <= 2) {
    UnitingFace = -1;
  } else if (UnitingFace == mFacetsInFaceting) {
    UnitingFace = kFacetingNoLimit;
  }
  ListNode::Unlink(facet, mFacetingHead, mFacetingTail);
  --mFacetsInFaceting;
  if (Poly* poly = GetModel()) poly->mFacetPreviewDirty = true;
  facet->mFlags &= ~kFacetInFaceting;
  if (facet->IsChiral()) {
    if (facet->mMirror->mFlags & kFacetInFaceting) {
      ++mNumUnmatchedChirals;
    } else {
      --mNumUnmatchedChirals;
    }
  }
}

}  // namespace corvia
