#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>

#include "host/FileSystem.h"

namespace velmora {

// One directory a save run writes into: held open, so that every name is
// looked up in it and never through a symbolic link, with an index of the
// names it holds, built once from its listing and kept current by the run,
// so that finding a free name never scans the directory again. Other
// writers are kept honest by exclusive creation, not by the index.
class TTargetDirectory {
public:
    explicit TTargetDirectory(std::unique_ptr<host::Directory> directory);

    host::Directory& Handle() { return *directory_; }
    const std::u16string& Path() const { return directory_->Path(); }

    // The stored spelling of the entry of that name, letter case aside.
    std::optional<std::u16string> Stored(std::u16string_view name) const;
    // The run made or found an entry of that name.
    void Taken(const std::u16string& name);
    // The name itself when the file system takes it; else shortened to fit,
    // on a character boundary, keeping the extension, with a short hash of
    // the whole name so that two long names stay apart.
    std::u16string Fitting(const std::u16string& name);
    // The first of base(1).ext, base(2).ext, ... (the extension lower-cased)
    // that no entry has, fitted.
    std::u16string FreeNumberedName(const std::u16string& base);

private:
    std::unique_ptr<host::Directory> directory_;
    std::unordered_map<std::u16string, std::u16string> names_;         // folded → stored
    std::unordered_map<std::u16string, std::int64_t> firstUntried_;  // folded base → number
};

// The directories one save run writes into, below the target root it was
// given. The root is made with its parents where the user's path leads;
// below it, every directory is made and entered through the one above it.
class TTargetDirectories {
public:
    explicit TTargetDirectories(std::u16string root);

    // The directory at the path (the root or below it), made when missing.
    // Throws host::HostError when it cannot be made or entered.
    TTargetDirectory& Open(const std::u16string& path);

private:
    TTargetDirectory& Enter(const std::u16string& key, std::unique_ptr<host::Directory> directory);

    std::u16string root_;
    std::unordered_map<std::u16string, std::unique_ptr<TTargetDirectory>> open_;  // by folded path
};

}  // namespace velmora
