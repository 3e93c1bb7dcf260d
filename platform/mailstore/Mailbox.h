#pragma once

#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "com/ComPtr.h"
#include "host/Outlook.h"

namespace sim {
class CommandBars;
}

namespace mailstore {

class Draft;
struct DraftStart;
class MailboxContext;
class FolderObject;
class Application;

struct MailboxOptions {
    std::u16string storeName = u"Mailbox";
    // Who writes the drafts, as their From field holds it.
    std::u16string userAddress = u"me@localhost";
    // Whether items offer the attachments of signed content. Taking one out
    // changes what the signature signs, so the signature goes with it; by
    // default such messages are left as they are, with a warning each.
    bool includeSigned = false;
};

// A folder of the mailbox as the host's folder tree shows it.
struct FolderNode {
    std::u16string Name;
    std::filesystem::path Directory;
    std::vector<FolderNode> Children;
};

// The host's folder chooser: the directory of the folder the user picked;
// none when the user cancelled.
using FolderChooser = std::function<std::optional<std::filesystem::path>()>;

// A mailbox directory opened as the host's application object: one store
// whose root folder is the mailbox directory itself, in any of the layouts of
// MaildirFolders.h. The objects it hands out
// may outlive it. Paths of linked files go through the installed
// host::FileSystem; item dates through the installed host::System.
class Mailbox {
public:
    // Throws host::HostError when the directory is not a mailbox: neither a
    // Maildir (with cur/ and new/) nor a directory holding one.
    static std::unique_ptr<Mailbox> Open(const std::filesystem::path& root, MailboxOptions options = {});
    ~Mailbox();
    Mailbox(const Mailbox&) = delete;
    Mailbox& operator=(const Mailbox&) = delete;

    // GetNamespace("MAPI"), ActiveExplorer, Name; through IDispatch also
    // CommandBars; the ItemSend of ApplicationEvents.
    com::ComPtr<Outlook::_Application> Application();
    com::ComPtr<Outlook::MAPIFolder> RootFolder();
    const std::filesystem::path& Root() const;
    // The folders as they are on disk now, the store's root at the top.
    FolderNode FolderTree();
    // The folder object of a directory of the mailbox; none when the
    // directory is no folder of it.
    com::ComPtr<Outlook::MAPIFolder> FolderAt(const std::filesystem::path& directory);
    // A folder by its path below the root, components separated by '/', each
    // the folder's name or its name on disk (case-insensitive); the root for
    // an empty path; none if absent.
    com::ComPtr<Outlook::MAPIFolder> FindFolder(std::u16string_view path);
    // One message file of the mailbox (in a folder's cur/ or new/) as an item
    // object (query it for the item interfaces), also by a name the mailbox
    // rewrote since; none when the file is not a message of this mailbox.
    com::ComPtr<IUnknown> OpenMessage(const std::filesystem::path& file);
    // Lines about items that could not be read ("Skipping <file>: <reason>")
    // or were left as they are ("Leaving <file> as it is: <reason>"),
    // collected as they happen.
    std::vector<std::string> TakeWarnings();
    // Lines about messages rewritten under a new file name ("Rewrote <old>
    // as <new>", paths below the root), collected as they happen.
    std::vector<std::string> TakeNotes();

    // What the host's main window shows, as the explorer reports it to
    // add-ins. Showing a folder clears the selection; throws host::HostError
    // when the directory is no folder of the mailbox. Selected files that are
    // not messages of the folder shown are left out.
    void ShowFolder(const std::filesystem::path& directory);
    void Select(const std::vector<std::filesystem::path>& files);
    // What the namespace's PickFolder shows; an empty chooser cancels every pick.
    void SetFolderChooser(FolderChooser chooser);
    // The command bars of the application and its explorer.
    sim::CommandBars& CommandBars();
    // Raises ItemSend for the item; true when no sink cancelled the send.
    bool RaiseItemSend(IUnknown* item);

    // A new message in the "Drafts" folder below the root (made when missing).
    std::unique_ptr<Draft> NewDraft(const DraftStart& start);
    // Sends the draft as far as this machine goes: saves it and raises
    // ItemSend; unless a sink cancelled, saves what the sinks changed and
    // moves the message into the "Sent" folder (made when missing), flagged
    // as seen, after which the draft is done with. False when cancelled: the
    // message stays a draft.
    bool Send(Draft& draft);
private:
    Mailbox(std::shared_ptr<MailboxContext> context, std::u16string userAddress, com::ComPtr<FolderObject> root,
            com::ComPtr<mailstore::Application> application);
    com::ComPtr<FolderObject> FolderObjectAt(const std::filesystem::path& directory);

    std::shared_ptr<MailboxContext> context_;
    std::u16string userAddress_;
    com::ComPtr<FolderObject> root_;
    com::ComPtr<mailstore::Application> application_;
};

}  // namespace mailstore
