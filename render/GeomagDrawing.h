#pragma once
// The construction-toy display style as the model drawing needs it: a face drawn as
// one kit panel with its rods and balls, and a rod between two points.

namespace corvia {

// The face of `sides` corners (three doubles each, in order round the face) with its
// unit normal, as a panel in the colour.
void DrawGeomagModel(int sides, const double* corners, const double* normal, const float* colour);
// A rod from `from` to `to` of the radius, shortened by trim at each end.
void DrawGeomagRod(const double* from, const double* to, const float* colour, double radius, double trim);

}  // namespace corvia
