#pragma once
// The one drag image of the program: a small borderless window that follows the
// mouse while a row of a list (or an item of a tree) is dragged, showing the dragged
// item's text. It stands below and to the right of the cursor, so that the window
// under the cursor is always the one the item would drop on.

#include <string>

class wxWindow;

namespace corvia {

// The image's top left from the cursor.
constexpr int kDragImageOffset = 15;

// Starts showing the text (one drag at a time: a new one replaces the old).
void DragImageBegin(const std::string& text, int screenX, int screenY);
// Moves the image with the cursor (screen coordinates).
void DragImageMove(int screenX, int screenY);
// Shows the image over a window, or over the desktop when none is given.
void DragImageEnter(wxWindow* window, int screenX, int screenY);
// Hides the image without ending the drag (while a list scrolls).
void DragImageLeave();
void DragImageEnd();
bool IsDragImageShown();

}  // namespace corvia
