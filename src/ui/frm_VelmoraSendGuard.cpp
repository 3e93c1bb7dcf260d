#include "ui/frm_Velmora.h"

namespace velmora {

namespace {

enum { kReinsertYes = 0, kReinsertNo = 1, kReinsertCancel = 2 };
enum { kSendOk = 0, kSendCancel = 1 };

host::MessageBoxRequest ReinsertQuestion() {
    host::MessageBoxRequest box;
    box.Text =
        u"The message you are trying to send contains removed attachments. They won't be readable by the message's "
        u"receivers. Do you want to reinsert the original files to the message.";
    box.Caption = u"Information";
    box.Icon = host::MessageIcon::Information;
    box.Buttons = {u"&Yes", u"&No", u"Cancel"};
    box.DefaultButton = kReinsertYes;
    box.EscapeButton = kReinsertCancel;
    return box;
}

host::MessageBoxRequest SendAnywayQuestion() {
    host::MessageBoxRequest box;
    box.Text = u"One or more attachments couldn't be replaced. Do you want to send the mail anyway?";
    box.Caption = u"Information";
    box.Icon = host::MessageIcon::Information;
    box.Buttons = {u"OK", u"Cancel"};
    box.DefaultButton = kSendOk;
    box.EscapeButton = kSendCancel;
    return box;
}

}  // namespace

void TfrmVelmora::CheckOutgoingMail(IUnknown* application, Outlook::_MailItem* mail, VARIANT_BOOL& cancel) {
    ServingEvents([&] {
        if (engineHolds_ > 0 || (engine_ && engine_->Busy())) {
            // The dialog's engine is in the middle of something (a run, another
            // check): check with an engine of our own and leave that one alone.
            TOutlookManager engine;
            engine.Connect(application);
            if (!engine.Connected()) throw EVelmoraException(u"Error connecting to Outlook application");
            GuardMail(engine, mail, cancel);
            return;
        }
        EngineHold hold(engineHolds_);
        EnsureEngine(application);
        GuardMail(*engine_, mail, cancel);
        ReleaseEngine();
    });
}

void TfrmVelmora::GuardMail(TOutlookManager& engine, Outlook::_MailItem* mail, VARIANT_BOOL& cancel) {
    if (!engine.HasLinkAttachments(mail)) return;
    switch (Ask(ReinsertQuestion())) {
        case kReinsertCancel:
            cancel = VARIANT_TRUE;
            break;
        case kReinsertYes: {
            TOutlookMailItem wrapper{com::ComPtr<Outlook::_MailItem>(mail)};
            if (!engine.ReintroduceMail(wrapper, false)) {
                cancel = Ask(SendAnywayQuestion()) == kSendCancel ? VARIANT_TRUE : VARIANT_FALSE;
            }
            break;
        }
        default:
            break;
    }
}

void TfrmVelmora::ReleaseEngine() {
    if (progress_ && progress_->Engine() == engine_.get()) progress_->AttachEngine(nullptr);
    engine_.reset();
}

}  // namespace velmora
