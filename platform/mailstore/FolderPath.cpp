#include "mailstore/FolderPath.h"

#include <algorithm>

namespace mailstore {

std::vector<std::u16string> FolderPathComponents(std::u16string_view path) {
    std::vector<std::u16string> components;
    std::size_t start = 0;
    while (start <= path.size()) {
        const auto end = std::min(path.find(u'/', start), path.size());
        if (end > start) components.emplace_back(path.substr(start, end - start));
        start = end + 1;
    }
    return components;
}

}  // namespace mailstore
