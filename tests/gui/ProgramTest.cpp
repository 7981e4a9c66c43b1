// The real program under a (virtual) display, through the start-up and shut-down
// steps that corvia runs: its window shows the icosahedron in its panes, the mouse
// turns and zooms it, a fast release keeps it turning until a click stops it, an idle
// program paints nothing, closing writes the settings, and the commands that open
// dialogs open them (a dialog still open at the close keeps its place).

#include <gtest/gtest.h>
#include <wx/choice.h>
#include <wx/dialog.h>
#include <wx/frame.h>
#include <wx/menu.h>
#include <wx/timer.h>
#include <wx/glcanvas.h>
#include <wx/uiaction.h>
#include <wx/image.h>
#include <wx/odcombo.h>
#include <wx/dcps.h>
#include <wx/prntbase.h>
#include <wx/textctrl.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <malloc.h>
#include <memory>
#include <sstream>
#include <numbers>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "app/DocCommandsBrowseText.h"
#include "app/HelpCommands.h"
#include "app/ModelUndo.h"
#include "app/PaneModeCommands.h"
#include "app/PolyApp.h"
#include "app/PolyPrintout.h"
#include "app/Settings.h"
#include "app/PolyDoc.h"
#include "files/ModelFile.h"
#include "model/ColorSchemes.h"
#include "render/ViewGroup.h"
#include "tests/nets/NetChecks.h"
#include "app/PolyView.h"
#include "app/StartUp.h"
#include "app/WindowServices.h"
#include "core/Progress.h"
#include "core/TimeFormat.h"
#include "core/Units.h"
#include "core/VectorMath.h"
#include "core/WebRequest.h"
#include "dialogs/DialogBase.h"
#include "dialogs/FontOptionsDlg.h"
#include "dialogs/SphereCylinderDialog.h"
#include "model/Edge.h"
#include "model/ElementServices.h"
#include "model/ElementFlags.h"
#include "model/ElementLabels.h"
#include "model/Measurement.h"
#include "model/PointPicker.h"
#include "model/Poly.h"
#include "core/PolygonRing.h"
#include "core/DrawnPolygon.h"
#include "render/ModelDrawSettings.h"
#include "model/PolyElement.h"
#include "nets/Edge3D.h"
#include "nets/Face3D.h"
#include "nets/Model3D.h"
#include "nets/Net.h"
#include "nets/NetPages.h"
#include "nets/NetSettings.h"
#include "platform/Services.h"
#include "platform/SettingsStore.h"
#include "render/DisplaySettings.h"
#include "render/FaceMeshCache.h"
#include "render/ModelDrawing.h"
#include "render/GLContextState.h"
#include "render/GLBuffer.h"
#include "render/GLErrors.h"
#include "render/GeomagStyle.h"
#include "render/KeptTriangles.h"
#include "render/MouseThrow.h"
#include "render/NetTexts.h"
#include "stellation/FacetPreview.h"
#include "stellation/Faceting.h"
#include "stellation/Stellate.h"
#include "symmetry/SimplePoly.h"
// wx headers come before FreeImage.h (through the render test support), which
// defines the guard of windows.h that wx takes for a Windows build.
#include "ui/BarDocument.h"
#include "ui/CommandIds.h"
#include "ui/CommandTable.h"
#include "ui/InfoBar.h"
#include "ui/MainFrame.h"
#include "ui/NewFrame.h"
#include "ui/PaneWindow.h"
#include "ui/SharedGLContext.h"
#include "ui/Toolbars.h"
#include "ui/Tour.h"
#include "ui/TourBar.h"
#include "ui/TransitionsDlg.h"
#include "tests/app/AppTestSupport.h"
#include "model/FaceTypeBlock.h"
#include "tests/gui/GuiTestSupport.h"
#include "tests/gui/PrintTestSupport.h"
#include "tests/gui/ProgramTestSupport.h"
#include "tests/render/ModelTestSupport.h"
#include "tests/support/PlaneHull.h"
#include "tests/support/TestSupport.h"
#include "construction/ModelLookup.h"
#include "construction/PolyhedraDialog.h"
#include "model/TransitionSettings.h"
#include "ui/BarDocument.h"
#include "ui/CommandIds.h"
#include "ui/CommandTable.h"
#include "ui/controls/HyperLink.h"

namespace test_Program {

using namespace corvia;
using corvia::testing::MovePointerTo;
using corvia::testing::PressButton;
using corvia::testing::ReleaseButton;
using corvia::testing::ScopedEnv;
using corvia::testing::ScreenBitmap;
using corvia::testing::YieldFor;
using corvia::testing::YieldUntil;
using corvia::testing::YieldUntilGone;
using corvia::testing::YieldUntilHandled;

constexpr double kRadians = std::numbers::pi / 180.0;

class ProgramTest : public ::testing::Test {
 protected:
  void SetUp() override {
    mProgram = std::make_unique<corvia::testing::RunningProgram>("program-home");
    mHome = mProgram->Home();
    mFrame = mProgram->Frame();
    ASSERT_NE(mFrame, nullptr);
    // The boxes are recorded, so that a test fails on an internal error instead of
    // waiting for a person.
    platform::ServiceSet services = platform::Services();
    services.messages = &corvia::testing::Platform().messages;
    platform::InstallServices(services);
    YieldUntil([this] { return mFrame->IsShownOnScreen() && Pane(0) && Pane(0)->GetWindow(); });
    ASSERT_TRUE(mFrame->IsShownOnScreen());
    // The start-up transition runs to its end.
    YieldUntil([] { return Doc() && Doc()->CountRecords() == 1 && !GetCurrentPoly()->IsTransitionRunning(); });
    YieldUntilHandled();
  }

  void TearDown() override { mProgram.reset(); }

  // Closes the main window and shuts the program down, as closing it does; the
  // settings are written then.
  void CloseProgram() {
    mFrame->Close(true);
    YieldUntil([] { return wxTopLevelWindows.empty(); });
    app::ShutDown();
  }
  std::filesystem::path SettingsFile() const { return mHome / "config" / "Corvia" / "settings.conf"; }

  static CPolyDoc* Doc() { return CPolyApp::Get().GetDoc(); }
  static CPolyView* Pane(int i) { return GetPane(i); }
  // Paints the pane now and lets the screen show it (once the display has handled what
  // the paint sent it).
  // Writes the model to a file of the program's home, opens it and waits until the
  // program has settled (no transition, no idle work left): the current model, or null.
  Poly* OpenSettled(Poly& model, const char* fileName) {
    const std::filesystem::path file = mHome / fileName;
    if (!WriteModelFile(file.string().c_str(), kModelFileBinary, model)) return nullptr;
    if (!Doc()->OnOpenDocument(file.string().c_str())) return nullptr;
    YieldUntil([] { return !GetCurrentPoly()->IsTransitionRunning() && !CPolyApp::Get().DoIdleWork(-1.0); });
    return GetCurrentPoly();
  }
  static void Repaint(CPolyView* pane) {
    pane->Invalidate(true);
    pane->UpdateNow();
    YieldUntilHandled();
  }
  static wxGLCanvas* Canvas(int i) { return static_cast<PaneWindow*>(Pane(i)->GetWindow())->GetCanvas(); }
  static wxPoint CentreOf(wxWindow* window) {
    return window->ClientToScreen(wxPoint(window->GetClientSize().x / 2, window->GetClientSize().y / 2));
  }
  // Presses on the first pane's centre, moves the pointer six pixels to the right the
  // given number of times (the pane painted after each move) and releases it, without
  // inertia, so that nothing is thrown.
  static void DragAcross(CPolyView* pane, int moves) {
    wxUIActionSimulator mouse;
    const wxPoint centre = CentreOf(Canvas(0));
    auto currentX = [pane] {
      int x = 0, y = 0;
      pane->GetViewGroup().mouse.GetCurrentPoint(x, y);
      return x;
    };
    const bool inertia = IsMouseInertiaAllowed();
    SetMouseInertiaAllowed(false);
    mouse.MouseMove(centre);
    YieldUntil([&] { return wxGetMousePosition() == centre; });
    mouse.MouseDown();
    YieldUntil([] { return NewView::GetMouseButtonsHeld() != 0; });
    const int pressX = currentX();
    for (int i = 1; i <= moves; ++i) {
      mouse.MouseMove(centre + wxPoint(6 * i, 0));
      YieldUntil([&] { return currentX() == pressX + 6 * i; });
      Repaint(pane);
    }
    mouse.MouseUp();
    YieldUntil([] { return NewView::GetMouseButtonsHeld() == 0; });
    SetMouseInertiaAllowed(inertia);
    EXPECT_EQ(GetActiveMouseThrows(), nullptr);
  }
  // The angle by which the camera has gone round the vertical axis.
  static double TurnAngle(const CPolyView* view) {
    return std::atan2(-view->Camera().GetEye()[0], view->Camera().GetEye()[2]);
  }

  // Checks the screen against where the pane's camera puts the model: every face that
  // faces the viewer shows its own colour (lit: the channels the colour lacks stay
  // dark) at its centre, and the model's outline is where its corners project. Returns
  // the number of faces checked.
  static int ExpectModelWhereTheCameraPutsIt(CPolyView* pane) {
    // What the screen shows is the last paint's: one now, with the camera as it is.
    Repaint(pane);
    const wxImage image = corvia::testing::ScreenPixels(Canvas(0));
    Poly* poly = GetCurrentPoly();
    int checked = 0;
    for (PolyElement* face = poly->mFaces.mHead; face; face = face->mNext) {
      double toEye[3];
      Subtract(toEye, pane->Camera().GetEye(), face->mCentre);
      if (Dot(toEye, face->mZAxis) <= 0.1 * std::sqrt(Dot(toEye, toEye))) continue;  // edge-on or away
      double window[3];
      pane->ApplyViewTransform(window, face->mCentre);
      const int x = static_cast<int>(std::lround(window[0])), y = static_cast<int>(std::lround(window[1]));
      if (x < 0 || y < 0 || x >= image.GetWidth() || y >= image.GetHeight()) continue;
      const int rgb[3] = {image.GetRed(x, y), image.GetGreen(x, y), image.GetBlue(x, y)};
      const float* colour = face->mColor;
      const int brightest = std::max({rgb[0], rgb[1], rgb[2]});
      EXPECT_GT(brightest, 40) << "face " << face->mIndex << " at " << x << "," << y;
      for (int c = 0; c < 3; ++c) {
        if (colour[c] < 0.1f) {
          EXPECT_LT(rgb[c], brightest / 3 + 8) << "face " << face->mIndex << " channel " << c;
        }
        if (colour[c] > 0.9f) {
          EXPECT_EQ(rgb[c], brightest) << "face " << face->mIndex << " channel " << c;
        }
      }
      ++checked;
    }
    // The model is convex: its outline is the hull of its projected corners. Away
    // from the outline every pixel of a grid is the model inside it and the background
    // outside.
    std::vector<std::pair<double, double>> corners;
    for (PolyElement* v = poly->mVertices.mHead; v; v = v->mNext) {
      double window[3];
      pane->ApplyViewTransform(window, v->mDualVert);
      corners.push_back({window[0], window[1]});
    }
    const std::vector<std::pair<double, double>> hull = corvia::testing::PlaneHull(std::move(corners));
    int inside = 0, outside = 0;
    for (int y = 4; y < image.GetHeight(); y += 12) {
      for (int x = 4; x < image.GetWidth(); x += 12) {
        const double distance = SignedDistance(hull, x, y);
        if (std::fabs(distance) < 3.0) continue;
        const bool background = std::abs(image.GetRed(x, y) - 128) <= 1 && std::abs(image.GetGreen(x, y) - 128) <= 1 &&
                                std::abs(image.GetBlue(x, y) - 128) <= 1;
        EXPECT_EQ(background, distance < 0.0) << "pixel " << x << "," << y;
        (distance < 0.0 ? outside : inside)++;
      }
    }
    EXPECT_GT(inside, 100);
    EXPECT_GT(outside, 100);
    return checked;
  }

  // Positive inside the hull: the distance to its nearest side; negative outside.
  static double SignedDistance(const std::vector<std::pair<double, double>>& hull, double x, double y) {
    double nearest = 1e300;
    bool inside = true;
    for (size_t i = 0; i < hull.size(); ++i) {
      const auto& a = hull[i];
      const auto& b = hull[(i + 1) % hull.size()];
      const double dx = b.first - a.first, dy = b.second - a.second;
      const double length = std::sqrt(dx * dx + dy * dy);
      const double side = (dx * (y - a.second) - dy * (x - a.first)) / length;
      if (side < 0.0) inside = false;
      nearest = std::min(nearest, std::fabs(side));
    }
    return inside ? nearest : -nearest;
  }

