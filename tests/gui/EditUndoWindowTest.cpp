// Edits of the model in the running program, each undone alone by Ctrl+Z pressed to the
// pane: a face hidden with a click in Color/Hide Faces mode, a face text typed (Ctrl+T),
// a text list loaded onto the faces and a text removed. None takes the model made
// before it along (a cube typed after a tetrahedron stays the cube).

#include <gtest/gtest.h>
#include <wx/frame.h>
#include <wx/glcanvas.h>
#include <wx/uiaction.h>

#include <cmath>
#include <functional>
#include <fstream>
#include <memory>
#include <string>

#include "app/PolyApp.h"
#include "app/PolyDoc.h"
#include "app/PolyView.h"
#include "app/ViewType.h"
#include "app/WindowServices.h"
#include "core/VectorMath.h"
#include "model/ElementFlags.h"
#include "model/FaceTypeBlock.h"
#include "model/Poly.h"
#include "model/PolyElement.h"
#include "model/TransitionSettings.h"
#include "platform/Services.h"
#include "render/NewView.h"
#include "tests/gui/GuiTestSupport.h"
#include "ui/BarDocument.h"
#include "tests/gui/ProgramTestSupport.h"
#include "tests/support/TestSupport.h"
#include "ui/MainFrame.h"
#include "ui/Toolbars.h"
#include "ui/PaneWindow.h"

namespace test_EditUndoWindow {

using namespace corvia;
using corvia::testing::Platform;
using corvia::testing::YieldUntil;

constexpr int kCmdColorHideMode = 33175;
constexpr int kCmdSelectMode = 32937;
constexpr int kCmdLoadTextListOntoFaces = 33460;
constexpr int kCmdRemoveText = 33516;
constexpr int kCmdComments = 33125;

class EditUndoWindow : public ::testing::Test {
 protected:
  void SetUp() override {
    mProgram = std::make_unique<corvia::testing::ScriptedProgram>("edit-undo-home");
    ASSERT_NE(mProgram->Frame(), nullptr);
    platform::ServiceSet services = platform::Services();
    services.fileDialogs = &Platform().fileDialogs;
    platform::InstallServices(services);
    YieldUntil([] { return GetPane(0) && GetPane(0)->GetWindow() && !GetCurrentPoly()->IsTransitionRunning(); });
    SetTransitionsEnabled(false);
  }
  void TearDown() override {
    SetTransitionsEnabled(true);
    mProgram.reset();
    Platform().messages.Clear();
  }

  static wxWindow* Canvas() { return static_cast<PaneWindow*>(GetPane(0)->GetWindow())->GetCanvas(); }

  // The face of the cube that faces the eye of the first pane.
  static PolyElement* FrontFace() {
    PolyElement* best = nullptr;
    double most = -1e300;
    for (PolyElement* f = GetCurrentPoly()->mFaces.mHead; f; f = f->mNext) {
      const double towards = Dot(f->mCentre, GetPane(0)->Camera().GetEye());
      if (towards > most) most = towards, best = f;
    }
    return best;
  }

  static void ClickFrontFace() {
    double window[3];
    GetPane(0)->ApplyViewTransform(window, FrontFace()->mCentre);
    corvia::testing::ClickAt(Canvas(),
                             wxPoint(static_cast<int>(std::lround(window[0])), static_cast<int>(std::lround(window[1]))));
    YieldUntil([] { return NewView::GetMouseButtonsHeld() == 0; });
  }

  // A key with Ctrl, pressed to the first pane as a person presses it.
  static void PressCtrl(int key) {
    Canvas()->SetFocus();
    YieldUntil([] { return wxWindow::FindFocus() == Canvas(); });
    wxUIActionSimulator keys;
    keys.Char(key, wxMOD_CONTROL);
  }

  // Ctrl+Z, and the wait for the step it undoes.
  static void Undo(const std::function<bool()>& undone) {
    PressCtrl('z');
    EXPECT_TRUE(YieldUntil(undone));
  }

  static std::string FaceText(const PolyElement* face) { return face->GetLabel() ? face->GetLabel() : ""; }

  // The model is still the cube with the faces it had.
  static void ExpectTheCube() {
    Poly* poly = GetCurrentPoly();
    ASSERT_NE(poly, nullptr);
    EXPECT_STREQ(poly->mName, "Cube");
    EXPECT_EQ(poly->mFaces.mCount, 6);
  }

