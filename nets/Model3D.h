#pragma once
// The facet model of what one face-type block of a Poly shows: the polyhedron itself
// while the block shows it unstellated, otherwise the current stellation rebuilt from
// its cells. Every face is split into facelets grouped into facelet types; each
// facelet has its ring of edgelets; the model holds one array of vertices. Drawing,
// unfolding into nets, the construction-toy checks, export and the metric data file
// all work on it. The block makes it on demand and frees it when its faces or cells
// change.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

#include "model/ModelPart.h"
#include "nets/Face3D.h"
#include "nets/Vert3D.h"

namespace corvia {

// What the progress window says while a facet model's facelets, and its nets, are made.
inline constexpr const char* kMakingFaceletsCaption = "Making the facelets";
inline constexpr const char* kMakingNetsCaption = "Making nets";

class Outcome;
class Poly;
class FaceTypeBlock;
class DrawnPolygon;
class ElementList;
class SimplePoly;
class Net;
class NetType;
struct EdgeListNode;

// Options of Model3D::CreateSimplePoly (bit n of the option word is 1 << n).
constexpr uint32_t kCopyHolesAllowed = 1u << 1;        // turn holes into coplanar faces without asking
constexpr uint32_t kCopyVerticesByPosition = 1u << 2;  // no vertex per model vertex: found by position
constexpr uint32_t kCopyTriangles = 1u << 5;           // every type as triangles
constexpr uint32_t kCopyNonConvexAsTriangles = 1u << 6;
constexpr uint32_t kCopyHolesAsTriangles = 1u << 7;

// The construction-toy part table: panel kinds by the five kit colours.
// The nets of a model of this many facelets or more (a tenth of a second or more to
// fold) are folded when the program is idle, not in the paint that shows them.
constexpr int kDeferredFoldFacelets = 20000;

constexpr int kToyPanelKinds = 4;
constexpr int kToyColours = 5;

class Model3D : public ModelPart {
 public:
  // The model of the plain polyhedron for the base or the dual side. A side whose
  // faces have corners at infinity cannot be built: the model stays empty, refused in
  // *why when given.
  Model3D(Poly* poly, bool dual, Outcome* why = nullptr);
  // The model of the block's current stellation from its cells; vertexCount is the
  // number of vertices counted among the used segment vertices.
  Model3D(FaceTypeBlock* block, int vertexCount);
  ~Model3D() override;
  Model3D(const Model3D&) = delete;
  Model3D& operator=(const Model3D&) = delete;

  void Init(Poly* poly, FaceTypeBlock* block);
  // Forgets every facelet, vertex and net (the elements' facelet pointers too).
  void Free();
  bool IsDual() const;

  // ---- Counts and lookups (drawn-polygon types count in none of these) ----
  int GetNumFaceTypes() const;
  int GetNumFacelets() const;
  int GetNumLoops() const;
  bool HasHoles() const;
  int GetNumEdges() const;
  // The number of edges; count receives the number of edgelets carrying 0x200.
  int CountEdges(int* count) const;
  Face3D* GetFacelet(int i) const;
  Edge3D* GetEdge(int i) const;
  // Joins again every edge the user cut in the nets and remakes the nets; the number
  // of edgelets joined (0: nothing was cut, the nets stay as they are).
  int JoinUserCuts();
  int GetNumVerts() const { return mNumVerts; }
  Vert3D* GetVert(int i) const { return i >= 0 && i < mNumVerts ? &mVerts[static_cast<size_t>(i)] : nullptr; }

  void CalcEdgeLengths();
  double GetMinEdgeLength();
  // Half the sum of the shortest and longest edge; 0 for a model without edges.
  double GetMeanEdgeLength();
  // Largest distance of a vertex from the origin; 0 for a null model.
  static double CalcMaxRadius(const Model3D* model);

  // The first vertex within 1e-7 of the position in each coordinate; null when none.
  Vert3D* FindVertExact(const double* position) const;

  // Numbers the facelet types (Face3DType::mIndex, mFirstFacelet, mFirstEdgelet) in
  // list order. The model does it once built and whenever its drawn types change; the
  // lookups do it too when the lists are not the ones numbered last.
  void NumberFaceTypes() const;
  // The numbers are those of the lists as they are now.
  void KeepFaceTypesNumbered() const;

  // ---- Drawn polygons ----
  void AddDrawnPolygon(DrawnPolygon* polygon);
  void ClearDrawnPolygons();
  // Removes the drawn type with index i; nothing past the end.
  void RemoveDrawnPolygon(int i);
  int CountDrawnTypes() const;

