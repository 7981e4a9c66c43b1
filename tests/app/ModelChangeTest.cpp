#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "core/TimeFormat.h"
#include "app/ModelChange.h"
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
class RecordingDocument : public corvia::ModelChangeDocument {
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

  FakeRecord mFirst{1};
  FakeRecord mSecond{2};
  ModelRecord* mCurrent = AsRecord(mFirst);
  Poly mFirstPoly;
  Poly mSecondPoly;
  bool mTransitionsOn = true;
  size_t mUndoCallsAtPrepare = 0;
  double mStartTime = -1.0;
  std::vector<std::string> mCalls;
};

// A flat square seen from both sides: no polyhedron.
std::unique_ptr<corvia::SimplePoly> FlatSquare() {
  return corvia::symtest::MakeModel({{0, 0, 0}, {1, 0, 0}, {1, 1, 0}, {0, 1, 0}}, {{0, 1, 2, 3}, {0, 3, 2, 1}});
}

constexpr int kUndoConvexHull = 11;
// An undo type that plays no transition.
constexpr int kUndoWithoutTransition = 2;

}  // namespace test_CreatePolyWithUndo

TEST(CreatePolyWithUndoTest, NewModelIsBuiltIntoTheTransitionRecordAndFadesIn) {
  test_CreatePolyWithUndo::RecordingDocument document;
  auto& undo = corvia::testing::Platform().undo;
  const size_t undoCalls = undo.mCalls.size();
  const int discards = undo.mDiscards;
  const double previousOverride = corvia::SetTimeOverride(12.5);

  auto cube = corvia::symtest::MakeHullModel(corvia::symtest::Cube());
  ASSERT_TRUE(CreatePolyWithUndo(document, *cube, test_CreatePolyWithUndo::kUndoConvexHull, false, true, false));
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
  auto& undo = corvia::testing::Platform().undo;
  const int discards = undo.mDiscards;

  auto& messages = corvia::testing::Platform().messages;
  messages.Clear();
  auto flat = test_CreatePolyWithUndo::FlatSquare();
  const corvia::Outcome refused =
      CreatePolyWithUndo(document, *flat, test_CreatePolyWithUndo::kUndoConvexHull, false, true, false);
  EXPECT_EQ(refused.kind(), corvia::Outcome::Kind::kRefused);
  EXPECT_EQ(refused.text().rfind("The polyhedron you want to create\ndoes not appear to be valid.", 0), 0u);
  EXPECT_TRUE(messages.Boxes().empty()) << "not told unless asked";
  const std::vector<std::string> expected = {"PrepareTransition 8", "SwitchToModel first", "UpdateAfterChange 0"};
  EXPECT_EQ(document.mCalls, expected);
  EXPECT_EQ(document.mCurrent, test_CreatePolyWithUndo::AsRecord(document.mFirst));
  EXPECT_EQ(undo.mDiscards, discards + 1);
  // The busy flag is down again on the way out of a failure too.
  EXPECT_FALSE(corvia::g_ModelBusy);

  // Told, the refusal is one error box in the same words.
  EXPECT_FALSE(CreatePolyWithUndo(document, *flat, test_CreatePolyWithUndo::kUndoConvexHull, false, true, true));
  auto boxes = messages.TakeBoxes();
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].title, "Error");
  EXPECT_EQ(boxes[0].text, refused.text());
}

TEST(CreatePolyWithUndoTest, ChangesWithoutATransitionOnlyRefresh) {
  test_CreatePolyWithUndo::RecordingDocument document;
  auto& undo = corvia::testing::Platform().undo;
  const size_t undoCalls = undo.mCalls.size();

  auto cube = corvia::symtest::MakeHullModel(corvia::symtest::Cube());
  ASSERT_TRUE(CreatePolyWithUndo(document, *cube, test_CreatePolyWithUndo::kUndoWithoutTransition, false, true, false));
  EXPECT_EQ(document.mCalls, std::vector<std::string>{"UpdateAfterChange 0"});
  EXPECT_EQ(document.mFirstPoly.mFaces.mCount, 6);

  // No undo type: no step either.
  document.mCalls.clear();
  ASSERT_TRUE(CreatePolyWithUndo(document, *cube, -1, false, true, false));
  EXPECT_EQ(document.mCalls, std::vector<std::string>{"UpdateAfterChange 0"});
  EXPECT_EQ(undo.mCalls.size(), undoCalls + 1);
}

TEST(CreatePolyWithUndoTest, TransitionsSwitchedOffBuildIntoTheCurrentRecord) {
  test_CreatePolyWithUndo::RecordingDocument document;
  document.mTransitionsOn = false;
  auto cube = corvia::symtest::MakeHullModel(corvia::symtest::Cube());
  ASSERT_TRUE(CreatePolyWithUndo(document, *cube, test_CreatePolyWithUndo::kUndoConvexHull, false, true, false));
  EXPECT_EQ(document.mFirstPoly.mFaces.mCount, 6);
  // The document decides that nothing runs when the outgoing record is the current one.
  ASSERT_EQ(document.mCalls.size(), 3u);
  EXPECT_EQ(document.mCalls[1], "DoTransition 8 first 1 0");

  // A failure then leaves the model of the current record as it was.
  document.mCalls.clear();
  auto flat = test_CreatePolyWithUndo::FlatSquare();
  EXPECT_FALSE(CreatePolyWithUndo(document, *flat, test_CreatePolyWithUndo::kUndoConvexHull, false, true, false));
  EXPECT_EQ(document.mFirstPoly.mFaces.mCount, 6);
  EXPECT_EQ(document.mCalls[1], "SwitchToModel first");
}

