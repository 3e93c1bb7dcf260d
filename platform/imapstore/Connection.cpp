#include "imapstore/Connection.h"

#include <array>
#include <chrono>
#include <thread>
#include <utility>

#include "base/Utf16.h"
#include "host/HostError.h"

namespace imapstore {

namespace {

// A restarted server is back within seconds; one that stays away longer
// than about a quarter of a minute ends the run.
constexpr std::array<std::chrono::milliseconds, 7> kWaits = {
    std::chrono::milliseconds(100), std::chrono::milliseconds(250), std::chrono::milliseconds(500),
    std::chrono::milliseconds(1000), std::chrono::milliseconds(2000), std::chrono::milliseconds(4000),
    std::chrono::milliseconds(8000)};

}  // namespace

Connection::Connection(SessionSettings settings)
    : settings_(std::move(settings)), urlText_(settings_.url.Text()) {}

Connection::~Connection() { ExpungeWaiting(); }

void Connection::Open() {
    try {
        session_ = std::make_unique<ImapSession>(settings_);
    } catch (const SessionLost& lost) {
        throw host::HostError(E_FAIL, velmora::FromUtf8("No connection to " + urlText_ + ": " + lost.what()));
    }
    caps_ = session_->Caps();
}

ImapSession& Connection::Ready(const std::string& folder) {
    if (!problem_.empty()) throw host::HostError(E_FAIL, velmora::FromUtf8(problem_));
    if (!session_) {
        session_ = std::make_unique<ImapSession>(settings_);
        caps_ = session_->Caps();
        selected_.clear();
        if (reconnecting_) events_.push_back("Connected again to " + urlText_ + "; the run goes on");
        reconnecting_ = false;
    }
    if (!folder.empty() && folder != selected_) {
        if (!toExpunge_.empty() && folder != expungeFolder_) ExpungeWaiting();
        selected_.clear();
        const SelectedFolder selected = session_->Select(folder);
        const auto [known, first] = uidValidity_.emplace(folder, selected.uidValidity);
        if (!first && known->second != selected.uidValidity) {
            throw host::HostError(HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND),
                                  velmora::FromUtf8("The server renumbered the messages of the folder " + folder +
                                                    " (its UIDVALIDITY changed) during the run."));
        }
        selected_ = folder;
    }
    return *session_;
}

void Connection::Dropped(const std::string& why, int attempt) {
    session_.reset();
    selected_.clear();
    if (!reconnecting_) events_.push_back("The connection to " + urlText_ + " broke (" + why + "); reconnecting");
    reconnecting_ = true;
    if (attempt >= static_cast<int>(kWaits.size())) {
        problem_ = "The connection to " + urlText_ + " was lost and could not be made again: " + why;
        throw host::HostError(E_FAIL, velmora::FromUtf8(problem_));
    }
    std::this_thread::sleep_for(kWaits[static_cast<std::size_t>(attempt)]);
}

void Connection::ExpungeLater(const std::string& folder, std::uint32_t uid) {
    if (folder != expungeFolder_) ExpungeWaiting();
    expungeFolder_ = folder;
    toExpunge_.push_back(uid);
    if (toExpunge_.size() >= kExpungeGroup) ExpungeWaiting();
}

void Connection::ExpungeWaiting() {
    if (toExpunge_.empty()) return;
    const std::vector<std::uint32_t> uids = std::exchange(toExpunge_, {});
    try {
        Run(expungeFolder_, [&](ImapSession& session) {
            session.Expunge(uids);
            return 0;
        });
    } catch (const host::HostError& error) {
        events_.push_back(std::to_string(uids.size()) + " old messages of rewrites in " + expungeFolder_ +
                          " stay, flagged \\Deleted: " + velmora::ToUtf8(error.Message()));
    }
}

std::uint32_t Connection::UidValidity(const std::string& folder) const {
    const auto found = uidValidity_.find(folder);
    return found == uidValidity_.end() ? 0 : found->second;
}

std::vector<std::string> Connection::TakeEvents() { return std::exchange(events_, {}); }

}  // namespace imapstore
