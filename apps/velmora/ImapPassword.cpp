#include "velmora/ImapPassword.h"

#include <fcntl.h>
#include <termios.h>
#include <unistd.h>

#include <cstdlib>
#include <optional>
#include <fstream>

#include "base/Exception.h"
#include "base/Utf16.h"

namespace velmora::cli {

namespace {

std::string WithoutLineEnd(std::string line) {
    while (!line.empty() && (line.back() == '\n' || line.back() == '\r')) line.pop_back();
    return line;
}

// Asks on the controlling terminal with echo off; none without a terminal.
std::optional<std::string> AskOnTerminal(const std::string& prompt) {
    const int tty = ::open("/dev/tty", O_RDWR | O_CLOEXEC | O_NOCTTY);
    if (tty < 0) return std::nullopt;
    termios saved{};
    const bool hidden = ::tcgetattr(tty, &saved) == 0;
    if (hidden) {
        termios quiet = saved;
        quiet.c_lflag &= ~static_cast<tcflag_t>(ECHO);
        ::tcsetattr(tty, TCSAFLUSH, &quiet);
    }
    [[maybe_unused]] const ssize_t shown = ::write(tty, prompt.data(), prompt.size());
    std::string answer;
    char c = 0;
    while (::read(tty, &c, 1) == 1 && c != '\n') answer += c;
    if (hidden) ::tcsetattr(tty, TCSAFLUSH, &saved);
    [[maybe_unused]] const ssize_t ended = ::write(tty, "\n", 1);
    ::close(tty);
    return WithoutLineEnd(answer);
}

}  // namespace

std::string ImapPassword(const Request& request, const imapstore::AccountUrl& url) {
    if (!request.passwordFile.empty()) {
        std::ifstream file(request.passwordFile);
        std::string line;
        if (!file || !std::getline(file, line)) {
            throw Exception(FromUtf8("The password file " + request.passwordFile + " cannot be read."));
        }
        return WithoutLineEnd(line);
    }
    if (const char* password = std::getenv("VELMORA_IMAP_PASSWORD"); password != nullptr && *password != '\0') {
        return password;
    }
    if (auto typed = AskOnTerminal("Password for " + url.Text() + ": ")) return *typed;
    throw Exception(FromUtf8("No password for " + url.Text() +
                             ": set VELMORA_IMAP_PASSWORD, give --password-file, or run velmora on a terminal."));
}

}  // namespace velmora::cli
