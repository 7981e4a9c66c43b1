#include <gtest/gtest.h>

#include <cmath>
#include <map>
#include <memory>
#include <string>
#include <tuple>
#include <utility>

#include "construction/PolyFamily.h"
#include "construction/Prisms.h"
#include "symmetry/SimplePoly.h"
#include "tests/support/TestSupport.h"

namespace test_Prisms {

struct EdgeSummary {
  double minLength = 1e300;
  double maxLength = 0.0;
  int undirected = 0;
  // Every edge is used once each way: the surface is closed and oriented.
  bool oriented = true;
};

EdgeSummary Edges(const corvia::SimplePoly& poly) {
  std::map<std::pair<int, int>, int> directed;
  EdgeSummary s;
  for (int f = 0; f < poly.NumFaces(); ++f) {
    const corvia::SimpleFace& face = poly.FaceAt(f);
    for (int i = 0; i < face.Count(); ++i) {
      const int a = face.items[static_cast<size_t>(i)];
      const int b = face.items[static_cast<size_t>((i + 1) % face.Count())];
      ++directed[{a, b}];
      const double* p = poly.VertAt(a).pos;
      const double* q = poly.VertAt(b).pos;
      const double len = std::sqrt((p[0] - q[0]) * (p[0] - q[0]) + (p[1] - q[1]) * (p[1] - q[1]) +
                                   (p[2] - q[2]) * (p[2] - q[2]));
      s.minLength = std::min(s.minLength, len);
      s.maxLength = std::max(s.maxLength, len);
    }
  }
  for (const auto& [edge, count] : directed) {
    if (count != 1 || directed.count({edge.second, edge.first}) != 1) s.oriented = false;
    if (edge.first < edge.second) ++s.undirected;
  }
  return s;
}

int CountFacesOfSize(const corvia::SimplePoly& poly, int sides) {
  int n = 0;
  for (int f = 0; f < poly.NumFaces(); ++f) n += poly.FaceAt(f).Count() == sides ? 1 : 0;
  return n;
}

double Chord(int n, int d) { return 2.0 * std::sin(M_PI * d / n); }

}  // namespace test_Prisms

TEST(PrismsTest, CubeAndStarPrismsHaveSquareSides) {
  corvia::Outcome outcome;
  auto cube = corvia::CreatePrism(4, 1, outcome);
  ASSERT_TRUE(cube);
  EXPECT_EQ(cube->NumVerts(), 8);
  EXPECT_EQ(cube->NumFaces(), 6);
  auto e = test_Prisms::Edges(*cube);
  EXPECT_NEAR(e.minLength, std::sqrt(2.0), 1e-12);
  EXPECT_NEAR(e.maxLength, std::sqrt(2.0), 1e-12);
  EXPECT_EQ(e.undirected, 12);
  EXPECT_TRUE(e.oriented);
  EXPECT_EQ(cube->currentFace, 0);

  // {6/2}: each base is two triangles.
  auto hexagram = corvia::CreatePrism(6, 2, outcome);
  ASSERT_TRUE(hexagram);
  EXPECT_EQ(hexagram->NumVerts(), 12);
  EXPECT_EQ(hexagram->NumFaces(), 10);
  EXPECT_EQ(test_Prisms::CountFacesOfSize(*hexagram, 3), 4);
  e = test_Prisms::Edges(*hexagram);
  EXPECT_NEAR(e.minLength, std::sqrt(3.0), 1e-12);
  EXPECT_NEAR(e.maxLength, std::sqrt(3.0), 1e-12);
  EXPECT_TRUE(e.oriented);

  for (auto [n, d] : {std::pair{5, 2}, {7, 3}, {9, 1}, {8, 3}}) {
    auto prism = corvia::CreatePrism(n, d, outcome);
    ASSERT_TRUE(prism) << n << "/" << d;
    EXPECT_EQ(prism->NumFaces(), corvia::CountPrismFaces(n, d, false));
    e = test_Prisms::Edges(*prism);
    EXPECT_NEAR(e.minLength, test_Prisms::Chord(n, d), 1e-12) << n << "/" << d;
    EXPECT_NEAR(e.maxLength, test_Prisms::Chord(n, d), 1e-12) << n << "/" << d;
    EXPECT_EQ(e.undirected, 3 * n);
    EXPECT_TRUE(e.oriented);
  }
}

