#include "Win32TestPlatform.h"

#include <atomic>
#include <fstream>
#include <iterator>
#include <stdexcept>

#include "base/Utf16.h"
#include <sddl.h>
#include <vector>
#include "win32/WideText.h"

namespace testing_support {

namespace {

namespace fs = std::filesystem;

std::u16string WindowsPathOf(const fs::path& path) { return win32::FromWide(path.wstring()); }

std::map<char16_t, std::u16string> DrivesUnder(const fs::path& root) {
    std::map<char16_t, std::u16string> drives;
    for (const auto& [letter, name] : {std::pair{u'C', L"c"}, std::pair{u'D', L"d"}}) {
        fs::create_directories(root / L"drives" / name);
        drives.emplace(letter, WindowsPathOf(root / L"drives" / name));
    }
    return drives;
}

std::wstring UniqueRegistryBase() {
    static std::atomic<int> counter{0};
    return L"Software\\VelmoraTests\\Platform-" + std::to_wstring(GetCurrentProcessId()) + L"-" +
           std::to_wstring(counter.fetch_add(1));
}

HKEY CreatedRoot(const std::wstring& base, const wchar_t* name) {
    HKEY root = nullptr;
    HKEY software = nullptr;
    if (RegCreateKeyExW(HKEY_CURRENT_USER, (base + L"\\" + name).c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                        &root, nullptr) != ERROR_SUCCESS ||
        RegCreateKeyExW(root, L"Software", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &software, nullptr) !=
            ERROR_SUCCESS) {
        throw std::runtime_error("cannot create the test registry keys");
    }
    RegCloseKey(software);
    return root;
}

win32::Win32Registry::Roots CreatedRoots(const std::wstring& base) {
    return {CreatedRoot(base, L"Classes"), CreatedRoot(base, L"User"), CreatedRoot(base, L"Machine")};
}

// Gives the key under HKEY_CURRENT_USER and every key below it the access
// rules of an SDDL text (the owner may always change them again).
void SetKeyAccess(const std::wstring& key, const wchar_t* sddl) {
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    if (!ConvertStringSecurityDescriptorToSecurityDescriptorW(sddl, SDDL_REVISION_1, &descriptor, nullptr)) return;
    HKEY opened = nullptr;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, key.c_str(), 0, WRITE_DAC | KEY_ENUMERATE_SUB_KEYS, &opened) ==
        ERROR_SUCCESS) {
        std::vector<std::wstring> children;
        wchar_t name[256];
        for (DWORD index = 0;; ++index) {
            DWORD length = 256;
            if (RegEnumKeyExW(opened, index, name, &length, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
            children.emplace_back(name, length);
        }
        RegSetKeySecurity(opened, DACL_SECURITY_INFORMATION, descriptor);
        RegCloseKey(opened);
        for (const std::wstring& child : children) SetKeyAccess(key + L"\\" + child, sddl);
    }
    LocalFree(descriptor);
}

fs::path CatalogFolder(const fs::path& root) {
    fs::create_directories(root / L"registry");
    return root / L"registry" / L"catalog.db";
}

}  // namespace

TestPlatform::TestPlatform()
    : registryBase_(UniqueRegistryBase()),
      roots_(CreatedRoots(registryBase_)),
      registry_(roots_),
      fileSystem_(DrivesUnder(temp_.Path())),
      catalog_(CatalogFolder(temp_.Path())),
      runLocks_(fileSystem_, {}, WindowsPathOf(temp_.Path() / L"locks")),
      scope_(host::Platform{&registry_, &fileSystem_, &libraries_, &system_, &catalog_, &runLocks_}) {}

TestPlatform::~TestPlatform() {
    for (HKEY root : {roots_.ClassesRoot, roots_.CurrentUser, roots_.LocalMachine}) RegCloseKey(root);
    SetKeyAccess(registryBase_ + L"\\User", L"D:(A;;KA;;;WD)");
    RegDeleteTreeW(HKEY_CURRENT_USER, registryBase_.c_str());
}

fs::path TestPlatform::DrivePath(char16_t letter) const {
    if (letter != u'C' && letter != u'D') throw std::runtime_error("the test platform maps only drives C: and D:");
    return temp_.Path() / L"drives" / (letter == u'C' ? L"c" : L"d");
}

void TestPlatform::WriteFile(std::u16string_view windowsPath, std::string_view content) {
    const fs::path native = NativeOf(windowsPath);
    fs::create_directories(native.parent_path());
    std::ofstream out(native, std::ios::binary | std::ios::trunc);
    out.write(content.data(), static_cast<std::streamsize>(content.size()));
    if (!out.flush()) throw std::runtime_error("cannot write " + velmora::ToUtf8(windowsPath));
}

std::string TestPlatform::ReadFile(std::u16string_view windowsPath) const {
    std::ifstream in(NativeOf(windowsPath), std::ios::binary);
    if (!in) throw std::runtime_error("cannot read " + velmora::ToUtf8(windowsPath));
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void TestPlatform::SetUserHiveWritable(bool writable) {
    SetKeyAccess(registryBase_ + L"\\User", writable ? L"D:(A;;KA;;;WD)" : L"D:(A;;KR;;;WD)");
}

fs::path TestPlatform::NativeOf(std::u16string_view windowsPath) const {
    if (windowsPath.size() < 2 || windowsPath[1] != u':' ||
        (velmora::UpperChar(windowsPath[0]) != u'C' && velmora::UpperChar(windowsPath[0]) != u'D')) {
        throw std::runtime_error("not a path on drive C: or D: " + velmora::ToUtf8(windowsPath));
    }
    return fs::path(win32::Wide(fileSystem_.ToReal(windowsPath)));
}

}  // namespace testing_support
