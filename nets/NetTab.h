#pragma once
// Glue tabs: a polygon outside a cut edgelet of a net, a trapezoid of the tab depth
// with 45-degree ends, trimmed so that it stays inside the face it is glued under and
// clear of its own net and of the neighbouring tabs, its ends no steeper than 60
// degrees. Tabs are built for the first net of each net type and carried to the other
// nets, and they fold with the net in the folding view.
//
// A tab stands on its edge from A (the edgelet's unfolded point) to B (the next
// one's): every point of it lies on the perpendicular from some point of the edge, at
// no more than the tab's height there. The height is a piecewise linear profile over
// the edge, and each trimming lowers it to the first obstacle met going out.

#include <cstdint>
#include <list>
#include <vector>

#include "nets/Net.h"

namespace corvia {

struct Edge3D;
class Model3D;
class OpenGLView;

struct TabPoint {
  double pos3D[3] = {0.0, 0.0, 0.0};  // folded in space
  double pos2D[2] = {0.0, 0.0};       // in the plane of the net
};

// A segment that limits tabs: they stop where it is met.
struct TabObstacle {
  double a[2];
  double b[2];
};

class NetTab {
 public:
  // The untrimmed tab of an outline edgelet.
  explicit NetTab(const Edge3D* edge);
  NetTab(const NetTab& other);
  NetTab& operator=(const NetTab&) = delete;
  ~NetTab();

  bool IsEmpty() const { return mLength <= 0.0; }
  // Lowers the profile to the first obstacle met going out from the edge.
  void Trim(const std::vector<TabObstacle>& obstacles);
  // The ends no steeper than the given slope (tangent of the angle to the edge).
  void LimitEnds(double slope);
  // Keeps what lies on the side of the line (through point, along direction) where
  // inside lies: over the part of the edge on the other side nothing is left, since
  // what lies beyond the line there is no longer joined to the edge.
  void KeepSide(const double* point, const double* direction, const double* inside);
  // Rebuilds the outline from the profile and the triangles that fill it.
  void Triangulate();
  // Least and largest pos2D of the outline; false for an empty tab.
  bool GetBounds(double* least, double* largest) const;
  bool Contains(const TabPoint* point) const;
  // The outline's segments (as obstacles for other tabs).
  std::vector<TabObstacle> GetSegments() const;
  // Folds the tab with its edgelet's facelet, the hinges turned by the fraction.
  void Fold(const Edge3D* edge, double hinge);
  // The profile: heights over the edge at positions from 0 (A) to the edge length.
  const std::vector<double>& GetProfileS() const { return mS; }
  const std::vector<double>& GetProfileH() const { return mH; }

  // The outline from A out and back to B.
  std::list<TabPoint> outline;
  // The triangle corners: the outline points in order, then the points on the edge
  // that the triangles stand on.
  std::vector<TabPoint> points;
  int32_t numIndices = 0;
  std::vector<int32_t> indices;
  double foldAngle = 0.0;
  double normal[3] = {0.0, 0.0, 1.0};

 private:
  // The edge frame in the net plane: A, the unit direction to B, the outer side.
  double mA[2] = {0.0, 0.0};
  double mD[2] = {1.0, 0.0};
  double mN[2] = {0.0, -1.0};
  double mLength = 0.0;
  std::vector<double> mS;
  std::vector<double> mH;
};

// Whether the folding view shows the edgelet's tab.
bool IsTabShownFolded(const Edge3D* edge);

// The trimming steps of the tab rebuild on the tabs of a first net: each inside the
// face it is glued under (when that face carries no tab of its own), and all clear
// of their own net. The net's steps report their share through ProgressTick and stop
// where it says the work was cancelled.
void TrimTabToNeighbour(Edge3D* edge);
void TrimTabsToNet(Net* net);
// Neighbouring tabs of the net's outline are parted along the bisector of their
// edges, then each is cut by the other's outline.
void SeparateTabs(Net* net);
// Glued tab to tab: the tab, set up in space at its fold angle, is cut where the
// facelets round the edge's start vertex would pierce it.
void CutTabInSpace(Edge3D* edge);

}  // namespace corvia
