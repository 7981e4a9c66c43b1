// The window of the "Augmentation" dialog.

#include <wx/button.h>
#include <wx/checkbox.h>
#include <wx/choice.h>
#include <wx/control.h>
#include <wx/dcscreen.h>
#include <wx/radiobox.h>
#include <wx/sizer.h>
#include <wx/statbox.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>

#include <algorithm>
#include <cmath>

#include "construction/Augmentation.h"
#include "construction/LibraryHooks.h"
#include "core/Globals.h"
#include "dialogs/AugmentDlg.h"
#include "dialogs/DialogBase.h"
#include "dialogs/DialogWindows.h"
#include "model/Globals.h"
#include "model/LibraryEntry.h"
#include "model/Poly.h"
#include "platform/Services.h"

namespace corvia {

namespace detail_AugmentWindow {

// The radio choices in the order of their option bits.
const uint32_t kKinds[] = {kAugmentPyramid, kAugmentCupola,  kAugmentPrism, kAugmentAntiprism,
                           kAugmentMemory,  kAugmentBuiltIn, kAugmentFile};
const char* const kKindNames[] = {"Pyramid",         "Cupola",         "Prism",     "Antiprism",
                                  "Model in memory", "Built-in model", "Model file"};
constexpr int kNumKinds = 7;
// The widest a memory's line in the list of memories may be (in DIPs): about as wide
// as the window's other controls.
constexpr int kMemoryTextWidth = 360;

const char* const kPyramidHeights[] = {
    "Lateral edges as long as the face's edges, times the scale",
    "Equal edges (regular faces only)",
    "Height: the face's circumradius times the scale",
    "Height: twice the face's circumradius times the scale",
    "Apex on the model's circumsphere, times the scale",
    "Lateral edges of the scale in length units",
    "Height of the scale in length units",
};
const char* const kPrismHeights[] = {
    "Height: the mean edge length times the scale",
    "Height: the shortest edge times the scale",
    "Height: the longest edge times the scale",
    "Height: the scale in length units",
};
constexpr int kNumPyramidHeights = 7;
constexpr int kNumPrismHeights = 4;
constexpr uint32_t kHeightStep = 0x100;

const char* const kFaceChoices[] = {"The selected face only", "All faces of the same type",
                                    "All faces of the same shape and size", "All faces of the same shape"};
const uint32_t kFaceBits[] = {kAugmentSelectedFace, kAugmentSameType, kAugmentSameShapeAndSize, kAugmentSameShape};

const char* const kColourChoices[] = {"Colour by the colour scheme", "Keep the colours of both models",
                                      "New faces take the colour of the augmented face",
                                      "New faces in this colour:", "New faces in a colour the model does not use yet"};
const uint32_t kColourBits[] = {0, kAugmentKeepColours, kAugmentInheritColour, kAugmentGivenColour,
                                kAugmentUnusedColour};

const char* const kPreviewChoices[] = {"Solid", "Wire-frame", "Solid and wire-frame"};
const uint32_t kPreviewBits[] = {kAugmentPreviewSolid, kAugmentPreviewWireFrame,
                                 kAugmentPreviewSolid | kAugmentPreviewWireFrame};

constexpr int kNumMemorySlots = 9;

template <size_t N>
wxArrayString Strings(const char* const (&texts)[N]) {
  wxArrayString out;
  for (const char* text : texts) out.Add(wxString::FromUTF8(text));
  return out;
}

template <size_t N>
int IndexOf(const uint32_t (&bits)[N], uint32_t value) {
  for (size_t i = 0; i < N; ++i) {
    if (bits[i] == value) return static_cast<int>(i);
  }
  return 0;
}

class AugmentWindow : public CorviaDialog {
 public:
  explicit AugmentWindow(AugmentDlg& values)
      : CorviaDialog(nullptr, "Augmentation", AugmentDlg::kName), mValues(values) {
    auto* columns = new wxBoxSizer(wxHORIZONTAL);
    auto* left = new wxBoxSizer(wxVERTICAL);
    auto* right = new wxBoxSizer(wxVERTICAL);
    columns->Add(left, 1, wxEXPAND | wxRIGHT, FromDIP(10));
    columns->Add(right, 1, wxEXPAND);

    mKind = new wxRadioBox(this, wxID_ANY, "Add", wxDefaultPosition, wxDefaultSize, Strings(kKindNames), 1,
                           wxRA_SPECIFY_COLS, wxDefaultValidator, "kind");
    mKind->Bind(wxEVT_RADIOBOX, [this](wxCommandEvent&) { KindChanged(); });
    left->Add(mKind, 0, wxEXPAND | wxBOTTOM, FromDIP(6));

    auto* heightBox = new wxStaticBoxSizer(wxVERTICAL, this, "Height");
    mHeight = new wxChoice(heightBox->GetStaticBox(), wxID_ANY, wxDefaultPosition, wxDefaultSize, 0, nullptr, 0,
                           wxDefaultValidator, "heightMode");
    mHeight->Bind(wxEVT_CHOICE, [this](wxCommandEvent&) { mHeightMode = std::max(0, mHeight->GetSelection()); });
    heightBox->Add(mHeight, 0, wxEXPAND | wxBOTTOM, FromDIP(4));
    auto* scaleRow = new wxBoxSizer(wxHORIZONTAL);
    scaleRow->Add(new wxStaticText(heightBox->GetStaticBox(), wxID_ANY, "Scale:"), 0, wxALIGN_CENTER_VERTICAL | wxRIGHT,
                  FromDIP(6));
    mScale = new wxTextCtrl(heightBox->GetStaticBox(), wxID_ANY, "", wxDefaultPosition, wxDefaultSize, 0,
                            wxDefaultValidator, "scale");
    scaleRow->Add(mScale, 1);
    heightBox->Add(scaleRow, 0, wxEXPAND | wxBOTTOM, FromDIP(4));
    mCrossed = new wxCheckBox(heightBox->GetStaticBox(), wxID_ANY, "Crossed antiprism", wxDefaultPosition,
                              wxDefaultSize, 0, wxDefaultValidator, "crossed");
    heightBox->Add(mCrossed);
    left->Add(heightBox, 0, wxEXPAND | wxBOTTOM, FromDIP(6));

    auto* modelBox = new wxStaticBoxSizer(wxVERTICAL, this, "Model to add");
    wxWindow* box = modelBox->GetStaticBox();
    mMemory =
        new wxChoice(box, wxID_ANY, wxDefaultPosition, wxDefaultSize, 0, nullptr, 0, wxDefaultValidator, "memorySlot");
    for (int slot = 0; slot < kNumMemorySlots; ++slot) mMemory->Append(MemorySlotText(slot));
    modelBox->Add(mMemory, 0, wxEXPAND | wxBOTTOM, FromDIP(4));
    auto* entryRow = new wxBoxSizer(wxHORIZONTAL);
    mEntryName = new wxStaticText(box, wxID_ANY, "", wxDefaultPosition, wxDefaultSize,
                                  wxST_ELLIPSIZE_END | wxST_NO_AUTORESIZE, "entryName");
    entryRow->Add(mEntryName, 1, wxALIGN_CENTER_VERTICAL | wxRIGHT, FromDIP(6));
    mChooseEntry = new wxButton(box, wxID_ANY, "Library...", wxDefaultPosition, wxDefaultSize, 0, wxDefaultValidator,
                                "chooseEntry");
    mChooseEntry->Bind(wxEVT_BUTTON, [this](wxCommandEvent&) { ChooseEntry(); });
    entryRow->Add(mChooseEntry);
    modelBox->Add(entryRow, 0, wxEXPAND | wxBOTTOM, FromDIP(4));
    auto* fileRow = new wxBoxSizer(wxHORIZONTAL);
    mFile = new wxTextCtrl(box, wxID_ANY, "", wxDefaultPosition, wxDefaultSize, 0, wxDefaultValidator, "filePath");
    fileRow->Add(mFile, 1, wxRIGHT, FromDIP(6));
    mBrowse =
        new wxButton(box, wxID_ANY, "Browse...", wxDefaultPosition, wxDefaultSize, 0, wxDefaultValidator, "browse");
    mBrowse->Bind(wxEVT_BUTTON, [this](wxCommandEvent&) { BrowseFile(); });
    fileRow->Add(mBrowse);
    modelBox->Add(fileRow, 0, wxEXPAND | wxBOTTOM, FromDIP(4));
    mUseDual = new wxCheckBox(box, wxID_ANY, "Use its dual", wxDefaultPosition, wxDefaultSize, 0, wxDefaultValidator,
                              "useDual");
    modelBox->Add(mUseDual);
    left->Add(modelBox, 0, wxEXPAND);

    mFaces = new wxRadioBox(this, wxID_ANY, "Faces to augment", wxDefaultPosition, wxDefaultSize, Strings(kFaceChoices),
                            1, wxRA_SPECIFY_COLS, wxDefaultValidator, "faces");
    right->Add(mFaces, 0, wxEXPAND | wxBOTTOM, FromDIP(6));
    mSameColour = new wxCheckBox(this, wxID_ANY, "Only faces of the selected face's colour", wxDefaultPosition,
                                 wxDefaultSize, 0, wxDefaultValidator, "sameColour");
    right->Add(mSameColour, 0, wxBOTTOM, FromDIP(4));
    mExcavate = new wxCheckBox(this, wxID_ANY, "Excavate (inwards)", wxDefaultPosition, wxDefaultSize, 0,
                               wxDefaultValidator, "excavate");
    right->Add(mExcavate, 0, wxBOTTOM, FromDIP(6));
    mColours = new wxRadioBox(this, wxID_ANY, "Colours", wxDefaultPosition, wxDefaultSize, Strings(kColourChoices), 1,
                              wxRA_SPECIFY_COLS, wxDefaultValidator, "colours");
    right->Add(mColours, 0, wxEXPAND | wxBOTTOM, FromDIP(4));
    mColourButton = new wxButton(this, wxID_ANY, "Colour...", wxDefaultPosition, wxDefaultSize, 0, wxDefaultValidator,
                                 "colourButton");
    mColourButton->Bind(wxEVT_BUTTON, [this](wxCommandEvent&) { ChooseColour(); });
    right->Add(mColourButton, 0, wxBOTTOM, FromDIP(6));
    auto* previewRow = new wxBoxSizer(wxHORIZONTAL);
    previewRow->Add(new wxStaticText(this, wxID_ANY, "Preview:"), 0, wxALIGN_CENTER_VERTICAL | wxRIGHT, FromDIP(6));
    mPreview = new wxChoice(this, wxID_ANY, wxDefaultPosition, wxDefaultSize, Strings(kPreviewChoices), 0,
                            wxDefaultValidator, "previewStyle");
    previewRow->Add(mPreview, 1);
    right->Add(previewRow, 0, wxEXPAND | wxBOTTOM, FromDIP(4));
    mAlwaysPreview = new wxCheckBox(this, wxID_ANY, "Always show a preview", wxDefaultPosition, wxDefaultSize, 0,
                                    wxDefaultValidator, "alwaysPreview");
    right->Add(mAlwaysPreview, 0, wxBOTTOM, FromDIP(4));
    mKeepCoincident = new wxCheckBox(this, wxID_ANY, "Keep coincident faces", wxDefaultPosition, wxDefaultSize, 0,
                                     wxDefaultValidator, "keepCoincident");
    right->Add(mKeepCoincident);
    // Sized with its longest texts in place, so that nothing is cut when they come.
    for (const char* text : kPyramidHeights) mHeight->Append(wxString::FromUTF8(text));
    mHeight->SetSelection(0);
    mEntryName->SetLabel("(no model chosen)");
    // The chosen model's name takes the room the row has and ends in an ellipsis when
    // it is longer: a long name does not widen the window.
    mEntryName->SetMinSize(wxSize(mEntryName->GetTextExtent(mEntryName->GetLabel()).x, -1));
    FinishLayout(columns);
  }

