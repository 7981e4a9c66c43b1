// Counts the functions longer than 100 lines in each source folder. A function's length
// runs from the first line of its declaration (template head and return type included,
// the comment above it not) to the line of its closing brace. It reads the sources as
// text: comments, string and character literals and preprocessor lines are blanked (their
// line breaks kept), and braces are followed outside function bodies to tell a
// namespace, a class, an initializer and a function body apart. A lambda or a local class
// counts as a part of the function it stands in; a lambda at namespace scope counts as a
// function of its own.
//
//   corvia_long_functions <source root> <figures file> [--list]
//
// The figures file holds one line per folder, "<folder> <long functions allowed>"; a
// folder's sub-folders count as the folder. The program prints the count of every folder
// and the total, fails (exit 1) when a folder holds more long functions than its figure
// allows, and says which figures can be lowered. --list names every long function.

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "../common/FolderFigures.h"

namespace {

constexpr int kLongerThan = 100;

struct Function {
  std::string file;
  std::string name;
  int firstLine = 0;
  int lines = 0;
};

bool IsWordChar(char c) {
  return std::isalnum(static_cast<unsigned char>(c)) || c == '_';
}

// Skips a literal opened at s[i] (a quote or the R of a raw string) and gives the index
// past it, appending the line breaks it spans to out.
size_t SkipLiteral(const std::string& s, size_t i, std::string& out) {
  const size_t n = s.size();
  size_t end = n;
  if (s[i] == 'R') {
    const size_t open = s.find('(', i + 2);
    if (open != std::string::npos) {
      const std::string close = ")" + s.substr(i + 2, open - i - 2) + "\"";
      const size_t at = s.find(close, open + 1);
      end = at == std::string::npos ? n : at + close.size();
    }
  } else {
    const char quote = s[i];
    size_t j = i + 1;
    while (j < n && s[j] != quote) {
      if (s[j] == '\\') ++j;
      ++j;
    }
    end = std::min(n, j + 1);
  }
  out += "\"\"";
  out.append(static_cast<size_t>(std::count(s.begin() + i, s.begin() + end, '\n')), '\n');
  return end;
}

// The source with comments, literals and preprocessor lines blanked; every line break
// stays where it was.
std::string Blank(const std::string& s) {
  std::string out;
  out.reserve(s.size());
  const size_t n = s.size();
  bool lineStart = true;
  size_t i = 0;
  while (i < n) {
    const char c = s[i];
    if (c == '\n' || c == ' ' || c == '\t' || c == '\r') {
      out += c;
      lineStart = lineStart || c == '\n';
      ++i;
    } else if (s.compare(i, 2, "//") == 0) {
      while (i < n && s[i] != '\n') ++i;
    } else if (s.compare(i, 2, "/*") == 0) {
      const size_t at = s.find("*/", i + 2);
      const size_t end = at == std::string::npos ? n : at + 2;
      out.append(static_cast<size_t>(std::count(s.begin() + i, s.begin() + end, '\n')), '\n');
      i = end;
    } else if (c == '#' && lineStart) {
      for (; i < n && s[i] != '\n'; ++i) {
        if (s[i] == '\\' && i + 1 < n && s[i + 1] == '\n') {
          out += '\n';
          ++i;
        }
      }
    } else if (c == '\'' && i > 0 && std::isxdigit(static_cast<unsigned char>(s[i - 1])) && i + 1 < n &&
               std::isxdigit(static_cast<unsigned char>(s[i + 1])) && (i + 2 >= n || s[i + 2] != '\'')) {
      ++i;  // a digit separator
      lineStart = false;
    } else if (c == '"' || c == '\'' ||
               (c == 'R' && i + 1 < n && s[i + 1] == '"' && (i == 0 || !IsWordChar(s[i - 1])))) {
      i = SkipLiteral(s, i, out);
      lineStart = false;
    } else if ((c == 'R' || c == 'u' || c == 'U' || c == 'L') && i + 1 < n && (i == 0 || !IsWordChar(s[i - 1]))) {
      // An encoding prefix of a literal: u8"", u"", LR"(...)" and the like.
      size_t j = i + (s.compare(i, 2, "u8") == 0 ? 2 : 1);
      if (j < n && s[j] == 'R' && j + 1 < n && s[j + 1] == '"') {
        i = SkipLiteral(s, j, out);
      } else if (j < n && (s[j] == '"' || s[j] == '\'')) {
        i = SkipLiteral(s, j, out);
      } else {
        while (i < n && IsWordChar(s[i])) out += s[i++];
      }
      lineStart = false;
    } else {
      if (IsWordChar(c)) {
        while (i < n && IsWordChar(s[i])) out += s[i++];
      } else {
        out += c;
        ++i;
      }
      lineStart = false;
    }
  }
  return out;
}

// The words and punctuation of a declaration head, each a token.
std::vector<std::string> Tokens(const std::string& head) {
  std::vector<std::string> out;
  for (size_t i = 0; i < head.size();) {
    if (std::isspace(static_cast<unsigned char>(head[i]))) {
      ++i;
    } else if (IsWordChar(head[i])) {
      size_t j = i;
      while (j < head.size() && IsWordChar(head[j])) ++j;
      out.push_back(head.substr(i, j - i));
      i = j;
    } else {
      out.push_back(std::string(1, head[i++]));
    }
  }
  return out;
}

enum class Block { Namespace, Class, Function, Other };

// What a brace outside any function body opens, judged by the declaration head before it.
Block Judge(const std::vector<std::string>& t) {
  const auto has = [&](const char* word) { return std::find(t.begin(), t.end(), word) != t.end(); };
  if (has("namespace") || (t.size() >= 2 && t[0] == "extern" && t[1] == "\"")) return Block::Namespace;
  const auto lastParen = std::find(t.rbegin(), t.rend(), ")");
  if (lastParen == t.rend()) {
    for (const char* key : {"class", "struct", "union", "enum"}) {
      if (has(key)) return Block::Class;
    }
    return Block::Other;  // a brace initializer such as "int a[] {"
  }
  // A brace right after "=" (or "= Type") initializes; a head with a parenthesis that
  // opens no class body is a function.
  if (t.back() == "=" || (t.size() >= 2 && t[t.size() - 2] == "=" && IsWordChar(t.back()[0]))) return Block::Other;
  // "struct S : Base<(1)>" would pass for a function; a class key after the last ")" says
  // it is a class.
  for (auto it = t.rbegin(); it != lastParen; ++it) {
    if (*it == "class" || *it == "struct" || *it == "union" || *it == "enum") return Block::Class;
  }
  return Block::Function;
}

// The name before a head's first parenthesis: "Poly::SetFaceTypes", "Net::~Net",
// "operator==".
std::string NameOf(const std::vector<std::string>& t) {
  for (size_t i = 1; i < t.size(); ++i) {
    if (t[i] != "(") continue;
    size_t at = i - 1;
    std::string op;
    while (at > 0 && !IsWordChar(t[at][0]) && t[at] != ")" && t[at] != ">" && t[at] != "(") op = t[at--] + op;
    if (t[at] == "operator") return "operator" + (op.empty() && i + 1 < t.size() && t[i + 1] == ")" ? "()" : op);
    if (!op.empty() || !IsWordChar(t[at][0])) continue;
    std::string name = t[at];
    if (at >= 1 && t[at - 1] == "~") name = t[--at] + name;
    while (at >= 3 && t[at - 1] == ":" && t[at - 2] == ":" && IsWordChar(t[at - 3][0])) {
      at -= 3;
      name = t[at] + "::" + name;
    }
    return name;
  }
  return "?";
}

// Every function of a source longer than kLongerThan lines.
void Scan(const std::string& path, const std::string& shown, std::vector<Function>& found) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream buffer;
  buffer << in.rdbuf();
  const std::string s = Blank(buffer.str());

