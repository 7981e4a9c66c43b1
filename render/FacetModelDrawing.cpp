// Drawing of the facet model in a pane: its vertices, edges and cut edges, its
// facelets back to front, facelet numbers on screen and on paper, the rings of
// coplanar facelets, the folding nets, the selected facelets and the selected edge.

#include <cmath>
#include <cstdio>
#include <vector>

#include "core/Globals.h"
#include "core/MergeSort.h"
#include "core/Messages.h"
#include "core/Tolerances.h"
#include "core/VectorMath.h"
#include "model/ColorSchemes.h"
#include "model/Edge.h"
#include "model/ElementFlags.h"
#include "model/ElementLabels.h"
#include "model/Globals.h"
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
#include "render/FaceletDrawing.h"
#include "render/FacetModelDrawing.h"
#include "render/GL.h"
#include "render/GLSelection.h"
#include "render/GLText.h"
#include "render/GeomagDrawing.h"
#include "render/ModelDrawPane.h"
#include "render/ModelDrawSettings.h"
#include "render/NetDrawSettings.h"
#include "render/NetDrawing.h"
#include "render/NewView.h"
#include "render/OpenGLView.h"
#include "render/Primitives.h"
#include "render/PrintPage.h"
#include "render/SelectionItems.h"

namespace corvia {

namespace detail_FacetModelDrawing {

constexpr uint16_t kReflexStipple = 0x0F0F;
constexpr uint16_t kHiddenStipple = 0x5555;
constexpr int kMouseModeCutEdges = 2;
// Poly::GetSelectionHighlight's mode of the facet model; 1 leaves the selected plane
// to the pane's selection pass.
constexpr int kHighlightDrawMode = 8;
constexpr int kHighlightSelectedPlane = 1;
// Ring walks end after this many steps on a broken ring.
constexpr int kMaxRingSteps = 1 << 20;
constexpr float kSelectedEdgeColour[3] = {1.0f, 0.9f, 0.9f};
constexpr float kHighlightedEdgeColour[3] = {1.0f, 0.8f, 0.8f};
constexpr float kNumberColour[3] = {1.0f, 1.0f, 0.8f};
constexpr float kNeighbourEdgeColour[3] = {0.2f, 0.6f, 1.0f};

double ModelScale(const Model3D* model) {
  return model && model->mPoly ? model->mPoly->mDisplayScale : 1.0;
}

bool GeomagOn() {
  return GetElementDisplayOptions().constructionToyStyle;
}

// The centre the facelet moves out along when the model is exploded: its source
// face's frame centre, or its own centroid for a drawn polygon.
void ExplodeCentre(const Face3D* facelet, double* out) {
  if (facelet->mSourceFace) {
    CopyVector(out, facelet->mSourceFace->mCentre);
  } else {
    facelet->GetCentroid(out);
  }
}

// (p + (f - 1) centre) x scale.
void Exploded(double* out, const double* p, const Face3D* facelet, double explode, double scale) {
  double centre[3] = {0.0, 0.0, 0.0};
  if (explode != 1.0) ExplodeCentre(facelet, centre);
  for (int k = 0; k < 3; ++k) out[k] = (p[k] + (explode - 1.0) * centre[k]) * scale;
}

// The member of a coincident ring this pane draws for the edge.
Edge3D* Representative(Edge3D* edge) {
  if (!edge->nextCoinc) return edge;
  return edge->GetDrawingRepresentative([](const Edge3D* e) {
    const Face3D* f = e->face;
    const Face3D* g = e->mNeigh ? e->mNeigh->face : nullptr;
    return !(f && f->mSourceFace && f->mSourceFace->HasFlag(kElementHidden)) &&
           !(g && g->mSourceFace && g->mSourceFace->HasFlag(kElementHidden));
  });
}

template <typename Visit>
void ForEachFacelet(Model3D* model, Visit visit) {
  for (Face3DType* type = model->mFaceTypes; type; type = type->mNext) {
    for (int i = 0; i < type->mNumFacelets; ++i) visit(&type->mFacelets[i]);
  }
}

// Calls visit(edge, a, b) for each edge the model draws, as the member of its
// coincident ring this pane draws, with its ends moved out by the explosion and
// scaled: each physical edge once, except that an exploded model (outside the
// construction-toy style) draws every facelet's own outline.
template <typename Visit>
void ForEachModelEdge(Model3D* model, double explode, double scale, bool onceAlways, Visit visit) {
  ForEachFacelet(model, [&](Face3D* facelet) {
    const int count = facelet->GetNumEdges();
    for (int i = 0; i < count; ++i) {
      Edge3D* e = &facelet->mEdges[i];
      if (!e->Has(kEdgeDrawnMark) && (onceAlways || explode == 1.0)) continue;
      Edge3D* edge = Representative(e);
      const Edge3D* next = edge->GetNextInLoop();
      if (!next) continue;
      double a[3], b[3];
      Exploded(a, Face3D::GetCornerPosition(edge), edge->face, explode, scale);
      Exploded(b, Face3D::GetCornerPosition(next), edge->face, explode, scale);
      visit(edge, a, b);
    }
  });
}

template <typename Visit>
void ForEachInRing(const Face3D* facelet, Visit visit) {
  const Face3D* f = facelet;
  for (int steps = 0; f && steps < kMaxRingSteps; ++steps) {
    visit(f);
    f = f->mNextCopy;
    if (f == facelet) break;
  }
}

// Where a facelet stands for the back-to-front order: its centroid and its plane.
struct SortEntry {
  Face3D* facelet = nullptr;
  double centroid[3] = {0.0, 0.0, 0.0};
  double normal[3] = {0.0, 0.0, 1.0};
  double point[3] = {0.0, 0.0, 0.0};
  double key = 0.0;
  double Distance(const double* p) const {
    return (p[0] - point[0]) * normal[0] + (p[1] - point[1]) * normal[1] + (p[2] - point[2]) * normal[2];
  }
};

// Farthest from the eye first (a stable sort on a strict comparison); then one sweep
// that moves a facelet forward when it lies behind the plane of one drawn before it.
// place fills an entry's centroid and plane.
template <typename Place>
void SortBackToFront(std::vector<Face3D*>& facelets, const double* eye, Place place) {
  std::vector<SortEntry> entries(facelets.size());
  for (size_t k = 0; k < facelets.size(); ++k) {
    SortEntry& e = entries[k];
    e.facelet = facelets[k];
    place(e);
    double d[3];
    Subtract(d, e.centroid, eye);
    e.key = Dot(d, d);
  }
  MergeSort(entries, [](const SortEntry& a, const SortEntry& b) { return a.key > b.key ? -1 : (a.key < b.key ? 1 : 0); });
  const size_t n = entries.size();
  size_t i = 0;
  while (i < n) {
    size_t next = i + 1;
    for (size_t j = i + 1; j < n; ++j) {
      const SortEntry& a = entries[i];
      const SortEntry& b = entries[j];
      const double pA = b.Distance(eye) * b.Distance(a.centroid);
      const double pB = a.Distance(eye) * a.Distance(b.centroid);
      if (pB > kDepthOrderTolerance && pA < kDepthOrderTolerance) break;
      if (pA > kDepthOrderTolerance && pB < -kDepthOrderTolerance) {
        // B lies behind A: it is drawn first.
        SortEntry moved = b;
        for (size_t k = j; k > i; --k) entries[k] = entries[k - 1];
        entries[i] = moved;
        next = i + 2;
        break;
      }
    }
    i = next;
  }
  for (size_t k = 0; k < n; ++k) facelets[k] = entries[k].facelet;
}

// Line width and stipple of the marked edges; false for an unmarked edgelet.
bool MarkedEdgeStyle(const Edge3D* edge, const float*& colour, float& width) {
  const float base = GetModelDrawSettings().edgeWidth;
  const float factor = GetModelDrawSettings().lineWidthFactor;
  if (edge->Has(kEdgeUserCut)) {
    colour = kSelectedEdgeColour;
    width = (base + 2.0f) * factor;
    return true;
  }
  if (edge->Has(kEdgeGeneratorCut)) {
    colour = kHighlightedEdgeColour;
    width = base * factor;
    return true;
  }
  return false;
}

class DrawState {
 public:
  explicit DrawState(OpenGLView* view) : mView(view), mLighting(SetLighting(view, false)) {
    glGetFloatv(GL_LINE_WIDTH, &mWidth);
    glGetFloatv(GL_POINT_SIZE, &mSize);
  }
  ~DrawState() {
    mView->Materials().SetLineStipple(0);
    glLineWidth(mWidth);
    glPointSize(mSize);
    SetLighting(mView, mLighting);
  }
  DrawState(const DrawState&) = delete;
  DrawState& operator=(const DrawState&) = delete;

