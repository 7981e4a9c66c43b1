#pragma once
// Where the program keeps and looks for files, and how it asks the user for file
// names: the user's documents folder with the program's own "Corvia" folder and its
// sub-folders, the remembered default folders, the search for files that a model
// file refers to, and the open and save dialogs.
//
// Paths use '/'; separators are normalised wherever a path is built.

#include <cstddef>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace corvia {

// Special folders that can be asked for: the user's documents folder.
constexpr int kSpecialFolderDocuments = 5;

// The longest path the folder helpers build (the file system's own limit).
constexpr size_t kMaxFolderPathLength = 4096;

// Flags of GetSpecialFolderFile.
constexpr unsigned kFolderFileCreate = 0x1;        // create an empty file when missing (and the folder)
constexpr unsigned kFolderFileNoCheck = 0x2;       // do not look at the file at all
constexpr unsigned kFolderFileCreateFolder = 0x4;  // create the folder when missing

// Modes of RunFileDialog.
constexpr int kFileDialogOpen = 0;
constexpr int kFileDialogSave = 1;
// Counts as saving for the choice of dialog, without overwrite prompt or checks.
constexpr int kFileDialogSaveUnchecked = 3;

// Flags of ImageFormatSupported.
constexpr int kImageFormatCanLoad = 5;
constexpr int kImageFormatCanSave = 9;

// The special folder, with the sub-folder (nested with '/') appended when one is
// given. With create, every missing folder along the path is made. True when the
// folder exists at the end (for a blank sub-folder: when the special folder is
// known). False, with nothing made, when the path would be too long.
bool GetSpecialFolderPath(std::string& path, int folderId, const char* subFolder, bool create);

// A file in a special folder's sub-folder. `existed` (may be null) receives whether
// the file was there before.
bool GetSpecialFolderFile(std::string& path, int folderId, const char* subFolder, const char* fileName,
                          unsigned flags, bool* existed);

// A remembered folder: one owned path, or none.
class FolderPath {
 public:
  FolderPath() = default;
  // The special folder's sub-folder, and "/furtherSubFolder" when given; made when
  // create is set.
  FolderPath(int folderId, const char* subFolder, const char* furtherSubFolder, bool create);

  // The path; an empty text when there is none (never null).
  const char* GetPath() const { return mPath.c_str(); }
  bool HasPath() const { return !mPath.empty(); }
  // A blank text leaves no path; otherwise a normalised copy is kept.
  void SetPath(const char* text);
  void SetToWorkingDirectory();

 private:
  std::string mPath;
};

// The program's default folders, all under the documents folder.
enum class DefaultFolderKind { Program, Tour, Export, Image, Text, Count };
// Built (and made on disk) on first use.
FolderPath& DefaultFolder(DefaultFolderKind kind);
// Builds every default folder afresh from the current documents folder, making the
// missing ones; the program calls it at start-up.
void CreateDefaultFolders();

// The folders in which referenced files were found; a model file's loader owns one.
class FolderList {
 public:
  // The referenced file itself, else its name in each listed folder in turn, else
  // the file the user locates with an open dialog (whose folder is then listed, so
  // that the next file there is found without asking). False when cancelled.
  bool LocateFile(std::string& path, const char* referencedPath, const char* defaultFolder);

  int Count() const { return static_cast<int>(mFolders.size()); }
  // A listed folder, ending in '/'.
  const std::string& Folder(int index) const { return mFolders[static_cast<size_t>(index)]; }

 private:
  std::vector<std::string> mFolders;
};

// Gives the name the extension of the chosen filter ("description<sep>patterns<sep>
// ..."; index from 1) unless one of its patterns already fits. True when changed.
bool AddDefaultExtension(std::string& name, std::string_view filter, int filterIndex, char separator);

// Gives a name that ends in none of the filter's extensions the first extension of the
// chosen filter, appended (a dot inside the name is part of the name); nothing when the
// chosen filter takes any file. True when changed.
bool AppendFilterExtension(std::string& name, std::string_view filter, int filterIndex, char separator);

// Runs an open (mode 0) or save (mode 1) dialog; other modes have neither the
// overwrite prompt nor the existence checks, and mode 3 counts as saving. Without a
// filter one is made from the extension. On OK the path receives the chosen file,
// the folder (when given) remembers its folder, and the filter index (when given)
// the filter in use; a name saved with no extension of the filter takes the chosen
// one's (AppendFilterExtension), after asking before it replaces a file of that name.
// True only on OK.
bool RunFileDialog(const char* title, std::string& path, int mode, const char* defaultExtension, const char* filter,
                   FolderPath* folder, int* filterIndex);
bool AskFileToOpen(const char* title, std::string& path, const char* defaultExtension, const char* filter,
                   FolderPath* folder, int* filterIndex);
bool AskFileToSave(const char* title, std::string& path, const char* defaultExtension, const char* filter,
                   FolderPath* folder, int* filterIndex);

// What the plain dialogs tell their hook.
enum class FileDialogNotification { TypeChange, InitDone, FileOk };
// A change of filter gives the name in the name box the new filter's extension
// (true when the name changed); the other notifications change nothing here (the
// front end centres the dialog on its owner).
bool FileDialogHook(FileDialogNotification notification, std::string& name, std::string_view filter,
                    int filterIndex, char separator);

// ---------------------------------------------------------------------------
// Services of the image and file library that the dialogs rely on.

// Describes a file that is not an image for the previewing dialog.
using FilePreviewCallback = bool (*)(const char* path, std::string& description);
// Installs the callback (none to remove it); while one is installed every file
// dialog is the previewing one.
void SetFilePreviewCallback(FilePreviewCallback callback);
FilePreviewCallback GetFilePreviewCallback();

// Whether files of the extension (with its leading dot) can be loaded
// (kImageFormatCanLoad) or saved (kImageFormatCanSave) by the image library. The
// image library installs its test; until then the question is an internal error.
using ImageFormatTest = bool (*)(const char* extension, int flag);
void SetImageFormatTest(ImageFormatTest test);
bool ImageFormatSupported(const char* extension, int flag);

}  // namespace corvia
