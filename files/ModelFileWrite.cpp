// Writing the model file: the model as its plain copy (CreateSimplePoly) with
// what that copy leaves out (opacities, face images, names, the library entry and
// configuration, drawn facets, faceting settings), then the scene sections. Doubles
// are written with 17 significant digits in the ASCII form and as 8 bytes in the
// BINARY form, so they read back bit for bit.

#include <algorithm>
#include <bit>
#include <charconv>
#include <cstdio>
#include <cstring>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "construction/DerivedModels.h"
#include "core/FaceImageRef.h"
#include "core/FileUtils.h"
#include "core/Lzrw3a.h"
#include "core/Messages.h"
#include "core/Progress.h"
#include "core/TimeFormat.h"
#include "core/Units.h"
#include "core/ioStream.h"
#include "files/ModelFile.h"
#include "files/ModelFileFormat.h"
#include "files/ModelFileSection.h"
#include "model/DrawnPolygonModel.h"
#include "model/Edge.h"
#include "model/FaceTypeBlock.h"
#include "model/LibraryEntry.h"
#include "model/Poly.h"
#include "model/PolyElement.h"
#include "model/PolyTemplate.h"
#include "stellation/Faceting.h"
#include "symmetry/SimplePoly.h"

namespace corvia {

namespace detail_ModelFileWrite {

using namespace modelfile;

// Where the body goes, how far it has come, and the first failure.
struct Writer {
  ioStream* stream = nullptr;
  int indent = 0;
  bool failed = false;
  bool cancelled = false;
  int done = 0;
  int total = 1;
  // A BINARY file being written: its path, read back for the check of each part, and
  // where the part being written began.
  const char* checkedPath = nullptr;
  long partStart = 0;

  void Check(bool ok) { failed = failed || !ok; }
  // Ends a part of a BINARY file with the check of its bytes.
  void EndPart() {
    if (!checkedPath || failed) return;
    FILE* file = stream->mFile;
    const long end = file && std::fflush(file) == 0 ? std::ftell(file) : -1;
    uint32_t crc = 0;
    if (end < partStart || !FileChecksum(checkedPath, partStart, end, crc)) {
      failed = true;
      return;
    }
    Check(ioWriteToken(stream, kTokChecksum, 0));
    Check(ioPrintf(stream, "%u", unsigned(crc)));
    Check(std::fflush(file) == 0);
    partStart = std::ftell(file);
  }
  // Counts one element; reports progress now and then. False once cancelled.
  bool Step() {
    if (++done % kProgressStep != 0) return !cancelled;
    if (!UpdateProgress(double(done) / double(total), "%s", kWritingCaption)) cancelled = true;
    return !cancelled;
  }
  void Token(int token, int extra = 0) { Check(ioWriteToken(stream, token, indent + extra)); }
  void Text(int token, const char* text) {
    if (text == nullptr || *text == '\0') return;
    Token(token);
    Check(ioWriteString(stream, " ", text, "\n", indent));
  }
  void Record() { Check(ioIndent(stream, indent + 2)); }
};

// The records of the element lists, the bulk of a large model's file, gathered in
// runs and handed to the stream whole, laid out as ioPrintf lays out their formats:
// in ASCII each record on a line of its own, its fields one blank apart (integers
// "%d", colours "0x%06x", doubles "%.17g", which std::to_chars writes to the byte);
// in the binary forms 4 bytes for an integer or colour and 8 for a double, low byte
// first.
class RecordWriter {
 public:
  explicit RecordWriter(Writer& w) : mWriter(w), mAscii(w.stream->mMode == kIoModeAscii) {
    mRun.reserve(kRunBytes + kRecordRoom);
  }
  RecordWriter(const RecordWriter&) = delete;
  RecordWriter& operator=(const RecordWriter&) = delete;

