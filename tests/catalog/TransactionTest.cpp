#include <sqlite3.h>

#include <exception>
#include <optional>
#include <thread>

#include "CatalogFixture.h"
#include "RecordingVfs.h"

using catalog::SqliteCatalogStore;
using host::CatalogEntry;

namespace catalog_tests {

TEST_F(CatalogTest, ARolledBackTransactionLeavesNothing) {
    SqliteCatalogStore store(file);
    auto kept = store.Add(SampleEntry(u"kept"));

    store.Begin();
    EXPECT_TRUE(store.InTransaction());
    store.Add(SampleEntry(u"new"));
    CatalogEntry changed = SampleEntry(u"changed");
    changed.Id = kept;
    store.Update(changed);
    // Lookups see the transaction's own changes.
    EXPECT_TRUE(store.FindByLink(u"link-new"));
    EXPECT_TRUE(store.FindByLink(u"link-changed"));
    store.Rollback();

    EXPECT_FALSE(store.InTransaction());
    EXPECT_FALSE(store.FindByLink(u"link-new"));
    EXPECT_FALSE(store.FindByLink(u"link-changed"));
    store.Rollback();  // nothing open: nothing to do

    SqliteCatalogStore reopened(file);
    auto entries = AllEntries(reopened);
    ASSERT_EQ(entries.size(), 1u);
    CatalogEntry original = SampleEntry(u"kept");
    original.Id = kept;
    ExpectSameEntry(entries[0], original);
}

TEST_F(CatalogTest, CommittedTransactionsSurviveReopeningAndAnAbandonedOneDoesNot) {
    {
        SqliteCatalogStore store(file);
        store.Begin();
        store.Add(SampleEntry(u"batch"));
        store.Commit(false);
        store.Begin();
        store.Add(SampleEntry(u"last"));
        store.Commit(true);
        store.Begin();
        store.Add(SampleEntry(u"abandoned"));
    }
    SqliteCatalogStore reopened(file);
    EXPECT_FALSE(reopened.InTransaction());
    EXPECT_TRUE(reopened.FindByLink(u"link-batch"));
    EXPECT_TRUE(reopened.FindByLink(u"link-last"));
    EXPECT_FALSE(reopened.FindByLink(u"link-abandoned"));
}

TEST_F(CatalogTest, TransactionCallsOutOfOrderAreRefused) {
    SqliteCatalogStore store(file);
    EXPECT_EQ(CaughtHostError([&] { store.Commit(true); }).Code(), E_UNEXPECTED);
    store.Begin();
    store.Add(SampleEntry(u"a"));
    EXPECT_EQ(CaughtHostError([&] { store.Begin(); }).Code(), E_UNEXPECTED);
    EXPECT_TRUE(store.InTransaction());
    store.Commit(false);
    EXPECT_TRUE(store.FindByLink(u"link-a"));
}

TEST_F(CatalogTest, AnotherStoreOnTheFileSeesWhatWasCommittedAndNothingElse) {
    SqliteCatalogStore first(file);
    SqliteCatalogStore second(file);
    first.Begin();
    first.Add(SampleEntry(u"a"));
    EXPECT_FALSE(second.FindByLink(u"link-a"));
    first.Commit(false);
    EXPECT_TRUE(second.FindByLink(u"link-a"));

    second.Add(SampleEntry(u"b"));
    EXPECT_EQ(IdsOf(AllEntries(first)), IdsOf(AllEntries(second)));
    EXPECT_EQ(AllEntries(first).size(), 2u);
}

TEST_F(CatalogTest, AStoreWaitsWhileAnotherHoldsATransaction) {
    RecordingVfs vfs;
    vfs.HoldWaits();
    SqliteCatalogStore first(file);
    SqliteCatalogStore second(file);
    first.Begin();
    first.Add(SampleEntry(u"first"));

    std::optional<CatalogEntry> seen;
    std::exception_ptr failure;
    std::thread other([&] {
        try {
            second.Begin();
            seen = second.FindByLink(u"link-first");
            second.Add(SampleEntry(u"second"));
            second.Commit(true);
        } catch (...) {
            failure = std::current_exception();
        }
        vfs.EndWatching();
    });
    EXPECT_TRUE(vfs.AwaitWaiter());
    first.Commit(false);
    vfs.ReleaseWaits();
    other.join();

    EXPECT_FALSE(failure);
    // The waiting transaction began after the first one ended.
    EXPECT_TRUE(seen);
    EXPECT_TRUE(first.FindByLink(u"link-second"));
}

TEST_F(CatalogTest, WaitingLongerThanAMinuteFailsWithALockViolation) {
    RecordingVfs vfs;
    SqliteCatalogStore first(file);
    SqliteCatalogStore second(file);
    first.Begin();
    first.Add(SampleEntry(u"first"));

    auto error = CaughtHostError([&] { second.Begin(); });
    EXPECT_EQ(error.Code(), Win32(ERROR_LOCK_VIOLATION));
    EXPECT_NE(error.Message().find(fileName), std::u16string::npos);
    EXPECT_GE(vfs.RequestedWait(), 60'000'000);
    EXPECT_LT(vfs.RequestedWait(), 61'000'000);
    EXPECT_FALSE(second.InTransaction());
    EXPECT_EQ(CaughtHostError([&] { second.Add(SampleEntry(u"second")); }).Code(), Win32(ERROR_LOCK_VIOLATION));

    first.Commit(true);
    second.Add(SampleEntry(u"second"));
    EXPECT_EQ(AllEntries(first).size(), 2u);
}

TEST_F(CatalogTest, OnlyDurableCommitsFlushTheLog) {
    RecordingVfs vfs;
    SqliteCatalogStore store(file);
    store.Add(SampleEntry(u"first"));

    int syncs = vfs.AllSyncs();
    store.Begin();
    store.Add(SampleEntry(u"batch"));
    store.Commit(false);
    EXPECT_EQ(vfs.AllSyncs(), syncs);

    int logSyncs = vfs.LogSyncs();
    store.Begin();
    store.Add(SampleEntry(u"durable"));
    store.Commit(true);
    EXPECT_EQ(vfs.LogSyncs(), logSyncs + 1);

    // A change outside a transaction is a durable transaction of its own.
    store.Remove(store.Add(SampleEntry(u"alone")));
    EXPECT_EQ(vfs.LogSyncs(), logSyncs + 3);
}

TEST_F(CatalogTest, AFullDiskFailsTheChangeAndLeavesTheCatalogAsItWas) {
    RecordingVfs vfs;
    SqliteCatalogStore store(file);
    store.Add(SampleEntry(u"before"));

    vfs.FailWritesWith(SQLITE_FULL);
    auto error = CaughtHostError([&] { store.Add(SampleEntry(u"lost")); });
    EXPECT_EQ(error.Code(), Win32(ERROR_DISK_FULL));
    EXPECT_NE(error.Message().find(fileName), std::u16string::npos);
    EXPECT_FALSE(store.InTransaction());

    store.Begin();
    store.Add(SampleEntry(u"batch"));
    EXPECT_EQ(CaughtHostError([&] { store.Commit(false); }).Code(), Win32(ERROR_DISK_FULL));
    store.Rollback();

    vfs.FailWritesWith(SQLITE_OK);
    store.Add(SampleEntry(u"after"));
    SqliteCatalogStore reopened(file);
    EXPECT_TRUE(reopened.FindByLink(u"link-before"));
    EXPECT_FALSE(reopened.FindByLink(u"link-lost"));
    EXPECT_FALSE(reopened.FindByLink(u"link-batch"));
    EXPECT_TRUE(reopened.FindByLink(u"link-after"));
}

}  // namespace catalog_tests
