#include "sim/ui/FolderBrowserScript.h"

namespace sim::ui {

FolderBrowserScript& FolderBrowserScript::Confirm(std::u16string directory, std::vector<std::u16string> browsedPaths) {
    script_.push_back({true, std::move(directory), std::move(browsedPaths)});
    return *this;
}

FolderBrowserScript& FolderBrowserScript::Cancel() {
    script_.push_back({true, std::nullopt, {}});
    return *this;
}

FolderBrowserScript& FolderBrowserScript::RootUnavailable() {
    script_.push_back({false, std::nullopt, {}});
    return *this;
}

std::optional<std::u16string> FolderBrowserScript::Browse(const host::FolderBrowseRequest& request,
                                                          host::FolderBrowserEvents& events) {
    Step step;
    if (!script_.empty()) {
        step = std::move(script_.front());
        script_.pop_front();
    }
    if (!step.shown) return std::nullopt;
    showings_.push_back({request, {}, {}});
    // Records are addressed by index: the events may browse again meanwhile.
    const std::size_t index = showings_.size() - 1;
    BrowseRecord record{request, {}, {}};
    Window window(record);
    events.Opened(window);
    for (const auto& path : step.browsedPaths) events.SelectionChanged(path);
    showings_[index] = std::move(record);
    return step.answer;
}

}  // namespace sim::ui
