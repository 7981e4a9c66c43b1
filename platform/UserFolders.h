#pragma once
// Where the user's files live: the home, configuration and documents folders as the
// XDG base-directory and user-dirs conventions give them, and the program's own
// "Corvia" folder under documents with its sub-folders. Paths are always absolute;
// an empty path means no such folder could be found.

#include <cstdint>
#include <filesystem>
#include <string_view>

namespace corvia::platform {

// The program's folder under the documents folder, and its sub-folders.
inline constexpr std::string_view kCorviaFolderName = "Corvia";
inline constexpr std::string_view kTourFolderName = "Tour";
inline constexpr std::string_view kExportFolderName = "Export";
inline constexpr std::string_view kImageFolderName = "Image";
inline constexpr std::string_view kTextFolderName = "Text";

// The user-dirs file is a few lines; anything larger is not one.
inline constexpr std::uintmax_t kMaxUserDirsFileBytes = 64 * 1024;

// $HOME when it is an absolute path, else the home folder of the password entry.
std::filesystem::path HomeFolder();

// $XDG_CONFIG_HOME when it is an absolute path, else ~/.config.
std::filesystem::path ConfigFolder();

// The program's configuration folder: ConfigFolder()/Corvia.
std::filesystem::path CorviaConfigFolder();

// $XDG_DOCUMENTS_DIR when it is an absolute path, else the XDG_DOCUMENTS_DIR entry of
// ConfigFolder()/user-dirs.dirs ("$HOME/..." or absolute), else ~/Documents.
std::filesystem::path DocumentsFolder();

// A folder under the documents folder. `relative` may name nested folders with '/'
// or '\' ("Corvia/Tour"); empty means the documents folder itself. Absolute paths and
// ".." components are refused. `out` receives the path whenever one can be made;
// the answer is whether the folder exists (after making every missing folder along
// it, when `create` is set). Never throws.
bool DocumentsSubFolder(std::string_view relative, bool create, std::filesystem::path& out);

// The "Corvia" folder under documents (empty `subFolder`) or one of its sub-folders
// by name ("Tour", "Export", "Image", "Text", ...), as DocumentsSubFolder.
bool CorviaFolder(std::string_view subFolder, bool create, std::filesystem::path& out);

}  // namespace corvia::platform
