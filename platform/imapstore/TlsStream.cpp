#include "imapstore/TlsStream.h"

#include <arpa/inet.h>
#include <openssl/err.h>
#include <openssl/ssl.h>
#include <openssl/x509v3.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <memory>

#include "base/Utf16.h"
#include "host/HostError.h"

namespace imapstore {

namespace {

struct TlsState {
    int socket;
    SSL_CTX* context;
    SSL* connection;
};

TlsState& State(mailstream_low* stream) { return *static_cast<TlsState*>(stream->data); }

ssize_t TlsRead(mailstream_low* stream, void* buffer, size_t count) {
    const int read = SSL_read(State(stream).connection, buffer, static_cast<int>(std::min<size_t>(count, INT32_MAX)));
    return read > 0 ? read : -1;
}

ssize_t TlsWrite(mailstream_low* stream, const void* buffer, size_t count) {
    const int written =
        SSL_write(State(stream).connection, buffer, static_cast<int>(std::min<size_t>(count, INT32_MAX)));
    return written > 0 ? written : -1;
}

int TlsClose(mailstream_low* stream) {
    TlsState& state = State(stream);
    if (state.socket >= 0) ::close(state.socket);
    state.socket = -1;
    return 0;
}

int TlsSocket(mailstream_low* stream) { return State(stream).socket; }

void TlsFree(mailstream_low* stream) {
    auto* state = static_cast<TlsState*>(stream->data);
    SSL_free(state->connection);
    SSL_CTX_free(state->context);
    delete state;
    free(stream);
}

struct mailstream_cancel* NoCancel(mailstream_low*) { return nullptr; }
carray* NoCertificates(mailstream_low*) { return nullptr; }
int NoIdle(mailstream_low*) { return -1; }

mailstream_low_driver kTlsDriver = {
    TlsRead, TlsWrite, TlsClose, TlsSocket, TlsFree, nullptr, NoCancel, NoCertificates, NoIdle, NoIdle, NoIdle,
};

[[noreturn]] void Fail(const TlsPeer& peer, const std::string& what) {
    throw host::HostError(E_FAIL, velmora::FromUtf8("No secure connection to " + peer.host + ": " + what));
}

std::string LastError() {
    const unsigned long code = ERR_get_error();
    if (code == 0) return "the connection was closed during the handshake";
    char text[256];
    ERR_error_string_n(code, text, sizeof text);
    return text;
}

bool IsAddress(const std::string& host) {
    in6_addr address{};
    return ::inet_pton(AF_INET, host.c_str(), &address) == 1 || ::inet_pton(AF_INET6, host.c_str(), &address) == 1;
}

}  // namespace

mailstream_low* OpenTlsStream(int socket, const TlsPeer& peer, int timeoutSeconds) {
    const timeval timeout{timeoutSeconds, 0};
    ::setsockopt(socket, SOL_SOCKET, SO_RCVTIMEO, &timeout, sizeof timeout);
    ::setsockopt(socket, SOL_SOCKET, SO_SNDTIMEO, &timeout, sizeof timeout);

    std::unique_ptr<SSL_CTX, decltype(&SSL_CTX_free)> context(SSL_CTX_new(TLS_client_method()), SSL_CTX_free);
    if (!context) Fail(peer, LastError());
    SSL_CTX_set_min_proto_version(context.get(), TLS1_2_VERSION);
    SSL_CTX_set_verify(context.get(), SSL_VERIFY_PEER, nullptr);
    const bool trusted = peer.caFile.empty()
                             ? SSL_CTX_set_default_verify_paths(context.get()) == 1
                             : SSL_CTX_load_verify_locations(context.get(), peer.caFile.c_str(), nullptr) == 1;
    if (!trusted) Fail(peer, "the certificate authorities of " + peer.caFile.string() + " cannot be read");

    std::unique_ptr<SSL, decltype(&SSL_free)> connection(SSL_new(context.get()), SSL_free);
    if (!connection) Fail(peer, LastError());
    X509_VERIFY_PARAM* check = SSL_get0_param(connection.get());
    if (IsAddress(peer.host)) {
        X509_VERIFY_PARAM_set1_ip_asc(check, peer.host.c_str());
    } else {
        SSL_set_tlsext_host_name(connection.get(), peer.host.c_str());
        X509_VERIFY_PARAM_set_hostflags(check, X509_CHECK_FLAG_NO_PARTIAL_WILDCARDS);
        X509_VERIFY_PARAM_set1_host(check, peer.host.c_str(), peer.host.size());
    }
    SSL_set_fd(connection.get(), socket);
    if (SSL_connect(connection.get()) != 1) {
        const long verified = SSL_get_verify_result(connection.get());
        if (verified != X509_V_OK) {
            Fail(peer, std::string("its certificate is not trusted (") + X509_verify_cert_error_string(verified) +
                           ")" + (peer.caFile.empty() ? "; --ca-file names the authority to trust" : ""));
        }
        Fail(peer, LastError());
    }
    mailstream_low* stream = mailstream_low_new(new TlsState{socket, context.release(), connection.release()},
                                                &kTlsDriver);
    if (stream == nullptr) Fail(peer, "out of memory");
    return stream;
}

}  // namespace imapstore
