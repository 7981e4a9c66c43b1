#include "core/OperationGuard.h"

#include <new>
#include <optional>
#include <stdexcept>

#include "core/Messages.h"
#include "core/Progress.h"
#include "platform/Services.h"
#include "platform/UndoHooks.h"

namespace corvia {

namespace detail_OperationGuard {

int gFailures = 0;

// Puts back what the operation begun at the mark had changed; false when the model may
// not be as it was.
bool PutBack(platform::UndoHooks* undo, const platform::UndoHooks::OperationMark& mark) {
  if (!undo) return true;
  try {
    // The way back runs to its end, whatever cancel the failed work left pressed.
    const ProgressShield shield;
    return undo->PutBackSince(mark);
  } catch (const std::bad_alloc&) {
  } catch (const std::length_error&) {
  }
  return false;
}

}  // namespace detail_OperationGuard

bool RunOperation(const char* what, const std::function<void()>& work, bool tell) {
  namespace d = detail_OperationGuard;
  const int level = GetProgressLevel();
  platform::UndoHooks* undo = platform::Services().undo;
  const platform::UndoHooks::OperationMark mark = undo ? undo->MarkOperation() : platform::UndoHooks::OperationMark{};
  try {
    work();
    return true;
  } catch (const std::bad_alloc&) {
  } catch (const std::length_error&) {
  }
  // What the failed work held is freed by now: there is room to put things back.
  ++d::gFailures;
  EndProgressLevelsAbove(level);
  const bool asBefore = d::PutBack(undo, mark);
  const bool drawing = IsDrawingContextHeld();
  if (!drawing) {
    if (platform::ViewNotifier* views = platform::Services().views) views->RedrawAllViews(true);
  }
  if (tell) {
    // A box's modal loop must not run inside a paint: it waits until the paint is over.
    std::optional<NoticesAfterDrawing> afterPaint;
    if (drawing) afterPaint.emplace();
    ShowError("There was not enough memory to %s.\n%s", what && *what ? what : "finish what was asked",
              asBefore ? "It has been stopped, and the model is as it was." : "It has been stopped.");
  }
  return false;
}

int GetMemoryFailureCount() {
  return detail_OperationGuard::gFailures;
}

}  // namespace corvia
