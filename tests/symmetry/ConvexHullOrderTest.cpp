// The symmetry search takes its candidate axes and its first mirror from the hull in
// face order, so a model's orientation and numbering hang on the exact faces the
// hull writes, their order and the order of their corners. These tests hold a hash
// of that output for a spread of inputs, recorded from the hull as it stands: any
// change in how the hull is found must leave every one of them equal. A large set
// of points is added in an order of their positions, so that the same points
// numbered otherwise give the same faces in the same order.

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cinttypes>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "construction/Library.h"
#include "symmetry/ConvexHull.h"
#include "symmetry/SimplePoly.h"
#include "symmetry/Waterman.h"
#include "tests/symmetry/FindSymmetriesModels.h"

namespace {

using Point = std::array<double, 3>;

constexpr uint64_t kFnvBasis = 14695981039346656037ull;
constexpr uint64_t kFnvPrime = 1099511628211ull;
// What a refused hull hashes to, with its message mixed in.
constexpr uint64_t kRefusedMark = 0xdeadull;

void Mix(uint64_t& hash, uint64_t value) {
  for (int i = 0; i < 8; ++i) {
    hash ^= (value >> (8 * i)) & 0xff;
    hash *= kFnvPrime;
  }
}

// Every face's corners in order, face by face, and which vertices ended as
// non-corners.
uint64_t HullHash(const corvia::SimplePoly& poly, int firstFace = 0) {
  uint64_t hash = kFnvBasis;
  Mix(hash, static_cast<uint64_t>(poly.NumFaces() - firstFace));
  for (int fi = firstFace; fi < poly.NumFaces(); ++fi) {
    const corvia::SimpleFace& face = poly.FaceAt(fi);
    Mix(hash, static_cast<uint64_t>(face.Count()));
    for (int32_t corner : face.items) Mix(hash, static_cast<uint64_t>(corner));
  }
  for (int i = 0; i < poly.NumVerts(); ++i) Mix(hash, poly.VertAt(i).IsTemp() ? 1 : 0);
  return hash;
}

uint64_t RefusalHash(const std::string& refusal) {
  uint64_t hash = kRefusedMark;
  for (char c : refusal) Mix(hash, static_cast<uint64_t>(static_cast<unsigned char>(c)));
  return hash;
}

// The hull of the points built from a model's vertices; with `renumbered`, point i is given as vertex
// renumbered[i] and the hull is numbered back before it is hashed. `corners`, when
// given, receives how many points are corners.
uint64_t HashOfModelHull(const std::vector<Point>& points, const std::vector<int32_t>* renumbered, int* corners) {
  const int n = static_cast<int>(points.size());
  auto poly = std::make_unique<corvia::SimplePoly>(n, 0);
  for (int i = 0; i < n; ++i) {
    poly->VertAt(renumbered ? (*renumbered)[size_t(i)] : i).SetPos(points[size_t(i)].data());
  }
  std::string refusal;
  if (!corvia::ComputeConvexHull(*poly, 0, &refusal)) return RefusalHash(refusal);
  if (corners) {
    *corners = 0;
    for (int i = 0; i < n; ++i) *corners += poly->VertAt(i).IsTemp() ? 0 : 1;
  }
  if (!renumbered) return HullHash(*poly);
  auto back = std::make_unique<corvia::SimplePoly>(n, poly->NumFaces());
  for (int i = 0; i < n; ++i) back->VertAt(i).flags = poly->VertAt((*renumbered)[size_t(i)]).flags;
  std::vector<int32_t> original(size_t(n), 0);
  for (int i = 0; i < n; ++i) original[size_t((*renumbered)[size_t(i)])] = i;
  for (int fi = 0; fi < poly->NumFaces(); ++fi) {
    const corvia::SimpleFace& face = poly->FaceAt(fi);
    back->FaceAt(fi).SetNumVerts(face.Count());
    for (int k = 0; k < face.Count(); ++k) back->FaceAt(fi).SetVertIndex(k, original[size_t(face.items[size_t(k)])]);
  }
  return HullHash(*back);
}

// The same hull built from the plain points, hashed as HullHash reads a model.
uint64_t HashOfPointHull(const std::vector<Point>& points) {
  corvia::PointHull hull;
  std::string refusal;
  if (!corvia::ComputeConvexHull(points.data()->data(), points.size(), hull, &refusal)) return RefusalHash(refusal);
  uint64_t hash = kFnvBasis;
  Mix(hash, static_cast<uint64_t>(hull.NumFaces()));
  for (size_t j = 0; j < hull.NumFaces(); ++j) {
    Mix(hash, static_cast<uint64_t>(hull.faceStart[j + 1] - hull.faceStart[j]));
    for (size_t k = hull.faceStart[j]; k < hull.faceStart[j + 1]; ++k) Mix(hash, static_cast<uint64_t>(hull.faceCorners[k]));
  }
  std::vector<uint8_t> corner(points.size(), 0);
  for (int32_t i : hull.corners) corner[size_t(i)] = 1;
  for (uint8_t isCorner : corner) Mix(hash, isCorner ? 0 : 1);
  return hash;
}

// The hull of the points through a model, which the hull from the plain points must
// match; `renumbered` and `corners` as for HashOfModelHull.
uint64_t HashOfHull(const std::vector<Point>& points, const std::vector<int32_t>* renumbered = nullptr,
                    int* corners = nullptr) {
  const uint64_t hash = HashOfModelHull(points, renumbered, corners);
  if (!renumbered) {
    EXPECT_EQ(HashOfPointHull(points), hash) << points.size() << " plain points";
  }
  return hash;
}

std::vector<Point> PointsOf(const corvia::SimplePoly& poly) {
  std::vector<Point> points;
  for (int i = 0; i < poly.NumVerts(); ++i) {
    const double* p = poly.VertAt(i).pos;
    points.push_back({p[0], p[1], p[2]});
  }
  return points;
}

std::vector<Point> RandomCloud(bool onSphere, int n, unsigned seed) {
  std::mt19937 random(seed);
  std::normal_distribution<double> normal;
  std::uniform_real_distribution<double> unit(-1.0, 1.0);
  std::vector<Point> points;
  while (static_cast<int>(points.size()) < n) {
    Point p{};
    if (onSphere) {
      p = {normal(random), normal(random), normal(random)};
      const double length = std::sqrt(p[0] * p[0] + p[1] * p[1] + p[2] * p[2]);
      if (length == 0) continue;
      for (double& c : p) c /= length;
    } else {
      p = {unit(random), unit(random), unit(random)};
      if (p[0] * p[0] + p[1] * p[1] + p[2] * p[2] > 1) continue;
    }
    points.push_back(p);
  }
  return points;
}

// The hashes of one family of inputs against those recorded; a failure names the
// input and prints the hash it gave.
void ExpectHashes(const char* family, const std::vector<uint64_t>& got, const std::vector<uint64_t>& recorded) {
  if (got.size() != recorded.size()) {
    std::string all;
    for (uint64_t hash : got) {
      char text[32];
      std::snprintf(text, sizeof text, "0x%016" PRIx64 "ull, ", hash);
      all += text;
    }
    FAIL() << family << " has " << recorded.size() << " recorded hashes for " << got.size() << " inputs: " << all;
  }
  for (size_t i = 0; i < got.size(); ++i) {
    char text[32];
    std::snprintf(text, sizeof text, "0x%016" PRIx64, got[i]);
    EXPECT_EQ(got[i], recorded[i]) << family << " case " << i << " gave " << text;
  }
}

TEST(ConvexHullOrder, GeodesicSpheresKeepTheirFaceOrder) {
  std::vector<uint64_t> got;
  for (int frequency = 1; frequency <= 30; ++frequency) {
    got.push_back(HashOfHull(PointsOf(*corvia::symtest::MakeGeodesicModel(frequency))));
  }
  ExpectHashes("geodesic", got,
               {
                   0xf3739750b1517591ull, 0x413d6bbdaef46931ull, 0x1dcdf7f0f94ea759ull, 0x4d05a85976ecd1f6ull,
                   0x37529c8760a4f10eull, 0xc765d048cb8ca2cfull, 0x9cc9b458b978e4b8ull, 0xf0f55aa7e530bae2ull,
                   0x864d4b0f5006148full, 0x86d87aa42319d164ull, 0xd679235936085b2aull, 0xfaf87d5b63443324ull,
                   0xe9d34e9545af5cb2ull, 0x5a891b7605376470ull, 0x11e3107d57edcbe6ull, 0xc4181946edc37d1dull,
                   0xaa7fad15d78103e0ull, 0x87cbb4a3a52d26aeull, 0x1eb75b62bcf4baf0ull, 0x3e7ec764a950a53full,
                   0xef707d0fd626fe09ull, 0x1a7f6b4ba7fbd44dull, 0x9f18fe4fd11a783aull, 0x57992b043d1e7e3full,
                   0x3dc50302cd77ef99ull, 0x180cd9ebc7f8155eull, 0x4209dc540e054b6dull, 0xe9d5ae1f9e8c99e7ull,
                   0xf299ea28c04a2b73ull, 0x6c8ab4fe34e01626ull,
               });
}

TEST(ConvexHullOrder, WatermanPolyhedraKeepTheirFaceOrder) {
  std::vector<uint64_t> got;
  for (int lattice : {corvia::kWatermanEvenLattice, corvia::kWatermanOddLattice, corvia::kWatermanCubicLattice}) {
    for (int root = corvia::kWatermanMinRoot; root <= corvia::kWatermanMaxRoot; ++root) {
      std::unique_ptr<corvia::SimplePoly> poly = corvia::CreateWatermanPoly(lattice, root);
      got.push_back(poly ? HullHash(*poly) : kRefusedMark);
    }
  }
  ExpectHashes("waterman", got,
               {
                   0xed9aba56adf61d6bull, 0x06d2de628488726dull, 0x38ddac897ae35affull, 0x35da084c5630eb0bull,
                   0xcc48ad7c183f7dabull, 0xbfef823a1a20dd6full, 0xa6e624059b90b2dfull, 0xcd29e83da0f967a1ull,
                   0x1ba75910862ea803ull, 0x98077f039f2fbcebull, 0xf87a00f9a2b05d4dull, 0x7e060f1d463b8163ull,
                   0x4e87dc83c639a52bull, 0xceee07a7569142abull, 0x5b3f692af63b225dull, 0x79e35249381c5b9full,
                   0x10fd2a484584030bull, 0x10fd2a484584030bull, 0x29168117685a2937ull, 0xbba8345d481b08dbull,
                   0xf87a00f9a2b05d4dull, 0x123ea4589a96ed6bull, 0x8c5ee2a4d8a23b23ull, 0x0073bd80acb9b949ull,
                   0xe8c5622f9cabffcbull, 0x603c11ff9e74ed9full, 0x603c11ff9e74ed9full, 0x68e1cfd350db950bull,
                   0xe428898d79ea9efdull, 0xf09d2407225c88b7ull,
               });
}

TEST(ConvexHullOrder, RandomCloudsKeepTheirFaceOrder) {
  std::vector<uint64_t> got;
  for (bool onSphere : {true, false}) {
    for (int n : {10, 1000, 100000}) {
      const std::vector<Point> points = RandomCloud(onSphere, n, 4711u + static_cast<unsigned>(n));
      int corners = 0;
      got.push_back(HashOfHull(points, nullptr, &corners));
      // Every point of a sphere is a corner, however close its neighbours.
      if (onSphere) {
        EXPECT_EQ(corners, n);
      }
      if (n < 100000) continue;
      std::vector<int32_t> renumbered(size_t(n), 0);
      for (int i = 0; i < n; ++i) renumbered[size_t(i)] = i;
      std::shuffle(renumbered.begin(), renumbered.end(), std::mt19937(4712u));
      EXPECT_EQ(HashOfHull(points, &renumbered), got.back()) << n << " points renumbered";
    }
  }
  ExpectHashes("random", got,
               {
                   0x0822771166db2d37ull,
                   0x7213565bdc329e74ull,
                   0x1c7ea1ca64886a42ull,
                   0xdb17ed9f90124865ull,
                   0xc97439ad5367a922ull,
                   0x6790897e4c5e892dull,
               });
}

// Flat, straight, coincident and nearly so: what the hull holds and what it refuses.
TEST(ConvexHullOrder, NearlyDegenerateSetsKeepTheirFaceOrderAndRefusals) {
  std::vector<uint64_t> got;
  const std::vector<std::vector<Point>> fixed = {
      {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}, {1, 1, 0}, {0.3, 0.7, 0}},
      {{0, 0, 0}, {1, 1, 1}, {2, 2, 2}, {-3, -3, -3}, {0.5, 0.5, 0.5}},
      {{1, 2, 3}, {1, 2, 3}, {1, 2, 3 + 1e-8}, {1, 2, 3}, {1, 2, 3}},
      {{0, 0, 0}, {0, 0, 0}, {1, 0, 0}, {1, 0, 0}, {0, 1, 0}, {0, 1, 0}},
  };
  for (const std::vector<Point>& points : fixed) got.push_back(HashOfHull(points));
  // A cube's skin on a grid, with its corners and points inside: many coplanar and
  // collinear points.
  std::vector<Point> grid;
  for (int x = -3; x <= 3; ++x) {
    for (int y = -3; y <= 3; ++y) {
      for (int z = -3; z <= 3; ++z) grid.push_back({x / 3.0, y / 3.0, z / 3.0});
    }
  }
  got.push_back(HashOfHull(grid));
  // Slabs, slabs with a point above, needles and cube skins from 1e-3 to 1e-10 thick.
  std::mt19937 random(8191);
  std::uniform_real_distribution<double> unit(-1.0, 1.0);
  uint64_t rounds = kFnvBasis;
  for (int round = 0; round < 480; ++round) {
    const double thickness = std::pow(10.0, -3.0 - static_cast<double>(round % 8));
    const int kind = (round / 8) % 4;
    const int n = 6 + static_cast<int>(random() % 50);
    std::vector<Point> points;
    for (int i = 0; i < n; ++i) {
      Point p{unit(random), unit(random), unit(random)};
      if (kind <= 1) {
        p[2] *= thickness;
      } else if (kind == 2) {
        p[1] *= thickness;
        p[2] *= thickness;
      } else {
        p[random() % 3] = (random() % 2 ? 1.0 : -1.0) * (1.0 + thickness * unit(random));
      }
      points.push_back(p);
    }
    if (kind == 1) points.push_back({0.1, -0.2, 1.0});
    Mix(rounds, HashOfHull(points));
  }
  got.push_back(rounds);
  ExpectHashes("degenerate", got,
               {
                   0x170007d27a96b162ull,
                   0x170007d27a96b162ull,
                   0x170007d27a96b162ull,
                   0x170007d27a96b162ull,
                   0xdd5abb28d75505f2ull,
                   0xae5a934e3afe0231ull,
               });
}

