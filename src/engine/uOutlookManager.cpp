#include "engine/uOutlookManager.h"

#include <algorithm>

#include "base/Utf16.h"
#include "engine/FileCatalog.h"
#include "engine/SaveRun.h"
#include "host/HostError.h"
#include "host/Platform.h"
#include "mapi/MAPIHelper.h"
#include "util/PathNames.h"
#include "util/SafeNames.h"

namespace velmora {

using com::ComPtr;

namespace {

// Another program removed the item's message while the run went on.
bool ItemVanished(const host::HostError& error) { return error.Code() == HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND); }

}  // namespace

TOutlookManager::RunScope::RunScope(TOutlookManager& engine, const std::vector<std::u16string>& lockedDirectories)
    : engine_(engine) {
    engine_.BeginProcess();
    try {
        lease_ = host::TheRunLocks().Acquire(lockedDirectories);
        engine_.catalog_ = std::make_unique<TFileCatalog>();
    } catch (...) {
        engine_.busy_ = false;
        throw;
    }
}

TOutlookManager::RunScope::~RunScope() {
    engine_.catalog_.reset();
    engine_.busy_ = false;
}

TOutlookManager::TOutlookManager() : config_(std::make_unique<TOutlookManagerConfig>()) {}

TOutlookManager::~TOutlookManager() { Disconnect(); }

void TOutlookManager::Connect(IUnknown* application) {
    if (connected_ && application != nullptr) {
        ComPtr<IUnknown> held = application_.As<IUnknown>();
        ComPtr<IUnknown> offered = ComPtr<IUnknown>(application).As<IUnknown>();
        if (held == offered) return;
    }
    if (connected_) Disconnect();
    try {
        auto app = ComPtr<IUnknown>(application).As<Outlook::_Application>();
        if (!app) throw EOutlookManagerException(u"Interface not supported");
        auto nameSpace = app->GetNamespace(u"MAPI");
        if (!nameSpace) throw EOutlookManagerException(u"No MAPI namespace");
        application_ = app;
        nameSpace_ = nameSpace;
        connected_ = true;
    } catch (const std::exception&) {
        // A connection that does not come about is the caller's to report.
        application_.Reset();
        nameSpace_.Reset();
        connected_ = false;
    }
    ResetCounters();
}

void TOutlookManager::Disconnect() {
    if (!connected_) return;
    mapiHelper_.reset();
    nameSpace_.Reset();
    application_.Reset();
    connected_ = false;
}

void TOutlookManager::ResetCounters() {
    folderCount_ = 0;
    attachmentCount_ = 0;
    messageCount_ = 0;
}

void TOutlookManager::Cancel() {
    if (busy_) cancelled_ = true;
}

void TOutlookManager::BeginProcess() {
    if (busy_) throw EOutlookManagerException(u"A process is already started");
    busy_ = true;
    cancelled_ = false;
}

bool TOutlookManager::GetSelectedFolder(ComPtr<Outlook::MAPIFolder>& folder) {
    folder.Reset();
    if (!connected_) return false;
    try {
        auto explorer = application_->ActiveExplorer();
        if (explorer) folder = explorer->CurrentFolder();
    } catch (const std::exception&) {
        folder.Reset();
    }
    return static_cast<bool>(folder);
}

bool TOutlookManager::GetSelectedItems(TMailSelection& selection) {
    selection.clear();
    if (!connected_) return false;
    try {
        const auto selected = [this] {
            auto explorer = application_->ActiveExplorer();
            if (!explorer) throw EOutlookManagerException(u"No explorer");
            return explorer->Selection();
        };
        const std::int32_t count = selected()->Count();
        selection.reserve(static_cast<size_t>(std::max(count, 0)));
        for (std::int32_t i = 1; i <= count; ++i) {
            auto wrapper = TOutlookItemFactory::CreateItem(selected()->Item(i).Get());
            if (wrapper && wrapper->Initialized()) selection.push_back(std::move(wrapper));
        }
    } catch (const std::exception&) {
        ClearSelection(selection);
    }
    return !selection.empty();
}

bool TOutlookManager::PickFolder(ComPtr<Outlook::MAPIFolder>& folder) {
    if (!connected_) throw EOutlookManagerException(u"Error connecting to Outlook application");
    folder = nameSpace_->PickFolder();
    return static_cast<bool>(folder);
}

