#include "win32/ui/MainDialogWindow.h"

#include <commctrl.h>

namespace win32ui {

namespace {

enum ControlId : int {
    kProcess = IDOK,
    kCancel = IDCANCEL,
    kAbout = 100,
    kDonate,
    kTips,
    kDirTo,
    kMoveFrom,
    kMoveTo,
    kRemove,
    kSelectedFolder,
    kSelectedMessage,
    kLetMeChoose,
    kTabs,
    kStatic,
};

constexpr DWORD kStyle = WS_POPUP | WS_CAPTION | WS_SYSMENU;
constexpr DWORD kGroup = BS_GROUPBOX;
constexpr DWORD kCheck = BS_AUTOCHECKBOX | WS_TABSTOP;
constexpr DWORD kRadio = BS_AUTORADIOBUTTON;
constexpr DWORD kEdit = ES_AUTOHSCROLL | WS_BORDER | WS_TABSTOP;
constexpr DWORD kPush = BS_PUSHBUTTON | WS_TABSTOP;

}  // namespace

MainDialogWindow::MainDialogWindow(host::MainDialogEvents& events)
    : TopWindow(L"Ondrel Velmora - v2.1", kStyle, 605, 426), events_(events) {
    const WindowLayout& l = Layout();
    HWND w = Handle();

    // The target: a group of three radio buttons and the sub-folder box.
    l.Add(w, L"BUTTON", u" Target ", kGroup, {16, 8, 577, 105}, kStatic);
    HWND folder = l.Add(w, L"BUTTON", u"Selected folder", kRadio | WS_GROUP | WS_TABSTOP, {32, 28, 545, 17},
                        kSelectedFolder);
    HWND message = l.Add(w, L"BUTTON", u"Selected message", kRadio, {32, 48, 545, 17}, kSelectedMessage);
    HWND choose = l.Add(w, L"BUTTON", u"Let me choose the folder", kRadio, {32, 68, 545, 17}, kLetMeChoose);
    const std::vector<HWND> targets{folder, message, choose};
    rbtSelectedFolder_ = std::make_unique<WinRadioButton>(folder, targets);
    rbtSelectedMessage_ = std::make_unique<WinRadioButton>(message, targets);
    rbtLetMeChoose_ = std::make_unique<WinRadioButton>(choose, targets);
    chkProcessSubFolders_ = std::make_unique<WinCheckBox>(
        l.Add(w, L"BUTTON", u"Process sub-folders", kCheck | WS_GROUP, {32, 88, 121, 17}, kStatic));
    chkProcessSubFolders_->SetChecked(true);

    // The pages of the action, each a child window inside the tabs.
    tabs_ = l.Add(w, WC_TABCONTROLW, u"", WS_CLIPSIBLINGS | WS_TABSTOP, {12, 124, 585, 252}, kTabs, true);
    const wchar_t* titles[] = {L"Save attachments", L"Reintroduce removed attachments",
                               L"Change link attachments root folder"};
    for (int i = 0; i < 3; ++i) {
        TCITEMW item{};
        item.mask = TCIF_TEXT;
        item.pszText = const_cast<wchar_t*>(titles[i]);
        SendMessageW(tabs_, TCM_INSERTITEMW, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&item));
    }
    const Place pageArea{16, 150, 577, 222};
    HWND remove = Page(w, pageArea);
    HWND reintroduce = Page(w, pageArea);
    HWND move = Page(w, pageArea);
    pgcAction_ = std::make_unique<WinPageControl>(tabs_, std::vector<HWND>{remove, reintroduce, move});

