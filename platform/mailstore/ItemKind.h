#pragma once

#include "mailstore/Gmime.h"

#include <cstddef>

namespace mailstore {

// What the host makes of a message. Other kinds (a contact card, a journal
// entry) answer none of the item interfaces the engine wraps.
enum class ItemKind { Mail, MeetingRequest, Appointment, Task, Other };

// The largest calendar part read to tell an appointment from a task.
inline constexpr std::size_t kMaxCalendarSize = 4 * 1024 * 1024;

// The kind, by the message's main part (see MainPart). A text/calendar main
// part is a meeting request when its method is REQUEST and it holds an
// event, an appointment for another event, a task for a to-do. Throws
// UnreadableMessage when that calendar's components do not nest.
ItemKind KindOf(GMimeMessage* message);

// Whether KindOf reads the content of a part (a calendar's), not only the
// message's structure.
bool KindNeedsContent(GMimeMessage* message);

}  // namespace mailstore
