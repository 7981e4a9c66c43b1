// Applying subgroups of a model's symmetry group: the face, vertex and edge types
// must be the orbits of the subgroup, worked out here independently from the
// element positions and the subgroup's operation matrices.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <memory>
#include <string>
#include <vector>

#include "core/VectorMath.h"
#include "model/Edge.h"
#include "model/FaceDiagram.h"
#include "model/FaceType.h"
#include "model/FaceTypeBlock.h"
#include "model/Poly.h"
#include "model/PolyFwd.h"
#include "model/PolyElement.h"
#include "symmetry/SimplePoly.h"
#include "symmetry/SymGroup.h"
#include "symmetry/SymGroupNames.h"
#include "symmetry/SymSubgroups.h"
#include "tests/support/TestSupport.h"
#include "tests/symmetry/FindSymmetriesModels.h"
#include "tests/symmetry/SymTestHelpers.h"

namespace test_SubSymmetry {

using corvia::Edge;
using corvia::Poly;
using corvia::PolyElement;
using corvia::SymGroup;
using corvia::SymSubgroupSpec;
using corvia::symtest::BuildHullPoly;
using corvia::symtest::Cube;
using corvia::symtest::EdgeTypeSizes;
using corvia::symtest::Icosahedron;
using corvia::symtest::Point;
using corvia::symtest::TypeSizes;
using Sizes = std::vector<int>;

constexpr double kSamePoint = 1e-6;

std::vector<Point> HexagonalPrismPoints() {
  std::vector<Point> p;
  corvia::symtest::AddRing(p, 6, 0.5, 1, 0);
  corvia::symtest::AddRing(p, 6, -0.5, 1, 0);
  return p;
}

// Position in the flat subgroup list of the first subgroup with this name.
int FindSubgroup(const SymGroup* group, const std::string& name) {
  SymSubgroupSpec spec;
  int rotational = 0, reflective = 0;
  for (int n = 0; n < 500 && SymGroup::GetSubgroup(group, n, spec, rotational, reflective); ++n) {
    if (!spec.alternate && name == corvia::GetSubgroupSchoenflies(&spec)) return n;
  }
  return -1;
}

int CountSubgroups(const SymGroup* group) {
  SymSubgroupSpec spec;
  int rotational = 0, reflective = 0, n = 0;
  while (n < 500 && SymGroup::GetSubgroup(group, n, spec, rotational, reflective)) ++n;
  return n;
}

// Orbit number of each point under the operations.
std::vector<int> Orbits(const std::vector<Point>& points, const std::vector<corvia::symtest::Matrix>& ops) {
  std::vector<int> orbit(points.size(), -1);
  int next = 0;
  for (size_t i = 0; i < points.size(); ++i) {
    if (orbit[i] >= 0) continue;
    orbit[i] = next;
    for (const auto& m : ops) {
      double image[3];
      corvia::MatrixTimesVector(m.data(), image, points[i].data());
      for (size_t j = 0; j < points.size(); ++j) {
        if (corvia::NearlyEqual(image, points[j].data(), kSamePoint)) orbit[j] = next;
      }
    }
    ++next;
  }
  return orbit;
}

// Two labellings split the elements alike.
void ExpectSamePartition(const std::vector<int>& types, const std::vector<int>& orbits, const char* what) {
  ASSERT_EQ(types.size(), orbits.size());
  for (size_t i = 0; i < types.size(); ++i) {
    ASSERT_GE(types[i], 0) << what << " " << i << " has no type";
    for (size_t j = i + 1; j < types.size(); ++j) {
      EXPECT_EQ(types[i] == types[j], orbits[i] == orbits[j]) << what << " " << i << " and " << j;
    }
  }
}

// Elements of one type lie in one orbit (the type partition refines the orbits).
void ExpectTypesWithinOrbits(const std::vector<int>& types, const std::vector<int>& orbits, const char* what) {
  for (size_t i = 0; i < types.size(); ++i) {
    for (size_t j = i + 1; j < types.size(); ++j) {
      if (types[i] == types[j]) {
        EXPECT_EQ(orbits[i], orbits[j]) << what << " " << i << " and " << j;
      }
    }
  }
}

// Elements of one orbit have one type.
void ExpectOrbitsWithinTypes(const std::vector<int>& types, const std::vector<int>& orbits, const char* what) {
  ExpectTypesWithinOrbits(orbits, types, what);
}

Point Position(const double* p) { return {p[0], p[1], p[2]}; }

Point Centroid(const PolyElement* face) {
  Point c = {0, 0, 0};
  for (int i = 0; i < face->mNumSides; ++i) {
    for (int k = 0; k < 3; ++k) c[static_cast<size_t>(k)] += face->GetCorner(i)->mDualVert[k] / face->mNumSides;
  }
  return c;
}

// Faces and vertices fall into the orbits of the group in use. An edge type lies in
// one orbit of the group and holds whole orbits of its rotations (a pair of
// mirror-image edge orbits may be two edge types); the latter needs the face frames,
// so it is checked only where the frames were set up (strictEdges).
void ExpectTypesAreOrbits(const Poly& poly, bool strictEdges = true) {
  const SymGroup* group = poly.mSymGroup;
  ASSERT_NE(group, nullptr);
  const auto all = corvia::symtest::Operations(group, true);
  const auto rotations = corvia::symtest::Rotations(group);
  std::vector<Point> points;
  std::vector<int> types;
  for (const PolyElement* f = poly.mFaces.mHead; f; f = f->mNext) {
    points.push_back(Centroid(f));
    types.push_back(corvia::FaceType::GetIndex(f->mType));
  }
  ExpectSamePartition(types, Orbits(points, all), "face");
  points.clear();
  types.clear();
  for (const PolyElement* v = poly.mVertices.mHead; v; v = v->mNext) {
    points.push_back(Position(v->mDualVert));
    types.push_back(corvia::FaceType::GetIndex(v->mType));
  }
  ExpectSamePartition(types, Orbits(points, all), "vertex");
  points.clear();
  types.clear();
  for (int i = 0; i < poly.mNumEdges; ++i) {
    const Edge& e = poly.mEdgeArray[i];
    ASSERT_TRUE(e.mVert1 && e.mVert2 && e.mFace1 && e.mFace2) << "edge " << i;
    points.push_back({(e.mVert1->mDualVert[0] + e.mVert2->mDualVert[0]) / 2,
                      (e.mVert1->mDualVert[1] + e.mVert2->mDualVert[1]) / 2,
                      (e.mVert1->mDualVert[2] + e.mVert2->mDualVert[2]) / 2});
    types.push_back(e.mEdgeType);
  }
  if (!strictEdges) return;
  ExpectTypesWithinOrbits(types, Orbits(points, all), "edge");
  ExpectOrbitsWithinTypes(types, Orbits(points, rotations), "edge rotation orbit");
}

// The types of faces and vertices, by list position, and of edges with their ends.
std::vector<int> Numbering(const Poly& poly) {
  std::vector<int> out;
  for (const PolyElement* f = poly.mFaces.mHead; f; f = f->mNext) out.push_back(corvia::FaceType::GetIndex(f->mType));
  for (const PolyElement* v = poly.mVertices.mHead; v; v = v->mNext) {
    out.push_back(corvia::FaceType::GetIndex(v->mType));
  }
  for (int i = 0; i < poly.mNumEdges; ++i) {
    const Edge& e = poly.mEdgeArray[i];
    out.push_back(e.mEdgeType);
    out.push_back(PolyElement::GetIndex(e.mVert1));
    out.push_back(PolyElement::GetIndex(e.mVert2));
  }
  return out;
}

TEST(SubSymmetryTest, CubeUnderSubgroupsOfOh) {
  Poly cube;
  BuildHullPoly(cube, Cube());
  ASSERT_EQ(SymGroup::GetSchoenflies(cube.mSymGroup), "Oh");
  const SymGroup* full = cube.mSymGroup;
  const std::vector<int> original = Numbering(cube);

  const int d4h = FindSubgroup(full, "D4h");
  ASSERT_GT(d4h, 0);
  ASSERT_TRUE(cube.ApplySubSymmetry(d4h, -1));
  EXPECT_EQ(cube.mFullSymGroup, full);
  EXPECT_EQ(SymGroup::GetSchoenflies(cube.mSymGroup), "D4h");
  EXPECT_EQ(SymGroup::GetSchoenflies(cube.GetFullSymGroup()), "Oh");
  EXPECT_EQ(TypeSizes(*cube.mBaseBlock), (Sizes{2, 4}));
  EXPECT_EQ(TypeSizes(*cube.mDualBlock), (Sizes{8}));
  EXPECT_EQ(EdgeTypeSizes(cube), (Sizes{4, 8}));
  EXPECT_EQ(cube.mReflexible, 1);
  EXPECT_EQ(cube.mNetsStale, 1);
  ExpectTypesAreOrbits(cube);

  const int c4v = FindSubgroup(full, "C4v");
  ASSERT_GT(c4v, 0);
  ASSERT_TRUE(cube.ApplySubSymmetry(c4v, -1));
  EXPECT_EQ(cube.mFullSymGroup, full);
  EXPECT_EQ(TypeSizes(*cube.mBaseBlock), (Sizes{1, 1, 4}));
  EXPECT_EQ(TypeSizes(*cube.mDualBlock), (Sizes{4, 4}));
  EXPECT_EQ(EdgeTypeSizes(cube), (Sizes{4, 4, 4}));
  ExpectTypesAreOrbits(cube);

  const int c4 = FindSubgroup(full, "C4");
  ASSERT_GT(c4, 0);
  ASSERT_TRUE(cube.ApplySubSymmetry(c4, -1));
  EXPECT_EQ(cube.mReflexible, 0);
  EXPECT_EQ(TypeSizes(*cube.mBaseBlock), (Sizes{1, 1, 4}));
  ExpectTypesAreOrbits(cube);

  const int trivial = FindSubgroup(full, "C1");
  ASSERT_GT(trivial, 0);
  ASSERT_TRUE(cube.ApplySubSymmetry(trivial, -1));
  EXPECT_EQ(TypeSizes(*cube.mBaseBlock), Sizes(6, 1));
  EXPECT_EQ(TypeSizes(*cube.mDualBlock), Sizes(8, 1));
  EXPECT_EQ(EdgeTypeSizes(cube), Sizes(12, 1));
  EXPECT_EQ(cube.mNumEdges, 12);

  // Back to the full group: the original types, numbered as before.
  ASSERT_TRUE(cube.ApplySubSymmetry(0, -1));
  EXPECT_EQ(SymGroup::GetSchoenflies(cube.mSymGroup), "Oh");
  EXPECT_EQ(cube.mReflexible, 1);
  EXPECT_EQ(TypeSizes(*cube.mBaseBlock), (Sizes{6}));
  EXPECT_EQ(TypeSizes(*cube.mDualBlock), (Sizes{8}));
  EXPECT_EQ(EdgeTypeSizes(cube), (Sizes{12}));
  EXPECT_EQ(Numbering(cube), original);
}

TEST(SubSymmetryTest, IndexPairAndFlatPositionNameTheSameSubgroup) {
  Poly byPair;
  Poly byPosition;
  BuildHullPoly(byPair, Cube());
  BuildHullPoly(byPosition, Cube());
  const SymGroup* full = byPair.mSymGroup;
  // Rotational subgroup 2 of O is D4; its variants are tried in turn.
  SymSubgroupSpec spec;
  ASSERT_TRUE(SymGroup::GetRotationalSubgroup(full, 2, spec));
  ASSERT_EQ(spec.type, corvia::kSymGroupDihedral);
  for (int refl = 0; SymGroup::GetReflectiveSubgroup(full, refl, spec); ++refl) {
    SCOPED_TRACE(corvia::GetSubgroupSchoenflies(&spec));
    const int position = SymGroup::FindSubgroupIndex(full, 2, refl);
    ASSERT_GT(position, 0);
    ASSERT_TRUE(byPair.ApplySubSymmetry(2, refl));
    ASSERT_TRUE(byPosition.ApplySubSymmetry(position, -1));
    EXPECT_EQ(byPair.mSubSymRotIndex, 2);
    EXPECT_EQ(byPair.mSubSymReflIndex, refl);
    EXPECT_EQ(SymGroup::GetSchoenflies(byPair.mSymGroup), corvia::GetSubgroupSchoenflies(&spec));
    EXPECT_EQ(Numbering(byPair), Numbering(byPosition));
    ExpectTypesAreOrbits(byPair);
  }
}

// Every subgroup of the full group, for three models: the types are the orbits, and
// the same model built twice is numbered the same way.
TEST(SubSymmetryTest, EverySubgroupGivesItsOrbitsDeterministically) {
  struct Case {
    const char* name;
    std::vector<Point> points;
    const char* group;
  };
  const Case cases[] = {
      {"cube", Cube(), "Oh"}, {"icosahedron", Icosahedron(), "Ih"}, {"hexagonal prism", HexagonalPrismPoints(), "D6h"}};
  // Faces related only by improper operations (under Ci, Cs, S6, Th, ...) get frames
  // that are images of their representative's: no "ReorientAxes:" box under any
  // subgroup, and no other internal error either.
  auto& messages = corvia::testing::Platform().messages;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Poly poly;
    Poly twin;
    BuildHullPoly(poly, c.points);
    BuildHullPoly(twin, c.points);
    ASSERT_EQ(SymGroup::GetSchoenflies(poly.mSymGroup), c.group);
    const int count = CountSubgroups(poly.mSymGroup);
    ASSERT_GT(count, 3);
    for (int n = 0; n < count; ++n) {
      SCOPED_TRACE("subgroup " + std::to_string(n));
      const size_t boxesBefore = messages.Boxes().size();
      const int errorsBefore = messages.CountTitled("Internal Error");
      ASSERT_TRUE(poly.ApplySubSymmetry(n, -1));
      const bool framesSetUp = messages.CountTitled("Internal Error") == errorsBefore;
      for (size_t b = boxesBefore; b < messages.Boxes().size(); ++b) {
        EXPECT_NE(messages.Boxes()[b].text.rfind("ReorientAxes:", 0), 0u) << messages.Boxes()[b].text;
      }
      ASSERT_TRUE(twin.ApplySubSymmetry(n, -1));
      SCOPED_TRACE(SymGroup::GetSchoenflies(poly.mSymGroup));
      ExpectTypesAreOrbits(poly, framesSetUp);
      // Chiral subgroups relate faces by rotations only: their frames always set up.
      if (poly.mSymGroup->reflectionType == corvia::kReflectionChiral) {
        EXPECT_TRUE(framesSetUp);
      }
      EXPECT_EQ(Numbering(poly), Numbering(twin));
      // Each orbit has the subgroup's order divided by the element's stabiliser, so
      // the sizes add up to the element counts whatever the group.
      int faces = 0;
      for (int size : TypeSizes(*poly.mBaseBlock)) faces += size;
      EXPECT_EQ(faces, poly.mFaces.mCount);
    }
  }
}

