#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <thread>

namespace win32test {

// A child window of top (at any depth) whose text is text; null when none.
HWND FindChild(HWND top, const std::wstring& text);

// Answers a box the code under test is about to show: a thread waits for
// the top-level window with that caption and then acts on it. Joined when
// it goes; found() says whether the window appeared.
class BoxAnswer {
public:
    BoxAnswer(std::wstring caption, std::function<void(HWND box)> act);
    ~BoxAnswer();
    BoxAnswer(const BoxAnswer&) = delete;
    BoxAnswer& operator=(const BoxAnswer&) = delete;
    bool Found() const { return found_; }

private:
    std::wstring caption_;
    std::function<void(HWND)> act_;
    bool found_ = false;
    std::thread thread_;
};

// Clicks the button of that text in the box.
void ClickButton(HWND box, const std::wstring& text);
// Answers the box as Esc does.
void PressEscape(HWND box);

}  // namespace win32test
