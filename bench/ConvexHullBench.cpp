// Convex hulls of random point clouds: points on the unit sphere (every point is a
// corner) and in the unit ball (most points fall inside), from 1,000 to 1,000,000
// points, computed from their plain coordinates as the program does. The complexity
// report fits the times against n log n.
//
// Besides the times, each case reports:
//   corners     the points that are corners of the hull (on the sphere, all of them);
//   hull_s      the least processor time of one hull, in seconds;
//   peak_MB     the most heap the hull held at once beyond what was held before it,
//               its result included (counted by this program's own operator new).
//
// HullProcess/road:R/points:P/n:N runs the hull as a program of its own
// (convex_hull_driver, next to this one) on a Qhull text file of the points and, when
// Qhull's qconvex is on the PATH (Debian package qhull-bin; not a dependency of the
// project), qconvex on the same file, the two in turn, three times. The points P: 0 N
// in the unit ball, 1 N on the unit sphere, 2 the 100,002 corners of the geodesic
// sphere of 200,000 faces. The road R: 0 the hull of the plain coordinates; 1 the
// hull of a model whose vertices they are, computed in place (the road of the
// validity check and the stellation planes: the process holds the model too). Each
// run's peak resident memory and processor time are those the kernel gives for the
// process (wait4), reading the file included. It reports, the least of the three runs
// each:
//   ours_MiB, ours_s          the driver's peak resident memory and processor time;
//   qconvex_MiB, qconvex_s    qconvex's;
//   memory_ratio, time_ratio  ours over qconvex's: 1 or less is no bigger, no slower.
// Without qconvex the last four are left out.
//
// CreateConvexHullCommand runs Poly > Create Convex Hull on the geodesic sphere of
// 200,000 faces opened from its model file, as a program of its own
// (convex_hull_command_driver: the file opened into the document's model, then the
// command's undo step, hull, name and the new model built as the program builds it),
// and qconvex on the sphere's corners, in turn, three times. It reports, the least of
// the three runs each:
//   command_s, command_MiB    the command's processor time and the most memory it held
//                             beyond what the process held with the model open;
//   process_MiB, process_s    the driver's whole process, the file's opening included;
//   qconvex_MiB, qconvex_s    qconvex's whole process on the corners;
//   memory_ratio, time_ratio  the command's over qconvex's.
//
// Figures (Release build, 8 cores shared with other builds, load 7 to 15 before and
// 17 to 23 after; ours over qconvex's, memory and time):
//   points                road 0 before / after       road 1 before / after
//   ball 100,000          1.05 0.68 / 0.97 0.71       3.12 1.06 / 3.09 1.05
//   sphere 100,000        0.74 0.62 / 0.72 0.60       1.48 0.72 / 1.17 0.71
//   ball 1,000,000        0.90 0.68 / 0.90 0.66       4.04 1.28 / 4.02 1.28
//   sphere 1,000,000      0.67 0.61 / 0.67 0.67       1.33 0.73 / 1.10 0.73
//   geodesic 100,002      0.61 0.43 / 0.62 0.43       1.24 0.52 / 0.98 0.53
//   The sphere of a million keeps 999,979 corners before, all after. Road 1 over a
//   ball holds the model's vertex records (152 bytes each: 145 MiB for a million),
//   which alone exceed qconvex's whole process.
//   CreateConvexHullCommand: before 242 MiB and 4.47 s (qconvex 62 MiB, 0.72 s:
//   3.9 and 6.2 times); after 196 MiB and 4.5 to 4.8 s (3.2 and 5.9 times). The
//   new model alone (its elements, edges, face types and drawing polygons) holds
//   220 MiB of heap, and its symmetry search and set-up take 3.5 s, as they do when
//   the file is opened; the hulls (the command's and the search's) 0.6 s, the undo
//   step 0.45 s.
//   With face frames matched only among the elements at each image's point (load 18
//   to 21): 196 MiB and 5.04 s before, 4.23 s after (qconvex 62 MiB, 0.77 to 0.81 s:
//   3.2 and 5.5 times); the whole process, the file's opening included, 9.1 s before
//   and 7.4 s after. What is left: the symmetry search 1.6 s (its hull 0.5 s, the
//   faces sorted round the vertices 0.35 s), the face-type set-up 1.3 s, the
//   command's hull 0.6 s, the undo step 0.5 s.
//   Profiled (perf, the command's part of the process): the new model's build 66%
//   (the symmetry search 29%, of which its own hull 10% and the sort of faces round
//   the vertices 6%; the face-type set-up 26%; making the faces 10%, nearly all of it
//   the first touch of the new records' memory), the undo step 18%, the command's hull
//   16% (the plain model of the shown side 5%). Its peak is the new model itself:
//   231 MB of heap (the undo step's text 9.8 MB, the hull's plain model 54 MB, let go
//   before the face types are set up), beside the old model's 231 MB.
//   With the mirror search filing each corner of the model once instead of once per
//   face round it (load 9 to 15): 196.1 MiB and 4.85 to 5.03 s before, 191.6 MiB and
//   4.40 to 4.62 s after (qconvex 62.2 MiB, 1.02 to 1.39 s: 3.1 and 3.9 to 4.3 times);
//   the whole process 472 MiB before, 468 MiB after.
//   The command's stages, timed one by one (load 8): the undo step 0.67 s, the hull
//   0.87 s (the plain model of the shown side 0.2 s of it), the new model 2.7 s: the
//   search's hull 0.34 s, its rotations 0.50 s, the faces sorted round the vertices
//   0.32 s (a model opened from its file brings its rings and skips this), the
//   records made 0.42 s, the face-type set-up 0.9 s (the frames of both blocks
//   0.32 s). Road 1 (load 8 to 14 before, 6 to 9 after, the same code both times):
//   ball 3.07 / 3.06 and 4.01 / 4.02 times qconvex's memory, sphere 1.17 / 1.17 and
//   1.10 / 1.10, geodesic 0.98 / 0.99.
//   With faces alone in their planes given their cells without ring bookkeeping and
//   the plain copies' faces and vertex rings made once (load 5 to 7, each build run
//   in turn): 191.6 MiB both, 3.98 s before and 4.10 s after (qconvex 62 MiB, 0.80
//   to 0.94 s): within the noise of the shared machine; those steps' share of the
//   profile fell from 4.7% to 3.5% of the process.
//   With the model writer laying out the element records itself and the undo step's
//   compressed block copied once (load 5 to 7, the driver run alone, seven runs each
//   in turn): the undo step 0.38 s before, 0.24 s after (bench/ModelUndoStepBench);
//   the command 3.61 to 4.37 s before (median 3.99), 3.58 to 4.41 s after (median
//   3.69), 191.6 MiB both (its peak is the new model). What is left of the undo step:
//   the model's plain copy (CreateSimplePoly) and the compression (Lzrw3a), about
//   0.1 s each.
//   With the hull's own roads made leaner (records of 144 and 136 bytes for a vertex
//   and a face instead of 152 and 144, every face's normal written before any face's
//   corners and the hull's lists let go of in between, CreateConvexHull reading the
//   source's positions in place, the driver's model road reading each point straight
//   into its vertex as a model file's reader does; before and after run in turn, load
//   11 to 14, then 14 to 5): ours over qconvex's, memory and time, before / after
//   points                road 0 before / after       road 1 before / after
//   ball 100,000          0.98 0.71 / 0.98 0.59       3.11 1.23 / 2.86 1.20
//   sphere 100,000        0.71 0.70 / 0.72 0.85       1.17 1.05 / 1.10 1.08
//   ball 1,000,000        0.89 0.70 / 0.89 0.71       4.02 1.15 / 3.59 1.19
//   sphere 1,000,000      0.67 0.76 / 0.67 0.75       1.10 0.86 / 1.00 0.86
//   geodesic 100,002      0.62 0.66 / 0.62 0.58       0.99 0.78 / 0.94 0.74
//   Road 1 in MiB: ball of a million 170.1 / 152.2 (the model alone 137 of it: its
//   vertex records, which the hull reads in place, hold over three times qconvex's
//   whole process; the hull itself adds 13 MB at most), sphere of a million 557.6 /
//   507.1 (the model's 1.93 million faces 262 MB of records and 62 MB of corner lists;
//   the hull's own lists add 54 MB at the last face written, 102 MB before).
//   CreateConvexHullCommand: before 191.6 MiB and 4.26 s (qconvex 62.2 MiB, 0.91 s),
//   after 216.8 MiB and 3.80 s (qconvex 62.2 MiB, 0.84 s); the whole process 467.6
//   MiB before and 464.9 after. The command's figure grew because the process holds
//   28 MiB less once the file is open (the open's freed memory goes back to the
//   system), not because the command holds more: counted by operator new, the heap
//   beyond the open model peaks at 232.6 MB both times, in the new model's build
//   (its records 220 MB), and the hull's part (the plain copy of the shown side, now
//   without its edges, the hull and its model) at 129.0 MB before and 120.8 after.
//   Create convex hull instead, offered by the validity check, tried the hull on a
//   copy of the model before building it again in place; it now builds it once in
//   place (counted by operator new, both with the new records): a ball of a million 301 MB of heap and 1.15 s
//   before, 157 MB and 0.37 s after; a sphere of 100,000 69 MB and 1.17 s before, 55
//   MB and 0.65 s after.
//   With the rotation tests reading each vertex's sum of ring centroids from a table
//   made once per axis search (RingCentroidSums) instead of adding the corners of the
//   faces round it at every comparison: the bench's runs in turn, before / after,
//   command_s 4.12 / 3.77 s (load 6.9 / 14.9), 4.27 / 3.75 s (11.3 / 7.7), 4.26 /
//   4.10 s (14.4 / 13.4); command_MiB 191.6 both; time_ratio 4.06 / 4.39, 5.49 /
//   4.78, 4.20 / 4.41 (qconvex 0.78 to 1.01 s, as loaded as the rest). The new model
//   built three times from the command's hull (perf, load 11 to 12): the rotation
//   search 0.52 s before and 0.49 s after per build, its three full turn tests 0.30 s
//   and 0.26 s; the sums, 0.09 s of a build before, are gone from the profile, but
//   part of that moved to the face matches, which now make the first reads of the
//   records the sums used to bring in. The built model is the same to the bit (its
//   elements, frames, types, rings and edges, hashed, on both roads).
//   Where the set-up's time goes: per build the search tries 52,000 face, 97,000
//   vertex and 300,000 edge candidates of its hull (0.18 s, the edges' neighbour
//   look-up 0.05 s of it), of which three pass a full test; the rest of the set-up
//   is bounded by first reads of records scattered in memory: the frames of a type's
//   faces (ReorientAxes, 0.34 s in the command, a quarter of its own time on the
//   first read of a candidate face's normal), the mirror search's index of the
//   block's corners (a table by vertex in place of its hash map gained nothing: its
//   time is the faces read along their type chains), the edge types of the ring sort
//   (0.2 s, the faces round each vertex), and making the faces (0.07 s in memory
//   used before, 0.26 to 0.42 s where it is touched for the first time).
//   With a candidate's turn made and looked up, once the group is whole, only when
//   the diagonal worked out from its axis is that of one of the group's rotations
//   (RotationClosure::MayContainTurn): the candidates of the hull's edges 0.12 s
//   before and 0.10 s after per build, those of its vertices 0.06 s and 0.04 s; the
//   rotation search 0.45 s per build (0.52 s before both changes; perf, load 5). The
//   bench's runs in turn, before / after (both changes): command_s 3.78 / 3.96 s
//   (load 6.6 / 7.3), 3.67 / 3.96 s (5.6 / 4.3); command_MiB 191.6 both; time_ratio
//   4.51 / 4.30, 4.61 / 4.51. The driver alone in turn at load 8 to 9 gave 4.27 /
//   4.07, 4.07 / 4.45, 4.70 / 5.98 s: on this shared machine the tenth of a second
//   the two changes save per build is below the noise of a whole run.
//   With the sweep's heights and squared radii in a table held while a rotation test
//   runs instead of two doubles in every vertex record (records of 128 bytes instead
//   of 144), road 1 of a million points, before (load 9.9 to 12.4) / after (load 13.2
//   to 8.9): ball 152.3 / 136.9 MiB, 1.08 / 1.10 s (qconvex 42.4 MiB, 1.01 / 0.96 s:
//   3.59 / 3.23 times its memory); sphere 506.9 / 491.8 MiB, 10.3 / 9.8 s (qconvex
//   505.3 / 505.1 MiB, 10.5 / 11.4 s: 1.00 / 0.97 times its memory).
//   The command's stages, profiled (perf with DWARF call stacks, one run, load 8 to
//   13; the command 4.3 s of the 8.0 s process): the undo step 0.65 s, the hull 0.64
//   s (its builder 0.42 s, the plain model of the shown side 0.09 s), the new model
//   2.96 s: the symmetry search 1.40 s (the rotations 0.45 s, the faces sorted round
//   the vertices 0.39 s of which the edge types 0.31 s, the search's own hull 0.36 s
//   of which its builder 0.31 s), the face-type set-up 1.13 s (the frames 0.33 s, the
//   edges 0.27 s), making the faces 0.37 s. Neither of the two steps that redo what
//   the hull knows can be handed the hull's answer without changing the model built:
//   the search's hull of the new model has on the sphere the model's faces in the
//   model's order, but only 94,738 of its 200,000 normals are the model's own to the
//   bit (they come from the builder's planes over points moved to the centre and
//   scaled, the model's from its corners), and on the hulls of small library models
//   (20 to 32 faces) at most 6 faces stand in the model's place; the vertex rings the
//   sort gives follow the edge types of the group found, not the faces' neighbours
//   alone (on the hull of a geodesic sphere of 252 corners 66 rings start at their
//   lowest face and 72 run the way the faces' corners do, the rest the other way).
//   Before any change: command_s 4.00 s, command_MiB 215.3, process 463.1 MiB and
//   8.37 s (qconvex 62.1 MiB, 1.13 s: 3.47 and 3.54 times), load 8.3 to 9.0.
//   With the labels of the records held by a pointer that is null when there is none
//   (OptionalText instead of a std::string in every record: a plain model's vertex
//   104 bytes instead of 128, its face 112 instead of 136, its edge 32 instead of 56;
//   the model's vertex, face and edge 24 bytes smaller) and the model's element
//   records without padding (an element 336 bytes instead of 344, a vertex 392
//   instead of 408, a face 352 instead of 360): before / after, run in turn twice
//   (load 10.6 to 11.7 and 4.2 to 8.2 before, 8.4 to 5.1 and 8.2 to 6.0 after):
//   road 1, ball of a million: 137.0 / 114.2 MiB (both runs), 1.05 and 1.16 s /
//   0.79 and 0.77 s (qconvex 42.3 MiB, 0.88 to 1.27 s): 3.23 / 2.70 times its
//   memory; sphere of a million: 491.7 / 424.8 MiB, 12.7 and 7.7 s / 8.6 and 8.6 s
//   (qconvex 505 MiB, 9.6 to 14.1 s): 0.97 / 0.84 times its memory; the geodesic
//   sphere's 100,002 corners: 57.1 / 50.5 MiB, 0.88 and 1.07 s / 0.75 and 0.88 s
//   (qconvex 62.1 MiB, 1.04 to 1.28 s). The memory saved is the 24 bytes of every
//   vertex and face record (a million vertices, 22.9 MiB; with the sphere's 1.93
//   million faces, 67 MiB). CreateConvexHullCommand: 215.3 / 172.6 MiB (both
//   runs), 4.32 and 5.12 s / 3.62 and 3.61 s (qconvex 62.1 MiB, 0.89 to 1.13 s):
//   3.47 / 2.78 times qconvex's memory; the whole process 463.5 / 433.2 MiB. The
//   labels alone (the records' padding not yet gone, load about 9) gave 114.2,
//   424.3, 50.6 and 174.1 MiB.
//   With a plain model's element holding its picture, label and opacity in one
//   record of extras, made only when one of them is set, and the coincidence ring's
//   link among the element's 4-byte fields (a vertex record 88 bytes instead of 104,
//   a face 96 instead of 112): before / after, run in turn twice (load 4.2 to 5.3
//   throughout): road 1, ball of a million: 114.2 and 113.8 / 98.6 and 98.9 MiB,
//   0.75 and 0.71 s / 0.98 and 0.73 s (qconvex 42.3 to 42.4 MiB, 0.80 to 1.19 s):
//   2.70 / 2.33 times its memory; sphere of a million: 424.7 and 424.9 / 401.5 and
//   401.3 MiB, 7.9 and 7.1 s / 7.7 and 7.6 s (qconvex 505 MiB, 8.6 to 9.5 s): 0.84 /
//   0.79 times; the geodesic sphere's 100,002 corners: 50.4 and 50.1 / 45.7 MiB both
//   (qconvex 62.1 MiB): 0.81 / 0.73 times; a ball of 100,000: 13.7 and 13.8 / 12.0
//   and 12.2 MiB (qconvex 6.2 MiB). The ball's saving is the 16 bytes of each of its
//   million vertex records (15.3 MiB).
//   With the fields nearly every element leaves empty (its image, axis, 3D net facet,
//   second colour's cells) in one record made only when one is set, the sub-symmetry's
//   saved classification in a table of the model, and the 4-byte fields packed (an
//   element 304 bytes instead of 336, a face 312 instead of 352, a vertex 352 instead
//   of 392; the first colour's cells stay in place, since every element of a set-up
//   model holds a copy): before / after, run in turn twice (load 2.3 / 3.5, 2.2 / 2.1):
//   CreateConvexHullCommand 172.5 and 172.6 / 160.3 and 160.3 MiB, 3.18 and 3.24 s /
//   3.26 and 3.34 s (qconvex 62.1 MiB, 0.72 to 0.86 s): 2.78 / 2.58 times qconvex's
//   memory; the whole process 433.2 and 433.0 / 409.0 and 409.0 MiB.
//   The two together, with the 3D net model's facet kept in the element (the net pane
//   beside the model gives every shown face one: an element 312 bytes, a face 320, a
//   vertex 360), before / after, run in turn twice (load 3.5 / 2.1, 1.2 / 1.1): road
//   1, ball of a million 114.0 / 98.8 MiB (2.70 / 2.33 times qconvex's 42.3), ball of
//   100,000 13.8 / 12.1 MiB (qconvex 6.2 to 6.3), the geodesic sphere's corners 50.5 /
//   45.7 MiB (qconvex 62.1); CreateConvexHullCommand 172.6 and 172.5 / 171.0 and 171.0
//   MiB, 3.20 and 3.09 / 3.17 and 3.09 s (qconvex 62.1 MiB, 0.72 to 0.78 s), the whole
//   process 433.2 and 433.1 / 410.0 and 409.8 MiB. The command's growth hardly moves
//   because what it grows from moved: the plain models' smaller records leave less
//   freed memory behind the file's opening (the process holds 239 MiB once the model
//   is open, 261 before) for the command to take again (the plain records' change
//   alone: command 180.2 MiB, process 428.1; the element records' alone: 160.3 and
//   408.8). Counted whole, the process peaks 23 MiB lower.

