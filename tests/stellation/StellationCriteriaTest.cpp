// The stellation criteria: the classical counts of Miller's rules and of fully
// supported stellations, walks forwards and back, the final stellation, the refusals
// and the mirror-image rules.

#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <string>
#include <vector>

#include "construction/DerivedModels.h"
#include "construction/Library.h"
#include "model/Globals.h"
#include "model/LibraryEntry.h"
#include "platform/Services.h"
#include "stellation/Stellate.h"
#include "stellation/StellationCell.h"
#include "stellation/StellationCriteria.h"
#include "symmetry/SymOperations.h"
#include "tests/stellation/StellationModels.h"
#include "tests/support/TestSupport.h"

namespace test_StellationCriteria {

using corvia::FaceTypeBlock;
using corvia::StellationCell;
using corvia::testing::ConfigModel;
using corvia::testing::CriteriaScope;
using corvia::testing::CountWalk;
using corvia::testing::Inclusion;

std::vector<std::string> WalkForwards(FaceTypeBlock* block) {
  block->mCriteriaFlag = 0;
  block->GoToCore();
  std::vector<std::string> sets = {Inclusion(block)};
  while (block->NextStellation() && sets.size() < 100000) sets.push_back(Inclusion(block));
  return sets;
}

std::string Mirror(const FaceTypeBlock* block, const std::string& set) {
  std::string image(set.size(), '0');
  int i = 0;
  for (const StellationCell* c = block->mFirstCell; c && c != block->mOuterCell; c = c->mNext, ++i) {
    if (set[static_cast<size_t>(i)] == '1') image[static_cast<size_t>(c->GetMirrorPartner()->mIndex)] = '1';
  }
  return image;
}

}  // namespace test_StellationCriteria

// "The Fifty-Nine Icosahedra" (Coxeter, Du Val, Flather and Petrie, 1938): Miller's
// rules allow 59 stellations of the icosahedron, itself included: 32 with its full
// symmetry and 27 chiral ones, each pair of mirror images counted once. The cube has no
// stellation but itself, the octahedron one (the stella octangula), the dodecahedron
// three (the small stellated, great and great stellated dodecahedra).
TEST(StellationCriteria, MillersRules) {
  using namespace test_StellationCriteria;
  CriteriaScope scope(corvia::kCriteriaMiller);
  struct Case {
    const char* config;
    int total, chiral;
  };
  const Case cases[] = {{"3.3.3.3.3", 59, 27}, {"4.4.4", 1, 0}, {"3.3.3.3", 2, 0}, {"5.5.5", 4, 0}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.config);
    ConfigModel model(c.config);
    ASSERT_TRUE(model.built);
    FaceTypeBlock* block = model.Stellated();
    const corvia::testing::WalkCount count = CountWalk(block);
    EXPECT_EQ(count.total, c.total);
    EXPECT_EQ(count.chiral, c.chiral);
    // After the last one the walk is back at the core.
    EXPECT_EQ(Inclusion(block).find('1'), 0u);
  }
}

// Each Miller stellation comes once, and of two mirror images only one: a chiral one is
// followed by its compound with its mirror image when that is a stellation the search
// would not find by itself.
TEST(StellationCriteria, MillerMirrorImages) {
  using namespace test_StellationCriteria;
  CriteriaScope scope(corvia::kCriteriaMiller);
  ConfigModel model("3.3.3.3.3");
  ASSERT_TRUE(model.built);
  FaceTypeBlock* block = model.Stellated();
  const std::vector<std::string> sets = WalkForwards(block);
  ASSERT_EQ(sets.size(), 59u);
  std::set<std::string> unique(sets.begin(), sets.end());
  EXPECT_EQ(unique.size(), sets.size());
  int compounds = 0;
  for (size_t i = 0; i < sets.size(); ++i) {
    const std::string image = Mirror(block, sets[i]);
    if (image == sets[i]) continue;
    EXPECT_EQ(unique.count(image), 0u) << sets[i];
    if (i + 1 < sets.size()) {
      std::string both = sets[i];
      for (size_t k = 0; k < both.size(); ++k) {
        if (image[k] == '1') both[k] = '1';
      }
      if (sets[i + 1] == both) ++compounds;
    }
  }
  EXPECT_EQ(compounds, 2);
}

