#include "app/RecentFiles.h"

#include <algorithm>

#include "app/PolyDoc.h"
#include "core/Registry.h"
#include "core/Strings.h"
#include "platform/SettingsStore.h"
#include "ui/SettingsKeys.h"

namespace corvia {

namespace detail_RecentFiles {

constexpr const char* kSection = "Recent File List";

std::string ValueName(int index) { return "File" + std::to_string(index + 1); }

}  // namespace detail_RecentFiles

RecentFileList& GetRecentFiles() {
  static RecentFileList list;
  return list;
}

void RecentFileList::Load(int size) {
  mSize = std::max(size, 0);
  mFiles.clear();
  RegistryKeyPtr key = OpenRegistryKeyForRead(TheRegistryApp(), detail_RecentFiles::kSection, nullptr);
  for (int i = 0; key && i < mSize; ++i) {
    std::string path;
    if (GetRegistryCString(key.get(), detail_RecentFiles::ValueName(i).c_str(), path) && !IsBlank(path.c_str())) {
      mFiles.push_back(path);
    }
  }
  Changed();
}

void RecentFileList::Save() const {
  RegistryKeyPtr key = OpenRegistryKeyForWrite(TheRegistryApp(), detail_RecentFiles::kSection, nullptr);
  if (!key) return;
  for (int i = 0; i < mSize; ++i) {
    const std::string name = detail_RecentFiles::ValueName(i);
    if (i < Count()) {
      SetRegistryString(key.get(), name.c_str(), Get(i).c_str());
    } else if (key->Store().DeleteValue(key->Path(), name)) {
      key->MarkChanged();
    }
  }
  CloseSettingsKey(*key);
}

void RecentFileList::Add(const std::string& path) {
  if (IsBlank(path.c_str()) || mSize == 0) return;
  mFiles.erase(std::remove(mFiles.begin(), mFiles.end(), path), mFiles.end());
  mFiles.insert(mFiles.begin(), path);
  if (Count() > mSize) mFiles.resize(static_cast<size_t>(mSize));
  Changed();
}

void RecentFileList::Remove(int index) {
  if (index < 0 || index >= Count()) return;
  mFiles.erase(mFiles.begin() + index);
  Changed();
}

bool OpenRecentFile(CPolyDoc& document, int index) {
  RecentFileList& list = GetRecentFiles();
  if (index < 0 || index >= list.Count()) return false;
  // A copy: opening puts the file first in the list.
  const std::string path = list.Get(index);
  if (document.OnOpenDocument(path.c_str())) return true;
  list.Remove(index);
  return false;
}

}  // namespace corvia
