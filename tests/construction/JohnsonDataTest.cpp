#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "construction/Library.h"

namespace test_JohnsonData {

struct Solid {
  std::vector<std::vector<int>> faces;
  std::vector<std::vector<int>> tempFaces;
};

// Reads the faces of a stored face list ("h", then "(a b c)" and "t(...)").
Solid ReadFaces(const char* text) {
  Solid solid;
  bool temp = false;
  for (const char* p = text; *p != 0;) {
    if (*p == 't') {
      temp = true;
      ++p;
    } else if (*p == '(') {
      std::vector<int> face;
      ++p;
      while (*p != ')' && *p != 0) {
        char* end = nullptr;
        face.push_back(static_cast<int>(std::strtol(p, &end, 10)));
        p = end;
        while (*p == ' ') ++p;
      }
      if (*p == ')') ++p;
      (temp ? solid.tempFaces : solid.faces).push_back(face);
      temp = false;
    } else {
      ++p;
    }
  }
  return solid;
}

double Distance(const double* a, const double* b) {
  return std::sqrt((a[0] - b[0]) * (a[0] - b[0]) + (a[1] - b[1]) * (a[1] - b[1]) + (a[2] - b[2]) * (a[2] - b[2]));
}

}  // namespace test_JohnsonData

namespace corvia {

TEST(JohnsonDataTest, PointSetCountsAreTheStoredOnes) {
  // The first 26 sets, J1 to J26, as the library has always had them.
  constexpr int kFirstSets = 26;
  const int expected[kFirstSets] = {5,  6,  9,  12, 15, 20, 7,  9,  11, 9,  11, 5,  7,
                                    8,  10, 12, 10, 15, 20, 25, 30, 15, 20, 25, 30, 8};
  int total = 0;
  for (int k = 0; k < kFirstSets; ++k) {
    EXPECT_EQ(kLibraryPointSets[k].count, expected[k]) << "J" << k + 1;
    total += kLibraryPointSets[k].count;
  }
  EXPECT_EQ(total, 354);
  EXPECT_STREQ(kLibraryFaceLists[0], "h (4 1 0 3) (1 4 2) (0 1 2) (3 0 2) (4 3 2)");
}

// Every stored solid is closed, has the element counts of its record, Euler
// characteristic 2, regular plane faces turned outwards, equal edges and its
// farthest vertex at distance 1, all to the precision of the stored doubles.
TEST(JohnsonDataTest, EverySolidIsAnEqualEdgedUnitJohnsonSolid) {
  const int first = GetFirstSpringRecordIndex();
  ASSERT_EQ(first, 105);
  for (int k = 0; k < kNumJohnsonSolids; ++k) {
    SCOPED_TRACE("J" + std::to_string(k + 1));
    const LibraryEntry& entry = gLibraryTable[first + k];
    const LibraryPointSet& set = kLibraryPointSets[k];
    test_JohnsonData::Solid solid = test_JohnsonData::ReadFaces(kLibraryFaceLists[k]);
    const double tolerance = 1e-12;

    std::map<std::pair<int, int>, int> edgeUses;
    for (const auto& face : solid.faces) {
      for (size_t i = 0; i < face.size(); ++i) {
        int a = face[i], b = face[(i + 1) % face.size()];
        ASSERT_GE(a, 0);
        ASSERT_LT(a, set.count);
        ++edgeUses[{std::min(a, b), std::max(a, b)}];
      }
    }
    int numFaces = static_cast<int>(solid.faces.size());
    int numEdges = static_cast<int>(edgeUses.size());
    EXPECT_EQ(set.count - numEdges + numFaces, 2);
    EXPECT_EQ(numFaces, entry.mNumFaces);
    EXPECT_EQ(numEdges, entry.mNumEdges);
    EXPECT_EQ(set.count, entry.mNumVerts);
    for (const auto& [edge, uses] : edgeUses) EXPECT_EQ(uses, 2) << edge.first << "-" << edge.second;

    double edgeLength = -1, radius = 0;
    for (const auto& [edge, uses] : edgeUses) {
      double length = test_JohnsonData::Distance(set.points[edge.first], set.points[edge.second]);
      if (edgeLength < 0) edgeLength = length;
      EXPECT_NEAR(length, edgeLength, tolerance);
    }
    const double origin[3] = {0, 0, 0};
    for (int v = 0; v < set.count; ++v) radius = std::max(radius, test_JohnsonData::Distance(set.points[v], origin));
    EXPECT_NEAR(radius, 1.0, tolerance);

    for (const auto& face : solid.faces) {
      double centre[3] = {0, 0, 0};
      for (int v : face)
        for (int c = 0; c < 3; ++c) centre[c] += set.points[v][c] / static_cast<double>(face.size());
      const double* a = set.points[face[0]];
      const double* b = set.points[face[1]];
      const double* c = set.points[face[2]];
      double u[3] = {b[0] - a[0], b[1] - a[1], b[2] - a[2]};
      double w[3] = {c[0] - a[0], c[1] - a[1], c[2] - a[2]};
      double normal[3] = {u[1] * w[2] - u[2] * w[1], u[2] * w[0] - u[0] * w[2], u[0] * w[1] - u[1] * w[0]};
      double size = std::sqrt(normal[0] * normal[0] + normal[1] * normal[1] + normal[2] * normal[2]);
      double circumradius = test_JohnsonData::Distance(set.points[face[0]], centre);
      for (int v : face) {
        double offset = 0;
        for (int i = 0; i < 3; ++i) offset += (set.points[v][i] - a[i]) * normal[i] / size;
        EXPECT_NEAR(offset, 0.0, tolerance);
        EXPECT_NEAR(test_JohnsonData::Distance(set.points[v], centre), circumradius, tolerance);
      }
      // Outwards: the normal points away from the centre of the solid.
      EXPECT_GT(normal[0] * centre[0] + normal[1] * centre[1] + normal[2] * centre[2], 0.0);
    }
  }
}

TEST(JohnsonDataTest, OnlyTheGyroelongatedSquarePyramidCarriesABracingFace) {
  for (int k = 0; k < kNumJohnsonSolids; ++k) {
    test_JohnsonData::Solid solid = test_JohnsonData::ReadFaces(kLibraryFaceLists[k]);
    bool braced = k == 9;  // J10
    EXPECT_EQ(solid.tempFaces.size(), braced ? 1u : 0u) << "J" << k + 1;
    EXPECT_EQ(kLibraryFaceLists[k][0], 'h');
  }
}

}  // namespace corvia
