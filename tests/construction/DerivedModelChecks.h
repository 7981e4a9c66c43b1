#pragma once
// What the derived-model tests measure of a plain model: it is made a full model the
// way the program makes every model (CreatePoly: symmetry, face types, edges), and its
// counts, face kinds, group and edge lengths are read back from the base copy.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <map>
#include <memory>
#include <string>

#include "construction/DerivedModels.h"
#include "core/VectorMath.h"
#include "model/CreatePoly.h"
#include "model/Poly.h"
#include "model/PolyTemplate.h"
#include "symmetry/SimplePoly.h"
#include "symmetry/SymGroup.h"

namespace corvia::testing {

// A model grown from a vertex configuration, as the library builds its uniform ones.
struct TemplateModel {
  explicit TemplateModel(const char* configuration)
      : built(polyTemplate.Parse(configuration, nullptr) && poly.Build(&polyTemplate, 0)) {}
  PolyTemplate polyTemplate;
  Poly poly;
  bool built;
};

struct ModelFigures {
  bool made = false;
  int verts = 0;
  int edges = 0;
  int faces = 0;
  std::map<int, int> faceKinds;  // sides -> count
  std::string group;
  int parts = 0;
  double shortestEdge = 0.0;
  double longestEdge = 0.0;

  bool EqualEdges(double tolerance = 1e-9) const {
    return made && longestEdge > 0.0 && (longestEdge - shortestEdge) / longestEdge < tolerance;
  }
};

// Makes the plain model a full model and reads back what it is.
inline ModelFigures Measure(const SimplePoly& simple) {
  ModelFigures figures;
  std::unique_ptr<SimplePoly> copy = simple.CopyWithNames();
  Poly poly;
  if (!CreatePoly(*copy, &poly, true, false)) return figures;
  std::unique_ptr<SimplePoly> base(CreateSimplePoly(&poly, kDeriveBase, nullptr, nullptr));
  if (!base) return figures;
  figures.made = true;
  figures.verts = base->NumVerts();
  figures.faces = base->NumFaces();
  figures.edges = base->NumEdges();
  for (int f = 0; f < base->NumFaces(); ++f) ++figures.faceKinds[base->FaceAt(f).Count()];
  figures.group = SymGroup::GetSchoenflies(poly.mSymGroup);
  figures.parts = poly.CountCompoundParts();
  figures.shortestEdge = 1e300;
  for (int e = 0; e < base->NumEdges(); ++e) {
    const SimpleEdge& edge = base->EdgeAt(e);
    double d[3];
    Subtract(d, base->VertAt(edge.endA).pos, base->VertAt(edge.endB).pos);
    const double length = std::sqrt(Dot(d, d));
    figures.shortestEdge = std::min(figures.shortestEdge, length);
    figures.longestEdge = std::max(figures.longestEdge, length);
  }
  return figures;
}

inline ModelFigures Measure(const SimplePoly* simple) {
  if (!simple) return ModelFigures();
  return Measure(*simple);
}

}  // namespace corvia::testing