TEST(PrismsTest, AntiprismsHaveEquilateralSides) {
  corvia::Outcome outcome;
  // {3/1} is the octahedron: all edges sqrt 3, all vertices at one radius.
  auto octahedron = corvia::CreateAntiprism(3, 1, outcome);
  ASSERT_TRUE(octahedron);
  EXPECT_EQ(octahedron->NumVerts(), 6);
  EXPECT_EQ(octahedron->NumFaces(), 8);
  auto e = test_Prisms::Edges(*octahedron);
  EXPECT_NEAR(e.minLength, std::sqrt(3.0), 1e-12);
  EXPECT_NEAR(e.maxLength, std::sqrt(3.0), 1e-12);
  EXPECT_TRUE(e.oriented);
  for (int i = 0; i < 6; ++i) {
    const double* p = octahedron->VertAt(i).pos;
    EXPECT_NEAR(std::sqrt(p[0] * p[0] + p[1] * p[1] + p[2] * p[2]), std::sqrt(1.5), 1e-12);
  }

  // {4/2}: a degenerate base, so only the eight triangles.
  auto degenerate = corvia::CreateAntiprism(4, 2, outcome);
  ASSERT_TRUE(degenerate);
  EXPECT_EQ(degenerate->NumVerts(), 8);
  EXPECT_EQ(degenerate->NumFaces(), 8);
  EXPECT_EQ(test_Prisms::CountFacesOfSize(*degenerate, 3), 8);
  e = test_Prisms::Edges(*degenerate);
  EXPECT_NEAR(e.minLength, 2.0, 1e-12);
  EXPECT_NEAR(e.maxLength, 2.0, 1e-12);
  EXPECT_TRUE(e.oriented);

  // Star and crossed antiprisms: every edge equals the base chord.
  for (auto [n, d] : {std::pair{5, 1}, {5, 2}, {5, 3}, {7, 2}, {7, 3}, {8, 3}, {6, 2}, {2, 1}}) {
    auto anti = corvia::CreateAntiprism(n, d, outcome);
    ASSERT_TRUE(anti) << n << "/" << d;
    EXPECT_EQ(anti->NumFaces(), corvia::CountPrismFaces(n, d, true)) << n << "/" << d;
    e = test_Prisms::Edges(*anti);
    EXPECT_NEAR(e.minLength, test_Prisms::Chord(n, d), 1e-12) << n << "/" << d;
    EXPECT_NEAR(e.maxLength, test_Prisms::Chord(n, d), 1e-12) << n << "/" << d;
    EXPECT_TRUE(e.oriented) << n << "/" << d;
  }
}

// Every base that the prism and antiprism families accept, up to their largest,
// builds a closed model whose edges all have one length; a base that could not (an
// antiprism whose triangles cannot reach from base to base, d past n) is refused by
// the family before anything is built.
TEST(PrismsTest, EveryBaseTheFamiliesAcceptBuildsWithEqualEdges) {
  corvia::Outcome outcome;
  corvia::testing::Platform().messages.Clear();
  for (int n = 3; n <= corvia::kFamilyMaxSides; ++n) {
    for (int d = 1; d <= n + 1; ++d) {
      for (bool antiprism : {false, true}) {
        const bool accepted = antiprism ? corvia::CheckAntiprismBase(n, d, nullptr) : corvia::CheckPrismBase(n, d, nullptr);
        if (!accepted) continue;
        auto model = antiprism ? corvia::CreateAntiprism(n, d, outcome) : corvia::CreatePrism(n, d, outcome);
        ASSERT_TRUE(model) << n << "/" << d << (antiprism ? " antiprism" : " prism");
        const auto e = test_Prisms::Edges(*model);
        EXPECT_NEAR(e.maxLength, e.minLength, 1e-9) << n << "/" << d << (antiprism ? " antiprism" : " prism");
        EXPECT_TRUE(e.oriented) << n << "/" << d;
      }
    }
  }
  EXPECT_TRUE(corvia::testing::Platform().messages.Boxes().empty());
  EXPECT_FALSE(corvia::CheckPrismBase(7, 9, nullptr));
  EXPECT_FALSE(corvia::CheckAntiprismBase(7, 5, nullptr));
  EXPECT_TRUE(corvia::CheckAntiprismBase(7, 4, nullptr));
  EXPECT_FALSE(corvia::CheckAntiprismBase(3, 2, nullptr));
}

