#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "base/DateTime.h"
#include "host/FileSystem.h"

namespace host {

// How the item that an attachment was taken from refers to the saved file.
enum class CatalogReference : std::int32_t {
    Copy = 0,  // the attachment stayed in the item; the file is a copy
    Link = 1,  // a link attachment names the file
    Body = 2,  // a reference in the body names the file
    None = 3,  // the attachment was removed with nothing in its place
    // The attachment is back in its item, and the file is to be deleted as
    // soon as nothing else needs it.
    Reintroduced = 4,
};

// One saved file and the attachment it holds.
struct CatalogEntry {
    std::int64_t Id = 0;
    std::u16string Path;          // the file's Windows path, as links name it
    std::u16string PathKey;       // the path resolved and folded: how paths compare
    std::u16string DirectoryKey;  // the key of the file's directory
    std::uint64_t Size = 0;
    std::string Sha256;           // 64 lower-case hexadecimal digits
    // The file as it was when recorded; unchanged, it need not be hashed again.
    std::uint64_t Device = 0;
    std::uint64_t FileId = 0;
    FileTime LastWriteTime = 0;
    velmora::TDateTime SavedAt = 0;  // local time
    CatalogReference Reference = CatalogReference::Copy;
    std::u16string ItemId;        // the item's EntryID when the attachment was saved
    std::u16string LinkId;        // the link's identity in its item; empty unless Reference is Link
    std::u16string Subject;       // the item's subject, for people reading the catalog
    std::u16string OriginalName;  // the attachment's file name before it became a file name
    std::u16string PartProperties;  // the host's description of the part, given back on reintroduce
};

// Where the catalog of saved files is kept: one per user. Lookups see the
// changes of the open transaction. Failures throw host::HostError.
class CatalogStore {
public:
    virtual ~CatalogStore() = default;

    // Changes from Begin to Commit happen together or not at all. Commit with
    // durable reaches stable storage before it returns; without, a crash may
    // lose the transaction but never damage the catalog.
    virtual void Begin() = 0;
    virtual void Commit(bool durable) = 0;
    virtual void Rollback() = 0;
    virtual bool InTransaction() const = 0;

    // Returns the new entry's Id.
    virtual std::int64_t Add(const CatalogEntry& entry) = 0;
    // Every field but Id, of the entry with that Id.
    virtual void Update(const CatalogEntry& entry) = 0;
    virtual void Remove(std::int64_t id) = 0;

    // Links that a host cannot tell apart (two links of one item to one file)
    // share an identity: each has an entry, and this finds the oldest.
    virtual std::optional<CatalogEntry> FindByLink(std::u16string_view linkId) = 0;
    virtual std::vector<CatalogEntry> FindByPath(std::u16string_view pathKey) = 0;
    virtual std::vector<CatalogEntry> FindByHash(std::string_view sha256, std::u16string_view directoryKey) = 0;
    virtual std::vector<CatalogEntry> FindByItem(std::u16string_view itemId) = 0;
    // Every entry, in the order they were added.
    virtual void ForEach(const std::function<void(const CatalogEntry&)>& visit) = 0;
};

}  // namespace host
