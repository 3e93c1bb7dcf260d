#pragma once

#include <string>
#include <string_view>

// What GMime's decoders of quoted-printable and uuencode do not report:
// stored text that readers may each decode their own way, or only in part.
// Both are fed the stored text a chunk at a time, beside the decoder.
namespace mailstore {

// An '=' must start a byte ("=3D", either letter case) or a soft line break
// ('=' at a line's end, blanks allowed before it); anything else is damage.
class QuotedPrintableCheck {
public:
    void Feed(std::string_view encoded);
    void Finish();
    bool Damaged() const { return damaged_; }

private:
    enum class State { Text, Equals, HalfByte, SoftBreakBlanks, SoftBreakCr };
    State state_ = State::Text;
    bool damaged_ = false;
};

// The content lies between a "begin" line and an "end" line; without both,
// the decoder wrote nothing or stopped short.
class UuencodeCheck {
public:
    void Feed(std::string_view encoded);
    void Finish();
    bool Damaged() const { return !begun_ || !ended_; }

private:
    void EndLine();

    std::string lineStart_;  // the first characters of the line under way
    bool lineCut_ = false;   // whether it had more
    bool begun_ = false;
    bool ended_ = false;
};

}  // namespace mailstore
