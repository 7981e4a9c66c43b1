#pragma once
// The check for a newer version of the program: a request to the update server (a
// setting; with none, no request is ever made) on the web request's worker thread,
// at most once a day by itself, at once when the user asks; idle time collects the
// answer and tells the user when a newer version exists.

#include <string>

namespace corvia {

// The product and the version the request names.
constexpr const char* kProductEdition = "Brantis";
constexpr const char* kProductVersion = "5.4";

// Starts the check: with `now` whatever the day, else only when the option is on and
// the last check was on another day. True when a request was started.
bool CheckForNewVersion(bool now);
// Whether a started check has finished and waits to be collected.
bool IsUpdateCheckDone();
// "5.4" as 5004: the major version times 1000 plus the minor; 0 for no version.
int ParseVersionText(const char* text);
// Collects the finished check and shows what it found; the latest version known
// afterwards (empty when none was found).
void RunUpdateCheck();
const std::string& GetLatestVersionText();
// The day number (days since 1970 in local time) the daily limit counts.
int GetTodayNumber();

}  // namespace corvia
