// The main of every test program: C numeric locale, the geometry's hooks, the headless
// platform with a scripted colour chooser, and a hook that fails a test the moment it
// shows an "Internal Error" box it did not expect, or at its end when it showed another
// number of them than it said.

#include <clocale>

#include <gtest/gtest.h>

#include "core/Globals.h"
#include "files/GeometryHooks.h"
#include "platform/Memory.h"
#include "tests/support/TestSupport.h"

namespace corvia::testing {
void WatchInternalErrors();
void CheckInternalErrorCount();
void RemoveScratchRoot();
bool ScriptedColorChooser(int* rgbBytes);
void ResetColorChooserScript();
}  // namespace corvia::testing

namespace {

class ResetBetweenTests : public ::testing::EmptyTestEventListener {
  void OnTestStart(const ::testing::TestInfo&) override {
    corvia::testing::Platform().messages.Clear();
    corvia::testing::Platform().dialogs.Clear();
    corvia::testing::WatchInternalErrors();
    corvia::testing::ResetColorChooserScript();
  }
  void OnTestEnd(const ::testing::TestInfo&) override { corvia::testing::CheckInternalErrorCount(); }
};

}  // namespace

int main(int argc, char** argv) {
  std::setlocale(LC_ALL, "C");
  ::testing::InitGoogleTest(&argc, argv);
  corvia::testing::Platform();
  corvia::InstallGeometryHooks();
  // What work may take is what the machine has, not what other programs leave free at
  // the moment: a test's outcome does not change with the load of the machine. Tests
  // of the process's own reading put it back for their span (a limit of 0).
  corvia::platform::SetWorkMemoryLimit(corvia::platform::ReadMemorySources().physical);
  corvia::SetColorChooser(corvia::testing::ScriptedColorChooser);
  // After the printer: the ends of tests reach the listeners last first, so that a count
  // found wrong at a test's end is printed with the test.
  ::testing::UnitTest::GetInstance()->listeners().Append(new ResetBetweenTests);
  int result = RUN_ALL_TESTS();
  corvia::testing::RemoveScratchRoot();
  return result;
}
