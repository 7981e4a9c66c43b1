#pragma once
// The tour bar: a docking bar titled "Tour" listing the tour's events, one row each,
// edited in place (name, duration, fade time and type, layout inheritance), reordered
// by dragging, with a right-click menu for the duration of several events, the
// transition options, video export and deletion. Clicking a row makes its event
// current. The Tour menu's commands are handled here too.

#include <wx/accel.h>

#include <string>
#include <vector>

#include "ui/SizingControlBar.h"
#include "ui/controls/NewListCtrl.h"

namespace corvia {

class CTourBar;
class Tour;
class TourEvent;

// The list's control id, and the bar's.
constexpr int kTourListId = 1692;
// Commands of the right-click menu.
constexpr int kCmdTourSetDuration = 33517;
constexpr int kCmdTransitionOptions = 33497;
constexpr int kCmdTourInheritLayout = 33519;
constexpr int kCmdExportVideo = 33059;
// The number the bar's Export Video command carries (wxCommandEvent::GetInt) to tell
// the image export that a video of the tour is asked for.
constexpr int kExportTourVideo = 1;
constexpr int kCmdTourRemove = 33482;
// The Tour menu.
constexpr int kCmdTourAdd = 33479;
constexpr int kCmdTourReplace = 33483;
constexpr int kCmdTourNext = 33484;
constexpr int kCmdTourPrevious = 33485;
constexpr int kCmdTourPlay = 33480;
constexpr int kCmdTourShowList = 33486;

// The columns.
enum TourColumn { kTourColumnName, kTourColumnDuration, kTourColumnFade, kTourColumnFadeType, kTourColumnInherit };

class CTourListCtrl : public NewListCtrl {
 public:
  CTourListCtrl() = default;
  void SetBar(CTourBar* bar) { mBar = bar; }

  std::string GetCellText(int row, int column) override;
  bool CanDragItem(int row) override;
  void OnDropItem(EditableList* target, int sourceRow, int dropRow) override;
  bool EditCellCustom(int row, int column) override;

 private:
  CTourBar* mBar = nullptr;
};

class CTourBar : public CSizingControlBarCF, public ListEditOwner {
 public:
  static const wxSize kMinVertSize;

  CTourBar();
  ~CTourBar() override;
  // Makes the bar ("Tour") and, with Setup, its list.
  bool CreateBar(wxWindow* parent);
  void Setup();
  CTourListCtrl* GetList() const { return mList; }
  Tour& GetTour() const;

  // Rebuilds the rows from the tour's events.
  void RefreshList(bool keepSelection);
  // Selects and shows the current event's row.
  void SelectCurrentEvent(bool deselectOthers);
  // The rows selected, ascending.
  std::vector<int> GetSelectedRows() const;

  // The texts of an event's cells.
  static std::string CellText(const TourEvent& event, int column);

  // ListEditOwner: the edit of a cell.
  bool OnBeginLabelEdit(EditableList& list, int row, int column) override;
  void OnEndLabelEdit(EditableList& list, int row, int column, const char* text) override;

  // The right-click menu on a row (of the list's body), and its commands.
  void ShowContextMenu(const wxPoint& bodyPoint, bool shift, bool ctrl);
  void SetDurationOfSelected();
  void ToggleInheritLayout();
  // Whether every selected row's event inherits the layout (also with none selected).
  bool AllSelectedInheritLayout() const;

 private:
  void OnSelection(int row, int selected);
  void OnMenuCommand(wxCommandEvent& event);
  void OnUpdateMenuCommand(wxUpdateUIEvent& event);

  CTourListCtrl* mList = nullptr;
  wxAcceleratorTable mSavedKeys;
  bool mKeysSaved = false;
};

// The one tour bar (null while there is none).
CTourBar* GetTourBar();

// The Tour menu: a command target of the main window.
class TourCommands : public wxEvtHandler {
 public:
  explicit TourCommands(wxWindow* frame);

 private:
  void OnCommand(wxCommandEvent& event);
  void OnUpdate(wxUpdateUIEvent& event);
  wxWindow* mFrame;
};

}  // namespace corvia
