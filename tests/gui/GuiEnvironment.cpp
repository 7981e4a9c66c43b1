// wx start-up for the window tests: an application object without a main loop of
// its own, assertions and log errors to stderr so that nothing waits for a person. A
// critical message of the toolkit (GTK or GLib) fails the test during which it came.

#include <dlfcn.h>

#include <clocale>
#include <cstdio>

#include <gtest/gtest-spi.h>
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

// The toolkit's log, reached through the library that wx has loaded (its headers are
// not needed): g_log_set_default_handler and the signature of its handlers.
using GLogFunction = void (*)(const char* domain, int level, const char* message, void* data);
using SetDefaultHandler = GLogFunction (*)(GLogFunction handler, void* data);
constexpr int kGLogLevelCritical = 1 << 3;
GLogFunction gPreviousLogHandler = nullptr;

// Every message is written as before; a critical one also fails the running test.
void FailOnCritical(const char* domain, int level, const char* message, void* data) {
  if (gPreviousLogHandler) gPreviousLogHandler(domain, level, message, data);
  if (level & kGLogLevelCritical) {
    ADD_FAILURE() << (domain ? domain : "") << "-CRITICAL: " << (message ? message : "");
  }
}

void WatchToolkitLog() {
  auto set = reinterpret_cast<SetDefaultHandler>(dlsym(RTLD_DEFAULT, "g_log_set_default_handler"));
  ASSERT_NE(set, nullptr) << "the toolkit's log cannot be watched";
  gPreviousLogHandler = set(FailOnCritical, nullptr);
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
    WatchToolkitLog();
  }
  void TearDown() override {
    if (wxTheApp) wxTheApp->OnExit();
    wxEntryCleanup();
  }
};

[[maybe_unused]] ::testing::Environment* const gWxEnvironment =
    ::testing::AddGlobalTestEnvironment(new WxEnvironment);

}  // namespace

// The watch itself: a critical message of the toolkit fails the test that sees it.
TEST(GuiStartUp, ACriticalToolkitMessageFailsTheTest) {
  using Log = void (*)(const char* domain, int level, const char* format, ...);
  auto log = reinterpret_cast<Log>(dlsym(RTLD_DEFAULT, "g_log"));
  ASSERT_NE(log, nullptr);
  EXPECT_NONFATAL_FAILURE(log("CorviaTest", 1 << 3, "%s", "a test of the watch"),
                          "CorviaTest-CRITICAL: a test of the watch");
}
