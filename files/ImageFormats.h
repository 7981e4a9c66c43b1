#pragma once
// Which image files the image library can read and write, by extension.

namespace corvia {

// The test ImageFormatSupported asks: flag 5 asks whether files of the extension
// (with its leading dot) can be loaded, flag 9 whether they can be saved.
bool FreeImageFormatSupported(const char* extension, int flag);

// Installs the test above as the one ImageFormatSupported uses.
void InstallImageFormatTest();

}  // namespace corvia
