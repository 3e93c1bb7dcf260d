#include "ui/frm_Welcome.h"

#include "engine/uOutlookManagerConfig.h"

namespace velmora {

TfrmWelcome::TfrmWelcome() : view_(host::TheWindows().CreateWelcome(*this)) {}

void TfrmWelcome::ShowModal() {
    FormShow();
    view_->ShowModal();
}

void TfrmWelcome::FormShow() {
    view_->LoadDocument();
    TOutlookManagerConfig settings;
    settings.SetDisplayedWelcomeMsg(true);
}

void TfrmWelcome::LinkClicked(const std::u16string& linkText) {
    try {
        host::TheShell().Open(LinkAddress(linkText));
    } catch (const std::exception&) {
        // An address that cannot be opened is not worth a message.
    }
}

std::u16string TfrmWelcome::LinkAddress(std::u16string linkText) {
    const auto first = linkText.find(u'"');
    if (first == std::u16string::npos) return linkText;
    linkText.erase(0, first + 1);
    const auto last = linkText.rfind(u'"');
    if (last != std::u16string::npos) linkText.erase(last);
    return linkText;
}

}  // namespace velmora
