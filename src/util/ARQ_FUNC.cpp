#include "util/ARQ_FUNC.h"

#include "base/Exception.h"
#include "host/Platform.h"
#include "util/DosDateTime.h"

namespace velmora {

CharSet::CharSet(std::initializer_list<char16_t> members) {
    for (const char16_t member : members) Add(member);
}

CharSet& CharSet::Add(char16_t member) {
    members_.set(member);
    return *this;
}

CharSet& CharSet::AddRange(char16_t first, char16_t last) {
    for (char32_t c = first; c <= last; ++c) Add(static_cast<char16_t>(c));
    return *this;
}

bool CharSet::Contains(char16_t c) const { return c < members_.size() && members_.test(c); }

namespace {

// Everything up to and including the last backslash or colon.
std::u16string_view ParentPart(std::u16string_view path) {
    const auto last = path.find_last_of(u"\\:");
    return last == std::u16string_view::npos ? std::u16string_view() : path.substr(0, last + 1);
}

}  // namespace

bool ForceDirectories(std::u16string_view path, bool withParents) {
    while (!path.empty() && path.back() == u'\\') path.remove_suffix(1);
    if (path.empty()) return false;
    if (host::TheFileSystem().DirectoryExists(path)) return true;
    if (withParents) {
        // A parent part that does not shrink the path (a relative name, a
        // drive that is not there) has nothing left to create.
        const std::u16string_view parent = ParentPart(path);
        if (parent.empty() || parent.size() >= path.size()) return false;
        if (!ForceDirectories(parent, true)) return false;
    }
    return host::TheFileSystem().MakeDirectory(path);
}

std::optional<host::FileTime> StampOf(TDateTime time) {
    const auto dos = DateTimeToDos(time);
    if (!dos) return std::nullopt;
    return host::TheSystem().LocalToUtc(DosToFileTime(*dos));
}

void SetFileDateTime(std::u16string_view path, TDateTime time) {
    const auto stamp = StampOf(time);
    if (!stamp) return;
    try {
        host::TheFileSystem().SetLastWriteTime(path, *stamp);
    } catch (const Exception&) {
        // A file time that cannot be set is no reason to fail a run.
    }
}

bool GetFileDateTimeAndSize(std::u16string_view path, TDateTime& time, std::uint32_t& size) {
    const auto entry = host::TheFileSystem().Find(path);
    if (!entry) return false;
    if (const auto dos = FileTimeToDos(host::TheSystem().UtcToLocal(entry->LastWriteTime))) time = DosToDateTime(*dos);
    size = static_cast<std::uint32_t>(entry->Size);
    return true;
}

void ReplaceCharsBySpace(std::u16string& text, const CharSet& set) {
    for (char16_t& c : text) {
        if (set.Contains(c)) c = u' ';
    }
}

}  // namespace velmora