  void Begin() {
    mFirst = true;
    if (mAscii) mRun.append(size_t(std::max(mWriter.indent + 2, 0)), ' ');
  }
  void Int(int32_t value) {
    if (!mAscii) return Bytes(uint32_t(value), 4);
    char text[16];
    Field(text, std::to_chars(text, text + sizeof text, value).ptr);
  }
  void Color(uint32_t value) {
    if (!mAscii) return Bytes(value, 4);
    char digits[16];
    const char* end = std::to_chars(digits, digits + sizeof digits, value, 16).ptr;
    char text[24] = {'0', 'x'};
    char* p = text + 2;
    for (ptrdiff_t pad = 6 - (end - digits); pad > 0; --pad) *p++ = '0';
    p = std::copy(static_cast<const char*>(digits), end, p);
    Field(text, p);
  }
  void Double(double value) {
    if (!mAscii) return Bytes(std::bit_cast<uint64_t>(value), 8);
    char text[40];
    Field(text, std::to_chars(text, text + sizeof text, value, std::chars_format::general, 17).ptr);
  }
  // Ends the record; hands the run to the stream once it is long enough.
  void End() {
    if (mAscii) mRun.push_back('\n');
    if (mRun.size() >= kRunBytes) Flush();
  }
  void Flush() {
    if (mRun.empty()) return;
    mWriter.Check(mAscii ? ioPrintf(mWriter.stream, "%s", mRun.c_str())
                         : ioWriteBytes(mWriter.stream, mRun.data(), int(mRun.size()), false));
    mRun.clear();
  }

 private:
  static constexpr size_t kRunBytes = 1 << 16;
  static constexpr size_t kRecordRoom = 1024;

  void Field(const char* text, const char* end) {
    if (!mFirst) mRun.push_back(' ');
    mFirst = false;
    mRun.append(text, size_t(end - text));
  }
  void Bytes(uint64_t value, int count) {
    char bytes[8];
    for (int i = 0; i < count; ++i) bytes[i] = char(uint8_t(value >> (8 * i)));
    mRun.append(bytes, size_t(count));
  }