TEST(SubSymmetryTest, IcosahedronUnderTheTetrahedralGroup) {
  // Th relates the two sets of four by the inversion only: the frames of the eight
  // must still be images of one another.
  Poly poly;
  BuildHullPoly(poly, Icosahedron());
  const int th = FindSubgroup(poly.mSymGroup, "Th");
  ASSERT_GT(th, 0);
  ASSERT_TRUE(poly.ApplySubSymmetry(th, -1));
  // Eight triangles sit on the 3-fold axes (two sets of four under T, one set of eight
  // with the inversion of Th); the other twelve are one orbit.
  EXPECT_EQ(TypeSizes(*poly.mBaseBlock), (Sizes{8, 12}));
  EXPECT_EQ(TypeSizes(*poly.mDualBlock), (Sizes{12}));
  const int t = FindSubgroup(poly.GetFullSymGroup(), "T");
  ASSERT_GT(t, 0);
  ASSERT_TRUE(poly.ApplySubSymmetry(t, -1));
  EXPECT_EQ(TypeSizes(*poly.mBaseBlock), (Sizes{4, 4, 12}));
  EXPECT_EQ(poly.mReflexible, 0);
}

TEST(SubSymmetryTest, PrismUnderDihedralAndPyramidalSubgroups) {
  Poly prism;
  BuildHullPoly(prism, HexagonalPrismPoints());
  EXPECT_EQ(TypeSizes(*prism.mBaseBlock), (Sizes{2, 6}));
  EXPECT_EQ(EdgeTypeSizes(prism), (Sizes{6, 12}));
  const int c6v = FindSubgroup(prism.mSymGroup, "C6v");
  ASSERT_GT(c6v, 0);
  ASSERT_TRUE(prism.ApplySubSymmetry(c6v, -1));
  EXPECT_EQ(TypeSizes(*prism.mBaseBlock), (Sizes{1, 1, 6}));
  EXPECT_EQ(TypeSizes(*prism.mDualBlock), (Sizes{6, 6}));
  EXPECT_EQ(EdgeTypeSizes(prism), (Sizes{6, 6, 6}));
  const int d3h = FindSubgroup(prism.GetFullSymGroup(), "D3h");
  ASSERT_GT(d3h, 0);
  ASSERT_TRUE(prism.ApplySubSymmetry(d3h, -1));
  ExpectTypesAreOrbits(prism);
  EXPECT_EQ(TypeSizes(*prism.mDualBlock).size() + TypeSizes(*prism.mBaseBlock).size(), 4u);
}

