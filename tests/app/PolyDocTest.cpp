// The document: making built-in models current by name, configuration and index, a
// model that cannot be built, the fading transitions from model to model, and the
// title.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "construction/Library.h"
#include "core/Progress.h"
#include "core/TimeFormat.h"
#include "files/ModelFile.h"
#include "model/CreatePoly.h"
#include "model/FaceTypeBlock.h"
#include "model/PolyBuild.h"
#include "model/Subdivision.h"
#include "platform/Clock.h"
#include "symmetry/SimplePoly.h"
#include "tests/app/AppTestSupport.h"

namespace test_PolyDoc {

using namespace corvia;
using corvia::testing::DocumentTest;

int CountFaces(const Poly* poly) { return poly ? poly->mFaces.mCount : -1; }
int CountVertices(const Poly* poly) { return poly ? poly->mVertices.mCount : -1; }

class PolyDocTest : public DocumentTest {
 protected:
};

TEST_F(PolyDocTest, ModelsByNameConfigurationAndIndex) {
  SetTransitionsEnabled(false);
  EXPECT_FALSE(Doc().SetModel(nullptr, false, false));
  EXPECT_EQ(Doc().CountRecords(), 1);

  ASSERT_TRUE(Doc().SetModel(Find("Icosidodecahedron"), false, false));
  EXPECT_EQ(GetCurrentPoly(), &Doc().GetCurrentRecord()->mPoly);
  EXPECT_EQ(CountFaces(GetCurrentPoly()), 32);
  EXPECT_EQ(CountVertices(GetCurrentPoly()), 30);
  EXPECT_STREQ(GetCurrentPoly()->mName, "Icosidodecahedron");
  EXPECT_EQ(Doc().GetTitle(), "5.3.5.3 - Icosidodecahedron");

  ASSERT_TRUE(Doc().SetModel(Find("4.3.4.3"), false, false));
  EXPECT_STREQ(GetCurrentPoly()->mName, "Cuboctahedron");
  EXPECT_EQ(CountFaces(GetCurrentPoly()), 14);

  // By catalogue index and by position in the library.
  ASSERT_TRUE(Doc().SetModel(Find("W1"), false, false));
  EXPECT_STREQ(GetCurrentPoly()->mName, "Tetrahedron");
  LibraryEntry* tenth = GetLibraryEntry(10);
  ASSERT_NE(tenth, nullptr);
  ASSERT_TRUE(Doc().SetModel(tenth, false, false));
  EXPECT_EQ(GetCurrentPoly()->mLibraryEntry, tenth);
  EXPECT_EQ(CountFaces(GetCurrentPoly()), tenth->mNumFaces);
  // Without transitions the new model simply takes the old one's place.
  EXPECT_EQ(Doc().CountRecords(), 1);
}

TEST_F(PolyDocTest, FailedBuildLeavesTheModelAndThePanes) {
  SetTransitionsEnabled(false);
  CPolyView* pane = AddPane(kViewBasePolyhedron);
  ASSERT_TRUE(Doc().SetModel(Find("3.3.3.3.3"), false, false));
  Poly* before = GetCurrentPoly();
  WindowOf(pane)->Paint();
  pane->Camera().RotateAboutViewAxis(1, 20.0);
  CameraRecord camera;
  pane->Camera().GetCamera(camera);

  // Seven triangles round a vertex close up only in the hyperbolic plane.
  LibraryEntry impossible = *Find("3.3.3.3.3");
  impossible.mConfig = "3.3.3.3.3.3.3";
  impossible.mCategory = 0;
  impossible.mFlags = 0;
  corvia::testing::Platform().messages.Clear();
  const int discards = corvia::testing::Platform().undo.mDiscards;
  EXPECT_FALSE(Doc().SetModel(&impossible, false, false));
  // The build's refusal is told once, in its own words.
  ASSERT_EQ(corvia::testing::Platform().messages.Boxes().size(), 1u);
  EXPECT_EQ(corvia::testing::Platform().messages.Boxes()[0].text,
            "\"3.3.3.3.3.3.3\" - Faces can't connect around vertex.");
  EXPECT_EQ(GetCurrentPoly(), before);
  EXPECT_EQ(CountFaces(GetCurrentPoly()), 20);
  EXPECT_STREQ(GetCurrentPoly()->mName, "Icosahedron");
  EXPECT_EQ(Doc().CountRecords(), 1);
  EXPECT_EQ(corvia::testing::Platform().undo.mDiscards, discards + 1);
  EXPECT_EQ(corvia::testing::Platform().undo.mGroupDepth, 0);
  CameraRecord after;
  pane->Camera().GetCamera(after);
  for (int i = 0; i < 3; ++i) {
    EXPECT_DOUBLE_EQ(after.eye[i], camera.eye[i]);
    EXPECT_DOUBLE_EQ(after.up[i], camera.up[i]);
  }
  EXPECT_EQ(pane->GetViewType(), kViewBasePolyhedron);

  // With a transition prepared the failure goes back as well.
  SetTransitionsEnabled(true);
  EXPECT_FALSE(Doc().SetModel(&impossible, false, false));
  EXPECT_EQ(GetCurrentPoly(), before);
  EXPECT_EQ(Doc().CountRecords(), 1);
  corvia::testing::Platform().undo.mDiscards = 0;
}

TEST_F(PolyDocTest, TransitionRunsFromOneModelToTheNextAndEnds) {
  CPolyView* pane = AddPane(kViewBasePolyhedron);
  SetTransitionsEnabled(false);
  ASSERT_TRUE(Doc().SetModel(Find("Cube"), false, false));
  SetTransitionsEnabled(true);
  DocRecord* cube = Doc().GetCurrentRecord();
  const double start = GetTimeSeconds();
  ASSERT_TRUE(Doc().SetModel(Find("Octahedron"), false, false));
  DocRecord* octahedron = Doc().GetCurrentRecord();
  ASSERT_NE(octahedron, cube);
  ASSERT_EQ(Doc().CountRecords(), 2);
  EXPECT_EQ(Doc().GetFirstRecord(), cube);
  const double duration = octahedron->mPoly.GetTransitionDuration();
  ASSERT_GT(duration, 0.01);
  EXPECT_TRUE(cube->mPoly.IsTransitionRunning());
  EXPECT_TRUE(octahedron->mPoly.IsTransitionRunning());

  // Half way, each model is half shown; both are drawn, and each pane paint ends
  // with the new model current.
  Advance(duration / 2.0);
  EXPECT_TRUE(Doc().UpdateTransitions(GetTimeSeconds()));
  EXPECT_NEAR(octahedron->mPoly.mTransitionProgress, 0.5, 1e-9);
  EXPECT_NEAR(cube->mPoly.mTransitionProgress, 0.5, 1e-9);
  WindowOf(pane)->Paint();
  EXPECT_EQ(Doc().GetCurrentRecord(), octahedron);
  // Shrink & Grow: each is drawn at half its size, the old one turning the other way.
  EXPECT_NEAR(octahedron->mPoly.mDisplayScale, 0.5, 1e-9);

  Advance(duration);
  EXPECT_FALSE(Doc().UpdateTransitions(GetTimeSeconds()));
  EXPECT_EQ(Doc().CountRecords(), 1);
  EXPECT_EQ(Doc().GetCurrentRecord(), octahedron);
  EXPECT_FALSE(octahedron->mPoly.IsTransitionRunning());
  EXPECT_EQ(octahedron->mPoly.mTransitionProgress, 1.0);
  EXPECT_EQ(octahedron->mPoly.mDisplayScale, 1.0);
  EXPECT_EQ(CountFaces(GetCurrentPoly()), 8);
  EXPECT_GE(GetTimeSeconds() - start, duration);
}

// While a transition fades one model into the next, each paint draws both with the
// view types and cameras their records keep; switching between them asks for no other
// paint (a pane that showed another type for the old model painted itself, and the
// others, without end; so did the scroll bars set for each camera).
TEST_F(PolyDocTest, APaintDuringATransitionAsksForNoOtherPaint) {
  CPolyView* pane = AddPane(kViewBasePolyhedron);
  CPolyView* other = AddPane(kViewDualPolyhedron);
  SetTransitionsEnabled(false);
  ASSERT_TRUE(Doc().SetModel(Find("Cube"), false, false));
  SetTransitionsEnabled(true);
  ASSERT_TRUE(Doc().SetModel(Find("Octahedron"), false, false));
  ASSERT_EQ(Doc().CountRecords(), 2);
  ASSERT_TRUE(pane->SetViewType(kViewVertexFigure, false));
  // The first paint of the new type fits it to the pane.
  WindowOf(pane)->Paint();
  WindowOf(other)->Paint();
  for (int round = 0; round < 2; ++round) {
    // Nor do the scroll bars change, whose setting asks the window for a paint.
    const int bars = WindowOf(pane)->ScrollBarSets() + WindowOf(other)->ScrollBarSets();
    WindowOf(pane)->Paint();
    WindowOf(other)->Paint();
    EXPECT_FALSE(WindowOf(pane)->IsPaintPending());
    EXPECT_FALSE(WindowOf(other)->IsPaintPending());
    EXPECT_EQ(WindowOf(pane)->ScrollBarSets() + WindowOf(other)->ScrollBarSets(), bars);
    EXPECT_EQ(pane->GetViewType(), kViewVertexFigure);
  }
  Doc().EndAllTransitions();
}

// The active pane showing a model other than the base (a compound of duals) tells the
// net panes so; its record switches in a paint must not tell them again, or the net
// pane paints itself without end and the fade never gets the idle time to finish.
TEST_F(PolyDocTest, APaintDuringATransitionLeavesTheNetPanesAlone) {
  CPolyView* pane = AddPane(kViewBasePolyhedron);
  CPolyView* net = AddPane(kViewUnfoldedNet);
  pane->Activate(false);
  SetTransitionsEnabled(false);
  ASSERT_TRUE(Doc().SetModel(Find("Cube"), false, false));
  SetTransitionsEnabled(true);
  ASSERT_TRUE(Doc().SetModel(Find("Octahedron"), false, false));
  ASSERT_EQ(Doc().CountRecords(), 2);
  ASSERT_TRUE(pane->SetViewType(kViewCompoundOfDuals, false));
  ASSERT_NE(net->GetMessage(), nullptr);
  const std::string told = net->GetMessage();
  WindowOf(pane)->Paint();
  WindowOf(net)->Paint();
  for (int round = 0; round < 2; ++round) {
    WindowOf(pane)->Paint();
    EXPECT_FALSE(WindowOf(net)->IsPaintPending());
    EXPECT_FALSE(WindowOf(pane)->IsPaintPending());
    ASSERT_NE(net->GetMessage(), nullptr);
    EXPECT_EQ(net->GetMessage(), told);
  }
  Doc().EndAllTransitions();
}

TEST_F(PolyDocTest, QuickChangesLeaveEveryOlderModelFadingOut) {
  SetTransitionsEnabled(false);
  ASSERT_TRUE(Doc().SetModel(Find("Cube"), false, false));
  SetTransitionsEnabled(true);
  ASSERT_TRUE(Doc().SetModel(Find("Octahedron"), false, false));
  DocRecord* octahedron = Doc().GetCurrentRecord();
  Advance(0.1);
  Doc().UpdateTransitions(GetTimeSeconds());
  ASSERT_TRUE(Doc().SetModel(Find("Dodecahedron"), false, false));
  EXPECT_EQ(Doc().CountRecords(), 3);
  // The octahedron, caught coming in, now goes out from where it stood.
  EXPECT_EQ(octahedron->mPoly.mTransitionDirection, 0);
  Advance(0.05);
  Doc().UpdateTransitions(GetTimeSeconds());
  Doc().EndAllTransitions();
  EXPECT_EQ(Doc().CountRecords(), 1);
  EXPECT_EQ(CountFaces(GetCurrentPoly()), 12);

  // Left to run, the two older models go too.
  ASSERT_TRUE(Doc().SetModel(Find("Cube"), false, false));
  ASSERT_TRUE(Doc().SetModel(Find("Octahedron"), false, false));
  EXPECT_EQ(Doc().CountRecords(), 3);
  for (int i = 0; i < 100 && Doc().UpdateTransitions(GetTimeSeconds()); ++i) Advance(0.1);
  EXPECT_EQ(Doc().CountRecords(), 1);
  EXPECT_EQ(CountFaces(GetCurrentPoly()), 8);
}

TEST_F(PolyDocTest, ShortOrDisabledTransitionsDoNotRun) {
  TransitionSettings* defaults = GetTransitionRecord(kOccasionDefault);
  ASSERT_NE(defaults, nullptr);
  defaults->mDuration = 0.005;
  ASSERT_TRUE(Doc().SetModel(Find("Cube"), false, false));
  EXPECT_EQ(Doc().CountRecords(), 1);
  defaults->mDuration = 1.0;
  SetTransitionsEnabled(false);
  ASSERT_TRUE(Doc().SetModel(Find("Octahedron"), false, false));
  EXPECT_EQ(Doc().CountRecords(), 1);
  // A forced occasion runs its transition even so.
  {
    ForcedTransitionOccasion startUp(kOccasionStartUp);
    ASSERT_TRUE(Doc().SetModel(Find("Tetrahedron"), false, false));
  }
  EXPECT_EQ(Doc().CountRecords(), 2);
  Doc().EndAllTransitions();
  EXPECT_EQ(Doc().CountRecords(), 1);
  EXPECT_EQ(CountFaces(GetCurrentPoly()), 4);
}

TEST_F(PolyDocTest, EachModelKeepsItsOwnCamera) {
  CPolyView* pane = AddPane(kViewBasePolyhedron);
  SetTransitionsEnabled(false);
  ASSERT_TRUE(Doc().SetModel(Find("Cube"), false, false));
  DocRecord* cube = Doc().GetCurrentRecord();
  WindowOf(pane)->Paint();
  pane->Camera().RotateAboutViewAxis(1, 30.0);
  CameraRecord turned;
  pane->Camera().GetCamera(turned);
  SetTransitionsEnabled(true);
  ASSERT_TRUE(Doc().SetModel(Find("Octahedron"), false, false));
  // The old record took the pane's camera with it.
  EXPECT_DOUBLE_EQ(cube->mCameras[0].eye[0], turned.eye[0]);
  EXPECT_EQ(cube->mViews[0].mFirst, static_cast<int32_t>(kViewBasePolyhedron));
  Doc().EndAllTransitions();
}

TEST_F(PolyDocTest, TitleAndPath) {
  SetTransitionsEnabled(false);
  ASSERT_TRUE(Doc().SetModel(Find("Cube"), false, false));
  Doc().SetPathName("/models/Great;Dodecahedron.corv", false);
  EXPECT_EQ(Doc().GetTitle(), "\"Great/Dodecahedron.corv\": 4.4.4 - Cube");
  Doc().UpdateAfterChange(kChangeKeepPath);
  EXPECT_EQ(Doc().GetPathName(), "/models/Great;Dodecahedron.corv");
  Doc().UpdateAfterChange(0);
  EXPECT_EQ(Doc().GetPathName(), "");
  EXPECT_EQ(Doc().GetTitle(), "4.4.4 - Cube");
  // A model with no name of its own and no library entry.
  Poly* poly = GetCurrentPoly();
  poly->SetName(nullptr);
  poly->SetDualName(nullptr);
  poly->mLibraryEntry = nullptr;
  poly->mTemplate = nullptr;
  Doc().UpdateTitle();
  EXPECT_EQ(Doc().GetTitle(), "<No Name>");
  EXPECT_EQ(GetPolyName(true, true), "Unnamed");
  EXPECT_EQ(GetDualPolyName(true, true), "Unnamed Dual");
}

// One model has one size on paper, whichever way it arrives: the length scale (the
// paper length of a model unit, which the information bar shows as the radius) stays
// the user's through the library, models made from coordinates and typed
// configurations; a file brings its own. (A model made from the current one keeps the
// lengths of what it was made from: DerivedModelsTest.)
TEST_F(PolyDocTest, TheLengthScaleOnEveryRoadAModelArrivesBy) {
  SetTransitionsEnabled(false);
  UnitSettings& units = GetUnitSettings();
  const UnitSettings saved = units;
  units = UnitSettings();
  // At start: the icosahedron of the configuration "3.3.3.3.3", 8 units of radius.
  ASSERT_TRUE(Doc().SetModel(Find("3.3.3.3.3"), false, false));
  EXPECT_DOUBLE_EQ(units.mLengthScale, 8.0);
  // A library model built from its stored coordinates, and back by configuration.
  ASSERT_TRUE(Doc().SetModel(Find("J1"), false, false));
  EXPECT_STREQ(GetCurrentPoly()->mName, "Square Pyramid");
  EXPECT_DOUBLE_EQ(units.mLengthScale, 8.0);
  ASSERT_TRUE(Doc().OpenModelByNameOrSymbol("3.3.3.3.3"));
  EXPECT_DOUBLE_EQ(units.mLengthScale, 8.0);
  units.SetUserLengthScale(3.0);
  ASSERT_TRUE(Doc().OpenModelByNameOrSymbol("5.5.5"));
  EXPECT_DOUBLE_EQ(units.mLengthScale, 3.0);

  // A file keeps the scale it was saved with; one that names none takes the user's.
  const std::filesystem::path folder = corvia::testing::ScratchDir("length-scale-files");
  const std::string path = (folder / "dodecahedron.corv").string();
  ASSERT_TRUE(WriteModelFile(path.c_str(), kModelFileAscii, *GetCurrentPoly()));
  std::stringstream text;
  text << std::ifstream(path).rdbuf();
  std::string withoutScale;
  for (std::string line; std::getline(text, line);) {
    if (line.find("LengthScale") == std::string::npos) withoutScale += line + "\n";
  }
  const std::string pathWithout = (folder / "no-scale.corv").string();
  std::ofstream(pathWithout) << withoutScale;
  units.SetUserLengthScale(5.0);
  ASSERT_TRUE(OpenModelFile(path.c_str(), kOpenModelFilePlain));
  EXPECT_DOUBLE_EQ(units.mLengthScale, 3.0);
  // Not the scale of the model shown before it.
  ASSERT_TRUE(OpenModelFile(pathWithout.c_str(), kOpenModelFilePlain));
  EXPECT_DOUBLE_EQ(units.mLengthScale, 5.0);

  EXPECT_TRUE(corvia::testing::Platform().messages.Boxes().empty());
  units = saved;
}

// A model is named for what was built: a truncated cuboctahedron typed by any reading
// of its configuration or by its index is the uniform one; a family's member is named
// with its own n; another solution of a configuration is its pseudo version.
TEST_F(PolyDocTest, ModelsAreNamedForWhatWasBuilt) {
  SetTransitionsEnabled(false);
  // The families keep the parameters last used in their records: put them back after.
  std::vector<std::pair<int32_t, int32_t>> params;
  for (int i = 0; i < kNumLibraryEntries; ++i) {
    params.emplace_back(gLibraryTable[i].mWenninger, gLibraryTable[i].mModelsPage);
  }
  struct Restore {
    std::vector<std::pair<int32_t, int32_t>>& saved;
    ~Restore() {
      for (int i = 0; i < kNumLibraryEntries; ++i) {
        gLibraryTable[i].mWenninger = saved[static_cast<size_t>(i)].first;
        gLibraryTable[i].mModelsPage = saved[static_cast<size_t>(i)].second;
      }
    }
  } restore{params};
  struct Case {
    const char* typed;
    const char* name;
    const char* dualName;
  };
  const Case cases[] = {
      {"4.6.8", "Truncated Cuboctahedron (8.4.6)", "Disdyakis Dodecahedron (Dual of 8.4.6)"},
      {"U11", "Truncated Cuboctahedron (8.4.6)", "Disdyakis Dodecahedron (Dual of 8.4.6)"},
      {"4.6.10", "Truncated Icosidodecahedron (10.4.6)", "Disdyakis Triacontahedron (Dual of 10.4.6)"},
      {"4.4.13", "13-gonal Prism (13.4.4)", "13-gonal Dipyramid (Dual of 13.4.4)"},
      {"3.3.3.11", "11-gonal Antiprism (11.3.3.3)", "11-gonal Trapezohedron (Dual of 11.3.3.3)"},
      {"9.4.4", "9-gonal Prism (9.4.4)", "9-gonal Dipyramid (Dual of 9.4.4)"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.typed);
    corvia::testing::Platform().messages.Clear();
    ASSERT_TRUE(Doc().OpenModelByNameOrSymbol(c.typed));
    EXPECT_EQ(GetPolyName(true, false), c.name);
    EXPECT_EQ(GetDualPolyName(true, false), c.dualName);
  }

  // Text after a configuration is named once, in one warning, and the model is built.
  corvia::testing::Platform().messages.Clear();
  ASSERT_TRUE(Doc().OpenModelByNameOrSymbol("(4.4.4) x"));
  EXPECT_EQ(corvia::testing::Platform().messages.CountTitled("Warning"), 1);
  EXPECT_EQ(GetPolyName(true, false), "Cube (4.4.4)");

  // The rhombicuboctahedron's configuration closes up a second way, with one cupola
  // turned: stepping on builds that, and names it for what it is.
  ASSERT_TRUE(Doc().OpenModelByNameOrSymbol("4.4.3.4"));
  Poly* poly = GetCurrentPoly();
  EXPECT_EQ(GetPolyName(true, false), "Rhombicuboctahedron (4.4.3.4)");
  ASSERT_EQ(poly->mBuildState, kBuildFinishedWithChoices);
  poly->BuildStep();
  ASSERT_TRUE(poly->RunBuild());
  EXPECT_FALSE(poly->IsUniform());
  EXPECT_EQ(GetPolyName(true, true), "Pseudo Rhombicuboctahedron (4.4.3.4)");

  // No record of the library is taken for a pseudo version of itself.
  for (int index = 0; index < GetNumLibraryEntries(); ++index) {
    LibraryEntry* entry = GetLibraryEntry(index);
    corvia::testing::Platform().messages.Clear();
    if (!Doc().SetModel(entry, false, false)) continue;
    const std::string name = GetPolyName(true, false);
    EXPECT_EQ(name.find("Pseudo"), std::string::npos) << index << " " << name;
  }
}

// A file that does not open is told by the document: in a box when opened, in the
// active pane when stepped onto (the step goes on to the next file); the words are
// the reader's, naming the file.
TEST_F(PolyDocTest, AFileThatDoesNotOpenIsToldInABoxOrWhenSteppingInThePane) {
  ASSERT_TRUE(Doc().SetModel(Find("Icosahedron"), false, false));
  Poly* before = GetCurrentPoly();
  const std::string path = (corvia::testing::ScratchDir("unreadable-file") / "garbage.corv").string();
  std::ofstream(path) << "not a model file\n";
  auto& platform = corvia::testing::Platform();
  platform.messages.Clear();
  platform.views.mPaneMessage.clear();
  EXPECT_FALSE(Doc().OpenEntryFile(path.c_str(), kOpenModelFileStepping));
  EXPECT_TRUE(platform.messages.Boxes().empty());
  EXPECT_EQ(platform.views.mPaneMessage.rfind("Couldn't open the model file\n", 0), 0u) << platform.views.mPaneMessage;
  EXPECT_NE(platform.views.mPaneMessage.find(path), std::string::npos);

  EXPECT_FALSE(Doc().OnOpenDocument(path.c_str()));
  ASSERT_EQ(platform.messages.Boxes().size(), 1u);
  EXPECT_EQ(platform.messages.Boxes()[0].title, "Error");
  EXPECT_EQ(platform.messages.Boxes()[0].text, platform.views.mPaneMessage);
  EXPECT_EQ(GetCurrentPoly(), before);
  platform.messages.Clear();
}


// A clock that counts every reading as a step of work: the progress window's second
// passes after so many reports, whatever the machine.
class WorkClock final : public platform::Clock {
 public:
  static constexpr double kStep = 0.05;
  double NowSeconds() const override { return mNow += kStep; }

