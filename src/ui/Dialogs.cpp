#include "ui/Dialogs.h"

#include "base/Utf16.h"

namespace velmora {

namespace {

constexpr char16_t kErrorBoxCaption[] = u"Velmora";

std::u16string MessageOf(const std::exception& error) {
    if (const auto* own = dynamic_cast<const velmora::Exception*>(&error)) return own->Message();
    return FromUtf8(error.what());
}

}  // namespace

int Ask(const host::MessageBoxRequest& request) {
    const int answer = host::TheMessageBoxes().Show(request);
    return answer == host::MessageBoxDismissed ? static_cast<int>(request.EscapeButton) : answer;
}

std::u16string ErrorBoxText(std::u16string message) {
    if (!message.empty() && message.back() > u'.') message += u'.';
    return message;
}

void ShowErrorBox(const std::exception& error) {
    host::MessageBoxRequest box;
    box.Text = ErrorBoxText(MessageOf(error));
    box.Caption = kErrorBoxCaption;
    box.Icon = host::MessageIcon::Error;
    box.Buttons = {u"OK"};
    box.SystemBox = true;
    host::TheMessageBoxes().Show(box);
}

}  // namespace velmora
