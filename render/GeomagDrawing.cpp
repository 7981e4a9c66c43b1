// The construction toy drawn in OpenGL: panels set in between the rods, with rounded
// rims; faces of six or more sides built from smaller panels; rods with rounded ends.

#include "render/GeomagDrawing.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <map>
#include <numbers>
#include <vector>

#include "core/Globals.h"
#include "core/VectorMath.h"
#include "model/ColorSchemes.h"
#include "model/Edge.h"
#include "model/GeomagPanels.h"
#include "model/Globals.h"
#include "render/DepthSortedTriangles.h"
#include "render/GL.h"
#include "render/GLContextState.h"
#include "render/GLErrors.h"
#include "render/GeomagStyle.h"
#include "render/ModelDrawSettings.h"
#include "render/OpenGLView.h"
#include "render/Primitives.h"
#include "render/PrintPage.h"

namespace corvia {

namespace detail_GeomagDrawing {

constexpr double kPi = std::numbers::pi;
constexpr int kRodSides = 12;
// The rim: the panel's corners are rounded with this times the rod radius, and the
// band round it is a tube of kRimTube times that.
constexpr double kRimRadius = 1.2;
constexpr double kRimTube = 0.35;
constexpr int kRimTubeSides = 8;
// The end of a rod narrows over a rounded cap of kCapRings rings, half a radius long,
// to a disk of kCapDisk times its radius that closes it.
constexpr double kCapDisk = 0.8;
constexpr int kCapRings = 4;
// The fewest segments OpenGLView::ChooseCylinderSegments gives a rod that is drawn
// rounded, with kRodSides sides (one about ten pixels across).
constexpr int kRoundedRodSegments = 16;
constexpr float kClearAlpha = 0.3f;
constexpr float kPanelAlpha = 0.8f;
// The balls that hold the panels of a large face together.
constexpr float kBallColour[3] = {0.75f, 0.75f, 0.78f};

// A panel of unit edge, its centre at the origin and its first corner on +x: the
// outline set in from the rods with its corners rounded, and the outward direction of
// the outline at each point (for the rim).
struct PanelMesh {
  double rodRatio = -1.0;
  std::vector<double> outline;  // x, y pairs, counter-clockwise
  std::vector<double> outward;  // x, y pairs
};

int ShapeOf(int sides, bool rhombus) {
  switch (sides) {
    case 3: return kGeomagTriangle;
    case 4: return rhombus ? kGeomagRhombus : kGeomagSquare;
    default: return kGeomagPentagon;
  }
}

// The corners of the unit panel of a shape; a rhombus starts at an acute corner.
std::vector<double> UnitCorners(int shape) {
  if (shape == kGeomagRhombus) return {0.86602540378443865, 0.0, 0.0, 0.5, -0.86602540378443865, 0.0, 0.0, -0.5};
  const int n = shape == kGeomagTriangle ? 3 : shape == kGeomagSquare ? 4 : 5;
  const double radius = 0.5 / std::sin(kPi / n);
  std::vector<double> corners;
  for (int k = 0; k < n; ++k) {
    corners.push_back(radius * std::cos(2.0 * kPi * k / n));
    corners.push_back(radius * std::sin(2.0 * kPi * k / n));
  }
  return corners;
}

// The scale about the centre that sets the panel in by the rod radius (r over the
// inradius of the unit polygon).
double InsetScale(int shape, double rodRatio) {
  switch (shape) {
    case kGeomagTriangle: return 1.0 - 3.4641016151377546 * rodRatio;
    case kGeomagSquare: return 1.0 - 2.0 * rodRatio;
    case kGeomagRhombus: return 1.0 - 2.3094010767585031 * rodRatio;
    default: return 1.0 - std::sqrt(0.3454915028125263) * 2.4721359549995794 * rodRatio;
  }
}

void BuildMesh(PanelMesh& mesh, int shape, double rodRatio) {
  mesh = PanelMesh();
  mesh.rodRatio = rodRatio;
  std::vector<double> corners = UnitCorners(shape);
  const int n = static_cast<int>(corners.size() / 2);
  const double scale = std::max(InsetScale(shape, rodRatio), 0.05);
  for (double& c : corners) c *= scale;
  // Arc steps per rounded corner: 14 / corners + 1.
  const int steps = 14 / n + 1;
  for (int k = 0; k < n; ++k) {
    const double* p = &corners[2 * k];
    const double* before = &corners[2 * ((k + n - 1) % n)];
    const double* after = &corners[2 * ((k + 1) % n)];
    double u[2] = {before[0] - p[0], before[1] - p[1]};
    double v[2] = {after[0] - p[0], after[1] - p[1]};
    const double lu = std::hypot(u[0], u[1]);
    const double lv = std::hypot(v[0], v[1]);
    u[0] /= lu, u[1] /= lu, v[0] /= lv, v[1] /= lv;
    const double angle = std::acos(std::clamp(u[0] * v[0] + u[1] * v[1], -1.0, 1.0));
    // The rounding may take no more than a third of either side.
    double radius = kRimRadius * rodRatio;
    radius = std::min(radius, std::tan(0.5 * angle) * std::min(lu, lv) / 3.0);
    const double along = radius / std::tan(0.5 * angle);
    double bisector[2] = {u[0] + v[0], u[1] + v[1]};
    const double lb = std::hypot(bisector[0], bisector[1]);
    bisector[0] /= lb, bisector[1] /= lb;
    const double centre[2] = {p[0] + bisector[0] * radius / std::sin(0.5 * angle),
                              p[1] + bisector[1] * radius / std::sin(0.5 * angle)};
    // From the tangent point on the side before to the one on the side after.
    const double from[2] = {p[0] + u[0] * along - centre[0], p[1] + u[1] * along - centre[1]};
    const double to[2] = {p[0] + v[0] * along - centre[0], p[1] + v[1] * along - centre[1]};
    const double a0 = std::atan2(from[1], from[0]);
    double a1 = std::atan2(to[1], to[0]);
    while (a1 < a0) a1 += 2.0 * kPi;
    for (int s = 0; s <= steps; ++s) {
      const double a = a0 + (a1 - a0) * s / steps;
      mesh.outward.push_back(std::cos(a));
      mesh.outward.push_back(std::sin(a));
      mesh.outline.push_back(centre[0] + radius * std::cos(a));
      mesh.outline.push_back(centre[1] + radius * std::sin(a));
    }
  }
}

// The rods of a paint gathered into one vertex array and drawn in one call, in the
// colours their material would have had: rod by rod in immediate mode, a model of
// thousands of edges held a software renderer for seconds a paint.
struct BatchVertex {
  float position[3];
  float normal[3];
  float colour[4];
};
// Drawn when this many vertices wait (about 300 rods).
constexpr size_t kBatchVertices = 1 << 16;

struct RodBatch {
  int open = 0;
  OpenGLView* view = nullptr;
  std::vector<BatchVertex> vertices;
  std::vector<uint32_t> indices;
  float colour[4] = {1.0f, 1.0f, 1.0f, 1.0f};
  float material[3] = {1.0f, 1.0f, 1.0f};  // the last rod's, as SetMaterialColor takes it
  bool any = false;
  size_t strip = 0;