  std::unique_ptr<corvia::testing::RunningProgram> mProgram;
  std::filesystem::path mHome;
  wxFrame* mFrame = nullptr;
};

TEST_F(ProgramTest, StartsWithTheIcosahedronInItsPanes) {
  ASSERT_NE(Doc(), nullptr);
  EXPECT_EQ(mFrame->GetTitle(), "3.3.3.3.3 - Icosahedron");
  Poly* poly = GetCurrentPoly();
  ASSERT_NE(poly, nullptr);
  EXPECT_EQ(poly->mFaces.mCount, 20);
  EXPECT_EQ(poly->mVertices.mCount, 12);
  ASSERT_NE(Pane(0), nullptr);
  ASSERT_NE(Pane(1), nullptr);
  EXPECT_EQ(Pane(0)->GetViewType(), kViewBasePolyhedron);
  EXPECT_EQ(Pane(1)->GetViewType(), kViewUnfoldedNet);
  EXPECT_EQ(Pane(0)->GetTitle(), "Icosahedron (3.3.3.3.3), W4, p17");
  EXPECT_EQ(Pane(1)->GetTitle(), "Unfolded Net for Icosahedron (3.3.3.3.3), W4, p17");
  EXPECT_TRUE(Pane(0)->Is3D());
  // The model fills the pane: the camera sees the unit sphere.
  EXPECT_NEAR(Pane(0)->Camera().GetViewAxis()[2], 1.0, 1e-12);
  EXPECT_GT(Dot(Pane(0)->Camera().GetEye(), Pane(0)->Camera().GetViewAxis()), 1.0);
  // Half of the twenty faces face the viewer; those seen edge-on are left out.
  EXPECT_GE(ExpectModelWhereTheCameraPutsIt(Pane(0)), 8);
  // The net pane draws the icosahedron's net and says which net it is.
  EXPECT_EQ(GetMissingContentText(kViewUnfoldedNet), nullptr);
  EXPECT_EQ(Pane(1)->Drawing().GetPaneStatusText(), "Net type 1 of 1.  Need 1 copy of this net.");
  EXPECT_TRUE(corvia::testing::Platform().messages.Boxes().empty());
}

TEST_F(ProgramTest, DragTurnsTheModelAndAFastReleaseKeepsItTurning) {
  CPolyView* pane = Pane(0);
  wxUIActionSimulator mouse;
  const wxPoint centre = CentreOf(Canvas(0));
  const double before = TurnAngle(pane);

  // A slow drag of 100 pixels to the right: 30 degrees, and no throw. Each step waits
  // until the pane has taken it, so that a loaded machine cannot run the steps into
  // the press.
  auto currentX = [pane] {
    int x = 0, y = 0;
    pane->GetViewGroup().mouse.GetCurrentPoint(x, y);
    return x;
  };
  MovePointerTo(mouse, centre);
  PressButton(mouse);
  YieldUntil([] { return NewView::GetMouseButtonsHeld() != 0; });
  const int pressX = currentX();
  for (int i = 1; i <= 10; ++i) {
    mouse.MouseMove(centre + wxPoint(10 * i, 0));
    YieldUntil([&] { return currentX() == pressX + 10 * i; });
  }
  EXPECT_EQ(currentX(), pressX + 100);
  // The pointer rests before the release: what makes the release slow is the time
  // that passes.
  YieldFor(300);
  mouse.MouseUp();
  YieldUntil([] { return NewView::GetMouseButtonsHeld() == 0; });
  EXPECT_NEAR((TurnAngle(pane) - before) / kRadians, 30.0, 1e-6);
  EXPECT_EQ(GetActiveMouseThrows(), nullptr);
  // The image turned with the camera.
  EXPECT_GE(ExpectModelWhereTheCameraPutsIt(pane), 8);

  // A fast drag released at once keeps turning.
  MovePointerTo(mouse, centre);
  PressButton(mouse);
  for (int i = 1; i <= 8; ++i) {
    mouse.MouseMove(centre + wxPoint(12 * i, 0));
    wxTheApp->Yield(true);
    wxMilliSleep(5);
  }
  mouse.MouseUp();
  YieldUntil([] { return NewView::GetMouseButtonsHeld() == 0; });
  ASSERT_EQ(GetActiveMouseThrows(), pane->Navigation().GetTumbleThrow());
  const double released = TurnAngle(pane);
  YieldUntil([&] { return std::fabs(TurnAngle(pane) - released) > 5.0 * kRadians; });
  const double spun = TurnAngle(pane);
  EXPECT_GT(std::fabs(spun - released), 5.0 * kRadians);
  EXPECT_TRUE(CPolyApp::Get().DoIdleWork(-1.0));

  // A click on the pane stops it.
  mouse.MouseClick();
  YieldUntil([] { return GetActiveMouseThrows() == nullptr; });
  EXPECT_EQ(GetActiveMouseThrows(), nullptr);
  const double stopped = TurnAngle(pane);
  // Time passes: what is checked is that the model stays where it stopped.
  YieldFor(200);
  EXPECT_EQ(TurnAngle(pane), stopped);
}

TEST_F(ProgramTest, WheelZooms) {
  CPolyView* pane = Pane(0);
  const double distance = Dot(pane->Camera().GetEye(), pane->Camera().GetViewAxis());
  wxMouseEvent wheel(wxEVT_MOUSEWHEEL);
  wheel.m_wheelRotation = 120;
  wheel.m_wheelDelta = 120;
  wheel.m_linesPerAction = 3;
  Canvas(0)->GetEventHandler()->ProcessEvent(wheel);
  EXPECT_NEAR(Dot(pane->Camera().GetEye(), pane->Camera().GetViewAxis()), distance / 1.06, 1e-9);
  // The image grew with the nearer camera.
  EXPECT_GE(ExpectModelWhereTheCameraPutsIt(pane), 8);
  wheel.m_wheelRotation = -240;
  Canvas(0)->GetEventHandler()->ProcessEvent(wheel);
  EXPECT_NEAR(Dot(pane->Camera().GetEye(), pane->Camera().GetViewAxis()), distance * 1.06, 1e-9);
}

TEST_F(ProgramTest, AnIdleProgramPaintsNothing) {
  int paints = 0;
  auto count = [&paints](wxPaintEvent& event) {
    ++paints;
    event.Skip();
  };
  for (int i = 0; i < CountPanes(); ++i) Canvas(i)->Bind(wxEVT_PAINT, count);
  // Time passes with nothing to do: what is checked is that nothing paints meanwhile.
  YieldFor(1000);
  EXPECT_EQ(paints, 0);
  EXPECT_FALSE(CPolyApp::Get().DoIdleWork(-1.0));
  for (int i = 0; i < CountPanes(); ++i) Canvas(i)->Unbind(wxEVT_PAINT, count);
}

// A drag draws the model from what the pane keeps of its faces (recorded at its start),
// and the picture follows the camera; Options > Diagnostic Mode > Show Frame Time writes
// the last frame's time in the pane's lower corner.
TEST_F(ProgramTest, ADragDrawsTheKeptFacesAndTheFrameTimeShows) {
  CPolyView* pane = Pane(0);
  const FaceMeshStatistics before = GetFaceMeshStatistics();
  DragAcross(pane, 12);
  const FaceMeshStatistics after = GetFaceMeshStatistics();
  EXPECT_LE(after.recorded - before.recorded, 2u);
  EXPECT_GE(after.kept - before.kept, 10u);
  EXPECT_GE(ExpectModelWhereTheCameraPutsIt(pane), 8);

  // The corner where the time goes: the background until the option is on.
  auto cornerDiffers = [] {
    const wxImage image = corvia::testing::ScreenPixels(Canvas(0));
    int differing = 0;
    for (int y = image.GetHeight() - 14; y < image.GetHeight(); ++y)
      for (int x = 0; x < 80; ++x)
        differing += std::abs(image.GetRed(x, y) - 128) + std::abs(image.GetGreen(x, y) - 128) > 6 ? 1 : 0;
    return differing;
  };
  Repaint(pane);
  EXPECT_EQ(cornerDiffers(), 0);
  corvia::testing::PostMenuCommand(mFrame, kCmdShowFrameTime);
  EXPECT_TRUE(GetDisplaySettings().showFrameTime);
  mFrame->GetMenuBar()->UpdateMenus();
  EXPECT_TRUE(mFrame->GetMenuBar()->FindItem(ToWxId(kCmdShowFrameTime))->IsChecked());
  Repaint(pane);
  EXPECT_GT(pane->Frames().GetLastFrameSeconds(), 0.0);
  EXPECT_GT(cornerDiffers(), 20);
  corvia::testing::PostMenuCommand(mFrame, kCmdShowFrameTime);
  Repaint(pane);
  EXPECT_EQ(cornerDiffers(), 0);
}

// A translucent model opened from its file turns under a drag from what the pane keeps:
// after the drag's first frame every frame is kept (the pane's frame counters), and a
// change of the faces' colour, of the selection or of their opacity shows in the very
// next frame, drawn afresh, after which the frames are kept again.
TEST_F(ProgramTest, ATranslucentModelTurnsFromTheKeptFacesAndChangesShowAtOnce) {
  std::unique_ptr<Poly> sphere = corvia::testing::nets::BuildGeodesicPoly(6);
  ASSERT_NE(sphere, nullptr);
  for (PolyElement* f = sphere->mFaces.mHead; f; f = f->mNext) f->SetOpacity(0.6f);
  Poly* poly = OpenSettled(*sphere, "translucent sphere.corv");
  ASSERT_NE(poly, nullptr);
  ASSERT_EQ(poly->mFaces.mCount, 720);
  CPolyView* pane = Pane(0);
  Repaint(pane);
  const ViewFrames::Counts before = pane->Frames().GetFrameCounts();
  const FaceMeshStatistics keptBefore = GetFaceMeshStatistics();
  DragAcross(pane, 12);
  const ViewFrames::Counts after = pane->Frames().GetFrameCounts();
  EXPECT_GE(after.swapped - before.swapped, 12u);
  EXPECT_LE(after.afresh - before.afresh, 1u);
  EXPECT_GE(GetFaceMeshStatistics().kept - keptBefore.kept, 11u);
  EXPECT_FALSE(pane->Frames().WasLastFrameDrawnAfresh());

  // Each change: the next frame is drawn afresh and differs, the one after is kept and
  // the same.
  auto expectShownAtOnce = [&](const char* what, const std::function<void()>& change) {
    SCOPED_TRACE(what);
    Repaint(pane);
    const wxImage unchanged = corvia::testing::ScreenPixels(Canvas(0));
    change();
    Repaint(pane);
    EXPECT_TRUE(pane->Frames().WasLastFrameDrawnAfresh());
    const wxImage changed = corvia::testing::ScreenPixels(Canvas(0));
    int differing = 0;
    for (int y = 0; y < changed.GetHeight(); ++y)
      for (int x = 0; x < changed.GetWidth(); ++x)
        differing += changed.GetRed(x, y) != unchanged.GetRed(x, y) ||
                     changed.GetGreen(x, y) != unchanged.GetGreen(x, y) ||
                     changed.GetBlue(x, y) != unchanged.GetBlue(x, y);
    EXPECT_GT(differing, 20);
    Repaint(pane);
    EXPECT_FALSE(pane->Frames().WasLastFrameDrawnAfresh());
    const wxImage again = corvia::testing::ScreenPixels(Canvas(0));
    int largest = 0, count = 0;
    for (int i = 0; i < 3 * again.GetWidth() * again.GetHeight(); ++i) {
      const int d = std::abs(again.GetData()[i] - changed.GetData()[i]);
      largest = std::max(largest, d);
      count += d > 0;
    }
    // The selected face's highlight is drawn over the kept faces by itself, blended.
    EXPECT_LE(largest, 2) << count;
  };
  expectShownAtOnce("colour", [poly] {
    const float green[3] = {0.1f, 0.9f, 0.2f};
    for (PolyElement* f = poly->mFaces.mHead; f; f = f->mNext) f->SetColour(green);
    poly->mPolyFlags |= kPolyFlagCellColoursStale;
  });
  expectShownAtOnce("selection", [poly, pane] {
    // The face nearest the eye.
    PolyElement* nearest = poly->mFaces.mHead;
    double least = 1e300;
    for (PolyElement* f = poly->mFaces.mHead; f; f = f->mNext) {
      double d[3];
      Subtract(d, pane->Camera().GetEye(), f->mCentre);
      if (Dot(d, d) < least) {
        least = Dot(d, d);
        nearest = f;
      }
    }
    poly->SelectFace(nearest, false);
  });
  expectShownAtOnce("opacity", [poly] {
    for (PolyElement* f = poly->mFaces.mHead; f; f = f->mNext) f->SetOpacity(1.0f);
    poly->mPolyFlags |= kPolyFlagCellColoursStale;
  });
}

// The colours of a large model that went stale are not made in the paint that finds
// them: it draws none of the faces and leaves them to the idle work, whose turn makes
// them and paints nothing; the next paint shows what a paint that made them showed.
TEST_F(ProgramTest, ALargeModelsStaleColoursAreMadeWhenIdle) {
  std::unique_ptr<Poly> sphere = corvia::testing::nets::BuildGeodesicPoly(32);
  ASSERT_NE(sphere, nullptr);
  ASSERT_GE(sphere->mFaces.mCount, kDeferredCellColourFaces);
  Poly* poly = OpenSettled(*sphere, "large sphere.corv");
  ASSERT_NE(poly, nullptr);
  ASSERT_EQ(poly->mFaces.mCount, sphere->mFaces.mCount);
  CPolyView* pane = Pane(0);
  auto recolour = [poly] {
    const float green[3] = {0.1f, 0.9f, 0.2f};
    for (PolyElement* f = poly->mFaces.mHead; f; f = f->mNext) f->SetColour(green);
    poly->mPolyFlags |= kPolyFlagCellColoursStale;
  };
  // The picture with the colours made before the paint.
  recolour();
  poly->UpdateCellColours(false);
  Repaint(pane);
  const wxImage direct = corvia::testing::ScreenPixels(Canvas(0));
  const int cx = direct.GetWidth() / 2, cy = direct.GetHeight() / 2;
  EXPECT_GT(direct.GetGreen(cx, cy), direct.GetRed(cx, cy) + 40);

  // Painted at once, without a turn of the event loop that would run the idle work.
  recolour();
  const FaceMeshStatistics before = GetFaceMeshStatistics();
  pane->Invalidate(true);
  pane->UpdateNow();
  EXPECT_NE(poly->mPolyFlags & kPolyFlagCellColoursStale, 0u);
  EXPECT_EQ(GetFaceMeshStatistics().recorded, before.recorded);
  int paints = 0;
  auto count = [&paints](wxPaintEvent& event) {
    ++paints;
    event.Skip();
  };
  Canvas(0)->Bind(wxEVT_PAINT, count);
  EXPECT_TRUE(CPolyApp::Get().DoIdleWork(-1.0));
  Canvas(0)->Unbind(wxEVT_PAINT, count);
  EXPECT_EQ(paints, 0);
  EXPECT_EQ(poly->mPolyFlags & kPolyFlagCellColoursStale, 0u);
  Repaint(pane);
  const wxImage after = corvia::testing::ScreenPixels(Canvas(0));
  ASSERT_EQ(after.GetSize(), direct.GetSize());
  EXPECT_EQ(std::memcmp(after.GetData(), direct.GetData(), 3u * direct.GetWidth() * direct.GetHeight()), 0);
  EXPECT_GT(GetFaceMeshStatistics().recorded, before.recorded);

  // After work that ended in the same turn (a command run from the events the loop
  // handles before its idle time), they wait for the next turn, one only.
  recolour();
  { const ProgressScope work; }
  EXPECT_TRUE(CPolyApp::Get().DoIdleWork(-1.0));
  EXPECT_NE(poly->mPolyFlags & kPolyFlagCellColoursStale, 0u);
  { const ProgressScope work; }
  EXPECT_TRUE(CPolyApp::Get().DoIdleWork(-1.0));
  EXPECT_EQ(poly->mPolyFlags & kPolyFlagCellColoursStale, 0u);
}

// Nor are a large model's faces recorded in the paint that finds them changed: it draws
// none of them and leaves the recording to the idle work, which copies the recorded
// vertices to GL a stretch a turn, never all in one call; the next paint draws from what
// was recorded the picture of the faces drawn one by one.
TEST_F(ProgramTest, ALargeModelsFacesAreRecordedWhenIdle) {
  std::unique_ptr<Poly> sphere = corvia::testing::nets::BuildGeodesicPoly(50);
  ASSERT_NE(sphere, nullptr);
  ASSERT_GE(sphere->mFaces.mCount, kDeferredFaceMeshFaces);
  // The paints of this test follow each other on purpose, some of them long (50,000 faces drawn
  // one by one): none may be put off to a later turn of the loop.
  PanePaintTurns& turns = GetMainFrame()->GetPanePaintTurns();
  const double longPaint = turns.longPaintSeconds;
  turns.longPaintSeconds = 1e9;
  struct Restore {
    PanePaintTurns& turns;
    double seconds;
    ~Restore() { turns.longPaintSeconds = seconds; }
  } restore{turns, longPaint};
  Poly* poly = OpenSettled(*sphere, "larger sphere.corv");
  ASSERT_NE(poly, nullptr);
  ASSERT_EQ(poly->mFaces.mCount, sphere->mFaces.mCount);
  CPolyView* pane = Pane(0);
  const float green[3] = {0.1f, 0.9f, 0.2f};
  for (PolyElement* f = poly->mFaces.mHead; f; f = f->mNext) f->SetColour(green);
  poly->mPolyFlags |= kPolyFlagCellColoursStale;
  poly->UpdateCellColours(false);
  AllowFaceMeshArrays(false);
  Repaint(pane);
  const wxImage oneByOne = corvia::testing::ScreenPixels(Canvas(0));
  AllowFaceMeshArrays(true);
  const int cx = oneByOne.GetWidth() / 2, cy = oneByOne.GetHeight() / 2;
  EXPECT_GT(oneByOne.GetGreen(cx, cy), oneByOne.GetRed(cx, cy) + 40);

  // Painted at once, without a turn of the event loop that would run the idle work.
  const FaceMeshStatistics before = GetFaceMeshStatistics();
  pane->Invalidate(true);
  pane->UpdateNow();
  EXPECT_EQ(GetFaceMeshStatistics().recorded, before.recorded);
  EXPECT_EQ(GetFaceMeshStatistics().waited, before.waited + 1);
  EXPECT_TRUE(HasDeferredFaceMeshes());
  YieldUntil([] { return !CPolyApp::Get().DoIdleWork(-1.0); });
  EXPECT_FALSE(HasDeferredFaceMeshes());
  EXPECT_EQ(GetFaceMeshStatistics().recorded, before.recorded + 1);
  // Three vertices a triangle: the whole recording (this one, and the one made as the
  // model was opened).
  EXPECT_GT(GetFaceMeshStatistics().largestUpload, 0u);
  EXPECT_LT(GetFaceMeshStatistics().largestUpload, 3u * static_cast<size_t>(poly->mFaces.mCount) * sizeof(KeptVertex));
  Repaint(pane);
  EXPECT_EQ(GetFaceMeshStatistics().recorded, before.recorded + 1);
  EXPECT_GT(GetFaceMeshStatistics().kept, before.kept);
  const wxImage kept = corvia::testing::ScreenPixels(Canvas(0));
  ASSERT_EQ(kept.GetSize(), oneByOne.GetSize());
  EXPECT_EQ(std::memcmp(kept.GetData(), oneByOne.GetData(), 3u * oneByOne.GetWidth() * oneByOne.GetHeight()), 0);
}

TEST_F(ProgramTest, ClosingWritesTheSettings) {
  CloseProgram();
  platform::SettingsStore written(SettingsFile());
  ASSERT_FALSE(written.Load().damaged);
  const char* key = "Software\\CorviaSoft\\Corvia\\Settings";
  uint32_t number = 0;
  EXPECT_TRUE(written.GetNumber(key, "Version", number));
  EXPECT_EQ(number, 5004u);
  EXPECT_TRUE(written.GetNumber(key, "MaxUndoSize", number));
  EXPECT_EQ(number, 33554432u);
  EXPECT_TRUE(written.GetNumber(key, "EnableTransitions", number));
  EXPECT_EQ(number, 1u);
  std::string text;
  EXPECT_TRUE(written.GetString(key, "ExportNumRotations", text));
  EXPECT_EQ(text, "1/5");
  EXPECT_TRUE(written.GetString(key, "BrowseTour", text));
  EXPECT_EQ(std::filesystem::path(text), mHome / "Documents" / "Corvia" / "Tour");
  // Started again, the program reads what it wrote.
  mFrame = app::StartUp();
  platform::ServiceSet services = platform::Services();
  services.messages = &corvia::testing::Platform().messages;
  platform::InstallServices(services);
  YieldUntil([this] { return mFrame->IsShownOnScreen(); });
  EXPECT_TRUE(corvia::testing::Platform().messages.Boxes().empty());
}

TEST_F(ProgramTest, ThePanesFollowTheSettingsReadBeforeTheMainWindowIsMade) {
  // The settings are read at start-up before the main window exists; its panes take
  // what they said: no inertia, both buttons pivot without Space, no caption strips.
  CloseProgram();
  {
    platform::SettingsStore written(SettingsFile());
    ASSERT_FALSE(written.Load().damaged);
    const char* key = "Software\\CorviaSoft\\Corvia\\Settings";
    written.SetNumber(key, "AllowMouseInertia", 0);
    written.SetNumber(key, "PivotAroundAxis", 1);
    written.SetNumber(key, "NewStyleTitleBars", 0);
    ASSERT_TRUE(written.Save().saved);
  }
  mFrame = app::StartUp();
  YieldUntil([this] { return mFrame->IsShownOnScreen() && Pane(0) && Pane(0)->GetWindow(); });
  EXPECT_FALSE(IsMouseInertiaAllowed());
  EXPECT_FALSE(GetCaptionsShown());
  std::string left, right, both;
  Pane(0)->GetMouseButtonHelp(left, right, both);
  EXPECT_EQ(both, "Pivot around axis");
  SetMouseInertiaAllowed(true);
  SetTwistWithSpace(false);
  SetCaptionsShown(true);
}

TEST_F(ProgramTest, ASettingChangedIsWrittenWhileTheProgramRuns) {
  // A program killed after a while keeps what the user set: the idle time writes it.
  const std::filesystem::path file = mHome / "config" / "Corvia" / "settings.conf";
  const char* key = "Software\\CorviaSoft\\Corvia\\Settings";
  auto stored = [&] {
    platform::SettingsStore written(file);
    uint32_t number = 99;
    return written.Load().damaged || !written.GetNumber(key, "EnableTransitions", number) ? 99u : number;
  };
  SetTransitionsEnabled(false);
  const double now = GetTimeSeconds();
  CPolyApp::Get().DoIdleWork(now);
  EXPECT_NE(stored(), 0u) << "too early for a checkpoint";
  CPolyApp::Get().DoIdleWork(now + 31.0);
  EXPECT_EQ(stored(), 0u);
  SetTransitionsEnabled(true);
}

TEST_F(ProgramTest, TheModelBoxTakesATypedModelAndRefusesBadInput) {
  auto* frame = dynamic_cast<CMainFrame*>(mFrame);
  ASSERT_NE(frame, nullptr);
  MainToolBar* bar = frame->GetMainToolBar();
  auto name = [] {
    char text[128];
    GetCurrentPoly()->GetName(text, sizeof text);
    return std::string(text);
  };
  bar->OpenTypedModel("3.4.3.4");
  EXPECT_EQ(name(), "3.4.3.4");
  EXPECT_EQ(bar->GetModelCombo()->GetString(0), "Cuboctahedron");
  EXPECT_EQ(bar->GetCategoryCombo()->GetString(0), "- - - Archimedean");
  bar->OpenTypedModel("snub cube");
  EXPECT_EQ(std::string(GetCurrentPoly()->mLibraryEntry->mName), "Snub Cube");
  auto& messages = corvia::testing::Platform().messages;
  messages.Clear();
  for (const char* bad : {"3.4*", "no model of this name", "U81", "3.4.5.6.7.8.9"}) {
    SCOPED_TRACE(bad);
    bar->OpenTypedModel(bad);
    EXPECT_EQ(std::string(GetCurrentPoly()->mLibraryEntry->mName), "Snub Cube");
    EXPECT_EQ(bar->GetModelCombo()->GetString(0), "Snub Cube");
  }
  EXPECT_EQ(messages.CountTitled("Error"), 4);
  EXPECT_EQ(messages.Boxes().front().text, "Couldn't find any model with name or symbol\n\"3.4*\"");
  messages.Clear();

  // A model of no record shows the placeholder; Enter on the box's own text looks
  // nothing up and leaves the model.
  bar->OpenTypedModel("Heptagrammic Cupolaic Blend");
  corvia::testing::PostMenuCommand(mFrame, kCmdCreateConvexHull);
  ASSERT_EQ(GetCurrentPoly()->mLibraryEntry, nullptr);
  const Poly* hull = GetCurrentPoly();
  ASSERT_EQ(bar->GetModelCombo()->GetString(0), kUnknownModel);
  bar->OpenTypedModel(kUnknownModel);
  EXPECT_EQ(GetCurrentPoly(), hull);
  EXPECT_EQ(bar->GetModelCombo()->GetString(0), kUnknownModel);
  EXPECT_TRUE(messages.Boxes().empty());
}

// A view front end whose every redraw takes two seconds of the test's clock.
class SlowRedraws final : public platform::ViewNotifier {
 public:
  explicit SlowRedraws(platform::ViewNotifier* inner) : mInner(inner) {}
  void RedrawAllViews(bool captionsToo) override {
    corvia::testing::Platform().clock.Advance(2.0);
    mInner->RedrawAllViews(captionsToo);
  }
  void InvalidateViewsOfKind(unsigned mask, int argument) override { mInner->InvalidateViewsOfKind(mask, argument); }
  void InvalidateInfo(unsigned reasonBits) override { mInner->InvalidateInfo(reasonBits); }
  void SetStatusText(const std::string& text) override { mInner->SetStatusText(text); }
  void SetWaitCursor(bool busy) override { mInner->SetWaitCursor(busy); }
  void SetPaneMessage(const std::string& text) override { mInner->SetPaneMessage(text); }
  void FitViewsOfKind(unsigned mask) override { mInner->FitViewsOfKind(mask); }
  void SetFitModeOfType(unsigned viewType, int mode) override { mInner->SetFitModeOfType(viewType, mode); }

