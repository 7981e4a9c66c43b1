// Mouse drags and throws: the list of all throws, the running ones, the drag
// history, stepping, saving and the stored record.

#include "render/MouseThrow.h"

#include <algorithm>
#include <cfloat>
#include <cmath>
#include <map>
#include <vector>

#include "core/Messages.h"
#include "core/TimeFormat.h"
#include "core/ioStream.h"
#include "render/NewView.h"
#include "render/OpenGLView.h"
#include "render/ViewGroup.h"

namespace corvia {

namespace detail_MouseThrow {

static_assert(ThrowState::kSamples == kThrowSamples);

// An axis shorter than this is left as it is.
constexpr double kTinyAxis = 0.0001;
// Streams older than these store the speeds in thousandths, or no axis or only two
// of its coordinates.
constexpr int kVersionMajor = 8;
constexpr int kVersionSpeedsInUnits = 2;
constexpr int kVersionAxisXY = 3;
constexpr int kVersionAxisZ = 6;

std::map<int, MouseThrowDataSkipper>& Skippers() {
  // How each kind of throw's stored data is stepped over: registered by the kinds at
  // start-up, the same for every frame, as the stored format is.
  static std::map<int, MouseThrowDataSkipper> skippers;
  return skippers;
}

// The remainder of x by m in [0, m).
double Remainder(double x, double m) {
  double r = std::fmod(x, m);
  if (r < 0.0) r += m;
  return r;
}

}  // namespace detail_MouseThrow

// ---- One throw ---------------------------------------------------------------------------

MouseThrow::MouseThrow(int kind) : MouseThrow(kind, nullptr, 0) {}

MouseThrow::MouseThrow(int kind, OpenGLView* view, uint32_t flags)
    : mGroup(view ? view->ShareViewGroup() : ShareCurrentViewGroup()) {
  ListNode::Append(this, mGroup->throws.allHead, mGroup->throws.allTail);
  Setup(kind, view, flags);
}

MouseThrow::~MouseThrow() {
  ListNode::Unlink(this, mGroup->throws.allHead, mGroup->throws.allTail);
  Deactivate();
  if (mGroup->throws.current == this) mGroup->throws.current = nullptr;
}

void MouseThrow::Setup(int kind, OpenGLView* view, uint32_t flags) {
  mKind = kind;
  mView = view;
  mFlags = flags;
}

void MouseThrow::SetActive(bool on) {
  if (on) {
    mFlags |= kThrowActive;
  } else {
    mFlags &= ~kThrowActive;
  }
}

int MouseThrow::GetID() const {
  int id = mKind * kThrowIdPerKind;
  if (mView) id += mView->GetIndex();
  return id;
}

void MouseThrow::ClearActive() {
  ClearActiveOf(CurrentViewGroup().throws);
}

void MouseThrow::ClearActiveOf(ThrowState& throws) {
  throws.sampleCount = 0;
  throws.lastSample = -1;
  MouseThrow* current = throws.current;
  throws.current = nullptr;
  if (current) current->Deactivate();
}

void MouseThrow::Deactivate() {
  if (!IsActive()) return;
  MouseThrow** link = &mGroup->throws.active;
  while (*link && *link != this) link = &(*link)->mNextActive;
  if (*link) {
    *link = mNextActive;
  } else {
    DoNothing("Couldn't find active MouseThrow in list");
  }
  mNextActive = nullptr;
  SetActive(false);
  ClearActiveOf(mGroup->throws);
}

void MouseThrow::PushActive() {
  mNextActive = mGroup->throws.active;
  mGroup->throws.active = this;
}

int MouseThrow::AddDragSample(int x, int y) {
  if (mGroup->throws.interfaceType < 0) {
    DoNothing("MouseThrow::mInterfaceType has not been set!");
    mGroup->throws.interfaceType = 0;
  }
  if (mGroup->throws.current && mGroup->throws.current != this) ClearActiveOf(mGroup->throws);
  if (IsActive()) Deactivate();
  mGroup->throws.current = this;
  mGroup->throws.lastSample = (mGroup->throws.lastSample + 1) % kThrowSamples;
  if (mGroup->throws.sampleCount < kThrowSamples) ++mGroup->throws.sampleCount;
  mGroup->throws.samples[mGroup->throws.lastSample] = ThrowState::DragSample{GetTimeSeconds(), x, y};
  return x;
}

bool MouseThrow::EndDrag() {
  if (mGroup->throws.current != this || IsActive() || !mGroup->throws.inertiaAllowed) {
    ClearActiveOf(mGroup->throws);
    return false;
  }
  mGroup->throws.current = nullptr;
  if (mGroup->throws.sampleCount < kThrowSamples) {
    ClearActiveOf(mGroup->throws);
    return false;
  }
  const double now = GetTimeSeconds();
  const ThrowState::DragSample& newest = mGroup->throws.samples[mGroup->throws.lastSample];
  const ThrowState::DragSample& before =
      mGroup->throws.samples[(mGroup->throws.lastSample + kThrowSamples - 1) % kThrowSamples];
  const ThrowState::DragSample& oldest = mGroup->throws.samples[(mGroup->throws.lastSample + 1) % kThrowSamples];
  const double sinceLast = now - newest.time;
  const bool recent = mGroup->throws.interfaceType == 0 ? sinceLast <= kThrowReleaseDelay
                                                        : sinceLast <= 2.0 * (newest.time - before.time);
  const double span = now - oldest.time;
  if (!recent || span < kThrowMinSpan) {
    ClearActiveOf(mGroup->throws);
    return false;
  }
  float dx = static_cast<float>(newest.x - oldest.x);
  float dy = static_cast<float>(newest.y - oldest.y);
  if (ConvertsDrag()) ConvertMotion(dx, dy);
  mSpeedX = static_cast<float>(dx / span);
  mSpeedY = static_cast<float>(dy / span);
  if (!(mSpeedX < -kThrowMinSpeed || mSpeedX > kThrowMinSpeed || mSpeedY < -kThrowMinSpeed ||
        mSpeedY > kThrowMinSpeed)) {
    ClearActiveOf(mGroup->throws);
    return false;
  }
  mTime = now;
  PushActive();
  ClearActiveOf(mGroup->throws);
  SetActive(true);
  return true;
}

void MouseThrow::ApplyMotion(float dx, float dy) {
  // A throw that takes the drag as it is (a value driven along x) keeps its sign.
  if (ConvertsDrag()) ConvertMotion(dx, dy);
  Apply(dx, dy);
}

void MouseThrow::StartThrow(float speedX, float speedY) {
  mSpeedX = speedX;
  mSpeedY = speedY;
  mTime = GetTimeSeconds();
  if (IsActive()) return;
  PushActive();
  SetActive(true);
}

void MouseThrow::ReverseSpeed() {
  mSpeedX = -mSpeedX;
  mSpeedY = -mSpeedY;
}

bool MouseThrow::KeepInRange(double& value, double low, double high) {
  using detail_MouseThrow::Remainder;
  const double r = high - low;
  if (!mGroup->throws.reflectingRange || !(r > 0.0)) {
    // An empty range (or a clamping one) holds the value at its ends.
    if (value > high) {
      value = high;
    } else if (value < low) {
      value = low;
    } else {
      return false;
    }
    if (!(r > 0.0) && mGroup->throws.reflectingRange) return false;
    ReverseSpeed();
    return true;
  }
  if (value >= low && value <= high) return false;
  if (value < low) {
    const double m = Remainder(low - value, 2.0 * r);
    if (m > r) {
      value = low + 2.0 * r - m;
      return false;
    }
    value = low + m;
  } else {
    const double m = Remainder(value - high, 2.0 * r);
    if (m > r) {
      value = low + m - r;
      return false;
    }
    value = low + r - m;
  }
  ReverseSpeed();
  return true;
}

void MouseThrow::Step(double now) {
  const double dt = now - mTime;
  mTime = now;
  Apply(static_cast<float>(dt * mSpeedX), static_cast<float>(dt * mSpeedY));
}

void MouseThrow::ConvertMotion(float& dx, float& dy) {
  using detail_MouseThrow::kTinyAxis;
  if (!(mFlags & kThrowProjectsAxis) || !mView) {
    mAxis[0] = -dy;
    mAxis[1] = -dx;
    mAxis[2] = 0.0;
    const double length = std::sqrt(mAxis[0] * mAxis[0] + mAxis[1] * mAxis[1]);
    if (length > kTinyAxis) {
      mAxis[0] /= length;
      mAxis[1] /= length;
    }
    dx = static_cast<float>(length);
    dy = 0.0f;
    return;
  }
  const double origin[3] = {0, 0, 0};
  double a[3], b[3];
  mView->ApplyViewTransform(a, origin);
  mView->ApplyViewTransform(b, mAxis);
  double ux = b[0] - a[0];
  double uy = b[1] - a[1];
  const double length = std::sqrt(ux * ux + uy * uy);
  if (length <= kTinyAxis) {
    dx = dx + dy;
  } else {
    ux /= length;
    uy /= length;
    dx = static_cast<float>(uy * dx - ux * dy);
  }
  dy = 0.0f;
}

// ---- The lists ----------------------------------------------------------------------------

MouseThrow* FindMouseThrow(int id) {
  for (ListNode* node = CurrentViewGroup().throws.allHead; node; node = node->mNext) {
    auto* t = static_cast<MouseThrow*>(node);
    if (t->GetID() == id) return t;
  }
  return nullptr;
}

MouseThrow* GetActiveMouseThrows(const ViewGroup& group) { return group.throws.active; }
MouseThrow* GetActiveMouseThrows() { return GetActiveMouseThrows(CurrentViewGroup()); }

bool IsMouseInertiaAllowed() { return CurrentViewGroup().throws.inertiaAllowed; }

void SetMouseInertiaAllowed(bool on) {
  CurrentViewGroup().throws.inertiaAllowed = on;
  if (!on) StopAllMouseThrows();
}

void SetMouseInterfaceType(int type) { CurrentViewGroup().throws.interfaceType = type; }
bool GetReflectingRangeMode() { return CurrentViewGroup().throws.reflectingRange; }
void SetReflectingRangeMode(bool on) { CurrentViewGroup().throws.reflectingRange = on; }
bool IsThrowStepPending(const ViewGroup& group) { return group.throws.stepPending; }
void SetThrowStepPending(bool on) { CurrentViewGroup().throws.stepPending = on; }

bool StepMouseThrows(NewView* view) {
  return StepMouseThrows(view ? view->GetViewGroup() : CurrentViewGroup(), view);
}

bool StepMouseThrows(ViewGroup& group, NewView* view) {
  ThrowState& throws = group.throws;
  throws.stepPending = false;
  if (!throws.active) return false;
  const double now = GetTimeSeconds();
  // A step may stop its own throw (a value at the end of its range): take the next
  // one first.
  for (MouseThrow* t = throws.active; t;) {
    MouseThrow* next = t->mNextActive;
    if (!view || !t->mView || static_cast<NewView*>(t->mView) == view) t->Step(now);
    t = next;
  }
  return throws.active != nullptr;
}

bool RedrawMouseThrowViews() {
  ThrowState& throws = CurrentViewGroup().throws;
  for (MouseThrow* t = throws.active; t; t = t->mNextActive) t->Redraw();
  return throws.active != nullptr;
}

void SetThrowStartTimeAll(double time) {
  if (time == DBL_MAX) time = GetTimeSeconds();
  for (MouseThrow* t = CurrentViewGroup().throws.active; t; t = t->mNextActive) t->mTime = time;
}

void StopAllMouseThrows(ViewGroup& group) {
  while (MouseThrow* t = group.throws.active) {
    // Deactivate unlinks it, so the loop ends.
    t->Deactivate();
  }
}

void StopAllMouseThrows() { StopAllMouseThrows(CurrentViewGroup()); }

// ---- Saving ---------------------------------------------------------------------------------

SavedMouseThrow* SaveMouseThrows() {
  ListNode* head = nullptr;
  for (MouseThrow* t = CurrentViewGroup().throws.active; t; t = t->mNextActive) {
    auto* saved = new SavedMouseThrow;
    saved->mId = t->GetID();
    saved->mTime = t->mTime;
    saved->mSpeedX = t->mSpeedX;
    saved->mSpeedY = t->mSpeedY;
    for (int i = 0; i < 3; ++i) saved->mAxis[i] = t->mAxis[i];
    t->SaveData(*saved);
    // In front of those before: the list ends oldest first.
    saved->mNext = head;
    if (head) head->mPrev = saved;
    head = saved;
  }
  return static_cast<SavedMouseThrow*>(head);
}

void RestoreMouseThrows(SavedMouseThrow* list) {
  StopAllMouseThrows();
  for (ListNode* node = list; node; node = node->mNext) {
    auto* saved = static_cast<SavedMouseThrow*>(node);
    MouseThrow* t = FindMouseThrow(saved->mId);
    if (!t) continue;
    t->StartThrow(saved->mSpeedX, saved->mSpeedY);
    for (int i = 0; i < 3; ++i) t->mAxis[i] = saved->mAxis[i];
    t->mTime = saved->mTime;
    t->RestoreData(*saved);
  }
}

void FreeSavedMouseThrows(SavedMouseThrow* list) {
  for (ListNode* node = list; node;) {
    ListNode* next = node->mNext;
    delete node;
    node = next;
  }
}

// ---- The stored record ------------------------------------------------------------------------

void SetMouseThrowDataSkipper(int kind, MouseThrowDataSkipper skipper) {
  detail_MouseThrow::Skippers()[kind] = skipper;
}

void WriteMouseThrowData(ioStream* stream, int indent) {
  ioIndent(stream, indent);
  // A throw that starts goes to the front of the list: the oldest is written first,
  // so that reading starts them in the same order and the list reads back as it was.
  std::vector<MouseThrow*> oldestFirst;
  for (MouseThrow* t = CurrentViewGroup().throws.active; t; t = t->mNextActive) oldestFirst.push_back(t);
  std::reverse(oldestFirst.begin(), oldestFirst.end());
  for (MouseThrow* t : oldestFirst) {
    const int id = t->GetID();
    if (id < 0) continue;
    ioPrintf(stream, "%d\t%.9hg\t%.9hg\n", id, static_cast<double>(t->mSpeedX), static_cast<double>(t->mSpeedY));
    ioPrintf(stream, "%.17g\t%.17g\t%.17g\n", t->mAxis[0], t->mAxis[1], t->mAxis[2]);
    t->WriteData(stream);
    ioPrintf(stream, "\n");
  }
  ioPrintf(stream, "%d\n", -1);
}

bool ReadMouseThrowData(ioStream* stream, int kindBound, bool apply) {
  using namespace detail_MouseThrow;
  if (!stream) return false;
  ioSectionScope scope(stream, nullptr);
  const int bound = kThrowIdPerKind * kindBound;
  // Every read of a record is checked: a stream cut short reads as zeros, which would
  // otherwise be taken for the identifier of one more throw, for ever.
  auto cut = [&scope] { return scope.Fail("The mouse-throw data are cut short (no closing -1)"); };
  for (;;) {
    const int id = ioReadInt(stream);
    if (scope.Failed() || !ioIsOk(stream)) return cut();
    if (id < 0 || id >= bound) return true;
    float speedX = ioReadFloat(stream);
    float speedY = ioReadFloat(stream);
    double axis[3] = {0, 0, 0};
    const bool hasAxis = ioCompareVersion(stream, kVersionMajor, kVersionAxisXY) >= 0;
    if (hasAxis) {
      axis[0] = ioReadDouble(stream);
      axis[1] = ioReadDouble(stream);
      if (ioCompareVersion(stream, kVersionMajor, kVersionAxisZ) >= 0) axis[2] = ioReadDouble(stream);
    }
    if (scope.Failed()) return cut();
    // A speed or axis that is no number would carry the camera off to nowhere.
    if (!std::isfinite(speedX) || !std::isfinite(speedY) || !std::isfinite(axis[0]) || !std::isfinite(axis[1]) ||
        !std::isfinite(axis[2]))
      return scope.Fail("A mouse throw's speed or axis is not a number");
    if (ioCompareVersion(stream, kVersionMajor, kVersionSpeedsInUnits) < 0) {
      speedX *= 1000.0f;
      speedY *= 1000.0f;
    }
    MouseThrow* t = FindMouseThrow(id);
    if (!t) {
      DoNothing("ReadMouseThrowData: Can't find mouse-throw ID %d\n", id);
      // The record's own data still follows: step over it, or the rest is misread.
      auto skipper = Skippers().find(id / kThrowIdPerKind);
      if (skipper != Skippers().end() && skipper->second) skipper->second(stream);
      if (scope.Failed()) return cut();
      continue;
    }
    if (apply) {
      t->StartThrow(speedX, speedY);
      if (hasAxis) {
        for (int i = 0; i < 3; ++i) t->mAxis[i] = axis[i];
      } else {
        float dx = speedX, dy = speedY;
        t->ConvertMotion(dx, dy);
      }
    }
    t->ReadData(stream, apply);
    if (scope.Failed()) return cut();
  }
}

}  // namespace corvia
