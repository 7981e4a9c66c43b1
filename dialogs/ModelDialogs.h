#pragma once
// The small dialogs of the Poly menu's model builders: the Waterman polyhedron (the
// root of the sphere's squared radius and the lattice and centre) and Zonohedrify (how
// many zones and how long). Each starts from the values confirmed last.

#include <string>

#include "platform/DialogFrontEnd.h"

namespace corvia {

class CWatermanDialog : public platform::DialogValues {
 public:
  static constexpr const char* kName = "WatermanDialog";
  const char* DialogName() const override { return kName; }

  static constexpr int kMinRoot = 1;
  static constexpr int kMaxRoot = 10;
  // The three lattices in the builder's order, as the dialog names them.
  static constexpr int kNumLattices = 3;
  static const char* const kLatticeNames[kNumLattices];

  // Starts from the root and lattice the Waterman command used last.
  CWatermanDialog();
  // Runs the dialog; true on OK.
  bool DoModal();

  int mRoot = 6;
  int mLatticeType = 0;
};

class CZonohedrifyDialog : public platform::DialogValues {
 public:
  static constexpr const char* kName = "ZonohedrifyDialog";
  const char* DialogName() const override { return kName; }

  CZonohedrifyDialog();
  // Runs the dialog; true on OK (the values are then remembered).
  bool DoModal();

  // The zones run along the directions of the shown vertices: at most this many (0:
  // no limit), each as long as the shortest edge of the shown side times the scale
  // (an equation).
  int mMaxZones = 0;
  std::string mEdgeScale = "1";
};

}  // namespace corvia
