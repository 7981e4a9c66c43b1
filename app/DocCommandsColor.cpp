// The document's Selection, Color and Display commands: selecting, colouring faces,
// edges and vertices, the colour-scheme word and its special arrangements, the
// stellation-diagram colour scheme, and showing and hiding faces.

#include <cmath>
#include <cstdint>
#include <string>
#include <vector>

#include "app/DocCommands.h"
#include "app/PolyDoc.h"
#include "app/PolyView.h"
#include "app/ViewType.h"
#include "core/Globals.h"
#include "core/Messages.h"
#include "core/RainbowColor.h"
#include "core/Tolerances.h"
#include "core/VectorMath.h"
#include "model/ColorSchemes.h"
#include "model/CoplanarFaces.h"
#include "model/Edge.h"
#include "model/ElementFlags.h"
#include "model/FaceType.h"
#include "model/FaceTypeBlock.h"
#include "model/Poly.h"
#include "model/PolyElement.h"
#include "platform/Services.h"
#include "render/DisplaySettings.h"
#include "render/GeomagStyle.h"
#include "render/LightSets.h"
#include "render/NewView.h"
#include "render/OutcomeBoxes.h"
#include "stellation/StellationCell.h"
#include "ui/CommandTable.h"
#include "ui/ElementWords.h"
#include "ui/OwnerDrawMenu.h"

