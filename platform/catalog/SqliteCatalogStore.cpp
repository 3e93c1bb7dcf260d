#include "catalog/SqliteCatalogStore.h"

#include <limits>

#include "catalog/CatalogErrors.h"
#include "catalog/CatalogRows.h"
#include "catalog/CatalogSchema.h"
#include "catalog/CatalogStatement.h"
#include "host/HostError.h"

namespace catalog {

namespace {

// Entries ForEach reads before it visits them, so that a visitor may use the
// store, even change it, while no query is running.
constexpr std::int64_t kForEachLot = 256;

std::vector<host::CatalogEntry> ReadAll(CatalogStatement& query) {
    std::vector<host::CatalogEntry> entries;
    while (query.Step()) entries.push_back(ReadEntry(query));
    return entries;
}

}  // namespace

struct SqliteCatalogStore::Statements {
    explicit Statements(CatalogConnection& connection)
        : begin(connection, "BEGIN IMMEDIATE"),
          commit(connection, "COMMIT"),
          rollback(connection, "ROLLBACK"),
          insert(connection, InsertEntrySql()),
          update(connection, UpdateEntrySql()),
          remove(connection, "DELETE FROM saved_files WHERE id = ?1"),
          // The second term lets the planner use the index, which holds only links.
          byLink(connection, SelectEntriesSql("link_id = ?1 AND link_id <> '' ORDER BY id LIMIT 1")),
          byPath(connection, SelectEntriesSql("path_key = ?1 ORDER BY id")),
          byHash(connection, SelectEntriesSql("sha256 = ?1 AND directory_key = ?2 ORDER BY id")),
          byItem(connection, SelectEntriesSql("item_id = ?1 ORDER BY id")),
          lot(connection, SelectEntriesSql("id > ?1 ORDER BY id LIMIT ?2")) {}

    CatalogStatement begin;
    CatalogStatement commit;
    CatalogStatement rollback;
    CatalogStatement insert;
    CatalogStatement update;
    CatalogStatement remove;
    CatalogStatement byLink;
    CatalogStatement byPath;
    CatalogStatement byHash;
    CatalogStatement byItem;
    CatalogStatement lot;
};

SqliteCatalogStore::SqliteCatalogStore(const std::filesystem::path& file) : connection_(file) {
    PrepareCatalogSchema(connection_);
    statements_ = std::make_unique<Statements>(connection_);
}

// Closing the connection rolls back a transaction left open.
SqliteCatalogStore::~SqliteCatalogStore() = default;

void SqliteCatalogStore::Begin() {
    if (InTransaction()) ThrowMisuse(connection_.FileName(), u"already has an open transaction");
    StatementUse use(statements_->begin);
    statements_->begin.Step();
}

void SqliteCatalogStore::Commit(bool durable) {
    if (!InTransaction()) ThrowMisuse(connection_.FileName(), u"has no open transaction to commit");
    {
        StatementUse use(statements_->commit);
        statements_->commit.Step();
    }
    if (durable) connection_.SyncLog();

}

void SqliteCatalogStore::Rollback() {
    // SQLite rolls back by itself after some failures; nothing is left to do then.
    if (!InTransaction()) return;
    StatementUse use(statements_->rollback);
    statements_->rollback.Step();
}

bool SqliteCatalogStore::InTransaction() const { return connection_.InTransaction(); }

void SqliteCatalogStore::Change(const std::function<void()>& change) {
    if (InTransaction()) {
        change();
        return;
    }
    Begin();
    try {
        change();
        Commit(true);
    } catch (...) {
        try {
            Rollback();
        } catch (const host::HostError&) {
            // The failure that brought us here is the one to report.
        }
        throw;
    }
}

std::int64_t SqliteCatalogStore::Add(const host::CatalogEntry& entry) {
    std::int64_t id = 0;
    Change([&] {
        auto& insert = statements_->insert;
        StatementUse use(insert);
        BindEntryFields(insert, entry);
        insert.Step();
        id = connection_.LastInsertId();
    });
    return id;
}

void SqliteCatalogStore::Update(const host::CatalogEntry& entry) {
    Change([&] {
        auto& update = statements_->update;
        StatementUse use(update);
        BindEntryFields(update, entry);
        update.BindInteger(kEntryFields + 1, entry.Id);
        update.Step();
        if (connection_.Changes() == 0) ThrowNoSuchEntry(connection_.FileName(), entry.Id);
    });
}

void SqliteCatalogStore::Remove(std::int64_t id) {
    Change([&] {
        auto& remove = statements_->remove;
        StatementUse use(remove);
        remove.BindInteger(1, id).Step();
    });
}

std::optional<host::CatalogEntry> SqliteCatalogStore::FindByLink(std::u16string_view linkId) {
    if (linkId.empty()) return std::nullopt;
    auto& query = statements_->byLink;
    StatementUse use(query);
    query.BindText(1, linkId);
    if (!query.Step()) return std::nullopt;
    return ReadEntry(query);
}

std::vector<host::CatalogEntry> SqliteCatalogStore::FindByPath(std::u16string_view pathKey) {
    auto& query = statements_->byPath;
    StatementUse use(query);
    query.BindText(1, pathKey);
    return ReadAll(query);
}

std::vector<host::CatalogEntry> SqliteCatalogStore::FindByHash(std::string_view sha256,
                                                               std::u16string_view directoryKey) {
    auto& query = statements_->byHash;
    StatementUse use(query);
    query.BindUtf8(1, sha256).BindText(2, directoryKey);
    return ReadAll(query);
}

std::vector<host::CatalogEntry> SqliteCatalogStore::FindByItem(std::u16string_view itemId) {
    auto& query = statements_->byItem;
    StatementUse use(query);
    query.BindText(1, itemId);
    return ReadAll(query);
}

void SqliteCatalogStore::ForEach(const std::function<void(const host::CatalogEntry&)>& visit) {
    for (std::int64_t after = std::numeric_limits<std::int64_t>::min();;) {
        std::vector<host::CatalogEntry> lot;
        {
            auto& query = statements_->lot;
            StatementUse use(query);
            query.BindInteger(1, after).BindInteger(2, kForEachLot);
            lot = ReadAll(query);
        }
        for (const auto& entry : lot) visit(entry);
        if (static_cast<std::int64_t>(lot.size()) < kForEachLot) return;
        after = lot.back().Id;
    }
}

}  // namespace catalog
