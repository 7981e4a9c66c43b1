#include "core/Folders.h"

#include <array>
#include <cctype>
#include <cstdio>
#include <cstring>
#include <filesystem>

#include "core/Messages.h"
#include "core/Paths.h"
#include "core/Strings.h"
#include "platform/Services.h"
#include "platform/UserFolders.h"

namespace corvia {

namespace detail_Folders {

// Extensions this long or longer never name an image format.
constexpr size_t kMaxImageExtension = 78;

constexpr const char* kAllFilesFilter = "All Files (*.*)|*.*||";

bool IsGiven(const char* text) { return text != nullptr && !IsBlank(text); }

void Normalize(std::string& path) {
  if (path.empty()) return;
  NormalizePathSeparators(path.data());
  path.resize(std::strlen(path.c_str()));
}

// The folder part of a path: everything before its file name (with the separator).
std::string FolderPart(const std::string& path) {
  const char* name = GetFileNamePart(path.c_str());
  return path.substr(0, static_cast<size_t>(name - path.c_str()));
}

bool SpecialFolder(int folderId, bool create, std::string& out) {
  if (folderId != kSpecialFolderDocuments) return false;
  std::filesystem::path documents = platform::DocumentsFolder();
  if (documents.empty()) return false;
  out = documents.string();
  Normalize(out);
  if (create && !DirectoryExists(out.c_str())) MakeDirectories(out.c_str());
  return true;
}

std::vector<std::string_view> Split(std::string_view text, char separator) {
  std::vector<std::string_view> fields;
  size_t start = 0;
  while (start <= text.size()) {
    size_t end = text.find(separator, start);
    if (end == std::string_view::npos) end = text.size();
    fields.push_back(text.substr(start, end - start));
    start = end + 1;
  }
  return fields;
}

std::string_view Trimmed(std::string_view text) {
  while (!text.empty() && IsSpaceChar(static_cast<unsigned char>(text.front()))) text.remove_prefix(1);
  while (!text.empty() && IsSpaceChar(static_cast<unsigned char>(text.back()))) text.remove_suffix(1);
  return text;
}

bool EqualNoCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    if (!CharEqualNoCase(a[i], b[i])) return false;
  }
  return true;
}

// The extension of a "*.ext" pattern, or nothing for any other pattern.
bool PatternExtension(std::string_view pattern, std::string_view& extension) {
  if (pattern.size() < 3 || pattern[0] != '*' || pattern[1] != '.') return false;
  extension = pattern.substr(2);
  return true;
}

bool HasWildcard(std::string_view text) { return text.find_first_of("*?") != std::string_view::npos; }

FilePreviewCallback gPreviewCallback = nullptr;
ImageFormatTest gImageFormatTest = nullptr;

std::array<std::unique_ptr<FolderPath>, static_cast<size_t>(DefaultFolderKind::Count)>& DefaultFolders() {
  static std::array<std::unique_ptr<FolderPath>, static_cast<size_t>(DefaultFolderKind::Count)> folders;
  return folders;
}

const char* DefaultSubFolder(DefaultFolderKind kind) {
  switch (kind) {
    case DefaultFolderKind::Tour: return platform::kTourFolderName.data();
    case DefaultFolderKind::Export: return platform::kExportFolderName.data();
    case DefaultFolderKind::Image: return platform::kImageFolderName.data();
    case DefaultFolderKind::Text: return platform::kTextFolderName.data();
    default: return nullptr;
  }
}

std::unique_ptr<FolderPath> MakeDefaultFolder(DefaultFolderKind kind) {
  return std::make_unique<FolderPath>(kSpecialFolderDocuments, platform::kCorviaFolderName.data(),
                                      DefaultSubFolder(kind), true);
}

}  // namespace detail_Folders

