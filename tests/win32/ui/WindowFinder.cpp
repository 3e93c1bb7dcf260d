#include "WindowFinder.h"

#include <chrono>

namespace win32test {

namespace {

struct Search {
    std::wstring Text;
    HWND Found = nullptr;
};

BOOL CALLBACK Visit(HWND window, LPARAM data) {
    auto& search = *reinterpret_cast<Search*>(data);
    wchar_t text[512] = {};
    GetWindowTextW(window, text, 512);
    if (search.Text == text) {
        search.Found = window;
        return FALSE;
    }
    return TRUE;
}

}  // namespace

HWND FindChild(HWND top, const std::wstring& text) {
    Search search{text, nullptr};
    EnumChildWindows(top, Visit, reinterpret_cast<LPARAM>(&search));
    return search.Found;
}

BoxAnswer::BoxAnswer(std::wstring caption, std::function<void(HWND)> act)
    : caption_(std::move(caption)), act_(std::move(act)) {
    thread_ = std::thread([this] {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
        while (std::chrono::steady_clock::now() < deadline) {
            HWND box = FindWindowW(nullptr, caption_.c_str());
            if (box != nullptr && IsWindowVisible(box)) {
                // The box's buttons are made before it shows; let it settle.
                Sleep(100);
                found_ = true;
                act_(box);
                return;
            }
            Sleep(20);
        }
    });
}

BoxAnswer::~BoxAnswer() {
    if (thread_.joinable()) thread_.join();
}

void ClickButton(HWND box, const std::wstring& text) {
    HWND button = FindChild(box, text);
    if (button != nullptr) PostMessageW(button, BM_CLICK, 0, 0);
}

void PressEscape(HWND box) { PostMessageW(box, WM_COMMAND, IDCANCEL, 0); }

}  // namespace win32test