void TOutlookManager::ClearSelection(TMailSelection& selection) { selection.clear(); }

void TOutlookManager::SaveFolder(const std::u16string& dir, Outlook::MAPIFolder* folder, bool subFolders,
                                 bool remove) {
    RunSave(dir, remove, [&] {
        std::u16string target = dir;
        if (config_->UseFolderNameAsDir() && folder != nullptr) target = JoinPath(target, GetFolderPath(folder));
        ProcessFolder(target, folder, subFolders, remove);
    });
}

void TOutlookManager::SaveSelection(const std::u16string& dir, TMailSelection& selection, bool remove) {
    RunSave(dir, remove, [&] {
        std::u16string target = dir;
        if (config_->UseFolderNameAsDir() && !selection.empty()) {
            auto folder = selection.front()->GetParentFolder();
            if (!folder) throw EOutlookManagerException(u"Interface not supported");
            target = JoinPath(target, GetFolderPath(folder.Get()));
        }
        for (auto& item : selection) {
            try {
                ProcessItem(target, *item, nullptr, remove);
            } catch (const host::HostError& error) {
                if (!ItemVanished(error)) throw;
            }
            // A cancel stops the run between items too, not only within one.
            if (cancelled_) return;
        }
    });
}

void TOutlookManager::EnterFolder(Outlook::MAPIFolder& folder) {
    ++folderCount_;
    if (OnProcessFolder) OnProcessFolder(*this, folder.Name());
}

std::u16string TOutlookManager::SubFolderDirectory(const std::u16string& dir, Outlook::MAPIFolder& folder) {
    if (!config_->UseFolderNameAsDir()) return dir;
    return JoinPath(dir, MakeSafeName(SanitizeFolderName(folder.Name())));
}

void TOutlookManager::ProcessFolder(const std::u16string& dir, Outlook::MAPIFolder* folder, bool subFolders,
                                    bool remove) {
    if (folder == nullptr) return;
    EnterFolder(*folder);
    for (std::int32_t i = folder->Items()->Count(); i >= 1; --i) {
        if (auto item = GetFolderItem(folder, i); item && item->Initialized()) {
            TOutlookItem& wrapper = *item;
            try {
                ProcessItem(dir, wrapper, std::move(item), remove);
            } catch (const host::HostError& error) {
                if (!ItemVanished(error)) throw;
            }
        }
        if (cancelled_) return;
    }
    if (!subFolders) return;
    for (std::int32_t j = folder->Folders()->Count(); j >= 1; --j) {
        auto subFolder = folder->Folders()->Item(j);
        ProcessFolder(SubFolderDirectory(dir, *subFolder), subFolder.Get(), true, remove);
        if (cancelled_) return;
    }
}

std::unique_ptr<TOutlookItem> TOutlookManager::GetFolderItem(Outlook::MAPIFolder* folder, std::int32_t index) {
    try {
        return TOutlookItemFactory::CreateItem(folder->Items()->Item(index).Get());
    } catch (const std::exception&) {
        return nullptr;
    }
}

std::u16string TOutlookManager::GetFolderPath(Outlook::MAPIFolder* folder) {
    const std::u16string name = MakeSafeName(SanitizeFolderName(folder->Name()));
    auto parent = folder->Parent().As<Outlook::MAPIFolder>();
    if (!parent) return name;
    // A parent without a folder above it is its store's root, which is never part of the path.
    if (!parent->Parent().As<Outlook::MAPIFolder>()) return name;
    return JoinPath(GetFolderPath(parent.Get()), name);
}

std::u16string TOutlookManager::SanitizeFolderName(const std::u16string& name) {
    std::u16string result = name;
    for (auto& c : result) {
        switch (c) {
        case u'\\':
        case u'/':
        case u'?':
        case u'*':
        case u':':
        case u'<':
        case u'>':
        case u'"':
        case u'\u00A5':
            c = u' ';
            break;
        default:
            break;
        }
    }
    return result;
}

void TOutlookManager::ReportStatus(const std::u16string& fileName, const std::u16string& dir,
                                   TAttachmentStatus status) {
    if (OnAttachmentStatus) OnAttachmentStatus(*this, fileName, dir, status);
}

void TOutlookManager::ReportMail(TOutlookItem& item) {
    if (OnProcessMail) OnProcessMail(*this, item.GetSubject());
}

}  // namespace velmora
