// Counts of facetings checked against an enumeration written here from the
// definition, sharing nothing with the engine but the vertex positions: the rotation
// and mirror symmetries are found by brute force, every polygon of every plane through
// three or more vertices is listed, and subsets of their rotation orbits are searched
// for closed surfaces.
//
// A faceting is a set of polygon orbits in which every segment between two vertices is
// a side of none or exactly two polygons, two polygons meeting at a side never lie in
// one plane, and the orbits hang together through shared sides (with Maintain
// Reflexibility, the orbits of the full group). Under the tidy criteria coplanar
// polygons share no vertex, and "Tidy Facetings && Duals" allows no plane through the
// centre. Segments along a rotation axis are no sides. A chiral faceting and its
// mirror image count once; its compound with the mirror image counts on its own when
// that is a faceting too.

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <functional>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "core/BigUInt.h"
#include "core/VectorMath.h"
#include "model/FaceType.h"
#include "model/PolyElement.h"
#include "tests/stellation/FacetingModels.h"

namespace test_FacetingEnumeration {

using Point = std::array<double, 3>;
using Cycle = std::vector<int>;
using Perm = std::vector<int>;

constexpr double kTol = 1e-6;

bool Same(const Point& a, const Point& b) {
  return std::fabs(a[0] - b[0]) < kTol && std::fabs(a[1] - b[1]) < kTol && std::fabs(a[2] - b[2]) < kTol;
}

Point Cross(const Point& a, const Point& b) {
  return {a[1] * b[2] - a[2] * b[1], a[2] * b[0] - a[0] * b[2], a[0] * b[1] - a[1] * b[0]};
}
double Dot(const Point& a, const Point& b) {
  return a[0] * b[0] + a[1] * b[1] + a[2] * b[2];
}
Point Minus(const Point& a, const Point& b) {
  return {a[0] - b[0], a[1] - b[1], a[2] - b[2]};
}

// Every orthogonal map of the points onto themselves with the given determinant sign,
// as permutations: the images of two independent points fix the map.
std::vector<Perm> Symmetries(const std::vector<Point>& points, bool proper) {
  const int n = int(points.size());
  int b = 1;
  while (b < n && Dot(Cross(points[0], points[size_t(b)]), Cross(points[0], points[size_t(b)])) < kTol) ++b;
  const Point& a0 = points[0];
  const Point& b0 = points[size_t(b)];
  const Point c0 = Cross(a0, b0);
  std::vector<Perm> found;
  for (int i = 0; i < n; ++i) {
    for (int j = 0; j < n; ++j) {
      const Point& ai = points[size_t(i)];
      const Point& bj = points[size_t(j)];
      if (std::fabs(Dot(ai, ai) - Dot(a0, a0)) > kTol || std::fabs(Dot(bj, bj) - Dot(b0, b0)) > kTol ||
          std::fabs(Dot(ai, bj) - Dot(a0, b0)) > kTol) {
        continue;
      }
      Point cj = Cross(ai, bj);
      if (!proper) cj = {-cj[0], -cj[1], -cj[2]};
      // The map takes a0, b0, c0 to ai, bj, cj; solve through the dual basis.
      const double det = Dot(a0, Cross(b0, c0));
      const Point da = Cross(b0, c0), db = Cross(c0, a0), dc = Cross(a0, b0);
      Perm perm;
      for (const Point& p : points) {
        const double x = Dot(da, p) / det, y = Dot(db, p) / det, z = Dot(dc, p) / det;
        const Point image = {x * ai[0] + y * bj[0] + z * cj[0], x * ai[1] + y * bj[1] + z * cj[1],
                             x * ai[2] + y * bj[2] + z * cj[2]};
        int k = 0;
        while (k < n && !Same(points[size_t(k)], image)) ++k;
        if (k == n) break;
        perm.push_back(k);
      }
      if (int(perm.size()) == n && std::find(found.begin(), found.end(), perm) == found.end()) found.push_back(perm);
    }
  }
  return found;
}

Cycle Canonical(const Cycle& cycle) {
  const size_t n = cycle.size();
  Cycle best;
  for (size_t s = 0; s < n; ++s) {
    for (bool forwards : {true, false}) {
      Cycle c;
      for (size_t k = 0; k < n; ++k) c.push_back(cycle[forwards ? (s + k) % n : (s + n - k) % n]);
      if (best.empty() || c < best) best = c;
    }
  }
  return best;
}

struct Counts {
  int total = 0;
  int chiral = 0;
  int compounds = 0;
  bool operator==(const Counts&) const = default;
};

std::ostream& operator<<(std::ostream& out, const Counts& c) {
  return out << c.total << " (" << c.chiral << " chiral, " << c.compounds << " compounds)";
}

// The plain search.
class Enumeration {
 public:
  explicit Enumeration(const std::vector<Point>& points) : mPoints(points) {
    const int n = int(points.size());
    mRotations = Symmetries(points, true);
    const std::vector<Perm> improper = Symmetries(points, false);
    if (!improper.empty()) mMirror = improper.front();
    // Vertex types: orbits of the rotations.
    mType.assign(size_t(n), -1);
    for (int v = 0; v < n; ++v) {
      if (mType[size_t(v)] >= 0) continue;
      for (const Perm& g : mRotations) mType[size_t(g[size_t(v)])] = mNumTypes;
      ++mNumTypes;
    }
    // A vertex that a rotation other than the identity keeps lies on its axis.
    std::vector<bool> onAxis(size_t(n), false);
    for (const Perm& g : mRotations) {
      bool identity = true;
      for (int v = 0; v < n; ++v) identity = identity && g[size_t(v)] == v;
      for (int v = 0; v < n && !identity; ++v) onAxis[size_t(v)] = onAxis[size_t(v)] || g[size_t(v)] == v;
    }
    auto allowed = [&](int a, int b) {
      const Point c = Cross(points[size_t(a)], points[size_t(b)]);
      return Dot(c, c) > kTol * kTol || !onAxis[size_t(a)];
    };
    // Planes by the set of vertices on them.
    std::set<std::vector<int>> planeSets;
    double largest = 0.0;
    for (const Point& p : points) largest = std::max(largest, std::sqrt(Dot(p, p)));
    for (int a = 0; a < n; ++a) {
      for (int b = a + 1; b < n; ++b) {
        for (int c = b + 1; c < n; ++c) {
          Point normal =
              Cross(Minus(points[size_t(b)], points[size_t(a)]), Minus(points[size_t(c)], points[size_t(a)]));
          const double length = std::sqrt(Dot(normal, normal));
          if (length < 1e-9) continue;
          for (double& x : normal) x /= length;
          const double d = Dot(normal, points[size_t(a)]);
          std::vector<int> on;
          double highest = -1e300, lowest = 1e300;
          for (int v = 0; v < n; ++v) {
            const double h = Dot(normal, points[size_t(v)]) - d;
            if (std::fabs(h) < 1e-7) on.push_back(v);
            highest = std::max(highest, h);
            lowest = std::min(lowest, h);
          }
          if (!planeSets.insert(on).second) continue;
          Plane plane{on, std::fabs(d) < 1e-7, highest < 1e-7 || lowest > -1e-7};
          mPlanes.push_back(plane);
        }
      }
    }
    // Every polygon of every plane: cycles from their least vertex, the second vertex
    // below the last.
    std::set<Cycle> polygons;
    for (size_t p = 0; p < mPlanes.size(); ++p) {
      const std::vector<int>& on = mPlanes[p].vertices;
      std::vector<bool> used(on.size(), false);
      Cycle path;
      std::function<void(size_t)> extend = [&](size_t first) {
        const int last = path.back();
        if (path.size() >= 3 && allowed(last, path.front()) && path[1] < path.back()) {
          polygons.insert(Canonical(path));
          mPlaneOf[Canonical(path)] = int(p);
        }
        for (size_t k = first + 1; k < on.size(); ++k) {
          if (used[k] || !allowed(last, on[k])) continue;
          used[k] = true;
          path.push_back(on[k]);
          extend(first);
          path.pop_back();
          used[k] = false;
        }
      };
      for (size_t first = 0; first < on.size(); ++first) {
        path = {on[first]};
        extend(first);
      }
    }
    // Their rotation orbits.
    std::map<Cycle, int> orbitOf;
    for (const Cycle& polygon : polygons) {
      if (orbitOf.count(polygon)) continue;
      Orbit orbit;
      std::set<Cycle> copies;
      for (const Perm& g : mRotations) {
        Cycle image;
        for (int v : polygon) image.push_back(g[size_t(v)]);
        copies.insert(Canonical(image));
      }
      for (const Cycle& copy : copies) {
        orbitOf[copy] = int(mOrbits.size());
        orbit.copies.push_back(copy);
        for (size_t i = 0; i < copy.size(); ++i) {
          const int a = copy[i], b = copy[(i + 1) % copy.size()];
          orbit.sides[{std::min(a, b), std::max(a, b)}].push_back(mPlaneOf[copy]);
        }
      }
      mOrbits.push_back(orbit);
    }
    for (Orbit& orbit : mOrbits) {
      orbit.mirror = int(&orbit - &mOrbits[0]);
      if (mMirror.empty()) continue;
      Cycle image;
      for (int v : orbit.copies.front()) image.push_back(mMirror[size_t(v)]);
      orbit.mirror = orbitOf[Canonical(image)];
    }
  }

