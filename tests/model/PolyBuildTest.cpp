#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "construction/DerivedModels.h"
#include "construction/Library.h"
#include "construction/ModelLookup.h"
#include "core/VectorMath.h"
#include "model/Edge.h"
#include "model/FaceType.h"
#include "model/FaceTypeBlock.h"
#include "model/LibraryEntry.h"
#include "model/Poly.h"
#include "model/PolyBuild.h"
#include "model/PolyElement.h"
#include "model/PolyTemplate.h"
#include "model/Vertex.h"
#include "symmetry/FindSymmetries.h"
#include "symmetry/SimplePoly.h"
#include "symmetry/SymGroup.h"
#include "tests/support/TestSupport.h"

namespace test_PolyBuild {

struct Counts {
  int vertices;
  int faces;
  int edges;
};

Counts CountsOf(const corvia::Poly& poly) {
  return {poly.mVertices.mCount, poly.mFaces.mCount, poly.mNumEdges};
}

// Every vertex has its full ring, every face its corners, all on the sphere.
void ExpectComplete(const corvia::Poly& poly, int valence) {
  for (corvia::PolyElement* v = poly.mVertices.mHead; v; v = v->mNext) {
    ASSERT_EQ(v->mNumSides, valence);
    for (int k = 0; k < valence; ++k) ASSERT_NE(v->mNeighbours[k], nullptr);
    EXPECT_NEAR(std::sqrt(corvia::Dot(v->mDualVert, v->mDualVert)), 1.0, 1e-7);
  }
  for (corvia::PolyElement* f = poly.mFaces.mHead; f; f = f->mNext) {
    for (int k = 0; k < f->mNumSides; ++k) {
      corvia::PolyElement* corner = f->mNeighbours[k];
      ASSERT_NE(corner, nullptr);
      // The corner's ring holds the face.
      EXPECT_GE(corner->FindVertexIndex(f, -1), 0);
    }
  }
}

// Sizes and rotation orders of a block's face types, in block order.
std::vector<std::array<int, 3>> TypesOf(const corvia::FaceTypeBlock* block) {
  std::vector<std::array<int, 3>> types;
  for (const corvia::FaceType* type = block->mFirstFaceType; type; type = type->mNext) {
    types.push_back({type->mCount, type->mNumRotations, type->mFirstFace ? type->mFirstFace->mNumSides : 0});
  }
  return types;
}

// Builds the configuration into poly; the template must outlive the model.
bool BuildFrom(corvia::Poly& poly, corvia::PolyTemplate& polyTemplate, const char* text) {
  if (!polyTemplate.Parse(text, nullptr)) return false;
  return poly.Build(&polyTemplate, 0);
}

}  // namespace test_PolyBuild

TEST(PolyBuild, IcosahedronHasConsistentRings) {
  corvia::PolyTemplate polyTemplate;
  corvia::Poly poly;
  ASSERT_TRUE(test_PolyBuild::BuildFrom(poly, polyTemplate, "3.3.3.3.3"));
  EXPECT_EQ(poly.mBuildState, corvia::kBuildFinished);
  const auto counts = test_PolyBuild::CountsOf(poly);
  EXPECT_EQ(counts.vertices, 12);
  EXPECT_EQ(counts.faces, 20);
  EXPECT_EQ(counts.edges, 30);
  test_PolyBuild::ExpectComplete(poly, 5);
  // Round each vertex the faces follow one another across shared edges, all in the
  // same direction.
  for (corvia::PolyElement* v = poly.mVertices.mHead; v; v = v->mNext) {
    auto* vertex = static_cast<corvia::Vertex*>(v);
    for (int k = 0; k < 5; ++k) {
      corvia::PolyElement* face = vertex->mNeighbours[k];
      corvia::PolyElement* next = vertex->mNeighbours[(k + 1) % 5];
      corvia::PolyElement* before = corvia::GetNextVertex(face, vertex, -1);
      corvia::PolyElement* after = corvia::GetNextVertex(next, vertex, 1);
      EXPECT_EQ(before, after);
      EXPECT_EQ(vertex->mFaceSense[k], 0);
    }
  }
}

