#include "construction/DerivedModels.h"

#include <cstring>
#include <memory>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <utility>
#include <vector>

#include "construction/DerivedNames.h"
#include "construction/DualMorph.h"
#include "construction/Prisms.h"
#include "construction/WatermanStep.h"
#include "core/FaceImageRef.h"
#include "core/Messages.h"
#include "core/Progress.h"
#include "core/RainbowColor.h"
#include "core/Strings.h"
#include "core/VectorMath.h"
#include "model/BlockPool.h"
#include "model/ColorSchemes.h"
#include "model/CreatePoly.h"
#include "model/Edge.h"
#include "model/FaceDiagramCells.h"
#include "model/FaceOutline.h"
#include "model/ElementFlags.h"
#include "model/FaceType.h"
#include "model/FaceTypeBlock.h"
#include "model/LibraryEntry.h"
#include "model/Poly.h"
#include "model/Globals.h"
#include "model/PolyElement.h"
#include "model/PolyTemplate.h"
#include "nets/Model3D.h"
#include "platform/Services.h"
#include "stellation/SimpleFaceting.h"
#include "symmetry/ConvexHull.h"
#include "symmetry/SimplePoly.h"
#include "symmetry/SymGroup.h"
#include "symmetry/Waterman.h"

namespace corvia {

namespace detail_DerivedModels {

// The flat net model keeps where, how large and in which colours its facelets are.
constexpr uint32_t kNetModelFlags = kSimpleKeepOrientation | kSimpleKeepLengthUnits | kSimpleKeepColors;

constexpr uint32_t kTriangleFlags = kDeriveTriangles | kDeriveTriangles2;
constexpr uint32_t kSimpleHemiFace = kSimpleCentralPlane | kSimpleHemiFixed;
// The edge colour of a model without an edge array (0x00BBGGRR).
constexpr uint32_t kDefaultEdgeColor = 0x000000;

// Colours, opacity, label, hidden flag, type index and picture of an element.
void CopyElementAttributes(const PolyElement& element, SimpleElement& out) {
  out.typeId = FaceType::GetIndex(element.mType);
  // Its own colours: the construction-toy style's panels are no colours of the model.
  out.color = PackRainbowColor(GetOwnColor(element, false));
  out.color2 = PackRainbowColor(GetOwnColor(element, true));
  out.SetAlpha(element.mOpacity);
  if (element.HasFlag(kElementHidden)) out.flags |= kSimpleHidden;
  if (element.HasLabel()) out.SetLabel(element.GetLabel());
  if (element.GetImage()) out.SetImage(CopyFaceImage(element.GetImage()));
}

// The triangles of each face type's outline (its face diagram's cells: the
// representative face with the faces of its plane), in the type's 2D frame. The
// diagrams are built into pools of its own, since the program's shared result pools
// keep a diagram only until the next one is built.
class OutlineTriangles {
 public:
  explicit OutlineTriangles(bool evenOdd) : mEvenOdd(evenOdd) {}

  struct Outline {
    std::vector<double> points;  // x, y
    std::vector<int32_t> indices;
  };

  const Outline& Get(const FaceType* type) {
    auto found = mOutlines.find(type);
    if (found != mOutlines.end()) return found->second;
    Outline& outline = mOutlines[type];
    PolyElement* representative = type->mFirstFace;
    if (!representative) return outline;
    FaceDiagram diagram(&mWork, &mResults);
    FaceDiagramResult result;
    DiagramCell* cells = nullptr;
    if (!BuildFaceOutlineDiagram(representative, &diagram, &result, &cells, &mWork, &mResults, mEvenOdd, false)) {
      return outline;
    }
    for (int i = 0; i < result.mNumPoints; ++i) {
      outline.points.push_back(result.mPoints[i].x);
      outline.points.push_back(result.mPoints[i].y);
    }
    for (int c = 0; result.mTriangles && c < result.mNumCells; ++c) {
      const CellTriangles& cell = result.mTriangles[c];
      for (int k = 0; k + 2 < cell.numIndices; k += 3) {
        const bool inside = cell.indices[k] >= 0 && cell.indices[k] < result.mNumPoints &&
                            cell.indices[k + 1] >= 0 && cell.indices[k + 1] < result.mNumPoints &&
                            cell.indices[k + 2] >= 0 && cell.indices[k + 2] < result.mNumPoints;
        if (!inside) continue;
        outline.indices.insert(outline.indices.end(), cell.indices + k, cell.indices + k + 3);
      }
    }
    return outline;
  }