  bool TransferDataToWindow() override {
    const uint32_t options = mValues.mOptions;
    int kind = 0;
    for (int i = 0; i < kNumKinds; ++i) {
      if (options & kKinds[i]) {
        kind = i;
        break;
      }
    }
    mKind->SetSelection(kind);
    mHeightMode = static_cast<int>((options & kAugmentHeightMask) / kHeightStep);
    mScale->SetValue(FormatFieldNumber(mValues.mScale));
    mCrossed->SetValue(options & kAugmentCrossedAntiprism);
    mMemory->SetSelection(mValues.mMemorySlot >= 0 && mValues.mMemorySlot < kNumMemorySlots ? mValues.mMemorySlot : 0);
    mEntry = mValues.mEntry;
    mEntryIsDual = mValues.mEntryIsDual;
    ShowEntry();
    mFile->SetValue(wxString::FromUTF8(mValues.mFilePath));
    mUseDual->SetValue(options & kAugmentUseDual);
    mFaces->SetSelection(IndexOf(kFaceBits, options & kAugmentFacesMask));
    mSameColour->SetValue(options & kAugmentSameColourOnly);
    mExcavate->SetValue(options & kAugmentExcavate);
    mColours->SetSelection(IndexOf(kColourBits, options & kAugmentColourMask));
    mColour = mValues.mNewFaceColour;
    const uint32_t preview = options & (kAugmentPreviewSolid | kAugmentPreviewWireFrame);
    mPreview->SetSelection(preview ? IndexOf(kPreviewBits, preview) : 0);
    mAlwaysPreview->SetValue(options & kAugmentAlwaysPreview);
    mKeepCoincident->SetValue(options & kAugmentKeepCoincident);
    KindChanged();
    return true;
  }

