#pragma once
// CPolyView: the pane class of the program. Every pane shows the single document in
// one view type (app/ViewType.h) and draws it with OpenGL; the pane keeps its own
// drag objects and its display switches. The
// class also holds what all panes share: the five shared drag objects, the mouse
// selection mode, the fit suspension, and the operations that reach panes by kind.
// What the pane does beside drawing its view type is held by parts it makes with
// itself: the view type's code and what it implies (Type(), app/PaneViewType.h), its
// printing (Printing(), app/PanePrinting.h), its caption's names and buttons
// (Caption(), app/PaneCaption.h), what a click does (Clicks(), app/PaneClicks.h) and
// its drawing and fits (Drawing(), app/PaneDrawing.h).

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "app/PaneCaption.h"
#include "app/PaneClicks.h"
#include "app/PaneDrawing.h"
#include "app/PanePrinting.h"
#include "app/PaneViewType.h"
#include "app/ViewType.h"
#include "render/CaptionWnd.h"
#include "render/MouseThrow.h"
#include "render/ModelDrawPane.h"
#include "render/NetDrawSettings.h"
#include "render/OpenGLView.h"

namespace corvia {

class Augmentation;
class CPolyDoc;
class FaceTypeBlock;
class Model3D;
class Poly;
struct GLBitmap;

// Mouse selection modes, in the order of "Selection > Mouse Selection Mode".
constexpr int kSelectFacesVertices = 0;
constexpr int kSelectIdentification = 1;
constexpr int kSelectCutEdges = 2;
constexpr int kSelectMeasurement = 3;
constexpr int kSelectFaceting = 4;
constexpr int kSelectColorHide = 5;
constexpr int kSelectImage = 6;
constexpr int kSelectSectionTumble = 7;
constexpr int kSelect4DTumble = 8;

// The cursors of the mouse selection modes, among the pane's cursor images.
constexpr int kCursorIdentify = 158;
constexpr int kCursorCutEdges = 159;
constexpr int kCursorMeasure = 161;
constexpr int kCursorFaceting = 162;
constexpr int kCursorColorHide = 160;

// "Section > Show Cross-Section in Model Views".
constexpr int kSectionInModelNever = 0;
constexpr int kSectionInModelWhenOpen = 1;
constexpr int kSectionInModelAlways = 2;

// Caption button actions. Accept, cancel and take back act on the augmentation preview
// of the pane, else on the facets drawn by hand; leaving the mode goes back to
// selecting faces and vertices.
constexpr int kCaptionPreviousModel = 0;
constexpr int kCaptionNextModel = 1;
constexpr int kCaptionPreviousStellation = 2;
constexpr int kCaptionNextStellation = 3;
constexpr int kCaptionFacetingBack = 4;
constexpr int kCaptionFacetingOn = 5;
constexpr int kCaptionElementBack = 6;
constexpr int kCaptionElementOn = 7;
constexpr int kCaptionMatchBack = 8;
constexpr int kCaptionMatchOn = 9;
constexpr int kCaptionAccept = 10;
constexpr int kCaptionCancel = 11;
constexpr int kCaptionMakeBase = 12;
constexpr int kCaptionTakeBack = 14;
constexpr int kCaptionLeaveMode = 15;

// Caption button icons (by their image numbers).
constexpr int kIconElementOn = 194;
constexpr int kIconElementBack = 195;
constexpr int kIconNextStellation = 196;
constexpr int kIconPreviousStellation = 197;
constexpr int kIconNextModel = 198;
constexpr int kIconPreviousModel = 199;
constexpr int kIconAccept = 200;
constexpr int kIconCancel = 201;
constexpr int kIconMakeBase = 202;
constexpr int kIconTakeBack = 203;
constexpr int kIconMatchOn = 204;
constexpr int kIconMatchBack = 205;
constexpr int kIconLeaveMode = 208;
constexpr int kIconFacetingOn = 209;
constexpr int kIconFacetingBack = 210;

// The drag objects of the panes (their kinds; identifiers are kind x 6 + pane).
constexpr int kThrowKindDualMorph = 1000;
constexpr int kThrowKindFoldingNet = 1001;
constexpr int kThrowKindPaneExplode = 1002;
constexpr int kThrowKind3DPanes = 1003;
constexpr int kThrowKindNetPanes = 1004;
constexpr int kThrowKindSection = 1005;
constexpr int kThrowKindPaneSection = 1006;

// Images of the view-type icons: this number plus the view index.
constexpr int kViewTypeIconBase = 1000;

// The width of the caption's view-type icon and the strip that holds it.
constexpr int kViewIconSize = 16;
constexpr int kViewIconStrip = 20;

// The pane's caption: the caption bar with the view-type icon at its left, which
// opens the view-type menu.
class PolyCaptionWnd final : public CaptionWnd {
 public:
  explicit PolyCaptionWnd(NewView* owner) : CaptionWnd(owner) {}
  // The icon's rectangle in caption coordinates.
  PixelRect GetIconRect() const;
  void DrawCaptionBar(CaptionPainter& painter) override;
  void OnCaptionPress(int button, int x, int y) override;
};

// What a click found under the pointer: a selection item kind (render/SelectionItems.h)
// and index, or kind -1 for nothing.
struct PaneHit {
  int kind = -1;
  int index = -1;
  bool Found() const { return kind >= 0; }
};

class CPolyView final : public OpenGLView, public ModelDrawPane, public NetDrawPane {
 public:
  CPolyView();
  ~CPolyView() override;

