#include "mailstore/MaildirFolders.h"

#include <algorithm>
#include <set>
#include <system_error>

#include "base/Utf16.h"
#include "mailstore/ModifiedUtf7.h"

namespace mailstore::maildir {

namespace {

constexpr int kMaxFolderDepth = 32;

bool IsDirectory(const fs::path& path) {
    std::error_code error;
    return fs::is_directory(fs::symlink_status(path, error));
}

// Names of the directories (never symbolic links) in dir.
std::vector<std::string> DirectoryNames(const fs::path& dir) {
    std::vector<std::string> names;
    std::error_code error;
    for (fs::directory_iterator it(dir, error), end; !error && it != end; it.increment(error)) {
        if (IsDirectory(it->path())) names.push_back(it->path().filename().string());
    }
    return names;
}

bool IsPlainFolderName(const std::string& name) {
    return !name.empty() && name.front() != '.' && name != "cur" && name != "new" && name != "tmp";
}

// ".Work" or ".Work.Clients": a dot before every level, no level empty.
bool IsPlusName(const std::string& name) {
    return name.size() > 1 && name.front() == '.' && name.back() != '.' && name.find("..") == std::string::npos;
}

// A Maildir++ folder: a hidden directory beside the folders it belongs to.
// The root may be hidden itself ("~/.mail") without being one.
bool IsPlusFolder(const fs::path& root, const fs::path& folder) {
    return folder != root && IsPlusName(folder.filename().string());
}

// The Maildir++ folders one level below prefix ("" for the top level) in
// base: ".A" for ".A" or ".A.B" when prefix is "", ".A.B" for ".A.B" or
// ".A.B.C" when prefix is ".A". Only a level with a Maildir at or below it
// is a folder.
std::vector<fs::path> PlusChildren(const fs::path& base, const std::string& prefix) {
    std::set<std::string> levels;
    for (const auto& name : DirectoryNames(base)) {
        if (!IsPlusName(name) || name.size() <= prefix.size() + 1 || name.compare(0, prefix.size(), prefix) != 0 ||
            name[prefix.size()] != '.' || !IsMaildir(base / name)) {
            continue;
        }
        levels.insert(name.substr(0, name.find('.', prefix.size() + 1)));
    }
    std::vector<fs::path> children;
    for (const auto& level : levels) children.push_back(base / level);
    return children;
}

bool HoldsFolder(const fs::path& dir, int depth) {
    if (IsMaildir(dir) || !PlusChildren(dir, "").empty()) return true;
    if (depth >= kMaxFolderDepth) return false;
    const auto names = DirectoryNames(dir);
    return std::any_of(names.begin(), names.end(), [&](const std::string& name) {
        return IsPlainFolderName(name) && HoldsFolder(dir / name, depth + 1);
    });
}

}  // namespace

bool IsMaildir(const fs::path& dir) { return IsDirectory(dir / "cur") && IsDirectory(dir / "new"); }

bool IsMailbox(const fs::path& dir) { return IsDirectory(dir) && HoldsFolder(dir, 0); }

std::vector<fs::path> SubFolders(const fs::path& root, const fs::path& folder) {
    std::vector<fs::path> folders;
    if (IsPlusFolder(root, folder)) {
        folders = PlusChildren(folder.parent_path(), folder.filename().string());
    } else {
        for (const auto& name : DirectoryNames(folder)) {
            if (IsPlainFolderName(name) && HoldsFolder(folder / name, 1)) folders.push_back(folder / name);
        }
        for (auto& plus : PlusChildren(folder, "")) folders.push_back(std::move(plus));
    }
    std::sort(folders.begin(), folders.end(), [](const fs::path& a, const fs::path& b) {
        const std::u16string nameA = FolderName(a);
        const std::u16string nameB = FolderName(b);
        return nameA != nameB ? nameA < nameB : a < b;
    });
    return folders;
}

std::string FolderNameOnDisk(const fs::path& folder) {
    const std::string name = folder.filename().string();
    return IsPlusName(name) ? name.substr(name.rfind('.') + 1) : name;
}

std::u16string FolderName(const fs::path& folder) {
    const std::string name = FolderNameOnDisk(folder);
    if (auto decoded = DecodeModifiedUtf7(name)) return *decoded;
    return velmora::FromUtf8(name);
}

std::optional<std::vector<fs::path>> FolderChain(const fs::path& root, const fs::path& folder) {
    const fs::path relative = folder.lexically_relative(root);
    if (relative.empty() || *relative.begin() == "..") return std::nullopt;
    std::vector<fs::path> chain;
    fs::path base = root;
    const auto step = [&](const fs::path& next) {
        const auto below = SubFolders(root, chain.empty() ? root : chain.back());
        if (std::find(below.begin(), below.end(), next) == below.end()) return false;
        chain.push_back(next);
        return true;
    };
    for (const auto& component : relative) {
        const std::string name = component.string();
        if (name == ".") continue;
        // A Maildir++ folder has no directories below it.
        if (!chain.empty() && IsPlusFolder(root, chain.back())) return std::nullopt;
        if (IsPlusName(name)) {
            for (std::size_t dot = name.find('.', 1);; dot = name.find('.', dot + 1)) {
                if (!step(base / name.substr(0, dot))) return std::nullopt;
                if (dot == std::string::npos) break;
            }
        } else if (!step(base / name)) {
            return std::nullopt;
        }
        base /= component;
    }
    return chain;
}

}  // namespace mailstore::maildir
