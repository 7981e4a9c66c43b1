#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "core/TimeFormat.h"
#include "model/CreatePoly.h"
#include "model/Globals.h"
#include "model/ModelBusy.h"
#include "model/Poly.h"
#include "symmetry/SimplePoly.h"
#include "symmetry/SymGroup.h"
#include "tests/support/TestSupport.h"
#include "tests/symmetry/FindSymmetriesModels.h"

namespace test_CreatePolyWithUndo {

using corvia::ModelRecord;
using corvia::Poly;

// Stands in for records of the document's model list; never looked into.
struct FakeRecord {
  int id;
};

ModelRecord* AsRecord(FakeRecord& record) { return reinterpret_cast<ModelRecord*>(&record); }

// A document with two model records: preparing a transition makes the second current
// (the model is built into it); switching back makes the first current again.
class RecordingDocument : public corvia::DocumentAccess {
 public:
  Poly* GetCurrentPoly() override { return mCurrent == AsRecord(mFirst) ? &mFirstPoly : &mSecondPoly; }
  void PrepareTransition(int occasion, ModelRecord** outRecord) override {
    mCalls.push_back("PrepareTransition " + std::to_string(occasion));
    mUndoCallsAtPrepare = corvia::testing::Platform().undo.mCalls.size();
    *outRecord = mCurrent;
    if (mTransitionsOn) mCurrent = AsRecord(mSecond);
  }
  void SwitchToModel(ModelRecord* record) override {
    mCalls.push_back(std::string("SwitchToModel ") + (record == AsRecord(mFirst) ? "first" : "other"));
    mCurrent = record;
  }
  bool DoTransition(int occasion, double startTime, ModelRecord* outgoing, bool restoreMouseThrow,
                    bool restartMouseThrows) override {
    mCalls.push_back("DoTransition " + std::to_string(occasion) + (outgoing == AsRecord(mFirst) ? " first" : " other") +
                     (restoreMouseThrow ? " 1" : " 0") + (restartMouseThrows ? " 1" : " 0"));
    mStartTime = startTime;
    return true;
  }
  void UpdateAfterChange(int flags) override { mCalls.push_back("UpdateAfterChange " + std::to_string(flags)); }
  bool IsCrossSectionShown() override {
    mBusyDuringSetUp = corvia::g_ModelBusy;
    return mCrossSectionShown;
  }
  void SetCrossSectionDirection(const double* direction) override {
    mDirection.assign(direction, direction + 3);
  }

  FakeRecord mFirst{1};
  FakeRecord mSecond{2};
  ModelRecord* mCurrent = AsRecord(mFirst);
  Poly mFirstPoly;
  Poly mSecondPoly;
  bool mTransitionsOn = true;
  bool mCrossSectionShown = false;
  bool mBusyDuringSetUp = false;
  size_t mUndoCallsAtPrepare = 0;
  double mStartTime = -1.0;
  std::vector<std::string> mCalls;
  std::vector<double> mDirection;
};

// Installs the document for the test's life.
class Installed {
 public:
  explicit Installed(corvia::DocumentAccess* access) : mPrevious(corvia::InstallDocumentAccess(access)) {}
  ~Installed() { corvia::InstallDocumentAccess(mPrevious); }

 private:
  corvia::DocumentAccess* mPrevious;
};

// A flat square seen from both sides: no polyhedron.
std::unique_ptr<corvia::SimplePoly> FlatSquare() {
  return corvia::symtest::MakeModel({{0, 0, 0}, {1, 0, 0}, {1, 1, 0}, {0, 1, 0}}, {{0, 1, 2, 3}, {0, 3, 2, 1}});
}

constexpr int kUndoConvexHull = 11;
constexpr int kHullOccasion = 8;
// An undo type that plays no transition.
constexpr int kUndoWithoutTransition = 2;

}  // namespace test_CreatePolyWithUndo

TEST(CreatePolyWithUndoTest, NewModelIsBuiltIntoTheTransitionRecordAndFadesIn) {
  test_CreatePolyWithUndo::RecordingDocument document;
  test_CreatePolyWithUndo::Installed installed(&document);
  auto& undo = corvia::testing::Platform().undo;
  const size_t undoCalls = undo.mCalls.size();
  const int discards = undo.mDiscards;
  const double previousOverride = corvia::SetTimeOverride(12.5);

  auto cube = corvia::symtest::MakeHullModel(corvia::symtest::Cube());
  ASSERT_TRUE(CreatePolyWithUndo(*cube, test_CreatePolyWithUndo::kUndoConvexHull, false, true));
  // The undo step is recorded before the transition takes the old model aside.
  ASSERT_EQ(undo.mCalls.size(), undoCalls + 1);
  EXPECT_EQ(undo.mCalls.back().type, test_CreatePolyWithUndo::kUndoConvexHull);
  EXPECT_EQ(document.mUndoCallsAtPrepare, undoCalls + 1);
  EXPECT_EQ(undo.mDiscards, discards);
  const std::vector<std::string> expected = {"PrepareTransition 8", "DoTransition 8 first 1 0", "UpdateAfterChange 0"};
  EXPECT_EQ(document.mCalls, expected);
  EXPECT_EQ(document.mStartTime, 12.5);
  corvia::SetTimeOverride(previousOverride);
  // The model went into the new record; the old one is untouched.
  EXPECT_EQ(document.mSecondPoly.mFaces.mCount, 6);
  EXPECT_EQ(document.mFirstPoly.mFaces.mCount, 0);
}