  Writer& mWriter;
  const bool mAscii;
  bool mFirst = true;
  std::string mRun;
};

void WriteVertices(Writer& w, const SimplePoly& simple) {
  w.Token(kTokVertices);
  w.Check(ioPrintf(w.stream, " %d\n", simple.NumVerts()));
  RecordWriter out(w);
  for (int i = 0; i < simple.NumVerts() && w.Step(); ++i) {
    const SimpleVert& v = simple.VertAt(i);
    out.Begin();
    for (double c : v.pos) out.Double(c);
    out.Color(v.color);
    out.Color(v.color2);
    out.Int(int32_t(v.flags & kStoredVertFlags));
    out.End();
  }
  out.Flush();
}

void WriteFaces(Writer& w, const SimplePoly& simple) {
  w.Token(kTokFaces);
  w.Check(ioPrintf(w.stream, " %d\n", simple.NumFaces()));
  RecordWriter out(w);
  for (int i = 0; i < simple.NumFaces() && w.Step(); ++i) {
    const SimpleFace& f = simple.FaceAt(i);
    out.Begin();
    out.Int(f.Count());
    for (int32_t corner : f.items) out.Int(corner);
    out.Color(f.color);
    out.Color(f.color2);
    out.Int(int32_t(f.flags & kStoredFaceFlags));
    // A face with fewer than three corners has no plane of its own: it goes with it.
    if (f.Count() < 3) {
      for (double c : f.normal) out.Double(c);
    }
    out.End();
  }
  out.Flush();
  if (simple.currentFace >= 0 && simple.currentFace < simple.NumFaces()) {
    w.Token(kTokCurrentFace);
    w.Check(ioPrintf(w.stream, " %d\n", simple.currentFace));
  }
}

// The faces round each vertex in their order round it, as the model has them: a
// vertex whose faces wind round it twice keeps them in one ring.
void WriteVertexRings(Writer& w, const SimplePoly& simple) {
  if (!(simple.flags & kSimpleSortedFaceLists)) return;
  w.Token(kTokVertexRings);
  w.Check(ioPrintf(w.stream, " %d\n", simple.NumVerts()));
  RecordWriter out(w);
  for (int i = 0; i < simple.NumVerts() && w.Step(); ++i) {
    const SimpleVert& v = simple.VertAt(i);
    out.Begin();
    out.Int(v.Count());
    for (int32_t face : v.items) out.Int(face);
    out.End();
  }
  out.Flush();
}

void WriteEdges(Writer& w, const SimplePoly& simple) {
  if (simple.NumEdges() == 0) return;
  w.Token(kTokEdges);
  w.Check(ioPrintf(w.stream, " %d\n", simple.NumEdges()));
  RecordWriter out(w);
  for (int i = 0; i < simple.NumEdges() && w.Step(); ++i) {
    const SimpleEdge& e = simple.EdgeAt(i);
    out.Begin();
    for (int32_t end : {e.endA, e.endB, e.faceA, e.faceB}) out.Int(end);
    out.Color(e.color);
    out.Int(int32_t(e.flags & kStoredEdgeFlags));
    out.End();
  }
  out.Flush();
}

void WriteLabels(Writer& w, const SimplePoly& simple) {
  struct Label {
    int kind;
    int index;
    const std::string* text;
  };
  std::vector<Label> labels;
  for (int i = 0; i < simple.NumVerts(); ++i)
    if (!simple.VertAt(i).Label().empty()) labels.push_back({kKindVertex, i, &simple.VertAt(i).Label().str()});
  for (int i = 0; i < simple.NumFaces(); ++i)
    if (!simple.FaceAt(i).Label().empty()) labels.push_back({kKindFace, i, &simple.FaceAt(i).Label().str()});
  for (int i = 0; i < simple.NumEdges(); ++i)
    if (!simple.EdgeAt(i).label.empty()) labels.push_back({kKindEdge, i, &simple.EdgeAt(i).label.str()});
  if (labels.empty()) return;
  w.Token(kTokLabels);
  w.Check(ioPrintf(w.stream, " %d\n", int(labels.size())));
  for (const Label& label : labels) {
    w.Record();
    w.Check(ioPrintf(w.stream, "%d %d", label.kind, label.index));
    w.Check(ioWriteString(w.stream, " ", label.text->c_str(), "\n", w.indent + 2));
  }
}

// The elements of the model in the file's numbering: vertices, then faces.
template <typename Visit>
void ForEachElement(Poly& poly, Visit visit) {
  for (PolyElement* v = poly.mVertices.mHead; v; v = v->mNext) visit(kKindVertex, v);
  for (PolyElement* f = poly.mFaces.mHead; f; f = f->mNext) visit(kKindFace, f);
}

void WriteOpacities(Writer& w, Poly& poly) {
  std::vector<std::pair<int, const PolyElement*>> translucent;
  ForEachElement(poly, [&](int kind, const PolyElement* e) {
    if (e->mOpacity != 1.0f) translucent.emplace_back(kind, e);
  });
  if (translucent.empty()) return;
  w.Token(kTokOpacities);
  w.Check(ioPrintf(w.stream, " %d\n", int(translucent.size())));
  for (const auto& [kind, e] : translucent) {
    w.Record();
    w.Check(ioPrintf(w.stream, "%d %d %.9hg\n", kind, e->mIndex, double(e->mOpacity)));
  }
}

void WriteDoubles(Writer& w, int token, const double* values, int count) {
  w.Token(token, 2);
  for (int i = 0; i < count; ++i) w.Check(ioPrintf(w.stream, " %.17g", values[i]));
  w.Check(ioPrintf(w.stream, "\n"));
}

void WriteFaceImages(Writer& w, Poly& poly) {
  // Each image once, in the order of first use; with the elements that use it.
  std::vector<FaceImage*> images;
  std::map<const FaceImage*, std::vector<std::pair<int, int>>> users;
  ForEachElement(poly, [&](int kind, PolyElement* e) {
    if (!e->GetImage()) return;
    auto& list = users[e->GetImage()];
    if (list.empty()) images.push_back(e->GetImage());
    list.emplace_back(kind, e->mIndex);
  });
  for (FaceImage* image : images) {
    w.Token(kTokFaceImage);
    w.Check(ioPrintf(w.stream, "\n"));
    w.Token(kTokFile, 2);
    w.Check(ioWriteString(w.stream, " ", image->mFileName.c_str(), "\n", w.indent + 2));
    w.Token(kTokProjection, 2);
    w.Check(ioPrintf(w.stream, " %d\n", int(image->mProjection)));
    w.Token(kTokBoundary, 2);
    w.Check(ioPrintf(w.stream, " 0x%x\n", unsigned(image->mBoundaryMode)));
    w.Token(kTokFlags, 2);
    w.Check(ioPrintf(w.stream, " 0x%x\n", unsigned(image->mFlags & kStoredImageFlags)));
    WriteDoubles(w, kTokOffset, image->mOffset, 2);
    const double rotations[2] = {image->mRotation, image->mRotationInUse};
    WriteDoubles(w, kTokRotation, rotations, 2);
    WriteDoubles(w, kTokFrame, image->mFrame, 12);
    WriteDoubles(w, kTokRotationFrame, image->mRotationFrame, 12);
    WriteDoubles(w, kTokSize, &image->mSize, 1);
    WriteDoubles(w, kTokBaseScale, &image->mBaseScale, 1);
    const PolyElement* owner = image->GetOwnerFace();
    if (owner && owner->mPoly == &poly) {
      w.Token(kTokOwner, 2);
      w.Check(ioPrintf(w.stream, " %d %d\n", owner->IsFace() ? kKindFace : kKindVertex, owner->mIndex));
    }
    const auto& list = users[image];
    w.Token(kTokUsedBy, 2);
    w.Check(ioPrintf(w.stream, " %d", int(list.size())));
    for (const auto& [kind, index] : list) w.Check(ioPrintf(w.stream, " %d %d", kind, index));
    w.Check(ioPrintf(w.stream, "\n"));
    w.Token(kTokEndFaceImage);
    w.Check(ioPrintf(w.stream, "\n"));
  }
}

// The finished drawn facets (not the one being drawn), by their corner points.
void WriteDrawnPolygons(Writer& w, Poly& poly) {
  for (const DrawnPolygon* p = poly.mDrawnPolygons; p; p = p->next) {
    if (p == poly.mCurrentDrawnPolygon || !p->ring) continue;
    std::vector<const PolygonVertex*> corners;
    const PolygonVertex* v = p->ring;
    do {
      corners.push_back(v);
      v = v->next;
    } while (v && v != p->ring && int(corners.size()) < kModelFileMaxCorners);
    w.Token(kTokDrawnPolygon);
    w.Check(ioPrintf(w.stream, " %d\n", int(corners.size())));
    for (const PolygonVertex* corner : corners) {
      w.Record();
      w.Check(ioPrintf(w.stream, "%.17g %.17g %.17g\n", corner->point[0], corner->point[1], corner->point[2]));
    }
  }
}

void WriteBigUInt(Writer& w, int token, const BigUInt& value) {
  std::vector<char> digits(size_t(value.CountDigits()) + 2);
  value.ToString(digits.data(), int(digits.size()));
  w.Token(token);
  w.Check(ioWriteString(w.stream, " ", digits.data(), "\n", -1));
}

void WriteFaceting(Writer& w, const FacetingCriteria& f) {
  w.Token(kTokFacetingCriteria);
  w.Check(ioWriteEnum(w.stream, f.criteria, kCriteriaNames, " ", "\n"));
  w.Token(kTokMinFacets);
  w.Check(ioPrintf(w.stream, " %d\n", f.minFacets));
  w.Token(kTokMaxFacets);
  w.Check(ioPrintf(w.stream, " %d\n", f.maxFacets));
  w.Token(kTokPartialFacetingOK);
  w.Check(ioWriteBool(w.stream, f.partialFacetingOK, " ", "\n"));
  w.Token(kTokSpikyFaceting);
  w.Check(ioWriteBool(w.stream, f.spikyFaceting, " ", "\n"));
  WriteBigUInt(w, kTokFacetingTotalNum, f.totalNum);
  WriteBigUInt(w, kTokFacetingNumChirals, f.numChirals);
  WriteBigUInt(w, kTokFacetingNumCompounds, f.numCompounds);
  // Days and milliseconds, each well inside 32 bits for any time an enumeration takes.
  w.Token(kTokFacetingTime);
  w.Check(ioPrintf(w.stream, " %d %d\n", int(f.time.GetDays()), int(f.time.GetMilliseconds())));
}

void WriteNamesAndOrigin(Writer& w, Poly& poly, const SimplePoly& simple) {
  w.Text(kTokName, poly.mName);
  w.Text(kTokDualName, poly.mDualName);
  w.Text(kTokEntryText, poly.mEntryText);
  w.Text(kTokDescription, poly.mDescription);
  w.Text(kTokWebLink, poly.mWebLink);
  const LibraryEntry* entry = poly.mLibraryEntry;
  if (entry && entry->GetIndex() >= 0) {
    int n = 0, d = 0;
    if (entry->IsParametric()) entry->GetParams(n, d);
    w.Token(kTokLibraryEntry);
    w.Check(ioPrintf(w.stream, " %d", entry->GetIndex()));
    w.Check(ioWriteString(w.stream, " ", entry->mName, nullptr, -1));
    w.Check(ioPrintf(w.stream, " %d %d\n", n, d));
  }
  if (poly.mTemplate) {
    w.Text(kTokConfiguration, PolyTemplate::FormatVertexConfiguration(poly.mTemplate).c_str());
  }
  if (poly.mTookBranch) {
    w.Token(kTokTookBranch);
    w.Check(ioWriteBool(w.stream, true, " ", "\n"));
  }
  const UnitSettings& units = GetUnitSettings();
  w.Token(kTokLengthScale);
  w.Check(ioPrintf(w.stream, " %.17g\n", units.mLengthScale));
  w.Token(kTokMaxFacesPerNet);
  w.Check(ioPrintf(w.stream, " %d\n", int(units.mMaxFacesPerNet)));
  w.Token(kTokModelFlags);
  w.Check(ioPrintf(w.stream, " 0x%x\n", unsigned(simple.flags & kStoredModelFlags)));
}

void WriteBody(Writer& w, Poly& poly, const SimplePoly& simple) {
  w.total = 2 * simple.NumVerts() + simple.NumFaces() + simple.NumEdges() + 1;
  WriteNamesAndOrigin(w, poly, simple);
  WriteVertices(w, simple);
  WriteFaces(w, simple);
  WriteVertexRings(w, simple);
  WriteEdges(w, simple);
  WriteLabels(w, simple);
  WriteOpacities(w, poly);
  WriteFaceImages(w, poly);
  WriteDrawnPolygons(w, poly);
  // The settings are the program's; the counts those of the faceting the model shows.
  WriteFaceting(w, GetFacetingCriteria(poly.GetShownBlock()->mFaceting.get()));
  w.indent = 0;
  w.Token(kTokEndModel);
  w.Check(ioPrintf(w.stream, "\n"));
}

// A compressed block whose bytes the caller puts after those of the stream: the last
// part of a model kept in memory, copied once into the string that keeps it.
struct HeldBlock {
  std::unique_ptr<uint8_t[]> bytes;
  uint32_t length = 0;
};

// Compresses a memory stream's data into a block of the file; with `held`, the block's
// bytes are left to the caller.
bool WriteCompressedBlock(ioStream* s, const uint8_t* data, int32_t length, HeldBlock* held = nullptr) {
  // Neither is read before it is written: a large model's block is not cleared first.
  const auto work = std::make_unique_for_overwrite<uint8_t[]>(kLzrw3aWorkMemorySize);
  const size_t room = size_t(length) + kCompressRoom;
  auto block = std::make_unique_for_overwrite<uint8_t[]>(room);
  uint32_t stored = uint32_t(room);
  // The data of a large model take a moment to compress: the window answers round it.
  (void)ProgressTick();
  if (!Lzrw3aCompress(kLzrw3aActionCompress, work.get(), data, uint32_t(length), block.get(), &stored)) return false;
  (void)ProgressTick();
  bool ok = ioWriteToken(s, kTokCompressedBlock, 0);
  ok = ioPrintf(s, "%d%d", length, int32_t(stored)) && ok;
  if (held) {
    held->bytes = std::move(block);
    held->length = stored;
    return ok;
  }
  return ioWriteBytes(s, block.get(), int(stored), false) && ok;
}

// A memory stream for one block, with the file's version and token table.
ioStreamOwner OpenBlock(ioBuffer& buffer, const ioErrorHandler& handler) {
  return ioOpenWrite(nullptr, nullptr, kModelFileVersionMajor, kModelFileVersionMinor, kIoModeMemory, TokenName,
                     handler, &buffer);
}

// Compresses the block's data and lets them go.
bool CloseBlock(ioStream* s, ioStreamOwner block, ioBuffer& buffer, HeldBlock* held = nullptr) {
  if (!ioClose(std::move(block))) return false;
  const bool written = WriteCompressedBlock(s, buffer.data, buffer.length, held);
  buffer.Free();
  return written;
}

void WriteSection(Writer& w, ModelFileSection* section, const ioErrorHandler& handler) {
  ioStream* s = w.stream;
  w.Check(ioWriteToken(s, kTokScene, 0));
  w.Check(ioWriteString(s, " ", section->GetName(), "\n", -1));
  const ioCallbacks saved{s->mTokenName, s->mErrorHandler};
  if (s->mMode == kIoModeAscii) {
    w.Check(section->Write(s, 2));
    ioRestoreCallbacks(s, saved);
    // The end stands on a line of its own, whatever the section ended with.
    w.Check(ioPrintf(s, "\n"));
    w.Check(ioWriteToken(s, kTokEndScene, 0));
    w.Check(ioPrintf(s, "\n"));
    return;
  }
  ioBuffer buffer;
  ioStreamOwner block = OpenBlock(buffer, handler);
  if (!block) {
    w.failed = true;
    return;
  }
  w.Check(section->Write(block.get(), 0));
  w.Check(CloseBlock(s, std::move(block), buffer));
  w.EndPart();
}

void WriteKeptSection(Writer& w, const ModelFileScene& kept) {
  ioStream* s = w.stream;
  w.Check(ioWriteToken(s, kTokScene, 0));
  w.Check(ioWriteString(s, " ", kept.name.c_str(), "\n", -1));
  if (s->mMode == kIoModeAscii) {
    if (!kept.data.empty()) w.Check(ioPrintf(s, "%s", kept.data.c_str()));
    w.Check(ioWriteToken(s, kTokEndScene, 0));
    w.Check(ioPrintf(s, "\n"));
    return;
  }
  w.Check(WriteCompressedBlock(s, reinterpret_cast<const uint8_t*>(kept.data.data()), int32_t(kept.data.size())));
  w.EndPart();
}

// The scene: the installed sections with something to save, then the sections kept
// from the file the model came from that no installed section writes and that were
// read from a file of this form.
void WriteScene(Writer& w, Poly& poly, const ioErrorHandler& handler) {
  for (ModelFileSection* section : GetModelFileSections()) {
    if (!w.failed && section->HasData()) WriteSection(w, section, handler);
  }
  if (!poly.mFileKeep) return;
  for (const ModelFileScene& kept : poly.mFileKeep->scene) {
    if (w.failed || FindModelFileSection(kept.name.c_str()) || kept.form != w.stream->mMode) continue;
    WriteKeptSection(w, kept);
  }
}

// The model and, with withScene, the scene sections, into a stream opened for writing
// (a file of the form, or memory, which is laid out as the BINARY form). A BINARY file
// (checkedPath, the file's path) gets the check of each part and its end; an ASCII
// file, whose parts end with their end words, gets its end, so that a file cut after
// any of them is told from a whole one. With `held` (memory, without the scene or the
// checks, where the model's block is the last part) the block's bytes are left to the
// caller.
bool WriteModelStream(ioStream* s, Poly& poly, const SimplePoly& simple, const ioErrorHandler& handler, bool withScene,
                      const char* checkedPath, bool& cancelled, HeldBlock* held = nullptr) {
  Writer w;
  w.stream = s;
  w.checkedPath = checkedPath;
  if (s->mMode == kModelFileAscii) {
    char when[kTimeAndDateBufferSize];
    FormatTimeAndDate(when);
    w.Check(ioPrintf(s, "# Corvia model file, saved %s\n", when));
    w.Token(kTokCheckedParts);
    w.Check(ioPrintf(s, "\n"));
    w.Check(ioWriteToken(s, modelfile::kTokModel, 0));
    w.Check(ioPrintf(s, "\n"));
    w.indent = 2;
    WriteBody(w, poly, simple);
  } else {
    if (checkedPath) w.Token(kTokCheckedParts);
    w.Check(ioWriteToken(s, modelfile::kTokModel, 0));
    ioBuffer buffer;
    ioStreamOwner block = OpenBlock(buffer, handler);
    if (block) {
      Writer inner;
      inner.stream = block.get();
      WriteBody(inner, poly, simple);
      w.failed = w.failed || inner.failed;
      w.cancelled = inner.cancelled;
      w.Check(CloseBlock(s, std::move(block), buffer, held));
      if (!w.cancelled) w.EndPart();
    } else {
      w.failed = true;
    }
  }
  if (withScene && !w.failed && !w.cancelled) WriteScene(w, poly, handler);
  const bool ascii = s->mMode == kModelFileAscii;
  if ((checkedPath || ascii) && !w.failed && !w.cancelled) {
    w.Token(kTokEndFile);
    if (ascii) w.Check(ioPrintf(s, "\n"));
  }
  cancelled = w.cancelled;
  return !w.failed && !w.cancelled;
}

}  // namespace detail_ModelFileWrite

Outcome WriteModelFile(const char* path, int form, Poly& poly) {
  namespace d = detail_ModelFileWrite;
  if (form != kModelFileAscii && form != kModelFileBinary) {
    ShowInternalError("WriteModelFile: unknown form %d", form);
    return Outcome::FailedF("WriteModelFile: unknown form %d", form);
  }
  std::unique_ptr<SimplePoly> simple(CreateSimplePoly(&poly, kDeriveBase, nullptr, nullptr));
  if (!simple) {
    return Outcome::FailedF("Couldn't save the model file\n'%s':\nThe model could not be copied for writing.",
                            path ? path : "");
  }

  std::string firstError;
  ioErrorHandler handler = [&firstError](int level, const char*, const char* message) {
    if (level >= kIoLevelError && firstError.empty()) firstError = message;
    return 0;
  };
  ProgressScope progress;
  bool cancelled = false;
  auto write = [&](const char* temporary) {
    ioStreamOwner s = ioOpenWrite(temporary, kModelFileTypeWord, kModelFileVersionMajor, kModelFileVersionMinor,
                                  form, modelfile::TokenName, handler, nullptr);
    if (!s) return false;
    const bool written =
        d::WriteModelStream(s.get(), poly, *simple, handler, true, form == kModelFileBinary ? temporary : nullptr, cancelled);
    const bool closed = ioClose(std::move(s));
    return closed && written;
  };
  std::string error;
  if (WriteFileReplacing(path, write, &error)) return Outcome::Done();
  if (cancelled) return Outcome::Cancelled();
  if (!firstError.empty()) error = firstError;
  return Outcome::FailedF("Couldn't save the model file\n'%s':\n%s", path ? path : "", error.c_str());
}

bool WriteModelToMemory(Poly& poly, std::string& data) {
  namespace d = detail_ModelFileWrite;
  data.clear();
  std::unique_ptr<SimplePoly> simple(CreateSimplePoly(&poly, kDeriveBase, nullptr, nullptr));
  if (!simple) return false;
  ioErrorHandler handler = [](int, const char*, const char*) { return 0; };
  ioBuffer buffer;
  ioStreamOwner s = ioOpenWrite(nullptr, nullptr, kModelFileVersionMajor, kModelFileVersionMinor, kIoModeMemory,
                                modelfile::TokenName, handler, &buffer);
  if (!s) return false;
  // A large model reports as it goes; without a level of its own every report would
  // read as a cancel.
  ProgressScope progress;
  bool cancelled = false;
  d::HeldBlock held;
  const bool written = d::WriteModelStream(s.get(), poly, *simple, handler, false, nullptr, cancelled, &held);
  if (!ioClose(std::move(s)) || !written) return false;
  data.reserve(size_t(buffer.length) + held.length);
  data.assign(reinterpret_cast<const char*>(buffer.data), size_t(buffer.length));
  data.append(reinterpret_cast<const char*>(held.bytes.get()), held.length);
  return true;
}

Outcome SaveModelFile(const char* path, int form, Poly* poly) {
  if (!poly) return Outcome::Refused("There is no model to save.");
  return WriteModelFile(path, form == kModelFileSameForm ? GetModelFileForm(*poly) : form, *poly);
}

}  // namespace corvia
