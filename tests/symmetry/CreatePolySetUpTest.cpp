#include <gtest/gtest.h>

#include "model/CreatePoly.h"
#include "model/Globals.h"
#include "model/ModelBusy.h"
#include "model/Poly.h"
#include "symmetry/SimplePoly.h"
#include "tests/support/TestSupport.h"
#include "tests/symmetry/FindSymmetriesModels.h"

namespace test_CreatePolySetUp {

using corvia::Poly;

// A document that shows one model and notes whether the model was busy whenever the
// set-up asked for it (the polygon splitting asks for the model's filling).
class RecordingDocument : public corvia::DocumentAccess {
 public:
  Poly* GetCurrentPoly() override {
    mBusyDuringSetUp = mBusyDuringSetUp || corvia::g_ModelBusy;
    return &mFirstPoly;
  }

  Poly mFirstPoly;
  bool mBusyDuringSetUp = false;
};

// Installs the document for the test's life.
class Installed {
 public:
  explicit Installed(corvia::DocumentAccess* access) : mPrevious(corvia::InstallDocumentAccess(access)) {}
  ~Installed() { corvia::InstallDocumentAccess(mPrevious); }

 private:
  corvia::DocumentAccess* mPrevious;
};

constexpr int kUndoConvexHull = 11;

}  // namespace test_CreatePolySetUp

TEST(CreatePolySetUpTest, WithoutADocumentNoModelIsReplaced) {
  auto& undo = corvia::testing::Platform().undo;
  const size_t undoCalls = undo.mCalls.size();
  auto cube = corvia::symtest::MakeHullModel(corvia::symtest::Cube());
  const corvia::Outcome outcome =
      corvia::GetDocumentAccess().ReplaceCurrentModel(*cube, test_CreatePolySetUp::kUndoConvexHull, false, true, true);
  EXPECT_EQ(outcome.kind(), corvia::Outcome::Kind::kFailed);
  EXPECT_EQ(undo.mCalls.size(), undoCalls);
  EXPECT_TRUE(corvia::testing::Platform().messages.Boxes().empty());
  // Nothing to build into: a failure with its reason, not a success.
  EXPECT_EQ(corvia::CreatePoly(*cube, nullptr, false, true).kind(), corvia::Outcome::Kind::kFailed);
}

TEST(CreatePolySetUpTest, SetUpRunsBusy) {
  test_CreatePolySetUp::RecordingDocument document;
  test_CreatePolySetUp::Installed installed(&document);
  auto cube = corvia::symtest::MakeHullModel(corvia::symtest::Cube());

  ASSERT_TRUE(CreatePoly(*cube, &document.mFirstPoly, false, true));
  EXPECT_TRUE(document.mBusyDuringSetUp);
  EXPECT_FALSE(corvia::g_ModelBusy);

  // A flag raised by an outer operation stays raised.
  corvia::g_ModelBusy = true;
  ASSERT_TRUE(CreatePoly(*cube, &document.mFirstPoly, false, true));
  EXPECT_TRUE(corvia::g_ModelBusy);
  corvia::g_ModelBusy = false;
}
