#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "Payloads.h"

namespace sample {

enum class TransferEncoding { Base64, QuotedPrintable };

struct AttachmentSpec {
    std::string name;  // UTF-8, as the message carries it; empty: an attachment without a file name
    FileKind kind = FileKind::Txt;
    std::size_t size = 0;
    std::uint64_t contentSeed = 0;  // the same kind, size and seed give the same bytes
    bool inlineImage = false;       // shown inside the HTML body through its Content-ID
    TransferEncoding encoding = TransferEncoding::Base64;
};

// A link attachment as an earlier save run leaves it: the file lies below the link root.
struct LinkSpec {
    std::string displayName;
    std::string relativePath;  // below the link root, '/' separated
    bool fileExists = true;
    FileKind kind = FileKind::Pdf;
    std::size_t size = 0;
    std::uint64_t contentSeed = 0;
};

enum class BodyStyle { Text, Html, TextAndHtml };
enum class ItemStyle { Mail, Appointment, MeetingRequest, Task, Contact };

struct MessageSpec {
    std::string folder;  // '/' separated below the mailbox
    std::string subject;
    std::string fromName;
    std::string fromAddress;
    std::int64_t arrival = 0;  // seconds since 1970, UTC: the Date and the Maildir name
    BodyStyle body = BodyStyle::TextAndHtml;
    ItemStyle item = ItemStyle::Mail;
    std::vector<AttachmentSpec> attachments;
    std::vector<LinkSpec> links;
    bool forwardsMessage = false;  // carries an earlier message (with an attachment of its own) as an attachment
    bool seen = true;              // in cur/ with the S flag, else in new/
};

struct PlanOptions {
    std::size_t messages = 300;                    // at least the fixed messages are always written
    std::uint64_t totalBytes = 40ULL << 20;        // of attachment content, about
    std::size_t maxAttachmentBytes = 4ULL << 20;   // of the random messages' attachments
    std::uint64_t seed = 1;
    bool withLinks = false;                        // messages with links into the link root
};

// The folders of the sample, parents first.
std::vector<std::string> SampleFolders();

// Fixed messages with the cases worth seeing (Unicode and hostile names,
// duplicates, inline images, links, calendar items, a contact) followed by
// random ones up to the count, their attachment sizes scaled to the total.
std::vector<MessageSpec> MakePlan(const PlanOptions& options);

}  // namespace sample
