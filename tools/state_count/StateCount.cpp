// Counts the mutable state of process lifetime in each source folder: variables defined
// at namespace scope (class statics defined out of line included) and function-local
// statics, that are neither const nor constexpr. It reads the sources as text: comments,
// strings and preprocessor lines are dropped, braces are followed to tell a namespace, a
// class, a function body and a brace initializer apart, and each declaration at
// namespace scope or each "static" statement inside a function is judged by its
// declaration specifiers and declarator.
//
//   corvia_state_count <source root> <figures file> [--list]
//
// The figures file holds one line per folder, "<folder> <namespace-scope> <statics>";
// a folder's sub-folders count as the folder. The program prints the counts of every
// folder, fails (exit 1) when a folder holds more than its figures allow or is missing
// from the file, and says which figures can be lowered. --list names every variable.

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "../common/FolderFigures.h"

namespace {

struct Token {
  std::string text;
  int line = 0;
};

struct Found {
  std::string file;
  int line = 0;
  std::string name;
  bool local = false;
};

bool IsIdentStart(char c) {
  return std::isalpha(static_cast<unsigned char>(c)) || c == '_';
}
bool IsIdentChar(char c) {
  return std::isalnum(static_cast<unsigned char>(c)) || c == '_';
}
bool IsIdent(const std::string& t) {
  return !t.empty() && IsIdentStart(t[0]);
}

// Splits a source into tokens: identifiers, numbers, string literals (as one token
// "\"\""), and punctuation, with "::", "->" and "[[" "]]" kept whole. Comments and
// preprocessor lines (with their continuations) are dropped.
std::vector<Token> Tokenize(const std::string& s) {
  std::vector<Token> out;
  size_t i = 0;
  int line = 1;
  bool lineStart = true;
  const size_t n = s.size();
  auto push = [&](std::string t) { out.push_back({std::move(t), line}); };
  while (i < n) {
    char c = s[i];
    if (c == '\n') {
      ++line;
      lineStart = true;
      ++i;
      continue;
    }
    if (std::isspace(static_cast<unsigned char>(c))) {
      ++i;
      continue;
    }
    if (c == '/' && i + 1 < n && s[i + 1] == '/') {
      while (i < n && s[i] != '\n') ++i;
      continue;
    }
    if (c == '/' && i + 1 < n && s[i + 1] == '*') {
      i += 2;
      while (i + 1 < n && !(s[i] == '*' && s[i + 1] == '/')) {
        if (s[i] == '\n') ++line;
        ++i;
      }
      i += 2;
      continue;
    }
    if (c == '#' && lineStart) {
      while (i < n && s[i] != '\n') {
        if (s[i] == '\\' && i + 1 < n && s[i + 1] == '\n') {
          ++line;
          ++i;
        } else if (s[i] == '/' && i + 1 < n && s[i + 1] == '*') {
          break;  // a block comment after a directive is read as a comment
        }
        ++i;
      }
      continue;
    }
    lineStart = false;
    // Raw string literals: R"delim( ... )delim", with any encoding prefix.
    if (c == 'R' || ((c == 'u' || c == 'U' || c == 'L') && i + 1 < n)) {
      size_t j = i;
      if (s[j] == 'u' && j + 1 < n && s[j + 1] == '8')
        j += 2;
      else if (s[j] != 'R')
        ++j;
      if (j + 1 < n && s[j] == 'R' && s[j + 1] == '"') {
        size_t open = s.find('(', j + 2);
        if (open != std::string::npos) {
          std::string close = ")" + s.substr(j + 2, open - j - 2) + "\"";
          size_t end = s.find(close, open + 1);
          if (end == std::string::npos) end = n;
          for (size_t k = i; k < end && k < n; ++k) {
            if (s[k] == '\n') ++line;
          }
          push("\"\"");
          i = std::min(n, end + close.size());
          continue;
        }
      }
    }
    if (IsIdentStart(c)) {
      size_t j = i;
      while (j < n && IsIdentChar(s[j])) ++j;
      // An encoding prefix directly before a literal belongs to the literal.
      if (j < n && (s[j] == '"' || s[j] == '\'')) {
        std::string word = s.substr(i, j - i);
        if (word == "u8" || word == "u" || word == "U" || word == "L") {
          i = j;
          continue;
        }
      }
      push(s.substr(i, j - i));
      i = j;
      continue;
    }
    if (std::isdigit(static_cast<unsigned char>(c)) || (c == '.' && i + 1 < n && std::isdigit(s[i + 1]))) {
      size_t j = i;
      // Digits, digit separators, exponents with their signs, suffixes.
      while (j < n) {
        char d = s[j];
        if (IsIdentChar(d) || d == '.' || (d == '\'' && j + 1 < n && IsIdentChar(s[j + 1]))) {
          ++j;
        } else if ((d == '+' || d == '-') &&
                   (s[j - 1] == 'e' || s[j - 1] == 'E' || s[j - 1] == 'p' || s[j - 1] == 'P')) {
          ++j;
        } else {
          break;
        }
      }
      push("0");
      i = j;
      continue;
    }
    if (c == '"' || c == '\'') {
      size_t j = i + 1;
      while (j < n && s[j] != c) {
        if (s[j] == '\\') ++j;
        if (j < n && s[j] == '\n') ++line;
        ++j;
      }
      push(c == '"' ? "\"\"" : "0");
      i = j + 1;
      continue;
    }
    if (i + 1 < n) {
      std::string two = s.substr(i, 2);
      // Compound operators stay whole, so that a lone "=" is always an assignment or
      // an initializer.
      static const std::set<std::string> kTwo = {"::", "->", "[[", "]]", "==", "!=", "<=", ">=", "+=", "-=", "*=",
                                                 "/=", "%=", "|=", "&=", "^=", "&&", "||", "++", "--", "<<"};
      if (kTwo.count(two)) {
        push(two);
        i += 2;
        continue;
      }
    }
    push(std::string(1, c));
    ++i;
  }
  return out;
}

// An enumeration's body is read as an initializer: its names are no statements.
enum class Scope { Namespace, Class, Function, Initializer };

// Drops what stands before a declaration and is no part of it: attributes, alignas and
// __attribute__, template heads, and macro calls such as event tables that end without
// a semicolon (a name in capitals, or one starting with "wx", whose parentheses are
// followed by another name).
std::vector<std::string> Clean(const std::vector<Token>& stmt) {
  std::vector<std::string> t;
  t.reserve(stmt.size());
  for (size_t i = 0; i < stmt.size(); ++i) {
    const std::string& w = stmt[i].text;
    if (w == "[[") {
      int depth = 1;
      while (++i < stmt.size() && depth > 0) {
        if (stmt[i].text == "[[") ++depth;
        if (stmt[i].text == "]]") --depth;
      }
      --i;
      continue;
    }
    if ((w == "alignas" || w == "__attribute__" || w == "__declspec") && i + 1 < stmt.size() &&
        stmt[i + 1].text == "(") {
      int depth = 0;
      for (++i; i < stmt.size(); ++i) {
        if (stmt[i].text == "(") ++depth;
        if (stmt[i].text == ")" && --depth == 0) break;
      }
      continue;
    }
    if (w == "__extension__") continue;
    t.push_back(w);
  }
  // Leading macro calls (event tables and the like).
  for (;;) {
    if (t.size() < 3 || !IsIdent(t[0]) || t[1] != "(") break;
    const std::string& name = t[0];
    bool macro = name.rfind("wx", 0) == 0 && name.size() > 2 && std::isupper(static_cast<unsigned char>(name[2]));
    if (!macro) {
      macro =
          std::none_of(name.begin(), name.end(), [](char c) { return std::islower(static_cast<unsigned char>(c)); });
    }
    if (!macro) break;
    size_t j = 1;
    int depth = 0;
    for (; j < t.size(); ++j) {
      if (t[j] == "(") ++depth;
      if (t[j] == ")" && --depth == 0) break;
    }
    if (j + 1 >= t.size() || !IsIdent(t[j + 1])) break;
    static const std::set<std::string> kAfterSignature = {"const", "override", "final", "noexcept", "volatile"};
    if (kAfterSignature.count(t[j + 1])) break;
    t.erase(t.begin(), t.begin() + static_cast<long>(j) + 1);
  }
  // Template heads.
  while (!t.empty() && t[0] == "template" && t.size() > 1 && t[1] == "<") {
    size_t j = 1;
    int depth = 0;
    for (; j < t.size(); ++j) {
      if (t[j] == "<") ++depth;
      if (t[j] == ">" && --depth == 0) break;
    }
    t.erase(t.begin(), t.begin() + static_cast<long>(std::min(j + 1, t.size())));
  }
  return t;
}

// The index of the first token at nesting depth zero (parentheses, brackets, angle
// brackets of templates) that is one of `stops`, or the size when there is none.
size_t FindTop(const std::vector<std::string>& t, size_t from, const std::set<std::string>& stops) {
  int depth = 0;
  for (size_t i = from; i < t.size(); ++i) {
    const std::string& w = t[i];
    if (depth == 0 && stops.count(w)) return i;
    if (w == "(" || w == "[" || w == "{") ++depth;
    if (w == ")" || w == "]" || w == "}") --depth;
    // "<" opens a template argument list after a name; declarations have no "less than".
    if (w == "<" && i > 0 && IsIdent(t[i - 1])) ++depth;
    if (w == ">" && depth > 0) --depth;
  }
  return t.size();
}

// Whether the parenthesis at `open`, after a declarator's name, holds an initializer's
// arguments rather than a function's parameters: a literal, a name called
// ("wxPoint(20, 20)"), an operator of an expression, or an argument that starts with
// "&" or "*". A lone name ("T x(y);") is read as a parameter's type.
bool HoldsArguments(const std::vector<std::string>& t, size_t open) {
  static const std::set<std::string> kValues = {"0", "\"\"", "nullptr", "true", "false", "this", "sizeof"};
  static const std::set<std::string> kOperators = {"+", "-", "!", "~", "/", "%", "|", "^", "?", "==", "!=", "||", "<<"};
  int depth = 0;
  bool argumentStart = true;
  for (size_t i = open + 1; i < t.size(); ++i) {
    const std::string& w = t[i];
    if (w == ")" && depth == 0) return false;
    if (depth == 0 && argumentStart && (w == "&" || w == "*")) return true;  // "&x", "*p"
    argumentStart = depth == 0 && w == ",";
    if (w == "(" || w == "[" || w == "{") {
      // A name called; a function pointer parameter has "(*" instead.
      if (depth == 0 && w == "(" && i > open + 1 && IsIdent(t[i - 1]) && i + 1 < t.size() && t[i + 1] != "*" &&
          t[i + 1] != "&")
        return true;
      ++depth;
      continue;
    }
    if (w == ")" || w == "]" || w == "}") {
      --depth;
      continue;
    }
    if (w == "<" && IsIdent(t[i - 1])) {
      ++depth;
      continue;
    }
    if (w == ">" && depth > 0) {
      --depth;
      continue;
    }
    if (depth > 0) continue;
    if (w == "=") {
      // A default argument: skip to the next parameter.
      int inner = 0;
      while (i + 1 < t.size() && !(inner == 0 && (t[i + 1] == "," || t[i + 1] == ")"))) {
        ++i;
        if (t[i] == "(" || t[i] == "[" || t[i] == "{") ++inner;
        if (t[i] == ")" || t[i] == "]" || t[i] == "}") --inner;
      }
      continue;
    }
    if (kValues.count(w) || kOperators.count(w)) return true;
  }
  return false;
}

// Whether the declaration in `t` (cleaned, at namespace scope or after "static" in a
// function) defines a variable that can change, and its name. The declarator part runs
// to the first "=", "{" or "(" that is not a function pointer's "(*"; a parenthesis that
// holds arguments ("T x(args);", and any in a function's static) initializes it.
bool MutableVariable(const std::vector<std::string>& t, std::string& name, bool localStatic = false) {
  if (t.empty()) return false;
  static const std::set<std::string> kNotVariables = {
      "using",    "typedef", "static_assert", "friend", "namespace", "template", "return",  "goto",      "break",
      "continue", "case",    "default",       "delete", "throw",     "public",   "private", "protected", "operator"};
  if (kNotVariables.count(t[0])) return false;
  if (std::find(t.begin(), t.end(), "operator") != t.end()) return false;
  bool isExtern = t[0] == "extern" || (t.size() > 1 && t[1] == "extern");
  size_t assign = FindTop(t, 0, {"="});
  if (isExtern && assign == t.size()) return false;  // a declaration; the definition counts
  // The declarator: up to the initializer.
  std::vector<std::string> decl(t.begin(), t.begin() + static_cast<long>(assign));
  // A parenthesis in the declarator is a function unless it holds a pointer, "(*name)",
  // or an initializer's arguments. No function is declared static inside a function:
  // there a parenthesis after the name always initializes.
  size_t paren = FindTop(decl, 0, {"("});
  const bool pointerDeclarator = paren + 1 < decl.size() && (decl[paren + 1] == "*" || decl[paren + 1] == "&");
  if (paren < decl.size() && paren > 0 && IsIdent(decl[paren - 1]) && !pointerDeclarator &&
      (localStatic || HoldsArguments(decl, paren))) {
    decl.erase(decl.begin() + static_cast<long>(paren), decl.end());
    paren = decl.size();
  }
  if (paren < decl.size()) {
    bool pointer = paren + 1 < decl.size() && (decl[paren + 1] == "*" || decl[paren + 1] == "&");
    if (!pointer) return false;
    // The variable's name is inside the parentheses; its constness follows the "*".
    size_t close = paren + 1;
    while (close < decl.size() && decl[close] != ")") ++close;
    bool constPointer = false;
    for (size_t i = paren + 2; i < close; ++i) {
      if (decl[i] == "const") constPointer = true;
      if (IsIdent(decl[i]) && decl[i] != "const") name = decl[i];
    }
    if (std::find(decl.begin(), decl.end(), "constexpr") != decl.end()) return false;
    return !constPointer && !name.empty();
  }
  // The declarator's name: the last identifier before an array bound, if any.
  size_t bound = FindTop(decl, 0, {"["});
  std::vector<std::string> head(decl.begin(), decl.begin() + static_cast<long>(bound));
  if (head.empty()) return false;
  // Elaborated type declarations ("class Foo;", "enum class E : int;") declare no variable.
  static const std::set<std::string> kTypeKeys = {"class", "struct", "union", "enum"};
  size_t firstKey = 0;
  while (firstKey < head.size() && (head[firstKey] == "static" || head[firstKey] == "inline")) ++firstKey;
  if (firstKey < head.size() && kTypeKeys.count(head[firstKey])) {
    auto body = std::find(head.begin(), head.end(), "{}");
    if (body != head.end()) {
      // "struct Foo { ... };" declares a type; "struct { ... } gState;" a variable too.
      if (body + 1 == head.end()) return false;
    } else {
      if (std::find(head.begin(), head.end(), ":") != head.end()) return false;  // a base or an enum's type
      // "struct Foo gFoo;" has a name after the type's name; "struct Foo;" does not.
      size_t k = firstKey + 1;
      if (k < head.size() && head[k] == "class") ++k;
      if (k + 1 >= head.size() || !IsIdent(head.back())) return false;
      if (head[head.size() - 2] == "::") return false;  // "struct Outer::Inner;"
    }
  }
  if (!IsIdent(head.back())) return false;
  static const std::set<std::string> kNoName = {"const",  "int",   "char",     "void",     "bool",
                                                "double", "float", "long",     "short",    "unsigned",
                                                "signed", "auto",  "volatile", "constexpr"};
  if (kNoName.count(head.back())) return false;
  if (head.size() < 2) return false;  // a lone name is a macro call or an expression
  name = head.back();
  if (std::find(head.begin(), head.end(), "constexpr") != head.end()) return false;
  if (std::find(head.begin(), head.end(), "consteval") != head.end()) return false;
  // The variable is const when "const" stands after its last "*" (or "&"), or anywhere
  // outside template arguments when it is no pointer.
  size_t lastStar = head.size();
  int depth = 0;
  std::vector<int> depthAt(head.size(), 0);
  for (size_t i = 0; i < head.size(); ++i) {
    if (head[i] == "<" && i > 0 && IsIdent(head[i - 1])) ++depth;
    depthAt[i] = depth;
    if (head[i] == ">" && depth > 0) --depth;
    if (depthAt[i] == 0 && (head[i] == "*" || head[i] == "&")) lastStar = i;
  }
  if (lastStar < head.size() && head[lastStar] == "&") return false;  // a reference is bound once
  size_t from = lastStar < head.size() ? lastStar + 1 : 0;
  for (size_t i = from; i < head.size(); ++i) {
    if (head[i] == "const" && depthAt[i] == 0) return false;
  }
  return true;
}

// The names of the further declarators of a statement ("int a = 1, b;" declares "b"
// too): what follows each comma at depth zero, up to its initializer or bound.
std::vector<std::string> MoreDeclarators(const std::vector<std::string>& t) {
  std::vector<std::string> names;
  size_t i = 0;
  while ((i = FindTop(t, i, {","})) < t.size()) {
    size_t end = FindTop(t, i + 1, {"=", "[", ",", "{", "("});
    std::string name;
    for (size_t k = i + 1; k < end; ++k) {
      if (IsIdent(t[k]) && t[k] != "const") name = t[k];
    }
    if (!name.empty()) names.push_back(name);
    ++i;
  }
  return names;
}

void Scan(const std::string& path, const std::string& shown, std::vector<Found>& found) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream buf;
  buf << in.rdbuf();
  std::vector<Token> tokens = Tokenize(buf.str());

