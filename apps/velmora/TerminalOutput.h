#pragma once

#include <chrono>
#include <ostream>
#include <string>
#include <string_view>

namespace velmora::cli {

// The terminal the log is written to. On an interactive terminal the last
// line is a progress line that is redrawn in place below the log lines
// (at most every 100 ms unless forced); elsewhere (a pipe, a file, a dumb
// terminal) only the log lines are written. Every line is flushed at once, so
// that a reader of a pipe sees the run as it goes. No control character
// reaches the terminal but the line breaks of WriteLine: the others are
// shown escaped (VisibleControls).
class TerminalOutput {
public:
    TerminalOutput(std::ostream& out, bool interactive, std::size_t width);

    // Standard output: interactive when it is a terminal and TERM is not
    // "dumb"; the width is the terminal's (80 when unknown).
    static TerminalOutput ForStandardOutput();

    bool Interactive() const { return interactive_; }
    std::size_t Width() const { return width_; }

    // Writes text as one or more lines ("\r\n" or "\n" separate them), UTF-8 encoded.
    void WriteLine(std::u16string_view text);
    // Shows the progress line, cut to the width.
    void ShowProgress(std::u16string_view text, bool force = false);
    // Removes the progress line; the next ShowProgress draws it again.
    void HideProgress();
    // Writes text without a line end (a question's prompt), the progress line hidden.
    void WritePrompt(std::u16string_view text);

private:
    void EraseProgress();
    void DrawProgress();

    std::ostream& out_;
    bool interactive_;
    std::size_t width_;
    std::u16string progress_;
    bool progressShown_ = false;
    std::chrono::steady_clock::time_point lastDrawn_{};
};

// Text cut to at most width characters (code points), as a terminal line.
std::u16string FitToWidth(std::u16string_view text, std::size_t width);

}  // namespace velmora::cli