TEST(SubSymmetryTest, PrismEdgesUnderGroupsWithoutVerticalMirrors) {
  // Under C6h and S6 the two hexagons are related only by improper operations: their
  // twelve sides are one orbit, the six upright edges another.
  Poly prism;
  BuildHullPoly(prism, HexagonalPrismPoints());
  for (const char* name : {"C6h", "S6", "C3h"}) {
    SCOPED_TRACE(name);
    const int n = FindSubgroup(prism.GetFullSymGroup(), name);
    ASSERT_GT(n, 0);
    ASSERT_TRUE(prism.ApplySubSymmetry(n, -1));
    ExpectTypesAreOrbits(prism);
  }
  ASSERT_TRUE(prism.ApplySubSymmetry(FindSubgroup(prism.GetFullSymGroup(), "C6h"), -1));
  EXPECT_EQ(TypeSizes(*prism.mBaseBlock), (Sizes{2, 6}));
  EXPECT_EQ(EdgeTypeSizes(prism), (Sizes{6, 12}));
}

// Each face draws its type's diagram through its own frame, so under every subgroup
// the diagram's points, carried by a face's frame, must land on that face's corners,
// also for faces that only an improper operation relates to their representative.
TEST(SubSymmetryTest, EveryFaceFrameCarriesItsTypesDiagramOntoTheFace) {
  struct Case {
    const char* name;
    std::vector<Point> points;
  };
  const Case cases[] = {{"cube", Cube()}, {"icosahedron", Icosahedron()}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Poly poly;
    BuildHullPoly(poly, c.points);
    const int count = CountSubgroups(poly.mSymGroup);
    for (int n = 0; n < count; ++n) {
      ASSERT_TRUE(poly.ApplySubSymmetry(n, -1));
      SCOPED_TRACE(SymGroup::GetSchoenflies(poly.mSymGroup));
      poly.mBaseBlock->CreateFaceDiagrams();
      int wrong = 0;
      for (const PolyElement* f = poly.mFaces.mHead; f; f = f->mNext) {
        const corvia::FaceType* type = f->mType;
        ASSERT_NE(type, nullptr);
        const corvia::FaceType* master = type->mCoplanarMaster ? type->mCoplanarMaster : type;
        const corvia::FaceDiagramResult& diagram = master->mResults[0];
        ASSERT_GT(diagram.mNumPoints, 2);
        corvia::Transform3D frame;
        f->GetFaceToWorld(frame, false);
        for (int i = 0; i < diagram.mNumPoints; ++i) {
          const double local[3] = {diagram.mPoints[i].x, diagram.mPoints[i].y, 0.0};
          double world[3];
          corvia::TransformPoint(frame, world, local);
          double nearest = 1e9;
          for (int k = 0; k < f->mNumSides; ++k) {
            double d[3];
            corvia::Subtract(d, world, f->GetCorner(k)->mDualVert);
            nearest = std::min(nearest, std::sqrt(corvia::Dot(d, d)));
          }
          if (nearest > 1e-6) ++wrong;
        }
      }
      EXPECT_EQ(wrong, 0);
    }
  }
}

