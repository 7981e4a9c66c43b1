#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <string>

#include "construction/DerivedModels.h"
#include "construction/Library.h"
#include "core/Units.h"
#include "model/Globals.h"
#include "model/LibraryEntry.h"
#include "model/ModelRecord.h"
#include "model/PointPicker.h"
#include "model/Poly.h"
#include "model/PolyTemplate.h"
#include "tests/model/PolyModels.h"
#include "tests/symmetry/SimplePolyTestModels.h"
#include "tests/support/TestSupport.h"

namespace {

using corvia::Poly;
using corvia::PolyElement;

// A document that shows the given model.
class TestDocument : public corvia::DocumentAccess {
 public:
  Poly* current = nullptr;
  Poly* GetCurrentPoly() override { return current; }
};

struct ScopedDocument {
  TestDocument document;
  corvia::DocumentAccess* previous;
  ScopedDocument() : previous(corvia::InstallDocumentAccess(&document)) {}
  ~ScopedDocument() { corvia::InstallDocumentAccess(previous); }
};

double FaceArea(const Poly& poly, int i) { return poly.GetFace(i)->GetArea(); }

TEST(PolyModel, HandBuiltSolidsHaveTheirCountsLookupsAndNeighbours) {
  struct Case {
    void (*build)(Poly&);
    int vertices, faces, edges;
  };
  const Case cases[] = {{corvia::testing::BuildCube, 8, 6, 12},
                        {corvia::testing::BuildTetrahedron, 4, 4, 6},
                        {corvia::testing::BuildSquarePyramid, 5, 5, 8}};
  for (const Case& c : cases) {
    Poly poly;
    c.build(poly);
    EXPECT_EQ(poly.mVertices.mCount, c.vertices);
    EXPECT_EQ(poly.mFaces.mCount, c.faces);
    ASSERT_EQ(poly.mNumEdges, c.edges);
    EXPECT_EQ(poly.GetVertex(-1), nullptr);
    EXPECT_EQ(poly.GetVertex(c.vertices), nullptr);
    EXPECT_EQ(poly.GetFace(-1), nullptr);
    EXPECT_EQ(poly.GetEdge(-1), nullptr);
    EXPECT_EQ(poly.GetEdge(c.edges), nullptr);
    EXPECT_EQ(Poly::GetElementBySerial(&poly, c.faces), poly.GetVertex(0));
    EXPECT_EQ(Poly::GetElementBySerial(&poly, c.faces - 1), poly.GetFace(c.faces - 1));
    EXPECT_EQ(Poly::GetElementBySerial(nullptr, 0), nullptr);
    // The first face and vertex made are the blocks' current elements.
    EXPECT_EQ(poly.GetCurrentFace(), poly.GetFace(0));
    EXPECT_EQ(poly.GetOtherCurrentFace(), poly.GetVertex(0));
    for (int e = 0; e < c.edges; ++e) {
      corvia::Edge* edge = poly.GetEdge(e);
      EXPECT_EQ(poly.FindEdge(edge->mVert2, edge->mVert1, edge->mFace2, edge->mFace1), edge);
      EXPECT_EQ(corvia::Edge::GetIndex(edge, &poly), e);
    }
    // Neighbours across each side share exactly that side's two corners.
    for (int f = 0; f < c.faces; ++f) {
      PolyElement* face = poly.GetFace(f);
      for (int i = 0; i < face->mNumSides; ++i) {
        PolyElement* other = face->GetAdjacent(i);
        ASSERT_NE(other, nullptr);
        EXPECT_TRUE(other->HasCorner(face->GetCorner(i)));
        EXPECT_TRUE(other->HasCorner(face->GetCorner((i + 1) % face->mNumSides)));
      }
    }
  }
}

TEST(PolyModel, FaceAreasNormalsAndCentroids) {
  Poly cube;
  corvia::testing::BuildCube(cube);
  for (int f = 0; f < 6; ++f) {
    EXPECT_NEAR(FaceArea(cube, f), 4.0, 1e-12);
    double normal[3];
    cube.GetFace(f)->GetNormal(normal);
    EXPECT_NEAR(corvia::Dot(normal, normal), 1.0, 1e-12);
    // Outward: along the face's centroid, which lies at distance 1.
    EXPECT_NEAR(corvia::Dot(normal, cube.GetFace(f)->mCentroid), 1.0, 1e-12);
  }
  double centroid[3];
  cube.GetVertexCentroid(centroid);
  EXPECT_NEAR(std::fabs(centroid[0]) + std::fabs(centroid[1]) + std::fabs(centroid[2]), 0.0, 1e-12);
  EXPECT_DOUBLE_EQ(cube.GetWidthAlong(std::array<double, 3>{0, 0, 5}.data(), false), 2.0);
  // The dual's vertices are the face poles (+-1 on the axes).
  EXPECT_DOUBLE_EQ(cube.GetWidthAlong(std::array<double, 3>{1, 0, 0}.data(), true), 2.0);

  Poly tetra;
  corvia::testing::BuildTetrahedron(tetra);
  // Edge length sqrt(8): area sqrt(3)/4 * 8.
  for (int f = 0; f < 4; ++f) EXPECT_NEAR(FaceArea(tetra, f), 2.0 * std::sqrt(3.0), 1e-12);

  Poly pyramid;
  corvia::testing::BuildSquarePyramid(pyramid);
  EXPECT_NEAR(FaceArea(pyramid, 0), 4.0, 1e-12);
  // Side triangles: base 2, slant height sqrt(1.5^2 + 1).
  EXPECT_NEAR(FaceArea(pyramid, 1), std::sqrt(3.25), 1e-12);
  double normal[3];
  pyramid.GetFace(0)->GetNormal(normal);
  EXPECT_NEAR(normal[2], -1.0, 1e-12);
  pyramid.GetVertexCentroid(centroid);
  EXPECT_NEAR(centroid[2], (4 * -0.5 + 1.0) / 5.0, 1e-12);
  // Edge centroid: the base corners count three faces each, the apex four.
  pyramid.GetEdgeCentroid(centroid);
  EXPECT_NEAR(centroid[2], (12 * -0.5 + 4 * 1.0) / 16.0, 1e-12);
}

TEST(PolyModel, CentroidsSkipFlaggedVerticesAndSurviveAnEmptyModel) {
  Poly empty;
  double centroid[3] = {9, 9, 9};
  empty.GetVertexCentroid(centroid);
  EXPECT_EQ(centroid[0], 0.0);
  empty.GetEdgeCentroid(centroid);
  EXPECT_FALSE(std::isnan(centroid[0]));
  EXPECT_EQ(centroid[2], 0.0);

  Poly pyramid;
  corvia::testing::BuildSquarePyramid(pyramid);
  pyramid.GetVertex(4)->mFlags |= corvia::kElementSkip;  // the apex
  pyramid.GetVertexCentroid(centroid);
  // The mean of the four base corners, not their sum over five.
  EXPECT_NEAR(centroid[2], -0.5, 1e-12);
}

TEST(PolyModel, CircumcentreNeedsEveryVertexOnOneSphere) {
  Poly cube;
  corvia::testing::BuildCube(cube);
  double centre[3];
  double radiusSquared = 0.0;
  ASSERT_TRUE(cube.GetCircumcentre(centre, &radiusSquared));
  EXPECT_NEAR(radiusSquared, 3.0, 1e-9);
  EXPECT_NEAR(std::fabs(centre[0]) + std::fabs(centre[1]) + std::fabs(centre[2]), 0.0, 1e-9);

  Poly pyramid;  // a square pyramid always has a circumsphere, centred below the base
  corvia::testing::BuildSquarePyramid(pyramid);
  ASSERT_TRUE(pyramid.GetCircumcentre(centre, &radiusSquared));
  EXPECT_NEAR(centre[2], -0.5 - 5.0 / 12.0 + 0.5, 1e-9);

  Poly torus;  // inner and outer corners lie at different distances
  corvia::testing::BuildFrameTorus(torus);
  EXPECT_FALSE(torus.GetCircumcentre(centre, nullptr));
  Poly triangle;
  corvia::testing::BuildPoly(triangle, {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}}, {{0, 1, 2}}, false);
  EXPECT_FALSE(triangle.GetCircumcentre(centre, nullptr));

