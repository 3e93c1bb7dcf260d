#include "HostSession.h"

#include <unistd.h>

#include <QApplication>
#include <QCoreApplication>
#include <array>
#include <cstdlib>

#include "FolderChooser.h"
#include "base/Utf16.h"
#include "host/HostError.h"
#include "mailstore/Draft.h"
#include "qt/Strings.h"

namespace velmora::desktop {

namespace fs = std::filesystem;

std::u16string UserAddress() {
    if (const char* email = std::getenv("EMAIL"); email != nullptr && *email != '\0') return FromUtf8(email);
    const char* user = std::getenv("USER");
    std::array<char, 256> name{};
    const bool named = gethostname(name.data(), name.size() - 1) == 0 && name[0] != '\0';
    const std::string host = named ? name.data() : "localhost";
    return FromUtf8(std::string(user != nullptr && *user != '\0' ? user : "me") + "@" + host);
}

HostSession::HostSession(const fs::path& mailbox, const posix::WindowsFileSystem& files, QString commandBarFile)
    : files_(files),
      mailbox_(mailstore::Mailbox::Open(mailbox, {u"Mailbox", UserAddress()})),
      barFile_(std::move(commandBarFile)),
      opener_(files) {
    if (auto saved = barFile_.Load()) mailbox_->CommandBars().Restore(*saved);
    window_ = std::make_unique<MainWindow>(*mailbox_, opener_);
    auto application = mailbox_->Application().As<IDispatch>();
    loader_ = std::make_unique<sim::AddInLoader>(kHostName, application);
    mailbox_->SetFolderChooser([this]() -> std::optional<fs::path> {
        QWidget* over = QApplication::activeWindow();
        FolderChooser chooser(mailbox_->FolderTree(), window_->ShownFolder(), over != nullptr ? over : window_.get());
        return chooser.Choose();
    });
    connect(window_.get(), &MainWindow::closeRequested, this, &HostSession::RequestClose);
    connect(window_.get(), &MainWindow::newMessageRequested, this, &HostSession::NewMessage);
    connect(window_.get(), &MainWindow::forwardRequested, this, &HostSession::Forward);
    connect(window_.get(), &MainWindow::addInsRequested, this, &HostSession::ShowAddIns);
}

HostSession::~HostSession() { Finish(); }

void HostSession::Start() {
    window_->Bars().Refresh();
    window_->show();
    loader_->Start();
    window_->Bars().Refresh();
    ReportAddInProblems();
}

int HostSession::Run() {
    Start();
    const int status = QApplication::exec();
    Finish();
    return status;
}

void HostSession::Finish() {
    if (finished_) return;
    finished_ = true;
    for (const auto& window : composing_) {
        if (window) window->close();
    }
    if (addInsDialog_) addInsDialog_->close();
    loader_->Shutdown();
    mailbox_->SetFolderChooser(nullptr);
    if (!barFile_.Save(mailbox_->CommandBars().Saved())) {
        qWarning("The command bars cannot be kept in %s", qPrintable(barFile_.Path()));
    }
    window_->SetLeaving(true);
    window_->close();
}

void HostSession::RequestClose() {
    if (afterRuns_.Waiting()) return;
    window_->ShowStatus(tr("Closing..."));
    afterRuns_.Then([] { QCoreApplication::exit(0); });
}

void HostSession::ReportAddInProblems() {
    for (const sim::AddInRecord& record : loader_->AddIns()) {
        if (record.State != sim::AddInState::Failed) continue;
        window_->ShowStatus(
            tr("The add-in %1 was not loaded: %2").arg(qtui::ToQt(record.ProgId), qtui::ToQt(record.Problem)));
    }
}

void HostSession::AddInsChanged() {
    window_->Bars().Refresh();
    if (addInsDialog_) addInsDialog_->Refresh();
}

void HostSession::LoadAddIn(const std::u16string& progId) {
    if (progId.empty()) return;
    loader_->Connect(progId);
    ReportAddInProblems();
    AddInsChanged();
}

void HostSession::UnloadAddIn(const std::u16string& progId) {
    if (progId.empty()) return;
    afterRuns_.Then([this, progId] {
        loader_->Disconnect(progId);
        AddInsChanged();
    });
    if (afterRuns_.Waiting()) window_->ShowStatus(tr("The add-in is unloaded once its run has stopped."));
}

void HostSession::ShowAddIns() {
    AddInsDialog dialog(
        *loader_, [this](const std::u16string& progId) { LoadAddIn(progId); },
        [this](const std::u16string& progId) { UnloadAddIn(progId); }, window_.get());
    addInsDialog_ = &dialog;
    dialog.exec();
}

ComposeWindow* HostSession::NewMessage() { return Compose({}); }

ComposeWindow* HostSession::Forward(const fs::path& file) {
    try {
        return Compose(mailstore::ForwardOf(file));
    } catch (const host::HostError& error) {
        window_->ShowStatus(qtui::ToQt(error.Message()));
        return nullptr;
    }
}

ComposeWindow* HostSession::Compose(const mailstore::DraftStart& start) {
    std::unique_ptr<mailstore::Draft> draft;
    try {
        draft = mailbox_->NewDraft(start);
    } catch (const host::HostError& error) {
        window_->ShowStatus(qtui::ToQt(error.Message()));
        return nullptr;
    }
    auto* compose = new ComposeWindow(std::move(draft), files_);
    composing_.emplace_back(compose);
    connect(compose, &ComposeWindow::sendRequested, this, &HostSession::Send);
    connect(compose, &ComposeWindow::draftChanged, window_.get(), &MainWindow::RefreshItems);
    window_->RefreshFolders();
    compose->show();
    return compose;
}

void HostSession::Send(ComposeWindow* compose) {
    bool sent = false;
    try {
        compose->Apply();
        sent = mailbox_->Send(compose->Message());
    } catch (const host::HostError& error) {
        compose->ShowStatus(qtui::ToQt(error.Message()));
        return;
    }
    window_->RefreshFolders();
    window_->RefreshItems();
    if (sent) {
        compose->MarkSent();
        compose->close();
        window_->ShowStatus(tr("The message was put into Sent."));
        return;
    }
    compose->Reload();
    compose->ShowStatus(tr("The message was not sent; it stays in Drafts."));
}

}  // namespace velmora::desktop
