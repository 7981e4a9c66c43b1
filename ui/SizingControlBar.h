#pragma once
// The resizable docking bars (the information bar, the tour bar): panels that the
// frame's wxAUI manager docks on any side, floats in a small frame of their own,
// resizes by the inner edge and closes with the button of their caption. Each bar
// keeps its docked sizes (docked along a horizontal side, along a vertical side,
// floating) and saves them under "<profile>-SCBar-<id>".

#include <wx/panel.h>

#include <string>

class wxAuiManager;

namespace corvia {

// Bits of the sizing-bar style word.
constexpr unsigned kSizingEdgeLeft = 0x01;  // the edges that can be dragged
constexpr unsigned kSizingEdgeRight = 0x02;
constexpr unsigned kSizingEdgeTop = 0x04;
constexpr unsigned kSizingEdgeBottom = 0x08;
constexpr unsigned kSizingEdgeBits = 0x0F;
constexpr unsigned kSizingShowEdges = 0x10;
constexpr unsigned kSizingSizeChild = 0x20;  // the bar's one child fills it

class CSizingControlBar : public wxPanel {
 public:
  static constexpr int kDefaultSize = 200;
  static const wxSize kMinHorz;
  static const wxSize kMinVert;
  static const wxSize kMinFloat;

  CSizingControlBar() = default;
  // Makes the bar's window (hidden until the manager shows it); true on success. The
  // control id names the bar's saved sizes.
  bool Create(const char* title, wxWindow* parent, int controlId);
  int GetControlId() const { return mControlId; }

  const std::string& GetTitle() const { return mTitle; }
  void SetTitle(const std::string& title);
  unsigned GetSizingStyle() const { return mSizingStyle; }
  void SetSizingStyle(unsigned style) { mSizingStyle = style; }

  // The manager that docks the bar (set when the frame adds it).
  void SetManager(wxAuiManager* manager) { mManager = manager; }
  bool IsFloating() const;
  bool IsHorzDocked() const;
  bool IsVertDocked() const;

  wxSize GetHorzSize() const { return mSizeHorz; }
  wxSize GetVertSize() const { return mSizeVert; }
  wxSize GetFloatSize() const { return mSizeFloat; }
  // Takes the sizes the manager gives the bar now (for the way it is docked).
  void TakeSizesFromManager();
  // Gives the manager the kept sizes (the docked one for the side it is on, the
  // floating one); the caller updates the manager.
  void ApplySizesToManager();

  // The six sizes under "<profile>-SCBar-<id>"; loading raises each to its minimum.
  virtual void LoadState(const char* profileName);
  virtual void SaveState(const char* profileName);
  // LoadState or SaveState on every sizing bar the manager docks.
  static void GlobalLoadState(wxAuiManager& manager, const char* profileName);
  static void GlobalSaveState(wxAuiManager& manager, const char* profileName);

 protected:
  void OnSize(wxSizeEvent& event);

  std::string mTitle;
  int mControlId = 0;
  wxAuiManager* mManager = nullptr;
  wxSize mSizeHorz{kDefaultSize, kDefaultSize};
  wxSize mSizeVert{kDefaultSize, kDefaultSize};
  wxSize mSizeFloat{kDefaultSize, kDefaultSize};
  unsigned mSizingStyle = kSizingEdgeBits;
};

// A bar with a gripper and a close button: the manager's caption gives both.
class CSizingControlBarG : public CSizingControlBar {};

// A bar whose caption names it in a font of its own and shows whether the keyboard
// focus is inside it.
class CSizingControlBarCF : public CSizingControlBarG {
 public:
  CSizingControlBarCF();
  // "Tahoma" when the system has it, else "Arial".
  const std::string& GetCaptionFace() const { return mCaptionFace; }
  // Whether the focus was inside the bar at the last check.
  bool IsActive() const { return mActive; }
  // Checks where the focus is and repaints the caption when that changed.
  void UpdateActive();

 private:
  std::string mCaptionFace;
  bool mActive = false;
};

}  // namespace corvia
