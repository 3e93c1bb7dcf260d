#include "addin/AutoObjectFactory.h"

#include <new>
#include <utility>

#include "addin/ComServer.h"
#include "com/Guid.h"

namespace velmora {

TAutoObjectFactory::TAutoObjectFactory(TCreator creator, const TypeLibraryDescription& library,
                                       const TypeLibClass& coClass, std::u16string threadingModel)
    : creator_(std::move(creator)), library_(library), coClass_(coClass), threadingModel_(std::move(threadingModel)) {}

HRESULT TAutoObjectFactory::QueryInterface(REFIID iid, void** object) {
    if (object == nullptr) return E_POINTER;
    if (iid != IID_IUnknown && iid != IID_IClassFactory) {
        *object = nullptr;
        return E_NOINTERFACE;
    }
    *object = static_cast<IClassFactory*>(this);
    AddRef();
    return S_OK;
}

ULONG TAutoObjectFactory::AddRef() {
    ComServer().ObjectCreated();
    return 2;
}

ULONG TAutoObjectFactory::Release() {
    ComServer().ObjectDestroyed();
    return 1;
}

HRESULT TAutoObjectFactory::CreateInstance(IUnknown* outer, REFIID iid, void** object) {
    if (object == nullptr) return E_POINTER;
    *object = nullptr;
    if (outer != nullptr) return CLASS_E_NOAGGREGATION;
    try {
        com::ComPtr<IUnknown> created = creator_();
        return created->QueryInterface(iid, object);
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    } catch (...) {
        return E_UNEXPECTED;
    }
}

HRESULT TAutoObjectFactory::LockServer(BOOL lock) {
    if (lock) {
        ComServer().ObjectCreated();
    } else {
        ComServer().ObjectDestroyed();
    }
    return S_OK;
}

void TAutoObjectFactory::UpdateRegistration(bool Register, const ClassesKeys& classes,
                                            const std::u16string& modulePath) {
    const std::u16string clsid = com::GuidToString(ClassID());
    const std::u16string classKey = u"CLSID\\" + clsid;
    const std::u16string progId = ProgID();
    if (Register) {
        classes.SetString(classKey, u"", Description());
        classes.SetString(classKey + u"\\InprocServer32", u"", modulePath);
        classes.SetString(classKey + u"\\InprocServer32", u"ThreadingModel", threadingModel_);
        classes.SetString(progId, u"", Description());
        classes.SetString(progId + u"\\Clsid", u"", clsid);
        classes.SetString(classKey + u"\\ProgID", u"", progId);
        classes.SetString(classKey + u"\\Version", u"", VersionText(library_.Version));
        classes.SetString(classKey + u"\\TypeLib", u"", com::GuidToString(library_.Libid));
        return;
    }
    for (const std::u16string& key : {classKey + u"\\TypeLib", classKey + u"\\Version", classKey + u"\\ProgID",
                                      progId + u"\\Clsid", progId, classKey + u"\\InprocServer32", classKey}) {
        classes.DeleteTree(key);
    }
}

}  // namespace velmora
