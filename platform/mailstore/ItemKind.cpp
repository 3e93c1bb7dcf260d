#include "mailstore/ItemKind.h"

#include <string>
#include <string_view>
#include <vector>

#include "mailstore/MessageFile.h"
#include "mailstore/MimeTree.h"
#include "mailstore/PartContent.h"

namespace mailstore {

namespace {

// What the kind depends on, read from the calendar's lines.
struct CalendarFacts {
    bool HasMethod = false;
    bool Request = false;
    bool Event = false;
    bool Todo = false;
};

std::string Upper(std::string_view text) {
    std::string upper(text);
    for (auto& c : upper) {
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    }
    return upper;
}

// The content lines (RFC 5545): folded lines joined, line ends dropped.
std::vector<std::string> ContentLines(std::string_view text) {
    std::vector<std::string> lines;
    while (!text.empty()) {
        const auto end = text.find('\n');
        std::string_view line = text.substr(0, end);
        text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        if (!line.empty() && (line.front() == ' ' || line.front() == '\t') && !lines.empty()) {
            lines.back() += line.substr(1);
        } else {
            lines.emplace_back(line);
        }
    }
    return lines;
}

// Only the component structure and METHOD are read: a calendar whose
// components do not nest properly, or that has none, cannot be read.
CalendarFacts ReadCalendar(std::string_view text) {
    CalendarFacts facts;
    std::vector<std::string> open;
    bool anyComponent = false;
    for (const auto& line : ContentLines(text)) {
        const auto colon = line.find(':');
        if (colon == std::string::npos) continue;
        const std::string name = Upper(std::string_view(line).substr(0, std::min(line.find(';'), colon)));
        const std::string value = Upper(std::string_view(line).substr(colon + 1));
        if (name == "BEGIN") {
            // Events and to-dos count at the top or right inside the calendar.
            if (open.empty() || (open.size() == 1 && open.front() == "VCALENDAR")) {
                facts.Event = facts.Event || value == "VEVENT";
                facts.Todo = facts.Todo || value == "VTODO";
            }
            open.push_back(value);
            anyComponent = true;
        } else if (name == "END") {
            if (open.empty() || open.back() != value) throw UnreadableMessage("its calendar cannot be read");
            open.pop_back();
        } else if (name == "METHOD" && open.size() == 1 && open.front() == "VCALENDAR") {
            facts.HasMethod = true;
            facts.Request = value == "REQUEST";
        }
    }
    if (!anyComponent || !open.empty()) throw UnreadableMessage("its calendar cannot be read");
    return facts;
}

ItemKind CalendarKind(GMimePart* part) {
    if (StoredLength(part) > kMaxCalendarSize) {
        throw UnreadableMessage("its calendar is larger than " + std::to_string(kMaxCalendarSize) + " bytes");
    }
    const CalendarFacts facts = ReadCalendar(DecodedBytes(part));
    bool request = facts.Request;
    if (!facts.HasMethod) {
        // Without a METHOD line, the Content-Type's method parameter says it.
        const char* method = g_mime_object_get_content_type_parameter(GMIME_OBJECT(part), "method");
        request = method != nullptr && g_ascii_strcasecmp(method, "REQUEST") == 0;
    }
    if (facts.Event) return request ? ItemKind::MeetingRequest : ItemKind::Appointment;
    if (facts.Todo) return ItemKind::Task;
    return ItemKind::Other;
}

// A calendar that is an attachment is a file the message carries, even when
// it is all the message holds: taking it out leaves the same item.
bool IsCalendarItem(GMimeObject* main) { return IsCalendar(main) && GMIME_IS_PART(main) && !IsAttachmentPart(main); }

}  // namespace

bool KindNeedsContent(GMimeMessage* message) { return IsCalendarItem(MainPart(message)); }

ItemKind KindOf(GMimeMessage* message) {
    GMimeObject* main = MainPart(message);
    if (IsCalendarItem(main)) return CalendarKind(GMIME_PART(main));
    if (main != nullptr && IsContactCard(main)) return ItemKind::Other;
    return ItemKind::Mail;
}

}  // namespace mailstore
