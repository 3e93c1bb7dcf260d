#include "velmora/TerminalLog.h"

#include <algorithm>

#include "base/Format.h"
#include "base/VisibleText.h"
#include "ui/ProcessLogText.h"

namespace velmora::cli {

namespace {

constexpr std::int32_t kBarWidth = 20;

}  // namespace

std::u16string ProgressText(std::int32_t itemsStarted, std::int32_t totalItems, std::int32_t folders,
                            std::int32_t messages, std::int32_t attachments, std::u16string_view doing) {
    std::u16string text;
    if (totalItems > 0) {
        const std::int32_t done = std::clamp(itemsStarted, 0, totalItems);
        const auto filled = static_cast<std::size_t>(static_cast<std::int64_t>(done) * kBarWidth / totalItems);
        text = u"[" + std::u16string(filled, u'#') + std::u16string(kBarWidth - filled, u'-') + u"] " +
               Format(u"%d/%d items  ", {done, totalItems});
    }
    text += Format(u"%d folders, %d messages, %d saved", {folders, messages, attachments});
    if (!doing.empty()) text += u"  " + std::u16string(doing);
    return text;
}

TerminalLog::TerminalLog(TerminalOutput& output, OverwriteQuestion& question, std::function<bool()> cancelRequested)
    : output_(output), question_(question), cancelRequested_(std::move(cancelRequested)) {}

TerminalLog::~TerminalLog() { AttachEngine(nullptr); }

void TerminalLog::AttachEngine(TOutlookManager* engine) {
    if (engine == engine_) return;
    if (engine == nullptr) {
        engine_->ClearCallbacks();
        engine_ = nullptr;
        return;
    }
    engine_ = engine;
    using namespace std::placeholders;
    engine->OnProcessFolder = std::bind(&TerminalLog::ProcessFolder, this, _1, _2);
    engine->OnProcessMail = std::bind(&TerminalLog::ProcessMail, this, _1, _2);
    engine->OnProcessAttachment = std::bind(&TerminalLog::ProcessAttachment, this, _1, _2);
    engine->OnAttachmentStatus = std::bind(&TerminalLog::AttachmentStatus, this, _1, _2, _3, _4);
    engine->OnFileExists = std::bind(&TerminalLog::FileExists, this, _1, _2, _3, _4);
}

void TerminalLog::Start(std::int32_t totalItems) {
    folderName_.clear();
    messageSubject_.clear();
    attachmentName_.clear();
    mailHeaderWritten_ = false;
    overwriteMode_ = 2;
    itemsStarted_ = 0;
    totalItems_ = totalItems;
    openLine_.reset();
    openLineWritten_ = false;
    UpdateStatus(true);
}

void TerminalLog::Finish() {
    WriteOpenLine();
    openLine_.reset();
    output_.HideProgress();
    output_.WriteLine(kFinishedLine);
    if (engine_ != nullptr) {
        output_.WriteLine(CountersText(engine_->FolderCount(), engine_->MessageCount(), engine_->AttachmentCount()));
    }
}

void TerminalLog::ProcessFolder(TOutlookManager& engine, const std::u16string& folderName) {
    folderName_ = VisibleControls(folderName);
    AppendLine(FolderLine(folderName_));
    messageSubject_.clear();
    attachmentName_.clear();
    UpdateStatus();
    PassOnCancel(engine);
}

void TerminalLog::ProcessMail(TOutlookManager& engine, const std::u16string& subject) {
    messageSubject_ = VisibleControls(subject);
    attachmentName_.clear();
    mailHeaderWritten_ = false;
    ++itemsStarted_;
    UpdateStatus();
    PassOnCancel(engine);
}

void TerminalLog::ProcessAttachment(TOutlookManager& engine, const std::u16string& fileName) {
    if (!mailHeaderWritten_) {
        AppendLine(MailLine(messageSubject_));
        mailHeaderWritten_ = true;
    }
    attachmentName_ = VisibleControls(fileName);
    AppendLine(AttachmentLine(attachmentName_));
    UpdateStatus();
    PassOnCancel(engine);
}

void TerminalLog::AttachmentStatus(TOutlookManager& engine, const std::u16string& fileName,
                                   const std::u16string& directory, TAttachmentStatus kind) {
    const std::u16string outcome = AttachmentStatusText(VisibleControls(fileName), VisibleControls(directory), kind);
    if (!outcome.empty()) {
        // An outcome with no line to join (none written yet) stands on a line of its own.
        if (openLine_) {
            *openLine_ += u" " + outcome;
            openLineWritten_ = false;
        } else {
            AppendLine(outcome);
        }
    }
    UpdateStatus();
    PassOnCancel(engine);
}

void TerminalLog::FileExists(TOutlookManager&, const std::u16string& fileName, const std::u16string& directory,
                             std::uint8_t& answer) {
    answer = overwriteMode_;
    if (overwriteMode_ != 2) return;
    // The attachment's line first, so that the question follows what it is about.
    WriteOpenLine();
    switch (question_.Ask(FileExistsQuestion(VisibleControls(fileName), VisibleControls(directory)))) {
        case OverwriteAnswer::Yes: answer = 1; break;
        case OverwriteAnswer::No: answer = 0; break;
        case OverwriteAnswer::NoToAll:
            answer = 0;
            overwriteMode_ = 0;
            break;
        case OverwriteAnswer::YesToAll:
            answer = 1;
            overwriteMode_ = 1;
            break;
    }
    UpdateStatus(true);
}

void TerminalLog::AppendLine(std::u16string line) {
    WriteOpenLine();
    openLine_ = std::move(line);
    openLineWritten_ = false;
}

void TerminalLog::WriteOpenLine() {
    if (!openLine_ || openLineWritten_) return;
    output_.WriteLine(*openLine_);
    openLineWritten_ = true;
}

void TerminalLog::UpdateStatus(bool force) {
    if (!output_.Interactive()) return;
    std::u16string doing;
    if (!messageSubject_.empty()) {
        doing = Format(u"Processing %s / %s...", {folderName_, messageSubject_});
    } else if (!folderName_.empty()) {
        doing = Format(u"Processing %s...", {folderName_});
    }
    if (!attachmentName_.empty()) doing += u" " + attachmentName_;
    const std::int32_t folders = engine_ ? engine_->FolderCount() : 0;
    const std::int32_t messages = engine_ ? engine_->MessageCount() : 0;
    const std::int32_t attachments = engine_ ? engine_->AttachmentCount() : 0;
    output_.ShowProgress(ProgressText(itemsStarted_, totalItems_, folders, messages, attachments, doing), force);
}

void TerminalLog::PassOnCancel(TOutlookManager& engine) {
    if (cancelRequested_ && cancelRequested_()) engine.Cancel();
}

}  // namespace velmora::cli