// Messer, "Stellations of the rhombic triacontahedron and beyond" (1995): the rhombic
// triacontahedron has 227 fully supported stellations, each pair of mirror images
// counted once; 112 of them are chiral. Under Maintain Reflexibility only the 115 others
// remain, and no cell comes without its mirror image.
TEST(StellationCriteria, FullySupported) {
  using namespace test_StellationCriteria;
  ConfigModel model("3.5.3.5");
  ASSERT_TRUE(model.built);
  FaceTypeBlock* block = model.Stellated(true);
  ASSERT_TRUE(block->IsStellated());
  {
    CriteriaScope scope(corvia::kCriteriaFullySupported);
    const corvia::testing::WalkCount count = CountWalk(block);
    EXPECT_EQ(count.total, 227);
    EXPECT_EQ(count.chiral, 112);
  }
  {
    CriteriaScope scope(corvia::kCriteriaFullySupported, corvia::kStellationMaintainReflexibility);
    block->mCriteriaFlag = 0;
    block->GoToCore();
    int total = 0;
    do {
      ++total;
      EXPECT_EQ(block->mSecondCellCount, 0);
      for (StellationCell* c = block->mFirstCell; c != block->GetOuterCell(); c = c->mNext) {
        if (c->IsIncluded()) {
          EXPECT_TRUE(c->IsSupported());
        }
      }
    } while (block->NextStellation() && total < 1000);
    EXPECT_EQ(total, 115);
  }
}

// Under every criterion that can step back, walking Next from the core to the final
// stellation and Previous back gives the same sequence reversed, and Previous at the core
// goes round to the final stellation, which is every cell with the criteria applied.
// Miller's rules step back through their depth-first search (the icosahedron's 59, and
// the 32 reflexible ones under Maintain Reflexibility; the triacontahedron has millions):
// a step back from any stellation of the walk, or from one set by hand, finds the one
// before it, and a step on the one after.
TEST(StellationCriteria, WalkingBackAndForth) {
  using namespace test_StellationCriteria;
  struct Case {
    const char* config;
    int criterion;
    uint32_t options;
  };
  std::vector<Case> cases;
  for (const char* config : {"3.3.3.3.3", "3.5.3.5"}) {
    for (int criterion : {corvia::kCriteriaMainline, corvia::kCriteriaPrimary, corvia::kCriteriaMonoacral,
                          corvia::kCriteriaFullySupported}) {
      cases.push_back({config, criterion, 0});
    }
  }
  cases.push_back({"3.3.3.3.3", corvia::kCriteriaMiller, 0});
  cases.push_back({"3.3.3.3.3", corvia::kCriteriaMiller, corvia::kStellationMaintainReflexibility});
  cases.push_back({"5.5.5", corvia::kCriteriaMiller, 0});
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.config) + " criterion " + std::to_string(c.criterion) + " options " +
                 std::to_string(c.options));
    const bool dual = std::string(c.config) == "3.5.3.5";
    ConfigModel model(c.config);
    ASSERT_TRUE(model.built);
    FaceTypeBlock* block = model.Stellated(dual);
    CriteriaScope scope(c.criterion, c.options);
    const std::vector<std::string> forwards = WalkForwards(block);
    ASSERT_GT(forwards.size(), 1u);
    block->GoToCore();
    EXPECT_FALSE(block->PreviousStellation());
    std::vector<std::string> backwards = {Inclusion(block)};
    while (block->PreviousStellation() && backwards.size() < 100000) backwards.push_back(Inclusion(block));
    std::reverse(backwards.begin(), backwards.end());
    EXPECT_EQ(backwards, forwards);
    block->IncludeAllCells(true);
    const std::string all(static_cast<size_t>(block->GetNumCells()), '1');
    if (c.criterion != corvia::kCriteriaMiller) {
      EXPECT_EQ(Inclusion(block), forwards.back());
      continue;
    }
    // Miller's search ends with the sets of its last roots; every cell is one of its sets.
    EXPECT_EQ(Inclusion(block), all);
    EXPECT_NE(std::find(forwards.begin(), forwards.end(), all), forwards.end());
    for (size_t i = 1; i + 1 < forwards.size(); i += 3) {
      block->GoToCore();
      for (size_t k = 0; k < i; ++k) ASSERT_TRUE(block->NextStellation());
      ASSERT_TRUE(block->PreviousStellation()) << i;
      EXPECT_EQ(Inclusion(block), forwards[i - 1]) << i;
      // The same stellation set by hand.
      for (size_t k = 0; k < forwards[i].size(); ++k) {
        StellationCell::SetIncluded(block->FindCellByIndex(static_cast<int>(k)), forwards[i][k] == '1');
      }
      ASSERT_TRUE(block->NextStellation()) << i;
      EXPECT_EQ(Inclusion(block), forwards[i + 1]) << i;
      ASSERT_TRUE(block->PreviousStellation()) << i;
      EXPECT_EQ(Inclusion(block), forwards[i]) << i;
    }
  }
  // Mainline's final stellation is every finite cell.
  CriteriaScope scope(corvia::kCriteriaMainline);
  ConfigModel model("3.3.3.3.3");
  FaceTypeBlock* block = model.Stellated();
  block->IncludeAllCells(true);
  EXPECT_EQ(Inclusion(block), std::string(static_cast<size_t>(block->GetNumCells()), '1'));
}