  Poly tetra;
  corvia::testing::BuildTetrahedron(tetra);
  EXPECT_TRUE(tetra.GetCircumcentre(centre, &radiusSquared));
  EXPECT_NEAR(radiusSquared, 3.0, 1e-9);
}

TEST(PolyModel, RadiusComesFromTheFacePolesOfTheBaseTypes) {
  Poly pyramid;
  corvia::testing::BuildSquarePyramid(pyramid);
  EXPECT_EQ(pyramid.GetRadius(), 1.0);  // no face types yet
  corvia::testing::OneTypePerSide(pyramid);
  // The base plane z = -0.5 has its pole at distance 2, the largest.
  EXPECT_NEAR(pyramid.GetRadius(), 2.0, 1e-12);
  pyramid.mHasCentralFace = 1;
  EXPECT_NEAR(pyramid.GetRadius(), 2.0 + corvia::GetRadiusMargin(), 1e-12);
  EXPECT_NEAR(pyramid.mRadius, 2.0, 1e-12);
  pyramid.ClearFaceTypes();
  EXPECT_EQ(pyramid.GetFace(0)->mType, nullptr);
  EXPECT_EQ(pyramid.mBaseBlock->CountFaceTypes(), 0);
}

TEST(PolyModel, EulerCharacteristicAndGenus) {
  Poly cube;
  corvia::testing::BuildCube(cube);
  EXPECT_EQ(cube.GetGenus(), 1);  // no parts yet
  EXPECT_EQ(cube.CountCompoundParts(), 0);
  cube.AppendCompoundPart(corvia::testing::PartOf(cube));
  EXPECT_EQ(corvia::EulerCharacteristic(cube.GetCompoundPart(0)), 2);
  EXPECT_EQ(corvia::Genus(cube.GetCompoundPart(0)), 0);
  EXPECT_EQ(cube.GetGenus(), 0);
  EXPECT_FALSE(cube.IsCompound());
  EXPECT_EQ(cube.GetCompoundPart(-1), nullptr);
  EXPECT_EQ(cube.GetCompoundPart(1), nullptr);
  // A compound of two cubes.
  cube.AppendCompoundPart(corvia::testing::PartOf(cube));
  EXPECT_TRUE(cube.IsCompound());
  EXPECT_EQ(cube.GetGenus(), -1);
  EXPECT_EQ(cube.GetCompoundPart(1), cube.mLastCompoundPart);

  Poly torus;
  corvia::testing::BuildFrameTorus(torus);
  EXPECT_EQ(torus.mVertices.mCount, 16);
  EXPECT_EQ(torus.mFaces.mCount, 16);
  EXPECT_EQ(torus.mNumEdges, 32);
  for (int e = 0; e < 32; ++e) EXPECT_NE(torus.GetEdge(e)->mFace2, nullptr);  // closed surface
  torus.AppendCompoundPart(corvia::testing::PartOf(torus));
  EXPECT_EQ(corvia::EulerCharacteristic(torus.GetCompoundPart(0)), 0);
  EXPECT_EQ(torus.GetGenus(), 1);

  corvia::CompoundPart crossCap;  // one-sided, characteristic 1: not halved
  crossCap.mNumFaces = 10;
  crossCap.mNumEdges = 15;
  crossCap.mNumVertices = 6;
  crossCap.mFlags = corvia::kCompoundPartOneSided;
  EXPECT_EQ(corvia::Genus(&crossCap), 1);
}