  static CPolyView* GetActive();
  static CPolyView* AsPolyView(NewView* view);

  // ---- NewView and OpenGLView -------------------------------------------------------------
  CaptionWnd* CreateCaptionWnd() override;
  // The caption buttons' actions and the keys a pane acts on (PaneActions.cpp).
  bool OnCaptionButton(int index, int command, int argument) override;
  std::string GetCaptionTip(int x, int y) const override;
  bool OnPaneKey(int key, int modifiers) override;
  void Activate(bool alsoFrame) override;
  bool OnCreate(ViewWindow* window) override;
  // A pane that still shows its last fit as it was made fits again to its new size.
  void OnSize(int width, int height) override;
  // The motion of a fading transition, the pending fit and the paint: the drawing's.
  bool PreViewingMatrixHook(Matrix4& transform) override { return mDrawing.GetTransitionMotion(transform); }
  void ExtentsPass() override { mDrawing.ExtentsPass(); }
  void ScenePass() override;

  // ---- View type (PolyViewType.cpp) --------------------------------------------------------
  // Switches the pane to the code; true. Without redraw the pane is not marked to be
  // painted again: a paint that draws another record's view type switches to it and back.
  bool SetViewType(ViewType code, bool quiet, bool redraw = true);
  // The user chose the view type (a menu, a toolbar button): as SetViewType; chosen
  // again, the pane asks again for the facets or nets whose making the user cancelled.
  void ChooseViewType(ViewType code);
  // What the user's Cancel of the work this pane waited for left it without, and how to
  // have it made; empty when it lacks nothing so.
  std::string DescribeCancelledWork() const;
  ViewType GetViewType() const { return mViewType.Code(); }
  // The view type and what it implies (PaneViewType.h).
  const PaneViewType& Type() const { return mViewType; }

  // The caption's names and buttons (PaneCaption.h).
  PaneCaption& Caption() { return mCaption; }

  // ---- Pane class (PolyView.cpp) ----------------------------------------------------------
  void SetFitMode(int mode) { mDrawing.SetFitMode(mode); }
  double GetExplosion() const { return mDrawing.GetExplosion(); }
  void SetExplosion(double factor) { mDrawing.SetExplosion(factor); }
  FaceTypeBlock* GetShownBlock(bool other) const;
  Model3D* GetModel3D() const;
  bool mShowSymmetryAxes = false;
  bool mShowReflectionPlanes = false;
  bool mShowReflectionNormals = false;

