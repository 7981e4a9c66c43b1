#pragma once
// Drawing primitives of the panes: text lines, clipped 2D lines, circles and arcs,
// arrows, spheres and rods, the wire sphere, and the splitting of a quadrilateral.
// All draw into the current GL section with the colours set through the view; the
// ones that need the view take the current one (OpenGLView::GetCurrent()).

#include <functional>
#include <string>
#include <vector>

namespace corvia {

class OpenGLView;
struct ViewGroup;

// The bitmap text of a frame's views (not the marked-up text, which has fonts of its
// own); switched off while picking.
bool IsTextEnabled(const ViewGroup& group);
void SetTextEnabled(ViewGroup& group, bool on);

// Lines end at CR, LF, CR LF or LF CR; a break at the very end starts no new line.
int CountTextLines(const char* text);
std::vector<std::string> SplitTextLines(const char* text);
// The lines of the text, each broken at its spaces where it is wider than `pixels` as
// `advance` measures a line: a word wider than that stands on a line of its own, and
// the spaces where a line breaks go.
std::vector<std::string> WrapTextLines(const char* text, int pixels,
                                       const std::function<int(const std::string&)>& advance);

// Cohen-Sutherland clipping of a 2D segment to the rectangle min..max: outcode bits
// 1 left, 2 right, 4 below, 8 above. False when nothing is left; otherwise the ends
// are moved onto the rectangle.
constexpr unsigned kClipLeft = 1;
constexpr unsigned kClipRight = 2;
constexpr unsigned kClipBelow = 4;
constexpr unsigned kClipAbove = 8;
unsigned ClipOutcode(const double* p, const double* min, const double* max);
bool ClipLine2D(double* p0, double* p1, const double* min, const double* max);
// A 2D segment clipped to the model rectangle the view shows.
void DrawClippedLine2D(const OpenGLView& view, const double* p0, const double* p1);

// Circles of n points (n >= 3) and arcs of n steps a turn (n >= 1).
void DrawCircle2D(const double* centre, double radius, int n, bool filled);
// In the plane normal to the axis; the first point lies along the reference (made
// perpendicular to the axis), or without one along the coordinate axis in which
// the axis has its least component, crossed with the axis.
void DrawCircleF(const float* centre, const float* axis, float radius, int n, bool filled, const float* reference);
void DrawCircle3D(const double* centre, const double* axis, double radius, int n, bool filled,
                  const double* reference = nullptr);
// From the direction of `from` to that of `to` about the centre, counter-clockwise;
// equal directions give a full circle.
void DrawArc2D(const double* centre, double radius, const double* from, const double* to, int n);
void DrawArc3D(const double* centre, const double* axis, double radius, const double* from, const double* to, int n);
void DrawArrow2D(const double* p0, const double* p1, double size);
void DrawDoubleArrow2D(const double* p0, const double* p1, double size);
void DrawDoubleArrow3D(OpenGLView* view, const double* p0, const double* p1, double size);

// Two triangles (18 doubles) of the quadrilateral abcd: where two opposite sides
// cross, the triangles meet at the crossing.
void SplitQuad(double* out, const double* a, const double* b, const double* c, const double* d, double tolerance);

// 11 circles of latitude and 12 great circles through the poles (y axis).
void DrawWireSphere(const double* centre, double radius);
// Tessellated by its size on screen in the current view.
void DrawSphere(const double* centre, double radius);
void DrawSphereF(OpenGLView& view, const float* centre, float radius);
// Level of a sphere (2, 3, 4, 6 or 8 rows per octant) and segments of a rod by their
// size on screen in the view; the most for a bitmap.
int ChooseSphereLevel(OpenGLView& view, const double* centre, double radius);
int ChooseCylinderSegments(OpenGLView& view, const double* p0, const double* p1, double radius);
// While one lives (the first of nested ones), the spheres drawn in the current context
// are gathered and drawn together when it ends, in the GL state and material of its end: hold one round a
// loop that draws many spheres in one material. A pick draws each sphere alone.
class SphereBatch {
 public:
  SphereBatch();
  ~SphereBatch();
  SphereBatch(const SphereBatch&) = delete;
  SphereBatch& operator=(const SphereBatch&) = delete;

 private:
  bool mOpened = false;
};
// A rod along p0-p1 shortened by trim at both ends; caps bit 0 closes both ends.
void DrawCylinder(OpenGLView* view, const double* p0, const double* p1, double radius, double trim,
                  const double* reference, unsigned caps);
void DrawCylinderF(OpenGLView& view, const float* p0, const float* p1, float radius, float trim, const float* reference,
                   unsigned caps, float textureFrom, float textureTo, float startAngle);

// The unit-octant point tables (levels 8 and 6): for level n, rows i = 0..n of
// i + 1 points each, x y z floats.
const std::vector<float>& GetSphereOctantTable(int level);

// Squared projected diameters, in pixels, below which spheres and rods get fewer facets.
constexpr double kSphereThresholds[4] = {25, 100, 400, 3600};
constexpr double kCylinderThresholds[4] = {1, 4, 100, 900};

}  // namespace corvia
