// What the symmetry texts and the axis selection ask of the current model: a null
// group's notations read "---" for the 3D part of a four-dimensional polytope, and
// selecting an axis takes the place of the model's selection and asks for a pivot.

#include <gtest/gtest.h>

#include <cstdlib>

#include "model/Globals.h"
#include "model/ModelSymmetry.h"
#include "model/Poly.h"
#include "model/PolyElement.h"
#include "model/PolyTemplate.h"
#include "symmetry/SymGroup.h"
#include "symmetry/SymGroupNames.h"
#include "tests/support/TestSupport.h"

namespace corvia {
namespace {

class ShownModel : public DocumentAccess {
 public:
  explicit ShownModel(Poly* poly) : mPoly(poly), mPrevious(InstallDocumentAccess(this)) {}
  ~ShownModel() override { InstallDocumentAccess(mPrevious); }
  Poly* GetCurrentPoly() override { return mPoly; }

  Poly* mPoly;
  DocumentAccess* mPrevious;
};

TEST(SymGroupSelection, NullGroupNotationsFollowTheCurrentModel) {
  // No model, or an ordinary one: the chiral no-symmetry texts.
  EXPECT_EQ(SymGroup::GetSchoenflies(nullptr), "C1");
  EXPECT_EQ(SymGroup::GetNotations(nullptr, " "), "C1 11 [ ]+");
  Poly poly;
  ShownModel shown(&poly);
  EXPECT_EQ(SymGroup::GetOrbifold(nullptr), "11");
  EXPECT_EQ(SymGroup::GetCoxeter(nullptr), "[ ]+");
  // The 3D part of a polytope has no group of its own to name.
  poly.mFourDimensional = 1;
  EXPECT_EQ(SymGroup::GetSchoenflies(nullptr), "---");
  EXPECT_EQ(SymGroup::GetOrbifold(nullptr), "---");
  EXPECT_EQ(SymGroup::GetCoxeter(nullptr), "---");
  EXPECT_EQ(SymGroup::GetNotations(nullptr, " / "), "---");
  // A group is named whatever the model.
  auto group = CreateSymGroup(kSymGroupTetrahedral, 0);
  group->reflectionType = kReflectionDiagonal;
  EXPECT_EQ(SymGroup::GetNotations(group.get(), " "), "Td *332 [3,3]");
  // A new model is an ordinary one again.
  poly.Clear(false);
  EXPECT_EQ(SymGroup::GetCoxeter(nullptr), "[ ]+");
}

TEST(SymGroupSelection, SelectingAnAxisReplacesTheSelectionAndPivots) {
  PolyTemplate icosahedron;
  ASSERT_TRUE(icosahedron.Parse("3.3.3.3.3", nullptr));
  Poly poly;
  ASSERT_TRUE(poly.Build(&icosahedron, 0));
  ShownModel shown(&poly);
  SymGroup* group = poly.mSymGroup;
  ASSERT_NE(group, nullptr);
  poly.SelectFace(poly.mFaces.mHead, false);
  ASSERT_NE(poly.mSelectedItem, nullptr);
  auto& views = testing::Platform().views;
  (void)poly.TakeSelectionChange();

  // The icosahedral group's axis types: 5-fold, 3-fold, 2-fold.
  ASSERT_EQ(group->numAxisTypes, 3);
  EXPECT_EQ(std::abs(group->axisTypes[0].fold), 5);
  EXPECT_EQ(std::abs(group->axisTypes[1].fold), 3);
  const int redraws = views.mRedraws;
  EXPECT_TRUE(SelectAxis(group, 2));
  EXPECT_EQ(SelectedSymAxis, group->GetAxis(2));
  EXPECT_EQ(poly.mSelectedItem, nullptr);
  EXPECT_EQ(poly.mSelectedElement, nullptr);
  EXPECT_EQ(views.mStatus, "Selected 5-fold rotational symmetry axis");
  EXPECT_GT(views.mRedraws, redraws);
  // The model's selection went: its mark is cleared.
  const SelectionChange cleared = poly.TakeSelectionChange();
  EXPECT_TRUE(cleared.mark);
  EXPECT_EQ(cleared.markNumber, -1);
  // The same axis again: nothing new to pivot round.
  EXPECT_FALSE(SelectAxis(group, 2));
  // An axis of the next type.
  const int fiveFold = group->axisTypes[0].numAxes;
  EXPECT_TRUE(SelectAxis(group, fiveFold));
  EXPECT_EQ(SelectedSymAxis, group->GetAxis(fiveFold));
  EXPECT_EQ(views.mStatus, "Selected 3-fold rotational symmetry axis");
  // Selecting an element of the model clears the axis; the views pivot round the
  // element.
  poly.SelectFace(poly.mFaces.mHead, false);
  EXPECT_EQ(SelectedSymAxis, nullptr);
  EXPECT_TRUE(poly.TakeSelectionChange().pivot);
  SelectAxis(group, -1);
  EXPECT_EQ(SelectedSymAxis, nullptr);
  EXPECT_EQ(testing::Platform().messages.CountTitled("Internal Error"), 0);
}

}  // namespace
}  // namespace corvia
