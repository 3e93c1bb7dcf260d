#pragma once

// The add-in's COM identity and its type library, as registering them
// writes them.

#include <string>
#include <vector>

#include "com/Guid.h"
#include "com/InterfaceId.h"
#include "host/Office.h"

namespace velmora {

// The add-in's own interface: the connection interface, dual, with no
// members of its own.
struct IVelmora : Office::_IDTExtensibility2 {};

inline constexpr IID IID_IVelmora = {0x7E41B9D0, 0x62AF, 0x4C35, {0x8B, 0x17, 0xE0, 0x5A, 0x3D, 0x9C, 0x4F, 0x28}};
inline constexpr CLSID CLSID_CVelmoraAddIn = {
    0x5C0E7A21, 0x3B9D, 0x4F62, {0xA8, 0xE1, 0x2D, 0x74, 0xC9, 0xB0, 0xF6, 0x13}};
inline constexpr GUID LIBID_VelmoraAddIn = {
    0xD4A81E36, 0x5C29, 0x4B7F, {0x9E, 0x03, 0x6B, 0x1F, 0x8A, 0x2C, 0x5D, 0x74}};
// The automation marshaller, which carries the calls of dual interfaces.
inline constexpr CLSID CLSID_PSOAInterface = {
    0x00020424, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};

struct TypeLibVersion {
    unsigned Major = 1;
    unsigned Minor = 0;
};

struct TypeLibInterface {
    IID Iid;
    std::u16string Name;
    TypeLibVersion Version;
};

struct TypeLibClass {
    CLSID Clsid;
    std::u16string Name;
    std::u16string HelpString;
    TypeLibVersion Version;
};

struct TypeLibraryDescription {
    GUID Libid;
    std::u16string Name;
    std::u16string HelpString;
    TypeLibVersion Version;
    LCID Locale;
    // The interfaces the library defines itself; the imported connection
    // interface keeps its own registration.
    std::vector<TypeLibInterface> Interfaces;
    std::vector<TypeLibClass> Classes;
};

const TypeLibraryDescription& VelmoraTypeLibrary();

// "1.0"
std::u16string VersionText(TypeLibVersion version);
// "VelmoraAddIn.CVelmoraAddIn": the library's name, a point, the class's name.
std::u16string ProgIdOf(const TypeLibraryDescription& library, const TypeLibClass& coClass);

}  // namespace velmora

VELMORA_INTERFACE_ID(velmora::IVelmora, velmora::IID_IVelmora);
