#include "engine/FileCatalog.h"

#include <algorithm>
#include <vector>

#include "base/Sha256.h"
#include "base/Utf16.h"
#include "host/HostError.h"
#include "host/Platform.h"
#include "util/PathNames.h"

namespace velmora {

namespace {

constexpr std::size_t kHashBufferSize = 1024 * 1024;

bool IsMissing(const host::HostError& error) {
    return error.Code() == HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND) ||
           error.Code() == HRESULT_FROM_WIN32(ERROR_PATH_NOT_FOUND);
}

}  // namespace

std::string HashStream(host::InputStream& stream, std::uint64_t& size) {
    std::vector<char> buffer(kHashBufferSize);
    Sha256 hash;
    size = 0;
    while (const std::size_t read = stream.Read(buffer.data(), buffer.size())) {
        hash.Update(buffer.data(), read);
        size += read;
    }
    return Sha256::Hex(hash.Finish());
}

TFileCatalog::TFileCatalog() : store_(host::TheCatalog()), files_(host::TheFileSystem()) {}

std::u16string TFileCatalog::ResolvedPath(std::u16string_view path) {
    const std::u16string normal = NormalizePath(path);
    std::u16string resolved = files_.Canonical(NormalizePath(ExtractFilePath(normal)));
    if (resolved.empty() || resolved.back() != u'\\') resolved += u'\\';
    return resolved + ExtractFileName(normal);
}

std::u16string TFileCatalog::PathKey(std::u16string_view path) { return LowerCase(ResolvedPath(path)); }

std::u16string TFileCatalog::DirectoryKey(std::u16string_view path) {
    return KeyOfDirectory(ExtractFilePath(NormalizePath(path)));
}

std::u16string TFileCatalog::KeyOfDirectory(std::u16string_view directory) {
    std::u16string key = LowerCase(files_.Canonical(NormalizePath(directory)));
    if (key.size() > 3 && key.back() == u'\\') key.pop_back();
    return key;
}

std::u16string TFileCatalog::LinkIdentity(TOutlookItem& item, Outlook::Attachment& link) {
    const std::u16string contentId = link.ContentId();
    if (!contentId.empty()) return u"cid:" + contentId;
    return u"item:" + item.GetEntryID() + u"|" + PathKey(link.PathName());
}

std::optional<host::CatalogEntry> TFileCatalog::FindLink(const std::u16string& identity) {
    return store_.FindByLink(identity);
}

bool TFileCatalog::Needed(const std::u16string& pathKey) {
    const auto entries = store_.FindByPath(pathKey);
    return std::any_of(entries.begin(), entries.end(), [](const auto& entry) {
        return entry.Reference != host::CatalogReference::Copy &&
               entry.Reference != host::CatalogReference::Reintroduced;
    });
}

void TFileCatalog::Forget(const std::u16string& pathKey) {
    for (const auto& entry : store_.FindByPath(pathKey)) store_.Remove(entry.Id);
}

bool TFileCatalog::NamedByOtherItem(const std::u16string& pathKey, const std::u16string& itemId) {
    const auto entries = store_.FindByPath(pathKey);
    return std::any_of(entries.begin(), entries.end(), [&](const auto& entry) { return entry.ItemId != itemId; });
}

TSavedFileCheck TFileCatalog::Check(const host::CatalogEntry& entry) {
    TSavedFileCheck check;
    try {
        std::u16string directoryPath = ExtractFilePath(entry.Path);
        if (directoryPath.size() > 3 && directoryPath.back() == u'\\') directoryPath.pop_back();
        auto directory = files_.OpenDirectory(directoryPath);
        const std::u16string name = ExtractFileName(entry.Path);
        const host::EntryStatus status = directory->Status(name);
        if (status.Kind == host::EntryKind::None) return check;
        check.State = TSavedFileState::Changed;
        if (status.Kind != host::EntryKind::File || status.Size != entry.Size) return check;
        auto stream = directory->OpenRead(status.Name, check.Status);
        std::uint64_t size = 0;
        if (HashStream(*stream, size) == entry.Sha256 && size == entry.Size) check.State = TSavedFileState::Same;
    } catch (const host::HostError& error) {
        if (IsMissing(error)) check.State = TSavedFileState::Missing;
        else check.State = TSavedFileState::Changed;
    }
    return check;
}

}  // namespace velmora
