// Memory that runs out inside an operation a person started (a stellation, a command, an
// open, an undo) ends that operation as a Cancel does: the model and the undo list stay
// as they were, and a box says in words that there was not enough memory. The program
// goes on, and the same work goes through once there is room.

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <functional>
#include <string>

#include "app/ModelUndo.h"
#include "app/UndoList.h"
#include "core/OperationGuard.h"
#include "core/Progress.h"
#include "files/ModelFile.h"
#include "model/PolyElement.h"
#include "platform/Services.h"
#include "render/OutcomeBoxes.h"
#include "stellation/DeferredModelWork.h"
#include "tests/app/AppTestSupport.h"
#include "tests/support/AllocationHook.h"
#include "ui/CommandIds.h"
#include "ui/CommandTable.h"

namespace corvia::testing {
namespace {

// Far less than any of the operations below takes, far more than telling about it.
constexpr size_t kScarceMemory = 4u << 20;
// Enough to read a model of 32,000 faces and build part of it: the failure comes after
// the current model has begun to change.
constexpr size_t kMemoryForPartOfTheModel = 24u << 20;
constexpr const char* kNotEnoughMemory = "There was not enough memory to ";

struct Look {
  std::string name;
  int faces = 0;
  int vertices = 0;
  int undos = 0;
  int redos = 0;
  bool operator==(const Look&) const = default;
};

std::ostream& operator<<(std::ostream& out, const Look& look) {
  return out << look.name << " F" << look.faces << " V" << look.vertices << " undo " << look.undos << " redo "
             << look.redos;
}

class OutOfMemoryTest : public DocumentTest {
 protected:
  void SetUp() override {
    DocumentTest::SetUp();
    SetTransitionsEnabled(false);
    platform::ServiceSet set = platform::Services();
    mPrevious = set.undo;
    set.undo = &mList;
    platform::InstallServices(set);
    ASSERT_TRUE(Doc().SetModel(Find("3.3.3.3.3"), false, false));
    Platform().messages.Clear();
  }
  void TearDown() override {
    platform::ServiceSet set = platform::Services();
    set.undo = mPrevious;
    platform::InstallServices(set);
    Platform().messages.Clear();
    DocumentTest::TearDown();
  }

  Look TakeLook() const {
    Look look;
    if (const Poly* poly = GetCurrentPoly()) {
      look.name = poly->mName ? poly->mName : "";
      look.faces = poly->mFaces.mCount;
      look.vertices = poly->mVertices.mCount;
    }
    look.undos = mList.GetNumUndos();
    look.redos = mList.GetNumRedos();
    return look;
  }

  // The geodesic sphere of the frequency made from the current model, one undo step.
  void MakeGeodesicSphere(int frequency) {
    Platform().messages.QueueText(std::to_string(frequency));
    ASSERT_TRUE(RunDocCommand(kCmdGeodesicSphere));
  }

  // The boxes that told of a lack of memory, each checked for the operation's words.
  int CountMemoryBoxes(const std::string& operation) {
    int count = 0;
    for (const auto& box : Platform().messages.Boxes()) {
      if (box.text.rfind(kNotEnoughMemory, 0) != 0) continue;
      ++count;
      EXPECT_EQ(box.title, "Error");
      EXPECT_NE(box.text.find(operation), std::string::npos) << box.text;
    }
    return count;
  }

  // Runs the operation with too little memory for its model, once failing before the
  // current model is touched and once after it has begun to change: it fails, told in
  // the operation's words, and the model and the undo list are as they were.
  void ExpectEndedAsItWas(const std::function<bool()>& operation, const std::string& words) {
    const Look before = TakeLook();
    for (const size_t memory : {kScarceMemory, kMemoryForPartOfTheModel}) {
      SCOPED_TRACE(memory);
      bool done = true;
      {
        AllocationLimit limit(memory);
        done = operation();
        EXPECT_GT(limit.Failures(), 0);
      }
      EXPECT_FALSE(done);
      EXPECT_EQ(TakeLook(), before);
      EXPECT_EQ(CountMemoryBoxes(words), 1);
      EXPECT_NE(Platform().messages.Boxes().back().text.find("the model is as it was"), std::string::npos);
      EXPECT_FALSE(mList.IsRestoring());
      EXPECT_EQ(GetProgressLevel(), 0);
      Platform().messages.Clear();
    }
  }

