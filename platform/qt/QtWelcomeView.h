#pragma once

#include <memory>

#include "WelcomeWindow.h"
#include "host/UserInterface.h"

namespace qtui {

// The welcome window for the window logic: the project's own document in a
// rich text view whose link clicks go to the events.
class QtWelcomeView final : public host::WelcomeView {
public:
    explicit QtWelcomeView(host::WelcomeEvents& events);

    void LoadDocument() override;
    void ShowModal() override;

    WelcomeWindow& Window() { return *window_; }

private:
    std::unique_ptr<WelcomeWindow> window_;
};

}  // namespace qtui
