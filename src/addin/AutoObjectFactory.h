#pragma once

#include <functional>
#include <string>

#include "addin/ClassesKeys.h"
#include "addin/VelmoraAddIn_TLB.h"
#include "com/ClassFactory.h"
#include "com/ComPtr.h"

namespace velmora {

// The class factory of an automation class described in a type library:
// it makes a new object for every creation request and registers the COM
// class. It lives as long as the module; references to it count as the
// module in use.
class TAutoObjectFactory : public IClassFactory {
public:
    using TCreator = std::function<com::ComPtr<IUnknown>()>;

    TAutoObjectFactory(TCreator creator, const TypeLibraryDescription& library, const TypeLibClass& coClass,
                       std::u16string threadingModel);
    virtual ~TAutoObjectFactory() = default;
    TAutoObjectFactory(const TAutoObjectFactory&) = delete;
    TAutoObjectFactory& operator=(const TAutoObjectFactory&) = delete;

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override;
    ULONG STDMETHODCALLTYPE AddRef() override;
    ULONG STDMETHODCALLTYPE Release() override;
    // No aggregation; E_OUTOFMEMORY or E_UNEXPECTED when the object cannot be made.
    HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* outer, REFIID iid, void** object) override;
    HRESULT STDMETHODCALLTYPE LockServer(BOOL lock) override;

    const CLSID& ClassID() const { return coClass_.Clsid; }
    std::u16string ProgID() const { return ProgIdOf(library_, coClass_); }
    // The class's help string in the type library.
    const std::u16string& Description() const { return coClass_.HelpString; }
    const TypeLibraryDescription& TypeLibrary() const { return library_; }

    // Writes (Register) or removes the COM class entries in classes:
    //   CLSID\{clsid}                  (default) Description
    //   CLSID\{clsid}\InprocServer32   (default) modulePath, "ThreadingModel"
    //   <ProgID>                       (default) Description
    //   <ProgID>\Clsid                 (default) {clsid}
    //   CLSID\{clsid}\ProgID           (default) ProgID
    //   CLSID\{clsid}\Version          (default) the library's version, "1.0"
    //   CLSID\{clsid}\TypeLib          (default) {LIBID}
    // The module path is written as given: Linux has no short 8.3 form for
    // a path with blanks. Throws velmora::Exception when a write is refused.
    virtual void UpdateRegistration(bool Register, const ClassesKeys& classes, const std::u16string& modulePath);

private:
    TCreator creator_;
    const TypeLibraryDescription& library_;
    const TypeLibClass& coClass_;
    std::u16string threadingModel_;
};

}  // namespace velmora
