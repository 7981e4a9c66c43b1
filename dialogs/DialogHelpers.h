#pragma once
// Small helpers of menus and combo boxes that the bars and dialogs share.

class wxComboBox;

namespace corvia {

// Whether two menu texts are the same when every '&' (the mnemonic mark) is left out.
bool MenuTextEquals(const char* a, const char* b);

// Lets the combo's drop list grow to its widest entry, within the screen: the widest
// text in the combo's font (at least 1 pixel) plus 5, the scroll bar and two edges,
// no further than the screen's right edge from the combo's left. Returns that width.
int SetComboDropWidth(wxComboBox* combo);

}  // namespace corvia
