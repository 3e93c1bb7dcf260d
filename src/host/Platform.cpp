#include "host/Platform.h"

#include "host/HostError.h"

namespace host {

namespace {

Platform installed;

template <class T>
T& Require(T* service, const char16_t* what) {
    if (service == nullptr) throw HostError(E_UNEXPECTED, std::u16string(u"No ") + what + u" is installed");
    return *service;
}

}  // namespace

Registry& TheRegistry() { return Require(installed.registry, u"registry"); }
FileSystem& TheFileSystem() { return Require(installed.fileSystem, u"file system"); }
DynamicLibraries& TheLibraries() { return Require(installed.libraries, u"library loader"); }
System& TheSystem() { return Require(installed.system, u"system"); }
CatalogStore& TheCatalog() { return Require(installed.catalog, u"catalog of saved files"); }
RunLocks& TheRunLocks() { return Require(installed.runLocks, u"run lock"); }

PlatformScope::PlatformScope(const Platform& platform) : previous_(installed) { installed = platform; }
PlatformScope::~PlatformScope() { installed = previous_; }

}  // namespace host
