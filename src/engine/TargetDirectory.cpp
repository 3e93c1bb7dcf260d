#include "engine/TargetDirectory.h"

#include <vector>

#include "base/Format.h"
#include "base/Sha256.h"
#include "base/Utf16.h"
#include "host/HostError.h"
#include "host/Platform.h"
#include "util/ARQ_FUNC.h"
#include "util/PathNames.h"

namespace velmora {

namespace {

// An extension longer than this is part of a long name, not a file type.
constexpr std::size_t kLongestKeptExtension = 16;

std::u16string ShortHash(const std::u16string& text) {
    const std::string bytes = ToUtf8(text);
    Sha256 hash;
    hash.Update(bytes.data(), bytes.size());
    return FromUtf8(Sha256::Hex(hash.Finish()).substr(0, 8));
}

// Drops the last character, never half of a surrogate pair.
void DropLastCharacter(std::u16string& text) {
    if (text.empty()) return;
    text.pop_back();
    if (!text.empty() && text.back() >= 0xD800 && text.back() <= 0xDBFF) text.pop_back();
}

std::vector<std::u16string> Components(std::u16string_view path) {
    std::vector<std::u16string> components;
    std::size_t start = 0;
    while (start <= path.size()) {
        const std::size_t end = std::min(path.find(u'\\', start), path.size());
        if (end > start) components.emplace_back(path.substr(start, end - start));
        start = end + 1;
    }
    return components;
}

std::u16string WithoutTrailingSeparators(std::u16string_view path) {
    while (path.size() > 3 && path.back() == u'\\') path.remove_suffix(1);
    return std::u16string(path);
}

}  // namespace

TTargetDirectory::TTargetDirectory(std::unique_ptr<host::Directory> directory) : directory_(std::move(directory)) {
    // The run holds the target's lock: temporary files of writers that died are leftovers.
    directory_->RemoveLeftovers();
    for (auto& name : directory_->List()) {
        auto folded = LowerCase(name);
        names_.emplace(std::move(folded), std::move(name));
    }
}

std::optional<std::u16string> TTargetDirectory::Stored(std::u16string_view name) const {
    const auto found = names_.find(LowerCase(name));
    if (found == names_.end()) return std::nullopt;
    return found->second;
}

void TTargetDirectory::Taken(const std::u16string& name) { names_.emplace(LowerCase(name), name); }

std::u16string TTargetDirectory::Fitting(const std::u16string& name) {
    if (directory_->NameFits(name)) return name;
    std::u16string extension = ExtractFileExt(name);
    if (extension.size() > kLongestKeptExtension) extension.clear();
    std::u16string stem = name.substr(0, name.size() - extension.size());
    const std::u16string mark = u"~" + ShortHash(name);
    while (!stem.empty() && !directory_->NameFits(stem + mark + extension)) DropLastCharacter(stem);
    if (!directory_->NameFits(stem + mark + extension)) return mark;
    return stem + mark + extension;
}

std::u16string TTargetDirectory::FreeNumberedName(const std::u16string& base) {
    // Names only come during a run, so numbers found taken stay taken.
    std::int64_t& n = firstUntried_.try_emplace(LowerCase(base), 1).first->second;
    for (;; ++n) {
        const std::u16string candidate =
            Fitting(ChangeFileExt(base, Format(u"(%d)", {n}) + LowerCase(ExtractFileExt(base))));
        if (!Stored(candidate)) return candidate;
    }
}

TTargetDirectories::TTargetDirectories(std::u16string root) : root_(WithoutTrailingSeparators(root)) {}

TTargetDirectory& TTargetDirectories::Open(const std::u16string& path) {
    const std::u16string wanted = WithoutTrailingSeparators(path);
    const std::u16string key = LowerCase(wanted);
    if (const auto found = open_.find(key); found != open_.end()) return *found->second;

    auto& files = host::TheFileSystem();
    const std::u16string rootKey = LowerCase(root_);
    const bool belowRoot = key.size() > rootKey.size() && key.compare(0, rootKey.size(), rootKey) == 0 &&
                           key[rootKey.size()] == u'\\';
    if (!belowRoot) {
        // The root itself (or a path the run was not given as below it): the user's choice, links and all.
        if (!files.DirectoryExists(wanted) && !ForceDirectories(wanted, true)) {
            throw host::HostError(HRESULT_FROM_WIN32(ERROR_PATH_NOT_FOUND),
                                  Format(u"Error creating directory: %s", {wanted}));
        }
        return Enter(key, files.OpenDirectory(wanted));
    }
    TTargetDirectory* current = &Open(root_);
    std::u16string currentPath = root_;
    for (const auto& name : Components(std::u16string_view(wanted).substr(root_.size()))) {
        currentPath = JoinPath(currentPath, name);
        const std::u16string currentKey = LowerCase(currentPath);
        if (const auto found = open_.find(currentKey); found != open_.end()) {
            current = found->second.get();
            continue;
        }
        current->Taken(name);
        current = &Enter(currentKey, current->Handle().Child(name, true));
    }
    return *current;
}

TTargetDirectory& TTargetDirectories::Enter(const std::u16string& key, std::unique_ptr<host::Directory> directory) {
    auto& entered = open_[key];
    entered = std::make_unique<TTargetDirectory>(std::move(directory));
    return *entered;
}

}  // namespace velmora
