#pragma once
// What the tests of the document and its panes share: a document with panes shown in
// off-screen windows (no display needed), on the test program's hand-driven clock.

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "app/PolyDoc.h"
#include "app/PolyView.h"
#include "construction/LibraryEntry.h"
#include "construction/ModelLookup.h"
#include "model/Poly.h"
#include "model/TransitionSettings.h"
#include "render/MouseThrow.h"
#include "render/OffscreenViewWindow.h"
#include "stellation/FaceTypeBlock.h"
#include "stellation/StellationCell.h"
#include "tests/support/TestSupport.h"

namespace corvia::testing {

// Stellates the base of the current model with the cells of the shells below the
// count (the model itself for 1).
inline void StellateCurrentBase(int shells) {
  Poly* poly = GetCurrentPoly();
  ASSERT_NE(poly, nullptr);
  FaceTypeBlock* block = poly->mBaseBlock.get();
  poly->Stellate(block, false);
  ASSERT_TRUE(block->IsStellated());
  for (StellationCell* c = block->mFirstCell; c && c != block->GetOuterCell(); c = c->mNext) {
    StellationCell::SetIncluded(c, c->mType->mIndex < shells);
  }
}

class DocumentTest : public ::testing::Test {
 protected:
  void SetUp() override {
    SetTransitionDefaults();
    SetTransitionsEnabled(true);
    mDocument = std::make_unique<CPolyDoc>();
  }

  void TearDown() override {
    StopAllMouseThrows();
    for (auto& window : mWindows) window->Close();
    mWindows.clear();
    mPanes.clear();
    mDocument.reset();
    SetTransitionsEnabled(true);
  }

  // A pane of the view type in an off-screen window of the size.
  CPolyView* AddPane(ViewType type, int width = 200, int height = 150) {
    mPanes.push_back(std::make_unique<CPolyView>());
    CPolyView* pane = mPanes.back().get();
    std::string error;
    auto window = OffscreenViewWindow::Create(width, height, &error);
    if (!window) {
      ADD_FAILURE() << "No off-screen GL: " << error;
      return pane;
    }
    EXPECT_TRUE(window->Show(pane));
    mWindows.push_back(std::move(window));
    pane->SetViewType(type, false);
    return pane;
  }

  OffscreenViewWindow* WindowOf(CPolyView* pane) { return dynamic_cast<OffscreenViewWindow*>(pane->GetWindow()); }

  static LibraryEntry* Find(const char* text) {
    bool recognised = false;
    return LookUpModel(text, &recognised, false, nullptr, false);
  }

  static void Advance(double seconds) { Platform().clock.Advance(seconds); }

  CPolyDoc& Doc() { return *mDocument; }

  std::unique_ptr<CPolyDoc> mDocument;
  std::vector<std::unique_ptr<CPolyView>> mPanes;
  std::vector<std::unique_ptr<OffscreenViewWindow>> mWindows;
};

}  // namespace corvia::testing
