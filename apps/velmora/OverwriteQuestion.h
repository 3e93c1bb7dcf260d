#pragma once

#include <istream>
#include <string>
#include <string_view>

#include "velmora/TerminalOutput.h"

namespace velmora::cli {

// The four answers of the "file already exists" question.
enum class OverwriteAnswer { Yes, No, NoToAll, YesToAll };

// The answer typed on the terminal: "y"/"yes", "n"/"no", "o"/"no to all",
// "a"/"yes to all" (letter case and blanks at both ends do not matter);
// anything else is no, as the safe answer that overwrites nothing.
OverwriteAnswer ParseOverwriteAnswer(std::string_view typed);

class OverwriteQuestion {
public:
    virtual ~OverwriteQuestion() = default;
    // The question's text has its lines separated by "\r\n".
    virtual OverwriteAnswer Ask(std::u16string_view question) = 0;
};

// Asks on the terminal and reads one line of input; the end of the input is no.
class TerminalQuestion final : public OverwriteQuestion {
public:
    TerminalQuestion(std::istream& in, TerminalOutput& output) : in_(in), output_(output) {}

    OverwriteAnswer Ask(std::u16string_view question) override;

private:
    std::istream& in_;
    TerminalOutput& output_;
};

}  // namespace velmora::cli
