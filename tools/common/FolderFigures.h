// What the source counts under tools/ share: the figures file that holds the most a
// folder may count, and the sources of a folder.
#pragma once

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

namespace corvia_tools {

// A figures file: one line per folder, "<folder> <figure> ...", in the order given;
// empty lines and lines starting with '#' are passed over.
struct FolderFigures {
  std::vector<std::string> order;
  std::map<std::string, std::vector<long>> figures;
};

// Reads a figures file whose lines each hold `count` figures. False, told on the
// standard error, when the file cannot be read or a line holds fewer.
inline bool ReadFolderFigures(const char* path, size_t count, FolderFigures& out) {
  std::ifstream in(path);
  if (!in) {
    std::cerr << "cannot read the figures file " << path << "\n";
    return false;
  }
  std::string line;
  while (std::getline(in, line)) {
    if (line.empty() || line[0] == '#') continue;
    std::istringstream fields(line);
    std::string folder;
    std::vector<long> figures(count, 0);
    bool read = static_cast<bool>(fields >> folder);
    for (long& figure : figures) read = read && static_cast<bool>(fields >> figure);
    if (!read) {
      std::cerr << "unreadable line in " << path << ": " << line << "\n";
      return false;
    }
    out.figures[folder] = figures;
    out.order.push_back(folder);
  }
  return true;
}

// The .cpp and .h files below a folder (its sub-folders included), sorted; none when
// the folder is missing.
inline std::vector<std::filesystem::path> SourcesBelow(const std::filesystem::path& dir) {
  std::vector<std::filesystem::path> files;
  if (!std::filesystem::is_directory(dir)) return files;
  for (const auto& entry : std::filesystem::recursive_directory_iterator(dir)) {
    if (!entry.is_regular_file()) continue;
    const std::string ext = entry.path().extension().string();
    if (ext == ".cpp" || ext == ".h") files.push_back(entry.path());
  }
  std::sort(files.begin(), files.end());
  return files;
}

}  // namespace corvia_tools
