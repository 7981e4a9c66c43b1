#pragma once
// Helpers every test program shares: the headless platform the test main installs,
// and a scratch folder per test.

#include <filesystem>
#include <string>

#include "platform/Headless.h"

namespace corvia::testing {

// The headless platform installed for the whole test program.
platform::HeadlessPlatform& Platform();

// Internal-error boxes shown during the current test fail it, unless the test
// says it expects them (the boxes are then left for the test to inspect).
void ExpectInternalErrors();

// A fresh, empty folder for this test, removed at the end of the program.
std::filesystem::path ScratchDir(const std::string& name);

// tests/fixtures of the source tree.
std::filesystem::path FixturesDir();

}  // namespace corvia::testing
