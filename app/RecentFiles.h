#pragma once
// The list of recently used model files, newest first, kept with the settings under
// "Recent File List" ("File1", "File2", ...). Entries are whole paths.

#include <functional>
#include <string>
#include <vector>

namespace corvia {

constexpr int kRecentFileCount = 12;
// The commands that open entry 0, 1, ... (16 of them; the list uses the first 12).
constexpr int kRecentFileFirstCommand = 57616;
constexpr int kRecentFileLastCommand = 57631;

class RecentFileList {
 public:
  // Reads up to `size` entries; the list then keeps at most that many.
  void Load(int size);
  void Save() const;
  // Puts the path first (once).
  void Add(const std::string& path);
  void Remove(int index);
  int Count() const { return static_cast<int>(mFiles.size()); }
  const std::string& Get(int index) const { return mFiles[static_cast<size_t>(index)]; }
  // Called after every change of the entries (the File menu shows them).
  void SetChangeListener(std::function<void()> listener) { mListener = std::move(listener); }

 private:
  void Changed() const {
    if (mListener) mListener();
  }

  std::vector<std::string> mFiles;
  std::function<void()> mListener;
  int mSize = kRecentFileCount;
};

RecentFileList& GetRecentFiles();

class CPolyDoc;
// Opens entry `index` of the list in the document; an entry whose file cannot be
// opened leaves the list (the current model stays). False then.
bool OpenRecentFile(CPolyDoc& document, int index);

}  // namespace corvia
