#pragma once
// A fixture for the library tests: keeps the parameters of the parametric records,
// which the tests change, and clears the message boxes before and after each test.

#include <gtest/gtest.h>

#include <map>
#include <utility>

#include "construction/Library.h"
#include "tests/support/TestSupport.h"

namespace corvia::testing {

class LibraryParamsFixture : public ::testing::Test {
 protected:
  void SetUp() override {
    for (int i = 0; i < kNumLibraryEntries; ++i)
      mSaved[i] = {gLibraryTable[i].mWenninger, gLibraryTable[i].mModelsPage};
    Platform().messages.Clear();
  }
  void TearDown() override {
    for (auto& [i, params] : mSaved) {
      gLibraryTable[i].mWenninger = params.first;
      gLibraryTable[i].mModelsPage = params.second;
    }
    Platform().messages.Clear();
  }
  std::map<int, std::pair<int, int>> mSaved;
};

}  // namespace corvia::testing
