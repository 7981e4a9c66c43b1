// wx start-up for the window tests: an application object without a main loop of
// its own, assertions and log errors to stderr so that nothing waits for a person. A
// critical message of the toolkit (GTK or GLib) fails the test during which it came.

#include <dlfcn.h>

#include <clocale>
#include <cstdlib>
#include <cstdio>
#include <cstring>
#include <string>

#include <gtest/gtest-spi.h>
#include <gtest/gtest.h>
#include <wx/app.h>
#include <wx/init.h>
#include <wx/log.h>

#include "ui/CommandTable.h"

namespace {

class TestApp : public wxApp {
public:
  bool OnInit() override { return true; }
  // As in the program: every event handler is an operation's edge, which memory that
  // runs out ends alone.
  void CallEventHandler(wxEvtHandler* handler, wxEventFunctor& functor, wxEvent& event) const override {
    const int command = event.GetEventType() == wxEVT_MENU ? corvia::FromWxId(event.GetId()) : 0;
    corvia::RunCommandOperation(command, [&] { wxApp::CallEventHandler(handler, functor, event); });
  }
};

void FailOnAssert(const wxString& file, int line, const wxString& func, const wxString& cond, const wxString& msg) {
  ADD_FAILURE() << "wx assertion " << cond.utf8_string() << " in " << func.utf8_string() << " ("
                << file.utf8_string() << ":" << line << "): " << msg.utf8_string();
}

// The toolkit's log, reached through the library that wx has loaded (its headers are
// not needed). GTK writes its own critical messages as structured records, which
// never pass the old handlers; the older calls end in a structured record too. So the
// watch is the log's one writer: it writes every record as the default writer does
// and fails the running test on a critical one.
struct GLogField {
  const char* key;
  const void* value;
  long length;
};
using GLogWriter = int (*)(int level, const GLogField* fields, size_t count, void* data);
using SetWriter = void (*)(GLogWriter writer, void* data, void (*free)(void*));
constexpr int kGLogLevelCritical = 1 << 3;
GLogWriter gDefaultWriter = nullptr;

std::string FieldText(const GLogField* fields, size_t count, const char* key) {
  for (size_t i = 0; i < count; ++i) {
    if (std::strcmp(fields[i].key, key) != 0 || !fields[i].value) continue;
    const char* text = static_cast<const char*>(fields[i].value);
    return fields[i].length < 0 ? std::string(text) : std::string(text, static_cast<size_t>(fields[i].length));
  }
  return std::string();
}

int FailOnCritical(int level, const GLogField* fields, size_t count, void* data) {
  if (level & kGLogLevelCritical) {
    ADD_FAILURE() << FieldText(fields, count, "GLIB_DOMAIN") << "-CRITICAL: " << FieldText(fields, count, "MESSAGE");
  }
  return gDefaultWriter ? gDefaultWriter(level, fields, count, data) : 0;
}

// Before the toolkit starts, so that its first words are watched too.
void WatchToolkitLog() {
  auto set = reinterpret_cast<SetWriter>(dlsym(RTLD_DEFAULT, "g_log_set_writer_func"));
  gDefaultWriter = reinterpret_cast<GLogWriter>(dlsym(RTLD_DEFAULT, "g_log_writer_default"));
  ASSERT_TRUE(set && gDefaultWriter) << "the toolkit's log cannot be watched";
  set(FailOnCritical, nullptr, nullptr);
}

class WxEnvironment : public ::testing::Environment {
public:
  void SetUp() override {
    // The file choosers keep their state in the toolkit's settings store, which warns on
    // every write where no session bus runs (as under Xvfb): the tests keep it in memory.
    setenv("GSETTINGS_BACKEND", "memory", 0);
    WatchToolkitLog();
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

// The watch itself: a critical message of the toolkit fails the test that sees it,
// whether it comes the old way or as GTK writes its own.
TEST(GuiStartUp, ACriticalToolkitMessageFailsTheTest) {
  using Log = void (*)(const char* domain, int level, const char* format, ...);
  using Structured = void (*)(const char* domain, int level, const char* file, const char* line, const char* function,
                              const char* format, ...);
  auto log = reinterpret_cast<Log>(dlsym(RTLD_DEFAULT, "g_log"));
  auto structured = reinterpret_cast<Structured>(dlsym(RTLD_DEFAULT, "g_log_structured_standard"));
  ASSERT_TRUE(log && structured);
  EXPECT_NONFATAL_FAILURE(log("CorviaTest", kGLogLevelCritical, "%s", "a test of the watch"),
                          "CorviaTest-CRITICAL: a test of the watch");
  EXPECT_NONFATAL_FAILURE(structured("CorviaTest", kGLogLevelCritical, __FILE__, "1", "Distribute", "%s: %s",
                                     "Distribute", "assertion 'size >= 0' failed in GtkScrollbar"),
                          "CorviaTest-CRITICAL: Distribute: assertion 'size >= 0' failed in GtkScrollbar");
}
