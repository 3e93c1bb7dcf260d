#pragma once

#include <string>

#include "com/ComObject.h"
#include "host/Outlook.h"

namespace mailstore {

class FolderObject;

// The "MAPI" namespace of a mailbox. There is no folder chooser: picking a
// folder is always cancelled.
class NameSpace final : public com::ComObject<Outlook::_NameSpace> {
public:
    NameSpace() = default;
    com::ComPtr<Outlook::MAPIFolder> PickFolder() override { return nullptr; }
};

// The main window as a program without one has it: it shows the store's root
// folder, and nothing is selected.
class Explorer final : public com::ComObject<Outlook::Explorer> {
public:
    explicit Explorer(com::ComPtr<Outlook::MAPIFolder> folder);

    com::ComPtr<Outlook::MAPIFolder> CurrentFolder() override;
    com::ComPtr<Outlook::Selection> Selection() override;

private:
    com::ComPtr<Outlook::MAPIFolder> folder_;
};

// The application object: named "Outlook", as the host it stands in for.
class Application final : public com::ComObject<Outlook::_Application> {
public:
    Application(com::ComPtr<NameSpace> session, com::ComPtr<Explorer> explorer);

    // Only "MAPI" (in any letter case) names a namespace.
    com::ComPtr<Outlook::_NameSpace> GetNamespace(const std::u16string& type) override;
    com::ComPtr<Outlook::Explorer> ActiveExplorer() override;
    std::u16string Name() override;

private:
    com::ComPtr<NameSpace> session_;
    com::ComPtr<Explorer> explorer_;
};

}  // namespace mailstore
