// Plain models from outside (a model file, a user's faces) on their way to a Poly:
// input that is merely bad is an "Error" that says what is wrong, never an
// "Internal Error", and the model shown before stays exactly as it was; a valid
// model builds whatever its size.

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <functional>
#include <limits>
#include <random>
#include <string>
#include <vector>

#include "core/VectorMath.h"
#include "model/CreatePoly.h"
#include "model/Poly.h"
#include "symmetry/SimplePoly.h"
#include "symmetry/SymGroup.h"
#include "tests/model/PolyModels.h"
#include "tests/support/SolidCorners.h"
#include "tests/support/TestSupport.h"
#include "tests/symmetry/FindSymmetriesModels.h"
#include "tests/symmetry/SymTestHelpers.h"

namespace test_CreatePolyInput {

using corvia::Poly;
using corvia::SimplePoly;
using corvia::SymGroup;
using corvia::symtest::FaceList;
using corvia::symtest::Point;
using corvia::symtest::Snapshot;
using corvia::symtest::Take;

constexpr const char* kInvalid = corvia::symtest::kInvalidModelText;

// The cube of half-width 1 with its faces in a fixed order, so that messages name
// known faces and vertices.
std::vector<Point> CubePoints() {
  return corvia::testing::models::CubeCorners();
}
FaceList CubeFaces() {
  return corvia::testing::CubeSquares();
}

// A Poly holding a cube named "shown", as the model on screen.
struct ShownModel {
  Poly poly;
  Snapshot before;

  ShownModel() {
    auto cube = corvia::symtest::MakeModel(CubePoints(), CubeFaces());
    EXPECT_TRUE(CreatePoly(*cube, &poly, false, true));
    poly.SetName("shown");
    before = Take(poly);
  }
  bool Unchanged() const { return Take(poly) == before && std::string(poly.mName) == "shown"; }
};

TEST(CreatePolyInputTest, BadModelsAreErrorsThatSayWhatIsWrong) {
  using Mutation = std::function<void(std::vector<Point>&, FaceList&)>;
  struct Case {
    const char* reason;
    Mutation mutate;
  };
  const double nan = std::numeric_limits<double>::quiet_NaN();
  const double inf = std::numeric_limits<double>::infinity();
  const Case cases[] = {
      {"Face 0 refers to vertex 99, which the model does not have.", [](auto&, auto& f) { f[0][0] = 99; }},
      {"Face 2 refers to vertex -1, which the model does not have.", [](auto&, auto& f) { f[2][1] = -1; }},
      {"Face 6 has 0 corners: every face needs at least 3.", [](auto&, auto& f) { f.push_back({}); }},
      {"Face 6 has 1 corner: every face needs at least 3.", [](auto&, auto& f) { f.push_back({4}); }},
      {"Face 6 has 2 corners: every face needs at least 3.",
       [](auto&, auto& f) {
         f.push_back({0, 1});
       }},
      {"Face 0 passes vertex 0 twice.",
       [](auto&, auto& f) {
         f[0] = {0, 0, 1, 3, 2};
       }},
      {"Face 0 passes vertex 0 twice.",
       [](auto&, auto& f) {
         f[0] = {0, 1, 0, 3, 2};
       }},
      {"Vertex 5 has no finite position.", [nan](auto& p, auto&) { p[5][1] = nan; }},
      {"Vertex 7 has no finite position.", [inf](auto& p, auto&) { p[7][2] = -inf; }},
      {"The model has no faces.", [](auto&, auto& f) { f.clear(); }},
      {"Only one face meets at the edge between vertices 1 and 3: the model is not closed.",
       [](auto&, auto& f) { f.pop_back(); }},
      {"3 faces meet at the edge between vertices 0 and 1: faces must meet in pairs.",
       [](auto&, auto& f) {
         f.push_back({0, 1, 6});
       }},
      {"3 faces meet at the edge between vertices 1 and 3: faces must meet in pairs.",
       [](auto&, auto& f) { f.push_back(f[0]); }},
      // Corners 0 and 7 trade places in every face: the faces still meet in pairs,
      // but they are twisted out of their planes.
      {"Face 0 is not flat: its corners do not lie in one plane.",
       [](auto&, auto& f) {
         for (auto& face : f) {
           for (int& v : face) v = v == 0 ? 7 : v == 7 ? 0 : v;
         }
       }},
      // Vertex 5 moved onto vertex 3: once the two are joined, face 0 goes out to
      // vertex 7 and back.
      {"Face 0 passes twice through the point of vertex 3.", [](auto& p, auto&) { p[5] = p[3]; }},
  };
  auto& messages = corvia::testing::Platform().messages;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.reason);
    ShownModel shown;
    std::vector<Point> points = CubePoints();
    FaceList faces = CubeFaces();
    c.mutate(points, faces);
    auto model = corvia::symtest::MakeModel(points, faces);
    messages.Clear();
    const corvia::Outcome outcome = CreatePoly(*model, &shown.poly, false, true);
    EXPECT_EQ(outcome.kind(), corvia::Outcome::Kind::kRefused);
    EXPECT_EQ(outcome.text(), std::string(kInvalid) + "\n\n" + c.reason);
    EXPECT_EQ(shown.poly.mBuildOutcome.text(), outcome.text());
    EXPECT_TRUE(messages.Boxes().empty());
    EXPECT_TRUE(shown.Unchanged());
  }
  messages.Clear();
}

