#pragma once
// The undo list's side of the document: a step keeps the current model as the model
// file keeps it (written to memory, compressed), with what the file leaves out: the
// sections kept from the file it came from, the side shown, the sub-symmetry, the cells
// of both stellations, the stellation options and the selected face or vertex; and,
// only while the operation that took it runs (for its way back), the elements' planes,
// poles and frames as they were to the last bit. Stellation steps change cells of the
// current model.

#include "app/UndoList.h"

namespace corvia {

class DocumentUndoModel final : public UndoModel {
 public:
  std::unique_ptr<UndoState> Capture(bool tell) override;
  bool Restore(const UndoState& state, const UndoState& current) override;
  bool PutBack(const UndoState& state) override;
  void KeepReplacedModels(bool keep) noexcept override;
  bool SetCells(bool dual, const std::vector<UndoCellChange>& changes, bool undo) override;
};

// The program's undo list (made on first use over the document's model); the program
// installs it as the undo hooks at start-up and clears it at close-down.
UndoList& GetUndoList();

}  // namespace corvia