TEST(PolyModel, SelectingAVertexAsAFaceShowsTheDual) {
  using corvia::SelectionChange;
  auto& views = corvia::testing::Platform().views;
  Poly cube;
  corvia::testing::BuildCube(cube);
  // What each step asks of the program: the mark (kind, number, side), the Sphere and
  // Cylinder Options, the pivot and the cross-section panes of the sides left.
  auto expectChange = [&cube](bool mark, int kind, int number, bool dual, bool options, bool pivot, unsigned sides) {
    const SelectionChange change = cube.TakeSelectionChange();
    EXPECT_EQ(change.mark, mark);
    if (mark) {
      EXPECT_EQ(change.markKind, kind);
      EXPECT_EQ(change.markNumber, number);
      EXPECT_EQ(change.markDual, dual);
    }
    EXPECT_EQ(change.sphereCylinderOptions, options);
    EXPECT_EQ(change.pivot, pivot);
    EXPECT_EQ(change.crossSectionSides, sides);
    EXPECT_TRUE(cube.TakeSelectionChange().Empty());
  };
  PolyElement* vertex = cube.GetVertex(2);
  cube.SelectFace(vertex, false);
  expectChange(true, corvia::kInfoMarkFace, 0, true, false, true, 1u);
  EXPECT_EQ(cube.mShowDual, 1);
  EXPECT_EQ(cube.mSelectedElement, vertex);
  EXPECT_EQ(cube.mSelectedItem, vertex);
  EXPECT_EQ(cube.GetCurrentFace(), vertex);
  EXPECT_EQ(views.mStatus, "Selected dual face 3 (type 0)");
  EXPECT_STREQ(cube.GetSelectionKindName(), "face");
  EXPECT_FALSE(cube.IsSelectionVertex());

  PolyElement* face = cube.GetFace(1);
  cube.SelectFace(face, true);  // a face shown as a vertex: the dual again
  expectChange(true, corvia::kInfoMarkVertex, 0, true, true, true, 0u);
  EXPECT_EQ(cube.mShowDual, 1);
  EXPECT_TRUE(cube.IsSelectionVertex());
  EXPECT_EQ(views.mStatus, "Selected dual vertex 2 (type 0)");

  cube.SelectFace(face, false);  // the same element again as a face: nothing happens
  expectChange(false, 0, 0, false, false, false, 0u);
  EXPECT_EQ(cube.mShowDual, 1);
  cube.SelectFace(cube.GetFace(4), false);  // another face as a face: the base
  expectChange(true, corvia::kInfoMarkFace, 0, false, false, true, 2u);
  EXPECT_EQ(cube.mShowDual, 0);
  EXPECT_EQ(views.mStatus, "Selected base face 5 (type 0)");

  cube.SelectEdge(cube.GetEdge(0), false);
  expectChange(true, corvia::kInfoMarkEdge, 0, false, false, true, 0u);
  EXPECT_TRUE(cube.IsEdgeSelected());
  EXPECT_EQ(cube.mSelectedElement, nullptr);
  EXPECT_EQ(cube.GetSelectedEdge(), cube.GetEdge(0));
  const double scale = corvia::GetUnitSettings().mLengthScale;
  char expected[128];
  std::snprintf(expected, sizeof expected, "Selected base edge 1 (type 0), length %g", 2.0 * scale);
  EXPECT_EQ(views.mStatus, expected);
  EXPECT_STREQ(cube.GetSelectionKindName(), "edge");

  cube.ClearSelection();  // the edge's mark stays
  expectChange(false, 0, 0, false, false, false, 0u);
  EXPECT_EQ(cube.mSelectedItem, nullptr);
  EXPECT_FALSE(cube.IsEdgeSelected());
  cube.SelectFace(cube.GetFace(0), false);
  (void)cube.TakeSelectionChange();
  cube.SelectFace(nullptr, true);
  expectChange(true, corvia::kInfoMarkFace, -1, false, false, false, 0u);
  EXPECT_EQ(cube.mSelectedElement, nullptr);
  EXPECT_EQ(views.mStatus, "");
}

