// What OK checks and rewrites before it stores the options: directories,
// the extension list, the size, and the root folders.
#include "UiFixture.h"
#include "base/Utf16.h"
#include "ui/Dialogs.h"

using namespace velmora;
using ::testing::ElementsAre;
using ui_test::UiTest;

namespace {

class Options : public UiTest {
protected:
    Options() {
        Open();
        SaveToOut();
    }
};

TEST_F(Options, ExtensionListIsNormalisedStoredAndShownLowerCasedAtTheNextOpening) {
    const std::pair<std::u16string, std::u16string> table[] = {
        {u"pdf, doc", u".pdf;.doc"}, {u"PDF", u".PDF"}, {u"pdf;d", u".pdf;.d"}, {u"*.pdf", u".pdf"},
        {u"*.*", u"."},              {u"  ", u""},      {u"DOC,Xls", u".DOC;.Xls"}};
    for (const auto& [typed, normalised] : table) {
        Open();
        Dialog().Type(Dialog().edtDirTo(), u"C:\\Out");
        Dialog().Type(Dialog().edtExt(), typed);
        Dialog().ClickOk();
        EXPECT_EQ(Dialog().edtExt().Text(), normalised) << ToUtf8(typed);
        EXPECT_EQ(Stored().SaveOnlyExtensions(), normalised) << ToUtf8(typed);
    }
    Open();
    EXPECT_EQ(Dialog().edtExt().Text(), u".doc;.xls");
}

TEST_F(Options, SizeMustBeAnIntegerButMayBeNegative) {
    Dialog().Type(Dialog().edtExt(), u"pdf");
    Dialog().Type(Dialog().edtSize(), u"abc");
    Dialog().ClickOk();
    EXPECT_THAT(Boxes(), ElementsAre(u"Invalid message maximum size."));
    EXPECT_TRUE(Dialog().Visible());  // the error box is not one of the add-in's windows
    EXPECT_FALSE(ui.HasProgress());
    EXPECT_EQ(Dialog().edtExt().Text(), u".pdf");  // rewritten before the size was checked
    EXPECT_EQ(Stored().SaveOnlyExtensions(), u"");

    Dialog().Type(Dialog().edtSize(), u"-5");
    Dialog().ClickOk();
    EXPECT_EQ(Stored().SaveOnlyBiggerThan(), -5);
    Open();
    EXPECT_EQ(Dialog().edtSize().Text(), u"-5");
    EXPECT_EQ(Dialog().updSize().Position(), 0);
}

TEST_F(Options, AMissingDirectoryIsCreatedOnYesAndNoReturnsToTheDialog) {
    Dialog().Type(Dialog().edtDirTo(), u"C:\\New\\Sub");
    ui.Boxes().Answer(u"&No");
    Dialog().ClickOk();
    ASSERT_EQ(ui.Boxes().Shown().size(), 1u);
    const auto& question = ui.Boxes().Shown()[0].Request;
    EXPECT_EQ(question.Text, u"The selected directory doesn't exists. Do you want to create it?");
    EXPECT_EQ(question.Caption, u"Confirm");
    EXPECT_THAT(question.Buttons, ElementsAre(u"&Yes", u"&No"));
    EXPECT_EQ(question.EscapeButton, 1u);
    EXPECT_FALSE(platform.FileSystem().DirectoryExists(u"C:\\New"));
    EXPECT_FALSE(ui.HasProgress());
    EXPECT_NE(Stored().LastToDir(), u"C:\\New\\Sub");
    EXPECT_TRUE(Dialog().Visible());
    EXPECT_EQ(Dialog().edtDirTo().Text(), u"C:\\New\\Sub");

    // Closing the question otherwise is its Esc answer: nothing is created.
    ui.Boxes().Dismiss();
    Dialog().ClickOk();
    EXPECT_FALSE(platform.FileSystem().DirectoryExists(u"C:\\New"));

    ui.Boxes().Answer(u"&Yes");
    Dialog().ClickOk();
    EXPECT_TRUE(platform.FileSystem().DirectoryExists(u"C:\\New\\Sub"));
    EXPECT_EQ(Stored().LastToDir(), u"C:\\New\\Sub");
}

TEST_F(Options, ADirectoryThatCannotBeCreatedIsAnError) {
    for (const std::u16string text : {u" C:\\Lead", u"relative\\dir", u"Q:\\NoDrive"}) {
        Open();
        Dialog().Type(Dialog().edtDirTo(), text);
        ui.Boxes().Answer(u"&Yes");
        Dialog().ClickOk();
        EXPECT_EQ(Boxes().back(), u"Error creating directory: " + text + u".");
    }
    EXPECT_FALSE(ui.HasProgress());
}

// Windows resolves a path of blanks to the current directory, which exists;
// the Linux file system does not, so the test lends it that rule.
class BlankIsCurrentDirectory final : public host::FileSystem {
public:
    explicit BlankIsCurrentDirectory(host::FileSystem& real) : real_(real) {}
    std::optional<host::FileEntry> Find(std::u16string_view p) override { return real_.Find(p); }
    bool FileExists(std::u16string_view p) override { return real_.FileExists(p); }
    bool DirectoryExists(std::u16string_view p) override {
        return (!p.empty() && Trim(p).empty()) || real_.DirectoryExists(p);
    }
    bool MakeDirectory(std::u16string_view p) override { return real_.MakeDirectory(p); }
    bool SetLastWriteTime(std::u16string_view p, host::FileTime t) override { return real_.SetLastWriteTime(p, t); }
    bool Move(std::u16string_view from, std::u16string_view to) override { return real_.Move(from, to); }
    bool Remove(std::u16string_view p) override { return real_.Remove(p); }
    std::unique_ptr<host::InputStream> OpenRead(std::u16string_view p) override { return real_.OpenRead(p); }
    std::unique_ptr<host::OutputStream> Create(std::u16string_view p, host::CreateMode m) override {
        return real_.Create(p, m);
    }
    std::u16string CurrentDirectory() override { return real_.CurrentDirectory(); }
    std::unique_ptr<host::Directory> OpenDirectory(std::u16string_view p) override { return real_.OpenDirectory(p); }
    std::u16string Canonical(std::u16string_view p) override { return real_.Canonical(p); }
    std::u16string FileUri(std::u16string_view p) override { return real_.FileUri(p); }

private:
    host::FileSystem& real_;
};

TEST_F(Options, RootFoldersAreTrimmedMustBeGivenAndEndInABackslash) {
    platform.FileSystem().MakeDirectory(u"D:\\New");
    Dialog().ChoosePage(kPageReRoot);
    Dialog().Type(Dialog().edtMoveFrom(), u"   ");
    Dialog().Type(Dialog().edtMoveTo(), u"D:\\New");
    Dialog().ClickOk();
    EXPECT_THAT(Boxes(), ElementsAre(u"Error: source directory not specified."));
    EXPECT_EQ(Dialog().edtMoveFrom().Text(), u"");

    BlankIsCurrentDirectory fileSystem(platform.FileSystem());
    host::PlatformScope windowsRules({&platform.Registry(), &fileSystem, &platform.Libraries(), &platform.System(),
                                      &platform.Catalog(), &platform.RunLocks()});
    Dialog().Type(Dialog().edtMoveFrom(), u"C:\\Old");
    Dialog().Type(Dialog().edtMoveTo(), u"  ");
    Dialog().ClickOk();
    EXPECT_EQ(Boxes().back(), u"Error: destination directory not specified.");
    EXPECT_FALSE(ui.HasProgress());

    // A link under the old root is moved under the new one, the roots joined by one backslash.
    platform.WriteFile(u"C:\\Old\\Sub\\a.txt", "linked");
    auto& mail = Inbox().Mail(u"m").Link(u"C:\\Old\\Sub\\a.txt");
    testing_support::TrackLink(platform, mail, 1);
    b.MainExplorer().Select({&mail});
    Open();
    Dialog().ChoosePage(kPageReRoot);
    Dialog().ClickTarget(Dialog().rbtSelectedMessage());
    Dialog().Type(Dialog().edtMoveFrom(), u"  C:\\Old ");
    Dialog().Type(Dialog().edtMoveTo(), u"D:\\New");
    Dialog().ClickOk();
    EXPECT_EQ(Dialog().edtMoveFrom().Text(), u"C:\\Old\\");
    EXPECT_EQ(Dialog().edtMoveTo().Text(), u"D:\\New\\");
    EXPECT_EQ(Stored().ProcessOption(), kPageReRoot);
    EXPECT_EQ(mail.AttachmentAt(1).PathName(), u"D:\\New\\Sub\\a.txt");
    EXPECT_EQ(platform.ReadFile(u"D:\\New\\Sub\\a.txt"), "linked");

    Open();
    EXPECT_EQ(Dialog().edtMoveTo().Text(), u"D:\\New\\");
    EXPECT_EQ(Dialog().edtMoveFrom().Text(), Stored().LastToDir());  // reloaded from the save directory
}

TEST_F(Options, DirectoryButtonsStartThePickerAtTheFieldAndKeepItWhenCancelled) {
    ui.FolderBrowser().Cancel().Confirm(u"D:\\Ünïcødé ✓").Confirm(u"C:\\Old");
    Dialog().ClickDirButton(host::DirButton::btnDirTo);
    EXPECT_EQ(Dialog().edtDirTo().Text(), u"C:\\Out");

    Dialog().Type(Dialog().edtMoveTo(), u"D:\\Start\\");
    Dialog().ClickDirButton(host::DirButton::btnMoveTo);
    EXPECT_EQ(Dialog().edtMoveTo().Text(), u"D:\\Ünïcødé ✓");
    Dialog().ClickDirButton(host::DirButton::btnMoveFrom);
    EXPECT_EQ(Dialog().edtMoveFrom().Text(), u"C:\\Old");

    const auto& showings = ui.FolderBrowser().Showings();
    ASSERT_EQ(showings.size(), 3u);
    EXPECT_THAT(showings[0].Selected, ElementsAre(u"C:\\Out"));
    EXPECT_THAT(showings[1].Selected, ElementsAre(u"D:\\Start"));
    EXPECT_EQ(showings[1].Request.Root, host::BrowseRoot::MyComputer);
    EXPECT_TRUE(Dialog().Visible());
}

TEST(ErrorBox, APeriodIsAppendedUnlessTheTextEndsAtOrBelowOne) {
    EXPECT_EQ(ErrorBoxText(u"No folder selected"), u"No folder selected.");
    EXPECT_EQ(ErrorBoxText(u"Done."), u"Done.");
    EXPECT_EQ(ErrorBoxText(u"Stop!"), u"Stop!");
    EXPECT_EQ(ErrorBoxText(u"(see above)"), u"(see above)");
    EXPECT_EQ(ErrorBoxText(u"trailing "), u"trailing ");
    EXPECT_EQ(ErrorBoxText(u"a-"), u"a-");
    EXPECT_EQ(ErrorBoxText(u"path/"), u"path/.");
    EXPECT_EQ(ErrorBoxText(u"café"), u"café.");
    EXPECT_EQ(ErrorBoxText(u""), u"");
}

}  // namespace