TEST(SubSymmetryTest, MissingSubgroupLeavesTheModelAlone) {
  Poly cube;
  BuildHullPoly(cube, Cube());
  SymGroup* group = cube.mSymGroup;
  const std::vector<int> before = Numbering(cube);
  EXPECT_FALSE(cube.ApplySubSymmetry(9999, -1));
  EXPECT_FALSE(cube.ApplySubSymmetry(0, 9999));
  EXPECT_FALSE(cube.ApplySubSymmetry(9999, 0));
  EXPECT_FALSE(cube.ApplySubSymmetry(-1, 0));
  // Nothing was saved, so the group has one owner and the model is as it was.
  EXPECT_EQ(cube.mFullSymGroup, nullptr);
  EXPECT_EQ(cube.mSymGroup, group);
  EXPECT_EQ(Numbering(cube), before);
  EXPECT_EQ(cube.mSelectedFacetPreview, -1);

  // After a subgroup is applied, a missing one keeps it in use.
  ASSERT_TRUE(cube.ApplySubSymmetry(FindSubgroup(group, "D4h"), -1));
  SymGroup* sub = cube.mSymGroup;
  EXPECT_FALSE(cube.ApplySubSymmetry(9999, -1));
  EXPECT_EQ(cube.mSymGroup, sub);
  EXPECT_EQ(cube.mFullSymGroup, group);
  // Clearing frees both groups once each (the sanitizer build checks).
  cube.Clear(false);
  EXPECT_EQ(cube.mFullSymGroup, nullptr);
  EXPECT_EQ(cube.mSymGroup, nullptr);
}

