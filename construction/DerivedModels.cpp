#include "construction/DerivedModels.h"

#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "construction/DualMorph.h"
#include "construction/LibraryEntry.h"
#include "construction/PolyTemplate.h"
#include "construction/Prisms.h"
#include "core/Messages.h"
#include "core/Progress.h"
#include "core/Strings.h"
#include "core/Units.h"
#include "core/VectorMath.h"
#include "model/Edge.h"
#include "model/ElementFlags.h"
#include "model/Poly.h"
#include "model/Globals.h"
#include "model/PolyElement.h"
#include "nets/Model3D.h"
#include "platform/Services.h"
#include "stellation/FaceTypeBlock.h"
#include "stellation/SimpleFaceting.h"
#include "symmetry/SimplePoly.h"
#include "symmetry/SymGroup.h"
#include "symmetry/Waterman.h"

namespace corvia {

namespace detail_DerivedModels {

constexpr uint32_t kTriangleFlags = kDeriveTriangles | kDeriveTriangles2;
constexpr uint32_t kSimpleHemiFace = kSimpleCentralPlane | kSimpleHemiFixed;
constexpr int kWatermanMinRoot = 1;
constexpr int kWatermanMaxRoot = 10;
// The edge colour of a model without an edge array (0x00BBGGRR).
constexpr uint32_t kDefaultEdgeColor = 0x000000;

uint32_t PackColour(const float* rgb) {
  uint32_t packed = 0;
  for (int k = 0; k < 3; ++k) packed |= static_cast<uint32_t>(RoundToInt(rgb[k] * 255.0f) & 0xFF) << (8 * k);
  return packed;
}

void Missing(const char* name) { ShowInternalError("%s: Not available in this build", name); }

bool IsUnnamed(const std::string& text) { return text.empty() || strcasecmp(text.c_str(), "Unnamed") == 0 || strcasecmp(text.c_str(), "Unnamed Dual") == 0; }

SimplePoly* BaseDualPath(Poly& poly, uint32_t flags, EdgeListNode** edgeList, uint8_t* derived) {
  if (edgeList) *edgeList = poly.CreateEdgeList(flags);
  if (derived) *derived = 1;
  return poly.CreateSimplePoly(flags, nullptr, nullptr);
}

}  // namespace detail_DerivedModels

// ---- Edge lists -------------------------------------------------------------------------

EdgeListNode* Poly::CreateEdgeList(uint32_t flags) {
  const bool dual = (flags & kDeriveDual) != 0;
  EdgeListNode* list = nullptr;
  if (mEdgeArray && mNumEdges > 0) {
    for (int i = 0; i < mNumEdges; ++i) {
      Edge* edge = GetEdge(i);
      if (!edge || edge->IsHidden(dual)) continue;
      PolyElement* ends[2] = {nullptr, nullptr};
      edge->GetVerts(dual, ends);
      if (!ends[0] || !ends[1]) continue;
      AddEdgeToList(ends[1]->mIndex, ends[0]->mIndex, detail_DerivedModels::PackColour(edge->GetColour()), list);
    }
    return list;
  }
  ElementList* faces = nullptr;
  GetParts(dual, &faces, nullptr, nullptr, nullptr);
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

SimplePoly* Poly::CreateSimplePoly(uint32_t flags, CompoundPart* part, OpenGLView* view) {
  const bool dual = (flags & kDeriveDual) != 0;
  const bool triangles = (flags & detail_DerivedModels::kTriangleFlags) != 0;
  if (dual && mHasCentralFace && !(flags & (detail_DerivedModels::kTriangleFlags | kDeriveAllowInfinite))) {
    ShowError("This operation may not be performed on a model with infinite vertices");
    return nullptr;
  }
  if (part && !(flags & kDeriveVerticesOnly)) {
    detail_DerivedModels::Missing("Poly::CreateSimplePoly: compound part copies");
    return nullptr;
  }
  if (triangles) {
    detail_DerivedModels::Missing("Poly::CreateSimplePoly: triangulated face-type outlines");
    return nullptr;
  }
  ElementList* faces = nullptr;
  ElementList* verts = nullptr;
  GetParts(dual, &faces, &verts, nullptr, nullptr);
  auto simple = std::make_unique<SimplePoly>(verts->mCount, 0);
  simple->flags |= kSimpleKeepOrientation;

  int v = 0;
  for (PolyElement* element = verts->mHead; element; element = element->mNext, ++v) {
    SimpleVert& out = simple->VertAt(v);
    const bool infinite = element->HasFlag(kElementHemi) && dual;
    if (infinite) out.flags |= kSimpleInfinite;
    out.SetPos(element->mDualVert);
    out.typeId = -1;
    out.color = detail_DerivedModels::PackColour(element->mColor);
    out.color2 = detail_DerivedModels::PackColour(element->mBackColor);
    if (element->HasFlag(kElementHidden)) out.flags |= kSimpleHidden;
    if (element->HasLabel()) out.SetLabel(element->GetLabel());
  }
  if (!(flags & kDeriveVerticesOnly)) {
    // Faces dropped for having fewer than three sides shift the indices of those after
    // them: vertex-face lists and edges read the copy's numbering.
    std::vector<int32_t> copyIndex(static_cast<size_t>(faces->mCount), kNoIndex);
    const bool dropSmall = (flags & kDeriveDropDegenerate) != 0;
    for (PolyElement* element = faces->mHead; element; element = element->mNext) {
      if (dropSmall && element->mNumSides < 3) continue;
      copyIndex[static_cast<size_t>(element->mIndex)] = simple->NumFaces();
      SimpleFace& out = simple->AddFace();
      out.SetNumVerts(element->mNumSides);
      for (int i = 0; i < element->mNumSides; ++i) out.SetVertIndex(i, element->mNeighbours[i]->mIndex);
      if (element->HasFlag(kElementHidden)) out.flags |= kSimpleHidden;
      if (element->HasFlag(kElementReverseNorm)) out.flags |= kSimpleReversed;
      if (element->HasFlag(kElementHemi)) out.flags |= detail_DerivedModels::kSimpleHemiFace;
      double normal[3];
      element->GetNormal(normal);
      CopyVector(out.normal, element->mNumSides > 0 ? normal : element->mXAxis);
      out.color = detail_DerivedModels::PackColour(element->mColor);
      out.color2 = detail_DerivedModels::PackColour(element->mBackColor);
      if (element->HasLabel()) out.SetLabel(element->GetLabel());
      if (element == GetCurrentFace()) simple->currentFace = copyIndex[static_cast<size_t>(element->mIndex)];
    }
    simple->CreateVertexFaceLists(true);
    simple->flags |= kSimpleSortedFaceLists;
    v = 0;
    for (PolyElement* element = verts->mHead; element; element = element->mNext, ++v) {
      std::vector<int32_t> ring;
      for (int i = 0; i < element->mNumSides; ++i) {
        const PolyElement* face = element->mNeighbours[i];
        if (face && copyIndex[static_cast<size_t>(face->mIndex)] != kNoIndex) {
          ring.push_back(copyIndex[static_cast<size_t>(face->mIndex)]);
        }
      }
      simple->VertAt(v).items = ring;
    }
    if (mEdgeArray && mNumEdges > 0) {
      simple->SetNumEdges(mNumEdges);
      for (int i = 0; i < mNumEdges; ++i) {
        Edge* edge = GetEdge(i);
        SimpleEdge& out = simple->EdgeAt(i);
        PolyElement* ends[2] = {nullptr, nullptr};
        PolyElement* sides[2] = {nullptr, nullptr};
        edge->GetVerts(dual, ends);
        edge->GetFaces(dual, sides);
        out.flags = edge->mEdgeFlags;
        out.endA = PolyElement::GetIndex(ends[0]);
        out.endB = PolyElement::GetIndex(ends[1]);
        out.faceA = sides[0] ? copyIndex[static_cast<size_t>(sides[0]->mIndex)] : kNoIndex;
        out.faceB = sides[1] ? copyIndex[static_cast<size_t>(sides[1]->mIndex)] : kNoIndex;
        out.color = detail_DerivedModels::PackColour(edge->GetColour());
        if (edge->HasLabel()) out.SetLabel(edge->GetLabel());
      }
    }
  }
  if (mSymGroup) simple->SetSymmetry(mSymGroup);
  simple->flags |= kSimpleKeepLengthUnits;
  if (mPolyFlags & kPolyFlagConvex) simple->flags |= kSimpleConvex;
  if (mPolyFlags & kPolyFlagDensityOne) simple->flags |= kSimpleDensityOne;
  if (mPolyFlags & kPolyFlagPlainSurface) simple->flags |= kSimplePlainSurface;
  if (mPolyFlags & kPolyFlagInherited) simple->flags |= kSimpleInherited;
  NameSimplePoly(dual, simple.get(), view);
  return simple.release();
}

void Poly::NameSimplePoly(bool dual, SimplePoly* simple, OpenGLView* view) {
  if (view) {
    detail_DerivedModels::Missing("Poly::NameSimplePoly: GetPolyName of a pane");
    return;
  }
  std::string name = mName ? mName : "";
  std::string dualName = mDualName ? mDualName : "";
  if (detail_DerivedModels::IsUnnamed(name)) name.clear();
  if (detail_DerivedModels::IsUnnamed(dualName)) dualName.clear();
  if (dual) name.swap(dualName);
  simple->name = name;
  simple->dualName = dualName;
  simple->description = mDescription ? mDescription : "";
  simple->webLink = mWebLink ? mWebLink : "";
}

// ---- Dispatch -----------------------------------------------------------------------------

SimplePoly* DeriveModelForViewType(Poly& poly, uint32_t viewType, uint32_t flags, EdgeListNode** edgeList,
                                   uint8_t* derived) {
  if (edgeList) *edgeList = nullptr;
  if (derived) *derived = 0;
  if (flags & (kDeriveBase | kDeriveDual)) return detail_DerivedModels::BaseDualPath(poly, flags, edgeList, derived);
  switch (viewType) {
    case kViewFacetingPreview:
      return CreateSimpleFacetedPolyhedron(&poly, flags, nullptr);
    case kViewBaseDualCompound:
      detail_DerivedModels::Missing("MakeCompoundWithDual");
      return nullptr;
    case kViewCompound:
    case kViewFacetingDiagram:
      if (!(flags & kDeriveQuiet)) {
        ShowError("Can't perform that operation from this type of view.\nPlease select another type of view first.");
      }
      return nullptr;
    case kViewMorphBySizing:
      return poly.CreateSizingMorph(DualMorphRatio(), flags);
    case kViewMorphByTruncation:
      return poly.CreateTruncationMorph(DualMorphRatio(), flags);
    case kViewMorphByAugmentation:
      return poly.CreateAugmentationMorph(DualMorphRatio(), flags);
    case kViewMorphByExpansion:
      return poly.CreateExpansionMorph(DualMorphRatio(), flags);
    case kViewMorphTiltingQuads:
      return poly.CreateTiltingQuadsMorph(DualMorphRatio(), flags);
    case kViewMorphTiltingTriangles:
      return poly.CreateTiltingTrianglesMorph(DualMorphRatio(), flags);
    case kViewMorphTiltingCompound:
    case kViewMorphTiltingRectification:
      return poly.CreateTiltingMorph(DualMorphRatio(), flags, viewType);
    case kViewMorphViaSnub:
      return poly.CreateSnubMorph(DualMorphRatio(), flags);
    case kViewBasePolyhedron:
      return detail_DerivedModels::BaseDualPath(poly, flags | kDeriveBase, edgeList, derived);
    case kViewDualPolyhedron:
      return detail_DerivedModels::BaseDualPath(poly, flags | kDeriveDual, edgeList, derived);
    default:
      break;
  }
  if (viewType == kViewFoldingNet && (flags & kDeriveNetModel)) return Poly::CreateNetModel(&poly).release();
  if (viewType & kViewStellationBit) {
    FaceTypeBlock* block = poly.mShowDual ? poly.mDualBlock.get() : poly.mBaseBlock.get();
    Model3D* model = block ? block->GetModel3D(false) : nullptr;
    if (!model) return nullptr;
    if (viewType != kViewFoldingNet) flags &= ~kDeriveNetModel;
    if (derived) *derived = 1;
    return model->CreateSimplePoly(flags, edgeList);
  }
  return detail_DerivedModels::BaseDualPath(poly, flags | (poly.mShowDual ? kDeriveDual : kDeriveBase), edgeList,
                                            derived);
}

SimplePoly* Poly::DeriveModel(uint32_t flags, EdgeListNode** edgeList, uint8_t* derived, OpenGLView* view) {
  platform::Services().views->SetWaitCursor(true);
  SimplePoly* result = nullptr;
  if (view && !(flags & (kDeriveBase | kDeriveDual))) {
    detail_DerivedModels::Missing("ViewType of a pane");
  } else {
    result = DeriveModelForViewType(*this, kViewNone, flags, edgeList, derived);
  }
  platform::Services().views->SetWaitCursor(false);
  return result;
}

SimplePoly* Poly::CreateModel(uint32_t flags, EdgeListNode** edgeList, uint8_t* derived, OpenGLView* view) {
  SimplePoly* simple = DeriveModel(flags, edgeList, derived, view);
  if (!simple) return nullptr;
  if (simple->description.empty() && mDescription) simple->description = mDescription;
  if (simple->webLink.empty() && mWebLink) simple->webLink = mWebLink;
  if (mPolyFlags & kPolyFlagInherited) simple->flags |= kSimpleInherited;
  return simple;
}

// ---- Models for the document ------------------------------------------------------------------

WatermanSettings& GetWatermanSettings() {
  static WatermanSettings settings;
  return settings;
}

void CreateWatermanModel(int latticeType, int root, bool fourD) {
  if (root < detail_DerivedModels::kWatermanMinRoot || root > detail_DerivedModels::kWatermanMaxRoot) return;
  WatermanSettings& settings = GetWatermanSettings();
  settings.root = root;
  settings.latticeType = latticeType;
  settings.fourD = fourD;
  ProgressScope progress;
  platform::Services().views->SetWaitCursor(true);
  UnitSettings& units = GetUnitSettings();
  const double oldScale = units.mLengthScale;
  units.SetLengthScale(1.0, false);
  std::unique_ptr<SimplePoly> simple = CreateWatermanPoly(latticeType, root);
  if (!simple) {
    // Nothing was built: the user's scale stays as it was.
    units.SetLengthScale(oldScale, false);
    platform::Services().views->SetWaitCursor(false);
    return;
  }
  const char* suffix = latticeType == 1 ? ", type 2" : latticeType == 2 ? ", cubic" : "";
  char name[64];
  char dualName[64];
  std::snprintf(name, sizeof name, "%s%d%s%s", "Waterman R", root, suffix, fourD ? " 4D" : "");
  std::snprintf(dualName, sizeof dualName, "%s%d%s%s", "Waterman dual R", root, suffix, fourD ? " 4D" : "");
  simple->name = name;
  simple->dualName = dualName;
  simple->CreatePolyWithUndo(kUndoWatermanModel, false, false);
  platform::Services().views->SetWaitCursor(false);
}

void CreateFacetedModel() {
  std::unique_ptr<SimplePoly> simple(CreateSimpleFacetedPolyhedron(GetCurrentPoly(), 0, nullptr));
  if (simple) simple->CreatePolyWithUndo(kUndoFacetedModel, false, false);
}

bool Poly::CreateFromLibraryEntry(PolyTemplate* polyTemplate, LibraryEntry* entry, bool deferBuild) {
  if (!entry) return false;
  if (entry->IsSpringBuilt()) {
    // Stored or generated coordinates; the face-list text stays with the model.
    std::string faceList;
    std::unique_ptr<SimplePoly> simple = entry->CreateSpringPoly(&faceList);
    if (!simple || !simple->CreatePoly(this, false, false)) return false;
    SetDescription(CopyString(faceList.c_str()));
    return true;
  }
  if (entry->mCategory == kCategoryPrisms) {
    int n = 0;
    int d = 0;
    entry->GetParams(n, d);
    const std::string config = entry->GetVertexConfiguration();
    std::unique_ptr<SimplePoly> simple =
        (!config.empty() && config.back() == '4') ? CreatePrism(n, d) : CreateAntiprism(n, d);
    return simple && simple->CreatePoly(this, false, false);
  }
  const std::string config = entry->GetVertexConfiguration();
  if (!polyTemplate || !polyTemplate->Parse(config.c_str(), true)) return false;
  if (deferBuild) return Prepare(polyTemplate, 0);
  // A failed build is a failure, not a partial model presented as the entry.
  return Build(polyTemplate, 0);
}

}  // namespace corvia
