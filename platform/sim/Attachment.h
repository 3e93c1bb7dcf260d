#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "com/ComObject.h"
#include "host/Outlook.h"
#include "sim/FaultPlan.h"

namespace sim {

// An attachment's content: any bytes.
using Bytes = std::string;

// Everything an attachment is made of. Tests read and change it directly,
// without going through the host operations and their counts.
struct AttachmentData {
    std::u16string DisplayName;
    std::u16string FileName;
    // The linked file of a by-reference attachment; empty for other types,
    // so that it never names an existing file.
    std::u16string PathName;
    std::int32_t Position = 0;
    std::int32_t Type = Outlook::olByValue;
    Bytes Content;
    // PR_ATTACH_SIZE and PR_ATTACH_FLAGS as the MAPI object reports them; empty: absent.
    std::optional<LONG> Size;
    std::optional<LONG> Flags;
    // False: MAPIOBJECT gives an object that answers no IAttachment.
    bool AnswersIAttachment = true;
    std::u16string ContentId;
    // False: the content counts as damaged in its stored form.
    bool Intact = true;
    // What PartProperties gives and SetPartProperties takes, kept as it is.
    std::u16string PartProperties;
};

class Attachment : public com::ComObject<Outlook::Attachment>, public Injectable {
public:
    explicit Attachment(AttachmentData data);

    // By value: the file name is the display name, the size that of the content.
    static com::ComPtr<Attachment> ByValue(std::u16string fileName, Bytes content);
    // By reference to path; file and display name are its file-name part.
    static com::ComPtr<Attachment> ByReference(std::u16string path);
    static com::ComPtr<Attachment> OleObject(std::u16string displayName);

    std::u16string DisplayName() override;
    std::u16string FileName() override;
    std::u16string PathName() override;
    std::int32_t Position() override;
    std::int32_t Type() override;
    com::ComPtr<IUnknown> MAPIOBJECT() override;
    void SaveAsFile(const std::u16string& path) override;
    std::u16string ContentId() override;
    void SaveToStream(host::OutputStream& stream) override;
    bool ContentIntact() override;
    std::u16string PartProperties() override;
    void SetPartProperties(const std::u16string& properties) override;

    AttachmentData& Data() { return data_; }
    const AttachmentData& Data() const { return data_; }

private:
    AttachmentData data_;
};

// The file-name part of a Windows path: what follows the last '\', '/' or ':'.
std::u16string FileNamePart(const std::u16string& path);

// The size MAPI reports for content; absent when it does not fit its 32 bits.
std::optional<LONG> SizeOf(const Bytes& content);

}  // namespace sim
