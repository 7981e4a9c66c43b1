#pragma once
// Every box the system shows: errors, warnings, information, internal errors,
// questions and the optional hints the user may switch off. Each call formats its
// text printf-style into a fixed size (512 bytes, 800 for information), cutting a
// longer text on a UTF-8 character boundary and ending it in "...".
//
// The boxes themselves are shown by the installed platform message front end.

#include <cstdarg>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <initializer_list>
#include <string>

#include "platform/MessageFrontEnd.h"

namespace corvia {

// ---------------------------------------------------------------------------
// Box styles of ShowMessageBox and MessageBoxOnActiveWindow: one button set, one
// icon and optionally a default button other than the first, or-ed together.

using BoxStyle = unsigned;

constexpr BoxStyle kBoxStyleOk = 0x0;
constexpr BoxStyle kBoxStyleOkCancel = 0x1;
constexpr BoxStyle kBoxStyleAbortRetryIgnore = 0x2;
constexpr BoxStyle kBoxStyleYesNoCancel = 0x3;
constexpr BoxStyle kBoxStyleYesNo = 0x4;
constexpr BoxStyle kBoxStyleRetryCancel = 0x5;
constexpr BoxStyle kBoxStyleButtonMask = 0xF;

constexpr BoxStyle kBoxStyleIconNone = 0x00;
constexpr BoxStyle kBoxStyleIconError = 0x10;
constexpr BoxStyle kBoxStyleIconQuestion = 0x20;
constexpr BoxStyle kBoxStyleIconWarning = 0x30;
constexpr BoxStyle kBoxStyleIconInformation = 0x40;
constexpr BoxStyle kBoxStyleIconMask = 0xF0;

constexpr BoxStyle kBoxStyleDefaultButton1 = 0x000;
constexpr BoxStyle kBoxStyleDefaultButton2 = 0x100;
constexpr BoxStyle kBoxStyleDefaultButton3 = 0x200;
constexpr BoxStyle kBoxStyleDefaultButtonMask = 0xF00;

// Results of the boxes (the button chosen): platform::kBoxOk, kBoxCancel, kBoxAbort,
// kBoxRetry, kBoxIgnore, kBoxYes, kBoxNo.
using platform::kBoxAbort;
using platform::kBoxCancel;
using platform::kBoxIgnore;
using platform::kBoxNo;
using platform::kBoxOk;
using platform::kBoxRetry;
using platform::kBoxYes;

// Sizes of the formatting buffers, terminating zero included.
constexpr size_t kMessageBufferSize = 512;
constexpr size_t kInformationBufferSize = 800;

// ---------------------------------------------------------------------------
// Flags of ShowOptionalMessage and of the message dialog.

constexpr unsigned kMessageFlagErrorIcon = 0x1;
constexpr unsigned kMessageFlagWarningIcon = 0x2;
constexpr unsigned kMessageFlagInformationIcon = 0x4;
// The check box reads "Show this message again next session": the message is
// shown at most once per run, and unticking keeps it away for good.
constexpr unsigned kMessageFlagNextSession = 0x8;

constexpr const char* kCheckBoxTextNextSession = "Show this message again next session";
constexpr const char* kCheckBoxTextWhenAppropriate = "Show this message again when appropriate";

// ---------------------------------------------------------------------------
// The formatted boxes. All return the button chosen unless said otherwise.

int ShowError(const char* format, ...) __attribute__((format(printf, 1, 2)));
int ShowWarning(const char* format, ...) __attribute__((format(printf, 1, 2)));
int ShowInformation(const char* format, ...) __attribute__((format(printf, 1, 2)));
// For states that should not occur: names the routine and the fault. Outside long work
// the caller goes on after the box is closed; inside it, the work ends as after Cancel,
// the box waits until the program is idle again (as notices told while drawing do) and
// the work's later internal errors are not told (EndWorkForInternalError). Inside an
// operation of InternalErrorsToldOnce only the first is told, once the drawing is over.
int ShowInternalError(const char* format, ...) __attribute__((format(printf, 1, 2)));

// One operation of the user's that is no long work under the progress window: a paint,
// a pick. While one lives (nested ones are part of the outermost), its first internal
// error is told once the drawing is over and the later ones are not told at all, so
// that a fault met for every drawn element shows one box, not one per element.
class InternalErrorsToldOnce {
 public:
  InternalErrorsToldOnce();
  ~InternalErrorsToldOnce();
  InternalErrorsToldOnce(const InternalErrorsToldOnce&) = delete;
  InternalErrorsToldOnce& operator=(const InternalErrorsToldOnce&) = delete;
  // Whether an internal error was met since this one began: the operation then ends
  // without acting on what it found.
  bool Met() const;

