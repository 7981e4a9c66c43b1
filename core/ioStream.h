#pragma once
// The token stream: the one structured storage format of the system. A header with
// a file-type word and a format version, then a body of named tokens and values in
// an order the writer chooses; the reader calls the matching reads in the same
// order. The same calls write and read three encodings:
//   ASCII   readable text, one item after another, lines joined by "Continue" and
//           "ContNewL" where long strings are split;
//   BINARY  compact little-endian fields;
//   memory  BINARY fields in a growable buffer, without the file-type and mode words.
// The library knows nothing of what the tokens mean: each user passes a token table
// (a callback naming token indices) and an error handler.
//
// File header: "<type word> ASCII <major>.<minor, 2 digits>\n", or
// "<type word> BINARY " followed by major and minor as 16-bit little-endian values.
// A memory stream begins with major and minor as 16-bit little-endian values.
//
// Every read treats its input as hostile: counts, lengths and words are bounded, a
// truncated stream reports an error and reads as a neutral value (false, -1, 0 or an
// empty string), and nothing is read or written out of bounds. ASCII text holding a
// zero byte is no text: it is an error, since no string could carry it back.

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace corvia {

// Stream modes.
constexpr int kIoModeUnknown = -1;
constexpr int kIoModeAscii = 0;
constexpr int kIoModeBinary = 1;
constexpr int kIoModeMemory = 2;

// Token indices with a meaning of their own; the caller's tokens are 0 and up.
constexpr int kIoTokenEnd = -1;
constexpr int kIoTokenContinue = -3;
constexpr int kIoTokenContNewL = -4;

// Levels of ioError.
constexpr int kIoLevelWarning = 0;
constexpr int kIoLevelError = 1;

// Bounds on what a reader accepts.
constexpr int kIoMaxWordLength = 120;                   // token, enum and bool words (longer ones are cut)
constexpr size_t kIoMaxStringLength = size_t(1) << 26;  // one string, continuations joined
constexpr size_t kIoMaxLineLength = size_t(1) << 26;    // one ASCII line
constexpr int kIoMaxTokens = 32768;                     // entries of a token table
constexpr int kIoStringPieceLength = 60;                // ASCII strings are split after this many bytes

// Name of token index i, null past the last token.
using ioTokenNameFunc = std::function<const char*(int index)>;
// (level, the full text with file name and line, the bare message) -> result of ioError.
using ioErrorHandler = std::function<int(int level, const char* text, const char* message)>;
// Called now and then while an ASCII text is read (every kIoProgressLines lines, blank
// and comment lines included); false stops the reading as if the data had ended.
using ioProgressFunc = std::function<bool()>;
constexpr int kIoProgressLines = 1 << 16;

struct ioCallbacks {
  ioTokenNameFunc tokenName;
  ioErrorHandler errorHandler;
};

// One entry of an enum table; a table ends with an entry whose name is null.
// Values are not negative (-1 means "not found").
struct ioEnumPair {
  int32_t value;
  const char* name;
};

// The caller-owned slot that receives the data of a memory write stream at close.
// The data are allocated with the C allocator.
struct ioBuffer {
  int32_t length = 0;
  uint8_t* data = nullptr;

  ioBuffer() = default;
  ioBuffer(const ioBuffer&) = delete;
  ioBuffer& operator=(const ioBuffer&) = delete;
  ~ioBuffer() { Free(); }
  // Frees the data and clears both fields.
  void Free();
  // Clears both fields without freeing (the data now belong to someone else).
  void Reset() {
    length = 0;
    data = nullptr;
  }
};

// One open stream; created by ioOpenWrite or ioOpenRead, destroyed by ioClose.
struct ioStream {
  int mMode = kIoModeUnknown;
  int16_t mVersionMajor = -1;
  int16_t mVersionMinor = -1;
  FILE* mFile = nullptr;
  int64_t mFileSize = 0;    // reading a file or a text: its size in bytes
  std::string mFileName;    // file streams only; used in messages
  int32_t mLineNumber = 0;  // ASCII text lines read so far
  std::string mLine;        // the current text line (ASCII reading)
  size_t mLinePos = 0;      // where the next ASCII read starts
  size_t mLineStart = 0;    // where the current line's first word starts
  int mPushedToken = kIoTokenEnd;
  bool mWriting = false;
  // Memory streams: written data (owned, C allocator) or the caller's data.
  uint8_t* mMemData = nullptr;
  const uint8_t* mMemRead = nullptr;
  int32_t mMemPos = 0;   // write: bytes written; read: read position
  int32_t mMemSize = 0;  // write: capacity; read: size of the data
  ioBuffer* mResult = nullptr;
  ioTokenNameFunc mTokenName;
  ioErrorHandler mErrorHandler;
  ioProgressFunc mProgress;
  int32_t mLinesSinceProgress = 0;
  bool mStopped = false;  // the progress function asked to stop
  // BINARY enums hold raw values instead of table indices (old data).
  bool mEnumsAsValues = false;
  // ASCII: the last ioReadString met a quote left open to the end of its line.
  bool mOpenQuote = false;
};

// Closes the file or hands a memory write stream's data to its ioBuffer (freed when
// there is none), and deletes the stream. Null is ignored. False when the file could
// not be written completely.
bool ioClose(ioStream* stream);

// Owns an open stream: it is closed however the scope that holds it ends (an exception
// passing included). `ioClose(std::move(owner))` closes it early and tells how.
struct ioStreamCloser {
  void operator()(ioStream* stream) const { ioClose(stream); }
};
using ioStreamOwner = std::unique_ptr<ioStream, ioStreamCloser>;

// Opens a stream for writing. Mode 0 ASCII file, 1 BINARY file, 2 memory (path and
// type word are ignored; `result` receives the data at close). Writes the header and
// the version. Null when the file cannot be opened ("Can't open file").
ioStreamOwner ioOpenWrite(const char* path, const char* typeWord, int major, int minor, int mode, ioTokenNameFunc tokenName,
                      ioErrorHandler errorHandler, ioBuffer* result);

// Opens a stream for reading: a memory stream over `data` (the caller keeps it) when
// data is given, else the file at path, whose header must hold the type word. The
// version must not be newer than highestMajor (a newer minor only warns). Null, after
// the message, when the stream cannot be read.
ioStreamOwner ioOpenRead(const char* path, const char* typeWord, int highestMajor, int highestMinor,
                     ioTokenNameFunc tokenName, ioErrorHandler errorHandler, const void* data, int32_t size);

// Opens an ASCII reading stream over text held in memory: a part of a file read
// earlier, with no header of its own. The caller keeps the text while the stream
// lives. `name` and `firstLine` make messages name the file and the line where the
// text stood (the first line of the text is line firstLine + 1); the version is the
// one of the file it came from. Null (after "Can't open file") when no stream can be
// made.
ioStreamOwner ioOpenReadText(const char* name, const char* text, size_t size, int major, int minor, int firstLine,
                         ioTokenNameFunc tokenName, ioErrorHandler errorHandler);

inline bool ioClose(ioStreamOwner stream) { return ioClose(stream.release()); }

// True for a null stream, a memory stream, or a file without an error flag.
bool ioIsOk(const ioStream* stream);

// Stream major minus major when they differ, else stream minor minus minor.
int ioCompareVersion(const ioStream* stream, int major, int minor);

// Installs the function that long ASCII reads report to (null for none).
void ioSetProgress(ioStream* stream, ioProgressFunc progress);

// Installs callbacks (a null one keeps the current) and returns the previous pair.
ioCallbacks ioSetCallbacks(ioStream* stream, ioTokenNameFunc tokenName, ioErrorHandler errorHandler);
void ioRestoreCallbacks(ioStream* stream, const ioCallbacks& saved);

// For the length of a section of a stream: the section's token table (null keeps the
// stream's), and an error handler that notes each error before passing it on to the
// handler the stream had; both put back at the end of the scope.
class ioSectionScope {
 public:
  ioSectionScope(ioStream* stream, ioTokenNameFunc tokenName);
  ~ioSectionScope();
  ioSectionScope(const ioSectionScope&) = delete;
  ioSectionScope& operator=(const ioSectionScope&) = delete;
  // Whether an error was reported since the scope began.
  bool Failed() const { return mFailed; }
  // Reports the message as an error; false.
  bool Fail(const char* message);

 private:
  ioStream* mStream;
  ioCallbacks mSaved;
  bool mFailed = false;
};

// "Continue" for -3, "ContNewL" for -4, else the token table's name (null if none).
const char* ioTokenName(const ioStream* stream, int index);

// ---------------------------------------------------------------------------
// Writing. Each returns true when the underlying write succeeded.

// ASCII: indent blanks and the token's name; BINARY: the index as 16 bits.
bool ioWriteToken(ioStream* stream, int token, int indent);
// ASCII: the text as printf formats it. BINARY: one field per conversion, nothing
// else: e E f g G an 8-byte double (with 'h' a 4-byte float); d i o u x X 4 bytes
// (with 'h' 2 bytes); c 1 byte. Arguments are fetched by their real type ('l' long,
// "ll" and 'L' long long or long double) and narrowed to the field.
// The format is printf's plus 'h' on floating conversions, so it is not checked by
// the compiler's printf check.
bool ioPrintf(ioStream* stream, const char* format, ...);
// ASCII: prefix, the value's name, suffix (prefix and suffix are formats without
// arguments). BINARY: the value's index in the table, 32 bits.
bool ioWriteEnum(ioStream* stream, int value, const ioEnumPair* table, const char* prefix, const char* suffix);
// ASCII: prefix, "Yes" or "No", suffix. BINARY: one byte 0 or 1.
bool ioWriteBool(ioStream* stream, bool value, const char* prefix, const char* suffix);
// ASCII: prefix, the quoted text (split into continuation lines at the given indent),
// suffix. BINARY: the bytes and a zero byte (null text as the empty string).
bool ioWriteString(ioStream* stream, const char* prefix, const char* text, const char* suffix, int indent);
// BINARY and memory: the bytes as they are; with swap a 2- or 4-byte value is
// written little-endian.
bool ioWriteBytes(ioStream* stream, const void* data, int size, bool swap);
// n blanks in ASCII, nothing otherwise.
bool ioIndent(ioStream* stream, int n);

// ---------------------------------------------------------------------------
// Reading.

// The next token: a pushed-back one first; -1 at the end of data; the number of
// tokens in the table for an unknown token (after "Unknown token '%s'"). BINARY
// indices outside the table are unknown tokens too.
int ioReadToken(ioStream* stream);
// Gives one token back; the next ioReadToken returns it.
void ioUngetToken(ioStream* stream, int token);

// Numbers. In ASCII an integer outside its field's range (16 bits signed or
// unsigned, 32 bits signed, 32 bits unsigned), an integer with a leading zero ("010",
// which C would read as octal; "0x" hexadecimal is taken) and a floating word that is
// not one number whole ("1.5xyz", "0x1p3") are errors that read as 0.
// 16-bit value (BINARY: zero-extended).
int ioReadShort(ioStream* stream);
int32_t ioReadInt(ioStream* stream);
uint32_t ioReadUInt(ioStream* stream);
float ioReadFloat(ioStream* stream);
double ioReadDouble(ioStream* stream);
// Three doubles; false when one could not be read.
bool ioReadPoint(ioStream* stream, double point[3]);
// A value of the table; -1 (after an error) when unknown or unreadable, a value
// given as a number (ASCII digits, or BINARY with mEnumsAsValues) included.
int ioReadEnum(ioStream* stream, const ioEnumPair* table);
bool ioReadBool(ioStream* stream);
// ASCII: the next word or quoted string, continuation lines joined when asked. A quote
// left open is read to the end of its line, after a warning (mOpenQuote tells it too).
// BINARY: the bytes up to the zero byte. A string longer than `limit` bytes is an
// error as soon as the limit is passed: what follows is not read.
std::string ioReadString(ioStream* stream, bool joinContinuations, size_t limit = kIoMaxStringLength);
// What is left of the data to read, in bytes: exact for memory streams, an upper
// bound for files and texts.
int64_t ioBytesLeft(const ioStream* stream);
// Reads the count of a list of records of at least `numbers` numbers each (a number
// takes at least 2 bytes in ASCII, a digit and a blank, and 4 in the binary forms),
// checked before anything is made for them: -1, after an error naming `what`, when
// it is negative, above `limit`, or more than what is left of the data can hold.
int32_t ioReadCount(ioStream* stream, const char* what, int numbers, int32_t limit);
// ASCII only: the text at the read position must begin with the literal and is
// stepped over; else an error and the position stays.
bool ioSkipAscii(ioStream* stream, const char* literal);
// True when all bytes were read (a memory stream consumes nothing otherwise).
bool ioReadBytes(ioStream* stream, void* buffer, int size, bool swap);
// ASCII only: the text from the read position up to the line whose first word is
// `endWord`, which is consumed whole. The rest of the current line (when it holds
// more than blanks) and every line in between are kept as read (indentation kept,
// comments and trailing blanks cut), each ending in a line end; at most `limit`
// bytes. `firstLine` receives the number of the line before the first one kept.
// False, after an error, at the end of the data or past the limit.
bool ioReadLinesUntil(ioStream* stream, const char* endWord, std::string* text, int* firstLine, size_t limit);

// Reports through the stream's error handler, or to the standard error output when
// there is none. Level 1 errors, 0 warnings. Returns the handler's result.
int ioError(ioStream* stream, int level, const char* format, ...) __attribute__((format(printf, 3, 4)));

}  // namespace corvia
