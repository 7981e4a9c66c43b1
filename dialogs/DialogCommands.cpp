#include "dialogs/DialogCommands.h"

#include "dialogs/FontOptionsDlg.h"
#include "dialogs/SelectByIndex.h"
#include "dialogs/SphereCylinderDialog.h"
#include "model/Globals.h"
#include "render/ModelDrawSettings.h"
#include "ui/CommandTable.h"
#include "ui/TransitionsDlg.h"

namespace corvia {

namespace detail_DialogCommands {

constexpr int kCmdTextOptions = 33458;
constexpr int kCmdTransitionOptions = 33497;
constexpr int kCmdSpheresAndCylinders = 33157;
constexpr int kCmdSelectFaceByIndex = 32930;
constexpr int kCmdSelectEdgeByIndex = 33442;
constexpr int kCmdSelectVertexByIndex = 33136;

struct IndexCommand {
  int id;
  IndexedElement kind;
};
constexpr IndexCommand kIndexCommands[] = {
    {kCmdSelectFaceByIndex, IndexedElement::Face},
    {kCmdSelectEdgeByIndex, IndexedElement::Edge},
    {kCmdSelectVertexByIndex, IndexedElement::Vertex},
};

}  // namespace detail_DialogCommands

DialogCommands::DialogCommands() {
  using namespace detail_DialogCommands;
  Bind(
      wxEVT_MENU, [](wxCommandEvent&) { FontOptionsDlg().DoModal(); }, ToWxId(kCmdTextOptions));
  // From the menu the dialog keeps the occasions selected when it was last open.
  Bind(
      wxEVT_MENU, [](wxCommandEvent&) { ShowTransitionsDialog(-1); }, ToWxId(kCmdTransitionOptions));
  // The dialog holds the switch; the item's mark shows it.
  Bind(
      wxEVT_MENU, [](wxCommandEvent&) { ShowSphereCylinderOptions(); }, ToWxId(kCmdSpheresAndCylinders));
  Bind(
      wxEVT_UPDATE_UI, [](wxUpdateUIEvent& event) { event.Check(GetModelDrawSettings().spheresAndCylinders); },
      ToWxId(kCmdSpheresAndCylinders));
  for (const IndexCommand& command : kIndexCommands) {
    const IndexedElement kind = command.kind;
    Bind(
        wxEVT_MENU, [kind](wxCommandEvent&) { SelectElementByIndex(kind); }, ToWxId(command.id));
    // There is nothing to number without a model.
    Bind(
        wxEVT_UPDATE_UI, [](wxUpdateUIEvent& event) { event.Enable(GetCurrentPoly() != nullptr); }, ToWxId(command.id));
  }
}

void DialogCommands::MarkAvailable(bool available) {
  using namespace detail_DialogCommands;
  SetCommandAvailable(kCmdTextOptions, available);
  SetCommandAvailable(kCmdTransitionOptions, available);
  SetCommandAvailable(kCmdSpheresAndCylinders, available);
  for (const IndexCommand& command : kIndexCommands) SetCommandAvailable(command.id, available);
}

}  // namespace corvia
