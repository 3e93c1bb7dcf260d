#include "win32/system/EntryInfo.h"

#include <vector>

#include "win32/WideText.h"
#include "win32/system/FileTimes.h"

namespace win32 {

host::EntryStatus StatusOf(HANDLE entry) {
    host::EntryStatus status;
    BY_HANDLE_FILE_INFORMATION info{};
    if (!GetFileInformationByHandle(entry, &info)) return status;
    if (info.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) {
        status.Kind = host::EntryKind::SymbolicLink;
    } else if (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
        status.Kind = host::EntryKind::Directory;
    } else {
        status.Kind = host::EntryKind::File;
    }
    status.Name = StoredName(entry);
    if (status.Kind == host::EntryKind::File) {
        status.Size = (static_cast<std::uint64_t>(info.nFileSizeHigh) << 32) | info.nFileSizeLow;
    }
    status.LastWriteTime = FromFiletime(info.ftLastWriteTime);
    status.Device = info.dwVolumeSerialNumber;
    status.FileId = (static_cast<std::uint64_t>(info.nFileIndexHigh) << 32) | info.nFileIndexLow;
    return status;
}

bool IsReparsePoint(const host::EntryStatus& status) { return status.Kind == host::EntryKind::SymbolicLink; }

std::u16string StoredName(HANDLE entry) {
    std::vector<DWORD> buffer(2048);  // FILE_NAME_INFO, DWORD-aligned
    if (!GetFileInformationByHandleEx(entry, FileNameInfo, buffer.data(),
                                      static_cast<DWORD>(buffer.size() * sizeof(DWORD)))) {
        return {};
    }
    const auto* info = reinterpret_cast<const FILE_NAME_INFO*>(buffer.data());
    const std::wstring_view path(info->FileName, info->FileNameLength / sizeof(WCHAR));
    const std::size_t separator = path.find_last_of(L'\\');
    return FromWide(separator == std::wstring_view::npos ? path : path.substr(separator + 1));
}

}  // namespace win32
