#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace imapstore {

// An IMAP account as the command line names it: imap://user@host[:port]/ or
// imaps://user@host[:port]/ (RFC 5092 without a mailbox, a password or
// parameters). The user name may carry %-escapes ("me%40example.org"); an
// IPv6 host stands in brackets.
struct AccountUrl {
    bool implicitTls = false;  // imaps: TLS from the first byte, port 993 by default
    std::string user;
    std::string host;  // without brackets
    std::uint16_t port = 0;

    // None for anything else than such a URL; why in reason.
    static std::optional<AccountUrl> Parse(std::string_view text, std::string& reason);
    // Whether the text is meant as an account's URL (it starts so).
    static bool LooksLikeOne(std::string_view text);

    // The URL in one spelling whatever the form given: what names the account.
    std::string Text() const;
    // Whether the host is this machine's loopback interface, where a plain
    // connection reaches no network.
    bool OnLoopback() const;
};

}  // namespace imapstore
