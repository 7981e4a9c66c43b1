// The names a stellation goes by in the panes: its place among the stellations of the
// criteria and, for the stellations of the regular solids that are numbered models, its
// Wenninger number, on the side of the model that shows it.

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "construction/DerivedModels.h"
#include "construction/ModelLookup.h"
#include "construction/StellationNames.h"
#include "model/LibraryEntry.h"
#include "model/PolyTemplate.h"
#include "tests/stellation/StellationModels.h"

namespace test_StellationNames {

using namespace corvia;

// A library model by its vertex configuration.
struct LibraryModel {
  PolyTemplate polyTemplate;
  Poly poly;
  bool built = false;
  explicit LibraryModel(const char* config) {
    bool recognised = false;
    LibraryEntry* entry = LookUpModel(config, &recognised, nullptr, nullptr, false);
    built = entry && CreateFromLibraryEntry(&poly, &polyTemplate, entry, false);
  }
};

// The name of each stellation of the main line from the core, and its volume over the
// core's.
struct Walk {
  std::vector<std::string> names;
  std::vector<double> volumes;
};

Walk WalkMainLine(Poly& poly, FaceTypeBlock* block) {
  Walk walk;
  (void)Stellate(&poly, block, false);
  block->GoToCore();
  const double core = corvia::testing::StellationVolume(block);
  do {
    walk.names.push_back(DescribeShownStellation(&poly, block, true));
    walk.volumes.push_back(corvia::testing::StellationVolume(block) / core);
  } while (block->NextStellation() && walk.names.size() < 20);
  return walk;
}

}  // namespace test_StellationNames

// The dodecahedron's three stellations are the small stellated (W20), great (W21) and
// great stellated (W22) dodecahedra, and the main line of the icosahedron passes the
// great icosahedron (W41) before the complete stellation (W42): models of the library
// each, which the lookup's table of stellations leaves out. The dual side of the
// icosahedron, of the dodecahedron and of the cube stellates as the dodecahedron, the
// icosahedron and the octahedron: the same names, for the same solids.
TEST(StellationNames, TheRegularSolidsStellationsCarryTheirNumbersOnEitherSide) {
  using namespace test_StellationNames;
  corvia::testing::CriteriaScope mainLine(kCriteriaMainline);
  struct Case {
    const char* base;
    const char* dualOf;
    std::vector<std::string> names;
  };
  const Case cases[] = {
      {"5.5.5", "3.3.3.3.3", {"1 of 4", "2 of 4 (W20)", "3 of 4 (W21)", "4 of 4 (W22)"}},
      {"3.3.3.3.3",
       "5.5.5",
       {"1 of 8", "2 of 8 (W26)", "3 of 8 (W23)", "4 of 8", "5 of 8", "6 of 8 (W27)", "7 of 8 (W41)", "8 of 8 (W42)"}},
      {"3.3.3.3", "4.4.4", {"1 of 2", "2 of 2 (W19)"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.base);
    LibraryModel base(c.base);
    LibraryModel dual(c.dualOf);
    ASSERT_TRUE(base.built && dual.built);
    const Walk onBase = WalkMainLine(base.poly, base.poly.mBaseBlock.get());
    const Walk onDual = WalkMainLine(dual.poly, dual.poly.mDualBlock.get());
    EXPECT_EQ(onBase.names, c.names);
    EXPECT_EQ(onDual.names, c.names);
    ASSERT_EQ(onDual.volumes.size(), onBase.volumes.size());
    for (size_t i = 0; i < onBase.volumes.size(); ++i) EXPECT_NEAR(onDual.volumes[i], onBase.volumes[i], 1e-6) << i;
  }
}
