#pragma once
// Runs of translucent triangles that can be drawn together. Each translucent triangle
// is drawn twice, its colour blended and then its depth (with the highlight added);
// drawn one after the other, a triangle's second pass comes before the next triangle.
// Within a run of triangles of which no two cover the same pixel, the first passes of
// all and then the second passes of all give the same pixels, so the run goes to GL as
// two calls. Plain arithmetic on window positions, with no GL.

#include <cstddef>
#include <cstdint>
#include <vector>

namespace corvia {

// One triangle in window pixels, with an id for each corner: corners with the same id
// are the same point wherever they are drawn (GL snaps them alike), so triangles may
// meet there. Triangles that cannot be placed in the window (a corner at or behind
// the eye) are not usable and stand alone.
struct WindowTriangle {
  double xy[3][2];
  uint32_t ids[3];
  bool usable = true;
  // Worked out by SetUpWindowTriangle: the box, and each side's outward unit normal
  // with the side's distance along it (the triangle lies where n . p <= offset).
  double low[2], high[2];
  double normal[3][2];
  double offset[3];
};

// Works out the box and the sides; a triangle with no area stands alone (not usable).
void SetUpWindowTriangle(WindowTriangle& t);

// Whether two set-up triangles might cover a common pixel: false only when one of them
// has its three corners at one point (the same id), which covers no pixel, or when a
// line separates them with every corner but those they share at least the margin
// (pixels) from it.
bool TrianglesMayOverlap(const WindowTriangle& a, const WindowTriangle& b, double margin);

// Splits the triangles, in the order they are drawn (the first count of them), into
// runs of which no two overlap: starts receives the position where each run begins. A
// triangle whose corners are one point joins the run it falls in.
// Two triangles round a clean corner need no test: a corner whose triangles all turn
// the same way in the window, none thinner than twice the margin, and go round it once
// side to side lies in slices of the plane about it that never meet. The work is kept
// for the next call (no allocation once it has grown).
class TriangleBatcher {
 public:
  void Split(const std::vector<WindowTriangle>& triangles, size_t count, double margin,
             std::vector<uint32_t>& starts);

 private:
  // A cell of the grid over the window: the triangles of the current run whose boxes
  // reach into it (their positions), as many as a cache line holds in the cell itself
  // and the rest in a chain of nodes; the stamp tells which run they belong to.
  static constexpr uint32_t kInCell = 13;
  struct Cell {
    uint32_t stamp;
    uint32_t count;
    uint32_t at[kInCell];
    int32_t more;
  };
  std::vector<Cell> mCells;
  struct Node {
    int32_t next;
    uint32_t at;
  };
  std::vector<Node> mNodes;
  // What the search looks at first, by position, close together: the box, the first
  // cell it reaches into and the corners.
  struct Box {
    double low[2], high[2];
    int32_t cell[2];
    uint32_t ids[3];
  };
  std::vector<Box> mBoxes;
  // Each corner's fan: whether its triangles turn one way, how many of them a ray from
  // the corner crosses, and a sum that is zero when every side out of the corner is a
  // side into it.
  struct Fan {
    int crossings;
    uint64_t sides;
    int turn;  // 1 or -1 while all turn alike, 0 before the first, 2 once not clean
  };
  std::vector<Fan> mFans;
  std::vector<uint8_t> mClean;
  void FindCleanCorners(const std::vector<WindowTriangle>& triangles, size_t count, double margin);
};

}  // namespace corvia