#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <malloc.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>
#include <new>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "bench/BenchModels.h"
#include "files/ModelFile.h"
#include "model/Globals.h"
#include "model/Poly.h"
#include "model/PolyElement.h"
#include "platform/Clock.h"
#include "symmetry/ConvexHull.h"
#include "symmetry/SimplePoly.h"

extern char** environ;

namespace {

// Heap held by the program now and at most since the last reset.
size_t gHeapNow = 0;
size_t gHeapPeak = 0;

void* Allocate(size_t size) {
  void* p = std::malloc(size > 0 ? size : 1);
  if (!p) throw std::bad_alloc();
  gHeapNow += malloc_usable_size(p);
  gHeapPeak = std::max(gHeapPeak, gHeapNow);
  return p;
}

void Release(void* p) {
  if (!p) return;
  gHeapNow -= malloc_usable_size(p);
  std::free(p);
}

}  // namespace

void* operator new(size_t size) { return Allocate(size); }
void* operator new[](size_t size) { return Allocate(size); }
void operator delete(void* p) noexcept { Release(p); }
void operator delete[](void* p) noexcept { Release(p); }
void operator delete(void* p, size_t) noexcept { Release(p); }
void operator delete[](void* p, size_t) noexcept { Release(p); }

namespace {

constexpr double kMegabyte = 1e6;

enum class Cloud { Sphere, Ball };

std::vector<double> RandomCloud(Cloud cloud, int n) {
  std::mt19937 random(4711u + static_cast<unsigned>(n));
  std::normal_distribution<double> normal;
  std::uniform_real_distribution<double> coord(-1.0, 1.0);
  std::vector<double> points;
  points.reserve(static_cast<size_t>(n) * 3);
  while (points.size() < static_cast<size_t>(n) * 3) {
    double p[3];
    if (cloud == Cloud::Sphere) {
      for (double& c : p) c = normal(random);
      const double len = std::sqrt(p[0] * p[0] + p[1] * p[1] + p[2] * p[2]);
      if (len == 0) continue;
      for (double& c : p) c /= len;
    } else {
      for (double& c : p) c = coord(random);
      if (p[0] * p[0] + p[1] * p[1] + p[2] * p[2] > 1) continue;
    }
    points.insert(points.end(), p, p + 3);
  }
  return points;
}

// The qconvex program on the PATH, or an empty path.
std::filesystem::path FindQconvex() {
  const char* path = std::getenv("PATH");
  if (!path) return {};
  std::stringstream dirs(path);
  std::string dir;
  while (std::getline(dirs, dir, ':')) {
    const std::filesystem::path candidate = std::filesystem::path(dir.empty() ? "." : dir) / "qconvex";
    if (access(candidate.c_str(), X_OK) == 0) return candidate;
  }
  return {};
}

// The peak resident memory and processor time of one run of a program.
struct ProcessRun {
  bool ok = false;
  double mebibytes = 0.0;
  double seconds = 0.0;
};

// Runs the program with its arguments through the driver's --measure, which starts
// it from a process of its own size (a child's peak counts the memory of the process
// it was started from), its standard output into `output`.
ProcessRun RunMeasured(const std::filesystem::path& driver, std::vector<std::string> arguments,
                       const std::filesystem::path& output) {
  ProcessRun run;
  const std::filesystem::path report = output.string() + ".usage";
  arguments.insert(arguments.begin(), {driver.string(), "--measure", output.string()});
  std::vector<char*> argv;
  for (std::string& argument : arguments) argv.push_back(argument.data());
  argv.push_back(nullptr);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, report.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
  pid_t pid = 0;
  const int spawned = posix_spawn(&pid, driver.c_str(), &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  int status = 0;
  if (spawned == 0 && waitpid(pid, &status, 0) == pid && WIFEXITED(status) && WEXITSTATUS(status) == 0) {
    std::ifstream usage(report);
    long kilobytes = 0;
    int exitStatus = -1;
    if (usage >> kilobytes >> run.seconds >> exitStatus && exitStatus == 0) {
      run.mebibytes = static_cast<double>(kilobytes) / 1024.0;
      run.ok = true;
    }
  }
  std::error_code ignored;
  std::filesystem::remove(report, ignored);
  return run;
}

// The points as a Qhull text file: the dimension, the count, then a point a line.
bool WriteQhullText(const std::filesystem::path& path, const std::vector<double>& points) {
  FILE* f = std::fopen(path.c_str(), "w");
  if (!f) return false;
  std::fprintf(f, "3\n%zu\n", points.size() / 3);
  for (size_t i = 0; i + 2 < points.size(); i += 3) {
    std::fprintf(f, "%.17g %.17g %.17g\n", points[i], points[i + 1], points[i + 2]);
  }
  return std::fclose(f) == 0;
}

void RunHull(benchmark::State& state, Cloud cloud) {
  const int n = static_cast<int>(state.range(0));
  const std::vector<double> points = RandomCloud(cloud, n);
  int faces = 0;
  int corners = 0;
  double fastest = 0.0;
  size_t peak = 0;
  for (auto _ : state) {
    state.PauseTiming();
    corvia::PointHull hull;
    const size_t before = gHeapNow;
    gHeapPeak = gHeapNow;
    state.ResumeTiming();
    const double start = corvia::platform::ThreadSeconds();
    const bool ok = corvia::ComputeConvexHull(points.data(), static_cast<size_t>(n), hull);
    const double seconds = corvia::platform::ThreadSeconds() - start;
    benchmark::DoNotOptimize(ok);
    state.PauseTiming();
    if (!ok) {
      state.SkipWithError("no hull");
      break;
    }
    fastest = fastest > 0.0 ? std::min(fastest, seconds) : seconds;
    peak = std::max(peak, gHeapPeak - before);
    faces = static_cast<int>(hull.NumFaces());
    corners = static_cast<int>(hull.corners.size());
    hull = corvia::PointHull();
    state.ResumeTiming();
  }
  state.counters["faces"] = faces;
  state.counters["corners"] = corners;
  state.counters["hull_s"] = fastest;
  state.counters["peak_MB"] = static_cast<double>(peak) / kMegabyte;
  state.SetComplexityN(n);
}

void HullOnSphere(benchmark::State& state) { RunHull(state, Cloud::Sphere); }
void HullInBall(benchmark::State& state) { RunHull(state, Cloud::Ball); }

BENCHMARK(HullOnSphere)
    ->Arg(1000)
    ->Arg(10000)
    ->Arg(100000)
    ->Arg(1000000)
    ->Unit(benchmark::kMillisecond)
    ->Complexity(benchmark::oNLogN);
BENCHMARK(HullInBall)
    ->Arg(1000)
    ->Arg(10000)
    ->Arg(100000)
    ->Arg(1000000)
    ->Unit(benchmark::kMillisecond)
    ->Complexity(benchmark::oNLogN);

// A driver program in the folder of this one.
std::filesystem::path FindDriver(const char* name) {
  std::error_code error;
  const std::filesystem::path self = std::filesystem::read_symlink("/proc/self/exe", error);
  if (error) return {};
  const std::filesystem::path driver = self.parent_path() / name;
  return access(driver.c_str(), X_OK) == 0 ? driver : std::filesystem::path();
}

constexpr int kSphereFrequency = 100;  // 200,000 faces, 100,002 corners

// The geodesic sphere of 200,000 faces, saved once as a model file and its corners
// as a Qhull text file in a folder of this process's, which goes when the program
// ends; empty paths when it is not made.
struct SphereFiles {
  std::filesystem::path dir, model, corners;
  ~SphereFiles() {
    std::error_code ignored;
    if (!dir.empty()) std::filesystem::remove_all(dir, ignored);
  }
};

void MakeSphereFiles(SphereFiles& made) {
  std::unique_ptr<corvia::Poly> sphere = corvia::bench::GeodesicSphere(kSphereFrequency);
  if (!sphere) return;
  made.dir = std::filesystem::temp_directory_path() / ("corvia-hull-bench-sphere-" + std::to_string(getpid()));
  std::filesystem::create_directories(made.dir);
  std::vector<double> points;
  for (int i = 0; i < sphere->mVertices.mCount; ++i) {
    const double* p = sphere->GetVertex(i)->mDualVert;
    points.insert(points.end(), p, p + 3);
  }
  const corvia::bench::ShownModel document(sphere.get());
  const std::filesystem::path model = made.dir / "sphere.corv";
  const std::filesystem::path corners = made.dir / "corners.txt";
  if (!corvia::WriteModelFile(model.c_str(), corvia::kModelFileBinary, *sphere).done() ||
      !WriteQhullText(corners, points)) {
    return;
  }
  made.model = model;
  made.corners = corners;
}

const SphereFiles& GeodesicSphereFiles() {
  static SphereFiles files;
  static bool tried = false;
  if (!tried) {
    tried = true;
    MakeSphereFiles(files);
  }
  return files;
}

void KeepLeast(ProcessRun& least, const ProcessRun& run) {
  if (!run.ok) return;
  least.mebibytes = least.ok ? std::min(least.mebibytes, run.mebibytes) : run.mebibytes;
  least.seconds = least.ok ? std::min(least.seconds, run.seconds) : run.seconds;
  least.ok = true;
}

// qconvex's figures and ours over them, when qconvex ran.
void ReportBesideQconvex(benchmark::State& state, const ProcessRun& ours, const ProcessRun& theirs) {
  if (!theirs.ok) return;
  state.counters["qconvex_MiB"] = theirs.mebibytes;
  state.counters["qconvex_s"] = theirs.seconds;
  state.counters["memory_ratio"] = ours.mebibytes / theirs.mebibytes;
  state.counters["time_ratio"] = ours.seconds / theirs.seconds;
}

// Arguments: the road (0 plain coordinates, 1 a model's vertices), the points (0 the
// ball, 1 the sphere, 2 the geodesic sphere's corners) and their number.
void HullProcess(benchmark::State& state) {
  const bool model = state.range(0) == 1;
  const int points = static_cast<int>(state.range(1));
  const int n = static_cast<int>(state.range(2));
  static const std::filesystem::path driver = FindDriver("convex_hull_driver");
  static const std::filesystem::path qconvex = FindQconvex();
  if (driver.empty()) {
    state.SkipWithError("convex_hull_driver is not beside this program");
    return;
  }
  const std::filesystem::path dir = std::filesystem::temp_directory_path();
  const std::string stem = "corvia-hull-bench-" + std::to_string(getpid());
  std::filesystem::path input = dir / (stem + ".txt");
  const std::filesystem::path output = dir / (stem + ".out");
  if (points == 2) {
    input = GeodesicSphereFiles().corners;
    if (input.empty()) {
      state.SkipWithError("the geodesic sphere was not made");
      return;
    }
  } else if (!WriteQhullText(input, RandomCloud(points == 0 ? Cloud::Ball : Cloud::Sphere, n))) {
    state.SkipWithError("cannot write the points");
    return;
  }
  ProcessRun ours{false, 0.0, 0.0}, theirs{false, 0.0, 0.0};
  long corners = 0;
  std::vector<std::string> arguments = {driver.string()};
  if (model) arguments.push_back("--model");
  arguments.push_back(input.string());
  for (auto _ : state) {
    const ProcessRun run = RunMeasured(driver, arguments, output);
    if (!run.ok) {
      state.SkipWithError("the driver failed");
      break;
    }
    KeepLeast(ours, run);
    std::ifstream(output) >> corners;
    state.SetIterationTime(run.seconds);
    if (!qconvex.empty()) KeepLeast(theirs, RunMeasured(driver, {qconvex.string(), "TI", input.string()}, output));
  }
  std::error_code ignored;
  if (points != 2) std::filesystem::remove(input, ignored);
  std::filesystem::remove(output, ignored);
  if (!ours.ok) return;
  state.counters["corners"] = static_cast<double>(corners);
  state.counters["ours_MiB"] = ours.mebibytes;
  state.counters["ours_s"] = ours.seconds;
  ReportBesideQconvex(state, ours, theirs);
}

BENCHMARK(HullProcess)
    ->ArgNames({"road", "points", "n"})
    ->ArgsProduct({{0, 1}, {0, 1}, {100000, 1000000}})
    ->Args({0, 2, 100002})
    ->Args({1, 2, 100002})
    ->Iterations(3)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);

void CreateConvexHullCommand(benchmark::State& state) {
  static const std::filesystem::path driver = FindDriver("convex_hull_driver");
  static const std::filesystem::path command = FindDriver("convex_hull_command_driver");
  static const std::filesystem::path qconvex = FindQconvex();
  if (driver.empty() || command.empty()) {
    state.SkipWithError("the driver programs are not beside this program");
    return;
  }
  const SphereFiles& files = GeodesicSphereFiles();
  if (files.model.empty()) {
    state.SkipWithError("the geodesic sphere was not made");
    return;
  }
  const std::filesystem::path output =
      std::filesystem::temp_directory_path() / ("corvia-hull-bench-" + std::to_string(getpid()) + ".out");
  ProcessRun process{false, 0.0, 0.0}, theirs{false, 0.0, 0.0};
  ProcessRun road{false, 0.0, 0.0};
  long corners = 0, faces = 0;
  for (auto _ : state) {
    const ProcessRun run = RunMeasured(driver, {command.string(), files.model.string()}, output);
    ProcessRun ran{false, 0.0, 0.0};
    std::ifstream(output) >> corners >> faces >> ran.seconds >> ran.mebibytes;
    ran.ok = run.ok && corners > 0;
    if (!ran.ok) {
      state.SkipWithError("the command driver failed");
      break;
    }
    KeepLeast(process, run);
    KeepLeast(road, ran);
    state.SetIterationTime(ran.seconds);
    if (!qconvex.empty()) KeepLeast(theirs, RunMeasured(driver, {qconvex.string(), "TI", files.corners.string()}, output));
  }
  std::error_code ignored;
  std::filesystem::remove(output, ignored);
  if (!road.ok) return;
  state.counters["corners"] = static_cast<double>(corners);
  state.counters["faces"] = static_cast<double>(faces);
  state.counters["command_s"] = road.seconds;
  state.counters["command_MiB"] = road.mebibytes;
  state.counters["process_s"] = process.seconds;
  state.counters["process_MiB"] = process.mebibytes;
  ReportBesideQconvex(state, road, theirs);
}

BENCHMARK(CreateConvexHullCommand)->Iterations(3)->UseManualTime()->Unit(benchmark::kMillisecond);

// Points given many times over: one point (no hull: it is refused as flat) and a
// tetrahedron's corners, each repeated until there are n points.
void RunRepeated(benchmark::State& state, int distinct) {
  const int n = static_cast<int>(state.range(0));
  const double corners[4][3] = {{1, 1, 1}, {1, -1, -1}, {-1, 1, -1}, {-1, -1, 1}};
  int faces = 0;
  for (auto _ : state) {
    state.PauseTiming();
    auto poly = std::make_unique<corvia::SimplePoly>(n, 0);
    for (int i = 0; i < n; ++i) poly->VertAt(i).SetPos(corners[i % distinct]);
    state.ResumeTiming();
    const bool ok = corvia::ComputeConvexHull(*poly, 0);
    benchmark::DoNotOptimize(ok);
    state.PauseTiming();
    faces = ok ? poly->NumFaces() : 0;
    poly.reset();
    state.ResumeTiming();
  }
  state.counters["faces"] = faces;
  state.SetComplexityN(n);
}

void HullOfOnePointRepeated(benchmark::State& state) { RunRepeated(state, 1); }
void HullOfTetrahedronRepeated(benchmark::State& state) { RunRepeated(state, 4); }

BENCHMARK(HullOfOnePointRepeated)->Arg(30000)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMillisecond);
BENCHMARK(HullOfTetrahedronRepeated)->Arg(30000)->Arg(1000000)->Unit(benchmark::kMillisecond);

}  // namespace
