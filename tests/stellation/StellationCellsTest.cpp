// The 3D cells of stellated models: their numbers per shell and their copies, the
// cells of the original model, the volume of a stellation as cells are added, the one
// inclusion change with its counts, undo records and mirror partners, the connectivity
// tests, the selections by axis, and the Wenninger stellations built from the table of
// cell ranges.

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "construction/DerivedModels.h"
#include "construction/LibraryHooks.h"
#include "construction/ModelLookup.h"
#include "files/ModelFile.h"
#include "model/CreatePoly.h"
#include "model/FaceTypeBlock.h"
#include "model/Poly.h"
#include "model/PolyTemplate.h"
#include "stellation/StellationCell.h"
#include "symmetry/SymOperations.h"
#include "tests/stellation/StellationModels.h"
#include "tests/support/TestSupport.h"

namespace test_StellationCells {

using corvia::FaceTypeBlock;
using corvia::StellationCell;
using corvia::testing::ConfigModel;

struct Shell {
  int records;
  int copies;
};

std::vector<Shell> Shells(const FaceTypeBlock* block) {
  std::vector<Shell> shells;
  for (const StellationCell* c = block->mFirstCell; c && c != block->mOuterCell; c = c->mNext) {
    const size_t layer = static_cast<size_t>(c->mType->mIndex);
    if (shells.size() <= layer) shells.resize(layer + 1, {0, 0});
    ++shells[layer].records;
    shells[layer].copies += c->GetNumCopies();
  }
  return shells;
}

std::vector<int> Copies(const FaceTypeBlock* block) {
  std::vector<int> copies;
  for (const StellationCell* c = block->mFirstCell; c && c != block->mOuterCell; c = c->mNext) {
    copies.push_back(c->GetNumCopies());
  }
  return copies;
}

// A document that holds one model and makes library entries current in it.
bool operator==(const Shell& a, const Shell& b) {
  return a.records == b.records && a.copies == b.copies;
}

}  // namespace test_StellationCells

// "The Fifty-Nine Icosahedra" (Coxeter, Du Val, Flather and Petrie, 1938): the
// icosahedron's twenty face planes cut space into 473 finite cells in eight shells of
// 1, 20, 30, 60, 20 + 60, 120 + 12, 30 + 60 and 60 cells; the 120 are two mirror-image
// sets of 60. Under the rotations alone that is twelve kinds of cell.
TEST(StellationCells, IcosahedronShells) {
  using namespace test_StellationCells;
  ConfigModel model("3.3.3.3.3");
  ASSERT_TRUE(model.built);
  FaceTypeBlock* block = model.Stellated();
  ASSERT_TRUE(block->IsStellated());
  EXPECT_EQ(block->GetNumCells(), 12);
  EXPECT_EQ(block->CountAllCells(), 473);
  const std::vector<Shell> expected = {{1, 1}, {1, 20}, {1, 30}, {1, 60}, {2, 80}, {3, 132}, {2, 90}, {1, 60}};
  EXPECT_EQ(Shells(block), expected);
  // In the order of the program's stellation tables (see the Wenninger test below).
  EXPECT_EQ(Copies(block), (std::vector<int>{1, 20, 30, 60, 60, 20, 60, 60, 12, 30, 60, 60}));
  const StellationCell* six = block->FindCellByIndex(6);
  ASSERT_NE(six, nullptr);
  EXPECT_EQ(six->GetMirrorPartner(), block->FindCellByIndex(7));
  EXPECT_EQ(block->FindCellByIndex(7)->GetMirrorPartner(), six);
  EXPECT_EQ(block->CountCellsNoMirror(), 11);
  EXPECT_EQ(block->CountCellsNoMirrorIfReflexible(), 10);
  EXPECT_EQ(block->CountAllCellsNoMirror(), 353);
  EXPECT_EQ(block->GetMaxCellsPerType(), 3);
  EXPECT_EQ(block->GetLastCellTypeIndex(), 8);
  EXPECT_EQ(block->GetOuterCell()->mIndex, 12);
  EXPECT_EQ(block->GetOuterCell()->GetNumCopies(), 0);
  EXPECT_EQ(StellationCell::GetIndexInType(block->FindCellByIndex(9)), 0);
  EXPECT_EQ(StellationCell::GetIndexInType(block->FindCellByIndex(10)), 1);
}