// Points added in an order that follows their places (a sphere sorted along one
// axis, lattice shells row by row) wait on few triangles for long, and points that
// crowd within the tolerance of each other leave all but the first of them out.
std::vector<std::vector<Point>> CoherentAndCrowdedSets() {
  std::vector<std::vector<Point>> sets;
  std::vector<Point> sorted = RandomCloud(true, 5000, 31);
  std::sort(sorted.begin(), sorted.end());
  sets.push_back(sorted);
  for (int n : {6, 8}) {
    std::vector<Point> shell;
    for (int x = -n; x <= n; ++x) {
      for (int y = -n; y <= n; ++y) {
        for (int z = -n; z <= n; ++z) {
          const int r2 = x * x + y * y + z * z;
          if (r2 <= n * n && r2 >= (n - 1) * (n - 1)) shell.push_back({double(x), double(y), double(z)});
        }
      }
    }
    sets.push_back(shell);
  }
  // A ball with its coordinates rounded to quarters: many points fall together.
  std::vector<Point> rounded = RandomCloud(false, 3000, 32);
  for (Point& p : rounded) {
    for (double& c : p) c = std::round(c * 4) / 4;
  }
  sets.push_back(rounded);
  // Chains of points 0.6 tolerances apart at the corners of a tetrahedron: each
  // second point is within the tolerance of a point kept before it, each third
  // only of one left out.
  std::vector<Point> chains;
  const Point corners[4] = {{1, 1, 1}, {1, -1, -1}, {-1, 1, -1}, {-1, -1, 1}};
  for (int step = 0; step < 5; ++step) {
    for (const Point& corner : corners) chains.push_back({corner[0] + step * 0.6e-7, corner[1], corner[2]});
  }
  sets.push_back(chains);
  return sets;
}

TEST(ConvexHullOrder, CoherentAndCrowdedSetsKeepTheirFaceOrder) {
  std::vector<uint64_t> got;
  for (const std::vector<Point>& points : CoherentAndCrowdedSets()) got.push_back(HashOfHull(points));
  ExpectHashes("coherent and crowded", got,
               {0x203d4209207e72e3ull, 0x300c774509ac8051ull, 0xb362bc305652edbaull, 0xca7da667f706120eull,
                0xbf292f0ce1e33d0dull});
}

TEST(ConvexHullOrder, LibraryRecordsKeepTheirFaceOrder) {
  uint64_t hash = kFnvBasis;
  int built = 0;
  for (int i = 0; i < corvia::kNumLibraryEntries; ++i) {
    std::unique_ptr<corvia::SimplePoly> model = corvia::GetLibraryEntry(i)->CreatePoly(false);
    if (!model) continue;
    ++built;
    Mix(hash, HashOfHull(PointsOf(*model)));
  }
  EXPECT_GT(built, 0);
  ExpectHashes("library", {hash},
               {
                   0x10f1059a9242b199ull,
               });
}

}  // namespace
