// Every library record as a surface: its faces wound one way (each edge run one way by
// one face and the other way by the other), a whole density where the surface has two
// sides, the kind of polyhedron the published catalogues make it, and its name.

#include <gtest/gtest.h>

#include <cmath>
#include <map>
#include <string>
#include <vector>

#include "construction/DerivedModels.h"
#include "construction/Library.h"
#include "construction/ModelLookup.h"
#include "model/CompoundPart.h"
#include "model/Edge.h"
#include "model/LibraryEntry.h"
#include "model/Poly.h"
#include "model/PolyTemplate.h"
#include "tests/construction/LibraryParamsFixture.h"

namespace test_LibrarySurface {

// +1 when the face runs the edge from its first end to its second, -1 the other way.
int Runs(const corvia::PolyElement* face, const corvia::Edge* edge) {
  for (int j = 0; j < face->mNumSides; ++j) {
    if (face->mEdges[j] == edge) return face->mNeighbours[j] == edge->mVert1 ? 1 : -1;
  }
  return 0;
}

// The edges that both their faces run the same way, as the faces stand.
int EdgesRunTheSameWay(const corvia::Poly& poly) {
  int count = 0;
  for (int i = 0; i < poly.mNumEdges; ++i) {
    const corvia::Edge* e = poly.GetEdge(i);
    if (!e->mFace1 || !e->mFace2 || Runs(e->mFace1, e) + Runs(e->mFace2, e) != 0) ++count;
  }
  return count;
}

// Whether the faces can be wound one way at all, worked out from the edges alone: a
// face turned round turns every face across its edges with it.
bool CanBeWoundOneWay(const corvia::Poly& poly) {
  std::map<const corvia::PolyElement*, int> turn;
  for (const corvia::PolyElement* start = poly.mFaces.mHead; start; start = start->mNext) {
    if (turn.count(start)) continue;
    turn[start] = 1;
    std::vector<const corvia::PolyElement*> queue{start};
    while (!queue.empty()) {
      const corvia::PolyElement* f = queue.back();
      queue.pop_back();
      for (int j = 0; j < f->mNumSides; ++j) {
        const corvia::Edge* e = f->mEdges[j];
        const corvia::PolyElement* g = e->mFace1 == f ? e->mFace2 : e->mFace1;
        if (!g || g == f) continue;
        const int wanted = -Runs(f, e) * turn[f] * Runs(g, e);
        const auto found = turn.find(g);
        if (found == turn.end()) {
          turn[g] = wanted;
          queue.push_back(g);
        } else if (found->second != wanted) {
          return false;
        }
      }
    }
  }
  return true;
}

bool IsOneSided(const corvia::Poly& poly) {
  for (const corvia::CompoundPart* part = poly.mCompoundParts; part; part = part->mNext) {
    if (part->mFlags & corvia::kCompoundPartOneSided) return true;
  }
  return false;
}

bool IsUniformCategory(int category) {
  return category >= corvia::kCategoryPlatonic && category <= corvia::kCategoryDegenerates;
}

// The record's name with a family's n (and d) in place of its "N".
std::string ExpectedName(const corvia::LibraryEntry& entry) {
  std::string name = entry.mName;
  if (entry.IsParametric() && name.rfind("N-", 0) == 0) {
    int n = 0, d = 1;
    entry.GetParams(n, d);
    name = std::to_string(n) + (d == 1 ? "" : "/" + std::to_string(d)) + name.substr(1);
  }
  return name;
}

// Densities of the published tables (how many times the surface winds round the
// centre; a positive volume may leave the centre wound the other way, so the sign is
// not compared).
const std::map<int, int> kPublishedDensities = {
    {0, 1},  {4, 1},  {5, 3},   {6, 3},   {7, 7},   {8, 7},   {14, 1},  {23, 0}, {25, 2}, {27, 7},
    {30, 5}, {31, 4}, {32, 1},  {37, 13}, {41, 6},  {43, 3},  {44, 13}, {48, 3}, {54, 7}, {56, 6},
    {57, 2}, {58, 4}, {64, 13}, {69, 7},  {71, 37}, {72, 38}, {73, 10}, {80, 2}, {88, 3}, {104, 1},
};

}  // namespace test_LibrarySurface

class LibrarySurfaceTest : public corvia::testing::LibraryParamsFixture {};

TEST_F(LibrarySurfaceTest, EveryRecordIsWoundOneWayAndNamedForWhatItIs) {
  using namespace test_LibrarySurface;
  int built = 0;
  int oneSided = 0;
  for (int index = 0; index < corvia::GetNumLibraryEntries(); ++index) {
    corvia::LibraryEntry* entry = corvia::GetLibraryEntry(index);
    SCOPED_TRACE(std::to_string(index) + " " + entry->mName);
    corvia::testing::Platform().messages.Clear();
    corvia::PolyTemplate polyTemplate;
    corvia::Poly poly;
    if (!CreateFromLibraryEntry(&poly, &polyTemplate, entry, false)) {
      // Only records with no data of their own are refused; the uniform polyhedra and
      // the Johnson solids all build.
      EXPECT_FALSE(IsUniformCategory(entry->mCategory) || entry->mCategory == corvia::kCategoryJohnson);
      continue;
    }
    ++built;
    if (!poly.mLibraryEntry) poly.SetLibraryEntry(entry);

    // Wound one way, or one-sided and truly so.
    if (IsOneSided(poly)) {
      ++oneSided;
      EXPECT_FALSE(CanBeWoundOneWay(poly));
    } else {
      EXPECT_EQ(EdgesRunTheSameWay(poly), 0);
      EXPECT_NEAR(poly.mModelDensity, std::round(poly.mModelDensity), 1e-9);
      const auto published = kPublishedDensities.find(index);
      if (published != kPublishedDensities.end()) {
        EXPECT_EQ(std::lround(std::fabs(poly.mModelDensity)), published->second);
      }
    }

    // The kind: the uniform polyhedra (prisms and degenerate ones among them) are built
    // from their configurations and have one kind of vertex; the others are not.
    const bool uniform = IsUniformCategory(entry->mCategory);
    EXPECT_EQ(poly.mTemplate != nullptr, uniform);
    if (uniform) {
      EXPECT_TRUE(poly.IsUniform());
    }
    EXPECT_EQ(poly.mLibraryEntry, entry);
    EXPECT_EQ(poly.mName ? std::string(poly.mName) : std::string(), ExpectedName(*entry));
  }
  // 105 uniform polyhedra, 92 Johnson solids and the families and toroids with data.
  EXPECT_GE(built, 230);
  // Sixteen uniform polyhedra (the hemipolyhedra among them) and the five cuploids
  // have one side only.
  EXPECT_EQ(oneSided, 21);
}
