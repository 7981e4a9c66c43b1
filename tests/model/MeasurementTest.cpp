// Measurements by picked points on a cube (edge 2) and an icosahedron (edge 2,
// vertices (0, +-1, +-phi) cycled), against values worked out by hand.

#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>
#include <string>

#include "core/Units.h"
#include "model/Globals.h"
#include "model/Measurement.h"
#include "model/PointPicker.h"
#include "model/Poly.h"
#include "tests/support/TestSupport.h"

namespace test_Measurement {

constexpr double kPhi = 1.6180339887498949;
constexpr double kTol = 1e-9;
constexpr double kDegree = M_PI / 180.0;
constexpr uint32_t kNew = corvia::kMeasureFromMouse;
constexpr uint32_t kAdd = corvia::kMeasureFromMouse | corvia::kMeasureAddToItem;

struct P4 {
  double v[4];
};
P4 At(double x, double y, double z) { return {{x, y, z, 0.0}}; }

void Pick(const P4& p, uint32_t flags) { corvia::PickMeasurementPoint(p.v, flags); }
void PickLine(const P4& a, const P4& b) {
  Pick(a, kNew);
  Pick(b, kAdd);
}
void PickPlane(const P4& a, const P4& b, const P4& c) {
  Pick(a, kNew);
  Pick(b, kAdd);
  Pick(c, kAdd);
}

// Icosahedron vertices used below: a face (A, B, C) and the face (A, C, D) across AC.
const P4 kIcoA = At(0, 1, kPhi);
const P4 kIcoB = At(0, -1, kPhi);
const P4 kIcoC = At(kPhi, 0, 1);
const P4 kIcoD = At(1, kPhi, 0);
// Independent values for edge 2.
const double kIcoDihedral = std::acos(-std::sqrt(5.0) / 3.0);
const double kIcoInradius = kPhi * kPhi / std::sqrt(3.0);
const double kIcoMidradius = kPhi;
const double kIcoCircumradius = std::sqrt(1.0 + kPhi * kPhi);

// Makes a model the document's current one while in scope.
class CurrentModel : public corvia::DocumentAccess {
 public:
  explicit CurrentModel(corvia::Poly* poly) : mPoly(poly), mBefore(corvia::InstallDocumentAccess(this)) {}
  ~CurrentModel() override { corvia::InstallDocumentAccess(mBefore); }
  corvia::Poly* GetCurrentPoly() override { return mPoly; }

