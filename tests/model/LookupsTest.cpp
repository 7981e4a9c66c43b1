// Element and edge lookups on a hand-built cube: neighbours across edges before and
// after the edges exist, the walks round a vertex and a face, corner re-ordering,
// compound parts, and an edge's ends, sides, vector and normals in both roles.

#include <gtest/gtest.h>

#include <cmath>

#include "model/ElementFlags.h"
#include "tests/model/HandBuiltModels.h"
#include "tests/support/TestSupport.h"

namespace corvia {
namespace {

// Number of coordinates in which two points differ.
int Differences(const double* a, const double* b) {
  int count = 0;
  for (int k = 0; k < 3; ++k) count += a[k] != b[k];
  return count;
}

TEST(LookupsAdjacent, FacesAcrossEdgesShareBothCorners) {
  testing::HandBuiltCube cube;
  for (int f = 0; f < 6; ++f) {
    Face* face = cube.F(f);
    for (int i = 0; i < 4; ++i) {
      PolyElement* other = face->GetAdjacent(i);
      ASSERT_NE(other, nullptr);
      EXPECT_NE(other, face);
      EXPECT_TRUE(other->HasCorner(face->mNeighbours[i]));
      EXPECT_TRUE(other->HasCorner(face->mNeighbours[(i + 1) % 4]));
      // Neighbouring cube faces are perpendicular.
      EXPECT_EQ(Dot(other->mZAxis, face->mZAxis), 0.0);
    }
  }
  EXPECT_EQ(PolyElement::GetAdjacent(nullptr, 0), nullptr);
}

TEST(LookupsAdjacent, VerticesAtTheOtherEndOfEachEdge) {
  testing::HandBuiltCube cube;
  for (int built = 0; built < 2; ++built) {
    if (built) cube.BuildEdges();
    for (int v = 0; v < 8; ++v) {
      Vertex* vertex = cube.V(v);
      for (int i = 0; i < 3; ++i) {
        PolyElement* other = vertex->GetAdjacent(i);
        ASSERT_NE(other, nullptr);
        EXPECT_EQ(Differences(other->mDualVert, vertex->mDualVert), 1);
        // It lies on the two faces that edge i separates.
        EXPECT_TRUE(vertex->mNeighbours[i]->HasCorner(other));
        EXPECT_TRUE(vertex->mNeighbours[(i + 1) % 3]->HasCorner(other));
      }
    }
  }
}

TEST(LookupsAdjacent, AcrossGivesTheSharedEdgeBeforeAndAfterEdgesExist) {
  testing::HandBuiltCube cube;
  int before[6][4];
  PolyElement* beforeNeighbour[6][4];
  for (int f = 0; f < 6; ++f) {
    for (int i = 0; i < 4; ++i) {
      int j = i;
      beforeNeighbour[f][i] = cube.F(f)->GetAdjacentAcross(j);
      before[f][i] = j;
      PolyElement* n = beforeNeighbour[f][i];
      ASSERT_NE(n, nullptr);
      // The shared edge joins the same two corners, the other way round.
      EXPECT_EQ(n->mNeighbours[j], cube.F(f)->mNeighbours[(i + 1) % 4]);
      EXPECT_EQ(n->mNeighbours[(j + 1) % 4], cube.F(f)->mNeighbours[i]);
    }
  }
  cube.BuildEdges();
  for (int f = 0; f < 6; ++f) {
    for (int i = 0; i < 4; ++i) {
      int j = i;
      EXPECT_EQ(cube.F(f)->GetAdjacentAcross(j), beforeNeighbour[f][i]);
      EXPECT_EQ(j, before[f][i]);
    }
  }
}

TEST(LookupsAdjacent, AnEdgeThatBordersTheSameElementTwice) {
  testing::HandBuiltPolygon ring({{0, 0, 0}, {1, 0, 0}, {1, 1, 0}, {0, 1, 0}});
  Face* face = ring.face;
  Edge edge;
  edge.mFace1 = face;
  edge.mFace2 = face;
  face->mEdges[0] = &edge;
  face->mEdges[2] = &edge;
  int i = 0;
  EXPECT_EQ(face->GetAdjacentAcross(i), face);
  EXPECT_EQ(i, 2);
  i = 2;
  EXPECT_EQ(face->GetAdjacentAcross(i), face);
  EXPECT_EQ(i, 0);
  EXPECT_EQ(face->FindEdgeIndexAfter(&edge, 0), 2);
  EXPECT_EQ(face->FindEdgeIndexAfter(&edge, 2), -1);
  EXPECT_EQ(face->FindEdgeIndexAfter(nullptr, -1), -1);
  face->mEdges[0] = face->mEdges[2] = nullptr;
  // Without edges and without neighbouring faces there is nothing across.
  i = 1;
  EXPECT_EQ(face->GetAdjacentAcross(i), nullptr);
}

TEST(LookupsCorners, FindAndStepRoundCorners) {
  testing::HandBuiltCube cube;
  Face* face = cube.F(0);
  PolyElement* c2 = face->mNeighbours[2];
  EXPECT_EQ(face->FindVertexIndex(c2, -1), 2);
  EXPECT_EQ(face->FindVertexIndex(c2, 2), -1);
  EXPECT_EQ(PolyElement::FindVertexIndex(nullptr, c2, -1), -1);
  EXPECT_EQ(face->FindCornerAt(c2->mDualVert), c2);
  const double nowhere[3] = {5, 5, 5};
  EXPECT_EQ(face->FindCornerAt(nowhere), nullptr);
  EXPECT_EQ(PolyElement::FindCornerAt(nullptr, nowhere), nullptr);
  EXPECT_EQ(face->GetNextNeighbour(c2, 1), face->mNeighbours[3]);
  EXPECT_EQ(face->GetNextNeighbour(c2, 2), face->mNeighbours[0]);
  EXPECT_EQ(face->GetNextNeighbour(c2, -3), face->mNeighbours[3]);
  corvia::testing::ExpectInternalErrors(1);
  EXPECT_EQ(face->GetNextNeighbour(cube.F(1), 1), nullptr);
  EXPECT_EQ(corvia::testing::Platform().messages.CountTitled("Internal Error"), 1);
  EXPECT_EQ(corvia::testing::Platform().messages.Boxes().back().text, "GetNextNeighbour: Couldn't find it");
}

TEST(LookupsCorners, RotateAndReverseCorners) {
  std::vector<std::vector<double>> points;
  for (int k = 0; k < 5; ++k) points.push_back({double(k), 0, 0});
  testing::HandBuiltPolygon pentagon(points);
  Face* face = pentagon.face;
  PolyElement* corner[5];
  Edge edges[5];
  for (int k = 0; k < 5; ++k) {
    corner[k] = face->mNeighbours[k];
    face->mEdges[k] = &edges[k];
  }
  face->RotateCorners(0, true);
  const int order[5] = {0, 4, 3, 2, 1};
  for (int k = 0; k < 5; ++k) EXPECT_EQ(face->mNeighbours[k], corner[order[k]]);
  EXPECT_EQ(face->mEdges[0], &edges[4]);
  EXPECT_EQ(face->mEdges[1], &edges[3]);
  EXPECT_EQ(face->mEdges[4], &edges[0]);
  face->RotateCorners(0, true);
  face->RotateCorners(2, false);
  for (int k = 0; k < 5; ++k) {
    EXPECT_EQ(face->mNeighbours[k], corner[(k + 2) % 5]);
    EXPECT_EQ(face->mEdges[k], &edges[(k + 2) % 5]);
  }
  // A vertex's sense bytes travel with its faces.
  testing::HandBuiltCube cube;
  Vertex* vertex = cube.V(0);
  PolyElement* f1 = vertex->mNeighbours[1];
  vertex->mFaceSense[1] = 1;
  vertex->RotateCorners(1, false);
  EXPECT_EQ(vertex->mNeighbours[0], f1);
  EXPECT_EQ(vertex->mFaceSense[0], 1);
  EXPECT_EQ(vertex->mFaceSense[1], 0);
}

TEST(LookupsPart, ConnectedPartHoldsBothKinds) {
  testing::HandBuiltCube cube;
  PolyElement* buffer[14];
  EXPECT_EQ(cube.F(2)->CollectConnectedPart(buffer), 14);
  EXPECT_EQ(buffer[0], cube.F(2));
  int vertices = 0;
  for (PolyElement* element : buffer) {
    vertices += element->IsVertex();
    EXPECT_TRUE(element->HasFlag(kElementVisitMark));  // left for the caller
    element->mFlags &= ~kElementVisitMark;
  }
  EXPECT_EQ(vertices, 8);
  // Without a buffer nobody could clear the marks, so they are cleared here.
  EXPECT_EQ(cube.V(3)->CollectConnectedPart(static_cast<PolyElement**>(nullptr)), 14);
  for (int f = 0; f < 6; ++f) EXPECT_FALSE(cube.F(f)->HasFlag(kElementVisitMark));
  for (int v = 0; v < 8; ++v) EXPECT_FALSE(cube.V(v)->HasFlag(kElementVisitMark));
}

TEST(LookupsBuilderWalks, NextFaceNextVertexAndAdjacentFaceVert) {
  testing::HandBuiltCube cube;
  Vertex* vertex = cube.V(7);
  PolyElement* f0 = vertex->mNeighbours[0];
  EXPECT_EQ(GetNextFace(vertex, f0, 1, 0), vertex->mNeighbours[1]);
  EXPECT_EQ(GetNextFace(vertex, f0, -1, 0), vertex->mNeighbours[2]);
  vertex->mFaceSense[0] = 1;  // the face passes the vertex in reverse
  EXPECT_EQ(GetNextFace(vertex, f0, 1, 0), vertex->mNeighbours[2]);
  EXPECT_EQ(GetNextFace(vertex, f0, 1, 1), vertex->mNeighbours[1]);
  EXPECT_EQ(GetNextVertex(f0, vertex, 1), f0->GetNextNeighbour(vertex, -1));
  vertex->mFaceSense[0] = 0;
  EXPECT_EQ(GetNextVertex(f0, vertex, 1), f0->GetNextNeighbour(vertex, 1));
  // Round a face, the face across each side; round a vertex, the vertex across each edge.
  for (int i = 0; i < 4; ++i) EXPECT_EQ(GetAdjacentFaceVert(cube.F(4), i), cube.F(4)->GetAdjacent(i));
  corvia::testing::ExpectInternalErrors(3);
  EXPECT_EQ(GetNextFace(vertex, cube.F(1), 1, 0), nullptr);
  EXPECT_EQ(GetNextVertex(cube.F(1), vertex, 1), nullptr);
  SetNextFace(vertex, cube.F(1), 1, cube.F(0), 0);
  const auto& boxes = corvia::testing::Platform().messages.Boxes();
  ASSERT_EQ(boxes.size(), 3u);
  EXPECT_EQ(boxes[0].text, "GetNextFace: Couldn't find it");
  EXPECT_EQ(boxes[1].text, "GetNextVertex: Couldn't find it");
  EXPECT_EQ(boxes[2].text, "SetNextFace: Couldn't find face");
}

TEST(LookupsBuilderWalks, SetNextFaceLinksAndGivesTheSenseByte) {
  testing::HandBuiltCube cube;
  Vertex* full = cube.V(7);
  double p[3] = {1.0, 1.0, 1.0};
  Vertex vertex(nullptr, p, 3);
  PolyElement* f0 = full->mNeighbours[0];
  PolyElement* f1 = full->mNeighbours[1];
  PolyElement* f2 = full->mNeighbours[2];
  vertex.SetFace(0, f0);
  EXPECT_EQ(vertex.mNumLinked, 1);
  // The cube's faces are the same way round: they pass their common corner next to
  // the vertex in opposite directions, so no reversal.
  for (PolyElement* f : {f0, f1, f2}) f->mNeighbours[f->FindVertexIndex(full, -1)] = &vertex;
  SetNextFace(&vertex, f0, 1, f1, 0);
  EXPECT_EQ(vertex.mNeighbours[1], f1);
  EXPECT_EQ(vertex.mFaceSense[1], 0);
  EXPECT_EQ(vertex.mNumLinked, 2);
  // A face running the other way round passes the corner in the same direction.
  f2->RotateCorners(0, true);
  SetNextFace(&vertex, f0, -1, f2, 0);
  EXPECT_EQ(vertex.mNeighbours[2], f2);
  EXPECT_EQ(vertex.mFaceSense[2], 1);
  EXPECT_EQ(vertex.mNumLinked, 3);
  f2->RotateCorners(0, true);
  for (PolyElement* f : {f0, f1, f2}) f->mNeighbours[f->FindVertexIndex(&vertex, -1)] = full;
}

TEST(LookupsEdges, EndsSidesAndRoles) {
  testing::HandBuiltCube cube;
  cube.BuildEdges();
  ASSERT_EQ(cube.numEdges, 12);
  EXPECT_EQ(Edge::GetIndex(nullptr, nullptr), -1);
  EXPECT_EQ(Edge::GetNumber(nullptr, nullptr), 0);
  Edge& edge = cube.edges[0];
  EXPECT_TRUE(edge.Touches(edge.mVert2));
  EXPECT_TRUE(edge.Touches(edge.mFace2));
  EXPECT_FALSE(edge.Touches(nullptr));
  EXPECT_EQ(edge.GetOtherVertex(edge.mVert1), edge.mVert2);
  EXPECT_EQ(edge.GetOtherVertex(edge.mVert2), edge.mVert1);
  EXPECT_EQ(edge.GetOther(edge.mFace2), edge.mFace1);
  EXPECT_EQ(edge.GetVert(true, 0), edge.mFace1);
  EXPECT_EQ(edge.GetFace(true, 1), edge.mVert2);
  PolyElement* ends[2];
  edge.GetVerts(false, ends);
  EXPECT_EQ(ends[1], edge.mVert2);
  edge.GetFaces(false, ends);
  EXPECT_EQ(ends[0], edge.mFace1);
  EXPECT_DOUBLE_EQ(edge.GetLength(false), 2.0);
  // In the dual the edge joins two face poles at right angles: length sqrt 2.
  EXPECT_DOUBLE_EQ(edge.GetLength(true), std::sqrt(2.0));
  double v[3];
  edge.GetVector(v, false);
  double expected[3];
  Subtract(expected, edge.mVert2->mDualVert, edge.mVert1->mDualVert);
  EXPECT_TRUE(NearlyEqual(v, expected, 0.0));
  // An end at infinity gives no length and its direction as the vector.
  edge.mVert2->mFlags |= kElementHemi;
  EXPECT_EQ(edge.GetLength(false), -1.0);
  edge.GetVector(v, false);
  EXPECT_TRUE(NearlyEqual(v, edge.mVert2->mDualVert, 0.0));
  edge.mVert1->mFlags |= kElementHemi;
  edge.GetVector(v, false);
  Add(expected, edge.mVert1->mDualVert, edge.mVert2->mDualVert);
  EXPECT_TRUE(NearlyEqual(v, expected, 0.0));
  edge.mVert2->mFlags &= ~kElementHemi;
  edge.GetVector(v, false);
  EXPECT_TRUE(NearlyEqual(v, edge.mVert1->mDualVert, 0.0));
}

TEST(LookupsEdges, OutwardNormalAndNearestPoint) {
  testing::HandBuiltCube cube;
  cube.BuildEdges();
  for (int e = 0; e < 12; ++e) {
    Edge& edge = cube.edges[e];
    double n[3];
    edge.GetOutwardNormal(n, false);
    double middle[3];
    Add(middle, edge.mVert1->mDualVert, edge.mVert2->mDualVert);
    Scale(middle, middle, 0.5);
    double unit[3];
    Divide(unit, middle, std::sqrt(2.0));
    EXPECT_TRUE(NearlyEqual(n, unit, 1e-12));
    // The nearest point of a cube edge's line to the centre is its midpoint.
    double nearest[3];
    edge.GetNearestPointToCentre(nearest, false);
    EXPECT_TRUE(NearlyEqual(nearest, middle, 1e-12));
  }
  // Sides that face opposite ways: a normal in the first side's plane, across the
  // edge and away from the centre.
  Edge& edge = cube.edges[0];
  Face* saved = edge.mFace2;
  Face opposite(nullptr, nullptr, 4);
  NegateInto(opposite.mZAxis, edge.mFace1->mZAxis);
  edge.mFace2 = &opposite;
  double n[3];
  edge.GetOutwardNormal(n, false);
  double d[3];
  edge.GetVector(d, false);
  EXPECT_NEAR(Dot(n, n), 1.0, 1e-12);
  EXPECT_NEAR(Dot(n, d), 0.0, 1e-12);
  EXPECT_NEAR(Dot(n, edge.mFace1->mZAxis), 0.0, 1e-12);
  double middle[3];
  Add(middle, edge.mVert1->mDualVert, edge.mVert2->mDualVert);
  EXPECT_GT(Dot(n, middle), 0.0);
  edge.mFace2 = saved;
  // A line through the centre.
  double a[3] = {1, 1, 1}, b[3] = {-1, -1, -1};
  Vertex va(nullptr, a, 3), vb(nullptr, b, 3);
  Edge through;
  through.mVert1 = &va;
  through.mVert2 = &vb;
  double nearest[3] = {9, 9, 9};
  through.GetNearestPointToCentre(nearest, false);
  EXPECT_EQ(nearest[0], 0.0);
  EXPECT_EQ(nearest[2], 0.0);
}

}  // namespace
}  // namespace corvia
