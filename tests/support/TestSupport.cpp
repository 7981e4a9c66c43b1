#include "tests/support/TestSupport.h"

#include <cmath>

#include <cstdlib>
#include <deque>
#include <optional>
#include <unistd.h>

#include "platform/Memory.h"

namespace corvia::testing {

namespace {
bool gExpectInternalErrors = false;
// Queued answers of the colour chooser: a colour for OK, none for Cancel.
std::deque<std::optional<std::array<int, 3>>> gColorAnswers;
std::vector<std::array<int, 3>> gColorRequests;

std::filesystem::path& ScratchRoot() {
  static std::filesystem::path root;
  if (root.empty()) {
    std::string pattern = (std::filesystem::temp_directory_path() / "corvia-test-XXXXXX").string();
    if (char* made = mkdtemp(pattern.data())) root = made;
  }
  return root;
}
}  // namespace

platform::HeadlessPlatform& Platform() {
  static platform::HeadlessPlatform* platform = new platform::HeadlessPlatform();
  return *platform;
}

void ExpectInternalErrors() { gExpectInternalErrors = true; }

void QueueColorChoice(int red, int green, int blue) { gColorAnswers.push_back(std::array<int, 3>{red, green, blue}); }

void QueueColorCancel() { gColorAnswers.push_back(std::nullopt); }

const std::vector<std::array<int, 3>>& ColorChooserRequests() { return gColorRequests; }

bool ScriptedColorChooser(int* rgbBytes) {
  gColorRequests.push_back({rgbBytes[0], rgbBytes[1], rgbBytes[2]});
  if (gColorAnswers.empty()) return false;
  const std::optional<std::array<int, 3>> answer = gColorAnswers.front();
  gColorAnswers.pop_front();
  if (!answer) return false;
  for (int c = 0; c < 3; ++c) rgbBytes[c] = (*answer)[static_cast<size_t>(c)];
  return true;
}

void ResetColorChooserScript() {
  gColorAnswers.clear();
  gColorRequests.clear();
}

bool InternalErrorsExpected() { return gExpectInternalErrors; }

bool TakeExpectInternalErrors() {
  bool expected = gExpectInternalErrors;
  gExpectInternalErrors = false;
  return expected;
}

std::filesystem::path ScratchDir(const std::string& name) {
  std::filesystem::path dir = ScratchRoot() / name;
  std::error_code ec;
  std::filesystem::remove_all(dir, ec);
  std::filesystem::create_directories(dir, ec);
  return dir;
}

void RemoveScratchRoot() {
  std::error_code ec;
  if (!ScratchRoot().empty()) std::filesystem::remove_all(ScratchRoot(), ec);
}

bool MirroredInX(const std::vector<std::array<double, 3>>& a, const std::vector<std::array<double, 3>>& b,
                 double tolerance) {
  if (a.size() != b.size()) return false;
  for (const auto& p : a) {
    bool found = false;
    for (const auto& q : b) {
      found = found || (std::fabs(p[0] + q[0]) <= tolerance && std::fabs(p[1] - q[1]) <= tolerance &&
                        std::fabs(p[2] - q[2]) <= tolerance);
    }
    if (!found) return false;
  }
  return true;
}

std::filesystem::path FixturesDir() {
  if (const char* dir = std::getenv("CORVIA_TEST_FIXTURES")) return dir;
  return std::filesystem::path(__FILE__).parent_path().parent_path() / "fixtures";
}

WorkMemoryScope::WorkMemoryScope(uint64_t bytes) : mBefore(platform::SetWorkMemoryLimit(bytes)) {}

WorkMemoryScope::~WorkMemoryScope() {
  platform::SetWorkMemoryLimit(mBefore);
}

ReportCounter::ReportCounter() {
  Platform().progress.Current()->onPump = [this](platform::HeadlessProgressWindow::State& state) {
    Platform().clock.Advance(1.0);
    if (++pumps == cancelAt) state.cancel = true;
  };
}

ReportCounter::~ReportCounter() { Platform().progress.Current()->onPump = nullptr; }

}  // namespace corvia::testing
