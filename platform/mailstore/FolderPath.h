#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace mailstore {

// The folder names of a path below a store's root as callers write it
// ("Inbox/Clients"): separated by '/', empty ones (a leading, trailing or
// doubled '/') left out, so that "" and "/" both name the root.
std::vector<std::u16string> FolderPathComponents(std::u16string_view path);

}  // namespace mailstore
