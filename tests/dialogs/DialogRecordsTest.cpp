// The dialogs as their callers use them, answered by the headless front end: what a
// confirmed dialog hands back and changes, and that a cancelled one changes nothing.

#include <gtest/gtest.h>

#include <cstring>

#include "construction/Augmentation.h"
#include "construction/LibraryHooks.h"
#include "construction/ModelLookup.h"
#include "construction/PolyhedraDialog.h"
#include "dialogs/AugmentDlg.h"
#include "dialogs/FontOptionsDlg.h"
#include "dialogs/SelectByIndex.h"
#include "dialogs/SphereCylinderDialog.h"
#include "dialogs/SpheresDialog.h"
#include "dialogs/StellationPlanes.h"
#include "dialogs/TorusDialog.h"
#include "model/FaceTypeBlock.h"
#include "model/Globals.h"
#include "model/LibraryEntry.h"
#include "model/Poly.h"
#include "model/TransitionSettings.h"
#include "nets/ReferenceSpheres.h"
#include "render/GLFont.h"
#include "symmetry/SimplePoly.h"
#include "tests/construction/DerivedModelChecks.h"
#include "tests/support/TestSupport.h"
#include "ui/LayoutDlg.h"
#include "ui/TransitionsDlg.h"

namespace test_DialogRecords {

using namespace corvia;
namespace ct = corvia::testing;
using ct::Platform;

LibraryEntry* Find(const char* text) {
  bool recognised = false, dual = false;
  return LookUpModel(text, &recognised, nullptr, &dual, false);
}

TEST(PolyhedraDialog, TheChosenModelComesBackAndCancelGivesNone) {
  LibraryEntry* cube = Find("cube");
  ASSERT_NE(cube, nullptr);
  Platform().dialogs.Queue<CPolyhedraDialog>([cube](CPolyhedraDialog& d) {
    d.mEntry = cube;
    d.mIsDual = true;
    return true;
  });
  bool dual = false;
  EXPECT_EQ(RunPolyhedraDialog(&dual), cube);
  EXPECT_TRUE(dual);
  Platform().dialogs.Queue<CPolyhedraDialog>([cube](CPolyhedraDialog& d) {
    d.mEntry = cube;
    return false;
  });
  EXPECT_EQ(RunPolyhedraDialog(&dual), nullptr);
  EXPECT_FALSE(dual);
  EXPECT_EQ(Platform().dialogs.mShown, (std::vector<std::string>{"PolyhedraDialog", "PolyhedraDialog"}));
}

TEST(AugmentDlg, ParametersGoToTheAugmentation) {
  AugmentDlg dialog{AugmentDlg::Blank{}};
  dialog.mOptions = kAugmentPyramid | kPyramidCircumradius2 | kAugmentSameType;
  dialog.mScale = -2.5;
  dialog.mMemorySlot = 3;
  SimplePoly memory(0, 0);
  memory.SetName("In memory", nullptr, true);
  dialog.mMemoryModels = {nullptr, nullptr, nullptr, &memory};
  dialog.mFilePath = "/tmp/model.corv";
  dialog.mNewFaceColour = 0x00112233;
  Augmentation augmentation(nullptr);
  dialog.GetParameters(augmentation);
  // A negative scale digs the solid in, and the scale itself stays positive.
  EXPECT_EQ(augmentation.mOptions, dialog.mOptions | kAugmentExcavate);
  EXPECT_EQ(augmentation.mScale, 2.5);
  // A solid is added: the memory's model is not taken.
  EXPECT_EQ(augmentation.mMemoryModel, nullptr);
  EXPECT_EQ(augmentation.mFilePath, "/tmp/model.corv");
  EXPECT_EQ(augmentation.mNewFaceColour, 0x00112233u);

  // Turning an excavation round with a negative scale makes it an augmentation.
  dialog.mOptions |= kAugmentExcavate;
  dialog.GetParameters(augmentation);
  EXPECT_EQ(augmentation.mOptions & kAugmentExcavate, 0u);

  // A model from memory goes as a copy of the one the slot holds now.
  dialog.mOptions = kAugmentMemory;
  dialog.GetParameters(augmentation);
  ASSERT_NE(augmentation.mMemoryModel, nullptr);
  EXPECT_NE(augmentation.mMemoryModel.get(), &memory);
  EXPECT_EQ(augmentation.mMemoryModel->name, "In memory");

  // A whole model is added at its own size, and a dual chosen in the browser means
  // the model's dual.
  LibraryEntry* cube = Find("cube");
  dialog.mOptions = kAugmentBuiltIn;
  dialog.mEntry = cube;
  dialog.mEntryIsDual = true;
  dialog.GetParameters(augmentation);
  EXPECT_EQ(augmentation.mScale, 1.0);
  EXPECT_EQ(augmentation.mLibraryEntry, cube);
  EXPECT_EQ(augmentation.mOptions, kAugmentBuiltIn | kAugmentUseDual);
}

TEST(AugmentDlg, ConfirmedOptionsAreRememberedAndCancelledOnesNot) {
  Platform().dialogs.Queue<AugmentDlg>([](AugmentDlg& d) {
    d.mOptions = kAugmentPrism | kPrismLongestEdge | kAugmentKeepColours;
    d.mScale = 0.5;
    return true;
  });
  AugmentDlg first;
  ASSERT_TRUE(first.DoModal());
  EXPECT_EQ(first.mScale, 0.5);
  Platform().dialogs.Queue<AugmentDlg>([](AugmentDlg& d) {
    d.mOptions = kAugmentCupola;
    d.mScale = 9.0;
    return false;
  });
  AugmentDlg second;
  EXPECT_EQ(second.mOptions, kAugmentPrism | kPrismLongestEdge | kAugmentKeepColours);
  EXPECT_FALSE(second.DoModal());
  EXPECT_EQ(second.mScale, 0.5);
  EXPECT_EQ(AugmentDlg().mScale, 0.5);
}

TEST(AugmentDlg, ANegativeScaleExcavatesTheCube) {
  ct::TemplateModel cube("4.4.4");
  ASSERT_TRUE(cube.built);
  AugmentDlg dialog{AugmentDlg::Blank{}};
  dialog.mOptions = kAugmentPyramid | kPyramidCircumradius;
  dialog.mScale = -0.5;
  Augmentation* augmentation = GetAugmentation(&cube.poly);
  dialog.GetParameters(*augmentation);
  cube.poly.GetShownBlock()->SetCurrentFace(cube.poly.GetFace(0));
  ASSERT_TRUE(PrepareAugmentation(&cube.poly, augmentation->mOptions, augmentation));
  EXPECT_LT(augmentation->mHeight, 0.0);
  Outcome outcome;
  std::unique_ptr<SimplePoly> dug = CreateAugmentedPoly(augmentation->mOptions, *augmentation, outcome);
  augmentation->Reset();
  ASSERT_TRUE(dug);
  const ct::ModelFigures figures = ct::Measure(*dug);
  EXPECT_EQ(figures.verts, 9);
  EXPECT_EQ(figures.faceKinds, (std::map<int, int>{{3, 4}, {4, 5}}));
}

TEST(TorusDialog, BuildsTheTorusOfTheValuesAndRemembersThem) {
  Platform().dialogs.Queue<CTorusDialog>([](CTorusDialog& d) {
    d.mTubeRadius = 0.25;
    d.mRings = 8;
    d.mSegments = 6;
    return true;
  });
  Outcome outcome;
  std::unique_ptr<SimplePoly> torus = RunTorusDialog(outcome);
  ASSERT_TRUE(torus);
  EXPECT_EQ(torus->NumVerts(), 48);
  EXPECT_EQ(torus->NumFaces(), 48);
  CTorusDialog next;
  EXPECT_EQ(next.mRings, 8);
  EXPECT_EQ(next.mSegments, 6);
  EXPECT_EQ(next.mTubeRadius, 0.25);
  Platform().dialogs.Queue<CTorusDialog>([](CTorusDialog& d) {
    d.mRings = 99;
    return false;
  });
  EXPECT_EQ(RunTorusDialog(outcome), nullptr);
  EXPECT_TRUE(outcome.cancelled());
  EXPECT_EQ(CTorusDialog().mRings, 8);
}

TEST(LayoutDlg, HoldsTheChosenLayout) {
  LayoutDlg dialog(4);
  Platform().dialogs.Queue<LayoutDlg>([](LayoutDlg& d) {
    EXPECT_EQ(d.mLayout, 4);
    d.mLayout = 10;
    return true;
  });
  EXPECT_TRUE(dialog.DoModal());
  EXPECT_EQ(dialog.mLayout, 10);
  Platform().dialogs.Queue<LayoutDlg>([](LayoutDlg& d) {
    d.mLayout = 11;
    return true;
  });
  EXPECT_FALSE(dialog.DoModal());
  EXPECT_EQ(dialog.mLayout, 10);
}

TEST(SpheresDialog, ConfirmedRadiiBecomeTheReferenceSpheres) {
  g_ReferenceSpheres = {1.0};
  Platform().dialogs.Queue<SpheresDlg>([](SpheresDlg& d) {
    EXPECT_EQ(d.mRadii, std::vector<double>{1.0});
    d.mRadii = {2.0, -1.0, 0.0, 0.5};
    return true;
  });
  const int redraws = Platform().views.mRedraws;
  EXPECT_TRUE(SpheresDlg().DoModal());
  EXPECT_EQ(g_ReferenceSpheres, (std::vector<double>{2.0, 0.5}));
  EXPECT_GT(Platform().views.mRedraws, redraws);
  Platform().dialogs.Queue<SpheresDlg>([](SpheresDlg& d) {
    d.mRadii.clear();
    return false;
  });
  EXPECT_FALSE(SpheresDlg().DoModal());
  EXPECT_EQ(g_ReferenceSpheres, (std::vector<double>{2.0, 0.5}));
  g_ReferenceSpheres.clear();
}

TEST(StellationPlanes, ClearPlaneListEmptiesTheList) {
  const double plane[4] = {0, 0, 1, 0.5};
  AppendStellationPlane(plane);
  AppendStellationPlane(plane);
  EXPECT_EQ(CountPlaneList(), 2);
  EXPECT_EQ(GetPlaneList()->mPlane[3], 0.5);
  ClearPlaneList();
  EXPECT_EQ(CountPlaneList(), 0);
  EXPECT_EQ(GetPlaneList(), nullptr);
}

}  // namespace test_DialogRecords

