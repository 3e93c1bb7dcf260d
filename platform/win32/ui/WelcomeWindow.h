#pragma once

#include "win32/ui/TopWindow.h"

namespace win32ui {

// The welcome and tips document in a read-only rich edit control, with one
// "Close" button that answers Enter and Esc. The document is the RTF
// resource WELCOME of the module that holds this code; a left click on a
// web address in it reaches LinkClicked with the address.
class WelcomeWindow final : public TopWindow, public host::WelcomeView {
public:
    explicit WelcomeWindow(host::WelcomeEvents& events);

    void LoadDocument() override;
    void ShowModal() override;

protected:
    void OnCommand(int id, int code) override;
    void OnNotify(const NMHDR& notification) override;
    void OnClose() override;

private:
    host::WelcomeEvents& events_;
    HWND richEdit_ = nullptr;
    bool closed_ = false;
};

}  // namespace win32ui