 private:
  platform::ViewNotifier* mInner;
};

TEST_F(ProgramTest, TheUndoDropDownListsTheStepsAndUndoesSeveralAtOnce) {
  auto* frame = dynamic_cast<CMainFrame*>(mFrame);
  ASSERT_NE(frame, nullptr);
  MainToolBar* bar = frame->GetMainToolBar();
  auto name = [] { return std::string(GetCurrentPoly()->mLibraryEntry->mName); };
  for (const char* model : {"Cube", "Octahedron", "Dodecahedron", "Tetrahedron"}) bar->OpenTypedModel(model);
  ASSERT_EQ(name(), "Tetrahedron");
  std::vector<std::string> names = GetBarDocument().GetUndoNames(false);
  ASSERT_GE(names.size(), 4u);
  EXPECT_EQ(names[0], "New Model");
  EXPECT_TRUE(GetBarDocument().GetUndoNames(true).empty());

  // The drop-down's third item: three steps under a progress report.
  platform::ServiceSet services = platform::Services();
  const platform::ServiceSet wx = services;
  auto& platform = corvia::testing::Platform();
  services.progress = &platform.progress;
  services.clock = &platform.clock;
  platform::InstallServices(services);
  bar->UndoSteps(3, false);
  EXPECT_EQ(name(), "Cube");
  EXPECT_EQ(GetBarDocument().GetUndoNames(true).size(), 3u);

  // Redo comes back step by step; with slow steps the progress window comes up and a
  // cancel stops after the step that runs.
  SlowRedraws slow(services.views);
  services.views = &slow;
  platform::InstallServices(services);
  platform.progress.Current()->onPump = [](auto& state) { state.cancel = true; };
  bar->UndoSteps(3, true);
  platform.progress.Current()->onPump = nullptr;
  platform::InstallServices(wx);
  const size_t redone = 3 - GetBarDocument().GetUndoNames(true).size();
  EXPECT_GE(redone, 1u);
  EXPECT_LT(redone, 3u);
  EXPECT_EQ(name(), redone == 1 ? "Octahedron" : "Dodecahedron");

  // Edit > Undo and Edit > Redo, as Ctrl+Z and Ctrl+Y send them.
  const std::string before = name();
  for (int command : {57643, 57644}) {
    wxCommandEvent event(wxEVT_MENU, ToWxId(command));
    mFrame->GetEventHandler()->ProcessEvent(event);
    EXPECT_EQ(name(), command == 57643 ? (redone == 1 ? "Cube" : "Octahedron") : before);
  }
  EXPECT_EQ(platform.messages.CountTitled("Error"), 0);
}

TEST_F(ProgramTest, TheEdgeStyleButtonsMenuOffersTheRodColours) {
  auto* frame = dynamic_cast<CMainFrame*>(mFrame);
  ASSERT_NE(frame, nullptr);
  frame->SetGeomagStyleButton(3);
  wxMenu menu;
  BuildRodColorMenu(menu);
  ASSERT_EQ(menu.GetMenuItemCount(), 11u);
  EXPECT_EQ(menu.FindItemByPosition(0)->GetItemLabelText(), "Yellow");
  EXPECT_EQ(menu.FindItemByPosition(10)->GetItemLabelText(), "Pastel Sky");
  for (size_t i = 0; i < 11; ++i) EXPECT_EQ(menu.FindItemByPosition(i)->IsChecked(), i == 3) << i;
  EXPECT_EQ(FromWxId(menu.FindItemByPosition(7)->GetId()), 33209);
  frame->SetGeomagStyleButton(0);
}

TEST_F(ProgramTest, TheInformationTreeFollowsTheModel) {
  YieldUntil([] { return GetInfoUpdateFlags() == 0; });
  InfoTree* tree = dynamic_cast<CMainFrame*>(mFrame)->GetInfoBar()->GetTree();
  auto text = [tree](int key) {
    const wxTreeItemId item = FindItemInTree(tree, key, true);
    return item.IsOk() ? tree->GetItemText(item).utf8_string() : std::string("<none>");
  };
  EXPECT_EQ(text(kInfoNumBaseFaces), "20 faces of 1 type");
  EXPECT_EQ(text(kInfoBase), "\"Icosahedron\"");
  bool recognised = false;
  ASSERT_TRUE(Doc()->SetModel(LookUpModel("4.4.4", &recognised, nullptr, nullptr, false), false, false));
  YieldUntil([] { return GetInfoUpdateFlags() == 0; });
  EXPECT_EQ(text(kInfoNumBaseFaces), "6 faces of 1 type");
  EXPECT_EQ(text(kInfoNumBaseEdges), "12 edges of 1 type");
  EXPECT_EQ(text(kInfoNumBaseVerts), "8 vertices of 1 type");
}

TEST_F(ProgramTest, ATourOfThreeEventsPlaysBackToItsModelsAndViews) {
  Tour& tour = GetTour();
  tour.Clear();
  bool recognised = false;
  const char* models[] = {"4.4.4", "snub cube", "3.4.3.4"};
  std::vector<double> turns;
  for (int i = 0; i < 3; ++i) {
    ASSERT_TRUE(Doc()->OpenModelByNameOrSymbol(models[i]));
    YieldUntil([] { return !GetCurrentPoly()->IsTransitionRunning(); });
    const double axis[3] = {0, 1, 0};
    Pane(0)->Camera().RotateCamera(axis, 0.4 * (i + 1));
    turns.push_back(TurnAngle(Pane(0)));
    tour.AddToTour();
    tour.GetEvent(i)->mDuration = 0.4f;
    tour.GetEvent(i)->mTransition.mType = kTransitionNone;
  }
  (void)recognised;
  ASSERT_EQ(tour.GetNumEvents(), 3);
  EXPECT_EQ(dynamic_cast<CMainFrame*>(mFrame)->GetTourBar()->GetList()->GetItemCount(), 3);
  tour.SetCurrentEvent(tour.GetEvent(0));
  tour.PlayTour();
  ASSERT_TRUE(tour.IsTourPlaying());
  auto name = [] {
    char text[128];
    GetCurrentPoly()->GetName(text, sizeof text);
    return std::string(text);
  };
  EXPECT_EQ(name(), "4.4.4");
  EXPECT_NEAR(TurnAngle(Pane(0)), turns[0], 1e-6);
  YieldUntil([&] { return tour.GetCurrentEvent() == tour.GetEvent(1); });
  EXPECT_EQ(std::string(GetCurrentPoly()->mLibraryEntry->mName), "Snub Cube");
  EXPECT_NEAR(TurnAngle(Pane(0)), turns[1], 1e-6);
  YieldUntil([&] { return tour.GetCurrentEvent() == tour.GetEvent(2); });
  EXPECT_EQ(name(), "3.4.3.4");
  EXPECT_NEAR(TurnAngle(Pane(0)), turns[2], 1e-6);
  // A model change that is not the tour's stops it.
  ASSERT_TRUE(Doc()->OpenModelByNameOrSymbol("5.5.5"));
  EXPECT_FALSE(tour.IsTourPlaying());
  tour.Clear();
}

// ---- The flat panes on screen, exported and printed ---------------------------------------------

// The pixels that are not the panes' grey background.
int Drawn(const GLBitmap& image) {
  int count = 0;
  for (size_t i = 0; i < image.pixels.size(); i += 4) {
    const uint8_t* p = &image.pixels[i];
    count += (std::abs(p[0] - 128) > 2 || std::abs(p[1] - 128) > 2 || std::abs(p[2] - 128) > 2) ? 1 : 0;
  }
  return count;
}

// The net pane and the stellation diagram pane as the screen shows them, for the
// icosahedron and a stellation of it, against their reference pictures; the exported
// image holds the pixels of the screen.
TEST_F(ProgramTest, NetAndDiagramPanesOnScreenAndExported) {
  CPolyView* pane = Pane(1);
  auto Shot = [pane](int i) {
    Repaint(pane);
    return ScreenBitmap(Canvas(i));
  };
  ASSERT_EQ(pane->GetViewType(), kViewUnfoldedNet);
  ExportSettings& settings = GetAppSettings().exports;
  const ExportSettings saved = settings;
  settings.overSample = 1;
  settings.hideText = 0;
  const GLBitmap net = Shot(1);
  EXPECT_GT(Drawn(net), 5000);
  corvia::testing::ExpectMatchesFixture(net, "pane-net-icosahedron");
  const std::string path = (corvia::testing::ScratchDir("pane-export") / "net.png").string();
  ASSERT_TRUE(pane->ExportImage(path.c_str(), net.width, net.height));
  GLBitmap exported;
  ASSERT_TRUE(corvia::testing::LoadPng(path, exported));
  EXPECT_LE(corvia::testing::LargestChannelDifference(exported, net), 1);
  settings = saved;

  ASSERT_TRUE(pane->SetViewType(kViewStellationDiagram, false));
  const GLBitmap diagram = Shot(1);
  EXPECT_EQ(pane->Drawing().GetPaneStatusText(), "Face type 1 of 1.  20 faces of this type.");
  EXPECT_GT(Drawn(diagram), 5000);
  corvia::testing::StellateCurrentBase(2);
  const GLBitmap stellation = Shot(1);
  EXPECT_NE(stellation.pixels, diagram.pixels);
  corvia::testing::ExpectMatchesFixture(stellation, "pane-stellation-diagram-icosahedron");

  // The nets of the stellation, unfolded and folding.
  ASSERT_TRUE(pane->SetViewType(kViewUnfoldedNet, false));
  const GLBitmap nets = Shot(1);
  EXPECT_GT(Drawn(nets), 2000);
  EXPECT_NE(nets.pixels, net.pixels);
  ASSERT_TRUE(pane->SetViewType(kViewFoldingNet, false));
  EXPECT_GT(Drawn(Shot(1)), 2000);
  EXPECT_TRUE(corvia::testing::Platform().messages.Boxes().empty());
}

// The Faceting Preview pane on screen: the faceted model of the second isohedral
// faceting of the icosahedron (the first is the icosahedron itself), as the program
// shows it.
TEST_F(ProgramTest, TheFacetingPreviewShowsAFacetingOfTheIcosahedron) {
  CPolyView* pane = Pane(1);
  ASSERT_TRUE(pane->SetViewType(kViewFacetingPreview, false));
  Repaint(pane);
  const GLBitmap empty = ScreenBitmap(Canvas(1));
  const FacetingSettings saved = GetFacetingSettings();
  ASSERT_NE(corvia::testing::ShowIsohedralFaceting(2), nullptr);
  Repaint(pane);
  const GLBitmap shown = ScreenBitmap(Canvas(1));
  Poly* poly = GetCurrentPoly();
  ASSERT_NE(poly->mFacetPreview, nullptr);
  EXPECT_GT(poly->mFacetPreview->model->NumFaces(), 4);
  EXPECT_GT(Drawn(shown), Drawn(empty) + 5000);
  corvia::testing::ExpectMatchesFixture(shown, "pane-faceting-preview-icosahedron");
  GetFacetingSettings() = saved;
  EXPECT_TRUE(corvia::testing::Platform().messages.Boxes().empty());
}

// The nets of a stellation printed into a PostScript file: one page of the file for
// each page of the fitting, every line inside the page's margins.
TEST_F(ProgramTest, NetsPrintIntoAPostScriptFile) {
  corvia::testing::StellateCurrentBase(2);
  CPolyView* pane = Pane(1);
  UnitSettings& units = GetUnitSettings();
  const UnitSettings saved = units;
  units.mLengthScale = 3.0;
  units.mMarginLeft = units.mMarginRight = units.mMarginTop = units.mMarginBottom = 1440;
  const std::string path = (corvia::testing::ScratchDir("print-nets") / "nets.ps").string();
  const corvia::testing::PostScriptPrint print = corvia::testing::PrintToPostScript(pane, path);
  const int pages = print.pages;
  const wxSize ppi = print.ppi, size = print.size;
  // The fitting itself, on the same page.
  const PrintPageGeometry geometry = GetPrintPageGeometry(wxRect(wxPoint(0, 0), size), ppi);
  Model3D* model = GetCurrentPoly()->mBaseBlock.get()->GetModel3D(true, nullptr);
  ASSERT_NE(model, nullptr);
  model->CountNetsToPrint(nullptr, false);
  int32_t lowest = 0;
  NetPage* fitted = FitNetsOnPages(model, geometry.rect, 0, nullptr, false, &lowest);
  int expected = 0;
  for (NetPage* page = fitted; page; page = page->next) ++expected;
  NetPage::FreeList(fitted);
  units = saved;
  EXPECT_EQ(pages, expected);
  EXPECT_GT(pages, 1);

  std::ifstream in(path);
  ASSERT_TRUE(in) << path;
  std::string line;
  int filePages = 0, points = 0;
  while (std::getline(in, line)) {
    if (line.rfind("%%Page:", 0) == 0) ++filePages;
    std::istringstream words(line);
    double x = 0.0, y = 0.0;
    std::string op;
    if (!(words >> x >> y >> op) || (op != "moveto" && op != "lineto")) continue;
    ++points;
    ASSERT_TRUE(x >= 71.0 && x <= 595.0 - 71.0 && y >= 71.0 && y <= 842.0 - 71.0) << line;
  }
  EXPECT_EQ(filePages, pages);
  EXPECT_GT(points, 100);
}


// Once the toolkit's Print dialog shows (it runs a loop of its own, in which only
// timers reach the test), gives it the keys and presses Escape there; then hands the
// keys to the main window. So a window manager does: the keys go to a new dialog, and
// where the dialog goes they may go to the application's main window.
class EscapeFromPrintDialog : public wxTimer {
 public:
  explicit EscapeFromPrintDialog(std::string mainTitle) : mMainTitle(std::move(mainTitle)) { Start(kPeriodMs); }
  void Notify() override {
    if (!corvia::testing::GiveKeysToWindowTitled("Print")) {
      if (std::chrono::steady_clock::now() > mEnd) Stop();
      return;
    }
    Stop();
    seen = true;
    {
      wxUIActionSimulator keys;
      keys.Char(WXK_ESCAPE);
    }
    // The key has reached the display before the keys move on.
    wxGetMouseState();
    corvia::testing::GiveKeysToWindowTitled(mMainTitle);
  }
  bool seen = false;

