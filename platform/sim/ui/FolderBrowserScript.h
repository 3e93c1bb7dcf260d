#pragma once

// A folder browser answering from a script, recording each showing.

#include <deque>
#include <optional>
#include <string>
#include <vector>

#include "host/UserInterface.h"

namespace sim::ui {

struct BrowseRecord {
    host::FolderBrowseRequest Request;
    std::vector<std::u16string> Selected;     // directories selected from code, in order
    std::vector<std::u16string> StatusTexts;  // status texts set from code, in order
};

class FolderBrowserScript final : public host::FolderBrowser {
public:
    // The user selects each of browsedPaths in turn (empty: an item without
    // a file-system path), then confirms directory.
    FolderBrowserScript& Confirm(std::u16string directory, std::vector<std::u16string> browsedPaths = {});
    FolderBrowserScript& Cancel();
    // The root cannot be had: nothing is shown.
    FolderBrowserScript& RootUnavailable();

    // Unscripted showings are cancelled.
    std::optional<std::u16string> Browse(const host::FolderBrowseRequest& request,
                                         host::FolderBrowserEvents& events) override;

    const std::vector<BrowseRecord>& Showings() const { return showings_; }
    std::size_t Pending() const { return script_.size(); }

private:
    struct Step {
        bool shown = true;
        std::optional<std::u16string> answer;
        std::vector<std::u16string> browsedPaths;
    };

    class Window final : public host::FolderBrowserWindow {
    public:
        explicit Window(BrowseRecord& record) : record_(record) {}
        void Select(const std::u16string& directory) override { record_.Selected.push_back(directory); }
        void SetStatusText(const std::u16string& text) override { record_.StatusTexts.push_back(text); }

    private:
        BrowseRecord& record_;
    };

    std::deque<Step> script_;
    std::vector<BrowseRecord> showings_;
};

}  // namespace sim::ui
