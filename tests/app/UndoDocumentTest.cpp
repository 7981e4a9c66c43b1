// The undo list over the document's model: every step puts back the model as it was
// (names, faces, colours, the stellation's cells, the sub-symmetry), and redo goes
// forward again.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/ModelUndo.h"
#include "core/RainbowColor.h"
#include "model/ColorSchemes.h"
#include "model/PolyElement.h"
#include "platform/Services.h"
#include "stellation/Stellate.h"
#include "symmetry/SymGroup.h"
#include "tests/app/AppTestSupport.h"
#include "ui/CommandIds.h"

namespace corvia::testing {
namespace {

// The step type of the option toolbar's symmetry combos.
constexpr int kSubSymmetryStep = 31;

// What a step must put back.
struct Look {
  std::string name;
  int faces = 0;
  int vertices = 0;
  std::vector<uint32_t> colours;
  std::vector<int> cells;  // the included cells of a base stellation that is not the model
  std::string group;
  bool subgroup = false;
  int selected = -1;

  bool operator==(const Look&) const = default;
};

std::ostream& operator<<(std::ostream& out, const Look& look) {
  out << look.name << " selected " << look.selected << " F" << look.faces << " V" << look.vertices << " " << look.group << (look.subgroup ? "(sub)" : "")
      << " cells";
  for (int c : look.cells) out << " " << c;
  out << " colours";
  for (uint32_t c : look.colours) out << " " << std::hex << c << std::dec;
  return out;
}

Look TakeLook() {
  Look look;
  Poly* poly = GetCurrentPoly();
  if (!poly) return look;
  look.name = poly->mName ? poly->mName : "";
  look.faces = poly->mFaces.mCount;
  look.vertices = poly->mVertices.mCount;
  for (PolyElement* e = poly->mFaces.mHead; e; e = e->mNext) look.colours.push_back(PackRainbowColor(e->mColor));
  FaceTypeBlock* block = poly->mBaseBlock.get();
  if (block->IsStellated() && !FaceTypeBlock::IsOriginalStellation(block)) {
    for (StellationCell* c = block->mFirstCell; c; c = c->mNext) {
      if (c->IsIncluded()) look.cells.push_back(c->mIndex);
    }
  }
  look.group = SymGroup::GetNotations(poly->mSymGroup, ", ");
  look.subgroup = poly->mFullSymGroup && poly->mSymGroup != poly->mFullSymGroup;
  look.selected = PolyElement::GetIndex(poly->mSelectedElement);
  return look;
}

class UndoDocumentTest : public DocumentTest {
 protected:
  void SetUp() override {
    DocumentTest::SetUp();
    SetTransitionsEnabled(false);
  }
  void TearDown() override {
    if (mPrevious) {
      platform::ServiceSet set = platform::Services();
      set.undo = mPrevious;
      platform::InstallServices(set);
    }
    DocumentTest::TearDown();
  }
  void InstallList() {
    platform::ServiceSet set = platform::Services();
    mPrevious = set.undo;
    set.undo = &mList;
    platform::InstallServices(set);
  }

