#pragma once

// The welcome window: the welcome and tips document, shown modally from the
// main dialog's "Tips..." button and once after the first run.

#include <memory>
#include <string>

#include "host/UserInterface.h"

namespace velmora {

class TfrmWelcome final : public host::WelcomeEvents {
public:
    TfrmWelcome();
    TfrmWelcome(const TfrmWelcome&) = delete;
    TfrmWelcome& operator=(const TfrmWelcome&) = delete;

    // Shows the window modally until it is closed. A document that cannot
    // be loaded raises, and then the window is not shown.
    void ShowModal();

    // Loads the document and records, through a settings object of its
    // own, that the welcome message has been displayed.
    void FormShow();

    // Opens the link's address with the shell; failures are not reported.
    void LinkClicked(const std::u16string& linkText) override;

    // The address in a link's text: what stands between the first and the
    // last double quote (a hyperlink field), else the text unchanged.
    static std::u16string LinkAddress(std::u16string linkText);

private:
    std::unique_ptr<host::WelcomeView> view_;
};

}  // namespace velmora