TEST(PolyBuild, ConvexUniformPolyhedra) {
  struct Case {
    const char* text;
    int vertices, faces, edges, valence;
  };
  const Case cases[] = {{"4.4.4", 8, 6, 12, 3},
                        {"3.4.3.4", 12, 14, 24, 4},
                        {"4.6.8", 48, 26, 72, 3},
                        {"3.3.3", 4, 4, 6, 3}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    corvia::PolyTemplate polyTemplate;
    corvia::Poly poly;
    ASSERT_TRUE(test_PolyBuild::BuildFrom(poly, polyTemplate, c.text));
    const auto counts = test_PolyBuild::CountsOf(poly);
    EXPECT_EQ(counts.vertices, c.vertices);
    EXPECT_EQ(counts.faces, c.faces);
    EXPECT_EQ(counts.edges, c.edges);
    test_PolyBuild::ExpectComplete(poly, c.valence);
    // Every face of a convex polyhedron faces outwards.
    for (corvia::PolyElement* f = poly.mFaces.mHead; f; f = f->mNext) {
      EXPECT_GT(corvia::Dot(f->mZAxis, f->mCentre), 0.0);
    }
  }
}


TEST(PolyBuild, SnubCubeStepsToItsMirrorImage) {
  corvia::PolyTemplate polyTemplate;
  corvia::Poly poly;
  ASSERT_TRUE(test_PolyBuild::BuildFrom(poly, polyTemplate, "3.3.3.3.4"));
  EXPECT_EQ(poly.mVertices.mCount, 24);
  EXPECT_EQ(poly.mFaces.mCount, 38);
  EXPECT_EQ(poly.mNumEdges, 60);
  test_PolyBuild::ExpectComplete(poly, 5);
  ASSERT_EQ(poly.mBuildState, corvia::kBuildFinishedWithChoices);
  // Six squares, eight triangles on the three-fold axes and twenty-four snub
  // triangles; the mirror image must set up alike.
  const auto baseTypes = test_PolyBuild::TypesOf(poly.mBaseBlock.get());
  const auto dualTypes = test_PolyBuild::TypesOf(poly.mDualBlock.get());
  EXPECT_EQ(baseTypes.size(), 3u);
  EXPECT_EQ(dualTypes.size(), 1u);
  // Positions of the first solution, to tell the next one apart.
  std::vector<std::array<double, 3>> first;
  for (corvia::PolyElement* v = poly.mVertices.mHead; v; v = v->mNext) {
    first.push_back({v->mDualVert[0], v->mDualVert[1], v->mDualVert[2]});
  }
  // Step on until a snub of the other hand turns up (or the choices run out).
  bool mirrored = false;
  for (int step = 0; step < 50 && !mirrored && poly.mBuildState == corvia::kBuildFinishedWithChoices; ++step) {
    poly.BuildStep();
    ASSERT_TRUE(poly.RunBuild());
    ASSERT_EQ(poly.mVertices.mCount, 24);
    ASSERT_EQ(poly.mFaces.mCount, 38);
    // The mirror image of the first (in the plane y = const through the first
    // face's axis, z -> -z) holds every vertex of the new one.
    int found = 0;
    for (corvia::PolyElement* v = poly.mVertices.mHead; v; v = v->mNext) {
      for (const auto& p : first) {
        if (std::fabs(p[0] - v->mDualVert[0]) < 1e-6 && std::fabs(p[1] - v->mDualVert[1]) < 1e-6 &&
            std::fabs(-p[2] - v->mDualVert[2]) < 1e-6) {
          ++found;
          break;
        }
      }
    }
    mirrored = found == 24;
  }
  ASSERT_TRUE(mirrored);
  EXPECT_EQ(test_PolyBuild::TypesOf(poly.mBaseBlock.get()), baseTypes);
  EXPECT_EQ(test_PolyBuild::TypesOf(poly.mDualBlock.get()), dualTypes);
  EXPECT_EQ(poly.mNumEdges, 60);
}

TEST(PolyBuild, StarPolyhedra) {
  struct Case {
    const char* text;
    int vertices, faces;
  };
  // The great stellated dodecahedron, the great dodecahedron, the great
  // icosidodecahedron and the small stellated dodecahedron.
  const Case cases[] = {{"5/2.5/2.5/2", 20, 12},
                        {"(5.5.5.5.5)/2", 12, 12},
                        {"3.5/2.3.5/2", 30, 32},
                        {"5/2.5/2.5/2.5/2.5/2", 12, 12}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    corvia::PolyTemplate polyTemplate;
    corvia::Poly poly;
    ASSERT_TRUE(polyTemplate.Parse(c.text, nullptr));
    const bool built = poly.Build(&polyTemplate, 0);
    ASSERT_TRUE(built);
    EXPECT_EQ(poly.mVertices.mCount, c.vertices);
    EXPECT_EQ(poly.mFaces.mCount, c.faces);
  }
}