TEST(PolyModel, SelectingAnotherModelsElementIsRefusedWithoutDangling) {
  corvia::testing::ExpectInternalErrors(1);
  Poly cube;
  corvia::testing::BuildCube(cube);
  {
    Poly other;
    corvia::testing::BuildTetrahedron(other);
    cube.SelectFace(other.GetFace(0), false);
    EXPECT_EQ(corvia::testing::Platform().messages.CountTitled("Internal Error"), 1);
    EXPECT_EQ(cube.mSelectedElement, nullptr);
  }
  EXPECT_EQ(cube.GetSelectedOrCurrentFace(), cube.GetFace(0));
}

TEST(PolyModel, DestroyedElementsLeaveNoSelectionBehind) {
  Poly cube;
  corvia::testing::BuildCube(cube);
  cube.SelectFace(cube.GetFace(3), false);
  cube.mFaces.Remove(cube.GetFace(3));
  EXPECT_EQ(cube.mSelectedElement, nullptr);
  EXPECT_EQ(cube.mSelectedItem, nullptr);
  EXPECT_EQ(cube.GetCurrentFace(), nullptr);
  cube.Clear(false);
  EXPECT_EQ(cube.mFaces.mCount, 0);
  EXPECT_EQ(cube.mNumEdges, 0);
  EXPECT_NE(cube.mCurrentDrawnPolygon, nullptr);
}