// Finite cells of other solids, counted independently from the sign patterns of their
// planes: the octahedron 1 + 8, the dodecahedron 1 + 12 + 30 + 20, the cube its core
// alone, the rhombic triacontahedron 2003 cells in 13 shells.
TEST(StellationCells, OtherSolids) {
  using namespace test_StellationCells;
  struct Case {
    const char* config;
    bool dual;
    int records, copies, shells;
  };
  const Case cases[] = {{"3.3.3.3", false, 2, 9, 2},
                        {"5.5.5", false, 4, 63, 4},
                        {"4.4.4", false, 1, 1, 1},
                        {"3.5.3.5", true, 38, 2003, 13}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.config);
    ConfigModel model(c.config);
    ASSERT_TRUE(model.built);
    FaceTypeBlock* block = model.Stellated(c.dual);
    ASSERT_TRUE(block->IsStellated());
    EXPECT_EQ(block->GetNumCells(), c.records);
    EXPECT_EQ(block->CountAllCells(), c.copies);
    EXPECT_EQ(static_cast<int>(Shells(block).size()), c.shells);
    EXPECT_TRUE(block->mFirstCell->mFlags & corvia::kCellSingleCopy);
  }
}

// The cells inside the original model are those its surface winds round: a convex
// model is its core; the great icosahedron, whose faces lie in the icosahedron's planes,
// is every cell but the outermost shell; the small stellated dodecahedron the core and
// its twelve spikes; its dual the great dodecahedron 1 + 12 + 30.
TEST(StellationCells, OriginalCells) {
  using namespace test_StellationCells;
  struct Case {
    const char* config;
    bool dual;
    int copies;
  };
  const Case cases[] = {{"3.3.3.3.3", false, 1},
                        {"(3.3.3.3.3)/2", false, 413},
                        {"(3.3.3.3.3)/2", true, 63},
                        {"5/2.5/2.5/2.5/2.5/2", false, 13},
                        {"5/2.5/2.5/2.5/2.5/2", true, 43}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.config);
    ConfigModel model(c.config);
    ASSERT_TRUE(model.built);
    FaceTypeBlock* block = model.Stellated(c.dual);
    ASSERT_TRUE(block->IsStellated());
    EXPECT_EQ(block->CountIncludedCellCopies(), c.copies);
    EXPECT_TRUE(FaceTypeBlock::IsOriginalStellation(block));
    EXPECT_EQ(block->mChangedCells, 0);
  }
}

// The surface of the current stellation encloses the cells included: the core of the
// icosahedron (circumradius 1) has the icosahedron's volume 5/12 (3 + sqrt 5) a^3, and
// every cell added makes it larger.
TEST(StellationCells, VolumeGrowsWithTheCells) {
  using namespace test_StellationCells;
  for (const char* config : {"3.3.3.3.3", "3.5.3.5"}) {
    SCOPED_TRACE(config);
    ConfigModel model(config);
    ASSERT_TRUE(model.built);
    const bool dual = std::string(config) == "3.5.3.5";
    FaceTypeBlock* block = model.Stellated(dual);
    ASSERT_TRUE(block->IsStellated());
    if (!dual) {
      const double edge = 4.0 / std::sqrt(10.0 + 2.0 * std::sqrt(5.0));
      EXPECT_NEAR(corvia::testing::StellationVolume(block), 5.0 / 12.0 * (3.0 + std::sqrt(5.0)) * std::pow(edge, 3),
                  1e-9);
    }
    double volume = corvia::testing::StellationVolume(block);
    for (StellationCell* c = block->mFirstCell->mNext; c != block->GetOuterCell(); c = c->mNext) {
      StellationCell::SetIncluded(c, true);
      const double next = corvia::testing::StellationVolume(block);
      EXPECT_GT(next, volume + 1e-9) << "cell " << c->mIndex;
      volume = next;
    }
    // Taking them out again in the same order brings the core back.
    for (StellationCell* c = block->mFirstCell->mNext; c != block->GetOuterCell(); c = c->mNext) {
      StellationCell::SetIncluded(c, false);
      const double next = corvia::testing::StellationVolume(block);
      EXPECT_LT(next, volume - 1e-9) << "cell " << c->mIndex;
      volume = next;
    }
    EXPECT_TRUE(FaceTypeBlock::IsOriginalStellation(block));
  }
}

