// The welcome window's links and flag, and the folder picker.
#include "UiFixture.h"
#include "ui/PathDialog.h"
#include "ui/frm_Welcome.h"

using namespace velmora;
using ::testing::ElementsAre;
using ui_test::UiTest;

namespace {

using Welcome = UiTest;

TEST_F(Welcome, LinksOpenTheAddressBetweenTheOuterQuotesOrTheTextAsItIs) {
    ui.WhileWelcomeShown([](sim::ui::Welcome& window) {
        window.ClickLink(u"HYPERLINK \"https://velmora.example.org/donate\" \\o \"Donate\"");
        window.ClickLink(u"HYPERLINK \"https://velmora.example.org/donate\"");
        window.ClickLink(u"https://velmora.example.org/tips");
        window.ClickLink(u"odd \"tail");
    });
    TfrmWelcome welcome;
    welcome.ShowModal();
    EXPECT_THAT(ui.Shell().Opened(),
                ElementsAre(u"https://velmora.example.org/donate\" \\o \"Donate", u"https://velmora.example.org/donate",
                            u"https://velmora.example.org/tips", u"tail"));
}

TEST_F(Welcome, ShowingSetsTheFlagUnlessTheDocumentFailsToLoad) {
    ui.WelcomeDocumentLoads(false);
    Open();
    Dialog().ClickTips();
    EXPECT_EQ(ui.WelcomeShowings(), 0);
    EXPECT_THAT(Boxes(), ElementsAre(u"The welcome document cannot be loaded."));
    EXPECT_FALSE(Stored().DisplayedWelcomeMsg());

    ui.WelcomeDocumentLoads(true);
    TfrmWelcome welcome;
    welcome.ShowModal();
    EXPECT_EQ(ui.WelcomeShowings(), 1);
    EXPECT_TRUE(Stored().DisplayedWelcomeMsg());
}

class Picker : public UiTest {
protected:
    TPathDialog picker;
};

TEST_F(Picker, SetDirectoryDropsOneFinalBackslashAndTakesTheCurrentDirectoryForNothing) {
    picker.SetDirectory(u"C:\\Data\\");
    EXPECT_EQ(picker.Directory(), u"C:\\Data");
    picker.SetDirectory(u"C:\\");
    EXPECT_EQ(picker.Directory(), u"C:");
    picker.SetDirectory(u"C:\\Data\\\\");
    EXPECT_EQ(picker.Directory(), u"C:\\Data\\");
    picker.SetDirectory(u"");
    EXPECT_EQ(picker.Directory(), platform.FileSystem().CurrentDirectory());
}

TEST_F(Picker, ExecuteSelectsTheStartDirectoryAndGivesBackTheConfirmedOne) {
    ui.FolderBrowser().Confirm(u"D:\\Données\\日本", {u"C:\\A", u""}).Cancel().RootUnavailable();
    std::vector<std::u16string> selections;
    int shown = 0;
    picker.OnShow = [&](TPathDialog&) { ++shown; };
    picker.OnSelect = [&](TPathDialog&, const std::u16string& path) { selections.push_back(path); };
    picker.Title = u"Pick";
    picker.SetDirectory(u"C:\\Start\\");
    picker.SetStatusText(u"hidden");  // no status line: nothing is shown

    EXPECT_TRUE(picker.Execute());
    EXPECT_EQ(picker.Directory(), u"D:\\Données\\日本");
    EXPECT_EQ(shown, 1);
    EXPECT_THAT(selections, ElementsAre(u"C:\\A", u""));
    const auto& first = ui.FolderBrowser().Showings()[0];
    EXPECT_EQ(first.Request.Title, u"Pick");
    EXPECT_THAT(first.Selected, ElementsAre(u"C:\\Start"));
    EXPECT_TRUE(first.StatusTexts.empty());

    EXPECT_FALSE(picker.Execute());  // cancelled
    EXPECT_FALSE(picker.Execute());  // no root: nothing shown
    EXPECT_EQ(picker.Directory(), u"D:\\Données\\日本");
    EXPECT_EQ(ui.FolderBrowser().Showings().size(), 2u);
    EXPECT_EQ(shown, 2);
}

TEST_F(Picker, TheStatusLineAndHandlerErrorsWhileTheBrowserIsOpen) {
    ui.FolderBrowser().Confirm(u"C:\\Chosen", {u"C:\\Bad"});
    picker.ShowStatus = true;
    picker.RootItem = riDesktop;
    picker.SetStatusText(u"first");
    picker.OnShow = [](TPathDialog& sender) {
        sender.SetStatusText(u"second");
        sender.SetDirectory(u"D:\\Other");
        throw EVelmoraException(u"Show failed");
    };
    picker.OnSelect = [](TPathDialog&, const std::u16string& path) {
        throw EVelmoraException(u"Cannot use " + path);
    };
    EXPECT_TRUE(picker.Execute());
    EXPECT_EQ(picker.Directory(), u"C:\\Chosen");
    EXPECT_THAT(Boxes(), ElementsAre(u"Show failed.", u"Cannot use C:\\Bad."));
    const auto& showing = ui.FolderBrowser().Showings()[0];
    EXPECT_EQ(showing.Request.Root, host::BrowseRoot::Desktop);
    EXPECT_TRUE(showing.Request.ShowStatus);
    EXPECT_THAT(showing.StatusTexts, ElementsAre(u"first", u"second"));
    EXPECT_THAT(showing.Selected, ElementsAre(platform.FileSystem().CurrentDirectory(), u"D:\\Other"));

    // Closed again: setting the directory no longer reaches a browser.
    picker.SetDirectory(u"C:\\After");
    EXPECT_EQ(ui.FolderBrowser().Showings()[0].Selected.size(), 2u);
}

}  // namespace
