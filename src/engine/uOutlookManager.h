#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "base/Exception.h"
#include "com/ComPtr.h"
#include "engine/uOutlookItem.h"
#include "engine/uOutlookManagerConfig.h"
#include "host/Catalog.h"
#include "host/Outlook.h"
#include "host/RunLocks.h"

namespace velmora {

class TMapiHelper;
class TFileCatalog;
class TSaveBatch;
class TTargetDirectories;
struct TWrittenAttachment;

// The outcome of one attachment; the numbers are what the progress log maps to its texts.
enum TAttachmentStatus : std::uint8_t {
    asSaved = 0,
    asLink = 1,
    asOleObject = 2,
    asNotExtractable = 3,
    asEmbeddedImage = 4,
    asIdenticalFile = 5,
    asRenamed = 6,
    asOverwriting = 7,
    asNotALink = 8,
    asReintroduced = 9,
    asLinkNotFound = 10,
    asLinkOutsideSource = 11,
    asLinkMoved = 12,
    asDestinationExists = 13,
    // Outcomes of the catalog of saved files and of the checks on what is written.
    asLinkNotMade = 14,       // a link that Velmora did not make: left as it is
    asLinkFileChanged = 15,   // the linked file is no longer the file saved: left as it is
    asContentDamaged = 16,    // saved, but the stored content is damaged: left in the item
    asNotWritable = 17,       // the attachment could not be written: skipped
    asTrackedFileKept = 18,   // the existing file holds another item's attachment: not overwritten
    asLinkAdopted = 19,       // a link made before the catalog existed is now in it
};

class EOutlookManagerException : public velmora::Exception {
public:
    using Exception::Exception;
};

// The wrappers of the current selection; the caller owns them.
using TMailSelection = std::vector<std::unique_ptr<TOutlookItem>>;

// The attachment engine: connection to the host, traversal of folders and
// selections, and the save, reintroduce and re-root runs, reported through
// five callbacks. One run at a time; everything on the host's UI thread.
class TOutlookManager {
public:
    using TProcessFolderEvent = std::function<void(TOutlookManager& sender, const std::u16string& folderName)>;
    using TProcessMailEvent = std::function<void(TOutlookManager& sender, const std::u16string& subject)>;
    using TProcessAttachmentEvent = std::function<void(TOutlookManager& sender, const std::u16string& fileName)>;
    using TAttachmentStatusEvent = std::function<void(TOutlookManager& sender, const std::u16string& fileName,
                                                      const std::u16string& directory, TAttachmentStatus status)>;
    using TFileExistsEvent = std::function<void(TOutlookManager& sender, const std::u16string& fileName,
                                                const std::u16string& directory, std::uint8_t& answer)>;

    TOutlookManager();
    ~TOutlookManager();
    TOutlookManager(const TOutlookManager&) = delete;
    TOutlookManager& operator=(const TOutlookManager&) = delete;

    // Connection.
    void Connect(IUnknown* application);
    void Disconnect();
    bool Connected() const { return connected_; }
    bool Busy() const { return busy_; }

    // Run control.
    void ResetCounters();
    void Cancel();
    void BeginProcess();

    // What the host shows.
    bool GetSelectedFolder(com::ComPtr<Outlook::MAPIFolder>& folder);
    bool GetSelectedItems(TMailSelection& selection);
    bool PickFolder(com::ComPtr<Outlook::MAPIFolder>& folder);
    static void ClearSelection(TMailSelection& selection);

    // Save runs.
    void SaveFolder(const std::u16string& dir, Outlook::MAPIFolder* folder, bool subFolders, bool remove);
    void SaveSelection(const std::u16string& dir, TMailSelection& selection, bool remove);

    // Reintroduce and re-root runs, and the send check.
    void ReintroduceFolder(Outlook::MAPIFolder* folder, bool subFolders, bool deleteFiles);
    void ReintroduceSelection(TMailSelection& selection, bool deleteFiles);
    bool ReintroduceMail(TOutlookMailItem& mail, bool deleteFiles);
    void ReRootFolder(Outlook::MAPIFolder* folder, bool subFolders, const std::u16string& oldRoot,
                      const std::u16string& newRoot);
    void ReRootSelection(TMailSelection& selection, const std::u16string& oldRoot, const std::u16string& newRoot);
    bool HasLinkAttachments(Outlook::_MailItem* mail);

    // Links made before the catalog of saved files existed (by an earlier
    // version, or on another machine): each link to a regular file under the
    // root that the catalog does not know is made anew and recorded.
    void AdoptFolder(Outlook::MAPIFolder* folder, bool subFolders, const std::u16string& root);
    void AdoptSelection(TMailSelection& selection, const std::u16string& root);

    std::u16string GetFolderPath(Outlook::MAPIFolder* folder);
    static std::u16string SanitizeFolderName(const std::u16string& name);

    TOutlookManagerConfig& Config() { return *config_; }
    std::int32_t FolderCount() const { return folderCount_; }
    std::int32_t MessageCount() const { return messageCount_; }
    std::int32_t AttachmentCount() const { return attachmentCount_; }

