#pragma once
// The width of a combo box's drop list, for the combos of the bars and dialogs.

class wxComboBox;

namespace corvia {

// Lets the combo's drop list grow to its widest entry, within the screen: the widest
// text in the combo's font (at least 1 pixel) plus 5, the scroll bar and two edges,
// no further than the screen's right edge from the combo's left. Returns that width.
int SetComboDropWidth(wxComboBox* combo);

}  // namespace corvia
