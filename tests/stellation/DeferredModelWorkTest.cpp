// Long work asked for while a view draws is left for later: the nets of a large model,
// a stellation set-up the user would be asked about. Small work is done at once; what
// was left is made when the program runs it, and a cancel by the user is not undone
// by the next drawing, while one by the program is. The panes that paint while the nets
// are made leave the facet model alone, and a cancel at any point leaves it as before.

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "construction/ModelFactory.h"
#include "construction/ModelLookup.h"
#include "construction/WatermanStep.h"
#include "core/Progress.h"
#include "model/CreatePoly.h"
#include "model/FaceTypeBlock.h"
#include "model/LibraryEntry.h"
#include "nets/Model3D.h"
#include "symmetry/SimplePoly.h"
#include "platform/Clock.h"
#include "stellation/DeferredModelWork.h"
#include "stellation/Stellate.h"
#include "stellation/StellationCriteria.h"
#include "symmetry/ConvexHull.h"
#include "tests/nets/NetChecks.h"

namespace test_DeferredModelWork {

using namespace corvia;
namespace n = corvia::testing::nets;

platform::HeadlessPlatform& Headless() { return corvia::testing::Platform(); }

bool gDrawing = false;
bool Drawing() { return gDrawing; }

// The work of these models is never refused.
void NoRefusal(const Outcome& refused) {
  ADD_FAILURE() << refused.text();
}

// Moves on a second (or the step given) each time it is read, so that a progress
// window opens at once (or after a few reports).
class TickingClock final : public platform::Clock {
 public:
  explicit TickingClock(double step = 1.0) : mStep(step) {}
  double NowSeconds() const override { return mNow += mStep; }

 private:
  double mStep;
  mutable double mNow = 0.0;
};

class DeferredModelWorkTest : public n::NetsTest {
 protected:
  void SetUp() override {
    n::NetsTest::SetUp();
    mQuery = SetDrawingContextQuery(&Drawing);
    gDrawing = false;
  }
  void TearDown() override {
    SetDrawingContextQuery(mQuery);
    gDrawing = false;
    Headless().progress.Current()->onPump = nullptr;
  }
  // Runs what was left for later with a progress window whose pumps do what is given.
  static bool RunWithPumps(const std::function<void(platform::HeadlessProgressWindow::State&)>& pump,
                           double clockStep = 1.0) {
    TickingClock clock(clockStep);
    platform::ServiceSet services = platform::Services();
    services.clock = &clock;
    const platform::ServiceSet before = platform::InstallServices(services);
    Headless().progress.Current()->onPump = pump;
    const bool finished = RunDeferredModelWork(NoRefusal);
    Headless().progress.Current()->onPump = nullptr;
    platform::InstallServices(before);
    return finished;
  }

