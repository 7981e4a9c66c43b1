// Image export of a pane: the pane drawn off screen at the size asked (over-sampled
// and averaged down), then written as a PNG or JPEG file.

#include <algorithm>
#include <cstdint>
#include <vector>

#include "app/PolyView.h"
#include "app/Settings.h"
#include "core/Messages.h"
#include "files/ImageFile.h"
#include "render/GLBitmapRender.h"
#include "render/OutcomeBoxes.h"

namespace corvia {

namespace detail_PolyViewExport {

// Each pixel of the result the mean of its factor x factor block.
GLBitmap AverageDown(const GLBitmap& big, int factor) {
  GLBitmap small;
  small.width = big.width / factor;
  small.height = big.height / factor;
  small.pixels.assign(static_cast<size_t>(small.width) * small.height * 4, 0);
  const int n = factor * factor;
  for (int y = 0; y < small.height; ++y) {
    for (int x = 0; x < small.width; ++x) {
      int sum[4] = {0, 0, 0, 0};
      for (int dy = 0; dy < factor; ++dy) {
        for (int dx = 0; dx < factor; ++dx) {
          const uint8_t* p = big.Pixel(x * factor + dx, y * factor + dy);
          for (int c = 0; c < 4; ++c) sum[c] += p[c];
        }
      }
      uint8_t* q = small.Pixel(x, y);
      for (int c = 0; c < 4; ++c) q[c] = static_cast<uint8_t>((sum[c] + n / 2) / n);
    }
  }
  return small;
}

}  // namespace detail_PolyViewExport

bool CPolyView::RenderImage(GLBitmap& image, int width, int height, int overSampling, bool hideTexts) {
  overSampling = std::clamp(overSampling, 1, 8);
  mDrawing.SetHideTexts(hideTexts);
  // The pane's texts are left out while the export settings say so.
  GLBitmap big;
  const bool rendered = RenderToBitmap(big, width, height, overSampling);
  mDrawing.SetHideTexts(false);
  if (!rendered) return false;
  image = overSampling > 1 ? detail_PolyViewExport::AverageDown(big, overSampling) : std::move(big);
  return true;
}

bool CPolyView::ExportImage(const char* path, int width, int height) {
  const ExportSettings& settings = GetAppSettings().exports;
  if (GetImageFileKind(path) == ImageFileKind::kNone) return TellOutcome(WriteImageFile(path, nullptr, 0, 0, 0, 0));
  GLBitmap image;
  if (!RenderImage(image, width, height, settings.overSample, settings.hideText != 0)) {
    ShowError("Couldn't export the image to '%s': the pane could not be drawn at %d x %d.", path, width, height);
    return false;
  }
  return TellOutcome(
      WriteImageFile(path, image.pixels.data(), image.width, image.height, settings.jpegQuality, settings.dpi));
}

}  // namespace corvia
