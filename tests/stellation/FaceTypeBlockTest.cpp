// Face-type blocks of hand-built octahedral models: the face types of a cube, a
// cuboctahedron and a snub cube, their rotational order, frames and mirror relations;
// the block's list upkeep, sorting, measures and complexity estimate.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <map>
#include <memory>
#include <vector>

#include "model/ElementServices.h"
#include "symmetry/SymGroup.h"
#include "tests/model/PolyModels.h"
#include "tests/support/TestSupport.h"

namespace test_FaceTypeBlock {

using corvia::FaceType;
using corvia::FaceTypeBlock;
using corvia::PolyElement;
using corvia::testing::FaceRing;
using corvia::testing::Point;
using corvia::testing::models::CubeCorners;

// The faces of the convex hull of the points, each ring counter-clockwise seen from
// outside (the models are small, so every plane through three points is tried).
std::vector<FaceRing> HullFaces(const std::vector<Point>& points) {
  std::vector<FaceRing> faces;
  std::vector<std::vector<int>> seen;
  const int n = static_cast<int>(points.size());
  for (int a = 0; a < n; ++a) {
    for (int b = a + 1; b < n; ++b) {
      for (int c = b + 1; c < n; ++c) {
        double u[3], v[3], normal[3];
        corvia::Subtract(u, points[b].data(), points[a].data());
        corvia::Subtract(v, points[c].data(), points[a].data());
        corvia::Cross(normal, u, v);
        const double length = std::sqrt(corvia::Dot(normal, normal));
        if (length < 1e-9) continue;
        corvia::Divide(normal, normal, length);
        const double offset = corvia::Dot(normal, points[a].data());
        if (offset < 0) {
          corvia::Negate(normal);
        }
        const double d = std::fabs(offset);
        std::vector<int> on;
        bool outside = false;
        for (int p = 0; p < n; ++p) {
          const double h = corvia::Dot(normal, points[p].data()) - d;
          if (h > 1e-9) outside = true;
          if (std::fabs(h) <= 1e-9) on.push_back(p);
        }
        if (outside || std::find(seen.begin(), seen.end(), on) != seen.end()) continue;
        seen.push_back(on);
        double centre[3] = {0, 0, 0};
        for (int p : on) corvia::AddTo(centre, points[p].data());
        corvia::Divide(centre, centre, static_cast<double>(on.size()));
        double x[3], y[3];
        corvia::Subtract(x, points[on[0]].data(), centre);
        corvia::Cross(y, normal, x);
        std::sort(on.begin(), on.end(), [&](int p, int q) {
          double dp[3], dq[3];
          corvia::Subtract(dp, points[p].data(), centre);
          corvia::Subtract(dq, points[q].data(), centre);
          return std::atan2(corvia::Dot(dp, y), corvia::Dot(dp, x)) < std::atan2(corvia::Dot(dq, y), corvia::Dot(dq, x));
        });
        faces.push_back(on);
      }
    }
  }
  return faces;
}

std::vector<Point> CuboctahedronPoints() {
  std::vector<Point> points;
  for (int axis = 0; axis < 3; ++axis) {
    for (double s : {-1.0, 1.0}) {
      for (double t : {-1.0, 1.0}) {
        Point p = {0, 0, 0};
        p[(axis + 1) % 3] = s;
        p[(axis + 2) % 3] = t;
        points.push_back(p);
      }
    }
  }
  return points;
}

// One hand of the snub cube: even permutations of (1, 1/t, t) with an odd number of
// minus signs and odd permutations with an even number, t the tribonacci constant.
std::vector<Point> SnubCubePoints() {
  const double t = 1.839286755214161;
  const double base[3] = {1.0, 1.0 / t, t};
  const int even[3][3] = {{0, 1, 2}, {1, 2, 0}, {2, 0, 1}};
  const int odd[3][3] = {{1, 0, 2}, {0, 2, 1}, {2, 1, 0}};
  std::vector<Point> points;
  for (int signs = 0; signs < 8; ++signs) {
    const int minus = (signs & 1) + ((signs >> 1) & 1) + ((signs >> 2) & 1);
    const auto& perms = minus % 2 == 1 ? even : odd;
    for (const auto& perm : perms) {
      Point p;
      for (int k = 0; k < 3; ++k) p[k] = base[perm[k]] * ((signs >> k) & 1 ? -1.0 : 1.0);
      points.push_back(p);
    }
  }
  return points;
}

// A key that tells the face orbits of these models apart: the side count and the
// sorted absolute normal components.
std::vector<long> OrbitKey(const PolyElement* face) {
  std::vector<long> key = {face->mNumSides};
  std::vector<double> a = {std::fabs(face->mZAxis[0]), std::fabs(face->mZAxis[1]), std::fabs(face->mZAxis[2])};
  std::sort(a.begin(), a.end());
  for (double v : a) key.push_back(std::lround(v * 1e4));
  return key;
}

// A model with an octahedral group in standard orientation, face types by orbit (in
// order of first appearance), one vertex type and edge types by the face types they
// join.
struct Model {
  corvia::Poly poly;
  std::vector<FaceType*> types;

