#pragma once

#include <libetpan/libetpan.h>

#include <filesystem>
#include <string>

namespace imapstore {

// Whom a TLS connection must prove to be, and by which authorities.
struct TlsPeer {
    std::string host;  // a name or an address, as the account's URL gives it
    // Authorities trusted instead of the system's; empty for the system's.
    std::filesystem::path caFile;
};

// Starts TLS as a client on a connected socket and gives it to libetpan as a
// stream: the server's certificate must chain to a trusted authority and name
// the host (or its address), or the handshake fails and host::HostError says
// why. The stream owns the socket from then on. timeoutSeconds bounds every
// read and write.
mailstream_low* OpenTlsStream(int socket, const TlsPeer& peer, int timeoutSeconds);

}  // namespace imapstore
