// The model's own 2D cross-section: the shown side sliced by the program-wide slice
// plane, built lazily and kept until the model or the plane changes; a change of the
// faces' colours recolours it.

#include <vector>

#include "model/ColorSchemes.h"
#include "model/CrossSection.h"
#include "model/ElementList.h"
#include "model/Globals.h"
#include "model/ModelBusy.h"
#include "model/Poly.h"
#include "model/PolyBuild.h"
#include "model/PolyElement.h"
#include "platform/Services.h"

namespace corvia {

namespace detail_PolyCrossSection {

// Set while any model builds its section: the build reports progress, and a redraw
// from inside it must not start another.
bool gBuilding = false;

// The positions of the shown side's vertices (the faces' dual points when the dual is
// shown).
std::vector<double> ShownVertexPoints(Poly& poly) {
  ElementList* vertices = nullptr;
  poly.GetParts(poly.mShowDual != 0, nullptr, &vertices, nullptr, nullptr);
  std::vector<double> points;
  if (!vertices) return points;
  for (PolyElement* v = vertices->mHead; v; v = v->mNext) points.insert(points.end(), v->mDualVert, v->mDualVert + 3);
  return points;
}

}  // namespace detail_PolyCrossSection

void Poly::CrossSectionDeleter::operator()(CrossSection* section) const {
  delete section;
}

double Poly::GetSliceRange(double* outMin, double* outMax) {
  return corvia::GetSliceRange(detail_PolyCrossSection::ShownVertexPoints(*this), outMin, outMax);
}

void Poly::GetSlicePlane(SlicePlane& plane) {
  corvia::GetSlicePlane(detail_PolyCrossSection::ShownVertexPoints(*this), plane);
}

void Poly::InvalidateCrossSection() {
  mPolyFlags &= ~kPolyFlagCrossSectionValid;
}

bool Poly::BuildCrossSection() {
  namespace d = detail_PolyCrossSection;
  if (mPolyFlags & kPolyFlagCrossSectionValid) {
    RecolourCrossSection();
    return true;
  }
  if (mBuildState == kBuildRunning || mBuildState == kBuildFailed) return false;
  // Re-entered, or the model is being made or stellated: nothing to slice yet.
  if (d::gBuilding || StellationBusy || g_ModelBusy) return false;
  d::gBuilding = true;
  platform::WaitCursorScope wait;
  if (!mCrossSection) mCrossSection.reset(new CrossSection);

  ElementList* faces = nullptr;
  ElementList* vertices = nullptr;
  GetParts(mShowDual != 0, &faces, &vertices, nullptr, nullptr);
  SliceMesh mesh;
  SliceMesh::FromElements(faces, vertices, mesh);
  SlicePlane plane;
  GetSlicePlane(plane);
  const bool built = mCrossSection->Build(mesh, plane, GetCrossSectionSettings().fill);
  if (built) mPolyFlags |= kPolyFlagCrossSectionValid | kPolyFlagCellColoursBack;
  d::gBuilding = false;
  return built;
}

void Poly::RecolourCrossSection() {
  if (!(mPolyFlags & kPolyFlagCellColoursOwn)) return;
  mPolyFlags &= ~kPolyFlagCellColoursOwn;
  // A section not kept is built with the colours as they are.
  if ((mPolyFlags & kPolyFlagCrossSectionValid) && mCrossSection) mCrossSection->Recolour();
}

void Poly::AddCrossSectionLoop(std::vector<double>& points, std::vector<const PolyElement*>& faces) {
  if (!mCrossSection) mCrossSection.reset(new CrossSection);
  mCrossSection->AddLoop(points, faces, 0, 0, nullptr);
}

}  // namespace corvia
