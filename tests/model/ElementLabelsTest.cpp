// The texts of element and edge labels, whether an element shows one, and the cells
// of the face diagrams that every face is drawn through.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <string>

#include "model/ColorSchemes.h"
#include "model/Edge.h"
#include "model/ElementFlags.h"
#include "model/ElementLabels.h"
#include "model/FaceDiagramCells.h"
#include "model/FaceType.h"
#include "model/FaceTypeBlock.h"
#include "model/Poly.h"
#include "model/PolyTemplate.h"

namespace test_ElementLabels {

using namespace corvia;

struct Model {
  PolyTemplate polyTemplate;
  Poly poly;
  bool built;
  explicit Model(const char* configuration)
      : built(polyTemplate.Parse(configuration, nullptr) && poly.Build(&polyTemplate, 0)) {}
};

class ElementLabels : public ::testing::Test {
 protected:
  void TearDown() override {
    DiagnosticNumbers = 0;
    ShowLabels = true;
  }
};

TEST_F(ElementLabels, EdgeTextsCarryTypeNumberThenNumberThenLabel) {
  Model cube("4.4.4");
  ASSERT_TRUE(cube.built);
  Edge* edge = &cube.poly.mEdgeArray[4];
  LabelText none;
  BuildEdgeLabel(edge, &cube.poly, none);
  EXPECT_TRUE(none.Empty());

  DiagnosticNumbers = kShowEdgeNumbers | kShowEdgeTypeNumbers;
  LabelText numbers;
  BuildEdgeLabel(edge, &cube.poly, numbers);
  // The edge type counts from 1, as the status bar and the information tree count it.
  EXPECT_EQ(EdgeType::GetNumber(cube.poly.GetEdgeType(edge->mEdgeType), &cube.poly), edge->mEdgeType + 1);
  EXPECT_STREQ(numbers.Get(), ("1-" + std::to_string(Edge::GetNumber(edge, &cube.poly))).c_str());

  edge->SetLabel("ridge");
  LabelText labelled;
  BuildEdgeLabel(edge, &cube.poly, labelled);
  EXPECT_STREQ(labelled.Get(), "1-5:<in>ridge</in>");
  DiagnosticNumbers = 0;
  LabelText alone;
  BuildEdgeLabel(edge, &cube.poly, alone);
  EXPECT_STREQ(alone.Get(), "ridge");

  // The selected edge is wrapped in the highlight.
  cube.poly.mSelectedItem = edge;
  LabelText selected;
  BuildEdgeLabel(edge, &cube.poly, selected);
  EXPECT_STREQ(selected.Get(), "<color=#ffffff>ridge</font>");
}

// An edge type's index is its place in its own model's array; its number counts from 1.
TEST_F(ElementLabels, EdgeTypesKnowTheirPlaceInTheirOwnModel) {
  Model cuboctahedron("3.4.3.4");
  Model cube("4.4.4");
  ASSERT_TRUE(cuboctahedron.built && cube.built);
  const Poly& poly = cuboctahedron.poly;
  ASSERT_GT(poly.mNumEdgeTypes, 0);
  for (int i = 0; i < poly.mNumEdgeTypes; ++i) {
    EXPECT_EQ(EdgeType::GetIndex(poly.GetEdgeType(i), &poly), i);
    EXPECT_EQ(EdgeType::GetNumber(poly.GetEdgeType(i), &poly), i + 1);
  }
  EXPECT_EQ(poly.GetEdgeType(-1), nullptr);
  EXPECT_EQ(poly.GetEdgeType(poly.mNumEdgeTypes), nullptr);
  EXPECT_EQ(EdgeType::GetIndex(nullptr, &poly), -1);
  EXPECT_EQ(EdgeType::GetNumber(nullptr, &poly), 0);
  EXPECT_EQ(EdgeType::GetIndex(poly.GetEdgeType(0), nullptr), -1);
  // A type of another model has no place in this one.
  EXPECT_EQ(EdgeType::GetIndex(cube.poly.GetEdgeType(0), &poly), -1);
}

TEST_F(ElementLabels, LongTextsEndInAnEllipsisOnAWholeCharacterOutsideAnyTag) {
  Model cube("4.4.4");
  ASSERT_TRUE(cube.built);
  Edge* edge = &cube.poly.mEdgeArray[0];
  cube.poly.mSelectedItem = edge;
  // 1,000 two-byte characters: the cut falls inside the text.
  std::string label;
  for (int i = 0; i < 1000; ++i) label += "\xC3\xA9";
  edge->SetLabel(label.c_str());
  LabelText text;
  BuildEdgeLabel(edge, &cube.poly, text);
  const std::string result = text.Get();
  EXPECT_LT(result.size(), kLabelTextSize);
  ASSERT_GE(result.size(), 3u);
  EXPECT_EQ(result.substr(result.size() - 3), "...");
  EXPECT_EQ(result.find("</font>"), std::string::npos);
  // No character cut in two: the byte before "..." ends a two-byte character.
  const std::string body = result.substr(std::strlen("<color=#ffffff>"), result.size() - 3 - 15);
  EXPECT_EQ(body.size() % 2, 0u);

  // A tag cut short is dropped whole.
  LabelText tagged;
  tagged.Append(std::string(1015, 'x').c_str());
  tagged.Append("<color=#ffffff>");
  tagged.CutWith(tagged.Length(), "...");
  EXPECT_EQ(std::string(tagged.Get()), std::string(1015, 'x') + "...");
}

TEST_F(ElementLabels, ConcentricCoplanarMembersShareOneText) {
  Model cube("4.4.4");
  ASSERT_TRUE(cube.built);
  PolyElement* a = cube.poly.mFaces.mHead;
  PolyElement* b = a->mNext;
  // b stands in a's plane about the same centre.
  a->mCoplanarNext = b;
  b->mCoplanarNext = a;
  CopyVector(b->mCentroid, a->mCentroid);
  a->mFlags |= kElementIsCopConcentric;
  b->mFlags |= kElementSkipCopConcentric;
  a->SetLabel("one");
  b->SetLabel("two");
  LabelText text;
  BuildElementLabel(a, false, text);
  EXPECT_STREQ(text.Get(), "one,\ntwo");
  DiagnosticNumbers = kShowFaceNumbers;
  LabelText numbered;
  BuildElementLabel(a, false, numbered);
  EXPECT_EQ(std::string(numbered.Get()),
            std::to_string(a->GetNumber()) + ":<in>one</in>,\n" + std::to_string(b->GetNumber()) + ":<in>two</in>");
  EXPECT_TRUE(a->IsTextShown());
  EXPECT_FALSE(b->IsTextShown());
  a->mCoplanarNext = b->mCoplanarNext = nullptr;
}

TEST_F(ElementLabels, WithNoNumbersAndLabelsHiddenNothingShowsText) {
  Model cube("4.4.4");
  ASSERT_TRUE(cube.built);
  PolyElement* face = cube.poly.mFaces.mHead;
  face->SetLabel("top");
  EXPECT_TRUE(face->IsTextShown());
  ShowLabels = false;
  EXPECT_FALSE(face->IsTextShown());
  DiagnosticNumbers = kShowFaceNumbers;
  EXPECT_TRUE(face->IsTextShown());
  face->mFlags |= kElementHidden;
  EXPECT_FALSE(face->IsTextShown());
}

TEST_F(ElementLabels, AnEdgesLabelFrameLiesAcrossItAndFacesOut) {
  Model cube("4.4.4");
  ASSERT_TRUE(cube.built);
  for (int i = 0; i < cube.poly.mNumEdges; ++i) {
    const Edge& edge = cube.poly.mEdgeArray[i];
    double right[3], along[3], outward[3], facing[3];
    edge.GetLabelFrame(right, false);
    edge.GetVector(along, false);
    edge.GetOutwardNormal(outward, false);
    EXPECT_NEAR(VectorLength(right), 1.0, 1e-12);
    EXPECT_NEAR(Dot(right, along), 0.0, 1e-12);
    // right x up (along the edge) faces out of the model.
    Cross(facing, right, along);
    EXPECT_GT(Dot(facing, outward), 0.0);
  }
}

// An edge of an open surface has one side (either of the two): its frame faces out as
// that side does; with neither it still gives a direction.
TEST_F(ElementLabels, AnEdgeWithOneSideFacesOutAsThatSide) {
  Model cube("4.4.4");
  ASSERT_TRUE(cube.built);
  Edge& edge = cube.poly.mEdgeArray[0];
  Face* const sides[2] = {edge.mFace1, edge.mFace2};
  for (int missing = 0; missing < 3; ++missing) {
    edge.mFace1 = missing == 0 || missing == 2 ? nullptr : sides[0];
    edge.mFace2 = missing == 1 || missing == 2 ? nullptr : sides[1];
    double right[3], along[3], facing[3];
    edge.GetLabelFrame(right, false);
    edge.GetVector(along, false);
    EXPECT_NEAR(VectorLength(right), 1.0, 1e-12);
    if (missing == 2) continue;
    const Face* side = missing == 0 ? sides[1] : sides[0];
    Cross(facing, right, along);
    NormaliseVector(facing, facing);
    for (int k = 0; k < 3; ++k) EXPECT_NEAR(facing[k], side->mZAxis[k], 1e-12) << missing;
  }
  edge.mFace1 = sides[0];
  edge.mFace2 = sides[1];
}

// ---- Cells of the face diagrams ----------------------------------------------------------

// Every face of a type has its own cells whose sources are its own ring, in its colour.
void ExpectEveryFaceHasItsCells(Poly& poly) {
  poly.UpdateCellColours(false);
  for (ElementList* list : {static_cast<ElementList*>(&poly.mFaces), static_cast<ElementList*>(&poly.mVertices)}) {
    for (PolyElement* e = list->mHead; e; e = e->mNext) {
      const CellColorArray* cells = e->GetCellColours(0);
      ASSERT_NE(cells, nullptr) << e->GetIndex();
      ASSERT_GT(cells->mNumCells, 0);
      ASSERT_EQ(cells->mNumCells, e->mType->mResults[0].mNumCells);
      for (int c = 0; c < cells->mNumCells; ++c) {
        for (int k = 0; k < cells->mCells[c].numPairs; ++k)
          EXPECT_EQ(reinterpret_cast<PolyElement*>(cells->mCells[c].pairs[k].source), e);
        for (int k = 0; k < 3; ++k) EXPECT_FLOAT_EQ(cells->mCells[c].colour[k], e->mColor[k]);
      }
    }
  }
}

TEST(FaceCells, TheDiagramsOfBothBlocksOutliveEachOther) {
  Model cube("4.4.4");
  ASSERT_TRUE(cube.built);
  // The squares of the base and the triangles of the dual, each with its own points.
  const FaceType* square = cube.poly.mBaseBlock->mFirstFaceType;
  const FaceType* triangle = cube.poly.mDualBlock->mFirstFaceType;
  ASSERT_TRUE(square && triangle);
  EXPECT_EQ(square->mResults[0].mNumPoints, 4);
  EXPECT_EQ(square->mResults[0].mTriangles[0].numIndices, 6);
  EXPECT_EQ(triangle->mResults[0].mNumPoints, 3);
  EXPECT_EQ(triangle->mResults[0].mTriangles[0].numIndices, 3);
  EXPECT_NEAR(GetCellArea(&square->mResults[0], 0), std::fabs(cube.poly.mFaces.mHead->GetArea()), 1e-9);
  ExpectEveryFaceHasItsCells(cube.poly);

  // A second model keeps its own.
  Model icosahedron("3.3.3.3.3");
  ASSERT_TRUE(icosahedron.built);
  EXPECT_EQ(square->mResults[0].mNumPoints, 4);
  EXPECT_EQ(square->mResults[0].mTriangles[0].numIndices, 6);
}

TEST(FaceCells, APentagramsCentreIsOneCellCoveredTwice) {
  Model star("5/2.5/2.5/2.5/2.5/2");
  ASSERT_TRUE(star.built);
  ExpectEveryFaceHasItsCells(star.poly);
  const CellColorArray* cells = star.poly.mFaces.mHead->GetCellColours(0);
  ASSERT_EQ(cells->mNumCells, 2);
  int windings[2] = {cells->mCells[0].pairs[0].winding, cells->mCells[1].pairs[0].winding};
  std::sort(windings, windings + 2);
  EXPECT_EQ(windings[0], 1);
  EXPECT_EQ(windings[1], 2);
}

TEST(FaceCells, OnlyTheSelectedFacesCellsAreSelected) {
  Model cube("4.4.4");
  ASSERT_TRUE(cube.built);
  PolyElement* first = cube.poly.mFaces.mHead;
  PolyElement* second = first->mNext;
  // The model's current face is not a selection.
  EXPECT_FALSE(IsCellSelected(&first->GetCellColours(0)->mCells[0], kDiagramSourceFaces, nullptr));
  cube.poly.mSelectedElement = second;
  EXPECT_FALSE(IsCellSelected(&first->GetCellColours(0)->mCells[0], kDiagramSourceFaces, nullptr));
  EXPECT_TRUE(IsCellSelected(&second->GetCellColours(0)->mCells[0], kDiagramSourceFaces, nullptr));
  cube.poly.mSelectedElement = nullptr;
}

}  // namespace test_ElementLabels
