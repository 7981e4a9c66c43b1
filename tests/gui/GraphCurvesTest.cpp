// The curves of the graph windows without windows: evaluation before and after a
// node, the node of a time, applying the curves, the pixel mapping (also for plots
// and ranges that map nothing), selecting keys and the hit test.

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <vector>

#include "ui/GraphCurves.h"

namespace {

using namespace corvia;

// A node whose component 0 is the line v(t) = a + b (t - time) both sides.
GraphNode* LineNode(GraphCurves& curves, GraphCurve* curve, double time, double a, double b) {
  GraphNode* node = curves.AddNode(curve, time);
  double* k = node->Coefficients(0);
  k[0] = a;
  k[1] = b;
  k[5] = b;
  k[6] = a;
  return node;
}

struct Received {
  std::vector<double> values;
  int calls = 0;
};

void Receive(const double* values, int count, intptr_t user) {
  auto* received = reinterpret_cast<Received*>(user);
  received->values.assign(values, values + count);
  ++received->calls;
}

TEST(GraphCurves, NodesEvaluateTheirCubicAfterAndAStraightLineBefore) {
  GraphCurves curves;
  GraphCurve* curve = curves.AddCurve(2);
  GraphNode* node = curves.AddNode(curve, 1.0);
  double* k = node->Coefficients(1);
  const double set[kGraphCoefficients] = {5, 2, 99, 1, -1, 3, 4};
  std::memcpy(k, set, sizeof set);
  EXPECT_DOUBLE_EQ(node->Evaluate(1, 0.5), 5 + 2 * -0.5) << "k0 + k1 dt before the node";
  EXPECT_DOUBLE_EQ(node->Evaluate(1, 1.0), 4);
  EXPECT_DOUBLE_EQ(node->Evaluate(1, 3.0), ((1 * 2 - 1) * 2 + 3) * 2 + 4) << "k2 takes no part";
  EXPECT_DOUBLE_EQ(node->GetValue(1), 5);
  EXPECT_DOUBLE_EQ(node->Evaluate(0, 7.0), 0.0) << "components start at zero";
}

TEST(GraphCurves, TheNodeOfATimeIsTheLastAtOrBeforeIt) {
  GraphCurves curves;
  GraphCurve* curve = curves.AddCurve(1);
  GraphNode* b = LineNode(curves, curve, 2.0, 0, 0);
  GraphNode* a = LineNode(curves, curve, 1.0, 0, 0);
  GraphKey* key = curves.AddKey(1.5);
  EXPECT_EQ(curve->GetNodes().front().get(), a) << "kept in time order";
  EXPECT_EQ(curves.GetNodeAtTime(2.0, curve), b) << "a node at exactly the time counts";
  EXPECT_EQ(curves.GetNodeAtTime(1.99, curve), a);
  EXPECT_EQ(curves.GetNodeAtTime(0.5, curve), nullptr);
  EXPECT_EQ(curves.GetNodeAtTime(1.7, nullptr), key) << "without a curve the keys, nodes among them";
  ASSERT_EQ(curves.GetKeys().size(), 3u);
  EXPECT_EQ(curves.GetKeys()[0], a);
  EXPECT_EQ(curves.GetKeys()[2], b);
}

TEST(GraphCurves, ApplyingWritesTheOutputsAndTellsTheOwner) {
  GraphCurves curves;
  GraphCurve* curve = curves.AddCurve(1);
  LineNode(curves, curve, 1.0, 10, 2);
  LineNode(curves, curve, 3.0, 0, 1);
  Received received;
  double copy = -1;
  curve->mCallback = Receive;
  curve->mUser = reinterpret_cast<intptr_t>(&received);
  curve->mSecondOutput = &copy;
  GraphCurve* empty = curves.AddCurve(1);
  GraphCurve* off = curves.AddCurve(1);
  LineNode(curves, off, 0.0, 7, 0);
  off->mEnabled = false;

  curves.ApplyAll(2.0);
  EXPECT_DOUBLE_EQ(curve->mOutput[0], 12);
  EXPECT_DOUBLE_EQ(copy, 12);
  EXPECT_EQ(received.calls, 1);
  curves.ApplyAll(0.0);
  EXPECT_DOUBLE_EQ(curve->mOutput[0], 8) << "before every node the first one's line";
  curves.ApplyAll(4.0);
  EXPECT_DOUBLE_EQ(received.values.at(0), 1);
  EXPECT_EQ(received.calls, 3);
  EXPECT_DOUBLE_EQ(empty->mOutput[0], 0);
  EXPECT_DOUBLE_EQ(off->mOutput[0], 0) << "a disabled curve keeps its values";
}

TEST(GraphCurves, PixelsMapToTimesAndValuesAndBack) {
  GraphCurves curves;
  GraphCurve* curve = curves.AddCurve(1);
  curve->mBottom = -1;
  curve->mTop = 1;
  curves.SetPlotSize(101, 51);
  curves.SetTimeRange(0, 2);
  EXPECT_DOUBLE_EQ(curves.TimeAtPixel(75), 1.5);
  EXPECT_EQ(curves.PixelOfTime(1.5), 75);
  EXPECT_EQ(curves.PixelOfTime(0.01), 1) << "half a pixel rounds away from zero";
  EXPECT_EQ(curves.PixelOfTime(-0.01), -1);
  EXPECT_DOUBLE_EQ(curves.ValueAtPixel(*curve, 50), 1);
  EXPECT_EQ(curves.PixelOfValue(*curve, 0), 25);
  EXPECT_EQ(curves.PixelOfValue(*curve, 1e300), 1000000000) << "far away, but a pixel";

  // Plots and ranges that map nothing give the start, never a division by zero.
  curves.SetPlotSize(1, 1);
  EXPECT_DOUBLE_EQ(curves.TimeAtPixel(0), 0);
  EXPECT_EQ(curves.PixelOfTime(1), 0);
  EXPECT_DOUBLE_EQ(curves.ValueAtPixel(*curve, 0), -1);
  curves.SetPlotSize(101, 51);
  curves.SetTimeRange(1, 1);
  curve->mTop = curve->mBottom;
  EXPECT_DOUBLE_EQ(curves.TimeAtPixel(40), 1);
  EXPECT_EQ(curves.PixelOfValue(*curve, 3), 0);
  curves.SetTimeRange(0, std::numeric_limits<double>::quiet_NaN());
  EXPECT_TRUE(std::isfinite(curves.TimeAtPixel(40)));
}

TEST(GraphCurves, SelectingKeys) {
  GraphCurves curves;
  GraphCurve* curve = curves.AddCurve(2);
  GraphNode* a = LineNode(curves, curve, 0.0, 0, 0);
  GraphNode* b = LineNode(curves, curve, 1.0, 0, 0);
  curves.SelectKey(a, 1, true, false);
  EXPECT_TRUE(a->mSelected);
  EXPECT_EQ(curves.GetSelectedKey(), a);
  EXPECT_EQ(curves.GetSelectedComponent(), 1);
  EXPECT_TRUE(curve->HasSelectedNode());
  curves.SelectKey(b, -1, true, true);
  EXPECT_TRUE(a->mSelected && b->mSelected);
  EXPECT_EQ(curves.GetSelectedComponent(), 1) << "a negative component keeps the selected one";
  curves.SelectKey(b, 0, false, true);
  EXPECT_FALSE(b->mSelected);
  EXPECT_EQ(curves.GetSelectedKey(), b) << "another component than the selected one keeps the key";
  curves.SelectKey(b, 1, false, true);
  EXPECT_EQ(curves.GetSelectedKey(), nullptr);
  curves.SelectKey(b, 0, true, false);
  EXPECT_FALSE(a->mSelected) << "without keepOthers the rest is cleared";
  curves.SelectKey(nullptr, -1, false, false);
  EXPECT_FALSE(b->mSelected);
  EXPECT_EQ(curves.GetSelectedKey(), nullptr);
}

TEST(GraphCurves, AHitIsWithinThreePixelsEachWay) {
  GraphCurves curves;
  curves.SetPlotSize(101, 101);
  GraphCurve* curve = curves.AddCurve(2);
  GraphNode* node = LineNode(curves, curve, 0.5, 0.25, 0);
  node->Coefficients(1)[0] = 0.75;
  int component = -1;
  EXPECT_EQ(curves.HitTest(53, 28, &component), node);
  EXPECT_EQ(component, 0);
  EXPECT_EQ(curves.HitTest(47, 22, &component), node) << "three pixels is in, both ways";
  EXPECT_EQ(curves.HitTest(54, 25, &component), nullptr) << "four is out";
  EXPECT_EQ(curves.HitTest(50, 72, &component), node);
  EXPECT_EQ(component, 1) << "the component whose value is there";
  curve->mEnabled = false;
  EXPECT_EQ(curves.HitTest(50, 25, &component), nullptr);
}

TEST(GraphCurves, GradientKeywords) {
  const char* names[] = {"GradStep", "GradLinear", "GradCurve", "GradFlat", "GradManual"};
  for (int i = 0; i < 5; ++i) {
    EXPECT_EQ(kGraphGradientKeywords[i].value, i);
    EXPECT_STREQ(kGraphGradientKeywords[i].name, names[i]);
  }
  EXPECT_EQ(kGraphGradientKeywords[5].value, -1);
  EXPECT_EQ(kGraphGradientKeywords[5].name, nullptr);
}

}  // namespace