  Counts Count(int criteria, bool maintainReflexibility, bool partial, bool spiky, int maximum = 1 << 30,
               int minimum = 1) {
    mCriteria = criteria;
    mSpiky = spiky;
    mPartial = partial;
    Counts counts;
    if (criteria == corvia::kFacetingIsohedral) {
      for (int o = 0; o < int(mOrbits.size()); ++o) {
        const int m = mOrbits[size_t(o)].mirror;
        if (m == o) {
          if (Valid({o})) ++counts.total;
          continue;
        }
        if (o > m) continue;
        if (!maintainReflexibility && Valid({o})) {
          ++counts.total;
          ++counts.chiral;
        }
        if (Valid({o, m})) ++counts.total;
      }
      return counts;
    }
    std::set<std::vector<int>> seen;
    std::vector<int> chosen;
    std::map<std::pair<int, int>, int> uses;
    std::function<void(int)> search = [&](int next) {
      if (next == int(mOrbits.size())) {
        if (chosen.empty() || !Valid(chosen)) return;
        std::vector<int> set = chosen, mirror;
        for (int o : set) mirror.push_back(mOrbits[size_t(o)].mirror);
        std::sort(mirror.begin(), mirror.end());
        const bool reflexible = set == mirror;
        if (maintainReflexibility) {
          if (reflexible && Connected(set, true) && int(set.size()) >= minimum && int(set.size()) <= maximum) {
            ++counts.total;
          }
          return;
        }
        if (!Connected(set, false) || !seen.insert(std::min(set, mirror)).second) return;
        const int n = int(set.size());
        if (n <= maximum && n >= minimum) {
          ++counts.total;
          if (!reflexible) ++counts.chiral;
        }
        bool compound = !reflexible && 2 * n <= maximum && 2 * n >= minimum;
        for (int o : set) {
          compound = compound && mOrbits[size_t(o)].mirror != o &&
                     std::find(set.begin(), set.end(), mOrbits[size_t(o)].mirror) == set.end();
        }
        std::vector<int> both = set;
        both.insert(both.end(), mirror.begin(), mirror.end());
        if (compound && Valid(both)) {
          ++counts.total;
          ++counts.compounds;
        }
        return;
      }
      search(next + 1);
      const Orbit& orbit = mOrbits[size_t(next)];
      if (int(chosen.size()) >= maximum) return;
      for (const auto& [segment, planes] : orbit.sides) {
        if (uses[segment] + int(planes.size()) > 2) return;
      }
      for (const auto& [segment, planes] : orbit.sides) uses[segment] += int(planes.size());
      chosen.push_back(next);
      search(next + 1);
      chosen.pop_back();
      for (const auto& [segment, planes] : orbit.sides) uses[segment] -= int(planes.size());
    };
    search(0);
    return counts;
  }

