#include "mailstore/LinkParts.h"

#include <optional>

#include "base/Utf16.h"
#include "host/Platform.h"
#include "mailstore/ContentTypes.h"
#include "mailstore/PartContent.h"
#include "posix/system/WindowsFileSystem.h"

namespace mailstore {

namespace {

const posix::WindowsFileSystem* DriveMappedFileSystem() {
    return dynamic_cast<const posix::WindowsFileSystem*>(&host::TheFileSystem());
}

std::string StoredTarget(std::u16string_view windowsPath) {
    if (const auto* files = DriveMappedFileSystem()) {
        if (const auto native = files->ToNative(windowsPath)) return native->string();
    }
    return velmora::ToUtf8(windowsPath);
}

std::u16string FileNamePart(std::u16string_view path) {
    const auto separator = path.find_last_of(u"\\/:");
    return std::u16string(separator == std::u16string_view::npos ? path : path.substr(separator + 1));
}

}  // namespace

bool IsLinkPart(GMimeObject* part) {
    GMimeContentType* type = g_mime_object_get_content_type(part);
    if (type == nullptr || !g_mime_content_type_is_type(type, "message", "external-body")) return false;
    const char* access = g_mime_object_get_content_type_parameter(part, "access-type");
    return access != nullptr && g_ascii_strcasecmp(access, "local-file") == 0;
}

GObjectPtr<GMimePart> MakeLinkPart(std::u16string_view windowsPath, std::u16string_view displayName) {
    const std::string name = velmora::ToUtf8(displayName.empty() ? FileNamePart(windowsPath) : displayName);
    auto part = GObjectPtr<GMimePart>::Adopt(g_mime_part_new_with_type("message", "external-body"));
    GMimeObject* object = GMIME_OBJECT(part.get());
    g_mime_object_set_content_type_parameter(object, "access-type", "local-file");
    SetTypeParameter(object, "name", StoredTarget(windowsPath));
    g_mime_object_set_disposition(object, GMIME_DISPOSITION_ATTACHMENT);
    SetDispositionParameter(object, "filename", name);

    // The body of an external-body part is the header of the content it
    // stands for.
    const MediaType type = MediaTypeOfName(name);
    const std::string phantom = "Content-Type: " + type.Type + "/" + type.Subtype + "\n\n";
    ReplaceContent(part.get(), phantom);
    g_mime_part_set_content_encoding(part.get(), GMIME_CONTENT_ENCODING_7BIT);
    return part;
}

std::u16string LinkedWindowsPath(GMimeObject* part) {
    const char* stored = g_mime_object_get_content_type_parameter(part, "name");
    if (stored == nullptr) return {};
    const std::string target(stored);
    if (!target.empty() && target.front() == '/') {
        if (const auto* files = DriveMappedFileSystem()) {
            if (const auto windows = files->FromNative(target)) return *windows;
        }
    }
    return velmora::FromUtf8(target);
}

std::u16string LinkDisplayName(GMimeObject* part) {
    const char* name = g_mime_object_get_content_disposition_parameter(part, "filename");
    if (name != nullptr && *name != '\0') return velmora::FromUtf8(name);
    return FileNamePart(LinkedWindowsPath(part));
}

}  // namespace mailstore
