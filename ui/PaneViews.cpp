#include "ui/PaneViews.h"

#include <cstdio>
#include <string>

#include "render/OpenGLView.h"

namespace corvia {

namespace detail_PaneViews {

// A pane that draws its background and names its view type.
class PlainPaneView final : public OpenGLView {
 public:
  int mViewType = -1;
};

const char* DefaultTypeName(int viewType) {
  switch (viewType) {
    case 0x1900:
      return "Base Polyhedron";
    case 0x1A01:
      return "Dual of Base Polyhedron";
    case 0x1802:
      return "Base/Dual Compound";
    case 0x2903:
      return "Stellation of Base Polyhedron";
    case 0xA409:
      return "Stellation Diagram";
    case 0xA40A:
      return "Cell Diagram";
    case 0x1340E:
      return "Unfolded Net";
    case 0x12C0F:
      return "Folding Net";
    default:
      return nullptr;
  }
}

class PlainMaker final : public PaneViewMaker {
 public:
  std::unique_ptr<NewView> CreateView() override { return std::make_unique<PlainPaneView>(); }
  int GetViewType(const NewView* view) override {
    auto* plain = dynamic_cast<const PlainPaneView*>(view);
    return plain ? plain->mViewType : -1;
  }
  void SetViewType(NewView* view, int viewType) override {
    auto* plain = dynamic_cast<PlainPaneView*>(view);
    if (!plain) return;
    plain->mViewType = viewType;
    const char* name = DefaultTypeName(viewType);
    char title[64];
    std::snprintf(title, sizeof title, "View type 0x%X", static_cast<unsigned>(viewType));
    plain->SetTitle(name ? name : title);
  }
};

PlainMaker gPlain;
PaneViewMaker* gInstalled = nullptr;

}  // namespace detail_PaneViews

PaneViewMaker& GetPaneViewMaker() {
  return detail_PaneViews::gInstalled ? *detail_PaneViews::gInstalled : detail_PaneViews::gPlain;
}

PaneViewMaker* InstallPaneViewMaker(PaneViewMaker* maker) {
  PaneViewMaker* before = detail_PaneViews::gInstalled;
  detail_PaneViews::gInstalled = maker;
  return before;
}

}  // namespace corvia
