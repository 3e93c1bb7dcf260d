#pragma once

#include <string>

#include "addin/ClassesKeys.h"
#include "addin/VelmoraAddIn_TLB.h"

namespace velmora {

// The platform key under a type library's locale that names the file
// holding the library: "win64" or "win32" as Windows writes it; there is no
// such name for Linux, so that build writes its own.
#if defined(_WIN64)
inline constexpr char16_t kTypeLibPlatform[] = u"win64";
#elif defined(_WIN32)
inline constexpr char16_t kTypeLibPlatform[] = u"win32";
#else
inline constexpr char16_t kTypeLibPlatform[] = u"linux64";
#endif

// The keys that registering a type library writes, for a library kept in
// the module file libraryPath:
//   TypeLib\{LIBID}\<major.minor>            (default) the help string
//   TypeLib\{LIBID}\<major.minor>\<lcid>\<platform>  (default) libraryPath
//   TypeLib\{LIBID}\<major.minor>\FLAGS      (default) "0"
//   TypeLib\{LIBID}\<major.minor>\HELPDIR    (default) helpDirectory
// and for each interface it defines (all dual, so the automation
// marshaller carries them):
//   Interface\{IID}                      (default) its name
//   Interface\{IID}\ProxyStubClsid       (default) {00020424-...}
//   Interface\{IID}\ProxyStubClsid32     (default) {00020424-...}
//   Interface\{IID}\TypeLib              (default) {LIBID}, "Version" the library's version
// The locale key is the library's locale in hexadecimal ("409" for 1033).
void RegisterTypeLibrary(const TypeLibraryDescription& library, const ClassesKeys& classes,
                         const std::u16string& libraryPath, const std::u16string& helpDirectory);
// Removes the library's version key (the LIBID key too when nothing else is
// left under it) and its interfaces' keys.
void UnregisterTypeLibrary(const TypeLibraryDescription& library, const ClassesKeys& classes);

}  // namespace velmora