namespace test_SelectByIndex {

using namespace corvia;
namespace ct = corvia::testing;

struct CubeDocument : DocumentAccess {
  Poly* GetCurrentPoly() override { return poly; }
  Poly* poly = nullptr;
};

TEST(SelectElementByIndex, SelectsByNumberFromOneAndRefusesOthers) {
  ct::TemplateModel cube("4.4.4");
  ASSERT_TRUE(cube.built);
  CubeDocument document;
  document.poly = &cube.poly;
  DocumentAccess* before = InstallDocumentAccess(&document);
  auto& messages = ct::Platform().messages;

  messages.QueueText("7");
  messages.QueueText("0");
  messages.QueueText("6");
  EXPECT_TRUE(SelectElementByIndex(IndexedElement::Face));
  EXPECT_EQ(cube.poly.mSelectedElement, cube.poly.GetFace(5));
  EXPECT_EQ(messages.CountTitled("Error"), 2);
  EXPECT_EQ(messages.TextPrompts()[0], "Number of the face to select (1 to 6):");

  messages.QueueText("8");
  EXPECT_TRUE(SelectElementByIndex(IndexedElement::Vertex));
  EXPECT_EQ(cube.poly.mSelectedElement, cube.poly.GetVertex(7));

  messages.QueueText("12");
  EXPECT_TRUE(SelectElementByIndex(IndexedElement::Edge));
  EXPECT_EQ(cube.poly.GetSelectedEdge(), cube.poly.GetEdge(11));

  // On the dual side the faces are the cube's vertices.
  cube.poly.mShowDual = 1;
  messages.QueueText("8");
  EXPECT_TRUE(SelectElementByIndex(IndexedElement::Face));
  EXPECT_EQ(cube.poly.mSelectedElement, cube.poly.GetVertex(7));

  EXPECT_FALSE(SelectElementByIndex(IndexedElement::Face));  // cancelled
  EXPECT_EQ(cube.poly.mSelectedElement, cube.poly.GetVertex(7));
  InstallDocumentAccess(before);
}

}  // namespace test_SelectByIndex