// A built model's radius is its dual's (the farthest face pole), which for the star
// polyhedra lies well outside the model's own unit sphere: the dual's pane and the
// dual's "Radius" are measured by it.
TEST(PolyBuild, TheRadiusIsTheDualsFarthestPole) {
  struct Case {
    const char* text;
    double radius;
  };
  const double phi = (1.0 + std::sqrt(5.0)) / 2.0;
  // The cube's octahedron with the same midsphere reaches 2/sqrt(3); the great
  // dodecahedron's small stellated dodecahedron reaches phi times its radius.
  const Case cases[] = {{"4.4.4", 2.0 / std::sqrt(3.0)}, {"(5.5.5.5.5)/2", phi}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    corvia::PolyTemplate polyTemplate;
    corvia::Poly poly;
    ASSERT_TRUE(test_PolyBuild::BuildFrom(poly, polyTemplate, c.text));
    double farthest = 0.0;
    for (const corvia::PolyElement* f = poly.mFaces.mHead; f; f = f->mNext) {
      farthest = std::max(farthest, std::sqrt(corvia::Dot(f->mDualVert, f->mDualVert)));
    }
    EXPECT_NEAR(farthest, c.radius, 1e-9);
    EXPECT_NEAR(poly.GetRadius(), farthest, 1e-9);
  }
}

TEST(PolyBuild, FailuresAreReported) {
  corvia::Poly poly;
  // No template, or one that did not parse: nothing to build.
  EXPECT_FALSE(poly.Build(nullptr, 0));
  corvia::PolyTemplate empty;
  EXPECT_FALSE(poly.Build(&empty, 0));
  // A failed model stays failed: further steps change nothing.
  poly.mBuildState = corvia::kBuildFailed;
  EXPECT_FALSE(poly.BuildStep());
  EXPECT_FALSE(poly.RunBuild());
}

TEST(PolyBuild, BuildRecordsGoWithTheirModel) {
  corvia::PolyTemplate snub;
  corvia::PolyTemplate icosahedron;
  std::optional<corvia::Poly> slot;
  slot.emplace();
  const corvia::Poly* address = &*slot;
  // A model that finishes with choices keeps its links for the next solution.
  ASSERT_TRUE(test_PolyBuild::BuildFrom(*slot, snub, "3.3.3.3.4"));
  ASSERT_EQ(slot->mBuildState, corvia::kBuildFinishedWithChoices);
  EXPECT_NE(slot->mBuildRecord, nullptr);
  slot.reset();
  // A new model in the same place starts with nothing of the old one.
  slot.emplace();
  ASSERT_EQ(&*slot, address);
  EXPECT_EQ(slot->mBuildRecord, nullptr);
  ASSERT_TRUE(test_PolyBuild::BuildFrom(*slot, icosahedron, "3.3.3.3.3"));
  EXPECT_EQ(slot->mBuildState, corvia::kBuildFinished);
  EXPECT_EQ(slot->mVertices.mCount, 12);
  EXPECT_EQ(slot->mFaces.mCount, 20);
  test_PolyBuild::ExpectComplete(*slot, 5);
  // Stepping a finished model without choices changes nothing.
  EXPECT_TRUE(slot->BuildStep());
  EXPECT_EQ(slot->mVertices.mCount, 12);
  // Clearing the model frees its record with its elements.
  slot->Clear(false);
  EXPECT_EQ(slot->mBuildRecord, nullptr);
}

