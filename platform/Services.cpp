#include "platform/Services.h"

#include "platform/Headless.h"

namespace corvia::platform {

namespace {

// The defaults: headless, with the real clock.
struct Defaults {
  HeadlessMessages messages;
  HeadlessProgress progress;
  HeadlessViews views;
  HeadlessUndo undo;
  HeadlessShell shell;
  SteadyClock clock;
  HeadlessFileDialogs fileDialogs;
  HeadlessDialogs dialogs;

  ServiceSet Set() { return ServiceSet{&messages, &progress, &views, &undo, &shell, &clock, &fileDialogs, &dialogs}; }
};

Defaults& TheDefaults() {
  static Defaults defaults;
  return defaults;
}

ServiceSet& Current() {
  static ServiceSet current = TheDefaults().Set();
  return current;
}

}  // namespace

const ServiceSet& Services() { return Current(); }

ServiceSet InstallServices(const ServiceSet& services) {
  ServiceSet previous = Current();
  ServiceSet fallback = TheDefaults().Set();
  ServiceSet next = services;
  if (!next.messages) next.messages = fallback.messages;
  if (!next.progress) next.progress = fallback.progress;
  if (!next.views) next.views = fallback.views;
  if (!next.undo) next.undo = fallback.undo;
  if (!next.shell) next.shell = fallback.shell;
  if (!next.clock) next.clock = fallback.clock;
  if (!next.fileDialogs) next.fileDialogs = fallback.fileDialogs;
  if (!next.dialogs) next.dialogs = fallback.dialogs;
  Current() = next;
  return previous;
}

void ResetServices() { Current() = TheDefaults().Set(); }

}  // namespace corvia::platform