  Model(const std::vector<Point>& points, bool reflexible) : Model(points, HullFaces(points), reflexible, 0) {}

  // Faces from index `secondHand` on belong to another orbit than the faces before.
  Model(const std::vector<Point>& points, const std::vector<FaceRing>& faces, bool reflexible, int secondHand) {
    corvia::testing::BuildPoly(poly, points, faces);
    auto group = corvia::CreateSymGroup(corvia::kSymGroupOctahedral, 0);
    if (reflexible) group->SetReflectionType(corvia::kReflectionHorizontal);
    poly.mSymGroup = group.release();
    poly.mReflexible = reflexible ? 1 : 0;
    std::map<std::vector<long>, FaceType*> byKey;
    for (PolyElement* face = poly.mFaces.mHead; face; face = face->mNext) {
      std::vector<long> key = OrbitKey(face);
      key.push_back(secondHand > 0 && face->GetIndex() >= secondHand ? 1 : 0);
      FaceType*& type = byKey[key];
      if (!type) {
        type = new FaceType(&poly, poly.mBaseBlock.get(), 0, static_cast<int>(types.size()));
        poly.mBaseBlock->AppendFaceType(type);
        types.push_back(type);
      }
      type->AddFace(face);
    }
    FaceType* dual = new FaceType(&poly, poly.mDualBlock.get(), 0, 0);
    poly.mDualBlock->AppendFaceType(dual);
    for (PolyElement* vertex = poly.mVertices.mHead; vertex; vertex = vertex->mNext) dual->AddFace(vertex);
    std::map<std::pair<int, int>, int> edgeTypes;
    for (int e = 0; e < poly.mNumEdges; ++e) {
      corvia::Edge& edge = poly.mEdgeArray[e];
      const int a = FaceType::GetIndex(edge.mFace1->mType);
      const int b = FaceType::GetIndex(edge.mFace2->mType);
      const std::pair<int, int> key(std::min(a, b), std::max(a, b));
      auto found = edgeTypes.emplace(key, static_cast<int>(edgeTypes.size())).first;
      edge.mEdgeType = found->second;
    }
  }

