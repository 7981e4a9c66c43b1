// Measurement by picked points: each pick updates the three items, and the two
// newest items decide what goes into slots 0-5 of the measurement table.

#include "model/Measurement.h"

#include <cfloat>
#include <cmath>

#include "core/Geometry.h"
#include "core/Globals.h"
#include "core/Tolerances.h"
#include "core/VectorMath.h"
#include "model/PointPicker.h"
#include "platform/Services.h"

namespace corvia {

namespace detail_Measurement {

// How far the angle arms reach from their vertex, and the half-length of the marker
// along the line where two planes meet.
constexpr double kArmLength = 1.5;
constexpr double kMarkerHalfLength = 0.75;
constexpr int kPointsOfLine = 2;

int gSegmentIndex = 0;
double gMeasuredAngle = DBL_MAX;
ModeHelpRefresher gRefresher = nullptr;

double* Slot(int i) { return GetMeasurementPoint(i); }

bool IsDefined(const double* p) { return p[0] != kUndefinedPoint; }

// Writes three coordinates (w becomes 0).
void SetSlot(int i, const double* p) {
  double* slot = Slot(i);
  for (int c = 0; c < 3; ++c) slot[c] = p[c];
  slot[3] = 0.0;
}

void SetSlot4(int i, const double* p) {
  double* slot = Slot(i);
  for (int c = 0; c < 4; ++c) slot[c] = p[c];
}

double Length4(const double* v) {
  double sum = 0.0;
  for (int c = 0; c < 4; ++c) sum += v[c] * v[c];
  return std::sqrt(sum);
}

// Unit (a - b) over four components; false for a zero difference.
bool UnitDifference4(double* out, const double* a, const double* b) {
  for (int c = 0; c < 4; ++c) out[c] = a[c] - b[c];
  const double length = Length4(out);
  if (length == 0.0) return false;
  for (int c = 0; c < 4; ++c) out[c] /= length;
  return true;
}

// The angle between unit vectors, accurate near 0 and pi.
double AngleOfUnits4(const double* u, const double* v) {
  double dot = 0.0;
  double diff[4];
  double sum[4];
  for (int c = 0; c < 4; ++c) {
    dot += u[c] * v[c];
    diff[c] = u[c] - v[c];
    sum[c] = u[c] + v[c];
  }
  if (dot >= 0.0) return 2.0 * std::asin(std::fmin(1.0, Length4(diff) / 2.0));
  return M_PI - 2.0 * std::asin(std::fmin(1.0, Length4(sum) / 2.0));
}

void Normalise3(double* v) {
  const double length = std::sqrt(Dot(v, v));
  if (length > 0.0) Divide(v, v, length);
}

// The plane of a three-point item: unit normal (turned away from the origin) and
// offset, as n . p + d = 0. False when the points are in line.
bool PlaneOf(const PointPicker& item, double* plane) {
  const double* p0 = item.GetPoint(0);
  const double* p1 = item.GetPoint(1);
  const double* p2 = item.GetPoint(2);
  double e1[3], e2[3];
  Subtract(e1, p1, p0);
  Subtract(e2, p2, p0);
  if (AreParallel(e1, e2, kPointTolerance)) return false;
  TriangleNormal(plane, p0, p1, p2);
  Normalise3(plane);
  if (Dot(plane, p0) < 0.0) Negate(plane);
  plane[3] = -Dot(plane, p0);
  return true;
}

void Centroid(const PointPicker& item, double* out) { item.GetCentroid(out); }

// A degenerate item gives nothing to measure.
void NoMeasurement() { gSegmentIndex = kNoSegment; }

// Point and line: the foot of the point on the line, and the nearer end when the
// foot lies beyond it.
void PointAndLine(const PointPicker& pointItem, const PointPicker& lineItem) {
  const double* p = pointItem.GetPoint(0);
  const double* a = lineItem.GetPoint(0);
  const double* b = lineItem.GetPoint(1);
  double foot[3];
  const double t = ClosestPointOnLine(foot, p, a, b, kPointTolerance);
  SetSlot(0, p);
  SetSlot(1, foot);
  if (t < 0.0) SetSlot(2, a);
  if (t > 1.0) SetSlot(2, b);
}

void PointAndPlane(const PointPicker& pointItem, const PointPicker& planeItem) {
  double plane[4];
  if (!PlaneOf(planeItem, plane)) return NoMeasurement();
  const double* p = pointItem.GetPoint(0);
  double foot[3], centroid[4];
  ProjectPointOntoPlane(foot, p, plane);
  Centroid(planeItem, centroid);
  SetSlot(0, p);
  SetSlot(1, foot);
  SetSlot(2, centroid);
}

void LineAndLine(const PointPicker& newest, const PointPicker& previous) {
  const double* n0 = newest.GetPoint(0);
  const double* n1 = newest.GetPoint(1);
  const double* p0 = previous.GetPoint(0);
  const double* p1 = previous.GetPoint(1);
  double onNewest[3], onPrevious[3], params[2];
  ClosestPointsOfLines3D(onNewest, onPrevious, params, n0, n1, p0, p1, kPointTolerance);
  SetSlot(0, params[0] < 0.5 ? n1 : n0);
  SetSlot(1, onNewest);
  gSegmentIndex = 1;
  int next = 2;
  if (!NearlyEqual(onNewest, onPrevious, kPointTolerance)) {
    SetSlot(2, onPrevious);
    next = 3;
  } else {
    gSegmentIndex = kNoSegment;
  }
  SetSlot(next, params[1] < 0.5 ? p1 : p0);
  if (gSegmentIndex == kNoSegment) return;
  // Skew lines: the angle between their directions, folded into 0..pi/2.
  double u[4] = {0, 0, 0, 0}, v[4] = {0, 0, 0, 0};
  if (!UnitDifference4(u, n1, n0) || !UnitDifference4(v, p1, p0)) return;
  double angle = AngleOfUnits4(u, v);
  if (angle > M_PI / 2.0) angle = M_PI - angle;
  gMeasuredAngle = std::fabs(angle) <= kPointTolerance ? 0.0 : angle;
}

void LineAndPlane(const PointPicker& lineItem, const PointPicker& planeItem) {
  double plane[4];
  if (!PlaneOf(planeItem, plane)) return NoMeasurement();
  const double* a = lineItem.GetPoint(0);
  const double* b = lineItem.GetPoint(1);
  double direction[3];
  Subtract(direction, b, a);
  double planeCentroid[4];
  Centroid(planeItem, planeCentroid);
  double crossing[3];
  if (!IntersectLinePlane(crossing, plane, plane[3], a, direction, kPointTolerance)) {
    // Parallel: the distance of line and plane.
    double lineCentroid[4], foot[3];
    Centroid(lineItem, lineCentroid);
    ProjectPointOntoPlane(foot, lineCentroid, plane);
    SetSlot(0, lineCentroid);
    SetSlot(1, foot);
    SetSlot(2, planeCentroid);
    return;
  }
  gSegmentIndex = kNoSegment;
  const int k = DominantAxisOfDifference(a, b);
  const double t = (crossing[k] - a[k]) / (b[k] - a[k]);
  const double* far = t < 0.5 ? b : a;
  SetSlot(0, far);
  SetSlot(1, crossing);
  // The line's direction laid into the plane, turned towards the line's far end.
  double unitDirection[3], across[3], inPlane[3];
  CopyVector(unitDirection, direction);
  Normalise3(unitDirection);
  Cross(across, unitDirection, plane);
  Cross(inPlane, plane, across);
  double arm[3];
  if (!(std::fabs(inPlane[0]) <= kPointTolerance && std::fabs(inPlane[1]) <= kPointTolerance &&
        std::fabs(inPlane[2]) <= kPointTolerance)) {
    double toFar[3];
    Subtract(toFar, far, crossing);
    if (Dot(inPlane, toFar) < 0.0) Negate(inPlane);
    Normalise3(inPlane);
    Scale(arm, inPlane, kArmLength);
    Add(arm, crossing, arm);
    SetSlot(2, arm);
    return;
  }
  // The line is normal to the plane: any direction in the plane shows the right angle.
  if (!NearlyEqual(planeCentroid, crossing, kPointTolerance)) {
    SetSlot(2, planeCentroid);
    return;
  }
  // A direction in the plane, made with the axis along which the normal is smallest
  // (with the largest axis a normal along that axis would give no direction).
  PerpendicularByAxis(inPlane, plane);
  Normalise3(inPlane);
  Scale(arm, inPlane, kArmLength);
  Add(arm, crossing, arm);
  SetSlot(2, arm);
}

void PlaneAndPlane(const PointPicker& newest, const PointPicker& previous) {
  double planeA[4], planeB[4];
  if (!PlaneOf(newest, planeA) || !PlaneOf(previous, planeB)) return NoMeasurement();
  double centroidA[4], centroidB[4];
  Centroid(newest, centroidA);
  Centroid(previous, centroidB);
  double point[3], along[3];
  if (!IntersectPlanes(point, along, planeA, planeA[3], planeB, planeB[3], kPointTolerance)) {
    double foot[3];
    ProjectPointOntoPlane(foot, centroidA, planeB);
    SetSlot(0, centroidA);
    SetSlot(1, foot);
    SetSlot(2, centroidB);
    return;
  }
  gSegmentIndex = kNoSegment;
  Normalise3(along);
  // The point of the line nearest the middle of the two centroids.
  double middle[3], offset[3], vertex[3];
  for (int c = 0; c < 3; ++c) middle[c] = 0.5 * (centroidA[c] + centroidB[c]);
  Subtract(offset, middle, point);
  Scale(vertex, along, Dot(offset, along));
  Add(vertex, point, vertex);
  auto armTowards = [&](const double* normal, const double* centroid, double* out) {
    double direction[3], toCentroid[3];
    Cross(direction, normal, along);
    Subtract(toCentroid, centroid, vertex);
    if (Dot(direction, toCentroid) < 0.0) Negate(direction);
    Normalise3(direction);
    Scale(out, direction, kArmLength);
    Add(out, vertex, out);
  };
  double armA[3], armB[3], marker[3];
  armTowards(planeA, centroidA, armA);
  armTowards(planeB, centroidB, armB);
  SetSlot(0, armA);
  SetSlot(1, vertex);
  SetSlot(2, armB);
  for (int c = 0; c < 3; ++c) marker[c] = vertex[c] - kMarkerHalfLength * along[c];
  SetSlot(3, marker);
  for (int c = 0; c < 3; ++c) marker[c] = vertex[c] + kMarkerHalfLength * along[c];
  SetSlot(4, marker);
}

void Measure(int count) {
  const PointPicker& newest = GetPointPicker(0);
  const PointPicker& previous = GetPointPicker(1);
  const int kind = newest.mCount - 5 + 4 * previous.mCount;
  switch (kind) {
    case 0:
      SetSlot4(0, newest.GetPoint(0));
      SetSlot4(1, previous.GetPoint(0));
      if (count > 2) SetSlot4(2, GetPointPicker(2).GetPoint(0));
      break;
    case 1:
      PointAndLine(previous, newest);
      break;
    case 4:
      PointAndLine(newest, previous);
      break;
    case 2:
      PointAndPlane(previous, newest);
      break;
    case 8:
      PointAndPlane(newest, previous);
      break;
    case 5:
      LineAndLine(newest, previous);
      break;
    case 6:
      LineAndPlane(previous, newest);
      break;
    case 9:
      LineAndPlane(newest, previous);
      break;
    case 10:
      PlaneAndPlane(newest, previous);
      break;
    default:
      break;
  }
}

}  // namespace detail_Measurement

void ResetMeasurement() {
  for (int i = 0; i < kNumMeasureSlots; ++i) {
    double* slot = detail_Measurement::Slot(i);
    slot[0] = kUndefinedPoint;
    slot[1] = slot[2] = slot[3] = 0.0;
  }
  detail_Measurement::gSegmentIndex = 0;
  detail_Measurement::gMeasuredAngle = DBL_MAX;
}

ModeHelpRefresher SetModeHelpRefresher(ModeHelpRefresher refresher) {
  const ModeHelpRefresher before = detail_Measurement::gRefresher;
  detail_Measurement::gRefresher = refresher;
  return before;
}

void PickMeasurementPoint(const double* point, uint32_t flags) {
  if (!GetPointPicker(0).AddPoint(point, 3, flags)) return;
  int count = 0;
  while (count < kNumPointPickers && GetPointPicker(count).mCount >= 1) ++count;

  const bool add = (flags & kMeasureAddToItem) != 0;
  const bool replace = (flags & kMeasureReplaceItem) != 0;
  if (!(add || (replace && count >= 1))) {
    // A new item begins at the front; the oldest falls away.
    const PointPicker oldest = GetPointPicker(2);
    GetPointPicker(2) = GetPointPicker(1);
    GetPointPicker(1) = GetPointPicker(0);
    GetPointPicker(0) = oldest;
    if (count < kNumPointPickers) ++count;
  } else if (count == 0) {
    count = 1;
  }
  GetPointPicker(0).StorePoint(point, 3, flags);

  ResetMeasurement();
  if (count == kNumPointPickers) {
    bool allSingle = true;
    for (int k = 0; k < kNumPointPickers; ++k) allSingle = allSingle && GetPointPicker(k).mCount == 1;
    if (!allSingle) {
      GetPointPicker(2).Reset();
      count = 2;
    }
  }
  if (count >= 2) detail_Measurement::Measure(count);

  platform::Services().views->RedrawAllViews(false);
  if (detail_Measurement::gRefresher) detail_Measurement::gRefresher();
}

bool GetMeasuredSegment(double* first, double* second, const double (*table)[4]) {
  const int i = detail_Measurement::gSegmentIndex;
  if (i < 0 || i + 1 >= kNumMeasureSlots) return false;
  const double* a = table ? table[i] : detail_Measurement::Slot(i);
  const double* b = table ? table[i + 1] : detail_Measurement::Slot(i + 1);
  if (!detail_Measurement::IsDefined(a) || !detail_Measurement::IsDefined(b)) return false;
  for (int c = 0; c < 4; ++c) {
    first[c] = a[c];
    second[c] = b[c];
  }
  return true;
}

double GetMeasuredDistance() {
  double a[4], b[4], d[4];
  if (!GetMeasuredSegment(a, b)) return DBL_MAX;
  for (int c = 0; c < 4; ++c) d[c] = b[c] - a[c];
  const double length = detail_Measurement::Length4(d);
  return length <= kPointTolerance ? 0.0 : length;
}

bool GetMeasuredLine(int which, int* slots) {
  if (which != 0 && which != 1) return false;
  for (int k = 0; k < 3; ++k) slots[k] = 3 * which + k;
  const double* a = detail_Measurement::Slot(slots[0]);
  const double* m = detail_Measurement::Slot(slots[1]);
  const double* b = detail_Measurement::Slot(slots[2]);
  if (!detail_Measurement::IsDefined(a) || !detail_Measurement::IsDefined(m) || !detail_Measurement::IsDefined(b)) {
    return false;
  }
  if (NearlyEqual(a, m, kPointTolerance) || NearlyEqual(b, m, kPointTolerance)) {
    return false;
  }
  return true;
}

double GetMeasuredAngle(int which) {
  if (which == 0 && detail_Measurement::gMeasuredAngle != DBL_MAX) return detail_Measurement::gMeasuredAngle;
  int slots[3];
  if (!GetMeasuredLine(which, slots)) return DBL_MAX;
  double u[4], v[4];
  const double* m = detail_Measurement::Slot(slots[1]);
  if (!detail_Measurement::UnitDifference4(u, detail_Measurement::Slot(slots[0]), m) ||
      !detail_Measurement::UnitDifference4(v, detail_Measurement::Slot(slots[2]), m)) {
    return DBL_MAX;
  }
  return detail_Measurement::AngleOfUnits4(u, v);
}

bool GetMeasuredPlane(double* out) {
  const PointPicker& item = GetPointPicker(0);
  if (item.mCount < 1) return false;
  const double* p0 = item.GetPoint(0);
  double nearest[4];
  if (item.mCount == 1) {
    for (int c = 0; c < 4; ++c) nearest[c] = p0[c];
  } else if (item.mCount == detail_Measurement::kPointsOfLine) {
    double direction[4];
    if (!detail_Measurement::UnitDifference4(direction, item.GetPoint(1), p0)) return false;
    ProjectPointOntoHyperplane4D(nearest, p0, direction);
  } else {
    double u[4], w[4];
    if (!MakePlaneBasis4D(u, w, p0, item.GetPoint(1), item.GetPoint(2), kPointTolerance)) return false;
    ProjectOntoHyperplane4D(nearest, p0, u, w, kPointTolerance);
  }
  bool atOrigin = true;
  for (int c = 0; c < 4; ++c) atOrigin = atOrigin && std::fabs(nearest[c]) <= kPointTolerance;
  if (atOrigin) return false;
  const double length = detail_Measurement::Length4(nearest);
  for (int c = 0; c < 4; ++c) out[c] = nearest[c] / length;
  return true;
}

}  // namespace corvia