 private:
  int mStart;
};
// True when Yes was chosen.
bool AskYesNo(const char* format, ...) __attribute__((format(printf, 1, 2)));
// True when OK was chosen.
bool AskOkCancel(const char* format, ...) __attribute__((format(printf, 1, 2)));
// A box with the given style (buttons, icon, default button). Titled "Warning" for
// the warning icon, "Error" for the error icon and "Question" otherwise.
int ShowMessageBox(BoxStyle style, const char* format, ...) __attribute__((format(printf, 2, 3)));
// The caller's text followed by the operating system's text for the last error
// (errno, read before anything else can change it), as an error box.
void ShowWindowsError(const char* format, ...) __attribute__((format(printf, 1, 2)));

// A hint the user can switch off. `bit` is the message's one bit in the masks
// (a mask value such as 0x4, not an index); flags as kMessageFlag... above.
void ShowOptionalMessage(uint32_t bit, unsigned flags, const char* format, ...) __attribute__((format(printf, 3, 4)));

// A question with buttons of the given captions; returns the index of the one
// chosen (0 for the first). A caption starting with '+' is the default button (Enter
// chooses it), one starting with '-' the button that Escape chooses (the default one
// when none is marked); the sign is not shown. Flags
// pick the icon as for the message dialog (bit 0 error, bit 1 warning, bit 2
// information; the question icon when none is set).
int AskQuestion(unsigned flags, const char* title, std::initializer_list<const char*> captions, const char* format, ...)
    __attribute__((format(printf, 4, 5)));

// Asks the user for a line of text of up to size - 1 bytes, starting from what the
// buffer holds; false when cancelled (the buffer is then unchanged). A longer
// answer is cut on a character boundary. Flags are reserved and pass 0.
bool AskText(const char* prompt, char* buffer, int size, int flags);

// Shows a box with an already formatted text. The owner is the active window, else
// the main window; open drawing sections are closed around it.
int MessageBoxOnActiveWindow(const char* text, const char* title, BoxStyle style);

// Whether a notice (a box with an OK button alone) told while a pane draws waits
// until the drawing is over, answered OK at once: the program, whose idle time shows
// them (ShowHeldMessages), sets it; otherwise every box shows when it is told.
void SetNoticesWaitForDrawing(bool wait);
// Shows the notices told while a pane drew; true when there were any. Nothing while
// a pane draws.
bool ShowHeldMessages();

// While one lives, notices wait for ShowHeldMessages as they do while a pane draws
// (when the program has them wait at all), whether or not a drawing context is held
// at that moment: drawing code hands what it found to the program this way, to be
// told once the paint is over.
class NoticesAfterDrawing {
 public:
  NoticesAfterDrawing();
  ~NoticesAfterDrawing();
  NoticesAfterDrawing(const NoticesAfterDrawing&) = delete;
  NoticesAfterDrawing& operator=(const NoticesAfterDrawing&) = delete;
};

// How many boxes have spoken to the user in their own words (every box and question
// but the internal errors): work that reads the count before and after a step knows
// whether the step said why it failed.
int GetToldMessageCount();

// ---------------------------------------------------------------------------
// Masks of the optional messages; all ones at start-up. A message shows only while
// its bit is set in both. The session mask lives for this run; the settings store
// and restore the saved mask.

uint32_t GetSessionMessageMask();
void SetSessionMessageMask(uint32_t mask);
uint32_t GetSavedMessageMask();
void SetSavedMessageMask(uint32_t mask);

// ---------------------------------------------------------------------------
// Suspending drawing around boxes. The renderer installs a hook that closes every
// open drawing section of the current view and returns the function that reopens
// them and redraws; without a hook nothing happens. Boxes may nest.

using SuspendOpenGLHook = std::function<std::function<void()>()>;
void SetSuspendOpenGLHook(SuspendOpenGLHook hook);

// ---------------------------------------------------------------------------
// The debug trace: step labels, scope names and dumps. It discards everything.

inline void DoNothing(const char* format, ...) __attribute__((format(printf, 1, 2)));
inline void DoNothing(const char* /*format*/, ...) {}

// ---------------------------------------------------------------------------
// Formatting helper shared with other modules: printf into a text of at most
// size - 1 bytes; a longer text is cut on a UTF-8 character boundary to at most
// size - 4 bytes and ends in "...".
std::string FormatLimitedV(size_t size, const char* format, va_list args) __attribute__((format(printf, 2, 0)));
std::string FormatLimited(size_t size, const char* format, ...) __attribute__((format(printf, 2, 3)));

// ---------------------------------------------------------------------------
// The remainder of x by m in [0, m) (m > 0), for angles.
double PositiveFmod(double x, double m);
float PositiveFmodF(float x, float m);

}  // namespace corvia