  // ---- Told by the model that owns it ----
  // A closed polygon joins the nets when they are made.
  void DrawnPolygonFinished(DrawnPolygon* polygon) override;
  void DrawnPolygonsCleared() override { ClearDrawnPolygons(); }
  void DrawnPolygonRemoved(Poly& poly, DrawnPolygon* polygon, int typeIndex) override;
  // No edgelet is selected any more (the net panes are redrawn when one was).
  void SelectionCleared() override;

  // A plain copy of the model for the derived-model factory; null when refused.
  // With edgeList, the model's coloured edges are handed over too.
  SimplePoly* CreateSimplePoly(uint32_t options, EdgeListNode** edgeList);

  // ---- Nets ----
  // Regenerates every net; under the progress window for a large model.
  void MakeNets();
  // The nets are made (never while they are being made).
  bool HasNets() const;
  // MakeNets is running: the nets are half made.
  bool IsMakingNets() const { return mMakingNets; }
  int GetNumNetTypes() const;
  int GetNumNets() const;
  void ClearNets(bool resetFacelets);
  void RebuildTabs();
  void AssignTabs();
  // Reports the share of the tabs made through ProgressTick; false when the work was
  // cancelled (the tabs are then half made).
  bool RecreateTabs();
  void SetNetBBoxRadii();
  void CopyFirstNetLayout();
  void NumberEdgeConnections();
  void SortNetTypes();
  // Appends a net type to the list.
  void AppendNetType(NetType* type);
  // The i-th net over all net types; null past the end.
  Net* GetNet(int i) const;

  // ---- Queries of the net views, printing and colour dialogs ----
  // Whether the edgelet is drawn under the net display mode (selector 0), only in
  // the current net (1), or always (other values).
  bool IsEdgeShown(const Edge3D* edge, int selector) const;
  Net* FindNetByColor(uint32_t packed) const;
  // The distinct packed net colours in first-met order.
  std::vector<uint32_t> GetNetColors() const;
  // Colours the model by connected part (faces joined across edges that are not
  // reflex); returns the number of parts.
  int ColorFaceletsByPart() override;
  // Sets each net type's copies to print; returns the total. colour may be null.
  int CountNetsToPrint(const float* colour, bool onlyWithImages);
  // Folds the nets to the global fold fraction when it changed. goOn, when given, is
  // asked after each facelet placed: false stops the fold (then false), the nets left
  // part folded, to be folded whole at the next fold whatever its fraction.
  bool UpdateFolding(const std::function<bool()>& goOn = nullptr);
  // For a paint: folds the nets now when the model has fewer than kDeferredFoldFacelets
  // facelets; a larger one's are folded by the idle work (FoldAskedNets), which
  // this asks for, and meanwhile stay as they were last folded. Whether the nets have
  // places to draw: they were folded whole since they (or their tabs) were made.
  bool FoldOrAskIdleWork();
  // A paint asked the idle work for a fold (FoldOrAskIdleWork) that is still to be made.
  bool IsFoldAsked() const;
  // The user cancelled the fold to the fraction as it is now: a paint does not ask for
  // it again (the pane's view chosen again does, as a new fraction).
  bool WasFoldCancelled() const;
  void AskAgainForCancelledFold() { mFoldCancelled = -1.0; }
  // Counts the folds UpdateFolding made: the folded places of the nets' facelets and
  // tabs are those of the last one.
  uint64_t GetFoldCount() const { return mFoldCount; }
  // The nets the display mode shows: the current net, the nets of its type, or all.
  std::vector<Net*> GetShownNets() const;
  // How far from the centre the shown nets reach, folded as they are now (their tabs
  // too, where the folded nets show them): a pane fitted to it shows them whole
  // whichever way it is turned. Folded as FoldOrAskIdleWork folds them; 0 while they
  // have not been folded.
  double GetShownNetsReach();

  // ---- Construction toy ----
  // Whether the facelets can be built with the construction toy: rods of one length
  // at no less than the toy's angle, panels where the faces have their shapes. The
  // answer is kept; the block's note says why not, or what cannot be a panel.
  // Always true while a model is being made or stellated (and then not kept).
  bool CanBuildWithGeomag();
  // Counts, once, the rods, balls and panels (by shape and colour) the model needs;
  // all zero when it cannot be built. Nothing is counted while a model is being
  // made or stellated.
  void CountGeomagParts();
  // The number of panels of every shape and colour.
  int GetNumGeomagParts();