// Snubs with six faces at a vertex take many choices, some of which grow for ever
// without closing: a branch that outgrows the record's vertex count backs up. A
// retrograde first face winds like its fellows, so the group is found whole. A
// finished model whose vertices are not all alike is passed over while choices
// remain (the cupola of the great rhombicuboctahedron turned against the rest).
TEST(PolyBuild, HardUniformPolyhedraCloseWithTheirGroups) {
  struct Case {
    const char* text;
    int vertices, faces, groupType;
  };
  const Case cases[] = {{"5/2.3.3.3.3.3", 60, 112, corvia::kSymGroupIcosahedral},
                        {"3.3.3.3.3.5/2", 60, 112, corvia::kSymGroupIcosahedral},
                        {"(5/3.3.3.3.3.3)/2", 60, 112, corvia::kSymGroupIcosahedral},
                        {"5/3.3.3.3.5.3", 60, 104, corvia::kSymGroupIcosahedral},
                        {"5/3.3.3.3.3", 60, 92, corvia::kSymGroupIcosahedral},
                        {"4.3/2.4.4", 24, 26, corvia::kSymGroupOctahedral},
                        {"8/3.4.8/5.4/3", 24, 18, corvia::kSymGroupOctahedral},
                        // Faces made from a retrograde reading look inwards until the
                        // set-up aligns them: the group is found all the same.
                        {"10.4.10/9.4/3", 60, 42, corvia::kSymGroupIcosahedral},
                        {"10/3.6.10/7.6/5", 60, 32, corvia::kSymGroupIcosahedral}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    corvia::testing::Platform().messages.Clear();
    corvia::PolyTemplate polyTemplate;
    corvia::Poly poly;
    ASSERT_TRUE(polyTemplate.Parse(c.text, nullptr));
    ASSERT_TRUE(poly.Build(&polyTemplate, 0));
    EXPECT_EQ(poly.mVertices.mCount, c.vertices);
    EXPECT_EQ(poly.mFaces.mCount, c.faces);
    ASSERT_NE(poly.mSymGroup, nullptr);
    EXPECT_EQ(poly.mSymGroup->type, c.groupType);
    test_PolyBuild::ExpectComplete(poly, polyTemplate.mValence);
    EXPECT_TRUE(corvia::testing::Platform().messages.Boxes().empty());
  }
}

// A build that gives up always says why.
TEST(PolyBuild, FailedBuildsSayWhy) {
  corvia::testing::Platform().messages.Clear();
  corvia::PolyTemplate polyTemplate;
  corvia::Poly poly;
  // Two triangles and two squares close round a vertex, but no polyhedron has that
  // vertex everywhere: the template solves and names no library entry, and no ring
  // of faces closes.
  EXPECT_FALSE(polyTemplate.Parse("3.3.4.4", nullptr));
  EXPECT_GT(polyTemplate.mEdgeLength, 0.0);
  EXPECT_FALSE(poly.Build(&polyTemplate, 0));
  EXPECT_EQ(poly.mBuildState, corvia::kBuildFailed);
  // One reason, however many dead ends the search met on the way, and no box.
  EXPECT_EQ(poly.mBuildOutcome.kind(), corvia::Outcome::Kind::kRefused);
  EXPECT_EQ(poly.mBuildOutcome.text(),
            "\"3.3.4.4\" - No arrangement of the faces round the vertices closes up into a polyhedron.");
  EXPECT_TRUE(corvia::testing::Platform().messages.Boxes().empty());
}

// A template that did not solve (its faces close round a vertex only in the plane)
// holds no polyhedron: building it is refused with the builder's own message, never
// an internal error.
TEST(PolyBuild, TemplatesThatDidNotSolveAreRefused) {
  for (const char* text :
       {"10.10/7.10", "8.8/5.8.8/5", "5/3.10.5/3.10", "10/7.5.10/7.5", "10.5/3.10.5/3", "3/2.6.3/2.6"}) {
    SCOPED_TRACE(text);
    corvia::testing::Platform().messages.Clear();
    corvia::PolyTemplate polyTemplate;
    corvia::Poly poly;
    EXPECT_FALSE(polyTemplate.Parse(text, nullptr));
    EXPECT_FALSE(poly.Build(&polyTemplate, 0));
    EXPECT_EQ(poly.mBuildState, corvia::kBuildFailed);
    EXPECT_EQ(poly.mBuildOutcome.kind(), corvia::Outcome::Kind::kRefused);
    EXPECT_EQ(poly.mBuildOutcome.text(),
              std::string("\"") + text + "\" - The vertex configuration has no solution to build from.");
    EXPECT_TRUE(corvia::testing::Platform().messages.Boxes().empty());
  }
  corvia::testing::Platform().messages.Clear();
}