  // ---- Drawing and fits (PaneDrawing.h) ----------------------------------------------------------
  PaneDrawing& Drawing() { return mDrawing; }

  // ---- Printed pages (PanePrinting.h, PolyViewPrint.cpp) ----------------------------------------
  PanePrinting& Printing() { return mPrinting; }

  // ---- Image export (PolyViewExport.cpp) -------------------------------------------------------
  // The pane drawn at width x height, over-sampled by the factor and averaged down.
  bool RenderImage(GLBitmap& image, int width, int height, int overSampling, bool hideTexts);
  // Exports the pane as a PNG or JPEG file (by the name's extension) of the size
  // asked, with the export settings' over-sampling, texts and JPEG quality. A failure
  // is told here, once, in an error box.
  bool ExportImage(const char* path, int width, int height);

  // ---- Clicks and mouse modes (PaneMouse.cpp) -------------------------------------------------
  // A press and release of the left button that did not move is a click; it acts by
  // the mouse selection mode. Drags stay the navigation of OpenGLView.
  void OnButtonDown(int button, int x, int y, unsigned keyFlags) override;
  void OnButtonUp(int button, int x, int y, unsigned keyFlags) override;
  // The second press of a quick pair is a press like the first: it starts a drag or a
  // click of its own.
  void OnButtonDoubleClick(int button, int x, int y, unsigned keyFlags) override;
  void OnMouseMove(int x, int y, unsigned keyFlags) override;
  int GetCursor() override;
  void GetMouseButtonHelp(std::string& left, std::string& right, std::string& both) override;
  // What a click does (PaneClicks.h).
  PaneClicks& Clicks() { return mClicks; }

  // ---- Export and augmentation commands (PaneModeCommands.cpp) -------------------------------
  // Asks for a PNG or JPEG file and writes the pane's image at its size.
  void OnFileExportImage();
  // "Poly > Augment Polyhedron...": the augmentation dialog for the current face of the
  // shown side, then the augmented model at once or its preview in a pane of that side
  // (PaneActions.cpp).
  void OnAugmentPolyhedron();

  // ---- ModelDrawPane: what the model drawing asks of the pane ------------------------------
  bool IsFacetingPreviewPane() const override { return mViewType.Is(kViewFacetingPreview); }
  Model3D* GetModel3D(Poly* poly) override;
  // The sphere and cylinder materials (PolyViewScene.cpp): the kinds of the settings
  // "SphereMaterial" and "CylinderMaterial", drawn in the passes each needs.
  int SetVertexMaterial(MaterialPasses& passes) override;
  void EndVertexMaterial(MaterialPasses& passes) override;
  int SetEdgeMaterial(MaterialPasses& passes) override;
  void EndEdgeMaterial(MaterialPasses& passes) override;
  bool ApplyFaceAppearance(bool forSpheres, MaterialPasses& passes) override;

  // ---- Scene passes (PolyViewScene.cpp) ----------------------------------------------------
  void CheckConstructionToy();
  bool TakesSectionDrag(ViewType code) const;

 private:
  class ExplodeThrow;
  class SectionThrow;
  void RefreshNetsMessage();
  // The next paint asks again for the facets or nets of the shown side whose making the
  // user cancelled, as far as the view type draws them; false when none were.
  bool AskAgainForCancelledWork();

