#pragma once
// The link from a solved vertex configuration to the model library.

namespace corvia {

class LibraryEntry;
class PolyTemplate;

// The library entry whose vertex configuration the solved template has, formatted
// from any of its distinct starting polygons in either direction; for a parametric
// entry ("<N>.4.4") also n, with d = 1 (-1 for both otherwise). Null when no entry
// matches.
LibraryEntry* GetTemplateLibraryEntry(const PolyTemplate* poly, int* n, int* d);

}  // namespace corvia
