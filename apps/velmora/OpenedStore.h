#pragma once

#include <filesystem>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "com/ComPtr.h"
#include "host/Outlook.h"
#include "velmora/CommandLine.h"

namespace velmora::cli {

// The store a run works on, a mailbox directory or an IMAP account, as the
// operations use it.
class OpenedStore {
public:
    virtual ~OpenedStore() = default;

    virtual com::ComPtr<Outlook::_Application> Application() = 0;
    // See mailstore::Mailbox::FindFolder.
    virtual com::ComPtr<Outlook::MAPIFolder> FindFolder(std::u16string_view path) = 0;
    // A message file of a mailbox directory as an item object; none when it
    // is no message of the store.
    virtual com::ComPtr<IUnknown> OpenMessage(const std::filesystem::path& file) = 0;
    virtual std::vector<std::string> TakeWarnings() = 0;
    virtual std::vector<std::string> TakeNotes() = 0;
    // Completes what the store left for later during the run (an IMAP
    // account's expunges); failures become warnings.
    virtual void Finish() = 0;
    // Throws velmora::Exception when the store failed during the run in a
    // way the engine could not tell (an IMAP connection given up on).
    virtual void CheckAfterRun() = 0;
};

// Opens the request's mailbox: an IMAP account when it is given by URL
// (its password through ImapPassword), a mailbox directory otherwise.
// Throws host::HostError or velmora::Exception when it cannot.
std::unique_ptr<OpenedStore> OpenStore(const Request& request);

// The file that locks the request's store for a run: the mailbox's own
// lock file in its root, or for an IMAP account one in lockDirectory named
// by the account's URL.
std::filesystem::path StoreLockFile(const Request& request, const std::filesystem::path& lockDirectory);

}  // namespace velmora::cli
