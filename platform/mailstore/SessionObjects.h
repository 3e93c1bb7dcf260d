#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "com/ComObject.h"
#include "com/ConnectionPoint.h"
#include "host/Outlook.h"
#include "mailstore/MailboxContext.h"
#include "sim/CommandBars.h"
#include "sim/DispatchObject.h"
#include "sim/EventSource.h"

namespace mailstore {

class FolderObject;

// The "MAPI" namespace of a mailbox. Picking a folder shows the chooser the
// host gave; without one it is always cancelled.
class NameSpace final : public com::ComObject<Outlook::_NameSpace> {
public:
    using FolderPicker = std::function<com::ComPtr<Outlook::MAPIFolder>()>;

    // Without a Maildir mailbox's context (an account on a server) every
    // save is done at once.
    NameSpace() = default;
    explicit NameSpace(std::shared_ptr<MailboxContext> context) : context_(std::move(context)) {}
    com::ComPtr<Outlook::MAPIFolder> PickFolder() override;
    // A Maildir mailbox's rewritten messages are flushed, named and their
    // old files removed a batch at a time (see HeldSaves).
    void HoldSaves() override;
    void CommitSaves() override;

    // An empty picker takes the chooser away.
    void SetFolderPicker(FolderPicker picker) { picker_ = std::move(picker); }

private:
    std::shared_ptr<MailboxContext> context_;
    FolderPicker picker_;
};

// The main window: the folder it shows and the items selected in it, as the
// host sets them while the user clicks; at first the store's root folder and
// nothing selected. Through IDispatch it answers CommandBars, the
// application's bars.
class Explorer final : public sim::DispatchObject<Outlook::Explorer, IDispatch> {
public:
    Explorer(com::ComPtr<FolderObject> folder, com::ComPtr<sim::CommandBars> bars);

    // A new object for the folder at every call, so that each caller lists
    // its items as they are now.
    com::ComPtr<Outlook::MAPIFolder> CurrentFolder() override;
    // What is selected now; a later selection leaves it as it is.
    com::ComPtr<Outlook::Selection> Selection() override;

    void ShowFolder(com::ComPtr<FolderObject> folder);
    FolderObject& ShownFolder() { return *folder_; }
    // Item objects of the folder shown, in the order the user sees them.
    void Select(std::vector<com::ComPtr<IUnknown>> items);

private:
    com::ComPtr<FolderObject> folder_;
    std::vector<com::ComPtr<IUnknown>> selected_;
    com::ComPtr<sim::CommandBars> bars_;
};

// The application object: named "Outlook", as the host it stands in for.
// Through IDispatch it answers Name, ActiveExplorer and CommandBars; it is
// the connection point container of ApplicationEvents, whose ItemSend it
// raises when the host sends an item.
class Application final : public sim::DispatchObject<Outlook::_Application, IDispatch, IConnectionPointContainer> {
public:
    Application(com::ComPtr<NameSpace> session, com::ComPtr<Explorer> explorer, com::ComPtr<sim::CommandBars> bars);

    // Only "MAPI" (in any letter case) names a namespace.
    com::ComPtr<Outlook::_NameSpace> GetNamespace(const std::u16string& type) override;
    com::ComPtr<Outlook::Explorer> ActiveExplorer() override;
    std::u16string Name() override;

    HRESULT STDMETHODCALLTYPE EnumConnectionPoints(IEnumConnectionPoints** points) override;
    HRESULT STDMETHODCALLTYPE FindConnectionPoint(REFIID events, IConnectionPoint** point) override;

    // ItemSend(item, Cancel) to every connected sink; true when the item may
    // go, that is when no sink set Cancel.
    bool RaiseItemSend(IUnknown* item);

    NameSpace& Session() { return *session_; }
    Explorer& MainExplorer() { return *explorer_; }
    // The same bars for the application and its explorer.
    sim::CommandBars& Bars() { return *bars_; }

private:
    com::ComPtr<NameSpace> session_;
    com::ComPtr<Explorer> explorer_;
    com::ComPtr<sim::CommandBars> bars_;
    sim::EventSources sources_;
    sim::EventSource* events_;
};

}  // namespace mailstore
