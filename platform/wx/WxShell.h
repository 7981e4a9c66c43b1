#pragma once
// Opening web pages and files with the desktop's default programs.

#include "platform/Shell.h"

namespace corvia::platform {

class WxShell final : public Shell {
 public:
  // False for an empty address or when no browser could be started.
  bool OpenUrl(const std::string& url) override;
  // False for a missing file or when no program could be started for it.
  bool OpenFile(const std::string& path) override;
};

}  // namespace corvia::platform
