// The account's folder hierarchy as LIST describes it.
#include <gtest/gtest.h>

#include "imapstore/FolderTree.h"

namespace {

using imapstore::BuildFolderTree;
using imapstore::FolderNode;
using imapstore::ListedFolder;

std::vector<std::u16string> Shown(const FolderNode& node) {
    std::vector<std::u16string> names;
    for (const FolderNode& child : node.children) names.push_back(child.shown);
    return names;
}

TEST(FolderTrees, NamesAreCutAtTheirOwnDelimiterAndMissingLevelsAreMade) {
    const FolderNode top = BuildFolderTree({
        {"INBOX", '/', true},
        {"Mail/Work/Clients", '/', true},
        {"Archive.2024", '.', true},
        {"Archive", '.', false},
        {"Flat/Name", 0, true},
    });
    ASSERT_EQ(Shown(top), (std::vector<std::u16string>{u"Archive", u"Flat/Name", u"INBOX", u"Mail"}));
    const FolderNode& archive = top.children[0];
    EXPECT_FALSE(archive.selectable);
    EXPECT_EQ(archive.name, "Archive");
    ASSERT_EQ(archive.children.size(), 1u);
    EXPECT_EQ(archive.children[0].name, "Archive.2024");
    EXPECT_TRUE(archive.children[0].selectable);
    // A name without a hierarchy is one folder whatever it holds.
    EXPECT_EQ(top.children[1].name, "Flat/Name");
    EXPECT_TRUE(top.children[1].children.empty());
    // "Mail" and "Mail/Work" are not listed: levels that hold folders only.
    const FolderNode& mail = top.children[3];
    EXPECT_FALSE(mail.selectable);
    EXPECT_TRUE(mail.name.empty());
    ASSERT_EQ(mail.children.size(), 1u);
    EXPECT_FALSE(mail.children[0].selectable);
    ASSERT_EQ(mail.children[0].children.size(), 1u);
    EXPECT_EQ(mail.children[0].children[0].name, "Mail/Work/Clients");
    EXPECT_TRUE(mail.children[0].children[0].selectable);
}

TEST(FolderTrees, ModifiedUtf7NamesAreShownDecodedAndOthersAsTheyAre) {
    const FolderNode top = BuildFolderTree({
        {"Mail/&ANw-berweisungen &- Belege", '/', true},
        {"Mail/Broken &Jjo", '/', true},
        {"Mail/\xc3\xa9t\xc3\xa9", '/', true},
        {"Mail/\x1b[31mred", '/', true},
    });
    const FolderNode& mail = top.children.at(0);
    EXPECT_EQ(Shown(mail), (std::vector<std::u16string>{u"\x1b[31mred", u"Broken &Jjo", u"\u00e9t\u00e9",
                                                        u"\u00dcberweisungen & Belege"}));
    // The server's own spelling stays what commands use.
    EXPECT_EQ(mail.children[3].name, "Mail/&ANw-berweisungen &- Belege");
    EXPECT_EQ(mail.children[3].component, "&ANw-berweisungen &- Belege");
}

TEST(FolderTrees, AFolderListedTwiceOrWithEmptyLevelsStaysOneNode) {
    const FolderNode top = BuildFolderTree({
        {"A/B", '/', true},
        {"A/B", '/', true},
        {"A//C", '/', true},
        {"A", '/', true},
    });
    ASSERT_EQ(top.children.size(), 1u);
    const FolderNode& a = top.children[0];
    EXPECT_TRUE(a.selectable);
    EXPECT_EQ(Shown(a), (std::vector<std::u16string>{u"", u"B"}));
    EXPECT_EQ(a.children[0].children.at(0).name, "A//C");
}

}  // namespace
