// A picture of the whole main window against the reference in tests/fixtures:
// where its panes stand. (It runs after the other window tests: the panes it paints
// must not be on screen while the pane tests read the screen.)

#include <gtest/gtest.h>
#include <wx/dcmemory.h>
#include <wx/dcscreen.h>
#include <wx/glcanvas.h>
#include <wx/image.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <memory>

#include "platform/SettingsStore.h"
#include "render/NewView.h"
#include "tests/gui/GuiTestSupport.h"
#include "tests/support/TestSupport.h"
#include "ui/CommandIds.h"
#include "ui/CommandTable.h"
#include "ui/MainFrame.h"
#include "ui/PaneWindow.h"

namespace {

using namespace corvia;
using corvia::testing::PaintCount;
using corvia::testing::YieldUntil;
using corvia::testing::YieldUntilHandled;

class MainWindowPicture : public ::testing::Test {
 protected:
  void SetUp() override {
    mStore = std::make_unique<platform::SettingsStore>(corvia::testing::ScratchDir("picture") / "settings.conf");
    mPreviousStore = platform::SettingsStore::InstallInstance(mStore.get());
    SetStartMaximised(false);
    // The panes' grey, whatever the tests before left.
    SetDefaultBackgroundColor(0.5f, 0.5f, 0.5f);
    LoadWindowPlacement(1000, 800);
    mFrame = corvia::testing::ShowPainted(new CMainFrame);
  }
  void TearDown() override {
    mFrame->Close(true);
    YieldUntil([] { return wxTopLevelWindows.empty(); });
    platform::SettingsStore::InstallInstance(mPreviousStore);
  }
  void Command(int id) {
    wxCommandEvent event(wxEVT_MENU, ToWxId(id));
    mFrame->GetEventHandler()->ProcessEvent(event);
    YieldUntilHandled();
  }
  CMainFrame* mFrame = nullptr;
  std::unique_ptr<platform::SettingsStore> mStore;
  platform::SettingsStore* mPreviousStore = nullptr;
};

}  // namespace

namespace {

// The runs of pane background (the panes' grey, 128 in each channel) along a row
// and a column through the middle of the window: where the panes begin and end. The
// fonts of captions, menus and toolbars may differ between machines; these runs do
// not.
std::vector<std::pair<int, int>> GreyRuns(const wxImage& image, bool alongRow, int at) {
  std::vector<std::pair<int, int>> runs;
  const int length = alongRow ? image.GetWidth() : image.GetHeight();
  int start = -1;
  for (int i = 0; i <= length; ++i) {
    bool grey = false;
    if (i < length) {
      const int x = alongRow ? i : at, y = alongRow ? at : i;
      grey = std::abs(image.GetRed(x, y) - 128) <= 2 && std::abs(image.GetGreen(x, y) - 128) <= 2 &&
             std::abs(image.GetBlue(x, y) - 128) <= 2;
    }
    if (grey && start < 0) start = i;
    if (!grey && start >= 0) {
      if (i - start >= 20) runs.emplace_back(start, i);
      start = -1;
    }
  }
  return runs;
}

wxImage FramePixels(wxWindow* frame) {
  const wxRect rect = frame->GetScreenRect();
  wxBitmap bitmap(rect.GetSize());
  wxMemoryDC memory(bitmap);
  wxScreenDC screen;
  memory.Blit(0, 0, rect.width, rect.height, &screen, rect.x, rect.y);
  memory.SelectObject(wxNullBitmap);
  return bitmap.ConvertToImage();
}

TEST_F(MainWindowPicture, WholeWindowMatchesTheReferenceLayout) {
  if (!wxImage::FindHandler(wxBITMAP_TYPE_PNG)) wxImage::AddHandler(new wxPNGHandler);
  Command(kCmdLayout4);  // Layout4Grid: two columns, two rows of panes
  // The window painted again, every pane in its new place.
  std::vector<int> painted;
  for (PaneWindow* pane : mFrame->GetPaneWindows()) painted.push_back(PaintCount(pane->GetCanvas()));
  mFrame->Refresh();
  YieldUntil([&] {
    const std::vector<PaneWindow*> panes = mFrame->GetPaneWindows();
    for (size_t i = 0; i < panes.size() && i < painted.size(); ++i) {
      if (PaintCount(panes[i]->GetCanvas()) <= painted[i]) return false;
    }
    return panes.size() == 4;
  });
  YieldUntilHandled();
  const wxImage shot = FramePixels(mFrame);
  // Where the panes' drawing areas stand in the window, as the window lays them out.
  std::vector<wxRect> canvases;
  for (PaneWindow* pane : mFrame->GetPaneWindows()) {
    wxRect r = pane->GetCanvas()->GetScreenRect();
    r.Offset(-mFrame->GetScreenPosition());
    canvases.push_back(r);
  }
  auto runsOf = [&](bool alongRow, int at) {
    std::vector<std::pair<int, int>> runs;
    for (const wxRect& r : canvases) {
      if (alongRow && at >= r.GetTop() && at <= r.GetBottom()) runs.emplace_back(r.GetLeft(), r.GetRight() + 1);
      if (!alongRow && at >= r.GetLeft() && at <= r.GetRight()) runs.emplace_back(r.GetTop(), r.GetBottom() + 1);
    }
    std::sort(runs.begin(), runs.end());
    return runs;
  };
  const std::filesystem::path reference = corvia::testing::FixturesDir() / "main-window.png";
  if (std::getenv("CORVIA_WRITE_REFERENCE")) shot.SaveFile(reference.string(), wxBITMAP_TYPE_PNG);
  wxImage expected;
  ASSERT_TRUE(expected.LoadFile(reference.string(), wxBITMAP_TYPE_PNG)) << reference;
  // The same window size, and panes where the reference has them, within 3 pixels.
  ASSERT_EQ(shot.GetSize(), expected.GetSize());
  const int rows[] = {shot.GetHeight() * 2 / 5, shot.GetHeight() * 4 / 5};
  for (int y : rows) {
    const auto want = GreyRuns(expected, true, y), got = runsOf(true, y);
    ASSERT_EQ(got.size(), want.size()) << "row " << y;
    ASSERT_EQ(want.size(), 2u);
    for (size_t i = 0; i < want.size(); ++i) {
      EXPECT_NEAR(got[i].first, want[i].first, 3);
      EXPECT_NEAR(got[i].second, want[i].second, 3);
    }
  }
  const int column = GreyRuns(expected, true, rows[0])[0].first + 20;
  const auto want = GreyRuns(expected, false, column), got = runsOf(false, column);
  ASSERT_EQ(want.size(), 2u);
  ASSERT_EQ(got.size(), want.size());
  for (size_t i = 0; i < want.size(); ++i) {
    EXPECT_NEAR(got[i].first, want[i].first, 3);
    EXPECT_NEAR(got[i].second, want[i].second, 3);
  }
}

}  // namespace
