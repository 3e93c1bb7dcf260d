#include "velmora/ExtensionList.h"

#include <algorithm>

#include "base/Utf16.h"

namespace velmora::cli {

std::u16string NormaliseExtensionList(std::u16string_view typed) {
    std::u16string list = Trim(typed);
    std::replace(list.begin(), list.end(), u',', u';');
    std::size_t i = 0;
    while (i < list.size()) {
        if (list[i] == u' ' || list[i] == u'*') {
            list.erase(i, 1);
            continue;
        }
        if ((i == 0 || list[i - 1] == u';') && list[i] != u'.') list.insert(i, 1, u'.');
        ++i;
    }
    return list;
}

}  // namespace velmora::cli
