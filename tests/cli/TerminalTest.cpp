#include <gtest/gtest.h>

#include <deque>
#include <sstream>

#include "TestPlatform.h"
#include "ui/ProcessLogText.h"
#include "velmora/OverwriteQuestion.h"
#include "velmora/TerminalLog.h"
#include "velmora/TerminalOutput.h"

namespace velmora::cli {
namespace {

TEST(OverwriteAnswers, TypedWordsAndLetters) {
    const std::vector<std::pair<std::string, OverwriteAnswer>> cases = {
        {"y", OverwriteAnswer::Yes},          {" YES \r", OverwriteAnswer::Yes},
        {"n", OverwriteAnswer::No},           {"no", OverwriteAnswer::No},
        {"o", OverwriteAnswer::NoToAll},      {"No to all", OverwriteAnswer::NoToAll},
        {"a", OverwriteAnswer::YesToAll},     {"yes to ALL", OverwriteAnswer::YesToAll},
        {"", OverwriteAnswer::No},            {"yep", OverwriteAnswer::No},
        {"overwrite", OverwriteAnswer::No},   {"all", OverwriteAnswer::No}};
    for (const auto& [typed, answer] : cases) EXPECT_EQ(ParseOverwriteAnswer(typed), answer) << typed;
}

TEST(OverwriteAnswers, TheQuestionIsAskedOnTheTerminalAndTheEndOfInputIsNo) {
    std::ostringstream shown;
    TerminalOutput output(shown, false, 80);
    std::istringstream typed("a\n");
    TerminalQuestion question(typed, output);
    EXPECT_EQ(question.Ask(u"The file \"x\" exists\r\nOverwrite?"), OverwriteAnswer::YesToAll);
    EXPECT_EQ(shown.str(), "The file \"x\" exists\nOverwrite?\n[y]es/[n]o/n[o] to all/yes to [a]ll? ");
    EXPECT_EQ(question.Ask(u"Again?"), OverwriteAnswer::No);
}

TEST(TerminalLines, PlainLinesWhenNotATerminal) {
    std::ostringstream shown;
    TerminalOutput output(shown, false, 80);
    output.ShowProgress(u"[###] 1/3", true);
    output.WriteLine(u"Processing folder Zürich");
    output.HideProgress();
    EXPECT_EQ(shown.str(), "Processing folder Zürich\n");
}

TEST(TerminalLines, TheProgressLineStaysBelowTheLog) {
    std::ostringstream shown;
    TerminalOutput output(shown, true, 12);
    output.ShowProgress(u"progress 1 of 3 items", true);
    output.WriteLine(u"line");
    output.ShowProgress(u"progress 2", true);
    output.HideProgress();
    EXPECT_EQ(shown.str(),
              "progress 1 \r\x1b[K"
              "line\nprogress 1 \r\x1b[K"
              "progress 2\r\x1b[K");
}

TEST(TerminalLines, CutToTheWidthByCharacters) {
    EXPECT_EQ(FitToWidth(u"abcdef", 4), u"abcd");
    EXPECT_EQ(FitToWidth(u"a\U0001F4CEb", 2), u"a\U0001F4CE");
    EXPECT_EQ(FitToWidth(u"ab", 10), u"ab");
}

TEST(TerminalLines, TheProgressBarCountsItemsAgainstTheTotal) {
    EXPECT_EQ(ProgressText(5, 10, 1, 4, 7, u"Processing Inbox..."),
              u"[##########----------] 5/10 items  1 folders, 4 messages, 7 saved  Processing Inbox...");
    EXPECT_EQ(ProgressText(12, 10, 0, 0, 0, u""), u"[####################] 10/10 items  0 folders, 0 messages, 0 saved");
    EXPECT_EQ(ProgressText(3, 0, 2, 3, 4, u""), u"2 folders, 3 messages, 4 saved");
}

// Answers in the order given; counts how often it was asked.
class ScriptedQuestion : public OverwriteQuestion {
public:
    explicit ScriptedQuestion(std::deque<OverwriteAnswer> answers) : answers_(std::move(answers)) {}
    OverwriteAnswer Ask(std::u16string_view question) override {
        asked.emplace_back(question);
        OverwriteAnswer answer = answers_.front();
        answers_.pop_front();
        return answer;
    }
    std::vector<std::u16string> asked;

private:
    std::deque<OverwriteAnswer> answers_;
};

// The log driven through the engine's callbacks, as a run calls them.
class Log : public testing::Test {
protected:
    std::string Shown() const { return shown_.str(); }
    std::uint8_t Conflict(const std::u16string& name) {
        std::uint8_t answer = 2;
        engine_.OnFileExists(engine_, name, u"Z:\\saved", answer);
        return answer;
    }