 private:
  static constexpr int kPeriodMs = 20;
  const std::string mMainTitle;
  const std::chrono::steady_clock::time_point mEnd = std::chrono::steady_clock::now() + corvia::testing::kWaitLimit;
};

// The print preview of the net pane opens in a window of its own, which takes the keys
// at once: Escape closes it. Enter opens the Print dialog; once Escape has closed that,
// the preview has the keys again. Nets too large for the page open none and say why.
TEST_F(ProgramTest, PrintPreviewOfTheNets) {
  auto previewFrame = []() -> wxPreviewFrame* {
    for (wxWindow* window : wxTopLevelWindows) {
      if (auto* frame = dynamic_cast<wxPreviewFrame*>(window)) return frame;
    }
    return nullptr;
  };
  // Two centimetres for each unit of the model: the icosahedron's net fits on A4.
  UnitSettings& units = GetUnitSettings();
  const double scale = units.mLengthScale;
  units.mLengthScale = 2.0;
  // The main window has the keys, as it has when the user works in it.
  mFrame->Raise();
  YieldUntil([&] { return mFrame->IsActive(); });
  ASSERT_TRUE(ShowPrintPreview(Pane(1), mFrame));
  YieldUntil([&] { return previewFrame() && previewFrame()->IsShownOnScreen(); });
  ASSERT_NE(previewFrame(), nullptr);
  wxUIActionSimulator keys;
  keys.Char(WXK_ESCAPE);
  YieldUntil([&] { return previewFrame() == nullptr; });
  EXPECT_EQ(previewFrame(), nullptr);

  // File > Print... (Ctrl+P) on the net pane; Enter in the preview opens the Print
  // dialog, Escape there closes it, and the preview has the keys again: the next
  // Escape closes it.
  const std::string mainTitle = mFrame->GetTitle().utf8_string();
  mFrame->Raise();
  YieldUntil([&] { return corvia::testing::KeyWindowTitle() == mainTitle; });
  Pane(1)->Activate(true);
  keys.Char('P', wxMOD_CONTROL);
  YieldUntil([&] { return previewFrame() && previewFrame()->IsShownOnScreen(); });
  ASSERT_NE(previewFrame(), nullptr);
  YieldUntil([&] { return corvia::testing::KeyWindowTitle() == "Print Preview"; });
  EXPECT_FALSE(mFrame->IsEnabled());
  {
    EscapeFromPrintDialog escape(mainTitle);
    keys.Char(WXK_RETURN);
    YieldUntil([&] { return !escape.IsRunning(); });
    ASSERT_TRUE(escape.seen) << "Enter opened no Print dialog";
  }
  ASSERT_NE(previewFrame(), nullptr);
  EXPECT_FALSE(mFrame->IsEnabled()) << "the main window takes input behind the preview";
  YieldUntil([&] { return corvia::testing::KeyWindowTitle() == "Print Preview"; });
  EXPECT_EQ(corvia::testing::KeyWindowTitle(), "Print Preview");
  keys.Char(WXK_ESCAPE);
  YieldUntil([&] { return previewFrame() == nullptr; });
  EXPECT_EQ(previewFrame(), nullptr) << "the preview takes no key after the Print dialog";
  EXPECT_TRUE(mFrame->IsEnabled());
  EXPECT_TRUE(corvia::testing::Platform().messages.Boxes().empty());
  // The main window takes input again.
  EXPECT_TRUE(mFrame->IsEnabled());

  // Declining the radius that fits opens no preview.
  units.mLengthScale = 200.0;
  corvia::testing::Platform().messages.QueueAnswer(platform::kBoxNo);
  EXPECT_FALSE(ShowPrintPreview(Pane(1), mFrame));
  units.mLengthScale = scale;
  ASSERT_EQ(corvia::testing::Platform().messages.Boxes().size(), 1u);
  EXPECT_EQ(corvia::testing::Platform().messages.Boxes()[0].text.rfind("The nets do not fit on the page.", 0), 0u);
  YieldUntilHandled();
  EXPECT_EQ(previewFrame(), nullptr);
  corvia::testing::Platform().messages.Clear();
}

// Closes the About box once it is open, keeping what it showed.
class CloseAboutBox : public wxTimer {
 public:
  CloseAboutBox() { Start(kPeriodMs); }
  void Notify() override {
    for (wxWindow* window : wxTopLevelWindows) {
      auto* dialog = dynamic_cast<wxDialog*>(window);
      if (!dialog || dialog->GetName() != "AboutBox" || !dialog->IsModal()) continue;
      Stop();
      title = dialog->GetTitle().utf8_string();
      for (const char* name : {"product", "version", "date", "homePage", "webSite"}) {
        if (wxWindow* item = dialog->FindWindow(name)) texts.push_back(item->GetLabel().utf8_string());
      }
      if (auto* link = dynamic_cast<HyperLink*>(dialog->FindWindow("homePage"))) homePage = link->GetAddress();
      corvia::testing::KeepScreenshot(dialog, "about-box");
      dialog->EndModal(wxID_OK);
    }
  }
  std::string title;
  std::vector<std::string> texts;
  std::string homePage;

