// What the Unfolded Net pane keeps of its net between paints: the facelets, tabs and
// edges gathered into vertex buffers, made in the paint or by the idle work, and drawn
// from them.

#include "render/FlatNetMesh.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <unordered_map>
#include <utility>
#include <vector>

#include "core/Globals.h"
#include "core/Progress.h"
#include "model/ElementLabels.h"
#include "model/ElementList.h"
#include "model/ElementServices.h"
#include "model/Poly.h"
#include "model/PolyElement.h"
#include "nets/Edge3D.h"
#include "nets/Face3D.h"
#include "nets/Model3D.h"
#include "nets/Net.h"
#include "nets/NetFlags.h"
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
#include "render/LightSets.h"
#include "render/ModelDrawSettings.h"
#include "render/NewView.h"
#include "render/OpenGLView.h"
#include "render/StateHash.h"

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
};

// What a kept drawing shows: the net of the model's nets as they were counted, the
// model's faces as the hash found them, and the state that decided the colours and
// the kinds of lines.
struct Key {
  const Net* net = nullptr;
  const Model3D* model = nullptr;
  std::weak_ptr<const Model3D::NetsChange> change;
  uint64_t changeCount = 0;
  uint64_t state = 0;

  bool Holds(const Key& o) const {
    const std::shared_ptr<const Model3D::NetsChange> mine = change.lock();
    return mine && mine == o.change.lock() && net == o.net && model == o.model && changeCount == o.changeCount &&
           state == o.state;
  }
};

}  // namespace detail_FlatNetMesh

// What one view keeps: the pieces gathered so far, the facelets drawn one by one, and
// where the gathering stands.
struct KeptFlatNet {
  OpenGLView* view = nullptr;
  detail_FlatNetMesh::Key key;
  std::vector<std::unique_ptr<detail_FlatNetMesh::Piece>> pieces;
  std::vector<Face3D*> oneByOne;
  // The place in the net's chain of the next facelet to gather, and the facelets of the
  // chain (known once the idle work begins).
  size_t next = 0;
  size_t total = 0;
  // The idle work gathers the rest; or the user cancelled it, and the part gathered is
  // all there is until the net changes.
  bool waiting = false;
  bool declined = false;
  double lastRepaint = 0.0;
};

namespace detail_FlatNetMesh {

struct Kept : GLContextPart {
  std::unordered_map<const OpenGLView*, KeptFlatNet> views;
  unsigned long gathered = 0;
};

bool GeomagOn() {
  return GetElementDisplayOptions().constructionToyStyle;
}

bool CutMode() {
  return GetMouseSelectionMode() == kMouseModeCutEdges;
}

// The state of the model's faces and of the drawing that a kept net's colours and lines
// were made from: every face of the net's side (its colours, image, flags and label),
// whether labels and numbers are shown, the colour filters and the mouse mode.
uint64_t HashState(OpenGLView* view, const Model3D* model) {
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
      h.Add(f->mImage);
      h.Add(f->mColor, 3);
      h.Add(f->mBackColor, 3);
    }
  }
  h.Add(static_cast<uint64_t>(DiagnosticNumbers) | static_cast<uint64_t>(ShowLabels) << 32);
  h.Add(static_cast<uint64_t>(CutMode()));
  h.Add(static_cast<uint64_t>(GetRainbowFlags()));
  h.Add(static_cast<uint64_t>(view->Stereo().GetStereoKind()));
  h.Add(view->Stereo().GetAnaglyphWeights(), 3);
  h.Add(static_cast<uint64_t>(view->Is3D()) | static_cast<uint64_t>(view->GetLighting()) << 1);
  return h.Get();
}

Key MakeKey(OpenGLView* view, const Net* net, const Model3D* model) {
  Key key;
  key.net = net;
  key.model = model;
  key.change = model->GetNetsChange();
  key.changeCount = model->GetNetsChange()->count;
  key.state = HashState(view, model);
  return key;
}

// Whether the nets the key was made from are still the model's: its facelets and tabs
// may be read.
bool NetsHold(const Key& key) {
  const std::shared_ptr<const Model3D::NetsChange> change = key.change.lock();
  return change && change->count == key.changeCount;
}

