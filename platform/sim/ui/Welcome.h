#pragma once

// The welcome window without a display: a modal showing runs the actions a
// test queued for it, as the user's clicks while it is up.

#include <functional>
#include <string>

#include "host/UserInterface.h"
#include "sim/ui/Window.h"

namespace sim::ui {

class Welcome final : public host::WelcomeView, public Window {
public:
    using Action = std::function<void(Welcome& window)>;

    Welcome(host::WelcomeEvents& events, Desktop& desktop, bool documentLoads, Action whileShown,
            std::function<void()> onShown, std::function<void()> onDestroyed);

    void LoadDocument() override;
    void ShowModal() override;

    bool DocumentLoaded() const { return documentLoaded_; }
    // A left-button click on a link while the window is up.
    void ClickLink(const std::u16string& linkText);

private:
    host::WelcomeEvents& events_;
    bool documentLoads_;
    bool documentLoaded_ = false;
    Action whileShown_;
    std::function<void()> onShown_;
};

}  // namespace sim::ui
