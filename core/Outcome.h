#pragma once
// What a step of the geometry did: done, refused with the words the user is to read,
// cancelled by the user, or failed with a reason. The geometry shows no box of its
// own for a refusal or a failure: the caller decides whether it becomes a box, a pane
// message, a line in a sweep or a value in a test. A broken invariant is still an
// internal error, raised where it is found. An outcome may also carry warnings, told
// before its result in the order they were met; a done step may carry them too.

#include <string>
#include <utility>
#include <vector>

namespace corvia {

class [[nodiscard]] Outcome {
 public:
  enum class Kind { kDone, kRefused, kCancelled, kFailed, kWarned };

  // Done.
  Outcome() = default;

  static Outcome Done() { return Outcome(); }
  // The step will not do what was asked; the text says why in the user's words.
  static Outcome Refused(std::string text) { return Outcome(Kind::kRefused, std::move(text)); }
  static Outcome RefusedF(const char* format, ...) __attribute__((format(printf, 1, 2)));
  // Refused, the text a warning rather than an error: it is told in a warning box.
  static Outcome Warned(std::string text) { return Outcome(Kind::kWarned, std::move(text)); }
  // The user stopped the step; nothing is to be told.
  static Outcome Cancelled() { return Outcome(Kind::kCancelled, std::string()); }
  // The step could not be done; the text gives the reason.
  static Outcome Failed(std::string reason) { return Outcome(Kind::kFailed, std::move(reason)); }
  static Outcome FailedF(const char* format, ...) __attribute__((format(printf, 1, 2)));

  Kind kind() const { return kind_; }
  bool done() const { return kind_ == Kind::kDone; }
  bool cancelled() const { return kind_ == Kind::kCancelled; }
  // Refused, warned or failed: there is a text to tell.
  bool told() const { return kind_ == Kind::kRefused || kind_ == Kind::kWarned || kind_ == Kind::kFailed; }
  const std::string& text() const { return text_; }
  explicit operator bool() const { return done(); }

  // The warnings to tell before the result, in order.
  const std::vector<std::string>& warnings() const { return warnings_; }
  void Warn(std::string text) {
    if (!text.empty()) warnings_.push_back(std::move(text));
  }
  // Done, with this outcome's warnings alone.
  Outcome WarningsOnly() const {
    Outcome done;
    done.warnings_ = warnings_;
    return done;
  }
  // Adds the warnings of `other` after this one's.
  void TakeWarnings(const Outcome& other) {
    warnings_.insert(warnings_.end(), other.warnings_.begin(), other.warnings_.end());
  }
  // Takes the result of `next`, keeping the warnings met so far before its own.
  void Then(const Outcome& next) {
    kind_ = next.kind_;
    text_ = next.text_;
    TakeWarnings(next);
  }

 private:
  Outcome(Kind kind, std::string text) : kind_(kind), text_(std::move(text)) {}

  Kind kind_ = Kind::kDone;
  std::string text_;
  std::vector<std::string> warnings_;
};

}  // namespace corvia