    // tbsRemove: what replaces a removed attachment, where files go, which ones.
    l.Add(remove, L"BUTTON", u"", kGroup, {8, 0, 265, 81}, kStatic);
    chkRemove_ = std::make_unique<WinCheckBox>(
        l.Add(remove, L"BUTTON", u"Remove after saving", kCheck, {14, -2, 121, 17}, kRemove));
    chkRemove_->SetChecked(true);
    std::vector<HWND> replaceItems{
        l.Add(remove, L"BUTTON", u"Replace by link attachment", kRadio | WS_GROUP | WS_TABSTOP, {16, 18, 249, 17},
              kStatic),
        l.Add(remove, L"BUTTON", u"Replace by text reference on e-mail body", kRadio, {16, 38, 249, 17}, kStatic),
        l.Add(remove, L"BUTTON", u"Don't replace by anything, just remove", kRadio, {16, 58, 249, 17}, kStatic)};
    rgpReplace_ = std::make_unique<WinRadioGroup>(replaceItems.front(), replaceItems);
    rgpReplace_->SetItemIndex(0);

    l.Add(remove, L"BUTTON", u" Save to ", kGroup, {288, 0, 281, 177}, kStatic);
    edtDirTo_ = std::make_unique<WinTextField>(
        l.Add(remove, L"EDIT", u"C:\\Attachments", kEdit | WS_GROUP, {304, 16, 225, 19}, kStatic, false,
              WS_EX_CLIENTEDGE));
    l.Add(remove, L"BUTTON", u"...", kPush, {529, 16, 24, 19}, kDirTo);
    chkFolders_ = std::make_unique<WinCheckBox>(l.Add(remove, L"BUTTON",
                                                      u"Add subdirectories to reproduce folders structure", kCheck,
                                                      {304, 40, 257, 17}, kStatic));
    chkFolders_->SetChecked(true);
    HWND existsBox = l.Add(remove, L"BUTTON", u" If file already exists... ", kGroup, {304, 72, 249, 81}, kStatic);
    std::vector<HWND> existsItems{
        l.Add(remove, L"BUTTON", u"Rename it (add number)", kRadio | WS_GROUP | WS_TABSTOP, {312, 90, 233, 17},
              kStatic),
        l.Add(remove, L"BUTTON", u"Overwrite it", kRadio, {312, 110, 233, 17}, kStatic),
        l.Add(remove, L"BUTTON", u"Ask me", kRadio, {312, 130, 233, 17}, kStatic)};
    rgpIfFileExists_ = std::make_unique<WinRadioGroup>(existsBox, existsItems);
    rgpIfFileExists_->SetItemIndex(0);

    l.Add(remove, L"BUTTON", u" Additional options ", kGroup, {8, 88, 265, 125}, kStatic);
    l.Add(remove, L"STATIC", u"Process only attachments with these extensions", 0, {24, 108, 241, 13}, kStatic);
    edtExt_ = std::make_unique<WinTextField>(
        l.Add(remove, L"EDIT", u"", kEdit | WS_GROUP, {24, 124, 233, 19}, kStatic, false, WS_EX_CLIENTEDGE));
    l.Add(remove, L"STATIC", u"Process only att. bigger than", 0, {24, 152, 140, 13}, kStatic);
    HWND size = l.Add(remove, L"EDIT", u"0", kEdit | ES_NUMBER, {166, 149, 43, 19}, kStatic, false, WS_EX_CLIENTEDGE);
    edtSize_ = std::make_unique<WinTextField>(size);
    // The arrows leave the field's text alone: the dialog's logic writes it.
    HWND arrows = l.Add(remove, UPDOWN_CLASSW, u"", UDS_ARROWKEYS, {209, 149, 15, 19}, kStatic);
    SendMessageW(arrows, UDM_SETRANGE32, 0, 30000);
    updSize_ = std::make_unique<WinUpDown>(arrows);
    l.Add(remove, L"STATIC", u"KBytes", 0, {228, 152, 40, 13}, kStatic);
    chkInlineImages_ = std::make_unique<WinCheckBox>(l.Add(
        remove, L"BUTTON", u"Process images inside the message body", kCheck, {24, 174, 241, 17}, kStatic));
    l.Add(remove, L"STATIC", u"Warning: may fail while reintroducing", 0, {40, 191, 225, 13}, kStatic);

