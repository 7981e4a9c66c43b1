#pragma once
// The printing of a pane, in two parts. PanePage is the page being printed: the device
// context and its printable rectangle, with the texts, lines, arrows, dots and polygons
// clipped to it; it needs no pane and no window. PanePrinting is what a pane prints:
// the nets of an Unfolded Net pane fitted onto as many pages as they need, a flat
// diagram on one page. It holds the view whose 2D extents frame the diagram, the view
// type it prints and the drawing that sets a flat pane's extents, and draws through
// its own PanePage; it needs no pane and no window.

#include <cstdint>

#include "render/DeviceContext.h"
#include "render/PrintPage.h"

namespace corvia {

class NetPage;
class OpenGLView;
class PaneDrawing;
class PaneViewType;
class Poly;
struct NetPlacement;

// The printing of a pane: the device context of the page and its printable rectangle
// (left, top, right, bottom in page units, y growing upwards).
struct PanePrintState {
  DeviceContext* dc = nullptr;
  int32_t rect[4] = {0, 0, 0, 0};
  // The diagram and the net being printed (PrintPage).
  double diagramTransform[6] = {1.0, 0.0, 0.0, 1.0, 0.0, 0.0};
  const NetPlacement* placement = nullptr;
};

class PanePage final : public PrintPage {
 public:
  // The page being printed; while one is, the page operations draw onto it.
  void BeginPrintPage(DeviceContext* dc, const int32_t* rect);
  void EndPrintPage();
  bool IsPrintingPage() const { return mPrint.dc != nullptr; }
  const PanePrintState& GetPrintState() const { return mPrint; }
  void SetPrintDiagramTransform(const double* m);
  void SetPrintNetPlacement(const NetPlacement* placement) { mPrint.placement = placement; }
  bool IsOnPage(const double* p) const;
  bool IsOnPage(int32_t x, int32_t y) const;
  void PrintTextAt(int32_t x, int32_t y, const char* text);
  // The segment clipped to the page, rounded; false when nothing is left.
  bool ClipToPage(const double* a, const double* b, int32_t* out) const;
  void PrintLine(const double* a, const double* b);
  void PrintRectangle(const double* a, const double* b);
  void FillRectangle(const double* a, const double* b);
  void PrintArrowHead(const double* from, const double* to, double size);
  void PrintArrow(const double* from, const double* to, double size);
  void PrintDoubleArrow(const double* from, const double* to, double size);
  void PrintDot(const double* centre, double radius);
  void PrintClippedPolygon(const double* a, const double* b, const double* c);
  // A line drawn in dashes by a line stipple's bits, one bit per printed pixel from a.
  void PrintStippledLine(const double* a, const double* b, uint16_t pattern);

  // ---- PrintPage ------------------------------------------------------------------------------
  DeviceContext& GetDC() override;
  void PrintPolygon(const double* xy, int count) override;
  void PrintTextAt(const double* point, const char* text) override;
  const double* GetDiagramTransform() const override { return mPrint.diagramTransform; }
  const NetPlacement* GetNetPlacement() const override { return mPrint.placement; }

 private:
  PanePrintState mPrint;
};

class PanePrinting {
 public:
  // The drawing may be made after the printing (it draws with the printing's page): it
  // is only used once both are made.
  PanePrinting(OpenGLView& view, const PaneViewType& type, PaneDrawing& drawing)
      : mView(view), mViewType(type), mDrawing(drawing) {}
  PanePrinting(const PanePrinting&) = delete;
  PanePrinting& operator=(const PanePrinting&) = delete;

  PanePage& Page() { return mPage; }
  const PanePage& Page() const { return mPage; }
  // Sets the pane's 2D extents to the model, unless it has its own.
  void FitPaneToModel();
  // Nets printed in the construction-toy style.
  bool PrintsNetsAsToyPanels() const;
  // How many pages the pane prints (the nets of an Unfolded Net pane fill as many as
  // their fitting needs, any other pane one); 0 when there is nothing to print, -1
  // after an error when a net is larger than the page.
  int CountPrintPages(const int32_t* rect);
  // Draws page n (from 1) of the pane onto the device context, rect as above.
  bool PrintPageContent(int page, DeviceContext& dc, const int32_t* rect);
  // Whether the pane prints through its own page drawing rather than as an image.
  bool PrintsWithPageDrawing() const;
  void EndPrinting();
  // The pages of nets that the last count made (null when there are none).
  const NetPage* GetPrintedPages() const { return mPrintedPages; }

 private:
  void PrintDiagramPage(Poly* poly);
  void PrintNetPage(int page);
  void FreePrintedPages();

  OpenGLView& mView;
  const PaneViewType& mViewType;
  PaneDrawing& mDrawing;
  PanePage mPage;
  // The pages of nets being printed.
  NetPage* mPrintedPages = nullptr;
};

}  // namespace corvia
