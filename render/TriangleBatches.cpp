// Runs of triangles that cover no pixel twice.

#include "render/TriangleBatches.h"

#include <algorithm>
#include <cmath>

namespace corvia {

namespace detail_TriangleBatches {

// A triangle spanning more grid cells than this stands alone rather than being
// tested against everything under it.
constexpr int kMaxCellsOfOne = 256;
// The grid has at most this many cells on a side.
constexpr int kMaxCellsOnSide = 1024;
// Twice the area below which a triangle is taken to have none.
constexpr double kNoArea = 1e-12;

double Dot2(const double* n, const double* p) {
  return n[0] * p[0] + n[1] * p[1];
}

// Whether b lies outside a's side i by the margin twice over.
bool OutsideSide(const WindowTriangle& a, int i, const WindowTriangle& b, double gap) {
  const double limit = a.offset[i] + gap;
  return Dot2(a.normal[i], b.xy[0]) >= limit && Dot2(a.normal[i], b.xy[1]) >= limit &&
         Dot2(a.normal[i], b.xy[2]) >= limit;
}

// Whether one of the two sides of a through its corner ia has the corners of b other
// than its corner ib (the same point) at least the gap beyond it.
bool SideThroughCornerSeparates(const WindowTriangle& a, int ia, const WindowTriangle& b, int ib, double gap) {
  const double* p = b.xy[(ib + 1) % 3];
  const double* q = b.xy[(ib + 2) % 3];
  for (const int side : {ia, (ia + 2) % 3}) {
    const double limit = a.offset[side] + gap;
    if (Dot2(a.normal[side], p) >= limit && Dot2(a.normal[side], q) >= limit) return true;
  }
  return false;
}

// A number for a corner id, summed over the sides out of a corner and taken off for
// the sides into it.
uint64_t SideHash(uint32_t id) {
  uint64_t h = (static_cast<uint64_t>(id) + 1) * 0x9E3779B97F4A7C15ull;
  h ^= h >> 31;
  return h * 0xBF58476D1CE4E5B9ull;
}

// Whether the triangle's corners are one point: it covers no pixel wherever it is
// drawn (a model shown at no size, a triangle smaller than the corners' merging).
bool IsPoint(const WindowTriangle& t) {
  return t.ids[0] == t.ids[1] && t.ids[1] == t.ids[2];
}

}  // namespace detail_TriangleBatches

void SetUpWindowTriangle(WindowTriangle& t) {
  using namespace detail_TriangleBatches;
  if (!t.usable) return;
  for (int k = 0; k < 2; ++k) {
    t.low[k] = std::min({t.xy[0][k], t.xy[1][k], t.xy[2][k]});
    t.high[k] = std::max({t.xy[0][k], t.xy[1][k], t.xy[2][k]});
  }
  const double area =
      (t.xy[1][0] - t.xy[0][0]) * (t.xy[2][1] - t.xy[0][1]) - (t.xy[2][0] - t.xy[0][0]) * (t.xy[1][1] - t.xy[0][1]);
  if (!(std::fabs(area) > kNoArea)) {
    t.usable = false;
    return;
  }
  const double turn = area > 0.0 ? 1.0 : -1.0;
  for (int i = 0; i < 3; ++i) {
    const double* p = t.xy[i];
    const double* q = t.xy[(i + 1) % 3];
    const double dx = q[0] - p[0], dy = q[1] - p[1];
    const double length = std::sqrt(dx * dx + dy * dy);
    t.normal[i][0] = turn * dy / length;
    t.normal[i][1] = -turn * dx / length;
    t.offset[i] = Dot2(t.normal[i], p);
  }
}

bool TrianglesMayOverlap(const WindowTriangle& a, const WindowTriangle& b, double margin) {
  using namespace detail_TriangleBatches;
  if (IsPoint(a) || IsPoint(b)) return false;
  if (!a.usable || !b.usable) return true;
  // Boxes apart by the margin twice over.
  for (int k = 0; k < 2; ++k) {
    if (b.low[k] - a.high[k] >= 2.0 * margin || a.low[k] - b.high[k] >= 2.0 * margin) return false;
  }
  int sharedA[3] = {-1, -1, -1};  // the corner of b that each corner of a is
  int shared = 0;
  for (int i = 0; i < 3; ++i) {
    for (int j = 0; j < 3; ++j) {
      if (a.ids[i] == b.ids[j]) {
        sharedA[i] = j;
        ++shared;
        break;
      }
    }
  }
  if (shared == 0) {
    // A side of either with the other wholly outside it.
    for (int i = 0; i < 3; ++i) {
      if (OutsideSide(a, i, b, 2.0 * margin) || OutsideSide(b, i, a, 2.0 * margin)) return false;
    }
    return true;
  }
  if (shared == 2) {
    // Neighbours across a side: each lies on its own side of it.
    int i = 0;
    while (sharedA[i] < 0 || sharedA[(i + 1) % 3] < 0) ++i;
    const int third = (i + 2) % 3;
    int bThird = 0;
    while (bThird == sharedA[i] || bThird == sharedA[(i + 1) % 3]) ++bThird;
    return !(Dot2(a.normal[i], a.xy[third]) <= a.offset[i] - margin &&
             Dot2(a.normal[i], b.xy[bThird]) >= a.offset[i] + margin);
  }
  if (shared == 1) {
    // Triangles that meet at one corner lie in cones from it. A line between them
    // runs through it along the bisector of a gap between a side of each (for two
    // triangles of a fan that face each other across the corner, either gap).
    int ia = 0;
    while (sharedA[ia] < 0) ++ia;
    const int ib = sharedA[ia];
    // Most often a side of one through the corner has the other wholly beyond it.
    if (SideThroughCornerSeparates(a, ia, b, ib, 2.0 * margin) || SideThroughCornerSeparates(b, ib, a, ia, 2.0 * margin))
      return false;
    const double* v = a.xy[ia];
    double pa[2][2], pb[2][2], ua[2][2], ub[2][2];
    for (int k = 0; k < 2; ++k) {
      const double* p = a.xy[(ia + k + 1) % 3];
      const double* q = b.xy[(ib + k + 1) % 3];
      pa[k][0] = p[0] - v[0];
      pa[k][1] = p[1] - v[1];
      pb[k][0] = q[0] - v[0];
      pb[k][1] = q[1] - v[1];
      const double lp = std::sqrt(Dot2(pa[k], pa[k])), lq = std::sqrt(Dot2(pb[k], pb[k]));
      if (!(lp > 0.0) || !(lq > 0.0)) return true;
      ua[k][0] = pa[k][0] / lp;
      ua[k][1] = pa[k][1] / lp;
      ub[k][0] = pb[k][0] / lq;
      ub[k][1] = pb[k][1] / lq;
    }
    for (const auto& u : ua) {
      for (const auto& w : ub) {
        // The bisector of u and w is the line normal to u - w.
        double n[2] = {u[0] - w[0], u[1] - w[1]};
        const double length = std::sqrt(Dot2(n, n));
        if (!(length > 0.0)) continue;
        n[0] /= length;
        n[1] /= length;
        const double sa0 = Dot2(n, pa[0]), sa1 = Dot2(n, pa[1]), sb0 = Dot2(n, pb[0]), sb1 = Dot2(n, pb[1]);
        if ((sa0 >= margin && sa1 >= margin && sb0 <= -margin && sb1 <= -margin) ||
            (sa0 <= -margin && sa1 <= -margin && sb0 >= margin && sb1 >= margin))
          return false;
      }
    }
    return true;
  }
  return true;
}

void TriangleBatcher::FindCleanCorners(const std::vector<WindowTriangle>& triangles, size_t count, double margin) {
  using namespace detail_TriangleBatches;
  uint32_t corners = 0;
  for (size_t k = 0; k < count; ++k)
    for (const uint32_t id : triangles[k].ids) corners = std::max(corners, id + 1);
  mFans.assign(corners, Fan{0, 0, 0});
  for (size_t k = 0; k < count; ++k) {
    const WindowTriangle& t = triangles[k];
    if (IsPoint(t)) continue;
    double sides[3][2], longest = 0.0;
    for (int i = 0; i < 3; ++i) {
      sides[i][0] = t.xy[(i + 1) % 3][0] - t.xy[i][0];
      sides[i][1] = t.xy[(i + 1) % 3][1] - t.xy[i][1];
      longest = std::max(longest, Dot2(sides[i], sides[i]));
    }
    const double area = sides[0][0] * sides[1][1] - sides[0][1] * sides[1][0];
    const int turn = area > 0.0 ? 1 : -1;
    // Not clean: unusable, or thin enough that snapping to pixels might fold it.
    const bool thin = !t.usable || !(area * area >= 4.0 * margin * margin * longest);
    for (int i = 0; i < 3; ++i) {
      Fan& fan = mFans[t.ids[i]];
      if (fan.turn == 2) continue;
      if (thin || (fan.turn != 0 && fan.turn != turn)) {
        fan.turn = 2;
        continue;
      }
      fan.turn = turn;
      // Whether the ray from the corner along x crosses the triangle, taking the side
      // out of the corner and leaving the side into it: once round, once crossed.
      const double out = sides[i][1];
      const double back = -sides[(i + 2) % 3][1];  // towards the corner before
      fan.crossings += (turn * out <= 0.0 && turn * back > 0.0) ? 1 : 0;
      fan.sides += SideHash(t.ids[(i + 1) % 3]) - SideHash(t.ids[(i + 2) % 3]);
    }
  }
  mClean.resize(corners);
  for (uint32_t c = 0; c < corners; ++c) {
    const Fan& fan = mFans[c];
    mClean[c] = (fan.turn == 1 || fan.turn == -1) && fan.sides == 0 && fan.crossings == 1;
  }
}

void TriangleBatcher::Split(const std::vector<WindowTriangle>& triangles, size_t count, double margin,
                            std::vector<uint32_t>& starts) {
  using namespace detail_TriangleBatches;
  starts.clear();
  count = std::min(count, triangles.size());
  if (count == 0) return;
  // A grid over the usable triangles, its cells about twice their mean size.
  double minX = HUGE_VAL, minY = HUGE_VAL, maxX = -HUGE_VAL, maxY = -HUGE_VAL, sizes = 0.0;
  size_t usable = 0;
  for (size_t k = 0; k < count; ++k) {
    const WindowTriangle& t = triangles[k];
    if (!t.usable) continue;
    minX = std::min(minX, t.low[0]);
    maxX = std::max(maxX, t.high[0]);
    minY = std::min(minY, t.low[1]);
    maxY = std::max(maxY, t.high[1]);
    sizes += std::max(t.high[0] - t.low[0], t.high[1] - t.low[1]);
    ++usable;
  }
  double cell = usable ? std::max(1.0 * sizes / static_cast<double>(usable), 1.0) : 1.0;
  const double span = std::max(maxX - minX, maxY - minY);
  if (usable && span / cell > kMaxCellsOnSide - 2) cell = span / (kMaxCellsOnSide - 2);
  const int nx = usable ? static_cast<int>((maxX - minX) / cell) + 1 : 1;
  const int ny = usable ? static_cast<int>((maxY - minY) / cell) + 1 : 1;
  mCells.assign(static_cast<size_t>(nx) * static_cast<size_t>(ny), Cell{});
  mBoxes.resize(count);
  mNodes.clear();
  FindCleanCorners(triangles, count, margin);
  // Whether two triangles share a clean corner.
  auto roundCleanCorner = [&](const WindowTriangle& a, const Box& b) {
    for (const uint32_t id : a.ids)
      if ((id == b.ids[0] || id == b.ids[1] || id == b.ids[2]) && mClean[id]) return true;
    return false;
  };
  uint32_t run = 1;
  auto cellOf = [&](double v, double low, int n) {
    const int c = static_cast<int>(std::floor((v - low) / cell));
    return std::clamp(c, 0, n - 1);
  };
  auto begin = [&](size_t k) {
    if (k < count && (starts.empty() || starts.back() != k)) starts.push_back(static_cast<uint32_t>(k));
    ++run;
    mNodes.clear();
  };
  starts.push_back(0);
  for (size_t k = 0; k < count; ++k) {
    const WindowTriangle& t = triangles[k];
    // It joins the run it falls in and keeps no other triangle out of it.
    if (IsPoint(t)) continue;
    int cx0 = 0, cx1 = -1, cy0 = 0, cy1 = -1;
    if (t.usable) {
      cx0 = cellOf(t.low[0] - margin, minX, nx);
      cx1 = cellOf(t.high[0] + margin, minX, nx);
      cy0 = cellOf(t.low[1] - margin, minY, ny);
      cy1 = cellOf(t.high[1] + margin, minY, ny);
    }
    if (!t.usable || (cx1 - cx0 + 1) * (cy1 - cy0 + 1) > kMaxCellsOfOne) {
      // On its own: a run ends before it and another begins after it.
      begin(k);
      begin(k + 1);
      continue;
    }
    const Box& box = mBoxes[k] = {
        {t.low[0], t.low[1]}, {t.high[0], t.high[1]}, {cx0, cy0}, {t.ids[0], t.ids[1], t.ids[2]}};
    // Whether t may overlap the triangle at a position of the run, met in the cell
    // (cx, cy): each pair is looked at in the first cell both reach into, and only
    // when their boxes are not apart by the margin twice over.
    auto overlaps = [&](uint32_t at, int cx, int cy) {
      const Box& o = mBoxes[at];
      const bool first = cx == std::max(box.cell[0], o.cell[0]) && cy == std::max(box.cell[1], o.cell[1]);
      const bool apart = o.low[0] - box.high[0] >= 2.0 * margin || box.low[0] - o.high[0] >= 2.0 * margin ||
                         o.low[1] - box.high[1] >= 2.0 * margin || box.low[1] - o.high[1] >= 2.0 * margin;
      if (!first || apart) return false;
      return !roundCleanCorner(t, o) && TrianglesMayOverlap(t, triangles[at], margin);
    };
    bool overlap = false;
    for (int cy = cy0; cy <= cy1 && !overlap; ++cy) {
      for (int cx = cx0; cx <= cx1 && !overlap; ++cx) {
        const Cell& c = mCells[static_cast<size_t>(cy) * static_cast<size_t>(nx) + static_cast<size_t>(cx)];
        if (c.stamp != run) continue;
        for (uint32_t i = 0; i < std::min(c.count, kInCell) && !overlap; ++i) overlap = overlaps(c.at[i], cx, cy);
        for (int32_t node = c.more; node >= 0 && !overlap; node = mNodes[static_cast<size_t>(node)].next)
          overlap = overlaps(mNodes[static_cast<size_t>(node)].at, cx, cy);
      }
    }
    if (overlap) begin(k);
    for (int cy = cy0; cy <= cy1; ++cy) {
      for (int cx = cx0; cx <= cx1; ++cx) {
        Cell& c = mCells[static_cast<size_t>(cy) * static_cast<size_t>(nx) + static_cast<size_t>(cx)];
        if (c.stamp != run) {
          c.stamp = run;
          c.count = 0;
          c.more = -1;
        }
        if (c.count < kInCell) {
          c.at[c.count] = static_cast<uint32_t>(k);
        } else {
          mNodes.push_back({c.more, static_cast<uint32_t>(k)});
          c.more = static_cast<int32_t>(mNodes.size() - 1);
        }
        ++c.count;
      }
    }
  }
}

}  // namespace corvia
