#pragma once
// One face of a model; it is also a vertex of the dual model, at the pole of its plane.

#include <cstdint>

#include "model/PolyElement.h"

namespace corvia {

class TemplatePolygon;
struct PolygonVertex;

class Face : public PolyElement {
 public:
  // Appended to the model's face list; the first one made becomes the base block's
  // current element. A face description record gives density, identity and colour.
  Face(Poly* poly, const TemplatePolygon* record, int numSides);
  ~Face() override;

  // The record's circumradius, else the largest distance of a corner from mCentre.
  double GetRadius() const override;
  bool IsDensityOne() const override;
  bool IsVertex() const override { return false; }
  bool IsFace() const override { return true; }

  // ---- Face outlines (FaceOutline.cpp) ----
  // The face diagram of the face's type from the outlines of its coplanar ring; only
  // for a type without a mirror partner type and a face not at infinity.
  void BuildFaceDiagram();
  // The face at scale s truncated by the planes of its corners' dual elements at
  // scale t, in the face's 2D frame; null when nothing is left.
  PolygonVertex* CreateMorphPolygon(double s, double t) const;
  // The same cut outline for every member of the coplanar ring, drawn into the face
  // type's morph diagram (see BuildTypeMorphDiagram).
  void BuildMorphDiagram(double s, double t);
  // This face and face1 meet along the edge from previous to vertex; next is the face
  // after this one round the vertex. See the free FollowEdgeLine.
  bool FollowEdgeLine(double* out, PolyElement* previous, PolyElement* face1, PolyElement* vertex, PolyElement* next);
  // ---- end face outlines ----

  // First, in the 4 bytes the element's part leaves after its last field.
  int32_t mRecordWord = 0;
  const TemplatePolygon* mRecord;
};
// A large model holds hundreds of thousands of these.
static_assert(sizeof(Face) <= 320, "a face record takes 320 bytes at most");

}  // namespace corvia
