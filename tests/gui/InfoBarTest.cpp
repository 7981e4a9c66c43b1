// The information bar in the main window: built from idle time only while it is
// shown, keeping the branches the user opened and the item at the top across a
// rebuild, a per-type list filled when its branch opens, the tree's selection passed
// to the model and back, and the expansion flags kept in the settings.

#include <gtest/gtest.h>
#include <wx/aui/framemanager.h>

#include <memory>
#include <string>

#include "core/Registry.h"
#include "model/Globals.h"
#include "platform/SettingsStore.h"
#include "tests/gui/FrameTestSupport.h"
#include "tests/gui/GuiTestSupport.h"
#include "tests/stellation/StellationModels.h"
#include "tests/support/TestSupport.h"
#include "ui/CommandIds.h"
#include "ui/InfoBar.h"
#include "ui/MainFrame.h"

namespace {

using namespace corvia;
using corvia::testing::YieldUntil;
using corvia::testing::YieldUntilHandled;

class InfoBarWindow : public corvia::testing::FrameTest {
 protected:
  void SetUp() override {
    ResetInfoExpansion();
    OpenFrame("info-bar", &mDocument, nullptr, 1100, 800);
  }
  void TearDown() override {
    FrameTest::TearDown();
    ResetInfoExpansion();
  }
  void SetModel(const char* config) {
    ASSERT_TRUE(mDocument.SetConfiguration(config));
    InvalidateInfo(kInfoUpdateModel);
  }
  InfoTree* Tree() { return mFrame->GetInfoBar()->GetTree(); }
  std::string TextOf(int key) {
    const wxTreeItemId item = FindItemInTree(Tree(), key, true);
    return item.IsOk() ? Tree()->GetItemText(item).utf8_string() : "<none>";
  }
  void Rebuilt() {
    YieldUntil([] { return GetInfoUpdateFlags() == 0; });
    YieldUntilHandled();
  }

