// What the Unfolded Net pane keeps of its net between paints: the facelets, tabs and
// edges gathered into vertex buffers, made in the paint or by the idle work, and drawn
// from them.

#include "render/FlatNetMesh.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <functional>
#include <memory>
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

#include "core/Globals.h"
#include "core/Units.h"
#include "model/ElementFlags.h"
#include "model/ElementLabels.h"
#include "model/ElementList.h"
#include "model/ElementServices.h"
#include "model/FaceTypeBlock.h"
#include "model/Poly.h"
#include "model/PolyElement.h"
#include "nets/Edge3D.h"
#include "nets/Face3D.h"
#include "nets/Model3D.h"
#include "nets/Net.h"
#include "nets/NetFlags.h"
#include "nets/NetSettings.h"
#include "nets/NetTab.h"
#include "nets/Vert3D.h"
#include "platform/Services.h"
#include "render/DepthSortedTriangles.h"
#include "render/FaceMeshCache.h"
#include "render/FaceletDrawing.h"
#include "render/GL.h"
#include "render/GLBuffer.h"
#include "render/GLContextState.h"
#include "render/GLErrors.h"
#include "render/GLSection.h"
#include "render/IdleTurns.h"
#include "render/LightSets.h"
#include "render/ModelDrawPane.h"
#include "render/ModelDrawSettings.h"
#include "render/NetDrawSettings.h"
#include "render/NewView.h"
#include "render/OpenGLView.h"
#include "render/OutcomeBoxes.h"
#include "render/StateHash.h"
#include "stellation/Model3DStellation.h"
#include "stellation/StellationCell.h"

namespace corvia {

namespace detail_FlatNetMesh {

constexpr uint16_t kValleyStipple = 0x0F0F;
constexpr int kMouseModeCutEdges = 2;
// Facelets gathered in one turn of the idle work, between two reports of progress.
constexpr size_t kFaceletsATurn = 10000;
// Seconds between two repaints of a view whose net is being gathered: each repaint
// draws all that is gathered so far.
constexpr double kRepaintEvery = 1.0;

// A corner of a facelet's triangle, coloured as GL is given the facelet's colour.
struct FaceletVertex {
  float xy[2];
  float rgba[4];
};

// The kinds of edge lines: plain or dashed (a valley), and three times as wide (an
// edge the user cut, in the mouse mode that cuts edges).
enum EdgeKind { kEdgeSolid, kEdgeValley, kEdgeWideSolid, kEdgeWideValley, kEdgeKinds };

// What a turn gathers, in memory.
struct Gathered {
  std::vector<FaceletVertex> facelets;
  std::vector<float> tabFills;  // triangles, x and y a corner
  std::vector<float> tabLines;  // segments, x and y an end
  std::vector<float> edges[kEdgeKinds];
  KeptLines sections;
  KeptLines lines;
  std::vector<Face3D*> oneByOne;
};

// One turn's facelets in one buffer: the facelets' corners, then the tabs' triangles and
// outlines and the edges' ends, two floats a point.
struct Piece {
  GLBuffer buffer;
  GLsizei facelets = 0;
  size_t tabFillsAt = 0;
  GLsizei tabFills = 0;
  size_t tabLinesAt = 0;
  GLsizei tabLines = 0;
  size_t edgesAt[kEdgeKinds] = {};
  GLsizei edges[kEdgeKinds] = {};
  size_t sectionsAt = 0;
  GLsizei sections = 0;
  size_t linesAt = 0;
  GLsizei lines = 0;
};

// What a kept drawing shows: the net of the model's nets as they were counted, the
// model's faces as the hash found them, and the state that decided the colours and
// the kinds of lines.
struct Key {
  Model3D::NetMark nets;
  uint64_t state = 0;