 private:
  OpenGLView* mView;
  bool mLighting;
  float mWidth = 1.0f;
  float mSize = 1.0f;
};

// Draws the spheres or cylinders with the pane's material, again while the pane asks
// for another pass; or once as plain points or lines, lighting off.
template <typename Draw, typename Plain>
void DrawWithMaterial(OpenGLView* view, bool solids, bool spheres, Draw draw, Plain plain) {
  if (!solids) {
    DrawState state(view);
    plain();
    draw();
    return;
  }
  ModelDrawPane& pane = GetModelDrawPane(view);
  MaterialPasses passes;
  if (spheres) {
    pane.SetVertexMaterial(passes);
  } else {
    pane.SetEdgeMaterial(passes);
  }
  while (pane.ApplyFaceAppearance(spheres, passes)) draw();
  if (spheres) {
    pane.EndVertexMaterial(passes);
  } else {
    pane.EndEdgeMaterial(passes);
  }
}

}  // namespace detail_FacetModelDrawing

// ---- Vertices and edges ------------------------------------------------------------------------

void DrawVertices(Model3D* model, double explode) {
  using namespace detail_FacetModelDrawing;
  OpenGLView* view = OpenGLView::GetCurrent();
  if (!view || !model->mVerts) return;
  const double scale = ModelScale(model);
  const bool spheres = UsingVertexSpheres();
  const bool picking = view->IsPicking() && GetNetDrawPane(view).PicksVertices();
  const bool geomag = GeomagOn();
  const double radius =
      spheres ? GetSphereRadius(model->mPoly, model->IsDual(), model->GetMeanEdgeLength(), model->mNumVerts, -1.0, -1.0)
              : 0.0;
  auto place = [&](const double* p) {
    if (spheres) {
      DrawSphere(p, radius);
      return;
    }
    glBegin(GL_POINTS);
    glVertex3dv(p);
    glEnd();
  };
  // A pick draws only the vertices it may hit.
  const PickRegion region(view);
  auto drawAll = [&]() {
    std::vector<double> places;
    for (int i = 0; i < model->mNumVerts; ++i) {
      const Vert3D& v = model->mVerts[static_cast<size_t>(i)];
      // The vertex once, or exploded once on each facelet round it.
      places.clear();
      double p[3];
      if (explode == 1.0) {
        Scale(p, v.mPos, scale);
        places.insert(places.end(), p, p + 3);
      } else if (geomag && spheres) {
        if (!v.mFirstEdge) continue;
        Exploded(p, v.mPos, v.mFirstEdge->face, explode, scale);
        places.insert(places.end(), p, p + 3);
      } else {
        int steps = kMaxRingSteps;
        for (const Edge3D* e = v.mFirstEdge; e && steps-- > 0; e = e->nextAtVert) {
          Exploded(p, v.mPos, e->face, explode, scale);
          places.insert(places.end(), p, p + 3);
        }
      }
      const int count = static_cast<int>(places.size() / 3);
      if (!region.MayMeet(places.data(), count, radius)) continue;
      if (picking) SetGLSelectionItem(kSelectVertex, i);
      for (int k = 0; k < count; ++k) place(&places[3 * static_cast<size_t>(k)]);
    }
  };
  DrawWithMaterial(view, spheres, true, drawAll, [&]() {
    view->Materials().SetColorv(DefaultVertexColor);
    glPointSize(GetVertexPointSize());
  });
  if (picking) view->ClearGLSelectionItem();
}

void DrawEdges(Model3D* model, double explode) {
  using namespace detail_FacetModelDrawing;
  OpenGLView* view = OpenGLView::GetCurrent();
  if (!view) return;
  const double scale = ModelScale(model);
  const bool cylinders = UsingEdgeCylinders();
  const bool geomag = GeomagOn();
  const bool picking = view->IsPicking() && GetNetDrawPane(view).PicksEdges();
  double joint = 0.0;
  const double radius = cylinders ? GetSphereJointRadius(model->mPoly, model->IsDual(), model->GetMeanEdgeLength(), -1,
                                                         -1.0, -1.0, &joint)
                                  : 0.0;
  const float* colour = GetNewEdgeColor();
  // A pick draws only the edges it may hit.
  const PickRegion region(view);
  auto drawAll = [&]() {
    GeomagRodBatch rods;
    ForEachModelEdge(model, explode, scale, geomag, [&](const Edge3D* edge, const double* a, const double* b) {
      const double ends[6] = {a[0], a[1], a[2], b[0], b[1], b[2]};
      if (!region.MayMeet(ends, 2, radius)) return;
      if (picking) SetGLSelectionItem(kSelectEdge, Edge3D::GetNumber(edge));
      if (cylinders) {
        DrawGeomagRod(a, b, colour, radius, joint);
        return;
      }
      view->Materials().SetLineStipple(edge->dihedral > kConvexLimit ? kReflexStipple : 0);
      glBegin(GL_LINES);
      glVertex3dv(a);
      glVertex3dv(b);
      glEnd();
    });
  };
  DrawWithMaterial(view, cylinders, false, drawAll, [&]() {
    view->Materials().SetColorv(colour);
    glLineWidth(GetEdgeLineWidth());
  });
  if (picking) view->ClearGLSelectionItem();
}

void DrawMarkedEdges(Model3D* model, double explode) {
  using namespace detail_FacetModelDrawing;
  OpenGLView* view = OpenGLView::GetCurrent();
  if (!view) return;
  // Scaled like every other drawing of the model, so that the marks lie on its edges.
  const double scale = ModelScale(model);
  DrawState state(view);
  ForEachModelEdge(model, explode, scale, false, [&](const Edge3D* edge, const double* a, const double* b) {
    const float* colour = nullptr;
    float width = 1.0f;
    if (!MarkedEdgeStyle(edge, colour, width)) return;
    view->Materials().SetColorv(colour);
    glLineWidth(width);
    view->Materials().SetLineStipple(edge->dihedral > kConvexLimit ? kReflexStipple : 0);
    glBegin(GL_LINES);
    glVertex3dv(a);
    glVertex3dv(b);
    glEnd();
  });
}

// ---- Facelets ----------------------------------------------------------------------------------

void DrawFacelets(Model3D* model, double explode) {
  using namespace detail_FacetModelDrawing;
  OpenGLView* view = OpenGLView::GetCurrent();
  if (!view) return;
  const double scale = ModelScale(model);
  std::vector<Face3D*> facelets;
  facelets.reserve(static_cast<size_t>(model->GetNumFacelets()));
  const bool leaveSelected =
      model->mPoly && model->mPoly->GetSelectionHighlight(kHighlightDrawMode) == kHighlightSelectedPlane;
  ForEachFacelet(model, [&](Face3D* f) {
    if (leaveSelected && f->mSourceFace && model->mPoly->IsInSelectedPlane(f->mSourceFace)) return;
    facelets.push_back(f);
  });
  // The eye in model units: the facelets are drawn scaled.
  double eye[3];
  Scale(eye, view->Camera().GetPerEyePosition(), scale != 0.0 ? 1.0 / scale : 1.0);
  SortBackToFront(facelets, eye, [explode](SortEntry& e) {
    double c[3];
    e.facelet->GetCentroid(c);
    Exploded(e.centroid, c, e.facelet, explode, 1.0);
    e.facelet->GetNormal(e.normal);
    if (e.facelet->GetNumEdges() > 0) Exploded(e.point, Face3D::GetCornerPosition(&e.facelet->mEdges[0]), e.facelet, explode, 1.0);
  });
  for (Face3D* f : facelets) {
    double offset[3] = {0.0, 0.0, 0.0};
    if (explode != 1.0) {
      ExplodeCentre(f, offset);
      Scale(offset, offset, explode - 1.0);
    }
    Draw(f, kFaceletDrawModel, offset, scale, nullptr);
  }
}

void DrawFaceletNumbers(Model3D* model, const Transform3D& transform, bool currentFaceOnly) {
  using namespace detail_FacetModelDrawing;
  OpenGLView* view = OpenGLView::GetCurrent();
  if (!view) return;
  const bool lighting = SetLighting(view, false);
  const PolyElement* current = currentFaceOnly && model->mPoly ? model->mPoly->GetCurrentFace() : nullptr;
  int n = 0;
  char text[16];
  for (Face3DType* type = model->mFaceTypes; type; type = type->mNext) {
    for (int i = 0; i < type->mNumFacelets; ++i) {
      Face3D* f = &type->mFacelets[i];
      std::snprintf(text, sizeof text, "%d", n);
      if (DiagnosticNumbers & kNumberEachFacelet) ++n;
      if (currentFaceOnly && f->mSourceFace != current) continue;
      double c[3], p[3];
      f->GetCentroid(c);
      TransformPoint(transform, p, c);
      DrawGLScreenText(text, p, kNumberColour);
    }
    if (DiagnosticNumbers & kNumberEachFaceletType) ++n;
  }
  SetLighting(view, lighting);
}

void PrintFaceletNumbers(Model3D* model, const PolyElement* source, const double* pageTransform,
                         const Transform3D& modelTransform) {
  PrintPage* page = GetCurrentPrintPage();
  if (!page) {
    ShowInternalError("Model3D::PrintFaceletNumbers: No page is being printed");
    return;
  }
  if (!pageTransform) return;
  const double* m = pageTransform;
  int n = 0;
  char text[16];
  for (Face3DType* type = model->mFaceTypes; type; type = type->mNext) {
    for (int i = 0; i < type->mNumFacelets; ++i) {
      Face3D* f = &type->mFacelets[i];
      std::snprintf(text, sizeof text, "%d", n);
      if (DiagnosticNumbers & kNumberEachFacelet) ++n;
      if (f->mSourceFace != source) continue;
      double c[3], p[3];
      f->GetCentroid(c);
      TransformPoint(modelTransform, p, c);
      const double at[2] = {m[0] * p[0] + m[2] * p[1] + m[4], m[1] * p[0] + m[3] * p[1] + m[5]};
      page->PrintTextAt(at, text);
    }
    if (DiagnosticNumbers & kNumberEachFaceletType) ++n;
  }
}

// ---- Rings of coplanar facelets ---------------------------------------------------------------

void DrawRingVertices(Model3D* model, const Face3D* facelet, const double* offset) {
  using namespace detail_FacetModelDrawing;
  if (!facelet || !OpenGLView::GetCurrent()) return;
  const double scale = ModelScale(model);
  glBegin(GL_POINTS);
  ForEachInRing(facelet, [&](const Face3D* f) {
    const int count = f->GetNumEdges();
    for (int i = 0; i < count; ++i) {
      const Vert3D* v = f->mEdges[i].vert;
      if (!v) continue;
      glVertex3d((v->mPos[0] + offset[0]) * scale, (v->mPos[1] + offset[1]) * scale, (v->mPos[2] + offset[2]) * scale);
    }
  });
  glEnd();
}

void DrawRingEdges(Model3D* model, const Face3D* facelet, const double* offset, bool highlightedOnly, bool reflexOnly) {
  using namespace detail_FacetModelDrawing;
  OpenGLView* view = OpenGLView::GetCurrent();
  if (!facelet || !view) return;
  const double scale = ModelScale(model);
  bool stippled = false;
  ForEachInRing(facelet, [&](const Face3D* f) {
    const int count = f->GetNumEdges();
    for (int i = 0; i < count; ++i) {
      Edge3D* edge = Representative(&f->mEdges[i]);
      const Edge3D* next = edge->GetNextInLoop();
      if (!next) continue;
      const bool reflex = edge->dihedral > kConvexLimit;
      if (reflex != reflexOnly) continue;
      if (reflexOnly && !stippled) {
        view->Materials().SetLineStipple(kReflexStipple);
        stippled = true;
      }
      if (highlightedOnly) {
        const float* colour = nullptr;
        float width = 1.0f;
        if (!MarkedEdgeStyle(edge, colour, width)) continue;
        view->Materials().SetColorv(colour);
        glLineWidth(width);
      }
      const double* a = Face3D::GetCornerPosition(edge);
      const double* b = Face3D::GetCornerPosition(next);
      // One order for both facelets of an edge, so that they draw the same segment.
      if (edge->vert && next->vert && next->vert < edge->vert) std::swap(a, b);
      glBegin(GL_LINES);
      glVertex3d((a[0] + offset[0]) * scale, (a[1] + offset[1]) * scale, (a[2] + offset[2]) * scale);
      glVertex3d((b[0] + offset[0]) * scale, (b[1] + offset[1]) * scale, (b[2] + offset[2]) * scale);
      glEnd();
    }
  });
  if (highlightedOnly) glLineWidth(GetEdgeLineWidth());
  if (stippled) view->Materials().SetLineStipple(0);
}

// ---- Folding nets ----------------------------------------------------------------------------------

void DrawNets(Model3D* model) {
  using namespace detail_FacetModelDrawing;
  OpenGLView* view = OpenGLView::GetCurrent();
  if (!view) return;
  // A large model's nets are folded by the idle work: shown as last folded, or not yet.
  if (!model->FoldOrAskIdleWork()) return;
  const int32_t shown = GetNetSettings().displayMode;
  if (!GeomagOn()) {
    DrawFoldedNets(model);
    return;
  }
  // The construction-toy style sorts the facelets of every shown net together.
  std::vector<Face3D*> facelets;
  auto addNet = [&](const Net& net) {
    int steps = kMaxRingSteps;
    for (Face3D* f = net.first; f && steps-- > 0; f = f->mNextInNet) facelets.push_back(f);
  };
  if (shown == kShowCurrentNet && model->mCurrentNet) {
    addNet(*model->mCurrentNet);
  } else if (shown == kShowCurrentNetType && model->mCurrentNet && model->mCurrentNet->type) {
    for (int i = 0; i < model->mCurrentNet->type->numNets; ++i) addNet(model->mCurrentNet->type->nets[i]);
  } else {
    for (NetType* type = model->mNetTypes; type; type = type->next) {
      for (int i = 0; i < type->numNets; ++i) addNet(type->nets[i]);
    }
  }
  const double scale = ModelScale(model);
  double eye[3];
  Scale(eye, view->Camera().GetPerEyePosition(), scale != 0.0 ? 1.0 / scale : 1.0);
  SortBackToFront(facelets, eye, [](SortEntry& e) {
    e.facelet->GetPlacedCentroid(e.centroid);
    CopyVector(e.normal, e.facelet->mNormal);
    if (e.facelet->GetNumEdges() > 0) CopyVector(e.point, e.facelet->mEdges[0].pos3D);
  });
  GeomagRodBatch rods;
  if (GetModelDrawSettings().spheresAndCylinders && GetMouseSelectionMode(view->GetViewGroup()) != kMouseModeCutEdges) {
    for (Face3D* f : facelets) DrawEdgesAndVertices(f, model, kFaceletDrawFolded, scale);
  }
  for (Face3D* f : facelets) {
    Draw(f, kFaceletDrawFolded, nullptr, scale, nullptr);
    DrawNetExtras(f, model);
  }
}

void DrawSelectedFacelets(Model3D* model) {
  OpenGLView* view = OpenGLView::GetCurrent();
  if (!view) return;
  ModelDrawPane& pane = GetModelDrawPane(view);
  const int before = view->Materials().GetTransparencyMode();
  pane.PushTransparency(GetNetDrawSettings().selectedTransparency);
  glDisable(GL_DEPTH_TEST);
  const double scale = detail_FacetModelDrawing::ModelScale(model);
  detail_FacetModelDrawing::ForEachFacelet(model, [&](Face3D* f) {
    if (f->IsSelected(model->mPoly)) Draw(f, kFaceletDrawFolded, nullptr, scale, nullptr);
  });
  if (view->Is3D()) glEnable(GL_DEPTH_TEST);
  pane.PopTransparency(before);
}

void DrawSelectedEdge(Model3D* model, int mode) {
  using namespace detail_FacetModelDrawing;
  OpenGLView* view = OpenGLView::GetCurrent();
  Edge3D* selected = model->mSelectedEdge;
  if (!view || !selected || !selected->face) return;
  auto shown = [&](const Edge3D* e) {
    if (mode == kFaceletDrawFlat) return model->IsEdgeShown(e, 1);
    if (e->face && e->face->mType && e->face->mType->HasFlag(kTypeDrawn)) return false;
    return mode == kFaceletDrawFolded ? model->IsEdgeShown(e, 0) : true;
  };
  Edge3D* neighbour = Edge3D::GetNeighInNet(selected, false);
  bool drawSelected = shown(selected);
  bool drawNeighbour = neighbour && !neighbour->Has(kEdgeJoined) && shown(neighbour);
  if (!drawSelected && !drawNeighbour) return;
  if (mode == kFaceletDrawFlat) {
    // The flat pane shows the first net of the type.
    selected = selected->GetFirstNetCopy();
    neighbour = Edge3D::GetNeighInNet(selected, false);
    drawNeighbour = drawNeighbour && neighbour;
  }
  const double scale = ModelScale(model);
  auto position = [&](const Edge3D* e, double* out) {
    if (mode == kFaceletDrawFlat) {
      out[0] = e->unfolded[0];
      out[1] = e->unfolded[1];
      out[2] = 0.0;
    } else if (mode == kFaceletDrawFolded) {
      Scale(out, e->pos3D, scale);
    } else {
      Scale(out, Face3D::GetCornerPosition(e), scale);
    }
  };
  auto drawOne = [&](const Edge3D* e, const float* colour) {
    const Edge3D* next = e->GetNextInLoop();
    if (!next) return;
    double a[3], b[3];
    position(e, a);
    position(next, b);
    view->Materials().SetColorv(colour);
    glBegin(GL_POINTS);
    glVertex3dv(a);
    glVertex3dv(b);
    glEnd();
    glBegin(GL_LINES);
    glVertex3dv(a);
    glVertex3dv(b);
    glEnd();
  };
  static const float kWhite[3] = {1.0f, 1.0f, 1.0f};
  DrawState state(view);
  glPointSize(GetVertexPointSize() + 4.0f);
  glLineWidth(GetEdgeLineWidth() * 3.0f);
  const int passes = mode == kFaceletDrawFlat ? 1 : 2;
  for (int pass = 0; pass < passes; ++pass) {
    if (pass == 1) view->Materials().SetLineStipple(kHiddenStipple);
    if (drawSelected) drawOne(selected, kWhite);
    if (drawNeighbour) drawOne(neighbour, kNeighbourEdgeColour);
    if (pass == 0 && passes > 1) {
      glDisable(GL_DEPTH_TEST);
      if (mode == kFaceletDrawFolded && selected->tab) {
        ModelDrawPane& pane = GetModelDrawPane(view);
        const int before = view->Materials().GetTransparencyMode();
        pane.PushTransparency(GetNetDrawSettings().selectedTransparency);
        DrawFilled(selected->tab.get(), kFaceletDrawFolded, scale, true);
        pane.PopTransparency(before);
      }
    }
  }
  view->Materials().SetLineStipple(0);
  if (view->Is3D()) glEnable(GL_DEPTH_TEST);
}

// ---- Bounds ------------------------------------------------------------------------------------------

void ExtendViewBounds(Model3D* model, OpenGLView* view, ViewExtents* bounds) {
  if (!view || !bounds || !model->FoldOrAskIdleWork()) return;
  for (Net* net : model->GetShownNets()) ExtendViewBounds(net, view, bounds, model, true);
}

}  // namespace corvia
