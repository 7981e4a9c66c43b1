#pragma once
// One face of a model; it is also a vertex of the dual model, at the pole of its plane.

#include <cstdint>

#include "model/PolyElement.h"

namespace corvia {

class TemplatePolygon;

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

  const TemplatePolygon* mRecord;
  int32_t mRecordWord = 0;
};

}  // namespace corvia
