#include "app/SceneSections.h"

#include <vector>

#include "app/PolyView.h"
#include "app/ViewType.h"
#include "core/ioStream.h"
#include "files/ModelFileSection.h"
#include "render/MouseThrow.h"
#include "render/NewView.h"
#include "ui/Layouts.h"
#include "ui/NewFrame.h"
#include "ui/Tour.h"

namespace corvia {

namespace detail_SceneSections {

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
// order.
enum { kTokenEndSection, kTokenPane, kNumTokens };
const char* const kTokenNames[kNumTokens] = {"EndSection", "Pane"};

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
    return ok && ioWriteToken(stream, kTokenEndSection, indent) && ioPrintf(stream, "\n");
  }

  bool Read(ioStream* stream, bool apply) override {
    std::vector<PaneState> panes;
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
      if (token != kTokenEndSection) return scope.Fail("The panes of the scene have no end");
    }
    if (apply) Apply(panes);
    return true;
  }

 private:
  static const char* TokenName(int i) { return i >= 0 && i < kNumTokens ? kTokenNames[i] : nullptr; }

  // The panes take their view types and cameras; the fits that the new model asked
  // for are dropped, so that the cameras stay as the scene left them.
  static void Apply(const std::vector<PaneState>& panes) {
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
  // Read back in this order: the layout makes the panes, which take their view types
  // and cameras, whose throws then run again.
  InstallModelFileSection(&sections.layouts);
  InstallModelFileSection(&sections.panes);
  InstallModelFileSection(&sections.throws);
}

void RemoveSceneSections() {
  detail_SceneSections::Sections& sections = detail_SceneSections::TheSections();
  RemoveModelFileSection(&sections.throws);
  RemoveModelFileSection(&sections.panes);
  RemoveModelFileSection(&sections.layouts);
}

}  // namespace corvia
