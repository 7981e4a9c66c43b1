// Panes as a list with redraw flags, messages, caption buttons, activation, mouse
// and key tracking; no GL involved.

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "render/CaptionWnd.h"
#include "render/GLText.h"
#include "render/LightSets.h"
#include "render/NewView.h"
#include "render/OffscreenViewWindow.h"
#include "render/PaneFrame.h"
#include "render/ViewGroup.h"
#include "tests/render/RenderTestSupport.h"
#include "tests/support/TestSupport.h"

namespace {

using namespace corvia;
using corvia::testing::TestView;

class CountingView : public NewView {
public:
  std::vector<std::pair<int, int>> clicks;  // index, command
  bool OnCaptionButton(int index, int command, int) override {
    clicks.emplace_back(index, command);
    return true;
  }
  void GetMouseButtonHelp(std::string& left, std::string& right, std::string& both) override {
    left = GetViewGroup().mouse.modifiers & kModifierSpace ? "Pan" : "Tumble";
    right = "Zoom";
    both = "Twist";
  }
};

// An off-screen window showing the view; null (failing the test) when there is none.
std::unique_ptr<OffscreenViewWindow> ShowInWindow(NewView* view, int width, int height) {
  auto window = OffscreenViewWindow::Create(width, height);
  if (!window || !window->Show(view)) {
    ADD_FAILURE() << "no off-screen window";
    return nullptr;
  }
  return window;
}

std::vector<int> Indexes() {
  std::vector<int> out;
  for (NewView* v = NewView::GetFirstView(); v; v = v->GetNext()) out.push_back(v->GetIndex());
  return out;
}

TEST(NewView, ListStaysNumberedInOrderWhenViewsMoveAndGo) {
  std::vector<std::unique_ptr<NewView>> views;
  for (int i = 0; i < 5; ++i) views.push_back(std::make_unique<NewView>());
  EXPECT_EQ(Indexes(), (std::vector<int>{0, 1, 2, 3, 4}));

  NewView* third = views[3].get();
  third->SetViewIndex(1);
  EXPECT_EQ(Indexes(), (std::vector<int>{0, 1, 2, 3, 4}));
  EXPECT_EQ(FindViewByIndex(1), third);
  EXPECT_EQ(FindViewByIndex(2), views[1].get());
  EXPECT_EQ(third->GetPrevious(), views[0].get());

  // An index no view holds appends at the end.
  views[0]->SetIndex(17);
  EXPECT_EQ(NewView::GetLastView(), views[0].get());
  EXPECT_EQ(views[0]->GetIndex(), 4);
  EXPECT_EQ(Indexes(), (std::vector<int>{0, 1, 2, 3, 4}));

  views.erase(views.begin() + 2);
  EXPECT_EQ(Indexes(), (std::vector<int>{0, 1, 2, 3}));
  views.clear();
  EXPECT_EQ(NewView::GetFirstView(), nullptr);
  EXPECT_EQ(FindViewByIndex(0), nullptr);
}

TEST(NewView, RedrawsKeepOrClearTheMessage) {
  NewView a, b;
  NewView::SetMessage(&a, "Compound has %d parts.", 5);
  b.ClearRedrawFlags(~0u);
  ASSERT_STREQ(a.GetMessage(), "Compound has 5 parts.");
  EXPECT_TRUE(a.GetRedrawFlags() & kRedrawKeepMessage);

  // A kept message survives one plain redraw; then the paint clears the flag and
  // the next plain redraw clears the message.
  RedrawAllViews(false, false);
  EXPECT_STREQ(a.GetMessage(), "Compound has 5 parts.");
  a.ClearRedrawFlags(kRedrawClient | kRedrawKeepMessage);
  RedrawAllViews(false, false);
  EXPECT_EQ(a.GetMessage(), nullptr);

  NewView::SetMessage(&a, "kept");
  a.ClearRedrawFlags(kRedrawClient | kRedrawKeepMessage);
  RedrawAllViews(true, true);
  EXPECT_STREQ(a.GetMessage(), "kept");
  EXPECT_TRUE(a.GetRedrawFlags() & kRedrawCaption);
  EXPECT_TRUE(b.GetRedrawFlags() & kRedrawCaption);

  // The same text again still asks for a repaint.
  a.ClearRedrawFlags(~0u);
  NewView::SetMessage(&a, "kept");
  EXPECT_TRUE(a.GetRedrawFlags() & kRedrawClient);

  // Blank texts and a null format clear; a null view is ignored.
  NewView::SetMessage(&a, " \n\t ");
  EXPECT_EQ(a.GetMessage(), nullptr);
  NewView::SetMessage(&a, "again");
  NewView::SetMessage(&a, nullptr);
  EXPECT_EQ(a.GetMessage(), nullptr);
  NewView::SetMessage(nullptr, "nobody");
}

TEST(NewView, LongMessagesAreCutWithAnEllipsis) {
  NewView view;
  std::string text(3000, 'x');
  NewView::SetMessage(&view, "%s", text.c_str());
  ASSERT_NE(view.GetMessage(), nullptr);
  std::string shown = view.GetMessage();
  EXPECT_LE(shown.size(), kViewMessageSize - 1);
  EXPECT_EQ(shown.substr(shown.size() - 3), "...");
}

TEST(NewView, CaptionButtonsLieRightToLeftWithTheirSpacing) {
  NewView view;
  auto window = ShowInWindow(&view, 200, 100);
  ASSERT_TRUE(window);
  ASSERT_NE(window->GetCaption(), nullptr);
  EXPECT_EQ(view.Buttons().GetCaptionRect(), (PixelRect{0, 0, 200, kCaptionHeight}));

  view.Buttons().SetNumButtons(2);
  view.Buttons().DefineButton(0, 101, 7, kCaptionButtonSpaced);
  view.Buttons().DefineButton(1, 102, 8, 0);
  PixelRect first, second;
  ASSERT_TRUE(view.Buttons().GetButtonRect(0, first));
  ASSERT_TRUE(view.Buttons().GetButtonRect(1, second));
  EXPECT_EQ(first.right, 198);
  EXPECT_EQ(first.Width(), kCaptionButtonWidth);
  EXPECT_EQ(first.Height(), kCaptionButtonHeight);
  EXPECT_EQ(first.top, (kCaptionHeight - kCaptionButtonHeight) / 2);
  EXPECT_EQ(first.right - second.right, 18);
  EXPECT_FALSE(view.Buttons().GetButtonRect(2, first));

  corvia::testing::ExpectInternalErrors(1);
  view.Buttons().DefineButton(2, 1, 1, 0);
  EXPECT_EQ(corvia::testing::Platform().messages.CountTitled("Internal Error"), 1);
  EXPECT_NE(corvia::testing::Platform().messages.Boxes().back().text.find("DefineButton: index 2 invalid"),
            std::string::npos);
  window->Close();
}

TEST(NewView, ACaptionButtonRunsOnlyWhenReleasedOverIt) {
  CountingView view;
  auto window = ShowInWindow(&view, 200, 100);
  ASSERT_TRUE(window);
  view.Buttons().SetNumButtons(1);
  view.Buttons().DefineButton(0, 33, 0, 0);
  PixelRect button;
  ASSERT_TRUE(view.Buttons().GetButtonRect(0, button));
  const int cx = (button.left + button.right) / 2, cy = (button.top + button.bottom) / 2;

  EXPECT_TRUE(view.OnCaptionButtonDown(kMouseButtonLeft, cx, cy));
  EXPECT_EQ(view.Buttons().GetPressedButton(), 0);
  EXPECT_TRUE(view.Buttons().IsPressedLook());
  view.OnCaptionMouseMove(10, cy);
  EXPECT_FALSE(view.Buttons().IsPressedLook());
  view.OnCaptionButtonUp(kMouseButtonLeft, 10, cy);
  EXPECT_TRUE(view.clicks.empty());
  EXPECT_EQ(view.Buttons().GetPressedButton(), -1);

  view.OnCaptionButtonDown(kMouseButtonLeft, cx, cy);
  view.OnCaptionButtonUp(kMouseButtonLeft, cx, cy);
  ASSERT_EQ(view.clicks.size(), 1u);
  EXPECT_EQ(view.clicks[0], std::make_pair(0, 33));
  // A press beside the buttons only activates the view.
  EXPECT_FALSE(view.OnCaptionButtonDown(kMouseButtonLeft, 5, cy));
  EXPECT_EQ(NewView::GetActiveView(), &view);
  window->Close();
}

TEST(NewView, ActivationMovesTheActiveCaptionAndTellsTheFrame) {
  NewView a, b;
  a.Activate(true);
  EXPECT_EQ(NewView::GetActiveView(), &a);
  EXPECT_EQ(GetHeadlessPaneFrame().mActiveView, &a);
  a.ClearRedrawFlags(~0u);
  NewView::SetMessage(&b, "note");
  b.Activate(false);
  EXPECT_EQ(NewView::GetActiveView(), &b);
  EXPECT_EQ(NewView::GetViewUnderMouse(), &b);
  EXPECT_TRUE(a.GetRedrawFlags() & kRedrawCaption);
  EXPECT_EQ(b.GetMessage(), nullptr);
  GetHeadlessPaneFrame().mActiveView = nullptr;
}

TEST(NewView, AViewThatGoesLeavesNoGlobalPointingAtIt) {
  auto view = std::make_unique<NewView>();
  auto window = ShowInWindow(view.get(), 50, 50);
  ASSERT_TRUE(window);
  view->Activate(false);
  view->OnMouseMove(3, 4, 0);
  view->SetFullScreen(true);
  EXPECT_EQ(NewView::GetViewUnderMouse(), view.get());
  const ViewGroup& group = view->GetViewGroup();
  EXPECT_EQ(group.views.fullScreen, view.get());
  window->Close();
  view.reset();
  EXPECT_EQ(NewView::GetActiveView(), nullptr);
  EXPECT_EQ(NewView::GetViewUnderMouse(), nullptr);
  EXPECT_EQ(group.views.fullScreen, nullptr);
  EXPECT_TRUE(GetCaptionsShown());
  UpdateMouseHelp();  // nothing to ask: all "-"
  EXPECT_EQ(GetHeadlessPaneFrame().mLeft, "-");
}

TEST(NewView, ButtonsAndKeysFeedTheMouseHelp) {
  CountingView view;
  auto window = ShowInWindow(&view, 80, 60);
  ASSERT_TRUE(window);
  view.OnButtonDown(kMouseButtonLeft, 10, 20, 0);
  EXPECT_EQ(NewView::GetMouseButtonsHeld(), kMouseButtonLeft);
  EXPECT_TRUE(window->IsMouseCaptured());
  int x = 0, y = 0;
  view.GetViewGroup().mouse.GetPressPoint(x, y);
  EXPECT_EQ(x, 10);
  EXPECT_EQ(y, 20);
  EXPECT_EQ(GetHeadlessPaneFrame().mLeft, "Tumble");

  view.OnButtonDown(kMouseButtonRight, 11, 21, kMouseKeyShift);
  EXPECT_EQ(view.GetViewGroup().mouse.modifiers, kModifierShift);
  view.OnButtonUp(kMouseButtonRight, 11, 21, 0);
  EXPECT_TRUE(window->IsMouseCaptured());
  view.OnButtonUp(kMouseButtonLeft, 11, 21, 0);
  EXPECT_FALSE(window->IsMouseCaptured());

  view.OnKeyDown(ViewKey::Space, false);
  EXPECT_EQ(view.GetViewGroup().mouse.modifiers, kModifierSpace);
  EXPECT_EQ(GetHeadlessPaneFrame().mLeft, "Pan");
  const int updates = GetHeadlessPaneFrame().mHintUpdates;
  view.OnKeyDown(ViewKey::Space, true);  // a repeat changes nothing
  EXPECT_EQ(GetHeadlessPaneFrame().mHintUpdates, updates);
  view.OnKillFocus();
  EXPECT_EQ(view.GetViewGroup().mouse.modifiers, 0);
  EXPECT_EQ(GetHeadlessPaneFrame().mLeft, "Tumble");

  // Space is read from the keyboard when a mouse event arrives.
  window->SetSpaceDown(true);
  view.OnMouseMove(12, 22, kMouseKeyControl);
  EXPECT_EQ(view.GetViewGroup().mouse.modifiers, kModifierCtrl | kModifierSpace);
  window->SetSpaceDown(false);
  view.OnMouseMove(12, 22, 0);
  window->Close();
}

TEST(NewView, ScrollPositionsStayInsideTheContent) {
  NewView view;
  auto window = ShowInWindow(&view, 100, 80);
  ASSERT_TRUE(window);
  view.SetScrollSizes(300, 50);
  view.SetScrollPos(500, 30);
  EXPECT_EQ(window->GetScrollPosition(false), 200);
  // Content lower than the window: the only position is 0.
  EXPECT_EQ(window->GetScrollPosition(true), 0);
  view.SetScrollPos(-5, 0);
  EXPECT_EQ(window->GetScrollPosition(false), 0);
  EXPECT_TRUE(window->HasScrollBar(false));
  EXPECT_FALSE(window->HasScrollBar(true));
  window->Close();
}

TEST(NewView, CaptionFlagIsClearedWhileCaptionsAreHidden) {
  NewView view;
  auto window = ShowInWindow(&view, 100, 80);
  ASSERT_TRUE(window);
  view.SetFullScreen(true);
  EXPECT_FALSE(GetCaptionsShown());
  EXPECT_TRUE(window->IsFullScreen());
  EXPECT_EQ(window->GetCaption(), nullptr);
  view.ClearRedrawFlags(~0u);
  view.InvalidateCaption();
  view.UpdateNow();
  EXPECT_EQ(view.GetRedrawFlags(), 0u);
  ExitFullScreen();
  EXPECT_TRUE(GetCaptionsShown());
  EXPECT_FALSE(view.IsFullScreen());
  EXPECT_NE(window->GetCaption(), nullptr);

  // With captions shown, a marked caption is painted at once.
  const int repaints = window->GetCaptionRepaints();
  view.ClearRedrawFlags(~0u);
  view.InvalidateCaption();
  view.UpdateNow();
  EXPECT_EQ(window->GetCaptionRepaints(), repaints + 1);
  EXPECT_EQ(view.GetRedrawFlags(), 0u);

  view.SetTitle("Dual of Base Polyhedron");
  EXPECT_EQ(window->GetTitle(), "Dual of Base Polyhedron");
  EXPECT_EQ(window->GetCaption()->GetText(), "Dual of Base Polyhedron");
  window->Close();
}

// A frame of the test's own: it holds the state its panes share, apart from any other.
struct OtherFrame : public PaneFrame {
  void SetMouseButtonHints(const std::string&, const std::string&, const std::string&) override {}
  void SetActiveView(NewView* view) override { active = view; }
  NewView* active = nullptr;
};

TEST(NewView, TwoFramesShareNoStateOfTheirPanes) {
  OtherFrame first, second;
  PaneFrame* before = InstallPaneFrame(&first);
  {
    TestView a;
    a.SetSizeForTest(100, 100);
    a.Camera().InitCamera();
    a.Activate(true);
    a.OnButtonDown(kMouseButtonLeft, 10, 20, 0);
    a.Camera().StoreCamera(1);
    const float red[4] = {1, 0, 0, 1};
    SetGLTextColor(red);
    SetLinkedViews(true);
    SetDrawLineWidth(a.GetViewGroup(), 3.0f);
    CreateBuiltInLightSets();
    const int lightSets = CountLightSets();
    ASSERT_GT(lightSets, 0);

    // The second frame's panes start from nothing the first frame's did.
    InstallPaneFrame(&second);
    EXPECT_EQ(NewView::GetFirstView(), nullptr);
    EXPECT_EQ(NewView::GetActiveView(), nullptr);
    EXPECT_EQ(NewView::GetMouseButtonsHeld(), 0);
    EXPECT_FALSE(IsCameraStored(*second.GetViewGroup(), 1));
    float color[4];
    GetGLTextColor(color);
    EXPECT_EQ(color[1], 1.0f);
    EXPECT_FALSE(GetLinkedViews());
    EXPECT_EQ(GetDrawLineWidth(*second.GetViewGroup()), 1.0f);
    EXPECT_EQ(CountLightSets(), 0);
    {
      NewView b;
      b.Activate(true);
      EXPECT_EQ(NewView::GetFirstView(), &b);
      EXPECT_EQ(b.GetIndex(), 0);
      EXPECT_EQ(second.active, &b);
      // A view of the first frame acts on its own frame's panes, whichever is installed.
      a.OnButtonUp(kMouseButtonLeft, 10, 20, 0);
      EXPECT_EQ(a.GetViewGroup().mouse.buttons, 0);
      EXPECT_EQ(a.GetViewGroup().views.active, &a);
      EXPECT_EQ(b.GetNext(), nullptr);
    }

    // The first frame's state is as its panes left it.
    InstallPaneFrame(&first);
    EXPECT_EQ(NewView::GetFirstView(), &a);
    EXPECT_EQ(NewView::GetActiveView(), &a);
    EXPECT_EQ(first.active, &a);
    EXPECT_TRUE(IsCameraStored(*first.GetViewGroup(), 1));
    GetGLTextColor(color);
    EXPECT_EQ(color[1], 0.0f);
    EXPECT_TRUE(GetLinkedViews());
    EXPECT_EQ(GetDrawLineWidth(*first.GetViewGroup()), 3.0f);
    EXPECT_EQ(CountLightSets(), lightSets);
    FreeLightSets();
  }
  InstallPaneFrame(before);
}

}  // namespace
