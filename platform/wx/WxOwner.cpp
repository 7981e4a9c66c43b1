#include "platform/wx/WxOwner.h"

#include <wx/app.h>
#include <wx/toplevel.h>
#include <wx/window.h>

namespace corvia::platform {

wxWindow* DialogOwner() {
  wxWindow* active = wxGetActiveWindow();
  if (active != nullptr) return wxGetTopLevelParent(active);
  return wxTheApp != nullptr ? wxTheApp->GetTopWindow() : nullptr;
}

}  // namespace corvia::platform
