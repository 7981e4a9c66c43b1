#include "symmetry/CoincidentFaces.h"

#include <cmath>
#include <vector>

#include "core/MergeSort.h"
#include "core/Messages.h"
#include "core/Tolerances.h"
#include "core/VectorMath.h"
#include "symmetry/SimplePoly.h"

namespace corvia::detail_CoincidentFaces {

// Start value of the search for the nearest corner.
constexpr double kNoMinimum = 9.99999e99;

const char* const kQuestion = "There are some coincident faces.\n%s";
const char* const kKeepOneText = "Shall I remove all but one of these?";
const char* const kInPairsText = "Shall I remove these in pairs?";

// Faces that can be compared: live, with corners and a plane.
bool IsComparable(const SimpleFace& f) { return f.Count() >= 3 && f.HasNormal(); }

// How corner i of one face pairs with a corner of the other: s - i (backwards) or
// s + i (forwards), modulo the corner count.
struct Pairing {
  bool forwards = false;
  int offset = 0;

  int Partner(int i, int n) const {
    int k = forwards ? offset + i : offset - i;
    k %= n;
    return k < 0 ? k + n : k;
  }
};

// The cheap tests: corner count, plane and centroid.
bool SameCountPlaneAndCentroid(const SimpleFace& a, const SimpleFace& b) {
  if (a.Count() != b.Count()) return false;
  if (!NearlyEqual(a.normal, b.normal, kPointTolerance) && !NearlyOpposite(a.normal, b.normal, kPointTolerance)) return false;
  if (std::fabs(Dot(a.normal, a.VertAt(0).pos) - Dot(a.normal, b.VertAt(0).pos)) > kPointTolerance) return false;
  double ca[3], cb[3];
  a.GetCentroid(ca);
  b.GetCentroid(cb);
  return NearlyEqual(ca, cb, kPointTolerance);
}

// The corner-by-corner test, b read backwards first, then forwards.
bool CornersMatch(const SimpleFace& a, const SimpleFace& b, Pairing& pairing) {
  const int n = a.Count();
  for (int direction = 0; direction < 2; ++direction) {
    for (int s = 0; s < n; ++s) {
      Pairing p{direction == 1, s};
      bool all = true;
      for (int i = 0; i < n && all; ++i) all = SamePos(a.VertAt(i).pos, b.VertAt(p.Partner(i, n)).pos);
      if (all) {
        pairing = p;
        return true;
      }
    }
  }
  return false;
}

bool Coincide(const SimpleFace& a, const SimpleFace& b, Pairing& pairing) {
  return SameCountPlaneAndCentroid(a, b) && CornersMatch(a, b, pairing);
}

// Asks at the first match. kBoxYes to go on.
int AskToRemove(bool keepOne) {
  return ShowMessageBox(kBoxStyleYesNoCancel | kBoxStyleIconQuestion, kQuestion, keepOne ? kKeepOneText : kInPairsText);
}

// Removes repeated consecutive corners; a face left with fewer than 3 is removed.
void RemoveRepeatedCorners(SimpleFace& f) {
  bool removed = false;
  for (int i = 0; f.Count() > 1 && i < f.Count();) {
    const int next = (i + 1) % f.Count();
    if (f.items[static_cast<size_t>(i)] == f.items[static_cast<size_t>(next)]) {
      f.RemoveVertsAt(next, 1);
      removed = true;
      if (next < i) --i;
    } else {
      ++i;
    }
  }
  if (removed && f.Count() < 3) f.flags |= kSimpleTemp;
}

// Joins the surface round a matched pair: each corner of a and its partner corner of
// b become one vertex; the other one is flagged, and the faces that still count are
// moved over to the kept one.
void MergeSurroundingVerts(SimplePoly& poly, int faceA, int faceB, const Pairing& pairing, uint32_t removalFlag) {
  const uint32_t gone = removalFlag | kSimpleTemp;
  const int n = poly.FaceAt(faceA).Count();
  for (int i = 0; i < n; ++i) {
    const int32_t va = poly.FaceAt(faceA).items[static_cast<size_t>(i)];
    const int32_t vb = poly.FaceAt(faceB).items[static_cast<size_t>(pairing.Partner(i, n))];
    if (va == vb) continue;
    const bool aGone = (poly.VertAt(va).flags & gone) != 0;
    const bool bGone = (poly.VertAt(vb).flags & gone) != 0;
    const bool keepB = aGone || (!bGone && vb < va);
    const int32_t kept = keepB ? vb : va;
    const int32_t other = keepB ? va : vb;
    poly.VertAt(other).flags |= removalFlag;

    std::vector<int32_t> keptFaces, otherStays;
    for (int32_t fi : poly.VertAt(kept).items) {
      if (!(poly.FaceAt(fi).flags & gone)) keptFaces.push_back(fi);
    }
    for (int32_t fi : poly.VertAt(other).items) {
      SimpleFace& f = poly.FaceAt(fi);
      if (f.flags & gone) {
        otherStays.push_back(fi);
        continue;
      }
      bool listed = false;
      for (int32_t k : keptFaces) listed = listed || k == fi;
      if (!listed) keptFaces.push_back(fi);
      for (int32_t& corner : f.items) {
        if (corner == other) corner = kept;
      }
      // A face that held both vertices would now repeat a corner.
      RemoveRepeatedCorners(f);
    }
    poly.VertAt(kept).items = std::move(keptFaces);
    poly.VertAt(other).items = std::move(otherStays);
  }
}

// Vertices in no face are flagged as removed.
void FlagUnusedVerts(SimplePoly& poly, uint32_t removalFlag) {
  poly.CreateVertexFaceLists(true);
  for (int i = 0; i < poly.NumVerts(); ++i) {
    SimpleVert& v = poly.VertAt(i);
    if (v.Count() == 0) v.flags |= removalFlag;
  }
}

}  // namespace corvia::detail_CoincidentFaces

