// Every view type frames what it shows: drawn off screen in a wide and in a tall
// pane, the drawing lies whole inside the pane and spans a good part of it, judged
// from the pixels alone. The model, its dual side, its stellations and its nets.

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <string>
#include <vector>

#include "app/PolyView.h"
#include "app/ViewType.h"
#include "model/FaceTypeBlock.h"
#include "model/Poly.h"
#include "render/LightSets.h"
#include "render/PaneFrame.h"
#include "render/Primitives.h"
#include "render/ViewGroup.h"
#include "tests/app/AppTestSupport.h"
#include "tests/app/PaneFraming.h"
#include "tests/render/ModelTestSupport.h"

namespace test_PaneFraming {

using namespace corvia;

class PaneFramingTest : public corvia::testing::IcosahedronDocumentTest {
 protected:
  void SetUp() override {
    IcosahedronDocumentTest::SetUp();
    SetTextEnabled(*GetPaneFrame().GetViewGroup(), false);
    const float* grey = GetDefaultBackgroundColor();
    for (int c = 0; c < 3; ++c) mBackground[c] = static_cast<uint8_t>(std::lround(grey[c] * 255.0f));
  }
  void TearDown() override {
    SetTextEnabled(*GetPaneFrame().GetViewGroup(), true);
    IcosahedronDocumentTest::TearDown();
  }

  // The problems of the panes of these types, each drawn wide and tall.
  std::vector<std::string> Problems(const std::vector<ViewType>& types) {
    std::vector<std::string> problems;
    for (ViewType type : types) {
      for (auto [width, height] : {std::pair{320, 200}, std::pair{180, 300}}) {
        CPolyView* pane = AddPane(type, width, height);
        const GLBitmap image = Draw(pane);
        // "Morph Duals via Snub" has no drawing of its own: its pane stays empty.
        const std::string problem = type == kViewMorphViaSnub
                                        ? (corvia::testing::FindDrawnBox(image, mBackground).Empty() ? "" : "drawn")
                                        : corvia::testing::CheckWholeAndLarge(image, mBackground);
        // Every pane's picture, for a person to look at.
        if (std::getenv("CORVIA_WRITE_SCREENSHOTS")) {
          corvia::testing::SavePng(image, std::string(std::getenv("CORVIA_WRITE_SCREENSHOTS")) + "/" +
                                                   std::to_string(ViewIndexOf(type)) + "-" + std::to_string(width) +
                                                   ".png");
        }
        if (!problem.empty()) {
          problems.push_back(std::string(GetViewTypeName(type)) + " " + std::to_string(width) + "x" +
                             std::to_string(height) + ": " + problem);
        }
      }
    }
    return problems;
  }

  uint8_t mBackground[3] = {128, 128, 128};
};

std::vector<ViewType> AllTypes() { return std::vector<ViewType>(kViewTypes, kViewTypes + kNumViewTypes); }

TEST_F(PaneFramingTest, EveryViewTypeOfTheIcosahedron) {
  ASSERT_NE(corvia::testing::ShowIsohedralFaceting(2), nullptr);
  const std::vector<std::string> problems = Problems(AllTypes());
  EXPECT_TRUE(problems.empty()) << ::testing::PrintToString(problems);
}

TEST_F(PaneFramingTest, TheDualSide) {
  GetCurrentPoly()->mShowDual = 1;
  ASSERT_NE(corvia::testing::ShowIsohedralFaceting(2), nullptr);
  const std::vector<std::string> problems = Problems(AllTypes());
  EXPECT_TRUE(problems.empty()) << ::testing::PrintToString(problems);
}

TEST_F(PaneFramingTest, Stellations) {
  for (int shells : {2, 4, 8}) {
    corvia::testing::StellateCurrentBase(shells);
    const std::vector<std::string> problems =
        Problems({kViewStellationOfBase, kViewCompound, kViewFaceOfStellation, kViewStellationDiagram,
                  kViewCellDiagram, kViewUnfoldedNet, kViewFoldingNet});
    EXPECT_TRUE(problems.empty()) << shells << ": " << ::testing::PrintToString(problems);
  }
}

// The folding net is framed to where its arms reach, not only to twice the model: it
// stays whole whichever way its pane is turned, and the compound draws the base model
// whichever side is shown.
TEST_F(PaneFramingTest, TheFoldingNetTurnedAndTheCompoundOfTheDualSide) {
  std::vector<std::string> problems;
  CPolyView* pane = AddPane(kViewFoldingNet, 180, 300);
  const double axes[][3] = {{0.0, 1.0, 0.0}, {1.0, 0.0, 0.0}, {0.3, 0.5, 0.8}};
  for (int i = 0; i < 3; ++i) {
    for (int turn = 0; turn < 4; ++turn) {
      pane->Camera().RotateCamera(axes[i], 45.0);
      const std::string problem = corvia::testing::CheckWholeAndLarge(Draw(pane), mBackground);
      if (!problem.empty())
        problems.push_back("turned " + std::to_string(i) + "/" + std::to_string(turn) + ": " + problem);
    }
  }
  GetCurrentPoly()->mShowDual = 1;
  // Drawn tall, the base model's corners reach the sides first.
  for (auto [width, height] : {std::pair{394, 625}, std::pair{320, 200}}) {
    const std::string problem =
        corvia::testing::CheckWholeAndLarge(Draw(AddPane(kViewCompound, width, height)), mBackground);
    if (!problem.empty()) problems.push_back("compound of the dual side: " + problem);
  }
  EXPECT_TRUE(problems.empty()) << ::testing::PrintToString(problems);
}

}  // namespace test_PaneFraming