// Prisms and antiprisms as large as the templates allow grow face by face into
// their models.
TEST(PolyBuild, PrismsAndAntiprismsAtTheLimitBuild) {
  const int n = corvia::kTemplateMaxSides;
  const std::string number = std::to_string(n);
  for (const std::string& text : {number + ".4.4", "3.3.3." + number, "4.4." + number}) {
    SCOPED_TRACE(text);
    const bool prism = text.find(".3") == std::string::npos;
    corvia::PolyTemplate polyTemplate;
    corvia::Poly poly;
    ASSERT_TRUE(test_PolyBuild::BuildFrom(poly, polyTemplate, text.c_str()));
    EXPECT_TRUE(poly.mBuildState == corvia::kBuildFinished || poly.mBuildState == corvia::kBuildFinishedWithChoices);
    EXPECT_EQ(poly.mVertices.mCount, 2 * n);
    EXPECT_EQ(poly.mFaces.mCount, prism ? n + 2 : 2 * n + 2);
    EXPECT_EQ(poly.mNumEdges, prism ? 3 * n : 4 * n);
    test_PolyBuild::ExpectComplete(poly, prism ? 3 : 4);
    ASSERT_NE(poly.mSymGroup, nullptr);
    EXPECT_EQ(std::string(corvia::SymGroup::GetSchoenflies(poly.mSymGroup)), prism ? "D99h" : "D99d");
  }
}

// The degenerate uniform polyhedra whose sixty vertices fall in threes on the twenty
// points of a dodecahedron: vertices in one point stay apart where their rings of
// faces differ, and every side of every face lies on exactly one other face.
TEST(PolyBuild, CoincidentVerticesStayApart) {
  struct Case {
    const char* text;
    int faces;
  };
  const Case cases[] = {{"4.5/2.4.3", 62}, {"4.5/3.4.5", 54}, {"4.3/2.4.5", 62}};
  corvia::testing::Platform().messages.Clear();
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    corvia::PolyTemplate polyTemplate;
    corvia::Poly poly;
    ASSERT_TRUE(test_PolyBuild::BuildFrom(poly, polyTemplate, c.text));
    EXPECT_EQ(poly.mVertices.mCount, 60);
    EXPECT_EQ(poly.mFaces.mCount, c.faces);
    EXPECT_EQ(poly.mNumEdges, 120);
    test_PolyBuild::ExpectComplete(poly, 4);
    // Twenty points of three vertices each.
    std::vector<std::array<double, 3>> points;
    std::vector<int> counts;
    for (corvia::PolyElement* v = poly.mVertices.mHead; v; v = v->mNext) {
      size_t k = 0;
      while (k < points.size() && !corvia::NearlyEqual(points[k].data(), v->mDualVert, 1e-7)) ++k;
      if (k == points.size()) {
        points.push_back({v->mDualVert[0], v->mDualVert[1], v->mDualVert[2]});
        counts.push_back(0);
      }
      ++counts[k];
    }
    EXPECT_EQ(points.size(), 20u);
    for (int count : counts) EXPECT_EQ(count, 3);
    // Each edge, a pair of vertices that follow each other round a face, has two faces.
    std::map<std::pair<const corvia::PolyElement*, const corvia::PolyElement*>, int> sides;
    for (corvia::PolyElement* f = poly.mFaces.mHead; f; f = f->mNext) {
      for (int i = 0; i < f->mNumSides; ++i) {
        const corvia::PolyElement* a = f->mNeighbours[i];
        const corvia::PolyElement* b = f->mNeighbours[(i + 1) % f->mNumSides];
        ++sides[a < b ? std::make_pair(a, b) : std::make_pair(b, a)];
      }
    }
    EXPECT_EQ(sides.size(), 120u);
    for (const auto& [edge, count] : sides) EXPECT_EQ(count, 2);
    ASSERT_NE(poly.mSymGroup, nullptr);
    EXPECT_EQ(std::string(corvia::SymGroup::GetSchoenflies(poly.mSymGroup)), "Ih");
    EXPECT_TRUE(corvia::testing::Platform().messages.Boxes().empty());
  }
}

