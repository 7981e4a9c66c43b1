#include "app/DeferredPaneWork.h"

#include <string>

#include "app/PolyView.h"
#include "app/WorkInput.h"
#include "core/OperationGuard.h"
#include "core/Progress.h"
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

}  // namespace detail_DeferredPaneWork

bool RunDeferredPaneWork() {
  if (IsProgressActive()) return false;
  if (!HasDeferredModelWork() && !HasDeferredPairLinePictures() && !HasDeferredFlatNets()) return false;
  bool finished = true;
  const bool enough = RunOperation("finish the stellation, facets and nets the panes asked for", [&] {
    IdleWorkInput input;
    finished = RunDeferredModelWork(TellOutcome);
    // The faceting diagram's pictures and the nets' buffers come after the model's
    // work; a Cancel of them only leaves their panes without the pair lines, or with
    // the part of the net gathered.
    if (finished) {
      MakeDeferredPairLinePictures();
      MakeDeferredFlatNets();
    } else {
      DropDeferredPairLinePictures();
      DropDeferredFlatNets();
    }
  });
  // Memory that ran out ends the work as the user's Cancel does.
  if (!enough) {
    DropDeferredPairLinePictures();
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
