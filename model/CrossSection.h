#pragma once
// 2D cross-sections: the intersection of a model's surface with the slice plane, as
// closed loops of 2D points in the plane's own coordinates, optionally filled as a face
// diagram whose cells are coloured like the faces they cut.

#include <cstdint>
#include <memory>
#include <vector>

#include "model/FaceDiagram.h"
#include "model/FaceDiagramCells.h"

namespace corvia {

class ElementList;
class PolyElement;

// The faces to slice: corner indices into a point array, each face with the element it
// stands for and whether it is reversed, and the face across each side.
struct SliceMesh {
  std::vector<double> mPoints;         // three per vertex
  std::vector<int32_t> mFirstCorner;   // face f: corners mFirstCorner[f] .. mFirstCorner[f + 1] - 1
  std::vector<int32_t> mCorners;       // vertex indices
  std::vector<uint8_t> mReversed;      // per face
  std::vector<const PolyElement*> mElements;  // per face (may be null)
  std::vector<int32_t> mAcrossFace;    // per side: the face across it (-1 for none)
  std::vector<int32_t> mAcrossSide;    // per side: the same side in that face

  SliceMesh() { mFirstCorner.push_back(0); }
  int32_t NumFaces() const { return static_cast<int32_t>(mFirstCorner.size()) - 1; }
  int32_t NumSides(int32_t face) const { return mFirstCorner[face + 1] - mFirstCorner[face]; }
  int32_t AddPoint(const double* p);
  void AddFace(const int32_t* corners, int32_t count, const PolyElement* element, bool reversed);
  // Pairs the sides of faces that share two vertices, one pair per two faces on an edge.
  void FindAdjacency();
  // The shown faces of a model: finite faces whose corners are finite, positions taken
  // from the corners' dual points.
  static void FromElements(const ElementList* faces, const ElementList* vertices, SliceMesh& mesh);
};

// The slice plane n . p + offset = 0 and its in-plane axes.
struct SlicePlane {
  double mNormal[3] = {0.0, 0.0, 1.0};
  double mOffset = 0.0;
  double mU[3] = {1.0, 0.0, 0.0};
  double mV[3] = {0.0, 1.0, 0.0};
};

// The program-wide slicing frame (4 x 4, column-major: elements 0, 4, 8 the first axis,
// 1, 5, 9 the second, 2, 6, 10 the slicing direction) and depth (0 at the highest
// vertex along the direction, 1 at the lowest).
double* SlicingFrame();
double& SliceDepth();
struct CrossSectionSettings {
  bool fill = true;
  bool showEdges = true;
  bool showVerticesNearPlane = false;
};
CrossSectionSettings& GetCrossSectionSettings();

// Extent of the points along the slicing direction (min and max) and the offset of the
// plane at the current depth. A frame whose last element is not 1 is reset first.
double GetSliceRange(const std::vector<double>& points, double* outMin, double* outMax);
void GetSlicePlane(const std::vector<double>& points, SlicePlane& plane);

// One closed loop of the section; it is also the fill's source for its colour.
struct CrossSectionLoop {
  std::vector<double> mPoints;                 // x, y pairs
  std::vector<const PolyElement*> mFaces;      // the face the segment ending at each point lies in
  DiagramColouredLoop mColour;
  int32_t NumPoints() const { return static_cast<int32_t>(mPoints.size() / 2); }
};

class CrossSection {
 public:
  CrossSection();
  CrossSection(const CrossSection&) = delete;
  CrossSection& operator=(const CrossSection&) = delete;

  // Slices the mesh; with fill, also builds the filled diagram. False when no section
  // is available (a build already running, a broken loop, or a cancel).
  bool Build(const SliceMesh& mesh, const SlicePlane& plane, bool fill);
  void Clear();
  // Each loop's colour: the mean of the colours of the faces its segments lie in,
  // weighted by segment length.
  void ColourLoops();
  // The loops and the fill's cells take the faces' colours as they are now, as a new
  // build would give them.
  void Recolour();

  // Stores one loop of 2D points with the face of each segment; during a build (with
  // the builder) it is also added to the fill.
  void AddLoop(std::vector<double>& points, std::vector<const PolyElement*>& faces, int32_t face, int32_t numFaces,
               FaceDiagramBuilder* builder);

  std::vector<std::unique_ptr<CrossSectionLoop>> mLoops;
  FaceDiagramWorkPools mWorkPools;
  FaceDiagramResultPools mResultPools;
  FaceDiagram mDiagram;
  FaceDiagramResult mResult;
  DiagramCell* mCells = nullptr;
  bool mFilled = false;
  bool mCancelled = false;

 private:
  bool mBuilding = false;
};

}  // namespace corvia