 private:
  mutable double mNow = 0.0;
};

// Opening a file reads it and builds its model as one piece of work: the progress
// window opens a second into the open, at a report of the reading, and that one window
// takes every report of the build too (two levels one after the other would each wait
// their own second, the window closed in between). A Cancel at the first report, the
// build's first, a middle one or the last ends the open with the model, the undo list
// and the title as they were, and nothing told.
TEST_F(PolyDocTest, AnOpenIsOneProgressWindowFromTheReadingToTheBuiltModelAndItsCancelKeepsTheModel) {
  SetTransitionsEnabled(false);
  corvia::testing::DocumentUndoScope undo;
  ASSERT_TRUE(Doc().SetModel(Find("Icosahedron"), false, false));
  const std::string path = (corvia::testing::ScratchDir("open-progress") / "sphere.corv").string();
  {
    std::unique_ptr<SimplePoly> simple = GetCurrentPoly()->Subdivide(kSubdivideGeodesic, 30);
    Poly sphere;
    ASSERT_TRUE(simple && CreatePoly(*simple, &sphere, false, false).done());
    ASSERT_TRUE(WriteModelFile(path.c_str(), kModelFileBinary, sphere).done());
  }
  auto& platform = corvia::testing::Platform();
  WorkClock clock;
  platform::ServiceSet services = platform::Services();
  services.clock = &clock;
  // The test's clock and pump go however the test ends.
  struct Restore {
    platform::ServiceSet services;
    ~Restore() {
      corvia::testing::Platform().progress.Current()->onPump = nullptr;
      corvia::testing::Platform().progress.Current()->cancel = false;
      platform::InstallServices(services);
    }
  } restore{platform::InstallServices(services)};
  struct Pump {
    double at;  // from the open's start
    std::string caption;
  };
  std::vector<Pump> pumps;
  int cancelAt = 0;
  double start = 0.0;
  platform.progress.Current()->onPump = [&](platform::HeadlessProgressWindow::State& state) {
    pumps.push_back({clock.NowSeconds() - start, state.caption});
    if (int(pumps.size()) == cancelAt) state.cancel = true;
  };
  auto open = [&] {
    pumps.clear();
    platform.messages.Clear();
    start = clock.NowSeconds();
    const int windows = platform.progress.WindowsCreated();
    const bool opened = Doc().OnOpenDocument(path.c_str());
    EXPECT_EQ(platform.progress.WindowsCreated() - windows, 1);
    EXPECT_FALSE(IsProgressActive());
    return opened;
  };
  const auto isReading = [](const Pump& pump) { return pump.caption == "Reading model file"; };

  ASSERT_TRUE(open());
  ASSERT_GE(pumps.size(), 3u);
  // The first report after the open's second, three readings of the clock at most.
  EXPECT_TRUE(isReading(pumps.front())) << pumps.front().caption;
  EXPECT_LE(pumps.front().at, 1.0 + 3 * WorkClock::kStep);
  EXPECT_FALSE(isReading(pumps.back())) << pumps.back().caption;
  EXPECT_EQ(CountFaces(GetCurrentPoly()), 18000);
  const int count = int(pumps.size());
  const int firstBuild = int(std::find_if_not(pumps.begin(), pumps.end(), isReading) - pumps.begin()) + 1;

  for (const int at : {1, firstBuild, count / 2, count}) {
    SCOPED_TRACE(at);
    ASSERT_TRUE(Doc().SetModel(Find("Icosahedron"), false, false));
    Poly* before = GetCurrentPoly();
    const std::string title = Doc().GetTitle();
    const int steps = undo.List().GetNumUndos();
    cancelAt = at;
    EXPECT_FALSE(open());
    cancelAt = 0;
    platform.progress.Current()->cancel = false;
    EXPECT_EQ(GetCurrentPoly(), before);
    EXPECT_EQ(CountFaces(GetCurrentPoly()), 20);
    EXPECT_EQ(undo.List().GetNumUndos(), steps);
    EXPECT_EQ(Doc().GetTitle(), title);
    EXPECT_TRUE(platform.messages.Boxes().empty());
  }
}

}  // namespace test_PolyDoc