// A step names the stellation shown by its place in the walk of the criteria, and
// takes no walk that would keep more cell marks than its bound: the step is the same,
// only unnamed (a sphere of a million cells kept 359 MB over its mainline walk).
TEST(StellationCriteria, AStepIsNamedOnlyByAWalkWithinItsBound) {
  using namespace test_StellationCriteria;
  CriteriaScope scope(corvia::kCriteriaMainline);
  ConfigModel model("3.3.3.3.3");
  FaceTypeBlock* block = model.Stellated();
  block->GoToCore();
  corvia::StellationStepResult named = corvia::StepStellations(block, corvia::StellationStep::kNext);
  EXPECT_EQ(named.place.index, 2);
  EXPECT_EQ(named.place.total, 8);
  const std::string second = Inclusion(block);
  ConfigModel again("3.3.3.3.3");
  block = again.Stellated();
  block->GoToCore();
  corvia::SetLongestNamedWalkCells(static_cast<size_t>(block->GetNumCells()) * 8);
  const corvia::StellationStepResult unnamed = corvia::StepStellations(block, corvia::StellationStep::kNext);
  corvia::SetLongestNamedWalkCells(size_t(32) << 20);
  EXPECT_EQ(unnamed.place.total, 0);
  EXPECT_FALSE(unnamed.cancelled);
  EXPECT_EQ(Inclusion(block), second);
}

// Applying a criterion turns any set into its nearest valid one and says whether that
// changed a cell; a second application has nothing to do.
TEST(StellationCriteria, ApplyingTheCriteria) {
  using namespace test_StellationCriteria;
  CriteriaScope scope(corvia::kCriteriaMainline);
  ConfigModel model("3.3.3.3.3");
  ASSERT_TRUE(model.built);
  FaceTypeBlock* block = model.Stellated();
  StellationCell::SetIncluded(block->FindCellByIndex(5), true);
  EXPECT_EQ(block->mCriteriaFlag, 0);
  EXPECT_TRUE(block->ApplyCriteria());
  EXPECT_EQ(Inclusion(block), "111111000000");
  EXPECT_FALSE(block->ApplyCriteria());
  // A step after a manual change first applies the criteria.
  StellationCell::SetIncluded(block->FindCellByIndex(3), false);
  EXPECT_TRUE(block->NextStellation());
  EXPECT_EQ(Inclusion(block), "111111000000");
  EXPECT_TRUE(block->NextStellation());
  EXPECT_EQ(Inclusion(block), "111111111000");
}

