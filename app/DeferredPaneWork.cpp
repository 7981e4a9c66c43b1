#include "app/DeferredPaneWork.h"

#include <algorithm>
#include <string>
#include <vector>

#include "app/PolyView.h"
#include "app/WorkInput.h"
#include "core/OperationGuard.h"
#include "core/Progress.h"
#include "model/FaceTypeBlock.h"
#include "nets/Model3D.h"
#include "render/FaceMeshCache.h"
#include "render/NewView.h"
#include "render/FlatNetMesh.h"
#include "render/OutcomeBoxes.h"
#include "render/PairLineLayer.h"
#include "stellation/DeferredModelWork.h"

namespace corvia {

namespace detail_DeferredPaneWork {

// Each pane that the user's Cancel left without its facets or nets says so.
void TellWhatWasCancelled() {
  for (NewView* view = NewView::GetFirstView(); view; view = view->GetNext()) {
    const CPolyView* pane = CPolyView::AsPolyView(view);
    const std::string text = pane ? pane->DescribeCancelledWork() : std::string();
    if (!text.empty()) NewView::SetMessage(view, "%s", text.c_str());
  }
}

// The models the panes show, each once.
std::vector<Model3D*> ModelsOfPanes() {
  std::vector<Model3D*> models;
  for (NewView* view = NewView::GetFirstView(); view; view = view->GetNext()) {
    const CPolyView* pane = CPolyView::AsPolyView(view);
    const FaceTypeBlock* block = pane ? pane->GetShownBlock(false) : nullptr;
    Model3D* model = block ? block->GetExistingModel3D() : nullptr;
    if (model && std::find(models.begin(), models.end(), model) == models.end()) models.push_back(model);
  }
  return models;
}

// The folds asked for are not made (the work before them was cancelled, or memory ran
// out); the next paint asks again.
void DropAskedFolds() {
  for (Model3D* model : ModelsOfPanes()) model->mFoldAsked = false;
}

}  // namespace detail_DeferredPaneWork

bool HasDeferredFolding() {
  const std::vector<Model3D*> models = detail_DeferredPaneWork::ModelsOfPanes();
  return std::any_of(models.begin(), models.end(), [](const Model3D* model) { return model->IsFoldAsked(); });
}

bool RunDeferredPaneWork() {
  if (IsProgressActive()) return false;
  if (!HasDeferredModelWork() && !HasDeferredPairLinePictures() && !HasDeferredFlatNets() && !HasDeferredFolding() &&
      !HasDeferredFoldedPlaces() && !HasDeferredFaceMeshes()) {
    return false;
  }
  bool finished = true;
  const bool enough = RunOperation("finish the stellation, facets and nets the panes asked for", [&] {
    IdleWorkInput input;
    // The model's own faces first, so that the model pane shows the model while its
    // facets and nets are made (for a large model that is most of the work); one
    // Cancel ends all of it.
    finished = MakeDeferredFaceMeshes();
    if (finished) {
      finished = RunDeferredModelWork(TellOutcome);
    } else {
      DropDeferredModelWork();
    }
    // The faceting diagram's pictures and the nets' buffers come after the model's
    // work; a Cancel of them only leaves their panes without the pair lines, or with
    // the part of the net gathered.
    if (finished) {
      MakeDeferredPairLinePictures();
      FoldAskedNets(detail_DeferredPaneWork::ModelsOfPanes());
      PlaceDeferredFoldedNets();
      MakeDeferredFlatNets();
    } else {
      DropDeferredPairLinePictures();
      detail_DeferredPaneWork::DropAskedFolds();
      DropDeferredFlatNets();
    }
  });
  // Memory that ran out ends the work as the user's Cancel does.
  if (!enough) {
    DropDeferredPairLinePictures();
    detail_DeferredPaneWork::DropAskedFolds();
    DropFoldedPlacing(true);
    DropDeferredFlatNets();
    finished = false;
  }
  // The work only draws the panes: a Cancel of it leaves the model, and the undo step
  // that made it, as they are. The panes draw what was made, or ask again for what they
  // still lack; those the user's Cancel left without it say what and how to have it.
  RedrawAllViews(false, false);
  if (!finished) detail_DeferredPaneWork::TellWhatWasCancelled();
  return true;
}

}  // namespace corvia