  void SetColour(OpenGLView* v, const float* rgb) {
    v->Materials().FilterMaterialColor(rgb, 1.0f, colour);
    std::copy(rgb, rgb + 3, material);
    any = true;
  }
  void BeginStrip() { strip = vertices.size(); }
  void Add(const double* n, const double* p) {
    BatchVertex v;
    for (int k = 0; k < 3; ++k) {
      v.position[k] = static_cast<float>(p[k]);
      v.normal[k] = static_cast<float>(n[k]);
    }
    std::copy(colour, colour + 4, v.colour);
    vertices.push_back(v);
  }
  void Triangle(size_t a, size_t b, size_t c) {
    indices.insert(indices.end(), {static_cast<uint32_t>(a), static_cast<uint32_t>(b), static_cast<uint32_t>(c)});
  }
  // Quad j of a quad strip is 2j, 2j + 1, 2j + 3, 2j + 2: two triangles of its turn.
  void EndQuadStrip() {
    for (size_t v = strip; v + 3 < vertices.size(); v += 2) {
      Triangle(v, v + 1, v + 3);
      Triangle(v, v + 3, v + 2);
    }
  }
  void EndFan() {
    for (size_t v = strip + 1; v + 1 < vertices.size(); ++v) Triangle(strip, v, v + 1);
  }
};

// What the toy's drawing keeps in a context: the panels' outlines, made once for each
// shape and rod ratio, the rods waiting to be drawn together, and what was drawn there
// (for the tests and benchmarks).
struct Kept : GLContextPart {
  std::map<int, PanelMesh> meshes;
  RodBatch batch;
  GeomagDrawStatistics statistics;
};

// That of the current context; null outside any section.
Kept* CurrentKept() {
  return FindCurrentGLContextPart<Kept>(&GLContextState::geomag);
}

// The outline of the panel of the shape; outside any context (a printed page) it is
// made into `alone`.
const PanelMesh& Mesh(int shape, double rodRatio, PanelMesh& alone) {
  Kept* kept = CurrentKept();
  PanelMesh& mesh = kept ? kept->meshes[shape] : alone;
  if (mesh.rodRatio != rodRatio) BuildMesh(mesh, shape, rodRatio);
  return mesh;
}

void Flush(RodBatch& batch) {
  if (!batch.indices.empty()) {
    glPushAttrib(GL_ENABLE_BIT | GL_LIGHTING_BIT | GL_CURRENT_BIT);
    glPushClientAttrib(GL_CLIENT_VERTEX_ARRAY_BIT);
    glColorMaterial(GL_FRONT_AND_BACK, GL_AMBIENT_AND_DIFFUSE);
    glEnable(GL_COLOR_MATERIAL);
    glEnableClientState(GL_VERTEX_ARRAY);
    glEnableClientState(GL_NORMAL_ARRAY);
    glEnableClientState(GL_COLOR_ARRAY);
    glVertexPointer(3, GL_FLOAT, sizeof(BatchVertex), batch.vertices.data()->position);
    glNormalPointer(GL_FLOAT, sizeof(BatchVertex), batch.vertices.data()->normal);
    glColorPointer(4, GL_FLOAT, sizeof(BatchVertex), batch.vertices.data()->colour);
    glDrawElements(GL_TRIANGLES, static_cast<GLsizei>(batch.indices.size()), GL_UNSIGNED_INT, batch.indices.data());
    glPopClientAttrib();
    glPopAttrib();
    if (Kept* kept = CurrentKept()) ++kept->statistics.draws;
    CheckGLError("DrawGeomagRod");
  }
  batch.vertices.clear();
  batch.indices.clear();
}

void Begin(RodBatch& batch, OpenGLView* view) {
  if (batch.open++ == 0) {
    batch.view = view;
    batch.any = false;
  }
}

void End(RodBatch& batch) {
  if (--batch.open > 0) return;
  Flush(batch);
  // The material as the last rod drawn alone would have left it.
  if (batch.any && batch.view) batch.view->Materials().SetMaterialColor(batch.material);
  batch.view = nullptr;
}

// The sizes of the toy for a face of the edge length: the rod radius, the ball radius
// and how far a rod is shortened to meet a ball.
struct ToySizes {
  double rod = 0.0;
  double ball = 0.0;
  double trim = 0.0;
};

ToySizes SizesFor(double edge) {
  ToySizes sizes;
  Poly* poly = GetCurrentPoly();
  sizes.ball = GetSphereRadius(poly, false, edge, -1, -1.0, -1.0);
  sizes.rod = GetSphereJointRadius(poly, false, edge, -1, -1.0, -1.0, &sizes.trim);
  return sizes;
}

void Point(const double* origin, const double* x, const double* y, const double* z, double scale, double px, double py,
           double pz, double* out) {
  for (int k = 0; k < 3; ++k) out[k] = origin[k] + scale * (px * x[k] + py * y[k] + pz * z[k]);
}

// One panel of 3, 4 or 5 unit-length sides (corners counter-clockwise about the normal,
// a rhombus from an acute corner): its face through the translucent queue, its rim at once.
void DrawPanel(int shape, const std::vector<const double*>& corners, const double* normal, double edge,
               double rodRatio, const float* colour, const FaceImage* image, const Transform3D* textureTransform) {
  OpenGLView* view = OpenGLView::GetCurrent();
  PrintPage* page = view ? nullptr : GetCurrentPrintPage();
  if (!view && !page) return;
  PanelMesh alone;
  const PanelMesh& mesh = Mesh(shape, rodRatio, alone);
  double centre[3] = {0.0, 0.0, 0.0};
  for (const double* c : corners) AddTo(centre, c);
  Scale(centre, centre, 1.0 / static_cast<double>(corners.size()));
  double x[3], y[3];
  Subtract(x, corners[0], centre);
  if (!NormaliseVector(x, x)) return;
  Cross(y, normal, x);
  const float rgba[4] = {colour[0], colour[1], colour[2],
                         FindGeomagPanelColor(colour) == kGeomagPanelClear ? kClearAlpha : kPanelAlpha};
  const size_t count = mesh.outline.size() / 2;
  std::vector<double> outline(3 * count);
  for (size_t i = 0; i < count; ++i) {
    Point(centre, x, y, normal, edge, mesh.outline[2 * i], mesh.outline[2 * i + 1], 0.0, &outline[3 * i]);
  }
  if (page) {
    // Printed without GL: the outline on the page, whose units the corners are in.
    DeviceContext& dc = page->GetDC();
    dc.MoveTo(RoundToDevice(outline[0]), RoundToDevice(outline[1]));
    for (size_t i = 1; i <= count; ++i) {
      const double* p = &outline[3 * (i % count)];
      dc.LineTo(RoundToDevice(p[0]), RoundToDevice(p[1]));
    }
    return;
  }
  for (size_t i = 0; i < count; ++i) {
    AddDepthSortedTriangle(centre, &outline[3 * i], &outline[3 * ((i + 1) % count)], normal, rgba, 0, 1.0, image,
                           image ? textureTransform : nullptr, nullptr);
  }
  // The rim: a tube round the outline.
  const double tube = kRimTube * kRimRadius * rodRatio;
  view->Materials().SetMaterialColor(colour);
  for (int j = 0; j < kRimTubeSides; ++j) {
    glBegin(GL_QUAD_STRIP);
    for (size_t i = 0; i <= count; ++i) {
      const size_t at = i % count;
      for (int side = 0; side < 2; ++side) {
        const double phi = 2.0 * kPi * (j + side) / kRimTubeSides;
        const double ox = mesh.outward[2 * at] * std::cos(phi);
        const double oy = mesh.outward[2 * at + 1] * std::cos(phi);
        const double oz = std::sin(phi);
        double n[3], p[3];
        Point(centre, x, y, normal, 1.0, ox, oy, oz, n);
        Subtract(n, n, centre);
        Point(centre, x, y, normal, edge, mesh.outline[2 * at] + tube * ox, mesh.outline[2 * at + 1] + tube * oy,
              tube * oz, p);
        glNormal3dv(n);
        glVertex3dv(p);
      }
    }
    glEnd();
  }
}

// The normal of a polygon (Newell), turned to the side of `towards`.
void PolygonNormal(const std::vector<const double*>& corners, const double* towards, double* out) {
  out[0] = out[1] = out[2] = 0.0;
  const size_t n = corners.size();
  for (size_t i = 0; i < n; ++i) {
    const double* a = corners[i];
    const double* b = corners[(i + 1) % n];
    out[0] += (a[1] - b[1]) * (a[2] + b[2]);
    out[1] += (a[2] - b[2]) * (a[0] + b[0]);
    out[2] += (a[0] - b[0]) * (a[1] + b[1]);
  }
  if (!NormaliseVector(out, out)) CopyVector(out, towards);
  if (Dot(out, towards) < 0.0) Negate(out);
}

// A smaller panel of a large face, its corners ordered to turn about the face's normal.
void DrawPart(std::vector<const double*> corners, const double* normal, const float* colour, const FaceImage* image,
              const Transform3D* textureTransform, const float* rod) {
  double n[3];
  PolygonNormal(corners, normal, n);
  // Newell's normal follows the order of the corners: reverse them when it had to turn.
  double check[3] = {0.0, 0.0, 0.0};
  for (size_t i = 0; i < corners.size(); ++i) {
    double cross[3];
    Cross(cross, corners[i], corners[(i + 1) % corners.size()]);
    AddTo(check, cross);
  }
  if (Dot(check, n) < 0.0) std::reverse(corners.begin(), corners.end());
  std::vector<double> flat;
  for (const double* c : corners) flat.insert(flat.end(), c, c + 3);
  DrawGeomagModel(static_cast<int>(corners.size()), flat.data(), n, colour, image, textureTransform, rod);
}

void DrawBall(const double* centre, double radius) {
  OpenGLView* view = OpenGLView::GetCurrent();
  if (!view) return;
  view->Materials().SetMaterialColor(kBallColour);
  DrawSphere(centre, radius);
}

// A hexagon: three rhombi round a ball at its centre, held by rods from the centre to
// every other corner.
void DrawHexagon(const std::vector<const double*>& c, const double* normal, const float* colour,
                 const FaceImage* image, const Transform3D* textureTransform, const float* rod, const ToySizes& sizes) {
  double centre[3] = {0.0, 0.0, 0.0};
  for (const double* p : c) AddTo(centre, p);
  Scale(centre, centre, 1.0 / 6.0);
  for (int k = 0; k < 3; ++k) {
    DrawPart({centre, c[2 * k], c[2 * k + 1], c[(2 * k + 2) % 6]}, normal, colour, image, textureTransform, rod);
  }
  for (int k = 0; k < 3; ++k) DrawGeomagRod(centre, c[2 * k], rod, sizes.rod, sizes.trim);
  DrawBall(centre, sizes.ball);
}

// An octagon, decagon or dodecagon: a cupola of squares on every other side and
// triangles between them round a square, pentagon or hexagon, sunk into the model by
// the height that gives every rod its unit length (a dodecagon's lies flat).
void DrawCupola(const std::vector<const double*>& c, const double* normal, double edge, const float* colour,
                const FaceImage* image, const Transform3D* textureTransform, const float* rod, const ToySizes& sizes) {
  const int n = static_cast<int>(c.size());
  const int m = n / 2;
  double centre[3] = {0.0, 0.0, 0.0};
  for (const double* p : c) AddTo(centre, p);
  Scale(centre, centre, 1.0 / n);
  const double apothem = 0.5 / std::tan(kPi / n);
  const double topApothem = 0.5 / std::tan(kPi / m);
  const double height = edge * std::sqrt(std::max(0.0, 1.0 - (apothem - topApothem) * (apothem - topApothem)));
  // Top corner k: where the top side over base side 2k starts.
  std::vector<std::array<double, 3>> top(static_cast<size_t>(m));
  for (int k = 0; k < m; ++k) {
    const double* a = c[2 * k];
    const double* b = c[2 * k + 1];
    double mid[3], towards[3], side[3];
    for (int i = 0; i < 3; ++i) mid[i] = 0.5 * (a[i] + b[i]);
    Subtract(towards, mid, centre);
    NormaliseVector(towards, towards);
    Subtract(side, b, a);
    for (int i = 0; i < 3; ++i) {
      top[static_cast<size_t>(k)][i] =
          centre[i] + towards[i] * topApothem * edge - normal[i] * height - 0.5 * side[i];
    }
  }
  auto t = [&top, m](int k) { return top[static_cast<size_t>((k + m) % m)].data(); };
  for (int k = 0; k < m; ++k) {
    DrawPart({c[2 * k], c[2 * k + 1], t(k + 1), t(k)}, normal, colour, image, textureTransform, rod);
    DrawPart({c[2 * k + 1], c[(2 * k + 2) % n], t(k + 1)}, normal, colour, image, textureTransform, rod);
  }
  std::vector<const double*> cap;
  for (int k = 0; k < m; ++k) cap.push_back(t(k));
  DrawPart(cap, normal, colour, image, textureTransform, rod);
  for (int k = 0; k < m; ++k) {
    DrawGeomagRod(t(k), t(k + 1), rod, sizes.rod, sizes.trim);
    DrawGeomagRod(c[2 * k], t(k), rod, sizes.rod, sizes.trim);
    DrawGeomagRod(c[2 * k + 1], t(k + 1), rod, sizes.rod, sizes.trim);
    DrawBall(t(k), sizes.ball);
  }
}

}  // namespace detail_GeomagDrawing

void DrawGeomagModel(int sides, const double* corners, const double* normal, const float* colour,
                     const FaceImage* image, const Transform3D* textureTransform, const float* rodColour) {
  using namespace detail_GeomagDrawing;
  OpenGLView* view = OpenGLView::GetCurrent();
  if ((!view && !GetCurrentPrintPage()) || !corners || !normal || !colour || sides < 3 ||
      sides > kGeomagMaxPanelSides) {
    return;
  }
  // 1. Only what the toy has panels for, measured in rods.
  double first[3];
  Subtract(first, corners + 3, corners);
  const double edge = VectorLength(first);
  if (edge <= kPointTolerance) return;
  std::vector<double> unit(3 * static_cast<size_t>(sides));
  for (int i = 0; i < sides; ++i) {
    for (int k = 0; k < 3; ++k) unit[3 * i + k] = (corners[3 * i + k] - corners[k]) / edge;
  }
  bool rhombus = false;
  int start = 0;
  if (!CanMakeGeomagPanel(sides, unit.data(), normal, &rhombus, &start)) return;
  // 2. Sizes from the model's sphere radius for the face.
  const ToySizes sizes = SizesFor(edge);
  const float* rod = rodColour ? rodColour : GetNewEdgeColor();
  std::vector<const double*> c;
  for (int i = 0; i < sides; ++i) c.push_back(corners + 3 * ((i + start) % sides));
  // 3.
  if (sides <= 5) {
    DrawPanel(ShapeOf(sides, rhombus), c, normal, edge, sizes.rod / edge, colour, image, textureTransform);
  } else if (sides == 6) {
    DrawHexagon(c, normal, colour, image, textureTransform, rod, sizes);
  } else {
    DrawCupola(c, normal, edge, colour, image, textureTransform, rod, sizes);
  }
  if (view) CheckGLError("DrawGeomagModel");
}

void DrawGeomagRod(const double* from, const double* to, const float* colour, double radius, double trim) {
  using namespace detail_GeomagDrawing;
  OpenGLView* view = OpenGLView::GetCurrent();
  if (!view || !from || !to || !(radius > 0.0)) return;
  double axis[3];
  Subtract(axis, to, from);
  const double length = VectorLength(axis);
  if (length <= 2.0 * trim + kPointTolerance) return;
  Scale(axis, axis, 1.0 / length);
  double u[3], w[3];
  PerpendicularByAxis(u, axis);
  NormaliseVector(u, u);
  Cross(w, axis, u);
  // The cap's profile: rings on a quarter of an ellipse from the full radius to the
  // disk's, each with its radius, its share of the cap's length and the tilt of its
  // normal towards the end.
  static const auto profile = [] {
    std::array<std::array<double, 3>, kCapRings> rings{};
    const double end = std::acos(kCapDisk);
    for (int i = 0; i < kCapRings; ++i) {
      const double psi = end * i / (kCapRings - 1);
      rings[static_cast<size_t>(i)] = {std::cos(psi), std::sin(psi) / std::sin(end), psi};
    }
    return rings;
  }();
  const double capLength = 0.5 * radius;
  const double span = length - 2.0 * trim;
  const double capShare = std::min(capLength, 0.25 * span);
  // A rod a few pixels across shows no rounding: a prism of fewer sides from end to
  // end, closed by flat ends.
  const int segments = ChooseCylinderSegments(*view, from, to, radius);
  const bool rounded = segments >= kRoundedRodSegments;
  const int sides = rounded ? kRodSides : segments;
  const double inset = rounded ? trim + capShare : trim;
  double a[3], b[3];
  PointAlongRay(from, axis, inset, a);
  PointAlongRay(to, axis, -inset, b);
  float rodColour[3];
  GetGeomagRodDrawColor(colour, rodColour);
  // Outside a batch of its view the rod is a batch of its own (a pick names each rod).
  RodBatch single;
  Kept* kept = CurrentKept();
  const bool alone = !kept || kept->batch.open == 0 || kept->batch.view != view;
  RodBatch& batch = alone ? single : kept->batch;
  if (alone) Begin(batch, view);
  batch.SetColour(view, rodColour);
  if (kept) ++kept->statistics.rods;
  auto around = [&](int i, double* n) {
    const double phi = 2.0 * kPi * i / sides;
    for (int k = 0; k < 3; ++k) n[k] = std::cos(phi) * u[k] + std::sin(phi) * w[k];
  };
  // The tube, its quads turning counter-clockwise seen from outside (the far end of
  // each pair first), so that culling the back faces leaves its outside.
  batch.BeginStrip();
  for (int i = 0; i <= sides; ++i) {
    double n[3];
    around(i, n);
    const double far[3] = {b[0] + radius * n[0], b[1] + radius * n[1], b[2] + radius * n[2]};
    const double near[3] = {a[0] + radius * n[0], a[1] + radius * n[1], a[2] + radius * n[2]};
    batch.Add(n, far);
    batch.Add(n, near);
  }
  batch.EndQuadStrip();
  // The two ends: the rounded cap, then the disk that closes it.
  for (int end = 0; end < 2; ++end) {
    const double* base = end == 0 ? a : b;
    const double sign = end == 0 ? -1.0 : 1.0;
    for (int r = 0; rounded && r + 1 < kCapRings; ++r) {
      batch.BeginStrip();
      for (int i = 0; i <= sides; ++i) {
        double n[3];
        around(i, n);
        // Outwards as the tube: the ring further along the axis first.
        for (int k = 0; k < 2; ++k) {
          const int step = end == 0 ? k : 1 - k;
          const auto& ring = profile[static_cast<size_t>(r + step)];
          const double radial = ring[0] * radius;
          const double along = sign * ring[1] * capShare;
          double normal[3], p[3];
          for (int j = 0; j < 3; ++j) {
            normal[j] = std::cos(ring[2]) * n[j] + sign * std::sin(ring[2]) * axis[j];
            p[j] = base[j] + radial * n[j] + along * axis[j];
          }
          batch.Add(normal, p);
        }
      }
      batch.EndQuadStrip();
    }
    double tip[3];
    PointAlongRay(base, axis, rounded ? sign * capShare : 0.0, tip);
    double outward[3];
    Scale(outward, axis, sign);
    batch.BeginStrip();
    batch.Add(outward, tip);
    for (int i = 0; i <= sides; ++i) {
      double n[3];
      around(end == 0 ? sides - i : i, n);
      const double disk = (rounded ? kCapDisk : 1.0) * radius;
      const double p[3] = {tip[0] + disk * n[0], tip[1] + disk * n[1], tip[2] + disk * n[2]};
      batch.Add(outward, p);
    }
    batch.EndFan();
  }
  if (alone) {
    End(batch);
  } else if (batch.vertices.size() >= kBatchVertices) {
    Flush(batch);
  }
}

GeomagRodBatch::GeomagRodBatch() {
  using namespace detail_GeomagDrawing;
  OpenGLView* view = OpenGLView::GetCurrent();
  Kept* kept = CurrentKept();
  // A pick names each rod; a batch already open keeps the rods of this one.
  if (!view || view->IsPicking() || !kept || kept->batch.open > 0) return;
  Begin(kept->batch, view);
  mOpened = true;
}

GeomagRodBatch::~GeomagRodBatch() {
  if (!mOpened) return;
  if (detail_GeomagDrawing::Kept* kept = detail_GeomagDrawing::CurrentKept()) detail_GeomagDrawing::End(kept->batch);
}

GeomagDrawStatistics GetGeomagDrawStatistics() {
  GeomagDrawStatistics sum;
  ForEachGLContextPart<detail_GeomagDrawing::Kept>(&GLContextState::geomag, [&sum](const auto& kept) {
    sum.rods += kept.statistics.rods;
    sum.draws += kept.statistics.draws;
  });
  return sum;
}

}  // namespace corvia
