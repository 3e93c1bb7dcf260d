#pragma once

// The progress log window: listens to the engine during a run, writes one
// line per folder, per item with attachments and per attachment, shows the
// counters, answers the "file already exists" question and offers Cancel.

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "engine/uOutlookManager.h"
#include "host/UserInterface.h"

namespace velmora {

class TfrmProcessLog final : public host::ProgressLogEvents {
public:
    // Milliseconds since an arbitrary start, wrapping at 2^32.
    using TickSource = std::function<std::uint32_t()>;

    // Ticks from the installed system's clock.
    TfrmProcessLog();
    explicit TfrmProcessLog(TickSource ticks);
    // Detaches the engine first, so that it never calls into a window that is gone.
    ~TfrmProcessLog() override;
    TfrmProcessLog(const TfrmProcessLog&) = delete;
    TfrmProcessLog& operator=(const TfrmProcessLog&) = delete;

    // Subscribes the window's five handlers to the engine; none clears them
    // on the attached one. A different engine is attached without touching
    // the old one, which may be gone.
    void AttachEngine(TOutlookManager* engine);
    TOutlookManager* Engine() const { return engine_; }

    // True starts a run (shows the window with a cleared log); false
    // finishes it ("== FINISHED ==", and closes when asked to).
    void SetRunning(bool running);

    // Cancels the attached engine's run, shows the welcome window once, and
    // hides the window. Closing is never refused.
    void Close();

    bool Visible() const { return view_->Visible(); }

    // The engine's handlers.
    void OnProcessFolder(const std::u16string& folderName);
    void OnProcessMail(const std::u16string& subject);
    void OnProcessAttachment(const std::u16string& fileName);
    void OnAttachmentStatus(const std::u16string& fileName, const std::u16string& directory, TAttachmentStatus status);
    void OnFileExists(const std::u16string& fileName, const std::u16string& directory, std::uint8_t& answer);

    // The user's.
    void btnCancelClick() override;
    void btnCopyClick() override;
    void CloseRequested() override;

private:
    // Overwrite answers for the rest of a run.
    enum : std::uint8_t { kRenameAll = 0, kOverwriteAll = 1, kAsk = 2 };

    void AppendLine(const std::u16string& line);
    void StatusUpdate();
    void PumpMessages();

    std::unique_ptr<host::ProgressLogView> view_;
    TickSource ticks_;
    TOutlookManager* engine_ = nullptr;
    std::u16string folderName_;
    std::u16string messageSubject_;
    bool mailHeaderWritten_ = false;
    std::uint32_t lastPumpTick_ = 0;
    std::uint8_t overwriteMode_ = kAsk;
    // The log's last line as written here, to join an outcome to it.
    bool logHasLine_ = false;
    std::u16string lastLine_;
};

}  // namespace velmora