  int NumOrbits() const { return int(mOrbits.size()); }

 private:
  struct Plane {
    std::vector<int> vertices;
    bool central;
    bool hull;
  };
  struct Orbit {
    std::vector<Cycle> copies;
    // Segment: the planes of the copies that have it as a side.
    std::map<std::pair<int, int>, std::vector<int>> sides;
    int mirror = 0;
  };

  bool IsHullSegment(const std::pair<int, int>& segment) const {
    for (const Plane& plane : mPlanes) {
      if (!plane.hull) continue;
      const bool a = std::find(plane.vertices.begin(), plane.vertices.end(), segment.first) != plane.vertices.end();
      const bool b = std::find(plane.vertices.begin(), plane.vertices.end(), segment.second) != plane.vertices.end();
      if (a && b) return true;
    }
    return false;
  }

  bool Valid(const std::vector<int>& set) const {
    std::map<std::pair<int, int>, std::vector<int>> sides;
    std::vector<bool> typeUsed(size_t(mNumTypes), false);
    for (int o : set) {
      for (const auto& [segment, planes] : mOrbits[size_t(o)].sides) {
        for (int p : planes) sides[segment].push_back(p);
        if (mSpiky && IsHullSegment(segment)) return false;
        typeUsed[size_t(mType[size_t(segment.first)])] = typeUsed[size_t(mType[size_t(segment.second)])] = true;
      }
    }
    for (const auto& [segment, planes] : sides) {
      if (planes.size() != 2 || planes[0] == planes[1]) return false;
    }
    if (!mPartial && std::find(typeUsed.begin(), typeUsed.end(), false) != typeUsed.end()) return false;
    if (mCriteria == corvia::kFacetingTidyAndDuals || mCriteria == corvia::kFacetingTidy) {
      std::map<int, std::vector<const Cycle*>> byPlane;
      for (int o : set) {
        for (const Cycle& copy : mOrbits[size_t(o)].copies) {
          const int plane = mPlaneOf.at(copy);
          if (mCriteria == corvia::kFacetingTidyAndDuals && mPlanes[size_t(plane)].central) return false;
          for (const Cycle* other : byPlane[plane]) {
            for (int v : copy) {
              if (std::find(other->begin(), other->end(), v) != other->end()) return false;
            }
          }
          byPlane[plane].push_back(&copy);
        }
      }
    }
    return true;
  }

