#include "mailstore/HostSinkStream.h"

#include <exception>

namespace mailstore {

namespace {

struct HostSink {
    GMimeStream parent;
    host::OutputStream* file;
    // Made in init and freed in finalize: GObject allocates the struct as plain memory.
    std::exception_ptr* failure;
};

struct HostSinkClass {
    GMimeStreamClass parent_class;
};

GType host_sink_get_type();

#define MAILSTORE_HOST_SINK(object) (G_TYPE_CHECK_INSTANCE_CAST((object), host_sink_get_type(), HostSink))

G_DEFINE_TYPE(HostSink, host_sink, GMIME_TYPE_STREAM)

ssize_t SinkWrite(GMimeStream* stream, const char* buffer, size_t length) {
    HostSink* sink = MAILSTORE_HOST_SINK(stream);
    if (*sink->failure) return -1;
    try {
        sink->file->Write(buffer, length);
    } catch (...) {
        // Exceptions must not cross GMime's C frames.
        *sink->failure = std::current_exception();
        return -1;
    }
    stream->position += static_cast<gint64>(length);
    return static_cast<ssize_t>(length);
}

ssize_t SinkRead(GMimeStream*, char*, size_t) { return -1; }
int SinkFlush(GMimeStream*) { return 0; }
int SinkClose(GMimeStream*) { return 0; }
gboolean SinkEos(GMimeStream*) { return FALSE; }
int SinkReset(GMimeStream*) { return -1; }
gint64 SinkSeek(GMimeStream*, gint64, GMimeSeekWhence) { return -1; }
gint64 SinkTell(GMimeStream* stream) { return stream->position; }
gint64 SinkLength(GMimeStream*) { return -1; }
GMimeStream* SinkSubstream(GMimeStream*, gint64, gint64) { return nullptr; }

void SinkFinalize(GObject* object) {
    delete MAILSTORE_HOST_SINK(object)->failure;
    G_OBJECT_CLASS(host_sink_parent_class)->finalize(object);
}

void host_sink_class_init(HostSinkClass* klass) {
    G_OBJECT_CLASS(klass)->finalize = SinkFinalize;
    GMimeStreamClass* stream = GMIME_STREAM_CLASS(klass);
    stream->read = SinkRead;
    stream->write = SinkWrite;
    stream->flush = SinkFlush;
    stream->close = SinkClose;
    stream->eos = SinkEos;
    stream->reset = SinkReset;
    stream->seek = SinkSeek;
    stream->tell = SinkTell;
    stream->length = SinkLength;
    stream->substream = SinkSubstream;
}

void host_sink_init(HostSink* sink) {
    sink->file = nullptr;
    sink->failure = new std::exception_ptr();
}

}  // namespace

GObjectPtr<GMimeStream> NewHostSinkStream(host::OutputStream& file) {
    auto* sink = static_cast<HostSink*>(g_object_new(host_sink_get_type(), nullptr));
    sink->file = &file;
    g_mime_stream_construct(GMIME_STREAM(sink), 0, -1);
    return GObjectPtr<GMimeStream>::Adopt(GMIME_STREAM(sink));
}

void RethrowSinkFailure(GMimeStream* stream) {
    HostSink* sink = MAILSTORE_HOST_SINK(stream);
    if (*sink->failure) std::rethrow_exception(*sink->failure);
}

}  // namespace mailstore
