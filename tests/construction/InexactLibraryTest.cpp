// Every library record and the geodesic spheres of frequency 1 to 8, written out as
// other programs write models (vertices and faces) and as this program writes them
// (with the faces round each vertex in order), their coordinates rounded to 6 or 8
// decimals or moved by up to 0.3 of the symmetry tolerance, and built through the
// model-entry road: each comes back with the group of the exact model and without an
// internal error. Moved by several times the tolerance, each still builds, with some
// group and without an internal error.
//
// The normal run takes one seeded round of each kind for a fixed sample of the models;
// CORVIA_INEXACT_TRIALS=<n> runs n rounds (seeds 1 .. n) over every model.

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <cstdlib>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "construction/DerivedModels.h"
#include "construction/Library.h"
#include "model/CreatePoly.h"
#include "model/LibraryEntry.h"
#include "model/Poly.h"
#include "model/PolyElement.h"
#include "model/PolyTemplate.h"
#include "model/Subdivision.h"
#include "symmetry/SimplePoly.h"
#include "symmetry/SymGroup.h"
#include "tests/support/TestSupport.h"

namespace test_InexactLibrary {

using Point = std::array<double, 3>;

constexpr int kIcosahedron = 4;
constexpr int kMaxFrequency = 8;
// The great disnub dirhombidodecahedron: faces meet four at some of its edges. From
// plain vertex and face lists the topology pass chooses which faces continue which
// across those edges, and the surface it makes need not have the mirror of the points
// (the model then has the rotations only, I instead of Ih).
constexpr int kFourFacesAtAnEdge = 75;
// The normal run's sample: every tenth record, and the records of every kind that
// the noise found hard (faces through the centre, coincident vertices and faces, four
// faces at an edge, coplanar faces of the toroids).
constexpr int kSampleStep = 10;
const int kHardRecords[] = {22, 47, 74, kFourFacesAtAnEdge, 98, 102, 103, 104, 224, 236, 239, 240};

// A model as a file holds it.
struct PlainModel {
  std::string name;
  int record = -1;
  std::string group;
  std::vector<Point> points;
  std::vector<std::vector<int32_t>> faces;
  std::vector<std::vector<int32_t>> rings;  // the faces round each vertex, in order
};

PlainModel Export(const std::string& name, int record, const corvia::Poly& poly) {
  PlainModel out;
  out.name = name;
  out.record = record;
  out.group = corvia::SymGroup::GetSchoenflies(poly.mSymGroup);
  for (const corvia::PolyElement* v = poly.mVertices.mHead; v; v = v->mNext) {
    out.points.push_back({v->mDualVert[0], v->mDualVert[1], v->mDualVert[2]});
    std::vector<int32_t> ring;
    for (int i = 0; i < v->mNumSides; ++i) ring.push_back(v->GetCorner(i)->GetIndex());
    out.rings.push_back(ring);
  }
  for (const corvia::PolyElement* f = poly.mFaces.mHead; f; f = f->mNext) {
    std::vector<int32_t> corners;
    for (int i = 0; i < f->mNumSides; ++i) corners.push_back(f->GetCorner(i)->GetIndex());
    out.faces.push_back(corners);
  }
  return out;
}

std::vector<PlainModel> Models(bool everyModel) {
  std::vector<PlainModel> models;
  auto wanted = [everyModel](int i) {
    if (everyModel || i % kSampleStep == 0) return true;
    for (int hard : kHardRecords) {
      if (hard == i) return true;
    }
    return false;
  };
  std::unique_ptr<corvia::Poly> icosahedron;
  for (int i = 0; i < corvia::kNumLibraryEntries; ++i) {
    corvia::LibraryEntry* entry = corvia::GetLibraryEntry(i);
    auto poly = std::make_unique<corvia::Poly>();
    corvia::PolyTemplate polyTemplate;
    corvia::testing::Platform().messages.Clear();
    // Records whose data is not built in are refused with their own message.
    if (!CreateFromLibraryEntry(poly.get(), &polyTemplate, entry, false)) continue;
    if (wanted(i)) models.push_back(Export("record " + std::to_string(i) + " (" + entry->mName + ")", i, *poly));
    if (i == kIcosahedron) icosahedron = std::move(poly);
  }
  for (int f = 1; icosahedron && f <= kMaxFrequency; ++f) {
    std::unique_ptr<corvia::SimplePoly> simple = icosahedron->Subdivide(corvia::kSubdivideGeodesic, f);
    corvia::Poly sphere;
    if (simple && CreatePoly(*simple, &sphere, false, false)) {
      models.push_back(Export("geodesic sphere f" + std::to_string(f), -1, sphere));
    }
  }
  corvia::testing::Platform().messages.Clear();
  return models;
}

// Vertices that share a point in the model are one point of the file: they are moved
// together.
std::vector<Point> Moved(const std::vector<Point>& points, double amount, unsigned seed) {
  std::mt19937 random(seed);
  std::uniform_real_distribution<double> move(-amount, amount);
  std::vector<Point> moved = points;
  for (size_t i = 0; i < points.size(); ++i) {
    size_t same = i;
    for (size_t j = 0; j < i && same == i; ++j) {
      bool near = true;
      for (int k = 0; k < 3; ++k)
        near = near && std::fabs(points[i][k] - points[j][k]) <= corvia::kCoincidentVertexTolerance;
      if (near) same = j;
    }
    if (same != i) {
      for (int k = 0; k < 3; ++k) moved[i][k] = points[i][k] + (moved[same][k] - points[same][k]);
    } else {
      for (int k = 0; k < 3; ++k) moved[i][k] = points[i][k] + move(random);
    }
  }
  return moved;
}

std::vector<Point> Rounded(const std::vector<Point>& points, int decimals) {
  const double scale = std::pow(10.0, decimals);
  std::vector<Point> rounded = points;
  for (Point& p : rounded) {
    for (double& c : p) c = std::round(c * scale) / scale;
  }
  return rounded;
}

std::unique_ptr<corvia::SimplePoly> Plain(const PlainModel& model, const std::vector<Point>& points, bool withRings) {
  auto poly =
      std::make_unique<corvia::SimplePoly>(static_cast<int>(points.size()), static_cast<int>(model.faces.size()));
  for (size_t i = 0; i < points.size(); ++i) poly->VertAt(static_cast<int>(i)).SetPos(points[i].data());
  for (size_t f = 0; f < model.faces.size(); ++f) {
    corvia::SimpleFace& face = poly->FaceAt(static_cast<int>(f));
    face.SetNumVerts(static_cast<int>(model.faces[f].size()));
    for (size_t k = 0; k < model.faces[f].size(); ++k) face.SetVertIndex(static_cast<int>(k), model.faces[f][k]);
  }
  if (withRings) {
    for (size_t v = 0; v < model.rings.size(); ++v) poly->VertAt(static_cast<int>(v)).items = model.rings[v];
    poly->flags |= corvia::kSimpleHasVertFaceLists | corvia::kSimpleSortedFaceLists;
  }
  return poly;
}

// Builds one variant; a problem is written into `problems`.
void Check(const PlainModel& model, const std::vector<Point>& points, const std::string& variant, bool sameGroup,
           std::vector<std::string>& problems) {
  auto& messages = corvia::testing::Platform().messages;
  for (bool withRings : {false, true}) {
    const std::string what = model.name + ", " + variant + (withRings ? ", with vertex rings" : ", plain");
    messages.Clear();
    corvia::Poly poly;
    if (!CreatePoly(*Plain(model, points, withRings), &poly, false, false)) {
      problems.push_back(what + ": not built");
      continue;
    }
    for (const auto& box : messages.Boxes()) problems.push_back(what + ": [" + box.title + "] " + box.text);
    const std::string group = corvia::SymGroup::GetSchoenflies(poly.mSymGroup);
    const bool chiralOnPlainRoad = !withRings && model.record == kFourFacesAtAnEdge && group == "I";
    if (sameGroup && group != model.group && !chiralOnPlainRoad) {
      problems.push_back(what + ": " + group + " instead of " + model.group);
    }
  }
  messages.Clear();
}

int Trials() {
  const char* text = std::getenv("CORVIA_INEXACT_TRIALS");
  return text ? std::max(1, std::atoi(text)) : 0;
}

std::string List(const std::vector<std::string>& problems) {
  std::string text;
  for (const std::string& p : problems) text += p + "\n";
  return text;
}

TEST(InexactLibrary, ErrorsBelowTheToleranceKeepEveryModelsGroup) {
  const int trials = Trials();
  const std::vector<PlainModel> models = Models(trials > 0);
  ASSERT_GT(models.size(), size_t(trials > 0 ? 230 : 35));
  std::vector<std::string> problems;
  for (const PlainModel& model : models) {
    for (int decimals : {6, 8}) {
      Check(model, Rounded(model.points, decimals), std::to_string(decimals) + " decimals", true, problems);
    }
    for (int seed = 1; seed <= std::max(trials, 1); ++seed) {
      const double amount = 0.3 * corvia::kSymmetryTolerance;
      Check(model, Moved(model.points, amount, static_cast<unsigned>(seed)),
            "moved 0.3 tolerance, seed " + std::to_string(seed), true, problems);
    }
  }
  EXPECT_TRUE(problems.empty()) << problems.size() << " problems:\n" << List(problems);
}

TEST(InexactLibrary, ErrorsAboveTheToleranceGiveSomeGroupWithoutAnInternalError) {
  const int trials = Trials();
  const std::vector<PlainModel> models = Models(trials > 0);
  std::vector<std::string> problems;
  for (const PlainModel& model : models) {
    for (int seed = 1; seed <= std::max(trials, 1); ++seed) {
      for (double times : {3.0, 30.0}) {
        Check(model, Moved(model.points, times * corvia::kSymmetryTolerance, static_cast<unsigned>(seed)),
              "moved " + std::to_string(static_cast<int>(times)) + " tolerances, seed " + std::to_string(seed), false,
              problems);
      }
    }
  }
  EXPECT_TRUE(problems.empty()) << problems.size() << " problems:\n" << List(problems);
}

}  // namespace test_InexactLibrary
