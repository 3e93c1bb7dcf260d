#include "imapstore/AccountUrl.h"

#include <arpa/inet.h>

#include <charconv>

namespace imapstore {

namespace {

constexpr std::uint16_t kImapPort = 143;
constexpr std::uint16_t kImapsPort = 993;

std::string Lower(std::string_view text) {
    std::string lower(text);
    for (char& c : lower) {
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    }
    return lower;
}

int HexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// %-escapes undone; none for a broken escape or a control character.
std::optional<std::string> Unescaped(std::string_view text) {
    std::string plain;
    for (std::size_t i = 0; i < text.size(); ++i) {
        char c = text[i];
        if (c == '%') {
            if (i + 2 >= text.size()) return std::nullopt;
            const int high = HexValue(text[i + 1]);
            const int low = HexValue(text[i + 2]);
            if (high < 0 || low < 0) return std::nullopt;
            c = static_cast<char>(high * 16 + low);
            i += 2;
        }
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7f) return std::nullopt;
        plain += c;
    }
    return plain;
}

bool IsHostCharacter(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-' || c == '.';
}

std::string Escaped(std::string_view text) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string escaped;
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-' || c == '.' ||
            c == '_' || c == '~') {
            escaped += c;
        } else {
            escaped += '%';
            escaped += kHex[byte >> 4];
            escaped += kHex[byte & 0xF];
        }
    }
    return escaped;
}

}  // namespace

bool AccountUrl::LooksLikeOne(std::string_view text) {
    const std::string lower = Lower(text.substr(0, 8));
    return lower.rfind("imap://", 0) == 0 || lower.rfind("imaps://", 0) == 0;
}

std::optional<AccountUrl> AccountUrl::Parse(std::string_view text, std::string& reason) {
    AccountUrl url;
    const std::string lower = Lower(text.substr(0, 8));
    if (lower.rfind("imaps://", 0) == 0) {
        url.implicitTls = true;
        text.remove_prefix(8);
    } else if (lower.rfind("imap://", 0) == 0) {
        text.remove_prefix(7);
    } else {
        reason = "it starts with neither imap:// nor imaps://";
        return std::nullopt;
    }
    const std::size_t slash = text.find('/');
    std::string_view authority = text.substr(0, slash);
    const std::string_view path = slash == std::string_view::npos ? std::string_view() : text.substr(slash);
    if (!path.empty() && path != "/") {
        reason = "it names a folder; give the folder with --folder";
        return std::nullopt;
    }
    const std::size_t at = authority.rfind('@');
    if (at == std::string_view::npos || at == 0) {
        reason = "it names no user (imap://user@host/)";
        return std::nullopt;
    }
    const std::string_view user = authority.substr(0, at);
    if (user.find(':') != std::string_view::npos) {
        reason = "it holds a password; give it through VELMORA_IMAP_PASSWORD, --password-file or the prompt";
        return std::nullopt;
    }
    if (user.find(';') != std::string_view::npos) {
        reason = "it asks for a way of logging in; only the password is supported";
        return std::nullopt;
    }
    const auto plainUser = Unescaped(user);
    if (!plainUser || plainUser->empty()) {
        reason = "its user name is not properly escaped";
        return std::nullopt;
    }
    url.user = *plainUser;
    authority.remove_prefix(at + 1);

    std::string_view port;
    if (!authority.empty() && authority.front() == '[') {
        const std::size_t close = authority.find(']');
        if (close == std::string_view::npos) {
            reason = "its IPv6 address has no closing bracket";
            return std::nullopt;
        }
        url.host = std::string(authority.substr(1, close - 1));
        in6_addr address{};
        if (::inet_pton(AF_INET6, url.host.c_str(), &address) != 1) {
            reason = "its IPv6 address is not one";
            return std::nullopt;
        }
        authority.remove_prefix(close + 1);
        if (!authority.empty() && authority.front() != ':') {
            reason = "something follows its IPv6 address";
            return std::nullopt;
        }
        if (!authority.empty()) port = authority.substr(1);
    } else {
        const std::size_t colon = authority.find(':');
        url.host = Lower(authority.substr(0, colon));
        if (colon != std::string_view::npos) port = authority.substr(colon + 1);
        bool valid = !url.host.empty() && url.host.front() != '-' && url.host.front() != '.';
        for (const char c : url.host) valid = valid && IsHostCharacter(c);
        if (!valid) {
            reason = "its host name is not one";
            return std::nullopt;
        }
    }
    if (authority.find(':') != std::string_view::npos || !port.empty()) {
        unsigned value = 0;
        const auto [end, error] = std::from_chars(port.data(), port.data() + port.size(), value);
        if (port.empty() || error != std::errc() || end != port.data() + port.size() || value == 0 || value > 65535) {
            reason = "its port is not a number from 1 to 65535";
            return std::nullopt;
        }
        url.port = static_cast<std::uint16_t>(value);
    } else {
        url.port = url.implicitTls ? kImapsPort : kImapPort;
    }
    return url;
}

std::string AccountUrl::Text() const {
    const bool ipv6 = host.find(':') != std::string::npos;
    return std::string(implicitTls ? "imaps://" : "imap://") + Escaped(user) + "@" + (ipv6 ? "[" + host + "]" : host) +
           ":" + std::to_string(port) + "/";
}

bool AccountUrl::OnLoopback() const {
    if (host == "localhost") return true;
    in_addr v4{};
    if (::inet_pton(AF_INET, host.c_str(), &v4) == 1) return (ntohl(v4.s_addr) >> 24) == 127;
    in6_addr v6{};
    return ::inet_pton(AF_INET6, host.c_str(), &v6) == 1 && IN6_IS_ADDR_LOOPBACK(&v6);
}

}  // namespace imapstore
