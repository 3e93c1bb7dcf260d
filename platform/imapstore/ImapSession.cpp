#include "imapstore/ImapSession.h"

#include <libetpan/libetpan.h>
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>
#include <unistd.h>

#include <strings.h>

#include <cstring>
#include <ctime>
#include <memory>

#include "base/Utf16.h"
#include "host/HostError.h"
#include "imapstore/FetchResponses.h"
#include "imapstore/TlsStream.h"

namespace imapstore {

namespace {

enum Section { kNoSection, kSubjectFields, kHeader, kWhole };

[[noreturn]] void Refused(const std::string& text) { throw host::HostError(E_FAIL, velmora::FromUtf8(text)); }

bool IsBreak(int code) {
    return code == MAILIMAP_ERROR_STREAM || code == MAILIMAP_ERROR_PARSE || code == MAILIMAP_ERROR_FATAL;
}

// A connected TCP socket to the host; -1 with errno's reason in reason.
int ConnectSocket(const AccountUrl& url, int timeoutSeconds, std::string& reason) {
    addrinfo hints{};
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* found = nullptr;
    const int resolved = ::getaddrinfo(url.host.c_str(), std::to_string(url.port).c_str(), &hints, &found);
    if (resolved != 0) {
        reason = ::gai_strerror(resolved);
        return -1;
    }
    std::unique_ptr<addrinfo, decltype(&::freeaddrinfo)> addresses(found, ::freeaddrinfo);
    const timeval timeout{timeoutSeconds, 0};
    for (const addrinfo* address = found; address != nullptr; address = address->ai_next) {
        const int fd = ::socket(address->ai_family, address->ai_socktype | SOCK_CLOEXEC, address->ai_protocol);
        if (fd < 0) continue;
        ::setsockopt(fd, SOL_SOCKET, SO_SNDTIMEO, &timeout, sizeof timeout);
        if (::connect(fd, address->ai_addr, address->ai_addrlen) == 0) {
            // Commands go out whole and are answered before the next: waiting
            // to fill a packet would only add a delay to each.
            const int on = 1;
            ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
            return fd;
        }
        reason = std::strerror(errno);
        ::close(fd);
    }
    return -1;
}

// A UID set of the given UIDs.
struct UidSet {
    explicit UidSet(const std::vector<std::uint32_t>& uids) : set(mailimap_set_new_empty()) {
        for (const std::uint32_t uid : uids) mailimap_set_add_single(set, uid);
    }
    ~UidSet() { mailimap_set_free(set); }
    UidSet(const UidSet&) = delete;
    UidSet& operator=(const UidSet&) = delete;

