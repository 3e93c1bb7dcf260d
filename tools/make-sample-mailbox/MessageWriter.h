#pragma once

#include <cstdint>
#include <filesystem>
#include <string>

#include "SamplePlan.h"

namespace sample {

struct WriteTotals {
    std::size_t messages = 0;
    std::size_t attachments = 0;
    std::uint64_t attachmentBytes = 0;
    std::size_t links = 0;
};

// Writes the planned messages as RFC 5322 files (GMime) into a tree of
// Maildir folders, and the files of links that exist into the link root.
// Everything that could vary between runs (boundaries, Message-Ids,
// Content-Ids, dates, file names and times) comes from the plan, so the same
// plan gives the same bytes.
class MailboxWriter {
public:
    MailboxWriter(std::filesystem::path mailbox, std::filesystem::path linkRoot);

    // The mailbox directory and every folder of the sample, each a Maildir.
    void CreateFolders();
    void Write(const MessageSpec& message, std::size_t index);

    const WriteTotals& Totals() const { return totals_; }

private:
    std::filesystem::path mailbox_;
    std::filesystem::path linkRoot_;
    WriteTotals totals_;
};

}  // namespace sample