// One change of inclusion: the counts, the undo record, the criteria flag; nothing for
// the outer cell or the state a cell is in; the mirror partner follows under Maintain
// Reflexibility.
TEST(StellationCells, IncludingACell) {
  using namespace test_StellationCells;
  ConfigModel model("3.3.3.3.3");
  ASSERT_TRUE(model.built);
  auto& undo = corvia::testing::Platform().undo;
  undo.mCellChanges.clear();
  FaceTypeBlock* block = model.Stellated();
  // The set-up shows the original model without recording anything.
  EXPECT_TRUE(undo.mCellChanges.empty());
  EXPECT_EQ(block->GetNumIncludedCells(), 1);
  block->mCriteriaFlag = 1;
  StellationCell::SetIncluded(block->GetOuterCell(), true);
  StellationCell::SetIncluded(block->mFirstCell, true);
  EXPECT_EQ(block->mCriteriaFlag, 1);
  EXPECT_FALSE(block->GetOuterCell()->IsIncluded());

  StellationCell* six = block->FindCellByIndex(6);
  StellationCell::SetIncluded(six, true);
  EXPECT_EQ(block->mCriteriaFlag, 0);
  EXPECT_EQ(block->GetNumIncludedCells(), 2);
  EXPECT_EQ(block->mSecondCellCount, 1);
  EXPECT_EQ(block->mChangedCells, 1);
  EXPECT_EQ(block->mHighestIncluded, six);
  ASSERT_EQ(undo.mCellChanges.size(), 1u);
  EXPECT_EQ(undo.mCellChanges.back().cell, 6);
  EXPECT_TRUE(undo.mCellChanges.back().included);
  StellationCell::SetIncluded(block->FindCellByIndex(7), true);
  EXPECT_EQ(block->mSecondCellCount, 0);
  StellationCell::SetIncluded(six, false);
  StellationCell::SetIncluded(block->FindCellByIndex(7), false);
  EXPECT_TRUE(FaceTypeBlock::IsOriginalStellation(block));
  EXPECT_EQ(block->mHighestIncluded, block->mFirstCell);

  corvia::StellationOptions |= corvia::kStellationMaintainReflexibility;
  StellationCell::SetIncluded(block->FindCellByIndex(7), true);
  EXPECT_TRUE(six->IsIncluded());
  EXPECT_EQ(block->mSecondCellCount, 0);
  corvia::StellationOptions &= ~corvia::kStellationMaintainReflexibility;
}

// Enclosed and connected: the twenty caps of the icosahedron's faces alone enclose its
// core; filling the inaccessible cells includes it, and then there is nothing to fill.
TEST(StellationCells, FillsAndConnections) {
  using namespace test_StellationCells;
  ConfigModel model("3.3.3.3.3");
  ASSERT_TRUE(model.built);
  FaceTypeBlock* block = model.Stellated();
  StellationCell::SetIncluded(block->mFirstCell, false);
  StellationCell::SetIncluded(block->FindCellByIndex(1), true);
  EXPECT_FALSE(block->FillFromOutside());
  EXPECT_TRUE(block->FillFromOriginal());
  EXPECT_TRUE(block->FillInaccessibleCells());
  EXPECT_TRUE(block->mFirstCell->IsIncluded());
  EXPECT_FALSE(block->FillInaccessibleCells());
  EXPECT_TRUE(block->FillFromOutside());
  // The core and a cell that does not touch it are not connected.
  StellationCell::SetIncluded(block->FindCellByIndex(1), false);
  StellationCell::SetIncluded(block->FindCellByIndex(2), true);
  EXPECT_FALSE(block->FillFromOriginal());
  block->KeepConnectedPart(block->mFirstCell);
  EXPECT_FALSE(block->FindCellByIndex(2)->IsIncluded());
  EXPECT_TRUE(block->mFirstCell->IsIncluded());
}