 private:
  static constexpr int kPeriodMs = 20;
};

TEST_F(ProgramTest, TheHelpMenuOpensTheManualThePagesAndTheAboutBox) {
  platform::ServiceSet services = platform::Services();
  services.shell = &corvia::testing::Platform().shell;
  platform::InstallServices(services);
  std::vector<std::string>& opened = corvia::testing::Platform().shell.mOpened;
  opened.clear();
  const auto post = [this](int command) { corvia::testing::PostMenuCommand(mFrame, command); };

  post(kCmdHelpManual);
  ASSERT_EQ(opened.size(), 1u);
  EXPECT_TRUE(std::filesystem::is_regular_file(opened[0])) << opened[0];
  EXPECT_EQ(std::filesystem::path(opened[0]).filename(), "CorviaManual.html");
  for (int command : {kCmdHelpPaper, kCmdHelpForums}) post(command);
  EXPECT_EQ(opened, (std::vector<std::string>{opened[0], kPaperPage, kForumsPage}));
  // The program has no social page and no companion app: the two items say so and open nothing.
  corvia::testing::Platform().messages.Clear();
  for (int command : {kCmdHelpFacebook, kCmdHelpCompanionApp}) post(command);
  EXPECT_EQ(opened.size(), 3u);
  ASSERT_EQ(corvia::testing::Platform().messages.Boxes().size(), 2u);
  EXPECT_NE(corvia::testing::Platform().messages.Boxes()[0].text.find("no page on Facebook"), std::string::npos);
  EXPECT_NE(corvia::testing::Platform().messages.Boxes()[1].text.find("no companion app"), std::string::npos);

  {
    CloseAboutBox close;
    post(kCmdAppAbout);
    EXPECT_EQ(close.title, "About Corvia");
    EXPECT_EQ(close.texts, (std::vector<std::string>{"Corvia", GetAboutVersionText(), "8th December 2026", "Home page",
                                                     kHomePage}));
    EXPECT_EQ(close.homePage, kHomePage);
  }
  EXPECT_TRUE(std::none_of(wxTopLevelWindows.begin(), wxTopLevelWindows.end(),
                           [](wxWindow* window) { return window->GetName() == "AboutBox"; }));

  // No update server is set here: the user is told, and no request is made.
  corvia::testing::Platform().messages.Clear();
  post(kCmdCheckForUpdates);
  ASSERT_EQ(corvia::testing::Platform().messages.Boxes().size(), 1u);
  EXPECT_EQ(TheWebRequest().GetState(), WebRequest::kIdle);
  corvia::testing::Platform().messages.Clear();
  opened.clear();
}


// Whether Edit > Undo and Redo are enabled on the tool bar after its idle update.
std::array<bool, 2> UndoRedoToolsEnabled(CToolBarEx* bar) {
  constexpr int kUndo = 57643, kRedo = 57644;
  bar->UpdateWindowUI(wxUPDATE_UI_FROMIDLE);
  return {bar->GetToolEnabled(ToWxId(kUndo)), bar->GetToolEnabled(ToWxId(kRedo))};
}

// Behind a modal box the tool bars keep what their commands' updates say: with nothing to
// undo, Undo and Redo stay disabled while the About box is up and its idle updates run.
TEST_F(ProgramTest, AModalBoxLeavesTheToolsItsCommandsDisableDisabled) {
  CToolBarEx* bar = dynamic_cast<CMainFrame*>(mFrame)->GetToolBar(kMainToolBarId);
  ASSERT_NE(bar, nullptr);
  ASSERT_FALSE(GetUndoList().CanUndo());
  ASSERT_EQ(UndoRedoToolsEnabled(bar), (std::array{false, false}));
  struct ReadBehindTheBox : wxTimer {
    CToolBarEx* bar = nullptr;
    std::optional<std::array<bool, 2>> seen;
    void Notify() override {
      for (wxWindow* window : wxTopLevelWindows) {
        auto* dialog = dynamic_cast<wxDialog*>(window);
        if (!dialog || dialog->GetName() != "AboutBox" || !dialog->IsModal()) continue;
        Stop();
        seen = UndoRedoToolsEnabled(bar);
        dialog->EndModal(wxID_OK);
      }
    }
  } behind;
  behind.bar = bar;
  behind.Start(20);
  corvia::testing::PostMenuCommand(mFrame, kCmdAppAbout);
  ASSERT_TRUE(behind.seen.has_value());
  EXPECT_EQ(*behind.seen, (std::array{false, false}));
  EXPECT_EQ(UndoRedoToolsEnabled(bar), (std::array{false, false}));
}

// ---- Clicks and the mouse selection modes ------------------------------------------------------

// A click at a point of the pane's drawing area.
void ClickAtWindow(wxWindow* canvas, int x, int y) {
  corvia::testing::ClickAt(canvas, wxPoint(x, y));
  YieldUntil([] { return NewView::GetMouseButtonsHeld() == 0; });
}

// A click where the pane's camera puts a model point.
void ClickAt(CPolyView* pane, wxWindow* canvas, const double* point) {
  double window[3];
  pane->ApplyViewTransform(window, point);
  ClickAtWindow(canvas, static_cast<int>(std::lround(window[0])), static_cast<int>(std::lround(window[1])));
}

// The element of the list nearest the eye: the face that faces it most, or the vertex
// in front.
PolyElement* Frontmost(const CPolyView* pane, ElementList& list, bool byCentre) {
  PolyElement* best = nullptr;
  double bestValue = -1e300;
  for (PolyElement* e = list.mHead; e; e = e->mNext) {
    const double value = Dot(byCentre ? e->mCentre : e->mDualVert, pane->Camera().GetEye());
    if (value > bestValue) bestValue = value, best = e;
  }
  return best;
}

// The edge of the model whose middle lies nearest the eye, and that middle.
Edge* FrontmostEdge(const CPolyView* pane, Poly* poly, double* middle) {
  Edge* edge = nullptr;
  double bestValue = -1e300;
  for (int i = 0; i < poly->mNumEdges; ++i) {
    Edge* e = poly->GetEdge(i);
    double m[3];
    Add(m, e->GetVert(false, 0)->mDualVert, e->GetVert(false, 1)->mDualVert);
    if (Dot(m, pane->Camera().GetEye()) > bestValue)
      bestValue = Dot(m, pane->Camera().GetEye()), edge = e, Scale(middle, m, 0.5);
  }
  return edge;
}

// A menu command, sent to the window as its menu item sends it.
void Command(wxFrame* frame, int id) {
  wxCommandEvent event(wxEVT_MENU, ToWxId(id));
  event.SetEventObject(frame);
  frame->GetEventHandler()->ProcessEvent(event);
}

bool MenuItemChecked(wxFrame* frame, int id) {
  frame->GetMenuBar()->UpdateMenus();
  wxMenuItem* item = frame->GetMenuBar()->FindItem(ToWxId(id));
  return item && item->IsChecked();
}

TEST_F(ProgramTest, AClickSelectsWhatLiesUnderThePointerAndADragDoesNot) {
  CPolyView* pane = Pane(0);
  wxWindow* canvas = Canvas(0);
  Poly* poly = GetCurrentPoly();
  ModelDrawSettings& draw = GetModelDrawSettings();
  const ModelDrawSettings saved = draw;

  // The face that faces the viewer most, clicked at its centre.
  PolyElement* face = Frontmost(pane, poly->mFaces, true);
  ClickAt(pane, canvas, face->mCentre);
  EXPECT_EQ(poly->mSelectedItem, face);
  EXPECT_FALSE(poly->IsSelectionVertex());
  Repaint(pane);
  corvia::testing::KeepScreenshot(mFrame, "selected-face");
  // The selected face again clears the selection; so does a click on empty space.
  ClickAt(pane, canvas, face->mCentre);
  EXPECT_EQ(poly->mSelectedItem, nullptr);
  ClickAt(pane, canvas, face->mCentre);
  EXPECT_EQ(poly->mSelectedItem, face);
  ClickAtWindow(canvas, 5, 5);
  EXPECT_EQ(poly->mSelectedItem, nullptr);

  // With vertices and edges shown, a click on a vertex selects it, one on the middle
  // of an edge the edge.
  draw.showVerts = draw.showEdges = true;
  Repaint(pane);
  PolyElement* vertex = Frontmost(pane, poly->mVertices, false);
  ClickAt(pane, canvas, vertex->mDualVert);
  EXPECT_EQ(poly->mSelectedItem, vertex);
  EXPECT_TRUE(poly->IsSelectionVertex());
  Repaint(pane);
  corvia::testing::KeepScreenshot(mFrame, "selected-vertex");
  double middle[3] = {0, 0, 0};
  Edge* edge = FrontmostEdge(pane, poly, middle);
  ClickAt(pane, canvas, middle);
  EXPECT_TRUE(poly->IsEdgeSelected());
  EXPECT_EQ(poly->GetSelectedEdge(), edge);
  Repaint(pane);
  corvia::testing::KeepScreenshot(mFrame, "selected-edge");
  draw = saved;
  poly->ClearSelection();

  // A drag from a face turns the model and selects nothing.
  const double before = TurnAngle(pane);
  double window[3];
  pane->ApplyViewTransform(window, face->mCentre);
  const wxPoint start = canvas->ClientToScreen(wxPoint(static_cast<int>(window[0]), static_cast<int>(window[1])));
  wxUIActionSimulator mouse;
  MovePointerTo(mouse, start);
  PressButton(mouse);
  for (int i = 1; i <= 6; ++i) MovePointerTo(mouse, start + wxPoint(10 * i, 0));
  // The pointer rests before the release, so that the model does not go on turning.
  YieldFor(300);
  ReleaseButton(mouse);
  YieldUntil([] { return NewView::GetMouseButtonsHeld() == 0; });
  EXPECT_GT(std::fabs(TurnAngle(pane) - before), 5.0 * kRadians);
  EXPECT_EQ(poly->mSelectedItem, nullptr);
  EXPECT_TRUE(corvia::testing::Platform().messages.Boxes().empty());
}

TEST_F(ProgramTest, TheModeCommandsSetTheModeAndAClickActsByIt) {
  CPolyView* pane = Pane(0);
  wxWindow* canvas = Canvas(0);
  Poly* poly = GetCurrentPoly();
  struct ModeItem {
    int id, mode;
  };
  for (ModeItem item : {ModeItem{32945, kSelectIdentification}, ModeItem{32938, kSelectCutEdges},
                        ModeItem{32939, kSelectMeasurement}, ModeItem{32940, kSelectFaceting},
                        ModeItem{33175, kSelectColorHide}, ModeItem{33384, kSelectSectionTumble},
                        ModeItem{32937, kSelectFacesVertices}}) {
    Command(mFrame, item.id);
    EXPECT_EQ(GetPaneSelectionMode(), item.mode);
    EXPECT_TRUE(MenuItemChecked(mFrame, item.id)) << item.id;
  }
  EXPECT_FALSE(MenuItemChecked(mFrame, 32939));

  // Identification names the face in the status bar and selects nothing.
  Command(mFrame, 32945);
  PolyElement* face = Frontmost(pane, poly->mFaces, true);
  ClickAt(pane, canvas, face->mCentre);
  EXPECT_EQ(poly->mSelectedItem, nullptr);
  EXPECT_EQ(mFrame->GetStatusBar()->GetStatusText(0).ToStdString(),
            "Base face " + std::to_string(face->GetNumber()) + " (type 1)");

  // Measurement: a click picks a point on the face.
  Command(mFrame, 32939);
  ClickAt(pane, canvas, face->mCentre);
  EXPECT_EQ(GetPointPicker(0).mCount, 1);
  double offset[3];
  Subtract(offset, GetPointPicker(0).GetPoint(0), face->mCentre);
  EXPECT_LT(VectorLength(offset), 0.02);
  // A click a few pixels off a corner measures from the corner itself.
  {
    PolyElement* corner = face->GetCorner(1);
    double towardsCentre[3], near[3];
    Subtract(towardsCentre, face->mCentre, corner->mDualVert);
    for (int k = 0; k < 3; ++k) near[k] = corner->mDualVert[k] + 0.01 * towardsCentre[k];
    ClickAt(pane, canvas, near);
    ASSERT_EQ(GetPointPicker(0).mCount, 1);
    for (int k = 0; k < 3; ++k) EXPECT_EQ(GetPointPicker(0).GetPoint(0)[k], corner->mDualVert[k]);
  }
  Repaint(pane);
  corvia::testing::KeepScreenshot(mFrame, "measurement");

  // Faceting: a click on a vertex starts the facet with it.
  Command(mFrame, 32940);
  PolyElement* vertex = face->GetCorner(0);
  ClickAt(pane, canvas, vertex->mDualVert);
  ASSERT_NE(poly->mCurrentDrawnPolygon, nullptr);
  ASSERT_EQ(CountPolygonRing(poly->mCurrentDrawnPolygon->ring), 1);
  const double* added = poly->mCurrentDrawnPolygon->ring->point;
  EXPECT_NEAR(added[0], vertex->mDualVert[0], 1e-12);
  EXPECT_NEAR(added[1], vertex->mDualVert[1], 1e-12);
  EXPECT_NEAR(added[2], vertex->mDualVert[2], 1e-12);

  // Colour/hide: the clicked face is hidden.
  Command(mFrame, 33175);
  ClickAt(pane, canvas, face->mCentre);
  EXPECT_TRUE(face->HasFlag(kElementHidden));
  face->mFlags &= ~kElementHidden;

  // Esc goes back to selecting.
  canvas->SetFocus();
  YieldUntil([canvas] { return wxWindow::FindFocus() == canvas; });
  wxUIActionSimulator keys;
  keys.Char(WXK_ESCAPE);
  YieldUntil([] { return GetPaneSelectionMode() == kSelectFacesVertices; });
  EXPECT_EQ(GetPaneSelectionMode(), kSelectFacesVertices);
  EXPECT_TRUE(corvia::testing::Platform().messages.Boxes().empty());
}

// Two corners of the cube clicked (a few pixels off) in the Base Polyhedron pane
// measure its edge, in the user's unit in the status bar and in the label drawn at the
// middle of the segment. In the net pane the same clicks measure nothing and say why.
TEST_F(ProgramTest, MeasuringTwoCornersReadsTheEdgeAndTheNetPaneSaysWhyItDoesNotMeasure) {
  ASSERT_TRUE(Doc()->OpenModelByNameOrSymbol("cube"));
  YieldUntil([] { return !GetCurrentPoly()->IsTransitionRunning(); });
  Poly* poly = GetCurrentPoly();
  Command(mFrame, 32939);
  auto status = [this] { return mFrame->GetStatusBar()->GetStatusText(0).ToStdString(); };

  // The net pane: two corners of a facelet of its net.
  CPolyView* netPane = Pane(1);
  ASSERT_EQ(netPane->GetViewType(), kViewUnfoldedNet);
  Model3D* model = netPane->GetModel3D();
  ASSERT_TRUE(model && model->mCurrentNet && model->mCurrentNet->first);
  for (int i = 0; i < 2; ++i) {
    const double* corner = model->mCurrentNet->first->mEdges[i].unfolded;
    ClickAt(netPane, Canvas(1), std::array<double, 3>{corner[0], corner[1], 0.0}.data());
  }
  EXPECT_EQ(GetPointPicker(0).mCount, 0);
  EXPECT_EQ(status().rfind("No measuring on nets", 0), 0u) << status();
  std::string left, right, both;
  netPane->GetMouseButtonHelp(left, right, both);
  EXPECT_EQ(left.find("Measure"), std::string::npos) << left;
  EXPECT_NE(netPane->GetCursor(), kCursorMeasure);

  // The base pane: the ends of the edge nearest the eye, each clicked a little towards
  // the other; the label appears beside the middle only with the second.
  CPolyView* pane = Pane(0);
  double middle[3], window[3];
  Edge* edge = FrontmostEdge(pane, poly, middle);
  const double* ends[2] = {edge->GetVert(false, 0)->mDualVert, edge->GetVert(false, 1)->mDualVert};
  GLBitmap shots[2];
  for (int i = 0; i < 2; ++i) {
    double near[3];
    for (int k = 0; k < 3; ++k) near[k] = (ends[i][k] + 0.04 * (middle[k] - ends[i][k])) * poly->mDisplayScale;
    ClickAt(pane, Canvas(0), near);
    Repaint(pane);
    shots[i] = ScreenBitmap(Canvas(0));
  }
  for (int i = 0; i < 2; ++i) {
    for (int k = 0; k < 3; ++k) EXPECT_EQ(GetPointPicker(i).GetPoint(0)[k], ends[1 - i][k]);
  }
  const double length = edge->GetLength(false) * GetUnitSettings().mLengthScale;
  EXPECT_NEAR(GetMeasuredDistance() * GetUnitSettings().mLengthScale, length, 1e-12);
  char expected[64];
  std::snprintf(expected, sizeof expected, "Distance: %g", length);
  EXPECT_EQ(status(), expected);
  Scale(middle, middle, poly->mDisplayScale);
  pane->ApplyViewTransform(window, middle);
  int changed = 0;
  for (int y = static_cast<int>(window[1]) - 12; y < static_cast<int>(window[1]) + 12; ++y) {
    for (int x = static_cast<int>(window[0]) + 2; x < static_cast<int>(window[0]) + 60; ++x) {
      changed += std::memcmp(shots[0].Pixel(x, y), shots[1].Pixel(x, y), 3) != 0 ? 1 : 0;
    }
  }
  EXPECT_GT(changed, 40);
  corvia::testing::KeepScreenshot(mFrame, "measuring-cube-edge");
  EXPECT_TRUE(corvia::testing::Platform().messages.Boxes().empty());
}

TEST_F(ProgramTest, AScaleCommandRescalesTheModel) {
  ASSERT_TRUE(Doc()->OpenModelByNameOrSymbol("cube"));
  YieldUntil([] { return !GetCurrentPoly()->IsTransitionRunning(); });
  Poly* poly = GetCurrentPoly();
  ASSERT_EQ(poly->mFaces.mCount, 6);
  UnitSettings& units = GetUnitSettings();
  const double saved = units.mLengthScale;
  corvia::testing::Platform().messages.QueueText("2");
  Command(mFrame, kCmdScaleMidradius);
  EXPECT_NEAR(GetMidradius(poly) * units.mLengthScale, 2.0, 1e-9);
  // The volume of a cube of edge e is e^3.
  corvia::testing::Platform().messages.QueueText("27");
  Command(mFrame, kCmdScaleBaseVolume);
  EXPECT_NEAR(poly->mVolume * std::pow(units.mLengthScale, 3), 27.0, 1e-9);
  // A value that is not above 0 is refused and changes nothing.
  const double before = units.mLengthScale;
  corvia::testing::Platform().messages.QueueText("-1");
  Command(mFrame, kCmdScaleBaseRadius);
  EXPECT_EQ(units.mLengthScale, before);
  ASSERT_EQ(corvia::testing::Platform().messages.Boxes().size(), 1u);
  corvia::testing::Platform().messages.Clear();
  units.SetLengthScale(saved, false);
}

// Edit > Scale with the model's pane active: the Unfolded Net pane beside it writes the
// new edge lengths at once, the texts a fresh drawing of the net at the new scale
// writes, in the same places.
TEST_F(ProgramTest, TheNetPaneWritesTheEdgeLengthsOfAScaleChosenInTheModelPane) {
  constexpr int kCmdShowEdgeLengths = 33000;
  ASSERT_TRUE(Doc()->OpenModelByNameOrSymbol("Cuboctahedron"));
  YieldUntil([] { return !GetCurrentPoly()->IsTransitionRunning(); });
  UnitSettings& units = GetUnitSettings();
  const double saved = units.mLengthScale;
  auto& messages = corvia::testing::Platform().messages;
  messages.QueueText("5");
  Command(mFrame, kCmdScaleBaseRadius);
  CPolyView* net = Pane(1);
  ASSERT_EQ(net->GetViewType(), kViewUnfoldedNet);
  Command(mFrame, kCmdShowEdgeLengths);
  ASSERT_EQ(GetNetSettings().edgeData, kEdgeDataLengths);
  // What the pane wrote in its last paint against what a paint of the net writes now.
  std::vector<NetText> written, fresh;
  auto same = [&] {
    written = GetNetTextsWritten(net);
    Model3D* model = net->GetModel3D();
    fresh = model ? WorkOutNetTexts(model->mCurrentNet, net) : std::vector<NetText>();
    bool equal = !written.empty() && written.size() == fresh.size();
    for (size_t i = 0; equal && i < written.size(); ++i) {
      equal = written[i].text == fresh[i].text && std::fabs(written[i].at[0] - fresh[i].at[0]) < 1e-6 &&
              std::fabs(written[i].at[1] - fresh[i].at[1]) < 1e-6;
    }
    return equal;
  };
  auto allRead = [&](const std::string& length) {
    return std::all_of(written.begin(), written.end(), [&](const NetText& t) { return t.text == length; });
  };
  YieldUntil(same);
  ASSERT_TRUE(same());
  EXPECT_TRUE(allRead("5"));

  // A click on the model pane's background makes it the active pane, and the scale is
  // chosen there.
  ClickAtWindow(Canvas(0), 8, Canvas(0)->GetClientSize().y - 8);
  YieldUntil([] { return CPolyView::GetActive() == Pane(0); });
  ASSERT_EQ(CPolyView::GetActive(), Pane(0));
  messages.QueueText("21.6143");
  Command(mFrame, kCmdScaleBaseRadius);
  ASSERT_NEAR(units.mLengthScale, 21.6143, 1e-9);
  YieldUntil(same);
  EXPECT_TRUE(same()) << written.size() << " texts written, the first \"" << (written.empty() ? "" : written[0].text)
                      << "\"; " << fresh.size() << " worked out afresh";
  EXPECT_TRUE(allRead("21.6143"));
  EXPECT_TRUE(messages.Boxes().empty());
  Command(mFrame, kCmdShowEdgeLengths);
  EXPECT_EQ(GetNetSettings().edgeData, 0u);
  units.SetLengthScale(saved, false);
}

TEST_F(ProgramTest, DialogCommandsOpenTheirDialogsAndClosingKeepsTheirPlaces) {
  constexpr int kTextOptions = 33458, kTransitionOptions = 33497, kSelectVertexByIndex = 33136;
  constexpr int kSpheresAndCylinders = 33157;
  for (int id : {kTextOptions, kTransitionOptions, kSpheresAndCylinders, 32930, 33442, kSelectVertexByIndex}) {
    EXPECT_TRUE(IsCommandAvailable(id)) << id;
  }
  auto& messages = corvia::testing::Platform().messages;

  // A modal dialog: its window opens and is cancelled from the event loop it runs.
  struct CancelFontOptions : wxTimer {
    void Notify() override {
      CorviaDialog* dialog = GetTopDialog();
      if (!dialog || dialog->GetKey() != FontOptionsDlg::kName || !dialog->IsModal()) return;
      Stop();
      shown = true;
      dialog->PressCancel();
    }
    bool shown = false;
  } cancel;
  cancel.Start(20);
  Command(mFrame, kTextOptions);
  cancel.Stop();
  EXPECT_TRUE(cancel.shown);
  EXPECT_EQ(GetTopDialog(), nullptr);

  // The vertex numbered 2 of the icosahedron; a number it has not is refused, and
  // cancelling then leaves the selection alone.
  Poly* poly = GetCurrentPoly();
  ASSERT_NE(poly, nullptr);
  messages.QueueText("2");
  Command(mFrame, kSelectVertexByIndex);
  ASSERT_FALSE(messages.TextPrompts().empty());
  EXPECT_EQ(messages.TextPrompts().back(), "Number of the vertex to select (1 to 12):");
  EXPECT_EQ(poly->mSelectedElement, poly->GetVertex(1));
  messages.QueueText("13");
  Command(mFrame, kSelectVertexByIndex);
  EXPECT_EQ(messages.CountTitled("Error"), 1);
  EXPECT_EQ(poly->mSelectedElement, poly->GetVertex(1));

  // The Sphere and Cylinder Options, from the menu and from the option toolbar's
  // arrow; it stays open beside the main window.
  Command(mFrame, kSpheresAndCylinders);
  CorviaDialog* spheres = FindOpenDialog(SphereCylinderDlg::kName);
  ASSERT_NE(spheres, nullptr);
  spheres->PressCancel();
  YieldUntilGone(spheres);
  EXPECT_EQ(FindOpenDialog(SphereCylinderDlg::kName), nullptr);
  GetBarDocument().ShowSphereCylinderOptions();
  EXPECT_NE(FindOpenDialog(SphereCylinderDlg::kName), nullptr);

  // The Transitions dialog stays open beside the main window until the program
  // closes it, and its place is written with the settings.
  Command(mFrame, kTransitionOptions);
  CorviaDialog* transitions = FindOpenDialog(TransitionsDlg::kName);
  ASSERT_NE(transitions, nullptr);
  YieldUntil([transitions] { return transitions->IsShownOnScreen(); });
  const wxPoint place = transitions->GetScreenPosition();
  // The close-down ends it before it frees what the dialog shows.
  EndRunningDialogs();
  EXPECT_EQ(FindOpenDialog(TransitionsDlg::kName), nullptr);
  EXPECT_EQ(FindOpenDialog(SphereCylinderDlg::kName), nullptr);
  mFrame->Close(true);
  YieldUntil([] { return wxTopLevelWindows.empty(); });
  app::ShutDown();
  platform::SettingsStore written(mHome / "config" / "Corvia" / "settings.conf");
  ASSERT_FALSE(written.Load().damaged);
  const char* key = "Software\\CorviaSoft\\Corvia\\TransitionsDialog";
  uint32_t x = 0, y = 0;
  EXPECT_TRUE(written.GetNumber(key, "DialogX", x));
  EXPECT_TRUE(written.GetNumber(key, "DialogY", y));
  EXPECT_EQ(static_cast<int>(x), place.x);
  EXPECT_EQ(static_cast<int>(y), place.y);
  mFrame = app::StartUp();
  platform::ServiceSet services = platform::Services();
  services.messages = &messages;
  platform::InstallServices(services);
  YieldUntil([this] { return mFrame->IsShownOnScreen(); });
}

// Opened from the tour bar, the Transitions dialog sets the transitions of the
// selected rows' events, and the bar shows them; the occasions' records stay.
TEST_F(ProgramTest, TransitionOptionsOfTheTourBarSetTheSelectedEvents) {
  Tour& tour = GetTour();
  tour.Clear();
  for (int i = 0; i < 3; ++i) tour.AddToTour();
  CTourBar* bar = dynamic_cast<CMainFrame*>(mFrame)->GetTourBar();
  ASSERT_NE(bar, nullptr);
  CTourListCtrl* list = bar->GetList();
  ASSERT_EQ(list->GetItemCount(), 3);
  list->DeselectAll();
  list->SetSelected(0, true);
  list->SetSelected(2, true);
  const TransitionSettings tourRecord = *GetTransitionRecord(kOccasionTour);
  const int untouched = tour.GetEvent(1)->mTransition.mType;

  wxCommandEvent open(wxEVT_MENU, ToWxId(33497));
  bar->ProcessWindowEvent(open);
  CorviaDialog* dialog = FindOpenDialog(TransitionsDlg::kName);
  ASSERT_NE(dialog, nullptr);
  EXPECT_EQ(GetSelectedOccasions(), std::vector<int>{kOccasionTour});
  auto* type = FindDialogControl<wxChoice>(dialog, "type");
  auto* duration = FindDialogControl<wxTextCtrl>(dialog, "duration");
  ASSERT_TRUE(type && duration);
  type->SetSelection(kTransitionOrbit);
  duration->SetValue("3/2");
  dialog->PressOk();
  for (int row : {0, 2}) {
    EXPECT_EQ(tour.GetEvent(row)->mTransition.mType, kTransitionOrbit) << row;
    EXPECT_EQ(tour.GetEvent(row)->mTransition.mDuration, 1.5) << row;
    EXPECT_EQ(list->GetItemText(row, kTourColumnFadeType), GetTransitionName(kTransitionOrbit)) << row;
  }
  EXPECT_EQ(tour.GetEvent(1)->mTransition.mType, untouched);
  EXPECT_EQ(bar->GetSelectedRows(), (std::vector<int>{0, 2}));
  EXPECT_EQ(GetTransitionRecord(kOccasionTour)->mType, tourRecord.mType);
  EXPECT_EQ(GetTransitionRecord(kOccasionTour)->mDuration, tourRecord.mDuration);

  // Open again, the dialog follows the bar: the selection and an edit of a fade time.
  YieldUntilGone(dialog);
  bar->ProcessWindowEvent(open);
  dialog = FindOpenDialog(TransitionsDlg::kName);
  ASSERT_NE(dialog, nullptr);
  duration = FindDialogControl<wxTextCtrl>(dialog, "duration");
  EXPECT_EQ(duration->GetValue(), "1.5");
  list->DeselectAll();
  list->SetSelected(1, true);
  RefreshTransitionsDlg();
  EXPECT_EQ(duration->GetValue(), "");
  bar->OnEndLabelEdit(*list, 1, kTourColumnFade, "4");
  EXPECT_EQ(duration->GetValue(), "4");
  dialog->PressCancel();
  YieldUntilGone(dialog);
  EXPECT_EQ(tour.GetEvent(1)->mTransition.mType, untouched);
  tour.Clear();
  FreeSelectedOccasions();
}

// The document's browsing and edit commands, posted as the menus post them: each is
// enabled, reaches its handler, answers its prompts from the script and leaves no
// internal error and no GL error behind, on the icosahedron and on a stellation.
class ProgramCommandsTest : public ProgramTest {
 protected:
  void SetUp() override {
    ProgramTest::SetUp();
    SetGLErrorListener([](const std::string& location, const std::string& error) {
      ADD_FAILURE() << "GL error at " << location << ": " << error;
    });
    // Boxes, prompts and file dialogs answer from the test's script.
    platform::ServiceSet services = platform::Services();
    services.fileDialogs = &corvia::testing::Platform().fileDialogs;
    services.dialogs = &corvia::testing::Platform().dialogs;
    platform::InstallServices(services);
    SetTransitionsEnabled(false);
  }
  void TearDown() override {
    SetTextListPersistent(false);
    SetTransitionsEnabled(true);
    ProgramTest::TearDown();
    SetGLErrorListener(nullptr);
  }

