#pragma once

#include <cstdint>
#include <filesystem>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "ChildProcess.h"
#include "TempDirectory.h"

namespace cli_tests {

namespace fs = std::filesystem;

// A work directory whose registry hives and drives the program finds through
// the environment (set in this process, so that the programs it starts and
// the read-back below see the same), restored afterwards.
class ProgramEnvironment {
public:
    ProgramEnvironment();
    ~ProgramEnvironment();
    ProgramEnvironment(const ProgramEnvironment&) = delete;
    ProgramEnvironment& operator=(const ProgramEnvironment&) = delete;

    const fs::path& Dir() const { return temp_.Path(); }
    fs::path UserHive() const { return Dir() / "registry" / "user.db"; }

    // velmora with these arguments.
    Finished Velmora(std::vector<std::string> arguments, const std::string& input = "") const;
    std::vector<std::string> VelmoraCommand(std::vector<std::string> arguments) const;
    // A sample mailbox of that many messages and MB, with links into linkRoot when given.
    fs::path GenerateMailbox(const std::string& name, int messages, double megabytes,
                             const std::optional<fs::path>& linkRoot = std::nullopt) const;

private:
    testing_support::TempDirectory temp_;
    std::map<std::string, std::optional<std::string>> saved_;
};

// What one message holds, as read back through the store.
struct MessageContents {
    std::string messageId;                 // from GMime's own parse of the file
    bool wrapped = false;                  // the engine wraps it (mail, appointment, meeting request, task)
    std::multiset<std::string> contents;   // each attachment's bytes, by value or through its link, as "size:hash"
    int byValue = 0;
    int links = 0;
    std::vector<std::u16string> linkPaths;  // Windows paths of the links
    std::vector<std::u16string> names;      // file names of the attachments by value
    std::u16string body;
};

// Every message of the mailbox by its folder and Message-Id ("<folder>/<id>";
// a save gives a message file a new name, never a new Message-Id). Fails the
// calling test (and says why) when a message file does not parse or two
// files of a folder hold the same message with other attachments. (A run
// killed while it commits a batch of rewrites can leave a message's new file
// beside its old one, both whole, until the next write in that folder.)
using MailboxContents = std::map<std::string, MessageContents>;
MailboxContents ReadMailbox(const fs::path& mailbox);

// Bytes as MessageContents keeps them: "size:hash".
std::string Fingerprint(const std::string& bytes);
std::string FileFingerprint(const fs::path& file);

// The number of regular files below a directory (0 when it does not exist).
std::size_t CountFiles(const fs::path& directory);

// What each message holds, by Message-ID (its file's name may change).
std::map<std::string, std::multiset<std::string>> ContentsById(const fs::path& mailbox);

// Fails the calling test for each file below the directory under a real
// name (not a run's temporary one) whose bytes are not those of one of the
// attachments (fingerprints as MessageContents keeps them).
void ExpectOnlyWholeFiles(const fs::path& directory, const std::set<std::string>& attachments, int run);

}  // namespace cli_tests
