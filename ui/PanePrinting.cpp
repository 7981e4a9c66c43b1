#include "ui/PanePrinting.h"

#include <wx/bitmap.h>
#include <wx/image.h>

#include <cstring>

#include "core/Messages.h"
#include "render/GLBitmapRender.h"
#include "render/OpenGLView.h"

namespace corvia {

bool DoPrint(OpenGLView* view, wxDC& dc, const wxRect& page, bool preview, const wxSize& previewClient) {
  if (!view || page.width <= 0 || page.height <= 0) return false;
  int width = 0, height = 0;
  GetPrintBitmapSize(preview, page.width, page.height, previewClient.x, previewClient.y, width, height);
  GLBitmap bitmap;
  if (!view->RenderToBitmap(bitmap, width, height, 1)) {
    DoNothing("DoRender() failed in DoPrint()\n");
    return false;
  }
  wxImage image(bitmap.width, bitmap.height, false);
  unsigned char* rgb = image.GetData();
  for (size_t i = 0, n = static_cast<size_t>(bitmap.width) * bitmap.height; i < n; ++i) {
    std::memcpy(rgb + 3 * i, &bitmap.pixels[4 * i], 3);
  }
  // Smooth scaling onto the page, as a halftoning stretch would.
  if (image.GetWidth() != page.width || image.GetHeight() != page.height) {
    image.Rescale(page.width, page.height, wxIMAGE_QUALITY_HIGH);
  }
  if (!dc.IsOk()) {
    DoNothing("Failed in StretchDIBits()\n");
    return false;
  }
  dc.DrawBitmap(wxBitmap(image), page.x, page.y, false);
  return true;
}

}  // namespace corvia
