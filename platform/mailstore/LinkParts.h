#pragma once

#include "mailstore/Gmime.h"

#include <string>
#include <string_view>
#include <vector>

#include "mailstore/GObjectPtr.h"
#include "mailstore/PartDescription.h"

// Link attachments: message/external-body parts with access-type local-file
// whose "name" parameter is the linked file's native path and "site" the
// host that holds it, and whose file name is the name the item shows. Their
// Content-Description names the file the link stands for and the path it was
// saved as, which is what mail readers without support for the type show.
// Their body, the header of the part they stand for, gives that part's type,
// name and disposition, and a Content-ID of the link's own: random, so that
// nobody can make a link that another one's identity names. Links of an
// older form have neither and still read.
namespace mailstore {

bool IsLinkPart(GMimeObject* part);

// A new link part to the file at the Windows path, shown as displayName; it
// stands for a file of that name until DescribeLinkedPart says otherwise.
GObjectPtr<GMimePart> MakeLinkPart(std::u16string_view windowsPath, std::u16string_view displayName);

// Makes the link stand for a part with these header fields: its body takes
// them, but for the transfer encoding (the file holds the content decoded)
// and the Content-ID (the link keeps its own), with a disposition naming
// the file when they have none; its Content-Description names that file.
void DescribeLinkedPart(GMimePart* link, const std::vector<StoredHeader>& headers);

// The header fields of the part the link stands for, without the link's own
// Content-ID. A link of the older form, whose body gives only the type, adds
// its own disposition, which names the file.
std::vector<StoredHeader> LinkedPartHeaders(GMimeObject* link);

// The link's own Content-ID, without angle brackets; empty for a link of the
// older form.
std::string LinkContentId(GMimeObject* link);

// The Windows path of the linked file: the stored native path through the
// installed file system's drive mapping, or the stored text as it is when no
// mapped drive holds it.
std::u16string LinkedWindowsPath(GMimeObject* part);

// The file name the link shows; the linked file's name when it has none.
std::u16string LinkDisplayName(GMimeObject* part);

}  // namespace mailstore
