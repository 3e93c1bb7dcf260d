#include <cstdint>
#include <limits>

#include "CatalogFixture.h"

using catalog::SqliteCatalogStore;
using host::CatalogEntry;
using host::CatalogReference;

namespace catalog_tests {

namespace {

// Fields at their limits: non-ASCII text outside the basic plane, unsigned
// values with the top bit set, an embedded NUL, text of megabytes.
CatalogEntry ExtremeEntry() {
    CatalogEntry entry;
    entry.Path = u"Z:\\Вложения\\報告書 \U0001F4CE «final».pdf";
    entry.PathKey = u"z:\\вложения\\報告書 \U0001F4CE «final».pdf";
    entry.DirectoryKey = u"z:\\вложения";
    entry.Size = (std::uint64_t{1} << 63) + 5;
    entry.Sha256 = "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855";
    entry.Device = std::numeric_limits<std::uint64_t>::max();
    entry.FileId = std::uint64_t{1} << 63;
    entry.LastWriteTime = std::numeric_limits<std::uint64_t>::max() - 1;
    entry.SavedAt = 45123.456789012345;
    entry.Reference = CatalogReference::Body;
    entry.ItemId = std::u16string(200000, u'Ж');
    entry.LinkId = u"{7F0C3A52-link}";
    entry.Subject = std::u16string(u"before\0after", 12);
    entry.OriginalName = u"Ünïcødé \u202Egnp.exe";
    entry.PartProperties = std::u16string(1 << 20, u'x');
    return entry;
}

}  // namespace

TEST_F(CatalogTest, EveryFieldComesBackAsItWasWrittenAlsoAfterReopening) {
    CatalogEntry extreme = ExtremeEntry();
    CatalogEntry empty;  // every text empty, every number zero
    CatalogEntry unlinked = SampleEntry(u"removed");
    unlinked.Reference = CatalogReference::None;
    unlinked.LinkId.clear();
    unlinked.SavedAt = -1.5;
    {
        SqliteCatalogStore store(file);
        extreme.Id = store.Add(extreme);
        empty.Id = store.Add(empty);
        unlinked.Id = store.Add(unlinked);
        EXPECT_LT(extreme.Id, empty.Id);
        EXPECT_LT(empty.Id, unlinked.Id);
    }
    SqliteCatalogStore reopened(file);
    auto entries = AllEntries(reopened);
    ASSERT_EQ(entries.size(), 3u);
    ExpectSameEntry(entries[0], extreme);
    ExpectSameEntry(entries[1], empty);
    ExpectSameEntry(entries[2], unlinked);
    auto found = reopened.FindByLink(extreme.LinkId);
    ASSERT_TRUE(found);
    ExpectSameEntry(*found, extreme);
}

TEST_F(CatalogTest, UpdateReplacesEveryFieldButTheIdAndRemoveTakesOnlyItsEntry) {
    SqliteCatalogStore store(file);
    auto first = store.Add(SampleEntry(u"first"));
    auto second = store.Add(SampleEntry(u"second"));

    CatalogEntry changed = ExtremeEntry();
    changed.Id = first;
    store.Update(changed);
    ExpectSameEntry(store.FindByLink(changed.LinkId).value_or(CatalogEntry{}), changed);
    EXPECT_FALSE(store.FindByLink(u"link-first"));
    EXPECT_TRUE(store.FindByLink(u"link-second"));

    CatalogEntry unknown = SampleEntry(u"unknown");
    unknown.Id = second + 100;
    auto error = CaughtHostError([&] { store.Update(unknown); });
    EXPECT_EQ(error.Code(), Win32(ERROR_FILE_NOT_FOUND));
    EXPECT_NE(error.Message().find(fileName), std::u16string::npos);
    EXPECT_EQ(AllEntries(store).size(), 2u);

    store.Remove(first);
    EXPECT_EQ(IdsOf(AllEntries(store)), std::vector<std::int64_t>{second});
    store.Remove(first);  // already gone: another run may have removed it
    EXPECT_EQ(IdsOf(AllEntries(store)), std::vector<std::int64_t>{second});
    // Ids are never given again, so an old Id never names a new entry.
    EXPECT_GT(store.Add(SampleEntry(u"third")), second);
}

TEST_F(CatalogTest, AnEntryWithAnUnknownKindOfReferenceIsReportedAsDamaged) {
    {
        SqliteCatalogStore store(file);
        store.Add(SampleEntry(u"a"));
    }
    ExecuteOnFile(file, "UPDATE saved_files SET reference = 7");
    SqliteCatalogStore store(file);
    auto error = CaughtHostError([&] { store.FindByLink(u"link-a"); });
    EXPECT_EQ(error.Code(), Win32(ERROR_INVALID_DATA));
    EXPECT_EQ(error.Message(), DamagedMessage(fileName, u"an entry refers to its file in an unknown way"));
}

}  // namespace catalog_tests