// The set-up of a finished model turns it to its group's standard place. Stepping
// on to the next solution backs up through matches in which vertices were merged,
// and puts each merged vertex back where the model now stands.
TEST(PolyBuild, SteppingOnUndoesMergesInTheTurnedModel) {
  corvia::testing::Platform().messages.Clear();
  corvia::PolyTemplate polyTemplate;
  corvia::Poly poly;
  ASSERT_TRUE(test_PolyBuild::BuildFrom(poly, polyTemplate, "10/3.6.10/7.6/5"));
  for (int step = 0; step < 3 && poly.mBuildState == corvia::kBuildFinishedWithChoices; ++step) {
    SCOPED_TRACE(step);
    poly.BuildStep();
    if (!poly.RunBuild()) break;
    EXPECT_EQ(poly.mVertices.mCount, 60);
    EXPECT_EQ(poly.mFaces.mCount, 32);
    test_PolyBuild::ExpectComplete(poly, 4);
    ASSERT_NE(poly.mSymGroup, nullptr);
    EXPECT_EQ(std::string(corvia::SymGroup::GetSchoenflies(poly.mSymGroup)), "Ih");
  }
  EXPECT_EQ(corvia::testing::Platform().messages.CountTitled("Internal Error"), 0);
}

// Removing the latest matched vertex takes back its step, from the finished model
// too; building on closes the same polyhedron again.
TEST(PolyBuild, RemovingTheLatestVertexTakesBackItsStep) {
  corvia::PolyTemplate polyTemplate;
  corvia::Poly poly;
  ASSERT_TRUE(test_PolyBuild::BuildFrom(poly, polyTemplate, "3.4.3.4"));
  ASSERT_EQ(poly.mFaces.mCount, 14);
  const int counter = poly.mMatchCounter;
  poly.RemoveVertex(true);
  EXPECT_EQ(poly.mBuildState, corvia::kBuildRunning);
  EXPECT_EQ(poly.mMatchCounter, counter - 1);
  for (int i = 0; i < 3; ++i) poly.RemoveVertex(true);
  EXPECT_LT(poly.mFaces.mCount, 14);
  ASSERT_TRUE(poly.RunBuild());
  EXPECT_EQ(poly.mVertices.mCount, 12);
  EXPECT_EQ(poly.mFaces.mCount, 14);
  test_PolyBuild::ExpectComplete(poly, 4);
  // Nothing is taken back before the second vertex.
  while (poly.mMatchCounter >= 2) poly.RemoveVertex(true);
  const int faces = poly.mFaces.mCount;
  poly.RemoveVertex(true);
  EXPECT_EQ(poly.mFaces.mCount, faces);
}

namespace test_PolyBuild {

// A polygon round a vertex: its sides, and its density taken either way round ({5/2}
// and {5/3} are one polygon wound the other way).
std::pair<int, int> PolygonOf(int sides, int density) { return {sides, std::min(density, sides - density)}; }

// The polygons of the configuration in ring order.
std::vector<std::pair<int, int>> ConfigurationRing(const corvia::PolyTemplate& polyTemplate) {
  std::vector<std::pair<int, int>> ring;
  const corvia::TemplatePolygon* p = polyTemplate.GetHead();
  for (int k = 0; k < polyTemplate.mValence; ++k, p = p->mNext) ring.push_back(PolygonOf(p->mSides, p->mWraps));
  return ring;
}

// Whether the ring reads as the configuration from some start, one way or the other.
bool ReadsAs(const std::vector<std::pair<int, int>>& ring, const std::vector<std::pair<int, int>>& configuration) {
  const size_t n = ring.size();
  if (n != configuration.size()) return false;
  for (size_t start = 0; start < n; ++start) {
    for (int way : {1, -1}) {
      bool same = true;
      for (size_t k = 0; k < n && same; ++k) {
        const size_t i = (start + n + static_cast<size_t>(way) * k % n) % n;
        same = ring[i] == configuration[k];
      }
      if (same) return true;
    }
  }
  return false;
}

double Distance(const double* a, const double* b) {
  double d[3];
  corvia::Subtract(d, a, b);
  return std::sqrt(corvia::Dot(d, d));
}

// What makes a solution a right model of its configuration: every vertex has the
// configuration round it, every face is a regular polygon of the one edge length,
// every edge joins two faces that run it opposite ways, and the group the model was
// set up with is the one its geometry has.
void ExpectRightModel(corvia::Poly& poly, const corvia::PolyTemplate& polyTemplate) {
  const auto configuration = ConfigurationRing(polyTemplate);
  ExpectComplete(poly, polyTemplate.mValence);
  for (corvia::PolyElement* v = poly.mVertices.mHead; v; v = v->mNext) {
    std::vector<std::pair<int, int>> ring;
    for (int k = 0; k < v->mNumSides; ++k) {
      ring.push_back(PolygonOf(v->mNeighbours[k]->mNumSides, v->mNeighbours[k]->mDensity));
    }
    EXPECT_TRUE(ReadsAs(ring, configuration)) << "vertex " << v->mIndex;
  }
  const double edge = polyTemplate.mEdgeLength;
  for (corvia::PolyElement* f = poly.mFaces.mHead; f; f = f->mNext) {
    const int n = f->mNumSides;
    double centroid[3] = {0.0, 0.0, 0.0};
    for (int i = 0; i < n; ++i) corvia::AddTo(centroid, f->mNeighbours[i]->mDualVert);
    corvia::Scale(centroid, centroid, 1.0 / n);
    const double radius = Distance(f->mNeighbours[0]->mDualVert, centroid);
    for (int i = 0; i < n; ++i) {
      EXPECT_NEAR(Distance(f->mNeighbours[i]->mDualVert, f->mNeighbours[(i + 1) % n]->mDualVert), edge, 1e-9);
      EXPECT_NEAR(Distance(f->mNeighbours[i]->mDualVert, centroid), radius, 1e-9);
    }
  }
  ASSERT_EQ(poly.mNumEdges, polyTemplate.mValence * poly.mVertices.mCount / 2);
  for (int i = 0; i < poly.mNumEdges; ++i) {
    const corvia::Edge* e = poly.GetEdge(i);
    ASSERT_NE(e->mFace1, nullptr);
    ASSERT_NE(e->mFace2, nullptr);
    auto runs = [e](const corvia::PolyElement* f) {
      for (int j = 0; j < f->mNumSides; ++j) {
        if (f->mEdges[j] == e) return f->mNeighbours[j] == e->mVert1 ? 1 : -1;
      }
      return 0;
    };
    EXPECT_EQ(runs(e->mFace1) + runs(e->mFace2), 0) << "edge " << i;
  }
  std::unique_ptr<corvia::SimplePoly> copy(CreateSimplePoly(&poly, corvia::kDeriveBase, nullptr, nullptr));
  ASSERT_NE(copy, nullptr);
  bool hasReflection = false;
  std::unique_ptr<corvia::SymGroup> group = corvia::FindSymmetries(*copy, hasReflection);
  ASSERT_NE(group, nullptr);
  ASSERT_NE(poly.mSymGroup, nullptr);
  EXPECT_EQ(corvia::SymGroup::GetSchoenflies(poly.mSymGroup), corvia::SymGroup::GetSchoenflies(group.get()));
}

}  // namespace test_PolyBuild