    testing_support::TestPlatform platform_;
    TOutlookManager engine_;
    std::ostringstream shown_;
    TerminalOutput output_{shown_, false, 80};
    ScriptedQuestion question_{{OverwriteAnswer::No, OverwriteAnswer::Yes, OverwriteAnswer::YesToAll,
                                OverwriteAnswer::NoToAll}};
    bool cancelRequested_ = false;
    TerminalLog log_{output_, question_, [this] { return cancelRequested_; }};
};

TEST_F(Log, LinesAsTheProgressWindowWritesThem) {
    log_.AttachEngine(&engine_);
    log_.Start(3);
    engine_.OnProcessFolder(engine_, u"Inbox");
    engine_.OnProcessMail(engine_, u"No attachments");
    engine_.OnProcessMail(engine_, u"Two files");
    engine_.OnProcessAttachment(engine_, u"b.pdf");
    engine_.OnAttachmentStatus(engine_, u"Z:\\saved\\b(1).pdf", u"Z:\\saved", asRenamed);
    engine_.OnAttachmentStatus(engine_, u"Z:\\saved\\b(1).pdf", u"Z:\\saved", asSaved);
    engine_.OnProcessAttachment(engine_, u"a.png");
    engine_.OnAttachmentStatus(engine_, u"a.png", u"Z:\\saved", asEmbeddedImage);
    engine_.OnAttachmentStatus(engine_, u"a.png", u"Z:\\saved", static_cast<TAttachmentStatus>(200));
    engine_.OnProcessMail(engine_, u"Identical");
    engine_.OnProcessAttachment(engine_, u"c.txt");
    engine_.OnAttachmentStatus(engine_, u"Z:\\saved\\c.txt", u"Z:\\saved", asIdenticalFile);
    log_.Finish();
    EXPECT_EQ(Shown(),
              "Processing folder Inbox\n"
              " => Processing mail Two files\n"
              "   => Processing att. b.pdf... Attachment renamed to Z:\\saved\\b(1).pdf. Attachment saved as "
              "Z:\\saved\\b(1).pdf.\n"
              "   => Processing att. a.png... Attachments is an embedded image. Skipping.\n"
              " => Processing mail Identical\n"
              "   => Processing att. c.txt... Identical file found on Z:\\saved. Skipping.\n"
              "== FINISHED ==\n"
              "  0 folders processed\n  0 messages processed\n  0 attachements saved\n");
}

TEST_F(Log, AnOutcomeWithoutALineStandsAlone) {
    log_.AttachEngine(&engine_);
    log_.Start(0);
    engine_.OnAttachmentStatus(engine_, u"Z:\\a\\b.pdf", u"Z:\\a\\", asLinkMoved);
    log_.Finish();
    EXPECT_EQ(Shown().substr(0, Shown().find("== FINISHED")), "Attachment link moved to Z:\\a\\.\n");
}

TEST_F(Log, TheQuestionFollowsItsAttachmentsLineAndToAllAnswersLastUntilTheNextRun) {
    log_.AttachEngine(&engine_);
    log_.Start(1);
    engine_.OnProcessMail(engine_, u"Conflicts");
    engine_.OnProcessAttachment(engine_, u"r.pdf");
    EXPECT_EQ(Conflict(u"r.pdf"), 0);  // no
    EXPECT_EQ(Shown(), " => Processing mail Conflicts\n   => Processing att. r.pdf...\n");
    engine_.OnAttachmentStatus(engine_, u"Z:\\saved\\r(1).pdf", u"Z:\\saved", asRenamed);
    EXPECT_EQ(Conflict(u"r.pdf"), 1);  // yes
    EXPECT_EQ(Conflict(u"r.pdf"), 1);  // yes to all
    EXPECT_EQ(Conflict(u"s.pdf"), 1);  // not asked
    EXPECT_EQ(Conflict(u"t.pdf"), 1);
    ASSERT_EQ(question_.asked.size(), 3u);
    EXPECT_EQ(question_.asked[0], FileExistsQuestion(u"r.pdf", u"Z:\\saved"));
    log_.Finish();
    // The line asked about is written again with its outcome.
    EXPECT_NE(Shown().find("   => Processing att. r.pdf... Attachment renamed to Z:\\saved\\r(1).pdf.\n"),
              std::string::npos);

    log_.Start(1);
    EXPECT_EQ(Conflict(u"u.pdf"), 0);  // asked again: no to all
    EXPECT_EQ(Conflict(u"v.pdf"), 0);
    EXPECT_EQ(question_.asked.size(), 4u);
}

TEST_F(Log, ControlCharactersFromMessagesAreShownEscapedAndOneAttachmentStaysOneLine) {
    log_.AttachEngine(&engine_);
    log_.Start(1);
    engine_.OnProcessFolder(engine_, u"Inbox\a");
    engine_.OnProcessMail(engine_, u"Invoice\n   => Processing att. forged.pdf... Attachment saved as x.");
    engine_.OnProcessAttachment(engine_, u"\x1b]0;owned\x07\x1b[2Jreport\u202Efdp.exe");
    engine_.OnAttachmentStatus(engine_, u"Z:\\saved\\\x1b[31mred.pdf", u"Z:\\saved", asSaved);
    EXPECT_EQ(Conflict(u"r\r.pdf"), 0);
    log_.Finish();
    const std::string shown = Shown();
    EXPECT_EQ(shown.substr(0, shown.find("== FINISHED")),
              "Processing folder Inbox\\x07\n"
              " => Processing mail Invoice\\n   => Processing att. forged.pdf... Attachment saved as x.\n"
              "   => Processing att. \\x1b]0;owned\\x07\\x1b[2Jreport\\u202efdp.exe... Attachment saved as "
              "Z:\\saved\\\\x1b[31mred.pdf.\n");
    ASSERT_EQ(question_.asked.size(), 1u);
    EXPECT_EQ(question_.asked[0], FileExistsQuestion(u"r\\r.pdf", u"Z:\\saved"));
}

TEST(TerminalLines, NoControlCharacterReachesTheTerminalButTheLineBreaks) {
    std::ostringstream shown;
    TerminalOutput output(shown, true, 200);
    output.WriteLine(u"first\r\nsecond \x1b[1A\rover");
    output.ShowProgress(u"Processing Inbox / a\nb\x1b", true);
    output.WritePrompt(u"?\a ");
    EXPECT_EQ(shown.str(),
              "first\nsecond \\x1b[1A\\rover\n"
              "Processing Inbox / a\\nb\\x1b\r\x1b[K"
              "?\\x07 ");
}

TEST_F(Log, DetachingClearsTheEnginesHandlers) {
    log_.AttachEngine(&engine_);
    EXPECT_TRUE(engine_.OnProcessFolder && engine_.OnFileExists);
    log_.AttachEngine(nullptr);
    EXPECT_FALSE(engine_.OnProcessFolder || engine_.OnProcessMail || engine_.OnProcessAttachment ||
                 engine_.OnAttachmentStatus || engine_.OnFileExists);
}

}  // namespace
}  // namespace velmora::cli
