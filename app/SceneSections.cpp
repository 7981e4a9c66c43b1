#include "app/SceneSections.h"

#include <utility>
#include <vector>

#include "app/PolyDoc.h"
#include "app/PolyView.h"
#include "app/ViewType.h"
#include "core/ioStream.h"
#include "files/ModelFileSection.h"
#include "model/FaceTypeBlock.h"
#include "model/Globals.h"
#include "model/Poly.h"
#include "render/MouseThrow.h"
#include "render/NewView.h"
#include "render/ViewWindow.h"
#include "stellation/StellationCellSet.h"
#include "ui/Layouts.h"
#include "ui/NewFrame.h"
#include "ui/Tour.h"

namespace corvia {

namespace detail_SceneSections {

// The stellation of each side that a step changed (its cells included and hidden, and
// whether it was placed among the stellations of the criteria), and the side the
// document shows: what the stellation, diagram and net panes show. Read back first, so
// that the panes restored after it keep the cameras the scene gives them.
enum { kStellationEndSection, kStellationShownSide, kStellationCells, kNumStellationTokens };
const char* const kStellationTokenNames[kNumStellationTokens] = {"EndSection", "ShownSide", "Cells"};
// The numbers of a list written on one line.
constexpr int kCellsPerLine = 20;
// More cells than any stellation the program can set up.
constexpr int32_t kMostCells = int32_t(1) << 28;

class StellationSection final : public ModelFileSection {
 public:
  const char* GetName() const override { return kSceneSectionStellation; }
  bool HasData() override {
    Poly* poly = GetCurrentPoly();
    return poly && (poly->mShowDual || IsSteppedStellation(poly->mBaseBlock.get()) ||
                    IsSteppedStellation(poly->mDualBlock.get()));
  }

  bool Write(ioStream* stream, int indent) override {
    Poly* poly = GetCurrentPoly();
    if (!poly) return false;
    ioSectionScope scope(stream, TokenName);
    bool ok = ioWriteToken(stream, kStellationShownSide, indent) && ioPrintf(stream, "\t%d\n", poly->mShowDual ? 1 : 0);
    for (const int side : {0, 1}) {
      FaceTypeBlock* block = side ? poly->mDualBlock.get() : poly->mBaseBlock.get();
      if (!ok || !IsSteppedStellation(block)) continue;
      const StellationCellSet set = CaptureStellationCells(block);
      ok = ioWriteToken(stream, kStellationCells, indent) && ioPrintf(stream, "\t%d\t%d", side, set.placed ? 1 : 0) &&
           WriteNumbers(stream, set.included, indent) && WriteNumbers(stream, set.hidden, indent) &&
           ioPrintf(stream, "\n");
    }
    return ok && ioWriteToken(stream, kStellationEndSection, indent) && ioPrintf(stream, "\n");
  }

  bool Read(ioStream* stream, bool apply) override {
    int shownSide = -1;
    std::vector<std::pair<int, StellationCellSet>> sides;
    {
      ioSectionScope scope(stream, TokenName);
      int token = ioReadToken(stream);
      for (; token > kStellationEndSection && token < kNumStellationTokens && !scope.Failed();
           token = ioReadToken(stream)) {
        if (token == kStellationShownSide) {
          shownSide = ioReadInt(stream);
          if (scope.Failed()) return false;
          if (shownSide != 0 && shownSide != 1) return scope.Fail("The scene shows a side that is neither base nor dual");
          continue;
        }
        const int side = ioReadInt(stream);
        const int placed = ioReadInt(stream);
        if (scope.Failed()) return false;
        if (side != 0 && side != 1) return scope.Fail("The scene stellates a side that is neither base nor dual");
        if (placed != 0 && placed != 1) return scope.Fail("A stellation of the scene is neither placed nor not");
        for (const auto& [other, cells] : sides) {
          if (other == side) return scope.Fail("The scene stellates a side twice");
        }
        StellationCellSet set;
        set.stellated = true;
        set.placed = placed != 0;
        if (!ReadNumbers(stream, set.included) || !ReadNumbers(stream, set.hidden) || scope.Failed()) {
          return scope.Fail("The cells of a stellation of the scene cannot be read");
        }
        sides.emplace_back(side, std::move(set));
      }
      if (scope.Failed()) return false;
      if (token != kStellationEndSection) return scope.Fail("The stellation of the scene has no end");
    }
    return !apply || Apply(stream, shownSide, sides);
  }