// Stepping on from a finished model reaches every further solution of its
// configuration, each a right model with no internal error (the test fails on any),
// uniform or not; a step past the last one leaves the last one as it was.
TEST(PolyBuild, EverySolutionSteppedToIsARightModel) {
  struct Case {
    const char* text;
    int solutions;
    int pseudo;
  };
  // The snubs come in both hands; the great snub dodecicosidodecahedron reads the same
  // in its mirror image, and its faces close up in one way only. Three squares round
  // a triangle close up into the rhombicuboctahedron and, with one cupola turned, the
  // pseudo-rhombicuboctahedron, which three choices reach.
  const Case cases[] = {{"3.3.3.3.4", 2, 0},
                        {"3.3.3.3.5", 2, 0},
                        {"3.3.3.3.5/2", 2, 0},
                        {"5/2.3.3.3.5/3.3", 1, 0},
                        {"4.4.3.4", 4, 3}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    corvia::testing::Platform().messages.Clear();
    corvia::PolyTemplate polyTemplate;
    corvia::Poly poly;
    ASSERT_TRUE(test_PolyBuild::BuildFrom(poly, polyTemplate, c.text));
    int solutions = 1;
    int pseudo = 0;
    for (;;) {
      SCOPED_TRACE(solutions);
      test_PolyBuild::ExpectRightModel(poly, polyTemplate);
      if (!poly.IsUniform()) ++pseudo;
      if (poly.mBuildState != corvia::kBuildFinishedWithChoices || solutions > 10) break;
      const int faces = poly.mFaces.mCount;
      poly.BuildStep();
      ASSERT_TRUE(poly.RunBuild());
      if (corvia::testing::Platform().messages.CountTitled("Information") > 0) {
        // No further solution: the last one comes back, finished.
        EXPECT_EQ(poly.mBuildState, corvia::kBuildFinished);
        EXPECT_EQ(poly.mFaces.mCount, faces);
        test_PolyBuild::ExpectRightModel(poly, polyTemplate);
        break;
      }
      ++solutions;
    }
    EXPECT_EQ(solutions, c.solutions);
    EXPECT_EQ(pseudo, c.pseudo);
    EXPECT_EQ(corvia::testing::Platform().messages.CountTitled("Error"), 0);
  }
}

