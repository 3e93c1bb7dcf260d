#include "imapstore/ServerMessages.h"

#include "host/HostError.h"
#include "mailstore/MessageFile.h"

namespace imapstore {

namespace {

using mailstore::GObjectPtr;

// A stream writing through the filter into target.
GObjectPtr<GMimeStream> Filtered(GMimeStream* target, GMimeFilter* filter) {
    auto stream = GObjectPtr<GMimeStream>::Adopt(g_mime_stream_filter_new(target));
    g_mime_stream_filter_add(GMIME_STREAM_FILTER(stream.get()), filter);
    g_object_unref(filter);
    return stream;
}

}  // namespace

GObjectPtr<GMimeMessage> ParseServerMessage(std::string_view bytes) {
    auto memory = GObjectPtr<GMimeStream>::Adopt(g_mime_stream_mem_new());
    {
        auto lines = Filtered(memory.get(), g_mime_filter_dos2unix_new(FALSE));
        if (g_mime_stream_write(lines.get(), bytes.data(), bytes.size()) < 0 || g_mime_stream_flush(lines.get()) != 0) {
            throw mailstore::UnreadableMessage("it does not fit into memory");
        }
    }
    g_mime_stream_reset(memory.get());
    return mailstore::ReadMessageStream(std::move(memory));
}

std::string ServerForm(GMimeMessage* message) {
    auto memory = GObjectPtr<GMimeStream>::Adopt(g_mime_stream_mem_new());
    {
        auto lines = Filtered(memory.get(), g_mime_filter_unix2dos_new(FALSE));
        if (g_mime_object_write_to_stream(GMIME_OBJECT(message), nullptr, lines.get()) < 0 ||
            g_mime_stream_flush(lines.get()) != 0) {
            throw host::HostError(E_FAIL, u"The changed message cannot be written.");
        }
    }
    GByteArray* bytes = g_mime_stream_mem_get_byte_array(GMIME_STREAM_MEM(memory.get()));
    return std::string(reinterpret_cast<const char*>(bytes->data), bytes->len);
}

}  // namespace imapstore
