#pragma once
// What the tests of the document and its panes share: a document with panes shown in
// off-screen windows (no display needed), on the test program's hand-driven clock.

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "app/DocCommands.h"
#include "app/ModelUndo.h"
#include "app/PolyDoc.h"
#include "app/PolyView.h"
#include "app/UndoList.h"
#include "core/DrawnPolygon.h"
#include "core/PolygonRing.h"
#include "core/Units.h"
#include "construction/ModelLookup.h"
#include "model/ColorSchemes.h"
#include "model/FaceTypeBlock.h"
#include "model/LibraryEntry.h"
#include "model/Poly.h"
#include "model/TransitionSettings.h"
#include "nets/NetSettings.h"
#include "platform/Services.h"
#include "render/DisplaySettings.h"
#include "render/LightSets.h"
#include "render/MouseThrow.h"
#include "render/NewView.h"
#include "render/OffscreenViewWindow.h"
#include "stellation/Faceting.h"
#include "stellation/Stellate.h"
#include "stellation/StellationCell.h"
#include "tests/support/TestSupport.h"

namespace corvia::testing {

// The document's own undo list in place of the recording one while the scope lasts.
class DocumentUndoScope {
 public:
  DocumentUndoScope() : mList(mModel), mPrevious(platform::Services().undo) { Install(&mList); }
  ~DocumentUndoScope() { Install(mPrevious); }
  DocumentUndoScope(const DocumentUndoScope&) = delete;
  DocumentUndoScope& operator=(const DocumentUndoScope&) = delete;
  UndoList& List() { return mList; }

 private:
  static void Install(platform::UndoHooks* undo) {
    platform::ServiceSet services = platform::Services();
    services.undo = undo;
    platform::InstallServices(services);
  }

  DocumentUndoModel mModel;
  UndoList mList;
  platform::UndoHooks* mPrevious;
};

// Stellates the base of the current model with the cells of the shells below the
// count (the model itself for 1).
inline void StellateCurrentBase(int shells) {
  Poly* poly = GetCurrentPoly();
  ASSERT_NE(poly, nullptr);
  FaceTypeBlock* block = poly->mBaseBlock.get();
  ASSERT_TRUE(Stellate(poly, block, false).done());
  ASSERT_TRUE(block->IsStellated());
  for (StellationCell* c = block->mFirstCell; c && c != block->GetOuterCell(); c = c->mNext) {
    StellationCell::SetIncluded(c, c->mType->mIndex < shells);
  }
}

// The corners of a drawn polygon (0 for none or an empty one).
inline int CountDrawnCorners(const DrawnPolygon* polygon) {
  int n = 0;
  for (const PolygonVertex* v = polygon ? polygon->ring : nullptr; v; v = v->next) {
    ++n;
    if (v->next == polygon->ring) break;
  }
  return n;
}

// The model's finished drawn polygons (the one being drawn left out).
inline int CountFinishedPolygons(const Poly* poly) {
  int n = 0;
  for (const DrawnPolygon* p = poly->mDrawnPolygons; p; p = p->next) n += p != poly->mCurrentDrawnPolygon && p->ring;
  return n;
}

// Which cells of the block are included, in cell order.
inline std::vector<bool> IncludedCells(const FaceTypeBlock* block) {
  std::vector<bool> cells;
  for (StellationCell* c = block->mFirstCell; c; c = c->mNext) cells.push_back(c->IsIncluded());
  return cells;
}

// Puts back every program-wide value that the document's selection, colour, display,
// option and nets commands change, when it goes.
class CommandOptionsScope {
 public:
  CommandOptionsScope() {
    for (const DocCommand& command : GetStellationCommands()) mStellationMarks.push_back(UpdateDocCommand(command.id).check);
  }
  ~CommandOptionsScope() {
    FaceColorScheme = mFaceScheme;
    StellationColorScheme = mDiagramScheme;
    SetRainbowFlags(~0u, false);
    SetRainbowFlags(mRainbow & ~kRainbowColors, true);
    SetRainbowColors((mRainbow & kRainbowColors) != 0);
    GetNetSettings() = mNets;
    GetUnitSettings() = mUnits;
    GetDisplaySettings() = mDisplay;
    SetDefaultBackgroundColor(mBackground[0], mBackground[1], mBackground[2]);
    SetTransitionsEnabled(mTransitions);
    // The stellation criteria and options through their own items: the criterion
    // that was marked first, then the options whose marks differ.
    const std::vector<DocCommand>& stellation = GetStellationCommands();
    for (int pass = 0; pass < 2; ++pass) {
      for (size_t i = 0; i < stellation.size(); ++i) {
        const bool option = stellation[i].id == kFullSupportCommand || stellation[i].id == kReflexibilityCommand;
        if (option != (pass == 1)) continue;
        const int now = UpdateDocCommand(stellation[i].id).check;
        if (option ? now != mStellationMarks[i] : mStellationMarks[i] == 1 && now != 1) RunDocCommand(stellation[i].id);
      }
    }
  }
  CommandOptionsScope(const CommandOptionsScope&) = delete;
  CommandOptionsScope& operator=(const CommandOptionsScope&) = delete;

 private:
  static constexpr int kFullSupportCommand = 32862;
  static constexpr int kReflexibilityCommand = 33009;
  uint32_t mFaceScheme = FaceColorScheme;
  int mDiagramScheme = StellationColorScheme;
  unsigned mRainbow = GetRainbowFlags();
  NetSettings mNets = GetNetSettings();
  UnitSettings mUnits = GetUnitSettings();
  DisplaySettings mDisplay = GetDisplaySettings();
  float mBackground[3] = {GetDefaultBackgroundColor()[0], GetDefaultBackgroundColor()[1],
                          GetDefaultBackgroundColor()[2]};
  bool mTransitions = AreTransitionsEnabled();
  std::vector<int> mStellationMarks;
};

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
    return LookUpModel(text, &recognised, nullptr, nullptr, false);
  }

  static void Advance(double seconds) { Platform().clock.Advance(seconds); }

  CPolyDoc& Doc() { return *mDocument; }

  std::unique_ptr<CPolyDoc> mDocument;
  std::vector<std::unique_ptr<CPolyView>> mPanes;
  std::vector<std::unique_ptr<OffscreenViewWindow>> mWindows;
};

// The icosahedron as the document's model, without transitions; Draw paints a pane
// and reads what it drew.
class IcosahedronDocumentTest : public DocumentTest {
 protected:
  void SetUp() override {
    DocumentTest::SetUp();
    SetTransitionsEnabled(false);
    ASSERT_TRUE(Doc().SetModel(Find("Icosahedron"), false, false));
    Platform().messages.Clear();
  }

  GLBitmap Draw(CPolyView* pane) {
    WindowOf(pane)->Paint();
    return WindowOf(pane)->ReadPixels();
  }
};

// The faceting of the current model that the step key reaches after `steps` steps
// under the isohedral criteria, shown as its drawn polygons; the faceting, or null when
// there are not that many.
inline Faceting* ShowIsohedralFaceting(int steps) {
  GetFacetingSettings().criteria = kFacetingIsohedral;
  Faceting* faceting = GetCurrentFaceting();
  if (!faceting) return nullptr;
  for (int i = 0; i < steps; ++i) faceting->StepForward();
  if (!faceting->GetFirstFacetInFaceting()) return nullptr;
  ShowCurrentFaceting(faceting);
  return faceting;
}

}  // namespace corvia::testing
