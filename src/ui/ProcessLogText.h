#pragma once

// The texts of the progress log, shared by the progress window and the
// command line's terminal log.

#include <cstdint>
#include <string>
#include <string_view>

#include "engine/uOutlookManager.h"

namespace velmora {

inline constexpr std::u16string_view kFinishedLine = u"== FINISHED ==";

std::u16string FolderLine(std::u16string_view folderName);
std::u16string MailLine(std::u16string_view subject);
std::u16string AttachmentLine(std::u16string_view fileName);

// The outcome appended to an attachment's line, filled with the file name or
// the directory as the kind shows one of them; empty for an unknown kind.
std::u16string AttachmentStatusText(std::u16string_view fileName, std::u16string_view directory,
                                    TAttachmentStatus kind);

// The three counters, one per line ("\r\n" between them).
std::u16string CountersText(std::int32_t folders, std::int32_t messages, std::int32_t attachments);

// The "file already exists" question, lines separated by "\r\n".
std::u16string FileExistsQuestion(std::u16string_view fileName, std::u16string_view directory);

}  // namespace velmora
