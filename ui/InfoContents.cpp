#include "ui/InfoContents.h"

#include <algorithm>
#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <cstring>

#include "core/Messages.h"
#include "core/Strings.h"
#include "core/Units.h"
#include "core/VectorMath.h"
#include "model/ColorSchemes.h"
#include "model/CompoundPart.h"
#include "model/Edge.h"
#include "model/ElementFlags.h"
#include "model/FaceTypeBlock.h"
#include "model/GeomagPanels.h"
#include "model/LibraryEntry.h"
#include "model/Poly.h"
#include "model/PolyTemplate.h"
#include "nets/Model3D.h"
#include "nets/Net.h"
#include "platform/Services.h"
#include "construction/StellationNames.h"
#include "render/OutcomeBoxes.h"
#include "stellation/Stellate.h"
#include "ui/BarDocument.h"

namespace corvia {

const char* const kInfoPlaceholder = "Please wait...";

namespace detail_InfoContents {

constexpr const char* kKeyNames[kNumInfoKeys] = {
    "Base",
    "Link",
    "Comments",
    "CommentLine",
    "OtherBaseNames",
    "OtherBaseName",
    "Color",
    "ColorNickname",
    "Type",
    "Symbol",
    "Wythoff",
    "Wenninger",
    "WenningerBasePage",
    "WenningerDualPage",
    "Maeder",
    "BaseGeomag",
    "BaseGeomagBalls",
    "BaseGeomagRods",
    "BaseGeomagPanels",
    "BaseGeomagError",
    "BaseGeomagPanelType",
    "Convexity",
    "NumComponents",
    "Components",
    "NumBaseCells",
    "BaseCells",
    "NumBaseFaces",
    "BaseFaces",
    "NumBaseEdges",
    "BaseEdges",
    "NumBaseVerts",
    "BaseVerts",
    "Genus",
    "Density",
    "BaseMidRadius",
    "BaseRadius",
    "SurfaceArea",
    "Volume",
    "Dual",
    "OtherDualNames",
    "OtherDualName",
    "DualGeomag",
    "DualGeomagBalls",
    "DualGeomagRods",
    "DualGeomagPanels",
    "DualGeomagError",
    "DualGeomagPanelType",
    "NumDualCells",
    "DualCells",
    "NumDualFaces",
    "DualFaces",
    "NumDualEdges",
    "DualEdges",
    "NumDualVerts",
    "DualVerts",
    "DualInRadius",
    "DualMidRadius",
    "DualRadius",
    "DualSurfaceArea",
    "DualVolume",
    "Stellation",
    "Connected",
    "NumCells",
    "NumReflexibleCells",
    "NumChiralCells",
    "NumSelCells",
    "NumLayers",
    "MaxPerLayer",
    "NumFacePlanes",
    "NumRegions",
    "StelMemory",
    "Nets",
    "NetsGeomag",
    "NetsGeomagBalls",
    "NetsGeomagRods",
    "NetsGeomagPanels",
    "NetsGeomagError",
    "NetsGeomagPanelType",
    "NumFacelets",
    "NumEdgelets",
    "NumJoined",
    "NumUnjoined",
    "NumToScore",
    "NumToCut",
    "NumToGlue",
    "NumNets",
    "FaceletsPerNet",
    "NetMemory",
    "TotalMemory",
    "MemoryUsage",
    "MemoryPhysical",
    "MemoryVirtual",
};

bool gExpanded[kNumInfoKeys];
bool gExpansionSet = false;
InfoNameFunction gNames;

// Comments wrap before this column.
constexpr int kCommentWidth = 40;

const char* Plural(int n) {
  return n == 1 ? "" : "s";
}
const char* VertexPlural(int n) {
  return n == 1 ? "ex" : "ices";
}

double Scale() {
  return GetUnitSettings().mLengthScale;
}

bool IsOrientable(const Poly* poly) {
  for (const CompoundPart* part = poly->mCompoundParts; part; part = part->mNext) {
    if (part->mFlags & kCompoundPartOneSided) return false;
  }
  return true;
}

const LibraryEntry* EntryOf(const Poly* poly) {
  return GetPolyLibraryEntry(poly);
}
// The record whose dual the model is, when it is no record's own model.
const LibraryEntry* EntryOfDualOf(const Poly* poly) {
  return EntryOf(poly) ? nullptr : poly->mLibraryEntryOfDual;
}
// The names of a record's dual after its first.
const char* OtherDualNames(const LibraryEntry* entry) {
  const char* semicolon = entry && entry->mDualName ? std::strchr(entry->mDualName, ';') : nullptr;
  return semicolon ? semicolon + 1 : nullptr;
}
bool IsUniformEntry(const LibraryEntry* entry) {
  return entry && entry->mCategory >= kCategoryPlatonic && entry->mCategory <= kCategoryDegenerates;
}
// A model from a vertex configuration, or one that a uniform record of the library
// names, however it was made; uniform when it has a single kind of vertex.
bool IsUniformModel(const Poly* poly) {
  return poly->mTemplate || IsUniformEntry(EntryOf(poly));
}
bool HasUniformFlag(const Poly* poly) {
  return poly->IsUniform();
}

// The template's radii in the model's size (its radius is the model's, 1).
double TemplateRatio(const Poly* poly, double value) {
  const PolyTemplate* t = poly->mTemplate;
  return t && t->mRadius > 0.0 ? value / t->mRadius : value;
}

// The midradius of a uniform model of radius 1: its template's, else that of its edges.
double UniformMidRadius(const Poly* poly) {
  if (poly->mTemplate) return TemplateRatio(poly, poly->mTemplate->mMidRadius);
  double radius = 0.0;
  for (const PolyElement* v = poly->mVertices.mHead; v; v = v->mNext)
    radius = std::max(radius, std::sqrt(Dot(v->mDualVert, v->mDualVert)));
  return radius > 0.0 ? GetMidradius(poly) / radius : 0.0;
}

std::string AngleText(double radians) {
  char buffer[kAngleTextSize];
  return GetUnitSettings().FormatAngle(buffer, radians, "deg");
}

// Adds each ';'-separated name of the text under the parent.
void AddNames(InfoSink& sink, int key, InfoSink::Item parent, const char* names) {
  const char* p = names;
  while (p && *p) {
    const char* end = std::strchr(p, ';');
    const size_t length = end ? static_cast<size_t>(end - p) : std::strlen(p);
    std::string name(p, length);
    const char* start = SkipBlanks(name.c_str());
    std::string trimmed = start;
    TrimTrailingBlanks(trimmed.data());
    trimmed.resize(std::strlen(trimmed.c_str()));
    if (!trimmed.empty()) sink.AddItem(key, parent, FormatInfoText("%s", trimmed.c_str()));
    if (!end) break;
    p = end + 1;
  }
}

// ---- Construction-toy group ----

struct ToyKeys {
  int group, balls, rods, panels, error, panelType;
};
constexpr ToyKeys kBaseToy = {kInfoBaseGeomag,       kInfoBaseGeomagBalls, kInfoBaseGeomagRods,
                              kInfoBaseGeomagPanels, kInfoBaseGeomagError, kInfoBaseGeomagPanelType};
constexpr ToyKeys kDualToy = {kInfoDualGeomag,       kInfoDualGeomagBalls, kInfoDualGeomagRods,
                              kInfoDualGeomagPanels, kInfoDualGeomagError, kInfoDualGeomagPanelType};
constexpr ToyKeys kNetsToy = {kInfoNetsGeomag,       kInfoNetsGeomagBalls, kInfoNetsGeomagRods,
                              kInfoNetsGeomagPanels, kInfoNetsGeomagError, kInfoNetsGeomagPanelType};

const char* const kPanelNames[kGeomagPanelShapes][2] = {
    {"Triangle", "Triangles"}, {"Square", "Squares"}, {"Rhombus", "Rhombi"}, {"Pentagon", "Pentagons"}};
const char* const kPanelColourNames[kGeomagPanelColors] = {"Red", "Yellow", "Blue", "Green", "Clear"};

void AddToyGroup(InfoSink& sink, InfoSink::Item parent, const ToyKeys& keys, int rods, int balls,
                 const int32_t (*panels)[kGeomagPanelColors], const char* error) {
  const InfoSink::Item group = sink.AddItem(keys.group, parent, "Geomag");
  if (rods != 0) {
    sink.AddItem(keys.balls, group, FormatInfoText("%d Geomag ball%s required", balls, Plural(balls)));
    sink.AddItem(keys.rods, group, FormatInfoText("%d Geomag rod%s required", rods, Plural(rods)));
    int total = 0;
    for (int kind = 0; kind < kGeomagPanelShapes; ++kind) {
      for (int colour = 0; colour < kGeomagPanelColors; ++colour) total += panels[kind][colour];
    }
    const InfoSink::Item panelLine =
        sink.AddItem(keys.panels, group, FormatInfoText("%d Geomag panel%s required", total, Plural(total)));
    for (int kind = 0; kind < kGeomagPanelShapes; ++kind) {
      for (int colour = 0; colour < kGeomagPanelColors; ++colour) {
        const int count = panels[kind][colour];
        if (count <= 0) continue;
        sink.AddItem(keys.panelType, panelLine,
                     FormatInfoText("%d %s %s required", count, kPanelColourNames[colour],
                                    kPanelNames[kind][count == 1 ? 0 : 1]));
      }
    }
    if (IsInfoExpanded(keys.panels)) sink.ExpandItem(panelLine);
  } else {
    sink.AddItem(keys.panels, group, "Model can't be made with Geomag");
    if (!IsBlank(error)) sink.AddItem(keys.error, group, FormatInfoText("%s", error));
  }
  if (IsInfoExpanded(keys.group)) sink.ExpandItem(group);
}

void AddBlockToyGroup(InfoSink& sink, InfoSink::Item parent, const ToyKeys& keys, FaceTypeBlock* block,
                      const char* error) {
  if (!block) return;
  block->CountPanels();
  AddToyGroup(sink, parent, keys, block->mRods, block->mBalls, block->mPanels, error);
}

// ---- Per-type lists ----

// The placeholder of a list that is made only while it and its parent are open.
bool AddListOrPlaceholder(InfoSink& sink, int key, int listKey, int parentKey, InfoSink::Item line) {
  if (IsInfoExpanded(listKey) && IsInfoExpanded(parentKey)) return true;
  sink.AddItem(key, line, kInfoPlaceholder);
  return false;
}

// The reflection line of a type whose mirror image is another type of smaller index.
bool AddReflectionLine(InfoSink& sink, int key, InfoSink::Item parent, const FaceType* type) {
  const FaceType* mirror = type->mMirrorPartner;
  if (!mirror || mirror == type || mirror->mIndex >= type->mIndex) return false;
  sink.AddItem(
      key, parent,
      FormatInfoText("%d: Reflection of face type %d", FaceType::GetNumber(type), FaceType::GetNumber(mirror)));
  return true;
}

void AddBaseFaceLines(InfoSink& sink, InfoSink::Item parent, const FaceTypeBlock* block) {
  platform::Services().views->SetWaitCursor(true);
  const double scale = Scale();
  for (const FaceType* type = block->mFirstFaceType; type; type = type->mNext) {
    if (AddReflectionLine(sink, kInfoBaseFaces, parent, type)) continue;
    const PolyElement* face = type->mFirstFace;
    std::string text = FormatInfoText("%d: %d x ", FaceType::GetNumber(type), type->mCount);
    text += AppendPolygonName(face ? face->mNumSides : 0, face ? face->mDensity : 1);
    text += FormatInfoText(", area %g, solid angle %s", type->mArea * scale * scale,
                           AngleText(type->mCornerMeasure).c_str());
    if (face && face->HasFlag(kElementHemi)) text += ", Hemi-spherical (passes through centre)";
    sink.AddItem(kInfoBaseFaces, parent, FormatInfoText("%s", text.c_str()));
  }
  platform::Services().views->SetWaitCursor(false);
}

void AddEdgeLines(InfoSink& sink, int key, InfoSink::Item parent, const Poly* poly, bool dual) {
  const double scale = Scale();
  for (int i = 0; i < poly->mNumEdgeTypes; ++i) {
    const EdgeType* type = poly->GetEdgeType(i);
    const int number = EdgeType::GetNumber(type, poly);
    const Edge* first = type->mFirstEdge;
    if (first && (first->mEdgeFlags & kEdgeMirrorSecond)) {
      // The mirror image is the type before.
      sink.AddItem(key, parent,
                   FormatInfoText("%d: Reflection of edge type %d", number,
                                  EdgeType::GetNumber(poly->GetEdgeType(i - 1), poly)));
      continue;
    }
    const double length = first ? first->GetLength(dual) : 0.0;
    sink.AddItem(key, parent, FormatInfoText("%d: %d x length %g", number, type->mNumEdges, length * scale));
  }
}

double Distance(const PolyElement* element) {
  return std::sqrt(Dot(element->mDualVert, element->mDualVert));
}

void AddBaseVertexLines(InfoSink& sink, InfoSink::Item parent, const FaceTypeBlock* dualBlock) {
  const double scale = Scale();
  for (const FaceType* type = dualBlock->mFirstFaceType; type; type = type->mNext) {
    if (AddReflectionLine(sink, kInfoBaseVerts, parent, type)) continue;
    const PolyElement* vertex = type->mFirstFace;
    sink.AddItem(kInfoBaseVerts, parent,
                 FormatInfoText("%d: %d x %d-valence, radius %g", FaceType::GetNumber(type), type->mCount,
                                vertex ? vertex->mNumSides : 0, vertex ? Distance(vertex) * scale : 0.0));
  }
}

void AddDualFaceLines(InfoSink& sink, InfoSink::Item parent, const FaceTypeBlock* dualBlock) {
  const double scale = Scale();
  for (const FaceType* type = dualBlock->mFirstFaceType; type; type = type->mNext) {
    if (AddReflectionLine(sink, kInfoDualFaces, parent, type)) continue;
    const PolyElement* vertex = type->mFirstFace;
    std::string where;
    bool infiniteCorner = false;
    for (int i = 0; vertex && i < vertex->mNumSides; ++i) {
      const PolyElement* face = vertex->GetCorner(i);
      if (face && face->HasFlag(kElementHemi)) infiniteCorner = true;
    }
    if (vertex && Distance(vertex) == 0.0)
      where = "infinite";
    else if (infiniteCorner)
      where = "has infinite vertices";
    else
      where = "solid angle " + AngleText(type->mCornerMeasure);
    sink.AddItem(
        kInfoDualFaces, parent,
        FormatInfoText("%d: %d x %s, area %g, %s", FaceType::GetNumber(type), type->mCount,
                       AppendPolygonName(vertex ? vertex->mNumSides : 0, vertex ? vertex->mDensity : 1).c_str(),
                       type->mArea * scale * scale, where.c_str()));
  }
}

void AddDualVertexLines(InfoSink& sink, InfoSink::Item parent, const FaceTypeBlock* baseBlock) {
  const double scale = Scale();
  for (const FaceType* type = baseBlock->mFirstFaceType; type; type = type->mNext) {
    if (AddReflectionLine(sink, kInfoDualVerts, parent, type)) continue;
    const PolyElement* face = type->mFirstFace;
    const std::string where = face && face->HasFlag(kElementHemi)
                                  ? std::string("infinite")
                                  : FormatInfoText("radius %g", face ? Distance(face) * scale : 0.0);
    sink.AddItem(kInfoDualVerts, parent,
                 FormatInfoText("%d: Valence %d, %d vert%s, %s", FaceType::GetNumber(type), face ? face->mNumSides : 0,
                                type->mCount, VertexPlural(type->mCount), where.c_str()));
  }
}

// ---- Branches ----

// What a record's model is: uniform (with alike, every element of the kind that is
// alike in a uniform model; else pseudo-uniform) and its class, or its family; empty
// when that is not known.
std::string TypeWords(const Poly* poly, const LibraryEntry* entry, bool uniform, bool alike) {
  if (uniform) {
    std::string text = alike ? "Uniform" : "Pseudo-uniform";
    if (entry) {
      const int c = entry->mCategory;
      const bool regular = c == kCategoryPlatonic || c == kCategoryKeplerPoinsot;
      text += regular ? ", Regular" : ", Semi-regular";
      if (c == kCategoryPlatonic) text += ", Platonic";
      if (c == kCategoryArchimedean) text += ", Archimedean";
      if (c == kCategoryKeplerPoinsot) text += ", Kepler-Poinsot";
      if (c == kCategoryDegenerates) text += ", Degenerate";
    }
    return text;
  }
  if (!entry) return "";
  switch (entry->mCategory) {
    case kCategoryJohnson:
      return "Johnson solid";
    case kCategoryNearMisses:
      return "Near-miss (almost a Johnson solid)";
    case kCategoryToroids:
      // Stewart's G3 stands among his toroids but has no hole.
      return poly->GetGenus() > 0 ? "Stewart toroid" : "Stewart polyhedron without a hole (genus 0)";
    default:
      break;
  }
  const uint32_t flags = entry->mFlags;
  if (flags & kLibraryPyramidFamily) return "Pyramid";
  if (flags & kLibraryCupolaFamily) return "Cupola";
  if (flags & kLibraryCuploidFamily) return "Cuploid";
  if (flags & kLibraryCupolaicBlendFamily) return "Cupolaic blend";
  return "";
}

// The type line: the model's own record, or the record whose dual it is (its faces
// alike where the record's vertices are).
std::string TypeText(const Poly* poly, const LibraryEntry* entry) {
  if (const LibraryEntry* record = EntryOfDualOf(poly)) {
    const std::string words = TypeWords(poly, record, IsUniformEntry(record), poly->HasFacesAlike());
    return words.empty() ? "Type: Unknown" : "Type: Dual of " + words;
  }
  const std::string words = TypeWords(poly, entry, IsUniformModel(poly), HasUniformFlag(poly));
  return "Type: " + (words.empty() ? std::string("Unknown") : words);
}

void AddComments(InfoSink& sink, InfoSink::Item comments, const char* text) {
  const char* p = text;
  while (p && *p) {
    // At least the first word, then on while below the width and before a line end;
    // the line ends at the last white space that follows a word.
    const char* end = SkipNonBlanks(p);
    const char* q = end;
    while (*q && q - p < kCommentWidth && *q != '\r' && *q != '\n') {
      if (IsSpaceChar(static_cast<unsigned char>(*q)) && q > p && !IsSpaceChar(static_cast<unsigned char>(q[-1])))
        end = q;
      ++q;
    }
    if (*q == '\r' || *q == '\n') end = q;
    if (!*q) end = q;
    sink.AddItem(kInfoCommentLine, comments, FormatInfoText("%.*s", static_cast<int>(end - p), p));
    p = SkipBlanks(end);
  }
}

void AddBaseBranch(InfoSink& sink, Poly* poly) {
  const double scale = Scale();
  const LibraryEntry* entry = EntryOf(poly);
  const bool orientable = IsOrientable(poly);
  const InfoSink::Item base =
      sink.AddItem(kInfoBase, 0, FormatInfoText("\"%s\"", GetInfoModelName(poly, false).c_str()));
  sink.AddItem(kInfoLink, base,
               IsBlank(poly->mWebLink) ? std::string("<No link>") : FormatInfoText("%s", poly->mWebLink));
  const InfoSink::Item comments = sink.AddItem(kInfoComments, base, "Comments...");
  if (!IsBlank(poly->mDescription)) {
    AddComments(sink, comments, poly->mDescription);
    if (IsInfoExpanded(kInfoComments)) sink.ExpandItem(comments);
  }
  // A record's dual goes by the other names of the record's dual.
  const LibraryEntry* entryOfDual = EntryOfDualOf(poly);
  const char* otherNames = entry ? entry->mOtherNames : OtherDualNames(entryOfDual);
  if (!IsBlank(otherNames)) {
    const InfoSink::Item names = sink.AddItem(kInfoOtherBaseNames, base, "Other names...");
    AddNames(sink, kInfoOtherBaseName, names, otherNames);
    if (IsInfoExpanded(kInfoOtherBaseNames)) sink.ExpandItem(names);
  }

  const std::string typeText = TypeText(poly, entry);
  const InfoSink::Item type = sink.AddItem(kInfoType, base, typeText);
  if (typeText != "Type: Unknown") {
    // A record's dual is described by the record: the faces of the dual of a uniform
    // model are what its vertices are, written with a V before them.
    const bool uniform = entryOfDual ? IsUniformEntry(entryOfDual) : IsUniformModel(poly);
    if (entryOfDual) {
      const std::string symbol = entryOfDual->GetVertexConfiguration();
      if (!symbol.empty())
        sink.AddItem(kInfoSymbol, type,
                     FormatInfoText(uniform ? "Face Description: V%s" : "Symbol: Dual of %s", symbol.c_str()));
    } else {
      char configuration[256];
      poly->GetName(configuration, sizeof configuration);
      sink.AddItem(kInfoSymbol, type, FormatInfoText(uniform ? "Vertex Description: %s" : "Symbol: %s", configuration));
    }
    // The record's catalogue numbers; its dual's model is on the "Dual Models" page.
    const LibraryEntry* record = entryOfDual ? entryOfDual : entry;
    if (uniform && record) {
      sink.AddItem(kInfoWythoff, type, FormatInfoText("Wythoff Symbol: %s", record->mWythoff ? record->mWythoff : ""));
      if (record->GetWenningerNumber() >= 0) {
        const InfoSink::Item w =
            sink.AddItem(kInfoWenninger, type, FormatInfoText("Wenninger number: W%d", record->GetWenningerNumber()));
        sink.AddItem(kInfoWenningerBasePage, w, FormatInfoText("\"Polyhedron Models\" p%d", record->GetModelsPage()));
        sink.AddItem(kInfoWenningerDualPage, w, FormatInfoText("\"Dual Models\" p%d", record->GetDualModelsPage()));
        if (IsInfoExpanded(kInfoWenninger)) sink.ExpandItem(w);
      }
      if (record->GetMaederIndex() != 0)
        sink.AddItem(kInfoMaeder, type, FormatInfoText("Maeder Index: U%d", record->GetMaederIndex()));
    }
    if (IsInfoExpanded(kInfoType)) sink.ExpandItem(type);
  }

  if (GeomagStyle) AddBlockToyGroup(sink, base, kBaseToy, poly->mBaseBlock.get(), poly->mKitReason[0]);

  sink.AddItem(kInfoNumComponents, base,
               FormatInfoText("%sconvex, %sorientable", (poly->mPolyFlags & kPolyFlagConvex) ? "" : "non",
                              orientable ? "" : "non-"));
  const int numParts = poly->CountCompoundParts();
  const InfoSink::Item parts =
      sink.AddItem(kInfoNumComponents, base,
                   FormatInfoText("%d part%s", numParts, numParts > 1 ? "s in compound" : " (not a compound)"));
  int number = 1;
  for (const CompoundPart* part = poly->mCompoundParts; part; part = part->mNext, ++number) {
    const bool partOrientable = !(part->mFlags & kCompoundPartOneSided);
    sink.AddItem(
        kInfoComponents, parts,
        FormatInfoText("%d: %d faces, %d verts, %d edges, genus %d, %sorientable, volume %s", number, part->mNumFaces,
                       part->mNumVertices, part->mNumEdges, Genus(part), partOrientable ? "" : "non-",
                       FormatInfoVolume(part->mVolume, partOrientable, false).c_str()));
  }
  if (IsInfoExpanded(kInfoNumComponents)) sink.ExpandItem(parts);

  FaceTypeBlock* baseBlock = poly->mBaseBlock.get();
  FaceTypeBlock* dualBlock = poly->mDualBlock.get();
  const int numFaces = poly->mFaces.mCount;
  const int faceTypes = baseBlock ? baseBlock->CountFaceTypes() : 0;
  const InfoSink::Item faces =
      sink.AddItem(kInfoNumBaseFaces, base,
                   FormatInfoText("%d face%s of %d type%s", numFaces, Plural(numFaces), faceTypes, Plural(faceTypes)));
  if (baseBlock && AddListOrPlaceholder(sink, kInfoBaseFaces, kInfoNumBaseFaces, kInfoBase, faces)) {
    AddBaseFaceLines(sink, faces, baseBlock);
    sink.ExpandItem(faces);
  }

  const int numEdges = poly->mNumEdges;
  if (poly->mNumEdgeTypes <= 0) {
    sink.AddItem(kInfoNumBaseEdges, base, FormatInfoText("%d edge%s", numEdges, Plural(numEdges)));
  } else {
    const InfoSink::Item edges = sink.AddItem(kInfoNumBaseEdges, base,
                                              FormatInfoText("%d edge%s of %d type%s", numEdges, Plural(numEdges),
                                                             poly->mNumEdgeTypes, Plural(poly->mNumEdgeTypes)));
    if (AddListOrPlaceholder(sink, kInfoBaseEdges, kInfoNumBaseEdges, kInfoBase, edges)) {
      AddEdgeLines(sink, kInfoBaseEdges, edges, poly, false);
      sink.ExpandItem(edges);
    }
  }

  const int numVerts = poly->mVertices.mCount;
  const int vertTypes = dualBlock ? dualBlock->CountFaceTypes() : 0;
  const InfoSink::Item verts = sink.AddItem(
      kInfoNumBaseVerts, base,
      FormatInfoText("%d vert%s of %d type%s", numVerts, VertexPlural(numVerts), vertTypes, Plural(vertTypes)));
  if (dualBlock && AddListOrPlaceholder(sink, kInfoBaseVerts, kInfoNumBaseVerts, kInfoBase, verts)) {
    AddBaseVertexLines(sink, verts, dualBlock);
    sink.ExpandItem(verts);
  }

  sink.AddItem(kInfoGenus, base, FormatInfoText("Genus: %d", poly->GetGenus()));
  sink.AddItem(kInfoDensity, base, FormatInfoText("Density: %g", poly->mModelDensity));
  if (IsUniformModel(poly))
    sink.AddItem(kInfoBaseMidRadius, base, FormatInfoText("Midradius: %g", UniformMidRadius(poly) * scale));
  sink.AddItem(kInfoBaseRadius, base, FormatInfoText("Radius: %g", scale));
  sink.AddItem(kInfoSurfaceArea, base, FormatInfoText("Surface area: %s", FormatInfoArea(poly->mSurfaceArea).c_str()));
  sink.AddItem(kInfoVolume, base,
               FormatInfoText("Volume: %s", FormatInfoVolume(poly->mVolume, orientable, true).c_str()));
  if (IsInfoExpanded(kInfoBase)) sink.ExpandItem(base);
}

void AddDualBranch(InfoSink& sink, Poly* poly) {
  const double scale = Scale();
  const LibraryEntry* entry = EntryOf(poly);
  const InfoSink::Item dual =
      sink.AddItem(kInfoDual, 0, FormatInfoText("Dual: \"%s\"", GetInfoModelName(poly, true).c_str()));
  // The dual of a record's dual is the record, with the record's other names.
  const LibraryEntry* entryOfDual = EntryOfDualOf(poly);
  const char* otherNames = entry ? OtherDualNames(entry) : entryOfDual ? entryOfDual->mOtherNames : nullptr;
  if (!IsBlank(otherNames)) {
    const InfoSink::Item names = sink.AddItem(kInfoOtherDualNames, dual, "Other names...");
    AddNames(sink, kInfoOtherDualName, names, otherNames);
    if (IsInfoExpanded(kInfoOtherDualNames)) sink.ExpandItem(names);
  }
  FaceTypeBlock* baseBlock = poly->mBaseBlock.get();
  FaceTypeBlock* dualBlock = poly->mDualBlock.get();
  if (GeomagStyle) AddBlockToyGroup(sink, dual, kDualToy, dualBlock, poly->mKitReason[1]);

  const int numFaces = poly->mVertices.mCount;
  const int faceTypes = dualBlock ? dualBlock->CountFaceTypes() : 0;
  const InfoSink::Item faces =
      sink.AddItem(kInfoNumDualFaces, dual,
                   FormatInfoText("%d face%s of %d type%s", numFaces, Plural(numFaces), faceTypes, Plural(faceTypes)));
  if (dualBlock && AddListOrPlaceholder(sink, kInfoDualFaces, kInfoNumDualFaces, kInfoDual, faces)) {
    AddDualFaceLines(sink, faces, dualBlock);
    sink.ExpandItem(faces);
  }
  const int numEdges = poly->mNumEdges;
  if (poly->mNumEdgeTypes <= 0) {
    sink.AddItem(kInfoNumDualEdges, dual, FormatInfoText("%d edge%s", numEdges, Plural(numEdges)));
  } else {
    const InfoSink::Item edges = sink.AddItem(kInfoNumDualEdges, dual,
                                              FormatInfoText("%d edge%s of %d type%s", numEdges, Plural(numEdges),
                                                             poly->mNumEdgeTypes, Plural(poly->mNumEdgeTypes)));
    if (AddListOrPlaceholder(sink, kInfoDualEdges, kInfoNumDualEdges, kInfoDual, edges)) {
      AddEdgeLines(sink, kInfoDualEdges, edges, poly, true);
      sink.ExpandItem(edges);
    }
  }
  const int numVerts = poly->mFaces.mCount;
  const int vertTypes = baseBlock ? baseBlock->CountFaceTypes() : 0;
  const InfoSink::Item verts = sink.AddItem(
      kInfoNumDualVerts, dual,
      FormatInfoText("%d vert%s of %d type%s", numVerts, VertexPlural(numVerts), vertTypes, Plural(vertTypes)));
  if (baseBlock && AddListOrPlaceholder(sink, kInfoDualVerts, kInfoNumDualVerts, kInfoDual, verts)) {
    AddDualVertexLines(sink, verts, baseBlock);
    sink.ExpandItem(verts);
  }
  if (IsUniformModel(poly)) {
    const double mid = UniformMidRadius(poly);
    sink.AddItem(kInfoDualInRadius, dual, FormatInfoText("Inradius: %g", mid * mid * scale));
    sink.AddItem(kInfoDualMidRadius, dual, FormatInfoText("Midradius: %g", mid * scale));
  }
  sink.AddItem(kInfoDualRadius, dual,
               poly->mHasCentralFace ? std::string("Radius: Infinite")
                                     : FormatInfoText("Radius: %g", poly->GetRadius() * scale));
  sink.AddItem(kInfoDualSurfaceArea, dual,
               FormatInfoText("Surface area: %s", FormatInfoArea(poly->mDualSurfaceArea).c_str()));
  sink.AddItem(kInfoDualVolume, dual,
               FormatInfoText("Volume: %s", FormatInfoVolume(poly->mDualVolume, IsOrientable(poly), true).c_str()));
  if (IsInfoExpanded(kInfoDual)) sink.ExpandItem(dual);
}

void AddStellationBranch(InfoSink& sink, Poly* poly) {
  FaceTypeBlock* block = poly->GetShownBlock();
  const InfoSink::Item root = sink.AddItem(kInfoStellation, 0, "Stellation");
  if (!block) return;
  if (block->mStellationRefused) {
    sink.AddItem(kInfoConnected, root, "Stellation cancelled");
  } else {
    if (!block->IsStellated() && IsInfoExpanded(kInfoStellation)) {
      TellOutcome(Stellate(poly, block, true));
      if (!block->IsStellated()) SetInfoExpanded(kInfoStellation, false);
    }
    if (!block->IsStellated() || !IsInfoExpanded(kInfoStellation)) {
      sink.AddItem(kInfoConnected, root, block->mStellationRefused ? "Stellation cancelled" : kInfoPlaceholder);
    } else {
      sink.AddItem(kInfoConnected, root,
                   FormatInfoText("%sConnected, %sAccessible", block->FillFromOriginal() ? "" : "Not ",
                                  block->FillFromOutside() ? "" : "Not "));
      // Which stellation is shown, once a step has placed it.
      const std::string shown = DescribeShownStellation(poly, block, false);
      if (!shown.empty()) sink.AddItem(kInfoConnected, root, FormatInfoText("Stellation shown: %s", shown.c_str()));
      const int all = block->CountAllCells(), types = block->CountCellsNoMirror();
      const InfoSink::Item cells = sink.AddItem(
          kInfoNumCells, root, FormatInfoText("%d cell%s of %d type%s", all, Plural(all), types, Plural(types)));
      const int reflexible = block->CountAllCellsNoMirror(), reflexibleTypes = block->CountCellsNoMirrorIfReflexible();
      sink.AddItem(kInfoNumReflexibleCells, cells,
                   FormatInfoText("%d reflexible cell%s of %d type%s", reflexible, Plural(reflexible), reflexibleTypes,
                                  Plural(reflexibleTypes)));
      const int chiral = all - reflexible, chiralTypes = types - reflexibleTypes;
      sink.AddItem(
          kInfoNumChiralCells, cells,
          FormatInfoText("%d chiral cell%s of %d type%s", chiral, Plural(chiral), chiralTypes, Plural(chiralTypes)));
      if (IsInfoExpanded(kInfoNumCells)) sink.ExpandItem(cells);
      const int used = block->CountIncludedCellCopies(), usedTypes = block->GetNumIncludedCells();
      sink.AddItem(kInfoNumSelCells, root,
                   FormatInfoText("%d cell%s of %d type%s used in current stellation", used, Plural(used), usedTypes,
                                  Plural(usedTypes)));
      const int layers = block->GetLastCellTypeIndex();
      const InfoSink::Item layerLine =
          sink.AddItem(kInfoNumLayers, root, FormatInfoText("%d cell layer%s", layers, Plural(layers)));
      sink.AddItem(kInfoMaxPerLayer, layerLine,
                   FormatInfoText("Maximum cell types per layer: %d", block->GetMaxCellsPerType()));
      if (IsInfoExpanded(kInfoNumLayers)) sink.ExpandItem(layerLine);
      const int planes = block->CountDistinctFaceTypes();
      const InfoSink::Item planeLine =
          sink.AddItem(kInfoNumFacePlanes, root, FormatInfoText("%d facial plane type%s", planes, Plural(planes)));
      for (const FaceType* type = block->mFirstFaceType; type; type = type->mNext) {
        if (type->mCoplanarMaster) continue;
        const int regions = type->GetNumSegments();
        sink.AddItem(kInfoNumRegions, planeLine,
                     FormatInfoText("%d: %d 2D region%s", FaceType::GetNumber(type), regions, Plural(regions)));
      }
      if (IsInfoExpanded(kInfoNumFacePlanes)) sink.ExpandItem(planeLine);
    }
  }
  if (IsInfoExpanded(kInfoStellation)) sink.ExpandItem(root);
}

void AddNetsBranch(InfoSink& sink, Poly* poly) {
  FaceTypeBlock* block = poly->GetShownBlock();
  const InfoSink::Item root = sink.AddItem(kInfoNets, 0, "Nets");
  Model3D* model = block && !block->mStellationRefused ? block->GetExistingModel3D() : nullptr;
  // A block that has made no model yet has no nets.
  if ((!model || !model->HasNets()) && IsInfoExpanded(kInfoNets) && block && !block->mStellationRefused) {
    model = GetModel3DOrTell(block, true);
    if (!model || !model->HasNets()) SetInfoExpanded(kInfoNets, false);
  }
  if (!model || !model->HasNets()) {
    sink.AddItem(kInfoNumFacelets, root, "Net creation cancelled");
  } else if (model->GetNumNetTypes() == 0 || !IsInfoExpanded(kInfoNets)) {
    sink.AddItem(kInfoNumFacelets, root, kInfoPlaceholder);
  } else {
    if (GeomagStyle) {
      model->CountGeomagParts();
      AddToyGroup(sink, root, kNetsToy, model->mToyRods, model->mToyBalls, model->mToyParts, block->mToyNote);
    }
    const int facelets = model->GetNumFacelets(), types = model->GetNumFaceTypes();
    sink.AddItem(kInfoNumFacelets, root,
                 FormatInfoText("%d facelet%s of %d type%s", facelets, Plural(facelets), types, Plural(types)));
    int joined = 0;
    const int edgelets = model->CountEdges(&joined);
    const int unjoined = edgelets - joined;
    const InfoSink::Item edges =
        sink.AddItem(kInfoNumEdgelets, root, FormatInfoText("%d edgelet%s", edgelets, Plural(edgelets)));
    sink.AddItem(kInfoNumJoined, edges, FormatInfoText("%d joined edge%s (1 score/fold each)", joined, Plural(joined)));
    sink.AddItem(kInfoNumUnjoined, edges,
                 FormatInfoText("%d unjoined edge%s (2 score/cut/folds & 1 glue each)", unjoined, Plural(unjoined)));
    sink.AddItem(kInfoNumToScore, edges, FormatInfoText("Total edges to score/fold: %d", edgelets + unjoined));
    sink.AddItem(kInfoNumToCut, edges, FormatInfoText("Total edges to cut: %d", 2 * unjoined));
    sink.AddItem(kInfoNumToGlue, edges, FormatInfoText("Total edges to glue: %d", unjoined));
    if (IsInfoExpanded(kInfoNumEdgelets)) sink.ExpandItem(edges);
    const int nets = model->GetNumNets(), netTypes = model->GetNumNetTypes();
    const InfoSink::Item netLine = sink.AddItem(
        kInfoNumNets, root, FormatInfoText("%d net%s of %d type%s", nets, Plural(nets), netTypes, Plural(netTypes)));
    int number = 1;
    for (const NetType* type = model->mNetTypes; type; type = type->next, ++number) {
      const int perNet = Net::CountFacelets(type->GetFirstNet());
      sink.AddItem(kInfoFaceletsPerNet, netLine,
                   FormatInfoText("%d: %d net%s with %d facelet%s%s", number, type->numNets, Plural(type->numNets),
                                  perNet, Plural(perNet), type->numNets > 1 ? " each" : ""));
    }
    if (IsInfoExpanded(kInfoNumNets)) sink.ExpandItem(netLine);
  }
  if (IsInfoExpanded(kInfoNets)) sink.ExpandItem(root);
}

}  // namespace detail_InfoContents

const char* GetInfoItemKey(int index) {
  return index >= 0 && index < kNumInfoKeys ? detail_InfoContents::kKeyNames[index] : "Unknown";
}

int FindInfoItemKey(const char* name) {
  if (!name) return 0;
  for (int i = 0; i < kNumInfoKeys; ++i) {
    if (std::strcmp(detail_InfoContents::kKeyNames[i], name) == 0) return i;
  }
  return 0;
}

void ResetInfoExpansion() {
  using namespace detail_InfoContents;
  for (bool& flag : gExpanded) flag = false;
  for (int key : {kInfoBase, kInfoBaseGeomag, kInfoBaseGeomagPanelType, kInfoDual, kInfoDualGeomag,
                  kInfoDualGeomagPanelType, kInfoNetsGeomag, kInfoNetsGeomagPanelType})
    gExpanded[key] = true;
  gExpansionSet = true;
}

bool IsInfoExpanded(int key) {
  using namespace detail_InfoContents;
  if (!gExpansionSet) ResetInfoExpansion();
  return key >= 0 && key < kNumInfoKeys && gExpanded[key];
}

void SetInfoExpanded(int key, bool on) {
  using namespace detail_InfoContents;
  if (!gExpansionSet) ResetInfoExpansion();
  if (key >= 0 && key < kNumInfoKeys) gExpanded[key] = on;
}

std::string FormatInfoText(const char* format, ...) {
  va_list args;
  va_start(args, format);
  std::string text = FormatLimitedV(kInfoTextSize, format, args);
  va_end(args);
  return text;
}

std::string FormatInfoArea(double area) {
  const double scale = detail_InfoContents::Scale();
  return FormatInfoText("%g", area * scale * scale);
}

std::string FormatInfoVolume(double volume, bool orientable, bool longForm) {
  const double scale = detail_InfoContents::Scale();
  if (!orientable) return longForm ? "undefined for non-orientable surfaces" : "undefined";
  return FormatInfoText("%g", volume * scale * scale * scale);
}

std::string AppendPolygonName(int sides, int density) {
  return density != 1 ? FormatInfoText("%d/%d-gon", sides, density) : FormatInfoText("%d-gon", sides);
}

void SetInfoNameFunction(InfoNameFunction names) {
  detail_InfoContents::gNames = std::move(names);
}

std::string GetInfoModelName(const Poly* poly, bool dual) {
  using namespace detail_InfoContents;
  if (gNames) return gNames(dual);
  if (!poly) return std::string();
  const char* own = dual ? poly->mDualName : poly->mName;
  if (!IsBlank(own)) return own;
  const LibraryEntry* entry = EntryOf(poly);
  if (const LibraryEntry* record = entry ? nullptr : poly->mLibraryEntryOfDual)
    return dual ? std::string(record->mName ? record->mName : "") : record->GetDualName();
  if (!entry) return dual ? "Unnamed Dual" : "Unnamed";
  return dual ? entry->GetDualName() : std::string(entry->mName ? entry->mName : "");
}

void InsertInfoContents(InfoSink& sink, Poly* poly) {
  if (!poly) return;
  detail_InfoContents::AddBaseBranch(sink, poly);
  detail_InfoContents::AddDualBranch(sink, poly);
  detail_InfoContents::AddStellationBranch(sink, poly);
  detail_InfoContents::AddNetsBranch(sink, poly);
}

}  // namespace corvia
