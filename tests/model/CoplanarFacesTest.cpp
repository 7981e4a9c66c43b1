#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <limits>
#include <map>
#include <random>
#include <set>
#include <utility>
#include <vector>

#include "core/MergeSort.h"
#include "core/Messages.h"
#include "model/CoplanarFaces.h"
#include "model/ElementFlags.h"
#include "model/Face.h"
#include "model/FaceTypeBlock.h"
#include "model/Poly.h"
#include "tests/model/CompoundModels.h"
#include "tests/support/TestSupport.h"

namespace corvia::detail_CoplanarFaces {
bool SharesPlane(const PolyElement* s, const PolyElement* e, double tolerance);
double CoplanarTolerance(const std::vector<PolyElement*>& elements);
std::vector<uint8_t> FindCrowdedPoints(const std::vector<double>& positions, double box);
bool KeepRingsAlikeAcrossTypes(ElementList* list);
}  // namespace corvia::detail_CoplanarFaces

namespace test_CoplanarFaces {

using corvia::FaceType;
using corvia::Poly;
using corvia::PolyElement;

// A bare element with only a frame origin and a normal, in its list.
PolyElement* Plane(corvia::FaceList& list, double x, double y, double z, double nz) {
  auto* face = new corvia::Face(nullptr, nullptr, 3);
  list.Append(face);
  face->mCentre[0] = x;
  face->mCentre[1] = y;
  face->mCentre[2] = z;
  face->mZAxis[0] = 0.0;
  face->mZAxis[1] = 0.0;
  face->mZAxis[2] = nz;
  return face;
}

FaceType* NewType(Poly& poly, int index, int rotations) {
  auto* type = new FaceType(&poly, poly.mBaseBlock.get(), 0, index);
  type->mNumRotations = rotations;
  poly.mBaseBlock->AppendFaceType(type);
  return type;
}

TEST(CoplanarFacesTest, SplitCubeGroupsTheTwoTrianglesOfEachSquare) {
  Poly poly;
  corvia::testing::BuildSplitCube(poly);
  corvia::testing::OneTypePerSide(poly);
  ASSERT_TRUE(corvia::FindCoplanarFaces(&poly.mFaces));
  for (int k = 0; k < 6; ++k) {
    PolyElement* a = poly.GetFace(2 * k);
    PolyElement* b = poly.GetFace(2 * k + 1);
    EXPECT_EQ(a->mCoplanarNext, b);
    EXPECT_EQ(b->mCoplanarNext, a);
    // Same type as its predecessor in the ring: the second one is the copy.
    EXPECT_FALSE(a->HasFlag(corvia::kElementCoplanar));
    EXPECT_TRUE(b->HasFlag(corvia::kElementCoplanar));
  }
}

TEST(CoplanarFacesTest, LoneElementsHaveNoRingEvenAfterAnEarlierOne) {
  Poly poly;
  corvia::testing::BuildCube(poly);
  // A link left from an earlier set-up must not survive.
  poly.GetFace(0)->mCoplanarNext = poly.GetFace(1);
  poly.GetFace(0)->mFlags |= corvia::kElementCoplanar;
  ASSERT_TRUE(corvia::FindCoplanarFaces(&poly.mFaces));
  for (const PolyElement* f = poly.mFaces.mHead; f; f = f->mNext) {
    EXPECT_EQ(f->mCoplanarNext, nullptr);
    EXPECT_FALSE(f->HasFlag(corvia::kElementCoplanar));
  }
}

TEST(CoplanarFacesTest, FaceAndItsBackShareARing) {
  corvia::FaceList list;
  PolyElement* front = Plane(list, 0, 0, 1, 1.0);
  PolyElement* back = Plane(list, 0, 0, 1, -1.0);
  PolyElement* other = Plane(list, 0, 0, 2, 1.0);
  ASSERT_TRUE(corvia::FindCoplanarFaces(&list));
  EXPECT_EQ(front->mCoplanarNext, back);
  EXPECT_EQ(back->mCoplanarNext, front);
  EXPECT_EQ(other->mCoplanarNext, nullptr);
}

TEST(CoplanarFacesTest, RingFollowsTypeThenIndexAndFlagsSameTypeSuccessors) {
  Poly poly;
  FaceType* first = NewType(poly, 0, 1);
  FaceType* second = NewType(poly, 1, 1);
  corvia::FaceList list;
  PolyElement* a = Plane(list, 0, 0, 1, 1.0);
  PolyElement* b = Plane(list, 0, 0, 1, 1.0);
  PolyElement* c = Plane(list, 0, 0, 1, -1.0);
  second->AddFace(a);
  first->AddFace(b);
  first->AddFace(c);
  ASSERT_TRUE(corvia::FindCoplanarFaces(&list));
  // Sorted: b, c (type 0), then a (type 1).
  EXPECT_EQ(b->mCoplanarNext, c);
  EXPECT_EQ(c->mCoplanarNext, a);
  EXPECT_EQ(a->mCoplanarNext, b);
  EXPECT_FALSE(b->HasFlag(corvia::kElementCoplanar));
  EXPECT_TRUE(c->HasFlag(corvia::kElementCoplanar));
  EXPECT_FALSE(a->HasFlag(corvia::kElementCoplanar));
  EXPECT_EQ(a->CountCoplanar(), 3);
}

TEST(CoplanarFacesTest, PlaneIsNotSplitByAnotherPlaneSortedBetweenItsMembers) {
  corvia::FaceList list;
  // s and e share a plane (origins 0.9e-7 apart); q, 1.5e-7 from s in x and 0.6e-7
  // from e, sorts between them by its y.
  PolyElement* s = Plane(list, 0.0, 0.0, 1.0, 1.0);
  PolyElement* q = Plane(list, 1.5e-7, -5.0, 1.0, 1.0);
  PolyElement* e = Plane(list, 0.9e-7, 0.0, 1.0, 1.0);
  EXPECT_LT(corvia::CompareCoplanar(s, q), 0);
  EXPECT_LT(corvia::CompareCoplanar(q, e), 0);
  ASSERT_TRUE(corvia::FindCoplanarFaces(&list));
  EXPECT_EQ(s->mCoplanarNext, e);
  EXPECT_EQ(e->mCoplanarNext, s);
  EXPECT_EQ(q->mCoplanarNext, nullptr);
}

TEST(CoplanarFacesTest, CompareCoplanarUsesCanonicalNormalsThenTypeThenIndex) {
  corvia::FaceList list;
  PolyElement* a = Plane(list, 0, 0, 1, 1.0);
  PolyElement* b = Plane(list, 0, 0, 1, -1.0);
  EXPECT_LT(corvia::CompareCoplanar(a, b), 0);
  EXPECT_GT(corvia::CompareCoplanar(b, a), 0);
  PolyElement* c = Plane(list, 0, 0, 1 + 2e-7, 1.0);
  EXPECT_LT(corvia::CompareCoplanar(a, c), 0);
  b->mZAxis[0] = 1.0;
  b->mZAxis[2] = 0.0;
  EXPECT_GT(corvia::CompareCoplanar(b, a), 0);
}

TEST(CoplanarFacesTest, ReorientKeepsFacesWhoseRotationsMatchTheirSides) {
  Poly poly;
  corvia::testing::BuildCube(poly);
  corvia::testing::OneTypePerSide(poly);
  poly.mBaseBlock->mFirstFaceType->mNumRotations = 4;
  poly.mDualBlock->mFirstFaceType->mNumRotations = 3;
  std::vector<PolyElement*> corners;
  std::vector<double> axes;
  for (const PolyElement* f = poly.mFaces.mHead; f; f = f->mNext) {
    corners.push_back(f->mNeighbours[0]);
    axes.push_back(f->mXAxis[0]);
  }
  ASSERT_TRUE(corvia::FindCoplanarFaces(&poly.mFaces));
  corvia::ReorientFaceAxes(&poly.mFaces, poly.mBaseBlock->mFirstFaceType);
  int i = 0;
  for (const PolyElement* f = poly.mFaces.mHead; f; f = f->mNext, ++i) {
    EXPECT_EQ(f->mNeighbours[0], corners[static_cast<size_t>(i)]);
    EXPECT_EQ(f->mXAxis[0], axes[static_cast<size_t>(i)]);
  }
}

// Square pyramid: the triangles (one type, no rotations) have their apex at corner 2;
// two of them are turned so that it is not.
class ReorientPyramid : public ::testing::Test {
 protected:
  void SetUp() override {
    corvia::testing::BuildSquarePyramid(poly);
    FaceType* square = NewType(poly, 0, 4);
    square->AddFace(poly.GetFace(0));
    triangles = NewType(poly, 1, 1);
    for (int i = 1; i < 5; ++i) triangles->AddFace(poly.GetFace(i));
    auto* base = new FaceType(&poly, poly.mDualBlock.get(), 0, 0);
    auto* apex = new FaceType(&poly, poly.mDualBlock.get(), 0, 1);
    poly.mDualBlock->AppendFaceType(base);
    poly.mDualBlock->AppendFaceType(apex);
    for (int v = 0; v < 4; ++v) base->AddFace(poly.GetVertex(v));
    apex->AddFace(poly.GetVertex(4));
    poly.GetFace(2)->RotateCorners(1, false);
    poly.GetFace(4)->RotateCorners(2, false);
  }
  Poly poly;
  FaceType* triangles = nullptr;
};

TEST_F(ReorientPyramid, EveryTriangleStartsAtTheCornerOfItsRepresentative) {
  ASSERT_TRUE(corvia::FindCoplanarFaces(&poly.mFaces));
  corvia::ReorientFaceAxes(&poly.mFaces, poly.mBaseBlock->mFirstFaceType);
  for (int i = 1; i < 5; ++i) {
    const PolyElement* f = poly.GetFace(i);
    EXPECT_EQ(f->mNeighbours[2], poly.GetVertex(4)) << "face " << i;
    // First axis towards corner 0, second axis normal x first.
    double x[3];
    corvia::Subtract(x, f->mNeighbours[0]->mDualVert, f->mCentre);
    const double length = std::sqrt(corvia::Dot(x, x));
    for (int c = 0; c < 3; ++c) EXPECT_NEAR(f->mXAxis[c], x[c] / length, 1e-12);
    EXPECT_NEAR(corvia::Dot(f->mXAxis, f->mYAxis), 0.0, 1e-12);
    double cross[3];
    corvia::Cross(cross, f->mXAxis, f->mYAxis);
    for (int c = 0; c < 3; ++c) EXPECT_NEAR(cross[c], f->mZAxis[c], 1e-7);
  }
}

TEST_F(ReorientPyramid, FaceWithoutAFittingStartIsReportedAndKeptAtCornerZero) {
  corvia::testing::ExpectInternalErrors(2);
  // Base vertex 2 gets a type of its own: the triangles at it (faces 2 and 3) have
  // no corner order that corresponds to the representative's.
  auto* lone = new FaceType(&poly, poly.mDualBlock.get(), 0, 2);
  poly.mDualBlock->AppendFaceType(lone);
  poly.GetVertex(2)->mType = lone;
  PolyElement* odd = poly.GetFace(3);
  PolyElement* first = odd->mNeighbours[0];
  ASSERT_EQ(first, poly.GetVertex(2));
  corvia::ReorientFaceAxes(&poly.mFaces, poly.mBaseBlock->mFirstFaceType);
  EXPECT_EQ(odd->mNeighbours[0], first);
  const auto boxes = corvia::testing::Platform().messages.TakeBoxes();
  ASSERT_EQ(boxes.size(), 2u);
  EXPECT_EQ(boxes[0].text, "ReorientFaceAxes: Couldn't find match for face");
}

TEST(CoplanarFacesTest, PartnerTypeCopiesAxesAndKeepsCorners) {
  Poly poly;
  corvia::testing::BuildSplitCube(poly);
  FaceType* firsts = NewType(poly, 0, 1);
  FaceType* seconds = NewType(poly, 1, 1);
  for (int k = 0; k < 6; ++k) {
    firsts->AddFace(poly.GetFace(2 * k));
    seconds->AddFace(poly.GetFace(2 * k + 1));
  }
  seconds->mCoplanarMaster = firsts;
  ASSERT_TRUE(corvia::FindCoplanarFaces(&poly.mFaces));
  std::vector<PolyElement*> corners;
  for (int k = 0; k < 6; ++k) corners.push_back(poly.GetFace(2 * k + 1)->mNeighbours[0]);
  corvia::ReorientFaceAxes(&poly.mFaces, firsts);
  for (int k = 0; k < 6; ++k) {
    const PolyElement* master = poly.GetFace(2 * k);
    const PolyElement* copy = poly.GetFace(2 * k + 1);
    EXPECT_EQ(copy->mNeighbours[0], corners[static_cast<size_t>(k)]);
    for (int c = 0; c < 3; ++c) {
      EXPECT_EQ(copy->mXAxis[c], master->mXAxis[c]);
      EXPECT_EQ(copy->mYAxis[c], master->mYAxis[c]);
      EXPECT_EQ(copy->mZAxis[c], master->mZAxis[c]);
    }
  }
}

TEST(CoplanarFacesTest, ExactlyOneOfEachSameTypePairCarriesTheCoplanarFlag) {
  Poly poly;
  corvia::testing::BuildSplitCube(poly);
  FaceType* type = NewType(poly, 0, 1);
  for (int i = 0; i < 12; ++i) type->AddFace(poly.GetFace(i));
  auto* dual = new FaceType(&poly, poly.mDualBlock.get(), 0, 0);
  poly.mDualBlock->AppendFaceType(dual);
  for (PolyElement* v = poly.mVertices.mHead; v; v = v->mNext) dual->AddFace(v);
  ASSERT_TRUE(corvia::FindCoplanarFaces(&poly.mFaces));
  corvia::ReorientFaceAxes(&poly.mFaces, type);
  for (int k = 0; k < 6; ++k) {
    const bool a = poly.GetFace(2 * k)->HasFlag(corvia::kElementCoplanar);
    const bool b = poly.GetFace(2 * k + 1)->HasFlag(corvia::kElementCoplanar);
    EXPECT_NE(a, b) << "square " << k;
  }
}

// A cube of half-width 1 whose squares are cut into m x m pairs of triangles, its
// corners moved at random by up to `jitter` and the whole turned at random: the
// triangles of a square lie in its plane only to about the jitter.
void BuildJitteredGridCube(Poly& poly, int m, double jitter, std::mt19937& random) {
  std::map<std::array<int, 3>, int> index;
  std::vector<corvia::testing::Point> points;
  std::vector<corvia::testing::FaceRing> faces;
  std::uniform_real_distribution<double> unit(-1.0, 1.0);
  double q[4] = {unit(random), unit(random), unit(random), unit(random)};
  const double norm = std::sqrt(q[0] * q[0] + q[1] * q[1] + q[2] * q[2] + q[3] * q[3]);
  for (double& c : q) c /= norm;
  const double r[3][3] = {{1 - 2 * (q[2] * q[2] + q[3] * q[3]), 2 * (q[1] * q[2] - q[0] * q[3]), 2 * (q[1] * q[3] + q[0] * q[2])},
                          {2 * (q[1] * q[2] + q[0] * q[3]), 1 - 2 * (q[1] * q[1] + q[3] * q[3]), 2 * (q[2] * q[3] - q[0] * q[1])},
                          {2 * (q[1] * q[3] - q[0] * q[2]), 2 * (q[2] * q[3] + q[0] * q[1]), 1 - 2 * (q[1] * q[1] + q[2] * q[2])}};
  auto at = [&](std::array<int, 3> g) {
    const auto found = index.find(g);
    if (found != index.end()) return found->second;
    double p[3];
    for (int c = 0; c < 3; ++c) p[c] = 2.0 * g[static_cast<size_t>(c)] / m - 1.0 + jitter * unit(random);
    points.push_back({corvia::Dot(r[0], p), corvia::Dot(r[1], p), corvia::Dot(r[2], p)});
    index[g] = static_cast<int>(points.size()) - 1;
    return index[g];
  };
  for (int a = 0; a < 3; ++a) {
    const int b = (a + 1) % 3, c = (a + 2) % 3;
    for (int side : {0, m}) {
      for (int u = 0; u < m; ++u) {
        for (int v = 0; v < m; ++v) {
          int corner[4];
          const int du[4] = {0, 1, 1, 0}, dv[4] = {0, 0, 1, 1};
          for (int k = 0; k < 4; ++k) {
            std::array<int, 3> g{};
            g[static_cast<size_t>(a)] = side;
            g[static_cast<size_t>(b)] = u + du[k];
            g[static_cast<size_t>(c)] = v + dv[k];
            corner[k] = at(g);
          }
          if (side == m) {
            faces.push_back({corner[0], corner[1], corner[2]});
            faces.push_back({corner[0], corner[2], corner[3]});
          } else {
            faces.push_back({corner[0], corner[2], corner[1]});
            faces.push_back({corner[0], corner[3], corner[2]});
          }
        }
      }
    }
  }
  corvia::testing::BuildPoly(poly, points, faces);
}

// The rings are found through a grid of the frame origins: they are those of the
// plain walk that offers every later element of the sorted order to the plane test.
TEST(CoplanarFacesTest, GridFindsTheRingsOfTheWalkOverEveryElement) {
  std::mt19937 random(57u);
  for (double jitter : {0.0, 3e-7, 3e-6, 1e-5, 3e-5}) {
    Poly poly;
    BuildJitteredGridCube(poly, 5, jitter, random);
    ASSERT_TRUE(corvia::FindCoplanarFaces(&poly.mFaces));
    std::vector<PolyElement*> sorted;
    for (PolyElement* f = poly.mFaces.mHead; f; f = f->mNext) sorted.push_back(f);
    corvia::MergeSort(sorted, [](const PolyElement* a, const PolyElement* b) { return corvia::CompareCoplanar(a, b); });
    const double tolerance = corvia::detail_CoplanarFaces::CoplanarTolerance(sorted);
    std::vector<char> assigned(sorted.size(), 0);
    int linked = 0;
    for (size_t i = 0; i < sorted.size(); ++i) {
      if (assigned[i]) continue;
      PolyElement* previous = sorted[i];
      for (size_t j = i + 1; j < sorted.size(); ++j) {
        if (assigned[j] || !corvia::detail_CoplanarFaces::SharesPlane(sorted[i], sorted[j], tolerance)) continue;
        assigned[j] = 1;
        EXPECT_EQ(previous->mCoplanarNext, sorted[j]) << "jitter " << jitter;
        previous = sorted[j];
        ++linked;
      }
      EXPECT_EQ(previous->mCoplanarNext, previous == sorted[i] ? nullptr : sorted[i]) << "jitter " << jitter;
    }
    // The test is only as strong as its planes: exact ones link every triangle of a square.
    if (jitter == 0.0) {
      EXPECT_EQ(linked, 6 * (2 * 5 * 5 - 1));
    }
  }
}

// Only the frame origins with another in reach are searched: those are exactly the
// points that a comparison of every pair finds.
TEST(CoplanarFacesTest, CrowdedPointsAreThoseWithAnotherWithinTheBox) {
  const double box = 1e-4;
  std::mt19937 random(11u);
  std::uniform_real_distribution<double> unit(-1.0, 1.0);
  std::vector<double> points;
  auto add = [&](double x, double y, double z) { points.insert(points.end(), {x, y, z}); };
  for (int i = 0; i < 4000; ++i) {
    const double x = unit(random), y = unit(random), z = unit(random);
    add(x, y, z);
    // Partners just within and just beyond the box, and copies of the same place.
    if (i % 7 == 0) add(x - 0.999 * box, y + 0.5 * box, z + 0.999 * box);
    if (i % 7 == 1) add(x + box * (1 + 1e-9), y, z);
    if (i % 7 == 2) add(x, y, z);
  }
  add(std::numeric_limits<double>::quiet_NaN(), 0.0, 0.0);
  add(std::numeric_limits<double>::infinity(), 0.0, 0.0);
  const std::vector<uint8_t> crowded = corvia::detail_CoplanarFaces::FindCrowdedPoints(points, box);
  const size_t count = points.size() / 3;
  ASSERT_EQ(crowded.size(), count);
  size_t numCrowded = 0;
  for (size_t i = 0; i < count; ++i) {
    const double* p = &points[3 * i];
    bool near = false;
    for (size_t j = 0; j < count && !near && std::isfinite(p[0]); ++j) {
      const double* q = &points[3 * j];
      near = j != i && std::fabs(q[0] - p[0]) <= box && std::fabs(q[1] - p[1]) <= box && std::fabs(q[2] - p[2]) <= box;
    }
    EXPECT_EQ(crowded[i] != 0, near) << "point " << i;
    numCrowded += crowded[i];
  }
  EXPECT_GT(numCrowded, count / 3);
}

// The rings kept alike across types as a walk round every member's ring tells it: a
// member leaves when a type of another member of its ring is missing, null, or not
// found beside every face of its own type, or its type beside every face of that one.
void KeepRingsAlikeByWalkingEveryRing(corvia::ElementList* list) {
  using TypePair = std::pair<const FaceType*, const FaceType*>;
  auto others = [](const PolyElement* e) {
    std::set<const FaceType*> types;
    for (const PolyElement* m = e->mCoplanarNext; m && m != e; m = m->mCoplanarNext) types.insert(m->mType);
    return types;
  };
  for (bool changed = true; changed;) {
    std::map<TypePair, int> withType;
    for (PolyElement* e = list->mHead; e; e = e->mNext) {
      if (!e->mCoplanarNext || !e->mType) continue;
      for (const FaceType* other : others(e)) ++withType[{e->mType, other}];
    }
    auto alike = [&withType](const FaceType* a, const FaceType* b) {
      const auto found = withType.find({a, b});
      return found != withType.end() && found->second == a->mCount;
    };
    std::vector<PolyElement*> leaving;
    for (PolyElement* e = list->mHead; e; e = e->mNext) {
      if (!e->mCoplanarNext || !e->mType) continue;
      for (const FaceType* other : others(e)) {
        if (!other || !alike(e->mType, other) || !alike(other, e->mType)) {
          leaving.push_back(e);
          break;
        }
      }
    }
    for (PolyElement* e : leaving) e->UnlinkCoplanar();
    changed = !leaving.empty();
  }
}

// Rings of many faces of many types, made alike as a symmetric model's are (each orbit
// of planes holds one face of each of its types per plane) and then spoilt here and
// there: faces moved to a plane of another orbit, faces of no type, faces of a type
// left out of every ring. The rings kept are those of the walk round every ring.
TEST(CoplanarFacesTest, RingsAreKeptAlikeAsTheWalkRoundEveryRingKeepsThem) {
  std::mt19937 random(2024u);
  for (int trial = 0; trial < 60; ++trial) {
    Poly poly;
    corvia::FaceList lists[2];
    std::vector<std::vector<PolyElement*>> rings;
    int typeIndex = 0;
    for (int orbit = 0; orbit < 4; ++orbit) {
      const int planes = 1 + static_cast<int>(random() % 4);
      const int typesInPlane = 1 + static_cast<int>(random() % 4);
      std::vector<std::vector<PolyElement*>> orbitRings(static_cast<size_t>(planes));
      for (int t = 0; t < typesInPlane; ++t) {
        FaceType* type = NewType(poly, typeIndex++, 1);
        const int perPlane = 1 + static_cast<int>(random() % 2);
        for (auto& ring : orbitRings) {
          for (int k = 0; k < perPlane; ++k) {
            PolyElement* face = Plane(lists[0], 0, 0, 1, 1.0);
            type->AddFace(face);
            ring.push_back(face);
          }
        }
      }
      for (auto& ring : orbitRings) rings.push_back(ring);
    }
    const int spoils = static_cast<int>(random() % 4);
    for (int s = 0; s < spoils; ++s) {
      auto& from = rings[random() % rings.size()];
      auto& to = rings[random() % rings.size()];
      switch (random() % 3) {
        case 0:
          if (from.size() > 1 && &from != &to) {
            to.push_back(from.back());
            from.pop_back();
          }
          break;
        case 1:
          to.push_back(Plane(lists[0], 0, 0, 1, 1.0));
          break;
        default: {
          FaceType* lost = NewType(poly, typeIndex++, 1);
          lost->AddFace(Plane(lists[0], 0, 0, 1, 1.0));
          lost->AddFace(from.front());
          --from.front()->mType->mCount;
          from.front()->mType = lost;
        }
      }
    }
    // The same rings in a second list, linked alike.
    std::map<PolyElement*, PolyElement*> twin;
    for (PolyElement* e = lists[0].mHead; e; e = e->mNext) {
      PolyElement* copy = Plane(lists[1], 0, 0, 1, 1.0);
      copy->mType = e->mType;
      twin[e] = copy;
    }
    for (const auto& ring : rings) {
      for (size_t i = 0; ring.size() > 1 && i < ring.size(); ++i) {
        PolyElement* next = ring[(i + 1) % ring.size()];
        ring[i]->mCoplanarNext = next;
        twin[ring[i]]->mCoplanarNext = twin[next];
        if (i + 1 < ring.size() && next->mType == ring[i]->mType) {
          next->mFlags |= corvia::kElementCoplanar;
          twin[next]->mFlags |= corvia::kElementCoplanar;
        }
      }
    }
    ASSERT_TRUE(corvia::detail_CoplanarFaces::KeepRingsAlikeAcrossTypes(&lists[0]));
    KeepRingsAlikeByWalkingEveryRing(&lists[1]);
    int linked = 0;
    for (PolyElement* e = lists[0].mHead; e; e = e->mNext) {
      const PolyElement* expected = twin[e]->mCoplanarNext;
      EXPECT_EQ(e->mCoplanarNext ? twin[e->mCoplanarNext] : nullptr, expected) << "trial " << trial;
      EXPECT_EQ(e->HasFlag(corvia::kElementCoplanar), twin[e]->HasFlag(corvia::kElementCoplanar));
      linked += e->mCoplanarNext != nullptr;
    }
    if (spoils == 0) {
      EXPECT_GT(linked, 0) << "trial " << trial;
    }
  }
}

}  // namespace test_CoplanarFaces
