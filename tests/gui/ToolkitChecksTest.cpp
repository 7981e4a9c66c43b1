// The program's handler of the window toolkit's failed checks (wx assertions): told
// as an internal error once for each place, never inside a paint, on the main thread
// whichever thread failed the check, and without end neither when the telling itself
// fails a check. It takes the place of the toolkit's own handler (whose box would end
// the program), never that of the window tests', which fails the test.

#include <gtest/gtest-spi.h>
#include <gtest/gtest.h>
#include <wx/dcclient.h>
#include <wx/frame.h>
#include <wx/panel.h>
#include <wx/sizer.h>
#include <wx/treectrl.h>

#include <functional>
#include <string>
#include <thread>

#include "core/Messages.h"
#include "platform/Services.h"
#include "platform/wx/WxAssert.h"
#include "tests/gui/GuiTestSupport.h"
#include "tests/support/TestSupport.h"

namespace test_ToolkitChecks {

using namespace corvia;
using corvia::testing::YieldUntil;

// While it lives, a teller as the program's answers the toolkit's checks, its boxes go
// to the test's message front end and notices wait for the drawing as in the program.
class ProgramsHandler {
 public:
  ProgramsHandler()
      : mHandler(wxSetAssertHandler(Tell)),
        mServices(platform::Services()),
        mOnBox(Messages().onBox) {
    sTeller = &mTeller;
    platform::ServiceSet services = mServices;
    services.messages = &Messages();
    platform::InstallServices(services);
    SetNoticesWaitForDrawing(true);
  }
  ~ProgramsHandler() {
    sTeller = nullptr;
    SetNoticesWaitForDrawing(false);
    Messages().onBox = mOnBox;
    platform::InstallServices(mServices);
    wxSetAssertHandler(mHandler);
  }
  ProgramsHandler(const ProgramsHandler&) = delete;
  ProgramsHandler& operator=(const ProgramsHandler&) = delete;

  static platform::HeadlessMessages& Messages() { return corvia::testing::Platform().messages; }
  static int Told() { return Messages().CountTitled("Internal Error"); }
  static const std::string& LastText() { return Messages().Boxes().back().text; }
  int Count() const { return mTeller.Count(); }

 private:
  static void Tell(const wxString& file, int line, const wxString& func, const wxString& cond, const wxString& msg) {
    if (sTeller) sTeller->Tell(file, line, func, cond, msg);
  }
  static inline platform::ToolkitCheckTeller* sTeller = nullptr;
  platform::ToolkitCheckTeller mTeller;
  wxAssertHandler_t mHandler;
  platform::ServiceSet mServices;
  std::function<void(const platform::MessageBoxRequest&)> mOnBox;
};

TEST(ToolkitChecks, AreToldOnceForEachPlaceAfterThePaintOnTheMainThreadWithoutEnd) {
  // Three are told, each checked below.
  corvia::testing::ExpectInternalErrors(3);
  ProgramsHandler handler;

  // A paint in which a toolkit call fails its check twice: a tree asked to close its
  // hidden root.
  auto* frame = new wxFrame(nullptr, wxID_ANY, "toolkit checks", wxDefaultPosition, wxSize(300, 200));
  auto* tree = new wxTreeCtrl(frame, wxID_ANY, wxDefaultPosition, wxSize(100, 100), wxTR_HIDE_ROOT);
  const wxTreeItemId root = tree->AddRoot("root");
  tree->AppendItem(root, "line");
  auto* canvas = new wxPanel(frame, wxID_ANY, wxDefaultPosition, wxSize(100, 100));
  auto* row = new wxBoxSizer(wxHORIZONTAL);
  row->Add(tree, 1, wxEXPAND);
  row->Add(canvas, 1, wxEXPAND);
  frame->SetSizer(row);
  bool painted = false;
  int toldInPaint = -1;
  canvas->Bind(wxEVT_PAINT, [&](wxPaintEvent&) {
    wxPaintDC dc(canvas);
    if (painted) return;
    tree->Collapse(root);
    tree->Collapse(root);
    toldInPaint = static_cast<int>(ProgramsHandler::Messages().Boxes().size());
    painted = true;
  });
  corvia::testing::ShowPainted(frame);
  ASSERT_TRUE(YieldUntil([&] { return painted; }));
  EXPECT_EQ(toldInPaint, 0);
  EXPECT_EQ(handler.Count(), 2);
  // Told once the paint is over, once; the tree is as it was.
  ShowHeldMessages();
  ASSERT_EQ(ProgramsHandler::Told(), 1);
  EXPECT_NE(ProgramsHandler::LastText().find("Collapse: can't collapse hidden root"), std::string::npos)
      << ProgramsHandler::LastText();
  EXPECT_NE(ProgramsHandler::LastText().find("treectlg.cpp"), std::string::npos);
  EXPECT_NE(ProgramsHandler::LastText().find("the program goes on"), std::string::npos);
  EXPECT_TRUE(tree->IsExpanded(root));
  // The same place again, outside a paint: counted, not told again.
  tree->Collapse(root);
  ShowHeldMessages();
  EXPECT_EQ(ProgramsHandler::Told(), 1);
  EXPECT_EQ(handler.Count(), 3);

  // A check that fails on another thread is told on the main thread.
  std::thread([] { wxFAIL_MSG("checked on another thread"); }).join();
  EXPECT_EQ(ProgramsHandler::Told(), 1);
  EXPECT_TRUE(YieldUntil([] {
    ShowHeldMessages();
    return ProgramsHandler::Told() == 2;
  }));
  EXPECT_NE(ProgramsHandler::LastText().find("checked on another thread"), std::string::npos);

  // A box that fails a check of its own while it is told (here shown at once) is not
  // told in turn.
  SetNoticesWaitForDrawing(false);
  int boxes = 0;
  ProgramsHandler::Messages().onBox = [&boxes, counted = ProgramsHandler::Messages().onBox](
                                          const platform::MessageBoxRequest& box) {
    if (counted) counted(box);
    ++boxes;
    wxFAIL_MSG("checked while telling");
  };
  wxFAIL_MSG("told at once");
  EXPECT_EQ(boxes, 1);
  EXPECT_EQ(ProgramsHandler::Told(), 3);
  EXPECT_NE(ProgramsHandler::LastText().find("told at once"), std::string::npos);
  EXPECT_EQ(handler.Count(), 6);
  frame->Destroy();
  corvia::testing::YieldUntilGone(frame);
}

void ProgramsOwn(const wxString&, int, const wxString&, const wxString&, const wxString&) {}

TEST(ToolkitChecks, TheProgramsHandlerTakesTheToolkitsPlaceNotTheTests) {
  // The window tests' handler stays when the program starts, and fails the test.
  const wxAssertHandler_t tests = wxSetAssertHandler(nullptr);
  wxSetAssertHandler(tests);
  EXPECT_FALSE(platform::InstallInPlaceOfToolkitHandler(ProgramsOwn));
  EXPECT_NONFATAL_FAILURE(wxFAIL_MSG("a check the tests watch"), "a check the tests watch");
  // The program starts with the toolkit's own handler: the program's takes its place.
  wxSetDefaultAssertHandler();
  EXPECT_TRUE(platform::InstallInPlaceOfToolkitHandler(ProgramsOwn));
  EXPECT_EQ(wxSetAssertHandler(tests), &ProgramsOwn);
}

}  // namespace test_ToolkitChecks
