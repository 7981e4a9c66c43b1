// Whether the facet model can be built with the Geomag construction toy (rods of one
// length, balls at the corners, flat panels in the faces), and the parts it takes.

#include <cmath>
#include <vector>

#include "core/Tolerances.h"
#include "core/VectorMath.h"
#include "model/FaceTypeBlock.h"
#include "model/GeomagPanels.h"
#include "model/ModelBusy.h"
#include "model/Transitions.h"
#include "nets/Face3D.h"
#include "nets/Model3D.h"
#include "nets/NetFlags.h"
#include "nets/Vert3D.h"

namespace corvia {

static_assert(kToyPanelKinds == kGeomagPanelShapes && kToyColours == kGeomagPanelColors);

namespace detail_ConstructionToy {

constexpr double kTwoPi = 6.283185307179586;

// A model half made or half stellated is not judged.
bool ModelBusy() {
  return g_ModelBusy || StellationBusy;
}

// No two rods that leave one ball may be closer than the toy's angle. The first
// vertex of each group stands for its symmetric copies.
bool RodAnglesAllowed(const Model3D& model, double rodLength) {
  const double limit = std::cos(kKitMinAngle);
  std::vector<double> rods;
  for (int v = 0; v < model.mNumVerts; ++v) {
    const Vert3D& vertex = model.mVerts[static_cast<size_t>(v)];
    if (vertex.GetGroupHead() != &vertex) continue;
    rods.clear();
    for (const Edge3D* edge = vertex.mFirstEdge; edge; edge = edge->nextAtVert) {
      const Edge3D* next = edge->GetNextInLoop();
      if (!next || !next->vert) continue;
      double rod[3];
      Subtract(rod, next->vert->mPos, vertex.mPos);
      Divide(rod, rod, rodLength);
      rods.insert(rods.end(), rod, rod + 3);
    }
    for (size_t i = 0; i < rods.size(); i += 3) {
      for (size_t j = i + 3; j < rods.size(); j += 3) {
        const double d = Dot(&rods[i], &rods[j]);
        // The same rod seen from the two facelets beside it counts once.
        if (d > limit && !(d >= kUnitLow && d <= kUnitHigh)) return false;
      }
    }
  }
  return true;
}

// Of two panel types that meet too sharply, the one that gives way: a large face
// against a small one, else the type of fewer facelets, else of fewer sides, else
// the type being examined.
Face3DType* ChooseLoser(Face3DType* examined, Face3DType* other) {
  const bool examinedLarge = examined->mNumEdges > 6;
  const bool otherLarge = other->mNumEdges > 6;
  if (examinedLarge != otherLarge) return examinedLarge ? examined : other;
  if (examined->mNumFacelets != other->mNumFacelets) {
    return examined->mNumFacelets < other->mNumFacelets ? examined : other;
  }
  if (examined->mNumEdges != other->mNumEdges) return examined->mNumEdges < other->mNumEdges ? examined : other;
  return examined;
}

// Panel types against their neighbours: where two panels fold too sharply against
// each other one of them stays open. Returns the note left.
const char* CheckPanels(Model3D& model, const char* note) {
  const double low = kKitMinAngle;
  const double high = kTwoPi - kKitMinAngle;
  for (Face3DType* type = model.mFaceTypes; type; type = type->mNext) {
    if (!type->IsGeomagPanel()) {
      if (!note) note = kKitPanelShape;
      continue;
    }
    const Face3D& first = type->mFacelets[0];
    for (int e = 0; e < type->mNumEdges; ++e) {
      const Edge3D* edge = &first.mEdges[e];
      const double dihedral = edge->GetDihedralAngle();
      if (dihedral >= low && dihedral <= high) continue;
      const Edge3D* neighbour = Edge3D::GetNeighInNet(edge, false);
      if (!neighbour || !neighbour->face || !neighbour->face->mType) continue;
      Face3DType* other = neighbour->face->mType;
      // A face with no panel leaves nothing to collide with.
      if (!other->IsGeomagPanel()) continue;
      Face3DType* loser = ChooseLoser(type, other);
      loser->mFlags = (loser->mFlags & ~(kTypePanelYes | kTypePanelRhombus)) | kTypePanelNo;
      note = kKitFaceAngle;
      if (loser == type) break;
    }
  }
  return note;
}

}  // namespace detail_ConstructionToy

bool Face3DType::IsGeomagPanel() {
  if (mNumFacelets < 1) return false;
  if (mFlags & (kTypePanelYes | kTypePanelNo)) return (mFlags & kTypePanelYes) != 0;
  const double rod = mOwner ? mOwner->GetMinEdgeLength() : 0.0;
  if (mNumEdges <= kGeomagMaxPanelSides && mNumLoops == 1 && rod > kPointTolerance) {
    // The panel shapes are in rod lengths.
    const Face3D& facelet = mFacelets[0];
    double corners[3 * kGeomagMaxPanelSides];
    for (int i = 0; i < mNumEdges; ++i) Divide(&corners[3 * i], Face3D::GetCornerPosition(&facelet.mEdges[i]), rod);
    double normal[3];
    facelet.GetNormal(normal);
    bool rhombus = false;
    if (CanMakeGeomagPanel(mNumEdges, corners, normal, &rhombus)) {
      mFlags |= kTypePanelYes;
      if (rhombus) mFlags |= kTypePanelRhombus;
      return true;
    }
  }
  mFlags |= kTypePanelNo;
  return false;
}

bool Model3D::CanBuildWithGeomag() {
  using namespace detail_ConstructionToy;
  if (ModelBusy()) return true;
  if (mFlags & (kModelToyYes | kModelToyNo)) return (mFlags & kModelToyYes) != 0;
  const char* note = nullptr;
  CalcEdgeLengths();
  bool buildable = true;
  if (GetNumEdges() == 0 || mMinEdgeLength <= kPointTolerance) {
    // Nothing to build.
    buildable = false;
  } else if (mMaxEdgeLength - mMinEdgeLength > kPointTolerance) {
    note = kKitEdgeLengths;
    buildable = false;
  } else if (!RodAnglesAllowed(*this, mMinEdgeLength)) {
    note = kKitEdgeAngle;
    buildable = false;
  } else {
    note = CheckPanels(*this, note);
  }
  if (mBlock) mBlock->mToyNote = note;
  mFlags |= buildable ? kModelToyYes : kModelToyNo;
  return buildable;
}

void Model3D::CountGeomagParts() {
  if (mToyRods >= 0 || detail_ConstructionToy::ModelBusy()) return;
  for (auto& row : mToyParts) {
    for (int32_t& count : row) count = 0;
  }
  mToyRods = 0;
  mToyBalls = 0;
  if (!CanBuildWithGeomag()) return;
  mToyRods = GetNumEdges();
  mToyBalls = mNumVerts;
  for (Face3DType* type = mFaceTypes; type; type = type->mNext) {
    if (type->mNumEdges > kGeomagMaxPanelSides || type->mNumLoops != 1 || !type->IsGeomagPanel()) continue;
    GeomagFaceParts parts;
    if (!GetGeomagFaceParts(type->mNumEdges, type->HasFlag(kTypePanelRhombus), parts)) continue;
    for (int f = 0; f < type->mNumFacelets; ++f) {
      int colour = FindGeomagPanelColor(type->mFacelets[f].GetColor());
      if (colour < 0) colour = 0;
      for (int shape = 0; shape < kGeomagPanelShapes; ++shape) mToyParts[shape][colour] += parts.panels[shape];
      mToyRods += parts.extraRods;
      mToyBalls += parts.extraBalls;
    }
  }
}

int Model3D::GetNumGeomagParts() {
  CountGeomagParts();
  if (mToyRods < 0) return 0;
  int total = 0;
  for (const auto& row : mToyParts) {
    for (int32_t count : row) total += count;
  }
  return total;
}

}  // namespace corvia