  // Orbits (or, with mirrors joined, orbits of the full group) linked by shared sides.
  bool Connected(const std::vector<int>& set, bool joinMirrors) const {
    std::vector<std::vector<int>> parts;
    for (int o : set) {
      const int m = mOrbits[size_t(o)].mirror;
      if (joinMirrors && m < o && std::find(set.begin(), set.end(), m) != set.end()) continue;
      parts.push_back({o});
      if (joinMirrors && m != o) parts.back().push_back(m);
    }
    auto share = [&](const std::vector<int>& a, const std::vector<int>& b) {
      for (int x : a) {
        for (int y : b) {
          for (const auto& side : mOrbits[size_t(x)].sides) {
            if (mOrbits[size_t(y)].sides.count(side.first)) return true;
          }
        }
      }
      return false;
    };
    std::vector<bool> reached(parts.size(), false);
    reached[0] = true;
    for (bool grew = true; grew;) {
      grew = false;
      for (size_t i = 0; i < parts.size(); ++i) {
        for (size_t j = 0; j < parts.size() && !reached[i]; ++j) {
          if (reached[j] && share(parts[i], parts[j])) reached[i] = grew = true;
        }
      }
    }
    return std::find(reached.begin(), reached.end(), false) == reached.end();
  }

  std::vector<Point> mPoints;
  std::vector<Perm> mRotations;
  Perm mMirror;
  std::vector<int> mType;
  int mNumTypes = 0;
  std::vector<Plane> mPlanes;
  std::map<Cycle, int> mPlaneOf;
  std::vector<Orbit> mOrbits;
  int mCriteria = 0;
  bool mSpiky = false;
  bool mPartial = false;
};

// The points the faceting of a block works on: the model's vertices for the base block,
// the poles of its faces for the dual block.
std::vector<Point> FacetingPoints(corvia::Poly& poly, bool dual) {
  std::vector<Point> points;
  for (const corvia::PolyElement* e = dual ? poly.mFaces.mHead : poly.mVertices.mHead; e; e = e->mNext) {
    points.push_back({e->mDualVert[0], e->mDualVert[1], e->mDualVert[2]});
  }
  return points;
}

Counts Enumerated(corvia::Faceting& faceting) {
  EXPECT_TRUE(faceting.EnumerateFacetings());
  char text[3][64];
  faceting.mNumFound.ToString(text[0], 64);
  faceting.mNumChirals.ToString(text[1], 64);
  faceting.mNumCompounds.ToString(text[2], 64);
  return {std::atoi(text[0]), std::atoi(text[1]), std::atoi(text[2])};
}

}  // namespace test_FacetingEnumeration

