#include "core/Geometry.h"

#include <cmath>

#include "core/Tolerances.h"
#include "core/VectorMath.h"

namespace corvia {

namespace detail_Geometry {

inline bool Within(double v, double tol) { return v >= -tol && v <= tol; }

inline bool AllWithin3(const double* v, double tol) {
  return Within(v[0], tol) && Within(v[1], tol) && Within(v[2], tol);
}

inline bool InBox2D(const double* p, const double* q, double tol) {
  return Within(p[0] - q[0], tol) && Within(p[1] - q[1], tol);
}

// Line through p and q scaled by the L1 length of q - p, so that a tolerance on the
// line value means nearly the same distance in every direction.
struct Line2D {
  double a, b, c;
};

inline Line2D NormalisedLine(const double* p, const double* q) {
  const double len = std::fabs(q[1] - p[1]) + std::fabs(p[0] - q[0]);
  return {(q[1] - p[1]) / len, (p[0] - q[0]) / len, (q[0] * p[1] - p[0] * q[1]) / len};
}

inline double LineValue(const Line2D& l, const double* p) { return l.a * p[0] + l.b * p[1] + l.c; }

inline double Snap(double v, double tol) { return Within(v, tol) ? 0.0 : v; }

inline double Length2D(double x, double y) { return std::sqrt(x * x + y * y); }

inline void Copy2(double* out, const double* p) {
  if (out) {
    out[0] = p[0];
    out[1] = p[1];
  }
}

// A segment shorter than the tolerance has no line; it is treated as a point.
int PointSegmentContact(const double* p, bool pIsFirst, const double* s0, const double* s1, double tol,
                        double* out1) {
  // p is A (of a point AB) against CD, or C (of a point CD) against AB.
  if (InBox2D(p, s0, tol)) {
    Copy2(out1, p);
    return kSegmentsAMeetsC;  // A on C, or C on A
  }
  if (InBox2D(p, s1, tol)) {
    Copy2(out1, p);
    return pIsFirst ? kSegmentsAMeetsD : kSegmentsBMeetsC;
  }
  const Line2D l = NormalisedLine(s0, s1);
  if (!Within(LineValue(l, p), tol)) return kSegmentsApart;
  const int k = std::fabs(s1[0] - s0[0]) >= std::fabs(s1[1] - s0[1]) ? 0 : 1;
  const double lo = std::fmin(s0[k], s1[k]);
  const double hi = std::fmax(s0[k], s1[k]);
  if (p[k] < lo || p[k] > hi) return kSegmentsApart;
  Copy2(out1, p);
  return pIsFirst ? kSegmentsAInsideCD : kSegmentsCInsideAB;
}

}  // namespace detail_Geometry

double DistanceOfLineFromOrigin2D(const double* p, const double* q) {
  const double dx = q[0] - p[0];
  const double dy = q[1] - p[1];
  const double len = detail_Geometry::Length2D(dx, dy);
  if (len == 0.0) return detail_Geometry::Length2D(p[0], p[1]);  // a point: its own distance
  return std::fabs(p[0] * dy - p[1] * dx) / len;
}

double DistancePointToLine3D(const double* a, const double* b, const double* p, double tol) {
  double ab[3], bp[3], c[3];
  Subtract(ab, b, a);
  Subtract(bp, p, b);
  Cross(c, ab, bp);
  if (detail_Geometry::AllWithin3(c, tol)) return 0.0;
  const double len = std::sqrt(Dot(ab, ab));
  if (len == 0.0) return std::sqrt(Dot(bp, bp));
  return std::sqrt(Dot(c, c)) / len;
}

double ClosestPointOnLine(double* out, const double* p, const double* a, const double* b, double tol) {
  double ab[3], ap[3];
  Subtract(ab, b, a);
  if (detail_Geometry::AllWithin3(ab, tol)) {
    CopyVector(out, a);
    return 0.0;
  }
  Subtract(ap, p, a);
  const double t = Dot(ap, ab) / Dot(ab, ab);
  for (int i = 0; i < 3; ++i) out[i] = a[i] + t * ab[i];
  return t;
}

void ProjectPointOntoPlane(double* out, const double* p, const double* plane) {
  const double dist = Dot(plane, p) + plane[3];
  for (int i = 0; i < 3; ++i) out[i] = p[i] - dist * plane[i];
}

void ProjectPointOntoHyperplane4D(double* out, const double* p, const double* n) {
  double dot = 0.0;
  for (int i = 0; i < 4; ++i) dot += n[i] * p[i];
  for (int i = 0; i < 4; ++i) out[i] = p[i] - dot * n[i];
}

void ProjectOntoHyperplane4D(double* out, const double* p, const double* n, const double* q, double tol) {
  double len = 0.0;
  for (int i = 0; i < 4; ++i) len += n[i] * n[i];
  len = std::sqrt(len);
  double nu[4], p1[4], q1[4];
  for (int i = 0; i < 4; ++i) nu[i] = len > 0.0 ? n[i] / len : 0.0;
  ProjectPointOntoHyperplane4D(p1, p, nu);
  ProjectPointOntoHyperplane4D(q1, q, nu);
  bool zero = true;
  for (int i = 0; i < 4; ++i) zero = zero && detail_Geometry::Within(q1[i], tol);
  if (zero) {
    for (int i = 0; i < 4; ++i) out[i] = p1[i];
    return;
  }
  double qlen = 0.0;
  for (int i = 0; i < 4; ++i) qlen += q1[i] * q1[i];
  qlen = std::sqrt(qlen);
  for (int i = 0; i < 4; ++i) q1[i] /= qlen;
  ProjectPointOntoHyperplane4D(out, p1, q1);
}

double ClosestPointsOfLines3D(double* outA, double* outB, double* params, const double* a0, const double* a1,
                              const double* b0, const double* b1, double tol) {
  double da[3], db[3], n[3];
  Subtract(da, a1, a0);
  Subtract(db, b1, b0);
  Cross(n, da, db);
  if (detail_Geometry::AllWithin3(n, tol)) {
    // Parallel: the middle of the first segment and its foot on the second line.
    for (int i = 0; i < 3; ++i) outA[i] = 0.5 * (a0[i] + a1[i]);
    const double t = ClosestPointOnLine(outB, outA, b0, b1, tol);
    if (params) {
      params[0] = 0.5;
      params[1] = t;
    }
    double diff[3];
    Subtract(diff, outB, outA);
    return std::sqrt(Dot(diff, diff));
  }
  const double nn = Dot(n, n);
  double w[3], c[3];
  Subtract(w, b0, a0);
  Cross(c, w, db);
  const double s = Dot(c, n) / nn;
  Cross(c, w, da);
  const double t = Dot(c, n) / nn;
  for (int i = 0; i < 3; ++i) {
    outA[i] = a0[i] + s * da[i];
    outB[i] = b0[i] + t * db[i];
  }
  if (params) {
    // Parameters as the fraction of each segment along its dominant axis.
    const int ka = DominantAxisOfDifference(a0, a1);
    const int kb = DominantAxisOfDifference(b0, b1);
    params[0] = da[ka] != 0.0 ? (outA[ka] - a0[ka]) / da[ka] : s;
    params[1] = db[kb] != 0.0 ? (outB[kb] - b0[kb]) / db[kb] : t;
  }
  return Dot(w, n) / std::sqrt(nn);
}

bool IsPointInTriangle2D(const double* p, const double* triangle) {
  bool inside = false;
  for (int i = 0, j = 2; i < 3; j = i++) {
    const double* vi = triangle + 2 * i;
    const double* vj = triangle + 2 * j;
    if ((vi[1] > p[1]) != (vj[1] > p[1])) {
      const double x = vj[0] + (p[1] - vj[1]) * (vi[0] - vj[0]) / (vi[1] - vj[1]);
      if (p[0] < x) inside = !inside;
    }
  }
  return inside;
}

bool IntersectLines2D(double* out, const double* p1, const double* p2, const double* q1, const double* q2,
                      double tol) {
  using namespace detail_Geometry;
  if (InBox2D(p1, p2, 0.0) || InBox2D(q1, q2, 0.0)) return false;
  const Line2D l1 = NormalisedLine(p1, p2);
  const Line2D l2 = NormalisedLine(q1, q2);
  const double det = l1.a * l2.b - l2.a * l1.b;
  if (Within(det, tol)) return false;
  out[0] = (l1.b * l2.c - l2.b * l1.c) / det;
  out[1] = (l2.a * l1.c - l1.a * l2.c) / det;
  return true;
}

namespace detail_Geometry {

// How segments AB and CD that are not collinear touch where an end of one lies on the
// other's line (the snapped sides sA, sB of A and B from CD's line and sC, sD of C and D
// from AB's, 0 on the line); -1 when no end touches.
int EndContact(const double* a, const double* b, const double* c, const double* d, double sA, double sB, double sC,
               double sD, double tol) {
  int code = -1;
  if (sC == 0.0) {
    if (sA == 0.0) {
      if (InBox2D(c, a, tol)) code = kSegmentsAMeetsC;
    } else if (sB != 0.0) {
      code = kSegmentsCInsideAB;
    } else if (InBox2D(c, b, tol)) {
      code = kSegmentsBMeetsC;
    }
  } else if (sD != 0.0) {
    if (sA == 0.0) {
      code = kSegmentsAInsideCD;
    } else if (sB != 0.0) {
      code = kSegmentsCross;
    } else {
      code = kSegmentsBInsideCD;
    }
  } else {
    if (sA == 0.0) {
      if (InBox2D(d, a, tol)) code = kSegmentsAMeetsD;
    } else if (sB != 0.0) {
      code = kSegmentsDInsideAB;
    } else if (InBox2D(d, b, tol)) {
      code = kSegmentsBMeetsD;
    }
  }
  return code;
}

// How collinear segments AB and CD meet or overlap (compared along the axis in which AB
// extends more), with the points of contact in out1 (and the overlap's other end in out2).
int CollinearSegmentsContact(const double* a, const double* b, const double* c, const double* d, const Line2D& lab,
                             double tol, double* out1, double* out2) {
  const int k = std::fabs(lab.b) <= std::fabs(lab.a) ? 1 : 0;
  const double lo1 = std::fmin(a[k], b[k]), hi1 = std::fmax(a[k], b[k]);
  const double lo2 = std::fmin(c[k], d[k]), hi2 = std::fmax(c[k], d[k]);
  if (hi1 - lo1 < tol) return kSegmentsApart;
  if (lo1 > hi2 + tol || lo2 - tol > hi1) return kSegmentsApart;
  if (hi2 - tol < lo1 || hi1 < lo2 + tol) {
    if (!Within(a[k] - c[k], tol) && !Within(a[k] - d[k], tol)) {
      Copy2(out1, b);
      return Within(c[k] - b[k], tol) ? kSegmentsBMeetsC : kSegmentsBMeetsD;
    }
    Copy2(out1, a);
    return Within(c[k] - a[k], tol) ? kSegmentsAMeetsC : kSegmentsAMeetsD;
  }
  if (Within(lo1 - lo2, tol) && Within(hi1 - hi2, tol)) {
    Copy2(out1, a);
    Copy2(out2, b);
    return Within(a[k] - c[k], tol) ? kSegmentsSameExtentSameWay : kSegmentsSameExtentOpposite;
  }
  const double* cdLow = c[k] < d[k] ? c : d;
  const double* cdHigh = d[k] > c[k] ? d : c;
  if (a[k] <= b[k]) {
    Copy2(out1, a[k] >= lo2 ? a : cdLow);
    Copy2(out2, b[k] <= hi2 ? b : cdHigh);
  } else {
    Copy2(out1, a[k] <= hi2 ? a : cdHigh);
    Copy2(out2, b[k] >= lo2 ? b : cdLow);
  }
  return kSegmentsPartialOverlap;
}

}  // namespace detail_Geometry

int IntersectSegments2D(const double* a, const double* b, const double* c, const double* d, double tol,
                        double* out1, double* out2) {
  using namespace detail_Geometry;
  // A segment of no length has no line to measure against: treat it as a point.
  const bool abPoint = InBox2D(a, b, tol);
  const bool cdPoint = InBox2D(c, d, tol);
  if (abPoint && cdPoint) {
    if (!InBox2D(a, c, tol)) return kSegmentsApart;
    Copy2(out1, a);
    return kSegmentsAMeetsC;
  }
  if (abPoint) return PointSegmentContact(a, true, c, d, tol, out1);
  if (cdPoint) return PointSegmentContact(c, false, a, b, tol, out1);

  const Line2D lab = NormalisedLine(a, b);
  const double dC = LineValue(lab, c);
  const double dD = LineValue(lab, d);
  const double sC = Snap(dC, tol);
  const double sD = Snap(dD, tol);

  if (sC != 0.0 || sD != 0.0) {
    if ((sC > 0.0 && sD > 0.0) || (sC < 0.0 && sD < 0.0)) return kSegmentsApart;
    const Line2D lcd = NormalisedLine(c, d);
    const double dA = LineValue(lcd, a);
    const double dB = LineValue(lcd, b);
    const double sA = Snap(dA, tol);
    const double sB = Snap(dB, tol);
    if ((sA > 0.0 && sB > 0.0) || (sA < 0.0 && sB < 0.0)) return kSegmentsApart;
    if (out1) {
      const double det = lab.a * lcd.b - lcd.a * lab.b;
      if (det != 0.0) {
        out1[0] = (lab.b * lcd.c - lcd.b * lab.c) / det;
        out1[1] = (lcd.a * lab.c - lab.a * lcd.c) / det;
      } else {
        out1[0] = sC == 0.0 ? c[0] : d[0];
        out1[1] = sC == 0.0 ? c[1] : d[1];
      }
    }
    const int code = EndContact(a, b, c, d, sA, sB, sC, sD, tol);
    if (code >= 0) return code;
    if ((dA <= 0.0 || dB <= 0.0) && (dA >= 0.0 || dB >= 0.0) && (dC <= 0.0 || dD <= 0.0) &&
        (dC >= 0.0 || dD >= 0.0))
      return kSegmentsCross;
    return kSegmentsApart;
  }

  return CollinearSegmentsContact(a, b, c, d, lab, tol, out1, out2);
}

int IntersectSegments3D(const double* a, const double* b, const double* c, const double* d, double tol,
                        double* out1, double* out2) {
  using namespace detail_Geometry;
  double ab[3], cd[3], n[3];
  Subtract(ab, b, a);
  Subtract(cd, d, c);
  Cross(n, ab, cd);
  if (AllWithin3(n, tol)) {
    // Parallel directions: the segments meet only when CD lies on AB's line (two
    // parallel lines apart would otherwise project onto one 2D segment).
    double ac[3], ad[3], t1[3], t2[3];
    Subtract(ac, c, a);
    Subtract(ad, d, a);
    Cross(t1, ab, ac);
    Cross(t2, ab, ad);
    if (!AllWithin3(ab, tol) && (!AllWithin3(t1, tol) || !AllWithin3(t2, tol))) return kSegmentsApart;
    double e[3] = {0.0, 0.0, 0.0};
    e[SmallestAxis(ab)] = 1.0;
    Cross(n, ab, e);
  } else {
    double ac[3];
    Subtract(ac, c, a);
    if (!Within(Dot(ac, n), tol)) return kSegmentsNotCoplanar;
  }
  const int drop = LargestAxis(n);
  const int kx = (drop + 1) % 3;
  const int ky = (drop + 2) % 3;
  const double a2[2] = {a[kx], a[ky]}, b2[2] = {b[kx], b[ky]};
  const double c2[2] = {c[kx], c[ky]}, d2[2] = {d[kx], d[ky]};
  double r1[2] = {0.0, 0.0}, r2[2] = {0.0, 0.0};
  const int code = IntersectSegments2D(a2, b2, c2, d2, tol, r1, r2);
  if (code == kSegmentsApart) return code;
  // Lift a 2D result back onto AB through the kept axis in which AB extends more.
  const int m = std::fabs(b[kx] - a[kx]) > std::fabs(b[ky] - a[ky]) ? kx : ky;
  const int mi = m == kx ? 0 : 1;
  auto lift = [&](double* out, const double* r) {
    const double span = b[m] - a[m];
    const double t = span != 0.0 ? (r[mi] - a[m]) / span : 0.0;
    out[kx] = r[0];
    out[ky] = r[1];
    out[drop] = a[drop] + t * (b[drop] - a[drop]);
  };
  if (out1) lift(out1, r1);
  if (out2 && IsCollinearOverlap(code)) lift(out2, r2);
  return code;
}

int IntersectCircleTriangle2D(const double* centre, double radius, const double* triangle, double* starts,
                              double* ends) {
  constexpr double E = kCircleTriangleTolerance;
  int count = 0;
  bool pending = false;
  bool inside = true;
  double entry[2] = {0.0, 0.0};
  bool previousEndFlag = false;
  bool corner0Flag = false;
  for (int i = 0; i < 3; ++i) {
    const double* p = triangle + 2 * i;
    const double* q = triangle + 2 * ((i + 1) % 3);
    bool endFlag = false;
    const double len = detail_Geometry::Length2D(q[0] - p[0], q[1] - p[1]);
    if (len == 0.0) {  // a corner repeated: no edge to cut
      previousEndFlag = false;
      continue;
    }
    const double ux = (q[0] - p[0]) / len, uy = (q[1] - p[1]) / len;
    const double s = uy * (p[0] - centre[0]) - ux * (p[1] - centre[1]);
    if (s >= radius - E) {
      previousEndFlag = false;
      continue;
    }
    inside = false;
    if (s <= -(radius - E)) {
      previousEndFlag = false;
      continue;
    }
    const double fx = centre[0] + s * uy, fy = centre[1] - s * ux;
    const double h = std::sqrt(std::fmax(0.0, radius * radius - s * s));
    const double xs[2][2] = {{fx - h * ux, fy - h * uy}, {fx + h * ux, fy + h * uy}};
    for (int which = 0; which < 2; ++which) {
      const double* x = xs[which];
      const double a = (x[0] - p[0]) * ux + (x[1] - p[1]) * uy;
      const double b = (x[0] - q[0]) * ux + (x[1] - q[1]) * uy;
      bool taken = false;
      bool cornerTest = false;
      if (a > E && b < -E) {
        taken = true;
      } else if (a > -E && a <= E && b < -E) {
        cornerTest = !previousEndFlag;
      } else if (a > E && b >= -E && b < E) {
        cornerTest = !(i == 2 && corner0Flag);
      }
      if (cornerTest) {
        // The boundary enters the circle here only when exactly one edge at the
        // corner heads into it.
        const int k = a < E ? i : (i + 1) % 3;
        const double* ck = triangle + 2 * k;
        const double* cprev = triangle + 2 * ((k + 2) % 3);
        const double* cnext = triangle + 2 * ((k + 1) % 3);
        const double rx = x[0] - centre[0], ry = x[1] - centre[1];
        const double d1 = (cprev[0] - ck[0]) * rx + (cprev[1] - ck[1]) * ry;
        const double d2 = (cnext[0] - ck[0]) * rx + (cnext[1] - ck[1]) * ry;
        taken = (d1 < -E) != (d2 < -E);
        if (taken) {
          if (b > -E) endFlag = true;
          if (i == 0 && a < E) corner0Flag = true;
        }
      }
      if (!taken) continue;
      if (which == 0) {
        if (pending) {
          ends[2 * count] = x[0];
          ends[2 * count + 1] = x[1];
          ++count;
          pending = false;
        } else {
          entry[0] = x[0];
          entry[1] = x[1];
        }
      } else if (count < 3) {
        starts[2 * count] = x[0];
        starts[2 * count + 1] = x[1];
        pending = true;
      }
    }
    previousEndFlag = endFlag;
  }
  if (pending && count < 3) {
    ends[2 * count] = entry[0];
    ends[2 * count + 1] = entry[1];
    ++count;
  }
  if (inside) {
    starts[0] = ends[0] = centre[0] + radius;
    starts[1] = ends[1] = centre[1];
    return 1;
  }
  return count;
}

bool IntersectPlanes(double* outPoint, double* outDirection, const double* normal1, double d1,
                     const double* normal2, double d2, double tol) {
  Cross(outDirection, normal1, normal2);
  const int k = LargestAxis(outDirection);
  if (detail_Geometry::Within(outDirection[k], tol)) return false;
  // With coordinate k = 0 both plane equations are two equations in the other two.
  const int i = (k + 1) % 3, j = (k + 2) % 3;
  const double det = normal1[i] * normal2[j] - normal1[j] * normal2[i];
  outPoint[k] = 0.0;
  outPoint[i] = (-d1 * normal2[j] + d2 * normal1[j]) / det;
  outPoint[j] = (-d2 * normal1[i] + d1 * normal2[i]) / det;
  return true;
}

bool IntersectLinePlane(double* out, const double* n, double d, const double* point, const double* direction,
                        double tol) {
  const double nd = Dot(n, direction);
  if (detail_Geometry::Within(nd, tol)) return false;
  const double t = -(Dot(n, point) + d) / nd;
  for (int i = 0; i < 3; ++i) out[i] = point[i] + t * direction[i];
  return true;
}

bool SegmentCrossesPlane(double* out, const double* n, double d, const double* a, const double* b, double tol) {
  double dir[3];
  Subtract(dir, b, a);
  // A segment parallel to the plane has no single crossing point to give.
  if (!IntersectLinePlane(out, n, d, a, dir, tol)) return false;
  const double da = Dot(n, a) + d;
  const double db = Dot(n, b) + d;
  return !((da > tol && db > tol) || (da < -tol && db < -tol));
}

int GetQuadrant2D(const double* v) {
  if (v[0] > 0.0) return v[1] > 0.0 ? 0 : 3;
  return v[1] > 0.0 ? 1 : 2;
}

bool MakePlaneBasis4D(double* u, double* w, const double* p0, const double* p1, const double* p2, double tol) {
  for (int i = 0; i < 4; ++i) {
    u[i] = p1[i] - p0[i];
    w[i] = p2[i] - p0[i];
  }
  const int k = DominantAxis4D(w);
  if (detail_Geometry::Within(w[k], tol)) return false;
  const double ratio = u[k] / w[k];
  bool multiple = true;
  for (int i = 0; i < 4; ++i) multiple = multiple && detail_Geometry::Within(u[i] - ratio * w[i], tol);
  if (multiple) return false;
  double len = 0.0;
  for (int i = 0; i < 4; ++i) len += u[i] * u[i];
  len = std::sqrt(len);
  for (int i = 0; i < 4; ++i) u[i] /= len;
  double dot = 0.0;
  for (int i = 0; i < 4; ++i) dot += u[i] * w[i];
  for (int i = 0; i < 4; ++i) w[i] -= dot * u[i];
  len = 0.0;
  for (int i = 0; i < 4; ++i) len += w[i] * w[i];
  len = std::sqrt(len);
  if (len == 0.0) return false;
  for (int i = 0; i < 4; ++i) w[i] /= len;
  return true;
}

int GetQuadrantWinding2D(const double* p, double* previous, int& quadrant, double tol) {
  const int q = GetQuadrant2D(p);
  const int step = ((q - quadrant) % 4 + 4) % 4;
  int result = 0;
  if (step == 1) {
    result = 1;
  } else if (step == 3) {
    result = -1;
  } else if (step == 2) {
    if (detail_Geometry::Within(p[0] + previous[0], tol) && detail_Geometry::Within(p[1] + previous[1], tol)) {
      result = -2;  // the edge runs through the origin
    } else {
      // The side on which the edge passes the origin gives the sense of the half turn.
      const double cross = previous[0] * p[1] - previous[1] * p[0];
      result = cross > 0.0 ? 2 : -2;
    }
  }
  quadrant = q;
  previous[0] = p[0];
  previous[1] = p[1];
  return result;
}

bool SphereThroughFourPoints(double* out, const double* p1, const double* p2, const double* p3,
                             const double* p4, double tol) {
  double u[3], v[3], w[3], vw[3], wu[3], uv[3];
  Subtract(u, p2, p1);
  Subtract(v, p3, p1);
  Subtract(w, p4, p1);
  Cross(vw, v, w);
  const double denom = 2.0 * Dot(u, vw);
  if (detail_Geometry::Within(denom, tol)) return false;
  Cross(wu, w, u);
  Cross(uv, u, v);
  const double uu = Dot(u, u), vv = Dot(v, v), ww = Dot(w, w);
  for (int i = 0; i < 3; ++i) out[i] = (ww * uv[i] + vv * wu[i] + uu * vw[i]) / denom;
  return true;
}

// ---- TolerantPointList ------------------------------------------------------------

TolerantPointList::~TolerantPointList() { Clear(); }

void TolerantPointList::Clear() {
  while (mHead) {
    UniquePoint* next = mHead->next;
    delete mHead;
    mHead = next;
  }
  mTail = nullptr;
  mCount = 0;
}

int TolerantPointList::Find(const double* p) const {
  int index = 0;
  for (const UniquePoint* node = mHead; node; node = node->next, ++index) {
    if (detail_Geometry::Within(node->x - p[0], mTolerance) && detail_Geometry::Within(node->y - p[1], mTolerance) &&
        detail_Geometry::Within(node->z - p[2], mTolerance))
      return index;
  }
  return -1;
}

int TolerantPointList::FindOrAdd(const double* p, bool* added) {
  if (added) *added = false;
  const int found = Find(p);
  if (found >= 0) return found;
  double q[3] = {p[0], p[1], p[2]};
  for (double& v : q)
    if (detail_Geometry::Within(v, mTolerance)) v = 0.0;
  if (added) *added = true;
  return Append(q);
}

int TolerantPointList::Append(const double* p) {
  auto* node = new UniquePoint(p);
  if (mTail)
    mTail->next = node;
  else
    mHead = node;
  mTail = node;
  return mCount++;
}

}  // namespace corvia
