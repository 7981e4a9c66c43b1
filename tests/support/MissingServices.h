#pragma once
// A guard for tests that reach services of subsystems not linked in yet: those
// services show internal errors that name themselves, and any other internal error
// fails the test.

#include <gtest/gtest.h>

#include <string>

#include "tests/support/TestSupport.h"

namespace corvia::testing {

class MissingServicesOnly {
 public:
  MissingServicesOnly() { ExpectInternalErrors(); }
  ~MissingServicesOnly() {
    for (const auto& box : Platform().messages.Boxes()) {
      if (box.title != "Internal Error") continue;
      EXPECT_NE(box.text.find("Not available in this build"), std::string::npos) << box.text;
    }
  }
};

}  // namespace corvia::testing
