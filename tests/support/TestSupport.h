#pragma once
// Helpers every test program shares: the headless platform the test main installs,
// and a scratch folder per test.

#include <array>
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "platform/Headless.h"

namespace corvia::testing {

// The headless platform installed for the whole test program.
platform::HeadlessPlatform& Platform();

// Internal-error boxes shown during the current test fail it, unless the test first
// says how many it expects: it then fails at its end when another number was shown
// (the boxes are left for the test to inspect). A later call sets the number anew.
void ExpectInternalErrors(int count);

// The colour chooser of the test programs never shows anything: it answers from a
// script, in order, and cancels when nothing is queued. The script and the record
// of what it was asked are emptied before every test.
void QueueColorChoice(int red, int green, int blue);
void QueueColorCancel();
// The colours (bytes, red first) the chooser was opened with, in order.
const std::vector<std::array<int, 3>>& ColorChooserRequests();

// A fresh, empty folder for this test, removed at the end of the program.
std::filesystem::path ScratchDir(const std::string& name);

// tests/fixtures of the source tree.
std::filesystem::path FixturesDir();

// A fixture table of hashes recorded from earlier runs, a line a name: "<name> <hash>"
// (a 64-bit FNV-1a hash of a description, in hexadecimal). Each description made is
// hashed and checked against its record; with the environment variable named
// `recordVariable` set, the table is written anew from the hashes made, at the end.
class RecordedHashes {
 public:
  RecordedHashes(const std::string& fixture, const char* recordVariable);
  ~RecordedHashes();
  RecordedHashes(const RecordedHashes&) = delete;
  RecordedHashes& operator=(const RecordedHashes&) = delete;
  // Fails the test where the hash of `description` has no record under `name` or another
  // one; `what` names what changed.
  void Check(const std::string& name, const std::string& description, const std::string& what);
  size_t RecordCount() const { return mRecorded.size(); }

 private:
  std::filesystem::path mTable;
  const char* mRecordVariable;
  std::vector<std::pair<std::string, std::string>> mRecorded;
  std::string mWritten;
};

// Whether every point of a has a point of b at (-x, y, z), each coordinate within the
// tolerance, and the two have as many points.
bool MirroredInX(const std::vector<std::array<double, 3>>& a, const std::vector<std::array<double, 3>>& b,
                 double tolerance);

// While it lives, the memory work may count on is `bytes` (platform::WorkMemoryLimit),
// whatever the machine or the process's limits give: tests meet the refusals of work that
// would not fit, or keep a machine short of memory from refusing what they make.
class WorkMemoryScope {
 public:
  explicit WorkMemoryScope(uint64_t bytes);
  ~WorkMemoryScope();
  WorkMemoryScope(const WorkMemoryScope&) = delete;
  WorkMemoryScope& operator=(const WorkMemoryScope&) = delete;

 private:
  uint64_t mBefore;
};

// While it lives, every report of work inside a progress level pumps the window (the
// test platform's clock moves on a second at each pump) and the pumps are counted;
// Cancel is pressed at pump number cancelAt (0: never). Work is first run to count
// its reports, then cancelled at each in turn.
class ReportCounter {
 public:
  ReportCounter();
  ~ReportCounter();
  ReportCounter(const ReportCounter&) = delete;
  ReportCounter& operator=(const ReportCounter&) = delete;

  int pumps = 0;
  int cancelAt = 0;
};

}  // namespace corvia::testing
