#pragma once
// Printing a pane as File > Print does, into a PostScript file instead of a printer.

#include <gtest/gtest.h>
#include <wx/dcps.h>

#include <functional>
#include <string>

#include "app/PolyPrintout.h"
#include "app/PolyView.h"

namespace corvia::testing {

struct PostScriptPrint {
  int pages = 0;
  wxSize ppi;
  wxSize size;  // the paper, in the DC's units
};

// Prints every page of the pane's printout onto A4 into the PostScript file at path,
// in the order the printing framework calls the printout; afterPage (page number) runs
// after each page is drawn, while the pane still holds what it placed on it.
inline PostScriptPrint PrintToPostScript(CPolyView* pane, const std::string& path,
                                         const std::function<void(int)>& afterPage = {}) {
  PostScriptPrint result;
  wxPrintData data;
  data.SetPaperId(wxPAPER_A4);
  data.SetFilename(path);
  data.SetPrintMode(wxPRINT_MODE_FILE);
  wxPostScriptDC dc(data);
  if (!dc.IsOk()) {
    ADD_FAILURE() << "No PostScript DC";
    return result;
  }
  result.ppi = dc.GetPPI();
  result.size = dc.GetSize();
  CPolyPrintout printout(pane);
  printout.SetPPIPrinter(result.ppi.x, result.ppi.y);
  printout.SetPPIScreen(96, 96);
  printout.SetPageSizePixels(result.size.x, result.size.y);
  printout.SetPaperRectPixels(wxRect(wxPoint(0, 0), result.size));
  printout.SetDC(&dc);
  printout.OnPreparePrinting();
  result.pages = printout.GetPageCount();
  EXPECT_TRUE(dc.StartDoc("Corvia"));
  printout.OnBeginPrinting();
  for (int page = 1; page <= result.pages; ++page) {
    dc.StartPage();
    EXPECT_TRUE(printout.OnPrintPage(page));
    if (afterPage) afterPage(page);
    dc.EndPage();
  }
  dc.EndDoc();
  printout.OnEndPrinting();
  return result;
}

}  // namespace corvia::testing
