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

// Runs what follows a failure; false when it ran out of memory too.
template <class F>
bool WithinMemory(F&& f) {
  try {
    f();
    return true;
  } catch (const std::bad_alloc&) {
  } catch (const std::length_error&) {
  }
  return false;
}

// Tells the failure in the operation's words, or in fewer when those cannot be made.
void Tell(OperationWords what, bool asBefore, bool drawing) {
  const char* outcome = asBefore ? "It has been stopped, and the model is as it was."
                                 : "It has been stopped, but the model could not be put back as it was.";
  for (const bool own : {true, false}) {
    const bool told = WithinMemory([&] {
      // A box's modal loop must not run inside a paint: it waits until the paint is over.
      std::optional<NoticesAfterDrawing> afterPaint;
      if (drawing) afterPaint.emplace();
      const std::string words = own ? what() : std::string();
      ShowError("There was not enough memory to %s.\n%s", words.empty() ? "finish what was asked" : words.c_str(),
                outcome);
    });
    if (told) return;
  }
}

}  // namespace detail_OperationGuard

bool RunOperation(OperationWords what, FunctionRef<void()> work, bool tell) {
  namespace d = detail_OperationGuard;
  const int level = GetProgressLevel();
  platform::UndoHooks* undo = platform::Services().undo;
  std::optional<platform::UndoHooks::OperationMark> mark;
  bool done = false;
  try {
    done = d::WithinMemory([&] {
      if (undo) mark = undo->BeginOperation();
      work();
    });
  } catch (...) {
    // Whatever else ends the work ends the operation too.
    if (undo && mark) undo->EndOperation(*mark);
    throw;
  }
  if (!done) {
    // What the failed work held is freed by now: there is room to put things back.
    ++d::gFailures;
    EndProgressLevelsAbove(level);
    bool asBefore = true;
    if (undo && mark) {
      // The way back runs to its end, whatever cancel the failed work left pressed.
      bool putBack = false;
      asBefore = d::WithinMemory([&] {
                   const ProgressShield shield;
                   putBack = undo->PutBackSince(*mark);
                 }) &&
                 putBack;
      undo->EndOperation(*mark);
    }
    const bool drawing = IsDrawingContextHeld();
    if (!drawing) {
      (void)d::WithinMemory([] {
        if (platform::ViewNotifier* views = platform::Services().views) views->RedrawAllViews(true);
      });
    }
    if (tell) d::Tell(what, asBefore, drawing);
    return false;
  }
  if (undo && mark) undo->EndOperation(*mark);
  return true;
}

bool RunOperation(const char* what, FunctionRef<void()> work, bool tell) {
  return RunOperation([what] { return std::string(what ? what : ""); }, work, tell);
}

int GetMemoryFailureCount() {
  return detail_OperationGuard::gFailures;
}

}  // namespace corvia
