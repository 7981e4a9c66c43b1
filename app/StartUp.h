#pragma once
// What the program does when it starts and when it ends, apart from the wx
// application object itself, so that the window tests can run the same steps.

class wxFrame;

namespace corvia::app {

// The size of the first main window of a user (before any placement is saved).
constexpr int kFirstWindowWidth = 1000;
constexpr int kFirstWindowHeight = 800;

// Installs the wx front ends of the platform seam, the colour chooser and the web
// client, loads the settings (a damaged file gives one warning), creates the user's
// folders and opens the main window where it was last, which it returns.
wxFrame* StartUp();

// Saves the settings and puts the headless front ends (and the chooser installed
// before) back. The main window is closed by its owner.
void ShutDown();

}  // namespace corvia::app
