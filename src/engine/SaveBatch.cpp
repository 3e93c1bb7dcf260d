#include "engine/SaveBatch.h"

#include <algorithm>

#include "host/HostError.h"

namespace velmora {

TSaveBatch::TSaveBatch(TFileCatalog& catalog, Outlook::_NameSpace* store, bool removing)
    : catalog_(catalog), store_(store), removing_(removing) {}

TSaveBatch::~TSaveBatch() {
    // A batch not flushed records nothing: its items were not saved either.
    if (catalog_.Store().InTransaction()) {
        try {
            catalog_.Store().Rollback();
        } catch (const std::exception&) {
            // The transaction ends with the connection anyway.
        }
    }
}

void TSaveBatch::AddFile(std::unique_ptr<host::NewFile> file, host::Directory& directory, std::uint64_t size) {
    if (files_.size() >= kMaxOpenFiles) {
        if (removing_) {
            for (auto& held : files_) held->Sync();
        }
        files_.clear();
    }
    files_.push_back(std::move(file));
    if (std::find(directories_.begin(), directories_.end(), &directory) == directories_.end()) {
        directories_.push_back(&directory);
    }
    bytes_ += size;
}

void TSaveBatch::Record(host::CatalogEntry entry) { pending_.push_back(std::move(entry)); }

std::vector<host::CatalogEntry> TSaveBatch::FindIdentical(const std::string& sha256,
                                                          const std::u16string& directoryKey) {
    std::vector<host::CatalogEntry> found = catalog_.Store().FindByHash(sha256, directoryKey);
    for (const auto& entry : pending_) {
        if (entry.Sha256 == sha256 && entry.DirectoryKey == directoryKey) found.push_back(entry);
    }
    return found;
}

void TSaveBatch::ItemDone(TOutlookItem& item, std::unique_ptr<TOutlookItem> owned, bool modified) {
    if (!pending_.empty()) {
        auto& store = catalog_.Store();
        if (!store.InTransaction()) store.Begin();
        for (const auto& entry : pending_) store.Add(entry);
        pending_.clear();
    }
    if (modified) items_.push_back({&item, std::move(owned)});
}

void TSaveBatch::SyncFiles() {
    for (auto& file : files_) file->Sync();
    for (auto* directory : directories_) directory->Sync();
}

void TSaveBatch::Flush() {
    if (removing_) SyncFiles();
    auto& store = catalog_.Store();
    if (store.InTransaction()) store.Commit(removing_);
    auto items = std::move(items_);
    items_.clear();
    files_.clear();
    directories_.clear();
    bytes_ = 0;
    if (items.empty()) return;
    if (store_ != nullptr) store_->HoldSaves();
    try {
        for (auto& pending : items) {
            try {
                pending.item->Save();
            } catch (const host::HostError& error) {
                // Its attachments are still in it, and their files are recorded copies.
                if (error.Code() != HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND)) throw;
            }
        }
    } catch (...) {
        // What was saved before the failure still goes in.
        if (store_ != nullptr) store_->CommitSaves();
        throw;
    }
    if (store_ != nullptr) store_->CommitSaves();
}

void TSaveBatch::FlushAfterFailure() noexcept {
    pending_.clear();
    try {
        Flush();
    } catch (const std::exception&) {
        // The run already failed; what did not reach the disk stays in the items.
    }
}

}  // namespace velmora
