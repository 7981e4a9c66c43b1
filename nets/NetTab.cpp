#include "nets/NetTab.h"

#include <algorithm>
#include <array>
#include <cmath>

#include "core/BoxGrid.h"
#include "core/Geometry.h"
#include "core/Messages.h"
#include "core/Progress.h"
#include "core/Tolerances.h"
#include "core/VectorMath.h"
#include "model/ElementFlags.h"
#include "model/PolyElement.h"
#include "nets/Edge3D.h"
#include "nets/Face3D.h"
#include "nets/Model3D.h"
#include "nets/Net.h"
#include "nets/NetFlags.h"
#include "nets/NetSettings.h"
#include "nets/Unfold.h"

namespace corvia {

namespace detail_NetTab {

constexpr double kPi = 3.141592653589793;
constexpr int kEnvelopeDepth = 64;

// A linear piece of an obstacle over the edge: height tA at sA to tB at sB.
struct Piece {
  double sA, tA, sB, tB;
  double At(double s) const { return sB > sA ? tA + (tB - tA) * (s - sA) / (sB - sA) : std::min(tA, tB); }
};

// The least of the lines over [sa, sb], as points after sa.
void Envelope(const std::vector<const Piece*>& lines, double sa, double sb, int depth, std::vector<double>& outS,
              std::vector<double>& outH) {
  const Piece* atA = nullptr;
  const Piece* atB = nullptr;
  double minA = 0.0, minB = 0.0;
  for (const Piece* line : lines) {
    const double a = line->At(sa);
    if (!atA || a < minA - kTabProfileTolerance ||
        (std::fabs(a - minA) <= kTabProfileTolerance && line->At(sb) < atA->At(sb))) {
      atA = line;
      minA = a;
    }
    const double b = line->At(sb);
    if (!atB || b < minB - kTabProfileTolerance ||
        (std::fabs(b - minB) <= kTabProfileTolerance && line->At(sa) < atB->At(sa))) {
      atB = line;
      minB = b;
    }
  }
  if (!atA) return;
  if (atA == atB || depth >= kEnvelopeDepth || std::fabs(atA->At(sb) - minB) <= kTabProfileTolerance) {
    outS.push_back(sb);
    outH.push_back(minB);
    return;
  }
  // The two cross inside: split there.
  const double fa = atA->At(sa), fb = atA->At(sb);
  const double ga = atB->At(sa), gb = atB->At(sb);
  const double denominator = (fb - fa) - (gb - ga);
  if (std::fabs(denominator) < kTabProfileTolerance) {
    outS.push_back(sb);
    outH.push_back(minB);
    return;
  }
  const double u = (ga - fa) / denominator;
  const double sc = sa + u * (sb - sa);
  if (sc <= sa + kTabProfileTolerance || sc >= sb - kTabProfileTolerance) {
    outS.push_back(sb);
    outH.push_back(minB);
    return;
  }
  Envelope(lines, sa, sc, depth + 1, outS, outH);
  Envelope(lines, sc, sb, depth + 1, outS, outH);
}

// A net with up to this many outline edges trims every tab against all of them. In a
// larger one a tab meets only the obstacles below the height it can keep: the profile
// comes out the same but for where an obstacle starts or ends over the edge, where
// the trimming draws a straight line to the next point it has (the obstacles left out
// would give it more such points).
constexpr size_t kWholeOutlineTrimLimit = 2048;
// Pairs of tabs are looked for this far beyond their first boxes.
constexpr double kSeparationMargin = 1e-6;

double MeanLength(const std::vector<TabObstacle>& segments) {
  double sum = 0.0;
  for (const TabObstacle& o : segments) sum += std::max(std::fabs(o.b[0] - o.a[0]), std::fabs(o.b[1] - o.a[1]));
  return segments.empty() || !(sum > 0.0) ? 1.0 : sum / static_cast<double>(segments.size());
}

// The ids of the filed obstacles that can lower the tab, in increasing order: those
// that reach the strip over its edge below a height that the tab cannot keep. The strip
// is searched outwards in rectangles about as tall as the edge is long, each by its
// box; after each, the obstacles met so far bound the tab from above (over every run
// of the edge between their ends, the lowest of them that spans it, taken at its
// higher end), and once that bound lies below the searched height, an obstacle not yet
// met lies wholly above whatever the tab keeps: it could only add points on a straight
// run of its outline.
void ObstaclesBelowTab(const Edge3D* edge, const std::vector<TabObstacle>& obstacles, BoxGrid& grid, double cell,
                       std::vector<uint32_t>& ids) {
  ids.clear();
  const NetTab& tab = *edge->tab;
  const std::vector<double>& profileS = tab.GetProfileS();
  const std::vector<double>& profileH = tab.GetProfileH();
  if (tab.IsEmpty() || profileS.size() < 2) return;
  const double* a = edge->unfolded;
  const double* b = edge->GetNextInLoop()->unfolded;
  const double length = std::hypot(b[0] - a[0], b[1] - a[1]);
  double height = 0.0;
  for (double h : profileH) height = std::max(height, h);
  const double margin = 2.0 * kTabProfileTolerance;
  if (!(length > 0.0) || !std::isfinite(height)) return;
  const double d[2] = {(b[0] - a[0]) / length, (b[1] - a[1]) / length};
  const double n[2] = {d[1], -d[0]};
  struct Line {
    double s0, t0, s1, t1;
    double At(double s) const { return t0 + (t1 - t0) * (s - s0) / (s1 - s0); }
  };
  std::vector<Line> lines;
  std::vector<uint32_t> found;
  std::vector<double> breaks;
  auto profileAt = [&](double s) {
    for (size_t k = 0; k + 1 < profileS.size(); ++k) {
      if (s >= profileS[k] && s <= profileS[k + 1]) {
        return profileS[k + 1] > profileS[k]
                   ? profileH[k] + (profileH[k + 1] - profileH[k]) * (s - profileS[k]) / (profileS[k + 1] - profileS[k])
                   : std::max(profileH[k], profileH[k + 1]);
      }
    }
    return height;
  };
  // The highest the tab can keep, from the obstacles met so far.
  auto bound = [&]() {
    breaks.assign(profileS.begin(), profileS.end());
    for (const Line& line : lines) {
      breaks.push_back(line.s0);
      breaks.push_back(line.s1);
    }
    std::sort(breaks.begin(), breaks.end());
    double highest = 0.0;
    for (size_t k = 0; k + 1 < breaks.size(); ++k) {
      const double s0 = breaks[k], s1 = breaks[k + 1];
      if (s1 <= s0) continue;
      double here = std::max(profileAt(s0), profileAt(s1));
      for (const Line& line : lines) {
        if (line.s0 <= s0 && line.s1 >= s1) here = std::min(here, std::max(line.At(s0), line.At(s1)));
      }
      highest = std::max(highest, here);
    }
    return highest;
  };
  const double step = std::max(length, cell);
  for (int k = 0;; ++k) {
    const double t0 = k * step - margin;
    const double top = std::min((k + 1) * step, height);
    const double t1 = top + margin;
    double least[2] = {1e300, 1e300}, largest[2] = {-1e300, -1e300};
    for (double s : {-margin, length + margin}) {
      for (double t : {t0, t1}) {
        for (int c = 0; c < 2; ++c) {
          const double p = a[c] + s * d[c] + t * n[c];
          least[c] = std::min(least[c], p);
          largest[c] = std::max(largest[c], p);
        }
      }
    }
    grid.Query(least, largest, margin, found);
    bool fresh = false;
    for (uint32_t id : found) {
      if (std::find(ids.begin(), ids.end(), id) != ids.end()) continue;
      ids.push_back(id);
      fresh = true;
      // Over the part of the edge it spans, out on the tab's side at both ends of
      // that part: the trimming keeps it as it is, a line over that part.
      const TabObstacle& o = obstacles[id];
      double s0 = (o.a[0] - a[0]) * d[0] + (o.a[1] - a[1]) * d[1];
      double u0 = (o.a[0] - a[0]) * n[0] + (o.a[1] - a[1]) * n[1];
      double s1 = (o.b[0] - a[0]) * d[0] + (o.b[1] - a[1]) * d[1];
      double u1 = (o.b[0] - a[0]) * n[0] + (o.b[1] - a[1]) * n[1];
      if (s0 > s1) {
        std::swap(s0, s1);
        std::swap(u0, u1);
      }
      if (s1 - s0 <= kTabProfileTolerance || s1 <= 0.0 || s0 >= length) continue;
      const Line whole{s0, u0, s1, u1};
      const double from = std::max(s0, 0.0), to = std::min(s1, length);
      const Line part{from, whole.At(from), to, whole.At(to)};
      if (part.s1 > part.s0 && part.t0 > kTabProfileTolerance && part.t1 > kTabProfileTolerance) lines.push_back(part);
    }
    if (top >= height) break;
    if (fresh && bound() < top - margin) break;
  }
  std::sort(ids.begin(), ids.end());
}

void Unit2D(double* v) {
  const double length = std::hypot(v[0], v[1]);
  if (length > 0.0) {
    v[0] /= length;
    v[1] /= length;
  }
}

}  // namespace detail_NetTab

// ---- The tab and its profile --------------------------------------------------------------

NetTab::NetTab(const Edge3D* edge) {
  const Edge3D* next = edge->GetNextInLoop();
  mA[0] = edge->unfolded[0];
  mA[1] = edge->unfolded[1];
  const double dx = next->unfolded[0] - mA[0];
  const double dy = next->unfolded[1] - mA[1];
  const double length = std::hypot(dx, dy);
  if (length <= kPointTolerance) {
    mLength = 0.0;
    return;
  }
  mLength = length;
  mD[0] = dx / length;
  mD[1] = dy / length;
  mN[0] = mD[1];
  mN[1] = -mD[0];
  const double depth = GetNetTabSizeInModelUnits();
  const double inset = depth / TabSlope45();
  if (inset <= length / 2.0) {
    mS = {0.0, inset, length - inset, length};
    mH = {0.0, depth, depth, 0.0};
  } else {
    mS = {0.0, length / 2.0, length};
    mH = {0.0, depth, 0.0};
  }
  Triangulate();
}

NetTab::NetTab(const NetTab& other)
    : outline(other.outline),
      points(other.points),
      numIndices(other.numIndices),
      indices(other.indices),
      foldAngle(other.foldAngle),
      mLength(other.mLength),
      mS(other.mS),
      mH(other.mH) {
  for (int k = 0; k < 3; ++k) normal[k] = other.normal[k];
  for (int k = 0; k < 2; ++k) {
    mA[k] = other.mA[k];
    mD[k] = other.mD[k];
    mN[k] = other.mN[k];
  }
}

NetTab::~NetTab() = default;

void NetTab::Trim(const std::vector<TabObstacle>& obstacles) {
  using namespace detail_NetTab;
  if (IsEmpty() || mS.size() < 2) return;
  // The tab lies inside its box: what passes outside it cannot reach it.
  double least[2], largest[2];
  GetBounds(least, largest);
  std::vector<Piece> pieces;
  for (const TabObstacle& o : obstacles) {
    if (std::max(o.a[0], o.b[0]) < least[0] - kTabProfileTolerance ||
        std::min(o.a[0], o.b[0]) > largest[0] + kTabProfileTolerance ||
        std::max(o.a[1], o.b[1]) < least[1] - kTabProfileTolerance ||
        std::min(o.a[1], o.b[1]) > largest[1] + kTabProfileTolerance) {
      continue;
    }
    double s1 = (o.a[0] - mA[0]) * mD[0] + (o.a[1] - mA[1]) * mD[1];
    double t1 = (o.a[0] - mA[0]) * mN[0] + (o.a[1] - mA[1]) * mN[1];
    double s2 = (o.b[0] - mA[0]) * mD[0] + (o.b[1] - mA[1]) * mD[1];
    double t2 = (o.b[0] - mA[0]) * mN[0] + (o.b[1] - mA[1]) * mN[1];
    if (std::fabs(s2 - s1) <= kTabProfileTolerance) continue;
    if (s1 > s2) {
      std::swap(s1, s2);
      std::swap(t1, t2);
    }
    if (s2 <= 0.0 || s1 >= mLength) continue;
    auto at = [&](double s) { return t1 + (t2 - t1) * (s - s1) / (s2 - s1); };
    if (s1 < 0.0) {
      t1 = at(0.0);
      s1 = 0.0;
    }
    if (s2 > mLength) {
      t2 = at(mLength);
      s2 = mLength;
    }
    // Only what lies out on the tab's side stops it.
    if (t1 <= kTabProfileTolerance && t2 <= kTabProfileTolerance) continue;
    if (t1 < 0.0 || t2 < 0.0) {
      const double s0 = s1 + (s2 - s1) * (0.0 - t1) / (t2 - t1);
      if (t1 < 0.0) {
        s1 = s0;
        t1 = 0.0;
      } else {
        s2 = s0;
        t2 = 0.0;
      }
      if (s2 - s1 <= kTabProfileTolerance) continue;
    }
    pieces.push_back({s1, t1, s2, t2});
  }
  if (pieces.empty()) return;
  std::vector<double> breaks = mS;
  for (const Piece& p : pieces) {
    breaks.push_back(p.sA);
    breaks.push_back(p.sB);
  }
  std::sort(breaks.begin(), breaks.end());
  std::vector<double> unique;
  for (double s : breaks) {
    if (unique.empty() || s > unique.back() + kTabProfileTolerance) unique.push_back(s);
  }
  std::vector<Piece> profile;
  for (size_t i = 0; i + 1 < mS.size(); ++i) profile.push_back({mS[i], mH[i], mS[i + 1], mH[i + 1]});
  std::vector<double> outS{0.0};
  std::vector<double> outH{0.0};
  for (size_t i = 0; i + 1 < unique.size(); ++i) {
    const double sa = unique[i], sb = unique[i + 1];
    const double mid = (sa + sb) / 2.0;
    std::vector<const Piece*> lines;
    for (const Piece& p : profile) {
      if (p.sA <= mid && mid <= p.sB) {
        lines.push_back(&p);
        break;
      }
    }
    for (const Piece& p : pieces) {
      if (p.sA <= mid && mid <= p.sB) lines.push_back(&p);
    }
    // An obstacle that begins here, below the profile coming from the left (a corner
    // of a facelet near the edge), holds the tab down at this point already: the
    // outline must not run on above it.
    for (const Piece* line : lines) outH.back() = std::min(outH.back(), line->At(sa));
    Envelope(lines, sa, sb, 0, outS, outH);
  }
  for (double& h : outH) h = std::max(0.0, h);
  outH.front() = 0.0;
  outS.back() = mLength;
  outH.back() = 0.0;
  // Drop points on a straight run.
  mS.clear();
  mH.clear();
  for (size_t i = 0; i < outS.size(); ++i) {
    if (!mS.empty() && outS[i] <= mS.back() + kTabProfileTolerance) {
      mH.back() = std::min(mH.back(), outH[i]);
      continue;
    }
    if (mS.size() >= 2) {
      const double s0 = mS[mS.size() - 2], h0 = mH[mH.size() - 2];
      const double s1 = mS.back(), h1 = mH.back();
      const double predicted = h0 + (h1 - h0) * (outS[i] - s0) / (s1 - s0);
      if (std::fabs(predicted - outH[i]) <= kTabProfileTolerance && i + 1 < outS.size()) {
        // s1 lies on the line from s0 to here.
        const double expected = h0 + (outH[i] - h0) * (s1 - s0) / (outS[i] - s0);
        if (std::fabs(expected - h1) <= kTabProfileTolerance) {
          mS.back() = outS[i];
          mH.back() = outH[i];
          continue;
        }
      }
    }
    mS.push_back(outS[i]);
    mH.push_back(outH[i]);
  }
  Triangulate();
}

void NetTab::LimitEnds(double slope) {
  if (IsEmpty()) return;
  const double top = mLength * slope;
  std::vector<TabObstacle> lines;
  // Lines from A and from B at the given slope, as obstacles in the net plane.
  auto point = [&](double s, double t, double* out) {
    out[0] = mA[0] + s * mD[0] + t * mN[0];
    out[1] = mA[1] + s * mD[1] + t * mN[1];
  };
  TabObstacle fromA, fromB;
  point(0.0, 0.0, fromA.a);
  point(mLength, top, fromA.b);
  point(0.0, top, fromB.a);
  point(mLength, 0.0, fromB.b);
  lines.push_back(fromA);
  lines.push_back(fromB);
  Trim(lines);
}

void NetTab::KeepSide(const double* point, const double* direction, const double* inside) {
  if (IsEmpty() || mS.size() < 2) return;
  // g > 0 on the kept side; along the edge g(s) = g0 + gs s.
  auto cross = [direction](double x, double y) { return x * direction[1] - y * direction[0]; };
  const double sign = cross(inside[0] - point[0], inside[1] - point[1]) >= 0.0 ? 1.0 : -1.0;
  const double g0 = sign * cross(mA[0] - point[0], mA[1] - point[1]);
  const double gs = sign * cross(mD[0], mD[1]);
  // Above the edge where it lies on the kept side, the line caps the tab.
  const double reach = mLength + std::fabs(g0) + std::hypot(mA[0] - point[0], mA[1] - point[1]) + 1.0;
  Trim({{{point[0] - reach * direction[0], point[1] - reach * direction[1]},
         {point[0] + reach * direction[0], point[1] + reach * direction[1]}}});
  if (IsEmpty() || mS.size() < 2) return;
  // Where the edge itself lies on the other side, nothing stays: over [from, to].
  double from = 0.0, to = mLength;
  if (std::fabs(gs) <= kTabProfileTolerance) {
    if (g0 > 0.0) return;
  } else if (gs > 0.0) {
    to = std::min(-g0 / gs, mLength);
  } else {
    from = std::max(-g0 / gs, 0.0);
  }
  if (to <= from + kTabProfileTolerance) return;
  auto heightAt = [this](double s) {
    for (size_t i = 0; i + 1 < mS.size(); ++i) {
      if (s <= mS[i + 1]) {
        const double span = mS[i + 1] - mS[i];
        return span > 0.0 ? mH[i] + (mH[i + 1] - mH[i]) * (s - mS[i]) / span : std::min(mH[i], mH[i + 1]);
      }
    }
    return 0.0;
  };
  // The part kept before the cut ends in a wall down to the edge, and the part after
  // it starts with one.
  const double wall = 2.0 * kTabProfileTolerance;
  std::vector<double> s2, h2;
  for (size_t i = 0; i < mS.size(); ++i) {
    if (mS[i] < from - kTabProfileTolerance) {
      s2.push_back(mS[i]);
      h2.push_back(mH[i]);
    }
  }
  if (from > kTabProfileTolerance) {
    s2.push_back(from);
    h2.push_back(heightAt(from));
    s2.push_back(std::min(from + wall, to));
    h2.push_back(0.0);
  } else {
    s2.push_back(0.0);
    h2.push_back(0.0);
  }
  if (to < mLength - kTabProfileTolerance) {
    s2.push_back(std::max(to - wall, s2.back() + wall));
    h2.push_back(0.0);
    s2.push_back(to);
    h2.push_back(heightAt(to));
    for (size_t i = 0; i < mS.size(); ++i) {
      if (mS[i] > to + kTabProfileTolerance) {
        s2.push_back(mS[i]);
        h2.push_back(mH[i]);
      }
    }
  } else if (s2.back() < mLength) {
    s2.push_back(mLength);
    h2.push_back(0.0);
  }
  h2.front() = 0.0;
  h2.back() = 0.0;
  mS = std::move(s2);
  mH = std::move(h2);
  Triangulate();
}

void NetTab::Triangulate() {
  outline.clear();
  points.clear();
  indices.clear();
  numIndices = 0;
  if (IsEmpty() || mS.size() < 2) return;
  auto place = [&](double s, double h) {
    TabPoint p;
    p.pos2D[0] = mA[0] + s * mD[0] + h * mN[0];
    p.pos2D[1] = mA[1] + s * mD[1] + h * mN[1];
    return p;
  };
  const size_t n = mS.size();
  for (size_t k = 0; k < n; ++k) outline.push_back(place(mS[k], k == 0 || k + 1 == n ? 0.0 : mH[k]));
  points.assign(outline.begin(), outline.end());
  // The feet on the edge of the inner profile points.
  for (size_t k = 1; k + 1 < n; ++k) points.push_back(place(mS[k], 0.0));
  auto base = [&](size_t k) -> int32_t {
    if (k == 0) return 0;
    if (k + 1 == n) return static_cast<int32_t>(n - 1);
    return static_cast<int32_t>(n + k - 1);
  };
  for (size_t k = 0; k + 1 < n; ++k) {
    if (mH[k + 1] > kTabProfileTolerance) {
      indices.insert(indices.end(), {base(k), base(k + 1), static_cast<int32_t>(k + 1)});
    }
    if (mH[k] > kTabProfileTolerance) {
      indices.insert(indices.end(), {base(k), static_cast<int32_t>(k + 1), static_cast<int32_t>(k)});
    }
  }
  numIndices = static_cast<int32_t>(indices.size());
}

bool NetTab::GetBounds(double* least, double* largest) const {
  least[0] = least[1] = 1.7976931348623157e308;
  largest[0] = largest[1] = -1.7976931348623157e308;
  for (const TabPoint& p : outline) {
    for (int k = 0; k < 2; ++k) {
      least[k] = std::min(least[k], p.pos2D[k]);
      largest[k] = std::max(largest[k], p.pos2D[k]);
    }
  }
  return !outline.empty();
}

bool NetTab::Contains(const TabPoint* point) const {
  for (const TabPoint& p : outline) {
    if (&p == point) return true;
  }
  return false;
}

std::vector<TabObstacle> NetTab::GetSegments() const {
  std::vector<TabObstacle> segments;
  const TabPoint* previous = nullptr;
  for (const TabPoint& p : outline) {
    if (previous) segments.push_back({{previous->pos2D[0], previous->pos2D[1]}, {p.pos2D[0], p.pos2D[1]}});
    previous = &p;
  }
  return segments;
}

void NetTab::Fold(const Edge3D* edge, double hinge) {
  using namespace detail_NetTab;
  const Face3D* facelet = edge->face;
  const double d = kPi - foldAngle;
  double angle = d * hinge;
  const Edge3D* neighbour = Edge3D::GetNeighInNet(edge, false);
  if (neighbour && !neighbour->tab && neighbour->face->mNet && neighbour->face->mNet == facelet->mNet) {
    // Glued under a face of the same net: the tab swings out past its place and
    // settles back onto that face as it closes.
    const double t0 = d + 0.33 * (kPi - d);
    const double denominator = 2.0 * t0 - d;
    const double k = denominator != 0.0 ? t0 / denominator : 1.0;
    if (k >= 1.0 - kTabProfileTolerance || k <= 0.0) {
      angle = d * hinge;
    } else if (hinge < k) {
      const double u = 1.0 - hinge / k;
      angle = t0 * (1.0 - u * u);
    } else {
      const double u = (hinge - k) / (1.0 - k);
      angle = t0 + (d - t0) * u * u;
    }
  }
  // Which way is in: towards the face the tab is glued under, else to the back of
  // its own facelet.
  Transform3D placement;
  facelet->CalcPlacementTransform(placement);
  const double axis2[3] = {mD[0], mD[1], 0.0};
  const double out2[3] = {mN[0], mN[1], 0.0};
  const double a2[3] = {mA[0], mA[1], 0.0};
  double axis3[3], out3[3], a3[3], towards[3];
  MatrixTimesVector(placement.Matrix(), axis3, axis2);
  MatrixTimesVector(placement.Matrix(), out3, out2);
  TransformPoint(placement, a3, a2);
  if (neighbour) {
    double centre[3];
    neighbour->face->GetCentroid(centre);
    Subtract(towards, centre, a3);
    double along[3];
    Scale(along, axis3, Dot(towards, axis3));
    Subtract(towards, towards, along);
  } else {
    facelet->GetNormal(towards);
    Negate(towards);
  }
  double cross[3];
  Cross(cross, out3, towards);
  const double sign = std::atan2(Dot(cross, axis3), Dot(out3, towards)) >= 0.0 ? 1.0 : -1.0;
  // Turn about the edge in the net plane, then into space with the facelet.
  const double c = std::cos(sign * angle), s = std::sin(sign * angle);
  auto turn = [&](const double* p, double* out) {
    // p relative to A, split along the axis and across it in the plane and up.
    const double rx = p[0] - mA[0], ry = p[1] - mA[1];
    const double along = rx * mD[0] + ry * mD[1];
    const double across = rx * mN[0] + ry * mN[1];
    double flat[3] = {mA[0] + along * mD[0], mA[1] + along * mD[1], 0.0};
    // The outer side turns about the axis (d, 0): out = (n, 0) goes to c n + s (d x n).
    const double dn[3] = {axis2[1] * out2[2] - axis2[2] * out2[1], axis2[2] * out2[0] - axis2[0] * out2[2],
                          axis2[0] * out2[1] - axis2[1] * out2[0]};
    for (int k = 0; k < 3; ++k) flat[k] += across * (c * out2[k] + s * dn[k]);
    TransformPoint(facelet->mPlacement, out, flat);
  };
  for (TabPoint& p : outline) turn(p.pos2D, p.pos3D);
  for (TabPoint& p : points) turn(p.pos2D, p.pos3D);
  const double up[3] = {0.0, 0.0, 1.0};
  const double dUp[3] = {axis2[1] * up[2] - axis2[2] * up[1], axis2[2] * up[0] - axis2[0] * up[2],
                         axis2[0] * up[1] - axis2[1] * up[0]};
  double turnedUp[3];
  for (int k = 0; k < 3; ++k) turnedUp[k] = c * up[k] + s * dUp[k];
  MatrixTimesVector(facelet->mPlacement.Matrix(), normal, turnedUp);
}

// ---- The tab angle and the folding view -------------------------------------------------------

double Edge3D::GetTabAngle() {
  const double angle = GetDihedralAngle();
  Edge3D* neighbour = GetNeighInNet(this, false);
  if (!neighbour || !(neighbour->flags & kEdgeHasTab)) return angle;
  if (!nextCoinc) return angle / 2.0;
  // In a ring the tab lies in the gap to the next facelet round the edge.
  nextCoinc->flags |= kEdgeTabGap;
  return coincAngle / 2.0;
}

bool IsTabShownFolded(const Edge3D* edge) {
  if (!edge || !edge->tab) return false;
  const double g = GetNetSettings().foldFraction;
  if (g < 0.5) return false;
  const Model3D* model = Edge3D::GetModel(edge);
  if (model && model->GetNumNetTypes() == 1 && model->GetNumNets() == 1 && g != 1.0) return false;
  const Edge3D* neighbour = Edge3D::GetNeighInNet(edge, false);
  if (!neighbour) return false;
  const bool hidden = neighbour->face->mSourceFace && neighbour->face->mSourceFace->HasFlag(kElementHidden);
  if (!neighbour->tab && !hidden) return g == 1.0 || neighbour->face->mNet == edge->face->mNet;
  if (!edge->nextCoinc) return false;
  const int limit = edge->CountRingLimit();
  const Edge3D* current = edge->nextCoinc;
  for (int steps = 0; current && current != edge && steps < limit; ++steps) {
    for (const Edge3D* member : {current, static_cast<const Edge3D*>(current->mNeigh)}) {
      if (member && (member->flags & kEdgeTabGap) && (g == 1.0 || member->face->mNet == edge->face->mNet)) return true;
    }
    current = current->mNeigh ? current->mNeigh->nextCoinc : nullptr;
  }
  return false;
}

// ---- Trimming steps ----------------------------------------------------------------------------

void TrimTabToNeighbour(Edge3D* edge) {
  Edge3D* neighbour = Edge3D::GetNeighInNet(edge, false);
  if (!edge->tab || !neighbour || (neighbour->flags & kEdgeHasTab)) return;
  // A face that runs the same way along the edge cannot be laid against it.
  if (edge->flags & kEdgeSameWayNeighbour) return;
  // The neighbour's outline as it would lie against this edge, without moving it.
  const Face3D* facelet = neighbour->face;
  double m[6];
  GetPlacement2D(edge, neighbour, m);
  std::vector<TabObstacle> obstacles;
  const Face3DType* type = facelet->mType;
  int start = 0;
  for (int loop = 0; loop < type->mNumLoops; ++loop) {
    const int length = type->mLoopLengths[loop];
    for (int j = 0; j < length; ++j) {
      const Edge3D& a = facelet->mEdges[start + j];
      if (&a == neighbour) continue;
      const Edge3D& b = facelet->mEdges[start + (j + 1) % length];
      TabObstacle o;
      Transform2DPoint(m, a.local, o.a);
      Transform2DPoint(m, b.local, o.b);
      obstacles.push_back(o);
    }
    start += length;
  }
  edge->tab->Trim(obstacles);
}

void TrimTabsToNet(Net* net) {
  std::vector<TabObstacle> obstacles;
  std::vector<Edge3D*> tabbed;
  // The net of a finely cut model's flat faces has millions of obstacles: gathering and
  // filing them answers the window too, and moves the bar (a fifth of it each, the
  // trimming the rest).
  ProgressTicker tick;
  const double facelets = std::max(Net::CountFacelets(net), 1);
  int gathered = 0;
  for (Face3D* f = net->first; f; f = f->mNextInNet) {
    if (!tick(0.2 * gathered++ / facelets)) return;
    const int count = f->GetNumEdges();
    for (int i = 0; i < count; ++i) {
      Edge3D* a = &f->mEdges[i];
      if (a->tab) tabbed.push_back(a);
      if (a->flags & kEdgeJoined) continue;
      // A tab's own edge lies on its base line and does not stop it.
      const Edge3D* b = a->GetNextInLoop();
      obstacles.push_back({{a->unfolded[0], a->unfolded[1]}, {b->unfolded[0], b->unfolded[1]}});
    }
  }
  if (obstacles.size() <= detail_NetTab::kWholeOutlineTrimLimit) {
    for (size_t t = 0; t < tabbed.size(); ++t) {
      if (!ProgressTick(0.2 + 0.8 * static_cast<double>(t) / tabbed.size())) return;
      tabbed[t]->tab->Trim(obstacles);
    }
    return;
  }
  // A large net: each tab meets only the obstacles that can lower it, in their order.
  const double cell = detail_NetTab::MeanLength(obstacles);
  BoxGrid grid(cell);
  for (size_t k = 0; k < obstacles.size(); ++k) {
    if (!tick(0.2 + 0.2 * static_cast<double>(k) / obstacles.size())) return;
    const TabObstacle& o = obstacles[k];
    const double least[2] = {std::min(o.a[0], o.b[0]), std::min(o.a[1], o.b[1])};
    const double largest[2] = {std::max(o.a[0], o.b[0]), std::max(o.a[1], o.b[1])};
    grid.Insert(static_cast<uint32_t>(k), least, largest);
  }
  std::vector<uint32_t> near;
  std::vector<TabObstacle> nearObstacles;
  for (size_t t = 0; t < tabbed.size(); ++t) {
    if (!ProgressTick(0.4 + 0.6 * static_cast<double>(t) / tabbed.size())) return;
    Edge3D* e = tabbed[t];
    detail_NetTab::ObstaclesBelowTab(e, obstacles, grid, cell, near);
    nearObstacles.clear();
    for (uint32_t k : near) nearObstacles.push_back(obstacles[k]);
    e->tab->Trim(nearObstacles);
  }
}

void SeparateTabs(Net* net) {
  struct Boxed {
    Edge3D* edge;
    double least[2];
    double largest[2];
    size_t order;  // place in the walk of the net
  };
  std::vector<Boxed> tabbed;
  // The tabs of a net of a million facelets are many: the window answers as they are
  // gathered, sorted and placed (a Cancel is taken at the sweep's reports).
  ProgressTicker tick(ProgressTicker::kPasses * 16);
  for (Face3D* f = net->first; f; f = f->mNextInNet) {
    (void)tick();
    const int count = f->GetNumEdges();
    for (int i = 0; i < count; ++i) {
      Edge3D* e = &f->mEdges[i];
      Boxed boxed{e, {0.0, 0.0}, {0.0, 0.0}, tabbed.size()};
      if (e->tab && e->tab->GetBounds(boxed.least, boxed.largest)) tabbed.push_back(boxed);
    }
  }
  // Only tabs whose boxes overlap can meet: swept in order of their least x, ties in
  // the order of the net (never of where the edgelets happen to lie in memory, which
  // would make the tabs depend on what the program did before). Trimming only shrinks
  // a tab, so the pairs that meet are among those whose first boxes meet, found by
  // place.
  std::sort(tabbed.begin(), tabbed.end(), [&tick](const Boxed& a, const Boxed& b) {
    (void)tick();
    return a.least[0] < b.least[0] || (a.least[0] == b.least[0] && a.order < b.order);
  });
  double sum = 0.0;
  for (const Boxed& b : tabbed) sum += std::max(b.largest[0] - b.least[0], b.largest[1] - b.least[1]);
  BoxGrid grid(tabbed.empty() ? 1.0 : sum / static_cast<double>(tabbed.size()));
  for (size_t i = 0; i < tabbed.size(); ++i) {
    (void)tick();
    grid.Insert(static_cast<uint32_t>(i), tabbed[i].least, tabbed[i].largest);
  }
  std::vector<uint32_t> near;
  for (size_t i = 0; i < tabbed.size(); ++i) {
    if (!ProgressTick(static_cast<double>(i) / tabbed.size())) return;
    Edge3D* e = tabbed[i].edge;
    grid.Query(tabbed[i].least, tabbed[i].largest, detail_NetTab::kSeparationMargin, near);
    for (uint32_t found : near) {
      const size_t j = found;
      if (j <= i || tabbed[j].least[0] > tabbed[i].largest[0]) continue;
      Edge3D* f = tabbed[j].edge;
      double eLo[2], eHi[2], fLo[2], fHi[2];
      if (!e->tab->GetBounds(eLo, eHi) || !f->tab->GetBounds(fLo, fHi)) continue;
      if (eHi[0] < fLo[0] || fHi[0] < eLo[0] || eHi[1] < fLo[1] || fHi[1] < eLo[1]) continue;
      const double* e0 = e->unfolded;
      const double* e1 = e->GetNextInLoop()->unfolded;
      const double* f0 = f->unfolded;
      const double* f1 = f->GetNextInLoop()->unfolded;
      double de[2] = {e1[0] - e0[0], e1[1] - e0[1]};
      double df[2] = {f1[0] - f0[0], f1[1] - f0[1]};
      detail_NetTab::Unit2D(de);
      detail_NetTab::Unit2D(df);
      const double me[2] = {(e0[0] + e1[0]) / 2.0, (e0[1] + e1[1]) / 2.0};
      const double mf[2] = {(f0[0] + f1[0]) / 2.0, (f0[1] + f1[1]) / 2.0};
      // The dividing line: through the crossing of the edge lines along the bisector
      // that parts the two edges, or half-way between parallel edges.
      double point[2], direction[2];
      double crossing[2];
      if (IntersectLines2D(crossing, e0, e1, f0, f1, kPointTolerance)) {
        point[0] = crossing[0];
        point[1] = crossing[1];
        double b1[2] = {de[0] + df[0], de[1] + df[1]};
        double b2[2] = {de[0] - df[0], de[1] - df[1]};
        detail_NetTab::Unit2D(b1);
        detail_NetTab::Unit2D(b2);
        auto side = [&](const double* b, const double* m) {
          return (m[0] - point[0]) * b[1] - (m[1] - point[1]) * b[0];
        };
        const bool parts1 = side(b1, me) * side(b1, mf) < 0.0;
        const double* chosen = parts1 ? b1 : b2;
        direction[0] = chosen[0];
        direction[1] = chosen[1];
      } else {
        point[0] = (me[0] + mf[0]) / 2.0;
        point[1] = (me[1] + mf[1]) / 2.0;
        direction[0] = de[0];
        direction[1] = de[1];
        // Edges along one line: the line across it half-way between them.
        if (std::fabs((mf[0] - me[0]) * de[1] - (mf[1] - me[1]) * de[0]) <= kPointTolerance) {
          direction[0] = -de[1];
          direction[1] = de[0];
        }
      }
      // Each keeps its own side of the line: a tab cut by a line through its own edge
      // loses the part of the edge beyond it, not only what lies above the line.
      e->tab->KeepSide(point, direction, me);
      f->tab->KeepSide(point, direction, mf);
      e->tab->Trim(f->tab->GetSegments());
      f->tab->Trim(e->tab->GetSegments());
    }
  }
}

void CutTabInSpace(Edge3D* edge) {
  if (!edge->tab || edge->tab->IsEmpty() || !edge->vert) return;
  const Edge3D* neighbour = Edge3D::GetNeighInNet(edge, false);
  // The tab at its fold angle about the edge on the model.
  const double* a3 = edge->vert->mPos;
  const Edge3D* next = edge->GetNextInLoop();
  if (!next->vert) return;
  double axis[3];
  Subtract(axis, next->vert->mPos, a3);
  const double length = std::sqrt(Dot(axis, axis));
  if (length < kPointTolerance) return;
  Divide(axis, axis, length);
  double n[3], out[3];
  edge->face->GetNormal(n);
  Cross(out, axis, n);  // in the facelet's plane, away from it
  // Towards the inside, by the angle the tab folds to.
  double towards[3];
  if (neighbour) {
    double centre[3];
    neighbour->face->GetCentroid(centre);
    Subtract(towards, centre, a3);
  } else {
    NegateInto(towards, n);
  }
  double cross[3];
  Cross(cross, out, towards);
  const double sign = std::atan2(Dot(cross, axis), Dot(out, towards)) >= 0.0 ? 1.0 : -1.0;
  const double turn = sign * (3.141592653589793 - edge->tab->foldAngle);
  double side[3], w[3];
  Cross(side, axis, out);
  for (int k = 0; k < 3; ++k) w[k] = std::cos(turn) * out[k] + std::sin(turn) * side[k];
  double planeNormal[3];
  Cross(planeNormal, axis, w);
  const double planeOffset = -Dot(planeNormal, a3);
  // Where the facelets round the start vertex cross the tab's plane. The tab frame
  // is (s along the edge, t out along w), mapped back to the net plane.
  const double* A = edge->unfolded;
  const double* B = next->unfolded;
  double d2[2] = {B[0] - A[0], B[1] - A[1]};
  detail_NetTab::Unit2D(d2);
  const double n2[2] = {d2[1], -d2[0]};
  std::vector<TabObstacle> obstacles;
  for (Edge3D* e = edge->vert->mFirstEdge; e; e = e->nextAtVert) {
    Face3D* f = e->face;
    if (f == edge->face || (neighbour && f == neighbour->face) || edge->IsInCoincRing(e)) continue;
    std::vector<std::array<double, 2>> hits;
    const int count = f->GetNumEdges();
    for (int i = 0; i < count; ++i) {
      const double* p = Face3D::GetCornerPosition(&f->mEdges[i]);
      const double* q = Face3D::GetCornerPosition(f->mEdges[i].GetNextInLoop());
      double x[3];
      if (!SegmentCrossesPlane(x, planeNormal, planeOffset, p, q, kPointTolerance)) continue;
      double r[3];
      Subtract(r, x, a3);
      const double s = Dot(r, axis), t = Dot(r, w);
      hits.push_back({A[0] + s * d2[0] + t * n2[0], A[1] + s * d2[1] + t * n2[1]});
    }
    if (hits.size() >= 2) {
      obstacles.push_back({{hits[0][0], hits[0][1]}, {hits[1][0], hits[1][1]}});
    }
  }
  if (!obstacles.empty()) edge->tab->Trim(obstacles);
}

}  // namespace corvia
