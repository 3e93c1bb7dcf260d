#include "ui/frm_ProcessLog.h"

#include "base/Format.h"
#include "host/Platform.h"
#include "ui/Dialogs.h"
#include "ui/ProcessLogText.h"
#include "ui/frm_Welcome.h"

namespace velmora {

namespace {

// The status update raises the window and pumps at most this often.
constexpr std::uint32_t kPumpIntervalMs = 500;

// The buttons of the overwrite question, in the order shown.
enum OverwriteAnswer { kYes = 0, kNo = 1, kNoToAll = 2, kYesToAll = 3 };

host::MessageBoxRequest OverwriteQuestion(const std::u16string& fileName, const std::u16string& directory) {
    host::MessageBoxRequest box;
    box.Text = FileExistsQuestion(fileName, directory);
    box.Caption = u"Confirm";
    box.Icon = host::MessageIcon::Question;
    box.Buttons = {u"&Yes", u"&No", u"N&o to All", u"Yes to &All"};
    box.DefaultButton = kYes;
    box.EscapeButton = kNo;
    return box;
}

}  // namespace

TfrmProcessLog::TfrmProcessLog() : TfrmProcessLog([] { return host::TheSystem().TickCount(); }) {}

TfrmProcessLog::TfrmProcessLog(TickSource ticks)
    : view_(host::TheWindows().CreateProgressLog(*this)), ticks_(std::move(ticks)) {}

TfrmProcessLog::~TfrmProcessLog() { AttachEngine(nullptr); }

void TfrmProcessLog::AttachEngine(TOutlookManager* engine) {
    if (engine == engine_) return;
    if (engine == nullptr) {
        engine_->ClearCallbacks();
        engine_ = nullptr;
        return;
    }
    engine_ = engine;
    engine->OnProcessFolder = [this](TOutlookManager&, const std::u16string& name) { OnProcessFolder(name); };
    engine->OnProcessMail = [this](TOutlookManager&, const std::u16string& subject) { OnProcessMail(subject); };
    engine->OnProcessAttachment = [this](TOutlookManager&, const std::u16string& name) { OnProcessAttachment(name); };
    engine->OnAttachmentStatus = [this](TOutlookManager&, const std::u16string& file, const std::u16string& dir,
                                        TAttachmentStatus status) { OnAttachmentStatus(file, dir, status); };
    engine->OnFileExists = [this](TOutlookManager&, const std::u16string& file, const std::u16string& dir,
                                  std::uint8_t& answer) { OnFileExists(file, dir, answer); };
}

void TfrmProcessLog::SetRunning(bool running) {
    if (running) {
        view_->Show();
        view_->mmoLog().Clear();
        logHasLine_ = false;
        folderName_.clear();
        messageSubject_.clear();
        mailHeaderWritten_ = false;
        view_->lblFolder().SetCaption(Format(u"Processing folder %s", {u""}));
        view_->btnCancel().SetCaption(u"Cancel");
        overwriteMode_ = kAsk;
        StatusUpdate();
        return;
    }
    view_->Beep();
    view_->btnCancel().SetCaption(u"Done");
    StatusUpdate();
    view_->lblFolder().SetCaption(u"");
    AppendLine(std::u16string(kFinishedLine));
    if (view_->chkCloseWhenFinished().Checked()) Close();
}

void TfrmProcessLog::Close() {
    if (engine_ != nullptr) engine_->Cancel();
    if (engine_ != nullptr && !engine_->Config().DisplayedWelcomeMsg()) {
        TfrmWelcome welcome;
        welcome.ShowModal();
        // The engine may have been detached while the welcome window was up.
        if (engine_ != nullptr) engine_->Config().SetDisplayedWelcomeMsg(true);
    }
    view_->Hide();
}

void TfrmProcessLog::OnProcessFolder(const std::u16string& folderName) {
    AppendLine(FolderLine(folderName));
    folderName_ = folderName;
    messageSubject_.clear();
    StatusUpdate();
}

void TfrmProcessLog::OnProcessMail(const std::u16string& subject) {
    messageSubject_ = subject;
    mailHeaderWritten_ = false;
    StatusUpdate();
}

void TfrmProcessLog::OnProcessAttachment(const std::u16string& fileName) {
    if (!mailHeaderWritten_) {
        AppendLine(MailLine(messageSubject_));
        mailHeaderWritten_ = true;
    }
    AppendLine(AttachmentLine(fileName));
    view_->BringToFront();
    PumpMessages();
}

void TfrmProcessLog::OnAttachmentStatus(const std::u16string& fileName, const std::u16string& directory,
                                        TAttachmentStatus status) {
    const std::u16string outcome = AttachmentStatusText(fileName, directory, status);
    if (outcome.empty()) return;
    // An outcome with no line to join stands on a line of its own.
    if (!logHasLine_) {
        AppendLine(outcome);
        return;
    }
    view_->mmoLog().RewriteLastLine(lastLine_ + u" " + outcome);
    lastLine_ += u" " + outcome;
}

void TfrmProcessLog::OnFileExists(const std::u16string& fileName, const std::u16string& directory,
                                  std::uint8_t& answer) {
    answer = overwriteMode_;
    if (overwriteMode_ != kAsk) return;
    switch (Ask(OverwriteQuestion(fileName, directory))) {
        case kYes:
            answer = 1;
            break;
        case kNoToAll:
            answer = 0;
            overwriteMode_ = kRenameAll;
            break;
        case kYesToAll:
            answer = 1;
            overwriteMode_ = kOverwriteAll;
            break;
        default:
            answer = 0;
            break;
    }
}

void TfrmProcessLog::btnCancelClick() {
    RunHandler([this] {
        if (engine_ != nullptr) engine_->Cancel();
        Close();
    });
}

void TfrmProcessLog::btnCopyClick() {
    RunHandler([this] {
        view_->mmoLog().SelectAll();
        host::TheClipboard().SetText(view_->mmoLog().Text());
    });
}

void TfrmProcessLog::CloseRequested() {
    RunHandler([this] { Close(); });
}

void TfrmProcessLog::AppendLine(const std::u16string& line) {
    view_->mmoLog().Append(line);
    lastLine_ = line;
    logHasLine_ = true;
}

void TfrmProcessLog::StatusUpdate() {
    if (!messageSubject_.empty()) {
        view_->lblFolder().SetCaption(Format(u"Processing %s / %s...", {folderName_, messageSubject_}));
    } else {
        view_->lblFolder().SetCaption(Format(u"Processing %s...", {folderName_}));
    }
    if (engine_ != nullptr) {
        view_->lblStatus().SetCaption(
            CountersText(engine_->FolderCount(), engine_->MessageCount(), engine_->AttachmentCount()));
    }
    // Unsigned difference: the wrap of the tick counter is harmless.
    if (static_cast<std::uint32_t>(ticks_() - lastPumpTick_) > kPumpIntervalMs) {
        view_->BringToFront();
        PumpMessages();
        lastPumpTick_ = ticks_();
    }
}

void TfrmProcessLog::PumpMessages() {
    // A quit request taken from the queue cancels the run and goes no further.
    if (host::TheMessagePump().ProcessPendingEvents() && engine_ != nullptr && engine_->Busy()) engine_->Cancel();
}

}  // namespace velmora
