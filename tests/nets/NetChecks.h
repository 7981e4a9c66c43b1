#pragma once
// What the nets tests share: models of the library built into a Poly, and checks of
// a model's nets worked out independently of the nets code: every facelet in exactly
// one net, no two facelets of a net overlapping (by the exact area of their overlap),
// the nets folding back onto the model, every cut edge glued by a tab and numbered in
// pairs, and the nets of a type congruent under the symmetry.

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "construction/Library.h"
#include "core/Units.h"
#include "core/VectorMath.h"
#include "model/CreatePoly.h"
#include "model/Poly.h"
#include "model/Subdivision.h"
#include "nets/Edge3D.h"
#include "nets/Face3D.h"
#include "nets/Model3D.h"
#include "nets/Net.h"
#include "nets/NetFlags.h"
#include "nets/NetSettings.h"
#include "nets/NetTab.h"
#include "symmetry/SimplePoly.h"
#include "tests/support/TestSupport.h"

namespace corvia::testing::nets {

using Ring = std::vector<std::array<double, 2>>;

// Records of the library the tests take their models from.
constexpr int kTetrahedron = 0;
constexpr int kCube = 1;
constexpr int kOctahedron = 2;
constexpr int kDodecahedron = 3;
constexpr int kIcosahedron = 4;
constexpr int kGreatDodecahedron = 6;
constexpr int kTruncatedTetrahedron = 9;
constexpr int kTruncatedOctahedron = 11;
constexpr int kTruncatedIcosahedron = 17;
constexpr int kSnubDodecahedron = 21;
constexpr int kTetrahemihexahedron = 22;
constexpr int kSquarePyramid = 105;        // J1
constexpr int kPentagonalPyramid = 106;    // J2
constexpr int kTriangularCupola = 107;     // J3
constexpr int kTriangularBipyramid = 116;  // J12
constexpr double kPi = 3.141592653589793;

// The library record as a Poly (its dual with dual set); null when it does not build.
inline std::unique_ptr<Poly> BuildLibraryPoly(int index, bool dual = false) {
  LibraryEntry* entry = GetLibraryEntry(index);
  if (!entry) return nullptr;
  std::unique_ptr<SimplePoly> simple = entry->CreatePoly(dual);
  if (!simple) return nullptr;
  auto poly = std::make_unique<Poly>();
  if (!CreatePoly(*simple, poly.get(), false, false)) return nullptr;
  return poly;
}

// The icosahedral geodesic sphere of the frequency (20 n^2 faces); null when it does
// not build.
inline std::unique_ptr<Poly> BuildGeodesicPoly(int frequency) {
  std::unique_ptr<Poly> icosahedron = BuildLibraryPoly(kIcosahedron);
  std::unique_ptr<SimplePoly> simple = icosahedron ? icosahedron->Subdivide(kSubdivideGeodesic, frequency) : nullptr;
  auto poly = std::make_unique<Poly>();
  if (!simple || !CreatePoly(*simple, poly.get(), false, false)) return nullptr;
  return poly;
}

// Puts back the program-wide settings the nets read when a test ends.
class SettingsGuard {
 public:
  SettingsGuard() : mNets(GetNetSettings()), mUnits(GetUnitSettings()) {}
  ~SettingsGuard() {
    GetNetSettings() = mNets;
    GetUnitSettings() = mUnits;
  }
  SettingsGuard(const SettingsGuard&) = delete;
  SettingsGuard& operator=(const SettingsGuard&) = delete;

