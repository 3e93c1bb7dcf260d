// The progress log window driven by the engine's handlers.
#include "UiFixture.h"
#include "ui/frm_ProcessLog.h"

using namespace velmora;
using ::testing::ElementsAre;
using ui_test::UiTest;

namespace {

class ProgressLog : public UiTest {
protected:
    ProgressLog() {
        window.AttachEngine(&engine);
        window.SetRunning(true);
    }

    std::uint8_t FileExists() {
        std::uint8_t answer = 2;
        window.OnFileExists(u"a.txt", u"C:\\Out", answer);
        return answer;
    }

    std::uint32_t tick = 0;
    TOutlookManager engine;
    TfrmProcessLog window{[this] { return tick; }};
};

TEST_F(ProgressLog, EachStatusKindAddsItsOutcomeToTheAttachmentLine) {
    const char16_t* outcomes[] = {
        u"Attachment saved as F.",
        u"Attachments is link. Skipping.",
        u"Attachments is an OLE Object. Skipping.",
        u"Attachments F is not extractable. Skipping.",
        u"Attachments is an embedded image. Skipping.",
        u"Identical file found on D. Skipping.",
        u"Attachment renamed to F.",
        u"Attachment already exists on folder F. Overwriting.",
        u"Attachments is not a link. Skipping.",
        u"Attachments reintroduced.",
        u"Attachment link not found (F). Skipping.",
        u"Attachment link doesn't point to the source directory. Skipping.",
        u"Attachment link moved to D.",
        u"Destination file already exists, won't move the file.",
        u"Attachment link not made by Velmora (F), left as it is.",
        u"Linked file changed since it was saved (F), left as it is.",
        u"Attachment's encoding is damaged: left in the message.",
        u"Attachment could not be written (F). Skipping.",
        u"F holds the saved attachment of another message, won't overwrite it.",
        u"Attachment link adopted (F).",
    };
    constexpr int kKnown = static_cast<int>(std::size(outcomes));
    window.OnProcessMail(u"S");
    for (int kind = 0; kind <= kKnown + 1; ++kind) {
        window.OnProcessAttachment(u"x");
        window.OnAttachmentStatus(u"F", u"D", static_cast<TAttachmentStatus>(kind));
        const std::u16string expected = kind < kKnown ? u"   => Processing att. x... " + std::u16string(outcomes[kind])
                                                      : u"   => Processing att. x...";
        EXPECT_EQ(Log().back(), expected) << "kind " << kind;
    }
    window.OnAttachmentStatus(u"F", u"D", static_cast<TAttachmentStatus>(255));
    EXPECT_EQ(Log().size(), static_cast<std::size_t>(kKnown + 3));
}

TEST_F(ProgressLog, EachItemWithAttachmentsGetsOneHeader) {
    window.OnProcessFolder(u"Inbox");
    window.OnProcessMail(u"A");
    EXPECT_EQ(ui.Progress().lblFolder().Caption(), u"Processing Inbox / A...");
    window.OnProcessAttachment(u"1.txt");
    window.OnProcessAttachment(u"2.txt");
    window.OnProcessMail(u"No attachments");
    window.OnProcessMail(u"B");
    window.OnProcessAttachment(u"3.txt");
    window.OnProcessFolder(u"Sub");
    EXPECT_EQ(ui.Progress().lblFolder().Caption(), u"Processing Sub...");
    EXPECT_THAT(Log(), ElementsAre(u"Processing folder Inbox", u" => Processing mail A", u"   => Processing att. 1.txt...",
                                   u"   => Processing att. 2.txt...", u" => Processing mail B",
                                   u"   => Processing att. 3.txt...", u"Processing folder Sub"));
}

TEST_F(ProgressLog, AnOutcomeWithoutALineStandsAlone) {
    window.OnAttachmentStatus(u"F", u"D", asLink);
    EXPECT_THAT(Log(), ElementsAre(u"Attachments is link. Skipping."));
}

TEST_F(ProgressLog, OverwriteAnswersAndToAllModesLastOneRun) {
    ui.Boxes().Answer(u"&Yes").Answer(u"&No").Dismiss().Answer(u"Yes to &All");
    EXPECT_EQ(FileExists(), 1);
    EXPECT_EQ(FileExists(), 0);
    EXPECT_EQ(FileExists(), 0);  // closed otherwise: rename, never overwrite
    EXPECT_EQ(FileExists(), 1);
    EXPECT_EQ(FileExists(), 1);  // not asked
    EXPECT_EQ(ui.Boxes().Shown().size(), 4u);
    const auto& box = ui.Boxes().Shown()[0].Request;
    EXPECT_EQ(box.Text, u"The file \"a.txt\" already exists on the folder\r\nC:\\Out\r\nDo you want to overwrite it? "
                        u"(No will rename the file adding a number to the end)");
    EXPECT_THAT(box.Buttons, ElementsAre(u"&Yes", u"&No", u"N&o to All", u"Yes to &All"));
    EXPECT_EQ(box.EscapeButton, 1u);

    window.SetRunning(false);
    window.SetRunning(true);
    ui.Boxes().Answer(u"N&o to All");
    EXPECT_EQ(FileExists(), 0);
    EXPECT_EQ(FileExists(), 0);
    EXPECT_EQ(ui.Boxes().Shown().size(), 5u);
}

TEST_F(ProgressLog, StatusUpdatesPumpAtMostEvery500Milliseconds) {
    const int atStart = ui.Pump().Calls();
    tick = 500;
    window.OnProcessMail(u"a");
    EXPECT_EQ(ui.Pump().Calls(), atStart);
    tick = 501;
    window.OnProcessMail(u"b");
    EXPECT_EQ(ui.Pump().Calls(), atStart + 1);
    tick = 1001;
    window.OnProcessFolder(u"f");
    EXPECT_EQ(ui.Pump().Calls(), atStart + 1);
    tick = 1002;
    window.OnProcessFolder(u"g");
    EXPECT_EQ(ui.Pump().Calls(), atStart + 2);

    // Attachments pump every time.
    window.OnProcessAttachment(u"x");
    window.OnProcessAttachment(u"y");
    EXPECT_EQ(ui.Pump().Calls(), atStart + 4);

    // The tick counter wraps.
    tick = 0xFFFFFF00u;
    window.OnProcessMail(u"c");
    EXPECT_EQ(ui.Pump().Calls(), atStart + 5);
    tick = 0x000000F4u;  // 500 ms later
    window.OnProcessMail(u"d");
    EXPECT_EQ(ui.Pump().Calls(), atStart + 5);
    tick = 0x000000F5u;
    window.OnProcessMail(u"e");
    EXPECT_EQ(ui.Pump().Calls(), atStart + 6);
}

TEST_F(ProgressLog, CopyPutsTheWholeLogOnTheClipboard) {
    window.OnProcessFolder(u"Inbox");
    window.OnProcessMail(u"A");
    window.OnProcessAttachment(u"1.txt");
    window.SetRunning(false);
    ui.Progress().ClickCopy();
    EXPECT_THAT(ui.Clipboard().Texts(),
                ElementsAre(u"Processing folder Inbox\r\n => Processing mail A\r\n   => Processing att. 1.txt...\r\n"
                            u"== FINISHED =="));
    EXPECT_TRUE(ui.Progress().Log().AllSelected());
}

TEST_F(ProgressLog, WithoutAnEngineTheCountersStayAndClosingShowsNoWelcome) {
    window.OnProcessFolder(u"Inbox");
    EXPECT_EQ(ui.Progress().lblStatus().Caption(),
              u"  0 folders processed\r\n  0 messages processed\r\n  0 attachements saved");
    window.AttachEngine(nullptr);
    EXPECT_FALSE(static_cast<bool>(engine.OnProcessFolder));
    ui.Progress().lblStatus().SetCaption(u"kept");
    window.OnProcessFolder(u"Sub");
    EXPECT_EQ(ui.Progress().lblStatus().Caption(), u"kept");
    ui.Progress().CloseBox();
    EXPECT_FALSE(ui.Progress().Visible());
    EXPECT_EQ(ui.WelcomeShowings(), 0);
}

TEST_F(ProgressLog, TheWindowLetsGoOfItsEngineWhenDestroyed) {
    {
        TfrmProcessLog other([] { return 0u; });
        other.AttachEngine(&engine);
        EXPECT_TRUE(static_cast<bool>(engine.OnAttachmentStatus));
    }
    EXPECT_FALSE(static_cast<bool>(engine.OnProcessFolder) || static_cast<bool>(engine.OnProcessMail) ||
                 static_cast<bool>(engine.OnProcessAttachment) || static_cast<bool>(engine.OnAttachmentStatus) ||
                 static_cast<bool>(engine.OnFileExists));
}

}  // namespace
