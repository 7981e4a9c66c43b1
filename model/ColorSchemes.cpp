#include "model/ColorSchemes.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <memory>
#include <unordered_map>
#include <vector>

#include "core/ColorList.h"
#include "core/FaceImageRef.h"
#include "core/Globals.h"
#include "core/MergeSort.h"
#include "core/Messages.h"
#include "core/Progress.h"
#include "core/RainbowColor.h"
#include "core/Tolerances.h"
#include "core/VectorMath.h"
#include "model/CrossSection.h"
#include "model/Edge.h"
#include "model/ElementFlags.h"
#include "model/ElementList.h"
#include "model/FaceDiagramCells.h"
#include "model/FaceImageAttach.h"
#include "model/FaceType.h"
#include "model/FaceTypeBlock.h"
#include "model/GeomagPanels.h"
#include "model/ModelPart.h"
#include "model/Poly.h"
#include "model/PolyElement.h"
#include "platform/Services.h"
#include "symmetry/SymGroup.h"
#include "symmetry/SymOperations.h"

namespace corvia {

uint32_t FaceColorScheme = kDefaultFaceColorScheme;
int EdgeColorScheme = kEdgeColorAllSame;
int StellationColorScheme = 0;
int SelectionHighlightMode = kSelectionHighlight;
bool ColorVertsSameAsDualFace = false;
bool GeomagStyle = false;
float DefaultVertexColor[3] = {1.0f, 1.0f, 0.8f};

namespace detail_ColorSchemes {

// The colour scheme's pass over one side of the model (ColorScheme without the
// construction-toy panels).
void ColourByScheme(Poly* poly, ElementList* list, uint32_t scheme);

// A type still to be numbered by the chosen rule.
constexpr int32_t kToBeNumbered = INT32_MAX;
constexpr int32_t kUnset = -1;
constexpr float kUncoloured = -1.0f;

// Panes that show the facelets of a stellation model rather than the Poly.
constexpr unsigned kFaceletViewTypes[] = {0x2903, 0x2A04, 0xA408, 0xA409, 0xA40A, 0x12C0F, 0x1340E};

uint32_t gColorCacheSerial[2] = {0, 0};

ColorDocumentHooks& DefaultHooks() {
  static ColorDocumentHooks hooks;
  return hooks;
}
ColorDocumentHooks* gHooks = nullptr;

// Colour wheel index of a side: the dual runs backwards from the end of the wheel.
void SideWheelColor(bool dual, long long index, float* rgb) {
  const int wrapped = static_cast<int>(index % kRainbowSize);
  RainbowColor(wrapped, rgb, dual ? kRainbowComplement : 0);
}

void SetBoth(PolyElement* element, const float* front, const float* back) {
  CopyFloat3(element->mColor, front);
  CopyFloat3(element->mBackColor, back);
}

bool SameFloat3(const float* a, const float* b) { return a[0] == b[0] && a[1] == b[1] && a[2] == b[2]; }

// The construction-toy panel colour of a face's shape: green triangles, blue squares
// (a quadrilateral whose first corner is square), yellow other quadrilaterals and
// hexagons, red pentagons, clear anything else.
int GeomagPanelColorOfShape(const PolyElement* face) {
  switch (face->mNumSides) {
    case 3:
      return kGeomagPanelGreen;
    case 4: {
      const PolyElement* const* c = face->mNeighbours.get();
      if (!c || !c[0] || !c[1] || !c[2]) return kGeomagPanelYellow;
      double first[3], second[3];
      Subtract(first, c[1]->mDualVert, c[0]->mDualVert);
      Subtract(second, c[2]->mDualVert, c[1]->mDualVert);
      return std::fabs(Dot(first, second)) <= kToyPanelTolerance ? kGeomagPanelBlue : kGeomagPanelYellow;
    }
    case 5:
      return kGeomagPanelRed;
    case 6:
      return kGeomagPanelYellow;
    default:
      return kGeomagPanelClear;
  }
}

// The element's copy of its face diagram's cells takes its colours from the faces of
// its coplanar ring, by the same rule as the diagram itself (a one-sided model fills
// by the even-odd rule); an element without cell colour holders has nothing to do. The
// plane of a large model holds hundreds of thousands of cells: a report follows every
// kCellsPerReport of them.
constexpr int32_t kCellsPerReport = 1024;

void CalcCellColours(PolyElement* element, int side) {
  CellColorArray* cells = element->GetCellColours(side);
  if (!cells || !cells->mCells) return;
  const bool evenOdd = element->mPoly && (element->mPoly->mPolyFlags & kPolyFlagOneSidedFace);
  const uint32_t flags = GetDiagramDrawFlags(false, evenOdd);
  for (int32_t from = 0; from < cells->mNumCells; from += kCellsPerReport) {
    const int32_t count = std::min(kCellsPerReport, cells->mNumCells - from);
    CalcAllColors(cells->mCells + from, count, flags, kDiagramSourceFaces, nullptr);
    (void)ProgressTick();
  }
}

// The axis class that colours a type: its coplanar parent's when it has one.
SymAxisType* AxisClassOf(const FaceType* type) {
  if (!type) return nullptr;
  return type->mCoplanarMaster ? type->mCoplanarMaster->mSymAxisType : type->mSymAxisType;
}

// Slots of the special arrangement of the scheme for an axis of this fold in this
// group; 0 when none applies.
int ArrangementSlots(int groupType, int fold, uint32_t scheme) {
  if (groupType == kSymGroupOctahedral) {
    if (fold == 4 && (scheme & kColorArrangementCubic)) return 3;
    if (fold == 3 && (scheme & kColorArrangementOctahedral)) return 4;
    if (fold == 2) {
      if (scheme & kColorArrangementRhombicDodecahedral1) return 3;
      if (scheme & kColorArrangementRhombicDodecahedral2) return 4;
      if (scheme & kColorArrangementRhombicDodecahedral3) return 6;
    }
  } else if (groupType == kSymGroupIcosahedral) {
    if (fold == 5) {
      if (scheme & kColorArrangementDodecahedral1) return 4;
      if (scheme & kColorArrangementDodecahedral2) return 6;
    } else if (fold == 3) {
      if (scheme & kColorArrangementIcosahedral1) return 5;
      if (scheme & kColorArrangementIcosahedral2) return 5;
      if (scheme & kColorArrangementIcosahedral3) return 10;
    } else if (fold == 2) {
      if (scheme & kColorArrangementTriacontahedral1) return 5;
      if (scheme & kColorArrangementTriacontahedral2) return 15;
    }
  }
  return 0;
}

// The face types of a block in list order, with a lookup from type to position.
struct TypeTable {
  std::vector<FaceType*> types;
  std::unordered_map<const FaceType*, int> position;
  std::vector<int32_t> index;      // colour index per type
  std::vector<uint8_t> predefined;  // the type takes its colour from an arrangement

