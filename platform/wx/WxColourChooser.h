#pragma once
// The colour chooser over wxColourDialog, in the form the core's chooser seam takes
// (SetColorChooser): the colour as three bytes, red first.

class wxColourDialog;

namespace corvia::platform {

// Opens the chooser preset to the colour; on OK writes the chosen bytes back and
// returns true, on Cancel leaves them and returns false.
bool WxChooseColour(int* rgbBytes);

// The chooser while it is open, else null (window tests answer it through this).
wxColourDialog* OpenColourDialog();

}  // namespace corvia::platform