// Under Maintain Reflexibility a cell comes and goes with its mirror image. A set of a
// cell, its mirror image and a cell that is its own image, none touching another, keeps
// only the part of the current cell; leaving out the image leaves out the cell too, so
// nothing is left, and the nearest of Miller's stellations is then the core.
TEST(StellationCriteria, MillerNearestWhenTheCurrentPartGoesWithItsImage) {
  using namespace test_StellationCriteria;
  CriteriaScope scope(corvia::kCriteriaMiller, corvia::kStellationMaintainReflexibility);
  ConfigModel model("3.5.3.5");
  ASSERT_TRUE(model.built);
  FaceTypeBlock* block = model.Stellated(true);
  block->GoToCore();
  const std::string core = Inclusion(block);
  auto touch = [](const StellationCell* a, const StellationCell* b) {
    return std::find(a->mNeighbours.begin(), a->mNeighbours.end(), b) != a->mNeighbours.end();
  };
  int tried = 0;
  for (StellationCell* c = block->mFirstCell; c != block->GetOuterCell(); c = c->mNext) {
    StellationCell* image = c->GetMirrorPartner();
    if (!(c->mFlags & corvia::kCellHasMirror) || touch(c, image)) continue;
    for (StellationCell* s = block->mFirstCell; s != block->GetOuterCell(); s = s->mNext) {
      if (s->GetMirrorPartner() != s || touch(s, c) || touch(s, image)) continue;
      for (StellationCell* d = block->mFirstCell; d != block->GetOuterCell(); d = d->mNext) {
        StellationCell::SetIncluded(d, d == c || d == image || d == s);
      }
      if (block->FillInaccessibleCells()) continue;
      block->mCurrentCell = c;
      block->ApplyCriteria();
      EXPECT_EQ(Inclusion(block), core) << StellationCell::GetName(c) << " " << StellationCell::GetName(s);
      ++tried;
    }
  }
  EXPECT_GT(tried, 0);
}

// A step of Miller's search looks at the cells beside those it changes, not at all the
// cells: through the first 300 stellations of the snub dodecahedron (1,940 cells) a
// step looks at fewer than a twentieth of them.
TEST(StellationCriteria, MillerStepsLookAtTheCellsTheyChange) {
  using namespace test_StellationCriteria;
  CriteriaScope scope(corvia::kCriteriaMiller);
  ConfigModel model("3.3.3.3.5");
  ASSERT_TRUE(model.built);
  FaceTypeBlock* block = model.Stellated();
  block->GoToCore();
  ASSERT_NE(block->mMillerState, nullptr);
  block->mMillerState->looked = 0;
  int steps = 0;
  while (steps < 300 && block->NextStellation()) ++steps;
  EXPECT_EQ(steps, 300);
  EXPECT_LT(block->mMillerState->looked, static_cast<long long>(steps) * block->GetNumCells() / 20);
}

// The original model of a hemi-polyhedron stands on its faces through the centre,
// which support nothing: applying Fully Supported to it leaves no supported cell, and
// the nearest fully supported set is then the core, never the empty set (which has no
// surface to show). The great dodecahemidodecahedron and the small
// dodecahemicosahedron.
TEST(StellationCriteria, FullySupportedFromAHemiPolyhedronShowsCells) {
  using namespace test_StellationCriteria;
  CriteriaScope scope(corvia::kCriteriaFullySupported);
  for (int record : {55, 49}) {
    corvia::PolyTemplate polyTemplate;
    corvia::Poly poly;
    ASSERT_TRUE(CreateFromLibraryEntry(&poly, &polyTemplate, corvia::GetLibraryEntry(record), false));
    FaceTypeBlock* block = poly.mBaseBlock.get();
    ASSERT_TRUE(Stellate(&poly, block, false).done());
    ASSERT_TRUE(block->IsStellated()) << record;
    for (int step = 0; step < 3; ++step) {
      block->NextStellation();
      EXPECT_NE(Inclusion(block).find('1'), std::string::npos) << record << " step " << step;
      EXPECT_NE(block->GetModel3D(false, nullptr), nullptr) << record << " step " << step;
    }
  }
}

// A model of one shell: Next goes round to the core at once.
TEST(StellationCriteria, OneShell) {
  using namespace test_StellationCriteria;
  for (int criterion = corvia::kCriteriaMainline; criterion <= corvia::kCriteriaMiller; ++criterion) {
    CriteriaScope scope(criterion);
    ConfigModel model("4.4.4");
    ASSERT_TRUE(model.built);
    FaceTypeBlock* block = model.Stellated();
    block->GoToCore();
    EXPECT_FALSE(block->NextStellation()) << criterion;
    EXPECT_EQ(Inclusion(block), "1");
  }
}

