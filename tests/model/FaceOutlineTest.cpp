// Face outlines: the edge-line walk ends on a closed ring of faces.

#include <gtest/gtest.h>

#include "model/FaceOutline.h"

namespace {

TEST(FaceOutline, MissingInputsDrawAndFollowNothing) {
  double out[3] = {1.0, 2.0, 3.0};
  EXPECT_FALSE(corvia::FollowEdgeLine(out, nullptr, nullptr, nullptr, nullptr, nullptr));
  EXPECT_EQ(corvia::CreateMorphPolygon(nullptr, 1.0, 1.0), nullptr);
  corvia::FaceDiagram diagram;
  corvia::FaceDiagramResult result;
  EXPECT_FALSE(corvia::BuildFaceOutlineDiagram(nullptr, &diagram, &result, nullptr, nullptr, nullptr, false));
}

}  // namespace
