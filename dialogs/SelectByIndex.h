#pragma once
// Selecting a face, edge or vertex of the shown model by its number.

namespace corvia {

enum class IndexedElement { Face, Edge, Vertex };

// Asks for the number (from 1) of an element of the kind on the side of the current
// model that is shown, and selects it. A number the model has not is refused and
// asked for again. False when cancelled or when there is no model.
bool SelectElementByIndex(IndexedElement kind);

}  // namespace corvia
