// ViewMapping2D: the mapping between a flat pane's model plane and its window.

#include "render/ViewMapping2D.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "render/OpenGLView.h"
#include "render/ViewArea.h"
#include "render/ViewCamera.h"
#include "render/ViewWindow.h"

namespace corvia {

ViewMapping2D::ViewMapping2D(const ViewArea& area, ViewCamera& camera, NewView* view)
    : mArea(area), mCamera(camera), mView(view) {}

void ViewMapping2D::Turn(double* out, double x, double y, double degrees) {
  const double a = degrees * (std::numbers::pi / 180.0);
  out[0] = x * std::cos(a) - y * std::sin(a);
  out[1] = x * std::sin(a) + y * std::cos(a);
}

double ViewMapping2D::GetZoomedHeight() const {
  return mZoom * mArea.DrawingHeight();
}

double ViewMapping2D::PixelsToUnitsX(double pixels) const {
  return pixels / GetZoomedHeight();
}
double ViewMapping2D::PixelsToUnitsY(double pixels) const {
  return pixels / GetZoomedHeight();
}
double ViewMapping2D::UnitsToPixelsX(double units) const {
  return units * GetZoomedHeight();
}
double ViewMapping2D::UnitsToPixelsY(double units) const {
  return units * GetZoomedHeight();
}

namespace detail_ViewMapping2D {

// Pixels per unit of the mapping, signed by the direction of the extents. The
// mapping follows the content size, so that it stays as it was drawn until the
// scroll range is updated; empty extents keep the zoom.
double MappingScale(double from, double to, double content, double ppu) {
  const double span = to - from;
  if (std::fabs(span) < kTinyExtent || content <= 0.0) return ppu;
  return content / span;
}

}  // namespace detail_ViewMapping2D

double ViewMapping2D::ContentOffsetX() const {
  return mContentSize[0] < mArea.width ? (mArea.width - mContentSize[0]) / 2.0 : 0.0;
}

double ViewMapping2D::ContentOffsetY() const {
  return mContentSize[1] < mArea.height ? (mArea.height - mContentSize[1]) / 2.0 : 0.0;
}

double ViewMapping2D::ModelToWindowX(double unit) const {
  const double s = detail_ViewMapping2D::MappingScale(mExtents2D[0], mExtents2D[2], mContentSize[0], GetZoomedHeight());
  return (unit - mExtents2D[0]) * s - mScroll[0] + ContentOffsetX();
}

double ViewMapping2D::ModelToWindowY(double unit) const {
  // Window y runs down from the top edge of the extents.
  const double s = detail_ViewMapping2D::MappingScale(mExtents2D[1], mExtents2D[3], mContentSize[1], GetZoomedHeight());
  return (unit - mExtents2D[1]) * s - mScroll[1] + ContentOffsetY();
}

double ViewMapping2D::WindowToModelX(double pixel) const {
  const double s = detail_ViewMapping2D::MappingScale(mExtents2D[0], mExtents2D[2], mContentSize[0], GetZoomedHeight());
  return mExtents2D[0] + (pixel + mScroll[0] - ContentOffsetX()) / s;
}

double ViewMapping2D::WindowToModelY(double pixel) const {
  const double s = detail_ViewMapping2D::MappingScale(mExtents2D[1], mExtents2D[3], mContentSize[1], GetZoomedHeight());
  return mExtents2D[1] + (pixel + mScroll[1] - ContentOffsetY()) / s;
}

void ViewMapping2D::WindowToModel2D(double* model, double x, double y) const {
  Turn(model, WindowToModelX(x), WindowToModelY(y), -mRotation2D);
}

void ViewMapping2D::ModelToWindow2D(double* window, const double* model) const {
  double turned[2];
  Turn(turned, model[0], model[1], mRotation2D);
  window[0] = ModelToWindowX(turned[0]);
  window[1] = ModelToWindowY(turned[1]);
}

ViewMapping2D::Placement ViewMapping2D::GetPlacement() const {
  Placement placement;
  std::copy(mExtents2D, mExtents2D + 4, placement.extents);
  std::copy(mScroll, mScroll + 2, placement.scroll);
  std::copy(mContentSize, mContentSize + 2, placement.contentSize);
  placement.zoom = mZoom;
  placement.rotation = mRotation2D;
  return placement;
}

void ViewMapping2D::SetPlacement(const Placement& placement) {
  std::copy(placement.extents, placement.extents + 4, mExtents2D);
  std::copy(placement.scroll, placement.scroll + 2, mScroll);
  std::copy(placement.contentSize, placement.contentSize + 2, mContentSize);
  mZoom = placement.zoom;
  mRotation2D = placement.rotation;
  mCamera.DropMatrices();
}

void ViewMapping2D::SetExtents2D(float left, float top, float right, float bottom) {
  mExtents2D[0] = left;
  mExtents2D[1] = top;
  mExtents2D[2] = right;
  mExtents2D[3] = bottom;
  mCamera.DropMatrices();
}

void ViewMapping2D::FitExtents2D() {
  const double spanX = std::fabs(mExtents2D[2] - mExtents2D[0]);
  const double spanY = std::fabs(mExtents2D[1] - mExtents2D[3]);
  double availableW = mArea.width - 2.0 * mCamera.GetPixelMarginX();
  double availableH = mArea.height - 2.0 * mCamera.GetPixelMarginY();
  const ViewWindow* window = mView ? mView->GetWindow() : nullptr;
  if (window && !window->HasScrollBar(true)) availableW -= window->ScrollBarSize(true);
  if (window && !window->HasScrollBar(false)) availableH -= window->ScrollBarSize(false);
  // A pane with no room along a side that the extents span cannot hold them: the zoom
  // stays (fitted along the other side alone and then grown, the pane would show a
  // corner of its content hugely magnified).
  const bool room = (spanX < kTinyExtent || availableW > 0) && (spanY < kTinyExtent || availableH > 0);
  double ppu = -1.0;
  if (spanX >= kTinyExtent && room) ppu = availableW / spanX;
  if (spanY >= kTinyExtent && room) ppu = ppu < 0 ? availableH / spanY : std::min(ppu, availableH / spanY);
  if (ppu > 0) mZoom = static_cast<float>(ppu / mArea.DrawingHeight());
  UpdateScrollRange();
  // A fit made by the draw itself is drawn by that draw.
  if (mView && !OpenGLView::IsDrawing()) mView->Invalidate(true);
}

void ViewMapping2D::UpdateScrollRange() {
  const double ppu = GetZoomedHeight();
  SetScrollSizes2D(std::fabs(mExtents2D[2] - mExtents2D[0]) * ppu, std::fabs(mExtents2D[1] - mExtents2D[3]) * ppu,
                   false);
}

void ViewMapping2D::SetScrollSizes2D(double width, double height, bool force) {
  // The model point at the window centre stays there.
  const double cx = WindowToModelX(mArea.width / 2.0);
  const double cy = WindowToModelY(mArea.height / 2.0);
  if (width <= 0.0) width = 1.0;
  if (height <= 0.0) height = 1.0;
  mContentSize[0] = static_cast<float>(width);
  mContentSize[1] = static_cast<float>(height);
  const int roundedW = static_cast<int>(std::lround(width));
  const int roundedH = static_cast<int>(std::lround(height));
  if (mView && (force || roundedW != mView->GetScrollWidth() || roundedH != mView->GetScrollHeight()))
    mView->SetScrollSizes(roundedW, roundedH);
  ScrollTo(mScroll[0] + ModelToWindowX(cx) - mArea.width / 2.0,
           mScroll[1] + ModelToWindowY(cy) - mArea.height / 2.0);
  mCamera.DropMatrices();
}

void ViewMapping2D::ScrollTo(double x, double y) {
  // A content smaller than the window is centred and cannot scroll.
  x = std::max(0.0, std::min(x, static_cast<double>(mContentSize[0]) - mArea.width));
  y = std::max(0.0, std::min(y, static_cast<double>(mContentSize[1]) - mArea.height));
  mScroll[0] = static_cast<float>(x);
  mScroll[1] = static_cast<float>(y);
  // A mapping on its own has no scroll bars.
  if (mView) {
    const int barX =
        mContentSize[0] > 0 ? static_cast<int>(std::lround(mView->GetScrollWidth() * x / mContentSize[0])) : 0;
    const int barY =
        mContentSize[1] > 0 ? static_cast<int>(std::lround(mView->GetScrollHeight() * y / mContentSize[1])) : 0;
    mView->SetScrollPos(barX, barY);
  }
  mCamera.DropMatrices();
}

void ViewMapping2D::Zoom2DAt(double factor, int x, int y) {
  const double mx = WindowToModelX(x);
  const double my = WindowToModelY(y);
  mZoom = static_cast<float>(mZoom * factor);
  UpdateScrollRange();
  ScrollTo(mScroll[0] + ModelToWindowX(mx) - x, mScroll[1] + ModelToWindowY(my) - y);
  if (mView) mView->Invalidate(true);
}

void ViewMapping2D::ComputeVisibleArea2D() {
  const double w = std::max(mArea.width, 1);
  const double h = std::max(mArea.height, 1);
  const double corners[4][2] = {{0, 0}, {w, 0}, {0, h}, {w, h}};
  double lo[2] = {1e300, 1e300}, hi[2] = {-1e300, -1e300};
  for (const auto& corner : corners) {
    double model[2];
    WindowToModel2D(model, corner[0], corner[1]);
    for (int i = 0; i < 2; ++i) {
      lo[i] = std::min(lo[i], model[i]);
      hi[i] = std::max(hi[i], model[i]);
    }
  }
  for (int i = 0; i < 2; ++i) {
    if (hi[i] - lo[i] < 1.0) {
      const double mid = (hi[i] + lo[i]) / 2.0;
      lo[i] = mid - 0.5;
      hi[i] = mid + 0.5;
    }
  }
  mVisibleArea[0] = lo[0];
  mVisibleArea[1] = lo[1];
  mVisibleArea[2] = hi[0];
  mVisibleArea[3] = hi[1];
}

}  // namespace corvia
