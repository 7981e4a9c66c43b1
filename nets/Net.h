#pragma once
// Nets and net types. A net is one connected, overlap-free group of facelets laid out
// flat, with a first facelet that anchors its layout and folding; a net type holds a
// set of congruent nets, images of each other under the model's symmetry, so that one
// layout serves them all and is printed as many times as the type has nets.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <utility>
#include <vector>

namespace corvia {

class Face3D;
class Face3DType;
class Model3D;
class NetOutline;
class NetType;
struct Edge3D;

// Edgelets that closed against their neighbour when a facelet was placed; applied
// (kEdgePlacementJoin on both sides, in every net of the type) or dropped.
using PlacementJoins = std::vector<Edge3D*>;
void ApplyPlacementJoins(const PlacementJoins& joins);

// A join of two facelets of a net as a layout walks it: edge in the facelet reached
// first, across in the other, with the flags both had.
struct NetHinge {
  Edge3D* edge;
  Edge3D* across;
  uint32_t edgeFlags;
  uint32_t acrossFlags;
};
// The joins from the start facelet (reached across entry, or null for the first of a
// layout) across joined edgelets into the facelets isMember accepts, breadth first:
// the tree in the order the facelets are reached, and apart, once each, the joins
// that close a cycle.
void CollectNetHinges(Face3D* start, const Edge3D* entry, const std::function<bool(const Face3D*)>& isMember,
                      std::vector<NetHinge>& tree, std::vector<NetHinge>& closing);
// Opens the hinges for a layout that tests each placement (the walk round the outline
// then stops at them); each gets its flags back with RestoreNetHinge.
void OpenNetHinges(const std::vector<NetHinge>& hinges);
void RestoreNetHinge(const NetHinge& hinge);

// How far a pass that merges nets has come: each facelet of the nets it merges counts
// once as its net is laid out, once as it is placed into a growing net and once as the
// growing net walks it, so that the bar moves while a net of a whole flat face is placed.
struct MergeShare {
  double done = 0.0;
  double total = 0.0;
  double Fraction() const { return total > 0.0 && done < total ? done / total : 1.0; }
};

class Net {
 public:
  NetType* type = nullptr;
  uint32_t flags = 0;
  Face3D* first = nullptr;
  Face3D* last = nullptr;
  double centre[3] = {0.0, 0.0, 0.0};

  void Init(NetType* owner, Face3D* facelet);
  // Puts neighbour's facelet into the net after the last one, joined across edge.
  void AddFacelet(Edge3D* edge, Edge3D* neighbour);
  // Joins this net into the other across edge; this net is left empty and marked.
  void Absorb(Net* into, Edge3D* edge);
  static int CountFacelets(const Net* net);
  const float* GetColor() const;
  // Running index over all net types of the model: -1 for null, -2 when not found.
  static int GetNumber(const Net* net);
  static Model3D* GetModel(const Net* net);
  void ClearEdgeFlags(uint32_t bits);
  // The first edgelet of the net without the bits and not joined.
  Edge3D* FindEdgeWithout(uint32_t bits) const;
  Face3D* GetFaceletAt(int position) const;
  Edge3D* GetEdgeAt(int position, int index) const;
  // The facelets by their place in the chain. The operations that change a chain keep
  // it in step; after any other change (a new first or last facelet) it is made again
  // on the next use, so a facelet's place is found without a walk of the chain.
  const std::vector<Face3D*>& Places() const;
  // Says that the chain was changed other than by appending.
  void InvalidatePlaces() { mPlacesValid = false; }
  // The facelets whose flat box (the points of their glue tabs with them) meets the box
  // from least to largest in the net's plane, in the order of the chain. The boxes are
  // filed in a grid made on first use and again after the model's nets change (or the
  // chain does), so that a search reads the facelets near its box, not the whole net.
  void FindFaceletsMeeting(const double* least, const double* largest, std::vector<Face3D*>& out) const;
  // Files the boxes now where they are not, so that the next search need not (the idle
  // work does, a turn at a time, once it has gathered a large net for its pane): at most
  // `most` steps, a facelet's box taking one to measure and, once all are measured and
  // the grid's cells sized by them, one to file. The rest is left to the next call, or
  // to the next search, which files it all. The steps left, none once all are filed.
  size_t FileFaceletBoxes(size_t most = SIZE_MAX) const;
  // The facelets' boxes the searches have compared with theirs since the grid was made
  // (for tests).
  uint64_t CountFaceletBoxesTested() const;
  // The mean of the start-vertex positions of all edgelets of the net.
  void CalcCentre();
  // Lays the net out again from its first facelet across its joined edgelets into
  // facelets of the net (or of nets being merged into it, when given). With check,
  // every placement is tested for overlap; on the first refusal the net is laid out
  // again without the test and the answer is false.
  bool Relayout(bool check, PlacementJoins* joins, const std::vector<Net*>* mergedNets = nullptr);
  // Grows across convex edges (groupFilter other than 16) or across the others.
  void Grow(int groupFilter);
  // Merging across convex edges: without an edge the net takes in its neighbours;
  // with one it goes into the receiving net across the edge, placed against the
  // receiving net's filed outline when one is given (kept in step). Taking in the
  // neighbours stops where ProgressTick says the work was cancelled. The share, when
  // given, counts the facelets walked and placed, and the ticks report it.
  bool MergeConvex(Net* into, Edge3D* edge, NetOutline* outline = nullptr, MergeShare* share = nullptr);
  // The bounds of the folded places of each run of kFoldedRun facelets along the chain
  // (their tabs' outlines with them) as the last fold left them: a search of the folded
  // net reads the facelets of the runs that meet it. Empty before the first fold.
  static constexpr size_t kFoldedRun = 256;
  struct FoldedBox {
    double least[3];
    double largest[3];
  };
  const std::vector<FoldedBox>& FoldedBoxes() const { return mFoldedBoxes; }
  // Folds the net: hinges by h, moved in by q (both 0 flat, 1 folded onto the model).
  // goOn, when given, is asked after each facelet placed: false stops the fold (then
  // false), the net left part folded.
  bool Fold(double hinge, double place, const std::function<bool()>& goOn = nullptr);