  std::unique_ptr<MouseThrow> mExplodeThrow;
  std::unique_ptr<MouseThrow> mSectionThrow;
  PaneViewType mViewType;
  PanePrinting mPrinting{*this, mViewType, mDrawing};
  PaneCaption mCaption{*this, mViewType};
  PaneClicks mClicks{*this, mViewType};
  PaneDrawing mDrawing{*this, mViewType, mPrinting.Page()};
};

// ---- Operations over the panes ----------------------------------------------------------------

CPolyView* FindViewOfType(ViewType a, ViewType b);
// Marks every pane whose code holds all bits of the mask (an exact code selects its type).
void InvalidateViewsOfKind(ViewType mask, bool now);
// Marks the cross-section panes and, while the section is shown in the models, the
// panes of the side the current model shows (or of the side given: dual or base).
void InvalidateCrossSectionViews(bool now);
void InvalidateCrossSectionViews(bool now, bool dualSide);
void SetFitModeAllViews(int mode);
void FitViewsOfKind(ViewType mask);
// The panes of the kind take their titles again, fit what they show and are redrawn
// (they show the other side of the model now).
void RefreshViewsOfKind(ViewType mask);
void UpdateAllCaptions();
void SetCaptionButtonsAllViews();
// Each pane whose buttons are still those of an augmentation preview that has ended
// takes its own again (CPolyView::EndAugmentationButtons).
void EndAugmentationButtonsAllViews();
void CheckConstructionToyAllViews();
// Switches the construction-toy style on or off (SetGeomagStyle); switched on, the
// panes give the toy's verdict on the model.
void SwitchGeomagStyle(bool on);
// The mouse selection mode of the panes.
int GetPaneSelectionMode();
// Changes the mouse selection mode of a frame's panes (without a group: the installed
// frame's, as the mode menu and the close-down change it).
void SetMouseSelectionMode(ViewGroup& group, int mode);
void SetMouseSelectionMode(int mode);
// Shows the help of a frame's mouse selection mode in the status bar (in Measurement
// Mode with what is measured); without a group, the installed frame's.
void ShowModeHelp(const ViewGroup& group);
void ShowModeHelp();
// The mode a click in a pane of the type acts by, of the pane's frame (its group): in
// the Cross-Section pane Measurement Mode selects.
int GetClickMode(const ViewGroup& group, ViewType type);
// Why a measuring click in a pane of the type picks no point; null in the panes that
// measure (Base Polyhedron, Dual of Base Polyhedron, Base/Dual Compound).
const char* GetMeasuringRefusal(ViewType type);
// The item a click means, from the hits of a pick of the pixel under the pointer and
// of a wider pick around it: the nearest vertex (wide), else the nearest edge (wide),
// that does not lie behind the nearest face under the pixel; else that face; else the
// nearest hit of any kind. Nothing for no hits.
PaneHit ChooseClickHit(std::vector<GLHit> pixel, std::vector<GLHit> around);
// "Section > Show Cross-Section in Model Views".
int GetSectionInModelChoice();
void SetSectionInModelChoice(int choice);
double GetDualMorphRatio();
void SetDualMorphRatio(double ratio, bool redraw);

// While one lives, fit requests are dropped.
class FitSuspension {
 public:
  FitSuspension();
  ~FitSuspension();
  FitSuspension(const FitSuspension&) = delete;
  FitSuspension& operator=(const FitSuspension&) = delete;
};
bool IsFitSuspended();

// The shared drag objects (made on first use, kept to the end).
MouseThrow* GetSharedThrow(int kind);
// The pane class's globals at the main window's close.
void ShutdownPaneGlobals();

// The corner text of the faceting preview: how to begin while there are no facets, else
// what the preview's problem edges mean (and whether the faceting is complete).
std::string GetFacetingPreviewText(Poly* poly);
// Whether the faceting preview shows nothing: no facets, and none being drawn.
bool IsFacetingPreviewEmpty(Poly* poly);
// The corner text of the augmentation preview: the orientation shown of how many.
std::string GetAugmentationPreviewText(const Augmentation& augmentation);

// The names of the current model and of its dual.
std::string GetPolyName(bool withSymbol, bool withNumbers);
std::string GetDualPolyName(bool withSymbol, bool withNumbers);
// Whether the current model is a four-dimensional polytope.
bool Is4DModel();
// Whether the document shows the current model's dual (false without a model).
bool IsDocumentShowingDual();

// The popup of the caption icon: the window side installs it (none: no menu).
using ViewTypeMenuFunction = void (*)(CPolyView* view);
void SetViewTypeMenuFunction(ViewTypeMenuFunction function);

}  // namespace corvia
