// The model, stellation, faceting, display, image, section, view and option commands
// on a document whose panes are off screen: what each menu's commands change.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "app/DocCommands.h"
#include "app/ModelChange.h"
#include "app/PaneModeCommands.h"
#include "app/ModelUndo.h"
#include "app/UndoList.h"
#include "app/PolyView.h"
#include "app/Settings.h"
#include "construction/Augmentation.h"
#include "core/Globals.h"
#include "core/Messages.h"
#include "core/Progress.h"
#include "core/RainbowColor.h"
#include "core/Units.h"
#include "core/VectorMath.h"
#include "model/ColorSchemes.h"
#include "model/CreatePoly.h"
#include "model/CrossSection.h"
#include "model/Edge.h"
#include "model/ElementFlags.h"
#include "model/ElementLabels.h"
#include "dialogs/AugmentDlg.h"
#include "files/ModelFile.h"
#include "dialogs/ModelDialogs.h"
#include "platform/Services.h"
#include "model/FaceTypeBlock.h"
#include "model/Poly.h"
#include "model/PolyElement.h"
#include "render/DisplaySettings.h"
#include "render/ModelDrawSettings.h"
#include "stellation/Faceting.h"
#include "stellation/StellationCell.h"
#include "symmetry/SymGroup.h"
#include "tests/app/AppTestSupport.h"
#include "tests/app/MenuOptionsScope.h"
#include "tests/support/TestSupport.h"
#include "ui/CommandIds.h"

namespace test_MenuCommands {

using namespace corvia;
using corvia::testing::Platform;

constexpr int kCmdNextStellation = 32815;
constexpr int kCmdPreviousStellation = 32816;
constexpr int kCmdShowVertices = 32935;
constexpr int kCmdShowSymmetryAxes = 32850;
constexpr int kCmdGeomagStyle = 33159;
constexpr int kCmdVertexSize = 33080;
constexpr int kCmdSliceAlongFirstAxis = 33378;
constexpr int kCmdDefaultEdgeColor = 33061;
constexpr int kCmdEdgeColorAllSame = 33445;
constexpr int kCmdEdgeColorByType = 33447;

class MenuCommandsTest : public corvia::testing::DocumentTest {
 protected:
  void SetUp() override {
    DocumentTest::SetUp();
    SetTransitionsEnabled(false);
    ASSERT_TRUE(Doc().SetModel(Find("3.3.3.3.3"), false, false));
  }
  static int CountIncluded(const FaceTypeBlock* block) {
    int n = 0;
    for (StellationCell* c = block->mFirstCell; c; c = c->mNext) n += c->IsIncluded() ? 1 : 0;
    return n;
  }