  std::unique_ptr<corvia::testing::ScriptedProgram> mProgram;
};

TEST_F(EditUndoWindow, CtrlZUndoesEachEditAloneAndKeepsTheModel) {
  auto* frame = dynamic_cast<CMainFrame*>(mProgram->Frame());
  ASSERT_NE(frame, nullptr);
  frame->GetMainToolBar()->OpenTypedModel("tetrahedron");
  frame->GetMainToolBar()->OpenTypedModel("cube");
  ASSERT_STREQ(GetCurrentPoly()->mName, "Cube");

  // A face hidden by a click.
  corvia::testing::PostMenuCommand(frame, kCmdColorHideMode);
  const int hiddenIndex = PolyElement::GetIndex(FrontFace());
  ClickFrontFace();
  auto hidden = [hiddenIndex] { return GetCurrentPoly()->GetFace(hiddenIndex)->HasFlag(kElementHidden); };
  ASSERT_TRUE(hidden());
  Undo([&] { return !hidden(); });
  ExpectTheCube();

  // A text typed onto the selected face.
  corvia::testing::PostMenuCommand(frame, kCmdSelectMode);
  ClickFrontFace();
  ASSERT_TRUE(YieldUntil([] { return GetCurrentPoly()->mSelectedItem != nullptr; }));
  const int textIndex = PolyElement::GetIndex(GetCurrentPoly()->GetCurrentFace());
  auto text = [textIndex] { return FaceText(GetCurrentPoly()->GetFace(textIndex)); };
  Platform().messages.QueueText("Front");
  PressCtrl('t');
  ASSERT_TRUE(YieldUntil([&] { return text() == "Front"; }));
  EXPECT_EQ(GetBarDocument().GetUndoNames(false).front(), "Text Change");
  Undo([&] { return text().empty(); });
  ExpectTheCube();

  // The model's comments.
  Platform().messages.QueueText("A cube with notes");
  corvia::testing::PostMenuCommand(frame, kCmdComments);
  auto comments = [] { return std::string(GetCurrentPoly()->mEntryText ? GetCurrentPoly()->mEntryText : ""); };
  ASSERT_EQ(comments(), "A cube with notes");
  Undo([&] { return comments().empty(); });
  ExpectTheCube();

  // A text list loaded onto the faces.
  const std::string list = (corvia::testing::ScratchDir("edit-undo-list") / "faces.txt").string();
  std::ofstream(list) << "one\ntwo\nthree\nfour\nfive\nsix\n";
  Platform().fileDialogs.QueueChoice(list);
  corvia::testing::PostMenuCommand(frame, kCmdLoadTextListOntoFaces);
  auto first = [] { return FaceText(GetCurrentPoly()->mFaces.mHead); };
  ASSERT_EQ(first(), "one");
  Undo([&] { return first().empty(); });
  ExpectTheCube();

  // A text typed, then removed: the removal is undone first, the typing next.
  Platform().messages.QueueText("Front");
  PressCtrl('t');
  ASSERT_TRUE(YieldUntil([&] { return text() == "Front"; }));
  corvia::testing::PostMenuCommand(frame, kCmdRemoveText);
  ASSERT_TRUE(text().empty());
  Undo([&] { return text() == "Front"; });
  Undo([&] { return text().empty(); });
  ExpectTheCube();
  EXPECT_EQ(Platform().messages.CountTitled("Internal Error"), 0);
}

// The words a stellation step left in the net pane ("Stellation 3 of 8") go when Ctrl+Z
// takes the steps back: the net pane, refitted to the net made again, kept them.
TEST_F(EditUndoWindow, CtrlZTakesAStellationStepsWordsFromEveryPane) {
  constexpr int kCmdStellationNext = 32815;
  auto* frame = dynamic_cast<CMainFrame*>(mProgram->Frame());
  ASSERT_NE(frame, nullptr);
  frame->GetMainToolBar()->OpenTypedModel("icosahedron");
  CPolyView* net = GetPane(1);
  ASSERT_TRUE(net && net->GetViewType() == kViewUnfoldedNet);
  wxWindow* netCanvas = static_cast<PaneWindow*>(net->GetWindow())->GetCanvas();
  corvia::testing::ClickAt(netCanvas, wxPoint(4, netCanvas->GetClientSize().y - 4));
  ASSERT_TRUE(YieldUntil([net] { return CPolyView::GetActive() == net; }));
  corvia::testing::PostMenuCommand(frame, kCmdStellationNext);
  corvia::testing::PostMenuCommand(frame, kCmdStellationNext);
  auto words = [net] { return std::string(net->GetMessage() ? net->GetMessage() : ""); };
  ASSERT_TRUE(YieldUntil([&] { return words().rfind("Stellation 3 of ", 0) == 0; })) << words();
  const size_t steps = GetBarDocument().GetUndoNames(false).size();
  Undo([steps] { return GetBarDocument().GetUndoNames(false).size() == steps - 1; });
  Undo([steps] { return GetBarDocument().GetUndoNames(false).size() == steps - 2; });
  EXPECT_TRUE(FaceTypeBlock::IsOriginalStellation(GetCurrentPoly()->mBaseBlock.get()));
  EXPECT_TRUE(YieldUntil([&] { return words().empty(); })) << words();
}

}  // namespace test_EditUndoWindow
