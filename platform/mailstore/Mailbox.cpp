#include "mailstore/Mailbox.h"

#include <algorithm>
#include <utility>

#include "base/Utf16.h"
#include "host/HostError.h"
#include "mailstore/Draft.h"
#include "mailstore/DraftMessage.h"
#include "mailstore/FolderObject.h"
#include "mailstore/FolderPath.h"
#include "mailstore/ItemObject.h"
#include "mailstore/MailboxContext.h"
#include "mailstore/Maildir.h"
#include "mailstore/MaildirMessage.h"
#include "mailstore/MaildirFolders.h"
#include "mailstore/MimeRuntime.h"
#include "mailstore/NewMessageFile.h"
#include "mailstore/SessionObjects.h"
#include "sim/CommandBars.h"

namespace mailstore {

namespace fs = std::filesystem;

namespace {

fs::path Normal(const fs::path& path) {
    std::error_code error;
    const fs::path canonical = fs::weakly_canonical(fs::absolute(path, error), error);
    return error ? fs::absolute(path).lexically_normal() : canonical;
}

}  // namespace

std::unique_ptr<Mailbox> Mailbox::Open(const fs::path& root, MailboxOptions options) {
    EnsureMimeRuntime();
    const fs::path directory = Normal(root);
    if (!maildir::IsMailbox(directory)) {
        throw host::HostError(HRESULT_FROM_WIN32(ERROR_PATH_NOT_FOUND),
                              u"The directory " + velmora::FromUtf8(directory.string()) +
                                  u" is not a mailbox: neither it nor any directory below it is a Maildir folder "
                                  u"(with cur and new).");
    }
    auto context = std::make_shared<MailboxContext>(directory, options.storeName, options.includeSigned);
    auto session = com::MakeCom<NameSpace>(context);
    auto rootFolder = com::MakeCom<FolderObject>(context, directory, options.storeName,
                                                 com::ComPtr<IUnknown>(session->Identity()));
    auto bars = com::MakeCom<sim::CommandBars>();
    auto explorer = com::MakeCom<Explorer>(rootFolder, bars);
    auto application = com::MakeCom<mailstore::Application>(session, explorer, bars);
    return std::unique_ptr<Mailbox>(new Mailbox(std::move(context), std::move(options.userAddress),
                                                std::move(rootFolder), std::move(application)));
}

Mailbox::Mailbox(std::shared_ptr<MailboxContext> context, std::u16string userAddress, com::ComPtr<FolderObject> root,
                 com::ComPtr<mailstore::Application> application)
    : context_(std::move(context)),
      userAddress_(std::move(userAddress)),
      root_(std::move(root)),
      application_(std::move(application)) {}

// The chooser may reach this mailbox; the namespace may outlive it.
Mailbox::~Mailbox() { SetFolderChooser(nullptr); }

com::ComPtr<Outlook::_Application> Mailbox::Application() { return application_; }

com::ComPtr<Outlook::MAPIFolder> Mailbox::RootFolder() { return root_; }

const fs::path& Mailbox::Root() const { return context_->Root(); }

FolderNode Mailbox::FolderTree() {
    const std::function<FolderNode(const fs::path&, std::u16string)> node = [&](const fs::path& directory,
                                                                                std::u16string name) {
        FolderNode folder{std::move(name), directory, {}};
        for (const auto& sub : maildir::SubFolders(context_->Root(), directory)) {
            folder.Children.push_back(node(sub, maildir::FolderName(sub)));
        }
        return folder;
    };
    return node(context_->Root(), context_->StoreName());
}

com::ComPtr<Outlook::MAPIFolder> Mailbox::FolderAt(const fs::path& directory) { return FolderObjectAt(directory); }

com::ComPtr<FolderObject> Mailbox::FolderObjectAt(const fs::path& directory) {
    const auto chain = maildir::FolderChain(context_->Root(), Normal(directory));
    if (!chain) return nullptr;
    com::ComPtr<FolderObject> folder = root_;
    for (const auto& step : *chain) folder = folder->SubFolder(step);
    return folder;
}

com::ComPtr<Outlook::MAPIFolder> Mailbox::FindFolder(std::u16string_view path) {
    com::ComPtr<FolderObject> folder = root_;
    for (const auto& component : FolderPathComponents(path)) {
        com::ComPtr<FolderObject> next;
        for (const auto& directory : maildir::SubFolders(context_->Root(), folder->Directory())) {
            if (velmora::SameText(maildir::FolderName(directory), component) ||
                velmora::SameText(velmora::FromUtf8(maildir::FolderNameOnDisk(directory)), component)) {
                next = folder->SubFolder(directory);
                break;
            }
        }
        if (!next) return nullptr;
        folder = next;
    }
    return folder;
}

com::ComPtr<IUnknown> Mailbox::OpenMessage(const fs::path& file) {
    const fs::path message = context_->Latest(Normal(file));
    const std::string box = message.parent_path().filename().string();
    std::error_code error;
    if ((box != "cur" && box != "new") || !fs::is_regular_file(message, error)) return nullptr;

    com::ComPtr<FolderObject> folder = FolderObjectAt(maildir::FolderOf(message));
    if (!folder || !maildir::IsMaildir(folder->Directory())) return nullptr;
    return folder->MessageItem(message);
}

std::vector<std::string> Mailbox::TakeWarnings() { return context_->TakeWarnings(); }

void Mailbox::ShowFolder(const fs::path& directory) {
    com::ComPtr<FolderObject> folder = FolderObjectAt(directory);
    if (!folder) {
        throw host::HostError(HRESULT_FROM_WIN32(ERROR_PATH_NOT_FOUND),
                              u"The directory " + velmora::FromUtf8(directory.string()) +
                                  u" is no folder of the mailbox.");
    }
    application_->MainExplorer().ShowFolder(std::move(folder));
}

void Mailbox::Select(const std::vector<fs::path>& files) {
    FolderObject& folder = application_->MainExplorer().ShownFolder();
    std::vector<com::ComPtr<IUnknown>> items;
    for (const auto& file : files) {
        const fs::path message = Normal(file);
        const std::string box = message.parent_path().filename().string();
        if ((box == "cur" || box == "new") && maildir::FolderOf(message) == folder.Directory()) {
            items.push_back(folder.MessageItem(message));
        }
    }
    application_->MainExplorer().Select(std::move(items));
}

void Mailbox::SetFolderChooser(FolderChooser chooser) {
    if (!chooser) {
        application_->Session().SetFolderPicker(nullptr);
        return;
    }
    application_->Session().SetFolderPicker([this, chooser = std::move(chooser)]() -> com::ComPtr<Outlook::MAPIFolder> {
        const std::optional<fs::path> picked = chooser();
        return picked ? FolderAt(*picked) : nullptr;
    });
}

sim::CommandBars& Mailbox::CommandBars() { return application_->Bars(); }

bool Mailbox::RaiseItemSend(IUnknown* item) { return application_->RaiseItemSend(item); }

std::unique_ptr<Draft> Mailbox::NewDraft(const DraftStart& start) {
    const fs::path folder = EnsureTopFolder(context_->Root(), "Drafts");
    const fs::path file = DeliverMessage(folder, ComposeMessage(start, userAddress_).get(), "D");
    com::ComPtr<FolderObject> parent = FolderObjectAt(folder);
    auto source = std::make_unique<MaildirMessage>(context_, file);
    MaildirMessage& message = *source;
    return std::make_unique<Draft>(
        com::MakeCom<ItemObject>(context_, std::move(source), com::ComPtr<IUnknown>(parent->Identity())), message);
}

bool Mailbox::Send(Draft& draft) {
    draft.Save();
    if (!RaiseItemSend(draft.Item().Get())) return false;
    draft.Save();
    MoveMessage(draft.File(), EnsureTopFolder(context_->Root(), "Sent"), "S");
    return true;
}

std::vector<std::string> Mailbox::TakeNotes() { return context_->TakeNotes(); }

}  // namespace mailstore