  // Put back when the fixture ends, after the document has gone.
  corvia::testing::MenuOptionsScope mOptions;
};

TEST_F(MenuCommandsTest, SubdividedFacesAndGeodesicSpheresOfTheIcosahedron) {
  // Two subdivisions cut each of the 20 triangles into 4, sharing the new midpoints.
  Platform().messages.QueueText("2");
  ASSERT_TRUE(RunDocCommand(kCmdSubdivideFaces));
  Poly* poly = GetCurrentPoly();
  EXPECT_EQ(poly->mFaces.mCount, 80);
  EXPECT_EQ(poly->mVertices.mCount, 42);
  ASSERT_NE(poly->mName, nullptr);
  EXPECT_EQ(std::string(poly->mName).rfind("Subdivided ", 0), 0u) << poly->mName;

  // The geodesic sphere of frequency 2 of the icosahedron: 80 faces, every vertex on
  // one sphere.
  ASSERT_TRUE(Doc().SetModel(Find("3.3.3.3.3"), false, false));
  Platform().messages.QueueText("2");
  ASSERT_TRUE(RunDocCommand(kCmdGeodesicSphere));
  poly = GetCurrentPoly();
  EXPECT_EQ(poly->mFaces.mCount, 80);
  ASSERT_NE(poly->mName, nullptr);
  EXPECT_EQ(std::string(poly->mName).rfind("Geodesic ", 0), 0u) << poly->mName;
  double radius = -1.0;
  for (PolyElement* v = poly->mVertices.mHead; v; v = v->mNext) {
    const double r = std::sqrt(Dot(v->mDualVert, v->mDualVert));
    if (radius < 0.0) radius = r;
    EXPECT_NEAR(r, radius, 1e-7);
  }

  // A cancelled prompt, and a number that is no number then a cancel, change nothing.
  const int faces = poly->mFaces.mCount;
  ASSERT_TRUE(RunDocCommand(kCmdSubdivideFaces));
  Platform().messages.QueueText("two");
  ASSERT_TRUE(RunDocCommand(kCmdGeodesicSphere));
  EXPECT_EQ(GetCurrentPoly()->mFaces.mCount, faces);
  EXPECT_GE(Platform().messages.CountTitled("Error"), 1);
  // No subdivisions at all is refused by the model with its message.
  Platform().messages.Clear();
  Platform().messages.QueueText("0");
  ASSERT_TRUE(RunDocCommand(kCmdSubdivideFaces));
  EXPECT_EQ(GetCurrentPoly()->mFaces.mCount, faces);
  EXPECT_EQ(Platform().messages.CountTitled("Error"), 1);
  Platform().messages.Clear();
}

// Show/Hide Faces in Selected Plane hides the faces of the current face's plane, and
// only those, then shows them again: on a cube cut into 4, a square's 64 triangles.
TEST_F(MenuCommandsTest, TheFacesOfThePlaneOfTheCurrentFaceAreHiddenAndShown) {
  constexpr int kCmdShowHidePlane = 33365;
  ASSERT_TRUE(Doc().SetModel(Find("4.4.4"), false, false));
  Platform().messages.QueueText("4");
  ASSERT_TRUE(RunDocCommand(kCmdSubdivideFaces));
  Poly* poly = GetCurrentPoly();
  ASSERT_EQ(poly->mFaces.mCount, 6 * 64);
  PolyElement* face = poly->GetCurrentFace();
  ASSERT_NE(face, nullptr);
  auto hidden = [poly, face](bool inPlane) {
    int n = 0;
    for (PolyElement* e = poly->mFaces.mHead; e; e = e->mNext) {
      if ((e == face || e->IsCoplanarWith(face)) == inPlane) n += e->HasFlag(kElementHidden) ? 1 : 0;
    }
    return n;
  };
  ASSERT_TRUE(RunDocCommand(kCmdShowHidePlane));
  EXPECT_EQ(hidden(true), 64);
  EXPECT_EQ(hidden(false), 0);
  ASSERT_TRUE(RunDocCommand(kCmdShowHidePlane));
  EXPECT_EQ(hidden(true), 0);
}

// A click on Cancel while the sphere's window shows the lattice's last row is read after
// that report, while the lattice is finished and the model built from it: the command
// is one piece of work with one window, so the click stops it wherever it falls, and
// the icosahedron stays. Without a click the same sphere is made.
TEST_F(MenuCommandsTest, CancelClickedAtTheLatticesLastRowStopsTheSphere) {
  // Time moves on at every reading, so that the window shows within the work.
  struct SteppingClock final : platform::Clock {
    double NowSeconds() const override { return mNow += 0.05; }
    mutable double mNow = 0.0;
  } steps;
  platform::ServiceSet services = platform::Services();
  services.clock = &steps;
  const platform::ServiceSet before = platform::InstallServices(services);
  auto& progress = Platform().progress;
  const std::string lastRow = "Created 1981 of 2000 faces";  // 2000 faces, 19 in the last row
  std::string seen;
  progress.Current()->onPump = [&](platform::HeadlessProgressWindow::State& window) {
    seen = window.caption;
    if (window.caption == lastRow) window.cancelClicked = true;
  };
  Poly* icosahedron = GetCurrentPoly();
  Platform().messages.QueueText("10");
  ASSERT_TRUE(RunDocCommand(kCmdGeodesicSphere));
  ASSERT_FALSE(seen.empty()) << "the window never showed";
  EXPECT_EQ(GetCurrentPoly(), icosahedron);
  EXPECT_EQ(GetCurrentPoly()->mFaces.mCount, 20);
  EXPECT_FALSE(IsProgressActive());

  progress.Current()->onPump = nullptr;
  ASSERT_TRUE(Doc().SetModel(Find("3.3.3.3.3"), false, false));
  Platform().messages.QueueText("10");
  ASSERT_TRUE(RunDocCommand(kCmdGeodesicSphere));
  EXPECT_EQ(GetCurrentPoly()->mFaces.mCount, 2000);
  platform::InstallServices(before);
}

// An internal error met while a compound is built (here as its faces are sorted into
// types, after the old model was cleared) ends the command: told once (not once per
// face type), the model and the undo list as they were. The dual of the subdivided
// icosahedron, with a face round each new corner whose six corners lie on two points,
// leaves them as they were too.
TEST_F(MenuCommandsTest, AnInternalErrorEndsTheCommandWithTheModelAsItWas) {
  SetTransitionsEnabled(true);
  corvia::testing::ExpectInternalErrors(1);
  const auto& undo = Platform().undo;
  auto expectAsItWas = [&undo](const Poly* shown, int faces, size_t steps, int discards) {
    EXPECT_EQ(GetCurrentPoly(), shown);
    EXPECT_EQ(GetCurrentPoly()->mFaces.mCount, faces);
    EXPECT_EQ(undo.mCalls.size() - steps, static_cast<size_t>(undo.mDiscards - discards));
  };

  const Poly* icosahedron = GetCurrentPoly();
  Platform().messages.Clear();
  size_t steps = undo.mCalls.size();
  int discards = undo.mDiscards;
  int met = 0;
  const CreatePolyStageHook before = SetCreatePolyStageHook([&met](const char* stage) {
    if (met == 0 && std::string(stage).find("into types") != std::string::npos) {
      ++met;
      ShowInternalError("%s", "The compound's face types do not close.");
    }
  });
  const bool ran = RunDocCommand(kCmdAddBaseAndDual);
  SetCreatePolyStageHook(before);
  ASSERT_TRUE(ran);
  EXPECT_EQ(met, 1);
  EXPECT_EQ(Platform().messages.CountTitled("Internal Error"), 1);
  expectAsItWas(icosahedron, 20, steps, discards);

  Platform().messages.QueueText("2");
  ASSERT_TRUE(RunDocCommand(kCmdSubdivideFaces));
  const Poly* subdivided = GetCurrentPoly();
  ASSERT_EQ(subdivided->mFaces.mCount, 80);
  Platform().messages.Clear();
  steps = undo.mCalls.size();
  discards = undo.mDiscards;
  ASSERT_TRUE(RunDocCommand(kCmdAddBaseAndDual));
  EXPECT_LE(Platform().messages.CountTitled("Internal Error"), 1);
  expectAsItWas(subdivided, 80, steps, discards);
  Platform().messages.Clear();
}

// The icosahedron is its own mirror image: Add Mirror Image says so and leaves the
// model, with no question about coincident faces and no undo step.
TEST_F(MenuCommandsTest, AddMirrorImageOfAModelThatIsItsOwnMirrorImage) {
  const Poly* shown = GetCurrentPoly();
  const size_t steps = Platform().undo.mCalls.size();
  Platform().messages.Clear();
  ASSERT_TRUE(RunDocCommand(kCmdAddMirrorImage));
  ASSERT_EQ(Platform().messages.Boxes().size(), 1u);
  EXPECT_EQ(Platform().messages.Boxes()[0].title, "Information");
  EXPECT_EQ(Platform().messages.Boxes()[0].text.rfind("This model is its own mirror image", 0), 0u);
  EXPECT_EQ(GetCurrentPoly(), shown);
  EXPECT_EQ(GetCurrentPoly()->mFaces.mCount, 20);
  EXPECT_EQ(Platform().undo.mCalls.size(), steps);
  Platform().messages.Clear();
}

TEST_F(MenuCommandsTest, NextAndPreviousStellationStepTheCellsAndOriginalPutsThemBack) {
  AddPane(kViewStellationOfBase);
  Poly* poly = GetCurrentPoly();
  FaceTypeBlock* block = poly->mBaseBlock.get();
  // Nothing is stellated yet: the first step stellates the shown side.
  EXPECT_FALSE(UpdateDocCommand(kCmdOriginalStellation).enabled);
  ASSERT_TRUE(RunDocCommand(kCmdNextStellation));
  ASSERT_TRUE(block->IsStellated());
  const int afterFirst = CountIncluded(block);
  ASSERT_TRUE(RunDocCommand(kCmdNextStellation));
  const int afterSecond = CountIncluded(block);
  EXPECT_GT(afterSecond, afterFirst);
  EXPECT_TRUE(UpdateDocCommand(kCmdOriginalStellation).enabled);
  ASSERT_TRUE(RunDocCommand(kCmdPreviousStellation));
  EXPECT_EQ(CountIncluded(block), afterFirst);
  ASSERT_TRUE(RunDocCommand(kCmdOriginalStellation));
  EXPECT_TRUE(FaceTypeBlock::IsOriginalStellation(block));
  EXPECT_FALSE(UpdateDocCommand(kCmdOriginalStellation).enabled);
}

// Commands on one part of a compound wait for a compound, and Select None is there
// for a cell picked in a stellation as for a face: each enabled where it can act.
TEST_F(MenuCommandsTest, CommandsOnAPartOrACellAreEnabledWhereTheyAct) {
  constexpr int kCmdColourOnePart = 33153;
  constexpr int kCmdSelectNone = 32869;
  Poly* poly = GetCurrentPoly();
  poly->SelectFace(poly->GetFace(0), false);
  ASSERT_NE(poly->GetCurrentFace(), nullptr);
  EXPECT_FALSE(UpdateDocCommand(kCmdDeleteOnePartOfCompound).enabled);
  EXPECT_FALSE(UpdateDocCommand(kCmdColourOnePart).enabled);
  ASSERT_TRUE(RunDocCommand(kCmdAddBaseAndDual));
  poly = GetCurrentPoly();
  ASSERT_TRUE(poly->IsCompound());
  poly->SelectFace(poly->GetFace(0), false);
  EXPECT_TRUE(UpdateDocCommand(kCmdDeleteOnePartOfCompound).enabled);
  EXPECT_TRUE(UpdateDocCommand(kCmdColourOnePart).enabled);

  // A cell picked in the stellation pane is highlighted there until Select None.
  ASSERT_TRUE(Doc().SetModel(Find("3.3.3.3.3"), false, false));
  AddPane(kViewStellationOfBase);
  ASSERT_TRUE(RunDocCommand(kCmdNextStellation));
  FaceTypeBlock* block = GetCurrentPoly()->mBaseBlock.get();
  ASSERT_TRUE(block->IsStellated());
  GetCurrentPoly()->ClearSelection();
  block->mSelectedCell = block->mFirstCell;
  EXPECT_TRUE(UpdateDocCommand(kCmdSelectNone).enabled);
  ASSERT_TRUE(RunDocCommand(kCmdSelectNone));
  EXPECT_EQ(block->mSelectedCell, nullptr);
  EXPECT_FALSE(UpdateDocCommand(kCmdSelectNone).enabled);
}

TEST_F(MenuCommandsTest, FacetingCriteriaAndLimitsShowInTheirItems) {
  ASSERT_TRUE(RunDocCommand(kCmdFacetingIsohedral));
  EXPECT_EQ(GetFacetingSettings().criteria, kFacetingIsohedral);
  EXPECT_EQ(UpdateDocCommand(kCmdFacetingIsohedral).check, 1);
  EXPECT_EQ(UpdateDocCommand(kCmdFacetingTidy).check, 0);
  Platform().messages.QueueText("0");
  ASSERT_TRUE(RunDocCommand(kCmdFacetingMaxTypes));
  EXPECT_EQ(UpdateDocCommand(kCmdFacetingMaxTypes).text, "Maximum Facet Types (no limit)...");
  Platform().messages.QueueText("3");
  ASSERT_TRUE(RunDocCommand(kCmdFacetingMinTypes));
  EXPECT_EQ(UpdateDocCommand(kCmdFacetingMinTypes).text, "Minimum Facet Types (3)...");
}

TEST_F(MenuCommandsTest, DisplayImageSectionAndOptionSwitches) {
  CPolyView* pane = AddPane(kViewBasePolyhedron);
  pane->Activate(false);
  const bool shown = GetModelDrawSettings().showVerts;
  ASSERT_TRUE(RunDocCommand(kCmdShowVertices));
  EXPECT_NE(GetModelDrawSettings().showVerts, shown);
  EXPECT_EQ(UpdateDocCommand(kCmdShowVertices).check, shown ? 0 : 1);

  // Axes are the active pane's own.
  ASSERT_TRUE(RunDocCommand(kCmdShowSymmetryAxes));
  EXPECT_TRUE(pane->mShowSymmetryAxes);
  ASSERT_TRUE(RunDocCommand(kCmdShowSymmetryAxes));
  EXPECT_FALSE(pane->mShowSymmetryAxes);

  ASSERT_TRUE(RunDocCommand(kCmdBackgroundStretch));
  EXPECT_EQ(GetDisplaySettings().bgImageFit, kImageFitStretch);
  EXPECT_EQ(UpdateDocCommand(kCmdBackgroundFitWithin).check, 0);

  // The icosahedron's first axes are 5-fold: the plane turns perpendicular to one.
  CommandUi along = UpdateDocCommand(kCmdSliceAlongFirstAxis);
  EXPECT_TRUE(along.enabled);
  EXPECT_EQ(along.text, "Along 5-fold Axis");
  ASSERT_TRUE(RunDocCommand(kCmdSliceAlongFirstAxis));
  const double* frame = SlicingFrame();
  const SymAxis& axis = GetCurrentPoly()->GetFullSymGroup()->axisTypes[0].axes[0];
  for (int k = 0; k < 3; ++k) EXPECT_NEAR(frame[4 * k + 2], axis.direction[k], 1e-12);
  const double normal[3] = {frame[2], frame[6], frame[10]};
  const double u[3] = {frame[0], frame[4], frame[8]};
  const double v[3] = {frame[1], frame[5], frame[9]};
  EXPECT_NEAR(Dot(u, normal), 0.0, 1e-9);
  EXPECT_NEAR(Dot(v, normal), 0.0, 1e-9);
  EXPECT_NEAR(Dot(u, v), 0.0, 1e-9);

  // The polygon offset ends the automatic stencil too.
  ASSERT_TRUE(RunDocCommand(kCmdCoplanarOffset));
  EXPECT_FALSE(GetModelDrawSettings().useStencil);
  EXPECT_FALSE(GetDisplaySettings().autoStencil);
  EXPECT_EQ(UpdateDocCommand(kCmdCoplanarStencil).check, 0);

  ASSERT_TRUE(RunDocCommand(kCmdShowEdgeTypeNumbers));
  EXPECT_EQ(DiagnosticNumbers & kShowEdgeTypeNumbers, kShowEdgeTypeNumbers);

  // The construction-toy style and its stored setting change together.
  ASSERT_TRUE(RunDocCommand(kCmdGeomagStyle));
  EXPECT_TRUE(GeomagStyle);
  EXPECT_TRUE(GetAppSettings().geomag);
  EXPECT_EQ(UpdateDocCommand(kCmdGeomagStyle).check, 1);
  ASSERT_TRUE(RunDocCommand(kCmdGeomagStyle));
  EXPECT_FALSE(GeomagStyle);
  EXPECT_FALSE(GetAppSettings().geomag);

  // The auto-frame setting and the stellation's switch change together.
  ASSERT_TRUE(RunDocCommand(kCmdAutoFrameStellation));
  EXPECT_EQ(AutoFrameStellation, GetAppSettings().autoFrameStellation);
  EXPECT_NE(AutoFrameStellation, mOptions.autoFrame);
}

// The sphere that Show Intersections with Spheres offers, the midsphere, cuts every face
// of the icosahedron in the circle inscribed in it (the sphere through the vertices
// would touch each face at its corners only), whatever the length scale.
TEST_F(MenuCommandsTest, TheOfferedSphereLeavesACircleInsideEveryFace) {
  GetUnitSettings().SetLengthScale(3.0, false);
  ASSERT_TRUE(RunDocCommand(kCmdShowSphereIntersections));
  ASSERT_FALSE(Platform().messages.TextStarts().empty());
  const double offered = std::atof(Platform().messages.TextStarts().back().c_str());
  const double radius = offered / GetUnitSettings().mLengthScale;
  for (PolyElement* face = GetCurrentPoly()->mFaces.mHead; face; face = face->mNext) {
    const double d = VectorLength(face->mCentre);
    ASSERT_LT(d, radius);
    const double circle = std::sqrt(radius * radius - d * d);
    double nearest = 1e300, farthest = 0.0;
    for (int i = 0; i < face->mNumSides; ++i) {
      const double* a = face->mNeighbours[i]->mDualVert;
      const double* b = face->mNeighbours[(i + 1) % face->mNumSides]->mDualVert;
      double corner[3], side[3], toCentre[3], cross[3];
      Subtract(corner, a, face->mCentre);
      farthest = std::max(farthest, VectorLength(corner));
      Subtract(side, b, a);
      Subtract(toCentre, face->mCentre, a);
      Cross(cross, side, toCentre);
      nearest = std::min(nearest, VectorLength(cross) / VectorLength(side));
    }
    // The midsphere's circle is the one inscribed in the face, up to the digits offered.
    EXPECT_NEAR(circle, nearest, 1e-4);
    EXPECT_LT(circle, farthest - 1e-3);
  }
}

TEST_F(MenuCommandsTest, VertexAndEdgeOptionsSetSizesColoursAndTheEdgeScheme) {
  // A size that is not more than 0 is refused and asked for again.
  Platform().messages.QueueText("0");
  Platform().messages.QueueText("2.5");
  ASSERT_TRUE(RunDocCommand(kCmdVertexSize));
  EXPECT_FLOAT_EQ(GetModelDrawSettings().vertSize, 2.5f);
  EXPECT_EQ(Platform().messages.CountTitled("Error"), 1);
  Platform().messages.Clear();

  // Edges by type: the icosahedron's edges are of one type and share one colour; all
  // alike is marked again when the scheme is one no item names.
  const int saved = EdgeColorScheme;
  ASSERT_TRUE(RunDocCommand(kCmdEdgeColorByType));
  EXPECT_EQ(EdgeColorScheme, kEdgeColorByType);
  EXPECT_EQ(UpdateDocCommand(kCmdEdgeColorByType).check, 1);
  EXPECT_EQ(UpdateDocCommand(kCmdEdgeColorAllSame).check, 0);
  Poly* poly = GetCurrentPoly();
  for (int i = 1; i < poly->mNumEdges; ++i) {
    for (int c = 0; c < 3; ++c) EXPECT_EQ(poly->mEdgeArray[i].mColor[c], poly->mEdgeArray[0].mColor[c]);
  }
  EdgeColorScheme = 0;
  EXPECT_EQ(UpdateDocCommand(kCmdEdgeColorAllSame).check, 1);
  EdgeColorScheme = saved;

  // A new default edge colour goes to the edges that had the old one.
  ASSERT_TRUE(RunDocCommand(kCmdEdgeColorAllSame));
  const float before[3] = {GetNewEdgeColor()[0], GetNewEdgeColor()[1], GetNewEdgeColor()[2]};
  corvia::testing::QueueColorChoice(255, 0, 0);
  ASSERT_TRUE(RunDocCommand(kCmdDefaultEdgeColor));
  EXPECT_FLOAT_EQ(poly->mEdgeArray[0].mColor[0], 1.0f);
  EXPECT_FLOAT_EQ(poly->mEdgeArray[0].mColor[1], 0.0f);
  SetDefaultEdgeColor(poly, before, GetNewEdgeColor());
}

TEST_F(MenuCommandsTest, CameraCommandsTurnAndResetTheActivePane) {
  CPolyView* pane = AddPane(kViewBasePolyhedron);
  pane->Activate(false);
  ASSERT_TRUE(RunDocCommand(kCmdUseDefaultCamera));
  ASSERT_TRUE(RunDocCommand(kCmdRotateAroundY));
  // A quarter turn about the vertical axis puts the eye on the x axis.
  EXPECT_NEAR(std::fabs(pane->Camera().GetEye()[0]), 2.0, 1e-6);
  EXPECT_NEAR(pane->Camera().GetEye()[2], 0.0, 1e-6);
  ASSERT_TRUE(RunDocCommand(kCmdUseDefaultCamera));
  EXPECT_NEAR(pane->Camera().GetEye()[2], 2.0, 1e-9);
  ASSERT_TRUE(RunDocCommand(kCmdOrthogonalView));
  EXPECT_TRUE(pane->Camera().IsOrthogonal());
  EXPECT_EQ(UpdateDocCommand(kCmdOrthogonalView).check, 1);
  ASSERT_TRUE(RunDocCommand(kCmdOrthogonalView));
  EXPECT_FALSE(pane->Camera().IsOrthogonal());
}

// A Waterman polyhedron is a new model like a library model: it takes the user's
// radius, and leaves it to the models that follow and to the model its undo step
// brings back.
TEST_F(MenuCommandsTest, AWatermanPolyhedronChangesNoRadiusOfTheModelsThatFollow) {
  DocumentUndoModel model;
  UndoList list(model);
  platform::ServiceSet services = platform::Services();
  platform::UndoHooks* previous = services.undo;
  services.undo = &list;
  platform::InstallServices(services);
  UnitSettings& units = GetUnitSettings();
  units.SetLengthScale(8.0, false);
  ASSERT_TRUE(Doc().SetModel(Find("Cube"), false, false));

  Platform().dialogs.Queue<CWatermanDialog>([](CWatermanDialog& d) {
    d.mRoot = 3;
    d.mLatticeType = 0;
    return true;
  });
  ASSERT_TRUE(RunDocCommand(kCmdCreateWaterman));
  EXPECT_STREQ(GetCurrentPoly()->mName, "Waterman R3");
  EXPECT_DOUBLE_EQ(units.mLengthScale, 8.0);
  ASSERT_TRUE(list.Undo());
  EXPECT_STREQ(GetCurrentPoly()->mName, "Cube");
  EXPECT_DOUBLE_EQ(units.mLengthScale, 8.0);
  ASSERT_TRUE(list.Redo());
  ASSERT_TRUE(Doc().SetModel(Find("Icosahedron"), false, false));
  EXPECT_DOUBLE_EQ(units.mLengthScale, 8.0);

  services.undo = previous;
  platform::InstallServices(services);
}

// A model made from the shown one keeps the lengths it is made at, so its radius is its
// own; a library model loaded after it comes at the radius the user chose (the default
// or Edit > Scale), never at the one the derived model happened to have.
TEST_F(MenuCommandsTest, ALibraryModelAfterADerivedOneTakesTheUsersRadius) {
  corvia::testing::DocumentUndoScope undo;
  UnitSettings& units = GetUnitSettings();
  units.SetUserLengthScale(8.0);
  const auto paperEdge = [&units] {
    const PolyElement* face = GetCurrentPoly()->mFaces.mHead;
    double side[3];
    Subtract(side, face->GetCorner(0)->mDualVert, face->GetCorner(1)->mDualVert);
    return VectorLength(side) * units.mLengthScale;
  };

  // A square pyramid on a square of the pentagonal prism: the edges keep their length.
  ASSERT_TRUE(Doc().SetModel(Find("Pentagonal Prism"), false, false));
  const double edge = paperEdge();
  CPolyView* pane = AddPane(kViewBasePolyhedron);
  Poly* prism = GetCurrentPoly();
  for (PolyElement* f = prism->mFaces.mHead; f; f = f->mNext) {
    if (f->mNumSides == 4) {
      prism->SelectFace(f, false);
      break;
    }
  }
  Platform().dialogs.Queue<AugmentDlg>([](AugmentDlg& d) {
    d.mOptions = kAugmentPyramid | kPyramidEqualEdges;
    d.mScale = 1.0;
    return true;
  });
  pane->OnAugmentPolyhedron();
  ASSERT_EQ(GetCurrentPoly()->mFaces.mCount, 10);
  EXPECT_NEAR(paperEdge(), edge, 1e-9);
  EXPECT_GT(units.mLengthScale, 8.5);
  ASSERT_TRUE(Doc().SetModel(Find("Cube"), false, false));
  EXPECT_DOUBLE_EQ(units.mLengthScale, 8.0);

  // The cube with its dual, then the tetrahedron.
  ASSERT_TRUE(RunDocCommand(kCmdAddBaseAndDual));
  ASSERT_EQ(GetCurrentPoly()->CountCompoundParts(), 2);
  EXPECT_NE(units.mLengthScale, 8.0);
  ASSERT_TRUE(Doc().SetModel(Find("Tetrahedron"), false, false));
  EXPECT_DOUBLE_EQ(units.mLengthScale, 8.0);

  // The cuboctahedron's dual made the base, then the icosahedron.
  ASSERT_TRUE(Doc().SetModel(Find("Cuboctahedron"), false, false));
  ASSERT_TRUE(EnterModelOfPane(GetCurrentPoly(), kViewDualPolyhedron));
  ASSERT_EQ(GetCurrentPoly()->mFaces.mCount, 12);
  const double dualScale = units.mLengthScale;
  EXPECT_NE(dualScale, 8.0);
  ASSERT_TRUE(Doc().SetModel(Find("Icosahedron"), false, false));
  EXPECT_DOUBLE_EQ(units.mLengthScale, 8.0);

  // Edit > Scale on a derived model is the user's choice: the next model takes it, and
  // its undo gives back the derived model's radius and the user's choice before.
  ASSERT_TRUE(undo.List().Undo());
  ASSERT_EQ(GetCurrentPoly()->mFaces.mCount, 12);
  EXPECT_DOUBLE_EQ(units.mLengthScale, dualScale);
  ASSERT_TRUE(ScaleModelTo(ScaleMeasure::BaseRadius, 5.0));
  const double chosen = units.mLengthScale;
  EXPECT_NE(chosen, dualScale);
  ASSERT_TRUE(Doc().SetModel(Find("Octahedron"), false, false));
  EXPECT_DOUBLE_EQ(units.mLengthScale, chosen);
  ASSERT_TRUE(undo.List().Undo());
  ASSERT_TRUE(undo.List().Undo());
  ASSERT_EQ(GetCurrentPoly()->mFaces.mCount, 12);
  EXPECT_DOUBLE_EQ(units.mLengthScale, dualScale);
  ASSERT_TRUE(Doc().SetModel(Find("Octahedron"), false, false));
  EXPECT_DOUBLE_EQ(units.mLengthScale, 8.0);
}

// The colours of a side of the model, front and back, in order of value.
std::vector<uint32_t> SortedColours(const ElementList& list) {
  std::vector<uint32_t> colours;
  for (const PolyElement* e = list.mHead; e; e = e->mNext) {
    colours.push_back(PackRainbowColor(e->mColor));
    colours.push_back(PackRainbowColor(e->mBackColor));
  }
  std::sort(colours.begin(), colours.end());
  return colours;
}

// The construction-toy style shows panels in place of the model's colours and changes
// none of them: turned off it gives back a compound's own colours, and a file saved
// while it is on, or after, holds the model's own colours.
TEST_F(MenuCommandsTest, TheToyStyleOnAndOffLeavesACompoundItsOwnColours) {
  const std::filesystem::path folder = corvia::testing::ScratchDir("toy-style-colours");
  const std::string during = (folder / "during.corv").string();
  const std::string after = (folder / "after.corv").string();
  ASSERT_TRUE(Doc().SetModel(Find("Cube"), false, false));
  ASSERT_TRUE(RunDocCommand(kCmdAddBaseAndDual));
  ASSERT_EQ(GetCurrentPoly()->CountCompoundParts(), 2);
  const std::vector<uint32_t> faces = SortedColours(GetCurrentPoly()->mFaces);
  const std::vector<uint32_t> vertices = SortedColours(GetCurrentPoly()->mVertices);

  ASSERT_TRUE(RunDocCommand(kCmdGeomagStyle));
  ASSERT_TRUE(GeomagStyle);
  EXPECT_NE(SortedColours(GetCurrentPoly()->mFaces), faces);
  ASSERT_TRUE(SaveModelFile(during.c_str(), kModelFileAscii, GetCurrentPoly()).done());
  ASSERT_TRUE(RunDocCommand(kCmdGeomagStyle));
  ASSERT_FALSE(GeomagStyle);
  EXPECT_EQ(SortedColours(GetCurrentPoly()->mFaces), faces);
  EXPECT_EQ(SortedColours(GetCurrentPoly()->mVertices), vertices);

  ASSERT_TRUE(SaveModelFile(after.c_str(), kModelFileAscii, GetCurrentPoly()).done());
  for (const std::string& path : {during, after}) {
    ASSERT_TRUE(Doc().OnOpenDocument(path.c_str())) << path;
    EXPECT_EQ(SortedColours(GetCurrentPoly()->mFaces), faces) << path;
    EXPECT_EQ(SortedColours(GetCurrentPoly()->mVertices), vertices) << path;
  }
}

}  // namespace test_MenuCommands
