// A picture placed on a face in the running program, as a person places it: Image Mode
// is chosen (it asks nothing yet, whatever face was selected before), a click on a face
// asks for its picture, and the face then shows the picture the right way round (seen
// from outside, not mirrored).

#include <gtest/gtest.h>
#include <wx/glcanvas.h>
#include <wx/image.h>

#include <cmath>
#include <memory>

#include "app/PolyApp.h"
#include "app/PolyDoc.h"
#include "app/PolyView.h"
#include "app/WindowServices.h"
#include "model/Poly.h"
#include "model/PolyElement.h"
#include "model/TransitionSettings.h"
#include "platform/Services.h"
#include "tests/gui/GuiTestSupport.h"
#include "tests/gui/ProgramTestSupport.h"
#include "tests/support/TestSupport.h"
#include "ui/CommandIds.h"
#include "ui/PaneWindow.h"

namespace test_FaceImageWindow {

using namespace corvia;
using corvia::testing::Platform;
using corvia::testing::YieldUntil;

constexpr int kCmdImageMode = 33186;
constexpr int kCmdSelectNone = 32869;

enum class Corner { kMagenta, kGreen, kBlue };

// Whether a shown pixel is of the corner's colour, whatever the lighting did to it.
bool IsOf(const wxImage& image, int x, int y, Corner corner) {
  const int r = image.GetRed(x, y), g = image.GetGreen(x, y), b = image.GetBlue(x, y);
  switch (corner) {
    case Corner::kMagenta: return r > 120 && b > 120 && g < 70;
    case Corner::kGreen: return g > 120 && r < 70 && b < 70;
    case Corner::kBlue: return b > 120 && r < 70 && g < 70;
  }
  return false;
}

// The mean place of the pixels of a corner, or false when there are too few.
bool CentreOf(const wxImage& image, Corner corner, double& x, double& y) {
  double sx = 0.0, sy = 0.0;
  int count = 0;
  for (int py = 0; py < image.GetHeight(); ++py) {
    for (int px = 0; px < image.GetWidth(); ++px) {
      if (!IsOf(image, px, py, corner)) continue;
      sx += px;
      sy += py;
      ++count;
    }
  }
  if (count < 40) return false;
  x = sx / count;
  y = sy / count;
  return true;
}

TEST(FaceImageWindow, APictureOnAFaceReadsTheRightWayRound) {
  // Magenta top left, green top right, blue bottom left, white bottom right: no
  // turn or mirror of it looks like another.
  wxImage picture(64, 64);
  for (int y = 0; y < 64; ++y) {
    for (int x = 0; x < 64; ++x) {
      const bool left = x < 32, top = y < 32;
      const unsigned char full = 255, none = 0;
      if (top && left) picture.SetRGB(x, y, full, none, full);
      if (top && !left) picture.SetRGB(x, y, none, full, none);
      if (!top && left) picture.SetRGB(x, y, none, none, full);
      if (!top && !left) picture.SetRGB(x, y, full, full, full);
    }
  }
  if (!wxImage::FindHandler(wxBITMAP_TYPE_PNG)) wxImage::AddHandler(new wxPNGHandler);
  const std::string file = (corvia::testing::ScratchDir("face-image") / "corner.png").string();
  ASSERT_TRUE(picture.SaveFile(file, wxBITMAP_TYPE_PNG));

  corvia::testing::RunningProgram program("face-image-home");
  ASSERT_NE(program.Frame(), nullptr);
  platform::ServiceSet services = platform::Services();
  services.fileDialogs = &Platform().fileDialogs;
  services.messages = &Platform().messages;
  platform::InstallServices(services);
  YieldUntil([] { return GetPane(1) && GetPane(1)->GetWindow(); });
  SetTransitionsEnabled(false);
  ASSERT_TRUE(CPolyApp::Get().GetDoc()->OpenModelByNameOrSymbol("Cube"));
  YieldUntil([] { return !GetCurrentPoly()->IsTransitionRunning(); });

  CPolyView* pane = GetPane(0);
  ASSERT_NE(pane, nullptr);
  wxWindow* canvas = static_cast<PaneWindow*>(pane->GetWindow())->GetCanvas();
  const wxSize size = canvas->GetClientSize();
  // The cube shows a face square to the viewer: a click in the middle selects it, and
  // Select None lets it go again.
  const wxPoint middle(size.x / 2, size.y / 2);
  corvia::testing::ClickAt(canvas, middle);
  PolyElement* face = nullptr;
  ASSERT_TRUE(YieldUntil([&] { return (face = GetCurrentPoly()->GetCurrentFace()) != nullptr; }));
  corvia::testing::PostMenuCommand(program.Frame(), kCmdSelectNone);
  ASSERT_EQ(GetCurrentPoly()->mSelectedItem, nullptr);

  // Choosing the mode asks for nothing and places nothing.
  Platform().fileDialogs.mRequests.clear();
  corvia::testing::PostMenuCommand(program.Frame(), kCmdImageMode);
  corvia::testing::YieldUntilHandled();
  EXPECT_TRUE(Platform().fileDialogs.mRequests.empty()) << "Image Mode opened a dialog before a click";
  for (PolyElement* f = GetCurrentPoly()->mFaces.mHead; f; f = f->mNext) EXPECT_EQ(f->GetImage(), nullptr);

  // The click on the face asks for its picture.
  Platform().fileDialogs.QueueChoice(file);
  corvia::testing::ClickAt(canvas, middle);
  ASSERT_TRUE(YieldUntil([&] { return face->GetImage() != nullptr; }));
  ASSERT_EQ(Platform().fileDialogs.mRequests.size(), 1u);
  EXPECT_EQ(Platform().fileDialogs.mRequests[0].title, "Choose Image for Face");
  GetCurrentPoly()->ClearSelection();
  pane->Invalidate(true);
  pane->UpdateNow();
  const wxImage shown = corvia::testing::ScreenPixels(canvas);

  double rx = 0, ry = 0, gx = 0, gy = 0, bx = 0, by = 0;
  ASSERT_TRUE(CentreOf(shown, Corner::kMagenta, rx, ry)) << "the magenta corner shows";
  ASSERT_TRUE(CentreOf(shown, Corner::kGreen, gx, gy)) << "the green corner shows";
  ASSERT_TRUE(CentreOf(shown, Corner::kBlue, bx, by)) << "the blue corner shows";
  // Magenta, green and blue turn the same way round on the screen as in the picture
  // (both with y downwards): a mirrored picture turns them the other way.
  const double turn = (gx - rx) * (by - ry) - (gy - ry) * (bx - rx);
  EXPECT_GT(turn, 0.0) << "the picture is mirrored on the face";
  // The three corners stand apart: the picture covers the face, not a sliver of it.
  EXPECT_GT(std::hypot(gx - rx, gy - ry), size.y / 10.0);
  EXPECT_GT(std::hypot(bx - rx, by - ry), size.y / 10.0);
}

}  // namespace test_FaceImageWindow
