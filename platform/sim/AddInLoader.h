#pragma once

#include <optional>
#include <string>
#include <vector>

#include "com/ComPtr.h"
#include "host/DynamicLibraries.h"
#include "host/Office.h"

namespace sim {

enum class AddInState { Connected, Failed, Disconnected };

// One add-in the host found registered to load at its start.
struct AddInRecord {
    std::u16string ProgId;
    std::u16string LibraryPath;  // its InprocServer32; empty when not found
    AddInState State = AddInState::Failed;
    // The last failing step: its result and what it was. OnStartupComplete
    // and the shut-down calls may fail while the add-in stays connected.
    HRESULT Result = S_OK;
    std::u16string Problem;
};

// Loads and drives COM add-ins as the host does, through the installed
// registry and library loader:
// - Start finds the add-ins under "Software\Microsoft\Office\<host>\AddIns"
//   of HKEY_LOCAL_MACHINE, then of HKEY_CURRENT_USER (a ProgID once), whose
//   LoadBehavior is 3; for each it follows the ProgID's Clsid and the
//   class's InprocServer32, each looked up in the user's classes
//   (HKEY_CURRENT_USER\Software\Classes) before HKEY_CLASSES_ROOT, loads the
//   library, asks DllGetClassObject for the class factory, creates the
//   object as _IDTExtensibility2 and calls OnConnection (ext_cm_Startup);
//   then OnStartupComplete of every add-in connected.
// - Shutdown calls OnBeginShutdown of every connected add-in, then
//   OnDisconnection (ext_dm_HostShutdown) of each, releases the objects and
//   frees each library whose DllCanUnloadNow allows it.
// - Connect and Disconnect are the user loading (ext_cm_AfterStartup) or
//   unloading (ext_dm_UserClosed) one add-in while the host runs.
// An add-in that fails to load or connect is released and marked Failed;
// the others go on. Its registration is left as it is.
class AddInLoader {
public:
    // hostName names the host in the AddIns key ("Outlook").
    AddInLoader(std::u16string hostName, com::ComPtr<IDispatch> application);
    // Shuts down what still runs.
    ~AddInLoader();
    AddInLoader(const AddInLoader&) = delete;
    AddInLoader& operator=(const AddInLoader&) = delete;

    void Start();
    void Shutdown();
    // Connects a registered add-in by its ProgID, whatever its
    // LoadBehavior; false when it failed.
    bool Connect(const std::u16string& progId);
    void Disconnect(const std::u16string& progId);

    std::vector<AddInRecord> AddIns() const;
    // The connected add-in's object; empty when it is not connected.
    com::ComPtr<Office::_IDTExtensibility2> Object(const std::u16string& progId) const;

private:
    struct Loaded {
        AddInRecord Record;
        host::DynamicLibraries::Handle Library = nullptr;
        com::ComPtr<Office::_IDTExtensibility2> Object;
    };

    std::vector<std::u16string> RegisteredAtStartup() const;
    Loaded& Load(const std::u16string& progId, Office::ext_ConnectMode mode);
    void Create(Loaded& addIn);
    void Disconnect(Loaded& addIn, Office::ext_DisconnectMode mode);
    void Release(Loaded& addIn);
    static void Note(Loaded& addIn, HRESULT result, std::u16string problem);
    Loaded* Find(const std::u16string& progId);
    const Loaded* Find(const std::u16string& progId) const;

    std::u16string hostName_;
    com::ComPtr<IDispatch> application_;
    std::vector<Loaded> addIns_;
};

}  // namespace sim
