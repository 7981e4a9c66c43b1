// The window of the table dialog: a report list with a column of colour swatches.

#include <wx/dcmemory.h>
#include <wx/imaglist.h>
#include <wx/listctrl.h>
#include <wx/sizer.h>

#include <memory>

#include "core/TableDialog.h"
#include "dialogs/DialogBase.h"
#include "dialogs/DialogWindows.h"

namespace corvia {

namespace detail_TableWindow {

wxBitmap Swatch(uint32_t packed, const wxSize& size) {
  wxBitmap bitmap(size);
  wxMemoryDC dc(bitmap);
  dc.SetPen(*wxBLACK_PEN);
  dc.SetBrush(wxBrush(wxColour(packed & 0xFF, (packed >> 8) & 0xFF, (packed >> 16) & 0xFF)));
  dc.DrawRectangle(wxPoint(0, 0), size);
  dc.SelectObject(wxNullBitmap);
  return bitmap;
}

class TableWindow : public CorviaDialog {
 public:
  explicit TableWindow(CTableDialog& values)
      : CorviaDialog(nullptr, values.mTitle.c_str(), CTableDialog::kName), mValues(values) {
    mList = new wxListCtrl(this, wxID_ANY, wxDefaultPosition, FromDIP(wxSize(360, 260)), wxLC_REPORT | wxLC_SINGLE_SEL,
                           wxDefaultValidator, "table");
    const wxSize swatch = FromDIP(wxSize(24, 14));
    mImages = std::make_unique<wxImageList>(swatch.x, swatch.y, false, values.mNumRows);
    for (int row = 0; row < values.mNumRows; ++row) {
      mImages->Add(Swatch(values.mColours[static_cast<size_t>(row)], swatch));
    }
    mList->SetImageList(mImages.get(), wxIMAGE_LIST_SMALL);
    for (int column = 0; column < values.mNumColumns; ++column) {
      // A list of one column is as wide as the list.
      const int width = column == values.mColourColumn ? 60 : values.mNumColumns == 1 ? 340 : 140;
      mList->AppendColumn(wxString::FromUTF8(values.mHeaders[static_cast<size_t>(column)]), wxLIST_FORMAT_LEFT,
                          FromDIP(width));
    }
    for (int row = 0; row < values.mNumRows; ++row) {
      mList->InsertItem(row, column0Text(row), -1);
      for (int column = 0; column < values.mNumColumns; ++column) {
        if (column == values.mColourColumn) {
          mList->SetItemColumnImage(row, column, row);
        } else if (column > 0) {
          mList->SetItem(row, column, wxString::FromUTF8(values.Cell(row, column)));
        }
      }
    }
    LoadListColumnWidths(mList, CTableDialog::kName);
    mList->Bind(wxEVT_LIST_ITEM_ACTIVATED, [this](wxListEvent&) { PressOk(); });
    auto* column = new wxBoxSizer(wxVERTICAL);
    column->Add(mList, 1, wxEXPAND);
    FinishLayout(column);
  }
  ~TableWindow() override { SaveListColumnWidths(mList, CTableDialog::kName); }

  bool TransferDataToWindow() override {
    if (mValues.mRow >= 0 && mValues.mRow < mValues.mNumRows) {
      mList->SetItemState(mValues.mRow, wxLIST_STATE_SELECTED | wxLIST_STATE_FOCUSED,
                          wxLIST_STATE_SELECTED | wxLIST_STATE_FOCUSED);
      mList->EnsureVisible(mValues.mRow);
    }
    return true;
  }
  bool TransferDataFromWindow() override {
    const long row = mList->GetNextItem(-1, wxLIST_NEXT_ALL, wxLIST_STATE_SELECTED);
    if (row < 0) return RefuseField("Please choose a row.");
    mValues.mRow = static_cast<int>(row);
    return true;
  }

 private:
  wxString column0Text(int row) const {
    return mValues.mColourColumn == 0 ? wxString() : wxString::FromUTF8(mValues.Cell(row, 0));
  }

  CTableDialog& mValues;
  wxListCtrl* mList;
  std::unique_ptr<wxImageList> mImages;
};

}  // namespace detail_TableWindow

bool RunTableWindow(CTableDialog& values) {
  return RunWindowOnCopy<detail_TableWindow::TableWindow>(values);
}

}  // namespace corvia
