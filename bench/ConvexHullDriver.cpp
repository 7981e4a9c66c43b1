// The convex hull as a program of its own, for measuring the whole process next to
// another hull program on the same file.
//
//   convex_hull_driver FILE
//     reads the points of FILE, a text file as Qhull's programs read it (the
//     dimension, 3; the number of points; then the coordinates), computes their hull
//     from the plain coordinates as the program does and prints the number of corners
//     and of faces.
//
//   convex_hull_driver --model FILE
//     the same points made the vertices of a model, as a model file's reader makes
//     them (each point read straight into its vertex), and the hull of the model
//     computed in place (ComputeConvexHull on the SimplePoly, the road of the
//     validity check and the stellation planes): the process holds the model as well
//     as its hull.
//
//   convex_hull_driver --measure OUTPUT PROGRAM ARGUMENT...
//     runs PROGRAM with its standard output into OUTPUT and prints its peak resident
//     memory in kilobytes and its processor time in seconds, user and system, as
//     "max_rss_kb cpu_s exit_status". The program is started from this small
//     process rather than from a large one: the kernel counts into a child's peak
//     the memory of the process it was started from.
//
// It links only the hull's own libraries.

#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "bench/support/HullDriver.h"
#include "symmetry/ConvexHull.h"
#include "symmetry/SimplePoly.h"

namespace {

int HullOfPoints(std::vector<double>& xyz) {
  corvia::PointHull hull;
  std::string refusal;
  if (!corvia::ComputeConvexHull(xyz.data(), xyz.size() / 3, hull, &refusal)) {
    std::fprintf(stderr, "no hull: %s\n", refusal.c_str());
    return 1;
  }
  std::printf("%zu %zu\n", hull.corners.size(), hull.NumFaces());
  return 0;
}

// The model's vertices are read straight from the file, as a model file's reader
// reads them: no list of coordinates is held beside the model.
int HullOfModel(const char* path) {
  auto model = std::make_unique<corvia::SimplePoly>(0, 0);
  if (!corvia::bench::ReadQhullPoints(
          path, [&model](size_t count) { model->Resize(static_cast<int>(count), 0); },
          [&model](size_t i, const double* p) { model->VertAt(static_cast<int>(i)).SetPos(p); })) {
    std::fprintf(stderr, "%s: not a file of 3D points\n", path);
    return 1;
  }
  std::string refusal;
  if (!corvia::ComputeConvexHull(*model, 0, &refusal)) {
    std::fprintf(stderr, "no hull: %s\n", refusal.c_str());
    return 1;
  }
  int corners = 0;
  for (int i = 0; i < model->NumVerts(); ++i) corners += model->VertAt(i).IsTemp() ? 0 : 1;
  std::printf("%d %d\n", corners, model->NumFaces());
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc >= 4 && std::strcmp(argv[1], "--measure") == 0) return corvia::bench::MeasureProcess(argv + 2);
  const bool model = argc == 3 && std::strcmp(argv[1], "--model") == 0;
  if (argc != 2 && !model) {
    std::fprintf(stderr, "usage: %s [--model] FILE | --measure OUTPUT PROGRAM ARGUMENT...\n", argv[0]);
    return 2;
  }
  const char* path = argv[argc - 1];
  if (model) return HullOfModel(path);
  std::vector<double> xyz;
  if (!corvia::bench::ReadQhullPoints(path, xyz)) {
    std::fprintf(stderr, "%s: not a file of 3D points\n", path);
    return 1;
  }
  return HullOfPoints(xyz);
}
