// The command target of the model, display, image, section, view and option commands.

#include "app/MenuCommands.h"

#include <wx/event.h>
#include <wx/frame.h>

#include <cmath>
#include <cstdio>
#include <memory>

#include "app/Settings.h"
#include "core/Equation.h"
#include "core/Messages.h"
#include "render/NewView.h"
#include "stellation/StellationCell.h"
#include "ui/CommandTable.h"
#include "ui/NewFrame.h"

namespace corvia {

namespace detail_MenuCommands {

// Whole numbers asked for stay within what an int holds.
constexpr double kLargestWholeNumber = 2147483647.0;

class MenuCommandTarget final : public wxEvtHandler {
 public:
  MenuCommandTarget() {
    for (const auto* list : {&GetModelMenuCommands(), &GetDisplayMenuCommands()}) {
      for (const MenuCommand& command : *list) {
        const int id = command.id;
        Bind(wxEVT_MENU, [id](wxCommandEvent&) { RunMenuCommand(id); }, ToWxId(id));
        Bind(
            wxEVT_UPDATE_UI,
            [id](wxUpdateUIEvent& event) {
              const MenuItemState state = UpdateMenuCommand(id);
              event.Enable(state.enabled);
              if (state.check >= 0) event.Check(state.check != 0);
              if (!state.text.empty()) event.SetText(wxString::FromUTF8(state.text));
            },
            ToWxId(id));
      }
    }
  }
};

std::unique_ptr<MenuCommandTarget> gTarget;
NewFrame* gFrame = nullptr;

// Asks until a number that the test accepts is typed; false on Cancel.
template <typename Accept>
bool AskNumber(const char* prompt, double start, Accept accept) {
  char buffer[80];
  std::snprintf(buffer, sizeof buffer, "%.10g", start);
  while (AskText(prompt, buffer, sizeof buffer, 0)) {
    if (!IsValidEquation(buffer, true)) continue;
    if (accept(EvaluateEquation(buffer, false), buffer)) return true;
  }
  return false;
}

void MarkAvailable(bool available) {
  for (const auto* list : {&GetModelMenuCommands(), &GetDisplayMenuCommands()}) {
    for (const MenuCommand& command : *list) SetCommandAvailable(command.id, available);
  }
}

}  // namespace detail_MenuCommands

const MenuCommand* FindMenuCommand(int id) {
  for (const auto* list : {&GetModelMenuCommands(), &GetDisplayMenuCommands()}) {
    for (const MenuCommand& command : *list) {
      if (command.id == id) return &command;
    }
  }
  return nullptr;
}

MenuItemState UpdateMenuCommand(int id) {
  MenuItemState state;
  const MenuCommand* command = FindMenuCommand(id);
  if (!command) {
    state.enabled = false;
  } else if (command->update) {
    command->update(state);
  }
  return state;
}

bool RunMenuCommand(int id) {
  const MenuCommand* command = FindMenuCommand(id);
  if (!command || !command->run || !UpdateMenuCommand(id).enabled) return false;
  command->run();
  return true;
}

void ConnectMenuCommands(wxFrame* frame) {
  using namespace detail_MenuCommands;
  DisconnectMenuCommands();
  gFrame = dynamic_cast<NewFrame*>(frame);
  if (!gFrame) return;
  gTarget = std::make_unique<MenuCommandTarget>();
  gFrame->AddCommandTarget(gTarget.get());
  MarkAvailable(true);
  // The stellation's switch starts as the settings left it.
  AutoFrameStellation = GetAppSettings().autoFrameStellation;
}

void DisconnectMenuCommands() {
  using namespace detail_MenuCommands;
  if (gFrame && gTarget && GetMainFrame() == gFrame) gFrame->RemoveCommandTarget(gTarget.get());
  if (gTarget) MarkAvailable(false);
  gTarget.reset();
  gFrame = nullptr;
}

namespace menu_commands {

void RedrawPanes() { RedrawAllViews(false, false); }

bool AskWholeNumber(const char* prompt, int& value) {
  return detail_MenuCommands::AskNumber(prompt, value, [&value](double typed, const char* text) {
    typed = std::round(typed);
    if (!std::isfinite(typed) || std::fabs(typed) > detail_MenuCommands::kLargestWholeNumber) {
      ShowError("%s is too large a number.", text);
      return false;
    }
    value = static_cast<int>(typed);
    return true;
  });
}

bool AskPositiveNumber(const char* prompt, double& value) {
  return detail_MenuCommands::AskNumber(prompt, value, [&value](double typed, const char* text) {
    if (!std::isfinite(typed) || typed <= 0.0) {
      ShowError("%s is not more than 0.", text);
      return false;
    }
    value = typed;
    return true;
  });
}

}  // namespace menu_commands

}  // namespace corvia