  std::vector<Scope> scopes = {Scope::Namespace};
  std::vector<Token> stmt;
  // The head of each open class ("struct Foo"), resumed after its body, where a
  // declarator may follow ("struct { ... } gState;").
  std::vector<std::vector<Token>> classHeads;
  auto record = [&](bool local) {
    std::vector<std::string> t = Clean(stmt);
    std::string name;
    int line = stmt.empty() ? 0 : stmt.front().line;
    if (local) {
      // "static" or "thread_local" opens the statement; drop it and judge the rest.
      size_t k = 0;
      bool storage = false;
      while (k < t.size() && (t[k] == "static" || t[k] == "thread_local")) {
        storage = true;
        ++k;
      }
      if (!storage) return;
      std::vector<std::string> rest(t.begin() + static_cast<long>(k), t.end());
      rest.insert(rest.begin(), "static");
      if (MutableVariable(rest, name, true)) {
        found.push_back({shown, line, name, true});
        for (const std::string& more : MoreDeclarators(rest)) found.push_back({shown, line, more, true});
      }
      return;
    }
    if (MutableVariable(t, name)) {
      found.push_back({shown, line, name, false});
      for (const std::string& more : MoreDeclarators(t)) found.push_back({shown, line, more, false});
    }
  };

  for (size_t i = 0; i < tokens.size(); ++i) {
    const Token& tok = tokens[i];
    Scope here = scopes.back();
    if (here == Scope::Initializer) {
      if (tok.text == "{") scopes.push_back(Scope::Initializer);
      if (tok.text == "}") scopes.pop_back();
      continue;
    }
    if (tok.text == ";") {
      if (here == Scope::Namespace) record(false);
      if (here == Scope::Function) record(true);
      // A class's "static inline" member is defined in the class, and lives as long as
      // the process.
      if (here == Scope::Class) {
        std::vector<std::string> t = Clean(stmt);
        bool isStatic = std::find(t.begin(), t.end(), "static") != t.end();
        bool isInline = std::find(t.begin(), t.end(), "inline") != t.end();
        bool isThread = std::find(t.begin(), t.end(), "thread_local") != t.end();
        if ((isStatic && isInline) || isThread) {
          std::vector<std::string> rest;
          for (const std::string& w : t) {
            if (w != "static" && w != "inline" && w != "thread_local") rest.push_back(w);
          }
          std::string name;
          if (MutableVariable(rest, name)) found.push_back({shown, stmt.front().line, name, false});
        }
      }
      stmt.clear();
      continue;
    }
    if (tok.text == "}") {
      if (scopes.size() > 1) scopes.pop_back();
      stmt.clear();
      if (here == Scope::Class && !classHeads.empty()) {
        stmt = std::move(classHeads.back());
        classHeads.pop_back();
        stmt.push_back({"{}", tok.line});  // the body, for a declarator that may follow
      }
      continue;
    }
    if (tok.text != "{") {
      stmt.push_back(tok);
      continue;
    }
    // An opening brace: what does it open?
    std::vector<std::string> t = Clean(stmt);
    const std::string prev = t.empty() ? "" : t.back();
    bool hasParen = FindTop(t, 0, {"("}) < t.size() || std::find(t.begin(), t.end(), "(") != t.end();
    bool hasAssign = FindTop(t, 0, {"="}) < t.size();
    Scope opens = Scope::Function;
    if (here == Scope::Function) {
      // Inside a body every brace is a block, unless it initializes a declared
      // static ("static T x{...}" or "static T x = {...}") or opens the class of one
      // ("static struct { ... } s;").
      bool isStatic = !t.empty() && (t[0] == "static" || t[0] == "thread_local");
      bool initializer = hasAssign || prev == "=" || prev == "," || prev == "(" || prev == "return";
      size_t key = 1;
      while (key < t.size() && (t[key] == "static" || t[key] == "thread_local" || t[key] == "const")) ++key;
      if (isStatic && !hasAssign && key < t.size() &&
          (t[key] == "struct" || t[key] == "class" || t[key] == "union") &&
          (key + 1 == t.size() || (key + 2 == t.size() && IsIdent(t[key + 1])))) {
        scopes.push_back(Scope::Class);
        classHeads.push_back(stmt);
        stmt.clear();
        continue;
      }
      if (isStatic && (initializer || IsIdent(prev) || prev == ">" || prev == "]")) {
        scopes.push_back(Scope::Initializer);
        continue;
      }
      if (initializer && !isStatic && prev != ")" && prev != "]") {
        scopes.push_back(Scope::Initializer);
        continue;
      }
      scopes.push_back(Scope::Function);
      stmt.clear();
      continue;
    } else if (!t.empty() && (t[0] == "namespace" || (t[0] == "inline" && t.size() > 1 && t[1] == "namespace"))) {
      opens = Scope::Namespace;
    } else if (!t.empty() && t[0] == "extern" && t.size() == 2 && t[1] == "\"\"") {
      opens = Scope::Namespace;
    } else if (hasAssign || prev == "=" || prev == ",") {
      opens = Scope::Initializer;
    } else {
      // A class, struct, union or enum head: its key, with no parenthesis before it.
      size_t key = t.size();
      for (size_t k = 0; k < t.size(); ++k) {
        if (t[k] == "(") break;
        if (t[k] == "class" || t[k] == "struct" || t[k] == "union" || t[k] == "enum") {
          key = k;
          break;
        }
      }
      if (key < t.size()) {
        opens = t[key] == "enum" ? Scope::Initializer : Scope::Class;
      } else if (hasParen) {
        // A function body, or a brace in a constructor's member initializers.
        size_t colon = t.size();
        for (size_t k = 1; k < t.size(); ++k) {
          if (t[k] == ":" && t[k - 1] == ")") {
            colon = k;
            break;
          }
        }
        opens = Scope::Function;
        if (colon < t.size() && (IsIdent(prev) || prev == ">")) opens = Scope::Initializer;
      } else {
        opens = Scope::Initializer;  // "T x{...}" at namespace or class scope
      }
    }
    scopes.push_back(opens);
    if (opens == Scope::Class) classHeads.push_back(stmt);
    if (opens != Scope::Initializer) stmt.clear();
  }
}

