// The command target that joins the document's selection, colour, display and option
// commands to the main window, and what their handlers share.

#include "app/DocCommands.h"

#include <wx/event.h>
#include <wx/frame.h>
#include <wx/textentry.h>
#include <wx/window.h>

#include <cmath>
#include <cstdio>
#include <memory>

#include "app/PolyDoc.h"
#include "core/Equation.h"
#include "core/Messages.h"
#include "ui/Prompts.h"
#include "render/NewView.h"
#include "ui/CommandTable.h"
#include "ui/MainFrame.h"
#include "ui/NewFrame.h"

namespace corvia {

namespace detail_DocCommands {

// Every command of both groups is bound to one handler of each kind.
class DocCommandTarget final : public wxEvtHandler {
 public:
  DocCommandTarget() {
    for (const auto* group : GetDocCommandGroups()) {
      for (const DocCommand& command : *group) {
        const int id = ToWxId(command.id);
        Bind(wxEVT_MENU, [id = command.id](wxCommandEvent&) { RunDocCommand(id); }, id);
        Bind(wxEVT_UPDATE_UI, [id = command.id, words = command.words](wxUpdateUIEvent& event) {
          const CommandUi ui = UpdateDocCommand(id);
          event.Enable(ui.enabled);
          if (ui.check >= 0) event.Check(ui.check != 0);
          if (!ui.text.empty()) {
            event.SetText(wxString::FromUTF8(ui.text));
          } else if (words == ElementWords::kCell) {
            UpdateCmdTextForCells(event);
          } else if (words != ElementWords::kNone) {
            UpdateCmdTextForDual(event, words == ElementWords::kEdgeOrVertex);
          }
        }, id);
      }
    }
  }
};

std::unique_ptr<DocCommandTarget> gTarget;
NewFrame* gFrame = nullptr;

// "Display > 3D Stereo Display > Don't Display in Stereo", whose key Esc is also that of
// "Selection > Mouse Selection Mode > Select Faces/Vertices".
constexpr int kCmdNoStereo = 32804;

// Esc leaves stereo while a pane shows it, wherever the keyboard is but in a text
// being typed; otherwise it goes on to the selecting mode, its menu item's key.
void OnCharHook(wxKeyEvent& event) {
  event.Skip();
  if (event.GetKeyCode() != WXK_ESCAPE || event.HasAnyModifiers()) return;
  if (dynamic_cast<wxTextEntry*>(wxWindow::FindFocus())) return;
  const CommandUi stereo = UpdateDocCommand(kCmdNoStereo);
  if (!stereo.enabled || stereo.check != 0) return;
  event.Skip(false);
  RunDocCommand(kCmdNoStereo);
}

void MarkAvailable(bool available) {
  for (const auto* group : GetDocCommandGroups())
    for (const DocCommand& command : *group) SetCommandAvailable(command.id, available);
}

}  // namespace detail_DocCommands

const std::vector<const std::vector<DocCommand>*>& GetDocCommandGroups() {
  static const std::vector<const std::vector<DocCommand>*> groups = {
      &GetColorDisplayCommands(), &GetOptionCommands(),      &GetStellationCommands(),
      &GetBrowseTextCommands(),   &GetModelMenuCommands(),   &GetDisplayMenuCommands(),
      &GetCompoundMenuCommands()};
  return groups;
}

const DocCommand* FindDocCommand(int id) {
  for (const auto* group : GetDocCommandGroups())
    for (const DocCommand& command : *group)
      if (command.id == id) return &command;
  return nullptr;
}

CommandUi UpdateDocCommand(int id) {
  CommandUi ui;
  const DocCommand* command = FindDocCommand(id);
  if (!command) {
    ui.enabled = false;
    return ui;
  }
  if (command->update) command->update(ui);
  return ui;
}

bool RunDocCommand(int id) {
  const DocCommand* command = FindDocCommand(id);
  if (!command || !UpdateDocCommand(id).enabled) return false;
  command->run();
  return true;
}

void ConnectDocCommands(wxFrame* frame) {
  using namespace detail_DocCommands;
  DisconnectDocCommands();
  MarkAvailable(true);
  gFrame = dynamic_cast<NewFrame*>(frame);
  if (!gFrame) return;
  gTarget = std::make_unique<DocCommandTarget>();
  gFrame->AddCommandTarget(gTarget.get());
  gFrame->Bind(wxEVT_CHAR_HOOK, OnCharHook);
}

void DisconnectDocCommands() {
  using namespace detail_DocCommands;
  if (gFrame && gTarget && GetMainFrame() == gFrame) {
    gFrame->RemoveCommandTarget(gTarget.get());
    gFrame->Unbind(wxEVT_CHAR_HOOK, OnCharHook);
  }
  gTarget.reset();
  gFrame = nullptr;
  MarkAvailable(false);
}

namespace doc_commands {

Poly* CurrentPoly() {
  CPolyDoc* document = GetDocument();
  return document ? document->GetCurrentPoly() : nullptr;
}

void Redraw() { RedrawAllViews(false, false); }

bool AskPositiveNumber(const char* prompt, double& value) {
  double typed = value;
  while (AskReal(prompt, typed, 0)) {
    if (typed > 0.0) {
      value = typed;
      return true;
    }
    ShowError("\"%g\" is not more than 0.", typed);
  }
  return false;
}

}  // namespace doc_commands

}  // namespace corvia
