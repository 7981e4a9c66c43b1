#pragma once
// A modal list to choose one row from: a table of texts under column headers, with
// one column of colour swatches.

#include <cstdint>
#include <string>
#include <vector>

#include "platform/DialogFrontEnd.h"

namespace corvia {

class CTableDialog : public platform::DialogValues {
 public:
  static constexpr const char* kName = "TableDialog";
  const char* DialogName() const override { return kName; }

  CTableDialog() = default;
  // `cells` holds numRows * numColumns texts, row by row; a row's text in the swatch
  // column is not shown. `colours` (packed 0x00BBGGRR, one per row) are drawn in
  // the column `colourColumn`.
  CTableDialog(const char* title, int numColumns, int numRows, const std::vector<std::string>& headers,
               const std::vector<std::string>& cells, const std::vector<uint32_t>& colours, int initialRow,
               int colourColumn = 0);

  // Runs the dialog: the chosen row, or -1 on Cancel (or with no row chosen).
  int DoModal();

  const std::string& Cell(int row, int column) const;

  std::string mTitle;
  int mNumColumns = 0;
  int mNumRows = 0;
  std::vector<std::string> mHeaders;
  std::vector<std::string> mCells;
  std::vector<uint32_t> mColours;
  int mColourColumn = 0;
  // The row selected at the start (none when outside the rows), then the chosen one.
  int mRow = -1;
};

}  // namespace corvia
