#include "mailstore/PartContent.h"

#include "host/HostError.h"
#include "mailstore/ContentTypes.h"
#include "mailstore/HostSinkStream.h"
#include "mailstore/NativeFiles.h"

namespace mailstore {

namespace {

bool IsAscii(std::string_view text) {
    for (const unsigned char c : text) {
        if (c >= 0x80) return false;
    }
    return true;
}

void ForceUtf8(GMimeParamList* parameters, const char* name, const std::string& value) {
    if (IsAscii(value)) return;
    if (GMimeParam* parameter = g_mime_param_list_get_parameter(parameters, name)) {
        g_mime_param_set_charset(parameter, "UTF-8");
    }
}

}  // namespace

DecodedContent WriteDecoded(GMimeObject* part, host::OutputStream& file) {
    auto sink = NewHostSinkStream(file);
    try {
        return DecodeContent(part, sink.get());
    } catch (const host::HostError&) {
        RethrowSinkFailure(sink.get());
        throw;
    }
}

std::string DecodedBytes(GMimePart* part) {
    auto memory = GObjectPtr<GMimeStream>::Adopt(g_mime_stream_mem_new());
    DecodeContent(GMIME_OBJECT(part), memory.get());
    GByteArray* bytes = g_mime_stream_mem_get_byte_array(GMIME_STREAM_MEM(memory.get()));
    return std::string(reinterpret_cast<const char*>(bytes->data), bytes->len);
}

std::uint64_t StoredLength(GMimePart* part) {
    GMimeDataWrapper* content = g_mime_part_get_content(part);
    if (content == nullptr) return 0;
    GMimeStream* stream = g_mime_data_wrapper_get_stream(content);
    const gint64 length = stream == nullptr ? 0 : g_mime_stream_length(stream);
    return length < 0 ? 0 : static_cast<std::uint64_t>(length);
}

void ReplaceContent(GMimePart* part, std::string_view bytes) {
    const GMimeContentEncoding previous = g_mime_part_get_content_encoding(part);
    auto stream = GObjectPtr<GMimeStream>::Adopt(g_mime_stream_mem_new_with_buffer(bytes.data(), bytes.size()));
    auto content = GObjectPtr<GMimeDataWrapper>::Adopt(
        g_mime_data_wrapper_new_with_stream(stream.get(), GMIME_CONTENT_ENCODING_DEFAULT));
    g_mime_part_set_content(part, content.get());
    const bool keep = previous == GMIME_CONTENT_ENCODING_BASE64 || previous == GMIME_CONTENT_ENCODING_QUOTEDPRINTABLE;
    g_mime_part_set_content_encoding(
        part, keep ? previous : g_mime_part_get_best_content_encoding(part, GMIME_ENCODING_CONSTRAINT_7BIT));
}

GObjectPtr<GMimeMessage> MessageFrom(GMimeStream* stream) {
    if (g_mime_stream_reset(stream) != 0) return {};
    auto parser = GObjectPtr<GMimeParser>::Adopt(g_mime_parser_new_with_stream(stream));
    auto message = GObjectPtr<GMimeMessage>::Adopt(g_mime_parser_construct_message(parser.get(), nullptr));
    if (!message || g_mime_message_get_mime_part(message.get()) == nullptr) return {};
    return message;
}

GObjectPtr<GMimePart> AttachmentFromFile(std::u16string_view path, const std::string& fileName) {
    auto stream = OpenFileStream(path);
    MediaType type = MediaTypeOfName(fileName);
    // An attached message is never base64-encoded: until it is made one
    // (see MessageFrom), it is a file like any other.
    if (type.Type == "message") type = {"application", "octet-stream"};
    auto part = GObjectPtr<GMimePart>::Adopt(g_mime_part_new_with_type(type.Type.c_str(), type.Subtype.c_str()));
    auto content = GObjectPtr<GMimeDataWrapper>::Adopt(
        g_mime_data_wrapper_new_with_stream(stream.get(), GMIME_CONTENT_ENCODING_DEFAULT));
    g_mime_part_set_content(part.get(), content.get());
    g_mime_part_set_content_encoding(part.get(), GMIME_CONTENT_ENCODING_BASE64);
    g_mime_object_set_disposition(GMIME_OBJECT(part.get()), GMIME_DISPOSITION_ATTACHMENT);
    SetDispositionParameter(GMIME_OBJECT(part.get()), "filename", fileName);
    SetTypeParameter(GMIME_OBJECT(part.get()), "name", fileName);
    return part;
}

void SetTypeParameter(GMimeObject* object, const char* name, const std::string& value) {
    g_mime_object_set_content_type_parameter(object, name, value.c_str());
    ForceUtf8(g_mime_content_type_get_parameters(g_mime_object_get_content_type(object)), name, value);
}

void SetDispositionParameter(GMimeObject* object, const char* name, const std::string& value) {
    g_mime_object_set_content_disposition_parameter(object, name, value.c_str());
    ForceUtf8(g_mime_content_disposition_get_parameters(g_mime_object_get_content_disposition(object)), name, value);
}

}  // namespace mailstore
