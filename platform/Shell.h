#pragma once
// Launching what the desktop opens: web pages, files, external viewers.

#include <string>

namespace corvia::platform {

class Shell {
public:
  virtual ~Shell() = default;
  virtual bool OpenUrl(const std::string& url) = 0;
  virtual bool OpenFile(const std::string& path) = 0;
};

}  // namespace corvia::platform
