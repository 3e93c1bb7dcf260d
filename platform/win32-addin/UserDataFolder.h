#pragma once

#include <filesystem>

namespace win32addin {

// The user's own folder of the add-in's data, made when missing:
// %LOCALAPPDATA%\Velmora, which holds the catalog of saved files and the
// run locks. Throws host::HostError when it cannot be found or made.
std::filesystem::path UserDataFolder();

}  // namespace win32addin
