#include "platform/wx/WxMessages.h"

#include <wx/app.h>
#include <wx/button.h>
#include <wx/checkbox.h>
#include <wx/dialog.h>
#include <wx/msgdlg.h>
#include <wx/richmsgdlg.h>
#include <wx/sizer.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>
#include <wx/window.h>

#include "platform/wx/WxPromptMarkup.h"

namespace corvia::platform {

namespace {

wxWindow* BoxOwner() {
  if (wxWindow* active = wxGetActiveWindow()) return active;
  if (wxTheApp) return wxTheApp->GetTopWindow();
  return nullptr;
}

long IconStyle(BoxIcon icon) {
  switch (icon) {
    case BoxIcon::Error: return wxICON_ERROR;
    case BoxIcon::Warning: return wxICON_WARNING;
    case BoxIcon::Information: return wxICON_INFORMATION;
    case BoxIcon::Question: return wxICON_QUESTION;
    case BoxIcon::None: return wxICON_NONE;
  }
  return wxICON_NONE;
}

// A box with buttons of any captions: the result is the index of the one chosen.
int ShowCustomBox(wxWindow* owner, const MessageBoxRequest& request, bool* ticked) {
  wxDialog dialog(owner, wxID_ANY, wxString::FromUTF8(request.title));
  auto* column = new wxBoxSizer(wxVERTICAL);
  column->Add(new wxStaticText(&dialog, wxID_ANY, wxString::FromUTF8(request.text)), 1, wxALL | wxEXPAND, 12);
  wxCheckBox* check = nullptr;
  if (request.hasCheckBox) {
    check = new wxCheckBox(&dialog, wxID_ANY, wxString::FromUTF8(request.checkBoxText));
    check->SetValue(request.checkBoxInitial);
    column->Add(check, 0, wxLEFT | wxRIGHT | wxBOTTOM, 12);
  }
  auto* row = new wxBoxSizer(wxHORIZONTAL);
  const int firstId = wxID_HIGHEST + 1;
  wxButton* chosen = nullptr;
  for (size_t i = 0; i < request.captions.size(); ++i) {
    auto* button = new wxButton(&dialog, firstId + static_cast<int>(i), wxString::FromUTF8(request.captions[i]));
    button->Bind(wxEVT_BUTTON, [&dialog](wxCommandEvent& event) { dialog.EndModal(event.GetId()); });
    if (static_cast<int>(i) == request.defaultButton) {
      button->SetDefault();
      chosen = button;
    }
    row->Add(button, 0, wxALL, 4);
  }
  // Enter presses the button that has the keys: the default one has them first.
  if (chosen) dialog.Bind(wxEVT_INIT_DIALOG, [chosen](wxInitDialogEvent& event) {
    chosen->SetFocus();
    event.Skip();
  });
  column->Add(row, 0, wxALIGN_RIGHT | wxALL, 8);
  // Escape and the close button press the button that changes nothing.
  dialog.SetEscapeId(firstId + DismissedResult(request));
  dialog.SetSizerAndFit(column);
  dialog.CentreOnParent();
  int id = dialog.ShowModal();
  if (check && ticked) *ticked = check->GetValue();
  // A box ended by other means than its buttons was dismissed.
  const int index = id - firstId;
  return index >= 0 && index < static_cast<int>(request.captions.size()) ? index : DismissedResult(request);
}

// The toolkit's button of a classic box's result.
int WxIdOfResult(int result) {
  switch (result) {
    case kBoxYes: return wxID_YES;
    case kBoxNo: return wxID_NO;
    case kBoxCancel: return wxID_CANCEL;
    default: return wxID_OK;
  }
}

// A question for a text: the prompt above, its bold and italic parts shown as such,
// the text below it (several lines when asked), OK and Cancel.
bool AskTextInDialog(const std::string& title, const std::string& prompt, std::string& text, bool multiLine) {
  wxDialog dialog(BoxOwner(), wxID_ANY, wxString::FromUTF8(title), wxDefaultPosition, wxDefaultSize,
                  wxDEFAULT_DIALOG_STYLE | (multiLine ? wxRESIZE_BORDER : 0));
  auto* column = new wxBoxSizer(wxVERTICAL);
  auto* label = new wxStaticText(&dialog, wxID_ANY, wxEmptyString);
  const wxString markup = wxString::FromUTF8(PromptToLabelMarkup(prompt));
  if (!label->SetLabelMarkup(markup)) {
    // Styles that do not pair up: the words without them.
    wxString plain = markup;
    for (const char* tag : {"<b>", "</b>", "<i>", "</i>"}) plain.Replace(tag, "");
    plain.Replace("&lt;", "<");
    plain.Replace("&gt;", ">");
    plain.Replace("&amp;", "&");
    label->SetLabelText(plain);
  }
  column->Add(label, 0, wxALL, 12);
  auto* entry = new wxTextCtrl(&dialog, wxID_ANY, wxString::FromUTF8(text), wxDefaultPosition,
                               multiLine ? dialog.FromDIP(wxSize(440, 120)) : wxDefaultSize,
                               multiLine ? wxTE_MULTILINE : 0);
  column->Add(entry, multiLine ? 1 : 0, wxLEFT | wxRIGHT | wxEXPAND, 12);
  if (wxSizer* buttons = dialog.CreateSeparatedButtonSizer(wxOK | wxCANCEL)) column->Add(buttons, 0, wxALL | wxEXPAND, 12);
  dialog.SetSizerAndFit(column);
  dialog.CentreOnParent();
  entry->SetFocus();
  entry->SelectAll();
  if (dialog.ShowModal() != wxID_OK) return false;
  text = entry->GetValue().utf8_string();
  return true;
}

}  // namespace

bool WxMessages::AskText(const std::string& title, const std::string& prompt, std::string& text) {
  return AskTextInDialog(title, prompt, text, false);
}

bool WxMessages::AskMultiLineText(const std::string& title, const std::string& prompt, std::string& text) {
  return AskTextInDialog(title, prompt, text, true);
}

MessageBoxReply WxMessages::ShowBox(const MessageBoxRequest& request) {
  MessageBoxReply reply;
  reply.checkBoxTicked = request.checkBoxInitial;
  wxWindow* owner = BoxOwner();
  if (request.buttons == BoxButtons::Custom || request.buttons == BoxButtons::RetryCancel ||
      request.buttons == BoxButtons::AbortRetryIgnore) {
    MessageBoxRequest custom = request;
    custom.buttons = BoxButtons::Custom;
    if (request.buttons == BoxButtons::RetryCancel) {
      custom.captions = {"Retry", "Cancel"};
      custom.cancelButton = 1;
    } else if (request.buttons == BoxButtons::AbortRetryIgnore) {
      custom.captions = {"Abort", "Retry", "Ignore"};
      custom.cancelButton = 0;
    }
    int index = ShowCustomBox(owner, custom, &reply.checkBoxTicked);
    if (request.buttons == BoxButtons::RetryCancel) {
      reply.result = index == 0 ? kBoxRetry : kBoxCancel;
    } else if (request.buttons == BoxButtons::AbortRetryIgnore) {
      reply.result = index == 0 ? kBoxAbort : index == 1 ? kBoxRetry : kBoxIgnore;
    } else {
      reply.result = index;
    }
  } else {
    long style = IconStyle(request.icon);
    switch (request.buttons) {
      case BoxButtons::Ok: style |= wxOK; break;
      case BoxButtons::OkCancel: style |= wxOK | wxCANCEL; break;
      case BoxButtons::YesNo: style |= wxYES_NO; break;
      case BoxButtons::YesNoCancel: style |= wxYES_NO | wxCANCEL; break;
      default: break;
    }
    if (request.defaultButton == 1 && (request.buttons == BoxButtons::YesNo || request.buttons == BoxButtons::YesNoCancel)) {
      style |= wxNO_DEFAULT;
    } else if (request.defaultButton == 1 && request.buttons == BoxButtons::OkCancel) {
      style |= wxCANCEL_DEFAULT;
    }
    wxRichMessageDialog dialog(owner, wxString::FromUTF8(request.text), wxString::FromUTF8(request.title), style);
    // Escape and the close button press the button that changes nothing; left to
    // itself the toolkit presses Yes in a box without Cancel.
    dialog.SetEscapeId(WxIdOfResult(DismissedResult(request)));
    if (request.hasCheckBox) dialog.ShowCheckBox(wxString::FromUTF8(request.checkBoxText), request.checkBoxInitial);
    int answer = dialog.ShowModal();
    if (request.hasCheckBox) reply.checkBoxTicked = dialog.IsCheckBoxChecked();
    switch (answer) {
      case wxID_YES: reply.result = kBoxYes; break;
      case wxID_NO: reply.result = kBoxNo; break;
      case wxID_CANCEL: reply.result = kBoxCancel; break;
      default: reply.result = kBoxOk; break;
    }
  }
  return reply;
}

}  // namespace corvia::platform