namespace test_FontOptions {

using namespace corvia;
namespace ct = corvia::testing;

TEST(FontOptionsDialog, TheChosenFontBecomesTheDefault) {
  const std::string before = GetDefaultFontName();
  ct::Platform().dialogs.Queue<FontOptionsDlg>([&](FontOptionsDlg& d) {
    EXPECT_EQ(d.mDefaultFont, before);
    d.mDefaultFont = "Liberation Serif";
    return true;
  });
  EXPECT_TRUE(FontOptionsDlg().DoModal());
  EXPECT_STREQ(GetDefaultFontName(), "Liberation Serif");
  ct::Platform().dialogs.Queue<FontOptionsDlg>([](FontOptionsDlg& d) {
    d.mDefaultFont = "DejaVu Sans";
    return false;
  });
  EXPECT_FALSE(FontOptionsDlg().DoModal());
  EXPECT_STREQ(GetDefaultFontName(), "Liberation Serif");
  SetDefaultFontName(before.c_str());
}

}  // namespace test_FontOptions

namespace test_ModelessDialogs {

using namespace corvia;
namespace ct = corvia::testing;

TEST(TransitionsDialog, OpensOnTheOccasionAndRefreshesOnlyWhenOpen) {
  auto& dialogs = ct::Platform().dialogs;
  RefreshTransitionsDlg();
  EXPECT_TRUE(dialogs.mRefreshed.empty());
  dialogs.Queue<TransitionsDlg>([](TransitionsDlg& d) {
    EXPECT_EQ(d.mOccasion, kOccasionTour);
    return true;
  });
  ShowTransitionsDialog(kOccasionTour);
  EXPECT_TRUE(dialogs.IsOpen(TransitionsDlg::kName));
  RefreshTransitionsDlg();
  EXPECT_EQ(dialogs.mRefreshed, std::vector<std::string>{TransitionsDlg::kName});
  EXPECT_STREQ(GetTransitionOccasionName(kOccasionStartUp), "Start-up");
  // Every occasion is named by what shows it, none by a number.
  for (int i = 0; i < kNumTransitionOccasions; ++i) {
    const std::string name = GetTransitionOccasionName(i);
    EXPECT_EQ(name.find_first_of("0123456789"), std::string::npos) << name;
  }
  EXPECT_EQ(GetTransitionOccasionName(kNumTransitionOccasions), nullptr);

  GetSelectedOccasions() = {3, 4};
  FreeSelectedOccasions();
  EXPECT_TRUE(GetSelectedOccasions().empty());
}

TEST(SphereCylinderDialog, FieldsAreAppliedOnlyWhileItIsOpen) {
  auto& dialogs = ct::Platform().dialogs;
  ApplySphereCylinderOptions();
  EXPECT_TRUE(dialogs.mApplied.empty());
  ShowSphereCylinderOptions();
  ApplySphereCylinderOptions();
  EXPECT_EQ(dialogs.mApplied, std::vector<std::string>{SphereCylinderDlg::kName});
}

}  // namespace test_ModelessDialogs
