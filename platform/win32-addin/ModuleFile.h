#pragma once

#include <string>

namespace win32addin {

// The path of the DLL this code is linked into, as it was loaded.
std::u16string ModuleFilePath();

// The path to register for the module: its short 8.3 form when the path has
// a blank and the volume keeps short names, since some hosts split the
// registered command line at blanks; else the path as it is.
std::u16string RegisteredModulePath(const std::u16string& path);

}  // namespace win32addin