  bool TransferDataFromWindow() override {
    const int kind = mKind->GetSelection();
    const uint32_t kindBit = kKinds[kind >= 0 && kind < kNumKinds ? kind : 0];
    double scale = 1.0;
    if (!(kindBit & kAugmentModelMask)) {
      if (!ReadReal(mScale, scale)) return false;
      if (scale == 0.0) {
        mScale->SetFocus();
        return RefuseField("The scale must not be 0.");
      }
    }
    const int slot = mMemory->GetSelection();
    std::string path = mFile->GetValue().utf8_string();
    if (kindBit == kAugmentMemory) {
      if (slot < 0 || !mValues.GetMemoryModel(slot)) {
        return RefuseField("Memory %d is empty: choose a memory that holds a model.", slot + 1);
      }
    } else if (kindBit == kAugmentBuiltIn && !mEntry) {
      return RefuseField("Please choose the model to add from the library.");
    } else if (kindBit == kAugmentFile && path.empty()) {
      mFile->SetFocus();
      return RefuseField("Please name the model file to add.");
    }
    uint32_t options = kindBit;
    if (kindBit == kAugmentPyramid || kindBit == kAugmentPrism) {
      options |= static_cast<uint32_t>(std::max(0, mHeight->GetSelection())) * kHeightStep;
    }
    if (mCrossed->GetValue()) options |= kAugmentCrossedAntiprism;
    if (mUseDual->GetValue()) options |= kAugmentUseDual;
    options |= kFaceBits[std::max(0, mFaces->GetSelection())];
    if (mExcavate->GetValue()) options |= kAugmentExcavate;
    options |= kColourBits[std::max(0, mColours->GetSelection())];
    if (mSameColour->GetValue()) options |= kAugmentSameColourOnly;
    if (mAlwaysPreview->GetValue()) options |= kAugmentAlwaysPreview;
    options |= kPreviewBits[std::max(0, mPreview->GetSelection())];
    if (mKeepCoincident->GetValue()) options |= kAugmentKeepCoincident;
    mValues.mOptions = options;
    mValues.mScale = scale;
    mValues.mMemorySlot = slot < 0 ? 0 : slot;
    mValues.mEntry = mEntry;
    mValues.mEntryIsDual = mEntryIsDual;
    mValues.mFilePath = path;
    mValues.mNewFaceColour = mColour;
    return true;
  }

