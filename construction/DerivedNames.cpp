#include "construction/DerivedNames.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "construction/Library.h"
#include "construction/ModelLookup.h"
#include "construction/QuietMessages.h"
#include "core/Progress.h"
#include "model/CreatePoly.h"
#include "model/LibraryEntry.h"
#include "model/Poly.h"
#include "symmetry/SimplePoly.h"

namespace corvia {

namespace detail_DerivedNames {

// Relative to the model's largest vertex distance: the library's spring-built models
// are regular to about this.
constexpr double kShapeTolerance = 1e-4;

// What a model is up to size, rotations and reflections: the distances between its
// vertices, the lengths of its edges (both sorted, relative to the largest distance)
// and the side counts of its faces.
struct Shape {
  std::vector<double> distances;
  std::vector<double> edges;
  std::vector<int> sides;
};

double Length(const double* a, const double* b) {
  const double d[3] = {a[0] - b[0], a[1] - b[1], a[2] - b[2]};
  return std::sqrt(d[0] * d[0] + d[1] * d[1] + d[2] * d[2]);
}

Shape ShapeOf(const SimplePoly& model) {
  Shape shape;
  std::vector<const double*> points;
  for (int i = 0; i < model.NumVerts(); ++i) {
    if (!model.VertAt(i).IsTemp()) points.push_back(model.VertAt(i).pos);
  }
  for (size_t i = 0; i < points.size(); ++i) {
    for (size_t j = i + 1; j < points.size(); ++j) shape.distances.push_back(Length(points[i], points[j]));
  }
  std::vector<std::pair<int32_t, int32_t>> pairs;
  for (int f = 0; f < model.NumFaces(); ++f) {
    const SimpleFace& face = model.FaceAt(f);
    if (face.IsTemp()) continue;
    shape.sides.push_back(face.Count());
    for (int k = 0; k < face.Count(); ++k) {
      const int32_t a = face.items[static_cast<size_t>(k)];
      const int32_t b = face.items[static_cast<size_t>((k + 1) % face.Count())];
      pairs.emplace_back(std::min(a, b), std::max(a, b));
    }
  }
  std::sort(pairs.begin(), pairs.end());
  pairs.erase(std::unique(pairs.begin(), pairs.end()), pairs.end());
  for (const auto& [a, b] : pairs) {
    if (a < 0 || b < 0 || a >= model.NumVerts() || b >= model.NumVerts()) continue;
    shape.edges.push_back(Length(model.VertAt(a).pos, model.VertAt(b).pos));
  }
  std::sort(shape.distances.begin(), shape.distances.end());
  std::sort(shape.edges.begin(), shape.edges.end());
  std::sort(shape.sides.begin(), shape.sides.end());
  const double largest = shape.distances.empty() ? 0.0 : shape.distances.back();
  if (largest > 0.0) {
    for (double& d : shape.distances) d /= largest;
    for (double& e : shape.edges) e /= largest;
  }
  return shape;
}

bool Near(const std::vector<double>& a, const std::vector<double>& b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    if (std::fabs(a[i] - b[i]) > kShapeTolerance) return false;
  }
  return true;
}

bool SameShape(const Shape& a, const Shape& b) {
  return a.sides == b.sides && Near(a.edges, b.edges) && Near(a.distances, b.distances);
}

}  // namespace detail_DerivedNames

LibraryEntry* FindLibraryModel(const SimplePoly& model, bool* isDual) {
  namespace d = detail_DerivedNames;
  if (isDual) *isDual = false;
  int faces = 0, verts = 0, corners = 0;
  for (int f = 0; f < model.NumFaces(); ++f) {
    if (model.FaceAt(f).IsTemp()) continue;
    ++faces;
    corners += model.FaceAt(f).Count();
  }
  for (int v = 0; v < model.NumVerts(); ++v) verts += model.VertAt(v).IsTemp() ? 0 : 1;
  if (faces == 0 || verts == 0) return nullptr;
  // The entries of the same counts (a closed surface has half as many edges as face
  // corners); the shape, whose cost grows with the square of the vertices, only when
  // there is one.
  std::vector<std::pair<LibraryEntry*, bool>> candidates;
  for (int i = 0; i < GetNumLibraryEntries(); ++i) {
    LibraryEntry* entry = GetLibraryEntry(i);
    if (!entry || entry->IsParametric() || entry->IsUserRecord() || entry->mNumCells > 0) continue;
    for (const bool dual : {false, true}) {
      if (dual && entry->GetDualName().empty()) continue;
      if (entry->GetNumFaces(dual) == faces && entry->GetNumVerts(dual) == verts &&
          2 * entry->GetNumEdges(dual) == corners) {
        candidates.emplace_back(entry, dual);
      }
    }
  }
  if (candidates.empty()) return nullptr;
  const d::Shape shape = d::ShapeOf(model);
  // The library's models are built without a word to the user: one that cannot be
  // built is simply no match.
  QuietMessages quiet;
  // A cancel pressed while a candidate is built ends the search (the caller asks).
  const int cancels = GetProgressCancelCount();
  for (const auto& [entry, dual] : candidates) {
    if (!entry->IsAvailable()) continue;
    std::unique_ptr<SimplePoly> candidate = entry->CreatePoly(dual);
    if (GetProgressCancelCount() != cancels) return nullptr;
    if (!candidate || !d::SameShape(d::ShapeOf(*candidate), shape)) continue;
    if (isDual) *isDual = dual;
    return entry;
  }
  return nullptr;
}

LibraryEntry* NameAsLibraryModel(SimplePoly& simple) {
  bool dual = false;
  LibraryEntry* entry = FindLibraryModel(simple, &dual);
  if (!entry) return nullptr;
  const std::string name = entry->mName ? entry->mName : "";
  const std::string dualName = entry->GetDualName();
  simple.name = dual ? dualName : name;
  simple.dualName = dual ? name : dualName;
  return dual ? nullptr : entry;
}

}  // namespace corvia
