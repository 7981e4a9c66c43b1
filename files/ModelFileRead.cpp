// Reading the model file into ModelFileContents, with no model changed. The input is
// hostile: every count is bounded by what is left of the data (each record needs a
// few bytes, so a count the data cannot hold is refused before anything is made for
// it), every index by the counts read so far, every text, block and section by a
// fixed limit; numbers must be finite. The first error ends the reading, and its text
// names the file and, in the ASCII form, the line.

#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <cstdint>
#include <cstring>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "core/FaceImageRef.h"
#include "core/Lzrw3a.h"
#include "core/Messages.h"
#include "core/Paths.h"
#include "core/Progress.h"
#include "core/Strings.h"
#include "core/Tolerances.h"
#include "core/VectorMath.h"
#include "core/ioStream.h"
#include "files/ModelFile.h"
#include "files/ModelFileFormat.h"
#include "files/ModelFileSection.h"
#include "symmetry/SimplePoly.h"

namespace corvia {

namespace detail_ModelFileRead {

using namespace modelfile;

// Numbers in a record besides the corners: vertex, face, edge, label, opacity, user.
constexpr int kVertexNumbers = 6;
constexpr int kFaceNumbers = 4;
constexpr int kEdgeNumbers = 6;
constexpr int kLabelNumbers = 3;
constexpr int kOpacityNumbers = 3;
constexpr int kUserNumbers = 2;
constexpr int kPointNumbers = 3;
// Longest decimal count of a faceting enumeration that is taken.
constexpr size_t kMaxCountDigits = 100000;
// Longest vertex configuration that is taken.
constexpr size_t kMaxConfiguration = 1024;
// A day in milliseconds: the bound of a TimeSpan's milliseconds.
constexpr int kMillisecondsPerDay = 86400000;
// The colour bits of an element's colour word.
constexpr uint32_t kColourBits = 0xFFFFFF;

struct Reader {
  const char* path = "";
  ioStream* s = nullptr;  // the stream read now: the file, or a block of it
  int64_t fileSize = 0;
  bool* failed = nullptr;
  bool cancelled = false;
  int64_t sinceReport = 0;
  ModelFileContents* out = nullptr;
  ioErrorHandler handler;
  // A BINARY file whose parts end with their checks (its first token says so), where
  // the part being read began, and the scene sections left out as damaged, each with
  // why.
  bool checked = false;
  long partStart = 0;
  std::vector<std::pair<std::string, std::string>> damaged;
  // Whether the model gave its flags (kStoredModelFlags).
  bool modelFlags = false;
  // A text being read (ReadText), and the line where the stream found its quote left
  // open: the reader tells that itself, naming the text.
  bool readingText = false;
  int openQuoteLine = 0;

  bool Ok() const { return !*failed && !cancelled; }
  // Reports an error through the stream, so it names the file and line. Always false.
  bool Fail(const char* format, ...) __attribute__((format(printf, 2, 3)));

  bool IsAscii() const { return s->mMode == kIoModeAscii; }
  // Where the next token begins in a BINARY file; -1 when that cannot be told.
  long NextTokenAt() const {
    return !IsAscii() && s->mFile && s->mPushedToken == kIoTokenEnd ? std::ftell(s->mFile) : -1;
  }

  // Bytes left in the stream read now (an upper bound for a file being read as text).
  int64_t Remaining() const { return ioBytesLeft(s); }
  double Fraction() const {
    if (s->mMode == kIoModeMemory) return s->mMemSize > 0 ? double(s->mMemPos) / s->mMemSize : 0.0;
    long at = s->mFile ? std::ftell(s->mFile) : 0;
    return fileSize > 0 ? double(at) / double(fileSize) : 0.0;
  }
  // Counts a record; now and then reports progress. False once cancelled.
  bool Step() {
    if (++sinceReport < kProgressStep) return Ok();
    sinceReport = 0;
    return Report();
  }
  // Reports progress; false once cancelled.
  bool Report() {
    if (!cancelled && !UpdateProgress(Fraction(), "%s", kReadingCaption)) cancelled = true;
    return Ok();
  }

  // A count of records of `numbers` numbers each (besides `extra` numbers per record
  // that the caller bounds itself): not negative, below `limit`, and no more than
  // what is left of the data can hold. -1 after an error.
  int ReadCount(const char* what, int numbers, int limit) {
    const int32_t n = ioReadCount(s, what, numbers, limit);
    return Ok() ? n : -1;
  }
  // An index into [low, count): -1 for low -1 allows "none".
  bool ReadIndex(const char* what, int low, int count, int32_t& index) {
    index = ioReadInt(s);
    if (!Ok()) return false;
    if (index < low || index >= count) return Fail("%s: index %d is out of range", what, int(index));
    return true;
  }
  bool ReadFinite(double& value) {
    value = ioReadDouble(s);
    if (!Ok()) return false;
    if (!(std::fabs(value) <= kModelFileMaxCoordinate)) return Fail("A number is out of range");
    return true;
  }
  bool ReadFinite(double* values, int count) {
    for (int i = 0; i < count; ++i) {
      if (!ReadFinite(values[i])) return false;
    }
    return true;
  }
  // The line read now in the ASCII form, 0 in the BINARY form.
  int Line() const { return IsAscii() ? s->mLineNumber : 0; }

  // A fault of texts that the file's warning tells: the first text that had it, with
  // its line, and how many more did.
  struct TextFault {
    std::string first;
    int more = 0;
    void Note(const char* what, int line) {
      if (!first.empty()) return void(++more);
      first = what;
      if (line > 0) first += " (line " + std::to_string(line) + ")";
    }
  };
  TextFault openQuote;  // a quote left open, read to the end of its line
  TextFault replaced;   // bytes that are no UTF-8 text, or control characters, replaced
  // A library entry the library does not hold.
  std::string unknownEntry;

