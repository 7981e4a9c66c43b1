// How a library record becomes a model. A record given by a vertex configuration is
// solved into a PolyTemplate and grown face by face into a temporary Poly; a prism or
// antiprism is made directly; a record with stored or generated coordinates fills a
// SimplePoly through the spring model and goes through CreatePoly. The finished Poly
// then hands out its base or its dual as a SimplePoly and is thrown away.

#include <algorithm>
#include <map>
#include <memory>
#include <utility>
#include <vector>

#include "construction/DerivedModels.h"
#include "construction/LibraryHooks.h"
#include "construction/SpringRelax.h"
#include "core/Messages.h"
#include "core/Tolerances.h"
#include "core/VectorMath.h"
#include "model/LibraryEntry.h"
#include "model/Poly.h"
#include "model/PolyTemplate.h"
#include "symmetry/SimplePoly.h"

namespace corvia {

namespace detail_LibraryBuild {

// Settling runs of a relaxed model before it is given up.
constexpr int kSpringAttempts = 10;

// The spring model read from the text, with every vertex placed at its stored point.
std::unique_ptr<SimplePoly> PlaceAtPoints(const SpringPolyDesc& desc, const double (*points)[3]) {
  auto result = std::make_unique<SimplePoly>(desc.mNumVerts, desc.mNumFaces);
  int i = 0;
  for (SpringVert* v = GetFirstSpringVert(); v && i < desc.mNumVerts; v = static_cast<SpringVert*>(v->mNext), ++i) {
    result->VertAt(i).SetPos(points[i]);
    if (!(v->mFlags & kSpringVertModel) || (v->mFlags & kSpringVertUnreferenced))
      result->VertAt(i).flags |= kSimpleTemp;
  }
  i = 0;
  for (SpringFace* f = GetFirstSpringFace(); f && i < desc.mNumFaces; f = static_cast<SpringFace*>(f->mNext), ++i) {
    SimpleFace& face = result->FaceAt(i);
    face.SetNumVerts(f->mNumSides, f->mWraps);
    for (int k = 0; k < f->mNumSides; ++k) face.SetVertIndex(k, f->mVerts[static_cast<size_t>(k)]->mIndex);
    if (f->mFlags & kSpringFaceNotInResult) face.flags |= kSimpleTemp;
  }
  FreeAllSprings();
  return result;
}

// Turns faces round so that each edge is run one way by one of its two faces and the
// other way by the other, and the faces enclose a positive volume. The face lists of
// the families give every face in ring order (a pyramid's base runs the same way
// round as its sides), which winds the surface inconsistently. A model whose edges do
// not each join two faces, or a one-sided one, keeps its faces as given.
void WindConsistently(SimplePoly& poly) {
  struct Side {
    int face;
    int direction;
  };
  std::map<std::pair<int32_t, int32_t>, std::vector<Side>> edges;
  std::vector<int> faces;
  for (int f = 0; f < poly.NumFaces(); ++f) {
    const SimpleFace& face = poly.FaceAt(f);
    if (face.IsTemp()) continue;
    faces.push_back(f);
    const int n = face.Count();
    for (int k = 0; k < n; ++k) {
      const int32_t a = face.items[static_cast<size_t>(k)];
      const int32_t b = face.items[static_cast<size_t>((k + 1) % n)];
      edges[{std::min(a, b), std::max(a, b)}].push_back({f, a < b ? 1 : -1});
    }
  }
  std::map<int, std::vector<std::pair<int, bool>>> links;
  for (const auto& [ends, sides] : edges) {
    if (sides.size() != 2) return;
    const bool sameWay = sides[0].direction == sides[1].direction;
    links[sides[0].face].push_back({sides[1].face, sameWay});
    links[sides[1].face].push_back({sides[0].face, sameWay});
  }
  std::map<int, int> turn;
  for (int start : faces) {
    if (turn.count(start)) continue;
    turn[start] = 1;
    std::vector<int> queue{start};
    while (!queue.empty()) {
      const int f = queue.back();
      queue.pop_back();
      for (const auto& [other, sameWay] : links[f]) {
        const int wanted = sameWay ? -turn[f] : turn[f];
        const auto found = turn.find(other);
        if (found == turn.end()) {
          turn[other] = wanted;
          queue.push_back(other);
        } else if (found->second != wanted) {
          return;
        }
      }
    }
  }
  auto rewind = [&poly](int f) {
    std::vector<int32_t>& items = poly.FaceAt(f).items;
    if (items.size() > 2) std::reverse(items.begin() + 1, items.end());
  };
  double volume = 0.0;
  for (int f : faces) {
    if (turn[f] < 0) rewind(f);
    const SimpleFace& face = poly.FaceAt(f);
    const double* p0 = poly.VertAt(face.items[0]).pos;
    for (int k = 1; k + 1 < face.Count(); ++k) {
      double cross[3];
      Cross(cross, poly.VertAt(face.items[static_cast<size_t>(k)]).pos,
            poly.VertAt(face.items[static_cast<size_t>(k + 1)]).pos);
      volume += Dot(p0, cross);
    }
  }
  if (volume < -kPointTolerance) {
    for (int f : faces) rewind(f);
  }
}

}  // namespace detail_LibraryBuild

std::unique_ptr<SimplePoly> BuildSpringModel(const char* faceList, const double (*points)[3], int numPoints,
                                             Outcome* why) {
  namespace d = detail_LibraryBuild;
  SpringPolyDesc desc;
  if (!faceList || !CreateFromDesc(desc, faceList)) return nullptr;
  std::unique_ptr<SimplePoly> result;
  if (points && numPoints == desc.mNumVerts) {
    result = d::PlaceAtPoints(desc, points);
  } else {
    const double force = RelaxSpringModel(desc, d::kSpringAttempts);
    if (force > kSpringConvergedForce) {
      // A shape that has not settled has unequal edges: it is no model of the record.
      if (why) {
        *why = Outcome::FailedF(
            "The faces of this model could not be made regular (the springs did not settle: final force %g).", force);
      }
      return nullptr;
    }
    result = std::move(desc.mResult);
  }
  if (result) d::WindConsistently(*result);
  return result;
}

std::unique_ptr<SimplePoly> BuildLibraryEntryModel(LibraryEntry& entry, bool dual, Outcome* why) {
  // The template outlives the Poly, which points at it while it is built.
  PolyTemplate polyTemplate;
  auto poly = std::make_unique<Poly>();
  if (!CreateFromLibraryEntry(poly.get(), &polyTemplate, &entry, false, why)) return nullptr;
  // Models made without a template carry no names yet: they take the record's.
  if (!poly->mLibraryEntry) poly->SetLibraryEntry(&entry);
  return std::unique_ptr<SimplePoly>(
      CreateModel(poly.get(), dual ? kDeriveDual : kDeriveBase, nullptr, nullptr, kViewNone, why));
}

}  // namespace corvia
