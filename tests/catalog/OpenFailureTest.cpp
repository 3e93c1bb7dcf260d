#include <fstream>
#include <iterator>

#include "CatalogFixture.h"

using catalog::SqliteCatalogStore;
namespace fs = std::filesystem;

namespace catalog_tests {

namespace {

std::string Contents(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

void Write(const fs::path& path, const std::string& contents) {
    std::ofstream(path, std::ios::binary) << contents;
}

}  // namespace

TEST_F(CatalogTest, AMissingFolderIsNamedAndNothingIsCreated) {
    auto folder = temp.Path() / "absent" / "velmora";
    auto error = CaughtHostError([&] { SqliteCatalogStore store(folder / "catalog.db"); });
    EXPECT_EQ(error.Code(), Win32(ERROR_PATH_NOT_FOUND));
    EXPECT_NE(error.Message().find(folder.u16string()), std::u16string::npos);
    EXPECT_FALSE(fs::exists(temp.Path() / "absent"));
}

TEST_F(CatalogTest, AnEmptyFileBecomesANewCatalog) {
    Write(file, "");
    {
        SqliteCatalogStore store(file);
        store.Add(SampleEntry(u"a"));
    }
    EXPECT_EQ(UserVersionOf(file), 1);
    SqliteCatalogStore reopened(file);
    EXPECT_TRUE(reopened.FindByLink(u"link-a"));
}

TEST_F(CatalogTest, AFileThatIsNoDatabaseIsReportedAsDamagedAndLeftAsItIs) {
    std::string garbage;
    for (int line = 0; line < 200; ++line) garbage += "Not a catalog, line " + std::to_string(line) + "\n";
    Write(file, garbage);

    auto error = CaughtHostError([&] { SqliteCatalogStore store(file); });
    EXPECT_EQ(error.Code(), Win32(ERROR_INVALID_DATA));
    EXPECT_EQ(error.Message(), DamagedMessage(fileName, u"file is not a database"));
    EXPECT_EQ(Contents(file), garbage);
}

TEST_F(CatalogTest, ADatabaseOfAnotherLayoutIsRefusedAsDamagedAndLeftAsItIs) {
    struct Case {
        const char* sql;
        std::int64_t version;
        std::u16string_view reason;
    };
    const Case cases[] = {
        {"PRAGMA user_version = 2; CREATE TABLE saved_files (id INTEGER PRIMARY KEY)", 2,
         u"its layout has the unknown version 2"},
        {"PRAGMA user_version = -1", -1, u"its layout has the unknown version -1"},
        {"CREATE TABLE notes (text)", 0, u"it holds the tables of another program"},
        {"PRAGMA user_version = 1", 1, u"a table or an index of the catalog is missing"},
        // Named as ours, laid out otherwise: SQLite's words say how.
        {"PRAGMA user_version = 1; CREATE TABLE saved_files (id INTEGER PRIMARY KEY AUTOINCREMENT, path TEXT);"
         "CREATE INDEX saved_files_by_link ON saved_files (path);"
         "CREATE INDEX saved_files_by_path ON saved_files (path);"
         "CREATE INDEX saved_files_by_hash ON saved_files (path);"
         "CREATE INDEX saved_files_by_item ON saved_files (path);",
         1, u"table saved_files has no column named path_key"},
    };
    for (const auto& each : cases) {
        SCOPED_TRACE(each.sql);
        fs::remove(file);
        ExecuteOnFile(file, each.sql);
        auto error = CaughtHostError([&] { SqliteCatalogStore store(file); });
        EXPECT_EQ(error.Code(), Win32(ERROR_INVALID_DATA));
        EXPECT_EQ(error.Message(), DamagedMessage(fileName, each.reason));
        EXPECT_EQ(UserVersionOf(file), each.version);
    }
}

TEST_F(CatalogTest, DamageFoundAfterOpeningIsReportedTheSameWay) {
    {
        SqliteCatalogStore store(file);
        store.Begin();
        for (int index = 0; index < 300; ++index) {
            auto entry = SampleEntry(u"entry" + std::u16string(index % 50 + 1, u'x'));
            entry.LinkId += u"-" + std::u16string(index + 1, u'n');
            store.Add(entry);
        }
        store.Commit(true);
    }
    // Everything after the first page, where the layout is, turns to noise.
    std::string contents = Contents(file);
    ASSERT_GT(contents.size(), 3 * 4096u);
    std::fill(contents.begin() + 4096, contents.end(), '\x5A');
    Write(file, contents);

    auto error = CaughtHostError([&] {
        SqliteCatalogStore store(file);
        AllEntries(store);
    });
    EXPECT_EQ(error.Code(), Win32(ERROR_INVALID_DATA));
    EXPECT_EQ(error.Message(), DamagedMessage(fileName, u"database disk image is malformed"));
}

TEST_F(CatalogTest, AFolderInPlaceOfTheFileIsRefused) {
    fs::create_directory(file);
    auto error = CaughtHostError([&] { SqliteCatalogStore store(file); });
    EXPECT_EQ(error.Code(), Win32(ERROR_ACCESS_DENIED));
    EXPECT_NE(error.Message().find(fileName), std::u16string::npos);
    EXPECT_TRUE(fs::is_empty(file));
}

TEST_F(CatalogTest, AReadOnlyCatalogIsRefusedUntilItMayBeWrittenAgain) {
    {
        SqliteCatalogStore store(file);
        store.Add(SampleEntry(u"a"));
    }
    fs::permissions(file, fs::perms(0444));
    auto error = CaughtHostError([&] { SqliteCatalogStore store(file); });
    EXPECT_EQ(error.Code(), Win32(ERROR_ACCESS_DENIED));
    EXPECT_NE(error.Message().find(fileName), std::u16string::npos);

    fs::permissions(file, fs::perms(0644));
    SqliteCatalogStore store(file);
    EXPECT_TRUE(store.FindByLink(u"link-a"));
}

}  // namespace catalog_tests
