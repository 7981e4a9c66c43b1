// The table dialog as its callers use it: the chosen row, or -1 for Cancel or for no
// row of the table.

#include <gtest/gtest.h>

#include "core/TableDialog.h"
#include "tests/support/TestSupport.h"

namespace test_TableDialog {

using corvia::CTableDialog;
using corvia::testing::Platform;

TEST(TableDialog, ChosenRowOrMinusOne) {
  CTableDialog table("Choose a Geomag color", 2, 3, {"Color", "Name"}, {"", "Red", "", "Green", "", "Blue"},
                     {0x0000FF, 0x00FF00, 0xFF0000}, 1);
  EXPECT_EQ(table.Cell(2, 1), "Blue");
  EXPECT_EQ(table.Cell(3, 1), "");
  Platform().dialogs.Queue<CTableDialog>([](CTableDialog& d) {
    EXPECT_EQ(d.mRow, 1);
    EXPECT_EQ(d.mTitle, "Choose a Geomag color");
    d.mRow = 2;
    return true;
  });
  EXPECT_EQ(table.DoModal(), 2);
  Platform().dialogs.QueueCancel();
  EXPECT_EQ(table.DoModal(), -1);
  EXPECT_EQ(table.mRow, 2);
  // A row outside the table counts as no choice.
  Platform().dialogs.Queue<CTableDialog>([](CTableDialog& d) {
    d.mRow = 7;
    return true;
  });
  EXPECT_EQ(table.DoModal(), -1);
}

}  // namespace test_TableDialog
