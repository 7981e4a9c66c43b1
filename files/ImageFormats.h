#pragma once
// Which image files the image library can read and write, by extension.

namespace corvia {

// The test ImageFormatSupported asks: flag 5 asks whether files of the extension
// (with its leading dot) can be loaded (PNG, JPEG, BMP and GIF can), flag 9 whether
// the image library can save them.
bool FreeImageFormatSupported(const char* extension, int flag);

// Installs the test above as the one ImageFormatSupported uses.
void InstallImageFormatTest();

}  // namespace corvia
