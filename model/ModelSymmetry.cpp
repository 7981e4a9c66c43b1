#include "model/ModelSymmetry.h"

#include <string>

#include "core/Tolerances.h"
#include "core/VectorMath.h"
#include "model/ElementList.h"
#include "model/Face.h"
#include "model/Globals.h"
#include "model/Poly.h"
#include "model/PolyElement.h"
#include "model/PolyFwd.h"
#include "symmetry/SymGroup.h"
#include "symmetry/SymGroupNames.h"

namespace corvia {

namespace detail_ModelSymmetry {

int FirstFold(const SymGroup& group) { return group.numAxisTypes > 0 ? group.axisTypes[0].fold : -1; }

std::string JoinNotations(const std::string& a, const char* separator, const std::string& b, const std::string& c) {
  if (separator == nullptr) separator = "";
  return a + separator + b + separator + c;
}

// Whether the current model is a four-dimensional polytope; its texts then read
// "---" in place of a group.
bool CurrentModelIsFourDimensional() {
  const Poly* poly = GetCurrentPoly();
  return poly && poly->mFourDimensional;
}

}  // namespace detail_ModelSymmetry

void DetectReflectionType(SymGroup& group, const Face* face) {
  // A dihedral model whose corner (x, y, z) has a mirror image (x, -y, z) among its
  // vertices has the plane across the main axis as a mirror.
  const PolyElement* corner = face != nullptr && face->mNumSides > 0 ? face->GetCorner(0) : nullptr;
  const ElementList* vertices = face != nullptr ? PolyVertexList(face->mPoly) : nullptr;
  bool found = false;
  if (corner != nullptr && vertices != nullptr) {
    const double* p = corner->mDualVert;
    const double image[3] = {p[0], -p[1], p[2]};
    int limit = vertices->mCount;
    for (const PolyElement* v = vertices->mHead; v != nullptr && limit-- > 0 && !found; v = v->mNext) {
      found = NearlyEqual(v->mDualVert, image, kFaceMatchTolerance);
    }
  }
  group.SetReflectionType(found ? kReflectionHorizontal : kReflectionVertical);
}

bool SelectAxis(SymGroup* group, int i) {
  if (group == nullptr) return false;
  const SymAxis* previous = SelectedSymAxis;
  // An axis takes the place of the model's selected element or edge (which lets go of
  // the highlighted axis too).
  if (i >= 0 && group->GetAxis(i) != nullptr) {
    if (Poly* poly = GetCurrentPoly()) poly->ClearSelection();
  }
  return group->HighlightAxis(i, previous);
}

// ---- SymGroup's notations ----

std::string SymGroup::GetSchoenflies(const SymGroup* group) {
  using namespace detail_ModelSymmetry;
  if (group == nullptr) {
    if (CurrentModelIsFourDimensional()) return "---";
    return "C1";
  }
  return GetSchoenfliesNotation(group->type, group->reflectionType, FirstFold(*group));
}

std::string SymGroup::GetOrbifold(const SymGroup* group) {
  using namespace detail_ModelSymmetry;
  if (group == nullptr) {
    if (CurrentModelIsFourDimensional()) return "---";
    return "11";
  }
  return GetOrbifoldNotation(group->type, group->reflectionType, FirstFold(*group));
}

std::string SymGroup::GetCoxeter(const SymGroup* group) {
  using namespace detail_ModelSymmetry;
  if (group == nullptr) {
    if (CurrentModelIsFourDimensional()) return "---";
    return "[ ]+";
  }
  return GetCoxeterNotation(group->type, group->reflectionType, FirstFold(*group));
}

std::string SymGroup::GetNotations(const SymGroup* group, const char* separator) {
  using namespace detail_ModelSymmetry;
  if (group == nullptr) {
    if (CurrentModelIsFourDimensional()) return "---";
    return JoinNotations("C1", separator, "11", "[ ]+");
  }
  int fold = FirstFold(*group);
  return JoinNotations(GetSchoenfliesNotation(group->type, group->reflectionType, fold), separator,
                       GetOrbifoldNotation(group->type, group->reflectionType, fold),
                       GetCoxeterNotation(group->type, group->reflectionType, fold));
}

}  // namespace corvia