  corvia::testing::ModelDocument mDocument;
};

TEST_F(InfoBarWindow, KeepsExpandedItemsAndTheTopItemAcrossARebuild) {
  SetModel("4.4.4");
  Rebuilt();
  ASSERT_TRUE(IsInfoBarVisible());
  EXPECT_EQ(TextOf(kInfoNumBaseFaces), "6 faces of 1 type");
  EXPECT_TRUE(Tree()->IsExpanded(FindItemInTree(Tree(), kInfoBase, true)));
  // The face list waits behind its placeholder until its line is opened.
  const wxTreeItemId faces = FindItemInTree(Tree(), kInfoNumBaseFaces, true);
  EXPECT_TRUE(HasPlaceholderChild(Tree(), faces, false));
  Tree()->Expand(faces);
  Rebuilt();
  EXPECT_TRUE(IsInfoExpanded(kInfoNumBaseFaces));
  EXPECT_EQ(TextOf(kInfoBaseFaces).rfind("1: 6 x 4-gon, area ", 0), 0u) << TextOf(kInfoBaseFaces);

  // The user opens the type line and scrolls the link out of sight.
  Tree()->Expand(FindItemInTree(Tree(), kInfoType, true));
  Tree()->Collapse(FindItemInTree(Tree(), kInfoDual, true));
  SetInfoFirstVisibleKey(kInfoType);
  ASSERT_EQ(GetInfoFirstVisibleKey(), kInfoType);
  // Another model: the same branches open, the same item on top.
  SetModel("3.3.3.3.4");
  Rebuilt();
  EXPECT_EQ(TextOf(kInfoNumBaseVerts), "24 vertices of 1 type");
  EXPECT_TRUE(Tree()->IsExpanded(FindItemInTree(Tree(), kInfoType, true)));
  EXPECT_TRUE(Tree()->IsExpanded(FindItemInTree(Tree(), kInfoNumBaseFaces, true)));
  EXPECT_FALSE(Tree()->IsExpanded(FindItemInTree(Tree(), kInfoDual, true)));
  EXPECT_EQ(GetInfoFirstVisibleKey(), kInfoType);

  // The flags go into the settings and come back.
  SaveInfoExpansion();
  ResetInfoExpansion();
  EXPECT_FALSE(IsInfoExpanded(kInfoType));
  LoadInfoExpansion();
  EXPECT_TRUE(IsInfoExpanded(kInfoType));
  EXPECT_FALSE(IsInfoExpanded(kInfoDual));
}

TEST_F(InfoBarWindow, RebuildsOnlyWhileShown) {
  SetModel("4.4.4");
  Rebuilt();
  mFrame->ToggleBar(mFrame->GetInfoBar());
  YieldUntil([] { return !IsInfoBarVisible(); });
  ASSERT_FALSE(IsInfoBarVisible());
  // The tree would be rebuilt in the idle time after the change.
  SetModel("5.5.5");
  YieldUntilHandled();
  EXPECT_NE(GetInfoUpdateFlags(), 0u);
  EXPECT_EQ(TextOf(kInfoNumBaseFaces), "6 faces of 1 type");
  mFrame->ToggleBar(mFrame->GetInfoBar());
  Rebuilt();
  EXPECT_EQ(TextOf(kInfoNumBaseFaces), "12 faces of 1 type");
}

TEST_F(InfoBarWindow, SelectionsPassBetweenTheTreeAndTheModel) {
  SetInfoExpanded(kInfoNumBaseVerts, true);
  SetInfoExpanded(kInfoNumBaseFaces, true);
  SetModel("3.4.3.4");
  Rebuilt();
  Poly* poly = GetCurrentPoly();
  // A click on the second face type's line selects a face of that type.
  const wxTreeItemId second = Tree()->GetNextSibling(FindItemInTree(Tree(), kInfoBaseFaces, true));
  ASSERT_TRUE(second.IsOk());
  Tree()->SelectItem(second);
  YieldUntil([poly] { return poly->mSelectedElement != nullptr; });
  ASSERT_NE(poly->mSelectedElement, nullptr);
  EXPECT_EQ(FaceType::GetIndex(poly->mSelectedElement->mType), 1);
  // The model's selection marks its line: a vertex's type under the vertices.
  poly->SelectFace(poly->GetVertex(0), true);
  mFrame->GetInfoBar()->MarkSelectedType(3, 0, false);
  EXPECT_EQ(Tree()->GetSelection(), FindItemInTree(Tree(), kInfoBaseVerts, true));
  mFrame->GetInfoBar()->MarkSelectedType(1, -1, false);
  EXPECT_EQ(Tree()->GetSelection(), Tree()->GetRootItem());
}

TEST_F(InfoBarWindow, TheRightClickMenuOffersWhatTheKeyAllows) {
  SetModel("4.4.4");
  Rebuilt();
  EXPECT_EQ(InfoTree::GetMenuEntries(kInfoLink).size(), 1u);  // no link: only "Edit link..."
  GetCurrentPoly()->SetWebLink("http://example.org/");
  const auto link = InfoTree::GetMenuEntries(kInfoLink);
  ASSERT_EQ(link.size(), 2u);
  EXPECT_EQ(link[0].second, "Open link...");
  EXPECT_EQ(InfoTree::GetMenuEntries(kInfoVolume)[0].second, "Edit base volume...");
  EXPECT_TRUE(InfoTree::GetMenuEntries(kInfoGenus).empty());
  // The edits run the Edit menu's commands, the measurements the scale commands of the
  // active pane; the link has none.
  EXPECT_EQ(GetInfoEditCommand(kInfoBase), 33184);
  EXPECT_EQ(GetInfoEditCommand(kInfoCommentLine), 33125);
  EXPECT_EQ(GetInfoEditCommand(kInfoVolume), kCmdScaleBaseVolume);
  EXPECT_EQ(GetInfoEditCommand(kInfoDualMidRadius), kCmdScaleMidradius);
  EXPECT_EQ(GetInfoEditCommand(kInfoLink), 0);
  // Only web and mail addresses open.
  EXPECT_FALSE(OpenInfoLink("/bin/sh"));
  const auto& boxes = corvia::testing::Platform().messages.Boxes();
  ASSERT_FALSE(boxes.empty());
  EXPECT_EQ(boxes.back().text, "Couldn't open link '/bin/sh'.");
  EXPECT_EQ(boxes.back().title, "Error");
}

}  // namespace
