#include "imapstore/Account.h"

#include <algorithm>
#include <utility>

#include "base/Format.h"
#include "base/Utf16.h"
#include "host/HostError.h"
#include "imapstore/AccountContext.h"
#include "imapstore/FolderObject.h"
#include "mailstore/FolderPath.h"
#include "mailstore/SessionObjects.h"

namespace imapstore {

namespace {

// The application object of an account: the "MAPI" namespace, and no
// window to show folders in.
class AccountApplication final : public com::ComObject<Outlook::_Application> {
public:
    explicit AccountApplication(com::ComPtr<mailstore::NameSpace> session) : session_(std::move(session)) {}

    com::ComPtr<Outlook::_NameSpace> GetNamespace(const std::u16string& type) override {
        if (!velmora::SameText(type, u"MAPI")) {
            throw host::HostError(E_INVALIDARG, velmora::Format(u"There is no namespace of type %s.", {type}));
        }
        return session_;
    }
    com::ComPtr<Outlook::Explorer> ActiveExplorer() override { return nullptr; }
    std::u16string Name() override { return u"Outlook"; }

private:
    com::ComPtr<mailstore::NameSpace> session_;
};

}  // namespace

std::unique_ptr<Account> Account::Open(AccountOptions options) {
    auto context = std::make_shared<AccountContext>(std::move(options.session), options.includeSigned);
    context->Link().Open();
    auto listed = context->Link().Run("", [](ImapSession& session) { return session.List(); });
    auto tree = std::make_shared<const FolderNode>(BuildFolderTree(listed));
    auto session = com::MakeCom<mailstore::NameSpace>();
    auto root = com::MakeCom<FolderObject>(context, tree, options.storeName, u"",
                                           com::ComPtr<IUnknown>(session->Identity()));
    auto application = com::MakeCom<AccountApplication>(session);
    return std::unique_ptr<Account>(new Account(std::move(context), std::move(root), std::move(application)));
}

Account::Account(std::shared_ptr<AccountContext> context, com::ComPtr<FolderObject> root,
                 com::ComPtr<Outlook::_Application> application)
    : context_(std::move(context)), root_(std::move(root)), application_(std::move(application)) {}

Account::~Account() = default;

com::ComPtr<Outlook::_Application> Account::Application() { return application_; }

com::ComPtr<Outlook::MAPIFolder> Account::FindFolder(std::u16string_view path) {
    com::ComPtr<FolderObject> folder = root_;
    for (const auto& component : mailstore::FolderPathComponents(path)) {
        const FolderNode* next = nullptr;
        for (const FolderNode& child : folder->Node().children) {
            if (velmora::SameText(child.shown, component) ||
                velmora::SameText(velmora::FromUtf8(child.component), component)) {
                next = &child;
                break;
            }
        }
        if (next == nullptr) return nullptr;
        folder = folder->SubFolder(*next);
    }
    return folder;
}

std::vector<std::string> Account::TakeWarnings() {
    std::vector<std::string> lines = context_->Link().TakeEvents();
    for (auto& line : context_->TakeWarnings()) lines.push_back(std::move(line));
    return lines;
}

std::vector<std::string> Account::TakeNotes() { return context_->TakeNotes(); }

void Account::Finish() { context_->Link().ExpungeWaiting(); }

std::string Account::ConnectionProblem() const { return context_->Link().Problem(); }

}  // namespace imapstore
