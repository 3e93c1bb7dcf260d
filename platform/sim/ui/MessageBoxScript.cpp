#include "sim/ui/MessageBoxScript.h"

#include <optional>
#include <stdexcept>

#include "base/Utf16.h"

namespace sim::ui {

MessageBoxScript& MessageBoxScript::Answer(std::u16string caption, std::function<void()> whileShown) {
    script_.push_back({false, std::move(caption), std::move(whileShown)});
    return *this;
}

MessageBoxScript& MessageBoxScript::Dismiss() {
    script_.push_back({true, {}, {}});
    return *this;
}

int MessageBoxScript::Show(const host::MessageBoxRequest& request) {
    Step step;
    if (!script_.empty()) {
        step = std::move(script_.front());
        script_.pop_front();
    }
    BoxWindow box;
    std::optional<Desktop::Modal> modal;
    if (!request.SystemBox) modal.emplace(desktop_, box);
    if (step.whileShown) step.whileShown();
    const int answer = ChosenButton(request, step);
    shown_.push_back({request, answer});
    return answer;
}

int MessageBoxScript::ChosenButton(const host::MessageBoxRequest& request, const Step& step) const {
    if (step.dismiss) return host::MessageBoxDismissed;
    if (step.caption.empty()) return static_cast<int>(request.DefaultButton);
    for (std::size_t i = 0; i < request.Buttons.size(); ++i) {
        if (request.Buttons[i] == step.caption) return static_cast<int>(i);
    }
    throw std::logic_error("no button \"" + velmora::ToUtf8(step.caption) + "\" on the box \"" +
                           velmora::ToUtf8(request.Text) + "\"");
}

std::vector<std::u16string> MessageBoxScript::Texts() const {
    std::vector<std::u16string> texts;
    for (const auto& box : shown_) texts.push_back(box.Request.Text);
    return texts;
}

}  // namespace sim::ui
