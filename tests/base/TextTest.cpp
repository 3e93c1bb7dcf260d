#include <gtest/gtest.h>

#include "base/Exception.h"
#include "base/Format.h"
#include "base/Utf16.h"
#include "base/VisibleText.h"

using namespace velmora;

TEST(Utf8, RoundTripsEveryPlane) {
    const std::u16string text = u"C:\\Документы\\Вложения 日本 \U0001F600";
    EXPECT_EQ(FromUtf8(ToUtf8(text)), text);
    EXPECT_EQ(ToUtf8(u"\u00e9"), "\xC3\xA9");
}

TEST(Utf8, BrokenInputBecomesReplacementCharacters) {
    EXPECT_EQ(FromUtf8("a\xFF" "b"), u"a\uFFFDb");
    EXPECT_EQ(FromUtf8("\xC3"), u"\uFFFD");                 // truncated sequence at the end
    EXPECT_EQ(FromUtf8("\xC0\xAF"), u"\uFFFD\uFFFD");       // overlong form of '/'
    EXPECT_EQ(FromUtf8("\xED\xA0\x80"), u"\uFFFD\uFFFD\uFFFD");  // encoded surrogate
    EXPECT_EQ(ToUtf8(std::u16string(1, u'\xD800')), "\xEF\xBF\xBD");  // lone surrogate
}

TEST(LetterCase, FoldsBeyondAscii) {
    EXPECT_TRUE(SameText(u"c:\\attachments\\Inbox", u"C:\\Attachments\\INBOX"));
    EXPECT_TRUE(SameText(u"ДОКУМЕНТЫ ёж", u"документы Ёж"));
    EXPECT_TRUE(SameText(u"ÄÖÜ ΣΑ", u"äöü σα"));
    EXPECT_FALSE(SameText(u"a", u"ab"));
    EXPECT_EQ(LowerCase(u"REPORT.PDF"), u"report.pdf");
    EXPECT_EQ(UpperChar(u'\u00df'), u'\u00df');  // no single-character upper case
}

TEST(Trim, RemovesBlanksAtBothEndsOnly) {
    EXPECT_EQ(Trim(u"  D:\\New Folder \t"), u"D:\\New Folder");
    EXPECT_EQ(Trim(u"   "), u"");
}

TEST(Format, FillsPlaceholdersInOrder) {
    EXPECT_EQ(Format(u"Error moving file from %s to %s.", {u"C:\\a", u"D:\\b"}), u"Error moving file from C:\\a to D:\\b.");
    EXPECT_EQ(Format(u"All selected messages (%d)", {std::int64_t{3}}), u"All selected messages (3)");
    EXPECT_EQ(Format(u"100%% %s", {u"done"}), u"100% done");
    EXPECT_EQ(Format(u"missing %s", {}), u"missing %s");
}

TEST(Exception, CarriesTheMessageInBothEncodings) {
    Exception error(u"Ошибка");
    EXPECT_EQ(error.Message(), u"Ошибка");
    EXPECT_STREQ(error.what(), "Ошибка");
}

// The file system relies on this to skip names of another length unread.
TEST(LetterCase, KeepsEveryCharactersUtf8Length) {
    for (char32_t c = 1; c < 0x10000; ++c) {
        if (c >= 0xD800 && c <= 0xDFFF) continue;
        const std::u16string one(1, static_cast<char16_t>(c));
        const size_t length = ToUtf8(one).size();
        ASSERT_EQ(ToUtf8(UpperCase(one)).size(), length) << static_cast<unsigned>(c);
        ASSERT_EQ(ToUtf8(LowerCase(one)).size(), length) << static_cast<unsigned>(c);
    }
}

TEST(VisibleControls, EscapesControlsAndBidiOverridesOnly) {
    EXPECT_EQ(VisibleControls(u"\x1b[2J\a\b\t\r\n\x7f\u0085\u009b"), u"\\x1b[2J\\x07\\x08\\t\\r\\n\\x7f\\x85\\x9b");
    EXPECT_EQ(VisibleControls(u"invoice\u202Efdp.exe \u2066x\u2069"), u"invoice\\u202efdp.exe \\u2066x\\u2069");
    // Paths, letters of every plane, the marks that only hint at a direction and U+2028 stay as they are.
    const std::u16string plain = u"Z:\\saved\\Отчёт 日本 \U0001F4CE \u200F\u2028 \u00a0";
    EXPECT_EQ(VisibleControls(plain), plain);
    EXPECT_EQ(VisibleControls(std::u16string(1, u'\0')), u"\\x00");
    // Escaping what is escaped already changes nothing.
    EXPECT_EQ(VisibleControls(VisibleControls(u"a\x1b\nb")), VisibleControls(u"a\x1b\nb"));
}

TEST(VisibleControls, KeepingLinesKeepsOnlyWholeLineBreaks) {
    EXPECT_EQ(VisibleControlsKeepingLines(u"one\r\ntwo\nthree\rover\x1b[1A"), u"one\r\ntwo\nthree\\rover\\x1b[1A");
    EXPECT_EQ(VisibleControlsKeepingLines(u"end\r"), u"end\\r");
}