    mailimap_set* set;
};

std::vector<std::uint32_t> Uids(clist* found) {
    std::vector<std::uint32_t> uids;
    for (clistiter* it = clist_begin(found); it != nullptr; it = clist_next(it)) {
        uids.push_back(*static_cast<std::uint32_t*>(clist_content(it)));
    }
    mailimap_search_result_free(found);
    return uids;
}

mailimap_fetch_att* SubjectFields() {
    clist* names = clist_new();
    clist_append(names, strdup("SUBJECT"));
    return mailimap_fetch_att_new_body_peek_section(
        mailimap_section_new_header_fields(mailimap_header_list_new(names)));
}

}  // namespace

std::int64_t ServerTime::UnixSeconds() const {
    std::tm fields{};
    fields.tm_year = year - 1900;
    fields.tm_mon = month - 1;
    fields.tm_mday = day;
    fields.tm_hour = hour;
    fields.tm_min = minute;
    fields.tm_sec = second;
    const int sign = zone < 0 ? -1 : 1;
    const int offset = sign * ((sign * zone) / 100 * 3600 + (sign * zone) % 100 * 60);
    return static_cast<std::int64_t>(::timegm(&fields)) - offset;
}

ImapSession::ImapSession(const SessionSettings& settings) : session_(mailimap_new(0, nullptr)) {
    if (session_ == nullptr) Refused("Out of memory for an IMAP session.");
    try {
        Connect(settings);
    } catch (...) {
        mailimap_free(session_);
        throw;
    }
}

ImapSession::~ImapSession() {
    if (!lost_) mailimap_logout(session_);
    mailimap_free(session_);
}

void ImapSession::Check(int code, const std::string& what) {
    if (code == MAILIMAP_NO_ERROR || code == MAILIMAP_NO_ERROR_AUTHENTICATED ||
        code == MAILIMAP_NO_ERROR_NON_AUTHENTICATED) {
        return;
    }
    if (IsBreak(code)) {
        lost_ = true;
        throw SessionLost("the connection broke during " + what);
    }
    const std::string said = session_->imap_response != nullptr ? session_->imap_response : "";
    Refused("The server refused " + what + (said.empty() ? "." : ": " + said));
}

void ImapSession::Connect(const SessionSettings& settings) {
    // Until logged in, the session is not worth a polite LOGOUT.
    lost_ = true;
    const AccountUrl& url = settings.url;
    const std::string where = url.host + ":" + std::to_string(url.port);
    mailimap_set_timeout(session_, settings.timeoutSeconds);
    std::string reason;
    const int fd = ConnectSocket(url, settings.timeoutSeconds, reason);
    if (fd < 0) throw SessionLost("cannot connect to " + where + ": " + reason);
    const TlsPeer peer{url.host, settings.caFile};
    mailstream_low* low = nullptr;
    if (url.implicitTls) {
        try {
            low = OpenTlsStream(fd, peer, settings.timeoutSeconds);
        } catch (...) {
            ::close(fd);
            throw;
        }
    } else {
        low = mailstream_low_socket_open(fd);
        mailstream_low_set_timeout(low, settings.timeoutSeconds);
    }
    mailstream* stream = mailstream_new(low, 8192);
    const int greeted = mailimap_connect(session_, stream);
    if (greeted != MAILIMAP_NO_ERROR_NON_AUTHENTICATED) {
        if (greeted == MAILIMAP_NO_ERROR_AUTHENTICATED) Refused("The server " + where + " greeted as logged in already.");
        throw SessionLost("the server " + where + " did not greet as an IMAP server");
    }
    ReadCapabilities();
    if (!url.implicitTls) {
        const bool offered = mailimap_has_extension(session_, "STARTTLS") != 0;
        if (!offered && !url.OnLoopback()) {
            Refused("The server " + where +
                    " offers no STARTTLS, and a password is never sent in the clear over a network; use imaps://.");
        }
        if (offered) {
            Check(mailimap_starttls(session_), "STARTTLS");
            mailstream_low* plain = mailstream_get_low(session_->imap_stream);
            // The socket passes to the TLS stream; the plain one goes without closing it.
            mailstream_low* secure = OpenTlsStream(mailstream_low_get_fd(plain), peer, settings.timeoutSeconds);
            mailstream_low_free(plain);
            mailstream_set_low(session_->imap_stream, secure);
            ReadCapabilities();
        }
    }
    const int login = mailimap_login(session_, url.user.c_str(), settings.password.c_str());
    if (IsBreak(login)) Check(login, "the login");
    if (login != MAILIMAP_NO_ERROR) {
        const std::string said = session_->imap_response != nullptr ? session_->imap_response : "no reason given";
        Refused("The server " + where + " refused the login of " + url.user + ": " + said);
    }
    lost_ = false;
    ReadCapabilities();
}

void ImapSession::ReadCapabilities() {
    mailimap_capability_data* data = nullptr;
    Check(mailimap_capability(session_, &data), "CAPABILITY");
    mailimap_capability_data_free(data);
    caps_.uidPlus = mailimap_has_uidplus(session_) != 0;
    caps_.condStore = mailimap_has_condstore(session_) != 0;
}

std::vector<ListedFolder> ImapSession::List() {
    clist* found = nullptr;
    Check(mailimap_list(session_, "", "*", &found), "LIST");
    std::vector<ListedFolder> folders;
    for (clistiter* it = clist_begin(found); it != nullptr; it = clist_next(it)) {
        const auto* entry = static_cast<const mailimap_mailbox_list*>(clist_content(it));
        ListedFolder folder{entry->mb_name, entry->mb_delimiter, true};
        if (const mailimap_mbx_list_flags* flags = entry->mb_flag) {
            folder.selectable = flags->mbf_sflag != MAILIMAP_MBX_LIST_SFLAG_NOSELECT;
            for (clistiter* of = clist_begin(flags->mbf_oflags); of != nullptr; of = clist_next(of)) {
                const auto* flag = static_cast<const mailimap_mbx_list_oflag*>(clist_content(of));
                if (flag->of_type == MAILIMAP_MBX_LIST_OFLAG_FLAG_EXT && flag->of_flag_ext != nullptr &&
                    (strcasecmp(flag->of_flag_ext, "NonExistent") == 0 || strcasecmp(flag->of_flag_ext, "Noselect") == 0)) {
                    folder.selectable = false;
                }
            }
        }
        folders.push_back(std::move(folder));
    }
    mailimap_list_result_free(found);
    return folders;
}

SelectedFolder ImapSession::Select(const std::string& folder) {
    if (caps_.condStore) {
        std::uint64_t highest = 0;
        Check(mailimap_select_condstore(session_, folder.c_str(), &highest), "SELECT of a folder");
    } else {
        Check(mailimap_select(session_, folder.c_str()), "SELECT of a folder");
    }
    return {session_->imap_selection_info->sel_uidvalidity, session_->imap_selection_info->sel_uidnext};
}

std::vector<std::uint32_t> ImapSession::AllUids() {
    clist* found = nullptr;
    mailimap_search_key* key = mailimap_search_key_new_all();
    const int code = mailimap_uid_search(session_, nullptr, key, &found);
    mailimap_search_key_free(key);
    Check(code, "UID SEARCH");
    return Uids(found);
}

std::vector<std::uint32_t> ImapSession::UidsOfSize(std::uint32_t first, std::uint64_t size) {
    if (size == 0 || size >= UINT32_MAX) return {};
    clist* found = nullptr;
    mailimap_search_key* key = mailimap_search_key_new_multiple_empty();
    mailimap_search_key_multiple_add(key, mailimap_search_key_new_uid(mailimap_set_new_interval(first, 0)));
    mailimap_search_key_multiple_add(key, mailimap_search_key_new_larger(static_cast<std::uint32_t>(size - 1)));
    mailimap_search_key_multiple_add(key, mailimap_search_key_new_smaller(static_cast<std::uint32_t>(size + 1)));
    const int code = mailimap_uid_search(session_, nullptr, key, &found);
    mailimap_search_key_free(key);
    Check(code, "UID SEARCH");
    return Uids(found);
}

std::vector<FetchedMessage> ImapSession::Fetch(const std::vector<std::uint32_t>& uids, bool flags, bool outline,
                                               int section) {
    if (uids.empty()) return {};
    mailimap_fetch_type* type = mailimap_fetch_type_new_fetch_att_list_empty();
    mailimap_fetch_type_new_fetch_att_list_add(type, mailimap_fetch_att_new_uid());
    if (flags || outline) {
        mailimap_fetch_type_new_fetch_att_list_add(type, mailimap_fetch_att_new_flags());
        if (caps_.condStore) mailimap_fetch_type_new_fetch_att_list_add(type, mailimap_fetch_att_new_modseq());
    }
    if (outline) {
        mailimap_fetch_type_new_fetch_att_list_add(type, mailimap_fetch_att_new_internaldate());
        mailimap_fetch_type_new_fetch_att_list_add(type, mailimap_fetch_att_new_rfc822_size());
        mailimap_fetch_type_new_fetch_att_list_add(type, mailimap_fetch_att_new_bodystructure());
    }
    if (section == kSubjectFields) mailimap_fetch_type_new_fetch_att_list_add(type, SubjectFields());
    if (section == kHeader) {
        mailimap_fetch_type_new_fetch_att_list_add(type, mailimap_fetch_att_new_rfc822_size());
        mailimap_fetch_type_new_fetch_att_list_add(
            type, mailimap_fetch_att_new_body_peek_section(mailimap_section_new_header()));
    }
    if (section == kWhole) {
        mailimap_fetch_type_new_fetch_att_list_add(type,
                                                   mailimap_fetch_att_new_body_peek_section(mailimap_section_new(nullptr)));
    }
    const UidSet set(uids);
    clist* answer = nullptr;
    const int code = mailimap_uid_fetch(session_, set.set, type, &answer);
    mailimap_fetch_type_free(type);
    if (code != MAILIMAP_NO_ERROR && answer != nullptr) mailimap_fetch_list_free(answer);
    Check(code, "UID FETCH");
    std::vector<FetchedMessage> messages = FetchedMessages(answer);
    mailimap_fetch_list_free(answer);
    return messages;
}

std::vector<FetchedMessage> ImapSession::FetchOutlines(const std::vector<std::uint32_t>& uids) {
    return Fetch(uids, true, true, kSubjectFields);
}

std::vector<FetchedMessage> ImapSession::FetchWhole(const std::vector<std::uint32_t>& uids) {
    return Fetch(uids, false, false, kWhole);
}

std::vector<FetchedMessage> ImapSession::FetchFlags(const std::vector<std::uint32_t>& uids) {
    return Fetch(uids, true, false, kNoSection);
}

std::vector<FetchedMessage> ImapSession::FetchHeaders(const std::vector<std::uint32_t>& uids) {
    return Fetch(uids, false, false, kHeader);
}

std::optional<std::uint32_t> ImapSession::Append(const std::string& folder, const std::vector<std::string>& flags,
                                                 const ServerTime& date, const std::string& message) {
    mailimap_flag_list* flagList = FlagList(flags);
    mailimap_date_time* dateTime =
        mailimap_date_time_new(date.day, date.month, date.year, date.hour, date.minute, date.second, date.zone);
    std::uint32_t uidValidity = 0;
    std::uint32_t uid = 0;
    const int code = caps_.uidPlus ? mailimap_uidplus_append(session_, folder.c_str(), flagList, dateTime,
                                                             message.data(), message.size(), &uidValidity, &uid)
                                   : mailimap_append(session_, folder.c_str(), flagList, dateTime, message.data(),
                                                     message.size());
    mailimap_flag_list_free(flagList);
    mailimap_date_time_free(dateTime);
    Check(code, "APPEND of a message");
    return uid != 0 ? std::optional<std::uint32_t>(uid) : std::nullopt;
}

StoreOutcome ImapSession::MarkDeleted(std::uint32_t uid, std::optional<std::uint64_t> unchangedSince,
                                      std::vector<std::string>& flagsAfter) {
    // libetpan writes UNCHANGEDSINCE without the space before it, which
    // servers refuse; the command holds numbers only.
    const std::string command = "UID STORE " + std::to_string(uid) +
                                (unchangedSince ? " (UNCHANGEDSINCE " + std::to_string(*unchangedSince) + ")" : "") +
                                " +FLAGS (\\Deleted)";
    Check(mailimap_custom_command(session_, command.c_str()), "UID STORE");
    const mailimap_response_info* info = session_->imap_response_info;
    for (clistiter* it = clist_begin(info->rsp_extension_list); it != nullptr; it = clist_next(it)) {
        const auto* data = static_cast<const mailimap_extension_data*>(clist_content(it));
        if (data->ext_extension->ext_id == MAILIMAP_EXTENSION_CONDSTORE &&
            data->ext_type == MAILIMAP_CONDSTORE_TYPE_RESP_TEXT_CODE &&
            static_cast<const mailimap_condstore_resptextcode*>(data->ext_data)->cs_type ==
                MAILIMAP_CONDSTORE_RESPTEXTCODE_MODIFIED) {
            return StoreOutcome::Modified;
        }
    }
    for (const FetchedMessage& message : FetchedMessages(info->rsp_fetch_list)) {
        if (message.uid == uid && message.flags) {
            flagsAfter = *message.flags;
            return StoreOutcome::Done;
        }
    }
    return StoreOutcome::Gone;
}

void ImapSession::UnmarkDeleted(std::uint32_t uid) {
    const std::string command = "UID STORE " + std::to_string(uid) + " -FLAGS.SILENT (\\Deleted)";
    Check(mailimap_custom_command(session_, command.c_str()), "UID STORE");
}

void ImapSession::Refresh() { Check(mailimap_noop(session_), "NOOP"); }

void ImapSession::Expunge(const std::vector<std::uint32_t>& uids) {
    if (uids.empty()) return;
    const UidSet set(uids);
    Check(mailimap_uid_expunge(session_, set.set), "UID EXPUNGE");
}

}  // namespace imapstore
