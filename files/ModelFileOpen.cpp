// Opening a model file: the file is read whole first (ModelFileRead.cpp) and nothing
// changes unless it reads; its model then enters by the caller's road (its undo step,
// transition and refresh), and only once the model is current do its drawn facets,
// faceting settings, pictures and scene follow. The reading and the building of the
// model are one piece of work under one progress level: its window appears a second
// into the open (not a second into the reading and again a second into the build, with
// the window closed in between) and takes Cancel at every report of both.

#include <cstring>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "construction/DerivedModels.h"
#include "construction/DerivedNames.h"
#include "construction/Library.h"
#include "construction/LibraryHooks.h"
#include "construction/ModelLookup.h"
#include "core/DrawnPolygon.h"
#include "core/FaceImageRef.h"
#include "core/MergeSort.h"
#include "core/PolygonRing.h"
#include "core/Progress.h"
#include "core/Strings.h"
#include "core/Tolerances.h"
#include "core/Units.h"
#include "core/VectorMath.h"
#include "files/ModelFile.h"
#include "files/ModelFileFormat.h"
#include "files/ModelFileSection.h"
#include "model/CreatePoly.h"
#include "model/FaceImageAttach.h"
#include "model/FaceType.h"
#include "model/FaceTypeBlock.h"
#include "model/Globals.h"
#include "model/LibraryEntry.h"
#include "model/Poly.h"
#include "model/PolyElement.h"
#include "model/PolyTemplate.h"
#include "platform/Services.h"
#include "stellation/Faceting.h"
#include "symmetry/SimplePoly.h"

