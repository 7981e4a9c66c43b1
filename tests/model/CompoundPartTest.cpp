#include <gtest/gtest.h>

#include "model/CompoundPart.h"

namespace {

corvia::CompoundPart* Part(int faces, int edges, int vertices, bool oneSided) {
  auto* part = new corvia::CompoundPart;
  part->mNumFaces = faces;
  part->mNumEdges = edges;
  part->mNumVertices = vertices;
  part->mFlags = oneSided ? corvia::kCompoundPartOneSided : 0;
  return part;
}

TEST(CompoundPartTest, GenusIsHalvedOnlyForOrientableParts) {
  corvia::CompoundPart* cube = Part(6, 12, 8, false);
  corvia::CompoundPart* torus = Part(16, 32, 16, false);
  corvia::CompoundPart* doubleTorus = Part(20, 44, 22, false);
  corvia::CompoundPart* projectivePlane = Part(4, 6, 3, true);
  corvia::CompoundPart* klein = Part(8, 16, 8, true);
  EXPECT_EQ(corvia::Genus(cube), 0);
  EXPECT_EQ(corvia::Genus(torus), 1);
  EXPECT_EQ(corvia::EulerCharacteristic(doubleTorus), -2);
  EXPECT_EQ(corvia::Genus(doubleTorus), 2);
  EXPECT_EQ(corvia::EulerCharacteristic(projectivePlane), 1);
  EXPECT_EQ(corvia::Genus(projectivePlane), 1);
  EXPECT_EQ(corvia::Genus(klein), 2);
  cube->mNext = torus;
  torus->mNext = doubleTorus;
  doubleTorus->mNext = projectivePlane;
  projectivePlane->mNext = klein;
  corvia::DeleteCompoundParts(cube);  // the whole chain (the sanitizer build checks)
}

}  // namespace