  wxUpdateUIEvent Update(int id) {
    wxUpdateUIEvent event(ToWxId(id));
    event.SetEventObject(mFrame);
    mFrame->GetEventHandler()->ProcessEvent(event);
    return event;
  }

  void Command(int id) {
    EXPECT_TRUE(Update(id).GetEnabled()) << "command " << id;
    wxCommandEvent event(wxEVT_MENU, ToWxId(id));
    event.SetEventObject(mFrame);
    mFrame->GetEventHandler()->ProcessEvent(event);
    YieldUntilHandled();
  }

  // Every command once on the icosahedron, stellated when asked, each prompt answered.
  void PostEveryCommand(const std::string& tag, bool stellate) {
    bool recognised = false;
    ASSERT_TRUE(Doc()->SetModel(LookUpModel("3.3.3.3.3", &recognised, nullptr, nullptr, false), false, false));
    Poly* poly = GetCurrentPoly();
    if (stellate) {
      ASSERT_TRUE(Stellate(poly, poly->mBaseBlock.get(), true).done());
    }
    auto& messages = corvia::testing::Platform().messages;
    auto& dialogs = corvia::testing::Platform().fileDialogs;
    const auto folder = corvia::testing::ScratchDir("doc-commands-" + tag);
    const std::string list = (folder / "list.txt").string();
    std::ofstream(list) << "one\ntwo\nthree\n";

    Command(kCmdNextPolyhedron);
    Command(kCmdPreviousPolyhedron);
    Command(kCmdMakeFacesRegular);
    EXPECT_STREQ(GetCurrentPoly()->mName, "Icosahedron");
    for (int id : {kCmdEditBaseName, kCmdEditDualName, kCmdEditComments}) {
      messages.QueueText(tag);
      Command(id);
    }
    EXPECT_STREQ(GetCurrentPoly()->mEntryText, tag.c_str());
    // The information tree's edit of the link goes to the document.
    messages.QueueText("https://example.com/" + tag);
    EXPECT_TRUE(GetBarDocument().EditLink());
    EXPECT_EQ(std::string(GetCurrentPoly()->mWebLink), "https://example.com/" + tag);

    // The element commands wait for a selection.
    GetCurrentPoly()->ClearSelection();
    EXPECT_FALSE(Update(kCmdEditElementText).GetEnabled());
    PolyElement* face = GetCurrentPoly()->mFaces.mHead;
    GetCurrentPoly()->SelectFace(face, false);
    messages.QueueText(tag);
    Command(kCmdEditElementText);
    EXPECT_EQ(std::string(face->GetLabel()), tag);

    for (int id : {kCmdLoadTextListFaces, kCmdLoadTextListEdges, kCmdLoadTextListVertices, kCmdSaveTextListFaces,
                   kCmdSaveTextListEdges, kCmdSaveTextListVertices}) {
      dialogs.QueueChoice(id == kCmdSaveTextListVertices ? (folder / "saved.txt").string() : list);
      Command(id);
    }
    EXPECT_EQ(std::string(face->GetLabel()), "one");
    EXPECT_TRUE(std::filesystem::exists(folder / "saved.txt"));
    // The text dialogs preview text files.
    EXPECT_EQ(dialogs.mRequests.back().kind, platform::FileDialogKind::FilePreview);

    const bool persistent = Update(kCmdTextListPersistent).GetChecked();
    Command(kCmdTextListPersistent);
    EXPECT_NE(Update(kCmdTextListPersistent).GetChecked(), persistent);
    Command(kCmdTextListPersistent);

    messages.QueueAnswer(0);
    Command(kCmdRemoveText);
    EXPECT_EQ(face->GetLabel(), nullptr);

    // The model chosen in the Polyhedra dialog becomes current.
    corvia::testing::Platform().dialogs.Queue<CPolyhedraDialog>([](CPolyhedraDialog& d) {
      bool known = false;
      d.mEntry = LookUpModel("4.4.4", &known, nullptr, nullptr, false);
      return true;
    });
    Command(kCmdPolyhedronList);
    EXPECT_STREQ(GetCurrentPoly()->mName, "Cube");

    RedrawAllViews(true, false);
    UpdateAllViewsNow();
    YieldUntilHandled();
  }
};

TEST_F(ProgramCommandsTest, EveryCommandOnTheIcosahedronAndAStellation) {
  PostEveryCommand("plain", false);
  CPolyView* pane = Pane(0);
  ASSERT_NE(pane, nullptr);
  pane->SetViewType(kViewStellationOfBase, false);
  PostEveryCommand("stellation", true);
  EXPECT_EQ(pane->GetViewType(), kViewStellationOfBase);

}

}  // namespace test_Program

