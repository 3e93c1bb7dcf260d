#include "velmora/OverwriteQuestion.h"

#include <algorithm>
#include <cctype>

namespace velmora::cli {

namespace {

constexpr std::u16string_view kPrompt = u"[y]es/[n]o/n[o] to all/yes to [a]ll? ";

std::string Normalised(std::string_view typed) {
    const auto first = typed.find_first_not_of(" \t\r\n");
    if (first == std::string_view::npos) return {};
    const auto last = typed.find_last_not_of(" \t\r\n");
    std::string text(typed.substr(first, last - first + 1));
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

}  // namespace

OverwriteAnswer ParseOverwriteAnswer(std::string_view typed) {
    const std::string answer = Normalised(typed);
    if (answer == "y" || answer == "yes") return OverwriteAnswer::Yes;
    if (answer == "a" || answer == "yes to all") return OverwriteAnswer::YesToAll;
    if (answer == "o" || answer == "no to all") return OverwriteAnswer::NoToAll;
    return OverwriteAnswer::No;
}

OverwriteAnswer TerminalQuestion::Ask(std::u16string_view question) {
    output_.WriteLine(question);
    output_.WritePrompt(kPrompt);
    std::string line;
    if (!std::getline(in_, line)) {
        output_.WriteLine(u"");
        return OverwriteAnswer::No;
    }
    return ParseOverwriteAnswer(line);
}

}  // namespace velmora::cli
