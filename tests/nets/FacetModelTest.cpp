// The facet model of a plain polyhedron: counts and running numbers, vertex groups,
// edge links and edge types, loops of facelets with holes, sides that cannot be laid
// flat, drawn polygons and the plain copy.

#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <set>

#include "construction/Prisms.h"
#include "core/DrawnPolygon.h"
#include "core/PolygonRing.h"
#include "model/CreatePoly.h"
#include "model/FaceTypeBlock.h"
#include "nets/Vert3D.h"
#include "stellation/StellationState.h"
#include "symmetry/ExportPrep.h"
#include "symmetry/SimplePoly.h"
#include "symmetry/SymGroup.h"
#include "tests/nets/NetChecks.h"

namespace test_FacetModel {

namespace n = corvia::testing::nets;
using corvia::Edge3D;
using corvia::Face3D;
using corvia::Face3DType;
using corvia::Model3D;
using corvia::Vert3D;

class FacetModelTest : public n::NetsTest {};

}  // namespace test_FacetModel

namespace corvia {

using test_FacetModel::FacetModelTest;
namespace n = testing::nets;

TEST_F(FacetModelTest, CubeCountsLinksAndRunningNumbers) {
  std::unique_ptr<Poly> cube = n::BuildLibraryPoly(n::kCube);
  ASSERT_TRUE(cube);
  Model3D model(cube.get(), false);
  EXPECT_EQ(model.GetNumFaceTypes(), 1);
  EXPECT_EQ(model.GetNumFacelets(), 6);
  EXPECT_EQ(model.GetNumLoops(), 6);
  EXPECT_EQ(model.GetNumEdges(), 12);
  EXPECT_EQ(model.GetNumVerts(), 8);
  EXPECT_FALSE(model.HasHoles());
  EXPECT_FALSE(model.IsDual());
  int marked = 0;
  for (int i = 0; i < 24; ++i) {
    Edge3D* e = model.GetEdge(i);
    ASSERT_NE(e, nullptr) << i;
    EXPECT_EQ(Edge3D::GetNumber(e), i);
    EXPECT_EQ(Edge3D::GetNumberByLoops(e), i);
    // Two facelets meet at each edge: linked both ways, no ring.
    ASSERT_NE(e->mNeigh, nullptr) << i;
    EXPECT_EQ(e->mNeigh->mNeigh, e);
    EXPECT_EQ(e->nextCoinc, nullptr);
    EXPECT_NEAR(e->dihedral, n::kPi / 2.0, 1e-9);
    EXPECT_TRUE(e->IsConvex());
    EXPECT_EQ(e->mNeigh->vert, e->GetNextInLoop()->vert);
    marked += (e->flags & kEdgeDrawnMark) ? 1 : 0;
  }
  EXPECT_EQ(marked, 12);  // one edgelet of each physical edge is drawn
  EXPECT_EQ(model.GetEdge(-1), nullptr);
  EXPECT_EQ(model.GetEdge(24), nullptr);
  EXPECT_EQ(model.GetFacelet(6), nullptr);
  const double radius = std::sqrt(Dot(model.GetVert(0)->mPos, model.GetVert(0)->mPos));
  EXPECT_NEAR(Model3D::CalcMaxRadius(&model), radius, 1e-12);
  EXPECT_NEAR(model.GetMeanEdgeLength(), 2.0 * radius / std::sqrt(3.0), 1e-9);
  EXPECT_EQ(Model3D::CalcMaxRadius(nullptr), 0.0);
  // Every element of the face role knows its facelet, and forgets it with the model.
  for (PolyElement* face = cube->mFaces.mHead; face; face = face->mNext) EXPECT_NE(face->GetOwnFace3D(), nullptr);
  model.Free();
  for (PolyElement* face = cube->mFaces.mHead; face; face = face->mNext) EXPECT_EQ(face->GetOwnFace3D(), nullptr);
}

TEST_F(FacetModelTest, FaceletTypesRunInReverseOrderAndNumberOnAcrossTypes) {
  std::unique_ptr<Poly> poly = n::BuildLibraryPoly(n::kTruncatedOctahedron);
  ASSERT_TRUE(poly);
  Model3D model(poly.get(), false);
  ASSERT_EQ(model.GetNumFaceTypes(), 2);
  Face3DType* first = model.mFaceTypes;
  Face3DType* second = first->mNext;
  // The last face type of the block made the first facelet type.
  EXPECT_EQ(first->mFacelets[0].mSourceFace->mType, poly->mBaseBlock->mLastFaceType);
  EXPECT_EQ(Face3D::GetIndex(&second->mFacelets[0]), first->mNumFacelets);
  EXPECT_EQ(model.GetFacelet(first->mNumFacelets), &second->mFacelets[0]);
  EXPECT_EQ(Face3DType::GetIndex(second), 1);
  EXPECT_EQ(Face3DType::GetIndex(nullptr), -1);
  EXPECT_EQ(first->mNumFacelets + second->mNumFacelets, 14);
}

TEST_F(FacetModelTest, VertexGroupsCountTheirPlacesAndFindTheirHead) {
  // The 35-gonal prism: its 70 vertices are one group.
  Outcome outcome;
  std::unique_ptr<SimplePoly> simple = CreatePrism(35, 1, outcome);
  ASSERT_TRUE(simple);
  Poly prism;
  ASSERT_TRUE(CreatePoly(*simple, &prism, false, false));
  Model3D model(&prism, false);
  ASSERT_EQ(model.GetNumVerts(), 70);
  EXPECT_EQ(model.mNumVertTypes, 1);
  for (int i = 0; i < 70; ++i) {
    const Vert3D* v = model.GetVert(i);
    const uint32_t expected = i <= 62 ? static_cast<uint32_t>(i) : static_cast<uint32_t>(i - 62);
    EXPECT_EQ(v->mFlags & kVertGroupDistance, expected) << i;
    EXPECT_EQ(v->GetGroupHead(), model.GetVert(0)) << i;
    EXPECT_EQ((v->mFlags & kVertGroupFirst) != 0, i == 0) << i;
    if (i > 0) {
      EXPECT_EQ(Vert3D::Compare(model.GetVert(i - 1), v), -1) << i;
    }
  }
  EXPECT_EQ(Vert3D::GetIndexIn(model.GetVert(7), &model), 7);
  EXPECT_EQ(Vert3D::GetIndex(model.GetVert(7)), 7);
  EXPECT_EQ(Vert3D::GetIndex(nullptr), -1);
  EXPECT_TRUE(Vert3D::IsSameGroup(model.GetVert(69), model.GetVert(3)));
  EXPECT_FALSE(Vert3D::IsSameGroup(model.GetVert(69), nullptr));
  // On no axis: as many copies as the group has rotations.
  EXPECT_EQ(model.GetVert(0)->GetNumCopies(&model), 70);
  EXPECT_EQ(model.GetVert(0)->GetNextGroupVertex(&model), nullptr);
}

TEST_F(FacetModelTest, CompareWeighsYOnlyWhenXIsWithinTheTolerance) {
  Vert3D a, b;
  a.mPos[0] = 1.0;
  a.mPos[2] = 5.0;
  b.mPos[0] = 1.0 + 5e-8;
  b.mPos[1] = -1.0;
  EXPECT_EQ(Vert3D::Compare(&a, &b), 1);
  EXPECT_EQ(Vert3D::Compare(&b, &a), -1);
  EXPECT_EQ(Vert3D::Compare(&a, &a), 0);  // a record against itself is no fault
  b.mPos[0] = 1.0 + 2e-7;
  EXPECT_EQ(Vert3D::Compare(&a, &b), -1);
}

TEST_F(FacetModelTest, IcosahedronVerticesLieOnFiveFoldAxesAndItsTrianglesHaveOneEdgeType) {
  std::unique_ptr<Poly> poly = n::BuildLibraryPoly(n::kIcosahedron);
  ASSERT_TRUE(poly);
  Model3D model(poly.get(), false);
  const int fiveFold = poly->mSymGroup->GetAxisTypeIndex(5);
  for (int i = 0; i < model.GetNumVerts(); ++i) {
    EXPECT_EQ(model.GetVert(i)->GetAxisKind(), fiveFold) << i;
    EXPECT_EQ(model.GetVert(i)->GetNumRots(&model), 5) << i;
  }
  Face3DType* type = model.mFaceTypes;
  ASSERT_NE(type, nullptr);
  EXPECT_EQ(type->GetNumRots(), 3);
  Edge3DType edgeType;
  edgeType.Init(type);
  // The three rotations in the first facelet, then those of the next.
  Edge3D* e = edgeType.GetEdge(nullptr);
  for (int k = 0; k < 6; ++k, e = edgeType.GetEdge(e)) {
    ASSERT_NE(e, nullptr);
    EXPECT_EQ(e->face, &type->mFacelets[k / 3]);
    EXPECT_EQ(Edge3D::GetIndex(e), k % 3);
  }
  int visited = 6;
  for (; e; e = edgeType.GetEdge(e)) ++visited;
  EXPECT_EQ(visited, 60);
  EXPECT_FALSE(edgeType.Next());
  // Positioned at any edgelet, the walk names its rotation.
  EXPECT_EQ(edgeType.Init(&type->mFacelets[4].mEdges[2]), 2);
}

TEST_F(FacetModelTest, LoopsOfAFaceletWithAHoleWrapSeparately) {
  // A square with a triangular hole, on no axis.
  PolygonVertex* outer = nullptr;
  for (auto [x, y] : {std::pair{0.0, 0.0}, {4.0, 0.0}, {4.0, 4.0}, {0.0, 4.0}})
    NewPolygonVertex(x, y, nullptr, nullptr, outer);
  PolygonVertex* hole = nullptr;
  for (auto [x, y] : {std::pair{1.0, 1.0}, {1.0, 3.0}, {3.0, 1.0}}) NewPolygonVertex(x, y, nullptr, nullptr, hole);
  PolygonList* list = nullptr;
  PolygonList* tail = nullptr;
  AppendToPolygonList(outer, list, tail);
  AppendToPolygonList(hole, list, tail);
  Face3DType type(1, 1, nullptr, nullptr);
  type.SetLoops(list);
  ASSERT_EQ(type.mNumEdges, 7);
  ASSERT_EQ(type.mNumLoops, 2);
  Transform3D identity = {{1, 0, 0, 0, 1, 0, 0, 0, 1, 0, 0, 0}};
  Face3D& facelet = type.mFacelets[0];
  facelet.Create(nullptr, &type, list, identity, nullptr);
  type.Triangulate(list);
  EXPECT_EQ(type.mNumIndices, 3 * 7);  // 7 corners with one hole: 7 triangles
  EXPECT_EQ(facelet.mEdges[3].GetNextInLoop(), &facelet.mEdges[0]);
  EXPECT_EQ(facelet.mEdges[0].GetPrevInLoop(), &facelet.mEdges[3]);
  EXPECT_EQ(facelet.mEdges[6].GetNextInLoop(), &facelet.mEdges[4]);
  EXPECT_EQ(facelet.mEdges[4].GetPrevInLoop(), &facelet.mEdges[6]);
  EXPECT_EQ(facelet.mEdges[5].GetNextInLoop(), &facelet.mEdges[6]);
  EXPECT_NEAR(facelet.GetArea(), 16.0 - 2.0, 1e-12);
  // The edge types: the four of the outer loop, then the three of the hole.
  Edge3DType edgeType;
  edgeType.Init(&type);
  int types = 1;
  while (edgeType.Next()) ++types;
  EXPECT_EQ(types, 7);
}

TEST_F(FacetModelTest, CollinearCornersGiveTheUpNormal) {
  PolygonVertex* ring = nullptr;
  for (double x : {0.0, 1.0, 2.0}) NewPolygonVertex(x, 0.0, nullptr, nullptr, ring);
  PolygonList* list = nullptr;
  PolygonList* tail = nullptr;
  AppendToPolygonList(ring, list, tail);
  Face3DType type(1, 1, nullptr, nullptr);
  type.SetLoops(list);
  Transform3D identity = {{1, 0, 0, 0, 1, 0, 0, 0, 1, 0, 0, 0}};
  type.mFacelets[0].Create(nullptr, &type, list, identity, nullptr);
  FreePolygonList(list);
  double normal[3];
  type.mFacelets[0].GetNormal(normal);
  EXPECT_EQ(normal[2], 1.0);
  type.mFacelets[0].mFlags |= kFaceletReversed;
  type.mFacelets[0].GetNormal(normal);
  EXPECT_EQ(normal[2], -1.0);
}

TEST_F(FacetModelTest, ASideWithCornersAtInfinityIsRefusedWithAMessage) {
  std::unique_ptr<Poly> poly = n::BuildLibraryPoly(n::kTetrahemihexahedron);
  ASSERT_TRUE(poly);
  // Its squares pass through the centre: the dual's vertices lie at infinity.
  FaceTypeBlock* dual = poly->mDualBlock.get();
  Outcome refusal;
  EXPECT_EQ(dual->GetModel3D(true, &refusal), nullptr);
  EXPECT_EQ(dual->GetExistingModel3D(), nullptr);
  EXPECT_EQ(refusal.kind(), Outcome::Kind::kRefused);
  EXPECT_EQ(refusal.text(), "This operation may not be performed on a model with infinite vertices");
  // Refused once: the block does not build again, nor give the refusal again.
  Outcome again;
  EXPECT_EQ(dual->GetModel3D(true, &again), nullptr);
  EXPECT_FALSE(again.told());
  EXPECT_EQ(testing::Platform().messages.CountTitled("Error"), 0);
  for (PolyElement* v = poly->mVertices.mHead; v; v = v->mNext) EXPECT_EQ(v->GetOwnFace3D(), nullptr);
  // The base side lays out.
  Model3D* base = poly->mBaseBlock->GetModel3D(true, nullptr);
  ASSERT_NE(base, nullptr);
  EXPECT_TRUE(base->HasNets());
  // The facet model gives its refusal back, which the block passes on.
  Outcome why;
  Model3D refused(poly.get(), true, &why);
  EXPECT_EQ(refused.GetNumFaceTypes(), 0);
  EXPECT_EQ(why.text(), "This operation may not be performed on a model with infinite vertices");
  EXPECT_EQ(testing::Platform().messages.CountTitled("Error"), 0);
}

TEST_F(FacetModelTest, TheBlockMakesItsModelAndNetsOnce) {
  std::unique_ptr<Poly> poly = n::BuildLibraryPoly(n::kCube);
  ASSERT_TRUE(poly);
  Model3D* model = poly->mBaseBlock->GetModel3D(false, nullptr);
  ASSERT_NE(model, nullptr);
  EXPECT_FALSE(model->HasNets());
  ASSERT_EQ(poly->mBaseBlock->GetModel3D(true, nullptr), model);
  ASSERT_TRUE(model->HasNets());
  NetType* types = model->mNetTypes;
  EXPECT_EQ(poly->mBaseBlock->GetModel3D(true, nullptr), model);
  EXPECT_EQ(model->mNetTypes, types);
  // The block's scale is the model's radius (the face types' own scales come with the
  // stellation).
  EXPECT_EQ(corvia::UpdateScale(poly->mBaseBlock.get(), nullptr), Model3D::CalcMaxRadius(model));
}

TEST_F(FacetModelTest, DrawnPolygonsBecomeFaceletsOfTheirOwn) {
  std::unique_ptr<Poly> poly = n::BuildLibraryPoly(n::kIcosahedron);
  ASSERT_TRUE(poly);
  Model3D model(poly.get(), false);
  // The five neighbours of one vertex: a pentagon whose normal is a 5-fold axis.
  const Vert3D* apex = model.GetVert(0);
  DrawnPolygon* head = nullptr;
  DrawnPolygon* tail = nullptr;
  auto* polygon = new DrawnPolygon(head, tail);
  std::vector<const Vert3D*> ring;
  for (int i = 1; i < model.GetNumVerts(); ++i) {
    double d[3];
    Subtract(d, model.GetVert(i)->mPos, apex->mPos);
    if (std::sqrt(Dot(d, d)) < model.GetMeanEdgeLength() * 1.01) ring.push_back(model.GetVert(i));
  }
  ASSERT_EQ(ring.size(), 5u);
  // In order round the apex.
  double axis[3], x[3], y[3];
  CopyVector(axis, apex->mPos);
  PerpendicularByAxis(x, axis);
  Cross(y, axis, x);
  std::sort(ring.begin(), ring.end(), [&](const Vert3D* a, const Vert3D* b) {
    return std::atan2(Dot(a->mPos, y), Dot(a->mPos, x)) < std::atan2(Dot(b->mPos, y), Dot(b->mPos, x));
  });
  for (const Vert3D* v : ring) NewPolygonVertex(0.0, 0.0, nullptr, v->mPos, polygon->ring);
  ASSERT_GT(polygon->Triangulate(), 0);
  model.AddDrawnPolygon(polygon);
  ASSERT_EQ(model.CountDrawnTypes(), 1);
  EXPECT_EQ(model.mDrawnTypes->GetNumRots(), 5);
  EXPECT_EQ(model.GetNumFacelets(), 20);  // drawn types count in none of the counts
  for (int i = 0; i < 5; ++i) EXPECT_NE(model.mDrawnTypes->mFacelets[0].mEdges[i].vert, nullptr);
  model.MakeNets();
  const int nets = model.GetNumNets();
  model.RemoveDrawnPolygon(3);  // past the end: nothing happens
  EXPECT_EQ(model.CountDrawnTypes(), 1);
  EXPECT_EQ(model.GetNumNets(), nets);
  model.RemoveDrawnPolygon(0);
  EXPECT_EQ(model.CountDrawnTypes(), 0);
  EXPECT_EQ(model.GetNumNets(), nets - 1);

  // The kept numbers follow the drawn types as they come and go: a drawn type counts
  // in its own list, its facelet and edgelets have no running number, and the model's
  // own facelets and edgelets keep theirs.
  model.AddDrawnPolygon(polygon);
  model.AddDrawnPolygon(polygon);
  Face3DType* second = model.mDrawnTypes->mNext;
  ASSERT_NE(second, nullptr);
  EXPECT_EQ(Face3DType::GetIndex(second), 1);
  model.RemoveDrawnPolygon(0);
  EXPECT_EQ(Face3DType::GetIndex(second), 0);
  EXPECT_EQ(Face3D::GetIndex(&second->mFacelets[0]), -2);
  EXPECT_EQ(Edge3D::GetNumber(&second->mFacelets[0].mEdges[0]), -1);
  for (int i = 0; i < model.GetNumFacelets(); ++i) EXPECT_EQ(Face3D::GetIndex(model.GetFacelet(i)), i);
  for (int i = 0; i < 60; ++i) EXPECT_EQ(Edge3D::GetNumber(model.GetEdge(i)), i);
  DeleteDrawnPolygonChain(head);
}

TEST_F(FacetModelTest, PlainCopiesKeepTheFaceletsOrSplitThemIntoTriangles) {
  std::unique_ptr<Poly> poly = n::BuildLibraryPoly(n::kCube);
  ASSERT_TRUE(poly);
  Model3D model(poly.get(), false);
  EdgeListNode* edges = nullptr;
  std::unique_ptr<SimplePoly> copy(model.CreateSimplePoly(0, &edges));
  ASSERT_TRUE(copy);
  EXPECT_EQ(copy->NumFaces(), 6);
  EXPECT_EQ(copy->NumVerts(), 8);
  EXPECT_EQ(copy->name, "Cube");
  int edgeCount = 0;
  while (edges) {
    EdgeListNode* next = edges->next;
    delete edges;
    edges = next;
    ++edgeCount;
  }
  EXPECT_EQ(edgeCount, 12);
  std::unique_ptr<SimplePoly> triangles(model.CreateSimplePoly(kCopyTriangles, nullptr));
  ASSERT_TRUE(triangles);
  EXPECT_EQ(triangles->NumFaces(), 12);
  EXPECT_EQ(triangles->NumVerts(), 8);
  // The copy goes back into a model of its own.
  Poly again;
  EXPECT_TRUE(CreatePoly(*copy, &again, false, false));
  EXPECT_EQ(again.mFaces.mCount, 6);
}

}  // namespace corvia