    TProcessFolderEvent OnProcessFolder;
    TProcessMailEvent OnProcessMail;
    TProcessAttachmentEvent OnProcessAttachment;
    TAttachmentStatusEvent OnAttachmentStatus;
    TFileExistsEvent OnFileExists;

    // Unassigns all five callbacks, as a listener does when it lets go.
    void ClearCallbacks() {
        OnProcessFolder = nullptr;
        OnProcessMail = nullptr;
        OnProcessAttachment = nullptr;
        OnAttachmentStatus = nullptr;
        OnFileExists = nullptr;
    }

private:
    // A file a reintroduce run deletes when it ends, unless an entry of the
    // catalog still names it; only while it is still the file that was read.
    struct FileToDelete {
        std::u16string path;
        std::u16string key;
        host::EntryStatus status;
    };
    using FilesToDelete = std::vector<FileToDelete>;

    // Busy is set by BeginProcess and cleared however the run ends; the
    // run holds the locks of the mail store and of the directories it
    // writes to, and the catalog of saved files.
    class RunScope {
    public:
        RunScope(TOutlookManager& engine, const std::vector<std::u16string>& lockedDirectories);
        ~RunScope();
        RunScope(const RunScope&) = delete;
        RunScope& operator=(const RunScope&) = delete;

    private:
        TOutlookManager& engine_;
        std::unique_ptr<host::RunLocks::Lease> lease_;
    };

    // What a save run keeps while it runs.
    struct SaveRun;

    // Traversal.
    void ProcessFolder(const std::u16string& dir, Outlook::MAPIFolder* folder, bool subFolders, bool remove);
    std::unique_ptr<TOutlookItem> GetFolderItem(Outlook::MAPIFolder* folder, std::int32_t index);
    void EnterFolder(Outlook::MAPIFolder& folder);
    std::u16string SubFolderDirectory(const std::u16string& dir, Outlook::MAPIFolder& folder);

    // Save pipeline.
    void RunSave(const std::u16string& dir, bool remove, const std::function<void()>& walk);
    void ProcessItem(const std::u16string& dir, TOutlookItem& item, std::unique_ptr<TOutlookItem> owned,
                     bool remove);
    std::u16string SaveAttachment(const std::u16string& dir, Outlook::Attachment& attachment, TOutlookItem& item);
    std::u16string WriteAttachment(const std::u16string& dir, Outlook::Attachment& attachment, TOutlookItem& item,
                                   const std::u16string& name);
    std::u16string PlaceAttachment(const std::u16string& dir, Outlook::Attachment& attachment, TOutlookItem& item,
                                   const std::u16string& name, TDateTime created);
    void RecordSaved(TOutlookItem& item, const std::u16string& dir, const std::u16string& fileName,
                     const std::u16string& originalName, const TWrittenAttachment& written,
                     const host::EntryStatus& status, bool alreadyRecorded);
    void ReplaceAttachment(TOutlookItem& item, std::int32_t index, Outlook::Attachment& attachment,
                           const std::u16string& savedFile);
    void ForgetLostLinks(TOutlookItem& item);
    std::int32_t GetAttachmentIntProp(Outlook::Attachment& attachment, ULONG tag);
    std::int32_t GetAttachmentSize(Outlook::Attachment& attachment);
    bool IsInlineAttachment(Outlook::Attachment& attachment);

    // Links.
    template <class ItemWalk>
    void WalkFolderTree(Outlook::MAPIFolder* folder, bool subFolders, const ItemWalk& processItem);
    bool ReintroduceItem(TOutlookItem& item, bool collect, FilesToDelete& files);
    void ReRootItem(TOutlookItem& item, const std::u16string& oldRoot, const std::u16string& newRoot);
    void AdoptItem(TOutlookItem& item, const std::u16string& root);
    bool ReportUnreadableName(Outlook::Attachment& attachment);
    void RunReintroduce(bool deleteFiles, const std::function<void(FilesToDelete&)>& walk);
    void DeleteReintroducedFiles(const FilesToDelete& files);
    std::optional<host::CatalogEntry> KnownLink(TOutlookItem& item, Outlook::Attachment& link);
    void RepointLink(TOutlookItem& item, std::int32_t index, Outlook::Attachment& link,
                     const host::CatalogEntry& entry, const std::u16string& path);

    void ReportStatus(const std::u16string& fileName, const std::u16string& dir, TAttachmentStatus status);
    void ReportMail(TOutlookItem& item);

    com::ComPtr<Outlook::_Application> application_;
    com::ComPtr<Outlook::_NameSpace> nameSpace_;
    bool connected_ = false;
    std::int32_t folderCount_ = 0;
    std::int32_t attachmentCount_ = 0;
    std::int32_t messageCount_ = 0;
    std::unique_ptr<TMapiHelper> mapiHelper_;
    std::unique_ptr<TOutlookManagerConfig> config_;
    std::unique_ptr<TFileCatalog> catalog_;  // while a run runs
    std::unique_ptr<SaveRun> saveRun_;       // while a save run runs
    bool cancelled_ = false;
    bool busy_ = false;
};

}  // namespace velmora
