#include "sim/Attachment.h"

#include <limits>
#include <utility>

#include "host/FileSystem.h"
#include "host/Platform.h"
#include "sim/MapiAttachment.h"

namespace sim {

Attachment::Attachment(AttachmentData data)
    : Injectable({"DisplayName", "FileName", "PathName", "Position", "Type", "MAPIOBJECT", "SaveAsFile", "GetProps",
                  "ContentId", "SaveToStream", "ContentIntact", "PartProperties", "SetPartProperties"}),
      data_(std::move(data)) {}

com::ComPtr<Attachment> Attachment::ByValue(std::u16string fileName, Bytes content) {
    AttachmentData data;
    data.DisplayName = fileName;
    data.FileName = std::move(fileName);
    data.Size = SizeOf(content);
    data.Content = std::move(content);
    return com::MakeCom<Attachment>(std::move(data));
}

com::ComPtr<Attachment> Attachment::ByReference(std::u16string path) {
    AttachmentData data;
    data.Type = Outlook::olByReference;
    data.FileName = FileNamePart(path);
    data.DisplayName = data.FileName;
    data.PathName = std::move(path);
    data.Size = 0;
    return com::MakeCom<Attachment>(std::move(data));
}

com::ComPtr<Attachment> Attachment::OleObject(std::u16string displayName) {
    AttachmentData data;
    data.Type = Outlook::olOLE;
    data.FileName = displayName;
    data.DisplayName = std::move(displayName);
    data.Size = 0;
    return com::MakeCom<Attachment>(std::move(data));
}

std::u16string Attachment::DisplayName() {
    Enter("DisplayName");
    return data_.DisplayName;
}

std::u16string Attachment::FileName() {
    Enter("FileName");
    return data_.FileName;
}

std::u16string Attachment::PathName() {
    Enter("PathName");
    return data_.PathName;
}

std::int32_t Attachment::Position() {
    Enter("Position");
    return data_.Position;
}

std::int32_t Attachment::Type() {
    Enter("Type");
    return data_.Type;
}

com::ComPtr<IUnknown> Attachment::MAPIOBJECT() {
    Enter("MAPIOBJECT");
    auto object = com::MakeCom<MapiAttachment>(com::ComPtr<Attachment>(this));
    return com::ComPtr<IUnknown>(object->Identity());
}

void Attachment::SaveAsFile(const std::u16string& path) {
    Enter("SaveAsFile");
    auto file = host::TheFileSystem().Create(path, host::CreateMode::CreateAlways);
    file->Write(data_.Content.data(), data_.Content.size());
    file->Commit();
}

std::u16string Attachment::ContentId() {
    Enter("ContentId");
    return data_.ContentId;
}

void Attachment::SaveToStream(host::OutputStream& stream) {
    Enter("SaveToStream");
    if (data_.Type != Outlook::olByReference) stream.Write(data_.Content.data(), data_.Content.size());
}

bool Attachment::ContentIntact() {
    Enter("ContentIntact");
    return data_.Intact;
}

std::u16string Attachment::PartProperties() {
    Enter("PartProperties");
    return data_.PartProperties;
}

void Attachment::SetPartProperties(const std::u16string& properties) {
    Enter("SetPartProperties");
    data_.PartProperties = properties;
}

std::u16string FileNamePart(const std::u16string& path) {
    const auto separator = path.find_last_of(u"\\/:");
    return separator == std::u16string::npos ? path : path.substr(separator + 1);
}

std::optional<LONG> SizeOf(const Bytes& content) {
    if (content.size() > static_cast<std::size_t>(std::numeric_limits<LONG>::max())) return std::nullopt;
    return static_cast<LONG>(content.size());
}

}  // namespace sim
