#include "nets/Unfold.h"

#include <algorithm>
#include <cfloat>
#include <cmath>
#include <deque>
#include <functional>
#include <vector>

#include "core/Geometry.h"
#include "core/Messages.h"
#include "core/Progress.h"
#include "core/Tolerances.h"
#include "core/VectorMath.h"
#include "nets/Edge3D.h"
#include "nets/Face3D.h"
#include "nets/Model3D.h"
#include "nets/NetFlags.h"
#include "nets/NetOutline.h"
#include "nets/NetTab.h"

namespace corvia {

namespace detail_Unfold {

constexpr double kPi = 3.141592653589793;
constexpr int kOverlap = 12;

bool Unit2D(double* out, double x, double y) {
  const double length = std::hypot(x, y);
  if (length < kPointTolerance) {
    out[0] = out[1] = 0.0;
    return false;
  }
  out[0] = x / length;
  out[1] = y / length;
  return true;
}

// The clockwise angle from w to u in [0, 2 pi); 0 when either is of no length.
double ClockwiseAngle(const double* w, bool wValid, const double* u, bool uValid) {
  if (!wValid || !uValid) return 0.0;
  const double dot = w[0] * u[0] + w[1] * u[1];
  double theta;
  if (dot >= 0.0) {
    theta = 2.0 * std::asin(std::min(1.0, std::hypot(w[0] - u[0], w[1] - u[1]) / 2.0));
  } else {
    theta = kPi - 2.0 * std::asin(std::min(1.0, std::hypot(w[0] + u[0], w[1] + u[1]) / 2.0));
  }
  if (w[0] * u[1] - w[1] * u[0] > 0.0) theta = 2.0 * kPi - theta;
  return theta;
}

bool BoxesApart(const double* a0, const double* a1, const double* b0, const double* b1) {
  const double t = kNetContactTolerance;
  return std::max(a0[0], a1[0]) < std::min(b0[0], b1[0]) - t || std::max(b0[0], b1[0]) < std::min(a0[0], a1[0]) - t ||
         std::max(a0[1], a1[1]) < std::min(b0[1], b1[1]) - t || std::max(b0[1], b1[1]) < std::min(a0[1], a1[1]) - t;
}

// The rotation by angle about the line through point along the unit direction, as a
// transform.
void LineRotation(Transform3D& out, const double* point, const double* axis, double angle) {
  const double c = std::cos(angle), s = std::sin(angle), t = 1.0 - c;
  const double x = axis[0], y = axis[1], z = axis[2];
  double* m = out.Matrix();
  // Column order: entry 3c + r.
  m[0] = t * x * x + c;
  m[1] = t * x * y + s * z;
  m[2] = t * x * z - s * y;
  m[3] = t * x * y - s * z;
  m[4] = t * y * y + c;
  m[5] = t * y * z + s * x;
  m[6] = t * x * z + s * y;
  m[7] = t * y * z - s * x;
  m[8] = t * z * z + c;
  double turned[3];
  MatrixTimesVector(m, turned, point);
  Subtract(out.Translation(), point, turned);
}

void Inverse(Transform3D& out, const Transform3D& t) {
  // Rigid motions: the inverse rotation is the transpose.
  const double* m = t.Matrix();
  double* r = out.Matrix();
  for (int row = 0; row < 3; ++row) {
    for (int col = 0; col < 3; ++col) r[3 * col + row] = m[3 * row + col];
  }
  double back[3];
  MatrixTimesVector(r, back, t.Translation());
  NegateInto(out.Translation(), back);
}

// Where the child stands against the parent in the parent's net frame: the parent's
// placement undone after the child's.
void RelativePlacement(const Face3D* parent, const Face3D* child, Transform3D& out) {
  Transform3D parentPlace, childPlace, inverse;
  parent->CalcPlacementTransform(parentPlace);
  child->CalcPlacementTransform(childPlace);
  Inverse(inverse, parentPlace);
  ComposeTransforms(out, inverse, childPlace);
}

// Writes the folded corners and normal of a facelet from its net-to-space motion.
void ApplyFold(Face3D* facelet, const Transform3D& fold) {
  facelet->mPlacement = fold;
  const int count = facelet->GetNumEdges();
  for (int i = 0; i < count; ++i) {
    Edge3D& edge = facelet->mEdges[i];
    const double flat[3] = {edge.unfolded[0], edge.unfolded[1], 0.0};
    TransformPoint(fold, edge.pos3D, flat);
  }
  const double up[3] = {0.0, 0.0, 1.0};
  MatrixTimesVector(fold.Matrix(), facelet->mNormal, up);
}

// The bounds of the folded places of each run of Net::kFoldedRun facelets along the
// chain from `first`, tabs included; the facelets' visited marks are cleared on the way.
void RecordFoldedBoxes(Face3D* first, std::vector<Net::FoldedBox>& boxes) {
  boxes.clear();
  size_t placed = 0;
  // A net of a million facelets: the window answers along it (a cancel is kept for the
  // caller's next report).
  ProgressTicker tick(ProgressTicker::kPasses * 16);
  for (Face3D* f = first; f; f = f->mNextInNet, ++placed) {
    (void)tick();
    f->mFlags &= ~kFaceletVisited;
    if (placed % Net::kFoldedRun == 0) {
      boxes.push_back({{DBL_MAX, DBL_MAX, DBL_MAX}, {-DBL_MAX, -DBL_MAX, -DBL_MAX}});
    }
    Net::FoldedBox& box = boxes.back();
    auto add = [&box](const double* p) {
      for (int k = 0; k < 3; ++k) {
        box.least[k] = std::min(box.least[k], p[k]);
        box.largest[k] = std::max(box.largest[k], p[k]);
      }
    };
    const int count = f->GetNumEdges();
    for (int i = 0; i < count; ++i) {
      const Edge3D& e = f->mEdges[i];
      add(e.pos3D);
      if (!e.tab) continue;
      for (const TabPoint& t : e.tab->outline) add(t.pos3D);
    }
  }
}

}  // namespace detail_Unfold

void GetPlacement2D(const Edge3D* placed, const Edge3D* neighbour, double* m) {
  using namespace detail_Unfold;
  // The shared edge runs the other way in the new facelet: the direction from the
  // end of neighbour to its start turns onto placed's direction, and the end of
  // neighbour moves onto placed's start.
  const Edge3D* n = neighbour->GetNextInLoop();
  const Edge3D* p = placed->GetNextInLoop();
  double u1[2], u0[2];
  Unit2D(u1, neighbour->local[0] - n->local[0], neighbour->local[1] - n->local[1]);
  Unit2D(u0, p->unfolded[0] - placed->unfolded[0], p->unfolded[1] - placed->unfolded[1]);
  const double c = u0[0] * u1[0] + u0[1] * u1[1];
  const double s = u1[0] * u0[1] - u1[1] * u0[0];
  m[0] = c;
  m[1] = s;
  m[2] = -s;
  m[3] = c;
  m[4] = placed->unfolded[0] - (c * n->local[0] - s * n->local[1]);
  m[5] = placed->unfolded[1] - (s * n->local[0] + c * n->local[1]);
}

bool CalcUnfoldedFacePos2D(Edge3D* placed, Edge3D* neighbour, bool check, PlacementJoins* joins, NetOutline* outline) {
  Face3D* facelet = neighbour->face;
  double m[6];
  GetPlacement2D(placed, neighbour, m);
  const int count = facelet->GetNumEdges();
  for (int i = 0; i < count; ++i) Transform2DPoint(m, facelet->mEdges[i].local, facelet->mEdges[i].unfolded);
  for (int i = 0; i < 6; ++i) facelet->mNetTransform[i] = m[i];
  if (facelet->mFlags & kFaceletMirrored) {
    facelet->mNetTransform[0] = -m[0];
    facelet->mNetTransform[1] = -m[1];
  }
  if (!check) return true;

  const uint32_t saved = placed->flags;
  placed->flags &= ~kEdgeJoined;
  // Every edge of the new facelet, the shared one too, against the outline, the shared
  // edge too: the edges of a star facelet cross its own sides.
  auto meets = [&](Edge3D* a, const std::vector<Edge3D*>& outlineEdges) {
    for (Edge3D* b : outlineEdges) {
      if (a == neighbour && b == placed) continue;
      if (EdgeContactTest(a, b, joins) != 0) return true;
    }
    return false;
  };
  bool accepted = true;
  if (outline && outline->IsExact()) {
    // The outline near each new edge: the same edgelets the walk would test there.
    std::vector<Edge3D*> near;
    const bool placedFiled = outline->Contains(placed);
    for (int i = 0; i < count && accepted; ++i) {
      Edge3D* a = &facelet->mEdges[i];
      const Edge3D* next = a->GetNextInLoop();
      const double least[2] = {std::min(a->unfolded[0], next->unfolded[0]),
                               std::min(a->unfolded[1], next->unfolded[1])};
      const double largest[2] = {std::max(a->unfolded[0], next->unfolded[0]),
                                 std::max(a->unfolded[1], next->unfolded[1])};
      outline->Query(least, largest, kNetContactTolerance, near);
      if (!placedFiled) near.push_back(placed);
      accepted = !meets(a, near);
    }
    placed->flags = saved;
    return accepted;
  }
  // The whole outline, walked from placed.
  std::vector<Edge3D*> walked{placed};
  Edge3D* remembered = nullptr;
  int limit = 20;
  int steps = 0;
  for (Edge3D* b = placed->GetNextOutlineEdge(false); b != placed; b = b->GetNextOutlineEdge(false)) {
    if (++steps > limit) {
      if (b == remembered) {
        // A trace, not a failure: the placement is declined and another one tried.
        DoNothing("CalcUnfoldedFacePos2D: stuck in loop\n");
        accepted = false;
        break;
      }
      remembered = b;
      limit *= 2;
      steps = 0;
    }
    walked.push_back(b);
  }
  for (int i = 0; i < count && accepted; ++i) accepted = !meets(&facelet->mEdges[i], walked);
  placed->flags = saved;
  return accepted;
}

int EdgeContactTest(Edge3D* a, Edge3D* b, PlacementJoins* joins) {
  using namespace detail_Unfold;
  // A facelet is never tested against itself.
  if (a->face == b->face) return 0;
  const Edge3D* aNext = a->GetNextInLoop();
  const Edge3D* bNext = b->GetNextInLoop();
  if (BoxesApart(a->unfolded, aNext->unfolded, b->unfolded, bNext->unfolded)) return 0;
  double x1[2], x2[2];
  const int code =
      IntersectSegments2D(a->unfolded, aNext->unfolded, b->unfolded, bNext->unfolded, kNetContactTolerance, x1, x2);
  switch (code) {
    case kSegmentsApart:
    case kSegmentsAMeetsC:
    case kSegmentsBMeetsC:
    case kSegmentsBMeetsD:
      return 0;
    case kSegmentsSameExtentOpposite: {
      if (!(a->flags & kEdgeCut) && b == Edge3D::GetNeighInNet(a, true)) {
        if (joins) {
          joins->push_back(a);
        } else {
          a->SetFlagAllCopies(kEdgePlacementJoin, true, true, true);
        }
        return 0;
      }
      return kOverlap;
    }
    case kSegmentsAMeetsD: {
      // The two meet where a starts and b ends: the new facelet's corner there must
      // not hold the outline's edge b.
      double w[2], u[2], w2[2];
      const Edge3D* before = a->GetPrevInLoop();
      const bool wValid = Unit2D(w, a->unfolded[0] - before->unfolded[0], a->unfolded[1] - before->unfolded[1]);
      const bool uValid = Unit2D(u, bNext->unfolded[0] - b->unfolded[0], bNext->unfolded[1] - b->unfolded[1]);
      const bool w2Valid = Unit2D(w2, a->unfolded[0] - aNext->unfolded[0], a->unfolded[1] - aNext->unfolded[1]);
      const double a1 = ClockwiseAngle(w, wValid, u, uValid);
      const double a2 = ClockwiseAngle(w2, w2Valid, u, uValid);
      // b lying along the new facelet's side before the corner: that side's own test
      // decides.
      if (a1 <= kAngleTolerance || a1 >= 2.0 * kPi - kAngleTolerance) return 0;
      return a2 >= a1 ? kOverlap : 0;
    }
    default:
      return kOverlap;
  }
}

double GetHingeAngle(const Edge3D* edge, const Edge3D* across) {
  using namespace detail_Unfold;
  Transform3D relative;
  RelativePlacement(edge->face, across->face, relative);
  const Edge3D* next = edge->GetNextInLoop();
  double axis[3] = {next->unfolded[0] - edge->unfolded[0], next->unfolded[1] - edge->unfolded[1], 0.0};
  const double length = std::sqrt(Dot(axis, axis));
  if (length < kPointTolerance) return 0.0;
  Divide(axis, axis, length);
  const double up[3] = {0.0, 0.0, 1.0};
  double turned[3], side[3];
  MatrixTimesVector(relative.Matrix(), turned, up);
  Cross(side, axis, up);
  return std::atan2(Dot(turned, side), Dot(turned, up));
}

bool Net::Fold(double hinge, double place, const std::function<bool()>& goOn) {
  using namespace detail_Unfold;
  Face3D* root = first;
  if (!root || !root->mType || root->mType->HasFlag(kTypeDrawn)) return true;
  {
    // The marks of a million facelets are cleared answering the window; a cancel heard
    // here is kept for the fold's next report.
    ProgressTicker tick(ProgressTicker::kPasses * 16);
    for (Face3D* f = first; f; f = f->mNextInNet) {
      (void)tick();
      f->mFlags &= ~kFaceletVisited;
    }
  }

  Transform3D placement;
  root->CalcPlacementTransform(placement);
  // Flat, the net faces out along its centre and stands off by it; the root turns
  // back and moves in as the fraction grows.
  Transform3D fold = placement;
  const double distance = std::sqrt(Dot(centre, centre));
  if (distance > kPointTolerance) {
    double normal[3];
    root->GetNormal(normal);
    double cosine = Dot(normal, centre) / distance;
    if (cosine < 0.0) {
      Negate(normal);
      cosine = -cosine;
    }
    const double angle = cosine >= 1.0 ? 0.0 : std::acos(cosine);
    if (angle >= kAngleTolerance) {
      double axis[3];
      Cross(axis, normal, centre);
      const double length = std::sqrt(Dot(axis, axis));
      if (length > 0.0) {
        Divide(axis, axis, length);
        double pivot[3];
        root->GetCentroid(pivot);
        Transform3D turn;
        LineRotation(turn, pivot, axis, (1.0 - hinge) * angle);
        ComposeTransforms(fold, turn, fold);
      }
    }
    double shift[3];
    Scale(shift, centre, 1.0 - place);
    AddTo(fold.Translation(), shift);
  }
  ApplyFold(root, fold);
  root->mFlags |= kFaceletVisited;

  std::deque<Face3D*> queue{root};
  bool going = true;
  while (!queue.empty() && going) {
    Face3D* facelet = queue.front();
    queue.pop_front();
    const int count = facelet->GetNumEdges();
    for (int i = 0; i < count; ++i) {
      Edge3D* edge = &facelet->mEdges[i];
      if (edge->tab) {
        edge->tab->Fold(edge, hinge);
        continue;
      }
      if (!(edge->flags & kEdgeJoined)) continue;
      Edge3D* across = Edge3D::GetNeighInNet(edge, false);
      if (!across || across->face->mNet != this || (across->face->mFlags & kFaceletVisited)) continue;
      Face3D* child = across->face;
      child->mFlags |= kFaceletVisited;
      const Edge3D* next = edge->GetNextInLoop();
      double axis[3] = {next->unfolded[0] - edge->unfolded[0], next->unfolded[1] - edge->unfolded[1], 0.0};
      const double length = std::sqrt(Dot(axis, axis));
      Transform3D childFold = facelet->mPlacement;
      if (hinge == 1.0) {
        // Closed: the child sits on its own place relative to its parent exactly.
        Transform3D relative;
        RelativePlacement(facelet, child, relative);
        ComposeTransforms(childFold, facelet->mPlacement, relative);
      } else if (length >= kPointTolerance) {
        Divide(axis, axis, length);
        const double point[3] = {edge->unfolded[0], edge->unfolded[1], 0.0};
        Transform3D turn;
        LineRotation(turn, point, axis, hinge * GetHingeAngle(edge, across));
        ComposeTransforms(childFold, facelet->mPlacement, turn);
      }
      ApplyFold(child, childFold);
      queue.push_back(child);
    }
    if (goOn) going = goOn();
  }
  // The runs' bounds, of the places as they are now, folded whole or in part.
  RecordFoldedBoxes(first, mFoldedBoxes);
  return going;
}

bool NetType::Fold(double hinge, double place, const std::function<bool()>& goOn) {
  for (int n = 0; n < numNets; ++n) {
    if (!nets[n].Fold(hinge, place, goOn)) return false;
  }
  return true;
}

}  // namespace corvia
