// Draws the Win32 windows into PNG files, for the documentation; run as
// README.md says, it writes win32-main-dialog.png, win32-progress-log.png
// and win32-welcome.png into the directory given.

#include <windows.h>
#include <gdiplus.h>

#include <cstdio>
#include <string>
#include <thread>

#include "win32/ui/Win32UserInterface.h"

namespace {

class NoDialogEvents final : public host::MainDialogEvents {
public:
    void btnProcessClick() override {}
    void btnCancelClick() override {}
    void btnAboutClick() override {}
    void btnDonateClick() override {}
    void btnTipsClick() override {}
    void btnDirToClick(host::DirButton) override {}
    void chkRemoveClick() override {}
    void rbtSelectedFolderClick() override {}
    void FormDeactivate() override {}
};

class NoProgressEvents final : public host::ProgressLogEvents {
public:
    void btnCancelClick() override {}
    void btnCopyClick() override {}
    void CloseRequested() override {}
};

class NoWelcomeEvents final : public host::WelcomeEvents {
public:
    void LinkClicked(const std::u16string&) override {}
};

void Serve(int milliseconds) {
    const DWORD end = GetTickCount() + static_cast<DWORD>(milliseconds);
    while (GetTickCount() < end) {
        host::TheMessagePump().ProcessPendingEvents();
        Sleep(10);
    }
}

// The window's client area as drawn, saved as a PNG file. (Without a
// window manager the frame is not drawn.)
bool Capture(HWND window, const std::wstring& file) {
    RECT rect{};
    GetClientRect(window, &rect);
    MapWindowPoints(window, nullptr, reinterpret_cast<POINT*>(&rect), 2);
    const int width = rect.right - rect.left;
    const int height = rect.bottom - rect.top;
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, width, height);
    HGDIOBJ previous = SelectObject(memory, bitmap);
    BitBlt(memory, 0, 0, width, height, screen, rect.left, rect.top, SRCCOPY);
    SelectObject(memory, previous);
    CLSID png{0x557CF406, 0x1A04, 0x11D3, {0x9A, 0x73, 0x00, 0x00, 0xF8, 0x1E, 0xF3, 0x2E}};
    bool saved = false;
    {
        Gdiplus::Bitmap image(bitmap, nullptr);
        saved = image.Save(file.c_str(), &png, nullptr) == Gdiplus::Ok;
    }
    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    return saved;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc != 2) {
        std::fputs("usage: win32_screenshots <directory>\n", stderr);
        return 2;
    }
    const std::wstring directory = argv[1];
    Gdiplus::GdiplusStartupInput startup;
    ULONG_PTR token = 0;
    Gdiplus::GdiplusStartup(&token, &startup, nullptr);
    win32ui::Win32UserInterface ui;
    bool saved = true;

    NoDialogEvents dialogEvents;
    auto dialog = host::TheWindows().CreateMainDialog(dialogEvents);
    dialog->rbtSelectedFolder().SetChecked(true);
    dialog->edtExt().SetText(u"pdf, doc, docx");
    dialog->edtSize().SetText(u"10");
    dialog->Show();
    Serve(500);
    saved &= Capture(FindWindowW(nullptr, L"Ondrel Velmora - v2.1"), directory + L"\\win32-main-dialog.png");
    dialog->Hide();

    NoProgressEvents progressEvents;
    auto progress = host::TheWindows().CreateProgressLog(progressEvents);
    progress->lblStatus().SetCaption(u"Done. 4 attachments saved, 1 skipped.");
    for (const char16_t* line :
         {u"Folder Inbox", u"  \"Quarterly figures\": report.pdf saved to C:\\Attachments\\Inbox\\report.pdf",
          u"  \"Quarterly figures\": chart.png saved to C:\\Attachments\\Inbox\\chart.png",
          u"  \"Holiday\": photo.jpg saved to C:\\Attachments\\Inbox\\photo.jpg",
          u"  \"Scan\": scan.tif is smaller than 10 KB, skipped",
          u"  \"Contract\": contract.docx saved to C:\\Attachments\\Inbox\\contract.docx"}) {
        progress->mmoLog().Append(line);
    }
    progress->lblFolder().SetCaption(u"Processing folder: Inbox");
    progress->Show();
    Serve(500);
    saved &= Capture(FindWindowW(nullptr, L"Processing..."), directory + L"\\win32-progress-log.png");
    progress->Hide();

    NoWelcomeEvents welcomeEvents;
    auto welcome = host::TheWindows().CreateWelcome(welcomeEvents);
    welcome->LoadDocument();
    std::thread shooter([&] {
        HWND window = nullptr;
        for (int i = 0; i < 500 && window == nullptr; ++i, Sleep(10)) window = FindWindowW(nullptr, L"Welcome to Velmora");
        Sleep(500);
        saved &= window != nullptr && Capture(window, directory + L"\\win32-welcome.png");
        if (window != nullptr) PostMessageW(window, WM_CLOSE, 0, 0);
    });
    welcome->ShowModal();
    shooter.join();

    Gdiplus::GdiplusShutdown(token);
    return saved ? 0 : 1;
}
