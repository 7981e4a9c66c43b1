#pragma once
// The texts drawn on a model's elements and edges: the diagnostic numbers (element,
// type and edge numbers) and the user's labels, written in the mark-up of the GL
// text renderer. "<color=#rrggbb>" ... "</font>" highlights what touches the
// selection, ":<in>" ... "</in>" sets a label after the numbers.

#include <cstddef>
#include <cstdint>
#include <string>

namespace corvia {

class Edge;
class Poly;
class PolyElement;

// Options > Diagnostic Mode: which numbers are drawn.
constexpr uint32_t kShowFaceNumbers = 0x1;
constexpr uint32_t kShowFaceTypeNumbers = 0x2;
constexpr uint32_t kShowVertexNumbers = 0x4;
constexpr uint32_t kShowVertexTypeNumbers = 0x8;
constexpr uint32_t kShowEdgeNumbers = 0x10;
constexpr uint32_t kShowEdgeTypeNumbers = 0x20;
constexpr uint32_t kShowNumbersInFacePlanes = 0x40;  // element numbers and frames drawn in the face planes
constexpr uint32_t kShowAnyNumbers = 0x3f;
// The face panes label the points of the stellation diagram with their coordinates.
constexpr uint32_t kShowDiagramCoords = 0x100;
extern uint32_t DiagnosticNumbers;
// The user's labels are drawn.
extern bool ShowLabels;

// Text colours of labels: white, and grey for every label while something is
// selected and numbers are shown; the highlight inside the mark-up is white.
extern const float kLabelTextColour[4];
extern const float kLabelDimmedColour[4];
extern const float kLabelHighlightColour[3];

// Label texts live in a buffer of this many bytes.
constexpr size_t kLabelTextSize = 1024;

// A label text that never grows beyond its buffer. Appending stops at the end of the
// buffer; a cut ends on a whole character outside any tag.
class LabelText {
 public:
  void Append(const char* text);
  void AppendNumber(int value);
  size_t Length() const { return mText.size(); }
  bool Empty() const { return mText.empty(); }
  const char* Get() const { return mText.c_str(); }
  // Cuts the text to at most `length` bytes (never inside a tag or a character) and
  // appends the marker.
  void CutWith(size_t length, const char* marker);

 private:
  std::string mText;
};

// The mark-up of an element's text (with the face bits for an element drawn as a face,
// the vertex bits for one drawn as a vertex): the numbers and label of the element
// and of each coplanar member concentric with it, joined by ",".
void BuildElementLabel(const PolyElement* element, bool asVertex, LabelText& text);
// The mark-up of an edge's numbers and label for the block; empty when it has neither.
void BuildEdgeLabel(const Edge* edge, Poly* poly, LabelText& text);

}  // namespace corvia
