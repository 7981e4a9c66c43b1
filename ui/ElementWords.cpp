#include "ui/ElementWords.h"

#include <cctype>
#include <cstring>

#include "model/Globals.h"
#include "model/Poly.h"

namespace corvia {

ElementWordState CurrentElementWordState() {
  ElementWordState state;
  if (const Poly* poly = GetCurrentPoly()) {
    state.selectionIsVertex = poly->IsSelectionVertex();
    state.edgeSelected = poly->IsEdgeSelected();
    // The model keeps no four-dimensional polytopes: the program builds none.
    state.fourDimensional = false;
  }
  return state;
}

bool ReplaceWordKeepCase(std::string& text, const char* from, const char* to, size_t capacity) {
  if (text.empty() || !from || !*from || !to) return false;
  const size_t fromLength = std::strlen(from);
  const size_t toLength = std::strlen(to);
  std::string out;
  bool replaced = false;
  for (size_t i = 0; i < text.size();) {
    const bool wordStart = i == 0 || !std::isalpha(static_cast<unsigned char>(text[i - 1]));
    bool match = wordStart && i + fromLength <= text.size();
    for (size_t k = 0; match && k < fromLength; ++k) {
      match =
          std::tolower(static_cast<unsigned char>(text[i + k])) == std::tolower(static_cast<unsigned char>(from[k]));
    }
    if (!match) {
      out += text[i++];
      continue;
    }
    for (size_t k = 0; k < toLength; ++k) {
      const bool capital = k < fromLength && std::isupper(static_cast<unsigned char>(text[i + k]));
      out += capital ? static_cast<char>(std::toupper(static_cast<unsigned char>(to[k]))) : to[k];
    }
    i += fromLength;
    replaced = true;
  }
  if (!replaced) return false;
  // The text never outgrows its buffer.
  if (capacity > 0 && out.size() > capacity - 1) out.resize(capacity - 1);
  text = out;
  return true;
}

bool SwapElementWords(std::string& text, bool allowVertex, const ElementWordState& state, size_t capacity) {
  bool changed = false;
  auto replace = [&](const char* from, const char* to) { changed |= ReplaceWordKeepCase(text, from, to, capacity); };
  if (allowVertex && state.selectionIsVertex) {
    for (const char* plural : {"faces", "cells", "edges"}) replace(plural, "vertices");
    for (const char* single : {"face", "cell", "edge"}) replace(single, "vertex");
  } else if (state.edgeSelected) {
    replace("vertices", "edges");
    for (const char* single : {"face", "cell", "vertex"}) replace(single, "edge");
  } else if (state.fourDimensional) {
    replace("face", "cell");
    replace("vertices", "cells");
    replace("edge", "cell");
    replace("vertex", "cell");
  } else {
    replace("cell", "face");
    replace("vertices", "faces");
    replace("edge", "face");
    replace("vertex", "face");
  }
  return changed;
}

bool SwapElementWords(std::string& text, bool allowVertex) {
  return SwapElementWords(text, allowVertex, CurrentElementWordState());
}

bool SwapFaceCellWords(std::string& text, const ElementWordState& state, size_t capacity) {
  return state.fourDimensional ? ReplaceWordKeepCase(text, "face", "cell", capacity)
                               : ReplaceWordKeepCase(text, "cell", "face", capacity);
}

bool SwapFaceCellWords(std::string& text) {
  return SwapFaceCellWords(text, CurrentElementWordState());
}

ElementWordRule GetElementWordRule(int command) {
  switch (command) {
    case 33113:
    case 32926:
    case 32927:
    case 32928:
    case 32929:
      return ElementWordRule::Elements;
    case 33114:
    case 33116:
    case 33175:
    case 32879:
    case 32984:
      return ElementWordRule::ElementsOrVertex;
    case 32834:
    case 32937:
      return ElementWordRule::FacesOrCells;
    default:
      return ElementWordRule::None;
  }
}

std::string RewriteCommandText(int command, const std::string& text, size_t capacity) {
  std::string rewritten = text;
  switch (GetElementWordRule(command)) {
    case ElementWordRule::Elements:
      SwapElementWords(rewritten, false, CurrentElementWordState(), capacity);
      break;
    case ElementWordRule::ElementsOrVertex:
      SwapElementWords(rewritten, true, CurrentElementWordState(), capacity);
      break;
    case ElementWordRule::FacesOrCells:
      SwapFaceCellWords(rewritten, CurrentElementWordState(), capacity);
      break;
    case ElementWordRule::None:
      break;
  }
  return rewritten;
}

}  // namespace corvia