void AddPoint(std::vector<float>& points, const double* p) {
  points.push_back(static_cast<float>(p[0]));
  points.push_back(static_cast<float>(p[1]));
}

// The facelet's triangles, tabs and edges as the drawing of one facelet gives them to
// GL; a facelet whose drawing asks more (an image, a label) is drawn one by one.
void GatherFacelet(OpenGLView* view, Face3D* f, Gathered& out) {
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
  const bool cutMode = CutMode();
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
  const size_t faceletBytes = gathered.facelets.size() * sizeof(FaceletVertex);
  piece->tabFillsAt += faceletBytes;
  piece->tabLinesAt += faceletBytes;
  for (size_t& at : piece->edgesAt) at += faceletBytes;
  piece->facelets = static_cast<GLsizei>(gathered.facelets.size());
  std::vector<unsigned char> bytes(faceletBytes + lines.size() * sizeof(float));
  if (faceletBytes) std::memcpy(bytes.data(), gathered.facelets.data(), faceletBytes);
  if (!lines.empty()) std::memcpy(bytes.data() + faceletBytes, lines.data(), lines.size() * sizeof(float));
  if (!bytes.empty()) piece->buffer.Upload(bytes.data(), bytes.size(), false);
  kept.pieces.push_back(std::move(piece));
  kept.oneByOne.insert(kept.oneByOne.end(), gathered.oneByOne.begin(), gathered.oneByOne.end());
  if (Kept* parts = FindCurrentGLContextPart<Kept>(&GLContextState::flatNets)) parts->gathered += facelets;
}

void Clear(KeptFlatNet& kept) {
  kept.pieces.clear();
  kept.oneByOne.clear();
  kept.next = kept.total = 0;
  kept.waiting = kept.declined = false;
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

// Calls draw(piece) with the client arrays of a piece's buffer in use, leaving the client
// state and the current colour as they were.
template <typename Draw>
void ForEachPieceArrays(const KeptFlatNet& kept, Draw draw) {
  GLfloat colour[4];
  glGetFloatv(GL_CURRENT_COLOR, colour);
  glPushClientAttrib(GL_CLIENT_VERTEX_ARRAY_BIT);
  for (GLenum array : {GL_NORMAL_ARRAY, GL_COLOR_ARRAY, GL_TEXTURE_COORD_ARRAY, GL_EDGE_FLAG_ARRAY}) {
    glDisableClientState(array);
  }
  glEnableClientState(GL_VERTEX_ARRAY);
  for (const auto& piece : kept.pieces) {
    if (piece->buffer.BelongsToCurrentContext()) draw(*piece);
  }
  glBindBuffer(GL_ARRAY_BUFFER, 0);
  glPopClientAttrib();
  glColor4fv(colour);
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
    kept->total = kept->key.net->Places().size();
    left += kept->total - std::min(kept->next, kept->total);
  }
  return views;
}

}  // namespace detail_FlatNetMesh

