#pragma once
// The busy flags of model building: set while a model is created, read from a file or
// stellated, so that work that depends on a finished model (the construction-toy
// check, cross-sections) waits.

namespace corvia {

// Set while a model is created, read from a file or stellated.
extern bool g_ModelBusy;

// The stellation's own flag. Set while the stellation's complexity warning is on
// screen and while a set-up runs: the question box and the progress window run message
// loops of their own, and nothing may start a second stellation, build a facelet model
// from half-made diagrams, build a cross-section or run the construction-kit checks
// meanwhile (those answer "buildable" and compute nothing).
extern bool StellationBusy;

// Remembers the flag when made and puts it back when it goes, on every way out;
// Set() raises it in between, Restore() puts it back early.
class ModelBusyScope {
 public:
  ModelBusyScope() : mSaved(g_ModelBusy) {}
  ~ModelBusyScope() { g_ModelBusy = mSaved; }
  ModelBusyScope(const ModelBusyScope&) = delete;
  ModelBusyScope& operator=(const ModelBusyScope&) = delete;
  void Set() { g_ModelBusy = true; }
  void Restore() { g_ModelBusy = mSaved; }

 private:
  bool mSaved;
};

}  // namespace corvia