 private:
  // A memory as its list names it. A long model name is cut short (ending in an
  // ellipsis), so that the list keeps a width that leaves the window narrower than the
  // screen: a window wider than the screen is laid out at the screen's width, which
  // squeezes the other column's controls below their own size.
  wxString MemorySlotText(int slot) const {
    MemorySlotInfo info;
    if (!DescribeMemoryModel(mValues.GetMemoryModel(slot), &info))
      return wxString::Format("Memory %d: empty", slot + 1);
    const wxString head = wxString::Format("Memory %d: ", slot + 1);
    const wxString counts = wxString::Format(" (%d faces, %d vertices)", info.numFaces, info.numVertices);
    const wxString name = info.name && *info.name ? wxString::FromUTF8(info.name) : wxString("unnamed");
    wxScreenDC dc;
    dc.SetFont(mMemory->GetFont());
    const int room = FromDIP(detail_AugmentWindow::kMemoryTextWidth) - dc.GetTextExtent(head + counts).x;
    return head + wxControl::Ellipsize(name, dc, wxELLIPSIZE_END, std::max(room, FromDIP(40))) + counts;
  }

  void KindChanged() {
    const int kind = mKind->GetSelection();
    const uint32_t kindBit = kKinds[kind >= 0 && kind < kNumKinds ? kind : 0];
    // The height modes of the kind; a mode the kind has not falls back to the first.
    mHeight->Clear();
    if (kindBit == kAugmentPyramid) {
      for (const char* text : kPyramidHeights) mHeight->Append(wxString::FromUTF8(text));
      mHeight->SetSelection(mHeightMode < kNumPyramidHeights ? mHeightMode : 0);
    } else if (kindBit == kAugmentPrism) {
      for (const char* text : kPrismHeights) mHeight->Append(wxString::FromUTF8(text));
      mHeight->SetSelection(mHeightMode < kNumPrismHeights ? mHeightMode : 0);
    }
    mHeight->Enable(kindBit == kAugmentPyramid || kindBit == kAugmentPrism);
    mScale->Enable(!(kindBit & kAugmentModelMask));
    mCrossed->Enable(kindBit == kAugmentAntiprism);
    mMemory->Enable(kindBit == kAugmentMemory);
    mChooseEntry->Enable(kindBit == kAugmentBuiltIn);
    mFile->Enable(kindBit == kAugmentFile);
    mBrowse->Enable(kindBit == kAugmentFile);
    mUseDual->Enable(kindBit == kAugmentBuiltIn || kindBit == kAugmentFile);
  }

