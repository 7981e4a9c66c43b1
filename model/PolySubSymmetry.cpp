// Applying a subgroup of the model's full symmetry group: the faces and vertices are
// re-classified into the orbits of the subgroup and the model is set up again with
// it, so that face, vertex and edge types follow the smaller group. The full group and
// the classification under it are kept so that any other subgroup (the full group
// included) can be applied later.

#include <memory>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "model/Edge.h"
#include "model/ElementFlags.h"
#include "model/FaceTypeBlock.h"
#include "model/Poly.h"
#include "model/PolyElement.h"
#include "platform/Services.h"
#include "symmetry/SymGroup.h"
#include "symmetry/SymOperations.h"
#include "symmetry/SymSubgroups.h"

namespace corvia {

bool RecolourOnSubSymmetry = true;

namespace detail_PolySubSymmetry {

// The elements of both lists, faces first.
std::vector<PolyElement*> AllElements(Poly& poly) {
  std::vector<PolyElement*> all;
  all.reserve(static_cast<size_t>(poly.mFaces.mCount + poly.mVertices.mCount));
  for (PolyElement* e = poly.mFaces.mHead; e; e = e->mNext) all.push_back(e);
  for (PolyElement* e = poly.mVertices.mHead; e; e = e->mNext) all.push_back(e);
  return all;
}

// The types under the full group, as saved chains: for every element the members of
// its chain, the chain being walked from its head (the member no other one links to).
// An element met before its chain's head in list order must still see the members
// that come before it in the chain, so each chain is collected whole.
std::unordered_map<const PolyElement*, size_t> CollectSavedChains(const Poly& poly, const std::vector<PolyElement*>& all,
                                                                  std::vector<std::vector<PolyElement*>>& chains) {
  const auto savedNext = [&poly](const PolyElement* e) -> PolyElement* {
    auto found = poly.mSavedClasses.find(e);
    return found == poly.mSavedClasses.end() ? nullptr : found->second.nextOfType;
  };
  std::unordered_set<const PolyElement*> members(all.begin(), all.end());
  std::unordered_set<const PolyElement*> linked;
  for (const PolyElement* e : all) {
    PolyElement* next = savedNext(e);
    if (next && members.count(next)) linked.insert(next);
  }
  std::unordered_map<const PolyElement*, size_t> chainOf;
  for (PolyElement* head : all) {
    if (linked.count(head)) continue;
    const size_t index = chains.size();
    chains.emplace_back();
    // Bounded by the element count, so a damaged chain cannot loop.
    for (PolyElement* e = head; e && members.count(e) && !chainOf.count(e); e = savedNext(e)) {
      chainOf[e] = index;
      chains.back().push_back(e);
    }
  }
  // Members of a chain that has become a loop have no head: each such loop is one
  // class as well.
  for (PolyElement* start : all) {
    if (chainOf.count(start)) continue;
    const size_t index = chains.size();
    chains.emplace_back();
    for (PolyElement* e = start; e && members.count(e) && !chainOf.count(e); e = savedNext(e)) {
      chainOf[e] = index;
      chains.back().push_back(e);
    }
  }
  return chainOf;
}

// Whether some operation of the group carries a onto b.
bool CarriedOnto(const PolyElement* a, const PolyElement* b, const SymGroup* group) {
  if (a == b) return true;
  SymOperationIterator it;
  double matrix[9];
  while (GetNextSymmetryOperation(group, it, true, matrix, true)) {
    if (a->MapsOntoUnder(b, matrix)) {
      it.Reset();
      return true;
    }
  }
  return false;
}

// Gives each element the number of its orbit under the group, as its identity flags:
// orbits are numbered from 0 in list order, faces first, and an orbit never leaves
// the element's type under the full group.
void ClassifyUnder(Poly& poly, const SymGroup* group) {
  std::vector<PolyElement*> all = AllElements(poly);
  std::vector<std::vector<PolyElement*>> chains;
  const std::unordered_map<const PolyElement*, size_t> chainOf = CollectSavedChains(poly, all, chains);
  uint32_t counter = 0;
  for (PolyElement* e : all) {
    if (e->HasFlag(kElementVisitMark)) continue;
    e->mIdFlags = counter;
    e->mFlags |= kElementVisitMark;
    for (PolyElement* other : chains[chainOf.at(e)]) {
      if (other->HasFlag(kElementVisitMark)) continue;
      if (CarriedOnto(e, other, group)) {
        other->mIdFlags = counter;
        other->mFlags |= kElementVisitMark;
      }
    }
    ++counter;
  }
  for (PolyElement* e : all) e->mFlags &= ~kElementVisitMark;
}

// The selection, kept across the set-up by what it is rather than by pointer: the
// edge array is rebuilt, so a selected edge is found again by its ends and sides.
struct KeptSelection {
  PolyItem* element = nullptr;
  bool isEdge = false;
  const PolyElement* ends[2] = {nullptr, nullptr};
  const PolyElement* sides[2] = {nullptr, nullptr};
  bool asVertex = false;