 private:
  static const char* TokenName(int i) {
    return i >= 0 && i < kNumStellationTokens ? kStellationTokenNames[i] : nullptr;
  }

  // On a line of its own, the count, then the numbers (a line of them at a time).
  static bool WriteNumbers(ioStream* stream, const std::vector<int>& numbers, int indent) {
    bool ok = ioPrintf(stream, "\n") && ioIndent(stream, indent + 2) &&
              ioPrintf(stream, "%d", static_cast<int>(numbers.size()));
    for (size_t i = 0; ok && i < numbers.size(); ++i) {
      const bool newLine = i > 0 && i % kCellsPerLine == 0;
      if (newLine) ok = ioPrintf(stream, "\n") && ioIndent(stream, indent + 4);
      ok = ok && ioPrintf(stream, newLine ? "%d" : "\t%d", numbers[i]);
    }
    return ok;
  }

  static bool ReadNumbers(ioStream* stream, std::vector<int>& numbers) {
    const int32_t count = ioReadCount(stream, "cells", 1, kMostCells);
    if (count < 0) return false;
    numbers.reserve(static_cast<size_t>(count));
    for (int32_t i = 0; i < count; ++i) {
      const int number = ioReadInt(stream);
      if (number < 0 || !ioIsOk(stream)) return false;
      numbers.push_back(number);
    }
    return true;
  }

  // The side first, then the cells of each side, each set up under the progress window:
  // a set-up the user cancels leaves that side as the model opened it, without a word.
  static bool Apply(ioStream* stream, int shownSide,
                    const std::vector<std::pair<int, StellationCellSet>>& sides) {
    Poly* poly = GetCurrentPoly();
    if (!poly) return false;
    if (shownSide >= 0 && (poly->mShowDual != 0) != (shownSide == 1)) {
      poly->SetShowDual(shownSide == 1);
      ShowSelectionChangeOf(poly);
    }
    for (const auto& [side, set] : sides) {
      FaceTypeBlock* block = side ? poly->mDualBlock.get() : poly->mBaseBlock.get();
      const Outcome restored = RestoreStellationCells(*poly, block, set);
      if (restored.cancelled()) break;
      if (!restored.done()) {
        ioError(stream, kIoLevelError, "%s",
                restored.text().empty() ? "The stellation of the scene could not be set up" : restored.text().c_str());
        return false;
      }
    }
    UpdateAllCaptions();
    return true;
  }
};

// The layouts: the ratios of the splitters shown are kept in their record first.
class LayoutsSection final : public ModelFileSection {
 public:
  const char* GetName() const override { return kSceneSectionLayouts; }
  bool HasData() override { return GetCurrentLayoutIndex() >= 0; }
  bool Write(ioStream* stream, int indent) override {
    if (NewFrame* frame = GetMainFrame()) frame->StoreLayoutRatios();
    return WriteLayouts(stream, indent);
  }
  bool Read(ioStream* stream, bool apply) override { return ReadLayouts(stream, kLayout2, apply); }
};

// Each pane's view type (by its index) and camera, one line a pane in the panes'
// order, then the active pane (the one that takes the menu's commands and the keys), by
// its number. A scene without it leaves the active pane to the layout.
enum { kTokenEndSection, kTokenPane, kTokenActive, kNumTokens };
const char* const kTokenNames[kNumTokens] = {"EndSection", "Pane", "Active"};

struct PaneState {
  int pane = 0;
  ViewType type = kViewBasePolyhedron;
  CameraRecord camera;
};

class PanesSection final : public ModelFileSection {
 public:
  const char* GetName() const override { return kSceneSectionPanes; }
  bool HasData() override { return NewView::GetFirstView() != nullptr; }

  bool Write(ioStream* stream, int indent) override {
    ioSectionScope scope(stream, TokenName);
    bool ok = true;
    int index = 0;
    for (NewView* v = NewView::GetFirstView(); ok && v && index < kMaxPanes; v = v->GetNext(), ++index) {
      CPolyView* pane = CPolyView::AsPolyView(v);
      if (!pane || pane->GetViewType() == kNoViewType) continue;
      CameraRecord camera;
      pane->Camera().GetCamera(camera);
      ok = ioWriteToken(stream, kTokenPane, indent) &&
           ioPrintf(stream, "\t%d\t%d", index, ViewIndexOf(pane->GetViewType())) &&
           WriteCameraRecord(stream, camera) && ioPrintf(stream, "\n");
    }
    const NewView* active = NewView::GetActiveView();
    if (ok && active && active->GetIndex() >= 0 && active->GetIndex() < kMaxPanes) {
      ok = ioWriteToken(stream, kTokenActive, indent) && ioPrintf(stream, "\t%d\n", active->GetIndex());
    }
    return ok && ioWriteToken(stream, kTokenEndSection, indent) && ioPrintf(stream, "\n");
  }

