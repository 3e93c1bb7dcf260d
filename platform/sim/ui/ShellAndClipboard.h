#pragma once

// A clipboard and a shell that record what they are given.

#include <string>
#include <vector>

#include "host/UserInterface.h"

namespace sim::ui {

class RecordingClipboard final : public host::Clipboard {
public:
    void SetText(const std::u16string& text) override { texts_.push_back(text); }
    // Every text put on the clipboard, the latest last.
    const std::vector<std::u16string>& Texts() const { return texts_; }

private:
    std::vector<std::u16string> texts_;
};

class RecordingShell final : public host::Shell {
public:
    bool Open(const std::u16string& address) override {
        opened_.push_back(address);
        return true;
    }
    const std::vector<std::u16string>& Opened() const { return opened_; }

private:
    std::vector<std::u16string> opened_;
};

}  // namespace sim::ui
