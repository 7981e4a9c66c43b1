// Compounds of cubes whose parts touch or share planes: along an edge, at a vertex,
// across a face, or only in a common face plane. Vertices where parts touch are
// split into one copy per part, so copies of a vertex coincide and their faces lie
// in the same planes; matching them under the symmetry must still tell them apart.

#include <gtest/gtest.h>

#include <array>
#include <string>
#include <vector>

#include "model/CreatePoly.h"
#include "model/FaceTypeBlock.h"
#include "model/Poly.h"
#include "symmetry/SimplePoly.h"
#include "symmetry/SymGroup.h"
#include "tests/support/TestSupport.h"
#include "tests/symmetry/SimplePolyTestModels.h"

namespace test_TouchingCompounds {

using corvia::Poly;

struct Compound {
  const char* label;
  std::vector<std::array<double, 3>> origins;  // lowest corners of cubes of edge 2
  const char* group;                           // worked out by hand from the parts
};

const Compound kCompounds[] = {
    // The pair swaps under the half turn about z and under the inversion; each cube
    // keeps its place under the mirrors x = y and z = 0.
    {"two cubes sharing an edge", {{-2, -2, -1}, {0, 0, -1}}, "D2h"},
    {"two cubes sharing an edge off the centre plane", {{-2, -2, 0}, {0, 0, 0}}, "D2h"},
    {"three cubes in a chain along edges", {{-3, -3, -1}, {-1, -1, -1}, {1, 1, -1}}, "D2h"},
    {"four cubes round a shared edge", {{-2, -2, -1}, {0, 0, -1}, {-2, 0, -1}, {0, -2, -1}}, "D4h"},
    {"two cubes sharing a vertex", {{-2, -2, -2}, {0, 0, 0}}, "D3d"},
    {"three cubes on a diagonal sharing vertices", {{-3, -3, -3}, {-1, -1, -1}, {1, 1, 1}}, "D3d"},
    {"four cubes in alternate octants", {{0, 0, 0}, {-2, -2, 0}, {-2, 0, -2}, {0, -2, -2}}, "Td"},
    {"eight cubes round a vertex",
     {{0, 0, 0}, {-2, 0, 0}, {0, -2, 0}, {0, 0, -2}, {-2, -2, 0}, {-2, 0, -2}, {0, -2, -2}, {-2, -2, -2}},
     "Oh"},
    {"two cubes sharing a face", {{-2, -1, -1}, {0, -1, -1}}, "D4h"},
    {"two cubes sharing half a face plane", {{-2, -1, -1}, {0, 1, -1}}, "D2h"},
    // Apart, with faces in the plane x = 0 facing opposite ways.
    {"two cubes in one face plane, apart", {{-2, 1, -1}, {0, -3, -1}}, "C2h"},
    {"two cubes side by side, apart", {{-3, -1, -1}, {1, -1, -1}}, "D4h"},
};

TEST(TouchingCompoundsTest, BuildWithoutInternalErrorsAndWithTheirGroups) {
  auto& messages = corvia::testing::Platform().messages;
  for (const Compound& c : kCompounds) {
    messages.Clear();
    auto model = corvia::testmodels::MakeCubes(c.origins, 2);
    Poly poly;
    ASSERT_TRUE(CreatePoly(*model, &poly, false, true)) << c.label;
    const int cubes = static_cast<int>(c.origins.size());
    EXPECT_TRUE(messages.Boxes().empty()) << c.label << ": " << messages.Boxes()[0].text;
    EXPECT_EQ(poly.mFaces.mCount, 6 * cubes) << c.label;
    // Each cube keeps its own corners where the parts touch.
    EXPECT_EQ(poly.mVertices.mCount, 8 * cubes) << c.label;
    EXPECT_EQ(poly.mNumEdges, 12 * cubes) << c.label;
    EXPECT_EQ(poly.CountCompoundParts(), cubes) << c.label;
    ASSERT_NE(poly.mSymGroup, nullptr) << c.label;
    EXPECT_EQ(corvia::SymGroup::GetSchoenflies(poly.mSymGroup), c.group) << c.label;
  }
}

}  // namespace test_TouchingCompounds
