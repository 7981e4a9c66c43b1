// Panes on a real (virtual) display: a frame of several panes with their caption
// strips and buttons, all drawing one shared display list; resizing under a
// reference aspect; off-screen rendering and printing against the pixels on
// screen; full screen and back; and no painting while nothing changes.

#include <gtest/gtest.h>
#include <wx/dcmemory.h>
#include <wx/dcscreen.h>
#include <wx/frame.h>
#include <wx/glcanvas.h>
#include <wx/sizer.h>
#include <wx/uiaction.h>

#include <algorithm>
#include <array>
#include <cstdlib>
#include <memory>
#include <vector>

#include "render/CaptionWnd.h"
#include "render/GLSelection.h"
#include "render/LightSets.h"
#include "render/PaneFrame.h"
#include "render/Primitives.h"
#include "render/SelectionItems.h"
#include "render/ViewGroup.h"
#include "tests/gui/GuiTestSupport.h"
#include "tests/render/RenderTestSupport.h"
#include "ui/PaneWindow.h"
#include "ui/PanePrinting.h"
#include "ui/SharedGLContext.h"

namespace {

using namespace corvia;
using corvia::testing::ClickAt;
using corvia::testing::PaintCount;
using corvia::testing::ScreenPixels;
using corvia::testing::TestView;
using corvia::testing::YieldFor;
using corvia::testing::YieldUntil;
using corvia::testing::YieldUntilHandled;

constexpr int kButtonCommand = 4711;

// A pane that draws the shared list in its own colour, with two caption buttons.
class ListView : public TestView {
public:
  explicit ListView(float red, float green, float blue) : mColor{red, green, blue} {
    scene = [this](TestView& v) {
      ++draws;
      if (!sList || !glIsList(sList)) {
        sList = glGenLists(1);
        glNewList(sList, GL_COMPILE);
        const double centre[3] = {0, 0, 0};
        DrawSphere(centre, 0.8);
        glEndList();
        ++sListsMade;
      }
      v.Materials().SetMaterialColor(mColor);
      glCallList(sList);
      const float white[3] = {1, 1, 1};
      v.Text().DrawCornerText(2, "pane", white, 0, 0, 0.5f);
    };
  }

  bool OnCaptionButton(int index, int command, int) override {
    clicked.push_back({index, command});
    return true;
  }

  static inline GLuint sList = 0;
  static inline int sListsMade = 0;
  int draws = 0;
  std::vector<std::pair<int, int>> clicked;

private:
  float mColor[3];
};

// A frame for the test's panes; it answers as the main window does.
struct PaneFrameForTest : public PaneFrame {
  void SetMouseButtonHints(const std::string& l, const std::string& r, const std::string& b) override {
    hints = l + "|" + r + "|" + b;
  }
  void SetActiveView(NewView* view) override { active = view; }
  std::string hints;
  NewView* active = nullptr;
};

int LargestDifference(const wxImage& image, const GLBitmap& bitmap) {
  if (image.GetWidth() != bitmap.width || image.GetHeight() != bitmap.height) return 1000;
  int worst = 0;
  for (int y = 0; y < bitmap.height; ++y) {
    for (int x = 0; x < bitmap.width; ++x) {
      const uint8_t* p = bitmap.Pixel(x, y);
      worst = std::max({worst, std::abs(image.GetRed(x, y) - p[0]), std::abs(image.GetGreen(x, y) - p[1]),
                        std::abs(image.GetBlue(x, y) - p[2])});
    }
  }
  return worst;
}

class Panes : public ::testing::Test {
protected:
  void SetUp() override {
    ASSERT_TRUE(IsPaneDisplaySupported()) << "no RGBA / depth 24 / stencil 8 visual";
    SetGLErrorListener([](const std::string& location, const std::string& error) {
      ADD_FAILURE() << "GL error at " << location << ": " << error;
    });
    mPreviousFrame = InstallPaneFrame(&mPaneFrame);
    InitGLSelection(kNumSelectionItemKinds);
    mFrame = new wxFrame(nullptr, wxID_ANY, "Panes", wxDefaultPosition, wxSize(640, 300));
    auto* row = new wxBoxSizer(wxHORIZONTAL);
    const float colours[3][3] = {{1, 0.3f, 0.2f}, {0.2f, 0.9f, 0.3f}, {0.3f, 0.4f, 1}};
    for (const auto& c : colours) {
      auto* pane = new PaneWindow(mFrame, std::make_unique<ListView>(c[0], c[1], c[2]));
      ASSERT_TRUE(pane->IsShowingView());
      mPanes.push_back(pane);
      row->Add(pane, 1, wxEXPAND | wxALL, 2);
    }
    mFrame->SetSizer(row);
    const int painted = PaintCount(mFrame);
    mFrame->Show();
    YieldUntil([&] {
      for (PaneWindow* pane : mPanes) {
        if (!pane->GetCanvas()->IsShownOnScreen()) return false;
      }
      return PaintCount(mFrame) > painted;
    });
    PaintAll();
  }

