#include "stellation/DeferredModelWork.h"

#include <algorithm>
#include <exception>
#include <vector>

#include "core/Progress.h"
#include "model/FaceType.h"
#include "model/FaceTypeBlock.h"
#include "model/Poly.h"
#include "nets/Model3D.h"
#include "platform/Services.h"
#include "stellation/Stellate.h"
#include "stellation/StellationDiagram.h"
#include "stellation/StellationState.h"

namespace corvia {

namespace detail_DeferredModelWork {

struct Request {
  FaceTypeBlock* block;
  bool stellate;
  bool facetModel;
  bool nets;
};

std::vector<Request>& Requests() {
  static std::vector<Request> requests;
  return requests;
}

// The block whose work is being done now.
const FaceTypeBlock* gRunning = nullptr;

void Note(FaceTypeBlock* block, bool stellate, bool facetModel, bool nets) {
  std::vector<Request>& requests = Requests();
  const auto found =
      std::find_if(requests.begin(), requests.end(), [block](const Request& r) { return r.block == block; });
  if (found != requests.end()) {
    found->stellate = found->stellate || stellate;
    found->facetModel = found->facetModel || facetModel;
    found->nets = found->nets || nets;
    return;
  }
  // The block forgets the request when it goes.
  StellationOf(block);
  requests.push_back({block, stellate, facetModel, nets});
  platform::Services().views->PrepareWhenIdle();
}

// Whether the facet model, with its nets when asked, is noted for the block already.
bool IsNoted(const FaceTypeBlock* block, bool nets) {
  const std::vector<Request>& requests = Requests();
  return std::any_of(requests.begin(), requests.end(),
                     [&](const Request& r) { return r.block == block && r.facetModel && (r.nets || !nets); });
}

// The facelets the block's facet model has, or would have: one per face of its side
// for the plain model (at least, before a stellation is set up); for a stellation, a
// piece of surface for every visible facet in each of its turns on every face of its
// type, which the build merges into fewer facelets where pieces meet in one plane.
long long FaceletEstimate(const FaceTypeBlock* block) {
  if (const Model3D* model = block->GetExistingModel3D()) return model->GetNumFacelets();
  const Poly* poly = block->mOwner;
  if (!poly) return 0;
  const long long faces = block->IsDual() ? poly->mVertices.mCount : poly->mFaces.mCount;
  if (block->HasPlainFacetModel() || !block->IsStellated()) return faces;
  long long pieces = 0;
  for (const FaceType* type = block->mFirstFaceType; type; type = type->mNext) {
    if (type->mCoplanarMaster || !type->mFirstFace) continue;
    long long visible = 0;
    for (const StellationFacet* f = type->mVisibleFacets; f; f = f->mNextVisible) ++visible;
    pieces += visible * std::max(type->mNumRotations, 1) * std::max(type->mCount, 1);
  }
  return pieces;
}

bool IsLongStellation(const FaceTypeBlock* block) {
  return block->EstimateComplexity() >= kDeferredStellationComplexity;
}

}  // namespace detail_DeferredModelWork

bool DeferStellation(FaceTypeBlock* block) {
  using namespace detail_DeferredModelWork;
  if (!block || block->IsStellated() || block->mStellationRefused || !block->mFirstFaceType) return false;
  if (!IsLongStellation(block)) return false;
  Note(block, true, false, false);
  return true;
}

bool DeferFacetModel(FaceTypeBlock* block, bool withNets) {
  using namespace detail_DeferredModelWork;
  if (!block) return false;
  Model3D* model = block->GetExistingModel3D();
  const bool needModel = !model && !block->mModel3DRefused && block->mFirstFaceType;
  const bool needNets = withNets && (needModel || (model && !model->HasNets()));
  if (!needModel && !needNets) return false;
  // Nets the user cancelled wait until something asks for them outside a drawing.
  if (model && needNets && !needModel && model->mNetsCancelled) return true;
  // Work already noted is waited for as it is: a drawing asks again on every paint, and
  // weighing the work walks the whole side.
  if (IsNoted(block, needNets)) return true;
  // The nets are weighed by the facelets: those of the facet model made, or the faces of
  // a plain one. A stellation's pieces merge into facelets only as its facet model is
  // made (the polyhedron itself as a stellation, a few hundred facelets, counts tens of
  // thousands of pieces): a small one is made at once and its nets weighed then.
  bool longWork = needNets && (model || block->HasPlainFacetModel()) &&
                  FaceletEstimate(block) >= kDeferredNetsFacelets;
  if (needModel && !longWork) {
    longWork = block->HasPlainFacetModel() || block->IsStellated() ? FaceletEstimate(block) >= kDeferredFacetModelFacelets
                                                                   : IsLongStellation(block);
  }
  if (!longWork) return false;
  Note(block, false, true, needNets);
  return true;
}

bool HasDeferredModelWork() { return !detail_DeferredModelWork::Requests().empty(); }

bool IsModelWorkPending(const FaceTypeBlock* block) {
  using namespace detail_DeferredModelWork;
  if (!block) return false;
  if (gRunning == block) return true;
  const std::vector<Request>& requests = Requests();
  return std::any_of(requests.begin(), requests.end(), [block](const Request& r) { return r.block == block; });
}

bool RunDeferredModelWork(const std::function<void(const Outcome&)>& tell) {
  using namespace detail_DeferredModelWork;
  std::vector<Request>& requests = Requests();
  if (requests.empty()) return true;
  // Work that memory ends half-way is dropped as a cancelled one is; the drawings ask
  // again only for what is still missing and not refused.
  struct DropOnFailure {
    std::vector<Request>& requests;
    const int exceptions = std::uncaught_exceptions();
    ~DropOnFailure() {
      if (std::uncaught_exceptions() == exceptions) return;
      requests.clear();
      gRunning = nullptr;
    }
  } dropOnFailure{requests};
  // A Cancel at the window's first report ends the work before any of it begins.
  const int cancels = GetProgressCancelCount();
  ProgressScope progress;
  bool finished = GetProgressCancelCount() == cancels;
  while (finished && !requests.empty()) {
    const Request request = requests.front();
    requests.erase(requests.begin());
    FaceTypeBlock* block = request.block;
    gRunning = block;
    if (request.stellate && block->mOwner) {
      const Outcome why = Stellate(block->mOwner, block, false);
      if (why.told() && tell) tell(why);
    }
    Model3D* model = nullptr;
    if (request.facetModel || request.nets) {
      Outcome why;
      model = block->GetModel3D(request.nets, &why);
      if (why.told() && tell) tell(why);
    }
    gRunning = nullptr;
    // A facet model that cannot be made (no facelets, a refused or cancelled set-up) is
    // not asked for again by the drawings until the block changes; one whose facelets
    // the user cancelled waits as cancelled nets do.
    if ((request.facetModel || request.nets) && !model && !WasProgressCancelRequested() &&
        !block->mModel3DCancelled) {
      block->mModel3DRefused = 1;
    }
    if (WasProgressCancelRequested()) {
      // The program stopped the work to do something else: the drawings ask again.
      if (model && !model->HasNets()) model->mNetsCancelled = false;
      block->mModel3DCancelled = 0;
      if (request.stellate && !block->IsStellated() && block->mState == kBlockNotStellated) {
        block->mStellationRefused = 0;
      }
    }
    if (!UpdateProgress(kProgressNoReport)) {
      finished = false;
      break;
    }
  }
  if (!finished) DropDeferredModelWork();
  return finished;
}

void DropDeferredModelWork() {
  using namespace detail_DeferredModelWork;
  std::vector<Request>& requests = Requests();
  // What the user's Cancel left undone waits, as the work it stopped does, until
  // something asks for it outside a drawing; after the program's stop the drawings ask
  // again.
  if (!WasProgressCancelRequested()) {
    for (const Request& request : requests) {
      if (!request.facetModel && !request.nets) continue;
      if (Model3D* model = request.block->GetExistingModel3D()) {
        if (request.nets && !model->HasNets()) model->mNetsCancelled = true;
      } else {
        request.block->mModel3DCancelled = 1;
      }
    }
  }
  requests.clear();
}

void ForgetDeferredModelWork(const FaceTypeBlock* block) {
  using namespace detail_DeferredModelWork;
  std::vector<Request>& requests = Requests();
  requests.erase(
      std::remove_if(requests.begin(), requests.end(), [block](const Request& r) { return r.block == block; }),
      requests.end());
  if (gRunning == block) gRunning = nullptr;
}

}  // namespace corvia
