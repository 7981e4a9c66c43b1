#pragma once
// The page a pane is printing: its device context and the pane's page operations,
// which clip what they draw to the printable rectangle. The printing of panes
// installs the page for the time it draws one (PrintPageScope); drawing members that
// print (stellation facets, facelet numbers) draw onto the page installed.

#include "render/DeviceContext.h"

namespace corvia {

struct NetPlacement;

class PrintPage {
 public:
  virtual ~PrintPage();
  virtual DeviceContext& GetDC() = 0;
  // A filled polygon of count points (x, y pairs in page units), clipped to the page.
  virtual void PrintPolygon(const double* xy, int count) = 0;
  // A text whose anchor lies on the page; nothing otherwise.
  virtual void PrintTextAt(const double* point, const char* text) = 0;
  // The 2D affine map (m0, m1, m2, m3, m4, m5: x' = m0 x + m2 y + m4, y' = m1 x +
  // m3 y + m5) from the diagram being printed to the page.
  virtual const double* GetDiagramTransform() const = 0;
  // The placement of the net being printed (null while no net is).
  virtual const NetPlacement* GetNetPlacement() const { return nullptr; }
};

// The page being printed; null when none is.
PrintPage* GetCurrentPrintPage();

class PrintPageScope {
 public:
  explicit PrintPageScope(PrintPage* page);
  ~PrintPageScope();
  PrintPageScope(const PrintPageScope&) = delete;
  PrintPageScope& operator=(const PrintPageScope&) = delete;

 private:
  PrintPage* mPrevious;
};

}  // namespace corvia
