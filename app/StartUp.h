#pragma once
// What the program does when it starts and when it ends, apart from the wx
// application object itself, so that the window tests can run the same steps.

class wxFrame;

namespace corvia::app {

// The size of the first main window of a user (before any placement is saved).
constexpr int kFirstWindowWidth = 1000;
constexpr int kFirstWindowHeight = 800;

// Installs the wx front ends of the platform seam, the colour chooser and the web
// client, loads the settings store (a damaged file gives one warning), creates the
// user's folders and runs the program's start-up (app/PolyApp.h): the settings, the
// document, the main window with its panes and the first model. Returns the main
// window, shown.
wxFrame* StartUp();

// After the main window has closed (which saved the settings): frees the document,
// writes the settings file and puts the headless front ends (and the chooser
// installed before) back.
void ShutDown();

}  // namespace corvia::app
