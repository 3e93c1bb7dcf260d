#include "WineFixture.h"

#include <windows.h>

#include <atomic>
#include <stdexcept>
#include <vector>

#include "base/Utf16.h"

namespace win32test {

namespace {

std::wstring W(std::u16string_view text) { return std::wstring(text.begin(), text.end()); }

std::u16string TempRoot() {
    std::vector<wchar_t> buffer(MAX_PATH + 1);
    buffer.resize(GetTempPathW(static_cast<DWORD>(buffer.size()), buffer.data()));
    std::u16string root(buffer.begin(), buffer.end());
    while (!root.empty() && root.back() == u'\\') root.pop_back();
    return root;
}

void RemoveTree(const std::wstring& path) {
    WIN32_FIND_DATAW found{};
    HANDLE search = FindFirstFileW((path + L"\\*").c_str(), &found);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            const std::wstring name = found.cFileName;
            if (name == L"." || name == L"..") continue;
            const std::wstring child = path + L"\\" + name;
            // A link is removed as itself, never followed.
            if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) &&
                !(found.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT)) {
                RemoveTree(child);
            } else if ((found.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0) {
                if (!RemoveDirectoryW(child.c_str())) DeleteFileW(child.c_str());
            } else {
                SetFileAttributesW(child.c_str(), FILE_ATTRIBUTE_NORMAL);
                DeleteFileW(child.c_str());
            }
        } while (FindNextFileW(search, &found));
        FindClose(search);
    }
    RemoveDirectoryW(path.c_str());
}

// The Unix path of a Windows path under Wine (whose parent exists).
std::string UnixPath(const std::u16string& path) {
    using UnixNameCall = char*(CDECL*)(LPCWSTR);
    static const auto unixName = reinterpret_cast<UnixNameCall>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "wine_get_unix_file_name")));
    if (unixName == nullptr) throw std::runtime_error("Unix paths are known here only under Wine");
    char* name = unixName(W(path).c_str());
    if (name == nullptr) throw std::runtime_error("no Unix name for " + velmora::ToUtf8(path));
    std::string text = name;
    HeapFree(GetProcessHeap(), 0, name);
    return text;
}

// Runs a Unix shell command under Wine and waits until it is done. Wine
// neither waits for a Unix program nor gives its exit code, so the command
// leaves a marker file beside the test folders when it is through.
void RunUnixShell(const std::string& script) {
    static std::atomic<int> counter{0};
    const std::u16string marker = TempRoot() + u"\\" + velmora::FromUtf8("velmora-sh-" + std::to_string(GetCurrentProcessId()) +
                                                                        "-" + std::to_string(counter.fetch_add(1)));
    const std::string command = "{ " + script + "; }; : > '" + UnixPath(marker) + "'";
    std::wstring line = L"/bin/sh -c \"" + W(velmora::FromUtf8(command)) + L"\"";
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    if (!CreateProcessW(L"Z:\\bin\\sh", line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                        &process)) {
        throw std::runtime_error("cannot start the Unix shell");
    }
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    for (int attempt = 0; attempt < 1000; ++attempt) {
        if (DeleteFileW(W(marker).c_str())) return;
        Sleep(10);
    }
    throw std::runtime_error("the Unix shell did not finish: " + script);
}

}  // namespace

TempFolder::TempFolder(std::u16string_view root) {
    static std::atomic<int> counter{0};
    const std::u16string base = root.empty() ? TempRoot() : std::u16string(root);
    const std::string unique = "velmora-test-" + std::to_string(GetCurrentProcessId()) + "-" +
                               std::to_string(counter.fetch_add(1));
    path_ = base + u"\\" + velmora::FromUtf8(unique);
    if (!CreateDirectoryW(W(path_).c_str(), nullptr)) {
        throw std::runtime_error("cannot create the test folder " + velmora::ToUtf8(path_));
    }
}

TempFolder::~TempFolder() {
    RemoveTree(W(path_));
    // Wine removes no Unix link to a directory: the Unix rm takes what is left.
    if (GetFileAttributesW(W(path_).c_str()) == INVALID_FILE_ATTRIBUTES) return;
    try {
        RunUnixShell("rm -rf '" + UnixPath(path_) + "'");
    } catch (const std::runtime_error&) {
        // Left for the next run's clean prefix; nothing of a test depends on it.
    }
}

void WriteFile(const std::u16string& path, std::string_view content) {
    HANDLE file = CreateFileW(W(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) throw std::runtime_error("cannot write " + velmora::ToUtf8(path));
    DWORD written = 0;
    const BOOL ok = ::WriteFile(file, content.data(), static_cast<DWORD>(content.size()), &written, nullptr);
    CloseHandle(file);
    if (!ok || written != content.size()) throw std::runtime_error("cannot write " + velmora::ToUtf8(path));
}

std::string ReadFile(const std::u16string& path) {
    HANDLE file = CreateFileW(W(path).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                              nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) throw std::runtime_error("cannot read " + velmora::ToUtf8(path));
    std::string content;
    char buffer[65536];
    DWORD got = 0;
    while (::ReadFile(file, buffer, sizeof buffer, &got, nullptr) && got > 0) content.append(buffer, got);
    CloseHandle(file);
    return content;
}

bool Exists(const std::u16string& path) { return GetFileAttributesW(W(path).c_str()) != INVALID_FILE_ATTRIBUTES; }

void MakeDirectory(const std::u16string& path) {
    if (!CreateDirectoryW(W(path).c_str(), nullptr)) {
        throw std::runtime_error("cannot create " + velmora::ToUtf8(path));
    }
}

void MakeUnixLink(const std::u16string& linkPath, const std::u16string& target) {
    RunUnixShell("ln -s '" + UnixPath(target) + "' '" + UnixPath(linkPath) + "'");
}

long Win32CodeOf(const host::HostError& error) { return static_cast<long>(error.Code() & 0xFFFF); }

}  // namespace win32test
