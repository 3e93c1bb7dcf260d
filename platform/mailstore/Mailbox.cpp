#include "mailstore/Mailbox.h"

#include <algorithm>
#include <utility>

#include "base/Utf16.h"
#include "host/HostError.h"
#include "mailstore/FolderObject.h"
#include "mailstore/MailboxContext.h"
#include "mailstore/Maildir.h"
#include "mailstore/MaildirFolders.h"
#include "mailstore/MimeRuntime.h"
#include "mailstore/SessionObjects.h"

namespace mailstore {

namespace fs = std::filesystem;

namespace {

std::vector<std::u16string> PathComponents(std::u16string_view path) {
    std::vector<std::u16string> components;
    std::size_t start = 0;
    while (start <= path.size()) {
        const auto end = std::min(path.find(u'/', start), path.size());
        if (end > start) components.emplace_back(path.substr(start, end - start));
        start = end + 1;
    }
    return components;
}

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
    auto context = std::make_shared<MailboxContext>(directory, options.storeName);
    auto session = com::MakeCom<NameSpace>();
    auto rootFolder = com::MakeCom<FolderObject>(context, directory, options.storeName,
                                                 com::ComPtr<IUnknown>(session->Identity()));
    auto explorer = com::MakeCom<Explorer>(com::ComPtr<Outlook::MAPIFolder>(rootFolder));
    auto application = com::MakeCom<mailstore::Application>(session, explorer);
    return std::unique_ptr<Mailbox>(new Mailbox(std::move(context), std::move(rootFolder), std::move(application)));
}

Mailbox::Mailbox(std::shared_ptr<MailboxContext> context, com::ComPtr<FolderObject> root,
                 com::ComPtr<mailstore::Application> application)
    : context_(std::move(context)), root_(std::move(root)), application_(std::move(application)) {}

Mailbox::~Mailbox() = default;

com::ComPtr<Outlook::_Application> Mailbox::Application() { return application_; }

com::ComPtr<Outlook::MAPIFolder> Mailbox::RootFolder() { return root_; }

com::ComPtr<Outlook::MAPIFolder> Mailbox::FindFolder(std::u16string_view path) {
    com::ComPtr<FolderObject> folder = root_;
    for (const auto& component : PathComponents(path)) {
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

    const auto chain = maildir::FolderChain(context_->Root(), maildir::FolderOf(message));
    if (!chain) return nullptr;
    com::ComPtr<FolderObject> folder = root_;
    for (const auto& directory : *chain) folder = folder->SubFolder(directory);
    if (!maildir::IsMaildir(folder->Directory())) return nullptr;
    return folder->MessageItem(message);
}

std::vector<std::string> Mailbox::TakeWarnings() { return context_->TakeWarnings(); }

std::vector<std::string> Mailbox::TakeNotes() { return context_->TakeNotes(); }

}  // namespace mailstore