  void Keep(const Poly& poly) {
    PolyItem* item = poly.mSelectedItem;
    if (!item) return;
    asVertex = item->IsVertexIn(poly.mShowDual != 0);
    if (Edge* edge = item->AsEdge()) {
      isEdge = true;
      ends[0] = edge->mVert1;
      ends[1] = edge->mVert2;
      sides[0] = edge->mFace1;
      sides[1] = edge->mFace2;
    } else {
      element = item;
    }
  }

  void Restore(Poly& poly) const {
    if (isEdge) {
      Edge* edge = poly.FindEdge(ends[0], ends[1], sides[0], sides[1]);
      if (edge) poly.SelectEdge(edge, asVertex);
    } else if (element) {
      poly.SelectEdge(element, asVertex);
    }
  }
};

}  // namespace detail_PolySubSymmetry

void Poly::SetRotSymOfTypes() {
  for (FaceTypeBlock* block : {mBaseBlock.get(), mDualBlock.get()}) {
    for (FaceType* type = block->mFirstFaceType; type; type = type->mNext) {
      if (!type->mCoplanarMaster) SetRotSym(type, mSymGroup);
    }
  }
}

bool Poly::ApplySubSymmetry(int rotIndex, int reflIndex, Outcome* warned) {
  namespace d = detail_PolySubSymmetry;
  mSelectedFacetPreview = -1;
  // The faceted model repeats the facets over the group in use.
  mFacetPreviewDirty = true;

  // The full group is the one in use until a subgroup has been applied.
  SymGroup* full = mFullSymGroup ? mFullSymGroup : mSymGroup;
  if (!full) return false;
  SymSubgroupSpec spec;
  if (reflIndex >= 0) {
    if (!SymGroup::GetRotationalSubgroup(full, rotIndex, spec)) return false;
    if (!SymGroup::GetReflectiveSubgroup(full, reflIndex, spec)) return false;
  } else {
    int rotational = 0;
    int reflective = 0;
    if (!SymGroup::GetSubgroup(full, rotIndex, spec, rotational, reflective)) return false;
  }
  // A negative rotational index only resets the subgroup choice: no group.
  if (spec.type < 0) return false;
  std::unique_ptr<SymGroup> subgroup = full->CreateSubgroup(spec);
  if (!subgroup) return false;

  // The first time, the full group and the classification under it are saved. This
  // waits until the subgroup exists, so that a failed call leaves one owner of the
  // group in use.
  if (!mFullSymGroup) {
    mFullSymGroup = mSymGroup;
    mSavedReflexible = mReflexible;
    mSavedClasses.reserve(static_cast<size_t>(mFaces.mCount + mVertices.mCount));
    for (ElementList* list : {static_cast<ElementList*>(&mFaces), static_cast<ElementList*>(&mVertices)}) {
      for (PolyElement* e = list->mHead; e; e = e->mNext) mSavedClasses[e] = SavedClass{e->mNextOfType, e->mIdFlags};
    }
    mPolyFlags &= ~kPolyFlagAxisTreatment;
  }

  mSubSymRotIndex = rotIndex;
  mSubSymReflIndex = reflIndex;
  // A subgroup applied before is freed; the full group stays with mFullSymGroup.
  if (mSymGroup != mFullSymGroup) delete mSymGroup;
  mSymGroup = nullptr;
  mReflexible = spec.reflectionType != kReflectionChiral ? 1 : 0;

  d::ClassifyUnder(*this, subgroup.get());

  d::KeptSelection selection;
  selection.Keep(*this);
  PolyElement* baseCurrent = mBaseBlock->mCurrentFace;
  PolyElement* dualCurrent = mDualBlock->mCurrentFace;
  SetFaceTypes(std::move(subgroup), RecolourOnSubSymmetry, false);
  mNetsStale = 1;
  selection.Restore(*this);
  mBaseBlock->SetCurrentFace(baseCurrent);
  mDualBlock->SetCurrentFace(dualCurrent);
  // A running augmentation preview is worked out again for the new face types.
  if (ModelPart* augmentation = AsPart(mAugmentation)) {
    const Outcome refreshed = augmentation->FaceTypesChanged();
    if (warned) warned->TakeWarnings(refreshed);
  }
  platform::Services().views->InvalidateInfo(kInfoReasonNames);
  return true;
}

}  // namespace corvia
