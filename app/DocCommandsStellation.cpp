// The stellation criteria and options of the Stellation and Options menus.

#include <vector>

#include "app/DocCommands.h"
#include "platform/Services.h"
#include "stellation/StellationCell.h"
#include "symmetry/SymOperations.h"

namespace corvia {

namespace detail_DocCommandsStellation {

using doc_commands::Mark;

constexpr int kUndoStellationOption = 32;

void ToggleMaintainReflexibility() {
  platform::Services().undo->AddUndo(kUndoStellationOption, 0);
  ToggleStellationOptions(kStellationMaintainReflexibility);
  doc_commands::Redraw();
}

#define CRITERIA(id, n) \
  {id, [] { SetStellationCriteria(n); }, [](CommandUi& ui) { Mark(ui, StellationCriteria == (n)); }}

std::vector<DocCommand> MakeTable() {
  return {
      CRITERIA(32817, 0),
      CRITERIA(32855, 1),
      CRITERIA(32856, 2),
      CRITERIA(32818, 3),
      CRITERIA(32819, 4),
      {32862, [] { ToggleStellationOptions(kStellationFullSupportAroundCore); },
       [](CommandUi& ui) { Mark(ui, (StellationOptions & kStellationFullSupportAroundCore) != 0); }},
      {33009, ToggleMaintainReflexibility,
       [](CommandUi& ui) { Mark(ui, (StellationOptions & kStellationMaintainReflexibility) != 0); }},
  };
}

#undef CRITERIA

}  // namespace detail_DocCommandsStellation

const std::vector<DocCommand>& GetStellationCommands() {
  static const std::vector<DocCommand> table = detail_DocCommandsStellation::MakeTable();
  return table;
}

}  // namespace corvia
