#pragma once
// Distances, projections and intersections of points, lines, segments, planes and
// circles in 2D, 3D and 4D. Every tolerance is the caller's, except the circle and
// triangle test, which works to a fixed 1e-5.
//
// Points are double arrays: 2D (x, y), 3D (x, y, z), 4D (x, y, z, w). A plane is four
// doubles (unit normal n, offset d) with n.p + d = 0. The 4D hyperplanes pass through
// the origin and are given by their normal alone.

namespace corvia {

// Result codes of IntersectSegments2D / IntersectSegments3D for segments AB and CD.
enum SegmentContact : int {
  kSegmentsApart = 0,
  kSegmentsAMeetsC = 1,
  kSegmentsAMeetsD = 2,
  kSegmentsBMeetsC = 3,
  kSegmentsBMeetsD = 4,
  kSegmentsCInsideAB = 5,
  kSegmentsDInsideAB = 6,
  kSegmentsAInsideCD = 7,
  kSegmentsBInsideCD = 8,
  kSegmentsSameExtentSameWay = 9,
  kSegmentsSameExtentOpposite = 10,
  kSegmentsPartialOverlap = 11,
  kSegmentsCross = 12,
  kSegmentsNotCoplanar = 13,
};

// Groups the callers test for.
inline bool IsEndpointContact(int code) { return code >= kSegmentsAMeetsC && code <= kSegmentsBMeetsD; }
inline bool IsTContact(int code) { return code >= kSegmentsCInsideAB && code <= kSegmentsBInsideCD; }
inline bool IsCollinearOverlap(int code) {
  return code >= kSegmentsSameExtentSameWay && code <= kSegmentsPartialOverlap;
}

double DistanceOfLineFromOrigin2D(const double* p, const double* q);
double DistancePointToLine3D(const double* a, const double* b, const double* p, double tol);
// Foot of the perpendicular from p on the line a-b; returns its parameter (0 at a, 1 at b).
double ClosestPointOnLine(double* out, const double* p, const double* a, const double* b, double tol);
void ProjectPointOntoPlane(double* out, const double* p, const double* plane);
void ProjectPointOntoHyperplane4D(double* out, const double* p, const double* n);
void ProjectOntoHyperplane4D(double* out, const double* p, const double* n, const double* q, double tol);
// Closest points of the lines a0-a1 and b0-b1; params (two doubles) may be null.
// Returns the signed distance between the lines along their unit common normal.
double ClosestPointsOfLines3D(double* outA, double* outB, double* params, const double* a0, const double* a1,
                              const double* b0, const double* b1, double tol);
// triangle: three 2D corners, six doubles.
bool IsPointInTriangle2D(const double* p, const double* triangle);
bool IntersectLines2D(double* out, const double* p1, const double* p2, const double* q1, const double* q2,
                      double tol);
int IntersectSegments2D(const double* a, const double* b, const double* c, const double* d, double tol,
                        double* out1, double* out2);
int IntersectSegments3D(const double* a, const double* b, const double* c, const double* d, double tol,
                        double* out1, double* out2);
// triangle: three anticlockwise 2D corners (six doubles); starts and ends hold three
// 2D points each (six doubles). Returns the number of arcs inside the triangle.
int IntersectCircleTriangle2D(const double* centre, double radius, const double* triangle, double* starts,
                              double* ends);
bool IntersectPlanes(double* outPoint, double* outDirection, const double* normal1, double d1,
                     const double* normal2, double d2, double tol);
bool IntersectLinePlane(double* out, const double* n, double d, const double* point, const double* direction,
                        double tol);
bool SegmentCrossesPlane(double* out, const double* n, double d, const double* a, const double* b, double tol);
int GetQuadrant2D(const double* v);
bool MakePlaneBasis4D(double* u, double* w, const double* p0, const double* p1, const double* p2, double tol);
// previous (2D, in/out) and quadrant (in/out) carry the walk from call to call.
int GetQuadrantWinding2D(const double* p, double* previous, int& quadrant, double tol);
bool SphereThroughFourPoints(double* out, const double* p1, const double* p2, const double* p3,
                             const double* p4, double tol);

// Node of a singly linked list of points.
struct UniquePoint {
  double x = 0.0;
  double y = 0.0;
  double z = 0.0;
  UniquePoint* next = nullptr;

  UniquePoint() = default;
  explicit UniquePoint(const double* p) : x(p[0]), y(p[1]), z(p[2]) {}
};

// Points found or added with a tolerance box: two points are one when every component
// differs by at most the tolerance. Indices are positions in adding order.
class TolerantPointList {
 public:
  explicit TolerantPointList(double tolerance) : mTolerance(tolerance) {}
  ~TolerantPointList();
  TolerantPointList(const TolerantPointList&) = delete;
  TolerantPointList& operator=(const TolerantPointList&) = delete;

  int FindOrAdd(const double* p, bool* added = nullptr);
  // Adds p at the end without looking for a point near it, for callers that have told
  // their points apart themselves; its index.
  int Append(const double* p);
  int Find(const double* p) const;
  void Clear();

  int Count() const { return mCount; }
  double Tolerance() const { return mTolerance; }
  const UniquePoint* Head() const { return mHead; }

 private:
  double mTolerance;
  int mCount = 0;
  UniquePoint* mHead = nullptr;
  UniquePoint* mTail = nullptr;
};

}  // namespace corvia
