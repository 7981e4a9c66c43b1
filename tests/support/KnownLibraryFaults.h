#pragma once
// The faults that the library sweep (tests/files/LibrarySweepTest.cpp) still finds.

#include <vector>

namespace corvia::testing {

// The faults the sweep still finds, each by model, operation and the start of what
// goes wrong; every other problem fails the test, and so does an entry here that no
// longer happens (it must then go).
struct KnownFault {
  const char* model;
  const char* operation;
  const char* problem;
};
// A gap between progress reports, however long: its length depends on the machine,
// so such an entry is neither matched by its seconds nor required to happen.
inline constexpr const char* kSlow = "without a progress report";
// A list, so that it may also be empty.
inline const std::vector<KnownFault> kKnownFaults = {
    // The heptagrammic cupolaic blend with a corner moved by 1e-5 of its radius: where
    // its fourteen side planes nearly meet on the axis, the third mainline stellation
    // holds cells about 1e-5 across, near the facelet model's tolerance for telling
    // corners apart, and a facelet's edge finds no neighbour.
    {"record 261 with a corner moved by 1e-05", "mainline stellations",
     "internal error \"ConnectEdges(): Couldn't find mNeigh for edge"},
};

}  // namespace corvia::testing