 private:
  corvia::Poly* mPoly;
  corvia::DocumentAccess* mBefore;
};

class MeasurementTest : public ::testing::Test {
 protected:
  void SetUp() override {
    corvia::ResetMeasurementPoints();
    corvia::ResetMeasurement();
  }
  void TearDown() override {
    corvia::ResetMeasurementPoints();
    corvia::ResetMeasurement();
  }
};

TEST_F(MeasurementTest, OneItemMeasuresNothing) {
  Pick(At(1, 1, 1), kNew);
  EXPECT_EQ(corvia::GetMeasuredDistance(), DBL_MAX);
  EXPECT_EQ(corvia::GetMeasuredAngle(0), DBL_MAX);
  double a[4], b[4];
  EXPECT_FALSE(corvia::GetMeasuredSegment(a, b));
}

TEST_F(MeasurementTest, PointsGiveEdgeLengthsAndCornerAngles) {
  Pick(At(1, 1, 1), kNew);
  Pick(At(-1, 1, 1), kNew);
  EXPECT_NEAR(corvia::GetMeasuredDistance(), 2.0, kTol);
  Pick(At(-1, -1, 1), kNew);
  // Segment from the newest to the previous point, angle at the previous one.
  EXPECT_NEAR(corvia::GetMeasuredDistance(), 2.0, kTol);
  EXPECT_NEAR(corvia::GetMeasuredAngle(0), M_PI / 2.0, kTol);
  // Line 1 is never filled.
  EXPECT_EQ(corvia::GetMeasuredAngle(1), DBL_MAX);
  int slots[3];
  EXPECT_FALSE(corvia::GetMeasuredLine(2, slots));

  corvia::ResetMeasurementPoints();
  Pick(kIcoA, kNew);
  Pick(kIcoB, kNew);
  Pick(kIcoC, kNew);
  EXPECT_NEAR(corvia::GetMeasuredDistance(), 2.0, kTol);
  EXPECT_NEAR(corvia::GetMeasuredAngle(0), M_PI / 3.0, kTol);
  // The centre to a vertex.
  Pick(At(0, 0, 0), kNew);
  Pick(kIcoD, kNew);
  EXPECT_NEAR(corvia::GetMeasuredDistance(), kIcoCircumradius, kTol);
}

TEST_F(MeasurementTest, PointToEdgeAndFaceGivesTheRadii) {
  // Centre to an edge line: the midradius; to a face plane: the inradius.
  Pick(At(0, 0, 0), kNew);
  PickLine(At(1, 1, -1), At(1, 1, 1));
  EXPECT_NEAR(corvia::GetMeasuredDistance(), std::sqrt(2.0), kTol);
  // The foot lies inside the edge: no third slot, no angle.
  EXPECT_EQ(corvia::GetMeasuredAngle(0), DBL_MAX);

  corvia::ResetMeasurementPoints();
  Pick(At(0, 0, 0), kNew);
  PickLine(kIcoA, kIcoB);
  EXPECT_NEAR(corvia::GetMeasuredDistance(), kIcoMidradius, kTol);

  corvia::ResetMeasurementPoints();
  PickPlane(kIcoA, kIcoB, kIcoC);
  Pick(At(0, 0, 0), kNew);
  EXPECT_NEAR(corvia::GetMeasuredDistance(), kIcoInradius, kTol);
  // The foot is the face's centroid: the angle's arm has no length.
  EXPECT_EQ(corvia::GetMeasuredAngle(0), DBL_MAX);
  // From off the centre line, the right angle at the foot.
  corvia::ResetMeasurementPoints();
  PickPlane(kIcoA, kIcoB, kIcoC);
  Pick(At(0.1, 0.2, 0), kNew);
  EXPECT_NEAR(corvia::GetMeasuredAngle(0), M_PI / 2.0, kTol);

  corvia::ResetMeasurementPoints();
  Pick(At(0, 0, 0), kNew);
  PickPlane(At(1, 1, 1), At(1, -1, 1), At(1, -1, -1));
  EXPECT_NEAR(corvia::GetMeasuredDistance(), 1.0, kTol);
}

TEST_F(MeasurementTest, FootBeyondTheEdgeMarksTheNearerEnd) {
  Pick(At(3, 0, 0), kNew);
  PickLine(At(-1, 1, 1), At(1, 1, 1));
  EXPECT_NEAR(corvia::GetMeasuredDistance(), std::sqrt(2.0), kTol);
  const double* end = corvia::GetMeasurementPoint(2);
  EXPECT_DOUBLE_EQ(end[0], 1.0);
  EXPECT_DOUBLE_EQ(end[1], 1.0);
}

TEST_F(MeasurementTest, LinesSkewOrMeeting) {
  // Two skew edges of the cube: 2 apart, at right angles.
  PickLine(At(1, 1, -1), At(1, 1, 1));
  PickLine(At(-1, -1, 1), At(1, -1, 1));
  EXPECT_NEAR(corvia::GetMeasuredDistance(), 2.0, kTol);
  EXPECT_NEAR(corvia::GetMeasuredAngle(0), M_PI / 2.0, kTol);

  // Two icosahedron edges meeting at A: no segment, 60 degrees from the slots.
  corvia::ResetMeasurementPoints();
  PickLine(kIcoA, kIcoB);
  PickLine(kIcoA, kIcoC);
  EXPECT_EQ(corvia::GetMeasuredDistance(), DBL_MAX);
  EXPECT_NEAR(corvia::GetMeasuredAngle(0), M_PI / 3.0, kTol);

  // Skew lines at an obtuse angle are folded into 0..pi/2.
  corvia::ResetMeasurementPoints();
  PickLine(At(0, 0, 0), At(1, 0, 0));
  PickLine(At(0, 0, 1), At(-1, 1, 1));
  EXPECT_NEAR(corvia::GetMeasuredAngle(0), M_PI / 4.0, kTol);
  EXPECT_NEAR(corvia::GetMeasuredDistance(), 1.0, kTol);
}

TEST_F(MeasurementTest, PlanesGiveDihedralAnglesAndDistances) {
  // Two faces of the cube meeting along an edge.
  PickPlane(At(1, 1, 1), At(1, -1, 1), At(1, -1, -1));
  PickPlane(At(1, 1, 1), At(-1, 1, 1), At(-1, 1, -1));
  EXPECT_NEAR(corvia::GetMeasuredAngle(0), M_PI / 2.0, kTol);
  EXPECT_EQ(corvia::GetMeasuredDistance(), DBL_MAX);

  // Two icosahedron faces across the edge AC.
  corvia::ResetMeasurementPoints();
  PickPlane(kIcoA, kIcoB, kIcoC);
  PickPlane(kIcoA, kIcoC, kIcoD);
  EXPECT_NEAR(corvia::GetMeasuredAngle(0), kIcoDihedral, kTol);
  // The marker along the shared edge.
  int slots[3];
  EXPECT_FALSE(corvia::GetMeasuredLine(1, slots));
  EXPECT_NE(corvia::GetMeasurementPoint(3)[0], DBL_MAX);
  EXPECT_NE(corvia::GetMeasurementPoint(4)[0], DBL_MAX);

  // Opposite faces of the cube: parallel, 2 apart.
  corvia::ResetMeasurementPoints();
  PickPlane(At(1, 1, 1), At(1, -1, 1), At(1, -1, -1));
  PickPlane(At(-1, 1, 1), At(-1, -1, 1), At(-1, -1, -1));
  EXPECT_NEAR(corvia::GetMeasuredDistance(), 2.0, kTol);
}

TEST_F(MeasurementTest, LineAndPlane) {
  // A face diagonal of the top face against the front face: parallel.
  PickLine(At(-1, -1, 1), At(1, 1, 1));
  PickPlane(At(1, 1, -1), At(-1, 1, -1), At(-1, -1, -1));
  EXPECT_NEAR(corvia::GetMeasuredDistance(), 2.0, kTol);

  // A space diagonal against a face: angle asin(1/sqrt(3)).
  corvia::ResetMeasurementPoints();
  PickPlane(At(1, 1, 1), At(1, -1, 1), At(1, -1, -1));
  PickLine(At(-1, -1, -1), At(1, 1, 1));
  EXPECT_NEAR(corvia::GetMeasuredAngle(0), std::asin(1.0 / std::sqrt(3.0)), kTol);

  // A line normal to a face, through the face's centroid: a right angle, with the arm
  // laid along an axis of the face (never a zero direction).
  corvia::ResetMeasurementPoints();
  PickPlane(At(1, 0, 1), At(-1, 1, 1), At(0, -1, 1));
  PickLine(At(0, 0, 3), At(0, 0, -2));
  EXPECT_NEAR(corvia::GetMeasuredAngle(0), M_PI / 2.0, kTol);
  const double* arm = corvia::GetMeasurementPoint(2);
  for (int c = 0; c < 3; ++c) EXPECT_TRUE(std::isfinite(arm[c]));
}

TEST_F(MeasurementTest, PlaneItemNearestPoint) {
  double out[4];
  EXPECT_FALSE(corvia::GetMeasuredPlane(out));
  PickPlane(At(1, 1, 1), At(1, -1, 1), At(1, -1, -1));
  ASSERT_TRUE(corvia::GetMeasuredPlane(out));
  EXPECT_NEAR(out[0], 1.0, kTol);
  EXPECT_NEAR(out[1], 0.0, kTol);
  corvia::ResetMeasurementPoints();
  PickLine(At(1, -1, 1), At(1, 1, 1));
  ASSERT_TRUE(corvia::GetMeasuredPlane(out));
  EXPECT_NEAR(out[0], 1.0 / std::sqrt(2.0), kTol);
  EXPECT_NEAR(out[2], 1.0 / std::sqrt(2.0), kTol);
  // A line through the centre has no direction to give.
  corvia::ResetMeasurementPoints();
  PickLine(At(-1, -1, -1), At(1, 1, 1));
  EXPECT_FALSE(corvia::GetMeasuredPlane(out));
}

TEST_F(MeasurementTest, ModelResetDropsAStoredAngle) {
  PickLine(At(1, 1, -1), At(1, 1, 1));
  PickLine(At(-1, -1, 1), At(1, -1, 1));
  ASSERT_NEAR(corvia::GetMeasuredAngle(0), M_PI / 2.0, kTol);
  // The model's reset clears the point table and what was measured in it.
  corvia::ResetMeasurementPoints();
  EXPECT_EQ(corvia::GetMeasuredAngle(0), DBL_MAX);
  EXPECT_EQ(corvia::GetMeasuredDistance(), DBL_MAX);
}

TEST_F(MeasurementTest, NewModelStartsWithoutTheOldMeasurement) {
  corvia::Poly poly;
  test_Measurement::CurrentModel current(&poly);
  // Two icosahedron edges meeting at A: an angle and no segment.
  PickLine(kIcoA, kIcoB);
  PickLine(kIcoA, kIcoC);
  ASSERT_NEAR(corvia::GetMeasuredAngle(0), M_PI / 3.0, kTol);
  ASSERT_EQ(corvia::GetMeasuredDistance(), DBL_MAX);
  // The current model starts afresh.
  poly.Clear(false);
  for (int i = 0; i < corvia::kNumMeasurementPoints; ++i) {
    EXPECT_EQ(corvia::GetMeasurementPoint(i)[0], corvia::kUndefinedPoint) << i;
  }
  EXPECT_EQ(corvia::GetMeasuredAngle(0), DBL_MAX);
  EXPECT_EQ(corvia::GetPointPicker(0).mCount, 0);
  // The segment is slots 0-1 again: filled by hand, it is measured.
  const P4 a = At(0, 0, 0), b = At(0, 3, 4);
  for (int c = 0; c < 4; ++c) {
    corvia::GetMeasurementPoint(0)[c] = a.v[c];
    corvia::GetMeasurementPoint(1)[c] = b.v[c];
  }
  EXPECT_NEAR(corvia::GetMeasuredDistance(), 5.0, kTol);
  EXPECT_EQ(corvia::GetMeasuredAngle(0), DBL_MAX);
}

TEST_F(MeasurementTest, ValuesInEveryUnit) {
  corvia::UnitSettings& units = corvia::GetUnitSettings();
  const corvia::UnitSettings saved = units;
  Pick(At(1, 1, 1), kNew);
  Pick(At(-1, 1, 1), kNew);
  const double edge = corvia::GetMeasuredDistance();
  units.SetDistanceUnits(corvia::kUnitCentimetre);
  const double printed = units.ModelToTwips(edge);
  // 1440 twips to the inch, 25.4 mm to the inch, 12 inches to the foot.
  const double inches = printed / 1440.0;
  const double expected[corvia::kNumDistanceUnits] = {inches * 25.4, inches * 2.54, inches * 0.0254, inches,
                                                      inches / 12.0};
  for (int u = 0; u < corvia::kNumDistanceUnits; ++u) {
    units.SetDistanceUnits(u);
    EXPECT_NEAR(units.TwipsToUnits(units.ModelToTwips(edge)), expected[u], 1e-9) << u;
    EXPECT_NEAR(units.ModelToTwips(edge), printed, 1e-6) << u;
  }

  corvia::ResetMeasurementPoints();
  PickPlane(kIcoA, kIcoB, kIcoC);
  PickPlane(kIcoA, kIcoC, kIcoD);
  const double angle = corvia::GetMeasuredAngle(0);
  char text[corvia::kAngleTextSize];
  units.SetAngleUnits(corvia::kAngleDegrees);
  EXPECT_STREQ(units.FormatAngle(text, angle, nullptr), "138.19");
  units.SetAngleUnits(corvia::kAngleDegreesMinutesSeconds);
  EXPECT_STREQ(units.FormatAngle(text, angle, "d"), "138d11'23\"");
  units.SetAngleUnits(corvia::kAngleRadians);
  EXPECT_STREQ(units.FormatAngle(text, angle, nullptr), "2.41186 rad");
  EXPECT_NEAR(angle / kDegree, 138.1896851042214, 1e-9);
  units = saved;
}

}  // namespace test_Measurement
