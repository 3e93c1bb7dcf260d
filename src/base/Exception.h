#pragma once

#include <exception>
#include <string>

namespace velmora {

// Base of every error the system raises itself: the message as the user sees
// it (UTF-16), with a UTF-8 copy for what().
class Exception : public std::exception {
public:
    explicit Exception(std::u16string message);

    const std::u16string& Message() const noexcept { return message_; }
    const char* what() const noexcept override { return utf8_.c_str(); }

private:
    std::u16string message_;
    std::string utf8_;
};

}  // namespace velmora