  // A text of at most `limit` bytes: a longer one is refused as soon as the limit is
  // passed, before the rest of it is read. A quote left open is read to the end of its
  // line, and named in the file's warning.
  bool ReadText(const char* what, std::string& text, size_t limit) {
    readingText = true;
    text = ioReadString(s, true, limit);
    readingText = false;
    if (Ok() && s->mOpenQuote) openQuote.Note(what, openQuoteLine);
    return Ok();
  }
  // A text the program shows (a name, a description, a label): bytes that are no
  // UTF-8 text, and control characters, are replaced by "?", and the first text so
  // changed is named in the file's warning.
  bool ReadShownText(const char* what, std::string& text, size_t limit = kModelFileMaxText) {
    const int line = Line();
    if (!ReadText(what, text, limit)) return false;
    size_t count = 0;
    std::string clean = ReplaceNonText(text, &count);
    if (count == 0) return true;
    text = std::move(clean);
    replaced.Note(what, line);
    return true;
  }
  // What the file's warning says of its texts; empty when nothing.
  std::string TextWarning() const {
    std::string text;
    auto more = [](int n, const char* verb) {
      if (n == 0) return std::string();
      return std::string(" ") + verb + (n == 1 ? " one more text." : " " + std::to_string(n) + " more texts.");
    };
    if (!openQuote.first.empty()) {
      text += "\n" + openQuote.first + " has no closing quote: it was read to the end of its line." +
              more(openQuote.more, "So had");
    }
    if (!replaced.first.empty()) {
      text += "\n" + replaced.first +
              " held bytes that are no UTF-8 text, or control characters: each was replaced by \"?\"." +
              more(replaced.more, "So were those of");
    }
    if (!unknownEntry.empty()) text += "\n" + unknownEntry;
    return text;
  }
};

bool Reader::Fail(const char* format, ...) {
  if (!*failed) {
    va_list args;
    va_start(args, format);
    const std::string message = FormatLimitedV(kMessageBufferSize, format, args);
    va_end(args);
    ioError(s, kIoLevelError, "%s", message.c_str());
  }
  *failed = true;
  return false;
}

// ---- Model records ----------------------------------------------------------------

void ReadVertices(Reader& r, SimplePoly& simple) {
  if (simple.NumVerts() > 0) return void(r.Fail("The vertices are given twice"));
  const int n = r.ReadCount("Vertices", kVertexNumbers, kModelFileMaxElements);
  if (n < 0) return;
  simple.Resize(n, 0);
  for (int i = 0; i < n && r.Step(); ++i) {
    double pos[3];
    if (!r.ReadFinite(pos, 3)) return;
    SimpleVert& v = simple.VertAt(i);
    v.SetPos(pos);
    v.color = ioReadUInt(r.s) & kColourBits;
    v.color2 = ioReadUInt(r.s) & kColourBits;
    v.flags |= ioReadUInt(r.s) & kStoredVertFlags;
  }
}

void ReadFaces(Reader& r, SimplePoly& simple) {
  if (simple.NumFaces() > 0) return void(r.Fail("The faces are given twice"));
  const int n = r.ReadCount("Faces", kFaceNumbers, kModelFileMaxElements);
  if (n < 0) return;
  simple.Resize(simple.NumVerts(), n);
  const int numVerts = simple.NumVerts();
  for (int i = 0; i < n && r.Step(); ++i) {
    const int corners = r.ReadCount("Face corners", 1, kModelFileMaxCorners);
    if (corners < 0) return;
    SimpleFace& f = simple.FaceAt(i);
    f.SetNumVerts(corners);
    for (int k = 0; k < corners; ++k) {
      int32_t v;
      if (!r.ReadIndex("Face corner", 0, numVerts, v)) return;
      f.SetVertIndex(k, v);
    }
    f.color = ioReadUInt(r.s) & kColourBits;
    f.color2 = ioReadUInt(r.s) & kColourBits;
    f.flags |= ioReadUInt(r.s) & kStoredFaceFlags;
    if (corners < 3 && !r.ReadFinite(f.normal, 3)) return;
  }
}

// Whether faces f and g meet along an edge at vertex v.
bool MeetAtVertex(const SimpleFace& f, const SimpleFace& g, int32_t v) {
  const int n = f.Count();
  for (int c = 0; c < n; ++c) {
    if (f.items[size_t(c)] != v) continue;
    if (g.HasEdge(v, f.items[size_t((c + 1) % n)]) || g.HasEdge(v, f.items[size_t((c + n - 1) % n)])) return true;
  }
  return false;
}

// The faces round each vertex in order. A ring must hold exactly the faces that have
// the vertex as a corner (as often as they have it), each meeting the next along an
// edge at the vertex, but once where the surface is open: the model is then taken as
// sorted round its vertices, as it was when written.
void ReadVertexRings(Reader& r, SimplePoly& simple) {
  if (simple.flags & kSimpleSortedFaceLists) return void(r.Fail("The vertex rings are given twice"));
  const int numVerts = simple.NumVerts();
  const int n = r.ReadCount("Vertex rings", 1, kModelFileMaxElements);
  if (n < 0) return;
  if (n != numVerts) return void(r.Fail("There are %d vertex rings for %d vertices", n, numVerts));
  std::vector<std::vector<int32_t>> incident(static_cast<size_t>(numVerts));
  for (int f = 0; f < simple.NumFaces(); ++f) {
    for (int32_t v : simple.FaceAt(f).items) incident[size_t(v)].push_back(f);
  }
  for (int i = 0; i < n && r.Step(); ++i) {
    const int k = r.ReadCount("Vertex ring", 1, kModelFileMaxElements);
    if (k < 0) return;
    if (size_t(k) != incident[size_t(i)].size())
      return void(r.Fail("The ring of vertex %d holds %d faces instead of %d", i, k, int(incident[size_t(i)].size())));
    std::vector<int32_t> ring(static_cast<size_t>(k));
    for (int j = 0; j < k; ++j) {
      if (!r.ReadIndex("Vertex ring", 0, simple.NumFaces(), ring[size_t(j)])) return;
    }
    std::vector<int32_t> sorted = ring;
    std::sort(sorted.begin(), sorted.end());
    int breaks = 0;
    for (int j = 0; j < k && breaks <= 1; ++j) {
      if (!MeetAtVertex(simple.FaceAt(ring[size_t(j)]), simple.FaceAt(ring[size_t((j + 1) % k)]), i)) ++breaks;
    }
    if (sorted != incident[size_t(i)] || breaks > 1)
      return void(r.Fail("The faces round vertex %d are not the faces at it in order", i));
    simple.VertAt(i).items = std::move(ring);
  }
  if (r.Ok()) simple.flags |= kSimpleHasVertFaceLists | kSimpleSortedFaceLists;
}

void ReadEdges(Reader& r, SimplePoly& simple) {
  if (simple.NumEdges() > 0) return void(r.Fail("The edges are given twice"));
  // An edge lies along one or two face sides: there are never more edges than sides.
  int64_t sides = 0;
  for (int i = 0; i < simple.NumFaces(); ++i) sides += simple.FaceAt(i).Count();
  const int n = r.ReadCount("Edges", kEdgeNumbers, int(std::min<int64_t>(sides, kModelFileMaxElements)));
  if (n < 0) return;
  simple.SetNumEdges(n);
  for (int i = 0; i < n && r.Step(); ++i) {
    SimpleEdge& e = simple.EdgeAt(i);
    if (!r.ReadIndex("Edge end", -1, simple.NumVerts(), e.endA) ||
        !r.ReadIndex("Edge end", -1, simple.NumVerts(), e.endB) ||
        !r.ReadIndex("Edge side", -1, simple.NumFaces(), e.faceA) ||
        !r.ReadIndex("Edge side", -1, simple.NumFaces(), e.faceB))
      return;
    e.color = ioReadUInt(r.s) & kColourBits;
    e.flags = ioReadUInt(r.s) & kStoredEdgeFlags;
  }
}

// The count of elements of a kind; -1 for an unknown kind.
int CountOfKind(const SimplePoly& simple, int kind, bool edgesToo) {
  if (kind == kKindVertex) return simple.NumVerts();
  if (kind == kKindFace) return simple.NumFaces();
  if (kind == kKindEdge && edgesToo) return simple.NumEdges();
  return -1;
}

SimpleElement& ElementOfKind(SimplePoly& simple, int kind, int index) {
  if (kind == kKindVertex) return simple.VertAt(index);
  return simple.FaceAt(index);
}

// Reads an element kind and index; false after an error.
bool ReadElement(Reader& r, const SimplePoly& simple, bool edgesToo, int& kind, int32_t& index) {
  kind = ioReadInt(r.s);
  if (!r.Ok()) return false;
  const int count = CountOfKind(simple, kind, edgesToo);
  if (count < 0) return r.Fail("Unknown element kind %d", kind);
  return r.ReadIndex("Element", 0, count, index);
}

void ReadLabels(Reader& r, SimplePoly& simple) {
  const int n = r.ReadCount("Labels", kLabelNumbers, kModelFileMaxElements);
  for (int i = 0; i < n && r.Step(); ++i) {
    int kind = -1;
    int32_t index = -1;
    std::string text;
    if (!ReadElement(r, simple, true, kind, index) || !r.ReadShownText("A label", text)) return;
    if (kind == kKindEdge) {
      simple.EdgeAt(index).SetLabel(text.c_str());
    } else {
      ElementOfKind(simple, kind, index).SetLabel(text.c_str());
    }
  }
}

void ReadOpacities(Reader& r, SimplePoly& simple) {
  const int n = r.ReadCount("Opacities", kOpacityNumbers, kModelFileMaxElements);
  for (int i = 0; i < n && r.Step(); ++i) {
    int kind = -1;
    int32_t index = -1;
    if (!ReadElement(r, simple, false, kind, index)) return;
    const float alpha = ioReadFloat(r.s);
    if (!r.Ok()) return;
    if (!(alpha >= 0.0f && alpha <= 1.0f)) return void(r.Fail("An opacity is not between 0 and 1"));
    ElementOfKind(simple, kind, index).SetAlpha(alpha);
  }
}

// One face image: its fields, then the elements that use it. The image is made now,
// without a picture (the picture is the renderer's, made once the model is built);
// the elements hold it as the plain model's images are held, one use each.
void ReadFaceImage(Reader& r, SimplePoly& simple) {
  std::string file;
  int projection = kImageProjectPerFace;
  uint32_t boundary = kImageBoundaryBorder;
  uint32_t flags = 0;
  double offset[2] = {0, 0};
  double rotation[2] = {0, 0};
  double frame[12] = {1, 0, 0, 0, 1, 0, 0, 0, 1, 0, 0, 0};
  double rotationFrame[12] = {1, 0, 0, 0, 1, 0, 0, 0, 1, 0, 0, 0};
  double size = 2.0;
  double baseScale = 1.0;
  int ownerKind = -1;
  int32_t ownerIndex = -1;
  std::vector<std::pair<int, int32_t>> users;
  for (;;) {
    const int token = ioReadToken(r.s);
    if (!r.Ok()) return;
    switch (token) {
      case kTokEndFaceImage: {
        if (users.empty()) return;
        auto* image = new FaceImage(nullptr, projection, boundary);
        image->mFileName = file;
        image->mFlags = flags;
        std::memcpy(image->mOffset, offset, sizeof offset);
        image->mRotation = rotation[0];
        image->mRotationInUse = rotation[1];
        std::memcpy(image->mFrame, frame, sizeof frame);
        std::memcpy(image->mRotationFrame, rotationFrame, sizeof rotationFrame);
        image->mSize = size;
        image->mBaseScale = baseScale;
        for (const auto& [kind, index] : users) {
          SimpleElement& e = ElementOfKind(simple, kind, index);
          image->AddUse();
          e.SetImage(image);
        }
        // The plain model's elements own their images; the owner is a plain element
        // that CreatePoly maps onto the new model's.
        if (ownerKind >= 0) image->mOwner = &ElementOfKind(simple, ownerKind, ownerIndex);
        return;
      }
      case kTokFile:
        if (!r.ReadText("An image's file name", file, kModelFileMaxText)) return;
        // A name written with backslashes (another system's) is taken with slashes.
        NormalizePathSeparators(file.data());
        file.resize(std::strlen(file.c_str()));
        break;
      case kTokProjection:
        projection = ioReadInt(r.s);
        if (r.Ok() && (projection < kImageProjectPerFace || projection > kImageProjectCubic))
          return void(r.Fail("Unknown image projection %d", projection));
        break;
      case kTokBoundary:
        boundary = ioReadUInt(r.s);
        if (r.Ok() && boundary != kImageBoundaryBorder && boundary != kImageBoundaryClamp &&
            boundary != kImageBoundaryRepeat)
          return void(r.Fail("Unknown image boundary mode 0x%x", unsigned(boundary)));
        break;
      case kTokFlags:
        flags = ioReadUInt(r.s) & kStoredImageFlags;
        break;
      case kTokOffset:
        if (!r.ReadFinite(offset, 2)) return;
        break;
      case kTokRotation:
        if (!r.ReadFinite(rotation, 2)) return;
        break;
      case kTokFrame:
        if (!r.ReadFinite(frame, 12)) return;
        break;
      case kTokRotationFrame:
        if (!r.ReadFinite(rotationFrame, 12)) return;
        break;
      case kTokSize:
        if (!r.ReadFinite(size)) return;
        break;
      case kTokBaseScale:
        if (!r.ReadFinite(baseScale)) return;
        break;
      case kTokOwner:
        if (!ReadElement(r, simple, false, ownerKind, ownerIndex)) return;
        break;
      case kTokUsedBy: {
        if (!users.empty()) return void(r.Fail("The users of an image are given twice"));
        const int n = r.ReadCount("Image users", kUserNumbers, simple.NumVerts() + simple.NumFaces());
        for (int i = 0; i < n && r.Ok(); ++i) {
          int kind = -1;
          int32_t index = -1;
          if (!ReadElement(r, simple, false, kind, index)) return;
          users.emplace_back(kind, index);
        }
        break;
      }
      case kIoTokenEnd:
        return void(r.Fail("The file ends inside a face image"));
      default:
        return void(
            r.Fail("Didn't expect '%s' in a face image", ioTokenName(r.s, token) ? ioTokenName(r.s, token) : "?"));
    }
    if (!r.Ok()) return;
  }
}

void ReadDrawnPolygon(Reader& r) {
  const int n = r.ReadCount("Drawn facet", kPointNumbers, kModelFileMaxCorners);
  if (n < 0) return;
  if (r.out->drawnPolygons.size() >= size_t(kModelFileMaxElements)) return void(r.Fail("Too many drawn facets"));
  std::vector<double> points(size_t(n) * 3);
  if (!r.ReadFinite(points.data(), n * 3)) return;
  r.out->drawnPolygons.push_back(std::move(points));
}

void ReadBigUInt(Reader& r, BigUInt& value) {
  std::string digits;
  if (!r.ReadText("A faceting count", digits, kMaxCountDigits)) return;
  if (digits.empty() || digits.find_first_not_of("0123456789") != std::string::npos)
    return void(r.Fail("A faceting count is not a whole number"));
  value.Parse(digits.c_str());
}

FacetingCriteria& Criteria(Reader& r) {
  if (!r.out->faceting) r.out->faceting.emplace();
  return *r.out->faceting;
}

// One faceting key; false when the token is none.
bool ReadFacetingKey(Reader& r, int token) {
  switch (token) {
    case kTokFacetingCriteria: {
      const int criteria = ioReadEnum(r.s, kCriteriaNames);
      if (r.Ok() && (criteria < 0 || criteria >= kNumFacetingCriteria)) r.Fail("Unknown faceting criteria");
      Criteria(r).criteria = criteria;
      return true;
    }
    case kTokMinFacets:
      Criteria(r).minFacets = std::max(1, int(ioReadInt(r.s)));
      return true;
    case kTokMaxFacets: {
      const int n = ioReadInt(r.s);
      Criteria(r).maxFacets = n <= 0 ? kFacetingNoLimit : n;
      return true;
    }
    case kTokPartialFacetingOK:
      Criteria(r).partialFacetingOK = ioReadBool(r.s);
      return true;
    case kTokSpikyFaceting:
      Criteria(r).spikyFaceting = ioReadBool(r.s);
      return true;
    case kTokFacetingTotalNum:
      ReadBigUInt(r, Criteria(r).totalNum);
      return true;
    case kTokFacetingNumChirals:
      ReadBigUInt(r, Criteria(r).numChirals);
      return true;
    case kTokFacetingNumCompounds:
      ReadBigUInt(r, Criteria(r).numCompounds);
      return true;
    case kTokFacetingTime: {
      const int days = ioReadInt(r.s);
      const int milliseconds = ioReadInt(r.s);
      if (r.Ok() && (days < 0 || milliseconds < 0 || milliseconds >= kMillisecondsPerDay))
        r.Fail("The faceting time is not a duration");
      Criteria(r).time = TimeSpan(days, milliseconds);
      return true;
    }
    default:
      return false;
  }
}

// The library entry the model came from. One the library does not hold (a name
// misspelt, or of another version's library) is told: the model is taken without it.
void ReadLibraryEntry(Reader& r) {
  ModelFileContents& out = *r.out;
  out.libraryIndex = ioReadInt(r.s);
  const int line = r.Line();
  if (!r.ReadShownText("The library entry's name", out.libraryName)) return;
  out.libraryN = ioReadInt(r.s);
  out.libraryD = ioReadInt(r.s);
  if (!r.Ok() || !r.unknownEntry.empty() || FindModelFileLibraryEntry(out)) return;
  r.unknownEntry = "The library holds no model named \"" + out.libraryName + "\"";
  if (line > 0) r.unknownEntry += " (line " + std::to_string(line) + ")";
  r.unknownEntry += ": the model is taken without its library entry.";
}

// The model's body, up to EndModel.
void ReadModelBody(Reader& r) {
  SimplePoly& simple = *r.out->model;
  std::string text;
  for (;;) {
    const int token = ioReadToken(r.s);
    if (!r.Ok()) return;
    switch (token) {
      case kTokEndModel:
        if (simple.NumVerts() == 0 || simple.NumFaces() == 0)
          return void(r.Fail("The model has no vertices or no faces"));
        if (simple.currentFace >= simple.NumFaces()) return void(r.Fail("The current face is out of range"));
        return;
      case kTokName:
        r.ReadShownText("The model's name", simple.name);
        break;
      case kTokDualName:
        r.ReadShownText("The dual's name", simple.dualName);
        break;
      case kTokEntryText:
        r.ReadShownText("The library entry's text", r.out->entryText);
        break;
      case kTokDescription:
        r.ReadShownText("The description", r.out->description);
        break;
      case kTokWebLink:
        r.ReadShownText("The web link", simple.webLink);
        break;
      case kTokLibraryEntry:
        ReadLibraryEntry(r);
        break;
      case kTokConfiguration:
        r.ReadShownText("The vertex configuration", r.out->configuration, kMaxConfiguration);
        break;
      case kTokTookBranch:
        r.out->tookBranch = ioReadBool(r.s);
        break;
      case kTokLengthScale: {
        // Any positive length the writer can write is read back: a model derived from
        // one far out of scale carries a scale far from 1, and its file must open.
        const double scale = ioReadDouble(r.s);
        if (!r.Ok()) return;
        if (!(scale > 0.0 && std::isfinite(scale))) return void(r.Fail("The length scale is not positive"));
        simple.scale = scale;
        r.out->hasLengthScale = true;
        break;
      }
      case kTokMaxFacesPerNet:
        r.out->maxFacesPerNet = std::max(1, int(ioReadInt(r.s)));
        break;
      case kTokModelFlags:
        simple.flags |= ioReadUInt(r.s) & kStoredModelFlags;
        r.modelFlags = true;
        break;
      case kTokCurrentFace:
        r.ReadIndex("Current face", -1, std::max(simple.NumFaces(), 1), simple.currentFace);
        break;
      case kTokVertices:
        ReadVertices(r, simple);
        break;
      case kTokFaces:
        ReadFaces(r, simple);
        break;
      case kTokVertexRings:
        ReadVertexRings(r, simple);
        break;
      case kTokEdges:
        ReadEdges(r, simple);
        break;
      case kTokLabels:
        ReadLabels(r, simple);
        break;
      case kTokOpacities:
        ReadOpacities(r, simple);
        break;
      case kTokFaceImage:
        ReadFaceImage(r, simple);
        break;
      case kTokDrawnPolygon:
        ReadDrawnPolygon(r);
        break;
      case kIoTokenEnd:
        return void(r.Fail("The file ends inside the model"));
      default:
        if (!ReadFacetingKey(r, token))
          return void(
              r.Fail("Didn't expect '%s' in the model", ioTokenName(r.s, token) ? ioTokenName(r.s, token) : "?"));
        break;
    }
    if (!r.Ok()) return;
  }
}

// ---- Blocks and the scene ------------------------------------------------------------

// A compressed block of a BINARY file as it is stored, and the length of its data.
bool ReadStoredBlock(Reader& r, std::vector<uint8_t>& block, int32_t& length) {
  if (ioReadToken(r.s) != kTokCompressedBlock) return r.Ok() ? r.Fail("Expected a compressed block") : false;
  length = ioReadInt(r.s);
  const int32_t stored = ioReadInt(r.s);
  if (!r.Ok()) return false;
  if (stored < int32_t(kLzrw3aFlagBytes) || stored > r.Remaining())
    return r.Fail("A compressed block is larger than what is left of the file");
  block.resize(static_cast<size_t>(stored));
  if (!ioReadBytes(r.s, block.data(), stored, false)) return r.Fail("The file ends inside a compressed block");
  return true;
}

// A stored block uncompressed into `data`; false with the reason when it cannot be.
bool ExpandBlock(const std::vector<uint8_t>& block, int32_t length, std::string& data, std::string& why) {
  if (length < 0 || uint64_t(length) > kModelFileMaxBlock ||
      uint64_t(length) > uint64_t(block.size() - kLzrw3aFlagBytes) * kMaxExpansion) {
    why = "A compressed block claims " + std::to_string(length) + " bytes, more than it can hold";
    return false;
  }
  data.assign(size_t(length), '\0');
  std::vector<uint8_t> work(kLzrw3aWorkMemorySize);
  uint32_t produced = uint32_t(length);
  // The data of a large model take a moment to expand: the window answers round it.
  (void)ProgressTick();
  const bool expanded = Lzrw3aCompress(kLzrw3aActionDecompress, work.data(), block.data(), uint32_t(block.size()),
                                       reinterpret_cast<uint8_t*>(data.data()), &produced) &&
                        produced == uint32_t(length);
  (void)ProgressTick();
  if (!expanded) why = "A compressed block is damaged";
  return expanded;
}

// A compressed block of a BINARY file, uncompressed into `data`.
bool ReadBlock(Reader& r, std::string& data) {
  std::vector<uint8_t> block;
  int32_t length = 0;
  if (!ReadStoredBlock(r, block, length)) return false;
  std::string why;
  return ExpandBlock(block, length, data, why) || r.Fail("%s", why.c_str());
}

constexpr const char* kDamaged = "The file is damaged: its checksum does not agree with its contents";

// The check that ends a part of a file whose parts are checked: whether the CRC-32 of
// the part's bytes agrees with it. False after an error (the file is cut short, or
// the check is not where it must be).
bool ReadPartCheck(Reader& r, bool& agrees) {
  const long end = r.NextTokenAt();
  const int token = ioReadToken(r.s);
  if (!r.Ok()) return false;
  if (token == kIoTokenEnd) return r.Fail("The file is cut short");
  if (token != kTokChecksum || end < 0) return r.Fail("The file is damaged: a part of it has no checksum");
  const uint32_t stored = ioReadUInt(r.s);
  if (!r.Ok()) return false;
  uint32_t crc = 0;
  agrees = FileChecksum(r.path, r.partStart, end, crc) && crc == stored;
  r.partStart = r.NextTokenAt();
  return true;
}

// A part's compressed block and, in a file whose parts are checked, its check: false
// after an error; `why` says why a block that was read cannot be used.
bool ReadPartBlock(Reader& r, std::string& data, std::string& why) {
  std::vector<uint8_t> block;
  int32_t length = 0;
  bool agrees = true;
  if (!ReadStoredBlock(r, block, length) || (r.checked && !ReadPartCheck(r, agrees))) return false;
  if (!agrees) {
    why = kDamaged;
  } else {
    ExpandBlock(block, length, data, why);
  }
  return true;
}

// Reports of a memory stream inside the file (a block, a scene section) name the file:
// those made before the stream knows its name get it put in front.
ioErrorHandler NamingHandler(const std::string& path, const ioErrorHandler& handler) {
  return [path, handler](int level, const char* text, const char* message) {
    const std::string quoted = "'" + path + "'";
    if (std::string_view(text).starts_with(quoted)) return handler(level, text, message);
    return handler(level, (quoted + ":\n" + text).c_str(), message);
  };
}

// A memory stream over a block's data, reporting as the file.
ioStreamOwner OpenBlockStream(Reader& r, const std::string& data) {
  ioStreamOwner block = ioOpenRead(nullptr, nullptr, kModelFileVersionMajor, kModelFileVersionMinor, TokenName,
                                   NamingHandler(r.path, r.handler), data.data(), int32_t(data.size()));
  if (block) block->mFileName = r.path;
  if (!block) *r.failed = true;
  return block;
}

void ReadModel(Reader& r) {
  if (r.out->model) return void(r.Fail("The file holds more than one model"));
  r.out->model = std::make_unique<SimplePoly>();
  if (r.IsAscii()) return ReadModelBody(r);
  std::string data;
  std::string why;
  if (!ReadPartBlock(r, data, why)) return;
  if (!why.empty()) return void(r.Fail("%s", why.c_str()));
  // The block is read in place of the file, which comes back however the read ends.
  struct Outer {
    Reader& r;
    ioStream* s;
    ~Outer() { r.s = s; }
  } outer{r, r.s};
  const ioStreamOwner block = OpenBlockStream(r, data);
  r.s = block.get();
  if (r.s) ReadModelBody(r);
}

void ReadScene(Reader& r) {
  ModelFileScene section;
  if (!r.ReadText("A scene section's name", section.name, kSceneSectionNameMax)) return;
  // In a BINARY file whose parts are checked a name is told from damage once the
  // check is read.
  const bool named = IsSceneSectionName(section.name.c_str());
  if (!named && !(r.checked && !r.IsAscii())) return void(r.Fail("'%s' is not a scene section", section.name.c_str()));
  if (r.out->scene.size() >= size_t(kModelFileMaxElements)) return void(r.Fail("Too many scene sections"));
  section.form = r.s->mMode;
  if (r.IsAscii()) {
    if (!ioReadLinesUntil(r.s, TokenName(kTokEndScene), &section.data, &section.firstLine, kModelFileMaxSection)) {
      *r.failed = true;
      return;
    }
  } else {
    std::string why;
    if (!ReadPartBlock(r, section.data, why)) return;
    // The scene is no part of the model: a section that is damaged costs only itself.
    if (!why.empty()) {
      if (!r.checked) return void(r.Fail("%s", why.c_str()));
      r.damaged.emplace_back(section.name, why == kDamaged ? "its checksum does not agree with its contents" : why);
      return;
    }
    if (!named) return void(r.Fail("'%s' is not a scene section", section.name.c_str()));
  }
  r.out->scene.push_back(std::move(section));
}

// The check that ends a BINARY file (`at`: where its token began): the CRC-32 of
// every byte before it must agree, and nothing may follow it.
void ReadChecksum(Reader& r, long at) {
  if (r.IsAscii() || !r.s->mFile || at < 0) return void(r.Fail("Didn't expect 'Checksum' here"));
  const uint32_t stored = ioReadUInt(r.s);
  if (!r.Ok()) return;
  if (!r.out->model) return void(r.Fail("The file holds no model"));
  if (ioReadToken(r.s) != kIoTokenEnd) return void(r.Fail("The file goes on after its checksum"));
  if (!r.Ok()) return;
  uint32_t crc = 0;
  if (!FileChecksum(r.path, 0, at, crc) || crc != stored) return void(r.Fail("%s", kDamaged));
}

void ReadFile(Reader& r) {
  for (bool first = true;; first = false) {
    // Where the next token begins in a BINARY file, for its checksum.
    const long at = r.NextTokenAt();
    const int token = ioReadToken(r.s);
    if (!r.Ok()) return;
    switch (token) {
      case kTokCheckedParts:
        // The mark that the file ends with EndFile (and, in the BINARY form, that
        // each part ends with its check) stands first.
        if (!first || (at < 0 && !r.IsAscii())) return void(r.Fail("Didn't expect 'CheckedParts' here"));
        r.checked = true;
        break;
      case kTokModel:
        ReadModel(r);
        break;
      case kTokScene:
        ReadScene(r);
        break;
      case kTokChecksum:
        // In a file whose parts are checked, each check ends its part.
        if (r.checked) return void(r.Fail("Didn't expect 'Checksum' here"));
        ReadChecksum(r, at);
        if (r.Ok()) return;
        break;
      case kTokEndFile:
        if (!r.checked) return void(r.Fail("Didn't expect 'EndFile' here"));
        if (!r.out->model) return void(r.Fail("The file holds no model"));
        if (ioReadToken(r.s) != kIoTokenEnd && r.Ok()) r.Fail("The file goes on after its end");
        return;
      case kIoTokenEnd:
        if (!r.out->model) {
          r.Fail("The file holds no model");
        } else if (r.checked) {
          r.Fail("The file is cut short");
        }
        return;
      default:
        return void(r.Fail("Didn't expect '%s' here", ioTokenName(r.s, token) ? ioTokenName(r.s, token) : "?"));
    }
    if (!r.Ok()) return;
  }
}

// Every face lies in a plane: its corners within kFileFlatFaceTolerance (for a model
// larger than the unit sphere, that much per unit of its size: the median distance of
// its vertices from the centre, which one stray vertex cannot inflate) of the plane
// through their centroid across the face's Newell normal. Coordinates rounded by the
// program that wrote the file bend a face far less, and the symmetry analysis takes
// them as they are; a face bent further (a hand-edited coordinate) would give the
// model a shape that matches nothing under its own symmetry. -1 when all are flat,
// else the first bent face.
int FindBentFace(const SimplePoly& simple) {
  std::vector<double> distances;
  distances.reserve(size_t(simple.NumVerts()));
  for (int i = 0; i < simple.NumVerts(); ++i)
    distances.push_back(std::sqrt(Dot(simple.VertAt(i).pos, simple.VertAt(i).pos)));
  double size = 1.0;
  if (!distances.empty()) {
    auto middle = distances.begin() + std::ptrdiff_t(distances.size() / 2);
    std::nth_element(distances.begin(), middle, distances.end());
    size = std::max(size, *middle);
  }
  const double tolerance = kFileFlatFaceTolerance * size;
  for (int f = 0; f < simple.NumFaces(); ++f) {
    const SimpleFace& face = simple.FaceAt(f);
    const int n = face.Count();
    if (n < 4) continue;
    double normal[3] = {0, 0, 0};
    double centroid[3] = {0, 0, 0};
    for (int k = 0; k < n; ++k) {
      const double* a = face.VertWrapped(k).pos;
      const double* b = face.VertWrapped(k + 1).pos;
      normal[0] += (a[1] - b[1]) * (a[2] + b[2]);
      normal[1] += (a[2] - b[2]) * (a[0] + b[0]);
      normal[2] += (a[0] - b[0]) * (a[1] + b[1]);
      Add(centroid, centroid, a);
    }
    const double length = std::sqrt(Dot(normal, normal));
    // A face whose turns cancel has no plane to test against.
    if (length <= kVanishingTolerance) continue;
    Divide(normal, normal, length);
    Divide(centroid, centroid, n);
    for (int k = 0; k < n; ++k) {
      double d[3];
      Subtract(d, face.VertAt(k).pos, centroid);
      if (!(std::fabs(Dot(d, normal)) <= tolerance)) return f;
    }
  }
  return -1;
}

// The file must be a plain file that can be opened; the reason when not.
bool CheckFile(const char* path, int64_t& size, std::string& error) {
  struct stat info {};
  if (stat(path, &info) != 0) {
    error = std::string("'") + path + "':\n" + std::strerror(errno);
    return false;
  }
  if (!S_ISREG(info.st_mode)) {
    error = std::string("'") + path + "':\nThis is not a file.";
    return false;
  }
  size = int64_t(info.st_size);
  return true;
}

}  // namespace detail_ModelFileRead

// Opens a stream over a scene section's data, as read from a file.
ioStreamOwner OpenSceneSectionStream(const char* path, const ModelFileScene& section,
                                     const ioErrorHandler& handler) {
  if (section.form == kIoModeAscii) {
    return ioOpenReadText(path, section.data.data(), section.data.size(), kModelFileVersionMajor,
                          kModelFileVersionMinor, section.firstLine, modelfile::TokenName, handler);
  }
  ioStreamOwner s =
      ioOpenRead(nullptr, nullptr, kModelFileVersionMajor, kModelFileVersionMinor, modelfile::TokenName,
                 detail_ModelFileRead::NamingHandler(path, handler), section.data.data(), int32_t(section.data.size()));
  if (s) s->mFileName = path;
  return s;
}

namespace detail_ModelFileRead {

// Reads an opened stream (a file, or memory laid out as the BINARY form) named by
// path into the contents and checks what was read; false with error set.
bool ReadModelStream(ioStreamOwner stream, const char* path, int64_t size, ModelFileContents& contents,
                     std::string& firstError, bool& failed, const ioErrorHandler& handler, bool* cancelled,
                     bool checkScene) {
  ioStream* s = stream.get();
  contents.form = s->mMode;
  Reader r;
  r.path = path;
  r.s = s;
  r.fileSize = size;
  r.failed = &failed;
  r.out = &contents;
  // A quote left open in a text is told by the reader, which names the text.
  r.handler = [&r, handler](int level, const char* text, const char* message) {
    if (level >= kIoLevelError || !r.readingText) return handler(level, text, message);
    r.openQuoteLine = r.Line();
    return 0;
  };
  ioSetCallbacks(s, nullptr, r.handler);
  // Long runs of blank or comment lines report too, and can be cancelled.
  ioSetProgress(s, [&r]() { return !r.cancelled && r.Report(); });
  ReadFile(r);
  stream.reset();
  if (r.cancelled) {
    if (cancelled) *cancelled = true;
    firstError.clear();
    return false;
  }
  if (failed) return false;

  const int bent = FindBentFace(*contents.model);
  if (bent >= 0) {
    firstError = "'" + std::string(path) + "':\nFace " + std::to_string(bent + 1) + " is not flat.";
    return false;
  }

  // The sections that a reader claims are checked before anything changes. The scene
  // is no part of the model: a section that cannot be read is left out, with one
  // warning that names the file, each section left out and why, and what the sections
  // read had to say.
  const std::string texts = r.TextWarning();
  if (!texts.empty()) {
    const std::string text = "'" + std::string(path) + "':" + texts;
    contents.warning = contents.warning.empty() ? text : contents.warning + "\n" + text;
  }
  std::string sectionNotes;
  for (const auto& [name, why] : r.damaged)
    sectionNotes += "\nThe scene section '" + name + "' was left out: " + why + ".";
  if (checkScene) {
    std::erase_if(contents.scene, [&](const ModelFileScene& section) {
      ModelFileSection* reader = FindModelFileSection(section.name.c_str());
      if (!reader) return false;
      // The first error and the first warning, each with its line in the ASCII form,
      // and the count of warnings after it.
      std::string why, warned;
      int line = 0, warnedLine = 0, moreWarnings = 0;
      ioStream* stream = nullptr;
      ioErrorHandler noting = [&](int level, const char*, const char* message) {
        const int at = stream && stream->mMode == kIoModeAscii ? stream->mLineNumber : 0;
        if (level < kIoLevelError && warned.empty()) {
          warned = message;
          warnedLine = at;
        } else if (level < kIoLevelError) {
          ++moreWarnings;
        } else if (why.empty()) {
          why = message;
          line = at;
        }
        return 0;
      };
      ioStreamOwner owner = OpenSceneSectionStream(path, section, noting);
      stream = owner.get();
      const bool read = stream && reader->Read(stream, false);
      owner.reset();
      stream = nullptr;
      if (read && why.empty()) {
        if (warned.empty()) return false;
        sectionNotes += "\nThe scene section '" + section.name + "'";
        if (warnedLine > 0) sectionNotes += " (line " + std::to_string(warnedLine) + ")";
        sectionNotes += ": " + AsSentence(warned);
        if (moreWarnings == 1) sectionNotes += " It gave one more warning.";
        if (moreWarnings > 1) sectionNotes += " It gave " + std::to_string(moreWarnings) + " more warnings.";
        return false;
      }
      sectionNotes += "\nThe scene section '" + section.name + "' was left out";
      if (line > 0) sectionNotes += " (line " + std::to_string(line) + ")";
      sectionNotes += ": " + (why.empty() ? std::string("it cannot be read.") : why);
      return true;
    });
  }
  if (!sectionNotes.empty()) {
    const std::string text = "'" + std::string(path) + "':" + sectionNotes;
    contents.warning = contents.warning.empty() ? text : contents.warning + "\n" + text;
  }
  // The model keeps what the file gives and nothing else: no centring, scaling or
  // turning, and its own colours.
  contents.model->flags |= kSimpleKeepOrientation | kSimpleKeepCentre | kSimpleKeepSize | kSimpleKeepLengthUnits;
  contents.model->flags |= kSimpleFileCorners;
  if (!r.modelFlags) contents.model->flags |= kSimpleDecimalCorners;
  return true;
}

// The error handler of a read: the first error, and the first warning into contents.
ioErrorHandler ReadHandler(ModelFileContents& contents, std::string& firstError, bool& failed) {
  return [&contents, &firstError, &failed](int level, const char* text, const char*) {
    if (level >= kIoLevelError) {
      if (firstError.empty()) firstError = text;
      failed = true;
    } else if (contents.warning.empty()) {
      contents.warning = text;
    }
    return 0;
  };
}

}  // namespace detail_ModelFileRead

bool ReadModelFile(const char* path, ModelFileContents& contents, std::string* error, bool* cancelled,
                   bool checkScene) {
  namespace d = detail_ModelFileRead;
  if (cancelled) *cancelled = false;
  contents = ModelFileContents();
  std::string firstError;
  bool failed = false;
  ioErrorHandler handler = d::ReadHandler(contents, firstError, failed);
  auto fail = [&](const std::string& text) {
    if (error) *error = text;
    contents = ModelFileContents();
    return false;
  };
  if (path == nullptr || *path == '\0') return fail("No file name was given.");
  int64_t size = 0;
  std::string reason;
  if (!d::CheckFile(path, size, reason)) return fail(reason);

  ProgressScope progress;
  ioStreamOwner s = ioOpenRead(path, kModelFileTypeWord, kModelFileVersionMajor, kModelFileVersionMinor,
                           modelfile::TokenName, handler, nullptr, 0);
  if (!s) return fail(firstError);
  if (!d::ReadModelStream(std::move(s), path, size, contents, firstError, failed, handler, cancelled, checkScene))
    return fail(firstError);
  return true;
}

bool ReadModelFromMemory(const std::string& data, const char* name, ModelFileContents& contents,
                         std::string* error) {
  namespace d = detail_ModelFileRead;
  contents = ModelFileContents();
  std::string firstError;
  bool failed = false;
  // Reports made before the stream knows its name get it put in front.
  ioErrorHandler handler = d::NamingHandler(name, d::ReadHandler(contents, firstError, failed));
  if (data.size() > size_t(INT32_MAX)) {
    if (error) *error = "'" + std::string(name) + "':\nThe data is too large.";
    return false;
  }
  ProgressScope progress;
  ioStreamOwner s = ioOpenRead(nullptr, nullptr, kModelFileVersionMajor, kModelFileVersionMinor,
                               modelfile::TokenName, handler, data.data(), int32_t(data.size()));
  bool read = s != nullptr;
  if (s) {
    s->mFileName = name;
    read = d::ReadModelStream(std::move(s), name, int64_t(data.size()), contents, firstError, failed, handler, nullptr, false);
  }
  if (read) return true;
  if (error) *error = firstError.empty() ? "'" + std::string(name) + "':\nThe data cannot be read." : firstError;
  contents = ModelFileContents();
  return false;
}

}  // namespace corvia
