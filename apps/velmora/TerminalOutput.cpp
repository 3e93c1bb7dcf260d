#include "velmora/TerminalOutput.h"

#include <sys/ioctl.h>
#include <unistd.h>

#include <cstdlib>
#include <iostream>

#include "base/Utf16.h"
#include "base/VisibleText.h"

namespace velmora::cli {

namespace {

constexpr auto kRedrawInterval = std::chrono::milliseconds(100);
constexpr std::string_view kEraseLine = "\r\x1b[K";

bool IsHighSurrogate(char16_t c) { return c >= 0xD800 && c <= 0xDBFF; }

}  // namespace

std::u16string FitToWidth(std::u16string_view text, std::size_t width) {
    std::size_t characters = 0;
    std::size_t i = 0;
    while (i < text.size() && characters < width) {
        i += (IsHighSurrogate(text[i]) && i + 1 < text.size()) ? 2 : 1;
        ++characters;
    }
    return std::u16string(text.substr(0, i));
}

TerminalOutput::TerminalOutput(std::ostream& out, bool interactive, std::size_t width)
    : out_(out), interactive_(interactive), width_(width == 0 ? 80 : width) {}

TerminalOutput TerminalOutput::ForStandardOutput() {
    const char* term = std::getenv("TERM");
    const bool interactive = isatty(STDOUT_FILENO) == 1 && !(term != nullptr && std::string_view(term) == "dumb");
    winsize size{};
    const std::size_t width = ioctl(STDOUT_FILENO, TIOCGWINSZ, &size) == 0 ? size.ws_col : 80;
    return TerminalOutput(std::cout, interactive, width);
}

void TerminalOutput::WriteLine(std::u16string_view text) {
    EraseProgress();
    std::string utf8 = ToUtf8(VisibleControlsKeepingLines(text));
    for (std::size_t cr; (cr = utf8.find("\r\n")) != std::string::npos;) utf8.erase(cr, 1);
    out_ << utf8 << '\n';
    DrawProgress();
    out_.flush();
}

void TerminalOutput::ShowProgress(std::u16string_view text, bool force) {
    if (!interactive_) return;
    progress_ = FitToWidth(VisibleControls(text), width_ - 1);
    const auto now = std::chrono::steady_clock::now();
    if (!force && progressShown_ && now - lastDrawn_ < kRedrawInterval) return;
    EraseProgress();
    DrawProgress();
    out_.flush();
}

void TerminalOutput::HideProgress() {
    EraseProgress();
    progress_.clear();
    out_.flush();
}

void TerminalOutput::WritePrompt(std::u16string_view text) {
    EraseProgress();
    out_ << ToUtf8(VisibleControls(text));
    out_.flush();
}

void TerminalOutput::EraseProgress() {
    if (!progressShown_) return;
    out_ << kEraseLine;
    progressShown_ = false;
}

void TerminalOutput::DrawProgress() {
    if (!interactive_ || progress_.empty()) return;
    out_ << ToUtf8(progress_);
    progressShown_ = true;
    lastDrawn_ = std::chrono::steady_clock::now();
}

}  // namespace velmora::cli
