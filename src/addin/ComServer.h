#pragma once

#include <string>

#include "addin/OfficeAddInFactory.h"
#include "com/ClassFactory.h"

namespace velmora {

// The module as an in-process COM server: what is in use of it, and the
// four entry points that the shared library exports under the names
// DllGetClassObject, DllCanUnloadNow, DllRegisterServer and
// DllUnregisterServer. Everything runs on the host's one user-interface
// thread.
class TComServer {
public:
    // Live objects, server locks and references to the class factory all
    // keep the module in use.
    void ObjectCreated() { ++inUse_; }
    void ObjectDestroyed() { --inUse_; }
    bool InUse() const { return inUse_ > 0; }

    // The factory of the add-in class as the interface iid; for any other
    // class *object is cleared and the result is CLASS_E_CLASSNOTAVAILABLE.
    HRESULT GetClassObject(REFCLSID clsid, REFIID iid, void** object);
    // S_FALSE while anything of the module is in use, else S_OK.
    HRESULT CanUnloadNow() const;
    // Registers the type library, the COM class and the Office add-in key
    // for the module file at modulePath. S_OK, or E_FAIL when any step
    // failed (the steps before it stay done).
    HRESULT RegisterServer(const std::u16string& modulePath);
    // Removes every registration of either kind; S_OK or E_FAIL.
    HRESULT UnregisterServer();

private:
    long inUse_ = 0;
};

TComServer& ComServer();

// The module's one class factory: TVelmora objects, registered for Outlook
// as "Velmora Add-in", loaded at the host's start-up.
TOfficeAddInFactory& AddInFactory();

// Counts itself as a live object of the module for its lifetime.
class TModuleObject {
protected:
    TModuleObject() { ComServer().ObjectCreated(); }
    ~TModuleObject() { ComServer().ObjectDestroyed(); }

public:
    TModuleObject(const TModuleObject&) = delete;
    TModuleObject& operator=(const TModuleObject&) = delete;
};

// The directory part of a module path, without its final separator.
std::u16string DirectoryOf(const std::u16string& path);

}  // namespace velmora
