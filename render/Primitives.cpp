#include "render/Primitives.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <numbers>

#include "core/Geometry.h"
#include "core/IntMath.h"
#include "core/VectorMath.h"
#include "render/BitmapFont.h"
#include "render/GL.h"
#include "render/GLContextState.h"
#include "render/GLErrors.h"
#include "render/GLSelection.h"
#include "render/GLText.h"
#include "render/OpenGLView.h"
#include "render/ViewGroup.h"
#include "render/ViewWindow.h"

namespace corvia {

namespace detail_Primitives {

constexpr double kTwoPi = 2.0 * std::numbers::pi;
constexpr double kCoincident = 1e-5;
constexpr double kShortArrow = 1e-6;
constexpr int kWireSegments = 120;
constexpr int kWireLatitudes = 11;
constexpr int kWireMeridians = 12;
constexpr int kSphereLevels[5] = {2, 3, 4, 6, 8};
constexpr int kCylinderSegments[5] = {4, 6, 8, 16, 32};

// A unit vector perpendicular to the axis: along the reference (its part
// perpendicular to the axis) or from the coordinate axis of the axis's least
// component.
void InPlaneBasis(const double* axis, const double* reference, double* u, double* v) {
  double a[3];
  if (!NormaliseVector(a, axis)) {
    a[0] = a[1] = 0.0;
    a[2] = 1.0;
  }
  bool haveU = false;
  if (reference) {
    double r[3];
    Scale(r, a, Dot(reference, a));
    Subtract(r, reference, r);
    haveU = NormaliseVector(u, r);
  }
  if (!haveU) {
    double e[3] = {0, 0, 0};
    e[SmallestAxis(a)] = 1.0;
    double c[3];
    Cross(c, e, a);
    NormaliseVector(u, c);
  }
  Cross(v, a, u);
}

void CirclePoints(const double* centre, const double* u, const double* v, double radius, int n, bool filled) {
  glBegin(filled ? GL_POLYGON : GL_LINE_LOOP);
  for (int i = 0; i < n; ++i) {
    double s = 0.0, c = 0.0;
    GetSinCos(i, n, s, c);
    glVertex3d(centre[0] + radius * (c * u[0] + s * v[0]), centre[1] + radius * (c * u[1] + s * v[1]),
               centre[2] + radius * (c * u[2] + s * v[2]));
  }
  glEnd();
}

// A line strip from angle a0 to a1 > a0 in steps of a turn / n, ending exactly at a1.
template <typename Emit>
void ArcStrip(double a0, double a1, int n, Emit emit) {
  const double step = kTwoPi / n;
  glBegin(GL_LINE_STRIP);
  for (double a = a0; a < a1; a += step) emit(a);
  emit(a1);
  glEnd();
}

void ArrowHead2D(const double* tip, const double* back, double size) {
  // Wings 45 degrees either side of the line, pointing back.
  const double k = std::numbers::sqrt2 / 2.0;
  const double perp[2] = {-back[1], back[0]};
  glBegin(GL_LINE_STRIP);
  glVertex2d(tip[0] + size * k * (back[0] + perp[0]), tip[1] + size * k * (back[1] + perp[1]));
  glVertex2d(tip[0], tip[1]);
  glVertex2d(tip[0] + size * k * (back[0] - perp[0]), tip[1] + size * k * (back[1] - perp[1]));
  glEnd();
}

void ArrowHead3D(const double* tip, const double* back, const double* viewAxis, double size) {
  double w[3];
  Cross(w, back, viewAxis);
  if (!NormaliseVector(w, w)) {
    double e[3] = {0, 0, 0};
    e[SmallestAxis(back)] = 1.0;
    Cross(w, back, e);
    NormaliseVector(w, w);
  }
  const double k = size * std::numbers::sqrt2 / 2.0;
  glBegin(GL_LINE_STRIP);
  glVertex3d(tip[0] + k * (back[0] + w[0]), tip[1] + k * (back[1] + w[1]), tip[2] + k * (back[2] + w[2]));
  glVertex3d(tip[0], tip[1], tip[2]);
  glVertex3d(tip[0] + k * (back[0] - w[0]), tip[1] + k * (back[1] - w[1]), tip[2] + k * (back[2] - w[2]));
  glEnd();
}

std::vector<float> BuildOctantTable(int n) {
  std::vector<float> table;
  table.reserve(static_cast<size_t>((n + 1) * (n + 2) / 2) * 3);
  for (int i = 0; i <= n; ++i) {
    for (int j = 0; j <= i; ++j) {
      // From the +y pole (row 0) down to the equator from +z to +x (row n).
      double p[3] = {static_cast<double>(j), static_cast<double>(n - i), static_cast<double>(i - j)};
      NormaliseVector(p, p);
      for (double c : p) table.push_back(static_cast<float>(c));
    }
  }
  return table;
}

const float* TablePoint(const std::vector<float>& table, int row, int column) {
  return &table[static_cast<size_t>(row * (row + 1) / 2 + column) * 3];
}

// Whether the strips of the +x +y +z octant, built row below before row above, turn
// clockwise seen from outside.
bool BaseOctantInward() {
  const std::vector<float>& t = GetSphereOctantTable(8);
  const float* a = TablePoint(t, 1, 0);
  const float* b = TablePoint(t, 0, 0);
  const float* c = TablePoint(t, 1, 1);
  const double ab[3] = {b[0] - a[0], b[1] - a[1], b[2] - a[2]};
  const double ac[3] = {c[0] - a[0], c[1] - a[1], c[2] - a[2]};
  double n[3];
  Cross(n, ab, ac);
  const double outward[3] = {a[0], a[1], a[2]};
  return Dot(n, outward) < 0.0;
}

struct SphereVertex {
  float position[3];
  float normal[3];
  float texture[2];
};

// The octant's rows of strips, as triangles of the same turn, added to the sphere's.
void AddOctant(const double* centre, double radius, int level, const float* signs, bool reverse,
               std::vector<SphereVertex>& vertices, std::vector<uint32_t>& triangles) {
  const int tableLevel = (level % 3 == 0) ? 6 : 8;
  const int step = tableLevel / level;
  const std::vector<float>& table = GetSphereOctantTable(tableLevel);
  std::vector<SphereVertex> strip;
  auto add = [&](int row, int column) {
    const float* p = TablePoint(table, row * step, column * step);
    SphereVertex v;
    for (int k = 0; k < 3; ++k) {
      v.normal[k] = p[k] * signs[k];
      v.position[k] = static_cast<float>(centre[k] + v.normal[k] * radius);
    }
    v.texture[0] = (v.normal[0] + 1.0f) / 2.0f;
    v.texture[1] = (v.normal[1] + 1.0f) / 2.0f;
    strip.push_back(v);
  };
  for (int row = 0; row < level; ++row) {
    strip.clear();
    for (int column = 0; column <= row; ++column) {
      add(row + 1, column);
      add(row, column);
    }
    add(row + 1, row + 1);
    if (reverse) std::reverse(strip.begin(), strip.end());
    const auto first = static_cast<uint32_t>(vertices.size());
    vertices.insert(vertices.end(), strip.begin(), strip.end());
    // Triangle j of a strip turns as its first when j is even, the other way when odd.
    for (uint32_t j = 0; j + 2 < strip.size(); ++j) {
      const uint32_t v = first + j;
      if (j % 2 == 0) {
        triangles.insert(triangles.end(), {v, v + 1, v + 2});
      } else {
        triangles.insert(triangles.end(), {v + 1, v, v + 2});
      }
    }
  }
}

// The spheres waiting to be drawn together in a context (render/Primitives.h,
// SphereBatch).
struct Spheres : GLContextPart {
  int open = 0;
  std::vector<SphereVertex> vertices;
  std::vector<uint32_t> triangles;
};
// Drawn when this many vertices wait.
constexpr size_t kSphereBatchVertices = 1 << 16;

// Those of the current context; null outside any section.
Spheres* WaitingSpheres() {
  return FindCurrentGLContextPart<Spheres>(&GLContextState::spheres);
}

// One call for all: a call per strip, and one per sphere, held a software renderer
// longer than the pixels of small spheres.
void FlushSpheres(Spheres& s) {
  if (!s.triangles.empty()) {
    glPushClientAttrib(GL_CLIENT_VERTEX_ARRAY_BIT);
    glEnableClientState(GL_VERTEX_ARRAY);
    glEnableClientState(GL_NORMAL_ARRAY);
    glEnableClientState(GL_TEXTURE_COORD_ARRAY);
    glVertexPointer(3, GL_FLOAT, sizeof(SphereVertex), s.vertices.data()->position);
    glNormalPointer(GL_FLOAT, sizeof(SphereVertex), s.vertices.data()->normal);
    glTexCoordPointer(2, GL_FLOAT, sizeof(SphereVertex), s.vertices.data()->texture);
    glDrawElements(GL_TRIANGLES, static_cast<GLsizei>(s.triangles.size()), GL_UNSIGNED_INT, s.triangles.data());
    glPopClientAttrib();
  }
  s.vertices.clear();
  s.triangles.clear();
}

void DrawSphereAtLevel(const double* centre, double radius, int level) {
  static const bool baseInward = BaseOctantInward();
  // Outside a batch (or of any context) the sphere is drawn at once.
  Spheres alone;
  Spheres* waiting = WaitingSpheres();
  Spheres& s = waiting ? *waiting : alone;
  for (int k = 0; k < 8; ++k) {
    const float signs[3] = {(k & 1) ? -1.0f : 1.0f, (k & 2) ? -1.0f : 1.0f, (k & 4) ? -1.0f : 1.0f};
    // A mirror image turns the other way round.
    const bool mirrored = signs[0] * signs[1] * signs[2] < 0.0f;
    AddOctant(centre, radius, level, signs, baseInward != mirrored, s.vertices, s.triangles);
  }
  if (s.open == 0 || s.vertices.size() >= kSphereBatchVertices) FlushSpheres(s);
}

// Squared projected diameter of a ball around the point.
double ProjectedDiameterSquared(OpenGLView* view, const double* centre, double radius) {
  double edge[3];
  CopyVector(edge, centre);
  const double* right = view->Camera().GetRightAxis();
  for (int k = 0; k < 3; ++k) edge[k] += radius * right[k];
  double a[3], b[3];
  view->ApplyViewTransform(a, centre);
  view->ApplyViewTransform(b, edge);
  const double dx = b[0] - a[0], dy = b[1] - a[1];
  return 4.0 * (dx * dx + dy * dy);
}

template <size_t N>
int ByThreshold(double d2, const double (&thresholds)[4], const int (&values)[N]) {
  for (int i = 0; i < 4; ++i) {
    if (d2 < thresholds[i]) return values[i];
  }
  return values[4];
}

struct RodVertex {
  float position[3];
  float normal[3];
  float texture[2];
};

void DrawRod(OpenGLView* view, const double* p0, const double* p1, double radius, double trim, const double* reference,
             unsigned caps, double textureFrom, double textureTo, double startAngle) {
  double axis[3];
  Subtract(axis, p1, p0);
  if (std::fabs(axis[0]) <= kCoincident && std::fabs(axis[1]) <= kCoincident && std::fabs(axis[2]) <= kCoincident) {
    return;
  }
  const double length = VectorLength(axis);
  if (2.0 * trim >= length) return;
  double a[3];
  Divide(a, axis, length);
  double bottom[3], top[3];
  for (int k = 0; k < 3; ++k) {
    bottom[k] = p0[k] + trim * a[k];
    top[k] = p1[k] - trim * a[k];
  }
  double u[3], v[3];
  InPlaneBasis(a, reference, u, v);
  const int segments = view ? ChooseCylinderSegments(*view, p0, p1, radius) : kCylinderSegments[4];
  std::vector<RodVertex> body;
  std::vector<double> cosines(segments + 1), sines(segments + 1);
  for (int i = 0; i <= segments; ++i) {
    if (startAngle == 0.0) {
      GetSinCos(i, segments, sines[i], cosines[i]);
    } else {
      const double angle = startAngle * std::numbers::pi / 180.0 + kTwoPi * i / segments;
      sines[i] = std::sin(angle);
      cosines[i] = std::cos(angle);
    }
    double n[3];
    for (int k = 0; k < 3; ++k) n[k] = cosines[i] * u[k] + sines[i] * v[k];
    const float s = static_cast<float>(textureFrom + (textureTo - textureFrom) * i / segments);
    // Top before bottom: the strip then turns counter-clockwise seen from outside.
    for (int end = 0; end < 2; ++end) {
      const double* base = end == 0 ? top : bottom;
      RodVertex vertex;
      for (int k = 0; k < 3; ++k) {
        vertex.normal[k] = static_cast<float>(n[k]);
        vertex.position[k] = static_cast<float>(base[k] + radius * n[k]);
      }
      vertex.texture[0] = s;
      vertex.texture[1] = end == 0 ? 1.0f : 0.0f;
      body.push_back(vertex);
    }
  }
  glPushClientAttrib(GL_CLIENT_VERTEX_ARRAY_BIT);
  glEnableClientState(GL_VERTEX_ARRAY);
  glEnableClientState(GL_NORMAL_ARRAY);
  glEnableClientState(GL_TEXTURE_COORD_ARRAY);
  glVertexPointer(3, GL_FLOAT, sizeof(RodVertex), body.data()->position);
  glNormalPointer(GL_FLOAT, sizeof(RodVertex), body.data()->normal);
  glTexCoordPointer(2, GL_FLOAT, sizeof(RodVertex), body.data()->texture);
  glDrawArrays(GL_TRIANGLE_STRIP, 0, static_cast<GLsizei>(body.size()));
  glPopClientAttrib();
  if (!(caps & 1)) return;
  for (int end = 0; end < 2; ++end) {
    const double* base = end == 0 ? top : bottom;
    const double sign = end == 0 ? 1.0 : -1.0;
    glBegin(GL_POLYGON);
    glNormal3d(sign * a[0], sign * a[1], sign * a[2]);
    for (int j = 0; j < segments; ++j) {
      const int i = end == 0 ? j : segments - j;
      glVertex3d(base[0] + radius * (cosines[i] * u[0] + sines[i] * v[0]),
                 base[1] + radius * (cosines[i] * u[1] + sines[i] * v[1]),
                 base[2] + radius * (cosines[i] * u[2] + sines[i] * v[2]));
    }
    glEnd();
  }
}

}  // namespace detail_Primitives

// ---- Text ------------------------------------------------------------------------------------

bool IsTextEnabled(const ViewGroup& group) { return group.options.textEnabled; }
void SetTextEnabled(ViewGroup& group, bool on) { group.options.textEnabled = on; }

std::vector<std::string> SplitTextLines(const char* text) {
  std::vector<std::string> lines;
  if (!text || !*text) return lines;
  std::string line;
  for (const char* p = text; *p;) {
    if (*p == '\r' || *p == '\n') {
      const char other = *p == '\r' ? '\n' : '\r';
      ++p;
      if (*p == other) ++p;
      lines.push_back(line);
      line.clear();
      continue;
    }
    line.push_back(*p++);
  }
  if (!line.empty()) lines.push_back(line);
  return lines;
}

int CountTextLines(const char* text) { return static_cast<int>(SplitTextLines(text).size()); }

std::vector<std::string> WrapTextLines(const char* text, int pixels,
                                       const std::function<int(const std::string&)>& advance) {
  std::vector<std::string> wrapped;
  for (const std::string& line : SplitTextLines(text)) {
    if (advance(line) <= pixels) {
      wrapped.push_back(line);
      continue;
    }
    // Word by word, each with the spaces before it; a line's own indent stays.
    std::string current;
    bool lineStart = true;
    for (size_t at = 0; at < line.size();) {
      const size_t word = line.find_first_not_of(' ', at);
      if (word == std::string::npos) break;
      const size_t end = std::min(line.find(' ', word), line.size());
      std::string trial = current.empty() && !lineStart ? std::string() : current + line.substr(at, word - at);
      trial += line.substr(word, end - word);
      if (!current.empty() && advance(trial) > pixels) {
        wrapped.push_back(current);
        current = line.substr(word, end - word);
      } else {
        current = std::move(trial);
      }
      lineStart = false;
      at = end;
    }
    wrapped.push_back(current);
  }
  return wrapped;
}

// ---- Lines, circles, arcs, arrows --------------------------------------------------------------

unsigned ClipOutcode(const double* p, const double* min, const double* max) {
  unsigned code = 0;
  if (p[0] < min[0]) {
    code |= kClipLeft;
  } else if (p[0] > max[0]) {
    code |= kClipRight;
  }
  if (p[1] < min[1]) {
    code |= kClipBelow;
  } else if (p[1] > max[1]) {
    code |= kClipAbove;
  }
  return code;
}

bool ClipLine2D(double* p0, double* p1, const double* min, const double* max) {
  unsigned c0 = ClipOutcode(p0, min, max);
  unsigned c1 = ClipOutcode(p1, min, max);
  // Each pass moves one end onto an edge; four edges bound the passes.
  for (int pass = 0; pass < 8; ++pass) {
    if (!(c0 | c1)) return true;
    if (c0 & c1) return false;
    const unsigned out = c0 ? c0 : c1;
    double x = 0.0, y = 0.0;
    const double dx = p1[0] - p0[0], dy = p1[1] - p0[1];
    if (out & kClipAbove) {
      x = p0[0] + dx * (max[1] - p0[1]) / dy;
      y = max[1];
    } else if (out & kClipBelow) {
      x = p0[0] + dx * (min[1] - p0[1]) / dy;
      y = min[1];
    } else if (out & kClipRight) {
      y = p0[1] + dy * (max[0] - p0[0]) / dx;
      x = max[0];
    } else {
      y = p0[1] + dy * (min[0] - p0[0]) / dx;
      x = min[0];
    }
    if (out == c0) {
      p0[0] = x;
      p0[1] = y;
      c0 = ClipOutcode(p0, min, max);
    } else {
      p1[0] = x;
      p1[1] = y;
      c1 = ClipOutcode(p1, min, max);
    }
  }
  return !(c0 | c1);
}

void DrawClippedLine2D(const OpenGLView& view, const double* p0, const double* p1) {
  double a[2] = {p0[0], p0[1]}, b[2] = {p1[0], p1[1]};
  const double* area = view.Mapping2D().GetVisibleArea2D();
  const double min[2] = {area[0], area[1]};
  const double max[2] = {area[2], area[3]};
  if (!ClipLine2D(a, b, min, max)) return;
  glBegin(GL_LINES);
  glVertex2dv(a);
  glVertex2dv(b);
  glEnd();
}

void DrawCircle2D(const double* centre, double radius, int n, bool filled) {
  if (n < 3) return;
  glBegin(filled ? GL_POLYGON : GL_LINE_LOOP);
  for (int i = 0; i < n; ++i) {
    double s = 0.0, c = 0.0;
    GetSinCos(i, n, s, c);
    glVertex2d(centre[0] + radius * c, centre[1] + radius * s);
  }
  glEnd();
}

void DrawCircle3D(const double* centre, const double* axis, double radius, int n, bool filled,
                  const double* reference) {
  if (n < 3) return;
  double u[3], v[3];
  detail_Primitives::InPlaneBasis(axis, reference, u, v);
  detail_Primitives::CirclePoints(centre, u, v, radius, n, filled);
}

void DrawCircleF(const float* centre, const float* axis, float radius, int n, bool filled, const float* reference) {
  const double c[3] = {centre[0], centre[1], centre[2]};
  const double a[3] = {axis[0], axis[1], axis[2]};
  double r[3];
  if (reference) {
    for (int k = 0; k < 3; ++k) r[k] = reference[k];
  }
  DrawCircle3D(c, a, radius, n, filled, reference ? r : nullptr);
}

void DrawArc2D(const double* centre, double radius, const double* from, const double* to, int n) {
  if (n < 1) return;
  const double a0 = std::atan2(from[1] - centre[1], from[0] - centre[0]);
  double a1 = std::atan2(to[1] - centre[1], to[0] - centre[0]);
  if (a1 <= a0) a1 += detail_Primitives::kTwoPi;
  detail_Primitives::ArcStrip(a0, a1, n, [&](double a) {
    glVertex2d(centre[0] + radius * std::cos(a), centre[1] + radius * std::sin(a));
  });
}

void DrawArc3D(const double* centre, const double* axis, double radius, const double* from, const double* to, int n) {
  if (n < 1) return;
  double fromDirection[3];
  Subtract(fromDirection, from, centre);
  double u[3], v[3];
  detail_Primitives::InPlaneBasis(axis, fromDirection, u, v);
  double toDirection[3];
  Subtract(toDirection, to, centre);
  const double a0 = 0.0;
  double a1 = std::atan2(Dot(toDirection, v), Dot(toDirection, u));
  if (a1 <= a0) a1 += detail_Primitives::kTwoPi;
  detail_Primitives::ArcStrip(a0, a1, n, [&](double a) {
    const double c = std::cos(a), s = std::sin(a);
    glVertex3d(centre[0] + radius * (c * u[0] + s * v[0]), centre[1] + radius * (c * u[1] + s * v[1]),
               centre[2] + radius * (c * u[2] + s * v[2]));
  });
}

void DrawArrow2D(const double* p0, const double* p1, double size) {
  const double d[2] = {p0[0] - p1[0], p0[1] - p1[1]};
  const double length = std::hypot(d[0], d[1]);
  if (length < detail_Primitives::kShortArrow) return;
  glBegin(GL_LINES);
  glVertex2dv(p0);
  glVertex2dv(p1);
  glEnd();
  const double back[2] = {d[0] / length, d[1] / length};
  detail_Primitives::ArrowHead2D(p1, back, size);
}

void DrawDoubleArrow2D(const double* p0, const double* p1, double size) {
  const double d[2] = {p0[0] - p1[0], p0[1] - p1[1]};
  const double length = std::hypot(d[0], d[1]);
  if (length < detail_Primitives::kShortArrow) return;
  DrawArrow2D(p0, p1, size);
  const double back[2] = {-d[0] / length, -d[1] / length};
  detail_Primitives::ArrowHead2D(p0, back, size);
}

void DrawDoubleArrow3D(OpenGLView* view, const double* p0, const double* p1, double size) {
  double back[3];
  Subtract(back, p0, p1);
  if (!NormaliseVector(back, back) || !view) return;
  glBegin(GL_LINES);
  glVertex3dv(p0);
  glVertex3dv(p1);
  glEnd();
  detail_Primitives::ArrowHead3D(p1, back, view->Camera().GetViewAxis(), size);
  Negate(back);
  detail_Primitives::ArrowHead3D(p0, back, view->Camera().GetViewAxis(), size);
}

void SplitQuad(double* out, const double* a, const double* b, const double* c, const double* d, double tolerance) {
  auto put = [out](int k, const double* p) { CopyVector(out + 3 * k, p); };
  double x[3], unused[3];
  if (IntersectSegments3D(a, b, c, d, tolerance, x, unused) == kSegmentsCross) {
    put(0, x), put(1, b), put(2, c), put(3, x), put(4, a), put(5, d);
  } else if (IntersectSegments3D(b, c, d, a, tolerance, x, unused) == kSegmentsCross) {
    put(0, x), put(1, a), put(2, b), put(3, x), put(4, d), put(5, c);
  } else {
    put(0, a), put(1, b), put(2, c), put(3, a), put(4, c), put(5, d);
  }
}

// ---- Spheres and rods -----------------------------------------------------------------------

const std::vector<float>& GetSphereOctantTable(int level) {
  static const std::vector<float> table8 = detail_Primitives::BuildOctantTable(8);
  static const std::vector<float> table6 = detail_Primitives::BuildOctantTable(6);
  return level == 6 ? table6 : table8;
}

void DrawWireSphere(const double* centre, double radius) {
  using namespace detail_Primitives;
  const double yAxis[3] = {0, 1, 0};
  for (int i = 1; i <= kWireLatitudes; ++i) {
    // Latitudes from -75 to 75 degrees.
    double s = 0.0, c = 0.0;
    GetSinCos(i - 6, 24, s, c);
    const double at[3] = {centre[0], centre[1] + radius * s, centre[2]};
    DrawCircle3D(at, yAxis, radius * c, kWireSegments, false);
  }
  for (int i = 0; i < kWireMeridians; ++i) {
    // Each great circle once: 12 planes 15 degrees apart about the y axis.
    double s = 0.0, c = 0.0;
    GetSinCos(i, 2 * kWireMeridians, s, c);
    const double normal[3] = {c, 0, s};
    DrawCircle3D(centre, normal, radius, kWireSegments, false, yAxis);
  }
}

int ChooseSphereLevel(OpenGLView& view, const double* centre, double radius) {
  using namespace detail_Primitives;
  if (view.IsBitmapTarget()) return kSphereLevels[4];
  return ByThreshold(ProjectedDiameterSquared(&view, centre, radius), kSphereThresholds, kSphereLevels);
}

int ChooseCylinderSegments(OpenGLView& view, const double* p0, const double* p1, double radius) {
  using namespace detail_Primitives;
  if (view.IsBitmapTarget()) return kCylinderSegments[4];
  double d0[3], d1[3];
  Subtract(d0, view.Camera().GetPerEyePosition(), p0);
  Subtract(d1, view.Camera().GetPerEyePosition(), p1);
  const double* nearer = Dot(d0, d0) <= Dot(d1, d1) ? p0 : p1;
  return ByThreshold(ProjectedDiameterSquared(&view, nearer, radius), kCylinderThresholds, kCylinderSegments);
}

SphereBatch::SphereBatch() {
  OpenGLView* view = OpenGLView::GetCurrent();
  detail_Primitives::Spheres* s = detail_Primitives::WaitingSpheres();
  if (!view || view->IsPicking() || !s) return;
  ++s->open;
  mOpened = true;
}

SphereBatch::~SphereBatch() {
  if (!mOpened) return;
  detail_Primitives::Spheres* s = detail_Primitives::WaitingSpheres();
  if (s && --s->open == 0) detail_Primitives::FlushSpheres(*s);
}

void DrawSphere(const double* centre, double radius) {
  OpenGLView* view = OpenGLView::GetCurrent();
  const int level = view ? ChooseSphereLevel(*view, centre, radius) : detail_Primitives::kSphereLevels[4];
  detail_Primitives::DrawSphereAtLevel(centre, radius, level);
}

void DrawSphereF(OpenGLView& view, const float* centre, float radius) {
  const double c[3] = {centre[0], centre[1], centre[2]};
  detail_Primitives::DrawSphereAtLevel(c, radius, ChooseSphereLevel(view, c, radius));
}

void DrawCylinder(OpenGLView* view, const double* p0, const double* p1, double radius, double trim,
                  const double* reference, unsigned caps) {
  detail_Primitives::DrawRod(view, p0, p1, radius, trim, reference, caps, 0.0, 1.0, 0.0);
}

void DrawCylinderF(OpenGLView& view, const float* p0, const float* p1, float radius, float trim, const float* reference,
                   unsigned caps, float textureFrom, float textureTo, float startAngle) {
  const double a[3] = {p0[0], p0[1], p0[2]}, b[3] = {p1[0], p1[1], p1[2]};
  double r[3];
  if (reference) {
    for (int k = 0; k < 3; ++k) r[k] = reference[k];
  }
  detail_Primitives::DrawRod(&view, a, b, radius, trim, reference ? r : nullptr, caps, textureFrom, textureTo,
                             startAngle);
}

}  // namespace corvia