bool GetSpecialFolderPath(std::string& path, int folderId, const char* subFolder, bool create) {
  std::string folder;
  if (!detail_Folders::SpecialFolder(folderId, create, folder)) return false;
  if (!detail_Folders::IsGiven(subFolder)) {
    path = folder;
    return true;
  }
  if (folder.size() + std::strlen(subFolder) + 2 > kMaxFolderPathLength) return false;
  folder += '/';
  folder += subFolder;
  detail_Folders::Normalize(folder);
  path = folder;
  if (DirectoryExists(folder.c_str())) return true;
  if (!create) return false;
  MakeDirectories(folder.c_str());
  return DirectoryExists(folder.c_str());
}

bool GetSpecialFolderFile(std::string& path, int folderId, const char* subFolder, const char* fileName,
                          unsigned flags, bool* existed) {
  bool create = (flags & (kFolderFileCreate | kFolderFileCreateFolder)) != 0;
  std::string folder;
  bool folderOk = GetSpecialFolderPath(folder, folderId, subFolder, create);
  const char* name = fileName ? fileName : "";
  if (folder.size() + std::strlen(name) + 2 > kMaxFolderPathLength) return false;
  path = folder + "/" + name;
  detail_Folders::Normalize(path);
  if (!folderOk) return false;
  if (flags & kFolderFileNoCheck) return true;
  bool exists = FileExists(path.c_str());
  if (existed) *existed = exists;
  if (exists) return true;
  if (!(flags & kFolderFileCreate)) return false;
  // "x": never truncate a file that appeared since the test above.
  if (FILE* file = std::fopen(path.c_str(), "wx")) std::fclose(file);
  return FileExists(path.c_str());
}

FolderPath::FolderPath(int folderId, const char* subFolder, const char* furtherSubFolder, bool create) {
  std::string sub = subFolder ? subFolder : "";
  if (detail_Folders::IsGiven(furtherSubFolder)) {
    sub += '/';
    sub += furtherSubFolder;
  }
  std::string path;
  GetSpecialFolderPath(path, folderId, sub.c_str(), create);
  SetPath(path.c_str());
}

void FolderPath::SetPath(const char* text) {
  if (text == nullptr || IsBlank(text)) {
    mPath.clear();
    return;
  }
  mPath = text;
  detail_Folders::Normalize(mPath);
}

void FolderPath::SetToWorkingDirectory() { SetPath(GetWorkingDirectory().c_str()); }

FolderPath& DefaultFolder(DefaultFolderKind kind) {
  if (kind == DefaultFolderKind::Count) kind = DefaultFolderKind::Program;
  auto& slot = detail_Folders::DefaultFolders()[static_cast<size_t>(kind)];
  if (!slot) slot = detail_Folders::MakeDefaultFolder(kind);
  return *slot;
}

void CreateDefaultFolders() {
  auto& folders = detail_Folders::DefaultFolders();
  for (size_t i = 0; i < folders.size(); ++i) {
    folders[i] = detail_Folders::MakeDefaultFolder(static_cast<DefaultFolderKind>(i));
  }
}

bool FolderList::LocateFile(std::string& path, const char* referencedPath, const char* defaultFolder) {
  if (referencedPath == nullptr || IsBlank(referencedPath)) return false;
  if (FileExists(referencedPath)) {
    path = referencedPath;
    return true;
  }
  std::string name = GetFileNamePart(referencedPath);
  for (const std::string& folder : mFolders) {
    std::string candidate = folder + name;
    detail_Folders::Normalize(candidate);
    if (FileExists(candidate.c_str())) {
      path = candidate;
      return true;
    }
  }
  // The dialog starts in the referenced file's folder, or in the default folder
  // when that one is not there.
  std::string title = FormatLimited(kMessageBufferSize, "Locate file %s", name.c_str());
  std::string chosen = referencedPath;
  FolderPath start;
  start.SetPath(defaultFolder);
  if (!RunFileDialog(title.c_str(), chosen, kFileDialogOpen, nullptr, nullptr, &start, nullptr)) return false;
  path = chosen;
  std::string folder = detail_Folders::FolderPart(chosen);
  if (!folder.empty()) mFolders.push_back(folder);
  return true;
}

