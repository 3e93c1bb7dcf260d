#include "CatalogFixture.h"

#include <sqlite3.h>

namespace catalog_tests {

host::CatalogEntry SampleEntry(std::u16string_view name) {
    const std::u16string text(name);
    host::CatalogEntry entry;
    entry.Path = u"Z:\\Attachments\\" + text + u".pdf";
    entry.PathKey = u"z:\\attachments\\" + text + u".pdf";
    entry.DirectoryKey = u"z:\\attachments";
    entry.Size = 1000 + text.size();
    entry.Sha256 = std::string(64, 'a');
    entry.Device = 2049;
    entry.FileId = 77 + text.size();
    entry.LastWriteTime = 133'500'000'000'000'000ULL;
    entry.SavedAt = 45678.25;
    entry.Reference = host::CatalogReference::Link;
    entry.ItemId = u"item-" + text;
    entry.LinkId = u"link-" + text;
    entry.Subject = u"About " + text;
    entry.OriginalName = text + u".pdf";
    entry.PartProperties = u"type=application/pdf;name=" + text;
    return entry;
}

void ExpectSameEntry(const host::CatalogEntry& actual, const host::CatalogEntry& expected) {
    EXPECT_EQ(actual.Id, expected.Id);
    EXPECT_EQ(actual.Path, expected.Path);
    EXPECT_EQ(actual.PathKey, expected.PathKey);
    EXPECT_EQ(actual.DirectoryKey, expected.DirectoryKey);
    EXPECT_EQ(actual.Size, expected.Size);
    EXPECT_EQ(actual.Sha256, expected.Sha256);
    EXPECT_EQ(actual.Device, expected.Device);
    EXPECT_EQ(actual.FileId, expected.FileId);
    EXPECT_EQ(actual.LastWriteTime, expected.LastWriteTime);
    EXPECT_EQ(actual.SavedAt, expected.SavedAt);
    EXPECT_EQ(actual.Reference, expected.Reference);
    EXPECT_EQ(actual.ItemId, expected.ItemId);
    EXPECT_EQ(actual.LinkId, expected.LinkId);
    EXPECT_EQ(actual.Subject, expected.Subject);
    EXPECT_EQ(actual.OriginalName, expected.OriginalName);
    EXPECT_EQ(actual.PartProperties, expected.PartProperties);
}

std::vector<std::int64_t> IdsOf(const std::vector<host::CatalogEntry>& entries) {
    std::vector<std::int64_t> ids;
    for (const auto& entry : entries) ids.push_back(entry.Id);
    return ids;
}

std::vector<host::CatalogEntry> AllEntries(host::CatalogStore& store) {
    std::vector<host::CatalogEntry> entries;
    store.ForEach([&](const host::CatalogEntry& entry) { entries.push_back(entry); });
    return entries;
}

host::HostError CaughtHostError(const std::function<void()>& action) {
    try {
        action();
    } catch (const host::HostError& error) {
        return error;
    }
    ADD_FAILURE() << "no host::HostError was thrown";
    return host::HostError(S_OK, u"");
}

std::u16string DamagedMessage(std::u16string_view fileName, std::u16string_view reason) {
    return u"The catalog of saved files " + std::u16string(fileName) + u" is damaged (" + std::u16string(reason) +
           u"): move it away; \"velmora catalog adopt\" records the links of a mailbox again.";
}

// SQLite takes file names as UTF-8 on every system.
std::string Utf8Name(const std::filesystem::path& file) {
    const std::u8string name = file.u8string();
    return std::string(name.begin(), name.end());
}

void ExecuteOnFile(const std::filesystem::path& file, const char* sql) {
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open(Utf8Name(file).c_str(), &db), SQLITE_OK);
    char* error = nullptr;
    EXPECT_EQ(sqlite3_exec(db, sql, nullptr, nullptr, &error), SQLITE_OK) << (error ? error : "");
    sqlite3_free(error);
    sqlite3_close(db);
}

std::int64_t UserVersionOf(const std::filesystem::path& file) {
    sqlite3* db = nullptr;
    sqlite3_stmt* query = nullptr;
    std::int64_t version = -1;
    if (sqlite3_open_v2(Utf8Name(file).c_str(), &db, SQLITE_OPEN_READONLY, nullptr) == SQLITE_OK &&
        sqlite3_prepare_v2(db, "PRAGMA user_version", -1, &query, nullptr) == SQLITE_OK &&
        sqlite3_step(query) == SQLITE_ROW) {
        version = sqlite3_column_int64(query, 0);
    }
    sqlite3_finalize(query);
    sqlite3_close(db);
    return version;
}

}  // namespace catalog_tests
