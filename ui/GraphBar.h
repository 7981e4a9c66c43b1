#pragma once
// The graph windows: bars that plot the curves of ui/GraphCurves.h against time.
// All of them show the one current time as a cursor line. In a GraphBar the left
// button sets that time (every change evaluates all curves at it); in a GraphKeyBar
// the left button picks nodes instead (Ctrl toggles one). Dragging with the right
// button pans the visible time range, and the value ranges of the curves that have
// a selected node.
//
// Nothing in the main window makes these yet: they are ready for a caller that
// creates them and docks them in its frame's manager. Their size in the layout
// follows the stored height (the inner edge of a bar docked at the bottom).

#include <wx/window.h>

#include <vector>

class wxDC;
class wxFrame;

namespace corvia {

class GraphNode;

// The current time of the graph windows: one for all, 0 at first and always in
// [0, 1] once set. Setting it evaluates every curve at the new time and calls the
// callback; a time equal to the current one does nothing (a time outside [0, 1]
// is compared before it is clamped), and a time that is not a number is ignored.
void SetGraphTime(float time);
float GetGraphTime();
using GraphTimeCallback = void (*)();
void SetGraphTimeCallback(GraphTimeCallback callback);

class GraphBar : public wxWindow {
 public:
  // `owner`, when given, lays out again after the bar's height changes.
  GraphBar(wxWindow* parent, wxWindowID id, int height, wxFrame* owner = nullptr);
  ~GraphBar() override;

  // Draws the window's contents after the background and the cursor line: the
  // curves and their nodes where the curves' mapping puts them.
  virtual void DrawGraph(wxDC& dc);

  int GetGraphHeight() const { return mHeight; }
  int GetGraphWidth() const { return mWidth; }
  // The height the bar's place in the layout follows.
  void SetGraphHeight(int height);
  // The time at which this window last drew its cursor line.
  float GetCursorTime() const { return mCursorTime; }
  bool IsLeftDragging() const { return mLeftDrag; }
  bool IsRightDragging() const { return mRightDrag; }

  // The graph windows that exist, in the order they were made.
  static const std::vector<GraphBar*>& GetGraphWindows();
  // The colour of the cursor line on the window's background.
  static wxColour GetCursorColour();

  // The colour each component's curve is drawn in.
  static wxColour GetComponentColour(int component);

 protected:
  wxSize DoGetBestSize() const override;
  // What a left press does after the drag begins: here it sets the time.
  virtual void OnLeftPress(const wxMouseEvent& event);
  virtual bool TracksTime() const { return true; }
  // The curves' plot takes this window's size before any mapping.
  void UsePlotSize() const;

 private:
  void OnPaint(wxPaintEvent& event);
  void OnSize(wxSizeEvent& event);
  void OnLeftDown(wxMouseEvent& event);
  void OnLeftUp(wxMouseEvent& event);
  void OnRightDown(wxMouseEvent& event);
  void OnRightUp(wxMouseEvent& event);
  void OnMotion(wxMouseEvent& event);
  void OnCaptureLost(wxMouseCaptureLostEvent& event);
  void BeginDrag(const wxMouseEvent& event, bool& flag);
  void EndDrag(const wxMouseEvent& event, bool& flag, bool otherFlag);
  void Pan(const wxMouseEvent& event);
  void TrackTime(const wxMouseEvent& event);

  wxFrame* mOwner;
  int mHeight;
  int mWidth = 0;
  bool mLeftDrag = false;
  bool mRightDrag = false;
  float mCursorTime = 0.0f;
  wxPoint mLast;
};

// A graph window whose left button picks nodes: a click selects the node under the
// pointer and only it (or clears the selection on empty space), a Ctrl+click
// toggles the node and leaves the rest.
class GraphKeyBar : public GraphBar {
 public:
  using GraphBar::GraphBar;
  // The node under the last left press, and its component.
  GraphNode* GetPickedNode() const { return mPicked; }
  int GetPickedComponent() const { return mPickedComponent; }

 protected:
  void OnLeftPress(const wxMouseEvent& event) override;
  bool TracksTime() const override { return false; }

 private:
  GraphNode* mPicked = nullptr;
  int mPickedComponent = -1;
};

}  // namespace corvia
