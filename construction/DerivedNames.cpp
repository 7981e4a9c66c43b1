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
#include "core/VectorMath.h"
#include "model/CreatePoly.h"
#include "model/LibraryEntry.h"
#include "model/Poly.h"
#include "stellation/SimpleFaceting.h"
#include "symmetry/SimplePoly.h"

namespace corvia {

namespace detail_DerivedNames {

// Relative to the model's largest vertex distance: the library's spring-built models
// are regular to about this.
constexpr double kShapeTolerance = 1e-4;
// Relative to the same: corners this close are one point of the model.
constexpr double kSamePointTolerance = 1e-6;

// What a model is up to size, rotations and reflections, and what its name claims:
// its points (coinciding corners counted once), the distances between them, the
// lengths of its edges, each face's side count and winding (a pentagram winds twice
// where a pentagon winds once), and the distances of the face planes from the centre;
// lengths relative to the largest distance between points.
struct Shape {
  int points = 0;
  std::vector<double> distances;
  std::vector<double> edges;
  std::vector<std::pair<int, int>> sidesAndWindings;
  std::vector<double> planes;
};

double Length(const double* a, const double* b) {
  const double d[3] = {a[0] - b[0], a[1] - b[1], a[2] - b[2]};
  return std::sqrt(d[0] * d[0] + d[1] * d[1] + d[2] * d[2]);
}

// How many times the face's outline winds round its centroid, and the distance of its
// plane from the centre, in the model's own units.
void FaceWindingAndPlane(const SimplePoly& model, const SimpleFace& face, const double* centre, int* winding,
                         double* plane) {
  const int n = face.Count();
  double normal[3] = {0.0, 0.0, 0.0};
  double centroid[3] = {0.0, 0.0, 0.0};
  for (int k = 0; k < n; ++k) {
    const double* a = model.VertAt(face.items[static_cast<size_t>(k)]).pos;
    const double* b = model.VertAt(face.items[static_cast<size_t>((k + 1) % n)]).pos;
    double c[3];
    Cross(c, a, b);
    AddTo(normal, c);
    AddTo(centroid, a);
  }
  Divide(centroid, centroid, n);
  const double area = std::sqrt(Dot(normal, normal));
  *winding = 0;
  *plane = 0.0;
  if (!(area > 0.0)) return;
  Divide(normal, normal, area);
  double turned = 0.0;
  for (int k = 0; k < n; ++k) {
    double u[3], v[3], c[3];
    Subtract(u, model.VertAt(face.items[static_cast<size_t>(k)]).pos, centroid);
    Subtract(v, model.VertAt(face.items[static_cast<size_t>((k + 1) % n)]).pos, centroid);
    Cross(c, u, v);
    turned += std::atan2(Dot(c, normal), Dot(u, v));
  }
  *winding = static_cast<int>(std::lround(std::fabs(turned) / (2.0 * M_PI)));
  double offset[3];
  Subtract(offset, centroid, centre);
  *plane = std::fabs(Dot(offset, normal));
}

Shape ShapeOf(const SimplePoly& model) {
  Shape shape;
  double extent = 0.0;
  for (int i = 0; i < model.NumVerts(); ++i) {
    if (model.VertAt(i).IsTemp()) continue;
    for (int k = 0; k < 3; ++k) extent = std::max(extent, std::fabs(model.VertAt(i).pos[k]));
  }
  // Coinciding corners are one point, and the edges between them one edge.
  std::vector<const double*> points;
  std::vector<int32_t> pointOf(static_cast<size_t>(model.NumVerts()), -1);
  const double same = kSamePointTolerance * (extent > 0.0 ? extent : 1.0);
  for (int i = 0; i < model.NumVerts(); ++i) {
    if (model.VertAt(i).IsTemp()) continue;
    const double* p = model.VertAt(i).pos;
    size_t k = 0;
    while (k < points.size() && Length(points[k], p) > same) ++k;
    if (k == points.size()) points.push_back(p);
    pointOf[static_cast<size_t>(i)] = static_cast<int32_t>(k);
  }
  shape.points = static_cast<int>(points.size());
  double centre[3] = {0.0, 0.0, 0.0};
  for (const double* p : points) AddTo(centre, p);
  if (!points.empty()) Divide(centre, centre, static_cast<double>(points.size()));
  for (size_t i = 0; i < points.size(); ++i) {
    for (size_t j = i + 1; j < points.size(); ++j) shape.distances.push_back(Length(points[i], points[j]));
  }
  std::vector<std::pair<int32_t, int32_t>> pairs;
  for (int f = 0; f < model.NumFaces(); ++f) {
    const SimpleFace& face = model.FaceAt(f);
    if (face.IsTemp()) continue;
    int winding = 0;
    double plane = 0.0;
    FaceWindingAndPlane(model, face, centre, &winding, &plane);
    shape.sidesAndWindings.emplace_back(face.Count(), winding);
    shape.planes.push_back(plane);
    for (int k = 0; k < face.Count(); ++k) {
      const int32_t a = face.items[static_cast<size_t>(k)];
      const int32_t b = face.items[static_cast<size_t>((k + 1) % face.Count())];
      if (a < 0 || b < 0 || a >= model.NumVerts() || b >= model.NumVerts()) continue;
      const int32_t pa = pointOf[static_cast<size_t>(a)];
      const int32_t pb = pointOf[static_cast<size_t>(b)];
      if (pa >= 0 && pb >= 0) pairs.emplace_back(std::min(pa, pb), std::max(pa, pb));
    }
  }
  std::sort(pairs.begin(), pairs.end());
  pairs.erase(std::unique(pairs.begin(), pairs.end()), pairs.end());
  for (const auto& [a, b] : pairs) shape.edges.push_back(Length(points[static_cast<size_t>(a)], points[static_cast<size_t>(b)]));
  std::sort(shape.distances.begin(), shape.distances.end());
  std::sort(shape.edges.begin(), shape.edges.end());
  std::sort(shape.sidesAndWindings.begin(), shape.sidesAndWindings.end());
  std::sort(shape.planes.begin(), shape.planes.end());
  const double largest = shape.distances.empty() ? 0.0 : shape.distances.back();
  if (largest > 0.0) {
    for (std::vector<double>* lengths : {&shape.distances, &shape.edges, &shape.planes}) {
      for (double& d : *lengths) d /= largest;
    }
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
  return a.points == b.points && a.sidesAndWindings == b.sidesAndWindings && Near(a.edges, b.edges) &&
         Near(a.planes, b.planes) && Near(a.distances, b.distances);
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
  // The entries of as many faces and edges (a closed surface has half as many edges as
  // face corners); their vertices may count coinciding corners apart, so the points are
  // compared with the shape, whose cost grows with the square of the vertices, built
  // only for those. An entry's own model is named before a dual of the same shape.
  std::vector<std::pair<LibraryEntry*, bool>> candidates;
  for (const bool dual : {false, true}) {
    for (int i = 0; i < GetNumLibraryEntries(); ++i) {
      LibraryEntry* entry = GetLibraryEntry(i);
      if (!entry || entry->IsParametric() || entry->IsUserRecord() || entry->mNumCells > 0) continue;
      if (dual && entry->GetDualName().empty()) continue;
      if (entry->GetNumFaces(dual) == faces && 2 * entry->GetNumEdges(dual) == corners) {
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

LibraryEntry* NameAsLibraryModel(SimplePoly& simple, bool* isDual) {
  bool dual = false;
  if (isDual) *isDual = false;
  LibraryEntry* entry = FindLibraryModel(simple, &dual);
  if (!entry) return nullptr;
  const std::string name = entry->mName ? entry->mName : "";
  const std::string dualName = entry->GetDualName();
  simple.name = dual ? dualName : name;
  simple.dualName = dual ? name : dualName;
  if (isDual) *isDual = dual;
  return dual && !isDual ? nullptr : entry;
}

std::string NameOfDrawnFaceting(Poly* model) {
  if (!model || !model->mDrawnPolygons) return {};
  std::unique_ptr<SimplePoly> faceted(CreateSimpleFacetedPolyhedron(model, kFacetedQuiet, nullptr));
  bool dual = false;
  return faceted && NameAsLibraryModel(*faceted, &dual) ? faceted->name : std::string();
}

LibraryEntry* FindLibraryEntryOfNamedDual(const SimplePoly& model) {
  if (model.name.empty()) return nullptr;
  LibraryEntry* named = nullptr;
  for (int i = 0; i < GetNumLibraryEntries() && !named; ++i) {
    LibraryEntry* entry = GetLibraryEntry(i);
    if (entry && !entry->IsUserRecord() && !entry->GetDualName().empty() && entry->MatchesDualName(model.name.c_str()))
      named = entry;
  }
  if (!named) return nullptr;
  bool dual = false;
  return FindLibraryModel(model, &dual) == named && dual ? named : nullptr;
}

CompoundPartName NameAsCompoundPart(const SimplePoly& model) {
  CompoundPartName part;
  int corners = 0;
  for (int f = 0; f < model.NumFaces(); ++f) {
    if (model.FaceAt(f).IsTemp()) continue;
    ++part.mNumFaces;
    corners += model.FaceAt(f).Count();
  }
  for (int v = 0; v < model.NumVerts(); ++v) part.mNumVertices += model.VertAt(v).IsTemp() ? 0 : 1;
  // A closed surface has half as many edges as face corners.
  part.mNumEdges = corners / 2;
  part.mName = model.name;
  part.mDualName = model.dualName;
  return part;
}

std::optional<CompoundPartName> FindCompoundPartName(const std::vector<CompoundPartName>& parts,
                                                     const SimplePoly& model, bool dual) {
  CompoundPartName counts = NameAsCompoundPart(model);
  if (dual) std::swap(counts.mNumFaces, counts.mNumVertices);
  std::optional<CompoundPartName> found;
  for (const CompoundPartName& part : parts) {
    if (part.mNumFaces != counts.mNumFaces || part.mNumVertices != counts.mNumVertices ||
        part.mNumEdges != counts.mNumEdges)
      continue;
    if (found && (found->mName != part.mName || found->mDualName != part.mDualName)) return std::nullopt;
    found = part;
  }
  if (!found) return std::nullopt;
  if (dual) std::swap(found->mName, found->mDualName);
  if (found->mName.empty()) return std::nullopt;
  return found;
}

}  // namespace corvia