  bool Read(ioStream* stream, bool apply) override {
    std::vector<PaneState> panes;
    int active = -1;
    {
      ioSectionScope scope(stream, TokenName);
      int token = ioReadToken(stream);
      for (; token == kTokenPane && !scope.Failed(); token = ioReadToken(stream)) {
        if (static_cast<int>(panes.size()) >= kMaxPanes) return scope.Fail("The scene names more than six panes");
        PaneState state;
        state.pane = ioReadInt(stream);
        const int index = ioReadInt(stream);
        if (scope.Failed()) return false;
        if (state.pane < 0 || state.pane >= kMaxPanes) return scope.Fail("The scene names a pane that cannot be");
        // A view type this version does not know is shown as the base model.
        state.type = index >= 0 && index < kNumViewTypes ? ViewTypeFromIndex(index) : kViewBasePolyhedron;
        if (!ReadCameraRecord(stream, state.camera) || scope.Failed()) {
          return scope.Fail("A pane's camera in the scene is out of range");
        }
        panes.push_back(state);
      }
      if (scope.Failed()) return false;
      if (token == kTokenActive) {
        active = ioReadInt(stream);
        if (scope.Failed()) return false;
        if (active < 0 || active >= kMaxPanes) return scope.Fail("The scene's active pane cannot be");
        token = ioReadToken(stream);
      }
      if (token != kTokenEndSection) return scope.Fail("The panes of the scene have no end");
    }
    if (apply) Apply(panes, active);
    return true;
  }

 private:
  static const char* TokenName(int i) { return i >= 0 && i < kNumTokens ? kTokenNames[i] : nullptr; }

  // The panes take their view types and cameras; the fits that the new model asked
  // for are dropped, so that the cameras stay as the scene left them. The active pane
  // takes the keys.
  static void Apply(const std::vector<PaneState>& panes, int active) {
    for (const PaneState& state : panes) {
      CPolyView* pane = CPolyView::AsPolyView(FindViewByIndex(state.pane));
      if (!pane) continue;
      if (pane->GetViewType() != state.type) pane->SetViewType(state.type, false);
      if (state.camera.valid) {
        pane->Camera().SetCamera(state.camera);
        pane->SetFitMode(kFitNone);
      }
      pane->Invalidate(true);
    }
    if (CPolyView* pane = CPolyView::AsPolyView(FindViewByIndex(active))) {
      pane->Activate(true);
      if (ViewWindow* window = pane->GetWindow()) window->TakeKeyboardFocus();
    }
  }
};

// The throws still running: those of the panes that the layout made.
class MouseThrowsSection final : public ModelFileSection {
 public:
  const char* GetName() const override { return kSceneSectionMouseThrows; }
  bool HasData() override { return GetActiveMouseThrows() != nullptr; }
  bool Write(ioStream* stream, int indent) override {
    WriteMouseThrowData(stream, indent);
    return ioIsOk(stream);
  }
  bool Read(ioStream* stream, bool apply) override {
    if (apply) StopAllMouseThrows();
    return ReadMouseThrowData(stream, kThrowKindBound, apply);
  }
};

struct Sections {
  StellationSection stellation;
  LayoutsSection layouts;
  PanesSection panes;
  MouseThrowsSection throws;
};

Sections& TheSections() {
  static Sections sections;
  return sections;
}

}  // namespace detail_SceneSections

void InstallSceneSections() {
  detail_SceneSections::Sections& sections = detail_SceneSections::TheSections();
  // Read back in this order: the stellation shown, then the layout makes the panes,
  // which take their view types and cameras, whose throws then run again.
  InstallModelFileSection(&sections.stellation);
  InstallModelFileSection(&sections.layouts);
  InstallModelFileSection(&sections.panes);
  InstallModelFileSection(&sections.throws);
}

void RemoveSceneSections() {
  detail_SceneSections::Sections& sections = detail_SceneSections::TheSections();
  RemoveModelFileSection(&sections.throws);
  RemoveModelFileSection(&sections.panes);
  RemoveModelFileSection(&sections.layouts);
  RemoveModelFileSection(&sections.stellation);
}

}  // namespace corvia
