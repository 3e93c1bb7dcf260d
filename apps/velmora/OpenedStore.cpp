#include "velmora/OpenedStore.h"

#include "base/Exception.h"
#include "base/Utf16.h"
#include "imapstore/Account.h"
#include "mailstore/Mailbox.h"
#include "posix/system/FlockRunLocks.h"
#include "velmora/ImapPassword.h"

namespace velmora::cli {

namespace {

namespace fs = std::filesystem;

class MailboxStore final : public OpenedStore {
public:
    explicit MailboxStore(std::unique_ptr<mailstore::Mailbox> mailbox) : mailbox_(std::move(mailbox)) {}

    com::ComPtr<Outlook::_Application> Application() override { return mailbox_->Application(); }
    com::ComPtr<Outlook::MAPIFolder> FindFolder(std::u16string_view path) override {
        return mailbox_->FindFolder(path);
    }
    com::ComPtr<IUnknown> OpenMessage(const fs::path& file) override { return mailbox_->OpenMessage(file); }
    std::vector<std::string> TakeWarnings() override { return mailbox_->TakeWarnings(); }
    std::vector<std::string> TakeNotes() override { return mailbox_->TakeNotes(); }
    void Finish() override {}
    void CheckAfterRun() override {}

private:
    std::unique_ptr<mailstore::Mailbox> mailbox_;
};

class AccountStore final : public OpenedStore {
public:
    explicit AccountStore(std::unique_ptr<imapstore::Account> account) : account_(std::move(account)) {}

    com::ComPtr<Outlook::_Application> Application() override { return account_->Application(); }
    com::ComPtr<Outlook::MAPIFolder> FindFolder(std::u16string_view path) override {
        return account_->FindFolder(path);
    }
    com::ComPtr<IUnknown> OpenMessage(const fs::path&) override { return nullptr; }
    std::vector<std::string> TakeWarnings() override { return account_->TakeWarnings(); }
    std::vector<std::string> TakeNotes() override { return account_->TakeNotes(); }
    void Finish() override { account_->Finish(); }
    // The engine skips items it cannot reach: a connection given up on
    // leaves the rest of the run undone, which is a failure.
    void CheckAfterRun() override {
        if (const std::string problem = account_->ConnectionProblem(); !problem.empty()) {
            throw Exception(FromUtf8(problem + "; the messages not reached were left as they were"));
        }
    }

private:
    std::unique_ptr<imapstore::Account> account_;
};

imapstore::AccountUrl UrlOf(const Request& request) {
    std::string reason;
    auto url = imapstore::AccountUrl::Parse(request.mailbox, reason);
    if (!url) throw Exception(FromUtf8("Not an IMAP account's URL: " + reason));
    return *url;
}

}  // namespace

std::unique_ptr<OpenedStore> OpenStore(const Request& request) {
    if (!imapstore::AccountUrl::LooksLikeOne(request.mailbox)) {
        mailstore::MailboxOptions options;
        options.includeSigned = request.includeSigned;
        return std::make_unique<MailboxStore>(mailstore::Mailbox::Open(fs::path(request.mailbox), options));
    }
    imapstore::AccountOptions options;
    options.session.url = UrlOf(request);
    options.session.password = ImapPassword(request, options.session.url);
    options.session.caFile = request.caFile;
    options.includeSigned = request.includeSigned;
    return std::make_unique<AccountStore>(imapstore::Account::Open(std::move(options)));
}

fs::path StoreLockFile(const Request& request, const fs::path& lockDirectory) {
    if (!imapstore::AccountUrl::LooksLikeOne(request.mailbox)) {
        return fs::absolute(fs::path(request.mailbox)).lexically_normal() / ".velmora.lock";
    }
    return lockDirectory / posix::FlockRunLocks::LockName("account", UrlOf(request).Text());
}

}  // namespace velmora::cli
