#pragma once

// Message boxes answered from a script that a test sets, recording every
// box shown and writing it, with its answer, where someone may read it.

#include <deque>
#include <functional>
#include <ostream>
#include <string>
#include <vector>

#include "host/UserInterface.h"
#include "sim/ui/Desktop.h"

namespace sim::ui {

struct ShownBox {
    host::MessageBoxRequest Request;
    int Answer = host::MessageBoxDismissed;
};

class MessageBoxScript final : public host::MessageBoxes {
public:
    // Each box shown is written to log, with the answer it got.
    MessageBoxScript(Desktop& desktop, std::ostream& log) : desktop_(desktop), log_(&log) {}

    // The next box is answered by the button of that caption; whileShown
    // runs first, as events served while the box is up. A box that has no
    // such button throws std::logic_error.
    MessageBoxScript& Answer(std::u16string caption, std::function<void()> whileShown = {});
    // The next box is closed by other means than its buttons.
    MessageBoxScript& Dismiss();

    // Nobody is there to read an unscripted box: it takes its Esc answer,
    // which never agrees to anything (no overwrite, no send). Boxes other
    // than system boxes take the focus while they are up.
    int Show(const host::MessageBoxRequest& request) override;

    const std::vector<ShownBox>& Shown() const { return shown_; }
    std::vector<std::u16string> Texts() const;
    std::size_t Pending() const { return script_.size(); }

private:
    struct Step {
        bool dismiss = false;
        std::u16string caption;
        std::function<void()> whileShown;
    };

    // A box as a window of its own, for the focus.
    class BoxWindow final : public Focusable {
    public:
        bool Visible() const override { return true; }
    };

    int ChosenButton(const host::MessageBoxRequest& request, const Step& step) const;
    void Write(const host::MessageBoxRequest& request, int answer) const;

    Desktop& desktop_;
    std::ostream* log_;
    std::deque<Step> script_;
    std::vector<ShownBox> shown_;
};

}  // namespace sim::ui
