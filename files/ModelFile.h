#pragma once
// The native model file (".corv"): the model's vertices, faces and edges with their
// colours, labels, opacities and face images, its names and the library entry or
// vertex configuration it came from, the drawn facets and the faceting settings,
// then the scene sections that the layers above the geometry write (pane layouts,
// mouse throws, ...). The file is a token stream (core/ioStream.h) with the type
// word "Corvia", in the ASCII or the BINARY form; in the BINARY form the model and
// every scene section lie in blocks compressed with LZRW3-A. docs/model-file.md
// describes the layout.
//
// Reading takes the file as hostile: every count, length and index is bounded, and
// a file that cannot be read gives one "Error" box naming the file, the line where
// it could tell, and what is wrong, leaving the current model as it was. Saving
// writes a new file beside the old one and renames it over it once complete.

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "core/Outcome.h"
#include "core/ioStream.h"
#include "stellation/Faceting.h"

namespace corvia {

class Poly;
class PolyElement;
class SimplePoly;
class FaceImage;
class ModelFileSection;

constexpr const char* kModelFileTypeWord = "Corvia";
constexpr const char* kModelFileExtension = ".corv";
// The version written; files of a newer major version are refused, of a newer minor
// read after a warning.
constexpr int kModelFileVersionMajor = 8;
constexpr int kModelFileVersionMinor = 10;

// The two forms of the file.
constexpr int kModelFileAscii = kIoModeAscii;
constexpr int kModelFileBinary = kIoModeBinary;

// Modes of OpenModelFile, as the document passes them.
constexpr int kOpenModelFilePlain = 0;
// The open steps from one model to the next (Next and Previous Polyhedron, or a
// library step onto a model file): a file that cannot be read is reported in the
// active pane instead of a box, since the caller goes on to the next model.
constexpr int kOpenModelFileStepping = 0x2;
// The document keeps its pending transition for the model it opens; the reader
// passes the model change on as usual.
constexpr int kOpenModelFileKeepTransition = 0x8;

// The undo step of opening a model file (it plays the transition of loading a model).
constexpr int kUndoLoadModel = 1;

// Bounds on what a file may hold.
constexpr int kModelFileMaxElements = 1 << 22;            // vertices, faces or edges
constexpr int kModelFileMaxCorners = 1 << 16;             // corners of one face or drawn facet
constexpr size_t kModelFileMaxText = size_t(1) << 20;     // one name, label or file name
constexpr size_t kModelFileMaxBlock = size_t(1) << 30;    // one block, uncompressed
constexpr size_t kModelFileMaxSection = size_t(1) << 26;  // one scene section of an ASCII file
// Largest size of a coordinate or other real number: far beyond any model, and small
// enough that products of two stay finite.
constexpr double kModelFileMaxCoordinate = 1e12;

// How the pictures of a file's face images are made: the renderer's NewFaceImage
// (core/FaceImageRef.h), which the renderer installs. Until then the images of a file
// come without pictures, keeping their file names and every other field.
using FaceImageMaker = FaceImage* (*)(const char* file, int projection, uint32_t boundaryMode, PolyElement* ownerFace,
                                      void* ownerFacelet, const float* borderColor);
void SetModelFileImageMaker(FaceImageMaker maker);

// What OpenModelFile makes of a file: the outcome of reading alone, with no model
// changed. Exposed for the tests and tools that look into files.
struct ModelFileScene {
  std::string name;
  int form = kModelFileBinary;  // the form of the file it came from
  std::string data;             // BINARY: a memory stream; ASCII: the section's lines
  int firstLine = 0;            // ASCII: the line before the first of the section
};

struct ModelFileContents {
  std::unique_ptr<SimplePoly> model;
  std::string entryText, description;
  // The library entry the model came from: its index and name (checked on reading,
  // since the library may change), and the parameters of a parametric entry.
  int libraryIndex = -1;
  std::string libraryName;
  int libraryN = 0;
  int libraryD = 0;
  std::string configuration;  // the vertex configuration it was built from
  bool tookBranch = false;
  bool hasLengthScale = false;
  int maxFacesPerNet = -1;
  // Drawn facets: the corner points of each, three coordinates a corner.
  std::vector<std::vector<double>> drawnPolygons;
  // The faceting settings and an enumeration's counts, when the file gives them.
  std::optional<FacetingCriteria> faceting;
  std::vector<ModelFileScene> scene;
  int form = kModelFileBinary;
  // The warning to show: the first met (a file of a newer minor version), then the
  // scene sections left out.
  std::string warning;
  ModelFileContents();
  ~ModelFileContents();
  ModelFileContents(ModelFileContents&&) noexcept;
  ModelFileContents& operator=(ModelFileContents&&) noexcept;
};

// Reads a file without changing anything and without showing anything; with
// checkScene the scene sections are checked by their installed readers (without
// applying them), and those that cannot be read are left out, named in `warning`.
// False when the file cannot be read: `error` receives the text to
// show, naming the file, empty when the user cancelled (then `cancelled` is set).
bool ReadModelFile(const char* path, ModelFileContents& contents, std::string* error, bool* cancelled = nullptr,
                   bool checkScene = true);

// How the caller makes a plain model read from a file (or memory) its current model:
// its undo step, transition and refresh are the caller's. Gives back the model made
// current, or null with the reason in `outcome`. Without one (an empty function) the
// model is built into the current model in place (CreatePoly), as for a document
// without undo steps or transitions; without a current model nothing is made.
using ModelEntry = std::function<Poly*(SimplePoly& simple, Outcome& outcome)>;

// Opens a model file and makes its model current through `enter`, then restores its
// drawn facets, its faceting settings (RestoreFacetingCriteria on the faceting of the
// shown block, after the drawn facets) and its scene. Refused, with the words the user
// is to read and the current model untouched, when the file cannot be read or its model
// cannot be built; the caller tells it (a box, or with kOpenModelFileStepping the
// active pane). Opened, the outcome carries the file's warning for the caller to tell
// (with kOpenModelFileStepping the active pane says it).
Outcome OpenModelFile(const char* path, int mode, const ModelEntry& enter = {});

// The model of a file, or its dual, for augmentation with a model from a file; null
// when the file cannot be read or its model built, with the reason in *why when given
// (cancelled when the reader had nothing to say). Read, the file's warning is added to
// *why for the caller to tell.
std::unique_ptr<SimplePoly> ReadModelFileAsSimplePoly(const char* path, bool dual, Outcome* why = nullptr);

// The form of the file a model was read from; BINARY for a model that came from no file.
int GetModelFileForm(const Poly& poly);

// Writes the model, its drawn facets and faceting settings and the scene sections
// (those of the installed sections, and those kept from the file the model came
// from) in the given form. The old file stays until the new one is complete. A file
// that could not be written is a failure whose words name the file, for the caller
// to tell; a cancel is cancelled.
Outcome WriteModelFile(const char* path, int form, Poly& poly);

// A model held in memory, as the undo steps keep it: the model with its drawn facets
// and faceting settings in the BINARY layout (compressed), without the scene sections.
// False when it cannot be written.
bool WriteModelToMemory(Poly& poly, std::string& data);
// Reads such data; `name` stands for the file in the error text.
bool ReadModelFromMemory(const std::string& data, const char* name, ModelFileContents& contents,
                         std::string* error);
// Makes the model of such data the current model through `enter` (the caller's: no
// undo step of its own, no transition), and restores its drawn facets and faceting
// settings. False, with the error text, when it cannot be read or built.
bool RestoreModelFromMemory(const std::string& data, const char* name, std::string* error,
                            const ModelEntry& enter = {});

// The File menu: Open and the recent-file list call OpenModelFile (mode 0); Save and
// Save As call SaveModelFile with the path, the form (the form chosen, or
// kModelFileSameForm: the form of the file the model was read from) and the current
// model; refused without a model.
constexpr int kModelFileSameForm = -1;
Outcome SaveModelFile(const char* path, int form, Poly* poly);

}  // namespace corvia
