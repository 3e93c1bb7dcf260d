#include "addin/TypeLibRegistration.h"

#include "com/Guid.h"

namespace velmora {

namespace {

std::u16string Hex(std::uint32_t value) {
    static constexpr char16_t kDigits[] = u"0123456789abcdef";
    std::u16string text;
    do {
        text.insert(text.begin(), kDigits[value & 0xF]);
        value >>= 4;
    } while (value != 0);
    return text;
}

std::u16string LibraryKey(const TypeLibraryDescription& library) {
    return u"TypeLib\\" + com::GuidToString(library.Libid);
}

std::u16string VersionKey(const TypeLibraryDescription& library) {
    return LibraryKey(library) + u"\\" + VersionText(library.Version);
}

}  // namespace

void RegisterTypeLibrary(const TypeLibraryDescription& library, const ClassesKeys& classes,
                         const std::u16string& libraryPath, const std::u16string& helpDirectory) {
    const std::u16string version = VersionKey(library);
    classes.SetString(version, u"", library.HelpString);
    classes.SetString(version + u"\\" + Hex(library.Locale) + u"\\" + kTypeLibPlatform, u"", libraryPath);
    classes.SetString(version + u"\\FLAGS", u"", u"0");
    classes.SetString(version + u"\\HELPDIR", u"", helpDirectory);

    const std::u16string marshaller = com::GuidToString(CLSID_PSOAInterface);
    for (const auto& defined : library.Interfaces) {
        const std::u16string key = u"Interface\\" + com::GuidToString(defined.Iid);
        classes.SetString(key, u"", defined.Name);
        classes.SetString(key + u"\\ProxyStubClsid", u"", marshaller);
        classes.SetString(key + u"\\ProxyStubClsid32", u"", marshaller);
        classes.SetString(key + u"\\TypeLib", u"", com::GuidToString(library.Libid));
        classes.SetString(key + u"\\TypeLib", u"Version", VersionText(library.Version));
    }
}

void UnregisterTypeLibrary(const TypeLibraryDescription& library, const ClassesKeys& classes) {
    classes.DeleteTree(VersionKey(library));
    classes.DeleteIfEmpty(LibraryKey(library));
    for (const auto& defined : library.Interfaces) {
        classes.DeleteTree(u"Interface\\" + com::GuidToString(defined.Iid));
    }
}

}  // namespace velmora
