// The tilted compound made the current model through the program's model change.
#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <vector>

#include "app/ModelChange.h"
#include "construction/DerivedModels.h"
#include "construction/DualMorph.h"
#include "construction/ModelFactory.h"
#include "core/Progress.h"
#include "model/CreatePoly.h"
#include "model/Globals.h"
#include "model/Poly.h"
#include "platform/Services.h"
#include "platform/UndoHooks.h"
#include "symmetry/SimplePoly.h"
#include "tests/construction/DerivedModelChecks.h"
#include "tests/support/TestSupport.h"

namespace test_TiltedCompoundCancel {

using corvia::Poly;
using corvia::SimplePoly;
using corvia::testing::TemplateModel;

// The document of one model whose panes show its tilted compound, with an undo list
// that keeps the model each step replaces and can put it back, as the program's does.
class CompoundPaneDocument final : public corvia::DocumentAccess,
                                   public corvia::ModelChangeDocument,
                                   public corvia::platform::UndoHooks {
 public:
  explicit CompoundPaneDocument(Poly* poly) : mPoly(poly) {
    mPreviousDocument = corvia::InstallDocumentAccess(this);
    corvia::platform::ServiceSet services = corvia::platform::Services();
    services.undo = this;
    mPreviousServices = corvia::platform::InstallServices(services);
  }
  ~CompoundPaneDocument() override {
    corvia::platform::InstallServices(mPreviousServices);
    corvia::InstallDocumentAccess(mPreviousDocument);
  }
  Poly* GetCurrentPoly() override { return mPoly; }
  void PrepareTransition(int, corvia::ModelRecord** outRecord) override { *outRecord = nullptr; }
  void SwitchToModel(corvia::ModelRecord*) override {}
  bool DoTransition(int, double, corvia::ModelRecord*, bool, bool) override { return false; }
  void UpdateAfterChange(int) override {}
  void AddUndo(int, long) override {
    mStep.reset(corvia::CreateSimplePoly(mPoly, corvia::kDeriveBase, nullptr, nullptr));
  }
  bool RestoreLastUndo() override {
    std::unique_ptr<SimplePoly> step = std::move(mStep);
    return step && CreatePoly(*step, mPoly, true, true);
  }
  bool CanRestoreSteps() const override { return true; }
  void DiscardLastUndo() override { mStep.reset(); }
  void CloseUndo() override {}
  void BeginUndoGroup() override {}
  void EndUndoGroup() override {}
  void AddStellationCellUndo(int, bool) override {}

 private:
  Poly* mPoly;
  std::unique_ptr<SimplePoly> mStep;
  corvia::DocumentAccess* mPreviousDocument = nullptr;
  corvia::platform::ServiceSet mPreviousServices;
};

// The positions of a model's corners, in order, to nine decimals (a model rebuilt from
// its copy may differ in the last bits).
std::vector<double> CornersOf(Poly& poly) {
  std::unique_ptr<SimplePoly> simple(corvia::CreateSimplePoly(&poly, corvia::kDeriveBase, nullptr, nullptr));
  std::vector<double> corners;
  for (int i = 0; simple && i < simple->NumVerts(); ++i) {
    if (simple->VertAt(i).IsTemp()) continue;
    for (double x : simple->VertAt(i).pos) corners.push_back(std::round(x * 1e9) / 1e9);
  }
  return corners;
}

}  // namespace test_TiltedCompoundCancel

namespace dm = test_TiltedCompoundCancel;

namespace test_TiltedCompoundCancel {

// A morph made the current model the way the program makes it from the pane that
// shows it: a cancel at any report, in its derivation or its build, leaves the old
// model as it was. With a stride, Cancel is pressed at every stride-th report only:
// the truncation morph of this model reports two thousand times, most of them while
// library models are built to name it.
void ExpectACancelAtAnyReportKeepsTheOldModel(uint32_t viewType, int stride = 1) {
  dm::TemplateModel model("3.5.3.5");
  ASSERT_TRUE(model.built);
  std::unique_ptr<corvia::SimplePoly> original(corvia::CreateSimplePoly(&model.poly, corvia::kDeriveBase, nullptr, nullptr));
  auto& platform = corvia::testing::Platform();
  dm::CompoundPaneDocument document(&model.poly);
  const std::vector<double> before = dm::CornersOf(model.poly);
  const int facesBefore = model.poly.mFaces.mCount;
  corvia::testing::ReportCounter reports;
  auto enter = [&] {
    reports.pumps = 0;
    corvia::ProgressScope scope;
    platform.clock.Advance(2.0);
    const double saved = corvia::DualMorphRatio();
    corvia::DualMorphRatio() = 0.5;
    // The program's own road: one undo step that a cancel takes back.
    const bool made = corvia::EnterModelOfPane(document, &model.poly, viewType);
    corvia::DualMorphRatio() = saved;
    return made;
  };
  ASSERT_TRUE(enter());
  const int count = reports.pumps;
  EXPECT_GE(count, 3);
  EXPECT_NE(model.poly.mFaces.mCount, facesBefore);
  for (reports.cancelAt = 1; reports.cancelAt <= count; reports.cancelAt += stride) {
    reports.cancelAt = -reports.cancelAt;
    ASSERT_TRUE(CreatePoly(*original, &model.poly, true, true));
    reports.cancelAt = -reports.cancelAt;
    platform.messages.Clear();
    EXPECT_FALSE(enter()) << "cancelled at report " << reports.cancelAt << " of " << count;
    EXPECT_EQ(model.poly.mFaces.mCount, facesBefore) << "cancelled at report " << reports.cancelAt;
    EXPECT_EQ(dm::CornersOf(model.poly), before) << "cancelled at report " << reports.cancelAt;
    EXPECT_TRUE(platform.messages.Boxes().empty());
    EXPECT_FALSE(corvia::IsProgressActive());
  }
}

}  // namespace test_TiltedCompoundCancel

TEST(TiltedCompoundCancel, ACancelAtAnyReportOfTheTiltedCompoundMadeTheModelKeepsTheOldModel) {
  dm::ExpectACancelAtAnyReportKeepsTheOldModel(corvia::kViewMorphTiltingCompound);
}

// The truncation morph's walk of the faces answers the window too, and so does the
// search of the library for the new model's name.
TEST(TiltedCompoundCancel, ACancelAtAnyReportOfTheTruncationMorphMadeTheModelKeepsTheOldModel) {
  dm::ExpectACancelAtAnyReportKeepsTheOldModel(corvia::kViewMorphByTruncation, 41);
}