 private:
  bool mEvenOdd;
  FaceDiagramWorkPools mWork;
  FaceDiagramResultPools mResults;
  std::unordered_map<const FaceType*, Outline> mOutlines;
};

// The face as the triangles of its face type's outline, placed by the face's own
// frame; corners are shared by position.
void AddOutlineTriangles(const PolyElement& face, OutlineTriangles& outlines, SimplePoly& simple) {
  const FaceType* type = face.mType;
  if (type && type->mCoplanarMaster) type = type->mCoplanarMaster;
  if (!type) return;
  const OutlineTriangles::Outline& outline = outlines.Get(type);
  Transform3D frame;
  face.GetFaceToWorld(frame, false);
  // The triangles wind as the face does.
  double facing[3];
  face.GetNormal(facing);
  int used = simple.NumVerts();
  for (size_t k = 0; k + 2 < outline.indices.size(); k += 3) {
    int32_t corners[3];
    double p[3][3];
    bool ok = true;
    for (size_t j = 0; j < 3 && ok; ++j) {
      const size_t index = static_cast<size_t>(outline.indices[k + j]);
      const double local[3] = {outline.points[2 * index], outline.points[2 * index + 1], 0.0};
      TransformPoint(frame, p[j], local);
      const SimpleVert* vert = simple.FindOrCreateVert(p[j], used);
      ok = vert != nullptr;
      if (ok) corners[j] = vert->GetIndex();
    }
    if (!ok || corners[0] == corners[1] || corners[1] == corners[2] || corners[0] == corners[2]) continue;
    double normal[3];
    TriangleNormal(normal, p[0], p[1], p[2]);
    if (Dot(normal, facing) < 0.0) std::swap(corners[1], corners[2]);
    SimpleFace& out = simple.AddFace();
    out.SetNumVerts(3);
    for (int j = 0; j < 3; ++j) out.SetVertIndex(j, corners[j]);
    out.typeId = FaceType::GetIndex(face.mType);
    out.color = PackRainbowColor(GetOwnColor(face, false));
    out.color2 = PackRainbowColor(GetOwnColor(face, true));
    out.SetAlpha(face.mOpacity);
    if (face.GetImage()) out.SetImage(CopyFaceImage(face.GetImage()));
  }
}

// Each copied picture refers to the record copied from its reference element; when
// that element was not copied, to the first record that carries the picture.
void RepointImageOwners(SimplePoly& simple, const ElementList& verts, const std::vector<int32_t>& vertIndex,
                        const ElementList& faces, const std::vector<int32_t>& faceIndex) {
  std::unordered_set<const FaceImage*> done;
  auto repoint = [&](SimpleElement& record) {
    FaceImage* image = record.Image();
    if (!image || !done.insert(image).second) return;
    const auto* owner = static_cast<const PolyElement*>(image->mOwner);
    SimpleElement* target = &record;
    if (owner && owner->mList == &verts && owner->mIndex >= 0 && owner->mIndex < verts.mCount) {
      const int32_t i = vertIndex[static_cast<size_t>(owner->mIndex)];
      if (i != kNoIndex) target = &simple.VertAt(i);
    } else if (owner && owner->mList == &faces && owner->mIndex >= 0 && owner->mIndex < faces.mCount) {
      const int32_t i = faceIndex[static_cast<size_t>(owner->mIndex)];
      if (i != kNoIndex) target = &simple.FaceAt(i);
    }
    image->mOwner = target;
  };
  for (int i = 0; i < simple.NumVerts(); ++i) repoint(simple.VertAt(i));
  for (int i = 0; i < simple.NumFaces(); ++i) repoint(simple.FaceAt(i));
}

bool IsUnnamed(const std::string& text) { return text.empty() || strcasecmp(text.c_str(), "Unnamed") == 0 || strcasecmp(text.c_str(), "Unnamed Dual") == 0; }

SimplePoly* BaseDualPath(Poly& poly, uint32_t flags, EdgeListNode** edgeList, uint8_t* derived, Outcome* why) {
  if (edgeList) *edgeList = CreateEdgeList(&poly, flags);
  if (derived) *derived = 1;
  return CreateSimplePoly(&poly, flags, nullptr, nullptr, why);
}

}  // namespace detail_DerivedModels

// ---- Edge lists -------------------------------------------------------------------------

EdgeListNode* CreateEdgeList(Poly* poly, uint32_t flags) {
  const bool dual = (flags & kDeriveDual) != 0;
  EdgeListNode* list = nullptr;
  if (poly->mEdgeArray && poly->mNumEdges > 0) {
    for (int i = 0; i < poly->mNumEdges; ++i) {
      Edge* edge = poly->GetEdge(i);
      if (!edge || edge->IsHidden(dual)) continue;
      PolyElement* ends[2] = {nullptr, nullptr};
      edge->GetVerts(dual, ends);
      if (!ends[0] || !ends[1]) continue;
      AddEdgeToList(ends[1]->mIndex, ends[0]->mIndex, PackRainbowColor(edge->GetColour()), list);
    }
    return list;
  }
  ElementList* faces = nullptr;
  poly->GetParts(dual, &faces, nullptr, nullptr, nullptr);
  for (PolyElement* face = faces ? faces->mHead : nullptr; face; face = face->mNext) {
    const int n = face->mNumSides;
    for (int i = 0; i < n; ++i) {
      const PolyElement* a = face->mNeighbours[i];
      const PolyElement* b = face->mNeighbours[(i + 1) % n];
      if (a && b) AddEdgeToList(a->mIndex, b->mIndex, detail_DerivedModels::kDefaultEdgeColor, list);
    }
  }
  return list;
}

// ---- The plain copy -----------------------------------------------------------------------

SimplePoly* CreateSimplePoly(Poly* poly, uint32_t flags, CompoundPart* part, OpenGLView* view, Outcome* why) {
  namespace d = detail_DerivedModels;
  const bool dual = (flags & kDeriveDual) != 0;
  const bool triangles = (flags & d::kTriangleFlags) != 0;
  const bool vertsOnly = (flags & kDeriveVerticesOnly) != 0;
  if (dual && poly->mHasCentralFace && !(flags & (d::kTriangleFlags | kDeriveAllowInfinite))) {
    if (why) *why = Outcome::Refused("This operation may not be performed on a model with infinite vertices");
    return nullptr;
  }
  // The elements of the compound parts left out: every other part, or the part given.
  std::unordered_set<const PolyElement*> leftOut;
  if (part && !vertsOnly) {
    const bool keep = (flags & kDeriveKeepPart) != 0;
    if (!poly->IsCompound()) {
      if (why) *why = Outcome::Refused(keep ? "Model only has one part." : "Can't remove only component.");
      return nullptr;
    }
    std::vector<PolyElement*> collected;
    for (CompoundPart* p = poly->mCompoundParts; p; p = p->mNext) {
      if ((p == part) == keep || !p->mFirstElement) continue;
      p->mFirstElement->CollectConnectedPart(collected);
      for (PolyElement* element : collected) {
        element->mFlags &= ~kElementVisitMark;
        leftOut.insert(element);
      }
    }
  }
  ElementList* faces = nullptr;
  ElementList* verts = nullptr;
  poly->GetParts(dual, &faces, &verts, nullptr, nullptr);
  int numVerts = 0;
  for (PolyElement* element = verts->mHead; element; element = element->mNext) {
    if (!leftOut.count(element)) ++numVerts;
  }
  auto simple = std::make_unique<SimplePoly>(numVerts, 0);
  simple->flags |= kSimpleKeepOrientation;
  if (triangles) simple->flags |= kSimpleGrowable;
  ClearFaceImageCopies();
  d::OutlineTriangles outlines((poly->mPolyFlags & kPolyFlagOneSidedFace) != 0);
  // The copy's number of each element of the side (-1: not copied).
  std::vector<int32_t> vertIndex(static_cast<size_t>(verts->mCount), kNoIndex);
  std::vector<int32_t> faceIndex(static_cast<size_t>(faces->mCount), kNoIndex);

  int v = 0;
  for (PolyElement* element = verts->mHead; element; element = element->mNext) {
    if (leftOut.count(element)) continue;
    vertIndex[static_cast<size_t>(element->mIndex)] = v;
    SimpleVert& out = simple->VertAt(v++);
    if (element->HasFlag(kElementHemi) && dual && !triangles) out.flags |= kSimpleInfinite;
    out.SetPos(element->mDualVert);
    d::CopyElementAttributes(*element, out);
  }
  if (!vertsOnly) {
    const bool dropSmall = (flags & (kDeriveDropDegenerate | d::kTriangleFlags)) != 0;
    // A large model takes a while: the progress window keeps answering (a cancel is
    // taken by the work the copy is made for).
    ProgressTicker tick;
    // Room for every face at once: grown face by face, the records of a large model
    // would be moved a score of times (the undo step and the hull copy it).
    if (!triangles) simple->Reserve(0, faces->mCount);
    for (PolyElement* element = faces->mHead; element; element = element->mNext) {
      (void)tick();
      if (leftOut.count(element) || (dropSmall && element->mNumSides < 3)) continue;
      if (triangles) {
        if (!element->HasFlag(kElementSkip)) d::AddOutlineTriangles(*element, outlines, *simple);
        continue;
      }
      faceIndex[static_cast<size_t>(element->mIndex)] = simple->NumFaces();
      SimpleFace& out = simple->AddFace();
      out.SetNumVerts(element->mNumSides);
      for (int i = 0; i < element->mNumSides; ++i) {
        out.SetVertIndex(i, vertIndex[static_cast<size_t>(element->mNeighbours[i]->mIndex)]);
      }
      if (element->HasFlag(kElementReverseNorm)) out.flags |= kSimpleReversed;
      if (element->HasFlag(kElementHemi)) out.flags |= d::kSimpleHemiFace;
      double normal[3];
      element->GetNormal(normal);
      CopyVector(out.normal, element->mNumSides > 0 ? normal : element->mXAxis);
      d::CopyElementAttributes(*element, out);
      out.rots = element->GetRotationOrder();
      if (element == poly->GetCurrentFace()) simple->currentFace = faceIndex[static_cast<size_t>(element->mIndex)];
    }
    if (!triangles) {
      // Each vertex takes the faces round it in the model's own order (no list made
      // from the faces first, to be thrown away).
      simple->flags |= kSimpleHasVertFaceLists | kSimpleSortedFaceLists;
      for (PolyElement* element = verts->mHead; element; element = element->mNext) {
        (void)tick();
        const int32_t copy = vertIndex[static_cast<size_t>(element->mIndex)];
        if (copy == kNoIndex) continue;
        std::vector<int32_t> ring;
        ring.reserve(static_cast<size_t>(element->mNumSides));
        for (int i = 0; i < element->mNumSides; ++i) {
          const PolyElement* face = element->mNeighbours[i];
          if (face && faceIndex[static_cast<size_t>(face->mIndex)] != kNoIndex) {
            ring.push_back(faceIndex[static_cast<size_t>(face->mIndex)]);
          }
        }
        simple->VertAt(copy).items = std::move(ring);
      }
    }
    if (!part && !triangles && poly->mEdgeArray && poly->mNumEdges > 0) {
      simple->SetNumEdges(poly->mNumEdges);
      for (int i = 0; i < poly->mNumEdges; ++i) {
        (void)tick();
        Edge* edge = poly->GetEdge(i);
        SimpleEdge& out = simple->EdgeAt(i);
        PolyElement* ends[2] = {nullptr, nullptr};
        PolyElement* sides[2] = {nullptr, nullptr};
        edge->GetVerts(dual, ends);
        edge->GetFaces(dual, sides);
        out.flags = edge->mEdgeFlags;
        out.endA = ends[0] ? vertIndex[static_cast<size_t>(ends[0]->mIndex)] : kNoIndex;
        out.endB = ends[1] ? vertIndex[static_cast<size_t>(ends[1]->mIndex)] : kNoIndex;
        out.faceA = sides[0] ? faceIndex[static_cast<size_t>(sides[0]->mIndex)] : kNoIndex;
        out.faceB = sides[1] ? faceIndex[static_cast<size_t>(sides[1]->mIndex)] : kNoIndex;
        out.color = PackRainbowColor(edge->GetColour());
        if (edge->HasLabel()) out.SetLabel(edge->GetLabel());
      }
    }
  }
  // The arrays are final: each copied image now refers to the record copied from its
  // reference element, or to the record that carries it when that was left out.
  d::RepointImageOwners(*simple, *verts, vertIndex, *faces, faceIndex);
  if (poly->mSymGroup) simple->SetSymmetry(poly->mSymGroup);
  simple->flags |= kSimpleKeepLengthUnits;
  if (poly->mPolyFlags & kPolyFlagConvex) simple->flags |= kSimpleConvex;
  if (poly->mPolyFlags & kPolyFlagDensityOne) simple->flags |= kSimpleDensityOne;
  if (poly->mPolyFlags & kPolyFlagPlainSurface) simple->flags |= kSimplePlainSurface;
  simple->flags |= CarriedSimpleFlags(*poly);
  NameSimplePoly(poly, dual, simple.get(), view);
  return simple.release();
}

void NameSimplePoly(Poly* poly, bool dual, SimplePoly* simple, OpenGLView* view) {
  // The document's model takes the names its pane shows; any other model (one being
  // built beside it, or with no document) keeps its own.
  std::string name;
  std::string dualName;
  if (GetCurrentPoly() != poly || !GetDocumentAccess().GetPanePolyNames(view, &name, &dualName)) {
    name = poly->mName ? poly->mName : "";
    dualName = poly->mDualName ? poly->mDualName : "";
  }
  if (detail_DerivedModels::IsUnnamed(name)) name.clear();
  if (detail_DerivedModels::IsUnnamed(dualName)) dualName.clear();
  if (dual) name.swap(dualName);
  simple->name = name;
  simple->dualName = dualName;
  simple->description = poly->mDescription ? poly->mDescription : "";
  simple->webLink = poly->mWebLink ? poly->mWebLink : "";
}

// ---- Compound with the dual -------------------------------------------------------------

SimplePoly* MakeCompoundWithDual(Poly& poly, uint32_t flags, Outcome* why, std::vector<CompoundPartName>* partNames) {
  const uint32_t sideless = flags & ~(kDeriveBase | kDeriveDual);
  std::unique_ptr<SimplePoly> base(CreateModel(&poly, sideless | kDeriveBase, nullptr, nullptr, kViewNone, why));
  if (!base) return nullptr;
  std::unique_ptr<SimplePoly> dual(CreateModel(&poly, sideless | kDeriveDual, nullptr, nullptr, kViewNone, why));
  if (!dual) return nullptr;
  if (partNames) *partNames = {NameAsCompoundPart(*base), NameAsCompoundPart(*dual)};
  std::unique_ptr<SimplePoly> both = base->Combine(*dual);
  // The compound is its own dual, with the model's symmetry.
  constexpr const char* kPrefix = "Dual compound of ";
  both->SetName(base->name.c_str(), kPrefix);
  both->SetDualName(base->name.c_str(), kPrefix);
  both->description = base->description;
  both->webLink = base->webLink;
  both->SetSymmetry(base->symmetry.get());
  return both.release();
}

// ---- Dispatch -----------------------------------------------------------------------------

SimplePoly* DeriveModelForViewType(Poly& poly, uint32_t viewType, uint32_t flags, EdgeListNode** edgeList,
                                   uint8_t* derived, Outcome* why) {
  if (edgeList) *edgeList = nullptr;
  if (derived) *derived = 0;
  if (flags & (kDeriveBase | kDeriveDual)) return detail_DerivedModels::BaseDualPath(poly, flags, edgeList, derived, why);
  switch (viewType) {
    case kViewFacetingPreview:
      return CreateSimpleFacetedPolyhedron(&poly, flags, nullptr, why);
    case kViewBaseDualCompound:
      return MakeCompoundWithDual(poly, flags, why);
    case kViewCompound:
    case kViewFacetingDiagram:
      if (why) {
        *why = Outcome::Refused(
            "Can't perform that operation from this type of view.\nPlease select another type of view first.");
      }
      return nullptr;
    case kViewMorphBySizing:
      return CreateSizingMorph(&poly, DualMorphRatio(), flags, why);
    case kViewMorphByTruncation:
      return CreateTruncationMorph(&poly, DualMorphRatio(), flags, why);
    case kViewMorphByAugmentation:
      return CreateAugmentationMorph(&poly, DualMorphRatio(), flags, why);
    case kViewMorphByExpansion:
      return CreateExpansionMorph(&poly, DualMorphRatio(), flags, why);
    case kViewMorphTiltingQuads:
      return CreateTiltingQuadsMorph(&poly, DualMorphRatio(), flags, why);
    case kViewMorphTiltingTriangles:
      return CreateTiltingTrianglesMorph(&poly, DualMorphRatio(), flags, why);
    case kViewMorphTiltingCompound:
    case kViewMorphTiltingRectification:
      return CreateTiltingMorph(&poly, DualMorphRatio(), flags, viewType, why);
    case kViewMorphViaSnub:
      return CreateSnubMorph(&poly, DualMorphRatio(), flags, why);
    case kViewBasePolyhedron:
      return detail_DerivedModels::BaseDualPath(poly, flags | kDeriveBase, edgeList, derived, why);
    case kViewDualPolyhedron:
      return detail_DerivedModels::BaseDualPath(poly, flags | kDeriveDual, edgeList, derived, why);
    default:
      break;
  }
  if (viewType & kViewStellationBit) {
    if (viewType == kViewFoldingNet && (flags & kDeriveNetModel)) return CreateNetModel(&poly, why).release();
    FaceTypeBlock* block = FacetModelBlockForViewType(poly, viewType, flags);
    Model3D* model = block ? block->GetModel3D(false, why) : nullptr;
    if (!model) return nullptr;
    if (viewType != kViewFoldingNet) flags &= ~kDeriveNetModel;
    if (derived) *derived = 1;
    return model->CreateSimplePoly(flags, edgeList);
  }
  return detail_DerivedModels::BaseDualPath(poly, flags | (poly.mShowDual ? kDeriveDual : kDeriveBase), edgeList,
                                            derived, why);
}

FaceTypeBlock* FacetModelBlockForViewType(Poly& poly, uint32_t viewType, uint32_t flags) {
  // A side named in the flags is its plain copy; a compound pane shows no facet model.
  if ((flags & (kDeriveBase | kDeriveDual)) || viewType == kViewCompound) return nullptr;
  return viewType & kViewStellationBit ? poly.GetShownBlock() : nullptr;
}

SimplePoly* DeriveModel(Poly* poly, uint32_t flags, EdgeListNode** edgeList, uint8_t* derived, uint32_t viewType,
                        Outcome* why) {
  platform::Services().views->SetWaitCursor(true);
  // A side named in the flags needs no pane.
  if (flags & (kDeriveBase | kDeriveDual)) viewType = kViewNone;
  SimplePoly* result = DeriveModelForViewType(*poly, viewType, flags, edgeList, derived, why);
  platform::Services().views->SetWaitCursor(false);
  return result;
}

SimplePoly* CreateModel(Poly* poly, uint32_t flags, EdgeListNode** edgeList, uint8_t* derived, uint32_t viewType,
                        Outcome* why) {
  SimplePoly* simple = DeriveModel(poly, flags, edgeList, derived, viewType, why);
  if (!simple) return nullptr;
  if (simple->description.empty() && poly->mDescription) simple->description = poly->mDescription;
  if (simple->webLink.empty() && poly->mWebLink) simple->webLink = poly->mWebLink;
  simple->flags |= CarriedSimpleFlags(*poly);
  return simple;
}

std::unique_ptr<SimplePoly> CreateConvexHullOfModel(Poly* poly, uint32_t viewType, Outcome* why) {
  Outcome outcome;
  std::unique_ptr<SimplePoly> shown(poly ? CreateModel(poly, 0, nullptr, nullptr, viewType, &outcome) : nullptr);
  std::unique_ptr<SimplePoly> hull;
  if (shown) {
    // The hull reads the copy's vertices and faces, never its edges: they go before
    // the hull's model takes its room.
    shown->SetNumEdges(0);
    std::string refusal;
    hull = CreateConvexHull(*shown, kHullKeepColors, &refusal);
    if (hull) {
      hull->SetName(shown->name.empty() ? "Polyhedron" : shown->name.c_str(), "Convex hull of ", true);
      hull->dualName.clear();
      hull->flags |= kSimpleBuiltOnce;
    } else {
      outcome.Then(refusal.empty() ? Outcome::Cancelled()
                                   : Outcome::RefusedF("Unable to create the convex hull: %s", refusal.c_str()));
    }
  }
  if (why) *why = outcome;
  return hull;
}

// ---- Models for the document ------------------------------------------------------------------

WatermanSettings& GetWatermanSettings() {
  static WatermanSettings settings;
  return settings;
}

std::unique_ptr<SimplePoly> CreateWatermanModel(int latticeType, int root, bool fourD) {
  if (root < kWatermanMinRoot || root > kWatermanMaxRoot) return nullptr;
  WatermanSettings& settings = GetWatermanSettings();
  settings.root = root;
  settings.latticeType = latticeType;
  settings.fourD = fourD;
  std::unique_ptr<SimplePoly> simple = CreateWatermanPoly(latticeType, root);
  if (!simple) return nullptr;
  const char* suffix = latticeType == 1 ? ", type 2" : latticeType == 2 ? ", cubic" : "";
  char name[64];
  char dualName[64];
  std::snprintf(name, sizeof name, "%s%d%s%s", "Waterman R", root, suffix, fourD ? " 4D" : "");
  std::snprintf(dualName, sizeof dualName, "%s%d%s%s", "Waterman dual R", root, suffix, fourD ? " 4D" : "");
  simple->name = name;
  simple->dualName = dualName;
  return simple;
}

bool CreateFromLibraryEntry(Poly* poly, PolyTemplate* polyTemplate, LibraryEntry* entry, bool deferBuild,
                            Outcome* why) {
  if (!entry || !entry->CheckAvailable(why)) return false;
  if (entry->IsSpringBuilt()) {
    // Stored or generated coordinates; the face-list text stays with the model.
    std::string faceList;
    std::unique_ptr<SimplePoly> simple = entry->CreateSpringPoly(&faceList, why);
    // A record without a face list has nothing to build; the others said why not.
    if (!simple && faceList.empty() && why) *why = Outcome::Refused(entry->GetNotAvailableText());
    if (!simple || !CreatePoly(*simple, poly, false, false)) return false;
    poly->SetDescription(CopyString(faceList.c_str()));
    return true;
  }
  if (entry->mCategory == kCategoryPrisms) {
    int n = 0;
    int d = 0;
    entry->GetParams(n, d);
    const std::string config = entry->GetVertexConfiguration();
    Outcome made;
    std::unique_ptr<SimplePoly> simple =
        (!config.empty() && config.back() == '4') ? CreatePrism(n, d, made) : CreateAntiprism(n, d, made);
    if (!simple) {
      if (why) *why = made;
      return false;
    }
    // A prism is a uniform polyhedron like any other: its configuration's template gives
    // it its kind, its measures and its name.
    if (polyTemplate && polyTemplate->Parse(config.c_str(), nullptr)) simple->polyTemplate = polyTemplate;
    return CreatePoly(*simple, poly, false, false).done();
  }
  const std::string config = entry->GetVertexConfiguration();
  if (!polyTemplate || !polyTemplate->Parse(config.c_str(), why)) return false;
  if (deferBuild) return poly->Prepare(polyTemplate, 0);
  // A failed build is a failure, not a partial model presented as the entry.
  return poly->Build(polyTemplate, 0);
}

// ---- Models made from the facet model, moving the model ---------------------------------------

std::unique_ptr<SimplePoly> CreateNetModel(Poly* poly, Outcome* why) {
  FaceTypeBlock* block = poly ? poly->GetShownBlock() : nullptr;
  Model3D* model = block ? block->GetModel3D(false, why) : nullptr;
  if (!model) return nullptr;
  model->UpdateFolding();
  auto simple = std::make_unique<SimplePoly>(0, 0);
  simple->flags |= kSimpleGrowable;
  int used = 0;
  for (Face3DType* type = model->mFaceTypes; type; type = type->mNext) {
    for (int f = 0; f < type->mNumFacelets; ++f) {
      const Face3D& facelet = type->mFacelets[f];
      if (facelet.mSourceFace && facelet.mSourceFace->HasFlag(kElementHidden)) continue;
      if (facelet.GetNumEdges() < 1 || !model->IsEdgeShown(&facelet.mEdges[0], 0)) continue;
      SimpleFace& face = simple->AddFace();
      face.SetNumVerts(type->mNumEdges, 1);
      for (int i = 0; i < type->mNumEdges; ++i) {
        SimpleVert* v = simple->FindOrCreateVert(facelet.mEdges[i].pos3D, used);
        face.SetVertIndex(i, v ? v->GetIndex() : kNoIndex);
      }
      face.color = PackRainbowColor(facelet.GetColor());
      face.SetAlpha(facelet.GetAlpha());
      if (const char* label = facelet.GetLabel()) face.SetLabel(label);
    }
  }
  simple->Truncate(used, simple->NumFaces());
  simple->SetName("Unfolding Net", nullptr, true);
  simple->flags |= detail_DerivedModels::kNetModelFlags;
  return simple;
}

void TranslateBy(Poly* poly, const double* vector) {
  platform::UndoHooks* undo = platform::Services().undo;
  undo->AddUndo(kUndoTranslate, 0);
  std::unique_ptr<SimplePoly> copy(CreateSimplePoly(poly, kDeriveBase, nullptr, nullptr));
  bool made = false;
  if (copy) {
    // The plain copy's Translate moves by the opposite of its vector.
    double back[3];
    Scale(back, vector, -1.0);
    copy->Translate(back);
    // The moved model replaces this one as it stands: neither centred, nor scaled, nor
    // turned, with its colours and its dual's.
    copy->flags |= kSimpleKeepCentre | kSimpleKeepSize | kSimpleKeepOrientation;
    made = CreatePoly(*copy, poly, true, true).done();
  }
  // A model that could not be made leaves nothing to undo.
  if (!made) undo->DiscardLastUndo();
}

}  // namespace corvia
