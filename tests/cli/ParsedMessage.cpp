#include "ParsedMessage.h"

#include <gmime/gmime.h>

#include <fstream>
#include <sstream>

namespace cli_tests {

std::string ParsedMessageId(const std::filesystem::path& file) {
    static const bool initialised = [] {
        g_mime_init();
        return true;
    }();
    (void)initialised;
    std::ifstream in(file, std::ios::binary);
    std::stringstream bytes;
    bytes << in.rdbuf();
    const std::string text = bytes.str();
    GMimeStream* stream = g_mime_stream_mem_new_with_buffer(text.data(), text.size());
    GMimeParser* parser = g_mime_parser_new_with_stream(stream);
    GMimeMessage* message = g_mime_parser_construct_message(parser, nullptr);
    std::string id;
    if (message != nullptr && g_mime_message_get_mime_part(message) != nullptr) {
        const char* messageId = g_mime_message_get_message_id(message);
        id = messageId != nullptr ? messageId : "(none)";
    }
    if (message != nullptr) g_object_unref(message);
    g_object_unref(parser);
    g_object_unref(stream);
    return id;
}

}  // namespace cli_tests