TEST(PolyModel, NamesAndShownPart) {
  Poly poly;
  poly.SetName("cube");
  poly.SetDualName("octahedron");
  poly.SetWebLink("   ");
  EXPECT_EQ(poly.mWebLink, nullptr);
  EXPECT_STREQ(poly.GetPartName(false), "cube");
  EXPECT_STREQ(poly.GetPartName(true), "octahedron");
  poly.mShowDual = 1;
  EXPECT_STREQ(poly.GetPartName(false), "octahedron");
  EXPECT_NE(corvia::testing::Platform().views.mInfoBits & corvia::kInfoReasonNames, 0u);
  poly.SetLibraryEntry(nullptr);
  EXPECT_EQ(poly.mName, nullptr);
}

TEST(PolyModel, MemoryDescriptions) {
  char text[corvia::kMemoryDescriptionSize];
  corvia::GetMemoryDescription(1, nullptr, text, sizeof text);
  EXPECT_STREQ(text, "Memory 2 (Empty)");
  // A temporary face is no face of the model held.
  std::unique_ptr<corvia::SimplePoly> memory = corvia::testmodels::MakeCubes({{0, 0, 0}}, 1);
  memory->FaceAt(0).flags |= corvia::kSimpleTemp;
  corvia::GetMemoryDescription(0, memory.get(), text, sizeof text);
  EXPECT_STREQ(text, "Memory 1 (5 faces, 8 verts)");
  memory->name = "Cube";
  corvia::GetMemoryDescription(0, memory.get(), text, sizeof text);
  EXPECT_STREQ(text, "Memory 1 (Cube)");
  memory->name = std::string(300, 'x');
  corvia::GetMemoryDescription(0, memory.get(), text, sizeof text);
  EXPECT_EQ(std::string(text), "Memory 1 (" + std::string(193, 'x') + "...)");
  // A long name of two-byte letters is cut between letters, never inside one.
  std::string letters;
  for (int i = 0; i < 97; ++i) letters += "\xC3\xA9";
  memory->name = letters;
  corvia::GetMemoryDescription(0, memory.get(), text, sizeof text);
  EXPECT_EQ(std::string(text), "Memory 1 (" + letters.substr(0, 192) + "...)");
}

TEST(PolyModel, OnlyTheShownModelResetsTheMeasurementPoints) {
  corvia::PointPicker& picker = corvia::GetPointPicker(0);
  const double p[3] = {1, 2, 3};
  picker.StorePoint(p, 3, 0);
  { Poly temporary; }  // a model record or a temporary model
  EXPECT_EQ(picker.mCount, 1);
  ScopedDocument scoped;
  Poly shown;
  scoped.document.current = &shown;
  shown.Clear(false);
  EXPECT_EQ(picker.mCount, 0);
  EXPECT_FALSE(picker.AllDefined());
}

TEST(PolyModel, ModelRecordsLeaveTheirListWhenDeleted) {
  corvia::ListNode* head = nullptr;
  corvia::ListNode* tail = nullptr;
  auto* first = new corvia::ModelRecord(head, tail);
  auto* second = new corvia::ModelRecord(head, tail);
  EXPECT_EQ(head, first);
  EXPECT_EQ(tail, second);
  EXPECT_EQ(first->mViews[5].mFirst, -1);
  EXPECT_EQ(first->mViews[5].mLast, 1.0);
  EXPECT_EQ(first->mMatrix[15], 1.0);
  corvia::testing::BuildCube(first->mPoly);
  delete first;
  EXPECT_EQ(head, second);
  EXPECT_EQ(second->mPrev, nullptr);
  delete second;
  EXPECT_EQ(head, nullptr);
  EXPECT_EQ(tail, nullptr);

  corvia::RecordArray<double> array;
  array.Allocate(4);
  EXPECT_EQ(array.mCount, 4);
  array.Clear();
  EXPECT_EQ(array.mCount, 0);
  EXPECT_EQ(array.mRecords, nullptr);
}

