#pragma once
// Finding the files of fonts by name. A name ending in ".ttf" or ".fon" is a file
// name; any other is a font family, looked up through fontconfig. The families the
// program's texts name after the usual faces of other systems stand for their
// metric-compatible installed families ("Arial" is Liberation Sans), so that text
// looks the same on every machine. Only a family that is installed is found: an
// unknown name fails rather than falling back to some other font.

#include <string>

namespace corvia {

// The regular and the bold file of a font name (the bold file is the regular one
// when the family has no bold). For a file name the bold file is the same name
// with "bd" before the extension when that file is found, else with "b". False for
// a blank name or a family that is not installed.
bool FindFontFile(const char* name, const char* folder, std::string& regularOut, std::string& boldOut);

// The path of a font file: itself when it is a path that exists; else the file in
// the given folder beside the program; else an installed font file of that name.
// False when none exists.
bool FindFontPath(std::string& out, const char* file, const char* folder);

// FindFontFile, then FindFontPath of the regular file.
bool ResolveFontPath(std::string& out, const char* name, const char* folder);

// True the first time a face list (case ignored) that cannot be loaded is reported, so
// that a missing font is told once and not at every repaint; again after
// ForgetMissingFontReports.
bool IsFirstReportOfMissingFont(const std::string& faceList);
void ForgetMissingFontReports();

}  // namespace corvia
