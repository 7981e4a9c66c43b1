#pragma once
// The long work the panes asked for while they drew (large stellation set-ups, facet
// models and nets; stellation/DeferredModelWork.h), done when the program is idle:
// under the progress window with its time left and Cancel, the panes repainting and
// the menus answering. A command chosen meanwhile stops the work and runs as soon as
// it has stopped; the panes then ask again for what they still lack. Other input
// (clicks and keys in the panes, the bars) is held back, as while any work runs.

namespace corvia {

// Does the work noted since; false when there was none (or other work is running).
bool RunDeferredPaneWork();

}  // namespace corvia