namespace corvia {

namespace detail_DocCommandsColor {

using doc_commands::CurrentPoly;
using doc_commands::Mark;
using doc_commands::Redraw;

// The title colour follows a background darker or lighter than these on every channel.
constexpr float kDarkBackground = 0.4f;
constexpr float kLightBackground = 0.6f;
// The Show/Hide commands that act on cells while the model shows them.
constexpr int kCmdShowHideColour = 33113;
constexpr int kCmdShowHideItem = 32926;
constexpr int kCmdShowHideType = 32927;
constexpr int kCmdShowHideAll = 32928;
constexpr int kCmdToggleShownHidden = 32929;
// Coincident vertices listed by index in the question before "...".
constexpr int kMaxListedIndices = 20;

bool SameColour(const float* a, const float* b) { return a[0] == b[0] && a[1] == b[1] && a[2] == b[2]; }

// The elements shown as faces (the vertex list while the dual is shown).
ElementList* ShownFaces(Poly* poly) {
  ElementList* faces = nullptr;
  poly->GetParts(poly->mShowDual != 0, &faces, nullptr, nullptr, nullptr);
  return faces;
}

template <typename Visit>
void ForEachFace(Poly* poly, Visit visit) {
  ElementList* faces = ShownFaces(poly);
  if (!faces) return;
  for (PolyElement* e = faces->mHead; e; e = e->mNext) visit(e);
}

template <typename Visit>
void ForEachEdge(Poly* poly, Visit visit) {
  for (int i = 0; i < poly->mNumEdges && poly->mEdgeArray; ++i) visit(&poly->mEdgeArray[i]);
}

PolyElement* CurrentFace() {
  Poly* poly = CurrentPoly();
  return poly ? poly->GetCurrentFace() : nullptr;
}

Edge* SelectedEdge(Poly* poly) { return poly && poly->IsEdgeSelected() ? poly->GetSelectedEdge() : nullptr; }

// ---- Stellation cells ------------------------------------------------------------------------
// The model shows cells where the active pane shows a stellation or the cell diagram of
// a side that has them: there the Show/Hide commands and the face-type steps act on
// cells, the cell types standing for face types.

FaceTypeBlock* ShownCellBlock() {
  const CPolyView* pane = CPolyView::GetActive();
  if (!pane || !CurrentPoly()) return nullptr;
  const ViewType type = pane->GetViewType();
  if (type != kViewStellationOfBase && type != kViewStellationOfDual && type != kViewCellDiagram) return nullptr;
  FaceTypeBlock* block = pane->GetShownBlock(false);
  return block && block->IsStellated() && block->mFirstCell ? block : nullptr;
}

// The cell the commands act on: the block's current cell (chosen in the panes or by the
// last step of the criteria), else the highest included one.
StellationCell* CurrentCell(FaceTypeBlock* block) {
  StellationCell* cell = block->mCurrentCell ? block->mCurrentCell : block->mHighestIncluded;
  return cell && cell != block->GetOuterCell() ? cell : nullptr;
}

template <typename Visit>
void ForEachCell(FaceTypeBlock* block, Visit visit) {
  for (StellationCell* c = block->mFirstCell; c; c = c->mNext) {
    if (c != block->GetOuterCell()) visit(c);
  }
}

// The item's text as the table gives it, with "cell" for "face" when asked.
std::string ItemText(int command, bool cells) {
  const CommandInfo* info = FindCommand(command);
  if (!info) return std::string();
  const std::vector<std::string> path = SplitMenuPath(info->path);
  if (path.empty()) return std::string();
  std::string text = MenuItemText(MenuLabelText(path.back()), info->accel);
  if (cells) ReplaceWordKeepCase(text, "face", "cell");
  return text;
}

// ---- Update handlers shared by several commands --------------------------------------

void NeedsModel(CommandUi& ui) { ui.enabled = CurrentPoly() != nullptr; }
void NeedsCurrentFace(CommandUi& ui) { ui.enabled = CurrentFace() != nullptr; }
void NeedsFaceOrEdge(CommandUi& ui) {
  Poly* poly = CurrentPoly();
  ui.enabled = poly && (SelectedEdge(poly) || poly->GetCurrentFace());
}

// ---- Selection ----------------------------------------------------------------------------

// A cell picked in a stellation is highlighted there: it is part of what Select None
// takes away.
bool HasSelectedCell(const Poly* poly) {
  for (const FaceTypeBlock* block : {poly->mBaseBlock.get(), poly->mDualBlock.get()}) {
    if (block && block->mSelectedCell) return true;
  }
  return false;
}

void SelectNone() {
  if (Poly* poly = CurrentPoly()) {
    poly->ClearSelection();
    if (HasSelectedCell(poly)) {
      for (FaceTypeBlock* block : {poly->mBaseBlock.get(), poly->mDualBlock.get()}) {
        if (block) block->mSelectedCell = nullptr;
      }
      // The status bar named the cell.
      platform::Services().views->SetStatusText(std::string());
    }
    ShowSelectionChangeOf(poly);
  }
  Redraw();
}

void UpdateSelectNone(CommandUi& ui) {
  Poly* poly = CurrentPoly();
  ui.enabled =
      poly && (poly->mSelectedItem || poly->mSelectedElement || poly->IsEdgeSelected() || HasSelectedCell(poly));
}

// The current cell moves to the first cell of the next (previous) cell type, the
// outer cell's type left out.
void StepCellType(FaceTypeBlock* block, int step) {
  std::vector<StellationCellType*> types;
  for (StellationCellType* t = block->mFirstCellType; t; t = t->mNext) {
    if (t->mFirstCell && t->mFirstCell != block->GetOuterCell()) types.push_back(t);
  }
  const int count = static_cast<int>(types.size());
  if (count <= 1) {
    platform::Services().views->SetPaneMessage("There is only one type of cell");
    return;
  }
  const StellationCell* current = CurrentCell(block);
  int index = -1;
  for (int i = 0; i < count; ++i) {
    if (current && current->mType == types[static_cast<size_t>(i)]) index = i;
  }
  index = index < 0 ? (step > 0 ? 0 : count - 1) : ((index + step) % count + count) % count;
  block->mCurrentCell = types[static_cast<size_t>(index)]->mFirstCell;
  RedrawAllViews(false, false);
}

// ---- Colours of single items, types and everything ---------------------------------------

enum class Scope { kItem, kType, kAll };

// Picks a colour starting from the first; false on Cancel. Faces may take only the
// toy's panel colours while the construction-toy style is on.
enum class Toy { kPanels, kPlain };
bool PickColour(const float* start, float* chosen, Toy toy) {
  CopyFloat3(chosen, start);
  return PickColor(chosen, toy == Toy::kPanels);
}

void SetEdgeColours(Poly* poly, Edge* edge, Scope scope) {
  float rgb[3];
  if (!PickColour(edge->mColor, rgb, Toy::kPlain)) return;
  platform::Services().undo->AddUndo(kUndoColorChange, 0);
  ForEachEdge(poly, [&](Edge* e) {
    if (scope == Scope::kAll || e == edge || (scope == Scope::kType && e->mEdgeType == edge->mEdgeType))
      CopyFloat3(e->mColor, rgb);
  });
  NotifyColorChange(poly);
}

void SetFaceColours(Scope scope, bool back) {
  Poly* poly = CurrentPoly();
  if (!poly) return;
  if (!back) {
    if (Edge* edge = SelectedEdge(poly)) {
      SetEdgeColours(poly, edge, scope);
      return;
    }
  }
  PolyElement* face = poly->GetCurrentFace();
  if (!face) return;
  if (back && scope == Scope::kItem && face->HasFlag(kElementHemi)) {
    ShowError("You may not change the back-face colour of\nfaces which pass through the centre of the model.");
    return;
  }
  float rgb[3];
  if (!PickColour(back ? face->mBackColor : face->mColor, rgb, Toy::kPanels)) return;
  platform::Services().undo->AddUndo(kUndoColorChange, 0);
  const bool bothSides = !back && (FaceColorScheme & kColorSameFrontAndBack);
  ForEachFace(poly, [&](PolyElement* e) {
    if (scope == Scope::kItem && e != face) return;
    if (scope == Scope::kType && e->mType != face->mType) return;
    if (back) {
      CopyFloat3(e->mBackColor, rgb);
    } else {
      CopyFloat3(e->mColor, rgb);
      if (bothSides) CopyFloat3(e->mBackColor, rgb);
    }
  });
  NotifyColorChange(poly);
}

// ---- Replace a colour throughout ------------------------------------------------------

void ReplaceVertexOrEdgeColour(Poly* poly, bool vertex) {
  const uint32_t oldRef = vertex ? poly->GetVertexColorRef() : poly->GetEdgeColorRef();
  float start[3];
  UnpackRainbowColor(oldRef, start);
  float rgb[3];
  if (!PickColour(start, rgb, Toy::kPlain)) return;
  const uint32_t newRef = PackRainbowColor(rgb);
  if (newRef == oldRef) return;
  if (vertex) {
    ApplyDefaultVertexColor(poly, newRef, oldRef);
  } else {
    ApplyDefaultEdgeColor(poly, newRef, oldRef);
  }
}

void ReplaceColourThroughout(bool back) {
  Poly* poly = CurrentPoly();
  if (!poly) return;
  if (!back && poly->IsSelectionVertex()) {
    ReplaceVertexOrEdgeColour(poly, true);
    return;
  }
  if (!back && poly->IsEdgeSelected()) {
    ReplaceVertexOrEdgeColour(poly, false);
    return;
  }
  PolyElement* face = poly->GetCurrentFace();
  if (!face) return;
  float oldColour[3];
  CopyFloat3(oldColour, back ? face->mBackColor : face->mColor);
  float newColour[3];
  for (;;) {
    if (!PickColour(oldColour, newColour, Toy::kPanels)) return;
    if (SameColour(newColour, oldColour)) return;
    bool taken = false;
    ForEachFace(poly, [&](PolyElement* e) {
      taken = taken || SameColour(e->mColor, newColour) || SameColour(e->mBackColor, newColour);
    });
    if (!taken) break;
    if (ShowMessageBox(kBoxStyleYesNo | kBoxStyleIconWarning,
                       "There are already other faces of that color.\nWould you like to merge the two sets of faces\n"
                       "into a single color group?") == kBoxYes)
      break;
  }
  platform::Services().undo->AddUndo(kUndoColorChange, 0);
  ForEachFace(poly, [&](PolyElement* e) {
    if (!back && SameColour(e->mColor, oldColour)) CopyFloat3(e->mColor, newColour);
    if (SameColour(e->mBackColor, oldColour)) CopyFloat3(e->mBackColor, newColour);
  });
  NotifyColorChange(poly);
}

// ---- Take the colour of the neighbouring faces -------------------------------------------

enum NeighbourChoice { kNotAsked = -1, kOutermost = 0, kInnermost = 1, kLeaveUnchanged = 2 };

void TakeColourFromNeighbours() {
  Poly* poly = CurrentPoly();
  PolyElement* face = poly ? poly->GetCurrentFace() : nullptr;
  if (!face) return;
  // The colour is fixed before the first pass: the current face itself takes a new
  // colour on the way.
  float colour[3];
  CopyFloat3(colour, face->mColor);
  platform::Services().undo->AddUndo(kUndoColorChange, 0);
  int choice = kNotAsked;
  const ElementList* faces = ShownFaces(poly);
  const int maxPasses = (faces ? faces->mCount : 0) + 1;
  bool changed = true;
  for (int pass = 0; changed && pass < maxPasses; ++pass) {
    changed = false;
    ForEachFace(poly, [&](PolyElement* e) {
      if (e->HasFlag(kElementVisitMark) || !SameColour(e->mColor, colour)) return;
      PolyElement* outer = nullptr;
      PolyElement* inner = nullptr;
      bool differ = false;
      for (int i = 0; i < e->mNumSides; ++i) {
        PolyElement* n = e->GetAdjacent(i);
        if (!n || n == e || SameColour(n->mColor, colour)) continue;
        if (outer && !SameColour(n->mColor, outer->mColor)) differ = true;
        if (!outer || n->GetRadius() > outer->GetRadius()) outer = n;
        if (!inner || n->GetRadius() < inner->GetRadius()) inner = n;
      }
      if (!outer) return;  // every neighbour has the colour still: a later pass decides
      PolyElement* from = outer;
      if (differ) {
        if (choice == kNotAsked) {
          choice = AskQuestion(0, "Taking color from neighbours",
                               {"+Outermost neighbouring face", "Innermost neighbouring face", "-Leave unchanged"},
                               "Found a face with neighbours of different colors (face %d, and maybe others).\n"
                               "Which neighbour should I take the color from?",
                               e->GetNumber());
        }
        if (choice == kInnermost) from = inner;
        if (choice != kOutermost && choice != kInnermost) {
          e->mFlags |= kElementVisitMark;
          return;
        }
      }
      CopyFloat3(e->mColor, from->mColor);
      CopyFloat3(e->mBackColor, from->mBackColor);
      e->mFlags |= kElementVisitMark;
      changed = true;
    });
  }
  ForEachFace(poly, [](PolyElement* e) { e->mFlags &= ~kElementVisitMark; });
  NotifyColorChange(poly);
}

// ---- One compound part, the background -----------------------------------------------------

// The face shown picked, whose part the command colours: the current face while it is
// the selected one; none while nothing, an edge or a vertex is picked.
PolyElement* PickedFace(Poly* poly) {
  if (!poly || !poly->mSelectedElement || poly->IsSelectionVertex()) return nullptr;
  PolyElement* face = poly->GetCurrentFace();
  return face == poly->mSelectedElement ? face : nullptr;
}

void ColourOnePart() {
  PolyElement* face = PickedFace(CurrentPoly());
  if (!face) {
    platform::Services().views->SetPaneMessage("Select a face of the part to color first.");
    return;
  }
  float rgb[3];
  if (!PickColour(face->mColor, rgb, Toy::kPanels)) return;
  // The chooser was modal: the face is looked up again.
  Poly* poly = CurrentPoly();
  face = PickedFace(poly);
  if (!face) return;
  platform::Services().undo->AddUndo(kUndoColorChange, 0);
  poly->MarkPart(face, rgb, false);
  NotifyColorChange(poly);
}

void UpdateColourOnePart(CommandUi& ui) {
  Poly* poly = CurrentPoly();
  ui.enabled = poly && poly->GetCurrentFace() && poly->IsCompound();
}

void SetBackgroundColour() {
  NewView* first = NewView::GetFirstView();
  float rgb[3];
  if (!PickColour(first ? first->GetBackgroundColor() : GetDefaultBackgroundColor(), rgb, Toy::kPlain)) return;
  SetAllViewsBackgroundColor(rgb);
  DisplaySettings& display = GetDisplaySettings();
  if (display.autoTitleColor) {
    if (rgb[0] < kDarkBackground && rgb[1] < kDarkBackground && rgb[2] < kDarkBackground) {
      const float white[3] = {1.0f, 1.0f, 1.0f};
      CopyFloat3(display.titleColor, white);
    } else if (rgb[0] > kLightBackground && rgb[1] > kLightBackground && rgb[2] > kLightBackground) {
      const float black[3] = {0.0f, 0.0f, 0.0f};
      CopyFloat3(display.titleColor, black);
    }
  }
  RedrawAllViews(true, false);
}

// ---- The colour-scheme word -----------------------------------------------------------------

void ApplyScheme(uint32_t bit, uint32_t mask) {
  Poly* poly = CurrentPoly();
  if (!poly) return;
  // The undo step and the rainbow note come with the recolouring.
  TellOutcome(ColorByCompound(poly, bit, mask));
  ResetColorCaches(poly, 0, false);
  ResetColorCaches(poly, 1, true);
}

// A special arrangement: choosing the one that is on turns its group off.
void ToggleArrangement(uint32_t bit, uint32_t mask) { ApplyScheme((FaceColorScheme & bit) ? 0 : bit, mask); }

// ---- Show and hide -------------------------------------------------------------------------

bool IsHidden(const PolyElement* e) { return e->HasFlag(kElementHidden); }
bool IsHidden(const Edge* e) { return (e->mEdgeFlags & kEdgeHidden) != 0; }
void SetHidden(PolyElement* e, bool hidden) {
  if (hidden) {
    e->mFlags |= kElementHidden;
  } else {
    e->mFlags &= ~kElementHidden;
  }
}
void SetHidden(Edge* e, bool hidden) {
  if (hidden) {
    e->mEdgeFlags |= kEdgeHidden;
  } else {
    e->mEdgeFlags &= ~kEdgeHidden;
  }
}

// The panes keep what they drew of each side until its colour caches go stale.
// Hiding or showing faces is an undo step of its own, like a change of their colours.
void RecordShowHideUndo() { platform::Services().undo->AddUndo(kUndoColorChange, 0); }

void ShowHideDone() {
  if (Poly* poly = CurrentPoly()) {
    ResetColorCaches(poly, 0, false);
    ResetColorCaches(poly, 1, false);
  }
  if (CPolyDoc* document = GetDocument()) {
    document->MarkColorsStaleAndRedraw();
  } else {
    Redraw();
  }
}

// Hides the chosen faces (or edges of the selected edge) unless the current one is
// hidden, in which case they are shown.
enum class Choose { kColour, kType, kItem, kAll };

// The cells a colour stands for are those of one cell type: the cell diagram colours
// each type as one.
void ShowHideCells(FaceTypeBlock* block, Choose choose) {
  StellationCell* current = CurrentCell(block);
  if (!current && choose != Choose::kAll) return;
  const bool hide = current ? !current->IsHidden() : true;
  ForEachCell(block, [&](StellationCell* c) {
    const bool chosen = choose == Choose::kAll || c == current ||
                        ((choose == Choose::kType || choose == Choose::kColour) && c->mType == current->mType);
    if (chosen) c->SetHidden(hide);
  });
}

void ShowHideByCurrent(Choose choose) {
  Poly* poly = CurrentPoly();
  if (!poly) return;
  if (FaceTypeBlock* block = ShownCellBlock()) {
    ShowHideCells(block, choose);
    ShowHideDone();
    return;
  }
  if (Edge* edge = SelectedEdge(poly)) {
    const bool hide = !IsHidden(edge);
    RecordShowHideUndo();
    ForEachEdge(poly, [&](Edge* e) {
      const bool chosen = choose == Choose::kAll || e == edge ||
                          (choose == Choose::kColour && SameColour(e->mColor, edge->mColor)) ||
                          (choose == Choose::kType && e->mEdgeType == edge->mEdgeType);
      if (chosen) SetHidden(e, hide);
    });
  } else {
    PolyElement* face = poly->GetCurrentFace();
    if (!face) return;
    const bool hide = !IsHidden(face);
    RecordShowHideUndo();
    ForEachFace(poly, [&](PolyElement* e) {
      const bool chosen = choose == Choose::kAll || e == face ||
                          (choose == Choose::kColour && SameColour(e->mColor, face->mColor)) ||
                          (choose == Choose::kType && e->mType == face->mType);
      if (chosen) SetHidden(e, hide);
    });
  }
  ShowHideDone();
}

// While the model shows cells the items speak of cells; the selected face or edge
// plays no part then.
template <int kCommand>
void UpdateShowHide(CommandUi& ui) {
  if (FaceTypeBlock* block = ShownCellBlock()) {
    ui.enabled = kCommand == kCmdShowHideAll || kCommand == kCmdToggleShownHidden || CurrentCell(block);
    ui.text = ItemText(kCommand, true);
    return;
  }
  if (kCommand == kCmdToggleShownHidden) {
    // It acts on faces alone, whatever is selected.
    NeedsModel(ui);
    ui.text = ItemText(kCommand, false);
  } else {
    NeedsFaceOrEdge(ui);
  }
}

void ToggleShownAndHidden() {
  Poly* poly = CurrentPoly();
  if (!poly) return;
  if (FaceTypeBlock* block = ShownCellBlock()) {
    ForEachCell(block, [](StellationCell* c) { c->SetHidden(!c->IsHidden()); });
    ShowHideDone();
    return;
  }
  RecordShowHideUndo();
  ForEachFace(poly, [](PolyElement* e) { SetHidden(e, !IsHidden(e)); });
  ShowHideDone();
}

// If every face of the group is shown they are all hidden; otherwise all are shown.
void ShowOrHideGroup(const std::vector<PolyElement*>& group) {
  bool allShown = true;
  for (const PolyElement* e : group) allShown = allShown && !IsHidden(e);
  RecordShowHideUndo();
  for (PolyElement* e : group) SetHidden(e, allShown);
  ShowHideDone();
}

void ShowHidePlane() {
  Poly* poly = CurrentPoly();
  PolyElement* face = poly ? poly->GetCurrentFace() : nullptr;
  if (!face) return;
  // The plane's faces in list order, from its ring numbered once: a walk round the
  // ring for every face of a finely cut model would take the square of its faces.
  const CoplanarRingIndex rings(face->mList);
  std::vector<PolyElement*> group;
  ForEachFace(poly, [&](PolyElement* e) {
    if (rings.Together(e, face)) group.push_back(e);
  });
  ShowOrHideGroup(group);
}

void ShowHidePart() {
  Poly* poly = CurrentPoly();
  PolyElement* face = poly ? poly->GetCurrentFace() : nullptr;
  if (!face) return;
  std::vector<PolyElement*> part;
  face->CollectConnectedPart(part);
  std::vector<PolyElement*> group;
  for (PolyElement* e : part) {
    e->mFlags &= ~kElementVisitMark;
    if (e->mList == face->mList) group.push_back(e);
  }
  ShowOrHideGroup(group);
}

// The vertex the command acts on: the selected one, else the current one.
PolyElement* CurrentVertex(Poly* poly) {
  if (poly->IsSelectionVertex() && poly->mSelectedElement) return poly->mSelectedElement;
  return poly->GetOtherCurrentFinite();
}

void ShowHideAroundVertex() {
  Poly* poly = CurrentPoly();
  PolyElement* vertex = poly ? CurrentVertex(poly) : nullptr;
  if (!vertex || !vertex->mList) return;
  std::vector<PolyElement*> vertices{vertex};
  std::vector<int> coincident;
  for (PolyElement* v = vertex->mList->mHead; v; v = v->mNext) {
    if (v != vertex && NearlyEqual(v->mDualVert, vertex->mDualVert, kPointTolerance)) {
      coincident.push_back(v->GetIndex());
      vertices.push_back(v);
    }
  }
  if (!coincident.empty()) {
    const int n = static_cast<int>(coincident.size());
    std::string list;
    for (int i = 0; i < n && i < kMaxListedIndices; ++i) list += (i ? ", " : " ") + std::to_string(coincident[i]);
    if (n > kMaxListedIndices) list += ", ...";
    const bool yes = AskYesNo("This vertex (index %d) is coincident with %d other%s\n(ind%s%s).\n"
                              "Show/hide faces around those too?",
                              vertex->GetIndex(), n, n == 1 ? "" : "s", n == 1 ? "ex" : "ices", list.c_str());
    if (!yes) vertices.resize(1);
  }
  std::vector<PolyElement*> group;
  for (const PolyElement* v : vertices) {
    for (int i = 0; i < v->mNumSides; ++i) {
      PolyElement* f = v->GetCorner(i);
      if (!f) continue;
      bool listed = false;
      for (const PolyElement* g : group) listed = listed || g == f;
      if (!listed) group.push_back(f);
    }
  }
  ShowOrHideGroup(group);
}

void UpdateAroundVertex(CommandUi& ui) {
  Poly* poly = CurrentPoly();
  ui.enabled = poly && CurrentVertex(poly) != nullptr;
}

// ---- The table ---------------------------------------------------------------------------------

#define BASIC_SCHEME(id, bit)                                                           \
  {id, [] { ApplyScheme(bit, kColorBasicMask); },                                       \
   [](CommandUi& ui) {                                                                  \
     NeedsModel(ui);                                                                    \
     Mark(ui, (FaceColorScheme & kColorBasicMask) == (bit));                            \
   }}
#define SCHEME_TOGGLE(id, bit)                                                          \
  {id, [] { ApplyScheme(bit, kColorToggleMask); },                                      \
   [](CommandUi& ui) {                                                                  \
     NeedsModel(ui);                                                                    \
     Mark(ui, (FaceColorScheme & (bit)) != 0);                                          \
   }}
#define ARRANGEMENT(id, bit, mask)                                                      \
  {id, [] { ToggleArrangement(bit, mask); },                                            \
   [](CommandUi& ui) {                                                                  \
     ui.enabled = ColorArrangementApplies(CurrentPoly(), bit);                          \
     Mark(ui, ui.enabled && (FaceColorScheme & (bit)) != 0);                            \
   }}
#define DIAGRAM_SCHEME(id, n) \
  {id, [] { SetColorScheme(n); }, [](CommandUi& ui) { Mark(ui, StellationColorScheme == (n)); }}

constexpr uint32_t kDodecahedralMask = 0x3000;
constexpr uint32_t kIcosahedralMask = 0x1C000;
constexpr uint32_t kTriacontahedralMask = 0x60000;
constexpr uint32_t kCubicBit = 0x80000;
constexpr uint32_t kOctahedralBit = 0x100000;
constexpr uint32_t kRhombicDodecahedralMask = 0xE00000;

std::vector<DocCommand> MakeTable() {
  return {
      {32869, SelectNone, UpdateSelectNone},
      {32931, [] { doc_commands::StepElementType(1, false); }, NeedsModel, ElementWords::kCell},
      {32932, [] { doc_commands::StepElementType(-1, false); }, NeedsModel, ElementWords::kCell},
      {32983, [] { SetRainbowColors((GetRainbowFlags() & kRainbowColors) == 0); },
       [](CommandUi& ui) { Mark(ui, (GetRainbowFlags() & kRainbowColors) != 0); }},
      {33116, [] { ReplaceColourThroughout(false); }, NeedsFaceOrEdge, ElementWords::kEdgeOrVertex},
      {33117, [] { ReplaceColourThroughout(true); }, NeedsCurrentFace},
      {32879, [] { SetFaceColours(Scope::kType, false); }, NeedsFaceOrEdge, ElementWords::kEdge},
      {32984, [] { SetFaceColours(Scope::kItem, false); }, NeedsFaceOrEdge, ElementWords::kEdge},
      {33114, [] { SetFaceColours(Scope::kAll, false); }, NeedsFaceOrEdge, ElementWords::kEdge},
      {32908, [] { SetFaceColours(Scope::kType, true); }, NeedsCurrentFace},
      {32985, [] { SetFaceColours(Scope::kItem, true); }, NeedsCurrentFace},
      {33115, [] { SetFaceColours(Scope::kAll, true); }, NeedsCurrentFace},
      {33301, TakeColourFromNeighbours, NeedsCurrentFace},
      {33153, ColourOnePart, UpdateColourOnePart},
      {32898, SetBackgroundColour, nullptr},
      {33131,
       [] { ApplyScheme((FaceColorScheme & kColorSingle) ? kColorAuto : kColorSingle, kColorBasicMask); },
       NeedsModel},
      BASIC_SCHEME(32910, kColorAuto),
      BASIC_SCHEME(32788, kColorSingle),
      BASIC_SCHEME(32787, kColorBySides),
      BASIC_SCHEME(32786, kColorByFaceType),
      BASIC_SCHEME(33320, kColorAlongCrossSection),
      BASIC_SCHEME(32986, kColorPerFaceUnlessParallel),
      SCHEME_TOGGLE(33138, kColorSameChiralPairs),
      SCHEME_TOGGLE(33139, kColorSameCoplanar),
      SCHEME_TOGGLE(33140, kColorSameCoplanarChiralPairs),
      SCHEME_TOGGLE(33141, kColorSameFrontAndBack),
      ARRANGEMENT(32992, 0x1000, kDodecahedralMask),
      ARRANGEMENT(32993, 0x2000, kDodecahedralMask),
      ARRANGEMENT(32988, 0x4000, kIcosahedralMask),
      ARRANGEMENT(32989, 0x8000, kIcosahedralMask),
      ARRANGEMENT(32994, 0x10000, kIcosahedralMask),
      ARRANGEMENT(32990, 0x20000, kTriacontahedralMask),
      ARRANGEMENT(32995, 0x40000, kTriacontahedralMask),
      ARRANGEMENT(32998, kCubicBit, kCubicBit),
      ARRANGEMENT(32999, kOctahedralBit, kOctahedralBit),
      ARRANGEMENT(32991, 0x200000, kRhombicDodecahedralMask),
      ARRANGEMENT(32996, 0x400000, kRhombicDodecahedralMask),
      ARRANGEMENT(32997, 0x800000, kRhombicDodecahedralMask),
      DIAGRAM_SCHEME(33199, 0),
      DIAGRAM_SCHEME(32866, 1),
      DIAGRAM_SCHEME(32799, 2),
      DIAGRAM_SCHEME(32800, 3),
      DIAGRAM_SCHEME(32801, 4),
      DIAGRAM_SCHEME(32811, 5),
      {kCmdShowHideColour, [] { ShowHideByCurrent(Choose::kColour); }, UpdateShowHide<kCmdShowHideColour>,
       ElementWords::kEdge},
      {kCmdShowHideType, [] { ShowHideByCurrent(Choose::kType); }, UpdateShowHide<kCmdShowHideType>,
       ElementWords::kEdge},
      {kCmdShowHideItem, [] { ShowHideByCurrent(Choose::kItem); }, UpdateShowHide<kCmdShowHideItem>,
       ElementWords::kEdge},
      {kCmdShowHideAll, [] { ShowHideByCurrent(Choose::kAll); }, UpdateShowHide<kCmdShowHideAll>, ElementWords::kEdge},
      {kCmdToggleShownHidden, ToggleShownAndHidden, UpdateShowHide<kCmdToggleShownHidden>},
      {33365, ShowHidePlane, NeedsCurrentFace},
      {33369, ShowHidePart, NeedsCurrentFace},
      {33076, ShowHideAroundVertex, UpdateAroundVertex},
  };
}

#undef BASIC_SCHEME
#undef SCHEME_TOGGLE
#undef ARRANGEMENT
#undef DIAGRAM_SCHEME

}  // namespace detail_DocCommandsColor

const std::vector<DocCommand>& GetColorDisplayCommands() {
  static const std::vector<DocCommand> table = detail_DocCommandsColor::MakeTable();
  return table;
}

namespace doc_commands {

void StepElementType(int step, bool otherSide) {
  Poly* poly = CurrentPoly();
  if (!poly) return;
  if (!otherSide) {
    if (FaceTypeBlock* cells = detail_DocCommandsColor::ShownCellBlock()) {
      detail_DocCommandsColor::StepCellType(cells, step);
      return;
    }
  }
  const bool faces = (poly->mShowDual != 0) == otherSide;
  FaceTypeBlock* block = poly->GetShownBlock();
  if (otherSide) block = poly->mShowDual ? poly->mBaseBlock.get() : poly->mDualBlock.get();
  const int count = block ? block->CountFaceTypes() : 0;
  if (count <= 1) {
    platform::Services().views->SetPaneMessage(faces ? "There is only one type of face"
                                                     : "There is only one type of vertex");
    return;
  }
  const PolyElement* current = otherSide ? poly->GetOtherCurrentFace() : poly->GetCurrentFace();
  int index = FaceType::GetIndex(current ? current->mType : nullptr);
  index = index < 0 ? (step > 0 ? 0 : count - 1) : ((index + step) % count + count) % count;
  // Types without elements of their own are passed over.
  for (int tries = 0; tries < count; ++tries) {
    FaceType* type = block->GetFaceType(index);
    if (type && type->mFirstFace) {
      // An element of the other side is selected as what it is there (a vertex of the
      // base, or a face of the dual), which keeps the side the document shows.
      poly->SelectFace(type->mFirstFace, otherSide);
      ShowSelectionChangeOf(poly);
      break;
    }
    index = ((index + step) % count + count) % count;
  }
  Redraw();
}

}  // namespace doc_commands

}  // namespace corvia