struct Figures {
  long names = 0;
  long statics = 0;
};

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) {
    std::cerr << "usage: corvia_state_count <source root> <figures file> [--list]\n";
    return 2;
  }
  namespace fs = std::filesystem;
  const fs::path root = argv[1];
  const bool list = argc > 3 && std::string(argv[3]) == "--list";

  corvia_tools::FolderFigures read;
  if (!corvia_tools::ReadFolderFigures(argv[2], 2, read)) return 2;
  const std::vector<std::string>& order = read.order;
  std::map<std::string, Figures> allowed;
  for (const auto& [folder, figures] : read.figures) allowed[folder] = {figures[0], figures[1]};

  std::map<std::string, Figures> counted;
  std::vector<Found> found;
  for (const std::string& folder : order) {
    counted[folder];
    const std::vector<fs::path> files = corvia_tools::SourcesBelow(root / folder);
    for (const fs::path& file : files) {
      std::vector<Found> here;
      Scan(file.string(), fs::relative(file, root).generic_string(), here);
      for (const Found& f : here) {
        (f.local ? counted[folder].statics : counted[folder].names) += 1;
        found.push_back(f);
      }
    }
  }

  if (list) {
    for (const Found& f : found) {
      std::cout << f.file << ":" << f.line << ": " << (f.local ? "static " : "namespace ") << f.name << "\n";
    }
  }
  bool over = false;
  std::printf("%-12s %10s %8s   (allowed)\n", "folder", "namespace", "statics");
  for (const std::string& folder : order) {
    const Figures& c = counted[folder];
    const Figures& a = allowed[folder];
    std::printf("%-12s %10ld %8ld   (%ld %ld)\n", folder.c_str(), c.names, c.statics, a.names, a.statics);
  }
  for (const std::string& folder : order) {
    const Figures& c = counted[folder];
    const Figures& a = allowed[folder];
    if (c.names > a.names || c.statics > a.statics) {
      over = true;
      std::printf(
          "%s/ holds more mutable state than allowed: %ld namespace-scope variables (allowed %ld), %ld "
          "function-local statics (allowed %ld). Give the new state an owner (a view, a frame, a "
          "document) instead of a variable of process lifetime.\n",
          folder.c_str(), c.names, a.names, c.statics, a.statics);
    } else if (c.names < a.names || c.statics < a.statics) {
      std::printf("%s/ holds less mutable state than its figures: lower them to %ld %ld.\n", folder.c_str(), c.names,
                  c.statics);
    }
  }
  return over ? 1 : 0;
}
