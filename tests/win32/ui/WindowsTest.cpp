// The Win32 windows and boxes, shown on a display (Xvfb) and worked as a
// user would: buttons clicked, boxes answered, closed by their close boxes.

#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>
#include <richedit.h>

#include <string>
#include <vector>

#include "WindowFinder.h"
#include "win32/ui/Win32UserInterface.h"

namespace win32test {

namespace {

using host::MessageBoxRequest;

// Serves the thread's messages for a while, as a host's loop would.
void Serve(int milliseconds = 100) {
    const DWORD end = GetTickCount() + static_cast<DWORD>(milliseconds);
    while (GetTickCount() < end) {
        host::TheMessagePump().ProcessPendingEvents();
        Sleep(10);
    }
}

MessageBoxRequest Question(std::vector<std::u16string> buttons, std::size_t escape) {
    MessageBoxRequest request;
    request.Text = u"The message you are trying to send contains removed attachments.";
    request.Caption = u"Velmora question";
    request.Icon = host::MessageIcon::Information;
    request.Buttons = std::move(buttons);
    request.DefaultButton = 0;
    request.EscapeButton = escape;
    return request;
}

class Windows : public ::testing::Test {
protected:
    win32ui::Win32UserInterface ui;
};

TEST_F(Windows, ASystemBoxGivesTheButtonPressedAndEscItsEscAnswer) {
    const auto request = Question({u"&Yes", u"&No", u"Cancel"}, 2);
    {
        BoxAnswer answer(L"Velmora question", [](HWND box) { PostMessageW(box, WM_COMMAND, IDNO, 0); });
        EXPECT_EQ(host::TheMessageBoxes().Show(request), 1);
        EXPECT_TRUE(answer.Found());
    }
    {
        BoxAnswer answer(L"Velmora question", PressEscape);
        EXPECT_EQ(host::TheMessageBoxes().Show(request), 2);
    }
}

TEST_F(Windows, OtherButtonSetsShowTheirOwnButtonsAndEscGivesTheEscAnswer) {
    const auto request = Question({u"&Yes", u"&No", u"N&o to All", u"Yes to &All"}, 1);
    {
        BoxAnswer answer(L"Velmora question", [](HWND box) { ClickButton(box, L"N&o to All"); });
        EXPECT_EQ(host::TheMessageBoxes().Show(request), 2);
        EXPECT_TRUE(answer.Found());
    }
    {
        BoxAnswer answer(L"Velmora question", PressEscape);
        EXPECT_EQ(host::TheMessageBoxes().Show(request), 1);
    }
    // Yes and No with an Esc answer: the system's box would refuse Esc.
    const auto yesNo = Question({u"&Yes", u"&No"}, 1);
    BoxAnswer answer(L"Velmora question", PressEscape);
    EXPECT_EQ(host::TheMessageBoxes().Show(yesNo), 1);
}

TEST_F(Windows, APumpThatTakesAQuitRequestPostsItAgainForTheHost) {
    PostMessageW(nullptr, WM_NULL, 0, 0);
    PostQuitMessage(7);
    EXPECT_TRUE(host::TheMessagePump().ProcessPendingEvents());
    MSG message;
    ASSERT_TRUE(PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE));
    EXPECT_EQ(message.message, static_cast<UINT>(WM_QUIT));
    EXPECT_EQ(message.wParam, 7u);
    EXPECT_FALSE(host::TheMessagePump().ProcessPendingEvents());
}

class RecordingDialogEvents final : public host::MainDialogEvents {
public:
    void btnProcessClick() override { calls.push_back("process"); }
    void btnCancelClick() override { calls.push_back("cancel"); }
    void btnAboutClick() override { calls.push_back("about"); }
    void btnDonateClick() override { calls.push_back("donate"); }
    void btnTipsClick() override { calls.push_back("tips"); }
    void btnDirToClick(host::DirButton sender) override { calls.push_back("dir " + std::to_string(int(sender))); }
    void chkRemoveClick() override { calls.push_back("remove"); }
    void rbtSelectedFolderClick() override { calls.push_back("target"); }
    void FormDeactivate() override { calls.push_back("deactivate"); }
    std::vector<std::string> calls;
};

TEST_F(Windows, TheMainDialogReportsClicksButNotChangesFromCode) {
    RecordingDialogEvents events;
    auto dialog = host::TheWindows().CreateMainDialog(events);
    EXPECT_FALSE(dialog->Visible());
    EXPECT_EQ(dialog->rgpReplace().ItemIndex(), 0);
    EXPECT_TRUE(dialog->chkRemove().Checked());
    EXPECT_EQ(dialog->edtDirTo().Text(), u"C:\\Attachments");
    dialog->updSize().SetPosition(40000);
    EXPECT_EQ(dialog->updSize().Position(), 30000);

    dialog->chkRemove().SetChecked(false);
    dialog->rbtLetMeChoose().SetChecked(true);
    dialog->rbtSelectedFolder().SetChecked(true);
    EXPECT_FALSE(dialog->rbtLetMeChoose().Checked());
    dialog->pgcAction().SetActivePage(2);
    EXPECT_EQ(dialog->pgcAction().ActivePage(), 2);
    dialog->pgcAction().SetActivePage(7);
    EXPECT_EQ(dialog->pgcAction().ActivePage(), 2);
    Serve();
    EXPECT_TRUE(events.calls.empty());

    dialog->Show();
    Serve();
    HWND window = FindWindowW(nullptr, L"Ondrel Velmora - v2.1");
    ASSERT_NE(window, nullptr);
    for (const wchar_t* button : {L"OK", L"Cancel", L"Tips...", L"Remove after saving"}) {
        SendMessageW(FindChild(window, button), BM_CLICK, 0, 0);
    }
    SendMessageW(FindChild(window, L"Let me choose the folder"), BM_CLICK, 0, 0);
    EXPECT_EQ(events.calls, (std::vector<std::string>{"process", "cancel", "tips", "remove", "target"}));
    EXPECT_TRUE(dialog->rbtLetMeChoose().Checked());
    EXPECT_FALSE(dialog->rbtSelectedFolder().Checked());

    // The close box hides the dialog and calls nothing.
    events.calls.clear();
    SendMessageW(window, WM_CLOSE, 0, 0);
    EXPECT_FALSE(dialog->Visible());
    EXPECT_TRUE(events.calls.empty());
}

class RecordingProgressEvents final : public host::ProgressLogEvents {
public:
    void btnCancelClick() override { ++cancels; }
    void btnCopyClick() override { ++copies; }
    void CloseRequested() override { ++closes; }
    int cancels = 0, copies = 0, closes = 0;
};

TEST_F(Windows, TheProgressLogGrowsAtItsEndAndItsCloseBoxAsksTheLogic) {
    RecordingProgressEvents events;
    auto progress = host::TheWindows().CreateProgressLog(events);
    progress->mmoLog().RewriteLastLine(u"first");
    progress->mmoLog().Append(u"second, 10%");
    progress->mmoLog().RewriteLastLine(u"second, done");
    progress->mmoLog().Append(u"third");
    EXPECT_EQ(progress->mmoLog().Text(), u"first\r\nsecond, done\r\nthird");
    progress->lblStatus().SetCaption(u"3 attachments saved");
    EXPECT_EQ(progress->lblStatus().Caption(), u"3 attachments saved");

    progress->Show();
    Serve();
    HWND window = FindWindowW(nullptr, L"Processing...");
    ASSERT_NE(window, nullptr);
    SendMessageW(window, WM_CLOSE, 0, 0);
    EXPECT_EQ(events.closes, 1);
    EXPECT_TRUE(progress->Visible()) << "the logic hides it, not the view";
    SendMessageW(FindChild(window, L"Cancel"), BM_CLICK, 0, 0);
    SendMessageW(FindChild(window, L"Copy to clipboard"), BM_CLICK, 0, 0);
    EXPECT_EQ(events.cancels, 1);
    EXPECT_EQ(events.copies, 1);
    progress->mmoLog().Clear();
    EXPECT_EQ(progress->mmoLog().Text(), u"");
}

class RecordingWelcomeEvents final : public host::WelcomeEvents {
public:
    void LinkClicked(const std::u16string& text) override { links.push_back(text); }
    std::vector<std::u16string> links;
};

TEST_F(Windows, TheWelcomeDocumentLoadsAndItsAddressesAreLinks) {
    RecordingWelcomeEvents events;
    auto welcome = host::TheWindows().CreateWelcome(events);
    welcome->LoadDocument();
    {
        BoxAnswer close(L"Welcome to Velmora", [&](HWND window) {
            HWND document = FindWindowExW(window, nullptr, MSFTEDIT_CLASS, nullptr);
            if (document == nullptr) document = FindWindowExW(window, nullptr, RICHEDIT_CLASSW, nullptr);
            FINDTEXTEXW find{{0, -1}, L"https://velmora.example.org/tips/performance", {0, 0}};
            if (SendMessageW(document, EM_FINDTEXTEXW, FR_DOWN, reinterpret_cast<LPARAM>(&find)) >= 0) {
                // A left click on the address, as the control reports it.
                ENLINK link{};
                link.nmhdr.hwndFrom = document;
                link.nmhdr.idFrom = 100;
                link.nmhdr.code = EN_LINK;
                link.msg = WM_LBUTTONUP;
                link.chrg = find.chrgText;
                SendMessageW(window, WM_NOTIFY, 100, reinterpret_cast<LPARAM>(&link));
            }
            ClickButton(window, L"Close");
        });
        welcome->ShowModal();
        EXPECT_TRUE(close.Found());
    }
    EXPECT_EQ(events.links, std::vector<std::u16string>{u"https://velmora.example.org/tips/performance"});
}

}  // namespace

}  // namespace win32test
