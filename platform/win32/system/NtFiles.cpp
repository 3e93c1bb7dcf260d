#include "win32/system/NtFiles.h"

#include <cstring>
#include <vector>

namespace win32 {

namespace {

constexpr ULONG kObjCaseInsensitive = 0x00000040;
constexpr int kFileRenameInformation = 10;
constexpr int kFileDispositionInformation = 13;

struct RenameInformation {
    BOOLEAN ReplaceIfExists;
    HANDLE RootDirectory;
    ULONG FileNameLength;
    WCHAR FileName[1];
};

constexpr int kFileNamesInformation = 12;

struct NamesInformation {
    ULONG NextEntryOffset;
    ULONG FileIndex;
    ULONG FileNameLength;
    WCHAR FileName[1];
};

constexpr int kFileIdBothDirectoryInformation = 37;

struct IdBothDirectoryInformation {
    ULONG NextEntryOffset;
    ULONG FileIndex;
    LARGE_INTEGER CreationTime;
    LARGE_INTEGER LastAccessTime;
    LARGE_INTEGER LastWriteTime;
    LARGE_INTEGER ChangeTime;
    LARGE_INTEGER EndOfFile;
    LARGE_INTEGER AllocationSize;
    ULONG FileAttributes;
    ULONG FileNameLength;
    ULONG EaSize;
    CCHAR ShortNameLength;
    WCHAR ShortName[12];
    LARGE_INTEGER FileId;
    WCHAR FileName[1];
};

struct DispositionInformation {
    BOOLEAN DeleteFile;
};

using NtCreateFileCall = NTSTATUS(NTAPI*)(PHANDLE, ACCESS_MASK, POBJECT_ATTRIBUTES, PIO_STATUS_BLOCK,
                                          PLARGE_INTEGER, ULONG, ULONG, ULONG, ULONG, PVOID, ULONG);
using NtSetInformationFileCall = NTSTATUS(NTAPI*)(HANDLE, PIO_STATUS_BLOCK, PVOID, ULONG, int);
using NtQueryDirectoryFileCall = NTSTATUS(NTAPI*)(HANDLE, HANDLE, PVOID, PVOID, PIO_STATUS_BLOCK, PVOID, ULONG, int,
                                                  BOOLEAN, PUNICODE_STRING, BOOLEAN);
using RtlNtStatusToDosErrorCall = ULONG(NTAPI*)(NTSTATUS);

template <class Call>
Call NtEntry(const char* name) {
    return reinterpret_cast<Call>(reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"ntdll.dll"), name)));
}

UNICODE_STRING Counted(std::wstring_view text) {
    UNICODE_STRING counted{};
    counted.Buffer = const_cast<PWSTR>(text.data());
    counted.Length = static_cast<USHORT>(text.size() * sizeof(wchar_t));
    counted.MaximumLength = counted.Length;
    return counted;
}

}  // namespace

Handle& Handle::operator=(Handle&& other) noexcept {
    if (this != &other) {
        Close();
        handle_ = other.Release();
    }
    return *this;
}

HANDLE Handle::Release() {
    HANDLE handle = handle_;
    handle_ = nullptr;
    return handle;
}

void Handle::Close() {
    if (Valid()) CloseHandle(handle_);
    handle_ = nullptr;
}

NTSTATUS OpenRelative(HANDLE directory, std::wstring_view name, const RelativeOpen& how, Handle& opened) {
    static const auto create = NtEntry<NtCreateFileCall>("NtCreateFile");
    // Longer names than a counted string holds are no names of this file system.
    if (name.size() > 0x7FFF) return static_cast<NTSTATUS>(0xC0000033L);  // STATUS_OBJECT_NAME_INVALID
    UNICODE_STRING counted = Counted(name);
    OBJECT_ATTRIBUTES attributes{};
    attributes.Length = sizeof attributes;
    attributes.RootDirectory = directory;
    attributes.ObjectName = &counted;
    attributes.Attributes = kObjCaseInsensitive;
    IO_STATUS_BLOCK io{};
    HANDLE handle = nullptr;
    const NTSTATUS status = create(&handle, how.Access | SYNCHRONIZE, &attributes, &io, nullptr, FILE_ATTRIBUTE_NORMAL,
                                   how.Share, how.Disposition, how.Options | kSynchronousIo | kOpenReparsePoint,
                                   nullptr, 0);
    if (status >= 0) opened = Handle(handle);
    return status;
}

