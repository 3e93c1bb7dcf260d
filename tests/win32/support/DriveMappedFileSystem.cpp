#include "DriveMappedFileSystem.h"

#include "base/Utf16.h"
#include "host/HostError.h"

namespace testing_support {

namespace {

// A directory of a mapped drive: the real one, under its mapped path.
class MappedDirectory final : public host::Directory {
public:
    MappedDirectory(const DriveMappedFileSystem& files, std::unique_ptr<host::Directory> real)
        : files_(files), real_(std::move(real)), path_(files.FromReal(real_->Path())) {}

    const std::u16string& Path() const override { return path_; }
    host::EntryStatus Status(std::u16string_view name) override {
        return files_.Mapped([&] { return real_->Status(name); });
    }
    std::vector<std::u16string> List() override {
        return files_.Mapped([&] { return real_->List(); });
    }
    std::unique_ptr<host::Directory> Child(std::u16string_view name, bool create) override {
        return files_.Mapped([&]() -> std::unique_ptr<host::Directory> {
            return std::make_unique<MappedDirectory>(files_, real_->Child(name, create));
        });
    }
    std::unique_ptr<host::NewFile> CreateTemporary() override {
        return files_.Mapped([&] { return real_->CreateTemporary(); });
    }
    std::unique_ptr<host::InputStream> OpenRead(std::u16string_view name, host::EntryStatus& status) override {
        return files_.Mapped([&] { return real_->OpenRead(name, status); });
    }
    bool Rename(std::u16string_view name, host::Directory& to, std::u16string_view toName, bool replace) override {
        auto* mapped = dynamic_cast<MappedDirectory*>(&to);
        host::Directory& target = mapped != nullptr ? *mapped->real_ : to;
        return files_.Mapped([&] { return real_->Rename(name, target, toName, replace); });
    }
    bool Remove(std::u16string_view name, const host::EntryStatus* expected) override {
        return files_.Mapped([&] { return real_->Remove(name, expected); });
    }
    bool SetLastWriteTime(std::u16string_view name, host::FileTime time) override {
        return files_.Mapped([&] { return real_->SetLastWriteTime(name, time); });
    }
    bool NameFits(std::u16string_view name) override { return real_->NameFits(name); }
    void Sync() override {
        files_.Mapped([&] { real_->Sync(); });
    }
    void RemoveLeftovers() override {
        files_.Mapped([&] { real_->RemoveLeftovers(); });
    }

private:
    const DriveMappedFileSystem& files_;
    std::unique_ptr<host::Directory> real_;
    std::u16string path_;
};

bool StartsWithFolder(std::u16string_view path, std::u16string_view folder) {
    return path.size() >= folder.size() && velmora::SameText(path.substr(0, folder.size()), folder) &&
           (path.size() == folder.size() || path[folder.size()] == u'\\');
}

}  // namespace

DriveMappedFileSystem::DriveMappedFileSystem(std::map<char16_t, std::u16string> drives) : drives_(std::move(drives)) {}

std::u16string DriveMappedFileSystem::ToReal(std::u16string_view path) const {
    if (path.size() < 2 || path[1] != u':') return std::u16string(path);
    const auto drive = drives_.find(velmora::UpperChar(path[0]));
    if (drive == drives_.end()) return std::u16string(path);
    std::u16string_view rest = path.substr(2);
    if (rest.empty()) return drive->second + u"\\";
    return drive->second + (rest.front() == u'\\' ? u"" : u"\\") + std::u16string(rest);
}

std::u16string DriveMappedFileSystem::FromReal(std::u16string_view path) const {
    for (const auto& [letter, folder] : drives_) {
        if (!StartsWithFolder(path, folder)) continue;
        std::u16string mapped{letter, u':'};
        std::u16string_view rest = path.substr(folder.size());
        return rest.empty() ? mapped + u"\\" : mapped + std::u16string(rest);
    }
    return std::u16string(path);
}

template <class Call>
auto DriveMappedFileSystem::Mapped(Call&& call) const -> decltype(call()) {
    try {
        return call();
    } catch (const host::HostError& error) {
        std::u16string message = error.Message();
        for (const auto& [letter, folder] : drives_) {
            for (std::size_t at = 0; (at = message.find(folder, at)) != std::u16string::npos;) {
                message.replace(at, folder.size(), std::u16string{letter, u':'});
            }
        }
        throw host::HostError(error.Code(), std::move(message));
    }
}

std::optional<host::FileEntry> DriveMappedFileSystem::Find(std::u16string_view path) {
    // A drive's root has no name, however deep its folder lies.
    if (path.size() <= 3 && path.size() >= 2 && path[1] == u':') return std::nullopt;
    return real_.Find(ToReal(path));
}

bool DriveMappedFileSystem::FileExists(std::u16string_view path) { return real_.FileExists(ToReal(path)); }

bool DriveMappedFileSystem::DirectoryExists(std::u16string_view path) { return real_.DirectoryExists(ToReal(path)); }

bool DriveMappedFileSystem::MakeDirectory(std::u16string_view path) { return real_.MakeDirectory(ToReal(path)); }

bool DriveMappedFileSystem::SetLastWriteTime(std::u16string_view path, host::FileTime time) {
    return real_.SetLastWriteTime(ToReal(path), time);
}

bool DriveMappedFileSystem::Move(std::u16string_view from, std::u16string_view to) {
    return real_.Move(ToReal(from), ToReal(to));
}

bool DriveMappedFileSystem::Remove(std::u16string_view path) { return real_.Remove(ToReal(path)); }

std::unique_ptr<host::InputStream> DriveMappedFileSystem::OpenRead(std::u16string_view path) {
    return Mapped([&] { return real_.OpenRead(ToReal(path)); });
}

std::unique_ptr<host::OutputStream> DriveMappedFileSystem::Create(std::u16string_view path, host::CreateMode mode) {
    return Mapped([&] { return real_.Create(ToReal(path), mode); });
}

std::u16string DriveMappedFileSystem::CurrentDirectory() {
    const std::u16string current = FromReal(real_.CurrentDirectory());
    return current.size() >= 2 && current[1] == u':' && drives_.contains(velmora::UpperChar(current[0])) ? current
                                                                                                          : u"C:\\";
}

std::unique_ptr<host::Directory> DriveMappedFileSystem::OpenDirectory(std::u16string_view path) {
    return Mapped([&]() -> std::unique_ptr<host::Directory> {
        return std::make_unique<MappedDirectory>(*this, real_.OpenDirectory(ToReal(path)));
    });
}

std::u16string DriveMappedFileSystem::Canonical(std::u16string_view path) {
    return FromReal(real_.Canonical(ToReal(path)));
}

std::u16string DriveMappedFileSystem::FileUri(std::u16string_view path) { return real_.FileUri(path); }

}  // namespace testing_support
