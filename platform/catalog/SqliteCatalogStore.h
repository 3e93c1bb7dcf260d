#pragma once

#include <filesystem>
#include <memory>

#include "catalog/CatalogConnection.h"
#include "host/Catalog.h"

namespace catalog {

// The catalog of saved files in an SQLite file that runs of several mailboxes
// share: a run waits up to a minute for another's transaction before failing
// with ERROR_LOCK_VIOLATION. One object serves one thread at a time.
//
// Update of an Id that is not there fails; Remove of one does nothing, as
// another run may have removed it. Outside a transaction, ForEach reads the
// entries a few hundred at a time, each lot as it is at that moment.
class SqliteCatalogStore final : public host::CatalogStore {
public:
    // Opens the catalog file, creating it when missing; the folder that is to
    // hold it must exist. Throws host::HostError.
    explicit SqliteCatalogStore(const std::filesystem::path& file);
    ~SqliteCatalogStore() override;

    void Begin() override;
    void Commit(bool durable) override;
    void Rollback() override;
    bool InTransaction() const override;

    std::int64_t Add(const host::CatalogEntry& entry) override;
    void Update(const host::CatalogEntry& entry) override;
    void Remove(std::int64_t id) override;

    std::optional<host::CatalogEntry> FindByLink(std::u16string_view linkId) override;
    std::vector<host::CatalogEntry> FindByPath(std::u16string_view pathKey) override;
    std::vector<host::CatalogEntry> FindByHash(std::string_view sha256, std::u16string_view directoryKey) override;
    std::vector<host::CatalogEntry> FindByItem(std::u16string_view itemId) override;
    void ForEach(const std::function<void(const host::CatalogEntry&)>& visit) override;

private:
    struct Statements;

    // Runs a change in the open transaction, or alone as a durable one.
    void Change(const std::function<void()>& change);

    CatalogConnection connection_;
    std::unique_ptr<Statements> statements_;
};

}  // namespace catalog
