// The tree of dialogs on the virtual display: made in place of a dialog's item,
// folder items filled from a temporary folder tree in natural order when expanded
// (once), values found depth first past folder branches, labels never edited, and
// branches dragged with the mouse to where the pointer says, refused where they
// would land inside themselves.

#include <gtest/gtest.h>
#include <unistd.h>
#include <wx/frame.h>
#include <wx/panel.h>
#include <wx/sizer.h>
#include <wx/uiaction.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "tests/gui/GuiTestSupport.h"
#include "tests/support/TestSupport.h"
#include "ui/controls/NewTreeCtrl.h"

namespace test_FolderTree {

using namespace corvia;
using corvia::testing::MovePointerTo;
using corvia::testing::PressButton;
using corvia::testing::YieldUntil;
using corvia::testing::YieldUntilHandled;
namespace fs = std::filesystem;

constexpr int kTreeItemId = 4201;

// A user tree that may drag every item.
class DraggableTree : public NewTreeCtrl {
 protected:
  bool CanDragItem(const wxTreeItemId&) override { return true; }
};

class TreeFrame : public wxFrame {
 public:
  explicit TreeFrame(NewTreeCtrl* made) : wxFrame(nullptr, wxID_ANY, "Tree", wxPoint(40, 40), wxSize(320, 420)) {
    panel = new wxPanel(this);
    auto* sizer = new wxBoxSizer(wxVERTICAL);
    sizer->Add(new wxTreeCtrl(panel, kTreeItemId, wxDefaultPosition, wxSize(300, 380),
                              wxTR_DEFAULT_STYLE | wxTR_HIDE_ROOT),
               1, wxEXPAND | wxALL, 5);
    panel->SetSizer(sizer);
    ok = made->Create(panel, kTreeItemId);
    tree = made;
    panel->Layout();
  }
  wxPanel* panel;
  NewTreeCtrl* tree;
  bool ok;
};

class FolderTree : public corvia::testing::WindowTest {
 protected:
  void SetUp() override {
    mCwd = fs::current_path();
    root = corvia::testing::ScratchDir("folder-tree");
    for (const char* folder : {"b10", "B2", "a1/inner/deep", "empty", "files only", "x"}) {
      fs::create_directories(root / folder);
    }
    std::ofstream(root / "files only" / "model.txt") << "3.4.3.4\n";
    std::ofstream(root / "top file.txt") << "\n";
  }
  void TearDown() override {
    fs::current_path(mCwd);
    WindowTest::TearDown();
  }
  NewTreeCtrl* ShowTree(NewTreeCtrl* made) {
    frame = Show(new TreeFrame(made));
    return frame->tree;
  }
  std::vector<std::string> Children(const wxTreeItemId& item) const {
    std::vector<std::string> names;
    wxTreeItemIdValue cookie;
    NewTreeCtrl* tree = frame->tree;
    for (wxTreeItemId c = tree->GetFirstChild(item, cookie); c.IsOk(); c = tree->GetNextChild(item, cookie)) {
      names.push_back(tree->GetItemText(c).utf8_string());
    }
    return names;
  }
  wxTreeItemId Child(const wxTreeItemId& item, const std::string& name) const {
    wxTreeItemIdValue cookie;
    NewTreeCtrl* tree = frame->tree;
    for (wxTreeItemId c = tree->GetFirstChild(item, cookie); c.IsOk(); c = tree->GetNextChild(item, cookie)) {
      if (tree->GetItemText(c).utf8_string() == name) return c;
    }
    return wxTreeItemId();
  }
  // A screen point in an item's band, `dy` pixels below its top.
  wxPoint InItem(const wxTreeItemId& item, int dy) const {
    wxRect band;
    frame->tree->GetBoundingRect(item, band);
    return frame->tree->ClientToScreen(wxPoint(band.x + 10, band.y + dy));
  }
  int ItemHeight(const wxTreeItemId& item) const {
    wxRect band;
    frame->tree->GetBoundingRect(item, band);
    return band.height;
  }

