// The page being printed, and the rounding of device points.

#include "render/PrintPage.h"

#include <cmath>

#include "render/GLSection.h"

namespace corvia {

DeviceContext::~DeviceContext() = default;
PrintPage::~PrintPage() = default;

int RoundToDevice(double v) {
  return static_cast<int>(std::lround(v));
}

// Printing runs one page at a time on the drawing thread, and the drawing members that
// print reach the page with no pane at hand: the drawing thread keeps it.
PrintPage* GetCurrentPrintPage() {
  return GetDrawingThreadPaint().page;
}

PrintPageScope::PrintPageScope(PrintPage* page) : mPrevious(GetDrawingThreadPaint().page) {
  GetDrawingThreadPaint().page = page;
}

PrintPageScope::~PrintPageScope() {
  GetDrawingThreadPaint().page = mPrevious;
}

}  // namespace corvia