  void TearDown() override {
    // Nothing the panes drew left an error behind.
    if (PreOpenGL(View(0))) {
      for (GLenum e = glGetError(); e != GL_NO_ERROR; e = glGetError()) ADD_FAILURE() << "GL error left: " << e;
      PostOpenGL(View(0));
    }
    mFrame->Destroy();
    YieldUntil([] { return wxTopLevelWindows.empty(); });
    InstallPaneFrame(mPreviousFrame);
    SetGLErrorListener(nullptr);
    EXPECT_EQ(GetOpenGLNesting(), 0);
  }

  ListView* View(int i) { return static_cast<ListView*>(mPanes[i]->GetView()); }

  // Every pane drawn, and on the screen once the display has handled what the paints
  // sent it.
  void PaintAll() {
    RedrawAllViews(true, false);
    UpdateAllViewsNow();
    YieldUntilHandled();
  }

  wxFrame* mFrame = nullptr;
  std::vector<PaneWindow*> mPanes;
  PaneFrameForTest mPaneFrame;
  PaneFrame* mPreviousFrame = nullptr;
};

TEST_F(Panes, SeveralPanesShareOneContextAndOneDisplayList) {
  const void* key = mPanes[0]->ContextKey();
  ASSERT_NE(key, nullptr);
  for (PaneWindow* pane : mPanes) {
    EXPECT_EQ(pane->ContextKey(), key);
    EXPECT_GT(static_cast<ListView*>(pane->GetView())->draws, 0);
    EXPECT_TRUE(pane->GetCaptionStrip()->IsShown());
    EXPECT_EQ(pane->GetCaptionStrip()->GetSize().y, kCaptionHeight);
    EXPECT_EQ(pane->GetCanvas()->GetPosition().y, kCaptionHeight);
  }
  EXPECT_EQ(ListView::sListsMade, 1);
  GLint stencil = 0;
  ASSERT_TRUE(PreOpenGL(View(0)));
  glGetIntegerv(GL_STENCIL_BITS, &stencil);
  PostOpenGL(View(0));
  EXPECT_GE(stencil, 8);

  // Each pane shows the one list in its own colour.
  for (int i = 0; i < 3; ++i) {
    const wxImage image = ScreenPixels(mPanes[i]->GetCanvas());
    const int cx = image.GetWidth() / 2, cy = image.GetHeight() / 2;
    const int rgb[3] = {image.GetRed(cx, cy), image.GetGreen(cx, cy), image.GetBlue(cx, cy)};
    EXPECT_EQ(std::max_element(rgb, rgb + 3) - rgb, i) << "pane " << i;
  }
  RecordProperty("QuadBufferStereo", IsQuadBufferStereoSupported() ? "offered" : "not offered");
}

TEST_F(Panes, CaptionButtonsAnswerClicksAndTheActiveCaptionMoves) {
  ListView* view = View(1);
  view->SetTitle("Base Polyhedron");
  view->Buttons().SetNumButtons(2);
  view->Buttons().DefineButton(0, kButtonCommand, 0, kCaptionButtonSpaced);
  view->Buttons().DefineButton(1, kButtonCommand + 1, 0, 0);
  view->InvalidateCaption();
  view->UpdateNow();
  PixelRect button;
  ASSERT_TRUE(view->Buttons().GetButtonRect(1, button));
  wxWindow* strip = mPanes[1]->GetCaptionStrip();
  EXPECT_EQ(view->Buttons().GetCaptionRect().Width(), strip->GetClientSize().x);

  ClickAt(strip, wxPoint((button.left + button.right) / 2, (button.top + button.bottom) / 2));
  YieldUntil([&] { return !view->clicked.empty(); });
  ASSERT_EQ(view->clicked.size(), 1u);
  EXPECT_EQ(view->clicked[0], std::make_pair(1, kButtonCommand + 1));
  EXPECT_EQ(NewView::GetActiveView(), view);
  EXPECT_EQ(mPaneFrame.active, view);

  // A click in another pane's canvas makes that one active.
  ClickAt(mPanes[2]->GetCanvas(), wxPoint(20, 20));
  YieldUntil([&] { return NewView::GetActiveView() == View(2); });
  EXPECT_EQ(NewView::GetActiveView(), View(2));
  // Under the mouse now, with no button held: the hints of its mouse modes.
  EXPECT_EQ(mPaneFrame.hints, "Tumble|Zoom|Twist");
}

TEST_F(Panes, ResizingKeepsTheReferenceAspectRules) {
  ListView* view = View(0);
  view->Camera().InitFieldOfView(30, 1.0);
  mFrame->SetSize(900, 300);  // wide panes
  YieldUntil([&] { return view->GetClientWidth() > view->GetClientHeight(); });
  EXPECT_NEAR(view->Camera().GetFieldOfViewInEffect(), 30.0, 1e-3);
  mFrame->SetSize(330, 600);  // narrow panes
  YieldUntil([&] { return view->GetClientWidth() < view->GetClientHeight(); });
  ASSERT_LT(view->GetClientWidth(), view->GetClientHeight());
  EXPECT_NEAR(view->Camera().ConvertFieldOfView(-1, -1, -1), 30.0, 1e-3);
  EXPECT_GT(view->Camera().GetFieldOfViewInEffect(), 30.0);
}

TEST_F(Panes, OffScreenRenderingAndPrintingGiveThePanesPixels) {
  ListView* view = View(2);
  const wxImage shown = ScreenPixels(mPanes[2]->GetCanvas());
  GLBitmap bitmap;
  ASSERT_TRUE(view->RenderToBitmap(bitmap, shown.GetWidth(), shown.GetHeight(), 1));
  EXPECT_LE(LargestDifference(shown, bitmap), 1);

  // Printing draws the same picture on a white background onto the page.
  view->OnPreparePrinting();
  wxBitmap page(shown.GetWidth() + 20, shown.GetHeight() + 20);
  {
    wxMemoryDC dc(page);
    dc.SetBackground(*wxBLACK_BRUSH);
    dc.Clear();
    EXPECT_TRUE(DoPrint(view, dc, wxRect(10, 10, shown.GetWidth(), shown.GetHeight()), false, wxSize()));
  }
  GLBitmap printedImage;
  ASSERT_TRUE(view->RenderToBitmap(printedImage, shown.GetWidth(), shown.GetHeight(), 1));
  view->OnEndPrinting();
  const wxImage printed = page.ConvertToImage().GetSubImage(wxRect(10, 10, shown.GetWidth(), shown.GetHeight()));
  EXPECT_LE(LargestDifference(printed, printedImage), 1);
  EXPECT_EQ(printed.GetRed(3, 3), 255);  // white paper where the background was
  EXPECT_EQ(page.ConvertToImage().GetRed(2, 2), 0);
}

TEST_F(Panes, FullScreenAndBack) {
  ListView* view = View(0);
  const wxSize before = mPanes[0]->GetSize();
  view->SetFullScreen(true);
  YieldUntil([&] { return mPanes[0]->GetParent() != mFrame && mPanes[0]->IsShownOnScreen(); });
  YieldUntilHandled();
  EXPECT_EQ(view->GetViewGroup().views.fullScreen, view);
  EXPECT_FALSE(mPanes[0]->GetCaptionStrip()->IsShown());
  EXPECT_NE(mPanes[0]->GetParent(), mFrame);
  const int draws = view->draws;
  view->Invalidate(true);
  view->UpdateNow();
  YieldUntil([&] { return view->draws > draws; });
  EXPECT_GT(view->draws, draws);
  ExitFullScreen();
  YieldUntil([&] { return mPanes[0]->GetParent() == mFrame && mPanes[0]->GetSize() == before; });
  YieldUntilHandled();
  EXPECT_EQ(mPanes[0]->GetParent(), mFrame);
  EXPECT_EQ(mPanes[0]->GetSize(), before);
  EXPECT_TRUE(mPanes[0]->GetCaptionStrip()->IsShown());
  PaintAll();
  const wxImage image = ScreenPixels(mPanes[0]->GetCanvas());
  EXPECT_GT(image.GetRed(image.GetWidth() / 2, image.GetHeight() / 2), 128);
}

TEST_F(Panes, NothingIsPaintedWhileNothingChanges) {
  YieldUntilHandled();
  std::vector<int> before;
  for (int i = 0; i < 3; ++i) before.push_back(View(i)->draws);
  // Time passes with nothing to do: what is checked is that nothing paints meanwhile.
  YieldFor(500);
  for (int i = 0; i < 3; ++i) EXPECT_EQ(View(i)->draws, before[i]);
  // A message asks for one paint of its pane only.
  NewView::SetMessage(View(1), "Wrapped from last to first file in folder");
  YieldUntil([&] { return View(1)->draws > before[1]; });
  // A second paint it had asked for would have come by the time all is handled.
  YieldUntilHandled();
  EXPECT_EQ(View(1)->draws, before[1] + 1);
  EXPECT_EQ(View(0)->draws, before[0]);
}

TEST_F(Panes, EachPaneShowsTheRainbowColoursOfItsOwnFrameWhileAnotherIsInstalled) {
  // Rainbow colours grey the first pane's red; with the normal lights kept the grey
  // shows as it is. The panes are painted on the screen while another frame is installed.
  ViewGroup& own = View(0)->GetViewGroup();
  PaneFrameForTest other;
  struct Reinstall {
    PaneFrame* frame;
    ~Reinstall() { InstallPaneFrame(frame); }
  } reinstall{&mPaneFrame};
  auto paintOwn = [&] {
    InstallPaneFrame(&other);
    RedrawAllViews(own, false, false);
    for (PaneWindow* pane : mPanes) pane->GetView()->UpdateNow();
    YieldUntilHandled();
    const wxImage image = ScreenPixels(mPanes[0]->GetCanvas());
    const int cx = image.GetWidth() / 2, cy = image.GetHeight() / 2;
    return std::array<int, 3>{image.GetRed(cx, cy), image.GetGreen(cx, cy), image.GetBlue(cx, cy)};
  };
  auto rainbow = [](PaneFrame& frame, bool on) {
    InstallPaneFrame(&frame);
    SetRainbowFlags(kRainbowKeepLights, true);
    SetRainbowColors(on);
  };
  const std::array<int, 3> red = paintOwn();
  ASSERT_GT(red[0], red[1] + 40);

  rainbow(mPaneFrame, true);
  const std::array<int, 3> grey = paintOwn();
  EXPECT_LT(*std::max_element(grey.begin(), grey.end()) - *std::min_element(grey.begin(), grey.end()), 32)
      << grey[0] << " " << grey[1] << " " << grey[2] << " from " << red[0] << " " << red[1] << " " << red[2];

  // The other way round: the installed frame's rainbow colours leave the pane's own.
  rainbow(mPaneFrame, false);
  rainbow(other, true);
  EXPECT_EQ(paintOwn(), red);
}

}  // namespace