  // ---- Fields ----
  Poly* mPoly = nullptr;
  FaceTypeBlock* mBlock = nullptr;
  Face3DType* mFaceTypes = nullptr;
  Face3DType* mDrawnTypes = nullptr;
  Face3DType* mDrawnTypesTail = nullptr;
  Face3D* mSelectedFacelet = nullptr;
  Edge3D* mSelectedEdge = nullptr;
  int32_t mNumVerts = 0;
  std::unique_ptr<Vert3D[]> mVerts;
  int32_t mNumVertTypes = 0;
  uint32_t mFlags = 0;
  double mMinEdgeLength = -1.0;
  double mMaxEdgeLength = -1.0;
  int32_t mToyParts[kToyPanelKinds][kToyColours];
  int32_t mToyRods = -1;
  int32_t mToyBalls = -1;
  NetType* mNetTypes = nullptr;
  NetType* mNetTypesTail = nullptr;
  Net* mCurrentNet = nullptr;
  double mFoldFraction = -1.0;
  // Whether the nets were folded whole since they were made, a paint asked the idle work
  // to fold them, and the fraction whose fold the user cancelled (-1 for none).
  bool mFolded = false;
  bool mFoldAsked = false;
  double mFoldCancelled = -1.0;
  // The last MakeNets was cancelled: a drawing does not ask for the nets again.
  bool mNetsCancelled = false;

  // What a drawing keeps of the nets (their layout, the edgelets' flags, the tabs, the
  // facelets' own images) is good while the model holds the same record with the same
  // count: a change of any of them counts one up, and the record goes with the model.
  struct NetsChange {
    uint64_t count = 0;
  };
  std::shared_ptr<const NetsChange> GetNetsChange() const { return mNetsChange; }
  void MarkNetsChanged() { ++mNetsChange->count; }
  // A net of a model as a drawing kept it, with the model's count of changes then.
  struct NetMark {
    const Net* net = nullptr;
    const Model3D* model = nullptr;
    std::weak_ptr<const NetsChange> change;
    uint64_t count = 0;

    static NetMark Of(const Net* net, const Model3D* model) {
      NetMark mark;
      mark.net = net;
      mark.model = model;
      if (model) {
        mark.change = model->mNetsChange;
        mark.count = model->mNetsChange->count;
      }
      return mark;
    }
    // Whether the model has not changed its nets since: its facelets may be read.
    bool Current() const {
      const std::shared_ptr<const NetsChange> now = change.lock();
      return now && now->count == count;
    }
    // Whether the other marks the same net of the same model at the same count.
    bool Holds(const NetMark& other) const {
      const std::shared_ptr<const NetsChange> mine = change.lock();
      return mine && mine == other.change.lock() && net == other.net && model == other.model && count == other.count;
    }
  };

 private:
  friend class NetGenerator;
  bool mMakingNets = false;
  uint64_t mFoldCount = 0;
  std::shared_ptr<NetsChange> mNetsChange = std::make_shared<NetsChange>();
  // The build of the plain polyhedron; each step is false when the user cancelled, and
  // leaves what it made for Free.
  bool CreateVerticesFromElements(ElementList* faces, FaceTypeBlock* otherBlock);
  bool CreateFacesFromElements(FaceTypeBlock* ownBlock);
  // Links every facelet's edgelets and marks the drawn edges; false when the user
  // cancelled. With lastThird its reports move the bar over the last third of the
  // plain polyhedron's build.
  bool LinkEdges(bool lastThird);
  // Sorts, marks and cleans one vertex group of count records from start.
  void FinishVertexGroup(int start, int count);
  // The vertices filed by position, for FindVertExact (nets/Model3D.cpp).
  struct VertexSearch;
  struct VertexSearchDeleter {
    void operator()(VertexSearch* search) const;
  };
  void BuildVertexSearch();
  std::unique_ptr<VertexSearch, VertexSearchDeleter> mVertexSearch;
  // The ends of the type lists when they were numbered last.
  mutable const Face3DType* mNumberedTypes = nullptr;
  mutable const Face3DType* mNumberedDrawn = nullptr;
  mutable const Face3DType* mNumberedDrawnTail = nullptr;
};

// Describes the picked facelet or edgelet in the status bar and makes its net the
// current one (a null argument only clears the model's pick).
void DescribeSelectedFacelet(Model3D* model, Face3D* facelet);
void DescribeSelectedEdge(Model3D* model, Edge3D* edge);

// Folds the nets of those models whose paint asked for a fold (Model3D::IsFoldAsked),
// under one progress level with its Cancel. False when cancelled: the user's Cancel
// leaves the nets part folded, the panes showing them as last folded whole, and not
// asked for again until the fraction changes; after a stop the program asked for
// (RequestProgressCancel) the next paint asks again.
bool FoldAskedNets(const std::vector<Model3D*>& models);

}  // namespace corvia
