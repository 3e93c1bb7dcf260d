// The add-in's tool bar and context entry, through the host's command bars.

#include "AddInFixture.h"

namespace addin_test {
namespace {

using sim::FaceSource;

TEST_F(AddInTest, FirstStartCreatesTheBarWithOneFacedButtonAndHooksItsEvents) {
    const int barsBefore = static_cast<int>(Bars().Bars().size());
    Start();

    ASSERT_EQ(static_cast<int>(Bars().Bars().size()), barsBefore + 1);
    sim::CommandBar& bar = ToolBar();
    EXPECT_TRUE(bar.Data().Visible);
    EXPECT_FALSE(bar.Data().Temporary);
    ASSERT_EQ(bar.Data().Controls.size(), 1u);

    const sim::ButtonState& button = MainButton().State();
    EXPECT_EQ(button.Caption, u"Velmora");
    EXPECT_EQ(button.Style, Office::msoButtonIconAndCaption);
    EXPECT_EQ(button.TooltipText, u"Remove or save attachments");
    EXPECT_TRUE(button.Visible);
    EXPECT_EQ(button.FaceFrom, FaceSource::Picture);
    EXPECT_EQ(button.Face, OwnFace());

    EXPECT_EQ(MainButton().ClickSinkCount(), 1u);
    EXPECT_EQ(Bars().UpdateSinkCount(), 1u);
    EXPECT_EQ(b.App().EventSinkCount(), 1u);
}

TEST_F(AddInTest, LaterStartReusesTheSavedBarAndSetsOnlyCaptionAndVisibility) {
    Start();
    Shutdown();
    sim::SavedCommandBars saved = Bars().Saved();

    // The host starts again with what it kept; the user meanwhile renamed
    // and hid the button.
    sim::OutlookBuilder again;
    again.App().Bars().Restore(saved);
    sim::CommandBar& bar = *again.App().Bars().Find(velmora::kToolBarName);
    bar.ControlAt(1).State().Caption = u"Renamed";
    bar.ControlAt(1).State().Visible = false;
    bar.Data().Visible = false;
    const std::size_t barCount = again.App().Bars().Bars().size();

    addIn = Create();
    SAFEARRAY* custom = nullptr;
    ASSERT_EQ(addIn->OnConnection(again.App().AsDispatch(), Office::ext_cm_Startup, nullptr, &custom), S_OK);
    ASSERT_EQ(addIn->OnStartupComplete(&custom), S_OK);

    EXPECT_EQ(again.App().Bars().Bars().size(), barCount);
    ASSERT_EQ(bar.Data().Controls.size(), 1u);
    sim::CommandBarButton& button = bar.ControlAt(1);
    EXPECT_EQ(button.State().Caption, u"Velmora");
    EXPECT_TRUE(button.State().Visible);
    EXPECT_TRUE(bar.Data().Visible);
    // The face and tooltip it was given at its creation stay; none is set again.
    EXPECT_EQ(button.State().FaceFrom, FaceSource::Picture);
    EXPECT_EQ(button.Faults().Calls("Style"), 0);
    EXPECT_EQ(button.Faults().Calls("Picture"), 0);
    EXPECT_EQ(button.Faults().Calls("TooltipText"), 0);
    EXPECT_EQ(button.ClickSinkCount(), 1u);

    ASSERT_EQ(addIn->OnBeginShutdown(&custom), S_OK);
    ASSERT_EQ(addIn->OnDisconnection(Office::ext_dm_HostShutdown, &custom), S_OK);
    addIn.Reset();
}

TEST_F(AddInTest, ABarWhoseNameDiffersOnlyInCaseIsNotTakenForTheAddInsBar) {
    sim::CommandBar& other = Bars().Seed({u"velmoracommandbar", Office::msoBarTop, 0, true, false, {{}}});
    Start();

    EXPECT_NE(&ToolBar(), &other);
    EXPECT_EQ(ToolBar().Data().Controls.size(), 1u);
    EXPECT_EQ(other.ControlAt(1).State().Caption, u"");
}

TEST_F(AddInTest, TheContextEntryIsAddedOnceAndOnlyItsPriorityIsResetWhenFound) {
    Start();
    ASSERT_EQ(ContextEntries(), 1);
    sim::CommandBarButton& entry = ContextEntry();
    EXPECT_EQ(entry.State().Caption, u"Velmora");
    EXPECT_EQ(entry.State().Priority, 1);
    EXPECT_TRUE(entry.State().Visible);
    EXPECT_EQ(entry.State().Style, Office::msoButtonIconAndCaption);
    EXPECT_EQ(entry.State().FaceFrom, FaceSource::Picture);
    EXPECT_EQ(entry.State().TooltipText, u"Remove or save attachments");
    EXPECT_EQ(entry.ClickSinkCount(), 1u);

    entry.State().Priority = 4;
    entry.State().Caption = u"Changed by the user";
    Bars().RaiseUpdate();
    Bars().RaiseUpdate();

    EXPECT_EQ(ContextEntries(), 1);
    EXPECT_EQ(entry.State().Priority, 1);
    EXPECT_EQ(entry.State().Caption, u"Changed by the user");
    EXPECT_EQ(entry.ClickSinkCount(), 1u);
}

TEST_F(AddInTest, AMissingContextEntryIsPutBackAtTheNextUpdateWithItsSinkMoved) {
    Start();
    com::ComPtr<sim::CommandBarButton> first(&ContextEntry());
    ContextMenu().Data().Controls.clear();

    Bars().RaiseUpdate();

    ASSERT_EQ(ContextEntries(), 1);
    EXPECT_NE(&ContextEntry(), first.Get());
    EXPECT_EQ(first->ClickSinkCount(), 0u);
    EXPECT_EQ(ContextEntry().ClickSinkCount(), 1u);
}

TEST_F(AddInTest, TheNoCustomizeBitIsClearedForTheChangeAndRestoredWithOtherBitsUntouched) {
    ContextMenu().Data().Protection = Office::msoBarNoCustomize | Office::msoBarNoMove | Office::msoBarNoResize;
    Start();

    EXPECT_EQ(ContextEntries(), 1);
    EXPECT_EQ(ContextMenu().Data().Protection, Office::msoBarNoCustomize | Office::msoBarNoMove | Office::msoBarNoResize);
    EXPECT_EQ(ContextMenu().Faults().Calls("SetProtection"), 2);
}

TEST_F(AddInTest, ABarWithoutTheNoCustomizeBitKeepsItsProtectionUnwritten) {
    ContextMenu().Data().Protection = Office::msoBarNoMove;
    Start();

    EXPECT_EQ(ContextEntries(), 1);
    EXPECT_EQ(ContextMenu().Data().Protection, Office::msoBarNoMove);
    EXPECT_EQ(ContextMenu().Faults().Calls("SetProtection"), 0);
}

TEST_F(AddInTest, TheUpdatesRaisedByTheAddInsOwnChangeAreIgnored) {
    Start();
    // Adding the entry raised OnUpdate while the add-in changed the bar;
    // had it come back in, the bar would have been searched again.
    EXPECT_EQ(ContextMenu().Faults().Calls("FindControl"), 1);
    EXPECT_EQ(ContextEntries(), 1);

    Bars().RaiseUpdate();
    EXPECT_EQ(ContextMenu().Faults().Calls("FindControl"), 2);
}

TEST_F(AddInTest, AFailedEntryLeavesTheBarProtectedAndTheNextUpdateTriesAgain) {
    ContextMenu().Data().Protection = Office::msoBarNoCustomize | Office::msoBarNoMove;
    ContextMenu().ControlCollection().Faults().FailOnCall("Add", 1, E_OUTOFMEMORY, u"No room for a control");
    Start();

    EXPECT_EQ(ContextEntries(), 0);
    EXPECT_EQ(ContextMenu().Data().Protection, Office::msoBarNoCustomize | Office::msoBarNoMove);

    Bars().RaiseUpdate();
    EXPECT_EQ(ContextEntries(), 1);
    EXPECT_EQ(ContextMenu().Data().Protection, Office::msoBarNoCustomize | Office::msoBarNoMove);
}

TEST_F(AddInTest, AHostWithoutAContextMenuGetsNoEntryAndStartsAllTheSame) {
    Bars().Restore({{u"Standard", Office::msoBarTop, 0, true, false, {}}});
    Start();
    EXPECT_NO_THROW(ToolBar());
    EXPECT_EQ(Bars().UpdateSinkCount(), 1u);
}

TEST_F(AddInTest, AHostRejectingPictureGetsTheFaceByPasteAndNoFurtherPictureTries) {
    Bars().RejectPicture();
    clipboard.SetText(u"what the user had copied");
    Start();

    const sim::ButtonState& button = MainButton().State();
    EXPECT_EQ(button.FaceFrom, FaceSource::Pasted);
    EXPECT_EQ(button.Face, OwnFace());
    EXPECT_EQ(clipboard.Text(), u"");
    EXPECT_EQ(MainButton().Faults().Calls("Picture"), 1);
    EXPECT_EQ(button.Style, Office::msoButtonIconAndCaption);
    EXPECT_EQ(button.TooltipText, u"Remove or save attachments");

    // The context entry gets no face at all: no Picture and no paste.
    sim::CommandBarButton& entry = ContextEntry();
    EXPECT_EQ(entry.State().FaceFrom, FaceSource::None);
    EXPECT_EQ(entry.Faults().Calls("Picture"), 0);
    EXPECT_EQ(entry.Faults().Calls("PasteFace"), 0);
    EXPECT_EQ(entry.State().TooltipText, u"Remove or save attachments");
}

TEST_F(AddInTest, PictureIsTriedAgainOnceTheSameObjectIsConnectedAgain) {
    ContextMenu().ControlCollection().Faults().FailOn("Add", E_FAIL, u"Not now");
    Bars().RejectPicture();
    Start();
    SAFEARRAY* custom = nullptr;
    ASSERT_EQ(addIn->OnDisconnection(Office::ext_dm_UserClosed, &custom), S_OK);

    ContextMenu().ControlCollection().Faults().Clear();
    ASSERT_EQ(addIn->OnConnection(Application(), Office::ext_cm_AfterStartup, nullptr, &custom), S_OK);
    EXPECT_EQ(ContextEntry().Faults().Calls("Picture"), 1);
    EXPECT_EQ(ContextEntry().State().FaceFrom, FaceSource::None);
}

TEST_F(AddInTest, AClipboardWithoutPicturesLeavesTheButtonWithoutAFace) {
    host::UserInterfaceScope textsOnly(
        host::UserInterface{&ui.Boxes(), &ui.Pump(), &ui.Clipboard(), &ui.Shell(), &ui.FolderBrowser(), &ui});
    Bars().RejectPicture();
    Start();

    const sim::ButtonState& button = MainButton().State();
    EXPECT_EQ(button.FaceFrom, FaceSource::None);
    EXPECT_EQ(button.Style, Office::msoButtonIconAndCaption);
    EXPECT_EQ(button.TooltipText, u"Remove or save attachments");
    Shutdown();
}

}  // namespace
}  // namespace addin_test
