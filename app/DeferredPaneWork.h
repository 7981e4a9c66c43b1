#pragma once
// The long work the panes asked for while they drew (large stellation set-ups, facet
// models and nets, stellation/DeferredModelWork.h; the faceting diagram's pictures of
// many pair lines, render/PairLineLayer.h; the folds of large models' nets,
// nets/Model3D.h), done when the program is idle:
// under the progress window with its time left and Cancel, the panes repainting and
// the menus answering. A command chosen meanwhile waits until the work is done, which
// goes on; closing the main window, or File > Exit, stops it. Other input (clicks and keys in the
// panes, the bars) is dropped, as while any work runs. The user's Cancel stops this work
// and nothing else: the model stays, with the undo step that made it, and each pane
// left without what was cancelled says what and how to have it made.

namespace corvia {

// Does the work noted since; false when there was none (or other work is running).
bool RunDeferredPaneWork();
// Whether a pane asked it to fold the nets of the model it shows (a large model's
// Folding Net pane, Model3D::FoldOrAskIdleWork).
bool HasDeferredFolding();

}  // namespace corvia