 private:
  void AppendPlace(Face3D* facelet);

  mutable std::vector<Face3D*> mPlaces;
  mutable bool mPlacesValid = false;
  std::vector<FoldedBox> mFoldedBoxes;
  // The grid of the facelets' boxes, with what it was made from.
  struct FaceletBoxes;
  FaceletBoxes& Boxes() const;
  mutable std::shared_ptr<FaceletBoxes> mBoxes;
};

class NetType {
 public:
  NetType(int groupSize, int numNets);
  ~NetType();
  NetType(const NetType&) = delete;
  NetType& operator=(const NetType&) = delete;

  static int GetIndex(const NetType* type, const Model3D* model);
  static int GetNumber(const NetType* type, const Model3D* model) {
    const int i = GetIndex(type, model);
    return i < 0 ? i : i + 1;
  }
  Net* GetFirstNet() const { return numNets > 0 ? &nets[0] : nullptr; }
  int CountFirstNetFacelets() const;
  int CountFirstNetEdges() const;
  bool IsDrawn() const;
  // Folds its nets as Net::Fold does; false when goOn stopped it.
  bool Fold(double hinge, double place, const std::function<bool()>& goOn = nullptr);
  void CalcCentres();
  // The number of nets that hold facelets; the rest are dropped.
  void DropEmptyNets();

  // ---- Creation and growth ----
  // One net per facelet of the facelet type.
  bool CreateFromFaceType(Face3DType* faceType);
  // Nets of the fans of facelets round the vertices equivalent to edge's start.
  bool CreateFromVert(Edge3D* edge, Model3D* model);
  // Gives every free facelet of the first net's facelet type a net like the first;
  // false after an internal error told, or when the user cancelled (left half made).
  // Its reports move the bar over the current range.
  bool CopyFirstNet();
  // Grows all nets of the type in step.
  bool Spread();
  // The places (position in the chain, edgelet index) in the first net of the copies
  // of one of its edgelets: the images of the edgelet under the rotations that keep
  // the first net, in chain order. Every net of the type holds its copies at the same
  // places.
  std::vector<std::pair<int, int>> CopiesInFirstNet(const Edge3D* edge) const;
  // Joins nets of the type into larger nets (only while the group size is 1).
  bool TryToCombineNets(int limit);
  // Convex hull of the first net, its least-area bounding rectangle and radii; the
  // first net is turned and moved to be centred in that rectangle.
  void SetBBoxRadii();
  // The bounding radius: the half diagonal of the rectangle.
  double GetBBoxRadius() const;

  // ---- Merging across convex edges ----
  void TestMergeCandidate();
  // Marks this type and the types reachable from it; the number of candidate types
  // reached that were not rejected.
  int CountReachableCandidates();
  bool TestClosure();

  int32_t groupSize;
  uint32_t flags = 0;
  int32_t numNets;
  std::unique_ptr<Net[]> nets;
  Edge3D* hullStart = nullptr;
  double radiusX = 0.0;
  double radiusY = 0.0;
  int32_t printCount = 0;
  int32_t printCursor = -1;
  NetType* next = nullptr;
};

// Comparator of net types by bounding area, larger first; areas within 1e-7 equal.
int CompareNetTypes(const NetType* a, const NetType* b);

// The merging pass across convex edges, from the given type; answers the type from
// which the next pass starts (null when none is left).
NetType* MergeConvexNetTypes(Model3D* model, NetType* start);

}  // namespace corvia
