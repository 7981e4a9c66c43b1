#pragma once
// An edgelet: one side of one facelet of the facet model. Edgelet i of a facelet runs
// from its corner i to the next corner of the same loop. Two facelets that share an
// edge each have their own edgelet, linked as neighbours; where more than two meet
// (coincident edges of a stellation or faceting) the edgelets form a ring, and the
// coincident-edge method decides which of them count as neighbours inside a net.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

namespace corvia {

class Face3D;
class Model3D;
class NetTab;
struct Vert3D;

// Coincident-edge methods (the global default lives in UnitSettings).
constexpr uint32_t kCoincTongueInGroove = 0x400000;
constexpr uint32_t kCoincInternalSupport = 0x800000;
constexpr uint32_t kCoincNoSupportRequired = 0x1000000;
constexpr uint32_t kCoincDisconnected = 0x2000000;

struct Edge3D {
  uint32_t flags = 0;
  int32_t connectionId = -1;
  std::unique_ptr<NetTab> tab;
  Face3D* face = nullptr;
  Vert3D* vert = nullptr;
  Edge3D* mNeigh = nullptr;
  double dihedral = 0.0;
  Edge3D* nextCoinc = nullptr;
  double coincAngle = 0.0;
  double pos3D[3] = {0.0, 0.0, 0.0};
  double unfolded[2] = {0.0, 0.0};
  double local[2] = {0.0, 0.0};
  Edge3D* nextAtVert = nullptr;

  Edge3D();
  ~Edge3D();
  Edge3D(const Edge3D&) = delete;
  Edge3D& operator=(const Edge3D&) = delete;

  bool Has(uint32_t bits) const { return (flags & bits) != 0; }

  // ---- Names, numbers, position ----
  // Position in the facelet's array; -1 for null.
  static int GetIndex(const Edge3D* edge);
  // "facelet type number-edgelet index"; "NULL" for null.
  static std::string GetTypeName(const Edge3D* edge);
  // Running number over the model: types in list order, facelets, edgelets; -1 for
  // null or a type outside the list.
  static int GetNumber(const Edge3D* edge);
  // The same counted through the type's loop lengths: -1 for null, -2 when the type
  // or the edgelet is not found.
  static int GetNumberByLoops(const Edge3D* edge);
  static Model3D* GetModel(const Edge3D* edge);
  // The text the edge data word asks for, into buffer (size bytes, always ended);
  // false when there is none (a joined added side, or no text chosen).
  bool GetEdgeDataText(char* buffer, size_t size) const;

  // ---- Neighbours and loops ----
  // The neighbouring edgelet inside a net under the coincident-edge method; null
  // when there is none.
  static Edge3D* GetNeighInNet(const Edge3D* edge, bool strict);
  Edge3D* GetNextInLoop() const;
  Edge3D* GetPrevInLoop() const;
  // The next edgelet of the net outline (joined edgelets are crossed; with
  // placement joins also 0x1000 ones, unless this edgelet is one itself).
  Edge3D* GetNextOutlineEdge(bool placementJoins) const;
  // The next outline edgelet (with placement joins) that is a hull point.
  Edge3D* GetNextHullPoint() const;
  // The edgelet with the same index in the facelet that stands at the same place of
  // the first net of the net type; itself in the first net or outside any net.
  Edge3D* GetFirstNetCopy() const;
  // Whether the other edgelet is this one, its neighbour or reached round the ring.
  bool IsInCoincRing(const Edge3D* other) const;
  // The ring member to draw for this edge: the first (from here: nextCoinc, then
  // mNeigh, ...) whose facelet and neighbour facelet both pass the test, else the one
  // with the least dihedral angle.
  Edge3D* GetDrawingRepresentative(const std::function<bool(const Edge3D*)>& visible);
  // Same facelet type and same index.
  bool IsSamePosition(const Edge3D* other) const;
  // Squared length from this local point to the next one.
  double GetLengthSquared() const;
  const float* GetColor() const;
  // The running ring walk limit: the number of edgelets that start at the vertex.
  int CountRingLimit() const;

  // ---- Angles ----
  double GetDihedralAngle() const;
  double GetMitreAngle() const;
  bool IsConvex() const;
  // The angle a glue tab on this edgelet folds to (see the tabs).
  double GetTabAngle();

  // ---- Copies in the nets of the net type ----
  // Calls fn with every copy of the edgelet: the edgelet at the same index of the
  // facelet at the same place in each net of its net type (just itself outside any
  // net). Stops early when fn answers false.
  void ForEachCopy(const std::function<bool(Edge3D*)>& fn);
  bool AnyCopyHas(uint32_t bits);
  bool EveryCopyHas(uint32_t bits);
  // Sets or clears bits on the edgelet and its copies (with alsoNeighbour, on their
  // neighbours in the net too). inAllNets walks the nets of the net type directly.
  void SetFlagAllCopies(uint32_t bits, bool on, bool alsoNeighbour, bool inAllNets);

  // ---- The user's cut ----
  // Cuts a joined edge or joins a cut one, remaking the nets unless the generator
  // fixed the cut.
  void ToggleCut(bool allCopies);
};

// "facelet number-edgelet index"; "NULL" for null. Returned by value, so that one
// text can name several edgelets.
std::string GetEdgeName(const Edge3D* edge);

}  // namespace corvia
