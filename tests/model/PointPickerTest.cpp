#include <gtest/gtest.h>

#include "core/Globals.h"
#include "model/PointPicker.h"
#include "tests/support/TestSupport.h"

namespace {

using corvia::kPickAppend;
using corvia::kPickReport;
using corvia::PointPicker;

class PointPickerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    PointPicker::ResetAll();
    corvia::testing::Platform().views.mPaneMessage.clear();
  }
  PointPicker& picker = corvia::GetPointPicker(1);
  const std::string& Message() const { return corvia::testing::Platform().views.mPaneMessage; }
};

TEST_F(PointPickerTest, EachPickerOwnsItsFourRecords) {
  for (int k = 0; k < corvia::kNumPointPickers; ++k) {
    for (int j = 0; j < 4; ++j) EXPECT_EQ(corvia::GetPointPicker(k).mSlots[j], 6 + 4 * k + j);
  }
  EXPECT_FALSE(picker.AllDefined());
  EXPECT_EQ(picker.GetPoint(0)[0], corvia::kUndefinedPoint);
}

TEST_F(PointPickerTest, RefusesDegenerateSetsWithItsMessages) {
  const double a[3] = {0, 0, 0};
  const double b[3] = {1, 0, 0};
  const double c[3] = {0, 1, 0};
  const double onAB[3] = {3, 0, 0};
  const double onABC[4] = {2, 5, 0, 0};
  picker.StorePoint(a, 3, 0);
  EXPECT_FALSE(picker.AddPoint(a, 3, kPickAppend | kPickReport));
  EXPECT_EQ(Message(), "That point is not allowed:\nPoint is coincident with first point");
  EXPECT_TRUE(picker.AddPoint(b, 3, kPickAppend));
  picker.StorePoint(b, 3, kPickAppend);
  // The first point again as the third is colinear.
  EXPECT_FALSE(picker.AddPoint(a, 3, kPickAppend | kPickReport));
  EXPECT_EQ(Message(), "That point is not allowed:\nPoint is colinear with first two points");
  EXPECT_FALSE(picker.AddPoint(onAB, 3, kPickAppend));
  picker.StorePoint(c, 3, kPickAppend);
  // In 4D a fourth point in the plane of the first three is coplanar.
  EXPECT_FALSE(picker.AddPoint(onABC, 4, kPickAppend | kPickReport));
  EXPECT_EQ(Message(), "That point is not allowed:\nPoint is coplanar with first three points");
  const double above[4] = {0, 0, 1, 0};
  EXPECT_TRUE(picker.AddPoint(above, 4, kPickAppend));
  // In 3D three points are the most.
  corvia::testing::Platform().views.mPaneMessage.clear();
  EXPECT_FALSE(picker.AddPoint(above, 3, kPickAppend));
  EXPECT_EQ(Message(), "");  // no report asked
  EXPECT_FALSE(picker.AddPoint(above, 3, kPickAppend | kPickReport));
  EXPECT_EQ(Message(), "That point is not allowed:\nAlready using maximum number of points");
  // Without the append flag any point starts a new set.
  EXPECT_TRUE(picker.AddPoint(a, 3, 0));
  EXPECT_EQ(picker.mCount, 3);  // checking stores nothing
}

TEST_F(PointPickerTest, StoringOnAFullPickerKeepsTheFirstPoint) {
  const double points[4][3] = {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}, {5, 5, 5}};
  for (int i = 0; i < 3; ++i) picker.StorePoint(points[i], 3, kPickAppend);
  EXPECT_TRUE(picker.AllDefined());
  double centroid[4];
  picker.GetCentroid(centroid);
  EXPECT_DOUBLE_EQ(centroid[0], 1.0 / 3.0);
  EXPECT_DOUBLE_EQ(centroid[3], 0.0);
  picker.StorePoint(points[3], 3, kPickAppend);
  EXPECT_EQ(picker.mCount, 2);
  EXPECT_EQ(picker.GetPoint(0)[0], 0.0);
  EXPECT_EQ(picker.GetPoint(1)[2], 5.0);
  EXPECT_EQ(picker.GetPoint(2)[0], corvia::kUndefinedPoint);
  picker.StorePoint(points[1], 3, 0);
  EXPECT_EQ(picker.mCount, 1);
  EXPECT_EQ(picker.GetPoint(0)[0], 1.0);
}

TEST_F(PointPickerTest, AnOversizedDimensionCannotOverrunTheRecords) {
  const double p[8] = {1, 2, 3, 4, 5, 6, 7, 8};
  for (int i = 0; i < 6; ++i) picker.StorePoint(p, 8, kPickAppend);
  EXPECT_LE(picker.mCount, 4);
  EXPECT_EQ(picker.GetPoint(0)[3], 4.0);
  // The next picker's records are untouched.
  EXPECT_EQ(corvia::GetPointPicker(2).GetPoint(0)[0], corvia::kUndefinedPoint);
  double centroid[4] = {9, 9, 9, 9};
  corvia::GetPointPicker(2).GetCentroid(centroid);
  EXPECT_EQ(centroid[0], 0.0);
}

}  // namespace