    // tbsReintroduce
    l.Add(reintroduce, L"STATIC",
          u"This option will try to reintroduce all the previously removed attachments back into Outlook.", 0,
          {8, 8, 561, 13}, kStatic);
    chkDeleteAfterReintr_ = std::make_unique<WinCheckBox>(
        l.Add(reintroduce, L"BUTTON", u"Delete file after reintroducing", kCheck, {8, 32, 169, 17}, kStatic));
    chkDeleteAfterReintr_->SetChecked(true);

    // tbsMove
    l.Add(move, L"STATIC",
          u"This option will process the removed attachments changing the root path of the linked file. It is "
          u"useful when you want to move all the removed attachments or when you've changed your computer.",
          0, {8, 8, 441, 41}, kStatic);
    l.Add(move, L"STATIC", u"Previous root folder", 0, {8, 56, 225, 13}, kStatic);
    edtMoveFrom_ = std::make_unique<WinTextField>(
        l.Add(move, L"EDIT", u"C:\\Attachments", kEdit, {8, 72, 225, 19}, kStatic, false, WS_EX_CLIENTEDGE));
    l.Add(move, L"BUTTON", u"...", kPush, {233, 72, 24, 19}, kMoveFrom);
    l.Add(move, L"STATIC", u"New root folder", 0, {8, 104, 225, 13}, kStatic);
    edtMoveTo_ = std::make_unique<WinTextField>(
        l.Add(move, L"EDIT", u"D:\\Attachments", kEdit, {8, 120, 225, 19}, kStatic, false, WS_EX_CLIENTEDGE));
    l.Add(move, L"BUTTON", u"...", kPush, {233, 120, 24, 19}, kMoveTo);
    l.Add(move, L"STATIC",
          u"Warning: This option will only move the files if they exist on the source folder. Otherways, the files "
          u"must exist on the target folder.",
          0, {8, 176, 376, 26}, kStatic);

    pgcAction_->SetActivePage(0);

    l.Add(w, L"BUTTON", u"About...", kPush, {16, 384, 75, 25}, kAbout, true);
    l.Add(w, L"BUTTON", u"Donate...", kPush, {91, 384, 75, 25}, kDonate, true);
    l.Add(w, L"BUTTON", u"Tips...", kPush, {166, 384, 75, 25}, kTips, true);
    l.Add(w, L"BUTTON", u"Cancel", kPush, {434, 384, 75, 25}, kCancel, true);
    l.Add(w, L"BUTTON", u"OK", BS_DEFPUSHBUTTON | WS_TABSTOP, {514, 384, 75, 25}, kProcess, true);
}

void MainDialogWindow::OnCommand(int id, int code) {
    if (code != BN_CLICKED) return;
    switch (id) {
        case kProcess: events_.btnProcessClick(); break;
        case kCancel: events_.btnCancelClick(); break;
        case kAbout: events_.btnAboutClick(); break;
        case kDonate: events_.btnDonateClick(); break;
        case kTips: events_.btnTipsClick(); break;
        case kDirTo: events_.btnDirToClick(host::DirButton::btnDirTo); break;
        case kMoveFrom: events_.btnDirToClick(host::DirButton::btnMoveFrom); break;
        case kMoveTo: events_.btnDirToClick(host::DirButton::btnMoveTo); break;
        case kRemove: events_.chkRemoveClick(); break;
        case kSelectedFolder:
        case kSelectedMessage:
        case kLetMeChoose: events_.rbtSelectedFolderClick(); break;
        default: break;
    }
}

void MainDialogWindow::OnNotify(const NMHDR& notification) {
    if (notification.hwndFrom == tabs_ && notification.code == TCN_SELCHANGE) pgcAction_->ShowSelectedPage();
}

void MainDialogWindow::OnClose() { Hide(); }

void MainDialogWindow::OnDeactivate(HWND next) {
    if (next != nullptr && IsAddInWindow(next)) events_.FormDeactivate();
}

}  // namespace win32ui