// Damaged versions of sound models, the same on every machine: each either builds
// or is refused with one plain error, and a refusal leaves the shown model alone.
// (Noise near the position tolerance is not damage and is not tried here.)
TEST(CreatePolyInputTest, DamagedModelsAreBuiltOrRefusedButNeverBreakTheProgram) {
  constexpr unsigned kSeed = 20240611;
  constexpr int kRounds = 600;
  const std::vector<std::vector<Point>> sound = {CubePoints(), corvia::symtest::Octahedron(),
                                                 corvia::symtest::Icosahedron(), corvia::symtest::SnubCube(),
                                                 corvia::symtest::SquareAntiprism()};
  std::mt19937 random(kSeed);
  auto pick = [&random](size_t n) { return static_cast<int>(random() % n); };
  auto& messages = corvia::testing::Platform().messages;
  ShownModel shown;
  int built = 0, refused = 0;
  for (int round = 0; round < kRounds; ++round) {
    std::vector<Point> points = sound[static_cast<size_t>(pick(sound.size()))];
    FaceList faces = corvia::symtest::BruteHullFaces(points);
    const int kind = pick(9);
    SCOPED_TRACE("seed " + std::to_string(kSeed) + ", round " + std::to_string(round) + ", damage " +
                 std::to_string(kind));
    const int n = static_cast<int>(points.size());
    auto& face = faces[static_cast<size_t>(pick(faces.size()))];
    switch (kind) {
      case 0:  // two corners of a face trade places
        std::swap(face[static_cast<size_t>(pick(face.size()))], face[static_cast<size_t>(pick(face.size()))]);
        break;
      case 1:  // a face turned round
        std::reverse(face.begin(), face.end());
        break;
      case 2: {  // a vertex moved onto another
        points[static_cast<size_t>(pick(points.size()))] = points[static_cast<size_t>(pick(points.size()))];
        break;
      }
      case 3: {  // two vertices trade labels in every face
        const int a = pick(points.size()), b = pick(points.size());
        for (auto& f : faces) {
          for (int& v : f) v = v == a ? b : v == b ? a : v;
        }
        break;
      }
      case 4:  // a face lost
        faces.erase(faces.begin() + pick(faces.size()));
        break;
      case 5: {  // a copy of a vertex used by one face only
        const int a = face[0];
        points.push_back(points[static_cast<size_t>(a)]);
        face[0] = n;
        break;
      }
      case 6: {  // the whole model very small or very large, and turned
        const double size = std::pow(10.0, pick(25) - 12);
        const auto turn = corvia::symtest::GenericRotation();
        for (Point& p : points) {
          Point q;
          corvia::MatrixTimesVector(turn.data(), q.data(), p.data());
          for (double& c : q) c *= size;
          p = q;
        }
        break;
      }
      case 7:  // one coordinate pulled out
        points[static_cast<size_t>(pick(points.size()))][static_cast<size_t>(pick(3))] *= 1.5;
        break;
      case 8:  // a corner that names another vertex
        face[static_cast<size_t>(pick(face.size()))] = pick(points.size() + 2) - 1;
        break;
    }
    auto model = corvia::symtest::MakeModel(points, faces);
    messages.Clear();
    Poly poly;
    const corvia::Outcome outcome = CreatePoly(*model, &poly, false, true);
    EXPECT_TRUE(messages.Boxes().empty());
    if (outcome.done()) {
      ++built;
    } else {
      ++refused;
      EXPECT_EQ(outcome.kind(), corvia::Outcome::Kind::kRefused);
      EXPECT_EQ(outcome.text().rfind(kInvalid, 0), 0u);
      // The same model refused again over the shown one leaves it as it was.
      auto again = corvia::symtest::MakeModel(points, faces);
      messages.Clear();
      EXPECT_FALSE(CreatePoly(*again, &shown.poly, false, true));
      EXPECT_TRUE(shown.Unchanged());
    }
  }
  messages.Clear();
  // Both ways out were taken often.
  EXPECT_GT(built, kRounds / 5);
  EXPECT_GT(refused, kRounds / 5);
}

TEST(CreatePolyInputTest, SizeDoesNotDecideWhetherAModelIsValid) {
  struct Shape {
    std::vector<Point> points;
    FaceList faces;
    const char* group;
  };
  const std::vector<Point> snub = corvia::symtest::SnubCube();
  const Shape shapes[] = {{CubePoints(), CubeFaces(), "Oh"}, {snub, corvia::symtest::BruteHullFaces(snub), "O"}};
  const auto turn = corvia::symtest::GenericRotation();
  for (const Shape& shape : shapes) {
    for (double size : {1e-12, 1e-9, 1e-6, 1.0, 1e6, 1e9, 1e12}) {
      SCOPED_TRACE(std::string(shape.group) + " at size " + std::to_string(size));
      std::vector<Point> points;
      for (const Point& p : shape.points) {
        Point q;
        corvia::MatrixTimesVector(turn.data(), q.data(), p.data());
        for (double& c : q) c *= size;
        points.push_back(q);
      }
      auto model = corvia::symtest::MakeModel(points, shape.faces);
      Poly poly;
      ASSERT_TRUE(CreatePoly(*model, &poly, false, true));
      EXPECT_EQ(poly.mVertices.mCount, static_cast<int>(shape.points.size()));
      EXPECT_EQ(poly.mFaces.mCount, static_cast<int>(shape.faces.size()));
      EXPECT_EQ(SymGroup::GetSchoenflies(poly.mSymGroup), shape.group);
      // Normalised as any model is: largest vertex radius 1.
      double largest = 0.0;
      for (const corvia::PolyElement* v = poly.mVertices.mHead; v; v = v->mNext) {
        largest = std::max(largest, std::sqrt(corvia::Dot(v->mDualVert, v->mDualVert)));
      }
      EXPECT_NEAR(largest, 1.0, 1e-9);
    }
  }
}

}  // namespace test_CreatePolyInput
