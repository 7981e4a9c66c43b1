#include "core/TableDialog.h"

#include "platform/Services.h"

namespace corvia {

CTableDialog::CTableDialog(const char* title, int numColumns, int numRows, const std::vector<std::string>& headers,
                           const std::vector<std::string>& cells, const std::vector<uint32_t>& colours, int initialRow,
                           int colourColumn)
    : mTitle(title ? title : ""),
      mNumColumns(numColumns > 0 ? numColumns : 0),
      mNumRows(numRows > 0 ? numRows : 0),
      mHeaders(headers),
      mCells(cells),
      mColours(colours),
      mColourColumn(colourColumn),
      mRow(initialRow) {
  // Short tables are padded so that every row has every column and a colour.
  mHeaders.resize(static_cast<size_t>(mNumColumns));
  mCells.resize(static_cast<size_t>(mNumColumns) * static_cast<size_t>(mNumRows));
  mColours.resize(static_cast<size_t>(mNumRows), 0);
}

const std::string& CTableDialog::Cell(int row, int column) const {
  static const std::string kNone;
  if (row < 0 || row >= mNumRows || column < 0 || column >= mNumColumns) return kNone;
  return mCells[static_cast<size_t>(row) * static_cast<size_t>(mNumColumns) + static_cast<size_t>(column)];
}

int CTableDialog::DoModal() {
  CTableDialog answer = *this;
  if (!platform::Services().dialogs->RunDialog(answer)) return -1;
  if (answer.mRow < 0 || answer.mRow >= mNumRows) return -1;
  mRow = answer.mRow;
  return mRow;
}

}  // namespace corvia
