#pragma once
// The program's document with one of its panes in an off-screen window (no display
// needed), for the benchmarks that paint the program's own panes: the pane is a
// CPolyView of its view type, the model the document's current one, and a paint is
// the window's, as the program paints.

#include <memory>
#include <string>

#include "app/ModelChange.h"
#include "app/PolyDoc.h"
#include "app/PolyView.h"
#include "render/OffscreenViewWindow.h"
#include "symmetry/SimplePoly.h"

namespace corvia::bench {

class ProgramPane {
 public:
  // Without transitions, so that a model made current is drawn at once; the pane is
  // null, with the reason in Error(), when off-screen GL is not to be had.
  ProgramPane(ViewType type, int width, int height) : mTransitions(AreTransitionsEnabled()) {
    SetTransitionsEnabled(false);
    mWindow = OffscreenViewWindow::Create(width, height, &mError);
    if (!mWindow || !mWindow->Show(&mPane)) {
      if (mError.empty()) mError = "the pane was not shown";
      return;
    }
    mShown = true;
    mPane.SetViewType(type, false);
  }
  ~ProgramPane() {
    if (mShown) mWindow->Close();
    SetTransitionsEnabled(mTransitions);
  }
  ProgramPane(const ProgramPane&) = delete;
  ProgramPane& operator=(const ProgramPane&) = delete;

  bool Shown() const { return mShown; }
  const std::string& Error() const { return mError; }
  CPolyDoc& Doc() { return mDocument; }
  CPolyView& Pane() { return mPane; }
  void Paint() { mWindow->Paint(); }

  // The model made from the current one becomes the current model, as the program's
  // commands that derive a model make it; false when it is not made.
  bool Enter(std::unique_ptr<SimplePoly> model) {
    return model && CreateDerivedPolyWithUndo(mDocument, *model, -1, false, true).done();
  }

 private:
  bool mTransitions;
  // The document outlives the pane that shows it.
  CPolyDoc mDocument;
  CPolyView mPane;
  std::unique_ptr<OffscreenViewWindow> mWindow;
  std::string mError;
  bool mShown = false;
};

}  // namespace corvia::bench
