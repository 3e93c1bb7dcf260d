#include "posix/system/TemporaryNames.h"

#include <fmt/format.h>

#include <atomic>
#include <charconv>
#include <random>

namespace posix {

namespace {

constexpr std::string_view kPrefix = ".~velmora-";
constexpr std::string_view kSuffix = ".tmp";
constexpr std::size_t kUniqueDigits = 16;

bool IsHexDigit(char c) { return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f'); }

std::uint64_t ProcessSeed() {
    std::random_device device;
    return (static_cast<std::uint64_t>(device()) << 32) ^ device();
}

}  // namespace

std::string TemporaryFileName(pid_t pid, std::uint64_t unique) {
    return fmt::format("{}{}-{:016x}{}", kPrefix, pid, unique, kSuffix);
}

std::optional<pid_t> TemporaryFileOwner(std::string_view name) {
    if (!name.starts_with(kPrefix) || !name.ends_with(kSuffix)) return std::nullopt;
    name.remove_prefix(kPrefix.size());
    name.remove_suffix(kSuffix.size());
    const std::size_t dash = name.find('-');
    if (dash == std::string_view::npos || dash == 0) return std::nullopt;
    const std::string_view unique = name.substr(dash + 1);
    if (unique.size() != kUniqueDigits) return std::nullopt;
    for (char c : unique) {
        if (!IsHexDigit(c)) return std::nullopt;
    }
    pid_t pid = 0;
    const auto [end, error] = std::from_chars(name.data(), name.data() + dash, pid);
    if (error != std::errc() || end != name.data() + dash || pid <= 0) return std::nullopt;
    return pid;
}

std::uint64_t NextTemporaryUnique() {
    static const std::uint64_t seed = ProcessSeed();
    static std::atomic<std::uint64_t> counter{0};
    // An odd multiplier is a bijection: distinct counts give distinct parts.
    return seed ^ (counter.fetch_add(1) * 0x9E3779B97F4A7C15ull);
}

}  // namespace posix
