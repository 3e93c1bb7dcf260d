#include "sim/ui/MessageBoxScript.h"

#include <optional>
#include <stdexcept>

#include "base/Utf16.h"
#include "base/VisibleText.h"

namespace sim::ui {

namespace {

// A caption as the user reads it: "N&o to All" is "No to All", "&&" an ampersand.
std::u16string WithoutAccelerator(std::u16string_view caption) {
    std::u16string shown;
    for (std::size_t i = 0; i < caption.size(); ++i) {
        if (caption[i] == u'&' && i + 1 < caption.size()) ++i;
        shown += caption[i];
    }
    return shown;
}

// The box's lines ("\r\n" between them) each escaped, so that a name in the
// text can neither start a line of its own nor drive the terminal.
std::u16string VisibleLines(std::u16string_view text) {
    std::u16string shown;
    for (std::size_t start = 0;;) {
        const std::size_t end = text.find(u"\r\n", start);
        shown += velmora::VisibleControls(text.substr(start, end - start));
        if (end == std::u16string_view::npos) return shown;
        shown += u"\n  ";
        start = end + 2;
    }
}

}  // namespace


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
    Write(request, answer);
    return answer;
}

void MessageBoxScript::Write(const host::MessageBoxRequest& request, int answer) const {
    const bool answered = answer >= 0 && static_cast<std::size_t>(answer) < request.Buttons.size();
    const std::u16string chosen =
        answered ? WithoutAccelerator(request.Buttons[static_cast<std::size_t>(answer)]) : u"closed";
    *log_ << "velmora: " << velmora::ToUtf8(velmora::VisibleControls(request.Caption)) << ": "
          << velmora::ToUtf8(VisibleLines(request.Text)) << " [" << velmora::ToUtf8(chosen) << "]\n"
          << std::flush;
}

int MessageBoxScript::ChosenButton(const host::MessageBoxRequest& request, const Step& step) const {
    if (step.dismiss) return host::MessageBoxDismissed;
    if (step.caption.empty()) return static_cast<int>(request.EscapeButton);
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
