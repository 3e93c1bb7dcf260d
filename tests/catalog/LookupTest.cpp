#include "CatalogFixture.h"
#include "base/Utf16.h"

using catalog::SqliteCatalogStore;
using host::CatalogEntry;
using Ids = std::vector<std::int64_t>;

namespace catalog_tests {

namespace {

CatalogEntry Located(std::u16string_view name, std::string hash, std::u16string directory, std::u16string path,
                     std::u16string item) {
    CatalogEntry entry = SampleEntry(name);
    entry.Sha256 = std::move(hash);
    entry.DirectoryKey = std::move(directory);
    entry.PathKey = std::move(path);
    entry.ItemId = std::move(item);
    return entry;
}

}  // namespace

TEST_F(CatalogTest, LookupsFindExactlyTheEntriesWithTheirKey) {
    const std::string same(64, 'c');
    const std::string other(64, 'd');
    SqliteCatalogStore store(file);
    auto a = store.Add(Located(u"a", same, u"z:\\att", u"z:\\att\\report.pdf", u"item-1"));
    auto b = store.Add(Located(u"b", same, u"z:\\att\\old", u"z:\\att\\old\\report.pdf", u"item-1"));
    auto c = store.Add(Located(u"c", same, u"z:\\att", u"z:\\att\\report.pdf", u"item-2"));
    auto d = store.Add(Located(u"d", other, u"z:\\att", u"z:\\att\\report.pdf.lnk", u"item-2"));

    EXPECT_EQ(IdsOf(store.FindByHash(same, u"z:\\att")), (Ids{a, c}));
    EXPECT_EQ(IdsOf(store.FindByHash(same, u"z:\\att\\old")), (Ids{b}));
    EXPECT_EQ(IdsOf(store.FindByHash(other, u"z:\\att")), (Ids{d}));
    EXPECT_EQ(IdsOf(store.FindByHash(other, u"z:\\att\\old")), Ids{});
    // Keys are compared as given: folding them is the caller's part.
    EXPECT_EQ(IdsOf(store.FindByHash(std::string(64, 'C'), u"z:\\att")), Ids{});
    EXPECT_EQ(IdsOf(store.FindByHash(same, u"Z:\\ATT")), Ids{});

    EXPECT_EQ(IdsOf(store.FindByPath(u"z:\\att\\report.pdf")), (Ids{a, c}));
    EXPECT_EQ(IdsOf(store.FindByPath(u"z:\\att\\report")), Ids{});
    EXPECT_EQ(IdsOf(store.FindByPath(u"z:\\att\\%")), Ids{});

    EXPECT_EQ(IdsOf(store.FindByItem(u"item-1")), (Ids{a, b}));
    EXPECT_EQ(IdsOf(store.FindByItem(u"item-2")), (Ids{c, d}));
    EXPECT_EQ(IdsOf(store.FindByItem(u"item-")), Ids{});

    EXPECT_EQ(store.FindByLink(u"link-b").value_or(CatalogEntry{}).Id, b);
    EXPECT_FALSE(store.FindByLink(u"LINK-B"));
    EXPECT_FALSE(store.FindByLink(u"link-"));
    EXPECT_FALSE(store.FindByLink(u"link-%"));
}

TEST_F(CatalogTest, AnEmptyLinkIdFindsNothingThoughManyEntriesHaveOne) {
    SqliteCatalogStore store(file);
    for (auto name : {u"copy", u"body", u"gone"}) {
        CatalogEntry entry = SampleEntry(name);
        entry.Reference = host::CatalogReference::Copy;
        entry.LinkId.clear();
        store.Add(entry);
    }
    store.Add(SampleEntry(u"linked"));
    EXPECT_FALSE(store.FindByLink(u""));
    EXPECT_EQ(AllEntries(store).size(), 4u);
}

// Two links that share an identity each have an entry: taking one link's
// entry away leaves the other's.
TEST_F(CatalogTest, EntriesSharingALinkIdAreFoundOldestFirstOneAtATime) {
    SqliteCatalogStore store(file);
    const auto other = store.Add(SampleEntry(u"other"));
    const auto first = store.Add(SampleEntry(u"a"));
    CatalogEntry twin = SampleEntry(u"twin");
    twin.LinkId = u"link-a";
    const auto second = store.Add(twin);

    EXPECT_EQ(store.FindByLink(u"link-a").value_or(CatalogEntry{}).Id, first);
    store.Remove(first);
    EXPECT_EQ(store.FindByLink(u"link-a").value_or(CatalogEntry{}).Id, second);
    store.Remove(second);
    EXPECT_FALSE(store.FindByLink(u"link-a"));
    EXPECT_EQ(IdsOf(AllEntries(store)), Ids{other});
}

TEST_F(CatalogTest, ForEachVisitsInTheOrderOfAdditionAndLetsTheVisitorChangeTheCatalog) {
    SqliteCatalogStore store(file);
    Ids expected;
    store.Begin();
    // More entries than ForEach reads at a time, with holes.
    for (int index = 0; index < 700; ++index) {
        auto id = store.Add(SampleEntry(u"entry" + velmora::FromUtf8(std::to_string(index))));
        if (index % 97 == 5) {
            store.Remove(id);
        } else {
            expected.push_back(id);
        }
    }
    store.Commit(false);
    EXPECT_EQ(IdsOf(AllEntries(store)), expected);

    Ids visited;
    store.ForEach([&](const CatalogEntry& entry) {
        visited.push_back(entry.Id);
        EXPECT_TRUE(store.FindByLink(entry.LinkId));
        store.Remove(entry.Id);
    });
    EXPECT_EQ(visited, expected);
    EXPECT_TRUE(AllEntries(store).empty());
}

}  // namespace catalog_tests