bool AddDefaultExtension(std::string& name, std::string_view filter, int filterIndex, char separator) {
  if (IsBlank(name.c_str()) || filter.empty() || filterIndex < 1) return false;
  std::vector<std::string_view> fields = detail_Folders::Split(filter, separator);
  size_t field = 2 * static_cast<size_t>(filterIndex) - 1;
  if (field >= fields.size() || fields[field].empty()) return false;
  std::vector<std::string_view> patterns = detail_Folders::Split(fields[field], ';');

  size_t extensionAt = static_cast<size_t>(GetExtensionPart(name.c_str()) - name.c_str());
  std::string_view nameExtension;
  if (extensionAt < name.size()) nameExtension = std::string_view(name).substr(extensionAt + 1);

  std::string_view first;
  bool haveFirst = false;
  for (std::string_view raw : patterns) {
    std::string_view pattern = detail_Folders::Trimmed(raw);
    if (pattern == "*.*") return false;
    std::string_view extension;
    if (!detail_Folders::PatternExtension(pattern, extension)) continue;
    if (detail_Folders::EqualNoCase(extension, nameExtension) && extensionAt < name.size()) return false;
    if (!haveFirst && !detail_Folders::HasWildcard(extension)) {
      first = extension;
      haveFirst = true;
    }
  }
  if (!haveFirst) return false;
  name.resize(extensionAt);
  name += '.';
  name += first;
  return true;
}

bool AppendFilterExtension(std::string& name, std::string_view filter, int filterIndex, char separator) {
  if (IsBlank(name.c_str()) || filter.empty() || filterIndex < 1) return false;
  const std::vector<std::string_view> fields = detail_Folders::Split(filter, separator);
  const size_t chosen = 2 * static_cast<size_t>(filterIndex) - 1;
  if (chosen >= fields.size()) return false;
  const size_t extensionAt = static_cast<size_t>(GetExtensionPart(name.c_str()) - name.c_str());
  const std::string_view nameExtension =
      extensionAt < name.size() ? std::string_view(name).substr(extensionAt + 1) : std::string_view();
  std::string_view first;
  for (size_t field = 1; field < fields.size(); field += 2) {
    for (std::string_view raw : detail_Folders::Split(fields[field], ';')) {
      std::string_view extension;
      if (!detail_Folders::PatternExtension(detail_Folders::Trimmed(raw), extension)) continue;
      // Any file will do for "*.*"; a name that ends in one of the filter's kinds keeps it.
      if (detail_Folders::HasWildcard(extension)) {
        if (field == chosen) return false;
        continue;
      }
      if (extensionAt < name.size() && detail_Folders::EqualNoCase(extension, nameExtension)) return false;
      if (field == chosen && first.empty()) first = extension;
    }
  }
  if (first.empty()) return false;
  name += '.';
  name += first;
  return true;
}

