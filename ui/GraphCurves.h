#pragma once
// The curves that the graph windows plot against time: each curve has timed nodes
// carrying piecewise cubic coefficients for one or more components, and evaluating
// the curves at a time writes their values into each curve's output and tells its
// owner. Beside them a list of timed keys that the user selects, the visible time
// range, the plot's size in pixels and the mapping between times, values and
// pixels, with a hit test. Every node of a curve is also a key of the key list, so
// that picking a node selects it and panning finds the curves whose nodes are
// selected.
//
// No windows here: the graph windows (ui/GraphBar.h) draw and drive these.

#include <cstdint>
#include <memory>
#include <vector>

#include "core/ioStream.h"

namespace corvia {

// Coefficients k0 to k6 of each component of a node.
constexpr int kGraphCoefficients = 7;
// A node is hit within this many pixels each way.
constexpr int kGraphHitPixels = 3;
// The mappings need a plot at least this many pixels wide and high.
constexpr int kGraphMinPlotPixels = 2;

// The gradient keywords, with the values 0 to 4.
constexpr int kGradStep = 0;
constexpr int kGradLinear = 1;
constexpr int kGradCurve = 2;
constexpr int kGradFlat = 3;
constexpr int kGradManual = 4;
extern const ioEnumPair kGraphGradientKeywords[];

class GraphCurve;

// A timed mark the user can select.
class GraphKey {
 public:
  explicit GraphKey(double time) : mTime(time) {}
  virtual ~GraphKey() = default;
  double mTime;
  bool mSelected = false;
};

// A node of a curve: from its time on (and straight back before the first node) the
// curve follows the node's cubic.
class GraphNode : public GraphKey {
 public:
  GraphNode(GraphCurve* curve, double time);
  // The seven coefficients of a component.
  double* Coefficients(int component) { return &mCoefficients[static_cast<size_t>(component) * kGraphCoefficients]; }
  const double* Coefficients(int component) const {
    return &mCoefficients[static_cast<size_t>(component) * kGraphCoefficients];
  }
  // The node's own value of a component: k0.
  double GetValue(int component) const { return Coefficients(component)[0]; }
  // The value of a component at time t: k0 + k1 dt before the node (dt < 0), the
  // cubic ((k3 dt + k4) dt + k5) dt + k6 from it on.
  double Evaluate(int component, double t) const;

  GraphCurve* mCurve;

 private:
  std::vector<double> mCoefficients;
};

// Receives a curve's values: the output array, the number of components, the user
// word.
using GraphValueCallback = void (*)(const double* values, int count, intptr_t user);

class GraphCurve {
 public:
  explicit GraphCurve(int components);

  int GetNumComponents() const { return mNumComponents; }
  // The nodes, ascending by time.
  const std::vector<std::unique_ptr<GraphNode>>& GetNodes() const { return mNodes; }
  bool HasSelectedNode() const;
  // Evaluates every component of the node at t into the output (and the second
  // output) and calls the callback; nothing while the curve is disabled.
  void ApplyNode(const GraphNode& node, double t);
  // The node whose piece holds t: the last one at or before t, else the first.
  const GraphNode* GetNodeForTime(double t) const;
  // The curve's value of a component at t (0 without nodes).
  double ValueAt(int component, double t) const;

  bool mEnabled = true;
  std::vector<double> mOutput;
  // Receives a copy of every value when set (the caller's array of n doubles).
  double* mSecondOutput = nullptr;
  GraphValueCallback mCallback = nullptr;
  intptr_t mUser = 0;
  // The visible value range.
  double mTop = 1.0;
  double mBottom = 0.0;

 private:
  friend class GraphCurves;
  int mNumComponents;
  std::vector<std::unique_ptr<GraphNode>> mNodes;
};

// The curves, the keys, the visible time range and the plot's size: one set for all
// graph windows (GetGraphCurves), or one of a test's own.
class GraphCurves {
 public:
  GraphCurve* AddCurve(int components);
  // Adds a node in time order (after nodes of the same time), also to the key list;
  // its coefficients start at 0.
  GraphNode* AddNode(GraphCurve* curve, double time);
  GraphKey* AddKey(double time);
  void Clear();

  const std::vector<std::unique_ptr<GraphCurve>>& GetCurves() const { return mCurves; }
  // Every key and node, ascending by time.
  const std::vector<GraphKey*>& GetKeys() const { return mKeys; }

  // The last node of the curve at or before t (a node at t counts); null when the
  // first is later or there is none. Without a curve the same over the key list.
  const GraphKey* GetNodeAtTime(double t, const GraphCurve* curve) const;
  // Applies every enabled curve with nodes at t.
  void ApplyAll(double t);

  void SetTimeRange(double t0, double t1);
  double GetTimeStart() const { return mT0; }
  double GetTimeEnd() const { return mT1; }
  void SetPlotSize(int width, int height);
  int GetPlotWidth() const { return mWidth; }
  int GetPlotHeight() const { return mHeight; }
  // The mappings. A plot under two pixels or an empty range maps every pixel to the
  // range's start (or the curve's bottom) and every time (or value) to pixel 0.
  double TimeAtPixel(int x) const;
  int PixelOfTime(double t) const;
  double ValueAtPixel(const GraphCurve& curve, int y) const;
  int PixelOfValue(const GraphCurve& curve, double v) const;

  // Selects or deselects a key (null: none); keepOthers leaves the other keys'
  // selection as it is. A component of 0 or more becomes the selected component.
  void SelectKey(GraphKey* key, int component, bool select, bool keepOthers);
  GraphKey* GetSelectedKey() const { return mSelectedKey; }
  int GetSelectedComponent() const { return mSelectedComponent; }
  // The first node (over the enabled curves, their components, their nodes) within
  // kGraphHitPixels of the pixel each way, with its component; null when none.
  GraphNode* HitTest(int x, int y, int* component) const;

 private:
  std::vector<std::unique_ptr<GraphCurve>> mCurves;
  std::vector<std::unique_ptr<GraphKey>> mOwnKeys;
  std::vector<GraphKey*> mKeys;
  double mT0 = 0.0;
  double mT1 = 1.0;
  int mWidth = 0;
  int mHeight = 0;
  GraphKey* mSelectedKey = nullptr;
  int mSelectedComponent = 0;
};

// The curves of the graph windows.
GraphCurves& GetGraphCurves();

}  // namespace corvia
