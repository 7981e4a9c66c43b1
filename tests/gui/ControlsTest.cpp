// The controls of the bars and dialogs on a real (virtual) display, driven by the
// mouse and keys: a list's cell edited in place and committed with Enter, an edit the
// owner refuses, columns sorted by their header, a row dragged to a new place; the
// owner-drawn combo's items, columns and filter; the colour button's text.

#include <gtest/gtest.h>
#include <wx/dcclient.h>
#include <wx/dcmemory.h>
#include <wx/frame.h>
#include <wx/headerctrl.h>
#include <wx/sizer.h>
#include <wx/uiaction.h>

#include <string>
#include <vector>

#include "tests/gui/GuiTestSupport.h"
#include "ui/CommandTable.h"
#include "ui/controls/ColourButton.h"
#include "ui/controls/InPlaceEditors.h"
#include "ui/controls/NewListCtrl.h"
#include "ui/controls/OwnerDrawCombo.h"

namespace {

using namespace corvia;
using corvia::testing::MovePointerTo;
using corvia::testing::PressButton;
using corvia::testing::YieldUntil;
using corvia::testing::YieldUntilPainted;

// A list whose rows can be dragged: a drop moves the row before the drop row.
class MovingList : public NewListCtrl {
 public:
  using NewListCtrl::NewListCtrl;
  bool CanDragItem(int) override { return true; }
  void OnDropItem(EditableList* target, int source, int drop) override {
    if (target != this) return;
    std::vector<std::string> row;
    for (int c = 0; c < GetColumnCount(); ++c) row.push_back(GetItemText(source, c));
    DeleteItem(source);
    const int at = InsertItem(drop > source ? drop - 1 : drop, row[0].c_str());
    for (int c = 1; c < GetColumnCount(); ++c) SetItemText(at, c, row[static_cast<size_t>(c)].c_str());
    ++drops;
  }
  int drops = 0;
};

// The frame is the list's owner: it stores what is typed into the "Size" column when
// it is a number, and refuses every edit of the "Note" column.
class ListFrame : public wxFrame, public ListEditOwner {
 public:
  ListFrame() : wxFrame(nullptr, wxID_ANY, "List", wxPoint(50, 50), wxSize(500, 300)) {
    list = new MovingList(this, wxID_ANY);
    auto* sizer = new wxBoxSizer(wxVERTICAL);
    sizer->Add(list, 1, wxEXPAND);
    SetSizer(sizer);
    list->InsertColumn(0, "Name", kListAlignLeft, 160);
    list->InsertColumn(1, "Size", kListAlignRight, 80);
    list->InsertColumn(2, "Note", kListAlignLeft, 120);
    const uint8_t kinds[] = {kListEditText | kListSortNatural, kListEditText | kListSortReal,
                             kListEditText | kListSortNatural};
    list->SetColumnKinds(kinds, 3);
    const char* rows[][3] = {{"cube", "6", "b"}, {"tetrahedron", "4", "a"}, {"dodecahedron", "12", "c"}};
    for (auto& r : rows) {
      const int row = list->InsertItem(list->GetItemCount(), r[0]);
      list->SetItemText(row, 1, r[1]);
      list->SetItemText(row, 2, r[2]);
    }
  }
  bool OnBeginLabelEdit(EditableList&, int, int column) override { return column == 2; }
  void OnEndLabelEdit(EditableList&, int row, int column, const char* text) override {
    ends.push_back(text ? text : "<none>");
    if (text && column == 1 && std::strtod(text, nullptr) > 0) list->SetItemText(row, column, text);
  }
  MovingList* list;
  std::vector<std::string> ends;
};

class Controls : public corvia::testing::WindowTest {
 protected:
  static std::vector<std::string> Column(EditableList& list, int column) {
    std::vector<std::string> texts;
    for (int row = 0; row < list.GetItemCount(); ++row) texts.push_back(list.GetItemText(row, column));
    return texts;
  }
};

TEST_F(Controls, ACellIsEditedInPlaceCommittedWithEnterOrRefusedByTheOwner) {
  ListFrame* frame = Show(new ListFrame);
  MovingList* list = frame->list;
  wxWindow* body = list->GetBody();

  // The first click selects the row, the second opens the edit box on the cell.
  ClickAt(body, Centre(list->GetCellRect(1, 1)));
  EXPECT_TRUE(list->IsSelected(1));
  EXPECT_EQ(list->GetInPlaceEdit(), nullptr);
  ClickAt(body, Centre(list->GetCellRect(1, 1)));
  YieldUntil([&] { return list->GetInPlaceEdit() != nullptr; });
  InPlaceEdit* edit = list->GetInPlaceEdit();
  ASSERT_NE(edit, nullptr);
  EXPECT_EQ(edit->GetValue(), "4");
  EXPECT_EQ(edit->GetId(), ToWxId(kInPlaceEditorId));
  // No row shows selected while the edit box is open.
  EXPECT_EQ(list->GetEditsInProgress(), 1);

  wxUIActionSimulator keys;
  edit->SetFocus();
  YieldUntil([&] { return wxWindow::FindFocus() == edit; });
  keys.Text("42");
  YieldUntil([&] { return edit->GetValue() == "42"; });
  keys.Char(WXK_RETURN);
  YieldUntil([&] { return !frame->ends.empty(); });
  ASSERT_EQ(frame->ends.size(), 1u);
  EXPECT_EQ(frame->ends[0], "42");
  EXPECT_EQ(list->GetItemText(1, 1), "42");
  EXPECT_EQ(list->GetEditsInProgress(), 0);
  YieldUntil([&] { return list->GetInPlaceEdit() == nullptr; });

  // The owner refuses the "Note" column: no editor opens (the click is handled when
  // ClickAt returns, and an editor opens as the click is handled).
  ClickAt(body, Centre(list->GetCellRect(1, 2)));
  EXPECT_EQ(list->GetInPlaceEdit(), nullptr);
  EXPECT_EQ(list->GetItemText(1, 2), "a");

  // Escape ends the edit without text; the cell stays.
  ClickAt(body, Centre(list->GetCellRect(1, 1)));
  YieldUntil([&] { return list->GetInPlaceEdit() != nullptr; });
  ASSERT_NE(list->GetInPlaceEdit(), nullptr);
  edit = list->GetInPlaceEdit();
  edit->SetFocus();
  YieldUntil([&] { return wxWindow::FindFocus() == edit; });
  keys.Text("7");
  YieldUntil([&] { return edit->GetValue() == "7"; });
  keys.Char(WXK_ESCAPE);
  YieldUntil([&] { return frame->ends.size() == 2; });
  ASSERT_EQ(frame->ends.size(), 2u);
  EXPECT_EQ(frame->ends[1], "<none>");
  EXPECT_EQ(list->GetItemText(1, 1), "42");
}

TEST_F(Controls, HeaderClicksSortNumbersAsNumbersAndTextAsText) {
  ListFrame* frame = Show(new ListFrame);
  MovingList* list = frame->list;
  list->EnableSorting(true);
  wxHeaderCtrl* header = list->GetHeader();
  ASSERT_NE(header, nullptr);
  const int headerY = header->GetSize().y / 2;
  // "Size": 4, 6, 12 (not "12" before "4"), then descending.
  ClickAt(header, wxPoint(list->GetColumnLeft(1) + 30, headerY));
  EXPECT_EQ(Column(*list, 1), (std::vector<std::string>{"4", "6", "12"}));
  EXPECT_EQ(list->GetSortColumn(), 1);
  EXPECT_TRUE(list->IsSortAscending());
  // A second click soon after the first counts once more.
  ClickAt(header, wxPoint(list->GetColumnLeft(1) + 30, headerY));
  YieldUntil([&] { return Column(*list, 1) == std::vector<std::string>{"12", "6", "4"}; });
  EXPECT_EQ(Column(*list, 1), (std::vector<std::string>{"12", "6", "4"}));
  // "Name" by its text.
  ClickAt(header, wxPoint(list->GetColumnLeft(0) + 30, headerY));
  EXPECT_EQ(Column(*list, 0), (std::vector<std::string>{"cube", "dodecahedron", "tetrahedron"}));
  EXPECT_EQ(list->GetSortColumn(), 0);
}

TEST_F(Controls, ARowIsDraggedToANewPlace) {
  ListFrame* frame = Show(new ListFrame);
  MovingList* list = frame->list;
  wxWindow* body = list->GetBody();
  wxUIActionSimulator mouse;
  const wxPoint from = body->ClientToScreen(Centre(list->GetCellRect(0, 0)));
  MovePointerTo(mouse, from);
  PressButton(mouse);
  for (int step = 1; step <= 8; ++step) MovePointerTo(mouse, from + wxPoint(0, step * list->GetRowHeight() * 2 / 8 + 2));
  // Over the third row: that is the drop row, and the marker stands there.
  EXPECT_EQ(NewListCtrl::GetDragTarget(), list);
  EXPECT_EQ(NewListCtrl::GetDragDropRow(), 2);
  mouse.MouseUp();
  YieldUntil([&] { return list->drops == 1; });
  EXPECT_EQ(list->drops, 1);
  // The cube now stands before the row that was third.
  EXPECT_EQ(Column(*list, 0), (std::vector<std::string>{"tetrahedron", "cube", "dodecahedron"}));
  EXPECT_EQ(NewListCtrl::GetDragTarget(), nullptr);

  // Dropped below the last row: it goes to the end.
  const wxPoint again = body->ClientToScreen(Centre(list->GetCellRect(0, 0)));
  MovePointerTo(mouse, again);
  PressButton(mouse);
  const wxPoint below = body->ClientToScreen(wxPoint(40, list->GetRowHeight() * 3 + 30));
  for (int step = 1; step <= 8; ++step) MovePointerTo(mouse, again + (below - again) * step / 8);
  EXPECT_EQ(NewListCtrl::GetDragDropRow(), 3);
  mouse.MouseUp();
  YieldUntil([&] { return list->drops == 2; });
  EXPECT_EQ(Column(*list, 0), (std::vector<std::string>{"cube", "dodecahedron", "tetrahedron"}));
}

TEST_F(Controls, ATooNarrowCellShowsItsTextAsATip) {
  ListFrame* frame = Show(new ListFrame);
  MovingList* list = frame->list;
  list->SetItemText(0, 2, "Fish & chips, and a long note besides");
  EXPECT_EQ(list->GetToolTipTextAt(Centre(list->GetCellRect(0, 2))), "Fish & chips, and a long note besides");
  EXPECT_EQ(list->GetToolTipTextAt(Centre(list->GetCellRect(0, 1))), "");
  std::string longText(120, 'x');
  list->SetItemText(1, 2, longText.c_str());
  EXPECT_EQ(list->GetToolTipTextAt(Centre(list->GetCellRect(1, 2))).size(), 80u);
}

TEST_F(Controls, AListReplacesADialogItem) {
  auto* frame = new wxFrame(nullptr, wxID_ANY, "Dialog");
  auto* sizer = new wxBoxSizer(wxVERTICAL);
  auto* placeholder = new wxWindow(frame, 1692, wxDefaultPosition, wxSize(200, 100));
  sizer->Add(placeholder, 1, wxEXPAND);
  frame->SetSizer(sizer);
  auto* list = new NewListCtrl;
  ASSERT_TRUE(list->Create(frame, 1692));
  EXPECT_EQ(frame->FindWindow(1692), list);
  EXPECT_EQ(list->GetContainingSizer(), sizer);
  EXPECT_EQ(list->GetHighlightMode(), kListHighlightClient);
  auto* missing = new NewListCtrl;
  EXPECT_FALSE(missing->Create(frame, 4242));
  delete missing;
  frame->Destroy();
}

// ---- Combo boxes and the colour button ------------------------------------------------------

TEST_F(Controls, ComboItemsSplitIntoThreeTextsAndTheFilterNarrowsThem) {
  auto* frame = Show(new wxFrame(nullptr, wxID_ANY, "Combo", wxPoint(50, 50), wxSize(400, 200)));
  auto* combo = new OwnerDrawCombo(frame, wxID_ANY, true, wxPoint(10, 10), wxSize(250, -1));
  combo->AddItem("Octahedron\tOh\t*432");
  combo->AddItem("Cube");
  combo->AddItem("ocean", PackItemColour(10, 20, 30));
  ASSERT_NE(combo->GetComboItem(0), nullptr);
  EXPECT_EQ(combo->GetComboItem(0)->mText2, "Oh");
  EXPECT_EQ(combo->GetComboItem(0)->mText3, "*432");
  EXPECT_EQ(combo->GetComboItem(1)->mText2, "");
  EXPECT_EQ(combo->GetComboItem(1)->mText3, "");
  EXPECT_EQ(combo->GetItem(2), PackItemColour(10, 20, 30));
  EXPECT_EQ(combo->GetItem(7), kNoItemColour);

  combo->SetCurSel(1);
  EXPECT_EQ(combo->GetSelectedItem(), 1);
  EXPECT_EQ(combo->GetItem(-1), kNoItemColour);

  // Typing "oc" keeps Octahedron and ocean.
  combo->ChangeValue("o");
  combo->FilterTyped();
  combo->ChangeValue("oc");
  combo->FilterTyped();
  combo->Dismiss();
  EXPECT_EQ(combo->GetShownItems(), (std::vector<int>{0, 2}));
  // A character deleted starts again from every item.
  combo->ChangeValue("c");
  combo->FilterTyped();
  combo->Dismiss();
  EXPECT_EQ(combo->GetShownItems(), (std::vector<int>{1}));
  combo->ChangeValue("");
  combo->FilterTyped();
  combo->Dismiss();
  EXPECT_EQ(combo->GetShownItems(), (std::vector<int>{0, 1, 2}));

  // Columns sized at the drop-down: the second after the widest first text.
  combo->SizeColumns();
  EXPECT_GT(combo->GetSecondOffset(), 0);
  EXPECT_GT(combo->GetThirdOffset(), combo->GetSecondOffset());
  combo->Configure(false, 40, 44, 0);
  combo->SizeColumns();
  EXPECT_EQ(combo->GetSecondOffset(), 40);
  EXPECT_EQ(combo->GetThirdOffset(), 84);

  combo->ResetContent();
  EXPECT_EQ(combo->GetSelectedItem(), -1);
  EXPECT_EQ(combo->GetItem(-1), kNoItemColour);
}

TEST_F(Controls, ColourButtonsTakeWhiteOrBlackTextByTheirColour) {
  auto* frame = Show(new wxFrame(nullptr, wxID_ANY, "Button", wxPoint(50, 50), wxSize(300, 150)));
  auto* button = new ColourButton(frame, wxID_ANY, "Colour", wxPoint(10, 10), wxSize(120, 40));
  button->SetColour(0x00ff00);
  EXPECT_EQ(button->GetTextColour(), 0xffffffu);
  EXPECT_EQ(button->GetFaceColour(), 0x00ff00u);
  button->SetColour(0x808080);
  EXPECT_EQ(button->GetTextColour(), 0x000000u);
  button->SetColour(0x7f7f7f);
  EXPECT_EQ(button->GetTextColour(), 0xffffffu);

  int clicks = 0;
  button->Bind(wxEVT_BUTTON, [&](wxCommandEvent&) { ++clicks; });
  frame->Layout();
  // Clicked once it is on the screen.
  YieldUntilPainted(button, 0);
  ClickAt(button, wxPoint(60, 20));
  YieldUntil([&] { return clicks == 1; });
  EXPECT_EQ(clicks, 1);
  // What it draws: the face in its colour, the text white on it (once it has drawn
  // itself again after the click).
  auto drawn = [button] {
    wxBitmap shot(button->GetSize());
    {
      wxMemoryDC dc(shot);
      wxClientDC source(button);
      dc.Blit(0, 0, button->GetSize().x, button->GetSize().y, &source, 0, 0);
    }
    return shot.ConvertToImage();
  };
  wxImage image;
  YieldUntil([&] {
    image = drawn();
    return image.GetRed(8, 8) == 0x7f && image.GetGreen(8, 8) == 0x7f;
  });
  EXPECT_EQ(image.GetRed(8, 8), 0x7f);
  EXPECT_EQ(image.GetGreen(8, 8), 0x7f);
}

TEST_F(Controls, FontFacesAreListedAndSelectedByName) {
  auto* frame = Show(new wxFrame(nullptr, wxID_ANY, "Fonts", wxPoint(50, 50), wxSize(300, 150)));
  auto* fonts = new FontCombo(frame, wxID_ANY, wxPoint(10, 10), wxSize(200, -1));
  fonts->Fill();
  const std::vector<std::string> faces = GetInstalledFontFaces(false);
  ASSERT_FALSE(faces.empty());
  EXPECT_EQ(fonts->GetCount(), faces.size());
  fonts->SelectFont(faces.back());
  EXPECT_EQ(fonts->GetString(static_cast<unsigned>(fonts->GetSelection())).utf8_string(), faces.back());
  fonts->SelectFont("No Such Face");
  EXPECT_EQ(fonts->GetSelection(), wxNOT_FOUND);
  EXPECT_FALSE(GetInstalledFontFaces(true).empty());
}

}  // namespace
