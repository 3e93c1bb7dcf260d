#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

#include "engine/uOutlookManager.h"
#include "velmora/OverwriteQuestion.h"
#include "velmora/TerminalOutput.h"

namespace velmora::cli {

// The engine's listener on a terminal, as the progress window is on the
// desktop: one line per folder, per item that has attachments and per
// attachment, with the outcome appended to the attachment's line (names,
// subjects and paths with their control characters shown escaped, so that
// a message can neither run escape sequences nor forge log lines); a
// progress line with the counters; the "file already exists" question; and
// cancellation, which the handlers pass on to the engine as soon as
// cancelRequested says so.
class TerminalLog {
public:
    TerminalLog(TerminalOutput& output, OverwriteQuestion& question, std::function<bool()> cancelRequested);
    ~TerminalLog();
    TerminalLog(const TerminalLog&) = delete;
    TerminalLog& operator=(const TerminalLog&) = delete;

    // Sets the engine's five handlers to this log; none clears them on the engine attached before.
    void AttachEngine(TOutlookManager* engine);

    // Start of a run over totalItems items (0 when unknown): clears the
    // state, asks again at the next conflict.
    void Start(std::int32_t totalItems);
    // End of a run: writes the last line, "== FINISHED ==" and the counters.
    void Finish();

private:
    void ProcessFolder(TOutlookManager& engine, const std::u16string& folderName);
    void ProcessMail(TOutlookManager& engine, const std::u16string& subject);
    void ProcessAttachment(TOutlookManager& engine, const std::u16string& fileName);
    void AttachmentStatus(TOutlookManager& engine, const std::u16string& fileName, const std::u16string& directory,
                          TAttachmentStatus kind);
    void FileExists(TOutlookManager& engine, const std::u16string& fileName, const std::u16string& directory,
                    std::uint8_t& answer);

    // The last line stays open for its outcome until the next line begins.
    void AppendLine(std::u16string line);
    void WriteOpenLine();
    void UpdateStatus(bool force = false);
    void PassOnCancel(TOutlookManager& engine);

    TerminalOutput& output_;
    OverwriteQuestion& question_;
    std::function<bool()> cancelRequested_;
    TOutlookManager* engine_ = nullptr;

    std::u16string folderName_;
    std::u16string messageSubject_;
    std::u16string attachmentName_;
    bool mailHeaderWritten_ = false;
    std::uint8_t overwriteMode_ = 2;
    std::int32_t itemsStarted_ = 0;
    std::int32_t totalItems_ = 0;

    std::optional<std::u16string> openLine_;
    bool openLineWritten_ = false;
};

// The progress line: a bar of the items begun out of the total (none when
// the total is unknown), the engine's three counters, and what is being
// processed.
std::u16string ProgressText(std::int32_t itemsStarted, std::int32_t totalItems, std::int32_t folders,
                            std::int32_t messages, std::int32_t attachments, std::u16string_view doing);

}  // namespace velmora::cli
