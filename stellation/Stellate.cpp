// Stellation set-up: turns a face-type block into a stellated one (diagrams, linking,
// facets, coincident vertices, cells), lazily and with a warning for complex models; the
// marking of the edges and vertices that the current stellation uses; and the block's
// facelet model of the current stellation and its measures.

#include "stellation/Stellate.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

#include "core/DrawnPolygon.h"
#include "core/Messages.h"
#include "core/OperationGuard.h"
#include "core/Outcome.h"
#include "core/Progress.h"
#include "core/RichTextMarkup.h"
#include "core/TimeFormat.h"
#include "core/VectorMath.h"
#include "model/CoplanarFaces.h"
#include "model/ElementFlags.h"
#include "model/ElementList.h"
#include "model/FaceType.h"
#include "model/FaceTypeBlock.h"
#include "model/Poly.h"
#include "model/PolyElement.h"
#include "nets/Model3D.h"
#include "platform/Memory.h"
#include "platform/Services.h"
#include "stellation/DeferredModelWork.h"
#include "stellation/StellationCell.h"
#include "stellation/StellationDiagram.h"
#include "stellation/StellationState.h"

namespace corvia {

namespace detail_Stellate {

// Complexity estimates above these ask before stellating, and pick the warning's words.
constexpr int64_t kComplexityAsk = 150000;
constexpr int64_t kComplexityHigh = 1000000;
constexpr int64_t kComplexityExtreme = 2500000;
constexpr unsigned kWarningQuestionFlags = 5;
constexpr size_t kWarningBufferSize = 1024;
constexpr int kMaxWalkSteps = 100000;

// A set-up that stopped on a fault without a word to the user about what it means.
constexpr const char* kStellationFailed =
    "This model could not be stellated, so neither its stellations nor its nets can be shown.";
// A set-up that ran out of memory on the way.
constexpr const char* kOutOfMemory =
    "There was not enough memory to set up this model's stellation, so neither its\n"
    "stellations nor its nets can be shown.";
// A facet model or nets that ran out of memory on the way.
constexpr const char* kFacetModelOutOfMemory =
    "There was not enough memory to make this model's facets and nets, so they cannot be shown.";
// A facet model that could not be made, for a reason no longer known.
constexpr const char* kFacetsNotMade = "This model's facets could not be made, so they cannot be shown.";
// A stellation the user declined or cancelled: the facets of a side that is not its own
// stellation come from it.
constexpr const char* kStellationNotShown =
    "Stellation cancelled: the model is not stellated, so its stellation cannot be shown.";
// A facet model of a stellation that keeps no face at all (every cell left out).
constexpr const char* kNoFacelets = "The stellation shown has no faces, so there is nothing to unfold into nets.";

// Bytes of the set-up's records (points, corners, regions, facets, cells and their
// links) per crossing of two lines in a face type's diagram: 570 to 680 on geodesic
// spheres of 180 to 500 faces.
constexpr double kBytesPerCrossing = 700.0;
constexpr double kBytesPerGigabyte = 1024.0 * 1024.0 * 1024.0;
constexpr const char* kTooLarge =
    "This model is too large to stellate on this computer: its stellation\n"
    "diagrams would need about %.1f GB of memory, and the stellation can have\n"
    "%.1f GB here. A model with the same symmetry can be stellated here up to\n"
    "about %lld faces.";

constexpr const char* kComplexityWarning =
    "<b><font color=red>Warning:</font></b> this model may be too complex to stellate.\n\n<b><font "
    "color=red>Complexity: %s</font></b>\n\nStellation is required when you display nets and at\nvarious other times, "
    "depending on what's currently\ndisplayed in the interface.\n\nAre you sure you want to attempt stellation?\nA "
    "progress meter may appear, giving you another\nchance to cancel the operation, but your computer\nmay grind to a "
    "halt if you let it go too long!";

const char* ComplexityText(int64_t estimate) {
  if (estimate < kComplexityHigh) return "FAIR (probably safe, but may take a minute)";
  if (estimate < kComplexityExtreme) return "HIGH (need fast computer with lots of memory)";
  return "EXTREME (I recommend you hit Cancel!)";
}

// The refusal of a set-up whose diagrams would need more memory than the machine gives
// it; done when they fit.
Outcome RefuseTooLarge(const FaceTypeBlock* block) {
  const double bytes = EstimateStellationBytes(block);
  const double limit = static_cast<double>(platform::WorkMemoryLimit());
  if (bytes <= limit) return Outcome::Done();
  // The diagrams grow as the cube of the number of planes.
  const double planes = static_cast<double>(block->CountPlanes());
  return Outcome::RefusedF(kTooLarge, bytes / kBytesPerGigabyte, limit / kBytesPerGigabyte,
                           static_cast<long long>(planes * std::cbrt(limit / bytes)));
}

// Narrows the progress bar for its lifetime.
class RangeScope {
 public:
  RangeScope(double a, double b) : mSaved(PushProgressRange(a, b)) {}
  ~RangeScope() { PopProgressRange(mSaved); }
  RangeScope(const RangeScope&) = delete;
  RangeScope& operator=(const RangeScope&) = delete;