const KeptFlatNet* FindKeptFlatNet(OpenGLView* view, Net* net) {
  using namespace detail_FlatNetMesh;
  Model3D* model = net ? Net::GetModel(net) : nullptr;
  GLContextState* state = GetCurrentGLContextState();
  if (!view || !model || !state || view->IsPicking() || GeomagOn() || !AreFaceMeshArraysAllowed() ||
      !GetGLAbilities().vertexBuffers || DepthSortAlphaFactor() != 1.0f)
    return nullptr;
  Kept& parts = GetGLContextPart<Kept>(state->flatNets);
  KeptFlatNet& kept = parts.views[view];
  kept.view = view;
  const Key key = MakeKey(view, net, model);
  if (kept.key.Holds(key)) {
    // Complete, or the part the idle work has gathered so far.
    if (!view->IsBitmapTarget() || (!kept.waiting && !kept.declined)) return &kept;
    return nullptr;
  }
  Clear(kept);
  kept.key = key;
  view->Frames().NoteFrameDrawnAfresh();
  // The net's chain is walked as far as a large net goes: the small net of a large
  // model is gathered at once.
  int counted = 0;
  if (model->GetNumFacelets() >= kDeferredFlatNetFacelets) {
    for (const Face3D* f = net->first; f && counted < kDeferredFlatNetFacelets; f = f->mNextInNet) ++counted;
  }
  if (counted >= kDeferredFlatNetFacelets) {
    // An image of the pane draws the net whole, one by one; the pane asks the idle work.
    if (view->IsBitmapTarget()) {
      kept.key = Key();
      return nullptr;
    }
    kept.waiting = true;
    platform::Services().views->PrepareWhenIdle();
    return &kept;
  }
  DeleteReleasedGLBuffers();
  Gathered gathered;
  size_t facelets = 0;
  int steps = 1 << 22;
  for (Face3D* f = net->first; f && steps-- > 0; f = f->mNextInNet, ++facelets) GatherFacelet(view, f, gathered);
  AddPiece(kept, gathered, facelets);
  kept.next = kept.total = facelets;
  return &kept;
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
  const Model3D* model = kept.key.model;
  const Edge3D* selected = model ? model->mSelectedEdge : nullptr;
  if (selected && selected->tab && selected->face && selected->face->mNet == kept.key.net) {
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

bool HasDeferredFlatNets() {
  return !detail_FlatNetMesh::Waiting().empty();
}

bool MakeDeferredFlatNets() {
  using namespace detail_FlatNetMesh;
  if (!HasDeferredFlatNets()) return true;
  // A Cancel at the window's first report ends the work before any of it begins.
  const int cancels = GetProgressCancelCount();
  ProgressScope progress;
  bool going = GetProgressCancelCount() == cancels;
  size_t done = 0;
  size_t left = 0;
  WaitingThatHold(left);
  while (going) {
    if (!UpdateProgress(done + left ? double(done) / double(done + left) : 1.0,
                        "Drawing the net: %zu of %zu facelets", done, done + left)) {
      going = false;
      break;
    }
    // The panes painted meanwhile may have asked for other nets.
    const std::vector<KeptFlatNet*> views = WaitingThatHold(left);
    if (views.empty()) break;
    KeptFlatNet& kept = *views.front();
    OpenGLView* view = kept.view;
    const std::vector<Face3D*>& places = kept.key.net->Places();
    const size_t end = std::min(kept.total, kept.next + kFaceletsATurn);
    bool added = false;
    {
      GLSection section(view);
      if (section.IsOpen()) {
        Gathered gathered;
        for (size_t i = kept.next; i < end; ++i) GatherFacelet(view, places[i], gathered);
        AddPiece(kept, gathered, end - kept.next);
        added = true;
      }
    }
    if (!added) {
      // No context to put it in: the pane shows the part gathered until its net
      // changes, rather than asking again at every idle time.
      kept.waiting = false;
      kept.declined = true;
      view->Invalidate(false);
      WaitingThatHold(left);
      continue;
    }
    done += end - kept.next;
    kept.next = end;
    const bool finished = kept.next >= kept.total;
    if (finished) kept.waiting = false;
    // The pane shows how far it is now and then, and the whole net once gathered.
    const double now = platform::Services().clock->NowSeconds();
    if (kept.lastRepaint == 0.0) kept.lastRepaint = now;
    if (finished || now - kept.lastRepaint >= kRepaintEvery) {
      kept.lastRepaint = now;
      view->Invalidate(false);
    }
    WaitingThatHold(left);
  }
  if (going) return true;
  // The user's Cancel leaves the part gathered; after the program's stop the next paint
  // asks again.
  const bool byUser = !WasProgressCancelRequested();
  for (KeptFlatNet* kept : Waiting()) {
    kept->waiting = false;
    if (byUser) {
      kept->declined = true;
    } else {
      Clear(*kept);
      kept->key = Key();
    }
    kept->view->Invalidate(false);
  }
  return false;
}

void DropDeferredFlatNets() {
  using namespace detail_FlatNetMesh;
  for (GLContextState* state = GetFirstGLContextState(); state; state = state->Next()) {
    if (!state->flatNets) continue;
    for (auto& [view, kept] : static_cast<Kept&>(*state->flatNets).views) {
      if (!kept.waiting) continue;
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

}  // namespace corvia
