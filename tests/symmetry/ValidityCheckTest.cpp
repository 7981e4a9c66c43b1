#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <memory>
#include <string>
#include <vector>

#include "core/VectorMath.h"
#include "platform/MessageFrontEnd.h"
#include "symmetry/ConvexHull.h"
#include "symmetry/SimplePoly.h"
#include "symmetry/ValidityCheck.h"
#include "tests/support/TestSupport.h"

namespace {

using Point = std::array<double, 3>;

// Unit cubes at the given offsets as one model; shared corners are one vertex.
// Faces are wound counter-clockwise seen from outside.
std::unique_ptr<corvia::SimplePoly> Cubes(const std::vector<Point>& offsets, int skipFace = -1) {
  const int quads[6][4] = {{0, 2, 3, 1}, {0, 1, 5, 4}, {1, 3, 7, 5}, {3, 2, 6, 7}, {2, 0, 4, 6}, {4, 5, 7, 6}};
  std::vector<Point> points;
  std::vector<std::array<int, 4>> faces;
  for (const Point& o : offsets) {
    int index[8];
    for (int i = 0; i < 8; ++i) {
      const Point p{o[0] + (i & 1), o[1] + ((i >> 1) & 1), o[2] + ((i >> 2) & 1)};
      index[i] = -1;
      for (size_t k = 0; k < points.size(); ++k) {
        if (points[k] == p) index[i] = static_cast<int>(k);
      }
      if (index[i] < 0) {
        index[i] = static_cast<int>(points.size());
        points.push_back(p);
      }
    }
    for (int f = 0; f < 6; ++f) {
      if (static_cast<int>(faces.size()) == skipFace) {
        skipFace = -2;
        continue;
      }
      faces.push_back({index[quads[f][0]], index[quads[f][1]], index[quads[f][2]], index[quads[f][3]]});
    }
  }
  auto poly = std::make_unique<corvia::SimplePoly>(static_cast<int>(points.size()), static_cast<int>(faces.size()));
  for (size_t i = 0; i < points.size(); ++i) poly->VertAt(static_cast<int>(i)).SetPos(points[i].data());
  for (size_t f = 0; f < faces.size(); ++f) {
    corvia::SimpleFace& face = poly->FaceAt(static_cast<int>(f));
    face.SetNumVerts(4);
    for (int k = 0; k < 4; ++k) face.SetVertIndex(k, faces[f][static_cast<size_t>(k)]);
  }
  return poly;
}

corvia::platform::HeadlessMessages& Messages() { return corvia::testing::Platform().messages; }

constexpr const char* kOddText = "Invalid model: an odd number of faces meet at some edges.\nFaces must meet in pairs.";

class ValidityCheck : public ::testing::Test {
 protected:
  void SetUp() override { Messages().Clear(); }
};

TEST_F(ValidityCheck, SoundModelPassesSilentlyEvenWithoutNormals) {
  auto cube = Cubes({{0, 0, 0}});
  ASSERT_FALSE(cube->FaceAt(0).HasNormal());
  EXPECT_TRUE(cube->CheckModelValidity(0));
  EXPECT_TRUE(Messages().Boxes().empty());
}

TEST_F(ValidityCheck, MissingFaceIsRefusedWithThePlainError) {
  auto open = Cubes({{0, 0, 0}}, 5);
  const corvia::Outcome refused = open->CheckModelValidity(0);
  EXPECT_EQ(refused.kind(), corvia::Outcome::Kind::kRefused);
  EXPECT_EQ(refused.text(), kOddText);
  EXPECT_TRUE(Messages().Boxes().empty());
  EXPECT_EQ(open->NumFaces(), 5);

  // The open edges are exactly the four round the hole.
  int openEdges = 0;
  for (int f = 0; f < open->NumFaces(); ++f) {
    for (int i = 0; i < 4; ++i) openEdges += corvia::CountFacesAtEdge(*open, f, i, true).faces == 1 ? 1 : 0;
  }
  EXPECT_EQ(openEdges, 4);
}

TEST_F(ValidityCheck, MissingFaceOffersTheHull) {
  auto open = Cubes({{0, 0, 0}}, 2);
  Messages().QueueAnswer(0);  // "Create convex hull instead"
  EXPECT_TRUE(open->CheckModelValidity(corvia::kValidityOfferHull));
  ASSERT_EQ(Messages().Boxes().size(), 1u);
  const corvia::platform::MessageBoxRequest& box = Messages().Boxes()[0];
  EXPECT_EQ(box.title, "Error");
  EXPECT_EQ(box.text, kOddText);
  ASSERT_EQ(box.captions.size(), 2u);
  EXPECT_NE(box.captions[0].find("Create convex hull instead"), std::string::npos);
  EXPECT_NE(box.captions[1].find("Cancel"), std::string::npos);
  EXPECT_EQ(open->CountFacesWithoutFlags(corvia::kSimpleTemp), 6);
  EXPECT_TRUE(open->flags & corvia::kSimpleHasVertFaceLists);
  Messages().Clear();
  EXPECT_TRUE(open->CheckModelValidity(0));  // the hull itself is sound

  auto declined = Cubes({{0, 0, 0}}, 2);
  Messages().QueueAnswer(1);  // Cancel
  EXPECT_TRUE(declined->CheckModelValidity(corvia::kValidityOfferHull).cancelled());
  EXPECT_EQ(declined->NumFaces(), 5);
}

TEST_F(ValidityCheck, FlatModelKeepsItsFaceWhenTheHullFails) {
  corvia::SimplePoly square(4, 1);
  const double pts[4][3] = {{0, 0, 0}, {1, 0, 0}, {1, 1, 0}, {0, 1, 0}};
  for (int i = 0; i < 4; ++i) square.VertAt(i).SetPos(pts[i]);
  square.FaceAt(0).SetNumVerts(4);
  for (int i = 0; i < 4; ++i) square.FaceAt(0).SetVertIndex(i, i);
  Messages().QueueAnswer(0);
  const corvia::Outcome refused = square.CheckModelValidity(corvia::kValidityOfferHull);
  ASSERT_EQ(Messages().Boxes().size(), 1u);
  EXPECT_EQ(Messages().Boxes()[0].text, kOddText);
  EXPECT_EQ(refused.kind(), corvia::Outcome::Kind::kRefused);
  EXPECT_EQ(refused.text().rfind("Unable to create the convex hull: ", 0), 0u) << refused.text();
  EXPECT_EQ(square.NumFaces(), 1);
  EXPECT_EQ(square.FaceAt(0).Count(), 4);

  // A vertex off the plane that still carries a pass's scratch mark takes no part in
  // the hull: the hull is tried on the very vertices it would be built from, and the
  // face stays (not gone, with the offer taken as cancelled).
  corvia::SimplePoly marked(5, 1);
  for (int i = 0; i < 4; ++i) marked.VertAt(i).SetPos(pts[i]);
  const double apex[3] = {0.5, 0.5, 1};
  marked.VertAt(4).SetPos(apex);
  marked.VertAt(4).flags |= corvia::kSimpleMark2;
  marked.FaceAt(0).SetNumVerts(4);
  for (int i = 0; i < 4; ++i) marked.FaceAt(0).SetVertIndex(i, i);
  Messages().Clear();
  Messages().QueueAnswer(0);
  const corvia::Outcome markedRefused = marked.CheckModelValidity(corvia::kValidityOfferHull);
  EXPECT_EQ(markedRefused.kind(), corvia::Outcome::Kind::kRefused) << markedRefused.text();
  EXPECT_EQ(marked.NumFaces(), 1);
  EXPECT_EQ(marked.FaceAt(0).Count(), 4);
  EXPECT_FALSE(marked.VertAt(0).IsTemp());
}

TEST_F(ValidityCheck, EmptyModelsAreRefused) {
  corvia::SimplePoly empty(0, 0);
  EXPECT_EQ(empty.CheckModelValidity(corvia::kValidityOfferHull).text(),
            "Invalid model: there are no faces or vertices.");

  auto removed = Cubes({{0, 0, 0}});
  for (int f = 0; f < removed->NumFaces(); ++f) removed->FaceAt(f).flags |= corvia::kSimpleTemp;
  EXPECT_EQ(removed->CheckModelValidity(0).text(), "Invalid model: there are no faces.");
  EXPECT_TRUE(Messages().Boxes().empty());
}

TEST_F(ValidityCheck, VerticesWithoutFacesAreOfferedTheirHull) {
  // Vertices alone are what a hull is made from: the error says that faces are
  // missing, and the hull is offered when asked for.
  auto points = [] {
    auto cube = Cubes({{0, 0, 0}});
    auto bare = std::make_unique<corvia::SimplePoly>(cube->NumVerts(), 0);
    for (int i = 0; i < cube->NumVerts(); ++i) bare->VertAt(i).SetPos(cube->VertAt(i).pos);
    return bare;
  };
  auto plain = points();
  EXPECT_EQ(plain->CheckModelValidity(0).text(), "Invalid model: there are no faces.");
  EXPECT_TRUE(Messages().Boxes().empty());

  Messages().Clear();
  auto offered = points();
  Messages().QueueAnswer(0);  // "Create convex hull instead"
  EXPECT_TRUE(offered->CheckModelValidity(corvia::kValidityOfferHull));
  ASSERT_EQ(Messages().Boxes().size(), 1u);
  EXPECT_EQ(Messages().Boxes()[0].text, "Invalid model: there are no faces.");
  ASSERT_EQ(Messages().Boxes()[0].captions.size(), 2u);
  EXPECT_EQ(offered->CountFacesWithoutFlags(corvia::kSimpleTemp), 6);

  Messages().Clear();
  auto declined = points();
  Messages().QueueAnswer(1);  // Cancel
  EXPECT_FALSE(declined->CheckModelValidity(corvia::kValidityOfferHull));
  EXPECT_EQ(declined->NumFaces(), 0);
}

TEST_F(ValidityCheck, CornersThatNameNoVertexAreRefusedBeforeAnyEdgeIsRead) {
  for (int32_t bad : {99, -1, 8}) {
    Messages().Clear();
    auto cube = Cubes({{0, 0, 0}});
    cube->FaceAt(3).items[2] = bad;
    Messages().QueueAnswer(0);  // the hull would be offered for a merely open model
    EXPECT_EQ(cube->CheckModelValidity(corvia::kValidityOfferHull).text(),
              "Invalid model: face 3 refers to vertex " + std::to_string(bad) + ", which the model does not have.");
    // Refused before the hull could be offered.
    EXPECT_TRUE(Messages().Boxes().empty());
    EXPECT_EQ(cube->NumFaces(), 6);
  }
  Messages().Clear();
}

TEST_F(ValidityCheck, FourFacesAtAnEdgeNeedTheWarningsAccepted) {
  // Two cubes sharing one edge: four faces meet there, two of them in one plane.
  const std::vector<Point> offsets = {{0, 0, 0}, {1, 1, 0}};
  auto both = Cubes(offsets);
  Messages().QueueAnswer(corvia::platform::kBoxOk);
  Messages().QueueAnswer(corvia::platform::kBoxOk);
  EXPECT_TRUE(both->CheckModelValidity(0));
  ASSERT_EQ(Messages().Boxes().size(), 2u);
  EXPECT_EQ(Messages().Boxes()[0].text.rfind("WARNING: coplanar faces meet at some edges.", 0), 0u);
  EXPECT_EQ(Messages().Boxes()[1].text.rfind("WARNING: more than two faces meet at some edges.", 0), 0u);

  Messages().Clear();
  auto again = Cubes(offsets);
  Messages().QueueAnswer(corvia::platform::kBoxCancel);
  EXPECT_FALSE(again->CheckModelValidity(corvia::kValiditySkipCoplanarWarning));
  ASSERT_EQ(Messages().Boxes().size(), 1u);
  EXPECT_EQ(Messages().Boxes()[0].text.rfind("WARNING: more than two faces", 0), 0u);

  Messages().Clear();
  EXPECT_TRUE(again->CheckModelValidity(corvia::kValiditySkipCoplanar));
  EXPECT_TRUE(Messages().Boxes().empty());
}

TEST(ValidityCheckMatrices, QuaternionsAndTranspose) {
  double q[4];
  const double identity[9] = {1, 0, 0, 0, 1, 0, 0, 0, 1};
  corvia::RotationToQuaternion(q, identity);
  EXPECT_DOUBLE_EQ(q[0], 1);
  EXPECT_DOUBLE_EQ(q[1], 0);
  EXPECT_DOUBLE_EQ(q[2], 0);
  EXPECT_DOUBLE_EQ(q[3], 0);
  const double halfTurnY[9] = {-1, 0, 0, 0, 1, 0, 0, 0, -1};
  corvia::RotationToQuaternion(q, halfTurnY);
  EXPECT_DOUBLE_EQ(q[0], 0);
  EXPECT_DOUBLE_EQ(q[1], 0);
  EXPECT_DOUBLE_EQ(q[2], 1);
  EXPECT_DOUBLE_EQ(q[3], 0);
  // A quarter turn about z: (cos 45, 0, 0, sin 45) up to the stored layout's sense.
  double quarterZ[9];
  corvia::AxisRotationMatrixExact(quarterZ, 2, 1, 4);
  corvia::RotationToQuaternion(q, quarterZ);
  EXPECT_NEAR(q[0], std::sqrt(0.5), 1e-12);
  EXPECT_NEAR(std::fabs(q[3]), std::sqrt(0.5), 1e-12);

  double m[9] = {1, 2, 3, 4, 5, 6, 7, 8, 9};
  corvia::Transpose3x3(m, m);
  const double expected[9] = {1, 4, 7, 2, 5, 8, 3, 6, 9};
  for (int i = 0; i < 9; ++i) EXPECT_EQ(m[i], expected[i]);
}

}  // namespace
