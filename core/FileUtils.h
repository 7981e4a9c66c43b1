#pragma once
// Small file operations: copying and deleting files, the temporary folder and
// private temporary files in it, and the URL encoding of form values.

#include <cstddef>
#include <functional>
#include <string>

#include "core/Outcome.h"

namespace corvia {

// Copies the source file over the destination; a failure comes back with the words
// to tell. The destination is written beside itself and renamed into place only when
// the whole copy worked, so a failed copy leaves the old destination as it was, and a
// copy of a file onto itself leaves the file untouched (done). With overwrite false
// an existing destination is refused.
Outcome FileCopy(const char* destination, const char* source, bool overwrite = true);

// Writes a file so that the old one survives any failure: `write` writes the whole
// new file at the path it is given (a new file beside the destination), which is then
// synced and renamed over the destination. The new file takes the old one's
// permissions (for a new file, those the user's umask gives); a destination that is a
// link stays one, its target being replaced. False, with the destination untouched
// and `error` (when given) saying what went wrong, when `write` returns false or the
// file cannot be made, synced or renamed.
bool WriteFileReplacing(const char* destination, const std::function<bool(const char* temporary)>& write,
                        std::string* error);

// Deletes a file; true on success.
bool RemoveFile(const char* path);

// The temporary folder: $TMPDIR when it names a folder, else the system's.
void GetTempDirectory(std::string& path);
// The temporary folder + "/" + name, separators normalised. Only a name: the file
// is neither made nor checked.
void GetTempFilePath(std::string& path, const char* name);
// Makes a new, empty file in the temporary folder that only this user can read and
// write, named after `name` with a unique part before its extension
// ("check.txt" -> "check-Ab12Cd.txt"). Never reuses an existing file. False when
// it cannot be made.
bool CreateTempFile(std::string& path, const char* name);

// Escapes a text for a form: a space becomes '+', letters, digits, '-', '_' and '.'
// stay, every other byte becomes "%xx" (lower-case hexadecimal), or "%25xx" with
// twice so that the result survives one more decoding. With no output only the
// length is counted. Returns the length including the terminating zero.
size_t UrlEncode(char* out, const char* text, bool twice);
// The same into a string.
std::string UrlEncode(const char* text, bool twice);

}  // namespace corvia
