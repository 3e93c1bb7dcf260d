#include "addin/uVelmora.h"

#include <exception>
#include <utility>

#include "addin/CmdBarHack.h"
#include "addin/HostAdapter.h"
#include "addin/ModuleState.h"
#include "base/Utf16.h"
#include "host/HostError.h"
#include "host/Outlook.h"
#include "host/UserInterface.h"
#include "ui/Dialogs.h"

namespace velmora {

namespace {

// Calls come on the host's one user-interface thread, so one record serves.
std::optional<TErrorInfo> lastError;

// A nested operation failed and has left its error information already.
struct FailedResult {
    HRESULT Code;
};

HRESULT Fail(HRESULT code, std::u16string description) {
    lastError = TErrorInfo{std::move(description), AddInFactory().ProgID()};
    return FAILED(code) ? code : E_UNEXPECTED;
}

// Runs an operation's body; an error never leaves it, it becomes the
// operation's result code and error information.
template <class Body>
HRESULT Guarded(Body&& body) {
    try {
        body();
        return S_OK;
    } catch (const FailedResult& failed) {
        return failed.Code;
    } catch (const host::HostError& error) {
        return Fail(error.Code(), error.Message());
    } catch (const Exception& error) {
        return Fail(E_UNEXPECTED, error.Message());
    } catch (const std::exception& error) {
        return Fail(E_UNEXPECTED, FromUtf8(error.what()));
    } catch (...) {
        return Fail(E_UNEXPECTED, u"Unexpected error");
    }
}

// Keeps the module loaded while a dialog the host let go finishes its run.
struct TModuleLock final : TModuleObject {};

void ShowHostRefused() {
    host::MessageBoxRequest box;
    box.Text = u"This Add-in only supports Word , Outlook and Excel.";
    box.Caption = u"Error";
    box.Icon = host::MessageIcon::Error;
    box.Buttons = {u"OK"};
    box.SystemBox = true;
    host::TheMessageBoxes().Show(box);
}

}  // namespace

com::ComPtr<IDispatch>& ModuleApplication() {
    static com::ComPtr<IDispatch> application;
    return application;
}

std::unique_ptr<TfrmVelmora>& MainDialog() {
    static std::unique_ptr<TfrmVelmora> dialog;
    return dialog;
}

std::optional<TErrorInfo> TakeErrorInfo() { return std::exchange(lastError, std::nullopt); }

com::ComPtr<IUnknown> CreateVelmora() {
    auto object = com::MakeCom<TVelmora>();
    return com::ComPtr<IUnknown>(object->Identity());
}

TVelmora::~TVelmora() {
    try {
        DisconnectSinks();
    } catch (...) {
        // The host is letting go; there is nobody left to tell.
    }
    if (HostApplication && ModuleApplication() == HostApplication) ModuleApplication().Reset();
}

void* TVelmora::Find(REFIID iid) {
    if (iid == IID_IDispatch || iid == Office::IID__IDTExtensibility2) return static_cast<IVelmora*>(this);
    return ComObject::Find(iid);
}

HRESULT TVelmora::OnConnection(IDispatch* Application, Office::ext_ConnectMode ConnectMode, IDispatch*,
                               SAFEARRAY** custom) {
    return Guarded([&] {
        com::ComPtr<IDispatch> application = AdaptHostApplication(Application);
        if (!application.As<Outlook::_Application>()) {
            ShowHostRefused();
            throw Exception(u"Initialization failed");
        }
        HostApplication = application;
        ModuleApplication() = HostApplication;
        PictureSupported = true;
        if (ConnectMode != Office::ext_cm_Startup) {
            if (HRESULT result = OnStartupComplete(custom); FAILED(result)) throw FailedResult{result};
        }
    });
}

HRESULT TVelmora::OnStartupComplete(SAFEARRAY**) {
    return Guarded([&] {
        // A second start-up completion replaces the first one's sinks; the
        // context entry keeps its own.
        DisconnectSink(MainButton.Get(), ButtonCookie, ButtonSink);
        DisconnectSink(CommandBars.Get(), BarsCookie, BarsSink);
        CommandBars.Reset();
        DisconnectSink(HostApplication.Get(), AppCookie, AppSink);
        com::ComPtr<Office::_CommandBars> Bars = GetHostCommandBars(HostApplication.Get());

        ToolBar.Reset();
        const std::int32_t count = Bars->Count();
        for (std::int32_t i = 1; i <= count; ++i) {
            com::ComPtr<Office::CommandBar> bar = Bars->Item(i);
            if (bar->Name() == kToolBarName) {
                ToolBar = bar;
                break;
            }
        }
        if (!ToolBar) ToolBar = Bars->Add(kToolBarName, std::nullopt, std::nullopt, std::nullopt);

        com::ComPtr<Office::CommandBarControls> controls = ToolBar->Controls();
        const bool isNew = controls->Count() == 0;
        MainButton = isNew ? controls->Add(Office::msoControlButton, std::nullopt, std::nullopt, std::nullopt,
                                           std::nullopt)
                           : controls->Item(1);
        MainButton->SetCaption(kButtonCaption);
        if (isNew) ApplyButtonFace(*MainButton, true);
        MainButton->SetVisible(true);

        ButtonSink = std::make_unique<TButtonEventSink>(
            [this](IDispatch*, VARIANT_BOOL&) { ShowMainDialog(kOpenedFromToolBar); });
        ButtonCookie = TEventSink::Connect(MainButton.Get(), *ButtonSink);
        ToolBar->SetVisible(true);

        HookCommandBars(Bars);

        AppSink = std::make_unique<TAppEventsSink>(
            [this](IDispatch* Item, VARIANT_BOOL& Cancel) { OnItemSend(Item, Cancel); });
        AppCookie = TEventSink::Connect(HostApplication.Get(), *AppSink);
    });
}

HRESULT TVelmora::OnAddInsUpdate(SAFEARRAY**) { return S_OK; }

HRESULT TVelmora::OnBeginShutdown(SAFEARRAY**) {
    return Guarded([&] { DisconnectSinks(); });
}

HRESULT TVelmora::OnDisconnection(Office::ext_DisconnectMode RemoveMode, SAFEARRAY** custom) {
    return Guarded([&] {
        if (RemoveMode != Office::ext_dm_HostShutdown) {
            if (HRESULT result = OnBeginShutdown(custom); FAILED(result)) throw FailedResult{result};
        } else {
            // Left to the OnBeginShutdown before it; a host that skipped it
            // must not keep sinks whose sources are let go here.
            DisconnectSinks();
        }
        // This may be an event that a run of the dialog serves: the run is
        // cancelled, and the dialog goes once it has returned.
        TfrmVelmora::Release(std::move(MainDialog()), std::make_shared<TModuleLock>());
        ToolBar.Reset();
        ContextButton.Reset();
        MainButton.Reset();
        HostApplication.Reset();
        ModuleApplication().Reset();
    });
}

void TVelmora::DisconnectSinks() {
    DisconnectSink(MainButton.Get(), ButtonCookie, ButtonSink);
    DisconnectSink(CommandBars.Get(), BarsCookie, BarsSink);
    CommandBars.Reset();
    DisconnectSink(ContextButton.Get(), ContextButtonCookie, ContextButtonSink);
    DisconnectSink(HostApplication.Get(), AppCookie, AppSink);
}

// Both click handlers; the click's own arguments are not used. An error goes
// to the error box: the host's event call returns normally.
void TVelmora::ShowMainDialog(std::uint8_t OpenedFrom) {
    RunHandler([&] {
        std::unique_ptr<TfrmVelmora>& dialog = MainDialog();
        if (!dialog) dialog = std::make_unique<TfrmVelmora>();
        if (dialog->Visible()) {
            dialog->BringToFront();
            return;
        }
        dialog->ShowForApplication(ModuleApplication().Get(), OpenedFrom);
    });
}

// The send guard for outgoing mail. An error goes to the error box and the
// send goes on, unless the user had cancelled it.
void TVelmora::OnItemSend(IDispatch* Item, VARIANT_BOOL& Cancel) {
    RunHandler([&] {
        if (!HostApplication) return;
        auto mail = com::ComPtr<IDispatch>(Item).As<Outlook::_MailItem>();
        if (!mail) return;
        std::unique_ptr<TfrmVelmora>& dialog = MainDialog();
        if (!dialog) dialog = std::make_unique<TfrmVelmora>();
        dialog->CheckOutgoingMail(HostApplication.Get(), mail.Get(), Cancel);
    });
}

}  // namespace velmora