  explicit TypeTable(const FaceTypeBlock* block) {
    for (FaceType* type = block ? block->mFirstFaceType : nullptr; type; type = type->mNext) {
      position[type] = static_cast<int>(types.size());
      types.push_back(type);
    }
    index.assign(types.size(), kUnset);
    predefined.assign(types.size(), 0);
  }
  int Find(const FaceType* type) const {
    if (!type) return -1;
    auto it = position.find(type);
    return it == position.end() ? -1 : it->second;
  }
  bool IsNumbered(int t) const { return t >= 0 && !predefined[t] && index[t] != kToBeNumbered && index[t] >= 0; }
  bool IsToNumber(int t) const { return t >= 0 && !predefined[t] && index[t] == kToBeNumbered; }
};

// Numbers the types for "Color by Face Type"; returns the number of colours.
int NumberByFaceType(TypeTable& table, const std::vector<int>& order, uint32_t scheme) {
  int k = 0;
  for (int t : order) {
    if (!table.IsToNumber(t)) continue;
    const FaceType* type = table.types[t];
    const int parent = table.Find(type->mCoplanarMaster);
    if (parent >= 0 && table.IsNumbered(parent) && (scheme & kColorSameCoplanar)) {
      table.index[t] = table.index[parent];
      continue;
    }
    const FaceType* mirror = type->mMirrorPartner;
    const int m = table.Find(mirror);
    if (m >= 0 && m != t && table.IsToNumber(m)) {
      const bool sharesParent =
          mirror == type->mCoplanarMaster || (type->mCoplanarMaster && mirror->mCoplanarMaster == type->mCoplanarMaster);
      if ((scheme & kColorSameChiralPairs) || ((scheme & kColorSameCoplanarChiralPairs) && sharesParent)) {
        table.index[m] = k;
      }
    }
    if (parent >= 0 && (scheme & kColorSameCoplanar) && table.IsToNumber(parent)) table.index[parent] = k;
    table.index[t] = k++;
  }
  return k;
}

// Numbers the types by side count; returns the number of distinct side counts.
int NumberBySides(TypeTable& table, const std::vector<int>& order, uint32_t scheme) {
  std::vector<int> sideCounts;
  std::vector<int> deferred;
  for (int t : order) {
    if (!table.IsToNumber(t)) continue;
    const FaceType* type = table.types[t];
    if ((scheme & kColorSameCoplanar) && type->mCoplanarMaster) {
      deferred.push_back(t);
      continue;
    }
    const int sides = type->mFirstFace ? type->mFirstFace->mNumSides : 0;
    int found = -1;
    for (size_t i = 0; i < sideCounts.size(); ++i) {
      if (sideCounts[i] == sides) found = static_cast<int>(i);
    }
    if (found < 0) {
      found = static_cast<int>(sideCounts.size());
      sideCounts.push_back(sides);
    }
    table.index[t] = found;
  }
  // Coplanar copies share their parent's colour (the parent is never itself a copy).
  for (int t : deferred) {
    const int parent = table.Find(table.types[t]->mCoplanarMaster);
    table.index[t] = table.IsNumbered(parent) ? table.index[parent] : 0;
  }
  return static_cast<int>(sideCounts.size());
}

// Runs of elements of one face type at one depth along the slicing direction; fills
// the run index of every element that has no predefined colour. Returns the run count.
int NumberAlongCrossSection(const ElementList* list, const TypeTable& table,
                            std::unordered_map<const PolyElement*, int>& runOf) {
  struct Entry {
    const PolyElement* element;
    double key;
    int type;
  };
  const double* frame = SlicingFrame();
  const double direction[3] = {frame[2], frame[6], frame[10]};
  std::vector<Entry> entries;
  for (const PolyElement* e = list->mHead; e; e = e->mNext) {
    const int t = table.Find(e->mType);
    if (t >= 0 && table.predefined[t]) continue;
    entries.push_back({e, Dot(e->mCentre, direction), t});
  }
  // Exact order first; keys within the tolerance are grouped afterwards, so the
  // comparator stays a strict order.
  MergeSort(entries, [](const Entry& a, const Entry& b) { return a.key < b.key ? -1 : (a.key > b.key ? 1 : 0); });
  int runs = 0;
  size_t start = 0;
  while (start < entries.size()) {
    size_t end = start + 1;
    while (end < entries.size() && entries[end].key - entries[end - 1].key <= kPointTolerance) ++end;
    std::vector<Entry> group(entries.begin() + static_cast<long>(start), entries.begin() + static_cast<long>(end));
    MergeSort(group, [](const Entry& a, const Entry& b) { return a.type - b.type; });
    for (size_t i = 0; i < group.size(); ++i) {
      if (i == 0 || group[i].type != group[i - 1].type) ++runs;
      runOf[group[i].element] = runs - 1;
    }
    start = end;
  }
  return runs;
}

Outcome ColourAsCompound(Poly* poly) {
  platform::Services().undo->AddUndo(kUndoColorChange, 0);
  ElementList* faces = nullptr;
  FaceTypeBlock* block = nullptr;
  poly->GetParts(poly->mShowDual != 0, &faces, nullptr, &block, nullptr);
  const unsigned viewType = GetColorDocumentHooks().ActiveViewType();
  bool faceletPane = false;
  for (unsigned type : kFaceletViewTypes) faceletPane = faceletPane || type == viewType;
  int parts = 0;
  if (faceletPane) {
    ModelPart* model = block ? AsPart(block->mModel3D) : nullptr;
    if (!model) return Outcome::Refused("Can't color as a compound here.");
    parts = model->ColorFaceletsByPart();
  } else {
    for (PolyElement* e = faces->mHead; e; e = e->mNext) e->mColor[0] = kUncoloured;
    parts = poly->ColorCompoundParts();
    // Whatever no part reached shares one more wheel colour.
    float rgb[3];
    NextRainbowColor(rgb, 0);
    for (PolyElement* e = faces->mHead; e; e = e->mNext) {
      if (e->mColor[0] == kUncoloured) SetBoth(e, rgb, rgb);
    }
  }
  ResetColorCaches(poly, 0, false);
  ResetColorCaches(poly, 1, true);
  if (parts >= 2) {
    platform::Services().views->SetPaneMessage(FormatLimited(1024, "Compound has %d parts.", parts));
  } else {
    platform::Services().views->SetPaneMessage("Couldn't find more than one part in the compound.");
  }
  return Outcome::Done();
}

// Parallel in the sense of the edge colouring: the later edge b scaled so that its
// largest component matches a's equals a within the tolerance; a later edge of
// near-zero length counts as parallel.
bool IsParallelEdge(const double* a, const double* b) {
  int k = 0;
  for (int c = 1; c < 3; ++c) {
    if (std::fabs(b[c]) > std::fabs(b[k])) k = c;
  }
  if (std::fabs(b[k]) <= kPointTolerance) return true;
  const double r = a[k] / b[k];
  for (int c = 0; c < 3; ++c) {
    if (std::fabs(b[c] * r - a[c]) > kPointTolerance) return false;
  }
  return true;
}

bool IsZeroVector(const double* v) {
  return std::fabs(v[0]) <= kPointTolerance && std::fabs(v[1]) <= kPointTolerance &&
         std::fabs(v[2]) <= kPointTolerance;
}

void ColourEdgesByType(Poly* poly, bool withReflections, bool dual) {
  long long index = -1;
  int previousType = INT_MIN;
  for (int i = 0; i < poly->mNumEdges; ++i) {
    Edge& edge = poly->mEdgeArray[i];
    if (i == 0 || edge.mEdgeType != previousType) {
      if (!(withReflections && (edge.mEdgeFlags & kEdgeMirrorSecond))) ++index;
      previousType = edge.mEdgeType;
    }
    const uint32_t mode = dual ? (kRainbowComplement | kRainbowOppositeColor) : kRainbowOppositeColor;
    RainbowColor(static_cast<int>(index % kRainbowSize), edge.mColor, mode);
  }
}

void ColourParallelEdges(Poly* poly, bool vectorsOfDual, bool dual) {
  const int count = poly->mNumEdges;
  std::vector<double> vectors(static_cast<size_t>(count) * 3);
  std::vector<uint8_t> coloured(static_cast<size_t>(count), 0);
  for (int i = 0; i < count; ++i) poly->mEdgeArray[i].GetVector(&vectors[static_cast<size_t>(i) * 3], vectorsOfDual);
  const uint32_t cursor = dual ? (kRainbowSecondPair | kRainbowBackwards) : kRainbowSecondPair;
  NextRainbowColor(nullptr, cursor);
  for (int i = 0; i < count; ++i) {
    if (coloured[i]) continue;
    float rgb[3];
    NextRainbowColor(rgb, cursor);
    CopyFloat3(poly->mEdgeArray[i].mColor, rgb);
    coloured[i] = 1;
    const double* a = &vectors[static_cast<size_t>(i) * 3];
    // A zero-length edge has no direction: it would match every edge.
    if (IsZeroVector(a)) continue;
    for (int j = i + 1; j < count; ++j) {
      if (coloured[j] || !IsParallelEdge(a, &vectors[static_cast<size_t>(j) * 3])) continue;
      CopyFloat3(poly->mEdgeArray[j].mColor, rgb);
      coloured[j] = 1;
    }
  }
}

void ColourEdgesFromFaces(Poly* poly, bool complement, bool dual) {
  for (int i = 0; i < poly->mNumEdges; ++i) {
    Edge& edge = poly->mEdgeArray[i];
    const PolyElement* a = edge.GetFace(dual, 0);
    const PolyElement* b = edge.GetFace(dual, 1);
    if (!a) a = b;
    if (!b) b = a;
    if (!a) continue;
    for (int c = 0; c < 3; ++c) {
      const float mean = 0.5f * (a->mColor[c] + b->mColor[c]);
      edge.mColor[c] = complement ? 1.0f - mean : mean;
    }
  }
}

// Walks the coplanar ring of the element (just the element when it is in none).
template <typename Visit>
void ForEachInRing(PolyElement* element, Visit visit) {
  visit(element);
  const int limit = element->mList ? element->mList->mCount : 0;
  int steps = 0;
  for (PolyElement* e = element->mCoplanarNext; e && e != element && steps < limit; e = e->mCoplanarNext, ++steps) {
    visit(e);
  }
}

// The items a label or colour scope walks: a list of elements or the edge array.
template <typename Visit>
void ForEachItemOfList(ElementList* list, Visit visit) {
  for (PolyElement* e = list ? list->mHead : nullptr; e; e = e->mNext) visit(static_cast<PolyItem*>(e));
}
template <typename Visit>
void ForEachEdge(Poly* poly, Visit visit) {
  for (int i = 0; i < poly->mNumEdges; ++i) visit(static_cast<PolyItem*>(&poly->mEdgeArray[i]));
}

}  // namespace detail_ColorSchemes

int GetPredefinedColorIndex(const SymGroup* group, uint32_t schemeBits, const SymAxisType* axisType,
                            const PolyElement* element, int* secondIndex) {
  if ((schemeBits & kColorArrangementMask) == 0 || axisType == nullptr || element == nullptr) return -1;
  // An element without an axis of its own takes that of a face sharing its plane.
  const SymAxis* axis = element->GetSymAxis();
  if (axis == nullptr) {
    int limit = element->CountCoplanar();
    for (const PolyElement* e = element->mCoplanarNext; e != nullptr && e != element && limit-- > 0;
         e = e->mCoplanarNext) {
      if (e->GetSymAxis() != nullptr) {
        axis = e->GetSymAxis();
        break;
      }
    }
  }
  return GetPredefinedColorIndexOfAxis(group, schemeBits, axisType, axis, element->mZAxis, secondIndex);
}

bool ColorArrangementApplies(Poly* poly, uint32_t bit) {
  const SymGroup* group = poly ? poly->mSymGroup : nullptr;
  FaceTypeBlock* block = poly ? poly->GetShownBlock() : nullptr;
  if (!group || !block) return false;
  poly->SetRotSymOfTypes();
  for (const FaceType* type = block->mFirstFaceType; type; type = type->mNext) {
    const SymAxisType* axisType = detail_ColorSchemes::AxisClassOf(type);
    if (axisType && detail_ColorSchemes::ArrangementSlots(group->type, std::abs(axisType->fold), bit) > 0) return true;
  }
  return false;
}

// ---- Document side -----------------------------------------------------------------------

ColorDocumentHooks::~ColorDocumentHooks() = default;

ColorDocumentHooks* InstallColorDocumentHooks(ColorDocumentHooks* hooks) {
  ColorDocumentHooks* previous = detail_ColorSchemes::gHooks;
  detail_ColorSchemes::gHooks = hooks;
  return previous;
}

ColorDocumentHooks& GetColorDocumentHooks() {
  return detail_ColorSchemes::gHooks ? *detail_ColorSchemes::gHooks : detail_ColorSchemes::DefaultHooks();
}

void WarnRainbowColorMode() { GetColorDocumentHooks().WarnRainbowColorMode(); }
void WarnEdgeColorAsCylinders() { GetColorDocumentHooks().WarnEdgeColorAsCylinders(); }

uint32_t GetColorCacheSerial(int side) { return detail_ColorSchemes::gColorCacheSerial[side ? 1 : 0]; }

void ResetColorCaches(Poly* poly, int side, bool redraw) {
  ++detail_ColorSchemes::gColorCacheSerial[side ? 1 : 0];
  if (poly) poly->mPolyFlags |= kPolyFlagCellColoursStale;
  if (redraw) platform::Services().views->RedrawAllViews(false);
}

void NotifyColorChange(Poly* poly) {
  ResetColorCaches(poly, 0, false);
  ResetColorCaches(poly, 1, true);
  WarnRainbowColorMode();
}

// ---- Face colour scheme --------------------------------------------------------------------

Outcome ColorByCompound(Poly* poly, uint32_t bit, uint32_t mask) {
  if (!poly) return Outcome::Done();
  if (bit == kColorAsCompound) return detail_ColorSchemes::ColourAsCompound(poly);
  platform::Services().undo->AddUndo(kUndoColorChange, 0);
  if (mask == kColorToggleMask) {
    FaceColorScheme ^= bit;
  } else {
    FaceColorScheme = (FaceColorScheme & ~mask) | (bit & mask);
  }
  const bool complete = poly->mBuildState == 1 || poly->mBuildState == 2 || poly->mExtraRecord != nullptr;
  if ((FaceColorScheme & kColorNeedsCompleteModel) && !complete) {
    ShowInformation(
        "Note: This color scheme will not take effect until\nthe polyhedron has been successfully completed.");
    return Outcome::Done();
  }
  ReapplyColorScheme(poly, &poly->mFaces);
  ReapplyColorScheme(poly, &poly->mVertices);
  WarnRainbowColorMode();
  return Outcome::Done();
}

void ReapplyColorScheme(Poly* poly, ElementList* list) { ColorScheme(poly, list, FaceColorScheme); }

// The colours the construction-toy style shows in place of the model's own: for each
// element it gave a panel colour, the element's own two colours and that panel colour.
struct GeomagColourKeep final : ModelPart {
  struct Kept {
    float front[3];
    float back[3];
    float panel[3];
  };
  std::unordered_map<const PolyElement*, Kept> kept;
};

bool AssignGeomagPanelColors(FaceTypeBlock* block) {
  if (!block) return false;
  bool changed = false;
  for (FaceType* type = block->mFirstFaceType; type; type = type->mNext) {
    PolyElement* face = type->mFirstFace;
    if (!face || face->mNumSides < 3) continue;
    // The first face that has no panel colour; a type whose faces all have one keeps them.
    while (face && FindGeomagPanelColor(face->mColor) >= 0) face = face->mNextOfType;
    if (!face) continue;
    float colour[3];
    GetGeomagPanelColor(detail_ColorSchemes::GeomagPanelColorOfShape(face), colour);
    for (; face; face = face->mNextOfType) {
      if (FindGeomagPanelColor(face->mColor) >= 0) continue;
      if (Poly* poly = face->mPoly) {
        if (!poly->mGeomagKeep) poly->mGeomagKeep = MakePart<GeomagColourKeep>();
        GeomagColourKeep::Kept& kept = poly->mGeomagKeep->kept[face];
        CopyFloat3(kept.front, face->mColor);
        CopyFloat3(kept.back, face->mBackColor);
        CopyFloat3(kept.panel, colour);
      }
      CopyFloat3(face->mColor, colour);
      CopyFloat3(face->mBackColor, colour);
      changed = true;
    }
  }
  return changed;
}

const float* GetOwnColor(const PolyElement& element, bool back) {
  const float* shown = back ? element.mBackColor : element.mColor;
  const GeomagColourKeep* keep = element.mPoly ? element.mPoly->mGeomagKeep.get() : nullptr;
  if (!keep) return shown;
  const auto found = keep->kept.find(&element);
  if (found == keep->kept.end() || PackRainbowColor(element.mColor) != PackRainbowColor(found->second.panel))
    return shown;
  return back ? found->second.back : found->second.front;
}

bool GiveBackGeomagPanelColors(Poly* poly) {
  if (!poly || !poly->mGeomagKeep) return false;
  // Only the elements the model holds now: a kept element is never reached any other way.
  const GeomagColourKeep& keep = *poly->mGeomagKeep;
  bool changed = false;
  for (ElementList* list : {static_cast<ElementList*>(&poly->mFaces), static_cast<ElementList*>(&poly->mVertices)}) {
    for (PolyElement* e = list->mHead; e; e = e->mNext) {
      const auto found = keep.kept.find(e);
      if (found == keep.kept.end() || PackRainbowColor(e->mColor) != PackRainbowColor(found->second.panel)) continue;
      CopyFloat3(e->mColor, found->second.front);
      CopyFloat3(e->mBackColor, found->second.back);
      changed = true;
    }
  }
  poly->mGeomagKeep.reset();
  if (changed) {
    ResetColorCaches(poly, 0, false);
    ResetColorCaches(poly, 1, false);
  }
  return changed;
}

bool AssignGeomagPanelColorsToModel(Poly* poly) {
  if (!poly) return false;
  const bool base = AssignGeomagPanelColors(poly->mBaseBlock.get());
  const bool dual = AssignGeomagPanelColors(poly->mDualBlock.get());
  if (base) ResetColorCaches(poly, 0, false);
  if (dual) ResetColorCaches(poly, 1, false);
  if (base || dual) platform::Services().views->RedrawAllViews(false);
  return base || dual;
}

void ColorScheme(Poly* poly, ElementList* list, uint32_t scheme) {
  if (!poly || !list) return;
  // The scheme gives the model its own colours, which the construction-toy style shows
  // as panels while it is on.
  detail_ColorSchemes::ColourByScheme(poly, list, scheme);
  if (GeomagStyle) {
    AssignGeomagPanelColors(list != &poly->mFaces ? poly->mDualBlock.get() : poly->mBaseBlock.get());
    ResetColorCaches(poly, 0, false);
    ResetColorCaches(poly, 1, true);
  }
}

namespace detail_ColorSchemes {

// The scheme Auto stands for: by face type with the arrangements asked for, and chiral
// pairs, coplanar pairs and both sides alike as the number of distinct types calls for.
uint32_t AutomaticScheme(const FaceTypeBlock* block, uint32_t arrangements) {
  const int distinct = block ? block->CountDistinctFaceTypes() : 0;
  uint32_t automatic = kColorByFaceType | arrangements;
  if (distinct >= 6) {
    automatic |= kColorSameChiralPairs | kColorSameCoplanarChiralPairs | kColorSameFrontAndBack;
  } else if (distinct > 1) {
    automatic |= kColorSameCoplanarChiralPairs | kColorSameFrontAndBack;
  }
  return automatic;
}

// Predefined colours from the arrangements; the other types, in the order of their type
// numbers, are given back to be numbered.
std::vector<int> PredefineArrangedTypes(TypeTable& table, const SymGroup* group, uint32_t scheme,
                                        uint32_t arrangements) {
  std::vector<int> order;
  for (size_t t = 0; t < table.types.size(); ++t) {
    FaceType* type = table.types[t];
    int p = -1;
    if (arrangements && group) {
      int q = -1;
      p = GetPredefinedColorIndex(group, scheme, AxisClassOf(type), type->mFirstFace, &q);
    }
    if (p >= 0) {
      table.predefined[t] = 1;
      table.index[t] = p;
    } else {
      table.index[t] = kToBeNumbered;
      order.push_back(static_cast<int>(t));
    }
  }
  MergeSort(order, [&table](int a, int b) { return table.types[a]->mIndex - table.types[b]->mIndex; });
  return order;
}

// The first colour index of each axis class's arrangement slots, after the used ones:
// one run per axis class that some type of the table uses, -1 for the others.
std::vector<long long> ArrangementSlotStarts(const TypeTable& table, const SymGroup* group, uint32_t scheme,
                                             long long used) {
  std::vector<long long> slotStart(static_cast<size_t>(group->numAxisTypes), -1);
  long long next = used;
  for (int a = 0; a < group->numAxisTypes; ++a) {
    const SymAxisType* axisType = &group->axisTypes[a];
    const int slots = ArrangementSlots(group->type, std::abs(axisType->fold), scheme);
    if (slots <= 0) continue;
    bool present = false;
    for (const FaceType* type : table.types) present = present || AxisClassOf(type) == axisType;
    if (!present) continue;
    slotStart[a] = next;
    next += slots;
  }
  return slotStart;
}

// Colours a face of a predefined type from its axis class's arrangement slots; false
// when the arrangement gives it none.
bool ColourFromArrangement(PolyElement* e, const SymGroup* group, uint32_t scheme,
                           const std::vector<long long>& slotStart, bool dual) {
  SymAxisType* axisType = AxisClassOf(e->mType);
  int q = -1;
  const int p = GetPredefinedColorIndex(group, scheme, axisType, e, &q);
  const int a = group->IndexOfAxisType(axisType);
  if (p < 0 || a < 0 || a >= static_cast<int>(slotStart.size()) || slotStart[a] < 0) return false;
  float front[3];
  float back[3];
  SideWheelColor(dual, slotStart[a] + p, front);
  if (e->HasFlag(kElementHemi) && q >= 0) {
    SideWheelColor(dual, slotStart[a] + q, back);
  } else {
    CopyFloat3(back, front);
  }
  SetBoth(e, front, back);
  return true;
}

// "Color per Face (Unless Parallel)": each face the next colour of the rainbow, faces
// in parallel planes sharing one.
void ColourPerFaceUnlessParallel(const std::vector<PolyElement*>& pending, uint32_t cursor) {
  std::vector<uint8_t> done(pending.size(), 0);
  for (size_t i = 0; i < pending.size(); ++i) {
    if (done[i]) continue;
    float rgb[3];
    NextRainbowColor(rgb, cursor);
    SetBoth(pending[i], rgb, rgb);
    const double* ni = pending[i]->mZAxis;
    for (size_t j = i + 1; j < pending.size(); ++j) {
      if (done[j]) continue;
      const double* nj = pending[j]->mZAxis;
      bool same = true;
      bool opposite = true;
      for (int c = 0; c < 3; ++c) {
        same = same && std::fabs(ni[c] - nj[c]) <= kPointTolerance;
        opposite = opposite && std::fabs(ni[c] + nj[c]) <= kPointTolerance;
      }
      if (!same && !opposite) continue;
      SetBoth(pending[j], rgb, rgb);
      done[j] = 1;
    }
  }
}

}  // namespace detail_ColorSchemes

void detail_ColorSchemes::ColourByScheme(Poly* poly, ElementList* list, uint32_t scheme) {
  using namespace detail_ColorSchemes;
  const bool dual = list != &poly->mFaces;
  const int side = dual ? 1 : 0;
  FaceTypeBlock* block = dual ? poly->mDualBlock.get() : poly->mBaseBlock.get();

  const uint32_t arrangements = scheme & kColorArrangementMask;
  if ((scheme & kColorAuto) && !arrangements && poly->CountCompoundParts() >= 2) {
    // A compound shows its parts; the vertices keep their colours.
    if (!dual) {
      poly->ColorCompoundParts();
      ResetColorCaches(poly, 0, false);
      ResetColorCaches(poly, 1, true);
    }
    return;
  }
  if (scheme & kColorAuto) scheme = AutomaticScheme(block, arrangements);

  const SymGroup* group = poly->mSymGroup;
  if (arrangements) poly->SetRotSymOfTypes();

  // Predefined colours from the arrangements; the other types are numbered below in
  // the order of their type numbers.
  TypeTable table(block);
  const std::vector<int> order = PredefineArrangedTypes(table, group, scheme, arrangements);

  int n = 1;
  std::unordered_map<const PolyElement*, int> runOf;
  if (scheme & kColorByFaceType) {
    n = NumberByFaceType(table, order, scheme);
  } else if (scheme & kColorBySides) {
    n = NumberBySides(table, order, scheme);
  } else if (scheme & kColorAlongCrossSection) {
    n = NumberAlongCrossSection(list, table, runOf);
  } else if (scheme & kColorPerFaceUnlessParallel) {
    n = 0;
  }

  // Fronts take indices 0 .. n-1 and backs n .. 2n-1 unless both sides share them.
  const bool backsShared = (scheme & (kColorSameFrontAndBack | kColorPerFaceUnlessParallel)) != 0;
  const long long used = backsShared ? n : 2LL * n;

  // Arrangement slots follow, one run per axis class that some type of the block uses.
  std::vector<long long> slotStart;
  if (arrangements && group) slotStart = ArrangementSlotStarts(table, group, scheme, used);

  const bool perFace = (scheme & kColorPerFaceUnlessParallel) != 0;
  const uint32_t cursor = dual ? kRainbowBackwards : 0;
  if (perFace) NextRainbowColor(nullptr, cursor);
  std::vector<PolyElement*> pending;  // per-face elements, coloured after the others
  for (PolyElement* e = list->mHead; e; e = e->mNext) {
    const bool hemi = e->HasFlag(kElementHemi);
    const int t = table.Find(e->mType);
    float front[3];
    float back[3];
    if (t >= 0 && table.predefined[t] && ColourFromArrangement(e, group, scheme, slotStart, dual)) continue;
    if (perFace) {
      pending.push_back(e);
      continue;
    }
    long long index = 0;
    if (scheme & kColorAlongCrossSection) {
      auto it = runOf.find(e);
      index = it == runOf.end() ? 0 : it->second;
    } else if ((scheme & (kColorByFaceType | kColorBySides)) && t >= 0 && table.index[t] >= 0 &&
               table.index[t] != kToBeNumbered) {
      index = table.index[t];
    }
    SideWheelColor(dual, index, front);
    if (backsShared || hemi) {
      CopyFloat3(back, front);
    } else {
      SideWheelColor(dual, index + n, back);
    }
    SetBoth(e, front, back);
  }
  ColourPerFaceUnlessParallel(pending, cursor);

  int number = 0;
  for (FaceType* type : table.types) type->mIndex = number++;
  ResetColorCaches(poly, side, true);
}

// ---- Edge colour scheme ------------------------------------------------------------------

void ApplyColorScheme(Poly* poly, bool withUndo) {
  using namespace detail_ColorSchemes;
  if (!poly) return;
  if (withUndo) platform::Services().undo->AddUndo(kUndoColorChange, 0);
  const bool dual = poly->mShowDual != 0;
  switch (EdgeColorScheme) {
    case kEdgeColorByTypeWithReflections:
    case kEdgeColorByType:
      ColourEdgesByType(poly, EdgeColorScheme == kEdgeColorByTypeWithReflections, dual);
      break;
    case kEdgeColorSameIfParallel:
      ColourParallelEdges(poly, dual, dual);
      break;
    case kEdgeColorByGreatCircles:
      ColourParallelEdges(poly, !dual, dual);
      break;
    case kEdgeColorFromFaces:
    case kEdgeColorFromFacesComplement:
      ColourEdgesFromFaces(poly, EdgeColorScheme == kEdgeColorFromFacesComplement, dual);
      break;
    default:
      for (int i = 0; i < poly->mNumEdges; ++i) CopyFloat3(poly->mEdgeArray[i].mColor, GetNewEdgeColor());
      break;
  }
  if (withUndo) {
    platform::Services().views->RedrawAllViews(false);
    WarnEdgeColorAsCylinders();
  }
}

void SetColorScheme(int id) {
  StellationColorScheme = id;
  platform::Services().views->RedrawAllViews(false);
}

void SetSelectionHighlight(int mode) { SelectionHighlightMode = mode; }

int Poly::GetSelectionHighlight(int drawMode) const {
  constexpr int kDrawModePlain = 0;
  constexpr int kDrawModeDiagram = 8;
  if (drawMode != kDrawModePlain && drawMode != kDrawModeDiagram) return 0;
  const PolyElement* element = mSelectedElement;
  if (!element || !element->mType) return 0;
  // The type's diagram data: the cells of its face diagram (a coplanar copy shows its
  // master's).
  const FaceType* type = element->mType->mCoplanarMaster ? element->mType->mCoplanarMaster : element->mType;
  if (!type->mDiagramCells) return 0;
  return SelectionHighlightMode;
}

// ---- Colour table, images, labels, cell colours -------------------------------------------

int Poly::GetColorTable(std::unique_ptr<ColorList>& table) {
  ElementList* faces = nullptr;
  GetParts(mShowDual != 0, &faces, nullptr, nullptr, nullptr);
  table = std::make_unique<ColorList>(faces->mCount);
  for (PolyElement* e = faces->mHead; e; e = e->mNext) table->FindOrAdd(e->mColor);
  return table->Count();
}

void Poly::SetFaceImage(FaceImage* image, PolyElement* face, int scope) {
  using namespace detail_ColorSchemes;
  constexpr int kScopeFace = 0;
  constexpr int kScopeType = 1;
  constexpr int kScopeColour = 2;
  constexpr int kScopeSameImage = 3;
  constexpr int kScopeNoImage = 4;
  if (face && face->mList) {
    const float colour[3] = {face->mColor[0], face->mColor[1], face->mColor[2]};
    const FaceImage* reference = face->GetImage();
    bool recorded = false;
    // The given face is done last, so the scopes that compare with it see it unchanged.
    std::vector<PolyElement*> chosen;
    for (PolyElement* e = face->mList->mHead; e; e = e->mNext) {
      bool take = false;
      switch (scope) {
        case kScopeFace: take = e == face; break;
        case kScopeType: take = e == face || e->IsSameTypeAs(face); break;
        case kScopeColour: take = SameFloat3(e->mColor, colour); break;
        case kScopeSameImage: take = e->GetImage() == reference; break;
        case kScopeNoImage: take = e->GetImage() == nullptr; break;
        default: take = true; break;
      }
      if (take) chosen.push_back(e);
    }
    for (PolyElement* e : chosen) {
      if (e->GetImage() == image) continue;
      if (!recorded) {
        platform::Services().undo->AddUndo(kUndoFaceImage, 0);
        recorded = true;
      }
      if (image) {
        AttachToFace(image, e, e == face);
      } else {
        DetachFromFace(e);
      }
    }
  }
  mPolyFlags |= kPolyFlagCellColoursStale;
  platform::Services().views->RedrawAllViews(false);
}

bool SetLabelEverywhere(PolyItem* item, int scope) {
  using namespace detail_ColorSchemes;
  if (!item) return false;
  Poly* poly = item->GetPoly();
  if (!poly) return false;
  const bool dual = poly->mShowDual != 0;
  ElementList* faces = nullptr;
  ElementList* vertices = nullptr;
  poly->GetParts(dual, &faces, &vertices, nullptr, nullptr);
  const float colour[3] = {item->mColor[0], item->mColor[1], item->mColor[2]};
  bool removedText = false;
  auto strip = [&removedText](PolyItem* target) {
    if (!target->HasLabel()) return;
    removedText = true;
    target->SetLabel(nullptr);
  };
  constexpr int kScopeItem = 0;
  constexpr int kScopeType = 1;
  constexpr int kScopeColour = 2;
  constexpr int kScopeFaces = 3;
  constexpr int kScopeEdges = 4;
  constexpr int kScopeVertices = 5;
  constexpr int kScopeAll = 6;
  if (scope <= kScopeColour) {
    if (scope == kScopeItem) {
      strip(item);
    } else {
      auto choose = [&](PolyItem* other) {
        const bool take = scope == kScopeType ? (other == item || other->IsSameTypeAs(item))
                                              : SameFloat3(other->mColor, colour);
        if (take) strip(other);
      };
      if (item->IsEdge()) {
        ForEachEdge(poly, choose);
      } else {
        ForEachItemOfList(item->IsVertexIn(dual) ? vertices : faces, choose);
      }
    }
  } else {
    if (scope == kScopeFaces || scope == kScopeAll) ForEachItemOfList(faces, strip);
    if (scope == kScopeEdges || scope == kScopeAll) ForEachEdge(poly, strip);
    if (scope == kScopeVertices || scope == kScopeAll) ForEachItemOfList(vertices, strip);
  }
  platform::Services().views->RedrawAllViews(false);
  return removedText;
}

bool Poly::IsInSelectedPlane(const PolyElement* element) const {
  if (!element || !mSelectedElement) return false;
  return element == mSelectedElement || element->IsCoplanarWith(mSelectedElement);
}

void Poly::UpdateCellColours(bool redraw) {
  using namespace detail_ColorSchemes;
  if (mPolyFlags & kPolyFlagCellColoursFront) {
    for (ElementList* list : {static_cast<ElementList*>(&mFaces), static_cast<ElementList*>(&mVertices)}) {
      for (PolyElement* e = list->mHead; e; e = e->mNext) e->mFlags &= ~kElementOpaqueImageInRing;
    }
    for (FaceTypeBlock* block : {mBaseBlock.get(), mDualBlock.get()}) {
      for (FaceType* type = block ? block->mFirstFaceType : nullptr; type; type = type->mNext) {
        if (type->mCoplanarMaster) continue;
        for (PolyElement* e = type->mFirstFace; e; e = e->mNextOfType) {
          if (e->HasFlag(kElementSkip)) continue;
          CalcCellColours(e, 0);
          bool opaqueImage = false;
          ForEachInRing(e, [&opaqueImage](PolyElement* member) {
            opaqueImage = opaqueImage || (member->GetImage() && member->mOpacity == 1.0f);
          });
          if (opaqueImage) e->mFlags |= kElementOpaqueImageInRing;
        }
      }
    }
  }
  if (mPolyFlags & kPolyFlagCellColoursBack) {
    for (FaceTypeBlock* block : {mBaseBlock.get(), mDualBlock.get()}) {
      for (FaceType* type = block ? block->mFirstFaceType : nullptr; type; type = type->mNext) {
        if (type->mCoplanarMaster) continue;
        for (PolyElement* e = type->mFirstFace; e; e = e->mNextOfType) {
          if (!e->HasFlag(kElementSkip)) CalcCellColours(e, 1);
        }
      }
    }
  }
  // The model's own cell colours are those of the cross-section's loops and fill.
  RecolourCrossSection();
  mPolyFlags &= ~kPolyFlagCellColoursStale;
  MarkDrawnStateChanged();
  if (redraw) platform::Services().views->RedrawAllViews(false);
}

// ---- Default colours ------------------------------------------------------------------------

void SetDefaultVertexColor(Poly* poly, const float* newColor, const float* oldColor) {
  ApplyDefaultVertexColor(poly, PackRainbowColor(newColor), oldColor ? PackRainbowColor(oldColor) : kColorRefNone);
}

void SetDefaultEdgeColor(Poly* poly, const float* newColor, const float* oldColor) {
  ApplyDefaultEdgeColor(poly, PackRainbowColor(newColor), oldColor ? PackRainbowColor(oldColor) : kColorRefNone);
}

// Colours are compared as packed bytes: a colour that went through a chooser or the
// settings and back differs from byte / 255 in the last float bits.
void ApplyDefaultVertexColor(Poly* poly, uint32_t newRef, uint32_t oldRef) {
  if (!ColorVertsSameAsDualFace) {
    UnpackRainbowColor(newRef, DefaultVertexColor);
    platform::Services().views->RedrawAllViews(false);
    return;
  }
  if (!poly) return;
  platform::Services().undo->AddUndo(kUndoColorChange, 0);
  if (oldRef == kColorRefNone) oldRef = poly->GetVertexColorRef();
  float rgb[3];
  UnpackRainbowColor(newRef, rgb);
  ElementList* vertices = nullptr;
  poly->GetParts(poly->mShowDual != 0, nullptr, &vertices, nullptr, nullptr);
  for (PolyElement* e = vertices->mHead; e; e = e->mNext) {
    if (PackRainbowColor(e->mColor) == oldRef) CopyFloat3(e->mColor, rgb);
  }
  NotifyColorChange(poly);
}

void ApplyDefaultEdgeColor(Poly* poly, uint32_t newRef, uint32_t oldRef) {
  platform::Services().undo->AddUndo(kUndoColorChange, 0);
  if (oldRef == kColorRefNone) oldRef = poly ? poly->GetEdgeColorRef() : PackRainbowColor(GetNewEdgeColor());
  float rgb[3];
  UnpackRainbowColor(newRef, rgb);
  if (PackRainbowColor(GetNewEdgeColor()) == oldRef) SetNewEdgeColor(rgb);
  if (poly) {
    for (int i = 0; i < poly->mNumEdges; ++i) {
      Edge& edge = poly->mEdgeArray[i];
      if (PackRainbowColor(edge.mColor) == oldRef) CopyFloat3(edge.mColor, rgb);
    }
  }
  WarnEdgeColorAsCylinders();
}

}  // namespace corvia
