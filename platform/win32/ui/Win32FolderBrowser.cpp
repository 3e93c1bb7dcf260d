#include "win32/ui/Win32FolderBrowser.h"

#include <windows.h>
#include <shlobj.h>

#include "win32/WideText.h"

namespace win32ui {

namespace {

class BrowserWindow final : public host::FolderBrowserWindow {
public:
    explicit BrowserWindow(HWND window) : window_(window) {}
    void Select(const std::u16string& directory) override {
        const std::wstring path = win32::Wide(directory);
        SendMessageW(window_, BFFM_SETSELECTIONW, TRUE, reinterpret_cast<LPARAM>(path.c_str()));
    }
    void SetStatusText(const std::u16string& text) override {
        const std::wstring status = win32::Wide(text);
        SendMessageW(window_, BFFM_SETSTATUSTEXTW, 0, reinterpret_cast<LPARAM>(status.c_str()));
    }

private:
    HWND window_;
};

struct Session {
    host::FolderBrowserEvents& Events;
    std::optional<BrowserWindow> Window;
};

std::u16string PathOf(PCIDLIST_ABSOLUTE item) {
    wchar_t path[MAX_PATH * 2] = {};
    if (item == nullptr || !SHGetPathFromIDListW(item, path)) return {};
    return win32::FromWide(path);
}

int CALLBACK Callback(HWND window, UINT message, LPARAM parameter, LPARAM data) {
    auto& session = *reinterpret_cast<Session*>(data);
    if (message == BFFM_INITIALIZED) {
        session.Window.emplace(window);
        session.Events.Opened(*session.Window);
    } else if (message == BFFM_SELCHANGED) {
        session.Events.SelectionChanged(PathOf(reinterpret_cast<PCIDLIST_ABSOLUTE>(parameter)));
    }
    return 0;
}

}  // namespace

std::optional<std::u16string> Win32FolderBrowser::Browse(const host::FolderBrowseRequest& request,
                                                         host::FolderBrowserEvents& events) {
    PIDLIST_ABSOLUTE root = nullptr;
    if (request.Root == host::BrowseRoot::MyComputer &&
        FAILED(SHGetSpecialFolderLocation(nullptr, CSIDL_DRIVES, &root))) {
        return std::nullopt;
    }
    const std::wstring title = win32::Wide(request.Title);
    Session session{events, std::nullopt};
    BROWSEINFOW info{};
    info.hwndOwner = GetActiveWindow();
    info.pidlRoot = root;
    info.lpszTitle = title.c_str();
    info.ulFlags = BIF_RETURNONLYFSDIRS | (request.ShowStatus ? BIF_STATUSTEXT : 0);
    info.lpfn = Callback;
    info.lParam = reinterpret_cast<LPARAM>(&session);
    PIDLIST_ABSOLUTE chosen = SHBrowseForFolderW(&info);
    std::u16string path = PathOf(chosen);
    CoTaskMemFree(chosen);
    CoTaskMemFree(root);
    if (path.empty()) return std::nullopt;
    return path;
}

}  // namespace win32ui
