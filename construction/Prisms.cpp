#include "construction/Prisms.h"

#include <cmath>
#include <vector>

#include "construction/ModelLookup.h"
#include "core/IntMath.h"
#include "core/Messages.h"
#include "core/Tolerances.h"
#include "model/LibraryEntry.h"
#include "symmetry/ExportPrep.h"
#include "symmetry/SimplePoly.h"

namespace corvia {

namespace detail_Prisms {

// Half height of an antiprism whose side triangles cannot reach from base to base.
constexpr double kFallbackHalfHeight = 0.5;
constexpr int kMinTorusCount = 3;

// Length of one side of the base {n/d} on the unit circle.
double BaseChord(int n, int d) {
  double s, c;
  GetSinCos(d, n, s, c);
  return std::sqrt((c - 1.0) * (c - 1.0) + s * s);
}

// The polygons of the base {n/d}: walking from vertex 0 by `step` places (d or -d)
// until the walk closes, then on from the next vertex not yet used. Each polygon
// is a face whose corners are ring vertices offset by `first`.
void AddBaseFaces(SimplePoly& poly, int& faceIndex, int n, int step, int first) {
  std::vector<bool> used(static_cast<size_t>(n), false);
  const int g = Gcd(n, step < 0 ? -step : step);
  const int sides = n / g;
  int start = 0;
  for (int k = 0; k < g; ++k) {
    while (used[static_cast<size_t>(start)]) ++start;
    SimpleFace& face = poly.FaceAt(faceIndex++);
    face.SetNumVerts(sides);
    int v = start;
    for (int j = 0; j < sides; ++j) {
      used[static_cast<size_t>(v)] = true;
      face.SetVertIndex(j, first + v);
      v = ((v + step) % n + n) % n;
    }
  }
}

void SetFace(SimplePoly& poly, int& faceIndex, std::initializer_list<int> corners) {
  SimpleFace& face = poly.FaceAt(faceIndex++);
  face.SetNumVerts(static_cast<int>(corners.size()));
  int j = 0;
  for (int v : corners) face.SetVertIndex(j++, v);
}

// The base must wind between 1 and n - 1 times: d = 0 or d = n would collapse the
// base to points, and a negative d walks backwards off the vertex ring.
bool BaseWrapsValid(int n, int d) { return d >= 1 && d < n; }

// The text that names the icosahedron in the library.
constexpr const char* kIcosahedronText = "i";

}  // namespace detail_Prisms

int CountPrismFaces(int n, int d, bool antiprism) {
  const int base = n == 2 * d ? 0 : 2 * Gcd(n, d);
  return base + (antiprism ? 2 * n : n);
}

std::unique_ptr<SimplePoly> CreatePrism(int n, int d, Outcome& outcome) {
  if (n < 3) {
    outcome = Outcome::RefusedF("Prism base must have at least 3 sides");
    return nullptr;
  }
  if (n == 2 * d) {
    outcome = Outcome::RefusedF("Prism must not have degenerate base (%d/%d)", n, d);
    return nullptr;
  }
  if (!detail_Prisms::BaseWrapsValid(n, d)) {
    outcome = Outcome::RefusedF("Prism base %d/%d must wind from 1 to %d times.", n, d, n - 1);
    return nullptr;
  }
  auto poly = std::make_unique<SimplePoly>(2 * n, CountPrismFaces(n, d, false));
  // Half the base side, so that the side faces are squares.
  const double h = detail_Prisms::BaseChord(n, d) / 2.0;
  for (int i = 0; i < n; ++i) {
    double s, c;
    GetSinCos(i, n, s, c);
    const double bottom[3] = {c, s, -h};
    const double top[3] = {c, s, h};
    poly->VertAt(i).SetPos(bottom);
    poly->VertAt(n + i).SetPos(top);
  }
  int faceIndex = 0;
  detail_Prisms::AddBaseFaces(*poly, faceIndex, n, d, 0);
  // The top walks the other way round, so that both bases face outwards.
  detail_Prisms::AddBaseFaces(*poly, faceIndex, n, -d, n);
  // Each side face runs along its base side against the base's own sense, so the
  // whole surface is oriented one way.
  for (int i = 0; i < n; ++i) {
    const int j = (i + d) % n;
    detail_Prisms::SetFace(*poly, faceIndex, {j, i, n + i, n + j});
  }
  poly->currentFace = 0;
  return poly;
}

std::unique_ptr<SimplePoly> CreateAntiprism(int n, int d, Outcome& outcome) {
  if (n < 2) {
    outcome = Outcome::RefusedF("Antiprism base must have at least 2 sides");
    return nullptr;
  }
  if (!detail_Prisms::BaseWrapsValid(n, d)) {
    outcome = Outcome::RefusedF("Antiprism base %d/%d must wind from 1 to %d times.", n, d, n - 1);
    return nullptr;
  }
  const bool degenerate = n == 2 * d;
  const double e = detail_Prisms::BaseChord(n, d);
  double apothem = 0.0;
  if (!degenerate) {
    const double x = 1.0 - (e / 2.0) * (e / 2.0);
    if (x < kPointTolerance) {
      outcome = Outcome::FailedF("Failed to create %d/%d antiprism.", n, d);
      return nullptr;
    }
    apothem = std::sqrt(x);
    // A base winding more than half way round has its sides beyond the centre.
    if (2 * d > n) apothem = -apothem;
  }
  // The top vertex opposite a base side lies w further out than the side's middle;
  // the side triangles are equilateral when the height makes their slant edges e.
  const double w = 1.0 - apothem;
  const double heightSq = 0.75 * e * e - w * w;
  const double h = heightSq >= kPointTolerance ? std::sqrt(heightSq) / 2.0
                                                              : detail_Prisms::kFallbackHalfHeight;

  auto poly = std::make_unique<SimplePoly>(2 * n, CountPrismFaces(n, d, true));
  for (int i = 0; i < n; ++i) {
    double s, c;
    GetSinCos(i, n, s, c);
    const double bottom[3] = {-c, s, -h};
    // For odd d the top ring turns half a step, to stand over the sides' middles.
    if (d % 2 == 1) GetSinCos(2 * i + 1, 2 * n, s, c);
    const double top[3] = {-c, s, h};
    poly->VertAt(i).SetPos(bottom);
    poly->VertAt(n + i).SetPos(top);
  }
  int faceIndex = 0;
  if (!degenerate) {
    detail_Prisms::AddBaseFaces(*poly, faceIndex, n, d, 0);
    detail_Prisms::AddBaseFaces(*poly, faceIndex, n, -d, n);
  }
  for (int i = 0; i < n; ++i) {
    // Bottom side (i, i + d) and the top vertex over its middle.
    const int j = (i + d) % n;
    detail_Prisms::SetFace(*poly, faceIndex, {j, i, n + (i + d / 2) % n});
    // Top side (i, i + d) and the bottom vertex under its middle.
    detail_Prisms::SetFace(*poly, faceIndex, {n + i, n + j, (i + (d + 1) / 2) % n});
  }
  poly->currentFace = degenerate ? kNoIndex : 0;
  return poly;
}

std::unique_ptr<SimplePoly> CreateTorus(double r, int p, int q, Outcome& outcome) {
  // A tube of no width, or fewer than three rings or segments, encloses nothing
  // and gives faces with fewer than three distinct corners.
  if (!(r > 0.0) || p < detail_Prisms::kMinTorusCount || q < detail_Prisms::kMinTorusCount) {
    outcome = Outcome::RefusedF("A torus needs a tube radius above 0 and at least %d rings and %d segments.",
              detail_Prisms::kMinTorusCount, detail_Prisms::kMinTorusCount);
    return nullptr;
  }
  auto poly = std::make_unique<SimplePoly>(p * q, p * q);
  int used = 0;
  int faceIndex = 0;
  for (int i = 1; i <= p; ++i) {
    double centres[2][2];
    GetSinCos(i - 1, p, centres[0][1], centres[0][0]);
    GetSinCos(i, p, centres[1][1], centres[1][0]);
    int before[2] = {kNoIndex, kNoIndex};
    for (int j = 1; j <= q + 1; ++j) {
      double ts, tc;
      GetSinCos(j, q, ts, tc);
      int now[2];
      for (int k = 0; k < 2; ++k) {
        const double out = 1.0 + r * tc;
        const double point[3] = {centres[k][0] * out, centres[k][1] * out, r * ts};
        SimpleVert* v = poly->FindOrCreateVert(point, used);
        if (!v) return nullptr;
        now[k] = v->GetIndex();
      }
      if (j >= 2) {
        // Points that closed onto the axis are shared: the face loses a corner.
        std::vector<int> corners;
        for (int v : {before[0], before[1], now[1], now[0]}) {
          bool seen = false;
          for (int c : corners) seen = seen || c == v;
          if (!seen) corners.push_back(v);
        }
        SimpleFace& face = poly->FaceAt(faceIndex++);
        face.SetNumVerts(static_cast<int>(corners.size()));
        for (size_t c = 0; c < corners.size(); ++c) face.SetVertIndex(static_cast<int>(c), corners[c]);
      }
      before[0] = now[0];
      before[1] = now[1];
    }
  }
  // Merged points leave spare vertex records at the end of the array.
  poly->Truncate(used, faceIndex);
  poly->SetName("Torus");
  poly->flags |= kSimplePlainSurface | kSimpleIsOk;
  poly->currentFace = 0;
  return poly;
}

std::unique_ptr<SimplePoly> CreateSphere(int frequency, Outcome* outcome) {
  if (frequency < 1 || (frequency & (frequency - 1)) != 0) {
    ShowInternalError("CreateSphere: frequency %d is not a power of 2", frequency);
    return nullptr;
  }
  LibraryEntry* entry = LookUpModel(detail_Prisms::kIcosahedronText, nullptr, nullptr, nullptr, false);
  if (!entry) {
    ShowInternalError("CreateSphere: the library has no icosahedron");
    return nullptr;
  }
  std::unique_ptr<SimplePoly> model = entry->CreatePoly(false, outcome);
  for (int f = frequency; model && f > 1; f /= 2) {
    // A failed or cancelled step gives no sphere at all, not a coarser one.
    model = Subdivide(*model, kSubdivideGeodesic, 2, outcome);
  }
  return model;
}

}  // namespace corvia
