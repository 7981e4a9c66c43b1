#include "app/UpdateCheck.h"

#include <cctype>
#include <cstdio>
#include <ctime>
#include <fstream>

#include "app/Settings.h"
#include "core/Messages.h"
#include "core/Strings.h"
#include "core/WebRequest.h"
#include "platform/Services.h"
#include "render/OutcomeBoxes.h"
#include "ui/CommandTable.h"

namespace corvia {

namespace detail_UpdateCheck {

constexpr const char* kTempFileName = "VersionCheck.txt";
constexpr const char* kErrorCaption = "Check for Software Updates";

// Shows why a request failed: a broken request as an internal error, anything else
// in the request's own words.
void TellFailure(const WebFailure& failure) {
  if (failure.text.empty()) return;
  if (failure.internal) {
    ShowInternalError("%s", failure.text.c_str());
  } else {
    TellOutcome(Outcome::Failed(failure.text));
  }
}

constexpr int kVersionMajorFactor = 1000;
// Digits of a version's parts: the minor below the factor, the whole within an int.
constexpr int kMaxMajorDigits = 6;
constexpr int kMaxMinorDigits = 3;
constexpr int kSecondsPerDay = 24 * 60 * 60;
// The first line of the answer is the latest version; nothing longer is read.
constexpr size_t kMaxVersionLine = 64;

std::string gLatest;

}  // namespace detail_UpdateCheck

int GetTodayNumber() {
  const std::time_t now = std::time(nullptr);
  std::tm local{};
  localtime_r(&now, &local);
  return static_cast<int>((now + local.tm_gmtoff) / detail_UpdateCheck::kSecondsPerDay);
}

int ParseVersionText(const char* text) {
  using namespace detail_UpdateCheck;
  if (!text) return 0;
  // Words before the number ("Version "), letters and blanks only: a sign, a point or
  // a digit there would be read as part of no number.
  const char* p = text;
  while (std::isalpha(static_cast<unsigned char>(*p)) || *p == ' ' || *p == '\t') ++p;
  auto digits = [&p](int most, int& value) {
    int count = 0;
    value = 0;
    for (; std::isdigit(static_cast<unsigned char>(*p)); ++p, ++count) {
      if (count == most) return false;
      value = value * 10 + (*p - '0');
    }
    return count > 0;
  };
  int major = 0, minor = 0;
  if (!digits(kMaxMajorDigits, major)) return 0;
  if (*p == '.') {
    ++p;
    if (!digits(kMaxMinorDigits, minor)) return 0;
  }
  // The number ends the text or a word: "1e3" and "5,4" are no versions.
  if (*p != '\0' && *p != ' ' && *p != '\t') return 0;
  return major * kVersionMajorFactor + minor;
}

bool CheckForNewVersion(bool now) {
  AppSettings& settings = GetAppSettings();
  if (IsBlank(settings.updateUrl.c_str())) return false;
  const int today = GetTodayNumber();
  if (!now && (!settings.checkForUpdates || settings.lastUpdateCheckDay == today)) return false;
  std::string url = settings.updateUrl;
  url += url.find('?') == std::string::npos ? '?' : '&';
  url += "oldVer=";
  url += kProductVersion;
  url += "&edition=";
  url += kProductEdition;
  const std::string agent = std::string(kProductEdition) + "/" + kProductVersion;
  WebFailure failure;
  if (!TheWebRequest().Start(detail_UpdateCheck::kTempFileName, url.c_str(), agent.c_str(),
                             detail_UpdateCheck::kErrorCaption, now, nullptr, &failure)) {
    detail_UpdateCheck::TellFailure(failure);
    return false;
  }
  settings.lastUpdateCheckDay = today;
  return true;
}

bool IsUpdateCheckDone() { return TheWebRequest().GetState() == WebRequest::kFinished; }

void RunUpdateCheck(const char* historyPage, UpdatePageChooser chooser, int command) {
  WebRequest& request = TheWebRequest();
  // Collecting sets the request back to idle, so the answer is shown once.
  if (!request.IsFinished()) return;
  const bool interactive = request.IsInteractive();
  // Only a check the user asked for tells why it failed.
  if (!request.Succeeded() && interactive) detail_UpdateCheck::TellFailure(request.Failure());
  std::string line;
  if (request.Succeeded()) {
    std::ifstream file(request.TempFilePath());
    std::getline(file, line);
    if (line.size() > detail_UpdateCheck::kMaxVersionLine) line.resize(detail_UpdateCheck::kMaxVersionLine);
    while (!line.empty() && std::isspace(static_cast<unsigned char>(line.back()))) line.pop_back();
  }
  request.DeleteFile();
  if (!request.Succeeded()) return;
  const int latest = ParseVersionText(line.c_str());
  const std::string title = GetCommandPrompt(command);
  if (latest == 0) {
    // Asked for by the user, an answer that names no version is not kept quiet.
    if (interactive) ShowError("The update server's answer names no version.");
    return;
  }
  detail_UpdateCheck::gLatest = line;
  const std::string page = chooser ? chooser(line.c_str()) : std::string();
  // The button chosen, as what it opens: the chosen page, the history or nothing.
  enum class Open { kNothing, kPage, kHistory } open = Open::kNothing;
  if (latest > ParseVersionText(kProductVersion) || !page.empty()) {
    if (page.empty()) {
      open = AskQuestion(kMessageFlagInformationIcon, title.c_str(), {"-Close", "Version History"},
                         "Version %s of %s is available (this is version %s).", line.c_str(), kProductEdition,
                         kProductVersion) == 1 ? Open::kHistory : Open::kNothing;
    } else {
      const int answer = AskQuestion(kMessageFlagInformationIcon, title.c_str(),
                                     {"+Open Downloads Page", "Version History", "-Close"},
                                     "Version %s of %s is available (this is version %s).", line.c_str(),
                                     kProductEdition, kProductVersion);
      open = answer == 0 ? Open::kPage : answer == 1 ? Open::kHistory : Open::kNothing;
    }
  } else if (interactive) {
    open = AskQuestion(kMessageFlagInformationIcon, title.c_str(), {"-OK", "Version History"},
                       "You have the latest version of %s.", kProductEdition) == 1 ? Open::kHistory : Open::kNothing;
  }
  if (open == Open::kPage) {
    platform::Services().shell->OpenUrl(page);
  } else if (open == Open::kHistory && historyPage && *historyPage) {
    platform::Services().shell->OpenUrl(historyPage);
  }
}

const std::string& GetLatestVersionText() { return detail_UpdateCheck::gLatest; }

}  // namespace corvia
