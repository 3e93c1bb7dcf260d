#include "TestPlatform.h"

#include <fstream>
#include <iterator>
#include <stdexcept>

#include "base/Utf16.h"

namespace testing_support {

namespace {

namespace fs = std::filesystem;

posix::DriveMap DrivesUnder(const fs::path& root) {
    posix::DriveMap drives;
    for (const auto& [letter, name] : {std::pair{u'C', "c"}, std::pair{u'D', "d"}}) {
        fs::create_directories(root / "drives" / name);
        drives.Map(letter, root / "drives" / name);
    }
    return drives;
}

posix::HiveFiles HivesUnder(const fs::path& root) {
    fs::create_directories(root / "registry");
    return {root / "registry" / "user-registry.db", root / "registry" / "machine-registry.db"};
}

posix::SqliteRegistry CreatedRegistry(const posix::HiveFiles& hives) {
    posix::SqliteRegistry registry(hives);
    if (registry.CreateKey(host::RegistryRoot::CurrentUser, u"Software") != ERROR_SUCCESS ||
        registry.CreateKey(host::RegistryRoot::LocalMachine, u"SOFTWARE") != ERROR_SUCCESS) {
        throw std::runtime_error("cannot create the test registry hives in " + hives.user.parent_path().string());
    }
    return registry;
}

}  // namespace

TestPlatform::TestPlatform()
    : drives_(DrivesUnder(temp_.Path())),
      hives_(HivesUnder(temp_.Path())),
      registry_(CreatedRegistry(hives_)),
      fileSystem_(drives_),
      libraries_(drives_),
      catalog_(temp_.Path() / "registry" / "catalog.db"),
      runLocks_(fileSystem_, {}, temp_.Path() / "locks", {}),
      scope_(host::Platform{&registry_, &fileSystem_, &libraries_, &system_, &catalog_, &runLocks_}) {}

fs::path TestPlatform::DrivePath(char16_t letter) const {
    const std::optional<fs::path> root = drives_.Root(letter);
    if (!root) throw std::runtime_error("the test platform maps only drives C: and D:");
    return *root;
}

void TestPlatform::WriteFile(std::u16string_view windowsPath, std::string_view content) {
    const fs::path native = NativeOf(windowsPath);
    fs::create_directories(native.parent_path());
    std::ofstream out(native, std::ios::binary | std::ios::trunc);
    out.write(content.data(), static_cast<std::streamsize>(content.size()));
    if (!out.flush()) throw std::runtime_error("cannot write " + native.string());
}

std::string TestPlatform::ReadFile(std::u16string_view windowsPath) const {
    const fs::path native = NativeOf(windowsPath);
    std::ifstream in(native, std::ios::binary);
    if (!in) throw std::runtime_error("cannot read " + native.string());
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void TestPlatform::MakeMachineHiveReadOnly() {
    fs::permissions(hives_.machine, fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
}

void TestPlatform::SetUserHiveWritable(bool writable) {
    const fs::perms readable = fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read;
    fs::permissions(hives_.user, writable ? readable | fs::perms::owner_write : readable);
}

fs::path TestPlatform::NativeOf(std::u16string_view windowsPath) const {
    const std::optional<fs::path> native = fileSystem_.ToNative(windowsPath);
    if (!native) throw std::runtime_error("not a path on drive C: or D: " + velmora::ToUtf8(windowsPath));
    return *native;
}

}  // namespace testing_support
