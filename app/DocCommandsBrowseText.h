#pragma once
// The document's commands that move from one model to another (File > Polyhedron
// List, Poly > Next and Previous Polyhedron, Poly > Try to Make Faces Regular) and
// the Edit menu's commands that name the model and put texts on its elements, with
// the text lists: plain text files of one element's text a line.
//
// Each command is a plain function here (the tests call them directly); their table
// (GetBrowseTextCommands, app/DocCommands.h) joins them to the menus with the
// document's other commands.

#include <string>

#include "core/TextList.h"

namespace corvia {

// ---- Command ids ----------------------------------------------------------------------------
constexpr int kCmdPolyhedronList = 32785;
constexpr int kCmdPreviousPolyhedron = 32791;
constexpr int kCmdNextPolyhedron = 32792;
constexpr int kCmdMakeFacesRegular = 33352;
constexpr int kCmdEditBaseName = 33184;
constexpr int kCmdEditDualName = 33185;
constexpr int kCmdEditComments = 33125;
constexpr int kCmdEditElementText = 33264;
constexpr int kCmdLoadTextListFaces = 33460;
constexpr int kCmdLoadTextListEdges = 33461;
constexpr int kCmdLoadTextListVertices = 33462;
constexpr int kCmdTextListPersistent = 33463;
constexpr int kCmdSaveTextListFaces = 33464;
constexpr int kCmdSaveTextListEdges = 33465;
constexpr int kCmdSaveTextListVertices = 33466;
constexpr int kCmdRemoveText = 33516;

// ---- Browsing -------------------------------------------------------------------------------

// Runs the "Polyhedra" dialog and makes the entry chosen current.
void OnPolyhedronList();
// One step forwards (+1) or backwards (-1): through the search results, else the
// model files of the current file's folder, else the Waterman polyhedra, else the
// library. Backwards plays the transitions reversed. What it has to say goes to the
// first pane's message.
void StepPolyhedron(int step);
// Relaxes the model towards regular faces; the model changes only when every face
// becomes regular.
void OnTryToMakeFacesRegular();

// ---- Names and texts ------------------------------------------------------------------------

void OnEditBaseName();
void OnEditDualName();
void OnEditComments();
// The text of the selected face, edge or vertex; nothing without a selection.
void OnEditElementText();
// Clears the texts of the selected face, of the faces of its type or of its colour,
// as the user chooses.
void OnRemoveText();

// ---- Text lists -----------------------------------------------------------------------------

enum class TextListKind { Faces, Edges, Vertices };
constexpr int kNumTextListKinds = 3;

// Loads the list (core/TextList.h) onto the elements of the kind of the current
// model: line k onto element k of the shown side. The whole file is read before
// anything changes: a file that cannot be read changes nothing and is reported, a
// read cancelled changes nothing either. True when loaded; the path is then
// remembered for the kind.
bool LoadTextList(TextListKind kind, const char* path);
// Writes the texts of every element of the kind, one a line; the old file stays
// until the new one is complete. False after an error box.
bool SaveTextList(TextListKind kind, const char* path);
// The dialogs of the menu commands, then the load or save.
void OnLoadTextList(TextListKind kind);
void OnSaveTextList(TextListKind kind);

// "Edit > Load Text List > Persistent": the remembered lists are loaded onto every
// new model.
bool IsTextListPersistent();
void SetTextListPersistent(bool on);
// The last list loaded for the kind; empty when none (or forgotten).
const std::string& GetTextListPath(TextListKind kind);
void SetTextListPath(TextListKind kind, const std::string& path);
// Loads the remembered lists onto the current model while Persistent is on; a list
// that cannot be loaded is forgotten.
void ReloadPersistentTextLists();

// The text-list dialogs' preview of a file: its first lines, or what is wrong with it.
bool DescribeTextListFile(const char* path, std::string& description);

}  // namespace corvia