  void ShowEntry() {
    if (!mEntry) {
      mEntryName->SetLabel("(no model chosen)");
    } else {
      const std::string name = mEntryIsDual ? mEntry->GetDualName() : std::string(mEntry->mName ? mEntry->mName : "");
      mEntryName->SetLabelText(wxString::FromUTF8(name));
    }
    Layout();
  }

  void ChooseEntry() {
    bool dual = false;
    if (LibraryEntry* entry = RunPolyhedraDialog(&dual)) {
      mEntry = entry;
      mEntryIsDual = dual;
      ShowEntry();
    }
  }

  void BrowseFile() {
    platform::FileDialogRequest request;
    request.title = "Model file to add";
    request.filter = "Model files (*.corv)|*.corv|All files (*.*)|*";
    request.mustExist = true;
    const platform::FileDialogReply reply = platform::Services().fileDialogs->RunFileDialog(request);
    if (reply.ok) mFile->SetValue(wxString::FromUTF8(reply.path));
  }

  void ChooseColour() {
    float rgb[3] = {(mColour & 0xFF) / 255.0f, ((mColour >> 8) & 0xFF) / 255.0f, ((mColour >> 16) & 0xFF) / 255.0f};
    if (!ChooseColorDialog(rgb)) return;
    auto byte = [](float c) { return static_cast<uint32_t>(std::lround(std::clamp(c, 0.0f, 1.0f) * 255.0f)); };
    mColour = byte(rgb[0]) | (byte(rgb[1]) << 8) | (byte(rgb[2]) << 16);
    mColours->SetSelection(IndexOf(kColourBits, kAugmentGivenColour));
  }

  AugmentDlg& mValues;
  wxRadioBox* mKind;
  wxChoice* mHeight;
  wxTextCtrl* mScale;
  wxCheckBox* mCrossed;
  wxChoice* mMemory;
  wxStaticText* mEntryName;
  wxButton* mChooseEntry;
  wxTextCtrl* mFile;
  wxButton* mBrowse;
  wxCheckBox* mUseDual;
  wxRadioBox* mFaces;
  wxCheckBox* mSameColour;
  wxCheckBox* mExcavate;
  wxRadioBox* mColours;
  wxButton* mColourButton;
  wxChoice* mPreview;
  wxCheckBox* mAlwaysPreview;
  wxCheckBox* mKeepCoincident;
  int mHeightMode = 0;
  LibraryEntry* mEntry = nullptr;
  bool mEntryIsDual = false;
  uint32_t mColour = 0;
};

}  // namespace detail_AugmentWindow

bool RunAugmentWindow(AugmentDlg& values) {
  return RunWindowOnCopy<detail_AugmentWindow::AugmentWindow>(values);
}

}  // namespace corvia
