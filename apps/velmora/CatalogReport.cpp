#include "velmora/CatalogReport.h"

#include <fmt/format.h>

#include <cstdint>
#include <string>

#include "base/DateTime.h"
#include "base/Utf16.h"
#include "base/VisibleText.h"
#include "engine/FileCatalog.h"
#include "host/Platform.h"

namespace velmora::cli {

namespace {

const char* ReferenceWord(host::CatalogReference reference) {
    switch (reference) {
        case host::CatalogReference::Copy: return "copy";
        case host::CatalogReference::Link: return "link";
        case host::CatalogReference::Body: return "body";
        case host::CatalogReference::None: return "removed";
        case host::CatalogReference::Reintroduced: return "back";
    }
    return "?";
}

// Text from a message, with its control characters shown escaped.
std::string Shown(std::u16string_view text) { return ToUtf8(VisibleControls(text)); }

// The file as the user knows it: its native path where a drive maps it.
std::string Shown(const std::u16string& path, const posix::DriveMap& drives) {
    if (const auto native = drives.ToNative(path)) return Shown(FromUtf8(native->string()));
    return Shown(path);
}

std::string SavedAt(TDateTime when) {
    const DateTimeParts parts = DecodeDateTime(when);
    return fmt::format("{:04}-{:02}-{:02} {:02}:{:02}", parts.Year, parts.Month, parts.Day, parts.Hour, parts.Minute);
}

}  // namespace

void ListCatalog(std::ostream& out, const posix::DriveMap& drives) {
    std::size_t count = 0;
    host::TheCatalog().ForEach([&](const host::CatalogEntry& entry) {
        out << SavedAt(entry.SavedAt) << "  " << fmt::format("{:<7}", ReferenceWord(entry.Reference)) << "  "
            << fmt::format("{:>12}", entry.Size) << "  " << Shown(entry.Path, drives) << "  (\""
            << Shown(entry.Subject) << "\")\n";
        ++count;
    });
    out << count << (count == 1 ? " saved file" : " saved files") << " recorded\n";
}

bool CheckCatalog(std::ostream& out, const posix::DriveMap& drives) {
    TFileCatalog catalog;
    std::size_t same = 0, missing = 0, changed = 0;
    catalog.Store().ForEach([&](const host::CatalogEntry& entry) {
        switch (catalog.Check(entry).State) {
            case TSavedFileState::Same: ++same; return;
            case TSavedFileState::Missing: ++missing; out << "missing: "; break;
            case TSavedFileState::Changed: ++changed; out << "changed: "; break;
        }
        out << Shown(entry.Path, drives) << " (" << ReferenceWord(entry.Reference) << " in \""
            << Shown(entry.Subject) << "\")\n";
    });
    out << same << " as saved, " << missing << " missing, " << changed << " changed\n";
    return missing == 0 && changed == 0;
}

}  // namespace velmora::cli