  // The steps of the set-up for an imposed group's frames, without the group's axes.
  void SetUpFrames() {
    for (FaceType* type : types) {
      type->CalcRotSymFromShape();
      corvia::ReorientAxes(type, poly.mSymGroup);
      type->RaiseRotSymFromAxes();
    }
    poly.mBaseBlock->AlignFaceFrames();
  }
};

// Every face of the type sees its corner 0 where the representative sees its own:
// the frames are images of one another.
void ExpectFramesAreImages(const FaceType* type) {
  const PolyElement* rep = type->mFirstFace;
  auto local = [](const PolyElement* face, double* out) {
    double d[3];
    corvia::Subtract(d, face->mNeighbours[0]->mDualVert, face->mCentre);
    out[0] = corvia::Dot(d, face->mXAxis);
    out[1] = corvia::Dot(d, face->mYAxis);
  };
  double expected[2];
  local(rep, expected);
  for (const PolyElement* face = rep; face; face = face->mNextOfType) {
    double y[3];
    corvia::Cross(y, face->mZAxis, face->mXAxis);
    EXPECT_NEAR(corvia::Dot(face->mXAxis, face->mXAxis), 1.0, 1e-9);
    EXPECT_NEAR(corvia::Dot(face->mXAxis, face->mZAxis), 0.0, 1e-9);
    double got[2];
    local(face, got);
    EXPECT_NEAR(got[0], expected[0], 1e-7) << "face " << face->GetNumber();
    EXPECT_NEAR(got[1], expected[1], 1e-7) << "face " << face->GetNumber();
  }
}

TEST(FaceTypeBlockModels, CubeHasOneSelfMirrorSquareType) {
  Model cube(CubeCorners(), true);
  cube.SetUpFrames();
  FaceTypeBlock& block = *cube.poly.mBaseBlock;
  ASSERT_EQ(block.CountFaceTypes(), 1);
  const FaceType* squares = block.GetFaceType(0);
  EXPECT_EQ(squares->mCount, 6);
  EXPECT_EQ(squares->mNumRotations, 4);
  EXPECT_TRUE(squares->mFlags & corvia::kFaceTypeSelfMirror);
  EXPECT_EQ(squares->mMirrorPartner, nullptr);
  ASSERT_NE(squares->mMirrorFace, nullptr);
  EXPECT_EQ(squares->mMirrorFace->mType, squares);
  // The in-plane mirror line is a unit direction.
  EXPECT_NEAR(std::hypot(squares->mMirrorLine[0], squares->mMirrorLine[1]), 1.0, 1e-9);
  ExpectFramesAreImages(squares);
  EXPECT_EQ(block.EstimateComplexity(), 9);  // one type of six planes: (6 - 2)^2 / 2 + 1
}

TEST(FaceTypeBlockModels, CuboctahedronHasTrianglesAndSquares) {
  Model model(CuboctahedronPoints(), true);
  model.SetUpFrames();
  FaceTypeBlock& block = *model.poly.mBaseBlock;
  ASSERT_EQ(block.CountFaceTypes(), 2);
  int triangles = 0, squares = 0;
  for (const FaceType* type = block.mFirstFaceType; type; type = type->mNext) {
    if (type->mFirstFace->mNumSides == 3) {
      ++triangles;
      EXPECT_EQ(type->mCount, 8);
      EXPECT_EQ(type->mNumRotations, 3);
    } else {
      ++squares;
      EXPECT_EQ(type->mCount, 6);
      EXPECT_EQ(type->mNumRotations, 4);
    }
    EXPECT_TRUE(type->mFlags & corvia::kFaceTypeSelfMirror);
    EXPECT_EQ(type->mMirrorPartner, nullptr);
    ASSERT_NE(type->mMirrorFace, nullptr);
    EXPECT_EQ(type->mMirrorFace->mType, type);
    ExpectFramesAreImages(type);
  }
  EXPECT_EQ(triangles, 1);
  EXPECT_EQ(squares, 1);

  // Squares lie nearer the centre than triangles, so they sort first; indices follow.
  block.SortFaceTypes(corvia::CompareFaceTypesForSort);
  EXPECT_EQ(block.GetFaceType(0)->mFirstFace->mNumSides, 4);
  EXPECT_EQ(block.GetFaceType(1)->mFirstFace->mNumSides, 3);
  EXPECT_EQ(block.GetFaceType(0)->mIndex, 0);
  EXPECT_EQ(block.GetFaceType(1)->mIndex, 1);
  EXPECT_EQ(block.mLastFaceType, block.GetFaceType(1));
  EXPECT_EQ(block.mLastFaceType->mNext, nullptr);
}

TEST(FaceTypeBlockModels, SnubCubeIsChiralWithThreeTypes) {
  Model model(SnubCubePoints(), false);
  ASSERT_EQ(model.poly.mFaces.mCount, 38);
  model.SetUpFrames();
  FaceTypeBlock& block = *model.poly.mBaseBlock;
  ASSERT_EQ(block.CountFaceTypes(), 3);
  std::map<std::pair<int, int>, int> found;  // (sides, faces) -> rotations
  for (const FaceType* type = block.mFirstFaceType; type; type = type->mNext) {
    found[{type->mFirstFace->mNumSides, type->mCount}] = type->mNumRotations;
    EXPECT_EQ(type->mFlags & (corvia::kFaceTypeSelfMirror | corvia::kFaceTypeHemiMirror), 0u);
    EXPECT_EQ(type->mMirrorPartner, nullptr);
    EXPECT_EQ(type->mMirrorFace, nullptr);
    ExpectFramesAreImages(type);
  }
  const std::map<std::pair<int, int>, int> expected = {{{4, 6}, 4}, {{3, 8}, 3}, {{3, 24}, 1}};
  EXPECT_EQ(found, expected);
  // 6 + 8 + 24 planes: (36^2 / 2 + 1) x 3.
  EXPECT_EQ(block.EstimateComplexity(), (36 * 36 / 2 + 1) * 3);
}

// Both hands of the snub cube in one model with the full octahedral group: each type
// of one hand finds its mirror partner in the other, and the partner's frames are
// turned to be mirror images of the first type's.
TEST(FaceTypeBlockModels, SnubCubeCompoundPairsMirrorTypes) {
  std::vector<Point> points = SnubCubePoints();
  std::vector<FaceRing> faces = HullFaces(points);
  const int hand = static_cast<int>(points.size());
  const int secondHand = static_cast<int>(faces.size());
  std::vector<Point> mirrored;
  for (Point p : points) mirrored.push_back({-p[0], p[1], p[2]});
  for (FaceRing ring : HullFaces(mirrored)) {
    for (int& v : ring) v += hand;
    faces.push_back(ring);
  }
  points.insert(points.end(), mirrored.begin(), mirrored.end());
  Model model(points, faces, true, secondHand);
  model.SetUpFrames();
  FaceTypeBlock& block = *model.poly.mBaseBlock;
  ASSERT_EQ(block.CountFaceTypes(), 6);
  double improper[9] = {1, 0, 0, 0, 1, 0, 0, 0, 1};
  model.poly.mSymGroup->GetReflectionMatrix(improper);
  int firsts = 0;
  for (const FaceType* type = block.mFirstFaceType; type; type = type->mNext) {
    ASSERT_NE(type->mMirrorPartner, nullptr) << "type " << FaceType::GetNumber(type);
    EXPECT_EQ(type->mMirrorPartner->mMirrorPartner, type);
    EXPECT_EQ(type->mMirrorPartner->mCount, type->mCount);
    EXPECT_EQ(type->mFlags & corvia::kFaceTypeSelfMirror, 0u);
    ExpectFramesAreImages(type);
    if (!type->mMirrorFace) continue;
    ++firsts;
    // The mirror face's frame is the image of the representative's, x reversed.
    const PolyElement* rep = type->mFirstFace;
    const PolyElement* mirror = type->mMirrorFace;
    EXPECT_EQ(mirror->mType, type->mMirrorPartner);
    double n[3], y[3];
    corvia::MatrixTimesVector(improper, n, rep->mZAxis);
    corvia::MatrixTimesVector(improper, y, rep->mYAxis);
    EXPECT_NEAR(corvia::Dot(n, mirror->mZAxis), 1.0, 1e-9);
    EXPECT_NEAR(corvia::Dot(y, mirror->mYAxis), 1.0, 1e-9);
  }
  EXPECT_EQ(firsts, 3);  // the type of each pair processed first keeps the mirror face
}

TEST(FaceTypeBlockModels, AxesFromTheGroupGiveEveryFaceItsAxis) {
  Model cube(CubeCorners(), true);
  FaceType* squares = cube.types[0];
  corvia::SetRotSymAndReorientAxes(squares, cube.poly.mSymGroup);
  EXPECT_EQ(squares->mNumRotations, 4);
  ASSERT_NE(squares->mSymAxisType, nullptr);
  EXPECT_EQ(squares->mSymAxisType->fold, 4);
  for (const PolyElement* face = squares->mFirstFace; face; face = face->mNextOfType) {
    ASSERT_NE(face->GetSymAxis(), nullptr);
    double c[3];
    corvia::Cross(c, face->GetSymAxis()->direction, face->mZAxis);
    EXPECT_NEAR(corvia::Dot(c, c), 0.0, 1e-12);
  }
  ExpectFramesAreImages(squares);
}

TEST(FaceTypeBlockModels, RotationalOrderFromShapeHalvesWhereTheModelCannotCarryIt) {
  Model cube(CubeCorners(), true);
  FaceType* squares = cube.types[0];
  const int realCount = squares->mCount;
  for (auto [count, expected] : std::vector<std::pair<int, int>>{{6, 4}, {3, 2}, {4, 2}, {7, 2}, {5, 4}}) {
    squares->mCount = count;
    squares->CalcRotSymFromShape();
    EXPECT_EQ(squares->mNumRotations, expected) << count << " faces";
  }
  squares->mCount = realCount;
  // A raised order needs an axis of a larger fold along the normal: a 2-fold square
  // of the cube goes back to 4.
  squares->mNumRotations = 2;
  squares->RaiseRotSymFromAxes();
  EXPECT_EQ(squares->mNumRotations, 4);
}

TEST(FaceTypeBlockModels, ElementServicesReadTheTypes) {
  Model model(CuboctahedronPoints(), true);
  model.SetUpFrames();
  const FaceType* type = model.types[0];
  EXPECT_EQ(corvia::FaceTypeNumFaces(type), type->mCount);
  EXPECT_EQ(corvia::FaceTypeRotationCount(type), type->mNumRotations);
  EXPECT_EQ(corvia::FaceTypeMirrorType(type), type);
  EXPECT_EQ(corvia::FaceTypeNumFaces(nullptr), 0);
  EXPECT_EQ(corvia::FaceTypeMirrorType(nullptr), nullptr);
}

TEST(FaceTypeBlockLists, EmptyBlockCountsNothing) {
  corvia::Poly poly;
  FaceTypeBlock& block = *poly.mBaseBlock;
  EXPECT_EQ(block.CountFaceTypes(), 0);
  EXPECT_EQ(block.CountDistinctFaceTypes(), 0);
  EXPECT_EQ(block.GetFaceType(0), nullptr);
  EXPECT_EQ(block.GetFaceType(-1), nullptr);
  EXPECT_EQ(block.EstimateComplexity(), 0);
  EXPECT_EQ(block.GetNumCells(), 0);
  EXPECT_EQ(block.CountAllCells(), 0);
  EXPECT_EQ(block.GetMaxCellsPerType(), 0);
  EXPECT_TRUE(block.InclusionMatchesFlag(1));
  EXPECT_FALSE(block.IsDual());
  EXPECT_TRUE(poly.mDualBlock->IsDual());
  EXPECT_EQ(block.GetDualStellation(), poly.mDualBlock.get());
  EXPECT_EQ(poly.mDualBlock->GetDualStellation(), nullptr);
  // No edges: the range is zero, not the square root of its start values.
  EXPECT_EQ(block.GetMeanEdgeLength(), 0.0);
  block.SortFaceTypes(corvia::CompareFaceTypesForSort);
  EXPECT_EQ(block.mFirstFaceType, nullptr);
  EXPECT_EQ(FaceType::GetScale(nullptr), 1.0);
}

TEST(FaceTypeBlockLists, ComplexityOfOneTypeOfTwoPlanes) {
  corvia::Poly poly;
  poly.mSymGroup = corvia::CreateSymGroup(corvia::kSymGroupDihedral, 2).release();
  FaceType* type = new FaceType(&poly, poly.mBaseBlock.get(), 0, 0);
  poly.mBaseBlock->AppendFaceType(type);
  type->mNumRotations = poly.mSymGroup->numRotations / 2;
  EXPECT_EQ(poly.mBaseBlock->EstimateComplexity(), 1);
  // A type whose order is not known yet counts as one rotation, never a division by 0.
  type->mNumRotations = 0;
  const int64_t g = poly.mSymGroup->numRotations;
  EXPECT_EQ(poly.mBaseBlock->EstimateComplexity(), (g - 2) * (g - 2) / 2 + 1);
}

TEST(FaceTypeBlockLists, SortingOneTypeRenumbersIt) {
  Model cube(CubeCorners(), true);
  FaceTypeBlock& block = *cube.poly.mBaseBlock;
  block.GetFaceType(0)->mIndex = 5;
  block.SortFaceTypes(corvia::CompareFaceTypesForSort);
  EXPECT_EQ(block.GetFaceType(0)->mIndex, 0);
  EXPECT_EQ(block.GetFaceType(0)->mNext, nullptr);
}

TEST(FaceTypeBlockLists, EdgeRangeAreasAndSolidAngles) {
  Model cube(CubeCorners(), true);
  FaceTypeBlock& block = *cube.poly.mBaseBlock;
  EXPECT_DOUBLE_EQ(block.GetMeanEdgeLength(), 2.0);
  EXPECT_DOUBLE_EQ(block.mShortestEdge, 2.0);
  EXPECT_DOUBLE_EQ(block.mLongestEdge, 2.0);
  block.UpdateFaceAreas();
  EXPECT_NEAR(block.GetFaceType(0)->mArea, 4.0, 1e-9);
  block.UpdateFaceMeasure();
  // Six faces share the full sphere.
  EXPECT_NEAR(std::fabs(block.GetFaceType(0)->mCornerMeasure), 4.0 * M_PI / 6.0, 1e-9);
}

TEST(FaceTypeBlockLists, PartialClearKeepsTheTypesAndRefuses) {
  Model cube(CubeCorners(), true);
  FaceTypeBlock& block = *cube.poly.mBaseBlock;
  FaceType* type = block.mFirstFaceType;
  type->mScale = 3.0;
  block.mState = corvia::kBlockStellated;
  block.Clear(false);
  EXPECT_EQ(block.mFirstFaceType, type);
  EXPECT_EQ(block.CountFaceTypes(), 1);
  EXPECT_EQ(block.mStellationRefused, 1);
  EXPECT_EQ(block.mState, corvia::kBlockNotStellated);
  EXPECT_EQ(type->mScale, -1.0);
  block.Clear(true);
  EXPECT_EQ(block.mFirstFaceType, nullptr);
  EXPECT_EQ(block.mStellationRefused, 0);
}

TEST(FaceTypeBlockLists, MissingGroupIsReported) {
  corvia::testing::ExpectInternalErrors(3);
  Model cube(CubeCorners(), true);
  corvia::SetRotSym(cube.types[0], nullptr);
  corvia::ReorientAxes(cube.types[0], nullptr);
  corvia::SetRotSymAndReorientAxes(cube.types[0], nullptr);
  const auto& boxes = corvia::testing::Platform().messages.Boxes();
  ASSERT_GE(boxes.size(), 3u);
  EXPECT_EQ(boxes[boxes.size() - 3].text, "SetRotSym: symGroup == NULL");
  EXPECT_EQ(boxes[boxes.size() - 2].text, "ReorientAxes: symGroup == NULL");
  EXPECT_EQ(boxes[boxes.size() - 1].text, "SetRotSymAndReorientAxes: symGroup == NULL");
}

}  // namespace test_FaceTypeBlock
