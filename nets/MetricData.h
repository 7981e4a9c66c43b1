#pragma once
// The metric data file: the measurements a model builder needs to cut and join the
// pieces of the shown polyhedron or stellation, as a plain text file: counts,
// radii, and for each facelet type its area and, edge by edge, the edge it joins,
// its length, dihedral and mitre angles and the face angle at its end. Lengths are
// in the user's length scale, angles in the user's angle unit.

#include "core/Outcome.h"

namespace corvia {

class Model3D;

// Writes the file for the facet model; nothing for a null model. The file is
// written beside its name and takes its place only when complete; when it cannot
// be written the failure "Couldn't open '%s' for writing" names it, and an existing
// file of that name stays as it was.
Outcome WriteMetricDataFile(Model3D* model, const char* fileName, const char* headerText);

// The interior angle of a polygon at p1 between the edges p0-p1 and p1-p2 (2D
// points), in 0 to 2 pi, measured on the left of the edges (counter-clockwise
// polygons: the inside); 0 turn when an edge has no length.
double GetPolygonCornerAngle(const double* p0, const double* p1, const double* p2);

}  // namespace corvia
