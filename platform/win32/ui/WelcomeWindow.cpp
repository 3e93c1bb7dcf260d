#include "win32/ui/WelcomeWindow.h"

#include <richedit.h>

#include <string>

#include "host/HostError.h"
#include "win32/WideText.h"
#include "win32/system/Win32Errors.h"
#include "win32/ui/Win32MessagePump.h"

namespace win32ui {

namespace {

enum ControlId : int { kClose = IDOK, kDocument = 100 };

constexpr DWORD kStyle = WS_POPUP | WS_CAPTION | WS_SYSMENU;

// The module whose resources hold the document: the one of this code.
HMODULE OwnModule() {
    HMODULE module = nullptr;
    GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                       reinterpret_cast<LPCWSTR>(&OwnModule), &module);
    return module;
}

const wchar_t* RichEditClass() {
    static const bool loaded = LoadLibraryW(L"Msftedit.dll") != nullptr;
    return loaded ? MSFTEDIT_CLASS : RICHEDIT_CLASSW;
}

struct Reading {
    const char* Data;
    std::size_t Left;
};

DWORD CALLBACK ReadDocument(DWORD_PTR cookie, LPBYTE buffer, LONG size, LONG* read) {
    auto& reading = *reinterpret_cast<Reading*>(cookie);
    const std::size_t count = std::min<std::size_t>(reading.Left, static_cast<std::size_t>(size));
    std::copy(reading.Data, reading.Data + count, buffer);
    reading.Data += count;
    reading.Left -= count;
    *read = static_cast<LONG>(count);
    return 0;
}

}  // namespace

WelcomeWindow::WelcomeWindow(host::WelcomeEvents& events)
    : TopWindow(L"Welcome to Velmora", kStyle, 780, 480), events_(events) {
    LoadLibraryW(L"Riched20.dll");
    const WindowLayout& l = Layout();
    richEdit_ = l.Add(Handle(), RichEditClass(), u"",
                      ES_MULTILINE | ES_READONLY | ES_AUTOVSCROLL | WS_VSCROLL | WS_TABSTOP, {8, 8, 764, 424},
                      kDocument, false, WS_EX_CLIENTEDGE);
    SendMessageW(richEdit_, EM_AUTOURLDETECT, TRUE, 0);
    SendMessageW(richEdit_, EM_SETEVENTMASK, 0, ENM_LINK);
    l.Add(Handle(), L"BUTTON", u"Close", BS_DEFPUSHBUTTON | WS_TABSTOP, {348, 444, 85, 27}, kClose, true);
}

void WelcomeWindow::LoadDocument() {
    HMODULE module = OwnModule();
    HRSRC found = FindResourceW(module, L"WELCOME", MAKEINTRESOURCEW(10));  // RT_RCDATA
    HGLOBAL loaded = found != nullptr ? LoadResource(module, found) : nullptr;
    const char* data = loaded != nullptr ? static_cast<const char*>(LockResource(loaded)) : nullptr;
    if (data == nullptr) throw host::HostError(E_FAIL, u"The welcome document is missing from the add-in");
    Reading reading{data, SizeofResource(module, found)};
    EDITSTREAM stream{reinterpret_cast<DWORD_PTR>(&reading), 0, ReadDocument};
    SendMessageW(richEdit_, EM_STREAMIN, SF_RTF, reinterpret_cast<LPARAM>(&stream));
    if (stream.dwError != 0 || GetWindowTextLengthW(richEdit_) == 0) {
        throw host::HostError(E_FAIL, u"The welcome document cannot be loaded");
    }
}

void WelcomeWindow::ShowModal() {
    HWND owner = GetActiveWindow();
    if (owner != nullptr && owner != Handle()) EnableWindow(owner, FALSE);
    closed_ = false;
    Show();
    SetFocus(GetDlgItem(Handle(), kClose));
    MSG message{};
    BOOL got = TRUE;
    while (!closed_ && (got = GetMessageW(&message, nullptr, 0, 0)) > 0) {
        if (Win32MessagePump::IsDialogMessageOfAddIn(message)) continue;
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    // A quit request ends the window and stays the host's.
    if (got == 0) PostQuitMessage(static_cast<int>(message.wParam));
    if (owner != nullptr && owner != Handle()) {
        EnableWindow(owner, TRUE);
        SetActiveWindow(owner);
    }
    Hide();
}

void WelcomeWindow::OnCommand(int id, int code) {
    if (code == BN_CLICKED && (id == kClose || id == IDCANCEL)) closed_ = true;
}

void WelcomeWindow::OnNotify(const NMHDR& notification) {
    if (notification.hwndFrom != richEdit_ || notification.code != EN_LINK) return;
    const auto& link = reinterpret_cast<const ENLINK&>(notification);
    if (link.msg != WM_LBUTTONUP) return;
    std::wstring text(static_cast<std::size_t>(link.chrg.cpMax - link.chrg.cpMin) + 1, L'\0');
    TEXTRANGEW range{link.chrg, text.data()};
    text.resize(static_cast<std::size_t>(SendMessageW(richEdit_, EM_GETTEXTRANGE, 0, reinterpret_cast<LPARAM>(&range))));
    events_.LinkClicked(win32::FromWide(text));
}

void WelcomeWindow::OnClose() { closed_ = true; }

}  // namespace win32ui