  struct Open {
    Block block;
    int firstLine;
    std::string name;
  };
  std::vector<Open> open;
  size_t functionsOpen = 0;
  size_t headStart = 0;
  int line = 1;
  for (size_t i = 0; i < s.size(); ++i) {
    const char c = s[i];
    if (c == '\n') {
      ++line;
    } else if (c == '{') {
      if (functionsOpen > 0) {
        open.push_back({Block::Other, line, {}});
      } else {
        const std::string head = s.substr(headStart, i - headStart);
        const std::vector<std::string> t = Tokens(head);
        const Block block = t.empty() ? Block::Other : Judge(t);
        const size_t first = head.find_first_not_of(" \t\r\n");
        const int firstLine = first == std::string::npos
                                  ? line
                                  : line - static_cast<int>(std::count(
                                               head.begin() + static_cast<std::ptrdiff_t>(first), head.end(), '\n'));
        open.push_back({block, firstLine, block == Block::Function ? NameOf(t) : std::string()});
        if (block == Block::Function) ++functionsOpen;
      }
      headStart = i + 1;
    } else if (c == '}') {
      if (!open.empty()) {
        const Open closed = open.back();
        open.pop_back();
        if (closed.block == Block::Function) {
          --functionsOpen;
          const int lines = line - closed.firstLine + 1;
          if (lines > kLongerThan) found.push_back({shown, closed.name, closed.firstLine, lines});
        }
      }
      headStart = i + 1;
    } else if (c == ';') {
      headStart = i + 1;
    } else if (c == ':' && functionsOpen == 0 && (i + 1 >= s.size() || s[i + 1] != ':') &&
               (i == 0 || s[i - 1] != ':')) {
      // "public:" and its kin end nothing but start the next declaration.
      const std::vector<std::string> t = Tokens(s.substr(headStart, i - headStart));
      if (t.size() == 1 && (t[0] == "public" || t[0] == "private" || t[0] == "protected")) headStart = i + 1;
    }
  }
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) {
    std::cerr << "usage: corvia_long_functions <source root> <figures file> [--list]\n";
    return 2;
  }
  namespace fs = std::filesystem;
  const fs::path root = argv[1];
  const bool list = argc > 3 && std::string(argv[3]) == "--list";

  corvia_tools::FolderFigures read;
  if (!corvia_tools::ReadFolderFigures(argv[2], 1, read)) return 2;
  const std::vector<std::string>& order = read.order;
  std::map<std::string, long> allowed;
  for (const auto& [folder, figures] : read.figures) allowed[folder] = figures[0];

  std::map<std::string, long> counted;
  std::vector<Function> found;
  for (const std::string& folder : order) {
    counted[folder] = 0;
    const std::vector<fs::path> files = corvia_tools::SourcesBelow(root / folder);
    for (const fs::path& file : files) {
      const size_t before = found.size();
      Scan(file.string(), fs::relative(file, root).generic_string(), found);
      counted[folder] += static_cast<long>(found.size() - before);
    }
  }

  if (list) {
    std::vector<Function> longest = found;
    std::stable_sort(longest.begin(), longest.end(),
                     [](const Function& a, const Function& b) { return a.lines > b.lines; });
    for (const Function& f : longest)
      std::cout << f.lines << " " << f.file << ":" << f.firstLine << ": " << f.name << "\n";
  }
  long total = 0;
  std::printf("%-12s %6s   (allowed)\n", "folder", "long");
  for (const std::string& folder : order) {
    std::printf("%-12s %6ld   (%ld)\n", folder.c_str(), counted[folder], allowed[folder]);
    total += counted[folder];
  }
  std::printf("%-12s %6ld\n", "total", total);
  bool over = false;
  for (const std::string& folder : order) {
    if (counted[folder] > allowed[folder]) {
      over = true;
      std::printf(
          "%s/ holds %ld functions longer than %d lines (allowed %ld): split the new one into helpers that "
          "each do one thing.\n",
          folder.c_str(), counted[folder], kLongerThan, allowed[folder]);
    } else if (counted[folder] < allowed[folder]) {
      std::printf("%s/ holds fewer long functions than its figure: lower it to %ld.\n", folder.c_str(),
                  counted[folder]);
    }
  }
  return over ? 1 : 0;
}
