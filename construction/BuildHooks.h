#pragma once
// Services of the model library that the construction code calls and that are
// completed together with the library lookup. Until then each shows an internal
// error naming itself and answers "none".

namespace corvia {

class LibraryEntry;
class PolyTemplate;

// The library entry whose vertex configuration the solved template has, formatted
// from any of its distinct starting polygons in either direction; for a parametric
// entry ("<N>.4.4") also n, with d = 1 (-1 for both otherwise). Null when no entry
// matches.
LibraryEntry* GetTemplateLibraryEntry(const PolyTemplate* poly, int* n, int* d);

}  // namespace corvia
