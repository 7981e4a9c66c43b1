#include "ui/GraphCurves.h"

#include <algorithm>
#include <cmath>

namespace corvia {

namespace detail_GraphCurves {

// Pixels far outside any window are held here before rounding.
constexpr double kPixelLimit = 1e9;

// A mapping between [a, b] and `pixels` pixels works for at least two pixels and a
// finite, non-empty range.
bool Maps(int pixels, double a, double b) {
  return pixels >= kGraphMinPlotPixels && std::isfinite(a) && std::isfinite(b) && a != b;
}

int RoundPixel(double p) {
  if (!std::isfinite(p)) return 0;
  return static_cast<int>(std::lround(std::clamp(p, -kPixelLimit, kPixelLimit)));
}

// The last item at or before t in a list ascending by time, or null.
template <class List, class TimeOf>
auto LastAtOrBefore(const List& list, double t, TimeOf timeOf) -> decltype(&*list.front()) {
  auto after = std::upper_bound(list.begin(), list.end(), t, [&](double time, const auto& item) {
    return time < timeOf(item);
  });
  if (after == list.begin()) return nullptr;
  return &**(after - 1);
}

}  // namespace detail_GraphCurves

const ioEnumPair kGraphGradientKeywords[] = {{kGradStep, "GradStep"},     {kGradLinear, "GradLinear"},
                                             {kGradCurve, "GradCurve"},   {kGradFlat, "GradFlat"},
                                             {kGradManual, "GradManual"}, {-1, nullptr}};

GraphNode::GraphNode(GraphCurve* curve, double time)
    : GraphKey(time),
      mCurve(curve),
      mCoefficients(static_cast<size_t>(std::max(curve->GetNumComponents(), 0)) * kGraphCoefficients, 0.0) {}

double GraphNode::Evaluate(int component, double t) const {
  const double* k = Coefficients(component);
  const double dt = t - mTime;
  if (dt < 0.0) return k[1] * dt + k[0];
  return ((k[3] * dt + k[4]) * dt + k[5]) * dt + k[6];
}

GraphCurve::GraphCurve(int components)
    : mOutput(static_cast<size_t>(std::max(components, 0)), 0.0), mNumComponents(std::max(components, 0)) {}

bool GraphCurve::HasSelectedNode() const {
  return std::any_of(mNodes.begin(), mNodes.end(), [](const auto& node) { return node->mSelected; });
}

void GraphCurve::ApplyNode(const GraphNode& node, double t) {
  if (!mEnabled) return;
  for (int c = 0; c < mNumComponents; ++c) {
    const double value = node.Evaluate(c, t);
    mOutput[static_cast<size_t>(c)] = value;
    if (mSecondOutput) mSecondOutput[c] = value;
  }
  if (mCallback) mCallback(mOutput.data(), mNumComponents, mUser);
}

const GraphNode* GraphCurve::GetNodeForTime(double t) const {
  if (mNodes.empty()) return nullptr;
  const GraphNode* node =
      detail_GraphCurves::LastAtOrBefore(mNodes, t, [](const auto& n) { return n->mTime; });
  return node ? node : mNodes.front().get();
}

double GraphCurve::ValueAt(int component, double t) const {
  const GraphNode* node = GetNodeForTime(t);
  return node && component >= 0 && component < mNumComponents ? node->Evaluate(component, t) : 0.0;
}

GraphCurve* GraphCurves::AddCurve(int components) {
  mCurves.push_back(std::make_unique<GraphCurve>(components));
  return mCurves.back().get();
}

GraphNode* GraphCurves::AddNode(GraphCurve* curve, double time) {
  auto node = std::make_unique<GraphNode>(curve, time);
  GraphNode* made = node.get();
  auto& nodes = curve->mNodes;
  auto at = std::upper_bound(nodes.begin(), nodes.end(), time,
                             [](double t, const auto& n) { return t < n->mTime; });
  nodes.insert(at, std::move(node));
  auto key = std::upper_bound(mKeys.begin(), mKeys.end(), time, [](double t, const GraphKey* k) { return t < k->mTime; });
  mKeys.insert(key, made);
  return made;
}

GraphKey* GraphCurves::AddKey(double time) {
  mOwnKeys.push_back(std::make_unique<GraphKey>(time));
  GraphKey* made = mOwnKeys.back().get();
  auto key = std::upper_bound(mKeys.begin(), mKeys.end(), time, [](double t, const GraphKey* k) { return t < k->mTime; });
  mKeys.insert(key, made);
  return made;
}

void GraphCurves::Clear() {
  mKeys.clear();
  mSelectedKey = nullptr;
  mSelectedComponent = 0;
  mOwnKeys.clear();
  mCurves.clear();
}

const GraphKey* GraphCurves::GetNodeAtTime(double t, const GraphCurve* curve) const {
  if (curve) return detail_GraphCurves::LastAtOrBefore(curve->GetNodes(), t, [](const auto& n) { return n->mTime; });
  return detail_GraphCurves::LastAtOrBefore(mKeys, t, [](const GraphKey* k) { return k->mTime; });
}

void GraphCurves::ApplyAll(double t) {
  for (auto& curve : mCurves) {
    if (!curve->mEnabled) continue;
    if (const GraphNode* node = curve->GetNodeForTime(t)) curve->ApplyNode(*node, t);
  }
}

void GraphCurves::SetTimeRange(double t0, double t1) {
  mT0 = t0;
  mT1 = t1;
}

void GraphCurves::SetPlotSize(int width, int height) {
  mWidth = width;
  mHeight = height;
}

double GraphCurves::TimeAtPixel(int x) const {
  if (!detail_GraphCurves::Maps(mWidth, mT0, mT1)) return mT0;
  return mT0 + (mT1 - mT0) * x / (mWidth - 1);
}

int GraphCurves::PixelOfTime(double t) const {
  if (!detail_GraphCurves::Maps(mWidth, mT0, mT1)) return 0;
  return detail_GraphCurves::RoundPixel((t - mT0) * (mWidth - 1) / (mT1 - mT0));
}

double GraphCurves::ValueAtPixel(const GraphCurve& curve, int y) const {
  if (!detail_GraphCurves::Maps(mHeight, curve.mBottom, curve.mTop)) return curve.mBottom;
  return curve.mBottom + (curve.mTop - curve.mBottom) * y / (mHeight - 1);
}

int GraphCurves::PixelOfValue(const GraphCurve& curve, double v) const {
  if (!detail_GraphCurves::Maps(mHeight, curve.mBottom, curve.mTop)) return 0;
  return detail_GraphCurves::RoundPixel((v - curve.mBottom) * (mHeight - 1) / (curve.mTop - curve.mBottom));
}

void GraphCurves::SelectKey(GraphKey* key, int component, bool select, bool keepOthers) {
  if (!keepOthers) {
    for (GraphKey* k : mKeys) k->mSelected = false;
  }
  if (!key) {
    mSelectedKey = nullptr;
    return;
  }
  key->mSelected = select;
  if (select) {
    mSelectedKey = key;
    if (component >= 0) mSelectedComponent = component;
  } else if (mSelectedKey == key && (component < 0 || component == mSelectedComponent)) {
    mSelectedKey = nullptr;
  }
}

GraphNode* GraphCurves::HitTest(int x, int y, int* component) const {
  for (const auto& curve : mCurves) {
    if (!curve->mEnabled) continue;
    for (int c = 0; c < curve->GetNumComponents(); ++c) {
      for (const auto& node : curve->GetNodes()) {
        const int nx = PixelOfTime(node->mTime);
        const int ny = PixelOfValue(*curve, node->GetValue(c));
        if (std::abs(nx - x) <= kGraphHitPixels && std::abs(ny - y) <= kGraphHitPixels) {
          if (component) *component = c;
          return node.get();
        }
      }
    }
  }
  return nullptr;
}

GraphCurves& GetGraphCurves() {
  static GraphCurves curves;
  return curves;
}

}  // namespace corvia
