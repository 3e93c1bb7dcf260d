#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

#include "engine/FileCatalog.h"
#include "engine/SaveBatch.h"
#include "engine/TargetDirectory.h"
#include "engine/WriterThread.h"
#include "engine/uOutlookManager.h"
#include "host/FileSystem.h"

namespace velmora {

// An attachment written under a temporary name, with what it holds.
struct TWrittenAttachment {
    std::unique_ptr<host::NewFile> file;
    std::uint64_t size = 0;
    std::string sha256;
};

// What a save run keeps while it runs: the directories it writes to and
// the batch of items waiting to be rewritten.
struct TOutlookManager::SaveRun {
    SaveRun(TFileCatalog& catalog, Outlook::_NameSpace* store, const std::u16string& root, bool remove)
        : directories(root), batch(catalog, store, remove) {}

    // The catalog's key of a directory the run writes to, resolved once.
    const std::u16string& DirectoryKey(TFileCatalog& catalog, const std::u16string& dir) {
        auto found = directoryKeys.find(dir);
        if (found == directoryKeys.end()) found = directoryKeys.emplace(dir, catalog.KeyOfDirectory(dir)).first;
        return found->second;
    }

    TWriterThread writer;
    TTargetDirectories directories;
    TSaveBatch batch;
    std::optional<std::u16string> itemId;  // the EntryID of the item in progress, once read
    std::vector<std::u16string> linksSeen;  // the identities of the item's links
    std::unordered_map<std::u16string, std::u16string> directoryKeys;
};

}  // namespace velmora
