#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "imapstore/ImapSession.h"

namespace imapstore {

// The account's connection for the whole run. A command whose connection
// breaks runs again on a new one, with the folder it needs selected again, so
// that the run goes on at the message it was on; it waits a little longer
// before each attempt and gives up after a while, from when on every command
// fails at once with the reason. Folders keep the UIDVALIDITY they had when
// first selected: a folder the server renumbered since fails every command
// on it with ERROR_FILE_NOT_FOUND, as its messages are gone. The old
// messages of rewrites, flagged \Deleted, are expunged a group at a time.
class Connection {
public:
    explicit Connection(SessionSettings settings);
    ~Connection();

    // Connects, secures and logs in now; host::HostError when it cannot, at once.
    void Open();
    // Runs work(session) with folder selected ("" for none) and gives its result.
    template <class Work>
    auto Run(const std::string& folder, Work&& work) {
        for (int attempt = 0;; ++attempt) {
            try {
                return work(Ready(folder));
            } catch (const SessionLost& lost) {
                Dropped(lost.what(), attempt);
            }
        }
    }
    // Expunges the folder's message (flagged \Deleted) with the next group:
    // when kExpungeGroup wait, before another folder is selected, and at
    // ExpungeWaiting. A group that cannot be expunged leaves its messages
    // flagged, with a warning.
    void ExpungeLater(const std::string& folder, std::uint32_t uid);
    void ExpungeWaiting();
    static constexpr std::size_t kExpungeGroup = 32;
    // What the server offers, as the last session found.
    const Capabilities& Caps() const { return caps_; }
    const std::string& UrlText() const { return urlText_; }
    // The folder's UIDVALIDITY when first selected; 0 before.
    std::uint32_t UidValidity(const std::string& folder) const;
    // Why the connection was given up; empty while it works.
    const std::string& Problem() const { return problem_; }
    // Lines about connections that broke and came back, as they happened.
    std::vector<std::string> TakeEvents();

private:
    ImapSession& Ready(const std::string& folder);
    void Dropped(const std::string& why, int attempt);

    SessionSettings settings_;
    std::string urlText_;
    std::unique_ptr<ImapSession> session_;
    Capabilities caps_;
    std::string selected_;
    std::map<std::string, std::uint32_t> uidValidity_;
    std::string problem_;
    bool reconnecting_ = false;
    std::string expungeFolder_;
    std::vector<std::uint32_t> toExpunge_;
    std::vector<std::string> events_;
};

}  // namespace imapstore
