#include "platform/wx/WxPromptMarkup.h"

#include <cstring>
#include <strings.h>

namespace corvia::platform {

namespace {

// The styles the toolkit's labels know, as the prompt writes them.
constexpr const char* kKeptTags[] = {"<b>", "</b>", "<i>", "</i>"};
// The entities the prompt may use, kept as they are: the label's mark-up knows them.
constexpr const char* kKeptEntities[] = {"&lt;", "&gt;", "&amp;"};

bool StartsWithNoCase(const std::string& text, size_t at, const char* prefix) {
  const size_t length = std::strlen(prefix);
  return text.size() - at >= length && strncasecmp(text.c_str() + at, prefix, length) == 0;
}

}  // namespace

std::string PromptToLabelMarkup(const std::string& prompt) {
  std::string out;
  out.reserve(prompt.size() + 16);
  size_t i = 0;
  while (i < prompt.size()) {
    const char c = prompt[i];
    if (c == '<') {
      if (i + 1 < prompt.size() && prompt[i + 1] == '<') {
        out += "&lt;";
        i += 2;
        continue;
      }
      bool kept = false;
      for (const char* tag : kKeptTags) {
        if (!StartsWithNoCase(prompt, i, tag)) continue;
        for (const char* t = tag; *t; ++t) out += static_cast<char>(*t >= 'A' && *t <= 'Z' ? *t - 'A' + 'a' : *t);
        i += std::strlen(tag);
        kept = true;
        break;
      }
      if (kept) continue;
      // Any other tag is left out; a "<" without its ">" is a plain character.
      const size_t end = prompt.find('>', i);
      if (end == std::string::npos) {
        out += "&lt;";
        ++i;
      } else {
        i = end + 1;
      }
      continue;
    }
    if (c == '&') {
      bool kept = false;
      for (const char* entity : kKeptEntities) {
        if (!StartsWithNoCase(prompt, i, entity)) continue;
        out += entity;
        i += std::strlen(entity);
        kept = true;
        break;
      }
      if (!kept) {
        out += "&amp;";
        ++i;
      }
      continue;
    }
    if (c == '>') {
      out += "&gt;";
    } else if (c != '\r') {
      out += c;
    }
    ++i;
  }
  return out;
}

}  // namespace corvia::platform
