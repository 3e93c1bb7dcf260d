#include "sim/ui/Welcome.h"

#include "host/HostError.h"

namespace sim::ui {

Welcome::Welcome(host::WelcomeEvents& events, Desktop& desktop, bool documentLoads, Action whileShown,
                 std::function<void()> onShown, std::function<void()> onDestroyed)
    : Window(desktop, std::move(onDestroyed)),
      events_(events),
      documentLoads_(documentLoads),
      whileShown_(std::move(whileShown)),
      onShown_(std::move(onShown)) {}

void Welcome::LoadDocument() {
    if (!documentLoads_) throw host::HostError(E_FAIL, u"The welcome document cannot be loaded");
    documentLoaded_ = true;
}

void Welcome::ShowModal() {
    Desktop::Modal modal(TheDesktop(), *this);
    ShowWindow();
    if (onShown_) onShown_();
    if (whileShown_) whileShown_(*this);
    HideWindow();
}

void Welcome::ClickLink(const std::u16string& linkText) {
    RequireVisible("a link click");
    events_.LinkClicked(linkText);
}

}  // namespace sim::ui