TEST(CreatePolyWithUndoTest, FailedModelBringsThePreviousRecordBack) {
  test_CreatePolyWithUndo::RecordingDocument document;
  test_CreatePolyWithUndo::Installed installed(&document);
  auto& undo = corvia::testing::Platform().undo;
  const int discards = undo.mDiscards;

  auto flat = test_CreatePolyWithUndo::FlatSquare();
  EXPECT_FALSE(CreatePolyWithUndo(*flat, test_CreatePolyWithUndo::kUndoConvexHull, false, true));
  const std::vector<std::string> expected = {"PrepareTransition 8", "SwitchToModel first", "UpdateAfterChange 0"};
  EXPECT_EQ(document.mCalls, expected);
  EXPECT_EQ(document.mCurrent, test_CreatePolyWithUndo::AsRecord(document.mFirst));
  EXPECT_EQ(undo.mDiscards, discards + 1);
  // The busy flag is down again on the way out of a failure too.
  EXPECT_FALSE(corvia::g_ModelBusy);
  corvia::testing::Platform().messages.Clear();
}

TEST(CreatePolyWithUndoTest, ChangesWithoutATransitionOnlyRefresh) {
  test_CreatePolyWithUndo::RecordingDocument document;
  test_CreatePolyWithUndo::Installed installed(&document);
  auto& undo = corvia::testing::Platform().undo;
  const size_t undoCalls = undo.mCalls.size();

  auto cube = corvia::symtest::MakeHullModel(corvia::symtest::Cube());
  ASSERT_TRUE(CreatePolyWithUndo(*cube, test_CreatePolyWithUndo::kUndoWithoutTransition, false, true));
  EXPECT_EQ(document.mCalls, std::vector<std::string>{"UpdateAfterChange 0"});
  EXPECT_EQ(document.mFirstPoly.mFaces.mCount, 6);

  // No undo type: no step either.
  document.mCalls.clear();
  ASSERT_TRUE(CreatePolyWithUndo(*cube, -1, false, true));
  EXPECT_EQ(document.mCalls, std::vector<std::string>{"UpdateAfterChange 0"});
  EXPECT_EQ(undo.mCalls.size(), undoCalls + 1);
}

TEST(CreatePolyWithUndoTest, TransitionsSwitchedOffBuildIntoTheCurrentRecord) {
  test_CreatePolyWithUndo::RecordingDocument document;
  document.mTransitionsOn = false;
  test_CreatePolyWithUndo::Installed installed(&document);
  auto cube = corvia::symtest::MakeHullModel(corvia::symtest::Cube());
  ASSERT_TRUE(CreatePolyWithUndo(*cube, test_CreatePolyWithUndo::kUndoConvexHull, false, true));
  EXPECT_EQ(document.mFirstPoly.mFaces.mCount, 6);
  // The document decides that nothing runs when the outgoing record is the current one.
  ASSERT_EQ(document.mCalls.size(), 3u);
  EXPECT_EQ(document.mCalls[1], "DoTransition 8 first 1 0");

  // A failure then leaves the model of the current record as it was.
  document.mCalls.clear();
  auto flat = test_CreatePolyWithUndo::FlatSquare();
  EXPECT_FALSE(CreatePolyWithUndo(*flat, test_CreatePolyWithUndo::kUndoConvexHull, false, true));
  EXPECT_EQ(document.mFirstPoly.mFaces.mCount, 6);
  EXPECT_EQ(document.mCalls[1], "SwitchToModel first");
  corvia::testing::Platform().messages.Clear();
}

TEST(CreatePolyWithUndoTest, WithoutADocumentNothingIsBuilt) {
  auto& undo = corvia::testing::Platform().undo;
  const int discards = undo.mDiscards;
  auto cube = corvia::symtest::MakeHullModel(corvia::symtest::Cube());
  EXPECT_FALSE(CreatePolyWithUndo(*cube, test_CreatePolyWithUndo::kUndoConvexHull, false, true));
  EXPECT_EQ(undo.mDiscards, discards + 1);
}

TEST(CreatePolyWithUndoTest, SetUpRunsBusyAndResetsAShownCrossSection) {
  test_CreatePolyWithUndo::RecordingDocument document;
  test_CreatePolyWithUndo::Installed installed(&document);
  auto cube = corvia::symtest::MakeHullModel(corvia::symtest::Cube());

  ASSERT_TRUE(CreatePoly(*cube, &document.mFirstPoly, false, true));
  EXPECT_TRUE(document.mBusyDuringSetUp);
  EXPECT_FALSE(corvia::g_ModelBusy);
  // Without a cross-section on display its direction stays.
  EXPECT_TRUE(document.mDirection.empty());

  document.mCrossSectionShown = true;
  ASSERT_TRUE(CreatePoly(*cube, &document.mFirstPoly, false, true));
  ASSERT_EQ(document.mDirection.size(), 3u);
  const corvia::SymGroup* group = document.mFirstPoly.mSymGroup;
  ASSERT_NE(group, nullptr);
  for (int i = 0; i < 3; ++i) EXPECT_EQ(document.mDirection[i], group->axisTypes[0].axes[0].direction[i]);

  // A flag raised by an outer operation stays raised.
  corvia::g_ModelBusy = true;
  ASSERT_TRUE(CreatePoly(*cube, &document.mFirstPoly, false, true));
  EXPECT_TRUE(corvia::g_ModelBusy);
  corvia::g_ModelBusy = false;
}
