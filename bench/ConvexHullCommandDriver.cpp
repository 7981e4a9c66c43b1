// Poly > Create Convex Hull as a program of its own, for measuring the command's road
// next to another hull program on the model's corners.
//
//   convex_hull_command_driver FILE
//     opens the model file FILE as File > Open does (the model built into the
//     document's model), then makes its convex hull as the command does: the undo
//     step keeps the model (written to memory), the hull of the model the base pane
//     shows is made and named (CreateConvexHullOfModel, the command's own), looked up
//     in the library, and built into a new model record as the transition does, the
//     old model kept beside it. It prints the new model's vertices and faces, the
//     command's processor time in seconds and the most memory it held beyond what the
//     process held before it, in MiB: "corners faces command_s command_MiB". The
//     panes' drawing and the transition's frames are not part of it.
//
// It links the geometry without the window layers.

#include <cstdio>
#include <memory>
#include <string>

#include "bench/support/HullDriver.h"
#include "construction/DerivedModels.h"
#include "construction/DerivedNames.h"
#include "construction/ModelFactory.h"
#include "core/Outcome.h"
#include "files/GeometryHooks.h"
#include "files/ModelFile.h"
#include "model/CreatePoly.h"
#include "model/Globals.h"
#include "model/Poly.h"
#include "symmetry/SimplePoly.h"

namespace {

// The document: its current model record, which the command replaces.
class Document : public corvia::DocumentAccess {
 public:
  Document() : mPrevious(corvia::InstallDocumentAccess(this)) {}
  ~Document() override { corvia::InstallDocumentAccess(mPrevious); }
  corvia::Poly* GetCurrentPoly() override { return mCurrent; }
  corvia::Poly* mCurrent = nullptr;

 private:
  corvia::DocumentAccess* mPrevious;
};

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s MODEL_FILE\n", argv[0]);
    return 2;
  }
  corvia::InstallGeometryHooks();
  Document document;
  auto opened = std::make_unique<corvia::Poly>();
  document.mCurrent = opened.get();
  const corvia::Outcome open = corvia::OpenModelFile(argv[1], 0);
  if (!open.done()) {
    std::fprintf(stderr, "%s: %s\n", argv[1], open.text().c_str());
    return 1;
  }
  const corvia::bench::WorkUsage usage;
  std::string undoStep;
  if (!corvia::WriteModelToMemory(*opened, undoStep)) return 1;
  corvia::Outcome why;
  std::unique_ptr<corvia::SimplePoly> hull =
      corvia::CreateConvexHullOfModel(opened.get(), corvia::kViewBasePolyhedron, &why);
  if (!hull) {
    std::fprintf(stderr, "no hull: %s\n", why.text().c_str());
    return 1;
  }
  bool dual = false;
  (void)corvia::NameAsLibraryModel(*hull, &dual);
  auto made = std::make_unique<corvia::Poly>();
  document.mCurrent = made.get();
  bool cleared = false;
  const corvia::Outcome built = corvia::CreatePoly(*hull, made.get(), false, true, true, &cleared);
  hull.reset();
  if (!built.done()) {
    std::fprintf(stderr, "not built: %s\n", built.text().c_str());
    return 1;
  }
  const double seconds = usage.Seconds();
  const double mebibytes = usage.PeakGrowthMiB();
  std::printf("%d %d %.6f %.3f\n", made->mVertices.mCount, made->mFaces.mCount, seconds, mebibytes);
  return 0;
}
