#pragma once
// A text held in the room of one pointer, null while it is empty: the label of a
// vertex, face or edge, which nearly every element of a large model leaves empty
// (a std::string there would take four times the room in every record). It reads
// like a const std::string (empty(), c_str(), comparison, concatenation) and takes
// std::string and C strings; an empty text is never stored.

#include <memory>
#include <ostream>
#include <string>
#include <utility>

namespace corvia {

class OptionalText {
 public:
  OptionalText() = default;
  OptionalText(const std::string& s) { Assign(s); }  // NOLINT: reads as a std::string
  OptionalText(const char* s) { Assign(s ? std::string(s) : std::string()); }  // NOLINT
  OptionalText(const OptionalText& o) { Assign(o.str()); }
  OptionalText(OptionalText&& o) noexcept = default;
  OptionalText& operator=(const OptionalText& o) {
    if (this != &o) Assign(o.str());
    return *this;
  }
  OptionalText& operator=(OptionalText&& o) noexcept = default;
  OptionalText& operator=(const std::string& s) {
    Assign(s);
    return *this;
  }
  OptionalText& operator=(std::string&& s) {
    Assign(std::move(s));
    return *this;
  }
  OptionalText& operator=(const char* s) { return *this = std::string(s ? s : ""); }

  bool empty() const { return !mText; }
  size_t size() const { return mText ? mText->size() : 0; }
  const char* c_str() const { return str().c_str(); }
  const std::string& str() const { return mText ? *mText : Empty(); }
  operator const std::string&() const { return str(); }  // NOLINT: reads as a std::string
  void clear() { mText.reset(); }

  friend bool operator==(const OptionalText& a, const OptionalText& b) { return a.str() == b.str(); }
  friend bool operator==(const OptionalText& a, const std::string& b) { return a.str() == b; }
  friend bool operator==(const OptionalText& a, const char* b) { return a.str() == b; }
  friend std::string operator+(const std::string& a, const OptionalText& b) { return a + b.str(); }
  friend std::string operator+(const OptionalText& a, const std::string& b) { return a.str() + b; }
  friend std::string operator+(const OptionalText& a, const char* b) { return a.str() + b; }
  friend std::ostream& operator<<(std::ostream& out, const OptionalText& t) { return out << t.str(); }

 private:
  static const std::string& Empty() {
    static const std::string empty;
    return empty;
  }
  // Stores the text (copied or moved, as it comes), or clears it when empty.
  template <typename String>
  void Assign(String&& s) {
    if (s.empty()) {
      mText.reset();
    } else if (mText) {
      *mText = std::forward<String>(s);
    } else {
      mText = std::make_unique<std::string>(std::forward<String>(s));
    }
  }

  std::unique_ptr<std::string> mText;
};

static_assert(sizeof(OptionalText) == sizeof(void*), "an optional text takes one pointer's room");

}  // namespace corvia
