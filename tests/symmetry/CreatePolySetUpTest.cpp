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

}  // namespace test_CreatePolySetUp

TEST(CreatePolySetUpTest, WithoutADocumentNoModelIsReplaced) {
  auto cube = corvia::symtest::MakeHullModel(corvia::symtest::Cube());
  // Nothing to build into: a failure with its reason, not a success, and no box.
  EXPECT_EQ(corvia::GetCurrentPoly(), nullptr);
  EXPECT_EQ(corvia::CreatePoly(*cube, nullptr, false, true).kind(), corvia::Outcome::Kind::kFailed);
  EXPECT_TRUE(corvia::testing::Platform().messages.Boxes().empty());
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
