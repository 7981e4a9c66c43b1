// The stellation criteria and options of the Stellation and Options menus.

#include <vector>

#include "app/DocCommands.h"
#include "platform/Services.h"
#include "stellation/StellationCell.h"
#include "stellation/StellationCriteria.h"
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

// The stellation shown is placed among those of the new criteria at once (the pane
// titles say where); a cancel of that search keeps the criteria as they were.
void ChooseCriteria(int32_t criteria) {
  const int32_t before = StellationCriteria;
  SetStellationCriteria(criteria);
  if (!doc_commands::StepShownStellation(StellationStep::kPlace)) SetStellationCriteria(before);
}

#define CRITERIA(id, n) \
  {id, [] { ChooseCriteria(n); }, [](CommandUi& ui) { Mark(ui, StellationCriteria == (n)); }}

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
