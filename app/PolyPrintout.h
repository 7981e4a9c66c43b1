#pragma once
// Printing a pane through the framework's printing: the nets of an Unfolded Net pane
// on as many pages as their fitting needs, flat diagrams drawn on the page, every
// other pane as an image rendered off screen. The same printout serves the print
// preview.

#include <wx/cmndata.h>
#include <wx/dc.h>
#include <wx/print.h>

#include <cstdint>

namespace corvia {

class CPolyView;

// The page rectangle of a printout in twips (left, top, right, bottom, y growing
// upwards, origin at the paper's lower left corner), inside the margins of the unit
// settings; and the factors from twips to the DC's units.
struct PrintPageGeometry {
  int32_t rect[4] = {0, 0, 0, 0};
  double scaleX = 1.0;
  double scaleY = 1.0;
  // The paper's lower left corner in the DC's units.
  double originX = 0.0;
  double originY = 0.0;
};
// paper: the paper rectangle in printer pixels; ppi: printer pixels per inch;
// deviceX, deviceY: the DC's units per printer pixel (1 on the printer; a preview draws
// the same page onto a bitmap of its own size).
PrintPageGeometry GetPrintPageGeometry(const wxRect& paper, const wxSize& ppi, double deviceX = 1.0,
                                       double deviceY = 1.0);
// The point size of a font that stands as high on the page as pagePoints would on
// paper, on a DC whose fonts are made for dcPPI (wx makes them for the display's, on a
// printer's DC too) while the page is drawn at pagePPI of its units per inch of paper.
double PrintFontPoints(double pagePoints, double pagePPI, double dcPPI);

class CPolyPrintout final : public wxPrintout {
 public:
  explicit CPolyPrintout(CPolyView* pane);
  ~CPolyPrintout() override;

  void OnPreparePrinting() override;
  void GetPageInfo(int* minPage, int* maxPage, int* selFrom, int* selTo) override;
  bool HasPage(int page) override;
  bool OnPrintPage(int page) override;
  void OnEndPrinting() override;

  // The pages counted by the last preparation.
  int GetPageCount() const { return mPages; }
  // Whether the last preparation found nothing to print and said why.
  bool HasToldWhy() const { return mToldWhy; }

 private:
  // The page as the DC being drawn on holds it (the printer's, or the preview's
  // bitmap at its zoom).
  PrintPageGeometry GetGeometry();
  // The pane, while it exists.
  CPolyView* GetPane() const;
  CPolyView* mPane;
  int mPages = 0;
  bool mToldWhy = false;
};

// The program's print settings (paper, orientation, the file printed to), kept for the
// run; forgotten when the program shuts down, so that a run started again in the same
// process offers its own documents folder.
wxPrintData& GetPrintData();
wxPageSetupDialogData& GetPageSetupData();
void ForgetPageSetup();

// Opens the print preview of the pane in a frame of its own, from which it prints;
// false (with a message) when the pane has nothing to print.
bool ShowPrintPreview(CPolyView* pane, wxWindow* parent);
// "File > Print Setup...".
void ShowPageSetup(wxWindow* parent);

}  // namespace corvia
