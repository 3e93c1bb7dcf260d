#include "ui/frm_Velmora.h"

#include <exception>
#include <utility>

#include "base/Format.h"
#include "base/Utf16.h"
#include "host/Platform.h"
#include "ui/OptionText.h"
#include "ui/WebPages.h"
#include "ui/frm_Welcome.h"
#include "util/ARQ_FUNC.h"

namespace velmora {

namespace {

// WhatToProcess: the target buttons' numbers.
enum : std::uint8_t { kTargetFolder = 0, kTargetMessage = 1, kTargetLetMeChoose = 2 };

enum { kCreateYes = 0, kCreateNo = 1 };

host::MessageBoxRequest CreateDirectoryQuestion() {
    host::MessageBoxRequest box;
    box.Text = u"The selected directory doesn't exists. Do you want to create it?";
    box.Caption = u"Confirm";
    box.Icon = host::MessageIcon::Question;
    box.Buttons = {u"&Yes", u"&No"};
    box.DefaultButton = kCreateYes;
    box.EscapeButton = kCreateNo;
    return box;
}

std::uint8_t IndexSetting(int itemIndex) { return static_cast<std::uint8_t>(itemIndex < 0 ? 0 : itemIndex); }

}  // namespace

TfrmVelmora::TfrmVelmora() : view_(host::TheWindows().CreateMainDialog(*this)) {}

TfrmVelmora::~TfrmVelmora() { FormDestroy(); }

void TfrmVelmora::ServingEvents(const std::function<void()>& handler) {
    ++handlersServing_;
    std::exception_ptr failure;
    try {
        handler();
    } catch (...) {
        failure = std::current_exception();
    }
    if (--handlersServing_ == 0 && self_) {
        // Released meanwhile: nothing of the dialog is touched after this.
        std::shared_ptr<void> keepAlive = std::move(keepAlive_);
        std::unique_ptr<TfrmVelmora> last = std::move(self_);
        last.reset();
    }
    if (failure) std::rethrow_exception(failure);
}

void TfrmVelmora::Release(std::unique_ptr<TfrmVelmora> dialog, std::shared_ptr<void> keepAlive) {
    if (!dialog || dialog->handlersServing_ == 0) return;
    TfrmVelmora& released = *dialog;
    if (released.engine_) released.engine_->Cancel();
    released.keepAlive_ = std::move(keepAlive);
    released.self_ = std::move(dialog);
}

void TfrmVelmora::EnsureEngine(IUnknown* application) {
    if (!engine_) engine_ = std::make_unique<TOutlookManager>();
    engine_->Connect(application);
    if (!engine_->Connected()) throw EVelmoraException(u"Error connecting to Outlook application");
}

void TfrmVelmora::ShowForApplication(IUnknown* application, std::uint8_t openedFrom) {
    EnsureEngine(application);
    application_ = com::ComPtr<IUnknown>(application);
    openedFrom_ = openedFrom;
    ShowTarget();
    FormShow();
    view_->Show();
}

void TfrmVelmora::ShowTarget() {
    auto& view = *view_;
    const std::uint8_t stored = engine_->Config().WhatToProcess();

    com::ComPtr<Outlook::MAPIFolder> folder;
    const bool hasFolder = engine_->GetSelectedFolder(folder);
    view.rbtSelectedFolder().SetEnabled(hasFolder);
    if (hasFolder) {
        view.rbtSelectedFolder().SetCaption(u"Selected folder: " + folder->Name());
        CheckTarget(view.rbtSelectedFolder(), stored == kTargetFolder);
        if (stored == kTargetLetMeChoose) CheckTarget(view.rbtLetMeChoose(), true);
    } else {
        view.rbtSelectedFolder().SetCaption(u"Selected folder");
        CheckTarget(view.rbtLetMeChoose(), stored == kTargetLetMeChoose);
    }

    TMailSelection items;
    const bool hasItems = engine_->GetSelectedItems(items);
    view.rbtSelectedMessage().SetEnabled(hasItems);
    if (!hasItems) {
        view.rbtSelectedMessage().SetCaption(u"Selected message");
        CheckTarget(view.rbtSelectedFolder(), true);
        return;
    }
    view.rbtSelectedMessage().SetCaption(
        items.size() == 1 ? u"Selected message: " + items.front()->GetSubject()
                          : Format(u"All selected messages (%d)", {static_cast<std::int64_t>(items.size())}));
    CheckTarget(view.rbtSelectedMessage(), openedFrom_ != kOpenedFromToolBar || stored == kTargetMessage);
    TOutlookManager::ClearSelection(items);
}

// Checking a target button from code acts as a click on it; unchecking does not.
void TfrmVelmora::CheckTarget(host::RadioButton& button, bool checked) {
    button.SetChecked(checked);
    if (checked) rbtSelectedFolderClick();
}

void TfrmVelmora::FormShow() { LoadOptions(); }

void TfrmVelmora::LoadOptions() {
    auto& view = *view_;
    const TOutlookManagerConfig& settings = engine_->Config();
    view.edtDirTo().SetText(settings.LastToDir());
    view.edtMoveFrom().SetText(settings.LastToDir());
    view.chkProcessSubFolders().SetChecked(settings.LastProcessSubFolders());
    view.chkRemove().SetChecked(settings.LastRemoveAfterSaving());
    chkRemoveClick();
    view.rgpReplace().SetItemIndex(settings.SaveAttOptions());
    view.chkFolders().SetChecked(settings.UseFolderNameAsDir());
    view.edtExt().SetText(LowerCase(settings.SaveOnlyExtensions()));
    view.edtSize().SetText(Format(u"%d", {std::int64_t{settings.SaveOnlyBiggerThan()}}));
    view.updSize().SetPosition(settings.SaveOnlyBiggerThan());
    view.rgpIfFileExists().SetItemIndex(settings.IfFileExists());
    view.chkInlineImages().SetChecked(settings.SaveInlineAttachments());
    view.pgcAction().SetActivePage(settings.ProcessOption());
    view.chkDeleteAfterReintr().SetChecked(settings.DeleteReintrFile());
}

bool TfrmVelmora::ValidateOptions() {
    auto& view = *view_;
    switch (view.pgcAction().ActivePage()) {
        case kPageSave:
            if (!ConfirmDirectory(view.edtDirTo().Text())) return false;
            view.edtExt().SetText(NormalizeExtensionList(view.edtExt().Text()));
            if (!ParseInteger(view.edtSize().Text())) throw EVelmoraException(u"Invalid message maximum size");
            return true;
        case kPageReintroduce:
            return true;
        default: {
            // The new root is tested as typed, before trimming.
            if (!ConfirmDirectory(view.edtMoveTo().Text())) return false;
            const std::u16string from = Trim(view.edtMoveFrom().Text());
            const std::u16string to = Trim(view.edtMoveTo().Text());
            view.edtMoveFrom().SetText(from);
            view.edtMoveTo().SetText(to);
            if (from.empty()) throw EVelmoraException(u"Error: source directory not specified");
            if (to.empty()) throw EVelmoraException(u"Error: destination directory not specified");
            view.edtMoveFrom().SetText(WithFinalBackslash(from));
            view.edtMoveTo().SetText(WithFinalBackslash(to));
            return true;
        }
    }
}

// A missing directory is created when the user agrees; "&No" stops the OK,
// since a run would create the save directory anyway, and the re-root run
// needs roots that have been checked.
bool TfrmVelmora::ConfirmDirectory(const std::u16string& directory) {
    if (host::TheFileSystem().DirectoryExists(directory)) return true;
    if (Ask(CreateDirectoryQuestion()) == kCreateNo) return false;
    if (!ForceDirectories(directory, true)) {
        throw EVelmoraException(Format(u"Error creating directory: %s", {directory}));
    }
    return true;
}

void TfrmVelmora::StoreOptions() {
    auto& view = *view_;
    TOutlookManagerConfig& settings = engine_->Config();
    settings.SetLastToDir(view.edtDirTo().Text());
    settings.SetLastProcessSubFolders(view.chkProcessSubFolders().Checked());
    settings.SetLastRemoveAfterSaving(view.chkRemove().Checked());
    settings.SetSaveAttOptions(IndexSetting(view.rgpReplace().ItemIndex()));
    settings.SetUseFolderNameAsDir(view.chkFolders().Checked());
    settings.SetSaveOnlyExtensions(Trim(view.edtExt().Text()));
    settings.SetSaveOnlyBiggerThan(ParseInteger(view.edtSize().Text()).value_or(0));
    settings.SetIfFileExists(IndexSetting(view.rgpIfFileExists().ItemIndex()));
    settings.SetSaveInlineAttachments(view.chkInlineImages().Checked());
    settings.SetProcessOption(IndexSetting(view.pgcAction().ActivePage()));
    settings.SetDeleteReintrFile(view.chkDeleteAfterReintr().Checked());
}

std::uint8_t TfrmVelmora::TargetIndex() const {
    if (view_->rbtSelectedMessage().Checked()) return kTargetMessage;
    if (view_->rbtLetMeChoose().Checked()) return kTargetLetMeChoose;
    return kTargetFolder;
}

void TfrmVelmora::FormDeactivate() {
    if (!engine_ || !engine_->Busy()) view_->Hide();
}

void TfrmVelmora::FormDestroy() {
    progress_.reset();
    engine_.reset();
}

void TfrmVelmora::btnCancelClick() { view_->Hide(); }

void TfrmVelmora::btnTipsClick() {
    ServingEvents([] {
        RunHandler([] {
            TfrmWelcome welcome;
            welcome.ShowModal();
        });
    });
}

void TfrmVelmora::btnDirToClick(host::DirButton sender) {
    ServingEvents([&] {
        RunHandler([&] {
            host::TextField& field = sender == host::DirButton::btnMoveTo     ? view_->edtMoveTo()
                                     : sender == host::DirButton::btnMoveFrom ? view_->edtMoveFrom()
                                                                              : view_->edtDirTo();
            pathDialog_.SetDirectory(field.Text());
            if (pathDialog_.Execute()) field.SetText(pathDialog_.Directory());
        });
    });
}

void TfrmVelmora::btnAboutClick() {
    RunHandler([] { host::TheShell().Open(kAboutPage); });
}

void TfrmVelmora::btnDonateClick() {
    RunHandler([] { host::TheShell().Open(kDonatePage); });
}

void TfrmVelmora::chkRemoveClick() { view_->rgpReplace().SetEnabled(view_->chkRemove().Checked()); }

void TfrmVelmora::rbtSelectedFolderClick() {
    view_->chkProcessSubFolders().SetEnabled(view_->rbtSelectedFolder().Checked() ||
                                             view_->rbtLetMeChoose().Checked());
}

}  // namespace velmora
