#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace mailstore {

// One attachment as the host's reading pane lists it.
struct PreviewAttachment {
    std::u16string Name;
    std::uint64_t Size = 0;  // decoded; 0 for a link
    bool Link = false;
    // A link's file: the path as the message stores it (native when it
    // starts with '/', else a Windows path).
    std::u16string LinkedPath;
};

// A message file opened for reading, as the host's reading pane shows it.
// It keeps the file open while it lives.
class MessagePreview {
public:
    // Throws host::HostError when the file is no readable message.
    explicit MessagePreview(const std::filesystem::path& file);
    ~MessagePreview();
    MessagePreview(const MessagePreview&) = delete;
    MessagePreview& operator=(const MessagePreview&) = delete;

    std::u16string Subject() const;
    std::u16string From() const;
    std::u16string To() const;
    std::u16string Cc() const;
    // The Date field as written.
    std::u16string Date() const;
    // The plain-text body, as the item's Body gives it.
    std::u16string Text() const;
    // The HTML body as UTF-8, when there is one.
    std::optional<std::string> Html() const;
    // The decoded content of the leaf part whose Content-ID (without its
    // angle brackets) is id, compared without regard to letter case; none
    // when there is none or when it is stored larger than maxBytes.
    std::optional<std::string> ContentById(std::string_view id, std::size_t maxBytes) const;
    const std::vector<PreviewAttachment>& Attachments() const { return attachments_; }
    // Writes the attachment at that index (from 0), decoded, into a new
    // native file, readable by the user alone; an existing file is never
    // replaced. Failures throw host::HostError and leave no file.
    void SaveAttachment(std::size_t index, const std::filesystem::path& target) const;

private:
    struct Parsed;
    std::unique_ptr<Parsed> parsed_;
    std::vector<PreviewAttachment> attachments_;
};

}  // namespace mailstore
