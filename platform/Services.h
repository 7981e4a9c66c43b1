#pragma once
// The seam between the geometry and the world. Every front end is reached through
// Services(); until the program (or a test) installs its own, headless ones answer,
// so geometry code never finds a null front end.

#include "platform/Clock.h"
#include "platform/DialogFrontEnd.h"
#include "platform/FileDialogFrontEnd.h"
#include "platform/MessageFrontEnd.h"
#include "platform/ProgressFrontEnd.h"
#include "platform/Shell.h"
#include "platform/UndoHooks.h"
#include "platform/ViewNotifier.h"

namespace corvia::platform {

struct ServiceSet {
  MessageFrontEnd* messages = nullptr;
  ProgressFrontEnd* progress = nullptr;
  ViewNotifier* views = nullptr;
  UndoHooks* undo = nullptr;
  Shell* shell = nullptr;
  Clock* clock = nullptr;
  FileDialogFrontEnd* fileDialogs = nullptr;
  DialogFrontEnd* dialogs = nullptr;
};

// The installed front ends; never null members.
const ServiceSet& Services();

// Installs the given front ends; null members fall back to the headless defaults.
// Returns the set that was installed before, so a scope can put it back.
ServiceSet InstallServices(const ServiceSet& services);

// Restores the headless defaults.
void ResetServices();

// Shortcut for the clock.
inline double NowSeconds() { return Services().clock->NowSeconds(); }

// Shows the wait cursor for the lifetime of the scope, on every way out.
class WaitCursorScope {
 public:
  WaitCursorScope() { Services().views->SetWaitCursor(true); }
  ~WaitCursorScope() { Services().views->SetWaitCursor(false); }
  WaitCursorScope(const WaitCursorScope&) = delete;
  WaitCursorScope& operator=(const WaitCursorScope&) = delete;
};

}  // namespace corvia::platform
