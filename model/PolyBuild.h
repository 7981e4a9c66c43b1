#pragma once
// The backtracking builder's view of a template: the ways the template's polygons can
// stand round one vertex, and the states of a build.

#include <cstdint>
#include <vector>

namespace corvia {

class TemplatePolygon;

// One arrangement of the faces round a vertex: the template's ring read from a
// distinct starting polygon, forwards (list 0) or backwards (list 1).
class TemplateArrangement {
 public:
  const TemplatePolygon* mStart = nullptr;
  int32_t mList = 0;
  uint32_t mId = 0;
  // Cosine and sine of the turn from the first face's first side to each side round
  // the vertex (valence + 1 values), worked out once for the build.
  std::vector<double> mTurnCos;
  std::vector<double> mTurnSin;
};

// Poly::mBuildState.
constexpr int32_t kBuildRunning = 0;
constexpr int32_t kBuildFinished = 1;
constexpr int32_t kBuildFinishedWithChoices = 2;
constexpr int32_t kBuildFailed = 3;

// One run of a build gives up when it has added this many vertices.
constexpr int kBuildMaxNewVertices = 500;
// One run also gives up after this many steps, so that backtracking through many
// dead ends can never go on for ever.
constexpr int kBuildMaxSteps = 20000;

}  // namespace corvia
