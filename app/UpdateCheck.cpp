#include "app/UpdateCheck.h"

#include <cctype>
#include <cstdio>
#include <ctime>
#include <fstream>

#include "app/Settings.h"
#include "core/Messages.h"
#include "core/Strings.h"
#include "core/WebRequest.h"

namespace corvia {

namespace detail_UpdateCheck {

constexpr const char* kTempFileName = "VersionCheck.txt";
constexpr const char* kUserAgent = "Brantis/5.4";
constexpr const char* kErrorCaption = "Check for Software Updates";
constexpr int kVersionMajorFactor = 1000;
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
  if (!text) return 0;
  int major = 0, minor = 0;
  while (*text && !std::isdigit(static_cast<unsigned char>(*text))) ++text;
  if (std::sscanf(text, "%d.%d", &major, &minor) < 1 || major < 0 || minor < 0) return 0;
  if (minor >= detail_UpdateCheck::kVersionMajorFactor) return 0;
  return major * detail_UpdateCheck::kVersionMajorFactor + minor;
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
  if (!TheWebRequest().Start(detail_UpdateCheck::kTempFileName, url.c_str(), detail_UpdateCheck::kUserAgent,
                             detail_UpdateCheck::kErrorCaption, now)) {
    return false;
  }
  settings.lastUpdateCheckDay = today;
  return true;
}

bool IsUpdateCheckDone() { return TheWebRequest().GetState() == WebRequest::kFinished; }

void RunUpdateCheck() {
  WebRequest& request = TheWebRequest();
  // Collecting sets the request back to idle, so the answer is shown once.
  if (!request.IsFinished()) return;
  const bool interactive = request.IsInteractive();
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
  if (latest == 0) return;
  detail_UpdateCheck::gLatest = line;
  if (latest > ParseVersionText(kProductVersion)) {
    ShowInformation("Version %s of %s is available (this is version %s).", line.c_str(), kProductEdition,
                    kProductVersion);
  } else if (interactive) {
    ShowInformation("You have the latest version of %s.", kProductEdition);
  }
}

const std::string& GetLatestVersionText() { return detail_UpdateCheck::gLatest; }

}  // namespace corvia
