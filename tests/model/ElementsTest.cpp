// Element classes and element lists: construction, list upkeep and its counts,
// opacity, hiding, type comparison, density and the coplanar ring.

#include <gtest/gtest.h>

#include <cmath>

#include "core/ListNode.h"
#include "model/ElementFlags.h"
#include "tests/model/HandBuiltModels.h"
#include "tests/support/TestSupport.h"

namespace corvia {
namespace {

struct TestNode : ListNode {
  explicit TestNode(int v) : value(v) {}
  int value;
};

TEST(ElementsListNode, AppendAndUnlinkKeepHeadAndTail) {
  ListNode* head = nullptr;
  ListNode* tail = nullptr;
  TestNode a(1), b(2), c(3);
  ListNode::Append(&a, head, tail);
  ListNode::Append(&b, head, tail);
  ListNode::Append(&c, head, tail);
  EXPECT_EQ(head, &a);
  EXPECT_EQ(tail, &c);
  EXPECT_EQ(b.mPrev, &a);
  ListNode::Unlink(&b, head, tail);
  EXPECT_EQ(a.mNext, &c);
  EXPECT_EQ(c.mPrev, &a);
  ListNode::Unlink(&a, head, tail);
  ListNode::Unlink(&c, head, tail);
  EXPECT_EQ(head, nullptr);
  EXPECT_EQ(tail, nullptr);
  // A node that is in no list leaves the list alone.
  ListNode::Append(&a, head, tail);
  ListNode::Unlink(&b, head, tail);
  EXPECT_EQ(head, &a);
  EXPECT_EQ(tail, &a);
  ListNode::Unlink(&a, head, tail);
}

Face* NewFace(FaceList& list, int sides = 3) {
  Face* face = new Face(nullptr, nullptr, sides);
  list.Append(face);
  return face;
}

TEST(ElementsList, AppendRemoveRenumberAndLookups) {
  FaceList list;
  Face* a = NewFace(list);
  Face* b = NewFace(list);
  Face* c = NewFace(list);
  EXPECT_EQ(list.mCount, 3);
  EXPECT_EQ(c->mIndex, 2);
  EXPECT_EQ(list.GetAt(1), b);
  EXPECT_EQ(list.GetAt(3), nullptr);
  EXPECT_EQ(list.GetAt(-1), nullptr);
  // Removing the head renumbers the others from 0.
  list.Remove(a);
  EXPECT_EQ(list.mCount, 2);
  EXPECT_EQ(list.mHead, b);
  EXPECT_EQ(b->mIndex, 0);
  EXPECT_EQ(c->mIndex, 1);
  EXPECT_EQ(b->mPrev, nullptr);
  c->mDualVert[0] = 2.0;
  const double near[3] = {2.0 + 5e-8, -5e-8, 0.0};
  const double far[3] = {2.0 + 2e-7, 0.0, 0.0};
  EXPECT_EQ(list.FindAt(near), c);
  EXPECT_EQ(list.FindAt(far), nullptr);
  b->mIndex = 7;
  list.Renumber();
  EXPECT_EQ(b->mIndex, 0);
  EXPECT_EQ(PolyElement::GetIndex(nullptr), -1);
  EXPECT_EQ(PolyElement::GetNumber(nullptr), 0);
  EXPECT_EQ(PolyElement::GetNumber(c), 2);
  EXPECT_EQ(PolyElement::GetSerialIndex(nullptr), -1);
  EXPECT_FALSE(list.IsFaceList() == false);
  list.Clear();
  EXPECT_EQ(list.mCount, 0);
  EXPECT_EQ(list.mHead, nullptr);
  EXPECT_EQ(list.mListFlags, 0u);
  EXPECT_EQ(list.mCachedSpread, -1.0);
}

TEST(ElementsList, LabelAndTranslucentCountsFollowTheElements) {
  FaceList list;
  Face* a = NewFace(list);
  Face* b = NewFace(list);
  a->SetLabel("top");
  b->SetLabel("side");
  EXPECT_EQ(list.mNumLabelled, 2);
  EXPECT_TRUE(list.HasLabels());
  b->SetLabel("other");  // relabelling does not count twice
  EXPECT_EQ(list.mNumLabelled, 2);
  b->SetLabel("   ");  // a blank text clears
  EXPECT_EQ(b->GetLabel(), nullptr);
  EXPECT_EQ(list.mNumLabelled, 1);
  a->SetOpacity(0.5f);
  b->SetOpacity(0.5f);
  EXPECT_EQ(list.mNumTranslucent, 2);
  // Destroying a labelled, translucent element takes it out of both counts.
  list.Remove(a);
  EXPECT_EQ(list.mNumLabelled, 0);
  EXPECT_EQ(list.mNumTranslucent, 1);
  EXPECT_FALSE(list.HasLabels());
}

TEST(ElementsList, OpacitySnapsAtItsEnds) {
  FaceList list;
  Face* face = NewFace(list);
  face->SetOpacity(0.996f);
  EXPECT_EQ(face->mOpacity, 1.0f);
  EXPECT_FALSE(face->IsTranslucent());
  EXPECT_EQ(list.mNumTranslucent, 0);
  face->SetOpacity(0.004f);
  EXPECT_EQ(face->mOpacity, 0.0f);
  EXPECT_TRUE(face->IsTranslucent());
  EXPECT_EQ(list.mNumTranslucent, 1);
  face->SetOpacity(0.3f);  // still below 1: counted once
  EXPECT_EQ(list.mNumTranslucent, 1);
  face->SetOpacity(1.0f);
  EXPECT_EQ(list.mNumTranslucent, 0);
  GetElementDisplayOptions().constructionToyStyle = true;
  EXPECT_TRUE(face->IsTranslucent());
  GetElementDisplayOptions().constructionToyStyle = false;
}

TEST(ElementsList, AllSameColour) {
  EXPECT_TRUE(ElementList::AllSameColour(nullptr));
  FaceList list;
  EXPECT_TRUE(ElementList::AllSameColour(&list));
  Face* a = NewFace(list);
  Face* b = NewFace(list);
  EXPECT_TRUE(ElementList::AllSameColour(&list));
  b->mColor[2] = a->mColor[2] + 1e-6f;
  EXPECT_FALSE(ElementList::AllSameColour(&list));
  EXPECT_FALSE(list.HasOtherImageEntry(nullptr));
}

TEST(ElementsConstruction, VertexFrameAndPole) {
  double position[3] = {0.0, 2.0, 1e-9};
  Vertex vertex(nullptr, position, 4);
  EXPECT_EQ(position[2], 0.0);  // the caller's record is snapped too
  EXPECT_EQ(vertex.mDualVert[1], 2.0);
  EXPECT_EQ(vertex.mZAxis[1], 1.0);
  // Reciprocation in the unit sphere: the dual face lies at distance 1/2.
  EXPECT_DOUBLE_EQ(vertex.mCentre[1], 0.5);
  EXPECT_FALSE(vertex.HasFlag(kElementInf));
  EXPECT_EQ(vertex.mIndex, -1);
  EXPECT_EQ(vertex.mDensity, 1);
  EXPECT_EQ(vertex.mTurnSense, -1);
  EXPECT_EQ(vertex.mChanged, 1);
  EXPECT_EQ(vertex.mFaceSense[3], 0);
  EXPECT_TRUE(vertex.IsVertex());
  EXPECT_FALSE(vertex.IsFace());
  // The last colour of the wheel.
  EXPECT_FLOAT_EQ(vertex.mColor[0], 1.0f);
  EXPECT_NEAR(vertex.mColor[1], 128.0 / 255.0, 1e-6);
  EXPECT_EQ(vertex.mColor[2], 0.0f);
}

TEST(ElementsConstruction, VertexAtTheCentreHasItsDualFaceAtInfinity) {
  double position[3] = {5e-8, -5e-8, 0.0};
  Vertex vertex(nullptr, position, 3);
  EXPECT_TRUE(vertex.HasFlag(kElementInf));
  for (int k = 0; k < 3; ++k) {
    EXPECT_EQ(vertex.mZAxis[k], 0.0);
    EXPECT_EQ(vertex.mCentre[k], 0.0);
  }
}

TEST(ElementsConstruction, FaceDefaults) {
  Face face(nullptr, nullptr, 5);
  EXPECT_EQ(face.mIdFlags, 0u);
  EXPECT_EQ(face.mColor[0], 1.0f);
  EXPECT_EQ(face.mColor[1], 0.0f);
  EXPECT_EQ(face.mTypeSerial, -1);
  EXPECT_EQ(face.mOpacity, 1.0f);
  EXPECT_FALSE(face.IsDensityOne());
  for (int i = 0; i < 5; ++i) {
    EXPECT_EQ(face.mNeighbours[i], nullptr);
    EXPECT_EQ(face.mEdges[i], nullptr);
  }
  EXPECT_EQ(face.GetRotationOrder(), 1);  // no face type yet
  Edge edge;
  EXPECT_EQ(edge.mEdgeType, -1);
  EXPECT_FLOAT_EQ(edge.mColor[2], 0.8f);
  EXPECT_TRUE(edge.IsEdge());
  EXPECT_EQ(edge.AsElement(), nullptr);
  EXPECT_EQ(face.AsElement(), &face);
}

TEST(ElementsDensity, StarPolygonsCountTheirWindings) {
  const double up[3] = {0.0, 0.0, 1.0};
  std::vector<std::vector<double>> pentagon, pentagram;
  for (int k = 0; k < 5; ++k) {
    const double a = 2.0 * M_PI * k / 5.0;
    const double b = 2.0 * M_PI * 2.0 * k / 5.0;
    pentagon.push_back({std::cos(a), std::sin(a), 0.3});
    pentagram.push_back({std::cos(b), std::sin(b), 0.3});
  }
  testing::HandBuiltPolygon convex(pentagon, up), star(pentagram, up);
  convex.faces.CalcDensities();
  star.faces.CalcDensities();
  EXPECT_EQ(convex.face->mDensity, 1);
  EXPECT_EQ(star.face->mDensity, 2);
  // Seen along another axis the count is the same.
  const double side[3] = {0.0, 1.0, 0.0};
  std::vector<std::vector<double>> standing;
  for (auto& p : pentagram) standing.push_back({p[0], 0.3, p[1]});
  testing::HandBuiltPolygon tilted(standing, side);
  tilted.face->CalcDensity();
  EXPECT_EQ(tilted.face->mDensity, 2);
  // Fewer than five sides keep the density they were given.
  testing::HandBuiltPolygon triangle({{0, 0, 0}, {1, 0, 0}, {0, 1, 0}}, up);
  triangle.face->mDensity = 3;
  triangle.face->CalcDensity();
  EXPECT_EQ(triangle.face->mDensity, 3);
}

TEST(ElementsCoplanar, DestroyingAMemberKeepsTheRingWhole) {
  FaceList list;
  Face* a = NewFace(list);
  Face* b = NewFace(list);
  Face* c = NewFace(list);
  a->mCoplanarNext = b;
  b->mCoplanarNext = c;
  c->mCoplanarNext = a;
  for (Face* f : {a, b, c}) f->mFlags |= kElementCoplanar | kElementHemi;
  EXPECT_EQ(a->CountCoplanar(), 3);
  EXPECT_TRUE(c->IsCoplanarWith(a));
  // A Hemi member leaves the ring too.
  list.Remove(b);
  EXPECT_EQ(a->mCoplanarNext, c);
  EXPECT_EQ(c->mCoplanarNext, a);
  EXPECT_EQ(a->CountCoplanar(), 2);
  list.Remove(c);
  EXPECT_EQ(a->mCoplanarNext, nullptr);
  EXPECT_FALSE(a->HasFlag(kElementCoplanar));
  EXPECT_EQ(a->CountCoplanar(), 1);
  EXPECT_TRUE(a->IsCoplanarWith(a));
}

TEST(ElementsCoplanar, SkipTranslucencyAndFace3D) {
  FaceList list;
  Face* a = NewFace(list);
  Face* b = NewFace(list);
  Face* c = NewFace(list);
  a->mCoplanarNext = b;
  b->mCoplanarNext = c;
  c->mCoplanarNext = a;
  EXPECT_EQ(PolyElement::GetFirstUnskipped(nullptr), nullptr);
  EXPECT_EQ(PolyElement::GetFirstUnskipped(a), a);
  a->mFlags |= kElementSkip;
  b->mFlags |= kElementSkip;
  EXPECT_EQ(PolyElement::GetFirstUnskipped(a), c);
  c->mFlags |= kElementSkip;
  EXPECT_EQ(PolyElement::GetFirstUnskipped(a), a);
  EXPECT_FALSE(a->AnyCoplanarTranslucent());
  c->SetOpacity(0.5f);
  EXPECT_TRUE(a->AnyCoplanarTranslucent());
  c->mFlags |= kElementHidden;  // hidden members do not count
  EXPECT_FALSE(a->AnyCoplanarTranslucent());
  EXPECT_EQ(PolyElement::GetFace3D(a), nullptr);
  Face3D* facelet = reinterpret_cast<Face3D*>(&list);  // any address stands for a facelet
  c->SetOwnFace3D(facelet);
  EXPECT_EQ(PolyElement::GetFace3D(a), facelet);
  EXPECT_EQ(PolyElement::GetFace3D(nullptr), nullptr);
}

TEST(ElementsHidden, VerticesBetweenHiddenFaces) {
  testing::HandBuiltCube cube;
  Vertex* vertex = cube.V(7);
  EXPECT_FALSE(vertex->IsHidden(false));
  for (int k = 0; k < 3; ++k) vertex->mNeighbours[k]->mFlags |= kElementHidden;
  // Without the option only the user's flag counts.
  EXPECT_FALSE(vertex->IsHidden(false));
  GetElementDisplayOptions().hideBetweenHiddenFaces = true;
  EXPECT_TRUE(vertex->IsHidden(false));
  // Shown as a face (in the dual view) it stays visible.
  EXPECT_FALSE(vertex->IsHidden(true));
  // A face shown as a vertex of the dual: hidden only when all its vertices are.
  EXPECT_FALSE(cube.F(1)->IsHidden(true));
  for (int k = 0; k < 4; ++k) cube.F(1)->mNeighbours[k]->mFlags |= kElementHidden;
  EXPECT_TRUE(cube.F(1)->IsHidden(true));
  for (int k = 0; k < 4; ++k) cube.F(1)->mNeighbours[k]->mFlags &= ~kElementHidden;
  vertex->mNeighbours[0]->mFlags &= ~kElementHidden;
  EXPECT_FALSE(vertex->IsHidden(false));
  // An unlinked corner counts as hidden.
  PolyElement* saved = vertex->mNeighbours[0];
  vertex->mNeighbours[0] = nullptr;
  EXPECT_TRUE(vertex->IsHidden(false));
  vertex->mNeighbours[0] = saved;
  cube.BuildEdges();
  Edge& edge = cube.edges[0];
  EXPECT_FALSE(edge.IsHidden(false));
  edge.mFace1->mFlags |= kElementHidden;
  edge.mFace2->mFlags |= kElementHidden;
  EXPECT_TRUE(edge.IsHidden(false));
  GetElementDisplayOptions().hideBetweenHiddenFaces = false;
  EXPECT_FALSE(edge.IsHidden(false));
  edge.mEdgeFlags |= kEdgeHidden;
  EXPECT_TRUE(edge.IsHidden(false));
}

TEST(ElementsSameType, EdgesAndMirrorPairs) {
  Edge a, b, c;
  a.mEdgeType = 3;
  b.mEdgeType = 3;
  c.mEdgeType = 4;
  c.mEdgeFlags = kEdgeMirrorSecond;
  EXPECT_TRUE(a.IsSameTypeAs(&b));
  EXPECT_FALSE(a.IsSameTypeAs(&c));
  GetElementDisplayOptions().maintainReflexibility = true;
  EXPECT_TRUE(a.IsSameTypeAs(&c));
  EXPECT_TRUE(c.IsSameTypeAs(&a));
  GetElementDisplayOptions().maintainReflexibility = false;
  Face face(nullptr, nullptr, 3);
  double p[3] = {1.0, 0.0, 0.0};
  Vertex vertex(nullptr, p, 3);
  EXPECT_FALSE(a.IsSameTypeAs(&face));
  EXPECT_FALSE(face.IsSameTypeAs(&a));
  EXPECT_FALSE(face.IsSameTypeAs(&vertex));  // different roles
  Face other(nullptr, nullptr, 4);
  EXPECT_TRUE(face.IsSameTypeAs(&other));  // both without a type yet
  EXPECT_FALSE(face.IsSameTypeAs(nullptr));
}

TEST(ElementsRoles, VertexAndFaceRolesSwapInTheDual) {
  Face face(nullptr, nullptr, 3);
  double p[3] = {1.0, 0.0, 0.0};
  Vertex vertex(nullptr, p, 3);
  EXPECT_TRUE(vertex.IsVertexIn(false));
  EXPECT_TRUE(face.IsVertexIn(true));
  EXPECT_TRUE(face.IsFaceIn(false));
  EXPECT_TRUE(vertex.IsFaceIn(true));
  EXPECT_FALSE(PolyItem::IsVertexIn(nullptr, false));
  Edge edge;
  EXPECT_FALSE(edge.IsVertexIn(false));
  EXPECT_FALSE(edge.IsFaceIn(false));
  EXPECT_EQ(edge.GetPoly(), nullptr);
  const float green[3] = {0.0f, 1.0f, 0.0f};
  const float original[3] = {1.0f, 1.0f, 0.8f};
  PolyItem::SetColour(nullptr, green);
  EXPECT_EQ(PolyItem::GetColour(nullptr)[1], 1.0f);
  Edge fresh;
  EXPECT_EQ(fresh.mColor[0], 0.0f);  // new edges take the default colour
  PolyItem::SetColour(nullptr, original);
}

TEST(ElementsFinite, SelfOrNextFiniteWraps) {
  VertexList list;
  double p[3] = {1.0, 0.0, 0.0};
  Vertex* a = new Vertex(nullptr, p, 3);
  list.Append(a);
  Vertex* b = new Vertex(nullptr, p, 3);
  list.Append(b);
  EXPECT_EQ(b->GetSelfOrNextFinite(), b);
  b->mFlags |= kElementInf;
  EXPECT_EQ(b->GetSelfOrNextFinite(), a);
  a->mFlags |= kElementInf;
  EXPECT_EQ(b->GetSelfOrNextFinite(), nullptr);
}

TEST(ElementsFrames, WorldToFaceAndBackAreInverse) {
  testing::HandBuiltCube cube;
  Vertex* vertex = cube.V(7);
  for (bool flip : {false, true}) {
    Transform3D toFace, toWorld;
    vertex->GetWorldToFace(toFace, flip);
    vertex->GetFaceToWorld(toWorld, flip);
    const double p[3] = {0.3, -1.2, 2.5};
    double local[3], back[3];
    TransformPoint(toFace, local, p);
    TransformPoint(toWorld, back, local);
    EXPECT_TRUE(NearlyEqual(back, p, 1e-12));
  }
  Transform3D toFace;
  vertex->GetWorldToFace(toFace, false);
  double local[3];
  TransformPoint(toFace, local, vertex->mCentre);
  EXPECT_NEAR(local[0], 0.0, 1e-12);
  EXPECT_NEAR(local[2], 0.0, 1e-12);
  TransformPoint(toFace, local, cube.V(7)->mNeighbours[0]->mDualVert);
  EXPECT_NEAR(local[2], 0.0, 1e-12);  // the dual face's corners lie in its plane
}

}  // namespace
}  // namespace corvia