  DocumentUndoModel mModel;
  UndoList mList{mModel};
  platform::UndoHooks* mPrevious = nullptr;
};

// The set-up of a stellation stops, leaves no half-made diagram and says why; with room
// it goes through.
TEST_F(OutOfMemoryTest, AStellationSetUpEndsInWordsAndLeavesNoHalfMadeDiagram) {
  MakeGeodesicSphere(3);
  Poly* poly = GetCurrentPoly();
  ASSERT_EQ(poly->mFaces.mCount, 180);
  FaceTypeBlock* block = poly->mBaseBlock.get();
  const Look before = TakeLook();
  Outcome why;
  {
    AllocationLimit limit(kScarceMemory);
    why = Stellate(poly, block, false);
    EXPECT_GT(limit.Failures(), 0);
  }
  EXPECT_EQ(why.kind(), Outcome::Kind::kRefused);
  EXPECT_NE(why.text().find("not enough memory to set up this model's stellation"), std::string::npos) << why.text();
  EXPECT_FALSE(block->IsStellated());
  EXPECT_EQ(block->mFirstCell, nullptr);
  EXPECT_EQ(TakeLook(), before);
  EXPECT_EQ(GetProgressLevel(), 0);

  // No verdict on the model: the next step asks again, and with room goes through.
  EXPECT_TRUE(StellateForStep(poly, block).done());
  EXPECT_TRUE(block->IsStellated());
}

// A command whose model does not fit: the model it began from comes back from the undo
// step the command recorded, which goes.
TEST_F(OutOfMemoryTest, SubdivideFacesEndsWithTheModelAndUndoListAsTheyWere) {
  const Look before = TakeLook();
  bool ran = true;
  {
    AllocationLimit limit(kScarceMemory);
    Platform().messages.QueueText("20");
    // As the main window routes a menu command.
    ran = RunOperation("carry out \"Subdivide Faces\"", [] { RunDocCommand(kCmdSubdivideFaces); });
    EXPECT_GT(limit.Failures(), 0);
  }
  EXPECT_FALSE(ran);
  EXPECT_EQ(TakeLook(), before);
  EXPECT_EQ(CountMemoryBoxes("carry out \"Subdivide Faces\""), 1);
  EXPECT_EQ(GetProgressLevel(), 0);

  Platform().messages.Clear();
  Platform().messages.QueueText("20");
  ASSERT_TRUE(RunDocCommand(kCmdSubdivideFaces));
  EXPECT_EQ(GetCurrentPoly()->mFaces.mCount, 20 * 20 * 20);
  EXPECT_EQ(mList.GetNumUndos(), before.undos + 1);
}

// The facets a stellation pane draws, left to the idle work, run out of memory: told
// once, and the pane, left empty, says why on every paint without asking again.
TEST_F(OutOfMemoryTest, AStellationPaneWhoseFacetsDidNotFitSaysWhyItIsEmpty) {
  MakeGeodesicSphere(40);
  CPolyView* pane = AddPane(kViewStellationOfBase);
  FaceTypeBlock* block = GetCurrentPoly()->mBaseBlock.get();
  WindowOf(pane)->Paint();
  ASSERT_TRUE(IsModelWorkPending(block));
  Platform().messages.Clear();
  {
    AllocationLimit limit(kScarceMemory);
    EXPECT_TRUE(RunDeferredModelWork(TellOutcome));
    EXPECT_GT(limit.Failures(), 0);
  }
  EXPECT_EQ(block->GetExistingModel3D(), nullptr);
  // No face keeps a facelet of the model that was not made.
  for (const PolyElement* face = GetCurrentPoly()->mFaces.mHead; face; face = face->mNext)
    ASSERT_EQ(face->GetOwnFace3D(), nullptr) << "face " << face->mIndex;
  EXPECT_EQ(CountMemoryBoxes("make this model's facets"), 1);
  Platform().messages.Clear();
  for (int paint = 0; paint < 2; ++paint) {
    WindowOf(pane)->Paint();
    std::string words = pane->Drawing().GetPaneStatusText();
    std::replace(words.begin(), words.end(), '\n', ' ');
    EXPECT_EQ(words.rfind("There was not enough memory to make this model's facets", 0), 0u) << words;
  }
  EXPECT_FALSE(IsModelWorkPending(block));
  EXPECT_TRUE(Platform().messages.Boxes().empty());
}

// A model file too large for the memory left: the model shown before stays, and no
// step is left on the undo list.
TEST_F(OutOfMemoryTest, AnOpenEndsWithTheModelAndUndoListAsTheyWere) {
  MakeGeodesicSphere(40);
  const std::string path = (ScratchDir("out-of-memory-open") / "sphere.corv").string();
  ASSERT_TRUE(WriteModelFile(path.c_str(), kModelFileAscii, *GetCurrentPoly()));
  ASSERT_TRUE(Doc().SetModel(Find("Cube"), false, false));
  Platform().messages.Clear();
  ExpectEndedAsItWas([&] { return Doc().OnOpenDocument(path.c_str()); }, "open \"sphere.corv\"");

  Platform().messages.Clear();
  ASSERT_TRUE(Doc().OnOpenDocument(path.c_str()));
  EXPECT_EQ(GetCurrentPoly()->mFaces.mCount, 32000);
}

// With the user's undo list off, an operation still keeps what puts the model back: an
// open and a command that run out of memory leave it as it was, and what they kept goes.
TEST_F(OutOfMemoryTest, WithUndoOffAnOpenAndACommandEndWithTheModelAsItWas) {
  MakeGeodesicSphere(40);
  const std::string path = (ScratchDir("out-of-memory-undo-off") / "sphere.corv").string();
  ASSERT_TRUE(WriteModelFile(path.c_str(), kModelFileAscii, *GetCurrentPoly()));
  ASSERT_TRUE(Doc().SetModel(Find("Cube"), false, false));
  UndoLimits off;
  off.enabled = false;
  mList.SetLimits(off);
  Platform().messages.Clear();
  ExpectEndedAsItWas([&] { return Doc().OnOpenDocument(path.c_str()); }, "open \"sphere.corv\"");
  ExpectEndedAsItWas(
      [] {
        Platform().messages.QueueText("40");
        return RunCommandOperation(kCmdSubdivideFaces, [] { RunDocCommand(kCmdSubdivideFaces); });
      },
      "carry out \"Subdivide Faces\"");
  EXPECT_EQ(mList.GetMemorySize(), 0u);

  Platform().messages.QueueText("20");
  ASSERT_TRUE(RunCommandOperation(kCmdSubdivideFaces, [] { RunDocCommand(kCmdSubdivideFaces); }));
  EXPECT_EQ(GetCurrentPoly()->mFaces.mCount, 6 * 20 * 20 * 4);
  EXPECT_EQ(mList.GetMemorySize(), 0u);
}

// An undo or a redo that cannot put its model back: the model shown stays and so does
// the step, which goes through once there is room.
TEST_F(OutOfMemoryTest, AnUndoOrRedoEndsWithTheModelAndUndoListAsTheyWere) {
  MakeGeodesicSphere(40);
  ASSERT_TRUE(Doc().SetModel(Find("Cube"), false, false));
  Platform().messages.Clear();
  ExpectEndedAsItWas([&] { return mList.Undo(); }, "undo the ");

  ASSERT_TRUE(mList.Undo());
  ASSERT_EQ(GetCurrentPoly()->mFaces.mCount, 32000);
  ASSERT_TRUE(mList.Undo());
  ExpectEndedAsItWas([&] { return mList.Redo(); }, "redo the Geodesic Sphere");
  ASSERT_TRUE(mList.Redo());
  EXPECT_EQ(GetCurrentPoly()->mFaces.mCount, 32000);
}

}  // namespace
}  // namespace corvia::testing
