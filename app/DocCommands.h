#pragma once
// The document's commands of the Selection, Color and Display menus and the
// transparency, stereo, stellation, option and Nets items. Each command is a handler
// and an update handler that work without windows (the tests run them on a document
// whose panes are off screen); one command target joins them to the main window.

#include <string>
#include <vector>

class wxFrame;

namespace corvia {

class FaceTypeBlock;
class Poly;
enum class StellationStep;

// What an update handler says of its item: enabled or not, its mark (-1: the item
// carries none), and a new text when the item's text changes with the model.
struct CommandUi {
  bool enabled = true;
  int check = -1;
  std::string text;
};

// How an item's text follows the element the user works on: not at all, "face"
// becoming "edge" for a selected edge (and "vertex" for a selected vertex where the
// command acts on vertices), or "face" becoming "cell" for a polytope.
enum class ElementWords { kNone, kEdge, kEdgeOrVertex, kCell };

struct DocCommand {
  int id = 0;
  void (*run)() = nullptr;
  // Null: always enabled, no mark.
  void (*update)(CommandUi& ui) = nullptr;
  ElementWords words = ElementWords::kNone;
};

// The selection, colour and display commands (DocCommandsColor.cpp), the
// transparency, stereo, option and nets commands (DocCommandsOptions.cpp) and the
// stellation criteria and options (DocCommandsStellation.cpp).
const std::vector<DocCommand>& GetColorDisplayCommands();
const std::vector<DocCommand>& GetOptionCommands();
const std::vector<DocCommand>& GetStellationCommands();
// The browsing and edit commands of app/DocCommandsBrowseText.h (DocCommandsBrowse.cpp).
const std::vector<DocCommand>& GetBrowseTextCommands();
// The Poly menu's derived models, the Stellation menu's steps and display options and
// the Faceting menu (MenuCommandsModel.cpp); the display, image-fit, section, camera
// and option switches (MenuCommandsDisplay.cpp).
const std::vector<DocCommand>& GetModelMenuCommands();
const std::vector<DocCommand>& GetDisplayMenuCommands();
// The Poly menu's hull, core, zonohedron, Waterman polyhedron, compounds and model
// memories (MenuCommandsCompound.cpp).
const std::vector<DocCommand>& GetCompoundMenuCommands();
// Every group above.
const std::vector<const std::vector<DocCommand>*>& GetDocCommandGroups();

// The command of either group; null when it is neither's.
const DocCommand* FindDocCommand(int id);
// The item's state as its update handler gives it.
CommandUi UpdateDocCommand(int id);
// Runs the command when its item is enabled; false when it did not run.
bool RunDocCommand(int id);

// Marks the commands as built (or not) and joins them to the main window, or takes
// them off it again.
void ConnectDocCommands(wxFrame* frame);
void DisconnectDocCommands();

namespace doc_commands {

// The current model; null when there is none.
Poly* CurrentPoly();
// Marks every pane for redraw.
void Redraw();
// The update handler of a radio or check item: marked while the condition holds.
inline void Mark(CommandUi& ui, bool on) { ui.check = on ? 1 : 0; }
// Asks for a real number (typed as an equation) that must be more than 0, starting
// from the value; a smaller one is reported and asked for again. False on Cancel, the
// value unchanged.
bool AskPositiveNumber(const char* prompt, double& value);
// Makes the first element of the next (step 1) or previous (-1) type of the shown side
// (with otherSide, of the other side: the vertices while the base is shown) the selected
// and current one; a side of one type says so in the pane.
void StepElementType(int step, bool otherSide);
// Runs a change of the cells of the shown side's stellation (stellated first when it is
// not yet) as one undo step and redraws; false when the side cannot be stellated.
bool ChangeStellationCells(void (*change)(FaceTypeBlock* block));
// A step through the stellations of the shown side (stellated first when it is not yet,
// but for kPlace), under the progress window, as one undo step; the pane says where it
// came to. False when the user cancelled it: nothing changed then.
bool StepShownStellation(StellationStep step);

}  // namespace doc_commands

}  // namespace corvia