  bool Holds(const Key& o) const { return nets.Holds(o.nets) && state == o.state; }
};

// A corner of a folded facelet or tab as the one-by-one drawing gives it to GL: its
// place (in the scale that drawing gives it) and the normal of its facelet or tab.
struct FoldedVertex {
  float xyz[3];
  float normal[3];
};

// What a turn of folded nets gathers: the facelets drawn together, with their colours
// a corner; the tabs standing on their edgelets; the tabs glued under facelets, each
// facelet's in a run whose first is marked; and the facelets drawn one by one.
struct FoldedGathered {
  std::vector<Face3D*> facelets;
  std::vector<float> colours;
  std::vector<const Edge3D*> tabs;
  std::vector<const NetTab*> glued;
  std::vector<bool> gluedRunStarts;
  std::vector<Face3D*> oneByOne;
  // The facelets whose stellation lines are shown over them (hidden ones too).
  std::vector<Face3D*> lined;
};

// The places and normals of a turn's folded corners in one buffer: the facelets', then
// the tabs' and the glued tabs' triangles, then the tabs' and the glued tabs' outlines
// as segments, made again after every fold and change of the model's scale.
struct FoldedPlaces {
  std::unique_ptr<GLBuffer> places = std::make_unique<GLBuffer>();
  GLsizei corners = 0;
  // The fold and scale the places are of.
  bool placed = false;
  uint64_t foldCount = 0;
  double scale = 0.0;
  GLsizei tabFills = 0, gluedFills = 0, tabLines = 0, gluedLines = 0;
  size_t tabFillsAt = 0, gluedFillsAt = 0, tabLinesAt = 0, gluedLinesAt = 0;
  // The facelets' stellation lines as segments, in the model's own units.
  GLsizei stellationLines = 0;
  size_t stellationLinesAt = 0;
};

// One turn's folded facelets: their colours in one buffer, made once, and their places.
// The idle work places a large net's pieces anew in `next`, drawn from once all the
// pieces of the view are placed.
struct FoldedPiece : FoldedPlaces {
  std::vector<Face3D*> facelets;
  std::vector<const Edge3D*> tabs;
  std::vector<const NetTab*> glued;
  std::vector<bool> gluedRunStarts;
  std::vector<Face3D*> lined;
  GLBuffer colours;
  std::unique_ptr<FoldedPlaces> next;
};

}  // namespace detail_FlatNetMesh

// What one view keeps: the pieces gathered so far, the facelets drawn one by one, and
// where the gathering stands.
struct KeptFlatNet {
  OpenGLView* view = nullptr;
  detail_FlatNetMesh::Key key;
  std::vector<std::unique_ptr<detail_FlatNetMesh::Piece>> pieces;
  std::vector<Face3D*> oneByOne;
  // The Folding Net pane's: the facelets of the nets it shows in one chain, the nets'
  // in turn, and the pieces gathered of it.
  bool folded = false;
  std::vector<Net*> foldedNets;
  std::vector<Face3D*> chain;
  std::vector<std::unique_ptr<detail_FlatNetMesh::FoldedPiece>> foldedPieces;
  // The place in the net's chain of the next facelet to gather, and the facelets of the
  // chain (known once the idle work begins).
  size_t next = 0;
  size_t total = 0;
  // The idle work gathers the rest; or the user cancelled it, and the part gathered is
  // all there is until the net changes.
  bool waiting = false;
  bool declined = false;
  // Gathered without the stellation lines shown, whose data the idle work makes; then
  // the idle work gathers the lines alone over the facelets kept.
  bool linesWait = false;
  bool linesOnly = false;
  double lastRepaint = 0.0;
  // The fold and scale whose placing of the folded pieces the user cancelled.
  uint64_t declinedFold = 0;
  double declinedScale = 0.0;
};

namespace detail_FlatNetMesh {

struct Kept : GLContextPart {
  std::unordered_map<const OpenGLView*, KeptFlatNet> views;
  unsigned long gathered = 0;
  unsigned long foldedGathered = 0;
  unsigned long foldedOneByOne = 0;
  unsigned long linesOneByOne = 0;
  unsigned long foldedPlaced = 0;
};

bool GeomagOn() {
  return GetElementDisplayOptions().constructionToyStyle;
}

// Whether the pane's own frame is in the mode that cuts the net's edges.
bool CutMode(const OpenGLView* view) {
  return GetMouseSelectionMode(view->GetViewGroup()) == kMouseModeCutEdges;
}

// Whether the stellation lines are shown over the nets of a model of many facelets
// before their data, a stellation of the whole model, is worked out: the idle work
// works it out, not a paint.
bool LineDataWaits(const Model3D* model) {
  return GetNetDrawSettings().showStellationLines && !(model->mFlags & kModelLineData) &&
         model->GetNumFacelets() >= kDeferredFlatNetFacelets;
}

// The state of the model's faces and of the drawing that a kept net's colours and lines
// were made from: every face of the net's side (its colours, image, flags and label),
// whether labels and numbers are shown, the colour filters and the mouse mode.
uint64_t HashState(OpenGLView* view, const Model3D* model, const std::vector<Net*>* foldedNets) {
  StateHash h;
  h.Add(GetCurrentGLContextKey());
  const Poly* poly = model->mPoly;
  h.Add(poly);
  if (poly) {
    h.Add(poly->GetDrawnStateSerial());
    const ElementList& faces =
        model->IsDual() ? static_cast<const ElementList&>(poly->mVertices) : static_cast<const ElementList&>(poly->mFaces);
    h.Add(static_cast<uint64_t>(faces.HasLabels()));
    for (const PolyElement* f = faces.mHead; f; f = f->mNext) {
      h.Add(f);
      h.Add(static_cast<uint64_t>(f->mFlags) | static_cast<uint64_t>(f->HasLabel()) << 32);
      h.Add(f->GetImage());
      h.Add(f->mColor, 3);
      h.Add(f->mBackColor, 3);
      // Folded, a translucent facelet is drawn one by one.
      if (foldedNets) h.Add(&f->mOpacity, 1);
    }
    // Folded, the facelets of hidden stellation cells are not drawn.
    const FaceTypeBlock* block = model->IsDual() ? poly->mDualBlock.get() : poly->mBaseBlock.get();
    if (foldedNets && block) {
      uint64_t cells = 0;
      for (const StellationCell* c = block->mFirstCell; c; c = c->mNext) {
        h.Add(static_cast<uint64_t>(c->IsHidden()) | cells++ << 1);
      }
    }
  }
  if (foldedNets) {
    // The nets shown, which tabs stand on their edgelets and which are glued under
    // facelets, and whether either is shown.
    h.Add(static_cast<uint64_t>(foldedNets->size()));
    for (const Net* net : *foldedNets) h.Add(net);
    const bool standing = GetNetSettings().show3DTabs, glued = GetNetDrawSettings().showTabsOnFoldingNets;
    h.Add(static_cast<uint64_t>(standing) | static_cast<uint64_t>(glued) << 1);
    if (standing || glued) {
      const double g = GetNetSettings().foldFraction;
      h.Add(static_cast<uint64_t>(g < 0.5 ? 0 : g == 1.0 ? 2 : 1));
    }
  }
  // The sphere sections and stellation lines shown over the facelets.
  const NetDrawSettings& lines = GetNetDrawSettings();
  const bool sections = lines.showSphereSections && !lines.referenceSpheres.empty();
  // Folded, the lines are placed with the facelets: once their data is made the pieces
  // are placed again, the facelets kept.
  h.Add(static_cast<uint64_t>(sections) | static_cast<uint64_t>(lines.showStellationLines) << 1 |
        static_cast<uint64_t>(!foldedNets && LineDataWaits(model)) << 2);
  if (sections) {
    h.Add(static_cast<uint64_t>(lines.referenceSpheres.size()));
    for (double sphere : lines.referenceSpheres) h.Add(sphere);
    h.Add(GetUnitSettings().mLengthScale);
  }
  h.Add(static_cast<uint64_t>(DiagnosticNumbers) | static_cast<uint64_t>(ShowLabels) << 32);
  h.Add(static_cast<uint64_t>(CutMode(view)));
  h.Add(static_cast<uint64_t>(GetRainbowFlags(view->GetViewGroup())));
  h.Add(static_cast<uint64_t>(view->Stereo().GetStereoKind()));
  h.Add(view->Stereo().GetAnaglyphWeights(), 3);
  h.Add(static_cast<uint64_t>(view->Is3D()) | static_cast<uint64_t>(view->GetLighting()) << 1);
  return h.Get();
}

Key MakeKey(OpenGLView* view, const Net* net, const Model3D* model, const std::vector<Net*>* foldedNets) {
  Key key;
  key.nets = Model3D::NetMark::Of(net, model);
  key.state = HashState(view, model, foldedNets);
  return key;
}

// Whether the nets the key was made from are still the model's: its facelets and tabs
// may be read.
bool NetsHold(const Key& key) {
  return key.nets.Current();
}

void AddPoint(std::vector<float>& points, const double* p) {
  points.push_back(static_cast<float>(p[0]));
  points.push_back(static_cast<float>(p[1]));
}

// The facelet's triangles, tabs and edges as the drawing of one facelet gives them to
// GL; a facelet whose drawing asks more (an image, a label) is drawn one by one.
void GatherFacelet(OpenGLView* view, Face3D* f, Gathered& out, bool lines) {
  // The sphere sections and stellation lines, where they are shown.
  GatherSphereSections(f, false, out.sections);
  if (lines) GatherStellationLines(f, false, out.lines);
  if (!f->mType) return;
  const int count = f->GetNumEdges();
  if (f->GetImage() || (f->mSourceFace && f->mSourceFace->IsTextShown())) {
    out.oneByOne.push_back(f);
  } else {
    float rgba[4];
    view->Materials().FilterMaterialColor(f->GetColor(), 1.0f, rgba);
    const int* indices = f->mType->mIndices.get();
    for (int i = 0; indices && i + 2 < f->mType->mNumIndices; i += 3) {
      bool valid = true;
      for (int c = 0; c < 3 && valid; ++c) valid = indices[i + c] >= 0 && indices[i + c] < count;
      if (!valid) continue;
      for (int c = 0; c < 3; ++c) {
        const Edge3D& e = f->mEdges[indices[i + c]];
        out.facelets.push_back({{static_cast<float>(e.unfolded[0]), static_cast<float>(e.unfolded[1])},
                                {rgba[0], rgba[1], rgba[2], rgba[3]}});
      }
    }
  }
  const bool cutMode = CutMode(view);
  for (int i = 0; i < count; ++i) {
    const Edge3D* e = &f->mEdges[i];
    if (const NetTab* tab = e->tab.get()) {
      // A broken triangulation ends the tab's triangles.
      for (int t = 0; t + 2 < tab->numIndices; t += 3) {
        bool valid = true;
        for (int c = 0; c < 3 && valid; ++c) {
          const int32_t index = tab->indices[static_cast<size_t>(t + c)];
          valid = index >= 0 && index < static_cast<int32_t>(tab->points.size());
        }
        if (!valid) break;
        for (int c = 0; c < 3; ++c) AddPoint(out.tabFills, tab->points[static_cast<size_t>(tab->indices[t + c])].pos2D);
      }
      const TabPoint* previous = nullptr;
      for (const TabPoint& p : tab->outline) {
        if (previous) {
          AddPoint(out.tabLines, previous->pos2D);
          AddPoint(out.tabLines, p.pos2D);
        }
        previous = &p;
      }
    }
    // Each edgelet owns the edge to the next corner; a joined edge is drawn from its
    // first side, and a dashed one from its corner of the lower vertex index, so that
    // both sides of a cut valley show their dashes in one phase.
    const Edge3D* next = e->GetNextInLoop();
    if (!next || e->Has(kEdgeJoinedAdded)) continue;
    const bool valley = !e->IsConvex();
    const bool wide = cutMode && e->Has(kEdgeUserCut);
    const double* a = e->unfolded;
    const double* b = next->unfolded;
    if (valley && Vert3D::GetIndex(next->vert) < Vert3D::GetIndex(e->vert)) std::swap(a, b);
    std::vector<float>& edges = out.edges[(wide ? kEdgeWideSolid : kEdgeSolid) + (valley ? 1 : 0)];
    AddPoint(edges, a);
    AddPoint(edges, b);
  }
}

// The gathered turn in a buffer of the current context; what the kept drawing draws
// one by one joins it.
void AddPiece(KeptFlatNet& kept, Gathered& gathered, size_t facelets) {
  auto piece = std::make_unique<Piece>();
  std::vector<float> lines;
  auto append = [&lines](const std::vector<float>& points, size_t& at, GLsizei& count) {
    at = lines.size() * sizeof(float);
    count = static_cast<GLsizei>(points.size() / 2);
    lines.insert(lines.end(), points.begin(), points.end());
  };
  append(gathered.tabFills, piece->tabFillsAt, piece->tabFills);
  append(gathered.tabLines, piece->tabLinesAt, piece->tabLines);
  for (int k = 0; k < kEdgeKinds; ++k) append(gathered.edges[k], piece->edgesAt[k], piece->edges[k]);
  append(gathered.sections.points, piece->sectionsAt, piece->sections);
  append(gathered.lines.points, piece->linesAt, piece->lines);
  const size_t faceletBytes = gathered.facelets.size() * sizeof(FaceletVertex);
  piece->tabFillsAt += faceletBytes;
  piece->tabLinesAt += faceletBytes;
  for (size_t& at : piece->edgesAt) at += faceletBytes;
  piece->sectionsAt += faceletBytes;
  piece->linesAt += faceletBytes;
  piece->facelets = static_cast<GLsizei>(gathered.facelets.size());
  std::vector<unsigned char> bytes(faceletBytes + lines.size() * sizeof(float));
  if (faceletBytes) std::memcpy(bytes.data(), gathered.facelets.data(), faceletBytes);
  if (!lines.empty()) std::memcpy(bytes.data() + faceletBytes, lines.data(), lines.size() * sizeof(float));
  if (!bytes.empty()) piece->buffer.Upload(bytes.data(), bytes.size(), false);
  kept.pieces.push_back(std::move(piece));
  kept.oneByOne.insert(kept.oneByOne.end(), gathered.oneByOne.begin(), gathered.oneByOne.end());
  if (Kept* parts = FindCurrentGLContextPart<Kept>(&GLContextState::flatNets)) parts->gathered += facelets;
}

// ---- Folded nets ----------------------------------------------------------------------------

// Whether the drawing of a folded facelet shows anything but its triangles, the tabs
// about it and its stellation lines (numbers, edge texts, edges and corners, sphere
// sections): those nets are drawn one facelet at a time.
bool FoldedExtrasShown(const OpenGLView* view) {
  const ModelDrawSettings& model = GetModelDrawSettings();
  const NetDrawSettings& nets = GetNetDrawSettings();
  const bool cutMode = CutMode(view);
  const bool edges = (!model.spheresAndCylinders || cutMode) &&
                     (model.showEdges || model.showStelEdges || model.showVerts || model.showStelVerts || cutMode);
  return edges || AreFaceletNumbersShown() || GetNetSettings().edgeData != 0 ||
         (nets.showSphereSections && !nets.referenceSpheres.empty());
}

// The folded facelet as the one-by-one drawing gives it to GL: its triangles in its
// colour (none when hidden), the tabs of neighbours glued under it, its tabs that stand
// on their edgelets. A facelet whose drawing asks more (an image, a label, translucency)
// is drawn one by one, its tabs with it.
void GatherFolded(OpenGLView* view, Face3D* f, FoldedGathered& out) {
  if (!f->mType) return;
  if (f->GetImage() || (f->mSourceFace && f->mSourceFace->IsTextShown()) || f->GetAlpha() != 1.0f) {
    out.oneByOne.push_back(f);
    return;
  }
  if (GetNetDrawSettings().showStellationLines) out.lined.push_back(f);
  const int count = f->GetNumEdges();
  const bool hidden = (f->mSourceFace && f->mSourceFace->HasFlag(kElementHidden)) || IsInHiddenCell(*f);
  if (!hidden) {
    float rgba[4];
    view->Materials().FilterMaterialColor(f->GetColor(), 1.0f, rgba);
    const int* indices = f->mType->mIndices.get();
    bool any = false;
    for (int i = 0; indices && i + 2 < f->mType->mNumIndices; i += 3) {
      bool valid = true;
      for (int c = 0; c < 3 && valid; ++c) valid = indices[i + c] >= 0 && indices[i + c] < count;
      if (!valid) continue;
      any = true;
      for (int c = 0; c < 3; ++c) out.colours.insert(out.colours.end(), rgba, rgba + 4);
    }
    if (any) out.facelets.push_back(f);
  }
  if (GetNetDrawSettings().showTabsOnFoldingNets) {
    bool first = true;
    for (int i = 0; i < count; ++i) {
      if (const NetTab* tab = FindTabGluedAt(&f->mEdges[i])) {
        out.glued.push_back(tab);
        out.gluedRunStarts.push_back(first);
        first = false;
      }
    }
  }
  if (GetNetSettings().show3DTabs) {
    for (int i = 0; i < count; ++i) {
      const Edge3D* e = &f->mEdges[i];
      if (e->tab && !IsTabShownFolded(e)) out.tabs.push_back(e);
    }
  }
}

// Places the piece's corners as the nets are folded now, in the model's scale, into
// `into` (the piece's own places, or those it draws from next).
void PlaceFolded(OpenGLView* view, const FoldedPiece& piece, FoldedPlaces& into, const Model3D* model,
                 double scale) {
  std::vector<FoldedVertex> corners;
  std::vector<float> lines;
  auto corner = [&corners](const double* p, double by, const double* normal) {
    corners.push_back({{static_cast<float>(p[0] * by), static_cast<float>(p[1] * by), static_cast<float>(p[2] * by)},
                       {static_cast<float>(normal[0]), static_cast<float>(normal[1]), static_cast<float>(normal[2])}});
  };
  // A tab's triangles up to the first broken one, and its outline's segments.
  auto fill = [&](const NetTab& tab, double by) {
    for (int t = 0; t + 2 < tab.numIndices; t += 3) {
      bool valid = true;
      for (int c = 0; c < 3 && valid; ++c) {
        const int32_t index = tab.indices[static_cast<size_t>(t + c)];
        valid = index >= 0 && index < static_cast<int32_t>(tab.points.size());
      }
      if (!valid) break;
      for (int c = 0; c < 3; ++c) corner(tab.points[static_cast<size_t>(tab.indices[t + c])].pos3D, by, tab.normal);
    }
  };
  auto outline = [&lines](const NetTab& tab, double by) {
    const TabPoint* previous = nullptr;
    for (const TabPoint& p : tab.outline) {
      if (previous) {
        for (const TabPoint* q : {previous, &p}) {
          for (int k = 0; k < 3; ++k) lines.push_back(static_cast<float>(q->pos3D[k] * by));
        }
      }
      previous = &p;
    }
  };
  for (const Face3D* f : piece.facelets) {
    const int count = f->GetNumEdges();
    const int* indices = f->mType->mIndices.get();
    for (int i = 0; indices && i + 2 < f->mType->mNumIndices; i += 3) {
      bool valid = true;
      for (int c = 0; c < 3 && valid; ++c) valid = indices[i + c] >= 0 && indices[i + c] < count;
      if (!valid) continue;
      for (int c = 0; c < 3; ++c) corner(f->mEdges[indices[i + c]].pos3D, scale, f->mNormal);
    }
  }
  into.corners = static_cast<GLsizei>(corners.size());
  into.tabFillsAt = corners.size();
  for (const Edge3D* e : piece.tabs) fill(*e->tab, scale);
  into.tabFills = static_cast<GLsizei>(corners.size() - into.tabFillsAt);
  // A glued tab whose folded point the pane does not show ends its facelet's run.
  std::vector<const NetTab*> glued;
  bool shown = true;
  const NetDrawPane& pane = GetNetDrawPane(view);
  for (size_t i = 0; i < piece.glued.size(); ++i) {
    if (piece.gluedRunStarts[i]) shown = true;
    const NetTab* tab = piece.glued[i];
    if (shown && !tab->outline.empty() && !pane.IsFoldedTabPointShown(tab->outline.front().pos3D)) shown = false;
    if (shown) glued.push_back(tab);
  }
  into.gluedFillsAt = corners.size();
  for (const NetTab* tab : glued) fill(*tab, 1.0);
  into.gluedFills = static_cast<GLsizei>(corners.size() - into.gluedFillsAt);
  for (const Edge3D* e : piece.tabs) outline(*e->tab, scale);
  into.tabLines = static_cast<GLsizei>(lines.size() / 3);
  for (const NetTab* tab : glued) outline(*tab, 1.0);
  into.gluedLines = static_cast<GLsizei>(lines.size() / 3) - into.tabLines;
  // The stellation lines where the facelets are folded now, unscaled as the one-by-one
  // drawing gives them.
  // Their data, a stellation of the whole model, is made by the idle work for a large
  // model, after which the pieces are placed again.
  KeptLines facetLines;
  facetLines.dims = 3;
  if (!LineDataWaits(model)) {
    for (Face3D* f : piece.lined) GatherStellationLines(f, true, facetLines);
  }
  lines.insert(lines.end(), facetLines.points.begin(), facetLines.points.end());
  into.stellationLines = static_cast<GLsizei>(lines.size() / 3) - into.tabLines - into.gluedLines;
  // Byte offsets: the corners, then the lines.
  const size_t cornerBytes = corners.size() * sizeof(FoldedVertex);
  into.tabFillsAt *= sizeof(FoldedVertex);
  into.gluedFillsAt *= sizeof(FoldedVertex);
  into.tabLinesAt = cornerBytes;
  into.gluedLinesAt = cornerBytes + static_cast<size_t>(into.tabLines) * 3 * sizeof(float);
  into.stellationLinesAt = into.gluedLinesAt + static_cast<size_t>(into.gluedLines) * 3 * sizeof(float);
  std::vector<unsigned char> bytes(cornerBytes + lines.size() * sizeof(float));
  if (cornerBytes) std::memcpy(bytes.data(), corners.data(), cornerBytes);
  if (!lines.empty()) std::memcpy(bytes.data() + cornerBytes, lines.data(), lines.size() * sizeof(float));
  if (!bytes.empty()) into.places->Upload(bytes.data(), bytes.size(), false);
  into.placed = true;
  into.foldCount = model->GetFoldCount();
  into.scale = scale;
  if (Kept* parts = FindCurrentGLContextPart<Kept>(&GLContextState::flatNets)) parts->foldedPlaced += piece.facelets.size();
}

double ModelScale(const Model3D* model) {
  return model && model->mPoly ? model->mPoly->mDisplayScale : 1.0;
}

// The gathered turn in buffers of the current context, placed as the nets are folded.
void AddFoldedPiece(KeptFlatNet& kept, FoldedGathered& gathered, size_t facelets) {
  auto piece = std::make_unique<FoldedPiece>();
  piece->facelets = std::move(gathered.facelets);
  piece->tabs = std::move(gathered.tabs);
  piece->glued = std::move(gathered.glued);
  piece->gluedRunStarts = std::move(gathered.gluedRunStarts);
  piece->lined = std::move(gathered.lined);
  if (!gathered.colours.empty()) {
    piece->colours.Upload(gathered.colours.data(), gathered.colours.size() * sizeof(float), false);
  }
  PlaceFolded(kept.view, *piece, *piece, kept.key.nets.model, ModelScale(kept.key.nets.model));
  kept.foldedPieces.push_back(std::move(piece));
  kept.oneByOne.insert(kept.oneByOne.end(), gathered.oneByOne.begin(), gathered.oneByOne.end());
  if (Kept* parts = FindCurrentGLContextPart<Kept>(&GLContextState::flatNets)) parts->foldedGathered += facelets;
}

// The chain a view's net (or nets) are gathered along.
const std::vector<Face3D*>& ChainOf(const KeptFlatNet& kept) {
  return kept.folded ? kept.chain : kept.key.nets.net->Places();
}

// Gathers the chain's facelets from `from` up to `to` into a piece.
void GatherTurn(KeptFlatNet& kept, size_t from, size_t to) {
  const std::vector<Face3D*>& chain = ChainOf(kept);
  if (kept.folded) {
    FoldedGathered gathered;
    for (size_t i = from; i < to; ++i) GatherFolded(kept.view, chain[i], gathered);
    AddFoldedPiece(kept, gathered, to - from);
    return;
  }
  Gathered gathered;
  if (kept.linesOnly) {
    for (size_t i = from; i < to; ++i) GatherStellationLines(chain[i], false, gathered.lines);
    AddPiece(kept, gathered, 0);
    return;
  }
  const bool lines = !LineDataWaits(kept.key.nets.model);
  for (size_t i = from; i < to; ++i) GatherFacelet(kept.view, chain[i], gathered, lines);
  AddPiece(kept, gathered, to - from);
}

void Clear(KeptFlatNet& kept) {
  kept.pieces.clear();
  kept.foldedPieces.clear();
  kept.chain.clear();
  kept.foldedNets.clear();
  kept.oneByOne.clear();
  kept.next = kept.total = 0;
  kept.waiting = kept.declined = kept.linesWait = kept.linesOnly = false;
}

// Points the vertex array (and the colour array) into the piece's buffer at its offset.
void BeginPieceArrays(const Piece& piece, size_t at, bool colours) {
  piece.buffer.Bind(false);
  const auto* base = static_cast<const unsigned char*>(nullptr);
  if (colours) {
    glEnableClientState(GL_COLOR_ARRAY);
    glVertexPointer(2, GL_FLOAT, sizeof(FaceletVertex), base + at + offsetof(FaceletVertex, xy));
    glColorPointer(4, GL_FLOAT, sizeof(FaceletVertex), base + at + offsetof(FaceletVertex, rgba));
  } else {
    glDisableClientState(GL_COLOR_ARRAY);
    glVertexPointer(2, GL_FLOAT, 0, base + at);
  }
}

// Calls draw(piece) for each of the pieces made in the current context, with the
// client arrays free for it, leaving the client state and the current colour as they
// were.
template <typename Pieces, typename Draw>
void WithPieceArrays(const Pieces& pieces, Draw draw) {
  GLfloat colour[4];
  glGetFloatv(GL_CURRENT_COLOR, colour);
  glPushClientAttrib(GL_CLIENT_VERTEX_ARRAY_BIT);
  for (GLenum array : {GL_NORMAL_ARRAY, GL_COLOR_ARRAY, GL_TEXTURE_COORD_ARRAY, GL_EDGE_FLAG_ARRAY}) {
    glDisableClientState(array);
  }
  glEnableClientState(GL_VERTEX_ARRAY);
  for (const auto& piece : pieces) draw(*piece);
  glBindBuffer(GL_ARRAY_BUFFER, 0);
  glPopClientAttrib();
  glColor4fv(colour);
}

template <typename Draw>
void ForEachPieceArrays(const KeptFlatNet& kept, Draw draw) {
  WithPieceArrays(kept.pieces, [&draw](const Piece& piece) {
    if (piece.buffer.BelongsToCurrentContext()) draw(piece);
  });
}

// Points the arrays into a folded piece's places at the offset: the corners with their
// normals (and the facelets' colours), or the points of segments.
void BeginFoldedArrays(const FoldedPiece& piece, size_t at, bool normals, bool colours) {
  const auto* base = static_cast<const unsigned char*>(nullptr);
  if (colours) {
    piece.colours.Bind(false);
    glEnableClientState(GL_COLOR_ARRAY);
    glColorPointer(4, GL_FLOAT, 0, base);
  } else {
    glDisableClientState(GL_COLOR_ARRAY);
  }
  piece.places->Bind(false);
  if (normals) {
    glEnableClientState(GL_NORMAL_ARRAY);
    glVertexPointer(3, GL_FLOAT, sizeof(FoldedVertex), base + at + offsetof(FoldedVertex, xyz));
    glNormalPointer(GL_FLOAT, sizeof(FoldedVertex), base + at + offsetof(FoldedVertex, normal));
  } else {
    glDisableClientState(GL_NORMAL_ARRAY);
    glVertexPointer(3, GL_FLOAT, 0, base + at);
  }
}

// Calls draw(piece) for the folded pieces made in the current context.
template <typename Draw>
void ForEachFoldedArrays(const KeptFlatNet& kept, Draw draw) {
  WithPieceArrays(kept.foldedPieces, [&draw](const FoldedPiece& piece) {
    if (piece.places->BelongsToCurrentContext()) draw(piece);
  });
}

// Whether stellation lines are kept over the folded facelets.
bool HasFoldedLines(const KeptFlatNet& kept) {
  return std::any_of(kept.foldedPieces.begin(), kept.foldedPieces.end(),
                     [](const auto& piece) { return piece->stellationLines > 0; });
}

// The facelets' triangles, in their colours (lit through their material colour in a
// pane that lights them); pushed back by their slope when lines are drawn over them.
void DrawFoldedFacelets(OpenGLView* view, const KeptFlatNet& kept) {
  const bool lit = view->Is3D() && view->GetLighting();
  if (lit) {
    glColorMaterial(GL_FRONT_AND_BACK, GL_AMBIENT_AND_DIFFUSE);
    glEnable(GL_COLOR_MATERIAL);
  }
  const bool pushed = HasFoldedLines(kept);
  const bool offsetOn = glIsEnabled(GL_POLYGON_OFFSET_FILL);
  GLfloat factor = 0.0f, units = 0.0f;
  if (pushed) {
    glGetFloatv(GL_POLYGON_OFFSET_FACTOR, &factor);
    glGetFloatv(GL_POLYGON_OFFSET_UNITS, &units);
    glEnable(GL_POLYGON_OFFSET_FILL);
    glPolygonOffset(1.0f, 1.0f);
  }
  ForEachFoldedArrays(kept, [](const FoldedPiece& piece) {
    if (piece.corners == 0) return;
    BeginFoldedArrays(piece, 0, true, true);
    glDrawArrays(GL_TRIANGLES, 0, piece.corners);
  });
  if (pushed) {
    glPolygonOffset(factor, units);
    if (!offsetOn) glDisable(GL_POLYGON_OFFSET_FILL);
  }
  if (lit) glDisable(GL_COLOR_MATERIAL);
}

// The stellation lines over the folded facelets, unlit in their colour, in the model's
// own units: over their facelets, pushed back, and behind what stands before them.
void DrawFoldedLines(OpenGLView* view, const KeptFlatNet& kept) {
  if (!HasFoldedLines(kept)) return;
  const bool lighting = SetLighting(view, false);
  view->Materials().SetLineStipple(0);
  view->Materials().SetColorv(GetNetDrawSettings().stellationLineColour);
  const double scale = ModelScale(kept.key.nets.model);
  glPushMatrix();
  if (scale != 1.0) glScaled(scale, scale, scale);
  ForEachFoldedArrays(kept, [](const FoldedPiece& piece) {
    if (piece.stellationLines == 0) return;
    BeginFoldedArrays(piece, piece.stellationLinesAt, false, false);
    glDrawArrays(GL_LINES, 0, piece.stellationLines);
  });
  glPopMatrix();
  SetLighting(view, lighting);
}

// The views whose nets wait for the idle work, in every context. A view whose model or
// nets changed meanwhile waits no more: its next paint asks for what it shows, and no
// idle work runs for nothing.
std::vector<KeptFlatNet*> Waiting() {
  std::vector<KeptFlatNet*> found;
  for (GLContextState* state = GetFirstGLContextState(); state; state = state->Next()) {
    if (!state->flatNets) continue;
    for (auto& [view, kept] : static_cast<Kept&>(*state->flatNets).views) {
      if (!kept.waiting) continue;
      if (NetsHold(kept.key)) {
        found.push_back(&kept);
      } else {
        Clear(kept);
        kept.key = Key();
      }
    }
  }
  return found;
}

// The views waiting, with the facelets of their chains counted and those left to
// gather in `left`.
std::vector<KeptFlatNet*> WaitingThatHold(size_t& left) {
  std::vector<KeptFlatNet*> views = Waiting();
  left = 0;
  for (KeptFlatNet* kept : views) {
    kept->total = ChainOf(*kept).size();
    left += kept->total - std::min(kept->next, kept->total);
  }
  return views;
}

// The views whose nets, gathered whole, wait for their stellation lines' data.
std::vector<KeptFlatNet*> WaitingForLines() {
  std::vector<KeptFlatNet*> found;
  for (GLContextState* state = GetFirstGLContextState(); state; state = state->Next()) {
    if (!state->flatNets) continue;
    for (auto& [view, kept] : static_cast<Kept&>(*state->flatNets).views) {
      if (kept.linesWait && !kept.waiting && NetsHold(kept.key) && LineDataWaits(kept.key.nets.model)) {
        found.push_back(&kept);
      }
    }
  }
  return found;
}

// Whether the places are of another fold or scale than the model's now.
bool PlacesOld(const FoldedPlaces& places, const Model3D* model, double scale) {
  return !places.placed || places.foldCount != model->GetFoldCount() || places.scale != scale;
}

// Whether the view's folded nets are too many facelets to place anew in a paint: the
// idle work places them after each fold.
bool PlacedWhenIdle(const KeptFlatNet& kept) {
  return kept.folded && kept.chain.size() >= static_cast<size_t>(kDeferredFlatNetFacelets);
}

// The views whose folded nets wait for the idle work to place them anew (but for those
// whose placing the user cancelled at the fold and scale as they are).
std::vector<KeptFlatNet*> WaitingForPlaces() {
  std::vector<KeptFlatNet*> found;
  for (GLContextState* state = GetFirstGLContextState(); state; state = state->Next()) {
    if (!state->flatNets) continue;
    for (auto& [view, kept] : static_cast<Kept&>(*state->flatNets).views) {
      if (!PlacedWhenIdle(kept) || !NetsHold(kept.key)) continue;
      const Model3D* model = kept.key.nets.model;
      const double scale = ModelScale(model);
      if (kept.declinedFold == model->GetFoldCount() && kept.declinedScale == scale) continue;
      if (std::any_of(kept.foldedPieces.begin(), kept.foldedPieces.end(),
                      [&](const auto& piece) { return PlacesOld(*piece, model, scale); })) {
        found.push_back(&kept);
      }
    }
  }
  return found;
}

// Whether the piece is placed neither as the view's nets are folded now nor in the
// places it draws from next.
bool IsToPlace(const KeptFlatNet& kept, const FoldedPiece& piece) {
  const Model3D* model = kept.key.nets.model;
  const double scale = ModelScale(model);
  return PlacesOld(piece, model, scale) && (!piece.next || PlacesOld(*piece.next, model, scale));
}

FoldedPiece* NextToPlace(const KeptFlatNet& kept) {
  for (const auto& piece : kept.foldedPieces) {
    if (IsToPlace(kept, *piece)) return piece.get();
  }
  return nullptr;
}

}  // namespace detail_FlatNetMesh

namespace detail_FlatNetMesh {

// Whether the view may keep what it draws of nets now: not in a pick, not outside a
// section of a context with its state, nor in the construction toy's style, without
// vertex buffers, with the arrays turned off or translucency scaled.
GLContextState* KeepingState(OpenGLView* view) {
  GLContextState* state = GetCurrentGLContextState();
  if (!view || !state || view->IsPicking() || GeomagOn() || !AreFaceMeshArraysAllowed() ||
      !GetGLAbilities().vertexBuffers || DepthSortAlphaFactor() != 1.0f)
    return nullptr;
  return state;
}

// The view's record for what the key shows: as it was while the key holds (complete, or
// the part the idle work has gathered so far); else gathered now when the chain is short,
// or asked of the idle work (then none of it yet). Null when the caller draws one by
// one: in an image of the pane that finds no complete one kept.
KeptFlatNet* FindKept(OpenGLView* view, GLContextState& state, const Key& key, bool folded,
                      const std::vector<Net*>* nets) {
  Kept& parts = GetGLContextPart<Kept>(state.flatNets);
  KeptFlatNet& kept = parts.views[view];
  kept.view = view;
  if (kept.key.Holds(key) && kept.folded == folded) {
    if (!view->IsBitmapTarget() || (!kept.waiting && !kept.declined && !kept.linesWait)) return &kept;
    return nullptr;
  }
  Clear(kept);
  kept.key = key;
  kept.folded = folded;
  view->Frames().NoteFrameDrawnAfresh();
  const Model3D* model = key.nets.model;
  // The stellation lines shown over a large model's nets before their data, a stellation
  // of the whole model, is made: the nets are gathered without them, and again with them
  // once the idle work has made it. An image of the pane draws them one by one.
  kept.linesWait = LineDataWaits(model);
  if (kept.linesWait && view->IsBitmapTarget()) {
    Clear(kept);
    kept.key = Key();
    return nullptr;
  }
  size_t counted = 0;
  if (folded) {
    kept.foldedNets = *nets;
    for (const Net* net : *nets) {
      const std::vector<Face3D*>& places = net->Places();
      kept.chain.insert(kept.chain.end(), places.begin(), places.end());
    }
    counted = std::max(counted, kept.chain.size());
  } else if (model->GetNumFacelets() >= kDeferredFlatNetFacelets) {
    // The net's chain is walked as far as a large net goes.
    for (const Face3D* f = key.nets.net->first; f && counted < kDeferredFlatNetFacelets; f = f->mNextInNet) ++counted;
  }
  if (counted >= kDeferredFlatNetFacelets) {
    // An image of the pane draws the net whole, one by one; the pane asks the idle work.
    if (view->IsBitmapTarget()) {
      Clear(kept);
      kept.key = Key();
      return nullptr;
    }
    kept.waiting = true;
    platform::Services().views->PrepareWhenIdle();
    return &kept;
  }
  if (kept.linesWait) platform::Services().views->PrepareWhenIdle();
  DeleteReleasedGLBuffers();
  if (!folded) {
    Gathered gathered;
    size_t facelets = 0;
    int steps = 1 << 22;
    for (Face3D* f = key.nets.net->first; f && steps-- > 0; f = f->mNextInNet, ++facelets) {
      GatherFacelet(view, f, gathered, !kept.linesWait);
    }
    AddPiece(kept, gathered, facelets);
    kept.next = kept.total = facelets;
    return &kept;
  }
  GatherTurn(kept, 0, kept.chain.size());
  kept.next = kept.total = kept.chain.size();
  return &kept;
}

// The stellation lines' data of the first view's model. A flat net keeps its facelets
// and the idle work gathers its lines over them, a turn at a time; the Folding Net
// pane's pieces are placed again with their lines (a large model's by the idle work).
void MakeLineData(const std::vector<KeptFlatNet*>& views) {
  if (views.empty()) return;
  const std::vector<Face3D*>& chain = ChainOf(*views.front());
  if (!chain.empty()) TellAfterDrawing(ComputeFaceletLineData(chain.front()->GetModel()));
  views.front()->linesWait = false;
  for (KeptFlatNet* kept : views) {
    kept->view->Invalidate(false);
    const Model3D* model = kept->key.nets.model;
    if (kept->folded) {
      // Placed again with their lines: in the next paint, or by the idle work.
      GLSection section(kept->view);
      if (!NetsHold(kept->key) || !section.IsOpen()) continue;
      kept->key.state = HashState(kept->view, model, &kept->foldedNets);
      for (auto& piece : kept->foldedPieces) piece->placed = false;
      continue;
    }
    if (kept->folded || !NetsHold(kept->key) || LineDataWaits(model)) continue;
    // Without its context the next paint gathers the net again, lines and all.
    GLSection section(kept->view);
    if (!section.IsOpen()) continue;
    kept->key.state = HashState(kept->view, model, nullptr);
    kept->next = 0;
    kept->waiting = kept->linesOnly = true;
    kept->linesWait = false;
  }
}

}  // namespace detail_FlatNetMesh

const KeptFlatNet* FindKeptFlatNet(OpenGLView* view, Net* net) {
  using namespace detail_FlatNetMesh;
  Model3D* model = net ? Net::GetModel(net) : nullptr;
  GLContextState* state = KeepingState(view);
  if (!model || !state) return nullptr;
  return FindKept(view, *state, MakeKey(view, net, model, nullptr), false, nullptr);
}

const KeptFlatNet* FindKeptFoldedNets(OpenGLView* view, Model3D* model, const std::vector<Net*>& nets) {
  using namespace detail_FlatNetMesh;
  GLContextState* state = KeepingState(view);
  if (!model || !state || IsRecordingFaceMesh() || GetModelDrawPane(view).GetTransparencyNesting() != 0 ||
      FoldedExtrasShown(view))
    return nullptr;
  // With their tabs, nets drawn one facelet at a time show a tab's outline under a later
  // facelet where the two meet at one depth, and over an earlier one: the kept drawing,
  // a pass for each kind of piece, puts every outline over every facelet there. Small
  // nets, drawn one at a time in a fraction of a second, keep those pixels.
  if ((GetNetSettings().show3DTabs || GetNetDrawSettings().showTabsOnFoldingNets) && !LineDataWaits(model)) {
    size_t facelets = 0;
    for (const Net* net : nets) facelets += net->Places().size();
    if (facelets < static_cast<size_t>(kDeferredFlatNetFacelets)) return nullptr;
  }
  KeptFlatNet* kept = FindKept(view, *state, MakeKey(view, nullptr, model, &nets), true, &nets);
  if (!kept) return nullptr;
  // The places of the corners after the last fold; a large net's are placed by the
  // idle work (all its pieces before it draws from any), and drawn as they were till then.
  const double scale = ModelScale(model);
  if (PlacedWhenIdle(*kept)) {
    if (!WaitingForPlaces().empty()) platform::Services().views->PrepareWhenIdle();
    return kept;
  }
  bool placed = false;
  for (auto& piece : kept->foldedPieces) {
    if (piece->placed && piece->foldCount == model->GetFoldCount() && piece->scale == scale) continue;
    PlaceFolded(view, *piece, *piece, model, scale);
    placed = true;
  }
  if (placed) view->Frames().NoteFrameDrawnAfresh();
  return kept;
}

void DrawKeptFacelets(OpenGLView* view, const KeptFlatNet& kept) {
  using namespace detail_FlatNetMesh;
  // 1. The facelets: in the pane's colours as one by one (lit through their material
  // colour in a pane that lights them).
  const bool lit = view->Is3D() && view->GetLighting();
  glNormal3f(0.0f, 0.0f, 1.0f);
  if (lit) {
    glColorMaterial(GL_FRONT_AND_BACK, GL_AMBIENT_AND_DIFFUSE);
    glEnable(GL_COLOR_MATERIAL);
  }
  ForEachPieceArrays(kept, [](const Piece& piece) {
    if (piece.facelets == 0) return;
    BeginPieceArrays(piece, 0, true);
    glDrawArrays(GL_TRIANGLES, 0, piece.facelets);
  });
  if (lit) glDisable(GL_COLOR_MATERIAL);
  for (Face3D* f : kept.oneByOne) Draw(f, kFaceletDrawFlat, nullptr, 1.0, nullptr);
  // 2. The glue tabs: filled grey, outlined in black, the selected edgelet's tab lighter.
  float width = 1.0f;
  glGetFloatv(GL_LINE_WIDTH, &width);
  view->Materials().SetMaterialColorRGB(kTabFillGrey, kTabFillGrey, kTabFillGrey);
  ForEachPieceArrays(kept, [](const Piece& piece) {
    if (piece.tabFills == 0) return;
    BeginPieceArrays(piece, piece.tabFillsAt, false);
    glDrawArrays(GL_TRIANGLES, 0, piece.tabFills);
  });
  const bool lighting = SetLighting(view, false);
  view->Materials().SetLineStipple(0);
  glLineWidth(GetEdgeLineWidth());
  view->Materials().SetColor(0.0f, 0.0f, 0.0f);
  ForEachPieceArrays(kept, [](const Piece& piece) {
    if (piece.tabLines == 0) return;
    BeginPieceArrays(piece, piece.tabLinesAt, false);
    glDrawArrays(GL_LINES, 0, piece.tabLines);
  });
  SetLighting(view, lighting);
  const Model3D* model = kept.key.nets.model;
  const Edge3D* selected = model ? model->mSelectedEdge : nullptr;
  if (selected && selected->tab && selected->face && selected->face->mNet == kept.key.nets.net) {
    DrawFilled(selected->tab.get(), kFaceletDrawFlat, 1.0, true);
    DrawOutline(selected->tab.get(), kFaceletDrawFlat, 1.0);
  }
  glLineWidth(width);
  CheckGLError("DrawKeptFacelets");
}

void DrawKeptEdges(OpenGLView* view, const KeptFlatNet& kept, float baseWidth) {
  using namespace detail_FlatNetMesh;
  view->Materials().SetColorv(GetNewEdgeColor());
  for (int kind = 0; kind < kEdgeKinds; ++kind) {
    const bool valley = kind == kEdgeValley || kind == kEdgeWideValley;
    const bool wide = kind >= kEdgeWideSolid;
    view->Materials().SetLineStipple(valley ? kValleyStipple : 0);
    glLineWidth(baseWidth * (wide ? 3.0f : 1.0f));
    ForEachPieceArrays(kept, [kind](const Piece& piece) {
      if (piece.edges[kind] == 0) return;
      BeginPieceArrays(piece, piece.edgesAt[kind], false);
      glDrawArrays(GL_LINES, 0, piece.edges[kind]);
    });
  }
  view->Materials().SetLineStipple(0);
  CheckGLError("DrawKeptEdges");
}

void DrawKeptLines(OpenGLView* view, const KeptFlatNet& kept) {
  using namespace detail_FlatNetMesh;
  // The sphere sections in the colour the drawing has, then the stellation lines.
  ForEachPieceArrays(kept, [](const Piece& piece) {
    if (piece.sections == 0) return;
    BeginPieceArrays(piece, piece.sectionsAt, false);
    glDrawArrays(GL_LINES, 0, piece.sections);
  });
  const bool lines = std::any_of(kept.pieces.begin(), kept.pieces.end(), [](const auto& piece) {
    return piece->lines > 0 && piece->buffer.BelongsToCurrentContext();
  });
  if (lines) {
    view->Materials().SetColorv(GetNetDrawSettings().stellationLineColour);
    ForEachPieceArrays(kept, [](const Piece& piece) {
      if (piece.lines == 0) return;
      BeginPieceArrays(piece, piece.linesAt, false);
      glDrawArrays(GL_LINES, 0, piece.lines);
    });
  }
  CheckGLError("DrawKeptLines");
}

void DrawKeptFoldedNets(OpenGLView* view, const KeptFlatNet& kept, const std::function<void(Face3D*)>& oneByOne) {
  using namespace detail_FlatNetMesh;
  const bool stencil = GetModelDrawSettings().useStencil;
  bool glued = false, tabs = false;
  for (const auto& piece : kept.foldedPieces) {
    glued = glued || piece->gluedFills > 0 || piece->gluedLines > 0;
    tabs = tabs || piece->tabFills > 0 || piece->tabLines > 0;
  }
  // 1. The facelets; where tabs are glued under them, marked in the stencil so that the
  // tabs show only beyond them, and cleared after.
  if (glued && stencil) PrepareCoplanarStencil(kStencilMark);
  DrawFoldedFacelets(view, kept);
  if (GetRainbowFlags(view->GetViewGroup()) & kRainbowColors) view->Materials().SetMaterialColorRGB(1.0f, 1.0f, 1.0f);
  if (glued) {
    // 2. The tabs glued under facelets, unlit, in the model's own units, pushed back.
    if (stencil) PrepareCoplanarStencil(kStencilKeep);
    const bool lighting = SetLighting(view, false);
    const double scale = ModelScale(kept.key.nets.model);
    glPushMatrix();
    if (scale != 1.0) glScaled(scale, scale, scale);
    const float base = static_cast<float>(GetGLAbilities().polygonOffset);
    const float push = static_cast<float>(0.5 * GetNetDrawSettings().tabOffset) * base;
    const bool offsetOn = glIsEnabled(GL_POLYGON_OFFSET_FILL);
    glEnable(GL_POLYGON_OFFSET_FILL);
    glPolygonOffset(0.0f, base + push);
    view->Materials().SetColor(0.0f, 0.0f, 0.0f);
    ForEachFoldedArrays(kept, [](const FoldedPiece& piece) {
      if (piece.gluedLines == 0) return;
      BeginFoldedArrays(piece, piece.gluedLinesAt, false, false);
      glDrawArrays(GL_LINES, 0, piece.gluedLines);
    });
    view->Materials().SetMaterialColorRGB(kTabFillGrey, kTabFillGrey, kTabFillGrey);
    ForEachFoldedArrays(kept, [](const FoldedPiece& piece) {
      if (piece.gluedFills == 0) return;
      BeginFoldedArrays(piece, piece.gluedFillsAt, true, false);
      glDrawArrays(GL_TRIANGLES, 0, piece.gluedFills);
    });
    glPolygonOffset(0.0f, base);
    if (!offsetOn) glDisable(GL_POLYGON_OFFSET_FILL);
    glPopMatrix();
    SetLighting(view, lighting);
    if (stencil) {
      PrepareCoplanarStencil(kStencilClear);
      DrawFoldedFacelets(view, kept);
      PrepareCoplanarStencil(kStencilFinish);
    }
  }
  if (tabs) {
    // 3. The tabs standing on their edgelets: their outlines over their triangles.
    float width = 1.0f;
    glGetFloatv(GL_LINE_WIDTH, &width);
    glLineWidth(GetEdgeLineWidth());
    view->Materials().SetLineStipple(0);
    auto outlines = [&]() {
      const bool lighting = SetLighting(view, false);
      view->Materials().SetColor(0.0f, 0.0f, 0.0f);
      ForEachFoldedArrays(kept, [](const FoldedPiece& piece) {
        if (piece.tabLines == 0) return;
        BeginFoldedArrays(piece, piece.tabLinesAt, false, false);
        glDrawArrays(GL_LINES, 0, piece.tabLines);
      });
      SetLighting(view, lighting);
    };
    auto fills = [&]() {
      view->Materials().SetMaterialColorRGB(kTabFillGrey, kTabFillGrey, kTabFillGrey);
      ForEachFoldedArrays(kept, [](const FoldedPiece& piece) {
        if (piece.tabFills == 0) return;
        BeginFoldedArrays(piece, piece.tabFillsAt, true, false);
        glDrawArrays(GL_TRIANGLES, 0, piece.tabFills);
      });
    };
    // Each tab's outline shows over its own triangles, which the one-by-one drawing
    // makes sure of through the coplanar stencil, tab by tab. Here the triangles of all
    // are drawn first, pushed back by their slope, and the outlines over them: a tab
    // nearer than another's outline still hides it.
    const bool offsetOn = glIsEnabled(GL_POLYGON_OFFSET_FILL);
    GLfloat factor = 0.0f, units = 0.0f;
    glGetFloatv(GL_POLYGON_OFFSET_FACTOR, &factor);
    glGetFloatv(GL_POLYGON_OFFSET_UNITS, &units);
    if (stencil) {
      glEnable(GL_POLYGON_OFFSET_FILL);
      glPolygonOffset(1.0f, 1.0f);
    }
    fills();
    glPolygonOffset(factor, units);
    if (!offsetOn) glDisable(GL_POLYGON_OFFSET_FILL);
    outlines();
    // The selected edgelet's tab lighter.
    const Edge3D* selected = kept.key.nets.model->mSelectedEdge;
    if (selected && selected->tab) {
      for (const auto& piece : kept.foldedPieces) {
        if (std::find(piece->tabs.begin(), piece->tabs.end(), selected) == piece->tabs.end()) continue;
        DrawTab(selected, kFaceletDrawFolded, ModelScale(kept.key.nets.model), true);
        break;
      }
    }
    glLineWidth(width);
    view->Materials().SetLineStipple(0);
  }
  // 4. The stellation lines over the facelets.
  DrawFoldedLines(view, kept);
  // 5. The facelets drawn one by one, their tabs with them.
  for (Face3D* f : kept.oneByOne) oneByOne(f);
  NoteFoldedFaceletsDrawnOneByOne(kept.oneByOne.size());
  CheckGLError("DrawKeptFoldedNets");
}

bool HasDeferredFlatNets() {
  return !detail_FlatNetMesh::Waiting().empty() || !detail_FlatNetMesh::WaitingForLines().empty();
}

bool MakeDeferredFlatNets() {
  using namespace detail_FlatNetMesh;
  size_t done = 0;
  // The flat net last gathered, whose boxes, which a click in its pane searches, are
  // filed a turn at a time before the next net is gathered.
  Model3D::NetMark filing;
  size_t filingSteps = 0;
  size_t filingLeft = 0;
  IdleTurns work;
  work.waits = [&](IdleTurnReport& report) {
    if (filing.net) {
      report = {filingSteps - filingLeft, filingLeft, "Drawing the net: filing its facelets"};
      return true;
    }
    size_t left = 0;
    const std::vector<KeptFlatNet*> views = WaitingThatHold(left);
    if (views.empty() && WaitingForLines().empty()) return false;
    if (views.empty() || views.front()->linesOnly) {
      report = {done, left, "Drawing the net: its stellation lines"};
    } else {
      report = {done, left,
                "Drawing the net: " + std::to_string(done) + " of " + std::to_string(done + left) + " facelets"};
    }
    return true;
  };
  work.turn = [&] {
    if (filing.net) {
      // Read only while the model's nets are those it was gathered from.
      if (filing.Current()) filingLeft = filing.net->FileFaceletBoxes(kFaceletsATurn);
      if (!filing.Current() || filingLeft == 0) filing = Model3D::NetMark();
      return;
    }
    size_t left = 0;
    const std::vector<KeptFlatNet*> views = WaitingThatHold(left);
    if (views.empty()) {
      MakeLineData(WaitingForLines());
      return;
    }
    KeptFlatNet& kept = *views.front();
    OpenGLView* view = kept.view;
    const size_t end = std::min(kept.total, kept.next + kFaceletsATurn);
    bool added = false;
    {
      GLSection section(view);
      if (section.IsOpen()) {
        GatherTurn(kept, kept.next, end);
        added = true;
      }
    }
    if (!added) {
      // No context to put it in: the pane shows the part gathered until its net
      // changes, rather than asking again at every idle time.
      kept.waiting = false;
      kept.declined = true;
      view->Invalidate(false);
      return;
    }
    done += end - kept.next;
    kept.next = end;
    const bool finished = kept.next >= kept.total;
    if (finished) kept.waiting = false;
    if (finished && !kept.folded) {
      filingSteps = filingLeft = kept.key.nets.net->FileFaceletBoxes(0);
      if (filingSteps > 0) filing = kept.key.nets;
    }
    // The pane shows how far it is now and then, and the whole net once gathered.
    const double now = platform::Services().clock->NowSeconds();
    if (kept.lastRepaint == 0.0) kept.lastRepaint = now;
    if (finished || now - kept.lastRepaint >= kRepaintEvery) {
      kept.lastRepaint = now;
      view->Invalidate(false);
    }
  };
  // The user's Cancel leaves the part gathered; after the program's stop the next paint
  // asks again.
  work.cancelled = [](bool byUser) {
    std::vector<KeptFlatNet*> views = Waiting();
    const std::vector<KeptFlatNet*> lines = WaitingForLines();
    views.insert(views.end(), lines.begin(), lines.end());
    for (KeptFlatNet* kept : views) {
      kept->waiting = kept->linesWait = false;
      if (byUser) {
        kept->declined = true;
      } else {
        Clear(*kept);
        kept->key = Key();
      }
      kept->view->Invalidate(false);
    }
  };
  return RunIdleTurns(work);
}

bool HasDeferredFoldedPlaces() {
  return !detail_FlatNetMesh::WaitingForPlaces().empty();
}

bool PlaceDeferredFoldedNets() {
  using namespace detail_FlatNetMesh;
  size_t done = 0;
  IdleTurns work;
  // The views are found again at each turn: the panes painted meanwhile may have
  // gathered their nets anew.
  work.waits = [&](IdleTurnReport& report) {
    const std::vector<KeptFlatNet*> views = WaitingForPlaces();
    if (views.empty()) return false;
    size_t left = 0;
    for (const KeptFlatNet* kept : views) {
      for (const auto& piece : kept->foldedPieces) left += IsToPlace(*kept, *piece);
    }
    report = {done, left, "Placing the folded nets"};
    return true;
  };
  work.turn = [&] {
    const std::vector<KeptFlatNet*> views = WaitingForPlaces();
    if (views.empty()) return;
    KeptFlatNet& kept = *views.front();
    const Model3D* model = kept.key.nets.model;
    if (FoldedPiece* piece = NextToPlace(kept)) {
      GLSection section(kept.view);
      if (!section.IsOpen()) {
        // No context to put them in: the pane shows the nets as last placed.
        kept.declinedFold = model->GetFoldCount();
        kept.declinedScale = ModelScale(model);
        return;
      }
      if (!piece->next) piece->next = std::make_unique<FoldedPlaces>();
      PlaceFolded(kept.view, *piece, *piece->next, model, ModelScale(model));
      ++done;
      return;
    }
    // Every piece placed: the pane draws from the new places together.
    for (const auto& piece : kept.foldedPieces) {
      if (piece->next && !PlacesOld(*piece->next, model, ModelScale(model))) {
        static_cast<FoldedPlaces&>(*piece) = std::move(*piece->next);
      }
      piece->next.reset();
    }
    kept.view->Invalidate(false);
  };
  // The user's Cancel leaves the panes showing the nets as last placed until the nets
  // are folded again; after the program's stop the next idle time places them.
  work.cancelled = DropFoldedPlacing;
  return RunIdleTurns(work);
}

void DropFoldedPlacing(bool declined) {
  using namespace detail_FlatNetMesh;
  for (KeptFlatNet* kept : WaitingForPlaces()) {
    for (const auto& piece : kept->foldedPieces) piece->next.reset();
    if (!declined) continue;
    kept->declinedFold = kept->key.nets.model->GetFoldCount();
    kept->declinedScale = ModelScale(kept->key.nets.model);
  }
}

void DropDeferredFlatNets() {
  using namespace detail_FlatNetMesh;
  for (GLContextState* state = GetFirstGLContextState(); state; state = state->Next()) {
    if (!state->flatNets) continue;
    for (auto& [view, kept] : static_cast<Kept&>(*state->flatNets).views) {
      if (!kept.waiting && !kept.linesWait) continue;
      Clear(kept);
      kept.key = Key();
      kept.view->Invalidate(false);
    }
  }
}

void ForgetFlatNets(const OpenGLView* view) {
  using namespace detail_FlatNetMesh;
  for (GLContextState* state = GetFirstGLContextState(); state; state = state->Next()) {
    if (state->flatNets) static_cast<Kept&>(*state->flatNets).views.erase(view);
  }
}

unsigned long CountFlatNetFaceletsGathered() {
  using namespace detail_FlatNetMesh;
  unsigned long sum = 0;
  ForEachGLContextPart<Kept>(&GLContextState::flatNets, [&](const Kept& parts) { sum += parts.gathered; });
  return sum;
}

void NoteFoldedFaceletsDrawnOneByOne(size_t count) {
  using namespace detail_FlatNetMesh;
  if (Kept* parts = FindCurrentGLContextPart<Kept>(&GLContextState::flatNets)) parts->foldedOneByOne += count;
}

void NoteFaceletLinesDrawnOneByOne() {
  using namespace detail_FlatNetMesh;
  if (Kept* parts = FindCurrentGLContextPart<Kept>(&GLContextState::flatNets)) ++parts->linesOneByOne;
}

unsigned long CountFaceletLinesDrawnOneByOne() {
  using namespace detail_FlatNetMesh;
  unsigned long sum = 0;
  ForEachGLContextPart<Kept>(&GLContextState::flatNets, [&](const Kept& parts) { sum += parts.linesOneByOne; });
  return sum;
}

unsigned long CountFoldedNetFaceletsDrawnOneByOne() {
  using namespace detail_FlatNetMesh;
  unsigned long sum = 0;
  ForEachGLContextPart<Kept>(&GLContextState::flatNets, [&](const Kept& parts) { sum += parts.foldedOneByOne; });
  return sum;
}

unsigned long CountFoldedNetFaceletsPlaced() {
  using namespace detail_FlatNetMesh;
  unsigned long sum = 0;
  ForEachGLContextPart<Kept>(&GLContextState::flatNets, [&](const Kept& parts) { sum += parts.foldedPlaced; });
  return sum;
}

unsigned long CountFoldedNetFaceletsGathered() {
  using namespace detail_FlatNetMesh;
  unsigned long sum = 0;
  ForEachGLContextPart<Kept>(&GLContextState::flatNets, [&](const Kept& parts) { sum += parts.foldedGathered; });
  return sum;
}

}  // namespace corvia
