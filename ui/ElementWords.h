#pragma once
// Command texts that speak of the element kind the user works on: "Set Single Face
// Color..." reads "Set Single Vertex Color..." while a vertex is selected, and a
// four-dimensional polytope's faces are cells.

#include <cstddef>
#include <string>

namespace corvia {

// What the rewriting reads of the current model.
struct ElementWordState {
  bool selectionIsVertex = false;  // the selection is shown as a vertex
  bool edgeSelected = false;
  bool fourDimensional = false;  // the model is a polytope whose faces are cells
};

// The state of the current model (a model without selection when there is none).
ElementWordState CurrentElementWordState();

// Replaces every `from` (compared ignoring case, at the start of a word) by `to`:
// each letter of `to` at a position where the matched text has a capital becomes a
// capital, letters beyond the length of `from` keep their own case. The result is
// cut to capacity - 1 bytes. True when something was replaced.
bool ReplaceWordKeepCase(std::string& text, const char* from, const char* to, size_t capacity = 256);
// Rewrites the element words for the state; true when the text changed.
bool SwapElementWords(std::string& text, bool allowVertex, const ElementWordState& state, size_t capacity = 256);
bool SwapElementWords(std::string& text, bool allowVertex);
// "cell" to "face", or "face" to "cell" for a four-dimensional polytope.
bool SwapFaceCellWords(std::string& text, const ElementWordState& state, size_t capacity = 256);
bool SwapFaceCellWords(std::string& text);

// How each command's texts are rewritten (the status prompt, the tooltip and, through
// the update handlers, the menu text).
enum class ElementWordRule { None, Elements, ElementsOrVertex, FacesOrCells };
ElementWordRule GetElementWordRule(int command);
// The text rewritten by the command's rule; unchanged for commands without one.
std::string RewriteCommandText(int command, const std::string& text, size_t capacity);

}  // namespace corvia
