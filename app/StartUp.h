#pragma once
// What the program does when it starts and when it ends, apart from the wx
// application object itself, so that the window tests can run the same steps.

class wxFrame;

namespace corvia::app {

// Installs the wx front ends of the platform seam, the colour chooser and the web
// client, loads the settings (a damaged file gives one warning), creates the user's
// folders and opens the main window, which it returns.
wxFrame* StartUp();

// Saves the settings and puts the headless front ends (and the chooser installed
// before) back. The main window is closed by its owner.
void ShutDown();

}  // namespace corvia::app
