#pragma once
// Files named from outside (a dialog, a model file, a setting) may be anything a name
// can stand for: a pipe that blocks the first read until someone writes to it, a
// device that never ends, a folder. Readers open them here, where only regular files
// are taken and nothing waits.
//
// Saves that replace a file write a temporary beside it and rename it over the file.
// A save that dies half way (killed, out of power) leaves its temporary behind; the
// temporaries are locked while a save uses them, so the next save of the same file
// knows those nobody uses and removes them.

#include <cstdio>
#include <string>
#include <string_view>

namespace corvia::platform {

// Opens the file for reading when it is a regular file (links are followed), without
// waiting on a pipe or a device. -1 otherwise, with errno set (EISDIR for a folder,
// EINVAL for any other thing that is not a regular file, or the reason the open
// failed) and `reason` (when given) saying it in words: "it is a folder", "it is not a
// regular file (a pipe, a device or a socket)", or the system's text.
int OpenRegularFile(const char* path, std::string* reason);
// The same as a C stream opened "rb"; null as above.
FILE* OpenRegularFileStream(const char* path, std::string* reason);

// The temporaries of saves of `target` are named <target><infix> and six letters or
// digits. Makes one, locked for as long as the returned descriptor stays open (close
// it once the temporary has been renamed or removed). -1, with errno, when none can
// be made.
int MakeLockedTemporary(const std::string& target, std::string_view infix, std::string& temporary);
// Removes the temporaries of saves of `target` that no save holds locked: those left
// by saves that died. Only regular files of this user are touched.
void RemoveStaleTemporaries(const std::string& target, std::string_view infix);

}  // namespace corvia::platform