TEST(PrismsTest, BadBasesAreRefused) {
  corvia::Outcome outcome;
  auto& messages = corvia::testing::Platform().messages;
  messages.Clear();
  EXPECT_FALSE(corvia::CreatePrism(2, 1, outcome));
  EXPECT_EQ(outcome.kind(), corvia::Outcome::Kind::kRefused);
  EXPECT_EQ(outcome.text(), "Prism base must have at least 3 sides");
  EXPECT_FALSE(corvia::CreatePrism(6, 3, outcome));
  EXPECT_EQ(outcome.text(), "Prism must not have degenerate base (6/3)");
  EXPECT_FALSE(corvia::CreateAntiprism(1, 1, outcome));
  EXPECT_EQ(outcome.text(), "Antiprism base must have at least 2 sides");
  // A base that does not wind, or winds backwards or all the way round, would give
  // faces of one point.
  for (auto [n, d] : {std::pair{5, 0}, {5, -2}, {5, 5}, {5, 7}}) {
    outcome = corvia::Outcome::Done();
    EXPECT_FALSE(corvia::CreatePrism(n, d, outcome));
    EXPECT_EQ(outcome.text(), "Prism base " + std::to_string(n) + "/" + std::to_string(d) + " must wind from 1 to 4 times.");
    outcome = corvia::Outcome::Done();
    EXPECT_FALSE(corvia::CreateAntiprism(n, d, outcome));
    EXPECT_EQ(outcome.kind(), corvia::Outcome::Kind::kRefused);
  }
  // The builders show no box of their own.
  EXPECT_TRUE(messages.Boxes().empty());
}

TEST(PrismsTest, TorusFacesAndMergedInnerPoints) {
  corvia::Outcome outcome;
  auto torus = corvia::CreateTorus(0.5, 6, 8, outcome);
  ASSERT_TRUE(torus);
  EXPECT_EQ(torus->NumVerts(), 48);
  EXPECT_EQ(torus->NumFaces(), 48);
  EXPECT_EQ(test_Prisms::CountFacesOfSize(*torus, 4), 48);
  EXPECT_EQ(torus->name, "Torus");
  EXPECT_EQ(torus->flags & 0x2008u, 0x2008u);
  auto e = test_Prisms::Edges(*torus);
  EXPECT_TRUE(e.oriented);
  EXPECT_EQ(e.undirected, 96);  // V - E + F = 0

  // Tube radius 1: the inner points close onto the centre and are shared.
  torus = corvia::CreateTorus(1.0, 6, 8, outcome);
  ASSERT_TRUE(torus);
  EXPECT_EQ(torus->NumVerts(), 6 * 8 - 6 + 1);
  EXPECT_EQ(torus->NumFaces(), 48);
  EXPECT_EQ(test_Prisms::CountFacesOfSize(*torus, 3), 12);
  e = test_Prisms::Edges(*torus);
  EXPECT_GT(e.minLength, 0.1);

  for (auto [r, p, q] : {std::tuple{0.0, 6, 8}, {0.5, 2, 8}, {0.5, 6, 0}}) {
    outcome = corvia::Outcome::Done();
    EXPECT_FALSE(corvia::CreateTorus(r, p, q, outcome));
    EXPECT_EQ(outcome.text(), "A torus needs a tube radius above 0 and at least 3 rings and 3 segments.");
  }
}
