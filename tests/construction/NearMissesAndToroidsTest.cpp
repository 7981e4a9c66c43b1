// The near misses and Stewart toroids of the library (records 197 to 240): those
// with stored geometry built the way the program builds them (LibraryEntry::
// CreatePoly: stored points, CreatePoly with symmetry detection, the set-up), and
// the rest refused with their message.
//
// The toroids are those of B. M. Stewart, "Adventures Among the Toroids" (1970,
// 2nd ed. 1980). Their figures below are worked out from the pieces that his
// notation names: for "K4 / 12P4 (E4)" a truncated cuboctahedron (K4) loses its 12
// squares, 12 cubes (P4) add 4 walls each, and the central rhombicuboctahedron
// (E4) keeps its 8 triangles and 6 other squares as walls; the vertices are those
// of K4 and E4, the genus is one less than the number of openings into a cavity,
// and the group is the symmetry that the outer solid and its tunnels share.
//
// The near misses are checked against the figures of the checked coordinate files
// their stored points come from: counts, edge spread (the longest edge over the
// shortest, less 1) and the largest difference between a corner angle and that of
// the regular polygon with as many sides.

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <cstdio>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "construction/DerivedModels.h"
#include "construction/Library.h"
#include "construction/SpringRelax.h"
#include "core/VectorMath.h"
#include "model/LibraryEntry.h"
#include "model/Poly.h"
#include "model/PolyElement.h"
#include "model/PolyTemplate.h"
#include "symmetry/SimplePoly.h"
#include "symmetry/SymGroup.h"
#include "tests/construction/LibraryParamsFixture.h"
#include "tests/support/TestSupport.h"