// The cells a symmetry axis runs through: the icosahedral group's axis types are the
// 5-, 3- and 2-fold axes, so the selections are the cells of 12, of 20 and of 30 copies.
TEST(StellationCells, SelectionsByAxis) {
  using namespace test_StellationCells;
  ConfigModel model("3.3.3.3.3");
  ASSERT_TRUE(model.built);
  FaceTypeBlock* block = model.Stellated();
  auto& undo = corvia::testing::Platform().undo;
  const size_t calls = undo.mCalls.size();
  const int closes = undo.mCloses;
  const std::pair<int, std::string> kinds[] = {{0, "000000001000"}, {1, "010001000000"}, {2, "001000000100"}};
  for (const auto& [kind, expected] : kinds) {
    block->SelectCellsOfKind(kind);
    EXPECT_EQ(corvia::testing::Inclusion(block), expected) << kind;
  }
  ASSERT_EQ(undo.mCalls.size(), calls + 3);
  EXPECT_EQ(undo.mCalls.back().type, corvia::kUndoStellationChange);
  EXPECT_EQ(undo.mCloses, closes + 3);
  // No cell of the icosahedron faces the unbounded region from above.
  block->SelectUnsupportableCells();
  EXPECT_EQ(block->GetNumIncludedCells(), 0);
  block->ApplyCellFlags();
  EXPECT_TRUE(FaceTypeBlock::IsOriginalStellation(block));
}

// The program's table of Wenninger stellations names cells by their running index: the
// cells made here must be those. W19 is the stella octangula (1 + 8 cells), W23 the
// compound of five octahedra (1 + 20 + 30), W26 the small triambic icosahedron
// (1 + 20), W37 a shell of 20 cells alone, W42 the complete icosahedron (all 473).
TEST(StellationCells, WenningerStellations) {
  const std::pair<int, int> cases[] = {{19, 9}, {23, 51}, {26, 21}, {37, 20}, {42, 473}};
  for (const auto& [number, copies] : cases) {
    SCOPED_TRACE(number);
    // The number typed names the stellation of its base model, which the library holds.
    corvia::Outcome why;
    corvia::WenningerStellation stellation;
    const std::string typed = "W" + std::to_string(number);
    EXPECT_EQ(corvia::LookUpModel(typed.c_str(), nullptr, &why, nullptr, false, &stellation), nullptr);
    EXPECT_FALSE(why.told());
    ASSERT_EQ(stellation.number, number);
    ASSERT_STREQ(stellation.baseConfig, number <= 19 ? "3.3.3.3" : "3.3.3.3.3");
    corvia::LibraryEntry* base = corvia::LookUpModel(stellation.baseConfig, nullptr, nullptr, nullptr, false);
    ASSERT_NE(base, nullptr);
    corvia::PolyTemplate polyTemplate;
    corvia::Poly poly;
    ASSERT_TRUE(CreateFromLibraryEntry(&poly, &polyTemplate, base, false));
    ASSERT_TRUE(corvia::IncludeWenningerCells(poly, stellation.ranges, stellation.numRanges));
    EXPECT_EQ(poly.mBaseBlock->CountIncludedCellCopies(), copies);
    // What is included is whole: nothing enclosed.
    EXPECT_TRUE(poly.mBaseBlock->FillFromOutside());
  }
}

// A model the program made (a convex core of 14-fold pyramidal symmetry): four of its
// planes meet, to the arithmetic's rounding, in one point far out, where the diagrams
// of two mirror-image planes, threaded by coordinates, part the crossings unlike each
// other's reflection. Both sides stellate, by the equations of the lines, and the
// cells of the base pair with their mirror images: 6,393 pairs and 1,363 on mirrors.
TEST(StellationCells, MirrorImagePlanesPartNearCrossingsAlike) {
  using namespace test_StellationCells;
  const std::string path = (corvia::testing::FixturesDir() / "model-files" / "pyramidal-core-mirror-crossings.corv");
  corvia::ModelFileContents contents;
  ASSERT_TRUE(corvia::ReadModelFile(path.c_str(), contents, nullptr));
  corvia::Poly poly;
  ASSERT_TRUE(CreatePoly(*contents.model, &poly, false, false).done());
  for (FaceTypeBlock* block : {poly.mDualBlock.get(), poly.mBaseBlock.get()}) {
    const corvia::Outcome made = corvia::Stellate(&poly, block, false);
    ASSERT_TRUE(made.done() && block->IsStellated()) << made.text();
  }
  int onMirror = 0;
  const FaceTypeBlock* base = poly.mBaseBlock.get();
  for (const StellationCell* c = base->mFirstCell; c && c != base->mOuterCell; c = c->mNext) {
    const StellationCell* mirror = c->GetMirrorPartner();
    ASSERT_TRUE(mirror->GetMirrorPartner() == c && mirror->GetNumCopies() == c->GetNumCopies()) << c->mIndex;
    onMirror += mirror == c;
  }
  EXPECT_EQ(onMirror, 1363);
  EXPECT_EQ(base->GetNumCells(), 1363 + 2 * 6393);
}
