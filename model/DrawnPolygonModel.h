#pragma once
// Drawn polygons on a model: auto-completion, whose new corners snap to the model's
// elements. The symmetry queries of DrawnPolygon (declared with the class in
// core/DrawnPolygon.h) are defined beside it, in DrawnPolygonModel.cpp.

#include "core/DrawnPolygon.h"

namespace corvia {

class Poly;

// Completes a polygon being drawn by repeating the pattern of its edges so far.
// Returns null on success, else the message to show.
const char* AutoCompletePolygon(DrawnPolygon* polygon, Poly* model);

// Texts of AutoCompletePolygon.
extern const char* const kAutoCompleteNeedMorePoints;
extern const char* const kAutoCompleteAlreadyComplete;
extern const char* const kAutoCompleteWontClose;
extern const char* const kAutoCompleteNoPattern;

}  // namespace corvia
