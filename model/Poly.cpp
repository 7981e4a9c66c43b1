// The model's lifetime, names, element access and its side of the contract with its
// elements.

#include "model/Poly.h"

#include <cstdio>
#include <cstring>

#include "core/DrawnPolygon.h"
#include "core/Globals.h"
#include "core/Messages.h"
#include "core/Progress.h"
#include "core/Strings.h"
#include "model/BlockPool.h"
#include "model/CrossSection.h"  // cross-section
#include "model/Edge.h"
#include "model/ElementFlags.h"
#include "model/Face.h"
#include "model/FaceTypeBlock.h"
#include "model/LibraryEntry.h"
#include "model/PolyTemplate.h"
#include "model/Vertex.h"
#include "model/Globals.h"
#include "model/PointPicker.h"
#include "model/PolyElement.h"
#include "model/PolyFwd.h"
#include "platform/Services.h"
#include "symmetry/SimplePoly.h"
#include "symmetry/SymGroup.h"

namespace corvia {

namespace detail_Poly {

// Replaces an owned text by a copy; a blank text stores null.
void ReplaceText(char*& field, const char* text) {
  DeleteString(field);
  field = IsBlank(text) ? nullptr : CopyString(text);
}

}  // namespace detail_Poly

double& GetRadiusMargin() {
  static double margin = kDefaultRadiusMargin;
  return margin;
}

Poly::Poly()
    : mDiagramWorkPools(new FaceDiagramWorkPools()),
      mDiagramResultPools(new FaceDiagramResultPools()),
      mMorphDiagramResultPools(new FaceDiagramResultPools()),
      mBaseBlock(std::make_unique<FaceTypeBlock>(this)),
      mDualBlock(std::make_unique<FaceTypeBlock>(this)) {
  mShowDual = 0;
  Init();
}

Poly::~Poly() { Clear(true); }

void Poly::DiagramWorkPoolsDeleter::operator()(FaceDiagramWorkPools* pools) const {
  delete pools;
}
void Poly::DiagramResultPoolsDeleter::operator()(FaceDiagramResultPools* pools) const {
  delete pools;
}

void Poly::Init() {
  // A model made afresh never passes for one drawn before, whatever place it takes.
  MarkDrawnStateChanged();
  mName = mDualName = mEntryText = mWebLink = nullptr;
  mLibraryEntry = nullptr;
  mLibraryEntryOfDual = nullptr;
  mTemplate = nullptr;
  mDescription = nullptr;
  mExtraRecord = nullptr;
  mBuildState = 0;
  mPolyFlags = 0;
  mNumBranches = 0;
  mBranchVertex = nullptr;
  mFirstMatch = 1;
  mTookBranch = 0;
  mHasCentralFace = 0;
  mFourDimensional = 0;
  mMatchCounter = 0;
  mNumEdges = 0;
  mEdgeArray = nullptr;
  mNumLabelledEdges = 0;
  for (int32_t& word : mSpareWords) word = 0;
  mNumEdgeTypes = 0;
  mEdgeTypes = nullptr;
  mCompoundParts = mLastCompoundPart = nullptr;
  mFullSymGroup = nullptr;
  mSymGroup = nullptr;
  mSavedReflexible = 0;
  mReflexible = 0;
  mSubSymRotIndex = 0;
  mSubSymReflIndex = 0;
  mSelectedElement = nullptr;
  mSelectedItem = nullptr;
  mCurrentEdge = nullptr;
  mTransitionBase = 1.0;
  mDisplayScale = 1.0;
  mDualScale = 1.0;
  mRadius = -1.0;
  mVolume = mDualVolume = 0.0;
  mSurfaceArea = mDualSurfaceArea = 0.0;
  mModelDensity = 0.0;
  mPointBlocks = nullptr;
  mNetsStale = 0;
  mSimplePoly = nullptr;
  mFacetPreview.reset();
  mFacetPreviewDirty = true;
  mSelectedFacetPreview = -1;
  mExtraSymGroup = nullptr;
  for (auto& vector : mSpareVectors) vector[0] = vector[1] = vector[2] = 0.0;
  mTransitionEnd = -1.0;
  mTransitionDirection = 0;
  mTransitionProgress = 1.0;
  mTransitionCurrent = 0.0;
  mTransitionTarget = 1.0;
  mTransition = TransitionSettings();
  mOtherTransition = TransitionSettings();
  mOtherTransition.mType = -1;
  mKitReason[0] = mKitReason[1] = nullptr;
  // A new empty polygon for the user to draw into.
  mDrawnPolygons = mLastDrawnPolygon = nullptr;
  mCurrentDrawnPolygon = new DrawnPolygon(mDrawnPolygons, mLastDrawnPolygon);
  // The measurement points belong to the model the user sees: they are reset when
  // that model is re-initialised, never by a model record or a temporary model.
  if (GetCurrentPoly() == this) ResetMeasurementPoints();
}

void Poly::Clear(bool final) {
  // The augmentation points at faces about to go.
  if (ModelPart* augmentation = AsPart(mAugmentation)) augmentation->ModelCleared();
  DeleteString(mName);
  DeleteString(mDualName);
  DeleteString(mEntryText);
  DeleteString(mWebLink);
  mName = mDualName = mEntryText = mWebLink = nullptr;
  delete mSimplePoly;
  mSimplePoly = nullptr;
  // The preview's records point at the drawn polygons deleted below.
  mFacetPreview.reset();
  mFacetPreviewDirty = true;
  delete mExtraSymGroup;
  mExtraSymGroup = nullptr;
  PointBlock::FreeChain(mPointBlocks);
  mPointBlocks = nullptr;
  mCrossSection.reset();  // cross-section
  mFileKeep.reset();      // model file
  mGeomagKeep.reset();
  mPartNames.clear();
  DeleteDrawnPolygonChain(mDrawnPolygons);
  mDrawnPolygons = mLastDrawnPolygon = mCurrentDrawnPolygon = nullptr;
  DeleteString(mDescription);
  mDescription = nullptr;
  DeleteAllCompoundParts();
  // The selection goes before the things it may point into.
  mSelectedElement = nullptr;
  mSelectedItem = nullptr;
  mCurrentEdge = nullptr;
  FreeEdgeArray(mEdgeArray);
  mEdgeArray = nullptr;
  mNumEdges = 0;
  delete[] mEdgeTypes;
  mEdgeTypes = nullptr;
  mNumEdgeTypes = 0;
  ClearFaceTypes();
  // The builder's record points at the elements about to go.
  mBuildRecord.reset();
  mSavedClasses.clear();
  mFaces.Clear();
  mVertices.Clear();
  // While a sub-symmetry is applied the group in use and the full group are two
  // groups, each owned once; ClearFaceTypes freed the one in use.
  if (mFullSymGroup != mSymGroup) delete mFullSymGroup;
  mFullSymGroup = nullptr;
  if (!final) Init();
}

void Poly::MarkDrawnStateChanged() {
  // One count for every model, so that two models never share a value.
  static uint64_t counter = 0;
  mDrawnStateSerial = ++counter;
}

void Poly::ClearFaceTypes() {
  MarkDrawnStateChanged();
  if (mSymGroup != mFullSymGroup) delete mSymGroup;
  mSymGroup = nullptr;
  if (mBaseBlock->mFirstFaceType || mDualBlock->mFirstFaceType) {
    // A large model takes a while: the progress window of the work keeps answering.
    ProgressTicker tick;
    for (ElementList* list : {static_cast<ElementList*>(&mFaces), static_cast<ElementList*>(&mVertices)}) {
      for (PolyElement* element = list->mHead; element; element = element->mNext) {
        (void)tick();
        element->mType = nullptr;
        element->SetSymAxis(nullptr);
        element->mTypeSerial = -1;
        element->mFlags &= ~kElementCoplanar;
      }
    }
  }
  (void)ProgressTick();
  mBaseBlock->Clear(true);
  (void)ProgressTick();
  mDualBlock->Clear(true);
  (void)ProgressTick();
  // The face diagrams went with the types: their cells, and every element's copies of
  // them, are dropped together.
  for (ElementList* list : {static_cast<ElementList*>(&mFaces), static_cast<ElementList*>(&mVertices)}) {
    for (PolyElement* element = list->mHead; element; element = element->mNext) {
      element->DropCellColours(0);
      element->DropCellColours(1);
    }
  }
  mDiagramResultPools->Rewind();
  mMorphDiagramResultPools->Rewind();
  // The facetings refer to the elements and types just thrown away.
  for (FaceTypeBlock* block : {mBaseBlock.get(), mDualBlock.get()}) {
    if (ModelPart* faceting = AsPart(block->mFaceting)) faceting->FaceTypesCleared();
  }
}

// ---- Names --------------------------------------------------------------------------

void Poly::SetName(const char* text) {
  detail_Poly::ReplaceText(mName, text);
  platform::Services().views->InvalidateInfo(kInfoReasonNames);
}

void Poly::SetDualName(const char* text) {
  detail_Poly::ReplaceText(mDualName, text);
  platform::Services().views->InvalidateInfo(kInfoReasonNames);
}

void Poly::SetName3(const char* text) {
  detail_Poly::ReplaceText(mEntryText, text);
  platform::Services().views->InvalidateInfo(kInfoReasonNames);
}

void Poly::SetWebLink(const char* text) {
  detail_Poly::ReplaceText(mWebLink, text);
  platform::Services().views->InvalidateInfo(kInfoReasonNames);
}

const char* Poly::GetPartName(bool other) const { return (mShowDual != 0) != other ? mDualName : mName; }

void Poly::GetName(char* buffer, size_t size) const {
  if (!buffer || size == 0) return;
  buffer[0] = '\0';
  // A model built from a vertex configuration is named by its template, which
  // knows the arrangement it was solved from; otherwise the entry's own text.
  if (mTemplate) {
    PolyTemplate::FormatVertexConfiguration(mTemplate, buffer, size, nullptr, false);
  } else if (mLibraryEntry) {
    std::snprintf(buffer, size, "%s", mLibraryEntry->GetVertexConfiguration().c_str());
  }
}

void Poly::SetDescription(char* text) {
  DeleteString(mDescription);
  mDescription = text;
}

// Poly::SetLibraryEntry is defined with the library, in PolyLibrary.cpp.

void Poly::SetLibraryEntryOfDual(LibraryEntry* entry) {
  mLibraryEntry = nullptr;
  mLibraryEntryOfDual = entry;
  platform::Services().views->InvalidateInfo(kInfoReasonNames);
}

// ---- Access -------------------------------------------------------------------------

PolyElement* Poly::GetVertex(int i) const { return i < 0 ? nullptr : mVertices.GetAt(i); }

PolyElement* Poly::GetFace(int i) const { return i < 0 ? nullptr : mFaces.GetAt(i); }

Edge* Poly::GetEdge(int i) const {
  if (static_cast<unsigned>(i) >= static_cast<unsigned>(mNumEdges)) return nullptr;
  return &mEdgeArray[i];
}

EdgeType* Poly::GetEdgeType(int i) const {
  if (!mEdgeTypes || static_cast<unsigned>(i) >= static_cast<unsigned>(mNumEdgeTypes)) return nullptr;
  return &mEdgeTypes[i];
}

int EdgeType::GetIndex(const EdgeType* type, const Poly* model) {
  return model ? IndexInArray(type, static_cast<const EdgeType*>(model->mEdgeTypes), model->mNumEdgeTypes) : -1;
}

PolyElement* Poly::GetElementBySerial(const Poly* poly, int i) {
  if (!poly || i < 0) return nullptr;
  if (i < poly->mFaces.mCount) return poly->mFaces.GetAt(i);
  return poly->mVertices.GetAt(i - poly->mFaces.mCount);
}

Edge* Poly::FindEdge(const PolyElement* end1, const PolyElement* end2, const PolyElement* side1,
                     const PolyElement* side2) const {
  for (int i = 0; i < mNumEdges; ++i) {
    Edge* edge = &mEdgeArray[i];
    const PolyElement* a = edge->mVert1;
    const PolyElement* b = edge->mVert2;
    const PolyElement* f = edge->mFace1;
    const PolyElement* g = edge->mFace2;
    const bool ends = (a == end1 && b == end2) || (a == end2 && b == end1);
    const bool sides = (f == side1 && g == side2) || (f == side2 && g == side1);
    if (ends && sides) return edge;
  }
  return nullptr;
}

void Poly::GetParts(bool dual, ElementList** faces, ElementList** vertices, FaceTypeBlock** shownBlock,
                    FaceTypeBlock** otherBlock) {
  if (faces) *faces = dual ? static_cast<ElementList*>(&mVertices) : static_cast<ElementList*>(&mFaces);
  if (vertices) *vertices = dual ? static_cast<ElementList*>(&mFaces) : static_cast<ElementList*>(&mVertices);
  if (shownBlock) *shownBlock = dual ? mDualBlock.get() : mBaseBlock.get();
  if (otherBlock) *otherBlock = dual ? mBaseBlock.get() : mDualBlock.get();
}

FaceTypeBlock* Poly::GetShownBlock() const { return mShowDual ? mDualBlock.get() : mBaseBlock.get(); }

SymGroup* Poly::GetFullSymGroup() const { return mFullSymGroup ? mFullSymGroup : mSymGroup; }

void Poly::SetEdges(Edge* edges, int count) {
  if (mCurrentEdge || (mSelectedItem && mSelectedItem->IsEdge())) {
    mCurrentEdge = nullptr;
    if (mSelectedItem && mSelectedItem->IsEdge()) mSelectedItem = nullptr;
  }
  FreeEdgeArray(mEdgeArray);
  mEdgeArray = edges;
  mNumEdges = edges ? count : 0;
}

bool DescribeMemoryModel(const SimplePoly* memory, MemorySlotInfo* out) {
  if (!memory) return false;
  if (out) {
    out->name = memory->name.c_str();
    out->numFaces = memory->CountFacesWithoutFlags(kSimpleTemp);
    int vertices = 0;
    for (int i = 0; i < memory->NumVerts(); ++i) vertices += !(memory->VertAt(i).flags & kSimpleTemp);
    out->numVertices = vertices;
  }
  return true;
}

void GetMemoryDescription(int slot, const SimplePoly* memory, char* buffer, size_t size) {
  if (!buffer || size == 0) return;
  MemorySlotInfo info;
  if (!DescribeMemoryModel(memory, &info)) {
    std::snprintf(buffer, size, "Memory %d (Empty)", slot + 1);
    return;
  }
  if (IsBlank(info.name)) {
    std::snprintf(buffer, size, "Memory %d (%d faces, %d verts)", slot + 1, info.numFaces, info.numVertices);
    return;
  }
  constexpr int kMenuTextLimit = 208;
  constexpr int kClosingRoom = 5;
  char prefix[32];
  const int prefixLength = std::snprintf(prefix, sizeof prefix, "Memory %d (", slot + 1);
  const int nameLength = static_cast<int>(std::strlen(info.name));
  if (nameLength + prefixLength + kClosingRoom < kMenuTextLimit) {
    std::snprintf(buffer, size, "%s%s)", prefix, info.name);
  } else {
    // Cut between letters: half a letter would leave the menu row empty.
    const size_t keep =
        Utf8CutLength(info.name, size_t(nameLength), size_t(kMenuTextLimit - (prefixLength + kClosingRoom)));
    std::snprintf(buffer, size, "%s%.*s...)", prefix, int(keep), info.name);
  }
}

// ---- The model's side of the element contract ------------------------------------------

ElementList* PolyVertexList(Poly* poly) { return poly ? &poly->mVertices : nullptr; }

ElementList* PolyFaceList(Poly* poly) { return poly ? &poly->mFaces : nullptr; }

FaceTypeBlock* PolyTypeBlock(Poly* poly, bool dualBlock) {
  if (!poly) return nullptr;
  return dualBlock ? poly->mDualBlock.get() : poly->mBaseBlock.get();
}

PolyElement* PolyBlockCurrent(Poly* poly, bool dualBlock) {
  FaceTypeBlock* block = PolyTypeBlock(poly, dualBlock);
  return block ? block->mCurrentFace : nullptr;
}

PolyElement* PolySelectedElement(const Poly* poly) {
  return poly ? poly->mSelectedElement : nullptr;
}

void PolySetBlockCurrent(Poly* poly, bool dualBlock, PolyElement* element) {
  FaceTypeBlock* block = PolyTypeBlock(poly, dualBlock);
  if (block) block->SetCurrentFace(element);
}

void PolyForgetElement(Poly* poly, PolyElement* element) {
  if (!poly) return;
  if (poly->mSelectedElement == element) poly->mSelectedElement = nullptr;
  if (poly->mSelectedItem == element) poly->mSelectedItem = nullptr;
  if (poly->mBranchVertex == element) poly->mBranchVertex = nullptr;
  if (!poly->mSavedClasses.empty()) poly->mSavedClasses.erase(element);
  for (FaceTypeBlock* block : {poly->mBaseBlock.get(), poly->mDualBlock.get()}) {
    if (block && block->mCurrentFace == element) block->mCurrentFace = nullptr;
  }
}

void PolyAddLabelledEdges(Poly* poly, int delta) {
  if (poly) poly->mNumLabelledEdges += delta;
}

Edge* PolyEdgeArray(Poly* poly) { return poly ? poly->mEdgeArray : nullptr; }

int PolyNumEdges(Poly* poly) { return poly ? poly->mNumEdges : 0; }

double PolyGetRadius(Poly* poly) { return poly ? poly->GetRadius() : 1.0; }

PolyTemplate* PolyTemplateOf(Poly* poly) { return poly ? poly->mTemplate : nullptr; }

SymGroup* PolySymGroup(Poly* poly) { return poly ? poly->mSymGroup : nullptr; }

SymGroup* PolyFullSymGroup(Poly* poly) { return poly ? poly->mFullSymGroup : nullptr; }

}  // namespace corvia
