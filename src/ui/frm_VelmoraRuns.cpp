#include <exception>

#include "ui/frm_Velmora.h"

namespace velmora {

void TfrmVelmora::btnProcessClick() {
    ServingEvents([this] {
        RunHandler([this] {
            EngineHold hold(engineHolds_);
            Process();
        });
    });
}

void TfrmVelmora::Process() {
    auto& view = *view_;
    if (!ValidateOptions()) {
        // Back to the dialog, with what the user typed, to choose another directory.
        view.Show();
        return;
    }
    // The send guard may have let the engine go while the dialog was open.
    if (!engine_) EnsureEngine(application_.Get());
    StoreOptions();
    // An opening from the context menu that keeps its message target leaves
    // the target remembered for the tool bar button alone.
    if (openedFrom_ == kOpenedFromToolBar || !view.rbtSelectedMessage().Checked()) {
        engine_->Config().SetWhatToProcess(TargetIndex());
    }

    ShowProgress(true);
    std::exception_ptr failure;
    try {
        engine_->ResetCounters();
        // The progress window has pumped: a host that let the dialog go meanwhile gets no run.
        if (!self_) RunPage(view.pgcAction().ActivePage());
    } catch (...) {
        failure = std::current_exception();
    }
    ShowProgress(false);
    view.Hide();
    if (failure) std::rethrow_exception(failure);
}

void TfrmVelmora::RunPage(int page) {
    switch (page) {
        case kPageSave:
            RunSave();
            break;
        case kPageReintroduce:
            RunReintroduce();
            break;
        default:
            RunReRoot();
            break;
    }
}

void TfrmVelmora::ShowProgress(bool start) {
    if (!progress_) progress_ = std::make_unique<TfrmProcessLog>();
    progress_->AttachEngine(engine_.get());
    progress_->SetRunning(start);
    view_->Hide();
}

void TfrmVelmora::RunOnTarget(const SelectionRun& onSelection, const FolderRun& onFolder) {
    auto& view = *view_;
    com::ComPtr<Outlook::MAPIFolder> folder;
    if (view.rbtSelectedMessage().Checked()) {
        TMailSelection items;
        if (!engine_->GetSelectedItems(items)) throw EVelmoraException(u"No message selected");
        onSelection(items);
        TOutlookManager::ClearSelection(items);
    } else if (view.rbtSelectedFolder().Checked()) {
        if (!engine_->GetSelectedFolder(folder)) throw EVelmoraException(u"No folder selected");
        onFolder(folder.Get());
    } else if (engine_->PickFolder(folder)) {
        onFolder(folder.Get());
    }
}

void TfrmVelmora::RunSave() {
    auto& view = *view_;
    RunOnTarget(
        [&](TMailSelection& items) {
            engine_->SaveSelection(view.edtDirTo().Text(), items, view.chkRemove().Checked());
        },
        [&](Outlook::MAPIFolder* folder) {
            engine_->SaveFolder(view.edtDirTo().Text(), folder, view.chkProcessSubFolders().Checked(),
                                view.chkRemove().Checked());
        });
}

void TfrmVelmora::RunReintroduce() {
    auto& view = *view_;
    RunOnTarget(
        [&](TMailSelection& items) { engine_->ReintroduceSelection(items, view.chkDeleteAfterReintr().Checked()); },
        [&](Outlook::MAPIFolder* folder) {
            engine_->ReintroduceFolder(folder, view.chkProcessSubFolders().Checked(),
                                       view.chkDeleteAfterReintr().Checked());
        });
}

void TfrmVelmora::RunReRoot() {
    auto& view = *view_;
    RunOnTarget(
        [&](TMailSelection& items) {
            engine_->ReRootSelection(items, view.edtMoveFrom().Text(), view.edtMoveTo().Text());
        },
        [&](Outlook::MAPIFolder* folder) {
            engine_->ReRootFolder(folder, view.chkProcessSubFolders().Checked(), view.edtMoveFrom().Text(),
                                  view.edtMoveTo().Text());
        });
}

}  // namespace velmora