namespace corvia {
namespace {

using test_FacetingEnumeration::Counts;
using test_FacetingEnumeration::Enumerated;
using test_FacetingEnumeration::Enumeration;
using test_FacetingEnumeration::FacetingPoints;
using testing::FacetingFixture;
using testing::TemplateModel;

class FacetingEnumeration : public FacetingFixture {
 protected:
  // Every criterion with and without Maintain Reflexibility, with the counts the
  // engine finds compared with the plain search.
  static void CompareAll(TemplateModel& model, bool dual, uint32_t options = 0) {
    Enumeration plain(FacetingPoints(model.poly, dual));
    Faceting& faceting = dual ? model.DualFaceting() : model.BaseFaceting();
    for (bool reflexible : {false, true}) {
      for (int criteria = 0; criteria < kNumFacetingCriteria; ++criteria) {
        Use(faceting, criteria, options, reflexible);
        const Counts expected =
            plain.Count(criteria, reflexible, options & kFacetingAcceptPartial, options & kFacetingOnlySpiky);
        EXPECT_EQ(Enumerated(faceting), expected)
            << "criteria " << criteria << (reflexible ? ", reflexible" : "") << ", options " << options;
      }
    }
  }
};

TEST_F(FacetingEnumeration, PlatonicSolidsAndTheCuboctahedronAgreeWithThePlainSearch) {
  for (const char* configuration : {"4.4.4", "3.3.3.3", "3.3.3.3.3", "3.4.3.4"}) {
    SCOPED_TRACE(configuration);
    TemplateModel model(configuration);
    ASSERT_TRUE(model.built);
    CompareAll(model, false);
  }
}

TEST_F(FacetingEnumeration, ModelsWithChiralFacetingsAgreeWithThePlainSearch) {
  // The truncated tetrahedron and the square and pentagonal antiprisms have chiral
  // facetings; the antiprisms' diametral segments lie on no axis.
  for (const char* configuration : {"3.6.6", "3.3.3.4", "3.3.3.5", "3.4.4"}) {
    SCOPED_TRACE(configuration);
    TemplateModel model(configuration);
    ASSERT_TRUE(model.built);
    CompareAll(model, false);
  }
}

TEST_F(FacetingEnumeration, LimitsOnTheNumberOfFacetTypes) {
  TemplateModel model("3.6.6");
  ASSERT_TRUE(model.built);
  Enumeration plain(FacetingPoints(model.poly, false));
  Faceting& faceting = model.BaseFaceting();
  for (auto [minimum, maximum] : {std::pair{1, 2}, std::pair{3, 3}, std::pair{2, 4}}) {
    for (int criteria = kFacetingTidyAndDuals; criteria < kNumFacetingCriteria; ++criteria) {
      Use(faceting, criteria);
      SetMinFacetTypes(minimum);
      SetMaxFacetTypes(maximum);
      EXPECT_EQ(Enumerated(faceting), plain.Count(criteria, false, false, false, maximum, minimum))
          << "criteria " << criteria << ", " << minimum << " to " << maximum << " facet types";
    }
  }
}

TEST_F(FacetingEnumeration, TwoVertexTypesWithAndWithoutPartialFacetings) {
  // The dual block of the cuboctahedron: the corners of the rhombic dodecahedron,
  // of two kinds.
  TemplateModel model("3.4.3.4");
  ASSERT_TRUE(model.built);
  CompareAll(model, true, 0);
  CompareAll(model, true, kFacetingAcceptPartial);
}

TEST_F(FacetingEnumeration, OnlySpikyFacetingsAgreeWithThePlainSearch) {
  for (const char* configuration : {"3.3.3.3.3", "3.3.3.5", "3.6.6"}) {
    SCOPED_TRACE(configuration);
    TemplateModel model(configuration);
    ASSERT_TRUE(model.built);
    CompareAll(model, false, kFacetingOnlySpiky);
  }
}

TEST_F(FacetingEnumeration, CountsOfTheFourSolids) {
  // The same numbers, fixed, so that a fault common to both searches shows too.
  struct Expected {
    const char* configuration;
    int isohedral, dualTidy, tidy, coplanar, coplanarChiral, coplanarReflexible;
  };
  const Expected table[] = {
      {"4.4.4", 2, 2, 2, 2, 0, 2},
      {"3.3.3.3", 1, 1, 1, 1, 0, 1},
      {"3.3.3.3.3", 4, 4, 4, 4, 0, 4},
      {"3.4.3.4", 1, 7, 14, 21, 3, 18},
  };
  for (const Expected& row : table) {
    SCOPED_TRACE(row.configuration);
    TemplateModel model(row.configuration);
    ASSERT_TRUE(model.built);
    Faceting& faceting = model.BaseFaceting();
    const int totals[4] = {row.isohedral, row.dualTidy, row.tidy, row.coplanar};
    Counts counts;
    for (int criteria = 0; criteria < kNumFacetingCriteria; ++criteria) {
      Use(faceting, criteria);
      counts = Enumerated(faceting);
      EXPECT_EQ(counts.total, totals[criteria]) << "criteria " << criteria;
    }
    EXPECT_EQ(counts.chiral, row.coplanarChiral);
    Use(faceting, kFacetingCoplanarVerts, 0, true);
    EXPECT_EQ(Enumerated(faceting).total, row.coplanarReflexible);
  }
}

}  // namespace
}  // namespace corvia
