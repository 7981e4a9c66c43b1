#include "core/TextList.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "core/Messages.h"
#include "core/Progress.h"
#include "core/Strings.h"
#include "core/TextFile.h"
#include "platform/SafeFiles.h"

namespace corvia {

namespace detail_TextList {

constexpr size_t kChunkBytes = 1 << 16;
constexpr const char* kReadingCaption = "Reading the text list";

}  // namespace detail_TextList

std::string TextListLineToText(const char* line) {
  std::string text;
  if (!line) return text;
  for (const char* p = line; *p;) {
    if (StartsWithNoCase(p, "<br>") == 0) {
      text += '\n';
      p += 4;
    } else if (StartsWithNoCase(p, "<p>") == 0) {
      text += "\n\n";
      p += 3;
    } else if (StartsWithNoCase(p, "<li>") == 0) {
      if (!text.empty() && text.back() != '\n') text += '\n';
      text.append(p, 4);
      p += 4;
    } else {
      text += *p++;
    }
  }
  return text;
}

std::string TextToTextListLine(const char* text) {
  std::string line;
  if (!text) return line;
  std::string plain;
  for (const char* p = text; *p; ++p) {
    if (*p != '\r') plain += *p;
  }
  for (size_t i = 0; i < plain.size(); ++i) {
    const char c = plain[i];
    if (c != '\n') {
      line += c;
    } else if (i > 0 && plain[i - 1] != '\n' && StartsWithNoCase(plain.c_str() + i + 1, "<li>") == 0) {
      // The line break that a list item brings with it (it brings none at the start
      // of the text or after another line break).
    } else if (i + 1 < plain.size() && plain[i + 1] == '\n') {
      line += "<p>";
      ++i;
    } else {
      line += "<br>";
    }
  }
  return line;
}

TextListRead ReadTextList(const char* path, size_t count, std::vector<TextListEntry>& entries, std::string& error) {
  entries.clear();
  error.clear();
  const std::string name = path ? path : "";
  std::string reason;
  FILE* file = IsBlank(path) ? nullptr : platform::OpenRegularFileStream(path, &reason);
  if (!file) {
    const bool missing = IsBlank(path) || errno == ENOENT;
    error = FormatLimited(kMessageBufferSize, "Couldn't open file '%s' for reading%s%s", name.c_str(),
                          missing ? "" : "\n", missing ? "" : AsSentence(reason).c_str());
    return TextListRead::kFailed;
  }
  auto fail = [&](const std::string& why) {
    error = FormatLimited(kMessageBufferSize, "Couldn't read the text list '%s'.\n%s", name.c_str(), why.c_str());
    entries.clear();
    std::fclose(file);
    return TextListRead::kFailed;
  };
  std::fseek(file, 0, SEEK_END);
  const long size = std::ftell(file);
  std::fseek(file, 0, SEEK_SET);

  ProgressScope progress;
  std::vector<char> chunk(detail_TextList::kChunkBytes);
  std::string line;
  size_t lineIndex = 0;
  size_t done = 0;
  bool afterReturn = false;  // a '\n' just after a '\r' ends no line of its own
  bool first = true;
  bool any = false;      // the line being read has begun
  bool notText = false;  // the line read holds bytes that are no UTF-8 text
  // Takes the line read; false once the lines wanted are all read.
  auto endLine = [&]() {
    size_t replaced = 0;
    (void)ReplaceNonText(line, &replaced);
    if (replaced > 0) {
      notText = true;
      return false;
    }
    if (!IsBlank(line.c_str())) {
      std::string text = TextListLineToText(line.c_str());
      entries.push_back({lineIndex, IsBlank(text.c_str()) ? line : std::move(text)});
    }
    line.clear();
    any = false;
    return ++lineIndex < count;
  };
  bool more = count > 0;
  while (more) {
    const size_t got = std::fread(chunk.data(), 1, chunk.size(), file);
    if (got == 0) break;
    if (first) {
      first = false;
      if (BeginsWithByteOrderMark(chunk.data(), got)) return fail(kUnicodeFileRefused);
    }
    for (size_t i = 0; i < got && more; ++i) {
      const char c = chunk[i];
      if (c == '\n' && afterReturn) {
        afterReturn = false;
        continue;
      }
      afterReturn = c == '\r';
      if (c == '\n' || c == '\r') {
        more = endLine();
        continue;
      }
      if (c == '\0') {
        return fail(FormatLimited(kMessageBufferSize, "Line %zu holds a zero byte: this is no text file.",
                                  lineIndex + 1));
      }
      if (line.size() >= kTextListMaxLine) {
        return fail(FormatLimited(kMessageBufferSize, "Line %zu is longer than %zu characters.", lineIndex + 1,
                                  kTextListMaxLine));
      }
      line += c;
      any = true;
    }
    done += got;
    if (more && !UpdateProgress(size > 0 ? double(done) / double(size) : 0.0, "%s", detail_TextList::kReadingCaption)) {
      entries.clear();
      std::fclose(file);
      return TextListRead::kCancelled;
    }
  }
  if (more && any) endLine();
  if (notText) {
    return fail(FormatLimited(kMessageBufferSize,
                              "Line %zu holds bytes that are no UTF-8 text, or control characters.\n"
                              "Please save the list as UTF-8 text.",
                              lineIndex + 1));
  }
  if (std::ferror(file)) return fail(std::strerror(errno));
  std::fclose(file);
  return TextListRead::kRead;
}

}  // namespace corvia