bool RunFileDialog(const char* title, std::string& path, int mode, const char* defaultExtension, const char* filter,
                   FolderPath* folder, int* filterIndex) {
  detail_Folders::Normalize(path);

  std::string extension;
  if (defaultExtension != nullptr) {
    extension = defaultExtension;
  } else {
    const char* dot = GetExtensionPart(path.c_str());
    if (*dot == '.') extension = dot + 1;
  }

  std::string filterText;
  if (filter != nullptr) {
    filterText = filter;
  } else if (extension.empty()) {
    filterText = detail_Folders::kAllFilesFilter;
  } else {
    std::string upper = extension;
    MakeUpper(upper.data());
    filterText = upper + " Files (*." + extension + ")|*." + extension + "|" + detail_Folders::kAllFilesFilter;
  }

  if (filterIndex != nullptr) AddDefaultExtension(path, filterText, *filterIndex, '|');

  platform::FileDialogRequest request;
  request.title = title ? title : "";
  request.folder = detail_Folders::FolderPart(path);
  if (!DirectoryExists(request.folder.c_str()) && folder != nullptr && folder->HasPath()) {
    request.folder = folder->GetPath();
  }
  request.fileName = GetFileNamePart(path.c_str());
  request.filter = filterText;
  request.filterIndex = filterIndex != nullptr ? *filterIndex : 1;
  request.saving = mode == kFileDialogSave || mode == kFileDialogSaveUnchecked;
  request.overwritePrompt = mode == kFileDialogSave;
  request.mustExist = mode == kFileDialogOpen;

  if (detail_Folders::gPreviewCallback != nullptr) {
    request.kind = platform::FileDialogKind::FilePreview;
  } else if (!extension.empty() && extension.size() < detail_Folders::kMaxImageExtension &&
             ImageFormatSupported(("." + extension).c_str(),
                                  request.saving ? kImageFormatCanSave : kImageFormatCanLoad)) {
    request.kind = platform::FileDialogKind::ImagePreview;
  } else {
    request.kind = platform::FileDialogKind::Plain;
  }
  // The name takes the ending of the kind of file chosen, in every dialog that saves
  // (what is written follows the name) as in the plain ones.
  if (request.kind == platform::FileDialogKind::Plain || request.saving) {
    request.onTypeChange = [hookFilter = filterText](std::string& name, int index) {
      return FileDialogHook(FileDialogNotification::TypeChange, name, hookFilter, index, '|');
    };
  }

  platform::FileDialogReply reply = platform::Services().fileDialogs->RunFileDialog(request);
  if (!reply.ok || reply.path.empty()) return false;
  std::string chosen = reply.path;
  detail_Folders::Normalize(chosen);
  if (request.saving && AppendFilterExtension(chosen, filterText, reply.filterIndex, '|') &&
      request.overwritePrompt && FileExists(chosen.c_str()) &&
      !AskYesNo("%s already exists.\nDo you want to replace it?", GetFileNamePart(chosen.c_str()))) {
    return false;
  }
  path = chosen;
  // The chosen file's own folder, whatever the dialog did to the working folder.
  if (folder != nullptr) folder->SetPath(detail_Folders::FolderPart(path).c_str());
  if (filterIndex != nullptr) *filterIndex = reply.filterIndex;
  return true;
}

bool AskFileToOpen(const char* title, std::string& path, const char* defaultExtension, const char* filter,
                   FolderPath* folder, int* filterIndex) {
  return RunFileDialog(title, path, kFileDialogOpen, defaultExtension, filter, folder, filterIndex);
}

bool AskFileToSave(const char* title, std::string& path, const char* defaultExtension, const char* filter,
                   FolderPath* folder, int* filterIndex) {
  return RunFileDialog(title, path, kFileDialogSave, defaultExtension, filter, folder, filterIndex);
}

bool FileDialogHook(FileDialogNotification notification, std::string& name, std::string_view filter,
                    int filterIndex, char separator) {
  if (notification != FileDialogNotification::TypeChange) return false;
  return AddDefaultExtension(name, filter, filterIndex, separator);
}

void SetFilePreviewCallback(FilePreviewCallback callback) { detail_Folders::gPreviewCallback = callback; }

FilePreviewCallback GetFilePreviewCallback() { return detail_Folders::gPreviewCallback; }

void SetImageFormatTest(ImageFormatTest test) { detail_Folders::gImageFormatTest = test; }

bool ImageFormatSupported(const char* extension, int flag) {
  if (detail_Folders::gImageFormatTest == nullptr) {
    ShowInternalError("ImageFormatSupported: no image library installed");
    return false;
  }
  return detail_Folders::gImageFormatTest(extension, flag);
}

}  // namespace corvia
