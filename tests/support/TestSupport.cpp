#include "tests/support/TestSupport.h"

#include <algorithm>
#include <cmath>

#include <cstdio>
#include <cstdlib>
#include <deque>
#include <fstream>
#include <optional>
#include <unistd.h>

#include <gtest/gtest.h>

#include "platform/Memory.h"

namespace corvia::testing {

namespace {
// The internal errors the current test expects (-1: it said nothing, and each one fails
// it as it comes), and the texts of those shown so far.
int gExpectedInternalErrors = -1;
std::vector<std::string> gInternalErrorsShown;
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

void ExpectInternalErrors(int count) {
  if (count < 0) ADD_FAILURE() << "ExpectInternalErrors takes the number of boxes the test shows, not " << count;
  gExpectedInternalErrors = std::max(count, 0);
}

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

void WatchInternalErrors() {
  gExpectedInternalErrors = -1;
  gInternalErrorsShown.clear();
  // Installed again for every test: a test that put a hook of its own in its place
  // leaves the next one watched all the same.
  Platform().messages.onBox = [](const platform::MessageBoxRequest& box) {
    if (box.title != "Internal Error") return;
    gInternalErrorsShown.push_back(box.text);
    if (gExpectedInternalErrors < 0) ADD_FAILURE() << "Unexpected \"Internal Error\" box: " << box.text;
  };
}

void CheckInternalErrorCount() {
  if (gExpectedInternalErrors < 0) return;
  const int shown = static_cast<int>(gInternalErrorsShown.size());
  if (shown == gExpectedInternalErrors) return;
  std::string texts;
  for (const std::string& text : gInternalErrorsShown) texts += "\n  " + text;
  ADD_FAILURE() << "The test expected " << gExpectedInternalErrors << " \"Internal Error\" boxes and " << shown
                << " were shown" << texts;
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

RecordedHashes::RecordedHashes(const std::string& fixture, const char* recordVariable)
    : mTable(FixturesDir() / fixture), mRecordVariable(recordVariable) {
  std::ifstream in(mTable);
  std::string line;
  while (std::getline(in, line)) {
    const size_t space = line.rfind(' ');
    if (space != std::string::npos) mRecorded.emplace_back(line.substr(0, space), line.substr(space + 1));
  }
}

RecordedHashes::~RecordedHashes() {
  if (std::getenv(mRecordVariable)) std::ofstream(mTable) << mWritten;
}

void RecordedHashes::Check(const std::string& name, const std::string& description, const std::string& what) {
  uint64_t hash = 14695981039346656037ull;
  for (const unsigned char c : description) {
    hash ^= c;
    hash *= 1099511628211ull;
  }
  char text[24];
  std::snprintf(text, sizeof text, "%016llx", static_cast<unsigned long long>(hash));
  mWritten += name + " " + text + "\n";
  const auto found = std::find_if(mRecorded.begin(), mRecorded.end(), [&](const auto& r) { return r.first == name; });
  if (found == mRecorded.end()) {
    ADD_FAILURE() << name << ": no recorded hash; its " << what << " hash to " << text;
  } else {
    EXPECT_EQ(found->second, text) << name << ": the " << what << " changed";
  }
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
