#pragma once
// What the facet-model and net drawing share with the drawing of one facelet: corner
// positions and normals by drawing mode, and the angle at a corner of a net.

namespace corvia {

// The grey that glue tabs are filled with, on screen and on paper.
constexpr float kTabFillGrey = 0.7f;

class Face3D;
struct Edge3D;

// The corner where the edgelet starts: flat, its unfolded point (z = 0); folded, its
// folded point times the scale; on the model, (its position + offset) times the scale.
void GetFaceletCorner(const Edge3D* edge, int mode, const double* offset, double scale, double* out);
// The facelet's normal by drawing mode: (0, 0, 1) flat, the stored one folded.
void GetFaceletNormal(const Face3D* facelet, int mode, double* out);
// The inside angle of a counter-clockwise outline at a corner, from the edge into it
// and the edge out of it (2D vectors): pi less the counter-clockwise turn, in
// [0, 2 pi); pi when either edge is shorter than 1e-7.
double GetCornerAngle(const double* into, const double* outOf);

}  // namespace corvia
