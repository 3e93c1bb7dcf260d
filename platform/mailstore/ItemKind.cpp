#include "mailstore/ItemKind.h"

#include <libical/ical.h>

#include <memory>
#include <string>

#include "mailstore/MessageFile.h"
#include "mailstore/MimeTree.h"
#include "mailstore/PartContent.h"

namespace mailstore {

namespace {

struct ComponentDeleter {
    void operator()(icalcomponent* component) const { icalcomponent_free(component); }
};

ItemKind CalendarKind(GMimePart* part) {
    if (StoredLength(part) > kMaxCalendarSize) {
        throw UnreadableMessage("its calendar is larger than " + std::to_string(kMaxCalendarSize) + " bytes");
    }
    const std::string text = DecodedBytes(part);
    std::unique_ptr<icalcomponent, ComponentDeleter> calendar(icalparser_parse_string(text.c_str()));
    if (!calendar) throw UnreadableMessage("its calendar cannot be read");

    icalcomponent* root = calendar.get();
    const auto holds = [root](icalcomponent_kind kind) {
        return icalcomponent_isa(root) == kind || icalcomponent_get_first_component(root, kind) != nullptr;
    };
    bool request = false;
    if (icalcomponent_get_first_property(root, ICAL_METHOD_PROPERTY) != nullptr) {
        request = icalcomponent_get_method(root) == ICAL_METHOD_REQUEST;
    } else {
        // Without a METHOD line, the Content-Type's method parameter says it.
        const char* method = g_mime_object_get_content_type_parameter(GMIME_OBJECT(part), "method");
        request = method != nullptr && g_ascii_strcasecmp(method, "REQUEST") == 0;
    }
    if (holds(ICAL_VEVENT_COMPONENT)) return request ? ItemKind::MeetingRequest : ItemKind::Appointment;
    if (holds(ICAL_VTODO_COMPONENT)) return ItemKind::Task;
    return ItemKind::Other;
}

}  // namespace

ItemKind KindOf(GMimeMessage* message) {
    GMimeObject* main = MainPart(message);
    if (IsCalendar(main) && GMIME_IS_PART(main)) return CalendarKind(GMIME_PART(main));
    if (main != nullptr && IsContactCard(main)) return ItemKind::Other;
    return ItemKind::Mail;
}

}  // namespace mailstore
