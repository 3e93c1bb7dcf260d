#include "posix/system/DirectoryEntries.h"

#include <dirent.h>
#include <fcntl.h>
#include <unistd.h>

#include <memory>

#include "base/Utf16.h"

namespace posix {

namespace {

struct DirectoryCloser {
    void operator()(DIR* listing) const { closedir(listing); }
};

// A listing of its own, so that the caller's descriptor keeps its offset and stays open.
std::unique_ptr<DIR, DirectoryCloser> ListingOf(int directory) {
    const int own = openat(directory, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (own < 0) return nullptr;
    std::unique_ptr<DIR, DirectoryCloser> listing(fdopendir(own));
    if (!listing) close(own);
    return listing;
}

template <class Visit>
bool ForEachName(int directory, Visit visit) {
    const std::unique_ptr<DIR, DirectoryCloser> listing = ListingOf(directory);
    if (!listing) return false;
    while (const dirent* entry = readdir(listing.get())) {
        const std::string_view name(entry->d_name);
        if (name != "." && name != "..") visit(name);
    }
    return true;
}

}  // namespace

std::optional<std::vector<std::string>> EntryNamesAt(int directory) {
    std::vector<std::string> names;
    if (!ForEachName(directory, [&](std::string_view name) { names.emplace_back(name); })) return std::nullopt;
    return names;
}

std::optional<std::string> MatchIgnoringCaseAt(int directory, std::u16string_view name) {
    // The letter-case mapping keeps every character's UTF-8 length, so only
    // names of the same byte length can match: the rest need no conversion.
    const std::size_t length = velmora::ToUtf8(name).size();
    std::optional<std::string> best;
    ForEachName(directory, [&](std::string_view stored) {
        if (stored.size() != length || (best && stored >= *best)) return;
        if (velmora::SameText(velmora::FromUtf8(stored), name)) best = std::string(stored);
    });
    return best;
}

}  // namespace posix
