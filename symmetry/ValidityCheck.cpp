#include "symmetry/ValidityCheck.h"

#include <cmath>
#include <string>
#include <vector>

#include "core/Messages.h"
#include "core/Progress.h"
#include "core/Tolerances.h"
#include "core/VectorMath.h"
#include "symmetry/ConvexHull.h"
#include "symmetry/SimplePoly.h"

namespace corvia::detail_ValidityCheck {

constexpr unsigned kValidityErrorIcon = 0x1;

// Puts the convex hull of the model's vertices in place of its faces. A model whose
// vertices span no solid keeps its faces, and the user learns why nothing happened.
Outcome ReplaceFacesByHull(SimplePoly& poly) {
  std::string refusal;
  if (!ReplaceFacesByConvexHull(poly, &refusal)) {
    // No reason: the user cancelled.
    if (refusal.empty()) return Outcome::Cancelled();
    return Outcome::RefusedF("Unable to create the convex hull: %s.", refusal.c_str());
  }
  PrepareVertexFaceLists(poly);
  return Outcome::Done();
}

}  // namespace corvia::detail_ValidityCheck

namespace corvia {

EdgeFaceCount CountFacesAtEdge(const SimplePoly& poly, int faceIndex, int corner, bool testCoplanar) {
  EdgeFaceCount result;
  const SimpleFace& face = poly.FaceAt(faceIndex);
  const int n = face.Count();
  if (n == 0) return result;
  const int32_t a = face.items[static_cast<size_t>(corner)];
  const int32_t b = face.items[static_cast<size_t>((corner + 1) % n)];
  const SimpleVert& va = poly.VertAt(a);
  for (size_t li = 0; li < va.items.size(); ++li) {
    const int32_t gi = va.items[li];
    // A face that passes a twice is listed twice but looked at once.
    bool seen = false;
    for (size_t lj = 0; lj < li && !seen; ++lj) seen = va.items[lj] == gi;
    if (seen) continue;
    const SimpleFace& g = poly.FaceAt(gi);
    if (g.IsTemp()) continue;
    const int m = g.Count();
    for (int k = 0; k < m; ++k) {
      if (g.items[static_cast<size_t>(k)] != a) continue;
      if (g.items[static_cast<size_t>((k + 1) % m)] != b && g.items[static_cast<size_t>((k + m - 1) % m)] != b) continue;
      ++result.faces;
      if (testCoplanar && (NearlyEqual(g.normal, face.normal, kPointTolerance) ||
                           NearlyOpposite(g.normal, face.normal, kPointTolerance))) {
        ++result.coplanar;
      }
    }
  }
  return result;
}

Outcome SimplePoly::CheckModelValidity(uint32_t options) {
  // With vertices but no faces the model is refused below, where the hull of its
  // vertices can be offered; with no vertices there is nothing to offer.
  if (NumVerts() == 0) {
    return Outcome::Refused("Invalid model: there are no faces or vertices.");
  }
  // Every pass below follows corners into the vertex array.
  int32_t corner = 0;
  const int bad = FindFaceWithUnknownCorner(false, &corner);
  if (bad >= 0) {
    return Outcome::RefusedF("Invalid model: face %d refers to vertex %d, which the model does not have.", bad,
                             corner);
  }
  CreateVertexFaceLists(false);
  const bool testCoplanar = (options & kValiditySkipCoplanar) == 0;
  // Faces whose normal was never worked out would all compare equal.
  (void)ProgressTick();
  if (testCoplanar) CalcFaceNormals(false);

  bool anyEdge = false;
  bool oddEdge = false;
  int maxFaces = 0;
  int maxCoplanar = 0;
  // The edges of a large model take a while: the progress window keeps answering.
  ProgressTicker tick;
  for (int fi = 0; fi < NumFaces(); ++fi) {
    (void)tick();
    const SimpleFace& face = FaceAt(fi);
    if (face.IsTemp()) continue;
    for (int i = 0; i < face.Count(); ++i) {
      const EdgeFaceCount count = CountFacesAtEdge(*this, fi, i, testCoplanar);
      if (count.faces > 0) anyEdge = true;
      if (count.faces % 2 != 0) {
        oddEdge = true;
        // A trace of the edge: the refusal below tells the user.
        DoNothing("%d faces around edge between vertices %d and %d\n", count.faces, face.items[static_cast<size_t>(i)],
                  face.items[static_cast<size_t>((i + 1) % face.Count())]);
      }
      if (count.faces > maxFaces) maxFaces = count.faces;
      if (count.coplanar > maxCoplanar) maxCoplanar = count.coplanar;
    }
  }

  const char* message = nullptr;
  if (!anyEdge) {
    message = "Invalid model: there are no faces.";
  } else if (oddEdge) {
    message = "Invalid model: an odd number of faces meet at some edges.\nFaces must meet in pairs.";
  }
  if (message) {
    if (!(options & kValidityOfferHull)) return Outcome::Refused(message);
    const int answer = AskQuestion(detail_ValidityCheck::kValidityErrorIcon, "Error",
                                   {"+Create convex hull instead", "-Cancel"}, "%s", message);
    if (answer != 0) return Outcome::Cancelled();
    return detail_ValidityCheck::ReplaceFacesByHull(*this);
  }

  if (maxCoplanar > 1 && !(options & (kValiditySkipCoplanar | kValiditySkipCoplanarWarning))) {
    if (!AskOkCancel("%s", "WARNING: coplanar faces meet at some edges.\nThis is usually undesirable.\n\n"
                           "Would you like to create the model anyway?")) {
      return Outcome::Cancelled();
    }
  }
  if (maxFaces > 2 && testCoplanar) {
    if (!AskOkCancel("%s", "WARNING: more than two faces meet at some edges.\nTraversal of faces at edges is "
                           "therefore ambiguous.\nThis is usually undesirable.\n\nWould you like to create the "
                           "model anyway?")) {
      return Outcome::Cancelled();
    }
  }
  return Outcome::Done();
}

void Transpose3x3(double* out, const double* m) {
  double t[9];
  for (int r = 0; r < 3; ++r) {
    for (int c = 0; c < 3; ++c) t[c * 3 + r] = m[r * 3 + c];
  }
  for (int i = 0; i < 9; ++i) out[i] = t[i];
}

void RotationToQuaternion(double* q, const double* m) {
  double& w = q[0];
  double& x = q[1];
  double& y = q[2];
  double& z = q[3];
  const double trace = m[0] + m[4] + m[8] + 1.0;
  if (trace > kPointTolerance) {
    const double s = 0.5 / std::sqrt(trace);
    w = 0.25 / s;
    x = (m[5] - m[7]) * s;
    y = (m[6] - m[2]) * s;
    z = (m[1] - m[3]) * s;
  } else if (m[0] > m[4] && m[0] > m[8]) {
    // About half a turn: the largest diagonal entry gives the best conditioned axis.
    const double s = 2.0 * std::sqrt(1.0 + m[0] - m[4] - m[8]);
    x = s / 4;
    y = (m[1] + m[3]) / s;
    z = (m[2] + m[6]) / s;
    w = (m[5] - m[7]) / s;
  } else if (m[4] > m[8]) {
    const double s = 2.0 * std::sqrt(1.0 + m[4] - m[0] - m[8]);
    x = (m[1] + m[3]) / s;
    y = s / 4;
    z = (m[5] + m[7]) / s;
    w = (m[6] - m[2]) / s;
  } else {
    const double s = 2.0 * std::sqrt(1.0 + m[8] - m[0] - m[4]);
    x = (m[2] + m[6]) / s;
    y = (m[5] + m[7]) / s;
    z = s / 4;
    w = (m[1] - m[3]) / s;
  }
}

}  // namespace corvia
