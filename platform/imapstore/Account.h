#pragma once

#include <filesystem>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "com/ComPtr.h"
#include "host/Outlook.h"
#include "imapstore/ImapSession.h"

namespace imapstore {

class AccountContext;
class FolderObject;

struct AccountOptions {
    SessionSettings session;
    std::u16string storeName = u"Mailbox";
    // As mailstore::MailboxOptions::includeSigned.
    bool includeSigned = false;
};

// An IMAP account opened as the host's application object: one store whose
// root holds the account's folders as LIST gives them (modified UTF-7 names
// decoded), each folder's items its messages. Objects it hands out may
// outlive it. The connection is made when it opens and kept for the run.
class Account {
public:
    // host::HostError when the account cannot be reached, made secure or
    // logged into.
    static std::unique_ptr<Account> Open(AccountOptions options);
    ~Account();
    Account(const Account&) = delete;
    Account& operator=(const Account&) = delete;

    // GetNamespace("MAPI") and Name; no explorer.
    com::ComPtr<Outlook::_Application> Application();
    // A folder by its path below the root, components separated by '/', each
    // the folder's name as shown or as the server writes it (case-insensitive);
    // the root for an empty path; none if absent.
    com::ComPtr<Outlook::MAPIFolder> FindFolder(std::u16string_view path);
    // Lines about messages skipped or left as they are, and about the
    // connection breaking and coming back, collected as they happen.
    std::vector<std::string> TakeWarnings();
    // Lines about rewritten messages ("Rewrote <message> as UID <n>").
    std::vector<std::string> TakeNotes();
    // Expunges the old messages of rewrites that still wait (see
    // Connection::ExpungeLater); what fails is a warning.
    void Finish();
    // Why the connection was given up during the run; empty while it works.
    std::string ConnectionProblem() const;

private:
    Account(std::shared_ptr<AccountContext> context, com::ComPtr<FolderObject> root,
            com::ComPtr<Outlook::_Application> application);

    std::shared_ptr<AccountContext> context_;
    com::ComPtr<FolderObject> root_;
    com::ComPtr<Outlook::_Application> application_;
};

}  // namespace imapstore
