#include "addin/ComServer.h"

#include "addin/TypeLibRegistration.h"
#include "addin/uVelmora.h"

namespace velmora {

TComServer& ComServer() {
    static TComServer server;
    return server;
}

TOfficeAddInFactory& AddInFactory() {
    static TOfficeAddInFactory factory([] { return CreateVelmora(); }, VelmoraTypeLibrary(),
                                       VelmoraTypeLibrary().Classes.front(), u"Apartment", {ohOutlook},
                                       u"Velmora Add-in", 3);
    return factory;
}

HRESULT TComServer::GetClassObject(REFCLSID clsid, REFIID iid, void** object) {
    if (object == nullptr) return E_POINTER;
    *object = nullptr;
    TOfficeAddInFactory& factory = AddInFactory();
    if (clsid != factory.ClassID()) return CLASS_E_CLASSNOTAVAILABLE;
    return factory.QueryInterface(iid, object);
}

HRESULT TComServer::CanUnloadNow() const { return InUse() ? S_FALSE : S_OK; }

HRESULT TComServer::RegisterServer(const std::u16string& modulePath) {
    try {
        const ClassesKeys classes = ClassesKeys::ForRegistration();
        RegisterTypeLibrary(VelmoraTypeLibrary(), classes, modulePath, DirectoryOf(modulePath));
        AddInFactory().UpdateRegistration(true, classes, modulePath);
        return S_OK;
    } catch (...) {
        return E_FAIL;
    }
}

HRESULT TComServer::UnregisterServer() {
    try {
        const ClassesKeys classes = ClassesKeys::Everywhere();
        UnregisterTypeLibrary(VelmoraTypeLibrary(), classes);
        AddInFactory().UpdateRegistration(false, classes, {});
        return S_OK;
    } catch (...) {
        return E_FAIL;
    }
}

std::u16string DirectoryOf(const std::u16string& path) {
    const auto separator = path.find_last_of(u"/\\");
    return separator == std::u16string::npos ? std::u16string() : path.substr(0, separator);
}

}  // namespace velmora
