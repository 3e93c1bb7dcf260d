#include "addin/VelmoraAddIn_TLB.h"

#include "base/Format.h"

namespace velmora {

const TypeLibraryDescription& VelmoraTypeLibrary() {
    static const TypeLibraryDescription library{
        LIBID_VelmoraAddIn,
        u"VelmoraAddIn",
        u"Velmora Library",
        {1, 0},
        1033,
        {{IID_IVelmora, u"IVelmora", {1, 0}}},
        {{CLSID_CVelmoraAddIn, u"CVelmoraAddIn", u"", {1, 0}}},
    };
    return library;
}

std::u16string VersionText(TypeLibVersion version) {
    return Format(u"%d.%d", {std::int64_t{version.Major}, std::int64_t{version.Minor}});
}

std::u16string ProgIdOf(const TypeLibraryDescription& library, const TypeLibClass& coClass) {
    return library.Name + u"." + coClass.Name;
}

}  // namespace velmora
