#pragma once
// The check for a newer version of the program: a request to the update server (a
// setting; with none, no request is ever made) on the web request's worker thread,
// at most once a day by itself, at once when the user asks; idle time collects the
// answer and tells the user when a newer version exists.

#include <string>

namespace corvia {

// The product and the version the request names.
constexpr const char* kProductEdition = "Corvia";
// The project's version in CMakeLists.txt, major and minor.
constexpr const char* kProductVersion = "0.1";

// Starts the check: with `now` whatever the day, else only when the option is on and
// the last check was on another day. True when a request was started.
bool CheckForNewVersion(bool now);
// Whether a started check has finished and waits to be collected.
bool IsUpdateCheckDone();
// "5.4" as 5004: the major version times 1000 plus the minor; 0 for no version. The
// number may follow words ("Version 6.12") and be followed by a blank and more; its
// parts are whole numbers of at most six and three digits ("-5.4", ".4", "1e3", "5,4"
// and longer numbers are no versions).
int ParseVersionText(const char* text);
// Chooses the page offered for the latest version found; empty for none.
using UpdatePageChooser = std::string (*)(const char* latestVersion);
// Collects the finished check and shows what it found, in boxes titled like the
// command that checks at once: a newer version offers the page the chooser picks
// and the version history; the same version is told only when the user asked, with
// the version history offered. The latest version known afterwards (empty when none
// was found).
void RunUpdateCheck(const char* historyPage, UpdatePageChooser chooser, int command);
const std::string& GetLatestVersionText();
// The day number (days since 1970 in local time) the daily limit counts.
int GetTodayNumber();

}  // namespace corvia