NTSTATUS RenameRelative(HANDLE file, HANDLE directory, std::wstring_view name, bool replace) {
    static const auto set = NtEntry<NtSetInformationFileCall>("NtSetInformationFile");
    std::vector<BYTE> buffer(sizeof(RenameInformation) + name.size() * sizeof(wchar_t));
    auto* information = reinterpret_cast<RenameInformation*>(buffer.data());
    information->ReplaceIfExists = replace ? TRUE : FALSE;
    information->RootDirectory = directory;
    information->FileNameLength = static_cast<ULONG>(name.size() * sizeof(wchar_t));
    std::memcpy(information->FileName, name.data(), name.size() * sizeof(wchar_t));
    IO_STATUS_BLOCK io{};
    return set(file, &io, information, static_cast<ULONG>(buffer.size()), kFileRenameInformation);
}

NTSTATUS DeleteOnClose(HANDLE file) {
    static const auto set = NtEntry<NtSetInformationFileCall>("NtSetInformationFile");
    DispositionInformation information{TRUE};
    IO_STATUS_BLOCK io{};
    return set(file, &io, &information, sizeof information, kFileDispositionInformation);
}

NTSTATUS ListNames(HANDLE directory, std::vector<std::wstring>& names) {
    static const auto query = NtEntry<NtQueryDirectoryFileCall>("NtQueryDirectoryFile");
    // ULONG-aligned, as the records are.
    std::vector<ULONG> buffer(16 * 1024);
    for (BOOLEAN restart = TRUE;; restart = FALSE) {
        IO_STATUS_BLOCK io{};
        const NTSTATUS status =
            query(directory, nullptr, nullptr, nullptr, &io, buffer.data(),
                  static_cast<ULONG>(buffer.size() * sizeof(ULONG)), kFileNamesInformation, FALSE, nullptr, restart);
        if (status == kStatusNoMoreFiles) return kStatusSuccess;
        if (status < 0) return status;
        const auto* record = reinterpret_cast<const BYTE*>(buffer.data());
        for (;;) {
            const auto* entry = reinterpret_cast<const NamesInformation*>(record);
            std::wstring name(entry->FileName, entry->FileNameLength / sizeof(WCHAR));
            if (name != L"." && name != L"..") names.push_back(std::move(name));
            if (entry->NextEntryOffset == 0) break;
            record += entry->NextEntryOffset;
        }
    }
}

NTSTATUS QueryEntry(HANDLE directory, std::wstring_view name, EntryRecord& record) {
    static const auto query = NtEntry<NtQueryDirectoryFileCall>("NtQueryDirectoryFile");
    Handle listing;
    RelativeOpen how;
    how.Access = FILE_LIST_DIRECTORY;
    how.Options = kDirectoryFile;
    NTSTATUS status = OpenRelative(directory, L"", how, listing);
    if (status < 0) return status;
    UNICODE_STRING mask = Counted(name);
    std::vector<ULONG> buffer(1024);
    IO_STATUS_BLOCK io{};
    status = query(listing.Get(), nullptr, nullptr, nullptr, &io, buffer.data(),
                   static_cast<ULONG>(buffer.size() * sizeof(ULONG)), kFileIdBothDirectoryInformation, TRUE, &mask,
                   TRUE);
    if (status == kStatusNoMoreFiles) return kStatusNoSuchFile;
    if (status < 0) return status;
    const auto* entry = reinterpret_cast<const IdBothDirectoryInformation*>(buffer.data());
    record.Name.assign(entry->FileName, entry->FileNameLength / sizeof(WCHAR));
    record.Attributes = entry->FileAttributes;
    record.Size = entry->EndOfFile.QuadPart;
    record.LastWriteTime = entry->LastWriteTime.QuadPart;
    record.FileId = entry->FileId.QuadPart;
    return kStatusSuccess;
}

DWORD ErrorOf(NTSTATUS status) {
    static const auto convert = NtEntry<RtlNtStatusToDosErrorCall>("RtlNtStatusToDosError");
    return convert(status);
}

}  // namespace win32
