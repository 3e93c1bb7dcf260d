#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "com/ComObject.h"
#include "host/Outlook.h"
#include "sim/Attachment.h"
#include "sim/FaultPlan.h"

namespace sim {

// An item's attachments: the list as last saved and the list as changed
// since. Add and Remove change only the current list; the item's Save
// commits it.
class AttachmentCollection : public com::ComObject<Outlook::Attachments>, public Injectable {
public:
    using List = std::vector<com::ComPtr<sim::Attachment>>;

    AttachmentCollection();

    std::int32_t Count() override;
    com::ComPtr<Outlook::Attachment> Item(std::int32_t index) override;
    // Type 1 reads the file through the installed file system; type 4 links to
    // source. The new attachment goes to the end of the list.
    com::ComPtr<Outlook::Attachment> Add(const std::u16string& source, std::int32_t type, std::int32_t position,
                                         const std::u16string& displayName) override;
    void Remove(std::int32_t index) override;

    // Setting up: the attachment belongs to the saved state as well.
    void Seed(com::ComPtr<sim::Attachment> attachment);

    const List& Current() const { return current_; }
    const List& Saved() const { return saved_; }
    bool Changed() const { return current_ != saved_; }
    void Commit() { saved_ = current_; }

private:
    List current_;
    List saved_;
};

}  // namespace sim
