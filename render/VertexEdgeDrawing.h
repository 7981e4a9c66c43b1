#pragma once
// The vertices of a model as points or spheres, its edges as lines or cylinders, and
// the numbers and labels of its edges, for the base block (0) or the dual block (1).
// Under a morph (m not exactly 1.0) an element is drawn once for each face it belongs
// to, moved by (m - 1) times that face's centre. Everything runs inside a GL section
// of the pane being drawn; while it picks, each vertex and edge is named first.

namespace corvia {

class Poly;

constexpr int kBaseBlock = 0;
constexpr int kDualBlock = 1;

void DrawPolyVertices(Poly* poly, int block, double morph);
void DrawVertexSpheres(Poly* poly, int block, double morph);
// The vertices in the plane of the polygon being drawn for a faceting, larger.
void DrawFacetingVertices(Poly* poly, int block, double morph);
void DrawPolyEdges(Poly* poly, int block, double morph);
void DrawEdgeCylinders(Poly* poly, int block, double morph);
// Edge numbers and edge labels.
void DrawLabels(Poly* poly, int block, double scale, double morph);

}  // namespace corvia
