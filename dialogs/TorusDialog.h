#pragma once
// The "Create a torus" dialog: the radius of the tube (the ring's centre line has
// radius 1), the number of rings round the centre line and of segments round the
// tube. The values are remembered between uses within a run.

#include <memory>

#include "core/Outcome.h"
#include "platform/DialogFrontEnd.h"

namespace corvia {

class SimplePoly;

class CTorusDialog : public platform::DialogValues {
 public:
  static constexpr const char* kName = "TorusDialog";
  const char* DialogName() const override { return kName; }

  // Bounds of the counts the dialog accepts.
  static constexpr int kMinCount = 3;
  static constexpr int kMaxCount = 1000;

  // Starts from the values confirmed last.
  CTorusDialog();

  // Runs the dialog; true on OK (the values are then remembered).
  bool DoModal();
  // The torus of the values (CreateTorus); null with the refusal in `outcome`.
  std::unique_ptr<SimplePoly> CreateModel(Outcome& outcome) const;

  double mTubeRadius = 0.4;
  int mRings = 24;
  int mSegments = 12;
};

// Asks for the torus and builds it: null when cancelled or when it cannot be built,
// with `outcome` saying which.
std::unique_ptr<SimplePoly> RunTorusDialog(Outcome& outcome);

}  // namespace corvia
