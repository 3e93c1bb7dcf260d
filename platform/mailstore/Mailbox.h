#pragma once

#include <filesystem>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "com/ComPtr.h"
#include "host/Outlook.h"

namespace mailstore {

class MailboxContext;
class FolderObject;
class Application;

struct MailboxOptions {
    std::u16string storeName = u"Mailbox";
};

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

    // GetNamespace("MAPI"), ActiveExplorer, Name.
    com::ComPtr<Outlook::_Application> Application();
    com::ComPtr<Outlook::MAPIFolder> RootFolder();
    // A folder by its path below the root, components separated by '/', each
    // the folder's name or its name on disk (case-insensitive); the root for
    // an empty path; none if absent.
    com::ComPtr<Outlook::MAPIFolder> FindFolder(std::u16string_view path);
    // One message file of the mailbox (in a folder's cur/ or new/) as an item
    // object (query it for the item interfaces), also by a name the mailbox
    // rewrote since; none when the file is not a message of this mailbox.
    com::ComPtr<IUnknown> OpenMessage(const std::filesystem::path& file);
    // Lines about items that could not be read ("Skipping <file>: <reason>"),
    // collected as they happen.
    std::vector<std::string> TakeWarnings();
    // Lines about messages rewritten under a new file name ("Rewrote <old>
    // as <new>", paths below the root), collected as they happen.
    std::vector<std::string> TakeNotes();

private:
    Mailbox(std::shared_ptr<MailboxContext> context, com::ComPtr<FolderObject> root,
            com::ComPtr<mailstore::Application> application);

    std::shared_ptr<MailboxContext> context_;
    com::ComPtr<FolderObject> root_;
    com::ComPtr<mailstore::Application> application_;
};

}  // namespace mailstore
