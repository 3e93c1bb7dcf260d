#include "imapstore/FetchResponses.h"

#include <cstring>
#include <string_view>

namespace imapstore {

namespace {

std::string Text(const char* text) { return text == nullptr ? std::string() : std::string(text); }

std::string Lower(std::string text) {
    for (char& c : text) {
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    }
    return text;
}

PartShape::Parameters ParametersOf(const mailimap_body_fld_param* parameters) {
    PartShape::Parameters list;
    if (parameters == nullptr || parameters->pa_list == nullptr) return list;
    for (clistiter* it = clist_begin(parameters->pa_list); it != nullptr; it = clist_next(it)) {
        const auto* parameter = static_cast<const mailimap_single_body_fld_param*>(clist_content(it));
        list.emplace_back(Text(parameter->pa_name), Text(parameter->pa_value));
    }
    return list;
}

std::string MediaType(const mailimap_media_basic& media) {
    switch (media.med_type) {
        case MAILIMAP_MEDIA_BASIC_APPLICATION: return "application";
        case MAILIMAP_MEDIA_BASIC_AUDIO: return "audio";
        case MAILIMAP_MEDIA_BASIC_IMAGE: return "image";
        case MAILIMAP_MEDIA_BASIC_MESSAGE: return "message";
        case MAILIMAP_MEDIA_BASIC_VIDEO: return "video";
        default: return Lower(Text(media.med_basic_type));
    }
}

std::string EncodingOf(const mailimap_body_fld_enc* encoding) {
    if (encoding == nullptr) return {};
    switch (encoding->enc_type) {
        case MAILIMAP_BODY_FLD_ENC_7BIT: return "7bit";
        case MAILIMAP_BODY_FLD_ENC_8BIT: return "8bit";
        case MAILIMAP_BODY_FLD_ENC_BINARY: return "binary";
        case MAILIMAP_BODY_FLD_ENC_BASE64: return "base64";
        case MAILIMAP_BODY_FLD_ENC_QUOTED_PRINTABLE: return "quoted-printable";
        default: return Lower(Text(encoding->enc_value));
    }
}

void TakeFields(const mailimap_body_fields* fields, PartShape& shape) {
    if (fields == nullptr) return;
    shape.parameters = ParametersOf(fields->bd_parameter);
    shape.id = Text(fields->bd_id);
    shape.encoding = EncodingOf(fields->bd_encoding);
    shape.size = fields->bd_size;
}

void TakeDisposition(const mailimap_body_fld_dsp* disposition, PartShape& shape) {
    if (disposition == nullptr) return;
    shape.disposition = Lower(Text(disposition->dsp_type));
    shape.dispositionParameters = ParametersOf(disposition->dsp_attributes);
}

PartShape SinglePart(const mailimap_body_type_1part& part) {
    PartShape shape;
    switch (part.bd_type) {
        case MAILIMAP_BODY_TYPE_1PART_BASIC:
            if (part.bd_data.bd_type_basic != nullptr) {
                shape.type = MediaType(*part.bd_data.bd_type_basic->bd_media_basic);
                shape.subtype = Lower(Text(part.bd_data.bd_type_basic->bd_media_basic->med_subtype));
                TakeFields(part.bd_data.bd_type_basic->bd_fields, shape);
            }
            break;
        case MAILIMAP_BODY_TYPE_1PART_MSG:
            shape.type = "message";
            shape.subtype = "rfc822";
            if (part.bd_data.bd_type_msg != nullptr) {
                TakeFields(part.bd_data.bd_type_msg->bd_fields, shape);
                const mailimap_envelope* envelope = part.bd_data.bd_type_msg->bd_envelope;
                if (envelope != nullptr) shape.subject = Text(envelope->env_subject);
            }
            break;
        case MAILIMAP_BODY_TYPE_1PART_TEXT:
            shape.type = "text";
            if (part.bd_data.bd_type_text != nullptr) {
                shape.subtype = Lower(Text(part.bd_data.bd_type_text->bd_media_text));
                TakeFields(part.bd_data.bd_type_text->bd_fields, shape);
            }
            break;
        default: break;
    }
    if (part.bd_ext_1part != nullptr) TakeDisposition(part.bd_ext_1part->bd_disposition, shape);
    return shape;
}

std::vector<std::string> FlagsOf(const mailimap_msg_att_dynamic* dynamic) {
    std::vector<std::string> flags;
    if (dynamic == nullptr || dynamic->att_list == nullptr) return flags;
    for (clistiter* it = clist_begin(dynamic->att_list); it != nullptr; it = clist_next(it)) {
        const auto* fetched = static_cast<const mailimap_flag_fetch*>(clist_content(it));
        if (fetched->fl_type == MAILIMAP_FLAG_FETCH_OTHER && fetched->fl_flag != nullptr) {
            flags.push_back(FlagText(*fetched->fl_flag));
        }
    }
    return flags;
}

void TakeStatic(const mailimap_msg_att_static& item, FetchedMessage& message) {
    switch (item.att_type) {
        case MAILIMAP_MSG_ATT_UID: message.uid = item.att_data.att_uid; break;
        case MAILIMAP_MSG_ATT_RFC822_SIZE: message.size = item.att_data.att_rfc822_size; break;
        case MAILIMAP_MSG_ATT_INTERNALDATE:
            if (const mailimap_date_time* date = item.att_data.att_internal_date) {
                message.internalDate = ServerTime{date->dt_day, date->dt_month, date->dt_year, date->dt_hour,
                                                  date->dt_min,  date->dt_sec,   date->dt_zone};
            }
            break;
        case MAILIMAP_MSG_ATT_BODYSTRUCTURE:
            if (item.att_data.att_bodystructure != nullptr) message.structure = ShapeOf(*item.att_data.att_bodystructure);
            break;
        case MAILIMAP_MSG_ATT_BODY_SECTION:
            if (const mailimap_msg_att_body_section* section = item.att_data.att_body_section;
                section != nullptr && section->sec_body_part != nullptr) {
                message.section.assign(section->sec_body_part, section->sec_length);
            }
            break;
        default: break;
    }
}

void TakeExtension(const mailimap_extension_data& data, FetchedMessage& message) {
    if (data.ext_extension != nullptr && data.ext_extension->ext_id == MAILIMAP_EXTENSION_CONDSTORE &&
        data.ext_type == MAILIMAP_CONDSTORE_TYPE_FETCH_DATA && data.ext_data != nullptr) {
        message.modSeq = static_cast<const mailimap_condstore_fetch_mod_resp*>(data.ext_data)->cs_modseq_value;
    }
}

}  // namespace

PartShape ShapeOf(const mailimap_body& body) {
    if (body.bd_type == MAILIMAP_BODY_1PART) {
        return body.bd_data.bd_body_1part == nullptr ? PartShape{} : SinglePart(*body.bd_data.bd_body_1part);
    }
    PartShape shape;
    shape.type = "multipart";
    const mailimap_body_type_mpart* multipart = body.bd_data.bd_body_mpart;
    if (multipart == nullptr) return shape;
    shape.subtype = Lower(Text(multipart->bd_media_subtype));
    for (clistiter* it = clist_begin(multipart->bd_list); it != nullptr; it = clist_next(it)) {
        shape.parts.push_back(ShapeOf(*static_cast<const mailimap_body*>(clist_content(it))));
    }
    if (multipart->bd_ext_mpart != nullptr) {
        shape.parameters = ParametersOf(multipart->bd_ext_mpart->bd_parameter);
        TakeDisposition(multipart->bd_ext_mpart->bd_disposition, shape);
    }
    return shape;
}

std::vector<FetchedMessage> FetchedMessages(clist* answer) {
    std::vector<FetchedMessage> messages;
    if (answer == nullptr) return messages;
    for (clistiter* it = clist_begin(answer); it != nullptr; it = clist_next(it)) {
        const auto* attributes = static_cast<const mailimap_msg_att*>(clist_content(it));
        FetchedMessage message;
        for (clistiter* at = clist_begin(attributes->att_list); at != nullptr; at = clist_next(at)) {
            const auto* item = static_cast<const mailimap_msg_att_item*>(clist_content(at));
            if (item->att_type == MAILIMAP_MSG_ATT_ITEM_DYNAMIC) {
                message.flags = FlagsOf(item->att_data.att_dyn);
            } else if (item->att_type == MAILIMAP_MSG_ATT_ITEM_STATIC && item->att_data.att_static != nullptr) {
                TakeStatic(*item->att_data.att_static, message);
            } else if (item->att_type == MAILIMAP_MSG_ATT_ITEM_EXTENSION && item->att_data.att_extension_data) {
                TakeExtension(*item->att_data.att_extension_data, message);
            }
        }
        // An unsolicited FETCH (a flag change another client made) tells no UID.
        if (message.uid != 0) messages.push_back(std::move(message));
    }
    return messages;
}

std::string FlagText(const mailimap_flag& flag) {
    switch (flag.fl_type) {
        case MAILIMAP_FLAG_ANSWERED: return "\\Answered";
        case MAILIMAP_FLAG_FLAGGED: return "\\Flagged";
        case MAILIMAP_FLAG_DELETED: return "\\Deleted";
        case MAILIMAP_FLAG_SEEN: return "\\Seen";
        case MAILIMAP_FLAG_DRAFT: return "\\Draft";
        case MAILIMAP_FLAG_KEYWORD: return Text(flag.fl_data.fl_keyword);
        default: return "\\" + Text(flag.fl_data.fl_extension);
    }
}

mailimap_flag_list* FlagList(const std::vector<std::string>& flags) {
    mailimap_flag_list* list = mailimap_flag_list_new_empty();
    for (const std::string& text : flags) {
        const std::string lower = Lower(text);
        mailimap_flag* flag = nullptr;
        if (lower == "\\answered") {
            flag = mailimap_flag_new_answered();
        } else if (lower == "\\flagged") {
            flag = mailimap_flag_new_flagged();
        } else if (lower == "\\deleted") {
            flag = mailimap_flag_new_deleted();
        } else if (lower == "\\seen") {
            flag = mailimap_flag_new_seen();
        } else if (lower == "\\draft") {
            flag = mailimap_flag_new_draft();
        } else if (!text.empty() && text.front() == '\\') {
            flag = mailimap_flag_new_flag_extension(strdup(text.c_str() + 1));
        } else if (!text.empty()) {
            flag = mailimap_flag_new_flag_keyword(strdup(text.c_str()));
        }
        if (flag != nullptr) mailimap_flag_list_add(list, flag);
    }
    return list;
}

}  // namespace imapstore