  DocumentUndoModel mModel;
  UndoList mList{mModel};
  platform::UndoHooks* mPrevious = nullptr;
};

TEST_F(UndoDocumentTest, EachStepPutsTheModelBackAndRedoGoesForward) {
  ASSERT_TRUE(Doc().SetModel(Find("Cube"), false, false));
  InstallList();
  std::vector<Look> looks{TakeLook()};

  // A face's colour.
  platform::Services().undo->AddUndo(kUndoColorChange, 0);
  const float red[3] = {1.0f, 0.0f, 0.0f};
  PolyElement* face = GetCurrentPoly()->mFaces.mHead->mNext;
  std::copy(red, red + 3, face->mColor);
  GetCurrentPoly()->SelectFace(face, false);
  looks.push_back(TakeLook());
  ASSERT_EQ(looks.back().selected, 1);

  // Another model, then cells of its stellation.
  ASSERT_TRUE(Doc().SetModel(Find("Icosahedron"), false, false));
  looks.push_back(TakeLook());
  Poly* poly = GetCurrentPoly();
  FaceTypeBlock* block = poly->mBaseBlock.get();
  AddStellationUndo(block);
  ASSERT_TRUE(Stellate(poly, block, false).done());
  ASSERT_TRUE(block->IsStellated());
  for (StellationCell* c = block->mFirstCell; c && c != block->GetOuterCell(); c = c->mNext)
    StellationCell::SetIncluded(c, c->mType->mIndex < 3);
  CloseStellationUndo();
  looks.push_back(TakeLook());
  ASSERT_FALSE(looks.back().cells.empty());

  // A sub-symmetry.
  platform::Services().undo->AddUndo(kSubSymmetryStep, 0);
  ASSERT_TRUE(GetCurrentPoly()->ApplySubSymmetry(3, -1));
  looks.push_back(TakeLook());
  ASSERT_TRUE(looks.back().subgroup);
  ASSERT_NE(looks.back().group, looks[2].group);

  EXPECT_EQ(mList.GetNames(false), (std::vector<std::string>{"Sub-Symmetry Change", "Stellation Change", "New Model",
                                                              "Color Change"}));
  for (size_t i = looks.size() - 1; i > 0; --i) {
    ASSERT_TRUE(mList.Undo()) << "undoing to step " << i - 1;
    EXPECT_EQ(TakeLook(), looks[i - 1]) << "after undoing to step " << i - 1;
  }
  EXPECT_FALSE(mList.Undo());
  for (size_t i = 1; i < looks.size(); ++i) {
    ASSERT_TRUE(mList.Redo()) << "redoing step " << i;
    EXPECT_EQ(TakeLook(), looks[i]) << "after redoing step " << i;
  }
  EXPECT_FALSE(mList.Redo());
  EXPECT_TRUE(Platform().messages.Boxes().empty());
}

// A stellation placed among those of the criteria ("Stellation 6 of 14 of ...") keeps
// its place in the pane's title when a model change is undone back to it and redone:
// the title once lost it, as the block that had taken the walk was made anew.
TEST_F(UndoDocumentTest, AStellationKeepsItsPlaceInTheTitleThroughUndoAndRedo) {
  constexpr int kCmdNextStellation = 32815;
  ASSERT_TRUE(Doc().SetModel(Find("Icosahedron"), false, false));
  InstallList();
  CPolyView* pane = AddPane(kViewStellationOfBase);
  ASSERT_TRUE(RunDocCommand(kCmdAddBaseAndDual));
  ASSERT_TRUE(GetCurrentPoly()->IsCompound());
  for (int step = 0; step < 4; ++step) ASSERT_TRUE(RunDocCommand(kCmdNextStellation));
  // The title says what the last step said.
  const std::string step = Platform().views.mPaneMessage;
  ASSERT_EQ(step.rfind("Stellation 6 of ", 0), 0u) << step;
  UpdateAllCaptions();
  const std::string placed = pane->GetTitle();
  ASSERT_EQ(placed.rfind(step + " of ", 0), 0u) << placed;
  Poly* poly = GetCurrentPoly();
  poly->SelectFace(poly->GetFace(0), false);
  ASSERT_TRUE(RunDocCommand(kCmdDeleteOnePartOfCompound));
  ASSERT_FALSE(GetCurrentPoly()->IsCompound());
  for (int round = 0; round < 2; ++round) {
    ASSERT_TRUE(mList.Undo()) << round;
    EXPECT_TRUE(GetCurrentPoly()->IsCompound());
    EXPECT_EQ(pane->GetTitle(), placed) << round;
    ASSERT_TRUE(mList.Redo()) << round;
    EXPECT_FALSE(GetCurrentPoly()->IsCompound());
  }
  EXPECT_TRUE(Platform().messages.Boxes().empty());
}

TEST_F(UndoDocumentTest, AFailedModelBuildLeavesTheListAsItWas) {
  ASSERT_TRUE(Doc().SetModel(Find("Cube"), false, false));
  InstallList();
  ASSERT_TRUE(Doc().SetModel(Find("Octahedron"), false, false));
  ASSERT_TRUE(mList.Undo());
  const auto undos = mList.GetNames(false);
  const auto redos = mList.GetNames(true);
  LibraryEntry impossible = *Find("3.3.3.3.3");
  impossible.mConfig = "3.3.3.3.3.3.3";
  impossible.mCategory = 0;
  impossible.mFlags = 0;
  EXPECT_FALSE(Doc().SetModel(&impossible, false, false));
  Platform().messages.Clear();
  EXPECT_EQ(mList.GetNames(false), undos);
  EXPECT_EQ(mList.GetNames(true), redos);
  ASSERT_TRUE(mList.Redo());
  EXPECT_EQ(GetCurrentPoly()->mFaces.mCount, 8);
}

}  // namespace
}  // namespace corvia::testing
