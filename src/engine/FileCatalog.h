#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "engine/uOutlookItem.h"
#include "host/Catalog.h"
#include "host/FileSystem.h"
#include "host/Outlook.h"

namespace velmora {

// What a file named by a catalog entry is now.
enum class TSavedFileState {
    Same,     // a regular file with the recorded size and hash
    Missing,  // nothing of that name
    Changed,  // anything else: other bytes, a symbolic link, a device, a FIFO, a directory
};

struct TSavedFileCheck {
    TSavedFileState State = TSavedFileState::Missing;
    host::EntryStatus Status;  // the file as opened, when Same
};

// The engine's use of the catalog of saved files: how paths and links are
// known in it, and whether the file an entry names is still the file that
// was saved. Links are followed only through it: a path read from a message
// is data, and only a link whose identity the catalog holds names a file
// Velmora wrote.
class TFileCatalog {
public:
    TFileCatalog();

    host::CatalogStore& Store() { return store_; }

    // Where a path leads: "." and ".." resolved, and the directories on the
    // way with their symbolic links followed; the name itself is kept (what
    // it is is checked when the file is opened).
    std::u16string ResolvedPath(std::u16string_view path);
    // How a path is compared: resolved, without regard to letter case.
    std::u16string PathKey(std::u16string_view path);
    // The key of the directory the file is in.
    std::u16string DirectoryKey(std::u16string_view path);
    // The key of a directory given itself.
    std::u16string KeyOfDirectory(std::u16string_view directory);
    // A link's identity in its item: its own Content-ID when it has one,
    // else the item's EntryID and the linked path together.
    std::u16string LinkIdentity(TOutlookItem& item, Outlook::Attachment& link);

    // The entry of the link, when Velmora made it.
    std::optional<host::CatalogEntry> FindLink(const std::u16string& identity);
    // Whether an item depends on the file: an entry of a link, a body
    // reference or an attachment removed without either names it. (A copy
    // of an attachment that stayed in or came back to its item keeps nothing
    // alive.)
    bool Needed(const std::u16string& pathKey);
    // The file is gone: entries of copies that named it go too.
    void Forget(const std::u16string& pathKey);
    // Whether an entry of another item than itemId names the file.
    bool NamedByOtherItem(const std::u16string& pathKey, const std::u16string& itemId);

    // Opens the file the entry names (never through a symbolic link at its
    // name) and compares it with what was recorded.
    TSavedFileCheck Check(const host::CatalogEntry& entry);

private:
    host::CatalogStore& store_;
    host::FileSystem& files_;
};

// The SHA-256 of everything the stream still holds, in hexadecimal; size
// receives the number of bytes read.
std::string HashStream(host::InputStream& stream, std::uint64_t& size);

}  // namespace velmora
