#include <gtest/gtest.h>

#include <vector>

#include "model/CreatePoly.h"
#include "model/Globals.h"
#include "model/ModelBusy.h"
#include "model/Poly.h"
#include "symmetry/SimplePoly.h"
#include "symmetry/SymGroup.h"
#include "tests/support/TestSupport.h"
#include "tests/symmetry/FindSymmetriesModels.h"

namespace test_CreatePolySetUp {

using corvia::Poly;

// A document that shows one model and may show its cross-section.
class RecordingDocument : public corvia::DocumentAccess {
 public:
  Poly* GetCurrentPoly() override { return &mFirstPoly; }
  bool IsCrossSectionShown() override {
    mBusyDuringSetUp = corvia::g_ModelBusy;
    return mCrossSectionShown;
  }
  void SetCrossSectionDirection(const double* direction) override { mDirection.assign(direction, direction + 3); }

  Poly mFirstPoly;
  bool mCrossSectionShown = false;
  bool mBusyDuringSetUp = false;
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

}  // namespace test_CreatePolySetUp

TEST(CreatePolySetUpTest, WithoutADocumentNoModelIsReplaced) {
  auto cube = corvia::symtest::MakeHullModel(corvia::symtest::Cube());
  // Nothing to build into: a failure with its reason, not a success, and no box.
  EXPECT_EQ(corvia::GetCurrentPoly(), nullptr);
  EXPECT_EQ(corvia::CreatePoly(*cube, nullptr, false, true).kind(), corvia::Outcome::Kind::kFailed);
  EXPECT_TRUE(corvia::testing::Platform().messages.Boxes().empty());
}

TEST(CreatePolySetUpTest, SetUpRunsBusyAndResetsAShownCrossSection) {
  test_CreatePolySetUp::RecordingDocument document;
  test_CreatePolySetUp::Installed installed(&document);
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