namespace test_NearMissesAndToroids {

// A record with regular faces: a toroid, or Stewart's G3 (genus 0).
struct Toroid {
  int record;
  std::map<int, int> facesBySides;
  int edges, verts, genus;
  const char* group;
  bool dualRefused;  // a face plane through the centre puts a dual vertex at infinity
};

const Toroid kToroids[] = {
    {212, {{3, 7}, {4, 3}, {5, 3}}, 24, 13, 0, "C3v", false},                 // G3
    {217, {{3, 6}, {4, 15}}, 39, 18, 1, "C3v", false},                        // Q3 P6 / P3 Q3
    {218, {{3, 18}, {4, 6}}, 39, 15, 1, "D3h", false},                        // Q3 Q3 / S3 S3
    {220, {{3, 16}, {4, 12}}, 48, 20, 1, "D4h", false},                       // Q4 Q4 / B4
    {221, {{3, 6}, {4, 9}, {6, 9}}, 54, 30, 1, "C3v", true},                  // K3 / Q3 T3
    {222, {{3, 25}, {4, 5}, {5, 5}}, 60, 25, 1, "C5v", false},                // R5 / S5 Q5
    {223, {{3, 32}, {4, 20}, {8, 4}}, 104, 48, 1, "D4h", false},              // Q4 (T4) Q4 / B4 (P4) B4
    {224, {{3, 16}, {4, 18}, {6, 4}}, 72, 30, 3, "Td", true},                 // K3 / 4Q3 (S3)
    {226, {{3, 8}, {4, 54}, {6, 8}, {8, 6}}, 168, 72, 11, "Oh", false},       // K4 / 12P4 (E4)
    {227, {{3, 24}, {4, 54}, {8, 6}}, 168, 72, 7, "Oh", false},               // K4 / 8Q3 (E4)
    {228, {{3, 32}, {4, 48}, {6, 8}}, 168, 72, 5, "Oh", false},               // K4 / 6Q4 (E4)
    {236, {{3, 200}, {4, 60}}, 420, 140, 11, "Ih", false},                    // T5 / 12Q5 S5 (D5)
    {239, {{3, 140}, {4, 60}, {5, 60}, {6, 20}}, 540, 240, 11, "Ih", false},  // K5 / 12R5 (E5)
    {240, {{3, 200}, {4, 120}, {6, 20}}, 600, 240, 11, "Ih", false},          // K5 / 12Q5 S5 (E5)
};

// A near miss with the figures of its data file: edge spread in percent, largest
// corner-angle deviation in degrees.
struct NearMiss {
  int record;
  std::map<int, int> facesBySides;
  int edges, verts;
  const char* group;
  double spread, deviation;
};

const NearMiss kNearMisses[] = {
    {197, {{3, 16}, {5, 12}}, 54, 28, "Td", 7.013, 4.70},                       // Tetrated Dodecahedron
    {199, {{3, 24}, {4, 6}, {9, 8}}, 84, 48, "Oh", 4.967, 3.31},                // O(*, 3, *, [2])
    {202, {{3, 60}, {5, 12}, {6, 20}}, 180, 90, "Ih", 7.047, 4.31},             // I(1, 2, *, [2])
    {203, {{3, 60}, {10, 12}, {12, 20}}, 270, 180, "Ih", 1.530, 2.48},          // I(2, 4, *, e)
    {205, {{3, 20}, {4, 60}, {6, 30}, {10, 12}}, 300, 180, "Ih", 5.701, 1.63},  // I(2, *, 3, e)
};

// The records that stay refused: of these near misses no description is published
// precisely enough to state one compromise, and of these toroids the notation or
// the literature leaves the arrangement open.
const std::set<int> kRefused = {198, 200, 201, 204, 206, 207, 208, 209, 210, 211, 213, 214, 215,
                                216, 219, 225, 229, 230, 231, 232, 233, 234, 235, 237, 238};

constexpr double kExact = 1e-12;

std::string Boxes() {
  std::string text;
  for (const auto& box : corvia::testing::Platform().messages.Boxes()) text += "[" + box.title + ": " + box.text + "] ";
  return text;
}

// The dual is built, with a face for each vertex, the edges and the group.
void ExpectDual(const corvia::SimplePoly* dual, int faces, int edges, const char* group) {
  ASSERT_NE(dual, nullptr) << Boxes();
  EXPECT_EQ(dual->NumFaces(), faces);
  EXPECT_EQ(dual->NumEdges(), edges);
  EXPECT_EQ(std::string(corvia::SymGroup::GetSchoenflies(dual->symmetry.get())), group);
}

std::map<int, int> FacesBySides(const corvia::SimplePoly& model) {
  std::map<int, int> kinds;
  for (int f = 0; f < model.NumFaces(); ++f)
    if (!model.FaceAt(f).IsTemp()) ++kinds[model.FaceAt(f).Count()];
  return kinds;
}

// Whether every edge is run once each way by the faces: the surface is closed and
// its faces are turned alike.
bool IsClosedAndOriented(const corvia::SimplePoly& model) {
  std::map<std::pair<int, int>, int> runs;
  for (int f = 0; f < model.NumFaces(); ++f) {
    const corvia::SimpleFace& face = model.FaceAt(f);
    if (face.IsTemp()) continue;
    for (int k = 0; k < face.Count(); ++k)
      ++runs[{face.items[static_cast<size_t>(k)], face.items[static_cast<size_t>((k + 1) % face.Count())]}];
  }
  for (const auto& [edge, count] : runs)
    if (count != 1 || runs.count({edge.second, edge.first}) == 0) return false;
  return true;
}

// How far a model's faces are from regular: its edge spread in percent, its largest
// corner-angle deviation in degrees, and the largest distance of a corner from its
// face's plane (through the face's centre, normal to the sum of its corners' cross
// products) relative to the mean edge.
struct Regularity {
  double spread = 0, deviation = 0, bend = 0;
};

Regularity RegularityOf(const corvia::SimplePoly& model) {
  using namespace corvia;
  double shortest = 1e300, longest = 0, sum = 0;
  int count = 0;
  Regularity r;
  for (int f = 0; f < model.NumFaces(); ++f) {
    const SimpleFace& face = model.FaceAt(f);
    const int n = face.Count();
    double centre[3] = {0, 0, 0}, normal[3] = {0, 0, 0};
    for (int k = 0; k < n; ++k) Add(centre, centre, face.VertWrapped(k).pos);
    Divide(centre, centre, n);
    for (int k = 0; k < n; ++k) {
      double a[3], b[3], cross[3], before[3], after[3];
      Subtract(a, face.VertWrapped(k).pos, centre);
      Subtract(b, face.VertWrapped(k + 1).pos, centre);
      Cross(cross, a, b);
      Add(normal, normal, cross);
      const double length = std::sqrt(Dot(b, b) + Dot(a, a) - 2 * Dot(a, b));
      shortest = std::min(shortest, length);
      longest = std::max(longest, length);
      sum += length;
      ++count;
      Subtract(before, face.VertWrapped(k + n - 1).pos, face.VertWrapped(k).pos);
      Subtract(after, face.VertWrapped(k + 1).pos, face.VertWrapped(k).pos);
      const double angle = std::acos(Dot(before, after) / std::sqrt(Dot(before, before) * Dot(after, after)));
      r.deviation = std::max(r.deviation, std::fabs(angle - M_PI * (1 - 2.0 / n)) * 180 / M_PI);
    }
    Divide(normal, normal, std::sqrt(Dot(normal, normal)));
    for (int k = 0; k < n; ++k) {
      double d[3];
      Subtract(d, face.VertWrapped(k).pos, centre);
      r.bend = std::max(r.bend, std::fabs(Dot(d, normal)));
    }
  }
  r.spread = (longest / shortest - 1) * 100;
  r.bend /= sum / count;
  return r;
}

// Points moved to their centroid and scaled to a mean edge of 1 over the faces of a model.
void Normalise(std::vector<std::array<double, 3>>& points, const corvia::SimplePoly& faces) {
  using namespace corvia;
  double centre[3] = {0, 0, 0}, sum = 0;
  int count = 0;
  for (const auto& p : points) Add(centre, centre, p.data());
  Divide(centre, centre, static_cast<double>(points.size()));
  for (int f = 0; f < faces.NumFaces(); ++f) {
    const SimpleFace& face = faces.FaceAt(f);
    for (int k = 0; k < face.Count(); ++k) {
      double d[3];
      Subtract(d, points[static_cast<size_t>(face.items[static_cast<size_t>(k)])].data(),
               points[static_cast<size_t>(face.items[static_cast<size_t>((k + 1) % face.Count())])].data());
      sum += std::sqrt(Dot(d, d));
      ++count;
    }
  }
  for (auto& p : points) {
    Subtract(p.data(), p.data(), centre);
    Divide(p.data(), p.data(), sum / count);
  }
}

std::string Formatted(const char* format, double value) {
  char text[32];
  std::snprintf(text, sizeof text, format, value);
  return text;
}

class NearMissesAndToroidsTest : public corvia::testing::LibraryParamsFixture {};

}  // namespace test_NearMissesAndToroids