  DrawingContextQuery mQuery = nullptr;
};

TEST_F(DeferredModelWorkTest, TheNetsOfALargeModelAreMadeAfterTheDrawingThatAskedForThem) {
  std::unique_ptr<Poly> sphere = n::BuildGeodesicPoly(15);
  std::unique_ptr<Poly> icosahedron = n::BuildLibraryPoly(n::kIcosahedron);
  ASSERT_TRUE(sphere && icosahedron);
  FaceTypeBlock* block = sphere->mBaseBlock.get();
  const int requests = Headless().views.mPrepareRequests;
  gDrawing = true;
  EXPECT_EQ(block->GetModel3D(true, nullptr), nullptr);
  EXPECT_FALSE(block->HasNets());
  EXPECT_TRUE(IsModelWorkPending(block));
  // Asked again, it is noted once; the program was asked once to come back.
  block->GetModel3D(true, nullptr);
  EXPECT_EQ(Headless().views.mPrepareRequests, requests + 1);
  // The small model's nets are made at once, drawing or not.
  Model3D* small = icosahedron->mBaseBlock->GetModel3D(true, nullptr);
  ASSERT_NE(small, nullptr);
  EXPECT_TRUE(small->HasNets());
  gDrawing = false;

  EXPECT_TRUE(RunDeferredModelWork(NoRefusal));
  EXPECT_FALSE(HasDeferredModelWork());
  EXPECT_FALSE(IsModelWorkPending(block));
  ASSERT_TRUE(block->HasNets());
  n::ExpectCover(*block->GetExistingModel3D(), "frequency-15 sphere");
  EXPECT_EQ(Headless().messages.Boxes().size(), 0u);
}

// The stellation shown of a model, stepped from the core to the place given in the walk
// of the present criteria; false when the walk is shorter.
bool StepToStellation(Poly& poly, FaceTypeBlock* block, int place) {
  (void)Stellate(&poly, block, false);
  if (!block->IsStellated()) return false;
  StellationStepResult step = StepStellations(block, StellationStep::kCore);
  while (step.place.index > 0 && step.place.index < place) step = StepStellations(block, StellationStep::kNext);
  return step.place.index == place;
}

// Stellations far along the walk of models of few faces, whose set-ups are small and
// made at once: a drawing weighs the facet model by the cells shown and its nets by its
// facelets, not by the model's faces. The 28th stellation of a Waterman polyhedron gets
// its facet model of some 6,000 facelets at once and its nets later, under the progress
// window; the 73rd of the dual of a model made from the second leaves its facet model
// of some 31,000 facelets for later too. A polyhedron that is its own stellation (a
// toroid, whose cells' pieces merge into a few hundred facelets) still gets its nets at
// once.
TEST_F(DeferredModelWorkTest, TheFaceletsAndNetsOfAFarStellationAreMadeAfterTheDrawingThatAskedForThem) {
  std::unique_ptr<SimplePoly> waterman = CreateWatermanModel(0, 8, false);
  ASSERT_TRUE(waterman);
  Poly poly;
  ASSERT_TRUE(CreatePoly(*waterman, &poly, false, false));
  FaceTypeBlock* block = poly.mBaseBlock.get();
  ASSERT_LT(block->EstimateComplexity(), kDeferredStellationComplexity);
  ASSERT_TRUE(StepToStellation(poly, block, 28));
  ASSERT_LT(poly.mFaces.mCount, kDeferredNetsFacelets);
  auto runWork = [] {
    int pumps = 0;
    EXPECT_TRUE(RunWithPumps([&](auto& state) { pumps += state.caption.empty() ? 0 : 1; }));
    EXPECT_GT(pumps, 0) << "made without a progress window";
  };

  gDrawing = true;
  Model3D* drawn = block->GetModel3D(true, nullptr);
  gDrawing = false;
  ASSERT_NE(drawn, nullptr);
  EXPECT_GE(drawn->GetNumFacelets(), kDeferredNetsFacelets);
  EXPECT_FALSE(drawn->HasNets());
  EXPECT_TRUE(IsModelWorkPending(block));
  runWork();
  EXPECT_TRUE(block->HasNets());
  n::ExpectCover(*block->GetExistingModel3D(), "stellation 28 of a Waterman polyhedron");

  // A model made from the second stellation's facet model, its dual side stepped far.
  ASSERT_TRUE(StepToStellation(poly, block, 2));
  Model3D* second = block->GetModel3D(false, nullptr);
  ASSERT_NE(second, nullptr);
  std::unique_ptr<SimplePoly> made(second->CreateSimplePoly(0, nullptr));
  ASSERT_TRUE(made);
  Poly derived;
  ASSERT_TRUE(CreatePoly(*made, &derived, false, false));
  FaceTypeBlock* dual = derived.mDualBlock.get();
  ASSERT_LT(dual->EstimateComplexity(), kDeferredStellationComplexity);
  ASSERT_TRUE(StepToStellation(derived, dual, 73));
  ASSERT_LT(derived.mVertices.mCount, kDeferredNetsFacelets);
  gDrawing = true;
  EXPECT_EQ(dual->GetModel3D(false, nullptr), nullptr);
  gDrawing = false;
  EXPECT_EQ(dual->GetExistingModel3D(), nullptr);
  EXPECT_TRUE(IsModelWorkPending(dual));
  // Not made here: the work, run as the idle work runs it, is shown above.
  ForgetDeferredModelWork(dual);

  // A toroid shown as its own stellation.
  bool recognised = false;
  LibraryEntry* toroid = LookUpModel("Drilled Truncated Dodecahedron", &recognised, nullptr, nullptr, false);
  ASSERT_NE(toroid, nullptr);
  std::unique_ptr<SimplePoly> drilled = toroid->CreatePoly(false);
  ASSERT_TRUE(drilled);
  Poly own;
  ASSERT_TRUE(CreatePoly(*drilled, &own, false, false));
  ASSERT_FALSE(own.mBaseBlock->HasPlainFacetModel());
  gDrawing = true;
  Model3D* toroidModel = own.mBaseBlock->GetModel3D(true, nullptr);
  gDrawing = false;
  ASSERT_NE(toroidModel, nullptr);
  EXPECT_TRUE(toroidModel->HasNets());
  EXPECT_FALSE(HasDeferredModelWork());
}

TEST_F(DeferredModelWorkTest, NetsTheUserCancelledAreNotAskedForAgainByADrawingButOnesTheProgramStoppedAre) {
  std::unique_ptr<Poly> sphere = n::BuildGeodesicPoly(15);
  ASSERT_TRUE(sphere);
  FaceTypeBlock* block = sphere->mBaseBlock.get();
  gDrawing = true;
  block->GetModel3D(true, nullptr);
  gDrawing = false;
  // Cancelled once the facelets are made, at the first report of the nets.
  EXPECT_FALSE(RunWithPumps([](auto& state) {
    if (state.caption.rfind(kMakingNetsCaption, 0) == 0) state.cancel = true;
  }));
  EXPECT_FALSE(IsProgressActive());
  Model3D* model = block->GetExistingModel3D();
  ASSERT_NE(model, nullptr);
  EXPECT_FALSE(model->HasNets());
  EXPECT_TRUE(model->mNetsCancelled);
  gDrawing = true;
  EXPECT_EQ(block->GetModel3D(true, nullptr), model);
  EXPECT_FALSE(HasDeferredModelWork());

  // Stopped by the program (the user chose a command meanwhile): the next drawing asks
  // again.
  model->mNetsCancelled = false;
  block->GetModel3D(true, nullptr);
  gDrawing = false;
  EXPECT_FALSE(RunWithPumps([](auto&) { RequestProgressCancel(); }));
  EXPECT_FALSE(model->HasNets());
  EXPECT_FALSE(model->mNetsCancelled);
  gDrawing = true;
  block->GetModel3D(true, nullptr);
  EXPECT_TRUE(HasDeferredModelWork());
  gDrawing = false;
  // Asked for outside a drawing, the nets are made.
  EXPECT_TRUE(RunDeferredModelWork(NoRefusal));
  EXPECT_TRUE(model->HasNets());
}

// A Cancel while the facelets are made ends them at that report: no half-made facet
// model stays, and the drawings do not begin it again (nor its nets) until something
// asks outside a drawing, which makes both at once. A stop the program asked for is
// asked for again by the next drawing.
TEST_F(DeferredModelWorkTest, ACancelWhileTheFaceletsAreMadeEndsThemAtThatReportAndNoDrawingBeginsThemAgain) {
  std::unique_ptr<Poly> sphere = n::BuildGeodesicPoly(15);
  std::unique_ptr<Poly> counted = n::BuildGeodesicPoly(15);
  ASSERT_TRUE(sphere && counted);
  FaceTypeBlock* block = sphere->mBaseBlock.get();
  auto leaveForLater = [](FaceTypeBlock* b) {
    gDrawing = true;
    EXPECT_EQ(b->GetModel3D(true, nullptr), nullptr);
    gDrawing = false;
  };
  // Once through, to count the reports of the facelets.
  leaveForLater(counted->mBaseBlock.get());
  int faceletReports = 0;
  ASSERT_TRUE(RunWithPumps([&](auto& state) {
    if (state.caption == kMakingFaceletsCaption) ++faceletReports;
  }));
  ASSERT_GT(faceletReports, 10);
  for (const int at : {1, faceletReports / 2, faceletReports}) {
    SCOPED_TRACE("cancelled at report " + std::to_string(at));
    leaveForLater(block);
    ASSERT_TRUE(HasDeferredModelWork());
    int pumps = 0;
    EXPECT_FALSE(RunWithPumps([&](auto& state) {
      if (++pumps == at) state.cancel = true;
    }));
    // The level that ran the work reads the same Cancel once more as it closes.
    EXPECT_LE(pumps, at + 1) << "the facelets went on after the Cancel";
    EXPECT_EQ(block->GetExistingModel3D(), nullptr);
    EXPECT_FALSE(IsProgressActive());
    gDrawing = true;
    EXPECT_EQ(block->GetModel3D(true, nullptr), nullptr);
    EXPECT_FALSE(HasDeferredModelWork());
    gDrawing = false;
    // Asked for again as a net pane chosen again asks.
    block->mModel3DCancelled = 0;
  }
  // Stopped by the program: the next drawing asks again.
  leaveForLater(block);
  EXPECT_FALSE(RunWithPumps([](auto&) { RequestProgressCancel(); }));
  EXPECT_EQ(block->GetExistingModel3D(), nullptr);
  leaveForLater(block);
  EXPECT_TRUE(HasDeferredModelWork());
  EXPECT_TRUE(RunDeferredModelWork(NoRefusal));
  ASSERT_TRUE(block->HasNets());
  n::ExpectCover(*block->GetExistingModel3D(), "frequency-15 sphere");
  // Cancelled again, a command that needs the nets makes them at once.
  block->ForgetFacetModel();
  leaveForLater(block);
  EXPECT_FALSE(RunWithPumps([](auto& state) { state.cancel = true; }));
  ASSERT_EQ(block->GetExistingModel3D(), nullptr);
  Model3D* model = block->GetModel3D(true, nullptr);
  ASSERT_NE(model, nullptr);
  EXPECT_TRUE(model->HasNets());
  EXPECT_EQ(Headless().messages.Boxes().size(), 0u);
}

// The progress window of the work left for later says what is being made from its
// first pump to its last.
TEST_F(DeferredModelWorkTest, TheProgressOfWorkLeftForLaterShowsACaptionThroughout) {
  std::unique_ptr<Poly> sphere = n::BuildGeodesicPoly(15);
  ASSERT_TRUE(sphere);
  gDrawing = true;
  sphere->mBaseBlock->GetModel3D(true, nullptr);
  gDrawing = false;
  int pumps = 0;
  std::vector<std::string> empty;
  ASSERT_TRUE(RunWithPumps([&](auto& state) {
    ++pumps;
    if (state.caption.empty()) empty.push_back("pump " + std::to_string(pumps));
  }, 0.25));
  EXPECT_GT(pumps, 2);
  EXPECT_TRUE(empty.empty()) << empty.size() << " pumps without a caption, the first at " << empty.front();
  EXPECT_TRUE(sphere->mBaseBlock->HasNets());
}

TEST_F(DeferredModelWorkTest, AStellationTheUserWouldBeAskedAboutIsNotSetUpWhileDrawing) {
  std::unique_ptr<Poly> sphere = n::BuildGeodesicPoly(4);
  ASSERT_TRUE(sphere);
  FaceTypeBlock* block = sphere->mBaseBlock.get();
  ASSERT_GE(block->EstimateComplexity(), kDeferredStellationComplexity);
  gDrawing = true;
  (void)Stellate(sphere.get(), block, false);
  EXPECT_FALSE(block->IsStellated());
  EXPECT_TRUE(Headless().messages.Boxes().empty());
  EXPECT_TRUE(IsModelWorkPending(block));
  gDrawing = false;
  // Made later, the set-up asks first; declined, it is not asked for again.
  Headless().messages.QueueAnswer(1);
  RunDeferredModelWork(NoRefusal);
  ASSERT_EQ(Headless().messages.Boxes().size(), 1u);
  EXPECT_EQ(Headless().messages.Boxes()[0].title, "WARNING");
  EXPECT_FALSE(block->IsStellated());
  gDrawing = true;
  (void)Stellate(sphere.get(), block, false);
  EXPECT_FALSE(HasDeferredModelWork());
  gDrawing = false;
  Headless().messages.Clear();
}

TEST_F(DeferredModelWorkTest, WorkForABlockThatGoesIsForgotten) {
  std::unique_ptr<Poly> sphere = n::BuildGeodesicPoly(15);
  ASSERT_TRUE(sphere);
  gDrawing = true;
  sphere->mBaseBlock->GetModel3D(true, nullptr);
  gDrawing = false;
  ASSERT_TRUE(HasDeferredModelWork());
  sphere.reset();
  EXPECT_FALSE(HasDeferredModelWork());
  EXPECT_TRUE(RunDeferredModelWork(NoRefusal));
}

// The nets of a model made from others (the convex hull of a compound with its dual),
// made as the program's idle work makes them and cancelled by the user at each of
// their reports in turn. At every report the panes paint first, the stellation pane of
// the same side among them, whose small set-up runs at once: the facet model whose nets
// are being made stays, and each cancel leaves it as it was before the nets were begun
// (no nets, the edgelets' marks as they were, no tabs). Under the sanitizers this is
// where a freed facet model was written to.
TEST_F(DeferredModelWorkTest, PanesPaintedWhileTheNetsOfADerivedModelAreMadeAndCancelledAnywhereLeaveItAsBefore) {
  std::unique_ptr<Poly> base = n::BuildLibraryPoly(n::kTruncatedTetrahedron);
  ASSERT_TRUE(base);
  std::unique_ptr<SimplePoly> compound(MakeCompoundWithDual(*base, 0));
  ASSERT_TRUE(compound);
  std::unique_ptr<SimplePoly> hull = CreateConvexHull(*compound, kHullKeepColors);
  ASSERT_TRUE(hull);
  Poly derived;
  ASSERT_TRUE(CreatePoly(*hull, &derived, false, false));
  FaceTypeBlock* block = derived.mBaseBlock.get();
  Model3D* model = block->GetModel3D(false, nullptr);
  ASSERT_NE(model, nullptr);
  auto edgeMarks = [model] {
    std::vector<uint32_t> marks;
    for (Face3D* f : n::AllFacelets(*model)) {
      for (int i = 0; i < f->GetNumEdges(); ++i) {
        marks.push_back(f->mEdges[i].flags | (f->mEdges[i].tab ? 1u << 31 : 0u));
      }
    }
    return marks;
  };
  const std::vector<uint32_t> marks = edgeMarks();
  int pumps = 0;
  int cancelAt = -1;
  bool inPump = false;
  auto pump = [&](platform::HeadlessProgressWindow::State& state) {
    if (inPump) return;
    inPump = true;
    ++pumps;
    gDrawing = true;
    EXPECT_FALSE(Stellate(&derived, block, false).told());
    gDrawing = false;
    if (pumps == cancelAt) state.cancel = true;
    inPump = false;
  };
  {
    // Once through, to count the reports of the nets alone.
    std::unique_ptr<Poly> again = std::make_unique<Poly>();
    ASSERT_TRUE(CreatePoly(*hull, again.get(), false, false));
    ASSERT_NE(again->mBaseBlock->GetModel3D(false, nullptr), nullptr);
    TickingClock clock;
    platform::ServiceSet services = platform::Services();
    services.clock = &clock;
    const platform::ServiceSet before = platform::InstallServices(services);
    Headless().progress.Current()->onPump = [&](auto&) { ++pumps; };
    Model3D* whole = again->mBaseBlock->GetModel3D(true, nullptr);
    Headless().progress.Current()->onPump = nullptr;
    platform::InstallServices(before);
    ASSERT_TRUE(whole && whole->HasNets());
  }
  const int total = pumps;
  ASSERT_GT(total, 10);
  TickingClock clock;
  platform::ServiceSet services = platform::Services();
  services.clock = &clock;
  const platform::ServiceSet before = platform::InstallServices(services);
  Headless().progress.Current()->onPump = pump;
  for (int at = 1; at <= total && !HasFailure(); ++at) {
    SCOPED_TRACE("cancelled at report " + std::to_string(at));
    pumps = 0;
    cancelAt = at;
    EXPECT_EQ(block->GetModel3D(true, nullptr), model);
    ASSERT_EQ(block->GetExistingModel3D(), model) << "the facet model went while its nets were made";
    // A Cancel read inside a step that cannot stop half-way (a table growing) is heard
    // at the next report.
    EXPECT_GE(pumps, at);
    EXPECT_LE(pumps, at + 1);
    EXPECT_FALSE(model->HasNets());
    EXPECT_TRUE(model->mNetsCancelled);
    EXPECT_EQ(model->mNetTypes, nullptr);
    for (Face3D* f : n::AllFacelets(*model)) {
      EXPECT_EQ(f->mNet, nullptr);
      EXPECT_EQ(f->mNextInNet, nullptr);
    }
    EXPECT_EQ(edgeMarks(), marks);
    EXPECT_FALSE(IsProgressActive());
  }
  cancelAt = -1;
  Headless().progress.Current()->onPump = nullptr;
  platform::InstallServices(before);
  // The panes then get their stellation, and the nets are made whole.
  EXPECT_FALSE(Stellate(&derived, block, false).told());
  EXPECT_TRUE(block->IsStellated());
  model = block->GetModel3D(true, nullptr);
  ASSERT_NE(model, nullptr);
  EXPECT_TRUE(model->HasNets());
  n::ExpectCover(*model, "the hull of a compound");
  EXPECT_EQ(Headless().messages.CountTitled("Internal Error"), 0);
}

// A model rebuilt in place (the cube a Cancel or an undo brings back over its cut)
// pumps the window while its faces get their types and axes: the net pane painted
// meanwhile makes nothing of the half-made model, whose nets are then a fresh cube's.
TEST_F(DeferredModelWorkTest, PanesPaintedWhileAModelIsRebuiltInPlaceMakeItsNetsOnlyOnceItIsMade) {
  std::unique_ptr<Poly> cube = n::BuildLibraryPoly(n::kCube);
  std::unique_ptr<SimplePoly> cut = cube->Subdivide(0, 4);
  std::unique_ptr<SimplePoly> plain = GetLibraryEntry(n::kCube)->CreatePoly(false);
  Poly poly;
  ASSERT_TRUE(cut && plain && CreatePoly(*cut, &poly, false, false));
  int paints = 0;
  TickingClock clock(0.1);
  platform::ServiceSet services = platform::Services();
  services.clock = &clock;
  const platform::ServiceSet before = platform::InstallServices(services);
  Headless().progress.Current()->onPump = [&](auto&) {
    if (gDrawing) return;
    ++paints;
    gDrawing = true;
    poly.mBaseBlock->GetModel3D(true, nullptr);
    gDrawing = false;
  };
  EXPECT_TRUE(CreatePoly(*plain, &poly, false, false, true).done());
  Headless().progress.Current()->onPump = nullptr;
  platform::InstallServices(before);
  EXPECT_GT(paints, 3);
  Model3D* model = poly.mBaseBlock->GetModel3D(true, nullptr);
  ASSERT_TRUE(model && model->HasNets());
  EXPECT_EQ(model->GetNumNets(), 1);
  n::ExpectCover(*model, "the cube rebuilt over its cut");
}

}  // namespace test_DeferredModelWork
