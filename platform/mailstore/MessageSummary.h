#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace mailstore {

// One row of the host's item list: what a message file shows without
// opening it.
struct MessageSummary {
    std::filesystem::path File;
    std::u16string Subject;
    std::u16string From;
    std::u16string MessageId;
    // Seconds since 1970 (UTC): the Date field, else the delivery time of the
    // file's name, else the file's modification time.
    std::int64_t Date = 0;
    std::uint64_t Size = 0;  // of the file
    int Attachments = 0;
    // Why the file cannot be read as a message; empty when it can.
    std::u16string Problem;
};

MessageSummary Summarize(const std::filesystem::path& file);

// The summaries of a folder's message files (in cur/ and new/), by file name.
std::vector<MessageSummary> SummarizeFolder(const std::filesystem::path& folder);

}  // namespace mailstore
