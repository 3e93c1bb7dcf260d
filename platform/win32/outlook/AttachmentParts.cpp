#include "win32/outlook/AttachmentParts.h"

#include <windows.h>

#include <optional>
#include <vector>

#include "base/Format.h"
#include "host/HostError.h"
#include "host/Outlook.h"
#include "win32/WideText.h"
#include "win32/system/FileErrors.h"

namespace win32 {

namespace {

constexpr char16_t kMimeTag[] = u"http://schemas.microsoft.com/mapi/proptag/0x370E001F";
constexpr char16_t kContentId[] = u"http://schemas.microsoft.com/mapi/proptag/0x3712001F";
constexpr char16_t kHidden[] = u"http://schemas.microsoft.com/mapi/proptag/0x7FFE000B";
constexpr char16_t kFlags[] = u"http://schemas.microsoft.com/mapi/proptag/0x37140003";
// What the property accessor answers for a property the attachment lacks.
constexpr HRESULT kMapiNotFound = static_cast<HRESULT>(0x8004010Fu);

std::optional<LateValue> Property(LateBound& accessor, const char16_t* name) {
    try {
        return accessor.Call(u"GetProperty", {LateValue::Text(name)});
    } catch (const host::HostError& error) {
        if (error.Code() == kMapiNotFound) return std::nullopt;
        throw;
    }
}

LateBound Accessor(LateBound& attachment) { return LateBound(attachment.Get(u"PropertyAccessor").AsObject()); }

std::u16string Escaped(const std::u16string& value) {
    std::u16string escaped;
    for (char16_t c : value) {
        if (c == u'\\') {
            escaped += u"\\\\";
        } else if (c == u'\r') {
            escaped += u"\\r";
        } else if (c == u'\n') {
            escaped += u"\\n";
        } else {
            escaped += c;
        }
    }
    return escaped;
}

std::u16string Unescaped(std::u16string_view value) {
    std::u16string text;
    for (std::size_t i = 0; i < value.size(); ++i) {
        if (value[i] != u'\\' || i + 1 == value.size()) {
            text += value[i];
            continue;
        }
        const char16_t next = value[++i];
        text += next == u'r' ? u'\r' : next == u'n' ? u'\n' : next;
    }
    return text;
}

// A decimal number that fits 32 bits; nothing for any other text.
std::optional<std::int32_t> Number(std::u16string_view text) {
    if (text.empty() || text.size() > 10) return std::nullopt;
    std::int64_t value = 0;
    for (char16_t c : text) {
        if (c < u'0' || c > u'9') return std::nullopt;
        value = value * 10 + (c - u'0');
    }
    if (value > 0x7FFFFFFF) return std::nullopt;
    return static_cast<std::int32_t>(value);
}

}  // namespace

std::u16string AttachmentContentId(LateBound& attachment) {
    LateBound accessor = Accessor(attachment);
    const std::optional<LateValue> id = Property(accessor, kContentId);
    return id ? id->AsText() : std::u16string();
}

void SaveAttachmentToStream(LateBound& attachment, host::OutputStream& stream) {
    wchar_t folder[MAX_PATH + 1];
    wchar_t file[MAX_PATH + 1];
    if (GetTempPathW(MAX_PATH + 1, folder) == 0 || GetTempFileNameW(folder, L"vlm", 0, file) == 0) {
        ThrowFileError(u"Cannot create", u"a temporary file", GetLastError());
    }
    const std::u16string path = FromWide(file);
    struct Removed {
        const wchar_t* file;
        ~Removed() { DeleteFileW(file); }
    } removed{file};
    attachment.Call(u"SaveAsFile", {LateValue::Text(path)});
    HANDLE input = CreateFileW(file, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL,
                               nullptr);
    if (input == INVALID_HANDLE_VALUE) ThrowFileError(u"Cannot open", path, GetLastError());
    std::vector<char> buffer(1024 * 1024);
    DWORD got = 0;
    BOOL read = TRUE;
    while ((read = ReadFile(input, buffer.data(), static_cast<DWORD>(buffer.size()), &got, nullptr)) && got > 0) {
        try {
            stream.Write(buffer.data(), got);
        } catch (...) {
            CloseHandle(input);
            throw;
        }
    }
    const DWORD error = GetLastError();
    CloseHandle(input);
    if (!read) ThrowFileError(u"Cannot read", path, error);
}

std::u16string AttachmentPartProperties(LateBound& attachment) {
    LateBound accessor = Accessor(attachment);
    std::u16string text;
    const auto line = [&](std::u16string_view name, const std::u16string& value) {
        text += std::u16string(name) + u"=" + Escaped(value) + u"\r\n";
    };
    if (auto mime = Property(accessor, kMimeTag)) line(u"mime-tag", mime->AsText());
    if (auto id = Property(accessor, kContentId)) line(u"content-id", id->AsText());
    if (auto hidden = Property(accessor, kHidden)) line(u"hidden", hidden->AsBool() ? u"1" : u"0");
    if (auto flags = Property(accessor, kFlags)) line(u"flags", velmora::Format(u"%d", {std::int64_t{flags->AsInt()}}));
    line(u"position", velmora::Format(u"%d", {std::int64_t{attachment.Get(u"Position").AsInt()}}));
    return text;
}

void SetAttachmentPartProperties(LateBound& attachment, const std::u16string& properties) {
    LateBound accessor = Accessor(attachment);
    const bool link = attachment.Get(u"Type").AsInt() == Outlook::olByReference;
    std::u16string_view rest(properties);
    while (!rest.empty()) {
        const std::size_t end = rest.find(u"\r\n");
        const std::u16string_view line = rest.substr(0, end);
        rest = end == std::u16string_view::npos ? std::u16string_view() : rest.substr(end + 2);
        const std::size_t equals = line.find(u'=');
        if (equals == std::u16string_view::npos) continue;
        const std::u16string_view name = line.substr(0, equals);
        const std::u16string value = Unescaped(line.substr(equals + 1));
        if (name == u"mime-tag") {
            accessor.Call(u"SetProperty", {LateValue::Text(kMimeTag), LateValue::Text(value)});
        } else if (name == u"content-id" && !link) {
            accessor.Call(u"SetProperty", {LateValue::Text(kContentId), LateValue::Text(value)});
        } else if (name == u"hidden") {
            accessor.Call(u"SetProperty", {LateValue::Text(kHidden), LateValue::Bool(value == u"1")});
        } else if (name == u"flags") {
            if (std::optional<std::int32_t> flags = Number(value)) {
                accessor.Call(u"SetProperty", {LateValue::Text(kFlags), LateValue::Int(*flags)});
            }
        }
    }
}

}  // namespace win32
