#pragma once

// The main options dialog: the target, the action and its options, and the
// start of a run, shown in the progress window. It owns the engine and the
// progress window, and guards outgoing mail that still carries links.

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "com/ComPtr.h"
#include "engine/uOutlookManager.h"
#include "host/Outlook.h"
#include "host/UserInterface.h"
#include "ui/Dialogs.h"
#include "ui/PathDialog.h"
#include "ui/frm_ProcessLog.h"

namespace velmora {

// Where the add-in opened the dialog from.
enum : std::uint8_t { kOpenedFromToolBar = 0, kOpenedFromContextMenu = 1 };

// The pages of pgcAction, as ProcessOption stores them.
enum : int { kPageSave = 0, kPageReintroduce = 1, kPageReRoot = 2 };

class TfrmVelmora final : public host::MainDialogEvents {
public:
    TfrmVelmora();
    ~TfrmVelmora() override;
    TfrmVelmora(const TfrmVelmora&) = delete;
    TfrmVelmora& operator=(const TfrmVelmora&) = delete;

    // Called by the add-in object; errors go back to it.
    // Opens the (hidden) dialog for the host's application object.
    void ShowForApplication(IUnknown* application, std::uint8_t openedFrom);
    // The send guard for one outgoing mail item; cancel is the event's
    // in/out flag (VARIANT_TRUE stops the send).
    void CheckOutgoingMail(IUnknown* application, Outlook::_MailItem* mail, VARIANT_BOOL& cancel);
    bool Visible() const { return view_->Visible(); }
    void BringToFront() { view_->BringToFront(); }

    // The engine, none before the first opening and after a send check.
    TOutlookManager* Engine() const { return engine_.get(); }

    // Lets the dialog go, as the add-in does when the host unloads it. A
    // handler that serves the host's events (a run pumping messages, a send
    // check, a modal window) may be on the stack below that call: then its
    // run is cancelled, and the dialog with its engine and progress window
    // lives on, with keepAlive (what must outlive them, such as the module's
    // code), until the last such handler has returned. Otherwise all goes now.
    static void Release(std::unique_ptr<TfrmVelmora> dialog, std::shared_ptr<void> keepAlive);

    // Handlers. FormShow runs when the dialog is shown, FormDestroy when it goes.
    void FormShow();
    void FormDeactivate() override;
    void FormDestroy();
    void btnProcessClick() override;
    void btnCancelClick() override;
    void btnAboutClick() override;
    void btnDonateClick() override;
    void btnTipsClick() override;
    void btnDirToClick(host::DirButton sender) override;
    void chkRemoveClick() override;
    void rbtSelectedFolderClick() override;

private:
    // Counts a handler's hold on the engine for its duration.
    class EngineHold {
    public:
        explicit EngineHold(int& holds) : holds_(holds) { ++holds_; }
        ~EngineHold() { --holds_; }
        EngineHold(const EngineHold&) = delete;
        EngineHold& operator=(const EngineHold&) = delete;

    private:
        int& holds_;
    };

    // Runs a handler that may serve the host's events; a release that came
    // meanwhile frees the dialog when the last one returns, as its last act.
    void ServingEvents(const std::function<void()>& handler);

    using SelectionRun = std::function<void(TMailSelection& items)>;
    using FolderRun = std::function<void(Outlook::MAPIFolder* folder)>;

    void EnsureEngine(IUnknown* application);
    void ShowTarget();
    void CheckTarget(host::RadioButton& button, bool checked);
    void LoadOptions();
    // False when the user declined to create a missing directory.
    bool ValidateOptions();
    bool ConfirmDirectory(const std::u16string& directory);
    void StoreOptions();
    std::uint8_t TargetIndex() const;

    void Process();
    void ShowProgress(bool start);
    void RunPage(int page);
    void RunSave();
    void RunReintroduce();
    void RunReRoot();
    void RunOnTarget(const SelectionRun& onSelection, const FolderRun& onFolder);

    void GuardMail(TOutlookManager& engine, Outlook::_MailItem* mail, VARIANT_BOOL& cancel);
    void ReleaseEngine();

    // Destroyed last: the view calls the handlers above.
    std::unique_ptr<host::MainDialogView> view_;
    std::unique_ptr<TOutlookManager> engine_;
    std::unique_ptr<TfrmProcessLog> progress_;
    TPathDialog pathDialog_;
    std::uint8_t openedFrom_ = kOpenedFromToolBar;
    // The application of the last opening, to reconnect when the send guard
    // let the engine go while the dialog stayed open.
    com::ComPtr<IUnknown> application_;
    // Handlers that hold on to the engine across modal boxes and message
    // pumping (OK, a send check): a send check arriving meanwhile must not
    // release it.
    int engineHolds_ = 0;
    // Handlers on the stack that serve the host's events, and the dialog's
    // ownership of itself once released while one of them ran.
    int handlersServing_ = 0;
    std::unique_ptr<TfrmVelmora> self_;
    std::shared_ptr<void> keepAlive_;
};

}  // namespace velmora