namespace corvia {

int CompareCoincidentFaces(const SimplePoly& poly, int faceA, int faceB) {
  const SimpleFace& a = poly.FaceAt(faceA);
  const SimpleFace& b = poly.FaceAt(faceB);
  if (a.Count() != b.Count()) return a.Count() < b.Count() ? -1 : 1;
  double na[3], nb[3];
  CanonicalDirection(na, a.normal, kPointTolerance);
  CanonicalDirection(nb, b.normal, kPointTolerance);
  const int byNormal = CompareWithin(na, nb, kPointTolerance);
  if (byNormal != 0) return byNormal;
  double ca[3], cb[3];
  a.GetCentroid(ca);
  b.GetCentroid(cb);
  const int byCentroid = CompareWithin(ca, cb, kPointTolerance);
  if (byCentroid != 0) return byCentroid;
  return faceA < faceB ? -1 : (faceA > faceB ? 1 : 0);
}

bool RemoveCoincidentFaces(SimplePoly& poly, int mode, bool ask, uint32_t removalFlag) {
  using namespace detail_CoincidentFaces;
  const bool keepOne = mode == kCoincidentKeepOne;
  const uint32_t gone = removalFlag | kSimpleTemp;
  poly.CalcFaceNormals(true);

  std::vector<int> order;
  for (int i = 0; i < poly.NumFaces(); ++i) {
    const SimpleFace& f = poly.FaceAt(i);
    if (!(f.flags & gone) && IsComparable(f)) order.push_back(i);
  }
  MergeSort(order, [&poly](int a, int b) { return CompareCoincidentFaces(poly, a, b); });

  bool matched = false;
  for (size_t ia = 0; ia < order.size(); ++ia) {
    const int fa = order[ia];
    if (poly.FaceAt(fa).flags & gone) continue;
    for (size_t ib = ia + 1; ib < order.size(); ++ib) {
      const int fb = order[ib];
      if (poly.FaceAt(fb).flags & gone) continue;
      // Coincident faces are neighbours in the order: the first face that differs
      // ends the run.
      if (!SameCountPlaneAndCentroid(poly.FaceAt(fa), poly.FaceAt(fb))) break;
      Pairing pairing;
      if (!CornersMatch(poly.FaceAt(fa), poly.FaceAt(fb), pairing)) continue;
      if (!matched) {
        if (ask) {
          const int reply = AskToRemove(keepOne);
          if (reply == kBoxCancel) return false;
          if (reply != kBoxYes) return true;
        }
        poly.CreateVertexFaceLists(true);
        poly.flags &= ~kSimpleSortedFaceLists;
        matched = true;
      }
      const bool keepA = keepOne || (mode == kCoincidentByFacing && pairing.forwards);
      if (!keepA) poly.FaceAt(fa).flags |= removalFlag;
      poly.FaceAt(fb).flags |= removalFlag;
      MergeSurroundingVerts(poly, fa, fb, pairing, removalFlag);
      if (!keepA) break;
    }
  }
  if (matched) FlagUnusedVerts(poly, removalFlag);
  return true;
}

bool RemoveCoincidentFacePairs(SimplePoly& poly, int firstAddedFace, int firstAddedVert, int faceLimit, bool ask,
                               uint32_t removalFlag) {
  using namespace detail_CoincidentFaces;
  const int f0 = firstAddedFace;
  if (f0 < 1 || f0 >= poly.NumFaces()) return true;
  const uint32_t gone = removalFlag | kSimpleTemp;
  poly.CalcFaceNormals(true, f0);
  // Old faces whose normals were never computed get them too.
  poly.CalcFaceNormals(false);

  // The added model lies on the far side of a plane across it; only old faces on or
  // beyond that plane can meet it.
  double direction[3] = {0, 0, 0};
  int addedFaces = 0;
  for (int fi = f0; fi < poly.NumFaces(); ++fi) {
    const SimpleFace& f = poly.FaceAt(fi);
    if (f.flags & gone) continue;
    ++addedFaces;
    for (int i = 0; i < f.Count(); ++i) AddTo(direction, f.VertAt(i).pos);
  }
  const double length = std::sqrt(Dot(direction, direction));
  if (std::fabs(direction[0]) <= kPointTolerance && std::fabs(direction[1]) <= kPointTolerance && std::fabs(direction[2]) <= kPointTolerance) {
    direction[0] = 1.0;
    direction[1] = direction[2] = 0.0;
  } else {
    Divide(direction, direction, length);
  }
  double nearest = kNoMinimum;
  for (int fi = f0; fi < poly.NumFaces(); ++fi) {
    const SimpleFace& f = poly.FaceAt(fi);
    if (f.flags & gone) continue;
    for (int i = 0; i < f.Count(); ++i) nearest = std::fmin(nearest, Dot(direction, f.VertAt(i).pos));
  }
  if (nearest >= kNoMinimum) return true;
  const double offset = -nearest;

  struct Match {
    int a;
    int b;
    Pairing pairing;
  };
  std::vector<Match> matches;
  for (int fa = 0; fa < f0; ++fa) {
    const SimpleFace& a = poly.FaceAt(fa);
    if (!IsComparable(a)) continue;
    bool beyond = true;
    for (int i = 0; i < a.Count() && beyond; ++i) beyond = Dot(direction, a.VertAt(i).pos) + offset >= -kPointTolerance;
    if (!beyond) continue;
    for (int fb = f0; fb < poly.NumFaces(); ++fb) {
      const SimpleFace& b = poly.FaceAt(fb);
      if ((b.flags & gone) || !IsComparable(b)) continue;
      Pairing pairing;
      if (!Coincide(a, b, pairing)) continue;
      if (matches.empty() && ask) {
        const int reply = AskToRemove(false);
        if (reply == kBoxCancel) return false;
        if (reply != kBoxYes) return true;
      }
      matches.push_back({fa, fb, pairing});
      poly.FaceAt(fb).flags |= removalFlag;
      break;
    }
  }

  // An added model lying wholly on faces already removed adds nothing: it goes.
  bool survivorMatched = false;
  for (const Match& m : matches) {
    if (!(poly.FaceAt(m.a).flags & gone) && m.a < faceLimit) survivorMatched = true;
  }
  if (!matches.empty() && static_cast<int>(matches.size()) == addedFaces && !survivorMatched) {
    for (int fi = f0; fi < poly.NumFaces(); ++fi) poly.FaceAt(fi).flags |= kSimpleTemp;
    for (int vi = firstAddedVert < 0 ? 0 : firstAddedVert; vi < poly.NumVerts(); ++vi) {
      poly.VertAt(vi).flags |= removalFlag | kSimpleTemp;
    }
    return true;
  }

  poly.CreateVertexFaceLists(true);
  poly.flags &= ~kSimpleSortedFaceLists;
  for (const Match& m : matches) {
    SimpleFace& a = poly.FaceAt(m.a);
    // An old face matched a second time comes back.
    if (a.flags & gone) {
      a.flags &= ~gone;
    } else {
      a.flags |= removalFlag;
    }
    MergeSurroundingVerts(poly, m.a, m.b, m.pairing, removalFlag);
  }
  for (int fi = 0; fi < poly.NumFaces(); ++fi) {
    const SimpleFace& f = poly.FaceAt(fi);
    if (f.flags & gone) continue;
    for (int32_t v : f.items) poly.VertAt(v).flags &= ~gone;
  }
  FlagUnusedVerts(poly, removalFlag);
  return true;
}

}  // namespace corvia
