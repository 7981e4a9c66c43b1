// The page being printed, and the rounding of device points.

#include "render/PrintPage.h"

#include <cmath>

namespace corvia {

namespace detail_PrintPage {
// The page being printed: printing runs one page at a time on the drawing thread.
PrintPage* gCurrentPage = nullptr;
}  // namespace detail_PrintPage

DeviceContext::~DeviceContext() = default;
PrintPage::~PrintPage() = default;

int RoundToDevice(double v) {
  return static_cast<int>(std::lround(v));
}

PrintPage* GetCurrentPrintPage() {
  return detail_PrintPage::gCurrentPage;
}

PrintPageScope::PrintPageScope(PrintPage* page) : mPrevious(detail_PrintPage::gCurrentPage) {
  detail_PrintPage::gCurrentPage = page;
}

PrintPageScope::~PrintPageScope() {
  detail_PrintPage::gCurrentPage = mPrevious;
}

}  // namespace corvia
