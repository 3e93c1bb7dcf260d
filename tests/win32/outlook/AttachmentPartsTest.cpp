// What the adapters read and write of an attachment through the client's
// PropertyAccessor, and its content through SaveAsFile.

#include <gtest/gtest.h>

#include <windows.h>

#include <map>
#include <string>

#include "FakeObject.h"
#include "host/HostError.h"
#include "host/Outlook.h"
#include "win32/outlook/AttachmentParts.h"

namespace {

using fakehost::FakeObject;
using fakehost::LateValue;

constexpr char16_t kContentId[] = u"http://schemas.microsoft.com/mapi/proptag/0x3712001F";
constexpr char16_t kMimeTag[] = u"http://schemas.microsoft.com/mapi/proptag/0x370E001F";
constexpr char16_t kHidden[] = u"http://schemas.microsoft.com/mapi/proptag/0x7FFE000B";
constexpr char16_t kFlags[] = u"http://schemas.microsoft.com/mapi/proptag/0x37140003";

// An attachment whose property accessor keeps MAPI properties by schema name.
class FakeAttachment {
public:
    explicit FakeAttachment(std::int32_t type) {
        attachment->Property(u"Type", 1, LateValue::Int(type));
        attachment->Property(u"Position", 2, LateValue::Int(5));
        attachment->Member(u"PropertyAccessor", 3, [this](auto&) { return LateValue::Object(accessor.Get()); });
        attachment->Member(u"SaveAsFile", 4, [this](std::vector<VARIANT>& arguments) {
            LateValue path;
            VariantCopy(path.Put(), &arguments.at(0));
            const std::u16string file = path.AsText();
            HANDLE out = CreateFileW(reinterpret_cast<const wchar_t*>(file.c_str()), GENERIC_WRITE, 0, nullptr,
                                     CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
            DWORD written = 0;
            WriteFile(out, content.data(), static_cast<DWORD>(content.size()), &written, nullptr);
            CloseHandle(out);
            return LateValue();
        });
        accessor->Member(u"GetProperty", 1, [this](std::vector<VARIANT>& arguments) {
            LateValue name;
            VariantCopy(name.Put(), &arguments.at(0));
            auto found = properties.find(name.AsText());
            if (found == properties.end()) {
                throw host::HostError(static_cast<HRESULT>(0x8004010F), u"The property is unknown");
            }
            return LateValue(found->second);
        });
        accessor->Member(u"SetProperty", 2, [this](std::vector<VARIANT>& arguments) {
            LateValue name;
            VariantCopy(name.Put(), &arguments.at(0));
            LateValue value;
            VariantCopy(value.Put(), &arguments.at(1));
            properties.erase(name.AsText());
            properties.emplace(name.AsText(), value);
            return LateValue();
        });
    }

    win32::LateBound Late() { return win32::LateBound(com::ComPtr<IDispatch>(attachment.Get())); }

    com::ComPtr<FakeObject> attachment = fakehost::MakeFake();
    com::ComPtr<FakeObject> accessor = fakehost::MakeFake();
    std::map<std::u16string, LateValue> properties;
    std::string content;
};

class MemoryStream final : public host::OutputStream {
public:
    void Write(const void* data, std::size_t size) override { bytes.append(static_cast<const char*>(data), size); }
    void Commit() override {}
    std::string bytes;
};

TEST(AttachmentParts, AMissingContentIdIsEmptyAndAnotherFailureIsNot) {
    FakeAttachment part(Outlook::olByValue);
    auto late = part.Late();
    EXPECT_EQ(win32::AttachmentContentId(late), u"");
    part.properties.emplace(kContentId, LateValue::Text(u"image001@01D9"));
    EXPECT_EQ(win32::AttachmentContentId(late), u"image001@01D9");
    part.accessor->Member(u"GetProperty", 1, [](auto&) -> LateValue {
        throw host::HostError(E_ACCESSDENIED, u"Refused");
    });
    EXPECT_THROW(win32::AttachmentContentId(late), host::HostError);
}

TEST(AttachmentParts, ThePartsDescriptionCarriesItsPropertiesToANewAttachment) {
    FakeAttachment original(Outlook::olByValue);
    original.properties.emplace(kMimeTag, LateValue::Text(u"image/png; name=\"a\\b.png\"\r\nX"));
    original.properties.emplace(kContentId, LateValue::Text(u"logo@example"));
    original.properties.emplace(kHidden, LateValue::Bool(true));
    original.properties.emplace(kFlags, LateValue::Int(4));
    auto source = original.Late();
    const std::u16string description = win32::AttachmentPartProperties(source);
    EXPECT_NE(description.find(u"position=5\r\n"), std::u16string::npos);

    FakeAttachment copy(Outlook::olByValue);
    auto target = copy.Late();
    win32::SetAttachmentPartProperties(target, description);
    EXPECT_EQ(copy.properties.at(kMimeTag).AsText(), u"image/png; name=\"a\\b.png\"\r\nX");
    EXPECT_EQ(copy.properties.at(kContentId).AsText(), u"logo@example");
    EXPECT_TRUE(copy.properties.at(kHidden).AsBool());
    EXPECT_EQ(copy.properties.at(kFlags).AsInt(), 4);

    // A link keeps its own Content-ID; lines it does not know change nothing.
    FakeAttachment link(Outlook::olByReference);
    link.properties.emplace(kContentId, LateValue::Text(u"link@velmora"));
    auto linked = link.Late();
    win32::SetAttachmentPartProperties(linked, description + u"colour=blue\r\nflags=many\r\nno equals sign");
    EXPECT_EQ(link.properties.at(kContentId).AsText(), u"link@velmora");
    EXPECT_EQ(link.properties.at(kMimeTag).AsText(), u"image/png; name=\"a\\b.png\"\r\nX");
    EXPECT_EQ(link.properties.at(kFlags).AsInt(), 4);
}

TEST(AttachmentParts, SavingToAStreamWritesWhatSaveAsFileWritesAndLeavesNoFile) {
    FakeAttachment part(Outlook::olByValue);
    part.content = std::string(3 * 1024 * 1024 + 5, 'z');
    auto late = part.Late();
    MemoryStream stream;
    win32::SaveAttachmentToStream(late, stream);
    EXPECT_EQ(stream.bytes, part.content);
    const std::u16string file = part.attachment->LastArguments().at(0).AsText();
    EXPECT_EQ(GetFileAttributesW(reinterpret_cast<const wchar_t*>(file.c_str())), INVALID_FILE_ATTRIBUTES);
}

}  // namespace