// Refusals: Primary for a model without reflections or with more than two face types;
// Previous under the exhaustive search. Each leaves the set as it was and reports no step.
TEST(StellationCriteria, Refusals) {
  using namespace test_StellationCriteria;
  auto& views = corvia::testing::Platform().views;
  {
    CriteriaScope scope(corvia::kCriteriaPrimary);
    for (const char* config : {"4.3.3.3.3", "4.4.3.4"}) {
      SCOPED_TRACE(config);
      ConfigModel model(config);
      ASSERT_TRUE(model.built);
      FaceTypeBlock* block = model.Stellated();
      ASSERT_TRUE(block->IsStellated());
      views.mPaneMessage.clear();
      const std::string before = Inclusion(block);
      EXPECT_FALSE(block->NextStellation());
      EXPECT_EQ(Inclusion(block), before);
      EXPECT_NE(views.mPaneMessage.find("Only reflexible isohedral models have \"primary\" stellations"),
                std::string::npos);
      EXPECT_EQ(block->mCriteriaFlag, 0);
    }
  }
  {
    CriteriaScope scope(corvia::kCriteriaExhaustive);
    ConfigModel model("5.5.5");
    ASSERT_TRUE(model.built);
    FaceTypeBlock* block = model.Stellated();
    block->GoToCore();
    ASSERT_TRUE(block->NextStellation());
    const std::string before = Inclusion(block);
    views.mPaneMessage.clear();
    EXPECT_FALSE(block->PreviousStellation());
    EXPECT_EQ(Inclusion(block), before);
    EXPECT_NE(views.mPaneMessage.find("Sorry, going to the previous stellation"), std::string::npos);
  }
}

// The exhaustive search accepts exactly the connected sets that enclose nothing.
TEST(StellationCriteria, ExhaustiveSearch) {
  using namespace test_StellationCriteria;
  CriteriaScope scope(corvia::kCriteriaExhaustive);
  ConfigModel model("5.5.5");
  ASSERT_TRUE(model.built);
  FaceTypeBlock* block = model.Stellated();
  const std::vector<std::string> sets = WalkForwards(block);
  EXPECT_EQ(sets, (std::vector<std::string>{"1000", "1100", "1110", "1111"}));
}

// The program-wide settings: a new criterion or a change of Maintain Reflexibility
// makes both blocks of the current model apply their criteria afresh; switching Maintain
// Reflexibility on includes the mirror image of every included cell.
TEST(StellationCriteria, Settings) {
  using namespace test_StellationCriteria;
  class OneModel : public corvia::DocumentAccess {
   public:
    corvia::Poly* GetCurrentPoly() override { return poly; }
    corvia::Poly* poly = nullptr;
  };
  CriteriaScope scope(corvia::kCriteriaMainline);
  ConfigModel model("3.3.3.3.3");
  ASSERT_TRUE(model.built);
  OneModel document;
  document.poly = &model.poly;
  corvia::DocumentAccess* previous = corvia::InstallDocumentAccess(&document);
  FaceTypeBlock* block = model.Stellated();
  block->mCriteriaFlag = 1;
  corvia::SetStellationCriteria(corvia::kCriteriaMiller);
  EXPECT_EQ(corvia::StellationCriteria, corvia::kCriteriaMiller);
  EXPECT_EQ(block->mCriteriaFlag, 0);
  block->mCriteriaFlag = 1;
  corvia::SetStellationCriteria(corvia::kCriteriaMiller);
  EXPECT_EQ(block->mCriteriaFlag, 1);

  StellationCell::SetIncluded(block->FindCellByIndex(6), true);
  block->mCriteriaFlag = 1;
  auto& views = corvia::testing::Platform().views;
  views.mInvalidatedKinds = 0;
  corvia::ToggleStellationOptions(corvia::kStellationMaintainReflexibility);
  EXPECT_TRUE(corvia::StellationOptions & corvia::kStellationMaintainReflexibility);
  EXPECT_TRUE(block->FindCellByIndex(7)->IsIncluded());
  EXPECT_EQ(block->mSecondCellCount, 0);
  EXPECT_EQ(block->mCriteriaFlag, 0);
  EXPECT_EQ(model.poly.mModelChanged, 1);
  EXPECT_EQ(views.mInvalidatedKinds & 0x840Cu, 0x840Cu);
  // Read from a file, the options are only stored.
  block->mCriteriaFlag = 1;
  corvia::SetStellationOptions(0, true);
  EXPECT_EQ(corvia::StellationOptions, 0u);
  EXPECT_EQ(block->mCriteriaFlag, 1);
  corvia::InstallDocumentAccess(previous);
}
