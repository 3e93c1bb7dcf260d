#include "sim/ui/Controls.h"

#include <algorithm>

namespace sim::ui {

void RadioButtonGroup::CheckedOne(const RadioButton& checked) {
    for (RadioButton* member : members_) {
        if (member != &checked) member->checked_ = false;
    }
}

RadioButton::RadioButton(RadioButtonGroup& group, std::u16string caption) : group_(group), caption_(std::move(caption)) {
    group_.Add(*this);
}

void RadioButton::SetChecked(bool checked) {
    checked_ = checked;
    if (checked) group_.CheckedOne(*this);
}

void UpDown::SetPosition(int position) { position_ = std::clamp(position, min_, max_); }

void PageControl::SetActivePage(int page) {
    if (page >= 0 && page < pageCount_) activePage_ = page;
}

void LogView::Clear() {
    lines_.clear();
    allSelected_ = false;
}

void LogView::RewriteLastLine(const std::u16string& line) {
    if (lines_.empty()) {
        lines_.push_back(line);
    } else {
        lines_.back() = line;
    }
}

std::u16string LogView::Text() const {
    std::u16string text;
    for (std::size_t i = 0; i < lines_.size(); ++i) {
        if (i > 0) text += u"\r\n";
        text += lines_[i];
    }
    return text;
}

}  // namespace sim::ui
