#include "sim/AttachmentCollection.h"

#include <array>
#include <utility>

#include "base/Format.h"
#include "host/FileSystem.h"
#include "host/HostError.h"
#include "host/Platform.h"
#include "sim/Collections.h"

namespace sim {

namespace {

Bytes ReadWholeFile(const std::u16string& path) {
    auto stream = host::TheFileSystem().OpenRead(path);
    Bytes content;
    std::array<char, 64 * 1024> chunk;
    while (const auto read = stream->Read(chunk.data(), chunk.size())) content.append(chunk.data(), read);
    return content;
}

}  // namespace

AttachmentCollection::AttachmentCollection() : Injectable({"Count", "Item", "Add", "Remove"}) {}

std::int32_t AttachmentCollection::Count() {
    Enter("Count");
    return static_cast<std::int32_t>(current_.size());
}

com::ComPtr<Outlook::Attachment> AttachmentCollection::Item(std::int32_t index) {
    Enter("Item");
    CheckIndex(index, current_.size());
    return current_[static_cast<std::size_t>(index) - 1];
}

com::ComPtr<Outlook::Attachment> AttachmentCollection::Add(const std::u16string& source, std::int32_t type,
                                                           std::int32_t position, const std::u16string& displayName) {
    Enter("Add");
    com::ComPtr<sim::Attachment> added;
    if (type == Outlook::olByValue) {
        added = sim::Attachment::ByValue(FileNamePart(source), ReadWholeFile(source));
    } else if (type == Outlook::olByReference) {
        added = sim::Attachment::ByReference(source);
    } else {
        throw host::HostError(E_INVALIDARG,
                              velmora::Format(u"An attachment of type %d cannot be made from a file.", {type}));
    }
    added->Data().Position = position;
    if (!displayName.empty()) added->Data().DisplayName = displayName;
    current_.push_back(added);
    return added;
}

void AttachmentCollection::Remove(std::int32_t index) {
    Enter("Remove");
    CheckIndex(index, current_.size());
    current_.erase(current_.begin() + (index - 1));
}

void AttachmentCollection::Seed(com::ComPtr<sim::Attachment> attachment) {
    current_.push_back(attachment);
    saved_.push_back(std::move(attachment));
}

}  // namespace sim