TEST(SubSymmetryTest, FirstApplicationSavesTheFullClassification) {
  Poly cube;
  BuildHullPoly(cube, Cube());
  cube.mPolyFlags |= corvia::kPolyFlagAxisTreatment;
  std::vector<PolyElement*> next;
  std::vector<uint32_t> ids;
  for (PolyElement* f = cube.mFaces.mHead; f; f = f->mNext) {
    next.push_back(f->mNextOfType);
    ids.push_back(f->mIdFlags);
  }
  const uint8_t reflexible = cube.mReflexible;
  ASSERT_TRUE(cube.ApplySubSymmetry(FindSubgroup(cube.mSymGroup, "C4"), -1));
  EXPECT_EQ(cube.mSavedReflexible, reflexible);
  EXPECT_FALSE(cube.mPolyFlags & corvia::kPolyFlagAxisTreatment);
  size_t i = 0;
  for (PolyElement* f = cube.mFaces.mHead; f; f = f->mNext, ++i) {
    EXPECT_EQ(cube.mSavedClasses.at(f).nextOfType, next[i]);
    EXPECT_EQ(cube.mSavedClasses.at(f).idFlags, ids[i]);
  }
  // A second application keeps what the first saved.
  ASSERT_TRUE(cube.ApplySubSymmetry(FindSubgroup(cube.GetFullSymGroup(), "C1"), -1));
  EXPECT_EQ(cube.mSavedReflexible, reflexible);
  i = 0;
  for (PolyElement* f = cube.mFaces.mHead; f; f = f->mNext, ++i) EXPECT_EQ(cube.mSavedClasses.at(f).nextOfType, next[i]);
  // An element destroyed (which makes the model forget it) leaves the saved
  // classification: one made later at its address must not take its class.
  PolyElement* gone = cube.mFaces.mHead;
  corvia::PolyForgetElement(&cube, gone);
  EXPECT_EQ(cube.mSavedClasses.count(gone), 0u);
  EXPECT_EQ(cube.mSavedClasses.size(), next.size() + static_cast<size_t>(cube.mVertices.mCount) - 1);
}

