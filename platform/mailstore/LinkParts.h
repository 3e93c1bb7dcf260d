#pragma once

#include "mailstore/Gmime.h"

#include <string>
#include <string_view>

#include "mailstore/GObjectPtr.h"

// Link attachments: message/external-body parts with access-type local-file
// whose "name" parameter is the linked file's native path and whose file
// name is the name the item shows. Mail readers that know the type show them
// as an attachment kept elsewhere.
namespace mailstore {

bool IsLinkPart(GMimeObject* part);

// A new link part to the file at the Windows path, shown as displayName.
GObjectPtr<GMimePart> MakeLinkPart(std::u16string_view windowsPath, std::u16string_view displayName);

// The Windows path of the linked file: the stored native path through the
// installed file system's drive mapping, or the stored text as it is when no
// mapped drive holds it.
std::u16string LinkedWindowsPath(GMimeObject* part);

// The file name the link shows; the linked file's name when it has none.
std::u16string LinkDisplayName(GMimeObject* part);

}  // namespace mailstore
