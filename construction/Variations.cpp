#include "construction/Variations.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <vector>

#include "construction/DerivedModels.h"
#include "construction/QuietMessages.h"
#include "core/Tolerances.h"
#include "core/VectorMath.h"
#include "model/Poly.h"
#include "model/PolyBuild.h"
#include "model/PolyElement.h"
#include "symmetry/CoincidentFaces.h"
#include "symmetry/SimplePoly.h"

namespace corvia {

namespace detail_Variations {

// The shape of a model up to rotations and reflections: the distances between its
// vertices, sorted, relative to the largest.
std::vector<double> ShapeOf(const Poly& poly) {
  std::vector<const PolyElement*> vertices;
  for (const PolyElement* v = poly.mVertices.mHead; v; v = v->mNext) vertices.push_back(v);
  std::vector<double> distances;
  for (size_t i = 0; i < vertices.size(); ++i) {
    for (size_t j = i + 1; j < vertices.size(); ++j) {
      double d[3];
      Subtract(d, vertices[i]->mDualVert, vertices[j]->mDualVert);
      distances.push_back(std::sqrt(Dot(d, d)));
    }
  }
  std::sort(distances.begin(), distances.end());  // plain numbers: an exact order
  const double largest = distances.empty() ? 0.0 : distances.back();
  if (largest > 0.0) {
    for (double& d : distances) d /= largest;
  }
  return distances;
}

bool SameShape(const std::vector<double>& a, const std::vector<double>& b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    if (std::fabs(a[i] - b[i]) > kFaceMatchTolerance) return false;
  }
  return true;
}

// The current model is its configuration's first solution: the document's models
// that keep their build were all made by one whole build. Each branch is set up with
// bits 8 and 9 (kPolyFlagAxisTreatment, kPolyFlagKeepFaceOrder), cleared after it.
}  // namespace detail_Variations

std::unique_ptr<SimplePoly> FindPseudoVersion(const Poly& current) {
  using namespace detail_Variations;
  constexpr uint32_t kBranchFlags = kPolyFlagAxisTreatment | kPolyFlagKeepFaceOrder;
  const std::vector<double> shape = ShapeOf(current);
  // While the search sets up the solutions it passes over, their boxes stay unseen:
  // the builder sets up every solution as if its vertices were alike, which a pseudo
  // version's are not (it is set up again from its own symmetry once found).
  QuietMessages quiet;
  Poly search;
  if (!search.Build(current.mTemplate, 0)) return nullptr;
  while (search.mBuildState == kBuildFinishedWithChoices) {
    search.mPolyFlags |= kBranchFlags;
    bool built = search.BuildStep();
    if (built && search.mBuildState == kBuildRunning) built = search.RunBuild();
    search.mPolyFlags &= ~kBranchFlags;
    if (!built) return nullptr;
    if (!SameShape(ShapeOf(search), shape)) {
      return std::unique_ptr<SimplePoly>(CreateSimplePoly(&search, kDeriveBase, nullptr, nullptr));
    }
  }
  return nullptr;
}

bool IsOwnMirrorImage(const SimplePoly& model, const SimplePoly& mirror) {
  // Both go when their faces pair off: nothing is left of the pair.
  std::unique_ptr<SimplePoly> both = model.Combine(mirror);
  return RemoveCoincidentFaces(*both, kCoincidentInPairs, false, kSimpleTemp) &&
         both->CountFacesWithoutFlags(kSimpleTemp) == 0;
}

std::unique_ptr<SimplePoly> MakeMirrorImage(Poly& poly) {
  std::unique_ptr<SimplePoly> mirror(CreateSimplePoly(&poly, kDeriveBase, nullptr, nullptr));
  if (mirror) mirror->Reflect(poly.mSymGroup);
  return mirror;
}

}  // namespace corvia
