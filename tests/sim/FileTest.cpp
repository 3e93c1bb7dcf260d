#include <gtest/gtest.h>

#include <string>

#include "TestPlatform.h"
#include "host/HostError.h"
#include "sim/OutlookBuilder.h"

namespace {

class SimFiles : public ::testing::Test {
protected:
    testing_support::TestPlatform platform;
    sim::OutlookBuilder b;
    sim::Item& item = b.Store(u"P").Folder(u"Inbox").Mail(u"m");
    com::ComPtr<Outlook::_MailItem> mail = sim::As<Outlook::_MailItem>(item);
};

TEST_F(SimFiles, SaveAsFileWritesTheContentAndReplacesAnExistingFile) {
    const std::string content("PDF\0binary\xff", 11);
    item.Attach(u"a.pdf", content);
    platform.WriteFile(u"C:\\Out\\a.pdf", "an older and longer file");

    mail->Attachments()->Item(1)->SaveAsFile(u"c:\\out\\A.PDF");
    EXPECT_EQ(platform.ReadFile(u"C:\\Out\\a.pdf"), content);
}

TEST_F(SimFiles, FailedSaveAsFileWritesNothing) {
    item.Attach(u"a.pdf", "data");
    auto attachment = mail->Attachments()->Item(1);
    item.AttachmentAt(1).Faults().FailOnCall("SaveAsFile", 1, E_FAIL, u"planned");
    EXPECT_THROW(attachment->SaveAsFile(u"C:\\a.pdf"), host::HostError);
    EXPECT_FALSE(platform.FileSystem().FileExists(u"C:\\a.pdf"));

    // A directory that does not exist is the file system's failure, passed on.
    EXPECT_THROW(attachment->SaveAsFile(u"C:\\Missing\\a.pdf"), host::HostError);
    attachment->SaveAsFile(u"C:\\a.pdf");
    EXPECT_EQ(platform.ReadFile(u"C:\\a.pdf"), "data");
}

TEST_F(SimFiles, AddByValueCopiesTheWholeFile) {
    std::string large(200'000, '\0');
    for (std::size_t i = 0; i < large.size(); ++i) large[i] = static_cast<char>(i % 251);
    platform.WriteFile(u"D:\\Attachments\\Inbox\\big.bin", large);
    item.Link(u"D:\\Attachments\\Inbox\\big.bin");

    auto attachments = mail->Attachments();
    auto added = attachments->Add(u"d:\\attachments\\inbox\\big.bin", Outlook::olByValue, 1, u"big.bin");
    ASSERT_EQ(attachments->Count(), 2);
    EXPECT_EQ(added->Type(), Outlook::olByValue);
    EXPECT_EQ(added->FileName(), u"big.bin");
    EXPECT_EQ(added->PathName(), u"");
    const auto& data = item.AttachmentAt(2).Data();
    EXPECT_EQ(data.Content, large);
    EXPECT_EQ(data.Size, 200'000);

    // The copy no longer depends on the file.
    platform.FileSystem().Remove(u"D:\\Attachments\\Inbox\\big.bin");
    attachments->Remove(1);
    mail->Save();
    ASSERT_EQ(item.SavedAttachments().size(), 1u);
    added->SaveAsFile(u"C:\\copy.bin");
    EXPECT_EQ(platform.ReadFile(u"C:\\copy.bin"), large);
}

TEST_F(SimFiles, AddByValueOfAMissingFileFailsAndChangesNothing) {
    item.Link(u"C:\\gone.pdf");
    auto attachments = mail->Attachments();
    EXPECT_THROW(attachments->Add(u"C:\\gone.pdf", Outlook::olByValue, 1, u"gone.pdf"), host::HostError);
    platform.WriteFile(u"C:\\Folder\\x", "");
    EXPECT_THROW(attachments->Add(u"C:\\Folder", Outlook::olByValue, 1, u"Folder"), host::HostError);
    EXPECT_EQ(attachments->Count(), 1);
    EXPECT_FALSE(item.HasUnsavedChanges());
}

}  // namespace