namespace corvia {

using test_NearMissesAndToroids::NearMissesAndToroidsTest;
namespace nt = test_NearMissesAndToroids;

TEST_F(NearMissesAndToroidsTest, EveryRecordBuildsOrIsRefused) {
  std::set<int> built;
  for (const auto& toroid : nt::kToroids) built.insert(toroid.record);
  for (const auto& nearMiss : nt::kNearMisses) built.insert(nearMiss.record);
  for (int i = 197; i <= 240; ++i) EXPECT_TRUE(built.count(i) != nt::kRefused.count(i)) << i;
}

TEST_F(NearMissesAndToroidsTest, StewartsRecordsBuildAsTheirPiecesGive) {
  for (const auto& expected : nt::kToroids) {
    LibraryEntry& entry = gLibraryTable[expected.record];
    SCOPED_TRACE(std::to_string(expected.record) + " " + entry.mName + " " + entry.mConfig);
    ASSERT_EQ(entry.mCategory, kCategoryToroids);
    std::unique_ptr<SimplePoly> model = entry.CreatePoly(false);
    ASSERT_NE(model, nullptr) << nt::Boxes();
    EXPECT_TRUE(testing::Platform().messages.Boxes().empty()) << nt::Boxes();

    std::map<int, int> kinds = nt::FacesBySides(*model);
    int faces = 0;
    for (const auto& [sides, count] : kinds) faces += count;
    EXPECT_EQ(kinds, expected.facesBySides);
    EXPECT_TRUE(nt::IsClosedAndOriented(*model));
    EXPECT_EQ(model->NumEdges(), expected.edges);
    EXPECT_EQ(model->NumVerts(), expected.verts);
    EXPECT_EQ(model->NumVerts() - model->NumEdges() + faces, 2 - 2 * expected.genus);
    EXPECT_EQ(std::string(SymGroup::GetSchoenflies(model->symmetry.get())), expected.group);
    // The record's own counts agree.
    EXPECT_EQ(entry.mNumFaces, faces);
    EXPECT_EQ(entry.mNumEdges, expected.edges);
    EXPECT_EQ(entry.mNumVerts, expected.verts);

    // One edge length, and every face a regular polygon.
    double edge = -1;
    for (int f = 0; f < model->NumFaces(); ++f) {
      const SimpleFace& face = model->FaceAt(f);
      const int n = face.Count();
      double centre[3] = {0, 0, 0};
      for (int k = 0; k < n; ++k) Add(centre, centre, face.VertWrapped(k).pos);
      Divide(centre, centre, n);
      for (int k = 0; k < n; ++k) {
        double d[3];
        Subtract(d, face.VertWrapped(k + 1).pos, face.VertWrapped(k).pos);
        const double length = std::sqrt(Dot(d, d));
        if (edge < 0) edge = length;
        EXPECT_NEAR(length / edge, 1.0, nt::kExact);
        Subtract(d, face.VertWrapped(k).pos, centre);
        EXPECT_NEAR(std::sqrt(Dot(d, d)) / edge, 0.5 / std::sin(M_PI / n), nt::kExact);
      }
    }
    testing::Platform().messages.Clear();

    Outcome why;
    std::unique_ptr<SimplePoly> dual = entry.CreatePoly(true, &why);
    if (expected.dualRefused) {
      EXPECT_EQ(dual, nullptr);
      EXPECT_TRUE(testing::Platform().messages.Boxes().empty()) << nt::Boxes();
      EXPECT_EQ(why.kind(), Outcome::Kind::kRefused);
      EXPECT_EQ(why.text(), "This operation may not be performed on a model with infinite vertices");
    } else {
      nt::ExpectDual(dual.get(), expected.verts, expected.edges, expected.group);
    }
    testing::Platform().messages.Clear();
  }
}

// Each near miss is the compromise of its data file, placed as stored: its counts,
// a closed surface of genus 0 with its faces turned alike and plane, its edge
// spread and corner-angle deviation, which its description quotes, and its group,
// which its dual keeps.
TEST_F(NearMissesAndToroidsTest, NearMissesBuildAsTheirDataGive) {
  for (const auto& expected : nt::kNearMisses) {
    LibraryEntry& entry = gLibraryTable[expected.record];
    SCOPED_TRACE(std::to_string(expected.record) + " " + entry.mName);
    ASSERT_EQ(entry.mCategory, kCategoryNearMisses);
    std::unique_ptr<SimplePoly> model = entry.CreatePoly(false);
    ASSERT_NE(model, nullptr) << nt::Boxes();
    EXPECT_TRUE(testing::Platform().messages.Boxes().empty()) << nt::Boxes();

    EXPECT_EQ(nt::FacesBySides(*model), expected.facesBySides);
    EXPECT_EQ(model->NumEdges(), expected.edges);
    EXPECT_EQ(model->NumVerts(), expected.verts);
    EXPECT_EQ(model->NumVerts() - model->NumEdges() + model->NumFaces(), 2);
    EXPECT_TRUE(nt::IsClosedAndOriented(*model));
    EXPECT_EQ(entry.mNumFaces, model->NumFaces());
    EXPECT_EQ(entry.mNumEdges, expected.edges);
    EXPECT_EQ(entry.mNumVerts, expected.verts);
    EXPECT_EQ(std::string(SymGroup::GetSchoenflies(model->symmetry.get())), expected.group);

    const nt::Regularity regularity = nt::RegularityOf(*model);
    EXPECT_LT(regularity.bend, 1e-9);
    // The figures are rounded, and the set-up moves the points of the truncated
    // truncated icosahedron, which its file gives to 15 decimals, onto its group.
    EXPECT_NEAR(regularity.spread, expected.spread, 0.001);
    EXPECT_NEAR(regularity.deviation, expected.deviation, 0.01);
    const std::string description = entry.mDescription;
    EXPECT_NE(description.find("by up to " + nt::Formatted("%.2f%%", regularity.spread)), std::string::npos)
        << description;
    EXPECT_NE(description.find("by up to " + nt::Formatted("%.1f degrees", regularity.deviation)), std::string::npos)
        << description;

    std::unique_ptr<SimplePoly> dual = entry.CreatePoly(true);
    nt::ExpectDual(dual.get(), expected.verts, expected.edges, expected.group);
    if (dual) {
      EXPECT_EQ(dual->NumVerts(), model->NumFaces());
    }
    testing::Platform().messages.Clear();
  }
}

// Built from the library, a near miss keeps the stored compromise: no relaxation
// runs. The spring relaxation started from it (as the command that tries to make
// faces regular starts it) comes to rest near it with every face it had, but not at
// regular faces: the pentagons and hexagons of the half-truncated truncated
// icosahedron, for one, pull against the triangles between them.
TEST_F(NearMissesAndToroidsTest, SpringRelaxationFromTheStoredCompromiseComesToRest) {
  for (const auto& expected : nt::kNearMisses) {
    LibraryEntry& entry = gLibraryTable[expected.record];
    SCOPED_TRACE(std::to_string(expected.record) + " " + entry.mName);
    const LibraryPointSet& set = kLibraryPointSets[expected.record - GetFirstSpringRecordIndex()];
    std::unique_ptr<SimplePoly> stored = entry.CreateSpringPoly(nullptr);
    ASSERT_NE(stored, nullptr);
    ASSERT_EQ(stored->NumVerts(), set.count);
    for (int v = 0; v < set.count; ++v)
      for (int k = 0; k < 3; ++k) ASSERT_EQ(stored->VertAt(v).pos[k], set.points[v][k]) << v;

    PolyTemplate polyTemplate;
    Poly poly;
    ASSERT_TRUE(CreateFromLibraryEntry(&poly, &polyTemplate, &entry, false));
    SpringPolyDesc desc;
    ASSERT_TRUE(CreateFromPoly(desc, &poly));
    desc.mFlags |= kSpringDescFromModel;
    const double force = RelaxSpringModel(desc, 10);
    EXPECT_TRUE(std::isfinite(force));
    EXPECT_LT(force, 0.01);
    ASSERT_NE(desc.mResult, nullptr);
    const SimplePoly& relaxed = *desc.mResult;
    EXPECT_EQ(nt::FacesBySides(relaxed), expected.facesBySides);
    const nt::Regularity regularity = nt::RegularityOf(relaxed);
    EXPECT_GT(regularity.spread + regularity.deviation, 0.1);
    // Both at a mean edge of 1 about their centroids: no vertex has gone far.
    std::vector<std::array<double, 3>> before;
    for (const PolyElement* e = poly.mVertices.mHead; e; e = e->mNext)
      before.push_back({e->mDualVert[0], e->mDualVert[1], e->mDualVert[2]});
    std::vector<std::array<double, 3>> after;
    for (int v = 0; v < relaxed.NumVerts(); ++v)
      after.push_back({relaxed.VertAt(v).pos[0], relaxed.VertAt(v).pos[1], relaxed.VertAt(v).pos[2]});
    nt::Normalise(before, relaxed);
    nt::Normalise(after, relaxed);
    ASSERT_EQ(before.size(), after.size());
    double moved = 0;
    for (size_t v = 0; v < after.size(); ++v) {
      double d[3];
      Subtract(d, after[v].data(), before[v].data());
      moved = std::max(moved, std::sqrt(Dot(d, d)));
    }
    EXPECT_LT(moved, 0.1);
    testing::Platform().messages.Clear();
  }
}

TEST_F(NearMissesAndToroidsTest, RecordsWithoutGeometryAreRefusedWithTheirMessage) {
  for (int i : nt::kRefused) {
    LibraryEntry& entry = gLibraryTable[i];
    testing::Platform().messages.Clear();
    Outcome why;
    EXPECT_EQ(entry.CreatePoly(false, &why), nullptr) << i;
    EXPECT_TRUE(testing::Platform().messages.Boxes().empty()) << i << " " << nt::Boxes();
    EXPECT_EQ(why.kind(), Outcome::Kind::kRefused) << i;
    // The refusal gives the README's reason for the record's kind.
    const char* reason = entry.mCategory == kCategoryNearMisses
                             ? "no published compromise fixes the coordinates of these near misses"
                             : "Stewart's notation and the literature leave open which pieces of these toroids are "
                               "joined or drilled, or how";
    EXPECT_EQ(why.text(), std::string("The model \"") + entry.mName + "\" is not available yet: " + reason + ".");
  }
}

// The road every chosen record takes to the document's model says the same, and a
// record that describes its model is available.
TEST_F(NearMissesAndToroidsTest, TheModelRoadRefusesThemWithTheirMessageToo) {
  for (int i = 197; i <= 240; ++i) {
    LibraryEntry& entry = gLibraryTable[i];
    EXPECT_EQ(entry.IsAvailable(), nt::kRefused.count(i) == 0) << i;
  }
  LibraryEntry& nearMiss = gLibraryTable[198];
  testing::Platform().messages.Clear();
  PolyTemplate polyTemplate;
  Poly poly;
  Outcome why;
  EXPECT_FALSE(CreateFromLibraryEntry(&poly, &polyTemplate, &nearMiss, false, &why));
  EXPECT_TRUE(testing::Platform().messages.Boxes().empty()) << nt::Boxes();
  EXPECT_EQ(why.kind(), Outcome::Kind::kRefused);
  EXPECT_EQ(why.text(), std::string("The model \"") + nearMiss.mName + "\" is not available yet: no published compromise fixes the coordinates of these near misses.");
  EXPECT_EQ(poly.mFaces.mCount, 0);
}

// Every near miss and toroid says what it is; so do the Johnson solids that are
// not simply made of pieces of other solids.
TEST_F(NearMissesAndToroidsTest, RecordsCarryTheirShortDescriptions) {
  int described = 0;
  for (int i = 0; i < kNumLibraryEntries; ++i)
    if (gLibraryTable[i].mDescription != nullptr && gLibraryTable[i].mDescription[0] != 0) ++described;
  EXPECT_EQ(described, 60);
  // J84 (record 188) to the last toroid.
  for (int i = 188; i <= 240; ++i) EXPECT_STRNE(gLibraryTable[i].mDescription, "") << i;
}

}  // namespace corvia