namespace test_Program {

// The tour made afresh of the cube and the cuboctahedron, each event `seconds` long;
// false when a model does not open.
bool TourOfTwoModels(Tour& tour, float seconds) {
  tour.Clear();
  for (const char* model : {"4.4.4", "3.4.3.4"}) {
    if (!CPolyApp::Get().GetDoc()->OpenModelByNameOrSymbol(model)) return false;
    YieldUntil([] { return !GetCurrentPoly()->IsTransitionRunning(); });
    tour.AddToTour();
  }
  for (int i = 0; i < 2; ++i) tour.GetEvent(i)->mDuration = seconds;
  return true;
}

// File > Exit with a print preview open and a tour playing: the tour stops and every
// top-level window goes, the preview with the main window, so nothing keeps the
// program's loop alive.
TEST_F(ProgramTest, ExitWithAPreviewOpenAndATourPlayingLeavesNoWindow) {
  Tour& tour = GetTour();
  ASSERT_TRUE(TourOfTwoModels(tour, 0.3f));
  tour.SetCurrentEvent(tour.GetEvent(0));
  tour.PlayTour();
  ASSERT_TRUE(ShowPrintPreview(Pane(0), mFrame));
  // The tour waits behind the preview, its timer still running.
  YieldFor(400);
  ASSERT_TRUE(tour.IsTourPlaying());
  wxCommandEvent exit(wxEVT_MENU, ToWxId(kCmdAppExit));
  exit.SetEventObject(mFrame);
  mFrame->ProcessWindowEvent(exit);
  EXPECT_TRUE(YieldUntil([] { return wxTopLevelWindows.empty(); }, std::chrono::seconds(5)));
  EXPECT_FALSE(tour.IsTourPlaying());
  EXPECT_EQ(GetMainFrame(), nullptr);
  tour.Clear();
}

// A tour playing when File > Print... opens the preview waits behind it, as behind a
// dialog: the preview shows the model it opened with, and its Print prints that one.
// Once Escape has closed the preview the tour goes on.
TEST_F(ProgramTest, ATourWaitsBehindThePrintPreview) {
  Tour& tour = GetTour();
  ASSERT_TRUE(TourOfTwoModels(tour, 0.1f));
  for (int i = 0; i < 2; ++i) tour.GetEvent(i)->mTransition.mType = kTransitionNone;
  auto previewFrame = []() -> wxPreviewFrame* {
    for (wxWindow* window : wxTopLevelWindows) {
      if (auto* frame = dynamic_cast<wxPreviewFrame*>(window)) return frame;
    }
    return nullptr;
  };
  auto name = [] {
    char text[128];
    GetCurrentPoly()->GetName(text, sizeof text);
    return std::string(text);
  };
  // The main window has the keys, as it has when the user works in it.
  const std::string mainTitle = mFrame->GetTitle().utf8_string();
  mFrame->Raise();
  YieldUntil([&] { return corvia::testing::KeyWindowTitle() == mainTitle; });
  Pane(0)->Activate(true);
  tour.SetCurrentEvent(tour.GetEvent(0));
  tour.PlayTour();
  ASSERT_TRUE(tour.IsTourPlaying());
  wxUIActionSimulator keys;
  keys.Char('P', wxMOD_CONTROL);
  YieldUntil([&] { return previewFrame() && previewFrame()->IsShownOnScreen(); });
  ASSERT_NE(previewFrame(), nullptr);
  const TourEvent* shown = tour.GetCurrentEvent();
  const std::string shownName = name();
  // Ten times an event's length passes behind the preview, and the model stays.
  EXPECT_FALSE(YieldUntil([&] { return tour.GetCurrentEvent() != shown || name() != shownName; },
                          std::chrono::milliseconds(1000)))
      << "the tour moved on behind the preview";
  EXPECT_TRUE(tour.IsTourPlaying());
  YieldUntil([&] { return corvia::testing::KeyWindowTitle() == "Print Preview"; });
  keys.Char(WXK_ESCAPE);
  YieldUntil([&] { return previewFrame() == nullptr; });
  ASSERT_EQ(previewFrame(), nullptr);
  EXPECT_TRUE(YieldUntil([&] { return tour.GetCurrentEvent() != shown; }));
  EXPECT_NE(name(), shownName);
  tour.StopTour();
  tour.Clear();
}

// File > Exit after the panes drew translucent faces from their buffers, a selected
// face and the construction toy's rods and panels: the panes' GL context goes with the
// last pane, what the drawing kept in it released while it is current, so that nothing
// is left for the end of the process (under the sanitizers the process ends cleanly).
TEST_F(ProgramTest, ExitAfterTranslucentSelectedAndRodModelsReleasesTheDrawingState) {
  constexpr int kCmdGeomagStyle = 33159;
  CPolyView* pane = Pane(0);
  Poly* poly = GetCurrentPoly();
  for (PolyElement* f = poly->mFaces.mHead; f; f = f->mNext) f->SetOpacity(0.6f);
  poly->mPolyFlags |= kPolyFlagCellColoursStale;
  DragAcross(pane, 4);
  EXPECT_GT(GetFaceMeshStatistics().kept, 0u);
  poly->SelectFace(poly->mFaces.mHead, false);
  Repaint(pane);
  ASSERT_TRUE(Doc()->OpenModelByNameOrSymbol("3.4.3.4"));
  YieldUntil([] { return !GetCurrentPoly()->IsTransitionRunning(); });
  corvia::testing::PostMenuCommand(mFrame, kCmdGeomagStyle);
  ASSERT_TRUE(GeomagStyle);
  DragAcross(pane, 2);
  ASSERT_NE(GetSharedGLContext(), nullptr);
  wxCommandEvent exit(wxEVT_MENU, ToWxId(kCmdAppExit));
  exit.SetEventObject(mFrame);
  mFrame->ProcessWindowEvent(exit);
  EXPECT_TRUE(YieldUntil([] { return wxTopLevelWindows.empty(); }, std::chrono::seconds(5)));
  EXPECT_EQ(GetSharedGLContext(), nullptr);
  EXPECT_EQ(CountGLContextStates(), 0);
  SetGeomagStyle(false);
}

}  // namespace test_Program