namespace corvia {

namespace detail_ModelFileOpen {

FaceImageMaker gImageMaker = nullptr;

constexpr const char* kCouldNotOpen = "Couldn't open the model file\n";

// Why a file could not be read, in the user's words; cancelled when the reader has
// nothing to say (the user stopped it).
Outcome Unreadable(const std::string& error) {
  if (error.empty()) return Outcome::Cancelled();
  return Outcome::Refused(std::string(kCouldNotOpen) + error);
}

// Why the model of a file read whole could not be built, naming the file.
Outcome NotBuilt(const char* path, const Outcome& built) {
  if (!built.told()) return built;
  return Outcome::Refused(std::string(kCouldNotOpen) + "'" + path + "':\n" + built.text());
}

// A file opened with a warning: the active pane says it while stepping from model to
// model; otherwise the outcome carries it for the caller to tell.
Outcome OpenedWithWarning(const std::string& warning, int mode) {
  Outcome opened;
  if (!(mode & kOpenModelFileStepping)) {
    opened.Warn(warning);
  } else if (!warning.empty()) {
    platform::Services().views->SetPaneMessage(warning);
  }
  return opened;
}

// The template of a vertex configuration read from a file. Models keep a pointer to
// their template, so each configuration is parsed once and kept for the program's life.
PolyTemplate* FindTemplate(const std::string& configuration) {
  static std::map<std::string, std::unique_ptr<PolyTemplate>> templates;
  auto found = templates.find(configuration);
  if (found != templates.end()) return found->second.get();
  auto polyTemplate = std::make_unique<PolyTemplate>();
  if (!polyTemplate->Parse(configuration.c_str(), nullptr)) polyTemplate.reset();
  PolyTemplate* result = polyTemplate.get();
  templates.emplace(configuration, std::move(polyTemplate));
  return result;
}

// Whether face f of the grown model has the corners of the file's face, in the same turn.
bool SameFace(const PolyElement* f, const SimpleFace& face) {
  const int n = f->mNumSides;
  if (n != face.Count() || n == 0) return false;
  for (int shift = 0; shift < n; ++shift) {
    bool same = true;
    for (int k = 0; k < n && same; ++k) {
      const PolyElement* corner = f->GetCorner(k);
      same = corner && corner->mIndex == face.items[size_t((k + shift) % n)];
    }
    if (same) return true;
  }
  return false;
}

// The order in which the set-up of the model grown from the configuration took the
// faces, type by type, and the densities of its faces, when the file holds that very
// model. The grown model lists its faces by their shape only after it typed them, so
// the file's list tells neither the first face of each type, from which the frames of
// all its faces are carried (and so its diagrams and nets are laid out), nor the order
// of types alike but for where they lie: the configuration is grown again, as the
// library grows it, and its vertices and faces must be the file's, one for one. A
// model reached by another branch, or changed since, keeps the order of its list.
void TakeGrownFaceOrder(const ModelFileContents& contents) {
  SimplePoly& simple = *contents.model;
  if (!simple.polyTemplate || contents.tookBranch) return;
  Poly grown;
  if (!grown.Build(simple.polyTemplate, 0)) return;
  if (grown.mVertices.mCount != simple.NumVerts() || grown.mFaces.mCount != simple.NumFaces()) return;
  for (const PolyElement* v = grown.mVertices.mHead; v; v = v->mNext) {
    if (!NearlyEqual(v->mDualVert, simple.VertAt(v->mIndex).pos, kPointTolerance)) return;
  }
  for (const PolyElement* f = grown.mFaces.mHead; f; f = f->mNext) {
    if (!SameFace(f, simple.FaceAt(f->mIndex))) return;
  }
  // A face keeps the density of the template polygon it was grown as ({3/2} is a
  // triangle run backwards), which its corners alone do not tell.
  for (const PolyElement* f = grown.mFaces.mHead; f; f = f->mNext) simple.FaceAt(f->mIndex).winding = f->mDensity;
  // The types as the set-up met them (their position word), each with its faces.
  std::vector<const FaceType*> met;
  for (const FaceType* type = grown.mBaseBlock->mFirstFaceType; type; type = type->mNext) met.push_back(type);
  MergeSort(met, [](const FaceType* a, const FaceType* b) { return a->mSpare - b->mSpare; });
  std::vector<int32_t> order;
  order.reserve(size_t(simple.NumFaces()));
  for (const FaceType* type : met) {
    for (const PolyElement* f = type->mFirstFace; f && order.size() < size_t(simple.NumFaces()); f = f->mNextOfType) {
      order.push_back(f->mIndex);
    }
  }
  simple.faceTypeOrder = std::move(order);
}

// The template of the configuration the model was built from, handed to the model-entry
// road. It is taken only when every vertex has as many faces as the configuration
// says: the face-type set-up reads it.
void PrepareTemplate(const ModelFileContents& contents) {
  SimplePoly& simple = *contents.model;
  if (contents.configuration.empty()) return;
  PolyTemplate* polyTemplate = FindTemplate(contents.configuration);
  if (!polyTemplate) return;
  std::vector<int> faces(size_t(simple.NumVerts()), 0);
  for (int f = 0; f < simple.NumFaces(); ++f) {
    for (int32_t v : simple.FaceAt(f).items) ++faces[size_t(v)];
  }
  for (int count : faces) {
    if (count != polyTemplate->mValence) return;
  }
  simple.polyTemplate = polyTemplate;
  TakeGrownFaceOrder(contents);
}

// The library entry whose dual the plain model is, for a file that names no entry of its
// own: the dual of a record goes by the name of the record's dual.
LibraryEntry* FindEntryOfDual(const ModelFileContents& contents) {
  return FindModelFileLibraryEntry(contents) ? nullptr : FindLibraryEntryOfNamedDual(*contents.model);
}

// Where the model came from: its library entry (or the one whose dual it is, found
// before the model was built), then what the plain model does not carry.
void RestoreOrigin(Poly& poly, const ModelFileContents& contents, LibraryEntry* entryOfDual) {
  if (LibraryEntry* entry = FindModelFileLibraryEntry(contents)) {
    if (entry->IsParametric() && contents.libraryN > 0) entry->CheckParams(contents.libraryN, contents.libraryD, nullptr);
    poly.mLibraryEntry = entry;
  } else if (entryOfDual) {
    poly.SetLibraryEntryOfDual(entryOfDual);
  }
  poly.mTookBranch = contents.tookBranch ? 1 : 0;
  if (!contents.description.empty()) poly.SetDescription(CopyString(contents.description.c_str()));
}

// The drawn facets, as Poly::FinishDrawnPolygon leaves them: each finished polygon
// triangulated, then a fresh open one to draw into.
void RestoreDrawnPolygons(Poly& poly, const ModelFileContents& contents) {
  for (const std::vector<double>& points : contents.drawnPolygons) {
    if (points.size() < 6) continue;
    if (!poly.mCurrentDrawnPolygon)
      poly.mCurrentDrawnPolygon = new DrawnPolygon(poly.mDrawnPolygons, poly.mLastDrawnPolygon);
    DrawnPolygon* polygon = poly.mCurrentDrawnPolygon;
    for (size_t i = 0; i + 2 < points.size(); i += 3) NewPolygonVertex(0.0, 0.0, nullptr, &points[i], polygon->ring);
    polygon->Triangulate();
    poly.mCurrentDrawnPolygon = new DrawnPolygon(poly.mDrawnPolygons, poly.mLastDrawnPolygon);
  }
  if (!contents.drawnPolygons.empty()) {
    poly.mNetsStale = 1;
    poly.mFacetPreviewDirty = true;
  }
}

// The pictures of the face images, made by the renderer. An image whose picture
// cannot be made stays as it is, with its file name, and is reported once.
void LoadPictures(Poly& poly, std::string& warning) {
  if (!gImageMaker) return;
  std::vector<FaceImage*> images;
  std::map<FaceImage*, std::vector<PolyElement*>> users;
  for (ElementList* list : {static_cast<ElementList*>(&poly.mVertices), static_cast<ElementList*>(&poly.mFaces)}) {
    for (PolyElement* e = list->mHead; e; e = e->mNext) {
      if (!e->GetImage() || e->GetImage()->mTextureImage) continue;
      auto& list2 = users[e->GetImage()];
      if (list2.empty()) images.push_back(e->GetImage());
      list2.push_back(e);
    }
  }
  for (FaceImage* image : images) {
    const std::vector<PolyElement*>& elements = users[image];
    PolyElement* owner = image->GetOwnerFace();
    if (!owner || owner->mPoly != &poly) owner = elements.front();
    FaceImage* loaded =
        gImageMaker(image->mFileName.c_str(), image->mProjection, image->mBoundaryMode, owner, nullptr, nullptr);
    if (!loaded) {
      if (warning.empty()) warning = "Couldn't load image '" + image->mFileName + "'";
      continue;
    }
    CopyFaceImagePlacement(loaded, image);
    // The last element to switch releases the image without a picture.
    for (PolyElement* e : elements) AttachToFace(loaded, e, e == owner);
  }
}

// The form of the file, and the scene sections that no installed section claims, stay
// with the model: saving writes them back.
void KeepUnclaimed(Poly& poly, ModelFileContents& contents) {
  Part<ModelFileKeep> keep = MakePart<ModelFileKeep>();
  keep->form = contents.form;
  for (ModelFileScene& section : contents.scene) {
    if (!FindModelFileSection(section.name.c_str())) keep->scene.push_back(std::move(section));
  }
  poly.mFileKeep = std::move(keep);
}

// Restores the scene sections that installed sections claim; the first that fails is
// reported.
void RestoreScene(const char* path, const ModelFileContents& contents, std::string& warning) {
  std::string firstError;
  ioErrorHandler handler = [&firstError](int level, const char* text, const char*) {
    if (level >= kIoLevelError && firstError.empty()) firstError = text;
    return 0;
  };
  for (const ModelFileScene& section : contents.scene) {
    ModelFileSection* reader = FindModelFileSection(section.name.c_str());
    if (!reader) continue;
    const ioStreamOwner stream = OpenSceneSectionStream(path, section, handler);
    const bool read = stream && reader->Read(stream.get(), true);
    if ((!read || !firstError.empty()) && warning.empty()) {
      warning = "The scene section '" + section.name + "' of '" + path + "' could not be restored.";
      if (!firstError.empty()) warning += "\n" + firstError;
    }
  }
}

// The model made current through the caller's road, or, without one, built into the
// current model in place.
Poly* Enter(const ModelEntry& enter, SimplePoly& simple, Outcome& outcome) {
  if (enter) return enter(simple, outcome);
  Poly* poly = GetCurrentPoly();
  outcome = poly ? CreatePoly(simple, poly, true, true) : Outcome::Failed("There is no document to take the model.");
  return outcome.done() ? poly : nullptr;
}

}  // namespace detail_ModelFileOpen

void SetModelFileImageMaker(FaceImageMaker maker) {
  detail_ModelFileOpen::gImageMaker = maker;
}

int GetModelFileForm(const Poly& poly) {
  return poly.mFileKeep ? poly.mFileKeep->form : kModelFileBinary;
}

Outcome OpenModelFile(const char* path, int mode, const ModelEntry& enter) {
  namespace d = detail_ModelFileOpen;
  ModelFileContents contents;
  LibraryEntry* entryOfDual = nullptr;
  Poly* poly = nullptr;
  {
    ProgressScope progress;
    std::string error;
    if (!ReadModelFile(path, contents, &error)) return d::Unreadable(error);
    SimplePoly& simple = *contents.model;
    // CreatePoly gives the model its entry text from the plain model's description.
    simple.description = contents.entryText;
    // A file that stores no scale holds a new model: it takes the user's size on paper.
    if (!contents.hasLengthScale) simple.scale = GetUnitSettings().mUserLengthScale;
    d::PrepareTemplate(contents);
    entryOfDual = d::FindEntryOfDual(contents);
    Outcome built;
    poly = d::Enter(enter, simple, built);
    if (!built.done()) return d::NotBuilt(path, built);
  }
  if (!poly) return Outcome::Failed("The model of the file was made, but the document shows no model.");
  d::RestoreOrigin(*poly, contents, entryOfDual);
  if (contents.maxFacesPerNet > 0) GetUnitSettings().mMaxFacesPerNet = contents.maxFacesPerNet;
  d::RestoreDrawnPolygons(*poly, contents);
  std::string warning = contents.warning;
  d::LoadPictures(*poly, warning);
  if (contents.faceting) RestoreFacetingCriteria(*contents.faceting, GetFaceting(poly->GetShownBlock()));
  d::RestoreScene(path, contents, warning);
  d::KeepUnclaimed(*poly, contents);
  platform::Services().views->InvalidateInfo(kInfoReasonNames);
  platform::Services().views->RedrawAllViews(true);
  return d::OpenedWithWarning(warning, mode);
}

bool RestoreModelFromMemory(const std::string& data, const char* name, std::string* error,
                            const ModelEntry& enter) {
  namespace d = detail_ModelFileOpen;
  ModelFileContents contents;
  LibraryEntry* entryOfDual = nullptr;
  Poly* poly = nullptr;
  {
    ProgressScope progress;
    if (!ReadModelFromMemory(data, name, contents, error)) return false;
    SimplePoly& simple = *contents.model;
    simple.description = contents.entryText;
    d::PrepareTemplate(contents);
    entryOfDual = d::FindEntryOfDual(contents);
    // No undo step of its own and no transition: the caller's step is what runs.
    Outcome built;
    poly = d::Enter(enter, simple, built);
    if (!built.done()) {
      if (error) *error = "'" + std::string(name) + "':\nThe model could not be built.";
      return false;
    }
  }
  if (!poly) return false;
  d::RestoreOrigin(*poly, contents, entryOfDual);
  if (contents.maxFacesPerNet > 0) GetUnitSettings().mMaxFacesPerNet = contents.maxFacesPerNet;
  d::RestoreDrawnPolygons(*poly, contents);
  std::string warning;
  d::LoadPictures(*poly, warning);
  if (contents.faceting) RestoreFacetingCriteria(*contents.faceting, GetFaceting(poly->GetShownBlock()));
  platform::Services().views->InvalidateInfo(kInfoReasonNames);
  platform::Services().views->RedrawAllViews(true);
  return true;
}

std::unique_ptr<SimplePoly> ReadModelFileAsSimplePoly(const char* path, bool dual, Outcome* why) {
  namespace d = detail_ModelFileOpen;
  ProgressScope progress;
  ModelFileContents contents;
  std::string error;
  // Only the model is wanted: the scene is neither checked nor restored.
  if (!ReadModelFile(path, contents, &error, nullptr, false)) {
    if (why) *why = d::Unreadable(error);
    return nullptr;
  }
  // Through a model of its own, as the library's models are made, so that the plain
  // model comes with its topology complete and its dual is the program's dual. Making
  // that model must not change the program's length scale.
  UnitSettings& units = GetUnitSettings();
  const double lengthScale = units.mLengthScale;
  d::PrepareTemplate(contents);
  auto poly = std::make_unique<Poly>();
  const Outcome built = CreatePoly(*contents.model, poly.get(), true, true);
  units.mLengthScale = lengthScale;
  if (!built.done()) {
    if (why) *why = d::NotBuilt(path, built);
    return nullptr;
  }
  std::unique_ptr<SimplePoly> model(
      CreateModel(poly.get(), dual ? kDeriveDual : kDeriveBase, nullptr, nullptr, kViewNone, why));
  if (model && why) why->Warn(contents.warning);
  return model;
}

}  // namespace corvia
