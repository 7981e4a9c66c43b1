#pragma once
// Path parts, existence tests, folder creation, the program's own folder, folder
// listings and a reversible escaping of any text into a file name.
//
// Paths use '/'. Paths written on Windows (with '\\' separators) are accepted
// wherever a path is read: both count as separators, and the file-system calls
// see '/' only.

#include <cstddef>
#include <cstdint>
#include <string>

namespace corvia {

// The path with every '\\' turned into '/', as the file system wants it.
std::string NativePath(const char* path);

// Pointer after the last separator or ':'.
const char* GetFileNamePart(const char* path);
char* GetFileNamePart(char* path);
// Pointer to the last '.' of the file name part, or to the end when there is none.
const char* GetExtensionPart(const char* path);
char* GetExtensionPart(char* path);
// New owned string (DeleteString): the path without its extension, '.', ext.
char* ReplaceExtension(const char* path, const char* ext);
// Overwrites the extension in place with ".ext". False, with the path unchanged,
// when the buffer of `size` bytes has no room for it.
bool SetExtension(char* path, size_t size, const char* ext);
template <size_t N>
bool SetExtension(char (&path)[N], const char* ext) {
  return SetExtension(path, N, ext);
}
// New owned copy without trailing separators. With keepDriveRoot a bare drive
// ("C:") or the root keeps one separator.
char* CopyPathWithoutTrailingSeparator(const char* path, bool keepDriveRoot);

// The stat test, trailing separators removed first; with needFolder it must be a
// folder, with needWrite writable.
bool PathExists(const char* path, bool needFolder, bool needWrite);
bool FileExists(const char* path);
bool DirectoryExists(const char* path);
// The path begins with the folder (ignoring case) and continues with a separator
// or ends there.
bool IsPathInFolder(const char* path, const char* folder);
// Creates one folder; true on success.
bool MakeDirectory(const char* path);
// Creates every folder of the path that does not exist; false at the first failure.
bool MakeDirectories(const char* path);

// The program's own folder joined with name (each leading "../" goes one folder
// up). True when that path exists (as a folder with needFolder); otherwise the
// name is tried one folder higher and that test decides. `out` holds the path
// tried last.
bool FindProgramFile(std::string& out, const char* name, bool needFolder);
// The folder of the program's own file, ending in '/'.
std::string GetProgramFolder();
// Modification time (seconds since the epoch), -1 when it cannot be read.
int64_t GetFileModifiedTime(const char* path);

bool ChangeDirectory(const char* path);
std::string GetWorkingDirectory();
// Makes the folder of a file path current.
bool ChangeToFileDirectory(const char* path);
// The absolute path with separators normalised and "." and ".." resolved; a blank
// path gives an empty text.
void GetFullPath(std::string& out, const char* path);
// The part of the path after the folder of `base` (a file path) when the path lies
// inside it (ignoring case), else the whole path.
const char* GetRelativePath(const char* path, const char* base);
// In place: every separator becomes '/' and runs of separators collapse to one,
// except that a leading pair (a network path) is kept. True when the text changed.
bool NormalizePathSeparators(char* path);

// Whether the text is a web or mail address ("http://", "https://", "mailto:",
// ignoring case): what links from texts that came from outside may open.
bool IsWebAddress(const char* text);

// Folder listing. `patterns` are paths with wildcards, separated by ';'. what = 0
// lists folders only, 1 files only, anything else both; "." and ".." never. The
// names (without folder) come sorted by CompareNatural; release them with
// DeleteStringArray. Never null.
constexpr int kListFolders = 0;
constexpr int kListFiles = 1;
constexpr int kListAll = 2;
char** ListDirectory(const char* patterns, int what, int* outCount);
void DeleteStringArray(int count, char** array);

// Letters, digits and "_., +-=!@#$^&()" are kept; every other byte becomes '%' and
// two lower-case hexadecimal digits. Decoding turns each such triple back into its
// byte; a '%' not followed by two hexadecimal digits, or spelling the zero byte, is
// kept as it stands.
void EncodeFileNameSafe(std::string& out, const char* text);
void DecodeFileNameSafe(std::string& out, const char* text);

}  // namespace corvia