  fs::path mCwd;
  fs::path root;
  TreeFrame* frame = nullptr;
};

TEST_F(FolderTree, TakesTheDialogItemsPlaceOrFails) {
  NewTreeCtrl* tree = ShowTree(new NewTreeCtrl);
  EXPECT_TRUE(frame->ok);
  EXPECT_EQ(frame->panel->FindWindow(kTreeItemId), tree);
  EXPECT_GT(tree->GetSize().x, 200);
  auto* spare = new NewTreeCtrl;
  EXPECT_FALSE(spare->Create(frame->panel, kTreeItemId + 1));
  delete spare;
}

TEST_F(FolderTree, AFolderShowsItsSubfoldersInNaturalOrderReadOnce) {
  NewTreeCtrl* tree = ShowTree(new NewTreeCtrl);
  const wxTreeItemId top = tree->AppendItem(tree->GetRootItem(), "My models");
  const std::string folder = root.string();
  tree->SetItemFolder(top, folder.c_str());
  EXPECT_EQ(Children(top), (std::vector<std::string>{"/"}));
  EXPECT_TRUE(tree->ItemHasChildren(top));

  // A folder made before the first expansion is read with the rest.
  fs::create_directories(root / "c3");
  tree->Expand(top);
  EXPECT_EQ(Children(top), (std::vector<std::string>{"a1", "B2", "b10", "c3", "empty", "files only", "x"}));
  EXPECT_EQ(fs::current_path(), fs::path(folder));
  // Only folders with folders in them get an expand button.
  EXPECT_EQ(Children(Child(top, "a1")), (std::vector<std::string>{"/"}));
  for (const char* leaf : {"B2", "empty", "files only"}) {
    EXPECT_FALSE(tree->ItemHasChildren(Child(top, leaf))) << leaf;
  }

  // Expanded again, the file system is not read again.
  fs::create_directories(root / "d4");
  tree->Collapse(top);
  tree->Expand(top);
  EXPECT_EQ(Children(top).size(), 7u);

  // A subfolder item expands into its own subfolders, and so on down.
  const wxTreeItemId a1 = Child(top, "a1");
  tree->Expand(a1);
  EXPECT_EQ(Children(a1), (std::vector<std::string>{"inner"}));
  const wxTreeItemId inner = Child(a1, "inner");
  tree->Expand(inner);
  EXPECT_EQ(Children(inner), (std::vector<std::string>{"deep"}));
  ASSERT_TRUE(tree->SetCurrentDirToItem(Child(inner, "deep")));
  EXPECT_EQ(fs::current_path(), root / "a1" / "inner" / "deep");

  // A folder gone since it was listed keeps its placeholder and changes nothing.
  const wxTreeItemId x = Child(top, "x");
  fs::create_directories(root / "x" / "y");
  tree->SetItemFolder(x, (root / "x").string().c_str());
  fs::remove_all(root / "x");
  tree->Expand(x);
  EXPECT_EQ(Children(x), (std::vector<std::string>{"/"}));
  EXPECT_FALSE(tree->SetCurrentDirToItem(x));
  // An empty folder gets no placeholder.
  const wxTreeItemId empty = tree->AppendItem(tree->GetRootItem(), "Empty");
  tree->SetItemFolder(empty, (root / "empty").string().c_str());
  EXPECT_FALSE(tree->ItemHasChildren(empty));
}

void RecordSelection(wxTreeItemId item, NewTreeCtrl* tree, uintptr_t word) {
  auto* seen = reinterpret_cast<std::vector<std::string>*>(word);
  seen->push_back(tree->GetItemText(item).utf8_string());
}

TEST_F(FolderTree, ValuesAreFoundDepthFirstPastFolderBranches) {
  NewTreeCtrl* tree = ShowTree(new NewTreeCtrl);
  const wxTreeItemId rootItem = tree->GetRootItem();
  EXPECT_EQ(tree->GetItemRecord(rootItem), nullptr);
  EXPECT_FALSE(tree->SetItemValue(rootItem, 5));
  EXPECT_EQ(tree->GetItemValue(wxTreeItemId()), 0u);
  const wxTreeItemId platonic = tree->AppendItem(rootItem, "Platonic");
  const wxTreeItemId cube = tree->AppendItem(platonic, "Cube");
  const wxTreeItemId archimedean = tree->AppendItem(rootItem, "Archimedean");
  const wxTreeItemId mine = tree->AppendItem(rootItem, "My models");
  const wxTreeItemId inside = tree->AppendItem(mine, "inside");
  tree->SetItemValue(platonic, 1);
  tree->SetItemValue(cube, 7);
  tree->SetItemValue(archimedean, 7);
  tree->SetItemFolder(mine, root.string().c_str());
  tree->SetItemValue(mine, 9);
  tree->SetItemValue(inside, 11);
  EXPECT_EQ(tree->FindItemByValue(7), cube);  // children before later siblings
  EXPECT_FALSE(tree->FindItemByValue(9).IsOk());
  EXPECT_FALSE(tree->FindItemByValue(11).IsOk());
  EXPECT_FALSE(tree->FindItemByValue(12345).IsOk());

  std::vector<std::string> seen;
  tree->SetSelChangeCallback(RecordSelection, reinterpret_cast<uintptr_t>(&seen));
  tree->SelectItem(archimedean);
  tree->SelectItem(cube);
  EXPECT_EQ(seen, (std::vector<std::string>{"Archimedean", "Cube"}));

  // Labels are never edited in place.
  tree->EditLabel(cube);
  YieldUntilHandled();
  EXPECT_EQ(tree->GetEditControl(), nullptr);
  EXPECT_EQ(tree->GetItemText(cube), "Cube");
}

TEST_F(FolderTree, DropsGoWhereThePointerSaysAndNeverInsideTheBranch) {
  NewTreeCtrl* tree = ShowTree(new DraggableTree);
  const wxTreeItemId rootItem = tree->GetRootItem();
  const wxTreeItemId a = tree->AppendItem(rootItem, "A");
  const wxTreeItemId a1 = tree->AppendItem(a, "A1");
  tree->AppendItem(a, "A2");
  const wxTreeItemId b = tree->AppendItem(rootItem, "B");
  const wxTreeItemId c = tree->AppendItem(rootItem, "C");
  tree->SetItemValue(a1, 41);
  tree->Expand(a);
  YieldUntilHandled();

  const int h = ItemHeight(b);
  ASSERT_GT(h, 10);
  wxTreeItemId target;
  EXPECT_EQ(tree->GetDropPosition(InItem(b, 1), target), kDropAbove);
  EXPECT_EQ(target, b);
  EXPECT_EQ(tree->GetDropPosition(InItem(b, h / 2), target), kDropOnto);
  EXPECT_EQ(tree->GetDropPosition(InItem(b, h - 2), target), kDropBelow);
  EXPECT_EQ(tree->GetDropPosition(InItem(c, h + 20), target), kDropAtEnd);
  EXPECT_EQ(target, c);

  const auto drag = [&](const wxTreeItemId& item, const wxPoint& to) {
    ASSERT_TRUE(tree->BeginDragItem(item));
    tree->DragTo(to);
    tree->EndDrag(true);
    YieldUntilHandled();
  };
  // Onto itself, onto its own child, and onto its own parent: nothing moves.
  drag(a, InItem(a, h / 2));
  drag(a, InItem(a1, h / 2));
  drag(a1, InItem(a, h / 2));
  EXPECT_EQ(Children(rootItem), (std::vector<std::string>{"A", "B", "C"}));
  EXPECT_EQ(Children(a), (std::vector<std::string>{"A1", "A2"}));

  // Onto B: its last child, with its value.
  drag(a1, InItem(b, h / 2));
  EXPECT_EQ(Children(a), (std::vector<std::string>{"A2"}));
  EXPECT_EQ(Children(b), (std::vector<std::string>{"A1"}));
  EXPECT_EQ(tree->GetItemText(tree->FindItemByValue(41)), "A1");
  // Above B, then below C, then to the end.
  drag(c, InItem(b, 1));
  EXPECT_EQ(Children(rootItem), (std::vector<std::string>{"A", "C", "B"}));
  const wxTreeItemId newC = Child(rootItem, "C");
  drag(Child(rootItem, "A"), InItem(newC, h - 2));
  EXPECT_EQ(Children(rootItem), (std::vector<std::string>{"C", "A", "B"}));
  // B ends the tree with its child the last item shown: B still cannot go to the end,
  // but A, whose branch does not hold the last item, can.
  tree->Expand(Child(rootItem, "B"));
  YieldUntilHandled();
  const wxTreeItemId last = Child(Child(rootItem, "B"), "A1");
  drag(Child(rootItem, "B"), InItem(last, h + 20));
  EXPECT_EQ(Children(rootItem), (std::vector<std::string>{"C", "A", "B"}));
  drag(Child(rootItem, "A"), InItem(last, h + 20));
  EXPECT_EQ(Children(rootItem), (std::vector<std::string>{"C", "B", "A"}));
  // A nested branch holding the last item shown goes to the end of the top level.
  const wxTreeItemId nested = tree->AppendItem(Child(rootItem, "A"), "N");
  tree->AppendItem(nested, "M");
  tree->Expand(Child(rootItem, "A"));
  tree->Expand(nested);
  YieldUntilHandled();
  drag(nested, InItem(Child(nested, "M"), h + 20));
  EXPECT_EQ(Children(rootItem), (std::vector<std::string>{"C", "B", "A", "N"}));
  EXPECT_EQ(Children(Child(rootItem, "N")), (std::vector<std::string>{"M"}));

  // A cancelled drag drops nothing and shows nothing.
  ASSERT_TRUE(tree->BeginDragItem(Child(rootItem, "C")));
  tree->DragTo(InItem(Child(rootItem, "A"), h / 2));
  wxTreeItemId shown;
  EXPECT_EQ(tree->GetDropFeedback(shown), kDropOnto);
  EXPECT_EQ(shown, Child(rootItem, "A"));
  tree->EndDrag(false);
  EXPECT_EQ(tree->GetDropFeedback(shown), kDropNone);
  EXPECT_FALSE(NewTreeCtrl::IsDragging());
  EXPECT_EQ(Children(rootItem), (std::vector<std::string>{"C", "B", "A", "N"}));

  // A tree of plain items allows no drag at all.
  auto* plain = new NewTreeCtrl(frame->panel, wxID_ANY);
  EXPECT_FALSE(plain->BeginDragItem(plain->AppendItem(plain->GetRootItem(), "item")));
  EXPECT_FALSE(NewTreeCtrl::IsDragging());
}

TEST_F(FolderTree, RestingOnACollapsedItemOpensIt) {
  NewTreeCtrl* tree = ShowTree(new DraggableTree);
  const wxTreeItemId rootItem = tree->GetRootItem();
  const wxTreeItemId a = tree->AppendItem(rootItem, "A");
  const wxTreeItemId b = tree->AppendItem(rootItem, "B");
  tree->AppendItem(b, "B1");
  const wxTreeItemId c = tree->AppendItem(rootItem, "C");
  tree->AppendItem(c, "C1");
  YieldUntilHandled();
  const int h = ItemHeight(b);
  ASSERT_TRUE(tree->BeginDragItem(a));
  // Moving on before the time is up opens nothing: B's time starts, C's takes its
  // place, and only C opens when its time is up.
  tree->DragTo(InItem(b, h / 2));
  YieldUntilHandled();
  tree->DragTo(InItem(c, h / 2));
  YieldUntilHandled();
  EXPECT_FALSE(tree->IsExpanded(b));
  YieldUntil([&] { return tree->IsExpanded(c); });
  EXPECT_TRUE(tree->IsExpanded(c));
  EXPECT_FALSE(tree->IsExpanded(b));
  tree->EndDrag(false);
}

TEST_F(FolderTree, TheMouseDragsABranch) {
  NewTreeCtrl* tree = ShowTree(new DraggableTree);
  const wxTreeItemId rootItem = tree->GetRootItem();
  const wxTreeItemId a = tree->AppendItem(rootItem, "A");
  tree->AppendItem(rootItem, "B");
  const wxTreeItemId c = tree->AppendItem(rootItem, "C");
  YieldUntilHandled();
  const int h = ItemHeight(a);
  wxUIActionSimulator mouse;
  MovePointerTo(mouse, InItem(a, h / 2));
  PressButton(mouse);
  for (int step = 1; step <= 8; ++step) {
    const wxPoint from = InItem(a, h / 2);
    const wxPoint to = InItem(c, h / 2);
    MovePointerTo(mouse, from + (to - from) * step / 8);
  }
  EXPECT_TRUE(NewTreeCtrl::IsDragging());
  mouse.MouseUp();
  YieldUntil([&] { return !NewTreeCtrl::IsDragging(); });
  EXPECT_EQ(Children(rootItem), (std::vector<std::string>{"B", "C"}));
  EXPECT_EQ(Children(Child(rootItem, "C")), (std::vector<std::string>{"A"}));
}

}  // namespace test_FolderTree
