#include "ui/Tour.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "construction/DerivedModels.h"
#include "construction/Library.h"
#include "core/Strings.h"
#include "core/ioStream.h"
#include "files/ModelFile.h"
#include "files/ModelFileSection.h"
#include "model/Globals.h"
#include "model/Poly.h"
#include "model/PolyTemplate.h"
#include "render/NewView.h"
#include "symmetry/SimplePoly.h"
#include "ui/BarDocument.h"
#include "ui/InfoContents.h"
#include "ui/Layouts.h"
#include "ui/ModalDialogs.h"
#include "ui/NewFrame.h"
#include "ui/PaneViews.h"

namespace corvia {

namespace detail_Tour {

const char* const kTransitionNames[kTourFadeTypes] = {
    "No transition", "Random",         "Sideways",         "Orbit",
    "Shrink & Grow", "Explode & Grow", "Shrink & Implode", "Explode & Implode"};
constexpr const char* kDefaultName = "<Default>";
// Transitions shorter than this do not run.
constexpr double kShortestTransition = 0.001;
// How often a tour that waits for a modal dialog to close looks again.
constexpr int kModalWaitMs = 100;

// The tokens of the scene section.
enum {
  kTokenEndSection,
  kTokenEvent,
  kTokenEndEvent,
  kTokenName,
  kTokenFlags,
  kTokenDuration,
  kTokenFade,
  kTokenLayout,
  kTokenLibrary,
  kTokenConfiguration,
  kTokenPoints,
  kTokenFaces,
  kTokenDual,
  kTokenPane,
  kTokenCurrent,
  kNumTokens
};
const char* const kTokenNames[kNumTokens] = {"EndSection", "Event", "EndEvent", "Name",    "Flags",
                                             "Duration",   "Fade",  "Layout",   "Library", "Configuration",
                                             "Points",     "Faces", "Dual",     "Pane",    "Current"};

// The section's tokens, and errors noted.
class SectionScope : public ioSectionScope {
 public:
  explicit SectionScope(ioStream* stream)
      : ioSectionScope(stream, [](int i) { return i >= 0 && i < kNumTokens ? kTokenNames[i] : nullptr; }) {}
};

bool Finite(double value) {
  return std::isfinite(value) && std::fabs(value) <= kModelFileMaxCoordinate;
}

// ---- The model ----

TourModel ModelOf(Poly* poly) {
  TourModel model;
  if (!poly) return model;
  model.showDual = poly->mShowDual != 0;
  // A configuration is made again in the arrangement it was typed in.
  if (poly->mTemplate) {
    model.configuration = PolyTemplate::FormatVertexConfiguration(poly->mTemplate);
    return model;
  }
  const LibraryEntry* entry = poly->mLibraryEntry;
  if (entry && !entry->IsUserRecord() && entry->GetIndex() >= 0) {
    model.libraryIndex = entry->GetIndex();
    if (entry->IsParametric()) entry->GetParams(model.n, model.d);
    return model;
  }
  std::unique_ptr<SimplePoly> simple(CreateSimplePoly(poly, kDeriveBase, nullptr, nullptr));
  if (!simple) return model;
  for (int i = 0; i < simple->NumVerts(); ++i) {
    const SimpleVert& v = simple->VertAt(i);
    model.vertices.insert(model.vertices.end(), v.pos, v.pos + 3);
  }
  for (int i = 0; i < simple->NumFaces(); ++i) model.faces.push_back(simple->FaceAt(i).items);
  return model;
}

}  // namespace detail_Tour

// ---- Cameras in scenes ----

// Doubles with 17 digits and floats with 9 read back bit for bit.
bool WriteCameraRecord(ioStream* s, const CameraRecord& c) {
  bool ok = ioPrintf(s, "\t%d %d", static_cast<int>(c.valid), static_cast<int>(c.orthogonal));
  for (const double* v : {c.eye, c.right, c.up, c.viewAxis}) ok = ok && ioPrintf(s, " %.17g %.17g %.17g", v[0], v[1], v[2]);
  ok = ok && ioPrintf(s, " %.9g %.9g %.9g %.9g", double(c.fieldOfView), double(c.orthoHalfHeight), double(c.zoom),
                      double(c.rotation2D));
  for (float f : c.extents2D) ok = ok && ioPrintf(s, " %.9g", double(f));
  for (float f : c.scroll) ok = ok && ioPrintf(s, " %.9g", double(f));
  for (float f : c.contentSize) ok = ok && ioPrintf(s, " %.9g", double(f));
  return ok;
}

bool ReadCameraRecord(ioStream* s, CameraRecord& c) {
  c.valid = ioReadInt(s) != 0 ? 1 : 0;
  c.orthogonal = ioReadInt(s) != 0 ? 1 : 0;
  bool ok = true;
  for (double* v : {c.eye, c.right, c.up, c.viewAxis}) {
    for (int i = 0; i < 3; ++i) {
      v[i] = ioReadDouble(s);
      ok = ok && detail_Tour::Finite(v[i]);
    }
  }
  for (float* f : {&c.fieldOfView, &c.orthoHalfHeight, &c.zoom, &c.rotation2D}) {
    const double value = ioReadDouble(s);
    ok = ok && detail_Tour::Finite(value);
    *f = static_cast<float>(value);
  }
  for (float* array : {c.extents2D + 0, c.extents2D + 1, c.extents2D + 2, c.extents2D + 3, c.scroll + 0, c.scroll + 1,
                       c.contentSize + 0, c.contentSize + 1}) {
    const double value = ioReadDouble(s);
    ok = ok && detail_Tour::Finite(value);
    *array = static_cast<float>(value);
  }
  // A camera that cannot see: axes not of unit length, no field of view, no zoom.
  for (const double* v : {c.right, c.up, c.viewAxis}) {
    ok = ok && std::fabs(std::sqrt(v[0] * v[0] + v[1] * v[1] + v[2] * v[2]) - 1.0) < 1e-3;
  }
  return ok && c.fieldOfView > 0.0f && c.fieldOfView < 180.0f && c.zoom > 0.0f;
}

const char* GetTransitionName(int type) {
  if (type >= 0 && type < kTourFadeTypes) return detail_Tour::kTransitionNames[type];
  return detail_Tour::kDefaultName;
}

int FindTransitionByName(const char* text) {
  if (!text) return -1;
  for (int type = 0; type <= kTransitionDefault; ++type) {
    if (std::strcmp(GetTransitionName(type), text) == 0) return type;
  }
  return -1;
}

int TourTimerMilliseconds(double seconds) {
  return static_cast<int>(std::lround(seconds * 1000.0));
}

bool TourModel::operator==(const TourModel& other) const {
  return libraryIndex == other.libraryIndex && n == other.n && d == other.d && configuration == other.configuration &&
         vertices == other.vertices && faces == other.faces && showDual == other.showDual;
}

// ---- Events ---------------------------------------------------------------------------------

TourEvent::TourEvent() {
  mTransition.mType = kTransitionDefault;
  mTransition.mDuration = kTransitionUnset;
}

void TourEvent::Capture() {
  Poly* poly = GetCurrentPoly();
  mModel = detail_Tour::ModelOf(poly);
  if (!(mFlags & kTourEventNamedByUser)) mName = GetInfoModelName(poly, false);
  mLayout = GetCurrentLayoutIndex();
  mPanes.clear();
  for (NewView* view = NewView::GetFirstView(); view && static_cast<int>(mPanes.size()) < kTourMaxPanes;
       view = view->GetNext()) {
    TourPane pane;
    pane.viewType = GetPaneViewMaker().GetViewType(view);
    if (auto* gl = dynamic_cast<OpenGLView*>(view)) gl->GetCamera(pane.camera);
    mPanes.push_back(pane);
  }
}

bool TourEvent::Load(const TransitionSettings* transition) const {
  const TourModel shown = detail_Tour::ModelOf(GetCurrentPoly());
  if (!mModel.IsEmpty() && !(mModel == shown) && !GetBarDocument().SetTourModel(mModel, transition)) return false;
  NewFrame* frame = GetMainFrame();
  if (frame && mLayout >= 0 && mLayout != GetCurrentLayoutIndex() && !(mFlags & kTourEventInheritLayout))
    frame->SetLayout(mLayout);
  size_t index = 0;
  for (NewView* view = NewView::GetFirstView(); view && index < mPanes.size(); view = view->GetNext(), ++index) {
    const TourPane& pane = mPanes[index];
    if (pane.viewType >= 0 && GetPaneViewMaker().GetViewType(view) != pane.viewType)
      GetPaneViewMaker().SetViewType(view, pane.viewType);
    auto* gl = dynamic_cast<OpenGLView*>(view);
    if (gl && pane.camera.valid) gl->SetCamera(pane.camera);
  }
  RedrawAllViews(false, false);
  return true;
}

void TourEvent::SetName(const char* text, bool byUser) {
  mName = text ? text : "";
  if (byUser) mFlags |= kTourEventNamedByUser;
}

bool TourEvent::HasFadeTime() const {
  return mTransition.mDuration != kTransitionUnset;
}

double TourEvent::GetFadeTime() const {
  if (HasFadeTime()) return mTransition.mDuration;
  TransitionSettings defaults;
  GetTransitionSettings(defaults, kOccasionDefault);
  return defaults.GetDuration();
}

double TourEvent::GetTotalTime(bool withTransition) const {
  return mDuration + (withTransition ? GetFadeTime() : 0.0);
}

// ---- The tour -------------------------------------------------------------------------------

Tour::Tour() {
  WatchModalDialogs();
  Bind(wxEVT_TIMER, [this](wxTimerEvent&) { OnTimerFired(); });
}

Tour::~Tour() {
  if (mTimer) mTimer->Stop();
}

Tour& GetTour() {
  // It lives as long as the program: its timer must not outlast the toolkit at exit.
  static Tour* tour = new Tour;
  return *tour;
}

TourEvent* Tour::GetEvent(int index) const {
  return index >= 0 && index < GetNumEvents() ? mEvents[static_cast<size_t>(index)].get() : nullptr;
}

int Tour::IndexOf(const TourEvent* event) const {
  for (int i = 0; i < GetNumEvents(); ++i) {
    if (mEvents[static_cast<size_t>(i)].get() == event) return i;
  }
  return -1;
}

void Tour::SetCurrentEvent(TourEvent* event) {
  mCurrent = IndexOf(event) >= 0 ? event : nullptr;
}

void Tour::Clear() {
  StopTour();
  mEvents.clear();
  mCurrent = nullptr;
  Changed(false);
}

void Tour::TakeEvents(Tour& other) {
  StopTour();
  mEvents = std::move(other.mEvents);
  mCurrent = other.mCurrent;
  other.mEvents.clear();
  other.mCurrent = nullptr;
  Changed(false);
}

void Tour::Changed(bool keepSelection) {
  if (mListener) mListener(keepSelection);
}

void Tour::SelectCurrentRow() {
  if (mSelect) mSelect();
}

TourEvent* Tour::AddToTour() {
  auto event = std::make_unique<TourEvent>();
  event->Capture();
  mEvents.push_back(std::move(event));
  mCurrent = mEvents.back().get();
  Changed(false);
  return mCurrent;
}

void Tour::ReplaceCurrentEvent() {
  if (!mCurrent) return;
  mCurrent->Capture();
  Changed(true);
}

void Tour::RemoveFromTour(const std::vector<int>& rows) {
  if (rows.empty()) {
    GoToTourEvent(true, nullptr);
    return;
  }
  int removed = 0;
  for (int row : rows) {
    const int index = row - removed;
    TourEvent* event = GetEvent(index);
    if (!event) continue;
    if (event == mCurrent) mCurrent = index + 1 < GetNumEvents() ? GetEvent(index + 1) : GetEvent(index - 1);
    mEvents.erase(mEvents.begin() + index);
    ++removed;
  }
  // With every event gone nothing is left to go to.
  if (mEvents.empty()) {
    StopTour();
    mCurrent = nullptr;
  } else {
    GoToTourEvent(true, nullptr);
  }
  Changed(false);
}

bool Tour::MoveEvent(int from, int before) {
  if (from < 0 || from >= GetNumEvents() || before < 0 || before == from) return false;
  TourEvent* target = GetEvent(before);
  std::unique_ptr<TourEvent> moved = std::move(mEvents[static_cast<size_t>(from)]);
  mEvents.erase(mEvents.begin() + from);
  const int at = target ? IndexOf(target) : GetNumEvents();
  mEvents.insert(mEvents.begin() + at, std::move(moved));
  Changed(false);
  return true;
}

void Tour::NextEvent() {
  if (mEvents.empty()) return;
  TourEvent* left = mCurrent;
  const int index = IndexOf(mCurrent);
  mCurrent = GetEvent(index + 1 < GetNumEvents() ? index + 1 : 0);
  if (GetBarDocument().AreTransitionsEnabled() && left) {
    TransitionSettings transition;
    CopyTransitionSettings(transition, left->mTransition);
    GoToTourEvent(true, &transition);
  } else {
    GoToTourEvent(true, nullptr);
  }
}

void Tour::PreviousEvent() {
  if (mEvents.empty()) return;
  const int index = IndexOf(mCurrent);
  mCurrent = GetEvent(index > 0 ? index - 1 : GetNumEvents() - 1);
  if (GetBarDocument().AreTransitionsEnabled()) {
    // The event's own transition, played backwards.
    TransitionSettings transition;
    CopyTransitionSettings(transition, mCurrent->mTransition);
    GetBarDocument().SetReverseTransitions(true);
    GoToTourEvent(true, &transition);
    GetBarDocument().SetReverseTransitions(false);
  } else {
    GoToTourEvent(true, nullptr);
  }
}

void Tour::GoToTourEvent(bool select, const TransitionSettings* transition) {
  if (!mCurrent) return;
  if (!IsTourPlaying()) {
    mCurrent->Load(transition);
    if (select) SelectCurrentRow();
    return;
  }
  StopTour();
  mCurrent->Load(transition);
  SelectCurrentRow();
  const double fade = transition ? transition->mDuration : 0.0;
  StartTimer((std::isfinite(fade) && fade > 0.0 && fade != kTransitionUnset ? fade : 0.0) + mCurrent->mDuration);
}

void Tour::PlayTour() {
  if (IsTourPlaying()) {
    StopTour();
    return;
  }
  if (!mCurrent) mCurrent = GetEvent(0);
  if (!mCurrent) return;
  mCurrent->Load(nullptr);
  SelectCurrentRow();
  StartTimer(mCurrent->mDuration);
}

void Tour::StopTour() {
  if (mTimer) mTimer->Stop();
  mTimerMs = 0;
}

void Tour::StartTimer(double seconds) {
  mTimerMs = std::max(1, TourTimerMilliseconds(seconds));
  if (!mTimer) mTimer = std::make_unique<wxTimer>(this);
  mTimer->StartOnce(mTimerMs);
}

void Tour::OnTimerFired() {
  if (mTimer) mTimer->Stop();
  // The next event waits until the modal dialog is closed: the command that opened it
  // may hold the model that the event would replace.
  if (mTimer && IsModalDialogOpen()) {
    mTimer->StartOnce(detail_Tour::kModalWaitMs);
    return;
  }
  mTimerMs = 0;
  if (!mCurrent) return;
  const double transition = BeginTourTransition(-1.0);
  if (mCurrent) StartTimer(transition + mCurrent->mDuration);
}

double Tour::BeginTourTransition(double /*time*/) {
  if (!mCurrent || mEvents.empty()) return 0.0;
  TransitionSettings transition;
  CopyTransitionSettings(transition, mCurrent->mTransition);
  const int index = IndexOf(mCurrent);
  mCurrent = GetEvent(index + 1 < GetNumEvents() ? index + 1 : 0);
  const bool runs = transition.mType != kTransitionNone && std::isfinite(transition.mDuration) &&
                    transition.mDuration >= detail_Tour::kShortestTransition;
  mCurrent->Load(runs ? &transition : nullptr);
  SelectCurrentRow();
  return runs ? transition.mDuration : 0.0;
}

double Tour::GetTourLength(bool withLastTransition) const {
  double total = 0.0;
  for (int i = 0; i < GetNumEvents(); ++i)
    total += GetEvent(i)->GetTotalTime(i + 1 < GetNumEvents() || withLastTransition);
  return total;
}

double Tour::FindTourEventAtTime(double time, TourEvent** event, TourEvent** next) const {
  if (event) *event = GetEvent(0);
  if (next) *next = nullptr;
  double start = 0.0;
  for (int i = 0; i < GetNumEvents(); ++i) {
    TourEvent* e = GetEvent(i);
    if (time < start + e->mDuration) {
      if (event) *event = e;
      return start;
    }
    if (time < start + e->GetTotalTime(true)) {
      if (event) *event = e;
      if (next) *next = GetEvent(i + 1 < GetNumEvents() ? i + 1 : 0);
      return start;
    }
    start += e->GetTotalTime(true);
  }
  return 0.0;
}

// ---- Scenes ---------------------------------------------------------------------------------

bool Tour::Write(ioStream* stream, int indent) const {
  using namespace detail_Tour;
  if (!stream) return false;
  SectionScope scope(stream);
  bool ok = true;
  for (const auto& owned : mEvents) {
    const TourEvent& e = *owned;
    ok = ok && ioWriteToken(stream, kTokenEvent, indent) && ioPrintf(stream, "\n");
    ok = ok && ioWriteToken(stream, kTokenName, indent + 2) &&
         ioWriteString(stream, "\t", e.mName.c_str(), "\n", indent + 4);
    ok = ok && ioWriteToken(stream, kTokenFlags, indent + 2) && ioPrintf(stream, "\t%d\n", static_cast<int>(e.mFlags));
    ok = ok && ioWriteToken(stream, kTokenDuration, indent + 2) && ioPrintf(stream, "\t%.9g\n", double(e.mDuration));
    ok = ok && ioWriteToken(stream, kTokenFade, indent + 2) &&
         ioPrintf(stream, "\t%d %.17g\n", static_cast<int>(e.mTransition.mType),
                  e.HasFadeTime() ? e.mTransition.mDuration : -1.0);
    ok = ok && ioWriteToken(stream, kTokenLayout, indent + 2) && ioPrintf(stream, "\t%d\n", e.mLayout);
    const TourModel& m = e.mModel;
    if (m.libraryIndex >= 0) {
      const LibraryEntry* entry = GetLibraryEntry(m.libraryIndex);
      ok = ok && ioWriteToken(stream, kTokenLibrary, indent + 2) &&
           ioPrintf(stream, "\t%d %d %d", m.libraryIndex, m.n, m.d) &&
           ioWriteString(stream, " ", entry && entry->mName ? entry->mName : "", "\n", indent + 4);
    } else if (!m.configuration.empty()) {
      ok = ok && ioWriteToken(stream, kTokenConfiguration, indent + 2) &&
           ioWriteString(stream, "\t", m.configuration.c_str(), "\n", indent + 4);
    } else if (!m.faces.empty()) {
      const int numVerts = static_cast<int>(m.vertices.size() / 3);
      ok = ok && ioWriteToken(stream, kTokenPoints, indent + 2) && ioPrintf(stream, "\t%d\n", numVerts);
      for (int v = 0; ok && v < numVerts; ++v) {
        ok = ioIndent(stream, indent + 4) &&
             ioPrintf(stream, "%.17g %.17g %.17g\n", m.vertices[3 * v], m.vertices[3 * v + 1], m.vertices[3 * v + 2]);
      }
      ok = ok && ioWriteToken(stream, kTokenFaces, indent + 2) &&
           ioPrintf(stream, "\t%d\n", static_cast<int>(m.faces.size()));
      for (const auto& face : m.faces) {
        ok = ok && ioIndent(stream, indent + 4) && ioPrintf(stream, "%d", static_cast<int>(face.size()));
        for (int32_t corner : face) ok = ok && ioPrintf(stream, " %d", static_cast<int>(corner));
        ok = ok && ioPrintf(stream, "\n");
      }
    }
    ok = ok && ioWriteToken(stream, kTokenDual, indent + 2) && ioPrintf(stream, "\t%d\n", m.showDual ? 1 : 0);
    for (const TourPane& pane : e.mPanes) {
      ok = ok && ioWriteToken(stream, kTokenPane, indent + 2) && ioPrintf(stream, "\t%d", pane.viewType) &&
           WriteCameraRecord(stream, pane.camera) && ioPrintf(stream, "\n");
    }
    ok = ok && ioWriteToken(stream, kTokenEndEvent, indent) && ioPrintf(stream, "\n");
  }
  ok = ok && ioWriteToken(stream, kTokenCurrent, indent) && ioPrintf(stream, "\t%d\n", IndexOf(mCurrent));
  return ok && ioWriteToken(stream, kTokenEndSection, indent) && ioPrintf(stream, "\n");
}

bool Tour::Read(ioStream* stream, bool apply) {
  using namespace detail_Tour;
  if (!stream) return false;
  Tour read;
  int current = -1;
  {
    SectionScope scope(stream);
    TourEvent* event = nullptr;
    int token = ioReadToken(stream);
    for (; token > kTokenEndSection && !scope.Failed(); token = ioReadToken(stream)) {
      if (token == kTokenEvent) {
        if (event) return scope.Fail("A tour event begins inside another");
        if (read.GetNumEvents() >= kTourMaxEvents) return scope.Fail("Too many tour events");
        read.mEvents.push_back(std::make_unique<TourEvent>());
        event = read.mEvents.back().get();
        continue;
      }
      if (token == kTokenCurrent) {
        current = ioReadInt(stream);
        continue;
      }
      if (!event) return scope.Fail("Tour data outside an event");
      switch (token) {
        case kTokenEndEvent:
          event = nullptr;
          break;
        case kTokenName: {
          std::string name = ReadSceneText(stream, "A tour event's name");
          if (name.size() > kModelFileMaxText) return scope.Fail("A tour event's name is too long");
          event->mName = std::move(name);
          break;
        }
        case kTokenFlags:
          event->mFlags = static_cast<uint32_t>(ioReadInt(stream)) & (kTourEventNamedByUser | kTourEventInheritLayout);
          break;
        case kTokenDuration: {
          const double seconds = ioReadDouble(stream);
          if (!(seconds > kTourMinDuration) || seconds > 1e6)
            return scope.Fail("A tour event's duration is out of range");
          event->mDuration = static_cast<float>(seconds);
          break;
        }
        case kTokenFade: {
          const int type = ioReadInt(stream);
          const double seconds = ioReadDouble(stream);
          if (type < 0 || type > kTransitionDefault || !Finite(seconds) || seconds > 1e6)
            return scope.Fail("A tour event's transition is out of range");
          event->mTransition.mType = type;
          event->mTransition.mDuration = seconds < 0.0 ? kTransitionUnset : seconds;
          break;
        }
        case kTokenLayout: {
          const int layout = ioReadInt(stream);
          if (layout < -1 || layout >= kNumLayouts) return scope.Fail("A tour event names no layout");
          event->mLayout = layout;
          break;
        }
        case kTokenLibrary: {
          TourModel& m = event->mModel;
          m.libraryIndex = ioReadInt(stream);
          m.n = ioReadInt(stream);
          m.d = ioReadInt(stream);
          const std::string name = ioReadString(stream, true);
          const LibraryEntry* entry = GetLibraryEntry(m.libraryIndex);
          // The library may change between versions: the name must still match.
          if (!entry || name != (entry->mName ? entry->mName : ""))
            return scope.Fail("A tour event names a model the library does not hold");
          break;
        }
        case kTokenConfiguration: {
          std::string text = ioReadString(stream, true);
          if (text.empty() || text.size() > kModelFileMaxText)
            return scope.Fail("A tour event's configuration is unreadable");
          event->mModel.configuration = std::move(text);
          break;
        }
        case kTokenPoints: {
          if (!event->mModel.vertices.empty()) return scope.Fail("A tour event's model has its points twice");
          const int count = ioReadCount(stream, "A tour event's points", 3, kModelFileMaxElements);
          if (count < 0) return false;
          std::vector<double>& points = event->mModel.vertices;
          points.resize(static_cast<size_t>(count) * 3);
          for (double& value : points) {
            value = ioReadDouble(stream);
            if (!Finite(value)) return scope.Fail("A tour event's model has a vertex out of range");
            if (scope.Failed()) return false;
          }
          break;
        }
        case kTokenFaces: {
          if (!event->mModel.faces.empty()) return scope.Fail("A tour event's model has its faces twice");
          // A face is its corner count and three corners at least.
          const int count = ioReadCount(stream, "A tour event's faces", 4, kModelFileMaxElements);
          if (count < 0) return false;
          const int numVerts = static_cast<int>(event->mModel.vertices.size() / 3);
          auto& faces = event->mModel.faces;
          for (int f = 0; f < count; ++f) {
            const int corners = ioReadCount(stream, "A tour event's face corners", 1, kModelFileMaxCorners);
            if (corners < 0) return false;
            if (corners < 3) return scope.Fail("A tour event's model has a face of fewer than three corners");
            std::vector<int32_t> face(static_cast<size_t>(corners));
            for (int32_t& corner : face) {
              corner = ioReadInt(stream);
              if (corner < 0 || corner >= numVerts) return scope.Fail("A tour event's face names no vertex");
            }
            if (scope.Failed()) return false;
            faces.push_back(std::move(face));
          }
          break;
        }
        case kTokenDual:
          event->mModel.showDual = ioReadInt(stream) != 0;
          break;
        case kTokenPane: {
          if (static_cast<int>(event->mPanes.size()) >= kTourMaxPanes)
            return scope.Fail("A tour event has too many panes");
          TourPane pane;
          pane.viewType = ioReadInt(stream);
          if (!ReadCameraRecord(stream, pane.camera)) return scope.Fail("A tour event's camera is out of range");
          event->mPanes.push_back(pane);
          break;
        }
        default:
          return scope.Fail("Didn't expect this token in a tour");
      }
    }
    if (scope.Failed()) return false;
    if (event) return scope.Fail("The tour ends inside an event");
    if (token != kTokenEndSection) return scope.Fail("The tour has no end");
  }
  // -1 stands for a tour with no current event.
  if (current < -1 || current >= read.GetNumEvents()) {
    SectionScope scope(stream);
    return scope.Fail("The tour's current event is out of range");
  }
  if (!apply) return true;
  read.mCurrent = read.GetEvent(current);
  TakeEvents(read);
  return true;
}

namespace detail_Tour {

// The tour in saved scenes.
class TourSection final : public ModelFileSection {
 public:
  TourSection() { InstallModelFileSection(this); }
  ~TourSection() override { RemoveModelFileSection(this); }
  const char* GetName() const override { return kSceneSectionTour; }
  bool HasData() override { return GetTour().GetNumEvents() > 0; }
  bool Write(ioStream* stream, int indent) override { return GetTour().Write(stream, indent); }
  bool Read(ioStream* stream, bool apply) override { return GetTour().Read(stream, apply); }
};

}  // namespace detail_Tour

void InstallTourSection() {
  static detail_Tour::TourSection* section = new detail_Tour::TourSection;
  (void)section;
}

}  // namespace corvia
