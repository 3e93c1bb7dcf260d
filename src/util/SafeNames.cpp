#include "util/SafeNames.h"

#include "base/Utf16.h"

namespace velmora {

namespace {

constexpr std::u16string_view kDevices[] = {u"CON", u"PRN", u"AUX", u"NUL"};
constexpr std::u16string_view kNumberedDevices[] = {u"COM", u"LPT"};

}  // namespace

bool IsDeviceName(std::u16string_view name) {
    std::u16string stem = UpperCase(name.substr(0, name.find(u'.')));
    while (!stem.empty() && stem.back() == u' ') stem.pop_back();
    for (auto device : kDevices) {
        if (stem == device) return true;
    }
    if (stem.size() == 4 && stem[3] >= u'1' && stem[3] <= u'9') {
        for (auto device : kNumberedDevices) {
            if (std::u16string_view(stem).substr(0, 3) == device) return true;
        }
    }
    return false;
}

std::u16string MakeSafeName(std::u16string_view name) {
    std::u16string result(name);
    for (auto& c : result) {
        if (c < u' ' || c == u'<' || c == u'>' || c == u'"' || c == u'|') c = u' ';
    }
    while (!result.empty() && (result.back() == u'.' || result.back() == u' ')) result.pop_back();
    if (result.empty()) return u"_";
    if (IsDeviceName(result)) result.insert(result.begin(), u'_');
    return result;
}

}  // namespace velmora
