#pragma once
// ViewGroup: what the panes of one frame share, owned by that frame (PaneFrame) and
// by each of its views, so that it lives as long as the last of them. Two frames, or
// a test's frame beside the headless one, share nothing: each has its own list of
// views, mouse, throws, text style, light sets and stored cameras.
//
// Each concern is written by its own file (NewView.cpp, MouseThrow.cpp, GLText.cpp,
// LightSets.cpp, Camera.cpp, OpenGLView.cpp); the group only holds it. A view's code
// reads its own group (NewView::GetViewGroup): the lists and the mouse directly, the
// rest through the free functions that take a group; through it the view reaches its
// own frame (ViewGroup::frame), installed or not.

#include <cstdint>
#include <memory>
#include <vector>

namespace corvia {

class NewView;
class MouseThrow;
class PaneFrame;
class LightSet;
class ListNode;
struct CameraRecord;
struct HtmlLink;

// The list of views in index order and the views the frame singles out.
struct ViewListState {
  NewView* first = nullptr;
  NewView* last = nullptr;
  NewView* active = nullptr;
  NewView* underMouse = nullptr;
  NewView* fullScreen = nullptr;
};

// The one mouse and keyboard of the frame: held buttons and modifier keys (kMouseButton...,
// kModifier...) and the points of the last press and the last move, in pane pixels.
struct ViewMouseState {
  int buttons = 0;
  int modifiers = 0;
  int pressPoint[2] = {0, 0};
  int currentPoint[2] = {0, 0};

  void GetPressPoint(int& x, int& y) const {
    x = pressPoint[0];
    y = pressPoint[1];
  }
  void GetCurrentPoint(int& x, int& y) const {
    x = currentPoint[0];
    y = currentPoint[1];
  }
};

// The frame's choices that every pane follows.
struct ViewOptions {
  float defaultBackground[3] = {0.5f, 0.5f, 0.5f};
  bool captionsShown = true;
  int mouseSelectionMode = 0;
  bool immediateCursor = true;
  bool scrollBarsUsed = true;
  // Widths of lines and sizes of points the scene pass starts with.
  float lineWidth = 1.0f;
  float pointSize = 1.0f;
  // Whether labels are drawn at all.
  bool textEnabled = true;
  // Whether both buttons twist with Space held (and pivot without), or the reverse.
  bool twistWithSpace = false;
};

// The throws of the frame's panes: all of them, the moving ones, the one being
// dragged and the last drag samples (a ring) that its release speed comes from.
struct ThrowState {
  struct DragSample {
    double time = 0.0;
    int x = 0;
    int y = 0;
  };
  static constexpr int kSamples = 5;

  ListNode* allHead = nullptr;
  ListNode* allTail = nullptr;
  MouseThrow* active = nullptr;
  MouseThrow* current = nullptr;
  DragSample samples[kSamples];
  int sampleCount = 0;
  int lastSample = -1;
  int interfaceType = -1;
  bool inertiaAllowed = true;
  bool stepPending = false;
  bool reflectingRange = false;
};

// The style of the labels drawn next, and the links named while picking. Made and
// let go of in GLText.cpp, which knows the links; so are the light sets in
// LightSets.cpp and the cameras in Camera.cpp.
struct TextState {
  TextState();
  ~TextState();
  float color[4] = {1.0f, 1.0f, 1.0f, 1.0f};
  double offset = 0.0;
  int offsetMode = 0;
  uint32_t linkPickMask = 0;
  int linkItemType = 0;
  int linksDrawn = 0;
  std::vector<HtmlLink> links;
};

// The named light sets, the one in use and the one before the rainbow lights.
struct LightSetState {
  LightSetState();
  ~LightSetState();
  std::vector<std::unique_ptr<LightSet>> sets;
  LightSet* current = nullptr;
  LightSet* previous = nullptr;
  unsigned rainbowFlags = 0;
  bool rainbowLightsFlag = false;
};

// The stored camera slots, and whether a move of one view moves the others.
struct CameraState {
  CameraState();
  ~CameraState();
  std::vector<CameraRecord> stored;
  bool linkedViews = false;
};

struct ViewGroup {
  ViewGroup() = default;
  ViewGroup(const ViewGroup&) = delete;
  ViewGroup& operator=(const ViewGroup&) = delete;

  // The frame whose panes these are: it shows their mouse help and is told which of
  // them is active. Set by the frame (PaneFrame.cpp); null once no frame holds the group.
  PaneFrame* frame = nullptr;
  ViewListState views;
  ViewMouseState mouse;
  ViewOptions options;
  ThrowState throws;
  TextState text;
  LightSetState lights;
  CameraState cameras;
};

// The group of the installed frame (GetPaneFrame): the one new views (and throws made
// without a view) join and the one that the program-wide calls (RedrawAllViews,
// StopAllMouseThrows, SetRainbowColors, ...) act on, which come in without a view: the
// document, idle time, settings and start-up. Code that has a view reaches that view's
// group instead (drawing too: a pane is drawn by its own frame's rainbow colours, mouse
// mode and label style), and a frame its own (PaneFrame::GetViewGroup). Defined in
// PaneFrame.cpp.
ViewGroup& CurrentViewGroup();
std::shared_ptr<ViewGroup> ShareCurrentViewGroup();

}  // namespace corvia