 private:
  NetSettings mNets;
  UnitSettings mUnits;
};

// A test of the nets: its settings are put back, and its boxes start empty.
class NetsTest : public ::testing::Test {
 protected:
  void SetUp() override { Platform().messages.Clear(); }
  SettingsGuard mGuard;
};

// The model of the plain polyhedron with its nets, made with at most this many
// facelets per net.
inline std::unique_ptr<Model3D> MakeNets(Poly* poly, int maxFacesPerNet = 1000000) {
  GetUnitSettings().mMaxFacesPerNet = maxFacesPerNet;
  auto model = std::make_unique<Model3D>(poly, false);
  model->MakeNets();
  return model;
}

// The uniform records that build (parametric and coincident-vertex records left out)
// and the Johnson solids with stored data.
inline std::vector<int> UniformRecords() {
  std::vector<int> records;
  for (int i = 0; i <= 101; ++i) {
    if (!GetLibraryEntry(i)->IsParametric()) records.push_back(i);
  }
  return records;
}

inline std::vector<int> JohnsonRecords() {
  std::vector<int> records;
  for (int i = 105; i <= 130; ++i) records.push_back(i);
  return records;
}

// ---- Exact overlap of two polygons ----------------------------------------------------
// Both filled by the non-zero winding rule. The plane is cut into vertical slabs at
// every corner and every crossing of two edges; inside a slab no two edges cross, so
// each polygon covers trapezoids between pairs of its edges, and the overlap is the
// sum of the overlaps of those trapezoids.

struct SlabEdge {
  double y0, y1;  // at the slab's two sides
  int winding;
};

inline double Lerp(const std::array<double, 2>& a, const std::array<double, 2>& b, double x) {
  return a[1] + (b[1] - a[1]) * (x - a[0]) / (b[0] - a[0]);
}

// The intervals a ring covers in the slab [x0, x1], as pairs of edges.
inline std::vector<std::pair<SlabEdge, SlabEdge>> Covered(const Ring& ring, double x0, double x1) {
  std::vector<SlabEdge> edges;
  const size_t n = ring.size();
  const double xm = (x0 + x1) / 2.0;
  for (size_t i = 0; i < n; ++i) {
    const auto& a = ring[i];
    const auto& b = ring[(i + 1) % n];
    if (a[0] == b[0]) continue;
    if (std::min(a[0], b[0]) > xm || std::max(a[0], b[0]) < xm) continue;
    edges.push_back({Lerp(a, b, x0), Lerp(a, b, x1), b[0] > a[0] ? 1 : -1});
  }
  std::sort(edges.begin(), edges.end(), [](const SlabEdge& p, const SlabEdge& q) { return p.y0 + p.y1 < q.y0 + q.y1; });
  std::vector<std::pair<SlabEdge, SlabEdge>> intervals;
  int winding = 0;
  for (size_t i = 0; i + 1 < edges.size(); ++i) {
    winding += edges[i].winding;
    if (winding != 0) intervals.push_back({edges[i], edges[i + 1]});
  }
  return intervals;
}

inline bool Cross(const std::array<double, 2>& a, const std::array<double, 2>& b, const std::array<double, 2>& c,
                  const std::array<double, 2>& d, double* x) {
  const double rx = b[0] - a[0], ry = b[1] - a[1], sx = d[0] - c[0], sy = d[1] - c[1];
  const double den = rx * sy - ry * sx;
  if (den == 0.0) return false;
  const double t = ((c[0] - a[0]) * sy - (c[1] - a[1]) * sx) / den;
  const double u = ((c[0] - a[0]) * ry - (c[1] - a[1]) * rx) / den;
  if (t < 0.0 || t > 1.0 || u < 0.0 || u > 1.0) return false;
  *x = a[0] + t * rx;
  return true;
}

inline double OverlapArea(const Ring& p, const Ring& q) {
  std::vector<double> xs;
  for (const auto& v : p) xs.push_back(v[0]);
  for (const auto& v : q) xs.push_back(v[0]);
  std::vector<std::pair<std::array<double, 2>, std::array<double, 2>>> all;
  for (const Ring* ring : {&p, &q}) {
    for (size_t i = 0; i < ring->size(); ++i) all.push_back({(*ring)[i], (*ring)[(i + 1) % ring->size()]});
  }
  for (size_t i = 0; i < all.size(); ++i) {
    for (size_t j = i + 1; j < all.size(); ++j) {
      double x;
      if (Cross(all[i].first, all[i].second, all[j].first, all[j].second, &x)) xs.push_back(x);
    }
  }
  std::sort(xs.begin(), xs.end());
  double area = 0.0;
  for (size_t i = 0; i + 1 < xs.size(); ++i) {
    const double x0 = xs[i], x1 = xs[i + 1];
    if (x1 - x0 < 1e-12) continue;
    for (const auto& [pa, pb] : Covered(p, x0, x1)) {
      for (const auto& [qa, qb] : Covered(q, x0, x1)) {
        const double left = std::max(0.0, std::min(pb.y0, qb.y0) - std::max(pa.y0, qa.y0));
        const double right = std::max(0.0, std::min(pb.y1, qb.y1) - std::max(pa.y1, qa.y1));
        area += (left + right) / 2.0 * (x1 - x0);
      }
    }
  }
  return area;
}

inline Ring UnfoldedRing(const Face3D& facelet, int loop = 0) {
  Ring ring;
  const int start = facelet.mType->GetLoopStart(loop);
  for (int i = 0; i < facelet.mType->mLoopLengths[loop]; ++i) {
    ring.push_back({facelet.mEdges[start + i].unfolded[0], facelet.mEdges[start + i].unfolded[1]});
  }
  return ring;
}

// ---- Checks of a model's nets ----------------------------------------------------------

inline std::vector<Face3D*> AllFacelets(const Model3D& model) {
  std::vector<Face3D*> facelets;
  for (Face3DType* type = model.mFaceTypes; type; type = type->mNext) {
    for (int f = 0; f < type->mNumFacelets; ++f) facelets.push_back(&type->mFacelets[f]);
  }
  return facelets;
}

// Every facelet lies in exactly one net, whose chain holds it.
inline void ExpectCover(const Model3D& model, const std::string& name) {
  std::map<const Face3D*, int> seen;
  for (NetType* type = model.mNetTypes; type; type = type->next) {
    for (int n = 0; n < type->numNets; ++n) {
      const Net& net = type->nets[n];
      EXPECT_NE(net.first, nullptr) << name;
      EXPECT_EQ(net.type, type) << name;
      int count = 0;
      for (const Face3D* f = net.first; f && count <= 100000; f = f->mNextInNet, ++count) {
        EXPECT_EQ(f->mNet, &net) << name;
        ++seen[f];
      }
    }
  }
  const std::vector<Face3D*> facelets = AllFacelets(model);
  for (const Face3D* f : facelets) EXPECT_EQ(seen[f], 1) << name << " facelet " << Face3D::GetIndex(f);
}

// No two facelets of one net overlap in the flat layout.
// No two facelets of the net overlap in the flat layout.
inline void ExpectNetWithoutOverlap(const Net& net, const std::string& name) {
  std::vector<const Face3D*> members;
  for (const Face3D* f = net.first; f; f = f->mNextInNet) members.push_back(f);
  std::vector<Ring> rings;
  std::vector<std::array<double, 4>> boxes;
  for (const Face3D* f : members) {
    rings.push_back(UnfoldedRing(*f));
    std::array<double, 4> box = {1e300, 1e300, -1e300, -1e300};
    for (const auto& p : rings.back()) {
      box[0] = std::min(box[0], p[0]);
      box[1] = std::min(box[1], p[1]);
      box[2] = std::max(box[2], p[0]);
      box[3] = std::max(box[3], p[1]);
    }
    boxes.push_back(box);
  }
  for (size_t i = 0; i < members.size(); ++i) {
    for (size_t j = i + 1; j < members.size(); ++j) {
      if (boxes[i][2] < boxes[j][0] || boxes[j][2] < boxes[i][0] || boxes[i][3] < boxes[j][1] ||
          boxes[j][3] < boxes[i][1]) {
        continue;
      }
      const double area = OverlapArea(rings[i], rings[j]);
      EXPECT_LT(area, 1e-9) << name << ": facelets " << Face3D::GetIndex(members[i]) << " and "
                            << Face3D::GetIndex(members[j]) << " of net " << Net::GetNumber(&net);
    }
  }
}

inline void ExpectNoOverlap(const Model3D& model, const std::string& name) {
  for (NetType* type = model.mNetTypes; type; type = type->next) {
    for (int n = 0; n < type->numNets; ++n) ExpectNetWithoutOverlap(type->nets[n], name);
  }
}

// How far the corners of a facelet's source lie off one plane (stored coordinates
// of some models are good to 1e-6 only): a flat facelet cannot fit them closer.
inline double NonPlanarity(const Face3D& f) {
  const int n = f.GetNumEdges();
  double normal[3] = {0.0, 0.0, 0.0}, centre[3] = {0.0, 0.0, 0.0};
  for (int i = 0; i < n; ++i) {
    const double* p = f.mEdges[i].vert->mPos;
    const double* q = f.mEdges[(i + 1) % n].vert->mPos;
    normal[0] += (p[1] - q[1]) * (p[2] + q[2]);
    normal[1] += (p[2] - q[2]) * (p[0] + q[0]);
    normal[2] += (p[0] - q[0]) * (p[1] + q[1]);
    AddTo(centre, p);
  }
  const double length = std::sqrt(Dot(normal, normal));
  if (length == 0.0) return 0.0;
  Divide(centre, centre, n);
  double worst = 0.0;
  for (int i = 0; i < n; ++i) {
    double d[3];
    Subtract(d, f.mEdges[i].vert->mPos, centre);
    worst = std::max(worst, std::fabs(Dot(d, normal)) / length);
  }
  return worst;
}

// Folded by 1, every corner is back on its vertex and every normal on the facelet's:
// within 1e-9, beyond what the source's own corners miss one plane by.
inline void ExpectFoldsBack(Model3D& model, const std::string& name) {
  NetSettings& settings = GetNetSettings();
  const double saved = settings.foldFraction;
  settings.foldFraction = 1.0;
  model.UpdateFolding();
  for (Face3D* f : AllFacelets(model)) {
    const double allowed = 1e-9 + 4.0 * NonPlanarity(*f);
    for (int i = 0; i < f->GetNumEdges(); ++i) {
      const Edge3D& e = f->mEdges[i];
      ASSERT_NE(e.vert, nullptr) << name;
      double d[3];
      Subtract(d, e.pos3D, e.vert->mPos);
      EXPECT_LT(std::sqrt(Dot(d, d)), allowed) << name << " facelet " << Face3D::GetIndex(f) << " corner " << i;
    }
    double normal[3];
    f->GetNormal(normal);
    double d[3];
    Subtract(d, normal, f->mNormal);
    EXPECT_LT(std::sqrt(Dot(d, d)), 1e-9) << name << " facelet " << Face3D::GetIndex(f);
  }
  settings.foldFraction = saved;
  model.UpdateFolding();
}

// Every edgelet is joined in its net or carries a tab; the two sides of each cut share
// one connection number that no other edge has.
inline void ExpectGluing(const Model3D& model, const std::string& name, bool everyCutTabbed) {
  std::map<int, int> uses;
  for (Face3D* f : AllFacelets(model)) {
    for (int i = 0; i < f->GetNumEdges(); ++i) {
      const Edge3D& e = f->mEdges[i];
      const bool joined = (e.flags & (kEdgeJoined | kEdgePlacementJoin)) != 0;
      const bool tabbed = (e.flags & kEdgeHasTab) && e.tab;
      EXPECT_FALSE(joined && tabbed) << name << " edge " << GetEdgeName(&e);
      if (everyCutTabbed) {
        EXPECT_TRUE(joined || tabbed) << name << " edge " << GetEdgeName(&e);
      }
      if (joined) continue;
      const Edge3D* partner = Edge3D::GetNeighInNet(&e, false);
      ASSERT_NE(partner, nullptr) << name << " edge " << GetEdgeName(&e);
      EXPECT_GE(e.connectionId, 0) << name << " edge " << GetEdgeName(&e);
      EXPECT_EQ(e.connectionId, partner->connectionId) << name << " edge " << GetEdgeName(&e);
      ++uses[e.connectionId];
    }
  }
  for (const auto& [id, count] : uses) EXPECT_EQ(count, 2) << name << " connection " << id;
}

// With single tabs, exactly one side of each cut carries the tab, both sides where
// the edge is reflex.
inline void ExpectSingleTabs(Model3D& model, const std::string& name) {
  NetSettings& settings = GetNetSettings();
  const int32_t saved = settings.tabType;
  settings.tabType = kTabKindSingle;
  model.RebuildTabs();
  for (Face3D* f : AllFacelets(model)) {
    for (int i = 0; i < f->GetNumEdges(); ++i) {
      Edge3D* e = &f->mEdges[i];
      const Edge3D* partner = Edge3D::GetNeighInNet(e, false);
      if ((e->flags & (kEdgeJoined | kEdgePlacementJoin)) || !partner) continue;
      const int tabs = (e->tab ? 1 : 0) + (partner->tab ? 1 : 0);
      EXPECT_EQ(tabs, e->GetDihedralAngle() < kPi && partner->GetDihedralAngle() < kPi ? 1 : 2)
          << name << " edge " << GetEdgeName(e);
    }
  }
  settings.tabType = saved;
  model.RebuildTabs();
}

// The nets of a type are one net turned by a rotation of the model: corresponding
// corners (by place in the chain and edgelet index) are its images.
inline void ExpectCongruentTypes(const Model3D& model, const std::string& name) {
  for (NetType* type = model.mNetTypes; type; type = type->next) {
    const Net* first = type->GetFirstNet();
    std::vector<const double*> a;
    for (const Face3D* f = first->first; f; f = f->mNextInNet) {
      for (int i = 0; i < f->GetNumEdges(); ++i) a.push_back(f->mEdges[i].vert->mPos);
    }
    for (int n = 1; n < type->numNets; ++n) {
      std::vector<const double*> b;
      for (const Face3D* f = type->nets[n].first; f; f = f->mNextInNet) {
        for (int i = 0; i < f->GetNumEdges(); ++i) b.push_back(f->mEdges[i].vert->mPos);
      }
      ASSERT_EQ(a.size(), b.size()) << name;
      // The rotation from three corners that span space with the origin.
      double ma[9], mb[9];
      size_t picks[3] = {0, 0, 0};
      int found = 0;
      for (size_t k = 0; k < a.size() && found < 3; ++k) {
        double m[9];
        for (int c = 0; c < found; ++c) CopyVector(m + 3 * c, a[picks[c]]);
        CopyVector(m + 3 * found, a[k]);
        bool independent = true;
        if (found == 1) {
          double c[3];
          corvia::Cross(c, m, m + 3);
          independent = Dot(c, c) > 1e-8;
        } else if (found == 2) {
          double c[3];
          corvia::Cross(c, m, m + 3);
          independent = std::fabs(Dot(c, m + 6)) > 1e-4;
        } else {
          independent = Dot(m, m) > 1e-8;
        }
        if (independent) picks[found++] = k;
      }
      ASSERT_GE(found, 2) << name;
      for (int c = 0; c < 2; ++c) {
        CopyVector(ma + 3 * c, a[picks[c]]);
        CopyVector(mb + 3 * c, b[picks[c]]);
      }
      if (found == 3) {
        CopyVector(ma + 6, a[picks[2]]);
        CopyVector(mb + 6, b[picks[2]]);
      } else {
        // Corners in one plane with the centre: the third axis is their cross product.
        corvia::Cross(ma + 6, ma, ma + 3);
        corvia::Cross(mb + 6, mb, mb + 3);
      }
      // R = B A^-1 on the three picks; then every corner must follow.
      const double det = ma[0] * (ma[4] * ma[8] - ma[7] * ma[5]) - ma[3] * (ma[1] * ma[8] - ma[7] * ma[2]) +
                         ma[6] * (ma[1] * ma[5] - ma[4] * ma[2]);
      double inv[9];
      inv[0] = (ma[4] * ma[8] - ma[7] * ma[5]) / det;
      inv[3] = -(ma[3] * ma[8] - ma[6] * ma[5]) / det;
      inv[6] = (ma[3] * ma[7] - ma[6] * ma[4]) / det;
      inv[1] = -(ma[1] * ma[8] - ma[7] * ma[2]) / det;
      inv[4] = (ma[0] * ma[8] - ma[6] * ma[2]) / det;
      inv[7] = -(ma[0] * ma[7] - ma[6] * ma[1]) / det;
      inv[2] = (ma[1] * ma[5] - ma[4] * ma[2]) / det;
      inv[5] = -(ma[0] * ma[5] - ma[3] * ma[2]) / det;
      inv[8] = (ma[0] * ma[4] - ma[3] * ma[1]) / det;
      double r[9];
      MatrixTimesMatrix(r, mb, inv);
      const double rdet =
          r[0] * (r[4] * r[8] - r[7] * r[5]) - r[3] * (r[1] * r[8] - r[7] * r[2]) + r[6] * (r[1] * r[5] - r[4] * r[2]);
      EXPECT_NEAR(rdet, 1.0, 1e-6) << name << ": net " << n << " of a type is no rotation of the first";
      for (size_t k = 0; k < a.size(); ++k) {
        double image[3], d[3];
        MatrixTimesVector(r, image, a[k]);
        Subtract(d, image, b[k]);
        EXPECT_LT(std::sqrt(Dot(d, d)), 1e-6) << name << ": net " << n << " corner " << k;
      }
    }
  }
}

}  // namespace corvia::testing::nets
