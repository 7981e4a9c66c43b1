// wx start-up for the window tests: an application object without a main loop of
// its own, assertions and log errors to stderr so that nothing waits for a person.

#include <clocale>
#include <cstdio>

#include <gtest/gtest.h>
#include <wx/app.h>
#include <wx/init.h>
#include <wx/log.h>

namespace {

class TestApp : public wxApp {
public:
  bool OnInit() override { return true; }
};

void FailOnAssert(const wxString& file, int line, const wxString& func, const wxString& cond, const wxString& msg) {
  ADD_FAILURE() << "wx assertion " << cond.utf8_string() << " in " << func.utf8_string() << " ("
                << file.utf8_string() << ":" << line << "): " << msg.utf8_string();
}

class WxEnvironment : public ::testing::Environment {
public:
  void SetUp() override {
    wxApp::SetInstance(new TestApp);
    static int argc = 1;
    static char name[] = "test_gui";
    static char* argv[] = {name, nullptr};
    ASSERT_TRUE(wxEntryStart(argc, argv)) << "wx could not start (no display?)";
    wxSetAssertHandler(FailOnAssert);
    delete wxLog::SetActiveTarget(new wxLogStderr);
    ASSERT_TRUE(wxTheApp->CallOnInit());
    std::setlocale(LC_NUMERIC, "C");
  }
  void TearDown() override {
    if (wxTheApp) wxTheApp->OnExit();
    wxEntryCleanup();
  }
};

[[maybe_unused]] ::testing::Environment* const gWxEnvironment =
    ::testing::AddGlobalTestEnvironment(new WxEnvironment);

}  // namespace
