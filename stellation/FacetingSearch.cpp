// The search for facetings: the isohedral criteria walk the facets one by one; the
// other criteria search depth first over the open edges, taking from each chosen
// edge's use list one facet after another. A chiral facet that joins a faceting whose
// chiral facets are all matched first brings its mirror partner in with it; when that
// branch is done the partner stays excluded, so that of a faceting and its mirror
// image only one is found. Facets tried at a level stay marked until the search
// leaves that level.

#include <cstdio>
#include <cstring>
#include <limits>
#include <string>

#include "core/Messages.h"
#include "core/Progress.h"
#include "core/TimeFormat.h"
#include "model/Globals.h"
#include "model/Poly.h"
#include "platform/Services.h"
#include "stellation/Faceting.h"
#include "symmetry/SymGroup.h"
#include "symmetry/SymOperations.h"

namespace corvia {

namespace detail_FacetingSearch {

constexpr int kPassesPerReport = 100;
constexpr double kPassScale = 10000.0;
constexpr int kFacetingsPerReport = 10000;
constexpr int kCountTextSize = 128;

bool MaintainReflexibility() {
  return (StellationOptions & kStellationMaintainReflexibility) != 0;
}

// The count as a plain number; -1 past what one holds.
int64_t PlainCount(const BigUInt& count) {
  int64_t value = 0;
  for (int i = count.Count() - 1; i >= 0; --i) {
    if (value > (std::numeric_limits<int64_t>::max() >> 32)) return -1;
    value = value << 32 | count.Word(i);
  }
  return value;
}

}  // namespace detail_FacetingSearch

// ---- Marks of tried facets ----------------------------------------------------------------

void Faceting::MarkTried(Facet* facet, int level) {
  facet->mDepth = level;
  mMarks.push_back(facet);
}

void Faceting::PopLevel() {
  const size_t start = mStack.back().marksStart;
  for (size_t i = start; i < mMarks.size(); ++i) mMarks[i]->mDepth = -1;
  mMarks.resize(start);
  mStack.pop_back();
}

// ---- Complete facetings ------------------------------------------------------------------

int Faceting::IsAcceptableFaceting() const {
  const FacetingSettings& settings = GetFacetingSettings();
  if (mUsedVertexTypes != mNumVertexTypes && !(settings.options & kFacetingAcceptPartial)) return 0;
  const int n = mFacetsInFaceting;
  if (n > settings.maxFacetTypes || n < UnitingFace) return 0;
  if (n >= settings.minFacetTypes) return 1;
  if (mNumUnmatchedChirals != n || 2 * n < settings.minFacetTypes || 2 * n > settings.maxFacetTypes) return 0;
  return 2;
}

bool Faceting::MakeChiralCompound() {
  std::vector<Facet*> facets;
  for (Facet* facet = GetFirstFacetInFaceting(); facet; facet = facet->GetNextInFaceting()) facets.push_back(facet);
  std::vector<Facet*> added;
  for (auto it = facets.rbegin(); it != facets.rend(); ++it) {
    Facet* mirror = (*it)->mMirror;
    if (!(*it)->IsChiral() || !mirror->IsAcceptableWithMirror(0)) {
      for (auto back = added.rbegin(); back != added.rend(); ++back) RemoveFacet(*back);
      return false;
    }
    AddFacet(mirror);
    added.push_back(mirror);
  }
  isChiralCompound = 1;
  return true;
}

void Faceting::RemoveMirrorHalf() {
  const int half = mFacetsInFaceting / 2;
  for (int i = 0; i < half; ++i) RemoveFacet(static_cast<Facet*>(mFacetingTail));
  isChiralCompound = 0;
}

FacetingEdge* Faceting::ChooseOpenEdge() const {
  FacetingEdge* best = nullptr;
  int bestCount = 0;
  const bool united = mFacetsInFaceting >= UnitingFace;
  for (ListNode* node = mOpenHead; node; node = node->mNext) {
    FacetingEdge* edge = static_cast<FacetingEdge*>(node);
    const Facet* opener = edge->mFirstUse ? edge->mFirstUse->facet : nullptr;
    if (!united && opener && (opener->mFlags & kFacetUnreached)) continue;
    const int count = edge->CountCandidates();
    if (!best || count < bestCount || (count == bestCount && edge->mIndex < best->mIndex)) {
      best = edge;
      bestCount = count;
    }
  }
  return best;
}

// ---- The depth-first search ---------------------------------------------------------------

Faceting::SearchStep Faceting::ChooseEdgeOrComplete(bool* found) {
  if (mNumOpenEdges == 0) {
    const int verdict = IsAcceptableFaceting();
    if (verdict == 1 || (verdict == 2 && MakeChiralCompound())) {
      *found = true;
      mResumeByBacktracking = true;
    }
    return SearchStep::kBacktrack;
  }
  if (mFacetsInFaceting >= GetFacetingSettings().maxFacetTypes) return SearchStep::kBacktrack;
  FacetingEdge* edge = ChooseOpenEdge();
  if (!edge) return SearchStep::kBacktrack;
  FacetingSearchLevel level;
  level.kind = FacetingSearchLevel::kEdge;
  level.edge = edge;
  level.next = edge->mUseList;
  level.marksStart = mMarks.size();
  mStack.push_back(level);
  return SearchStep::kAdvance;
}

Faceting::SearchStep Faceting::AfterAdd(Facet* added, bool fromPending, bool* found) {
  const int count = mFacetsInFaceting;
  if (count < UnitingFace) {
    // The part grown from the root and the part grown from a pending partner meet at
    // an edge that one of them opened and the new facet closed.
    for (const FacetEdgeRecord& record : added->mEdgeRecords) {
      const FacetingEdge* edge = record.edge;
      if (!edge->IsClosed() || !edge->mFirstUse || edge->mFirstUse->facet == added) continue;
      const bool openerUnreached = (edge->mFirstUse->facet->mFlags & kFacetUnreached) != 0;
      if (openerUnreached != fromPending) {
        UnitingFace = count;
        break;
      }
    }
  }
  if (!detail_FacetingSearch::MaintainReflexibility() && mNumUnmatchedChirals == 1 && added->IsChiral() &&
      added->mMirror->mDepth < 0 && !(added->mMirror->mFlags & kFacetInFaceting)) {
    // Tried next at once; excluded from this level on, whatever comes of it.
    MarkTried(added->mMirror, int(mStack.size()) - 1);
    FacetingSearchLevel level;
    level.kind = FacetingSearchLevel::kPending;
    level.pending = added->mMirror;
    level.marksStart = mMarks.size();
    mStack.push_back(level);
    return SearchStep::kAdvance;
  }
  return ChooseEdgeOrComplete(found);
}

int Faceting::RunSearch(SearchStep step) {
  const bool mirrorPairs = detail_FacetingSearch::MaintainReflexibility();
  for (;;) {
    if (++mSearchPasses % detail_FacetingSearch::kPassesPerReport == 0) {
      const double k = double(mSearchPasses);
      if (!UpdateProgress(k / (k + detail_FacetingSearch::kPassScale), "Finding next faceting.")) {
        mResumeByBacktracking = step == SearchStep::kBacktrack;
        return -1;
      }
    }
    if (mStack.empty()) return 0;
    if (step == SearchStep::kBacktrack) {
      if (mOnlyMarked) {
        // Restricted to the drawn facets, the search stops where it cannot go on.
        mResumeByBacktracking = true;
        return 0;
      }
      FacetingSearchLevel& top = mStack.back();
      if (top.addedMirror) RemoveFacet(top.addedMirror);
      if (top.added) RemoveFacet(top.added);
      top.added = top.addedMirror = nullptr;
      step = SearchStep::kAdvance;
      continue;
    }
    const int levelIndex = int(mStack.size()) - 1;
    FacetingSearchLevel& top = mStack.back();
    bool found = false;
    if (top.kind == FacetingSearchLevel::kRoot) {
      Facet* candidate = top.cursor ? top.cursor->GetNext() : GetFirstFacet();
      for (;; candidate = candidate->GetNext()) {
        if (!candidate) {
          Reset(true, true);
          return 0;
        }
        top.cursor = candidate;
        if (candidate->mDepth >= 0) continue;
        MarkTried(candidate, 0);
        const bool chiral = candidate->IsChiral();
        if (mirrorPairs && chiral && candidate->mMirror->mDepth < 0) MarkTried(candidate->mMirror, 0);
        if (candidate->IsAcceptableWithMirror(0)) break;
        if (chiral && candidate->mMirror->mDepth < 0) MarkTried(candidate->mMirror, 0);
      }
      UnitingFace = -1;
      AddFacetWithMirror(candidate);
      top.added = candidate;
      if (mirrorPairs && candidate->IsChiral()) top.addedMirror = candidate->mMirror;
      step = AfterAdd(candidate, false, &found);
      if (found) return 1;
      continue;
    }
    if (top.kind == FacetingSearchLevel::kPending) {
      if (top.phase == 0) {
        top.phase = 1;
        Facet* partner = top.pending;
        if ((!mOnlyMarked || (partner->mFlags & kFacetMarked)) && partner->IsAcceptableWithMirror(0)) {
          if (mFacetsInFaceting == 1) UnitingFace = kFacetingNoLimit;
          AddFacet(partner);
          if (mFacetsInFaceting < UnitingFace) partner->mFlags |= kFacetUnreached;
          top.added = partner;
          step = AfterAdd(partner, true, &found);
          if (found) return 1;
          continue;
        }
      }
      if (top.phase == 1) {
        top.phase = 2;
        step = ChooseEdgeOrComplete(&found);
        if (found) return 1;
        continue;
      }
      PopLevel();
      step = SearchStep::kBacktrack;
      continue;
    }
    // An edge level: the next facet of the edge's use list that fits.
    Facet* taken = nullptr;
    for (FacetEdgeRecord* record = top.next; record; record = record->nextUse) {
      top.next = record->nextUse;
      Facet* facet = record->facet;
      if (facet->mDepth >= 0) continue;
      MarkTried(facet, levelIndex);
      const bool chiral = facet->IsChiral();
      if (mirrorPairs && chiral && facet->mMirror->mDepth < 0) MarkTried(facet->mMirror, levelIndex);
      if ((!mOnlyMarked || (facet->mFlags & kFacetMarked)) && facet->IsAcceptableWithMirror(kFacetIsohedral)) {
        taken = facet;
        break;
      }
      if (!mirrorPairs && mNumUnmatchedChirals == 0 && chiral && facet->mMirror->mDepth < 0) {
        MarkTried(facet->mMirror, levelIndex);
      }
    }
    if (taken) {
      AddFacetWithMirror(taken);
      top.added = taken;
      if (mirrorPairs && taken->IsChiral()) top.addedMirror = taken->mMirror;
      step = AfterAdd(taken, false, &found);
      if (found) return 1;
      continue;
    }
    if (mOnlyMarked) {
      // Stuck: the search walks this edge afresh when it goes on.
      for (size_t i = top.marksStart; i < mMarks.size(); ++i) mMarks[i]->mDepth = -1;
      mMarks.resize(top.marksStart);
      top.next = top.edge->mUseList;
      mResumeByBacktracking = false;
      return 0;
    }
    PopLevel();
    step = SearchStep::kBacktrack;
  }
}

bool Faceting::FindNextInSearch() {
  const FacetingSettings& settings = GetFacetingSettings();
  if (isChiralCompound) {
    RemoveMirrorHalf();
    mResumeByBacktracking = true;
  } else if (mResumeByBacktracking && mFacetsInFaceting > 0 && mNumUnmatchedChirals == mFacetsInFaceting &&
             mNumOpenEdges == 0 && 2 * mFacetsInFaceting <= settings.maxFacetTypes && MakeChiralCompound()) {
    // A chiral faceting is shown next with its mirror image.
    return true;
  }
  ProgressScope progress;
  SetShowTimeRemaining(false);
  SearchStep step = mResumeByBacktracking ? SearchStep::kBacktrack : SearchStep::kAdvance;
  if (mStack.empty()) {
    FacetingSearchLevel root;
    root.marksStart = mMarks.size();
    mStack.push_back(root);
    step = SearchStep::kAdvance;
  }
  mResumeByBacktracking = false;
  const int result = RunSearch(step);
  if (result < 0) mSearchCancelled = true;
  return result > 0;
}

// ---- Isohedral facetings ------------------------------------------------------------------

bool Faceting::FindNextIsohedral(bool backwards) {
  const bool mirrorPairs = detail_FacetingSearch::MaintainReflexibility();
  const bool partial = (GetFacetingSettings().options & kFacetingAcceptPartial) != 0;
  Facet* position = mPosition;
  if (!position && mFacetingHead) {
    position = GetFirstFacetInFaceting();
    if (!backwards && position->IsChiral() && (position->mMirror->mFlags & kFacetInFaceting)) {
      position = position->mMirror;
    }
  }
  for (;;) {
    while (mFacetingHead) RemoveFacet(GetFirstFacetInFaceting());
    isChiralCompound = 0;
    Facet* candidate = position ? (backwards ? position->GetPrev() : position->GetNext())
                                : (backwards ? GetLastFacet() : GetFirstFacet());
    if (!candidate) {
      Reset(true, true);
      return false;
    }
    position = candidate;
    bool accepted = false;
    if (candidate->mFlags & kFacetSecondOfPair) {
      // With its partner, the orbit of a chiral facet under the full group.
      Facet* partner = candidate->mMirror;
      if (candidate->IsAcceptableWithMirror(0)) {
        Facet* first = backwards ? candidate : partner;
        Facet* second = backwards ? partner : candidate;
        AddFacetWithMirror(first);
        if (!mirrorPairs && second->IsAcceptable(0)) AddFacet(second);
        accepted = (second->mFlags & kFacetInFaceting) && mNumOpenEdges == 0;
      }
    } else if ((candidate->mFlags & kFacetIsohedral) && !(mirrorPairs && candidate->IsChiral()) &&
               candidate->IsAcceptableWithMirror(0)) {
      AddFacetWithMirror(candidate);
      accepted = mNumOpenEdges == 0;
    }
    if (accepted && (mUsedVertexTypes == mNumVertexTypes || partial)) {
      mPosition = candidate;
      return true;
    }
  }
}

// ---- Stepping -------------------------------------------------------------------------------

bool Faceting::FindNextFaceting() {
  mSearchCancelled = false;
  if (!Prepare()) return false;
  const int criteria = GetFacetingSettings().criteria;
  if (criteria == kFacetingIsohedral) return FindNextIsohedral(false);
  if (criteria < kFacetingTidyAndDuals || criteria > kFacetingCoplanarVerts) return false;
  return FindNextInSearch();
}

bool Faceting::ShowRefusal() {
  platform::Services().undo->DiscardLastUndo();
  char path[256];
  GetMenuPathOfCommand(kCommandFacetingIsohedral, path, sizeof path);
  platform::Services().views->SetPaneMessage(FormatLimited(
      kMessageBufferSize,
      "Sorry, going to the previous faceting has only\nbeen implemented when using the isohedral criteria.\n(See "
      "\"%s\").\n\nIf you want to go back to a faceting you just\npassed, try using Ctrl+Z to undo instead.",
      path));
  return false;
}

bool Faceting::FindPrevFaceting() {
  mSearchCancelled = false;
  if (!Prepare()) return false;
  const int criteria = GetFacetingSettings().criteria;
  if (criteria == kFacetingIsohedral) return FindNextIsohedral(true);
  if (isChiralCompound) {
    RemoveMirrorHalf();
    mResumeByBacktracking = true;
    return true;
  }
  return ShowRefusal();
}

// ---- Counting all facetings -----------------------------------------------------------------

bool Faceting::EnumerateFacetings() {
  if (!Prepare()) return false;
  // A new count starts from the beginning of the search, wherever a browse step left
  // it; a count that was interrupted resumes.
  if (mNumFound.IsZero()) Reset(true, false);
  ProgressScope progress(mElapsed);
  platform::Services().undo->AddUndo(kUndoDrawnPolygons, 0);
  bool cancelled = false;
  int sinceReport = 0;
  TimeSpan elapsed = mElapsed;
  while (FindNextFaceting()) {
    if (isChiralCompound) {
      ++mNumCompounds;
    } else if (mNumUnmatchedChirals >= 1) {
      ++mNumChirals;
    }
    ++mNumFound;
    elapsed = ProgressElapsedTime();
    if (++sinceReport == detail_FacetingSearch::kFacetingsPerReport) {
      sinceReport = 0;
      Facet* first = GetFirstFacetInFaceting();
      char count[detail_FacetingSearch::kCountTextSize];
      mNumFound.ToString(count, sizeof count);
      char facets[kFacetsTextSize];
      GetCurrentFacetsText(facets, sizeof facets);
      const double fraction = first && mNumFacets > 0 ? double(first->GetGlobalIndex()) / mNumFacets : 0.0;
      if (!UpdateProgress(fraction, "Enumerating facetings.  Found %s so far.\nCurrent facet%s", count, facets)) {
        cancelled = true;
        break;
      }
    }
  }
  if (mSearchCancelled) cancelled = true;
  // The count runs from the first faceting: an interrupted one stands at the faceting it
  // found last, a complete one knows them all.
  const int64_t found = detail_FacetingSearch::PlainCount(mNumFound);
  if (cancelled) {
    SetShownNumber(found);
  } else {
    mKnownTotal = found;
    mTotalKey = CurrentCountKey();
  }
  mElapsed = IsProgressActive() ? ProgressElapsedTime() : elapsed;
  // An interrupted search stands between facetings: the drawn facets stay as they were.
  if (!cancelled) ShowCurrentFaceting(this);
  return !cancelled;
}

std::string Faceting::GetEnumerationReport(bool cancelled) const {
  const char* prefix = cancelled ? "WARNING!  Enumeration was not completed.\n\n" : "";
  char total[detail_FacetingSearch::kCountTextSize];
  mNumFound.ToString(total, sizeof total);
  std::string took = FormatDuration(mElapsed);
  const char* plural = std::strcmp(total, "1") == 0 ? "" : "s";
  const Poly* poly = GetModel();
  const SymGroup* group = poly ? poly->mSymGroup : nullptr;
  if (!group || group->reflectionType == kReflectionChiral) {
    return FormatLimited(kInformationBufferSize, "%sFound %s faceting%s\nTook %s.", prefix, total, plural, took.c_str());
  }
  if (detail_FacetingSearch::MaintainReflexibility()) {
    return FormatLimited(kInformationBufferSize, "%sFound %s reflexible faceting%s.\nTook %s.", prefix, total,
                         plural, took.c_str());
  }
  BigUInt reflexible = mNumFound;
  reflexible -= mNumChirals;
  char reflexibleText[detail_FacetingSearch::kCountTextSize];
  char chiralText[detail_FacetingSearch::kCountTextSize];
  char compoundText[detail_FacetingSearch::kCountTextSize];
  reflexible.ToString(reflexibleText, sizeof reflexibleText);
  mNumChirals.ToString(chiralText, sizeof chiralText);
  mNumCompounds.ToString(compoundText, sizeof compoundText);
  const bool oneCompound = std::strcmp(compoundText, "1") == 0;
  return FormatLimited(kInformationBufferSize,
                       "%sFound %s faceting%s: %s reflexible, %s chiral.\nReflexible count includes %s compound%s of "
                       "chiral pairs.\nTook %s.",
                       prefix, total, plural, reflexibleText, chiralText, compoundText,
                       oneCompound ? "" : "s", took.c_str());
}

bool Faceting::EnumerateAndReport() {
  if (!Prepare()) return false;
  const bool complete = EnumerateFacetings();
  ShowInformation("%s", GetEnumerationReport(!complete).c_str());
  if (complete) {
    mNumFound = BigUInt(0);
    mNumChirals = BigUInt(0);
    mNumCompounds = BigUInt(0);
  }
  return complete;
}

// ---- Texts -------------------------------------------------------------------------------------

void Faceting::GetCurrentFacetsText(char* buffer, int size) const {
  if (!buffer || size <= 0) return;
  buffer[0] = '\0';
  int used = 0;
  for (const Facet* facet = GetFirstFacetInFaceting(); facet; facet = facet->GetNextInFaceting()) {
    char piece[48];
    const int length =
        std::snprintf(piece, sizeof piece, " %s%s,", Facet::GetIdText(facet), facet->IsChiral() ? "'" : "");
    if (used + length >= size - 4) {
      if (used + 3 < size) std::memcpy(buffer + used, "...", 4);
      return;
    }
    std::memcpy(buffer + used, piece, size_t(length) + 1);
    used += length;
  }
}

std::string Faceting::GetStateText() const {
  std::string text = FormatLimited(
      kInformationBufferSize, "UnitingFace %d, isChiralCompound %d, %d facets, %d unmatched chirals, %d used verts:\n",
      UnitingFace, int(isChiralCompound), mFacetsInFaceting, mNumUnmatchedChirals, mUsedVertexTypes);
  for (size_t i = 1; i < mStack.size(); ++i) {
    const FacetingSearchLevel& level = mStack[i];
    if (level.kind != FacetingSearchLevel::kEdge) continue;
    const Facet* next = level.next ? level.next->facet : nullptr;
    text += FormatLimited(kMessageBufferSize, " e%d,f%s (depth %d%s)\n", level.edge->mIndex, Facet::GetIdText(next),
                          next ? next->mDepth : -1, next && (next->mFlags & kFacetUnreached) ? ", unreached" : "");
  }
  char facets[kMessageBufferSize];
  GetCurrentFacetsText(facets, sizeof facets);
  text += "  Used faces:";
  text += facets;
  text += "\n  Done face depths:";
  for (const Facet* facet = GetFirstFacet(); facet; facet = facet->GetNext()) {
    if (facet->mDepth >= 0) text += FormatLimited(64, " %s (%d),", Facet::GetIdText(facet), facet->mDepth);
  }
  return text;
}

}  // namespace corvia
