#pragma once
// The busy flag of model building: set while a model is created, read from a file or
// stellated, so that work that depends on a finished model (the construction-toy
// check, cross-sections) waits. Not the stellation's own flag (StellationBusy).

namespace corvia {

extern bool g_ModelBusy;

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