namespace test_Program {

// The GL objects alive in the panes' shared context, found by asking GL about every
// name up to a bound: textures, buffers, display lists, framebuffers and renderbuffers.
int CountLiveGLObjects(wxGLCanvas* canvas) {
  wxGLContext* context = GetSharedGLContext();
  if (!context || !context->SetCurrent(*canvas)) return -1;
  constexpr GLuint kNames = 20000;
  int live = 0;
  for (GLuint name = 1; name <= kNames; ++name) {
    live += glIsTexture(name) + glIsBuffer(name) + glIsList(name) + glIsFramebuffer(name) + glIsRenderbuffer(name);
  }
  return live;
}

// Work that a person repeats for hours: other layouts (their panes made and
// destroyed, a faceting diagram's kept picture of pair lines with them), a print
// preview opened and closed, an image exported, another model and back. After a
// warm-up the GL objects the program keeps stay as many as they were, however often
// the round is repeated: what a closed pane let go of is deleted, not left to pile up.
TEST_F(ProgramTest, RepeatedLayoutsPreviewsExportsAndModelsKeepTheGLObjectsFlat) {
  constexpr int kCmdLayout1 = 32826, kCmdLayout4 = 32829, kCmdLayout2 = 32827;
  auto pressLayoutKey = [this](int command) {
    wxCommandEvent event(wxEVT_MENU, ToWxId(command));
    event.SetEventObject(mFrame);
    mFrame->ProcessWindowEvent(event);
    YieldUntilHandled();
  };
  auto previewFrame = []() -> wxPreviewFrame* {
    for (wxWindow* window : wxTopLevelWindows) {
      if (auto* frame = dynamic_cast<wxPreviewFrame*>(window)) return frame;
    }
    return nullptr;
  };
  const std::string path = (corvia::testing::ScratchDir("gl-rounds") / "pane.png").string();
  auto round = [&] {
    pressLayoutKey(kCmdLayout4);
    pressLayoutKey(kCmdLayout1);
    pressLayoutKey(kCmdLayout2);
    for (int i = 0; Pane(i); ++i) Repaint(Pane(i));
    // A faceting diagram keeps the picture of its pair lines.
    ASSERT_TRUE(Pane(1)->SetViewType(kViewFacetingDiagram, false));
    Repaint(Pane(1));
    ASSERT_TRUE(ShowPrintPreview(Pane(0), mFrame));
    YieldUntil([&] { return previewFrame() && previewFrame()->IsShownOnScreen(); });
    ASSERT_NE(previewFrame(), nullptr);
    previewFrame()->Close(true);
    YieldUntil([&] { return previewFrame() == nullptr; });
    ASSERT_TRUE(Pane(0)->ExportImage(path.c_str(), 300, 200));
    for (const char* model : {"4.4.4", "3.3.3.3.3"}) {
      ASSERT_TRUE(Doc()->OpenModelByNameOrSymbol(model));
      YieldUntil([] { return !GetCurrentPoly()->IsTransitionRunning(); });
      for (int i = 0; Pane(i); ++i) Repaint(Pane(i));
    }
  };
  for (int i = 0; i < 2; ++i) round();
  const int warm = CountLiveGLObjects(Canvas(0));
  ASSERT_GT(warm, 0);
  for (int i = 0; i < 4; ++i) round();
  EXPECT_EQ(CountLiveGLObjects(Canvas(0)), warm);
  EXPECT_TRUE(corvia::testing::Platform().messages.Boxes().empty());
}

// Clicks in a pane that shows the numbers of the faces and vertices. Each click picks
// (the pane drawn in selection mode) and paints again. A pick draws only what can be
// hit: the numbers, plain text with no name, used to be drawn in it too, and the GL
// driver then kept a vertex store of half a megabyte every round or so, for as long
// as the program ran. After a warm-up the memory in use stays where it was.
TEST_F(ProgramTest, ClicksOnANumberedModelKeepTheDriversMemoryFlat) {
  const uint32_t numbers = DiagnosticNumbers;
  DiagnosticNumbers = kShowFaceNumbers | kShowVertexNumbers;
  CPolyView* pane = Pane(0);
  wxGLCanvas* canvas = Canvas(0);
  auto round = [&] {
    const wxSize size = canvas->GetClientSize();
    for (int c = 0; c < 20; ++c) {
      ClickAtWindow(canvas, size.x / 4 + (c * 37) % std::max(size.x / 2, 1),
                    size.y / 4 + (c * 53) % std::max(size.y / 2, 1));
      Repaint(pane);
    }
  };
  for (int i = 0; i < 3; ++i) round();
  const size_t warm = mallinfo2().uordblks;
  for (int i = 0; i < 8; ++i) round();
  const size_t after = mallinfo2().uordblks;
  DiagnosticNumbers = numbers;
  EXPECT_LT(after, warm + (size_t{1} << 20)) << "in use after the warm-up " << warm << " bytes, at the end " << after;
  EXPECT_TRUE(corvia::testing::Platform().messages.Boxes().empty());
}

// A command still queued when the main window closes does not run in the closing
// window (it could open a dialog that waits while the window goes under it); one
// queued before runs as ever.
TEST_F(ProgramTest, ACommandQueuedAsTheWindowClosesDoesNotRunInIt) {
  constexpr int kUnusedCommand = 59990;
  struct Recorder : wxEvtHandler {
    int runs = 0;
  } recorder;
  recorder.Bind(wxEVT_MENU, [&recorder](wxCommandEvent&) { ++recorder.runs; }, ToWxId(kUnusedCommand));
  GetMainFrame()->AddCommandTarget(&recorder);
  wxQueueEvent(mFrame, new wxCommandEvent(wxEVT_MENU, ToWxId(kUnusedCommand)));
  ASSERT_TRUE(YieldUntil([&] { return recorder.runs == 1; }));
  wxQueueEvent(mFrame, new wxCommandEvent(wxEVT_MENU, ToWxId(kUnusedCommand)));
  mFrame->Close(true);
  EXPECT_TRUE(YieldUntil([] { return wxTopLevelWindows.empty(); }, std::chrono::seconds(5)));
  EXPECT_EQ(recorder.runs, 1);
}

}  // namespace test_Program

