// Diagrams onto a wxDC: lines, polygons and whole circles drawn through the
// DeviceContext land in a memory bitmap where their device points put them.

#include <gtest/gtest.h>
#include <wx/bitmap.h>
#include <wx/dcmemory.h>
#include <wx/image.h>

#include "ui/WxDeviceContext.h"

namespace test_WxDeviceContext {

bool IsRed(const wxImage& image, int x, int y) {
  return image.GetRed(x, y) > 200 && image.GetGreen(x, y) < 60 && image.GetBlue(x, y) < 60;
}

TEST(WxDeviceContext, LinesPolygonsAndCirclesLandWhereTheirPointsAre) {
  wxBitmap bitmap(100, 100, 24);
  {
    wxMemoryDC memory(bitmap);
    memory.SetBackground(*wxBLACK_BRUSH);
    memory.Clear();
    corvia::WxDeviceContext dc(memory);
    const uint32_t red = 0x0000FF;  // 0x00BBGGRR
    dc.SetPen(red, 1);
    dc.SetBrush(red);
    dc.MoveTo(10, 10);
    dc.LineTo(90, 10);
    const int square[8] = {20, 30, 40, 30, 40, 50, 20, 50};
    dc.Polygon(square, 4);
    dc.Arc(70, 70, 10, 80, 70, 80, 70);
    memory.SelectObject(wxNullBitmap);
  }
  const wxImage image = bitmap.ConvertToImage();
  EXPECT_TRUE(IsRed(image, 50, 10));
  EXPECT_FALSE(IsRed(image, 50, 20));
  EXPECT_TRUE(IsRed(image, 30, 40));
  // The whole circle's outline, not its inside.
  EXPECT_TRUE(IsRed(image, 80, 70) || IsRed(image, 79, 70));
  EXPECT_FALSE(IsRed(image, 70, 70));
}

}  // namespace test_WxDeviceContext