TEST(SubSymmetryTest, SelectionSurvivesTheNewTypes) {
  Poly cube;
  BuildHullPoly(cube, Cube());
  PolyElement* face = cube.GetFace(3);
  cube.SelectEdge(face, false);
  ASSERT_EQ(cube.mSelectedItem, face);
  ASSERT_TRUE(cube.ApplySubSymmetry(FindSubgroup(cube.mSymGroup, "D4h"), -1));
  EXPECT_EQ(cube.mSelectedItem, face);
  EXPECT_EQ(cube.mShowDual, 0);

  // A selected edge is found again in the new edge array by its ends and sides.
  Edge* edge = cube.GetEdge(5);
  ASSERT_NE(edge, nullptr);
  const PolyElement* v1 = edge->mVert1;
  const PolyElement* v2 = edge->mVert2;
  cube.SelectEdge(edge, false);
  ASSERT_EQ(cube.mSelectedItem, edge);
  ASSERT_TRUE(cube.ApplySubSymmetry(FindSubgroup(cube.GetFullSymGroup(), "C4v"), -1));
  ASSERT_NE(cube.mSelectedItem, nullptr);
  Edge* now = cube.mSelectedItem->AsEdge();
  ASSERT_NE(now, nullptr);
  EXPECT_GE(now - cube.mEdgeArray, 0);
  EXPECT_LT(now - cube.mEdgeArray, cube.mNumEdges);
  EXPECT_TRUE((now->mVert1 == v1 && now->mVert2 == v2) || (now->mVert1 == v2 && now->mVert2 == v1));
  EXPECT_EQ(cube.GetSelectedEdge(), now);
}

TEST(SubSymmetryTest, SetRotSymOfTypesFollowsTheGroupInUse) {
  Poly cube;
  BuildHullPoly(cube, Cube());
  ASSERT_TRUE(cube.ApplySubSymmetry(FindSubgroup(cube.mSymGroup, "D2h"), -1));
  cube.SetRotSymOfTypes();
  // Under D2h every face lies on a 2-fold axis.
  for (const corvia::FaceType* t = cube.mBaseBlock->mFirstFaceType; t; t = t->mNext) {
    EXPECT_EQ(t->mNumRotations, 2);
  }
  ASSERT_TRUE(cube.ApplySubSymmetry(0, -1));
  cube.SetRotSymOfTypes();
  EXPECT_EQ(cube.mBaseBlock->mFirstFaceType->mNumRotations, 4);
  EXPECT_EQ(cube.mDualBlock->mFirstFaceType->mNumRotations, 3);
}

}  // namespace test_SubSymmetry