TEST(PolyModel, HandBuiltModelHasNoSubgroupsAndMovesAsOneStep) {
  Poly cube;
  corvia::testing::BuildCube(cube);
  const size_t undoSteps = corvia::testing::Platform().undo.mCalls.size();
  // Without a symmetry group there is no subgroup to apply: false, and no message.
  EXPECT_FALSE(cube.ApplySubSymmetry(0, -1));
  EXPECT_EQ(corvia::testing::Platform().messages.CountTitled("Internal Error"), 0);
  // Moving it makes the model again (set up in full) as one undo step.
  double before[3];
  cube.GetVertexCentroid(before);
  const double by[3] = {1, 0, 0};
  corvia::TranslateBy(&cube, by);
  EXPECT_EQ(corvia::testing::Platform().messages.CountTitled("Internal Error"), 0);
  EXPECT_EQ(corvia::testing::Platform().undo.mCalls.size(), undoSteps + 1);
  EXPECT_EQ(cube.mVertices.mCount, 8);
  double centre[3];
  cube.GetVertexCentroid(centre);
  for (int k = 0; k < 3; ++k) EXPECT_NEAR(centre[k], before[k] + by[k], 1e-12);
}

}  // namespace

namespace test_PolyName {

// The library record of the given configuration text, or null.
corvia::LibraryEntry* FindEntry(const char* config) {
  for (int i = 0; i < corvia::kNumLibraryEntries; ++i)
    if (std::strcmp(corvia::gLibraryTable[i].mConfig, config) == 0) return &corvia::gLibraryTable[i];
  return nullptr;
}

}  // namespace test_PolyName

namespace {

TEST(PolyModel, NameIsTheTemplatesOrTheLibraryEntrysConfiguration) {
  Poly poly;
  char buffer[64] = "stale";
  poly.GetName(buffer, sizeof buffer);
  EXPECT_STREQ(buffer, "");

  corvia::LibraryEntry* cuboctahedron = test_PolyName::FindEntry("4.3.4.3");
  ASSERT_NE(cuboctahedron, nullptr);
  poly.mLibraryEntry = cuboctahedron;
  poly.GetName(buffer, sizeof buffer);
  EXPECT_STREQ(buffer, "4.3.4.3");

  // The template wins over the entry, and gives its own arrangement.
  corvia::PolyTemplate star;
  ASSERT_TRUE(star.Parse("3.5/2.3.5/2", nullptr));
  poly.mTemplate = &star;
  poly.GetName(buffer, sizeof buffer);
  EXPECT_STREQ(buffer, corvia::PolyTemplate::FormatVertexConfiguration(&star).c_str());
  EXPECT_NE(std::strchr(buffer, '/'), nullptr);

  // A short buffer is cut and still terminated.
  char small[4];
  poly.GetName(small, sizeof small);
  EXPECT_EQ(std::strlen(small), 3u);
  poly.mTemplate = nullptr;
  poly.mLibraryEntry = nullptr;
  EXPECT_EQ(corvia::testing::Platform().messages.CountTitled("Internal Error"), 0);
}

TEST(PolyModel, WebLinkNeedsTheSiteBaseUnlessThePageIsAnAddress) {
  corvia::LibraryEntry& tetrahedron = corvia::gLibraryTable[0];
  ASSERT_STREQ(tetrahedron.mWebPage, "Tetrahedron.php");
  std::string& base = corvia::LibraryWebSiteBase();
  const std::string savedBase = base;
  Poly poly;
  // No base address by default: a bare page name makes no link.
  base.clear();
  poly.SetLibraryEntry(&tetrahedron);
  EXPECT_STREQ(poly.mName, "Tetrahedron");
  EXPECT_EQ(poly.mWebLink, nullptr);

  base = "https://pages.example.test/solids";
  poly.SetLibraryEntry(&tetrahedron);
  EXPECT_STREQ(poly.mWebLink, "https://pages.example.test/solids/Tetrahedron.php");

  // A page name that is already an address stands, with or without a base.
  const char* savedPage = tetrahedron.mWebPage;
  tetrahedron.mWebPage = "http://elsewhere.example.test/t.html";
  base.clear();
  poly.SetLibraryEntry(&tetrahedron);
  EXPECT_STREQ(poly.mWebLink, "http://elsewhere.example.test/t.html");
  tetrahedron.mWebPage = savedPage;
  base = savedBase;
  poly.SetLibraryEntry(nullptr);
}

}  // namespace
