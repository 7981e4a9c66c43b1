#include "platform/wx/WxShell.h"

#include <wx/log.h>
#include <wx/utils.h>

#include <filesystem>
#include <system_error>

namespace corvia::platform {

// wx reports a failed launch with wxLogError, which would open a box of its own;
// the caller reports the failure in the program's words instead.

bool WxShell::OpenUrl(const std::string& url) {
  if (url.empty()) return false;
  wxLogNull quiet;
  return wxLaunchDefaultBrowser(wxString::FromUTF8(url.c_str()));
}

bool WxShell::OpenFile(const std::string& path) {
  std::error_code ec;
  if (path.empty() || !std::filesystem::exists(std::filesystem::path(path), ec)) return false;
  wxLogNull quiet;
  return wxLaunchDefaultApplication(wxString::FromUTF8(path.c_str()));
}

}  // namespace corvia::platform
