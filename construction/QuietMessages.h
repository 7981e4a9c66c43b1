#pragma once
// While one lives, message boxes are taken by a headless front end that shows nothing:
// for work that tries things on the user's behalf, where a failure is just no answer.

#include "platform/Headless.h"
#include "platform/Services.h"

namespace corvia {

class QuietMessages {
 public:
  QuietMessages() : mSaved(platform::Services()) {
    platform::ServiceSet services = mSaved;
    services.messages = &mQuiet;
    platform::InstallServices(services);
  }
  ~QuietMessages() { platform::InstallServices(mSaved); }
  QuietMessages(const QuietMessages&) = delete;
  QuietMessages& operator=(const QuietMessages&) = delete;

 private:
  platform::ServiceSet mSaved;
  platform::HeadlessMessages mQuiet;
};

}  // namespace corvia
