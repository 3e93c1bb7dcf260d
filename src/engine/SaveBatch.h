#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "engine/FileCatalog.h"
#include "engine/uOutlookItem.h"
#include "host/Catalog.h"
#include "host/FileSystem.h"
#include "host/Outlook.h"

namespace velmora {

// The items of a save run whose attachments have been written, waiting to
// be rewritten. Before any item of the batch is saved, the files its
// attachments went to are on stable storage and recorded in the catalog
// (when the run removes attachments: otherwise nothing can be lost and
// nothing is flushed), so a run killed at any point leaves every attachment
// in its item or in a recorded file; the cost is one flush per batch rather
// than one per file.
class TSaveBatch {
public:
    static constexpr std::size_t kMaxItems = 64;
    static constexpr std::uint64_t kMaxBytes = 64ull * 1024 * 1024;
    // Files held open to be flushed with the batch: far below the number a
    // process may hold open. Beyond it (an item of very many attachments)
    // they are flushed and closed early.
    static constexpr std::size_t kMaxOpenFiles = 256;

    // store: where the batch's saves are held and committed together (none:
    // each save is durable by itself).
    TSaveBatch(TFileCatalog& catalog, Outlook::_NameSpace* store, bool removing);
    ~TSaveBatch();
    TSaveBatch(const TSaveBatch&) = delete;
    TSaveBatch& operator=(const TSaveBatch&) = delete;

    bool Removing() const { return removing_; }

    // A file the run placed; kept open until the batch is flushed.
    void AddFile(std::unique_ptr<host::NewFile> file, host::Directory& directory, std::uint64_t size);
    // An entry for the item in progress, recorded when the item is done.
    void Record(host::CatalogEntry entry);
    // Entries with that hash in that directory, recorded or of the item in progress.
    std::vector<host::CatalogEntry> FindIdentical(const std::string& sha256, const std::u16string& directoryKey);
    // The entries of the item in progress, as recorded so far.
    std::vector<host::CatalogEntry>& Pending() { return pending_; }

    // The item in progress is done: its entries are recorded, and it is
    // saved with the batch when modified. owned keeps the wrapper alive
    // until then (none when the caller keeps it).
    void ItemDone(TOutlookItem& item, std::unique_ptr<TOutlookItem> owned, bool modified);
    // The item in progress was left (cancelled or failed): its entries go.
    void ItemLeft() { pending_.clear(); }

    bool Full() const { return items_.size() >= kMaxItems || bytes_ >= kMaxBytes; }
    // Files to stable storage, entries committed, then the items saved, all
    // of them made durable together by the store. An item whose message
    // another program removed meanwhile is skipped.
    void Flush();
    // Flush on the way out of a failed run: whatever fails is left as it is.
    void FlushAfterFailure() noexcept;

private:
    struct PendingItem {
        TOutlookItem* item;
        std::unique_ptr<TOutlookItem> owned;
    };

    void SyncFiles();

    TFileCatalog& catalog_;
    Outlook::_NameSpace* store_;
    bool removing_;
    std::vector<std::unique_ptr<host::NewFile>> files_;
    std::vector<host::Directory*> directories_;
    std::vector<host::CatalogEntry> pending_;
    std::vector<PendingItem> items_;
    std::uint64_t bytes_ = 0;
};

}  // namespace velmora
