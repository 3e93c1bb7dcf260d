// A user saves attachments through the add-in in the host: the tool bar
// button, the options dialog, the progress window, and what the mailbox and
// the disk hold afterwards.

#include <QCheckBox>
#include <QLineEdit>
#include <QRadioButton>
#include <QToolButton>
#include <QTreeWidget>
#include <set>

#include "HostFixture.h"
#include "base/Utf16.h"
#include "qt/Strings.h"

namespace host_test {
namespace {

using velmora::desktop::HostSession;

// The attachments of a folder's messages as the reading pane lists them.
struct FolderAttachments {
    int files = 0;
    int links = 0;
    std::vector<fs::path> linkedFiles;
};

FolderAttachments AttachmentsOf(const fs::path& folder) {
    FolderAttachments found;
    for (const auto& file : HostTest::Messages(folder)) {
        mailstore::MessagePreview preview(file);
        for (const auto& attachment : preview.Attachments()) {
            if (attachment.Link) {
                ++found.links;
                found.linkedFiles.push_back(velmora::ToUtf8(attachment.LinkedPath));
            } else {
                ++found.files;
            }
        }
    }
    return found;
}

std::uint64_t ListedBytes(velmora::desktop::MainWindow& window) {
    std::uint64_t total = 0;
    for (const auto& row : window.Table().Rows()) total += row.Size;
    return total;
}

class SaveRun : public HostTest {};

TEST_F(SaveRun, TheButtonsDialogSavesTheFolderShownRemovingTheAttachmentsAndLeavingLinks) {
    const fs::path inbox = Folder("Inbox");
    const FolderAttachments before = AttachmentsOf(inbox);
    ASSERT_GT(before.files, 0);
    const fs::path saved = Drive('c') / "Saved";
    std::uint64_t listedBefore = 0;
    int identical = 0;
    RunHost([&](HostSession& host) {
        auto& window = host.Window();
        ASSERT_TRUE(window.ShowFolder(inbox));
        listedBefore = ListedBytes(window);
        QWidget* dialog = OpenToSaveWithLinks(host, "C:\\Saved");
        ASSERT_NE(dialog, nullptr);
        ModalAnswers answers;
        answers.Click("&Yes");
        Child<QAbstractButton>(dialog, "btnProcess")->click();
        EXPECT_EQ(answers.Texts(), QStringList{"The selected directory doesn't exists. Do you want to create it?"});

        QWidget* progress = Window("frmProcessLog");
        ASSERT_NE(progress, nullptr);
        EXPECT_EQ(Child<QAbstractButton>(progress, "btnCancel")->text(), "Done");
        EXPECT_SOON(ProgressLog().contains("== FINISHED =="));
        const QStringList log = ProgressLog();
        EXPECT_EQ(log.first(), "Processing folder Inbox");
        EXPECT_EQ(log.filter(QRegularExpression("Attachment saved as .*\\.$")).size(),
                  static_cast<int>(FilesBelow(saved).size()));
        identical = log.filter("Identical file found on").size();
        // The item list follows the rewritten messages on disk.
        EXPECT_SOON(ListedBytes(window) < listedBefore);
        Child<QAbstractButton>(progress, "btnCancel")->click();
        EXPECT_EQ(Window("frmProcessLog"), nullptr);
    });

    const FolderAttachments after = AttachmentsOf(inbox);
    const auto files = FilesBelow(saved);
    ASSERT_FALSE(files.empty());
    // Every attachment removed left a link in its place; the links lead to
    // the files written, identical attachments to one file.
    const int removed = before.files - after.files;
    EXPECT_GT(removed, 0);
    EXPECT_EQ(after.links - before.links, removed);
    std::set<fs::path> linked;
    for (const auto& target : after.linkedFiles) {
        if (target.parent_path() == saved) linked.insert(target.filename());
    }
    EXPECT_EQ(linked, std::set<fs::path>(files.begin(), files.end()));
    EXPECT_EQ(static_cast<int>(files.size()) + identical, removed);
    EXPECT_TRUE(fs::is_empty(inbox / "tmp"));
}

TEST_F(SaveRun, LetMeChooseShowsTheHostsFolderChooserAndSavesTheFolderPicked) {
    const fs::path projects = Folder("Projects");
    const FolderAttachments before = AttachmentsOf(projects);
    const fs::path saved = Drive('c') / "Picked";
    RunHost([&](HostSession& host) {
        ASSERT_TRUE(host.Window().ShowFolder(Folder("Inbox")));
        QWidget* dialog = OpenToSaveWithLinks(host, "C:\\Picked");
        ASSERT_NE(dialog, nullptr);
        Child<QRadioButton>(dialog, "rbtLetMeChoose")->click();
        ModalAnswers answers;
        answers.Click("&Yes").Then([&](QWidget& modal) {
            EXPECT_EQ(modal.objectName(), "FolderChooser");
            auto* tree = Child<QTreeWidget>(&modal, "folders");
            ASSERT_NE(tree, nullptr);
            // The folder shown in the main window is where the chooser starts.
            EXPECT_EQ(tree->currentItem()->text(0), "Inbox");
            const auto found = tree->findItems("Projects", Qt::MatchExactly | Qt::MatchRecursive);
            ASSERT_EQ(found.size(), 1);
            tree->setCurrentItem(found.front());
            QMetaObject::invokeMethod(&modal, "accept", Qt::QueuedConnection);
        });
        Child<QAbstractButton>(dialog, "btnProcess")->click();
        EXPECT_SOON(ProgressLog().contains("== FINISHED =="));
        EXPECT_EQ(ProgressLog().first(), "Processing folder Projects");
        Child<QAbstractButton>(Window("frmProcessLog"), "btnCancel")->click();
    });
    EXPECT_FALSE(FilesBelow(saved).empty());
    const FolderAttachments after = AttachmentsOf(projects);
    EXPECT_LT(after.files, before.files);
    EXPECT_EQ(after.links - before.links, before.files - after.files);
}

}  // namespace
}  // namespace host_test
