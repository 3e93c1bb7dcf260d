#include "mailstore/TransferChecks.h"

#include <cstring>

namespace mailstore {

namespace {

bool IsHexDigit(char c) { return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'F') || (c >= 'a' && c <= 'f'); }

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

constexpr std::size_t kLineStartKept = 80;  // beyond the longest line of uuencoded data

}  // namespace

void QuotedPrintableCheck::Feed(std::string_view encoded) {
    const char* next = encoded.data();
    const char* const end = next + encoded.size();
    while (next < end) {
        if (state_ == State::Text) {
            // Only an escape can be damaged: plain text is passed over at once.
            const void* escape = std::memchr(next, '=', static_cast<std::size_t>(end - next));
            if (escape == nullptr) return;
            next = static_cast<const char*>(escape) + 1;
            state_ = State::Equals;
            continue;
        }
        const char c = *next++;
        switch (state_) {
        case State::Text:
            break;
        case State::Equals:
            if (IsHexDigit(c)) {
                state_ = State::HalfByte;
            } else if (IsBlank(c)) {
                state_ = State::SoftBreakBlanks;
            } else if (c == '\r') {
                state_ = State::SoftBreakCr;
            } else {
                damaged_ = damaged_ || c != '\n';
                state_ = c == '=' ? State::Equals : State::Text;
            }
            break;
        case State::HalfByte:
            damaged_ = damaged_ || !IsHexDigit(c);
            state_ = !IsHexDigit(c) && c == '=' ? State::Equals : State::Text;
            break;
        case State::SoftBreakBlanks:
            if (c == '\r') {
                state_ = State::SoftBreakCr;
            } else if (!IsBlank(c)) {
                damaged_ = damaged_ || c != '\n';
                state_ = c == '=' ? State::Equals : State::Text;
            }
            break;
        case State::SoftBreakCr:
            damaged_ = damaged_ || c != '\n';
            state_ = c == '=' ? State::Equals : State::Text;
            break;
        }
    }
}

void QuotedPrintableCheck::Finish() {
    // A soft break at the very end joins nothing; half a byte is lost.
    if (state_ == State::HalfByte) damaged_ = true;
    state_ = State::Text;
}

void UuencodeCheck::Feed(std::string_view encoded) {
    for (const char c : encoded) {
        if (c == '\n') {
            EndLine();
        } else if (lineStart_.size() < kLineStartKept) {
            lineStart_ += c;
        } else {
            lineCut_ = true;
        }
    }
}

void UuencodeCheck::Finish() { EndLine(); }

void UuencodeCheck::EndLine() {
    std::string_view line = lineStart_;
    while (!line.empty() && (line.back() == '\r' || IsBlank(line.back()))) line.remove_suffix(1);
    if (!begun_) {
        begun_ = lineStart_.rfind("begin ", 0) == 0;
    } else if (line == "end" && !lineCut_) {
        ended_ = true;
    }
    lineStart_.clear();
    lineCut_ = false;
}

}  // namespace mailstore
