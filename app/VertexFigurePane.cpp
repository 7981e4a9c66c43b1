#include "app/VertexFigurePane.h"

#include <cmath>
#include <cstdio>

#include "core/VectorMath.h"
#include "model/PolyElement.h"

namespace corvia {

namespace detail_VertexFigurePane {

// Text is placed this part of the way from a corner towards the middle of its two
// neighbouring corners.
constexpr double kLabelFraction = 0.45;

int Wrap(int i, int n) { return ((i % n) + n) % n; }

void Copy2D(double* out, const double* v) {
  out[0] = v[0];
  out[1] = v[1];
}

// A neighbour of the element as the figure sees it: missing, at a finite point, or at
// infinity in a direction.
struct Neighbour {
  const PolyElement* element = nullptr;
  bool finite = false;
  double xy[2] = {0.0, 0.0};
};

}  // namespace detail_VertexFigurePane

VertexFigure2D BuildVertexFigure2D(const PolyElement* element, double reach) {
  using namespace detail_VertexFigurePane;
  VertexFigure2D figure;
  if (!element || !element->mNeighbours || element->mNumSides < 1) return figure;
  const int n = element->mNumSides;
  Transform3D worldToFace;
  element->GetWorldToFace(worldToFace, false);

  // Neighbour k lies across edge k, between corners k and k + 1.
  std::vector<Neighbour> neighbours(static_cast<size_t>(n));
  for (int k = 0; k < n; ++k) {
    Neighbour& nb = neighbours[static_cast<size_t>(k)];
    nb.element = element->GetAdjacent(k);
    if (!nb.element) continue;
    double p[3] = {0.0, 0.0, 0.0};
    nb.finite = element->GetAdjacent2D(k, worldToFace, p);
    nb.xy[0] = p[0];
    nb.xy[1] = p[1];
  }

  // Side k joins neighbours k - 1 and k, which both lie on corner k of the element.
  std::vector<int> sideOf(static_cast<size_t>(n), -1);
  for (int k = 0; k < n; ++k) {
    const Neighbour& from = neighbours[static_cast<size_t>(Wrap(k - 1, n))];
    const Neighbour& to = neighbours[static_cast<size_t>(k)];
    if (!from.element || !to.element || (!from.finite && !to.finite)) continue;
    VertexFigureSide side{};
    side.face = element->GetCorner(k);
    if (from.finite && to.finite) {
      Copy2D(side.a, from.xy);
      Copy2D(side.b, to.xy);
    } else if (from.finite) {
      // Out towards the neighbour at infinity.
      Copy2D(side.a, from.xy);
      side.b[0] = from.xy[0] + reach * to.xy[0];
      side.b[1] = from.xy[1] + reach * to.xy[1];
      side.arrowAtB = true;
    } else {
      Copy2D(side.b, to.xy);
      side.a[0] = to.xy[0] + reach * from.xy[0];
      side.a[1] = to.xy[1] + reach * from.xy[1];
      side.arrowAtA = true;
    }
    sideOf[static_cast<size_t>(k)] = static_cast<int>(figure.sides.size());
    figure.sides.push_back(side);
  }
  // A side with no side beside it at one end, where the figure stops, ends there in an
  // arrow.
  for (int k = 0; k < n; ++k) {
    const int s = sideOf[static_cast<size_t>(k)];
    if (s < 0) continue;
    VertexFigureSide& side = figure.sides[static_cast<size_t>(s)];
    if (sideOf[static_cast<size_t>(Wrap(k - 1, n))] < 0) side.arrowAtA = true;
    if (sideOf[static_cast<size_t>(Wrap(k + 1, n))] < 0) side.arrowAtB = true;
  }

  // The corners: each finite neighbour with its number and name.
  for (int k = 0; k < n; ++k) {
    const Neighbour& nb = neighbours[static_cast<size_t>(k)];
    if (!nb.element || !nb.finite) continue;
    VertexFigureCorner corner{};
    Copy2D(corner.xy, nb.xy);
    const Neighbour& before = neighbours[static_cast<size_t>(Wrap(k - 1, n))];
    const Neighbour& after = neighbours[static_cast<size_t>(Wrap(k + 1, n))];
    double towards[2] = {nb.xy[0], nb.xy[1]};
    if (before.element && before.finite && after.element && after.finite) {
      towards[0] = (before.xy[0] + after.xy[0]) / 2.0;
      towards[1] = (before.xy[1] + after.xy[1]) / 2.0;
    }
    for (int i = 0; i < 2; ++i) corner.at[i] = nb.xy[i] + kLabelFraction * (towards[i] - nb.xy[i]);
    char number[32];
    std::snprintf(number, sizeof number, "%d", k + 1);
    corner.text = number;
    if (nb.element->HasLabel()) corner.text += std::string(" V(") + nb.element->GetLabel() + ")";
    figure.corners.push_back(corner);
  }

  // The dual face, and the side and corner that stand for each face.
  std::vector<int> count(static_cast<size_t>(n), 0);
  std::vector<std::vector<double>> points(static_cast<size_t>(n));
  for (int i = 0; i < n; ++i) {
    double out[10];
    count[static_cast<size_t>(i)] = element->GetPolygon2D(i, worldToFace, out);
    points[static_cast<size_t>(i)].assign(out, out + 2 * count[static_cast<size_t>(i)]);
  }
  for (int i = 0; i < n; ++i) {
    const std::vector<double>& p = points[static_cast<size_t>(i)];
    const std::vector<double>& q = points[static_cast<size_t>(Wrap(i + 1, n))];
    if (count[static_cast<size_t>(i)] == 1 && count[static_cast<size_t>(Wrap(i + 1, n))] == 1) {
      figure.dualFace.push_back({p[0], p[1], q[0], q[1]});
    } else if (count[static_cast<size_t>(i)] == 5) {
      // A corner at infinity: the two lines through its finite neighbours along its
      // direction, each as the chord of the sphere (the first and last points, the
      // second and third).
      figure.dualFace.push_back({p[0], p[1], p[6], p[7]});
      figure.dualFace.push_back({p[2], p[3], p[4], p[5]});
    }
  }
  for (int k = 0; k < n; ++k) {
    const int s = sideOf[static_cast<size_t>(k)];
    const bool finite = neighbours[static_cast<size_t>(Wrap(k - 1, n))].finite && neighbours[static_cast<size_t>(k)].finite;
    if (s < 0 || !finite || count[static_cast<size_t>(k)] != 1) continue;
    const VertexFigureSide& side = figure.sides[static_cast<size_t>(s)];
    const std::vector<double>& corner = points[static_cast<size_t>(k)];
    figure.reciprocal.push_back({(side.a[0] + side.b[0]) / 2.0, (side.a[1] + side.b[1]) / 2.0, corner[0], corner[1]});
  }
  return figure;
}

}  // namespace corvia
