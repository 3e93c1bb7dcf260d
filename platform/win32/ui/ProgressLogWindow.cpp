#include "win32/ui/ProgressLogWindow.h"

namespace win32ui {

namespace {

enum ControlId : int { kCancel = IDCANCEL, kCopy = 100, kStatic };

constexpr DWORD kStyle = WS_POPUP | WS_CAPTION | WS_SYSMENU;

}  // namespace

ProgressLogWindow::ProgressLogWindow(host::ProgressLogEvents& events)
    : TopWindow(L"Processing...", kStyle, 640, 395), events_(events) {
    const WindowLayout& l = Layout();
    HWND w = Handle();
    lblStatus_ = std::make_unique<WinLabel>(l.Add(w, L"STATIC", u"", 0, {16, 9, 337, 39}, kStatic));
    HWND log = l.Add(w, L"EDIT", u"",
                     ES_MULTILINE | ES_READONLY | ES_AUTOVSCROLL | ES_AUTOHSCROLL | ES_NOHIDESEL | WS_VSCROLL |
                         WS_HSCROLL | WS_TABSTOP,
                     {16, 56, 608, 277}, kStatic, false, WS_EX_CLIENTEDGE);
    // A log of a long run outgrows the edit control's default limit.
    SendMessageW(log, EM_SETLIMITTEXT, 0, 0);
    mmoLog_ = std::make_unique<WinLogView>(log);
    lblFolder_ = std::make_unique<WinLabel>(
        l.Add(w, L"STATIC", u"Processing folder:", SS_ENDELLIPSIS, {16, 340, 608, 16}, kStatic));
    l.Add(w, L"BUTTON", u"Copy to clipboard", BS_PUSHBUTTON | WS_TABSTOP, {16, 362, 105, 25}, kCopy);
    chkCloseWhenFinished_ = std::make_unique<WinCheckBox>(l.Add(
        w, L"BUTTON", u"Close when finished", BS_AUTOCHECKBOX | WS_TABSTOP, {408, 366, 121, 17}, kStatic));
    btnCancel_ = std::make_unique<WinButton>(
        l.Add(w, L"BUTTON", u"Cancel", BS_PUSHBUTTON | WS_TABSTOP, {549, 362, 75, 25}, kCancel, true));
}

void ProgressLogWindow::Beep() { MessageBeep(MB_OK); }

void ProgressLogWindow::OnCommand(int id, int code) {
    if (code != BN_CLICKED) return;
    if (id == kCancel) events_.btnCancelClick();
    if (id == kCopy) events_.btnCopyClick();
}

void ProgressLogWindow::OnClose() { events_.CloseRequested(); }

}  // namespace win32ui
