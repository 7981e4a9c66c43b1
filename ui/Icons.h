#pragma once
// The program's images by name (ui/icons/<name>.svg, built into the program), as
// bundles that wx draws at the size and scale a menu or toolbar needs.

#include <wx/bmpbndl.h>

#include <string>

namespace corvia {

// The image, at a default size of size x size pixels; an empty bundle when there is
// no image of that name.
wxBitmapBundle GetIconBundle(const std::string& name, int size = 16);
bool HasIcon(const std::string& name);

}  // namespace corvia