 private:
  ProgressRange mSaved;
};

// The first two phases, the diagrams and their links (byEquations as
// CreateStellationDiagram); false on cancel or failure, a refusal's words in why.
// *equationsMayPart true where they failed on crossings too near together for the
// points' coordinates, in a model whose diagrams may be made by equations.
bool MakeLinkedDiagrams(FaceTypeBlock* block, bool byEquations, Outcome& why, bool* equationsMayPart) {
  const int n = block->CountDistinctFaceTypes();
  {
    TraceScope phase("Create stellation diagrams");
    RangeScope range(0.0, 0.3);
    int i = 0;
    for (FaceType* type = block->mFirstFaceType; type; type = type->mNext) {
      if (type->mCoplanarMaster) continue;
      RangeScope part(static_cast<double>(i) / n, static_cast<double>(i + 1) / n);
      if (!CreateStellationDiagram(type, i, n, &why, byEquations, equationsMayPart)) return false;
      ++i;
    }
  }
  TraceScope phase("Link lines");
  RangeScope range(0.3, 0.6);
  int total = 0;
  for (FaceType* type = block->mFirstFaceType; type; type = type->mNext) {
    if (!type->mCoplanarMaster) total += CountLines(type);
  }
  int counter = 0;
  for (FaceType* type = block->mFirstFaceType; type; type = type->mNext) {
    if (type->mCoplanarMaster) continue;
    if (!LinkLines(type, &counter, total)) return false;
    if (!SetNeighPointers(type, &why)) {
      // Diagrams that disagree on their crossings.
      *equationsMayPart = !byEquations && why.told() && DiagramsMayUseEquations(type);
      return false;
    }
  }
  // Planes that are images of one another by the symmetry, whose diagrams each agree with
  // their neighbours' yet part crossings too near together otherwise than their images:
  // the cells could not pair their facets.
  if (!MirrorDiagramsAgree(block, &why)) {
    *equationsMayPart = !byEquations && DiagramsMayUseEquations(block->mFirstFaceType);
    return false;
  }
  return true;
}

// The five phases; false on cancel or failure, a refusal's words in why.
bool RunPhases(FaceTypeBlock* block, Outcome& why) {
  const int n = block->CountDistinctFaceTypes();
  bool equationsMayPart = false;
  if (!MakeLinkedDiagrams(block, false, why, &equationsMayPart)) {
    if (!equationsMayPart) return false;
    // Crossings too near together for their coordinates to part: every diagram is made
    // again by the equations of the lines, for the diagrams of a model to agree on
    // their crossings.
    for (FaceType* type = block->mFirstFaceType; type; type = type->mNext) type->ClearStellationDiagram();
    why = Outcome();
    if (!MakeLinkedDiagrams(block, true, why, &equationsMayPart)) return false;
  }
  {
    TraceScope phase("Create facets");
    RangeScope range(0.6, 0.65);
    bool allFacets = true;
    int i = 0;
    for (FaceType* type = block->mFirstFaceType; type; type = type->mNext) {
      if (type->mCoplanarMaster) continue;
      if (!UpdateProgress(static_cast<double>(i) / n, "Creating symmetric facets for face type %d of %d.", i + 1, n)) {
        return false;
      }
      ++i;
      // A failure does not stop the other types, but the set-up ends after the phase.
      if (!CreateFacets(type)) {
        allFacets = false;
        continue;
      }
      type->LinkRotatedCorners();
      MarkPointsOnAxes(type);
      for (StellationLine* line = type->mLineEqns; line; line = line->mNext) {
        if (line->LiesInMirrorPlane(type)) line->mFlags |= kLineInMirrorPlane;
      }
    }
    if (!allFacets) return false;
  }
  {
    TraceScope phase("Join coincident vertices");
    RangeScope range(0.65, 0.8);
    int i = 0;
    for (FaceType* type = block->mFirstFaceType; type; type = type->mNext) {
      if (type->mCoplanarMaster) continue;
      RangeScope part(static_cast<double>(i) / n, static_cast<double>(i + 1) / n);
      if (!JoinCoincidentVertices(type, i, n)) return false;
      ++i;
    }
    if (!UpdateProgress(1.0, "Copying coplanar face type info.")) return false;
    // Whether a copy's first face shares its master's plane is read off the masters'
    // rings numbered once: a walk round the plane for each type reads a plane of many
    // types once per type.
    std::vector<const PolyElement*> masterFaces;
    for (const FaceType* type = block->mFirstFaceType; type; type = type->mNext) {
      if (type->mCoplanarMaster) masterFaces.push_back(type->mCoplanarMaster->mFirstFace);
    }
    const CoplanarRingIndex rings(masterFaces);
    ProgressTicker tick;
    for (FaceType* type = block->mFirstFaceType; type; type = type->mNext) {
      if (!tick()) return false;
      CopyCoplanarInfo(type, &rings);
    }
  }
  {
    TraceScope phase("Create cells");
    RangeScope range(0.8, 1.0);
    if (!block->CreateCells(&why)) return false;
  }
  return true;
}

// Sets the busy flag for its lifetime.
class BusyScope {
 public:
  BusyScope() { StellationBusy = true; }
  ~BusyScope() { StellationBusy = false; }
  BusyScope(const BusyScope&) = delete;
  BusyScope& operator=(const BusyScope&) = delete;
};

}  // namespace detail_Stellate

Outcome Stellate(Poly* poly, FaceTypeBlock* block, bool /*flag*/) {
  using namespace detail_Stellate;
  if (!block || block->mState >= kBlockStellated || block->mStellationRefused) return Outcome::Done();
  if (poly->IsTransitionRunning() && !poly->mTransitionDirection) return Outcome::Done();
  if (!block->mFirstFaceType || StellationBusy) return Outcome::Done();
  // The block's facet model is in use while its nets are made (a pane painted from their
  // progress window asks for the set-up), and the set-up frees it: it comes after them.
  if (const Model3D* model = block->GetExistingModel3D(); model && model->IsMakingNets()) return Outcome::Done();
  // A drawing never waits on a long set-up (nor asks about one): it is made when the
  // program is next idle.
  if (IsDrawingContextHeld() && DeferStellation(block)) return Outcome::Done();
  platform::ViewNotifier* views = platform::Services().views;

  // Planes enough to need more memory than there is: refused in words, as it stands.
  if (Outcome tooLarge = RefuseTooLarge(block); tooLarge.told()) {
    block->mStellationRefused = 1;
    block->mStellationDeclined = 0;
    block->mModel3DRefusal = tooLarge.text();
    views->InvalidateInfo(kInfoReasonStellationSetup);
    return tooLarge;
  }

  const int64_t estimate = block->EstimateComplexity();
  if (estimate > kComplexityAsk) {
    int answer = 1;
    {
      BusyScope busy;
      // The question box shows plain text: the warning's words without its mark-up.
      const std::string markup = FormatLimited(kWarningBufferSize, kComplexityWarning, ComplexityText(estimate));
      answer = AskQuestion(kWarningQuestionFlags, "WARNING", {"Proceed anyway", "+Cancel"}, "%s",
                           RichTextPlainText(markup.c_str()).c_str());
    }
    if (answer != 0) {
      block->mStellationRefused = 1;
      block->mStellationDeclined = 1;
      views->InvalidateInfo(kInfoReasonStellationSetup);
      return Outcome::Done();
    }
  }
  if (block->mState != kBlockNotStellated) {
    block->Clear(false);
    block->mStellationRefused = 0;
  }

  TraceScope trace("Stellate");
  platform::WaitCursorScope wait;
  const int cancels = GetProgressCancelCount();
  const int told = GetToldMessageCount();
  bool ok = false;
  bool outOfMemory = false;
  Outcome why;
  {
    // Busy for the whole set-up: a pane painted from the progress window's message loop
    // must not build a facelet model from half-made diagrams.
    BusyScope busy;
    ProgressScope progress;
    block->mState = kBlockStellated;
    // Memory that runs out on the way (the estimate is rough) ends the set-up as a
    // failed phase does, and is told as such: the half-made diagrams go below.
    if (!RunOperation(
            "set up the stellation", [&] { ok = RunPhases(block, why); }, false)) {
      ok = false;
      outOfMemory = true;
      why = Outcome::Refused(kOutOfMemory);
    }
  }
  // A failed or cancelled set-up leaves no half-built diagram: the block refuses to
  // stellate again until its face types are rebuilt.
  Outcome outcome;
  if (!ok) {
    block->Clear(false);
    // A lack of memory is no verdict on the model: the next step asks again.
    block->mStellationOutOfMemory = outOfMemory ? 1 : 0;
    // A refusal comes back with its reason; a cancel needs no word, nor a stop already
    // told; any other stop (an internal error among them) leaves the user without
    // stellations and nets, and is said so.
    const bool cancelled = GetProgressCancelCount() != cancels && !WasProgressEndedByInternalError();
    if (cancelled && !why.told()) block->mStellationDeclined = 1;
    if (why.told()) {
      outcome = why;
    } else if (!cancelled && GetToldMessageCount() == told) {
      outcome = Outcome::Refused(kStellationFailed);
    }
    // The stellation panes say why they stay empty.
    if (outcome.told()) block->mModel3DRefusal = outcome.text();
  }
  views->InvalidateInfo(kInfoReasonStellationSetup);
  return outcome;
}

Outcome StellateForStep(Poly* poly, FaceTypeBlock* block) {
  using namespace detail_Stellate;
  if (block && block->mStellationRefused && block->mState == kBlockNotStellated) {
    if (!block->mStellationDeclined && !block->mStellationOutOfMemory) {
      Outcome tooLarge = RefuseTooLarge(block);
      return tooLarge.told() ? tooLarge : Outcome::Refused(kStellationFailed);
    }
    block->mStellationRefused = 0;
    block->mStellationDeclined = 0;
    block->mStellationOutOfMemory = 0;
  }
  return Stellate(poly, block, false);
}

double EstimateStellationBytes(const FaceTypeBlock* block) {
  using namespace detail_Stellate;
  if (!block) return 0.0;
  const double lines = static_cast<double>(std::max<int64_t>(block->CountPlanes() - 1, 0));
  return static_cast<double>(block->CountDistinctFaceTypes()) * lines * lines / 2.0 * kBytesPerCrossing;
}

Outcome StellateBlock(Poly* poly, bool dual, int arg) {
  return Stellate(poly, dual ? poly->mDualBlock.get() : poly->mBaseBlock.get(), arg != 0);
}

// ---- Used edges and vertices -------------------------------------------------------------------------

namespace detail_Stellate {

bool SameSurface(const StellationFacet* facet, bool down) {
  return facet && facet->IsVisible() && ((facet->mFlags & kFacetFacesDown) != 0) == down;
}

bool RegionOnSurface(const SegVert* corner, bool down) {
  return corner && corner->mSegment && SameSurface(corner->mSegment->mFacet, down);
}

// Whether the corner's point is a vertex of the stellated model's outline in this plane:
// on the side of the corner's line that holds the corner's region, every region up to
// the line's continuation must belong to the surface with the same side, and on the other
// side none. -1 when the walk round the point does not close.
int IsOutlineCorner(const SegVert* c, bool down) {
  const SegVert* x = c->mPrev ? c->mPrev->mTwin : nullptr;
  int steps = 0;
  while (x != c) {
    if (!x || ++steps > kMaxWalkSteps) return -1;
    if (x->mLine == c->mLine) break;
    if (!RegionOnSurface(x, down)) return 1;
    x = x->mPrev ? x->mPrev->mTwin : nullptr;
  }
  if (x == c) return -1;
  while (x != c) {
    if (!x || ++steps > kMaxWalkSteps) return -1;
    if (RegionOnSurface(x, down)) return 1;
    x = x->mPrev ? x->mPrev->mTwin : nullptr;
  }
  return 0;
}

void MarkRing(StellationPoint* point) {
  StellationPoint* p = point;
  int steps = 0;
  do {
    p->mFlags |= kPointUsed | kPointCounted;
    p = p->mCoincident;
  } while (p && p != point && ++steps < kMaxWalkSteps);
}

}  // namespace detail_Stellate

void MarkAllUsedSegVerts(FaceTypeBlock* block) {
  using namespace detail_Stellate;
  if (!block || block->mUsedSegVerts >= 0) return;
  for (FaceType* type = block->mFirstFaceType; type; type = type->mNext) {
    if (type->mCoplanarMaster) continue;
    for (StellationPoint* p = type->mInnerPoints; p; p = p->mNext) p->mFlags &= ~(kPointUsed | kPointCounted);
    for (StellationSegment* s = type->mFirstSegment; s; s = s->mNext) {
      SegVert* corner = s->mFirst;
      int steps = 0;
      do {
        corner->mFlags &= ~(kSegVertUsed | kSegVertWork);
        if (corner->mTwin) corner->mTwin->mFlags &= ~(kSegVertUsed | kSegVertWork);
        corner = corner->mNext;
      } while (corner && corner != s->mFirst && ++steps < kMaxWalkSteps);
    }
  }
  if (!block->mFirstFaceType || !block->IsStellated()) {
    block->mUsedSegVerts = 0;
    return;
  }
  int count = 0;
  bool reported = false;
  for (FaceType* type = block->mFirstFaceType; type; type = type->mNext) {
    if (type->mCoplanarMaster) continue;
    const int rotations = type->mNumRotations > 0 ? type->mNumRotations : 1;
    for (StellationFacet* f = type->mVisibleFacets; f; f = f->mNextVisible) {
      const bool down = (f->mFlags & kFacetFacesDown) != 0;
      for (int k = 0; k < rotations; ++k) {
        StellationSegment* segment = f->GetSegment(k);
        if (!segment || !segment->mFirst) continue;
        SegVert* c = segment->mFirst;
        int steps = 0;
        do {
          SegVert* next = c->mNext;
          bool skip = false;
          if (RegionOnSurface(c->mTwin, down)) {
            // Two coplanar regions of the surface: the edge counts only where the
            // surface also turns into the neighbouring plane there.
            const SegVert* other = c->GetAdjacent(down);
            skip = !other || !other->mSegment || !other->mSegment->mFacet || !other->mSegment->mFacet->IsVisible();
          }
          if (!skip) {
            c->mFlags |= kSegVertUsed;
            if (c->mTwin) c->mTwin->mFlags |= kSegVertUsed;
            StellationPoint* p = c->mPoint;
            // A point that runs straight on for one region may be a corner of another
            // met later (another side, another facet): asked again until counted.
            if (!(p->mFlags & kPointCounted)) {
              const int corner = IsOutlineCorner(c, down);
              if (corner < 0) {
                if (!reported) ShowInternalError("MarkAllUsedSegVerts");
                reported = true;
              } else if (corner == 0) {
                p->mFlags |= kPointUsed;
              } else {
                if (!(p->mFlags & kPointCounted)) count += p->GetNumCopies();
                MarkRing(p);
              }
            }
          }
          c = next;
        } while (c && c != segment->mFirst && ++steps < kMaxWalkSteps);
      }
    }
  }
  block->mUsedSegVerts = count;
}

// ---- The facelet model ----------------------------------------------------------------------------------

bool FaceTypeBlock::HasPlainFacetModel() const {
  if (!mOwner) return false;
  const uint32_t flags = mOwner->mPolyFlags;
  return IsOriginalStellation(this) &&
         ((flags & kPolyFlagConvex) || (!IsDual() && (flags & (kPolyFlagDensityOne | kPolyFlagPlainSurface))) ||
          HasCornersAtInfinity());
}

Model3D* FaceTypeBlock::GetModel3D(bool withNets, Outcome* why) {
  // The nets being made (a drawing while their progress window pumps): as they stand.
  if (mModel3D && mModel3D->IsMakingNets()) return mModel3D.get();
  // A model being made (one rebuilt in place pumps the window between its stages) has
  // faces whose types and axes are not yet set: facelets made from them would be
  // numbered against the wrong rotations, and kept. The drawing after the build asks.
  if (IsDrawingContextHeld() && g_ModelBusy) return mModel3D.get();
  // A drawing never waits on long work: it is made when the program is next idle. One
  // whose making the user cancelled is not begun again by a drawing.
  if (IsDrawingContextHeld() && !mModel3D && mModel3DCancelled) return nullptr;
  if (IsDrawingContextHeld() && DeferFacetModel(this, withNets)) return mModel3D.get();
  const bool needModel = !mModel3D && !mModel3DRefused && mFirstFaceType && !StellationBusy && !mCellSearch && mOwner;
  const bool needNets = withNets && (needModel || (mModel3D && !mModel3D->HasNets()));
  if (!needModel && !needNets) return mModel3D.get();
  platform::WaitCursorScope wait;
  // Memory that runs out while the facet model or its nets are made ends that work:
  // the half-made model goes and is not asked for again until the block changes.
  Model3D* made = nullptr;
  const auto make = [&]() -> Model3D* {
    if (needModel) {
      const int cancels = GetProgressCancelCount();
      const int told = GetToldMessageCount();
      // A side with corners at infinity is refused by the plain build with a message;
      // its cells would stand for some finite solid that is not the polyhedron. The
      // refusal is remembered: every pane asks for the model on every paint.
      const bool infinite = HasCornersAtInfinity();
      const bool plain = HasPlainFacetModel();
      Outcome outcome;
      if (plain) {
        mModel3D = MakePart<Model3D>(mOwner, IsDual(), &outcome);
        if (why) *why = outcome;
        if (infinite && mModel3D->GetNumFaceTypes() == 0) {
          mModel3DRefused = 1;
          if (outcome.told()) mModel3DRefusal = outcome.text();
        }
      } else {
        // A set-up that cannot run now (another one under way, a model fading out) comes
        // later; one that was declined or cancelled has had its word, and one that
        // failed gives its reason back.
        outcome = Stellate(mOwner, this, false);
        if (why) *why = outcome;
        if (!IsStellated()) {
          if (outcome.told()) mModel3DRefusal = outcome.text();
          return nullptr;
        }
        // A set-up small enough for a drawing may still show cells of many facelets:
        // those wait for the program's idle time as any large facet model does.
        if (IsDrawingContextHeld() && DeferFacetModel(this, withNets)) return nullptr;
        MarkAllUsedSegVerts(this);
        mModel3D = MakePart<Model3D>(this, mUsedSegVerts);
      }
      // A model left without facelets (a side with corners at infinity, a cancelled
      // build, a stellation with every cell left out) is no model. Unless cancelled, it
      // is not built again on every paint, and the user learns why it is missing: from
      // the refusal given back, else from a box told meanwhile, else from the pane.
      if (mModel3D->GetNumFaceTypes() == 0) {
        mModel3D.reset();
        if (GetProgressCancelCount() == cancels) {
          mModel3DRefused = 1;
          if (outcome.told()) {
            mModel3DRefusal = outcome.text();
          } else if (!plain && GetToldMessageCount() == told) {
            mModel3DRefusal = detail_Stellate::kNoFacelets;
            platform::Services().views->SetPaneMessage(detail_Stellate::kNoFacelets);
          }
        } else {
          mModel3DCancelled = 1;
        }
        return nullptr;
      }
      mModel3DCancelled = 0;
    }
    // The nets of a facet model made here, now that its facelets are known.
    if (mModel3D && withNets && !mModel3D->HasNets() && IsDrawingContextHeld() && DeferFacetModel(this, true)) {
      return mModel3D.get();
    }
    if (mModel3D && withNets && !mModel3D->HasNets()) {
      for (DrawnPolygon* polygon = mOwner ? mOwner->mDrawnPolygons : nullptr; polygon; polygon = polygon->next) {
        mModel3D->AddDrawnPolygon(polygon);
      }
      mModel3D->MakeNets();
    }
    return mModel3D.get();
  };
  if (RunOperation(
          "make the facet model and its nets", [&] { made = make(); }, why == nullptr))
    return made;
  mModel3D.reset();
  mModel3DRefused = 1;
  mModel3DRefusal = detail_Stellate::kFacetModelOutOfMemory;
  if (why) *why = Outcome::Refused(detail_Stellate::kFacetModelOutOfMemory);
  return nullptr;
}

std::string DescribeMissingFacets(const FaceTypeBlock* block) {
  using namespace detail_Stellate;
  if (!block || block->GetExistingModel3D()) return {};
  const bool stellationRefused = block->mStellationRefused && !block->IsStellated();
  if ((block->mModel3DRefused || stellationRefused) && !block->mModel3DRefusal.empty()) return block->mModel3DRefusal;
  if (stellationRefused) return block->mStellationDeclined ? kStellationNotShown : kStellationFailed;
  return block->mModel3DRefused ? kFacetsNotMade : std::string();
}

bool FaceTypeBlock::HasNets() const {
  return mModel3D && mModel3D->HasNets();
}

// ---- Measures of the stellated model ----------------------------------------------------

double CalcStellatedRadius(FaceType* type) {
  Model3D* model = type->mBlock ? type->mBlock->GetExistingModel3D() : nullptr;
  Face3D* first = model && type->mFirstFace ? PolyElement::GetFace3D(type->mFirstFace) : nullptr;
  if (!first) return 1.0;
  double largest = 0.0;
  const int limit = model->GetNumFacelets();
  Face3D* facelet = first;
  int steps = 0;
  do {
    for (int i = 0; i < facelet->GetNumEdges(); ++i) {
      double d[3];
      Subtract(d, Face3D::GetCornerPosition(&facelet->mEdges[i]), type->mFirstFace->mCentre);
      largest = std::max(largest, Dot(d, d));
    }
    facelet = facelet->mNextCopy;
  } while (facelet && facelet != first && ++steps < limit);
  type->mScale = std::sqrt(largest);
  return type->mScale;
}

double UpdateScale(FaceTypeBlock* block, Outcome* why) {
  if (block->mModelRadius >= 0.0) return block->mModelRadius;
  Model3D* model = block->GetModel3D(false, why);
  if (!model) return block->mModelRadius;
  block->mModelRadius = Model3D::CalcMaxRadius(model);
  for (FaceType* type = block->mFirstFaceType; type; type = type->mNext) {
    type->mScale = type->mCoplanarMaster ? type->mCoplanarMaster->mScale : CalcStellatedRadius(type);
  }
  return block->mModelRadius;
}

bool CanBuildStellationWithKit(Poly* poly, bool dual, Outcome* why) {
  if (StellationBusy || g_ModelBusy) return true;
  FaceTypeBlock* block = dual ? poly->mDualBlock.get() : poly->mBaseBlock.get();
  Model3D* model = block ? block->GetModel3D(false, why) : nullptr;
  return model && model->CanBuildWithGeomag();
}

}  // namespace corvia
