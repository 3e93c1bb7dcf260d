#include "ui/PathDialog.h"

#include "host/Platform.h"
#include "ui/Dialogs.h"

namespace velmora {

namespace {

// Errors of the user's handlers are shown and go no further; anything else
// that fails while the browser calls back is swallowed, so the browser stays.
template <class Handler>
void CallBack(Handler&& handler) {
    try {
        RunHandler(handler);
    } catch (const std::exception&) {
        // Nothing may escape into the browser.
    }
}

}  // namespace

bool TPathDialog::Execute() {
    const host::FolderBrowseRequest request{Title, static_cast<host::BrowseRoot>(RootItem), ShowStatus};
    struct OpenBrowser {
        host::FolderBrowserWindow*& window;
        ~OpenBrowser() { window = nullptr; }
    } closes{browser_};
    const auto chosen = host::TheFolderBrowser().Browse(request, *this);
    if (!chosen) return false;
    directory_ = *chosen;
    return true;
}

void TPathDialog::SetDirectory(const std::u16string& value) {
    if (!value.empty() && value.back() == u'\\') {
        directory_ = value.substr(0, value.size() - 1);
    } else if (!value.empty()) {
        directory_ = value;
    } else {
        directory_ = host::TheFileSystem().CurrentDirectory();
    }
    if (browser_ != nullptr && !directory_.empty()) browser_->Select(directory_);
}

void TPathDialog::SetStatusText(const std::u16string& value) {
    statusText_ = value;
    if (browser_ != nullptr && ShowStatus) browser_->SetStatusText(statusText_);
}

void TPathDialog::Opened(host::FolderBrowserWindow& window) {
    try {
        browser_ = &window;
        SetDirectory(directory_);
        SetStatusText(statusText_);
    } catch (const std::exception&) {
        // A directory that cannot be selected leaves the browser as it opened.
    }
    if (OnShow) CallBack([&] { OnShow(*this); });
}

void TPathDialog::SelectionChanged(const std::u16string& directory) {
    if (OnSelect) CallBack([&] { OnSelect(*this, directory); });
}

}  // namespace velmora
