#pragma once
// The comment block at the head of every exported file: which program wrote it and
// when, then the caller's own header text. Each line is wrapped in the file
// format's comment prefix and suffix.

#include <cstdio>

namespace corvia {

// Writes the block to the file: "Written by Corvia", the local time and date, then
// each line of headerText (none when it is null or empty), every line as prefix,
// text, suffix and a line end. A null prefix or suffix is empty.
void WriteFileHeaderComment(FILE* file, const char* prefix, const char* suffix, const char* headerText);

}  // namespace corvia
