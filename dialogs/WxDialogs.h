#pragma once
// The wx side of the dialog front end: runs the window of each dialog record.
// Start-up installs it; the window tests use it directly.

#include "platform/DialogFrontEnd.h"

namespace corvia {

class WxDialogs final : public platform::DialogFrontEnd {
 public:
  bool RunDialog(platform::DialogValues& values) override;
  void ShowModeless(platform::DialogValues& values) override;
  bool IsOpen(const std::string& name) const override;
  void Refresh(const std::string& name) override;
  void Apply(const std::string& name) override;
};

}  // namespace corvia