namespace test_PolyBuild {

// What a build left: the outcome, the messages it gave, and the model, its vertices
// and face corners in list order.
struct BuildOutcome {
  bool built = false;
  int state = 0;
  std::vector<std::string> messages;
  std::vector<double> points;
  std::vector<int> corners;
  // The points to rounding: the searches reach a solution along different roads, and
  // a vertex put back after a merge was undone takes its point from another vertex.
  bool operator==(const BuildOutcome& other) const {
    if (built != other.built || state != other.state || messages != other.messages || corners != other.corners ||
        points.size() != other.points.size()) {
      return false;
    }
    for (size_t i = 0; i < points.size(); ++i) {
      if (std::fabs(points[i] - other.points[i]) > 1e-12) return false;
    }
    return true;
  }
};

BuildOutcome OutcomeOf(const corvia::Poly& poly, bool built) {
  BuildOutcome outcome;
  outcome.built = built;
  outcome.state = poly.mBuildState;
  for (const corvia::platform::MessageBoxRequest& box : corvia::testing::Platform().messages.Boxes()) {
    outcome.messages.push_back(box.title + ": " + box.text);
  }
  corvia::testing::Platform().messages.Clear();
  for (const corvia::PolyElement* v = poly.mVertices.mHead; v; v = v->mNext) {
    outcome.points.insert(outcome.points.end(), v->mDualVert, v->mDualVert + 3);
  }
  for (const corvia::PolyElement* f = poly.mFaces.mHead; f; f = f->mNext) {
    outcome.corners.push_back(static_cast<int>(f->mIdFlags));
    for (int i = 0; i < f->mNumSides; ++i) outcome.corners.push_back(f->mNeighbours[i]->mIndex);
  }
  return outcome;
}

// The first solutions a build reaches, stepping on from each; plain runs only the plain
// search from the prepared first face (Prepare and RunBuild) instead of Build.
std::vector<BuildOutcome> Solutions(const std::string& text, bool plain, int count) {
  corvia::testing::Platform().messages.Clear();
  corvia::PolyTemplate polyTemplate;
  corvia::Poly poly;
  std::vector<BuildOutcome> outcomes;
  if (!polyTemplate.Parse(text.c_str(), nullptr)) return outcomes;
  bool built = plain ? poly.Prepare(&polyTemplate, 0) && poly.RunBuild() : poly.Build(&polyTemplate, 0);
  outcomes.push_back(OutcomeOf(poly, built));
  while (built && poly.mBuildState == corvia::kBuildFinishedWithChoices && static_cast<int>(outcomes.size()) < count) {
    built = poly.BuildStep();
    if (built && poly.mBuildState == corvia::kBuildRunning) built = poly.RunBuild();
    outcomes.push_back(OutcomeOf(poly, built));
  }
  return outcomes;
}

}  // namespace test_PolyBuild

TEST(PolyBuild, WholeBuildsReachTheSolutionsOfTheStepwiseSearch) {
  // A whole build looks first for a solution whose faces play their parts alike; it
  // must still give every configuration its first model and the same ones after it.
  std::vector<std::string> texts = {"5/2.3.3.3.3.3", "(5/3.3.3.3.3.3)/2", "3.3.3.3.5", "4.4.3.4", "3.4.3.4.3.4"};
  for (int index = 0; index < corvia::GetNumLibraryEntries(); ++index) {
    const corvia::LibraryEntry* entry = corvia::GetLibraryEntry(index);
    if (!entry || entry->IsSpringBuilt() || entry->mCategory == corvia::kCategoryPrisms) continue;
    texts.push_back(entry->GetVertexConfiguration());
  }
  for (const std::string& text : texts) {
    SCOPED_TRACE(text);
    const std::vector<test_PolyBuild::BuildOutcome> whole = test_PolyBuild::Solutions(text, false, 4);
    const std::vector<test_PolyBuild::BuildOutcome> plain = test_PolyBuild::Solutions(text, true, 4);
    ASSERT_EQ(whole.size(), plain.size());
    for (size_t k = 0; k < whole.size(); ++k) EXPECT_TRUE(whole[k] == plain[k]) << "solution " << k;
  }
}
