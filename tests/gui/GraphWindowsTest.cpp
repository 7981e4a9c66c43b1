// The graph windows and the text-file bar on a real (virtual) display: the current
// time set by the left button and clamped, panning with the right button, picking
// nodes, the mouse capture of two buttons, the curves drawn where their mapping
// puts them, and the text file shown in the bar.

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <wx/frame.h>
#include <wx/textctrl.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <limits>
#include <string>

#include "core/Paths.h"
#include "tests/gui/GuiTestSupport.h"
#include "tests/support/TestSupport.h"
#include "ui/GraphBar.h"
#include "ui/GraphCurves.h"
#include "ui/TextFileBar.h"

namespace {

using namespace corvia;
using corvia::testing::ScreenPixels;
using corvia::testing::PaintCount;
using corvia::testing::YieldUntil;
using corvia::testing::YieldUntilHandled;
using corvia::testing::YieldUntilPainted;

constexpr int kPlotWidth = 101;
constexpr int kPlotHeight = 81;

// Lines may be drawn smoothed: a pixel of a line is near its colour.
bool Near(const wxImage& image, int x, int y, const wxColour& colour) {
  constexpr int kTolerance = 40;
  return std::abs(image.GetRed(x, y) - colour.Red()) <= kTolerance &&
         std::abs(image.GetGreen(x, y) - colour.Green()) <= kTolerance &&
         std::abs(image.GetBlue(x, y) - colour.Blue()) <= kTolerance;
}

int gTimeChanges = 0;
void CountTimeChange() { ++gTimeChanges; }

class GraphFrame : public wxFrame {
 public:
  GraphFrame() : wxFrame(nullptr, wxID_ANY, "Graphs", wxPoint(30, 30), wxSize(300, 260)) {
    bar = new GraphBar(this, wxID_ANY, kPlotHeight, this);
    bar->SetSize(0, 0, kPlotWidth, kPlotHeight);
    keys = new GraphKeyBar(this, wxID_ANY, kPlotHeight, this);
    keys->SetSize(0, 100, kPlotWidth, kPlotHeight);
  }
  GraphBar* bar;
  GraphKeyBar* keys;
};

class GraphWindows : public ::testing::Test {
 protected:
  void SetUp() override {
    GetGraphCurves().Clear();
    GetGraphCurves().SetTimeRange(0, 1);
    SetGraphTime(0.0f);
    SetGraphTimeCallback(CountTimeChange);
    gTimeChanges = 0;
    frame = new GraphFrame;
    const int painted = PaintCount(frame->bar);
    frame->Show();
    YieldUntil([&] { return frame->IsShownOnScreen() && PaintCount(frame->bar) > painted; });
    YieldUntilHandled();
  }
  void TearDown() override {
    SetGraphTimeCallback(nullptr);
    for (wxWindow* w : wxTopLevelWindows) w->Destroy();
    YieldUntil([] { return wxTopLevelWindows.empty(); });
    GetGraphCurves().Clear();
    GetGraphCurves().SetTimeRange(0, 1);
  }
  // A mouse event as the window would get it.
  static void Mouse(wxWindow* window, wxEventType type, int x, int y, bool ctrl = false) {
    wxMouseEvent event(type);
    event.SetPosition(wxPoint(x, y));
    event.SetControlDown(ctrl);
    event.SetEventObject(window);
    window->GetEventHandler()->ProcessEvent(event);
  }
  // A curve of one component through value `a` at time 0 rising by b per time unit.
  static GraphCurve* Line(double a, double b) {
    GraphCurves& curves = GetGraphCurves();
    GraphCurve* curve = curves.AddCurve(1);
    GraphNode* node = curves.AddNode(curve, 0.0);
    double* k = node->Coefficients(0);
    k[0] = k[6] = a;
    k[1] = k[5] = b;
    return curve;
  }
  GraphFrame* frame = nullptr;
};

TEST_F(GraphWindows, TheTimeIsClampedAndRepeatedTimesDoNothing) {
  GraphCurve* curve = Line(0.0, 1.0);
  SetGraphTime(-0.5f);
  EXPECT_EQ(GetGraphTime(), 0.0f);
  EXPECT_EQ(gTimeChanges, 1);
  SetGraphTime(1.5f);
  EXPECT_EQ(GetGraphTime(), 1.0f);
  EXPECT_DOUBLE_EQ(curve->mOutput[0], 1.0) << "the curves follow the time";
  EXPECT_EQ(gTimeChanges, 2);
  SetGraphTime(1.5f);
  EXPECT_EQ(gTimeChanges, 3) << "compared before clamping: the same request evaluates again";
  curve->mOutput[0] = -7;
  SetGraphTime(1.0f);
  EXPECT_EQ(gTimeChanges, 3) << "the current time again does nothing";
  EXPECT_DOUBLE_EQ(curve->mOutput[0], -7);
  SetGraphTime(std::numeric_limits<float>::quiet_NaN());
  EXPECT_EQ(GetGraphTime(), 1.0f) << "not a number is ignored";
}

TEST_F(GraphWindows, TheLeftButtonSetsTheTimeOnlyInAGraphBar) {
  GetGraphCurves().SetTimeRange(0, 2);
  Mouse(frame->keys, wxEVT_LEFT_DOWN, 75, 10);
  EXPECT_EQ(GetGraphTime(), 0.0f) << "a key bar picks instead";
  Mouse(frame->keys, wxEVT_LEFT_UP, 75, 10);
  Mouse(frame->bar, wxEVT_LEFT_DOWN, 75, 10);
  EXPECT_EQ(GetGraphTime(), 1.0f) << "1.5 clamped";
  Mouse(frame->bar, wxEVT_MOTION, 25, 10);
  EXPECT_FLOAT_EQ(GetGraphTime(), 0.5f) << "the time follows the pointer while the button is down";
  Mouse(frame->bar, wxEVT_LEFT_UP, 25, 10);
  Mouse(frame->bar, wxEVT_MOTION, 40, 10);
  EXPECT_FLOAT_EQ(GetGraphTime(), 0.5f);
  // The key bar takes the time when it paints again.
  YieldUntil([&] { return frame->keys->GetCursorTime() == 0.5f; });
  EXPECT_FLOAT_EQ(frame->keys->GetCursorTime(), 0.5f) << "every graph window shows the time";
}

TEST_F(GraphWindows, TheRightButtonPansTimeAndTheValuesOfSelectedCurves) {
  GraphCurve* still = Line(0.2, 0);
  GraphCurve* moving = Line(0.5, 0);
  GetGraphCurves().SelectKey(moving->GetNodes()[0].get(), 0, true, false);
  Mouse(frame->bar, wxEVT_RIGHT_DOWN, 100, 40);
  Mouse(frame->bar, wxEVT_MOTION, 110, 56);
  EXPECT_NEAR(GetGraphCurves().GetTimeStart(), -0.1, 1e-12);
  EXPECT_NEAR(GetGraphCurves().GetTimeEnd(), 0.9, 1e-12);
  EXPECT_NEAR(moving->mBottom, -0.2, 1e-12);
  EXPECT_NEAR(moving->mTop, 0.8, 1e-12);
  EXPECT_EQ(still->mBottom, 0.0);
  EXPECT_EQ(still->mTop, 1.0);
  EXPECT_EQ(GetGraphTime(), 0.0f) << "panning leaves the time";
  Mouse(frame->bar, wxEVT_RIGHT_UP, 110, 56);
}

TEST_F(GraphWindows, BothButtonsPanNothingAndKeepTheCaptureTillTheLast) {
  Mouse(frame->bar, wxEVT_RIGHT_DOWN, 10, 10);
  EXPECT_TRUE(frame->bar->HasCapture());
  Mouse(frame->bar, wxEVT_LEFT_DOWN, 20, 10);
  EXPECT_FLOAT_EQ(GetGraphTime(), 0.2f);
  Mouse(frame->bar, wxEVT_MOTION, 60, 30);
  EXPECT_EQ(GetGraphCurves().GetTimeStart(), 0.0) << "no panning with both buttons";
  EXPECT_FLOAT_EQ(GetGraphTime(), 0.6f) << "the time still follows";
  Mouse(frame->bar, wxEVT_RIGHT_UP, 60, 30);
  EXPECT_TRUE(frame->bar->HasCapture()) << "the left button still holds it";
  Mouse(frame->bar, wxEVT_LEFT_UP, 60, 30);
  EXPECT_FALSE(frame->bar->HasCapture());
  EXPECT_FALSE(frame->bar->IsLeftDragging() || frame->bar->IsRightDragging());
}

TEST_F(GraphWindows, KeyBarsPickNodes) {
  GraphCurve* curve = Line(0.5, 0);
  GraphCurves& curves = GetGraphCurves();
  GraphNode* second = curves.AddNode(curve, 0.5);
  second->Coefficients(0)[0] = 0.25;
  GraphNode* first = curve->GetNodes()[0].get();
  // Nodes at (0, 40) and (50, 20).
  Mouse(frame->keys, wxEVT_LEFT_DOWN, 2, 42);
  Mouse(frame->keys, wxEVT_LEFT_UP, 2, 42);
  EXPECT_EQ(frame->keys->GetPickedNode(), first);
  EXPECT_TRUE(first->mSelected);
  Mouse(frame->keys, wxEVT_LEFT_DOWN, 50, 20, true);
  Mouse(frame->keys, wxEVT_LEFT_UP, 50, 20);
  EXPECT_TRUE(first->mSelected && second->mSelected) << "Ctrl adds";
  Mouse(frame->keys, wxEVT_LEFT_DOWN, 80, 70, true);
  Mouse(frame->keys, wxEVT_LEFT_UP, 80, 70);
  EXPECT_TRUE(first->mSelected && second->mSelected) << "Ctrl on empty space keeps the selection";
  Mouse(frame->keys, wxEVT_LEFT_DOWN, 50, 20, true);
  Mouse(frame->keys, wxEVT_LEFT_UP, 50, 20);
  EXPECT_FALSE(second->mSelected) << "Ctrl toggles";
  Mouse(frame->keys, wxEVT_LEFT_DOWN, 50, 20);
  Mouse(frame->keys, wxEVT_LEFT_UP, 50, 20);
  EXPECT_TRUE(second->mSelected);
  EXPECT_FALSE(first->mSelected) << "a plain click selects only the node";
  Mouse(frame->keys, wxEVT_LEFT_DOWN, 80, 70);
  Mouse(frame->keys, wxEVT_LEFT_UP, 80, 70);
  EXPECT_FALSE(first->mSelected || second->mSelected) << "a plain click on empty space clears";
  EXPECT_EQ(frame->keys->GetPickedNode(), nullptr);
}

TEST_F(GraphWindows, CurvesAreDrawnWhereTheirPointsMap) {
  GraphCurve* rising = Line(0.1, 0.8);
  GraphNode* node = rising->GetNodes()[0].get();
  GetGraphCurves().SelectKey(node, 0, true, false);
  SetGraphTime(0.3f);
  const int painted = PaintCount(frame->bar);
  frame->bar->Refresh();
  frame->bar->Update();
  YieldUntilPainted(frame->bar, painted);
  YieldUntilHandled();
  ASSERT_EQ(frame->bar->GetGraphWidth(), kPlotWidth);
  // On the screen once the cursor line stands at the new time.
  wxImage image;
  YieldUntil([&] {
    image = ScreenPixels(frame->bar);
    return Near(image, 30, 70, GraphBar::GetCursorColour());
  });
  corvia::testing::KeepScreenshot(frame, "graph");
  const wxColour colour = GraphBar::GetComponentColour(0);
  GraphCurves& curves = GetGraphCurves();
  curves.SetPlotSize(kPlotWidth, kPlotHeight);
  int found = 0;
  for (int x = 10; x < kPlotWidth; x += 7) {
    if (x == 30) continue;  // the cursor line
    const int y = curves.PixelOfValue(*rising, 0.1 + 0.8 * curves.TimeAtPixel(x));
    bool near = false;
    for (int dy = -1; dy <= 1 && !near; ++dy) {
      near = Near(image, x, y + dy, colour);
    }
    found += near;
    // Away from the curve the background shows.
    const int away = y > kPlotHeight / 2 ? y - 20 : y + 20;
    EXPECT_FALSE(Near(image, x, away, colour));
  }
  EXPECT_EQ(found, 13) << "the curve at each sampled pixel";
  EXPECT_TRUE(Near(image, 30, 70, GraphBar::GetCursorColour())) << "the cursor line at the current time";
  EXPECT_FALSE(Near(image, 40, 70, GraphBar::GetCursorColour()));
  // The selected node is a filled box round its point.
  const int ny = curves.PixelOfValue(*rising, 0.1);
  EXPECT_TRUE(Near(image, 2, ny + 2, colour));
}

// ---- The text-file bar ----

TEST(TextFileBar, FilesReadLineByLine) {
  const std::filesystem::path dir = corvia::testing::ScratchDir("textfile");
  const std::string longLine(300, 'x');
  {
    std::ofstream out(dir / "a.txt", std::ios::binary);
    out << "unix\nwindows\r\n" << longLine << "\r\nlast";
  }
  std::string text;
  ASSERT_TRUE(LoadTextFile((dir / "a.txt").c_str(), text));
  EXPECT_EQ(text, "unix\nwindows\n" + longLine + "\nlast");

  {
    std::ofstream out(dir / "bad.txt", std::ios::binary);
    out << "caf\xE9\n";
  }
  ASSERT_TRUE(LoadTextFile((dir / "bad.txt").c_str(), text));
  EXPECT_EQ(text, "caf?\n");

  const std::string missing = (dir / "none.txt").string();
  EXPECT_FALSE(LoadTextFile(missing.c_str(), text));
  EXPECT_EQ(text, "Can't open '" + missing + "' for reading.");
  // A pipe, a device and a folder are no text files: refused at once, never waited on.
  const std::filesystem::path pipe = dir / "pipe.txt";
  ASSERT_EQ(mkfifo(pipe.c_str(), 0600), 0);
  for (const std::filesystem::path& other : {pipe, std::filesystem::path("/dev/zero"), dir}) {
    EXPECT_FALSE(LoadTextFile(other.c_str(), text)) << other;
    EXPECT_EQ(text.rfind("Can't open '" + other.string() + "' for reading.\nIt is ", 0), 0u) << text;
  }

  {
    std::ofstream out(dir / "big.txt", std::ios::binary);
    const std::string line(99, 'y');
    for (size_t written = 0; written <= kTextFileLimit; written += 100) out << line << '\n';
  }
  ASSERT_TRUE(LoadTextFile((dir / "big.txt").c_str(), text));
  EXPECT_LE(text.size(), kTextFileLimit + 100);
  EXPECT_NE(text.find("the rest is not shown"), std::string::npos);
}

TEST(TextFileBar, TheBarShowsTheFileBesideTheProgramOrWhyNot) {
  auto* frame = new wxFrame(nullptr, wxID_ANY, "Text file", wxPoint(30, 30), wxSize(300, 200));
  const std::string path = GetProgramFolder() + kTextFileBarFile;
  std::filesystem::remove(path);
  auto* missing = new TextFileBar;
  ASSERT_TRUE(missing->Create("Numbers", frame, 301));
  EXPECT_EQ(missing->GetEdit()->GetValue().utf8_string(), "Can't find file '" + path + "'.");
  EXPECT_EQ(missing->GetSizingStyle() & (kSizingEdgeBits | kSizingSizeChild), kSizingSizeChild);
  EXPECT_FALSE(missing->GetEdit()->IsEditable());

  {
    std::ofstream out(path, std::ios::binary);
    out << "1 2 3\r\n4 5 6\n";
  }
  auto* shown = new TextFileBar;
  ASSERT_TRUE(shown->Create("Numbers", frame, 302));
  std::filesystem::remove(path);
  EXPECT_EQ(shown->GetEdit()->GetValue().utf8_string(), "1 2 3\n4 5 6\n");
  EXPECT_EQ(shown->GetEdit()->GetId(), kTextFileBarEditId);
  frame->Destroy();
  YieldUntil([] { return wxTopLevelWindows.empty(); });
}

}  // namespace
