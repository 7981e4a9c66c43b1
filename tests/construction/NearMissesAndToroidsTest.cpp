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

#include <gtest/gtest.h>

#include <cmath>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "construction/Library.h"
#include "core/VectorMath.h"
#include "model/LibraryEntry.h"
#include "model/Poly.h"
#include "model/PolyTemplate.h"
#include "symmetry/SimplePoly.h"
#include "symmetry/SymGroup.h"
#include "tests/construction/LibraryParamsFixture.h"
#include "tests/support/TestSupport.h"

namespace test_NearMissesAndToroids {

struct Toroid {
  int record;
  std::map<int, int> facesBySides;
  int edges, verts, genus;
  const char* group;
  bool dualRefused;  // a face plane through the centre puts a dual vertex at infinity
};

const Toroid kToroids[] = {
    {217, {{3, 6}, {4, 15}}, 39, 18, 1, "C3v", false},                          // Q3 P6 / P3 Q3
    {218, {{3, 18}, {4, 6}}, 39, 15, 1, "D3h", false},                          // Q3 Q3 / S3 S3
    {221, {{3, 6}, {4, 9}, {6, 9}}, 54, 30, 1, "C3v", true},                    // K3 / Q3 T3
    {222, {{3, 25}, {4, 5}, {5, 5}}, 60, 25, 1, "C5v", false},                  // R5 / S5 Q5
    {224, {{3, 16}, {4, 18}, {6, 4}}, 72, 30, 3, "Td", true},                   // K3 / 4Q3 (S3)
    {226, {{3, 8}, {4, 54}, {6, 8}, {8, 6}}, 168, 72, 11, "Oh", false},         // K4 / 12P4 (E4)
    {227, {{3, 24}, {4, 54}, {8, 6}}, 168, 72, 7, "Oh", false},                 // K4 / 8Q3 (E4)
    {228, {{3, 32}, {4, 48}, {6, 8}}, 168, 72, 5, "Oh", false},                 // K4 / 6Q4 (E4)
    {236, {{3, 200}, {4, 60}}, 420, 140, 11, "Ih", false},                      // T5 / 12Q5 S5 (D5)
    {239, {{3, 140}, {4, 60}, {5, 60}, {6, 20}}, 540, 240, 11, "Ih", false},    // K5 / 12R5 (E5)
    {240, {{3, 200}, {4, 120}, {6, 20}}, 600, 240, 11, "Ih", false},            // K5 / 12Q5 S5 (E5)
};

// The records that stay refused: near misses have no exact form with regular
// faces, and for these no compromise is published precisely enough to state one;
// of these toroids the notation or the literature leaves the arrangement open.
const std::set<int> kRefused = {197, 198, 199, 200, 201, 202, 203, 204, 205, 206, 207, 208, 209, 210, 211, 212, 213,
                                214, 215, 216, 219, 220, 223, 225, 229, 230, 231, 232, 233, 234, 235, 237, 238};

constexpr double kExact = 1e-12;

std::string Boxes() {
  std::string text;
  for (const auto& box : corvia::testing::Platform().messages.Boxes()) text += "[" + box.title + ": " + box.text + "] ";
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
  for (int i = 197; i <= 240; ++i) EXPECT_TRUE(built.count(i) != nt::kRefused.count(i)) << i;
}

TEST_F(NearMissesAndToroidsTest, ToroidsBuildAsTheirPiecesGive) {
  for (const auto& expected : nt::kToroids) {
    LibraryEntry& entry = gLibraryTable[expected.record];
    SCOPED_TRACE(std::to_string(expected.record) + " " + entry.mName + " " + entry.mConfig);
    ASSERT_EQ(entry.mCategory, kCategoryToroids);
    std::unique_ptr<SimplePoly> model = entry.CreatePoly(false);
    ASSERT_NE(model, nullptr) << nt::Boxes();
    EXPECT_TRUE(testing::Platform().messages.Boxes().empty()) << nt::Boxes();

    std::map<int, int> kinds;
    int faces = 0;
    for (int f = 0; f < model->NumFaces(); ++f) {
      if (model->FaceAt(f).IsTemp()) continue;
      ++kinds[model->FaceAt(f).Count()];
      ++faces;
    }
    EXPECT_EQ(kinds, expected.facesBySides);
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

    std::unique_ptr<SimplePoly> dual = entry.CreatePoly(true);
    if (expected.dualRefused) {
      EXPECT_EQ(dual, nullptr);
      const auto& boxes = testing::Platform().messages.Boxes();
      ASSERT_EQ(boxes.size(), 1u) << nt::Boxes();
      EXPECT_EQ(boxes[0].title, "Error");
      EXPECT_EQ(boxes[0].text, "This operation may not be performed on a model with infinite vertices");
    } else {
      ASSERT_NE(dual, nullptr) << nt::Boxes();
      EXPECT_EQ(dual->NumFaces(), expected.verts);
      EXPECT_EQ(dual->NumEdges(), expected.edges);
      EXPECT_EQ(std::string(SymGroup::GetSchoenflies(dual->symmetry.get())), expected.group);
    }
    testing::Platform().messages.Clear();
  }
}

TEST_F(NearMissesAndToroidsTest, RecordsWithoutGeometryAreRefusedWithTheirMessage) {
  for (int i : nt::kRefused) {
    LibraryEntry& entry = gLibraryTable[i];
    testing::Platform().messages.Clear();
    EXPECT_EQ(entry.CreatePoly(false), nullptr) << i;
    const auto& boxes = testing::Platform().messages.Boxes();
    ASSERT_EQ(boxes.size(), 1u) << i << " " << nt::Boxes();
    EXPECT_EQ(boxes[0].title, "Error");
    EXPECT_EQ(boxes[0].text, std::string("The model \"") + entry.mName + "\" is not available yet.");
  }
}

// The road every chosen record takes to the document's model says the same, and a
// record that describes its model is available.
TEST_F(NearMissesAndToroidsTest, TheModelRoadRefusesThemWithTheirMessageToo) {
  for (int i = 197; i <= 240; ++i) {
    LibraryEntry& entry = gLibraryTable[i];
    EXPECT_EQ(entry.IsAvailable(), nt::kRefused.count(i) == 0) << i;
  }
  LibraryEntry& nearMiss = gLibraryTable[205];
  testing::Platform().messages.Clear();
  PolyTemplate polyTemplate;
  Poly poly;
  EXPECT_FALSE(poly.CreateFromLibraryEntry(&polyTemplate, &nearMiss, false));
  const auto& boxes = testing::Platform().messages.Boxes();
  ASSERT_EQ(boxes.size(), 1u) << nt::Boxes();
  EXPECT_EQ(boxes[0].title, "Error");
  EXPECT_EQ(boxes[0].text, std::string("The model \"") + nearMiss.mName + "\" is not available yet.");
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
