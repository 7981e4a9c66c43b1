#pragma once
// Scene sections of the model file: what the layers above the geometry keep in a
// saved scene (the pane layouts of the main window, the mouse throws of the panes,
// ...). A layer installs one ModelFileSection per section; the file writes each
// installed section under its name and hands each section it reads to the section of
// that name. A section that no installed section claims is skipped, kept with the
// model and written back when the model is saved, so a file never fails and never
// loses a section for want of a reader.
//
// In an ASCII file a section is written inline, at the indent given; in a BINARY file
// into a memory stream of its own, stored as a compressed block. Either way the
// reader sees its section alone: reading past its end finds no more data, and what it
// leaves unread is skipped.

#include <string>

namespace corvia {

struct ioStream;
struct Edge3D;
class Model3D;

// Names of the scene sections the Parts ask for.
constexpr const char* kSceneSectionLayouts = "Layouts";          // WriteLayouts / ReadLayouts
constexpr const char* kSceneSectionMouseThrows = "MouseThrows";  // WriteMouseThrowData / ReadMouseThrowData
// A section name: letters and digits, at most this long.
constexpr int kSceneSectionNameMax = 64;

class ModelFileSection {
 public:
  virtual ~ModelFileSection();
  // The name in the file.
  virtual const char* GetName() const = 0;
  // Whether there is anything to save now; a section with nothing is not written.
  virtual bool HasData() { return true; }
  // Writes the section's contents (a section may switch the stream's token table
  // with ioSetCallbacks, putting it back before it returns). False when a write
  // failed.
  virtual bool Write(ioStream* stream, int indent) = 0;
  // Reads what Write wrote. Reading a file runs it twice: first with apply false,
  // before the model changes, to check the section (a section that cannot be read
  // is left out, with a warning); then with apply true, after the file's model has
  // become current, to restore the scene. False when the section cannot be read;
  // the error has been reported through the stream.
  virtual bool Read(ioStream* stream, bool apply) = 0;
};

// Installs a section (the caller keeps it alive until it removes it). A section of
// the same name installed before is replaced.
void InstallModelFileSection(ModelFileSection* section);
void RemoveModelFileSection(ModelFileSection* section);
// The installed section of that name, or null.
ModelFileSection* FindModelFileSection(const char* name);
// Whether the name can name a section.
bool IsSceneSectionName(const char* name);

// A text a section shows (a name, a caption), continuation lines joined: bytes that
// are no UTF-8 text, and control characters, are replaced by "?", after a warning
// naming `what`, which the file's warning passes on, as it does for the model's names.
std::string ReadSceneText(ioStream* stream, const char* what);

// Edge references in scenes: an edgelet of the facet model by its running index
// (Model3D::GetEdge), written "%d" (-1 for none). Reading bounds the index: one that
// names no edgelet of the model gives null.
bool WriteEdgeReference(ioStream* stream, const Edge3D* edge);
Edge3D* ReadEdgeReference(ioStream* stream, const Model3D* model);

}  // namespace corvia
