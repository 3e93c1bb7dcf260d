#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "imapstore/AccountUrl.h"
#include "imapstore/PartShape.h"

struct mailimap;

namespace imapstore {

// What a session needs to reach and enter the account.
struct SessionSettings {
    AccountUrl url;
    std::string password;
    std::filesystem::path caFile;  // authorities trusted instead of the system's; empty for those
    int timeoutSeconds = 60;       // for connecting and for every read and write
};

// A date and time as IMAP gives it: the sender's local time and its zone
// (+hhmm or -hhmm as a number, 100 for +0100).
struct ServerTime {
    int day = 1;
    int month = 1;
    int year = 1970;
    int hour = 0;
    int minute = 0;
    int second = 0;
    int zone = 0;

    std::int64_t UnixSeconds() const;
};

// What one FETCH told of one message; each field only when it was asked for.
struct FetchedMessage {
    std::uint32_t uid = 0;
    std::optional<std::vector<std::string>> flags;  // "\\Seen", "$Label1", ...; never \Recent
    std::optional<ServerTime> internalDate;
    std::uint64_t size = 0;  // RFC822.SIZE
    std::optional<std::uint64_t> modSeq;
    std::optional<PartShape> structure;
    std::string section;  // the body section asked for: header fields, the header, or the whole message
};

struct ListedFolder {
    std::string name;      // as the server names it: modified UTF-7
    char delimiter = 0;    // of its hierarchy; 0 when flat
    bool selectable = true;
};

struct SelectedFolder {
    std::uint32_t uidValidity = 0;
    std::uint32_t uidNext = 0;
};

struct Capabilities {
    bool uidPlus = false;
    bool condStore = false;
};

// What became of a message asked to be flagged deleted.
enum class StoreOutcome {
    Done,      // flagged
    Modified,  // another client changed it since the mod-sequence given: left as it is
    Gone,      // it is no longer there
};

// The connection broke (or the server hung up): a new session may go on.
class SessionLost : public std::runtime_error {
public:
    using runtime_error::runtime_error;
};

// One IMAP session through libetpan, logged in: the commands the store
// needs, each waiting for its answer. The connection is TLS from the start
// (imaps), or upgraded with STARTTLS whenever the server offers it and
// required to be unless the host is on the loopback. SessionLost when the
// connection broke; host::HostError for anything the server refused (the
// login included: a clear message, never the password) or when the
// connection cannot be made or made secure.
class ImapSession {
public:
    explicit ImapSession(const SessionSettings& settings);
    ~ImapSession();
    ImapSession(const ImapSession&) = delete;
    ImapSession& operator=(const ImapSession&) = delete;

    const Capabilities& Caps() const { return caps_; }

    std::vector<ListedFolder> List();
    SelectedFolder Select(const std::string& folder);
    std::vector<std::uint32_t> AllUids();
    // UIDs from first on of the messages of that size (RFC822.SIZE).
    std::vector<std::uint32_t> UidsOfSize(std::uint32_t first, std::uint64_t size);

    // UID, flags, INTERNALDATE, size, structure and the Subject header
    // fields (in section); the mod-sequence where offered.
    std::vector<FetchedMessage> FetchOutlines(const std::vector<std::uint32_t>& uids);
    // UID and the whole message in section.
    std::vector<FetchedMessage> FetchWhole(const std::vector<std::uint32_t>& uids);
    // UID and flags; the mod-sequence where offered.
    std::vector<FetchedMessage> FetchFlags(const std::vector<std::uint32_t>& uids);
    // UID, size and the header in section.
    std::vector<FetchedMessage> FetchHeaders(const std::vector<std::uint32_t>& uids);

    // APPENDs the message (CRLF line ends) with those flags and date; the
    // new message's UID when the server tells it (UIDPLUS).
    std::optional<std::uint32_t> Append(const std::string& folder, const std::vector<std::string>& flags,
                                        const ServerTime& date, const std::string& message);
    // +FLAGS (\Deleted) on the selected folder's message, only when it is
    // unchanged since unchangedSince (CONDSTORE) when given. flagsAfter
    // receives its flags as the server confirmed them.
    StoreOutcome MarkDeleted(std::uint32_t uid, std::optional<std::uint64_t> unchangedSince,
                             std::vector<std::string>& flagsAfter);
    void UnmarkDeleted(std::uint32_t uid);
    // NOOP: takes in what other clients changed (expunges included).
    void Refresh();
    // UID EXPUNGE of those messages alone (UIDPLUS).
    void Expunge(const std::vector<std::uint32_t>& uids);

private:
    void Check(int code, const std::string& what);
    void Connect(const SessionSettings& settings);
    void ReadCapabilities();
    std::vector<FetchedMessage> Fetch(const std::vector<std::uint32_t>& uids, bool flags, bool outline,
                                      int section);

    mailimap* session_;
    Capabilities caps_;
    bool lost_ = false;
};

}  // namespace imapstore
